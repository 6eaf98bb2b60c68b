// SHA-256 and PBKDF2-HMAC-SHA-256, for the server's content names and
// password hashes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvolin::sharing::server {

using Digest = std::array<std::uint8_t, 32>;

class Sha256 {
 public:
  Sha256();
  void update(const void* data, std::size_t size);
  void update(std::string_view bytes) { update(bytes.data(), bytes.size()); }
  Digest finish();

 private:
  void blocks(const std::uint8_t* p, std::size_t count);
  std::array<std::uint32_t, 8> h_;
  std::array<std::uint8_t, 64> buffer_{};
  std::size_t used_ = 0;
  std::uint64_t total_ = 0;
};

Digest sha256(std::string_view bytes);
std::string hexOf(const Digest& d);
Digest pbkdf2Sha256(std::string_view password, std::string_view salt, int iterations);

// Whether the processor's SHA instructions compute the blocks. With
// `allowed` false the portable code does, so both can be compared.
bool sha256Accelerated();
void allowSha256Acceleration(bool allowed);

}  // namespace tarvolin::sharing::server
