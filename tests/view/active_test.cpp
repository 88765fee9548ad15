// The view's active sublayers (activation, release, the read-only refusal,
// the notices to the main window, the caption, the presets and the type
// mask), the layer panel's tree, the overlay painter, the marker entry
// points and the measurement window.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <algorithm>
#include <fstream>
#include <optional>
#include <sstream>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/example_set_folder.h"
#include "common/layer_classes.h"
#include "drawing/canvascfg.h"
#include "foundation/errors.h"
#include "foundation/settings/settings.h"
#include "layers/store/layerapi.h"
#include "layers/store/layerfile.h"
#include "layers/tree/objectlist.h"
#include "layers/store/warstwafile.h"
#include "layers/tree/layertree.h"
#include "layers/tree/sublayer.h"
#include "layers/tree/treehost.h"
#include "objects/layerobjects.h"
#include "objects/linestylelib.h"
#include "objects/symbollib.h"
#include "objects/saverecord.h"
#include "objects/scalecorri.h"
#include "objects/styledcanvas.h"
#include "platform/gui/application.h"
#include "platform/gui/controls.h"
#include "platform/gui/controls_grids.h"
#include "platform/gui/controls_std.h"
#include "platform/files/faultinject.h"
#include "platform/paint/gdiimage.h"
#include "platform/gui/messages.h"
#include "platform/gui/responder.h"
#include "common/scratch_folder.h"
#include "view/tvview.h"
#include "view/viewcfg.h"
#include "view/viewhost.h"

namespace {

using platform::TColor;

constexpr int kWidth = 200;
constexpr int kHeight = 100;
constexpr TColor kBackground = 0x00E0E0E0;
constexpr TColor kRed = platform::clRed;
constexpr TColor kBlue = platform::clBlue;

// What the neighbours of the view were asked.
struct Calls {
  std::vector<std::string> captions;
  std::vector<std::string> markers;  // "<marker>:<call>"
  int rulers = 0;
  int dialogsMade = 0;
  std::vector<std::vector<double>> measured;
  int modalResult = platform::mrOk;
};

class FakeDocument : public TViewDocumentI {
 public:
  explicit FakeDocument(Calls& C) : calls(C) {}
  void SetDocumentCaption(const std::string& Caption) override { calls.captions.push_back(Caption); }
  Calls& calls;
};

class FakeMarker : public TViewMarkerI {
 public:
  FakeMarker(Calls& C, std::string Name) : calls(C), name(std::move(Name)) {}
  void Clear() override { Log("Clear"); }
  void AddPoint(double X, double Y) override {
    Log("AddPoint " + std::to_string(static_cast<int>(X)) + " " + std::to_string(static_cast<int>(Y)));
  }
  void SelectVisible(const TWindowDim& Window) override { Log("SelectVisible"); }
  void ResetVisible() override { Log("ResetVisible"); }
  void MakeCurrent() override { Log("MakeCurrent"); }
  void Command(std::int32_t Tag) override { Log("Command " + std::to_string(Tag)); }
  void Log(const std::string& What) { calls.markers.push_back(name + ":" + What); }
  Calls& calls;
  std::string name;
};

class FakeMarkerItem : public TPaintItem {
 public:
  FakeMarkerItem(Calls& C, std::string Name) : calls(C), name(std::move(Name)) {}
  void MakeCurrent() override { calls.markers.push_back(name + ":MakeCurrent"); }
  Calls& calls;
  std::string name;
};

class FakeDialog : public TMeasureDialogI {
 public:
  explicit FakeDialog(Calls& C) : calls(C) {}
  void SetValues(double Sum, double Distance, double DX, double DY) override {
    calls.measured.push_back({Sum, Distance, DX, DY});
  }
  int ShowModal() override { return calls.modalResult; }
  Calls& calls;
};

class FakeServices : public TViewServicesI {
 public:
  explicit FakeServices(Calls& C) : calls(C) {}
  std::unique_ptr<TPaintItem> CreateRectMarker(TTvView&) override {
    return std::make_unique<FakeMarkerItem>(calls, "rect");
  }
  std::unique_ptr<TPaintItem> CreatePolygonMarker(TTvView&) override {
    return std::make_unique<FakeMarkerItem>(calls, "polygon");
  }
  void CreateViewMarkers(TTvView&, std::vector<std::unique_ptr<TViewMarkerI>>& Markers) override {
    for (int i = 1; i <= 4; ++i) Markers.push_back(std::make_unique<FakeMarker>(calls, "m" + std::to_string(i)));
  }
  std::unique_ptr<TMeasureDialogI> CreateMeasureDialog(TTvView&) override {
    if (!makeDialogs) return nullptr;
    ++calls.dialogsMade;
    return std::make_unique<FakeDialog>(calls);
  }
  void ShowRulerScale(double) override { ++calls.rulers; }
  Calls& calls;
  bool makeDialogs = true;
};

// Counts the repaints the view asks for.
class CountingView : public TTvView {
 public:
  using TTvView::TTvView;
  void Invalidate() override {
    ++invalidations;
    TTvView::Invalidate();
  }
  int invalidations = 0;
};

// A line sublayer whose save fails, and a text sublayer that counts its saves.
class FailingLines : public TPodwarstwaLiniowa {
 public:
  using TPodwarstwaLiniowa::TPodwarstwaLiniowa;
  void Save() override {
    ++saves;
    throw EInOutError("Błąd zapisu warstwy");
  }
  int saves = 0;
};
class CountingTexts : public TPodwarstwaTextowa {
 public:
  using TPodwarstwaTextowa::TPodwarstwaTextowa;
  void Save() override { ++saves; }
  int saves = 0;
};

class OverlayProbe : public TOverlayPainter {
 public:
  explicit OverlayProbe(bool& Freed) : freed(Freed) {}
  ~OverlayProbe() override { freed = true; }
  bool& freed;
};

// A view over a small tree: root "Przyklad", catalogue "Katalog" with the
// line layer "LINIE" (sublayer 0 shown, 1 hidden) and the text layer
// "OPISY" (sublayer 0). The main window's notices are recorded.
class ActiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::EnsureApplication();
    SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(scratch_ / "tolvika.ini"));
    TTvViewCfg& cfg = TvViewCfgCreate();
    cfg.RozmiarX = kWidth;
    cfg.RozmiarY = kHeight;
    cfg.KolorTla = kBackground;
    responder_ = std::make_unique<platform::TScriptedResponder>([](const std::string& m) { ADD_FAILURE() << m; });
    RegisterLayerObjectClasses();
    SetLibraryErrorBox([](const std::string&) {});
    notices_ = platform::RegisterWindow([this](std::uint32_t msg, std::uintptr_t w, std::intptr_t) -> std::intptr_t {
      // Only the notices of the active sublayers: the lists that the
      // sublayers make and drop post theirs too.
      if (msg == kMsgMainFormNotify && w == TTvView::kMainFormActiveChanged) notices.push_back(w);
      return 0;
    });
    SetMainFormWindow(notices_);
    SetViewServices(&services_);

    view_ = std::make_unique<CountingView>(&document_);
    // One pixel a unit, X up: world (X, Y) is pixel (Y, 100 - X).
    TWindowDim& d = *view_->Dims();
    d.X1 = 0;
    d.Y1 = 0;
    d.X2 = kHeight;
    d.Y2 = kWidth;
    d.SetDeviceSize(kWidth, kHeight);

    TDefRealCanvas* canvas = view_->GetCanvas();
    view_->Root()->Name = "Przyklad";
    auto catalogue = std::make_unique<TKatalogWarstw>(nullptr, "Katalog", nullptr, "", "", canvas);
    catalogue_ = catalogue.get();
    view_->Root()->AddChild(std::move(catalogue));
    TMainWarstwaHeader header;
    header.Kind = 1;
    auto lines = std::make_unique<TWarstwa>(nullptr, nullptr, header, "LINIE", canvas);
    lines_ = lines.get();
    catalogue_->AddChild(std::move(lines));
    header.Kind = 0;
    auto texts = std::make_unique<TWarstwa>(nullptr, nullptr, header, "OPISY", canvas);
    textLayer_ = texts.get();
    catalogue_->AddChild(std::move(texts));

    line_ = dynamic_cast<TPodwarstwaLiniowa*>(lines_->Sublayer(0));
    text_ = dynamic_cast<TPodwarstwaTextowa*>(textLayer_->Sublayer(0));
    ASSERT_NE(line_, nullptr);
    ASSERT_NE(text_, nullptr);
    auto second = std::make_unique<TPodwarstwaLiniowa>(nullptr, nullptr, 1, canvas);
    hidden_ = second.get();
    lines_->AddChild(std::move(second));
    line_->Colour = kBlue;
    hidden_->Colour = kRed;
    line_->LineStyle = LineManager().GetLine(1);
    hidden_->LineStyle = LineManager().GetLine(1);
    line_->AddObject(line_->CreateObjectFromRecord(LineRecord(50, 20, 50, 180)).release());
    hidden_->AddObject(hidden_->CreateObjectFromRecord(LineRecord(30, 20, 30, 180)).release());
    hidden_->MarkLoaded();
    line_->MarkLoaded();
    lines_->SetVisible(true);
    line_->SetVisible(true);
    hidden_->SetVisible(false);
  }

  void TearDown() override {
    view_.reset();
    platform::PumpPostedMessages();
    SetViewServices(nullptr);
    SetMainFormWindow(0);
    platform::UnregisterWindow(notices_);
    ReleaseLineManager();
    SetLibraryErrorBox(nullptr);
    UnregisterLayerObjectClasses();
    responder_.reset();
    FreeGlobalnaKonfiguracja();
  }

  // The notices posted since the last call.
  std::vector<std::uintptr_t> TakeNotices() {
    platform::PumpPostedMessages();
    return std::exchange(notices, {});
  }

  void Settle() {
    view_->WaitForRedraw(false);
    // The threads' end notices come through the message queue.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (view_->RedrawCount() > 0 && std::chrono::steady_clock::now() < deadline) {
      platform::PumpPostedMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(view_->RedrawCount(), 0);
  }

  int Count(TColor C) const {
    int n = 0;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        if (view_->BackBitmap()->Pixel(x, y) == C) ++n;
    return n;
  }

  ScratchFolder scratch_;
  std::unique_ptr<platform::TScriptedResponder> responder_;
  Calls calls_;
  FakeDocument document_{calls_};
  FakeServices services_{calls_};
  platform::HWND notices_ = 0;
  std::vector<std::uintptr_t> notices;
  // What the overlay probes report; they live as long as the view.
  bool freed_[2] = {false, false};
  int paints_ = 0;
  int markerSeen_ = 0;  // 1: the tree stood when a marker went, -1: gone
  std::unique_ptr<CountingView> view_;
  TKatalogWarstw* catalogue_ = nullptr;
  TWarstwa* lines_ = nullptr;
  TWarstwa* textLayer_ = nullptr;
  TPodwarstwaLiniowa* line_ = nullptr;
  TPodwarstwaLiniowa* hidden_ = nullptr;
  TPodwarstwaTextowa* text_ = nullptr;
};

const std::vector<std::uintptr_t> kOneNotice{TTvView::kMainFormActiveChanged};

// --- Activation and release -------------------------------------------------------

TEST_F(ActiveTest, EachKindGoesToItsOwnSideAndTheSelectedMarkFollows) {
  view_->SetActivePodwarstwa(line_);
  EXPECT_EQ(view_->ActiveLine, line_);
  EXPECT_EQ(view_->ActiveText, nullptr);
  EXPECT_TRUE(line_->IsActive());
  EXPECT_EQ(TakeNotices(), kOneNotice);

  view_->SetActivePodwarstwa(text_);
  EXPECT_EQ(view_->ActiveLine, line_);
  EXPECT_EQ(view_->ActiveText, text_);
  EXPECT_TRUE(text_->IsActive());
  EXPECT_EQ(TakeNotices(), kOneNotice);

  // Another line sublayer takes the line side; the old one loses its mark.
  view_->SetActivePodwarstwa(hidden_);
  EXPECT_EQ(view_->ActiveLine, hidden_);
  EXPECT_FALSE(line_->IsActive());
  EXPECT_TRUE(hidden_->IsActive());
  EXPECT_EQ(view_->ActiveText, text_);
  EXPECT_EQ(TakeNotices(), kOneNotice);

  // A node of another kind is not kept, but the notice still goes.
  view_->SetActivePodwarstwa(lines_);
  EXPECT_EQ(view_->ActiveLine, hidden_);
  EXPECT_EQ(view_->ActiveText, text_);
  EXPECT_EQ(TakeNotices(), kOneNotice);
  Settle();
}

TEST_F(ActiveTest, ReadOnlySublayerIsRefusedAndNothingChanges) {
  view_->SetActivePodwarstwa(line_);
  TakeNotices();
  calls_.captions.clear();
  text_->SetFlag(kNodeReadOnly);
  try {
    view_->SetActivePodwarstwa(text_);
    ADD_FAILURE() << "no error";
  } catch (const ETolvikaError& e) {
    EXPECT_EQ(e.Message(), "Próba uaktywnienia warstwy tylko do odczytu");
  }
  EXPECT_EQ(view_->ActiveLine, line_);
  EXPECT_EQ(view_->ActiveText, nullptr);
  EXPECT_FALSE(text_->IsActive());
  EXPECT_TRUE(TakeNotices().empty());
  EXPECT_TRUE(calls_.captions.empty());
}

TEST_F(ActiveTest, TheActiveSublayerAgainOrReleasingAnotherPostsNothing) {
  view_->SetActivePodwarstwa(line_);
  view_->SetActivePodwarstwa(text_);
  TakeNotices();
  calls_.captions.clear();

  view_->SetActivePodwarstwa(line_);
  view_->SetActivePodwarstwa(text_);
  view_->ReleaseActiveWarstwa(hidden_);
  view_->ReleaseActiveWarstwa(nullptr);
  EXPECT_TRUE(TakeNotices().empty());
  EXPECT_TRUE(calls_.captions.empty());
  EXPECT_EQ(view_->ActiveLine, line_);
  EXPECT_EQ(view_->ActiveText, text_);
}

TEST_F(ActiveTest, ReleaseClearsOnlyItsSide) {
  view_->SetActivePodwarstwa(line_);
  view_->SetActivePodwarstwa(text_);
  TakeNotices();
  view_->ReleaseActiveWarstwa(text_);
  EXPECT_EQ(view_->ActiveLine, line_);
  EXPECT_EQ(view_->ActiveText, nullptr);
  EXPECT_FALSE(text_->IsActive());
  EXPECT_EQ(TakeNotices(), kOneNotice);
  view_->ReleaseActiveWarstwa(line_);
  EXPECT_EQ(view_->ActiveLine, nullptr);
  EXPECT_FALSE(line_->IsActive());
  EXPECT_EQ(TakeNotices(), kOneNotice);
  EXPECT_EQ(calls_.captions.back(), "Przyklad");
}

TEST_F(ActiveTest, RemovingABranchLetsGoOfTheActiveSublayersInsideIt) {
  view_->SetActivePodwarstwa(line_);
  view_->SetActivePodwarstwa(text_);
  view_->ActiveNode = hidden_;
  // A node outside the view's top level changes nothing.
  EXPECT_EQ(view_->RemoveWarstwa(lines_), nullptr);
  EXPECT_EQ(view_->ActiveLine, line_);
  std::unique_ptr<TWarstwaOgolna> branch = view_->RemoveWarstwa(catalogue_);
  ASSERT_NE(branch, nullptr);
  EXPECT_EQ(view_->ActiveLine, nullptr);
  EXPECT_EQ(view_->ActiveText, nullptr);
  EXPECT_EQ(view_->ActiveNode, nullptr);
  EXPECT_FALSE(line_->IsActive());
  EXPECT_FALSE(text_->IsActive());
  branch.reset();
  Settle();
}

TEST_F(ActiveTest, NoneIsPostedOnceWhateverWasActive) {
  struct Case {
    const char* name;
    bool line, text;
  };
  for (const Case& c : {Case{"nothing", false, false}, Case{"line", true, false}, Case{"both", true, true}}) {
    SCOPED_TRACE(c.name);
    if (c.line) view_->SetActivePodwarstwa(line_);
    if (c.text) view_->SetActivePodwarstwa(text_);
    TakeNotices();
    view_->SetActivePodwarstwa(nullptr);
    EXPECT_EQ(TakeNotices(), kOneNotice);
    EXPECT_EQ(view_->ActiveLine, nullptr);
    EXPECT_EQ(view_->ActiveText, nullptr);
    EXPECT_FALSE(line_->IsActive());
    EXPECT_FALSE(text_->IsActive());
    EXPECT_EQ(calls_.captions.back(), "Przyklad");
  }
}

TEST_F(ActiveTest, PresetsNeverCarryOverToAnotherSublayer) {
  struct Case {
    const char* name;
    std::function<void(TTvView&)> step;
    std::uint32_t line, text;  // flags words after the step
  };
  auto second = std::make_unique<TPodwarstwaTextowa>(nullptr, nullptr, 1, view_->GetCanvas());
  TPodwarstwaTextowa* otherText = second.get();
  textLayer_->AddChild(std::move(second));
  const std::vector<Case> cases = {
      {"another line", [&](TTvView& v) { v.SetActivePodwarstwa(hidden_); }, 0, 7},
      {"another text", [&](TTvView& v) { v.SetActivePodwarstwa(otherText); }, 5, 0},
      {"the same line again", [&](TTvView& v) { v.SetActivePodwarstwa(line_); }, 5, 7},
      {"line released", [&](TTvView& v) { v.ReleaseActiveWarstwa(line_); }, 0, 7},
      {"text released", [&](TTvView& v) { v.ReleaseActiveWarstwa(text_); }, 5, 0},
      {"a sublayer not active released", [&](TTvView& v) { v.ReleaseActiveWarstwa(hidden_); }, 5, 7},
      {"none", [&](TTvView& v) { v.SetActivePodwarstwa(nullptr); }, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    view_->SetActivePodwarstwa(nullptr);
    view_->SetActivePodwarstwa(line_);
    view_->SetActivePodwarstwa(text_);
    view_->LinePresets.Flags = 5;
    view_->LinePresets.Scale = 2.5f;
    view_->TextPresets.Flags = 7;
    c.step(*view_);
    EXPECT_EQ(view_->LinePresets.Flags, c.line);
    EXPECT_EQ(view_->TextPresets.Flags, c.text);
    // Only the flags word goes: the values stay for the next item to fill.
    EXPECT_EQ(view_->LinePresets.Scale, 2.5f);
  }
  Settle();
}

TEST_F(ActiveTest, HiddenLineSublayerIsShownAndDrawnAlone) {
  view_->StartRedraw();
  Settle();
  ASSERT_EQ(Count(kRed), 0);
  const int blue = Count(kBlue);
  ASSERT_GT(blue, 0);

  // Activating a shown sublayer draws nothing.
  view_->SetActivePodwarstwa(line_);
  EXPECT_EQ(view_->RedrawCount(), 0);

  view_->SetActivePodwarstwa(hidden_);
  EXPECT_TRUE(hidden_->IsVisible());
  EXPECT_TRUE(hidden_->IsShown());
  EXPECT_EQ(view_->RedrawCount(), 1);
  EXPECT_FALSE(view_->RedrawPending());
  Settle();
  // Drawn over the image as it was: not a full redraw.
  EXPECT_EQ(Count(kRed), 160);
  EXPECT_EQ(Count(kBlue), blue);
}

TEST_F(ActiveTest, CaptionNamesTheActiveSublayers) {
  struct Case {
    const char* name;
    bool line, text;
    std::string caption;
  };
  const std::vector<Case> cases = {
      {"none", false, false, "Przyklad"},
      {"text only", false, true, "Przyklad - OPISY ( 0)"},
      {"line only", true, false, "Przyklad - LINIE ( 0)"},
      {"both", true, true, "Przyklad - LINIE ( 0), OPISY ( 0)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    view_->SetActivePodwarstwa(nullptr);
    if (c.line) view_->SetActivePodwarstwa(line_);
    if (c.text) view_->SetActivePodwarstwa(text_);
    ASSERT_FALSE(calls_.captions.empty());
    EXPECT_EQ(calls_.captions.back(), c.caption);
  }
}

TEST_F(ActiveTest, TypeMaskLeavesReadOnlySublayersOut) {
  struct Case {
    const char* name;
    bool line, text, lineReadOnly, textReadOnly;
    std::uint32_t mask;
  };
  const std::vector<Case> cases = {
      {"none", false, false, false, false, 0},
      {"line", true, false, false, false, kMaskLine | kMaskSublayer},
      {"text", false, true, false, false, kMaskText | kMaskSublayer},
      {"both", true, true, false, false, kMaskLine | kMaskText | kMaskSublayer},
      {"line read-only", true, true, true, false, kMaskText | kMaskSublayer},
      {"both read-only", true, true, true, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    line_->ClearFlag(kNodeReadOnly);
    text_->ClearFlag(kNodeReadOnly);
    view_->SetActivePodwarstwa(nullptr);
    if (c.line) view_->SetActivePodwarstwa(line_);
    if (c.text) view_->SetActivePodwarstwa(text_);
    // A sublayer may turn read-only while it is active (its file was
    // reopened for reading).
    line_->SetFlag(kNodeReadOnly, c.lineReadOnly);
    text_->SetFlag(kNodeReadOnly, c.textReadOnly);
    EXPECT_EQ(view_->ActiveTypeMask(), c.mask);
  }
}

TEST_F(ActiveTest, TextsAreSavedWhenTheLinesFailAndTheFailureReachesTheCaller) {
  TDefRealCanvas* canvas = view_->GetCanvas();
  auto failing = std::make_unique<FailingLines>(nullptr, nullptr, 2, canvas);
  auto counting = std::make_unique<CountingTexts>(nullptr, nullptr, 1, canvas);
  FailingLines* lines = failing.get();
  CountingTexts* texts = counting.get();
  lines_->AddChild(std::move(failing));
  textLayer_->AddChild(std::move(counting));
  view_->SetActivePodwarstwa(lines);
  view_->SetActivePodwarstwa(texts);
  EXPECT_THROW(view_->SaveActiveWarstwy(), EInOutError);
  EXPECT_EQ(lines->saves, 1);
  EXPECT_EQ(texts->saves, 1);

  // Only what is active is saved.
  view_->ReleaseActiveWarstwa(lines);
  view_->SaveActiveWarstwy();
  EXPECT_EQ(lines->saves, 1);
  EXPECT_EQ(texts->saves, 2);
  view_->SetActivePodwarstwa(nullptr);
  view_->SaveActiveWarstwy();
  EXPECT_EQ(texts->saves, 2);
}

// --- The layer panel's tree ----------------------------------------------------

TEST_F(ActiveTest, LayerTreeSelectsTheRememberedNodeElseTheRoot) {
  platform::TTreeView tree;
  view_->FillLayerTree(tree);
  ASSERT_NE(tree.Selected(), nullptr);
  EXPECT_EQ(tree.Selected(), view_->Root()->GetTreeNode());
  EXPECT_EQ(tree.Selected()->Text(), "Przyklad");
  EXPECT_EQ(tree.Count(), 1 + 1 + 2 + 2 + 1);  // root, catalogue, two layers, their sublayers

  // The panel remembers its node, clears its tree and fills it again.
  view_->SetActiveWarstwa(textLayer_);
  EXPECT_EQ(view_->ActiveNode, textLayer_);
  EXPECT_EQ(view_->Root()->GetTreeNode(), nullptr);
  EXPECT_EQ(text_->GetTreeNode(), nullptr);
  tree.Clear();
  view_->FillLayerTree(tree);
  ASSERT_NE(tree.Selected(), nullptr);
  EXPECT_EQ(tree.Selected(), textLayer_->GetTreeNode());
  EXPECT_EQ(tree.Selected()->Data(), static_cast<void*>(static_cast<TWarstwaOgolna*>(textLayer_)));

  // A node that has no item in this tree (taken out of the tree meanwhile)
  // gives the root's.
  auto detached = std::make_unique<TGrupaWarstw>("Poza");
  view_->SetActiveWarstwa(detached.get());
  tree.Clear();
  view_->FillLayerTree(tree);
  EXPECT_EQ(tree.Selected(), view_->Root()->GetTreeNode());
  view_->SetActiveWarstwa(nullptr);
  tree.Clear();
}

TEST_F(ActiveTest, LayerTreeByTypeListsTheMatchingTopNodes) {
  auto other = std::make_unique<TKatalogWarstw>(nullptr, "Puste", nullptr, "", "", view_->GetCanvas());
  view_->Root()->AddChild(std::move(other));
  struct Case {
    const char* name;
    std::uint32_t mask;
    std::vector<std::string> tops;
  };
  const std::vector<Case> cases = {
      {"lines", kMaskLine, {"Katalog"}},
      {"texts", kMaskText, {"Katalog"}},
      {"rasters", 0x20000, {}},
      {"nothing", 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::TTreeView tree;
    view_->FillLayerTreeByType(tree, c.mask);
    std::vector<std::string> tops;
    for (int i = 0; i < tree.TopCount(); ++i) tops.push_back(tree.TopItems(i)->Text());
    EXPECT_EQ(tops, c.tops);
    if (!tops.empty()) {
      // The subtree comes with it.
      EXPECT_EQ(tree.Count(), 1 + 2 + 3);
    }
    view_->Root()->DetachTreeNode();
  }
}

// --- Overlay ---------------------------------------------------------------------

TEST_F(ActiveTest, ReplacingTheOverlayFreesTheOldOne) {
  const std::size_t items = view_->PaintItems.size();
  bool& firstFreed = freed_[0];
  bool& secondFreed = freed_[1];
  auto first = std::make_unique<OverlayProbe>(firstFreed);
  TOverlayPainter* firstRaw = first.get();
  view_->invalidations = 0;
  view_->SetPaintInPaint(std::move(first));
  EXPECT_EQ(view_->OverlayPainter(), firstRaw);
  EXPECT_EQ(view_->PaintItems.size(), items + 1);
  EXPECT_EQ(view_->PaintItems.back().get(), firstRaw);
  EXPECT_EQ(view_->invalidations, 1);

  view_->SetPaintInPaint(std::make_unique<OverlayProbe>(secondFreed));
  EXPECT_TRUE(firstFreed);
  EXPECT_FALSE(secondFreed);
  EXPECT_EQ(view_->PaintItems.size(), items + 1);
  EXPECT_EQ(view_->invalidations, 3);

  view_->SetPaintInPaint(nullptr);
  EXPECT_TRUE(secondFreed);
  EXPECT_EQ(view_->OverlayPainter(), nullptr);
  EXPECT_EQ(view_->PaintItems.size(), items);
  EXPECT_EQ(view_->invalidations, 4);
  // The marker items stay.
  view_->SetPaintInPaint(nullptr);
  EXPECT_EQ(view_->PaintItems.size(), items);
  EXPECT_EQ(view_->invalidations, 4);
}

TEST_F(ActiveTest, OverlayVisibilityRepaintsOnlyOnAChange) {
  EXPECT_FALSE(view_->OverlayVisible());
  view_->SetOverlayVisible(true);  // no overlay: nothing
  EXPECT_FALSE(view_->OverlayVisible());

  view_->SetPaintInPaint(std::make_unique<OverlayProbe>(freed_[0]));
  struct Case {
    bool set;
    bool visible;
    int repaints;
  };
  for (const Case& c : {Case{false, false, 0}, Case{true, true, 1}, Case{true, true, 0}, Case{false, false, 1}}) {
    SCOPED_TRACE(c.set);
    view_->invalidations = 0;
    view_->SetOverlayVisible(c.set);
    EXPECT_EQ(view_->OverlayVisible(), c.visible);
    EXPECT_EQ(view_->OverlayPainter()->Visible(), c.visible);
    EXPECT_EQ(view_->invalidations, c.repaints);
  }
  view_->invalidations = 0;
  view_->InvalidateOverlay();
  EXPECT_EQ(view_->invalidations, 1);
}

TEST_F(ActiveTest, ViewIsPaintedWithTheVisibleOverlay) {
  class Filler : public TOverlayPainter {
   public:
    explicit Filler(int& P) : paints(P) {}
    void Paint(TDefRealCanvas&) override { ++paints; }
    int& paints;
  };
  view_->SetPaintInPaint(std::make_unique<Filler>(paints_));
  view_->PaintNow();
  EXPECT_EQ(paints_, 0);
  view_->SetOverlayVisible(true);
  view_->PaintNow();
  EXPECT_EQ(paints_, 1);
}

// --- Markers and the measurement window ------------------------------------------------

TEST_F(ActiveTest, MarkerEntryPointsReachTheLastViewMarker) {
  ASSERT_EQ(view_->ViewMarkers.size(), 4u);
  view_->ClearLastViewMarker();
  view_->AddToLastViewMarker(10, 20);
  view_->ShowLastViewMarker();
  view_->ViewMarkerCommand(1, 7);
  view_->ViewMarkerCommand(4, 7);   // out of range: nothing
  view_->ViewMarkerCommand(-1, 7);  // nothing
  EXPECT_EQ(calls_.markers, (std::vector<std::string>{"m4:Clear", "m4:AddPoint 10 20", "m4:SelectVisible",
                                                      "m4:ResetVisible", "m2:Command 7"}));
}

TEST_F(ActiveTest, MakingMarkersCurrentReachesEveryMarkerTheRulerAndTheToolButton) {
  platform::TSpeedButton button;
  button.SetGroupIndex(1);
  button.SetAllowAllUp(true);
  view_->Krzyz()->Button = &button;
  view_->MakeMarkersCurrent();
  EXPECT_EQ(calls_.markers, (std::vector<std::string>{"m1:MakeCurrent", "m2:MakeCurrent", "m3:MakeCurrent",
                                                      "m4:MakeCurrent", "rect:MakeCurrent",
                                                      "polygon:MakeCurrent"}));
  EXPECT_EQ(calls_.rulers, 1);
  EXPECT_TRUE(button.Down());
  view_->Krzyz()->Button = nullptr;
}

TEST_F(ActiveTest, MarkersGoBeforeTheViewTakesItsTreeDown) {
  // A marker may still look at its view while it goes (a marker set that
  // forgets the view's points).
  class WatchingMarker : public TViewMarkerI {
   public:
    WatchingMarker(TTvView& V, int& Seen) : view(V), seen(Seen) {}
    ~WatchingMarker() override { seen = view.Root() != nullptr ? 1 : -1; }
    TTvView& view;
    int& seen;
  };
  view_->ViewMarkers.push_back(std::make_unique<WatchingMarker>(*view_, markerSeen_));
  view_.reset();
  EXPECT_EQ(markerSeen_, 1);
}

TEST_F(ActiveTest, ViewWithoutMarkersIgnoresTheEntryPoints) {
  SetViewServices(nullptr);
  CountingView bare;
  EXPECT_TRUE(bare.ViewMarkers.empty());
  bare.ClearLastViewMarker();
  bare.AddToLastViewMarker(1, 2);
  bare.ShowLastViewMarker();
  bare.ViewMarkerCommand(0, 1);
  bare.MakeMarkersCurrent();
  EXPECT_FALSE(bare.ShowMeasureResult(TRealPoint{0, 0}, TRealPoint{3, 4}, 1));
  SetViewServices(&services_);
}

class ConstantCorrection : public IScaleCorrection {
 public:
  double GetCorrectionAt(const TRealPoint&) const override { return 100000.0; }  // 10%
};

TEST_F(ActiveTest, MeasurementShowsTheValuesInOrderAndAnswersCancel) {
  EXPECT_FALSE(view_->ShowMeasureResult(TRealPoint{1, 1}, TRealPoint{-3, 4}, 12.5));
  ASSERT_EQ(calls_.measured.size(), 1u);
  EXPECT_EQ(calls_.measured[0], (std::vector<double>{12.5, 5.0, 3.0, 4.0}));

  ConstantCorrection correction;
  view_->DistanceParam = &correction;
  calls_.modalResult = platform::mrCancel;
  EXPECT_TRUE(view_->ShowMeasureResult(TRealPoint{1, 1}, TRealPoint{6, -8}, 0));
  ASSERT_EQ(calls_.measured.size(), 2u);
  EXPECT_DOUBLE_EQ(calls_.measured[1][1], 9.0);
  EXPECT_EQ(calls_.measured[1][2], 6.0);
  EXPECT_EQ(calls_.measured[1][3], 8.0);
  // One window for the view's life.
  EXPECT_EQ(calls_.dialogsMade, 1);
  view_->DistanceParam = nullptr;
}

// --- Saving to the layer files -------------------------------------------------------

// The example set attached to a view: real layer files behind the sublayers.
class ActiveFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::EnsureApplication();
    exampleSet_.emplace(scratch_ / "set");
    SetLibraryErrorBox([](const std::string&) {});
    SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>("tolvika.ini"));
    responder_ = std::make_unique<platform::TScriptedResponder>([](const std::string& m) { ADD_FAILURE() << m; });
    store_ = std::make_unique<TLayerStore>("baza.ini");
    base_ = DBInt::OpenBase(*store_, 0, "Przyklad");
    view_ = std::make_unique<TTvView>();
    view_->AttachBaza(store_.get(), base_);
    view_->WaitForRedraw(false);
    platform::PumpPostedMessages();
  }
  void TearDown() override {
    view_.reset();
    platform::PumpPostedMessages();
    store_.reset();
    responder_.reset();
    ReleaseSymbolManager();
    ReleaseLineManager();
    FreeGlobalnaKonfiguracja();
    SetLibraryErrorBox(nullptr);
    exampleSet_.reset();
  }

  // The first sublayer of kind T that holds objects once its layer is read.
  template <class T>
  T* FirstWithObjects() {
    std::vector<TWarstwaOgolna*> pending{view_->Root()};
    while (!pending.empty()) {
      TWarstwaOgolna* node = pending.front();
      pending.erase(pending.begin());
      if (auto* group = dynamic_cast<TGrupaWarstw*>(node)) {
        for (int i = 0; i < group->GetCount(); ++i) pending.push_back(group->GetItem(i));
      } else if (auto* sub = dynamic_cast<T*>(node); sub != nullptr && sub->FileHandle != nullptr) {
        sub->Load(nullptr, nullptr);
        if (sub->Objects() != nullptr && sub->Objects()->Count() > 0) return sub;
      }
    }
    return nullptr;
  }

  static std::string Bytes(const std::string& Path) {
    std::ifstream in(Path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  static std::string LocalPath(const TPodwarstwa& Sub) {
    std::string path = Sub.FileHandle->Path();
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
  }

  ScratchFolder scratch_;
  std::optional<ExampleSetFolder> exampleSet_;
  std::unique_ptr<platform::TScriptedResponder> responder_;
  std::unique_ptr<TLayerStore> store_;
  TBaza* base_ = nullptr;
  std::unique_ptr<TTvView> view_;
};

TEST_F(ActiveFileTest, FailedWriteOfTheLinesStillSavesTheTextsAndLeavesTheLineFileAlone) {
  TPodwarstwaLiniowa* lines = FirstWithObjects<TPodwarstwaLiniowa>();
  TPodwarstwaTextowa* texts = FirstWithObjects<TPodwarstwaTextowa>();
  ASSERT_NE(lines, nullptr);
  ASSERT_NE(texts, nullptr);
  const std::string linePath = LocalPath(*lines);
  ASSERT_NE(linePath, LocalPath(*texts));
  view_->SetActivePodwarstwa(lines);
  view_->SetActivePodwarstwa(texts);

  TEGraphObj* line = lines->Objects()->Get(0);
  TEGraphObj* text = texts->Objects()->Get(0);
  line->MarkChanged();
  text->MarkChanged();
  const std::string before = Bytes(linePath);
  ASSERT_FALSE(before.empty());
  {
    const std::string name = linePath.substr(linePath.find_last_of('/') + 1);
    platform::FaultScope fault({platform::FaultOp::Write, 1, true, name});
    EXPECT_THROW(view_->SaveActiveWarstwy(), Exception);
    EXPECT_TRUE(platform::FaultStruck());
  }
  EXPECT_EQ(Bytes(linePath), before);
  // The line stays changed for the next save; the text was written.
  EXPECT_TRUE(line->IsChanged());
  EXPECT_FALSE(text->IsChanged());

  view_->SaveActiveWarstwy();
  EXPECT_FALSE(line->IsChanged());
  view_->WaitForRedraw(false);
}

}  // namespace
