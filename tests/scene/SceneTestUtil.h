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
