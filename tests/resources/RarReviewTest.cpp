// Format rules of archives made by the RAR 1.5 - 2.x archivers that our own
// writer never produces: solidity and directories as RAR 1.5 marks them, and
// the tables a RAR 2.0 solid member leaves at the end of its stream for the
// next one. Every stream here is built bit by bit from the format's rules.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "RarTestSupport.h"
#include "resources/RarUnpack.h"

using namespace rartest;

namespace {

constexpr int TableSize20 = 298 + 48 + 28;
constexpr int DD = 298;

// A fresh RAR 2.0 LZ table header whose code-length code gives every length
// 0-15 a four-bit code equal to its value, so each entry is its value.
void Tables(Bits& b, const std::map<int, int>& lengths) {
  b.Put("00");
  for (int i = 0; i < 19; ++i)
    b.Put(i < 16 ? 4 : 0, 4);
  for (int i = 0; i < TableSize20; ++i) {
    auto it = lengths.find(i);
    b.Put(uint32_t(it == lengths.end() ? 0 : it->second), 4);
  }
}

FileHeader Compressed(const std::string& name, const std::string& data, const Bits& stream,
                      uint8_t version, uint16_t flags = 0x8000) {
  FileHeader h;
  h.flags = flags;
  h.name = name;
  h.packed = stream.bytes;
  h.unpackedSize = uint32_t(data.size());
  h.crc = Crc(data);
  h.unpackVersion = version;
  h.method = 0x33;
  return h;
}

// RAR 1.5 sets no solid flag in its file headers: in an archive whose header
// says solid, every member after the first continues the one before.
TEST(RarReview, Rar15SolidnessComesFromTheArchiveHeader) {
  // First member "ABA": flag byte 0xff (flag code place 1, "00001"), then
  // literals A and B (eight-bit codes of places 65 and 66) and A again, now
  // moved to place 0 ("00000").
  Bits first;
  first.Put("00001 11100101 11100110 00000");
  // Second member "BABAB". Its flag code place 1 now holds the flag byte
  // 0x00, because the first member's flag byte 0xff moved to place 0; "00"
  // is a short match: length code 3 ("1110", length 5) at distance place 1
  // ("00001", distance 2), which reaches back into the first member.
  Bits second;
  second.Put("00001 1110 00001");
  for (uint16_t archiveFlags : {uint16_t(0x0008), uint16_t(0)}) {
    std::vector<uint8_t> a = Start(archiveFlags);
    Add(a, Compressed("one.txt", "ABA", first, 15));
    Add(a, Compressed("two.txt", "BABAB", second, 15));
    std::string out;
    EXPECT_TRUE(Extract(a, "one.txt", out));
    EXPECT_EQ(out, "ABA");
    // Without the solid archive flag the second stream starts afresh: its
    // flag byte is 0xff and what comes out fails the CRC.
    EXPECT_EQ(Extract(a, "two.txt", out), archiveFlags != 0) << archiveFlags;
    if (archiveFlags) {
      EXPECT_EQ(out, "BABAB");
    }
  }
}

// RAR 2.0 members say for themselves whether they continue: one without the
// flag starts afresh with its own tables even in a solid archive.
TEST(RarReview, Rar20MembersWithoutTheSolidFlagStartAfresh) {
  Bits stream;
  Tables(stream, {{'a', 2}, {'b', 2}, {'c', 2}, {276, 2}, {DD + 2, 1}});
  stream.Put("00 01 10 11 0"); // a b c, then length 9 at distance 3
  std::vector<uint8_t> a = Start(0x0008);
  Add(a, Compressed("one.txt", "abcabcabcabc", stream, 20));
  Add(a, Compressed("two.txt", "abcabcabcabc", stream, 20));
  std::string out;
  EXPECT_TRUE(Extract(a, "two.txt", out));
  EXPECT_EQ(out, "abcabcabcabc");
}

// RAR 1.5 directory entries carry the MS-DOS directory attribute and no
// directory window bits; they are not members.
TEST(RarReview, Rar15DirectoryIsMarkedByItsAttribute) {
  std::vector<uint8_t> a = Start();
  FileHeader dir;
  dir.name = "MESHES";
  dir.unpackVersion = 15;
  dir.attributes = 0x10;
  Add(a, dir);
  FileHeader file;
  file.name = "MESHES\\ENV.DAT";
  file.packed = Bytes("env");
  file.unpackedSize = 3;
  file.crc = Crc("env");
  file.unpackVersion = 15;
  Add(a, file);
  rar::MemorySource source(a.data(), a.size());
  rar::ArchiveInfo info;
  ASSERT_TRUE(rar::ReadArchiveInfo(source, info));
  ASSERT_EQ(info.members.size(), 1u);
  EXPECT_EQ(info.members[0].name, "MESHES\\ENV.DAT");
}

// A RAR 2.0 member may end with symbol 269 and the tables the next solid
// member decodes with; that member then starts with no table header.
TEST(RarReview, Rar20TablesAtTheEndOfAMemberServeTheNext) {
  Bits first;
  Tables(first, {{'a', 1}, {269, 1}}); // a = 0, 269 = 1
  first.Put("0 0 1");                  // "aa", then new tables
  Tables(first, {{'x', 1}, {'y', 1}}); // x = 0, y = 1
  Bits second;
  second.Put("0 1 0"); // "xyx" with the tables the first member left
  std::vector<uint8_t> a = Start(0x0008);
  Add(a, Compressed("one.txt", "aa", first, 20));
  Add(a, Compressed("two.txt", "xyx", second, 20, 0x8000 | 0x0010));
  std::string out;
  EXPECT_TRUE(Extract(a, "one.txt", out));
  EXPECT_EQ(out, "aa");
  EXPECT_TRUE(Extract(a, "two.txt", out));
  EXPECT_EQ(out, "xyx");
}

// A hostile solid chain may switch methods: a RAR 1.5 member continuing a
// RAR 2.0 one finds the distance history position where RAR 2.0 left it
// (RAR 2.0 counts it on without wrapping). It must stay inside the history.
TEST(RarReview, Rar15AfterRar20InASolidChainStaysInBounds) {
  Bits first;
  Tables(first, {{'a', 1}, {261, 1}});        // a = 0, 261 = 1
  first.Put("0 100 100 100 100 100 100 100"); // a, then seven "aa" at distance 1
  Bits second;
  second.Put("00001 1110 00001 0 00001 0 00001 0111011 0000 0000010");
  rar::Unpacker unpacker;
  std::vector<uint8_t> out(15);
  ASSERT_TRUE(unpacker.Unpack(20, first.bytes.data(), first.bytes.size(), false, out.data(), 15));
  EXPECT_EQ(std::string(out.begin(), out.end()), std::string(15, 'a'));
  for (int round = 0; round < 3; ++round) {
    std::vector<uint8_t> more(64);
    unpacker.Unpack(15, second.bytes.data(), second.bytes.size(), true, more.data(), more.size());
  }
  // And garbage switching methods back and forth in one solid chain.
  std::mt19937 random(99);
  for (int round = 0; round < 200; ++round) {
    std::vector<uint8_t> packed(1 + random() % 600);
    for (uint8_t& x : packed)
      x = uint8_t(random());
    std::vector<uint8_t> more(random() % 5000);
    unpacker.Unpack(round % 2 ? 15 : 20, packed.data(), packed.size(), true, more.data(),
                    more.size());
  }
}

} // namespace
