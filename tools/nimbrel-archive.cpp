// nimbrel-archive: looks into and makes data.sdd archives (RAR 2.0).
//
//   nimbrel-archive list ARCHIVE
//       one line per file member: name, unpacked size, packed size, method,
//       unpack version
//   nimbrel-archive cat ARCHIVE MEMBER
//       the member's bytes to standard output, found as the saver finds it
//   nimbrel-archive pack ARCHIVE DIR [--store]
//       an archive of every file under DIR, names relative to DIR with
//       backslashes, in sorted order with fixed timestamps; each member
//       compressed where that makes it smaller, or stored with --store
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "resources/ArchiveFile.h"
#include "resources/RarReader.h"
#include "resources/RarWriter.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: nimbrel-archive list ARCHIVE\n"
                       "       nimbrel-archive cat ARCHIVE MEMBER\n"
                       "       nimbrel-archive pack ARCHIVE DIR [--store]\n");
  return 2;
}

int List(const char* path) {
  rar::FileSource source(path);
  if (!source.IsOpen()) {
    std::fprintf(stderr, "nimbrel-archive: cannot open %s\n", path);
    return 1;
  }
  rar::ArchiveInfo info;
  if (!rar::ReadArchiveInfo(source, info)) {
    std::fprintf(stderr, "nimbrel-archive: %s: %s\n", path, info.error.c_str());
    return 1;
  }
  for (const rar::MemberInfo& m : info.members) {
    std::printf("%s\t%llu\t%llu\t0x%02x\t%d\n", m.name.c_str(),
                static_cast<unsigned long long>(m.unpackedSize),
                static_cast<unsigned long long>(m.packedSize), m.method, m.unpackVersion);
  }
  if (!info.complete) {
    std::fprintf(stderr, "nimbrel-archive: %s: %s\n", path, info.error.c_str());
    return 1;
  }
  return 0;
}

int Cat(const char* path, const char* member) {
  ArchiveFile file;
  if (!file.OpenFrom(path, member)) {
    std::string error; // ask again, for the reason
    uint8_t* data = nullptr;
    uint32_t size = 0;
    if (rar::ExtractByName(path, member, &data, &size, &error)) {
      delete[] data;
      error = "cannot read the member";
    }
    std::fprintf(stderr, "nimbrel-archive: %s: %s: %s\n", path, member, error.c_str());
    return 1;
  }
  bool ok = file.size == 0 || std::fwrite(file.data, 1, file.size, stdout) == file.size;
  ok = std::fflush(stdout) == 0 && ok;
  if (!ok) {
    std::fprintf(stderr, "nimbrel-archive: cannot write the member\n");
    return 1;
  }
  return 0;
}

int Pack(const char* path, const char* dir, bool storeOnly) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) {
    std::fprintf(stderr, "nimbrel-archive: %s is not a directory\n", dir);
    return 1;
  }
  std::vector<std::string> names;
  fs::recursive_directory_iterator it(dir, fs::directory_options::follow_directory_symlink, ec);
  for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (!it->is_regular_file(ec))
      continue;
    std::string name = fs::relative(it->path(), dir, ec).generic_string();
    std::replace(name.begin(), name.end(), '/', '\\');
    names.push_back(name);
  }
  if (ec) {
    std::fprintf(stderr, "nimbrel-archive: cannot read %s: %s\n", dir, ec.message().c_str());
    return 1;
  }
  std::sort(names.begin(), names.end());
  std::vector<RarInputMember> members;
  for (const std::string& name : names) {
    std::string relative = name;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    std::ifstream in(fs::path(dir) / relative, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "nimbrel-archive: cannot read %s\n", relative.c_str());
      return 1;
    }
    RarInputMember m;
    m.name = name;
    m.data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    members.push_back(std::move(m));
  }
  if (!WriteRarArchive(path, members, storeOnly)) {
    std::fprintf(stderr, "nimbrel-archive: cannot write %s\n", path);
    return 1;
  }
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "list") == 0)
    return List(argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "cat") == 0)
    return Cat(argv[2], argv[3]);
  if ((argc == 4 || argc == 5) && std::strcmp(argv[1], "pack") == 0) {
    bool store = false;
    if (argc == 5) {
      if (std::strcmp(argv[4], "--store") != 0)
        return Usage();
      store = true;
    }
    return Pack(argv[2], argv[3], store);
  }
  return Usage();
}
