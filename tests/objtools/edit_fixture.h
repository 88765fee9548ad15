// A map view with a line sublayer for the edit tools' tests, and the
// position edit as the view's command runs it: the picked object is cloned
// into the sublayer in its place (the clone is what the tool edits), the
// clone's edit tool runs as the view's tool with the old object kept by the
// tool, and the finish records one "Modyfikacja położenia" when a
// modification was completed, else puts the old object back.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "layers/tree/sublayer.h"
#include "layers/tree/undo.h"
#include "objects/layerline.h"
#include "objects/linestylelib.h"
#include "objects/point.h"
#include "objects/saverecord.h"
#include "objects/styledcanvas.h"
#include "objtools/edittool.h"
#include "objtools/objeditors.h"
#include "platform/gui/responder.h"
#include "view/latchdialog.h"
#include "view/small_map_fixture.h"

// The small map view (small_map_fixture.h; a handle box is 15 units wide)
// with a shown line sublayer "LINIE" and the registered object editors.
class EditMapTest : public SmallMapTest {
protected:
  // The colour the edited object is drawn in while it is dragged.
  static constexpr std::int32_t kEraseColour = 0xFFFFFF;

  void SetUp() override {
    SmallMapTest::SetUp();
    RegisterObjectEditors();
    sub = AddLayer<TPodwarstwaLiniowa>(1, "LINIE", [](TPodwarstwaLiniowa& Lines) {
      Lines.LineStyle = LineManager().GetLine(1);
    });
    ASSERT_NE(sub, nullptr);
  }

  void ReleaseMore() override { SetObjectEditors(nullptr); }

  // Puts Obj into the sublayer (which then owns it).
  template <class T>
  T* Add(std::unique_ptr<T> Obj) {
    T* raw = Obj.get();
    sub->AddObject(Obj.release());
    return raw;
  }
  TLinia* AddLine(double X1, double Y1, double X2, double Y2) {
    return Add(std::make_unique<TLinia>(TRealPoint{X1, Y1}, TRealPoint{X2, Y2}));
  }

  // What one run of the position edit left: the object the tool edits (in
  // the sublayer in place of the picked one), the picked object, and what
  // the finish saw.
  struct EditRun {
    TEGraphObj* Edited = nullptr;
    TEGraphObj* Old = nullptr;
    int Index = -1;
    bool Finished = false;
    bool Recorded = false;
  };

  // The position edit of Obj with the tool of Kind, installed as the view's
  // tool.
  TEditGraphObjKrzyz& StartEdit(TEGraphObj* Obj, TEditToolKind Kind) {
    TUndoManager& undo = *view->GetUndoManager();
    undo.SetLocked(true);
    run = EditRun{};
    run.Index = sub->IndexOfObject(Obj);
    EXPECT_GE(run.Index, 0);
    auto* edited = dynamic_cast<TLinTextObj*>(Obj->Clone().release());
    view->WaitForRedraw(false);
    run.Old = sub->RestoreAtIndex(run.Index, edited);
    run.Edited = edited;
    TEditToolPtr made = ObjectEditors()->MakeEditTool(Kind, *edited, sub, -1, *view->GetCanvas(),
                                                       kEraseColour, false);
    auto* tool = dynamic_cast<TEditGraphObjKrzyz*>(made.get());
    EXPECT_NE(tool, nullptr);
    // The view itself, not the fixture's pointer to it: a view that closes
    // ends its tool while the fixture's pointer is already cleared.
    tool->OnFinish = [this, v = view.get()](TKrzyz* Sender, std::int32_t) {
      FinishEdit(*v, *static_cast<TEditGraphObjKrzyz*>(Sender));
    };
    tool->Data.reset(run.Old);
    view->SetKrzyz(TakeEditTool(std::move(made)));
    return *tool;
  }

  void FinishEdit(TTvView& View, TEditGraphObjKrzyz& Tool) {
    TUndoManager& undo = *View.GetUndoManager();
    run.Finished = true;
    auto* old = static_cast<TEGraphObj*>(Tool.Data.get());
    if (Tool.EditIndex() == -2) {
      undo.Add(std::make_unique<TUndoOperation>(kUndoModify, old, Tool.Template(), sub, "Modyfikacja położenia"));
      run.Recorded = true;
    } else if (Tool.EditIndex() >= 0) {
      sub->ReplaceAtIndex(Tool.EditIndex(), old);
    } else {
      sub->ReplaceObject(Tool.Template(), old);
    }
    // The old object is the undo operation's or the sublayer's now.
    (void)Tool.Data.release();
    undo.SetLocked(false);
  }

  // Gestures in world coordinates.
  void Move(double X, double Y) { view->Krzyz()->HandleMove(TRealPoint{X, Y}); }
  bool Click(double X, double Y) {
    Move(X, Y);
    return view->Krzyz()->HandleClick(TRealPoint{X, Y});
  }
  // A pick at From, a drag and the completing click at To.
  bool Drag(double FromX, double FromY, double ToX, double ToY) {
    Click(FromX, FromY);
    return Click(ToX, ToY);
  }
  bool Backspace() { return view->Krzyz()->HandleBackspace(); }
  std::int32_t RightClick() {
    TRealPoint p;
    return view->Krzyz()->HandleRightClick(p, TPoint{10, 10});
  }
  // The next snapping window ends with Result.
  void Answer(int Result) {
    responder->AnswerForm([Result](platform::TForm& form) { form.SetModalResult(Result); });
  }

  TPodwarstwaLiniowa* sub = nullptr;
  EditRun run;
};
