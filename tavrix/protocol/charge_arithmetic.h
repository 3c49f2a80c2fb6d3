#pragma once

#include <cstdint>

#include "tavrix/values/charge_level.h"

namespace tavrix {

// The charge level from the lock's target and present values: present / target × 100 in single
// precision, saturated to a signed 32-bit integer (NaN gives 0), keeping its low 16 bits; the
// lock is charged at 100 or more. The level is deliberately not clamped: above 655.35 % it
// wraps, and a target of 0 reads as 65535 (charged) or, with nothing present, 0.
ChargeLevel chargeLevelFrom(std::uint32_t target, std::uint32_t present);

}  // namespace tavrix
