#include "controls/linepreview.h"

#include "drawing/pen.h"
#include "foundation/settings/settings.h"
#include "objects/linestylelib.h"
#include "objects/styledcanvas.h"
#include "platform/paint/gdiimage.h"

TSpecialLine::TSpecialLine(const TLineManager* Library, TKonfiguracja* Konfiguracja)
    : FLibrary(Library) {
  SetTabStop(false);
  FWindow.X1 = 0.0;
  FWindow.Y1 = 0.0;
  FWindow.X2 = 10.0;
  FWindow.Y2 = 10.0;
  FSurfaceCanvas = std::make_unique<platform::TSurfaceCanvas>(Surface());
  TKonfiguracja& konf = Konfiguracja != nullptr ? *Konfiguracja : GlobalnaKonfiguracja();
  FCanvas = std::make_unique<TDefRealCanvas>(&FSurfaceCanvas->Canvas(), konf, &FWindow);
  SetBounds(Left(), Top(), 50, 10);
}

TSpecialLine::~TSpecialLine() = default;

const TLineManager& TSpecialLine::Library() const {
  return FLibrary != nullptr ? *FLibrary : LineManager();
}

double TSpecialLine::RealWidth() const { return FWindow.Y2 - FWindow.Y1; }

double TSpecialLine::RealHeight() const { return FWindow.X2 - FWindow.X1; }

void TSpecialLine::SetWorld(double Height, double Width) {
  FWindow.X1 = 0.0;
  FWindow.Y1 = 0.0;
  FWindow.X2 = Height;
  FWindow.Y2 = Width;
  // A flat window keeps its old scales: there is nothing to stretch.
  if (Height > 0.0 && Width > 0.0 && this->Width() > 0 && this->Height() > 0)
    FWindow.SetDeviceSize(this->Width(), this->Height());
  Invalidate();
}

void TSpecialLine::SetRealWidth(double Value) {
  if (Value == RealWidth()) return;
  if (Value < 4.0) Value = 4.0;
  SetWorld(RealHeight(), Value);
}

void TSpecialLine::SetRealHeight(double Value) {
  if (Value == RealHeight()) return;
  SetWorld(Value, RealWidth());
}

void TSpecialLine::SetNumer(std::int32_t Value) {
  if (Value == FNumer) return;
  FNumer = Value;
  FLine = (Value >= 0 && Value <= 0xFFFF) ? Library().GetLine(static_cast<std::uint16_t>(Value))
                                         : nullptr;
  if (FLine == nullptr) FPlainStyle = static_cast<std::uint8_t>(Value & 0xFF);
  Invalidate();
}

std::string TSpecialLine::Nazwa() const {
  return FLine != nullptr ? FLine->Name : std::to_string(FNumer);
}

void TSpecialLine::SetNazwa(const std::string& Value) {
  if (FLine != nullptr && FLine->Name == Value) return;
  const TLine* line = Library().GetLineByName(Value);
  if (line == nullptr) line = Library().GetLine(1);
  // Neither the name nor style 1: the control stays as it was, drawing the
  // current Numer.
  if (line == nullptr) return;
  FLine = line;
  FNumer = line->Number;
  Invalidate();
}

void TSpecialLine::SetLineDef(const TLine* Style) {
  if (Style == nullptr || Style == FLine) return;
  FLine = Style;
  FNumer = Style->Number;
  Invalidate();
}

std::uint32_t TSpecialLine::Kolor() const { return FCanvas->Pen->Color(); }

void TSpecialLine::SetKolor(std::uint32_t Value) {
  if (Value == Kolor()) return;
  FCanvas->Pen->SetColor(Value);
  Invalidate();
}

std::int32_t TSpecialLine::LineWidth() const { return FCanvas->Pen->Width(); }

void TSpecialLine::SetLineWidth(std::int32_t Value) {
  if (Value == LineWidth()) return;
  FCanvas->Pen->SetWidth(Value);
  Invalidate();
}

void TSpecialLine::SetBounds(int left, int top, int width, int height) {
  platform::TCustomControl::SetBounds(left, top, width, height);
  if (width > 0 && height > 0 && RealWidth() > 0.0 && RealHeight() > 0.0)
    FWindow.SetDeviceSize(width, height);
}

void TSpecialLine::Paint() {
  const double x = RealHeight() * 0.5;
  const double y2 = RealWidth() - 2.0;
  if (FLine != nullptr) {
    FCanvas->Pen->SetStyle(0);
    FCanvas->StyledLine(x, 2.0, x, y2, FLine);
  } else {
    FCanvas->Pen->SetStyle(FPlainStyle);
    FCanvas->Line(x, 2.0, x, y2);
  }
  FCanvas->FlushLines();
  FSurfaceCanvas->Update();
}
