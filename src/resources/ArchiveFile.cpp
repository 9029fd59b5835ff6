// ArchiveFile: one member of data.sdd in memory, and its script line reader.
#include "resources/ArchiveFile.h"

#include <cstring>

#include "resources/RarReader.h"

ArchiveFile::~ArchiveFile() { Close(); }

bool ArchiveFile::Open(const char* member) { return OpenFrom(ArchiveFileName, member); }

bool ArchiveFile::OpenFrom(const char* archivePath, const char* member) {
  // The callers Close before reusing a holder; a holder that still holds a
  // member frees it rather than leak it.
  Close();
  if (!member)
    member = "";
  std::strncpy(memberName, member, sizeof(memberName) - 1);
  memberName[sizeof(memberName) - 1] = 0;
  uint8_t* block = nullptr;
  uint32_t length = 0;
  if (!archivePath || !rar::ExtractByName(archivePath, member, &block, &length))
    return false;
  data = block;
  size = length;
  return true;
}

void ArchiveFile::Close() {
  delete[] data;
  data = nullptr;
  size = 0;
  cursor = 0;
}

void ArchiveFile::Read(void* destination, uint32_t n) {
  if (cursor < size && n > 0) {
    uint32_t available = size - cursor;
    uint32_t count = n < available ? n : available;
    std::memcpy(destination, data + cursor, count);
  }
  // The cursor moves by n even past the end; it stops at the largest value
  // rather than wrap around to the start.
  uint64_t moved = uint64_t(cursor) + n;
  cursor = moved > 0xffffffffu ? 0xffffffffu : uint32_t(moved);
}

void ArchiveFile::ReadChecked(void* destination, uint32_t n) {
  if (!AtEnd())
    Read(destination, n);
}

void ArchiveFile::Seek(int32_t offset, int origin) {
  switch (origin) {
  case 0:
    cursor = uint32_t(offset);
    break;
  case 1:
    cursor += uint32_t(offset);
    break;
  case 2:
    cursor = size - uint32_t(offset);
    break;
  default:
    break;
  }
}

// The next line, without its line feed and carriage returns and
// without the spaces that begin it, into a buffer of LineBufferSize bytes.
// True when a line feed ended the line, false when the member ran out first
// (then every further call gives the empty string and false). A line longer
// than LineBufferSize - 1 characters is cut there; the rest of it is read and
// dropped, so the next call starts at the next line.
bool ArchiveFile::ReadLine(char* line) {
  int length = 0;
  line[0] = 0;
  char c = 0;
  Read(&c, 1);
  while (c == ' ' && !AtEnd())
    Read(&c, 1);
  while (c != '\n' && !AtEnd()) {
    if (c != '\r' && length < LineBufferSize - 1)
      line[length++] = c;
    Read(&c, 1);
  }
  line[length] = 0;
  return !AtEnd();
}
