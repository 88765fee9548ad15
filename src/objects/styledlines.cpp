#include "objects/styledlines.h"

#include "drawing/realcanvas.h"
#include "foundation/geometry/rounding.h"
#include "objects/edittoolsi.h"
#include "objects/layerobji.h"
#include "objects/linestylelib.h"
#include "objects/sublayeri.h"
#include "objects/viewi.h"

// The style record.

void TSpecStyle::InitStyle(const TLine* Def, double Mult, std::uint8_t Thick) {
  LineDef = Def;
  Multiplier = static_cast<float>(Mult);
  Thickness = Thick;
}

void TSpecStyle::InitStyleFromRecord(const ObjectSaveRecord& Rec) {
  Multiplier = static_cast<float>(Rec.GetMultiplier());
  LineDef = LineManager().GetLine(Rec.GetStyleNumber());
  Thickness = Rec.GetThickness();
}

void TSpecStyle::ApplyStyle(TRealCanvas& Canvas) const {
  Canvas.SetStyleSource(LineDef);
  if (Multiplier != 0.0f) Canvas.LineStyleFactor = Multiplier;
  Canvas.Pen->SetWidthByIndex(Thickness);
}

TStoreResult TSpecStyle::SaveStyle(ObjectSaveRecord& Rec) const {
  const auto kind = static_cast<std::uint8_t>((Rec.GetKindByte() & ~kThicknessMask) |
                                              ((Thickness << kThicknessShift) & kThicknessMask));
  Rec.SetKindByte(kind);
  if (LineDef != nullptr) Rec.SetStyleNumber(LineDef->Number);
  return Rec.SetMultiplier(Multiplier);
}

const char* TSpecStyle::ThicknessName(std::uint8_t T) {
  switch (T) {
    case 1:
      return "Cienka";
    case 2:
      return "Gruba";
    default:
      return "Domyślna";
  }
}

void TSpecStyle::FillStyleInfo(IGrObjInfo& Info, int Row) const {
  Info.SetLabel(Row, 0, "Typ linii");
  Info.SetValue(Row, 1, LineDef != nullptr ? LineDef->Name : std::string("Domyślny"));
  if (LineDef != nullptr) {
    Info.SetLabel(Row, 2, "Nr");
    Info.SetValue(Row, 2, std::to_string(LineDef->Number));
  }
  Info.SetLabel(Row + 1, 0, "Grubość");
  Info.SetValue(Row + 1, 1, ThicknessName(Thickness));
  Info.SetLabel(Row + 1, 2, "Mnożnik");
  if (Multiplier == 0.0f)
    Info.SetValue(Row + 1, 2, "Domyślny");
  else
    Info.SetValue(Row + 1, 2,
                  FloatToText(static_cast<double>(Round(static_cast<long double>(Multiplier) * 1000.0L)) * 0.001));
}

int TSpecStyle::ReadBlockStyle(std::uint16_t Mask, const TBlockE& Dialog) {
  if ((Mask & kBlockTypLinii) != 0) LineDef = LineManager().GetLineByName(Dialog.TypLiniText());
  if ((Mask & kBlockGrubosc) != 0) {
    const int t = Dialog.GruboscIndex();
    Thickness = static_cast<std::uint8_t>(t < 0 ? 0 : (t > 2 ? 2 : t));
  }
  if ((Mask & kBlockMnoznik) != 0) Multiplier = static_cast<float>(Dialog.Multiplier());
  return (Mask & 7) != 0 ? 1 : 0;
}

bool TSpecStyle::SameStyle(const TSpecStyle& Other) const {
  return LineDef == Other.LineDef && Thickness == Other.Thickness && Multiplier == Other.Multiplier;
}

bool EditSpecStyle(TLiniowyObj& Obj, TSpecStyle& S, IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas,
                   std::int32_t EraseColour) {
  IObjectEditors& editors = RequireObjectEditors("EditSpecStyle");
  TLineStyleEditValues v;
  v.Thickness = S.Thickness;
  v.LineDef = S.LineDef;
  v.Multiplier = S.Multiplier;
  if (!editors.EditLineStyle(v, Sublayer)) return false;
  ApplyModalEdit(Obj, Sublayer, Index, Canvas, EraseColour, [&] {
    S.Thickness = v.Thickness;
    S.LineDef = v.LineDef;
    S.Multiplier = v.Multiplier;
  });
  return true;
}

namespace {

template <class T>
int ApplyStyleParams(T& Obj, std::uint16_t Mask, const TBlockE& Dialog) {
  const int r = Obj.Style.ReadBlockStyle(Mask, Dialog);
  if (r == 1) Obj.MarkChanged();
  return r;
}

template <class T>
void CopyStyle(T& Obj, const TEGraphObj& Source) {
  if (const auto* s = dynamic_cast<const T*>(&Source)) Obj.Style.InitStyleCopy(s->Style);
}

template <class T>
bool SameStyleOf(const T& Obj, const TEGraphObj& Other) {
  const auto* o = dynamic_cast<const T*>(&Other);
  return o != nullptr && Obj.Style.SameStyle(o->Style);
}

}  // namespace

// Lines.

TLiniaSpecjalna::TLiniaSpecjalna(const TRealPoint& A, const TRealPoint& B, const TLine* LineDef,
                                 double Multiplier)
    : TDefSpecLinia(A, B) {
  Style.InitStyle(LineDef, Multiplier, 0);
}

TLiniaSpecjalna::TLiniaSpecjalna(const ObjectSaveRecord& Rec) : TDefSpecLinia(Rec) {
  Style.InitStyleFromRecord(Rec);
}

bool TLiniaSpecjalna::Edit(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas, std::int32_t EraseColour) {
  return EditSpecStyle(*this, Style, Sublayer, Index, Canvas, EraseColour);
}

void TLiniaSpecjalna::Draw(TRealCanvas& Canvas) const {
  ApplyColor(Canvas);
  Style.ApplyStyle(Canvas);
  TDefSpecLinia::Draw(Canvas);
}

void TLiniaSpecjalna::DrawTransformed(TRealCanvas& Canvas, const TAffineMatrix& M) const {
  Style.ApplyStyle(Canvas);
  TDefSpecLinia::DrawTransformed(Canvas, M);
}

void TLiniaSpecjalna::DrawMoved(TRealCanvas& Canvas, const TRealPoint& D) const {
  Style.ApplyStyle(Canvas);
  TDefSpecLinia::DrawMoved(Canvas, D);
}

void TLiniaSpecjalna::SaveToRecord(ObjectSaveRecord& Rec) const {
  TDefSpecLinia::SaveToRecord(Rec);
  Style.SaveStyle(Rec);
}

void TLiniaSpecjalna::FillInfo(IGrObjInfo& Info) const {
  TDefSpecLinia::FillInfo(Info);
  Style.FillStyleInfo(Info, 11);
}

int TLiniaSpecjalna::ApplyParams(std::uint16_t Mask, const TBlockE& Dialog) {
  return ApplyStyleParams(*this, Mask, Dialog);
}

bool TLiniaSpecjalna::SameGeometry(const TEGraphObj& Other) const {
  return TDefSpecLinia::SameGeometry(Other) && SameStyleOf(*this, Other);
}

void TLiniaSpecjalna::CopyFieldsFrom(const TEGraphObj& Source) {
  TDefSpecLinia::CopyFieldsFrom(Source);
  CopyStyle(*this, Source);
}

// Circles.

TOkragSpecjalny::TOkragSpecjalny(const ObjectSaveRecord& Rec) : TDefSpecOkrag(Rec) {
  Style.InitStyleFromRecord(Rec);
}

bool TOkragSpecjalny::Edit(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas, std::int32_t EraseColour) {
  return EditSpecStyle(*this, Style, Sublayer, Index, Canvas, EraseColour);
}

void TOkragSpecjalny::Draw(TRealCanvas& Canvas) const {
  ApplyColor(Canvas);
  Style.ApplyStyle(Canvas);
  TDefSpecOkrag::Draw(Canvas);
}

void TOkragSpecjalny::DrawTransformed(TRealCanvas& Canvas, const TAffineMatrix& M) const {
  Style.ApplyStyle(Canvas);
  TDefSpecOkrag::DrawTransformed(Canvas, M);
}

void TOkragSpecjalny::DrawMoved(TRealCanvas& Canvas, const TRealPoint& D) const {
  Style.ApplyStyle(Canvas);
  TDefSpecOkrag::DrawMoved(Canvas, D);
}

void TOkragSpecjalny::SaveToRecord(ObjectSaveRecord& Rec) const {
  TDefSpecOkrag::SaveToRecord(Rec);
  Style.SaveStyle(Rec);
}

void TOkragSpecjalny::FillInfo(IGrObjInfo& Info) const {
  TDefSpecOkrag::FillInfo(Info);
  Style.FillStyleInfo(Info, 11);
}

int TOkragSpecjalny::ApplyParams(std::uint16_t Mask, const TBlockE& Dialog) {
  return ApplyStyleParams(*this, Mask, Dialog);
}

bool TOkragSpecjalny::SameGeometry(const TEGraphObj& Other) const {
  return TDefSpecOkrag::SameGeometry(Other) && SameStyleOf(*this, Other);
}

void TOkragSpecjalny::CopyFieldsFrom(const TEGraphObj& Source) {
  TDefSpecOkrag::CopyFieldsFrom(Source);
  CopyStyle(*this, Source);
}

// Arcs.

TLukSpecjalny::TLukSpecjalny(const ObjectSaveRecord& Rec) : TDefSpecLuk(Rec) { Style.InitStyleFromRecord(Rec); }

bool TLukSpecjalny::Edit(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas, std::int32_t EraseColour) {
  return EditSpecStyle(*this, Style, Sublayer, Index, Canvas, EraseColour);
}

void TLukSpecjalny::Draw(TRealCanvas& Canvas) const {
  ApplyColor(Canvas);
  Style.ApplyStyle(Canvas);
  TDefSpecLuk::Draw(Canvas);
}

void TLukSpecjalny::DrawTransformed(TRealCanvas& Canvas, const TAffineMatrix& M) const {
  Style.ApplyStyle(Canvas);
  TDefSpecLuk::DrawTransformed(Canvas, M);
}

void TLukSpecjalny::DrawMoved(TRealCanvas& Canvas, const TRealPoint& D) const {
  Style.ApplyStyle(Canvas);
  TDefSpecLuk::DrawMoved(Canvas, D);
}

void TLukSpecjalny::SaveToRecord(ObjectSaveRecord& Rec) const {
  TDefSpecLuk::SaveToRecord(Rec);
  Style.SaveStyle(Rec);
}

void TLukSpecjalny::FillInfo(IGrObjInfo& Info) const {
  TDefSpecLuk::FillInfo(Info);
  Style.FillStyleInfo(Info, 14);
}

int TLukSpecjalny::ApplyParams(std::uint16_t Mask, const TBlockE& Dialog) {
  return ApplyStyleParams(*this, Mask, Dialog);
}

bool TLukSpecjalny::SameGeometry(const TEGraphObj& Other) const {
  return TDefSpecLuk::SameGeometry(Other) && SameStyleOf(*this, Other);
}

void TLukSpecjalny::CopyFieldsFrom(const TEGraphObj& Source) {
  TDefSpecLuk::CopyFieldsFrom(Source);
  CopyStyle(*this, Source);
}
