#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "tavrix/values/enums.h"

namespace tavrix {

// One unit of work for one contact with a lock: the credentials the engine derives its key from
// and selects a user with, the operation, and the callbacks it reports through. Tasks are
// immutable and shared as std::shared_ptr<const CommonTask>.
//
// The engine runs only the six kinds of the kit (ControlTask, SetKeyTask, SetParametersTask,
// GetLogTask, GetVersionTask, CallFunctionTask); a run handed any other subclass ends without
// running it.
class CommonTask {
 public:
  virtual ~CommonTask() = default;

  virtual const std::string& password() const = 0;
  virtual std::optional<UserType> userType() const = 0;
  // Reports that the task's user could not be selected on the lock.
  virtual void onSelectError() const = 0;

  // Same kind and equal fields. Subclasses of the host that do not override these compare,
  // hash and print by identity.
  virtual bool equals(const CommonTask& other) const { return this == &other; }
  virtual std::int32_t hashCode() const;
  virtual std::string toString() const;

  friend bool operator==(const CommonTask& a, const CommonTask& b) { return a.equals(b); }

 protected:
  CommonTask() = default;
  // Copying is for the kinds' own with-ers; a bare CommonTask is never copied (no slicing).
  // Nothing is ever assigned: a task is immutable once built, in whatever way it is held.
  CommonTask(const CommonTask&) = default;
  CommonTask& operator=(const CommonTask&) = delete;
};

std::ostream& operator<<(std::ostream& os, const CommonTask& task);

}  // namespace tavrix
