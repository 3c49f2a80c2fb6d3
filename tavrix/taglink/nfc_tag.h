#pragma once

#include <asio/awaitable.hpp>

#include "tavrix/values/bytes.h"

namespace tavrix {

// One raw exchange with the lock's tag front end: sends a command and completes with the tag's
// answer. A failed exchange completes with an empty answer or throws; callers treat both alike.
// Exchanges on one tag are made one at a time, each awaited before the next.
class NFCTag {
 public:
  virtual ~NFCTag() = default;
  virtual asio::awaitable<Bytes> transceive(Bytes data) = 0;
};

}  // namespace tavrix
