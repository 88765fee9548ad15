// The map view control: hosting its tools (a tool replaced inside its own
// callback, errors of a tool), the mouse (right-click answers, a left click
// during a right click), the keys, the messages of the tool button and of
// the plug-in containers, the pointer, attaching a base with damaged layer
// files, and the order of freeing against a running redraw.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/example_set_folder.h"
#include "controls/smallwnd.h"
#include "drawing/realcanvas.h"
#include "drawing/strokefont.h"
#include "foundation/storage/bytes.h"
#include "foundation/errors.h"
#include "foundation/settings/settings.h"
#include "layers/store/dberrors.h"
#include "layers/store/layerapi.h"
#include "layers/store/layerfile.h"
#include "layers/store/layerformat.h"
#include "layers/tree/layertree.h"
#include "layers/tree/treehost.h"
#include "mkexamples/exampleset.h"
#include "objects/layerobjects.h"
#include "objects/linestylelib.h"
#include "objects/symbollib.h"
#include "platform/gui/application.h"
#include "platform/gui/controls_menus.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/dragframe.h"
#include "platform/files/faultinject.h"
#include "platform/gui/forms.h"
#include "platform/paint/gdiimage.h"
#include "platform/files/inifile.h"
#include "platform/gui/messages.h"
#include "platform/gui/responder.h"
#include "common/scratch_folder.h"
#include "view/hinttools.h"
#include "view/krzyz.h"
#include "view/krzyzconf.h"
#include "view/pointtools.h"
#include "view/tvview.h"
#include "view/viewcfg.h"
#include "view/viewhost.h"

namespace {

using layerfmt::kSubType;
using layerfmt::kSubWidth;
using layerfmt::SlotOffset;
using platform::TForm;
using platform::TMouseButton;
using platform::TScriptedResponder;

void Fail(const std::string& message) { ADD_FAILURE() << message; }

// What the view did with a tool, kept beyond the tool's life.
struct ToolLog {
  int clicks = 0;
  int rightClicks = 0;
  int backspaces = 0;
  int finishes = 0;
  std::vector<std::int32_t> keys;
  std::vector<TRealPoint> moves;
  bool destroyed = false;
};

// A tool that records what it is asked and answers as the test sets.
class ProbeTool : public TKrzyz {
 public:
  explicit ProbeTool(std::shared_ptr<ToolLog> Log, TKrzyzPointEvent OnPointEvent = nullptr,
                     std::uint32_t AStatus = 0)
      : TKrzyz(AStatus, std::move(OnPointEvent)), log(std::move(Log)) {
    OnFinish = [l = log](TKrzyz*, std::int32_t) { ++l->finishes; };
  }
  ~ProbeTool() override { log->destroyed = true; }

  std::shared_ptr<ToolLog> log;
  bool clickResult = true;
  std::int32_t remaining = 0;  // what Backspace leaves
  std::function<std::int32_t()> onRightClick = [] { return kRightNothing; };
  std::function<std::int32_t(std::int32_t)> onKey = [](std::int32_t) { return kKeyHandled; };
  std::function<void(const TRealPoint&)> onMove;

  bool Click(const TRealPoint&) override {
    ++log->clicks;
    return clickResult;
  }
  std::int32_t Move(const TRealPoint& Point) override {
    log->moves.push_back(Point);
    if (onMove) onMove(Point);
    return 0;
  }
  std::int32_t RightClick(TRealPoint&, const TPoint&) override {
    ++log->rightClicks;
    return onRightClick();
  }
  std::int32_t Backspace() override {
    ++log->backspaces;
    return remaining;
  }
  std::int32_t KeyDown(std::int32_t Key) override {
    log->keys.push_back(Key);
    return onKey(Key);
  }
};

// A view whose window-command hooks say that they ran.
class TestView : public TTvView {
 public:
  std::vector<std::string> calls;
  int groups = 0;

  void ZoomByStep(int Step) override { calls.push_back("ZoomByStep " + std::to_string(Step)); }
  void ScrollHorz(int Step) override { calls.push_back("ScrollHorz " + std::to_string(Step)); }
  void ScrollVert(int Step) override { calls.push_back("ScrollVert " + std::to_string(Step)); }
  void RestoreWindow() override { calls.push_back("RestoreWindow"); }
  void CreateLayerGroups() override { ++groups; }
};

// What happened to the drawing nodes of a test, in order.
struct DrawLog {
  std::mutex lock;
  std::vector<std::string> events;
  std::atomic<int> draws{0};
  std::atomic<bool> drawing{false};
  std::atomic<bool> release{false};
  void Add(std::string e) {
    std::lock_guard<std::mutex> g(lock);
    events.push_back(std::move(e));
  }
  std::vector<std::string> Events() {
    std::lock_guard<std::mutex> g(lock);
    return events;
  }
};

// A shown leaf of the tree whose drawing is recorded; with hold set, the
// drawing waits until released or stopped (the canvas's abort flag).
class RecordingNode : public TWarstwaImp {
 public:
  RecordingNode(std::shared_ptr<DrawLog> Log, bool Hold) : log(std::move(Log)), hold(Hold) {
    Name = "zapis";
    SetFlag(kNodeLoaded);
    UpdateShownFlag();
    SetVisible(true);
  }
  ~RecordingNode() override { log->Add(log->drawing.load() ? "destroyed while drawing" : "destroyed"); }

  void Draw(TRealCanvas& Canvas) override {
    log->drawing = true;
    log->Add("draw");
    ++log->draws;
    struct TEnd {
      DrawLog& L;
      ~TEnd() {
        L.Add("draw end");
        L.drawing = false;
      }
    } end{*log};
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    try {
      while (hold && !log->release.load() && std::chrono::steady_clock::now() < limit) {
        Canvas.TestAbort();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    } catch (const EAbort&) {
      // Stopped by the view, not by the time limit.
      log->Add("stopped");
      throw;
    }
  }
  void SetVisibleAll(bool B) override { SetVisible(B); }
  void AddObject(TEGraphObj*) override {}

  std::shared_ptr<DrawLog> log;
  bool hold;
};

// Waits (bounded) until Condition holds.
bool WaitUntil(const std::function<bool()>& Condition) {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!Condition()) {
    if (std::chrono::steady_clock::now() > limit) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Plug-in services that record the requests handed to them.
class RecordingServices : public TViewServicesI {
 public:
  std::vector<std::pair<std::intptr_t, std::uintptr_t>> requests;
  void HandlePluginMessage(TTvView&, std::intptr_t Container, std::uintptr_t Request) override {
    requests.emplace_back(Container, Request);
  }
};

// The view on a shown form, with its settings in a scratch profile.
class ViewTest : public ::testing::Test {
 protected:
  void SetUp() override { Prepare(scratch_ / "tolvika.ini"); }
  void TearDown() override { Release(); }

  void Prepare(const std::string& IniPath) {
    {
      platform::TIniFile ini(IniPath);
      ini.WriteInteger("Okno", "RozmiarX", 160);
      ini.WriteInteger("Okno", "RozmiarY", 120);
      ini.UpdateFile();
    }
    SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(IniPath));
    SetKrzyzErrorDisplay([this](const std::string& Text) { toolErrors.push_back(Text); });
    form = platform::MakeForm<TForm>();
    form->SetBounds(10, 10, 320, 240);
    form->Show();
    view = std::make_unique<TestView>();
    view->Start(form.get());
  }
  void Release() {
    view.reset();
    form.reset();
    // The end notices of the view's redraw threads hold the thread objects.
    platform::PumpPostedMessages();
    SetViewServices(nullptr);
    SetKrzyzErrorDisplay(nullptr);
    FreeGlobalnaKonfiguracja();
  }

  // Installs a probe tool and returns it.
  ProbeTool* Install(std::shared_ptr<ToolLog> Log, TKrzyzPointEvent OnPointEvent = nullptr) {
    auto tool = std::make_unique<ProbeTool>(std::move(Log), std::move(OnPointEvent));
    ProbeTool* raw = tool.get();
    view->SetKrzyz(std::move(tool));
    return raw;
  }
  platform::TGdiPoint Screen(int X, int Y) const { return platform::ClientToScreen(*view, X, Y); }

  ScratchFolder scratch_;
  std::unique_ptr<TForm> form;
  std::unique_ptr<TestView> view;
  std::vector<std::string> toolErrors;
};

// --- Construction ---------------------------------------------------------------

TEST_F(ViewTest, StartsWithAPlainToolOverTheWholeWorldAtTheSizeOfTheSettings) {
  EXPECT_EQ(view->State, TTvView::kEditMode);
  ASSERT_NE(view->Krzyz(), nullptr);
  EXPECT_EQ(view->Krzyz()->View, view.get());
  EXPECT_EQ(view->Width(), 160);
  EXPECT_EQ(view->Height(), 120);
  ASSERT_NE(view->BackBitmap(), nullptr);
  EXPECT_EQ(view->BackBitmap()->Width(), 160);
  EXPECT_TRUE(view->Opaque());
  EXPECT_TRUE(view->TabStop());
  // The world 0..15000000 both ways, fitted into the control.
  EXPECT_LE(view->Dims()->X1, 0.0);
  EXPECT_LE(view->Dims()->Y1, 0.0);
  EXPECT_GE(view->Dims()->X2, 15000000.0);
  EXPECT_GE(view->Dims()->Y2, 15000000.0);
  EXPECT_FALSE(view->HasLayers());
  EXPECT_NE(view->LocalConfig(), nullptr);
  EXPECT_NE(view->KrzyzConf(), &KrzyzConf());
  for (int cursor = 1; cursor <= 4; ++cursor) EXPECT_TRUE(platform::CursorExists(cursor)) << cursor;
  try {
    view->SetBaza("inna");
    ADD_FAILURE() << "no error";
  } catch (const EInternalError& e) {
    EXPECT_STREQ(e.what(), "TTvView.SetBaza");
  }
}

TEST_F(ViewTest, StatusReachesTheToolChainAndNewTools) {
  auto log = std::make_shared<ToolLog>();
  ProbeTool* outer = Install(log);
  auto nested = std::make_unique<TKrzyz>(0, nullptr);
  TKrzyz* inner = nested.get();
  outer->StartNested(std::move(nested));
  view->SetStatus(0x55);
  EXPECT_EQ(view->Status(), 0x55u);
  EXPECT_EQ(outer->Status, 0x55u);
  EXPECT_EQ(inner->Status, 0x55u);
  view->ResetKrzyz();
  EXPECT_EQ(view->Krzyz()->Status, 0x55u);
}

// The owning window and the services around the view, as the view uses them.
TEST_F(ViewTest, DocumentAndServicesAreReachedThroughTheirInterfaces) {
  struct Marker : TPaintItem {};
  struct Services : TViewServicesI {
    std::vector<std::string> calls;
    platform::TMenuItem* layersItem = nullptr;
    std::unique_ptr<TPaintItem> CreateRectMarker(TTvView&) override {
      calls.push_back("rect");
      return std::make_unique<Marker>();
    }
    std::unique_ptr<TPaintItem> CreatePolygonMarker(TTvView&) override {
      calls.push_back("polygon");
      return std::make_unique<Marker>();
    }
    void LoadPlugins(TTvView&, platform::TMenuItem* Item) override {
      calls.push_back("load");
      layersItem = Item;
    }
    void FreePlugins(TTvView&) override { calls.push_back("free"); }
    void RemoveViewBlocks(TTvView&) override { calls.push_back("blocks"); }
  } services;
  struct Document : TViewDocumentI {
    std::vector<std::string> calls;
    platform::TPopupMenu menu;
    platform::TMenuItem item;
    void CenterScrollBars() override { calls.push_back("center"); }
    void ChildNotify() override { calls.push_back("notify"); }
    platform::TPopupMenu* SkalaPopUp() override { return &menu; }
    platform::TMenuItem* LayersMenuItem() override { return &item; }
    void FocusMainForm() override { calls.push_back("focus"); }
  } document;
  struct PointView : TTvView {
    using TTvView::TTvView;
    int points = 0;
    bool DefaultPoint(TKrzyz*) override {
      ++points;
      return false;
    }
  };

  SetViewServices(&services);
  {
    PointView own(&document);
    own.Start(form.get());
    EXPECT_EQ(services.calls, (std::vector<std::string>{"rect", "polygon", "load"}));
    EXPECT_EQ(services.layersItem, &document.item);
    EXPECT_EQ(own.PaintItems.size(), 2u);
    own.ResetKrzyz();
    auto* idle = dynamic_cast<TNullKrzyz*>(own.Krzyz());
    ASSERT_NE(idle, nullptr);
    EXPECT_EQ(idle->Menu, &document.menu);
    // Enter on the idle tool is a point for the view's default handler.
    own.SendKey(platform::VK_RETURN);
    EXPECT_EQ(own.points, 1);
    own.CenterScrollBars();
    own.ChildNotify();
    own.StartPointKrzyz([](TKrzyz*) { return true; }, nullptr);
    EXPECT_EQ(document.calls, (std::vector<std::string>{"center", "notify", "focus"}));
    services.calls.clear();
  }
  EXPECT_EQ(services.calls, (std::vector<std::string>{"free", "blocks"}));
  SetViewServices(nullptr);
}

// --- Tool hosting ----------------------------------------------------------------

// A command that installs the next tool from inside its own callback goes on
// running on a live object; the replaced tool is freed at the next
// replacement.
TEST_F(ViewTest, ToolReplacedInsideItsCallbackIsParkedAndFreedLater) {
  auto logA = std::make_shared<ToolLog>();
  auto logB = std::make_shared<ToolLog>();
  auto logC = std::make_shared<ToolLog>();
  ProbeTool* b = nullptr;
  ProbeTool* a = nullptr;
  a = Install(logA, [&](TKrzyz* Sender) {
    auto next = std::make_unique<ProbeTool>(logB);
    b = next.get();
    view->SetKrzyz(std::move(next));
    // Still alive, and the view says so.
    EXPECT_FALSE(logA->destroyed);
    EXPECT_EQ(Sender, a);
    EXPECT_EQ(view->ParkedKrzyz(), a);
    EXPECT_EQ(Sender->Flags & TKrzyz::kInCallback, TKrzyz::kInCallback);
    return false;
  });
  view->MouseDownAt(TMouseButton::Left, 20, 20);
  EXPECT_EQ(logA->clicks, 1);
  EXPECT_FALSE(logA->destroyed);
  EXPECT_EQ(logA->finishes, 1);  // replaced: finished, not freed
  EXPECT_EQ(view->Krzyz(), b);
  EXPECT_EQ(view->ParkedKrzyz(), a);

  Install(logC);
  EXPECT_TRUE(logA->destroyed);
  EXPECT_TRUE(logB->destroyed);
  EXPECT_EQ(logB->finishes, 1);
  EXPECT_EQ(view->ParkedKrzyz(), nullptr);
}

// Callbacks nest when one shows a modal window: the outer tool stays parked
// while its callback runs, whatever is replaced meanwhile.
TEST_F(ViewTest, ParkedToolStillInsideItsCallbackIsNotFreedByANestedReplacement) {
  auto logA = std::make_shared<ToolLog>();
  auto logB = std::make_shared<ToolLog>();
  auto logC = std::make_shared<ToolLog>();
  bool checked = false;
  Install(logA, [&](TKrzyz*) {
    ProbeTool* b = Install(logB, [&](TKrzyz*) {
      Install(logC);
      return false;
    });
    (void)b;
    // The user clicks again while A's callback waits in its window.
    view->MouseDownAt(TMouseButton::Left, 30, 30);
    EXPECT_EQ(logB->clicks, 1);
    EXPECT_FALSE(logA->destroyed);
    EXPECT_FALSE(logB->destroyed);
    checked = true;
    return false;
  });
  view->MouseDownAt(TMouseButton::Left, 20, 20);
  ASSERT_TRUE(checked);
  EXPECT_FALSE(logA->destroyed);
  EXPECT_FALSE(logB->destroyed);
  EXPECT_FALSE(logC->destroyed);
  view->ResetKrzyz();
  EXPECT_TRUE(logA->destroyed);
  EXPECT_TRUE(logB->destroyed);
  EXPECT_TRUE(logC->destroyed);
  EXPECT_EQ(view->ParkedKrzyz(), nullptr);
}

TEST_F(ViewTest, CompletedCommandGivesWayToTheDefaultToolWithoutFinishing) {
  auto log = std::make_shared<ToolLog>();
  Install(log, [](TKrzyz*) { return true; });
  view->MouseDownAt(TMouseButton::Left, 20, 20);
  EXPECT_EQ(log->clicks, 1);
  EXPECT_TRUE(log->destroyed);
  EXPECT_EQ(log->finishes, 0);
  EXPECT_NE(dynamic_cast<TNullKrzyz*>(view->Krzyz()), nullptr);
}

TEST_F(ViewTest, PointToolCarriesTheStatusAndBothCallbacks) {
  view->SetStatus(7);
  int points = 0;
  int finishes = 0;
  view->StartPointKrzyz([&](TKrzyz*) {
        ++points;
        return true;
      }, [&](TKrzyz*, std::int32_t) { ++finishes; });
  auto* tool = dynamic_cast<TWskKoloKrzyz*>(view->Krzyz());
  ASSERT_NE(tool, nullptr);
  EXPECT_EQ(tool->Status, 7u);
  EXPECT_EQ(tool->View, view.get());
  view->ResetKrzyz();
  EXPECT_EQ(finishes, 1);
}

// An error of a tool while it follows the pointer or takes a key ends it:
// an abort silently, anything else shown with the tool-error prefix.
TEST_F(ViewTest, ToolErrorEndsTheTool) {
  struct Case {
    const char* title;
    bool key;
    std::function<void()> raise;
    std::vector<std::string> shown;
  };
  const std::vector<Case> cases = {
      {"move error", false, [] { throw EInvalidOperation("Brak punktu"); }, {"Błąd w krzyżu: Brak punktu"}},
      {"move abort", false, [] { throw EAbort(); }, {}},
      {"key error", true, [] { throw EConvertError("Zła liczba"); }, {"Błąd w krzyżu: Zła liczba"}},
      {"key abort", true, [] { throw EAbort(); }, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    toolErrors.clear();
    auto log = std::make_shared<ToolLog>();
    ProbeTool* tool = Install(log);
    if (c.key) {
      tool->onKey = [&](std::int32_t) -> std::int32_t {
        c.raise();
        return kKeyHandled;
      };
      view->SendKey('Q');
    } else {
      tool->onMove = [&](const TRealPoint&) { c.raise(); };
      view->MouseMoveTo(40, 40);
    }
    EXPECT_EQ(toolErrors, c.shown);
    EXPECT_EQ(log->finishes, 1);
    EXPECT_TRUE(log->destroyed);
    EXPECT_NE(dynamic_cast<TNullKrzyz*>(view->Krzyz()), nullptr);
  }
}

// --- Mouse ------------------------------------------------------------------------

TEST_F(ViewTest, LeftClickDuringARightClickIsIgnored) {
  auto log = std::make_shared<ToolLog>();
  ProbeTool* tool = Install(log);
  tool->clickResult = false;
  std::uint8_t stateInside = 0;
  tool->onRightClick = [&] {
    stateInside = view->State;
    view->MouseDownAt(TMouseButton::Left, 50, 50);
    return kRightNothing;
  };
  view->MouseDownAt(TMouseButton::Right, 40, 40);
  EXPECT_EQ(log->rightClicks, 1);
  EXPECT_EQ(log->clicks, 0);
  EXPECT_EQ(stateInside & TTvView::kRightClick, TTvView::kRightClick);
  EXPECT_EQ(view->State & TTvView::kRightClick, 0);
  view->MouseDownAt(TMouseButton::Left, 50, 50);
  EXPECT_EQ(log->clicks, 1);
}

// The answers of a tool to a right click, and the mouse pointer put back
// where the click was unless the tool answered 4.
TEST_F(ViewTest, RightClickAnswers) {
  enum class Menu { None, ToolPopup, PopupMenu };
  struct Case {
    const char* title;
    std::int32_t code;
    Menu menu;
    std::int32_t remaining;  // what Backspace leaves
    int backspaces;
    bool ended;
    bool popup;
    bool pointerBack;
  };
  const std::vector<Case> cases = {
      {"0 takes back the last input", kRightBackspace, Menu::None, 2, 1, false, false, true},
      {"0 with nothing left ends the tool", kRightBackspace, Menu::PopupMenu, 0, 1, true, false, true},
      {"1 asks the tool popup first", kRightDefault, Menu::ToolPopup, 0, 0, false, true, true},
      {"1 shows the popup menu", kRightDefault, Menu::PopupMenu, 0, 0, false, true, true},
      {"1 without a menu takes back", kRightDefault, Menu::None, 1, 1, false, false, true},
      {"1 without a menu ends a tool with nothing left", kRightDefault, Menu::None, 0, 1, true, false, true},
      {"2 does nothing", kRightNothing, Menu::PopupMenu, 0, 0, false, false, true},
      {"3 ends the tool", kRightEnd, Menu::None, 2, 0, true, false, true},
      {"4 leaves the pointer", kRightKeepMouse, Menu::None, 0, 0, false, false, false},
  };
  platform::TPopupMenu menu;
  menu.Items().Add("Pozycja");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    TScriptedResponder responder(Fail);
    auto log = std::make_shared<ToolLog>();
    ProbeTool* tool = Install(log);
    tool->remaining = c.remaining;
    const platform::TGdiPoint away{3, 4};
    tool->onRightClick = [&, code = c.code] {
      // As a window the tool opened would leave it.
      platform::SetCursorPos(away.X, away.Y);
      return code;
    };
    bool popupShown = false;
    std::uint8_t stateInMenu = 0;
    view->OnToolPopup = nullptr;
    view->PopupMenu = nullptr;
    menu.OnPopup = nullptr;
    if (c.menu == Menu::ToolPopup) {
      view->PopupMenu = &menu;  // asked only when there is no tool popup
      view->OnToolPopup = [&](int X, int Y, TKrzyz* Tool) {
        popupShown = true;
        EXPECT_EQ(platform::TGdiPoint(X, Y), Screen(60, 70));
        EXPECT_EQ(Tool, tool);
      };
    } else if (c.menu == Menu::PopupMenu) {
      view->PopupMenu = &menu;
      menu.OnPopup = [&](platform::TComponent&) {
        popupShown = true;
        stateInMenu = view->State;
      };
      if (c.popup) responder.AnswerCancel();
    }
    view->MouseDownAt(TMouseButton::Right, 60, 70);
    EXPECT_EQ(log->rightClicks, 1);
    EXPECT_EQ(log->backspaces, c.backspaces);
    EXPECT_EQ(log->destroyed, c.ended);
    EXPECT_EQ(popupShown, c.popup);
    if (c.menu == Menu::PopupMenu && c.popup) {
      EXPECT_EQ(stateInMenu & (TTvView::kPopupOpen | TTvView::kRightClick),
                TTvView::kPopupOpen | TTvView::kRightClick);
    }
    EXPECT_EQ(view->State & (TTvView::kPopupOpen | TTvView::kRightClick), 0);
    EXPECT_EQ(platform::CursorPos(), c.pointerBack ? Screen(60, 70) : away);
  }
  view->OnToolPopup = nullptr;
  view->PopupMenu = nullptr;
}

TEST_F(ViewTest, MarkerFigureFollowsTheMouseInAndOut) {
  auto log = std::make_shared<ToolLog>();
  ProbeTool* tool = Install(log);
  view->MouseLeaveNow();
  EXPECT_EQ(tool->Flags & TKrzyz::kMarkerShown, 0);
  view->MouseEnterNow();
  EXPECT_EQ(tool->Flags & TKrzyz::kMarkerShown, TKrzyz::kMarkerShown);
  // Driven from outside, the pointer leaving the control keeps the marker.
  view->SetExternalPointer(true);
  view->MouseLeaveNow();
  EXPECT_EQ(tool->Flags & TKrzyz::kMarkerShown, TKrzyz::kMarkerShown);
  view->SetExternalPointer(false);
  view->MouseLeaveNow();
  EXPECT_EQ(tool->Flags & TKrzyz::kMarkerShown, 0);
}

// --- Pointer ------------------------------------------------------------------------

TEST_F(ViewTest, MovedPointerHandsTheToolTheExactPointOnce) {
  auto log = std::make_shared<ToolLog>();
  Install(log);
  const TRealPoint exact{1234567.891, 7654321.123};
  view->MoveCursorTo(exact);
  EXPECT_EQ(view->State & TTvView::kStoredPoint, TTvView::kStoredPoint);
  log->moves.clear();
  view->MouseMoveTo(40, 40);
  view->MouseMoveTo(40, 40);
  ASSERT_EQ(log->moves.size(), 2u);
  EXPECT_EQ(log->moves[0], exact);
  EXPECT_EQ(log->moves[1], view->Dims()->DeviceToWorldPt(TPoint{40, 40}));
  EXPECT_EQ(view->State & TTvView::kStoredPoint, 0);
}

TEST_F(ViewTest, ExternalPointerIgnoresTheMouse) {
  auto log = std::make_shared<ToolLog>();
  Install(log);
  view->ExternalPoint = TRealPoint{10.5, 20.25};
  view->SetExternalPointer(true);
  TRealPoint p;
  view->GetMousePoint(p);
  EXPECT_EQ(p, view->ExternalPoint);
  log->moves.clear();
  view->MouseMoveTo(40, 40);
  view->MouseDownAt(TMouseButton::Left, 40, 40);
  EXPECT_TRUE(log->moves.empty());
  EXPECT_EQ(log->clicks, 0);
  view->SetExternalPointer(false);
  view->MouseDownAt(TMouseButton::Left, 40, 40);
  EXPECT_EQ(log->clicks, 1);
}

// --- Keys -------------------------------------------------------------------------------

// The view's own keys act only without Ctrl, Shift and the right Alt
// (Ctrl+F5 excepted); every other key goes to the tool with the modifier
// bits.
TEST_F(ViewTest, KeysGoToTheViewOrToTheTool) {
  struct Case {
    std::uint16_t vk;
    platform::TShiftState shift;
    std::vector<std::string> viewCalls;
    std::vector<std::int32_t> toolKeys;
  };
  const std::vector<Case> cases = {
      {platform::VK_PRIOR, 0, {"ZoomByStep -1"}, {}},
      {platform::VK_NEXT, 0, {"ZoomByStep 1"}, {}},
      {platform::VK_LEFT, 0, {"ScrollHorz 1"}, {}},
      {platform::VK_RIGHT, 0, {"ScrollHorz -1"}, {}},
      {platform::VK_UP, 0, {"ScrollVert -1"}, {}},
      {platform::VK_DOWN, 0, {"ScrollVert 1"}, {}},
      {platform::VK_F5, platform::ssCtrl, {"RestoreWindow"}, {}},
      {platform::VK_PRIOR, platform::ssCtrl, {}, {platform::VK_PRIOR | kKeyCtrl}},
      {platform::VK_NEXT, platform::ssCtrl, {}, {platform::VK_NEXT | kKeyCtrl}},
      {platform::VK_LEFT, platform::ssShift, {}, {platform::VK_LEFT | kKeyShift}},
      {platform::VK_UP, platform::ssAltGr, {}, {platform::VK_UP | kKeyAltGr}},
      {platform::VK_F5, 0, {}, {platform::VK_F5}},
      {platform::VK_F5, platform::ssShift, {}, {platform::VK_F5 | kKeyShift}},
      {'A', platform::ssCtrl | platform::ssShift, {}, {'A' | kKeyCtrl | kKeyShift}},
  };
  auto log = std::make_shared<ToolLog>();
  Install(log);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.vk) + " shift " + std::to_string(c.shift));
    view->calls.clear();
    log->keys.clear();
    view->SendKey(c.vk, c.shift);
    EXPECT_EQ(view->calls, c.viewCalls);
    EXPECT_EQ(log->keys, c.toolKeys);
  }
  EXPECT_FALSE(log->destroyed);
}

TEST_F(ViewTest, EscapeAndToolKeyAnswersEndTheTool) {
  struct Case {
    const char* title;
    std::uint16_t vk;
    std::int32_t remaining;
    std::int32_t keyAnswer;
    bool ended;
    bool keySeenByForm;
  };
  const std::vector<Case> cases = {
      {"Escape takes back", platform::VK_ESCAPE, 1, kKeyHandled, false, false},
      {"Escape with nothing left ends", platform::VK_ESCAPE, 0, kKeyHandled, true, false},
      {"key handled", 'Z', 1, kKeyHandled, false, false},
      {"key handled, tool ends", 'Z', 1, kKeyHandledEnd, true, false},
      {"key not handled", 'Z', 1, kKeyNotHandled, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    auto log = std::make_shared<ToolLog>();
    ProbeTool* tool = Install(log);
    tool->remaining = c.remaining;
    tool->onKey = [answer = c.keyAnswer](std::int32_t) { return answer; };
    bool seen = false;
    view->OnKeyDown = [&](platform::TComponent&, std::uint16_t&, platform::TShiftState) { seen = true; };
    view->SendKey(c.vk);
    EXPECT_EQ(log->destroyed, c.ended);
    EXPECT_EQ(seen, c.keySeenByForm);
    view->OnKeyDown = nullptr;
  }
}

// --- Messages ----------------------------------------------------------------------

TEST_F(ViewTest, TenQueuedFullRedrawRequestsGiveOneRedraw) {
  auto log = std::make_shared<DrawLog>();
  view->AddWarstwa(std::make_unique<RecordingNode>(log, false));
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(platform::PostMessage(view->Handle(), kMsgPluginRequest, 0, 0));
  platform::PumpPostedMessages();
  EXPECT_EQ(view->RedrawCount(), 1);
  EXPECT_EQ(platform::PostedMessageCount(view->Handle(), kMsgPluginRequest), 0);
  view->WaitForRedraw(false);
  EXPECT_EQ(log->draws.load(), 1);
  platform::PumpPostedMessages();
  EXPECT_EQ(view->RedrawCount(), 0);
}

// Requests of plug-in containers: each container once per drain, at most
// sixteen containers, and a full redraw makes every later request moot.
TEST_F(ViewTest, PluginRequestsAreDrainedOncePerContainer) {
  RecordingServices services;
  SetViewServices(&services);
  struct Case {
    const char* title;
    std::vector<std::pair<std::intptr_t, std::uintptr_t>> posted;  // (container, request)
    std::vector<std::pair<std::intptr_t, std::uintptr_t>> handled;
    int redraws;
    int left;  // still queued after the first drain
  };
  std::vector<std::pair<std::intptr_t, std::uintptr_t>> twenty;
  for (int i = 1; i <= 20; ++i) twenty.emplace_back(100 + i, i);
  const std::vector<Case> cases = {
      {"each container once", {{5, 1}, {6, 2}, {5, 3}, {6, 4}, {7, 5}}, {{5, 1}, {6, 2}, {7, 5}}, 0, 0},
      {"a full redraw drops the rest", {{5, 1}, {0, 0}, {6, 2}, {0, 0}}, {{5, 1}}, 1, 0},
      {"a full redraw first", {{0, 9}, {5, 1}}, {}, 1, 0},
      {"sixteen containers at most", twenty,
       std::vector<std::pair<std::intptr_t, std::uintptr_t>>(twenty.begin(), twenty.begin() + 16), 0, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    services.requests.clear();
    for (const auto& [container, request] : c.posted)
      ASSERT_TRUE(platform::PostMessage(view->Handle(), kMsgPluginRequest, request, container));
    // The first delivered drains the others.
    platform::PumpPostedMessages();
    EXPECT_EQ(services.requests, c.handled);
    EXPECT_EQ(view->RedrawCount(), c.redraws);
    EXPECT_EQ(platform::PostedMessageCount(view->Handle(), kMsgPluginRequest), c.left);
    if (c.left > 0) {
      // The rest comes with the next delivery, in order.
      platform::PumpPostedMessages();
      const std::vector<std::pair<std::intptr_t, std::uintptr_t>> rest(c.posted.end() - c.left, c.posted.end());
      const std::vector<std::pair<std::intptr_t, std::uintptr_t>> later(services.requests.begin() + 16,
                                                                        services.requests.end());
      EXPECT_EQ(later, rest);
    }
    view->WaitForRedraw(false);
    platform::PumpPostedMessages();
  }
  SetViewServices(nullptr);
}

TEST_F(ViewTest, ToolButtonMessagePressesAnEnabledVisibleButton) {
  auto* button = form->Create<platform::TSpeedButton>(form.get(), "Linia");
  button->SetGroupIndex(1);
  button->SetAllowAllUp(true);
  int clicks = 0;
  button->OnClick = [&](platform::TComponent&) { ++clicks; };
  view->ToolButton = button;
  view->Perform(kMsgPressToolButton);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(button->Down());
  view->Perform(kMsgPressToolButton);
  EXPECT_EQ(clicks, 2);
  EXPECT_FALSE(button->Down());
  button->SetEnabled(false);
  view->Perform(kMsgPressToolButton);
  button->SetEnabled(true);
  button->SetVisible(false);
  view->Perform(kMsgPressToolButton);
  EXPECT_EQ(clicks, 2);
  view->ToolButton = nullptr;
}

// --- Redraw against freeing -------------------------------------------------------

TEST_F(ViewTest, ViewClosedDuringARedrawFreesTheTreeAfterTheThreadEnds) {
  auto log = std::make_shared<DrawLog>();
  view->AddWarstwa(std::make_unique<RecordingNode>(log, true));
  view->StartRedraw();
  ASSERT_TRUE(WaitUntil([&] { return log->drawing.load(); }));
  view.reset();
  EXPECT_EQ(log->Events(), (std::vector<std::string>{"draw", "stopped", "draw end", "destroyed"}));
  platform::PumpPostedMessages();
}

// --- Attaching a base ----------------------------------------------------------------

// The example database set in a scratch folder (the current folder while the
// test runs), its layer files in enumeration order, and a store of its own
// with the set's base open for the view.
class ViewBaseTest : public ViewTest {
 protected:
  struct LayerFile {
    std::string name;
    std::string path;
  };

  void SetUp() override {
    set_ = scratch_ / "set";
    exampleSet_.emplace(set_);
    SetLibraryErrorBox([this](const std::string& text) { libraryErrors.push_back(text); });
    {
      TLayerStore probe("baza.ini");
      TBaza* base = DBInt::OpenBase(probe, 0, "Przyklad");
      TAllWarstwaHeader entry;
      for (int rc = DBInt::GetWarstwyList(probe, entry, base); rc == kDBOk;
           rc = DBInt::GetWzorceList(probe, entry, base))
        if (entry.File != nullptr) {
          // The set names its folders the way the program's home system does.
          std::string path = entry.File->Path();
          std::replace(path.begin(), path.end(), '\\', '/');
          layers.push_back({entry.Name, path});
        }
      DBInt::CloseBase(probe, base);
    }
    ASSERT_GE(layers.size(), 4u);
    notices_ = platform::RegisterWindow([this](std::uint32_t msg, std::uintptr_t w, std::intptr_t) -> std::intptr_t {
      if (msg == kMsgMainFormNotify) mainNotices.push_back(w);
      return 0;
    });
    SetMainFormWindow(notices_);
    Prepare("tolvika.ini");
    store = std::make_unique<TLayerStore>("baza.ini");
    base = DBInt::OpenBase(*store, 0, "Przyklad");
  }
  void TearDown() override {
    view.reset();
    store.reset();
    // The libraries subscribe to the global settings: they go first.
    ReleaseSymbolManager();
    ReleaseLineManager();
    Release();
    SetMainFormWindow(0);
    platform::UnregisterWindow(notices_);
    SetLibraryErrorBox(nullptr);
    exampleSet_.reset();
  }

  // The names of the layers in the view's tree, in tree order.
  std::vector<std::string> LoadedLayers() const {
    std::vector<std::string> names;
    TBazaWarstw* root = view->Root();
    for (int i = 0; i < root->GetCount(); ++i)
      if (auto* c = dynamic_cast<TGrupaWarstw*>(root->GetItem(i)))
        for (int j = 0; j < c->GetCount(); ++j) names.push_back(c->GetItem(j)->Name);
    std::sort(names.begin(), names.end());
    return names;
  }
  std::vector<std::string> AllBut(const std::vector<std::size_t>& Indexes) const {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < layers.size(); ++i)
      if (std::find(Indexes.begin(), Indexes.end(), i) == Indexes.end()) names.push_back(layers[i].name);
    std::sort(names.begin(), names.end());
    return names;
  }

  static std::string Bytes(const std::string& Path) { return ScratchFolder::Get(Path); }
  static void Put(const std::string& Path, const std::string& B) {
    std::ofstream out(Path, std::ios::binary | std::ios::trunc);
    out << B;
  }
  // Sublayer 0 wider than allowed: the repair mends it.
  static void DamageWidth(const std::string& Path) {
    std::string b = Bytes(Path);
    ASSERT_GT(b.size(), static_cast<std::size_t>(SlotOffset(1)));
    PutU32(reinterpret_cast<std::uint8_t*>(&b[SlotOffset(0) + kSubWidth]), std::bit_cast<std::uint32_t>(5000.0f));
    Put(Path, b);
  }
  // Sublayer 0 of a kind that does not exist: the repair leaves it.
  static void DamageKind(const std::string& Path) {
    std::string b = Bytes(Path);
    ASSERT_GT(b.size(), static_cast<std::size_t>(SlotOffset(1)));
    PutU32(reinterpret_cast<std::uint8_t*>(&b[SlotOffset(0) + kSubType]), 2);
    Put(Path, b);
  }
  static float Width(const std::string& Path) {
    const std::string b = Bytes(Path);
    if (b.size() <= static_cast<std::size_t>(SlotOffset(1))) return 0.0f;
    return std::bit_cast<float>(GetU32(reinterpret_cast<const std::uint8_t*>(&b[SlotOffset(0) + kSubWidth])));
  }

  std::string set_;
  std::optional<ExampleSetFolder> exampleSet_;
  platform::HWND notices_ = 0;
  std::vector<std::uintptr_t> mainNotices;
  std::vector<std::string> libraryErrors;
  std::vector<LayerFile> layers;
  std::unique_ptr<TLayerStore> store;
  TBaza* base = nullptr;
};

TEST_F(ViewBaseTest, AttachingLoadsEveryLayerAndStartsARedraw) {
  view->Dims()->Zoom(0.25);
  view->State |= TTvView::kFitted;
  view->AttachBaza(store.get(), base);
  EXPECT_EQ(view->Baza(), "Przyklad");
  EXPECT_EQ(view->BaseHandle(), base);
  EXPECT_EQ(TvViewCfg().LastBase, "Przyklad");
  EXPECT_EQ(view->Root()->Name, "Przyklad");
  EXPECT_EQ(LoadedLayers(), AllBut({}));
  EXPECT_EQ(view->Root()->GetCount(), 2);  // the two catalogues
  EXPECT_EQ(view->groups, 1);
  EXPECT_EQ(view->RedrawCount(), 1);
  EXPECT_EQ(view->State & TTvView::kFitted, 0);
  EXPECT_LE(view->Dims()->X1, 0.0);
  EXPECT_GE(view->Dims()->X2, 15000000.0);
  EXPECT_NE(dynamic_cast<TNullKrzyz*>(view->Krzyz()), nullptr);
  platform::PumpPostedMessages();
  EXPECT_NE(std::find(mainNotices.begin(), mainNotices.end(), 0u), mainNotices.end());

  // A second base: the first closes.
  TBaza* second = DBInt::OpenBase(*store, 0, "Przyklad");
  EXPECT_EQ(store->BaseCount(), 2u);
  view->AttachBaza(store.get(), second);
  EXPECT_EQ(store->BaseCount(), 1u);
  EXPECT_EQ(view->BaseHandle(), second);
  EXPECT_EQ(LoadedLayers(), AllBut({}));

  // The same base again is read anew and stays open.
  view->AttachBaza(store.get(), second);
  EXPECT_EQ(store->BaseCount(), 1u);
  EXPECT_EQ(LoadedLayers(), AllBut({}));

  // A handle the store does not know: refused, the view holds no base.
  int unknown = 0;
  EXPECT_THROW(view->AttachBaza(store.get(), reinterpret_cast<TBaza*>(&unknown)), EInvalidHandle);
  EXPECT_EQ(view->BaseHandle(), nullptr);
  EXPECT_TRUE(LoadedLayers().empty());
  EXPECT_EQ(store->BaseCount(), 0u);
}

// The old tree may be drawn by a redraw thread: it is freed only after the
// thread has ended.
TEST_F(ViewBaseTest, AttachingDuringARedrawFreesTheOldTreeAfterTheThreadEnds) {
  auto log = std::make_shared<DrawLog>();
  view->AddWarstwa(std::make_unique<RecordingNode>(log, true));
  view->StartRedraw();
  ASSERT_TRUE(WaitUntil([&] { return log->drawing.load(); }));
  view->AttachBaza(store.get(), base);
  EXPECT_EQ(log->Events(), (std::vector<std::string>{"draw", "stopped", "draw end", "destroyed"}));
  EXPECT_EQ(LoadedLayers(), AllBut({}));
}

TEST_F(ViewBaseTest, BaseThatCannotCloseIsReportedAndTheViewStillGoes) {
  view->AttachBaza(store.get(), base);
  view->WaitForRedraw(true);
  // Closed behind the view's back: the view's own close fails.
  ASSERT_EQ(store->CloseBase(base), kDBOk);
  TScriptedResponder responder(Fail);
  responder.AnswerMessageBox(platform::IDOK);
  view.reset();
  ASSERT_EQ(responder.Shown().size(), 1u);
  EXPECT_EQ(responder.Shown()[0].text, "DB: Nie wlogowany");
}

// One answer of the question about a damaged layer file.
struct Answer {
  const char* button;  // the caption
  bool all;            // "Na wszystkie" checked
};

enum class Damage { Width, Kind };

struct DamageCase {
  const char* title;
  std::vector<std::pair<std::size_t, Damage>> damaged;  // (layer index, damage)
  std::vector<Answer> answers;
  std::vector<std::size_t> missing;   // layers not in the tree afterwards
  std::vector<std::size_t> repaired;  // layer files mended
  bool aborted;
  bool onlyBefore;  // loading stopped at the first damaged layer
};

class ViewDamagedLayerTest : public ViewBaseTest, public ::testing::WithParamInterface<DamageCase> {
 protected:
  void SetUp() override { ViewBaseTest::SetUp(); }
  void TearDown() override { ViewBaseTest::TearDown(); }
};

// Answers the question with Button, "Na wszystkie" first when All.
void AnswerQuestion(TForm& Form, const Answer& A, std::vector<std::string>& Texts) {
  auto& query = dynamic_cast<TFixQuery&>(Form);
  Texts.push_back(query.Komunikat->Caption());
  if (A.all) query.All->Click();
  for (platform::TButton* b : {query.YesBtn, query.NoBtn, query.CancelBtn, query.FixBtn})
    if (b->Caption() == A.button) {
      b->Click();
      return;
    }
  ADD_FAILURE() << "no button " << A.button;
}

TEST_P(ViewDamagedLayerTest, QuestionAboutADamagedLayer) {
  const DamageCase& c = GetParam();
  std::vector<std::string> before(layers.size());
  // Damaged before the store reads anything of the files.
  view.reset();
  store.reset();
  for (const auto& [index, damage] : c.damaged) {
    if (damage == Damage::Width) DamageWidth(layers[index].path);
    else DamageKind(layers[index].path);
  }
  for (std::size_t i = 0; i < layers.size(); ++i) before[i] = Bytes(layers[i].path);
  store = std::make_unique<TLayerStore>("baza.ini");
  base = DBInt::OpenBase(*store, 0, "Przyklad");
  view = std::make_unique<TestView>();
  view->Start(form.get());
  view->Dims()->Zoom(0.25);
  const double x2 = view->Dims()->X2;
  view->State |= TTvView::kFitted;

  TScriptedResponder responder(Fail);
  std::vector<std::string> texts;
  for (const Answer& a : c.answers)
    responder.AnswerForm([&texts, a](TForm& form) { AnswerQuestion(form, a, texts); }, "Potwierdź");
  bool aborted = false;
  try {
    view->AttachBaza(store.get(), base);
  } catch (const EAbort&) {
    aborted = true;
  }
  EXPECT_EQ(responder.Pending(), 0);
  EXPECT_EQ(aborted, c.aborted);
  for (const std::string& t : texts) {
    const std::string tail = " Kontynuować wczytywanie warstw?";
    ASSERT_GT(t.size(), tail.size());
    EXPECT_EQ(t.substr(t.size() - tail.size()), tail);
    EXPECT_NE(t.find("Warstwa:"), std::string::npos) << t;
  }

  if (c.onlyBefore) {
    std::vector<std::size_t> after;
    for (std::size_t i = c.damaged.front().first; i < layers.size(); ++i) after.push_back(i);
    EXPECT_EQ(LoadedLayers(), AllBut(after));
  } else {
    EXPECT_EQ(LoadedLayers(), AllBut(c.missing));
  }
  // "Anuluj": no groups, no redraw; "&Nie": the window stays as it was.
  EXPECT_EQ(view->groups, c.aborted ? 0 : 1);
  EXPECT_EQ(view->RedrawCount(), c.aborted ? 0 : 1);
  const bool finished = !c.aborted && !c.onlyBefore;
  EXPECT_EQ(view->State & TTvView::kFitted, finished ? 0 : TTvView::kFitted);
  if (!finished) {
    EXPECT_DOUBLE_EQ(view->Dims()->X2, x2);
  }
  platform::PumpPostedMessages();
  const bool notified = std::find(mainNotices.begin(), mainNotices.end(), 0u) != mainNotices.end();
  EXPECT_EQ(notified, !c.aborted);

  for (const auto& [index, damage] : c.damaged) {
    const bool mended = std::find(c.repaired.begin(), c.repaired.end(), index) != c.repaired.end();
    SCOPED_TRACE(layers[index].name);
    if (mended) {
      EXPECT_FLOAT_EQ(Width(layers[index].path), 1000.0f);
    } else if (damage == Damage::Width) {
      EXPECT_EQ(Bytes(layers[index].path), before[index]);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ViewDamagedLayerTest,
    ::testing::Values(
        DamageCase{"Yes", {{1, Damage::Width}}, {{"&Tak", false}}, {1}, {}, false, false},
        DamageCase{"No", {{2, Damage::Width}}, {{"&Nie", false}}, {}, {}, false, true},
        DamageCase{"Cancel", {{2, Damage::Width}}, {{"Anuluj", false}}, {}, {}, true, true},
        DamageCase{"RepairFirst", {{0, Damage::Width}}, {{"&Popraw", false}}, {}, {0}, false, false},
        DamageCase{"YesForAll", {{0, Damage::Width}, {3, Damage::Width}}, {{"&Tak", true}}, {0, 3}, {}, false,
                   false},
        DamageCase{"RepairForAll", {{0, Damage::Width}, {3, Damage::Width}}, {{"&Popraw", true}}, {}, {0, 3},
                   false, false},
        // A layer the repair does not mend is asked about again, not
        // repaired in a loop.
        DamageCase{"RepairFailsAskedAgain", {{1, Damage::Kind}}, {{"&Popraw", false}, {"&Tak", false}}, {1}, {},
                   false, false},
        DamageCase{"RepairFailsTwiceThenYes", {{1, Damage::Kind}},
                   {{"&Popraw", false}, {"&Popraw", false}, {"&Tak", false}}, {1}, {}, false, false},
        // With "Na wszystkie" it is skipped; the next damaged layer is still
        // repaired.
        DamageCase{"RepairForAllSkipsWhatStaysDamaged", {{0, Damage::Kind}, {3, Damage::Width}},
                   {{"&Popraw", true}}, {0}, {3}, false, false}),
    [](const ::testing::TestParamInfo<DamageCase>& info) { return std::string(info.param.title); });

// A repair that cannot write is a failure of that layer: the question comes
// again with the write error, and the file keeps its bytes.
TEST_F(ViewBaseTest, RepairThatCannotWriteAsksAgainWithItsError) {
  view.reset();
  store.reset();
  const LayerFile& damaged = layers[1];
  DamageWidth(damaged.path);
  const std::string bytes = Bytes(damaged.path);
  store = std::make_unique<TLayerStore>("baza.ini");
  base = DBInt::OpenBase(*store, 0, "Przyklad");
  view = std::make_unique<TestView>();
  view->Start(form.get());

  TScriptedResponder responder(Fail);
  std::vector<std::string> texts;
  responder.AnswerForm([&](TForm& form) { AnswerQuestion(form, {"&Popraw", false}, texts); }, "Potwierdź");
  responder.AnswerForm([&](TForm& form) { AnswerQuestion(form, {"&Tak", false}, texts); }, "Potwierdź");
  {
    const std::string file = std::filesystem::path(damaged.path).filename().string();
    platform::FaultScope fault({platform::FaultOp::Write, 1, true, file});
    view->AttachBaza(store.get(), base);
    EXPECT_TRUE(platform::FaultStruck());
  }
  EXPECT_EQ(responder.Pending(), 0);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_NE(texts[0], texts[1]);
  EXPECT_EQ(Bytes(damaged.path), bytes);
  EXPECT_EQ(LoadedLayers(), AllBut({1}));
}

}  // namespace
