// Helpers of the scene tests: .dat mesh bytes and object files in a
// temporary data.sdd.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "resources/ArchiveFile.h"

// Little-endian bytes of a .dat mesh.
class DatWriter {
public:
  DatWriter& U32(uint32_t v) {
    Append(&v, 4);
    return *this;
  }
  DatWriter& F32(float v) {
    Append(&v, 4);
    return *this;
  }
  DatWriter& Floats(std::initializer_list<float> values) {
    for (float v : values)
      F32(v);
    return *this;
  }
  DatWriter& U32s(std::initializer_list<uint32_t> values) {
    for (uint32_t v : values)
      U32(v);
    return *this;
  }
  std::string bytes;

private:
  void Append(const void* p, size_t n) { bytes.append(static_cast<const char*>(p), n); }
};

// The single triangle: V = 3, F = 1, T = 3; vertices (0 0 0) (1 0 0) (0 1 0),
// texture coordinates (0 0) (1 0) (0 1), corner normals (0 0 1) (0 0.6 0.8)
// (1 0 0). 132 bytes.
inline std::string SingleTriangleDat() {
  DatWriter w;
  w.U32s({3, 1, 3});
  w.Floats({0, 0, 0, 1, 0, 0, 0, 1, 0});
  w.U32s({0, 1, 2});
  w.U32s({0, 1, 2});
  w.Floats({0, 0, 1, 0, 0, 1});
  w.Floats({0, 0, 1, 0, 0.6f, 0.8f, 1, 0, 0});
  return w.bytes;
}

// An ArchiveFile holding the given bytes as if a member had been opened.
class MemoryHolder {
public:
  explicit MemoryHolder(const std::string& bytes) : buffer(bytes.begin(), bytes.end()) {
    file.data = buffer.empty() ? nullptr : buffer.data();
    file.size = static_cast<uint32_t>(buffer.size());
  }
  ~MemoryHolder() {
    // The bytes belong to this helper, not to the holder.
    file.data = nullptr;
    file.size = 0;
  }
  ArchiveFile file;

private:
  std::vector<uint8_t> buffer;
};

// Puts the text into the object-file holder, as if the loader had opened a
// member holding it, for calling a block reader directly.
class HeldObjectFile {
public:
  explicit HeldObjectFile(ArchiveFile& holder, const std::string& text)
      : holder(holder), buffer(text.begin(), text.end()) {
    holder.Close();
    holder.data = buffer.empty() ? nullptr : buffer.data();
    holder.size = static_cast<uint32_t>(buffer.size());
    holder.cursor = 0;
  }
  ~HeldObjectFile() {
    holder.data = nullptr;
    holder.size = 0;
    holder.cursor = 0;
  }

private:
  ArchiveFile& holder;
  std::vector<uint8_t> buffer;
};

#include <cmath>

#include "scene/GeometryStore.h"

// A unit sphere of slices x stacks quads (two triangles each), outward
// facing and counter-clockwise seen from outside, with unit normals.
inline DatMesh UnitSphereMesh(int slices = 24, int stacks = 12) {
  DatMesh mesh;
  const float pi = 3.14159265f;
  for (int j = 0; j <= stacks; ++j) {
    float phi = pi * j / stacks; // from the +y pole down
    for (int i = 0; i <= slices; ++i) {
      float theta = 2.0f * pi * i / slices;
      mesh.vertices.insert(mesh.vertices.end(), {std::sin(phi) * std::cos(theta), std::cos(phi),
                                                 -std::sin(phi) * std::sin(theta)});
      mesh.texCoords.insert(mesh.texCoords.end(), {float(i) / slices, 1.0f - float(j) / stacks});
    }
  }
  auto index = [&](int i, int j) { return uint32_t(j * (slices + 1) + i); };
  auto corner = [&](uint32_t v) {
    mesh.cornerVertex.push_back(v);
    mesh.cornerTexCoord.push_back(v);
    mesh.normals.insert(mesh.normals.end(),
                        {mesh.vertices[3 * v], mesh.vertices[3 * v + 1], mesh.vertices[3 * v + 2]});
  };
  for (int j = 0; j < stacks; ++j)
    for (int i = 0; i < slices; ++i) {
      uint32_t a = index(i, j), b = index(i, j + 1), c = index(i + 1, j + 1), d = index(i + 1, j);
      corner(a), corner(b), corner(c);
      corner(a), corner(c), corner(d);
    }
  mesh.vertexCount = uint32_t(mesh.vertices.size() / 3);
  mesh.texCoordCount = uint32_t(mesh.texCoords.size() / 2);
  mesh.triangleCount = uint32_t(mesh.cornerVertex.size() / 3);
  return mesh;
}

// The .dat bytes of a mesh.
inline std::string DatBytes(const DatMesh& mesh) {
  DatWriter w;
  w.U32(mesh.vertexCount).U32(mesh.triangleCount).U32(mesh.texCoordCount);
  for (float v : mesh.vertices)
    w.F32(v);
  for (uint32_t i : mesh.cornerVertex)
    w.U32(i);
  for (uint32_t i : mesh.cornerTexCoord)
    w.U32(i);
  for (float v : mesh.texCoords)
    w.F32(v);
  for (float v : mesh.normals)
    w.F32(v);
  return w.bytes;
}
