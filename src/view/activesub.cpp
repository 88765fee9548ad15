// The view's active sublayers, the layer panel's tree, the overlay painter,
// the entry points of the view's markers and the measurement window.
#include <cmath>
#include <exception>
#include <string>
#include <utility>

#include "foundation/errors.h"
#include "layers/tree/layertree.h"
#include "layers/tree/sublayer.h"
#include "layers/tree/treehost.h"
#include "objects/scalecorri.h"
#include "platform/gui/controls.h"
#include "platform/gui/controls_grids.h"
#include "view/tvview.h"
#include "view/viewwalkers.h"

namespace {

constexpr char kReadOnlyActivation[] = "Próba uaktywnienia warstwy tylko do odczytu";

}  // namespace

void TTvView::PostActiveChanged() { PostMainFormNotify(kMainFormActiveChanged); }

void TTvView::SetActivePodwarstwa(TWarstwaOgolna* Sub) {
  if (Sub == nullptr) {
    if (ActiveLine != nullptr) ActiveLine->SetActive(false);
    if (ActiveText != nullptr) ActiveText->SetActive(false);
    ActiveLine = nullptr;
    ActiveText = nullptr;
    LinePresets.Flags = 0;
    TextPresets.Flags = 0;
    UpdateCaption();
    PostActiveChanged();
    return;
  }
  if (Sub->IsReadOnly()) throw ETolvikaError(kReadOnlyActivation);
  if (Sub == ActiveLine || Sub == ActiveText) return;

  // Activating a hidden sublayer shows it; only that sublayer is drawn.
  auto makeShown = [this](TPodwarstwa& S) {
    const bool wasShown = S.IsShown();
    S.SetVisible(true);
    if (S.IsShown() != wasShown) QueueRedraw(&S);
  };
  if (auto* line = dynamic_cast<TPodwarstwaLiniowa*>(Sub)) {
    if (ActiveLine != nullptr) ActiveLine->SetActive(false);
    ActiveLine = line;
    line->SetActive(true);
    makeShown(*line);
    LinePresets.Flags = 0;
  } else if (auto* text = dynamic_cast<TPodwarstwaTextowa*>(Sub)) {
    if (ActiveText != nullptr) ActiveText->SetActive(false);
    ActiveText = text;
    text->SetActive(true);
    makeShown(*text);
    TextPresets.Flags = 0;
  }
  UpdateCaption();
  PostActiveChanged();
}

void TTvView::ReleaseActiveWarstwa(TWarstwaOgolna* Sub) {
  if (Sub == nullptr) return;
  if (Sub == ActiveLine) {
    ActiveLine->SetActive(false);
    ActiveLine = nullptr;
    LinePresets.Flags = 0;
  } else if (Sub == ActiveText) {
    ActiveText->SetActive(false);
    ActiveText = nullptr;
    TextPresets.Flags = 0;
  } else {
    return;
  }
  UpdateCaption();
  PostActiveChanged();
}

void TTvView::SetActiveWarstwa(TWarstwaOgolna* Node) {
  // The panel clears its tree next: no node may keep an item of it.
  root_->DetachTreeNode();
  ActiveNode = Node;
}

void TTvView::FillLayerTree(platform::TTreeView& Tree) {
  platform::TTreeNode* rootItem = root_->AddTreeNode(Tree, nullptr);
  platform::TTreeNode* item = ActiveNode != nullptr ? ActiveNode->GetTreeNode() : nullptr;
  // An item of another tree (a dialog's, attached over the panel's) is not
  // this tree's to select.
  if (item == nullptr || &item->TreeView() != &Tree) item = rootItem;
  if (item != nullptr) Tree.SetSelected(item);
}

void TTvView::FillLayerTreeByType(platform::TTreeView& Tree, std::uint32_t Mask) {
  for (int i = 0; i < root_->GetCount(); ++i) {
    TWarstwaOgolna* child = root_->GetItem(i);
    if ((child->GetTypeMask() & Mask) != 0) child->AddTreeNode(Tree, nullptr);
  }
}

void TTvView::UpdateCaption() {
  std::string caption = root_->Name;
  if (ActiveLine != nullptr || ActiveText != nullptr) {
    caption += " - ";
    if (ActiveLine != nullptr) caption += ActiveLine->GetDescription();
    if (ActiveLine != nullptr && ActiveText != nullptr) caption += ", ";
    if (ActiveText != nullptr) caption += ActiveText->GetDescription();
  }
  Document().SetDocumentCaption(caption);
}

std::uint32_t TTvView::ActiveTypeMask() {
  std::uint32_t mask = 0;
  if (ActiveLine != nullptr && !ActiveLine->IsReadOnly()) mask |= ActiveLine->GetTypeMask();
  if (ActiveText != nullptr && !ActiveText->IsReadOnly()) mask |= ActiveText->GetTypeMask();
  return mask;
}

void TTvView::SaveActiveWarstwy() {
  // The text sublayer's changes are written even when the line sublayer's
  // could not be; the caller hears of the first failure.
  std::exception_ptr failure;
  for (TPodwarstwa* sub : {static_cast<TPodwarstwa*>(ActiveLine), static_cast<TPodwarstwa*>(ActiveText)}) {
    if (sub == nullptr) continue;
    try {
      sub->Save();
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
  }
  if (failure) std::rethrow_exception(failure);
}

bool TTvView::QuerySaveAll() {
  if (Root() == nullptr) return true;
  TQuerySave query;
  query.Execute(*Root());
  return !query.Cancelled;
}

// --- Overlay --------------------------------------------------------------------

void TTvView::SetPaintInPaint(std::unique_ptr<TOverlayPainter> Painter) {
  if (overlayPainter_ != nullptr) {
    InvalidateAll();
    TPaintItem* old = std::exchange(overlayPainter_, nullptr);
    std::erase_if(PaintItems, [old](const std::unique_ptr<TPaintItem>& Item) { return Item.get() == old; });
  }
  if (Painter) {
    overlayPainter_ = Painter.get();
    PaintItems.push_back(std::move(Painter));
    InvalidateAll();
  }
}

bool TTvView::OverlayVisible() const { return overlayPainter_ != nullptr && overlayPainter_->Shown; }

void TTvView::SetOverlayVisible(bool Visible) {
  if (overlayPainter_ == nullptr || overlayPainter_->Shown == Visible) return;
  overlayPainter_->Shown = Visible;
  InvalidateAll();
}

// The overlay's rectangle is not used to limit the area: the painter may
// draw beyond what it states.
void TTvView::InvalidateOverlay() { InvalidateAll(); }

// --- Markers --------------------------------------------------------------------

void TTvView::ClearLastViewMarker() {
  if (!ViewMarkers.empty()) ViewMarkers.back()->Clear();
}

void TTvView::AddToLastViewMarker(double X, double Y) {
  if (!ViewMarkers.empty()) ViewMarkers.back()->AddPoint(X, Y);
}

void TTvView::ShowLastViewMarker() {
  if (ViewMarkers.empty()) return;
  TViewMarkerI& marker = *ViewMarkers.back();
  marker.SelectVisible(*Dims());
  marker.ResetVisible();
}

void TTvView::MakeMarkersCurrent() {
  for (auto& marker : ViewMarkers) marker->MakeCurrent();
  if (rectMarker_ != nullptr) rectMarker_->MakeCurrent();
  if (polygonMarker_ != nullptr) polygonMarker_->MakeCurrent();
  ViewServices().ShowRulerScale(Dims()->ScaleY);
  if (krzyz_) krzyz_->UpdateButton(true);
}

void TTvView::ViewMarkerCommand(std::int32_t Index, std::int32_t Tag) {
  if (Index < 0 || static_cast<std::size_t>(Index) >= ViewMarkers.size()) return;
  ViewMarkers[static_cast<std::size_t>(Index)]->Command(Tag);
}

// --- Measurement ----------------------------------------------------------------

bool TTvView::ShowMeasureResult(const TRealPoint& P, const TRealPoint& D, double Sum) {
  if (!measureDialog_) measureDialog_ = ViewServices().CreateMeasureDialog(*this);
  if (!measureDialog_) return false;
  double distance = std::hypot(D.X, D.Y);
  if (DistanceParam != nullptr) distance = CorrectDistanceMid(*DistanceParam, P, TRealPoint{P.X + D.X, P.Y + D.Y}, distance);
  measureDialog_->SetValues(Sum, distance, std::fabs(D.X), std::fabs(D.Y));
  return measureDialog_->ShowModal() == platform::mrCancel;
}
