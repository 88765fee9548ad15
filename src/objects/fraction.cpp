#include "objects/fraction.h"

#include "drawing/realcanvas.h"
#include "objects/edittoolsi.h"
#include "objects/layerline.h"
#include "objects/layerobji.h"
#include "objects/saverecord.h"
#include "objects/viewi.h"

TLicznikMianownik::TLicznikMianownik(const TRealPoint& Position, const std::string& Numerator,
                                     const std::string& Denominator, double Height, std::uint8_t Justification,
                                     bool Underline, float Angle)
    : TWysKatOdnNapisW(Position, Numerator, Height, Justification, Underline, Angle, Position),
      Denominator(Denominator) {
  NoReference = 1;
}

TLicznikMianownik::TLicznikMianownik(const ObjectSaveRecord& Rec) : TWysKatOdnNapisW(Rec) {
  Rec.GetFraction(Text, Denominator);
  if (Denominator.size() > 255) Denominator.resize(255);
  const std::uint8_t kind = Rec.GetKindByte();
  NoReference = (kind == 0x10 || kind == 0x12) ? 1 : 0;
}

TEditToolPtr TLicznikMianownik::CreateEditTool(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas,
                                               std::int32_t Colour, bool OwnSelf) {
  return RequireObjectEditorsFor(OwnSelf ? this : nullptr, "TLicznikMianownik.CreateEditTool")
      .MakeEditTool(TEditToolKind::Fraction, *this, Sublayer, Index, Canvas, Colour, OwnSelf);
}

bool TLicznikMianownik::Edit(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas, std::int32_t EraseColour) {
  return RunTextDialog(Sublayer, Index, Canvas, EraseColour, &Denominator);
}

std::unique_ptr<TVectorChar> TLicznikMianownik::MeasureText(const TDrawParamsImp& Params) const {
  return Params.MeasureFraction(Text, Denominator);
}

bool TLicznikMianownik::FitsStoredLayout() const {
  std::string joined = Text;
  joined.push_back('\0');
  joined += Denominator;
  return ObjectSaveRecord::TextFits(joined, HasReference() ? kLayerRefTextMax : kRecTextMax);
}

std::unique_ptr<TVectorChar> TLicznikMianownik::BuildStrokes(const TDrawParamsImp& Params) const {
  return Params.BuildFractionRuled(Text, Denominator);
}

void TLicznikMianownik::Draw(TRealCanvas& Canvas) const {
  ApplyColor(Canvas);
  PrepareParams(Canvas, false);
  if (HasReference())
    Canvas.VectorFractionOut(Position, Text, Denominator, Angle, 1, GetRefPoint());
  else
    Canvas.VectorFractionOut(Position, Text, Denominator, Angle, 0, TRealPoint{});
}

bool TLicznikMianownik::HitDistance(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp* Params,
                                    double& D) const {
  // The referenced-text test runs the fraction's own strokes and measure.
  return HasReference() ? TWysKatOdnNapis::HitDistance(P, Tol, Params, D)
                        : TWysKatNapis::HitDistance(P, Tol, Params, D);
}

ObjectValue TLicznikMianownik::GetValue() const {
  ObjectValue v;
  v.Kind = TObjectValueKind::Text;
  v.Text = Text + "|" + Denominator;
  return v;
}

void TLicznikMianownik::SaveToRecord(ObjectSaveRecord& Rec) const {
  TWysKatOdnNapisW::SaveToRecord(Rec);
  Rec.SetKindByte(static_cast<std::uint8_t>(Rec.GetKindByte() | kTextKindFractionBit));
  Rec.SetFraction(Text, Denominator);
}

void TLicznikMianownik::FillInfo(IGrObjInfo& Info) const {
  TWysKatOdnNapisW::FillInfo(Info);
  Info.SetValue(0, 2, "Ułamek");
  Info.SetLabel(8, 0, "Licznik");
  Info.SetValue(8, 1, Text);
  Info.SetLabel(8, 2, "Mianownik");
  Info.SetValue(8, 2, Denominator);
}

void TLicznikMianownik::GetAuxLines(const TDrawParamsImp* Params, TAuxLines& Lines) const {
  for (auto& l : Lines) l.reset();
  const std::unique_ptr<TSimpleDrawParams> params = CopyDrawParams(Params);
  params->SetJustification(GetJustyfikacja());
  if (Height != 0.0f) params->SetSize(Height);
  const std::unique_ptr<TVectorChar> m = MeasureText(*params);
  const TAffineMatrix t = params->GetTextTransform(*m, Position, Angle);
  if (IsUnderline()) Lines[3] = UnderlineLine(*m, t);
  if (HasReference()) {
    params->SetOverline(IsOverline());
    Lines[2] = MakeReferenceLine(*m, t, *params);
  }
  auto upper = std::make_unique<TWysKatNapis>(TRealPoint{0.0, 0.0}, Text, Height, 7, false, Angle);
  upper->Transform(t);
  Lines[0] = std::move(upper);
  auto lower = std::make_unique<TWysKatNapis>(TRealPoint{-(m->BaseOffset - m->TopOffset) * 1.0, 0.0},
                                              Denominator, Height, 7, false, Angle);
  lower->Transform(t);
  Lines[1] = std::move(lower);
}

std::uint16_t TLicznikMianownik::GetCapabilities() const {
  return static_cast<std::uint16_t>(TWysKatOdnNapisW::GetCapabilities() | 0x0400);
}

int TLicznikMianownik::ApplyParams(std::uint16_t Mask, const TBlockE& Dialog) {
  bool any = ApplyTextParams(Mask, Dialog);
  if ((Mask & kBlockMianownik) != 0) {
    Denominator = Dialog.Mianownik();
    any = true;
  }
  if (any) MarkChanged();
  return any ? 1 : 0;
}

bool TLicznikMianownik::SameGeometry(const TEGraphObj& Other) const {
  const auto* o = dynamic_cast<const TLicznikMianownik*>(&Other);
  return TWysKatOdnNapisW::SameGeometry(Other) && o != nullptr && o->Denominator == Denominator;
}

void TLicznikMianownik::CopyFieldsFrom(const TEGraphObj& Source) {
  TWysKatOdnNapisW::CopyFieldsFrom(Source);
  if (const auto* s = dynamic_cast<const TLicznikMianownik*>(&Source)) Denominator = s->Denominator;
}
