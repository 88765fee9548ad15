// A small map view for the tools' tests, with an empty catalogue to which a
// fixture adds the layer it needs.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/layer_classes.h"
#include "foundation/settings/settings.h"
#include "layers/store/layerfile.h"
#include "layers/tree/layertree.h"
#include "layers/tree/sublayer.h"
#include "objects/layerobjects.h"
#include "objects/linestylelib.h"
#include "platform/gui/application.h"
#include "platform/gui/messages.h"
#include "platform/gui/responder.h"
#include "common/scratch_folder.h"
#include "view/krzyzconf.h"
#include "view/tvview.h"
#include "view/viewcfg.h"

// A view of 200 x 100 pixels showing world X 0..100 (up) and Y 0..200, one
// unit a pixel, over settings in a scratch folder, with a catalogue
// "Katalog" and no layers yet. The sight is 5 units either way; the sound
// signal is off; the errors tools show are kept; modal windows are answered
// by the responder.
//
// A derived fixture calls SetUp first and then adds its layer with
// AddLayer; its TearDown puts back what it set up itself in ReleaseMore,
// which runs after the view has gone and before the common settings go.
class SmallMapTest : public ::testing::Test {
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

    auto catalogue = std::make_unique<TKatalogWarstw>(nullptr, "Katalog", nullptr, "", "", view->GetCanvas());
    catalogue_ = catalogue.get();
    view->Root()->AddChild(std::move(catalogue));
  }

  void TearDown() override {
    view.reset();
    platform::PumpPostedMessages();
    responder.reset();
    ReleaseMore();
    SetKrzyzErrorDisplay({});
    ReleaseLineManager();
    SetLibraryErrorBox(nullptr);
    UnregisterLayerObjectClasses();
    FreeGlobalnaKonfiguracja();
  }

  // What a derived fixture set up beyond the common settings, put back
  // after the view has gone.
  virtual void ReleaseMore() {}

  // Adds a layer of Kind named Name to the catalogue and returns its first
  // sublayer as T, or nullptr when that sublayer is not a T. Fill, when
  // given, fills the sublayer first; then it is marked loaded, the layer and
  // the sublayer are shown and the sublayer is marked drawn, as a redraw at
  // this scale would have found it (so tools search it).
  template <class T>
  T* AddLayer(std::uint32_t Kind, const std::string& Name, const std::function<void(T&)>& Fill = {}) {
    TMainWarstwaHeader header;
    header.Kind = Kind;
    auto made = std::make_unique<TWarstwa>(nullptr, nullptr, header, Name, view->GetCanvas());
    TWarstwa* layer = made.get();
    catalogue_->AddChild(std::move(made));
    auto* first = dynamic_cast<T*>(layer->Sublayer(0));
    if (first == nullptr) return nullptr;
    if (Fill) Fill(*first);
    first->MarkLoaded();
    layer->SetVisible(true);
    first->SetVisible(true);
    first->SetFlag(kNodeDrawn);
    return first;
  }

  ScratchFolder scratch_;
  std::unique_ptr<platform::TScriptedResponder> responder =
      std::make_unique<platform::TScriptedResponder>([](const std::string& m) { ADD_FAILURE() << m; });
  std::unique_ptr<TTvView> view;
  std::vector<std::string> errors;

private:
  TKatalogWarstw* catalogue_ = nullptr;
};
