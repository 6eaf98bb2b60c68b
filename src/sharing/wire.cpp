#include "sharing/wire.h"

#include <algorithm>
#include <cstring>

namespace tarvolin::sharing {

void putBig32(char* p, std::uint32_t v) {
  p[0] = char(v >> 24);
  p[1] = char(v >> 16);
  p[2] = char(v >> 8);
  p[3] = char(v);
}
std::uint32_t getBig32(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  return std::uint32_t(u[0]) << 24 | std::uint32_t(u[1]) << 16 | std::uint32_t(u[2]) << 8 | u[3];
}
void putLittle32(char* p, std::uint32_t v) {
  p[0] = char(v);
  p[1] = char(v >> 8);
  p[2] = char(v >> 16);
  p[3] = char(v >> 24);
}
std::uint32_t getLittle32(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  return std::uint32_t(u[3]) << 24 | std::uint32_t(u[2]) << 16 | std::uint32_t(u[1]) << 8 | u[0];
}
void putLittle16(char* p, std::uint16_t v) {
  p[0] = char(v);
  p[1] = char(v >> 8);
}
std::uint16_t getLittle16(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  return std::uint16_t(u[0] | u[1] << 8);
}

std::uint32_t blockCountOf(std::uint64_t length) {
  return std::uint32_t((length + kBlockSize - 1) / kBlockSize);
}

namespace {

std::string withHeader(std::size_t size, PacketKind kind, std::uint32_t second) {
  std::string out(size, '\0');
  putBig32(out.data(), std::uint32_t(kind));
  putBig32(out.data() + 4, second);
  return out;
}

// Copies a text into a fixed field; the rest of the field stays zero.
void putText(std::string& out, std::size_t at, std::size_t field, std::string_view text) {
  std::memcpy(out.data() + at, text.data(), std::min(field, text.size()));
}

// A text field up to its first NUL or its end.
std::string getText(std::string_view payload, std::size_t at, std::size_t field) {
  std::string_view f = payload.substr(at, field);
  return std::string(f.substr(0, f.find('\0')));
}

}  // namespace

std::string encodeStatus(const StatusPacket& p) {
  std::string out = withHeader(kStatusPacketSize, PacketKind::Status, p.clientId);
  putBig32(out.data() + 8, p.status);
  putBig32(out.data() + 12, p.value);
  putBig32(out.data() + 16, p.value2);
  return out;
}

std::string encodeLogin(const LoginPacket& p) {
  std::string out = withHeader(kLoginPacketSize, PacketKind::Login, p.clientId);
  putBig32(out.data() + 8, p.crc);
  // 52 bytes of name field: at most 50 characters and always a NUL after them.
  putText(out, 12, kMaxUserName, p.user);
  return out;
}

std::string encodeServerTerminate() { return withHeader(8, PacketKind::ServerTerminate, 0); }

std::string encodeFileHeader(const FileHeaderPacket& p) {
  std::string out = withHeader(kFileHeaderPacketSize, PacketKind::FileHeader, p.clientId);
  putBig32(out.data() + 8, p.length);
  putBig32(out.data() + 12, p.crc);
  return out;
}

std::string encodeFileBlock(const FileBlockPacket& p) {
  std::string out = withHeader(kFileBlockPacketSize, PacketKind::FileBlock, p.clientId);
  putBig32(out.data() + 8, p.length);
  putBig32(out.data() + 12, p.index);
  putBig32(out.data() + 16, p.crc);
  putText(out, kFileBlockHeaderSize, kBlockSize, p.data);
  return out;
}

std::string encodeFileEnd(std::uint32_t clientId) {
  return withHeader(kFileEndPacketSize, PacketKind::FileEnd, clientId);
}

std::string encodeProjectSelect(const ProjectSelectPacket& p) {
  std::string out = withHeader(kProjectSelectPacketSize, PacketKind::ProjectSelect, p.clientId);
  putText(out, 8, kMaxProjectName, p.project);
  putText(out, 58, kMaxComment, p.comment);
  return out;
}

std::string encodeTransactionRequest(TransactionKind kind) {
  return withHeader(kTransactionRequestSize, PacketKind::TransactionRequest, std::uint32_t(kind));
}

std::uint32_t packetKind(std::string_view payload) {
  return payload.size() >= 4 ? getBig32(payload.data()) : 0;
}
std::uint32_t packetSecondWord(std::string_view payload) {
  return payload.size() >= 8 ? getBig32(payload.data() + 4) : 0;
}

bool decodeStatus(std::string_view payload, StatusPacket& p) {
  if (payload.size() < kStatusPacketSize) return false;
  p.clientId = getBig32(payload.data() + 4);
  p.status = getBig32(payload.data() + 8);
  p.value = getBig32(payload.data() + 12);
  p.value2 = getBig32(payload.data() + 16);
  return true;
}

bool decodeLogin(std::string_view payload, LoginPacket& p) {
  if (payload.size() < kLoginPacketSize) return false;
  p.clientId = getBig32(payload.data() + 4);
  p.crc = getBig32(payload.data() + 8);
  p.user = getText(payload, 12, kLoginPacketSize - 12);
  return true;
}

bool decodeFileHeader(std::string_view payload, FileHeaderPacket& p) {
  if (payload.size() < kFileHeaderPacketSize) return false;
  p.clientId = getBig32(payload.data() + 4);
  p.length = getBig32(payload.data() + 8);
  p.crc = getBig32(payload.data() + 12);
  return true;
}

bool decodeFileBlock(std::string_view payload, FileBlockPacket& p) {
  if (payload.size() < kFileBlockHeaderSize) return false;
  p.clientId = getBig32(payload.data() + 4);
  p.length = getBig32(payload.data() + 8);
  p.index = getBig32(payload.data() + 12);
  p.crc = getBig32(payload.data() + 16);
  const std::size_t there = payload.size() - kFileBlockHeaderSize;
  p.data = payload.substr(kFileBlockHeaderSize, std::min<std::size_t>(p.length, there));
  return true;
}

bool decodeProjectSelect(std::string_view payload, ProjectSelectPacket& p) {
  if (payload.size() < kProjectSelectPacketSize) return false;
  p.clientId = getBig32(payload.data() + 4);
  p.project = getText(payload, 8, kMaxProjectName);
  p.comment = getText(payload, 58, kProjectSelectPacketSize - 58);
  return true;
}

bool decodeTransactionRequest(std::string_view payload, std::uint32_t& kind) {
  if (payload.size() < kTransactionRequestSize) return false;
  kind = getBig32(payload.data() + 4);
  return true;
}

std::string frame(std::string_view payload) {
  std::string out(4 + payload.size(), '\0');
  putLittle32(out.data(), std::uint32_t(payload.size()));
  std::memcpy(out.data() + 4, payload.data(), payload.size());
  return out;
}

}  // namespace tarvolin::sharing
