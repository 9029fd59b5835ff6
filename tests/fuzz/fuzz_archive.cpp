// Archives as they come: the input is data.sdd. Walks the headers and unpacks
// every listed member straight from memory, then opens members through
// ArchiveFile (which reads the file from disk) by the names the walk found.
// Mutated headers would nearly always fail their CRC check and end the walk
// early, so for most inputs (all whose size is not a multiple of 16) the
// header CRCs, and the data CRCs of stored members, are first put right.
#include <cstdio>
#include <cstring>
#include <zlib.h>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "resources/ArchiveFile.h"
#include "resources/RarFormat.h"
#include "resources/RarReader.h"

namespace {

void Put16(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

// Recomputes the CRC of every block header the walk reaches.
void RepairCrcs(std::vector<uint8_t>& a) {
  if (a.size() < rar::MarkerSize || memcmp(a.data(), rar::Marker, rar::MarkerSize) != 0)
    return;
  size_t pos = rar::MarkerSize;
  while (pos + rar::BaseHeaderSize <= a.size()) {
    uint8_t* h = a.data() + pos;
    uint8_t type = h[2];
    uint16_t flags = rar::Get16(h + 3);
    uint16_t headSize = rar::Get16(h + 5);
    if (headSize < rar::BaseHeaderSize || pos + headSize > a.size())
      return;
    uint64_t next = pos + headSize;
    if ((flags & rar::FlagLongBlock) || type == rar::BlockFile) {
      if (headSize < 11)
        return;
      uint32_t packed = rar::Get32(h + 7);
      next += packed;
      if (type == rar::BlockFile && headSize >= rar::FileHeaderFixedSize &&
          h[25] == rar::MethodStore && next <= a.size()) {
        uint32_t crc = uint32_t(crc32(0, h + headSize, packed));
        for (int i = 0; i < 4; ++i)
          h[16 + i] = uint8_t(crc >> (8 * i));
      }
    }
    Put16(h, uint32_t(crc32(0, h + 2, headSize - 2)) & 0xffff);
    if (type == rar::BlockEnd || next > a.size())
      return;
    pos = size_t(next);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
  std::vector<uint8_t> bytes(input, input + size);
  if (size % 16 != 0)
    RepairCrcs(bytes);
  const uint8_t* data = bytes.data();
  FuzzWorkDir workDir;

  rar::MemorySource source(data, size);
  rar::ArchiveInfo info;
  if (rar::ReadArchiveInfo(source, info)) {
    // Members one by one; a solid member decodes every member before it, so
    // of a run of solid members only the last is taken.
    for (size_t i = 0; i < info.members.size() && i < 16; ++i) {
      bool solidFollows =
          i + 1 < info.members.size() && (info.members[i + 1].flags & rar::FileSolid) && i + 1 < 16;
      if (solidFollows)
        continue;
      std::vector<uint8_t> out;
      std::string error;
      rar::ExtractMember(source, info, i, out, &error);
    }
  }

  FILE* file = fopen(ArchiveFileName, "wb");
  if (!file)
    return 0;
  bool written = fwrite(data, 1, size, file) == size;
  written = fclose(file) == 0 && written;
  if (!written)
    return 0;

  ArchiveFile member;
  // A name that is rarely there, then the first and last members by name
  // (the last one of a solid archive needs every member before it).
  member.Open("texture.txt");
  if (!info.members.empty()) {
    member.Open(info.members.front().name.c_str());
    member.Open(info.members.back().name.c_str());
    // The line reader over whatever came out.
    char line[ArchiveFile::LineBufferSize];
    for (int n = 0; n < 64 && member.ReadLine(line); ++n) {
    }
  }
  member.Close();
  return 0;
}
