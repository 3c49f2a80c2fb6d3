#include "tavrix/sim/state_file.h"

#include <cctype>
#include <cstdint>
#include <fstream>
#include <limits>
#include <sstream>

#include <nlohmann/json.hpp>

#include "tavrix/sim/trace.h"
#include "tavrix/sim/wire.h"

namespace tavrix::sim {
namespace {

using nlohmann::json;

constexpr const char* kFormat = "tavrix-simulated-lock";
constexpr int kVersion = 1;

std::string lowerHex(const Bytes& b) {
  std::string out = toHex(b);
  std::erase(out, ' ');
  for (char& c : out) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return out;
}

[[noreturn]] void reject(const std::string& what) {
  throw StateFileError("Not a usable lock state file: " + what);
}

const json& field(const json& object, const char* name, const std::string& where) {
  const auto it = object.find(name);
  if (it == object.end()) {
    reject("missing field '" + where + name + "'");
  }
  return *it;
}

bool boolean(const json& object, const char* name, const std::string& where = "") {
  const json& v = field(object, name, where);
  if (!v.is_boolean()) {
    reject("'" + where + name + "' must be true or false");
  }
  return v.get<bool>();
}

std::uint64_t unsignedNumber(const json& object, const char* name, std::uint64_t max,
                             const std::string& where = "") {
  const json& v = field(object, name, where);
  if (!v.is_number_unsigned() || v.get<std::uint64_t>() > max) {
    reject("'" + where + name + "' must be a whole number from 0 to " + std::to_string(max));
  }
  return v.get<std::uint64_t>();
}

Bytes hexBytes(const json& object, const char* name, std::size_t maxBytes,
               const std::string& where = "") {
  const json& v = field(object, name, where);
  if (!v.is_string()) {
    reject("'" + where + name + "' must be a hex string");
  }
  const std::string& text = v.get_ref<const std::string&>();
  if (text.size() % 2 != 0 || text.size() / 2 > maxBytes) {
    reject("'" + where + name + "' has the wrong length");
  }
  Bytes out;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    int byte = 0;
    for (char c : {text[i], text[i + 1]}) {
      const auto u = static_cast<unsigned char>(c);
      if (!std::isxdigit(u)) {
        reject("'" + where + name + "' is not hex");
      }
      byte = byte * 16 + (std::isdigit(u) ? c - '0' : std::tolower(u) - 'a' + 10);
    }
    out.push_back(static_cast<std::uint8_t>(byte));
  }
  return out;
}

Bytes exactHex(const json& object, const char* name, std::size_t bytes) {
  Bytes out = hexBytes(object, name, bytes);
  if (out.size() != bytes) {
    reject("'" + std::string(name) + "' must hold " + std::to_string(bytes) + " bytes");
  }
  return out;
}

const json& array(const json& object, const char* name) {
  const json& v = field(object, name, "");
  if (!v.is_array()) {
    reject("'" + std::string(name) + "' must be a list");
  }
  return v;
}

MotorParameters motorFrom(const json& j) {
  if (!j.is_object()) {
    reject("'motor' must be an object");
  }
  constexpr std::uint64_t k16 = 0xFFFF;
  const std::string at = "motor.";
  MotorParameters m;
  m.method = static_cast<std::uint8_t>(unsignedNumber(j, "method", 0xFF, at));
  m.clampingVoltage = static_cast<std::uint16_t>(unsignedNumber(j, "clampingVoltage", k16, at));
  m.voltageP1 = static_cast<std::uint16_t>(unsignedNumber(j, "voltageP1", k16, at));
  m.voltageP2 = static_cast<std::uint16_t>(unsignedNumber(j, "voltageP2", k16, at));
  m.timerP1 = static_cast<std::uint16_t>(unsignedNumber(j, "timerP1", k16, at));
  m.timerP2 = static_cast<std::uint16_t>(unsignedNumber(j, "timerP2", k16, at));
  m.singleP1 = static_cast<std::uint16_t>(unsignedNumber(j, "singleP1", k16, at));
  m.totalMotorRuntime = static_cast<std::uint16_t>(unsignedNumber(j, "totalMotorRuntime", k16, at));
  return m;
}

LogEntry logEntryFrom(const json& j, std::size_t i) {
  const std::string at = "log[" + std::to_string(i) + "].";
  if (!j.is_object()) {
    reject("'log' entries must be objects");
  }
  LogEntry e;
  e.time = unsignedNumber(j, "time", std::numeric_limits<std::uint64_t>::max(), at);
  const Bytes user = hexBytes(j, "user", kMaxLogNameBytes, at);
  e.user.assign(user.begin(), user.end());
  e.operation = static_cast<std::uint8_t>(unsignedNumber(j, "operation", 0xFF, at));
  return e;
}

}  // namespace

std::string stateToJson(const LockState& s) {
  json log = json::array();
  for (const LogEntry& e : s.log) {
    log.push_back({{"time", e.time},
                   {"user", lowerHex(Bytes(e.user.begin(), e.user.end()))},
                   {"operation", e.operation}});
  }
  const MotorParameters& m = s.motor;
  json j = {
      {"format", kFormat},
      {"version", kVersion},
      {"id", lowerHex(wire::bigEndian(s.id, 8))},
      {"isNew", s.isNew},
      {"key", lowerHex(s.key)},
      {"supervisorKey", lowerHex(s.supervisorKey)},
      {"firmwareVersion", s.firmwareVersion},
      {"locked", s.locked},
      {"motor",
       {{"method", m.method},
        {"clampingVoltage", m.clampingVoltage},
        {"voltageP1", m.voltageP1},
        {"voltageP2", m.voltageP2},
        {"timerP1", m.timerP1},
        {"timerP2", m.timerP2},
        {"singleP1", m.singleP1},
        {"totalMotorRuntime", m.totalMotorRuntime}}},
      {"customData", s.customData},
      {"log", log},
  };
  return j.dump(2) + "\n";
}

LockState stateFromJson(std::string_view text) {
  json j;
  try {
    j = json::parse(text);
  } catch (const json::exception& e) {
    reject(std::string("not JSON (") + e.what() + ")");
  }
  if (!j.is_object()) {
    reject("not a JSON object");
  }
  const json& format = field(j, "format", "");
  if (!format.is_string() || format.get_ref<const std::string&>() != kFormat) {
    reject(std::string("the format marker is not '") + kFormat + "'");
  }
  const json& version = field(j, "version", "");
  if (!version.is_number_integer() || version.get<std::int64_t>() != kVersion) {
    reject("unsupported version (this lock reads version " + std::to_string(kVersion) + ")");
  }

  LockState s;
  s.id = wire::number(exactHex(j, "id", 8));
  s.isNew = boolean(j, "isNew");
  s.key = exactHex(j, "key", 16);
  s.supervisorKey = exactHex(j, "supervisorKey", 16);
  s.firmwareVersion = static_cast<std::uint32_t>(unsignedNumber(j, "firmwareVersion", 0xFFFFFFFF));
  s.locked = boolean(j, "locked");
  s.motor = motorFrom(field(j, "motor", ""));

  const json& custom = array(j, "customData");
  if (custom.size() != kCustomDataWords) {
    reject("'customData' must hold 14 words");
  }
  for (std::size_t i = 0; i < kCustomDataWords; ++i) {
    const json& w = custom[i];
    if (!w.is_number_unsigned() || w.get<std::uint64_t>() > 0xFFFFFFFF) {
      reject("'customData' words must be whole numbers from 0 to 4294967295");
    }
    s.customData[i] = static_cast<std::uint32_t>(w.get<std::uint64_t>());
  }

  const json& log = array(j, "log");
  if (log.size() > kMaxLogEntries) {
    reject("the log holds more than 65535 entries");
  }
  for (std::size_t i = 0; i < log.size(); ++i) {
    s.log.push_back(logEntryFrom(log[i], i));
  }

  if (auto problem = validate(s)) {
    reject(*problem);
  }
  return s;
}

void writeStateFile(const std::filesystem::path& path, const LockState& state) {
  std::filesystem::path temporary = path;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << stateToJson(state);
    out.close();
    if (!out) {
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      throw StateFileError("Cannot write the lock state file " + path.string());
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    throw StateFileError("Cannot write the lock state file " + path.string());
  }
}

LockState readStateFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw StateFileError("Cannot read the lock state file " + path.string());
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) {
    throw StateFileError("Cannot read the lock state file " + path.string());
  }
  return stateFromJson(text.str());
}

}  // namespace tavrix::sim
