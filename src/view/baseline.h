// The base line: a directed segment from point 1 to point 2 laid over the
// map to enter further points the way field sketches give them: by running
// measure and perpendicular offset, by two distances from its ends, by two
// angles at its ends, or by distance and angle from point 1. It is drawn on
// the view as the view's overlay painter, with "1" and "2" at its ends.
//
// Coordinates are geodetic (X north, Y east); angles are radians turning
// clockwise on the map; "right" is the side to the right looking from point
// 1 to point 2. The computations raise ETolvikaError with code 6 ("Poprzednia
// linia ma zerową długość") when the line has length 0 or 7 ("Linia bazowa:
// Błąd w obliczeniach") when the input gives no point; they never hand back
// a point that is not finite. The checks never raise, they return true with
// the text for the snapping window.
//
// GUI thread only. The view owns the base line once it is its overlay
// painter (TTvView::SetPaintInPaint).
#pragma once

#include <cstdint>
#include <string>

#include "foundation/geometry/realgeom.h"
#include "view/viewhost.h"

// a·X + b·Y + c = 0.
struct TLineEquation {
  long double A = 0.0L;
  long double B = 0.0L;
  long double C = 0.0L;
};

class TBaseLine : public TOverlayPainter {
public:
  // Shown from the start; red; scale factor 1. Ends that coincide make no
  // base line: error 6 is raised (7 for ends that are not finite).
  TBaseLine(const TRealPoint& P1, const TRealPoint& P2);

  // The segment in the colour, width 2, with "1" and "2" at its ends.
  void Paint(TDefRealCanvas& Canvas) override;

  // L, the length of the segment.
  double Distance2D() const;
  // Exchanges point 1 and point 2.
  void Reverse();
  // k := L / M; 0 leaves k as it is.
  void SetMeasuredLength(double M);

  // The point at perpendicular distance D to the right at point 1 (AtPoint1)
  // or at point 2.
  void OffsetAtEnd(bool AtPoint1, double D, TRealPoint& P) const;
  // Running measure A (scaled by k) along the line from point 1, offset B
  // to the right.
  void BaseLinePointByOffsets(double A, double B, TRealPoint& P) const;
  // The point right of the line at D1 from point 1 and D2 from point 2;
  // distances that just meet give the point on the line.
  void BaseLinePointByDistances(double D1, double D2, TRealPoint& P) const;
  // The point right of the line seen under Alpha from point 1 and Beta
  // from point 2; error 7 for a zero angle and for parallel rays.
  void BaseLinePointByAngles(double Alpha, double Beta, TRealPoint& P) const;
  // D from point 1, the angle A turned clockwise from the direction to
  // point 2.
  void BaseLineByDistanceAngle(double D, double A, TRealPoint& P) const;

  // The snapping window's checks: true with Message when the input cannot
  // give a point (offsets never fail). The angles check refuses every pair
  // the computation takes for parallel rays.
  bool CheckBaseLineOffsets(double A, double B, std::string& Message) const;
  bool CheckBaseLineMeasures(double D1, double D2, std::string& Message) const;
  bool CheckBaseLineAngles(double Alpha, double Beta, std::string& Message) const;

  void BaseLineEquation(TLineEquation& E) const;
  // The crossing with the line E; NoPoint()'s value (0, 0) for a parallel
  // line and for a crossing beyond the range of a double.
  void IntersectLine(const TLineEquation& E, TRealPoint& P) const;

  double X1 = 0.0;
  double Y1 = 0.0;
  double X2 = 0.0;
  double Y2 = 0.0;
  std::uint32_t Colour = 0x0000FF;  // 0x00BBGGRR
  double K = 1.0;                    // computed length / measured length

private:
  // L; error 6 when it is 0, 7 when it is not finite.
  double Length() const;
};
