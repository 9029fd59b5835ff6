// One object file holding every kind this folder draws, read by the object-file
// loader and then updated and drawn frame by frame the way the frame driver
// does it.
#include <gtest/gtest.h>

#include <cstring>

#include "objects/Billboard.h"
#include "objects/Flame.h"
#include "objects/LensFlare.h"
#include "objects/Mesh.h"
#include "objects/ObjectTestUtil.h"
#include "objects/ParticleSystem.h"
#include "platform/Random.h"
#include "scene/GeometryStore.h"
#include "scene/ObjectFile.h"

namespace {

// A square of half size 500 in the local y-z plane, facing local +x (so, with
// the default axes, facing a viewer on world +z), as a .dat mesh.
std::string SquareDat() {
  std::string bytes;
  auto u32 = [&](uint32_t v) { bytes.append(reinterpret_cast<const char*>(&v), 4); };
  auto f32 = [&](float v) { bytes.append(reinterpret_cast<const char*>(&v), 4); };
  u32(4);
  u32(2);
  u32(4);
  const float corners[4][2] = {{-500, -500}, {500, -500}, {500, 500}, {-500, 500}};
  for (auto& c : corners) {
    f32(0);
    f32(c[0]);
    f32(c[1]);
  }
  for (uint32_t i : {0u, 1u, 2u, 0u, 2u, 3u})
    u32(i);
  for (uint32_t i : {0u, 1u, 2u, 0u, 2u, 3u})
    u32(i);
  for (float t : {0.f, 0.f, 1.f, 0.f, 1.f, 1.f, 0.f, 1.f})
    f32(t);
  for (int i = 0; i < 6; ++i) {
    f32(1);
    f32(0);
    f32(0);
  }
  return bytes;
}

const char* const SceneText = "dir objects\n"
                              "geometry meshes\\square.dat\n"
                              "mesh\n"
                              "begin station\n"
                              "position V(-2400 1200 0)\n"
                              "illum\n"
                              "end\n"
                              "billboard\n"
                              "begin\n"
                              "parent station V(0 -2400 0)\n"
                              "size 500\n"
                              "texture textures\\white.jpg\n"
                              "end\n"
                              "flame\n"
                              "begin\n"
                              "size -1400\n"
                              "orient V(2400 -1200 0)\n"
                              "end\n"
                              "ps\n"
                              "begin\n"
                              "texture textures\\white.jpg\n"
                              "line\n"
                              "dens 20\n"
                              "end\n"
                              "flare\n"
                              "begin\n"
                              "texture textures\\white.jpg\n"
                              "position V(0 -1600 0)\n"
                              "end\n"
                              "ENDWORLD\n";

TEST(SceneOfEveryKind, EachKindShowsInOneFrame) {
  TestFrame frame;
  REQUIRE_GL(frame.gl);
  GeometryStoreRecord saved = GeometryStore;
  MakeTexture("textures\\white.jpg", 255, 255, 255);
  TestArchiveDir dir({{"objects.txt", SceneText}, {"meshes\\square.dat", SquareDat()}});
  ASSERT_TRUE(dir.Ok());
  SRand(1);
  ObjectList list;
  LoadObjectFile(list, "objects.txt");
  ASSERT_EQ(list.Size(), 5u);
  auto* mesh = dynamic_cast<MeshObject*>(list[0]);
  auto* billboard = dynamic_cast<BillboardObject*>(list[1]);
  ASSERT_NE(mesh, nullptr);
  ASSERT_NE(billboard, nullptr);
  ASSERT_NE(dynamic_cast<FlameObject*>(list[2]), nullptr);
  ASSERT_NE(dynamic_cast<ParticleSystemObject*>(list[3]), nullptr);
  ASSERT_NE(dynamic_cast<FlareObject*>(list[4]), nullptr);
  EXPECT_NE(mesh->displayList, 0u);
  EXPECT_EQ(billboard->parentObject, mesh);

  // Three frames: the flare needs one to see its light and one update to
  // brighten.
  for (int f = 0; f < 3; ++f) {
    if (f > 0)
      for (SceneObject* o : list)
        o->Update(0.05);
    frame.Begin(Vec3(0, 0, 6000), Vec3(0, 0, 0));
    for (SceneObject* o : list)
      o->Render(frame.camera);
    frame.ExpectDefaultState();
  }

  // 0.04 pixels per unit at the scene's distance: 2400 units are 96 pixels.
  EXPECT_GT(frame.Brightness(64, 168), 700);  // the mesh, white and unlit
  EXPECT_GT(frame.Brightness(64, 72), 300);   // the billboard below its parent
  EXPECT_GT(frame.Brightness(160, 120), 100); // the jet at the origin
  EXPECT_GT(frame.Brightness(160, 56), 100);  // the flare's glow
  int flame = 0;                              // the ring about (2400, -1200)
  for (int y = 60; y < 85; ++y)
    flame = std::max(flame, frame.Brightness(256, y));
  EXPECT_GT(flame, 300);
  EXPECT_EQ(frame.Brightness(256, 168), 0); // nothing placed there
  GeometryStore = saved;
  Textures.Clear();
}

} // namespace
