// Our writer and encoder against our reader: every member comes back byte for
// byte, stored and compressed, plain and solid.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "RarTestSupport.h"
#include "resources/ArchiveFile.h"
#include "resources/RarPack20.h"
#include "resources/RarUnpack.h"
#include "resources/RarWriter.h"
#include "support/TestArchive.h"

namespace {

std::vector<uint8_t> Random(size_t n, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> v(n);
  for (uint8_t& x : v)
    x = uint8_t(random());
  return v;
}

std::vector<uint8_t> Text(size_t n) {
  static const char* words[] = {"begin",    "end",    "radius", "texture", "V(1.0 2.5 -3)",
                                "color",    "sphere", "\n",     "  ",      "flare",
                                "ENDWORLD", "0.125",  "\t"};
  std::mt19937 random(11);
  std::vector<uint8_t> v;
  while (v.size() < n) {
    const char* w = words[random() % 13];
    v.insert(v.end(), w, w + std::strlen(w));
    v.push_back(' ');
  }
  v.resize(n);
  return v;
}

// Little-endian floats of a mesh: vertices on a sphere.
std::vector<uint8_t> Mesh(size_t vertices) {
  std::vector<uint8_t> v;
  for (size_t i = 0; i < vertices; ++i) {
    float xyz[3] = {std::sin(float(i) * 0.1f), std::cos(float(i) * 0.1f), float(i % 17) * 0.5f};
    const uint8_t* p = reinterpret_cast<const uint8_t*>(xyz);
    v.insert(v.end(), p, p + sizeof xyz);
  }
  return v;
}

// Random blocks repeated at distances past 0x2000 and 0x40000, where the
// format lengthens matches.
std::vector<uint8_t> FarRepeats() {
  std::vector<uint8_t> block = Random(0x3000, 3);
  std::vector<uint8_t> big = Random(0x41000, 4);
  std::vector<uint8_t> v = block;
  v.insert(v.end(), block.begin(), block.end());
  v.insert(v.end(), big.begin(), big.end());
  v.insert(v.end(), big.begin(), big.begin() + 0x800);
  v.insert(v.end(), block.begin(), block.begin() + 5);
  v.insert(v.end(), big.begin() + 100, big.begin() + 104);
  return v;
}

std::vector<uint8_t> Runs() {
  std::vector<uint8_t> v(700000, 0);
  for (size_t i = 200000; i < 300000; ++i)
    v[i] = uint8_t((i / 3) % 2 ? 'a' : 'b');
  for (size_t i = 400000; i < 400010; ++i)
    v[i] = 7;
  return v;
}

std::vector<uint8_t> SeveralMegabytes() {
  std::vector<uint8_t> v = Text(1000000);
  std::vector<uint8_t> r = Random(1000000, 9);
  std::vector<uint8_t> m = Mesh(100000);
  v.insert(v.end(), r.begin(), r.end());
  v.insert(v.end(), m.begin(), m.end());
  std::vector<uint8_t> runs = Runs();
  v.insert(v.end(), runs.begin(), runs.end());
  return v;
}

std::vector<RarInputMember> Varied() {
  return {{"empty.txt", {}},
          {"one", {'x'}},
          {"two", {'x', 'x'}},
          {"texture.txt", Text(5000)},
          {"meshes\\sphere.dat", Mesh(3000)},
          {"textures\\noise.jpg", Random(70000, 1)},
          {"runs.bin", Runs()},
          {"far.bin", FarRepeats()},
          {"small-random", Random(50, 2)},
          {"music.ogg", Random(1500000, 6)}, // large and incompressible
          {"big.bin", SeveralMegabytes()}};
}

void ExpectAllBack(const std::vector<uint8_t>& archive,
                   const std::vector<RarInputMember>& members) {
  rar::MemorySource source(archive.data(), archive.size());
  rar::ArchiveInfo info;
  ASSERT_TRUE(rar::ReadArchiveInfo(source, info));
  EXPECT_TRUE(info.complete);
  ASSERT_EQ(info.members.size(), members.size());
  for (size_t i = 0; i < members.size(); ++i) {
    EXPECT_EQ(info.members[i].name, members[i].name);
    std::vector<uint8_t> out;
    std::string error;
    EXPECT_TRUE(rar::ExtractMember(source, info, i, out, &error)) << members[i].name << error;
    EXPECT_TRUE(out == members[i].data) << members[i].name;
  }
}

TEST(RarRoundTrip, StoredAndCompressed) {
  std::vector<RarInputMember> members = Varied();
  for (bool store : {true, false}) {
    RarWriteOptions options;
    options.storeOnly = store;
    std::vector<uint8_t> archive;
    ASSERT_TRUE(BuildRarArchive(members, options, archive));
    ExpectAllBack(archive, members);
    rar::MemorySource source(archive.data(), archive.size());
    rar::ArchiveInfo info;
    ASSERT_TRUE(rar::ReadArchiveInfo(source, info));
    for (const rar::MemberInfo& m : info.members) {
      bool shouldShrink = m.name == "texture.txt" || m.name == "runs.bin" ||
                          m.name == "meshes\\sphere.dat" || m.name == "big.bin" ||
                          m.name == "far.bin";
      if (store || !shouldShrink) {
        EXPECT_EQ(m.method, 0x30) << m.name;
        EXPECT_EQ(m.packedSize, m.unpackedSize) << m.name;
      } else {
        EXPECT_EQ(m.method, 0x33) << m.name;
        EXPECT_EQ(m.unpackVersion, 20) << m.name;
        EXPECT_LT(m.packedSize, m.unpackedSize) << m.name;
      }
    }
  }
}

TEST(RarRoundTrip, CompressionIsWorthIt) {
  rar::Encoder20 encoder;
  std::vector<uint8_t> text = Text(200000);
  EXPECT_LT(encoder.Compress(text.data(), text.size(), false).size(), text.size() / 3);
  std::vector<uint8_t> runs = Runs();
  EXPECT_LT(encoder.Compress(runs.data(), runs.size(), false).size(), runs.size() / 50);
  std::vector<uint8_t> far = FarRepeats();
  // Only the two random blocks cost: their repeats, near and far, are found.
  EXPECT_LT(encoder.Compress(far.data(), far.size(), false).size(), 0x3000u + 0x41000u + 2048u);
}

TEST(RarRoundTrip, EncoderOnItsOwnEveryLengthAndDistance) {
  // Every small size, and data built to use every length and distance code.
  std::vector<uint8_t> data;
  std::mt19937 random(21);
  std::vector<uint8_t> noise = Random(1 << 16, 22);
  for (int i = 0; i < 3000; ++i) {
    size_t length = 2 + random() % 300;
    size_t distance = 1 + (random() % 2 ? random() % 300 : random() % (data.size() + 1));
    if (distance <= data.size()) {
      for (size_t k = 0; k < length; ++k)
        data.push_back(data[data.size() - distance]);
    } else {
      data.insert(data.end(), noise.begin() + long(i % 1000), noise.begin() + long(i % 1000 + 7));
    }
  }
  for (size_t n :
       {size_t(0), size_t(1), size_t(2), size_t(3), size_t(4), size_t(17), data.size()}) {
    rar::Encoder20 encoder;
    std::vector<uint8_t> packed = encoder.Compress(data.data(), n, false);
    rar::Unpacker unpacker;
    std::vector<uint8_t> out(n);
    ASSERT_TRUE(unpacker.Unpack(20, packed.data(), packed.size(), false, out.data(), n)) << n;
    EXPECT_TRUE(std::equal(out.begin(), out.end(), data.begin())) << n;
  }
}

TEST(RarRoundTrip, SolidArchive) {
  std::vector<RarInputMember> members = Varied();
  // Matches the member before it, which lies in the window.
  members.insert(members.begin() + 4, RarInputMember{"again.txt", Text(5000)});
  RarWriteOptions options;
  options.solid = true;
  std::vector<uint8_t> archive;
  ASSERT_TRUE(BuildRarArchive(members, options, archive));
  ExpectAllBack(archive, members);
  rar::MemorySource source(archive.data(), archive.size());
  rar::ArchiveInfo info;
  ASSERT_TRUE(rar::ReadArchiveInfo(source, info));
  EXPECT_TRUE(info.flags & 0x0008);
  EXPECT_LT(info.members[4].packedSize, 400u); // new tables and a few long matches
  for (size_t i = 1; i < info.members.size(); ++i)
    EXPECT_TRUE(info.members[i].flags & 0x10);
}

TEST(RarRoundTrip, ManyMembersThroughArchiveFile) {
  TestMembers members;
  for (int i = 0; i < 300; ++i) {
    std::string body;
    for (int k = 0; k <= i % 13; ++k)
      body += "line " + std::to_string(i * k) + "\n";
    members.push_back(
        {"dir" + std::to_string(i % 7) + "\\member" + std::to_string(i) + ".txt", body});
  }
  for (auto mode : {TestArchiveDir::Stored, TestArchiveDir::Compressed}) {
    TestArchiveDir dir(members, mode);
    ASSERT_TRUE(dir.Ok());
    for (size_t i = 0; i < members.size(); i += 23) {
      ArchiveFile f;
      std::string name = members[i].first;
      std::replace(name.begin(), name.end(), '\\', '/');
      ASSERT_TRUE(f.Open(name.c_str())) << name;
      EXPECT_EQ(std::string(reinterpret_cast<char*>(f.data), f.size), members[i].second);
    }
  }
}

TEST(RarRoundTrip, SameInputSameBytes) {
  std::vector<RarInputMember> members = {{"a.txt", Text(3000)}, {"b.bin", Random(3000, 5)}};
  std::vector<uint8_t> first, second;
  ASSERT_TRUE(BuildRarArchive(members, RarWriteOptions(), first));
  ASSERT_TRUE(BuildRarArchive(members, RarWriteOptions(), second));
  EXPECT_TRUE(first == second);
}

TEST(RarRoundTrip, WriteRarArchiveToAFile) {
  TempDir dir;
  std::vector<RarInputMember> members = {{"x\\y.txt", Text(100)}};
  ASSERT_TRUE(WriteRarArchive(dir.File("t.rar"), members, false));
  ArchiveFile f;
  ASSERT_TRUE(f.OpenFrom(dir.File("t.rar").c_str(), "X/Y.TXT"));
  EXPECT_TRUE(std::vector<uint8_t>(f.data, f.data + f.size) == members[0].data);
  EXPECT_FALSE(WriteRarArchive(dir.File("missing/t.rar"), members, true));
}

} // namespace
