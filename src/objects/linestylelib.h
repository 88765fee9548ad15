// The line-style library and its definition file.
//
// A line style decorates a straight segment, a circle or an arc with a start
// section drawn once at the beginning, a middle section repeated along the
// length and an end section drawn once at the end. Each section is a list of
// definition elements in a local frame: Y runs along the line (0 is the
// section's start), X across it (0 is the line itself). Lengths are
// millimetres on the map sheet; the canvas converts them with its style scale
// S, the DXF pattern with the factor scale denominator / 1000.
//
// Line-style file, little-endian; reals are 6-byte reals (foundation/storage/real48.h):
//
// | Offset | Size   | Field                                                  |
// |--------|--------|--------------------------------------------------------|
// | 0      | 2      | magic, unsigned 16-bit, 0x263B                         |
// | 2      | 2      | N, number of 93-byte line records, unsigned 16-bit     |
// | 4      | 2      | E, file offset of the element table, unsigned 16-bit   |
// | 6      | 93 * N | line records                                           |
// | E      | 32 * M | element records, M = (file size - E) div 32            |
//
// Line record (93 bytes):
//
// | Offset | Size | Field                                                     |
// |--------|------|-----------------------------------------------------------|
// | 0      | 13   | name: length byte and up to 12 characters (code page 1250)|
// |        |      | a variant record has 0xFF 0xFF in bytes 0-1 instead       |
// | 13     | 2    | style number, unsigned 16-bit (variant: not read)         |
// | 15     | 2    | variant records that may follow, unsigned 16-bit          |
// | 17     | 18   | not interpreted                                           |
// | 35     | 1    | pen style, signed byte; negative: no pen style            |
// | 36     | 19   | start section                                             |
// | 55     | 19   | middle section                                            |
// | 74     | 19   | end section                                               |
//
// A variant record holds its scale denominator (500, 2000, 5000) in bytes 2-3.
//
// Section (19 bytes):
//
// | Offset | Size | Field                                                     |
// |--------|------|-----------------------------------------------------------|
// | 0      | 4    | first element, signed 32-bit, 1-based                     |
// | 4      | 2    | element count, signed 16-bit; the section exists when > 0 |
// | 6      | 6    | start position along the line                             |
// | 12     | 6    | end position along the line                               |
// | 18     | 1    | mode, signed byte; m >= 10 becomes (m - 10) | bit 3       |
//
// Element record (32 bytes): X1 at 1, Y1 at 7, X2 at 13, Y2 at 19, R at 25,
// type at 31 (0 line, 1 arc, 2 circle; other types are skipped).
//
// Invariants the loader keeps (a file that breaks them is refused with
// "Błąd w pliku definicji linii", keeping the styles already loaded):
//  1. The header and all N records lie inside the file; E lies inside it.
//  2. Every present section names elements 1..M of the element table; a style
//     that reaches outside it is refused with "Błąd w definicji linii: NAME".
//  3. The library holds at most one style per number (the first one stays),
//     kept in ascending number order.
//  4. A present section starts and ends within kMaxDefinitionValue
//     (objects/defelements.h), its end not before its start, and the reals of
//     its line, arc and circle elements lie within that value too; a style
//     that breaks it is refused with "Błąd w definicji linii: NAME".
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/containers/pairlist.h"
#include "foundation/containers/sortedlist.h"
#include "foundation/geometry/realgeom.h"
#include "objects/symbollib.h"

namespace platform {
class TStrings;
}
class TParametryConf;

inline constexpr std::uint16_t kLineStyleFileMagic = 0x263B;
inline constexpr std::size_t kLineRecordSize = 93;
inline constexpr std::size_t kLineSectionSize = 19;

// Offsets inside a line record.
inline constexpr std::size_t kLineRecNumber = 13;
inline constexpr std::size_t kLineRecVariantCount = 15;
inline constexpr std::size_t kLineRecPenStyle = 35;
inline constexpr std::size_t kLineRecStartSection = 36;
inline constexpr std::size_t kLineRecMiddleSection = 55;
inline constexpr std::size_t kLineRecEndSection = 74;
// In a variant record: the scale denominator.
inline constexpr std::size_t kLineRecVariantDenominator = 2;

// Bits of TLineSection::Mode.
inline constexpr std::uint8_t kSectionStretchMask = 0x07;
inline constexpr std::uint8_t kSectionStretchNone = 0;
inline constexpr std::uint8_t kSectionStretchBoth = 1;
inline constexpr std::uint8_t kSectionStretchAlong = 2;
inline constexpr std::uint8_t kSectionRepeatOnce = 0x08;  // middle drawn at least once

// Bits of TLine::Flags.
inline constexpr std::uint8_t kLinePlain = 0x01;        // no sections: plain line with PenStyle
inline constexpr std::uint8_t kLineNoPenStyle = 0x02;   // the record's pen style was negative

// Along/across factors of a section: A scales across the line, B along it.
struct TStretchPair {
  double A = 1.0;
  double B = 1.0;
};

// One section of a style; owns its elements (elements' Y relative to
// StartPos). Built by the loader, read by any drawing thread afterwards.
class TLineSection : public TSymbolImp {
public:
  TLineSection() = default;

  std::uint8_t Mode = 0;
  double StartPos = 0.0;
  double EndPos = 0.0;

  double Length() const { return EndPos - StartPos; }
  // A section with clones of Source's elements and its Mode and positions.
  static std::unique_ptr<TLineSection> CreateCopy(const TLineSection& Source);
  // CreateCopy (*this).
  std::unique_ptr<TSymbolImp> Clone() const override;
};

// The stretch pair of a section: the mode is ModeOverride unless that is -1,
// then the section's own Mode. A null section gives (1, 1).
TStretchPair SectionPair(const TLineSection* Section, int ModeOverride, double p);

// The most section copies one styled figure is decorated with; beyond it
// (a pattern far too fine for the figure's length) the figure is drawn
// plainly, as for a pattern shorter than two pixels.
inline constexpr std::int64_t kMaxSectionCopies = 1000000;

// A section placed along a straight segment: drawn with DrawTransformed(M),
// then Copies - 1 more times with M's origin moved on by i * Step.
struct TSectionPlacement {
  const TLineSection* Section = nullptr;
  TAffineMatrix M;
  std::int64_t Copies = 1;
  TRealPoint Step;
};

// A section laid onto a circle: a copy scaled by Scale, bent onto the circle
// of radius R from angle BendAngle, drawn moved by the centre and then
// Copies - 1 more times rotated about the centre by i * StepAngle.
struct TBentPlacement {
  const TLineSection* Section = nullptr;
  TAffineMatrix Scale;
  double BendAngle = 0.0;
  std::int64_t Copies = 1;
  double StepAngle = 0.0;
};

// The sections of one definition (a style's base or one of its variants).
// Owns its sections. Drawing calls come from the drawing thread; nothing
// here changes during drawing (circles and arcs bend copies).
class TLineImp : public TObject {
public:
  TLineImp() = default;
  ~TLineImp() override;

  std::unique_ptr<TLineSection> StartSection;
  std::unique_ptr<TLineSection> MiddleSection;
  std::unique_ptr<TLineSection> EndSection;

  // The middle section's Length, 0 without a middle section.
  virtual double GetPatternLength() const;
  // Decorates the straight segment P1-P2 with style scale S. A segment of
  // zero length draws nothing. Each returns false, having drawn nothing,
  // when the decoration would take more than kMaxSectionCopies section
  // copies; the caller then draws the figure plainly. The canvas's abort
  // flag is tested before every copy (EAbortDraw).
  virtual bool DrawSegment(TRealCanvas& Canvas, const TRealPoint& P1, const TRealPoint& P2,
                           double S) const;
  // Decorates a full circle; nothing without a middle section or radius.
  virtual bool DrawCircle(TRealCanvas& Canvas, const TRealPoint& Centre, double R,
                          double S) const;
  // Decorates an arc of radius R from angle A0 over Sweep (radians).
  virtual bool DrawArc(TRealCanvas& Canvas, const TRealPoint& Centre, double R, double A0,
                       double Sweep, double S) const;

  // Where DrawSegment, DrawCircle and DrawArc put their sections, in drawing
  // order (middle, start, end). Empty when nothing is drawn.
  std::vector<TSectionPlacement> PlanSegment(const TRealPoint& P1, const TRealPoint& P2,
                                             double S) const;
  std::vector<TBentPlacement> PlanCircle(double R, double S) const;
  std::vector<TBentPlacement> PlanArc(double R, double A0, double Sweep, double S) const;

  bool HasSections() const { return StartSection || MiddleSection || EndSection; }
};

// A line style: its base definition and up to three scale variants.
// Owned by the line-style library; objects point at it. Read-only once
// loaded: a drawing picks the definition of its scale with DefinitionFor and
// draws that, so threads drawing at different scales share the style.
class TLine : public TLineImp {
public:
  TLine() = default;
  ~TLine() override;

  std::string Name;  // upper-cased (letters a to z)
  std::uint16_t Number = 0;
  std::uint8_t Flags = 0;
  std::unique_ptr<TLineImp> Variant500;
  std::unique_ptr<TLineImp> Variant2000;
  std::unique_ptr<TLineImp> Variant5000;
  // Pen style of the plain drawing: 0 solid, 1 dash, 2 dot, 3 dash-dot,
  // 4 dash-dot-dot, 5 none, 6 inside frame.
  std::uint8_t PenStyle = 0;

  bool IsPlain() const { return (Flags & kLinePlain) != 0; }

  // The definition drawn at 1:ScaleDenominator: Variant500 below 750, the
  // base below 1500, Variant2000 below 3500, else Variant5000; a missing
  // variant gives the base definition (the style itself).
  const TLineImp& DefinitionFor(double ScaleDenominator) const;
  // The DXF dash pattern of the definition for ScaleDenominator: dashes
  // positive, gaps negative, 0 before the gap after a dot, in world units.
  // nullopt when the style has no pattern (no middle section or nothing on
  // its axis); an empty list for a continuous line.
  std::optional<std::vector<float>> GetDXFPattern(std::int32_t ScaleDenominator) const;
};

// Kinds of the boundaries of a DXF dash pattern.
enum class TDashBoundary : std::int32_t { Start = 1, End = 2, Dot = 3 };

// The sorted boundaries of a dash pattern: (position, kind) ordered by
// position. Owns nothing. One thread.
class TDXFLine : public TPureTwoPointerSortedList {
public:
  void InsertBoundary(std::int32_t Index, float Position, TDashBoundary Kind);
  float PositionAt(std::int32_t Index) const;
  TDashBoundary KindAt(std::int32_t Index) const;
  // Index of the first boundary not before Position.
  std::int32_t InsertionPlace(float Position) const;
  // Merges the dash interval [A, B] (A == B: a dot).
  void AddInterval(float A, float B);
  int Compare(void* Key1, void* Key2) const override;

protected:
  const char* ClassName() const override { return "TDXFLine"; }
};

// The line-style library: the styles of the file named by "LineDefs" and the
// fourteen built-in ones, sorted by number; owns them and Previous. The
// program-wide library is made by LineManager() on the GUI thread and only
// read while drawing.
class TLineManager : public TSortedList {
public:
  // The program-wide library: Previous is the retired one (may be null); it
  // subscribes to the library settings and loads the configured file.
  explicit TLineManager(std::unique_ptr<TLineManager> Previous);
  ~TLineManager() override;

  // A library of FileName and the built-in styles, without the settings
  // subscription.
  static std::unique_ptr<TLineManager> CreateFromFile(const std::string& FileName);

  std::unique_ptr<TLineManager> Previous;

  TLine* Line(std::int32_t Index) const { return ItemAs<TLine>(Index); }
  // Null when the number is not loaded.
  TLine* GetLine(std::uint16_t Number) const;
  // The first style whose Name equals Name; letters a to z ignore case,
  // every other character compares exactly.
  TLine* GetLineByName(std::string_view Name) const;
  // Appends (Name, style) for every style in number order; keeps what the
  // list held.
  void FillStrings(platform::TStrings& Strings) const;

  // Reads FileName's styles; file errors are shown through the library
  // error box and the styles read before the error stay.
  void LoadFromFile(const std::string& FileName);
  // Adds the built-in styles "1" to "14" (a loaded style of that number wins).
  void AddBuiltInStyles();
  // Adds a style unless its number is present (then it is freed); true when
  // added.
  bool AddLine(std::unique_ptr<TLine> Line);

  // Change notification of the library settings: retires the program-wide
  // library.
  virtual void SettingsChanged(TParametryConf* Sender);

  const void* KeyOf(const TObject* Item) const override;
  int Compare(const void* Key1, const void* Key2) const override;

private:
  TLineManager() = default;
  void Unsubscribe();
  // The settings group subscribed to, null when none.
  TParametryConf* subscribedTo_ = nullptr;
};

// The line-file name of the settings, in the program folder when it has no
// folder of its own.
std::string LineDefsFileName();
// The program-wide library, built on first use.
TLineManager& LineManager();
// Frees the program-wide library and any retired one (program end).
void ReleaseLineManager();
