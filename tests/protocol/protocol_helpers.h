#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "tavrix/protocol/random_source.h"
#include "tests/support/mailbox_tag.h"

namespace tavrix::testing {

inline constexpr std::uint32_t kAccepted = 0x00010000;
inline constexpr std::uint32_t kRefused = 0x0000FFFF;

// The request word of a keyed request, deciphered.
inline std::uint32_t requestWord(const MailboxRequest& request, const Bytes& key) {
  return clearFrame(request.words, key).at(2);
}

// The clear words of every request the tag received.
inline std::vector<Words> clearFrames(const MailboxTag& tag, const Bytes& key) {
  std::vector<Words> out;
  for (const auto& request : tag.requests()) {
    out.push_back(clearFrame(request.words, key));
  }
  return out;
}

// Accepts every keyed request and answers it with the clear payload `payloadFor` gives for its
// request word and request index, enciphered under `key` (an empty payload stays empty).
inline MailboxTag::Responder keyedAnswers(
    Bytes key, std::function<Words(std::uint32_t request, std::size_t index)> payloadFor) {
  return [key = std::move(key), payloadFor = std::move(payloadFor)](const MailboxRequest& r,
                                                                    std::size_t i) {
    const Words clear = payloadFor(requestWord(r, key), i);
    return answer(kAccepted, clear.empty() ? Words{} : enciphered(key, clear));
  };
}

// The words a SeededRandom with `seed` draws first: what the kit must have used.
inline Words draws(std::uint64_t seed, std::size_t count) {
  SeededRandom random(seed);
  Words out;
  for (std::size_t i = 0; i < count; ++i) {
    out.push_back(random.nextWord());
  }
  return out;
}

}  // namespace tavrix::testing
