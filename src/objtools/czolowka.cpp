#include "objtools/czolowka.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "foundation/geometry/realgeom.h"
#include "foundation/text/numtext.h"
#include "objects/styledcanvas.h"
#include "objects/texts.h"
#include "platform/gui/application.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/dragframe.h"
#include "view/krzyzconf.h"

using namespace platform;

namespace {

// The keys a number field takes: digits, sign, point (a comma becomes one),
// exponent and Backspace.
void NumberKeyFilter(char32_t& Key) {
  if (Key == U',') Key = U'.';
  const bool allowed = Key == 8 || Key == U'+' || Key == U'-' || Key == U'.' || Key == U'E' || Key == U'e' ||
                       (Key >= U'0' && Key <= U'9');
  if (!allowed) Key = 0;
}

}  // namespace

float CzolowkaToolHeight(double Height) {
  // Not a number compares false: it is refused with the rest.
  if (!(Height > 0.0) || Height > static_cast<double>(std::numeric_limits<float>::max())) return 1.0f;
  return static_cast<float>(Height);
}

// --- TCzolowkaFields -------------------------------------------------------

void TCzolowkaFields::Make(TForm& Form, int Left, int Top, bool HeightBelow) {
  Position = Form.Create<TRadioGroup>(&Form, "Position");
  Position->SetBounds(Left, Top, 112, 72);
  Position->SetCaption("Pozycja");
  Position->Items().Add("Nad linią");
  Position->Items().Add("Na linii");
  Position->Items().Add("Pod linią");
  Position->SetItemIndex(0);

  Wasy = Form.Create<TCheckBox>(&Form, "Wasy");
  Wasy->SetBounds(Left + 120, Top + 6, 110, 17);
  Wasy->SetCaption("Wąsy");
  Underline = Form.Create<TCheckBox>(&Form, "Underline");
  Underline->SetBounds(Left + 120, Top + 26, 110, 17);
  Underline->SetCaption("Podkreślenie");

  HeightLabel = Form.Create<TLabel>(&Form, "HeightLabel");
  Height = Form.Create<TEdit>(&Form, "Height");
  if (HeightBelow) {
    HeightLabel->SetBounds(Left, Top + 80, 58, 14);
    Height->SetBounds(Left + 62, Top + 76, 50, 21);
  } else {
    HeightLabel->SetBounds(Left + 120, Top + 51, 58, 14);
    Height->SetBounds(Left + 182, Top + 47, 66, 21);
  }
  HeightLabel->SetCaption("Wysokość:");
  HeightLabel->SetFocusControl(Height);
  Height->SetText("0");
}

std::uint8_t TCzolowkaFields::GetFlags() const {
  const int item = Position->ItemIndex();
  std::uint8_t f = item == 0 ? kCzolowkaAbove : item == 1 ? kCzolowkaOnLine : kCzolowkaBelow;
  if (Underline->Checked()) f |= kCzolowkaUnderline;
  if (Wasy->Checked()) f |= kCzolowkaWasy;
  return f;
}

void TCzolowkaFields::SetFlags(std::uint8_t F) {
  Position->SetItemIndex((F & kCzolowkaAbove) != 0 ? 0 : (F & kCzolowkaOnLine) != 0 ? 1 : 2);
  Wasy->SetChecked((F & kCzolowkaWasy) != 0);
  Underline->SetChecked((F & kCzolowkaUnderline) != 0);
}

void TCzolowkaFields::ShowHeight(double H) { Height->SetText(KrzyzConf().FormatCoord(H)); }

double TCzolowkaFields::ReadHeight() const {
  double h = 0.0;
  return TryStrToReal(Height->Text(), h) ? h : 0.0;
}

// --- TCzolowkaLineKrzyz ----------------------------------------------------

TCzolowkaLineKrzyz::TCzolowkaLineKrzyz(std::uint32_t Status, TEGraphObj* Template, TWarstwaOgolna* Sublayer,
                                       TKrzyzPointEvent OnPoint)
    : TNewGraphObjKrzyz(Status, Template, Sublayer, std::move(OnPoint)) {
  CompleteCount = 2;
  RestartStage = 1;
  // The base constructor put the template without SetTemplate.
  if (const auto* text = dynamic_cast<const TWysKatNapis*>(Template)) {
    Flags = text->GetCzolowkaFlags();
    Height = text->Height;
  }
}

void TCzolowkaLineKrzyz::SetTemplate(TEGraphObj* Object) {
  TNewGraphObjKrzyz::SetTemplate(Object);
  if (const auto* text = dynamic_cast<const TWysKatNapis*>(Object)) {
    Flags = text->GetCzolowkaFlags();
    Height = text->Height;
  }
}

void TCzolowkaLineKrzyz::UpdateTemplate() {
  auto* text = dynamic_cast<TWysKatNapis*>(Template());
  if (text == nullptr || Stage < 2) return;
  TLatchEntry p;
  GetPrevEntry(p);
  const TLatchEntry& q = CurrentEntry();
  const TRealPoint d{q.X - p.X, q.Y - p.Y};
  text->Height = Height;
  text->SetCzolowka(TRealPoint{(p.X + q.X) / 2.0, (p.Y + q.Y) / 2.0}, d, Hypot(d.X, d.Y), Flags);
}

void TCzolowkaLineKrzyz::DrawExtra() {
  if (Stage < 2 || Canvas == nullptr) return;
  TLatchEntry p;
  GetPrevEntry(p);
  const TLatchEntry& q = CurrentEntry();
  Canvas->LineDirect(p.X, p.Y, q.X, q.Y);
}

bool TCzolowkaLineKrzyz::CompleteObject() {
  TLatchEntry p;
  GetPrevEntry(p);
  const TLatchEntry& q = CurrentEntry();
  return p.X != q.X || p.Y != q.Y;
}

std::unique_ptr<TLatchDialog> TCzolowkaLineKrzyz::CreateDialog() { return MakeForm<TCzolowkaDialog>(); }

void TCzolowkaLineKrzyz::ApplyDialog() {
  const auto* dialog = dynamic_cast<const TCzolowkaDialog*>(Dialog());
  if (dialog == nullptr) return;
  Flags = dialog->GetFlags();
  Height = CzolowkaToolHeight(dialog->TextHeight);
  HideCursor();
  UpdateTemplate();
  ShowCursor();
}

// --- TCzolowkaWskKrzyz -----------------------------------------------------

TCzolowkaWskKrzyz::TCzolowkaWskKrzyz(std::uint32_t Status, TKrzyzPointEvent OnPoint)
    : TWskKoloKrzyz(Status, std::move(OnPoint)) {}

TCzolowkaWskKrzyz::~TCzolowkaWskKrzyz() {
  if (Dialog != nullptr) Dialog->Tool = nullptr;
  // Detach is this class's own: deactivate here.
  Canvas = nullptr;
  Deactivate();
}

std::int32_t TCzolowkaWskKrzyz::RightClick(TRealPoint& Point, const TPoint& ScreenPoint) {
  if (Dialog != nullptr) return kRightNothing;
  std::unique_ptr<TCzolowkaSimple> dialog = MakeForm<TCzolowkaSimple>();
  dialog->Tool = this;
  Dialog = dialog.get();
  dialog->PlaceNear(ScreenPoint.X, ScreenPoint.Y);
  dialog->ShowModal();
  // Freeing the window clears Dialog (DialogClosed) unless the tool went
  // while the window was open; then nothing of it is touched.
  dialog.reset();
  return kRightNothing;
}

void TCzolowkaWskKrzyz::Detach() {
  HideAll();
  TWskKoloKrzyz::Detach();
}

void TCzolowkaWskKrzyz::DialogClosed() { Dialog = nullptr; }

void TCzolowkaWskKrzyz::ApplyDialog() {
  if (Dialog == nullptr) return;
  Flags = Dialog->GetFlags();
  Height = CzolowkaToolHeight(Dialog->TextHeight);
}

// --- TCzolowkaDialog -------------------------------------------------------

TCzolowkaDialog::TCzolowkaDialog() {
  SetName("CzolowkaDialog");
  SetCaption("Czołówka");
  SetHelpContext(4451);

  // The label's row goes above the snapping window's controls.
  constexpr int kRow = 78;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    c->SetBounds(c->Left(), c->Top() + kRow, c->Width(), c->Height());
  }
  SetClientHeight(ClientHeight() + kRow);

  fields_.Make(*this, 4, 2, false);
  fields_.Position->OnClick = [this](TComponent&) { PositionClick(); };
  fields_.Wasy->OnClick = [this](TComponent&) { PositionClick(); };
  fields_.Underline->OnClick = [this](TComponent&) { PositionClick(); };
  fields_.Height->OnKeyPress = [this](TComponent&, char32_t& Key) { EditKeyPress(Key); };
  fields_.Height->OnChange = [this](TComponent&) { HeightChange(); };
  // Enter goes on to the next field, as in the coordinate fields.
  fields_.Height->OnKeyDown = [this](TComponent&, std::uint16_t& Key, TShiftState) {
    if (Key != VK_RETURN) return;
    Key = 0;
    FocusNextControl();
  };
}

void TCzolowkaDialog::SetHeight(double H) {
  TextHeight = H;
  fields_.ShowHeight(H);
}

void TCzolowkaDialog::DoShow() {
  TLatchDialog::DoShow();
  Loading = true;
  if (const auto* tool = dynamic_cast<const TCzolowkaLineKrzyz*>(tool_)) {
    SetHeight(tool->Height);
    SetFlags(tool->Flags);
  }
  Loading = false;
}

void TCzolowkaDialog::PositionClick() {
  if (Loading) return;
  if (auto* tool = dynamic_cast<TCzolowkaLineKrzyz*>(tool_)) tool->ApplyDialog();
}

void TCzolowkaDialog::HeightChange() {
  // The field showing the tool's height (rounded) does not set it.
  if (Loading) return;
  TextHeight = fields_.ReadHeight();
  PositionClick();
}

// --- TRightDialog ----------------------------------------------------------

TRightDialog::TRightDialog() {
  SetName("RightDialog");
  SetBorderStyle(TFormBorderStyle::Dialog);
  SetBorderIcons(biSystemMenu);
  SetKeyPreview(true);
  SetClientWidth(230);
  SetClientHeight(104);

  closeSB_ = Create<TSpeedButton>(this, "CloseSB");
  closeSB_->SetBounds(122, 78, 52, 22);
  closeSB_->SetCaption("Zamknij");
  closeSB_->SetHint("Zamknij");
  closeSB_->SetShowHint(true);
  closeSB_->SetFlat(true);
  closeSB_->OnClick = [this](TComponent&) { CloseClick(); };

  abortSB_ = Create<TSpeedButton>(this, "AbortSB");
  abortSB_->SetBounds(176, 78, 52, 22);
  abortSB_->SetCaption("Anuluj");
  abortSB_->SetHint("Anuluj");
  abortSB_->SetShowHint(true);
  abortSB_->SetFlat(true);
  abortSB_->OnClick = [this](TComponent&) { SetModalResult(mrAbort); };
  abortSB_->OnMouseDown = [this](TComponent&, TMouseButton Button, TShiftState, int, int) {
    if (Button == TMouseButton::Right) SetModalResult(mrAbort);
  };
}

TRightDialog::~TRightDialog() {
  if (Tool != nullptr) Tool->DialogClosed();
}

void TRightDialog::PlaceNear(int X, int Y) { PlaceBeside(X, Y); }

void TRightDialog::CloseClick() {
  if (CanClose()) SetModalResult(mrCancel);
}

void TRightDialog::DoShow() {
  const TGdiPoint pointer = ClientToScreen(*closeSB_, 5, 5);
  SetCursorPos(pointer.X, pointer.Y);
  SetTopMost(true);
  TForm::DoShow();
}

void TRightDialog::KeyDown(std::uint16_t& Key, TShiftState Shift) {
  if (Key == VK_ESCAPE) {
    SetModalResult(mrAbort);
    Key = 0;
    return;
  }
  if (Key == VK_RETURN) {
    CloseClick();
    Key = 0;
    return;
  }
  TForm::KeyDown(Key, Shift);
}

void TRightDialog::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == TMouseButton::Right) SetModalResult(mrAbort);
  TForm::MouseDown(Button, Shift, X, Y);
}

// --- TCzolowkaSimple -------------------------------------------------------

TCzolowkaSimple::TCzolowkaSimple() {
  SetName("CzolowkaSimple");
  SetCaption("Czołówka");
  SetHelpContext(4451);

  fields_.Make(*this, 4, 2, true);
  fields_.Position->OnClick = [this](TComponent&) { PositionClick(); };
  fields_.Wasy->OnClick = [this](TComponent&) { PositionClick(); };
  fields_.Underline->OnClick = [this](TComponent&) { PositionClick(); };
  fields_.Height->OnKeyPress = [](TComponent&, char32_t& Key) { NumberKeyFilter(Key); };
  fields_.Height->OnChange = [this](TComponent&) { HeightChange(); };
  SetActiveControl(fields_.Height);
}

TCzolowkaWskKrzyz* TCzolowkaSimple::CzolowkaTool() const { return dynamic_cast<TCzolowkaWskKrzyz*>(Tool); }

void TCzolowkaSimple::SetHeight(double H) {
  TextHeight = H;
  fields_.ShowHeight(H);
}

void TCzolowkaSimple::DoShow() {
  TRightDialog::DoShow();
  Loading = true;
  if (const TCzolowkaWskKrzyz* tool = CzolowkaTool()) {
    SetHeight(tool->Height);
    SetFlags(tool->Flags);
  }
  Loading = false;
}

void TCzolowkaSimple::PositionClick() {
  if (Loading) return;
  if (TCzolowkaWskKrzyz* tool = CzolowkaTool()) tool->ApplyDialog();
}

void TCzolowkaSimple::HeightChange() {
  if (Loading) return;
  TextHeight = fields_.ReadHeight();
  PositionClick();
}
