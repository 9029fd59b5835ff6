// Shared helpers of the fuzz targets: a private working directory holding the
// data.sdd the loaders read, inputs split into several archive members, and
// one offscreen OpenGL context per process for the loaders that upload.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

using FuzzMembers = std::vector<std::pair<std::string, std::string>>;

// A fresh temporary directory (made once per process, removed when it exits
// normally) that is the current directory while a FuzzWorkDir lives, so the
// loaders' data.sdd is found there. Leaving it again keeps paths relative to
// the starting directory (corpora, artifacts) working for libFuzzer.
class FuzzWorkDir {
public:
  FuzzWorkDir();
  ~FuzzWorkDir();
  FuzzWorkDir(const FuzzWorkDir&) = delete;
  FuzzWorkDir& operator=(const FuzzWorkDir&) = delete;

private:
  int oldDir = -1;
};

// Writes ./data.sdd holding these members, stored (no compression), in the
// order given. True when it was written.
bool WriteFuzzArchive(const FuzzMembers& members);

// The separator between members in a multi-member input: a line "----".
constexpr const char* FuzzMemberSeparator = "\n----\n";

// Splits an input at FuzzMemberSeparator into at most `names.size()` parts
// (the last part takes the rest) and pairs them with the names in order.
// Parts the input does not reach are left out.
FuzzMembers SplitFuzzInput(const uint8_t* data, size_t size, const std::vector<std::string>& names);

// Makes sure an offscreen OpenGL context is current (SDL's offscreen driver).
// With recycleEvery > 0 the context is destroyed and made afresh every that
// many calls; the targets pass 0 and free their lists and textures instead,
// since thousands of new contexts made the driver's memory grow until it
// crashed. Returns true when a context is current; callers still run
// without one (GL calls are then no-ops of the dispatch library and list
// names come back 0). `recycled` tells the caller that names it kept from
// before are gone.
bool FuzzGlBegin(int recycleEvery, bool* recycled = nullptr);

// Deletes, when it goes, every display list named while it lived (the scene
// loaders keep theirs for the whole run). Without it the driver's memory for
// them would grow with each input and make the leak checker scan every run.
class FuzzGlListScope {
public:
  FuzzGlListScope();
  ~FuzzGlListScope();
  FuzzGlListScope(const FuzzGlListScope&) = delete;
  FuzzGlListScope& operator=(const FuzzGlListScope&) = delete;

private:
  uint32_t first = 0;
};

// Allocations made while one lives are not leak-checked: for drawing, where
// the driver's generated code allocates through frames the checker cannot
// follow.
class FuzzIgnoreLeaks {
public:
  FuzzIgnoreLeaks();
  ~FuzzIgnoreLeaks();
  FuzzIgnoreLeaks(const FuzzIgnoreLeaks&) = delete;
  FuzzIgnoreLeaks& operator=(const FuzzIgnoreLeaks&) = delete;
};
