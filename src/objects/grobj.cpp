#include "objects/grobj.h"

#include <cmath>

#include "drawing/realcanvas.h"
#include "foundation/errors.h"
#include "objects/saverecord.h"
#include "objects/scalecorri.h"
#include "objects/sublayeri.h"
#include "objects/viewi.h"

namespace {

IBlockManager* gBlockManager = nullptr;

// Frees a clone on every path, also when its drawing raises.
template <class Change>
void DrawChangedClone(const TEGraphObj& Obj, TRealCanvas& Canvas, Change change) {
  std::unique_ptr<TEGraphObj> clone = Obj.Clone();
  change(*clone);
  clone->Draw(Canvas);
}

}  // namespace

IBlockManager* GetBlockManager() { return gBlockManager; }
void SetBlockManager(IBlockManager* Manager) { gBlockManager = Manager; }

TEGraphObj::TEGraphObj() : IndexWord(kIndexChanged), ColourWord(kColourNewObject), IdentWord(0) {}

TEGraphObj::TEGraphObj(const ObjectSaveRecord& Rec)
    : IndexWord(Rec.GetIndex() & kIndexMask),
      ColourWord(kColourNewObject),
      IdentWord((Rec.GetIdentifier() & kIdentOperatMask) | (Rec.IsArchived() ? kIdentArchived : 0)) {}

TEGraphObj::~TEGraphObj() = default;

void TEGraphObj::ApplyColor(TRealCanvas& Canvas) const {
  const std::uint32_t mode = ColourWord & kColourModeMask;
  if (mode == kColourModeSpecial) {
    Canvas.SetSpecialColor();
    return;
  }
  if (mode != 0) return;  // modes 1 and 2 leave the pen colour as it is
  const std::uint32_t highlight = (ColourWord & kColourHighlightMask) >> kColourHighlightShift;
  if (highlight != 0) {
    Canvas.SetHighlightColor(static_cast<int>(highlight));
    return;
  }
  Canvas.Pen->SetColor(ColourWord & (kColourDefault | kColourRgb));
}

TRealPoint TEGraphObj::GetStartPoint() const { return TRealPoint{}; }
TRealPoint TEGraphObj::GetEndPoint() const { return GetStartPoint(); }

TPointRec TEGraphObj::GetStartPoint3() const {
  const TRealPoint p = GetStartPoint();
  return TPointRec{p.X, p.Y, 0.0f};
}

TPointRec TEGraphObj::GetEndPoint3() const { return GetStartPoint3(); }

TRealPoint TEGraphObj::GetPointN(int N) const {
  if (N == 1) return GetStartPoint();
  if (N == 2) return GetEndPoint();
  return TRealPoint{};
}

TPointRec TEGraphObj::GetPointN3(int N) const {
  if (N == 1) return GetStartPoint3();
  if (N == 2) return GetEndPoint3();
  return TPointRec{};
}

std::unique_ptr<TEGraphObj> TEGraphObj::CreateCopy(const TEGraphObj& Source) const {
  std::unique_ptr<TEGraphObj> n = CreateNew();
  n->CopyFieldsFrom(Source);
  return n;
}

std::unique_ptr<TEGraphObj> TEGraphObj::ToExtendedClass() const { return Clone(); }
std::unique_ptr<TEGraphObj> TEGraphObj::ExtendedCopyOrNil() const { return ToExtendedClass(); }

void TEGraphObj::DrawTransformed(TRealCanvas& Canvas, const TAffineMatrix& M) const {
  DrawChangedClone(*this, Canvas, [&](TEGraphObj& c) { c.Transform(M); });
}

void TEGraphObj::DrawMoved(TRealCanvas& Canvas, const TRealPoint& D) const {
  DrawChangedClone(*this, Canvas, [&](TEGraphObj& c) { c.Move(D); });
}

void TEGraphObj::DrawPointTransformed(TRealCanvas& Canvas, int N, const TAffineMatrix& M) const {
  DrawChangedClone(*this, Canvas, [&](TEGraphObj& c) { c.TransformPoint(N, M); });
}

void TEGraphObj::TransformPoint(int N, const TAffineMatrix& M) { Transform(M); }

TRealRect TEGraphObj::GetBoundsFor(const TDrawParamsImp* Params) const { return GetBounds(); }

bool TEGraphObj::IsSimpleDraw() const { return true; }

void TEGraphObj::BendAroundCircle(double R, double A0) {
  throw ENotImplemented("TEGraphObj.BendAroundCircle");
}

bool TEGraphObj::IsNear(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp* Params) const {
  return false;
}

bool TEGraphObj::HitDistance(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp* Params,
                             double& D) const {
  if (!IsNear(P, Tol, Params)) return false;
  D = DistanceTo(P, Params);
  return true;
}

double TEGraphObj::DistanceTo(const TRealPoint& P, const TDrawParamsImp* Params) const { return 1e100; }

void TEGraphObj::ProjectPoint(const TRealPoint& P, const TDrawParamsImp* Params, TPointRec& Q) const {}

double TEGraphObj::DistanceIfNear(const TRealPoint& P, const TRealPoint& Tol) const {
  if (IsNear(P, Tol, nullptr)) return DistanceTo(P, nullptr);
  return -1.0;
}

void TEGraphObj::NearestPoint(const TRealPoint& P, TPointRec& Q) const { ProjectPoint(P, nullptr, Q); }

int TEGraphObj::NearestEndIndex(const TRealPoint& P) const {
  TPointRec q{P.X, P.Y, 0.0f};
  NearestPoint(P, q);
  return EndPointIndex(TRealPoint{q.X, q.Y});
}

void TEGraphObj::DrawMarker(TRealCanvas& Canvas) const {}

double TEGraphObj::GetLength() const { return 0.0; }

std::string TEGraphObj::GetText() const { return std::string(); }

ObjectValue TEGraphObj::GetValue() const {
  ObjectValue v;
  v.Text = GetText();
  if (v.Text.empty()) {
    v.Kind = TObjectValueKind::Number;
    v.Number = GetLength();
  } else {
    v.Kind = TObjectValueKind::Text;
  }
  return v;
}

double TEGraphObj::GetCorrectedLength(const IScaleCorrection* Corr, double D) const {
  if (Corr == nullptr) return D;
  return CorrectDistanceMid(*Corr, GetStartPoint(), GetEndPoint(), D);
}

void TEGraphObj::AppendPathPoints(const TRealPoint& From, TRealPointsList& List, TRealPoint& Far) const {
  Far = GetStartPoint();
}

double TEGraphObj::RayDistanceY(const TRealPoint& P) const { return -1.0; }

int TEGraphObj::EndPointIndex(const TRealPoint& P) const {
  if (SameRealPoint(P, GetStartPoint())) return 1;
  if (SameRealPoint(P, GetEndPoint())) return 2;
  return 0;
}

double TEGraphObj::GetDirectionAt(int N) const { return 0.0; }

bool TEGraphObj::IsZeroLength() const { return false; }

double TEGraphObj::GetAreaTerm(bool Dir, const TRealPoint& Origin) const { return 0.0; }

void TEGraphObj::SaveToRecord(ObjectSaveRecord& Rec) const {
  Rec.Clear();
  Rec.SetIndex(GetIndex());
  Rec.SetIdentifier(IdentWord);
}

bool TEGraphObj::IsSameObject(const TEGraphObj* Other) const {
  if (Other == this) return true;
  return Other != nullptr && IsUnowned() && IndexWord == Other->IndexWord;
}

bool TEGraphObj::Edit(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas, std::int32_t EraseColour) {
  return false;
}

void TEGraphObj::NextField(std::string& Field) {}

void TEGraphObj::ReplaceField(const std::string& Field, const std::string& Value) {}

int TEGraphObj::HitActivePoint(const TRealPoint& P, const IActivePoints& Points,
                               const TDrawParamsImp* Params) const {
  return Points.HitTest(P);
}

TEditToolPtr TEGraphObj::EditKrzyz(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas,
                                   std::int32_t Colour) {
  throw ENotImplemented("TEGraphObj.EditKrzyz");
}

std::unique_ptr<TActivePoints> TEGraphObj::CreateActivePoints(TDrawParamsImp& Params) const {
  throw ENotImplemented("TEGraphObj.CreateActivePoints");
}

void TEGraphObj::GetSnapPoints(IActivePoints& Points, const TDrawParamsImp* Params) const {}

void TEGraphObj::FillInfo(IGrObjInfo& Info) const {
  if (IsArchived()) {
    Info.SetValue(1, 1, "Z archiwum");
    Info.SetLabel(5, 1, "Usunął");
  } else {
    Info.SetLabel(5, 1, "Modyfikował");
  }
}

std::unique_ptr<TClipBounds> TEGraphObj::CreateOutline(const TDrawParamsImp* Params) const {
  throw ENotImplemented("TEGraphObj.CreateOutline");
}

std::unique_ptr<TEGraphObj> TEGraphObj::CreateBaseCopy() const { return Clone(); }

bool TEGraphObj::IsStraightLine() const { return false; }

bool TEGraphObj::IsLinearObj() const { return false; }

bool TEGraphObj::GetDashInterval(float& A, float& B) const {
  throw ENotImplemented("TEGraphObj.GetDashInterval");
}

void TEGraphObj::GetAuxLines(const TDrawParamsImp* Params, TAuxLines& Lines) const {
  for (auto& line : Lines) line.reset();
}

std::uint16_t TEGraphObj::GetCapabilities() const { return kCapsBase; }

int TEGraphObj::ApplyParams(std::uint16_t Mask, const TBlockE& Dialog) {
  throw ENotImplemented("TEGraphObj.ApplyParams");
}

bool TEGraphObj::HasDPISymbol() const { return false; }

bool TEGraphObj::SameGeometry(const TEGraphObj& Other) const { return true; }

void TEGraphObj::CreateTopologySegments(TTopologySegments& Segs, double Ext) { Segs[0].reset(); }

void TEGraphObj::CopyFieldsFrom(const TEGraphObj& Source) { SetIdent(Source.GetIdent()); }

void TEGraphObj::SetIndex(std::uint32_t I) { IndexWord = (IndexWord & ~kIndexMask) | (I & kIndexMask); }

void TEGraphObj::SetIndexUnchanged(std::uint32_t I) {
  IndexWord = (IndexWord & kIndexOwnerBits) | (I & kIndexMask);
}

void TEGraphObj::SetIndexChanged(std::uint32_t I) {
  IndexWord = (IndexWord & kIndexOwnerBits) | kIndexChanged | (I & kIndexMask);
}

void TEGraphObj::UnmarkInList(TEGraphObj* Obj) {
  if (Obj != nullptr) Obj->IndexWord &= ~kIndexInList;
}

void TEGraphObj::UnmarkInBlock(TEGraphObj* Obj, const TBlock* Block) {
  IBlockManager* manager = GetBlockManager();
  if (Obj == nullptr || manager == nullptr) return;
  if (!manager->IsInOtherBlock(*Obj, Block)) Obj->IndexWord &= ~kIndexInBlock;
}

void TEGraphObj::MarkUndoRef(bool BeforeState) { IndexWord |= BeforeState ? kIndexUndoBefore : kIndexUndoAfter; }

void TEGraphObj::UnmarkUndoRef(TEGraphObj* Obj, bool BeforeState) {
  if (Obj != nullptr) Obj->IndexWord &= ~(BeforeState ? kIndexUndoBefore : kIndexUndoAfter);
}

void TEGraphObj::SetKolor(std::uint32_t C) {
  ColourWord = (ColourWord & ~(kColourRgb | kColourDefault)) | (C & kColourRgb);
}

void TEGraphObj::SetDefaultColor(bool B) {
  if (B)
    ColourWord |= kColourDefault;
  else
    ColourWord &= ~kColourDefault;
}

void TEGraphObj::SetHighlightIndex(std::uint32_t V) {
  ColourWord = (ColourWord & ~kColourHighlightMask) | (V & kColourHighlightMask);
}

void TEGraphObj::SetColorMode(std::uint32_t V) {
  ColourWord = (ColourWord & ~kColourModeMask) | (V & kColourModeMask);
}

void TEGraphObj::SetIdent(std::uint32_t I) {
  IdentWord = (IdentWord & kIdentArchived) | (I & kIdentOperatMask);
}

std::unique_ptr<TEGraphObj> TEGraphObj::Clone() const { return CreateCopy(*this); }

std::unique_ptr<TEGraphObj> TEGraphObj::ConvertToClass(const TEGraphObj& Prototype) const {
  std::unique_ptr<TEGraphObj> n = Prototype.CreateNew();
  n->CopyFieldsFrom(*this);
  return n;
}

void TEGraphObj::Assign(const TEGraphObj& Source) {
  if (&Source == this) return;
  const std::uint32_t index = IndexWord;
  const std::uint32_t colour = ColourWord;
  CopyFieldsFrom(Source);
  IndexWord = index;
  ColourWord = colour;
}

void TEGraphObj::DrawWithLayer(IPodwarstwa& Sublayer, TRealCanvas& Canvas, std::int32_t Colour) const {
  Sublayer.PrepareCanvas(Canvas);
  if (Colour != -1) {
    Canvas.Pen->SetColor(static_cast<std::uint32_t>(Colour));
    Canvas.SaveCanvasState();
  }
  Draw(Canvas);
}

void FreeGraphObj(TEGraphObj* Obj) {
  if (Obj != nullptr && Obj->IsUnowned()) delete Obj;
}

void PolarWrapPoint(TRealPoint& P, double R, double A0) {
  const double a = P.Y / R + A0;
  const double r = P.X + R;
  P = TRealPoint{r * std::cos(a), r * std::sin(a)};
}

double VectorAzimuth(double dX, double dY) { return Azimuth(dX, dY); }
