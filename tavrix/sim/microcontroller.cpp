#include "tavrix/sim/microcontroller.h"

#include <algorithm>

#include "tavrix/cipher/aes_util.h"
#include "tavrix/sim/lock_objects.h"
#include "tavrix/sim/wire.h"

namespace tavrix::sim {
namespace {

constexpr std::uint32_t kClearMode = 0x0001;
constexpr std::uint32_t kCipherMode = 0x8001;
// Enciphered answers always carry two chained blocks: a host that deciphers one block still
// gets the same first four words, CBC being what it is.
constexpr std::size_t kCipherPayloadWords = 8;
constexpr std::size_t kClearPayloadWords = 4;

// Answer word 0 mirrors a frame's length word: the bytes after it and whether the payload is
// enciphered.
std::uint32_t lengthWord(std::size_t wordsAfter, bool enciphered) {
  return static_cast<std::uint32_t>(wordsAfter * 4) << 16 | (enciphered ? kCipherMode : kClearMode);
}

Words refusal(std::uint32_t status) {
  return {lengthWord(1, false), status};
}

std::size_t valueWords(const Request& r) {
  return (r.valueLength() + 3u) / 4u;
}

// A request the lock serves, fitting in a frame of `k` words after the length word.
const ObjectSpec* validRequest(const Request& r, std::size_t k) {
  const ObjectSpec* spec = findSpec(r);
  if (spec == nullptr || (spec->write && 2 + valueWords(r) > k)) {
    return nullptr;
  }
  return spec;
}

bool allows(Security s, FrameKey key) {
  switch (s) {
    case Security::CLEAR:
      return key == FrameKey::NONE;
    case Security::ANY_KEY:
      return key != FrameKey::NONE;
    case Security::SESSION:
      return key == FrameKey::SESSION;
    case Security::SUPERVISOR:
      return key == FrameKey::SUPERVISOR;
  }
  return false;
}

}  // namespace

Microcontroller::Microcontroller(const LockConfig& config, LockState state)
    : config_(config), state_(std::move(state)), random_(config.randomSeed) {}

void Microcontroller::setState(LockState s) {
  state_ = std::move(s);
  newContact();
}

const Bytes& Microcontroller::keyFor(FrameKey k) const {
  return k == FrameKey::SUPERVISOR ? state_.supervisorKey : state_.key;
}

FrameRecord Microcontroller::run(TagMemory& memory, std::uint32_t start,
                                 const std::set<std::uint16_t>& refused) {
  const std::uint32_t header = memory.readWord(start);
  FrameRecord record;
  record.commandByte = static_cast<std::uint8_t>(header);
  if ((header & 0xFFFFFF00u) != 0x60000000u) {
    record.status = status::kMalformed;
  } else if (record.commandByte == function::kFrame) {
    return runFrame(memory, start, refused);
  } else if (record.commandByte == function::kCustomData) {
    return runCustomData(memory, start);
  } else if (record.commandByte == function::kRssi) {
    record.status = status::kAccepted | function::kRssi;
    memory.writeAnswer(start, {config_.rssi, record.status});
    return record;
  } else {
    record.status = status::kUnknownFunction;
  }
  memory.writeAnswer(start, refusal(record.status));
  return record;
}

FrameRecord Microcontroller::runCustomData(TagMemory& memory, std::uint32_t start) {
  FrameRecord record;
  record.commandByte = function::kCustomData;
  const std::uint32_t first = start + 4;
  if (!memory.writtenSinceTrigger(first)) {
    record.status = status::kMalformed;
    memory.writeAnswer(start, refusal(record.status));
    return record;
  }
  const std::uint32_t config = memory.readWord(first);
  record.words.push_back(config);
  const bool write = config == 1;
  if (write) {
    for (std::uint32_t i = 1; i <= kCustomDataWords; ++i) {
      if (!memory.writtenSinceTrigger(first + 4 * i)) {
        record.status = status::kMalformed;
        memory.writeAnswer(start, refusal(record.status));
        return record;
      }
      record.words.push_back(memory.readWord(first + 4 * i));
    }
    std::copy(record.words.begin() + 1, record.words.end(), state_.customData.begin());
  } else if (config != 2) {
    record.status = status::kBadValue;
    memory.writeAnswer(start, refusal(record.status));
    return record;
  }
  record.status = status::kAccepted | function::kCustomData;
  Words answer{lengthWord(1 + kCustomDataWords, false), record.status};
  answer.insert(answer.end(), state_.customData.begin(), state_.customData.end());
  memory.writeAnswer(start, answer);
  return record;
}

FrameRecord Microcontroller::runFrame(TagMemory& memory, std::uint32_t start,
                                      const std::set<std::uint16_t>& refused) {
  FrameRecord record;
  record.commandByte = function::kFrame;
  const auto fail = [&](std::uint32_t s) {
    record.status = s;
    memory.writeAnswer(start, refusal(s));
    return record;
  };

  // Word i of the frame lies at start + 4 + 4i; only words written for this request count.
  const std::uint32_t base = start + 4;
  if (!memory.writtenSinceTrigger(base)) {
    return fail(status::kMalformed);
  }
  const std::uint32_t lengthWordIn = memory.readWord(base);
  const std::uint32_t bytes = lengthWordIn >> 16;
  const std::uint32_t mode = lengthWordIn & 0xFFFF;
  record.enciphered = mode == kCipherMode;
  const std::size_t k = bytes / 4;
  if ((mode != kClearMode && mode != kCipherMode) || bytes % 4 != 0 || k < 2 ||
      (record.enciphered && bytes % 16 != 0)) {
    return fail(status::kMalformed);
  }
  record.words.push_back(lengthWordIn);
  for (std::uint32_t i = 1; i <= k; ++i) {
    if (!memory.writtenSinceTrigger(base + 4 * i)) {
      return fail(status::kMalformed);
    }
    record.words.push_back(memory.readWord(base + 4 * i));
  }

  const ObjectSpec* spec = nullptr;
  if (!record.enciphered) {
    spec = validRequest(Request{record.words[2]}, k);
    if (spec == nullptr || spec->security != Security::CLEAR) {
      return fail(status::kUnknownRequest);
    }
  } else {
    // A frame makes sense under at most one key in practice; try the lock's own first.
    const auto last = static_cast<std::int32_t>(k);
    for (FrameKey key : {FrameKey::SESSION, FrameKey::SUPERVISOR}) {
      Words clear = AESUtil::decryptUInt(record.words, 1, last, keyFor(key), AESUtil::zeroIv());
      const ObjectSpec* candidate = validRequest(Request{clear[2]}, k);
      if (candidate != nullptr && allows(candidate->security, key)) {
        spec = candidate;
        record.key = key;
        record.words = std::move(clear);
        break;
      }
    }
    if (spec == nullptr) {
      return fail(status::kUnknownRequest);
    }
  }

  const Request request{record.words[2]};
  record.request = request;
  if (request.isWrite()) {
    record.value = wire::wordBytes(record.words, 3, valueWords(request));
    record.value.resize(request.valueLength());
  }
  if (refused.contains(request.object())) {
    return fail(status::kRefusedObject);
  }
  if (spec->security != Security::CLEAR && !contact_.user) {
    return fail(status::kNoUser);
  }
  const Reply reply = serve(request, record.value, record.key);
  if (!status::accepted(reply.status)) {
    return fail(reply.status);
  }
  record.status = reply.status;

  const std::size_t n = record.enciphered ? kCipherPayloadWords : kClearPayloadWords;
  Words payload = answerPayload(request, reply.value, n);
  if (record.enciphered) {
    payload = AESUtil::encryptUInt(payload, 0, static_cast<std::int32_t>(n - 1), keyFor(record.key),
                                   AESUtil::zeroIv());
  }
  Words answer{lengthWord(1 + n, record.enciphered), record.status};
  answer.insert(answer.end(), payload.begin(), payload.end());
  memory.writeAnswer(start, answer);
  return record;
}

// Payload layout, like a frame's: a fresh nonce, the request word (a read's carrying the
// length of the value actually sent), then the value from the most significant byte of word 2
// on, random bytes after it.
Words Microcontroller::answerPayload(const Request& r, const Bytes& value, std::size_t words) {
  std::uint32_t echo = r.word;
  if (!r.isWrite()) {
    echo = (echo & 0xFF00FFFFu) | static_cast<std::uint32_t>(value.size()) << 16;
  }
  Bytes body = value;
  const std::size_t room = 4 * (words - 2);
  while (body.size() < room) {
    body.push_back(static_cast<std::uint8_t>(random_.nextWord()));
  }
  body.resize(room);
  Words payload{random_.nextWord(), echo};
  const Words rest = wire::toWords(body);
  payload.insert(payload.end(), rest.begin(), rest.end());
  return payload;
}

}  // namespace tavrix::sim
