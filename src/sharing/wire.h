// The packets of the project-server protocol and their byte layouts.
//
// A message on the stream is a 32-bit little-endian payload length followed
// by the payload. Every payload begins with two big-endian words: the packet
// kind and a second word (the client id in all packets but the transaction
// request). The encoders here build payloads; `frame` adds the length.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvolin::sharing {

enum class PacketKind : std::uint32_t {
  Status = 1,
  Login = 2,
  ServerTerminate = 3,
  FileHeader = 4,
  FileBlock = 5,
  FileEnd = 6,
  ProjectSelect = 7,
  TransactionRequest = 8,
};

enum class TransactionKind : std::uint32_t { Info = 1, Update = 2, Propose = 3, Commit = 4 };

// Status codes carried by a status packet.
namespace status {
inline constexpr std::uint32_t kBadBlock = 0;
inline constexpr std::uint32_t kAck = 1;
inline constexpr std::uint32_t kAckAlt = 2;
inline constexpr std::uint32_t kResume = 3;
inline constexpr std::uint32_t kWrongBlock = 4;
inline constexpr std::uint32_t kAbandoned = 5;
inline constexpr std::uint32_t kCrcMismatch = 6;
inline constexpr std::uint32_t kUnexpectedPacket = 8;
inline constexpr std::uint32_t kUnknownProject = 9;
inline constexpr std::uint32_t kMustUpdate = 10;
inline constexpr std::uint32_t kNoAccess = 12;
inline constexpr std::uint32_t kLocalIoFailure = 14;
inline constexpr std::uint32_t kResumeAccepted = 15;
inline constexpr std::uint32_t kResumeRefused = 16;
inline constexpr std::uint32_t kCommitInProgress = 17;
}  // namespace status

inline constexpr std::size_t kBlockSize = 1024;
inline constexpr std::size_t kStatusPacketSize = 20;
inline constexpr std::size_t kLoginPacketSize = 64;
inline constexpr std::size_t kFileHeaderPacketSize = 16;
inline constexpr std::size_t kFileBlockHeaderSize = 20;
inline constexpr std::size_t kFileBlockPacketSize = kFileBlockHeaderSize + kBlockSize;
inline constexpr std::size_t kFileEndPacketSize = 8;
inline constexpr std::size_t kProjectSelectPacketSize = 572;
inline constexpr std::size_t kTransactionRequestSize = 8;
// The longest payload either side accepts; longer lengths mean a broken or
// hostile peer.
inline constexpr std::size_t kMaxPayload = 64 * 1024;

// Field limits: user name and project name 50 characters, comment 512.
inline constexpr std::size_t kMaxUserName = 50;
inline constexpr std::size_t kMaxProjectName = 50;
inline constexpr std::size_t kMaxComment = 512;

std::uint32_t blockCountOf(std::uint64_t length);  // ceil(length / 1024)

struct StatusPacket {
  std::uint32_t clientId = 0;
  std::uint32_t status = 0;
  std::uint32_t value = 0;
  std::uint32_t value2 = 0;
};

struct LoginPacket {
  std::uint32_t clientId = 0;
  std::uint32_t crc = 0;  // CRC-32 of user name followed by password
  std::string user;
};

struct FileHeaderPacket {
  std::uint32_t clientId = 0;
  std::uint32_t length = 0;
  std::uint32_t crc = 0;
};

struct FileBlockPacket {
  std::uint32_t clientId = 0;
  std::uint32_t length = 0;  // 1..1024
  std::uint32_t index = 0;
  std::uint32_t crc = 0;
  std::string_view data;     // `length` bytes (decoded: a view into the payload)
};

struct ProjectSelectPacket {
  std::uint32_t clientId = 0;
  std::string project;
  std::string comment;
};

// Encoders. Texts longer than their field are cut to fit (callers refuse
// them before connecting).
std::string encodeStatus(const StatusPacket& p);
std::string encodeLogin(const LoginPacket& p);
std::string encodeServerTerminate();
std::string encodeFileHeader(const FileHeaderPacket& p);
std::string encodeFileBlock(const FileBlockPacket& p);
std::string encodeFileEnd(std::uint32_t clientId);
std::string encodeProjectSelect(const ProjectSelectPacket& p);
std::string encodeTransactionRequest(TransactionKind kind);

// The payload's kind and second word (0 when the payload is too short).
std::uint32_t packetKind(std::string_view payload);
std::uint32_t packetSecondWord(std::string_view payload);

// Decoders: false when the payload is too short for its fields.
bool decodeStatus(std::string_view payload, StatusPacket& p);
bool decodeLogin(std::string_view payload, LoginPacket& p);
bool decodeFileHeader(std::string_view payload, FileHeaderPacket& p);
// The data view points into `payload`. Its size is min(length, what is there).
bool decodeFileBlock(std::string_view payload, FileBlockPacket& p);
bool decodeProjectSelect(std::string_view payload, ProjectSelectPacket& p);
bool decodeTransactionRequest(std::string_view payload, std::uint32_t& kind);

// Length prefix (little-endian) followed by the payload.
std::string frame(std::string_view payload);

// Big- and little-endian word access.
void putBig32(char* p, std::uint32_t v);
std::uint32_t getBig32(const char* p);
void putLittle32(char* p, std::uint32_t v);
std::uint32_t getLittle32(const char* p);
void putLittle16(char* p, std::uint16_t v);
std::uint16_t getLittle16(const char* p);

}  // namespace tarvolin::sharing
