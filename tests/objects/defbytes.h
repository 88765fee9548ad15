// Definition files made byte by byte for the drawing tests: the writers of
// tools/common/defwrite.h and a symbol file with one symbol "KRZ" (a cross in
// a circle of radius 1, sized 2, 5, 8 and 11 for the four scale bands).
#pragma once

#include <string>

#include "common/defwrite.h"

namespace defbytes {

using defwrite::Element;
using defwrite::PutI32;
using defwrite::PutReal;
using defwrite::PutU16;
using defwrite::ShortName;

inline std::string SymbolFile() {
  return defwrite::SymbolFile({{"KRZ",
                                {2.0, 5.0, 8.0, 11.0},
                                1.0,
                                {Element(-1, 0, 1, 0, 0, kElemLine), Element(0, -1, 0, 1, 0, kElemLine),
                                 Element(0, 0, 0, 0, 1, kElemCircle)}}});
}

}  // namespace defbytes
