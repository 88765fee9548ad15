// The creation tools of lines, circles and arcs on a line sublayer.
//
// TEditNewLinia draws straight lines of two points, optionally of a fixed
// length (the line then points at the cursor). TEditNewOkrag draws circles
// given by centre and point (mode 0), by the two ends of a diameter (1) or
// by three points of the circle (2). TEditNewSpecialLinia draws separate
// lines in the template's style; it can switch into a three-point arc for
// the next piece (right Alt + F2, or the window's arc button) and lay lines
// parallel to the view's base line. TEditNewSpecialLiniaLoop draws a chain
// of segments that ends back at its first point (F7 closes it, Shift + F7
// with a right angle at the first point, the window also by two distances
// to a corner); undo and redo of its segments in the view move its last
// point back and forward. TEditNewLuk3P is the three-point arc tool the
// special-line tools run nested.
//
// Every completed object is reported through OnPoint: the command stores
// the sender's Template() in the sublayer and gives the tool a new
// template. In arc mode the special-line tool frees its line template and
// reports the finished arc as its template instead, so a command never
// keeps a pointer of its own to a template it handed over.
//
// The tools implement ILineToolParams for their parameter windows.
//
// GUI thread only. Templates as TNewGraphObjKrzyz (the command's); the arc
// tool owns the arc it is building until the enclosing tool takes it. The
// loop tool's first object is not owned (it is in the sublayer or in the
// undo history).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "objtools/edittool.h"
#include "objtools/objdialogs.h"

class TUndoManager;
class TUndoOperationImp;
class TEditNewLuk3P;

class TEditNewLinia : public TEditGraphObjKrzyz, public ILineToolParams {
public:
  // Complete at 2 points, each line drawn afresh (restart stage 1).
  TEditNewLinia(std::uint32_t Status, TEGraphObj* Template, TWarstwaOgolna* Sublayer, TKrzyzPointEvent OnPoint);

  // From the second point on the length of the rubber line first.
  std::string GetStatusText(const TRealPoint& Point) override;
  // With a fixed length the shortened end, not the clicked point, becomes
  // the last entered point of a completed line.
  bool AddPoint(const TLatchEntry& Entry) override;
  // The template's ends from the last entered point and the cursor (a
  // TLinia or descendant; any other template is left alone).
  void UpdateTemplate() override;

  // --- ILineToolParams ---
  TSpecStyle* TemplateStyle() override;
  void ChangeStyle(const std::function<void(TSpecStyle&)>& Fn) override;
  const TLine* SublayerLineDef() override;
  bool SublayerThick() override;
  bool HasFixedLength() const override { return true; }
  double FixedLength() const override { return fixedLength_; }
  // A changed length redraws the rubber line with it.
  void SetFixedLength(double L) override;

protected:
  double fixedLength_ = 0.0;  // 0: free length
};

class TEditNewOkrag : public TEditGraphObjKrzyz, public ILineToolParams {
public:
  // Mode 0, complete at 2 points, restart stage 1.
  TEditNewOkrag(std::uint32_t Status, TEGraphObj* Template, TWarstwaOgolna* Sublayer, TKrzyzPointEvent OnPoint);

  // From the second point on "r= " and the radius first.
  std::string GetStatusText(const TRealPoint& Point) override;
  std::unique_ptr<TLatchDialog> CreateDialog() override;
  // The circle from the entered points and the cursor by the mode; three
  // collinear points leave the circle as it was.
  void UpdateTemplate() override;
  // A circle of no radius is refused.
  bool CompleteObject() override;

  // Mode 0 to 2 (others ignored); mode 2 needs three points.
  void SetMode(int M);
  int Mode() const { return mode_; }

  // --- ILineToolParams ---
  TSpecStyle* TemplateStyle() override;
  void ChangeStyle(const std::function<void(TSpecStyle&)>& Fn) override;
  const TLine* SublayerLineDef() override;
  bool SublayerThick() override;
  int CircleMode() const override { return mode_; }
  void SetCircleMode(int M) override { SetMode(M); }

private:
  int mode_ = 0;
};

class TEditNewSpecialLinia : public TEditNewLinia {
public:
  using TEditNewLinia::TEditNewLinia;

  // The snapping keys, then right Alt + F2: arc mode.
  std::int32_t KeyDown(std::int32_t Key) override;
  std::unique_ptr<TLatchDialog> CreateDialog() override;
  // 108: arc mode; 112: lines parallel to the base line at the window's
  // left (A) and right (B) distances. Never complete: false.
  bool DoExtraResult(std::int32_t ModalResult) override;
  // A line of no length is refused.
  bool CompleteObject() override;

  // The next piece is an arc: a nested TEditNewLuk3P starting at the last
  // entered point (or at its own first click when none is entered yet),
  // drawn in the template's style.
  void StartArcMode();
  // A line from the base line's start to its end moved by Offset to the
  // right of it (negative: to the left), at the window's height; nothing
  // without a base line. An entered start is replaced by the line's.
  void AddParallelLine(double Offset);
  // The nested arc is complete: it becomes this tool's template, its end
  // this tool's last point, and is reported through OnPoint. True.
  bool ArcDone(TEditNewLuk3P& Arc);
  // The nested arc ended without an arc: its template goes, this tool's
  // cursor comes back.
  void ArcFinished(TEditNewLuk3P& Arc, std::int32_t Result);

protected:
  // The height of constructed points: the window's, else the cursor's.
  float WindowZ() const;
};

class TEditNewSpecialLiniaLoop : public TEditNewSpecialLinia {
public:
  // Restart stage 2: every click after the first completes a segment from
  // the last point.
  TEditNewSpecialLiniaLoop(std::uint32_t Status, TEGraphObj* Template, TWarstwaOgolna* Sublayer,
                           TKrzyzPointEvent OnPoint);
  // Lets go of the view's undo manager if still attached to it.
  ~TEditNewSpecialLiniaLoop() override;

  // The template and, while a loop is open, a dot where it closes.
  void DrawCursor() override;
  // The line tool's text, then the angle at the last point and the length
  // of the last stored segment in front.
  std::string GetStatusText(const TRealPoint& Point) override;
  // The inherited attach, then undo and redo of the view report to the
  // loop (LoopUndone, LoopRedone).
  void Attach() override;
  void Detach() override;
  // F7 closes the loop, Shift + F7 closes it with a right angle at the
  // first point: kKeyHandledEnd when closed, else kKeyHandled.
  std::int32_t KeyDown(std::int32_t Key) override;
  // Counts the loop's points; the first starts a loop.
  bool AddPoint(const TLatchEntry& Entry) override;
  std::unique_ptr<TLatchDialog> CreateDialog() override;
  // 109 CloseLoop, 110 CloseSquare, 111 CloseByDistances (true when
  // closed); the others as the special line.
  bool DoExtraResult(std::int32_t ModalResult) override;

  // Each needs two stored segments (false otherwise). CloseLoop: a segment
  // back to the first point. CloseSquare: a corner such that the closing
  // segment is perpendicular to the first one. CloseByDistances: a corner
  // at the window's distances A from the first point and B from the last,
  // on the side away from the point before the last; false when they
  // cannot meet (see CheckCloseDistances).
  bool CloseLoop();
  bool CloseSquare();
  bool CloseByDistances();
  // The undo manager undid or redid Op: a segment ending at the loop's
  // last point moves the last point back to its other end, or forward.
  void LoopUndone(TUndoOperationImp& Op);
  void LoopRedone(TUndoOperationImp& Op);
  // "" when a corner at C1 from the first point and C2 from the last
  // exists, else the message for the window.
  std::string CheckCloseDistances(double C1, double C2) override;

  TLatchEntry FirstPoint;
  TEGraphObj* FirstObject = nullptr;  // not owned
  std::int32_t Points = 0;
  double LastLength = 0.0;

private:
  void Unhook();
  TUndoManager* hooked_ = nullptr;  // the view's
};

class TEditNewLuk3P : public TEditGraphObjKrzyz, public ILineToolParams {
public:
  // Complete at 3 points, started at stage 2 (the start point comes from
  // the enclosing tool).
  TEditNewLuk3P(std::uint32_t Status, TEGraphObj* Template, TWarstwaOgolna* Sublayer, TKrzyzPointEvent OnPoint);

  // -1: the enclosing tool gets no result from it.
  std::int32_t GetResult() override { return -1; }
  // Above stage 2 the last point goes (1); else 0 and the tool ends.
  std::int32_t Backspace() override;
  std::unique_ptr<TLatchDialog> CreateDialog() override;
  // Stage 2: a nearly straight arc over the chord to the cursor; from stage
  // 3 the arc from the start through the cursor to the second point
  // (collinear points raise, the arc stays).
  void UpdateTemplate() override;

  // The template given up to the caller (the tool no longer frees it).
  TEGraphObj* ReleaseTemplate();

  // --- ILineToolParams ---
  TSpecStyle* TemplateStyle() override;
  void ChangeStyle(const std::function<void(TSpecStyle&)>& Fn) override;
  const TLine* SublayerLineDef() override;
  bool SublayerThick() override;
};
