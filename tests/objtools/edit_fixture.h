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

#include "common/layer_classes.h"
#include "foundation/settings.h"
#include "layers/layerfile.h"
#include "layers/layertree.h"
#include "layers/sublayer.h"
#include "layers/undo.h"
#include "objects/layerline.h"
#include "objects/layerobjects.h"
#include "objects/linestylelib.h"
#include "objects/point.h"
#include "objects/saverecord.h"
#include "objects/styledcanvas.h"
#include "objtools/edittool.h"
#include "objtools/objeditors.h"
#include "platform/application.h"
#include "platform/messages.h"
#include "platform/responder.h"
#include "platform/scratch_folder.h"
#include "view/krzyzconf.h"
#include "view/latchdialog.h"
#include "view/tvview.h"
#include "view/viewcfg.h"

// A view of 200 x 100 pixels showing world X 0..100 (up) and Y 0..200, one
// unit a pixel (a handle box is 15 units wide), with a shown line sublayer
// and the registered object editors. The sound signal is off; the errors
// tools show are kept; modal windows are answered by the responder.
class EditMapTest : public ::testing::Test {
protected:
  // The colour the edited object is drawn in while it is dragged.
  static constexpr std::int32_t kEraseColour = 0xFFFFFF;

  void SetUp() override {
    platform::EnsureApplication();
    SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(scratch_ / "tolvika.ini"));
    TTvViewCfg& cfg = TvViewCfgCreate();
    cfg.RozmiarX = 200;
    cfg.RozmiarY = 100;
    RegisterLayerObjectClasses();
    RegisterObjectEditors();
    SetLibraryErrorBox([](const std::string&) {});
    SetKrzyzErrorDisplay([this](const std::string& Text) { errors.push_back(Text); });
    TKrzyzConf& conf = KrzyzConf();
    conf.Signal = false;
    conf.CelownikW = 5;
    conf.CelownikH = 5;
    conf.DigitizerOn = 0;
    conf.RysujKrzyz = false;
    conf.SnapType = 0;

    view = std::make_unique<TTvView>();
    view->State |= TTvView::kExternalPointer;
    TWindowDim& d = *view->Dims();
    d.X1 = 0;
    d.Y1 = 0;
    d.X2 = 100;
    d.Y2 = 200;
    d.SetDeviceSize(200, 100);

    TDefRealCanvas* canvas = view->GetCanvas();
    auto catalogue = std::make_unique<TKatalogWarstw>(nullptr, "Katalog", nullptr, "", "", canvas);
    TKatalogWarstw* cat = catalogue.get();
    view->Root()->AddChild(std::move(catalogue));
    TMainWarstwaHeader header;
    header.Kind = 1;
    auto lines = std::make_unique<TWarstwa>(nullptr, nullptr, header, "LINIE", canvas);
    TWarstwa* layer = lines.get();
    cat->AddChild(std::move(lines));
    sub = dynamic_cast<TPodwarstwaLiniowa*>(layer->Sublayer(0));
    ASSERT_NE(sub, nullptr);
    sub->LineStyle = LineManager().GetLine(1);
    sub->MarkLoaded();
    layer->SetVisible(true);
    sub->SetVisible(true);
    sub->SetFlag(kNodeDrawn);
  }

  void TearDown() override {
    view.reset();
    platform::PumpPostedMessages();
    responder.reset();
    SetObjectEditors(nullptr);
    SetKrzyzErrorDisplay({});
    ReleaseLineManager();
    SetLibraryErrorBox(nullptr);
    UnregisterLayerObjectClasses();
    FreeGlobalnaKonfiguracja();
  }

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
    std::unique_ptr<TKrzyz> made = ObjectEditors()->MakeEditTool(Kind, *edited, sub, -1, *view->GetCanvas(),
                                                                  kEraseColour, false);
    auto* tool = dynamic_cast<TEditGraphObjKrzyz*>(made.get());
    EXPECT_NE(tool, nullptr);
    tool->OnFinish = [this](TKrzyz* Sender, std::int32_t) { FinishEdit(*static_cast<TEditGraphObjKrzyz*>(Sender)); };
    tool->Data.reset(run.Old);
    view->SetKrzyz(std::move(made));
    return *tool;
  }

  void FinishEdit(TEditGraphObjKrzyz& Tool) {
    TUndoManager& undo = *view->GetUndoManager();
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

  ScratchFolder scratch_;
  std::unique_ptr<platform::TScriptedResponder> responder =
      std::make_unique<platform::TScriptedResponder>([](const std::string& m) { ADD_FAILURE() << m; });
  std::unique_ptr<TTvView> view;
  TPodwarstwaLiniowa* sub = nullptr;
  EditRun run;
  std::vector<std::string> errors;
};
