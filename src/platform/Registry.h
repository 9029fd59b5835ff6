// The per-user settings store: our stand-in for the registry calls
// RegCreateKeyExA, RegQueryValueExA, RegSetValueExA and RegCloseKey.
//
// A key "Software\A\B" of the current user lives in the text file
// ${XDG_CONFIG_HOME:-$HOME/.config}/A/B.reg in the registry export format:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\A\B]
//   "ShowClock"=dword:00000001
//   "Path"="C:\\Games\\Nimbrel"
//
// Opening a key creates the file when it is absent. Writes are kept in memory
// and saved when the key is closed (or destroyed): a temporary file is written
// and renamed over the old one, so a crash mid-save loses nothing. Lines and
// values the store does not know are kept as they are; lines it cannot read
// are passed over when reading.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class RegistryKey {
public:
  RegistryKey() = default;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  virtual ~RegistryKey();

  // RegCreateKeyExA under the current user: opens the key's file, creating it
  // (and its folders) when absent. False when the file can neither be read
  // nor created; the key then still answers queries (nothing) and takes
  // writes (which a later Close tries to save).
  bool Create(const char* subKey);
  // RegCloseKey: saves pending writes. Returns whether the save worked (true
  // when there was nothing to save).
  bool Close();

  // RegQueryValueExA of a REG_DWORD: false when missing or of another type.
  bool QueryDword(const char* name, uint32_t* value) const;
  // RegQueryValueExA of a REG_SZ into size bytes (terminator included): false
  // when missing, of another type, or too long for the buffer (the buffer is
  // then left as it was).
  bool QueryString(const char* name, char* buffer, size_t size) const;
  // RegSetValueExA.
  void SetDword(const char* name, uint32_t value);
  void SetString(const char* name, const char* value);

  // The file behind the key ("" before Create).
  const std::string& FilePath() const { return path; }

  // The file that holds subKey ("Software\A\B" -> <config dir>/A/B.reg).
  static std::string FileForKey(const char* subKey);

private:
  struct Line {
    Line() = default;
    explicit Line(std::string t) : text(std::move(t)) {}
    std::string text; // the line as it stands in the file (no line end)
    bool inSection = false;
    std::string name; // value name when the line declares a value
    bool isDword = false;
    bool isString = false;
    uint32_t dword = 0;
    std::string string;
  };
  void Parse(const std::string& text);
  const Line* FindValue(const char* name) const;
  void SetLine(const char* name, const std::string& text, bool isDword, uint32_t dword,
               const std::string& string);

  std::string path;
  std::string section; // "HKEY_CURRENT_USER\<subKey>"
  std::vector<Line> lines;
  bool open = false;
  bool dirty = false;
};
