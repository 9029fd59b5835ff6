// The RAR 1.5 and 2.0 decoders; see RarUnpack.h.
#include "resources/RarUnpack.h"

namespace rar {

struct Unpacker::State {};

Unpacker::Unpacker() : state(new State) {}
Unpacker::~Unpacker() = default;

bool Unpacker::Supports(int unpackVersion) {
  return unpackVersion == 15 || unpackVersion == 20 || unpackVersion == 26;
}

bool Unpacker::Unpack(int unpackVersion, const uint8_t* packed, size_t packedSize, bool solid,
                      uint8_t* out, size_t unpackedSize) {
  return false;
}

} // namespace rar
