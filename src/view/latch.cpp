#include "view/latch.h"

#include <cmath>
#include <utility>

#include "drawing/canvascfg.h"
#include "drawing/drawparams.h"
#include "foundation/errors.h"
#include "layers/tree/layernode.h"
#include "layers/tree/searches.h"
#include "layers/tree/sublayer.h"
#include "objects/grobj.h"
#include "objects/layerline.h"
#include "objects/linear.h"
#include "objects/styledcanvas.h"
#include "platform/gui/application.h"
#include "platform/gui/controls.h"
#include "view/baseline.h"
#include "view/krzyzconf.h"
#include "view/latchdialog.h"
#include "view/pointtools.h"
#include "view/search.h"
#include "view/tvview.h"

namespace {

// Sublayer type masks of the snap searches.
constexpr std::uint32_t kVertexMask = 0xD342;
constexpr std::uint32_t kLineMask = 0xFFFED3FE;
constexpr std::uint32_t kBaseLinePickMask = 0x1002;

// Virtual-key codes of the snapping keys.
constexpr std::int32_t kVkMinus = 0xBD;
constexpr std::int32_t kVkSubtract = 0x6D;

constexpr const char* kModeNames[] = {
    "Bez zatrzasku",
    "Zatrzask warunkowy",
    "Zatrzask bezwarunkowy",
    "Zatrzask do przecięcia",
    "Zatrzask do lini",
    "Zatrzask do lini pod kątem prostym",
    "Zatrzask do kąta prostego",
    "Zatrzask do kąta półpełnego",
    "Prowadzenie osi",
};

// Modes 0-4 and 8 at point index 0, 0-5 and 8 at 1, every mode at 2.
bool ModeAllowed(std::uint8_t Mode, std::int32_t PointIndex) {
  if (Mode == 8) return true;
  if (Mode > 8) return false;
  if (PointIndex <= 0) return Mode <= 4;
  if (PointIndex == 1) return Mode <= 5;
  return true;
}

std::uint8_t FallbackMode(std::int32_t PointIndex) {
  if (PointIndex <= 0) return 0;
  return PointIndex == 1 ? 5 : 6;
}

const TKrzyzConf& ConfOf(const TTvView* View) {
  if (View != nullptr && View->KrzyzConf() != nullptr) return *View->KrzyzConf();
  return KrzyzConf();
}

void Signal(std::uint8_t Kind) { PlaySignal(KrzyzConf(), Kind); }

// Clears a search hit when it goes out of scope, whatever happens meanwhile.
struct THitGuard {
  TSearchHit& Hit;
  ~THitGuard() { ClearSearchHit(Hit); }
};

}  // namespace

// --- TLatchKrzyz ----------------------------------------------------------

TLatchKrzyz::TLatchKrzyz(std::uint32_t Status, TKrzyzPointEvent OnPoint, std::string Hint)
    : THintKrzyz(Status, std::move(OnPoint), std::move(Hint)) {}

TLatchKrzyz::TLatchKrzyz(const TLatchKrzyz& Source)
    : THintKrzyz(Source),
      SnapMode(Source.SnapMode),
      Options(static_cast<std::uint8_t>(Source.Options & (kKeepView | kDialog3d))),
      EntryMode(Source.EntryMode),
      Excluded(Source.Excluded) {}

TLatchKrzyz::~TLatchKrzyz() {
  // Detach is this class's own: a base destructor would not run it.
  Canvas = nullptr;
  Deactivate();
  if (dialog_) {
    dialog_->SetKrzyz(nullptr);
    dialog_.reset();
  }
  Owned.reset();
}

std::int32_t TLatchKrzyz::Move(const TRealPoint& Point) {
  TLatchEntry& e = CurrentEntry();
  // Axis guidance: the nested midpoint tool moves this tool to the middle
  // of its segment.
  if (auto* middle = dynamic_cast<TLWskMiddleKrzyz*>(Nested.get()); middle != nullptr && middle->HasMiddle) {
    e.X = middle->Middle.X;
    e.Y = middle->Middle.Y;
    return 0;
  }
  e.X = Point.X;
  e.Y = Point.Y;
  return 0;
}

bool TLatchKrzyz::Click(const TRealPoint& Point) {
  TLatchEntry e{Point.X, Point.Y, CurrentEntry().Z};
  return LatchPoint(SnapMode, e);
}

void TLatchKrzyz::SetViewCursor() {
  if (View != nullptr) View->SetCursor(platform::crNone);
}

std::string TLatchKrzyz::GetHint() { return GetHintPart(PointIndex) + " " + GetLatchModeName(); }

std::int32_t TLatchKrzyz::RightClick(TRealPoint& Point, const TPoint& ScreenPoint) {
  return ShowLatchDialog(ScreenPoint, std::string()) ? kRightEnd : kRightNothing;
}

void TLatchKrzyz::Attach() {
  THintKrzyz::Attach();
  view_ = dynamic_cast<TTvView*>(View);
  if (view_ == nullptr) return;
  Redraw(view_->SnapType);
  view_->SetOverlayVisible(true);
}

void TLatchKrzyz::Detach() {
  if (view_ != nullptr) {
    view_->SetOverlayVisible(false);
    view_->SnapType = SnapMode;
    if (view_->KrzyzConf() != nullptr) view_->KrzyzConf()->SnapType = SnapMode;
  }
  // The next tool and the next start of the program begin in this mode.
  KrzyzConf().SnapType = SnapMode;
  if ((Options & kKeepView) == 0) view_ = nullptr;
  THintKrzyz::Detach();
}

std::int32_t TLatchKrzyz::KeyDown(std::int32_t Key) {
  std::int32_t mode = -1;
  switch (Key) {
    case platform::VK_F2: mode = 0; break;
    case platform::VK_F3: mode = 1; break;
    case platform::VK_F4: mode = 2; break;
    case platform::VK_F4 | kKeyShift: mode = 3; break;
    case platform::VK_F5: mode = 4; break;
    case platform::VK_F5 | kKeyShift:
      if (PointIndex <= 0) return kKeyNotHandled;
      mode = 5;
      break;
    case platform::VK_F6:
      if (PointIndex <= 1) return kKeyNotHandled;
      mode = 6;
      break;
    case platform::VK_F6 | kKeyShift:
      if (PointIndex <= 1) return kKeyNotHandled;
      mode = 7;
      break;
    default: break;
  }
  if (mode >= 0) {
    bool r = false;
    // A snap that fails on the way is shown; the tool stays.
    if (Guard([&] { r = LatchPoint(static_cast<std::uint8_t>(mode), CurrentEntry()); })) {
      ShowAll();
      return kKeyHandled;
    }
    return Fire(r, XY(CurrentEntry())) ? kKeyHandledEnd : kKeyHandled;
  }

  std::string text;
  if (Key >= '0' && Key <= '9')
    text.assign(1, static_cast<char>(Key));
  else if (Key >= platform::VK_NUMPAD0 && Key <= platform::VK_NUMPAD9)
    text.assign(1, static_cast<char>('0' + (Key - platform::VK_NUMPAD0)));
  else if (Key == kVkMinus || Key == kVkSubtract)
    text = "-";
  else if (Key == (platform::VK_F7 | kKeyAltGr))
    EntryMode = kEntryOffsets;
  else if (Key == (platform::VK_F8 | kKeyAltGr))
    EntryMode = kEntryDistances;
  else if (Key == (platform::VK_F9 | kKeyAltGr))
    EntryMode = kEntryAngles;
  else
    return kKeyNotHandled;
  return ShowLatchDialog(TPoint{0, 0}, text) ? kKeyHandledEnd : kKeyHandled;
}

void TLatchKrzyz::GetPoint(TRealPoint& Point) { Point = XY(CurrentEntry()); }

void TLatchKrzyz::ResetState() {
  // The window is being destroyed by someone else: only forget it.
  (void)dialog_.release();
}

bool TLatchKrzyz::AddPoint(const TLatchEntry& Entry) { return false; }

void TLatchKrzyz::NextPoint() {
  if (PointIndex < 2) {
    Entries[static_cast<std::size_t>(PointIndex) + 1] = Entries[static_cast<std::size_t>(PointIndex)];
    ++PointIndex;
    return;
  }
  Entries[0] = Entries[1];
  Entries[1] = Entries[2];
}

std::unique_ptr<TLatchDialog> TLatchKrzyz::CreateDialog() {
  if ((Options & kDialog3d) != 0) return std::make_unique<TLatchDialog3d>();
  return std::make_unique<TLatchDialog>();
}

bool TLatchKrzyz::DoExtraResult(std::int32_t ModalResult) { return false; }

void TLatchKrzyz::SetOption(bool ThreeCoordinates) {
  if (ThreeCoordinates)
    Options |= kDialog3d;
  else
    Options &= static_cast<std::uint8_t>(~kDialog3d);
}

std::string TLatchKrzyz::GetLatchModeName() const { return LatchModeName(SnapMode); }

const char* TLatchKrzyz::LatchModeName(std::uint8_t Mode) {
  return Mode < std::size(kModeNames) ? kModeNames[Mode] : "";
}

void TLatchKrzyz::Redraw(std::uint8_t Mode) {
  if (Mode == SnapMode) return;
  HideAll();
  if (!ModeAllowed(Mode, PointIndex)) {
    SnapMode = FallbackMode(PointIndex);
  } else if (Mode == 8) {
    Options |= kAxisRequested;
  } else {
    Options &= static_cast<std::uint8_t>(~kAxisRequested);
    SnapMode = Mode;
  }
  ShowAll();
  UpdateViewHint();
}

bool TLatchKrzyz::LatchPoint(std::uint8_t Mode, const TLatchEntry& Entry) {
  Mode &= 0x7F;
  if (Mode > 7) return false;
  TLatchEntry e = Entry;
  const TRealPoint cursor = XY(Entry);
  switch (Mode) {
    case 0:
      break;
    case 1:
    case 2: {
      TSearchHit hit;
      THitGuard guard{hit};
      if (view_ != nullptr) {
        TSearch& s = view_->Search();
        s.Reset();
        s.FallbackToAll = ConfOf(view_).ActivePriority;
        s.SearchKind = TSearch::kPointSubsetOmit;
        s.OmitObject = Excluded;
        const bool vertexMarks = Canvas != nullptr && Canvas->Cfg() != nullptr && Canvas->Cfg()->MarkLineEnds;
        if (!vertexMarks) s.TypeMask = kVertexMask;
        s.Run(cursor, GetCelownikSize(), hit);
      }
      if (hit.Sublayer != nullptr && hit.Object != nullptr) {
        Signal(kSignalOk);
        hit.Object->NearestPoint(cursor, e);
        LatchOnObject(*hit.Object, e);
      } else if (Mode == 2) {
        Signal(kSignalError);
        return false;
      }
      break;
    }
    case 3: {
      TIntersectionResult found;
      if (view_ != nullptr) view_->Search().FindIntersection(cursor, GetCelownikSize(), found, Excluded);
      if (!found.Found) {
        Signal(kSignalError);
        return false;
      }
      Signal(kSignalOk);
      e.X = found.Point.X;
      e.Y = found.Point.Y;
      break;
    }
    case 4:
    case 5: {
      // The foot from the previous point needs one.
      if (Mode == 5 && PointIndex < 1) {
        Signal(kSignalError);
        return false;
      }
      TSearchHit hit;
      THitGuard guard{hit};
      if (view_ != nullptr) {
        TSearch& s = view_->Search();
        s.Reset();
        s.SearchKind = TSearch::kSubsetOmit;
        s.OmitObject = Excluded;
        s.TypeMask = kLineMask;
        s.Run(cursor, GetCelownikSize(), hit);
      }
      if (hit.Sublayer == nullptr || hit.Object == nullptr) {
        Signal(kSignalError);
        return false;
      }
      Signal(kSignalOk);
      std::unique_ptr<TDrawParams> params;
      if (Canvas != nullptr) {
        params = Canvas->CreateDrawParams();
        hit.Sublayer->PrepareTextParams(params.get());
      }
      TLatchEntry from = e;
      if (Mode == 5) GetPrevEntry(from);
      hit.Object->ProjectPoint(XY(from), params.get(), e);
      break;
    }
    case 6:
    case 7: {
      // Both need the last direction: two previous points.
      if (PointIndex < 2) {
        Signal(kSignalError);
        return false;
      }
      const TLatchEntry& p0 = Entries[0];
      const TLatchEntry& p1 = Entries[1];
      TRealPoint foot;
      if (Mode == 6)
        foot = PerpendicularFoot(XY(p1), TRealPoint{p1.Y - p0.Y, p0.X - p1.X}, cursor);
      else
        foot = PerpendicularFoot(XY(p0), TRealPoint{p1.X - p0.X, p1.Y - p0.Y}, cursor);
      e.X = foot.X;
      e.Y = foot.Y;
      break;
    }
    default:
      return false;
  }
  const bool r = AddPoint(e);
  NextPoint();
  return r;
}

void TLatchKrzyz::LatchOnObject(const TEGraphObj& Object, TLatchEntry& Entry) {
  if (PointIndex != 0) return;
  Entries[1] = Entries[0];
  Entries[0] = Object.EndPointIndex(XY(Entry)) == 1 ? Object.GetEndPoint3() : Object.GetStartPoint3();
  PointIndex = 1;
}

void TLatchKrzyz::ShowHide(const TLatchEntry& Entry) {
  if (Canvas == nullptr) return;
  const TRealPoint p = XY(Entry);
  switch (SnapMode) {
    case 0:
    case 6:
    case 7:
      DrawCross(p);
      break;
    case 1:
      DrawCross(p);
      DrawFrame(p);
      break;
    case 2:
    case 3:
    case 4:
    case 5:
      DrawFrame(p);
      break;
    default:
      break;
  }
}

void TLatchKrzyz::DropLastPoint() {
  if (PointIndex <= 0) return;
  Entries[static_cast<std::size_t>(PointIndex) - 1] = Entries[static_cast<std::size_t>(PointIndex)];
  --PointIndex;
}

void TLatchKrzyz::GetPrevPoint(TRealPoint& Point) const {
  TLatchEntry e;
  GetPrevEntry(e);
  Point = XY(e);
}

void TLatchKrzyz::GetPrevEntry(TLatchEntry& Entry) const {
  // Without a previous point there is only the current one.
  Entry = Entries[static_cast<std::size_t>(PointIndex > 0 ? PointIndex - 1 : 0)];
}

void TLatchKrzyz::GetFirstSegment(TRealPoint& P1, TRealPoint& P2) const {
  P1 = XY(Entries[0]);
  P2 = XY(Entries[1]);
}

void TLatchKrzyz::SaveState(TLatchState& State) const {
  State.PointIndex = PointIndex;
  State.Entries = Entries;
}

void TLatchKrzyz::RestoreState(const TLatchState& State) {
  PointIndex = State.PointIndex < 0 ? 0 : (State.PointIndex > 2 ? 2 : State.PointIndex);
  Entries = State.Entries;
}

bool TLatchKrzyz::ShowLatchDialog(const TPoint& ScreenPoint, const std::string& Text) {
  if (!dialog_) dialog_ = CreateDialog();
  TLatchDialog& d = *dialog_;
  d.SetKrzyz(this);
  d.PlaceNear(ScreenPoint.X, ScreenPoint.Y);
  d.EnableButtons(PointIndex);
  d.ShowSnapMode(SnapMode);
  d.SetInputMode(EntryMode);
  if (!Text.empty()) d.SetFirstFieldText(Text);

  const int r = d.ShowModal();
  // The window may have gone meanwhile (ResetState): its values are read
  // only while it is there.
  TLatchDialog* dlg = dialog_.get();
  const double a = dlg != nullptr ? dlg->A : 0.0;
  const double b = dlg != nullptr ? dlg->B : 0.0;
  const float z = dlg != nullptr ? static_cast<float>(dlg->Z) : 0.0f;
  const std::uint8_t inputMode = dlg != nullptr ? dlg->InputMode() : EntryMode;

  if (r == platform::mrOk) {
    EntryMode = inputMode;
    TLatchEntry p;
    bool computed = false;
    if (Guard([&] { computed = ComputeEntry(inputMode, a, b, p); })) {
      ShowAll();
      return false;
    }
    if (!computed) return false;
    p.Z = z;
    const bool added = AddPoint(p);
    NextPoint();
    return Fire(added, XY(p));
  }
  if (r == platform::mrCancel) {
    CurrentEntry().Z = z;
    if ((Options & kAxisRequested) != 0) {
      if ((Options & kAxisRunning) == 0) {
        StartAxisGuidance();
        Options |= kAxisRunning;
      }
    } else {
      Options &= static_cast<std::uint8_t>(~kAxisRunning);
    }
    return false;
  }
  if (r == platform::mrAbort) return HandleBackspace();
  if (r == kLatchBaseLineByPoints) {
    StartBaseLineByPoints();
    return false;
  }
  if (r == kLatchBaseLinePick) {
    StartBaseLinePick();
    return false;
  }
  if (r == kLatchBaseLineRemove) {
    if (view_ != nullptr) view_->SetPaintInPaint(nullptr);
    return false;
  }
  if (r >= kLatchSnapOnce && r <= kLatchSnapOnce + 7) {
    CurrentEntry().Z = z;
    bool accepted = false;
    if (Guard([&] { accepted = LatchPoint(static_cast<std::uint8_t>(r - kLatchSnapOnce), CurrentEntry()); })) {
      ShowAll();
      return false;
    }
    return Fire(accepted, XY(CurrentEntry()));
  }
  if (r == kLatchSnapOnce + 8) {
    StartAxisGuidance();
    return false;
  }
  if (r >= kResultExtraFirst && r <= kResultExtraLast) {
    EntryMode = inputMode;
    CurrentEntry().Z = z;
    return DoExtraResult(r);
  }
  return false;
}

bool TLatchKrzyz::ComputeEntry(std::uint8_t Mode, double A, double B, TLatchEntry& P) const {
  // A mode remembered from earlier can outlive the points or the base line
  // it needs: such input is refused rather than read from nothing.
  const auto needPrevious = [this](std::int32_t Count) {
    if (PointIndex < Count) throw ETolvikaError(std::string(kNoPreviousPoint));
  };
  P = TLatchEntry{};
  switch (Mode) {
    case kEntryXY:
      P.X = A;
      P.Y = B;
      return true;
    case kEntryRelative: {
      needPrevious(1);
      TLatchEntry prev;
      GetPrevEntry(prev);
      P.X = prev.X + A;
      P.Y = prev.Y + B;
      return true;
    }
    case kEntryAzimuth: {
      needPrevious(1);
      TLatchEntry prev;
      GetPrevEntry(prev);
      P.X = prev.X + A * std::cos(B);
      P.Y = prev.Y + A * std::sin(B);
      return true;
    }
    case kEntryLastDirection: {
      needPrevious(2);
      const TLatchEntry& e0 = Entries[0];
      const TLatchEntry& e1 = Entries[1];
      const double dx = e1.X - e0.X;
      const double dy = e1.Y - e0.Y;
      const double l = std::hypot(dx, dy);
      if (l == 0.0) throw ETolvikaError(TolvikaErrorCode::PreviousLineZero);
      const double k = A / l;
      P.X = e1.X + k * (dy * std::sin(B) - dx * std::cos(B));
      P.Y = e1.Y - k * (dy * std::cos(B) + dx * std::sin(B));
      return true;
    }
    case kEntryOffsets:
    case kEntryDistances:
    case kEntryAngles:
    case kEntryPolar: {
      const TBaseLine* line = BaseLine();
      if (line == nullptr) throw ETolvikaError(std::string(kNoBaseLine));
      TRealPoint q;
      if (Mode == kEntryOffsets)
        line->BaseLinePointByOffsets(A, B, q);
      else if (Mode == kEntryDistances)
        line->BaseLinePointByDistances(A, B, q);
      else if (Mode == kEntryAngles)
        line->BaseLinePointByAngles(A, B, q);
      else
        line->BaseLineByDistanceAngle(A, B, q);
      P.X = q.X;
      P.Y = q.Y;
      return true;
    }
    default:
      // A descendant's own mode ends with a result of its own.
      return false;
  }
}

TBaseLine* TLatchKrzyz::BaseLine() const {
  return view_ != nullptr ? dynamic_cast<TBaseLine*>(view_->OverlayPainter()) : nullptr;
}

void TLatchKrzyz::StartAxisGuidance() {
  auto middle = std::make_unique<TLWskMiddleKrzyz>(
      Status, [this](TKrzyz* Sender) { return AxisPoint(static_cast<TLWskMiddleKrzyz&>(*Sender)); });
  middle->OnFinish = [this](TKrzyz*, std::int32_t) {
    Options &= static_cast<std::uint8_t>(~(kAxisRequested | kAxisRunning));
  };
  TLWskMiddleKrzyz* m = middle.get();
  // Its own Attach takes the view's mode; it points in this tool's.
  if (view_ != nullptr) view_->SnapType = SnapMode;
  StartNestedInner(std::move(middle));
  m->Redraw(SnapMode);
}

bool TLatchKrzyz::AxisPoint(TLWskMiddleKrzyz& Middle) {
  TLatchEntry prev;
  Middle.GetPrevEntry(prev);
  const TLatchEntry& first = Middle.Entries[0];
  TLatchEntry p{(prev.X + first.X) / 2.0, (prev.Y + first.Y) / 2.0, (prev.Z + first.Z) / 2.0f};
  HideMarker();
  const bool added = AddPoint(p);
  NextPoint();
  Fire(added, XY(p));
  // Guidance that runs goes on with the next pair.
  return (Options & kAxisRunning) == 0;
}

void TLatchKrzyz::StartBaseLineByPoints() {
  auto tool = std::make_unique<TLWskLineKrzyzI>(
      Status,
      [this](TKrzyz* Sender) {
        TRealPoint p1;
        TRealPoint p2;
        static_cast<TLatchKrzyz*>(Sender)->GetFirstSegment(p1, p2);
        if (SameRealPoint(p1, p2) || view_ == nullptr) return false;
        view_->SetPaintInPaint(std::make_unique<TBaseLine>(p1, p2));
        return true;
      },
      "Wprowadź linię bazową");
  if (view_ != nullptr) view_->SnapType = SnapMode;
  StartNestedInner(std::move(tool));
}

void TLatchKrzyz::StartBaseLinePick() {
  auto tool = std::make_unique<TWskKoloKrzyz>(
      Status, [this](TKrzyz* Sender) { return PickBaseLine(static_cast<TWskKoloKrzyz&>(*Sender)); },
      "Wskaż linię bazową");
  StartNestedInner(std::move(tool));
}

bool TLatchKrzyz::PickBaseLine(TWskKoloKrzyz& Picker) {
  TRealPoint at;
  Picker.GetPoint(at);
  CurrentEntry().X = at.X;
  CurrentEntry().Y = at.Y;
  if (view_ == nullptr) return false;
  TSearchHit hit;
  THitGuard guard{hit};
  TSearch& s = view_->Search();
  s.Reset();
  s.SearchKind = TSearch::kClassSubset;
  s.TypeMask = kBaseLinePickMask;
  s.ObjectClass = ObjectClass<TLinia>();
  s.Run(at, Picker.GetCelownikSize(), hit);
  if (hit.Sublayer == nullptr || hit.Object == nullptr) return false;
  const TRealPoint p1 = hit.Object->GetStartPoint();
  const TRealPoint p2 = hit.Object->GetEndPoint();
  // A line of no length gives no direction: every construction on it
  // would divide by zero.
  if (SameRealPoint(p1, p2)) {
    Signal(kSignalError);
    return false;
  }
  view_->SetPaintInPaint(std::make_unique<TBaseLine>(p1, p2));
  return true;
}

// --- TLWskPunktKrzyz -------------------------------------------------------

std::int32_t TLWskPunktKrzyz::Move(const TRealPoint& Point) {
  if (Stage == 0) Stage = 1;
  return TLatchKrzyz::Move(Point);
}

bool TLWskPunktKrzyz::AddPoint(const TLatchEntry& Entry) {
  HideAll();
  CurrentEntry() = Entry;
  Stage = 1;
  return true;
}

void TLWskPunktKrzyz::DrawMarker() {
  if (Stage != 0) ShowHide(CurrentEntry());
}

void TLWskPunktKrzyz::SetViewCursor() {
  if (View != nullptr) View->SetCursor(KrzyzConf().RysujKrzyz ? platform::crNone : platform::crCross);
}

std::unique_ptr<TKrzyz> TLWskPunktKrzyz::Clone() const { return std::make_unique<TLWskPunktKrzyz>(*this); }

TLWskPunktKrzyz::TLWskPunktKrzyz(const TLWskPunktKrzyz& Source) : TLatchKrzyz(Source) {}

// --- TLWskLineKrzyz --------------------------------------------------------

bool TLWskLineKrzyz::AddPoint(const TLatchEntry& Entry) {
  HideAll();
  CurrentEntry() = Entry;
  if (Stage < 2) {
    Stage = 2;
    return false;
  }
  Stage = 1;
  return true;
}

void TLWskLineKrzyz::NextPoint() {
  TLWskPunktKrzyz::NextPoint();
  if (Stage == 2) {
    Stage = 3;
    ShowAll();
  }
}

void TLWskLineKrzyz::DrawCursor() {
  if (Stage < 2 || PointIndex < 1 || Canvas == nullptr) return;
  TLatchEntry prev;
  GetPrevEntry(prev);
  const TLatchEntry& cur = CurrentEntry();
  Canvas->LineDirect(prev.X, prev.Y, cur.X, cur.Y);
}

std::int32_t TLWskLineKrzyz::Backspace() {
  if (Stage < 2) return 0;
  HideAll();
  DropLastPoint();
  Stage = 1;
  ShowAll();
  return 1;
}

std::string TLWskLineKrzyz::GetStatusText(const TRealPoint& Point) {
  if (&Point == &NoPoint()) return {};
  std::string text = TLWskPunktKrzyz::GetStatusText(Point);
  if (Stage == 3 && PointIndex >= 1) {
    TLatchEntry prev;
    GetPrevEntry(prev);
    const TLatchEntry& cur = CurrentEntry();
    text = KrzyzConf().FormatCoord(std::hypot(cur.X - prev.X, cur.Y - prev.Y)) + "  " + text;
  }
  return text;
}

std::unique_ptr<TKrzyz> TLWskLineKrzyz::Clone() const { return std::make_unique<TLWskLineKrzyz>(*this); }

// --- TLWskLineKrzyzI -------------------------------------------------------

bool TLWskLineKrzyzI::AddPoint(const TLatchEntry& Entry) {
  const bool complete = TLWskLineKrzyz::AddPoint(Entry);
  // The next segment starts at this one's end.
  if (complete) Stage = 2;
  return complete;
}

std::unique_ptr<TKrzyz> TLWskLineKrzyzI::Clone() const { return std::make_unique<TLWskLineKrzyzI>(*this); }

// --- TLWskMiddleKrzyz ------------------------------------------------------

std::int32_t TLWskMiddleKrzyz::Move(const TRealPoint& Point) {
  TLWskPunktKrzyz::Move(Point);
  HasMiddle = Stage >= 2 && PointIndex >= 1;
  if (HasMiddle) {
    TLatchEntry prev;
    GetPrevEntry(prev);
    Middle = TRealPoint{(Point.X + prev.X) / 2.0, (Point.Y + prev.Y) / 2.0};
  }
  return 1;
}

std::unique_ptr<TKrzyz> TLWskMiddleKrzyz::Clone() const { return std::make_unique<TLWskMiddleKrzyz>(*this); }

// --- TLWskRectKrzyz --------------------------------------------------------

void TLWskRectKrzyz::DrawCursor() {
  if (!RectangleShown() || Canvas == nullptr) return;
  TLatchEntry prev;
  GetPrevEntry(prev);
  const TLatchEntry& cur = CurrentEntry();
  Canvas->AddRectangle(prev.X, prev.Y, cur.X, cur.Y);
}

void TLWskRectKrzyz::DrawMarker() {
  if (Stage != 0 && !RectangleShown()) ShowHide(CurrentEntry());
}

std::string TLWskRectKrzyz::GetStatusText(const TRealPoint& Point) {
  if (&Point == &NoPoint()) return {};
  const TKrzyzConf& conf = KrzyzConf();
  std::string text = conf.FormatCoord(Point.X) + " , " + conf.FormatCoord(Point.Y);
  if (Stage >= 2 && PointIndex >= 1) {
    TLatchEntry prev;
    GetPrevEntry(prev);
    text = conf.FormatCoord(std::fabs(Point.X - prev.X)) + " , " + conf.FormatCoord(std::fabs(Point.Y - prev.Y)) +
           "  " + text;
  }
  return text;
}

std::unique_ptr<TKrzyz> TLWskRectKrzyz::Clone() const { return std::make_unique<TLWskRectKrzyz>(*this); }

// --- TLWskRectNSKrzyz ------------------------------------------------------

void TLWskRectNSKrzyz::DrawCursor() {
  if (!RectangleShown() || Canvas == nullptr) return;
  TLatchEntry prev;
  GetPrevEntry(prev);
  const TLatchEntry& cur = CurrentEntry();
  Canvas->RectangleIfVisible(prev.X, prev.Y, cur.X, cur.Y);
}

std::unique_ptr<TKrzyz> TLWskRectNSKrzyz::Clone() const { return std::make_unique<TLWskRectNSKrzyz>(*this); }
