// The snapping tool and its pointer tools. TLatchKrzyz is the cursor tool
// through which every command that asks for map points with snapping gets
// them: it keeps the last three points entered (a sliding window), snaps the
// clicked point by one of nine snap modes, takes points typed in the
// snapping window (TLatchDialog) or computed from the view's base line, and
// hands each accepted point to its descendants through AddPoint. The pointer
// tools turn that stream into one point, a segment, a chain of segments, a
// midpoint or a rectangle.
//
// Snap modes: 0 none, 1 conditional vertex, 2 unconditional vertex, 3
// intersection, 4 onto a line, 5 perpendicular onto a line, 6 right angle,
// 7 straight angle, 8 axis guidance. Modes 5 to 7 need previous points.
//
// GUI thread only. A tool owns its snapping window (made on first use) and
// its Owned object; the view and the excluded object are not owned. Nested
// tools started here (base line, axis guidance) belong to the nesting
// chain of TKrzyz.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "foundation/geometry/realgeom.h"
#include "view/hinttools.h"
#include "view/latchdialog.h"

class TBaseLine;
class TEGraphObj;
class TLatchDialog;
class TLWskMiddleKrzyz;
class TTvView;
class TWskKoloKrzyz;

// The snapping window's results that go to DoExtraResult (the object
// tools' own entry modes); the others are in view/latchdialog.h.
inline constexpr int kResultExtraFirst = 108;
inline constexpr int kResultExtraLast = 208;

// Typed input the tool cannot place.
inline constexpr const char* kNoPreviousPoint = "Brak poprzedniego punktu";
inline constexpr const char* kNoBaseLine = "Brak linii bazowej";

// A point entry: X, Y and the Z the snapped object or the window gave.
using TLatchEntry = TPointRec;

// What SaveState keeps: the point index and the three entries.
struct TLatchState {
  std::int32_t PointIndex = 0;
  std::array<TLatchEntry, 3> Entries{};
};

class TLatchKrzyz : public THintKrzyz {
public:
  // Option bits.
  static constexpr std::uint8_t kKeepView = 0x01;
  static constexpr std::uint8_t kDialog3d = 0x02;
  static constexpr std::uint8_t kAxisRequested = 0x04;
  static constexpr std::uint8_t kAxisRunning = 0x08;

  TLatchKrzyz(std::uint32_t Status, TKrzyzPointEvent OnPoint, std::string Hint = {});
  TLatchKrzyz(const TLatchKrzyz& Source);
  // Unbinds and frees the window, frees the owned object.
  ~TLatchKrzyz() override;

  // --- TKrzyz ---
  // The current entry takes X and Y (Z kept); 0.
  std::int32_t Move(const TRealPoint& Point) override;
  // Snaps the point with the current mode (LatchPoint).
  bool Click(const TRealPoint& Point) override;
  // No pointer: the latch marker is the cursor.
  void SetViewCursor() override;
  // The hint part of the point index, a blank and the mode's name.
  std::string GetHint() override;
  // Opens the snapping window at ScreenPoint: kRightEnd when it gave a
  // complete input, else kRightNothing.
  std::int32_t RightClick(TRealPoint& Point, const TPoint& ScreenPoint) override;
  // Remembers the view, takes its snap mode, shows the base line.
  void Attach() override;
  // Hides the base line, writes the snap mode back to the view and the
  // cursor settings ("Typ zatrzasku"), forgets the view unless kKeepView.
  void Detach() override;
  // The snapping keys.
  std::int32_t KeyDown(std::int32_t Key) override;
  void GetPoint(TRealPoint& Point) override;
  // The window is going: forget it.
  void ResetState() override;

  // --- Own virtual operations ---
  // Takes an accepted point; true when the tool's input is complete.
  // Base: false.
  virtual bool AddPoint(const TLatchEntry& Entry);
  // The sliding-window advance.
  virtual void NextPoint();
  // Makes the snapping window of this tool (TLatchDialog3d with kDialog3d).
  virtual std::unique_ptr<TLatchDialog> CreateDialog();
  // The window's own results 108..208 of descendants. Base: false.
  virtual bool DoExtraResult(std::int32_t ModalResult);

  // --- Plain operations ---
  void SetOption(bool ThreeCoordinates);
  std::string GetLatchModeName() const;
  static const char* LatchModeName(std::uint8_t Mode);
  // Changes the snap mode (a mode not allowed at the point index becomes
  // the index's fallback; 8 only requests axis guidance).
  void Redraw(std::uint8_t Mode);
  // One snap of Entry with Mode; AddPoint and NextPoint when a point is
  // accepted; the AddPoint result (false when refused).
  bool LatchPoint(std::uint8_t Mode, const TLatchEntry& Entry);
  // Snapping the first point onto Object: its other end becomes the
  // previous point.
  void LatchOnObject(const TEGraphObj& Object, TLatchEntry& Entry);
  // Draws (XOR: erases) the latch marker at Entry.
  void ShowHide(const TLatchEntry& Entry);
  // Index minus one, the current entry moving down (index above 0 only).
  void DropLastPoint();
  void GetPrevPoint(TRealPoint& Point) const;
  void GetPrevEntry(TLatchEntry& Entry) const;
  // Entries 0 and 1.
  void GetFirstSegment(TRealPoint& P1, TRealPoint& P2) const;
  void SaveState(TLatchState& State) const;
  void RestoreState(const TLatchState& State);
  // Runs the snapping window at ScreenPoint (Text typed into its first
  // field) and acts on its result; true when the input is complete.
  bool ShowLatchDialog(const TPoint& ScreenPoint, const std::string& Text);
  // Starts axis guidance (a nested midpoint tool).
  void StartAxisGuidance();
  // The point entry mode Mode makes of the window's values A and B (angles
  // in radians): false for a mode of a descendant; raises when the mode
  // lacks its previous points or base line, or the previous line has no
  // length.
  bool ComputeEntry(std::uint8_t Mode, double A, double B, TLatchEntry& P) const;
  // The view's base line (none without a view).
  TBaseLine* BaseLine() const;

  TLatchEntry& CurrentEntry() { return Entries[PointIndex]; }
  const TLatchEntry& CurrentEntry() const { return Entries[PointIndex]; }
  TTvView* MapView() const { return view_; }
  TLatchDialog* Dialog() const { return dialog_.get(); }

  std::uint8_t SnapMode = 0;
  std::uint8_t Options = 0;
  std::uint8_t EntryMode = 0;
  std::int32_t PointIndex = 0;
  std::array<TLatchEntry, 3> Entries{};
  std::unique_ptr<TObject> Owned;
  const TEGraphObj* Excluded = nullptr;  // not owned

protected:
  TTvView* view_ = nullptr;
  std::unique_ptr<TLatchDialog> dialog_;

private:
  // The callbacks of the nested tools: a midpoint of axis guidance, a base
  // line by two points, a base line picked from a straight line.
  bool AxisPoint(TLWskMiddleKrzyz& Middle);
  void StartBaseLineByPoints();
  void StartBaseLinePick();
  bool PickBaseLine(TWskKoloKrzyz& Picker);
};

// One point.
class TLWskPunktKrzyz : public TLatchKrzyz {
public:
  using TLatchKrzyz::TLatchKrzyz;
  // A fresh copy: stage 0, no points.
  TLWskPunktKrzyz(const TLWskPunktKrzyz& Source);

  std::int32_t Move(const TRealPoint& Point) override;
  bool AddPoint(const TLatchEntry& Entry) override;
  void DrawMarker() override;
  // No pointer with the full-window cross, else the cross cursor.
  void SetViewCursor() override;
  std::unique_ptr<TKrzyz> Clone() const override;

  // 0 before the first move, then 1 (first point), 2 (just after it), 3
  // (second point).
  std::int32_t Stage = 0;
};

// A segment of two points.
class TLWskLineKrzyz : public TLWskPunktKrzyz {
public:
  using TLWskPunktKrzyz::TLWskPunktKrzyz;

  bool AddPoint(const TLatchEntry& Entry) override;
  void NextPoint() override;
  void DrawCursor() override;
  std::int32_t Backspace() override;
  std::string GetStatusText(const TRealPoint& Point) override;
  std::unique_ptr<TKrzyz> Clone() const override;
};

// A chain of segments: every click after the first completes another
// segment from the last point.
class TLWskLineKrzyzI : public TLWskLineKrzyz {
public:
  using TLWskLineKrzyz::TLWskLineKrzyz;

  bool AddPoint(const TLatchEntry& Entry) override;
  std::unique_ptr<TKrzyz> Clone() const override;
};

// A segment whose pointer, once the first point is in, stands at the
// midpoint (a parent tool moves there).
class TLWskMiddleKrzyz : public TLWskLineKrzyz {
public:
  using TLWskLineKrzyz::TLWskLineKrzyz;

  // Result 1: the parent follows; from the second point on Middle holds
  // the midpoint of the pointer and the first point.
  std::int32_t Move(const TRealPoint& Point) override;
  std::unique_ptr<TKrzyz> Clone() const override;

  bool HasMiddle = false;
  TRealPoint Middle;
};

// A rectangle of two corners.
class TLWskRectKrzyz : public TLWskLineKrzyz {
public:
  using TLWskLineKrzyz::TLWskLineKrzyz;

  void DrawCursor() override;
  void DrawMarker() override;
  std::string GetStatusText(const TRealPoint& Point) override;
  std::unique_ptr<TKrzyz> Clone() const override;

protected:
  bool RectangleShown() const { return Stage >= 2 && PointIndex >= 1; }
};

// TLWskRectKrzyz drawing only the visible part of its rectangle.
class TLWskRectNSKrzyz : public TLWskRectKrzyz {
public:
  using TLWskRectKrzyz::TLWskRectKrzyz;

  void DrawCursor() override;
  std::unique_ptr<TKrzyz> Clone() const override;
};
