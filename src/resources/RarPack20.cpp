// The RAR 2.0 compressor; see RarPack20.h.
//
// Matches are found with hash chains over three-byte prefixes (plus a table
// of the last place of every byte pair, for the two-byte matches the format
// codes at distances up to 256), with one step of lazy evaluation. Tokens are
// cut into blocks; each block gets its own Huffman tables, announced by
// symbol 269 and a table header (code lengths always sent whole, never as
// changes to the previous table).
#include "resources/RarPack20.h"

#include "resources/RarFormat.h"

#include <algorithm>
#include <cstring>
#include <queue>

namespace rar {

namespace {

constexpr int NC20 = 298, DC20 = 48, RC20 = 28, BC20 = 19;
constexpr int TableSize = NC20 + DC20 + RC20;
constexpr uint32_t MaxDistance = 0x100000;
constexpr uint32_t MaxHashBits = 20;
constexpr uint32_t ChainSize = 1u << 20; // one link per window position
constexpr int MaxChain = 48;
constexpr size_t BlockTokens = 0x10000;
constexpr int MaxCodeLength = 15;
constexpr int32_t NoPosition = -1;

// Lengths a match must reach, and may not pass, at a distance: the format
// adds one to the coded length from 0x2000 on and another from 0x40000 on.
uint32_t Adjust(uint32_t distance) { return (distance >= 0x2000) + (distance >= 0x40000); }
uint32_t MinLength(uint32_t distance) { return 3 + Adjust(distance); }
uint32_t MaxLength(uint32_t distance) { return 258 + Adjust(distance); }

int Slot(const uint32_t* starts, const uint8_t* bits, int count, uint32_t value) {
  int lo = 0, hi = count - 1;
  while (lo < hi) { // the last start not above value
    int mid = (lo + hi + 1) / 2;
    if (starts[mid] <= value)
      lo = mid;
    else
      hi = mid - 1;
  }
  (void)bits;
  return lo;
}

struct Token {
  uint32_t length; // 0: literal
  uint32_t value;  // literal byte, or distance
  uint32_t rep;    // 1-4: the distance is the one used 1-4 matches ago (257-260)
};

// A match at one of the last four distances codes its length from two on,
// one more from 0x101, 0x2000 and 0x40000 on.
uint32_t RepAdjust(uint32_t distance) { return (distance >= 0x101) + Adjust(distance); }

class BitWriter {
public:
  explicit BitWriter(std::vector<uint8_t>& out) : out(out) {}
  void Put(uint32_t value, int bits) {
    if (bits == 0)
      return;
    acc = (acc << bits) | (value & ((1u << bits) - 1));
    count += bits;
    while (count >= 8) {
      count -= 8;
      out.push_back(uint8_t(acc >> count));
    }
    acc &= (uint64_t(1) << count) - 1;
  }
  void Flush() {
    if (count > 0)
      out.push_back(uint8_t(acc << (8 - count)));
    acc = 0;
    count = 0;
  }

private:
  std::vector<uint8_t>& out;
  uint64_t acc = 0;
  int count = 0;
};

// Huffman code lengths of at most MaxCodeLength bits; a single used symbol
// gets length 1.
void BuildLengths(const uint32_t* freq, int n, uint8_t* lengths) {
  std::vector<uint32_t> f(freq, freq + n);
  for (;;) {
    std::memset(lengths, 0, size_t(n));
    struct Node {
      uint64_t weight;
      int left, right;
    };
    std::vector<Node> nodes;
    using Item = std::pair<uint64_t, int>;
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> heap;
    for (int i = 0; i < n; ++i) {
      if (f[i]) {
        nodes.push_back({f[i], -1, i});
        heap.push({f[i], int(nodes.size()) - 1});
      }
    }
    if (nodes.empty())
      return;
    if (nodes.size() == 1) {
      lengths[nodes[0].right] = 1;
      return;
    }
    while (heap.size() > 1) {
      Item a = heap.top();
      heap.pop();
      Item b = heap.top();
      heap.pop();
      nodes.push_back({a.first + b.first, a.second, b.second});
      heap.push({a.first + b.first, int(nodes.size()) - 1});
    }
    // Depths by walking from the root.
    int maxDepth = 0;
    std::vector<std::pair<int, int>> stack{{int(nodes.size()) - 1, 0}};
    while (!stack.empty()) {
      auto [index, depth] = stack.back();
      stack.pop_back();
      const Node& node = nodes[size_t(index)];
      if (node.left < 0) {
        lengths[node.right] = uint8_t(std::min(depth, 255));
        maxDepth = std::max(maxDepth, depth);
      } else {
        stack.push_back({node.left, depth + 1});
        stack.push_back({node.right, depth + 1});
      }
    }
    if (maxDepth <= MaxCodeLength)
      return;
    for (uint32_t& x : f)
      if (x)
        x = (x + 1) / 2;
  }
}

// Canonical codes for the lengths, numbered as the decoder numbers them.
void BuildCodes(const uint8_t* lengths, int n, uint16_t* codes) {
  uint32_t count[16] = {}, next[16] = {};
  for (int i = 0; i < n; ++i)
    count[lengths[i]]++;
  count[0] = 0;
  uint32_t code = 0;
  for (int len = 1; len < 16; ++len) {
    code = (code + count[len - 1]) << 1;
    next[len] = code;
  }
  for (int i = 0; i < n; ++i)
    codes[i] = lengths[i] ? uint16_t(next[lengths[i]]++) : 0;
}

} // namespace

struct Encoder20::State {
  std::vector<uint8_t> history; // every byte compressed so far in this stream
  std::vector<int32_t> head, head2, chain;
  bool haveTables = false;
  uint8_t lengths[TableSize] = {};
  uint16_t codes[TableSize] = {};

  uint32_t chainMask = ChainSize - 1;
  uint32_t hashShift = 32 - MaxHashBits;

  // Starts a new stream; sizeHint bounds what it will hold (0: unknown), so
  // small members need no full-window tables.
  void Reset(size_t sizeHint) {
    history.clear();
    head2.assign(1u << 16, NoPosition);
    uint32_t chainSize = ChainSize;
    uint32_t hashBits = MaxHashBits;
    if (sizeHint) {
      chainSize = 1024;
      while (chainSize < sizeHint && chainSize < ChainSize)
        chainSize <<= 1;
      hashBits = 10;
      while ((1u << hashBits) < chainSize && hashBits < MaxHashBits)
        ++hashBits;
    }
    // About one bucket per window position: short chains, few cache misses.
    head.assign(size_t(1) << hashBits, NoPosition);
    hashShift = 32 - hashBits;
    chain.assign(chainSize, NoPosition);
    chainMask = chainSize - 1;
    haveTables = false;
    std::memset(oldDist, 0, sizeof oldDist);
    oldDistPtr = 0;
  }

  uint32_t Hash(const uint8_t* p) const {
    return ((uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]) * 2654435761u) >> hashShift;
  }

  void Insert(uint32_t pos, size_t end) {
    if (pos + 1 < end)
      head2[size_t(history[pos]) << 8 | history[pos + 1]] = int32_t(pos);
    if (pos + 2 >= end)
      return;
    uint32_t h = Hash(&history[pos]);
    chain[pos & chainMask] = head[h];
    head[h] = int32_t(pos);
  }

  // The longest usable match at pos (length 0 when none).
  // The decoder's last four distances, kept exactly as it keeps them.
  uint32_t oldDist[4] = {};
  uint32_t oldDistPtr = 0;

  void Used(uint32_t distance) { oldDist[oldDistPtr++ & 3] = distance; }

  uint32_t CommonLength(uint32_t pos, uint32_t distance, uint32_t limit) const {
    const uint8_t* a = history.data() + pos;
    const uint8_t* b = a - distance;
    uint32_t len = 0;
    while (len < limit && a[len] == b[len])
      ++len;
    return len;
  }

  // The best match at pos (length below 2 when none): the longest one the
  // hash chains find, or one at a recent distance when that is about as long
  // (it costs fewer bits).
  Token FindMatch(uint32_t pos, size_t end) {
    Token best{0, 0, 0};
    const uint8_t* data = history.data();
    uint32_t available = uint32_t(std::min<size_t>(end - pos, 260));
    if (available >= 3) {
      int32_t candidate = head[Hash(data + pos)];
      for (int steps = 0; candidate != NoPosition && steps < MaxChain; ++steps) {
        uint32_t distance = pos - uint32_t(candidate);
        if (distance > MaxDistance || distance == 0)
          break;
        uint32_t limit = std::min(available, MaxLength(distance));
        uint32_t probe = best.length < limit ? best.length : 0;
        if (data[candidate + probe] == data[pos + probe]) {
          uint32_t len = CommonLength(pos, distance, limit);
          if (len >= MinLength(distance) && len > best.length) {
            best = {len, distance, 0};
            if (len >= limit)
              break;
          }
        }
        int32_t next = chain[uint32_t(candidate) & chainMask];
        if (next >= candidate)
          break;
        candidate = next;
      }
    }
    if (best.length == 0 && end - pos >= 2) {
      int32_t candidate = head2[size_t(data[pos]) << 8 | data[pos + 1]];
      if (candidate != NoPosition && pos - uint32_t(candidate) <= 256 && uint32_t(candidate) < pos)
        best = {2, pos - uint32_t(candidate), 0};
    }
    Token rep{0, 0, 0};
    for (uint32_t k = 1; k <= 4 && available >= 2; ++k) {
      uint32_t distance = oldDist[(oldDistPtr - k) & 3];
      if (distance == 0 || distance > pos)
        continue;
      uint32_t adjust = RepAdjust(distance);
      uint32_t len = CommonLength(pos, distance, std::min(available, 257 + adjust));
      if (len >= 2 + adjust && len > rep.length)
        rep = {len, distance, k};
    }
    if (rep.length >= 2 &&
        (rep.length >= best.length || (rep.length + 1 >= best.length && best.value >= 256)))
      return rep;
    return best;
  }

  void Tokenize(size_t start, std::vector<Token>& tokens) {
    size_t end = history.size();
    size_t pos = start;
    Token match{0, 0, 0};
    bool pending = false; // match holds the match at pos
    while (pos < end) {
      if (!pending)
        match = FindMatch(uint32_t(pos), end);
      pending = false;
      if (match.length < 2) {
        tokens.push_back({0, history[pos], 0});
        Insert(uint32_t(pos), end);
        ++pos;
        continue;
      }
      // One step of lazy evaluation: a longer match one byte on wins.
      if (match.length < 32 && pos + 1 < end) {
        Insert(uint32_t(pos), end);
        Token next = FindMatch(uint32_t(pos + 1), end);
        if (next.length > match.length) {
          tokens.push_back({0, history[pos], 0});
          ++pos;
          match = next;
          pending = true;
          continue;
        }
        for (size_t i = pos + 1; i < pos + match.length; ++i)
          Insert(uint32_t(i), end);
      } else {
        for (size_t i = pos; i < pos + match.length; ++i)
          Insert(uint32_t(i), end);
      }
      tokens.push_back(match);
      Used(match.value);
      pos += match.length;
    }
  }

  // The main-code symbol of a token, with its extra bits.
  struct Coded {
    int symbol;
    uint32_t extra;
    int extraBits;
    int distSymbol; // -1: none
    uint32_t distExtra;
    int distBits;
    int lengthSymbol = -1; // of a match at a recent distance; -1: none
    uint32_t lengthExtra = 0;
    int lengthBits = 0;
  };

  static Coded Code(const Token& t) {
    Coded c{int(t.value), 0, 0, -1, 0, 0};
    if (t.length == 0)
      return c;
    if (t.rep) {
      uint32_t coded = t.length - 2 - RepAdjust(t.value);
      int l = Slot(LDecode, LBits, 28, coded);
      c.symbol = 256 + int(t.rep);
      c.lengthSymbol = l;
      c.lengthExtra = coded - LDecode[l];
      c.lengthBits = LBits[l];
      return c;
    }
    if (t.length == 2) {
      int k = Slot(SDDecode, SDBits, 8, t.value - 1);
      c.symbol = 261 + k;
      c.extra = t.value - 1 - SDDecode[k];
      c.extraBits = SDBits[k];
      return c;
    }
    uint32_t coded = t.length - MinLength(t.value);
    int l = Slot(LDecode, LBits, 28, coded);
    c.symbol = 270 + l;
    c.extra = coded - LDecode[l];
    c.extraBits = LBits[l];
    int d = Slot(DDecode, DBits, 48, t.value - 1);
    c.distSymbol = d;
    c.distExtra = t.value - 1 - DDecode[d];
    c.distBits = DBits[d];
    return c;
  }

  void WriteTables(BitWriter& bits) {
    // Run-length code the lengths: 16 repeats the previous length 3-6
    // times, 17 and 18 give 3-10 and 11-138 zeros.
    struct Rle {
      int symbol;
      uint32_t extra;
      int extraBits;
    };
    std::vector<Rle> rle;
    for (int i = 0; i < TableSize;) {
      int run = 1;
      while (i + run < TableSize && lengths[i + run] == lengths[i])
        ++run;
      if (lengths[i] == 0 && run >= 3) {
        int n = std::min(run, 138);
        if (n >= 11)
          rle.push_back({18, uint32_t(n - 11), 7});
        else
          rle.push_back({17, uint32_t(n - 3), 3});
        i += n;
        continue;
      }
      rle.push_back({lengths[i], 0, 0});
      ++i;
      --run;
      while (lengths[i - 1] != 0 && run >= 3) {
        int n = std::min(run, 6);
        rle.push_back({16, uint32_t(n - 3), 2});
        i += n;
        run -= n;
      }
    }
    uint32_t freq[BC20] = {};
    for (const Rle& r : rle)
      freq[r.symbol]++;
    uint8_t bdLengths[BC20];
    uint16_t bdCodes[BC20];
    BuildLengths(freq, BC20, bdLengths);
    BuildCodes(bdLengths, BC20, bdCodes);
    bits.Put(0, 2); // not multimedia; a fresh table
    for (int i = 0; i < BC20; ++i)
      bits.Put(bdLengths[i], 4);
    for (const Rle& r : rle) {
      bits.Put(bdCodes[r.symbol], bdLengths[r.symbol]);
      bits.Put(r.extra, r.extraBits);
    }
  }

  void WriteBlock(BitWriter& bits, const Token* tokens, size_t count) {
    uint32_t freq[TableSize] = {};
    for (size_t i = 0; i < count; ++i) {
      Coded c = Code(tokens[i]);
      freq[c.symbol]++;
      if (c.distSymbol >= 0)
        freq[NC20 + c.distSymbol]++;
      if (c.lengthSymbol >= 0)
        freq[NC20 + DC20 + c.lengthSymbol]++;
    }
    freq[269]++; // every table can announce the next one
    uint8_t newLengths[TableSize] = {};
    BuildLengths(freq, NC20, newLengths);
    BuildLengths(freq + NC20, DC20, newLengths + NC20);
    BuildLengths(freq + NC20 + DC20, RC20, newLengths + NC20 + DC20);
    if (haveTables)
      bits.Put(codes[269], lengths[269]);
    std::memcpy(lengths, newLengths, sizeof lengths);
    BuildCodes(lengths, NC20, codes);
    BuildCodes(lengths + NC20, DC20, codes + NC20);
    BuildCodes(lengths + NC20 + DC20, RC20, codes + NC20 + DC20);
    WriteTables(bits);
    haveTables = true;
    for (size_t i = 0; i < count; ++i) {
      Coded c = Code(tokens[i]);
      bits.Put(codes[c.symbol], lengths[c.symbol]);
      bits.Put(c.extra, c.extraBits);
      if (c.lengthSymbol >= 0) {
        int rd = NC20 + DC20 + c.lengthSymbol;
        bits.Put(codes[rd], lengths[rd]);
        bits.Put(c.lengthExtra, c.lengthBits);
      }
      if (c.distSymbol >= 0) {
        bits.Put(codes[NC20 + c.distSymbol], lengths[NC20 + c.distSymbol]);
        bits.Put(c.distExtra, c.distBits);
      }
    }
  }
};

Encoder20::Encoder20() : state(new State) {}
Encoder20::~Encoder20() = default;

std::vector<uint8_t> Encoder20::Compress(const uint8_t* data, size_t size, bool solid) {
  State& s = *state;
  if (!solid || s.head.empty())
    s.Reset(solid ? 0 : size);
  size_t start = s.history.size();
  s.history.insert(s.history.end(), data, data + size);
  std::vector<Token> tokens;
  tokens.reserve(size / 2 + 16);
  s.Tokenize(start, tokens);

  std::vector<uint8_t> out;
  out.reserve(size / 2 + 64);
  BitWriter bits(out);
  if (!s.haveTables) {
    // A member that starts afresh always begins with tables, even when empty.
    s.WriteBlock(bits, tokens.data(), std::min(tokens.size(), BlockTokens));
    for (size_t i = BlockTokens; i < tokens.size(); i += BlockTokens)
      s.WriteBlock(bits, tokens.data() + i, std::min(tokens.size() - i, BlockTokens));
  } else {
    for (size_t i = 0; i < tokens.size(); i += BlockTokens)
      s.WriteBlock(bits, tokens.data() + i, std::min(tokens.size() - i, BlockTokens));
  }
  bits.Flush();
  return out;
}

} // namespace rar
