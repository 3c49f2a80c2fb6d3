#include "tavrix/workflow/common_task.h"

#include "tavrix/workflow/task_callback.h"
#include "tavrix/workflow/task_format.h"

namespace tavrix {

std::int32_t CommonTask::hashCode() const {
  return detail::identityHash(this);
}

std::string CommonTask::toString() const {
  std::ostringstream os;
  os << "CommonTask@" << std::hex << static_cast<std::uint32_t>(detail::identityHash(this));
  return os.str();
}

std::ostream& operator<<(std::ostream& os, const CommonTask& task) {
  return os << task.toString();
}

namespace detail {

std::int32_t wordsHash(const Words& words) {
  std::uint32_t h = 1;
  for (std::uint32_t w : words) {
    h = 31u * h + w;
  }
  return static_cast<std::int32_t>(h);
}

void printWords(std::ostream& os, const Words& words) {
  os << '[';
  for (std::size_t i = 0; i < words.size(); ++i) {
    os << (i ? ", " : "") << words[i];
  }
  os << ']';
}

}  // namespace detail
}  // namespace tavrix
