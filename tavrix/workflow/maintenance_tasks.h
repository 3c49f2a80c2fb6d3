#pragma once

// The task kinds besides ControlTask: each runs one lock command and reports it once through
// its callback (CallFunctionTask never reports a failed selection).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tavrix/values/bytes.h"
#include "tavrix/values/device_log.h"
#include "tavrix/values/enums.h"
#include "tavrix/values/parameters.h"
#include "tavrix/values/result.h"
#include "tavrix/workflow/common_task.h"
#include "tavrix/workflow/task_callback.h"

namespace tavrix {

using ResultCallback = TaskCallback<Result>;
using LogCallback = TaskCallback<Result, std::optional<std::vector<DeviceLog>>>;
using WordsCallback = TaskCallback<Result, std::optional<Words>>;

// Installs the session key in the lock, authorised by the 16-byte form of `sKey`.
class SetKeyTask final : public CommonTask {
 public:
  SetKeyTask(std::string password, std::optional<UserType> userType, std::string sKey,
             ResultCallback callback);

  const std::string& password() const override { return password_; }
  std::optional<UserType> userType() const override { return userType_; }
  const std::string& sKey() const { return sKey_; }
  const ResultCallback& callback() const { return callback_; }

  SetKeyTask withPassword(std::string v) const;
  SetKeyTask withUserType(std::optional<UserType> v) const;
  SetKeyTask withSKey(std::string v) const;
  SetKeyTask withCallback(ResultCallback v) const;

  void onSelectError() const override;
  bool equals(const CommonTask& other) const override;
  std::int32_t hashCode() const override;
  std::string toString() const override;

 private:
  std::string password_;
  std::optional<UserType> userType_;
  std::string sKey_;
  ResultCallback callback_;
};

// Writes the motor parameters.
class SetParametersTask final : public CommonTask {
 public:
  SetParametersTask(std::string password, std::optional<UserType> userType, Parameters parameters,
                    ResultCallback callback);

  const std::string& password() const override { return password_; }
  std::optional<UserType> userType() const override { return userType_; }
  const Parameters& parameters() const { return parameters_; }
  const ResultCallback& callback() const { return callback_; }

  SetParametersTask withPassword(std::string v) const;
  SetParametersTask withUserType(std::optional<UserType> v) const;
  SetParametersTask withParameters(Parameters v) const;
  SetParametersTask withCallback(ResultCallback v) const;

  void onSelectError() const override;
  bool equals(const CommonTask& other) const override;
  std::int32_t hashCode() const override;
  std::string toString() const override;

 private:
  std::string password_;
  std::optional<UserType> userType_;
  Parameters parameters_;
  ResultCallback callback_;
};

// Reads the access log.
class GetLogTask final : public CommonTask {
 public:
  GetLogTask(std::string password, std::optional<UserType> userType, LogCallback callback);

  const std::string& password() const override { return password_; }
  std::optional<UserType> userType() const override { return userType_; }
  const LogCallback& callback() const { return callback_; }

  GetLogTask withPassword(std::string v) const;
  GetLogTask withUserType(std::optional<UserType> v) const;
  GetLogTask withCallback(LogCallback v) const;

  void onSelectError() const override;
  bool equals(const CommonTask& other) const override;
  std::int32_t hashCode() const override;
  std::string toString() const override;

 private:
  std::string password_;
  std::optional<UserType> userType_;
  LogCallback callback_;
};

// Reads the firmware version.
class GetVersionTask final : public CommonTask {
 public:
  GetVersionTask(std::string password, std::optional<UserType> userType, WordsCallback callback);

  const std::string& password() const override { return password_; }
  std::optional<UserType> userType() const override { return userType_; }
  const WordsCallback& callback() const { return callback_; }

  GetVersionTask withPassword(std::string v) const;
  GetVersionTask withUserType(std::optional<UserType> v) const;
  GetVersionTask withCallback(WordsCallback v) const;

  void onSelectError() const override;
  bool equals(const CommonTask& other) const override;
  std::int32_t hashCode() const override;
  std::string toString() const override;

 private:
  std::string password_;
  std::optional<UserType> userType_;
  WordsCallback callback_;
};

// Calls the lock's function number `index` with `data` and reads 16 answer words back, as they
// are: the lock's status word among them is left for the owner to judge.
class CallFunctionTask final : public CommonTask {
 public:
  CallFunctionTask(std::string password, std::optional<UserType> userType, Words data,
                   std::uint8_t index, WordsCallback callback);

  const std::string& password() const override { return password_; }
  std::optional<UserType> userType() const override { return userType_; }
  const Words& data() const { return data_; }
  std::uint8_t index() const { return index_; }
  const WordsCallback& callback() const { return callback_; }

  CallFunctionTask withPassword(std::string v) const;
  CallFunctionTask withUserType(std::optional<UserType> v) const;
  CallFunctionTask withData(Words v) const;
  CallFunctionTask withIndex(std::uint8_t v) const;
  CallFunctionTask withCallback(WordsCallback v) const;

  // The owner of a numbered function learns of a failed selection from onFinished alone.
  void onSelectError() const override {}
  bool equals(const CommonTask& other) const override;
  std::int32_t hashCode() const override;
  std::string toString() const override;

 private:
  std::string password_;
  std::optional<UserType> userType_;
  Words data_;
  std::uint8_t index_;
  WordsCallback callback_;
};

}  // namespace tavrix
