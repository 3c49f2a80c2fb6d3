#pragma once

#include <cstdint>

#include "tavrix/sim/trace.h"

namespace tavrix::sim {

// Which frames may carry a request for an object.
enum class Security {
  CLEAR,       // sent in clear, no user needed (discovery and selection)
  ANY_KEY,     // the lock's key or the supervisor key (credential blocks)
  SESSION,     // the lock's key only
  SUPERVISOR,  // the supervisor key only (key change)
};

// The one request the lock accepts for an object.
struct ObjectSpec {
  std::uint16_t object;
  bool write;
  std::uint8_t type;
  std::uint8_t length;  // ignored when anyLength
  bool anyLength;       // text writes carry their own length
  Security security;
};

// The lock's entry for a request, or nullptr when the object is unknown or the request's
// access, type or length is not the one the lock serves for it.
const ObjectSpec* findSpec(const Request& r);

}  // namespace tavrix::sim
