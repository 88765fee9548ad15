// The redraw thread against the GUI thread: one thread draws a view's tree
// (root, catalogue, layer, sublayers) again and again while the test's
// thread adds, replaces and deletes objects of a sublayer and adds and
// removes sublayers of the layer, as the editing tools and the layer panel
// do. scripts/test runs the suites named RedrawConcurrency* under
// ThreadSanitizer (build/tsan); the other builds check that nothing is lost
// or freed twice.
#include <atomic>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "drawing/canvascfg.h"
#include "drawing/dim_fixture.h"
#include "foundation/settings/settings.h"
#include "drawing/realcanvas.h"
#include "objects/styledcanvas.h"
#include "layers/store/layerfile.h"
#include "layers/tree/layertree.h"
#include "layers/tree/objectlist.h"
#include "layers/tree/sublayer.h"
#include "objects/grobj.h"
#include "objects/layerobjects.h"
#include "objects/saverecord.h"
#include "platform/paint/gdiimage.h"
#include "common/layer_classes.h"

namespace {

ObjectSaveRecord Line(double x, double y, std::uint32_t ident) {
  ObjectSaveRecord r;
  r.SetKindByte(0);
  r.SetDouble(kRecP1X, x);
  r.SetDouble(kRecP1Y, y);
  r.SetDouble(kRecP2X, x + 5);
  r.SetDouble(kRecP2Y, y + 7);
  r.SetIdentifier(ident);
  return r;
}

class RedrawConcurrencyTreeTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterLayerObjectClasses(); }
  void TearDown() override {
    UnregisterLayerObjectClasses();
  }
};

TEST_F(RedrawConcurrencyTreeTest, EditsAndSublayerChangesWhileTheTreeIsDrawn) {
  platform::TBitmap bitmap(200, 100);
  TWindowDim dim = MakeDim(0, 0, 100, 200, 200, 100);
  TKonfiguracja konf;
  TDefRealCanvas canvas(&bitmap.Canvas(), konf, &dim);

  // A tree without files: nothing here opens one.
  TBazaWarstw root("Widok");
  auto catalogue = std::make_unique<TKatalogWarstw>(nullptr, "Katalog", nullptr, "", "", &canvas);
  TKatalogWarstw* cat = catalogue.get();
  root.AddChild(std::move(catalogue));
  TMainWarstwaHeader header;
  header.Kind = 1;
  auto owned = std::make_unique<TWarstwa>(nullptr, nullptr, header, "LINIE", &canvas);
  TWarstwa* layer = owned.get();
  cat->AddChild(std::move(owned));
  TPodwarstwa* sub = layer->Sublayer(0);
  std::uint32_t ident = 1;
  for (int i = 0; i < 200; ++i) sub->AddObject(sub->CreateObjectFromRecord(Line(i % 90, i % 190, ident++)).release());
  layer->SetVisible(true);
  ASSERT_TRUE(sub->IsShown());

  std::atomic<bool> stop{false};
  std::atomic<int> draws{0};
  std::thread redraw([&] {
    while (!stop.load()) {
      root.Draw(canvas);
      draws.fetch_add(1);
    }
  });

  std::mt19937 rng(5);
  for (int step = 0; step < 3000; ++step) {
    const int count = sub->Objects()->Count();
    switch (step % 4) {
      case 0:
      case 1:
        sub->AddObject(sub->CreateObjectFromRecord(Line(rng() % 90, rng() % 190, ident++)).release());
        break;
      case 2:
        if (count > 0) {
          TEGraphObj* old = sub->GetObjectAt(static_cast<int>(rng() % static_cast<unsigned>(count)));
          sub->ReplaceObject(old, sub->CreateObjectFromRecord(Line(rng() % 90, rng() % 190, ident++)).release());
        }
        break;
      case 3:
        if (count > 0) sub->DeleteObject(sub->GetObjectAt(static_cast<int>(rng() % static_cast<unsigned>(count))));
        break;
    }
    // Now and then the layer panel adds and drops a sublayer.
    if (step % 100 == 50) {
      auto extra = std::make_unique<TPodwarstwaLiniowa>(nullptr, nullptr, layer->GetCount(), &canvas);
      TPodwarstwa* e = extra.get();
      layer->AddChild(std::move(extra));
      e->AddObject(e->CreateObjectFromRecord(Line(10, 10, ident++)).release());
      e->SetVisible(true);
      std::this_thread::yield();
      layer->RemoveChild(e).reset();
    }
  }
  // At least a few drawings overlapped the edits.
  while (draws.load() < 3) std::this_thread::yield();
  stop.store(true);
  redraw.join();

  EXPECT_EQ(layer->GetCount(), 1);
  // 1500 added, 750 replaced (count kept), 750 deleted.
  EXPECT_EQ(sub->Objects()->Count(), 200 + 1500 - 750);
}

}  // namespace
