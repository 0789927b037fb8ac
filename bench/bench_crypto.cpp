// Cipher throughput against OpenSSL's Blowfish on the same data, and the line operations the
// program runs when it opens a test. Prints our throughput as a ratio of OpenSSL's at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>

#include "crypto/byte_fns.h"
#include "crypto/enciphered_text.h"
#include "recording_reporter.h"

#ifdef EXAMORA_HAVE_OPENSSL
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/blowfish.h>
#endif

namespace {

using examora::Bytes;

const Bytes& MiB() {
  static const Bytes data = [] {
    Bytes bytes(1 << 20);
    std::mt19937 gen(1);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(gen());
    return bytes;
  }();
  return data;
}

void Ours(benchmark::State& state, bool encipher) {
  examora::BlowfishKey key;
  key.Init(examora::HexToBytes(examora::kFixedKeyText));
  Bytes out(MiB().size());
  for (auto _ : state) {
    key.CryptBlocks(MiB().data(), out.data(), MiB().size() / 8, encipher);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * MiB().size()));
}
void BM_CryptBlocks_Encipher_Ours(benchmark::State& s) {
  Ours(s, true);
}
void BM_CryptBlocks_Decipher_Ours(benchmark::State& s) {
  Ours(s, false);
}
BENCHMARK(BM_CryptBlocks_Encipher_Ours);
BENCHMARK(BM_CryptBlocks_Decipher_Ours);

// The public API as callers use it: a new buffer per call.
void BM_CryptBlocks_Api(benchmark::State& state) {
  examora::KeyInit(examora::HexToBytes(examora::kFixedKeyText));
  for (auto _ : state) benchmark::DoNotOptimize(examora::CryptBlocks(MiB(), true));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * MiB().size()));
}
BENCHMARK(BM_CryptBlocks_Api);

#ifdef EXAMORA_HAVE_OPENSSL
void OpenSsl(benchmark::State& state, int direction) {
  const Bytes key = examora::HexToBytes(examora::kFixedKeyText);
  BF_KEY schedule;
  BF_set_key(&schedule, static_cast<int>(key.size()), key.data());
  Bytes out(MiB().size());
  for (auto _ : state) {
    for (std::size_t i = 0; i < MiB().size(); i += 8) {
      BF_ecb_encrypt(MiB().data() + i, out.data() + i, &schedule, direction);
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * MiB().size()));
}
void BM_CryptBlocks_Encipher_OpenSSL(benchmark::State& s) {
  OpenSsl(s, BF_ENCRYPT);
}
void BM_CryptBlocks_Decipher_OpenSSL(benchmark::State& s) {
  OpenSsl(s, BF_DECRYPT);
}
BENCHMARK(BM_CryptBlocks_Encipher_OpenSSL);
BENCHMARK(BM_CryptBlocks_Decipher_OpenSSL);
#endif

void BM_EncryptText_100Chars(benchmark::State& state) {
  const std::string line(100, 'q');
  for (auto _ : state) {
    std::string text = line;
    benchmark::DoNotOptimize(examora::EncryptText(text));
  }
}
BENCHMARK(BM_EncryptText_100Chars);

// What re-keying before every line, as the classic routine did, would cost per line.
void BM_KeyInit(benchmark::State& state) {
  const Bytes key = examora::HexToBytes(examora::kFixedKeyText);
  for (auto _ : state) benchmark::DoNotOptimize(examora::KeyInit(key));
}
BENCHMARK(BM_KeyInit);

void BM_ReadEncipheredFile_3000Lines(benchmark::State& state) {
  const auto path = std::filesystem::temp_directory_path() / "examora-bench-3000.eqb";
  std::vector<std::string> lines;
  for (int i = 0; i < 3000; ++i) {
    lines.push_back("Q" + std::to_string(i) + " A beam of #a m carries #b kN; find the moment.");
  }
  examora::WriteEncipheredFile(path, lines);
  for (auto _ : state) benchmark::DoNotOptimize(examora::ReadEncipheredFile(path));
  std::filesystem::remove(path);
}
BENCHMARK(BM_ReadEncipheredFile_3000Lines)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  examora::bench::RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const char* direction : {"Encipher", "Decipher"}) {
    const std::string ours = std::string("BM_CryptBlocks_") + direction + "_Ours";
    if (auto ratio =
            reporter.Ratio(ours, std::string("BM_CryptBlocks_") + direction + "_OpenSSL")) {
      std::printf("CryptBlocks %s: our throughput is %.2fx OpenSSL's\n", direction, *ratio);
    }
  }
  benchmark::Shutdown();
  return 0;
}
