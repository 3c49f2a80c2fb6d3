#include "tests/support/openssl_reference.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <memory>

namespace tavrix::testing {

Bytes opensslCbc(Direction direction, const Bytes& data, const Bytes& key, const Bytes& iv) {
  const std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                            &EVP_CIPHER_CTX_free);
  const int enc = direction == Direction::Encrypt ? 1 : 0;
  Bytes out(data.size() + 16);
  int written = 0;
  int finalWritten = 0;
  const bool ok =
      ctx != nullptr &&
      EVP_CipherInit_ex(ctx.get(), EVP_aes_128_cbc(), nullptr, key.data(), iv.data(), enc) == 1 &&
      EVP_CIPHER_CTX_set_padding(ctx.get(), 0) == 1 &&
      EVP_CipherUpdate(ctx.get(), out.data(), &written, data.data(),
                       static_cast<int>(data.size())) == 1 &&
      EVP_CipherFinal_ex(ctx.get(), out.data() + written, &finalWritten) == 1;
  EXPECT_TRUE(ok) << "OpenSSL AES-128-CBC failed";
  out.resize(ok ? static_cast<std::size_t>(written + finalWritten) : 0);
  return out;
}

}  // namespace tavrix::testing
