#include "tavrix/taglink/nfc_util.h"

#include "tavrix/taglink/fail_safe.h"
#include "tavrix/taglink/mailbox_frames.h"

namespace tavrix {
namespace {

void appendWord(Bytes& out, std::uint32_t w) {
  out.push_back(static_cast<std::uint8_t>(w >> 24));
  out.push_back(static_cast<std::uint8_t>(w >> 16));
  out.push_back(static_cast<std::uint8_t>(w >> 8));
  out.push_back(static_cast<std::uint8_t>(w));
}

std::uint32_t wordAt(const Bytes& b, std::size_t i) {
  return std::uint32_t{b[i]} << 24 | std::uint32_t{b[i + 1]} << 16 | std::uint32_t{b[i + 2]} << 8 |
         std::uint32_t{b[i + 3]};
}

Bytes addressed(std::uint8_t op, std::uint32_t address) {
  Bytes cmd{op};
  appendWord(cmd, address);
  return cmd;
}

// A 6-byte answer framed by `frame` on both sides carries one word in its middle.
std::optional<std::uint32_t> framedWord(const Bytes& answer, std::uint8_t frame) {
  if (answer.size() != 6 || answer.front() != frame || answer.back() != frame) {
    return std::nullopt;
  }
  return wordAt(answer, 1);
}

// One exchange; a failure, however it shows, is an empty answer.
asio::awaitable<Bytes> exchange(NFCTag& t, Bytes cmd) {
  return failSafe([&t, cmd = std::move(cmd)]() mutable { return t.transceive(std::move(cmd)); },
                  Bytes{});
}

}  // namespace

asio::awaitable<bool> NFCUtil::start(NFCTag& t) {
  return failSafe(
      [&t]() -> asio::awaitable<bool> {
        Bytes cmd{mailbox::kStart, mailbox::kStartArgument};
        const Bytes answer = co_await exchange(t, std::move(cmd));
        co_return answer == Bytes{mailbox::kStart, mailbox::kStart};
      },
      false);
}

asio::awaitable<std::optional<std::uint32_t>> NFCUtil::getStartAddress(NFCTag& t) {
  return failSafe(
      [&t]() -> asio::awaitable<std::optional<std::uint32_t>> {
        const Bytes answer = co_await exchange(t, addressed(mailbox::kQuery, 0));
        co_return framedWord(answer, mailbox::kQuery);
      },
      std::optional<std::uint32_t>{});
}

asio::awaitable<std::optional<Words>> NFCUtil::read(NFCTag& t, std::uint32_t address,
                                                    std::int32_t count) {
  return failSafe(
      [&t, address, count]() mutable -> asio::awaitable<std::optional<Words>> {
        Words words;
        for (std::int32_t i = 0; i < count; ++i) {
          const Bytes answer = co_await exchange(t, addressed(mailbox::kRead, address));
          const auto word = framedWord(answer, mailbox::kRead);
          if (!word) {
            co_return std::nullopt;
          }
          words.push_back(*word);
          address += 4;
        }
        co_return words;
      },
      std::optional<Words>{});
}

asio::awaitable<bool> NFCUtil::write(NFCTag& t, std::uint32_t address, std::uint8_t cc,
                                     Words words) {
  return failSafe(
      [&t, address, cc, words = std::move(words)]() mutable -> asio::awaitable<bool> {
        words.insert(words.begin(), mailbox::headerWord(cc));
        const Bytes acknowledged{mailbox::kWrite, mailbox::kWrite};
        for (std::uint32_t w : words) {
          Bytes cmd = addressed(mailbox::kWrite, address);
          appendWord(cmd, w);
          if (co_await exchange(t, std::move(cmd)) != acknowledged) {
            co_return false;
          }
          address += 4;
        }
        Bytes trigger{mailbox::kQuery, mailbox::kTriggerArgument, 0, 0, 0};
        const Bytes expected{mailbox::kQuery, mailbox::kQuery, 0, 0, cc, mailbox::kQuery};
        co_return co_await exchange(t, std::move(trigger)) == expected;
      },
      false);
}

}  // namespace tavrix
