// ArchiveFile (member lookup, reads, seeks) and ReadLine: the edge cases as tables.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "resources/ArchiveFile.h"
#include "support/TestArchive.h"

namespace {

TestMembers SceneMembers() {
  return {{"texture.txt", "sun.jpg\r\nEND_TEXT\r\n"},
          {"meshes\\env.dat", std::string("\x01\x02\x03\x04", 4)},
          {"Empty.txt", ""},
          {"env.txt", "first"},
          {"ENV.TXT", "second"}};
}

struct LookupCase {
  const char* asked;
  bool found;
  const char* contents;
};

class ArchiveLookup : public testing::TestWithParam<std::tuple<TestArchiveDir::Mode, LookupCase>> {
};

TEST_P(ArchiveLookup, FindsMembersByFoldedName) {
  auto [mode, c] = GetParam();
  TestArchiveDir dir(SceneMembers(), mode);
  ASSERT_TRUE(dir.Ok());
  ArchiveFile f;
  EXPECT_EQ(f.Open(c.asked), c.found) << c.asked;
  EXPECT_STREQ(f.memberName, c.asked);
  EXPECT_EQ(f.cursor, 0u);
  if (c.found) {
    ASSERT_NE(f.data, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(f.data), f.size), std::string(c.contents));
  } else {
    EXPECT_EQ(f.data, nullptr);
    EXPECT_EQ(f.size, 0u);
  }
}

const LookupCase lookupCases[] = {
    {"texture.txt", true, "sun.jpg\r\nEND_TEXT\r\n"},
    {"TEXTURE.TXT", true, "sun.jpg\r\nEND_TEXT\r\n"},
    {"meshes\\env.dat", true, "\x01\x02\x03\x04"},
    {"meshes/env.dat", true, "\x01\x02\x03\x04"},
    {"MESHES/ENV.DAT", true, "\x01\x02\x03\x04"},
    {"empty.txt", true, ""},
    {"env.txt", true, "first"}, // the first match is taken
    {"Env.Txt", true, "first"},
    {"missing.txt", false, nullptr},
    {"", false, nullptr},
    {"texture.tx", false, nullptr},
    {"texture.txt ", false, nullptr},
    {"meshes", false, nullptr},
    {"env.dat", false, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Table, ArchiveLookup,
                         testing::Combine(testing::Values(TestArchiveDir::Stored,
                                                          TestArchiveDir::Compressed),
                                          testing::ValuesIn(lookupCases)));

TEST(ArchiveFile, ConstructedEmpty) {
  ArchiveFile f;
  EXPECT_EQ(f.data, nullptr);
  EXPECT_EQ(f.size, 0u);
  EXPECT_EQ(f.cursor, 0u);
  EXPECT_FALSE(f.AtEnd());
}

TEST(ArchiveFile, MissingArchiveGivesFalse) {
  TempDir dir;
  ArchiveFile f;
  EXPECT_FALSE(f.OpenFrom(dir.File("data.sdd").c_str(), "texture.txt"));
  EXPECT_EQ(f.data, nullptr);
  EXPECT_EQ(f.size, 0u);
}

TEST(ArchiveFile, OpenFromGivenPath) {
  TempDir dir;
  ASSERT_TRUE(WriteTestArchive(dir.File("other.rar"), {{"a.txt", "abc"}}));
  ArchiveFile f;
  ASSERT_TRUE(f.OpenFrom(dir.File("other.rar").c_str(), "A.TXT"));
  EXPECT_EQ(f.size, 3u);
  EXPECT_EQ(std::memcmp(f.data, "abc", 3), 0);
}

TEST(ArchiveFile, LongMemberNameIsCutInMemberName) {
  TestArchiveDir dir({{"a.txt", "x"}});
  ASSERT_TRUE(dir.Ok());
  std::string longName(150, 'q');
  ArchiveFile f;
  EXPECT_FALSE(f.Open(longName.c_str()));
  EXPECT_EQ(std::strlen(f.memberName), 99u);
}

TEST(ArchiveFile, ReadAtEndAndPastIt) {
  TestArchiveDir dir({{"m", "abcd"}});
  ASSERT_TRUE(dir.Ok());
  ArchiveFile f;
  ASSERT_TRUE(f.Open("m"));
  char buf[8] = {};
  f.Read(buf, 4);
  EXPECT_EQ(std::string(buf, 4), "abcd");
  EXPECT_EQ(f.cursor, 4u);
  EXPECT_FALSE(f.AtEnd());
  char one = 'z';
  f.Read(&one, 1);
  EXPECT_EQ(one, 'z'); // nothing copied from beyond the member
  EXPECT_EQ(f.cursor, 5u);
  EXPECT_TRUE(f.AtEnd());
}

TEST(ArchiveFile, ReadAcrossTheEndCopiesOnlyTheMember) {
  TestArchiveDir dir({{"m", "abcd"}});
  ASSERT_TRUE(dir.Ok());
  ArchiveFile f;
  ASSERT_TRUE(f.Open("m"));
  f.Seek(2, 0);
  char buf[6] = {'1', '2', '3', '4', '5', '6'};
  f.Read(buf, 6);
  EXPECT_EQ(std::string(buf, 6), "cd3456");
  EXPECT_EQ(f.cursor, 8u);
  EXPECT_TRUE(f.AtEnd());
}

TEST(ArchiveFile, ReadCheckedAfterEndChangesNothing) {
  TestArchiveDir dir({{"m", "ab"}});
  ASSERT_TRUE(dir.Ok());
  ArchiveFile f;
  ASSERT_TRUE(f.Open("m"));
  char buf[4] = {};
  f.ReadChecked(buf, 2);
  EXPECT_EQ(std::string(buf, 2), "ab");
  EXPECT_FALSE(f.AtEnd());
  f.ReadChecked(buf, 1); // past the end: cursor 3, AtEnd
  EXPECT_TRUE(f.AtEnd());
  EXPECT_EQ(f.cursor, 3u);
  char dest[3] = {'x', 'y', 'z'};
  f.ReadChecked(dest, 3);
  EXPECT_EQ(std::string(dest, 3), "xyz");
  EXPECT_EQ(f.cursor, 3u);
}

struct SeekCase {
  uint32_t start;
  int32_t offset;
  int origin;
  uint32_t expected;
};

class ArchiveSeek : public testing::TestWithParam<SeekCase> {};

TEST_P(ArchiveSeek, MovesTheCursor) {
  const SeekCase& c = GetParam();
  TestArchiveDir dir({{"m", "0123456789"}});
  ASSERT_TRUE(dir.Ok());
  ArchiveFile f;
  ASSERT_TRUE(f.Open("m"));
  f.cursor = c.start;
  f.Seek(c.offset, c.origin);
  EXPECT_EQ(f.cursor, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, ArchiveSeek,
                         testing::Values(SeekCase{5, 0, 2, 10}, // the end
                                         SeekCase{2, 3, 1, 5},  // three bytes on
                                         SeekCase{5, -2, 1, 3}, SeekCase{5, 4, 2, 6},
                                         SeekCase{5, 7, 0, 7}, SeekCase{5, 0, 0, 0},
                                         SeekCase{5, 12, 0, 12}, // beyond: AtEnd
                                         SeekCase{5, 1, 3, 5},   // other origins: nothing
                                         SeekCase{5, 1, -1, 5}));

TEST(ArchiveFile, SeekBeyondEndThenReadCopiesNothing) {
  TestArchiveDir dir({{"m", "0123456789"}});
  ASSERT_TRUE(dir.Ok());
  ArchiveFile f;
  ASSERT_TRUE(f.Open("m"));
  f.Seek(-5, 2); // cursor 15
  EXPECT_TRUE(f.AtEnd());
  char c = 'q';
  f.Read(&c, 1);
  EXPECT_EQ(c, 'q');
}

TEST(ArchiveFile, CloseOnEmptyHolderChangesNothing) {
  ArchiveFile f;
  f.Close();
  EXPECT_EQ(f.data, nullptr);
  EXPECT_EQ(f.size, 0u);
  EXPECT_EQ(f.cursor, 0u);
  f.Close();
  EXPECT_EQ(f.data, nullptr);
}

TEST(ArchiveFile, CloseFreesAndResets) {
  TestArchiveDir dir({{"m", "abc"}});
  ASSERT_TRUE(dir.Ok());
  ArchiveFile f;
  ASSERT_TRUE(f.Open("m"));
  f.Seek(2, 0);
  f.Close();
  EXPECT_EQ(f.data, nullptr);
  EXPECT_EQ(f.size, 0u);
  EXPECT_EQ(f.cursor, 0u);
  ASSERT_TRUE(f.Open("m")); // reusable after Close
  EXPECT_EQ(f.size, 3u);
}

TEST(ArchiveFile, EmptyMemberIsHeldWithSizeZero) {
  TestArchiveDir dir({{"e", ""}});
  ASSERT_TRUE(dir.Ok());
  ArchiveFile f;
  ASSERT_TRUE(f.Open("e"));
  EXPECT_EQ(f.size, 0u);
  EXPECT_FALSE(f.AtEnd());
  char c;
  f.Read(&c, 1);
  EXPECT_TRUE(f.AtEnd());
}

TEST(ArchiveFile, ReadingAMissingMemberReadsNothing) {
  TestArchiveDir dir({{"a", "x"}});
  ASSERT_TRUE(dir.Ok());
  ArchiveFile f;
  EXPECT_FALSE(f.Open("b"));
  char buf[4] = {'k', 'k', 'k', 'k'};
  f.Read(buf, 4);
  EXPECT_EQ(std::string(buf, 4), "kkkk");
  EXPECT_TRUE(f.AtEnd());
  char line[ArchiveFile::LineBufferSize];
  EXPECT_FALSE(f.ReadLine(line));
  EXPECT_STREQ(line, "");
}

// ReadLine.

struct LineCase {
  const char* name;
  std::string member;
  std::vector<std::pair<std::string, bool>> lines; // delivered text and result, in order
};

class ReadLineTable : public testing::TestWithParam<LineCase> {};

TEST_P(ReadLineTable, DeliversLines) {
  const LineCase& c = GetParam();
  TestArchiveDir dir({{"s.txt", c.member}});
  ASSERT_TRUE(dir.Ok());
  ArchiveFile f;
  ASSERT_TRUE(f.Open("s.txt"));
  for (size_t i = 0; i < c.lines.size(); ++i) {
    char line[ArchiveFile::LineBufferSize];
    std::memset(line, '#', sizeof line);
    bool result = f.ReadLine(line);
    EXPECT_EQ(std::string(line), c.lines[i].first) << c.name << " line " << i;
    EXPECT_EQ(result, c.lines[i].second) << c.name << " line " << i;
  }
}

std::string Repeat(char c, size_t n) { return std::string(n, c); }

const LineCase lineCases[] = {
    {"LeadingSpacesDropped", "  radius 5\n", {{"radius 5", true}, {"", false}}},
    {"LeadingTabKept", "\tsize 2\n", {{"\tsize 2", true}}},
    {"SpacesThenTabKeepTab", "  \tmetal\n", {{"\tmetal", true}}},
    {"CrLf", "begin\r\nend\r\n", {{"begin", true}, {"end", true}, {"", false}}},
    {"CrInsideDropped", "ab\rcd\n", {{"abcd", true}}},
    {"LastLineWithoutLf",
     "begin\nend",
     {{"begin", true}, {"end", false}, {"", false}, {"", false}}},
    {"EndsWithLf", "a\nb\n", {{"a", true}, {"b", true}, {"", false}}},
    {"TrailingSpacesKept", "begin  \n", {{"begin  ", true}}},
    {"Empty", "", {{"", false}, {"", false}}},
    {"BlankLines", "\n\n x\n", {{"", true}, {"", true}, {"x", true}, {"", false}}},
    {"OnlySpaces", "    \nnext\n", {{"", true}, {"next", true}}},
    {"OnlySpacesAtEnd", "   ", {{"", false}}},
    {"SingleLf", "\n", {{"", true}, {"", false}}},
    {"SingleChar", "x", {{"x", false}, {"", false}}},
    {"SpacesInsideKept", "V(1 2  3)\n", {{"V(1 2  3)", true}}},
    {"Exactly127", Repeat('a', 127) + "\nb\n", {{Repeat('a', 127), true}, {"b", true}}},
    {"Long128CutAt127", Repeat('a', 128) + "\nb\n", {{Repeat('a', 127), true}, {"b", true}}},
    {"Long500CutAt127", Repeat('c', 500) + "\nb\n", {{Repeat('c', 127), true}, {"b", true}}},
    {"LongAfterSpaces", "   " + Repeat('d', 130) + "\n", {{Repeat('d', 127), true}}},
    {"LongWithoutLf", Repeat('e', 300), {{Repeat('e', 127), false}, {"", false}}},
    {"LongCrsNotCounted", Repeat('\r', 200) + "ab\n", {{"ab", true}}},
    {"NulByteInLine", std::string("a\0b\n", 4), {{"a", true}}},
    {"HighBytes", "\xe9t\xe9\n", {{"\xe9t\xe9", true}}},
};

INSTANTIATE_TEST_SUITE_P(Table, ReadLineTable, testing::ValuesIn(lineCases),
                         [](const testing::TestParamInfo<LineCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(ReadLine, NeverWritesPastTheBuffer) {
  TestArchiveDir dir({{"s.txt", Repeat('z', 1000) + "\n"}});
  ASSERT_TRUE(dir.Ok());
  ArchiveFile f;
  ASSERT_TRUE(f.Open("s.txt"));
  char buffer[ArchiveFile::LineBufferSize + 16];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_TRUE(f.ReadLine(buffer));
  EXPECT_EQ(std::strlen(buffer), 127u);
  for (size_t i = ArchiveFile::LineBufferSize; i < sizeof buffer; ++i)
    EXPECT_EQ(buffer[i], '#');
}

TEST(ReadLine, ExhaustedMemberAdvancesNothingIntoTheBuffer) {
  TestArchiveDir dir({{"s.txt", "a"}});
  ASSERT_TRUE(dir.Ok());
  ArchiveFile f;
  ASSERT_TRUE(f.Open("s.txt"));
  char line[ArchiveFile::LineBufferSize];
  EXPECT_FALSE(f.ReadLine(line));
  EXPECT_STREQ(line, "a");
  for (int i = 0; i < 5; ++i) {
    std::strcpy(line, "junk");
    EXPECT_FALSE(f.ReadLine(line));
    EXPECT_STREQ(line, "");
  }
}

} // namespace
