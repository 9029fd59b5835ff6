// nimbrel-render on small scenes made on the fly.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "scene/SceneTestUtil.h"
#include "support/TestArchive.h"

namespace {

struct ToolRun {
  int exitCode = -1;
  std::string out, err;
};

ToolRun RunTool(const std::string& arguments, const TempDir& dir) {
  std::string tool = std::string(NIMBREL_TEST_BIN_DIR) + "/nimbrel-render";
  std::string outFile = dir.File("stdout.txt"), errFile = dir.File("stderr.txt");
  std::string command = tool + " " + arguments + " >" + outFile + " 2>" + errFile;
  ToolRun run;
  int status = system(command.c_str());
  if (WIFEXITED(status))
    run.exitCode = WEXITSTATUS(status);
  std::ifstream o(outFile), e(errFile);
  std::stringstream os, es;
  os << o.rdbuf();
  es << e.rdbuf();
  run.out = os.str();
  run.err = es.str();
  return run;
}

uint32_t BigEndian(const std::string& s, size_t at) {
  return (uint32_t(uint8_t(s[at])) << 24) | (uint32_t(uint8_t(s[at + 1])) << 16) |
         (uint32_t(uint8_t(s[at + 2])) << 8) | uint32_t(uint8_t(s[at + 3]));
}

// Reads back an 8-bit RGB PNG as the tool writes it (one IDAT, filter 0 rows);
// checks every chunk's CRC.
bool ReadPng(const std::string& path, int& width, int& height, std::string& rgb) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  std::string png = ss.str();
  if (png.size() < 8 || png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0)
    return false;
  std::string idat;
  for (size_t at = 8; at + 12 <= png.size();) {
    uint32_t length = BigEndian(png, at);
    if (at + 12 + length > png.size())
      return false;
    std::string type = png.substr(at + 4, 4);
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(png.data() + at + 4), length + 4);
    if (crc != BigEndian(png, at + 8 + length))
      return false;
    if (type == "IHDR") {
      width = int(BigEndian(png, at + 8));
      height = int(BigEndian(png, at + 12));
      if (png[at + 16] != 8 || png[at + 17] != 2)
        return false;
    } else if (type == "IDAT") {
      idat += png.substr(at + 8, length);
    }
    at += 12 + length;
  }
  std::string raw(size_t(height) * (1 + 3 * size_t(width)), '\0');
  uLongf rawSize = raw.size();
  if (uncompress(reinterpret_cast<Bytef*>(raw.data()), &rawSize,
                 reinterpret_cast<const Bytef*>(idat.data()), idat.size()) != Z_OK ||
      rawSize != raw.size())
    return false;
  rgb.clear();
  for (int y = 0; y < height; ++y)
    rgb += raw.substr(size_t(y) * (1 + 3 * width) + 1, 3 * size_t(width));
  return true;
}

// A white unlit planet at the origin under a sky sphere, big enough to be
// seen from anywhere on the camera's path (30000 to 90000 units out).
TestMembers SmallScene() {
  std::string sphere = DatBytes(UnitSphereMesh());
  return {{"texture.txt", "END_TEXT\n"},
          {"meshes\\sphere.dat", sphere},
          {"meshes\\env.dat", sphere},
          {"env.txt", "env space\nfirstpass sky.txt\nend\nENV_END\n"},
          {"sky.txt", "sphere\nbegin sky\nenv\nradius 100\nalpha 0.5\nend\nENDWORLD\n"},
          {"planets.txt", "sphere\nbegin planet\norbit\nposition V(0 0 0)\nradius 20000\nlight\n"
                          "end\nsphere\nbegin moon\nmoon\norbit\nposition V(30000 0 0)\n"
                          "radius 3000\nend\nENDWORLD\n"},
          {"worlds.txt", "world world\nenv space\nobjects planets.txt\nend\nWORLD_END\n"}};
}

TEST(RenderTool, DrawsASmallSceneIntoANonBlackPng) {
  TempDir dir;
  ASSERT_TRUE(WriteTestArchive(dir.File("data.sdd"), SmallScene()));
  std::string png = dir.File("frame.png");
  ToolRun run =
      RunTool("--data " + dir.Path() + " --size 96x72 --frames 5 --seed 3 --out " + png, dir);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("load_ms="), std::string::npos) << run.out;
  EXPECT_NE(run.out.find(" frames=5 "), std::string::npos) << run.out;
  for (const char* key : {"frame_ms_mean=", "frame_ms_p50=", "frame_ms_p99=", "peak_rss_mb="})
    EXPECT_NE(run.out.find(key), std::string::npos) << key;

  int width = 0, height = 0;
  std::string rgb;
  ASSERT_TRUE(ReadPng(png, width, height, rgb));
  EXPECT_EQ(width, 96);
  EXPECT_EQ(height, 72);
  size_t lit = 0, white = 0;
  for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
    if (rgb[i] || rgb[i + 1] || rgb[i + 2])
      ++lit;
    if (uint8_t(rgb[i]) == 255 && uint8_t(rgb[i + 1]) == 255 && uint8_t(rgb[i + 2]) == 255)
      ++white;
  }
  EXPECT_EQ(lit, size_t(width) * height) << "the translucent sky covers every pixel";
  EXPECT_GT(white, 0u) << "the planet is drawn";
}

TEST(RenderTool, TheSameSeedGivesTheSamePicture) {
  TempDir dir;
  ASSERT_TRUE(WriteTestArchive(dir.File("data.sdd"), SmallScene()));
  std::string images[2];
  for (int i = 0; i < 2; ++i) {
    std::string png = dir.File("f" + std::to_string(i) + ".png");
    ToolRun run =
        RunTool("--data " + dir.Path() + " --size 64x48 --frames 3 --dt 0.5 --out " + png, dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    int w = 0, h = 0;
    ASSERT_TRUE(ReadPng(png, w, h, images[i]));
  }
  EXPECT_EQ(images[0], images[1]);
}

TEST(RenderTool, MissingDataOrWorldFailsWithAMessage) {
  TempDir dir;
  ToolRun missing = RunTool("--data " + dir.Path() + " --out " + dir.File("x.png"), dir);
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("data.sdd"), std::string::npos) << missing.err;

  TestMembers noWorld = SmallScene();
  noWorld.back().second = "world other\nend\nWORLD_END\n";
  ASSERT_TRUE(WriteTestArchive(dir.File("data.sdd"), noWorld));
  ToolRun run = RunTool("--data " + dir.Path() + " --size 32x24 --out " + dir.File("x.png"), dir);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("world"), std::string::npos) << run.err;
  std::ifstream png(dir.File("x.png"));
  EXPECT_FALSE(png.good()) << "no picture for a failed load";

  ToolRun bad = RunTool("--size 0x5", dir);
  EXPECT_EQ(bad.exitCode, 1);
}

} // namespace
