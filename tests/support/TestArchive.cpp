// Archives made on the fly for tests; see TestArchive.h.
#include "support/TestArchive.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "resources/RarWriter.h"

bool WriteTestArchive(const std::string& path, const TestMembers& members, bool compressed) {
  std::vector<RarInputMember> input;
  input.reserve(members.size());
  for (const auto& [name, bytes] : members)
    input.push_back(RarInputMember{name, std::vector<uint8_t>(bytes.begin(), bytes.end())});
  return WriteRarArchive(path, input, !compressed);
}

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/nimbrel-test-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back(0);
  if (mkdtemp(buffer.data()))
    path = buffer.data();
}

TempDir::~TempDir() {
  if (path.empty())
    return;
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

TestArchiveDir::TestArchiveDir(std::initializer_list<std::pair<std::string, std::string>> members,
                               Mode mode) {
  Make(TestMembers(members), mode);
}

TestArchiveDir::TestArchiveDir(const TestMembers& members, Mode mode) { Make(members, mode); }

TestArchiveDir::TestArchiveDir(const std::map<std::string, std::string>& members, Mode mode) {
  Make(TestMembers(members.begin(), members.end()), mode);
}

void TestArchiveDir::Make(const TestMembers& members, Mode mode) {
  if (dir.Path().empty())
    return;
  char cwd[PATH_MAX];
  if (!getcwd(cwd, sizeof cwd))
    return;
  oldCwd = cwd;
  if (!WriteTestArchive(ArchivePath(), members, mode == Compressed))
    return;
  if (chdir(dir.Path().c_str()) != 0)
    return;
  ok = true;
}

TestArchiveDir::~TestArchiveDir() {
  if (ok && !oldCwd.empty() && chdir(oldCwd.c_str()) != 0) {
    // Nothing sensible to do in a destructor; the directory is removed anyway.
  }
}
