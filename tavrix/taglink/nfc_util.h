#pragma once

#include <cstdint>
#include <optional>

#include <asio/awaitable.hpp>

#include "tavrix/taglink/nfc_tag.h"
#include "tavrix/values/bytes.h"

namespace tavrix {

// The lock's mailbox protocol over raw tag exchanges: start handshake, mailbox address query,
// word writes followed by the trigger, and word reads. Every error of an exchange (cancellation
// included) becomes the operation's failure result; nothing is retried.
class NFCUtil {
 public:
  NFCUtil() = delete;

  // Sends 47 11; true when the answer is exactly 47 47.
  static asio::awaitable<bool> start(NFCTag& t);

  // Sends 60 00 00 00 00; the address framed as 60 a3 a2 a1 a0 60, or nothing.
  static asio::awaitable<std::optional<std::uint32_t>> getStartAddress(NFCTag& t);

  // Reads `count` words from `address` on, one exchange each; nothing when any answer is
  // malformed. A count of 0 or less sends nothing and gives an empty list.
  static asio::awaitable<std::optional<Words>> read(NFCTag& t, std::uint32_t address,
                                                    std::int32_t count);

  // Writes the mailbox header word 0x600000cc and then `words` from `address` on, and sends the
  // trigger; true when every write and the trigger were acknowledged.
  static asio::awaitable<bool> write(NFCTag& t, std::uint32_t address, std::uint8_t cc,
                                     Words words);
};

}  // namespace tavrix
