#pragma once

#include <string_view>

#include "tavrix/values/bytes.h"

namespace tavrix {

// The credential blocks sent ahead of the control and key-change frames, enciphered under the
// key that authorises the command.
class CMD {
 public:
  CMD() = delete;

  // Date-time block: writes the host clock in seconds to object 0x1800.
  static Words DT(const Bytes& key);
  // User block: writes `name` (UTF-8) to the text object 0x1801. Its byte count travels in one
  // byte, so a name over 255 bytes throws std::invalid_argument.
  static Words USR(const Bytes& key, std::string_view name);

  // The user name every command of the kit sends.
  static constexpr std::string_view kUserName = "u";
};

}  // namespace tavrix
