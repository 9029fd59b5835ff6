// The RAR 1.5 / 2.0 decoders on their own, without the header checks in
// front. Input: one control byte (bits 0-1: unpack version 15, 20 or 26;
// bit 2: a second, solid member follows; bits 3-4: its unpack version), three bytes of unpacked
// size (little-endian, up to 1 MiB), then the packed bytes. With a second member two more bytes
// give the length of the first member's packed bytes (little-endian); the rest is the second
// member, which continues the window of the first and unpacks to the same size.
#include <cstdint>
#include <vector>

#include "resources/RarUnpack.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4)
    return 0;
  static const int Versions[] = {15, 20, 26, 20};
  int version = Versions[data[0] & 3];
  bool twoMembers = (data[0] & 4) != 0;
  size_t unpackedSize = (data[1] | (data[2] << 8) | (data[3] << 16)) & 0xfffff;
  const uint8_t* packed = data + 4;
  size_t packedSize = size - 4;

  rar::Unpacker unpacker;
  std::vector<uint8_t> out(unpackedSize);
  if (!twoMembers) {
    unpacker.Unpack(version, packed, packedSize, false, out.data(), out.size());
    return 0;
  }
  if (packedSize < 2)
    return 0;
  size_t first = packed[0] | (packed[1] << 8);
  packed += 2;
  packedSize -= 2;
  if (first > packedSize)
    first = packedSize;
  unpacker.Unpack(version, packed, first, false, out.data(), out.size());
  // A solid chain may switch methods from one member to the next.
  int secondVersion = Versions[(data[0] >> 3) & 3];
  unpacker.Unpack(secondVersion, packed + first, packedSize - first, true, out.data(), out.size());
  return 0;
}
