// A surveyed or digitized point of a line layer with a height: drawn as a
// dot, stored as a straight line (kind 0) whose two ends coincide, with the
// height as the first end's Z. The line sublayer reads such a record back as
// a point.
//
// Threads and ownership as TEGraphObj; the edit tool comes from the
// registered editors (objects/edittoolsi.h).
#pragma once

#include "objects/linear.h"

class TPunkt : public TLinTextObj {
 public:
  TPunkt() = default;
  // Z 0.
  explicit TPunkt(const TRealPoint& P) : Position{P.X, P.Y, 0.0f} {}
  // X and Y of the first end, Z from Z1.
  explicit TPunkt(const ObjectSaveRecord& Rec);

  TPointRec Position;

  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TPunkt>(); }
  // The point edit tool working on this object.
  TEditToolPtr EditKrzyz(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas,
                         std::int32_t Colour) override;
  TRealPoint GetStartPoint() const override { return XY(Position); }
  TPointRec GetStartPoint3() const override { return Position; }
  // A dot of about 3 pixels.
  void Draw(TRealCanvas& Canvas) const override;
  void Transform(const TAffineMatrix& M) override;
  void Move(const TRealPoint& D) override;
  // The square of half side 0.1 about the point: never empty.
  TRealRect GetBounds() const override;
  bool IsNear(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp* Params) const override;
  double DistanceTo(const TRealPoint& P, const TDrawParamsImp* Params) const override;
  void ProjectPoint(const TRealPoint& P, const TDrawParamsImp* Params, TPointRec& Q) const override;
  // Kind 0, both ends at the point, Z1 the height.
  void SaveToRecord(ObjectSaveRecord& Rec) const override;
  std::unique_ptr<TActivePoints> CreateActivePoints(TDrawParamsImp& Params) const override;
  void GetSnapPoints(IActivePoints& Points, const TDrawParamsImp* Params) const override;
  void FillInfo(IGrObjInfo& Info) const override;
  bool IsLinearObj() const override { return true; }
  // The base test and the same place; heights are not compared.
  bool SameGeometry(const TEGraphObj& Other) const override;
  void CopyFieldsFrom(const TEGraphObj& Source) override;
};
