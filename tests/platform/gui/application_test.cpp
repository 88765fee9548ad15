#include "platform/gui/application.h"

#include <atomic>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

#include "platform/gui/controls_std.h"
#include "platform/gui/forms.h"
#include "platform/gui/messages.h"

namespace {

using namespace platform;

TEST(ApplicationTest, CreatedOnceOnTheGuiThreadWithoutAScreen) {
  EnsureApplication();
  EnsureApplication();
  EXPECT_TRUE(IsGuiThread());
  EXPECT_TRUE(IsHeadless());
  std::atomic<bool> onWorker{true};
  std::thread worker([&] { onWorker = IsGuiThread(); });
  worker.join();
  EXPECT_FALSE(onWorker);
  EXPECT_EQ(&Application(), &Application());
}

TEST(ApplicationTest, ScreenFactsArePlausible) {
  EXPECT_GT(SystemMetric(TSystemMetric::ScreenWidth), 0);
  EXPECT_GT(SystemMetric(TSystemMetric::ScreenHeight), 0);
  EXPECT_GT(SystemMetric(TSystemMetric::FrameWidth), 0);
  TDialogUnits units = DialogBaseUnits();
  EXPECT_GT(units.x, 0);
  EXPECT_GT(units.y, units.x);
}

TEST(ApplicationTest, OwnCursorsAreCheckedWhenRegistered) {
  EXPECT_THROW(RegisterCursor(0, {{"X"}, 0, 0}), std::invalid_argument);
  EXPECT_THROW(RegisterCursor(5, {{}, 0, 0}), std::invalid_argument);
  EXPECT_THROW(RegisterCursor(5, {{"XX", "X"}, 0, 0}), std::invalid_argument);
  EXPECT_FALSE(CursorExists(987));
  RegisterCursor(5, {{" X ", "X.X", " X "}, 1, 1});
  EXPECT_TRUE(CursorExists(5));
  EXPECT_TRUE(CursorExists(crHourGlass));
  EXPECT_FALSE(CursorExists(-40));
  auto form = MakeForm<TForm>();
  auto* edit = form->Create<TEdit>(form.get(), "E");
  edit->SetCursor(5);
  EXPECT_EQ(edit->Cursor(), 5);
}

TEST(ApplicationTest, CursorHotSpotIsTheRegisteredOneOrTheStandardPicturesPoint) {
  RegisterCursor(6, {{"   ", " X ", "X.X", " X "}, 1, 2});
  struct Case {
    int cursor;
    TCursorHotSpot hot;
  };
  const Case cases[] = {
      {6, {1, 2}},         {crDefault, {0, 0}},  {crArrow, {0, 0}},   {crAppStart, {0, 0}},
      {crCross, {16, 16}}, {crSizeAll, {16, 16}}, {crUpArrow, {16, 0}},
      {988, {0, 0}},  // unknown: shown as the arrow
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cursor);
    EXPECT_EQ(CursorHotSpot(c.cursor), c.hot);
  }
  // Registering anew replaces the hot spot too.
  RegisterCursor(6, {{"X"}, 0, 0});
  EXPECT_EQ(CursorHotSpot(6), (TCursorHotSpot{0, 0}));
}

TEST(ApplicationTest, HourglassOverridesUntilTheDefaultReturns) {
  Application().SetScreenCursor(crHourGlass);
  EXPECT_EQ(Application().ScreenCursor(), crHourGlass);
  Application().SetScreenCursor(crDefault);
  EXPECT_EQ(Application().ScreenCursor(), crDefault);
}

TEST(ApplicationTest, HintChangesAreAnnounced) {
  std::string seen;
  Application().OnHint = [&] { seen = Application().Hint(); };
  Application().SetHint("Pomiar powierzchni");
  Application().OnHint = nullptr;
  EXPECT_EQ(seen, "Pomiar powierzchni");
}

TEST(ApplicationTest, RunEndsWhenAPostedMessageTerminates) {
  HWND wnd = RegisterWindow([](std::uint32_t msg, std::uintptr_t, std::intptr_t) -> std::intptr_t {
    if (msg == WM_USER) Application().Terminate();
    return 0;
  });
  PostMessage(wnd, WM_USER);
  Application().Run();
  EXPECT_TRUE(Application().Terminated());
  UnregisterWindow(wnd);
}

// A program told to end during start-up (the profile window cancelled) ends
// as soon as start-up reaches the message loop.
TEST(ApplicationTest, TerminateBeforeRunEndsTheLoopAtOnce) {
  bool delivered = false;
  HWND wnd = RegisterWindow([&](std::uint32_t, std::uintptr_t, std::intptr_t) -> std::intptr_t {
    delivered = true;
    return 0;
  });
  Application().Terminate();
  PostMessage(wnd, WM_USER);
  // Would end a loop that forgot the earlier request.
  bool lateTick = false;
  TTimer late;
  late.SetInterval(1000);
  late.OnTimer = [&] {
    lateTick = true;
    Application().Terminate();
  };
  Application().Run();
  EXPECT_FALSE(lateTick);
  EXPECT_TRUE(delivered);
  UnregisterWindow(wnd);
}

TEST(ApplicationTest, ExceptionsFromControlEventsReachTheHandler) {
  std::string seen;
  Application().OnException = [&](const std::exception& e) { seen = e.what(); };
  auto form = MakeForm<TForm>();
  auto* button = form->Create<TButton>(form.get(), "B");
  button->OnClick = [](TComponent&) { throw std::runtime_error("Błąd przycisku"); };
  button->ClickAt(3, 3);
  Application().OnException = nullptr;
  EXPECT_EQ(seen, "Błąd przycisku");
}

}  // namespace
