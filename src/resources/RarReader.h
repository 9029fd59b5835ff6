// Our reader of RAR 1.5 - 2.x archives (the format of data.sdd): walks the
// block headers, finds a member by name and unpacks it (stored, or compressed
// with the RAR 1.5 or RAR 2.0 method, solid or not), checking its CRC-32.
// Damaged or hostile archives are ordinary input: every failure is a false
// result, never a crash or a read outside a buffer.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace rar {

// One file member (directory entries are not listed).
struct MemberInfo {
  std::string name; // the plain (non-Unicode) name as stored
  uint64_t packedSize = 0;
  uint64_t unpackedSize = 0;
  uint64_t dataOffset = 0;   // where the packed bytes start in the archive
  uint32_t crc = 0;          // CRC-32 of the unpacked bytes
  uint16_t flags = 0;        // file header flags (FileSolid, FileEncrypted, ...)
  uint8_t method = 0;        // 0x30 stored, 0x31 - 0x35 compressed
  uint8_t unpackVersion = 0; // 15 (RAR 1.5), 20 (RAR 2.0), ...
  uint8_t hostOs = 0;
};

struct ArchiveInfo {
  uint16_t flags = 0;              // archive header flags
  std::vector<MemberInfo> members; // in archive order
  bool complete = false;           // the walk reached the end cleanly
  std::string error;               // why it did not, when it did not
};

// Random access to the archive's bytes: a file or a buffer in memory.
class ByteSource {
public:
  virtual ~ByteSource() = default;
  virtual uint64_t Size() const = 0;
  // Reads exactly n bytes at offset; false when they are not all there.
  virtual bool ReadAt(uint64_t offset, void* destination, size_t n) = 0;
};

class FileSource : public ByteSource {
public:
  explicit FileSource(const char* path);
  ~FileSource() override;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;
  bool IsOpen() const { return file != nullptr; }
  uint64_t Size() const override { return size; }
  bool ReadAt(uint64_t offset, void* destination, size_t n) override;

private:
  std::FILE* file = nullptr;
  uint64_t size = 0;
};

class MemorySource : public ByteSource {
public:
  MemorySource(const uint8_t* data, size_t size) : data(data), size(size) {}
  uint64_t Size() const override { return size; }
  bool ReadAt(uint64_t offset, void* destination, size_t n) override;

private:
  const uint8_t* data;
  size_t size;
};

// Walks the archive's headers. With stopAtName set, stops after the first
// member whose name matches (NamesMatch). False when the source is not a
// RAR 1.5 - 2.x archive at all; a damaged header later on ends the walk with
// complete = false and the members read before it kept.
bool ReadArchiveInfo(ByteSource& source, ArchiveInfo& info, const char* stopAtName = nullptr);

// Case-insensitive comparison with '\\' and '/' alike.
bool NamesMatch(const char* a, const char* b);

// Unpacks member `index` of `info` (read from `source`), decoding the solid
// members before it when it needs them, and checks its CRC-32.
bool ExtractMember(ByteSource& source, const ArchiveInfo& info, size_t index,
                   std::vector<uint8_t>& out, std::string* error = nullptr);

// What ArchiveFile::Open asks for: the first member of the archive file at
// archivePath whose name matches, unpacked into a new[] block of its size (at
// least one byte is allocated, so an empty member gives a non-null block).
// On failure *data is null, *size 0 and the result false.
bool ExtractByName(const char* archivePath, const char* member, uint8_t** data, uint32_t* size,
                   std::string* error = nullptr);

} // namespace rar
