#include <gtest/gtest.h>

#include <random>
#include <string>

#include "sharing/server/sha256.h"

namespace tarvolin::sharing::server {
namespace {

// Runs the body with the processor's SHA instructions allowed or not,
// leaving them allowed afterwards.
struct PortableOnly {
  PortableOnly() { allowSha256Acceleration(false); }
  ~PortableOnly() { allowSha256Acceleration(true); }
};

std::string hexSha(std::string_view bytes) { return hexOf(sha256(bytes)); }

TEST(Sha256, PublishedDigestsBothWays) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"}};
  for (const auto& [input, digest] : cases) EXPECT_EQ(hexSha(input), digest) << input.size();
  PortableOnly portable;
  for (const auto& [input, digest] : cases) EXPECT_EQ(hexSha(input), digest) << input.size();
}

TEST(Sha256, AcceleratedAndPortableAgreeOnEveryLengthAndSplit) {
  std::mt19937 rng(11);
  std::string data(5000, '\0');
  for (char& c : data) c = char(rng());
  for (std::size_t n : {1u, 55u, 56u, 63u, 64u, 65u, 127u, 128u, 129u, 1000u, 4999u, 5000u}) {
    const std::string_view bytes(data.data(), n);
    // Fed in uneven pieces, so whole blocks and the held remainder mix.
    Sha256 pieces;
    for (std::size_t at = 0; at < n;) {
      const std::size_t take = std::min<std::size_t>(n - at, 1 + rng() % 150);
      pieces.update(bytes.substr(at, take));
      at += take;
    }
    const Digest fast = sha256(bytes), fed = pieces.finish();
    Digest slow;
    {
      PortableOnly portable;
      slow = sha256(bytes);
    }
    EXPECT_EQ(hexOf(fast), hexOf(slow)) << n;
    EXPECT_EQ(hexOf(fed), hexOf(slow)) << n;
  }
}

TEST(Sha256, PasswordHashKnownValue) {
  // PBKDF2-HMAC-SHA-256, "password" / "salt", 2 iterations.
  EXPECT_EQ(hexOf(pbkdf2Sha256("password", "salt", 2)),
            "ae4d0c95af6b46d32d0adff928f06dd02a303f8ef3c251dfd6e2d85a95474c43");
}

}  // namespace
}  // namespace tarvolin::sharing::server
