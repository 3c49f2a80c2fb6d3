#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include <asio/awaitable.hpp>

#include "tavrix/taglink/nfc_tag.h"
#include "tavrix/values/bytes.h"
#include "tavrix/values/device.h"
#include "tavrix/values/device_info.h"
#include "tavrix/values/device_log.h"
#include "tavrix/values/charge_level.h"
#include "tavrix/values/control_progress.h"
#include "tavrix/values/enums.h"
#include "tavrix/values/parameters.h"
#include "tavrix/values/result.h"

namespace tavrix {

// Checks and reads one answer payload; `i` is the frame's position in the exchange, from 0.
using ResponseParser = std::function<bool(const Words& payload, std::int32_t i)>;

// The lock's commands. Each command makes exactly the tag exchanges its frames need, never
// retries, and reports through Result; a value is present exactly when the result is OK.
// Keys are 16 bytes; a key of another length throws std::invalid_argument before anything is
// sent. The tag must outlive the command, and commands on one tag must not overlap.
// Cancelling a command through Asio ends it: a cancellation that reaches a tag exchange gives
// the failure result; one already pending when the command awaits its next step is raised as
// Asio's operation_aborted error, as for any other coroutine.
class DeviceManager {
 public:
  DeviceManager() = delete;

  // One mailbox exchange: write `words` behind the header word for command byte `f`, trigger,
  // and read `readCount` words back from the start address.
  static asio::awaitable<Outcome<Words>> call(NFCTag& t, Device d, std::uint8_t f, Words words,
                                              std::uint32_t readCount);

  // Sends `frames` in order with command byte 0, reading n + 2 words after each; stops at the
  // first failure: ERROR for a failed exchange or a rejected payload, UNAUTHORIZED for a status
  // word of 0xFFFF or less. A negative n leaves no room for the status word: nothing is sent and
  // the result is ERROR. An empty parser accepts every payload.
  static asio::awaitable<Result> transAndCheckResult(NFCTag& t, Device d,
                                                     std::vector<Words> frames, std::int32_t n,
                                                     ResponseParser parser);

  // Discovery and selection (frames in clear).
  static asio::awaitable<Outcome<Device>> init(NFCTag& t);
  static asio::awaitable<Outcome<std::uint32_t>> getRssi(NFCTag& t, Device d);
  static asio::awaitable<Outcome<DeviceInfo>> getInfo(NFCTag& t, Device d);
  static asio::awaitable<Result> select(NFCTag& t, Device d, UserType type);

  // Keyed commands.
  static asio::awaitable<Outcome<Words>> getVersion(NFCTag& t, Device d, Bytes key);
  static asio::awaitable<Outcome<ChargeLevel>> getChargeLevel(NFCTag& t, Device d, Bytes key);
  static asio::awaitable<Result> control(NFCTag& t, Device d, Bytes key, Ctrl ctrl);
  static asio::awaitable<Outcome<ControlProgress>> getControlProgress(NFCTag& t, Device d,
                                                                      Bytes key);
  static asio::awaitable<Result> setKey(NFCTag& t, Device d, DeviceInfo info, Bytes key,
                                        Bytes sKey);
  static asio::awaitable<Result> setParameters(NFCTag& t, Device d, Bytes key, Parameters p);
  static asio::awaitable<Outcome<std::vector<DeviceLog>>> getLog(NFCTag& t, Device d, Bytes key);

  // Key derivation: the password's UTF-8 bytes cut or zero-padded to 16, and the session key,
  // that 16-byte key applied to the lock's identity.
  static Bytes toFixed16(std::string_view password);
  static Bytes enc(const Bytes& key, const DeviceInfo& info);
};

}  // namespace tavrix
