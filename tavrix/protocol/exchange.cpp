#include <algorithm>
#include <limits>
#include <utility>

#include "tavrix/protocol/device_manager.h"
#include "tavrix/taglink/fail_safe.h"
#include "tavrix/taglink/nfc_util.h"

namespace tavrix {
namespace {

// An answer accepted by the lock carries a status word with a non-zero upper half.
constexpr std::uint32_t kHighestRefusal = 0xFFFF;

}  // namespace

asio::awaitable<Outcome<Words>> DeviceManager::call(NFCTag& t, Device d, std::uint8_t f,
                                                    Words words, std::uint32_t readCount) {
  // A cancellation between the write and the read is a failed exchange too, not an exception.
  return failSafe(
      [&t, d, f, words = std::move(words), readCount]() mutable -> asio::awaitable<Outcome<Words>> {
        if (!co_await NFCUtil::write(t, d.s(), f, std::move(words))) {
          co_return Outcome<Words>::failed(Result::ERROR);
        }
        // The tag link counts in signed words; no mailbox comes near that size.
        const auto count = static_cast<std::int32_t>(
            std::min<std::uint32_t>(readCount, std::numeric_limits<std::int32_t>::max()));
        auto answer = co_await NFCUtil::read(t, d.s(), count);
        if (!answer) {
          co_return Outcome<Words>::failed(Result::ERROR);
        }
        co_return Outcome<Words>::ok(std::move(*answer));
      },
      Outcome<Words>::failed(Result::ERROR));
}

asio::awaitable<Result> DeviceManager::transAndCheckResult(NFCTag& t, Device d,
                                                           std::vector<Words> frames,
                                                           std::int32_t n, ResponseParser parser) {
  if (frames.empty()) {
    co_return Result::OK;
  }
  // Without room for the status word no answer could be judged, so nothing is sent.
  if (n < 0) {
    co_return Result::ERROR;
  }
  const auto readCount = static_cast<std::uint32_t>(n) + 2;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const auto answer = co_await call(t, d, 0, std::move(frames[i]), readCount);
    if (!answer.isOk() || !answer.value() || answer.value()->size() < 2) {
      co_return Result::ERROR;
    }
    const Words& words = *answer.value();
    if (words[1] <= kHighestRefusal) {
      co_return Result::UNAUTHORIZED;
    }
    if (parser) {
      const Words payload(words.begin() + 2, words.end());
      if (!parser(payload, static_cast<std::int32_t>(i))) {
        co_return Result::ERROR;
      }
    }
  }
  co_return Result::OK;
}

}  // namespace tavrix
