// A fixture for cursor-tool tests: a map view stand-in (an offscreen control
// of 200 x 100 pixels in a known colour) with the tools' XOR canvas on its
// surface, window dimensions showing world X 0..100 (up) and Y 0..200
// (right), one unit a pixel, so that world (X, Y) lands on device pixel
// (Y, 100 - X); recorders of the status text and of the errors tools show;
// the global cursor settings at known values (small cross, 5-pixel sight,
// two decimals) and put back afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "drawing/dim_fixture.h"
#include "foundation/settings/settings.h"
#include "objects/styledcanvas.h"
#include "platform/paint/gdi.h"
#include "platform/paint/gdiimage.h"
#include "view/krzyz.h"
#include "view/krzyzconf.h"
#include "view/viewimp.h"

// The stand-in's colour; XOR figures invert it.
inline constexpr std::uint32_t kToolBackground = platform::RGB(30, 120, 200);

// A map view as the tools see it: the pointer is whatever the test puts in
// Pointer, the zoom ratio of any rectangle is Ratio (the last rectangle
// asked about is kept), and a repaint runs OnRepaint after the surface was
// filled with the background, as the view's paint draws the figures again.
class FakeMapView : public TTvViewImp {
public:
  FakeMapView() {
    SetBounds(0, 0, 200, 100);
    SetColor(kToolBackground);
  }

  void GetPointerPos(TRealPoint& Point) override { Point = Pointer; }
  double ZoomRatioFor(const TRealRect& R) override {
    RatioAskedFor = R;
    return Ratio;
  }

  TRealPoint Pointer;
  double Ratio = 0.0;
  TRealRect RatioAskedFor;
  std::function<void()> OnRepaint;

protected:
  void Paint() override {
    if (OnRepaint) OnRepaint();
  }
};

class ToolFixture : public ::testing::Test {
public:
  ToolFixture() : dims(MakeDim(0, 0, 100, 200, 200, 100)) {
    view.PaintNow();  // the surface exists and is clean from here on
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 200; ++x) background.push_back(view.PixelAt(x, y));
    window = std::make_unique<platform::TSurfaceCanvas>(view.Surface());
    canvas = std::make_unique<TXORCanvas>(&window->Canvas(), konf, &dims);
    SetKrzyzStatusProc([this](const std::string& Text) { Statuses.push_back(Text); });
    SetKrzyzErrorDisplay([this](const std::string& Text) { Errors.push_back(Text); });
    TKrzyzConf& conf = KrzyzConf();
    savedCross = conf.RysujKrzyz;
    savedSight = TPoint{conf.CelownikW, conf.CelownikH};
    savedDecimals = conf.Decimals;
    savedDigitizer = conf.DigitizerOn;
    savedMm = {conf.CelownikWmm, conf.CelownikHmm};
    conf.RysujKrzyz = false;
    conf.CelownikW = 5;
    conf.CelownikH = 5;
    conf.Decimals = 2;
    conf.DigitizerOn = 0;
  }

  ~ToolFixture() override {
    SetKrzyzStatusProc({});
    SetKrzyzErrorDisplay({});
    TKrzyzConf& conf = KrzyzConf();
    conf.RysujKrzyz = savedCross;
    conf.CelownikW = savedSight.X;
    conf.CelownikH = savedSight.Y;
    conf.Decimals = savedDecimals;
    conf.DigitizerOn = savedDigitizer;
    conf.CelownikWmm = savedMm.X;
    conf.CelownikHmm = savedMm.Y;
  }

  // Installs Tool on the stand-in with the pointer at P.
  void Activate(TKrzyz& Tool, const TRealPoint& P) {
    view.Pointer = P;
    Tool.Activate(&view, canvas.get(), P);
  }
  // Gestures in world coordinates; the pointer follows.
  std::int32_t Move(TKrzyz& Tool, double X, double Y) {
    view.Pointer = TRealPoint{X, Y};
    return Tool.HandleMove(view.Pointer);
  }
  bool Click(TKrzyz& Tool, double X, double Y) {
    Move(Tool, X, Y);
    return Tool.HandleClick(TRealPoint{X, Y});
  }
  // A click where the pointer did not move first.
  bool ClickOnly(TKrzyz& Tool, double X, double Y) {
    view.Pointer = TRealPoint{X, Y};
    return Tool.HandleClick(view.Pointer);
  }
  std::int32_t RightClick(TKrzyz& Tool, int ScreenX = 10, int ScreenY = 10) {
    TRealPoint p = view.Pointer;
    return Tool.HandleRightClick(p, TPoint{ScreenX, ScreenY});
  }

  std::vector<std::uint32_t> Pixels() {
    std::vector<std::uint32_t> p;
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 200; ++x) p.push_back(view.PixelAt(x, y));
    return p;
  }
  // How many pixels differ from the background.
  int Drawn() {
    const std::vector<std::uint32_t> now = Pixels();
    int n = 0;
    for (std::size_t i = 0; i < now.size(); ++i) n += now[i] != background[i];
    return n;
  }
  // The device pixel of a world point differs from the background.
  bool Inverted(double X, double Y) {
    const TPoint d = dims.WorldToDevicePt(TRealPoint{X, Y});
    return view.PixelAt(d.X, d.Y) != background[static_cast<std::size_t>(d.Y * 200 + d.X)];
  }

  // Takes every shown figure of the chain off the screen, expects the
  // background, and shows them again: the screen held exactly the figures
  // the tools' bits say.
  void ExpectBalanced(TKrzyz& Top) {
    std::vector<TKrzyz*> chain;
    for (TKrzyz* t = &Top; t != nullptr; t = t->Nested.get()) chain.push_back(t);
    std::vector<std::uint8_t> shown;
    for (TKrzyz* t : chain) shown.push_back(t->Flags & (TKrzyz::kCursorShown | TKrzyz::kMarkerShown));
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) (*it)->HideAll();
    EXPECT_EQ(Drawn(), 0) << "figures left on the screen after every tool hid its own";
    for (std::size_t i = 0; i < chain.size(); ++i) {
      if ((shown[i] & TKrzyz::kMarkerShown) != 0) chain[i]->ShowMarker();
      if ((shown[i] & TKrzyz::kCursorShown) != 0) chain[i]->ShowCursor();
    }
  }

  FakeMapView view;
  std::vector<std::uint32_t> background;
  TWindowDim dims;
  TKonfiguracja konf;
  std::unique_ptr<platform::TSurfaceCanvas> window;
  std::unique_ptr<TXORCanvas> canvas;
  std::vector<std::string> Statuses;
  std::vector<std::string> Errors;

private:
  bool savedCross = true;
  TPoint savedSight;
  std::int32_t savedDecimals = 2;
  std::uint8_t savedDigitizer = 0;
  TRealPoint savedMm;
};
