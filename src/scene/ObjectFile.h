// Object files: scripts that describe scene objects one block after another.
// LoadObjectFile walks the kind lines and hands each block to the reader of
// its kind (objects/ObjectKinds.h), which reads it from ObjectFileHolder.
#pragma once
#include <cstddef>

class ArchiveFile;
class ObjectList;

// Reads the member (for example "planets.txt") and appends its objects to
// list. After every object and every "geometry" line it calls
// SendLoadProgress(), which redraws the loading screen in the saver.
// Reading stops at "ENDWORLD" or at the end of the member.
void LoadObjectFile(ObjectList& list, const char* member);

// The lines of one object block, read from a holder. Typical block reader:
//
//   BlockLines block(ObjectFileHolder);
//   char line[ArchiveFile::LineBufferSize];
//   if (!block.FindBegin(line)) return;      // no "begin" before the end
//   ... take the name from line, create the object ...
//   while (block.Next(line)) { keyword tests on line ... }
//
// Next delivers every line up to and including the first that begins with
// "end"; when the member ends first, its last line is the block's last.
class BlockLines {
public:
  explicit BlockLines(ArchiveFile& holder) : holder(holder) {}
  // Skips lines up to the first that begins with "begin" and leaves it in
  // line. False when the member ended without one.
  bool FindBegin(char* line);
  // Reads the next line of the block into line; false once the block is over.
  bool Next(char* line);

private:
  ArchiveFile& holder;
  bool done = false;
};
