// Window messages, synchronised calls, events, timers and threads.
//
// Window handles are opaque integers (0 is no window) given to message
// handlers registered on the GUI thread. PostMessage queues a message for its
// handler and returns at once; SendMessage calls the handler and returns its
// result, waiting for the GUI thread when called from another one. Posted
// messages and synchronised calls are delivered by the GUI thread's event
// loop, or by PumpPostedMessages where a test runs no loop. Posting and
// sending are safe from any thread; registering belongs to the GUI thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {

using HWND = std::uint32_t;

// Message numbers the system uses; its own start at WM_USER.
inline constexpr std::uint32_t WM_DESTROY = 0x0002;
inline constexpr std::uint32_t WM_SETTEXT = 0x000C;
inline constexpr std::uint32_t WM_CLOSE = 0x0010;
inline constexpr std::uint32_t WM_QUIT = 0x0012;
inline constexpr std::uint32_t WM_COMMAND = 0x0111;
inline constexpr std::uint32_t WM_TIMER = 0x0113;
inline constexpr std::uint32_t WM_USER = 1024;

// A message handler: (message, wParam, lParam) -> result.
using TMessageHandler =
    std::function<std::intptr_t(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam)>;

// GUI thread. Registers a handler and returns its new handle (never 0, never
// reused while the program runs).
HWND RegisterWindow(TMessageHandler handler);
// GUI thread. Removes the handler; messages still queued for it are dropped
// when their turn comes. Unknown handles are ignored.
void UnregisterWindow(HWND wnd);
// Any thread. True while wnd is registered.
bool IsWindow(HWND wnd);

// Any thread. Queues the message; false (and nothing queued) when wnd is not
// a registered window.
bool PostMessage(HWND wnd, std::uint32_t msg, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
// Any thread. Calls the handler and returns its result; 0 for an unknown
// window. From another thread it waits until the GUI thread has delivered it.
std::intptr_t SendMessage(HWND wnd, std::uint32_t msg, std::uintptr_t wParam = 0,
                          std::intptr_t lParam = 0);
// Any thread. Drops the messages with this number already queued for wnd and
// returns how many were dropped (posting a change notice once, however often
// the change happens before the notice is delivered).
int RemovePostedMessages(HWND wnd, std::uint32_t msg);
// One queued message taken out of the queue.
struct TPostedMessage {
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
};
// Any thread. Takes every message with this number queued for wnd out of the
// queue, oldest first (a handler draining the requests that piled up).
std::vector<TPostedMessage> TakePostedMessages(HWND wnd, std::uint32_t msg);
// Any thread. Queues msg for wnd unless one with the same number is queued
// already; true when the queue holds one afterwards.
bool PostMessageOnce(HWND wnd, std::uint32_t msg, std::uintptr_t wParam = 0,
                     std::intptr_t lParam = 0);
// Any thread. How many messages with this number are queued for wnd.
int PostedMessageCount(HWND wnd, std::uint32_t msg);

// GUI thread. Delivers every posted message and synchronised call queued now
// (not those queued by the handlers meanwhile); returns how many.
int PumpPostedMessages();

// Runs fn on the GUI thread and waits for it; an exception fn raises is
// raised again in the caller. On the GUI thread fn runs at once.
void Synchronize(const std::function<void()>& fn);
// Any thread. Queues fn to run on the GUI thread and returns at once.
void QueueCall(std::function<void()> fn);

inline constexpr std::uint32_t INFINITE = 0xFFFFFFFFu;

enum class TWaitResult { Signaled, Timeout };

// An event with the operating-system semantics: manual reset stays signalled
// until reset; automatic reset releases one waiter and resets itself. Any
// thread may use it.
class TEvent {
 public:
  TEvent(bool manualReset, bool initialState);
  void SetEvent();
  void ResetEvent();
  // Waits at most ms milliseconds (INFINITE: without a limit).
  TWaitResult WaitFor(std::uint32_t ms);

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool manualReset_;
  bool signaled_;
};

// A periodic timer whose OnTimer runs on the GUI thread. Interval 0 or
// Enabled false stops it. Create, change and free it on the GUI thread.
class TTimer {
 public:
  TTimer();
  ~TTimer();
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;

  std::uint32_t Interval() const { return interval_; }
  void SetInterval(std::uint32_t ms);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  std::function<void()> OnTimer;

 private:
  void Update();
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::uint32_t interval_ = 1000;
  bool enabled_ = true;
};

// A worker thread. A derived class implements Execute and starts the thread
// with Start (not in its constructor's base part, so Execute is complete).
// An exception leaving Execute is kept (FatalException). After Execute the
// thread calls OnTerminate on the GUI thread and waits for it. Destroying a
// running thread asks it to stop and waits for it; a derived class whose
// Execute uses the derived class's members does that (Terminate, WaitFor) in
// its own destructor, before those members go. A thread started with
// StartFreeOnTerminate owns itself and is freed on the GUI thread after
// OnTerminate. Start, WaitFor and the destructor belong to the thread that
// made the object; Terminate and Terminated to any thread.
class TThread {
 public:
  TThread() = default;
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  // Starts Execute on a new thread; a second call does nothing.
  void Start();
  // Starts thread and hands its ownership to itself.
  static TThread* StartFreeOnTerminate(std::unique_ptr<TThread> thread);

  // Sets the stop request that Execute polls through Terminated.
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }
  // True once Execute and OnTerminate have run.
  bool Finished() const { return finished_; }
  // Waits for the thread to end. On the GUI thread it serves synchronised
  // calls meanwhile, so a thread synchronising with it cannot deadlock.
  void WaitFor();

  std::exception_ptr FatalException() const { return fatal_; }
  // Called on the GUI thread after Execute (not when empty).
  std::function<void(TThread& sender)> OnTerminate;

 protected:
  virtual void Execute() = 0;
  void Synchronize(const std::function<void()>& fn) { platform::Synchronize(fn); }

 private:
  void Body();

  std::thread thread_;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  std::atomic<bool> started_{false};
  bool freeOnTerminate_ = false;
  std::exception_ptr fatal_;
};

// Synthetic keyboard input for the window with the keyboard focus: one key
// event with a Windows virtual-key code, its scan code and the flags below.
inline constexpr std::uint32_t KEYEVENTF_EXTENDEDKEY = 0x0001;
inline constexpr std::uint32_t KEYEVENTF_KEYUP = 0x0002;
// GUI thread. Sends a key down or up to the focused control (nothing when
// no control has the focus). Shift, Ctrl and Alt downs and ups are kept as
// the modifier state of the following keys.
void KeybdEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags);
// The virtual-key code that types ch on the keyboard layout (US layout,
// Polish letters with the right Alt) in the low byte and the modifiers it
// needs in the high byte (1 Shift, 2 Ctrl, 4 Alt); -1 when no key types it.
std::int16_t VkKeyScan(char32_t ch);
// The scan code of a virtual-key code (0 for none).
std::uint32_t MapVirtualKey(std::uint32_t vk);
// The NumLock toggle state of the keyboard of this program.
bool NumLockOn();
void SetNumLock(bool on);

}  // namespace platform
