// The background redraw of a map view. A TRedrawThread draws the view's
// layer tree into the view's off-screen image: a full redraw clears the image
// and draws the whole tree, then the queued nodes over it; a partial redraw
// only draws its queued nodes. A new full redraw stops the running thread
// (its terminated flag and the canvas's abort flag) and starts one chained
// behind it, which waits for its predecessor to end before it draws, so only
// one thread draws at a time. A repaint timer of the view invalidates it
// while the thread runs.
//
// Ownership is shared: the view holds its newest thread, each thread its
// predecessor until it has waited for it, and the running std::thread holds
// its own object until its end notice has been queued. Everything a thread
// tells the GUI thread (its end, an error to show) is queued, never waited
// for, so the GUI thread may wait for a thread while it only repaints.
// AddJob, Stop and Ended may be called from any thread; Start, the timer and
// the destructor belong to the GUI thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/gui/messages.h"

class TDefRealCanvas;
class TGrupaWarstw;
class TTvView;
class TWarstwaOgolna;

class TRedrawThread : public std::enable_shared_from_this<TRedrawThread> {
public:
  // Stops Previous when given. The thread does not run until Start.
  TRedrawThread(TTvView& View, std::shared_ptr<TRedrawThread> Previous, bool ClearFirst);
  // Joins the thread when it still runs (the owner waited for it first).
  ~TRedrawThread();
  TRedrawThread(const TRedrawThread&) = delete;
  TRedrawThread& operator=(const TRedrawThread&) = delete;

  // GUI thread: runs Execute on a new thread and starts the repaint timer.
  void Start();
  // Appends Node unless the thread takes no more jobs (it has finished its
  // work, or it was stopped and will draw nothing more); false then.
  bool AddJob(TWarstwaOgolna* Node);
  // Sets the terminated flag and the canvas's abort flag.
  void Stop();
  bool Terminated() const { return terminated_.load(); }
  // Signalled when Execute has ended (its end notice is queued by then).
  platform::TEvent& EndedEvent() { return ended_; }
  bool Ended() const { return endedFlag_.load(); }
  // The error Execute ended with (not an abort), for the GUI thread.
  std::exception_ptr Error() const;

private:
  // The thread's body: Execute, then the end notice queued for the GUI
  // thread, which holds Self until it has run there.
  static void Run(std::shared_ptr<TRedrawThread> Self);
  void Execute();
  void PaintBackBuffer();
  // Keeps Error, drops the jobs left and queues the error's display.
  void Fail(std::exception_ptr Error);
  // Queues the end notice (it frees the timer and tells the view), then
  // signals the ended event.
  static void Finish(std::shared_ptr<TRedrawThread> Self);

  TTvView& view_;
  // What the thread draws on and draws, taken on the GUI thread when the
  // thread is made: the view replaces none of them while a thread lives.
  TDefRealCanvas* canvas_;
  TGrupaWarstw* root_;
  TGrupaWarstw* topGroup_;
  std::shared_ptr<TRedrawThread> previous_;
  bool clearFirst_;
  std::mutex jobsLock_;
  std::deque<TWarstwaOgolna*> jobs_;
  bool done_ = false;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> endedFlag_{false};
  platform::TEvent ended_{true, false};
  mutable std::mutex errorLock_;
  std::exception_ptr error_;
  std::unique_ptr<platform::TTimer> timer_;
  std::thread thread_;
  // The view's alive token: queued calls do nothing once the view is gone.
  std::shared_ptr<std::atomic<bool>> viewAlive_;
};
