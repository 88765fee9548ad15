#include "ui/usermenu.h"

#include <algorithm>
#include <cstdio>

#include "foundation/errors.h"
#include "foundation/text/numtext.h"
#include "platform/files/codepage.h"
#include "platform/files/files.h"
#include "platform/paint/imagefile.h"

namespace {

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

// The first limit characters of a UTF-8 text.
std::string CutMenuValue(std::string_view s, std::size_t limit) {
  std::size_t i = 0;
  std::size_t chars = 0;
  while (i < s.size() && chars < limit) {
    i += platform::Utf8CharLength(s, i);
    ++chars;
  }
  return std::string(s.substr(0, std::min(i, s.size())));
}

namespace {

// Blank- or tab-separated token starting at or after pos; pos moves past it.
std::string_view NextToken(std::string_view line, std::size_t& pos) {
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
  const std::size_t start = pos;
  while (pos < line.size() && !IsBlank(line[pos])) ++pos;
  return line.substr(start, pos - start);
}

// The rest of the line after the blanks at pos, cut to the value limit.
std::string RestOfLine(std::string_view line, std::size_t pos) {
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
  return CutMenuValue(line.substr(pos), kMenuValueLimit);
}

}  // namespace

bool MenuStrToInt(std::string_view s, std::int32_t& n) {
  std::string_view t = s;
  while (!t.empty() && IsBlank(t.front())) t.remove_prefix(1);
  bool negative = false;
  if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
    negative = t.front() == '-';
    t.remove_prefix(1);
  }
  if (!t.empty() && t.front() == '$') {
    t.remove_prefix(1);
    if (t.empty() || t.size() > 8) return false;
    std::uint32_t v = 0;
    for (char c : t) {
      int d;
      if (c >= '0' && c <= '9') d = c - '0';
      else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
      else return false;
      v = (v << 4) | static_cast<std::uint32_t>(d);
    }
    n = static_cast<std::int32_t>(negative ? 0u - v : v);
    return true;
  }
  return TryStrToInt(s, n);
}

namespace {

constexpr std::string_view kGroupUpper[] = {"GŁÓWNA BAZA", "DODATKOWE DZIAŁKI",
                                            "KONTURY KLASYFIKACYJNE", "SZRAFURY", "RASTRY",
                                            "PODZIAŁ SEKCYJNY"};
constexpr std::string_view kGroupDisplay[] = {"Główna baza", "Dodatkowe działki",
                                              "Kontury klasyfikacyjne", "Szrafury", "Rastry",
                                              "Podział sekcyjny"};

constexpr std::string_view kActionLetters = "WNKOPCVM";
constexpr std::string_view kKindLetters = "*LTDEKSRG";

}  // namespace

bool SameMenuName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

// --- icons ---

TMenuBitmap::TMenuBitmap(std::string name, std::unique_ptr<platform::TBitmap> bitmap)
    : name_(std::move(name)), bitmap_(std::move(bitmap)) {}
TMenuBitmap::~TMenuBitmap() = default;

TInBitmap::TInBitmap(std::string identifier, std::unique_ptr<platform::TBitmap> bitmap,
                     std::vector<std::uint8_t> data)
    : TMenuBitmap(std::move(identifier), std::move(bitmap)), data_(std::move(data)) {}

void TInBitmap::SaveToFile(std::string& out) const {
  char hex[4];
  for (std::size_t i = 0; i < data_.size(); ++i) {
    std::snprintf(hex, sizeof hex, "%02X ", data_[i]);
    out += hex;
    if (i % 25 == 24 || i + 1 == data_.size()) out += "\r\n";
  }
}

// --- popups and items ---

TAVMenuPopup::TAVMenuPopup(std::string name, bool submenu)
    : Name(std::move(name)), IsSubmenu(submenu) {}
TAVMenuPopup::~TAVMenuPopup() = default;

TAVMenuItemBase::TAVMenuItemBase(std::string name, TAVMenuPopup* submenu, TMenuBitmap* icon,
                                 TAVMenuItemBase* next)
    : Name(std::move(name)), Submenu(submenu), NextItem(next), Icon(icon) {}
TAVMenuItemBase::~TAVMenuItemBase() = default;

// --- visibility items ---

std::string NormaliseMenuPath(std::uint8_t layerKind, std::string_view path, bool editMode) {
  std::string p(path);
  std::replace(p.begin(), p.end(), '/', '\\');
  const std::string writtenUpper = platform::UpperCase(path);
  if (!editMode) p = platform::UpperCase(p);
  if ((layerKind == vkLine || layerKind == vkText) && (p.empty() || p[0] != '\\')) {
    if (p.rfind("*\\", 0) == 0) return p;
    // A last blank-separated word that reads as an integer is the sublayer
    // number, a component of its own.
    const std::size_t blank = p.find_last_of(" \t");
    if (blank != std::string::npos) {
      std::int32_t number = 0;
      const std::string word = p.substr(blank + 1);
      if (!word.empty() && TryStrToInt(word, number)) {
        std::string head = p.substr(0, blank);
        while (!head.empty() && IsBlank(head.back())) head.pop_back();
        p = head + "\\" + word;
      }
    }
    return "*\\" + p;
  }
  if (!editMode && !p.empty() && p[0] == '\\') p.erase(0, 1);
  if (layerKind >= vkMainBase && layerKind <= vkSheets) {
    const int g = layerKind == vkExtraBase ? 1
                  : layerKind == vkContours ? 2
                  : layerKind == vkHatches ? 3
                  : layerKind == vkRasters ? 4
                  : layerKind == vkSheets ? 5
                                          : 0;
    const std::string_view group = kGroupUpper[g];
    const bool starts = writtenUpper.compare(0, group.size(), group) == 0 ||
                        (writtenUpper.size() > 1 && writtenUpper.compare(1, group.size(), group) == 0);
    if (!starts) p = std::string(editMode ? kGroupDisplay[g] : kGroupUpper[g]) + "\\" + p;
  }
  return p;
}

TVItem::TVItem(std::uint8_t action, std::uint8_t layerKind, std::string_view path, bool editMode)
    : Action(action), LayerKind(layerKind) {
  Path = action == vaKeys ? std::string(path) : NormaliseMenuPath(layerKind, path, editMode);
}

TVMenuItem::TVMenuItem(std::string name, TAVMenuPopup* submenu, TMenuBitmap* icon,
                       TAVMenuItemBase* next)
    : TAVMenuItemBase(std::move(name), submenu, icon, next) {
  if (submenu == nullptr) Actions = std::make_unique<std::vector<std::unique_ptr<TVItem>>>();
}

std::int32_t TVMenuItem::AddActionLine(std::string_view line, bool editMode) {
  if (Submenu != nullptr || !Actions) return meActionOnSubmenu;
  std::size_t pos = 0;
  const std::string_view first = NextToken(line, pos);
  if (first.empty()) return meNoAction;
  if (first.size() != 1) return meUnknownAction;
  const std::size_t action = kActionLetters.find(AsciiUpper(first[0]));
  if (action == std::string_view::npos) return meUnknownAction;
  if (action == vaKeys) {
    const std::string keys = RestOfLine(line, pos);
    if (keys.empty()) return meNoPath;
    Actions->push_back(std::make_unique<TVItem>(vaKeys, vkAll, keys, editMode));
    return meNone;
  }
  const std::string_view second = NextToken(line, pos);
  if (second.empty()) return meNoLayerKind;
  if (second.size() != 1) return meUnknownLayerKind;
  const std::size_t kind = kKindLetters.find(AsciiUpper(second[0]));
  if (kind == std::string_view::npos) return meUnknownLayerKind;
  const std::string path = RestOfLine(line, pos);
  if (path.empty()) return meNoPath;
  Actions->push_back(std::make_unique<TVItem>(static_cast<std::uint8_t>(action),
                                              static_cast<std::uint8_t>(kind), path, editMode));
  return meNone;
}

void TVMenuItem::Execute(TUserMenuTarget& target) {
  if (!Actions) return;
  for (const auto& action : *Actions) target.RunVisibilityAction(*action);
}

// --- activity items ---

std::int32_t TAMenuItem::AddActionLine(std::string_view line, bool /*editMode*/) {
  if (Submenu != nullptr) return meActionOnSubmenu;
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return meBadActivityLine;
  const std::string key = platform::UpperCase(line.substr(0, eq));
  int index = -1;
  for (int i = 0; i < kActivityParamCount; ++i) {
    if (key == kActivityParamNames[static_cast<std::size_t>(i)]) {
      index = i;
      break;
    }
  }
  if (index < 0) return meUnknownIdentifier;
  const std::string value = CutMenuValue(line.substr(eq + 1), kMenuValueLimit);
  std::int32_t n = 0;
  double x = 0;
  auto integer = [&] { return MenuStrToInt(value, n); };
  auto real = [&] { return TryStrToReal(value, x); };
  auto boolean = [&](bool& field) {
    if (value == "T" || value == "t") field = true;
    else if (value == "N" || value == "n") field = false;
    else return false;
    return true;
  };
  TActivityRecord& r = Record;
  auto param = static_cast<TActivityParam>(index);
  switch (param) {
    case apTyp: if (!integer()) return meConversion; r.Typ = static_cast<std::uint8_t>(n); break;
    case apWarstwa: r.Warstwa = platform::UpperCase(value); break;
    case apPodwarstwa: if (!integer()) return meConversion; r.Podwarstwa = n; break;
    case apTypLinii: if (!integer()) return meConversion; r.TypLinii = static_cast<std::uint16_t>(n); break;
    case apGrubosc: if (!integer()) return meConversion; r.Grubosc = static_cast<std::uint8_t>(n); break;
    case apNazwaLinii: r.NazwaLinii = platform::UpperCase(value); break;
    case apSkala: if (!real()) return meConversion; r.Skala = static_cast<float>(x); break;
    case apWysokosc: if (!real()) return meConversion; r.Wysokosc = static_cast<float>(x); break;
    case apKat: if (!real()) return meConversion; r.Kat = static_cast<float>(x); break;
    case apPodkreslenie: if (!boolean(r.Podkreslenie)) return meConversion; break;
    case apOdnosnik: if (!boolean(r.Odnosnik)) return meConversion; break;
    case apJustyfikacja: if (!integer()) return meConversion; r.Justyfikacja = static_cast<std::uint8_t>(n); break;
    case apTekst: {
      // The character 254 of the code page in front marks a symbol name.
      const std::string mark = platform::CodePointToUtf8(platform::Cp1250ToUnicode(254));
      if (value.rfind(mark, 0) == 0) {
        r.Symbol = platform::UpperCase(std::string_view(value).substr(mark.size()));
        Given |= ActivityBit(apSymbol);
        return meNone;
      }
      r.Tekst = value;
      break;
    }
    case apWstaw: if (!boolean(r.Wstaw)) return meConversion; break;
    case apSymbol: r.Symbol = platform::UpperCase(value); break;
    case apGenerator: r.Generator = value; break;
    case apOdstep: if (!real()) return meConversion; r.Odstep = static_cast<float>(x); break;
    case apKatalog: r.Katalog = value; break;
  }
  Given |= ActivityBit(param);
  return meNone;
}

std::int32_t TAMenuItem::Check() {
  if (Name == "|" || Name == "-" || Submenu != nullptr) return meNone;
  if (!(Given & ActivityBit(apWarstwa))) return meNoLayerName;
  if (!(Given & ActivityBit(apTyp))) return meNoLayerType;
  if (!(Given & ActivityBit(apPodwarstwa))) {
    Record.Podwarstwa = 0;
    Given |= ActivityBit(apPodwarstwa);
  }
  return meNone;
}

void TAMenuItem::Execute(TUserMenuTarget& target) {
  target.ExecuteMenuCommand(Given, Record, NextItem);
}

// --- menus ---

TAVMenu::TAVMenu(std::int32_t kind) : Kind(kind) {}
TAVMenu::~TAVMenu() = default;

TAVMenuItemBase* TAVMenu::GetAutoStartItem(std::string_view /*name*/) { return nullptr; }

std::unique_ptr<TAVMenuItemBase> TVMenu::CreateItem(std::string name, TAVMenuPopup* submenu,
                                                    TMenuBitmap* icon, TAVMenuItemBase* next) {
  return std::make_unique<TVMenuItem>(std::move(name), submenu, icon, next);
}

std::unique_ptr<TAVMenuItemBase> TAMenu::CreateItem(std::string name, TAVMenuPopup* submenu,
                                                    TMenuBitmap* icon, TAVMenuItemBase* next) {
  return std::make_unique<TAMenuItem>(std::move(name), submenu, icon, next);
}

TMenuBitmap* TAVMenu::AddBitmap(std::string_view fileName) {
  if (fileName.empty()) return nullptr;
  for (const auto& b : OutBitmaps) {
    if (platform::SameText(b->Name(), fileName)) return b.get();
  }
  const std::string path = Folder + std::string(fileName);
  if (!platform::FileExists(path)) return nullptr;
  auto bitmap = platform::LoadBitmapFromFile(path);
  if (!bitmap) throw ETvError("Niepoprawny plik z obrazem: " + path);
  OutBitmaps.push_back(std::make_unique<TOutBitmap>(std::string(fileName), std::move(bitmap)));
  return OutBitmaps.back().get();
}

TMenuBitmap* TAVMenu::ImportBitmap(const std::string& fileName) {
  platform::File file;
  if (!file.Open(fileName, platform::FileAccess::Read, platform::FileShare::DenyNone)) return nullptr;
  const std::int64_t size = file.Size();
  if (size <= 0 || size > (std::int64_t{64} << 20)) return nullptr;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (file.ReadAt(0, bytes.data(), bytes.size()) != size) return nullptr;
  auto bitmap = platform::LoadBitmapFromFile(fileName);
  if (!bitmap) return nullptr;
  InBitmaps.push_back(std::make_unique<TInBitmap>(std::string(), std::move(bitmap), std::move(bytes)));
  return InBitmaps.back().get();
}

void TAVMenu::ReleaseBitmap(TMenuBitmap* icon) {
  if (icon == nullptr) return;
  int users = 0;
  for (const auto& popup : Popups) {
    if (popup->Icon == icon) ++users;
    for (const auto& item : popup->Items) {
      if (item->Icon == icon) ++users;
    }
  }
  if (users >= 2) return;
  for (const auto& popup : Popups) {
    if (popup->Icon == icon) popup->Icon = nullptr;
    for (const auto& item : popup->Items) {
      if (item->Icon == icon) item->Icon = nullptr;
    }
  }
  std::erase_if(InBitmaps, [icon](const auto& b) { return b.get() == icon; });
  std::erase_if(OutBitmaps, [icon](const auto& b) { return b.get() == icon; });
}
