#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "tavrix/taglink/nfc_tag.h"
#include "tavrix/values/bytes.h"
#include "tavrix/values/device.h"

namespace tavrix::testing {

// What the lock finds in its mailbox when triggered: the command byte of the header word and
// the words written behind it, in address order.
struct MailboxRequest {
  std::uint8_t cc = 0;
  Words words;
};

// A tag front end over an emulated mailbox memory. It serves the start command, the address
// query, word writes, the trigger and word reads as the lock's tag does; on every trigger it
// records the request and asks the test for the answer words, which it stores from the start
// address on. Words nobody stored read as what the mailbox held before (frames stay behind).
class MailboxTag : public NFCTag {
 public:
  // The answer words for request `index` (from 0, in trigger order).
  using Responder = std::function<Words(const MailboxRequest& request, std::size_t index)>;

  // Answers every request with status 0x00010000 until told otherwise.
  explicit MailboxTag(std::uint32_t start = 0x1000);

  MailboxTag& respond(Responder responder);
  // Exchange `n` (from 1) and all after it get an empty answer, as when the tag leaves the field.
  MailboxTag& leaveFieldAt(std::size_t n);

  Device device() const { return Device(start_); }
  const std::vector<MailboxRequest>& requests() const { return requests_; }
  std::size_t exchanges() const { return exchanges_; }

  asio::awaitable<Bytes> transceive(Bytes data) override;

 private:
  Bytes serve(const Bytes& data);
  Bytes trigger();

  std::uint32_t start_;
  Responder responder_;
  std::optional<std::size_t> leaveAt_;
  std::map<std::uint32_t, std::uint32_t> memory_;
  Words pending_;
  std::vector<MailboxRequest> requests_;
  std::size_t exchanges_ = 0;
};

// An answer as the lock lays it out: a word the kit ignores, the status word, the payload.
Words answer(std::uint32_t status, const Words& payload = {});

// A payload enciphered whole under `key` with a zero IV, as keyed answers travel.
Words enciphered(const Bytes& key, const Words& clear);

// A keyed frame with words 1 to the last deciphered under `key`: what the kit meant to send.
Words clearFrame(const Words& frame, const Bytes& key);

// A 16-byte key 00 01 02 ... 0F plus `offset` in every byte.
Bytes testKey(std::uint8_t offset = 0);

}  // namespace tavrix::testing
