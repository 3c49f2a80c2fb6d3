#include "tavrix/workflow/maintenance_tasks.h"

#include <sstream>
#include <utility>

#include "tavrix/values/hashing.h"
#include "tavrix/workflow/task_format.h"

namespace tavrix {

using detail::copyWith;

// SetKeyTask

SetKeyTask::SetKeyTask(std::string password, std::optional<UserType> userType, std::string sKey,
                       ResultCallback callback)
    : password_(std::move(password)),
      userType_(userType),
      sKey_(std::move(sKey)),
      callback_(std::move(callback)) {}

SetKeyTask SetKeyTask::withPassword(std::string v) const {
  return copyWith(*this, &SetKeyTask::password_, std::move(v));
}
SetKeyTask SetKeyTask::withUserType(std::optional<UserType> v) const {
  return copyWith(*this, &SetKeyTask::userType_, v);
}
SetKeyTask SetKeyTask::withSKey(std::string v) const {
  return copyWith(*this, &SetKeyTask::sKey_, std::move(v));
}
SetKeyTask SetKeyTask::withCallback(ResultCallback v) const {
  return copyWith(*this, &SetKeyTask::callback_, std::move(v));
}

void SetKeyTask::onSelectError() const {
  callback_(Result::ERROR);
}

bool SetKeyTask::equals(const CommonTask& other) const {
  const auto* o = dynamic_cast<const SetKeyTask*>(&other);
  return o != nullptr && password_ == o->password_ && userType_ == o->userType_ &&
         sKey_ == o->sKey_ && callback_ == o->callback_;
}

std::int32_t SetKeyTask::hashCode() const {
  return hashing::Folder(hashing::ofText(password_))
      .add(hashing::ofEnum(userType_))
      .add(hashing::ofText(sKey_))
      .add(callback_.hashCode())
      .get();
}

std::string SetKeyTask::toString() const {
  std::ostringstream os;
  os << "SetKeyTask(password=" << password_ << ", userType=";
  detail::printUserType(os, userType_);
  os << ", sKey=" << sKey_ << ", callback=" << callback_ << ")";
  return os.str();
}

// SetParametersTask

SetParametersTask::SetParametersTask(std::string password, std::optional<UserType> userType,
                                     Parameters parameters, ResultCallback callback)
    : password_(std::move(password)),
      userType_(userType),
      parameters_(parameters),
      callback_(std::move(callback)) {}

SetParametersTask SetParametersTask::withPassword(std::string v) const {
  return copyWith(*this, &SetParametersTask::password_, std::move(v));
}
SetParametersTask SetParametersTask::withUserType(std::optional<UserType> v) const {
  return copyWith(*this, &SetParametersTask::userType_, v);
}
SetParametersTask SetParametersTask::withParameters(Parameters v) const {
  return copyWith(*this, &SetParametersTask::parameters_, v);
}
SetParametersTask SetParametersTask::withCallback(ResultCallback v) const {
  return copyWith(*this, &SetParametersTask::callback_, std::move(v));
}

void SetParametersTask::onSelectError() const {
  callback_(Result::ERROR);
}

bool SetParametersTask::equals(const CommonTask& other) const {
  const auto* o = dynamic_cast<const SetParametersTask*>(&other);
  return o != nullptr && password_ == o->password_ && userType_ == o->userType_ &&
         parameters_ == o->parameters_ && callback_ == o->callback_;
}

std::int32_t SetParametersTask::hashCode() const {
  return hashing::Folder(hashing::ofText(password_))
      .add(hashing::ofEnum(userType_))
      .add(parameters_.hashCode())
      .add(callback_.hashCode())
      .get();
}

std::string SetParametersTask::toString() const {
  std::ostringstream os;
  os << "SetParametersTask(password=" << password_ << ", userType=";
  detail::printUserType(os, userType_);
  os << ", parameters=" << parameters_ << ", callback=" << callback_ << ")";
  return os.str();
}

// GetLogTask

GetLogTask::GetLogTask(std::string password, std::optional<UserType> userType, LogCallback callback)
    : password_(std::move(password)), userType_(userType), callback_(std::move(callback)) {}

GetLogTask GetLogTask::withPassword(std::string v) const {
  return copyWith(*this, &GetLogTask::password_, std::move(v));
}
GetLogTask GetLogTask::withUserType(std::optional<UserType> v) const {
  return copyWith(*this, &GetLogTask::userType_, v);
}
GetLogTask GetLogTask::withCallback(LogCallback v) const {
  return copyWith(*this, &GetLogTask::callback_, std::move(v));
}

void GetLogTask::onSelectError() const {
  callback_(Result::ERROR, std::nullopt);
}

bool GetLogTask::equals(const CommonTask& other) const {
  const auto* o = dynamic_cast<const GetLogTask*>(&other);
  return o != nullptr && password_ == o->password_ && userType_ == o->userType_ &&
         callback_ == o->callback_;
}

std::int32_t GetLogTask::hashCode() const {
  return hashing::Folder(hashing::ofText(password_))
      .add(hashing::ofEnum(userType_))
      .add(callback_.hashCode())
      .get();
}

std::string GetLogTask::toString() const {
  std::ostringstream os;
  os << "GetLogTask(password=" << password_ << ", userType=";
  detail::printUserType(os, userType_);
  os << ", callback=" << callback_ << ")";
  return os.str();
}

// GetVersionTask

GetVersionTask::GetVersionTask(std::string password, std::optional<UserType> userType,
                               WordsCallback callback)
    : password_(std::move(password)), userType_(userType), callback_(std::move(callback)) {}

GetVersionTask GetVersionTask::withPassword(std::string v) const {
  return copyWith(*this, &GetVersionTask::password_, std::move(v));
}
GetVersionTask GetVersionTask::withUserType(std::optional<UserType> v) const {
  return copyWith(*this, &GetVersionTask::userType_, v);
}
GetVersionTask GetVersionTask::withCallback(WordsCallback v) const {
  return copyWith(*this, &GetVersionTask::callback_, std::move(v));
}

void GetVersionTask::onSelectError() const {
  callback_(Result::ERROR, std::nullopt);
}

bool GetVersionTask::equals(const CommonTask& other) const {
  const auto* o = dynamic_cast<const GetVersionTask*>(&other);
  return o != nullptr && password_ == o->password_ && userType_ == o->userType_ &&
         callback_ == o->callback_;
}

std::int32_t GetVersionTask::hashCode() const {
  return hashing::Folder(hashing::ofText(password_))
      .add(hashing::ofEnum(userType_))
      .add(callback_.hashCode())
      .get();
}

std::string GetVersionTask::toString() const {
  std::ostringstream os;
  os << "GetVersionTask(password=" << password_ << ", userType=";
  detail::printUserType(os, userType_);
  os << ", callback=" << callback_ << ")";
  return os.str();
}

// CallFunctionTask

CallFunctionTask::CallFunctionTask(std::string password, std::optional<UserType> userType,
                                   Words data, std::uint8_t index, WordsCallback callback)
    : password_(std::move(password)),
      userType_(userType),
      data_(std::move(data)),
      index_(index),
      callback_(std::move(callback)) {}

CallFunctionTask CallFunctionTask::withPassword(std::string v) const {
  return copyWith(*this, &CallFunctionTask::password_, std::move(v));
}
CallFunctionTask CallFunctionTask::withUserType(std::optional<UserType> v) const {
  return copyWith(*this, &CallFunctionTask::userType_, v);
}
CallFunctionTask CallFunctionTask::withData(Words v) const {
  return copyWith(*this, &CallFunctionTask::data_, std::move(v));
}
CallFunctionTask CallFunctionTask::withIndex(std::uint8_t v) const {
  return copyWith(*this, &CallFunctionTask::index_, v);
}
CallFunctionTask CallFunctionTask::withCallback(WordsCallback v) const {
  return copyWith(*this, &CallFunctionTask::callback_, std::move(v));
}

bool CallFunctionTask::equals(const CommonTask& other) const {
  const auto* o = dynamic_cast<const CallFunctionTask*>(&other);
  return o != nullptr && password_ == o->password_ && userType_ == o->userType_ &&
         data_ == o->data_ && index_ == o->index_ && callback_ == o->callback_;
}

std::int32_t CallFunctionTask::hashCode() const {
  return hashing::Folder(hashing::ofText(password_))
      .add(hashing::ofEnum(userType_))
      .add(detail::wordsHash(data_))
      .add(hashing::of(std::uint16_t{index_}))
      .add(callback_.hashCode())
      .get();
}

std::string CallFunctionTask::toString() const {
  std::ostringstream os;
  os << "CallFunctionTask(password=" << password_ << ", userType=";
  detail::printUserType(os, userType_);
  os << ", data=";
  detail::printWords(os, data_);
  os << ", index=" << unsigned{index_} << ", callback=" << callback_ << ")";
  return os.str();
}

}  // namespace tavrix
