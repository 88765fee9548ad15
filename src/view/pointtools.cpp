#include "view/pointtools.h"

#include <cmath>
#include <utility>

#include "objects/styledcanvas.h"
#include "platform/gui/application.h"
#include "platform/gui/controls.h"
#include "view/krzyzconf.h"

// TWskPunktKrzyz

std::int32_t TWskPunktKrzyz::Move(const TRealPoint& Point) {
  if (Stage == 0) Stage = 1;
  X = Point.X;
  Y = Point.Y;
  return 0;
}

bool TWskPunktKrzyz::Click(const TRealPoint& Point) {
  HideAll();
  X = Point.X;
  Y = Point.Y;
  Stage = 1;
  return true;
}

void TWskPunktKrzyz::SetViewCursor() {
  if (View != nullptr)
    View->SetCursor(KrzyzConf().RysujKrzyz ? platform::crNone : platform::crCross);
}

void TWskPunktKrzyz::DrawMarker() {
  if (Stage != 0) DrawCross(TRealPoint{X, Y});
}

void TWskPunktKrzyz::GetPoint(TRealPoint& Point) { Point = TRealPoint{X, Y}; }

std::unique_ptr<TKrzyz> TWskPunktKrzyz::Clone() const {
  auto copy = std::make_unique<TWskPunktKrzyz>(*this);
  copy->Stage = 0;
  copy->X = copy->Y = 0.0;
  return copy;
}

// TWskKoloKrzyz

void TWskKoloKrzyz::DrawMarker() {
  if (Stage > 0) DrawFrame(TRealPoint{X, Y});
}

void TWskKoloKrzyz::SetViewCursor() {
  if (View != nullptr) View->SetCursor(platform::crNone);
}

std::unique_ptr<TKrzyz> TWskKoloKrzyz::Clone() const {
  auto copy = std::make_unique<TWskKoloKrzyz>(*this);
  copy->Stage = 0;
  copy->X = copy->Y = 0.0;
  return copy;
}

// TWskKoloPunktKrzyz

void TWskKoloPunktKrzyz::DrawMarker() {
  if (Stage <= 0) return;
  DrawCross(TRealPoint{X, Y});
  DrawFrame(TRealPoint{X, Y});
}

std::unique_ptr<TKrzyz> TWskKoloPunktKrzyz::Clone() const {
  auto copy = std::make_unique<TWskKoloPunktKrzyz>(*this);
  copy->Stage = 0;
  copy->X = copy->Y = 0.0;
  return copy;
}

// TTwoShot

TTwoShot::TTwoShot(std::uint32_t Status, TKrzyzPointEvent OnPoint, TShotSearchEvent Search)
    : THintKrzyz(Status, std::move(OnPoint)), Search(std::move(Search)) {}

void TTwoShot::SetViewCursor() {
  if (View != nullptr) View->SetCursor(platform::crNone);
}

std::int32_t TTwoShot::GetResult() { return State == kSecondShot ? 1 : 0; }

std::int32_t TTwoShot::Move(const TRealPoint& Point) {
  if (State == kBeforeMove) State = kFirstShot;
  TGetPunktRes& moving = State > kShootingFirst ? Second : First;
  moving.X = Point.X;
  moving.Y = Point.Y;
  return 0;
}

void TTwoShot::Shoot(const TRealPoint& Point, std::int32_t Shot, TGetPunktRes& Result) {
  Result.Text.clear();
  if (!Search) {
    Result.Code = -1;
    return;
  }
  Search(Point, GetCelownikSize(), Shot, Result);
}

bool TTwoShot::Click(const TRealPoint& Point) {
  ++State;
  if (State == kShootingFirst) {
    HideAll();
    Shoot(Point, 1, First);
    if (First.Code < 0) {
      State = kFirstShot;
    } else {
      State = kSecondShot;
      Second.X = Point.X;
      Second.Y = Point.Y;
    }
    ShowAll();
    return false;
  }
  if (State == kShootingSecond) {
    HideAll();
    Shoot(Point, 2, Second);
    if (Second.Code < 0) {
      State = kSecondShot;
      Second.X = Point.X;
      Second.Y = Point.Y;
      ShowAll();
      return false;
    }
    State = kFirstShot;
    return true;
  }
  return false;
}

void TTwoShot::DrawCursor() {
  if (State > kShootingFirst) Canvas->Line(First.X, First.Y, Second.X, Second.Y);
}

void TTwoShot::DrawMarker() {
  if (State == kFirstShot || State == kShootingFirst)
    DrawFrame(TRealPoint{First.X, First.Y});
  else if (State > kShootingFirst)
    DrawFrame(TRealPoint{Second.X, Second.Y});
}

std::string TTwoShot::GetHint() {
  if (State == kPairTaken || State == kSecondShot) return GetHintPart(1) + First.Text;
  return GetHintPart(0);
}

std::string TTwoShot::GetStatusText(const TRealPoint& Point) {
  std::string text = THintKrzyz::GetStatusText(Point);
  if (State < kSecondShot) return text;
  const double d = std::hypot(Second.X - First.X, Second.Y - First.Y);
  return KrzyzConf().FormatCoord(d) + "  " + text;
}

std::int32_t TTwoShot::Backspace() {
  if (State != kSecondShot) return 0;
  HideAll();
  First = Second;
  State = kFirstShot;
  ShowAll();
  return 1;
}

std::unique_ptr<TKrzyz> TTwoShot::Clone() const {
  auto copy = std::make_unique<TTwoShot>(*this);
  copy->First = TGetPunktRes{};
  copy->Second = TGetPunktRes{};
  copy->State = kBeforeMove;
  return copy;
}

// TChainShot

bool TChainShot::Click(const TRealPoint& Point) {
  // A click with no move since the last pair goes on from it, as a move
  // would have: it is the second shot of the next link.
  if (State == kPairTaken) {
    First.Code = Second.Code;
    State = kSecondShot;
  }
  if (!TTwoShot::Click(Point)) return false;
  First.X = Second.X;
  First.Y = Second.Y;
  First.Text = Second.Text;
  Second.X = Point.X;
  Second.Y = Point.Y;
  State = kPairTaken;
  ShowAll();
  return true;
}

std::int32_t TChainShot::Move(const TRealPoint& Point) {
  if (State == kPairTaken) {
    First.Code = Second.Code;
    State = kSecondShot;
  }
  return TTwoShot::Move(Point);
}

std::unique_ptr<TKrzyz> TChainShot::Clone() const {
  auto copy = std::make_unique<TChainShot>(*this);
  copy->First = TGetPunktRes{};
  copy->Second = TGetPunktRes{};
  copy->State = kBeforeMove;
  return copy;
}
