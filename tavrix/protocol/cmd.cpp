#include "tavrix/protocol/cmd.h"

#include <stdexcept>

#include "tavrix/cipher/byte_array_buffer.h"
#include "tavrix/protocol/frames.h"
#include "tavrix/protocol/platform_clock.h"
#include "tavrix/protocol/random_source.h"

namespace tavrix {
namespace {

constexpr std::uint32_t kWriteDateTime = 0x88081800;
constexpr std::uint32_t kWriteUserName = 0x91001801;
// The name's byte count travels in one byte of the request word.
constexpr std::size_t kMaxNameBytes = 0xFF;

}  // namespace

Words CMD::DT(const Bytes& key) {
  const std::uint32_t nonce = randomWord();
  const std::int64_t seconds = platformGetCurrentTimestamp() / 1000;
  const auto low = static_cast<std::uint32_t>(static_cast<std::uint64_t>(seconds));
  return frames::encipherFrame({frames::kCiphered5Words, nonce, kWriteDateTime, 0, low}, key);
}

Words CMD::USR(const Bytes& key, std::string_view name) {
  if (name.size() > kMaxNameBytes) {
    throw std::invalid_argument("User name must be at most 255 bytes");
  }
  Bytes bytes(name.begin(), name.end());
  // The filler always completes a cipher block and is never empty.
  const std::size_t filler = 16 - (name.size() + 8) % 16;
  for (std::size_t i = 0; i < filler; ++i) {
    bytes.push_back(static_cast<std::uint8_t>(randomWord()));
  }
  const std::size_t groups = bytes.size() / 4;

  const std::uint32_t nonce = randomWord();
  Words frame{frames::lengthWord(static_cast<std::uint32_t>(groups) + 3, true), nonce,
              kWriteUserName | static_cast<std::uint32_t>(name.size()) << 16};
  auto buffer = ByteArrayBuffer::wrap(bytes);
  for (std::size_t i = 0; i < groups; ++i) {
    frame.push_back(buffer.getInt());
  }
  return frames::encipherFrame(frame, key);
}

}  // namespace tavrix
