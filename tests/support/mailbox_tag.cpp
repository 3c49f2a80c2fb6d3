#include "tests/support/mailbox_tag.h"

#include <utility>

#include "tavrix/cipher/aes_util.h"
#include "tavrix/taglink/mailbox_frames.h"

namespace tavrix::testing {
namespace {

std::uint32_t wordAt(const Bytes& b, std::size_t i) {
  return std::uint32_t{b[i]} << 24 | std::uint32_t{b[i + 1]} << 16 | std::uint32_t{b[i + 2]} << 8 |
         std::uint32_t{b[i + 3]};
}

void appendWord(Bytes& out, std::uint32_t w) {
  out.push_back(static_cast<std::uint8_t>(w >> 24));
  out.push_back(static_cast<std::uint8_t>(w >> 16));
  out.push_back(static_cast<std::uint8_t>(w >> 8));
  out.push_back(static_cast<std::uint8_t>(w));
}

// A 6-byte answer: `frame`, one word, `frame`.
Bytes framed(std::uint8_t frame, std::uint32_t w) {
  Bytes out{frame};
  appendWord(out, w);
  out.push_back(frame);
  return out;
}

}  // namespace

MailboxTag::MailboxTag(std::uint32_t start)
    : start_(start),
      responder_([](const MailboxRequest&, std::size_t) { return answer(0x00010000); }) {}

MailboxTag& MailboxTag::respond(Responder responder) {
  responder_ = std::move(responder);
  return *this;
}

MailboxTag& MailboxTag::leaveFieldAt(std::size_t n) {
  leaveAt_ = n;
  return *this;
}

asio::awaitable<Bytes> MailboxTag::transceive(Bytes data) {
  ++exchanges_;
  if (leaveAt_ && exchanges_ >= *leaveAt_) {
    co_return Bytes{};
  }
  co_return serve(data);
}

Bytes MailboxTag::serve(const Bytes& data) {
  if (data == Bytes{mailbox::kStart, mailbox::kStartArgument}) {
    return {mailbox::kStart, mailbox::kStart};
  }
  if (data == Bytes{mailbox::kQuery, 0, 0, 0, 0}) {
    return framed(mailbox::kQuery, start_);
  }
  if (data == Bytes{mailbox::kQuery, mailbox::kTriggerArgument, 0, 0, 0}) {
    return trigger();
  }
  if (data.size() == 9 && data[0] == mailbox::kWrite) {
    const std::uint32_t address = wordAt(data, 1);
    const std::uint32_t w = wordAt(data, 5);
    memory_[address] = w;
    if (address != start_) {
      pending_.push_back(w);
    }
    return {mailbox::kWrite, mailbox::kWrite};
  }
  if (data.size() == 5 && data[0] == mailbox::kRead) {
    return framed(mailbox::kRead, memory_[wordAt(data, 1)]);
  }
  return {};
}

Bytes MailboxTag::trigger() {
  const std::uint32_t header = memory_[start_];
  MailboxRequest request{static_cast<std::uint8_t>(header & 0xFF), std::move(pending_)};
  pending_.clear();
  const Words reply = responder_(request, requests_.size());
  requests_.push_back(std::move(request));
  std::uint32_t address = start_;
  for (std::uint32_t w : reply) {
    memory_[address] = w;
    address += 4;
  }
  return framed(mailbox::kQuery, header);
}

Words answer(std::uint32_t status, const Words& payload) {
  Words out{0x600000FFu, status};
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

Words enciphered(const Bytes& key, const Words& clear) {
  return AESUtil::encryptUInt(clear, 0, static_cast<std::int32_t>(clear.size()) - 1, key,
                              AESUtil::zeroIv());
}

Words clearFrame(const Words& frame, const Bytes& key) {
  return AESUtil::decryptUInt(frame, 1, static_cast<std::int32_t>(frame.size()) - 1, key,
                              AESUtil::zeroIv());
}

Bytes testKey(std::uint8_t offset) {
  Bytes key(16);
  for (std::size_t i = 0; i < key.size(); ++i) {
    key[i] = static_cast<std::uint8_t>(i + offset);
  }
  return key;
}

}  // namespace tavrix::testing
