// The reader of the user-menu files (".mnu"). The file is hostile: every
// loop is bounded by the text read, every count and index is checked, and a
// fault ends the reading with its code while what was built stays in the
// menu.
#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/files/codepage.h"
#include "platform/files/files.h"
#include "platform/paint/bmpdecode.h"
#include "ui/usermenu.h"

namespace {

// A menu file larger than this is not read (menus are a few kilobytes).
constexpr std::int64_t kMaxMenuFileSize = std::int64_t{64} << 20;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The lines of the file as the reader sees them: blank lines and the blanks
// in front of a line are skipped, trailing blanks removed.
class LineSource {
 public:
  explicit LineSource(std::string text) : text_(std::move(text)) {}

  bool Next(std::string& line) {
    while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
    if (pos_ >= text_.size()) return false;
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string::npos) end = text_.size();
    std::size_t last = end;
    while (last > pos_ && IsSpace(text_[last - 1])) --last;
    line.assign(text_, pos_, last - pos_);
    pos_ = end;
    return true;
  }

  // The first integer of the text; the rest of its line is skipped.
  bool FirstInteger(std::int32_t& n) {
    while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
    std::size_t end = pos_;
    if (end < text_.size() && (text_[end] == '-' || text_[end] == '+')) ++end;
    while (end < text_.size() && end - pos_ < 16 && text_[end] >= '0' && text_[end] <= '9') ++end;
    const bool ok = TryStrToIntText(std::string_view(text_).substr(pos_, end - pos_), n);
    const std::size_t eol = text_.find('\n', end);
    pos_ = eol == std::string::npos ? text_.size() : eol;
    return ok;
  }

 private:
  static bool TryStrToIntText(std::string_view s, std::int32_t& n) {
    if (s.empty() || s.back() < '0' || s.back() > '9') return false;
    return MenuStrToInt(s, n);
  }

  std::string text_;
  std::size_t pos_ = 0;
};

// Splits at every ","; at least minFields fields.
std::vector<std::string> SplitFields(std::string_view line, std::size_t minFields) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = line.find(',', start);
    if (comma == std::string_view::npos) {
      fields.emplace_back(line.substr(start));
      break;
    }
    fields.emplace_back(line.substr(start, comma - start));
    start = comma + 1;
  }
  if (fields.size() < minFields) fields.resize(minFields);
  return fields;
}

// A name as written: every "_" is a blank; only blanks give an empty name.
std::string MenuName(std::string_view field) {
  std::string name(field);
  std::replace(name.begin(), name.end(), '_', ' ');
  if (name.find_first_not_of(' ') == std::string::npos) name.clear();
  return name;
}

// The key under which names that compare equal meet: A to Z in upper case.
std::string NameKey(std::string_view name) {
  std::string key(name);
  for (char& c : key) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return key;
}

std::string TrimmedUpperAscii(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

// A hexadecimal token of an icon block as a byte; false when it is no
// hexadecimal number or above 255.
bool HexByte(std::string_view token, std::uint8_t& byte) {
  unsigned value = 0;
  for (char c : token) {
    unsigned d;
    if (c >= '0' && c <= '9') d = static_cast<unsigned>(c - '0');
    else if (c >= 'a' && c <= 'f') d = static_cast<unsigned>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F') d = static_cast<unsigned>(c - 'A' + 10);
    else return false;
    value = value * 16 + d;
    if (value > 255) return false;
  }
  byte = static_cast<std::uint8_t>(value);
  return true;
}

}  // namespace

class TAVMenu::Reader {
 public:
  Reader(TAVMenu& menu, LineSource& lines, bool editMode)
      : menu_(menu), lines_(lines), editMode_(editMode) {}

  void Run() {
    std::int32_t kind = 0;
    if (!lines_.FirstInteger(kind) || kind != menu_.Kind) {
      menu_.Fail(meBadKind, "");
      return;
    }
    if (!Header()) return;
    std::string line;
    bool havePopupLine = lines_.Next(line);
    while (havePopupLine) {
      TAVMenuPopup* popup = Popup(line);
      // Lines up to the first "**" belong to nobody.
      bool items = false;
      havePopupLine = false;
      while (lines_.Next(line)) {
        if (line == "**") {
          items = true;
          break;
        }
        if (line == "****") {
          havePopupLine = lines_.Next(line);
          break;
        }
      }
      if (!items) continue;
      // Items of the popup.
      while (true) {
        if (!lines_.Next(line)) break;
        if (line == "****") {
          havePopupLine = lines_.Next(line);
          break;
        }
        if (line == "**") continue;
        TAVMenuItemBase* item = Item(*popup, line);
        if (item == nullptr) return;
        // Its action lines.
        bool more = false;
        bool nextPopup = false;
        while ((more = lines_.Next(line))) {
          if (line == "**") break;
          if (line == "****") {
            nextPopup = true;
            break;
          }
          const std::int32_t code = item->AddActionLine(line, editMode_);
          if (code != meNone) {
            menu_.Fail(code, line);
            return;
          }
        }
        const std::int32_t code = item->Check();
        if (code != meNone) {
          menu_.Fail(code, item->Name);
          return;
        }
        if (!more) break;
        if (nextPopup) {
          havePopupLine = lines_.Next(line);
          break;
        }
      }
    }
    // An item may not open the popup it stands in.
    for (const auto& p : menu_.Popups) {
      for (const auto& item : p->Items) {
        if (item->Submenu == p.get()) {
          menu_.Fail(meSubmenuInItself, p->Name);
          return;
        }
      }
    }
  }

 private:
  // The header up to "****" or the end of the file; false on a fault.
  bool Header() {
    std::string line;
    while (lines_.Next(line)) {
      if (line == "****") return true;
      const std::size_t eq = line.find('=');
      if (eq == std::string::npos) continue;
      const std::string key = platform::UpperCase(std::string_view(line).substr(0, eq));
      const std::string value = CutMenuValue(std::string_view(line).substr(eq + 1), kMenuValueLimit);
      std::int32_t* target = key == "MARGINES"    ? &menu_.Margin
                             : key == "ROZMIAR H" ? &menu_.SizeH
                             : key == "ROZMIAR V" ? &menu_.SizeV
                                                  : nullptr;
      if (target != nullptr) {
        if (!MenuStrToInt(value, *target)) return menu_.Fail(meConversion, line);
      } else if (key == "IKONA" && !value.empty()) {
        if (!IconBlock(value)) return menu_.Fail(meConversion, line);
      }
    }
    return true;
  }

  // An imported-icon block; false when the bitmap loader rejects its bytes.
  // A token that is no byte, or the end of the file, drops the block.
  bool IconBlock(const std::string& identifier) {
    std::vector<std::uint8_t> bytes;
    std::string line;
    while (lines_.Next(line)) {
      if (TrimmedUpperAscii(line) == "IKONA_KONIEC") {
        auto bitmap = platform::DecodeBmpImage(bytes.data(), bytes.size());
        if (!bitmap) return false;
        if (!editMode_) bytes.clear();
        bytes.shrink_to_fit();
        menu_.InBitmaps.push_back(
            std::make_unique<TInBitmap>(identifier, std::move(bitmap), std::move(bytes)));
        icons_.emplace(NameKey(identifier), menu_.InBitmaps.back().get());
        return true;
      }
      std::size_t pos = 0;
      while (pos < line.size()) {
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
        const std::size_t start = pos;
        while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t') ++pos;
        if (pos == start) break;
        std::uint8_t byte = 0;
        if (!HexByte(std::string_view(line).substr(start, pos - start), byte)) return true;
        bytes.push_back(byte);
      }
    }
    return true;
  }

  TMenuBitmap* Icon(const std::string& field) {
    if (field.empty()) return nullptr;
    if (field[0] == '*') {
      const auto found = icons_.find(NameKey(std::string_view(field).substr(1)));
      return found == icons_.end() ? nullptr : found->second;
    }
    return menu_.AddBitmap(field);
  }

  TAVMenuPopup* Popup(const std::string& line) {
    const std::vector<std::string> f = SplitFields(line, 3);
    const bool submenu = platform::UpperCase(f[1]) == "PODMENU";
    auto popup = std::make_unique<TAVMenuPopup>(MenuName(f[0]), submenu);
    popup->Icon = Icon(f[2]);
    menu_.Popups.push_back(std::move(popup));
    TAVMenuPopup* added = menu_.Popups.back().get();
    if (added->IsSubmenu) submenus_.emplace(NameKey(added->Name), added);
    return added;
  }

  // A new item of the popup from its item line, or null on a fault.
  TAVMenuItemBase* Item(TAVMenuPopup& popup, const std::string& line) {
    const std::vector<std::string> f = SplitFields(line, 4);
    if (!f[2].empty() && !f[3].empty()) {
      menu_.Fail(meSubmenuWithNext, line);
      return nullptr;
    }
    TAVMenuPopup* submenu = nullptr;
    if (!f[2].empty()) {
      const auto found = submenus_.find(NameKey(MenuName(f[2])));
      if (found != submenus_.end()) submenu = found->second;
      if (submenu == nullptr) {
        menu_.Fail(meUnknownSubmenu, line);
        return nullptr;
      }
    }
    TAVMenuItemBase* next = nullptr;
    if (!f[3].empty()) {
      const auto found = items_.find(NameKey(MenuName(f[3])));
      if (found != items_.end()) next = found->second;
      if (next == nullptr) {
        menu_.Fail(meUnknownNextItem, line);
        return nullptr;
      }
    }
    TMenuBitmap* icon = Icon(f[1]);
    auto item = menu_.CreateItem(MenuName(f[0]), submenu, icon, next);
    item->NextItemName = f[3];
    popup.Items.push_back(std::move(item));
    TAVMenuItemBase* added = popup.Items.back().get();
    if (added->Submenu == nullptr) items_.emplace(NameKey(added->Name), added);
    return added;
  }

  TAVMenu& menu_;
  LineSource& lines_;
  bool editMode_;
  // What names refer to, the first of each name (lookups stay linear in a
  // hostile file of many names).
  std::unordered_map<std::string, TMenuBitmap*> icons_;
  std::unordered_map<std::string, TAVMenuPopup*> submenus_;
  std::unordered_map<std::string, TAVMenuItemBase*> items_;
};

bool TAVMenu::Fail(std::int32_t code, std::string_view context) {
  ErrorCode = code;
  ErrorContext = std::string(context);
  return false;
}

void TAVMenu::LoadFromFile(const std::string& fileName, bool editMode) {
  ErrorCode = meNone;
  ErrorContext.clear();
  const std::size_t slash = fileName.find_last_of("/\\");
  Folder = slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
  platform::File file;
  std::string bytes;
  bool read = file.Open(fileName, platform::FileAccess::Read, platform::FileShare::DenyWrite);
  if (read) {
    const std::int64_t size = file.Size();
    read = size >= 0 && size <= kMaxMenuFileSize;
    if (read && size > 0) {
      bytes.resize(static_cast<std::size_t>(size));
      read = file.ReadAt(0, bytes.data(), bytes.size()) == size;
    }
    file.Close();
  }
  if (!read) {
    if (!editMode) Fail(meNoFile, "");
    return;
  }
  LineSource lines(platform::Cp1250ToUtf8(bytes));
  Reader(*this, lines, editMode).Run();
}

std::string MenuErrorText(const TAVMenu& menu) {
  const char* text = "";
  bool context = true;
  switch (menu.ErrorCode) {
    case meNone: return "";
    case meActionOnSubmenu: text = "Nie można definiować akcji dla pozycji wyświetlającej podmenu.\r\nLinia: "; break;
    case meNoAction: text = "Nie zdefiniowano akcji.\r\nLinia: "; break;
    case meUnknownAction: text = "Nieznana akcja (dopuszczalne: w, n, k, o, p, c, v, m).\r\nLinia: "; break;
    case meNoLayerKind: text = "Nie zdefiniowano typu warstwy.\r\nLinia: "; break;
    case meUnknownLayerKind: text = "Nieznany typ warstwy (dopuszczalne: l, t, d, k, e, s, r, g, *).\r\nLinia: "; break;
    case meNoPath: text = "Nie zdefiniowano ścieżki do elementów, których dotyczy akcja.\r\nLinia: "; break;
    case meBadActivityLine: text = "Niepoprawna postać akcji (format: <identyfikator>=<wartość>).\r\nLinia: "; break;
    case meConversion: text = "Błąd konwersji.\r\nLinia: "; break;
    case meUnknownIdentifier: text = "Nieznany identyfikator.\r\nLinia: "; break;
    case meNoFile: text = "Brak pliku z menu"; context = false; break;
    case meBadKind:
      text = "Niepoprawna wartość określająca rodzaj menu (dopuszczalne: 1 - menu widoczności, 2 - menu aktywności).";
      context = false;
      break;
    case meUnknownSubmenu: text = "Odwołanie do niezdefiniowanego wcześniej podmenu.\r\nLinia: "; break;
    case meSubmenuInItself: text = "Odwołanie do podmenu z wnętrza podmenu.\r\nMenu: "; break;
    case meNoLayerType: text = "Nie zdefiniowano typu warstwy.\r\nPozycja menu: "; break;
    case meNoLayerName: text = "Nie zdefiniowano nazwy warstwy.\r\nPozycja menu: "; break;
    case meSubmenuWithNext: text = "Podmenu nie może mieć przypisanej akcji łańcuchowej.\r\nLinia: "; break;
    case meUnknownNextItem: text = "Odwołanie do niezdefiniowanej wcześniej akcji.\r\nLinia: "; break;
    default: return "Błąd nr " + std::to_string(menu.ErrorCode);
  }
  return context ? std::string(text) + menu.ErrorContext : std::string(text);
}
