// One member of the data archive data.sdd, read whole into memory, with a
// cursor for reading it front to back and the script line reader.
#pragma once
#include <cstdint>

// The archive every member comes from, relative to the current directory.
constexpr const char* ArchiveFileName = "data.sdd";

class ArchiveFile {
public:
  ArchiveFile() = default;
  ArchiveFile(const ArchiveFile&) = delete;
  ArchiveFile& operator=(const ArchiveFile&) = delete;
  virtual ~ArchiveFile();

  // Reads the member (backslash or slash, any case) of data.sdd into memory.
  bool Open(const char* member);
  // Same, from an archive at the given path (tools and tests).
  bool OpenFrom(const char* archivePath, const char* member);
  void Close();

  // True once a read has gone past the last byte (cursor > size).
  bool AtEnd() const { return cursor > size; }
  // Copies n bytes at the cursor (bytes past the member are not copied) and
  // advances the cursor by n.
  void Read(void* destination, uint32_t n);
  // Read, unless AtEnd.
  void ReadChecked(void* destination, uint32_t n);
  // origin 0: from the start, 1: from the cursor, 2: back from the end.
  void Seek(int32_t offset, int origin);
  // Next line into a buffer of LineBufferSize bytes; see ArchiveFile.cpp.
  bool ReadLine(char* line);

  static constexpr int LineBufferSize = 128;

  char memberName[100] = {};
  uint8_t* data = nullptr;
  uint32_t size = 0;
  uint32_t cursor = 0;
};
