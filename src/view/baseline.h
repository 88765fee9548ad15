// The base line: a directed segment from point 1 to point 2 laid over the
// map to enter further points the way field sketches give them: by running
// measure and perpendicular offset, by two distances from its ends, by two
// angles at its ends, or by distance and angle from point 1. It is drawn on
// the view as the view's overlay painter, with "1" and "2" at its ends.
//
// Coordinates are geodetic (X north, Y east); angles are radians turning
// clockwise on the map; "right" is the side to the right looking from point
// 1 to point 2. The computations raise ETolvikaError with code 6 ("Poprzednia
// linia ma zerową długość") or 7 ("Linia bazowa: Błąd w obliczeniach"); the
// checks never raise, they return true with the text for the snapping
// window.
//
// GUI thread only. The view owns the base line once it is its overlay
// painter (TTvView::SetPaintInPaint).
#pragma once

#include <cstdint>
#include <string>

#include "foundation/realgeom.h"
#include "view/viewhost.h"

// a·X + b·Y + c = 0.
struct TLineEquation {
  long double A = 0.0L;
  long double B = 0.0L;
  long double C = 0.0L;
};

class TBaseLine : public TOverlayPainter {
public:
  // Shown from the start; red; scale factor 1.
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
  // The point right of the line at D1 from point 1 and D2 from point 2.
  void BaseLinePointByDistances(double D1, double D2, TRealPoint& P) const;
  // The point right of the line seen under Alpha from point 1 and Beta
  // from point 2.
  void BaseLinePointByAngles(double Alpha, double Beta, TRealPoint& P) const;
  // D from point 1, the angle A turned clockwise from the direction to
  // point 2.
  void BaseLineByDistanceAngle(double D, double A, TRealPoint& P) const;

  // The snapping window's checks: true with Message when the input cannot
  // give a point (offsets never fail).
  bool CheckBaseLineOffsets(double A, double B, std::string& Message) const;
  bool CheckBaseLineMeasures(double D1, double D2, std::string& Message) const;
  bool CheckBaseLineAngles(double Alpha, double Beta, std::string& Message) const;

  void BaseLineEquation(TLineEquation& E) const;
  // The crossing with the line E; NoPoint()'s value (0, 0) for a parallel
  // line.
  void IntersectLine(const TLineEquation& E, TRealPoint& P) const;

  double X1 = 0.0;
  double Y1 = 0.0;
  double X2 = 0.0;
  double Y2 = 0.0;
  std::uint32_t Colour = 0x0000FF;  // 0x00BBGGRR
  double K = 1.0;                    // computed length / measured length
};
