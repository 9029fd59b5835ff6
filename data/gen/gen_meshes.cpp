// Writes the scene's triangle meshes in the .dat format into <out>/meshes:
//   sphere.dat   unit sphere, poles on y, smooth normals, seamless texcoords
//   env.dat      the sky: a cube blown up to a unit sphere (no poles to pinch)
//   station.dat  the space station's hull: hub, spine, ring, spokes, dock
//   panels.dat   its solar panel wings
//   windows.dat  the lit band of windows round the ring
//   dome.dat     the glass dome over the hub
// Usage: gen_meshes <out>
#include "GenCommon.h"
#include "SkyCube.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <tuple>

using gen::DatMeshOut;
using gen::Pi;

namespace {

struct V3 {
  float x, y, z;
};
V3 Normalize(V3 v) {
  float l = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  return l > 0 ? V3{v.x / l, v.y / l, v.z / l} : v;
}

// A UV sphere with unique positions (one vertex per pole) so that roughening
// each vertex cannot open cracks; the texture seam gets its own coordinates.
// Longitude runs around y from +z towards +x; v = 0 at the south pole.
DatMeshOut Sphere(int slices, int stacks) {
  DatMeshOut m;
  uint32_t south = m.AddVertex(0, -1, 0);
  std::vector<uint32_t> ring((stacks - 1) * slices);
  for (int j = 1; j < stacks; ++j) {
    float lat = -Pi / 2 + Pi * j / stacks;
    for (int i = 0; i < slices; ++i) {
      float lon = 2 * Pi * i / slices;
      ring[(j - 1) * slices + i] =
          m.AddVertex(std::cos(lat) * std::sin(lon), std::sin(lat), std::cos(lat) * std::cos(lon));
    }
  }
  uint32_t north = m.AddVertex(0, 1, 0);
  // Texture coordinates: (slices + 1) x (stacks + 1), the seam column twice.
  // A pole corner takes the middle of its triangle's longitudes, so the
  // picture is not sheared round the poles: the south pole is used as
  // corner (i + 1, 0) and the north pole as (i, stacks) below.
  for (int j = 0; j <= stacks; ++j)
    for (int i = 0; i <= slices; ++i) {
      float u = static_cast<float>(i);
      if (j == 0)
        u -= 0.5f;
      else if (j == stacks)
        u += 0.5f;
      m.AddTexCoord(u / slices, static_cast<float>(j) / stacks);
    }
  auto vertexAt = [&](int i, int j) -> uint32_t {
    if (j == 0)
      return south;
    if (j == stacks)
      return north;
    return ring[(j - 1) * slices + (i % slices)];
  };
  auto texAt = [&](int i, int j) { return static_cast<uint32_t>(j * (slices + 1) + i); };
  auto tri = [&](int i0, int j0, int i1, int j1, int i2, int j2) {
    uint32_t v[3] = {vertexAt(i0, j0), vertexAt(i1, j1), vertexAt(i2, j2)};
    uint32_t t[3] = {texAt(i0, j0), texAt(i1, j1), texAt(i2, j2)};
    float n[9];
    for (int c = 0; c < 3; ++c)
      for (int k = 0; k < 3; ++k)
        n[c * 3 + k] = m.vertices[v[c] * 3 + k]; // unit sphere: normal = place
    m.AddTriangle(v, t, n);
  };
  for (int j = 0; j < stacks; ++j)
    for (int i = 0; i < slices; ++i) {
      // Counter-clockwise seen from outside.
      if (j > 0)
        tri(i, j, i + 1, j, i, j + 1);
      if (j < stacks - 1)
        tri(i + 1, j, i + 1, j + 1, i, j + 1);
    }
  return m;
}

// The sky: a cube blown up to a sphere, each face an n x n grid mapped to its
// cell of the sky texture (SkyCube.h). Vertices along the faces' edges are
// shared, texture coordinates are not.
DatMeshOut SkySphere(int n) {
  DatMeshOut m;
  std::map<std::tuple<long, long, long>, uint32_t> shared;
  for (const gen::SkyFace& f : gen::SkyFaces) {
    std::vector<uint32_t> v((n + 1) * (n + 1)), t((n + 1) * (n + 1));
    for (int j = 0; j <= n; ++j)
      for (int i = 0; i <= n; ++i) {
        float a = -1 + 2.0f * i / n, b = -1 + 2.0f * j / n;
        V3 p = Normalize({f.n[0] + a * f.s[0] + b * f.t[0], f.n[1] + a * f.s[1] + b * f.t[1],
                          f.n[2] + a * f.s[2] + b * f.t[2]});
        auto key =
            std::make_tuple(std::lround(p.x * 1e5), std::lround(p.y * 1e5), std::lround(p.z * 1e5));
        auto found = shared.find(key);
        if (found == shared.end())
          found = shared.emplace(key, m.AddVertex(p.x, p.y, p.z)).first;
        v[j * (n + 1) + i] = found->second;
        float x, y;
        gen::SkyPixel(f, a, b, x, y);
        t[j * (n + 1) + i] = m.AddTexCoord(x / gen::SkyWidth, 1 - y / gen::SkyHeight);
      }
    auto tri = [&](int i0, int j0, int i1, int j1, int i2, int j2) {
      uint32_t vi[3] = {v[j0 * (n + 1) + i0], v[j1 * (n + 1) + i1], v[j2 * (n + 1) + i2]};
      uint32_t ti[3] = {t[j0 * (n + 1) + i0], t[j1 * (n + 1) + i1], t[j2 * (n + 1) + i2]};
      float nn[9];
      for (int c = 0; c < 3; ++c)
        for (int k = 0; k < 3; ++k)
          nn[c * 3 + k] = m.vertices[vi[c] * 3 + k];
      m.AddTriangle(vi, ti, nn);
    };
    // s x t = n: (i, j) -> (i + 1, j) -> (i, j + 1) turns counter-clockwise
    // seen from outside.
    for (int j = 0; j < n; ++j)
      for (int i = 0; i < n; ++i) {
        tri(i, j, i + 1, j, i, j + 1);
        tri(i + 1, j, i + 1, j + 1, i, j + 1);
      }
  }
  return m;
}

// Builds geometry into a mesh, one quad or triangle at a time, with its own
// vertices per face (flat or given normals).
class Builder {
public:
  explicit Builder(DatMeshOut& m) : m(m) {}
  // Placement applied to everything added: rotation (columns) and offset.
  void SetFrame(V3 ax, V3 ay, V3 az, V3 origin) { fx = ax, fy = ay, fz = az, fo = origin; }
  void ResetFrame() { SetFrame({1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}); }

  void Triangle(const V3 p[3], const V3 n[3], const float uv[6]) {
    // Quads that close at a pole give triangles without area: leave them out.
    V3 e1{p[1].x - p[0].x, p[1].y - p[0].y, p[1].z - p[0].z};
    V3 e2{p[2].x - p[0].x, p[2].y - p[0].y, p[2].z - p[0].z};
    V3 c{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
    if (c.x * c.x + c.y * c.y + c.z * c.z < 1e-14f)
      return;
    uint32_t v[3], t[3];
    float nn[9];
    for (int c = 0; c < 3; ++c) {
      V3 q = Place(p[c]), r = Normalize(Turn(n[c]));
      v[c] = m.AddVertex(q.x, q.y, q.z);
      t[c] = m.AddTexCoord(uv[c * 2], uv[c * 2 + 1]);
      nn[c * 3] = r.x, nn[c * 3 + 1] = r.y, nn[c * 3 + 2] = r.z;
    }
    m.AddTriangle(v, t, nn);
  }
  // Quad a b c d counter-clockwise from the side its normals face.
  void Quad(V3 a, V3 b, V3 c, V3 d, V3 na, V3 nb, V3 nc, V3 nd, float u0, float v0, float u1,
            float v1) {
    V3 p1[3] = {a, b, c}, n1[3] = {na, nb, nc};
    float t1[6] = {u0, v0, u1, v0, u1, v1};
    Triangle(p1, n1, t1);
    V3 p2[3] = {a, c, d}, n2[3] = {na, nc, nd};
    float t2[6] = {u0, v0, u1, v1, u0, v1};
    Triangle(p2, n2, t2);
  }
  void FlatQuad(V3 a, V3 b, V3 c, V3 d, float u0, float v0, float u1, float v1) {
    V3 e1{b.x - a.x, b.y - a.y, b.z - a.z}, e2{d.x - a.x, d.y - a.y, d.z - a.z};
    V3 n = Normalize(
        {e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x});
    Quad(a, b, c, d, n, n, n, n, u0, v0, u1, v1);
  }

  // Cylinder along z from z0 to z1, with caps when asked; u runs around.
  void Cylinder(float radius, float z0, float z1, int sides, bool caps, float uRepeat = 1,
                float vRepeat = 1) {
    for (int i = 0; i < sides; ++i) {
      float a0 = 2 * Pi * i / sides, a1 = 2 * Pi * (i + 1) / sides;
      V3 n0{std::cos(a0), std::sin(a0), 0}, n1{std::cos(a1), std::sin(a1), 0};
      V3 b0{radius * n0.x, radius * n0.y, z0}, b1{radius * n1.x, radius * n1.y, z0};
      V3 t0{b0.x, b0.y, z1}, t1{b1.x, b1.y, z1};
      float u0 = uRepeat * i / sides, u1 = uRepeat * (i + 1) / sides;
      Quad(b0, b1, t1, t0, n0, n1, n1, n0, u0, 0, u1, vRepeat);
      if (caps) {
        V3 up{0, 0, 1}, down{0, 0, -1};
        V3 ct{0, 0, z1}, cb{0, 0, z0};
        V3 pt[3] = {ct, t0, t1}, nt[3] = {up, up, up};
        float uvt[6] = {0.5f,
                        0.5f,
                        0.5f + 0.5f * n0.x,
                        0.5f + 0.5f * n0.y,
                        0.5f + 0.5f * n1.x,
                        0.5f + 0.5f * n1.y};
        Triangle(pt, nt, uvt);
        V3 pb[3] = {cb, b1, b0}, nb[3] = {down, down, down};
        float uvb[6] = {0.5f,
                        0.5f,
                        0.5f + 0.5f * n1.x,
                        0.5f + 0.5f * n1.y,
                        0.5f + 0.5f * n0.x,
                        0.5f + 0.5f * n0.y};
        Triangle(pb, nb, uvb);
      }
    }
  }

  // Box with half sizes h about c; texture repeats `rep` times per unit.
  void Box(V3 c, V3 h, float rep) {
    float x0 = c.x - h.x, x1 = c.x + h.x, y0 = c.y - h.y, y1 = c.y + h.y, z0 = c.z - h.z,
          z1 = c.z + h.z;
    float sx = 2 * h.x * rep, sy = 2 * h.y * rep, sz = 2 * h.z * rep;
    FlatQuad({x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}, 0, 0, sx, sy); // top
    FlatQuad({x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}, {x0, y0, z0}, 0, 0, sx, sy); // bottom
    FlatQuad({x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}, 0, 0, sx, sz); // -y
    FlatQuad({x1, y1, z0}, {x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}, 0, 0, sx, sz); // +y
    FlatQuad({x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}, 0, 0, sy, sz); // +x
    FlatQuad({x0, y1, z0}, {x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, 0, 0, sy, sz); // -x
  }

  // Torus round z (major radius R, minor r); the minor angle runs from
  // phi0 to phi1 (0 = outermost). u around the ring, v across the tube.
  void Torus(float R, float r, int seg, int sides, float phi0, float phi1, float uRepeat,
             float vRepeat) {
    auto point = [&](float a, float p, V3& pos, V3& nrm) {
      nrm = {std::cos(p) * std::cos(a), std::cos(p) * std::sin(a), std::sin(p)};
      pos = {(R + r * std::cos(p)) * std::cos(a), (R + r * std::cos(p)) * std::sin(a),
             r * std::sin(p)};
    };
    for (int i = 0; i < seg; ++i)
      for (int j = 0; j < sides; ++j) {
        float a0 = 2 * Pi * i / seg, a1 = 2 * Pi * (i + 1) / seg;
        float p0 = phi0 + (phi1 - phi0) * j / sides, p1 = phi0 + (phi1 - phi0) * (j + 1) / sides;
        V3 q00, q10, q11, q01, n00, n10, n11, n01;
        point(a0, p0, q00, n00);
        point(a1, p0, q10, n10);
        point(a1, p1, q11, n11);
        point(a0, p1, q01, n01);
        Quad(q00, q10, q11, q01, n00, n10, n11, n01, uRepeat * i / seg, vRepeat * j / sides,
             uRepeat * (i + 1) / seg, vRepeat * (j + 1) / sides);
      }
  }

  // Half sphere over z = 0 (z >= 0), radius r.
  void Dome(float r, int seg, int rings) {
    for (int i = 0; i < seg; ++i)
      for (int j = 0; j < rings; ++j) {
        auto pt = [&](int a, int b) {
          float lon = 2 * Pi * a / seg, lat = 0.5f * Pi * b / rings;
          return V3{std::cos(lat) * std::cos(lon), std::cos(lat) * std::sin(lon), std::sin(lat)};
        };
        V3 n00 = pt(i, j), n10 = pt(i + 1, j), n11 = pt(i + 1, j + 1), n01 = pt(i, j + 1);
        auto s = [&](V3 n) { return V3{n.x * r, n.y * r, n.z * r}; };
        Quad(s(n00), s(n10), s(n11), s(n01), n00, n10, n11, n01, 0.5f + 0.5f * n00.x,
             0.5f + 0.5f * n00.y, 0.5f + 0.5f * n11.x, 0.5f + 0.5f * n11.y);
      }
  }

private:
  V3 Turn(V3 p) const {
    return {fx.x * p.x + fy.x * p.y + fz.x * p.z, fx.y * p.x + fy.y * p.y + fz.y * p.z,
            fx.z * p.x + fy.z * p.y + fz.z * p.z};
  }
  V3 Place(V3 p) const {
    V3 q = Turn(p);
    return {q.x + fo.x, q.y + fo.y, q.z + fo.z};
  }
  DatMeshOut& m;
  V3 fx{1, 0, 0}, fy{0, 1, 0}, fz{0, 0, 1}, fo{0, 0, 0};
};

// The station stands along its z axis: a hub with a long spine, a ring on
// four spokes round the hub, a docking block on top and a dish below.
DatMeshOut StationHull() {
  DatMeshOut m;
  Builder b(m);
  b.Cylinder(0.24f, -0.32f, 0.32f, 24, true, 3, 1.5f);  // hub
  b.Cylinder(0.075f, -1.35f, 1.25f, 12, true, 1, 6);    // spine
  b.Torus(0.95f, 0.085f, 64, 10, 0, 2 * Pi, 12, 1);     // habitat ring
  b.Cylinder(0.16f, 0.55f, 0.75f, 16, true, 2, 0.5f);   // upper module
  b.Cylinder(0.16f, -0.75f, -0.55f, 16, true, 2, 0.5f); // lower module
  b.Box({0, 0, 1.32f}, {0.11f, 0.11f, 0.07f}, 3);       // docking block
  b.Cylinder(0.012f, 1.32f, 1.7f, 6, false, 1, 1);      // antenna
  for (int k = 0; k < 4; ++k) {                         // spokes
    float a = Pi / 2 * k + Pi / 4;
    V3 dir{std::cos(a), std::sin(a), 0}, side{-std::sin(a), std::cos(a), 0};
    b.SetFrame(side, {0, 0, 1}, dir, {0, 0, 0});
    b.Cylinder(0.03f, 0.22f, 0.88f, 8, false, 1, 2);
  }
  b.ResetFrame();
  // A dish hanging under the spine, opening downwards.
  b.SetFrame({1, 0, 0}, {0, -1, 0}, {0, 0, -1}, {0, 0, -1.35f});
  b.Dome(0.22f, 20, 4);
  b.ResetFrame();
  return m;
}

// Two wings of solar panels on a cross-bar below the ring.
DatMeshOut StationPanels() {
  DatMeshOut m;
  Builder b(m);
  b.Box({0, 0, -1.05f}, {1.65f, 0.02f, 0.02f}, 2); // cross-bar
  for (int side = -1; side <= 1; side += 2)
    for (int k = 0; k < 3; ++k) {
      float x = side * (0.45f + 0.42f * k);
      b.Box({x, 0, -1.05f}, {0.19f, 0.34f, 0.008f}, 1.5f);
    }
  return m;
}

// The outer band of the ring, a touch outside the hull, for the windows.
DatMeshOut StationWindows() {
  DatMeshOut m;
  Builder b(m);
  b.Torus(0.95f, 0.09f, 64, 4, -0.55f, 0.55f, 16, 1);
  return m;
}

DatMeshOut StationDome() {
  DatMeshOut m;
  Builder b(m);
  b.SetFrame({1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0.32f});
  b.Dome(0.2f, 24, 8);
  return m;
}

bool Write(const std::string& dir, const char* name, const DatMeshOut& m) {
  return gen::WriteFile(dir + "/meshes/" + name, m.Serialize());
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gen_meshes <out>\n");
    return 2;
  }
  std::string out = argv[1];
  bool ok = Write(out, "sphere.dat", Sphere(64, 32)) && Write(out, "env.dat", SkySphere(24)) &&
            Write(out, "station.dat", StationHull()) && Write(out, "panels.dat", StationPanels()) &&
            Write(out, "windows.dat", StationWindows()) && Write(out, "dome.dat", StationDome());
  return ok ? 0 : 1;
}
