// The line and text kinds of sublayers: their header parameters, the class a
// stored record becomes, the canvas preparation, the defaults of new objects,
// the header dialogs and the print masking of lines by texts.
#include <algorithm>
#include <cstring>
#include <typeindex>
#include <utility>

#include "drawing/realcanvas.h"
#include "foundation/errors.h"
#include "layers/dialogs/sublayerdlg.h"
#include "layers/store/layerapi.h"
#include "layers/tree/layertree.h"
#include "layers/tree/objectlist.h"
#include "layers/tree/sublayer.h"
#include "layers/tree/treehost.h"
#include "objects/circle.h"
#include "objects/clipbounds.h"
#include "objects/fraction.h"
#include "objects/grobj.h"
#include "objects/layerline.h"
#include "objects/linear.h"
#include "objects/linestylelib.h"
#include "objects/point.h"
#include "objects/saverecord.h"
#include "objects/styledlines.h"
#include "objects/symbol.h"
#include "objects/texts.h"
#include "platform/gui/controls_grids.h"
#include "platform/gui/controls_std.h"

using namespace platform;

namespace {

// --- Class tests: is an object of a class given by a prototype, or of a
// descendant of it? The layer objects' classes are listed; a class not listed
// is matched exactly.

template <class T>
bool IsA(const TEGraphObj& Obj) {
  return dynamic_cast<const T*>(&Obj) != nullptr;
}

using TClassTest = bool (*)(const TEGraphObj&);

const std::vector<std::pair<std::type_index, TClassTest>>& ClassTests() {
  static const std::vector<std::pair<std::type_index, TClassTest>> tests = {
      {typeid(TLinTextObj), &IsA<TLinTextObj>},
      {typeid(TLiniowyObj), &IsA<TLiniowyObj>},
      {typeid(TNELinia), &IsA<TNELinia>},
      {typeid(TLinia), &IsA<TLinia>},
      {typeid(TDefSpecLinia), &IsA<TDefSpecLinia>},
      {typeid(TLiniaSpecjalna), &IsA<TLiniaSpecjalna>},
      {typeid(TOkragImp), &IsA<TOkragImp>},
      {typeid(TNEOkrag), &IsA<TNEOkrag>},
      {typeid(TOkrag), &IsA<TOkrag>},
      {typeid(TDefSpecOkrag), &IsA<TDefSpecOkrag>},
      {typeid(TOkragSpecjalny), &IsA<TOkragSpecjalny>},
      {typeid(TNELuk), &IsA<TNELuk>},
      {typeid(TLuk), &IsA<TLuk>},
      {typeid(TDefSpecLuk), &IsA<TDefSpecLuk>},
      {typeid(TLukSpecjalny), &IsA<TLukSpecjalny>},
      {typeid(TPunkt), &IsA<TPunkt>},
      {typeid(TNapis), &IsA<TNapis>},
      {typeid(TNapisT), &IsA<TNapisT>},
      {typeid(TWysNapis), &IsA<TWysNapis>},
      {typeid(TWysKatNapis), &IsA<TWysKatNapis>},
      {typeid(TWysKatOdnNapis), &IsA<TWysKatOdnNapis>},
      {typeid(TWysKatOdnNapisW), &IsA<TWysKatOdnNapisW>},
      {typeid(TLicznikMianownik), &IsA<TLicznikMianownik>},
      {typeid(TGrSymbol), &IsA<TGrSymbol>},
      {typeid(TWysKatSymbol), &IsA<TWysKatSymbol>},
  };
  return tests;
}

// True when Obj is of Prototype's class or of a class derived from it.
bool IsOfClass(const TEGraphObj& Obj, const TEGraphObj& Prototype) {
  const std::type_index cls(typeid(Prototype));
  for (const auto& [index, test] : ClassTests())
    if (index == cls) return test(Obj);
  return cls == std::type_index(typeid(Obj));
}

// Bit N of V.
constexpr bool Bit(std::uint32_t V, int N) { return ((V >> N) & 1u) != 0; }

// The masked-sublayer record of a text header: the 11 bytes after the
// masked layer's name, kept in the four fields of the parameter block.
void UnpackMasked(const TWarstwaHeader& H, std::uint8_t& Count, std::uint8_t (&Numbers)[10]) {
  std::uint8_t b[11];
  for (int i = 0; i < 4; ++i) b[i] = static_cast<std::uint8_t>(H.Param38 >> (8 * i));
  for (int i = 0; i < 4; ++i) b[4 + i] = static_cast<std::uint8_t>(H.Param42 >> (8 * i));
  b[8] = static_cast<std::uint8_t>(H.Param46);
  b[9] = static_cast<std::uint8_t>(H.Param46 >> 8);
  b[10] = H.Param48;
  Count = b[0];
  std::memcpy(Numbers, b + 1, 10);
}

void PackMasked(std::uint8_t Count, const std::uint8_t (&Numbers)[10], TWarstwaHeader& H) {
  std::uint8_t b[11];
  b[0] = Count;
  std::memcpy(b + 1, Numbers, 10);
  H.Param38 = 0;
  H.Param42 = 0;
  for (int i = 0; i < 4; ++i) H.Param38 |= static_cast<std::uint32_t>(b[i]) << (8 * i);
  for (int i = 0; i < 4; ++i) H.Param42 |= static_cast<std::uint32_t>(b[4 + i]) << (8 * i);
  H.Param46 = static_cast<std::uint16_t>(b[8] | (b[9] << 8));
  H.Param48 = b[10];
}

// The first Max UTF-8 characters of S.
std::string CutChars(const std::string& S, std::size_t Max) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < S.size(); ++i) {
    if ((static_cast<unsigned char>(S[i]) & 0xC0) != 0x80) {
      if (chars == Max) return S.substr(0, i);
      ++chars;
    }
  }
  return S;
}

// A justification of 1 to 9, any other value taken as 7.
std::uint8_t ValidJustification(std::uint8_t J) { return J >= 1 && J <= 9 ? J : 7; }

// The layers of the catalogue above a text sublayer, for the masking lists of
// its header dialog: the line layers by name, and the sublayers of each.
class TCatalogueLineLayers : public TLayerListI {
 public:
  explicit TCatalogueLineLayers(TGrupaWarstw& Catalogue) : catalogue_(Catalogue) {}

  std::vector<std::string> LayerNames() const override {
    std::vector<std::pair<std::string, TWarstwaOgolna*>> list;
    catalogue_.ListChildren(kMaskLine, list);
    std::vector<std::string> names;
    for (auto& [name, node] : list) names.push_back(name);
    return names;
  }

  std::vector<TSublayerEntry> Sublayers(const std::string& Layer) const override {
    std::vector<TSublayerEntry> result;
    std::vector<std::pair<std::string, TWarstwaOgolna*>> list;
    catalogue_.ListChildren(kMaskLine, list);
    for (auto& [name, node] : list) {
      if (name != Layer) continue;
      auto* layer = dynamic_cast<TGrupaWarstw*>(node);
      if (layer == nullptr) break;
      for (int i = 0; i < layer->GetCount(); ++i) {
        TWarstwaOgolna* sub = layer->GetItem(i);
        result.push_back(TSublayerEntry{static_cast<std::uint8_t>(sub->GetNumber()), sub->Name});
      }
      break;
    }
    return result;
  }

 private:
  TGrupaWarstw& catalogue_;
};

}  // namespace

// ===================== Line sublayers =====================

TPodwarstwaLiniowa::TPodwarstwaLiniowa(TLayerStore* AStore, TWarstwaFile* Handle, int ANumber,
                                       TRealCanvas* AViewCanvas)
    : TPodwarstwa(AStore, Handle, ANumber, AViewCanvas) {}

std::uint8_t TPodwarstwaLiniowa::PenStyleOf(std::uint16_t StyleNumber) {
  switch (StyleNumber) {
    case 2:
      return 2;
    case 3:
      return 3;
    case 4:
      return 1;
    default:
      return 0;
  }
}

const TLine* TPodwarstwaLiniowa::StyleOf(std::uint16_t StyleNumber) {
  if (const TLine* style = LineManager().GetLine(StyleNumber)) return style;
  return LineManager().GetLine(1);
}

std::unique_ptr<TPodwarstwaLiniowa> TPodwarstwaLiniowa::CreateFromHeader(TWarstwaHeader& Header, TLayerStore* AStore,
                                                                         TWarstwaFile* Handle, int ANumber,
                                                                         TRealCanvas* AViewCanvas) {
  auto s = std::make_unique<TPodwarstwaLiniowa>(AStore, Handle, ANumber, AViewCanvas);
  s->InitFromHeader(Header);
  s->ScreenWidth = Header.ScreenWidth;
  s->PenStyle = PenStyleOf(Header.StyleNumber);
  s->LineStyle = StyleOf(Header.StyleNumber);
  s->HeaderLineStyle = s->LineStyle;
  s->Multiplier = Header.StyleMultiplier;
  s->ThinWidth = Header.Width1;
  s->ThickWidth = Header.Width2;
  s->SetFlag(kNode3D, ((Header.Type >> 16) & 3u) != 0);
  return s;
}

bool TPodwarstwaLiniowa::SetWidthMode(std::uint8_t Mode) {
  const bool changed = WidthMode != Mode;
  WidthMode = Mode;
  return changed;
}

void TPodwarstwaLiniowa::PrepareCanvas(TRealCanvas& Canvas) {
  PrepareCommon(Canvas);
  Canvas.Pen->SetStyle(PenStyle);
  // A header width of 0 is the thin line of the header dialog.
  const int width = WidthMode == 1 ? 1 : WidthMode == 2 ? 3 : std::max<int>(ScreenWidth, 1);
  Canvas.Pen->SetWidth(width);
  if (LineStyle != nullptr)
    Canvas.SetStyleSource(LineStyle);
  else
    Canvas.CurrentLineStyle = nullptr;
  Canvas.LineStyleFactor = Multiplier;
  Canvas.ApplyCurrentStylePen();
  Canvas.SetPrintPenWidths({LineThickness, ThinWidth, ThickWidth});
  if (Canvas.IsPrinting()) Canvas.Pen->SetWidthByIndex(0);
  Canvas.SaveCanvasState();
}

platform::TTreeNode* TPodwarstwaLiniowa::AddTreeNode(platform::TTreeView& Items, platform::TTreeNode* Parent) {
  return AddTreeNodeWithImage(Items, Parent, 2);
}

void TPodwarstwaLiniowa::ShowInfo(TLayerInfo& Panel) {
  TPodwarstwa::ShowInfo(Panel);
  Panel.Page = TLayerInfo::TPage::Lines;
  Panel.SampleStyle = LineStyle;
  Panel.SampleColour = Colour;
  Panel.SampleWidth = WidthMode == 0 ? ScreenWidth : WidthMode == 1 ? 1 : 3;
  Panel.StyleName = LineStyle != nullptr ? LineStyle->Name : std::string();
  Panel.WidthMode = WidthMode;
  Panel.EditEnabled = !IsReadOnly();
}

int TPodwarstwaLiniowa::GetImageIndex() const { return 5 + 2 * (IsLoaded() ? 1 : 0) + (IsVisible() ? 1 : 0); }

std::uint32_t TPodwarstwaLiniowa::GetTypeMask() { return kMaskLine | kMaskSublayer; }

bool TPodwarstwaLiniowa::RestoreOriginal() {
  bool changed = TPodwarstwa::RestoreOriginal();
  changed = changed || WidthMode != 0 || LineStyle != HeaderLineStyle;
  WidthMode = 0;
  LineStyle = HeaderLineStyle;
  return changed;
}

bool TPodwarstwaLiniowa::SetLineType(const TLine* Style) {
  const bool changed = LineStyle != Style;
  LineStyle = Style;
  return changed;
}

std::unique_ptr<TEGraphObj> TPodwarstwaLiniowa::CreateObjectFromRecord(const ObjectSaveRecord& Rec) {
  return CreateLineObjectFromRecord(Rec);
}

std::unique_ptr<TEGraphObj> TPodwarstwaLiniowa::CreateNewObject(const TEGraphObj& Prototype) {
  if (LastAdded == nullptr || IsA<TPunkt>(*LastAdded)) return Prototype.CreateNew();
  if (IsOfClass(*LastAdded, Prototype)) return LastAdded->Clone();
  std::unique_ptr<TEGraphObj> obj = Prototype.CreateNew();
  auto* last = dynamic_cast<TLiniowyObj*>(LastAdded);
  auto* made = dynamic_cast<TLiniowyObj*>(obj.get());
  if (last != nullptr && made != nullptr) {
    const TSpecStyle* from = last->GetSpecParams();
    TSpecStyle* to = made->GetSpecParams();
    if (from != nullptr && to != nullptr) *to = *from;
  }
  return obj;
}

void TPodwarstwaLiniowa::ConfigureNewObjectTool(TNewObjectToolI& Tool) { Tool.SetZOption(Is3D()); }

int TPodwarstwaLiniowa::EditHeader(int Mode) {
  if (IsReadOnly()) return 0;
  TWarstwaHeader header;
  ReadHeader(header);
  TChangeLiniowaPodwarstwaHeader dialog(LayerTreeHost().Background);
  EditHeaderCommon(dialog, header);
  dialog.SetLineType(header.StyleNumber);
  dialog.SetScreenWidth(header.ScreenWidth);
  dialog.SetJakZ(static_cast<int>((header.Type >> 16) & 3u));
  dialog.SetMnoznik(header.StyleMultiplier);
  if (Mode == 1) dialog.Cancel->SetEnabled(false);
  dialog.SetGruboscCienka(header.Width1);
  dialog.SetGruboscGruba(header.Width2);
  const int action = HeaderDialogAction(dialog.ShowModal());
  int result = action & 0x0F;
  if ((action & 0x10) != 0) return result;

  result = ReadHeaderDialog(dialog, header);
  const std::int32_t number = dialog.GetSpecialLineNumber();
  header.StyleNumber = static_cast<std::uint16_t>(number);
  const std::uint8_t width = static_cast<std::uint8_t>(dialog.GetScreenWidth());
  header.ScreenWidth = width;
  const std::uint32_t z = static_cast<std::uint32_t>(dialog.GetJakZ()) & 3u;
  header.Type = (header.Type & ~(3u << 16)) | (z << 16);
  SetFlag(kNode3D, z != 0);
  if ((WidthMode == 0 && width != ScreenWidth) ||
      (LineStyle != nullptr && LineStyle->Number != header.StyleNumber))
    result = kRedrawAll;
  ScreenWidth = width;
  LineStyle = StyleOf(header.StyleNumber);
  HeaderLineStyle = LineStyle;
  // The pen pattern follows the new number as it does when the header is read.
  PenStyle = PenStyleOf(header.StyleNumber);
  header.StyleMultiplier = dialog.Mnoznik();
  header.Width1 = dialog.GruboscCienka();
  header.Width2 = dialog.GruboscGruba();
  Multiplier = header.StyleMultiplier;
  ThinWidth = header.Width1;
  ThickWidth = header.Width2;
  WriteHeader(header);
  return result;
}

// ===================== Text sublayers =====================

TPodwarstwaTextowa::TPodwarstwaTextowa(TLayerStore* AStore, TWarstwaFile* Handle, int ANumber,
                                       TRealCanvas* AViewCanvas)
    : TPodwarstwa(AStore, Handle, ANumber, AViewCanvas) {}

std::unique_ptr<TPodwarstwaTextowa> TPodwarstwaTextowa::CreateFromHeader(TWarstwaHeader& Header, TLayerStore* AStore,
                                                                         TWarstwaFile* Handle, int ANumber,
                                                                         TRealCanvas* AViewCanvas) {
  auto s = std::make_unique<TPodwarstwaTextowa>(AStore, Handle, ANumber, AViewCanvas);
  s->InitFromHeader(Header);
  s->Height = Header.SizeMultiplier;
  s->Justification = ValidJustification(Header.Justification & 0x0F);
  const std::uint32_t t = Header.Type;
  s->TextFlags = static_cast<std::uint8_t>(((Header.Justification & 0x10) != 0 ? 1 : 0) | (Bit(t, 20) ? 2 : 0) |
                                           (Bit(t, 17) ? 4 : 0) | (Bit(t, 16) ? 8 : 0) | (Bit(t, 21) ? 16 : 0));
  s->HeaderTextFlags = s->TextFlags;
  s->Multipliers = Header.Sizes;
  s->MaskedLayer = Header.TextParam;
  UnpackMasked(Header, s->MaskedCount, s->MaskedNumbers);
  return s;
}

void TPodwarstwaTextowa::CreateObjectList() {
  auto list = std::make_unique<TTxtGrObjList>();
  list->SetCapacity(1024);
  list->SetDelta(16384);
  InstallObjectList(std::move(list));
}

void TPodwarstwaTextowa::PrepareCanvas(TRealCanvas& Canvas) {
  Canvas.SetDrawOption(doClearAll, false);
  PrepareCommon(Canvas);
  Canvas.Pen->SetStyle(0);
  Canvas.Pen->SetWidth(1);
  Canvas.SetSize(Height);
  Canvas.SetJustification(Justification);
  Canvas.SetItalic(IsItalic());
  Canvas.SetScaleAnchors(TScaleAnchors{Multipliers[0], Multipliers[1], Multipliers[2], Multipliers[3]});
  Canvas.SetPrintPenWidths({LineThickness, 0.0f, 0.0f});
  if (Canvas.IsPrinting()) Canvas.Pen->SetWidthByIndex(0);
  Canvas.SetTextPen((TextFlags & 16) != 0);
  Canvas.SetDrawOption(doSizeLocked, IsConstantHeight());
  Canvas.SetDrawOption(doUpright, (TextFlags & 4) == 0);
  Canvas.SetDrawOption(doJustificationLocked, IsJustificationFixed());
  Canvas.SaveCanvasState();
}

void TPodwarstwaTextowa::PrepareTextParams(TDrawParamsImp* Params) {
  if (Params == nullptr) return;
  Params->SetDrawOption(doClearAll, false);
  Params->SetSize(Height);
  Params->SetItalic(IsItalic());
  Params->SetJustification(Justification);
  Params->SetUnderline(false);
  if (auto* simple = dynamic_cast<TSimpleDrawParams*>(Params))
    simple->ScaleAnchors = TScaleAnchors{Multipliers[0], Multipliers[1], Multipliers[2], Multipliers[3]};
  else if (auto* canvas = dynamic_cast<TSimpleRealCanvas*>(Params))
    canvas->SetScaleAnchors(TScaleAnchors{Multipliers[0], Multipliers[1], Multipliers[2], Multipliers[3]});
  Params->SetDrawOption(doSizeLocked, IsConstantHeight());
  Params->SetDrawOption(doUpright, (TextFlags & 4) == 0);
  Params->SetDrawOption(doJustificationLocked, IsJustificationFixed());
  Params->SaveState();
}

platform::TTreeNode* TPodwarstwaTextowa::AddTreeNode(platform::TTreeView& Items, platform::TTreeNode* Parent) {
  return AddTreeNodeWithImage(Items, Parent, 1);
}

void TPodwarstwaTextowa::ShowInfo(TLayerInfo& Panel) {
  TPodwarstwa::ShowInfo(Panel);
  Panel.Page = TLayerInfo::TPage::Texts;
  Panel.FontColour = Colour;
  Panel.Italic = IsItalic();
  Panel.EditEnabled = !IsReadOnly();
}

int TPodwarstwaTextowa::GetImageIndex() const { return 1 + 2 * (IsLoaded() ? 1 : 0) + (IsVisible() ? 1 : 0); }

std::uint32_t TPodwarstwaTextowa::GetTypeMask() { return kMaskText | kMaskSublayer; }

bool TPodwarstwaTextowa::RestoreOriginal() {
  bool changed = TPodwarstwa::RestoreOriginal();
  changed = changed || TextFlags != HeaderTextFlags;
  TextFlags = HeaderTextFlags;
  return changed;
}

bool TPodwarstwaTextowa::SetItalic(bool B) {
  const std::uint8_t flags = static_cast<std::uint8_t>(B ? TextFlags | 8 : TextFlags & ~8);
  const bool changed = flags != TextFlags;
  TextFlags = flags;
  return changed;
}

void TPodwarstwaTextowa::SearchFirst(TDoSearch& S, TSearchHit& Hit) {
  Hit.Sublayer = nullptr;
  if (!objects_ || !HasFlag(kNodeShown)) return;
  std::lock_guard<std::recursive_mutex> guard(objects_->Lock());
  for (int i = 0; i < objects_->Count(); ++i) {
    TEGraphObj* obj = objects_->Get(i);
    if (S.Accept(obj)) {
      FillHit(Hit, obj);
      return;
    }
  }
}

void TPodwarstwaTextowa::CollectTexts(std::vector<std::unique_ptr<TClipBounds>>& List, TDrawParamsImp* Params) {
  PrepareTextParams(Params);
  if (!objects_) return;
  std::lock_guard<std::recursive_mutex> guard(objects_->Lock());
  for (int i = 0; i < objects_->Count(); ++i)
    if (std::unique_ptr<TClipBounds> outline = objects_->Get(i)->CreateOutline(Params)) List.push_back(std::move(outline));
}

void TPodwarstwaTextowa::BuildClipTests(std::vector<std::unique_ptr<TClipBounds>>& List, TDrawParamsImp* Params) {
  if (MaskedLayer.empty()) return;
  TClipFactoryI* factory = LayerTreeHost().Clips;
  if (factory == nullptr) return;
  if (MaskedLayer == "*") {
    std::vector<std::unique_ptr<TClipBounds>> outlines;
    CollectTexts(outlines, Params);
    if (std::unique_ptr<TClipBounds> all = factory->MakeClipAll(*this, std::move(outlines))) List.push_back(std::move(all));
    return;
  }
  TWarstwa* own = Layer();
  TGrupaWarstw* catalogue = own != nullptr ? own->Owner : nullptr;
  if (catalogue == nullptr) return;
  std::vector<std::pair<std::string, TWarstwaOgolna*>> layers;
  catalogue->ListChildren(kMaskLine, layers);
  for (auto& [name, node] : layers) {
    if (name != MaskedLayer) continue;
    auto* layer = dynamic_cast<TWarstwa*>(node);
    if (layer == nullptr) continue;
    std::unique_ptr<TClipBounds> clip = MaskedCount > 0
                                            ? factory->MakeSublayerClip(*this, MaskedCount, MaskedNumbers, *layer)
                                            : factory->MakeLayerClip(*this, *layer);
    if (clip) List.push_back(std::move(clip));
    return;
  }
}

void TPodwarstwaTextowa::ExpandTextRecord(double Value, const ObjectSaveRecord& Rec,
                                          std::array<ObjectSaveRecord, 4>& Out) {
  for (ObjectSaveRecord& r : Out) r.Clear();
  std::unique_ptr<TDXFDrawParams> params;
  if (ViewCanvas != nullptr)
    params = std::make_unique<TDXFDrawParams>(static_cast<const TDrawParamsImp&>(*ViewCanvas));
  else
    params = std::make_unique<TDXFDrawParams>();
  const double clamped = std::clamp(Value, -2147483648.0, 2147483647.0);
  params->ScaleCode = static_cast<std::int32_t>(clamped);
  std::unique_ptr<TEGraphObj> obj = CreateObjectFromRecord(Rec);
  if (!obj) return;
  TAuxLines parts;
  obj->GetAuxLines(params.get(), parts);
  if (parts[0]) {
    parts[0]->SaveToRecord(Out[2]);
  } else {
    obj->SaveToRecord(Out[2]);
    Out[2].SetTextFlags(Out[2].GetTextFlags() & 0x0F);
  }
  if (parts[1]) parts[1]->SaveToRecord(Out[3]);
  if (parts[2]) parts[2]->SaveToRecord(Out[0]);
  if (parts[3]) parts[3]->SaveToRecord(Out[1]);
}

std::unique_ptr<TEGraphObj> TPodwarstwaTextowa::CreateObjectFromRecord(const ObjectSaveRecord& Rec) {
  return CreateTextObjectFromRecord(Rec, TTextSublayerState{IsReadOnly(), Justification});
}

std::unique_ptr<TEGraphObj> TPodwarstwaTextowa::CreateNewObject(const TEGraphObj& Prototype) {
  std::unique_ptr<TEGraphObj> obj;
  if (LastAdded == nullptr) {
    obj = Prototype.CreateNew();
    if (auto* text = dynamic_cast<TWysNapis*>(obj.get())) {
      text->Height = static_cast<float>(Height);
      text->SetJustyfikacja(Justification);
    }
    return obj;
  }
  // A plain, high or angled text starts fresh; a symbol, a fraction or a
  // referenced text repeats the last one of its class.
  static const TWysKatNapis kAngledText;
  if (IsOfClass(kAngledText, Prototype))
    obj = Prototype.CreateNew();
  else if (IsOfClass(*LastAdded, Prototype))
    obj = LastAdded->Clone();
  else
    obj = Prototype.CreateNew();
  if ((TextFlags & 4) == 0) {
    if (auto* t = dynamic_cast<TWysKatNapis*>(obj.get())) t->Angle = 0;
    if (auto* s = dynamic_cast<TWysKatSymbol*>(obj.get())) s->Angle = 0;
  }
  if (IsConstantHeight()) {
    if (auto* t = dynamic_cast<TWysNapis*>(obj.get())) t->Height = static_cast<float>(Height);
    if (auto* s = dynamic_cast<TWysKatSymbol*>(obj.get())) s->Height = static_cast<float>(Height);
  }
  if (IsJustificationFixed())
    if (auto* t = dynamic_cast<TWysNapis*>(obj.get())) t->SetJustyfikacja(Justification);
  return obj;
}

void TPodwarstwaTextowa::ConfigureNewObjectTool(TNewObjectToolI& Tool) {
  Tool.SetCounting((TextFlags & 4) != 0);
  Tool.SetPlaced(PlacedState);
  Tool.SetMayChangeHeight(!IsConstantHeight());
  Tool.SetMayChangeJustification(!IsJustificationFixed());
}

int TPodwarstwaTextowa::EditHeader(int Mode) {
  if (IsReadOnly()) return 0;
  TWarstwa* layer = Layer();
  TGrupaWarstw* catalogue = layer != nullptr ? layer->Owner : nullptr;
  if (catalogue == nullptr) throw EInternalError("TPodwarstwaTextowa.EditHeader: Owner=nil");
  TWarstwaHeader header;
  ReadHeader(header);
  TCatalogueLineLayers layers(*catalogue);
  TChangeTextowaPodwarstwaHeader dialog(LayerTreeHost().Background, &layers);
  EditHeaderCommon(dialog, header);
  const std::uint32_t t = header.Type;
  dialog.SetJustyfikacja(ValidJustification(header.Justification & 0x0F));
  dialog.SetWysokosc(header.SizeMultiplier);
  dialog.SetItalic(Bit(t, 16));
  dialog.SetCzyKat(Bit(t, 17));
  dialog.HeightCantChange->SetChecked(Bit(t, 20));
  dialog.JustCantChange->SetChecked((header.Justification & 0x10) == 0);
  dialog.SetZatrzask(static_cast<int>((t >> 18) & 3u));
  const float sizes[4] = {header.Sizes[0], header.Sizes[1], header.Sizes[2], header.Sizes[3]};
  dialog.SetMnozniki(sizes);
  dialog.SetZasWarstwa(header.TextParam);
  TZasloniecieRecord masked;
  UnpackMasked(header, masked.Count, masked.Numbers);
  dialog.SetZasPodwarstwy(masked);
  if (Mode == 1) {
    dialog.Cancel->SetEnabled(false);
    dialog.MovePodwarstwaBtn->SetEnabled(false);
    dialog.BitBtn4->SetEnabled(false);
  }
  dialog.SetAutoWidth(Bit(t, 21));
  const int action = HeaderDialogAction(dialog.ShowModal());
  int result = action & 0x0F;
  if ((action & 0x10) != 0) return result;

  result = ReadHeaderDialog(dialog, header);
  const bool justFree = !dialog.JustCantChange->Checked();
  const std::uint8_t just = dialog.Justyfikacja();
  header.Justification = static_cast<std::uint8_t>(just + (justFree ? 16 : 0));
  const float height = dialog.Wysokosc();
  header.SizeMultiplier = height;
  const float* mult = dialog.Mnozniki();
  for (int i = 0; i < 4; ++i) header.Sizes[static_cast<std::size_t>(i)] = mult[i];
  header.TextParam = CutChars(dialog.GetZasWarstwa(), 13);
  MaskedLayer = header.TextParam;
  const TZasloniecieRecord& chosen = dialog.ZasloniecieRecord();
  MaskedCount = std::min<std::uint8_t>(chosen.Count, TZasloniecieRecord::kMax);
  std::memcpy(MaskedNumbers, chosen.Numbers, sizeof MaskedNumbers);
  PackMasked(MaskedCount, MaskedNumbers, header);
  const bool italic = dialog.GetItalic();
  const bool angled = dialog.GetCzyKat();
  const bool constant = dialog.HeightCantChange->Checked();
  const bool autoWidth = dialog.GetAutoWidth();
  const std::uint32_t latch = static_cast<std::uint32_t>(dialog.GetZatrzask()) & 3u;
  header.Type = (header.Type & ~(0x3Fu << 16)) | (italic ? 1u << 16 : 0u) | (angled ? 1u << 17 : 0u) |
                (latch << 18) | (constant ? 1u << 20 : 0u) | (autoWidth ? 1u << 21 : 0u);
  if (static_cast<double>(height) != Height || constant != IsConstantHeight()) ResetSearchCache();
  const bool changed = italic != IsItalic() || static_cast<double>(height) != Height ||
                       (just & 0x0F) != Justification || constant != IsConstantHeight();
  TextFlags = static_cast<std::uint8_t>((italic ? 8 : 0) | (constant ? 2 : 0) | (justFree ? 1 : 0) |
                                        (angled ? 4 : 0) | (autoWidth ? 16 : 0));
  HeaderTextFlags = TextFlags;
  Height = height;
  Justification = ValidJustification(just & 0x0F);
  Multipliers = {mult[0], mult[1], mult[2], mult[3]};
  if (changed) result = kRedrawAll;
  WriteHeader(header);
  return result;
}
