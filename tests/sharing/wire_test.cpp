#include <gtest/gtest.h>

#include "sharing/crc32.h"
#include "sharing/socket_errors.h"
#include "sharing/wire.h"

namespace tarvolin::sharing {
namespace {

std::string hex(const std::string& bytes) {
  static const char* d = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += d[c >> 4];
    out += d[c & 15];
  }
  return out;
}

TEST(SharingWire, PacketsHaveTheirExactBytes) {
  EXPECT_EQ(hex(encodeStatus({0x01020304, 3, 2048, 0xCAFEBABE})),
            "00000001" "01020304" "00000003" "00000800" "cafebabe");
  EXPECT_EQ(hex(encodeTransactionRequest(TransactionKind::Commit)), "0000000800000004");
  EXPECT_EQ(hex(encodeFileHeader({7, 1025, 0x11223344})), "00000004000000070000040111223344");
  EXPECT_EQ(hex(encodeFileEnd(9)), "0000000600000009");
  EXPECT_EQ(hex(frame(encodeFileEnd(9))), "08000000" "0000000600000009");

  // Login: three big-endian words, then the name NUL-padded to 64 bytes.
  const std::string login = encodeLogin({5, crc32Of("anaclave"), "ana"});
  ASSERT_EQ(login.size(), kLoginPacketSize);
  EXPECT_EQ(hex(login.substr(0, 12)), "0000000200000005" + hex(std::string{
      char(crc32Of("anaclave") >> 24), char(crc32Of("anaclave") >> 16),
      char(crc32Of("anaclave") >> 8), char(crc32Of("anaclave"))}));
  EXPECT_EQ(login.substr(12, 4), std::string("ana\0", 4));
  EXPECT_EQ(login.substr(15), std::string(49, '\0'));

  // A block is always 1044 bytes: five words, the data, zeros after it.
  FileBlockPacket b{1, 3, 2, crc32Of("xyz"), "xyz"};
  const std::string block = encodeFileBlock(b);
  ASSERT_EQ(block.size(), kFileBlockPacketSize);
  EXPECT_EQ(hex(block.substr(0, 16)), "00000005000000010000000300000002");
  EXPECT_EQ(block.substr(20, 3), "xyz");
  EXPECT_EQ(block.substr(23), std::string(1021, '\0'));

  // Project select: name in 8..57, comment in 58..571.
  const std::string select = encodeProjectSelect({4, "Demo", "hola"});
  ASSERT_EQ(select.size(), kProjectSelectPacketSize);
  EXPECT_EQ(select.substr(8, 5), std::string("Demo\0", 5));
  EXPECT_EQ(select.substr(58, 5), std::string("hola\0", 5));
  EXPECT_EQ(select.back(), '\0');
}

TEST(SharingWire, DecodersReadWhatEncodersWriteAndRefuseShortPayloads) {
  StatusPacket st;
  ASSERT_TRUE(decodeStatus(encodeStatus({0, 17, 1, 2}), st));
  EXPECT_EQ(st.status, 17u);
  EXPECT_FALSE(decodeStatus(encodeStatus({}).substr(0, 19), st));

  // A name filling the whole field has no NUL and is still read whole.
  const std::string fifty(kMaxProjectName, 'p');
  ProjectSelectPacket sel;
  ASSERT_TRUE(decodeProjectSelect(encodeProjectSelect({1, fifty, std::string(512, 'c')}), sel));
  EXPECT_EQ(sel.project, fifty);
  EXPECT_EQ(sel.comment, std::string(512, 'c'));

  FileBlockPacket b;
  ASSERT_TRUE(decodeFileBlock(encodeFileBlock({1, 1024, 0, 0, std::string(1024, 'a')}), b));
  EXPECT_EQ(b.data.size(), 1024u);
  // A length beyond the payload gives only what is there.
  std::string lying = encodeFileBlock({1, 5000, 0, 0, "abc"});
  ASSERT_TRUE(decodeFileBlock(lying, b));
  EXPECT_EQ(b.data.size(), 1024u);
  EXPECT_FALSE(decodeFileBlock(lying.substr(0, 19), b));
  EXPECT_EQ(packetKind("ab"), 0u);
}

TEST(SharingWire, BlockCountsAndCrc) {
  EXPECT_EQ(blockCountOf(0), 0u);
  EXPECT_EQ(blockCountOf(1024), 1u);
  EXPECT_EQ(blockCountOf(1025), 2u);
  EXPECT_EQ(crc32Of("123456789"), 0xCBF43926u);  // the standard check value
}

TEST(SharingWire, SocketErrorDescriptions) {
  EXPECT_EQ(socketErrorText(10054).rfind("(10054) - Connection reset by peer. \n", 0), 0u);
  EXPECT_EQ(socketErrorText(10060).rfind("(10060) - Connection timed out", 0), 0u);
  EXPECT_EQ(socketErrorText(10061).rfind("(10061) - Connection refused", 0), 0u);
  EXPECT_EQ(socketErrorText(11001).rfind("(11001) - Host not found", 0), 0u);
  EXPECT_EQ(socketErrorText(10101).rfind("(10094) - Graceful shutdown in progress", 0), 0u);
  EXPECT_EQ(socketErrorText(997).rfind("(OS dependent) - ", 0), 0u);
  EXPECT_EQ(socketErrorText(10107).rfind("(OS dependent) - ", 0), 0u);
  EXPECT_EQ(socketErrorText(12345), "Unknown (not listed) error");
  for (int code : {6, 8, 87, 995, 996, 10004, 10013, 10014, 10022, 10024, 10035, 10058, 10064,
                   10065, 10067, 10091, 10092, 10093, 10109, 11002, 11003, 11004})
    EXPECT_NE(socketErrorText(code), "Unknown (not listed) error") << code;
  EXPECT_EQ(socketCodeOfErrno(ECONNREFUSED), 10061);
}

}  // namespace
}  // namespace tarvolin::sharing
