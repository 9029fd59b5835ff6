// Archives as they come: the input is data.sdd. Walks the headers and unpacks
// every listed member straight from memory, then opens members through
// ArchiveFile (which reads the file from disk) by the names the walk found.
#include <cstdio>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "resources/ArchiveFile.h"
#include "resources/RarFormat.h"
#include "resources/RarReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
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
