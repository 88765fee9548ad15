#include "view/latchdialog.h"

#include <array>
#include <numbers>

#include "foundation/geometry/realgeom.h"
#include "foundation/text/numtext.h"
#include "foundation/text/tokenizer.h"
#include "platform/gui/application.h"
#include "platform/gui/clipboard.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/dragframe.h"
#include "view/baseline.h"
#include "view/krzyzconf.h"
#include "view/latch.h"
#include "view/tvview.h"

using namespace platform;

namespace {

TBaseLineDialogI* gBaseLineDialog = nullptr;


struct TSnapButton {
  const char* name;
  const char* glyph;
  const char* hint;
};

// The snap buttons in the order of their tags (the snap modes).
constexpr std::array<TSnapButton, 9> kSnapButtons{{
    {"SBWszystko", "W", "Wstaw"},
    {"SBWarunkowo", "Zw", "Zatrzask warunkowy"},
    {"SBBezWar", "Zb", "Zatrzask bezwarunkowy"},
    {"SBPrzeciecie", "X", "Zatrzask do przecięcia"},
    {"SBLinia", "L", "Zatrzask do linii"},
    {"SBLinia90", "L⊥", "Zatrzask do linii pod kątem prostym"},
    {"SB90", "⊥", "Zatrzask do kąta prostego"},
    {"SB180", "—", "Zatrzask do kąta półpełnego"},
    {"SBMiddle", "Oś", "Prowadzenie osi"},
}};

struct TEntryButton {
  const char* name;
  const char* glyph;
  const char* hint;
  const char* first;
  const char* second;
};

// The entry-mode buttons in the order of the modes, with the field labels
// of each mode.
constexpr std::array<TEntryButton, 8> kEntryButtons{{
    {"SBXY", "XY", "Współrzędne X,Y", "X:", "Y:"},
    {"SBdXdY", "dXY", "Współrzędne względem ostatniego punktu", "DX:", "DY:"},
    {"SBKat", "Az", "Azymut", "Odległość:", "Kąt:"},
    {"SBKat2", "Kt", "Kąt od ostatniego kierunku", "Odległość:", "Kąt:"},
    {"SBDP", "DP", "Domiar prostokątny", "Miara bieżąca:", "Domiar:"},
    {"SBWL", "WL", "Wcięcie liniowe", "Miara przy punkcie 1:", "Miara przy punkcie 2:"},
    {"SBWC", "WC", "Wcięcie kątowe", "Kąt przy punkcie 1:", "Kąt przy punkcie 2:"},
    {"SBBiegunowo", "Bg", "Biegunowo", "Odległość:", "Kąt:"},
}};

// Characters of a UTF-8 text (the caret counts them).
int CharCount(const std::string& Text) {
  int n = 0;
  for (unsigned char ch : Text) n += (ch & 0xC0) != 0x80;
  return n;
}

// Degrees or grads, as the cursor settings say, to radians.
double ToRadians(double Angle) { return Angle * 2.0 * std::numbers::pi / KrzyzConf().FullAngle; }

}  // namespace

void SetBaseLineDialog(TBaseLineDialogI* Dialog) { gBaseLineDialog = Dialog; }
TBaseLineDialogI* BaseLineDialog() { return gBaseLineDialog; }

struct TLatchDialog::TControls {
  std::array<TSpeedButton*, 9> Snap{};
  TLabel* LabelX = nullptr;
  TLabel* LabelY = nullptr;
  TLabel* LabelZ = nullptr;
  TEdit* EditX = nullptr;
  TEdit* EditY = nullptr;
  TEdit* EditZ = nullptr;
  TBitBtn* BtOK = nullptr;
  TSpeedButton* ClipPaste = nullptr;
  std::array<TSpeedButton*, 8> Entry{};
  TButton* BaseLine = nullptr;
  TButton* Close = nullptr;
  TButton* Cancel = nullptr;
};

TLatchDialog::TLatchDialog() : c_(std::make_unique<TControls>()) {
  SetName("LatchDialog");
  SetCaption("Zatrzask");
  SetBorderStyle(TFormBorderStyle::Dialog);
  SetBorderIcons(biSystemMenu);
  SetFormStyle(TFormStyle::StayOnTop);
  SetKeyPreview(true);
  SetHelpContext(43);
  SetClientWidth(255);
  SetClientHeight(139);

  // Made in the order of the screen, row by row.
  for (std::size_t i = 0; i < kSnapButtons.size(); ++i) {
    TSpeedButton* b = Create<TSpeedButton>(this, kSnapButtons[i].name);
    b->SetBounds(4 + 27 * static_cast<int>(i), 4, 25, 25);
    b->SetCaption(kSnapButtons[i].glyph);
    b->SetHint(kSnapButtons[i].hint);
    b->SetShowHint(true);
    b->SetGroupIndex(1);
    b->SetTag(static_cast<std::intptr_t>(i));
    b->OnMouseDown = [this](TComponent& Sender, TMouseButton Button, TShiftState, int, int) {
      SnapMouseDown(Sender, Button);
    };
    c_->Snap[i] = b;
  }
  c_->Snap[0]->SetDown(true);

  c_->LabelX = Create<TLabel>(this, "LabelX");
  c_->LabelX->SetBounds(4, 33, 96, 14);
  c_->LabelY = Create<TLabel>(this, "LabelY");
  c_->LabelY->SetBounds(104, 33, 96, 14);
  c_->LabelZ = Create<TLabel>(this, "LabelZ");
  c_->LabelZ->SetBounds(168, 33, 58, 14);
  c_->LabelZ->SetCaption("Z:");
  c_->LabelZ->SetVisible(false);
  c_->EditX = Create<TEdit>(this, "EditX");
  c_->EditX->SetBounds(4, 48, 96, 21);
  c_->EditY = Create<TEdit>(this, "EditY");
  c_->EditY->SetBounds(104, 48, 96, 21);
  c_->EditZ = Create<TEdit>(this, "EditZ");
  c_->EditZ->SetBounds(168, 48, 58, 21);
  c_->EditZ->SetVisible(false);
  for (TEdit* e : {c_->EditX, c_->EditY, c_->EditZ}) {
    e->SetText("0");
    e->SetShowHint(true);
    // Enter goes on to the next field (and from the last one to OK).
    e->OnKeyDown = [this](TComponent&, std::uint16_t& Key, TShiftState) {
      if (Key != VK_RETURN) return;
      Key = 0;
      FocusNextControl();
    };
  }
  c_->LabelX->SetFocusControl(c_->EditX);
  c_->LabelY->SetFocusControl(c_->EditY);
  c_->LabelZ->SetFocusControl(c_->EditZ);
  c_->EditX->OnEnter = [this](TComponent&) {
    c_->EditX->SetSelection(CharCount(c_->EditX->Text()), 0);
  };
  // ";" and "<" choose the relative and the last-direction entry.
  auto shortcutKeys = [this](TComponent&, char32_t& Key) {
    if (Key == U';' && c_->Entry[kEntryRelative]->Enabled()) {
      c_->Entry[kEntryRelative]->SetDown(true);
      EntryClick(kEntryRelative);
    } else if (Key == U'<' && c_->Entry[kEntryLastDirection]->Enabled()) {
      c_->Entry[kEntryLastDirection]->SetDown(true);
      EntryClick(kEntryLastDirection);
    }
    EditKeyPress(Key);
  };
  c_->EditX->OnKeyPress = shortcutKeys;
  c_->EditY->OnKeyPress = shortcutKeys;
  c_->EditZ->OnKeyPress = [this](TComponent&, char32_t& Key) { EditKeyPress(Key); };

  c_->BtOK = Create<TBitBtn>(this, "btOK");
  c_->BtOK->SetBounds(204, 48, 24, 21);
  c_->BtOK->SetCaption("OK");
  c_->BtOK->OnClick = [this](TComponent&) { OkClick(); };
  c_->ClipPaste = Create<TSpeedButton>(this, "ClipPasteSB");
  c_->ClipPaste->SetBounds(230, 48, 22, 21);
  c_->ClipPaste->SetCaption("Wk");
  c_->ClipPaste->SetHint("Wklej");
  c_->ClipPaste->SetShowHint(true);
  c_->ClipPaste->OnClick = [this](TComponent&) { Paste(); };

  for (std::size_t i = 0; i < kEntryButtons.size(); ++i) {
    TSpeedButton* b = Create<TSpeedButton>(this, kEntryButtons[i].name);
    b->SetBounds(4 + 27 * static_cast<int>(i), 76, 25, 25);
    b->SetCaption(kEntryButtons[i].glyph);
    b->SetHint(kEntryButtons[i].hint);
    b->SetShowHint(true);
    b->SetGroupIndex(2);
    const auto mode = static_cast<std::uint8_t>(i);
    b->OnClick = [this, mode](TComponent&) { EntryClick(mode); };
    c_->Entry[i] = b;
  }
  c_->Entry[kEntryXY]->SetDown(true);
  SetFieldLabels(kEntryButtons[kEntryXY].first, kEntryButtons[kEntryXY].second);

  c_->BaseLine = Create<TButton>(this, "SpeedButton1");
  c_->BaseLine->SetBounds(220, 76, 32, 25);
  c_->BaseLine->SetCaption("Baza");
  c_->BaseLine->SetHint("Linia bazowa");
  c_->BaseLine->SetShowHint(true);
  c_->BaseLine->OnClick = [this](TComponent&) { BaseLineClick(); };
  c_->Close = Create<TButton>(this, "SpeedButton2");
  c_->Close->SetBounds(120, 108, 64, 25);
  c_->Close->SetCaption("Zamknij");
  c_->Close->OnClick = [this](TComponent&) {
    if (ReadZ()) SetModalResult(kLatchClose);
  };
  c_->Cancel = Create<TButton>(this, "SpeedButton3");
  c_->Cancel->SetBounds(188, 108, 64, 25);
  c_->Cancel->SetCaption("Anuluj");
  c_->Cancel->OnClick = [this](TComponent&) { SetModalResult(kLatchAbort); };
  c_->Cancel->OnMouseDown = [this](TComponent&, TMouseButton Button, TShiftState, int, int) {
    if (Button == TMouseButton::Right) SetModalResult(kLatchAbort);
  };

  // Escape closes as a dialog key; the key preview, which sees it next,
  // makes that an abort.
  OnDialogKey = [this](TComponent&, std::uint16_t& Key, TShiftState) {
    if (Key == VK_ESCAPE) SetModalResult(kLatchClose);
  };
  SetActiveControl(c_->EditX);
}

TLatchDialog::~TLatchDialog() {
  if (tool_ != nullptr) tool_->ResetState();
}

TBaseLine* TLatchDialog::ToolBaseLine() const {
  if (tool_ == nullptr || tool_->MapView() == nullptr) return nullptr;
  return dynamic_cast<TBaseLine*>(tool_->MapView()->OverlayPainter());
}

void TLatchDialog::SetKrzyz(TLatchKrzyz* Tool) {
  tool_ = Tool;
  if (Tool == nullptr) return;
  const bool baseLine = ToolBaseLine() != nullptr;
  for (std::uint8_t mode : {kEntryOffsets, kEntryDistances, kEntryAngles, kEntryPolar})
    c_->Entry[mode]->SetEnabled(baseLine);
  EnableExtraControls(baseLine);
}

void TLatchDialog::PlaceNear(int X, int Y) { PlaceBeside(X, Y); }

void TLatchDialog::EnableButtons(std::int32_t PointIndex) {
  c_->Snap[5]->SetEnabled(PointIndex >= 1);
  c_->Entry[kEntryRelative]->SetEnabled(PointIndex >= 1);
  c_->Entry[kEntryAzimuth]->SetEnabled(PointIndex >= 1);
  c_->Snap[6]->SetEnabled(PointIndex >= 2);
  c_->Snap[7]->SetEnabled(PointIndex >= 2);
  c_->Entry[kEntryLastDirection]->SetEnabled(PointIndex >= 2);
}

void TLatchDialog::ShowSnapMode(std::uint8_t Mode) {
  const std::uint8_t mode = Mode & 0x7F;
  if (mode < c_->Snap.size()) c_->Snap[mode]->SetDown(true);
}

void TLatchDialog::SetInputMode(std::uint8_t Mode) {
  if (Mode == inputMode_) return;
  inputMode_ = Mode;
  if (Mode >= kEntryExtra) {
    if (ShowExtraMode()) return;
    inputMode_ = kEntryXY;
  }
  c_->Entry[inputMode_]->SetDown(true);
  SetFieldLabels(kEntryButtons[inputMode_].first, kEntryButtons[inputMode_].second);
}

void TLatchDialog::SetFieldLabels(const std::string& First, const std::string& Second) {
  c_->LabelX->SetCaption(First);
  c_->LabelX->SetHint(First);
  c_->LabelY->SetCaption(Second);
  c_->LabelY->SetHint(Second);
  c_->EditX->SetHint(First);
  c_->EditY->SetHint(Second);
}

void TLatchDialog::SetFirstFieldText(const std::string& Text) {
  c_->EditX->SetText(Text);
  c_->EditX->SetFocus();
  c_->EditX->SetSelection(CharCount(Text), 0);
}

void TLatchDialog::EntryClick(std::uint8_t Mode) {
  SetFieldLabels(kEntryButtons[Mode].first, kEntryButtons[Mode].second);
  inputMode_ = Mode;
}

void TLatchDialog::ShowError(const std::string& Text, TWinControl& Field) {
  // The window stays on top of everything: the message box would lie under
  // it. It comes back into the top layer when it is shown again.
  SetTopMost(false);
  MessageBox(Text, "Błąd", MB_OK | MB_ICONERROR);
  Field.SetFocus();
}

bool TLatchDialog::ReadZ() {
  if (TryStrToReal(c_->EditZ->Text(), Z)) return true;
  ShowError("Z nie jest liczbą rzeczywistą", *c_->EditZ);
  return false;
}

void TLatchDialog::OkClick() {
  if (!TryStrToReal(c_->EditX->Text(), A)) {
    ShowError(c_->LabelX->Caption() + " nie jest liczbą rzeczywistą", *c_->EditX);
    return;
  }
  if (!TryStrToReal(c_->EditY->Text(), B)) {
    ShowError(c_->LabelY->Caption() + " nie jest liczbą rzeczywistą", *c_->EditY);
    return;
  }
  if (!ReadZ()) return;

  // A mode whose button is disabled lacks the points it is computed from
  // (the window may come back in a mode remembered from an earlier point).
  if (inputMode_ < kEntryExtra && !c_->Entry[inputMode_]->Enabled()) {
    const char* missing = inputMode_ >= kEntryOffsets          ? "Brak linii bazowej"
                          : inputMode_ == kEntryLastDirection ? "Brak dwóch poprzednich punktów"
                                                              : "Brak poprzedniego punktu";
    ShowError(missing, *c_->EditX);
    return;
  }

  std::string message;
  bool wrong = false;
  const TBaseLine* baseLine = ToolBaseLine();
  switch (inputMode_) {
    case kEntryAzimuth:
    case kEntryLastDirection:
    case kEntryPolar:
      B = ToRadians(B);
      break;
    case kEntryOffsets:
      if (baseLine != nullptr) wrong = baseLine->CheckBaseLineOffsets(A, B, message);
      break;
    case kEntryDistances:
      if (baseLine != nullptr) wrong = baseLine->CheckBaseLineMeasures(A, B, message);
      break;
    case kEntryAngles:
      A = ToRadians(A);
      B = ToRadians(B);
      if (baseLine != nullptr) wrong = baseLine->CheckBaseLineAngles(A, B, message);
      break;
    case kEntryExtra:
      wrong = CheckExtraInput(message);
      break;
    default:
      break;
  }
  if (inputMode_ >= kEntryOffsets && inputMode_ <= kEntryPolar && baseLine == nullptr) {
    wrong = true;
    message = "Brak linii bazowej";
  }
  if (wrong) {
    ShowError(message, *c_->EditX);
    return;
  }
  SetModalResult(ExtraModalResult());
}

void TLatchDialog::SnapMouseDown(TComponent& Sender, TMouseButton Button) {
  auto& button = static_cast<TSpeedButton&>(Sender);
  if (!button.Enabled()) return;
  const auto tag = static_cast<std::uint8_t>(button.Tag());
  if (Button == TMouseButton::Right) {
    // The tool's snap mode changes; the window stays open.
    button.SetDown(true);
    if (tool_ != nullptr) tool_->Redraw(tag);
    return;
  }
  if (ReadZ()) SetModalResult(kLatchSnapOnce + tag);
}

void TLatchDialog::BaseLineClick() {
  TBaseLineDialogI* dialog = BaseLineDialog();
  if (dialog == nullptr) return;
  // The base-line window must not lie under this one.
  const bool topMost = TopMost();
  SetTopMost(false);
  const int result = dialog->ShowModalFor(tool_ != nullptr ? tool_->MapView() : nullptr);
  if (result >= kLatchBaseLineByPoints && result <= kLatchBaseLineRemove) {
    SetModalResult(result);
    return;
  }
  SetTopMost(topMost);
}

void TLatchDialog::Paste() {
  // The tokenizer reads one line: line breaks separate numbers as blanks do.
  std::string text = ClipboardText();
  for (char& ch : text)
    if (ch == '\r' || ch == '\n') ch = ' ';
  TTokenizer tokens;
  tokens.InitEx(text);
  double first = 0.0;
  double second = 0.0;
  if (!tokens.NextRealComma(first)) return;
  if (tokens.NextRealComma(second)) {
    A = first;
    B = second;
    c_->EditX->SetText(FloatToText(first));
    c_->EditY->SetText(FloatToText(second));
    SetInputMode(kEntryXY);
    return;
  }
  if (c_->EditX->Focused()) {
    A = first;
    c_->EditX->SetText(FloatToText(first));
  } else if (c_->EditY->Focused()) {
    B = first;
    c_->EditY->SetText(FloatToText(first));
  } else if (c_->EditZ->Focused()) {
    Z = first;
    c_->EditZ->SetText(FloatToText(first));
  }
}

void TLatchDialog::EditKeyPress(char32_t& Key) {
  if (Key == U',') Key = U'.';
  if (Key == U'\r') {
    Key = 0;
    FocusNextControl();
    return;
  }
  const bool allowed = Key == 8 || Key == U'+' || Key == U'-' || Key == U'.' || Key == U'E' ||
                       Key == U'e' || (Key >= U'0' && Key <= U'9');
  if (!allowed) Key = 0;
}

void TLatchDialog::DoShow() {
  const TGdiPoint pointer = ClientToScreen(*c_->Cancel, 5, 5);
  SetCursorPos(pointer.X, pointer.Y);
  SetTopMost(true);
  TForm::DoShow();
}

void TLatchDialog::KeyDown(std::uint16_t& Key, TShiftState Shift) {
  if (Key == VK_ESCAPE) {
    SetModalResult(kLatchAbort);
    Key = 0;
    return;
  }
  if (Key == platform::VK_F9) {
    Paste();
    Key = 0;
    return;
  }
  TForm::KeyDown(Key, Shift);
}

void TLatchDialog::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == TMouseButton::Right) SetModalResult(kLatchAbort);
  TForm::MouseDown(Button, Shift, X, Y);
}

TLatchDialog3d::TLatchDialog3d() {
  SetName("LatchDialog3d");
  SetClientHeight(140);
  ShowThirdCoordinate();
}

void TLatchDialog::ShowThirdCoordinate() {
  c_->LabelX->SetWidth(81);
  c_->EditX->SetWidth(81);
  c_->LabelY->SetBounds(88, c_->LabelY->Top(), 77, c_->LabelY->Height());
  c_->EditY->SetBounds(88, c_->EditY->Top(), 77, c_->EditY->Height());
  c_->LabelZ->SetVisible(true);
  c_->EditZ->SetVisible(true);
  c_->EditZ->OnKeyPress = nullptr;
  c_->ClipPaste->SetVisible(false);
  // OK takes the place of the hidden paste button.
  c_->BtOK->SetLeft(c_->ClipPaste->Left());
}
