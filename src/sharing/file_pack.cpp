#include "sharing/file_pack.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "common/text.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "sharing/deflate_segments.h"
#include "sharing/shared_names.h"
#include "sharing/wire.h"

namespace tarvolin::sharing {
namespace {

constexpr char kMagic[4] = {'N', 'F', 'P', '0'};
constexpr std::uint16_t kFormatVersion = 1;
constexpr std::uint16_t kHeaderSize = 16;
constexpr std::size_t kEntryFixed = 20;  // entry bytes before the name
constexpr std::size_t kPiece = 64 * 1024;
// A directory larger than this is refused (a real one is a few kilobytes).
constexpr std::uint64_t kMaxDirectory = 64ULL << 20;

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;
File openFile(const std::string& path, const char* mode) {
  return File(std::fopen(path.c_str(), mode), std::fclose);
}

// The stored name: "\" between folders, anything up to a drive colon dropped.
std::string packName(const std::string& name) {
  std::string out = storedName(name);
  const std::size_t colon = out.find(':');
  if (colon != std::string::npos) out.erase(0, colon + 1);
  while (!out.empty() && out[0] == '\\') out.erase(0, 1);
  return out;
}

std::string directoryBytes(const std::vector<PackedFile>& files) {
  std::string dir;
  std::uint32_t offset = 0;
  for (const PackedFile& f : files) {
    std::string e(kEntryFixed, '\0');
    putLittle16(e.data(), std::uint16_t(f.name.size() + 21));
    putLittle32(e.data() + 4, f.size);
    putLittle32(e.data() + 8, offset);
    putLittle16(e.data() + 18, std::uint16_t(f.name.size() + 1));
    e += f.name;
    e += '\0';
    dir += e;
    offset += f.size;
  }
  std::string head(kHeaderSize, '\0');
  std::memcpy(head.data(), kMagic, 4);
  putLittle16(head.data() + 4, kFormatVersion);
  putLittle16(head.data() + 6, kHeaderSize);
  putLittle32(head.data() + 8, std::uint32_t(files.size()));
  putLittle32(head.data() + 12, std::uint32_t(kHeaderSize + dir.size()));
  return head + dir;
}

// The compressed piece of one file: from its cache when that holds one for
// this size, else read (exactly `size` bytes) and compressed.
bool compressSource(const PackSource& source, std::uint32_t size, DeflatePiece& piece,
                    const DeflateTick& tick) {
  if (!source.cache.empty() && loadPiece(source.cache, size, piece)) return !tick || tick(size);
  std::string bytes;
  if (!platform::readWholeFile(source.path, bytes) || bytes.size() != size) return false;
  if (!deflatePiece(bytes, piece, tick)) return false;
  if (!source.cache.empty()) savePiece(source.cache, piece);
  return true;
}

}  // namespace

bool packFiles(const std::string& folder, const std::vector<std::string>& names,
               const std::string& packPath, std::string& error, const PackWatch* watch) {
  std::vector<PackSource> sources;
  sources.reserve(names.size());
  for (const std::string& n : names) sources.push_back({n, localPathOf(folder, n), {}});
  return packFileList(sources, packPath, error, watch);
}

bool packFileList(const std::vector<PackSource>& sources, const std::string& packPath,
                  std::string& error, const PackWatch* watch) {
  std::vector<PackedFile> files;
  std::vector<std::string> paths;
  std::uint64_t total = 0;
  for (const PackSource& source : sources) {
    const std::string& n = source.name;
    const std::string& path = source.path;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
      error = "No se puede leer el archivo '" + n + "'";
      return false;
    }
    PackedFile f{packName(n), std::uint32_t(st.st_size)};
    total += std::uint64_t(st.st_size) + f.name.size() + 21;
    if (f.name.empty() || f.name.size() + 21 > 0xFFFF || total >= 0xFFFFFFF0ULL) {
      error = "El archivo '" + n + "' no cabe en un paquete";
      return false;
    }
    files.push_back(std::move(f));
    paths.push_back(path);
  }
  File out = openFile(packPath, "wb");
  if (!out) {
    error = "No se puede escribir el paquete '" + packPath + "'";
    return false;
  }
  PieceWriter writer(out.get());
  DeflatePiece head;
  bool ok = deflatePiece(directoryBytes(files), head) && writer.add(head);

  // Each file is read and compressed by a worker; the pieces are written in
  // directory order. At most kAhead pieces wait to be written.
  constexpr std::size_t kAhead = 8;
  const std::size_t count = files.size();
  std::vector<DeflatePiece> pieces(count);
  std::vector<char> state(count, 0);  // 0 waiting, 1 ready, 2 failed
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t next = 0, written = 0;
  std::atomic<bool> stop{false};
  // Followed packings count the bytes compressed and may be stopped.
  std::uint64_t fileBytes = 0;
  for (const PackedFile& f : files) fileBytes += f.size;
  std::atomic<std::uint64_t> compressed{0};
  std::atomic<bool> stopped{false};
  DeflateTick tick;
  if (watch)
    tick = [&](std::size_t bytes) {
      compressed += bytes;
      return !stopped.load(std::memory_order_relaxed);
    };
  auto work = [&] {
    for (;;) {
      std::size_t i;
      {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return stop || next >= count || next < written + kAhead; });
        if (stop || next >= count) return;
        i = next++;
      }
      const bool done = compressSource(sources[i], files[i].size, pieces[i], tick);
      {
        std::lock_guard lock(mutex);
        state[i] = done ? 1 : 2;
      }
      changed.notify_all();
    }
  };
  const unsigned workers = std::max(1u, std::min(2u, std::thread::hardware_concurrency()));
  std::vector<std::thread> threads;
  for (unsigned w = 0; w < workers && count > 0; ++w) threads.emplace_back(work);
  std::size_t failed = count;
  // Tells the watcher how far the packing is; false when it says stop.
  auto report = [&] {
    if (!watch) return true;
    if (watch->progress) watch->progress(compressed.load(), fileBytes);
    if (watch->stop && watch->stop()) stopped = true;
    return !stopped.load();
  };
  for (std::size_t i = 0; i < count; ++i) {
    {
      std::unique_lock lock(mutex);
      while (!changed.wait_for(lock, std::chrono::milliseconds(100), [&] { return state[i] != 0; })) {
        lock.unlock();
        report();
        lock.lock();
      }
    }
    if (!report()) {
      failed = i;
      break;
    }
    if (state[i] == 2 || !ok) {
      failed = i;
      break;
    }
    ok = writer.add(pieces[i]);
    DeflatePiece().data.swap(pieces[i].data);
    {
      std::lock_guard lock(mutex);
      written = i + 1;
    }
    changed.notify_all();
  }
  {
    std::lock_guard lock(mutex);
    stop = true;
  }
  changed.notify_all();
  for (std::thread& t : threads) t.join();
  if (failed < count) {
    error = stopped ? "Empaquetado interrumpido"
                    : "No se puede leer el archivo '" + sources[failed].name + "'";
    out.reset();
    std::remove(packPath.c_str());
    return false;
  }
  ok = ok && writer.finish();
  ok = std::fflush(out.get()) == 0 && ok;
  out.reset();
  if (!ok) {
    error = "No se puede escribir el paquete '" + packPath + "'";
    std::remove(packPath.c_str());
  }
  return ok;
}

namespace {

// Checks the header and the directory held in `image` (at least the whole
// directory). Fills the entries and the announced total size.
bool readDirectory(const std::string& image, std::vector<PackedFile>& files,
                   std::uint64_t& total, std::string& error) {
  const std::uint32_t count = getLittle32(image.data() + 8);
  const std::uint32_t dataOffset = getLittle32(image.data() + 12);
  std::size_t at = kHeaderSize;
  std::uint64_t offset = 0;
  files.clear();
  for (std::uint32_t i = 0; i < count; ++i) {
    if (at + kEntryFixed > dataOffset) {
      error = "El paquete está dañado: el directorio es más corto que sus entradas";
      return false;
    }
    const char* e = image.data() + at;
    const std::uint16_t entrySize = getLittle16(e);
    const std::uint32_t size = getLittle32(e + 4);
    const std::uint32_t fileOffset = getLittle32(e + 8);
    const std::uint16_t nameField = getLittle16(e + 18);
    if (nameField < 2 || entrySize != nameField + kEntryFixed || at + entrySize > dataOffset) {
      error = "El paquete está dañado: una entrada del directorio tiene un tamaño incorrecto";
      return false;
    }
    const std::string_view name(e + kEntryFixed, nameField);
    if (name.back() != '\0') {
      error = "El paquete está dañado: un nombre no termina en nulo";
      return false;
    }
    const std::string_view text = name.substr(0, name.size() - 1);
    std::string why;
    if (!isSafeRelativeName(text, &why)) {
      error = "Paquete rechazado: el nombre '" + std::string(text.substr(0, text.find('\0'))) +
              "' no es válido (" + why + ")";
      return false;
    }
    if (fileOffset != offset) {
      error = "El paquete está dañado: los datos no siguen el orden del directorio";
      return false;
    }
    files.push_back({std::string(text), size});
    offset += size;
    at += entrySize;
  }
  if (at != dataOffset) {
    error = "El paquete está dañado: el directorio no coincide con el área de datos";
    return false;
  }
  total = std::uint64_t(dataOffset) + offset;
  return true;
}

bool allowed(const std::vector<std::string>* names, const std::string& name) {
  if (!names) return true;
  for (const std::string& n : *names)
    if (sameSharedName(n, name)) return true;
  return false;
}

// Copies `size` bytes from `in` into a new file at `path`, through a
// temporary file in the same folder, so no half-written file is left.
bool extractOne(std::FILE* in, std::uint64_t size, const std::string& path, bool direct) {
  const std::string folder(platform::folderOf(path));
  if (!folder.empty() && !platform::folderExists(folder) && !platform::makeFolders(folder))
    return false;
  const std::string temp =
      direct ? path : (folder.empty() ? std::string() : folder + "/") + "~unpack.tmp";
  File out = openFile(temp, "wb");
  if (!out) return false;
  std::string buffer(kPiece, '\0');
  while (size > 0) {
    const std::size_t want = size < kPiece ? std::size_t(size) : kPiece;
    if (std::fread(buffer.data(), 1, want, in) != want ||
        std::fwrite(buffer.data(), 1, want, out.get()) != want) {
      out.reset();
      std::remove(temp.c_str());
      return false;
    }
    size -= want;
  }
  if (std::fflush(out.get()) != 0) {
    out.reset();
    std::remove(temp.c_str());
    return false;
  }
  out.reset();
  if (!direct && std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace

bool unpackFiles(const std::string& packPath, const std::string& destFolder,
                 const UnpackOptions& options, std::string& error,
                 std::vector<PackedFile>* filesOut) {
  File in = openFile(packPath, "rb");
  if (!in) {
    error = "No se puede abrir el paquete '" + packPath + "'";
    return false;
  }
  const std::string image = packPath + ".pak";
  File out = openFile(image, "wb+");
  if (!out) {
    error = "No se puede escribir '" + image + "'";
    return false;
  }
  struct Cleanup {
    std::string path;
    ~Cleanup() { std::remove(path.c_str()); }
  } cleanup{image};

  z_stream z{};
  if (inflateInit(&z) != Z_OK) {
    error = "No se puede descomprimir el paquete";
    return false;
  }
  std::string inBuf(kPiece, '\0'), outBuf(kPiece, '\0');
  std::string head;  // header and directory, kept in memory
  std::uint64_t produced = 0;
  std::uint64_t expected = 0;  // announced total; 0 until the directory is read
  std::uint32_t dataOffset = 0;
  std::vector<PackedFile> files;
  bool ended = false;
  bool failed = false;
  while (!ended && !failed) {
    const std::size_t got = std::fread(inBuf.data(), 1, inBuf.size(), in.get());
    if (got == 0) break;
    z.next_in = reinterpret_cast<Bytef*>(inBuf.data());
    z.avail_in = uInt(got);
    do {
      z.next_out = reinterpret_cast<Bytef*>(outBuf.data());
      z.avail_out = uInt(outBuf.size());
      const int rc = inflate(&z, Z_NO_FLUSH);
      if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) {
        error = "El paquete está dañado (no se puede descomprimir)";
        failed = true;
        break;
      }
      if (rc == Z_STREAM_END) ended = true;
      const std::size_t have = outBuf.size() - z.avail_out;
      if (have == 0 && rc == Z_BUF_ERROR) break;
      const std::uint64_t limit = expected ? expected : options.limit;
      if (produced + have > limit || produced + have > options.limit) {
        error = expected ? "El paquete contiene más datos de los que declara"
                         : "El paquete supera el tamaño máximo permitido";
        failed = true;
        break;
      }
      if (std::fwrite(outBuf.data(), 1, have, out.get()) != have) {
        error = "No se puede escribir '" + image + "'";
        failed = true;
        break;
      }
      if (!expected && head.size() < kMaxDirectory) {
        head.append(outBuf.data(), std::min<std::uint64_t>(have, kMaxDirectory - head.size()));
      }
      produced += have;
      if (!expected && head.size() >= kHeaderSize) {
        if (std::memcmp(head.data(), kMagic, 4) != 0 ||
            getLittle16(head.data() + 4) != kFormatVersion ||
            getLittle16(head.data() + 6) != kHeaderSize) {
          error = "El paquete no tiene el formato esperado";
          failed = true;
          break;
        }
        dataOffset = getLittle32(head.data() + 12);
        if (dataOffset < kHeaderSize || dataOffset > kMaxDirectory ||
            dataOffset > options.limit) {
          error = "El paquete está dañado: el directorio declara un tamaño imposible";
          failed = true;
          break;
        }
        if (head.size() >= dataOffset) {
          if (!readDirectory(head, files, expected, error)) {
            failed = true;
            break;
          }
          if (expected > options.limit) {
            error = "El paquete supera el tamaño máximo permitido";
            failed = true;
            break;
          }
          if (produced > expected) {
            error = "El paquete contiene más datos de los que declara";
            failed = true;
            break;
          }
        }
      }
    } while ((z.avail_in > 0 || z.avail_out == 0) && !ended && !failed);
  }
  inflateEnd(&z);
  if (failed) return false;
  if (!ended) {
    error = "El paquete está incompleto o dañado";
    return false;
  }
  if (!expected || produced != expected) {
    error = "El paquete declara tamaños que no corresponden a su contenido";
    return false;
  }
  for (const PackedFile& f : files) {
    if (!allowed(options.allowedNames, f.name)) {
      error = "Paquete rechazado: no se esperaba el archivo '" + f.name + "'";
      return false;
    }
  }
  if (!platform::makeFolders(destFolder)) {
    error = "No se puede crear la carpeta '" + destFolder + "'";
    return false;
  }
  if (std::fflush(out.get()) != 0 || std::fseek(out.get(), long(dataOffset), SEEK_SET) != 0) {
    error = "No se puede leer '" + image + "'";
    return false;
  }
  for (const PackedFile& f : files) {
    const std::string path = platform::joinPath(destFolder, f.name);
    if (!extractOne(out.get(), f.size, path, options.direct)) {
      error = "No se puede escribir el archivo '" + f.name + "'";
      return false;
    }
  }
  if (filesOut) *filesOut = std::move(files);
  return true;
}

std::string packImage(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::vector<PackedFile> files;
  for (const auto& [name, bytes] : entries) files.push_back({name, std::uint32_t(bytes.size())});
  std::string out = directoryBytes(files);
  for (const auto& e : entries) out += e.second;
  return out;
}

std::string deflateBytes(const std::string& bytes) {
  uLongf size = compressBound(uLong(bytes.size()));
  std::string out(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                reinterpret_cast<const Bytef*>(bytes.data()), uLong(bytes.size()), 9) != Z_OK)
    return {};
  out.resize(size);
  return out;
}

}  // namespace tarvolin::sharing
