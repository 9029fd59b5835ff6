// Helpers for the RAR tests: bit writer for hand-made compressed streams and
// a builder of archive headers with any field values.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "resources/RarFormat.h"
#include "resources/RarReader.h"

namespace rartest {

// Most significant bit first, as both RAR methods read.
class Bits {
public:
  Bits& Put(uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) {
      if (used % 8 == 0)
        bytes.push_back(0);
      if ((value >> i) & 1)
        bytes.back() |= uint8_t(0x80 >> (used % 8));
      ++used;
    }
    return *this;
  }
  // A string of '0' and '1' (other characters are ignored).
  Bits& Put(const char* pattern) {
    for (; *pattern; ++pattern)
      if (*pattern == '0' || *pattern == '1')
        Put(uint32_t(*pattern - '0'), 1);
    return *this;
  }
  std::vector<uint8_t> bytes;
  size_t used = 0;
};

inline void Put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(uint8_t(x));
  v.push_back(uint8_t(x >> 8));
}
inline void Put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i)
    v.push_back(uint8_t(x >> (8 * i)));
}

inline uint32_t Crc(const std::string& s) {
  return rar::Crc32(reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

// A file header with every field settable; HEAD_SIZE and HEAD_CRC are
// filled in unless given.
struct FileHeader {
  uint16_t flags = 0x8000;
  std::string name = "a.txt";
  std::vector<uint8_t> packed; // the data after the header
  int64_t packedSize = -1;     // -1: packed.size()
  uint32_t unpackedSize = 0;
  uint32_t crc = 0;
  uint8_t hostOs = 0;
  uint8_t unpackVersion = 20;
  uint8_t method = 0x30;
  uint32_t attributes = 0x20;
  uint32_t highPacked = 0, highUnpacked = 0; // written when flags has 0x100
  std::vector<uint8_t> afterName;            // salt, extended time, ... (inside HEAD_SIZE)
  int32_t headSize = -1;                     // -1: the real size
  bool badCrc = false;
};

// The marker and an archive header with the given flags.
inline std::vector<uint8_t> Start(uint16_t archiveFlags = 0, std::vector<uint8_t> extra = {}) {
  std::vector<uint8_t> v(rar::Marker, rar::Marker + rar::MarkerSize);
  size_t at = v.size();
  Put16(v, 0);
  v.push_back(0x73);
  Put16(v, archiveFlags);
  Put16(v, uint32_t(13 + extra.size()));
  Put16(v, 0);
  Put32(v, 0);
  v.insert(v.end(), extra.begin(), extra.end());
  uint32_t crc = rar::Crc32(v.data() + at + 2, 11) & 0xffff;
  v[at] = uint8_t(crc);
  v[at + 1] = uint8_t(crc >> 8);
  return v;
}

inline void Add(std::vector<uint8_t>& v, const FileHeader& h) {
  size_t at = v.size();
  Put16(v, 0);
  v.push_back(0x74);
  Put16(v, h.flags);
  size_t sizeAt = v.size();
  Put16(v, 0);
  Put32(v, uint32_t(h.packedSize < 0 ? int64_t(h.packed.size()) : h.packedSize));
  Put32(v, h.unpackedSize);
  v.push_back(h.hostOs);
  Put32(v, h.crc);
  Put32(v, 0x28210000);
  v.push_back(h.unpackVersion);
  v.push_back(h.method);
  Put16(v, uint32_t(h.name.size()));
  Put32(v, h.attributes);
  if (h.flags & 0x100) {
    Put32(v, h.highPacked);
    Put32(v, h.highUnpacked);
  }
  v.insert(v.end(), h.name.begin(), h.name.end());
  v.insert(v.end(), h.afterName.begin(), h.afterName.end());
  uint32_t size = h.headSize < 0 ? uint32_t(v.size() - at) : uint32_t(h.headSize);
  v[sizeAt] = uint8_t(size);
  v[sizeAt + 1] = uint8_t(size >> 8);
  uint32_t crc = rar::Crc32(v.data() + at + 2, v.size() - at - 2) & 0xffff;
  if (h.badCrc)
    crc ^= 0x5555;
  v[at] = uint8_t(crc);
  v[at + 1] = uint8_t(crc >> 8);
  v.insert(v.end(), h.packed.begin(), h.packed.end());
}

// Any other block: type, flags, header body after HEAD_SIZE, then data.
inline void AddBlock(std::vector<uint8_t>& v, uint8_t type, uint16_t flags,
                     const std::vector<uint8_t>& body, const std::vector<uint8_t>& data = {}) {
  size_t at = v.size();
  Put16(v, 0);
  v.push_back(type);
  Put16(v, flags);
  Put16(v, uint32_t(7 + body.size()));
  v.insert(v.end(), body.begin(), body.end());
  uint32_t crc = rar::Crc32(v.data() + at + 2, v.size() - at - 2) & 0xffff;
  v[at] = uint8_t(crc);
  v[at + 1] = uint8_t(crc >> 8);
  v.insert(v.end(), data.begin(), data.end());
}

// Extracts the first member named `name` from an archive in memory.
inline bool Extract(const std::vector<uint8_t>& archive, const char* name, std::string& out,
                    std::string* error = nullptr) {
  rar::MemorySource source(archive.data(), archive.size());
  rar::ArchiveInfo info;
  out.clear();
  if (!rar::ReadArchiveInfo(source, info, name))
    return false;
  if (info.members.empty() || !rar::NamesMatch(info.members.back().name.c_str(), name))
    return false;
  std::vector<uint8_t> bytes;
  if (!rar::ExtractMember(source, info, info.members.size() - 1, bytes, error))
    return false;
  out.assign(bytes.begin(), bytes.end());
  return true;
}

inline std::vector<uint8_t> Bytes(const std::string& s) {
  return std::vector<uint8_t>(s.begin(), s.end());
}

} // namespace rartest
