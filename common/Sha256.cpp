#include "common/Sha256.h"

#include <atomic>
#include <cstring>

#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
#define QV_SHA_INSTRUCTIONS 1
#include <cpuid.h>
#include <immintrin.h>
#endif

namespace {

constexpr uint32_t kRoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

constexpr uint32_t kInitialState[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                       0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

uint32_t Rotate(uint32_t value, int bits) { return (value >> bits) | (value << (32 - bits)); }

uint32_t ReadBig(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

void PortableBlocks(uint32_t* state, const uint8_t* data, size_t count) {
  for (; count > 0; --count, data += 64) {
    uint32_t w[64];
    for (int t = 0; t < 16; ++t) w[t] = ReadBig(data + 4 * t);
    for (int t = 16; t < 64; ++t) {
      const uint32_t s0 = Rotate(w[t - 15], 7) ^ Rotate(w[t - 15], 18) ^ (w[t - 15] >> 3);
      const uint32_t s1 = Rotate(w[t - 2], 17) ^ Rotate(w[t - 2], 19) ^ (w[t - 2] >> 10);
      w[t] = w[t - 16] + s0 + w[t - 7] + s1;
    }
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
    for (int t = 0; t < 64; ++t) {
      const uint32_t t1 =
          h + (Rotate(e, 6) ^ Rotate(e, 11) ^ Rotate(e, 25)) + ((e & f) ^ (~e & g)) + kRoundConstants[t] + w[t];
      const uint32_t t2 = (Rotate(a, 2) ^ Rotate(a, 13) ^ Rotate(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
      h = g;
      g = f;
      f = e;
      e = d + t1;
      d = c;
      c = b;
      b = a;
      a = t1 + t2;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
    state[5] += f;
    state[6] += g;
    state[7] += h;
  }
}

#ifdef QV_SHA_INSTRUCTIONS

// The blocks through the SHA extensions. The state lives in two registers
// in the order the instructions want (ABEF and CDGH); the message schedule
// in four, each group of four words made from the four before it by
// sha256msg1 and sha256msg2. Windows' 32-bit threads keep the stack only
// 4-byte aligned, hence the realignment on entry.
__attribute__((target("sha,sse4.1,ssse3"), force_align_arg_pointer)) void InstructionBlocks(uint32_t* state,
                                                                                          const uint8_t* data,
                                                                                          size_t count) {
  const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
  __m128i dcba = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state));
  __m128i hgfe = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4));
  const __m128i cdab = _mm_shuffle_epi32(dcba, 0xB1);
  const __m128i efgh = _mm_shuffle_epi32(hgfe, 0x1B);
  __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
  __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);

  for (; count > 0; --count, data += 64) {
    const __m128i abefBefore = abef, cdghBefore = cdgh;
    __m128i m[4];
#pragma GCC unroll 16
    for (int j = 0; j < 16; ++j) {
      if (j < 4) m[j] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * j)), byteSwap);
      __m128i words =
          _mm_add_epi32(m[j % 4], _mm_loadu_si128(reinterpret_cast<const __m128i*>(kRoundConstants + 4 * j)));
      cdgh = _mm_sha256rnds2_epu32(cdgh, abef, words);
      if (j >= 3 && j < 15) {
        // The next group: sigma1 of the last and the words seven back.
        const int next = (j + 1) % 4;
        m[next] = _mm_add_epi32(m[next], _mm_alignr_epi8(m[j % 4], m[(j + 3) % 4], 4));
        m[next] = _mm_sha256msg2_epu32(m[next], m[j % 4]);
      }
      words = _mm_shuffle_epi32(words, 0x0E);
      abef = _mm_sha256rnds2_epu32(abef, cdgh, words);
      // The group three ahead: sigma0 of the one before this.
      if (j >= 1 && j < 13) m[(j + 3) % 4] = _mm_sha256msg1_epu32(m[(j + 3) % 4], m[j % 4]);
    }
    abef = _mm_add_epi32(abef, abefBefore);
    cdgh = _mm_add_epi32(cdgh, cdghBefore);
  }

  const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
  const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
  dcba = _mm_blend_epi16(feba, dchg, 0xF0);
  hgfe = _mm_alignr_epi8(dchg, feba, 8);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state), dcba);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), hgfe);
}

bool ProcessorHasShaInstructions() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
  const bool ssse3 = c & (1u << 9), sse41 = c & (1u << 19);
  if (!ssse3 || !sse41 || !__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
  return b & (1u << 29);
}

#else

void InstructionBlocks(uint32_t* state, const uint8_t* data, size_t count) { PortableBlocks(state, data, count); }
bool ProcessorHasShaInstructions() { return false; }

#endif

const bool processorHasThem = ProcessorHasShaInstructions();
std::atomic<bool> allowed{true};

}  // namespace

Sha256::Sha256() : pending{} { std::memcpy(state, kInitialState, sizeof state); }

void Sha256::Blocks(const uint8_t* data, size_t count) {
  if (UsesShaInstructions())
    InstructionBlocks(state, data, count);
  else
    PortableBlocks(state, data, count);
}

void Sha256::Add(const void* data, size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  total += size;
  if (pendingSize > 0) {
    const size_t take = size < 64 - pendingSize ? size : 64 - pendingSize;
    std::memcpy(pending + pendingSize, p, take);
    pendingSize += take;
    p += take;
    size -= take;
    if (pendingSize < 64) return;
    Blocks(pending, 1);
    pendingSize = 0;
  }
  Blocks(p, size / 64);
  p += size / 64 * 64;
  pendingSize = size % 64;
  std::memcpy(pending, p, pendingSize);
}

Sha256Digest Sha256::Finish() {
  // A one bit, zeros, and the length in bits, to a whole block.
  const uint64_t bits = total * 8;
  uint8_t tail[72] = {0x80};
  const size_t padding = (pendingSize < 56 ? 56 : 120) - pendingSize;
  for (int i = 0; i < 8; ++i) tail[padding + i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
  Add(tail, padding + 8);
  Sha256Digest digest;
  for (int i = 0; i < 8; ++i)
    for (int k = 0; k < 4; ++k) digest[4 * i + k] = static_cast<uint8_t>(state[i] >> (24 - 8 * k));
  return digest;
}

Sha256Digest Sha256::Of(const void* data, size_t size) {
  Sha256 hash;
  hash.Add(data, size);
  return hash.Finish();
}

bool Sha256::UsesShaInstructions() { return processorHasThem && allowed.load(std::memory_order_relaxed); }

void Sha256::AllowShaInstructions(bool allow) { allowed.store(allow); }

std::string DigestText(const Sha256Digest& digest) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(64);
  for (uint8_t byte : digest) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text;
}

bool DigestFromText(const char* text, size_t size, Sha256Digest* digest) {
  if (size != 64) return false;
  for (size_t i = 0; i < 64; ++i) {
    const char c = text[i];
    const int value = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (value < 0) return false;
    (*digest)[i / 2] = static_cast<uint8_t>(i % 2 ? ((*digest)[i / 2] | value) : value << 4);
  }
  return true;
}
