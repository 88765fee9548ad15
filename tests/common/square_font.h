// A stroke font in which every character is a square outline of its cell,
// for the tests whose texts and templates must draw something measurable.
#pragma once

#include <cstdint>
#include <string>

#include "drawing/font_fixture.h"
#include "drawing/strokefont.h"
#include "common/scratch_folder.h"

// The font file of the characters First..Last, each a 16-unit square.
inline std::string SquareFontBytes(char First = '0', char Last = 'z') {
  FontSpec f;
  f.First = static_cast<std::uint8_t>(First);
  f.Height = 16;
  f.A = 12;
  f.B = 0;
  f.D = -3;
  for (char c = First; c <= Last; ++c) f.Glyphs.push_back({16, {{{0, 0}, {16, 0}, {16, 16}, {0, 16}, {0, 0}}}});
  return FontBytes(f);
}

// Writes the square font '0'..'z' into Folder as "litt.ch1" and "font.ch1"
// and makes Folder the font manager's; the caller puts the manager's
// folder back with FontManager().SetFolder("").
inline void PutSquareFont(const ScratchFolder& Folder) {
  const std::string bytes = SquareFontBytes();
  Folder.Put("litt.ch1", bytes);
  Folder.Put("font.ch1", bytes);
  FontManager().SetFolder(Folder.Path());
}
