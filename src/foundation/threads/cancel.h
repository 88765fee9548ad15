// Keeping the program responsive during long work, in two ways.
//
// TCancel: the GUI thread does the work itself and polls CheckCanceled
// between steps. At the first check after Delay, a small window with an
// "Anuluj" button appears; CheckCanceled serves it (at most every kServeInterval),
// holding back input and messages of every other window, and raises
// ECanceled after the button or the window's close box was used. Short work
// never shows the window.
//
// TSimpleThread / TProgressThread: the work runs on a worker thread that
// owns itself and frees itself on the GUI thread when it ends; the GUI
// thread shows the modal progress window (TProgressWindow) meanwhile. A
// progress thread is kept past its end only while its starter holds it
// (TProgressHold), so that a window asked for late still finds it. A
// worker's ECanceled is silent; any other error is shown once, on the GUI
// thread.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <utility>

#include "foundation/threads/cancelcheck.h"
#include "platform/gui/forms.h"
#include "platform/gui/messages.h"

namespace platform {
class TButton;
class TLabel;
class TModalPump;
class TProgressBar;
}  // namespace platform

class TProgressThread;

// The cancel state shared by the cancel window and the worker threads:
// Canceled is set once (by the user's cancel) and read by the working
// thread. Any thread.
class TCancelImp : public ICancelCheck {
public:
  bool Canceled() const { return canceled_.load(std::memory_order_acquire); }
  void SetCanceled() { canceled_.store(true, std::memory_order_release); }
  // Raises ECanceled when Canceled is set.
  void CheckCanceled() override;

private:
  std::atomic<bool> canceled_{false};
};

// The cancel window for work done on the GUI thread. Create it before the
// work and free it after (the hourglass cursor is shown meanwhile). GUI
// thread only, except CheckCanceled, which on any other thread just tests
// the flag. Owns its window.
class TCancel : public TCancelImp {
public:
  // The caption of the cancel buttons.
  static constexpr const char* kButtonCaption = "Anuluj";
  // How often CheckCanceled serves the shown window at most.
  static constexpr std::chrono::milliseconds kServeInterval{50};

  // delay: milliseconds before the window appears (250, 500 or 2000).
  TCancel(std::uint32_t delay, std::string caption);
  // Closes the window, sets the cursor back to the default, brings the
  // program to the front.
  ~TCancel() override;
  TCancel(const TCancel&) = delete;
  TCancel& operator=(const TCancel&) = delete;

  // The text shown in the window (at once, or when it is created).
  void SetMessage(std::string text);
  const std::string& Message() const { return message_; }
  // Hide or show the window (a window made later follows Visible).
  void HideWindow();
  void ShowWindow();
  bool Visible() const { return visible_; }

  // Raises ECanceled when the user cancelled; otherwise creates the window
  // once the delay has passed and serves it.
  void CheckCanceled() override;

  std::uint32_t Delay() const { return delay_; }
  const std::string& Caption() const { return caption_; }
  // The window while it exists (nullptr before the delay and after a
  // cancel). For tests and for callers that place it.
  platform::TForm* Window() const { return window_.get(); }
  platform::TButton* Button() const { return button_; }
  platform::TLabel* TextWindow() const { return text_; }

private:
  void CreateWindow();
  void CloseWindow();

  std::uint32_t delay_;
  std::string caption_;
  std::string message_;
  bool visible_ = true;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastServe_{};
  bool windowDone_ = false;  // the window was made and closed: never again
  std::unique_ptr<platform::TForm> window_;
  std::unique_ptr<platform::TModalPump> pump_;
  platform::TButton* button_ = nullptr;  // owned by window_
  platform::TLabel* text_ = nullptr;     // owned by window_
};

// A worker thread that owns itself: Start runs it, and it frees itself on
// the GUI thread once it has ended. Run is the work; it polls CheckCanceled
// (the user's cancel or the stop request raises ECanceled). Run's ECanceled
// ends the thread silently; any other error is shown on the GUI thread
// through the standard error box.
class TSimpleThread : public platform::TThread, public TCancelImp {
public:
  // Starts thread and gives it ownership of itself; the pointer returned is
  // valid on the GUI thread until the thread has ended (and, for a progress
  // thread, until ShowWindow has returned). GUI thread.
  // A progress thread is started by TProgressThread::Start.
  template <class T>
  static T* Start(std::unique_ptr<T> thread) {
    static_assert(!std::is_base_of_v<TProgressThread, T>,
                  "a progress thread is started by TProgressThread::Start");
    return StartOwned(std::move(thread));
  }

protected:
  template <class T>
  static T* StartOwned(std::unique_ptr<T> thread) {
    T* self = thread.release();
    self->Launch();
    return self;
  }

public:
  // Raises ECanceled when the user cancelled or the thread was asked to
  // stop. Worker thread.
  void CheckCanceled() override;
  // GUI thread: true once the work has ended.
  bool HasEnded() const { return ended_; }

protected:
  TSimpleThread() = default;
  // The work, on the worker thread.
  virtual void Run() = 0;
  // GUI thread, once the work has ended (before the object may be freed);
  // the base does nothing.
  virtual void Ended() {}
  // GUI thread: whether the object may be freed now; the base says true.
  virtual bool CanFree() const { return true; }
  // Queues the freeing of the object (once) when it has ended and CanFree.
  // GUI thread.
  void FreeWhenDone();

private:
  void Execute() final;
  void Launch();

  bool ended_ = false;       // GUI thread
  bool freeQueued_ = false;  // GUI thread
};

// The modal progress window: a message, a bar and an "Anuluj" button that
// closes it with the cancel result. Made and freed by
// TProgressThread::ShowWindow. GUI thread.
class TProgressWindow : public platform::TForm {
public:
  TProgressWindow();

  platform::TLabel* Text = nullptr;
  platform::TProgressBar* Progress = nullptr;
  platform::TButton* Cancel = nullptr;
};

template <class T>
class TProgressHold;

// A worker with a progress window. The GUI thread starts it
// (TProgressThread::Start, which hands back a hold) and then calls
// ShowWindow, which returns when the work has ended or the user cancelled.
// The thread frees itself once its work has ended and its hold is gone,
// whether its window was shown or not; its timer stops when the work ends.
// The worker reports through SetText, SetMax and SetPosition; their values
// are kept under a lock, so the GUI thread reads them safely.
class TProgressThread : public TSimpleThread {
public:
  static constexpr std::uint32_t kTimerInterval = 250;

  // Starts thread; the thread stays at least as long as the hold returned.
  // GUI thread.
  template <class T>
  static TProgressHold<T> Start(std::unique_ptr<T> thread) {
    static_assert(std::is_base_of_v<TProgressThread, T>);
    thread->held_ = true;
    return TProgressHold<T>(StartOwned(std::move(thread)));
  }

  ~TProgressThread() override;

  // GUI thread: shows the progress window modally; returns at once when the
  // work has already ended.
  void ShowWindow(const std::string& caption);

  // Worker thread. Equal values are ignored; while the window is shown the
  // text and the maximum reach it at once, the position at once only when
  // it is 0 or less or reaches the maximum (the timer shows the others).
  void SetText(const std::string& text);
  void SetMax(std::int32_t max);
  void SetPosition(std::int32_t position);

  // Any thread.
  std::string Text() const;
  std::int32_t Max() const;
  std::int32_t Position() const;
  // How many updates were pushed to the window at once (for tests).
  int PushedUpdates() const { return pushed_.load(); }
  // GUI thread: whether the 250 ms timer still runs (for tests).
  bool TimerRunning() const;

protected:
  // Makes the 250 ms timer; call from the GUI thread.
  TProgressThread();
  void Ended() override;
  bool CanFree() const override { return !held_; }

private:
  template <class T>
  friend class TProgressHold;
  // GUI thread: the hold is gone; the thread frees itself when done.
  void ReleaseHold();

  // Runs fn on the GUI thread while the window is shown.
  void Push(const std::function<void(TProgressWindow&)>& fn);
  void CancelClick();

  mutable std::mutex mutex_;  // guards text_, max_, position_
  std::string text_;
  std::int32_t max_ = 0;
  std::int32_t position_ = 0;

  std::atomic<bool> shown_{false};  // the window is shown (read by the worker)
  std::atomic<int> pushed_{0};
  TProgressWindow* window_ = nullptr;  // GUI thread; owned by ShowWindow
  bool held_ = false;                  // GUI thread: a TProgressHold keeps it
  std::unique_ptr<platform::TTimer> timer_;
};

// The starter's hold on a progress thread (see TProgressThread::Start).
// While it lives the thread is not freed, even after its work has ended;
// when it goes (or Release), the thread frees itself once its work has
// ended. Move-only; GUI thread.
template <class T>
class TProgressHold {
public:
  explicit TProgressHold(T* thread) : thread_(thread) {}
  TProgressHold(TProgressHold&& other) noexcept : thread_(std::exchange(other.thread_, nullptr)) {}
  TProgressHold& operator=(TProgressHold&&) = delete;
  ~TProgressHold() { Release(); }

  T* operator->() const { return thread_; }
  T* Get() const { return thread_; }
  // Lets the thread go; it must not be used through this hold any more.
  void Release() {
    if (T* thread = std::exchange(thread_, nullptr)) thread->ReleaseHold();
  }

private:
  T* thread_;
};
