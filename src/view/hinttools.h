// The hint tool and the window tools of the view's zoom commands.
//
// THintKrzyz carries a hint of parts separated by "|": part 0 is shown by the
// view while the tool is active (the view's previous hint comes back when it
// stops), part N serves the N-th point of a tool that asks for several. It
// also gives every tool the size of the sight in world units, the search
// tolerance of the pointing tools. On it stand the zoom tools (a rectangle
// by two corners, two points for panning, a rectangle of the window's
// proportions around a centre, a rectangle for other commands) and the idle
// tool the view installs when no command runs.
//
// GUI thread only. A tool owns its hint; the idle tool's menu is the
// document window's and is not owned.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "view/krzyz.h"

namespace platform {
class TPopupMenu;
}

class THintKrzyz : public TKrzyz {
public:
  THintKrzyz(std::uint32_t Status, TKrzyzPointEvent OnPoint, std::string Hint = {});
  THintKrzyz(const THintKrzyz& Source);
  // Gives the view its previous hint back when the tool is still attached.
  // (A destructor runs no override of a class below it: a descendant that
  // overrides Detach deactivates in its own destructor too.)
  ~THintKrzyz() override;

  // Stores Hint; an attached tool shows GetHint on its view at once.
  void SetHint(std::string Hint);
  const std::string& Hint() const { return hint_; }
  // The part before the first "|" (the whole hint when there is none).
  std::string GetHint() override;
  // Part Index counted from 0; with fewer parts, the last one.
  void GetHintPart(int Index, std::string& Text) const;
  std::string GetHintPart(int Index) const;
  // A map view saves its hint and shows GetHint; Detach brings it back.
  void Attach() override;
  void Detach() override;
  std::unique_ptr<TKrzyz> Clone() const override;

  // The sight's half-size in world units: with the digitizer on, the
  // millimetre sizes at the display settings' map scale; otherwise the
  // pixel sizes through the window dimensions (X from the height, Y from
  // the width). Zero while the tool is not attached.
  void GetCelownikSize(TRealPoint& Size) const;
  TRealPoint GetCelownikSize() const;

private:
  std::string hint_;
};

// A tool that reads a rectangle of two corners: (X1, Y1) and (X2, Y2).
class TZoomKrzyz : public THintKrzyz {
public:
  using THintKrzyz::THintKrzyz;

  // No cursor with the full-window cross, else the cross cursor.
  void SetViewCursor() override;
  // Backspace.
  std::int32_t RightClick(TRealPoint& Point, const TPoint& ScreenPoint) override;
  // The first corner.
  void GetPoint(TRealPoint& Point) override;

  TRealRect Rect() const { return RealRect(X1, Y1, X2, Y2); }

  double X1 = 0.0;
  double Y1 = 0.0;
  double X2 = 0.0;
  double Y2 = 0.0;
};

// A rectangle by two corners: the first is pointed, a click fixes it, the
// second follows the pointer until the next click completes the rectangle.
class TZoomRect : public TZoomKrzyz {
public:
  // Count: nothing yet, pointing the first corner, dragging the second.
  static constexpr std::int16_t kNothing = 0;
  static constexpr std::int16_t kFirstCorner = 1;
  static constexpr std::int16_t kDragging = 2;

  using TZoomKrzyz::TZoomKrzyz;

  std::int32_t Move(const TRealPoint& Point) override;
  bool Click(const TRealPoint& Point) override;
  // The rubber rectangle while dragging.
  void DrawCursor() override;
  // The cursor cross at the first corner while pointing it.
  void DrawMarker() override;
  // 1 while dragging, else 0.
  std::int32_t GetResult() override;
  // While dragging: back to pointing the first corner, 1; else 0.
  std::int32_t Backspace() override;
  std::unique_ptr<TKrzyz> Clone() const override;
  // Orders the rectangle.
  virtual void Normalize();

  std::int16_t Count = kNothing;
};

// Two points for panning, from and to, in that order.
class TZoomMove : public TZoomRect {
public:
  using TZoomRect::TZoomRect;

  // The line from the first point to the second while dragging.
  void DrawCursor() override;
  // The cursor cross at the first point, then at the second.
  void DrawMarker() override;
  // Keeps the order.
  void Normalize() override {}
  // While dragging: the distance, two blanks, the coordinates.
  std::string GetStatusText(const TRealPoint& Point) override;
  std::unique_ptr<TKrzyz> Clone() const override;
};

// A rectangle for other commands: the right button brings the view's menu
// until the first corner is fixed, then takes the corner back.
class TRectKrzyz : public TZoomRect {
public:
  using TZoomRect::TZoomRect;

  std::int32_t RightClick(TRealPoint& Point, const TPoint& ScreenPoint) override;
  std::unique_ptr<TKrzyz> Clone() const override;
};

// A rectangle of the window's proportions centred on a pointed point: the
// first corner is the centre, the second a corner, kept inside the window.
class TZoomZbliz : public TZoomKrzyz {
public:
  static constexpr std::int32_t kNothing = 0;
  static constexpr std::int32_t kCentre = 1;
  static constexpr std::int32_t kDragging = 2;

  using TZoomKrzyz::TZoomKrzyz;

  // Takes the proportions of the view's window.
  void Attach() override;
  std::int32_t Move(const TRealPoint& Point) override;
  bool Click(const TRealPoint& Point) override;
  // The rectangle while dragging, the cross at the centre until then.
  void DrawCursor() override;
  // The cross cursor while dragging.
  void SetViewCursor() override;
  // While dragging: "x" and the view's zoom ratio of the rectangle.
  std::string GetStatusText(const TRealPoint& Point) override;
  // Back to pointing the centre; 0.
  std::int32_t GetResult() override;
  // While dragging: the corner becomes the centre, 1; else 0.
  std::int32_t Backspace() override;
  std::unique_ptr<TKrzyz> Clone() const override;

  // P moved so that the rectangle (2C - P, P) keeps the window's
  // proportions, is centred on C and stays inside the window.
  TRealPoint Constrain(const TRealPoint& P) const;
  // The rectangle (2C - P, P), ordered.
  TRealRect ZoomRect() const;

  std::int32_t Count = kNothing;
  // (Y2 - Y1) / (X2 - X1) of the view's window.
  double Ratio = 1.0;
};

// The idle tool: every click reports its point to the view's point callback,
// Enter too; the right button opens the document window's context menu, and
// the click that closes it is swallowed.
class TNullKrzyz : public THintKrzyz {
public:
  TNullKrzyz(std::uint32_t Status, TKrzyzPointEvent OnPoint, platform::TPopupMenu* Menu);

  std::int32_t Move(const TRealPoint& Point) override;
  bool Click(const TRealPoint& Point) override;
  // Enter calls the point callback: 1; other keys 0.
  std::int32_t KeyDown(std::int32_t Key) override;
  // Opens the menu at ScreenPoint and leaves the pointer where it is (4);
  // with the menu open, only notes that it closes (2).
  std::int32_t RightClick(TRealPoint& Point, const TPoint& ScreenPoint) override;
  // The same menu, no menu open.
  std::unique_ptr<TKrzyz> Clone() const override;

  platform::TPopupMenu* Menu = nullptr;
  std::uint8_t PopupShown = 0;
};

// Virtual-key code of Enter.
inline constexpr std::int32_t kVkReturn = 13;
