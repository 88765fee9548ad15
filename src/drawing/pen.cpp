#include "drawing/pen.h"

#include <string>
#include <utility>
#include <vector>

#include "foundation/errors.h"
#include "platform/files/files.h"
#include "platform/paint/gdi.h"

namespace {

constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kWhite = 0xFFFFFF;
// A colour byte above this counts as light.
constexpr unsigned kContrastLimit = 128;

// Widths of SetWidthByIndex: index 1 and 2.
constexpr std::int32_t kIndexedWidths[] = {1, 3};

}  // namespace

TPenI::TPenI(std::uint8_t Mode, std::uint32_t Color, std::uint8_t Style, std::int32_t Width,
             TThickLineTest ThickLineTest)
    : FMode(Mode), FColor(Color), FStyle(Style), FWidth(Width),
      FThickLineTest(std::move(ThickLineTest)) {
  SaveState();
}

void TPenI::SetColor(std::uint32_t C) {
  std::uint32_t resolved = C;
  if ((C & kSpecialColorBits) == kSpecialColorBits)
    resolved = SpecialColor;
  else if ((C & kDefaultColorBit) != 0)
    resolved = FSavedColor;
  if (resolved == FColor) return;
  FColor = resolved;
  Changed();
}

void TPenI::SetWidthByIndex(int I) {
  if (I == 0) {
    SetWidth(FSavedWidth);
    return;
  }
  // An index the table does not hold draws thin rather than reading past it.
  const bool known = I >= 1 && I <= static_cast<int>(std::size(kIndexedWidths));
  SetWidth(known ? kIndexedWidths[I - 1] : 1);
}

void TPenI::SetIndexedWidth(int, int) {}

void TPenI::SetMode(std::uint8_t M) {
  if (M == FMode) return;
  FMode = M;
  Changed();
}

void TPenI::SetStyle(std::uint8_t S) {
  if (S == FStyle) return;
  FStyle = S;
  Changed();
}

void TPenI::SetWidth(std::int32_t W) {
  if (W > 1 && !ThickLinesAllowed()) W = 1;
  if (W == FWidth) return;
  FWidth = W;
  Changed();
}

void TPenI::SaveState() {
  FSavedColor = FColor;
  FSavedMode = FMode;
  FSavedStyle = FStyle;
  FSavedWidth = FWidth;
}

void TPenI::RestoreState() {
  const bool differs = FMode != FSavedMode || FStyle != FSavedStyle || FWidth != FSavedWidth;
  FMode = FSavedMode;
  FStyle = FSavedStyle;
  FWidth = FSavedWidth;
  if (differs) Changed();
}

void TPenI::Changed() {
  if (OnChange) OnChange(this);
}

void TPenI::SetContrastColor() {
  const bool light = platform::GetRValue(FColor) > kContrastLimit ||
                     platform::GetGValue(FColor) > kContrastLimit ||
                     platform::GetBValue(FColor) > kContrastLimit;
  SetColor(light ? kBlack : kWhite);
}

TListaWektorow::TListaWektorow(platform::TCanvas* Canvas, std::int32_t InitialCapacity,
                               std::int32_t Step, std::int32_t MaxPoints)
    : TVectorList(InitialCapacity, Step, MaxPoints), FCanvas(Canvas) {}

std::unique_ptr<TVectorList> TListaWektorow::Clone() const {
  return std::make_unique<TListaWektorow>(*this);
}

void TListaWektorow::Flush() {
  if (PartCount() == 0) return;
  if (FCanvas == nullptr) throw EDrawError("PolyPolyLine error: brak kanwy");
  std::vector<platform::TGdiPoint> points(static_cast<std::size_t>(PointCount()));
  for (std::int32_t i = 0; i < PointCount(); ++i) {
    const TPoint p = Point(i);
    points[static_cast<std::size_t>(i)] = {p.X, p.Y};
  }
  platform::TCanvasLock lock(*FCanvas);
  if (!FCanvas->PolyPolyline(points.data(), Parts(), PartCount()))
    throw EDrawError("PolyPolyLine error " + std::to_string(platform::LastError()));
}

void TListaWektorow::Overflow() {
  if (PartCount() > 0) Flush();
  Clear();
}
