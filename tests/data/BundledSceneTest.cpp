// The bundled scene as the build makes it: <build>/data/data.sdd, the tree it
// was packed from, and the generators. The archive must hold every member the
// saver reads, and the scene must load through the real loaders with nothing
// missing.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>
#include <GL/gl.h>
#include <SDL2/SDL_mixer.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

#include "objects/Sphere.h"
#include "resources/ArchiveFile.h"
#include "resources/JpegImage.h"
#include "resources/TextureCatalogue.h"
#include "scene/Environment.h"
#include "scene/GeometryStore.h"
#include "scene/ObjectList.h"
#include "scene/World.h"
#include "support/GlTestContext.h"
#include "support/TestArchive.h"

namespace fs = std::filesystem;

namespace {

const std::string DataDir = std::string(NIMBREL_TEST_BIN_DIR) + "/data";
const std::string ArchivePath = DataDir + "/data.sdd";

// Builds without the bundled data (NIMBREL_DATA off) have nothing to test.
#define REQUIRE_ARCHIVE()                                                                          \
  do {                                                                                             \
    if (!fs::exists(ArchivePath))                                                                  \
      GTEST_SKIP() << ArchivePath << " was not built (NIMBREL_DATA is off)";                       \
  } while (0)

std::vector<std::string> MemberLines(const std::string& member) {
  std::vector<std::string> lines;
  ArchiveFile f;
  if (!f.OpenFrom(ArchivePath.c_str(), member.c_str()))
    return lines;
  char line[ArchiveFile::LineBufferSize];
  for (;;) {
    bool more = f.ReadLine(line);
    lines.push_back(line);
    if (!more)
      break;
  }
  return lines;
}

bool Begins(const std::string& line, const char* keyword) {
  return line.compare(0, strlen(keyword), keyword) == 0;
}

// The second word of a line such as "objects planets.txt".
std::string Word(const std::string& line, const char* pattern) {
  char word[128] = {};
  sscanf(line.c_str(), pattern, word);
  return word;
}

bool HasMember(const std::string& member) {
  ArchiveFile f;
  return f.OpenFrom(ArchivePath.c_str(), member.c_str());
}

// What the scripts refer to, gathered the way the loaders read them.
struct SceneScripts {
  std::vector<std::string> textureFiles; // lines of texture.txt
  std::vector<std::string> objectFiles;  // named by env.txt and worlds.txt
  std::vector<std::string> meshes;       // "geometry" lines
  std::vector<std::string> textureUses;  // "texture", "\tmap1", "\ttexture" words
  std::vector<std::string> parents;      // words of "parent" lines
  std::vector<std::string> worlds;       // names of "world" blocks
  int objectBlocks = 0;                  // kind lines in all object files

  void Read() {
    for (const std::string& line : MemberLines("texture.txt")) {
      if (Begins(line, "END_TEXT"))
        break;
      if (!Word(line, "%127s").empty())
        textureFiles.push_back(Word(line, "%127s"));
    }
    for (const std::string& line : MemberLines("env.txt")) {
      if (Begins(line, "firstpass"))
        objectFiles.push_back(Word(line, "firstpass %127s"));
      if (Begins(line, "postpass"))
        objectFiles.push_back(Word(line, "postpass %127s"));
    }
    for (const std::string& line : MemberLines("worlds.txt")) {
      if (Begins(line, "world") && !Begins(line, "WORLD_END"))
        worlds.push_back(Word(line, "world %127s"));
      if (Begins(line, "objects"))
        objectFiles.push_back(Word(line, "objects %127s"));
    }
    const char* kinds[] = {"sphere", "billboard", "flare", "mesh", "flame", "ps"};
    for (const std::string& file : objectFiles)
      for (const std::string& line : MemberLines(file)) {
        for (const char* kind : kinds)
          if (line == kind)
            ++objectBlocks;
        if (Begins(line, "geometry"))
          meshes.push_back(Word(line, "geometry %127s"));
        if (Begins(line, "texture"))
          textureUses.push_back(Word(line, "texture %127s"));
        if (Begins(line, "\ttexture"))
          textureUses.push_back(Word(line, "\ttexture %127s"));
        if (Begins(line, "\tmap1"))
          textureUses.push_back(Word(line, "\tmap1 %127s"));
        if (Begins(line, "parent"))
          parents.push_back(Word(line, "parent %127s"));
      }
  }
};

// Restores the current directory when the test ends.
class InDirectory {
public:
  explicit InDirectory(const std::string& dir) : old(fs::current_path()) { fs::current_path(dir); }
  ~InDirectory() { fs::current_path(old); }

private:
  fs::path old;
};

std::vector<uint8_t> MemberBytes(const std::string& member) {
  ArchiveFile f;
  if (!f.OpenFrom(ArchivePath.c_str(), member.c_str()))
    return {};
  return std::vector<uint8_t>(f.data, f.data + f.size);
}

std::vector<uint8_t> FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TEST(BundledArchive, HoldsEveryMemberTheSaverReads) {
  REQUIRE_ARCHIVE();
  SceneScripts s;
  s.Read();
  ASSERT_FALSE(s.textureFiles.empty()) << "texture.txt is missing or empty";
  EXPECT_NE(std::find(s.textureFiles.begin(), s.textureFiles.end(), "c.jpg"), s.textureFiles.end())
      << "texture.txt must list the clock atlas";
  for (const std::string& t : s.textureFiles)
    EXPECT_TRUE(HasMember("textures\\" + t)) << t << " is listed in texture.txt";
  for (const char* member : {"textures\\load.jpg", "textures\\sign.jpg", "meshes\\env.dat",
                             "meshes\\sphere.dat", "env.txt", "worlds.txt", "music.ogg"})
    EXPECT_TRUE(HasMember(member)) << member;
  ASSERT_FALSE(s.objectFiles.empty());
  for (const std::string& f : s.objectFiles)
    EXPECT_TRUE(HasMember(f)) << "object file " << f;
  EXPECT_FALSE(s.meshes.empty());
  for (const std::string& m : s.meshes)
    EXPECT_TRUE(HasMember(m)) << "geometry " << m;
  // Every texture an object asks for is in the catalogue's list.
  std::set<std::string> listed;
  for (const std::string& t : s.textureFiles)
    listed.insert("textures\\" + t);
  for (const std::string& t : s.textureUses)
    EXPECT_TRUE(listed.count(t)) << t << " is used but not listed in texture.txt";
  EXPECT_NE(std::find(s.worlds.begin(), s.worlds.end(), "world"), s.worlds.end());
  // And no picture is packed that nothing loads.
  listed.insert("textures\\load.jpg");
  listed.insert("textures\\sign.jpg");
  for (const auto& entry : fs::directory_iterator(DataDir + "/tree/textures"))
    EXPECT_TRUE(listed.count("textures\\" + entry.path().filename().string()))
        << entry.path().filename() << " is packed but never loaded";
}

TEST(BundledArchive, IsAtMostTwelveMegabytes) {
  REQUIRE_ARCHIVE();
  EXPECT_LE(fs::file_size(ArchivePath), 12u * 1024 * 1024);
}

TEST(BundledArchive, HoldsExactlyTheGeneratedTree) {
  REQUIRE_ARCHIVE();
  int members = 0;
  for (const auto& entry : fs::recursive_directory_iterator(DataDir + "/tree")) {
    if (!entry.is_regular_file())
      continue;
    std::string name = fs::relative(entry.path(), DataDir + "/tree").string();
    std::replace(name.begin(), name.end(), '/', '\\');
    EXPECT_EQ(MemberBytes(name), FileBytes(entry.path())) << name;
    ++members;
  }
  EXPECT_GT(members, 40);
}

TEST(BundledScene, LoadsThroughTheLoadersWithNothingMissing) {
  REQUIRE_ARCHIVE();
  GlTestContext ctx(64, 64);
  REQUIRE_GL(ctx);
  SceneScripts s;
  s.Read();
  InDirectory here(DataDir);

  LoadTextureCatalogue(Textures, "texture.txt", false);
  ASSERT_EQ(Textures.Size(), s.textureFiles.size());
  for (TextureEntry* e : Textures)
    EXPECT_NE(e->textureName, 0u) << e->path << " did not decode";
  for (const std::string& t : s.textureUses) {
    TextureEntry* e = FindTexture(t.c_str());
    ASSERT_NE(e, nullptr) << t;
    EXPECT_NE(e->textureName, 0u) << t;
  }
  ASSERT_NE(FindTexture("textures\\c.jpg"), nullptr);

  LoadSharedGeometry();
  EXPECT_NE(GeometryStore.envList, 0u);
  EXPECT_NE(GeometryStore.sphereList, 0u);
  EXPECT_NE(GeometryStore.noisedSphereList, 0u);
  EXPECT_NE(GeometryStore.atmosphereList, 0u);

  LoadEnvironments(Environments, "env.txt");
  LoadWorlds(Worlds, Environments, "worlds.txt");
  World* world = FindWorld(Worlds, "world");
  ASSERT_NE(world, nullptr);
  EXPECT_TRUE(world->system);
  ASSERT_FALSE(Environments.empty());
  EXPECT_EQ(world->firstPass, &Environments[0]->firstPass) << "the world sits in its environment";
  size_t loaded = world->firstPass->Size() + world->objects.Size() + world->postPass->Size();
  EXPECT_EQ(loaded, static_cast<size_t>(s.objectBlocks))
      << "every object block of every object file becomes one object";
  for (const std::string& p : s.parents)
    EXPECT_NE(world->objects.FindByName(p.c_str()), nullptr) << "parent " << p;

  // The camera never comes nearer the origin than 30000 units, and sees 80
  // units in front of it at the nearest: no body, ring or moon orbit of the
  // world may reach out to its path.
  int spheres = 0;
  for (SceneObject* object : world->objects) {
    auto* sphere = dynamic_cast<SphereObject*>(object);
    if (!sphere)
      continue;
    ++spheres;
    float reach = sphere->anchor.Length() + sphere->radius;
    if (sphere->sys) {
      auto* parent = dynamic_cast<SphereObject*>(sphere->parent);
      ASSERT_NE(parent, nullptr) << sphere->name;
      reach += parent->anchor.Length();
    }
    EXPECT_LT(reach, 30000.0f - 80.0f) << sphere->name;
  }
  EXPECT_GT(spheres, 10);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

  Worlds.clear();
  Environments.clear();
  Textures.Clear();
}

// The sphere shares its vertices (one per pole), so the roughened sphere
// cannot tear: every edge belongs to exactly two triangles. The texture seam
// is a second set of texture coordinates, not a second set of vertices.
TEST(BundledMeshes, SpheresAreClosedUnitSpheres) {
  REQUIRE_ARCHIVE();
  for (const char* member : {"meshes\\sphere.dat", "meshes\\env.dat"}) {
    SCOPED_TRACE(member);
    ArchiveFile f;
    ASSERT_TRUE(f.OpenFrom(ArchivePath.c_str(), member));
    DatMesh mesh;
    ReadDatMesh(f, false, mesh);
    ASSERT_GT(mesh.TrianglesHeld(), 1000u);
    EXPECT_EQ(mesh.TrianglesHeld(), mesh.triangleCount);
    std::map<std::pair<uint32_t, uint32_t>, int> edges;
    for (size_t t = 0; t < mesh.TrianglesHeld(); ++t) {
      ASSERT_TRUE(mesh.TriangleValid(t));
      for (int c = 0; c < 3; ++c) {
        uint32_t a = mesh.cornerVertex[t * 3 + c], b = mesh.cornerVertex[t * 3 + (c + 1) % 3];
        ++edges[{std::min(a, b), std::max(a, b)}];
      }
    }
    for (const auto& [edge, uses] : edges)
      ASSERT_EQ(uses, 2) << "edge " << edge.first << "-" << edge.second;
    for (size_t v = 0; v < mesh.VerticesHeld(); ++v) {
      const float* p = &mesh.vertices[v * 3];
      ASSERT_NEAR(std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]), 1.0f, 1e-5f);
    }
  }
}

TEST(BundledMeshes, EveryMeshHasValidIndicesUnitNormalsAndOutwardFaces) {
  REQUIRE_ARCHIVE();
  SceneScripts s;
  s.Read();
  std::vector<std::string> all = s.meshes;
  all.push_back("meshes\\sphere.dat");
  for (const std::string& member : all) {
    SCOPED_TRACE(member);
    ArchiveFile f;
    ASSERT_TRUE(f.OpenFrom(ArchivePath.c_str(), member.c_str()));
    DatMesh mesh;
    ReadDatMesh(f, false, mesh);
    EXPECT_EQ(f.cursor, f.size) << "the counts describe the whole member";
    ASSERT_GT(mesh.TrianglesHeld(), 0u);
    int agreeing = 0;
    for (size_t t = 0; t < mesh.TrianglesHeld(); ++t) {
      ASSERT_TRUE(mesh.TriangleValid(t));
      const float* n = &mesh.normals[t * 9];
      for (int c = 0; c < 3; ++c)
        ASSERT_NEAR(std::hypot(n[c * 3], n[c * 3 + 1], n[c * 3 + 2]), 1.0f, 1e-4f);
      // The winding (counter-clockwise from the front) agrees with the normals.
      const float* p[3];
      for (int c = 0; c < 3; ++c)
        p[c] = &mesh.vertices[mesh.cornerVertex[t * 3 + c] * 3];
      float e1[3], e2[3];
      for (int k = 0; k < 3; ++k)
        e1[k] = p[1][k] - p[0][k], e2[k] = p[2][k] - p[0][k];
      float face[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                       e1[0] * e2[1] - e1[1] * e2[0]};
      float sum[3] = {n[0] + n[3] + n[6], n[1] + n[4] + n[7], n[2] + n[5] + n[8]};
      if (face[0] * sum[0] + face[1] * sum[1] + face[2] * sum[2] > 0)
        ++agreeing;
    }
    EXPECT_EQ(agreeing, static_cast<int>(mesh.TrianglesHeld()));
  }
}

// Cells 0 to 12 of the 4 x 4 atlas hold a bright glyph; cells 13 to 15 and
// the cell borders stay black, so additive drawing shows only the glyphs.
TEST(BundledTextures, ClockAtlasHasThirteenBrightGlyphsOnBlack) {
  REQUIRE_ARCHIVE();
  InDirectory here(DataDir);
  JpegImage image;
  ASSERT_TRUE(LoadJpeg("textures\\c.jpg", image));
  ASSERT_EQ(image.width, image.height);
  ASSERT_EQ(image.width % 4, 0);
  int cell = image.width / 4;
  for (int q = 0; q < 16; ++q) {
    int row = q / 4, column = q % 4; // rows counted from the top of the picture
    int brightest = 0, border = 0, overlap = 0;
    for (int y = 0; y < cell; ++y)
      for (int x = 0; x < cell; ++x) {
        int by = image.height - 1 - (row * cell + y); // the buffer is bottom-up
        const uint8_t* p = &image.pixels[by * image.rowBytes + (column * cell + x) * 3];
        int v = std::max({p[0], p[1], p[2]});
        brightest = std::max(brightest, v);
        if (x == 0 || y == 0 || y == cell - 1)
          border = std::max(border, v);
        // Glyphs are 40 units wide but 28 apart: a digit or colon drawn in
        // the right 30% of its cell would run into the next one.
        if (q <= 10 && x >= cell * 7 / 10)
          overlap = std::max(overlap, v);
      }
    EXPECT_LT(overlap, 40) << "cell " << q;
    if (q <= 12)
      EXPECT_GT(brightest, 200) << "cell " << q;
    else
      EXPECT_LT(brightest, 16) << "cell " << q;
    EXPECT_LT(border, 24) << "cell " << q;
  }
  free(image.pixels);
}

TEST(BundledTextures, TgaMembersAre32BitAndOneIsRunLengthEncoded) {
  REQUIRE_ARCHIVE();
  SceneScripts s;
  s.Read();
  int tgas = 0, rle = 0;
  for (const std::string& t : s.textureFiles) {
    if (t.size() < 4 || t.substr(t.size() - 4) != ".tga")
      continue;
    std::vector<uint8_t> bytes = MemberBytes("textures\\" + t);
    ASSERT_GE(bytes.size(), 18u) << t;
    EXPECT_EQ(bytes[16], 32) << t;
    EXPECT_TRUE(bytes[2] == 2 || bytes[2] == 10) << t;
    ++tgas;
    rle += bytes[2] == 10;
  }
  EXPECT_GE(tgas, 2);
  EXPECT_GE(rle, 1);
}

// Textures are 256 to 2048 pixels a side: large enough to look sharp, small
// enough to load quickly.
TEST(BundledTextures, AreBetween256And2048PixelsASide) {
  REQUIRE_ARCHIVE();
  SceneScripts s;
  s.Read();
  std::vector<std::string> all = s.textureFiles;
  all.push_back("load.jpg");
  all.push_back("sign.jpg");
  for (const std::string& t : all) {
    std::vector<uint8_t> bytes = MemberBytes("textures\\" + t);
    int width = 0, height = 0;
    if (t.size() > 4 && t.substr(t.size() - 4) == ".tga") {
      ASSERT_GE(bytes.size(), 18u) << t;
      width = bytes[12] | (bytes[13] << 8);
      height = bytes[14] | (bytes[15] << 8);
    } else {
      JpegImage image;
      ASSERT_TRUE(DecodeJpeg(bytes.data(), bytes.size(), image)) << t;
      width = image.width;
      height = image.height;
      free(image.pixels);
    }
    EXPECT_GE(std::min(width, height), 256) << t;
    EXPECT_LE(std::max(width, height), 2048) << t;
  }
}

// The music decodes to one to two minutes, and its last sample runs into its
// first without a jump larger than the music makes anywhere else.
TEST(BundledMusic, IsAnOggLoopOfOneToTwoMinutesWithoutAClick) {
  REQUIRE_ARCHIVE();
  std::vector<uint8_t> ogg = MemberBytes("music.ogg");
  ASSERT_GT(ogg.size(), 4u);
  ASSERT_EQ(std::string(ogg.begin(), ogg.begin() + 4), "OggS");
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
  Mix_Init(MIX_INIT_OGG);
  ASSERT_EQ(Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024), 0) << Mix_GetError();
  int rate = 0, channels = 0;
  Uint16 format = 0;
  Mix_QuerySpec(&rate, &format, &channels);
  Mix_Chunk* chunk =
      Mix_LoadWAV_RW(SDL_RWFromConstMem(ogg.data(), static_cast<int>(ogg.size())), 1);
  ASSERT_NE(chunk, nullptr) << Mix_GetError();
  ASSERT_EQ(format, AUDIO_S16SYS);
  const int16_t* samples = reinterpret_cast<const int16_t*>(chunk->abuf);
  size_t frames = chunk->alen / (2 * channels);
  double seconds = static_cast<double>(frames) / rate;
  EXPECT_GE(seconds, 60.0);
  EXPECT_LE(seconds, 120.0);
  int largestStep = 0, peak = 0;
  for (size_t i = 1; i < frames; ++i)
    for (int c = 0; c < channels; ++c) {
      largestStep = std::max(largestStep,
                             std::abs(samples[i * channels + c] - samples[(i - 1) * channels + c]));
      peak = std::max(peak, std::abs(static_cast<int>(samples[i * channels + c])));
    }
  EXPECT_GT(peak, 3000) << "the music is audible";
  for (int c = 0; c < channels; ++c) {
    int join = std::abs(samples[c] - samples[(frames - 1) * channels + c]);
    EXPECT_LE(join, largestStep) << "channel " << c;
    EXPECT_LT(join, 2000) << "channel " << c;
  }
  Mix_FreeChunk(chunk);
  Mix_CloseAudio();
  Mix_Quit();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

// Running a generator again gives the same bytes as the tree the archive was
// packed from.
TEST(Generators, GiveTheSameBytesOnEveryRun) {
  REQUIRE_ARCHIVE();
  TempDir temp;
  fs::create_directories(temp.Path() + "/textures");
  fs::create_directories(temp.Path() + "/meshes");
  for (const char* generator : {"gen_textures", "gen_meshes", "gen_music"}) {
    std::string command = DataDir + "/" + generator + " " + temp.Path();
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  int compared = 0;
  for (const auto& entry : fs::recursive_directory_iterator(temp.Path())) {
    if (!entry.is_regular_file())
      continue;
    fs::path rel = fs::relative(entry.path(), temp.Path());
    EXPECT_EQ(FileBytes(entry.path()), FileBytes(DataDir + "/tree/" + rel.string())) << rel;
    ++compared;
  }
  EXPECT_GT(compared, 30);
}

// The pictures the interface builds in: PNG files of the sizes its windows use.
TEST(InterfacePictures, HaveTheSizesTheWindowsNeed) {
  REQUIRE_ARCHIVE();
  struct Case {
    const char* file;
    uint32_t width, height;
  } cases[] = {{"preview.png", 155, 115}, {"dialog.png", 263, 179}, {"icon.png", 64, 64}};
  for (const Case& c : cases) {
    std::vector<uint8_t> png = FileBytes(DataDir + "/ui/" + c.file);
    ASSERT_GT(png.size(), 33u) << c.file;
    EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR") << c.file;
    auto be32 = [&](size_t at) {
      return (uint32_t(png[at]) << 24) | (uint32_t(png[at + 1]) << 16) |
             (uint32_t(png[at + 2]) << 8) | png[at + 3];
    };
    EXPECT_EQ(be32(16), c.width) << c.file;
    EXPECT_EQ(be32(20), c.height) << c.file;
    EXPECT_EQ(png[24], 8) << c.file; // bits per channel
    EXPECT_EQ(png[25], 6) << c.file; // RGBA
  }
}
