#include "platform/Registry.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* RootName = "HKEY_CURRENT_USER";

std::string ConfigDir() {
  const char* xdg = getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/')
    return xdg;
  const char* home = getenv("HOME");
  if (!home || !*home) {
    struct passwd* pw = getpwuid(getuid());
    home = pw && pw->pw_dir ? pw->pw_dir : "/tmp";
  }
  return std::string(home) + "/.config";
}

bool MakeDirs(const std::string& dir) {
  std::string partial;
  size_t pos = 0;
  while (pos != std::string::npos) {
    pos = dir.find('/', pos + 1);
    partial = dir.substr(0, pos);
    if (partial.empty())
      continue;
    if (mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST)
      return false;
  }
  return true;
}

// Reads a quoted text starting at s[i] == '"' with \\ and \" escapes. On
// success i is past the closing quote.
bool ReadQuoted(const std::string& s, size_t& i, std::string& out) {
  if (i >= s.size() || s[i] != '"')
    return false;
  out.clear();
  for (++i; i < s.size(); ++i) {
    char c = s[i];
    if (c == '\\') {
      if (i + 1 >= s.size())
        return false;
      out += s[++i];
    } else if (c == '"') {
      ++i;
      return true;
    } else {
      out += c;
    }
  }
  return false;
}

std::string Quote(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '\\' || c == '"')
      out += '\\';
    out += c;
  }
  out += '"';
  return out;
}

bool OnlySpaceFrom(const std::string& s, size_t i) {
  for (; i < s.size(); ++i)
    if (s[i] != ' ' && s[i] != '\t')
      return false;
  return true;
}

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t'))
    ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t'))
    --e;
  return s.substr(b, e - b);
}

} // namespace

RegistryKey::~RegistryKey() { Close(); }

std::string RegistryKey::FileForKey(const char* subKey) {
  std::string key = subKey ? subKey : "";
  const char* prefix = "Software\\";
  if (strncasecmp(key.c_str(), prefix, strlen(prefix)) == 0)
    key = key.substr(strlen(prefix));
  std::string rel;
  for (char c : key) {
    if (c == '\\')
      c = '/';
    if (c == '/' && (rel.empty() || rel.back() == '/'))
      continue;
    rel += c;
  }
  // No way out of the configuration folder.
  std::string safe;
  size_t start = 0;
  while (start <= rel.size()) {
    size_t end = rel.find('/', start);
    if (end == std::string::npos)
      end = rel.size();
    std::string part = rel.substr(start, end - start);
    if (!part.empty() && part != "." && part != "..") {
      if (!safe.empty())
        safe += '/';
      safe += part;
    }
    start = end + 1;
  }
  if (safe.empty())
    safe = "default";
  return ConfigDir() + "/" + safe + ".reg";
}

bool RegistryKey::Create(const char* subKey) {
  Close();
  path = FileForKey(subKey);
  section = std::string(RootName) + "\\" + (subKey ? subKey : "");
  lines.clear();
  open = true;
  dirty = false;

  FILE* f = fopen(path.c_str(), "rb");
  if (f) {
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
      text.append(buf, n);
    fclose(f);
    Parse(text);
    return true;
  }
  // The key does not exist yet: create it (an empty key).
  lines.push_back(Line{"REGEDIT4"});
  lines.push_back(Line{""});
  Line header;
  header.text = "[" + section + "]";
  lines.push_back(header);
  size_t slash = path.rfind('/');
  if (slash != std::string::npos)
    MakeDirs(path.substr(0, slash));
  dirty = true;
  bool saved = Close();
  open = true;
  return saved;
}

void RegistryKey::Parse(const std::string& text) {
  bool inSection = false;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos)
      end = text.size();
    Line line;
    line.text = text.substr(start, end - start);
    if (!line.text.empty() && line.text.back() == '\r')
      line.text.pop_back();
    start = end + 1;

    std::string t = Trim(line.text);
    if (!t.empty() && t.front() == '[' && t.back() == ']') {
      std::string name = t.substr(1, t.size() - 2);
      inSection = strcasecmp(name.c_str(), section.c_str()) == 0;
      lines.push_back(line);
      continue;
    }
    line.inSection = inSection;
    if (inSection && !t.empty() && t.front() == '"') {
      size_t i = 0;
      std::string name;
      if (ReadQuoted(t, i, name) && i < t.size() && t[i] == '=') {
        ++i;
        std::string rest = t.substr(i);
        if (strncasecmp(rest.c_str(), "dword:", 6) == 0) {
          std::string hex = Trim(rest.substr(6));
          bool ok = !hex.empty() && hex.size() <= 8;
          uint32_t v = 0;
          for (char c : hex) {
            int d = (c >= '0' && c <= '9')   ? c - '0'
                    : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                    : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                             : -1;
            if (d < 0) {
              ok = false;
              break;
            }
            v = v * 16 + static_cast<uint32_t>(d);
          }
          line.name = name;
          if (ok) {
            line.isDword = true;
            line.dword = v;
          }
        } else if (!rest.empty() && rest.front() == '"') {
          size_t j = 0;
          std::string value;
          line.name = name;
          if (ReadQuoted(rest, j, value) && OnlySpaceFrom(rest, j)) {
            line.isString = true;
            line.string = value;
          }
        } else {
          line.name = name; // another type: kept, not read
        }
      }
    }
    lines.push_back(line);
  }
}

const RegistryKey::Line* RegistryKey::FindValue(const char* name) const {
  for (auto it = lines.rbegin(); it != lines.rend(); ++it)
    if (it->inSection && !it->name.empty() && strcasecmp(it->name.c_str(), name) == 0 &&
        (it->isDword || it->isString))
      return &*it;
  return nullptr;
}

bool RegistryKey::QueryDword(const char* name, uint32_t* value) const {
  if (!open || !name)
    return false;
  const Line* l = FindValue(name);
  if (!l || !l->isDword)
    return false;
  if (value)
    *value = l->dword;
  return true;
}

bool RegistryKey::QueryString(const char* name, char* buffer, size_t size) const {
  if (!open || !name)
    return false;
  const Line* l = FindValue(name);
  if (!l || !l->isString)
    return false;
  if (!buffer || l->string.size() + 1 > size || l->string.find('\0') != std::string::npos)
    return false;
  memcpy(buffer, l->string.c_str(), l->string.size() + 1);
  return true;
}

void RegistryKey::SetLine(const char* name, const std::string& text, bool isDword, uint32_t dword,
                          const std::string& string) {
  Line line;
  line.text = text;
  line.inSection = true;
  line.name = name;
  line.isDword = isDword;
  line.dword = dword;
  line.isString = !isDword;
  line.string = string;
  dirty = true;

  // Replace the first line naming this value; drop later ones.
  bool placed = false;
  for (size_t i = 0; i < lines.size();) {
    Line& l = lines[i];
    if (l.inSection && !l.name.empty() && strcasecmp(l.name.c_str(), name) == 0) {
      if (!placed) {
        l = line;
        placed = true;
        ++i;
      } else {
        lines.erase(lines.begin() + static_cast<long>(i));
      }
      continue;
    }
    ++i;
  }
  if (placed)
    return;
  // After the last value of our section, or right after its header.
  long insertAt = -1;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string t = Trim(lines[i].text);
    bool header = !t.empty() && t.front() == '[' && t.back() == ']';
    if (header && strcasecmp(t.substr(1, t.size() - 2).c_str(), section.c_str()) == 0)
      insertAt = static_cast<long>(i) + 1;
    else if (lines[i].inSection && !t.empty())
      insertAt = static_cast<long>(i) + 1;
  }
  if (insertAt < 0) {
    if (!lines.empty() && !Trim(lines.back().text).empty())
      lines.push_back(Line{""});
    lines.push_back(Line{"[" + section + "]"});
    insertAt = static_cast<long>(lines.size());
  }
  lines.insert(lines.begin() + insertAt, line);
}

void RegistryKey::SetDword(const char* name, uint32_t value) {
  if (!open || !name)
    return;
  char buf[32];
  snprintf(buf, sizeof buf, "=dword:%08x", value);
  SetLine(name, Quote(name) + buf, true, value, "");
}

void RegistryKey::SetString(const char* name, const char* value) {
  if (!open || !name)
    return;
  std::string v = value ? value : "";
  SetLine(name, Quote(name) + "=" + Quote(v), false, 0, v);
}

bool RegistryKey::Close() {
  if (!open)
    return true;
  open = false;
  if (!dirty)
    return true;
  dirty = false;

  std::string text;
  std::string first = lines.empty() ? "" : Trim(lines.front().text);
  if (first != "REGEDIT4" && first != "Windows Registry Editor Version 5.00")
    text += "REGEDIT4\n";
  for (const Line& l : lines)
    text += l.text + "\n";

  size_t slash = path.rfind('/');
  if (slash != std::string::npos)
    MakeDirs(path.substr(0, slash));
  std::string temp = path + ".tmp." + std::to_string(getpid());
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0)
    return false;
  const char* p = text.data();
  size_t left = text.size();
  bool ok = true;
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR)
        continue;
      ok = false;
      break;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  if (ok && fsync(fd) != 0)
    ok = false;
  if (::close(fd) != 0)
    ok = false;
  if (!ok || rename(temp.c_str(), path.c_str()) != 0) {
    unlink(temp.c_str());
    return false;
  }
  return true;
}
