#pragma once

#include <stdexcept>
#include <string>

namespace tavrix::testing {

// The message of the std::invalid_argument that `action` throws, or a marker text when it throws
// nothing, so that a table of cases can compare messages directly.
template <typename Action>
std::string invalidArgumentMessage(Action&& action) {
  try {
    action();
  } catch (const std::invalid_argument& e) {
    return e.what();
  }
  return "<no error>";
}

}  // namespace tavrix::testing
