// The base of the cursor tools that build or change one graphic object with
// the mouse: the creation tools of lines, circles, arcs, texts and symbols,
// and the edit tools that move, turn, reshape or resize an existing object
// by its handles.
//
// TEditGraphObjKrzyz adds to the view's object-building tool the drawing
// parameters of the sublayer (Params), the handle overlay of an edited
// object (Handles) and, during a modification, the object that is in the
// sublayer (Backup) while the template is a working clone. Creation tools
// use Params, GetHandlePoint and BeginModify; an edit tool overrides
// SetTemplate, Attach, Detach, AddPoint and Backspace with the edit-mode
// operations EditSetTemplate, EditAttach, EditDetach, EditAddPoint and
// EditBackspace:
//   hovering (Stage 0 or 1): CheckTemplate picks the cursor from the handle
//     under the pointer;
//   a click on a handle starts a modification: the object in the sublayer is
//     drawn in the view's background, a clone follows the pointer in XOR;
//   the completing click copies the clone's geometry into the object, which
//     OnPoint then puts back into the sublayer (ReinsertAtIndex);
//   Backspace during a modification drops the clone; Backspace while
//     hovering ends the tool.
//
// The tool is also the site the edited object reads its edit index and
// sublayer from (IEditToolSite), and the tool-options interface the sublayer
// sets (TNewObjectToolI; the base ignores the options that do not concern
// it).
//
// GUI thread only. The tool owns Handles, Params and, while a modification
// runs, the working clone; the template belongs to the command (or to the
// sublayer) except an object handed over with OwnObject, which the tool frees
// unless a completed modification put it into the sublayer. The handles'
// paint item belongs to the view while the tool is attached.
#pragma once

#include <cstdint>
#include <memory>

#include "layers/tree/treehost.h"
#include "objects/edittoolsi.h"
#include "view/newtools.h"

class IPodwarstwa;
class TActivePoints;
class TLine;
class TDrawParams;
class TPaintItem;

class TEditGraphObjKrzyz : public TNewGraphObjKrzyz,
                           public TNewObjectToolI,
                           public IEditToolSite {
public:
  TEditGraphObjKrzyz(std::uint32_t Status, TKrzyzPointEvent OnPoint);
  TEditGraphObjKrzyz(std::uint32_t Status, TEGraphObj* Template, TWarstwaOgolna* Sublayer,
                     TKrzyzPointEvent OnPoint);
  // Takes the handles off the view, frees a working clone of a
  // modification in progress (the template goes back to the backup), the
  // owned object unless it was put into the sublayer, Handles and Params.
  ~TEditGraphObjKrzyz() override;

  // True: the view restarts an edit on another sublayer.
  bool IsEditGraphObjTool() const override { return true; }

  // The point the pointer moves to when a handle is picked: X and Y of the
  // current entry.
  virtual void GetHandlePoint(TRealPoint& P);
  // The picked point into entry 1, the template's first point with Z into
  // entry 0, entry 1 current.
  virtual void BeginModify();

  // --- Edit mode (edit tools call these from their overrides) ---
  // The inherited SetTemplate, then Handles from the object with Params,
  // shown.
  void EditSetTemplate(TEGraphObj* Object);
  // The inherited Attach, then the handles onto the view's paint list.
  void EditAttach();
  // A modification in progress dropped (the object as it was, shown), the
  // handles off the view's paint list, then the inherited Detach.
  void EditDetach();
  // First click: picks a handle (CheckTemplate) and starts a modification;
  // second click: applies it. True when a modification is complete.
  bool EditAddPoint(const TLatchEntry& Entry);
  // Cancels a modification in progress; the number of dropped points (0:
  // nothing in progress, the tool ends).
  std::int32_t EditBackspace();
  // The click, right-click and key slots of edit tools. Before a drag a
  // click takes the pointer's own position (the handle test needs it) and
  // the snapping window and keys do nothing; while dragging (stage 2) they
  // snap as the snapping tool does.
  bool EditClick(const TRealPoint& Point);
  std::int32_t EditRightClick(TRealPoint& Point, const TPoint& ScreenPoint);
  std::int32_t EditKeyDown(std::int32_t Key);
  // Flag false: the edited object drawn in the background colour and the
  // handles hidden; true: both back. Redraws the object's sublayer.
  void ShowEditState(bool Flag);
  // The handles recomputed from the template.
  void UpdateHandles();

  // --- IEditToolSite ---
  int EditIndex() const override { return editIndex_; }
  void SetEditIndex(int Index) override { editIndex_ = Index; }
  IPodwarstwa* EditSublayer() const override { return EditLayer; }

  // --- TNewObjectToolI (base: the Z option only) ---
  void SetZOption(bool On) override;
  void SetCounting(bool On) override {}
  void SetPlaced(std::uint8_t State) override {}
  void SetMayChangeHeight(bool On) override {}
  void SetMayChangeJustification(bool On) override {}

  // The object given with OwnObject (see the header comment); nullptr when
  // none or once a completed modification put it into the sublayer.
  void OwnObject(TEGraphObj* Object) { ownedObject_ = Object; }
  TEGraphObj* OwnedObject() const { return ownedObject_; }

  std::unique_ptr<TActivePoints> Handles;
  std::unique_ptr<TDrawParams> Params;
  TEGraphObj* Backup = nullptr;
  IPodwarstwa* EditLayer = nullptr;  // not owned

protected:
  // Takes the handles' paint item off the view's list (nothing when it is
  // not there).
  void DropHandlesItem();
  // The working clone freed, the template back on the object in the
  // sublayer, shown with its handles.
  void DropModification();

  int editIndex_ = -1;
  TEGraphObj* ownedObject_ = nullptr;
  TPaintItem* handlesItem_ = nullptr;  // the view's while attached
};

// The line style of a line sublayer (nullptr for none or another kind), and
// whether it draws thick lines (3 pixels: thick mode, or its own screen width
// above 1 in the default mode): what "domyślny" and "domyślna" stand for in
// the line windows and the style dialog.
const TLine* SublayerLineDefOf(const TWarstwaOgolna* Sublayer);
bool SublayerDrawsThick(const TWarstwaOgolna* Sublayer);
