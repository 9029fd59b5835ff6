// The RAR 1.5 and RAR 2.0 decoders; see RarUnpack.h.
//
// Both methods read their input as a stream of bits taken from the most
// significant end of each byte. Symbols are decoded into a sliding window of
// 4 MiB (larger than any window these methods can address), which solid
// members share; the bytes of the member being unpacked are copied out as
// they are made.
//
// RAR 2.0: the stream starts with a table header (unless the member continues
// a solid stream), which gives the Huffman code lengths, coded themselves with
// a 19-symbol code; lengths are stored as changes modulo 16 to the previous
// table unless the header asks for a fresh start. In LZ mode the main code
// has 298 symbols: 256 literals, 256 "repeat the last match", 257-260 "a match
// at one of the last four distances" (its length from a 28-symbol code),
// 261-268 two-byte matches at short distances, 269 "new tables follow" and
// 270-297 match lengths, each followed by a distance from a 48-symbol code.
// In multimedia mode there is one 257-symbol code per channel (up to four):
// 256 means "new tables follow", other symbols are the error of an adaptive
// linear predictor of each channel's next byte.
//
// RAR 1.5: no transmitted tables. Several fixed code shapes are chosen by
// running averages, and symbols are mapped to values through move-towards-
// front lists that adapt as they are used. Flag bytes, themselves coded
// adaptively, say whether the next item is a literal or a match.
#include "resources/RarUnpack.h"

#include "resources/RarFormat.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace rar {

namespace {

// RAR 2.0 table sizes.
constexpr int NC20 = 298; // main code
constexpr int DC20 = 48;  // distances
constexpr int RC20 = 28;  // lengths after a repeated distance
constexpr int BC20 = 19;  // the code of the code lengths
constexpr int MC20 = 257; // one multimedia channel

// A canonical Huffman code: codes are numbered in order of length, and of
// symbol within a length, and read most significant bit first. decodeLen[n]
// is the first 16-bit left-aligned value beyond the codes of length n.
struct HuffmanTable {
  static constexpr int MaxSymbols = MC20 + 41; // the largest table (NC20 = 298)
  static constexpr int QuickBits = 10;

  uint32_t decodeLen[16] = {};
  uint32_t decodePos[16] = {};
  uint16_t decodeNum[MaxSymbols] = {};
  uint32_t maxNum = 0;
  uint16_t quickSymbol[1 << QuickBits] = {};
  uint8_t quickLength[1 << QuickBits] = {}; // 0: not decidable from the prefix

  void Make(const uint8_t* lengths, int size) {
    uint32_t lenCount[16] = {};
    for (int i = 0; i < size; ++i)
      lenCount[lengths[i] & 0xf]++;
    lenCount[0] = 0;
    uint64_t n = 0;
    decodeLen[0] = decodePos[0] = 0;
    for (int i = 1; i < 16; ++i) {
      n = 2 * (n + lenCount[i]);
      uint64_t m = n << (15 - i);
      decodeLen[i] = m > 0xffff ? 0xffff : uint32_t(m);
      decodePos[i] = decodePos[i - 1] + lenCount[i - 1];
    }
    uint32_t next[16];
    std::memcpy(next, decodePos, sizeof next);
    std::memset(decodeNum, 0, sizeof decodeNum);
    for (int i = 0; i < size; ++i) {
      int len = lengths[i] & 0xf;
      if (len)
        decodeNum[next[len]++] = uint16_t(i);
    }
    maxNum = uint32_t(size);
    for (uint32_t prefix = 0; prefix < (1u << QuickBits); ++prefix) {
      uint32_t lowLength, highLength;
      uint32_t lowSymbol = Lookup(prefix << (16 - QuickBits), lowLength);
      uint32_t highSymbol = Lookup((prefix << (16 - QuickBits)) | 0x3e, highLength);
      if (lowLength == highLength && lowSymbol == highSymbol && lowLength <= QuickBits) {
        quickSymbol[prefix] = uint16_t(lowSymbol);
        quickLength[prefix] = uint8_t(lowLength);
      } else {
        quickLength[prefix] = 0;
      }
    }
  }

  // The symbol of the code that begins the 16-bit value (its lowest bit is
  // never looked at), and the code's length. Values beyond every code give
  // the first symbol, as do lengths that no symbol has.
  uint32_t Lookup(uint32_t bitField, uint32_t& length) const {
    bitField &= 0xfffe;
    uint32_t bits = 15;
    for (uint32_t i = 1; i < 15; ++i) {
      if (bitField < decodeLen[i]) {
        bits = i;
        break;
      }
    }
    length = bits;
    uint32_t n = decodePos[bits] + ((bitField - decodeLen[bits - 1]) >> (16 - bits));
    if (n >= maxNum)
      n = 0;
    return decodeNum[n];
  }
};

struct AudioVariables {
  int k1 = 0, k2 = 0, k3 = 0, k4 = 0, k5 = 0;
  int d1 = 0, d2 = 0, d3 = 0, d4 = 0;
  int lastDelta = 0;
  uint32_t dif[11] = {};
  uint32_t byteCount = 0;
  int lastChar = 0;
};

} // namespace

struct Unpacker::State {
  struct Free {
    void operator()(uint8_t* p) const { std::free(p); }
  };
  // Allocated zeroed on first use (calloc: untouched pages cost nothing).
  std::unique_ptr<uint8_t[], Free> window;
  bool windowFresh = false;
  uint32_t windowSize = Unpacker::MaxWindowSize;
  uint32_t windowMask = Unpacker::MaxWindowSize - 1;
  uint32_t winPtr = 0;

  // Input.
  const uint8_t* in = nullptr;
  size_t inSize = 0;
  size_t inAddr = 0;
  uint32_t inBit = 0;

  // Output of the current member.
  uint8_t* out = nullptr;
  size_t outSize = 0;
  size_t produced = 0;

  // Shared by both methods.
  uint32_t oldDist[4] = {};
  uint32_t oldDistPtr = 0;
  uint32_t lastDist = 0;
  uint32_t lastLength = 0;

  // RAR 2.0.
  HuffmanTable ld, dd, rd, bd;
  HuffmanTable md[4];
  uint8_t oldTable[MC20 * 4] = {};
  bool audioBlock = false;
  bool tablesRead = false; // a solid member with none before reads its own
  int channels = 1;
  int curChannel = 0;
  int channelDelta = 0;
  AudioVariables audio[4];

  // RAR 1.5.
  uint16_t chSet[256] = {}, chSetA[256] = {}, chSetB[256] = {}, chSetC[256] = {};
  uint8_t nToPl[256] = {}, nToPlB[256] = {}, nToPlC[256] = {};
  uint32_t avrPlc = 0, avrPlcB = 0, avrLn1 = 0, avrLn2 = 0, avrLn3 = 0;
  uint32_t numHuf = 0, buf60 = 0, maxDist3 = 0, nhfb = 0, nlzb = 0;
  uint32_t flagBuf = 0;
  int flagsCnt = 0;
  bool stMode = false;
  int lCount = 0;

  // --- bits ---------------------------------------------------------------

  uint32_t GetBits() const {
    uint32_t b;
    if (inAddr + 3 <= inSize) {
      b = (uint32_t(in[inAddr]) << 16) | (uint32_t(in[inAddr + 1]) << 8) | in[inAddr + 2];
    } else {
      b = 0;
      for (size_t i = 0; i < 3; ++i)
        b = (b << 8) | (inAddr + i < inSize ? in[inAddr + i] : 0u);
    }
    return (b >> (8 - inBit)) & 0xffff;
  }
  void AddBits(uint32_t n) {
    n += inBit;
    inAddr += n >> 3;
    inBit = n & 7;
  }
  // The next `bits` bits (0 to 16) as a number, consumed.
  uint32_t TakeBits(uint32_t bits) {
    if (bits == 0)
      return 0;
    uint32_t v = GetBits() >> (16 - bits);
    AddBits(bits);
    return v;
  }
  // Far matches are longer than their code says: one more from 0x2000, two
  // from 0x40000, and for repeated distances one more already from 0x101.
  static uint32_t LongDistanceBonus(uint32_t distance, bool repeated) {
    return (repeated && distance >= 0x101) + (distance >= 0x2000) + (distance >= 0x40000);
  }
  // True once more bits were taken than the member holds (corrupt data); a
  // little slack covers nothing real but keeps the test cheap.
  bool Overrun() const { return inAddr > inSize + 4; }

  uint32_t Decode(const HuffmanTable& t) {
    uint32_t bitField = GetBits();
    uint32_t prefix = bitField >> (16 - HuffmanTable::QuickBits);
    if (t.quickLength[prefix]) {
      AddBits(t.quickLength[prefix]);
      return t.quickSymbol[prefix];
    }
    uint32_t length;
    uint32_t symbol = t.Lookup(bitField, length);
    AddBits(length);
    return symbol;
  }

  // --- window -------------------------------------------------------------

  void PutByte(uint8_t b) {
    window[winPtr] = b;
    winPtr = (winPtr + 1) & windowMask;
    if (produced < outSize)
      out[produced] = b;
    ++produced;
  }
  void CopyBytes(uint32_t distance, uint32_t length) {
    uint32_t from = (winPtr - distance) & windowMask;
    while (length--) {
      PutByte(window[from]);
      from = (from + 1) & windowMask;
    }
  }

  void ResetCommon() {
    if (!windowFresh)
      std::memset(window.get(), 0, windowSize);
    windowFresh = false;
    winPtr = 0;
    std::memset(oldDist, 0, sizeof oldDist);
    oldDistPtr = 0;
    lastDist = lastLength = 0;
  }

  // --- RAR 2.0 ------------------------------------------------------------

  void Reset20() {
    audioBlock = false;
    tablesRead = false;
    channelDelta = 0;
    curChannel = 0;
    channels = 1;
    for (AudioVariables& v : audio)
      v = AudioVariables();
    std::memset(oldTable, 0, sizeof oldTable);
    ld = HuffmanTable();
    dd = HuffmanTable();
    rd = HuffmanTable();
    for (HuffmanTable& t : md)
      t = HuffmanTable();
  }

  bool ReadTables20() {
    uint8_t bitLength[BC20];
    uint8_t table[MC20 * 4];
    uint32_t bitField = GetBits();
    audioBlock = (bitField & 0x8000) != 0;
    if (!(bitField & 0x4000))
      std::memset(oldTable, 0, sizeof oldTable);
    AddBits(2);
    int tableSize;
    if (audioBlock) {
      channels = int((bitField >> 12) & 3) + 1;
      if (curChannel >= channels)
        curChannel = 0;
      AddBits(2);
      tableSize = MC20 * channels;
    } else {
      tableSize = NC20 + DC20 + RC20;
    }
    for (int i = 0; i < BC20; ++i) {
      bitLength[i] = uint8_t(GetBits() >> 12);
      AddBits(4);
    }
    bd.Make(bitLength, BC20);
    std::memcpy(table, oldTable, sizeof table);
    for (int i = 0; i < tableSize;) {
      if (Overrun())
        return false;
      uint32_t number = Decode(bd);
      if (number < 16) {
        table[i] = uint8_t((number + oldTable[i]) & 0xf);
        ++i;
      } else if (number == 16) {
        uint32_t n = (GetBits() >> 14) + 3;
        AddBits(2);
        if (i == 0)
          return false;
        while (n-- > 0 && i < tableSize) {
          table[i] = table[i - 1];
          ++i;
        }
      } else {
        uint32_t n;
        if (number == 17) {
          n = (GetBits() >> 13) + 3;
          AddBits(3);
        } else {
          n = (GetBits() >> 9) + 11;
          AddBits(7);
        }
        while (n-- > 0 && i < tableSize)
          table[i++] = 0;
      }
    }
    if (Overrun())
      return false;
    if (audioBlock) {
      for (int c = 0; c < channels; ++c)
        md[c].Make(table + c * MC20, MC20);
    } else {
      ld.Make(table, NC20);
      dd.Make(table + NC20, DC20);
      rd.Make(table + NC20 + DC20, RC20);
    }
    std::memcpy(oldTable, table, sizeof oldTable);
    tablesRead = true;
    return true;
  }

  void CopyString20(uint32_t length, uint32_t distance) {
    lastDist = oldDist[oldDistPtr++ & 3] = distance;
    lastLength = length;
    CopyBytes(distance, length);
  }

  uint8_t DecodeAudio(int delta) {
    AudioVariables& v = audio[curChannel];
    v.byteCount++;
    v.d4 = v.d3;
    v.d3 = v.d2;
    v.d2 = v.lastDelta - v.d1;
    v.d1 = v.lastDelta;
    int predicted = 8 * v.lastChar + v.k1 * v.d1 + v.k2 * v.d2 + v.k3 * v.d3 + v.k4 * v.d4 +
                    v.k5 * channelDelta;
    predicted = (predicted >> 3) & 0xff;
    int ch = (predicted - delta) & 0xff;
    int d = int(int8_t(uint8_t(delta))) << 3;
    v.dif[0] += std::abs(d);
    v.dif[1] += std::abs(d - v.d1);
    v.dif[2] += std::abs(d + v.d1);
    v.dif[3] += std::abs(d - v.d2);
    v.dif[4] += std::abs(d + v.d2);
    v.dif[5] += std::abs(d - v.d3);
    v.dif[6] += std::abs(d + v.d3);
    v.dif[7] += std::abs(d - v.d4);
    v.dif[8] += std::abs(d + v.d4);
    v.dif[9] += std::abs(d - channelDelta);
    v.dif[10] += std::abs(d + channelDelta);
    channelDelta = v.lastDelta = int(int8_t(uint8_t((ch - v.lastChar) & 0xff)));
    v.lastChar = ch;
    if ((v.byteCount & 0x1f) == 0) {
      uint32_t minDif = v.dif[0], numMinDif = 0;
      v.dif[0] = 0;
      for (uint32_t i = 1; i < 11; ++i) {
        if (v.dif[i] < minDif) {
          minDif = v.dif[i];
          numMinDif = i;
        }
        v.dif[i] = 0;
      }
      // Differences 1 to 10 pair up per weight: odd lowers it, even raises it.
      if (numMinDif >= 1 && numMinDif <= 10) {
        int* weights[5] = {&v.k1, &v.k2, &v.k3, &v.k4, &v.k5};
        int& k = *weights[(numMinDif - 1) / 2];
        if (numMinDif % 2 == 1) {
          if (k >= -16)
            k--;
        } else if (k < 16) {
          k++;
        }
      }
    }
    return uint8_t(ch);
  }

  bool Unpack20(bool solid) {
    if (!solid) {
      ResetCommon();
      Reset20();
    }
    if (outSize == 0) {
      // An empty member may come with no packed bytes at all; any tables it
      // does carry serve the solid members after it.
      if (!tablesRead && inSize > 0)
        ReadTables20();
      return true;
    }
    if (!tablesRead && !ReadTables20())
      return false;
    while (produced < outSize) {
      if (Overrun())
        return false;
      if (audioBlock) {
        uint32_t number = Decode(md[curChannel]);
        if (number == 256) {
          if (!ReadTables20())
            return false;
          continue;
        }
        PutByte(DecodeAudio(int(number)));
        if (++curChannel == channels)
          curChannel = 0;
        continue;
      }
      uint32_t number = Decode(ld);
      if (number < 256) {
        PutByte(uint8_t(number));
        continue;
      }
      if (number > 269) {
        number -= 270;
        uint32_t length = LDecode[number] + 3;
        length += TakeBits(LBits[number]);
        uint32_t distNumber = Decode(dd);
        if (distNumber >= uint32_t(DC20))
          return false;
        uint32_t distance = DDecode[distNumber] + 1;
        distance += TakeBits(DBits[distNumber]);
        length += LongDistanceBonus(distance, false);
        CopyString20(length, distance);
        continue;
      }
      if (number == 269) {
        if (!ReadTables20())
          return false;
        continue;
      }
      if (number == 256) {
        CopyString20(lastLength, lastDist);
        continue;
      }
      if (number < 261) {
        uint32_t distance = oldDist[(oldDistPtr - (number - 256)) & 3];
        uint32_t lengthNumber = Decode(rd);
        if (lengthNumber >= uint32_t(RC20))
          return false;
        uint32_t length = LDecode[lengthNumber] + 2;
        length += TakeBits(LBits[lengthNumber]);
        length += LongDistanceBonus(distance, true);
        CopyString20(length, distance);
        continue;
      }
      // 261 - 268: two bytes at a short distance.
      number -= 261;
      uint32_t distance = SDDecode[number] + 1;
      distance += TakeBits(SDBits[number]);
      CopyString20(2, distance);
    }
    if (Overrun())
      return false;
    // The stream of a solid member may end with the tables of the next one.
    if (inSize >= inAddr + 5) {
      if (audioBlock) {
        if (Decode(md[curChannel]) == 256)
          ReadTables20();
      } else if (Decode(ld) == 269) {
        ReadTables20();
      }
    }
    return true;
  }

  // --- RAR 1.5 ------------------------------------------------------------

  static void CorrHuff(uint16_t* charSet, uint8_t* numToPlace) {
    for (int i = 7; i >= 0; --i)
      for (int j = 0; j < 32; ++j, ++charSet)
        *charSet = uint16_t((*charSet & ~0xff) | i);
    std::memset(numToPlace, 0, 256);
    for (int i = 6; i >= 0; --i)
      numToPlace[i] = uint8_t((7 - i) * 32);
  }

  void InitHuff() {
    for (uint32_t i = 0; i < 256; ++i) {
      chSet[i] = chSetB[i] = uint16_t(i << 8);
      chSetA[i] = uint16_t(i);
      chSetC[i] = uint16_t(((~i + 1) & 0xff) << 8);
    }
    std::memset(nToPl, 0, sizeof nToPl);
    std::memset(nToPlB, 0, sizeof nToPlB);
    std::memset(nToPlC, 0, sizeof nToPlC);
    CorrHuff(chSetB, nToPlB);
  }

  // A fixed code: decTab[i] is the first left-aligned value whose code is
  // one bit longer than startPos + i; posTab[n] the first value coded with n
  // bits. Values run up to 256.
  uint32_t DecodeNum(uint32_t num, uint32_t startPos, const uint32_t* decTab,
                     const uint32_t* posTab) {
    num &= 0xfff0;
    uint32_t i = 0;
    while (decTab[i] <= num) {
      ++startPos;
      ++i;
    }
    AddBits(startPos);
    return ((num - (i ? decTab[i - 1] : 0)) >> (16 - startPos)) + posTab[startPos];
  }

  void CopyString15(uint32_t distance, uint32_t length) { CopyBytes(distance, length); }
  // The RAR 1.5 distance history wraps its position at once; RAR 2.0 lets it
  // run on, so a solid member of either kind may find any value there.
  void PushDist15(uint32_t distance) {
    oldDist[oldDistPtr & 3] = distance;
    oldDistPtr = (oldDistPtr + 1) & 3;
  }

  void GetFlagsBuf();
  void ShortLz();
  void LongLz();
  void HuffDecode();
  bool Unpack15(bool solid);
};

namespace {

const uint32_t DecL1[] = {0x8000, 0xa000, 0xc000, 0xd000, 0xe000, 0xea00,
                          0xee00, 0xf000, 0xf200, 0xf200, 0xffff};
const uint32_t PosL1[] = {0, 0, 0, 2, 3, 5, 7, 11, 16, 20, 24, 32, 32};
constexpr uint32_t StartL1 = 2;

const uint32_t DecL2[] = {0xa000, 0xc000, 0xd000, 0xe000, 0xea00,
                          0xee00, 0xf000, 0xf200, 0xf240, 0xffff};
const uint32_t PosL2[] = {0, 0, 0, 0, 5, 7, 9, 13, 18, 22, 26, 34, 36};
constexpr uint32_t StartL2 = 3;

const uint32_t DecHf0[] = {0x8000, 0xc000, 0xe000, 0xf200, 0xf200, 0xf200, 0xf200, 0xf200, 0xffff};
const uint32_t PosHf0[] = {0, 0, 0, 0, 0, 8, 16, 24, 33, 33, 33, 33, 33};
constexpr uint32_t StartHf0 = 4;

const uint32_t DecHf1[] = {0x2000, 0xc000, 0xe000, 0xf000, 0xf200, 0xf200, 0xf7e0, 0xffff};
const uint32_t PosHf1[] = {0, 0, 0, 0, 0, 0, 4, 44, 60, 76, 80, 80, 127};
constexpr uint32_t StartHf1 = 5;

const uint32_t DecHf2[] = {0x1000, 0x2400, 0x8000, 0xc000, 0xfa00, 0xffff, 0xffff, 0xffff};
const uint32_t PosHf2[] = {0, 0, 0, 0, 0, 0, 2, 7, 53, 117, 233, 0, 0};
constexpr uint32_t StartHf2 = 5;

const uint32_t DecHf3[] = {0x0800, 0x2400, 0xee00, 0xfe80, 0xffff, 0xffff, 0xffff};
const uint32_t PosHf3[] = {0, 0, 0, 0, 0, 0, 0, 2, 16, 218, 251, 0, 0};
constexpr uint32_t StartHf3 = 6;

const uint32_t DecHf4[] = {0xff00, 0xffff, 0xffff, 0xffff, 0xffff, 0xffff};
const uint32_t PosHf4[] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 0, 0, 0};
constexpr uint32_t StartHf4 = 8;

const uint32_t ShortLen1[] = {1, 3, 4, 4, 5, 6, 7, 8, 8, 4, 4, 5, 6, 6, 4, 0};
const uint32_t ShortXor1[] = {0,    0xa0, 0xd0, 0xe0, 0xf0, 0xf8, 0xfc, 0xfe,
                              0xff, 0xc0, 0x80, 0x90, 0x98, 0x9c, 0xb0, 0};
const uint32_t ShortLen2[] = {2, 3, 3, 3, 4, 4, 5, 6, 6, 4, 4, 5, 6, 6, 4, 0};
const uint32_t ShortXor2[] = {0,    0x40, 0x60, 0xa0, 0xd0, 0xe0, 0xf0, 0xf8,
                              0xfc, 0xc0, 0x80, 0x90, 0x98, 0x9c, 0xb0, 0};

} // namespace

void Unpacker::State::GetFlagsBuf() {
  uint32_t flagsPlace = DecodeNum(GetBits(), StartHf2, DecHf2, PosHf2);
  if (flagsPlace >= 256)
    return; // only corrupt data reaches the 257th value
  for (;;) {
    uint32_t flags = chSetC[flagsPlace];
    flagBuf = flags >> 8;
    uint32_t newFlagsPlace = nToPlC[flags++ & 0xff]++;
    if ((flags & 0xff) != 0) {
      chSetC[flagsPlace] = chSetC[newFlagsPlace];
      chSetC[newFlagsPlace] = uint16_t(flags);
      return;
    }
    CorrHuff(chSetC, nToPlC);
  }
}

void Unpacker::State::ShortLz() {
  numHuf = 0;
  uint32_t bitField = GetBits();
  if (lCount == 2) {
    AddBits(1);
    if (bitField >= 0x8000) {
      CopyString15(lastDist, lastLength);
      return;
    }
    bitField <<= 1;
    lCount = 0;
  }
  bitField >>= 8;

  uint32_t length;
  if (avrLn1 < 37) {
    for (length = 0; length < 15; ++length) {
      uint32_t bits = length == 1 ? buf60 + 3 : ShortLen1[length];
      if (((bitField ^ ShortXor1[length]) & ~(0xffu >> bits) & 0xff) == 0)
        break;
    }
    AddBits(length == 1 ? buf60 + 3 : ShortLen1[length]);
  } else {
    for (length = 0; length < 15; ++length) {
      uint32_t bits = length == 3 ? buf60 + 3 : ShortLen2[length];
      if (((bitField ^ ShortXor2[length]) & ~(0xffu >> bits) & 0xff) == 0)
        break;
    }
    AddBits(length == 3 ? buf60 + 3 : ShortLen2[length]);
  }

  if (length >= 9) {
    if (length == 9) {
      lCount++;
      CopyString15(lastDist, lastLength);
      return;
    }
    if (length == 14) {
      lCount = 0;
      length = DecodeNum(GetBits(), StartL2, DecL2, PosL2) + 5;
      uint32_t distance = (GetBits() >> 1) | 0x8000;
      AddBits(15);
      lastLength = length;
      lastDist = distance;
      CopyString15(distance, length);
      return;
    }
    lCount = 0;
    uint32_t saveLength = length;
    uint32_t distance = oldDist[(oldDistPtr - (length - 9)) & 3];
    length = DecodeNum(GetBits(), StartL1, DecL1, PosL1) + 2;
    if (length == 0x101 && saveLength == 10) {
      buf60 ^= 1;
      return;
    }
    if (distance > 256)
      length++;
    if (distance >= maxDist3)
      length++;
    PushDist15(distance);
    lastLength = length;
    lastDist = distance;
    CopyString15(distance, length);
    return;
  }

  lCount = 0;
  avrLn1 += length;
  avrLn1 -= avrLn1 >> 4;

  int distancePlace = int(DecodeNum(GetBits(), StartHf2, DecHf2, PosHf2) & 0xff);
  uint32_t distance = chSetA[distancePlace];
  if (--distancePlace != -1) {
    uint32_t lastDistance = chSetA[distancePlace];
    chSetA[distancePlace + 1] = uint16_t(lastDistance);
    chSetA[distancePlace] = uint16_t(distance);
  }
  length += 2;
  PushDist15(++distance);
  lastLength = length;
  lastDist = distance;
  CopyString15(distance, length);
}

void Unpacker::State::LongLz() {
  numHuf = 0;
  nlzb += 16;
  if (nlzb > 0xff) {
    nlzb = 0x90;
    nhfb >>= 1;
  }
  uint32_t oldAvr2 = avrLn2;

  uint32_t length;
  uint32_t bitField = GetBits();
  if (avrLn2 >= 122) {
    length = DecodeNum(bitField, StartL2, DecL2, PosL2);
  } else if (avrLn2 >= 64) {
    length = DecodeNum(bitField, StartL1, DecL1, PosL1);
  } else if (bitField < 0x100) {
    length = bitField;
    AddBits(16);
  } else {
    for (length = 0; ((bitField << length) & 0x8000) == 0; ++length) {
    }
    AddBits(length + 1);
  }
  avrLn2 += length;
  avrLn2 -= avrLn2 >> 5;

  bitField = GetBits();
  uint32_t distancePlace;
  if (avrPlcB > 0x28ff)
    distancePlace = DecodeNum(bitField, StartHf2, DecHf2, PosHf2);
  else if (avrPlcB > 0x6ff)
    distancePlace = DecodeNum(bitField, StartHf1, DecHf1, PosHf1);
  else
    distancePlace = DecodeNum(bitField, StartHf0, DecHf0, PosHf0);
  avrPlcB += distancePlace;
  avrPlcB -= avrPlcB >> 8;

  uint32_t distance, newDistancePlace;
  for (;;) {
    distance = chSetB[distancePlace & 0xff];
    newDistancePlace = nToPlB[distance++ & 0xff]++;
    if (!(distance & 0xff))
      CorrHuff(chSetB, nToPlB);
    else
      break;
  }
  chSetB[distancePlace & 0xff] = chSetB[newDistancePlace];
  chSetB[newDistancePlace] = uint16_t(distance);

  distance = ((distance & 0xff00) | (GetBits() >> 8)) >> 1;
  AddBits(7);

  uint32_t oldAvr3 = avrLn3;
  if (length != 1 && length != 4) {
    if (length == 0 && distance <= maxDist3) {
      avrLn3++;
      avrLn3 -= avrLn3 >> 8;
    } else if (avrLn3 > 0) {
      avrLn3--;
    }
  }
  length += 3;
  if (distance >= maxDist3)
    length++;
  if (distance <= 256)
    length += 8;
  if (oldAvr3 > 0xb0 || (avrPlc >= 0x2a00 && oldAvr2 < 0x40))
    maxDist3 = 0x7f00;
  else
    maxDist3 = 0x2001;
  PushDist15(distance);
  lastLength = length;
  lastDist = distance;
  CopyString15(distance, length);
}

void Unpacker::State::HuffDecode() {
  uint32_t bitField = GetBits();
  int bytePlace;
  if (avrPlc > 0x75ff)
    bytePlace = int(DecodeNum(bitField, StartHf4, DecHf4, PosHf4));
  else if (avrPlc > 0x5dff)
    bytePlace = int(DecodeNum(bitField, StartHf3, DecHf3, PosHf3));
  else if (avrPlc > 0x35ff)
    bytePlace = int(DecodeNum(bitField, StartHf2, DecHf2, PosHf2));
  else if (avrPlc > 0x0dff)
    bytePlace = int(DecodeNum(bitField, StartHf1, DecHf1, PosHf1));
  else
    bytePlace = int(DecodeNum(bitField, StartHf0, DecHf0, PosHf0));
  bytePlace &= 0xff;

  if (stMode) {
    if (bytePlace == 0 && bitField > 0xfff)
      bytePlace = 0x100;
    if (--bytePlace == -1) {
      bitField = GetBits();
      AddBits(1);
      if (bitField & 0x8000) {
        numHuf = 0;
        stMode = false;
        return;
      }
      uint32_t length = (bitField & 0x4000) ? 4 : 3;
      AddBits(1);
      uint32_t distance = DecodeNum(GetBits(), StartHf2, DecHf2, PosHf2);
      distance = (distance << 5) | (GetBits() >> 11);
      AddBits(5);
      CopyString15(distance, length);
      return;
    }
  } else if (numHuf++ >= 16 && flagsCnt == 0) {
    stMode = true;
  }
  avrPlc += uint32_t(bytePlace);
  avrPlc -= avrPlc >> 8;
  nhfb += 16;
  if (nhfb > 0xff) {
    nhfb = 0x90;
    nlzb >>= 1;
  }

  PutByte(uint8_t(chSet[bytePlace] >> 8));

  uint32_t curByte, newBytePlace;
  for (;;) {
    curByte = chSet[bytePlace];
    newBytePlace = nToPl[curByte++ & 0xff]++;
    if ((curByte & 0xff) > 0xa1)
      CorrHuff(chSet, nToPl);
    else
      break;
  }
  chSet[bytePlace] = chSet[newBytePlace];
  chSet[newBytePlace] = uint16_t(curByte);
}

bool Unpacker::State::Unpack15(bool solid) {
  if (!solid) {
    ResetCommon();
    avrPlcB = avrLn1 = avrLn2 = avrLn3 = numHuf = buf60 = 0;
    avrPlc = 0x3500;
    maxDist3 = 0x2001;
    nhfb = nlzb = 0x80;
    InitHuff();
  }
  flagsCnt = 0;
  flagBuf = 0;
  stMode = false;
  lCount = 0;

  if (produced < outSize) {
    GetFlagsBuf();
    flagsCnt = 8;
  }
  while (produced < outSize) {
    if (Overrun())
      return false;
    if (stMode) {
      HuffDecode();
      continue;
    }
    if (--flagsCnt < 0) {
      GetFlagsBuf();
      flagsCnt = 7;
    }
    if (flagBuf & 0x80) {
      flagBuf <<= 1;
      if (nlzb > nhfb)
        LongLz();
      else
        HuffDecode();
    } else {
      flagBuf <<= 1;
      if (--flagsCnt < 0) {
        GetFlagsBuf();
        flagsCnt = 7;
      }
      if (flagBuf & 0x80) {
        flagBuf <<= 1;
        if (nlzb > nhfb)
          HuffDecode();
        else
          LongLz();
      } else {
        flagBuf <<= 1;
        ShortLz();
      }
    }
  }
  return !Overrun();
}

Unpacker::Unpacker(uint32_t windowSize) : state(new State) {
  uint32_t size = 0x10000;
  while (size < windowSize && size < MaxWindowSize)
    size <<= 1;
  state->windowSize = size;
  state->windowMask = size - 1;
}

uint32_t Unpacker::WindowFor(uint64_t unpackedSize) {
  // A match may run a few hundred bytes past the member's end.
  uint64_t size = 0x10000;
  while (size < unpackedSize + 0x1000 && size < MaxWindowSize)
    size <<= 1;
  return uint32_t(size);
}
Unpacker::~Unpacker() = default;

bool Unpacker::Supports(int unpackVersion) {
  return unpackVersion == 15 || unpackVersion == 20 || unpackVersion == 26;
}

bool Unpacker::Unpack(int unpackVersion, const uint8_t* packed, size_t packedSize, bool solid,
                      uint8_t* out, size_t unpackedSize) {
  if (!Supports(unpackVersion))
    return false;
  State& s = *state;
  if (!s.window) {
    s.window.reset(static_cast<uint8_t*>(std::calloc(s.windowSize, 1)));
    if (!s.window)
      return false;
    s.windowFresh = true;
    solid = false;
  }
  s.in = packed;
  s.inSize = packedSize;
  s.inAddr = 0;
  s.inBit = 0;
  s.out = out;
  s.outSize = unpackedSize;
  s.produced = 0;
  bool ok = unpackVersion == 15 ? s.Unpack15(solid) : s.Unpack20(solid);
  s.in = nullptr;
  s.out = nullptr;
  return ok && s.produced >= unpackedSize;
}

} // namespace rar
