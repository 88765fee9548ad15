// The extent: the bounding box in which layers, sublayers, objects, rasters
// and hatched areas keep their reach. Four doubles in the order MinX, MaxX,
// MinY, MaxY (32 bytes little-endian where a file stores one). The empty
// extent has its minima at +1.7e308 and its maxima at -1.7e308, so adding
// points to it accumulates a box. Plain values and free functions without
// state: any thread may call them.
#pragma once

// Bound of the empty extent (the double nearest 1.7e308).
inline constexpr double kEmptyExtentBound = 1.7e308;

struct TExtent {
  double MinX = 0;
  double MaxX = 0;
  double MinY = 0;
  double MaxY = 0;

  friend bool operator==(const TExtent&, const TExtent&) = default;
};

// The extent of the two corners as given, not normalised.
TExtent MakeExtent(double X1, double Y1, double X2, double Y2);
void ClearExtent(TExtent& E);
void ZeroExtent(TExtent& E);
void NormalizeExtent(TExtent& E);
// Normalises E, then widens it by DX on both X sides and DY on both Y sides.
void InflateExtent(TExtent& E, double DX, double DY);
// Widens E to hold (X, Y); the four bound tests are independent, which makes
// the empty extent work.
void ExtentAddPoint(TExtent& E, double X, double Y);
// Widens each bound of E by the same bound of Other (not normalised; an empty
// Other leaves E unchanged).
void UnionExtent(TExtent& E, const TExtent& Other);
// E takes Source with the X and Y bounds exchanged.
void SwapExtentAxes(TExtent& E, const TExtent& Source);
// Bounds included.
bool ExtentContainsPoint(const TExtent& E, double X, double Y);
// X bounds included, Y bounds excluded.
bool ExtentContainsPointOpenY(const TExtent& E, double X, double Y);
// True when some point of the segment lies in E or on its border. E is
// normalised in place first.
bool SegmentTouchesExtent(TExtent& E, double X1, double Y1, double X2, double Y2);
// True when the two share an area (touching along an edge or a corner is not
// an overlap). A is normalised in place; B is normalised in a copy.
bool ExtentsOverlap(TExtent& A, const TExtent& B);
