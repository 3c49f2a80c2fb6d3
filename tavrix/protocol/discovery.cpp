#include <exception>
#include <new>
#include <utility>

#include "tavrix/protocol/device_manager.h"
#include "tavrix/protocol/frames.h"
#include "tavrix/protocol/random_source.h"
#include "tavrix/taglink/nfc_util.h"

namespace tavrix {
namespace {

constexpr std::uint8_t kMeasureSignal = 12;
constexpr std::uint32_t kReadIdentity = 0x09080005;
constexpr std::uint32_t kReadNewFlag = 0x03010030;
constexpr std::uint32_t kWriteUserType = 0x83011900;

asio::awaitable<Outcome<Device>> openMailbox(NFCTag& t) {
  if (!co_await NFCUtil::start(t)) {
    co_return Outcome<Device>::failed(Result::ERROR);
  }
  const auto address = co_await NFCUtil::getStartAddress(t);
  if (!address) {
    co_return Outcome<Device>::failed(Result::ERROR);
  }
  co_return Outcome<Device>::ok(Device(*address));
}

}  // namespace

asio::awaitable<Outcome<Device>> DeviceManager::init(NFCTag& t) {
  // The tag link already turns exchange errors into failures; this also covers anything a tag
  // implementation throws past it. Running out of memory is no tag failure.
  try {
    co_return co_await openMailbox(t);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (...) {
  }
  co_return Outcome<Device>::failed(Result::ERROR);
}

asio::awaitable<Outcome<std::uint32_t>> DeviceManager::getRssi(NFCTag& t, Device d) {
  Words request{0};
  const auto answer = co_await call(t, d, kMeasureSignal, std::move(request), 1);
  // Signal values fit 16 bits; a larger first word is a failure, not a reading.
  if (answer.isOk() && answer.value() && !answer.value()->empty() &&
      answer.value()->front() <= 0xFFFF) {
    co_return Outcome<std::uint32_t>::ok(answer.value()->front());
  }
  co_return Outcome<std::uint32_t>::failed(Result::ERROR);
}

asio::awaitable<Outcome<DeviceInfo>> DeviceManager::getInfo(NFCTag& t, Device d) {
  std::uint64_t id = 0;
  bool isNew = false;
  const std::uint32_t nonce0 = randomWord();
  const std::uint32_t nonce1 = randomWord();
  std::vector<Words> requests{{frames::kClear3Words, nonce0, kReadIdentity},
                              {frames::kClear3Words, nonce1, kReadNewFlag}};
  auto parser = [&id, &isNew](const Words& p, std::int32_t i) {
    if (i == 0) {
      id = std::uint64_t{p[2]} << 32 | p[3];
    } else if (i == 1) {
      // The new flag is the 1-byte value of its object: 0 for a lock still new.
      isNew = p[2] < 0x01000000;
    }
    return true;
  };
  const Result result = co_await transAndCheckResult(t, d, std::move(requests), 4, parser);
  if (result != Result::OK) {
    co_return Outcome<DeviceInfo>::failed(result);
  }
  co_return Outcome<DeviceInfo>::ok(DeviceInfo(id, isNew));
}

asio::awaitable<Result> DeviceManager::select(NFCTag& t, Device d, UserType type) {
  const std::uint32_t nonce = randomWord();
  const std::uint32_t bits = randomWord();
  const std::uint32_t argument = (bits & 0x00FFFFFFu) + (std::uint32_t{value(type)} << 24);
  std::vector<Words> requests{{frames::kClear4Words, nonce, kWriteUserType, argument}};
  auto accept = [](const Words&, std::int32_t) { return true; };
  co_return co_await transAndCheckResult(t, d, std::move(requests), 0, accept);
}

}  // namespace tavrix
