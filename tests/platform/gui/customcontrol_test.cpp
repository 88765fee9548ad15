// Custom controls as a map view uses them: every key reaches the control's
// KeyDown (and stays there), the right Alt key shows in the shift state, the
// mouse entering is reported, an opaque control is not erased before its
// Paint, and a wait that serves only painting.
#include "platform/gui/controls_custom.h"

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gui/application.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/forms.h"
#include "platform/gui/messages.h"
#include "platform/paint/gdiimage.h"

namespace {

using namespace platform;

struct KeyLog {
  std::uint16_t key;
  TShiftState shift;
  bool operator==(const KeyLog&) const = default;
};

std::ostream& operator<<(std::ostream& out, const KeyLog& k) {
  return out << "key " << k.key << " shift " << k.shift;
}

class CustomControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = MakeForm<TForm>();
    form->SetBounds(0, 0, 400, 300);
    // The view stands in a scrolling host, larger than the host, as the map
    // view does; a cancel button waits on the form for a stray Escape.
    host = form->Create<TScrollBox>(form.get(), "Host");
    host->SetBounds(0, 0, 200, 150);
    view = form->Create<TCustomControl>(host, "View");
    view->SetBounds(0, 0, 800, 600);
    cancel = form->Create<TButton>(form.get(), "Cancel");
    cancel->SetBounds(250, 250, 80, 25);
    cancel->SetCancel(true);
    cancel->OnClick = [this](TComponent&) { ++cancelClicks; };
    view->OnKeyDown = [this](TComponent&, std::uint16_t& key, TShiftState shift) {
      keys.push_back({key, shift});
    };
    host->OnKeyDown = [this](TComponent&, std::uint16_t& key, TShiftState shift) {
      hostKeys.push_back({key, shift});
    };
    form->Show();
    view->SetFocus();
    host->ScrollTo(100, 100);
  }

  std::unique_ptr<TForm> form;
  TScrollBox* host = nullptr;
  TCustomControl* view = nullptr;
  TButton* cancel = nullptr;
  std::vector<KeyLog> keys;
  std::vector<KeyLog> hostKeys;
  int cancelClicks = 0;
};

// Arrows, Page Up/Down and the other keys belong to the view: they reach
// its KeyDown with the shift state as held, and neither scroll the host nor
// reach the host's handler.
TEST_F(CustomControlTest, EveryKeyReachesTheControlAndStaysThere) {
  const std::uint16_t vks[] = {VK_LEFT, VK_RIGHT,  VK_UP,   VK_DOWN, VK_PRIOR, VK_NEXT,   VK_HOME,
                               VK_END,  VK_DELETE, VK_BACK, 'A',     '5',      VK_F5};
  const TShiftState shifts[] = {0, ssCtrl, ssShift, ssAltGr, ssCtrl | ssShift | ssAltGr};
  std::vector<KeyLog> expected;
  for (TShiftState shift : shifts) {
    for (std::uint16_t vk : vks) {
      view->SendKey(vk, shift);
      expected.push_back({vk, shift});
    }
  }
  EXPECT_EQ(keys, expected);
  EXPECT_TRUE(hostKeys.empty());
  EXPECT_EQ(host->HorzPosition(), 100);
  EXPECT_EQ(host->VertPosition(), 100);
  EXPECT_EQ(cancelClicks, 0);
  EXPECT_TRUE(view->Focused());
}

// Enter and Escape reach KeyDown first; those it leaves press the form's
// buttons as in any dialog, those it takes (sets to 0) stop there.
TEST_F(CustomControlTest, EnterAndEscapeGoToTheFormOnlyWhenLeft) {
  auto* ok = form->Create<TButton>(form.get(), "Ok");
  ok->SetBounds(250, 200, 80, 25);
  ok->SetDefault(true);
  int okClicks = 0;
  ok->OnClick = [&](TComponent&) { ++okClicks; };
  view->SetFocus();
  bool take = false;
  view->OnKeyDown = [&](TComponent&, std::uint16_t& key, TShiftState shift) {
    keys.push_back({key, shift});
    if (take) key = 0;
  };
  for (bool taken : {false, true}) {
    SCOPED_TRACE(taken ? "taken" : "left");
    take = taken;
    keys.clear();
    okClicks = cancelClicks = 0;
    view->SendKey(VK_ESCAPE);
    view->SendKey(VK_RETURN);
    EXPECT_EQ(keys, (std::vector<KeyLog>{{VK_ESCAPE, 0}, {VK_RETURN, 0}}));
    EXPECT_EQ(cancelClicks, taken ? 0 : 1);
    EXPECT_EQ(okClicks, taken ? 0 : 1);
  }
}

// Tab reaches KeyDown too and still moves the focus on.
TEST_F(CustomControlTest, TabReachesKeyDownAndMovesTheFocus) {
  view->SendKey(VK_TAB);
  EXPECT_EQ(keys, (std::vector<KeyLog>{{VK_TAB, 0}}));
  EXPECT_FALSE(view->Focused());
  EXPECT_TRUE(cancel->Focused());
}

// The right Alt key seen going down and up (a keyboard that reports it as a
// key of its own, without a modifier bit) sets ssAltGr for the keys between.
TEST_F(CustomControlTest, RightAltHeldDownMarksTheKeysPressedMeanwhile) {
  view->SendKey(VK_F7);
  view->SendKeyDown(VK_RMENU);
  view->SendKey(VK_F7);
  view->SendKey(VK_NEXT, ssCtrl);
  view->SendKeyUp(VK_RMENU);
  view->SendKey(VK_F7);
  EXPECT_EQ(keys, (std::vector<KeyLog>{{VK_F7, 0},
                                       {VK_MENU, ssAltGr},
                                       {VK_F7, ssAltGr},
                                       {VK_NEXT, ssCtrl | ssAltGr},
                                       {VK_F7, 0}}));
}

// A letter typed with the right Alt is the Polish letter: KeyDown sees the
// letter key with ssAltGr, KeyPress the letter itself.
TEST_F(CustomControlTest, RightAltTypesPolishLetters) {
  std::u32string typed;
  view->OnKeyPress = [&](TComponent&, char32_t& key) { typed += key; };
  view->SendKey('A', ssAltGr);
  view->SendKey('L', ssAltGr | ssShift);
  view->SendText("ż");
  EXPECT_EQ(typed, U"ąŁż");
  EXPECT_EQ(keys, (std::vector<KeyLog>{{'A', ssAltGr}, {'L', ssAltGr | ssShift}, {'Z', ssAltGr}}));
}

// The mouse entering and leaving a control reaches its handlers, once
// each; a control inside it has its own.
TEST(CustomControlMouse, EnterAndLeaveReachTheControl) {
  struct Tracked : TCustomControl {
    std::string log;
    void MouseEnter() override { log += "E"; }
    void MouseLeave() override { log += "L"; }
  };
  auto form = MakeForm<TForm>();
  form->SetBounds(0, 0, 300, 200);
  auto* outer = form->Create<Tracked>(form.get(), "Outer");
  outer->SetBounds(0, 0, 200, 150);
  auto* inner = form->Create<Tracked>(outer, "Inner");
  inner->SetBounds(10, 10, 50, 50);
  form->Show();
  outer->MouseEnterNow();
  inner->MouseEnterNow();
  inner->MouseLeaveNow();
  outer->MouseLeaveNow();
  EXPECT_EQ(outer->log, "EL");
  EXPECT_EQ(inner->log, "EL");
}

// A control whose Paint draws one pixel and counts.
struct Counted : TCustomControl {
  int paints = 0;
  std::function<void()> onPaint;
  void Paint() override {
    ++paints;
    if (onPaint) onPaint();
    TSurfaceCanvas(Surface()).Canvas().SetPixel(0, 0, 0x000000FF);
  }
};

// An opaque control's Paint starts from the pixels it left (nothing is
// erased under it, neither by Invalidate nor by InvalidateRect); any other
// control's Paint starts from its colour. An empty rectangle, or one beside
// the control, invalidates nothing.
TEST(CustomControlPaint, OpaqueControlIsNotErasedBeforePaint) {
  struct Case {
    bool opaque;
    bool byRect;
    std::uint32_t kept;  // the pixel Paint does not draw, after the Paint
  } cases[] = {
      {false, false, 0x00FFFFFF},
      {false, true, 0x00FFFFFF},
      {true, false, 0x0000FF00},
      {true, true, 0x0000FF00},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.opaque ? "opaque" : "erased") + (c.byRect ? ", rectangle" : ", whole"));
    auto form = MakeForm<TForm>();
    auto* control = form->Create<Counted>(form.get(), "View");
    control->SetBounds(0, 0, 40, 30);
    control->SetColor(0x00FFFFFF);
    control->SetOpaque(c.opaque);
    control->PaintNow();
    ASSERT_EQ(control->paints, 1);
    TSurfaceCanvas(control->Surface()).Canvas().SetPixel(20, 20, 0x0000FF00);
    if (c.byRect) {
      control->InvalidateRect(5, 5, 0, 10);
      control->InvalidateRect(40, 0, 10, 10);
      control->PaintNow();
      EXPECT_EQ(control->paints, 1);
      control->InvalidateRect(15, 15, 10, 10);
    } else {
      control->Invalidate();
    }
    control->PaintNow();
    EXPECT_EQ(control->paints, 2);
    EXPECT_EQ(control->PixelAt(20, 20), c.kept);
    EXPECT_EQ(control->PixelAt(0, 0), 0x000000FFu);
  }
}

class PaintingWaitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = MakeForm<TForm>();
    form->SetBounds(0, 0, 300, 200);
    control = form->Create<Counted>(form.get(), "View");
    control->SetBounds(0, 0, 100, 80);
    form->Show();
    Application().ProcessMessages();
    control->paints = 0;
  }
  void TearDown() override {
    if (signaller.joinable()) signaller.join();
  }
  // Signals done after ms milliseconds, from another thread.
  void SignalAfter(int ms) {
    signaller = std::thread([this, ms] {
      std::this_thread::sleep_for(std::chrono::milliseconds(ms));
      done.SetEvent();
    });
  }

  std::unique_ptr<TForm> form;
  Counted* control = nullptr;
  TEvent done{true, false};
  std::thread signaller;
};

// While the GUI thread waits, an invalidated control is painted and the tick
// runs; the posted message, the queued call and the timer queued before the
// wait are all still waiting after it.
TEST_F(PaintingWaitTest, PaintsAndTicksButDeliversNothingElse) {
  HWND wnd = RegisterWindow([](std::uint32_t, std::uintptr_t, std::intptr_t) { return 0; });
  ASSERT_TRUE(PostMessage(wnd, WM_USER + 9, 1, 0));
  bool called = false;
  QueueCall([&] { called = true; });
  int timerTicks = 0;
  TTimer timer;
  timer.SetInterval(5);
  timer.OnTimer = [&] { ++timerTicks; };
  int ticks = 0;
  control->Invalidate();
  SignalAfter(150);
  WaitForEventPumpingPaint(done, [&] { ++ticks; }, 20);
  EXPECT_EQ(control->paints, 1);
  EXPECT_GE(ticks, 2);
  EXPECT_EQ(PostedMessageCount(wnd, WM_USER + 9), 1);
  EXPECT_FALSE(called);
  EXPECT_EQ(timerTicks, 0);
  PumpPostedMessages();
  EXPECT_TRUE(called);
  EXPECT_EQ(PostedMessageCount(wnd, WM_USER + 9), 0);
  UnregisterWindow(wnd);
}

// What the tick invalidates is painted within the wait, as a repaint timer
// does while a thread draws; a control freed by another's Paint is left
// alone and one hidden is not painted.
TEST_F(PaintingWaitTest, TickInvalidatesAndTheControlsAreLookedUpEachRound) {
  auto* doomed = form->Create<Counted>(form.get(), "Doomed");
  doomed->SetBounds(120, 0, 50, 50);
  auto* hidden = form->Create<Counted>(form.get(), "Hidden");
  hidden->SetBounds(120, 60, 50, 50);
  hidden->Hide();
  Application().ProcessMessages();
  hidden->paints = 0;
  // The first Paint of the round frees the other control waiting for one.
  control->onPaint = [&] {
    if (doomed != nullptr) form->RemoveComponent(std::exchange(doomed, nullptr)).reset();
  };
  control->Invalidate();
  doomed->Invalidate();
  int ticks = 0;
  SignalAfter(200);
  WaitForEventPumpingPaint(done, [&] {
    ++ticks;
    control->Invalidate();
    hidden->Invalidate();
  }, 20);
  EXPECT_EQ(doomed, nullptr);
  EXPECT_GE(ticks, 3);
  EXPECT_GE(control->paints, ticks + 1);
  EXPECT_EQ(hidden->paints, 0);
}

// While drawing is suspended on a window nothing in it is painted; the last
// resume paints it again. Suspensions nest; a resume without a suspension
// does nothing.
TEST_F(PaintingWaitTest, SuspendedDrawingPaintsNothingUntilTheLastResume) {
  form->ResumeDrawing();
  EXPECT_FALSE(form->DrawingSuspended());
  form->SuspendDrawing();
  form->SuspendDrawing();
  control->Invalidate();
  Application().ProcessMessages();
  EXPECT_EQ(control->paints, 0);
  form->ResumeDrawing();
  EXPECT_TRUE(form->DrawingSuspended());
  control->Invalidate();
  Application().ProcessMessages();
  EXPECT_EQ(control->paints, 0);
  form->ResumeDrawing();
  EXPECT_FALSE(form->DrawingSuspended());
  Application().ProcessMessages();
  EXPECT_GE(control->paints, 1);
}

// An event already signalled ends the wait at once; a Paint that starts the
// wait itself (a paint that waits for a drawing thread) is not run again
// inside it.
TEST_F(PaintingWaitTest, SignalledEventAndWaitInsidePaint) {
  done.SetEvent();
  int ticks = 0;
  WaitForEventPumpingPaint(done, [&] { ++ticks; }, 1);
  EXPECT_EQ(ticks, 0);
  done.ResetEvent();
  int nested = 0;
  control->onPaint = [&] {
    if (nested++ > 0) return;
    TEvent inner(true, false);
    std::thread t([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(60));
      inner.SetEvent();
    });
    control->Invalidate();
    WaitForEventPumpingPaint(inner);
    t.join();
  };
  control->Invalidate();
  control->Repaint();
  EXPECT_EQ(nested, 1);
  control->onPaint = nullptr;
}

}  // namespace
