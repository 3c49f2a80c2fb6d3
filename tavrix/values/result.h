#pragma once

#include <optional>
#include <ostream>
#include <stdexcept>
#include <utility>

#include "tavrix/values/enum_info.h"

namespace tavrix {

// Outcome of every lock command.
enum class Result { OK, ERROR, UNAUTHORIZED };

template <>
struct EnumInfo<Result> {
  // Result carries no wire code: it has a name and an ordinal only.
  static constexpr bool coded = false;
  static constexpr std::array<EnumEntry<Result>, 3> entries{
      {{Result::OK, "OK"}, {Result::ERROR, "ERROR"}, {Result::UNAUTHORIZED, "UNAUTHORIZED"}}};
};

inline std::ostream& operator<<(std::ostream& os, Result r) { return os << name(r); }

// A command's result together with its value; the value is present exactly when the result is
// OK, and the factories are the only way to build one.
template <class T>
class Outcome {
 public:
  static Outcome ok(T v) { return Outcome(Result::OK, std::move(v)); }

  static Outcome failed(Result r) {
    if (r == Result::OK) {
      throw std::invalid_argument("A failed outcome needs ERROR or UNAUTHORIZED");
    }
    return Outcome(r, std::nullopt);
  }

  Result result() const { return result_; }
  bool isOk() const { return result_ == Result::OK; }
  const std::optional<T>& value() const& { return value_; }
  std::optional<T>&& value() && { return std::move(value_); }

  friend bool operator==(const Outcome&, const Outcome&) = default;

 private:
  Outcome(Result r, std::optional<T> v) : result_(r), value_(std::move(v)) {}

  Result result_;
  std::optional<T> value_;
};

}  // namespace tavrix
