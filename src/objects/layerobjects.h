// The layer objects as a whole: the registration of their record classes,
// the crossing of two linear objects that snapping to an intersection uses,
// and the hit test of a text drawn from parameters without being an object
// (parcel and point numbers, sheet-grid labels).
#pragma once

#include <array>
#include <string>

#include "drawing/drawparams.h"
#include "foundation/geometry/realgeom.h"

class TEGraphObj;
class TRealCanvas;

// Registers the record classes of every layer object (lines, circles, arcs,
// their special kinds, points, texts, fractions, symbols). GUI thread, at
// start-up, before any layer is loaded.
void RegisterLayerObjectClasses();

// The crossing of two linear objects nearest to O: lines taken as infinite
// lines, circles and arcs as full circles. On true Q is the crossing and D2
// its squared distance from O; on false neither is written. False when
// either object is not linear, for parallel lines, concentric circles, a
// line whose two points coincide, and figures that do not meet. Any thread.
bool IntersectObjects(const TEGraphObj& A, const TEGraphObj& B, const TRealPoint& O, double& D2, TRealPoint& Q);

// Whether P hits (within Tol) the strokes of Text placed at Position with the
// justification and underline given, at the size of Params; with a reference
// point also its reference line. D receives the distance of a hit.
//
// Builds the text in one of two text objects kept for the program's run and
// re-initialised for every call (freed at exit): GUI thread only.
bool TextHitTest(const std::string& Text, const TRealPoint& Position, std::uint8_t Justification,
                 bool Underline, bool HasReference, const TRealPoint& Reference, const TRealPoint& P,
                 const TRealPoint& Tol, const TDrawParamsImp& Params, double& D);

// The same with parameters made for Canvas with Size, Italic and the size
// factors SizeTable of the map scales. GUI thread only.
bool TextHitTestOnCanvas(const std::string& Text, const TRealPoint& Position, std::uint8_t Justification,
                         double Size, bool Underline, bool Italic, bool HasReference, const TRealPoint& Reference,
                         const TRealPoint& P, const TRealPoint& Tol, TRealCanvas& Canvas,
                         const TScaleAnchors& SizeTable, double& D);
