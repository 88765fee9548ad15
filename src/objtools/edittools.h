// The edit tools of the linear objects and points: a first click on a
// handle picks it and starts a drag of a working copy drawn in XOR, the
// second click applies the change to the object in the sublayer, Backspace
// drops the drag or, with nothing dragged, ends the tool (the edit-mode
// protocol of TEditGraphObjKrzyz, objtools/edittool.h).
//
// Handle numbers: 0 nothing, k + 2 on snap point k of the object, 1 on the
// object itself (linear objects: a hit near the line, circle or arc within
// half a handle box). The handles and the cursor each shows while the
// pointer hovers over it:
//   lines   1 move (cursor 1), 2 and 3 the ends (cursor 4);
//   circles 1 move and 2 the centre (cursor 1), 3 and 4 the ends of the
//           diameter along Y, 5 the radius (cursor 4);
//   arcs    1 move (cursor 1), 2 to 4 the first end, the middle and the
//           second end (cursor 4);
//   points  any handle (cursor 1).
// No handle: cursor 3; while dragging no cursor (-1, the snapping marker).
//
// Made by the object editors (objtools/objeditors.h) with OnPoint putting
// the object back into its sublayer. GUI thread only; ownership as
// TEditGraphObjKrzyz.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "objtools/edittool.h"
#include "objtools/objdialogs.h"

// The common edit tool of the linear objects; edits straight lines.
class TEditLiniowyObj : public TEditGraphObjKrzyz {
public:
  TEditLiniowyObj(std::uint32_t Status, TKrzyzPointEvent OnPoint);

  // --- Edit-mode slots ---
  void SetTemplate(TEGraphObj* Object) override { EditSetTemplate(Object); }
  void Attach() override { EditAttach(); }
  void Detach() override { EditDetach(); }
  bool AddPoint(const TLatchEntry& Entry) override { return EditAddPoint(Entry); }
  std::int32_t Backspace() override { return EditBackspace(); }

  // While dragging the snapping of the tool base; before, the point as it is.
  bool Click(const TRealPoint& Point) override;
  // While dragging the snapping window; before, nothing.
  std::int32_t RightClick(TRealPoint& Point, const TPoint& ScreenPoint) override;
  // While dragging the snapping keys; before, nothing.
  std::int32_t KeyDown(std::int32_t Key) override;

  // The handle test while hovering (sets Handle and Cursor); every point
  // while dragging.
  bool CheckTemplate() override;
  void UpdateTemplate() override;
  // Handle 1: the nearest point of the object (also LastPoint); else the
  // current point.
  void GetHandlePoint(TRealPoint& P) override;
  std::string GetHint() override;
  // While dragging: the object's length, two spaces, the base text.
  std::string GetStatusText(const TRealPoint& Point) override;

  std::int32_t Handle = 0;
  TRealPoint LastPoint;

protected:
  bool Dragging() const { return Stage >= 2 && Backup != nullptr; }
  // The handle under P: the object's handles, else 1 near the object.
  std::int32_t HitHandle(const TRealPoint& P) const;
  // The cursor of a handle (3 for none).
  virtual std::int16_t CursorOf(std::int32_t AHandle) const;
  // The name of the change a handle makes, "" for none.
  virtual std::string HandleName(std::int32_t AHandle) const;
  virtual std::string HintPrefix() const { return "Modyfikacja linii"; }
  // The current entry as a point with its height.
  TPointRec CurrentPoint() const { return CurrentEntry(); }
  // Moves the working copy with the pointer (handle 1).
  void DragWhole();
};

// Straight lines: the window of the line edit with the base-line command.
class TEditLine : public TEditLiniowyObj, public ILineToolParams {
public:
  using TEditLiniowyObj::TEditLiniowyObj;

  // Entry 2 the picked point, entry 0 the nearest end, entry 1 the end that
  // was not picked (Z 0); entry 2 current.
  void BeginModify() override;
  std::unique_ptr<TLatchDialog> CreateDialog() override;
  // kExtraToBaseLine: the dragged end onto the view's base line; false.
  bool DoExtraResult(std::int32_t ModalResult) override;

  // --- ILineToolParams ---
  TSpecStyle* TemplateStyle() override;
  void ChangeStyle(const std::function<void(TSpecStyle&)>& Fn) override;
  const TLine* SublayerLineDef() override;
  bool SublayerThick() override;
};

// Arcs, rebuilt through three points from the arc in the sublayer.
class TEditLuk : public TEditLine {
public:
  using TEditLine::TEditLine;

  void UpdateTemplate() override;
  std::string GetHint() override { return {}; }

protected:
  std::int16_t CursorOf(std::int32_t AHandle) const override;
};

// Circles.
class TEditOkrag : public TEditLiniowyObj {
public:
  using TEditLiniowyObj::TEditLiniowyObj;

  void UpdateTemplate() override;
  // A circle of radius 0 is refused (signal; the drag goes on).
  bool CompleteObject() override;

protected:
  std::int16_t CursorOf(std::int32_t AHandle) const override;
  std::string HandleName(std::int32_t AHandle) const override;
  std::string HintPrefix() const override { return "Modyfikacja okregu"; }
};

// Points.
class TEditPunkt : public TEditGraphObjKrzyz {
public:
  TEditPunkt(std::uint32_t Status, TKrzyzPointEvent OnPoint);

  void SetTemplate(TEGraphObj* Object) override { EditSetTemplate(Object); }
  void Attach() override { EditAttach(); }
  void Detach() override { EditDetach(); }
  bool AddPoint(const TLatchEntry& Entry) override { return EditAddPoint(Entry); }
  std::int32_t Backspace() override { return EditBackspace(); }
  bool Click(const TRealPoint& Point) override;
  std::int32_t RightClick(TRealPoint& Point, const TPoint& ScreenPoint) override;
  std::int32_t KeyDown(std::int32_t Key) override;

  // The handle test only.
  bool CheckTemplate() override;
  // The position := the current point with its height.
  void UpdateTemplate() override;
  // The point's position.
  void GetHandlePoint(TRealPoint& P) override;
  // The snapping tool's hint.
  std::string GetHint() override { return TLatchKrzyz::GetHint(); }
};
