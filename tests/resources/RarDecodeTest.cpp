// The RAR 1.5 and 2.0 decoders on compressed streams built bit by bit here,
// independently of our encoder, from the format's rules.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "RarTestSupport.h"
#include "resources/RarUnpack.h"

using rartest::Bits;

namespace {

constexpr int TableSize20 = 298 + 48 + 28;
constexpr int LD = 0, DD = 298, RD = 298 + 48;

// A RAR 2.0 table header whose code-length code gives every length 0-15 a
// four-bit code equal to its value (16-18 unused), so each table entry below
// is simply its value in four bits. With keepOld the entries are changes
// modulo 16 to `old`.
void Tables(Bits& b, const std::map<int, int>& lengths, int size = TableSize20, bool audio = false,
            int channels = 1, bool keepOld = false, const std::vector<int>& old = {}) {
  b.Put(audio ? 1 : 0, 1).Put(keepOld ? 1 : 0, 1);
  if (audio)
    b.Put(uint32_t(channels - 1), 2);
  for (int i = 0; i < 19; ++i)
    b.Put(i < 16 ? 4 : 0, 4);
  for (int i = 0; i < size; ++i) {
    auto it = lengths.find(i);
    int value = it == lengths.end() ? 0 : it->second;
    if (keepOld)
      value = (value - (i < int(old.size()) ? old[size_t(i)] : 0)) & 15;
    b.Put(uint32_t(value), 4);
  }
}

std::string Unpack(int version, const std::vector<uint8_t>& packed, size_t size, bool* ok) {
  rar::Unpacker unpacker;
  std::vector<uint8_t> out(size);
  *ok = unpacker.Unpack(version, packed.data(), packed.size(), false, out.data(), out.size());
  return std::string(out.begin(), out.end());
}

TEST(RarDecode20, RunLengthCodedTablesAndOneMatch) {
  Bits b;
  b.Put("00");             // LZ block, fresh table
  b.Put("0000 0010 0010"); // code lengths 0-2: 1 and 2 get two bits
  for (int i = 3; i < 18; ++i)
    b.Put("0000");
  b.Put("0001"); // 18 ("11-138 zeros") gets one bit
  // Canonical codes: 18 = 0, 1 = 10, 2 = 11.
  b.Put("0 1010110");            // 97 zeros
  b.Put("11 11 11");             // 'a' 'b' 'c': length 2
  b.Put("0 1111111  0 0011011"); // 138 + 38 zeros
  b.Put("11");                   // 276 (match length 9): 2
  b.Put("0 0001100");            // 23 zeros
  b.Put("10");                   // distance code 2: 1
  b.Put("0 0111110");            // 73 zeros
  // Main code: a 00, b 01, c 10, 276 11; distance code 2 is "0".
  b.Put("00 01 10 11 0");
  bool ok;
  EXPECT_EQ(Unpack(20, b.bytes, 12, &ok), "abcabcabcabc");
  EXPECT_TRUE(ok);
  EXPECT_EQ(Unpack(26, b.bytes, 12, &ok), "abcabcabcabc"); // 2.6: the same method
  EXPECT_TRUE(ok);
}

TEST(RarDecode20, EverySymbolKindAndATableChangeWithDeltas) {
  std::map<int, int> first = {{'a', 3},    {'b', 3},    {'c', 3},   {'d', 3}, {'e', 3},
                              {256, 3},    {257, 4},    {261, 4},   {269, 4}, {272, 4},
                              {DD + 4, 1}, {RD + 1, 1}, {RD + 2, 1}};
  std::vector<int> firstFlat(TableSize20, 0);
  for (auto [i, v] : first)
    firstFlat[size_t(i)] = v;
  // Main code: a 000 b 001 c 010 d 011 e 100 256 101 257 1100 261 1101
  // 269 1110 272 1111; distances: 4 = "0"; lengths: 1 = "0", 2 = "1".
  Bits b;
  Tables(b, first);
  b.Put("000 001 010 011"); // abcd
  b.Put("1101 10");         // two bytes from 3 back: bc
  b.Put("101");             // again: db
  b.Put("1111 0 1");        // length 5, distance 4 + 1 + 1 = 6: cdbcd
  b.Put("100");             // e
  b.Put("1100 0");          // last distance (6), length 1 + 2 = 3: cdb
  b.Put("1110");            // new tables follow
  std::map<int, int> second = {{'z', 1}, {259, 1}, {DD + 4, 1}, {RD + 1, 1}, {RD + 2, 1}};
  Tables(b, second, TableSize20, false, 1, true, firstFlat);
  // Main code now: z 0, 259 1.
  b.Put("0");   // z
  b.Put("1 1"); // third-last distance (3), length 2 + 2 = 4: dbzd
  bool ok;
  EXPECT_EQ(Unpack(20, b.bytes, 22, &ok), "abcdbcdbcdbcdecdbzdbzd");
  EXPECT_TRUE(ok);
}

TEST(RarDecode20, LongDistancesAddToTheLength) {
  // 0x2000 bytes of literal 'x' are too many to write out; instead: 'x',
  // then a match of distance 1 and coded length 255 repeated, then one
  // match at distance 0x2000 (+1 length) and one at 0x40000 (+2).
  std::map<int, int> t = {{'x', 2},    {'y', 2},     {270 + 27, 2}, {270, 2},
                          {DD + 0, 2}, {DD + 26, 2}, {DD + 36, 2}};
  // Main: x 00, y 01, 270 10, 297 11. Distances: 0 00, 26 01, 36 10.
  Bits b;
  Tables(b, t);
  b.Put("01"); // y
  size_t made = 1;
  b.Put("00"); // x; then runs of x: 297 with 31 extra is length 258, distance 1
  made++;
  while (made + 258 <= 0x40000 + 2) {
    b.Put("11 11111 00"); // length 258, distance 1
    made += 258;
  }
  while (made < 0x40000 + 2) {
    b.Put("00");
    made++;
  }
  // Now `made` = 0x40002 bytes: y, then x...; distance 0x40002 reaches the y.
  // Distance code 36 covers 262144 + 1 on: extra = 0x40002 - 1 - 262144 = 1.
  b.Put("10 10 0000000000000001"); // 270: length 0 + 3, +2 for the distance: 5
  std::string expected = "y" + std::string(0x40001, 'x') + "yxxxx";
  // And at 0x2000 (code 26: 8192 + 12 extra bits): length 3 + 1 = 4, from
  // 0x2000 back, which is all x.
  b.Put("10 01 000000000000");
  expected += "xxxx";
  bool ok;
  std::string out = Unpack(20, b.bytes, expected.size(), &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(out.size(), expected.size());
  EXPECT_TRUE(out == expected);
}

TEST(RarDecode20, MultimediaBlockThenLz) {
  Bits b;
  // One channel; deltas 0xff (next byte one more) and 0xfe (two more); 256
  // switches tables.
  Tables(b, {{0xfe, 2}, {0xff, 2}, {256, 1}}, 257, true, 1);
  // Canonical: 256 = 0, 0xfe = 10, 0xff = 11.
  b.Put("11 11 10 11 10"); // 1 2 4 5 7
  b.Put("0");              // new tables: LZ with 'Q' and 269
  Tables(b, {{'Q', 1}, {269, 1}});
  b.Put("0 0"); // QQ
  bool ok;
  EXPECT_EQ(Unpack(20, b.bytes, 7, &ok), std::string("\x01\x02\x04\x05\x07QQ"));
  EXPECT_TRUE(ok);
}

TEST(RarDecode20, MultimediaChannelsInterleave) {
  Bits b;
  b.Put("1 0 01"); // multimedia, fresh, two channels
  for (int i = 0; i < 19; ++i)
    b.Put(i < 16 ? 4 : 0, 4);
  for (int channel = 0; channel < 2; ++channel)
    for (int i = 0; i < 257; ++i)
      b.Put((channel == 0 && i == 0xff) || (channel == 1 && i == 0xfd) || i == 256 ? 1 : 0, 4);
  // Each channel: its delta "1", 256 "0"... canonical: 0xff/0xfd = 0, 256 = 1.
  b.Put("0 0 0 0 0 0");
  bool ok;
  EXPECT_EQ(Unpack(20, b.bytes, 6, &ok), std::string("\x01\x03\x02\x06\x03\x09", 6));
  EXPECT_TRUE(ok);
}

TEST(RarDecode20, PredictorAdaptsWithoutFault) {
  // 4000 bytes of varied deltas: the predictor's weights move every 32 bytes;
  // the output must simply come out whole (checked against nothing else).
  std::map<int, int> t;
  for (int i = 0; i < 256; ++i)
    t[i] = 8;
  t[256] = 0;
  Bits b;
  Tables(b, t, 257, true, 1);
  std::mt19937 random(7);
  for (int i = 0; i < 4000; ++i)
    b.Put(random() & 0xff, 8);
  bool ok;
  std::string out = Unpack(20, b.bytes, 4000, &ok);
  EXPECT_TRUE(ok);
}

TEST(RarDecode20, RepeatAtStartOfTableIsCorrupt) {
  Bits b;
  b.Put("00");
  for (int i = 0; i < 19; ++i)
    b.Put(i == 16 ? 1 : 0, 4); // only 16, coded "0"
  b.Put("0 00");
  for (int i = 0; i < 64; ++i)
    b.Put(0, 8);
  bool ok;
  Unpack(20, b.bytes, 10, &ok);
  EXPECT_FALSE(ok);
}

TEST(RarDecode20, SolidMemberContinuesWindowAndTables) {
  // The first member of RunLengthCodedTablesAndOneMatch written with
  // four-bit tables, then a second member without tables: 276 + distance 3.
  Bits first;
  Tables(first, {{'a', 2}, {'b', 2}, {'c', 2}, {276, 2}, {DD + 2, 1}});
  first.Put("00 01 10 11 0");
  Bits second;
  second.Put("11 0 11 0");
  rar::Unpacker unpacker;
  std::vector<uint8_t> out(12);
  ASSERT_TRUE(unpacker.Unpack(20, first.bytes.data(), first.bytes.size(), false, out.data(), 12));
  EXPECT_EQ(std::string(out.begin(), out.end()), "abcabcabcabc");
  std::vector<uint8_t> out2(18);
  ASSERT_TRUE(unpacker.Unpack(20, second.bytes.data(), second.bytes.size(), true, out2.data(), 18));
  EXPECT_EQ(std::string(out2.begin(), out2.end()), "abcabcabcabcabcabc");
  // Not solid: the tables are not there, so the same bytes are no good.
  rar::Unpacker fresh;
  EXPECT_FALSE(fresh.Unpack(20, second.bytes.data(), second.bytes.size(), false, out2.data(), 18) &&
               std::string(out2.begin(), out2.end()) == "abcabcabcabcabcabc");
}

TEST(RarDecode15, AdaptiveLiterals) {
  // Flags: value 1 of the flag code (00001) is the flag byte 0xff: eight
  // literals follow. Literals start on the second fixed code: byte 65 has
  // the eight-bit code 0xe5, 66 then 0xe6; each used byte moves to the front
  // of its list, so the second 'A' is place 0, the five-bit code 00000.
  Bits b;
  b.Put("00001 11100101 11100110 00000");
  bool ok;
  EXPECT_EQ(Unpack(15, b.bytes, 3, &ok), "ABA");
  EXPECT_TRUE(ok);
}

TEST(RarDecode15, ShortMatchesAndRepeat) {
  // Flag code value 64 (eight bits 10001011) is the flag byte 0xc0: two
  // literals, then three short matches ("00" each). The first short match
  // has length code 0 ("0", length 2) and distance place 1 ("00001",
  // distance 2); the second length code 1 ("101" while the length average
  // is low: length 3) and distance place 3 ("000101", distance 4); the third
  // is length code 9 ("1100"): the last match again.
  Bits b;
  b.Put("10001011 11100101 11100110 0 00001 101 000101 1100");
  bool ok;
  EXPECT_EQ(Unpack(15, b.bytes, 10, &ok), "ABABABABAB");
  EXPECT_TRUE(ok);
}

TEST(RarDecode15, LongMatch) {
  // Flag byte 0xd0 (code value 48: "0111011"): two literals, then "01",
  // which after literals is a long match: length code "1" (0 in the unary
  // code of low averages), distance place 0 ("0000", high byte 0) and seven
  // low bits 2. A distance up to 256 adds 8 to the length, plus 3: 11.
  Bits b;
  b.Put("0111011 11100101 11100110 1 0000 0000010");
  bool ok;
  EXPECT_EQ(Unpack(15, b.bytes, 13, &ok), "ABABABABABABA");
  EXPECT_TRUE(ok);
}

TEST(RarDecode, GarbageEndsWithoutFault) {
  std::mt19937 random(1234);
  for (int round = 0; round < 120; ++round) {
    std::vector<uint8_t> packed(random() % 2048);
    for (uint8_t& x : packed)
      x = uint8_t(random());
    if (round % 3 == 0 && packed.size() > 4)
      packed[0] &= 0x3f; // LZ tables, fresh
    size_t size = random() % 70000;
    std::vector<uint8_t> out(size);
    for (int version : {15, 20}) {
      rar::Unpacker unpacker;
      unpacker.Unpack(version, packed.data(), packed.size(), false, out.data(), out.size());
      unpacker.Unpack(version, packed.data(), packed.size() / 2, true, out.data(), out.size());
    }
  }
}

TEST(RarDecode, EmptyInputIsCorruptUnlessNothingIsWanted) {
  rar::Unpacker unpacker;
  uint8_t out[16];
  EXPECT_FALSE(unpacker.Unpack(20, nullptr, 0, false, out, sizeof out));
  EXPECT_FALSE(unpacker.Unpack(15, nullptr, 0, false, out, sizeof out));
  EXPECT_TRUE(unpacker.Unpack(15, nullptr, 0, false, out, 0));
  EXPECT_TRUE(unpacker.Unpack(20, nullptr, 0, false, out, 0)); // an empty member
  EXPECT_FALSE(unpacker.Unpack(29, nullptr, 0, false, out, 0));
}

} // namespace
