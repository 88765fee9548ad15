#include "layers/store/layerdb.h"

#include "foundation/errors.h"
#include "foundation/storage/fileopener.h"
#include "foundation/text/numtext.h"

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  return true;
}

// Every line of a text file through the program's opener; false when the
// file does not open or a read fails.
template <class PerLine>
bool ForEachLine(const std::string& path, PerLine perLine) {
  TTextFile file(path);
  try {
    FileOpener().ResetText(file);
    std::string line;
    while (file.ReadLn(line)) {
      if (!perLine(line)) break;
    }
  } catch (const EInOutError&) {
    return false;
  }
  return true;
}

}  // namespace

void TNrWarstwaList::AddLine(std::string_view raw) {
  std::string s(Trim(raw));
  if (s.empty()) return;
  for (char& c : s) c = UpperAscii(c);
  const std::size_t space = s.find(' ');
  const std::string number = s.substr(0, space == std::string::npos ? 0 : space);
  std::int32_t value = 0;
  if (!TryStrToInt(number, value)) throw EConvertError("Błąd konwersji: " + number);
  const std::size_t letter = s.find_first_of("LT", space + 1);
  if (letter == std::string::npos) return;
  std::string_view rest = std::string_view(s).substr(letter + 1);
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  std::string key(1, s[letter]);
  key += rest;
  items_.emplace(std::move(key), value);  // a key already present stays
}

TNrWarstwaList TNrWarstwaList::Read(const std::string& path) {
  TNrWarstwaList list;
  if (!ForEachLine(path, [&list](const std::string& line) {
        list.AddLine(line);
        return true;
      }))
    return TNrWarstwaList();
  return list;
}

std::int32_t TNrWarstwaList::Number(std::string_view key) const {
  const auto it = items_.find(key);
  return it == items_.end() ? 0 : it->second;
}

std::string LayerNumberKey(int kind, std::string_view layerName) {
  std::string key(kind == 0 ? "T" : "L");
  key += layerName;
  return key;
}

std::string ReadKatalogSymbols(const std::string& directory) {
  std::string value;
  const bool read = ForEachLine(directory + "Katalog", [&value](const std::string& line) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos || !SameTextAscii(line.substr(0, eq), "Symbole")) return true;
    value = line.substr(eq + 1);
    return false;
  });
  return read ? value : std::string();
}
