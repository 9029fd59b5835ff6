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

  // Reads the member (backslash or slash, any case; the first match) of
  // data.sdd in the current directory into memory, after copying its name
  // into memberName. False, with nothing held, when the archive or member is
  // missing, damaged, encrypted or of a method we do not read; a holder left
  // empty reads as an empty member.
  bool Open(const char* member);
  // Same, from an archive at the given path (tools and tests).
  bool OpenFrom(const char* archivePath, const char* member);
  void Close();

  // True once a read has gone past the last byte (cursor > size).
  bool AtEnd() const { return cursor > size; }
  // Copies n bytes at the cursor (bytes past the member are not copied: the
  // destination keeps what it had there) and advances the cursor by n (it
  // stops at the largest value rather than wrap around).
  void Read(void* destination, uint32_t n);
  // Read, unless AtEnd.
  void ReadChecked(void* destination, uint32_t n);
  // origin 0: from the start, 1: from the cursor, 2: back from the end.
  void Seek(int32_t offset, int origin);
  // Next line into a buffer of LineBufferSize bytes: leading spaces, the
  // line feed and carriage returns dropped, cut at LineBufferSize - 1
  // characters (the rest of a longer line is skipped). True when a line feed
  // ended it; false at the end of the member. See ArchiveFile.cpp.
  bool ReadLine(char* line);

  static constexpr int LineBufferSize = 128;

  char memberName[100] = {};
  uint8_t* data = nullptr;
  uint32_t size = 0;
  uint32_t cursor = 0;
};
