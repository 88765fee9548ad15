#include "objects/defelements.h"

#include <algorithm>
#include <cmath>

#include "drawing/realcanvas.h"
#include "foundation/storage/real48.h"

TElementRecord ReadElementRecord(const std::uint8_t* Bytes) {
  TElementRecord rec;
  rec.X1 = Real48ToDouble(Bytes + kElemX1);
  rec.Y1 = Real48ToDouble(Bytes + kElemY1);
  rec.X2 = Real48ToDouble(Bytes + kElemX2);
  rec.Y2 = Real48ToDouble(Bytes + kElemY2);
  rec.R = Real48ToDouble(Bytes + kElemR);
  rec.Type = Bytes[kElemType];
  return rec;
}

bool DefinitionValueInRange(double V) {
  return std::isfinite(V) && std::fabs(V) <= kMaxDefinitionValue;
}

bool ElementRecordInRange(const TElementRecord& Rec) {
  return DefinitionValueInRange(Rec.X1) && DefinitionValueInRange(Rec.Y1) &&
         DefinitionValueInRange(Rec.X2) && DefinitionValueInRange(Rec.Y2) &&
         DefinitionValueInRange(Rec.R);
}

TSLinia::TSLinia(const TElementRecord& Rec)
    : TNELinia(TRealPoint{Rec.X1, Rec.Y1}, TRealPoint{Rec.X2, Rec.Y2}) {}

std::unique_ptr<TEGraphObj> TSLinia::CreateNew() const { return std::make_unique<TSLinia>(); }

bool TSLinia::IsSimpleDraw() const { return false; }

bool TSLinia::GetDashInterval(float& A, float& B) const {
  A = static_cast<float>(std::min(P1.Y, P2.Y));
  B = static_cast<float>(std::max(P1.Y, P2.Y));
  return P1.X == 0.0 && P2.X == 0.0;
}

TSOkrag::TSOkrag(const TElementRecord& Rec) {
  Centre = MakePointRec(Rec.X1, Rec.Y1);
  Radius = Rec.R;
}

std::unique_ptr<TEGraphObj> TSOkrag::CreateNew() const { return std::make_unique<TSOkrag>(); }

bool TSOkrag::IsSimpleDraw() const { return false; }

bool TSOkrag::GetDashInterval(float& A, float& B) const {
  A = static_cast<float>(Centre.Y);
  B = A;
  return Centre.X == 0.0;
}

TSLuk::TSLuk(const TElementRecord& Rec) {
  P1 = MakePointRec(Rec.X1, Rec.Y1);
  P2 = MakePointRec(Rec.X2, Rec.Y2);
  Radius = Rec.R;
}

std::unique_ptr<TEGraphObj> TSLuk::CreateNew() const { return std::make_unique<TSLuk>(); }

bool TSLuk::IsSimpleDraw() const { return false; }

bool TSLuk::GetDashInterval(float&, float&) const { return false; }

std::unique_ptr<TEGraphObj> TLLinia::CreateNew() const { return std::make_unique<TLLinia>(); }

double TLLinia::BentStartAngle() const { return VectorAzimuth(P1.X - P2.X, P1.Y - P2.Y); }

namespace {

// The bent element: an arc of Radius about Centre from Start over Sweep; one
// of sweep 0 is the dot at its start point.
void DrawBentArc(TRealCanvas& Canvas, const TRealPoint& Centre, const TRealPoint& StartPoint,
                 double Radius, double Start, double Sweep) {
  if (Sweep == 0.0) {
    Canvas.Line(StartPoint.X, StartPoint.Y, StartPoint.X, StartPoint.Y);
    return;
  }
  Canvas.ArcSegments(Centre, Radius, Start, Sweep);
}

}  // namespace

void TLLinia::Draw(TRealCanvas& Canvas) const {
  if (!Bent) {
    TNELinia::Draw(Canvas);
    return;
  }
  DrawBentArc(Canvas, XY(P2), XY(P1), BentRadius, BentStartAngle(), BentSweep);
}

void TLLinia::DrawTransformed(TRealCanvas& Canvas, const TAffineMatrix& M) const {
  if (!Bent) {
    TNELinia::DrawTransformed(Canvas, M);
    return;
  }
  // The transformed arc is computed on the side, so that drawing threads
  // never see the element changed.
  const TRealPoint start = AffineTransformPoint(M, XY(P1));
  const TRealPoint centre = AffineTransformPoint(M, XY(P2));
  const double start_angle = VectorAzimuth(start.X - centre.X, start.Y - centre.Y);
  DrawBentArc(Canvas, centre, start, BentRadius * M.s, start_angle, BentSweep);
}

void TLLinia::Transform(const TAffineMatrix& M) {
  TNELinia::Transform(M);
  BentRadius *= M.s;
}

void TLLinia::DrawMoved(TRealCanvas& Canvas, const TRealPoint& D) const {
  if (!Bent) {
    TNELinia::DrawMoved(Canvas, D);
    return;
  }
  const TRealPoint centre{P2.X + D.X, P2.Y + D.Y};
  const TRealPoint start{P1.X + D.X, P1.Y + D.Y};
  DrawBentArc(Canvas, centre, start, BentRadius, BentStartAngle(), BentSweep);
}

void TLLinia::BendAroundCircle(double R, double A0) {
  if (P1.X != P2.X) {
    TNELinia::BendAroundCircle(R, A0);
    return;
  }
  BentRadius = R + P1.X;
  BentSweep = (P2.Y - P1.Y) / R;
  Bent = true;
  P1 = WrappedRec(P1, R, A0);
  P2 = TPointRec{};
}

void TLLinia::CopyFieldsFrom(const TEGraphObj& Source) {
  TSLinia::CopyFieldsFrom(Source);
  if (const auto* line = dynamic_cast<const TLLinia*>(&Source)) {
    BentRadius = line->BentRadius;
    BentSweep = line->BentSweep;
    Bent = line->Bent;
  }
}
