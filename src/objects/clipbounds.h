// Occlusion outlines: the shapes of printed texts and symbols under which
// printing cuts the lines, so that lines do not run through them. Texts and
// symbols create them; printing keeps them and asks each to cut segments.
#pragma once

#include "drawing/realcanvas.h"
#include "foundation/containers/object.h"
#include "foundation/geometry/realgeom.h"

// What cutting a segment left visible.
enum class TCutResult : int {
  Hidden = 0,     // the whole segment lies under the outline
  OnePiece = 1,   // one visible piece in Seg (shortened, or unchanged when not met)
  TwoPieces = 2,  // Seg before the outline and Second after it
};

// The occlusion box of one text or symbol: the parallelogram O + s*A + t*B
// with 0 <= s, t <= 1. As a text's outline gives it: O the lower left corner,
// A along the baseline, B up the letters (A turned a quarter anticlockwise on
// the map).
struct TOcclusionBox {
  TRealPoint O;
  TRealPoint A;
  TRealPoint B;
};

// Cuts the part of Seg that lies under Box. Second[1] is set whenever the box
// meets the segment; Second[0] only for TwoPieces.
TCutResult CutSegmentByBox(const TOcclusionBox& Box, TRealEnds& Seg, TRealEnds& Second);

// The abstract occlusion outline. Made by a text or symbol, owned by the
// caller (printing); plain values, any one thread.
class TClipBounds : public TObject {
public:
  // Cuts what of Seg lies under the outline, as CutSegmentByBox does.
  virtual TCutResult CutSegment(TRealEnds& Seg, TRealEnds& Second) const = 0;
};

// The outline of a text or of a rectangular symbol.
class TTextBounds : public TClipBounds {
public:
  TTextBounds() = default;
  explicit TTextBounds(const TOcclusionBox& Box) : Box(Box) {}

  TCutResult CutSegment(TRealEnds& Seg, TRealEnds& Second) const override;

  TOcclusionBox Box;
};

// The outline of a circular symbol.
class TSymbolCircleBounds : public TClipBounds {
public:
  TSymbolCircleBounds(const TRealPoint& Centre, double Radius) : Centre(Centre), Radius(Radius) {}

  // The part of Seg inside the circle is cut; a radius of 0 or less hides
  // nothing.
  TCutResult CutSegment(TRealEnds& Seg, TRealEnds& Second) const override;

  TRealPoint Centre;
  double Radius = 0.0;
};
