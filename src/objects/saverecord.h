// ObjectSaveRecord: the 122-byte record through which one graphic object
// passes between memory and its layer file, and the choice of the class that
// a stored record is read into.
//
// Byte table (little-endian; doubles 8-byte IEEE, singles 4-byte IEEE; texts
// in code page 1250). Every byte a kind does not use is 0.
//
// Common part:
//   off size field
//    0   1  reserved, 0
//    1   1  record flags: 0x20 from the layer file's archive
//    2   1  sublayer number (objects write 0, the saving sublayer fills it)
//    3   1  kind (line layer: bits 0-2 kind, bits 3-4 thickness)
//    4   4  index: bits 0-26 the record index (0 = new), bits 27-31 0
//    8   4  identifier: the IdentWord (reader drops bit 31)
// Line layer (kind 0 line or point, 1 arc, 2 circle; 3-7 no object):
//   12 8 P1.X / centre X     20 8 P1.Y / centre Y
//   28 8 P2.X (0 circle)     36 8 P2.Y (0 circle)
//   44 8 radius (arc signed, 0 line and point)
//   52 4 Z1 (single)         56 4 Z2 (single)
//   60 2 line-style number   62 2 multiplier x 1000 (0 default)
//   64..121 0
// Text layer (kind 2 text, 3 referenced text, 4 symbol, 0x12/0x13 fractions;
// 0, 1, 0x10, 0x11 read as 2, 3, 0x12, 0x13; others no object):
//   12 8 anchor X            20 8 anchor Y
//   28 48 length byte (0..47) and up to 47 characters (symbol name; fraction:
//         numerator, NUL, denominator)
//   76 4 height (single)     80 4 angle (single, radians)
//   84 1 text flags: bits 0-3 justification 1..9 (0 none), 0x10 underline, 0x40 overline
//   85 4 reference offset X  89 4 reference offset Y (singles, unaligned)
//   93..121 extra fields of the older kinds 0 and 1; objects write 0
//
// Invariants of a record written by an object:
//   1. bytes 0 and 2 are 0, byte 1 is 0 or 0x20;
//   2. the index field has bits 27-31 clear;
//   3. the text length byte is at most 47;
//   4. every byte that the kind does not use is 0.
//
// A value that does not fit its field (a text above 47 code-page characters,
// a multiplier above 65.535) is cut; the setter says so and the record keeps
// the report in Truncated() until Clear, so that dialogs can refuse such input
// and the saving sublayer can tell.
//
// A plain value: any thread may use its own record.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "foundation/geometry/clip.h"
#include "foundation/geometry/realgeom.h"

class TEGraphObj;

// Offsets of the fields.
inline constexpr std::size_t kRecFlags = 1;
inline constexpr std::size_t kRecSublayer = 2;
inline constexpr std::size_t kRecKind = 3;
inline constexpr std::size_t kRecIndex = 4;
inline constexpr std::size_t kRecIdent = 8;
inline constexpr std::size_t kRecP1X = 12;
inline constexpr std::size_t kRecP1Y = 20;
inline constexpr std::size_t kRecP2X = 28;
inline constexpr std::size_t kRecP2Y = 36;
inline constexpr std::size_t kRecRadius = 44;
inline constexpr std::size_t kRecZ1 = 52;
inline constexpr std::size_t kRecZ2 = 56;
inline constexpr std::size_t kRecStyle = 60;
inline constexpr std::size_t kRecMultiplier = 62;
inline constexpr std::size_t kRecAnchorX = 12;
inline constexpr std::size_t kRecAnchorY = 20;
inline constexpr std::size_t kRecText = 28;
inline constexpr std::size_t kRecHeight = 76;
inline constexpr std::size_t kRecAngle = 80;
inline constexpr std::size_t kRecTextFlags = 84;
inline constexpr std::size_t kRecRefX = 85;
inline constexpr std::size_t kRecRefY = 89;

// Record flags.
inline constexpr std::uint8_t kRecArchived = 0x20;

// Line-layer kinds (kind byte bits 0-2) and the thickness (bits 3-4).
inline constexpr std::uint8_t kLineKindMask = 0x07;
inline constexpr std::uint8_t kLineKindLine = 0;
inline constexpr std::uint8_t kLineKindArc = 1;
inline constexpr std::uint8_t kLineKindCircle = 2;
inline constexpr std::uint8_t kThicknessMask = 0x18;
inline constexpr int kThicknessShift = 3;
// Thickness values: 0 default, 1 thin, 2 thick.
inline constexpr std::uint8_t kThicknessDefault = 0;
inline constexpr std::uint8_t kThicknessThin = 1;
inline constexpr std::uint8_t kThicknessThick = 2;

// Text-layer kinds.
inline constexpr std::uint8_t kTextKindText = 2;
inline constexpr std::uint8_t kTextKindRefText = 3;
inline constexpr std::uint8_t kTextKindSymbol = 4;
inline constexpr std::uint8_t kTextKindFraction = 0x12;
inline constexpr std::uint8_t kTextKindRefFraction = 0x13;
inline constexpr std::uint8_t kTextKindRefBit = 0x01;
inline constexpr std::uint8_t kTextKindFractionBit = 0x10;

// Text flags.
inline constexpr std::uint8_t kTextFlagJustMask = 0x0F;
inline constexpr std::uint8_t kTextFlagUnderline = 0x10;
inline constexpr std::uint8_t kTextFlagOverline = 0x40;
// What a reader keeps of the flags byte (0x20 and 0x80 dropped).
inline constexpr std::uint8_t kTextFlagReadMask = 0x5F;
inline constexpr std::uint8_t kDefaultJustification = 7;

// The longest text the record holds, in code-page characters; the layer file
// keeps fewer for a text or fraction with a reference point and for a symbol
// name.
inline constexpr std::size_t kRecTextMax = 47;
inline constexpr std::size_t kLayerRefTextMax = 39;
inline constexpr std::size_t kLayerSymbolNameMax = 25;
// The largest multiplier the 16-bit field holds.
inline constexpr double kMultiplierMax = 65.535;

// Outcome of storing a value in a field of fixed width.
enum class TStoreResult : std::uint8_t {
  Whole,      // stored as given
  Truncated,  // cut to fit the field
};

class ObjectSaveRecord final : public IClipRecord {
 public:
  static constexpr std::size_t kSize = 122;

  // All bytes 0.
  ObjectSaveRecord() = default;
  // A record filled from stored bytes; raises EInternalError unless exactly
  // kSize bytes are given.
  static ObjectSaveRecord FromBytes(std::span<const std::uint8_t> Bytes);
  const std::array<std::uint8_t, kSize>& Bytes() const { return bytes_; }

  // All bytes 0; the truncation report is cleared.
  void Clear();
  // True when a setter cut a value since the last Clear.
  bool Truncated() const { return truncated_; }

  // Raw fields at an offset; raise EInternalError beyond the record.
  std::uint8_t GetByte(std::size_t Off) const;
  void SetByte(std::size_t Off, std::uint8_t V);
  std::uint16_t GetWord(std::size_t Off) const;
  void SetWord(std::size_t Off, std::uint16_t V);
  std::uint32_t GetLong(std::size_t Off) const;
  void SetLong(std::size_t Off, std::uint32_t V);
  float GetSingle(std::size_t Off) const;
  void SetSingle(std::size_t Off, float V);
  double GetDouble(std::size_t Off) const;
  void SetDouble(std::size_t Off, double V);

  // Common part.
  std::uint8_t GetFlags() const { return bytes_[kRecFlags]; }
  void SetFlags(std::uint8_t V) { bytes_[kRecFlags] = V; }
  bool IsArchived() const { return (bytes_[kRecFlags] & kRecArchived) != 0; }
  std::uint8_t GetSublayer() const { return bytes_[kRecSublayer]; }
  void SetSublayer(std::uint8_t V) { bytes_[kRecSublayer] = V; }
  // The stored sublayer number, 0 when it is above the layer's SublayerCount.
  std::uint8_t GetSublayerWithin(int SublayerCount) const {
    return GetSublayer() > SublayerCount ? 0 : GetSublayer();
  }
  std::uint8_t GetKindByte() const { return bytes_[kRecKind]; }
  void SetKindByte(std::uint8_t V) { bytes_[kRecKind] = V; }
  // Bits 0-26 of the index field.
  std::uint32_t GetIndex() const;
  // Stores I's bits 0-26; bits 27-31 are written 0.
  void SetIndex(std::uint32_t I);
  std::uint32_t GetIdentifier() const { return GetLong(kRecIdent); }
  void SetIdentifier(std::uint32_t V) { SetLong(kRecIdent, V); }

  // Line layer.
  std::uint8_t GetLineKind() const { return bytes_[kRecKind] & kLineKindMask; }
  std::uint8_t GetThickness() const { return (bytes_[kRecKind] & kThicknessMask) >> kThicknessShift; }
  // Kind in bits 0-2, Thickness (0..2) in bits 3-4; raises EInternalError for
  // a kind above 7 or a thickness above 3.
  void SetLineKind(std::uint8_t Kind, std::uint8_t Thickness = kThicknessDefault);
  // X at 12, Y at 20, Z at 52 (line start, arc start, circle centre, point).
  TPointRec GetPoint1() const;
  void SetPoint1(const TPointRec& P);
  // X at 28, Y at 36, Z at 56.
  TPointRec GetPoint2() const;
  void SetPoint2(const TPointRec& P);
  double GetRadius() const { return GetDouble(kRecRadius); }
  void SetRadius(double R) { SetDouble(kRecRadius, R); }
  std::uint16_t GetStyleNumber() const { return GetWord(kRecStyle); }
  void SetStyleNumber(std::uint16_t N) { SetWord(kRecStyle, N); }
  // The stored multiplier word times 0.001; 0 means the default multiplier.
  double GetMultiplier() const { return GetWord(kRecMultiplier) * 0.001; }
  // Stores Round (M * 1000). A value that does not fit 0..65535 (above
  // 65.535, negative, not a number) is stored as the nearest end of the range
  // (0 for not a number) and reported as Truncated.
  TStoreResult SetMultiplier(double M);
  // Word 60 not 0 or thickness not 0: the record is of a special line, arc
  // or circle. A multiplier alone does not make it special.
  bool IsSpecial() const;

  // Text layer.
  TRealPoint GetAnchor() const;
  void SetAnchor(const TRealPoint& P);
  // The length-prefixed text at 28 in UTF-8 (a fraction's NUL included).
  // Raises EWarstwaError for a length byte above 47 (a damaged record).
  std::string GetText() const;
  // Stores the UTF-8 Text in code page 1250, cut to 47 characters.
  TStoreResult SetText(const std::string& Text);
  // Numerator, NUL, denominator, cut to 47 characters.
  TStoreResult SetFraction(const std::string& Numerator, const std::string& Denominator);
  // The text split at its first NUL; without one the whole text is the
  // numerator and the denominator is empty.
  void GetFraction(std::string& Numerator, std::string& Denominator) const;
  float GetHeight() const { return GetSingle(kRecHeight); }
  void SetHeight(float H) { SetSingle(kRecHeight, H); }
  float GetAngle() const { return GetSingle(kRecAngle); }
  void SetAngle(float A) { SetSingle(kRecAngle, A); }
  std::uint8_t GetTextFlags() const { return bytes_[kRecTextFlags]; }
  void SetTextFlags(std::uint8_t V) { bytes_[kRecTextFlags] = V; }
  // Reference point minus anchor, singles at 85 and 89.
  TSingleVector GetRefOffset() const;
  void SetRefOffset(const TSingleVector& D);

  // True when the UTF-8 Text fits MaxChars code-page characters (dialogs
  // refuse longer input instead of letting the record cut it).
  static bool TextFits(const std::string& Text, std::size_t MaxChars = kRecTextMax);
  // True when M fits the multiplier field (0 to 65.535 after rounding).
  static bool MultiplierFits(double M);

  // IClipRecord: the line-layer kind, the points at 12 and 28.
  int Kind() const override { return GetLineKind(); }
  TRealPoint FirstPoint() const override;
  TRealPoint SecondPoint() const override;

 private:
  void CheckRange(std::size_t Off, std::size_t Size) const;

  std::array<std::uint8_t, kSize> bytes_{};
  bool truncated_ = false;
};

// What the text sublayer tells the class choice of its records: in a
// read-only sublayer a text whose justification equals the sublayer's default
// counts as having no justification.
struct TTextSublayerState {
  bool ReadOnly = false;
  std::uint8_t DefaultJustification = kDefaultJustification;
};

// The classes a stored record can be read into.
enum class TRecordClass : std::uint8_t {
  None,  // the kind has no class: no object
  Punkt,
  DefSpecLinia,
  LiniaSpecjalna,
  DefSpecLuk,
  LukSpecjalny,
  DefSpecOkrag,
  OkragSpecjalny,
  NapisT,
  WysNapis,
  WysKatNapis,
  WysKatOdnNapis,
  LicznikMianownik,
  GrSymbol,
  WysKatSymbol,
};
// The class name, e.g. "TLiniaSpecjalna"; "" for None.
const char* RecordClassName(TRecordClass C);

// The class of a line-layer record: kind 0 a point (both points the same)
// or a line, 1 an arc, 2 a circle, each special or not; other kinds None.
TRecordClass ChooseLineRecordClass(const ObjectSaveRecord& Rec);
// The class of a text-layer record.
TRecordClass ChooseTextRecordClass(const ObjectSaveRecord& Rec, const TTextSublayerState& Sublayer);

// The virtual constructor of a class: a new unowned object from a record.
using TRecordFactory = std::function<std::unique_ptr<TEGraphObj>(const ObjectSaveRecord& Rec)>;
// Registers (or replaces) the factory of a class. Each family of objects
// registers its classes from a registration function that the program calls
// at start-up, before any layer is loaded (GUI thread).
void RegisterRecordClass(TRecordClass C, TRecordFactory Factory);
// Drops the factory of a class (tests).
void UnregisterRecordClass(TRecordClass C);
bool IsRecordClassRegistered(TRecordClass C);

// The largest coordinate, radius or text height a layer record may hold, in
// metres: no map of the Earth comes near it, so a larger value (or one that is
// not a number) is damage in the file.
inline constexpr double kMaxRecordCoordinate = 1.0e8;
// Whether a record read from a layer file holds values its layer kind can
// hold: a kind that has a class, finite coordinates, radius, heights and
// angles within kMaxRecordCoordinate, a text length byte within the field.
// A record that fails is damaged and is passed over by the loaders, so that
// it can neither stop the reading nor stretch the extent of the layer.
bool RecordFitsLayer(const ObjectSaveRecord& Rec, bool LineLayer);

// A new unowned object of the chosen class, or nullptr for None. Raises
// ENotImplemented with the class name when the class has no factory yet.
std::unique_ptr<TEGraphObj> CreateObjectFromRecord(TRecordClass C, const ObjectSaveRecord& Rec);
// The same after ChooseLineRecordClass / ChooseTextRecordClass.
std::unique_ptr<TEGraphObj> CreateLineObjectFromRecord(const ObjectSaveRecord& Rec);
std::unique_ptr<TEGraphObj> CreateTextObjectFromRecord(const ObjectSaveRecord& Rec,
                                                       const TTextSublayerState& Sublayer);
