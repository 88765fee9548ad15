// Hand-made stroke font files in the ".ch1" layout for the tests that draw
// or measure text.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// One part of a glyph: its points in font units.
using TStroke = std::vector<std::pair<int, int>>;

struct Glyph {
  std::uint8_t Advance = 0;
  std::vector<TStroke> Parts;
};

struct FontSpec {
  std::uint8_t First = 65;
  std::uint8_t Height = 10;  // h
  std::uint8_t A = 7;
  std::uint8_t B = 2;
  std::int8_t D = -3;
  std::vector<Glyph> Glyphs;
};

inline void PutWord(std::string& s, unsigned w) {
  s += static_cast<char>(w & 0xFF);
  s += static_cast<char>((w >> 8) & 0xFF);
}

// The bytes of a font file in the ".ch1" layout.
inline std::string FontBytes(const FontSpec& f) {
  std::string s = "FNT1";
  s += static_cast<char>(f.First);
  PutWord(s, static_cast<unsigned>(f.Glyphs.size()));
  s += static_cast<char>(f.Height);
  s += static_cast<char>(f.A);
  s += static_cast<char>(f.B);
  s += static_cast<char>(f.D);
  s += std::string(5, '\0');
  for (const Glyph& g : f.Glyphs) {
    s += static_cast<char>(g.Advance);
    unsigned points = 0;
    for (const TStroke& p : g.Parts) points += static_cast<unsigned>(p.size());
    PutWord(s, static_cast<unsigned>(g.Parts.size()));
    PutWord(s, points);
    for (const TStroke& p : g.Parts) s += static_cast<char>(p.size());
    for (const TStroke& p : g.Parts)
      for (auto [x, y] : p) {
        s += static_cast<char>(static_cast<std::int8_t>(x));
        s += static_cast<char>(static_cast<std::int8_t>(y));
      }
  }
  return s;
}
