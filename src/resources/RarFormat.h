// Constants and small helpers of the RAR 1.5 - 2.x archive format, shared by
// the reader (RarReader), the writer (RarWriter), the RAR 2.0 packer and
// unpacker (RarPack20, RarUnpack) and the tool.
#pragma once
#include <cstddef>
#include <cstdint>

namespace rar {

// "Rar!" 0x1a 0x07 0x00: the marker block that opens every archive.
constexpr uint8_t Marker[7] = {0x52, 0x61, 0x72, 0x21, 0x1a, 0x07, 0x00};
constexpr size_t MarkerSize = 7;

// Block types.
constexpr uint8_t BlockMarker = 0x72;
constexpr uint8_t BlockArchive = 0x73;
constexpr uint8_t BlockFile = 0x74;
constexpr uint8_t BlockEnd = 0x7b;

// Flags of every block: an ADD_SIZE field follows the 7-byte base header.
constexpr uint16_t FlagLongBlock = 0x8000;

// Archive header flags.
constexpr uint16_t ArcVolume = 0x0001;
constexpr uint16_t ArcComment = 0x0002;
constexpr uint16_t ArcSolid = 0x0008;
constexpr uint16_t ArcEncryptedHeaders = 0x0080;

// File header flags.
constexpr uint16_t FileSplitBefore = 0x0001;
constexpr uint16_t FileSplitAfter = 0x0002;
constexpr uint16_t FileEncrypted = 0x0004;
constexpr uint16_t FileComment = 0x0008;
// Set by RAR 2.0 and later on every member of a solid archive after the
// first; RAR 1.5 leaves it clear and marks solidity only in the archive header.
constexpr uint16_t FileSolid = 0x0010;
// Bits 5-7 (RAR 2.0 and later): 64 KB << n; 7 = directory. RAR 1.5 leaves
// them clear and marks a directory only by its MS-DOS attribute.
constexpr uint16_t FileDictMask = 0x00e0;
constexpr uint16_t FileDirectory = 0x00e0;
constexpr uint16_t FileLarge = 0x0100;   // HIGH_PACK_SIZE and HIGH_UNP_SIZE follow
constexpr uint16_t FileUnicode = 0x0200; // name: plain part, NUL, encoded Unicode
constexpr uint16_t FileSalt = 0x0400;
constexpr uint16_t FileExtTime = 0x1000;

// Host systems whose FILE_ATTR holds MS-DOS attributes, and the directory one.
constexpr uint8_t HostMsDos = 0;
constexpr uint8_t HostOs2 = 1;
constexpr uint8_t HostWin32 = 2;
constexpr uint32_t DosAttrDirectory = 0x10;

// The first unpack version whose file headers carry FileSolid and the
// directory value of FileDictMask.
constexpr uint8_t UnpackVersion20 = 20;

// Methods.
constexpr uint8_t MethodStore = 0x30;
constexpr uint8_t MethodFastest = 0x31;
constexpr uint8_t MethodNormal = 0x33;
constexpr uint8_t MethodBest = 0x35;

// Sizes of the fixed parts.
constexpr size_t BaseHeaderSize = 7;
constexpr size_t ArchiveHeaderSize = 13;
constexpr size_t FileHeaderFixedSize = 32; // up to and including FILE_ATTR

// The largest member the reader unpacks.
constexpr uint32_t MaxUnpackedSize = 256u * 1024u * 1024u;

// RAR 2.0 match coding: the first value of each length, distance and short
// distance slot, and the number of extra bits that follow its symbol.
inline constexpr uint8_t LBits[28] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,
                                      2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};
inline constexpr uint32_t LDecode[28] = {0,  1,  2,  3,   4,   5,   6,   7,  8,  10,
                                         12, 14, 16, 20,  24,  28,  32,  40, 48, 56,
                                         64, 80, 96, 112, 128, 160, 192, 224};
inline constexpr uint8_t DBits[48] = {
    0,  0,  0,  0,  1,  1,  2,  2,  3,  3,  4,  4,  5,  5,  6,  6,  7,  7,  8,  8,  9,  9,  10, 10,
    11, 11, 12, 12, 13, 13, 14, 14, 15, 15, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16};
inline constexpr uint32_t DDecode[48] = {
    0,      1,      2,      3,      4,      6,      8,      12,     16,     24,     32,     48,
    64,     96,     128,    192,    256,    384,    512,    768,    1024,   1536,   2048,   3072,
    4096,   6144,   8192,   12288,  16384,  24576,  32768,  49152,  65536,  98304,  131072, 196608,
    262144, 327680, 393216, 458752, 524288, 589824, 655360, 720896, 786432, 851968, 917504, 983040};
inline constexpr uint8_t SDBits[8] = {2, 2, 3, 4, 5, 6, 6, 6};
inline constexpr uint32_t SDDecode[8] = {0, 4, 8, 16, 32, 64, 128, 192};

inline uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t Get32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// zlib's crc32 of a byte range (any length, including 0).
uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);

} // namespace rar
