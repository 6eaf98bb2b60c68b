#include "sharing/server/sha256.h"

#include <atomic>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define TARVOLIN_SHA_NI 1
#endif

namespace tarvolin::sharing::server {
namespace {

constexpr std::uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4,
    0xab1c5ed5, 0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe,
    0x9bdc06a7, 0xc19bf174, 0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f,
    0x4a7484aa, 0x5cb0a9dc, 0x76f988da, 0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7,
    0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967, 0x27b70a85, 0x2e1b2138, 0x4d2c6dfc,
    0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85, 0xa2bfe8a1, 0xa81a664b,
    0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070, 0x19a4c116,
    0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7,
    0xc67178f2};

inline std::uint32_t rotr(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

void portableBlock(std::uint32_t* state, const std::uint8_t* p) {
  std::uint32_t w[64];
  for (int i = 0; i < 16; ++i)
    w[i] = std::uint32_t(p[4 * i]) << 24 | std::uint32_t(p[4 * i + 1]) << 16 |
           std::uint32_t(p[4 * i + 2]) << 8 | p[4 * i + 3];
  for (int i = 16; i < 64; ++i) {
    const std::uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
    const std::uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4],
                f = state[5], g = state[6], h = state[7];
  for (int i = 0; i < 64; ++i) {
    const std::uint32_t t1 =
        h + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) + kRound[i] + w[i];
    const std::uint32_t t2 = (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
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

#ifdef TARVOLIN_SHA_NI
// The blocks through the SHA extensions: the state is kept as the two
// halves the round instruction takes (A B E F and C D G H), and the message
// schedule is computed four words at a time.
__attribute__((target("sha,sse4.1,ssse3"))) void shaNiBlocks(std::uint32_t* state,
                                                              const std::uint8_t* p,
                                                              std::size_t count) {
  const __m128i swap = _mm_set_epi64x(0x0c0d0e0f08090a0bLL, 0x0405060700010203LL);
  __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state));
  __m128i s1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4));
  t = _mm_shuffle_epi32(t, 0xB1);
  s1 = _mm_shuffle_epi32(s1, 0x1B);
  __m128i s0 = _mm_alignr_epi8(t, s1, 8);  // A B E F
  s1 = _mm_blend_epi16(s1, t, 0xF0);       // C D G H
  for (; count > 0; --count, p += 64) {
    const __m128i save0 = s0, save1 = s1;
    __m128i w[4];
    for (int g = 0; g < 16; ++g) {
      __m128i& m = w[g & 3];
      if (g < 4) {
        m = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * g)), swap);
      } else {
        const __m128i& prev = w[(g + 3) & 3];
        m = _mm_sha256msg1_epu32(m, w[(g + 1) & 3]);
        m = _mm_add_epi32(m, _mm_alignr_epi8(prev, w[(g + 2) & 3], 4));
        m = _mm_sha256msg2_epu32(m, prev);
      }
      const __m128i k =
          _mm_add_epi32(m, _mm_loadu_si128(reinterpret_cast<const __m128i*>(kRound + 4 * g)));
      s1 = _mm_sha256rnds2_epu32(s1, s0, k);
      s0 = _mm_sha256rnds2_epu32(s0, s1, _mm_shuffle_epi32(k, 0x0E));
    }
    s0 = _mm_add_epi32(s0, save0);
    s1 = _mm_add_epi32(s1, save1);
  }
  t = _mm_shuffle_epi32(s0, 0x1B);
  s1 = _mm_shuffle_epi32(s1, 0xB1);
  s0 = _mm_blend_epi16(t, s1, 0xF0);
  s1 = _mm_alignr_epi8(s1, t, 8);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state), s0);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), s1);
}

bool processorHasSha() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (!__get_cpuid(1, &a, &b, &c, &d) || !(c & (1u << 19)) || !(c & (1u << 9))) return false;
  if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
  return (b & (1u << 29)) != 0;
}
#else
bool processorHasSha() { return false; }
#endif

std::atomic<bool> accelerationAllowed{true};

}  // namespace

bool sha256Accelerated() {
  static const bool has = processorHasSha();
  return has && accelerationAllowed.load(std::memory_order_relaxed);
}

void allowSha256Acceleration(bool allowed) { accelerationAllowed = allowed; }

Sha256::Sha256()
    : h_{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab,
         0x5be0cd19} {}

void Sha256::blocks(const std::uint8_t* p, std::size_t count) {
#ifdef TARVOLIN_SHA_NI
  if (sha256Accelerated()) {
    shaNiBlocks(h_.data(), p, count);
    return;
  }
#endif
  for (; count > 0; --count, p += 64) portableBlock(h_.data(), p);
}

void Sha256::update(const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  total_ += size;
  if (used_) {
    const std::size_t take = std::min(size, 64 - used_);
    std::memcpy(buffer_.data() + used_, p, take);
    used_ += take;
    p += take;
    size -= take;
    if (used_ < 64) return;
    blocks(buffer_.data(), 1);
    used_ = 0;
  }
  blocks(p, size / 64);
  p += size / 64 * 64;
  size %= 64;
  std::memcpy(buffer_.data(), p, size);
  used_ = size;
}

Digest Sha256::finish() {
  const std::uint64_t bits = total_ * 8;
  const std::uint8_t pad = 0x80;
  update(&pad, 1);
  const std::uint8_t zero = 0;
  while (used_ != 56) update(&zero, 1);
  std::uint8_t length[8];
  for (int i = 0; i < 8; ++i) length[i] = std::uint8_t(bits >> (56 - 8 * i));
  update(length, 8);
  Digest d;
  for (int i = 0; i < 8; ++i)
    for (int k = 0; k < 4; ++k) d[std::size_t(4 * i + k)] = std::uint8_t(h_[std::size_t(i)] >> (24 - 8 * k));
  return d;
}

Digest sha256(std::string_view bytes) {
  Sha256 s;
  s.update(bytes);
  return s.finish();
}

std::string hexOf(const Digest& d) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (std::uint8_t b : d) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

namespace {

Digest hmac(std::string_view key, std::string_view message) {
  std::array<std::uint8_t, 64> k{};
  if (key.size() > 64) {
    const Digest d = sha256(key);
    std::memcpy(k.data(), d.data(), d.size());
  } else {
    std::memcpy(k.data(), key.data(), key.size());
  }
  std::array<std::uint8_t, 64> inner, outer;
  for (int i = 0; i < 64; ++i) {
    inner[std::size_t(i)] = k[std::size_t(i)] ^ 0x36;
    outer[std::size_t(i)] = k[std::size_t(i)] ^ 0x5c;
  }
  Sha256 a;
  a.update(inner.data(), 64);
  a.update(message);
  const Digest first = a.finish();
  Sha256 b;
  b.update(outer.data(), 64);
  b.update(first.data(), first.size());
  return b.finish();
}

}  // namespace

Digest pbkdf2Sha256(std::string_view password, std::string_view salt, int iterations) {
  std::string first(salt);
  first += std::string("\0\0\0\1", 4);
  Digest u = hmac(password, first);
  Digest t = u;
  for (int i = 1; i < iterations; ++i) {
    u = hmac(password, std::string_view(reinterpret_cast<const char*>(u.data()), u.size()));
    for (std::size_t k = 0; k < t.size(); ++k) t[k] ^= u[k];
  }
  return t;
}

}  // namespace tarvolin::sharing::server
