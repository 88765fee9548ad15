// The parameter windows of the line, arc and circle tools and of the line
// edit tool.
#include <array>
#include <cstdint>

#include "controls/historyedit.h"
#include "foundation/geometry/realgeom.h"
#include "foundation/text/numtext.h"
#include "objects/linestylelib.h"
#include "objects/saverecord.h"
#include "objects/styledlines.h"
#include "objtools/objdialogs_impl.h"
#include "platform/gui/controls_std.h"
#include "view/latch.h"

using namespace platform;

namespace {

// The snapping window's client height; the rows of the line windows follow.
constexpr int kBaseHeight = 139;
constexpr int kRow = 29;
constexpr int RowTop(int Row) { return kBaseHeight + kRow * Row; }

constexpr std::array<const char*, 7> kMultipliers{"0.25", "0.5", "1", "1.5", "2", "5", "10"};

// Enter goes on to the next control, as in the coordinate fields.
void EnterMovesOn(TForm& Form, TWinControl& Control) {
  Control.OnKeyDown = [&Form](TComponent&, std::uint16_t& Key, TShiftState) {
    if (Key != VK_RETURN) return;
    Key = 0;
    Form.FocusNextControl();
  };
}

TSpeedButton* CommandButton(TForm& Form, const char* Name, const char* Glyph, const char* Hint, int Row) {
  TSpeedButton* b = Form.Create<TSpeedButton>(&Form, Name);
  b->SetBounds(227, RowTop(Row) + 2, 25, 25);
  b->SetCaption(Glyph);
  b->SetHint(Hint);
  b->SetShowHint(true);
  return b;
}

}  // namespace

// --- TLiniaSpecjalnaD ------------------------------------------------------

TLiniaSpecjalnaD::TLiniaSpecjalnaD() {
  SetName("LiniaSpecjalnaD");
  SetCaption("Wprowadzanie linii");
  SetHelpContext(442);
  SetClientHeight(RowTop(4) + 4);

  auto row = [this](int Row, const char* Name, const char* Caption, TLabel*& Label, auto* Control) {
    Label = Create<TLabel>(this, Name);
    Label->SetBounds(4, RowTop(Row) + 8, 62, 14);
    Label->SetCaption(Caption);
    Control->SetBounds(68, RowTop(Row) + 4, 154, 21);
    Label->SetFocusControl(Control);
    EnterMovesOn(*this, *Control);
  };

  typLini_ = Create<TComboBox>(this, "TypLini");
  typLini_->SetSorted(true);
  typLini_->SetHint("Typ linii");
  row(0, "Label1", "Typ linii:", typLiniLabel_, typLini_);
  typLini_->OnChange = [this](TComponent&) { TypLiniChange(); };

  grubosc_ = Create<TComboBox>(this, "Grubosc");
  grubosc_->SetStyle(TComboBoxStyle::DropDownList);
  for (const char* item : {"domyślna", "cienka", "gruba"}) grubosc_->Items().Add(item);
  grubosc_->SetItemIndex(0);
  row(1, "Label2", "Grubość:", gruboscLabel_, grubosc_);
  grubosc_->OnChange = [this](TComponent&) { GruboscChange(); };

  mnoznik_ = Create<TComboBox>(this, "Mnoznik");
  for (const char* item : kMultipliers) mnoznik_->Items().Add(item);
  mnoznik_->SetText("1");
  row(2, "Label3", "Mnożnik:", mnoznikLabel_, mnoznik_);
  mnoznik_->OnKeyPress = [this](TComponent&, char32_t& Key) { EditKeyPress(Key); };
  mnoznik_->OnChange = [this](TComponent&) { MnoznikChange(); };

  pDlugosc_ = Create<THistoryEdit>(this, "pDlugosc");
  pDlugosc_->SetHistoryId(10);
  pDlugosc_->SetText("0");
  row(3, "Label4", "Długość:", dlugoscLabel_, pDlugosc_);
  pDlugosc_->OnKeyPress = [this](TComponent&, char32_t& Key) { EditKeyPress(Key); };
  pDlugosc_->OnChange = [this](TComponent&) { DlugoscChange(); };

  speedButton4_ = CommandButton(*this, "SpeedButton4", "Ł", "Wprowadź 2 i 3 punkt łuku", 0);
  speedButton4_->OnClick = [this](TComponent&) { SetModalResult(kExtraArc); };
  speedButton5_ = CommandButton(*this, "SpeedButton5", "Z", "Zamknij wielokąt", 1);
  speedButton5_->OnClick = [this](TComponent&) { SetModalResult(kExtraCloseLoop); };
  speedButton6_ = CommandButton(*this, "SpeedButton6", "Z⊥", "Zamknij wielokąt kątem prostym", 2);
  speedButton6_->OnClick = [this](TComponent&) { SetModalResult(kExtraCloseSquare); };
  // One group with the entry-mode buttons: closing by distances is an entry
  // mode of the coordinate fields.
  closeCSB_ = CommandButton(*this, "CloseCSB", "C", "Zamknij do czołówek", 3);
  closeCSB_->SetGroupIndex(2);
  closeCSB_->OnClick = [this](TComponent&) {
    SetFieldLabels("C1:", "C2:");
    inputMode_ = kEntryExtra;
  };

  OnCreate = [this](TComponent&) { FormCreate(); };
}

ILineToolParams* TLiniaSpecjalnaD::LineTool() const { return dynamic_cast<ILineToolParams*>(tool_); }

void TLiniaSpecjalnaD::FormCreate() {
  LineManager().FillStrings(typLini_->Items());
  typLini_->Items().Insert(0, "domyślny");
}

void TLiniaSpecjalnaD::EndAboveFourthRow() {
  dlugoscLabel_->SetVisible(false);
  pDlugosc_->SetVisible(false);
  closeCSB_->SetVisible(false);
  SetClientHeight(RowTop(3) + 4);
}

void TLiniaSpecjalnaD::HideCommandButtons() {
  speedButton4_->SetVisible(false);
  speedButton5_->SetVisible(false);
  speedButton6_->SetVisible(false);
}

bool TLiniaSpecjalnaD::ShowExtraMode() {
  if (inputMode_ != kEntryExtra || !closeCSB_->Visible()) return false;
  closeCSB_->SetDown(true);
  SetFieldLabels("C1:", "C2:");
  return true;
}

int TLiniaSpecjalnaD::ExtraModalResult() { return inputMode_ == kEntryExtra ? kExtraCloseDistances : kLatchOk; }

bool TLiniaSpecjalnaD::CheckExtraInput(std::string& Message) {
  ILineToolParams* tool = LineTool();
  Message = tool != nullptr ? tool->CheckCloseDistances(A, B) : std::string();
  return !Message.empty();
}

void TLiniaSpecjalnaD::DoShow() {
  loading_ = true;
  ShowToolValues();
  loading_ = false;
  TLatchDialog::DoShow();
}

void TLiniaSpecjalnaD::ShowToolValues() {
  ILineToolParams* tool = LineTool();
  if (tool == nullptr) return;
  if (const TSpecStyle* style = tool->TemplateStyle(); style != nullptr) {
    grubosc_->SetItemIndex(style->Thickness);
    if (style->LineDef != nullptr)
      typLini_->SetText(style->LineDef->Name);
    else
      typLini_->SetItemIndex(0);
    mnoznik_->SetText(FloatToText(style->Multiplier));
  }
  if (tool->HasFixedLength()) pDlugosc_->SetText(FloatToText(tool->FixedLength()));
}

void TLiniaSpecjalnaD::TypLiniChange() {
  ILineToolParams* tool = LineTool();
  if (loading_ || tool == nullptr) return;
  // No style of that name ("domyślny" included): the sublayer's style.
  const TLine* def = LineManager().GetLineByName(typLini_->Text());
  tool->ChangeStyle([def](TSpecStyle& S) { S.LineDef = def; });
}

void TLiniaSpecjalnaD::GruboscChange() {
  ILineToolParams* tool = LineTool();
  const int index = grubosc_->ItemIndex();
  if (loading_ || tool == nullptr || index < 0) return;
  tool->ChangeStyle([index](TSpecStyle& S) { S.Thickness = static_cast<std::uint8_t>(index); });
}

void TLiniaSpecjalnaD::MnoznikChange() {
  ILineToolParams* tool = LineTool();
  double value = 0.0;
  if (loading_ || tool == nullptr || !TryStrToReal(mnoznik_->Text(), value)) return;
  // A multiplier the layer file cannot keep is ignored as a non-number is.
  if (!ObjectSaveRecord::MultiplierFits(value)) return;
  tool->ChangeStyle([value](TSpecStyle& S) { S.Multiplier = static_cast<float>(value); });
}

void TLiniaSpecjalnaD::DlugoscChange() {
  ILineToolParams* tool = LineTool();
  double value = 0.0;
  if (loading_ || tool == nullptr || !TryStrToReal(pDlugosc_->Text(), value)) return;
  tool->SetFixedLength(value);
}

// --- TLiniaSpecjalnaSingleD ------------------------------------------------

TLiniaSpecjalnaSingleD::TLiniaSpecjalnaSingleD() {
  SetName("LiniaSpecjalnaSingleD");
  SetCaption("Wprowadź linie");
  speedButton5_->SetVisible(false);
  speedButton6_->SetVisible(false);
  closeCSB_->SetVisible(false);
  speedButton4_->SetTop(RowTop(1) + 2);
  sbOdR_ = CommandButton(*this, "SBOdR", "║", "Odłożenie równoległe", 0);
  sbOdR_->SetGroupIndex(2);
  sbOdR_->SetEnabled(false);
  sbOdR_->OnClick = [this](TComponent&) {
    SetFieldLabels("Lewo:", "Prawo:");
    inputMode_ = kEntryExtra;
  };
}

void TLiniaSpecjalnaSingleD::EnableExtraControls(bool BaseLine) {
  TLiniaSpecjalnaD::EnableExtraControls(BaseLine);
  sbOdR_->SetEnabled(BaseLine);
}

bool TLiniaSpecjalnaSingleD::ShowExtraMode() {
  if (inputMode_ != kEntryExtra || !sbOdR_->Enabled()) return false;
  sbOdR_->SetDown(true);
  SetFieldLabels("Lewo:", "Prawo:");
  return true;
}

int TLiniaSpecjalnaSingleD::ExtraModalResult() { return inputMode_ == kEntryExtra ? kExtraParallel : kLatchOk; }

// --- TLukSpecjalnyD --------------------------------------------------------

TLukSpecjalnyD::TLukSpecjalnyD() {
  SetName("LukSpecjalnyD");
  SetCaption("Wprowadź łuk");
  HideCommandButtons();
  EndAboveFourthRow();
}

// --- TOkragSpecjalnyD ------------------------------------------------------

TOkragSpecjalnyD::TOkragSpecjalnyD() {
  SetName("OkragSpecjalnyD");
  SetCaption("Edycja");
  SetHelpContext(443);
  EndAboveFourthRow();
  const std::array<std::pair<TSpeedButton*, const char*>, 3> modes{{
      {speedButton4_, "Środek, promień"},
      {speedButton5_, "Średnica"},
      {speedButton6_, "3 punkty"},
  }};
  const std::array<const char*, 3> glyphs{"R", "Ø", "3P"};
  for (std::size_t i = 0; i < modes.size(); ++i) {
    TSpeedButton* b = modes[i].first;
    b->SetHint(modes[i].second);
    b->SetCaption(glyphs[i]);
    b->SetTag(static_cast<std::intptr_t>(i));
    // A group of their own: the snap-mode buttons keep theirs down.
    b->SetGroupIndex(3);
    b->OnClick = [this, b](TComponent&) { ModeClick(*b); };
  }
}

void TOkragSpecjalnyD::ShowToolValues() {
  TLiniaSpecjalnaD::ShowToolValues();
  ILineToolParams* tool = LineTool();
  if (tool == nullptr) return;
  switch (tool->CircleMode()) {
    case 0: speedButton4_->SetDown(true); break;
    case 1: speedButton5_->SetDown(true); break;
    case 2: speedButton6_->SetDown(true); break;
    default: break;
  }
}

void TOkragSpecjalnyD::ModeClick(TSpeedButton& Button) {
  if (ILineToolParams* tool = LineTool(); tool != nullptr) tool->SetCircleMode(static_cast<int>(Button.Tag()));
}

// --- TLiniaModifyD ---------------------------------------------------------

TLiniaModifyD::TLiniaModifyD() {
  SetName("LiniaModifyD");
  SetCaption("Edycja");
  // In the free corner left of "Zamknij".
  toBaseLineSB_ = Create<TSpeedButton>(this, "ToBaseLineSB");
  toBaseLineSB_->SetBounds(4, 108, 25, 25);
  toBaseLineSB_->SetCaption("→B");
  toBaseLineSB_->SetHint("Dociągnięcie do linii bazowej");
  toBaseLineSB_->SetShowHint(true);
  toBaseLineSB_->SetEnabled(false);
  toBaseLineSB_->OnClick = [this](TComponent&) { SetModalResult(kExtraToBaseLine); };
}

void TLiniaModifyD::EnableExtraControls(bool BaseLine) { toBaseLineSB_->SetEnabled(BaseLine); }

// --- 3D forms --------------------------------------------------------------

TLiniaSpecjalna3dD::TLiniaSpecjalna3dD() {
  SetName("LiniaSpecjalna3dD");
  SetCaption("Edycja");
  ShowThirdCoordinate();
}

TLiniaSpecjalnaSingle3dD::TLiniaSpecjalnaSingle3dD() {
  SetName("LiniaSpecjalnaSingle3dD");
  SetCaption("Edycja");
  ShowThirdCoordinate();
}

TLukSpecjalny3dD::TLukSpecjalny3dD() {
  SetName("LukSpecjalny3dD");
  SetCaption("Edycja");
  ShowThirdCoordinate();
}

TOkragSpecjalny3dD::TOkragSpecjalny3dD() {
  SetName("OkragSpecjalny3dD");
  SetCaption("Edycja");
  ShowThirdCoordinate();
}

TLiniaModify3dD::TLiniaModify3dD() {
  SetName("LiniaModify3dD");
  SetCaption("Edycja");
  ShowThirdCoordinate();
}
