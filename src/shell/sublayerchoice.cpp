#include "shell/sublayerchoice.h"

#include <exception>

#include "layers/tree/layernode.h"
#include "platform/gui/application.h"
#include "platform/gui/controls_grids.h"
#include "platform/gui/controls_std.h"
#include "view/tvview.h"

using namespace platform;

TSublayerChoiceD::TSublayerChoiceD(TTvView& View) : view_(View) {
  SetCaption("Aktywna podwarstwa");
  SetBorderStyle(TFormBorderStyle::Dialog);
  SetPosition(TPosition::ScreenCenter);
  SetClientWidth(320);
  SetClientHeight(360);
  Tree = Create<TTreeView>(this, "Tree");
  Tree->SetBounds(8, 8, 304, 308);
  Tree->SetReadOnly(true);
  Tree->OnDblClick = [this](TComponent&) { OkClick(); };
  OKBtn = Create<TButton>(this, "OKBtn");
  OKBtn->SetBounds(72, 326, 80, 25);
  OKBtn->SetCaption("OK");
  OKBtn->SetDefault(true);
  OKBtn->OnClick = [this](TComponent&) { OkClick(); };
  CancelBtn = Create<TButton>(this, "CancelBtn");
  CancelBtn->SetBounds(168, 326, 80, 25);
  CancelBtn->SetCaption("Anuluj");
  CancelBtn->SetCancel(true);
  CancelBtn->SetModalResult(mrCancel);
  View.FillLayerTree(*Tree);
  SetActiveControl(Tree);
}

TSublayerChoiceD::~TSublayerChoiceD() {
  // The nodes must not keep items of this tree.
  view_.SetActiveWarstwa(view_.ActiveNode);
}

TWarstwaOgolna* TSublayerChoiceD::SelectedNode() const {
  TTreeNode* item = Tree->Selected();
  return item != nullptr ? static_cast<TWarstwaOgolna*>(item->Data()) : nullptr;
}

void TSublayerChoiceD::OkClick() {
  TWarstwaOgolna* node = SelectedNode();
  if (node == nullptr) return;
  try {
    view_.SetActivePodwarstwa(node);
  } catch (const std::exception& error) {
    Application().ShowException(error);
    return;
  }
  view_.SetActiveWarstwa(node);
  SetModalResult(mrOk);
}

bool ChooseActiveSublayer(TTvView& View) {
  TSublayerChoiceD window(View);
  return window.ShowModal() == mrOk;
}
