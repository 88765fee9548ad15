// Conventions of the canvas text output (the operations themselves are
// members of TSimpleRealCanvas, realcanvas.h, written in canvastext.cpp):
// the leader modes of referenced texts and the platform text alignment of a
// justification.
#pragma once

#include <cstdint>

// Where the leader line of a text starts (Mode of the text operations); any
// other value than these three starts at the right end for justifications
// 3, 6 and 9, else at the left end.
enum TLeaderMode : std::uint8_t {
  lmNone = 0,   // no leader line
  lmLeft = 2,   // the left end of the text's rule line
  lmRight = 3,  // its right end
};

// The platform text alignment for a justification 1..9 (outside: 7): the
// base line for the bottom and middle rows, the top for the top row; left,
// centre or right by the column.
std::uint32_t JustificationTextAlign(int J);
