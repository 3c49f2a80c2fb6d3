#include <utility>

#include "tavrix/protocol/device_manager.h"
#include "tavrix/protocol/frames.h"

namespace tavrix {
namespace {

constexpr std::uint32_t kReadVersion = 0x07040001;

}  // namespace

asio::awaitable<Outcome<Words>> DeviceManager::getVersion(NFCTag& t, Device d, Bytes key) {
  std::vector<Words> requests{frames::keyedRead(key, kReadVersion)};
  Words version;
  auto parser = [&version, &key](const Words& p, std::int32_t) {
    const std::uint32_t w = frames::decipherPayload(p, key)[2];
    version = {w >> 24, (w >> 16) & 0xFF, (w >> 8) & 0xFF, w & 0xFF};
    return true;
  };
  const Result result = co_await transAndCheckResult(t, d, std::move(requests), 4, parser);
  if (result != Result::OK) {
    co_return Outcome<Words>::failed(result);
  }
  co_return Outcome<Words>::ok(std::move(version));
}

}  // namespace tavrix
