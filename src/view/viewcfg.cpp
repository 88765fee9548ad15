#include "view/viewcfg.h"

#include <cstdio>
#include <exception>
#include <string_view>

#include "foundation/errors.h"
#include "foundation/settings/configdialogi.h"
#include "foundation/text/numtext.h"
#include "platform/files/inifile.h"
#include "platform/gui/application.h"
#include "platform/gui/syscolors.h"
#include "platform/gui/toolwindow.h"

namespace {

constexpr char kSectionOkno[] = "Okno";
constexpr char kSectionInne[] = "Inne";
constexpr char kKeyKolorTla[] = "KolorTla";
constexpr char kKeyRozmiarX[] = "RozmiarX";
constexpr char kKeyRozmiarY[] = "RozmiarY";
constexpr char kKeyLastBase[] = "Poprzednio otwarte";
constexpr char kKeyRefresh[] = "Interwal odswierzania";
constexpr char kKeyAutoSave[] = "Interwał automatycznego zachowywania";
constexpr char kKeyAreaOnActive[] = "Pomiar powierzchni - aktywna";

constexpr std::int32_t kDefaultRefresh = 250;
constexpr std::int32_t kDefaultAutoSaveMinutes = 5;
constexpr std::int32_t kMsPerMinute = 60000;
// The most minutes whose milliseconds a 32-bit number holds.
constexpr std::int32_t kMaxAutoSaveMinutes = 0x7FFFFFFF / kMsPerMinute;
// The window page takes five digits; a file may say anything.
constexpr std::int32_t kMaxSize = 99999;

const char* const kConvertError = "Błąd konwersji: ";

std::int32_t MinutesToMs(std::int32_t Minutes) {
  if (Minutes < 0) Minutes = 0;
  if (Minutes > kMaxAutoSaveMinutes) Minutes = kMaxAutoSaveMinutes;
  return Minutes * kMsPerMinute;
}

// One to eight hexadecimal digits and nothing else.
bool IsHexColorText(std::string_view Text) {
  if (Text.empty() || Text.size() > 8) return false;
  for (char c : Text)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
  return true;
}

std::string HexColorText(std::uint32_t Color) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%06X", static_cast<unsigned>(Color));
  return buf;
}

// A size text of the window page: trailing blanks removed, then the plain
// integer conversion; anything else raises the conversion error.
std::int32_t SizeFromText(const std::string& Text) {
  std::string_view s(Text);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  std::int32_t n = 0;
  if (!TryStrToInt(s, n)) throw EConvertError(kConvertError + std::string(s));
  return n;
}

}  // namespace

std::uint32_t ColorToRGB(std::uint32_t Color) {
  if ((Color & 0x80000000u) != 0) return platform::SystemColor(static_cast<int>(Color & 0xFFu));
  return Color;
}

TTvViewCfg::TTvViewCfg(const TTvViewCfg& Source)
    : TParametryConf(Source),
      RozmiarX(Source.RozmiarX),
      RozmiarY(Source.RozmiarY),
      KolorTla(Source.KolorTla),
      AutoSize(Source.AutoSize),
      RefreshInterval(Source.RefreshInterval),
      LastBase(Source.LastBase),
      AutoSaveInterval(Source.AutoSaveInterval),
      AreaOnActive(Source.AreaOnActive) {}

std::unique_ptr<TParametryConf> TTvViewCfg::Clone() const { return std::make_unique<TTvViewCfg>(*this); }

bool TTvViewCfg::AssignFrom(TParametryConf* Source) {
  auto* source = dynamic_cast<TTvViewCfg*>(Source);
  if (source == nullptr || source == this) return false;
  const bool changed = RozmiarX != source->RozmiarX || RozmiarY != source->RozmiarY ||
                       KolorTla != source->KolorTla || AutoSize != source->AutoSize ||
                       RefreshInterval != source->RefreshInterval || LastBase != source->LastBase ||
                       AutoSaveInterval != source->AutoSaveInterval || AreaOnActive != source->AreaOnActive;
  RozmiarX = source->RozmiarX;
  RozmiarY = source->RozmiarY;
  KolorTla = source->KolorTla;
  AutoSize = source->AutoSize;
  RefreshInterval = source->RefreshInterval;
  LastBase = source->LastBase;
  AutoSaveInterval = source->AutoSaveInterval;
  AreaOnActive = source->AreaOnActive;
  return changed;
}

void TTvViewCfg::Read(const platform::TIniFile& Ini) {
  const std::string colour = Ini.ReadString(kSectionOkno, kKeyKolorTla, "");
  // Empty (or a text that is no colour): the system window colour.
  KolorTla = IsHexColorText(colour) ? HexToInt(colour) : clWindow;
  RozmiarX = Ini.ReadInteger(kSectionOkno, kKeyRozmiarX, 0);
  RozmiarY = Ini.ReadInteger(kSectionOkno, kKeyRozmiarY, 0);
  LastBase = Ini.ReadString(kSectionOkno, kKeyLastBase, "");
  RefreshInterval = Ini.ReadInteger(kSectionOkno, kKeyRefresh, kDefaultRefresh);
  // A repaint timer needs a positive interval.
  if (RefreshInterval <= 0) RefreshInterval = kDefaultRefresh;
  AutoSaveInterval = MinutesToMs(Ini.ReadInteger(kSectionInne, kKeyAutoSave, kDefaultAutoSaveMinutes));
  AreaOnActive = Ini.ReadBool(kSectionInne, kKeyAreaOnActive, false);
  // 0 asks for the work area; so does a size no image can have.
  if (RozmiarX <= 0 || RozmiarY <= 0 || RozmiarX > kMaxSize || RozmiarY > kMaxSize)
    FillWorkArea();
  else
    AutoSize = false;
}

void TTvViewCfg::Write(platform::TIniFile& Ini) const {
  // Every key gets its chance: one value the file cannot hold (a base name
  // with a line break) does not cost the others.
  TWriteSteps steps;
  steps.Run([&] { Ini.WriteString(kSectionOkno, kKeyKolorTla, HexColorText(KolorTla)); });
  steps.Run([&] { Ini.WriteInteger(kSectionOkno, kKeyRefresh, RefreshInterval); });
  steps.Run([&] { Ini.WriteString(kSectionOkno, kKeyLastBase, LastBase); });
  steps.Run([&] { Ini.WriteInteger(kSectionOkno, kKeyRozmiarX, AutoSize ? 0 : RozmiarX); });
  steps.Run([&] { Ini.WriteInteger(kSectionOkno, kKeyRozmiarY, AutoSize ? 0 : RozmiarY); });
  steps.Run([&] { Ini.WriteInteger(kSectionInne, kKeyAutoSave, AutoSaveInterval / kMsPerMinute); });
  steps.Run([&] { Ini.WriteBool(kSectionInne, kKeyAreaOnActive, AreaOnActive); });
  steps.Finish();
}

void TTvViewCfg::ToDialog(TConfigDialogBase& Dialog) const {
  auto* page = dynamic_cast<TViewPageI*>(&Dialog);
  if (page == nullptr) return;
  page->SetSizeTexts(std::to_string(RozmiarX), std::to_string(RozmiarY));
  page->SetSizeDefaultChecked(AutoSize);
  page->SetColorDefaultChecked(KolorTla == clWindow);
  page->SetBackgroundColor(ColorToRGB(KolorTla));
  page->SetAutoSaveMinutes(AutoSaveInterval / kMsPerMinute);
  page->SetAreaActiveChecked(AreaOnActive);
}

void TTvViewCfg::FromDialog(TConfigDialogBase& Dialog) {
  auto* page = dynamic_cast<TViewPageI*>(&Dialog);
  if (page == nullptr) return;
  // Everything is taken from the page first: a size that is not a number
  // raises before the group changes at all.
  const bool autoSize = page->SizeDefaultChecked();
  std::int32_t x = 0;
  std::int32_t y = 0;
  if (!autoSize) {
    x = SizeFromText(page->SizeXText());
    y = SizeFromText(page->SizeYText());
  }
  const std::uint32_t colour = page->ColorDefaultChecked() ? clWindow : page->BackgroundColor();
  const std::int32_t autoSave = MinutesToMs(page->AutoSaveMinutes());
  const bool areaOnActive = page->AreaActiveChecked();

  if (autoSize) {
    FillWorkArea();
  } else {
    RozmiarX = x;
    RozmiarY = y;
    AutoSize = false;
  }
  KolorTla = colour;
  AutoSaveInterval = autoSave;
  AreaOnActive = areaOnActive;
  NotifyChanged();
}

void TTvViewCfg::FillWorkArea() {
  platform::EnsureApplication();
  const platform::TGdiRect area = platform::ScreenWorkArea();
  RozmiarX = area.Width() - 1;
  RozmiarY = area.Height() - 1;
  AutoSize = true;
}

TTvViewCfg& TvViewCfgCreate() {
  TGlobalnaKonfiguracja& global = GlobalnaKonfiguracja();
  if (auto* group = global.FindGroup<TTvViewCfg>()) return *group;
  return *global.GetGroup(std::make_unique<TTvViewCfg>());
}

TTvViewCfg& TvViewCfg() { return TvViewCfgCreate(); }

std::uint32_t TvViewCfgKolorTla() { return ColorToRGB(TvViewCfg().KolorTla); }
