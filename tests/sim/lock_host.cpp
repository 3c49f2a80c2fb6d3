#include "tests/sim/lock_host.h"

#include "tavrix/cipher/aes_util.h"
#include "tavrix/taglink/nfc_util.h"
#include "tests/support/run_sync.h"

namespace tavrix::sim::testing {

using tavrix::testing::runSync;

bool LockHost::startContact() {
  if (!runSync(NFCUtil::start(lock_))) {
    return false;
  }
  const auto start = runSync(NFCUtil::getStartAddress(lock_));
  start_ = start.value_or(0);
  return start.has_value();
}

std::optional<Words> LockHost::call(std::uint8_t cc, const Words& words, std::int32_t readCount) {
  if (!runSync(NFCUtil::write(lock_, start_, cc, words))) {
    return std::nullopt;
  }
  return runSync(NFCUtil::read(lock_, start_, readCount));
}

std::uint32_t LockHost::status(const Words& f, std::int32_t n) {
  const auto answer = frame(f, n);
  return answer ? (*answer)[1] : 0;
}

std::optional<Words> LockHost::keyedRead(std::uint32_t request, const Bytes& key) {
  const auto answer = frame(encipher(fiveWords(request, ++nonce_), key), 8);
  if (!answer || (*answer)[1] <= 0xFFFF) {
    return std::nullopt;
  }
  return decipherPayload(*answer, key);
}

std::uint32_t LockHost::keyedWrite(std::uint32_t request, std::uint32_t valueWord,
                                   const Bytes& key) {
  return status(encipher(fiveWords(request, valueWord), key));
}

std::uint32_t LockHost::select(std::uint8_t userType) {
  return status({0x000C0001, ++nonce_, 0x83011900, std::uint32_t{userType} << 24 | 0x00ABCDEF});
}

std::uint32_t LockHost::credentials(const Bytes& key, std::uint32_t seconds,
                                    const std::string& name) {
  const std::uint32_t s = status(encipher(dateTimeBlock(seconds), key));
  return s <= 0xFFFF ? s : status(encipher(userBlock(name), key));
}

Words clearRead(std::uint32_t request) {
  return {0x00080001, 0x5EED, request};
}

Words fiveWords(std::uint32_t request, std::uint32_t valueWord) {
  return {0x00108001, 0xA5A5A5A5, request, valueWord, 0x5A5A5A5A};
}

Words dateTimeBlock(std::uint32_t seconds) {
  return {0x00108001, 0x77, 0x88081800, 0, seconds};
}

Words userBlock(const std::string& name) {
  Bytes b(name.begin(), name.end());
  const std::size_t filler = 16 - ((b.size() + 8) % 16);
  b.insert(b.end(), filler, 0xEE);
  const auto m = static_cast<std::uint32_t>(b.size() / 4);
  Words f{(4 * m + 8) << 16 | 0x8001, 0x99,
          0x91001801u | static_cast<std::uint32_t>(name.size()) << 16};
  for (std::size_t i = 0; i < b.size(); i += 4) {
    f.push_back(std::uint32_t{b[i]} << 24 | std::uint32_t{b[i + 1]} << 16 |
                std::uint32_t{b[i + 2]} << 8 | b[i + 3]);
  }
  return f;
}

Words encipher(const Words& f, const Bytes& key) {
  return AESUtil::encryptUInt(f, 1, static_cast<std::int32_t>(f.size() - 1), key,
                              AESUtil::zeroIv());
}

Words decipherPayload(const Words& answer, const Bytes& key) {
  const Words payload(answer.begin() + 2, answer.end());
  return AESUtil::decryptUInt(payload, 0, static_cast<std::int32_t>(payload.size() - 1), key,
                              AESUtil::zeroIv());
}

}  // namespace tavrix::sim::testing
