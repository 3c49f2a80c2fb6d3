#pragma once

#include "tavrix/values/bytes.h"

namespace tavrix::testing {

enum class Direction { Encrypt, Decrypt };

// AES-128-CBC without padding as OpenSSL's EVP computes it: the independent reference the kit's
// own cipher is held against.
Bytes opensslCbc(Direction direction, const Bytes& data, const Bytes& key, const Bytes& iv);

}  // namespace tavrix::testing
