#include "tavrix/workflow/task_callback.h"

#include <cstdio>

#include "tavrix/values/hashing.h"

namespace tavrix::detail {

std::int32_t identityHash(const void* address) {
  return hashing::of(static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(address)));
}

std::string callbackText(const void* address) {
  if (address == nullptr) {
    return "null";
  }
  char text[32];
  std::snprintf(text, sizeof text, "Callback@%08x",
                static_cast<unsigned>(static_cast<std::uint32_t>(identityHash(address))));
  return text;
}

}  // namespace tavrix::detail
