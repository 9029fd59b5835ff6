// The RAR 2.0 compressor; see RarPack20.h.
#include "resources/RarPack20.h"

namespace rar {

struct Encoder20::State {};

Encoder20::Encoder20() : state(new State) {}
Encoder20::~Encoder20() = default;

std::vector<uint8_t> Encoder20::Compress(const uint8_t* data, size_t size, bool solid) {
  // Not written yet: a result longer than the input makes the writer store.
  return std::vector<uint8_t>(size + 1);
}

} // namespace rar
