#include "foundation/threads/cancel.h"

#include <chrono>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "foundation/errors.h"
#include "platform/gui/application.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/forms.h"
#include "platform/gui/messages.h"
#include "platform/gui/modality.h"
#include "platform/gui/responder.h"

namespace {

using namespace std::chrono_literals;

constexpr int kIdOk = 1;

void PumpFor(std::chrono::milliseconds time) {
  auto end = std::chrono::steady_clock::now() + time;
  while (std::chrono::steady_clock::now() < end) {
    platform::Application().ProcessMessages();
    std::this_thread::sleep_for(2ms);
  }
}

template <class Pred>
bool PumpUntil(Pred done, std::chrono::milliseconds limit = 5000ms) {
  auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    platform::Application().ProcessMessages();
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

// Checks as a long loop would, long enough for the window's events to be
// served.
void CheckFor(ICancelCheck& check, std::chrono::milliseconds time) {
  auto end = std::chrono::steady_clock::now() + time;
  while (std::chrono::steady_clock::now() < end) {
    check.CheckCanceled();
    std::this_thread::sleep_for(1ms);
  }
}

class CancelWindow : public ::testing::Test {
protected:
  void SetUp() override { platform::EnsureApplication(); }
};

TEST_F(CancelWindow, ShortWorkShowsNoWindow) {
  {
    TCancel cancel(2000, "Wczytywanie");
    EXPECT_EQ(platform::Application().ScreenCursor(), platform::crHourGlass);
    EXPECT_NO_THROW(CheckFor(cancel, 100ms));
    EXPECT_EQ(cancel.Window(), nullptr);
  }
  EXPECT_EQ(platform::Application().ScreenCursor(), platform::crDefault);
  EXPECT_TRUE(platform::VisibleForms().empty());
}

TEST_F(CancelWindow, AppearsAfterTheDelayWithTheStoredMessage) {
  TCancel cancel(30, "Wczytywanie");
  cancel.SetMessage("Wczytywanie warstw");
  CheckFor(cancel, 10ms);
  EXPECT_EQ(cancel.Window(), nullptr);
  CheckFor(cancel, 80ms);
  ASSERT_NE(cancel.Window(), nullptr);
  EXPECT_EQ(cancel.Window()->Caption(), "Wczytywanie");
  EXPECT_TRUE(cancel.Window()->Showing());
  EXPECT_EQ(cancel.Button()->Caption(), "Anuluj");
  EXPECT_EQ(cancel.TextWindow()->Caption(), "Wczytywanie warstw");
  cancel.SetMessage("Szukanie");
  EXPECT_EQ(cancel.TextWindow()->Caption(), "Szukanie");
  cancel.HideWindow();
  EXPECT_FALSE(cancel.Window()->Showing());
  cancel.ShowWindow();
  EXPECT_TRUE(cancel.Window()->Showing());
}

// 100 x 50 dialog units; the button of 28 x 10 units at x = (W - bw) div 2
// above the bottom frame, the text control above it.
TEST_F(CancelWindow, LayoutInDialogUnits) {
  using platform::SystemMetric;
  using platform::TSystemMetric;
  const platform::TDialogUnits units = platform::DialogBaseUnits();
  const int w = units.x * 100 / 4;
  const int h = units.y * 50 / 8;
  const int caption = SystemMetric(TSystemMetric::CaptionHeight);
  const int fw = SystemMetric(TSystemMetric::FrameWidth);
  const int fh = SystemMetric(TSystemMetric::FrameHeight);
  const int bw = units.x * 28 / 4;
  const int bh = units.y * 10 / 8;
  TCancel cancel(0, "Wczytywanie");
  cancel.CheckCanceled();
  ASSERT_NE(cancel.Window(), nullptr);
  EXPECT_EQ(cancel.Window()->ClientWidth(), w - 2 * fw);
  EXPECT_EQ(cancel.Window()->ClientHeight(), h - caption - 2 * fh);
  platform::TButton& button = *cancel.Button();
  EXPECT_EQ(button.Left(), (w - bw) / 2);
  EXPECT_EQ(button.Top(), h - caption - 3 * fh - bh);
  EXPECT_EQ(button.Width(), bw);
  EXPECT_EQ(button.Height(), bh);
  platform::TLabel& text = *cancel.TextWindow();
  EXPECT_EQ(text.Left(), fw);
  EXPECT_EQ(text.Top(), fh);
  EXPECT_EQ(text.Width(), w - 4 * fw);
  EXPECT_EQ(text.Height(), h - caption - 5 * fh - bh);
}

TEST_F(CancelWindow, HiddenBeforeItExistsIsCreatedHidden) {
  TCancel cancel(0, "Wczytywanie");
  cancel.HideWindow();
  CheckFor(cancel, 60ms);
  ASSERT_NE(cancel.Window(), nullptr);
  EXPECT_FALSE(cancel.Window()->Showing());
}

TEST_F(CancelWindow, AnulujRaisesCanceledAtTheNextCheck) {
  TCancel cancel(0, "Wczytywanie");
  ICancelCheck& check = cancel;
  check.CheckCanceled();
  ASSERT_NE(cancel.Button(), nullptr);
  // The click waits in the event queue; only serving the window delivers it.
  platform::PostClick(*cancel.Button(), 5, 5);
  EXPECT_FALSE(cancel.Canceled());
  EXPECT_THROW(CheckFor(check, 500ms), ECanceled);
  EXPECT_TRUE(cancel.Canceled());
  EXPECT_EQ(cancel.Window(), nullptr);
  EXPECT_THROW(check.CheckCanceled(), ECanceled);
}

TEST_F(CancelWindow, CloseBoxCancelsToo) {
  TCancel cancel(0, "Wczytywanie");
  cancel.CheckCanceled();
  ASSERT_NE(cancel.Window(), nullptr);
  cancel.Window()->Close();
  EXPECT_THROW(cancel.CheckCanceled(), ECanceled);
}

TEST_F(CancelWindow, OtherWindowsWaitUntilTheWorkEnds) {
  auto other = platform::MakeForm<platform::TForm>();
  auto* button = other->Create<platform::TButton>(other.get(), "Ok");
  button->SetBounds(0, 0, 80, 25);
  int clicks = 0;
  button->OnClick = [&](platform::TComponent&) { ++clicks; };
  other->Show();
  int delivered = 0;
  platform::HWND wnd = platform::RegisterWindow([&](std::uint32_t, std::uintptr_t, std::intptr_t) {
    ++delivered;
    return std::intptr_t{0};
  });
  {
    TCancel cancel(0, "Wczytywanie");
    cancel.CheckCanceled();
    platform::PostMessage(wnd, platform::WM_USER);
    platform::PostClick(*button, 5, 5);
    CheckFor(cancel, 200ms);
    EXPECT_EQ(delivered, 0);
    EXPECT_EQ(clicks, 0);
  }
  PumpFor(50ms);
  EXPECT_EQ(delivered, 1);  // held back, then delivered
  EXPECT_EQ(clicks, 0);     // input is dropped, as for a modal window
  platform::UnregisterWindow(wnd);
}

// Shared with a worker that frees itself: what it saw at its end.
struct Probe {
  platform::TEvent go{true, false};
  std::atomic<bool> destroyed{false};
  std::atomic<int> pushed{-1};
  std::string text;
  std::atomic<bool> ran{false};
};

enum class Work { Report, Fail, CancelSilently, WaitForCancel, EndAtOnce };

class Worker : public TProgressThread {
public:
  Worker(std::shared_ptr<Probe> probe, Work work) : probe_(std::move(probe)), work_(work) {}
  ~Worker() override {
    probe_->pushed = PushedUpdates();
    probe_->text = Text();
    probe_->destroyed = true;
  }

protected:
  void Run() override {
    probe_->ran = true;
    if (work_ == Work::EndAtOnce) return;
    probe_->go.WaitFor(platform::INFINITE);
    switch (work_) {
      case Work::Report:
        SetText("Konwersja warstwy");
        SetMax(100);
        for (int i = 0; i <= 100; ++i) SetPosition(i);
        break;
      case Work::Fail: throw ETvError("Błąd konwersji");
      case Work::CancelSilently: throw ECanceled();
      case Work::WaitForCancel:
        SetText("po anulowaniu");
        SetMax(10);
        SetPosition(10);
        CheckCanceled();
        ADD_FAILURE() << "the stop request was not seen";
        break;
      case Work::EndAtOnce: break;
    }
  }

private:
  std::shared_ptr<Probe> probe_;
  Work work_;
};

class ProgressThread : public ::testing::Test {
protected:
  void SetUp() override { platform::EnsureApplication(); }

  // Answers the progress window: lets the worker go and serves the events
  // until the window ends (check runs with the window then).
  void AnswerWhileWorking(std::function<void(platform::TForm&)> check = {}) {
    responder_.AnswerForm(
        [this, check](platform::TForm& form) {
          probe_->go.SetEvent();
          EXPECT_TRUE(PumpUntil([&] { return form.ModalResult() != platform::mrNone; }));
          if (check) check(form);
        },
        "Konwersja");
  }

  std::shared_ptr<Probe> probe_ = std::make_shared<Probe>();
  platform::TScriptedResponder responder_{[](const std::string& m) { ADD_FAILURE() << m; }};
};

TEST_F(ProgressThread, ReportsFinishesAndFreesItself) {
  AnswerWhileWorking([](platform::TForm& form) {
    EXPECT_EQ(form.Get<platform::TLabel>("Text").Caption(), "Konwersja warstwy");
    auto& bar = form.Get<platform::TProgressBar>("Progress");
    EXPECT_EQ(bar.Max(), 100);
    EXPECT_EQ(bar.Position(), 100);
    EXPECT_EQ(form.ModalResult(), platform::mrCancel);
  });
  auto worker = TProgressThread::Start(std::make_unique<Worker>(probe_, Work::Report));
  worker->ShowWindow("Konwersja");
  worker.Release();
  EXPECT_TRUE(PumpUntil([&] { return probe_->destroyed.load(); }));
  // Text, maximum and the last position; positions 1 to 99 cost no call.
  EXPECT_EQ(probe_->pushed, 3);
  ASSERT_EQ(responder_.Shown().size(), 1u);
  EXPECT_EQ(responder_.Shown()[0].kind, platform::TModalKind::Form);
}

TEST_F(ProgressThread, WorkerErrorIsShownOnceOnTheGuiThread) {
  AnswerWhileWorking();
  responder_.AnswerMessageBox(kIdOk);
  auto worker = TProgressThread::Start(std::make_unique<Worker>(probe_, Work::Fail));
  worker->ShowWindow("Konwersja");
  worker.Release();
  EXPECT_TRUE(PumpUntil([&] { return probe_->destroyed.load(); }));
  ASSERT_EQ(responder_.Shown().size(), 2u);
  EXPECT_EQ(responder_.Shown()[1].kind, platform::TModalKind::MessageBox);
  EXPECT_EQ(responder_.Shown()[1].text, "Błąd konwersji");
}

TEST_F(ProgressThread, WorkerCancelIsSilent) {
  AnswerWhileWorking();
  auto worker = TProgressThread::Start(std::make_unique<Worker>(probe_, Work::CancelSilently));
  worker->ShowWindow("Konwersja");
  worker.Release();
  EXPECT_TRUE(PumpUntil([&] { return probe_->destroyed.load(); }));
  EXPECT_EQ(responder_.Shown().size(), 1u);
}

TEST_F(ProgressThread, AnulujReturnsAtOnceAndLaterUpdatesOnlyStore) {
  responder_.AnswerForm([](platform::TForm& form) {
    form.Get<platform::TButton>("Cancel").Click();
  });
  auto worker = TProgressThread::Start(std::make_unique<Worker>(probe_, Work::WaitForCancel));
  worker->ShowWindow("Konwersja");
  worker.Release();
  EXPECT_FALSE(probe_->destroyed);
  probe_->go.SetEvent();
  EXPECT_TRUE(PumpUntil([&] { return probe_->destroyed.load(); }));
  EXPECT_EQ(probe_->pushed, 0);
  EXPECT_EQ(probe_->text, "po anulowaniu");
  EXPECT_EQ(responder_.Shown().size(), 1u);  // no error box for the cancel
}

// A worker that ended before ShowWindow was called made the window wait for
// an end that had already come, on an object already freed.
TEST_F(ProgressThread, ShowWindowAfterWorkEndedReturnsAtOnce) {
  auto worker = TProgressThread::Start(std::make_unique<Worker>(probe_, Work::EndAtOnce));
  EXPECT_TRUE(PumpUntil([&] { return worker->HasEnded(); }));
  PumpFor(20ms);
  EXPECT_FALSE(probe_->destroyed);  // kept for ShowWindow by the hold
  EXPECT_FALSE(worker->TimerRunning());
  worker->ShowWindow("Konwersja");  // no form is shown: no answer is queued
  worker.Release();
  EXPECT_TRUE(PumpUntil([&] { return probe_->destroyed.load(); }));
  EXPECT_TRUE(responder_.Shown().empty());
}

// A progress thread whose window was never shown stayed for good, its timer
// ticking on: it waited for a ShowWindow that never came.
TEST_F(ProgressThread, ThreadWhoseWindowWasNeverShownIsFreedWhenItsWorkEnds) {
  // Let go while the work still runs.
  {
    auto worker = TProgressThread::Start(std::make_unique<Worker>(probe_, Work::Report));
    EXPECT_TRUE(worker->TimerRunning());
  }
  PumpFor(20ms);
  EXPECT_FALSE(probe_->destroyed);  // still working
  probe_->go.SetEvent();
  EXPECT_TRUE(PumpUntil([&] { return probe_->destroyed.load(); }));
  EXPECT_EQ(probe_->pushed, 0);

  // Let go after the work ended: the timer stopped at the end.
  auto second = std::make_shared<Probe>();
  auto worker = TProgressThread::Start(std::make_unique<Worker>(second, Work::EndAtOnce));
  EXPECT_TRUE(PumpUntil([&] { return worker->HasEnded(); }));
  EXPECT_FALSE(worker->TimerRunning());
  worker.Release();
  EXPECT_TRUE(PumpUntil([&] { return second->destroyed.load(); }));
  EXPECT_TRUE(responder_.Shown().empty());
}

}  // namespace
