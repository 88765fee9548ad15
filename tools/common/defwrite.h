// Writers of the definition files the drawing engine reads, which the
// program itself never writes: the symbol library and the line-style
// library (objects/symbollib.h, objects/linestylelib.h: 6-byte header,
// fixed-size records, 32-byte element records), the generator library
// (objtools/genlibrary.h, the same layout) and the stroke fonts
// (drawing/strokefont.h). Shared by the example set builder (tools/
// mkexamples), the fuzz seed writer and the tests that need such files.
//
// Every function composes bytes in memory from plain values; any thread.
// Names and texts are taken as code page 1250 bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "foundation/storage/real48.h"
#include "objects/defelements.h"
#include "objects/linestylelib.h"
#include "objects/symbollib.h"

namespace defwrite {

inline void PutU16(std::string& Out, std::uint16_t V) {
  Out.push_back(static_cast<char>(V & 0xFF));
  Out.push_back(static_cast<char>(V >> 8));
}

inline void PutI32(std::string& Out, std::int32_t V) {
  const auto u = static_cast<std::uint32_t>(V);
  for (int i = 0; i < 4; ++i) Out.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
}

// A 6-byte real.
inline void PutReal(std::string& Out, double V) {
  const TReal48Bytes r = DoubleToReal48(V);
  Out.append(reinterpret_cast<const char*>(r.data()), r.size());
}

// The 32-byte element record (type kElemLine, kElemArc, kElemCircle, or a
// symbol's bound kElemBoundsRect / kElemBoundsRound).
inline std::string Element(double X1, double Y1, double X2, double Y2, double R,
                           std::uint8_t Type) {
  std::string rec(1, '\0');
  for (double v : {X1, Y1, X2, Y2, R}) PutReal(rec, v);
  rec.push_back(static_cast<char>(Type));
  return rec;
}

// The 13-byte name field: a length byte and up to 12 characters.
inline std::string ShortName(const std::string& Name) {
  const std::size_t n = Name.size() < 12 ? Name.size() : 12;
  std::string field(13, '\0');
  field[0] = static_cast<char>(n);
  field.replace(1, n, Name.substr(0, n));
  return field;
}

// The whole file of either library: magic, record count, the offset of the
// element table, the records, the element table.
inline std::string DefinitionFile(std::uint16_t Magic, std::size_t RecordCount,
                                  const std::string& Records, const std::string& Elements) {
  std::string out;
  PutU16(out, Magic);
  PutU16(out, static_cast<std::uint16_t>(RecordCount));
  PutU16(out, static_cast<std::uint16_t>(kDefinitionFileHeaderSize + Records.size()));
  return out + Records + Elements;
}

// --- Symbol library ---------------------------------------------------------

// The 49-byte symbol header: the sizes of the four scale bands, the extent,
// the 1-based first element and the element count.
inline std::string SymbolHeader(const std::string& Name, const std::array<double, 4>& Sizes,
                                double Extent, std::int32_t First, std::int32_t Count) {
  std::string h = ShortName(Name);
  for (double s : Sizes) PutReal(h, s);
  PutReal(h, Extent);
  PutI32(h, First);
  PutU16(h, static_cast<std::uint16_t>(Count));
  return h;
}

// One symbol: its header fields and its element records (bounds included).
struct SymbolDef {
  std::string Name;
  std::array<double, 4> Sizes{};
  double Extent = 1.0;
  std::vector<std::string> Elements;
};

// A symbol file holding Symbols in order, each with its own run of elements.
inline std::string SymbolFile(const std::vector<SymbolDef>& Symbols) {
  std::string headers, elements;
  std::int32_t next = 1;
  for (const SymbolDef& s : Symbols) {
    const auto count = static_cast<std::int32_t>(s.Elements.size());
    headers += SymbolHeader(s.Name, s.Sizes, s.Extent, next, count);
    for (const std::string& e : s.Elements) elements += e;
    next += count;
  }
  return DefinitionFile(kSymbolFileMagic, Symbols.size(), headers, elements);
}

// --- Line-style library -----------------------------------------------------

// The 19-byte section: 1-based first element, element count (0: no
// section), start and end along the line, mode.
inline std::string Section(std::int32_t First, std::int32_t Count, double Start, double End,
                           int Mode) {
  std::string s;
  PutI32(s, First);
  PutU16(s, static_cast<std::uint16_t>(Count));
  PutReal(s, Start);
  PutReal(s, End);
  s.push_back(static_cast<char>(Mode));
  return s;
}

// A section that is not there.
inline std::string NoSection() { return std::string(kLineSectionSize, '\0'); }

// The 93-byte line record of style Number; Variants scale variant records
// follow it. A negative pen style means none.
inline std::string LineRecord(const std::string& Name, std::uint16_t Number, std::uint16_t Variants,
                              int PenStyle, const std::string& Start, const std::string& Middle,
                              const std::string& End) {
  std::string rec = ShortName(Name);
  PutU16(rec, Number);
  PutU16(rec, Variants);
  rec += std::string(18, '\0');
  rec.push_back(static_cast<char>(PenStyle));
  return rec + Start + Middle + End;
}

// The 93-byte variant record for 1:Denominator (500, 2000 or 5000).
inline std::string VariantRecord(std::uint16_t Denominator, int PenStyle, const std::string& Start,
                                 const std::string& Middle, const std::string& End) {
  std::string rec(2, '\xFF');
  PutU16(rec, Denominator);
  rec += std::string(31, '\0');
  rec.push_back(static_cast<char>(PenStyle));
  return rec + Start + Middle + End;
}

// --- Generator library --------------------------------------------------------

// The generator file's magic (objtools/genlibrary.h).
inline constexpr std::uint16_t kGeneratorMagic = 0x42E6;

// The 56-byte generator header: 1-based first element, element count, type
// (1 to 5), and the definition's origin P1, base end P2 and width point P3.
inline std::string GeneratorHeader(const std::string& Name, std::int32_t First, std::int32_t Count,
                                   std::uint8_t Type, std::array<double, 2> P1, std::array<double, 2> P2,
                                   std::array<double, 2> P3) {
  std::string h = ShortName(Name);
  PutI32(h, First);
  PutU16(h, static_cast<std::uint16_t>(Count));
  h.push_back(static_cast<char>(Type));
  for (const auto& p : {P1, P2, P3}) {
    PutReal(h, p[0]);
    PutReal(h, p[1]);
  }
  return h;
}

// --- Stroke fonts -----------------------------------------------------------

// One part of a glyph: its points in font units (x along the text, y
// downwards).
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

// The bytes of a font file in the ".ch1" layout.
inline std::string FontBytes(const FontSpec& F) {
  std::string s = "FNT1";
  s += static_cast<char>(F.First);
  PutU16(s, static_cast<std::uint16_t>(F.Glyphs.size()));
  s += static_cast<char>(F.Height);
  s += static_cast<char>(F.A);
  s += static_cast<char>(F.B);
  s += static_cast<char>(F.D);
  s += std::string(5, '\0');
  for (const Glyph& g : F.Glyphs) {
    s += static_cast<char>(g.Advance);
    unsigned points = 0;
    for (const TStroke& p : g.Parts) points += static_cast<unsigned>(p.size());
    PutU16(s, static_cast<std::uint16_t>(g.Parts.size()));
    PutU16(s, static_cast<std::uint16_t>(points));
    for (const TStroke& p : g.Parts) s += static_cast<char>(p.size());
    for (const TStroke& p : g.Parts)
      for (auto [x, y] : p) {
        s += static_cast<char>(static_cast<std::int8_t>(x));
        s += static_cast<char>(static_cast<std::int8_t>(y));
      }
  }
  return s;
}

}  // namespace defwrite
