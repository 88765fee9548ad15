// The background redraw of a map view: threads chained and stopped, jobs
// queued behind a full redraw, errors shown by the GUI thread, the view closed
// while a thread draws, paint during a redraw, and the pixels of a small tree.
// Test nodes whose drawing waits at a gate the test opens make the order of
// events fixed; every wait is bounded. scripts/test runs the suites named
// ViewRedraw* once more under ThreadSanitizer.
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "drawing/canvascfg.h"
#include "drawing/realcanvas.h"
#include "foundation/errors.h"
#include "foundation/settings/settings.h"
#include "layers/store/layerfile.h"
#include "layers/tree/layertree.h"
#include "layers/tree/sublayer.h"
#include "objects/layerobjects.h"
#include "objects/linestylelib.h"
#include "objects/saverecord.h"
#include "objects/styledcanvas.h"
#include "objects/symbollib.h"
#include "platform/gui/application.h"
#include "platform/gui/dialogs.h"
#include "platform/paint/gdiimage.h"
#include "platform/gui/messages.h"
#include "platform/gui/responder.h"
#include "common/scratch_folder.h"
#include "view/krzyz.h"
#include "view/krzyzconf.h"
#include "view/tvview.h"
#include "view/viewcfg.h"
#include "common/layer_classes.h"

namespace {

using namespace std::chrono_literals;
using platform::TColor;
using platform::TGdiRect;

constexpr int kWidth = 200;
constexpr int kHeight = 100;
constexpr TColor kBackground = 0x00E0E0E0;
constexpr TColor kRed = platform::clRed;
constexpr TColor kGreen = 0x00008000;
constexpr TColor kBlue = platform::clBlue;
// How long a test waits for anything before it gives up.
constexpr auto kPatience = 10s;

// Takes queued messages and calls until Done holds or the patience ends.
bool PumpUntil(const std::function<bool()>& Done) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  for (;;) {
    platform::PumpPostedMessages();
    if (Done()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(1ms);
  }
}

// Waits, taking nothing from the queue, until Done holds or the patience
// ends.
bool WaitUntil(const std::function<bool()>& Done) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (!Done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

// The order in which the test nodes drew, across all of them.
std::atomic<int> g_sequence{0};

// What a test node saw; shared, so that the test may read it after the node
// has gone with its tree.
struct TNodeLog {
  std::atomic<int> Entered{0};   // a drawing came in
  std::atomic<int> Drawn{0};     // Draw filled its rectangle
  std::atomic<int> Left{0};      // a drawing that came in returned or raised
  std::atomic<int> Order{-1};    // the sequence number of the last fill
  platform::TEvent EnteredEvent{true, false};
  std::mutex Lock;
  std::thread::id Thread;        // the thread of the last call
};

// A node that fills its rectangle of the image with the colour it had when
// the drawing came in. While its gate is closed it waits, leaving with the
// canvas's abort when it is stopped; Fail, when set, raises instead of
// drawing.
class TTestNode : public TWarstwaOgolna {
public:
  TTestNode(const std::string& NodeName, const TGdiRect& Rect, TColor Colour)
      : Log(std::make_shared<TNodeLog>()), rect_(Rect), colour_(Colour) {
    Name = NodeName;
  }

  void Draw(TRealCanvas& Canvas) override {
    // A stopped thread does not come in; one that does takes the colour
    // the node has now.
    Canvas.TestAbort();
    struct TLeave {
      TNodeLog& Log;
      ~TLeave() { Log.Left.fetch_add(1); }
    } leave{*Log};
    const TColor colour = colour_.load();
    {
      std::lock_guard<std::mutex> lock(Log->Lock);
      Log->Thread = std::this_thread::get_id();
    }
    Log->Entered.fetch_add(1);
    Log->EnteredEvent.SetEvent();
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (Gate.WaitFor(2) != platform::TWaitResult::Signaled) {
      if (Canvas.GetAbort() && FailOnAbort) FailOnAbort();
      Canvas.TestAbort();
      if (std::chrono::steady_clock::now() > deadline) throw EInternalError("gate never opened");
    }
    // A thread stopped meanwhile draws nothing more.
    Canvas.TestAbort();
    if (Fail) Fail();
    {
      platform::TCanvasLock lock(*Canvas.Canvas);
      platform::TBrush brush;
      brush.Color = colour;
      Canvas.Canvas->FillRect(rect_, brush);
    }
    Log->Order.store(g_sequence.fetch_add(1));
    Log->Drawn.fetch_add(1);
  }
  TRealRect GetObszar() override { return TRealRect{0, 0, 1, 1}; }
  bool IsVisible() const override { return true; }
  bool IsLoaded() const override { return true; }
  bool IsShown() const override { return true; }
  void SetVisibleAll(bool) override {}
  void AddObject(TEGraphObj*) override {}

  void SetColour(TColor C) { colour_.store(C); }
  std::thread::id Thread() const {
    std::lock_guard<std::mutex> lock(Log->Lock);
    return Log->Thread;
  }

  std::shared_ptr<TNodeLog> Log;
  platform::TEvent Gate{true, true};
  std::function<void()> Fail;
  std::function<void()> FailOnAbort;

private:
  TGdiRect rect_;
  std::atomic<TColor> colour_;
};

// A tool that counts how often its figures were drawn.
class TCountingTool : public TKrzyz {
public:
  TCountingTool() : TKrzyz(0, nullptr) {}
  void DrawCursor() override { ++Draws; }
  int Draws = 0;
};

// A paint item that counts its paints.
class TCountingItem : public TPaintItem {
public:
  bool Visible() const override { return true; }
  void Paint(TDefRealCanvas&) override { ++Paints; }
  int Paints = 0;
};

class ViewRedrawTest : public ::testing::Test {
protected:
  void SetUp() override {
    platform::EnsureApplication();
    SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(scratch_ / "tolvika.ini"));
    TTvViewCfg& cfg = TvViewCfgCreate();
    cfg.RozmiarX = kWidth;
    cfg.RozmiarY = kHeight;
    cfg.KolorTla = kBackground;
    cfg.RefreshInterval = 20;
    responder_ = std::make_unique<platform::TScriptedResponder>([](const std::string& m) { ADD_FAILURE() << m; });
    view_ = std::make_unique<TTvView>();
    // One pixel a unit, X up: world (X, Y) is pixel (Y, 100 - X).
    TWindowDim& d = *view_->Dims();
    d.X1 = 0;
    d.Y1 = 0;
    d.X2 = kHeight;
    d.Y2 = kWidth;
    d.SetDeviceSize(kWidth, kHeight);
  }

  void TearDown() override {
    view_.reset();
    platform::PumpPostedMessages();
    responder_.reset();
    FreeGlobalnaKonfiguracja();
  }

  TTestNode* AddNode(const std::string& Name, const TGdiRect& Rect, TColor Colour) {
    auto node = std::make_unique<TTestNode>(Name, Rect, Colour);
    TTestNode* raw = node.get();
    view_->Root()->AddChild(std::move(node));
    return raw;
  }

  // Waits for every thread and takes their end notices.
  void Settle() {
    view_->WaitForRedraw(false);
    ASSERT_TRUE(PumpUntil([&] { return view_->RedrawCount() == 0; })) << view_->RedrawCount();
  }

  static bool WaitEntered(TTestNode* Node) {
    return Node->Log->EnteredEvent.WaitFor(10000) == platform::TWaitResult::Signaled;
  }

  // The pixel the control shows after a repaint.
  TColor Shown(int X, int Y) {
    view_->PaintNow();
    return view_->PixelAt(X, Y);
  }
  TColor Image(int X, int Y) const { return view_->BackBitmap()->Pixel(X, Y); }

  ScratchFolder scratch_;
  std::unique_ptr<platform::TScriptedResponder> responder_;
  std::unique_ptr<TTvView> view_;
};

TEST_F(ViewRedrawTest, TenQuickFullRedrawsKeepNineThreadsAndShowTheLastImage) {
  TTestNode* node = AddNode("A", TGdiRect{10, 10, 30, 30}, kRed);
  node->Gate.ResetEvent();
  int most = 0;
  for (int i = 0; i < 9; ++i) {
    view_->StartRedraw();
    most = std::max(most, view_->RedrawCount());
  }
  EXPECT_EQ(most, kMaxRedrawThreads);
  EXPECT_FALSE(view_->RedrawPending());
  // The ninth thread has drawn up to the node with the map as it was (the
  // one thread at the gate, the canvas not told to abort: the stopped ones
  // have ended) ...
  TDefRealCanvas* canvas = view_->GetCanvas();
  ASSERT_TRUE(WaitUntil([&] {
    return node->Log->Entered.load() - node->Log->Left.load() == 1 && !canvas->GetAbort();
  }));
  ASSERT_EQ(view_->RedrawCount(), kMaxRedrawThreads);
  // ... when the map changes and a tenth redraw is asked for while nine
  // threads live: it is kept, not dropped.
  node->SetColour(kGreen);
  view_->StartRedraw();
  EXPECT_EQ(view_->RedrawCount(), kMaxRedrawThreads);
  EXPECT_TRUE(view_->RedrawPending());
  EXPECT_NE(view_->State & TTvView::kRedrawing, 0);

  node->Gate.SetEvent();
  ASSERT_TRUE(PumpUntil([&] {
    most = std::max(most, view_->RedrawCount());
    return view_->RedrawCount() == 0;
  }));
  EXPECT_EQ(most, kMaxRedrawThreads);
  EXPECT_FALSE(view_->RedrawPending());
  EXPECT_EQ(view_->State & TTvView::kRedrawing, 0);
  EXPECT_EQ(platform::Application().ScreenCursor(), platform::crDefault);
  // Only the thread of the last request drew; the stopped ones drew nothing.
  EXPECT_EQ(node->Log->Drawn.load(), 1);
  EXPECT_EQ(Image(20, 20), kGreen);
  EXPECT_EQ(Shown(20, 20), kGreen);
  EXPECT_EQ(Shown(100, 80), kBackground);
}

TEST_F(ViewRedrawTest, QueuedNodeIsDrawnAfterTheFullMapByTheSameThread) {
  TTestNode* map = AddNode("A", TGdiRect{0, 0, 50, 50}, kRed);
  map->Gate.ResetEvent();
  TTestNode extra("B", TGdiRect{40, 40, 60, 60}, kBlue);

  view_->StartRedraw();
  ASSERT_TRUE(WaitEntered(map));
  view_->QueueRedraw(&extra);
  EXPECT_EQ(view_->RedrawCount(), 1);
  map->Gate.SetEvent();
  Settle();

  EXPECT_EQ(map->Log->Drawn.load(), 1);
  EXPECT_EQ(extra.Log->Drawn.load(), 1);
  EXPECT_EQ(extra.Thread(), map->Thread());
  EXPECT_GT(extra.Log->Order.load(), map->Log->Order.load());
  // The queued node lies over the map where they meet.
  EXPECT_EQ(Image(45, 45), kBlue);
  EXPECT_EQ(Image(30, 30), kRed);
}

TEST_F(ViewRedrawTest, QueuedNodeWithoutARunningThreadDrawsOverTheImage) {
  TTestNode* map = AddNode("A", TGdiRect{0, 0, 50, 50}, kRed);
  view_->StartRedraw();
  Settle();
  ASSERT_EQ(Image(10, 10), kRed);

  TTestNode extra("B", TGdiRect{100, 20, 120, 40}, kBlue);
  view_->QueueRedraw(&extra);
  EXPECT_NE(view_->State & TTvView::kRedrawing, 0);
  Settle();
  EXPECT_EQ(extra.Log->Drawn.load(), 1);
  // Not a full redraw: the image was not cleared and the tree not drawn.
  EXPECT_EQ(map->Log->Drawn.load(), 1);
  EXPECT_EQ(Image(10, 10), kRed);
  EXPECT_EQ(Image(110, 30), kBlue);

  view_->QueueRedraw(nullptr);
  EXPECT_EQ(view_->RedrawCount(), 0);
}

TEST_F(ViewRedrawTest, EveryQueuedJobIsDrawnOnce) {
  // Jobs offered while threads finish their work: each one is taken by the
  // running thread or refused and given a thread of its own, never lost.
  TTestNode job("J", TGdiRect{0, 0, 1, 1}, kRed);
  constexpr int kJobs = 300;
  for (int i = 0; i < kJobs; ++i) {
    view_->QueueRedraw(&job);
    if (i % 7 == 0) platform::PumpPostedMessages();
    if (i % 50 == 0) std::this_thread::sleep_for(1ms);
  }
  Settle();
  EXPECT_EQ(job.Log->Drawn.load(), kJobs);
}

TEST_F(ViewRedrawTest, ViewClosedDuringARedrawWaitsForTheThread) {
  TTestNode* node = AddNode("A", TGdiRect{0, 0, 10, 10}, kRed);
  node->Gate.ResetEvent();
  const std::shared_ptr<TNodeLog> log = node->Log;
  TTestNode extra("B", TGdiRect{0, 0, 10, 10}, kBlue);

  view_->StartRedraw();
  ASSERT_TRUE(WaitEntered(node));
  view_->QueueRedraw(&extra);
  view_.reset();
  // The thread left the tree before the view freed it.
  EXPECT_EQ(log->Left.load(), 1);
  EXPECT_EQ(log->Drawn.load(), 0);
  EXPECT_EQ(extra.Log->Drawn.load(), 0);
  // The end notice and repaint requests find the view gone.
  platform::PumpPostedMessages();
  EXPECT_EQ(platform::Application().ScreenCursor(), platform::crDefault);
}

struct TErrorCase {
  const char* Name;
  std::function<void()> Raise;
  bool Shown;
  const char* Text;
  const char* Caption;  // null: the program's title
};

TEST_F(ViewRedrawTest, DrawingErrorIsShownOnceByTheGuiThread) {
  const TErrorCase cases[] = {
      // The tree puts the path of the node before its message (the root of
      // a view without a base has no name).
      {"error of the system", [] { throw ETvError("Uszkodzony obiekt"); }, true, ", E, Uszkodzony obiekt", nullptr},
      {"standard error", [] { throw std::runtime_error("brak pamięci"); }, true, ", E, brak pamięci", nullptr},
      {"not an exception", [] { throw 7; }, true, "Error", "Unknown exception"},
      {"drawing refused", [] { throw EDrawError("PolyPolyLine error 87"); }, false, "", nullptr},
      {"abort", [] { throw EAbort(); }, false, "", nullptr},
  };
  for (const TErrorCase& c : cases) {
    SCOPED_TRACE(c.Name);
    platform::TScriptedResponder responder([](const std::string& m) { ADD_FAILURE() << m; });
    TTestNode* node = AddNode("E", TGdiRect{0, 0, 10, 10}, kRed);
    node->Gate.ResetEvent();
    node->Fail = c.Raise;
    TTestNode job("J", TGdiRect{20, 0, 30, 10}, kBlue);
    if (c.Shown) responder.AnswerMessageBox(platform::IDOK);

    view_->StartRedraw();
    ASSERT_TRUE(WaitEntered(node));
    view_->QueueRedraw(&job);
    node->Gate.SetEvent();
    view_->WaitForRedraw(false);
    // Nothing is shown from the drawing thread.
    EXPECT_TRUE(responder.Shown().empty());
    Settle();
    ASSERT_EQ(responder.Shown().size(), c.Shown ? 1u : 0u);
    if (c.Shown) {
      EXPECT_EQ(responder.Shown()[0].text, c.Text);
      EXPECT_EQ(responder.Shown()[0].caption, c.Caption != nullptr ? c.Caption : platform::Application().Title());
    }
    // The jobs behind the error are dropped.
    EXPECT_EQ(job.Log->Drawn.load(), 0);
    view_->RemoveWarstwa(node).reset();
  }
}

TEST_F(ViewRedrawTest, WaitForRedrawWithStopEndsWhileAnErrorIsQueued) {
  TTestNode* node = AddNode("E", TGdiRect{0, 0, 10, 10}, kRed);
  node->Gate.ResetEvent();
  node->FailOnAbort = [] { throw ETvError("Przerwany rysunek"); };
  responder_->AnswerMessageBox(platform::IDOK);

  view_->StartRedraw();
  ASSERT_TRUE(WaitEntered(node));
  EXPECT_TRUE(view_->WaitForRedraw(true));
  EXPECT_EQ(node->Log->Left.load(), 1);
  EXPECT_TRUE(responder_->Shown().empty());
  Settle();
  ASSERT_EQ(responder_->Shown().size(), 1u);
  EXPECT_EQ(responder_->Shown()[0].text, ", E, Przerwany rysunek");
  // Without a thread there is nothing to wait for.
  EXPECT_FALSE(view_->WaitForRedraw(true));
}

TEST_F(ViewRedrawTest, PaintDuringARedrawShowsThePartialImageWithoutFigures) {
  AddNode("A", TGdiRect{0, 0, 40, 40}, kRed);
  TTestNode* later = AddNode("B", TGdiRect{100, 0, 140, 40}, kBlue);
  later->Gate.ResetEvent();
  auto item = std::make_unique<TCountingItem>();
  TCountingItem* counting = item.get();
  view_->PaintItems.push_back(std::move(item));
  auto tool = std::make_unique<TCountingTool>();
  TCountingTool* figures = tool.get();
  view_->SetKrzyz(std::move(tool));
  figures->ShowCursor();
  figures->Draws = 0;

  view_->StartRedraw();
  ASSERT_TRUE(WaitEntered(later));
  view_->InvalidateAll();
  EXPECT_EQ(Shown(20, 20), kRed);
  EXPECT_EQ(Shown(120, 20), kBackground);
  EXPECT_EQ(counting->Paints, 0);
  EXPECT_EQ(figures->Draws, 0);

  later->Gate.SetEvent();
  Settle();
  EXPECT_EQ(Shown(120, 20), kBlue);
  EXPECT_GE(counting->Paints, 1);
  EXPECT_GE(figures->Draws, 1);
}

TEST_F(ViewRedrawTest, HeldImageIsNotCopiedWhileARedrawRuns) {
  // Code that draws straight onto the window marks the image stale; paint
  // leaves the window alone until a thread has redrawn the image.
  AddNode("A", TGdiRect{0, 0, 40, 40}, kRed);
  TTestNode* later = AddNode("B", TGdiRect{100, 0, 140, 40}, kBlue);
  view_->StartRedraw();
  Settle();
  ASSERT_EQ(Shown(20, 20), kRed);

  later->Gate.ResetEvent();
  later->SetColour(kGreen);
  view_->GetCanvas()->SetStateBit7(true);
  view_->StartRedraw();
  ASSERT_TRUE(WaitEntered(later));
  view_->InvalidateAll();
  // Still the old picture, not the half-drawn image.
  EXPECT_EQ(Shown(120, 20), kBlue);
  later->Gate.SetEvent();
  Settle();
  EXPECT_FALSE(view_->GetCanvas()->GetStateBit7());
  EXPECT_EQ(Shown(120, 20), kGreen);
}

TEST_F(ViewRedrawTest, ExternalPointerIsDrawnAtItsPoint) {
  view_->StartRedraw();
  Settle();
  // World (40, 60) is pixel (60, 60).
  view_->ExternalPoint = TRealPoint{40, 60};
  view_->State |= TTvView::kExternalPointer;
  view_->InvalidateAll();
  EXPECT_EQ(Shown(60, 60), platform::clBlack);
  EXPECT_EQ(Shown(60 + 5, 60), platform::clBlack);
  EXPECT_EQ(Shown(65, 65), kBackground);

  // Outside the window, or without a cursor, nothing is drawn.
  view_->ExternalPoint = TRealPoint{40, 500};
  view_->InvalidateAll();
  EXPECT_EQ(Shown(60, 60), kBackground);
  view_->ExternalPoint = TRealPoint{40, 60};
  view_->SetCursor(platform::crNone);
  view_->InvalidateAll();
  EXPECT_EQ(Shown(60, 60), kBackground);
}

// --- A small tree of real sublayers ---

class ViewRedrawTreeTest : public ViewRedrawTest {
protected:
  void SetUp() override {
    ViewRedrawTest::SetUp();
    RegisterLayerObjectClasses();
    // The built-in line styles (no library file): style 1 is a plain line.
    SetLibraryErrorBox([](const std::string&) {});
    TDefRealCanvas* canvas = view_->GetCanvas();
    auto catalogue = std::make_unique<TKatalogWarstw>(nullptr, "Katalog", nullptr, "", "", canvas);
    TKatalogWarstw* cat = catalogue.get();
    view_->Root()->AddChild(std::move(catalogue));
    TMainWarstwaHeader header;
    header.Kind = 1;
    auto layer = std::make_unique<TWarstwa>(nullptr, nullptr, header, "LINIE", canvas);
    layer_ = layer.get();
    cat->AddChild(std::move(layer));
    shown_ = layer_->Sublayer(0);
    auto second = std::make_unique<TPodwarstwaLiniowa>(nullptr, nullptr, 1, canvas);
    hidden_ = second.get();
    layer_->AddChild(std::move(second));
    shown_->Colour = kBlue;
    hidden_->Colour = kRed;
    for (TPodwarstwa* sub : {shown_, hidden_})
      static_cast<TPodwarstwaLiniowa*>(sub)->LineStyle = LineManager().GetLine(1);
    // A row across the image (world X 50 is row 50) and a column.
    shown_->AddObject(shown_->CreateObjectFromRecord(LineRecord(50, 20, 50, 180)).release());
    shown_->AddObject(shown_->CreateObjectFromRecord(LineRecord(10, 150, 90, 150)).release());
    hidden_->AddObject(hidden_->CreateObjectFromRecord(LineRecord(30, 20, 30, 180)).release());
    hidden_->MarkLoaded();
    layer_->SetVisible(true);
    shown_->SetVisible(true);
    hidden_->SetVisible(false);
  }
  void TearDown() override {
    // The tree goes with the view, then the styles it used, then the
    // settings the library subscribed to.
    view_.reset();
    platform::PumpPostedMessages();
    ReleaseLineManager();
    SetLibraryErrorBox(nullptr);
    ViewRedrawTest::TearDown();
    UnregisterLayerObjectClasses();
  }

  int Count(TColor C) const {
    int n = 0;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        if (Image(x, y) == C) ++n;
    return n;
  }

  TWarstwa* layer_ = nullptr;
  TPodwarstwa* shown_ = nullptr;
  TPodwarstwa* hidden_ = nullptr;
};

TEST_F(ViewRedrawTreeTest, SmallTreeIsRedrawnPixelForPixel) {
  ASSERT_TRUE(shown_->IsShown());
  ASSERT_FALSE(hidden_->IsShown());
  view_->StartRedraw();
  Settle();

  // The row from column 20 up to 180 (its last pixel left out) and the
  // column from row 90 up to row 10.
  for (int x = 20; x < 180; ++x) EXPECT_EQ(Image(x, 50), kBlue) << x;
  for (int y = 11; y <= 90; ++y) EXPECT_EQ(Image(150, y), kBlue) << y;
  EXPECT_EQ(Image(19, 50), kBackground);
  EXPECT_EQ(Image(20, 49), kBackground);
  EXPECT_EQ(Image(20, 51), kBackground);
  EXPECT_EQ(Count(kBlue), 160 + 80 - 1);
  // The hidden sublayer is not drawn; everything else is background.
  EXPECT_EQ(Count(kRed), 0);
  EXPECT_EQ(Count(kBackground), kWidth * kHeight - Count(kBlue));
  EXPECT_EQ(Shown(100, 50), kBlue);
  EXPECT_EQ(Shown(100, 30), kBackground);
}

TEST_F(ViewRedrawTreeTest, ObjectOfAShownSublayerIsDrawnAtOnce) {
  view_->StartRedraw();
  Settle();
  std::unique_ptr<TEGraphObj> added = shown_->CreateObjectFromRecord(LineRecord(70, 20, 70, 60));
  TEGraphObj* obj = added.get();
  shown_->AddObject(added.release());
  view_->RedrawPodwarstwa(TGrObjItem{obj, shown_});
  EXPECT_EQ(view_->RedrawCount(), 0);
  EXPECT_EQ(Shown(40, 30), kBlue);

  // A hidden sublayer's object is not drawn.
  std::unique_ptr<TEGraphObj> other = hidden_->CreateObjectFromRecord(LineRecord(80, 20, 80, 60));
  TEGraphObj* hiddenObj = other.get();
  hidden_->AddObject(other.release());
  view_->RedrawPodwarstwa(TGrObjItem{hiddenObj, hidden_});
  EXPECT_EQ(Shown(40, 20), kBackground);
}

TEST_F(ViewRedrawTest, ViewSettingsChangeResizesTheImageAndRedraws) {
  TTestNode* node = AddNode("A", TGdiRect{0, 0, 10, 10}, kRed);
  node->Gate.ResetEvent();
  view_->StartRedraw();
  ASSERT_TRUE(WaitEntered(node));

  TTvViewCfg& cfg = TvViewCfg();
  cfg.RozmiarX = 300;
  cfg.RozmiarY = 150;
  cfg.KolorTla = kGreen;
  cfg.NotifyChanged();
  // The running thread was stopped and waited for before the image changed;
  // a new one redraws it.
  EXPECT_EQ(node->Log->Left.load(), 1);
  EXPECT_EQ(node->Log->Drawn.load(), 0);
  EXPECT_NE(view_->State & TTvView::kRedrawing, 0);
  EXPECT_EQ(view_->BackBitmap()->Width(), 300);
  EXPECT_EQ(view_->BackBitmap()->Height(), 150);
  EXPECT_EQ(view_->Width(), 300);
  EXPECT_EQ(view_->Height(), 150);
  EXPECT_EQ(view_->Dims()->Width, 300);
  node->Gate.SetEvent();
  Settle();
  EXPECT_EQ(node->Log->Drawn.load(), 1);
  EXPECT_EQ(Image(250, 120), kGreen);
  EXPECT_EQ(Image(5, 5), kRed);
}

TEST_F(ViewRedrawTest, DisplaySettingsChangeStopsTheRedrawFirst) {
  TTestNode* node = AddNode("A", TGdiRect{0, 0, 10, 10}, kRed);
  node->Gate.ResetEvent();
  view_->StartRedraw();
  ASSERT_TRUE(WaitEntered(node));

  TCanvasCfg* global = GlobalnaKonfiguracja().FindGroup<TCanvasCfg>();
  ASSERT_NE(global, nullptr);
  global->NotifyChanging();
  // No thread draws with the settings while they change.
  EXPECT_EQ(node->Log->Left.load(), 1);
  EXPECT_EQ(node->Log->Drawn.load(), 0);
  global->FastDisplay = !global->FastDisplay;
  node->Gate.SetEvent();
  global->NotifyChanged();
  Settle();
  EXPECT_EQ(node->Log->Drawn.load(), 1);
  EXPECT_FALSE(view_->GetCanvas()->GetAbort());
}

}  // namespace
