// The generator tool and its window. TGeneratorKrzyz is a snapping tool
// (view/latch.h) that takes the points of a generator (objtools/
// generators.h) one by one: after the first mouse move the generator's shape
// follows the pointer in XOR, each accepted point fixes one more of the
// generator's points, and the point that reaches the generator's point count
// completes the shape. The tool then reports the point (its OnPoint), the
// command asks it for the objects (CreateObjects), and the next shape starts
// at once with the same generator and spacing.
//
// Count is the number of the shape's points in play, 1 to 4: the points
// accepted so far and the one under the pointer. The snapping tool keeps
// three point entries; for the fourth point of an embankment the first one
// is kept aside in FirstPoint. The points a generator gets by Count:
//   1: P1 = P2 = the pointer (a shape of no size at the pointer);
//   2: P1 = the previous entry, P2 = the pointer;
//   3: P1, P2, P3 = entries 0, 1, 2;
//   4: P1 = FirstPoint, P2, P3, P4 = entries 0, 1, 2.
//
// The line-count question of embankments and stairs (more than 10000
// lines) is asked once for a shape: the tool starts a new shape on the
// generator whenever a point is accepted or taken back or another generator
// is chosen, and the generator itself asks again when the spacing changes.
// While the user's No holds, the previous shape stays on the screen and a
// click is refused: a shape is never completed from a computation that did
// not happen.
//
// TGeneratorDialog is the tool's snapping window with the choice of the
// generator ("Generator"), the spacing ("Odstęp:", field CE) and "Zeruj",
// which sets the spacing to 0 (the generator then chooses it). Every change
// applies to the tool at once, with the window out of the top layer meanwhile
// so that a line-count question it asks lies above it. Showing the tool's
// spacing in the field does not set it back on the tool: only the user's
// edits do.
//
// GUI thread only. The generator belongs to the generator library, which
// keeps it while any tool may hold it (a retired library lives on inside the
// new one); the tool owns its window (view/latch.h), the window's tool is
// not owned.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "foundation/geometry/realgeom.h"
#include "objtools/generators.h"
#include "view/latch.h"
#include "view/latchdialog.h"

namespace platform {
class TBitBtn;
class TComboBox;
class TEdit;
class TLabel;
}  // namespace platform

class TGeneratorKrzyz : public TLatchKrzyz {
public:
  TGeneratorKrzyz(std::uint32_t Status, TKrzyzPointEvent OnPoint, std::string Hint = {});

  // --- TKrzyz ---
  // The generator's shape through M, once Count is 1 or more.
  void DrawCursor() override;
  // The snapping marker at the current entry, solid and one pixel wide.
  void DrawMarker() override;
  // Count 0 becomes 1; the pointer goes into the current entry and the
  // shape follows it.
  std::int32_t Move(const TRealPoint& Point) override;
  // No pointer: the shape and the marker show the position.
  void SetViewCursor() override;
  // Takes back the last accepted point (with Count 4 the first point comes
  // back from FirstPoint): the new Count; 0 with Count 1 or less (the tool
  // ends).
  std::int32_t Backspace() override;
  // The snapping tool's Attach, then the context from the view canvas's
  // display settings (the map scale "Skala") and the generator's default
  // spacing.
  void Attach() override;

  // --- TLatchKrzyz ---
  // The point into the current entry and the shape computed. Refused (the
  // point-refused flag set, false) without a generator or while the user
  // refuses the shape's line count; true when the point completes the
  // shape (Count back to 0, the generator's chosen spacing adopted).
  bool AddPoint(const TLatchEntry& Entry) override;
  // Unless the point was refused: FirstPoint := entry 0, the entries
  // advance, Count + 1, and the generator starts a new shape.
  void NextPoint() override;
  // A TGeneratorDialog.
  std::unique_ptr<TLatchDialog> CreateDialog() override;

  // --- Plain operations ---
  // The generator's transformation for Count's points into M; false
  // without a generator or when the user refused the shape (M and the
  // generator's elements then stay as they were).
  bool Recompute();
  // Another generator (null: none, nothing is drawn and points are
  // refused); the current spacing carries over to it.
  void SetGenerator(TGeneratorImp* G);
  TGeneratorImp* Generator() const { return generator_; }
  // The generator's; false and 0 without one.
  bool HasSpacing() const;
  double GetSpacing();
  // The generator's spacing := D and the shape computed again; nothing
  // without a generator.
  void SetSpacing(double D);
  // The generator's objects for M with OperatId as their identifier; null
  // without a generator.
  std::unique_ptr<TGeneratedObjList> CreateObjects(std::uint32_t OperatId) const;

  // The transformation last computed.
  TAffineMatrix M;
  // The shape's points in play, 0 before the first move, 1 to 4 after.
  std::int32_t Count = 0;
  // The first accepted point while the fourth is placed.
  TLatchEntry FirstPoint{};
  GeneratorContext Ctx;

private:
  TGeneratorImp* generator_ = nullptr;  // the library's
};

class TGeneratorDialog : public TLatchDialog {
public:
  // The generator names of the program-wide library go into the combo box
  // on creation (MakeForm).
  TGeneratorDialog();

  // The tool the window is bound to, when it is a generator tool.
  TGeneratorKrzyz* GeneratorTool() const;

protected:
  // The tool's spacing and generator shown, then the snapping window's own
  // showing.
  void DoShow() override;

private:
  void FormCreate();
  void GeneratorChange();
  void CEChange();
  // CE := the tool's spacing, without setting it on the tool.
  void ShowSpacing();
  // CE and "Zeruj" only for a generator with a spacing.
  void EnableSpacing();

  platform::TComboBox* generator_ = nullptr;
  platform::TLabel* cl_ = nullptr;
  platform::TEdit* ce_ = nullptr;
  platform::TBitBtn* bitBtn1_ = nullptr;
  bool showingSpacing_ = false;
};
