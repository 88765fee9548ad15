// The plain map window's choice of the active sublayers: "Aktywna
// podwarstwa" shows the view's layer tree; OK (Enter, or a double click on
// an item) makes the chosen sublayer the active line or text sublayer of its
// kind, "Anuluj" (Escape) changes nothing. A read-only sublayer is refused
// with the view's error and the window stays.
//
// GUI thread only. The window borrows the view; the view's nodes are
// detached from the window's tree before the tree goes.
#pragma once

#include "platform/gui/forms.h"

class TTvView;
class TWarstwaOgolna;

namespace platform {
class TButton;
class TTreeView;
}  // namespace platform

class TSublayerChoiceD : public platform::TForm {
public:
  explicit TSublayerChoiceD(TTvView& View);
  ~TSublayerChoiceD() override;

  // The node of the selected item, or nullptr.
  TWarstwaOgolna* SelectedNode() const;

  platform::TTreeView* Tree;
  platform::TButton* OKBtn;
  platform::TButton* CancelBtn;

private:
  // OK: the selected node made active; a refusal keeps the window open.
  void OkClick();

  TTvView& view_;
};

// Runs the window over View; true when an active sublayer was chosen.
bool ChooseActiveSublayer(TTvView& View);
