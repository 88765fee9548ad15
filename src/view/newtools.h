// The tools that build or move one graphic object while the user points.
// They are snapping tools (view/latch.h): a template object, drawn in XOR on
// the view, follows the entered points; it is the snapping tool's excluded
// object, so snapping never catches the object being built.
//
// TNewGraphObjKrzyz is the base of every creation and edit tool of the
// graphic objects: its stage counts the accepted points of the object, the
// object is reported at the point that reaches the complete count, and the
// next object starts at the restart stage (2: at the last point, a chain; 1:
// afresh). TMoveGraphObjKrzyz moves a copy of an object by a snapped
// displacement: the object keeps its offset to the grab point, and the
// snapped final point decides where the grab point lands.
//
// GUI thread only. The template belongs to the command (it frees it with
// ClearTemplate or hands it to a sublayer); the sublayer is not owned.
#pragma once

#include <cstdint>
#include <string>

#include "view/latch.h"

class TWarstwaOgolna;

// The stage and the snapping that starts with the second stage.
class TNewMoveImpKrzyz : public TLatchKrzyz {
public:
  using TLatchKrzyz::TLatchKrzyz;

  // From stage 2 on the snapping window (RightClick), else 0.
  std::int32_t TryLatchPoint(const TPoint& ScreenPoint);
  // From stage 2 on the snapping keys (KeyDown), else 0.
  std::int32_t TryLatch(std::int32_t Key);
  // From stage 2 on a snap in the current mode (Click), else the point
  // taken as it is (mode 0, the current Z).
  bool LatchAndMove(const TRealPoint& Point);

  // 0 before the first move, then 1 for the first point.
  std::int32_t Stage = 0;
};

// A tool with a template drawn in the parameters of a sublayer.
class TNewMoveGraphObjKrzyz : public TNewMoveImpKrzyz {
public:
  using TNewMoveImpKrzyz::TNewMoveImpKrzyz;
  TNewMoveGraphObjKrzyz(std::uint32_t Status, TEGraphObj* Template, TWarstwaOgolna* Sublayer,
                        TKrzyzPointEvent OnPoint);
  // Detach is this class's own: deactivates here.
  ~TNewMoveGraphObjKrzyz() override;

  // The sublayer prepares the canvas, the pen draws in XOR (style 3, mode
  // 6, colour 0), the canvas state is saved, pen width 1.
  void Attach() override;
  // The saved canvas state back, pen width 1, saved again.
  void Detach() override;

  TEGraphObj* Template() const { return template_; }

  TWarstwaOgolna* Sublayer = nullptr;  // not owned

protected:
  // The template and the excluded object together.
  void PutTemplate(TEGraphObj* Object);

  TEGraphObj* template_ = nullptr;  // the command's
};

// Moves the template by the snapped displacement of the grab point.
class TMoveGraphObjKrzyz : public TNewMoveGraphObjKrzyz {
public:
  using TNewMoveGraphObjKrzyz::TNewMoveGraphObjKrzyz;

  // The first move takes the grab point, every later one moves the
  // template with the pointer.
  std::int32_t Move(const TRealPoint& Point) override;
  void DrawCursor() override;
  void DrawMarker() override;
  // The template moved onto the accepted point: true.
  bool AddPoint(const TLatchEntry& Entry) override;
};

// The base of the creation and edit tools of the graphic objects.
class TNewGraphObjKrzyz : public TNewMoveGraphObjKrzyz {
public:
  using TNewMoveGraphObjKrzyz::TNewMoveGraphObjKrzyz;

  std::int32_t Move(const TRealPoint& Point) override;
  // The template from the second stage on, with DrawExtra.
  void DrawCursor() override;
  // The latch marker while the cursor field is -1.
  void DrawMarker() override;
  // The cursor field up to the restart stage, then none.
  void SetViewCursor() override;
  // True when the object is complete (and accepted by CompleteObject); a
  // refused point sets kPointRefused and is not advanced over.
  bool AddPoint(const TLatchEntry& Entry) override;
  void NextPoint() override;
  // Above the restart stage: the last point goes, the number of points
  // above the restart stage that were there; else 0 (the tool ends).
  std::int32_t Backspace() override;

  // Sets the template's geometry from the entered points.
  virtual void UpdateTemplate() = 0;
  virtual void SetTemplate(TEGraphObj* Object);
  virtual bool CompleteObject() { return true; }
  // Base: the cursor field -1, true.
  virtual bool CheckTemplate();
  virtual void DrawExtra() {}

  // Frees the template (an unowned one) and forgets it.
  void ClearTemplate();

  std::int32_t CompleteCount = 2;
  std::int32_t RestartStage = 1;
  std::int16_t Cursor = -1;

private:
  // UpdateTemplate, any error ignored.
  void UpdateQuietly();
};
