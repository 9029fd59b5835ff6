// The settings store file: creation, reading, writing back without losing
// what it does not know, and surviving malformed files.
#include "platform/Registry.h"
#include "support/TestArchive.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>

namespace {

constexpr const char* Key = "Software\\Corvane\\Nimbrel";

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

class RegistryTest : public testing::Test {
protected:
  void SetUp() override {
    const char* old = getenv("XDG_CONFIG_HOME");
    hadOld = old != nullptr;
    if (old)
      oldValue = old;
    setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
  }
  void TearDown() override {
    if (hadOld)
      setenv("XDG_CONFIG_HOME", oldValue.c_str(), 1);
    else
      unsetenv("XDG_CONFIG_HOME");
  }
  std::string File() const { return dir.Path() + "/Corvane/Nimbrel.reg"; }
  void Prepare(const std::string& body) {
    std::string folder = dir.Path() + "/Corvane";
    std::string cmd = "mkdir -p '" + folder + "'";
    ASSERT_EQ(system(cmd.c_str()), 0);
    WriteText(File(), body);
  }

  TempDir dir;
  bool hadOld = false;
  std::string oldValue;
};

TEST_F(RegistryTest, FileLivesUnderTheConfigDirectory) {
  EXPECT_EQ(RegistryKey::FileForKey(Key), File());
  // No way out of the configuration folder through the key name.
  EXPECT_EQ(RegistryKey::FileForKey("Software\\..\\..\\etc\\x"), dir.Path() + "/etc/x.reg");
  // A relative XDG_CONFIG_HOME is not used.
  setenv("XDG_CONFIG_HOME", "relative/dir", 1);
  setenv("HOME", dir.Path().c_str(), 1);
  EXPECT_EQ(RegistryKey::FileForKey(Key), dir.Path() + "/.config/Corvane/Nimbrel.reg");
}

TEST_F(RegistryTest, OpeningCreatesTheKeyFile) {
  RegistryKey key;
  ASSERT_TRUE(key.Create(Key));
  uint32_t v = 7;
  EXPECT_FALSE(key.QueryDword("ShowClock", &v));
  EXPECT_EQ(v, 7u);
  key.Close();
  EXPECT_EQ(ReadText(File()), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Corvane\\Nimbrel]\n");
}

TEST_F(RegistryTest, ValuesRoundTripInExportFormat) {
  {
    RegistryKey key;
    key.Create(Key);
    key.SetDword("Width", 1280);
    key.SetDword("ShowClock", 1);
    key.SetString("Path", "C:\\Games\\\"Nimbrel\"");
  } // the destructor saves
  EXPECT_EQ(ReadText(File()), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Corvane\\Nimbrel]\n"
                              "\"Width\"=dword:00000500\n"
                              "\"ShowClock\"=dword:00000001\n"
                              "\"Path\"=\"C:\\\\Games\\\\\\\"Nimbrel\\\"\"\n");
  RegistryKey key;
  key.Create(Key);
  uint32_t w = 0;
  EXPECT_TRUE(key.QueryDword("Width", &w));
  EXPECT_EQ(w, 1280u);
  char path[64] = {};
  EXPECT_TRUE(key.QueryString("Path", path, sizeof path));
  EXPECT_STREQ(path, "C:\\Games\\\"Nimbrel\"");
  // A string is not a number and the other way round.
  EXPECT_FALSE(key.QueryDword("Path", &w));
  EXPECT_FALSE(key.QueryString("Width", path, sizeof path));
}

TEST_F(RegistryTest, SaveKeepsWhatItDoesNotKnowAndReplacesInPlace) {
  Prepare("REGEDIT4\r\n"
          "\r\n"
          "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
          "\"Width\"=dword:00000001\r\n"
          "\r\n"
          "[HKEY_CURRENT_USER\\Software\\Corvane\\Nimbrel]\r\n"
          "\"Gamma\"=dword:00000010\r\n"
          "\"Blob\"=hex:01,02,03\r\n"
          "; a note\r\n"
          "\"Width\"=dword:00000320\r\n"
          "\r\n"
          "[HKEY_CURRENT_USER\\Software\\Later]\r\n"
          "\"Keep\"=\"me\"\r\n");
  {
    RegistryKey key;
    key.Create(Key);
    uint32_t w = 0;
    ASSERT_TRUE(key.QueryDword("Width", &w));
    EXPECT_EQ(w, 800u); // from our section, not the other one
    key.SetDword("Width", 1024);
    key.SetDword("Height", 768);
  }
  EXPECT_EQ(ReadText(File()), "REGEDIT4\n"
                              "\n"
                              "[HKEY_CURRENT_USER\\Software\\Other]\n"
                              "\"Width\"=dword:00000001\n"
                              "\n"
                              "[HKEY_CURRENT_USER\\Software\\Corvane\\Nimbrel]\n"
                              "\"Gamma\"=dword:00000010\n"
                              "\"Blob\"=hex:01,02,03\n"
                              "; a note\n"
                              "\"Width\"=dword:00000400\n"
                              "\"Height\"=dword:00000300\n"
                              "\n"
                              "[HKEY_CURRENT_USER\\Software\\Later]\n"
                              "\"Keep\"=\"me\"\n");
  // No temporary file is left behind.
  DIR* d = opendir((dir.Path() + "/Corvane").c_str());
  ASSERT_NE(d, nullptr);
  int entries = 0;
  while (dirent* e = readdir(d))
    if (e->d_name[0] != '.')
      ++entries;
  closedir(d);
  EXPECT_EQ(entries, 1);
}

TEST_F(RegistryTest, MalformedLinesAreIgnored) {
  std::string body = "this is not a registry file\n"
                     "[HKEY_CURRENT_USER\\Software\\Corvane\\Nimbrel]\n"
                     "\"Width\"=dword:zz\n"
                     "\"Height\"=dword:123456789\n"
                     "\"Depth\"=dword:\n"
                     "\"Path\"=\"unterminated\n"
                     "\"Volume\"=dword:00000040\n"
                     "\"Unclosed=dword:00000001\n"
                     "=\n"
                     "\"";
  body += std::string("\0\xff\xfe garbage\n", 12);
  body += "\"Speed\"=dword:0000000a   \n"
          "\"Gamma\"=dword:00000001 trailing\n";
  Prepare(body);
  RegistryKey key;
  ASSERT_TRUE(key.Create(Key));
  uint32_t v = 0;
  EXPECT_FALSE(key.QueryDword("Width", &v));
  EXPECT_FALSE(key.QueryDword("Height", &v));
  EXPECT_FALSE(key.QueryDword("Depth", &v));
  EXPECT_FALSE(key.QueryDword("Gamma", &v));
  char path[16] = {};
  EXPECT_FALSE(key.QueryString("Path", path, sizeof path));
  ASSERT_TRUE(key.QueryDword("Volume", &v));
  EXPECT_EQ(v, 64u);
  ASSERT_TRUE(key.QueryDword("Speed", &v));
  EXPECT_EQ(v, 10u);
  // Writing over a malformed value gives a readable one.
  key.SetDword("Width", 640);
  key.Close();
  RegistryKey again;
  again.Create(Key);
  ASSERT_TRUE(again.QueryDword("Width", &v));
  EXPECT_EQ(v, 640u);
  std::string text = ReadText(File());
  EXPECT_EQ(text.rfind("REGEDIT4\n", 0), 0u); // the header is put in front
  EXPECT_NE(text.find("this is not a registry file"), std::string::npos);
}

TEST_F(RegistryTest, StringTooLongForTheBufferIsNotTaken) {
  {
    RegistryKey key;
    key.Create(Key);
    key.SetString("Path", std::string(300, 'x').c_str());
  }
  RegistryKey key;
  key.Create(Key);
  char buffer[255];
  memset(buffer, 'q', sizeof buffer);
  buffer[0] = '\0';
  EXPECT_FALSE(key.QueryString("Path", buffer, sizeof buffer));
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(buffer[1], 'q');
  char big[400];
  EXPECT_TRUE(key.QueryString("Path", big, sizeof big));
  EXPECT_EQ(strlen(big), 300u);
}

TEST_F(RegistryTest, DuplicateValuesReadTheLastAndCollapseOnWrite) {
  Prepare("REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Corvane\\Nimbrel]\n"
          "\"Speed\"=dword:00000001\n\"speed\"=dword:00000002\n");
  {
    RegistryKey key;
    key.Create(Key);
    uint32_t v = 0;
    ASSERT_TRUE(key.QueryDword("SPEED", &v));
    EXPECT_EQ(v, 2u);
    key.SetDword("Speed", 3);
  }
  EXPECT_EQ(
      ReadText(File()),
      "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Corvane\\Nimbrel]\n\"Speed\"=dword:00000003\n");
}

} // namespace
