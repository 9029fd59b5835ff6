// The RAR 2.0 archive writer; see RarWriter.h.
#include "resources/RarWriter.h"

#include <cstdio>

#include "resources/RarFormat.h"
#include "resources/RarPack20.h"

namespace {

// 2000-01-01 00:00:00 as an MS-DOS date and time: every member carries it.
constexpr uint32_t FixedDosTime = ((2000u - 1980u) << 25) | (1u << 21) | (1u << 16);
constexpr uint32_t AttrArchive = 0x20;

void Put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(uint8_t(x));
  v.push_back(uint8_t(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i)
    v.push_back(uint8_t(x >> (8 * i)));
}

// Fills in HEAD_CRC of the header that starts at `start` and runs to the end.
void FinishHeader(std::vector<uint8_t>& v, size_t start) {
  uint32_t crc = rar::Crc32(v.data() + start + 2, v.size() - start - 2) & 0xffff;
  v[start] = uint8_t(crc);
  v[start + 1] = uint8_t(crc >> 8);
}

// Large members that compress at all (text, meshes, raw sound) show it in
// every part; already-compressed ones (JPEG, Ogg) show it nowhere. Three
// samples spare the encoder a pass over megabytes that would be stored anyway.
bool LooksIncompressible(const std::vector<uint8_t>& data) {
  constexpr size_t Sample = 128 * 1024;
  if (data.size() < 8 * Sample)
    return false;
  const size_t starts[3] = {0, data.size() / 2 - Sample / 2, data.size() - Sample};
  for (size_t start : starts) {
    rar::Encoder20 encoder;
    if (encoder.Compress(data.data() + start, Sample, false).size() < Sample * 99 / 100)
      return false;
  }
  return true;
}

} // namespace

bool BuildRarArchive(const std::vector<RarInputMember>& members, const RarWriteOptions& options,
                     std::vector<uint8_t>& out) {
  out.clear();
  out.insert(out.end(), rar::Marker, rar::Marker + rar::MarkerSize);

  const bool solid = options.solid && !options.storeOnly;
  size_t start = out.size();
  Put16(out, 0);
  out.push_back(rar::BlockArchive);
  Put16(out, solid ? rar::ArcSolid : 0);
  Put16(out, rar::ArchiveHeaderSize);
  Put16(out, 0);
  Put32(out, 0);
  FinishHeader(out, start);

  rar::Encoder20 encoder;
  bool first = true;
  for (const RarInputMember& m : members) {
    if (m.data.size() > 0xffffffffull || m.name.size() > 0xffff - rar::FileHeaderFixedSize)
      return false;
    std::vector<uint8_t> packed;
    bool compressed = false;
    if (!options.storeOnly && (solid || !LooksIncompressible(m.data))) {
      packed = encoder.Compress(m.data.data(), m.data.size(), solid && !first);
      compressed = solid || packed.size() < m.data.size();
    }
    const std::vector<uint8_t>& body = compressed ? packed : m.data;
    if (body.size() > 0xffffffffull)
      return false;

    uint16_t flags = rar::FlagLongBlock;
    if (compressed)
      flags |= rar::Encoder20DictFlags;
    if (solid && !first)
      flags |= rar::FileSolid;
    start = out.size();
    Put16(out, 0);
    out.push_back(rar::BlockFile);
    Put16(out, flags);
    Put16(out, uint32_t(rar::FileHeaderFixedSize + m.name.size()));
    Put32(out, uint32_t(body.size()));
    Put32(out, uint32_t(m.data.size()));
    out.push_back(rar::HostMsDos);
    Put32(out, rar::Crc32(m.data.data(), m.data.size()));
    Put32(out, FixedDosTime);
    out.push_back(20);
    out.push_back(compressed ? rar::MethodNormal : rar::MethodStore);
    Put16(out, uint32_t(m.name.size()));
    Put32(out, AttrArchive);
    out.insert(out.end(), m.name.begin(), m.name.end());
    FinishHeader(out, start);
    out.insert(out.end(), body.begin(), body.end());
    first = false;
  }
  return true;
}

bool WriteRarArchive(const std::string& path, const std::vector<RarInputMember>& members,
                     const RarWriteOptions& options) {
  std::vector<uint8_t> bytes;
  if (!BuildRarArchive(members, options, bytes))
    return false;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f)
    return false;
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fclose(f) == 0 && ok;
  if (!ok)
    std::remove(path.c_str());
  return ok;
}

bool WriteRarArchive(const std::string& path, const std::vector<RarInputMember>& members,
                     bool storeOnly) {
  RarWriteOptions options;
  options.storeOnly = storeOnly;
  return WriteRarArchive(path, members, options);
}
