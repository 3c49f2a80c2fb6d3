#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "tavrix/taglink/nfc_tag.h"

namespace tavrix::testing {

// A tag that plays a fixed script: each exchange takes the next step, checks the command when
// the step names one, records what was sent and gives the step's answer (or throws). A command
// that differs from the script, or an exchange past its end, fails the running test and gets an
// empty answer.
class ScriptedTag : public NFCTag {
 public:
  // Expect exactly `command`; answer `answer`.
  ScriptedTag& expect(Bytes command, Bytes answer);
  // Answer `answer` to whatever comes.
  ScriptedTag& reply(Bytes answer);
  // Throw from transceive, as a tag that left the field may.
  ScriptedTag& raise();

  asio::awaitable<Bytes> transceive(Bytes data) override;

  const std::vector<Bytes>& sent() const { return sent_; }
  std::size_t remaining() const { return steps_.size(); }

 private:
  struct Step {
    std::optional<Bytes> command;
    Bytes answer;
    bool raises = false;
  };
  std::deque<Step> steps_;
  std::vector<Bytes> sent_;
};

// Parses hex text such as "60 00 00 10 00" (spaces ignored) into bytes.
Bytes hex(const std::string& text);

}  // namespace tavrix::testing
