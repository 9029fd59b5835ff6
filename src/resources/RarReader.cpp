// The RAR 1.5 - 2.x archive walker and member extraction; see RarReader.h.
#include "resources/RarReader.h"

#include <zlib.h>

#include <cstring>
#include <memory>
#include <new>

#include "resources/RarFormat.h"
#include "resources/RarUnpack.h"

namespace rar {

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc) {
  uLong c = crc;
  while (size > 0) {
    uInt chunk = size > 0x40000000u ? 0x40000000u : uInt(size);
    c = crc32(c, data, chunk);
    data += chunk;
    size -= chunk;
  }
  return uint32_t(c);
}

FileSource::FileSource(const char* path) {
  file = std::fopen(path, "rb");
  if (!file)
    return;
  if (std::fseek(file, 0, SEEK_END) != 0) {
    std::fclose(file);
    file = nullptr;
    return;
  }
  long end = std::ftell(file);
  if (end < 0) {
    std::fclose(file);
    file = nullptr;
    return;
  }
  size = uint64_t(end);
}

FileSource::~FileSource() {
  if (file)
    std::fclose(file);
}

bool FileSource::ReadAt(uint64_t offset, void* destination, size_t n) {
  if (!file || offset > size || n > size - offset)
    return false;
  if (n == 0)
    return true;
  if (std::fseek(file, long(offset), SEEK_SET) != 0)
    return false;
  return std::fread(destination, 1, n, file) == n;
}

bool MemorySource::ReadAt(uint64_t offset, void* destination, size_t n) {
  if (offset > size || n > size - offset)
    return false;
  if (n)
    std::memcpy(destination, data + offset, n);
  return true;
}

namespace {

char FoldChar(char c) {
  if (c == '/')
    return '\\';
  if (c >= 'a' && c <= 'z')
    return char(c - 'a' + 'A');
  return c;
}

bool Fail(std::string* error, const char* message) {
  if (error)
    *error = message;
  return false;
}

// The low 16 bits of the CRC-32 of a header's bytes after HEAD_CRC.
uint16_t HeaderCrc(const uint8_t* header, size_t size) {
  return uint16_t(Crc32(header + 2, size - 2) & 0xffff);
}

} // namespace

bool NamesMatch(const char* a, const char* b) {
  for (;; ++a, ++b) {
    if (FoldChar(*a) != FoldChar(*b))
      return false;
    if (*a == 0)
      return true;
  }
}

bool ReadArchiveInfo(ByteSource& source, ArchiveInfo& info, const char* stopAtName) {
  info = ArchiveInfo();
  const uint64_t fileSize = source.Size();
  uint8_t mark[8];
  if (!source.ReadAt(0, mark, MarkerSize)) {
    info.error = "not a RAR archive (too short)";
    return false;
  }
  if (std::memcmp(mark, Marker, 6) == 0 && mark[6] == 0x01) {
    info.error = "RAR 5 archives are not supported";
    return false;
  }
  if (std::memcmp(mark, Marker, MarkerSize) != 0) {
    info.error = std::memcmp(mark, "RE~^", 4) == 0 ? "RAR 1.4 archives are not supported"
                                                   : "not a RAR archive";
    return false;
  }

  // The archive header.
  uint8_t arc[ArchiveHeaderSize];
  if (!source.ReadAt(MarkerSize, arc, ArchiveHeaderSize) || arc[2] != BlockArchive) {
    info.error = "missing archive header";
    return false;
  }
  uint16_t arcSize = Get16(arc + 5);
  if (arcSize < ArchiveHeaderSize || MarkerSize + arcSize > fileSize) {
    info.error = "bad archive header size";
    return false;
  }
  {
    std::vector<uint8_t> whole(arcSize);
    if (!source.ReadAt(MarkerSize, whole.data(), arcSize)) {
      info.error = "truncated archive header";
      return false;
    }
    uint16_t stored = Get16(whole.data());
    if (stored != HeaderCrc(whole.data(), ArchiveHeaderSize) &&
        stored != HeaderCrc(whole.data(), arcSize)) {
      info.error = "archive header CRC mismatch";
      return false;
    }
  }
  info.flags = Get16(arc + 3);
  if (info.flags & ArcEncryptedHeaders) {
    info.error = "encrypted headers are not supported";
    return false;
  }
  if (info.flags & ArcVolume) {
    info.error = "multi-volume archives are not supported";
    return false;
  }

  uint64_t pos = MarkerSize + arcSize;
  std::vector<uint8_t> header;
  while (pos < fileSize) {
    uint8_t base[BaseHeaderSize];
    if (!source.ReadAt(pos, base, BaseHeaderSize)) {
      info.error = "truncated block header";
      return true;
    }
    uint8_t type = base[2];
    uint16_t flags = Get16(base + 3);
    uint16_t headSize = Get16(base + 5);
    if (headSize < BaseHeaderSize || pos + headSize > fileSize) {
      info.error = "bad block header size";
      return true;
    }
    if (type == BlockEnd) {
      info.complete = true;
      return true;
    }
    header.resize(headSize);
    if (!source.ReadAt(pos, header.data(), headSize)) {
      info.error = "truncated block header";
      return true;
    }
    uint64_t addSize = 0;
    if (flags & FlagLongBlock) {
      if (headSize < BaseHeaderSize + 4) {
        info.error = "bad block header size";
        return true;
      }
      addSize = Get32(header.data() + 7);
    }

    if (type != BlockFile) {
      // Comments, authenticity information, recovery records, subblocks:
      // skipped by their declared sizes. Their header CRC is checked as a
      // whole header when it matches that way, otherwise not at all (older
      // archivers differ in what they cover).
      uint64_t next = pos + headSize + addSize;
      if (next > fileSize) {
        info.error = "block extends beyond the end of the file";
        return true;
      }
      pos = next;
      continue;
    }

    if (headSize < FileHeaderFixedSize) {
      info.error = "file header too short";
      return true;
    }
    const uint8_t* h = header.data();
    MemberInfo m;
    m.flags = flags;
    m.packedSize = Get32(h + 7);
    m.unpackedSize = Get32(h + 11);
    m.hostOs = h[15];
    m.crc = Get32(h + 16);
    m.unpackVersion = h[24];
    m.method = h[25];
    uint16_t nameSize = Get16(h + 26);
    size_t nameAt = FileHeaderFixedSize;
    if (flags & FileLarge) {
      if (headSize < FileHeaderFixedSize + 8) {
        info.error = "file header too short";
        return true;
      }
      m.packedSize |= uint64_t(Get32(h + 32)) << 32;
      m.unpackedSize |= uint64_t(Get32(h + 36)) << 32;
      nameAt += 8;
    }
    if (nameAt + nameSize > headSize) {
      info.error = "file name beyond its header";
      return true;
    }
    uint16_t stored = Get16(h);
    if (stored != HeaderCrc(h, headSize) && stored != HeaderCrc(h, nameAt + nameSize)) {
      info.error = "file header CRC mismatch";
      return true;
    }
    // The plain name: up to the NUL that separates the encoded Unicode name.
    const char* name = reinterpret_cast<const char*>(h + nameAt);
    size_t plain = 0;
    while (plain < nameSize && name[plain] != 0)
      ++plain;
    m.name.assign(name, plain);
    m.dataOffset = pos + headSize;
    if (m.packedSize > fileSize || m.dataOffset + m.packedSize > fileSize) {
      info.error = "member data extends beyond the end of the file";
      return true;
    }
    pos = m.dataOffset + m.packedSize;
    // Directories: RAR 2.0 and later give them the directory window value;
    // RAR 1.5 marks them only with the MS-DOS directory attribute.
    const uint32_t attributes = Get32(h + 28);
    const bool dosAttributes =
        m.hostOs == HostMsDos || m.hostOs == HostOs2 || m.hostOs == HostWin32;
    if ((flags & FileDictMask) == FileDirectory ||
        (m.unpackVersion < UnpackVersion20 && dosAttributes && (attributes & DosAttrDirectory)))
      continue;
    info.members.push_back(m);
    if (stopAtName && NamesMatch(m.name.c_str(), stopAtName))
      return true;
  }
  info.complete = true;
  return true;
}

namespace {

// Checks what every unpacked member needs; false with a reason otherwise.
bool CheckUnpackable(const MemberInfo& m, std::string* error) {
  if (m.flags & FileEncrypted)
    return Fail(error, "member is encrypted");
  if (m.flags & (FileSplitBefore | FileSplitAfter))
    return Fail(error, "member spans volumes");
  if (m.unpackedSize > MaxUnpackedSize)
    return Fail(error, "member is too large");
  if (m.method == MethodStore) {
    if (m.packedSize != m.unpackedSize)
      return Fail(error, "stored member sizes differ");
    return true;
  }
  if (m.method < MethodFastest || m.method > MethodBest)
    return Fail(error, "unknown method");
  if (!Unpacker::Supports(m.unpackVersion))
    return Fail(error, "unsupported unpack version");
  if (m.packedSize > MaxUnpackedSize + (MaxUnpackedSize >> 2))
    return Fail(error, "packed member is too large");
  return true;
}

// Whether member `index` continues the window and state of the compressed
// members before it. RAR 2.0 and later say so in each file header; RAR 1.5
// does not set that flag, and in its solid archives every member after the
// first continues.
bool ContinuesSolid(const ArchiveInfo& info, size_t index) {
  const MemberInfo& m = info.members[index];
  if (m.flags & FileSolid)
    return true;
  return m.unpackVersion < UnpackVersion20 && (info.flags & ArcSolid) != 0 && index > 0;
}

bool ReadPacked(ByteSource& source, const MemberInfo& m, std::vector<uint8_t>& packed,
                std::string* error) {
  packed.resize(size_t(m.packedSize));
  if (!source.ReadAt(m.dataOffset, packed.data(), packed.size()))
    return Fail(error, "member data truncated");
  return true;
}

} // namespace

bool ExtractMember(ByteSource& source, const ArchiveInfo& info, size_t index,
                   std::vector<uint8_t>& out, std::string* error) {
  out.clear();
  if (index >= info.members.size())
    return Fail(error, "no such member");
  const MemberInfo& target = info.members[index];
  if (!CheckUnpackable(target, error))
    return false;
  std::vector<uint8_t> packed;
  if (!ReadPacked(source, target, packed, error))
    return false;

  out.resize(size_t(target.unpackedSize));

  if (target.method == MethodStore) {
    if (!out.empty())
      std::memcpy(out.data(), packed.data(), out.size());
  } else {
    bool solidChain = ContinuesSolid(info, index);
    std::unique_ptr<Unpacker> unpacker(new (std::nothrow) Unpacker(
        solidChain ? Unpacker::MaxWindowSize : Unpacker::WindowFor(target.unpackedSize)));
    if (!unpacker)
      return Fail(error, "out of memory");
    // A solid member continues the window of the compressed members before
    // it, back to the last one that started afresh.
    if (solidChain) {
      size_t first = index;
      while (first > 0) {
        const MemberInfo& m = info.members[first - 1];
        if (m.method == MethodStore) { // stored members do not touch the window
          --first;
          continue;
        }
        --first;
        if (!ContinuesSolid(info, first))
          break;
      }
      std::vector<uint8_t> previousPacked, previousOut;
      bool decodedAny = false;
      for (size_t i = first; i < index; ++i) {
        const MemberInfo& m = info.members[i];
        if (m.method == MethodStore)
          continue;
        if (!CheckUnpackable(m, error))
          return false;
        if (!ReadPacked(source, m, previousPacked, error))
          return false;
        previousOut.resize(size_t(m.unpackedSize));
        if (!unpacker->Unpack(m.unpackVersion, previousPacked.data(), previousPacked.size(),
                              decodedAny, previousOut.data(), previousOut.size()))
          return Fail(error, "corrupt data in an earlier solid member");
        decodedAny = true;
      }
      if (!unpacker->Unpack(target.unpackVersion, packed.data(), packed.size(), decodedAny,
                            out.data(), out.size())) {
        out.clear();
        return Fail(error, "corrupt compressed data");
      }
    } else if (!unpacker->Unpack(target.unpackVersion, packed.data(), packed.size(), false,
                                 out.data(), out.size())) {
      out.clear();
      return Fail(error, "corrupt compressed data");
    }
  }

  if (Crc32(out.data(), out.size()) != target.crc) {
    out.clear();
    return Fail(error, "CRC mismatch");
  }
  return true;
}

bool ExtractByName(const char* archivePath, const char* member, uint8_t** data, uint32_t* size,
                   std::string* error) {
  *data = nullptr;
  *size = 0;
  FileSource source(archivePath);
  if (!source.IsOpen())
    return Fail(error, "cannot open the archive");
  ArchiveInfo info;
  if (!ReadArchiveInfo(source, info, member))
    return Fail(error, info.error.c_str());
  if (info.members.empty() || !NamesMatch(info.members.back().name.c_str(), member))
    return Fail(error, info.complete ? "no such member" : info.error.c_str());
  std::vector<uint8_t> out;
  if (!ExtractMember(source, info, info.members.size() - 1, out, error))
    return false;
  uint8_t* block = new (std::nothrow) uint8_t[out.empty() ? 1 : out.size()];
  if (!block)
    return Fail(error, "out of memory");
  if (!out.empty())
    std::memcpy(block, out.data(), out.size());
  *data = block;
  *size = uint32_t(out.size());
  return true;
}

} // namespace rar
