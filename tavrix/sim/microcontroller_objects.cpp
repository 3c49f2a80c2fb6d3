// What the lock does with each object once a request has been deciphered and authorised.
#include <algorithm>

#include "tavrix/cipher/aes_util.h"
#include "tavrix/sim/lock_objects.h"
#include "tavrix/sim/microcontroller.h"
#include "tavrix/sim/wire.h"
#include "tavrix/values/enums.h"

namespace tavrix::sim {
namespace {

constexpr std::uint32_t ok(std::uint16_t object) {
  return status::kAccepted | object;
}

bool isUserType(std::uint8_t v) {
  return fromValue<UserType>(v).has_value();
}
bool isCtrl(std::uint8_t v) {
  return fromValue<Ctrl>(v).has_value();
}
bool isMethod(std::uint8_t v) {
  return fromValue<Met>(v).has_value();
}

}  // namespace

Microcontroller::Reply Microcontroller::serve(const Request& r, const Bytes& value, FrameKey key) {
  const std::uint16_t o = r.object();
  switch (o) {
    case object::kIdentity:
    case object::kNewFlag:
    case object::kUserType:
      return serveClear(r, value);
    case object::kDateTime:
    case object::kUserName:
      return serveCredential(r, value, key);
    case object::kControlFirst:
    case object::kControlSecond:
      return serveControl(r, value);
    case object::kMotorProgress:
      return serveProgress(r);
    case object::kChargeTarget:
      return {ok(o), wire::bigEndian(config_.chargeTarget, 2)};
    case object::kChargePresent: {
      // The store fills by a step per reading and never beyond the target.
      const auto room = static_cast<std::uint32_t>(config_.chargeTarget) - contact_.chargePresent;
      const auto step = std::min<std::uint32_t>(config_.chargeStep, room);
      contact_.chargePresent = static_cast<std::uint16_t>(contact_.chargePresent + step);
      return {ok(o), wire::bigEndian(contact_.chargePresent, 2)};
    }
    case object::kFirmwareVersion:
      return {ok(o), wire::bigEndian(state_.firmwareVersion, 4)};
    case object::kNewKey:
    case object::kKeyCheck:
    case object::kKeyCommit:
      return serveKeyChange(r, value);
    case object::kLogCount:
    case object::kLogIndex:
    case object::kLogTime:
    case object::kLogName:
    case object::kLogOperation:
      return serveLog(r, value);
    default:
      return serveMotor(r, value);
  }
}

Microcontroller::Reply Microcontroller::serveClear(const Request& r, const Bytes& value) {
  switch (r.object()) {
    case object::kIdentity:
      return {ok(r.object()), wire::bigEndian(state_.id, 8)};
    case object::kNewFlag:
      return {ok(r.object()), Bytes{static_cast<std::uint8_t>(state_.isNew ? 0 : 1)}};
    default:
      if (!isUserType(value[0])) {
        return {status::kBadValue, {}};
      }
      contact_.user = value[0];
      return {ok(r.object()), {}};
  }
}

Microcontroller::Reply Microcontroller::serveCredential(const Request& r, const Bytes& value,
                                                        FrameKey key) {
  if (r.object() == object::kDateTime) {
    contact_.dateTime = Keyed<std::uint64_t>{wire::number(value), keyFor(key)};
  } else {
    contact_.userName = Keyed<std::string>{std::string(value.begin(), value.end()), keyFor(key)};
  }
  return {ok(r.object()), {}};
}

bool Microcontroller::hasCredentials(FrameKey key) const {
  const Bytes& k = keyFor(key);
  return contact_.dateTime && contact_.dateTime->key == k && contact_.userName &&
         contact_.userName->key == k;
}

// Two frames carry the same operation; the motor starts on the second.
Microcontroller::Reply Microcontroller::serveControl(const Request& r, const Bytes& value) {
  if (!hasCredentials(FrameKey::SESSION)) {
    return {status::kNoCredentials, {}};
  }
  const std::uint8_t code = value[0];
  if (!isCtrl(code)) {
    return {status::kBadValue, {}};
  }
  if (r.object() == object::kControlFirst) {
    contact_.firstControl = code;
    return {ok(r.object()), {}};
  }
  if (contact_.firstControl != code) {
    return {status::kOutOfOrder, {}};
  }
  contact_.firstControl.reset();
  contact_.movement = Movement{code, contact_.dateTime->value, contact_.userName->value};
  contact_.progress = 0;
  return {ok(r.object()), {}};
}

Microcontroller::Reply Microcontroller::serveProgress(const Request& r) {
  if (contact_.movement) {
    contact_.progress = static_cast<std::uint8_t>(
        std::min<unsigned>(100u, unsigned{contact_.progress} + config_.motorStep));
    if (contact_.progress >= 100) {
      finishMovement();
    }
  }
  return {ok(r.object()), Bytes{contact_.progress}};
}

void Microcontroller::finishMovement() {
  const Movement m = *contact_.movement;
  contact_.movement.reset();
  state_.locked = m.operation == value(Ctrl::LOCK);
  std::string user = m.user.substr(0, kMaxLogNameBytes);
  state_.log.push_back(LogEntry{m.time, std::move(user), m.operation});
  if (state_.log.size() > kMaxLogEntries) {
    state_.log.erase(state_.log.begin());
  }
}

// New key, proof under it, commit: every step needs the supervisor's credential blocks, and
// the key only becomes the lock's at the commit.
Microcontroller::Reply Microcontroller::serveKeyChange(const Request& r, const Bytes& value) {
  if (!hasCredentials(FrameKey::SUPERVISOR)) {
    return {status::kNoCredentials, {}};
  }
  switch (r.object()) {
    case object::kNewKey:
      contact_.newKey = value;
      contact_.keyChecked = false;
      return {ok(r.object()), {}};
    case object::kKeyCheck: {
      if (!contact_.newKey) {
        return {status::kOutOfOrder, {}};
      }
      const Words block{static_cast<std::uint32_t>(state_.id >> 32),
                        static_cast<std::uint32_t>(state_.id), random_.nextWord(),
                        random_.nextWord()};
      const Words proof = AESUtil::encryptUInt(block, 0, 3, *contact_.newKey, AESUtil::zeroIv());
      contact_.keyChecked = true;
      return {ok(r.object()), wire::wordBytes(proof, 0, 4)};
    }
    default:
      if (!contact_.newKey || !contact_.keyChecked) {
        return {status::kOutOfOrder, {}};
      }
      if (wire::number(value) != kKeyCommitWord) {
        return {status::kBadValue, {}};
      }
      state_.key = *contact_.newKey;
      state_.isNew = false;
      contact_.newKey.reset();
      contact_.keyChecked = false;
      return {ok(r.object()), {}};
  }
}

Microcontroller::Reply Microcontroller::serveMotor(const Request& r, const Bytes& value) {
  MotorParameters& m = state_.motor;
  const auto v = static_cast<std::uint16_t>(wire::number(value));
  switch (r.object()) {
    case object::kMotorMethod:
      if (!isMethod(value[0])) {
        return {status::kBadValue, {}};
      }
      m.method = value[0];
      break;
    case 0x1001:
      m.clampingVoltage = v;
      break;
    case 0x1002:
      m.voltageP1 = v;
      break;
    case 0x1003:
      m.voltageP2 = v;
      break;
    case 0x1004:
      m.timerP1 = v;
      break;
    case 0x1005:
      m.timerP2 = v;
      break;
    case 0x1006:
      m.singleP1 = v;
      break;
    default:
      m.totalMotorRuntime = v;
      break;
  }
  return {ok(r.object()), {}};
}

// The entry reads need an index chosen earlier in the same contact.
Microcontroller::Reply Microcontroller::serveLog(const Request& r, const Bytes& value) {
  const auto& log = state_.log;
  const std::uint16_t o = r.object();
  if (o == object::kLogCount) {
    return {ok(o), wire::bigEndian(log.size(), 2)};
  }
  if (o == object::kLogIndex) {
    const auto index = static_cast<std::uint16_t>(wire::number(value));
    if (index >= log.size()) {
      return {status::kBadValue, {}};
    }
    contact_.logIndex = index;
    return {ok(o), {}};
  }
  if (!contact_.logIndex || *contact_.logIndex >= log.size()) {
    return {status::kOutOfOrder, {}};
  }
  const LogEntry& e = log[*contact_.logIndex];
  switch (o) {
    case object::kLogTime:
      return {ok(o), wire::bigEndian(e.time, 8)};
    case object::kLogName:
      return {ok(o), Bytes(e.user.begin(), e.user.end())};
    default:
      return {ok(o), wire::bigEndian(e.operation, 4)};
  }
}

}  // namespace tavrix::sim
