// The preview's failure path and the user interface's pictures. Showing the
// picture inside a real parent window is checked under Xvfb by
// tests/e2e/preview_window.sh.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "ui/Pictures.h"
#include "ui/Preview.h"

namespace ui {
namespace {

TEST(Preview, WithoutAParentWindowReportsAndReturns) {
  setenv("NIMBREL_NO_MESSAGE_BOX", "1", 1);
  for (unsigned long parent : {0ul, 0x7ffffffful}) {
    testing::internal::CaptureStderr();
    RunPreviewWindow(parent);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("ERROR: Cannot creat window!"), std::string::npos) << parent << ": " << err;
  }
}

TEST(Pictures, HaveTheSizesTheWindowsExpect) {
  struct Case {
    const Picture& picture;
    int width, height;
  } cases[] = {{PreviewPicture(), 155, 115}, {DecorationPicture(), 263, 179}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.picture.width, c.width);
    EXPECT_EQ(c.picture.height, c.height);
    ASSERT_EQ(c.picture.rgb.size(), (size_t)c.width * c.height * 3);
    // A real picture: many colours, not one flat fill.
    std::set<uint32_t> colours;
    for (size_t i = 0; i < c.picture.rgb.size(); i += 3)
      colours.insert(c.picture.rgb[i] << 16 | c.picture.rgb[i + 1] << 8 | c.picture.rgb[i + 2]);
    EXPECT_GT(colours.size(), 50u);
  }
  EXPECT_EQ(&PreviewPicture(), &PreviewPicture()) << "made once";
}

// For tests/e2e/preview_window.sh: the picture the preview must show, as raw
// RGB bytes, into the file NIMBREL_WRITE_PREVIEW_RGB names.
TEST(Pictures, WritesThePreviewPictureWhenAsked) {
  const char* path = getenv("NIMBREL_WRITE_PREVIEW_RGB");
  if (!path)
    GTEST_SKIP() << "only for the preview window's end-to-end test";
  FILE* f = fopen(path, "wb");
  ASSERT_NE(f, nullptr) << path;
  const Picture& p = PreviewPicture();
  EXPECT_EQ(fwrite(p.rgb.data(), 1, p.rgb.size(), f), p.rgb.size());
  fclose(f);
}

} // namespace
} // namespace ui
