#include "objects/point.h"

#include "drawing/realcanvas.h"
#include "objects/activepoints.h"
#include "objects/edittoolsi.h"
#include "objects/layerobji.h"
#include "objects/saverecord.h"

TPunkt::TPunkt(const ObjectSaveRecord& Rec) : TLinTextObj(Rec), Position(Rec.GetPoint1()) {}

TEditToolPtr TPunkt::EditKrzyz(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas,
                               std::int32_t Colour) {
  return RequireObjectEditors("TPunkt.EditKrzyz")
      .MakeEditTool(TEditToolKind::Point, *this, Sublayer, Index, Canvas, Colour, false);
}

void TPunkt::Draw(TRealCanvas& Canvas) const {
  ApplyColor(Canvas);
  Canvas.DotMark(3, XY(Position));
}

void TPunkt::Transform(const TAffineMatrix& M) { Position = TransformedRec(M, Position); }

void TPunkt::Move(const TRealPoint& D) { Position = MovedRec(Position, D); }

TRealRect TPunkt::GetBounds() const {
  return TRealRect{Position.X - 0.1, Position.Y - 0.1, Position.X + 0.1, Position.Y + 0.1};
}

bool TPunkt::IsNear(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp*) const {
  return RealRectContainsPoint(ToleranceBox(P, Tol), XY(Position));
}

double TPunkt::DistanceTo(const TRealPoint& P, const TDrawParamsImp*) const {
  return Hypot(P.X - Position.X, P.Y - Position.Y);
}

void TPunkt::ProjectPoint(const TRealPoint&, const TDrawParamsImp*, TPointRec& Q) const { Q = Position; }

void TPunkt::SaveToRecord(ObjectSaveRecord& Rec) const {
  TLinTextObj::SaveToRecord(Rec);
  Rec.SetLineKind(kLineKindLine);
  Rec.SetPoint1(Position);
  Rec.SetPoint2(TPointRec{Position.X, Position.Y, 0.0f});
}

std::unique_ptr<TActivePoints> TPunkt::CreateActivePoints(TDrawParamsImp& Params) const {
  auto points = std::make_unique<TPunktActivePoints>(Params.Dims());
  GetSnapPoints(*points, &Params);
  return points;
}

void TPunkt::GetSnapPoints(IActivePoints& Points, const TDrawParamsImp*) const {
  Points.SetPoint(0, XY(Position));
  Points.SetCount(1);
}

void TPunkt::FillInfo(IGrObjInfo& Info) const {
  TEGraphObj::FillInfo(Info);
  const ICursorFormat& f = CursorFormat();
  Info.SetValue(0, 2, "Punkt");
  Info.SetLabel(8, 0, "Współrzędne");
  Info.SetLabel(9, 0, "X");
  Info.SetValue(9, 1, f.FormatCoord(Position.X));
  Info.SetLabel(9, 2, "Y");
  Info.SetValue(9, 2, f.FormatCoord(Position.Y));
  Info.SetLabel(9, 3, "Z");
  Info.SetValue(9, 3, f.FormatCoord(Position.Z));
}

bool TPunkt::SameGeometry(const TEGraphObj& Other) const {
  const auto* o = dynamic_cast<const TPunkt*>(&Other);
  return TLinTextObj::SameGeometry(Other) && o != nullptr && SameRealPoint(XY(o->Position), XY(Position));
}

void TPunkt::CopyFieldsFrom(const TEGraphObj& Source) {
  TLinTextObj::CopyFieldsFrom(Source);
  if (const auto* s = dynamic_cast<const TPunkt*>(&Source)) Position = s->Position;
}
