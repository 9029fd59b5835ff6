// Inputs the fuzzers found (tests/fuzz): image members of a few dozen bytes
// whose headers claim the largest picture the decoders accept. Decoding them
// held a gigabyte (TGA) or 768 MB (JPEG) of zeroes, and uploading that with
// its mipmaps took several gigabytes more, so one hostile texture could take
// the saver's memory. A tiny member must not turn into a huge image.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ImageTestHelpers.h"
#include "resources/ArchiveFile.h"
#include "resources/JpegImage.h"
#include "resources/TgaImage.h"
#include "support/TestArchive.h"

namespace {

// More than this many bytes of pixels from a member of under 1 KiB is a fault.
constexpr size_t MaxImageBytesFromTinyMember = 256u << 20;

std::string ClaimingHugeTga(uint8_t type) {
  imagetest::TgaHeader h;
  h.imageType = type;
  h.width = MaxImageSide;
  h.height = MaxImageSide;
  h.depth = 32;
  // One raw pixel (type 2) or one run-length packet of one pixel (type 10).
  return imagetest::MakeTga(h, type == 10 ? std::vector<uint8_t>{0x00, 1, 2, 3, 4}
                                          : std::vector<uint8_t>{1, 2, 3, 4});
}

TEST(ImageFuzzRegression, TinyTgaClaimingTheLargestSizeGivesNoHugeImage) {
  for (uint8_t type : {uint8_t(2), uint8_t(10)}) {
    SCOPED_TRACE(int(type));
    std::string member = ClaimingHugeTga(type);
    ASSERT_LT(member.size(), 1024u);
    TestArchiveDir dir({{"textures\\huge.tga", member}});
    ASSERT_TRUE(dir.Ok());
    TgaImage image;
    bool ok = LoadTga("textures\\huge.tga", image);
    size_t bytes = ok ? size_t(image.width) * image.height * (image.pixelDepth / 8) : 0;
    free(image.pixels);
    EXPECT_LE(bytes, MaxImageBytesFromTinyMember);
  }
}

TEST(ImageFuzzRegression, TinyJpegClaimingTheLargestSizeGivesNoHugeImage) {
  // A valid 8 x 8 JPEG whose frame header is made to say MaxImageSide square.
  std::string jpeg = imagetest::SolidJpeg(8, 8, 200, 100, 50);
  size_t sof = jpeg.find("\xff\xc0");
  ASSERT_NE(sof, std::string::npos);
  for (size_t at : {sof + 5, sof + 7}) { // height, then width, big-endian
    jpeg[at] = char(MaxImageSide >> 8);
    jpeg[at + 1] = char(MaxImageSide & 0xff);
  }
  ASSERT_LT(jpeg.size(), 1024u);
  JpegImage image;
  bool ok = DecodeJpeg(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size(), image);
  size_t bytes = ok ? size_t(image.rowBytes) * image.height : 0;
  free(image.pixels);
  EXPECT_LE(bytes, MaxImageBytesFromTinyMember);
}

} // namespace
