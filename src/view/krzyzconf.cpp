#include "view/krzyzconf.h"

#include <charconv>
#include <cmath>
#include <exception>
#include <numbers>
#include <system_error>
#include <thread>

#include "foundation/geometry/realgeom.h"
#include "foundation/geometry/rounding.h"
#include "foundation/settings/configdialogi.h"
#include "foundation/text/numtext.h"
#include "platform/files/inifile.h"
#include "platform/files/paths.h"
#include "platform/files/system.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/sound.h"

namespace {

constexpr char kSectionKrzyz[] = "Krzyz";
constexpr char kSectionDigitizer[] = "Digitizer";
// Two different sections: the decimals live in the first, the angle unit in
// the second.
constexpr char kSectionDzialki[] = "Dzialki";
constexpr char kSectionDzialkiPl[] = "Działki";

constexpr char kKeyCelownikW[] = "CelownikW";
constexpr char kKeyCelownikH[] = "CelownikH";
constexpr char kKeyRysujKrzyz[] = "RysujKrzyz";
constexpr char kKeyDecimals[] = "Ilość cyfr po przecinku";
constexpr char kKeySignal[] = "Sygnal dzwiekowy";
constexpr char kKeySpeaker[] = "Sygnal dzwiekowy przez glosniczek";
constexpr char kKeyActivePriority[] = "Priorytet warstwy aktywnej";
constexpr char kKeyStopnie[] = "Stopnie";
constexpr char kKeySnapType[] = "Typ zatrzasku";
constexpr char kKeyCelownikWmm[] = "CelownikWmm";
constexpr char kKeyCelownikHmm[] = "CelownikHmm";

constexpr double kDegrees = 360.0;
constexpr double kGrads = 400.0;
// Snap modes are 0 to 8; anything else read from the file is the default.
constexpr std::int32_t kLastSnapType = 8;
// A sight half-size beyond this many pixels is no sight; larger values read
// from the file or typed in are held to it, so that the tools' pixel
// arithmetic cannot overflow.
constexpr std::int32_t kMaxCelownik = 10000;
// Fixed notation of a long double with more decimals than it holds digits
// adds nothing; a bigger number read from the file is held to this.
constexpr std::int32_t kMaxDecimals = 20;

struct TBeep {
  std::uint32_t Frequency;
  std::uint32_t Duration;
};
// By signal kind: 0 error, 1 OK.
constexpr TBeep kBeeps[] = {{100, 100}, {1000, 50}};
constexpr const char* kWaveFiles[] = {"Blad.wav", "OK.wav"};
constexpr std::size_t kSignalKinds = sizeof kBeeps / sizeof kBeeps[0];

std::int32_t ClampCelownik(std::int32_t V) {
  return V < 0 ? 0 : V > kMaxCelownik ? kMaxCelownik : V;
}

}  // namespace

TKrzyzConf::TKrzyzConf(const TKrzyzConf& Source)
    : TParametryConf(Source),
      CelownikW(Source.CelownikW),
      CelownikH(Source.CelownikH),
      CelownikWmm(0.0),
      CelownikHmm(0.0),
      DigitizerOn(0),
      Read_(0),
      RysujKrzyz(Source.RysujKrzyz),
      Decimals(0),
      FullAngle(Source.FullAngle),
      Signal(false),
      Speaker(false),
      ActivePriority(Source.ActivePriority),
      SnapType(Source.SnapType) {}

std::unique_ptr<TParametryConf> TKrzyzConf::Clone() const { return std::make_unique<TKrzyzConf>(*this); }

bool TKrzyzConf::AssignFrom(TParametryConf* Source) {
  auto* source = dynamic_cast<TKrzyzConf*>(Source);
  if (source == nullptr || source == this) return false;
  const bool changed = CelownikW != source->CelownikW || CelownikH != source->CelownikH ||
                       RysujKrzyz != source->RysujKrzyz || FullAngle != source->FullAngle ||
                       ActivePriority != source->ActivePriority || SnapType != source->SnapType;
  CelownikW = source->CelownikW;
  CelownikH = source->CelownikH;
  RysujKrzyz = source->RysujKrzyz;
  FullAngle = source->FullAngle;
  ActivePriority = source->ActivePriority;
  SnapType = source->SnapType;
  return changed;
}

void TKrzyzConf::Read(const platform::TIniFile& Ini) {
  CelownikW = ClampCelownik(Ini.ReadInteger(kSectionKrzyz, kKeyCelownikW, 5));
  CelownikH = ClampCelownik(Ini.ReadInteger(kSectionKrzyz, kKeyCelownikH, 5));
  RysujKrzyz = Ini.ReadBool(kSectionKrzyz, kKeyRysujKrzyz, true);
  Decimals = Ini.ReadInteger(kSectionDzialki, kKeyDecimals, 2);
  Signal = Ini.ReadBool(kSectionKrzyz, kKeySignal, true);
  Speaker = Ini.ReadBool(kSectionKrzyz, kKeySpeaker, true);
  ActivePriority = Ini.ReadBool(kSectionKrzyz, kKeyActivePriority, true);
  FullAngle = Ini.ReadBool(kSectionDzialkiPl, kKeyStopnie, true) ? kDegrees : kGrads;
  const std::int32_t snap = Ini.ReadInteger(kSectionKrzyz, kKeySnapType, 0);
  SnapType = static_cast<std::uint8_t>(snap >= 0 && snap <= kLastSnapType ? snap : 0);
  // A text that is no number keeps the default size.
  CelownikWmm = StrToRealDef(Ini.ReadString(kSectionDigitizer, kKeyCelownikWmm, "1"), 1.0);
  CelownikHmm = StrToRealDef(Ini.ReadString(kSectionDigitizer, kKeyCelownikHmm, "1"), 1.0);
  Read_ = 1;
}

void TKrzyzConf::Write(platform::TIniFile& Ini) const {
  Ini.WriteInteger(kSectionKrzyz, kKeyCelownikW, CelownikW);
  Ini.WriteInteger(kSectionKrzyz, kKeyCelownikH, CelownikH);
  Ini.WriteBool(kSectionKrzyz, kKeyRysujKrzyz, RysujKrzyz);
  Ini.WriteBool(kSectionKrzyz, kKeySignal, Signal);
  Ini.WriteBool(kSectionKrzyz, kKeyActivePriority, ActivePriority);
  Ini.WriteBool(kSectionKrzyz, kKeySpeaker, Speaker);
  Ini.WriteInteger(kSectionKrzyz, kKeySnapType, SnapType);
  Ini.WriteString(kSectionDigitizer, kKeyCelownikWmm, FloatToText(CelownikWmm));
  Ini.WriteString(kSectionDigitizer, kKeyCelownikHmm, FloatToText(CelownikHmm));
}

void TKrzyzConf::ToDialog(TConfigDialogBase& Dialog) const {
  if (auto* page = dynamic_cast<TCursorPageI*>(&Dialog)) {
    page->ShowCelownik(CelownikW, CelownikH);
    page->ShowCelownikMm(CelownikWmm, CelownikHmm);
    // The switch shows the unit in use, so that confirming the dialog
    // without touching it keeps the unit.
    page->SetDegreesChecked(FullAngle != kGrads);
    page->SetActivePriorityChecked(ActivePriority);
    return;
  }
  // Any other settings form with the check box (a view's display dialog)
  // shows the priority too.
  if (auto* form = dynamic_cast<platform::TComponent*>(&Dialog))
    if (auto* box = form->Find<platform::TCheckBox>("ActPrio")) box->SetChecked(ActivePriority);
}

void TKrzyzConf::FromDialog(TConfigDialogBase& Dialog) {
  auto* page = dynamic_cast<TCursorPageI*>(&Dialog);
  if (page == nullptr) return;
  std::int32_t w = 0;
  std::int32_t h = 0;
  page->GetCelownik(w, h);
  w = ClampCelownik(w);
  h = ClampCelownik(h);
  double wmm = 0.0;
  double hmm = 0.0;
  page->GetCelownikMm(wmm, hmm);
  const double fullAngle = page->DegreesChecked() ? kDegrees : kGrads;
  const bool priority = page->ActivePriorityChecked();
  const bool changed = w != CelownikW || h != CelownikH || fullAngle != FullAngle || priority != ActivePriority;
  CelownikW = w;
  CelownikH = h;
  CelownikWmm = wmm;
  CelownikHmm = hmm;
  FullAngle = fullAngle;
  ActivePriority = priority;
  if (changed) NotifyChanged();
}

void TKrzyzConf::FormatCoord(long double Value, std::string& Text) const {
  const int decimals = Decimals < 0 ? 0 : Decimals > kMaxDecimals ? kMaxDecimals : Decimals;
  if (!std::isfinite(Value)) {
    Text = FloatToText(static_cast<double>(Value));
    return;
  }
  // The integer part of the largest long double has some 4933 digits.
  std::string buf(static_cast<std::size_t>(decimals) + 5000, '\0');
  const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), Value, std::chars_format::fixed, decimals);
  buf.resize(static_cast<std::size_t>(res.ptr - buf.data()));
  // A negative value that rounds to zero is written without its sign.
  if (buf.front() == '-' && buf.find_first_not_of("0.", 1) == std::string::npos) buf.erase(0, 1);
  Text = std::move(buf);
}

std::string TKrzyzConf::FormatCoord(long double Value) const {
  std::string text;
  FormatCoord(Value, text);
  return text;
}

void TKrzyzConf::FormatAngle(long double Angle, std::string& Text) const {
  const long double units = Angle * FullAngle / (2.0L * std::numbers::pi_v<long double>);
  const long double hundredths = units * 100.0L;
  // Round takes what fits 64 bits; an angle beyond that is written unrounded.
  constexpr long double kLimit = 9.0e18L;
  if (!(std::fabs(hundredths) < kLimit)) {
    Text = FloatToText(static_cast<double>(units));
    return;
  }
  Text = FloatToText(static_cast<double>(Round(hundredths)) * 0.01);
}

std::string TKrzyzConf::FormatAngle(long double Angle) const {
  std::string text;
  FormatAngle(Angle, text);
  return text;
}

TKrzyzConf& KrzyzConf() {
  TGlobalnaKonfiguracja& global = GlobalnaKonfiguracja();
  if (auto* group = global.FindGroup<TKrzyzConf>()) return *group;
  return *global.GetGroup(std::make_unique<TKrzyzConf>());
}

void StartBeep(std::uint32_t Frequency, std::uint32_t Duration) {
  try {
    // Each thread carries its own values: two quick beeps never share the
    // later one's.
    std::thread([Frequency, Duration] {
      try {
        platform::PlayTone(Frequency, Duration);
      } catch (...) {
        // A tone that cannot be played is no error of the caller's.
      }
    }).detach();
  } catch (const std::system_error&) {
    // No thread to be had: no beep.
  }
}

void PlaySignal(const TKrzyzConf& Conf, std::uint8_t Kind) {
  if (!Conf.Signal) return;
  const std::size_t index = Kind & 0x7F;
  if (index >= kSignalKinds) return;
  const TBeep& beep = kBeeps[index];
  if (Conf.Speaker) {
    StartBeep(beep.Frequency, beep.Duration);
    return;
  }
  bool played = false;
  try {
    played = platform::PlayWaveFileAsync(platform::JoinPath(platform::ProgramFolder(), kWaveFiles[index]));
  } catch (...) {
    played = false;
  }
  if (!played) StartBeep(beep.Frequency, beep.Duration);
}
