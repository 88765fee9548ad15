#include "foundation/threads/cancelcheck.h"

#include "foundation/errors.h"

namespace {

class TNoCancel : public ICancelCheck {
public:
  void CheckCanceled() override {}
};

}  // namespace

ICancelCheck& NoCancel() {
  static TNoCancel none;
  return none;
}

void TCancelFlag::CheckCanceled() {
  if (Canceled()) throw ECanceled();
}
