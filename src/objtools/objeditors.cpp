#include "objtools/objeditors.h"

#include <utility>

#include "drawing/drawparams.h"
#include "drawing/realcanvas.h"
#include "layers/tree/sublayer.h"
#include "objects/linear.h"
#include "objtools/edittools.h"
#include "objtools/objdialogs.h"
#include "objtools/textedit.h"

namespace {

std::unique_ptr<TEditGraphObjKrzyz> MakeTool(TEditToolKind Kind, TKrzyzPointEvent OnPoint) {
  switch (Kind) {
    case TEditToolKind::Line: return std::make_unique<TEditLine>(0, std::move(OnPoint));
    case TEditToolKind::Arc: return std::make_unique<TEditLuk>(0, std::move(OnPoint));
    case TEditToolKind::Circle: return std::make_unique<TEditOkrag>(0, std::move(OnPoint));
    case TEditToolKind::Point: return std::make_unique<TEditPunkt>(0, std::move(OnPoint));
    case TEditToolKind::Text:
    case TEditToolKind::Fraction:
    case TEditToolKind::Symbol:
      return MakeTextEditTool(Kind, std::move(OnPoint));
  }
  return nullptr;
}

}  // namespace

TEditToolPtr TObjectEditors::MakeEditTool(TEditToolKind Kind, TLinTextObj& Obj,
                                          IPodwarstwa* Sublayer, int Index,
                                          TRealCanvas& Canvas, std::int32_t Colour,
                                          bool OwnObject) {
  TLinTextObj* obj = &Obj;
  // The object puts itself back with the tool as its site; from then on the
  // sublayer holds it, so the tool must not free it any more.
  TKrzyzPointEvent onPoint = [obj](TKrzyz* Sender) {
    auto* tool = dynamic_cast<TEditGraphObjKrzyz*>(Sender);
    if (tool == nullptr) return false;
    const bool r = obj->ReinsertAtIndex(*tool);
    if (tool->EditIndex() == -2 && tool->OwnedObject() == obj) tool->OwnObject(nullptr);
    return r;
  };
  std::unique_ptr<TEditGraphObjKrzyz> tool;
  try {
    tool = MakeTool(Kind, std::move(onPoint));
  } catch (...) {
    if (OwnObject) FreeGraphObj(obj);
    throw;
  }
  if (!tool) {
    if (OwnObject) FreeGraphObj(obj);
    return nullptr;
  }
  // From here the tool frees an owned object, also when a step below raises.
  if (OwnObject) tool->OwnObject(obj);
  tool->OnBackspace = [](TKrzyz*, std::int32_t) {};
  tool->SetEditIndex(Index);
  tool->EditLayer = Sublayer;
  tool->Sublayer = dynamic_cast<TWarstwaOgolna*>(Sublayer);
  tool->Params = Canvas.CreateDrawParams();
  if (tool->Sublayer != nullptr && tool->Params) tool->Sublayer->PrepareTextParams(tool->Params.get());
  tool->SetTemplate(obj);
  if (auto* sub = dynamic_cast<TPodwarstwa*>(Sublayer); sub != nullptr) sub->ConfigureNewObjectTool(*tool);
  obj->SetKolor(static_cast<std::uint32_t>(Colour));
  obj->SetDefaultColor(true);
  return EditToolOwner(std::move(tool));
}

bool TObjectEditors::EditLineStyle(TLineStyleEditValues& V, IPodwarstwa* Sublayer) {
  const auto* node = dynamic_cast<const TWarstwaOgolna*>(Sublayer);
  V.SublayerLineDef = SublayerLineDefOf(node);
  V.SublayerThick = SublayerDrawsThick(node);
  return RunLiniaEditD(V);
}

bool TObjectEditors::EditText(bool Fraction, TTextEditValues& V) { return RunNapisEditD(Fraction, V); }

bool TObjectEditors::EditSymbol(TSymbolEditValues& V) { return RunSymbolEditD(V); }

void RegisterObjectEditors() {
  static TObjectEditors editors;
  SetObjectEditors(&editors);
}
