// nimbrel-archive as a user runs it: pack a directory, list it, cat members.
// Skipped when the tool has not been built next to the tests.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/TestArchive.h"

namespace {

std::string Tool() { return std::string(NIMBREL_TEST_BIN_DIR) + "/nimbrel-archive"; }

struct ToolRun {
  int status;
  std::string out;
};

// Runs the tool through the shell; stdout captured, stderr to errFile.
ToolRun RunTool(const std::string& arguments, const std::string& errFile) {
  std::string command = "'" + Tool() + "' " + arguments + " 2>'" + errFile + "'";
  ToolRun r{-1, ""};
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe)
    return r;
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
    r.out.append(buffer, n);
  int status = pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

class ArchiveTool : public testing::Test {
protected:
  void SetUp() override {
    if (!std::filesystem::exists(Tool()))
      GTEST_SKIP() << "nimbrel-archive not built";
    text = "begin\n  radius 5\nend\n";
    for (int i = 0; i < 200; ++i)
      text += "line " + std::to_string(i % 17) + "\n";
    binary.assign(5000, '\0');
    for (size_t i = 0; i < binary.size(); ++i)
      binary[i] = char((i * 7919) >> 3);
    WriteFile(dir.File("in/texture.txt"), text);
    WriteFile(dir.File("in/meshes/env.dat"), binary);
    WriteFile(dir.File("in/textures/b/empty.jpg"), "");
    WriteFile(dir.File("in/Z.txt"), "z");
  }

  TempDir dir;
  std::string text, binary;
};

TEST_F(ArchiveTool, PackListCat) {
  std::string err = dir.File("err");
  ToolRun pack = RunTool("pack '" + dir.File("a.sdd") + "' '" + dir.File("in") + "'", err);
  ASSERT_EQ(pack.status, 0) << ReadFile(err);
  ToolRun list = RunTool("list '" + dir.File("a.sdd") + "'", err);
  EXPECT_EQ(list.status, 0);
  // Sorted, backslashes, compressed where smaller.
  std::istringstream lines(list.out);
  std::string l1, l2, l3, l4, extra;
  std::getline(lines, l1);
  std::getline(lines, l2);
  std::getline(lines, l3);
  std::getline(lines, l4);
  EXPECT_FALSE(std::getline(lines, extra));
  EXPECT_EQ(l1.substr(0, l1.find('\t')), "Z.txt");
  EXPECT_EQ(l2.substr(0, l2.find('\t')), "meshes\\env.dat");
  EXPECT_EQ(l3.substr(0, l3.find('\t')), "texture.txt");
  EXPECT_EQ(l4, "textures\\b\\empty.jpg\t0\t0\t0x30\t20");
  EXPECT_NE(l3.find("\t0x33\t20"), std::string::npos) << l3;

  EXPECT_EQ(RunTool("cat '" + dir.File("a.sdd") + "' TEXTURE.TXT", err).out, text);
  EXPECT_EQ(RunTool("cat '" + dir.File("a.sdd") + "' meshes/env.dat", err).out, binary);
  ToolRun empty = RunTool("cat '" + dir.File("a.sdd") + "' 'textures\\b\\empty.jpg'", err);
  EXPECT_EQ(empty.status, 0);
  EXPECT_EQ(empty.out, "");

  ToolRun missing = RunTool("cat '" + dir.File("a.sdd") + "' nothing.txt", err);
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "");
  std::string message = ReadFile(err);
  EXPECT_FALSE(message.empty());
  EXPECT_EQ(message.find('\n'), message.size() - 1) << message; // one line
}

TEST_F(ArchiveTool, PackIsDeterministicAndStoreStores) {
  std::string err = dir.File("err");
  ASSERT_EQ(RunTool("pack '" + dir.File("a.sdd") + "' '" + dir.File("in") + "'", err).status, 0);
  ASSERT_EQ(RunTool("pack '" + dir.File("b.sdd") + "' '" + dir.File("in") + "'", err).status, 0);
  EXPECT_EQ(ReadFile(dir.File("a.sdd")), ReadFile(dir.File("b.sdd")));
  ASSERT_EQ(
      RunTool("pack '" + dir.File("s.sdd") + "' '" + dir.File("in") + "' --store", err).status, 0);
  ToolRun list = RunTool("list '" + dir.File("s.sdd") + "'", err);
  EXPECT_EQ(list.out.find("0x33"), std::string::npos) << list.out;
  EXPECT_EQ(RunTool("cat '" + dir.File("s.sdd") + "' texture.txt", err).out, text);
}

TEST_F(ArchiveTool, BadUse) {
  std::string err = dir.File("err");
  EXPECT_EQ(RunTool("cat '" + dir.File("none.sdd") + "' a", err).status, 1);
  EXPECT_EQ(RunTool("list '" + dir.File("none.sdd") + "'", err).status, 1);
  EXPECT_EQ(RunTool("pack '" + dir.File("x.sdd") + "' '" + dir.File("nodir") + "'", err).status, 1);
  EXPECT_NE(RunTool("frobnicate", err).status, 0);
  WriteFile(dir.File("junk.sdd"), "not an archive at all");
  EXPECT_EQ(RunTool("cat '" + dir.File("junk.sdd") + "' a", err).status, 1);
}

} // namespace
