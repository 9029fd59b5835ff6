// Spheres drawn on an offscreen context: where they land, what state they
// leave, and the sky and occluder modes.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <functional>

#include "motion/Camera.h"
#include "objects/Sphere.h"
#include "scene/GeometryStore.h"
#include "scene/SceneTestUtil.h"
#include "support/GlTestContext.h"

namespace {

constexpr int W = 160, H = 120;

class SphereRender : public ::testing::Test {
protected:
  void SetUp() override {
    if (!ctx.ok())
      return;
    saved = GeometryStore;
    GeometryStore.sphereList = CompileDatMesh(UnitSphereMesh());
    GeometryStore.envList = GeometryStore.sphereList;
    BuildShellListsFrom(UnitSphereMesh());
    camera.position = Vec3(0, 0, 20);
    camera.look = Vec3(0, 0, -1);
    camera.up = Vec3(0, 1, 0);
    BeginFrame();
  }
  void TearDown() override { GeometryStore = saved; }

  void BuildShellListsFrom(const DatMesh& mesh) {
    GeometryStore.atmosphereList = CompileDatMesh(mesh);
    GeometryStore.scatterList = GeometryStore.atmosphereList;
    GeometryStore.ringList = GeometryStore.atmosphereList;
    GeometryStore.noisedSphereList = GeometryStore.sphereList;
    GeometryStore.geometryList = GeometryStore.sphereList;
  }

  // The saver's frame default state: the fixed state of the start-up, a 4:3
  // frustum, the camera's view on the model-view matrix.
  void BeginFrame() {
    glEnable(GL_ALPHA_TEST);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT1);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_NORMALIZE);
    glDisable(GL_CULL_FACE);
    glDepthMask(GL_TRUE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glViewport(0, 0, W, H);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-0.13333333, 0.13333333, -0.1, 0.1, 0.1, 5000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(camera.position.x, camera.position.y, camera.position.z, 0, 0, 0, 0, 1, 0);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }

  // An unlit white sphere (lighting off through "light").
  static SphereObject* Plain(Vec3 place, float radius) {
    auto* s = new SphereObject;
    s->light = true;
    s->position = s->anchor = place;
    s->radius = radius;
    s->geometry = GeometryStore.sphereList;
    return s;
  }

  // Pixel of the world point's projection (the camera looks down -z from
  // z = 20 with a vertical half view of 20 units there).
  static std::array<int, 2> Project(float x, float y) {
    return {int(W / 2 + x / (20.0f * 4 / 3) * (W / 2)), int(H / 2 + y / 20.0f * (H / 2))};
  }

  GlTestContext ctx{W, H};
  GeometryStoreRecord saved;
  Camera camera;
};

TEST_F(SphereRender, LightsThePixelsOfItsPlace) {
  REQUIRE_GL(ctx);
  std::unique_ptr<SphereObject> s(Plain(Vec3(5, 0, 0), 2));
  s->Render(camera);
  auto centre = Project(5, 0);
  EXPECT_EQ(ctx.Pixel(centre[0], centre[1]).r, 255);
  EXPECT_EQ(ctx.Pixel(centre[0], centre[1] + 5).g, 255); // within the radius (6 pixels)
  EXPECT_EQ(ctx.Pixel(centre[0], centre[1] + 8).g, 0);   // beyond it
  EXPECT_EQ(ctx.Pixel(W / 2, H / 2).r, 0);
  EXPECT_EQ(ctx.Pixel(W - Project(5, 0)[0], centre[1]).r, 0);
}

TEST_F(SphereRender, TranslucentSpheresAddAtTheirAlpha) {
  REQUIRE_GL(ctx);
  std::unique_ptr<SphereObject> s(Plain(Vec3(0, 0, 0), 3));
  s->alpha = 0.5f;
  s->light = false;
  glDisable(GL_LIGHTING); // keep the light out of the colour
  s->Render(camera);
  glDisable(GL_LIGHTING);
  // (source alpha, one) over black: half the white, drawn once (culling keeps
  // the back faces out).
  int r = ctx.Pixel(W / 2, H / 2).r;
  EXPECT_NEAR(r, 128, 3);
}

struct Variant {
  const char* name;
  std::function<void(SphereObject&)> set;
};

// Whatever its modes, a sphere returns to the frame's default state.
TEST_F(SphereRender, EveryModeLeavesTheFrameDefaultState) {
  REQUIRE_GL(ctx);
  static SphereObject parent;
  parent.position = Vec3(1, 2, 3);
  const Variant variants[] = {
      {"plain", [](SphereObject&) {}},
      {"lit", [](SphereObject& s) { s.light = false; }},
      {"light", [](SphereObject& s) { s.light = true; }},
      {"env", [](SphereObject& s) { s.env = true; }},
      {"atmo",
       [](SphereObject& s) {
         s.atmo = true;
         s.geometry = GeometryStore.atmosphereList;
       }},
      {"flash", [](SphereObject& s) { s.flash = s.flashOn = true; }},
      {"flash rnd tga", [](SphereObject& s) { s.flash = s.flashOn = s.rnd = s.tga = true; }},
      {"wire", [](SphereObject& s) { s.wire = true; }},
      {"mask", [](SphereObject& s) { s.mask = true; }},
      {"ring",
       [](SphereObject& s) {
         s.ring = true;
         s.geometry = GeometryStore.ringList;
       }},
      {"sys",
       [](SphereObject& s) {
         s.sys = true;
         s.parent = &parent;
       }},
      {"alpha", [](SphereObject& s) { s.alpha = 0.4f; }},
      {"tga", [](SphereObject& s) { s.tga = true; }},
      {"specular depth", [](SphereObject& s) { s.specular = s.depth = true; }},
      {"everything",
       [](SphereObject& s) {
         s.env = s.atmo = s.flash = s.rnd = s.wire = s.mask = s.ring = s.tga = s.specular =
             s.depth = true;
         s.alpha = 0.5f;
       }},
  };
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.name);
    BeginFrame();
    GLfloat projectionBefore[16], modelviewBefore[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projectionBefore);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelviewBefore);

    std::unique_ptr<SphereObject> s(Plain(Vec3(0, 0, 0), 3));
    s->light = false;
    v.set(*s);
    s->Render(camera);

    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_TRUE(depthWrites);
    GLint cullFace = 0, mode = 0;
    glGetIntegerv(GL_CULL_FACE_MODE, &cullFace);
    EXPECT_EQ(cullFace, GL_BACK);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);

    GLfloat texture[16], projection[16], modelview[16];
    glGetFloatv(GL_TEXTURE_MATRIX, texture);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    for (int i = 0; i < 16; ++i) {
      EXPECT_EQ(texture[i], i % 5 == 0 ? 1.0f : 0.0f) << i;
      EXPECT_EQ(projection[i], projectionBefore[i]) << i;
      EXPECT_EQ(modelview[i], modelviewBefore[i]) << i;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }
}

// The sky sphere sits on the viewer, seen from inside with its own frustum:
// it fills the window without depth test, whatever was drawn before.
TEST_F(SphereRender, SkySphereSurroundsTheViewer) {
  REQUIRE_GL(ctx);
  std::unique_ptr<SphereObject> s(Plain(Vec3(500, 0, 0), 50));
  s->light = false;
  s->env = true;
  s->spinRate = 0;
  s->Render(camera);
  EXPECT_EQ(s->position.z, 20.0f);
  for (auto [x, y] : {std::array<int, 2>{1, 1}, {W - 2, H - 2}, {W / 2, H / 2}, {2, H - 2}})
    EXPECT_EQ(ctx.Pixel(x, y).r, 255) << x << "," << y;
}

// An occluder writes depth but no colour: what comes after it, behind it, is
// hidden; what lies beside it is not.
TEST_F(SphereRender, MaskHidesWhatIsDrawnBehindItLater) {
  REQUIRE_GL(ctx);
  std::unique_ptr<SphereObject> mask(Plain(Vec3(0, 0, 0), 3));
  mask->mask = true;
  std::unique_ptr<SphereObject> behind(Plain(Vec3(0, 0, -20), 12));
  mask->Render(camera);
  EXPECT_EQ(ctx.Pixel(W / 2, H / 2).r, 0) << "the mask itself is invisible";
  behind->Render(camera);
  EXPECT_EQ(ctx.Pixel(W / 2, H / 2).r, 0);
  EXPECT_EQ(ctx.Pixel(W / 2 + 14, H / 2).r, 255); // behind, beside the mask
}

// A satellite is drawn at its parent's place plus its own.
TEST_F(SphereRender, SatelliteAddsItsParentsPlace) {
  REQUIRE_GL(ctx);
  SphereObject parent;
  parent.position = Vec3(-8, 0, 0);
  std::unique_ptr<SphereObject> s(Plain(Vec3(0, 4, 0), 1.5f));
  s->sys = true;
  s->parent = &parent;
  s->spinRate = 0;
  s->Update(0.0);
  s->Render(camera);
  auto at = Project(-8, 4);
  EXPECT_GT(ctx.Pixel(at[0], at[1]).r, 0);
  auto own = Project(0, 4);
  EXPECT_EQ(ctx.Pixel(own[0], own[1]).r, 0);
}

} // namespace
