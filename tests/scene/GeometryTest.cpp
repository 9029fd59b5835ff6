#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <cmath>
#include <utility>

#include "platform/Random.h"
#include "scene/GeometryStore.h"
#include "scene/SceneTestUtil.h"
#include "support/GlTestContext.h"
#include "support/TestArchive.h"

namespace {

DatMesh Read(const std::string& bytes, bool roughen = false) {
  MemoryHolder holder(bytes);
  DatMesh mesh;
  ReadDatMesh(holder.file, roughen, mesh);
  return mesh;
}

TEST(DatMesh, SingleTriangleOf132Bytes) {
  std::string bytes = SingleTriangleDat();
  ASSERT_EQ(bytes.size(), 132u);
  DatMesh mesh = Read(bytes);
  EXPECT_EQ(mesh.vertexCount, 3u);
  EXPECT_EQ(mesh.triangleCount, 1u);
  EXPECT_EQ(mesh.texCoordCount, 3u);
  ASSERT_EQ(mesh.TrianglesHeld(), 1u);
  EXPECT_TRUE(mesh.TriangleValid(0));
  EXPECT_EQ(mesh.vertices, (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0}));
  EXPECT_EQ(mesh.cornerVertex, (std::vector<uint32_t>{0, 1, 2}));
  EXPECT_EQ(mesh.texCoords, (std::vector<float>{0, 0, 1, 0, 0, 1}));
  EXPECT_EQ(mesh.normals, (std::vector<float>{0, 0, 1, 0, 0.6f, 0.8f, 1, 0, 0}));
}

TEST(DatMesh, OutOfRangeIndicesLeaveOnlyThatTriangleOut) {
  DatWriter w;
  w.U32s({3, 3, 2});
  w.Floats({0, 0, 0, 1, 0, 0, 0, 1, 0});
  w.U32s({0, 1, 2, 0, 1, 3, 0xFFFFFFFFu, 0, 1}); // vertex 3 and 2^32-1 do not exist
  w.U32s({1, 1, 1, 0, 0, 0, 0, 0, 0});           // triangle 0: one shared texture index
  w.Floats({0.25f, 0.5f, 0.75f, 1.0f});
  w.Floats({0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1});
  DatMesh mesh = Read(w.bytes);
  ASSERT_EQ(mesh.TrianglesHeld(), 3u);
  EXPECT_TRUE(mesh.TriangleValid(0));
  EXPECT_FALSE(mesh.TriangleValid(1));
  EXPECT_FALSE(mesh.TriangleValid(2));
  for (int c = 0; c < 3; ++c)
    EXPECT_EQ(mesh.cornerTexCoord[c], 1u);

  // A texture index beyond T is as bad as a vertex index beyond V.
  DatWriter t;
  t.U32s({3, 1, 1}).Floats({0, 0, 0, 1, 0, 0, 0, 1, 0}).U32s({0, 1, 2}).U32s({0, 1, 0});
  t.Floats({0, 0}).Floats({0, 0, 1, 0, 0, 1, 0, 0, 1});
  EXPECT_FALSE(Read(t.bytes).TriangleValid(0));
}

// Every cut of the single triangle reads without going past the member, holds
// no more than the bytes back, and keeps what was there.
TEST(DatMesh, TruncatedMembersStopAtTheirEnd) {
  std::string full = SingleTriangleDat();
  for (size_t cut = 0; cut <= full.size(); ++cut) {
    SCOPED_TRACE(cut);
    DatMesh mesh = Read(full.substr(0, cut));
    EXPECT_LE(mesh.vertices.size() * 4 + mesh.cornerVertex.size() * 4 +
                  mesh.cornerTexCoord.size() * 4 + mesh.texCoords.size() * 4 +
                  mesh.normals.size() * 4,
              cut + 5 * 12);
    if (cut >= 12)
      EXPECT_EQ(mesh.vertexCount, 3u);
    if (cut >= 12 + 36)
      EXPECT_EQ(mesh.vertices[7], 1.0f);
    if (cut < 12 + 36 + 12)
      EXPECT_EQ(mesh.TrianglesHeld(), cut <= 48 ? 0u : 1u);
    if (cut == full.size()) {
      EXPECT_TRUE(mesh.TriangleValid(0));
      EXPECT_EQ(mesh.normals.size(), 9u);
    }
  }
  // Cut inside the normals: the triangle stays with the normals it has and
  // zeros for the rest.
  DatMesh mesh = Read(full.substr(0, full.size() - 8));
  ASSERT_EQ(mesh.normals.size(), 9u);
  EXPECT_EQ(mesh.normals[6], 1.0f);
  EXPECT_EQ(mesh.normals[7], 0.0f);
}

TEST(DatMesh, CountsTheMemberCannotBackAllocateNothing) {
  DatWriter w;
  w.U32s({0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu}).Floats({1, 2, 3, 4});
  DatMesh mesh = Read(w.bytes);
  EXPECT_EQ(mesh.vertexCount, 0xFFFFFFFFu);
  EXPECT_LE(mesh.VerticesHeld(), 2u);
  EXPECT_EQ(mesh.TrianglesHeld(), 0u);
  EXPECT_EQ(mesh.TexCoordsHeld(), 0u);
  EXPECT_TRUE(mesh.normals.empty());

  DatWriter u; // huge F after valid vertices
  u.U32s({3, 0x40000000u, 3}).Floats({0, 0, 0, 1, 0, 0, 0, 1, 0}).U32s({0, 1, 2});
  DatMesh second = Read(u.bytes);
  EXPECT_EQ(second.TrianglesHeld(), 1u);
  EXPECT_TRUE(second.cornerTexCoord.empty());
  EXPECT_FALSE(second.TriangleValid(0));
}

TEST(DatMesh, EmptyMemberReadsAsNothing) {
  DatMesh mesh = Read("");
  EXPECT_EQ(mesh.vertexCount, 0u);
  EXPECT_EQ(mesh.triangleCount, 0u);
  EXPECT_EQ(mesh.texCoordCount, 0u);
  EXPECT_TRUE(mesh.vertices.empty());
}

TEST(DatMesh, RougheningKeepsDistancesAndDrawsFourValuesPerVertex) {
  DatWriter w;
  const int n = 50;
  w.U32s({n, 0, 0});
  for (int i = 0; i < n; ++i)
    w.Floats({std::cos(i * 0.3f) * 2.0f, std::sin(i * 0.3f) * 2.0f, 0.1f * i - 2.0f});
  DatMesh plain = Read(w.bytes);
  SRand(7);
  DatMesh rough = Read(w.bytes, true);
  int next = Rand();
  SRand(7);
  for (int i = 0; i < 4 * n; ++i)
    Rand();
  EXPECT_EQ(next, Rand()) << "four draws per vertex";

  int moved = 0;
  for (int i = 0; i < n; ++i) {
    const float* a = &plain.vertices[3 * i];
    const float* b = &rough.vertices[3 * i];
    float la = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
    float lb = std::sqrt(b[0] * b[0] + b[1] * b[1] + b[2] * b[2]);
    EXPECT_NEAR(la, lb, 1e-5f * la);
    float cosine = (a[0] * b[0] + a[1] * b[1] + a[2] * b[2]) / (la * lb);
    EXPECT_GE(cosine, std::cos(2.6f * 3.14159265f / 180.0f) - 1e-6f);
    if (cosine < 0.999999f)
      ++moved;
  }
  EXPECT_GT(moved, n / 2);
}

TEST(Ring, FirstAndLastPairsMeetInPlaceNotInU) {
  RingCorner firstInner, firstOuter, lastInner, lastOuter;
  RingPair(0, firstInner, firstOuter);
  RingPair(RingPairs - 1, lastInner, lastOuter);
  EXPECT_FLOAT_EQ(firstInner.x, 0.6f);
  EXPECT_FLOAT_EQ(firstOuter.x, 1.0f);
  EXPECT_NEAR(lastInner.x, firstInner.x, 1e-6f);
  EXPECT_NEAR(lastInner.y, firstInner.y, 1e-5f);
  EXPECT_NEAR(lastOuter.x, firstOuter.x, 1e-6f);
  EXPECT_NEAR(lastOuter.y, firstOuter.y, 1e-5f);
  EXPECT_EQ(firstInner.u, 0.0f);
  EXPECT_EQ(lastInner.u, 1.0f);
  EXPECT_EQ(firstInner.v, 0.0f);
  EXPECT_EQ(firstOuter.v, 1.0f);
  RingCorner quarterInner, quarterOuter;
  RingPair(20, quarterInner, quarterOuter);
  EXPECT_NEAR(quarterOuter.x, 0.0f, 1e-6f);
  EXPECT_NEAR(quarterOuter.y, 1.0f, 1e-6f);
  EXPECT_EQ(quarterOuter.z, 0.0f);
}

// The compiled single triangle covers what its vertices span and nothing else.
TEST(DatMeshGl, CompiledTriangleCoversItsCorner) {
  GlTestContext ctx(64, 64);
  REQUIRE_GL(ctx);
  DatMesh mesh = Read(SingleTriangleDat());
  uint32_t list = CompileDatMesh(mesh);
  ASSERT_NE(list, 0u);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 1, 0, 1, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glColor3f(1, 1, 1);
  glCallList(list);
  EXPECT_EQ(ctx.Pixel(8, 8).r, 255); // inside, near (0, 0)
  EXPECT_EQ(ctx.Pixel(56, 56).r, 0); // beyond the hypotenuse
  EXPECT_EQ(ctx.Pixel(40, 8).r, 255);

  // An invalid triangle compiles to nothing.
  DatWriter w;
  w.U32s({3, 1, 3}).Floats({0, 0, 0, 1, 0, 0, 0, 1, 0}).U32s({0, 1, 9}).U32s({0, 1, 2});
  w.Floats({0, 0, 1, 0, 0, 1}).Floats({0, 0, 1, 0, 0, 1, 0, 0, 1});
  uint32_t bad = CompileDatMesh(Read(w.bytes));
  glClear(GL_COLOR_BUFFER_BIT);
  glCallList(bad);
  EXPECT_EQ(ctx.Pixel(8, 8).r, 0);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Three squares facing the x axis at x = 0, 1 and -1: the shell lists give
// their corners alpha by x (clamped by OpenGL). The ring lies between radius
// 0.6 and 1.0 around the z axis.
TEST(DatMeshGl, ShellListsTakeTheirAlphaFromX) {
  GlTestContext ctx(90, 30);
  REQUIRE_GL(ctx);
  DatWriter w;
  const float xs[] = {0.0f, 1.0f, -1.0f}, zs[] = {-0.9f, -0.25f, 0.4f};
  w.U32s({12, 6, 1});
  for (int q = 0; q < 3; ++q)
    for (auto [y, dz] : {std::pair{-1.0f, 0.0f}, {-1.0f, 0.5f}, {1.0f, 0.5f}, {1.0f, 0.0f}})
      w.Floats({xs[q], y, zs[q] + dz});
  for (uint32_t q = 0; q < 3; ++q)
    w.U32s({4 * q, 4 * q + 1, 4 * q + 2, 4 * q, 4 * q + 2, 4 * q + 3});
  for (int i = 0; i < 18; ++i)
    w.U32(0);
  w.Floats({0, 0});
  for (int i = 0; i < 6 * 3; ++i)
    w.Floats({1, 0, 0});
  TestArchiveDir dir({{"meshes\\shells.dat", w.bytes}});
  ASSERT_TRUE(dir.Ok());
  GeometryStoreRecord saved = GeometryStore;
  BuildShellLists("meshes/shells.dat");
  ASSERT_NE(GeometryStore.atmosphereList, 0u);
  ASSERT_NE(GeometryStore.scatterList, 0u);
  ASSERT_NE(GeometryStore.ringList, 0u);

  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-1, 1, -1, 1, -2, 2);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glRotatef(90, 0, 1, 0); // z runs to the right
  auto drawn = [&](uint32_t list) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glCallList(list);
    return std::array<int, 3>{ctx.Pixel(10, 15).r, ctx.Pixel(45, 15).r, ctx.Pixel(75, 15).r};
  };
  // Squares left to right: x = 0, 1, -1.
  EXPECT_EQ(drawn(GeometryStore.atmosphereList), (std::array<int, 3>{0, 255, 255}));
  EXPECT_EQ(drawn(GeometryStore.scatterList), (std::array<int, 3>{255, 255, 0}));

  // 45 pixels per unit across, 15 up.
  glLoadIdentity();
  glClear(GL_COLOR_BUFFER_BIT);
  glColor4f(1, 1, 1, 1);
  glCallList(GeometryStore.ringList);
  EXPECT_EQ(ctx.Pixel(45, 15).r, 0);        // centre
  EXPECT_EQ(ctx.Pixel(45 + 18, 15).r, 0);   // radius 0.4, inside the hole
  EXPECT_EQ(ctx.Pixel(45 + 36, 15).r, 255); // radius 0.8
  EXPECT_EQ(ctx.Pixel(45 - 36, 15).r, 255);
  EXPECT_EQ(ctx.Pixel(45, 15 + 12).r, 255);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  GeometryStore = saved;
}

} // namespace
