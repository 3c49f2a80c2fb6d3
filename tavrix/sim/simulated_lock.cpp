#include "tavrix/sim/simulated_lock.h"

#include <stdexcept>

#include <asio/steady_timer.hpp>
#include <asio/this_coro.hpp>
#include <asio/use_awaitable.hpp>

#include "tavrix/sim/microcontroller.h"
#include "tavrix/sim/state_file.h"
#include "tavrix/sim/tag_memory.h"
#include "tavrix/sim/wire.h"
#include "tavrix/taglink/mailbox_frames.h"

namespace tavrix::sim {
namespace {

bool argumentIsZero(const Bytes& c) {
  return c[1] == 0 && c[2] == 0 && c[3] == 0 && c[4] == 0;
}

std::uint32_t addressOf(const Bytes& c) {
  return static_cast<std::uint32_t>(wire::number(Bytes(c.begin() + 1, c.begin() + 5)));
}

// 6-byte answer: `frame`, the word, `frame`.
Bytes framed(std::uint8_t frame, std::uint32_t word) {
  Bytes out{frame};
  const Bytes w = wire::bigEndian(word, 4);
  out.insert(out.end(), w.begin(), w.end());
  out.push_back(frame);
  return out;
}

}  // namespace

SimulatedLock::SimulatedLock(LockConfig config)
    : config_(std::move(config)),
      memory_(std::make_unique<TagMemory>()),
      mcu_(std::make_unique<Microcontroller>(config_, initialState(config_))) {}

SimulatedLock::~SimulatedLock() = default;

asio::awaitable<Bytes> SimulatedLock::transceive(Bytes data) {
  const auto latency = faults().latency;
  if (latency.count() > 0) {
    asio::steady_timer timer(co_await asio::this_coro::executor);
    timer.expires_after(latency);
    co_await timer.async_wait(asio::use_awaitable);
  }
  bool raise = false;
  Bytes reply;
  {
    std::lock_guard lock(mutex_);
    const std::uint64_t n = ++exchanges_;
    if (faults_.leaveFieldAt && n >= *faults_.leaveFieldAt) {
      // Out of the field the lock has no power: nothing reaches it.
      raise = faults_.leaveMode == LeaveMode::THROW;
    } else {
      reply = answer(data);
      if (faults_.corruptAnswerAt == n && !reply.empty()) {
        reply.back() ^= 0x01;
      }
    }
    if (tracing_) {
      rawTrace_.push_back(RawExchange{toHex(data), toHex(reply), raise});
    }
  }
  if (raise) {
    throw std::runtime_error("tag left the field");
  }
  co_return reply;
}

Bytes SimulatedLock::answer(const Bytes& c) {
  if (c == Bytes{mailbox::kStart, mailbox::kStartArgument}) {
    mcu_->newContact();
    return {mailbox::kStart, mailbox::kStart};
  }
  if (c.size() == 5 && c[0] == mailbox::kQuery && argumentIsZero(c)) {
    return framed(mailbox::kQuery, config_.startAddress);
  }
  if (c.size() == 5 && c[0] == mailbox::kQuery && c[1] == mailbox::kTriggerArgument && c[2] == 0 &&
      c[3] == 0 && c[4] == 0) {
    return trigger();
  }
  if (c.size() == 9 && c[0] == mailbox::kWrite) {
    const Bytes word(c.begin() + 5, c.end());
    memory_->hostWrite(addressOf(c), static_cast<std::uint32_t>(wire::number(word)));
    return {mailbox::kWrite, mailbox::kWrite};
  }
  if (c.size() == 5 && c[0] == mailbox::kRead) {
    return framed(mailbox::kRead, memory_->readWord(addressOf(c)));
  }
  return {};
}

// The front end echoes the header word; the microcontroller runs only on a request written since
// the last trigger, so a repeated trigger leaves the answer in place.
Bytes SimulatedLock::trigger() {
  const std::uint32_t start = config_.startAddress;
  const std::uint32_t header = memory_->readWord(start);
  if (memory_->writtenSinceTrigger(start)) {
    FrameRecord record = mcu_->run(*memory_, start, faults_.refusedObjects);
    if (tracing_) {
      frames_.push_back(std::move(record));
    }
  }
  memory_->forgetHostWrites();
  return framed(mailbox::kQuery, header);
}

LockState SimulatedLock::state() const {
  std::lock_guard lock(mutex_);
  return mcu_->state();
}

void SimulatedLock::setState(LockState s) {
  if (auto problem = validate(s)) {
    throw std::invalid_argument("Invalid lock state: " + *problem);
  }
  std::lock_guard lock(mutex_);
  mcu_->setState(std::move(s));
}

void SimulatedLock::saveState(const std::filesystem::path& path) const {
  writeStateFile(path, state());
}

void SimulatedLock::loadState(const std::filesystem::path& path) {
  LockState s = readStateFile(path);
  std::lock_guard lock(mutex_);
  mcu_->setState(std::move(s));
}

Faults SimulatedLock::faults() const {
  std::lock_guard lock(mutex_);
  return faults_;
}

void SimulatedLock::setFaults(Faults f) {
  std::lock_guard lock(mutex_);
  faults_ = std::move(f);
}

std::uint64_t SimulatedLock::exchangeCount() const {
  std::lock_guard lock(mutex_);
  return exchanges_;
}

void SimulatedLock::setTracing(bool on) {
  std::lock_guard lock(mutex_);
  tracing_ = on;
}

std::vector<RawExchange> SimulatedLock::rawTrace() const {
  std::lock_guard lock(mutex_);
  return rawTrace_;
}

std::vector<FrameRecord> SimulatedLock::frames() const {
  std::lock_guard lock(mutex_);
  return frames_;
}

void SimulatedLock::clearTrace() {
  std::lock_guard lock(mutex_);
  rawTrace_.clear();
  frames_.clear();
}

}  // namespace tavrix::sim
