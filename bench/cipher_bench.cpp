// AES-128-CBC without padding: the kit's own cipher beside OpenSSL's EVP on the same sizes, so
// the cost of the byte-wise, step-by-step implementation can be judged against a tuned one.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdint>
#include <memory>

#include "tavrix/cipher/aes_util.h"

namespace {

using tavrix::AESUtil;
using tavrix::Bytes;

Bytes patterned(std::size_t n, std::uint8_t seed) {
  Bytes out(n);
  for (std::size_t i = 0; i < n; ++i) {
    out[i] = static_cast<std::uint8_t>(seed + 37 * i);
  }
  return out;
}

const Bytes kKey = patterned(16, 0x2b);
const Bytes kIv = patterned(16, 0x00);

void KitEncrypt(benchmark::State& state) {
  const Bytes data = patterned(static_cast<std::size_t>(state.range(0)), 0x6b);
  for (auto _ : state) {
    benchmark::DoNotOptimize(AESUtil::encrypt(data, kKey, kIv));
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void KitDecrypt(benchmark::State& state) {
  const Bytes data = patterned(static_cast<std::size_t>(state.range(0)), 0x76);
  for (auto _ : state) {
    benchmark::DoNotOptimize(AESUtil::decrypt(data, kKey, kIv));
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

// One full EVP call per iteration (init, update, final, output allocation), the same work a
// caller of AESUtil gets per call.
template <int Enc>
void OpenSslCbc(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  const Bytes data = patterned(size, Enc == 1 ? 0x6b : 0x76);
  const std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                            &EVP_CIPHER_CTX_free);
  for (auto _ : state) {
    Bytes out(size);
    int written = 0;
    int finalWritten = 0;
    const bool ok = EVP_CipherInit_ex(ctx.get(), EVP_aes_128_cbc(), nullptr, kKey.data(),
                                      kIv.data(), Enc) == 1 &&
                    EVP_CIPHER_CTX_set_padding(ctx.get(), 0) == 1 &&
                    EVP_CipherUpdate(ctx.get(), out.data(), &written, data.data(),
                                     static_cast<int>(size)) == 1 &&
                    EVP_CipherFinal_ex(ctx.get(), out.data() + written, &finalWritten) == 1;
    if (!ok) {
      state.SkipWithError("OpenSSL AES-128-CBC failed");
      break;
    }
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

BENCHMARK(KitEncrypt)->Arg(16)->Arg(32)->Arg(4096);
BENCHMARK(KitDecrypt)->Arg(16)->Arg(32)->Arg(4096);
BENCHMARK(OpenSslCbc<1>)->Name("OpenSslEncrypt")->Arg(16)->Arg(32)->Arg(4096);
BENCHMARK(OpenSslCbc<0>)->Name("OpenSslDecrypt")->Arg(16)->Arg(32)->Arg(4096);

}  // namespace

BENCHMARK_MAIN();
