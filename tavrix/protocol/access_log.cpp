#include <optional>
#include <string>
#include <utility>

#include "tavrix/protocol/device_manager.h"
#include "tavrix/protocol/frames.h"
#include "tavrix/values/utf8.h"

namespace tavrix {
namespace {

constexpr std::uint32_t kReadCount = 0x05021810;
constexpr std::uint32_t kWriteIndex = 0x85021811;
constexpr std::uint32_t kReadTime = 0x08081813;
constexpr std::uint32_t kReadName = 0x11281814;
constexpr std::uint32_t kReadOperation = 0x07041812;
// The name answer holds 6 words of text after its length.
constexpr std::size_t kNameBytes = 24;

// Working values of one entry, overwritten by the entry parser.
struct Entry {
  std::uint64_t timestamp = 0;
  std::string username;
  std::optional<Ctrl> ctrl;
};

// The name's length sits in the second byte of q[1], its bytes in q[2] to q[7]. A length the
// answer cannot hold is a broken answer.
bool readName(const Words& q, std::string& name) {
  const std::size_t length = (q[1] >> 16) & 0xFF;
  if (length > kNameBytes) {
    return false;
  }
  std::string bytes;
  for (std::size_t w = 2; w < 8 && bytes.size() < length; ++w) {
    for (int shift = 24; shift >= 0 && bytes.size() < length; shift -= 8) {
      bytes.push_back(static_cast<char>(static_cast<std::uint8_t>(q[w] >> shift)));
    }
  }
  name = sanitizeUtf8(bytes);
  return true;
}

}  // namespace

asio::awaitable<Outcome<std::vector<DeviceLog>>> DeviceManager::getLog(NFCTag& t, Device d,
                                                                       Bytes key) {
  using LogOutcome = Outcome<std::vector<DeviceLog>>;
  std::vector<Words> countRequest{frames::keyedRead(key, kReadCount)};
  std::uint32_t count = 0;
  auto countParser = [&count, &key](const Words& p, std::int32_t i) {
    if (i == 0) {
      count = frames::decipherPayload(p, key)[2] >> 16;
    }
    return true;
  };
  const Result counted =
      co_await transAndCheckResult(t, d, std::move(countRequest), 4, countParser);
  if (counted != Result::OK) {
    co_return LogOutcome::failed(counted);
  }

  std::vector<DeviceLog> log;
  for (std::uint32_t index = 0; index < count; ++index) {
    std::vector<Words> requests;
    requests.push_back(frames::keyedWrite2(key, kWriteIndex, static_cast<std::uint16_t>(index)));
    requests.push_back(frames::keyedRead(key, kReadTime));
    requests.push_back(frames::keyedRead(key, kReadName));
    requests.push_back(frames::keyedRead(key, kReadOperation));
    Entry entry;
    auto entryParser = [&entry, &key](const Words& p, std::int32_t j) {
      // The index frame's answer says nothing; it is not even deciphered.
      if (j <= 0) {
        return true;
      }
      const Words q = frames::decipherPayload(p, key);
      if (j == 1) {
        entry.timestamp = std::uint64_t{q[2]} << 32 | q[3];
      } else if (j == 2) {
        return readName(q, entry.username);
      } else if (j == 3) {
        entry.ctrl = fromValue<Ctrl>(static_cast<std::uint8_t>(q[2] & 0xFF));
      }
      return true;
    };
    const Result read = co_await transAndCheckResult(t, d, std::move(requests), 8, entryParser);
    if (read != Result::OK) {
      co_return LogOutcome::failed(read);
    }
    log.emplace_back(entry.timestamp, std::move(entry.username), entry.ctrl);
  }
  co_return LogOutcome::ok(std::move(log));
}

}  // namespace tavrix
