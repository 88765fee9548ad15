#include "view/viewimp.h"

TTvViewImp::TTvViewImp() = default;

TTvViewImp::~TTvViewImp() = default;

double TTvViewImp::ZoomRatioFor(const TRealRect& R) { return 0.0; }

void TTvViewImp::PushHint(const std::string& Text) {
  hintStack_.push_back(Hint());
  SetHint(Text);
}

void TTvViewImp::PopHint() {
  if (hintStack_.empty()) return;
  std::string saved = std::move(hintStack_.back());
  hintStack_.pop_back();
  SetHint(std::move(saved));
}
