// The elements of symbol, line-style and generator definitions: straight
// lines, circles and arcs in definition units, built from the 32-byte element
// records of the definition files.
//
// Element record (32 bytes; reals are 6-byte reals, foundation/storage/real48.h):
//
// | Offset | Size | Field                                                     |
// |--------|------|-----------------------------------------------------------|
// | 0      | 1    | not interpreted                                           |
// | 1      | 6    | X1                                                        |
// | 7      | 6    | Y1                                                        |
// | 13     | 6    | X2                                                        |
// | 19     | 6    | Y2                                                        |
// | 25     | 6    | R                                                         |
// | 31     | 1    | type: 0 line, 1 arc, 2 circle (the symbol file also uses  |
// |        |      | 8 and 9 for its bounds)                                   |
//
// The elements never draw in the simple way (IsSimpleDraw is false): their
// owner sets up the canvas. They tell whether they lie on the axis of a line
// style (GetDashInterval, for the DXF dash pattern). The line element of line
// styles and generators (TLLinia) turns into an arc when a style is bent onto
// a circle or an arc.
//
// Created only by the definition loaders; owned by their symbol, section or
// generator. Threads and ownership otherwise as TEGraphObj.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "objects/circle.h"
#include "objects/linear.h"

inline constexpr std::size_t kElementRecordSize = 32;
inline constexpr std::size_t kElemX1 = 1;
inline constexpr std::size_t kElemY1 = 7;
inline constexpr std::size_t kElemX2 = 13;
inline constexpr std::size_t kElemY2 = 19;
inline constexpr std::size_t kElemR = 25;
inline constexpr std::size_t kElemType = 31;

// Element types of the definition files.
inline constexpr std::uint8_t kElemLine = 0;
inline constexpr std::uint8_t kElemArc = 1;
inline constexpr std::uint8_t kElemCircle = 2;
inline constexpr std::uint8_t kElemBoundsRect = 8;   // symbols: bounding rectangle
inline constexpr std::uint8_t kElemBoundsRound = 9;  // symbols: round bound

// One element record, its reals as doubles.
struct TElementRecord {
  double X1 = 0.0;
  double Y1 = 0.0;
  double X2 = 0.0;
  double Y2 = 0.0;
  double R = 0.0;
  std::uint8_t Type = 0;
};

// Reads the 32 bytes of a record at Bytes.
TElementRecord ReadElementRecord(const std::uint8_t* Bytes);

// The largest magnitude a coordinate or radius of a definition element, a
// section position or a symbol's size and extent may have: ten metres of map
// sheet in millimetres, far beyond any real definition. Larger values (or
// ones that are not finite) only come from damaged or hostile files, and the
// loaders refuse them before they reach drawing.
inline constexpr double kMaxDefinitionValue = 1.0e4;
// True when V is finite and within kMaxDefinitionValue.
bool DefinitionValueInRange(double V);
// True when all five reals of Rec are in range.
bool ElementRecordInRange(const TElementRecord& Rec);

// Straight element from (X1, Y1) to (X2, Y2).
class TSLinia : public TNELinia {
public:
  TSLinia() = default;
  explicit TSLinia(const TElementRecord& Rec);

  std::unique_ptr<TEGraphObj> CreateNew() const override;
  // False.
  bool IsSimpleDraw() const override;
  // True when the element lies on the axis (X1 = X2 = 0); A := the smaller
  // and B := the larger of Y1 and Y2 in every case.
  bool GetDashInterval(float& A, float& B) const override;
};

// Circle element about (X1, Y1) with radius R.
class TSOkrag : public TNEOkrag {
public:
  TSOkrag() = default;
  explicit TSOkrag(const TElementRecord& Rec);

  std::unique_ptr<TEGraphObj> CreateNew() const override;
  // False.
  bool IsSimpleDraw() const override;
  // True when the centre lies on the axis (X = 0); A and B := the centre's
  // Y (a dot) in every case.
  bool GetDashInterval(float& A, float& B) const override;
};

// Arc element from (X1, Y1) to (X2, Y2) with the signed radius R.
class TSLuk : public TNELuk {
public:
  TSLuk() = default;
  explicit TSLuk(const TElementRecord& Rec);

  std::unique_ptr<TEGraphObj> CreateNew() const override;
  // False.
  bool IsSimpleDraw() const override;
  // False; A and B untouched.
  bool GetDashInterval(float& A, float& B) const override;
};

// Straight element of line-style sections and generators that becomes an arc
// when bent onto a circle parallel to its line: then P2 is the arc's centre
// and P1 its start point, and it runs BentSweep radians from there.
class TLLinia : public TSLinia {
public:
  TLLinia() = default;
  explicit TLLinia(const TElementRecord& Rec) : TSLinia(Rec) {}

  // The radius of the arc the element has become.
  double BentRadius = 0.0;
  // The angle that arc sweeps, in radians; 0 while the element is straight.
  double BentSweep = 0.0;
  // Set when the element became an arc. Kept apart from BentSweep, since an
  // element of length 0 (a dot) becomes an arc of sweep 0: it is then drawn
  // as a dot at P1, not as a line to the centre.
  bool Bent = false;

  bool IsBent() const { return Bent; }
  // Start angle of the bent arc: the azimuth of P1 - P2 in [0, 2*pi).
  double BentStartAngle() const;

  std::unique_ptr<TEGraphObj> CreateNew() const override;
  // Straight: the line's drawing; bent: the arc's segments.
  void Draw(TRealCanvas& Canvas) const override;
  // Bent: the arc of the transformed element; the element does not change.
  void DrawTransformed(TRealCanvas& Canvas, const TAffineMatrix& M) const override;
  // Both points by M, BentRadius by M's linear scale.
  void Transform(const TAffineMatrix& M) override;
  // Bent: the arc about P2 + D.
  void DrawMoved(TRealCanvas& Canvas, const TRealPoint& D) const override;
  // X is the distance across the line, Y the distance along it. Not parallel
  // to the line (X1 <> X2): both ends onto the circle, a straight chord.
  // Parallel: the arc of radius R + X1 and sweep (Y2 - Y1) / R about the
  // local centre (0, 0), starting at P1 wrapped onto the circle.
  void BendAroundCircle(double R, double A0) override;
  // The line's copy, then BentRadius, BentSweep and Bent when Source is a
  // TLLinia.
  void CopyFieldsFrom(const TEGraphObj& Source) override;
};
