// Definition files made byte by byte for the drawing tests: little-endian
// fields, 6-byte reals, the 32-byte element record, short names, and a symbol
// file with one symbol "KRZ" (a cross in a circle of radius 1, sized 2, 5, 8
// and 11 for the four scale bands), and a line-style file with a dashed and a
// continuous style.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/real48.h"
#include "objects/defelements.h"
#include "objects/linestylelib.h"
#include "objects/symbollib.h"

namespace defbytes {

inline void PutU16(std::string& Out, std::uint16_t V) {
  Out.push_back(static_cast<char>(V & 0xFF));
  Out.push_back(static_cast<char>(V >> 8));
}

inline void PutI32(std::string& Out, std::int32_t V) {
  const auto u = static_cast<std::uint32_t>(V);
  for (int i = 0; i < 4; ++i) Out.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
}

inline void PutReal(std::string& Out, double V) {
  const TReal48Bytes r = DoubleToReal48(V);
  Out.append(reinterpret_cast<const char*>(r.data()), r.size());
}

// The 32-byte element record.
inline std::string Element(double X1, double Y1, double X2, double Y2, double R,
                           std::uint8_t Type) {
  std::string rec(1, '\0');
  for (double v : {X1, Y1, X2, Y2, R}) PutReal(rec, v);
  rec.push_back(static_cast<char>(Type));
  return rec;
}

inline std::string ShortName(const std::string& Name) {
  std::string field(13, '\0');
  field[0] = static_cast<char>(Name.size());
  field.replace(1, Name.size(), Name);
  return field;
}

inline std::string SymbolFile() {
  std::string bytes;
  PutU16(bytes, kSymbolFileMagic);
  PutU16(bytes, 1);
  PutU16(bytes, 6 + 49);
  bytes += ShortName("KRZ");
  for (double size : {2.0, 5.0, 8.0, 11.0}) PutReal(bytes, size);
  PutReal(bytes, 1.0);  // extent
  PutI32(bytes, 1);
  PutU16(bytes, 3);
  bytes += Element(-1, 0, 1, 0, 0, kElemLine);
  bytes += Element(0, -1, 0, 1, 0, kElemLine);
  bytes += Element(0, 0, 0, 0, 1, kElemCircle);
  return bytes;
}

// One style record: number, a middle section 10 mm long of one dash from 0
// to DashEnd mm (element First).
inline std::string OneDashStyle(const std::string& Name, std::uint16_t Number, std::int32_t First) {
  std::string rec = ShortName(Name);
  PutU16(rec, Number);
  PutU16(rec, 0);
  rec += std::string(18, '\0');
  rec.push_back(static_cast<char>(-1));
  rec += std::string(19, '\0');
  PutI32(rec, First);
  PutU16(rec, 1);
  PutReal(rec, 0.0);
  PutReal(rec, 10.0);
  rec.push_back('\0');
  rec += std::string(19, '\0');
  return rec;
}

// Style 20 "KRES": dashes of 5 in 10; style 21 "CIAG": one dash over the
// whole section.
inline std::string DashAndSolidStyles() {
  std::string bytes;
  PutU16(bytes, kLineStyleFileMagic);
  PutU16(bytes, 2);
  PutU16(bytes, 6 + 2 * 93);
  bytes += OneDashStyle("KRES", 20, 1);
  bytes += OneDashStyle("CIAG", 21, 2);
  bytes += Element(0, 0, 0, 5, 0, kElemLine);
  bytes += Element(0, 0, 0, 10, 0, kElemLine);
  return bytes;
}

}  // namespace defbytes
