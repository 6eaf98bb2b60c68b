#include "sharing/deflate_segments.h"

#include <zlib.h>

#include <cstring>
#include <memory>

#include "platform/files.h"
#include "platform/paths.h"
#include "sharing/file_ops.h"
#include "sharing/wire.h"

namespace tarvolin::sharing {
namespace {

constexpr char kPieceMagic[4] = {'T', 'Z', 'P', '1'};
constexpr std::size_t kPieceHead = 16;  // magic, Adler-32, length (64-bit)

// Level 9 with a capped match search (good, lazy, nice, chain).
constexpr int kGood = 8, kLazy = 16, kNice = 128, kChain = 32;

bool runDeflate(z_stream& z, std::string& out, int flush) {
  for (;;) {
    const std::size_t at = out.size();
    out.resize(at + std::max<std::size_t>(64 * 1024, z.avail_in / 2 + 64));
    z.next_out = reinterpret_cast<Bytef*>(out.data() + at);
    z.avail_out = uInt(out.size() - at);
    const int rc = deflate(&z, flush);
    out.resize(out.size() - z.avail_out);
    if (rc == Z_STREAM_ERROR) return false;
    if (flush == Z_FINISH ? rc == Z_STREAM_END : (z.avail_in == 0 && z.avail_out != 0))
      return true;
  }
}

// Raw deflate compressor with the level and search used for every piece.
// Fed a megabyte at a time when someone follows it (the output is the same).
bool deflateRaw(std::string_view bytes, std::string& out, int flush, const DeflateTick& tick = {}) {
  z_stream z{};
  if (deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK) return false;
  deflateTune(&z, kGood, kLazy, kNice, kChain);
  bool ok = true;
  std::size_t at = 0;
  out.clear();
  do {
    const std::size_t piece = std::min<std::size_t>(bytes.size() - at, tick ? 1u << 20 : 1u << 30);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + at));
    z.avail_in = uInt(piece);
    at += piece;
    ok = runDeflate(z, out, at == bytes.size() ? flush : Z_NO_FLUSH);
    if (ok && tick) ok = tick(piece);
  } while (ok && at < bytes.size());
  deflateEnd(&z);
  return ok;
}

}  // namespace

bool deflatePiece(std::string_view bytes, DeflatePiece& piece, const DeflateTick& tick) {
  piece.length = bytes.size();
  piece.adler = std::uint32_t(adler32_z(1, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
  if (bytes.empty()) {
    piece.data.clear();
    return true;
  }
  return deflateRaw(bytes, piece.data, Z_FULL_FLUSH, tick);
}

bool savePiece(const std::string& path, const DeflatePiece& piece) {
  std::string bytes(kPieceHead, '\0');
  std::memcpy(bytes.data(), kPieceMagic, 4);
  putLittle32(bytes.data() + 4, piece.adler);
  putLittle32(bytes.data() + 8, std::uint32_t(piece.length));
  putLittle32(bytes.data() + 12, std::uint32_t(piece.length >> 32));
  bytes += piece.data;
  const std::string temp = path + ".tmp";
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::fopen(temp.c_str(), "wb"), std::fclose);
  if (!out) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out.get()) == bytes.size();
  ok = std::fflush(out.get()) == 0 && ok;
  out.reset();
  ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) std::remove(temp.c_str());
  return ok;
}

bool loadPiece(const std::string& path, std::uint64_t length, DeflatePiece& piece) {
  std::string bytes;
  if (!platform::readWholeFile(path, bytes) || bytes.size() < kPieceHead ||
      std::memcmp(bytes.data(), kPieceMagic, 4) != 0)
    return false;
  piece.adler = getLittle32(bytes.data() + 4);
  piece.length = getLittle32(bytes.data() + 8) | std::uint64_t(getLittle32(bytes.data() + 12)) << 32;
  if (piece.length != length || (length > 0) != (bytes.size() > kPieceHead)) return false;
  piece.data.assign(bytes, kPieceHead);
  return true;
}

PieceWriter::PieceWriter(std::FILE* out) : out_(out) {
  const unsigned char header[2] = {0x78, 0xDA};  // deflate, 32 KiB window, level 9
  ok_ = std::fwrite(header, 1, 2, out_) == 2;
}

bool PieceWriter::add(const DeflatePiece& piece) {
  if (!ok_) return false;
  if (!piece.data.empty() &&
      std::fwrite(piece.data.data(), 1, piece.data.size(), out_) != piece.data.size())
    return ok_ = false;
  adler_ = std::uint32_t(adler32_combine(adler_, piece.adler, z_off_t(piece.length)));
  return true;
}

bool PieceWriter::finish() {
  if (!ok_) return false;
  std::string last;
  if (!deflateRaw({}, last, Z_FINISH)) return ok_ = false;  // the final, empty block
  char tail[4];
  putBig32(tail, adler_);
  last.append(tail, 4);
  ok_ = std::fwrite(last.data(), 1, last.size(), out_) == last.size();
  return ok_;
}

}  // namespace tarvolin::sharing
