#pragma once

#include <optional>
#include <string>

#include "tavrix/values/charge_level.h"
#include "tavrix/values/control_progress.h"
#include "tavrix/values/enums.h"
#include "tavrix/values/result.h"
#include "tavrix/workflow/common_task.h"
#include "tavrix/workflow/task_callback.h"

namespace tavrix {

// Lock or unlock: the engine follows the charging, sends the control command and follows the
// motor's progress, reporting each reading.
class ControlTask final : public CommonTask {
 public:
  // After every charge reading; (ERROR, none) when the user cannot be selected.
  using ChargeCallback = TaskCallback<Result, std::optional<ChargeLevel>>;
  // Once after the control command with no progress, then after every progress reading unless
  // ignoreProgress is set.
  using ControlCallback = TaskCallback<Result, std::optional<ControlProgress>>;

  ControlTask(std::string password, std::optional<UserType> userType, Ctrl ctrl,
              bool ignoreProgress, ChargeCallback chargeCallback, ControlCallback controlCallback);

  const std::string& password() const override { return password_; }
  std::optional<UserType> userType() const override { return userType_; }
  Ctrl ctrl() const { return ctrl_; }
  bool ignoreProgress() const { return ignoreProgress_; }
  const ChargeCallback& chargeCallback() const { return chargeCallback_; }
  const ControlCallback& controlCallback() const { return controlCallback_; }

  ControlTask withPassword(std::string v) const;
  ControlTask withUserType(std::optional<UserType> v) const;
  ControlTask withCtrl(Ctrl v) const;
  ControlTask withIgnoreProgress(bool v) const;
  ControlTask withChargeCallback(ChargeCallback v) const;
  ControlTask withControlCallback(ControlCallback v) const;

  void onSelectError() const override;
  bool equals(const CommonTask& other) const override;
  std::int32_t hashCode() const override;
  std::string toString() const override;

 private:
  std::string password_;
  std::optional<UserType> userType_;
  Ctrl ctrl_;
  bool ignoreProgress_;
  ChargeCallback chargeCallback_;
  ControlCallback controlCallback_;
};

}  // namespace tavrix
