#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

#include "objects/ObjectKinds.h"
#include "objects/Sphere.h"
#include "platform/Random.h"
#include "resources/TextureCatalogue.h"
#include "scene/GeometryStore.h"
#include "scene/ObjectList.h"
#include "scene/SceneTestUtil.h"

namespace {

// Distinct list names, so the tests see which slot a sphere took.
class SphereReading : public ::testing::Test {
protected:
  void SetUp() override {
    saved = GeometryStore;
    GeometryStore.envList = 101;
    GeometryStore.sphereList = 102;
    GeometryStore.noisedSphereList = 103;
    GeometryStore.geometryList = 104;
    GeometryStore.atmosphereList = 105;
    GeometryStore.scatterList = 106;
    GeometryStore.ringList = 107;
    ResetSphereGlobals();
    SRand(1);
  }
  void TearDown() override {
    GeometryStore = saved;
    Textures.Clear();
  }

  // Reads every sphere block of the text into list, the way the object-file
  // loader hands them over (the globals carry from one to the next).
  void ReadAll(const std::string& text) {
    HeldObjectFile held(ObjectFileHolder, text);
    char line[ArchiveFile::LineBufferSize];
    for (;;) {
      bool more = ObjectFileHolder.ReadLine(line);
      if (LineBegins(line, "sphere"))
        ReadSphereBlock(list);
      if (!more)
        break;
    }
  }
  SphereObject* Read(const std::string& body) {
    size_t before = list.Size();
    ReadAll("sphere\nbegin\n" + body + "\nend\n");
    return list.Size() > before ? static_cast<SphereObject*>(list[list.Size() - 1]) : nullptr;
  }
  SphereObject* At(size_t i) { return static_cast<SphereObject*>(list[i]); }

  GeometryStoreRecord saved;
  ObjectList list;
};

TEST_F(SphereReading, APositionLineAloneGivesTheDefaultSphere) {
  SphereObject* s = Read("position V(2000 0 0)");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->position.x, 0.0f);
  EXPECT_EQ(s->anchor.x, 0.0f);
  EXPECT_EQ(s->radius, 5.0f);
  EXPECT_EQ(s->orientAngle, 90.0f);
  EXPECT_EQ(s->orientAxis.x, 1.0f);
  EXPECT_EQ(s->spinAxis.y, 1.0f);
  EXPECT_FLOAT_EQ(s->spinRate, 0.2f);
  EXPECT_EQ(s->alpha, 1.0f);
  EXPECT_EQ(s->geometry, 102u);
  EXPECT_TRUE(s->orbit);
  EXPECT_FALSE(s->hasTexture);
  EXPECT_FALSE(s->env || s->light || s->atmo || s->wire || s->depth || s->mask || s->flash ||
               s->rnd || s->sys || s->uranmoon || s->farpos || s->specular || s->ring || s->moon);
}

struct KeywordCase {
  const char* body;
  std::function<void(const SphereObject&)> check;
};

TEST_F(SphereReading, Keywords) {
  const KeywordCase cases[] = {
      {"radius 7", [](auto& s) { EXPECT_EQ(s.radius, 7.0f); }},
      {"radius 7\nradius 9", [](auto& s) { EXPECT_EQ(s.radius, 9.0f); }},
      {"radius oops", [](auto& s) { EXPECT_EQ(s.radius, 5.0f); }},
      {"FOV 0.5", [](auto& s) { EXPECT_EQ(s.fov, 0.5f); }},
      {"alpha 0.25", [](auto& s) { EXPECT_EQ(s.alpha, 0.25f); }},
      {"tiling 3", [](auto& s) { EXPECT_EQ(s.tiling, 3.0f); }},
      {"detiling 30", [](auto& s) { EXPECT_EQ(s.detiling, 30.0f); }},
      {"period 12", [](auto& s) { EXPECT_EQ(s.period, 12.0f); }},
      {"env",
       [](auto& s) {
         EXPECT_TRUE(s.env);
         EXPECT_EQ(s.spinRate, 0.0f);
         EXPECT_EQ(s.geometry, 101u);
       }},
      // "geo" after "env" takes the sphere back; "geometry" begins with "geo".
      {"env\ngeometry", [](auto& s) { EXPECT_EQ(s.geometry, 102u); }},
      {"noised", [](auto& s) { EXPECT_EQ(s.geometry, 103u); }},
      {"list", [](auto& s) { EXPECT_EQ(s.geometry, 104u); }},
      {"ring",
       [](auto& s) {
         EXPECT_TRUE(s.ring);
         EXPECT_EQ(s.geometry, 107u);
       }},
      {"ring\nnoised", [](auto& s) { EXPECT_EQ(s.geometry, 103u); }},
      {"atmo",
       [](auto& s) {
         EXPECT_TRUE(s.atmo);
         EXPECT_EQ(s.geometry, 105u);
       }},
      {"scatter",
       [](auto& s) {
         EXPECT_TRUE(s.atmo);
         EXPECT_EQ(s.geometry, 106u);
       }},
      {"lightning", [](auto& s) { EXPECT_TRUE(s.light); }},
      {"specular", [](auto& s) { EXPECT_TRUE(s.specular); }},
      {"depth", [](auto& s) { EXPECT_TRUE(s.depth); }},
      {"wireframe", [](auto& s) { EXPECT_TRUE(s.wire); }},
      {"uranmoon", [](auto& s) { EXPECT_TRUE(s.uranmoon); }},
      {"farpos", [](auto& s) { EXPECT_TRUE(s.farpos); }},
      {"mask", [](auto& s) { EXPECT_TRUE(s.mask); }},
      {"rnd", [](auto& s) { EXPECT_TRUE(s.rnd); }},
      {"orbit", [](auto& s) { EXPECT_FALSE(s.orbit); }},
      {"Radius 7", [](auto& s) { EXPECT_EQ(s.radius, 5.0f); }}, // case matters
      {"rotation V(1 0 0) 30 2",
       [](auto& s) {
         EXPECT_EQ(s.spinAxis.x, 1.0f);
         EXPECT_EQ(s.spinAxis.y, 0.0f);
         EXPECT_EQ(s.spin, 30.0f);
         EXPECT_EQ(s.spinRate, 2.0f);
       }},
      {"orient V(0 0 1) 45",
       [](auto& s) {
         EXPECT_EQ(s.orientAxis.z, 1.0f);
         EXPECT_EQ(s.orientAxis.x, 0.0f);
         EXPECT_EQ(s.orientAngle, 45.0f);
       }},
      {"color V(0.1 0.2 0.3)",
       [](auto& s) {
         EXPECT_FLOAT_EQ(s.color.x, 0.1f);
         EXPECT_FLOAT_EQ(s.color.z, 0.3f);
       }},
      // The x - 2000 rule holds while no "orbit" line came before.
      {"position V(10 20 30)",
       [](auto& s) {
         EXPECT_EQ(s.anchor.x, -1990.0f);
         EXPECT_EQ(s.position.y, 20.0f);
         EXPECT_EQ(s.anchor.z, 30.0f);
       }},
      {"orbit\nposition V(10 20 30)", [](auto& s) { EXPECT_EQ(s.anchor.x, 10.0f); }},
      {"position V(10 20 30)\norbit", [](auto& s) { EXPECT_EQ(s.anchor.x, -1990.0f); }},
      {"orbit\nposition V(1 2 3)\nposition V(4 5 6)", [](auto& s) { EXPECT_EQ(s.anchor.y, 5.0f); }},
  };
  for (const KeywordCase& c : cases) {
    SCOPED_TRACE(c.body);
    SphereObject* s = Read(c.body);
    ASSERT_NE(s, nullptr);
    c.check(*s);
  }
}

TEST_F(SphereReading, BeginNamesTheSphereWithinItsField) {
  ReadAll("sphere\nbegin sun\nend\nsphere\nbegin\nend\nsphere\nbegin  \nend\n"
          "sphere\nbegin averyveryverylongname\nend\n");
  ASSERT_EQ(list.Size(), 4u);
  EXPECT_STREQ(At(0)->name, "sun");
  EXPECT_STREQ(At(1)->name, "");
  EXPECT_STREQ(At(2)->name, "");
  EXPECT_STREQ(At(3)->name, "averyveryveryl"); // cut at 14 characters
}

TEST_F(SphereReading, LinesBeforeBeginAreSkippedAndTheEndLineIsTested) {
  SphereObject* s = nullptr;
  ReadAll("sphere\nradius 99\nbegin\nradius 3\nendradius\nradius 4\n");
  ASSERT_EQ(list.Size(), 1u);
  s = At(0);
  EXPECT_EQ(s->radius, 3.0f); // the block closed at "endradius"
}

TEST_F(SphereReading, MissingEndEndsAtTheLastLine) {
  ReadAll("sphere\nbegin\nradius 3\nradius 6");
  ASSERT_EQ(list.Size(), 1u);
  EXPECT_EQ(At(0)->radius, 6.0f);
  list.Clear();
  ReadAll("sphere\nnothing to begin");
  EXPECT_EQ(list.Size(), 0u);
}

TEST_F(SphereReading, ParentIsTheFirstEarlierSphereOfThatName) {
  ReadAll("sphere\nbegin sun\nend\nsphere\nbegin sun\nend\n"
          "sphere\nbegin moon\nparent sun\nsys\nend\n"
          "sphere\nbegin lost\nparent later\nsys\nend\n"
          "sphere\nbegin later\nend\n");
  ASSERT_EQ(list.Size(), 5u);
  EXPECT_EQ(At(2)->parent, At(0));
  EXPECT_TRUE(At(2)->sys);
  EXPECT_EQ(At(3)->parent, nullptr);
  EXPECT_FALSE(At(3)->sys) << "sys without a parent is ignored";
}

TEST_F(SphereReading, MoonAndFlashCountersRunThroughTheFile) {
  ReadAll("sphere\nbegin\nmoon\nend\nsphere\nbegin\nmoon\nend\nsphere\nbegin\nmoon\nend\n");
  EXPECT_FLOAT_EQ(At(0)->moonScale, 2.0f);
  EXPECT_FLOAT_EQ(At(1)->moonScale, 1.5f);
  EXPECT_FLOAT_EQ(At(2)->moonScale, 1.125f);
  EXPECT_TRUE(At(0)->moon);

  list.Clear();
  std::string five;
  for (int i = 0; i < 5; ++i)
    five += "sphere\nbegin\nflash\nend\n";
  ReadAll(five);
  const float times[] = {0.0f, 0.25f, 0.0f, 0.25f, 0.5f};
  const bool on[] = {true, true, false, false, false};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(At(i)->flash);
    EXPECT_FLOAT_EQ(At(i)->flashTime, times[i]);
    EXPECT_EQ(At(i)->flashOn, on[i]);
    EXPECT_EQ(At(i)->flashPeriod, 0.5f);
  }
}

TEST_F(SphereReading, TexturesSetTgaAndCarryItToTheNextSphere) {
  auto* jpg = new TextureEntry;
  strcpy(jpg->path, "textures\\c.jpg");
  jpg->textureName = 17;
  auto* tga = new TextureEntry;
  strcpy(tga->path, "textures\\glow.tga");
  tga->textureName = 18;
  Textures.PushBack(jpg);
  Textures.PushBack(tga);

  ReadAll("sphere\nbegin\ntexture textures\\glow.tga\nend\n"
          "sphere\nbegin\nend\n"
          "sphere\nbegin\natmo\nend\n"
          "sphere\nbegin\ntexture textures\\c.jpg\nend\n"
          "sphere\nbegin\nend\n"
          "sphere\nbegin\ntexture glow.tga\nend\n"
          "sphere\nbegin\ntexture textures\\x.TGA\nend\n");
  ASSERT_EQ(list.Size(), 7u);
  EXPECT_EQ(At(0)->texture, 18u);
  EXPECT_TRUE(At(0)->tga);
  EXPECT_TRUE(At(0)->hasTexture);
  EXPECT_TRUE(At(1)->tga) << "tga of the last textured sphere";
  EXPECT_FALSE(At(1)->hasTexture);
  EXPECT_FALSE(At(2)->tga) << "atmo clears tga";
  EXPECT_EQ(At(3)->texture, 17u);
  EXPECT_FALSE(At(3)->tga);
  EXPECT_FALSE(At(4)->tga);
  // The bare file name is not the catalogue's key, yet it ends in "tga".
  EXPECT_EQ(At(5)->texture, 0u);
  EXPECT_TRUE(At(5)->hasTexture);
  EXPECT_TRUE(At(5)->tga);
  EXPECT_FALSE(At(6)->tga) << "upper-case TGA is not a TGA name";
  delete jpg;
  delete tga;
}

// --- Update --------------------------------------------------------------

class SphereUpdate : public ::testing::Test {
protected:
  void SetUp() override { SRand(3); }
  static void ExpectNear(const Vec3& a, const Vec3& b, float eps = 1e-3f) {
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
  }
};

TEST_F(SphereUpdate, ConstructorDrawsFlashOffsetsThenMoonAngle) {
  SRand(11);
  float u = Rand() / 32767.0f, v = Rand() / 32767.0f, m = 350.0f * (Rand() / 32767.0f);
  SRand(11);
  SphereObject s;
  EXPECT_FLOAT_EQ(s.flashOffsetU, u);
  EXPECT_FLOAT_EQ(s.flashOffsetV, v);
  EXPECT_FLOAT_EQ(s.moonAngle, m);
  EXPECT_EQ(s.flashAngle, 0.0f);
  EXPECT_EQ(s.anchor.x, 0.0f);
}

TEST_F(SphereUpdate, SpinAdvancesAndWrapsOnce) {
  SphereObject s;
  s.Update(10.0);
  EXPECT_NEAR(s.spin, 2.0f, 1e-5f);
  s.spin = 359.0f;
  s.spinRate = 2.0f;
  s.Update(1.0);
  EXPECT_NEAR(s.spin, 1.0f, 1e-4f);
}

TEST_F(SphereUpdate, PlaceIsResetFromTheAnchorUnlessLightOrOrbitCleared) {
  SphereObject s;
  s.anchor = Vec3(5, 6, 7);
  s.position = Vec3(0, 0, 0);
  s.Update(0.01);
  ExpectNear(s.position, Vec3(5, 6, 7));

  SphereObject lit;
  lit.light = true;
  lit.anchor = Vec3(5, 6, 7);
  lit.position = Vec3(1, 1, 1);
  lit.Update(0.01);
  ExpectNear(lit.position, Vec3(1, 1, 1));

  SphereObject far;
  far.farpos = true;
  far.anchor = Vec3(5, 6, 7);
  far.Update(0.01);
  ExpectNear(far.position, Vec3(618000, 123600, 0), 0.05f);
}

TEST_F(SphereUpdate, MoonCirclesOnlyWithOrbitCleared) {
  SphereObject kept;
  kept.moon = true;
  kept.moonScale = 2.0f;
  kept.anchor = Vec3(10, 0, 0);
  kept.Update(5.0);
  ExpectNear(kept.position, Vec3(10, 0, 0));

  SphereObject moon;
  moon.moon = true;
  moon.orbit = false;
  moon.moonScale = 2.0f; // 4 degrees per second
  moon.moonAngle = 0.0f;
  moon.anchor = Vec3(10, 0, 0);
  moon.Update(22.5);
  EXPECT_NEAR(moon.moonAngle, 90.0f, 1e-4f);
  EXPECT_NEAR(moon.spin, 90.0f, 1e-4f);
  ExpectNear(moon.position, Vec3(0, 0, -10)); // +90 degrees about y, as glRotatef turns
  moon.moonAngle = 359.0f;
  moon.Update(0.5);
  EXPECT_NEAR(moon.moonAngle, 1.0f, 1e-3f);
}

TEST_F(SphereUpdate, SatellitesCircleTheirParent) {
  SphereObject parent;
  parent.position = Vec3(100, 0, 0);

  SphereObject sys;
  sys.sys = true;
  sys.parent = &parent;
  sys.anchor = Vec3(10, 0, 0);
  sys.spinRate = 0.0f;
  sys.spin = 90.0f;
  sys.Update(0.0);
  ExpectNear(sys.position, Vec3(0, 0, 10)); // anchor turned by -90 about y

  SphereObject uran;
  uran.sys = true;
  uran.uranmoon = true;
  uran.parent = &parent;
  uran.anchor = Vec3(10, 0, 0);
  uran.spinRate = 0.0f;
  uran.spin = 0.0f;
  uran.Update(0.0);
  ExpectNear(uran.position, Vec3(0, 0, -10)); // Normalized((0,1,0) x P) * anchor.x
  uran.spin = 90.0f;
  uran.Update(0.0);
  ExpectNear(uran.position, Vec3(0, -10, 0)); // turned about the parent's direction
  EXPECT_EQ(Dot(uran.position, parent.position), 0.0f);

  // A parent on the y axis: the satellite keeps its last place.
  parent.position = Vec3(0, 50, 0);
  uran.Update(0.0);
  ExpectNear(uran.position, Vec3(0, -10, 0));
  EXPECT_FALSE(std::isnan(uran.position.x));
}

TEST_F(SphereUpdate, FlashClockSwitchesAndDrawsOffsets) {
  SphereObject s; // flashTime 1, flashPeriod 1, flashOn 0
  EXPECT_FALSE(s.flashOn);
  SRand(21);
  float u = Rand() / 32767.0f, v = Rand() / 32767.0f, a = 180.0f * (Rand() / 32767.0f);
  SRand(21);
  s.Update(0.1); // 1.1 > 1
  EXPECT_TRUE(s.flashOn);
  EXPECT_NEAR(s.flashTime, 0.1f, 1e-5f);
  EXPECT_EQ(s.flashPeriod, 0.5f);
  EXPECT_FLOAT_EQ(s.flashOffsetU, u);
  EXPECT_FLOAT_EQ(s.flashOffsetV, v);
  EXPECT_FLOAT_EQ(s.flashAngle, a);
  int next = Rand();
  SRand(21);
  for (int i = 0; i < 3; ++i)
    Rand();
  EXPECT_EQ(Rand(), next);

  s.Update(0.45); // 0.55 > 0.5: off, no draws
  EXPECT_FALSE(s.flashOn);
  EXPECT_NEAR(s.flashTime, 0.05f, 1e-5f);
}

TEST_F(SphereUpdate, RandomFlashPhasesHaveRandomLengths) {
  SphereObject s;
  s.rnd = true;
  SRand(5);
  float on = 0.4f + 0.4f * (Rand() / 32767.0f);
  Rand();
  Rand();
  Rand();
  float off = 0.1f + 0.1f * (Rand() / 32767.0f);
  SRand(5);
  s.Update(0.5); // 1.5 > 1: on
  EXPECT_TRUE(s.flashOn);
  EXPECT_EQ(s.flashTime, 0.0f);
  EXPECT_FLOAT_EQ(s.flashPeriod, on);
  s.Update(1.0); // off
  EXPECT_FALSE(s.flashOn);
  EXPECT_EQ(s.flashTime, 0.0f);
  EXPECT_FLOAT_EQ(s.flashPeriod, off);
}

} // namespace
