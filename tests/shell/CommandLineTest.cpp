// Run mode and parent window from the whole command line.
#include "shell/SaverApp.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLineTest, EveryCase) {
  struct Case {
    const char* text;
    RunMode mode;
    uintptr_t parent;
  } cases[] = {
      {"nimbrel", RunMode::Configure, 0},
      {"nimbrel ", RunMode::Configure, 0},
      {"nimbrel hello world", RunMode::Configure, 0},
      {"", RunMode::Configure, 0},
      {"nimbrel /c", RunMode::Configure, 0},
      {"nimbrel -c", RunMode::Configure, 0},
      {"nimbrel /C:1234", RunMode::Configure, 1234},
      {"nimbrel /c 1234", RunMode::Configure, 1234},
      {"nimbrel /c:12ab34", RunMode::Configure, 12},
      {"nimbrel /p 1234", RunMode::Preview, 1234},
      {"nimbrel -p 1234", RunMode::Preview, 1234},
      {"nimbrel /P:99", RunMode::Preview, 99},
      {"nimbrel /p", RunMode::Preview, 0},
      {"nimbrel /s", RunMode::Saver, 0},
      {"nimbrel /S", RunMode::Saver, 0},
      {"nimbrel -s", RunMode::Saver, 0},
      {"nimbrel /t", RunMode::Saver, 0},
      {"nimbrel /x", RunMode::Saver, 0},
      {"nimbrel /", RunMode::Saver, 0},
      {"nimbrel /s 55", RunMode::Saver, 0},
      // The program name is skipped whole, quoted or not.
      {"\"C:\\Program Files\\my-saver /p\\nimbrel.scr\" /s", RunMode::Saver, 0},
      {"\"/usr/local/my saver/-c/nimbrel\" /p 12", RunMode::Preview, 12},
      {"\"/unterminated /p 12", RunMode::Configure, 0},
      {"/usr/bin/nimbrel-c /s", RunMode::Saver, 0},
      // The first '/' or '-' after the name decides, even inside a word.
      {"nimbrel a-p 5", RunMode::Preview, 5},
      {"nimbrel foo/c:7 /s", RunMode::Configure, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SaverApp app;
    app.parentWindow = 4242;
    EXPECT_EQ(app.ParseCommandLine(c.text), c.mode);
    EXPECT_EQ(app.parentWindow, c.parent);
  }
}

TEST(CommandLineTest, ProcessCommandLineQuotesArgumentsWithSpaces) {
  const char* argv[] = {"/opt/my saver/nimbrel", "/p", "77"};
  SetProcessCommandLine(3, argv);
  EXPECT_STREQ(ProcessCommandLine(), "\"/opt/my saver/nimbrel\" /p 77");
  SaverApp app;
  EXPECT_EQ(app.ParseCommandLine(ProcessCommandLine()), RunMode::Preview);
  EXPECT_EQ(app.parentWindow, 77u);
}

} // namespace
