#include <utility>

#include "tavrix/protocol/device_manager.h"
#include "tavrix/protocol/frames.h"

namespace tavrix {
namespace {

constexpr std::uint32_t kWriteMethod = 0x83011000;
constexpr std::uint32_t kWriteClampingVoltage = 0x85021001;
constexpr std::uint32_t kWriteTotalRuntime = 0x85021007;
constexpr std::uint32_t kWriteSingleP1 = 0x85021006;
constexpr std::uint32_t kWriteVoltageP1 = 0x85021002;
constexpr std::uint32_t kWriteVoltageP2 = 0x85021003;
constexpr std::uint32_t kWriteTimerP1 = 0x85021004;
constexpr std::uint32_t kWriteTimerP2 = 0x85021005;

}  // namespace

asio::awaitable<Result> DeviceManager::setParameters(NFCTag& t, Device d, Bytes key, Parameters p) {
  std::vector<Words> requests;
  requests.push_back(frames::keyedWrite1(key, kWriteMethod, value(p.method())));
  requests.push_back(frames::keyedWrite2(key, kWriteClampingVoltage, value(p.clampingVoltage())));
  requests.push_back(frames::keyedWrite2(key, kWriteTotalRuntime, p.totalMotorRuntime()));
  // Each method keeps its own objects for its values; a single-step drive has no second value.
  switch (p.method()) {
    case Met::SINGLE:
      requests.push_back(frames::keyedWrite2(key, kWriteSingleP1, p.p1()));
      break;
    case Met::VOLTAGE:
      requests.push_back(frames::keyedWrite2(key, kWriteVoltageP1, p.p1()));
      requests.push_back(frames::keyedWrite2(key, kWriteVoltageP2, p.p2()));
      break;
    case Met::TIMER:
      requests.push_back(frames::keyedWrite2(key, kWriteTimerP1, p.p1()));
      requests.push_back(frames::keyedWrite2(key, kWriteTimerP2, p.p2()));
      break;
  }
  auto accept = [](const Words&, std::int32_t) { return true; };
  co_return co_await transAndCheckResult(t, d, std::move(requests), 0, accept);
}

}  // namespace tavrix
