// A map view with two lines for the snapping tools' tests.
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
#include "objects/layerobjects.h"
#include "objects/linestylelib.h"
#include "objects/saverecord.h"
#include "platform/application.h"
#include "platform/messages.h"
#include "platform/responder.h"
#include "platform/scratch_folder.h"
#include "view/krzyzconf.h"
#include "view/latchdialog.h"
#include "view/tvview.h"
#include "view/viewcfg.h"

// A view of 200 x 100 pixels showing world X 0..100 (up) and Y 0..200,
// one unit a pixel, with two lines in a shown line sublayer: A from (50, 20)
// to (50, 180) and B from (10, 100) to (90, 100), crossing at (50, 100).
// The sight is 5 units either way; the sound signal is off; the errors
// tools show are kept; modal windows are answered by the responder.
class LatchMapTest : public ::testing::Test {
protected:
  void SetUp() override {
    platform::EnsureApplication();
    SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(scratch_ / "tolvika.ini"));
    TTvViewCfg& cfg = TvViewCfgCreate();
    cfg.RozmiarX = 200;
    cfg.RozmiarY = 100;
    RegisterLayerObjectClasses();
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
    // Tools start where ExternalPoint says, not where the system pointer is.
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
    lineA = Add(50, 20, 50, 180);
    lineB = Add(10, 100, 90, 100);
    sub->MarkLoaded();
    layer->SetVisible(true);
    sub->SetVisible(true);
    // As a redraw at this scale would have found it: drawn, so searched.
    sub->SetFlag(kNodeDrawn);
  }

  void TearDown() override {
    view.reset();
    platform::PumpPostedMessages();
    responder.reset();
    SetKrzyzErrorDisplay({});
    ReleaseLineManager();
    SetLibraryErrorBox(nullptr);
    UnregisterLayerObjectClasses();
    FreeGlobalnaKonfiguracja();
  }

  TEGraphObj* Add(double X1, double Y1, double X2, double Y2) {
    auto obj = sub->CreateObjectFromRecord(LineRecord(X1, Y1, X2, Y2));
    TEGraphObj* raw = obj.get();
    sub->AddObject(obj.release());
    return raw;
  }

  // Makes Tool the view's current tool.
  template <class T>
  T& Install(std::unique_ptr<T> Tool) {
    T& t = *Tool;
    view->SetKrzyz(std::move(Tool));
    return t;
  }
  bool Click(TKrzyz& Tool, double X, double Y) {
    Tool.HandleMove(TRealPoint{X, Y});
    return Tool.HandleClick(TRealPoint{X, Y});
  }
  // The next snapping window ends with Result after Fill set its values.
  void Answer(int Result, std::function<void(TLatchDialog&)> Fill = {}) {
    responder->AnswerForm([Result, Fill](platform::TForm& form) {
      auto& d = dynamic_cast<TLatchDialog&>(form);
      if (Fill) Fill(d);
      form.SetModalResult(Result);
    });
  }
  static std::function<void(TLatchDialog&)> Values(std::uint8_t Mode, double A, double B, double Z = 0) {
    return [=](TLatchDialog& d) {
      d.SetInputMode(Mode);
      d.A = A;
      d.B = B;
      d.Z = Z;
    };
  }

  ScratchFolder scratch_;
  std::unique_ptr<platform::TScriptedResponder> responder =
      std::make_unique<platform::TScriptedResponder>([](const std::string& m) { ADD_FAILURE() << m; });
  std::unique_ptr<TTvView> view;
  TPodwarstwaLiniowa* sub = nullptr;
  TEGraphObj* lineA = nullptr;
  TEGraphObj* lineB = nullptr;
  std::vector<std::string> errors;
};
