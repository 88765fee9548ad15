#include "view/texttools.h"

#include <utility>

#include "drawing/canvascfg.h"
#include "drawing/strokefont.h"
#include "foundation/errors.h"
#include "objects/styledcanvas.h"
#include "platform/gui/application.h"
#include "platform/gui/controls.h"
#include "view/tvview.h"

namespace {

constexpr std::uint8_t kFigures = TKrzyz::kCursorShown | TKrzyz::kMarkerShown;

}  // namespace

// TWskNapisKrzyzImpl

TWskNapisKrzyzImpl::TWskNapisKrzyzImpl(std::uint32_t Status, TKrzyzPointEvent OnPoint,
                                       const std::string& Text, const TTextStyleParams& StyleParams)
    : TWskPunktKrzyz(Status, std::move(OnPoint)) {
  SetText(Text);
  styleParams_ = StyleParams;
}

TWskNapisKrzyzImpl::~TWskNapisKrzyzImpl() {
  // The base destructors run only their own Detach: this one unsubscribes.
  Canvas = nullptr;
  Deactivate();
}

void TWskNapisKrzyzImpl::Redrawn(const std::function<void()>& Fn) {
  if (!attached_) {
    Fn();
    return;
  }
  const std::uint8_t shown = Flags & kFigures;
  HideAll();
  Fn();
  if ((shown & kMarkerShown) != 0) ShowMarker();
  if ((shown & kCursorShown) != 0) ShowCursor();
}

void TWskNapisKrzyzImpl::RebuildPreview() {
  if (text_.empty() || Canvas == nullptr) {
    FreePreview();
    return;
  }
  preview_ = Canvas->BuildText(text_);
}

void TWskNapisKrzyzImpl::FreePreview() { preview_.reset(); }

void TWskNapisKrzyzImpl::DrawText() {
  if (!preview_ || Canvas == nullptr) return;
  Canvas->DrawVectorString(std::make_unique<TVectorChar>(*preview_), leader_, TRealPoint{X, Y}, 0.0f,
                           TRealPoint{TargetX, TargetY});
}

void TWskNapisKrzyzImpl::SetText(const std::string& Text) {
  if (Text == text_) return;
  // The old preview leaves the screen before the new one is built, so that
  // the XOR figures stay in step with what is drawn.
  Redrawn([&] {
    text_ = Text;
    if (!text_.empty() && attached_)
      RebuildPreview();
    else
      FreePreview();
  });
}

void TWskNapisKrzyzImpl::SetJustification(std::uint8_t J) {
  if (J == justification_) return;
  justification_ = J;
  if (!attached_) return;
  Redrawn([&] { Canvas->SetJustification(J); });
}

void TWskNapisKrzyzImpl::SetLeader(bool On) {
  const std::uint8_t value = On ? kLeader : kNoLeader;
  if (value == leader_) return;
  Redrawn([&] { leader_ = value; });
}

void TWskNapisKrzyzImpl::ChangeWithRedraw(std::uint8_t Flag) {
  if (Flag == textFlag_) return;
  textFlag_ = Flag;
  if (!attached_) return;
  Redrawn([&] { Canvas->SetUnderline(Flag != 0); });
}

void TWskNapisKrzyzImpl::ApplyWithRedraw(const TTextStyleParams& Params) {
  styleParams_ = Params;
  if (!attached_) return;
  Redrawn([&] { Canvas->SetScaleAnchors(Params); });
}

void TWskNapisKrzyzImpl::SetViewCursor() {
  if (View != nullptr) View->SetCursor(platform::crCross);
}

std::int32_t TWskNapisKrzyzImpl::GetResult() { return Stage >= 2 ? 1 : 0; }

void TWskNapisKrzyzImpl::Attach() {
  THintKrzyz::Attach();
  if (Canvas == nullptr) return;
  Canvas->SetDrawOption(doClearAll, false);
  Canvas->SetDrawOption(doUpright, true);
  if (auto* view = dynamic_cast<TTvView*>(View)) {
    if (TDefRealCanvas* viewCanvas = view->GetCanvas()) {
      viewCanvas->SetDrawOption(doClearAll, false);
      viewCanvas->SetDrawOption(doClearAll, true);
    }
  }
  if (justification_ == 0)
    justification_ = Canvas->Justification;
  else
    Canvas->SetJustification(justification_);
  Canvas->SetScaleAnchors(styleParams_);
  // The settings the canvas draws with: a change of them reaches the tool
  // after the canvas's own group took it over.
  cfg_ = Canvas->Cfg();
  Canvas->AddCfgHandler(TConfNotify(this, &TWskNapisKrzyzImpl::CfgChanged),
                        TConfNotify(this, &TWskNapisKrzyzImpl::CfgChanging));
  attached_ = true;
  if (!text_.empty()) RebuildPreview();
  Canvas->SetUnderline(textFlag_ != 0);
}

void TWskNapisKrzyzImpl::Detach() {
  if (cfg_ != nullptr) {
    cfg_->RemoveChangeHandler(TConfNotify(this, &TWskNapisKrzyzImpl::CfgChanged));
    cfg_ = nullptr;
  }
  attached_ = false;
  THintKrzyz::Detach();
}

void TWskNapisKrzyzImpl::CfgChanging(TParametryConf*) {
  shownBeforeCfg_ = 0;
  if (text_.empty()) return;
  shownBeforeCfg_ = Flags & kFigures;
  HideAll();
}

void TWskNapisKrzyzImpl::CfgChanged(TParametryConf*) {
  if (text_.empty()) return;
  // A font the new settings ask for may fail to load: the error is shown,
  // the tool goes on without a preview and the other subscribers still hear
  // of the change.
  if (Guard([&] { RebuildPreview(); })) FreePreview();
  if ((shownBeforeCfg_ & kMarkerShown) != 0) ShowMarker();
  if ((shownBeforeCfg_ & kCursorShown) != 0) ShowCursor();
  shownBeforeCfg_ = 0;
}

std::unique_ptr<TKrzyz> TWskNapisKrzyzImpl::Clone() const {
  throw ENotImplemented("TWskNapisKrzyzImpl.Clone");
}

// TWskNapisKrzyz

TWskNapisKrzyz::TWskNapisKrzyz(std::uint32_t Status, TKrzyzPointEvent OnPoint,
                               const std::string& Text, std::uint8_t TextFlag, std::uint8_t Flag4,
                               float Size, std::uint16_t FontNumber,
                               const TTextStyleParams& StyleParams, double TargetX, double TargetY)
    : TWskNapisKrzyzImpl(Status, std::move(OnPoint), Text, StyleParams),
      Flag4(Flag4),
      Size(Size),
      FontNumber(FontNumber) {
  ChangeWithRedraw(TextFlag);
  this->TargetX = TargetX;
  this->TargetY = TargetY;
}

TWskNapisKrzyz::~TWskNapisKrzyz() {
  Canvas = nullptr;
  Deactivate();
}

void TWskNapisKrzyz::Attach() {
  TWskNapisKrzyzImpl::Attach();
  if (Canvas == nullptr) return;
  Canvas->FontNumber = FontNumber;
  Canvas->SetItalic(Flag4 != 0);
  Canvas->SetSize(Size);
  // The preview is built in the tool's own font.
  if (!Text().empty()) RebuildPreview();
}

void TWskNapisKrzyz::DrawCursor() {
  if (Stage > 0) DrawText();
}

// TMoveNapisKrzyz

TMoveNapisKrzyz::TMoveNapisKrzyz(std::uint32_t Status, TKrzyzPointEvent OnPoint,
                                 TNapisSearchEvent Search, float Size, std::uint16_t FontNumber,
                                 const TTextStyleParams& StyleParams)
    : TWskNapisKrzyzImpl(Status, std::move(OnPoint), std::string(), StyleParams),
      Search(std::move(Search)),
      Size(Size),
      FontNumber(FontNumber) {}

TMoveNapisKrzyz::~TMoveNapisKrzyz() {
  Canvas = nullptr;
  Deactivate();
}

void TMoveNapisKrzyz::Attach() {
  TWskNapisKrzyzImpl::Attach();
  if (Canvas == nullptr) return;
  Canvas->FontNumber = FontNumber;
  Canvas->SetSize(Size);
  if (!Text().empty()) RebuildPreview();
}

std::int32_t TMoveNapisKrzyz::Move(const TRealPoint& Point) {
  if (Stage == kBeforeMove) Stage = kPicking;
  if (Stage >= kPlacing && Mode == kMoveTarget) {
    TargetX = Point.X;
    TargetY = Point.Y;
  } else {
    X = Point.X;
    Y = Point.Y;
  }
  return 0;
}

void TMoveNapisKrzyz::DrawCursor() {
  if (Canvas == nullptr || Stage == kBeforeMove) return;
  if (Stage == kPicking) {
    DrawFrame(TRealPoint{X, Y});
  } else {
    const TRealPoint fixed = Mode == kMoveTarget ? TRealPoint{X, Y} : TRealPoint{TargetX, TargetY};
    Canvas->CrossMark(4, 3, fixed);
    DrawText();
  }
  Canvas->FlushLines();
}

bool TMoveNapisKrzyz::Click(const TRealPoint& Point) {
  if (Stage == kPicking) {
    TGetNapisRes found;
    if (Search) Search(this, Point, GetCelownikSize(), found);
    if (found.Text.empty()) return false;
    Redrawn([&] {
      ChangeWithRedraw(found.Flag1);
      Canvas->SetUnderline(found.Flag1 != 0);
      Canvas->SetItalic(found.Flag4 != 0);
      SetJustification(found.Justification);
      Canvas->SetJustification(found.Justification);
      TargetX = found.TargetX;
      TargetY = found.TargetY;
      SetLeader(found.Leader);
      X = found.X;
      Y = found.Y;
      Mode = found.Mode;
      StoreText(found.Text);
      RebuildPreview();
      if (Mode == kMoveText) {
        if (auto* view = dynamic_cast<TTvView*>(View)) view->MoveCursorTo(TRealPoint{X, Y});
      }
      Stage = kPlacing;
    });
    SetViewCursor();
    return false;
  }
  if (Stage >= kPlacing) {
    HideAll();
    if (Mode == kMoveTarget) {
      TargetX = Point.X;
      TargetY = Point.Y;
    } else {
      X = Point.X;
      Y = Point.Y;
    }
    Stage = kPicking;
    SetViewCursor();
    return true;
  }
  return false;
}

std::int32_t TMoveNapisKrzyz::Backspace() {
  std::int32_t result = 0;
  if (Stage >= kPlacing) {
    Redrawn([&] {
      FreePreview();
      StoreText(std::string());
      if (Mode == kMoveTarget) {
        X = TargetX;
        Y = TargetY;
      }
      Stage = kPicking;
    });
    result = 1;
  }
  SetViewCursor();
  return result;
}

void TMoveNapisKrzyz::SetViewCursor() {
  if (View == nullptr) return;
  View->SetCursor(Stage < kPlacing ? platform::crNone : platform::crCross);
}

std::string TMoveNapisKrzyz::GetHint() { return GetHintPart(Stage == kPlacing ? 1 : 0); }
