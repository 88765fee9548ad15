// Definition files made byte by byte for the drawing tests: the writers of
// tools/common/defwrite.h, a symbol file with one symbol "KRZ" (a cross in a
// circle of radius 1, sized 2, 5, 8 and 11 for the four scale bands), and a
// line-style file with a dashed and a continuous style.
#pragma once

#include <cstdint>
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

// One style record: number, a middle section 10 mm long of one dash from 0
// to DashEnd mm (element First).
inline std::string OneDashStyle(const std::string& Name, std::uint16_t Number, std::int32_t First) {
  return defwrite::LineRecord(Name, Number, 0, -1, defwrite::NoSection(),
                              defwrite::Section(First, 1, 0.0, 10.0, 0), defwrite::NoSection());
}

// Style 20 "KRES": dashes of 5 in 10; style 21 "CIAG": one dash over the
// whole section.
inline std::string DashAndSolidStyles() {
  return defwrite::DefinitionFile(kLineStyleFileMagic, 2,
                                  OneDashStyle("KRES", 20, 1) + OneDashStyle("CIAG", 21, 2),
                                  Element(0, 0, 0, 5, 0, kElemLine) +
                                      Element(0, 0, 0, 10, 0, kElemLine));
}

}  // namespace defbytes
