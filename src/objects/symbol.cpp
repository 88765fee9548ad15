#include "objects/symbol.h"

#include <cmath>
#include <numbers>

#include "drawing/realcanvas.h"
#include "objects/activepoints.h"
#include "objects/clipbounds.h"
#include "objects/edittoolsi.h"
#include "objects/layerobji.h"
#include "objects/saverecord.h"
#include "objects/sublayeri.h"
#include "objects/symbollib.h"
#include "objects/viewi.h"

namespace {

TAffineMatrix Placement(const TRealPoint& P, double S, double A) {
  const double sn = std::sin(A);
  const double cs = std::cos(A);
  return TAffineMatrix{S * cs, -S * sn, P.X, S * sn, S * cs, P.Y, S};
}

}  // namespace

// TGrSymbol.

TGrSymbol::TGrSymbol(const TRealPoint& Position, TSymbol* Symbol)
    : TNapis(Position, SymbolManager().GetSymbolName(Symbol)), Symbol(Symbol) {}

TGrSymbol::TGrSymbol(const ObjectSaveRecord& Rec) : TNapis(Rec) { Symbol = SymbolManager().GetSymbolByName(Text); }

bool TGrSymbol::FitsStoredLayout() const { return ObjectSaveRecord::TextFits(Text, kLayerSymbolNameMax); }

std::unique_ptr<TEGraphObj> TGrSymbol::ToExtendedClass() const { return ConvertToClass<TWysKatSymbol>(); }

void TGrSymbol::Draw(TRealCanvas& Canvas) const {
  if (Symbol == nullptr) {
    TNapis::Draw(Canvas);
    return;
  }
  ApplyColor(Canvas);
  Canvas.DrawSymbol(Symbol, Position, 0.0);
}

TRealRect TGrSymbol::GetBounds() const {
  if (Symbol == nullptr) return TNapis::GetBounds();
  return OffsetRealRect(Symbol->GetBounds(), Position);
}

double TGrSymbol::PlacedAngle(const TDrawParamsImp& Params) const {
  if (Params.GetDrawOption(doUpright)) return -Params.GetViewAngle();
  return SymbolAngle();
}

bool TGrSymbol::UnrotatedHit(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp& Params, double S,
                             double& D) const {
  if (S == 0.0) return false;
  const double k = 1.0 / S;
  return Symbol->HitDistance(TRealPoint{(P.X - Position.X) * k, (P.Y - Position.Y) * k},
                             TRealPoint{Tol.X * k, Tol.Y * k}, &Params, D);
}

bool TGrSymbol::RotatedHit(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp& Params, double A,
                           double S, double& D) const {
  if (Params.GetDrawOption(doUpright)) {
    if (Params.GetViewAngle() == 0.0) return UnrotatedHit(P, Tol, Params, S, D);
    A = -Params.GetViewAngle();
  }
  if (!Symbol->IsDeviceSymbol()) {
    const double h = Symbol->Extent * S * 0.5;
    if (P.X + Tol.X < Position.X - h || P.X - Tol.X > Position.X + h || P.Y + Tol.Y < Position.Y - h ||
        P.Y - Tol.Y > Position.Y + h)
      return false;
  }
  const std::unique_ptr<TSymbolImp> clone = Symbol->Clone();
  TransformGraphObjList(*clone, Placement(Position, S, A));
  return clone->HitDistance(P, Tol, &Params, D);
}

bool TGrSymbol::HitDistance(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp* Params,
                            double& D) const {
  if (Symbol == nullptr) return TNapis::HitDistance(P, Tol, Params, D);
  const std::unique_ptr<TSimpleDrawParams> params = CopyDrawParams(Params);
  if (SymbolHeight() != 0.0f) params->SetSize(SymbolHeight());
  const double s = params->GetSymbolSize(*Symbol);
  if (params->GetViewAngle() != 0.0 && params->GetDrawOption(doUpright))
    return RotatedHit(P, Tol, *params, -params->GetViewAngle(), s, D);
  if (SymbolAngle() == 0.0) return UnrotatedHit(P, Tol, *params, s, D);
  return RotatedHit(P, Tol, *params, SymbolAngle(), s, D);
}

ObjectValue TGrSymbol::GetValue() const {
  ObjectValue v;
  v.Kind = TObjectValueKind::SymbolName;
  v.Text = Text;
  return v;
}

void TGrSymbol::SaveToRecord(ObjectSaveRecord& Rec) const {
  TNapis::SaveToRecord(Rec);
  Rec.SetKindByte(kTextKindSymbol);
}

std::unique_ptr<TActivePoints> TGrSymbol::CreateActivePoints(TDrawParamsImp& Params) const {
  auto points = std::make_unique<TSymbolActivePoints>(Params.Dims());
  GetSnapPoints(*points, &Params);
  return points;
}

void TGrSymbol::FillInfo(IGrObjInfo& Info) const { FillTextInfo(Info, "Symbol", "Nazwa"); }

std::unique_ptr<TClipBounds> TGrSymbol::CreateOutline(const TDrawParamsImp* Params) const {
  if (Symbol == nullptr) return nullptr;
  const std::unique_ptr<TSimpleDrawParams> params = CopyDrawParams(Params);
  if (SymbolHeight() != 0.0f) params->SetSize(SymbolHeight());
  const double s = params->GetSymbolSize(*Symbol);
  const TRealRect& b = Symbol->Bounds;
  switch (Symbol->BoundsKind) {
    case TSymbolBoundsKind::Round:
      return std::make_unique<TSymbolCircleBounds>(TRealPoint{Position.X + s * b.Left, Position.Y + s * b.Top},
                                                   s * b.Right);
    case TSymbolBoundsKind::Rectangle: {
      const TAffineMatrix m = Placement(Position, s, PlacedAngle(*params));
      TOcclusionBox box;
      box.O = AffineTransformPoint(m, TRealPoint{b.Left, b.Top});
      box.A = TRealPoint{m.a * (b.Right - b.Left), m.d * (b.Right - b.Left)};
      box.B = TRealPoint{m.b * (b.Bottom - b.Top), m.e * (b.Bottom - b.Top)};
      return std::make_unique<TTextBounds>(box);
    }
    default:
      return nullptr;
  }
}

std::uint16_t TGrSymbol::GetCapabilities() const {
  return static_cast<std::uint16_t>(TNapis::GetCapabilities() | 0x0058);
}

bool TGrSymbol::HasDPISymbol() const { return dynamic_cast<const TDPISymbol*>(Symbol) != nullptr; }

void TGrSymbol::CopyFieldsFrom(const TEGraphObj& Source) {
  TNapis::CopyFieldsFrom(Source);
  if (const auto* s = dynamic_cast<const TGrSymbol*>(&Source)) Symbol = s->Symbol;
}

bool TGrSymbol::Edit(IPodwarstwa* Sublayer, int, TRealCanvas& Canvas, std::int32_t EraseColour) {
  const int index = ListIndexOf(Sublayer, *this);
  return EditOwnedCopy(ConvertToClass<TWysKatSymbol>(), Sublayer, index, Canvas, EraseColour);
}

TEditToolPtr TGrSymbol::EditKrzyz(IPodwarstwa* Sublayer, int, TRealCanvas& Canvas, std::int32_t Colour) {
  const int index = ListIndexOf(Sublayer, *this);
  TWysKatSymbol* copy = ConvertToClass<TWysKatSymbol>().release();
  return RequireObjectEditorsFor(copy, "TGrSymbol.EditKrzyz")
      .MakeEditTool(TEditToolKind::Symbol, *copy, Sublayer, index, Canvas, Colour, true);
}

// TWysKatSymbol.

bool TWysKatSymbol::Edit(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas, std::int32_t EraseColour) {
  IObjectEditors& editors = RequireObjectEditors("TWysKatSymbol.Edit");
  TSymbolEditValues v;
  v.Height = Height;
  v.Angle = Angle;
  v.Name = Text;
  if (!editors.EditSymbol(v)) return false;
  ApplyModalEdit(*this, Sublayer, Index, Canvas, EraseColour, [&] {
    Angle = v.Angle;
    Height = v.Height;
    Text = v.Name;
    Symbol = SymbolManager().GetSymbolByName(Text);
  });
  return true;
}

TEditToolPtr TWysKatSymbol::EditKrzyz(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas,
                                      std::int32_t Colour) {
  return RequireObjectEditors("TWysKatSymbol.EditKrzyz")
      .MakeEditTool(TEditToolKind::Symbol, *this, Sublayer, Index, Canvas, Colour, false);
}

TWysKatSymbol::TWysKatSymbol(const TRealPoint& Position, TSymbol* Symbol, double Height, float Angle)
    : TGrSymbol(Position, Symbol), Height(static_cast<float>(Height)), Angle(Angle) {}

TWysKatSymbol::TWysKatSymbol(const ObjectSaveRecord& Rec)
    : TGrSymbol(Rec), Height(Rec.GetHeight()), Angle(Rec.GetAngle()) {}

void TWysKatSymbol::Draw(TRealCanvas& Canvas) const {
  ApplyColor(Canvas);
  if (Height != 0.0f) Canvas.SetSize(Height);
  if (Symbol != nullptr)
    Canvas.DrawSymbol(Symbol, Position, Angle);
  else
    Canvas.VectorTextOutSimple(Text, Position, Angle);
}

void TWysKatSymbol::Transform(const TAffineMatrix& M) {
  TGrSymbol::Transform(M);
  double a = TransformAngle(M, Angle);
  if (a < 0.0) a += 2.0 * std::numbers::pi;
  Angle = static_cast<float>(a);
}

bool TWysKatSymbol::HitDistance(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp* Params,
                                double& D) const {
  if (Symbol == nullptr) {
    const std::unique_ptr<TSimpleDrawParams> params = CopyDrawParams(Params);
    if (Height != 0.0f) params->SetSize(Height);
    return TNapis::HitDistance(P, Tol, params.get(), D);
  }
  return TGrSymbol::HitDistance(P, Tol, Params, D);
}

void TWysKatSymbol::SaveToRecord(ObjectSaveRecord& Rec) const {
  TGrSymbol::SaveToRecord(Rec);
  Rec.SetHeight(Height);
  Rec.SetAngle(Angle);
}

void TWysKatSymbol::GetSnapPoints(IActivePoints& Points, const TDrawParamsImp* Params) const {
  if (Symbol == nullptr) {
    Points.SetCount(0);
    return;
  }
  const std::unique_ptr<TSimpleDrawParams> params = CopyDrawParams(Params);
  if (Height != 0.0f) params->SetSize(Height);
  const double s = params->GetSymbolSize(*Symbol);
  const TAffineMatrix m = Placement(Position, s, PlacedAngle(*params));
  const TRealRect& b = Symbol->Bounds;
  TRealPoint u[8];
  if (Symbol->BoundsKind == TSymbolBoundsKind::Round) {
    const double cx = b.Left, cy = b.Top, r = b.Right;
    u[0] = {cx - r, cy};
    u[1] = {cx + r, cy};
    u[2] = {cx, cy - r};
    u[3] = {cx, cy + r};
    u[4] = {cx + r, cy - r};
    u[5] = {cx + r, cy + r};
    u[6] = {cx - r, cy + r};
    u[7] = {cx - r, cy - r};
  } else {
    const double mx = (b.Left + b.Right) / 2.0, my = (b.Top + b.Bottom) / 2.0;
    u[0] = {b.Left, my};
    u[1] = {b.Right, my};
    u[2] = {mx, b.Top};
    u[3] = {mx, b.Bottom};
    u[4] = {b.Right, b.Top};
    u[5] = {b.Right, b.Bottom};
    u[6] = {b.Left, b.Bottom};
    u[7] = {b.Left, b.Top};
  }
  for (int i = 0; i < 8; ++i) Points.SetPoint(i, AffineTransformPoint(m, u[i]));
  Points.SetCount(4);
}

void TWysKatSymbol::FillInfo(IGrObjInfo& Info) const {
  TGrSymbol::FillInfo(Info);
  if (Height != 0.0f) Info.SetValue(10, 1, FloatToText(Height));
  Info.SetValue(10, 2, CursorFormat().FormatAngle(Angle));
}

int TWysKatSymbol::ApplyParams(std::uint16_t Mask, const TBlockE& Dialog) {
  bool any = false;
  if ((Mask & kBlockKat) != 0) {
    Angle = static_cast<float>(Dialog.Angle());
    any = true;
  }
  if ((Mask & kBlockHght) != 0) {
    Height = static_cast<float>(Dialog.Height());
    any = true;
  }
  if ((Mask & kBlockSymbol) != 0) {
    Text = Dialog.SymbolText();
    Symbol = SymbolManager().GetSymbolByName(Text);
    any = true;
  }
  if (any) MarkChanged();
  return any ? 1 : 0;
}

bool TWysKatSymbol::SameGeometry(const TEGraphObj& Other) const {
  const auto* o = dynamic_cast<const TWysKatSymbol*>(&Other);
  return TGrSymbol::SameGeometry(Other) && o != nullptr && o->Height == Height && o->Angle == Angle;
}

void TWysKatSymbol::CopyFieldsFrom(const TEGraphObj& Source) {
  TGrSymbol::CopyFieldsFrom(Source);
  if (const auto* s = dynamic_cast<const TWysKatSymbol*>(&Source)) {
    Height = s->Height;
    Angle = s->Angle;
  }
}
