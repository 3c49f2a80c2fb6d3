#include "tavrix/workflow/control_task.h"

#include <sstream>
#include <utility>

#include "tavrix/values/hashing.h"
#include "tavrix/workflow/task_format.h"

namespace tavrix {

ControlTask::ControlTask(std::string password, std::optional<UserType> userType, Ctrl ctrl,
                         bool ignoreProgress, ChargeCallback chargeCallback,
                         ControlCallback controlCallback)
    : password_(std::move(password)),
      userType_(userType),
      ctrl_(ctrl),
      ignoreProgress_(ignoreProgress),
      chargeCallback_(std::move(chargeCallback)),
      controlCallback_(std::move(controlCallback)) {}

ControlTask ControlTask::withPassword(std::string v) const {
  return detail::copyWith(*this, &ControlTask::password_, std::move(v));
}
ControlTask ControlTask::withUserType(std::optional<UserType> v) const {
  return detail::copyWith(*this, &ControlTask::userType_, v);
}
ControlTask ControlTask::withCtrl(Ctrl v) const {
  return detail::copyWith(*this, &ControlTask::ctrl_, v);
}
ControlTask ControlTask::withIgnoreProgress(bool v) const {
  return detail::copyWith(*this, &ControlTask::ignoreProgress_, v);
}
ControlTask ControlTask::withChargeCallback(ChargeCallback v) const {
  return detail::copyWith(*this, &ControlTask::chargeCallback_, std::move(v));
}
ControlTask ControlTask::withControlCallback(ControlCallback v) const {
  return detail::copyWith(*this, &ControlTask::controlCallback_, std::move(v));
}

void ControlTask::onSelectError() const {
  chargeCallback_(Result::ERROR, std::nullopt);
}

bool ControlTask::equals(const CommonTask& other) const {
  const auto* o = dynamic_cast<const ControlTask*>(&other);
  return o != nullptr && password_ == o->password_ && userType_ == o->userType_ &&
         ctrl_ == o->ctrl_ && ignoreProgress_ == o->ignoreProgress_ &&
         chargeCallback_ == o->chargeCallback_ && controlCallback_ == o->controlCallback_;
}

std::int32_t ControlTask::hashCode() const {
  return hashing::Folder(hashing::ofText(password_))
      .add(hashing::ofEnum(userType_))
      .add(hashing::ofEnum(ctrl_))
      .add(hashing::of(ignoreProgress_))
      .add(chargeCallback_.hashCode())
      .add(controlCallback_.hashCode())
      .get();
}

std::string ControlTask::toString() const {
  std::ostringstream os;
  os << "ControlTask(password=" << password_ << ", userType=";
  detail::printUserType(os, userType_);
  os << ", ctrl=" << name(ctrl_) << ", ignoreProgress=" << detail::boolText(ignoreProgress_)
     << ", chargeCallback=" << chargeCallback_ << ", controlCallback=" << controlCallback_ << ")";
  return os.str();
}

}  // namespace tavrix
