// Object files, "env.txt" and "worlds.txt" read from archives made on the fly.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "objects/Sphere.h"
#include "resources/TextureCatalogue.h"
#include "scene/Environment.h"
#include "scene/GeometryStore.h"
#include "scene/ObjectFile.h"
#include "scene/ObjectList.h"
#include "scene/SceneTestUtil.h"
#include "scene/World.h"
#include "support/GlTestContext.h"
#include "support/TestArchive.h"

namespace {

int progressReports = 0;
void CountProgress() { ++progressReports; }

class Scripts : public ::testing::Test {
protected:
  void SetUp() override {
    progressReports = 0;
    savedSink = LoadProgressSink;
    LoadProgressSink = CountProgress;
    savedGeometry = GeometryStore;
  }
  void TearDown() override {
    LoadProgressSink = savedSink;
    GeometryStore = savedGeometry;
  }
  static const char* NameOf(const ObjectList& list, size_t i) { return list[i]->name; }

  void (*savedSink)() = nullptr;
  GeometryStoreRecord savedGeometry;
};

std::string Sphere(const char* name) { return std::string("sphere\nbegin ") + name + "\nend\n"; }

TEST_F(Scripts, ObjectFileDispatchesKindsAndReportsEachEntry) {
  GlTestContext ctx(16, 16); // the "geometry" line compiles a display list
  REQUIRE_GL(ctx);
  TestArchiveDir dir({{"objects.txt", "dir meshes\n\nsphere\nbegin sun\nradius 3\nend\n"
                                      "geometry meshes\\tri.dat\n"
                                      "mesh\nbegin station\nend\n"
                                      "ENDWORLD\nsphere\nbegin after\nend\n"},
                      {"meshes\\tri.dat", SingleTriangleDat()}});
  ASSERT_TRUE(dir.Ok());
  GeometryStore.geometryList = 0;
  ObjectList list;
  LoadObjectFile(list, "objects.txt");
  ASSERT_EQ(list.Size(), 2u);
  EXPECT_STREQ(NameOf(list, 0), "sun");
  EXPECT_STREQ(NameOf(list, 1), "station");
  EXPECT_EQ(progressReports, 3);
  EXPECT_NE(GeometryStore.geometryList, 0u);
}

// The kind tests compare beginnings only; "dir", blank and unknown lines are
// passed over without a report.
TEST_F(Scripts, KindLinesArePrefixTests) {
  const struct {
    const char* text;
    int reports;
  } cases[] = {
      {"psystem\nbegin\nend\n", 1},       {"meshes\nbegin\nend\n", 1},
      {"spheres\nbegin\nend\n", 1},       {"flamethrower\nbegin\nend\n", 1},
      {"billboards\nbegin\nend\n", 1},    {"flares\nbegin\nend\n", 1},
      {"dir\n\n   \ntitle\nSphere\n", 0}, {"ENDWORLD\nsphere\nbegin\nend\n", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    TestArchiveDir dir({{"o.txt", c.text}});
    ASSERT_TRUE(dir.Ok());
    progressReports = 0;
    ObjectList list;
    LoadObjectFile(list, "o.txt");
    EXPECT_EQ(progressReports, c.reports);
  }
}

TEST_F(Scripts, MissingObjectFileAndMissingEndMarkersEndTheReading) {
  TestArchiveDir dir({{"o.txt", "sphere\nbegin a\nradius 2"}});
  ASSERT_TRUE(dir.Ok());
  ObjectList list;
  LoadObjectFile(list, "missing.txt");
  EXPECT_EQ(list.Size(), 0u);
  LoadObjectFile(list, "o.txt");
  ASSERT_EQ(list.Size(), 1u);
  EXPECT_EQ(static_cast<SphereObject*>(list[0])->radius, 2.0f);
}

TEST_F(Scripts, SphereGlobalsStartAfreshWithEachFile) {
  const char* text = "sphere\nbegin\nmoon\nflash\ntexture textures\\g.tga\nend\n"
                     "sphere\nbegin\nmoon\nflash\nend\n";
  TestArchiveDir dir({{"a.txt", text}, {"b.txt", text}});
  ASSERT_TRUE(dir.Ok());
  ObjectList list;
  LoadObjectFile(list, "a.txt");
  LoadObjectFile(list, "b.txt");
  ASSERT_EQ(list.Size(), 4u);
  for (size_t file = 0; file < 2; ++file) {
    SCOPED_TRACE(file);
    auto* first = static_cast<SphereObject*>(list[2 * file]);
    auto* second = static_cast<SphereObject*>(list[2 * file + 1]);
    EXPECT_FLOAT_EQ(first->moonScale, 2.0f);
    EXPECT_FLOAT_EQ(second->moonScale, 1.5f);
    EXPECT_FLOAT_EQ(first->flashTime, 0.0f);
    EXPECT_FLOAT_EQ(second->flashTime, 0.25f);
    EXPECT_TRUE(second->tga);
  }
  // The loader resets what the previous file left.
  TestArchiveDir plain({{"c.txt", "sphere\nbegin\nend\n"}});
  ASSERT_TRUE(plain.Ok());
  LoadObjectFile(list, "c.txt");
  EXPECT_FALSE(static_cast<SphereObject*>(list[4])->tga);
}

TEST_F(Scripts, EnvironmentsGrammar) {
  TestArchiveDir dir({{"env.txt", "Environments of the test scene\n"
                                  "env space\n"
                                  "firstpass a.txt\n"
                                  "firstpass b.txt\n"
                                  "ENV_END is no end inside a block\n"
                                  "postpass c.txt\n"
                                  "end\n"
                                  "note between blocks\n"
                                  "env space\nfirstpass c.txt\nend\n"
                                  "env anenvironmentnamefartoolong\nend\n"
                                  "env empty\nend\n"
                                  "ENV_END\n"
                                  "env unread\nend\n"},
                      {"a.txt", Sphere("a1")},
                      {"b.txt", Sphere("b1") + Sphere("b2")},
                      {"c.txt", Sphere("c1")}});
  ASSERT_TRUE(dir.Ok());
  EnvironmentList envs;
  LoadEnvironments(envs, "env.txt");
  ASSERT_EQ(envs.size(), 4u);
  Environment* space = envs[0];
  EXPECT_STREQ(space->name, "space");
  ASSERT_EQ(space->firstPass.Size(), 3u);
  EXPECT_STREQ(NameOf(space->firstPass, 0), "a1");
  EXPECT_STREQ(NameOf(space->firstPass, 1), "b1");
  EXPECT_STREQ(NameOf(space->firstPass, 2), "b2");
  ASSERT_EQ(space->postPass.Size(), 1u);
  EXPECT_STREQ(NameOf(space->postPass, 0), "c1");
  EXPECT_STREQ(envs[2]->name, "anenvironmentnamefa"); // cut at 19 characters
  EXPECT_TRUE(envs[3]->firstPass.Empty() && envs[3]->postPass.Empty());
  EXPECT_EQ(progressReports, 5);
  EXPECT_EQ(FindEnvironment(envs, "space"), space) << "duplicates: the first wins";
  EXPECT_EQ(FindEnvironment(envs, "Space"), nullptr);
  EXPECT_EQ(FindEnvironment(envs, "unread"), nullptr);
}

TEST_F(Scripts, EnvironmentsWithoutEndMarkers) {
  TestArchiveDir dir({{"env.txt", "env open\nfirstpass a.txt"}, {"a.txt", Sphere("a1")}});
  ASSERT_TRUE(dir.Ok());
  EnvironmentList envs;
  LoadEnvironments(envs, "env.txt");
  ASSERT_EQ(envs.size(), 1u);
  EXPECT_EQ(envs[0]->firstPass.Size(), 1u);
  EnvironmentList none;
  LoadEnvironments(none, "no-such-member.txt");
  EXPECT_TRUE(none.empty());
}

TEST_F(Scripts, WorldsGrammar) {
  TestArchiveDir dir(
      {{"env.txt", "env space\nfirstpass sky.txt\npostpass glow.txt\nend\nENV_END\n"},
       {"sky.txt", Sphere("sky")},
       {"glow.txt", Sphere("glow")},
       {"a.txt", Sphere("a1")},
       {"b.txt", Sphere("b1")},
       {"worlds.txt", "The worlds\n"
                      "world world\n"
                      "env space\n"
                      "objects a.txt\n"
                      "WORLD_END inside the block\n"
                      "objects b.txt\n"
                      "system\n"
                      "scenedir scenes\\solar\n"
                      "end\n"
                      "world bare\nend\n"
                      "world lost\nenv nowhere\nend\n"
                      "world world\nend\n"
                      "WORLD_END\n"
                      "world unread\nend\n"}});
  ASSERT_TRUE(dir.Ok());
  EnvironmentList envs;
  LoadEnvironments(envs, "env.txt");
  WorldList worlds;
  LoadWorlds(worlds, envs, "worlds.txt");
  ASSERT_EQ(worlds.size(), 4u);
  World* world = FindWorld(worlds, "world");
  ASSERT_EQ(world, worlds[0]);
  ASSERT_EQ(world->objects.Size(), 2u);
  EXPECT_STREQ(NameOf(world->objects, 0), "a1");
  EXPECT_STREQ(NameOf(world->objects, 1), "b1");
  EXPECT_EQ(world->firstPass, &envs[0]->firstPass);
  EXPECT_EQ(world->postPass, &envs[0]->postPass);
  EXPECT_TRUE(world->system);
  EXPECT_STREQ(world->sceneDir, "scenes\\solar");
  for (World* w : {worlds[1], worlds[2]}) {
    SCOPED_TRACE(w->name);
    ASSERT_NE(w->firstPass, nullptr);
    ASSERT_NE(w->postPass, nullptr);
    EXPECT_TRUE(w->firstPass->Empty());
    EXPECT_TRUE(w->postPass->Empty());
    EXPECT_FALSE(w->system);
  }
  EXPECT_EQ(FindWorld(worlds, "unread"), nullptr);
  EXPECT_EQ(FindWorld(worlds, "World"), nullptr);
}

TEST_F(Scripts, WorldDefaultsAndEndOfMember) {
  TestArchiveDir dir({{"worlds.txt", "world\nobjects a.txt"}, {"a.txt", Sphere("a1")}});
  ASSERT_TRUE(dir.Ok());
  WorldList worlds;
  LoadWorlds(worlds, EnvironmentList(), "worlds.txt");
  ASSERT_EQ(worlds.size(), 1u);
  EXPECT_STREQ(worlds[0]->name, " ") << "a world line without a name keeps the default";
  EXPECT_EQ(worlds[0]->objects.Size(), 1u);
}

TEST(ObjectLookup, FirstExactMatch) {
  SphereObject a, b, c;
  strcpy(a.name, "sun");
  strcpy(b.name, "sun");
  strcpy(c.name, "Sun");
  ObjectList list;
  EXPECT_EQ(list.FindByName("sun"), nullptr);
  list.PushBack(&a);
  list.PushBack(&b);
  list.PushBack(&c);
  EXPECT_EQ(list.FindByName("sun"), &a);
  EXPECT_EQ(list.FindByName("Sun"), &c);
  EXPECT_EQ(list.FindByName("su"), nullptr);
  EXPECT_EQ(list.FindByName("sunny"), nullptr);
  ObjectList copy = list;
  EXPECT_EQ(copy.Size(), 3u);
  EXPECT_EQ(copy[1], &b);
}

TEST(ScriptWords, BoundedWordAfterAKeyword) {
  char field[6] = "xxxxx";
  EXPECT_TRUE(ReadWordAfter("texture   abcdefgh rest", "texture", field, sizeof field));
  EXPECT_STREQ(field, "abcde");
  EXPECT_TRUE(ReadWordAfter("texture\ttab", "texture", field, sizeof field));
  EXPECT_STREQ(field, "tab");
  strcpy(field, "keep");
  EXPECT_FALSE(ReadWordAfter("texture   ", "texture", field, sizeof field));
  EXPECT_STREQ(field, "keep");
  EXPECT_TRUE(LineBegins("colorfrom", "color"));
  EXPECT_FALSE(LineBegins("colo", "color"));
  EXPECT_TRUE(LineBegins("anything", ""));
}

// Keyword soup: every keyword of every script, with missing, overlong and
// malformed values, no end markers, words longer than any field. Loading
// must end, stay inside every buffer (the sanitizers watch) and leave every
// name terminated within its field.
TEST_F(Scripts, KeywordSoupLoadsWithoutHarm) {
  GlTestContext ctx(16, 16);
  REQUIRE_GL(ctx);
  const char* words[] = {"sphere",   "billboard", "flare",         "mesh",     "flame",
                         "ps",       "geometry",  "dir",           "ENDWORLD", "begin",
                         "end",      "radius",    "FOV",           "alpha",    "tiling",
                         "detiling", "period",    "env",           "geo",      "light",
                         "specular", "depth",     "wire",          "sys",      "noised",
                         "uranmoon", "farpos",    "mask",          "list",     "ring",
                         "moon",     "orbit",     "rnd",           "atmo",     "scatter",
                         "flash",    "texture",   "rotation",      "orient",   "position",
                         "color",    "parent",    "world",         "objects",  "system",
                         "scenedir", "firstpass", "postpass",      "ENV_END",  "WORLD_END",
                         "V(",       ")",         "1e39",          "-0",       "nan",
                         "a.txt",    "b.txt",     "meshes\\m.dat", "\t",       "V(1 2",
                         "%s%n"};
  std::mt19937 random(12345);
  auto soup = [&](int lines) {
    std::string text;
    for (int l = 0; l < lines; ++l) {
      int n = int(random() % 5);
      for (int k = 0; k < n; ++k) {
        text += words[random() % (sizeof words / sizeof *words)];
        if (random() % 7 == 0)
          text += std::string(random() % 200, char('a' + random() % 26));
        text += random() % 3 ? " " : "";
      }
      text += random() % 4 ? "\n" : "\r\n";
    }
    return text;
  };
  DatWriter lying;
  lying.U32s({0xFFFFFFF0u, 7, 0x7FFFFFFFu}).Floats({1, 2, 3});
  for (int round = 0; round < 100; ++round) {
    SCOPED_TRACE(round);
    TestArchiveDir dir({{"env.txt", soup(60)},
                        {"worlds.txt", soup(60)},
                        {"a.txt", soup(120)},
                        {"b.txt", soup(120)},
                        {"meshes\\m.dat", lying.bytes}});
    ASSERT_TRUE(dir.Ok());
    EnvironmentList envs;
    WorldList worlds;
    LoadEnvironments(envs, "env.txt");
    LoadWorlds(worlds, envs, "worlds.txt");
    ObjectList list;
    LoadObjectFile(list, "a.txt");
    LoadObjectFile(list, "b.txt");
    for (Environment* e : envs)
      EXPECT_LT(strlen(e->name), sizeof e->name);
    for (World* w : worlds) {
      EXPECT_LT(strlen(w->name), sizeof w->name);
      EXPECT_LT(strlen(w->sceneDir), sizeof w->sceneDir);
      ASSERT_NE(w->firstPass, nullptr);
      ASSERT_NE(w->postPass, nullptr);
    }
    for (SceneObject* o : list)
      EXPECT_LT(strlen(o->name), sizeof o->name);
  }
}

} // namespace
