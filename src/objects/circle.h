// The circular linear objects: TOkragImp (a radius), TNEOkrag (the full
// circle about its centre) and TNELuk (the arc from P1 to P2 with a signed
// radius).
//
// Angles of points on a circle are azimuths: the point at angle a is
// (C.X + R*cos a, C.Y + R*sin a), a = 0 above the centre, growing clockwise
// as displayed (X up, Y right).
//
// Arc convention: the arc lies on the right of its chord P1 -> P2 and runs
// anticlockwise about its centre from P1 to P2. Radius > 0: the centre is on
// the left of the chord and the arc is at most half a circle; Radius < 0: the
// centre is on the right and the arc is more than half a circle.
#pragma once

#include "objects/linear.h"

// Common base of circles and arcs: the radius and the circle helpers both
// use. Abstract (CreateNew). Threads and ownership as TEGraphObj.
class TOkragImp : public TLiniowyObj {
 public:
  TOkragImp() = default;
  // The base part, then Radius from 44.
  explicit TOkragImp(const ObjectSaveRecord& Rec);

  // Signed for an arc; the circle's radius for a circle.
  double Radius = 0.0;

  // The base part, then Radius at 44 (the kind byte is left to the classes).
  void SaveToRecord(ObjectSaveRecord& Rec) const override;
  // The base test and exactly equal radii.
  bool SameGeometry(const TEGraphObj& Other) const override;
  // The base copy, then Radius when Source is circular.
  void CopyFieldsFrom(const TEGraphObj& Source) override;

  // Whether the circle of radius |Radius| about C meets the tolerance box
  // around P (centre inside the box, or a box side crossing the circle
  // inside the box).
  bool CircleMeetsBox(const TRealPoint& P, const TRealPoint& C, const TRealPoint& Tol) const;
  // The radial projection of P onto the circle of radius |Radius| about C;
  // P = C gives (C.X + |Radius|, C.Y). Only Q.X and Q.Y are written.
  void NearestOnCircle(const TRealPoint& P, const TRealPoint& C, TPointRec& Q) const;
  // Adds the points at the angles AStart + k*Step (k = 1, 2, ...) while they
  // lie before AEnd (below it for Step > 0, above it otherwise), at the
  // stored Radius about C; neither end angle itself. Step 0 adds nothing.
  void AppendArcPoints(const TRealPoint& C, TRealPointsList& List, double Step, double AEnd,
                       double AStart) const;
};

// The full circle about Centre. Its start and end point is the centre.
// Abstract (CreateNew): the layer circles and the definition circles derive
// from it. Threads and ownership as TEGraphObj.
class TNEOkrag : public TOkragImp {
 public:
  TNEOkrag() = default;
  TNEOkrag(const TPointRec& C, double R);
  // The TOkragImp part, then the centre from 12, 20 and 52.
  explicit TNEOkrag(const ObjectSaveRecord& Rec);

  TPointRec Centre;

  // The centre with Z; the end point is the same.
  TPointRec GetStartPoint3() const override;
  // ApplyColor, then the canvas's DrawCircle (Centre, Radius).
  void Draw(TRealCanvas& Canvas) const override;
  // DrawCircle (M*Centre, Radius*M.s), without ApplyColor.
  void DrawTransformed(TRealCanvas& Canvas, const TAffineMatrix& M) const override;
  void Transform(const TAffineMatrix& M) override;
  void DrawMoved(TRealCanvas& Canvas, const TRealPoint& D) const override;
  void Move(const TRealPoint& D) override;
  // The whole circle transformed, whatever N.
  void DrawPointTransformed(TRealCanvas& Canvas, int N, const TAffineMatrix& M) const override;
  // Centre +- Radius.
  TRealRect GetBounds() const override;
  // The centre through PolarWrapPoint; Radius unchanged.
  void BendAroundCircle(double R, double A0) override;
  bool IsNear(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp* Params) const override;
  // | |P - Centre| - Radius |.
  double DistanceTo(const TRealPoint& P, const TDrawParamsImp* Params) const override;
  // The radial projection with Z := the centre's Z.
  void ProjectPoint(const TRealPoint& P, const TDrawParamsImp* Params, TPointRec& Q) const override;
  // |P - Centre| when the centre lies in the box around P, else -1.
  double DistanceIfNear(const TRealPoint& P, const TRealPoint& Tol) const override;
  // The centre with Z.
  void NearestPoint(const TRealPoint& P, TPointRec& Q) const override;
  // 2*pi*Radius.
  double GetLength() const override;
  // The whole circle as a closed polygon starting and ending at
  // (C.X + Radius, C.Y); Far is not written.
  void AppendPathPoints(const TRealPoint& From, TRealPointsList& List, TRealPoint& Far) const override;
  double RayDistanceY(const TRealPoint& P) const override;
  // 1 for the centre, else 0.
  int EndPointIndex(const TRealPoint& P) const override;
  // pi*Radius^2, whatever Dir and Origin.
  double GetAreaTerm(bool Dir, const TRealPoint& Origin) const override;
  // The TOkragImp part, kind 2, the centre and its Z.
  void SaveToRecord(ObjectSaveRecord& Rec) const override;
  bool SameGeometry(const TEGraphObj& Other) const override;
  // No segment.
  void CreateTopologySegments(TTopologySegments& Segs, double Ext) override;
  void CopyFieldsFrom(const TEGraphObj& Source) override;
};

// The arc from P1 to P2 with the signed Radius (arc convention above).
// Abstract (CreateNew): the layer arcs and the definition arcs derive from
// it. Threads and ownership as TEGraphObj.
class TNELuk : public TOkragImp {
 public:
  TNELuk() = default;
  TNELuk(const TPointRec& A, const TPointRec& B, double R);
  // The TOkragImp part, then P1 (12, 20, 52) and P2 (28, 36, 56).
  explicit TNELuk(const ObjectSaveRecord& Rec);

  TPointRec P1;
  TPointRec P2;

  TPointRec GetStartPoint3() const override;
  TPointRec GetEndPoint3() const override;
  // ApplyColor, then the canvas's ArcByAngles (P1, P2, Radius).
  void Draw(TRealCanvas& Canvas) const override;
  // ArcByAngles (M*P1, M*P2, Radius*M.s), without ApplyColor.
  void DrawTransformed(TRealCanvas& Canvas, const TAffineMatrix& M) const override;
  void Transform(const TAffineMatrix& M) override;
  void DrawMoved(TRealCanvas& Canvas, const TRealPoint& D) const override;
  void Move(const TRealPoint& D) override;
  // A rectangle holding the whole arc and both ends.
  TRealRect GetBounds() const override;
  // Both ends through PolarWrapPoint; Radius unchanged.
  void BendAroundCircle(double R, double A0) override;
  bool IsNear(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp* Params) const override;
  // Left of the chord: the distance to the nearer end; otherwise the
  // distance to the arc's circle.
  double DistanceTo(const TRealPoint& P, const TDrawParamsImp* Params) const override;
  // Left of the chord: NearestPoint; otherwise the radial projection (X and
  // Y only, Q.Z as the caller set it).
  void ProjectPoint(const TRealPoint& P, const TDrawParamsImp* Params, TPointRec& Q) const override;
  // As the segment's: the first end lying in the box around P, else -1.
  double DistanceIfNear(const TRealPoint& P, const TRealPoint& Tol) const override;
  // As the segment's: the nearer end by taxicab distance, a tie gives P2.
  void NearestPoint(const TRealPoint& P, TPointRec& Q) const override;
  // |Radius| * sweep; 0 when Radius = 0.
  double GetLength() const override;
  // The polygon of the arc walked away from From (P1 or P2), ending at the
  // other end; Far := that end.
  void AppendPathPoints(const TRealPoint& From, TRealPointsList& List, TRealPoint& Far) const override;
  double RayDistanceY(const TRealPoint& P) const override;
  // The tangent leaving end N (1: P1, else P2) into the arc.
  double GetDirectionAt(int N) const override;
  // The chord's term plus (Dir) or minus the circular segment.
  double GetAreaTerm(bool Dir, const TRealPoint& Origin) const override;
  // The TOkragImp part, kind 1, P1, P2, Z1, Z2.
  void SaveToRecord(ObjectSaveRecord& Rec) const override;
  bool SameGeometry(const TEGraphObj& Other) const override;
  void CopyFieldsFrom(const TEGraphObj& Source) override;

  // The centre by the arc convention (the radius enlarged by 1e-5 as the
  // canvas does); the midpoint of the ends when no centre exists (coincident
  // ends, or ends farther apart than the diameter).
  TRealPoint GetCentre() const;
  // The angle the arc spans about its centre, in [0, 2*pi].
  double GetSweep() const;
  // The arc from A to B through M (ends swapped when M is left of A -> B, so
  // M is always on the arc's side). Raises EGrEditError "Błąd podczas
  // obliczania łuku" for collinear or coincident points, leaving the arc as
  // it was.
  void SetFromThreePoints(const TPointRec& A, const TPointRec& B, const TPointRec& M);
};
