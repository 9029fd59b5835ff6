// Writes RAR 2.0 archives (the format of data.sdd): each member stored, or
// compressed with our RAR 2.0 encoder (unpack version 20) when that makes it
// smaller. Headers carry a fixed timestamp, so equal input gives equal bytes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct RarInputMember {
  std::string name;          // path inside the archive, backslashes as given
  std::vector<uint8_t> data; // the member's bytes
};

// Writes the archive to path. storeOnly stores every member; otherwise each is
// compressed where that is smaller. False when the file cannot be written or a
// member is too large for the format (4 GiB) or its name longer than 65535.
bool WriteRarArchive(const std::string& path, const std::vector<RarInputMember>& members,
                     bool storeOnly);

// Options for tests and tools that need more control.
struct RarWriteOptions {
  bool storeOnly = false;
  // Makes a solid archive: every compressed member after the first continues
  // the window of the one before it (one compressed stream split at member
  // boundaries). Members are then always compressed.
  bool solid = false;
};

// The archive's bytes, in memory.
bool BuildRarArchive(const std::vector<RarInputMember>& members, const RarWriteOptions& options,
                     std::vector<uint8_t>& archive);
bool WriteRarArchive(const std::string& path, const std::vector<RarInputMember>& members,
                     const RarWriteOptions& options);
