// Object files: scripts that describe scene objects one block after another.
// LoadObjectFile walks the kind lines and hands each block to the reader of
// its kind (objects/ObjectKinds.h), which reads it from ObjectFileHolder.
#pragma once
#include <cstddef>

class ArchiveFile;
class ObjectList;

// Reads the member (for example "planets.txt") and appends its objects to
// list. A progress report goes out after every object and "geometry" line.
// Reading stops at "ENDWORLD" or at the end of the member.
void LoadObjectFile(ObjectList& list, const char* member);

// Called after every object or geometry entry of an object file; by default
// it sends the loading-progress message to the saver window. Tests and tools
// may replace it (null: no report).
extern void (*ObjectFileProgress)();

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
