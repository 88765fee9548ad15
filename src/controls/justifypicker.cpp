#include "controls/justifypicker.h"

#include <algorithm>

#include "platform/paint/gdi.h"
#include "platform/paint/gdiimage.h"

using namespace platform;

namespace {

constexpr TColor kGrey = RGB(128, 128, 128);
constexpr char kSample[] = "Tekst";

TFont SampleFont(int height) {
  TFont f;
  f.Name = "Times New Roman";
  f.Weight = 700;
  f.Height = std::max(height, 1);
  return f;
}

}  // namespace

TJustyfikacja::TJustyfikacja() {
  SetTabStop(true);
  TCustomControl::SetBounds(0, 0, 100, 50);
  Layout();
}

void TJustyfikacja::SetJustyfikacja(int Value) {
  if (Value < 1 || Value > 9) Value = 7;
  if (Value == FJustyfikacja) return;
  FJustyfikacja = static_cast<std::uint8_t>(Value);
  Invalidate();
}

void TJustyfikacja::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  SetTabStop(Value);
  Invalidate();
}

void TJustyfikacja::SetBounds(int left, int top, int width, int height) {
  TCustomControl::SetBounds(left, top, width, height);
  Layout();
  Invalidate();
}

void TJustyfikacja::Layout() {
  FRowHeight = (Height() - 4) / 3;
  // Measured on a scratch image: the layout does not depend on the window.
  TBitmap scratch(1, 1);
  scratch.Canvas().SetFont(SampleFont(Height() - 4));
  const int w = scratch.Canvas().TextExtent(kSample).X / 6 + 1;
  FColumns[0] = 2;
  FColumns[1] = Width() / 2 - w;
  FColumns[2] = Width() / 2 + w;
}

int TJustyfikacja::CellAt(int x, int y) const {
  const int column = x < FColumns[1] ? 1 : (x < FColumns[2] ? 2 : 3);
  // A picker too low for three rows of a pixel is a single row.
  const int rows = FRowHeight > 0 ? 2 - (y - 2) / FRowHeight : 0;
  return column + 3 * std::max(rows, 0);
}

void TJustyfikacja::Change() {
  if (OnChange) OnChange(*this);
}

void TJustyfikacja::UserChoose(int Cell) {
  if (Cell == FJustyfikacja) return;
  SetJustyfikacja(Cell);
  Change();
}

void TJustyfikacja::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (FEnabled) {
    if (CanFocus()) SetFocus();
    UserChoose(CellAt(x, y));
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TJustyfikacja::MouseMove(TShiftState shift, int x, int y) {
  if (FEnabled) {
    const auto cell = static_cast<std::uint8_t>(CellAt(x, y));
    if (cell != FHot) {
      FHot = cell;
      Invalidate();
    }
  }
  TCustomControl::MouseMove(shift, x, y);
}

void TJustyfikacja::MouseLeave() {
  if (!FEnabled) return;
  FHot = 0;
  Invalidate();
}

void TJustyfikacja::KeyDown(std::uint16_t& key, TShiftState shift) {
  if (FEnabled) {
    int digit = 0;
    if (key >= '1' && key <= '9') digit = key - '0';
    if (key >= VK_NUMPAD0 + 1 && key <= VK_NUMPAD9) digit = key - VK_NUMPAD0;
    if (digit != 0) {
      key = 0;
      UserChoose(digit);
      return;
    }
  }
  TCustomControl::KeyDown(key, shift);
}

void TJustyfikacja::DoEnter() {
  TCustomControl::DoEnter();
  Invalidate();
}

void TJustyfikacja::DoExit() {
  TCustomControl::DoExit();
  Invalidate();
}

void TJustyfikacja::Paint() {
  TCustomControl::Paint();
  Layout();
  const int width = Width();
  const int height = Height();
  TSurfaceCanvas surface(Surface());
  TCanvas& c = surface.Canvas();

  TFont big = SampleFont(height - 4);
  big.Color = !FEnabled ? kGrey : (Focused() ? RGB(0, 255, 0) : RGB(0, 160, 0));
  c.SetFont(big);
  c.SetTextAlign(TA_CENTER | TA_TOP);
  c.SetBkMode(TBkMode::Transparent);
  const TGdiPoint extent = c.TextExtent(kSample);
  const int tw = extent.X;
  const int th = extent.Y;
  c.TextOut(width / 2, 2, kSample);

  TFont small;
  small.Name = "Times New Roman";
  small.Height = 14;
  c.SetTextAlign(TA_LEFT | TA_TOP);
  for (int r = 0; r < 3; ++r) {
    for (int col = 0; col < 3; ++col) {
      const int digit = 3 * r + col + 1;
      small.Color = !FEnabled ? kGrey : (digit == FHot ? RGB(255, 255, 0) : RGB(255, 0, 0));
      c.SetFont(small);
      const char text[2] = {static_cast<char>('0' + digit), 0};
      c.TextOut(FColumns[col] + 1, (2 - r) * FRowHeight + 2, text);
    }
  }

  TPen grid;
  grid.Color = kGrey;
  c.SetPen(grid);
  for (int e = 1; e < 3; ++e) {
    c.MoveTo(FColumns[e], 2);
    c.LineTo(FColumns[e], height - 2);
  }
  for (int r = 1; r < 3; ++r) {
    c.MoveTo(2, r * FRowHeight + 2);
    c.LineTo(width - 2, r * FRowHeight + 2);
  }

  const int j = FJustyfikacja;
  const int edgeY = (height - th + 6) / 2;
  const int edgeX = (width - tw + 6) / 2;
  const int y = j <= 3 ? height - edgeY : (j <= 6 ? height / 2 : edgeY);
  const int column = (j - 1) % 3;
  const int x = column == 0 ? edgeX : (column == 1 ? width / 2 : width - edgeX);
  TPen cross;
  cross.Color = FEnabled ? RGB(0, 0, 255) : kGrey;
  cross.Width = 2;
  c.SetPen(cross);
  c.MoveTo(x - 3, y);
  c.LineTo(x + 3, y);
  c.MoveTo(x, y - 3);
  c.LineTo(x, y + 3);
}
