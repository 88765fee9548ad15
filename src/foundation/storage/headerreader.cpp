#include "foundation/storage/headerreader.h"

#include <algorithm>

#include "foundation/errors.h"
#include "foundation/text/numtext.h"
#include "platform/files/codepage.h"
#include "platform/files/files.h"

namespace {

constexpr std::size_t kMaxValueLength = 300;
// DOS-era text files may end with Ctrl-Z; what follows it is not text.
constexpr char kEndOfText = 0x1A;

bool IsLineSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Without leading and trailing blanks and control characters.
std::string_view Trim(std::string_view s) {
  std::size_t begin = 0;
  std::size_t end = s.size();
  while (begin < end && static_cast<unsigned char>(s[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(s[end - 1]) <= ' ') --end;
  return s.substr(begin, end - begin);
}

}  // namespace

bool TTextHeaderReader::KeyLess::operator()(std::string_view a, std::string_view b) const {
  return platform::CompareText(a, b) < 0;
}

TTextHeaderReader::TTextHeaderReader(std::string_view FileName) {
  const std::string fileName(FileName);
  std::string bytes;
  {
    platform::File file;
    if (!file.Open(fileName, platform::FileAccess::Read, platform::FileShare::DenyNone)) {
      throw Exception("Nie można otworzyć pliku: " + fileName);
    }
    const std::int64_t size = file.Size();
    if (size < 0) throw EWindowsIOError::FromLastError("Błąd odczytu pliku: " + fileName);
    bytes.resize(static_cast<std::size_t>(size));
    if (size > 0 && file.ReadAt(0, bytes.data(), bytes.size()) != size) {
      throw EWindowsIOError::FromLastError("Błąd odczytu pliku: " + fileName);
    }
  }
  const std::size_t end = std::min(bytes.find(kEndOfText), bytes.size());
  const std::string_view text(bytes.data(), end);

  std::size_t pos = 0;
  while (true) {
    while (pos < text.size() && IsLineSpace(text[pos])) ++pos;
    if (pos >= text.size()) break;
    std::size_t lineEnd = text.find_first_of("\r\n", pos);
    if (lineEnd == std::string_view::npos) lineEnd = text.size();
    const std::string_view line = text.substr(pos, lineEnd - pos);
    pos = lineEnd;

    if (line.substr(0, 2) == "**") break;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      throw Exception("Błąd w pliku: " + fileName + "\r\nLinia: " + platform::Cp1250ToUtf8(line));
    }
    const std::string key = platform::Cp1250ToUtf8(Trim(line.substr(0, eq)));
    const std::string value =
        platform::Cp1250ToUtf8(Trim(line.substr(eq + 1).substr(0, kMaxValueLength)));
    if (Keys.find(key) != Keys.end()) continue;
    Keys.emplace(key, Values.size());
    Values.push_back(value);
  }
}

bool TTextHeaderReader::GetValue(std::string_view Key, std::string& Value) const {
  const auto it = Keys.find(Key);
  if (it == Keys.end()) return false;
  Value = Values[it->second];
  return true;
}

bool TTextHeaderReader::GetInt(std::string_view Key, std::int32_t& N) const {
  std::string value;
  if (!GetValue(Key, value)) return false;
  if (!TryStrToInt(value, N)) throw EConvertError("Błąd konwersji: " + std::string(Key));
  return true;
}

bool TTextHeaderReader::GetReal(std::string_view Key, double& X) const {
  std::string value;
  if (!GetValue(Key, value)) return false;
  X = StrToReal(value);
  return true;
}
