#pragma once

#include <concepts>
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <type_traits>
#include <utility>

namespace tavrix {

namespace detail {
// Identity hash of the object at `address`; text form of a callback holder there (nullptr: no
// callback).
std::int32_t identityHash(const void* address);
std::string callbackText(const void* address);
}  // namespace detail

// A task's callback: a function object with an identity. Tasks compare their callbacks by
// identity, so the function is kept in one shared holder and the holder's address is the
// identity. Copies share the holder and are therefore equal; wrapping the same lambda twice
// gives two different callbacks. A callback built without a function (default, or from an empty
// std::function) does nothing when called.
template <class... Args>
class TaskCallback {
 public:
  using Function = std::function<void(Args...)>;

  TaskCallback() = default;

  // Implicit on purpose: a lambda can be passed where a task expects a callback; each such
  // conversion makes a new identity.
  template <class F>
  requires(!std::same_as<std::remove_cvref_t<F>, TaskCallback> && std::is_invocable_v<F&, Args...>)
      // NOLINTNEXTLINE(google-explicit-constructor,bugprone-forwarding-reference-overload)
      TaskCallback(F&& f)
      : holder_(makeHolder(Function(std::forward<F>(f)))) {}

  void operator()(Args... args) const {
    if (holder_) {
      (*holder_)(std::forward<Args>(args)...);
    }
  }

  explicit operator bool() const { return holder_ != nullptr; }

  friend bool operator==(const TaskCallback& a, const TaskCallback& b) {
    return a.holder_ == b.holder_;
  }

  std::int32_t hashCode() const { return detail::identityHash(holder_.get()); }
  std::string toString() const { return detail::callbackText(holder_.get()); }

  friend std::ostream& operator<<(std::ostream& os, const TaskCallback& c) {
    return os << c.toString();
  }

 private:
  static std::shared_ptr<const Function> makeHolder(Function f) {
    if (!f) {
      return nullptr;
    }
    return std::make_shared<const Function>(std::move(f));
  }

  std::shared_ptr<const Function> holder_;
};

}  // namespace tavrix
