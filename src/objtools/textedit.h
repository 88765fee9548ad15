// The edit tools of texts, fractions and symbols: they move, turn or change
// the reference point of one existing object by dragging its handles.
//
// An object's EditKrzyz makes the tool (MakeTextEditTool by kind, through
// the registered editors) on the object, with the sublayer's drawing
// parameters and options. The tools use the edit mode of TEditGraphObjKrzyz:
// hovering, the handle under the pointer chooses the cursor; a click on a
// handle starts a drag of a working copy; the completing click applies it
// (refused, with the sound signal, when the text is empty or longer than the
// layer file keeps); Backspace drops the drag or, with nothing dragged, ends
// the tool.
//
// Handle numbers (the object's HitActivePoint): 0 none, 1 inside the box,
// k + 2 on snap point k.
//   texts:   1 to 5 move the anchor (the reference point stays where it is
//            on the map), 6 and 7 (the midpoints of the short edges) turn the
//            text, 8 moves the reference point;
//   symbols: 1 to 3 move the anchor, 4 and 5 turn the symbol.
// Turning needs angles allowed on the sublayer; without them the rotation
// handles are picked but move nothing.
// Cursors while hovering: 1 move, 2 turn, 4 reference point, 3 no handle;
// none while dragging.
//
// Before a drag a click takes the mouse point as it is and the snapping
// window and keys do nothing; while dragging the tool snaps as the snapping
// tool does.
//
// GUI thread only. Ownership as TEditGraphObjKrzyz. A text edit tool keeps
// a subscription to the display settings of the view's canvas (the handles
// follow them) while it is attached.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "objtools/textsymtools.h"

class TDefRealCanvas;
class TParametryConf;

class TEditText : public TEditNewText {
public:
  TEditText(std::uint32_t Status, TKrzyzPointEvent OnPoint);
  // Unsubscribes when the tool goes while attached.
  ~TEditText() override;

  void SetTemplate(TEGraphObj* Object) override;
  // The edit mode's attach, then the settings subscription.
  void Attach() override;
  // The subscription off, then the edit mode's detach.
  void Detach() override;
  bool AddPoint(const TLatchEntry& Entry) override;
  std::int32_t Backspace() override;
  bool Click(const TRealPoint& Point) override;
  std::int32_t RightClick(TRealPoint& Point, const TPoint& ScreenPoint) override;
  std::int32_t KeyDown(std::int32_t Key) override;
  std::string GetHint() override;

  // Hovering: the handle under the pointer, the cursor from it; true on a
  // handle. Dragging: every point.
  bool CheckTemplate() override;
  void UpdateTemplate() override;
  // Handle 1: the anchor; else the current point.
  void GetHandlePoint(TRealPoint& P) override;
  // Text := the typed text with the bars unescaped (the class stays).
  void SetText(const std::string& Text) override;

  // The picked handle (while hovering: the one under the pointer).
  int Handle = 0;

private:
  void CfgChanged(TParametryConf* Sender);
  TDefRealCanvas* cfgCanvas_ = nullptr;  // the view's, while subscribed
};

class TEditLicznikMianownik : public TEditText {
public:
  using TEditText::TEditText;

  // The first single bar splits the typed text; without one the numerator
  // is empty and the whole text is the denominator. The template stays a
  // fraction.
  void SetText(const std::string& Text) override;
};

class TEditSymbol : public TEditNewSymbol {
public:
  TEditSymbol(std::uint32_t Status, TKrzyzPointEvent OnPoint);

  void SetTemplate(TEGraphObj* Object) override;
  void Attach() override;
  void Detach() override;
  bool AddPoint(const TLatchEntry& Entry) override;
  std::int32_t Backspace() override;
  bool Click(const TRealPoint& Point) override;
  std::int32_t RightClick(TRealPoint& Point, const TPoint& ScreenPoint) override;
  std::int32_t KeyDown(std::int32_t Key) override;
  std::string GetHint() override;

  bool CheckTemplate() override;
  void UpdateTemplate() override;
  void GetHandlePoint(TRealPoint& P) override;

  int Handle = 0;
};

// The edit tool of Kind (Text, Fraction or Symbol); EInternalError for the
// other kinds.
std::unique_ptr<TEditGraphObjKrzyz> MakeTextEditTool(TEditToolKind Kind, TKrzyzPointEvent OnPoint);
