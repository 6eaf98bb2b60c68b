#include "project/images/tilemap_file.h"

#include "project/images/byte_reader.h"

namespace tarvolin::project {

namespace {
bool fail(std::string& error, const char* text) {
  error = std::string("TVM: ") + text;
  return false;
}
}  // namespace

bool readTileMap(ByteView bytes, TileMapFile& out, std::string& error) {
  ByteReader data(bytes);
  if (!data.has(0, 8)) return fail(error, "archivo demasiado corto");
  if (data.u8(0) != 'T' || data.u8(1) != 'M') return fail(error, "falta la firma \"TM\"");
  const std::uint16_t version = data.u16(2);
  if (version != kTileMapVersionWide && version != kTileMapVersionNarrow)
    return fail(error, "versión desconocida");
  const int width = data.u16(4);
  const int height = data.u16(6);
  if (width == 0 || height == 0) return fail(error, "ancho o alto cero");
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  const std::size_t entryBytes = version == kTileMapVersionWide ? 2 : 1;
  if (!data.has(8, count * entryBytes)) return fail(error, "faltan entradas del mapa");
  out.version = version;
  out.width = width;
  out.height = height;
  out.entries.resize(count);
  for (std::size_t i = 0; i < count; ++i)
    out.entries[i] = entryBytes == 2 ? data.u16(8 + i * 2) : data.u8(8 + i);
  return true;
}

bool writeTileMap(const TileMapFile& map, Bytes& out, std::string& error) {
  if (map.version != kTileMapVersionWide && map.version != kTileMapVersionNarrow)
    return fail(error, "versión desconocida");
  if (map.width <= 0 || map.height <= 0 || map.width > 0xFFFF || map.height > 0xFFFF)
    return fail(error, "tamaño no válido");
  const std::size_t count = static_cast<std::size_t>(map.width) * static_cast<std::size_t>(map.height);
  if (map.entries.size() != count) return fail(error, "número de entradas incorrecto");
  out.clear();
  out.push_back('T');
  out.push_back('M');
  putU16(out, map.version);
  putU16(out, static_cast<std::uint32_t>(map.width));
  putU16(out, static_cast<std::uint32_t>(map.height));
  for (std::uint16_t e : map.entries) {
    if (map.wide()) {
      putU16(out, e);
    } else {
      if (e > 0xFF) return fail(error, "entrada mayor que 255 en un mapa de un byte");
      out.push_back(static_cast<std::uint8_t>(e));
    }
  }
  return true;
}

}  // namespace tarvolin::project
