#include "objtools/newcmds.h"

#include <cstdint>
#include <memory>
#include <utility>

#include "foundation/errors.h"
#include "layers/tree/layernode.h"
#include "layers/tree/sublayer.h"
#include "layers/tree/undo.h"
#include "objects/grobj.h"
#include "objects/styledlines.h"
#include "objects/symbol.h"
#include "objects/texts.h"
#include "objtools/czolowka.h"
#include "objtools/linetools.h"
#include "objtools/textsymtools.h"
#include "platform/gui/dialogs.h"
#include "ui/activityrecord.h"
#include "view/search.h"
#include "view/tvview.h"
#include "view/viewhost.h"
#include "view/viewwalkers.h"

namespace {

constexpr const char* kUndoAddName = "Dodanie";
constexpr const char* kUndoAddCzolowkaName = "Dodanie czołówki";
constexpr const char* kPickHint = "Wskaż czołówkę";
// The caption of the box that ends a command whose sublayer was released.
constexpr const char* kErrorCaption = "Blad";
// The kinds of sublayer whose objects a czołówka may be picked from (those
// the snapping searches for ends of objects).
constexpr std::uint32_t kPickTypeMask = 0xD342;

TPodwarstwaLiniowa& RequireLineSublayer(TTvView& View) {
  if (View.ActiveLine == nullptr) throw ETolvikaError(TolvikaErrorCode::NoActiveLayer);
  return *View.ActiveLine;
}

TPodwarstwaTextowa& RequireTextSublayer(TTvView& View) {
  if (View.ActiveText == nullptr) throw ETolvikaError(TolvikaErrorCode::NoActiveLayer);
  return *View.ActiveText;
}

// The sublayer's new object of class T (a copy of its last one of that
// class, or a fresh one with its defaults), unowned.
template <class T>
std::unique_ptr<TEGraphObj> NewObject(TPodwarstwa& Sublayer) {
  const T prototype;
  return Sublayer.CreateNewObject(prototype);
}

template <class T>
std::unique_ptr<TEGraphObj> NewLineTemplate(TTvView& View, TPodwarstwa& Sublayer) {
  std::unique_ptr<TEGraphObj> obj = NewObject<T>(Sublayer);
  ApplyLinePresets(View.LinePresets, obj.get());
  return obj;
}

template <class T>
std::unique_ptr<TEGraphObj> NewTextTemplate(TTvView& View, TPodwarstwa& Sublayer) {
  std::unique_ptr<TEGraphObj> obj = NewObject<T>(Sublayer);
  ApplyTextPresets(View.TextPresets, obj.get());
  return obj;
}

// The end of a command's tool: its template freed (unless a sublayer took
// it), the pending operation dropped without being posted.
void EndCommand(TTvView& View, TKrzyz* Sender) {
  if (auto* tool = dynamic_cast<TNewGraphObjKrzyz*>(Sender)) tool->ClearTemplate();
  View.PendingOperation.reset();
}

TKrzyzFinishEvent EndHandler(TTvView& View) {
  return [&View](TKrzyz* Sender, std::int32_t) { EndCommand(View, Sender); };
}

// A completion whose sublayer was released: the box, the command ends.
bool EndWithoutSublayer(TTvView& View, TKrzyz* Sender) {
  platform::MessageBox(ETolvikaError::CodeMessage(static_cast<int>(TolvikaErrorCode::NoActiveLayer)),
                       kErrorCaption, platform::MB_OK);
  EndCommand(View, Sender);
  return true;
}

// Obj into Sublayer with the survey document's number, drawn at once, with
// its undo operation.
void StoreNew(TTvView& View, TEGraphObj* Obj, TPodwarstwa& Sublayer, const char* UndoName) {
  Obj->SetIdent(ViewServices().ActiveSurveyDocument());
  Sublayer.AddObject(Obj);
  View.RedrawPodwarstwa(TGrObjItem{Obj, &Sublayer});
  View.GetUndoManager()->Add(std::make_unique<TUndoOperation>(kUndoAdd, nullptr, Obj, &Sublayer, UndoName));
}

// Runs a completion. An error in it ends the command (the view lets go of
// a tool whose callback raised without finishing it), so the template the
// command still holds is freed here.
template <class F>
bool Completion(TTvView& View, TKrzyz* Sender, F&& Complete) {
  try {
    return Complete();
  } catch (...) {
    EndCommand(View, Sender);
    throw;
  }
}

// Lines and circles: T the template class, Post whether a pending
// operation goes to the document window after the object.
template <class T>
bool LineCompleted(TTvView& View, TKrzyz* Sender, bool Post) {
  return Completion(View, Sender, [&] {
    auto& tool = dynamic_cast<TNewGraphObjKrzyz&>(*Sender);
    if (View.ActiveLine == nullptr) return EndWithoutSublayer(View, Sender);
    TPodwarstwaLiniowa& sublayer = *View.ActiveLine;
    TEGraphObj* obj = tool.Template();
    if (obj == nullptr) return false;
    StoreNew(View, obj, sublayer, kUndoAddName);
    tool.SetTemplate(NewLineTemplate<T>(View, sublayer).release());
    if (Post && View.PendingOperation) View.Document().PostDeferred(std::move(View.PendingOperation));
    return false;
  });
}

// Texts and symbols: the tool's placement switch stays with the sublayer.
template <class Tool, class T>
bool TextCompleted(TTvView& View, TKrzyz* Sender) {
  return Completion(View, Sender, [&] {
    auto& tool = dynamic_cast<Tool&>(*Sender);
    if (View.ActiveText == nullptr) return EndWithoutSublayer(View, Sender);
    TPodwarstwaTextowa& sublayer = *View.ActiveText;
    TEGraphObj* obj = tool.Template();
    if (obj == nullptr) return false;
    sublayer.PlacedState = tool.Angled ? 1 : 0;
    StoreNew(View, obj, sublayer, kUndoAddName);
    tool.SetTemplate(NewTextTemplate<T>(View, sublayer).release());
    if (View.PendingOperation) View.Document().PostDeferred(std::move(View.PendingOperation));
    return false;
  });
}

bool CzolowkaCompleted(TTvView& View, TKrzyz* Sender) {
  return Completion(View, Sender, [&] {
    auto& tool = dynamic_cast<TNewGraphObjKrzyz&>(*Sender);
    TPodwarstwaTextowa& sublayer = RequireTextSublayer(View);
    TEGraphObj* obj = tool.Template();
    if (obj == nullptr) return false;
    StoreNew(View, obj, sublayer, kUndoAddCzolowkaName);
    tool.SetTemplate(NewObject<TWysKatNapis>(sublayer).release());
    return false;
  });
}

bool CzolowkaPicked(TTvView& View, TKrzyz* Sender) {
  auto& tool = dynamic_cast<TCzolowkaWskKrzyz&>(*Sender);
  TPodwarstwaTextowa& sublayer = RequireTextSublayer(View);
  TSearch& search = View.Search();
  search.Reset();
  search.SearchKind = TSearch::kSubset;
  search.TypeMask = kPickTypeMask;
  TSearchHit hit;
  search.Run(TRealPoint{tool.X, tool.Y}, tool.GetCelownikSize(), hit);
  if (hit.Sublayer == nullptr || hit.Object == nullptr) {
    ClearSearchHit(hit);
    return false;
  }
  // The line's measures are read before the hit is let go (an object
  // made for the search alone goes with it).
  const TRealPoint s = hit.Object->GetStartPoint();
  const TRealPoint e = hit.Object->GetEndPoint();
  const double length = hit.Object->GetLength();
  ClearSearchHit(hit);

  // The tool's template, else a fresh text.
  std::unique_ptr<TWysKatNapis> text;
  if (dynamic_cast<TWysKatNapis*>(tool.Data.get()) != nullptr)
    text.reset(static_cast<TWysKatNapis*>(tool.Data.release()));
  else
    text = std::make_unique<TWysKatNapis>();
  text->Height = tool.Height;
  const TRealPoint d{e.X - s.X, e.Y - s.Y};
  text->SetCzolowka(TRealPoint{s.X + d.X / 2, s.Y + d.Y / 2}, d, length, tool.Flags);
  text->SetIdent(ViewServices().ActiveSurveyDocument());
  TWysKatNapis* stored = text.get();
  sublayer.AddObject(stored);
  // The sublayer holds it now; an error below leaves it there.
  text.release();
  View.RedrawPodwarstwa(TGrObjItem{stored, &sublayer});
  View.GetUndoManager()->Add(
      std::make_unique<TUndoOperation>(kUndoAdd, nullptr, stored, &sublayer, kUndoAddCzolowkaName));
  tool.Data = NewObject<TWysKatNapis>(sublayer);
  return false;
}

// Lines and circles: Tool with a template of class T.
template <class Tool, class T>
void StartLineCommand(TTvView& View, bool Post) {
  TPodwarstwaLiniowa& sublayer = RequireLineSublayer(View);
  auto tool = std::make_unique<Tool>(View.Status(), nullptr, &sublayer,
                                     [&View, Post](TKrzyz* Sender) { return LineCompleted<T>(View, Sender, Post); });
  tool->OnFinish = EndHandler(View);
  sublayer.ConfigureNewObjectTool(*tool);
  tool->SetTemplate(NewLineTemplate<T>(View, sublayer).release());
  View.SetKrzyz(std::move(tool));
}

// Texts and symbols: the template before the sublayer's options; an angle
// the presets give switches the tool's own placement off.
template <class Tool, class T>
void StartTextCommand(TTvView& View) {
  TPodwarstwaTextowa& sublayer = RequireTextSublayer(View);
  auto tool = std::make_unique<Tool>(View.Status(), nullptr, &sublayer,
                                     [&View](TKrzyz* Sender) { return TextCompleted<Tool, T>(View, Sender); });
  tool->OnFinish = EndHandler(View);
  tool->SetTemplate(NewTextTemplate<T>(View, sublayer).release());
  try {
    sublayer.ConfigureNewObjectTool(*tool);
    if ((View.TextPresets.Flags & ActivityBit(apKat)) != 0) tool->SetAngled(false);
  } catch (...) {
    tool->ClearTemplate();
    throw;
  }
  View.SetKrzyz(std::move(tool));
}

}  // namespace

void CmdNewSpecialLinia(TTvView& View) { StartLineCommand<TEditNewSpecialLinia, TLiniaSpecjalna>(View, true); }

void CmdNewSpecialLiniaLoop(TTvView& View) {
  StartLineCommand<TEditNewSpecialLiniaLoop, TLiniaSpecjalna>(View, true);
}

void CmdNewOkrag(TTvView& View) { StartLineCommand<TEditNewOkrag, TOkragSpecjalny>(View, false); }

void CmdNewText(TTvView& View) { StartTextCommand<TEditNewText, TWysKatOdnNapisW>(View); }

void CmdNewSymbol(TTvView& View) { StartTextCommand<TEditNewSymbol, TWysKatSymbol>(View); }

void CmdAddCzolowka(TTvView& View) {
  TPodwarstwaTextowa& sublayer = RequireTextSublayer(View);
  auto tool = std::make_unique<TCzolowkaLineKrzyz>(View.Status(), nullptr, &sublayer,
                                                   [&View](TKrzyz* Sender) { return CzolowkaCompleted(View, Sender); });
  tool->OnFinish = EndHandler(View);
  tool->SetTemplate(NewObject<TWysKatNapis>(sublayer).release());
  View.SetKrzyz(std::move(tool));
}

void CmdPickCzolowka(TTvView& View) {
  TPodwarstwaTextowa& sublayer = RequireTextSublayer(View);
  auto tool = std::make_unique<TCzolowkaWskKrzyz>(View.Status(),
                                                  [&View](TKrzyz* Sender) { return CzolowkaPicked(View, Sender); });
  std::unique_ptr<TEGraphObj> obj = NewObject<TWysKatNapis>(sublayer);
  if (const auto* text = dynamic_cast<const TWysKatNapis*>(obj.get())) {
    tool->Height = text->Height;
    tool->Flags = text->GetCzolowkaFlags();
  }
  tool->Data = std::move(obj);
  tool->SetHint(kPickHint);
  View.SetKrzyz(std::move(tool));
}
