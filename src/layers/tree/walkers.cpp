#include "layers/tree/walkers.h"

#include <utility>

#include "foundation/errors.h"
#include "foundation/threads/cancel.h"
#include "layers/store/layerstats.h"
#include "layers/tree/layertree.h"
#include "layers/tree/objectlist.h"
#include "layers/tree/sublayer.h"
#include "layers/tree/treehost.h"
#include "platform/files/inifile.h"

// --- TWarContCfg ---

TWarContCfg::TWarContCfg(const TWarContCfg& Source)
    : TParametryConf(Source), UsuwajSelekcje(Source.UsuwajSelekcje) {}

std::unique_ptr<TParametryConf> TWarContCfg::Clone() const { return std::make_unique<TWarContCfg>(*this); }

bool TWarContCfg::AssignFrom(TParametryConf* Source) {
  auto* source = dynamic_cast<TWarContCfg*>(Source);
  if (source == nullptr) return false;
  const bool changed = source->UsuwajSelekcje != UsuwajSelekcje;
  UsuwajSelekcje = source->UsuwajSelekcje;
  return changed;
}

void TWarContCfg::Read(const platform::TIniFile& Ini) {
  UsuwajSelekcje = Ini.ReadBool(kSection, kKeyUsuwajSelekcje, true);
}

void TWarContCfg::Write(platform::TIniFile& Ini) const { Ini.WriteBool(kSection, kKeyUsuwajSelekcje, UsuwajSelekcje); }

TWarContCfg& WarContCfg() {
  TGlobalnaKonfiguracja& global = GlobalnaKonfiguracja();
  if (auto* group = global.FindGroup<TWarContCfg>()) return *group;
  return *global.GetGroup(std::make_unique<TWarContCfg>());
}

// --- TWalkLeaf ---

bool TWalkLeaf::IsLeaf(TWarstwaOgolna& Node) { return !Node.IsGroup(); }

void TWalkLeaf::Update(TWarstwaOgolna& Node) {
  if (!Takes(Node)) return;
  if (IsLeaf(Node)) VisitLeaf(Node);
  else Node.Walk(*this);
}

// --- TWalkSelectedLeaf ---

TWalkSelectedLeaf::TWalkSelectedLeaf(bool OnlySelected, std::uint32_t TypeMask) : TWalkLeaf(TypeMask) {
  Flag = OnlySelected ? 1 : 0;
}

bool TWalkSelectedLeaf::Continue() { return UpdateStateImages; }

void TWalkSelectedLeaf::Update(TWarstwaOgolna& Node) {
  if (!Takes(Node)) return;
  // SeekSelected is back to its value when the node is left, also when a
  // walk ends by an exception below it, so the walker may run again.
  struct TRestore {
    bool& Ref;
    bool Value;
    ~TRestore() { Ref = Value; }
  } restore{SeekSelected, SeekSelected};

  if (SeekSelected && OnlySelected() && !Node.GetStateBit0()) {
    // An unticked group looks for ticked nodes below it; an unticked leaf
    // does nothing.
    Node.Walk(*this);
  } else if (IsLeaf(Node)) {
    VisitLeaf(Node);
  } else {
    // Everything below a ticked group counts as selected.
    SeekSelected = false;
    Node.Walk(*this);
  }
  SeekSelected = restore.Value;
  if (UpdateStateImages) UpdateNodeStateIndex(Node);
}

void TWalkSelectedLeaf::UpdateNodeStateIndex(TWarstwaOgolna& Node) {
  if (!Node.GetStateBit0()) return;
  if (!WarContCfg().UsuwajSelekcje) return;
  Node.NodeState.SetTicked(false);
}

// --- TWalkPath ---

void TWalkPath::Start(TWarstwaOgolna& Node) {
  // "/" then the ancestors from the top down, each followed by "/", so that a
  // path reads the same whichever node the walk started from.
  prefix_.assign(1, '/');
  for (TWarstwaOgolna* up = Node.Owner; up != nullptr; up = up->Owner) {
    std::string longer(1, '/');
    longer.append(up->Name).append(prefix_);
    prefix_ = std::move(longer);
  }
  for (int i = 0; i < count_; ++i) names_[static_cast<std::size_t>(i)].clear();
  count_ = 0;
}

void TWalkPath::Update(TWarstwaOgolna& Node) {
  if (count_ >= kMaxDepth)
    throw EInternalError("TWalkPath: drzewo warstw ma więcej niż " + std::to_string(kMaxDepth) + " poziomów");
  names_[static_cast<std::size_t>(count_)] = Node.Name;
  ++count_;
  struct TPop {
    TWalkPath& W;
    ~TPop() { W.names_[static_cast<std::size_t>(--W.count_)].clear(); }
  } pop{*this};
  TWalkSelectedLeaf::Update(Node);
}

std::string TWalkPath::CurrentPath() const {
  std::string path = prefix_;
  for (int i = 0; i < count_; ++i) {
    path += names_[static_cast<std::size_t>(i)];
    path += '/';
  }
  return path;
}

// --- TParamUpdate, TCheckFlag ---

void TParamUpdate::VisitLeaf(TWarstwaOgolna& Node) {
  const int r = Apply(Node);
  if (r > kApplyUnchanged && Panel != nullptr) Panel->NodeChanged(&Node, r == kApplyRedrawNode);
}

int TCheckFlag::Apply(TWarstwaOgolna& Node) {
  if (Test(Node)) {
    Found = true;
    RaiseAbortUpdate();
  }
  return kApplyUnchanged;
}

// --- The leaf walkers ---

int TSave::Apply(TWarstwaOgolna& Node) {
  if (auto* sublayer = dynamic_cast<TPodwarstwa*>(&Node)) sublayer->Save();
  return kApplyUnchanged;
}

TCheckBrudna::TCheckBrudna(bool OnlySelected, std::uint32_t TypeMask, TLayerPanelI* Panel)
    : TCheckFlag(OnlySelected, TypeMask, Panel) {
  UpdateStateImages = false;
}

bool TCheckBrudna::Test(TWarstwaOgolna& Node) {
  auto* sublayer = dynamic_cast<TPodwarstwa*>(&Node);
  return sublayer != nullptr && sublayer->IsChanged();
}

int TKolorUpdate::Apply(TWarstwaOgolna& Node) {
  return Node.SetColor(Colour) ? kApplyRedrawNode : kApplyUnchanged;
}

int TTypKolorUpdate::Apply(TWarstwaOgolna& Node) {
  if ((Node.GetTypeMask() & KindMask) == 0) return kApplyUnchanged;
  return TKolorUpdate::Apply(Node);
}

int TLineUpdate::Apply(TWarstwaOgolna& Node) {
  return Node.SetLineType(LineType) ? kApplyRedrawAll : kApplyUnchanged;
}

int TGruboscUpdate::Apply(TWarstwaOgolna& Node) {
  auto* lines = dynamic_cast<TPodwarstwaLiniowa*>(&Node);
  if (lines == nullptr || !lines->SetWidthMode(Width)) return kApplyUnchanged;
  // Thicker lines cover the thinner ones: the node alone may be redrawn.
  return Width == 2 ? kApplyRedrawNode : kApplyRedrawAll;
}

int TItalicUpdate::Apply(TWarstwaOgolna& Node) {
  return Node.SetItalic(Italic) ? kApplyRedrawAll : kApplyUnchanged;
}

int TLotsThickUpdate::Apply(TWarstwaOgolna& Node) {
  if (!Node.SetLotsThick(Thick ? 1.0 : 0.0)) return kApplyUnchanged;
  return Thick ? kApplyRedrawNode : kApplyRedrawAll;
}

int TGridScaleUpdate::Apply(TWarstwaOgolna& Node) {
  return Node.SetGridScale(static_cast<double>(Scale)) ? kApplyRedrawAll : kApplyUnchanged;
}

int TObjDefaultColors::Apply(TWarstwaOgolna& Node) {
  auto* sublayer = dynamic_cast<TPodwarstwa*>(&Node);
  return sublayer != nullptr && sublayer->SetDefaultColors() ? kApplyRedrawNode : kApplyUnchanged;
}

namespace {
std::uint32_t FilterKinds(const TLayerFiltrI* Filter) {
  if (Filter == nullptr) throw EInternalError("TWalkFiltr: brak filtru");
  return Filter->GetKindMask();
}
}  // namespace

TWalkFiltr::TWalkFiltr(bool OnlySelected, TLayerFiltrI* AFilter, TLayerPanelI* Panel)
    : TParamUpdate(OnlySelected, FilterKinds(AFilter), Panel), Filter(AFilter) {}

int TWalkFiltr::Apply(TWarstwaOgolna& Node) {
  auto* sublayer = dynamic_cast<TPodwarstwa*>(&Node);
  return sublayer != nullptr && Filter->ApplyFilter(*sublayer) ? kApplyRedrawNode : kApplyUnchanged;
}

TIndexUpdate::TIndexUpdate(bool OnlySelected, TLayerPanelI* Panel)
    : TParamUpdate(OnlySelected, kWalkParams, Panel),
      cancel_(std::make_unique<TCancel>(kCancelDelay, kCancelCaption)) {}

TIndexUpdate::~TIndexUpdate() = default;

bool TIndexUpdate::IsLeaf(TWarstwaOgolna& Node) {
  return dynamic_cast<TWarstwa*>(&Node) != nullptr || dynamic_cast<TPodwarstwa*>(&Node) != nullptr;
}

int TIndexUpdate::Apply(TWarstwaOgolna& Node) {
  if (cancel_->Canceled()) RaiseAbortUpdate();
  Node.UpdateIndex(cancel_.get());
  return kApplyRedrawAll;
}

bool TCleanWarstwy::IsLeaf(TWarstwaOgolna& Node) { return dynamic_cast<TWarstwa*>(&Node) != nullptr; }

int TCleanWarstwy::Apply(TWarstwaOgolna& Node) {
  auto* layer = dynamic_cast<TWarstwa*>(&Node);
  if (layer == nullptr || layer->IsReadOnly()) return kApplyUnchanged;
  return layer->Clean(Backup) ? kApplyRedrawAll : kApplyUnchanged;
}

void TDoStatystyka::VisitLeaf(TWarstwaOgolna& Node) {
  auto* sublayer = dynamic_cast<TPodwarstwa*>(&Node);
  if (sublayer == nullptr || Statistics == nullptr) return;
  TGrObjList* list = sublayer->Objects();
  if (list == nullptr) return;
  for (int i = 0; i < list->Count(); ++i)
    if (TEGraphObj* obj = list->Get(i)) Statistics->AddObject(*obj);
}

void TDoDBStatystyka::VisitLeaf(TWarstwaOgolna& Node) {
  auto* sublayer = dynamic_cast<TPodwarstwa*>(&Node);
  if (sublayer == nullptr || List == nullptr) return;
  TWarstwa* layer = sublayer->Layer();
  if (layer == nullptr) return;
  const TDBStatystyka* stats = layer->GetFileStatistics(sublayer->Number, nullptr);
  if (stats == nullptr) return;
  for (int i = 0; i < stats->Count(); ++i) List->push_back(&stats->Item(i));
}

void TDeleteOldArch::VisitLeaf(TWarstwaOgolna& Node) { Node.DeleteOldArch(Date, Cancel); }

bool TCreateList::IsLeaf(TWarstwaOgolna& Node) { return dynamic_cast<TWarstwa*>(&Node) != nullptr; }

void TCreateList::VisitLeaf(TWarstwaOgolna& Node) {
  if (List != nullptr && !Node.IsReadOnly()) List->push_back(CurrentPath());
}

bool TFindWarstwa::IsLeaf(TWarstwaOgolna& Node) { return dynamic_cast<TWarstwa*>(&Node) != nullptr; }

void TFindWarstwa::VisitLeaf(TWarstwaOgolna& Node) {
  if (Node.Name != Name) return;
  Warstwa = dynamic_cast<TWarstwa*>(&Node);
  RaiseAbortUpdate();
}

void TDefaultOrder::Update(TWarstwaOgolna& Node) {
  auto* group = dynamic_cast<TGrupaWarstw*>(&Node);
  if (group == nullptr) return;
  group->Walk(*this);
  group->ResetOrder();
}
