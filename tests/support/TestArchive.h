// Archives made on the fly for tests.
//
// TestArchiveDir makes a fresh temporary directory, writes data.sdd there
// with the given members, and makes that directory the current directory for
// its lifetime, so ArchiveFile::Open (which reads data.sdd from the current
// directory) sees exactly these members. The destructor goes back to the old
// current directory and deletes the temporary directory with all it holds.
//
//   #include "support/TestArchive.h"
//
//   TEST(Textures, ReadsTheList) {
//     TestArchiveDir dir({{"texture.txt", "sun.jpg\nEND_TEXT\n"},
//                         {"textures\\sun.jpg", JpegBytes()}});
//     ASSERT_TRUE(dir.Ok());
//     ArchiveFile f;
//     ASSERT_TRUE(f.Open("texture.txt"));
//     ...
//   }
//
// Member names are archive paths with backslashes ("meshes\\env.dat"); their
// bytes are given as std::string (binary is fine: std::string(ptr, n)).
// Members are written in the order given, so a test can put two members with
// matching names in and see that the first one is taken. Pass
// TestArchiveDir::Compressed to compress members with our RAR 2.0 encoder
// (each member is still stored when that is not smaller).
//
// Other helpers: WriteTestArchive writes an archive anywhere without
// changing directory; TempDir is just the temporary directory, without an
// archive and without changing directory.
#pragma once
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

using TestMembers = std::vector<std::pair<std::string, std::string>>;

// Writes an archive with these members to path; true on success.
bool WriteTestArchive(const std::string& path, const TestMembers& members, bool compressed = false);

// A fresh empty directory under $TMPDIR (or /tmp), deleted with everything in
// it when the object goes.
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path; }
  // Path() + "/" + name.
  std::string File(const std::string& name) const { return path + "/" + name; }

private:
  std::string path;
};

class TestArchiveDir {
public:
  enum Mode { Stored, Compressed };

  // Brace lists: TestArchiveDir dir({{"a.txt", "abc"}, {"b\\c.dat", bytes}});
  TestArchiveDir(std::initializer_list<std::pair<std::string, std::string>> members,
                 Mode mode = Stored);
  explicit TestArchiveDir(const TestMembers& members, Mode mode = Stored);
  explicit TestArchiveDir(const std::map<std::string, std::string>& members, Mode mode = Stored);
  ~TestArchiveDir();
  TestArchiveDir(const TestArchiveDir&) = delete;
  TestArchiveDir& operator=(const TestArchiveDir&) = delete;

  // True when the archive was written and the directory entered.
  bool Ok() const { return ok; }
  // The temporary directory (the current directory while this object lives).
  const std::string& Path() const { return dir.Path(); }
  // The full path of its data.sdd.
  std::string ArchivePath() const { return dir.File("data.sdd"); }

private:
  void Make(const TestMembers& members, Mode mode);

  TempDir dir;
  std::string oldCwd;
  bool ok = false;
};
