// The modal edit dialogs of lines, texts, fractions and symbols.
#include <algorithm>
#include <array>
#include <cstdint>
#include <numbers>

#include "controls/justifypicker.h"
#include "controls/linepreview.h"
#include "foundation/geometry/realgeom.h"
#include "foundation/text/numtext.h"
#include "objects/linestylelib.h"
#include "objects/saverecord.h"
#include "objects/symbollib.h"
#include "objtools/objdialogs_impl.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/dialogs.h"
#include "view/krzyzconf.h"

using namespace platform;

namespace {

constexpr std::array<const char*, 7> kMultipliers{"0.25", "0.5", "1", "1.5", "2", "5", "10"};
// The preview's pen widths of a thin and a thick line.
constexpr std::array<std::int32_t, 2> kLineWidths{1, 3};

// The edit dialogs' numbers: digits, the full stop and backspace only.
void DigitsOnly(char32_t& Key) {
  const bool allowed = Key == 8 || Key == U'.' || (Key >= U'0' && Key <= U'9');
  if (!allowed) Key = 0;
}

std::string TooLong(const char* What, std::size_t Limit) {
  return std::string(What) + " (najwyżej " + std::to_string(Limit) + " znaków)";
}

}  // namespace

// --- TNapisSymbolEditD -----------------------------------------------------

TNapisSymbolEditD::TNapisSymbolEditD() {
  SetName("NapisSymbolEditD");
  SetCaption("Edycja");
  SetBorderStyle(TFormBorderStyle::Dialog);
  SetBorderIcons(biSystemMenu);
  SetPosition(TPosition::ScreenCenter);
  SetClientWidth(236);

  hghtLabel_ = Create<TLabel>(this, "Label1");
  hghtLabel_->SetBounds(8, 12, 34, 14);
  hghtLabel_->SetCaption("Wys");
  hght_ = Create<TEdit>(this, "Hght");
  hght_->SetBounds(44, 8, 70, 21);
  hght_->SetText("1");
  hght_->SetHint("Wysokość");
  hght_->SetShowHint(true);
  hghtLabel_->SetFocusControl(hght_);

  katWLabel_ = Create<TLabel>(this, "Label2");
  katWLabel_->SetBounds(124, 12, 30, 14);
  katWLabel_->SetCaption("Kąt");
  katW_ = Create<TEdit>(this, "KatW");
  katW_->SetBounds(158, 8, 70, 21);
  katW_->SetText("0");
  katWLabel_->SetFocusControl(katW_);
  for (TEdit* e : {hght_, katW_}) e->OnKeyPress = [](TComponent&, char32_t& Key) { DigitsOnly(Key); };

  bitBtn1_ = Create<TBitBtn>(this, "BitBtn1");
  bitBtn1_->SetCaption("OK");
  bitBtn1_->SetDefault(true);
  bitBtn1_->OnClick = [this](TComponent&) { OkClick(); };
  bitBtn2_ = Create<TBitBtn>(this, "BitBtn2");
  bitBtn2_->SetCaption("Anuluj");
  bitBtn2_->SetModalResult(mrCancel);
  bitBtn2_->SetCancel(true);
  PlaceButtons(37);
  SetActiveControl(hght_);
}

void TNapisSymbolEditD::PlaceButtons(int Top) {
  bitBtn1_->SetBounds(40, Top + 4, 75, 25);
  bitBtn2_->SetBounds(121, Top + 4, 75, 25);
  SetClientHeight(Top + 4 + 25 + 8);
}

void TNapisSymbolEditD::SetHeight(float H) {
  Height = H;
  hght_->SetText(FloatToText(H));
}

void TNapisSymbolEditD::SetAngle(float A) {
  Angle = A;
  katW_->SetText(FloatToText(A * KrzyzConf().FullAngle / (2.0 * std::numbers::pi)));
}

void TNapisSymbolEditD::ShowError(const std::string& Text, TWinControl& Field) {
  MessageBox(Text, "Błąd", MB_OK | MB_ICONERROR);
  Field.SetFocus();
}

void TNapisSymbolEditD::OkClick() {
  double height = 0.0;
  if (!TryStrToReal(hght_->Text(), height)) {
    ShowError("Wysokosc nie jest liczbą rzeczywistą.", *hght_);
    return;
  }
  Height = static_cast<float>(height);
  double angle = 0.0;
  if (!TryStrToReal(katW_->Text(), angle)) {
    ShowError("Kąt nie jest liczbą rzeczywistą.", *katW_);
    return;
  }
  Angle = static_cast<float>(2.0 * std::numbers::pi * angle / KrzyzConf().FullAngle);
  if (!Validate()) return;
  SetModalResult(mrOk);
}

// --- TNapisEditD -----------------------------------------------------------

TNapisEditD::TNapisEditD() {
  SetName("NapisEditD");
  hghtLabel_->SetCaption("Wys.:");

  just_ = Create<TJustyfikacja>(this, "Just");
  just_->SetBounds(8, 37, 100, 50);
  just_->SetHint("Justyfikacja");
  just_->SetShowHint(true);
  odn_ = Create<TCheckBox>(this, "Odn");
  odn_->SetBounds(116, 41, 112, 17);
  odn_->SetCaption("Odnośnik");
  odn_->OnClick = [this](TComponent&) {
    if (odn_->Checked()) underln_->SetChecked(true);
  };
  underln_ = Create<TCheckBox>(this, "Underln");
  underln_->SetBounds(116, 66, 112, 17);
  underln_->SetCaption("Podkreślenie");

  text_ = Create<TEdit>(this, "Text");
  text_->SetBounds(8, 95, 220, 21);
  text_->SetHint("Tekst");
  text_->SetShowHint(true);
  PlaceButtons(116);
  SetActiveControl(hght_);
}

void TNapisEditD::Load(const TTextEditValues& V) {
  SetHeight(V.Height);
  SetAngle(V.Angle);
  just_->SetJustyfikacja(V.Justification);
  odn_->SetChecked(V.Reference);
  // The object's underline as it is, even under a reference.
  underln_->SetChecked(V.Underline);
  text_->SetText(V.Text);
}

void TNapisEditD::Store(TTextEditValues& V) const {
  V.Height = Height;
  V.Angle = Angle;
  V.Justification = just_->Justyfikacja();
  V.Reference = odn_->Checked();
  V.Underline = underln_->Checked();
  V.Text = text_->Text();
}

std::size_t TNapisEditD::StoredLimit() const { return odn_->Checked() ? kLayerRefTextMax : kRecTextMax; }

bool TNapisEditD::Validate() {
  if (text_->Text().empty()) {
    ShowError("Tekst nie może być pusty", *text_);
    return false;
  }
  if (!ObjectSaveRecord::TextFits(text_->Text(), StoredLimit())) {
    ShowError(TooLong("Tekst jest za długi", StoredLimit()), *text_);
    return false;
  }
  return true;
}

// --- TUlamekEditD ----------------------------------------------------------

TUlamekEditD::TUlamekEditD() {
  SetName("UlamekEditD");
  textLabel_ = Create<TLabel>(this, "Label3");
  textLabel_->SetBounds(8, 95, 106, 14);
  textLabel_->SetCaption("Licznik");
  text_->SetBounds(8, 111, 106, 21);
  text_->SetHint("Licznik");
  textLabel_->SetFocusControl(text_);
  mianownikLabel_ = Create<TLabel>(this, "Label4");
  mianownikLabel_->SetBounds(122, 95, 106, 14);
  mianownikLabel_->SetCaption("Mianownik");
  mianownik_ = Create<TEdit>(this, "Mianownik");
  mianownik_->SetBounds(122, 111, 106, 21);
  mianownik_->SetHint("Mianownik");
  mianownik_->SetShowHint(true);
  mianownikLabel_->SetFocusControl(mianownik_);
  PlaceButtons(132);
}

void TUlamekEditD::Load(const TTextEditValues& V) {
  TNapisEditD::Load(V);
  mianownik_->SetText(V.Denominator);
}

void TUlamekEditD::Store(TTextEditValues& V) const {
  TNapisEditD::Store(V);
  V.Denominator = mianownik_->Text();
}

bool TUlamekEditD::Validate() {
  if (text_->Text().empty()) {
    ShowError("Tekst licznika nie może być pusty", *text_);
    return false;
  }
  if (mianownik_->Text().empty()) {
    ShowError("Tekst mianownika nie może być pusty", *mianownik_);
    return false;
  }
  // Stored as numerator, separator, denominator in one text field.
  const std::string joined = text_->Text() + std::string(1, '\0') + mianownik_->Text();
  if (!ObjectSaveRecord::TextFits(joined, StoredLimit())) {
    ShowError("Licznik i mianownik są za długie (razem z separatorem najwyżej " + std::to_string(StoredLimit()) +
                  " znaków)",
              *text_);
    return false;
  }
  return true;
}

// --- TSymbolEditD ----------------------------------------------------------

TSymbolEditD::TSymbolEditD() {
  SetName("SymbolEditD");
  symbolLabel_ = Create<TLabel>(this, "Label3");
  symbolLabel_->SetBounds(8, 41, 44, 14);
  symbolLabel_->SetCaption("Symbol");
  symbol_ = Create<TComboBox>(this, "Symbol");
  symbol_->SetBounds(58, 37, 170, 21);
  symbol_->SetHint("Symbol");
  symbol_->SetShowHint(true);
  symbolLabel_->SetFocusControl(symbol_);
  PlaceButtons(58);
  SetActiveControl(hght_);
  OnCreate = [this](TComponent&) { SymbolManager().FillStrings(symbol_->Items()); };
}

void TSymbolEditD::Load(const TSymbolEditValues& V) {
  SetHeight(V.Height);
  SetAngle(V.Angle);
  symbol_->SetText(V.Name);
}

void TSymbolEditD::Store(TSymbolEditValues& V) const {
  V.Height = Height;
  V.Angle = Angle;
  V.Name = symbol_->Text();
}

bool TSymbolEditD::Validate() {
  if (!ObjectSaveRecord::TextFits(symbol_->Text(), kLayerSymbolNameMax)) {
    ShowError(TooLong("Nazwa symbolu jest za długa", kLayerSymbolNameMax), *symbol_);
    return false;
  }
  return true;
}

// --- TLiniaEditD -----------------------------------------------------------

TLiniaEditD::TLiniaEditD() {
  SetName("LiniaEditD");
  SetCaption("Edycja");
  SetBorderStyle(TFormBorderStyle::Dialog);
  SetBorderIcons(biSystemMenu);
  SetPosition(TPosition::ScreenCenter);
  SetClientWidth(236);

  auto row = [this](int Top, const char* Name, const char* Caption, TLabel*& Label, TComboBox* Box) {
    Label = Create<TLabel>(this, Name);
    Label->SetBounds(8, Top + 4, 62, 14);
    Label->SetCaption(Caption);
    Box->SetBounds(72, Top, 156, 21);
    Label->SetFocusControl(Box);
  };
  typLini_ = Create<TComboBox>(this, "TypLini");
  typLini_->SetStyle(TComboBoxStyle::DropDownList);
  typLini_->SetSorted(true);
  row(8, "Label1", "Typ linii:", typLiniLabel_, typLini_);
  typLini_->OnChange = [this](TComponent&) { TypLiniChange(); };

  grubosc_ = Create<TComboBox>(this, "Grubosc");
  grubosc_->SetStyle(TComboBoxStyle::DropDownList);
  for (const char* item : {"domyślna", "cienka", "gruba"}) grubosc_->Items().Add(item);
  grubosc_->SetItemIndex(0);
  row(37, "Label2", "Grubość:", gruboscLabel_, grubosc_);
  grubosc_->OnChange = [this](TComponent&) { GruboscChange(); };

  mnoznik_ = Create<TComboBox>(this, "Mnoznik");
  for (const char* item : kMultipliers) mnoznik_->Items().Add(item);
  mnoznik_->SetText("1");
  row(66, "Label3", "Mnożnik:", mnoznikLabel_, mnoznik_);
  mnoznik_->OnKeyPress = [](TComponent&, char32_t& Key) { DigitsOnly(Key); };

  panel_ = Create<TPanel>(this, "Panel1");
  panel_->SetBounds(8, 95, 220, 24);
  panel_->SetBevelOuter(TBevelCut::Lowered);
  panel_->SetCaption("");
  linia_ = Create<TSpecialLine>(panel_, "Linia");
  linia_->SetBounds(2, 2, 216, 20);

  bitBtn1_ = Create<TBitBtn>(this, "BitBtn1");
  bitBtn1_->SetBounds(40, 127, 75, 25);
  bitBtn1_->SetCaption("OK");
  bitBtn1_->SetDefault(true);
  bitBtn1_->OnClick = [this](TComponent&) { OkClick(); };
  bitBtn2_ = Create<TBitBtn>(this, "BitBtn2");
  bitBtn2_->SetBounds(121, 127, 75, 25);
  bitBtn2_->SetCaption("Anuluj");
  bitBtn2_->SetModalResult(mrCancel);
  bitBtn2_->SetCancel(true);
  SetClientHeight(160);
  SetActiveControl(typLini_);

  OnCreate = [this](TComponent&) { FormCreate(); };
}

void TLiniaEditD::FormCreate() {
  LineManager().FillStrings(typLini_->Items());
  typLini_->Items().Insert(0, "Domyślny");
  typLini_->SetItemIndex(0);
}

void TLiniaEditD::Load(const TLineStyleEditValues& V) {
  SublayerLineDef = V.SublayerLineDef;
  SublayerThick = V.SublayerThick;
  grubosc_->SetItemIndex(V.Thickness <= 2 ? V.Thickness : 0);
  typLini_->SetItemIndex(V.LineDef != nullptr ? typLini_->Items().IndexOf(V.LineDef->Name) : 0);
  if (typLini_->ItemIndex() < 0) typLini_->SetItemIndex(0);
  SetMultiplier(V.Multiplier);
  TypLiniChange();
  GruboscChange();
}

void TLiniaEditD::Store(TLineStyleEditValues& V) const {
  V.Thickness = static_cast<std::uint8_t>(std::max(grubosc_->ItemIndex(), 0));
  V.LineDef = typLini_->ItemIndex() > 0 ? LineManager().GetLineByName(typLini_->Text()) : nullptr;
  V.Multiplier = Multiplier;
}

void TLiniaEditD::SetMultiplier(float M) {
  Multiplier = M;
  mnoznik_->SetText(FloatToText(M));
}

void TLiniaEditD::GruboscChange() {
  bool thick = false;
  switch (grubosc_->ItemIndex()) {
    case 1: thick = false; break;
    case 2: thick = true; break;
    default: thick = SublayerThick; break;
  }
  linia_->SetLineWidth(kLineWidths[thick ? 1 : 0]);
}

void TLiniaEditD::TypLiniChange() {
  if (typLini_->ItemIndex() <= 0) {
    if (SublayerLineDef != nullptr) linia_->SetLineDef(SublayerLineDef);
  } else {
    linia_->SetNazwa(typLini_->Text());
  }
}

void TLiniaEditD::OkClick() {
  double value = 0.0;
  if (!TryStrToReal(mnoznik_->Text(), value)) {
    MessageBox("Mnożnik nie jest liczbą rzeczywistą.", "Błąd", MB_OK | MB_ICONERROR);
    mnoznik_->SetFocus();
    return;
  }
  // The layer file keeps thousandths in 16 bits.
  if (!ObjectSaveRecord::MultiplierFits(value)) {
    MessageBox("Mnożnik musi leżeć w przedziale od 0 do 65.535", "Błąd", MB_OK | MB_ICONERROR);
    mnoznik_->SetFocus();
    return;
  }
  Multiplier = static_cast<float>(value);
  SetModalResult(mrOk);
}
