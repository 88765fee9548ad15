// Stroke vector fonts: characters made of open polylines in small integer
// font units, read from the font files "litt.ch1" (the default font) and
// "font.ch1" (the second font) beside the program, and the building of a
// string into a polyline buffer with the metrics the canvas scales, justifies
// and draws it by.
//
// Font file (".ch1"), little-endian, read sequentially:
//
//   offset size type  meaning
//   0      4    -     not interpreted
//   4      1    u8    code of the first character
//   5      2    u16   number of character records C
//   7      1    u8    cell height h
//   8      1    u8    metric a
//   9      1    u8    metric b
//   10     1    i8    metric d (descent)
//   11     5    -     not interpreted
//   16     ...        C character records for the codes first, first + 1, ...
//
// Character record (variable length):
//
//   size   type   meaning
//   1      u8     advance width
//   2      u16    part count P
//   2      u16    point count Q
//   P      u8[]   points of each part; only when P > 0
//   2 x Q  i8[2]  points (x, y), in part order; only when P > 0
//
// Invariants a font satisfies once loaded (a file breaking one is refused
// with "Brak pliku z fontem:" and its name, nothing is kept):
//   1. the file holds the whole header and all C records, nothing is read
//      past its end;
//   2. C >= 1 and h >= 1 (the first character stands for codes outside the
//      font; the cell height divides every text size);
//   3. the part sizes of a record add up to at most Q, so every part takes
//      its points from inside the record.
// Parts of fewer than two points draw nothing and are left out of the
// strokes (the platform refuses polylines of one point).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/containers/object.h"
#include "foundation/containers/objlist.h"
#include "foundation/containers/vectorlist.h"
#include "foundation/geometry/intpoint.h"
#include "foundation/geometry/realgeom.h"

// One character of a stroke font. Immutable after loading; owned by its font.
class TStrokeChar : public TObject {
public:
  std::uint8_t AdvanceWidth = 0;
  std::uint16_t PartCount = 0;
  std::uint16_t PointCount = 0;
  // Points of each part; empty when there are no parts.
  std::vector<std::uint8_t> PartSizes;
  // (x, y) pairs; empty when there are no parts.
  std::vector<std::int8_t> Points;

  // The parts as polylines in font units (x along the text, y downwards),
  // built once at loading.
  const TVectorList& Strokes() const { return strokes_; }

private:
  friend class TStrokeFont;
  TVectorList strokes_{0, 16, 0};
};

// A stroke font loaded from one file; owns its characters in code order.
// Read-only after loading, so any thread may read it. It is an object as well,
// so the font manager's list can own it.
class TStrokeFont : public TObjList, public TObject {
public:
  // Loads FileName; raises EWindowsIOError "Brak pliku z fontem:" + FileName
  // when the file cannot be opened or breaks an invariant of its layout.
  TStrokeFont(std::uint16_t Number, const std::string& FileName);

  std::uint16_t FontNumber = 0;
  std::uint8_t FirstChar = 0;
  std::uint8_t CellHeight = 0;
  std::uint8_t MetricA = 0;
  std::uint8_t MetricB = 0;
  std::int8_t Descent = 0;
  std::int8_t Descent2 = 0;
  std::int32_t Leading = 0;  // a + b - d
  // Width factor, 16 fraction bits; every font gets 0xC28F.
  std::int32_t Aspect = 0xC28F;

  // The character of Code; codes outside the font give the first character.
  const TStrokeChar& GetChar(std::uint8_t Code) const;
};

// Strokes of a text in font units with the metrics of its font; the caller
// owns it. One thread at a time.
class TVectorChar : public TVectorList {
public:
  TVectorChar(std::int32_t InitialCapacity, std::int32_t Step, std::int32_t MaxPoints)
      : TVectorList(InitialCapacity, Step, MaxPoints) {}
  TVectorChar(const TVectorChar& Source) = default;

  std::int32_t Height = 0;      // h; both lines of a fraction
  std::int32_t LineHeight = 0;  // h
  std::int32_t Width = 0;       // sum of the advance widths
  std::int32_t Depth = 0;       // h - d
  std::int32_t BaseOffset = 0;  // h - d: default anchor and rule line
  std::int32_t TopOffset = 0;   // h - (a + b - d): the other one
  double WidthFactor = 0.0;     // Aspect / 65536

  // A copy of the buffer and all seven fields, as a TVectorChar.
  std::unique_ptr<TVectorList> Clone() const override;
  // The stroke (0, y)-(Width, y), y = TopOffset when AtTop, else BaseOffset.
  void AddRuleLine(bool AtTop);
};

// Which stroke font a text is built in: the font number of the drawing
// parameters and whether the display asks for the second font ("font.ch1")
// instead of the default one ("litt.ch1"). A plain value that travels with
// every call, so that drawings on different threads never share a choice.
struct TStrokeFontChoice {
  std::uint16_t Number = 0;
  bool Second = false;
  bool operator==(const TStrokeFontChoice&) const = default;
};

// The stroke fonts of the program: "litt.ch1" and one "font.ch1" font per
// font number asked for, loaded on first use and kept until the folder
// changes. Owns the fonts. Any thread: the manager keeps no font of its own
// choosing; every operation is given the font it builds in and holds the
// manager's lock while it loads or reads fonts, so a redraw thread and the
// GUI thread may build texts in different fonts at the same time.
class TFontManager : public TObjList {
public:
  // Folder holding the font files; empty means the program folder.
  explicit TFontManager(std::string Folder = {});
  ~TFontManager() override;

  // Another folder for the font files; the fonts loaded so far are dropped.
  void SetFolder(const std::string& Folder);

  // Loads what Font needs: "font.ch1" with its number (also for the default
  // font) and "litt.ch1" for the default font. Errors of loading pass on and
  // nothing is cached, so the next call tries again.
  void EnsureFont(const TStrokeFontChoice& Font);
  // Texts are UTF-8; each character counts as its code page 1250 byte.
  std::unique_ptr<TVectorChar> BuildText(const TStrokeFontChoice& Font, std::string_view Text);
  std::unique_ptr<TVectorChar> MeasureText(const TStrokeFontChoice& Font, std::string_view Text);
  std::unique_ptr<TVectorChar> BuildFraction(const TStrokeFontChoice& Font,
                                             std::string_view Upper, std::string_view Lower);
  std::unique_ptr<TVectorChar> MeasureFraction(const TStrokeFontChoice& Font,
                                               std::string_view Upper, std::string_view Lower);
  // Size in font units: X the widths times Aspect (>> 16), Y a - d.
  TPoint TextExtent(const TStrokeFontChoice& Font, std::string_view Text);
  TPoint FractionExtent(const TStrokeFontChoice& Font, std::string_view Upper,
                        std::string_view Lower);
  // h of the font.
  std::int32_t GetHeight(const TStrokeFontChoice& Font);

private:
  // The font to build in, loaded when needed; the lock is held.
  const TStrokeFont& ActiveFont(const TStrokeFontChoice& Font);
  std::unique_ptr<TVectorChar> Build(const TStrokeFontChoice& Font, std::string_view Text,
                                     bool Strokes);
  std::unique_ptr<TVectorChar> Fraction(const TStrokeFontChoice& Font, std::string_view Upper,
                                        std::string_view Lower, bool Strokes);
  TPoint Extent(const TStrokeFontChoice& Font, std::string_view Text);
  std::string FilePath(const char* Name) const;

  std::recursive_mutex lock_;
  std::string folder_;
  std::unique_ptr<TStrokeFont> littFont_;
};

// A font manager together with the font one drawing asked for: what the
// drawing parameters hand to text output. A small value owned by whoever
// asked for it; it only forwards to the manager with its font.
class TStrokeFontUse {
public:
  TStrokeFontUse(TFontManager& Manager, const TStrokeFontChoice& Font)
      : manager_(Manager), font_(Font) {}

  const TStrokeFontChoice& Font() const { return font_; }
  TFontManager& Manager() const { return manager_; }

  std::unique_ptr<TVectorChar> BuildText(std::string_view Text) const {
    return manager_.BuildText(font_, Text);
  }
  std::unique_ptr<TVectorChar> MeasureText(std::string_view Text) const {
    return manager_.MeasureText(font_, Text);
  }
  std::unique_ptr<TVectorChar> BuildFraction(std::string_view Upper,
                                             std::string_view Lower) const {
    return manager_.BuildFraction(font_, Upper, Lower);
  }
  std::unique_ptr<TVectorChar> MeasureFraction(std::string_view Upper,
                                               std::string_view Lower) const {
    return manager_.MeasureFraction(font_, Upper, Lower);
  }
  TPoint TextExtent(std::string_view Text) const { return manager_.TextExtent(font_, Text); }
  TPoint FractionExtent(std::string_view Upper, std::string_view Lower) const {
    return manager_.FractionExtent(font_, Upper, Lower);
  }
  std::int32_t GetHeight() const { return manager_.GetHeight(font_); }

private:
  TFontManager& manager_;
  TStrokeFontChoice font_;
};

// The program's font manager, created on first use.
TFontManager& FontManager();

// The hit test of one straight segment against a tolerance box: what a
// straight line with no changes of its own answers (true and D its distance
// to P when it passes within Tol, a half width and half height in world
// units). The line objects implement it for the text objects; the segment is
// only borrowed for the call.
class IStrokeSegmentHit {
public:
  virtual bool SegmentHitDistance(const TRealPoint& A, const TRealPoint& B, const TRealPoint& P,
                                  const TRealPoint& Tol, double& D) = 0;

protected:
  ~IStrokeSegmentHit() = default;
};

// Hit test of drawn stroke text: every segment of every part, its font
// points taken as (U, V) = (-y, x) through the text matrix M (the drawing
// parameters' GetTextTransform), is asked through Segment; D becomes the
// least distance answered (1.7e308 when none) and the result tells whether
// any segment answered. Fewer than two points never hit.
bool StrokeTextDistance(const TVectorList& Strokes, const TRealPoint& P, const TRealPoint& Tol,
                        const TAffineMatrix& M, IStrokeSegmentHit& Segment, double& D);
