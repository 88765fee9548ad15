// The parameter windows of the text and symbol tools.
#include <cmath>
#include <numbers>

#include "controls/justifypicker.h"
#include "foundation/geometry/realgeom.h"
#include "foundation/text/numtext.h"
#include "objects/symbollib.h"
#include "objtools/objdialogs_impl.h"
#include "platform/gui/controls_std.h"
#include "view/krzyzconf.h"
#include "view/latch.h"

using namespace platform;

namespace {

constexpr int kBaseHeight = 139;

void EnterMovesOn(TForm& Form, TWinControl& Control) {
  Control.OnKeyDown = [&Form](TComponent&, std::uint16_t& Key, TShiftState) {
    if (Key != VK_RETURN) return;
    Key = 0;
    Form.FocusNextControl();
  };
}

}  // namespace

// --- TNapisSymbolD ---------------------------------------------------------

TNapisSymbolD::TNapisSymbolD() {
  SetName("NapisSymbolD");
  SetClientHeight(kOwnTop);

  kat_ = Create<TCheckBox>(this, "Kat");
  kat_->SetBounds(4, kBaseHeight + 6, 84, 17);
  kat_->SetCaption("Pod kątem");
  kat_->OnClick = [this](TComponent&) {
    if (ITextToolParams* tool = TextTool(); !loading_ && tool != nullptr) tool->SetAngled(kat_->Checked());
  };

  katWLabel_ = Create<TLabel>(this, "Label2");
  katWLabel_->SetBounds(104, kBaseHeight + 8, 30, 14);
  katWLabel_->SetCaption("Kąt:");
  katW_ = Create<TEdit>(this, "KatW");
  katW_->SetBounds(136, kBaseHeight + 4, 70, 21);
  katW_->SetText("0");
  katWLabel_->SetFocusControl(katW_);

  hghtLabel_ = Create<TLabel>(this, "Label1");
  hghtLabel_->SetBounds(4, kBaseHeight + 37, 62, 14);
  hghtLabel_->SetCaption("Wysokość:");
  hght_ = Create<TEdit>(this, "Hght");
  hght_->SetBounds(68, kBaseHeight + 33, 70, 21);
  hght_->SetText("1");
  hght_->SetHint("Wysokość");
  hght_->SetShowHint(true);
  hghtLabel_->SetFocusControl(hght_);

  for (TEdit* e : {katW_, hght_}) {
    e->OnKeyPress = [this](TComponent&, char32_t& Key) { EditKeyPress(Key); };
    EnterMovesOn(*this, *e);
  }
  hght_->OnChange = [this](TComponent&) {
    ITextToolParams* tool = TextTool();
    double value = 0.0;
    if (loading_ || tool == nullptr || !TryStrToReal(hght_->Text(), value)) return;
    tool->SetHeight(static_cast<float>(value));
  };
  katW_->OnChange = [this](TComponent&) {
    ITextToolParams* tool = TextTool();
    double value = 0.0;
    if (loading_ || tool == nullptr || !TryStrToReal(katW_->Text(), value)) return;
    tool->SetAngle(static_cast<float>(2.0 * std::numbers::pi * value / KrzyzConf().FullAngle));
  };
}

ITextToolParams* TNapisSymbolD::TextTool() const { return dynamic_cast<ITextToolParams*>(tool_); }

void TNapisSymbolD::DoShow() {
  loading_ = true;
  ShowToolValues();
  loading_ = false;
  TLatchDialog::DoShow();
}

void TNapisSymbolD::ShowToolValues() {
  ITextToolParams* tool = TextTool();
  if (tool == nullptr) return;
  kat_->SetChecked(tool->IsAngled());
  kat_->SetEnabled(tool->IsAngleAllowed());
  katW_->SetEnabled(tool->IsAngleAllowed());
  // Hundredths of the angle unit, halves to the even one. Only shown: the
  // tool keeps its exact angle until the user edits the field.
  const double units = tool->GetAngle() * KrzyzConf().FullAngle / (2.0 * std::numbers::pi);
  katW_->SetText(FloatToText(std::nearbyint(units * 100.0) / 100.0));
  hght_->SetText(FloatToText(tool->GetHeight()));
  hght_->SetEnabled(tool->IsHeightAllowed());
}

// --- TNapisD ---------------------------------------------------------------

TNapisD::TNapisD() {
  SetName("NapisD");
  SetCaption("Tekst");
  SetHelpContext(444);

  just_ = Create<TJustyfikacja>(this, "Just");
  just_->SetBounds(4, kOwnTop, 100, 50);
  just_->SetHint("Justyfikacja");
  just_->SetShowHint(true);
  just_->OnChange = [this](TComponent&) {
    if (ITextToolParams* tool = TextTool(); !loading_ && tool != nullptr)
      tool->SetJustification(just_->Justyfikacja());
  };

  odn_ = Create<TCheckBox>(this, "Odn");
  odn_->SetBounds(112, kOwnTop + 4, 120, 17);
  odn_->SetCaption("Odnośnik");
  odn_->OnClick = [this](TComponent&) { OdnClick(); };

  underln_ = Create<TCheckBox>(this, "Underln");
  underln_->SetBounds(112, kOwnTop + 29, 120, 17);
  underln_->SetCaption("Podkreślenie");
  underln_->OnClick = [this](TComponent&) {
    if (ITextToolParams* tool = TextTool(); !loading_ && tool != nullptr) tool->SetUnderline(underln_->Checked());
  };

  text_ = Create<TEdit>(this, "Text");
  text_->SetBounds(4, kOwnTop + 56, 247, 21);
  text_->SetHint("Tekst");
  text_->SetShowHint(true);
  text_->OnChange = [this](TComponent&) {
    if (ITextToolParams* tool = TextTool(); !loading_ && tool != nullptr) tool->SetText(text_->Text());
  };
  EnterMovesOn(*this, *text_);

  SetClientHeight(kOwnTop + 56 + 21 + 6);
  SetActiveControl(text_);
}

void TNapisD::ShowToolValues() {
  TNapisSymbolD::ShowToolValues();
  ITextToolParams* tool = TextTool();
  if (tool == nullptr) return;
  just_->SetJustyfikacja(tool->GetJustification());
  underln_->SetChecked(tool->GetUnderline());
  odn_->SetChecked(tool->GetReference());
  text_->SetText(tool->GetEditText());
  just_->SetEnabled(tool->IsJustificationAllowed());
}

void TNapisD::DoHide() {
  SetActiveControl(text_);
  TNapisSymbolD::DoHide();
}

void TNapisD::OdnClick() {
  ITextToolParams* tool = TextTool();
  if (loading_ || tool == nullptr) return;
  tool->SetReference(odn_->Checked());
  // A reference line is drawn from the underline: ticking the reference
  // ticks the underline (its own handler turns it on in the template).
  // Unticking leaves the underline as it is.
  if (odn_->Checked() && !underln_->Checked()) underln_->SetChecked(true);
}

// --- TSymbolD --------------------------------------------------------------

TSymbolD::TSymbolD() {
  SetName("SymbolD");
  SetCaption("Symbol");
  SetHelpContext(445);
  hghtLabel_->SetCaption("Wielkość:");
  hght_->SetHint("Wielkość");

  symbolLabel_ = Create<TLabel>(this, "Label3");
  symbolLabel_->SetBounds(4, kOwnTop + 4, 62, 14);
  symbolLabel_->SetCaption("Symbol:");
  symbol_ = Create<TComboBox>(this, "Symbol");
  symbol_->SetBounds(68, kOwnTop, 183, 21);
  symbol_->SetHint("Symbol");
  symbolLabel_->SetFocusControl(symbol_);
  EnterMovesOn(*this, *symbol_);
  symbol_->OnChange = [this](TComponent&) {
    if (ITextToolParams* tool = TextTool(); !loading_ && tool != nullptr) tool->SetSymbolName(symbol_->Text());
  };
  SetClientHeight(kOwnTop + 21 + 6);

  OnCreate = [this](TComponent&) { SymbolManager().FillStrings(symbol_->Items()); };
}

void TSymbolD::ShowToolValues() {
  TNapisSymbolD::ShowToolValues();
  ITextToolParams* tool = TextTool();
  if (tool == nullptr) return;
  const std::string name = tool->GetSymbolName();
  symbol_->SetText(name);
  // A name the library lacks leaves the box empty.
  symbol_->SetItemIndex(symbol_->Items().IndexOf(name));
  if (symbol_->ItemIndex() < 0) symbol_->SetText("");
}
