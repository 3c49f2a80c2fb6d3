#pragma once

// Field hashes and text pieces shared by the task kinds' hash codes and text forms.

#include <cstdint>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>

#include "tavrix/values/bytes.h"
#include "tavrix/values/enums.h"

namespace tavrix::detail {

// List hash: h = 31·h + element, from 1, so an empty list hashes to 1.
std::int32_t wordsHash(const Words& words);

// "[1, 2, 10, 16]"
void printWords(std::ostream& os, const Words& words);

inline const char* boolText(bool b) {
  return b ? "true" : "false";
}

inline void printUserType(std::ostream& os, const std::optional<UserType>& type) {
  if (type) {
    os << name(*type);
  } else {
    os << "null";
  }
}

// A copy of `task` with one field replaced; the with-ers of every kind are this.
template <class Task, class Field, class V>
Task copyWith(const Task& task, Field Task::*field, V&& v) {
  Task copy = task;
  copy.*field = std::forward<V>(v);
  return copy;
}

template <class T>
std::string textOf(const T& v) {
  std::ostringstream os;
  os << v;
  return os.str();
}

}  // namespace tavrix::detail
