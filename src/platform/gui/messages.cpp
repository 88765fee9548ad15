#include "platform/gui/messages.h"

#include <chrono>
#include <deque>
#include <unordered_map>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include "platform/gui/application.h"
#include "platform/gui/controls_impl.h"

namespace platform {
namespace {

// A synchronised call's rendezvous: the caller waits until done.
struct Waiter {
  std::mutex mutex;
  std::condition_variable cv;
  bool done = false;
  std::exception_ptr error;
};

// One queued item: a window message or a call.
struct Item {
  std::uint64_t seq = 0;
  HWND wnd = 0;
  std::uint32_t msg = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
  std::function<void()> call;
  std::shared_ptr<Waiter> waiter;
};

const QEvent::Type kPumpEvent = static_cast<QEvent::Type>(QEvent::User + 117);

// Lives in the GUI thread; a pump event makes it deliver the queue from
// whatever event loop runs there (the main loop or a modal one).
class Dispatcher : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() == kPumpEvent) {
      PumpPostedMessages();
      return true;
    }
    return QObject::event(e);
  }
};

struct Queue {
  std::mutex mutex;
  std::deque<Item> items;
  std::uint64_t nextSeq = 1;
  bool wakePending = false;
  std::unordered_map<HWND, std::shared_ptr<TMessageHandler>> handlers;
  HWND nextHandle = 1;
  Dispatcher* dispatcher = nullptr;  // owned by the application's lifetime
};

Queue& Q() {
  static Queue* queue = new Queue;  // lives to the end of the process
  return *queue;
}

// Asks the GUI thread's event loop to pump (once per batch). Caller holds
// the queue's lock.
void WakeLocked(Queue& q) {
  if (q.wakePending || q.dispatcher == nullptr) return;
  q.wakePending = true;
  QCoreApplication::postEvent(q.dispatcher, new QEvent(kPumpEvent));
}

void Push(Item item) {
  Queue& q = Q();
  std::lock_guard lock(q.mutex);
  item.seq = q.nextSeq++;
  q.items.push_back(std::move(item));
  WakeLocked(q);
}

// The handler of a registered window; null when there is none.
std::shared_ptr<TMessageHandler> HandlerOf(HWND wnd) {
  Queue& q = Q();
  std::lock_guard lock(q.mutex);
  auto it = q.handlers.find(wnd);
  return it == q.handlers.end() ? nullptr : it->second;
}

// A posted window message (not a call) of that window and message number.
bool IsPosted(const Item& item, HWND wnd, std::uint32_t msg) {
  return !item.call && item.wnd == wnd && item.msg == msg;
}

void Deliver(Item& item) {
  if (item.waiter) {
    try {
      item.call();
    } catch (...) {
      item.waiter->error = std::current_exception();
    }
    std::lock_guard lock(item.waiter->mutex);
    item.waiter->done = true;
    item.waiter->cv.notify_all();
    return;
  }
  if (item.call) {
    GuardCall(item.call);
    return;
  }
  std::shared_ptr<TMessageHandler> handler = HandlerOf(item.wnd);
  if (!handler) return;
  GuardCall([&] { (*handler)(item.msg, item.wParam, item.lParam); });
}

// Waits until the GUI thread has run a synchronised call; an exception the
// call threw is thrown again here.
void WaitDone(const std::shared_ptr<Waiter>& waiter) {
  std::unique_lock lock(waiter->mutex);
  waiter->cv.wait(lock, [&] { return waiter->done; });
  if (waiter->error) std::rethrow_exception(waiter->error);
}

}  // namespace

void InitMessageDispatcher() {
  Queue& q = Q();
  std::lock_guard lock(q.mutex);
  if (q.dispatcher != nullptr) return;
  q.dispatcher = new Dispatcher;  // lives as long as the application
  q.wakePending = false;
  if (!q.items.empty()) WakeLocked(q);
}

int PumpSynchronizeCalls() {
  int delivered = 0;
  for (;;) {
    Item item;
    {
      Queue& q = Q();
      std::lock_guard lock(q.mutex);
      auto it = std::find_if(q.items.begin(), q.items.end(),
                             [](const Item& i) { return i.waiter != nullptr; });
      if (it == q.items.end()) return delivered;
      item = std::move(*it);
      q.items.erase(it);
    }
    Deliver(item);
    ++delivered;
  }
}

HWND RegisterWindow(TMessageHandler handler) {
  Queue& q = Q();
  std::lock_guard lock(q.mutex);
  HWND wnd = q.nextHandle++;
  q.handlers[wnd] = std::make_shared<TMessageHandler>(std::move(handler));
  return wnd;
}

void UnregisterWindow(HWND wnd) {
  Queue& q = Q();
  std::lock_guard lock(q.mutex);
  q.handlers.erase(wnd);
}

bool IsWindow(HWND wnd) {
  Queue& q = Q();
  std::lock_guard lock(q.mutex);
  return q.handlers.count(wnd) != 0;
}

bool PostMessage(HWND wnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
  if (!IsWindow(wnd)) return false;
  Item item;
  item.wnd = wnd;
  item.msg = msg;
  item.wParam = wParam;
  item.lParam = lParam;
  Push(std::move(item));
  return true;
}

std::intptr_t SendMessage(HWND wnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
  std::shared_ptr<TMessageHandler> handler = HandlerOf(wnd);
  if (!handler) return 0;
  if (IsGuiThread()) return (*handler)(msg, wParam, lParam);
  std::intptr_t result = 0;
  Synchronize([&] {
    if (IsWindow(wnd)) result = (*handler)(msg, wParam, lParam);
  });
  return result;
}

int RemovePostedMessages(HWND wnd, std::uint32_t msg) {
  Queue& q = Q();
  std::lock_guard lock(q.mutex);
  std::size_t before = q.items.size();
  q.items.erase(std::remove_if(q.items.begin(), q.items.end(),
                               [&](const Item& i) { return IsPosted(i, wnd, msg); }),
                q.items.end());
  return static_cast<int>(before - q.items.size());
}

std::vector<TPostedMessage> TakePostedMessages(HWND wnd, std::uint32_t msg) {
  Queue& q = Q();
  std::lock_guard lock(q.mutex);
  std::vector<TPostedMessage> taken;
  auto keep = std::stable_partition(q.items.begin(), q.items.end(),
                                    [&](const Item& i) { return !IsPosted(i, wnd, msg); });
  for (auto it = keep; it != q.items.end(); ++it) taken.push_back({it->wParam, it->lParam});
  q.items.erase(keep, q.items.end());
  return taken;
}

int PostedMessageCount(HWND wnd, std::uint32_t msg) {
  Queue& q = Q();
  std::lock_guard lock(q.mutex);
  return static_cast<int>(std::count_if(q.items.begin(), q.items.end(),
                                        [&](const Item& i) { return IsPosted(i, wnd, msg); }));
}

bool PostMessageOnce(HWND wnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
  if (PostedMessageCount(wnd, msg) > 0) return true;
  return PostMessage(wnd, msg, wParam, lParam);
}

int PumpPostedMessages() {
  std::uint64_t limit;
  {
    Queue& q = Q();
    std::lock_guard lock(q.mutex);
    limit = q.nextSeq;
    q.wakePending = false;
  }
  int delivered = 0;
  for (;;) {
    Item item;
    {
      Queue& q = Q();
      std::lock_guard lock(q.mutex);
      if (q.items.empty() || q.items.front().seq >= limit) break;
      item = std::move(q.items.front());
      q.items.pop_front();
    }
    Deliver(item);
    ++delivered;
  }
  return delivered;
}

void Synchronize(const std::function<void()>& fn) {
  if (IsGuiThread()) {
    fn();
    return;
  }
  Item item;
  item.call = fn;
  item.waiter = std::make_shared<Waiter>();
  auto waiter = item.waiter;
  Push(std::move(item));
  WaitDone(waiter);
}

void QueueCall(std::function<void()> fn) {
  Item item;
  item.call = std::move(fn);
  Push(std::move(item));
}

TEvent::TEvent(bool manualReset, bool initialState)
    : manualReset_(manualReset), signaled_(initialState) {}

void TEvent::SetEvent() {
  std::lock_guard lock(mutex_);
  signaled_ = true;
  if (manualReset_) cv_.notify_all();
  else cv_.notify_one();
}

void TEvent::ResetEvent() {
  std::lock_guard lock(mutex_);
  signaled_ = false;
}

TWaitResult TEvent::WaitFor(std::uint32_t ms) {
  std::unique_lock lock(mutex_);
  auto ready = [&] { return signaled_; };
  if (ms == INFINITE) {
    cv_.wait(lock, ready);
  } else if (!cv_.wait_for(lock, std::chrono::milliseconds(ms), ready)) {
    return TWaitResult::Timeout;
  }
  if (!manualReset_) signaled_ = false;
  return TWaitResult::Signaled;
}

struct TTimer::Impl {
  QTimer timer;
};

TTimer::TTimer() : impl_(std::make_unique<Impl>()) {
  EnsureApplication();
  QObject::connect(&impl_->timer, &QTimer::timeout, [this] {
    if (OnTimer) GuardCall(OnTimer);
  });
  Update();
}

TTimer::~TTimer() = default;

void TTimer::SetInterval(std::uint32_t ms) {
  if (ms == interval_) return;
  interval_ = ms;
  Update();
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Update();
}

void TTimer::Update() {
  impl_->timer.stop();
  if (enabled_ && interval_ > 0) impl_->timer.start(static_cast<int>(interval_));
}

TThread::~TThread() {
  if (!thread_.joinable()) return;
  if (thread_.get_id() == std::this_thread::get_id()) {
    thread_.detach();
    return;
  }
  Terminate();
  WaitFor();
}

void TThread::Start() {
  if (started_.exchange(true)) return;
  thread_ = std::thread([this] { Body(); });
}

TThread* TThread::StartFreeOnTerminate(std::unique_ptr<TThread> thread) {
  TThread* self = thread.release();  // owned by itself until it ends
  self->freeOnTerminate_ = true;
  self->Start();
  return self;
}

void TThread::Body() {
  try {
    Execute();
  } catch (...) {
    fatal_ = std::current_exception();
  }
  if (OnTerminate) {
    try {
      platform::Synchronize([this] { OnTerminate(*this); });
    } catch (...) {
      // A failing termination handler must not take the thread down with it.
    }
  }
  bool freeSelf = freeOnTerminate_;
  finished_ = true;
  if (freeSelf) QueueCall([this] { std::unique_ptr<TThread> owner(this); });
}

void TThread::WaitFor() {
  if (!thread_.joinable()) return;
  if (IsGuiThread()) {
    while (!finished_) {
      if (PumpSynchronizeCalls() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  thread_.join();
}

}  // namespace platform
