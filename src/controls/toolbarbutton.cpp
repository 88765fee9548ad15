#include "controls/toolbarbutton.h"

#include <algorithm>

#include "controls/dock.h"
#include "controls/floatwnd.h"
#include "controls/toolbar.h"
#include "platform/gui/controls_menus.h"
#include "platform/gui/dragframe.h"
#include "platform/gui/forms.h"
#include "platform/gui/messages.h"
#include "platform/paint/gdiimage.h"

using platform::TBitmap;
using platform::TCanvas;
using platform::TGdiPoint;
using platform::TGdiRect;
using platform::TMouseButton;
using platform::TShiftState;
using platform::TSurfaceCanvas;

namespace {

constexpr std::uint32_t kHotTrackInterval = 125;

// Shared by all buttons: how many exist, the hot one, its timer and the
// checker pattern of a down button in a group.
int gButtonCount = 0;
TToolbarButton* gHotButton = nullptr;
std::unique_ptr<platform::TTimer> gHotTimer;
std::unique_ptr<platform::TActivationWatch> gDeactivation;
std::unique_ptr<TBitmap> gButtonPattern;

TBitmap& ButtonPattern() {
  if (!gButtonPattern) {
    gButtonPattern = std::make_unique<TBitmap>(8, 8, clBtnFace);
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        if (x % 2 == y % 2) gButtonPattern->Canvas().SetPixel(x, y, clBtnHighlight);
      }
    }
  }
  return *gButtonPattern;
}

platform::TFont ButtonFont() {
  platform::TFont font;
  font.Name = "Arial";
  font.Height = -11;
  font.Color = clBtnText;
  return font;
}

}  // namespace

TToolbarButton::TToolbarButton() {
  SetColor(clBtnFace);
  TCustomControl::SetBounds(0, 0, 23, 22);
  glyph_.OnChange = [this] { Redraw(); };
  accelerator_ = std::make_unique<platform::TAccelerator>(*this, [this] {
    if (Enabled() && Visible()) Click();
  });
  if (gButtonCount++ == 0) {
    gHotTimer = std::make_unique<platform::TTimer>();
    gHotTimer->SetEnabled(false);
    gHotTimer->SetInterval(kHotTrackInterval);
    gHotTimer->OnTimer = [] { HotTrackTick(); };
    gDeactivation = std::make_unique<platform::TActivationWatch>([](bool active) {
      if (!active) ApplicationDeactivated();
    });
  }
}

TToolbarButton::~TToolbarButton() {
  if (destroyedFlag_ != nullptr) *destroyedFlag_ = true;
  if (dropdownMenu_ != nullptr) dropdownMenu_->RemoveFreeNotification(this);
  accelerator_.reset();
  if (gHotButton == this) {
    gHotTimer->SetEnabled(false);
    gHotButton = nullptr;
  }
  glyph_.OnChange = nullptr;
  if (--gButtonCount == 0) {
    gHotTimer.reset();
    gDeactivation.reset();
    gButtonPattern.reset();
  }
}

TToolbarButton* TToolbarButton::HotButton() { return gHotButton; }

void TToolbarButton::HotTrackTick() {
  if (gHotButton == nullptr) return;
  TGdiPoint p = platform::CursorPos();
  if (platform::ControlAtScreen(p.X, p.Y) != gHotButton) gHotButton->MouseLeft();
}

void TToolbarButton::ApplicationDeactivated() {
  if (gHotButton != nullptr) gHotButton->MouseLeft();
}

bool TToolbarButton::HotAllowed() const {
  if (!platform::ApplicationActive()) return false;
  // The button's form: a floating toolbar's buttons are on its top form.
  platform::TForm* own = nullptr;
  for (const platform::TControl* c = this; c != nullptr; c = c->Parent()) {
    if (auto* bar = dynamic_cast<const TToolbar*>(c);
        bar != nullptr && bar->FloatWindow() != nullptr && bar->Parent() == bar->FloatWindow()) {
      own = bar->TopForm();
      break;
    }
    if (auto* form = dynamic_cast<const platform::TForm*>(c)) {
      own = GetMDIParentOrSelf(const_cast<platform::TForm*>(form));
      break;
    }
  }
  platform::TForm* active = GetActiveTopForm();
  return own == nullptr || active == nullptr || own == active;
}

void TToolbarButton::ParentRelayout() {
  if (auto* bar = dynamic_cast<TToolbar*>(Parent())) bar->ArrangeControls();
}

void TToolbarButton::SetBounds(int left, int top, int width, int height) {
  bool resized = width != Width() || height != Height();
  TCustomControl::SetBounds(left, top, width, height);
  if (resized) ParentRelayout();
}

void TToolbarButton::SetVisible(bool visible) {
  bool changed = visible != Visible();
  TCustomControl::SetVisible(visible);
  if (changed) ParentRelayout();
}

void TToolbarButton::SetAllowAllUp(bool allow) {
  if (allow == allowAllUp_) return;
  allowAllUp_ = allow;
  UpdateExclusive();
}

void TToolbarButton::SetGroupIndex(int index) {
  if (index == groupIndex_) return;
  groupIndex_ = index;
  UpdateExclusive();
}

void TToolbarButton::SetDown(bool down) {
  if (groupIndex_ == 0) down = false;
  if (down == down_) return;
  if (down_ && !allowAllUp_) return;
  down_ = down;
  state_ = down ? TButtonState::bsExclusive : TButtonState::bsUp;
  Redraw();
  if (down) UpdateExclusive();
}

void TToolbarButton::UpdateExclusive() {
  if (groupIndex_ == 0 || Parent() == nullptr) return;
  platform::TWinControl* parent = Parent();
  for (int i = 0; i < parent->ControlCount(); ++i) {
    if (auto* other = dynamic_cast<TToolbarButton*>(parent->Controls(i))) {
      other->ButtonPressed(groupIndex_, *this);
    }
  }
}

void TToolbarButton::ButtonPressed(int groupIndex, TToolbarButton& sender) {
  if (groupIndex != groupIndex_ || &sender == this) return;
  if (sender.down_ && down_) {
    down_ = false;
    state_ = TButtonState::bsUp;
    Redraw();
  }
  allowAllUp_ = sender.allowAllUp_;
}

void TToolbarButton::SetDisplayMode(TButtonDisplayMode mode) {
  if (mode == displayMode_) return;
  displayMode_ = mode;
  Redraw();
}

void TToolbarButton::SetDropdownArrow(bool arrow) {
  if (arrow == dropdownArrow_) return;
  dropdownArrow_ = arrow;
  Redraw();
}

void TToolbarButton::SetForceDropdownArrow(bool force) {
  if (force == forceDropdownArrow_) return;
  forceDropdownArrow_ = force;
  Redraw();
}

void TToolbarButton::SetDropdownCombo(bool combo) {
  if (combo == dropdownCombo_) return;
  dropdownCombo_ = combo;
  SetBounds(Left(), Top(), combo ? Width() + kDropdownComboWidth
                                 : std::max(1, Width() - kDropdownComboWidth),
            Height());
  Redraw();
}

void TToolbarButton::SetDropdownMenu(platform::TPopupMenu* menu) {
  if (menu == dropdownMenu_) return;
  if (dropdownMenu_ != nullptr) dropdownMenu_->RemoveFreeNotification(this);
  dropdownMenu_ = menu;
  if (menu != nullptr) menu->FreeNotification(this);
  if (dropdownArrow_) Redraw();
}

void TToolbarButton::SetFlat(bool flat) {
  if (flat == flat_) return;
  flat_ = flat;
  Redraw();
}

void TToolbarButton::SetOpaque(bool opaque) {
  if (opaque == opaque_) return;
  opaque_ = opaque;
  Redraw();
}

void TToolbarButton::SetGlyph(const TBitmap* bitmap) {
  glyph_.SetGlyph(bitmap);
  Redraw();
}

void TToolbarButton::SetNumGlyphs(int n) {
  n = std::min(n, 5);
  if (n == glyph_.NumGlyphs()) return;
  glyph_.SetNumGlyphs(n);
  Redraw();
}

void TToolbarButton::SetLayout(TButtonLayout layout) {
  if (layout == layout_) return;
  layout_ = layout;
  Redraw();
}

void TToolbarButton::SetMargin(int margin) {
  if (margin == margin_ || margin < -1) return;
  margin_ = margin;
  Redraw();
}

void TToolbarButton::SetSpacing(int spacing) {
  if (spacing == spacing_) return;
  spacing_ = spacing;
  Redraw();
}

void TToolbarButton::SetOldDisabledStyle(bool old) {
  if (old == glyph_.OldDisabledStyle()) return;
  glyph_.SetOldDisabledStyle(old);
  Redraw();
}

void TToolbarButton::SetWordWrap(bool wrap) {
  if (wrap == wordWrap_) return;
  wordWrap_ = wrap;
  Redraw();
}

void TToolbarButton::SetEnabled(bool enabled) {
  bool changed = enabled != Enabled();
  TCustomControl::SetEnabled(enabled);
  if (!changed) return;
  glyph_.CreateButtonGlyph(enabled ? TButtonState::bsUp : TButtonState::bsDisabled);
  if (!enabled && gHotButton == this) {
    gHotTimer->SetEnabled(false);
    gHotButton = nullptr;
  }
  if (!enabled) {
    mouseInControl_ = false;
    mouseIsDown_ = false;
  }
  UpdateTracking();
  Redraw();
}

int TToolbarButton::CaptionWidth() {
  TBitmap scratch(1, 1);
  scratch.Canvas().SetFont(ButtonFont());
  std::vector<std::string> lines = WrapCaption(scratch.Canvas(), Caption(), 0, false);
  return scratch.Canvas().TextExtent(lines.front()).X;
}

bool TToolbarButton::InMainPart(int x, int y) const {
  int w = ClientWidth() - (SplitButton() ? kDropdownComboWidth : 0);
  return x >= 0 && x < w && y >= 0 && y < ClientHeight();
}

void TToolbarButton::Paint() {
  TSurfaceCanvas surface(Surface());
  TCanvas& canvas = surface.Canvas();
  if (!Enabled()) {
    state_ = TButtonState::bsDisabled;
    mouseIsDown_ = false;
  } else if (state_ == TButtonState::bsDisabled) {
    state_ = down_ && groupIndex_ != 0 ? TButtonState::bsExclusive : TButtonState::bsUp;
  }
  canvas.SetFont(ButtonFont());
  int w = Width();
  int h = Height();
  if (!opaque_ && flat_ && Parent() != nullptr) {
    // What lies behind: the parent's colour and, on a docked toolbar, the
    // dock's tiles, which start at the dock's parent's corner.
    platform::TBrush back;
    back.Color = Parent()->Color();
    canvas.FillRect({0, 0, w, h}, back);
    auto* bar = dynamic_cast<TToolbar*>(Parent());
    if (TDock* dock = bar != nullptr ? bar->DockedTo() : nullptr) {
      int x = Left() + bar->Left() + dock->Left();
      int y = Top() + bar->Top() + dock->Top();
      dock->DrawBackground(canvas, {0, 0, w, h}, {-x, -y, w, h});
    }
  }
  TGdiRect face{0, 0, w, h};
  bool pressed = state_ == TButtonState::bsDown || state_ == TButtonState::bsExclusive;
  bool split = SplitButton();
  bool edges = !flat_ || pressed || (mouseInControl_ && state_ != TButtonState::bsDisabled);
  TEdgeKind raised = flat_ ? TEdgeKind::RaisedInner : TEdgeKind::Raised;
  TEdgeKind sunken = flat_ ? TEdgeKind::SunkenOuter : TEdgeKind::Sunken;
  if (edges) {
    if (split) {
      TGdiRect arrowPart{w - kDropdownComboWidth, 0, w, h};
      DrawEdge(canvas, arrowPart, pressed && menuIsDown_ ? sunken : raised);
      face.Right -= kDropdownComboWidth;
    }
    DrawEdge(canvas, face, pressed && !(split && menuIsDown_) ? sunken : raised);
  } else if (split) {
    face.Right -= kDropdownComboWidth;
  }
  int inset = flat_ ? 1 : 2;
  face = {face.Left + inset, face.Top + inset, face.Right - inset, face.Bottom - inset};
  TGdiPoint offset{0, 0};
  if (pressed && !(split && menuIsDown_)) {
    if (state_ == TButtonState::bsExclusive && (!flat_ || !mouseInControl_)) {
      TBitmap& pattern = ButtonPattern();
      for (int y = face.Top; y < face.Bottom; y += 8) {
        for (int x = face.Left; x < face.Right; x += 8) {
          canvas.BitBlt(x, y, std::min(8, face.Right - x), std::min(8, face.Bottom - y),
                        pattern.Canvas(), 0, 0);
        }
      }
    }
    offset = {1, 1};
  }
  bool arrow = (dropdownArrow_ && !dropdownCombo_ && dropdownMenu_ != nullptr) ||
               forceDropdownArrow_;
  glyph_.Draw(canvas, face, offset, displayMode_ != TButtonDisplayMode::dmTextOnly,
              displayMode_ != TButtonDisplayMode::dmGlyphOnly, Caption(), wordWrap_, layout_,
              margin_, spacing_, arrow, state_);
  if (split) TButtonGlyph::DrawButtonDropArrow(canvas, w - 13, h / 2 - 1, state_);
}

void TToolbarButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  if (!Enabled()) return;
  if (button != TMouseButton::Left) {
    MouseEntered();
    return;
  }
  if (!mouseInControl_) {
    mouseInControl_ = true;
    if (OnMouseEnter) OnMouseEnter(*this);
  }
  menuIsDown_ = dropdownMenu_ != nullptr && (!SplitButton() || x >= Width() - kDropdownComboWidth);
  if (!down_) {
    state_ = TButtonState::bsDown;
    Redraw();
  } else if (allowAllUp_) {
    Redraw();
  }
  if (menuIsDown_) {
    Click();
  } else {
    mouseIsDown_ = true;
  }
  menuIsDown_ = false;
}

void TToolbarButton::MouseMove(TShiftState shift, int x, int y) {
  TCustomControl::MouseMove(shift, x, y);
  if (gHotButton != this && x >= 0 && y >= 0 && x < Width() && y < Height()) {
    if (gHotButton != nullptr) gHotButton->MouseLeft();
    // Hot only in the active application, on the form that has the activation.
    if (HotAllowed()) {
      gHotButton = this;
      if (gHotTimer) gHotTimer->SetEnabled(true);
      MouseEntered();
    }
  }
  if (mouseIsDown_) {
    TButtonState next = down_ ? TButtonState::bsExclusive
                          : InMainPart(x, y) ? TButtonState::bsDown
                                             : TButtonState::bsUp;
    if (next != state_) {
      state_ = next;
      Redraw();
    }
  }
}

void TToolbarButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == TMouseButton::Right && Enabled()) {
    mouseIsDown_ = false;
    MouseLeft();
  }
  TCustomControl::MouseUp(button, shift, x, y);
  if (button != TMouseButton::Left || !mouseIsDown_) return;
  mouseIsDown_ = false;
  bool click = InMainPart(x, y);
  if (groupIndex_ != 0) {
    if (click) {
      SetDown(!down_);
    } else if (down_) {
      state_ = TButtonState::bsExclusive;
    }
  }
  if (click) {
    Click();
  } else {
    // Not released over the main part: no longer pressed; hot only while
    // the mouse is still over the button.
    if (state_ == TButtonState::bsDown) state_ = TButtonState::bsUp;
    Redraw();
    UpdateTracking();
  }
}

void TToolbarButton::DblClick() {
  if (down_) TCustomControl::DblClick();
}

void TToolbarButton::Click() {
  // Set when the button is freed while its menu runs.
  bool destroyed = false;
  bool* previousFlag = destroyedFlag_;
  destroyedFlag_ = &destroyed;
  auto finish = [&] {
    if (destroyed) {
      if (previousFlag != nullptr) *previousFlag = true;
      return;
    }
    destroyedFlag_ = previousFlag;
    inClick_ = false;
    if (state_ == TButtonState::bsDown) state_ = TButtonState::bsUp;
    Redraw();
    UpdateTracking();
  };
  inClick_ = true;
  try {
    if (state_ == TButtonState::bsUp || state_ == TButtonState::bsMouseIn) {
      state_ = TButtonState::bsDown;
      Redraw();
    }
    MouseLeft();
    if (dropdownMenu_ == nullptr || (SplitButton() && !menuIsDown_)) {
      TCustomControl::Click();
    } else {
      OpenDropdownMenu();
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

void TToolbarButton::OpenDropdownMenu() {
  // Below the button; beside it in a left dock; in a right dock to its
  // left, the menu's right edge at the button's left edge.
  TGdiPoint at{0, Height()};
  auto alignment = platform::TPopupAlignment::paLeft;
  auto* bar = dynamic_cast<TToolbar*>(Parent());
  if (bar != nullptr && bar->DockedTo() != nullptr) {
    if (bar->DockedTo()->Position() == TDockPosition::dpLeft) at = {Width(), 0};
    if (bar->DockedTo()->Position() == TDockPosition::dpRight) {
      at = {0, 0};
      alignment = platform::TPopupAlignment::paRight;
    }
  }
  const TGdiPoint screen = platform::ClientToScreen(*this, at.X, at.Y);
  const TGdiPoint corner = platform::ClientToScreen(*this, 0, 0);
  // A press on the button while the menu is open closes the menu and goes
  // no further, so it does not open the menu again.
  const TGdiRect self{corner.X, corner.Y, corner.X + Width(), corner.Y + Height()};
  platform::TPopupMenu* menu = dropdownMenu_;
  struct Restore {
    platform::TPopupMenu* menu;
    platform::TPopupAlignment alignment;
    TToolbarButton* button;
    bool& destroyed;
    // The menu's own alignment comes back, unless the menu went meanwhile.
    ~Restore() {
      if (!destroyed && button->dropdownMenu_ == menu) menu->SetAlignment(alignment);
    }
  } restore{menu, menu->Alignment(), this, *destroyedFlag_};
  menu->SetAlignment(alignment);
  menu->PopupModal(screen.X, screen.Y, &self);
}

void TToolbarButton::Notification(platform::TComponent& freed) {
  TCustomControl::Notification(freed);
  if (&freed == dropdownMenu_) dropdownMenu_ = nullptr;
}

void TToolbarButton::MouseEntered() {
  if (!Enabled() || mouseInControl_) return;
  mouseInControl_ = true;
  if (state_ == TButtonState::bsUp) state_ = TButtonState::bsMouseIn;
  Redraw();
  if (OnMouseEnter) OnMouseEnter(*this);
}

void TToolbarButton::UpdateTracking() {
  if (!Enabled()) return;
  const TGdiPoint p = platform::CursorPos();
  const bool over = platform::ControlAtScreen(p.X, p.Y) == this;
  // Set to the opposite first, so that the transition below always runs.
  mouseInControl_ = !over;
  if (over) {
    MouseEntered();
  } else {
    MouseLeft();
  }
}

void TToolbarButton::MouseLeft() {
  if (!Enabled() || !mouseInControl_ || mouseIsDown_) return;
  if (state_ == TButtonState::bsMouseIn || (state_ == TButtonState::bsDown && !inClick_)) {
    state_ = TButtonState::bsUp;
  }
  mouseInControl_ = false;
  Redraw();
  if (gHotButton == this) {
    if (gHotTimer) gHotTimer->SetEnabled(false);
    gHotButton = nullptr;
  }
  if (OnMouseExit) OnMouseExit(*this);
}
