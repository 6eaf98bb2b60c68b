// Level-9 zlib streams built from independently compressed pieces. Each
// piece is raw deflate data ending on a byte boundary (a full flush), so
// pieces compressed apart (on several threads, or once and kept, as the
// server keeps each stored file's) join into one valid zlib stream.
//
// The match search of level 9 is capped: uncapped, it compresses the long
// runs of picture data at a few megabytes a second for a gain of about 2%.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace tarvolin::sharing {

struct DeflatePiece {
  std::string data;         // raw deflate bytes, ending on a byte boundary
  std::uint32_t adler = 1;  // Adler-32 of the uncompressed bytes
  std::uint64_t length = 0; // uncompressed length
};

// Told, a megabyte at a time, how many more bytes were compressed; false
// stops the compression.
using DeflateTick = std::function<bool(std::size_t bytes)>;

// Compresses bytes as one piece; false when zlib fails or `tick` stopped it.
bool deflatePiece(std::string_view bytes, DeflatePiece& piece, const DeflateTick& tick = {});

// Keeps a piece in a file (written through a temporary file) and reads it
// back; reading checks the file's form and the expected length.
bool savePiece(const std::string& path, const DeflatePiece& piece);
bool loadPiece(const std::string& path, std::uint64_t length, DeflatePiece& piece);

// Writes a zlib stream of pieces to a file: header, pieces, final block, Adler-32.
class PieceWriter {
 public:
  explicit PieceWriter(std::FILE* out);
  bool add(const DeflatePiece& piece);
  bool finish();

 private:
  std::FILE* out_;
  std::uint32_t adler_ = 1;
  bool ok_ = true;
};

}  // namespace tarvolin::sharing
