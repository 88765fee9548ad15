#include "drawing/canvascfg.h"

#include <cmath>
#include <cstdio>
#include <string_view>

#include "foundation/geometry/realgeom.h"
#include "foundation/settings/configdialogi.h"
#include "foundation/text/numtext.h"
#include "foundation/text/textutil.h"
#include "platform/files/inifile.h"

namespace {

constexpr std::uint32_t kRed = 0x0000FF;
constexpr std::array<std::uint32_t, 3> kDefaultHighlight{0x0000FF, 0x00FFFF, 0x800080};
// 75 dots per inch.
constexpr double kDefaultDpm = 2.9527559055;
constexpr float kBadThickLineCondition = 10.0f;
constexpr double kMaxDpm = 1000.0;

constexpr const char* kKroj = "Kroj";
constexpr const char* kSkala = "Skala";
constexpr const char* kSkalaFlagi = "Skala Flagi";
constexpr const char* kHighlightKey = "Wyrozniajacy kolor ";
constexpr const char* kDynamicDisplay = "Dynamiczne wyswietlanie";
constexpr const char* kDynamicThickLines = "Dynamiczne wyswietlanie grubych linii";
constexpr const char* kThickLineCondition = "Warunek wyswietlania grubych linii";
constexpr const char* kWindowsThickLines = "Grube linie Windows";
constexpr const char* kDpmX = "DPM X";
constexpr const char* kDpmY = "DPM Y";
constexpr const char* kFastDisplay = "Szybkie wyswietlanie";
constexpr const char* kFastDisplaySize = "Szybkie wyswietlanie - rozmiar";
constexpr const char* kFastDisplayCount = "Szybkie wyswietlanie - licznik";

std::string HighlightKey(int N) { return kHighlightKey + std::to_string(N); }

std::uint8_t LowByte(std::int32_t V) { return static_cast<std::uint8_t>(V & 0xFF); }

double ReadReal(const platform::TIniFile& Ini, const char* Key, const char* Default,
                double Fallback) {
  double value = 0.0;
  if (!TryStrToReal(Ini.ReadString(TCanvasCfg::kSection, Key, Default), value)) return Fallback;
  return value;
}

std::string ColorText(std::uint32_t C) {
  char text[16];
  std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(C));
  return text;
}

// The check boxes of the display page that show one setting each, in page
// order.
struct TFlagBox {
  TDisplayPageI::TDisplayCheck Box;
  bool TNullCanvasCfg::*Flag;
};
constexpr TFlagBox kFlagBoxes[] = {
    {TDisplayPageI::dcDymWysw, &TNullCanvasCfg::DynamicDisplay},
    {TDisplayPageI::dcMarkTextOrigin, &TNullCanvasCfg::MarkTextOrigin},
    {TDisplayPageI::dcMarkLineEnds, &TNullCanvasCfg::MarkLineEnds},
    {TDisplayPageI::dcDynWyswGL, &TNullCanvasCfg::DynamicThickLines},
    {TDisplayPageI::dcWindowsThickLines, &TNullCanvasCfg::WindowsThickLines},
    {TDisplayPageI::dcDrCFlagCB, &TNullCanvasCfg::FastDisplay},
};

// The check boxes of the bits of SkalaFlagi.
struct TScaleFlagBox {
  TDisplayPageI::TDisplayCheck Box;
  std::uint8_t Bit;
};
constexpr TScaleFlagBox kScaleFlagBoxes[] = {
    {TDisplayPageI::dcWsText, sfTexts},
    {TDisplayPageI::dcWsLine, sfLines},
    {TDisplayPageI::dcWsSymbol, sfSymbols},
};

// Whether the values shown to the user differ (the fast-display size and
// count are not shown).
bool ShownDiffer(const TCanvasCfg& A, const TNullCanvasCfg& B) {
  for (int n = 1; n <= 3; ++n)
    if (A.GetHighlightColor(n) != B.GetHighlightColor(n)) return true;
  return A.Kroj != B.Kroj || A.Skala != B.Skala || A.SkalaFlagi != B.SkalaFlagi ||
         A.DynamicDisplay != B.DynamicDisplay || A.DynamicThickLines != B.DynamicThickLines ||
         A.ThickLineCondition != B.ThickLineCondition || A.MarkTextOrigin != B.MarkTextOrigin ||
         A.MarkLineEnds != B.MarkLineEnds || A.WindowsThickLines != B.WindowsThickLines ||
         A.FastDisplay != B.FastDisplay || A.DpmX != B.DpmX || A.DpmY != B.DpmY;
}

}  // namespace

TNullCanvasCfg::TNullCanvasCfg(const TNullCanvasCfg& Source) : TParametryConf(Source) {
  CopyFields(Source);
}

void TNullCanvasCfg::CopyFields(const TNullCanvasCfg& Source) {
  Kroj = Source.Kroj;
  Skala = Source.Skala;
  SkalaFlagi = Source.SkalaFlagi;
  DynamicDisplay = Source.DynamicDisplay;
  MarkTextOrigin = Source.MarkTextOrigin;
  MarkLineEnds = Source.MarkLineEnds;
  DynamicThickLines = Source.DynamicThickLines;
  ThickLineCondition = Source.ThickLineCondition;
  WindowsThickLines = Source.WindowsThickLines;
  DpmX = Source.DpmX;
  DpmY = Source.DpmY;
  FastDisplaySize = Source.FastDisplaySize;
  FastDisplayCount = Source.FastDisplayCount;
  FastDisplay = Source.FastDisplay;
}

std::unique_ptr<TParametryConf> TNullCanvasCfg::Clone() const {
  return std::make_unique<TNullCanvasCfg>(*this);
}

double TNullCanvasCfg::GetScale() const { return 1.0; }

std::uint32_t TNullCanvasCfg::GetHighlightColor(int) const { return kRed; }

TCanvasCfg::TCanvasCfg(const TCanvasCfg& Source)
    : TNullCanvasCfg(Source), HighlightColors(Source.HighlightColors) {}

std::unique_ptr<TParametryConf> TCanvasCfg::Clone() const {
  return std::make_unique<TCanvasCfg>(*this);
}

bool TCanvasCfg::AssignFrom(TParametryConf* Source) {
  auto* source = dynamic_cast<TNullCanvasCfg*>(Source);
  if (source == nullptr || source == this) return false;
  const bool changed = ShownDiffer(*this, *source);
  CopyFields(*source);
  for (int n = 1; n <= 3; ++n) HighlightColors[n - 1] = source->GetHighlightColor(n);
  return changed;
}

void TCanvasCfg::Read(const platform::TIniFile& Ini) {
  Kroj = LowByte(Ini.ReadInteger(kSection, kKroj, 1));
  Skala = Ini.ReadInteger(kSection, kSkala, 1000);
  SkalaFlagi = LowByte(Ini.ReadInteger(kSection, kSkalaFlagi, 7));
  for (int n = 1; n <= 3; ++n) {
    const std::string text = Ini.ReadString(kSection, HighlightKey(n), "");
    HighlightColors[n - 1] = text.empty() ? kDefaultHighlight[n - 1] : HexTextToInt(text);
  }
  DynamicDisplay = LowByte(Ini.ReadInteger(kSection, kDynamicDisplay, 0)) != 0;
  DynamicThickLines = LowByte(Ini.ReadInteger(kSection, kDynamicThickLines, 1)) != 0;
  ThickLineCondition =
      static_cast<float>(ReadReal(Ini, kThickLineCondition, "1", kBadThickLineCondition));
  WindowsThickLines = LowByte(Ini.ReadInteger(kSection, kWindowsThickLines, 0)) != 0;
  DpmX = ReadReal(Ini, kDpmX, "2.9527559055", kDefaultDpm);
  DpmY = ReadReal(Ini, kDpmY, "2.9527559055", kDefaultDpm);
  FastDisplay = Ini.ReadBool(kSection, kFastDisplay, true);
  FastDisplaySize = Ini.ReadInteger(kSection, kFastDisplaySize, 8);
  FastDisplayCount = Ini.ReadInteger(kSection, kFastDisplayCount, 8);
  KeepInRange();
}

void TCanvasCfg::KeepInRange() {
  // A settings file edited by hand may hold what no setting can take: such
  // a value reads as the key's default (and is written back as that). The
  // switches and the fast-display counts take any value.
  if (Kroj > 2) Kroj = 1;  // raster, vector or precise
  if (Skala <= 0) Skala = 1000;  // a scale denominator
  if (SkalaFlagi > 7) SkalaFlagi = 7;  // texts, lines, symbols
  for (int n = 0; n < 3; ++n)
    if (HighlightColors[n] > 0xFFFFFFu) HighlightColors[n] = kDefaultHighlight[n];
  if (!std::isfinite(ThickLineCondition) || ThickLineCondition < 0.0f) ThickLineCondition = 1.0f;
  // A screen resolution: above 0 and at most 1000 dots per millimetre
  // (25400 dots per inch), so that sizes computed from it stay in range.
  for (double* dpm : {&DpmX, &DpmY})
    if (!(*dpm > 0.0 && *dpm <= kMaxDpm)) *dpm = kDefaultDpm;
}

void TCanvasCfg::Write(platform::TIniFile& Ini) const {
  Ini.WriteInteger(kSection, kKroj, Kroj);
  Ini.WriteInteger(kSection, kSkala, Skala);
  Ini.WriteInteger(kSection, kSkalaFlagi, SkalaFlagi);
  for (int n = 1; n <= 3; ++n)
    Ini.WriteString(kSection, HighlightKey(n), ColorText(HighlightColors[n - 1]));
  Ini.WriteInteger(kSection, kDynamicDisplay, DynamicDisplay ? 1 : 0);
  Ini.WriteInteger(kSection, kDynamicThickLines, DynamicThickLines ? 1 : 0);
  Ini.WriteString(kSection, kThickLineCondition, FloatToText(ThickLineCondition));
  Ini.WriteInteger(kSection, kWindowsThickLines, WindowsThickLines ? 1 : 0);
  Ini.WriteString(kSection, kDpmX, FloatToText(DpmX));
  Ini.WriteString(kSection, kDpmY, FloatToText(DpmY));
  Ini.WriteBool(kSection, kFastDisplay, FastDisplay);
  Ini.WriteInteger(kSection, kFastDisplaySize, FastDisplaySize);
  Ini.WriteInteger(kSection, kFastDisplayCount, FastDisplayCount);
}

void TCanvasCfg::ToDialog(TConfigDialogBase& Dialog) const {
  auto* page = dynamic_cast<TDisplayPageI*>(&Dialog);
  if (page == nullptr) return;
  using P = TDisplayPageI;
  page->SetChecked(P::dcWTR, Kroj == 0);
  page->SetChecked(P::dcWTW, Kroj == 1);
  page->SetChecked(P::dcWTP, Kroj == 2);
  page->SetSkalaText(std::to_string(Skala));
  for (const TScaleFlagBox& b : kScaleFlagBoxes) page->SetChecked(b.Box, (SkalaFlagi & b.Bit) != 0);
  for (int n = 1; n <= 3; ++n) page->SetPanelColor(n, HighlightColors[n - 1]);
  for (const TFlagBox& b : kFlagBoxes) page->SetChecked(b.Box, this->*b.Flag);
  page->SetThickLineCondition(ThickLineCondition);
  page->SetScreenDpm(DpmX, DpmY);
}

void TCanvasCfg::FromDialog(TConfigDialogBase& Dialog) {
  auto* page = dynamic_cast<TDisplayPageI*>(&Dialog);
  if (page == nullptr) return;
  using P = TDisplayPageI;
  NotifyChanging();
  TCanvasCfg taken(*this);
  if (page->Checked(P::dcWTP))
    taken.Kroj = 2;
  else if (page->Checked(P::dcWTW))
    taken.Kroj = 1;
  else if (page->Checked(P::dcWTR))
    taken.Kroj = 0;
  // The dialog validates the number; a text that still does not convert
  // keeps the scale rather than failing halfway through the page.
  std::int32_t skala = 0;
  if (TryStrToInt(TrimBlanks(page->SkalaText()), skala)) taken.Skala = skala;
  taken.SkalaFlagi = 0;
  for (const TScaleFlagBox& b : kScaleFlagBoxes)
    if (page->Checked(b.Box)) taken.SkalaFlagi |= b.Bit;
  for (int n = 1; n <= 3; ++n) taken.HighlightColors[n - 1] = page->PanelColor(n);
  for (const TFlagBox& b : kFlagBoxes) taken.*b.Flag = page->Checked(b.Box);
  taken.ThickLineCondition = page->ThickLineCondition();
  page->GetScreenDpm(taken.DpmX, taken.DpmY);

  const bool changed = ShownDiffer(*this, taken);
  CopyFields(taken);
  HighlightColors = taken.HighlightColors;
  if (changed) NotifyChanged();
}

void TCanvasCfg::AfterDialog() {}

double TCanvasCfg::GetScale() const { return Skala * 0.001; }

std::uint32_t TCanvasCfg::GetHighlightColor(int N) const {
  if (N < 1 || N > 3) return kRed;
  return HighlightColors[N - 1];
}
