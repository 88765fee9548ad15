// The check that long operations poll between their steps to learn whether
// the user cancelled. The cancel window plugs in by implementing
// ICancelCheck; work that runs without a window passes NoCancel().
#pragma once

#include <atomic>

class ICancelCheck {
public:
  virtual ~ICancelCheck() = default;
  // Raises ECanceled when the user asked to stop; otherwise does nothing.
  // Called by the thread doing the work.
  virtual void CheckCanceled() = 0;
};

// A check that never cancels. Shared and stateless: any thread may use it.
ICancelCheck& NoCancel();

// A cancel flag: Cancel may be called from any thread, CheckCanceled then
// raises ECanceled on the working thread. Used where no window is shown.
class TCancelFlag : public ICancelCheck {
public:
  void Cancel() { canceled_.store(true, std::memory_order_relaxed); }
  bool Canceled() const { return canceled_.load(std::memory_order_relaxed); }
  void CheckCanceled() override;

private:
  std::atomic<bool> canceled_{false};
};
