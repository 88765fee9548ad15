// The layer file of the previous format, read and converted, never written
// by the program. All numbers little-endian; "real" is the 6-byte real of
// real48.h; string[n] is a length byte and n bytes. Texts are stored in the
// Mazovia coding of the Polish letters (sublayer names and symbol names as
// they are).
//
//   off     size             content
//   0       10 x 512         sublayer header slots 0..9 (slot i at 512 i)
//   5120    N x R            records; record n (from 1) at 5120 + (n-1) R;
//                            R = 45 in a line file, 58 in a text file
//
// Sublayer header record (at most 379 bytes; a field beyond the stored
// length keeps its default, in brackets):
//   0 u16 magic: 0x2697 when the file name ends in L or l, else 0x4DA5
//   2 u16 stored length (at most 379 taken)   4 u8 layer kind in slot 0
//   (1 line, 2 text)   5 string[10] (the layer name from the file name)
//   16 string[80] description   97 u16 standard colour number
//   219 u32 layer value of slot 0   225 u16 line style (from 0)
//   227 u8 screen width   228 real text size multiplier (0 not set)
//   234 u8 text option A   235 u8 layer byte   236 u8 text option B
//   237 u8 [0]   318 u8 shown [1]   319 u16 [0]   321 8 x u8 [1]
//   329 real line width [0.25]   335 u8 [0]   336 u8 [0]   337 u8 [1]
//   338 u8 text option bits [0]   339 2 x u8 [0]   341 real width 1 [0.25]
//   347 real width 2 [0.25]   353 2 x u8 [0]   355 u8 sublayer type [0]
//   356 u8 justification [7]   357 i32 [-1]   361 u8 highest sublayer in
//   use [0]   362 string[10] sublayer name [empty]   373 real threshold [0]
// Line record (45): 0 u8 0 live, else deleted; 1, 7 real X1, Y1; 13, 19
// real X2, Y2; 25 real radius (style nibble 15: 25 u16 style scale, 27 u16
// line style); 31, 37 real Z1, Z2; 43 u8 bits 0-2 kind (0 line, 1 arc,
// 2 circle), bit 3 thick, bits 4-7 style nibble; 44 u8 sublayer.
// Text record (58): 0 u8 0 live; 1, 7 real anchor X, Y; 13 real height;
// 19 real angle; 25 u8 text flags (0x20: with a reference point); 26
// string[30] text (first character 0xFE: a symbol, its name follows); with
// a reference point 45 real reference Y, 51 real reference X (they take the
// place of characters 19 to 30); 57 u8 sublayer.
//
// Invariants a readable file keeps: at least 5120 bytes; slot 0 carries the
// magic of its name. A record's sublayer byte above 10 is read as sublayer
// 0; the conversion puts a record whose byte lies above the highest
// sublayer in use into sublayer 0 and refuses a highest above 9.
//
// Plain functions and values; any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/files/files.h"

namespace oldfmt {

inline constexpr int kSlots = 10;
inline constexpr std::int64_t kSlotSize = 512;
inline constexpr std::int64_t kDataStart = kSlots * kSlotSize;  // 5120
inline constexpr std::int64_t kLineRecordSize = 45;
inline constexpr std::int64_t kTextRecordSize = 58;
inline constexpr std::uint16_t kLineMagic = 0x2697;
inline constexpr std::uint16_t kTextMagic = 0x4DA5;
inline constexpr std::size_t kHeaderMax = 379;

// Header record offsets.
inline constexpr std::size_t kHMagic = 0;
inline constexpr std::size_t kHLength = 2;
inline constexpr std::size_t kHKind = 4;
inline constexpr std::size_t kHName = 5;
inline constexpr std::size_t kHDescription = 16;
inline constexpr std::size_t kHColour = 97;
inline constexpr std::size_t kHValue = 219;
inline constexpr std::size_t kHStyle = 225;
inline constexpr std::size_t kHScreenWidth = 227;
inline constexpr std::size_t kHSizeMultiplier = 228;
inline constexpr std::size_t kHTextA = 234;
inline constexpr std::size_t kHLayerByte = 235;
inline constexpr std::size_t kHTextB = 236;
inline constexpr std::size_t kHShown = 318;
inline constexpr std::size_t kHLineWidth = 329;
inline constexpr std::size_t kHByte335 = 335;
inline constexpr std::size_t kHTextBits = 338;
inline constexpr std::size_t kHWidth1 = 341;
inline constexpr std::size_t kHWidth2 = 347;
inline constexpr std::size_t kHByte353 = 353;
inline constexpr std::size_t kHByte354 = 354;
inline constexpr std::size_t kHType = 355;
inline constexpr std::size_t kHJustification = 356;
inline constexpr std::size_t kHHighest = 361;
inline constexpr std::size_t kHShortName = 362;
inline constexpr std::size_t kHThreshold = 373;

inline constexpr std::uint8_t kOldKindLine = 1;
inline constexpr std::uint8_t kOldKindText = 2;
inline constexpr std::uint8_t kRefPointFlag = 0x20;
inline constexpr std::uint8_t kSymbolMark = 0xFE;
// The characters of a text with a reference point that the point leaves.
inline constexpr std::size_t kRefTextMax = 18;
inline constexpr std::size_t kTextMax = 30;

using Header = std::array<std::uint8_t, kHeaderMax>;

// A header record holding only the defaults (length word 379).
Header DefaultHeader();
// True when the file name ends in L or l (a line layer's magic).
bool IsLineName(std::string_view fileName);
std::uint16_t MagicFor(std::string_view fileName);

// Reads the header record of slot (0..9) of file, named fileName: 0 when
// read (h holds the defaults beyond the stored length, and the layer name
// from the file name at 5), 2 when the file is shorter than 5120 bytes, the
// magic is not that of the name or the bytes cannot be read (h unchanged).
int ReadHeader(platform::File& file, int slot, std::string_view fileName, Header& h);

// The highest sublayer in use as stored (may exceed 9 in a damaged file).
inline int StoredHighest(const Header& h) { return h[kHHighest]; }
// string[n] at p as its bytes, the length cut to n.
std::string StoredString(const std::uint8_t* p, std::size_t n);
// Recodes the Polish letters of Mazovia bytes into code page 1250 bytes.
std::string MazoviaToCp1250(std::string_view bytes);
// The real at p.
double Real(const std::uint8_t* p);
// A double as a single, large magnitudes kept at the largest single.
float ToSingle(double v);

}  // namespace oldfmt
