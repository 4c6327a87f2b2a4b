// bench_hash [MIB [RUNS]]: how fast each way of hashing runs in this
// 32-bit program, fed 64 KiB pieces as the copy feeds them: XXH64 (the
// first install records), SHA-256 portable and through the processor's
// SHA instructions (when it has them), and Windows' own SHA-256 (CNG,
// BCryptHashData). Prints the best of RUNS runs of each, in MB/s, and
// checks that every SHA-256 gives the same digest.
#include <windows.h>
#include <bcrypt.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "common/ContentHash.h"
#include "common/Sha256.h"

namespace {

constexpr size_t kPiece = 64u << 10;

double Seconds(const std::function<void()>& work) {
  LARGE_INTEGER start, end, frequency;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  work();
  QueryPerformanceCounter(&end);
  return double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  const size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
  std::vector<uint8_t> data(mib << 20);
  uint32_t seed = 1;
  for (uint8_t& byte : data) byte = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);

  BCRYPT_ALG_HANDLE algorithm = nullptr;
  if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0) {
    std::fprintf(stderr, "bench_hash: no CNG SHA-256\n");
    return 1;
  }
  Sha256Digest ours = {}, portable = {}, windows = {};
  uint64_t xxh = 0;
  struct Way {
    const char* name;
    std::function<void()> work;
    bool available;
  };
  const Way ways[] = {
      {"XXH64", [&] {
         ContentHash hash;
         for (size_t at = 0; at < data.size(); at += kPiece) hash.Add(&data[at], kPiece);
         xxh = hash.Value();
       }, true},
      {"SHA-256, SHA instructions", [&] {
         Sha256::AllowShaInstructions(true);
         Sha256 hash;
         for (size_t at = 0; at < data.size(); at += kPiece) hash.Add(&data[at], kPiece);
         ours = hash.Finish();
       }, Sha256::UsesShaInstructions()},
      {"SHA-256, portable", [&] {
         Sha256::AllowShaInstructions(false);
         Sha256 hash;
         for (size_t at = 0; at < data.size(); at += kPiece) hash.Add(&data[at], kPiece);
         portable = hash.Finish();
         Sha256::AllowShaInstructions(true);
       }, true},
      {"SHA-256, CNG", [&] {
         BCRYPT_HASH_HANDLE hash = nullptr;
         BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0);
         for (size_t at = 0; at < data.size(); at += kPiece) BCryptHashData(hash, &data[at], kPiece, 0);
         BCryptFinishHash(hash, windows.data(), static_cast<ULONG>(windows.size()), 0);
         BCryptDestroyHash(hash);
       }, true},
  };
  std::printf("%zu MiB in 64 KiB pieces, best of %d\n", mib, runs);
  for (const Way& way : ways) {
    if (!way.available) {
      std::printf("%-28s not on this processor\n", way.name);
      continue;
    }
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
      const double seconds = Seconds(way.work);
      if (seconds < best) best = seconds;
    }
    std::printf("%-28s %8.1f MB/s  (%.3f s)\n", way.name, double(data.size()) / best / 1e6, best);
  }
  BCryptCloseAlgorithmProvider(algorithm, 0);
  if ((Sha256::UsesShaInstructions() && ours != windows) || portable != windows) {
    std::printf("the digests differ\n");
    return 1;
  }
  return 0;
}
