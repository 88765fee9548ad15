#include "objtools/textsymtools.h"

#include <utility>

#include "foundation/geometry/realgeom.h"
#include "layers/tree/layernode.h"
#include "objects/fraction.h"
#include "objects/symbol.h"
#include "objects/symbollib.h"
#include "objects/texts.h"

// --- The bar as control character ---------------------------------------------

std::size_t FindSingleBar(const std::string& S) {
  for (std::size_t i = 0; i < S.size(); ++i) {
    if (S[i] != '|') continue;
    if (i + 1 < S.size() && S[i + 1] == '|') {
      ++i;  // a pair stands for one bar
      continue;
    }
    return i;
  }
  return std::string::npos;
}

std::string UnescapeBars(const std::string& S) {
  std::string out;
  out.reserve(S.size());
  for (std::size_t i = 0; i < S.size(); ++i)
    if (S[i] != '|' || (i + 1 < S.size() && S[i + 1] == '|')) out.push_back(S[i]);
  return out;
}

std::string EscapeBars(const std::string& S) {
  std::string out;
  out.reserve(S.size());
  for (char c : S) {
    out.push_back(c);
    if (c == '|') out.push_back('|');
  }
  return out;
}

std::string FirstCharacters(const std::string& S, std::size_t Count) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < S.size(); ++i) {
    // A character starts at every byte that is not a continuation byte.
    if ((static_cast<unsigned char>(S[i]) & 0xC0) != 0x80) {
      if (n == Count) return S.substr(0, i);
      ++n;
    }
  }
  return S;
}

namespace {

// The angle of the direction From -> To as the texts keep it.
float DirectionAngle(const TLatchEntry& From, const TLatchEntry& To) {
  return static_cast<float>(ClockwiseAngle(To.X - From.X, To.Y - From.Y));
}

TRealPoint XYOf(const TLatchEntry& E) { return TRealPoint{E.X, E.Y}; }

}  // namespace

// --- TEditNewTextSymbol ------------------------------------------------------

TEditNewTextSymbol::TEditNewTextSymbol(std::uint32_t Status, TEGraphObj* Template, TWarstwaOgolna* Sublayer,
                                       TKrzyzPointEvent OnPoint)
    : TEditGraphObjKrzyz(Status, Template, Sublayer, std::move(OnPoint)) {
  CompleteCount = 3;
  RestartStage = 2;
  Stage = 2;
}

void TEditNewTextSymbol::SetAngled(bool On) {
  if (!AngleAllowed || On == Angled) return;
  CompleteCount += On ? 1 : -1;
  Angled = On;
}

void TEditNewTextSymbol::SetAngleAllowed(bool On) {
  if (!On) SetAngled(false);
  AngleAllowed = On;
}

// --- TEditNewText --------------------------------------------------------------

TEditNewText::TEditNewText(std::uint32_t Status, TEGraphObj* Template, TWarstwaOgolna* Sublayer,
                           TKrzyzPointEvent OnPoint)
    : TEditNewTextSymbol(Status, Template, Sublayer, std::move(OnPoint)) {
  UpdatePointCount();
}

TWysKatOdnNapisW* TEditNewText::TextTemplate() const { return dynamic_cast<TWysKatOdnNapisW*>(template_); }

std::unique_ptr<TLatchDialog> TEditNewText::CreateDialog() { return MakeNapisD(); }

void TEditNewText::UpdateTemplate() {
  TWysKatOdnNapisW* t = TextTemplate();
  if (t == nullptr) return;
  const TLatchEntry& current = CurrentEntry();
  if (Stage <= 2) {
    t->Position = XYOf(current);
    return;
  }
  if (Stage == 3) {
    TLatchEntry anchor;
    GetPrevEntry(anchor);
    t->Position = XYOf(anchor);
    if (Angled)
      t->Angle = DirectionAngle(anchor, current);
    else
      t->SetRefPoint(XYOf(current));
    return;
  }
  // Three points: the anchor two back, the direction point one back.
  const TLatchEntry& anchor = Entries[static_cast<std::size_t>(PointIndex >= 2 ? PointIndex - 2 : 0)];
  TLatchEntry previous;
  GetPrevEntry(previous);
  t->Position = XYOf(anchor);
  if (Angled) t->Angle = DirectionAngle(anchor, previous);
  t->SetRefPoint(XYOf(current));
}

void TEditNewText::UpdatePointCount() {
  const TWysKatOdnNapisW* t = TextTemplate();
  CompleteCount = 2 + (t != nullptr && t->NoReference == 0 ? 1 : 0) + (Angled ? 1 : 0);
}

void TEditNewText::SetTemplate(TEGraphObj* Object) {
  TEditNewTextSymbol::SetTemplate(Object);
  UpdatePointCount();
}

bool TEditNewText::CompleteObject() {
  const TWysKatOdnNapisW* t = TextTemplate();
  if (t == nullptr || t->Text.empty()) return false;
  if (const auto* f = dynamic_cast<const TLicznikMianownik*>(t); f != nullptr && f->Denominator.empty())
    return false;
  // What the layer file would cut is refused rather than stored cut.
  return t->FitsStoredLayout();
}

float TEditNewText::GetHeight() {
  const TWysKatOdnNapisW* t = TextTemplate();
  return t != nullptr ? t->Height : 0.0f;
}

void TEditNewText::SetHeight(float Height) {
  if (TWysKatOdnNapisW* t = TextTemplate()) Change([&] { t->Height = Height; });
}

float TEditNewText::GetAngle() {
  const TWysKatOdnNapisW* t = TextTemplate();
  return t != nullptr ? t->Angle : 0.0f;
}

void TEditNewText::SetAngle(float Angle) {
  if (TWysKatOdnNapisW* t = TextTemplate()) Change([&] { t->Angle = Angle; });
}

std::uint8_t TEditNewText::GetJustification() {
  const TWysKatOdnNapisW* t = TextTemplate();
  return t != nullptr ? t->GetJustyfikacja() : 7;
}

void TEditNewText::SetJustification(std::uint8_t Justification) {
  if (TWysKatOdnNapisW* t = TextTemplate()) Change([&] { t->SetJustyfikacja(Justification); });
}

bool TEditNewText::GetUnderline() {
  const TWysKatOdnNapisW* t = TextTemplate();
  return t != nullptr && t->IsUnderline();
}

void TEditNewText::SetUnderline(bool On) {
  if (TWysKatOdnNapisW* t = TextTemplate()) Change([&] { t->SetUnderline(On); });
}

bool TEditNewText::GetReference() {
  const TWysKatOdnNapisW* t = TextTemplate();
  return t != nullptr && t->NoReference == 0;
}

void TEditNewText::SetReference(bool On) {
  TWysKatOdnNapisW* t = TextTemplate();
  if (t == nullptr) return;
  Change([&] { t->NoReference = On ? 0 : 1; });
  UpdatePointCount();
}

std::string TEditNewText::GetEditText() {
  const TWysKatOdnNapisW* t = TextTemplate();
  if (t == nullptr) return {};
  if (const auto* f = dynamic_cast<const TLicznikMianownik*>(t))
    return EscapeBars(f->Text) + "|" + EscapeBars(f->Denominator);
  std::string text = t->IsOverline() ? std::string(1, '|') : std::string();
  return text.append(EscapeBars(t->Text));
}

void TEditNewText::ReplaceTemplate(std::unique_ptr<TWysKatOdnNapisW> Made) {
  TEGraphObj* old = template_;
  Made->ColourWord = old->ColourWord;
  // SetTemplate takes the old template off the screen before it goes.
  SetTemplate(Made.release());
  FreeGraphObj(old);
}

void TEditNewText::SetText(const std::string& Text) {
  TWysKatOdnNapisW* t = TextTemplate();
  if (t == nullptr) return;
  const std::size_t bar = FindSingleBar(Text);
  if (bar != std::string::npos && bar != 0 && bar + 1 != Text.size()) {
    if (dynamic_cast<TLicznikMianownik*>(t) == nullptr) ReplaceTemplate(t->ConvertToClass<TLicznikMianownik>());
    auto* f = static_cast<TLicznikMianownik*>(TextTemplate());
    Change([&] {
      f->Text = UnescapeBars(Text.substr(0, bar));
      // The bar goes in the unescaping: at most 254 characters after it.
      f->Denominator = UnescapeBars(FirstCharacters(Text.substr(bar), 255));
    });
    return;
  }
  if (dynamic_cast<TLicznikMianownik*>(t) != nullptr) ReplaceTemplate(t->ConvertToClass<TWysKatOdnNapisW>());
  TWysKatOdnNapisW* plain = TextTemplate();
  Change([&] {
    plain->Text = UnescapeBars(Text);
    plain->SetOverline(bar == 0);
  });
}

// --- TEditNewSymbol ------------------------------------------------------------

TEditNewSymbol::TEditNewSymbol(std::uint32_t Status, TEGraphObj* Template, TWarstwaOgolna* Sublayer,
                               TKrzyzPointEvent OnPoint)
    : TEditNewTextSymbol(Status, Template, Sublayer, std::move(OnPoint)) {
  CompleteCount = 2;
}

TWysKatSymbol* TEditNewSymbol::SymbolTemplate() const { return dynamic_cast<TWysKatSymbol*>(template_); }

std::unique_ptr<TLatchDialog> TEditNewSymbol::CreateDialog() {
  if (Sublayer != nullptr) Sublayer->SelectSymbols();
  return MakeSymbolD();
}

void TEditNewSymbol::UpdateTemplate() {
  TWysKatSymbol* s = SymbolTemplate();
  if (s == nullptr) return;
  const TLatchEntry& current = CurrentEntry();
  if (Stage <= 2) {
    s->Position = XYOf(current);
    return;
  }
  TLatchEntry anchor;
  GetPrevEntry(anchor);
  s->Position = XYOf(anchor);
  if (Angled) s->Angle = DirectionAngle(anchor, current);
}

bool TEditNewSymbol::CompleteObject() {
  const TWysKatSymbol* s = SymbolTemplate();
  return s != nullptr && !s->Text.empty() && s->FitsStoredLayout();
}

float TEditNewSymbol::GetHeight() {
  const TWysKatSymbol* s = SymbolTemplate();
  return s != nullptr ? s->Height : 0.0f;
}

void TEditNewSymbol::SetHeight(float Height) {
  if (TWysKatSymbol* s = SymbolTemplate()) Change([&] { s->Height = Height; });
}

float TEditNewSymbol::GetAngle() {
  const TWysKatSymbol* s = SymbolTemplate();
  return s != nullptr ? s->Angle : 0.0f;
}

void TEditNewSymbol::SetAngle(float Angle) {
  if (TWysKatSymbol* s = SymbolTemplate()) Change([&] { s->Angle = Angle; });
}

std::string TEditNewSymbol::GetSymbolName() {
  const TWysKatSymbol* s = SymbolTemplate();
  return s != nullptr ? s->Text : std::string();
}

void TEditNewSymbol::SetSymbolName(const std::string& Name) {
  TWysKatSymbol* s = SymbolTemplate();
  if (s == nullptr) return;
  Change([&] {
    s->Text = Name;
    s->Symbol = SymbolManager().GetSymbolByName(Name);
  });
}
