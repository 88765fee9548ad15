#include "platform/files/inifile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/files/codepage.h"
#include "platform/files/files.h"
#include "platform/files/paths.h"
#include "platform/files/textfile.h"

namespace platform {
namespace {

std::string_view Trim(std::string_view text) {
  std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  std::size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

std::string CheckedSection(std::string_view section) {
  std::string_view name = Trim(section);
  if (name.empty() || HasLineBreak(name) || name.find(']') != std::string_view::npos)
    throw EIniFileError("Nieprawidłowa nazwa sekcji: \"" + std::string(section) + "\"");
  return std::string(name);
}

std::string CheckedKey(std::string_view ident) {
  std::string_view name = Trim(ident);
  if (name.empty() || HasLineBreak(name) || name.find('=') != std::string_view::npos ||
      name.front() == '[' || name.front() == ';')
    throw EIniFileError("Nieprawidłowa nazwa klucza: \"" + std::string(ident) + "\"");
  return std::string(name);
}

std::string CheckedValue(std::string_view value) {
  if (HasLineBreak(value))
    throw EIniFileError("Nieprawidłowa wartość klucza (znak końca wiersza)");
  return std::string(Trim(value));
}

// Decimal or hexadecimal ("$1F", "0x1F") whole 32-bit number.
bool ParseInteger(std::string_view text, std::int32_t& result) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (!text.empty() && text.front() == '$') {
    base = 16;
    text.remove_prefix(1);
  } else if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return false;
  std::int64_t value = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return false;
    value = value * base + digit;
    if (value > std::int64_t{UINT32_MAX}) return false;
  }
  if (negative) value = -value;
  // Hexadecimal texts stand for the 32 bits as written ("$FFFFFFFF" is -1).
  if (base == 16 && !negative && value > INT32_MAX) value -= std::int64_t{1} << 32;
  if (value < INT32_MIN || value > INT32_MAX) return false;
  result = static_cast<std::int32_t>(value);
  return true;
}

[[noreturn]] void ThrowWriteError(const std::string& path, std::uint32_t code) {
  throw EIniFileError("Błąd zapisu pliku " + path + ": " + ErrorText(code));
}

}  // namespace

TIniFile::TIniFile(std::string_view fileName) : fileName_(fileName) {}

TIniFile::~TIniFile() {
  if (!modified_) return;
  try {
    UpdateFile();
  } catch (...) {
    // Nobody is left to tell; callers that care call UpdateFile first.
  }
}

void TIniFile::Load() const {
  // Changes not yet written are the object's view of the file.
  if (modified_ && loaded_) return;
  std::string path = ResolvePath(fileName_);
  const FileStamp stamp = StampOf(path);
  if (loaded_ && stamp == stamp_) return;

  std::string bytes;
  if (stamp.exists) {
    File file;
    if (file.Open(path, FileAccess::Read, FileShare::DenyNone)) {
      std::int64_t size = file.Size();
      if (size > 0) {
        bytes.resize(static_cast<std::size_t>(size));
        std::int64_t got = file.ReadAt(0, bytes.data(), bytes.size());
        bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
      }
    }
  }

  lines_.clear();
  crlf_ = bytes.find('\n') == std::string::npos || bytes.find("\r\n") != std::string::npos;
  for (std::string_view raw : SplitLines(bytes)) {
    // A carriage return left inside a line is damage (the writer never puts
    // one there): dropped, so that the value can be written back.
    std::string clean(raw);
    std::erase(clean, '\r');
    Line line;
    line.text = Cp1250ToUtf8(clean);
    std::string_view trimmed = Trim(line.text);
    if (!trimmed.empty() && trimmed.front() == '[') {
      std::string_view inner = trimmed.substr(1);
      std::size_t close = inner.find(']');
      line.kind = Line::Kind::Section;
      line.name = Trim(close == std::string_view::npos ? inner : inner.substr(0, close));
    } else if (!trimmed.empty() && trimmed.front() != ';') {
      std::size_t eq = trimmed.find('=');
      if (eq != std::string_view::npos && !Trim(trimmed.substr(0, eq)).empty()) {
        line.kind = Line::Kind::Key;
        line.name = Trim(trimmed.substr(0, eq));
        line.value = Trim(trimmed.substr(eq + 1));
      }
    }
    lines_.push_back(std::move(line));
  }
  stamp_ = stamp;
  loaded_ = true;
}

long TIniFile::FindSection(std::string_view section) const {
  std::string_view name = Trim(section);
  // A header without a name ("[]", or a lone "[") is damage: it ends the
  // section before it, its keys are kept in the file, but no name reaches it.
  if (name.empty()) return -1;
  for (std::size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].kind == Line::Kind::Section && SameText(lines_[i].name, name))
      return static_cast<long>(i);
  return -1;
}

std::size_t TIniFile::SectionEnd(std::size_t header) const {
  std::size_t end = header + 1;
  while (end < lines_.size() && lines_[end].kind != Line::Kind::Section) ++end;
  return end;
}

long TIniFile::FindKey(std::string_view section, std::string_view ident) const {
  long header = FindSection(section);
  if (header < 0) return -1;
  std::string_view name = Trim(ident);
  std::size_t end = SectionEnd(static_cast<std::size_t>(header));
  for (std::size_t i = static_cast<std::size_t>(header) + 1; i < end; ++i)
    if (lines_[i].kind == Line::Kind::Key && SameText(lines_[i].name, name))
      return static_cast<long>(i);
  return -1;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view ident,
                                 std::string_view defaultValue) const {
  Load();
  long key = FindKey(section, ident);
  if (key < 0) return std::string(defaultValue);
  return lines_[static_cast<std::size_t>(key)].value;
}

std::int32_t TIniFile::ReadInteger(std::string_view section, std::string_view ident,
                                   std::int32_t defaultValue) const {
  std::int32_t value;
  if (!ParseInteger(ReadString(section, ident, ""), value)) return defaultValue;
  return value;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view ident,
                        bool defaultValue) const {
  return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteString(std::string_view section, std::string_view ident,
                           std::string_view value) {
  std::string sectionName = CheckedSection(section);
  std::string key = CheckedKey(ident);
  std::string text = CheckedValue(value);
  Load();
  std::vector<Line>& lines = lines_;
  long found = FindKey(sectionName, key);
  if (found >= 0) {
    Line& line = lines[static_cast<std::size_t>(found)];
    // The same value again changes nothing: a save of unchanged settings
    // leaves the file alone.
    if (line.value == text) return;
    line.value = text;
    line.text = line.name + "=" + text;
  } else {
    Line line;
    line.kind = Line::Kind::Key;
    line.name = key;
    line.value = text;
    line.text = key + "=" + text;
    long header = FindSection(sectionName);
    if (header >= 0) {
      std::size_t end = SectionEnd(static_cast<std::size_t>(header));
      std::size_t at = static_cast<std::size_t>(header) + 1;
      for (std::size_t i = at; i < end; ++i)
        if (!Trim(lines[i].text).empty()) at = i + 1;
      lines.insert(lines.begin() + static_cast<long>(at), std::move(line));
    } else {
      if (!lines.empty() && !Trim(lines.back().text).empty()) lines.push_back(Line{});
      Line head;
      head.kind = Line::Kind::Section;
      head.name = sectionName;
      head.text = "[" + sectionName + "]";
      lines.push_back(std::move(head));
      lines.push_back(std::move(line));
    }
  }
  modified_ = true;
}

void TIniFile::WriteInteger(std::string_view section, std::string_view ident,
                            std::int32_t value) {
  WriteString(section, ident, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view ident, bool value) {
  WriteString(section, ident, value ? "1" : "0");
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) const {
  Load();
  std::vector<std::string> keys;
  long header = FindSection(section);
  if (header < 0) return keys;
  std::size_t end = SectionEnd(static_cast<std::size_t>(header));
  for (std::size_t i = static_cast<std::size_t>(header) + 1; i < end; ++i) {
    if (lines_[i].kind != Line::Kind::Key) continue;
    bool seen = false;
    for (const std::string& k : keys) seen = seen || SameText(k, lines_[i].name);
    if (!seen) keys.push_back(lines_[i].name);
  }
  return keys;
}

std::vector<std::string> TIniFile::ReadSections() const {
  Load();
  std::vector<std::string> sections;
  for (const Line& line : lines_) {
    if (line.kind != Line::Kind::Section || line.name.empty()) continue;
    bool seen = false;
    for (const std::string& s : sections) seen = seen || SameText(s, line.name);
    if (!seen) sections.push_back(line.name);
  }
  return sections;
}

std::vector<std::string> TIniFile::ReadSectionValues(std::string_view section) const {
  std::vector<std::string> values;
  for (const std::string& key : ReadSection(section))
    values.push_back(key + "=" + lines_[static_cast<std::size_t>(FindKey(section, key))].value);
  return values;
}

void TIniFile::EraseSection(std::string_view section) {
  Load();
  std::vector<Line> lines;
  bool erased = false;
  bool inErased = false;
  for (const Line& line : lines_) {
    if (line.kind == Line::Kind::Section) inErased = SameText(line.name, Trim(section));
    if (inErased) {
      erased = true;
      continue;
    }
    lines.push_back(line);
  }
  if (erased) {
    lines_ = std::move(lines);
    modified_ = true;
  }
}

void TIniFile::DeleteKey(std::string_view section, std::string_view ident) {
  Load();
  long header = FindSection(section);
  if (header < 0) return;
  std::size_t end = SectionEnd(static_cast<std::size_t>(header));
  std::vector<Line> lines;
  bool deleted = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    bool match = i > static_cast<std::size_t>(header) && i < end &&
                 lines_[i].kind == Line::Kind::Key && SameText(lines_[i].name, Trim(ident));
    if (match) deleted = true;
    else lines.push_back(lines_[i]);
  }
  if (deleted) {
    lines_ = std::move(lines);
    modified_ = true;
  }
}

bool TIniFile::SectionExists(std::string_view section) const {
  Load();
  return FindSection(section) >= 0;
}

bool TIniFile::ValueExists(std::string_view section, std::string_view ident) const {
  Load();
  return FindKey(section, ident) >= 0;
}

void TIniFile::UpdateFile() {
  if (!modified_) return;
  Save(lines_);
  modified_ = false;
  ++replacements_;
  // The image is the file now: later reads go by the new file's stamp.
  stamp_ = StampOf(ResolvePath(fileName_));
}

void TIniFile::Save(const std::vector<Line>& lines) {
  std::string path = ResolvePath(fileName_);
  // Write beside the real file when the name is a link, so the link stays.
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      path = real;
      std::free(real);
    }
  }
  bool exists = ::stat(path.c_str(), &st) == 0;
  // A read-only file stays unwritten, as it would on Windows, although the
  // rename below would replace it.
  if (exists && (!S_ISREG(st.st_mode) || (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
                 ::access(path.c_str(), W_OK) != 0))
    ThrowWriteError(path, kErrorAccessDenied);

  std::string bytes;
  const char* newline = crlf_ ? "\r\n" : "\n";
  for (const Line& line : lines) {
    bytes += Utf8ToCp1250(line.text);
    bytes += newline;
  }

  std::optional<std::uint32_t> permissions;
  if (exists) permissions = st.st_mode & 07777;
  std::uint32_t code = 0;
  if (!ReplaceFileContent(path, bytes, "~ini", permissions, code)) ThrowWriteError(path, code);
}

}  // namespace platform
