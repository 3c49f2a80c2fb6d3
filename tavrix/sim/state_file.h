#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "tavrix/sim/lock_state.h"

namespace tavrix::sim {

// A state file that cannot be read, parsed or trusted; the message says what is wrong.
class StateFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The JSON form of a lock's state, marked with its format name and version.
std::string stateToJson(const LockState& state);

// Parses and checks a whole state; throws StateFileError for anything that is not a complete,
// valid state of this format and version.
LockState stateFromJson(std::string_view text);

// Writes through a temporary file renamed over `path`, so a failed save leaves the old file.
// Throws StateFileError when the file cannot be written.
void writeStateFile(const std::filesystem::path& path, const LockState& state);
LockState readStateFile(const std::filesystem::path& path);

}  // namespace tavrix::sim
