#include <utility>

#include "tavrix/protocol/cmd.h"
#include "tavrix/protocol/device_manager.h"
#include "tavrix/protocol/frames.h"

namespace tavrix {
namespace {

// The operation code is written to two control objects, first 0x121, then 0x120.
constexpr std::uint32_t kWriteControlFirst = 0x83010121;
constexpr std::uint32_t kWriteControlSecond = 0x83010120;
constexpr std::uint32_t kReadProgress = 0x03010021;

}  // namespace

asio::awaitable<Result> DeviceManager::control(NFCTag& t, Device d, Bytes key, Ctrl ctrl) {
  std::vector<Words> requests;
  requests.push_back(CMD::DT(key));
  requests.push_back(CMD::USR(key, CMD::kUserName));
  requests.push_back(frames::keyedWrite1(key, kWriteControlFirst, value(ctrl)));
  requests.push_back(frames::keyedWrite1(key, kWriteControlSecond, value(ctrl)));
  auto accept = [](const Words&, std::int32_t) { return true; };
  co_return co_await transAndCheckResult(t, d, std::move(requests), 0, accept);
}

asio::awaitable<Outcome<ControlProgress>> DeviceManager::getControlProgress(NFCTag& t, Device d,
                                                                            Bytes key) {
  std::vector<Words> requests{frames::keyedRead(key, kReadProgress)};
  std::uint32_t progress = 0;
  auto parser = [&progress, &key](const Words& p, std::int32_t i) {
    if (i == 0) {
      progress = frames::decipherPayload(p, key)[2] >> 24;
    }
    return true;
  };
  const Result result = co_await transAndCheckResult(t, d, std::move(requests), 4, parser);
  if (result != Result::OK) {
    co_return Outcome<ControlProgress>::failed(result);
  }
  co_return Outcome<ControlProgress>::ok(
      ControlProgress(static_cast<std::uint16_t>(progress & 0xFFFFu), progress >= 100));
}

}  // namespace tavrix
