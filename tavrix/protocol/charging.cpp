#include <cmath>
#include <limits>
#include <utility>

#include "tavrix/protocol/charge_arithmetic.h"
#include "tavrix/protocol/device_manager.h"
#include "tavrix/protocol/frames.h"

namespace tavrix {
namespace {

constexpr std::uint32_t kReadTarget = 0x05020011;
constexpr std::uint32_t kReadPresent = 0x05020010;

// Float to int32 as saturating hardware does it. A plain cast of an out-of-range float is
// undefined behaviour, so the edges are handled before it.
std::int32_t saturatingInt32(float r) {
  if (std::isnan(r)) {
    return 0;
  }
  if (r >= 2147483648.0f) {
    return std::numeric_limits<std::int32_t>::max();
  }
  if (r <= -2147483648.0f) {
    return std::numeric_limits<std::int32_t>::min();
  }
  return static_cast<std::int32_t>(r);
}

}  // namespace

ChargeLevel chargeLevelFrom(std::uint32_t target, std::uint32_t present) {
  // Both values come from 16-bit fields, so they convert to float exactly. A zero target gives
  // the IEEE quotients, spelled out because division by zero is not defined in C++.
  const float ratio = target != 0    ? static_cast<float>(present) / static_cast<float>(target)
                      : present != 0 ? std::numeric_limits<float>::infinity()
                                     : std::numeric_limits<float>::quiet_NaN();
  const float percent = ratio * 100.0f;
  const auto level =
      static_cast<std::uint16_t>(static_cast<std::uint32_t>(saturatingInt32(percent)) & 0xFFFFu);
  return ChargeLevel(level, level >= 100);
}

asio::awaitable<Outcome<ChargeLevel>> DeviceManager::getChargeLevel(NFCTag& t, Device d,
                                                                    Bytes key) {
  std::vector<Words> requests{frames::keyedRead(key, kReadTarget),
                              frames::keyedRead(key, kReadPresent)};
  std::uint32_t target = 0;
  std::uint32_t present = 0;
  auto parser = [&](const Words& p, std::int32_t i) {
    // The 2-byte value fills the top half of the value word; the low half is not part of it.
    const std::uint32_t v = frames::decipherPayload(p, key)[2] >> 16;
    if (i == 0) {
      target = v;
    } else if (i == 1) {
      present = v;
    }
    return true;
  };
  const Result result = co_await transAndCheckResult(t, d, std::move(requests), 4, parser);
  if (result != Result::OK) {
    co_return Outcome<ChargeLevel>::failed(result);
  }
  co_return Outcome<ChargeLevel>::ok(chargeLevelFrom(target, present));
}

}  // namespace tavrix
