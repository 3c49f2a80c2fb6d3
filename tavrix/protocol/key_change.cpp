#include <stdexcept>
#include <utility>

#include "tavrix/cipher/aes_util.h"
#include "tavrix/protocol/cmd.h"
#include "tavrix/protocol/device_manager.h"
#include "tavrix/protocol/frames.h"
#include "tavrix/protocol/random_source.h"

namespace tavrix {
namespace {

constexpr std::uint32_t kWriteKey = 0x90101902;
constexpr std::uint32_t kReadProof = 0x10101903;
constexpr std::uint32_t kWriteCommit = 0x87041901;
constexpr std::uint32_t kCommitValue = 0x82D112E6;
// Position of the check frame in the first exchange; only its answer carries the proof.
constexpr std::int32_t kCheckFrame = 3;

Words keyFrame(const Bytes& key, const Bytes& sKey) {
  const std::uint32_t nonce = randomWord();
  Words frame{frames::kCiphered9Words, nonce, kWriteKey};
  for (std::size_t at = 0; at < 16; at += 4) {
    frame.push_back(frames::wordAt(key, at));
  }
  frame.push_back(randomWord());
  frame.push_back(randomWord());
  return frames::encipherFrame(frame, sKey);
}

// The lock proves it holds the new key by returning its identity enciphered under that key,
// inside an answer enciphered under the authorising key.
std::uint64_t proofFrom(const Words& payload, const Bytes& key, const Bytes& sKey) {
  const Words q = frames::decipherPayload(payload, sKey);
  const Bytes first16(key.begin(), key.begin() + 16);
  const Words r = AESUtil::decryptUInt(q, 2, 5, first16, AESUtil::zeroIv());
  return std::uint64_t{r[2]} << 32 | r[3];
}

}  // namespace

asio::awaitable<Result> DeviceManager::setKey(NFCTag& t, Device d, DeviceInfo info, Bytes key,
                                              Bytes sKey) {
  // The credential blocks come first, so a bad authorising key is reported before a bad new key.
  std::vector<Words> requests;
  requests.push_back(CMD::DT(sKey));
  requests.push_back(CMD::USR(sKey, CMD::kUserName));
  if (key.size() != 16) {
    throw std::invalid_argument("Key size must be 16");
  }
  requests.push_back(keyFrame(key, sKey));
  requests.push_back(frames::keyedRead(sKey, kReadProof));
  std::vector<Words> commit{frames::keyedWrite4(sKey, kWriteCommit, kCommitValue)};

  auto checkProof = [&](const Words& p, std::int32_t i) {
    return i != kCheckFrame || proofFrom(p, key, sKey) == info.id();
  };
  const Result first = co_await transAndCheckResult(t, d, std::move(requests), 8, checkProof);
  if (first != Result::OK) {
    co_return first;
  }
  auto accept = [](const Words&, std::int32_t) { return true; };
  co_return co_await transAndCheckResult(t, d, std::move(commit), 0, accept);
}

}  // namespace tavrix
