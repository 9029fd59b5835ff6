// Our RAR 2.0 compressor (unpack version 20): LZ77 over a 1 MiB window with
// hash chains, coded with the RAR 2.0 Huffman block format (no multimedia
// mode). The output decodes with rar::Unpacker.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace rar {

class Encoder20 {
public:
  Encoder20();
  ~Encoder20();
  Encoder20(const Encoder20&) = delete;
  Encoder20& operator=(const Encoder20&) = delete;

  // Compresses one member. With solid false the member starts afresh (a
  // member of a non-solid archive); with solid true it continues the window
  // and tables of the members compressed before by this encoder, exactly as
  // the decoder of a solid archive expects.
  std::vector<uint8_t> Compress(const uint8_t* data, size_t size, bool solid);

  struct State;

private:
  std::unique_ptr<State> state;
};

// The window our encoder declares in the file header (dictionary bits).
constexpr uint16_t Encoder20DictFlags = 0x0080; // 1024 KB

} // namespace rar
