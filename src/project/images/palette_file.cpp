// Palette files: JASC-PAL text, RIFF "PAL " files and raw RGB triples.
#include <charconv>
#include <string_view>

#include "common/text.h"
#include "project/images/byte_reader.h"
#include "project/images/image.h"

namespace tarvolin::project {

namespace {

bool fail(std::string& error, const char* text) {
  error = std::string("PAL: ") + text;
  return false;
}

// Reads whitespace-separated non-negative numbers of one line.
std::vector<long> numbersOf(std::string_view line) {
  std::vector<long> values;
  std::size_t pos = 0;
  while (true) {
    pos = skipBlanks(line, pos);
    if (pos >= line.size()) break;
    long v = -1;
    auto [ptr, ec] = std::from_chars(line.data() + pos, line.data() + line.size(), v);
    if (ec != std::errc() || v < 0) return {};
    pos = static_cast<std::size_t>(ptr - line.data());
    values.push_back(v);
    if (pos < line.size() && !isBlank(line[pos])) return {};
  }
  return values;
}

bool readJasc(std::string_view text, std::vector<Rgb>& out, std::string& error) {
  std::vector<std::string_view> lines = splitLineViews(text);
  if (lines.size() < 3) return fail(error, "cabecera JASC-PAL incompleta");
  std::vector<long> count = numbersOf(lines[2]);
  if (count.size() != 1 || count[0] < 1 || count[0] > 256)
    return fail(error, "número de colores JASC-PAL no válido");
  if (lines.size() < 3 + static_cast<std::size_t>(count[0]))
    return fail(error, "faltan colores en el archivo JASC-PAL");
  out.clear();
  for (long i = 0; i < count[0]; ++i) {
    std::vector<long> rgb = numbersOf(lines[3 + static_cast<std::size_t>(i)]);
    if (rgb.size() < 3 || rgb[0] > 255 || rgb[1] > 255 || rgb[2] > 255)
      return fail(error, "color JASC-PAL no válido");
    out.push_back(Rgb{static_cast<std::uint8_t>(rgb[0]), static_cast<std::uint8_t>(rgb[1]),
                      static_cast<std::uint8_t>(rgb[2])});
  }
  return true;
}

bool readRiff(ByteReader data, std::vector<Rgb>& out, std::string& error) {
  if (!data.has(0, 12) || data.u32(8) != 0x204C4150u)  // "PAL "
    return fail(error, "archivo RIFF sin paleta");
  std::size_t pos = 12;
  while (data.has(pos, 8)) {
    const std::uint32_t id = data.u32(pos);
    const std::uint32_t size = data.u32(pos + 4);
    if (!data.has(pos + 8, size)) return fail(error, "bloque RIFF incompleto");
    if (id == 0x61746164u) {  // "data": version, count, entries of r g b flags
      if (size < 4) return fail(error, "bloque de datos RIFF incompleto");
      const std::uint32_t count = data.u16(pos + 10);
      if (count < 1 || count > 256) return fail(error, "número de colores RIFF no válido");
      if (std::size_t{4} + count * 4u > size) return fail(error, "faltan colores en el archivo RIFF");
      out.clear();
      for (std::uint32_t i = 0; i < count; ++i) {
        std::size_t at = pos + 12 + i * 4;
        out.push_back(Rgb{data.u8(at), data.u8(at + 1), data.u8(at + 2)});
      }
      return true;
    }
    pos += 8 + size + (size & 1);
  }
  return fail(error, "archivo RIFF sin bloque de datos");
}

}  // namespace

bool readPaletteFile(ByteView bytes, std::vector<Rgb>& out, std::string& error) {
  ByteReader data(bytes);
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (text.starts_with("JASC-PAL")) return readJasc(text, out, error);
  if (text.starts_with("RIFF")) return readRiff(data, out, error);
  if (bytes.size() == 768 || bytes.size() == 48) {
    out.clear();
    for (std::size_t i = 0; i + 2 < bytes.size(); i += 3)
      out.push_back(Rgb{bytes[i], bytes[i + 1], bytes[i + 2]});
    return true;
  }
  return fail(error, "formato de paleta desconocido");
}

}  // namespace tarvolin::project
