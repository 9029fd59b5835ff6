// The archive walker: header fields and blocks of the RAR 1.5 - 2.x format,
// what is refused, and damaged archives (truncated, flipped bytes, lying
// sizes), which must fail cleanly.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "RarTestSupport.h"
#include "resources/ArchiveFile.h"
#include "resources/RarWriter.h"
#include "support/TestArchive.h"

using namespace rartest;

namespace {

FileHeader Stored(const std::string& name, const std::string& data) {
  FileHeader h;
  h.name = name;
  h.packed = Bytes(data);
  h.unpackedSize = uint32_t(data.size());
  h.crc = Crc(data);
  return h;
}

TEST(RarArchive, StoredMemberFromHandBuiltHeaders) {
  std::vector<uint8_t> a = Start();
  Add(a, Stored("one.txt", "first"));
  Add(a, Stored("two.txt", "second"));
  std::string out;
  EXPECT_TRUE(Extract(a, "two.txt", out));
  EXPECT_EQ(out, "second");
  EXPECT_TRUE(Extract(a, "ONE.TXT", out));
  EXPECT_EQ(out, "first");
}

TEST(RarArchive, UnicodeNameMatchesOnItsPlainPart) {
  std::vector<uint8_t> a = Start();
  FileHeader h = Stored("", "u");
  h.flags |= 0x200;
  h.name = std::string("dir\\Name.txt\0\x01\x02\x03\x04", 16);
  Add(a, h);
  std::string out;
  EXPECT_TRUE(Extract(a, "dir/name.txt", out));
  EXPECT_EQ(out, "u");
}

TEST(RarArchive, OptionalHeaderFieldsAreSkipped) {
  std::vector<uint8_t> a = Start(0x0002, {0x11, 0x22, 0x33, 0x44, 0x55}); // archive comment
  FileHeader large = Stored("large.bin", "big");
  large.flags |= 0x100; // high size fields, zero
  Add(a, large);
  FileHeader times = Stored("times.txt", "t");
  times.flags |= 0x1000 | 0x0400 | 0x0008; // extended time, salt, comment
  times.afterName = {1, 2, 3, 4, 5, 6, 7, 8, 0xf0, 0x00, 9, 9, 9, 9, 9, 9};
  Add(a, times);
  std::string out;
  EXPECT_TRUE(Extract(a, "large.bin", out));
  EXPECT_EQ(out, "big");
  EXPECT_TRUE(Extract(a, "times.txt", out));
  EXPECT_EQ(out, "t");
}

TEST(RarArchive, OtherBlocksAndDirectoriesAreSkipped) {
  std::vector<uint8_t> a = Start();
  AddBlock(a, 0x75, 0, {1, 2, 3, 4, 5, 6});                    // old comment
  AddBlock(a, 0x77, 0x8000, {4, 0, 0, 0, 9, 9}, {1, 2, 3, 4}); // old subblock, 4 bytes
  AddBlock(a, 0x78, 0x8000, {3, 0, 0, 0}, {7, 7, 7});          // recovery record
  AddBlock(a, 0x7a, 0x8000, {2, 0, 0, 0, 0, 0, 0, 0}, {5, 5}); // new subblock
  FileHeader dir = Stored("meshes", "");
  dir.flags |= 0xe0; // a directory
  Add(a, dir);
  Add(a, Stored("meshes\\env.dat", "env"));
  std::string out;
  EXPECT_FALSE(Extract(a, "meshes", out));
  EXPECT_TRUE(Extract(a, "meshes/env.dat", out));
  EXPECT_EQ(out, "env");
}

TEST(RarArchive, EmptyCompressedMemberWithoutPackedBytes) {
  for (uint8_t version : {15, 20}) {
    std::vector<uint8_t> a = Start();
    FileHeader h = Stored("empty.txt", "");
    h.method = 0x33;
    h.unpackVersion = version;
    Add(a, h);
    std::string out = "x";
    EXPECT_TRUE(Extract(a, "empty.txt", out)) << int(version);
    EXPECT_EQ(out, "");
  }
}

TEST(RarArchive, EndBlockEndsTheWalk) {
  std::vector<uint8_t> a = Start();
  Add(a, Stored("a", "1"));
  AddBlock(a, 0x7b, 0x4000, {});
  Add(a, Stored("b", "2"));
  std::string out;
  EXPECT_TRUE(Extract(a, "a", out));
  EXPECT_FALSE(Extract(a, "b", out));
}

struct RefusedCase {
  const char* what;
  uint16_t archiveFlags;
  uint16_t fileFlags;
  uint8_t unpackVersion;
  uint8_t method;
};

class RarRefused : public testing::TestWithParam<RefusedCase> {};

TEST_P(RarRefused, FailsCleanly) {
  const RefusedCase& c = GetParam();
  std::vector<uint8_t> a = Start(c.archiveFlags);
  FileHeader h = Stored("m", "data");
  h.flags |= c.fileFlags;
  h.unpackVersion = c.unpackVersion;
  h.method = c.method;
  Add(a, h);
  std::string out;
  EXPECT_FALSE(Extract(a, "m", out)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, RarRefused,
    testing::Values(RefusedCase{"encrypted", 0, 0x0004, 20, 0x30},
                    RefusedCase{"continued from the last volume", 0, 0x0001, 20, 0x30},
                    RefusedCase{"continued in the next volume", 0, 0x0002, 20, 0x30},
                    RefusedCase{"volume", 0x0001, 0, 20, 0x30},
                    RefusedCase{"encrypted headers", 0x0080, 0, 20, 0x30},
                    RefusedCase{"RAR 2.9 method", 0, 0, 29, 0x33},
                    RefusedCase{"RAR 3.6 method", 0, 0, 36, 0x33},
                    RefusedCase{"RAR 1.3 method", 0, 0, 13, 0x33},
                    RefusedCase{"unknown method", 0, 0, 20, 0x36},
                    RefusedCase{"method below stored", 0, 0, 20, 0x2f}));

TEST(RarArchive, NotRarArchives) {
  std::vector<std::vector<uint8_t>> inputs = {
      {},
      Bytes("Rar!"),
      Bytes(std::string("Rar!\x1a\x07\x01\x00", 8) + std::string(40, '\0')), // RAR 5
      Bytes("RE~^" + std::string(40, 'x')),                                  // RAR 1.4
      Bytes("PK\x03\x04" + std::string(40, 'x')),
      std::vector<uint8_t>(rar::Marker, rar::Marker + 7), // marker only
  };
  for (const auto& input : inputs) {
    rar::MemorySource source(input.data(), input.size());
    rar::ArchiveInfo info;
    EXPECT_FALSE(rar::ReadArchiveInfo(source, info));
  }
}

struct LieCase {
  const char* what;
  int64_t packedSize;
  uint32_t unpackedSize;
  int32_t headSize;
  uint16_t extraFlags;
  uint32_t highUnpacked;
  bool badCrc;
};

class RarLyingSizes : public testing::TestWithParam<LieCase> {};

TEST_P(RarLyingSizes, FailWithoutFault) {
  const LieCase& c = GetParam();
  std::vector<uint8_t> a = Start();
  FileHeader h = Stored("m", "contents");
  if (c.packedSize >= 0)
    h.packedSize = c.packedSize;
  if (c.unpackedSize)
    h.unpackedSize = c.unpackedSize;
  h.headSize = c.headSize;
  h.flags |= c.extraFlags;
  h.highUnpacked = c.highUnpacked;
  h.badCrc = c.badCrc;
  Add(a, h);
  std::string out;
  EXPECT_FALSE(Extract(a, "m", out)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, RarLyingSizes,
    testing::Values(LieCase{"packed size beyond the file", 9, 0, -1, 0, 0, false},
                    LieCase{"packed size huge", 0xfffffff0, 0, -1, 0, 0, false},
                    LieCase{"packed smaller than stored size", 7, 0, -1, 0, 0, false},
                    LieCase{"unpacked size larger", -1, 9, -1, 0, 0, false},
                    LieCase{"unpacked size beyond the limit", -1, 300u << 20, -1, 0, 0, false},
                    LieCase{"high unpacked size", -1, 0, -1, 0x100, 1, false},
                    LieCase{"header size too small", -1, 0, 20, 0, 0, false},
                    LieCase{"header size below the name", -1, 0, 32, 0, 0, false},
                    LieCase{"header size beyond the file", -1, 0, 0xfff0, 0, 0, false},
                    LieCase{"header size below a block", -1, 0, 3, 0, 0, false},
                    LieCase{"header CRC wrong", -1, 0, -1, 0, 0, true}));

TEST(RarArchive, CompressedSizeBeyondTheLimitIsRefusedBeforeUnpacking) {
  std::vector<uint8_t> a = Start();
  FileHeader h = Stored("m", "xx");
  h.method = 0x33;
  h.unpackedSize = (256u << 20) + 1;
  Add(a, h);
  std::string out;
  std::string error;
  EXPECT_FALSE(Extract(a, "m", out, &error));
}

// A compressed archive of three members to damage.
std::vector<RarInputMember> DamageMembers() {
  std::string text;
  for (int i = 0; i < 40; ++i)
    text += "object" + std::to_string(i) + " begin radius 5 end\n";
  std::string binary;
  std::mt19937 random(5);
  for (int i = 0; i < 300; ++i)
    binary += char(random() % 7);
  return {{"first.txt", Bytes(text)}, {"meshes\\b.dat", Bytes(binary)}, {"last.txt", Bytes(text)}};
}

struct Extent {
  size_t headerStart, dataStart, end;
};

std::vector<Extent> Extents(const std::vector<uint8_t>& archive) {
  rar::MemorySource source(archive.data(), archive.size());
  rar::ArchiveInfo info;
  EXPECT_TRUE(rar::ReadArchiveInfo(source, info));
  std::vector<Extent> extents;
  size_t previousEnd = 7 + 13;
  for (const rar::MemberInfo& m : info.members) {
    extents.push_back({previousEnd, size_t(m.dataOffset), size_t(m.dataOffset + m.packedSize)});
    previousEnd = extents.back().end;
  }
  return extents;
}

class RarDamage : public testing::TestWithParam<bool> {}; // stored / compressed

TEST_P(RarDamage, TruncatedAnywhere) {
  std::vector<RarInputMember> members = DamageMembers();
  RarWriteOptions options;
  options.storeOnly = !GetParam();
  std::vector<uint8_t> archive;
  ASSERT_TRUE(BuildRarArchive(members, options, archive));
  std::vector<Extent> extents = Extents(archive);
  ASSERT_EQ(extents.size(), 3u);
  for (size_t length = 0; length < archive.size(); ++length) {
    std::vector<uint8_t> cut(archive.begin(), archive.begin() + long(length));
    for (size_t m = 0; m < members.size(); ++m) {
      std::string out;
      bool ok = Extract(cut, members[m].name.c_str(), out);
      EXPECT_EQ(ok, extents[m].end <= length) << "member " << m << " cut at " << length;
      if (ok)
        EXPECT_EQ(Bytes(out), members[m].data);
    }
  }
}

TEST_P(RarDamage, FlippedBytesAnywhere) {
  std::vector<RarInputMember> members = DamageMembers();
  RarWriteOptions options;
  options.storeOnly = !GetParam();
  std::vector<uint8_t> archive;
  ASSERT_TRUE(BuildRarArchive(members, options, archive));
  std::vector<Extent> extents = Extents(archive);
  int dataFlipsCaught = 0, dataFlips = 0;
  for (size_t at = 0; at < archive.size(); ++at) {
    for (uint8_t mask : {0x01, 0x80, 0xff}) {
      std::vector<uint8_t> bad = archive;
      bad[at] ^= mask;
      for (size_t m = 0; m < members.size(); ++m) {
        std::string out;
        bool ok = Extract(bad, members[m].name.c_str(), out);
        // Whatever comes out is the member itself: every other outcome fails.
        if (ok)
          EXPECT_EQ(Bytes(out), members[m].data) << "flip at " << at;
        const Extent& e = extents[m];
        if (at < 20 || (at >= e.headerStart && at < e.dataStart)) {
          // The marker, the archive header or this member's own header.
          EXPECT_FALSE(ok) << "member " << m << " header flip at " << at;
        }
        if (at >= e.dataStart && at < e.end) {
          ++dataFlips;
          dataFlipsCaught += !ok;
        }
      }
    }
  }
  // Only the padding bits of a compressed stream's last byte may go unseen.
  EXPECT_GE(dataFlipsCaught, dataFlips - 8 * 3);
}

INSTANTIATE_TEST_SUITE_P(Both, RarDamage, testing::Bool());

TEST(RarArchive, ArchiveFileOnDamagedDataSdd) {
  std::vector<uint8_t> archive;
  RarWriteOptions options;
  ASSERT_TRUE(BuildRarArchive(DamageMembers(), options, archive));
  std::vector<uint8_t> bad = archive;
  bad[bad.size() - 40] ^= 0x55; // in the last member's compressed data
  TempDir dir;
  std::FILE* f = std::fopen(dir.File("data.sdd").c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(bad.data(), 1, bad.size(), f);
  std::fclose(f);
  ArchiveFile file;
  EXPECT_FALSE(file.OpenFrom(dir.File("data.sdd").c_str(), "last.txt"));
  EXPECT_EQ(file.data, nullptr);
  EXPECT_EQ(file.size, 0u);
  EXPECT_TRUE(file.OpenFrom(dir.File("data.sdd").c_str(), "first.txt"));
}

TEST(RarArchive, SolidChainNeedsEveryMemberBefore) {
  std::vector<RarInputMember> members = DamageMembers();
  RarWriteOptions options;
  options.solid = true;
  std::vector<uint8_t> archive;
  ASSERT_TRUE(BuildRarArchive(members, options, archive));
  std::vector<Extent> extents = Extents(archive);
  std::string out;
  ASSERT_TRUE(Extract(archive, "last.txt", out));
  EXPECT_EQ(Bytes(out), members[2].data);
  // Damage in the first member's data spoils the last one too.
  std::vector<uint8_t> bad = archive;
  bad[(extents[0].dataStart + extents[0].end) / 2] ^= 0x20;
  EXPECT_FALSE(Extract(bad, "first.txt", out));
  EXPECT_FALSE(Extract(bad, "last.txt", out));
}

} // namespace
