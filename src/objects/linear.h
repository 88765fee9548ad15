// The bases of the objects that line and text sublayers hold, and the straight
// segment most of the map is made of:
//   TLinTextObj - every object of a line or text sublayer (lines, circles,
//                 arcs, texts, points); adds ReinsertAtIndex;
//   TLiniowyObj - the linear objects (lines, circles, arcs); plain start and
//                 end points from the 3D ones, GetSpecParams, EditWithClass;
//   TNELinia    - the segment P1 -> P2 with its whole geometry.
// The helpers at the end (moving a 3D point, tolerance box, nearer end,
// chord side and area term) are shared with the circular objects
// (objects/circle.h) and the definition elements.
//
// World coordinates are geodetic: X up, Y right; left and right of a
// direction are meant as seen in the picture. A tolerance T is the half width
// (X) and half height (Y) of a box around a point, in world units.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "objects/grobj.h"

class IEditToolSite;
class IObjectEditors;
class IPodwarstwa;
// The own style of a special line, circle or arc (line style, multiplier,
// thickness), defined with the special objects.
struct TSpecStyle;

// Base of every object a line or text sublayer holds. Adds the operation the
// edit tools use to put an edited object back into its sublayer. Threads and
// ownership as TEGraphObj.
class TLinTextObj : public TEGraphObj {
 public:
  TLinTextObj() = default;
  // The base part of a stored record.
  explicit TLinTextObj(const ObjectSaveRecord& Rec) : TEGraphObj(Rec) {}

  // The OnPoint callback of the object's edit tool: puts the edited object
  // back into the tool's sublayer once per run of the tool. Unless the
  // tool's edit index is -2 (already put back): marks the object changed,
  // the sublayer takes it at that index (ReplaceAtIndex) or, for -1,
  // refreshes its entry (UpdateObject); the edit index becomes -2. Without
  // a sublayer nothing happens. Always false.
  virtual bool ReinsertAtIndex(IEditToolSite& Tool);
};

// Base of the linear objects: straight lines, circles and arcs. A class
// derived from it must override GetStartPoint3 (and GetEndPoint3 when its end
// differs from its start): the plain points are taken from them.
class TLiniowyObj : public TLinTextObj {
 public:
  TLiniowyObj() = default;
  explicit TLiniowyObj(const ObjectSaveRecord& Rec) : TLinTextObj(Rec) {}

  // X and Y of GetStartPoint3 / GetEndPoint3.
  TRealPoint GetStartPoint() const override;
  TRealPoint GetEndPoint() const override;
  // True.
  bool IsLinearObj() const override;

  // The object's own style record, or nullptr (here) for objects drawn in the
  // style of their sublayer.
  virtual TSpecStyle* GetSpecParams();
  // Converts the object to Prototype's class (ConvertToClass) and runs the
  // copy's modal Edit with the object's list index in Sublayer (Index is not
  // used: the index is looked up again). Accepted: the copy has replaced the
  // object in the list, which frees the object - the caller must not touch
  // it afterwards. Otherwise the copy is freed and nothing changes.
  virtual bool EditWithClass(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas,
                             std::int32_t EraseColour, const TEGraphObj& Prototype);
};

// The straight segment from P1 to P2. The direction matters: it gives the
// sign of the area term and which end is end 1. P1 = P2 (a degenerate
// segment) is allowed; every operation says what it does then. Heights (Z)
// are carried along but take part in no computation.
//
// Abstract (CreateNew): the concrete lines derive from it. Threads and
// ownership as TEGraphObj.
class TNELinia : public TLiniowyObj {
 public:
  TNELinia() = default;
  // X and Y of both ends; Z1 and Z2 stay 0.
  TNELinia(const TRealPoint& A, const TRealPoint& B);
  // The base part, then P1 (12, 20, 52) and P2 (28, 36, 56).
  explicit TNELinia(const ObjectSaveRecord& Rec);

  TPointRec P1;
  TPointRec P2;

  TPointRec GetStartPoint3() const override;
  TPointRec GetEndPoint3() const override;
  // ApplyColor, then the canvas's Line P1 -> P2.
  void Draw(TRealCanvas& Canvas) const override;
  // Line M*P1 -> M*P2, without ApplyColor; the object does not change.
  void DrawTransformed(TRealCanvas& Canvas, const TAffineMatrix& M) const override;
  // Both ends by M; Z unchanged.
  void Transform(const TAffineMatrix& M) override;
  // Line P1 + D -> P2 + D, without ApplyColor.
  void DrawMoved(TRealCanvas& Canvas, const TRealPoint& D) const override;
  void Move(const TRealPoint& D) override;
  // The line with end N (1: P1, any other N: P2) transformed by M.
  void DrawPointTransformed(TRealCanvas& Canvas, int N, const TAffineMatrix& M) const override;
  void TransformPoint(int N, const TAffineMatrix& M) override;
  // The normalised rectangle of the ends.
  TRealRect GetBounds() const override;
  // Both ends through PolarWrapPoint (R, A0).
  void BendAroundCircle(double R, double A0) override;
  // Some part of the segment, border included, lies in the box around P.
  bool IsNear(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp* Params) const override;
  // Distance to the infinite line through the ends (to P1 when degenerate).
  double DistanceTo(const TRealPoint& P, const TDrawParamsImp* Params) const override;
  // The nearest point of the segment; an end with its Z when the foot lies
  // outside, else the foot with Q.Z as the caller set it.
  void ProjectPoint(const TRealPoint& P, const TDrawParamsImp* Params, TPointRec& Q) const override;
  // Distance to the first end lying in the box around P, else -1.
  double DistanceIfNear(const TRealPoint& P, const TRealPoint& Tol) const override;
  // The nearer end by taxicab distance; a tie gives P2.
  void NearestPoint(const TRealPoint& P, TPointRec& Q) const override;
  int NearestEndIndex(const TRealPoint& P) const override;
  double GetLength() const override;
  // Adds the end that is not From (P2 when From is P1, else P1); Far := it.
  void AppendPathPoints(const TRealPoint& From, TRealPointsList& List, TRealPoint& Far) const override;
  // Distance along +Y from P to the segment at P.X; -1 when it does not
  // reach P.X or lies wholly behind P on its own line.
  double RayDistanceY(const TRealPoint& P) const override;
  // Azimuth in which the segment leaves end N (1: P1, else P2).
  double GetDirectionAt(int N) const override;
  // SameRealPoint (P1, P2).
  bool IsZeroLength() const override;
  // ((Y1 - O.Y) + (Y2 - O.Y)) * dX / 2, dX := X2 - X1, negated unless Dir.
  double GetAreaTerm(bool Dir, const TRealPoint& Origin) const override;
  // The base part, kind 0, P1, P2, Z1, Z2.
  void SaveToRecord(ObjectSaveRecord& Rec) const override;
  // True.
  bool IsStraightLine() const override;
  // The base test and both ends (SameRealPoint); heights are not compared.
  bool SameGeometry(const TEGraphObj& Other) const override;
  // One topology segment, lengthened by Ext at both ends, with this line as
  // its source; none when both ends coincide exactly.
  void CreateTopologySegments(TTopologySegments& Segs, double Ext) override;
  // The base copy, then both 3D points whole when Source is a segment.
  void CopyFieldsFrom(const TEGraphObj& Source) override;

  // The line through the ends: A := Y1 - Y2, B := X2 - X1,
  // C := -A*X1 - B*Y1.
  TLineABC GetLineEquation() const;
  // The same line in coordinates relative to O.
  TLineABC GetLineEquationAt(const TRealPoint& O) const;
};

// Helpers of the editing operations that work on a converted copy of an
// object (a style-following line turned special, a text or symbol edited in
// its widest class).

// Obj's index in Sublayer's list; -1 without a sublayer or when not listed.
int ListIndexOf(const IPodwarstwa* Sublayer, const TEGraphObj& Obj);
// Runs Copy's modal Edit with Sublayer and Index. Copy is then freed unless
// a list took it (an accepted edit put it in place of the original, which the
// list freed): also when Edit raises. True when the edit was accepted and a
// list took the copy; an accepted copy that nothing took (no sublayer, the
// original not listed) is freed and the result is false.
bool EditOwnedCopy(std::unique_ptr<TEGraphObj> Copy, IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas,
                   std::int32_t EraseColour);
// The registered editors for an edit tool that is to own Copy (nullptr: no
// copy): without them Copy is freed unless something owns it, and
// ENotImplemented (Operation) is raised.
IObjectEditors& RequireObjectEditorsFor(TEGraphObj* Copy, const char* Operation);
// What an accepted modal edit does to Obj: its picture erased (drawn in
// EraseColour), Change applied, drawn again, marked changed and put back
// into Sublayer (at Index, or its list entry refreshed for -1).
void ApplyModalEdit(TEGraphObj& Obj, IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas,
                    std::int32_t EraseColour, const std::function<void()>& Change);

// X and Y of a 3D point.
inline TRealPoint XY(const TPointRec& P) { return TRealPoint{P.X, P.Y}; }
// A 3D point with X and Y transformed by M, moved by D or bent through
// PolarWrapPoint (R, A0); Z unchanged.
TPointRec TransformedRec(const TAffineMatrix& M, const TPointRec& P);
TPointRec MovedRec(const TPointRec& P, const TRealPoint& D);
TPointRec WrappedRec(const TPointRec& P, double R, double A0);
// sqrt (dX^2 + dY^2).
double Hypot(double DX, double DY);
// The box around P with the tolerance T (half width, half height).
TRealRect ToleranceBox(const TRealPoint& P, const TRealPoint& Tol);
// Distance from P to A when A lies in the box around P (borders included),
// else to B when B does, else -1.
double EndDistanceIfNear(const TPointRec& A, const TPointRec& B, const TRealPoint& P,
                         const TRealPoint& Tol);
// 1 when A is nearer to P than B by taxicab distance, else 2 (a tie gives B).
int NearerEndIndex(const TPointRec& A, const TPointRec& B, const TRealPoint& P);
// Q lies strictly left of the direction A -> B (points on its line do not).
bool LeftOfChord(const TRealPoint& A, const TRealPoint& B, const TRealPoint& Q);
// The area term of the chord A -> B (TNELinia::GetAreaTerm).
double ChordAreaTerm(const TRealPoint& A, const TRealPoint& B, bool Dir, const TRealPoint& Origin);
