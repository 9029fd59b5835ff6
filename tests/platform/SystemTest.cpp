// Message boxes always leave one line on stderr; web addresses go to the
// browser opener.
#include "platform/System.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

std::string opened;
bool RecordOpen(const char* url) {
  opened = url;
  return true;
}

TEST(SystemTest, MessageBoxWritesOneLineOnStderr) {
  // The tests run on the offscreen driver: no box is shown, nothing waits.
  testing::internal::CaptureStderr();
  EXPECT_EQ(ShowMessageBox(0, "Cannot creat window!", "ERROR", MB_OK), IDOK);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: Cannot creat window!\n");
}

TEST(SystemTest, WebAddressGoesToTheOpener) {
  SetOpenWebAddressHook(RecordOpen);
  EXPECT_TRUE(OpenWebAddress("https://example.org/"));
  EXPECT_EQ(opened, "https://example.org/");
  EXPECT_FALSE(OpenWebAddress(""));
  SetOpenWebAddressHook(nullptr);

  // Without xdg-open on the PATH nothing can be started.
  std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
  setenv("PATH", "/nonexistent", 1);
  EXPECT_FALSE(OpenWebAddress("https://example.org/"));
  setenv("PATH", oldPath.c_str(), 1);
}

} // namespace
