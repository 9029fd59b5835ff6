// Decoders of the RAR 1.5 (unpack version 15) and RAR 2.0 (unpack version 20,
// with its multimedia blocks) compression methods. One Unpacker carries the
// sliding window and the adaptive state from one member to the next, which is
// what a solid archive needs; a non-solid member starts afresh.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

namespace rar {

class Unpacker {
public:
  // windowSize: the sliding window, a power of two up to MaxWindowSize. The
  // largest serves every archive; a smaller one suits a single non-solid
  // member no larger than it (its matches never reach further back).
  explicit Unpacker(uint32_t windowSize = MaxWindowSize);
  static constexpr uint32_t MaxWindowSize = 0x400000;
  // The window for one non-solid member of this size.
  static uint32_t WindowFor(uint64_t unpackedSize);
  ~Unpacker();
  Unpacker(const Unpacker&) = delete;
  Unpacker& operator=(const Unpacker&) = delete;

  // True for the unpack versions this decoder handles (15, 20 and 26).
  static bool Supports(int unpackVersion);

  // Decodes one member: `packed` holds its packed bytes, `out` receives
  // exactly unpackedSize bytes. `solid` continues the window and state of the
  // members decoded before; otherwise everything starts afresh. False on
  // corrupt data (never reads or writes outside the given buffers).
  bool Unpack(int unpackVersion, const uint8_t* packed, size_t packedSize, bool solid, uint8_t* out,
              size_t unpackedSize);

  struct State;

private:
  std::unique_ptr<State> state;
};

} // namespace rar
