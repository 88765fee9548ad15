#include "platform/gui/messages.h"

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gui/application.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/forms.h"

namespace {

using namespace platform;

// A registered window that records what reaches it.
class RecordingWindow {
 public:
  RecordingWindow() {
    EnsureApplication();
    handle_ = RegisterWindow([this](std::uint32_t msg, std::uintptr_t w, std::intptr_t l) {
      received.push_back({msg, w, l});
      return static_cast<std::intptr_t>(msg + w);
    });
  }
  ~RecordingWindow() { UnregisterWindow(handle_); }
  HWND Handle() const { return handle_; }

  struct Received {
    std::uint32_t msg;
    std::uintptr_t wParam;
    std::intptr_t lParam;
  };
  std::vector<Received> received;

 private:
  HWND handle_ = 0;
};

TEST(MessagesTest, PostedMessagesWaitForThePumpAndKeepTheirOrder) {
  RecordingWindow window;
  ASSERT_TRUE(PostMessage(window.Handle(), WM_USER + 1, 10, -1));
  ASSERT_TRUE(PostMessage(window.Handle(), WM_USER + 2, 20, -2));
  EXPECT_TRUE(window.received.empty());
  EXPECT_EQ(PumpPostedMessages(), 2);
  ASSERT_EQ(window.received.size(), 2u);
  EXPECT_EQ(window.received[0].msg, WM_USER + 1);
  EXPECT_EQ(window.received[0].lParam, -1);
  EXPECT_EQ(window.received[1].wParam, 20u);
}

TEST(MessagesTest, SendMessageCallsAtOnceAndReturnsTheResult) {
  RecordingWindow window;
  EXPECT_EQ(SendMessage(window.Handle(), WM_USER, 5), WM_USER + 5);
  EXPECT_EQ(window.received.size(), 1u);
}

TEST(MessagesTest, UnknownAndFreedWindowsGetNothing) {
  EXPECT_FALSE(PostMessage(0, WM_USER));
  EXPECT_EQ(SendMessage(987654321u, WM_USER), 0);
  std::vector<std::uint32_t> got;
  HWND wnd = RegisterWindow([&](std::uint32_t msg, std::uintptr_t, std::intptr_t) {
    got.push_back(msg);
    return 0;
  });
  ASSERT_TRUE(PostMessage(wnd, WM_USER + 7));
  UnregisterWindow(wnd);
  EXPECT_FALSE(IsWindow(wnd));
  PumpPostedMessages();
  EXPECT_TRUE(got.empty());
}

// The main form's change notice: however often the change happens before
// the notice is delivered, one notice arrives.
TEST(MessagesTest, ChangeNoticeIsQueuedOnce) {
  RecordingWindow window;
  RecordingWindow other;
  const std::uint32_t notice = WM_USER + 100;
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(PostMessageOnce(window.Handle(), notice));
  PostMessage(window.Handle(), WM_USER + 101);
  PostMessage(other.Handle(), notice);
  EXPECT_EQ(PostedMessageCount(window.Handle(), notice), 1);
  EXPECT_EQ(RemovePostedMessages(window.Handle(), notice), 1);
  EXPECT_EQ(RemovePostedMessages(window.Handle(), notice), 0);
  PumpPostedMessages();
  ASSERT_EQ(window.received.size(), 1u);
  EXPECT_EQ(window.received[0].msg, WM_USER + 101);
  EXPECT_EQ(other.received.size(), 1u);
}

TEST(MessagesTest, TheEventLoopDeliversPostedMessages) {
  RecordingWindow window;
  PostMessage(window.Handle(), WM_USER + 3);
  Application().ProcessMessages();
  EXPECT_EQ(window.received.size(), 1u);
}

TEST(MessagesTest, MessagesPostedByAHandlerWaitForTheNextPump) {
  std::vector<int> order;
  HWND wnd = 0;
  wnd = RegisterWindow([&](std::uint32_t msg, std::uintptr_t, std::intptr_t) {
    order.push_back(static_cast<int>(msg - WM_USER));
    if (msg == WM_USER) PostMessage(wnd, WM_USER + 1);
    return 0;
  });
  PostMessage(wnd, WM_USER);
  EXPECT_EQ(PumpPostedMessages(), 1);
  EXPECT_EQ(PumpPostedMessages(), 1);
  EXPECT_EQ(order, (std::vector<int>{0, 1}));
  UnregisterWindow(wnd);
}

TEST(MessagesTest, SendMessageFromAWorkerWaitsForTheGuiThread) {
  RecordingWindow window;
  std::atomic<std::intptr_t> result{0};
  std::atomic<bool> done{false};
  std::thread worker([&] {
    result = SendMessage(window.Handle(), WM_USER, 1);
    done = true;
  });
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!done && std::chrono::steady_clock::now() < deadline) {
    EXPECT_FALSE(IsGuiThread() && window.received.size() > 1);
    PumpPostedMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  worker.join();
  EXPECT_EQ(result, WM_USER + 1);
  ASSERT_EQ(window.received.size(), 1u);
}

TEST(MessagesTest, SynchronizeRunsOnTheGuiThreadAndRaisesInTheCaller) {
  EnsureApplication();
  std::atomic<bool> ranOnGui{false};
  std::string caught;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    Synchronize([&] { ranOnGui = IsGuiThread(); });
    try {
      Synchronize([] { throw std::runtime_error("zepsute"); });
    } catch (const std::runtime_error& e) {
      caught = e.what();
    }
    done = true;
  });
  while (!done) {
    PumpPostedMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  worker.join();
  EXPECT_TRUE(ranOnGui);
  EXPECT_EQ(caught, "zepsute");
}

TEST(MessagesTest, AnExceptionInAPostedHandlerGoesToTheApplication) {
  RecordingWindow dummy;
  std::string seen;
  Application().OnException = [&](const std::exception& e) { seen = e.what(); };
  HWND wnd = RegisterWindow([](std::uint32_t, std::uintptr_t, std::intptr_t) -> std::intptr_t {
    throw std::runtime_error("błąd w obsłudze");
  });
  PostMessage(wnd, WM_USER);
  PostMessage(dummy.Handle(), WM_USER);
  PumpPostedMessages();
  Application().OnException = nullptr;
  UnregisterWindow(wnd);
  EXPECT_EQ(seen, "błąd w obsłudze");
  EXPECT_EQ(dummy.received.size(), 1u);
}

TEST(EventTest, AutomaticResetReleasesOneWaitAndManualResetStays) {
  TEvent automatic(false, false);
  EXPECT_EQ(automatic.WaitFor(0), TWaitResult::Timeout);
  automatic.SetEvent();
  EXPECT_EQ(automatic.WaitFor(0), TWaitResult::Signaled);
  EXPECT_EQ(automatic.WaitFor(0), TWaitResult::Timeout);

  TEvent manual(true, true);
  EXPECT_EQ(manual.WaitFor(0), TWaitResult::Signaled);
  EXPECT_EQ(manual.WaitFor(0), TWaitResult::Signaled);
  manual.ResetEvent();
  EXPECT_EQ(manual.WaitFor(0), TWaitResult::Timeout);
}

TEST(EventTest, TimedWaitEndsEarlyWhenSignalledFromAnotherThread) {
  TEvent event(false, false);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(event.WaitFor(30), TWaitResult::Timeout);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(25));
  std::thread setter([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    event.SetEvent();
  });
  EXPECT_EQ(event.WaitFor(INFINITE), TWaitResult::Signaled);
  setter.join();
}

class WorkerThread : public TThread {
 public:
  explicit WorkerThread(bool fail, bool* freed = nullptr) : fail_(fail), freed_(freed) {}
  ~WorkerThread() override {
    Terminate();
    WaitFor();
    if (freed_ != nullptr) *freed_ = true;
  }
  std::atomic<int> syncedOnGui{0};

 protected:
  void Execute() override {
    for (int i = 0; i < 3 && !Terminated(); ++i)
      Synchronize([this] {
        if (IsGuiThread()) ++syncedOnGui;
      });
    if (fail_) throw std::runtime_error("wątek padł");
  }

 private:
  bool fail_;
  bool* freed_;
};

TEST(ThreadTest, WaitForOnTheGuiThreadServesSynchronisedCalls) {
  EnsureApplication();
  WorkerThread thread(false);
  bool terminatedOnGui = false;
  thread.OnTerminate = [&](TThread&) { terminatedOnGui = IsGuiThread(); };
  thread.Start();
  thread.WaitFor();
  EXPECT_TRUE(thread.Finished());
  EXPECT_EQ(thread.syncedOnGui, 3);
  EXPECT_TRUE(terminatedOnGui);
  EXPECT_EQ(thread.FatalException(), nullptr);
}

TEST(ThreadTest, AnExceptionLeavingExecuteIsKept) {
  EnsureApplication();
  WorkerThread thread(true);
  thread.Start();
  thread.WaitFor();
  ASSERT_NE(thread.FatalException(), nullptr);
  EXPECT_THROW(std::rethrow_exception(thread.FatalException()), std::runtime_error);
}

TEST(ThreadTest, AFreeOnTerminateThreadIsFreedOnTheGuiThread) {
  EnsureApplication();
  bool freed = false;
  bool terminated = false;
  auto thread = std::make_unique<WorkerThread>(false, &freed);
  thread->OnTerminate = [&](TThread&) { terminated = true; };
  TThread::StartFreeOnTerminate(std::move(thread));
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!freed && std::chrono::steady_clock::now() < deadline) {
    PumpPostedMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_TRUE(terminated);
  EXPECT_TRUE(freed);
}

TEST(TimerTest, TicksRunOnTheGuiThreadWhileEnabled) {
  TTimer timer;
  timer.SetInterval(5);
  int ticks = 0;
  timer.OnTimer = [&] { ++ticks; };
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (ticks < 2 && std::chrono::steady_clock::now() < deadline) {
    Application().ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_GE(ticks, 2);
  timer.SetEnabled(false);
  int stopped = ticks;
  for (int i = 0; i < 10; ++i) {
    Application().ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(ticks, stopped);
  timer.SetEnabled(true);
  timer.SetInterval(0);
  for (int i = 0; i < 10; ++i) {
    Application().ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(ticks, stopped);
}

TEST(KeyboardTest, KeyScanAndScanCodesFollowTheLayout) {
  struct Case {
    char32_t ch;
    std::int16_t scan;
  } cases[] = {
      {U'a', 'A'},         {U'A', 0x100 | 'A'}, {U'5', '5'},   {U'%', 0x100 | '5'},
      {U'+', 0x100 | 0xBB}, {U'~', 0x100 | 0xC0}, {U'{', 0x100 | 0xDB}, {U' ', 0x20},
      {U'\r', 0x0D},       {U'ł', 0x600 | 'L'},  {U'Ż', 0x700 | 'Z'}, {U'€', -1},
  };
  for (const auto& c : cases) EXPECT_EQ(VkKeyScan(c.ch), c.scan) << static_cast<std::uint32_t>(c.ch);
  EXPECT_EQ(MapVirtualKey('A'), 30u);
  EXPECT_EQ(MapVirtualKey(VK_HOME), 71u);
  EXPECT_EQ(MapVirtualKey(0xFF), 0u);
}

TEST(KeyboardTest, SyntheticKeysReachTheFocusedControlWithHeldModifiers) {
  auto form = MakeForm<TForm>();
  auto* edit = form->Create<TEdit>(form.get(), "Edit");
  std::vector<std::pair<std::uint16_t, TShiftState>> downs;
  edit->OnKeyDown = [&](TComponent&, std::uint16_t& key, TShiftState shift) {
    downs.emplace_back(key, shift);
  };
  form->Show();
  edit->SetFocus();
  KeybdEvent('A', static_cast<std::uint8_t>(MapVirtualKey('A')), 0);
  KeybdEvent('A', static_cast<std::uint8_t>(MapVirtualKey('A')), KEYEVENTF_KEYUP);
  KeybdEvent(VK_SHIFT, 42, 0);
  KeybdEvent('B', 48, 0);
  KeybdEvent('B', 48, KEYEVENTF_KEYUP);
  KeybdEvent(VK_SHIFT, 42, KEYEVENTF_KEYUP);
  KeybdEvent(VK_HOME, 71, KEYEVENTF_EXTENDEDKEY);
  Application().ProcessMessages();
  EXPECT_EQ(edit->Text(), "aB");
  ASSERT_EQ(downs.size(), 4u);
  EXPECT_EQ(downs[0], std::make_pair(std::uint16_t('A'), TShiftState(0)));
  EXPECT_EQ(downs[1].first, VK_SHIFT);
  EXPECT_EQ(downs[2], std::make_pair(std::uint16_t('B'), ssShift));
  EXPECT_EQ(downs[3], std::make_pair(VK_HOME, TShiftState(0)));
}

TEST(KeyboardTest, NumLockStateToggles) {
  bool before = NumLockOn();
  SetNumLock(!before);
  EXPECT_EQ(NumLockOn(), !before);
  SetNumLock(before);
}

}  // namespace
