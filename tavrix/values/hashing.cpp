#include "tavrix/values/hashing.h"

#include "tavrix/values/utf8.h"

namespace tavrix::hashing {

std::int32_t ofText(std::string_view utf8) {
  std::uint32_t h = 0;
  for (char16_t unit : utf16Units(utf8)) {
    h = 31u * h + unit;
  }
  return static_cast<std::int32_t>(h);
}

}  // namespace tavrix::hashing
