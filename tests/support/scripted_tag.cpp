#include "tests/support/scripted_tag.h"

#include <stdexcept>

#include <gtest/gtest.h>

namespace tavrix::testing {

ScriptedTag& ScriptedTag::expect(Bytes command, Bytes answer) {
  steps_.push_back({std::move(command), std::move(answer)});
  return *this;
}

ScriptedTag& ScriptedTag::reply(Bytes answer) {
  steps_.push_back({std::nullopt, std::move(answer)});
  return *this;
}

ScriptedTag& ScriptedTag::raise() {
  steps_.push_back({std::nullopt, {}, true});
  return *this;
}

asio::awaitable<Bytes> ScriptedTag::transceive(Bytes data) {
  sent_.push_back(data);
  if (steps_.empty()) {
    ADD_FAILURE() << "exchange " << sent_.size() << " is past the end of the script";
    co_return Bytes{};
  }
  Step step = std::move(steps_.front());
  steps_.pop_front();
  if (step.raises) {
    throw std::runtime_error("tag left the field");
  }
  if (step.command && *step.command != data) {
    ADD_FAILURE() << "exchange " << sent_.size() << " sent an unexpected command";
    co_return Bytes{};
  }
  co_return step.answer;
}

Bytes hex(const std::string& text) {
  Bytes out;
  int pending = -1;
  for (char c : text) {
    int v;
    if (c >= '0' && c <= '9') {
      v = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      v = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      v = c - 'A' + 10;
    } else {
      continue;
    }
    if (pending < 0) {
      pending = v;
    } else {
      out.push_back(static_cast<std::uint8_t>(pending * 16 + v));
      pending = -1;
    }
  }
  return out;
}

}  // namespace tavrix::testing
