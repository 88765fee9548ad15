#include "objects/saverecord.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "foundation/errors.h"
#include "foundation/geometry/rounding.h"
#include "foundation/storage/bytes.h"
#include "objects/grobj.h"
#include "platform/files/codepage.h"

namespace {

constexpr std::size_t kClassCount = static_cast<std::size_t>(TRecordClass::WysKatSymbol) + 1;

// The virtual constructors, indexed by class; filled at start-up.
std::array<TRecordFactory, kClassCount>& Registry() {
  static std::array<TRecordFactory, kClassCount> registry;
  return registry;
}

std::size_t ClassSlot(TRecordClass C) {
  const auto slot = static_cast<std::size_t>(C);
  if (slot >= kClassCount) throw EInternalError(FormatMessage("Nieznana klasa obiektu %zu", slot));
  return slot;
}

}  // namespace

ObjectSaveRecord ObjectSaveRecord::FromBytes(std::span<const std::uint8_t> Bytes) {
  if (Bytes.size() != kSize)
    throw EInternalError(FormatMessage("Zapis obiektu: %zu bajtów zamiast %zu", Bytes.size(), kSize));
  ObjectSaveRecord rec;
  std::memcpy(rec.bytes_.data(), Bytes.data(), kSize);
  return rec;
}

void ObjectSaveRecord::Clear() {
  bytes_.fill(0);
  truncated_ = false;
}

void ObjectSaveRecord::CheckRange(std::size_t Off, std::size_t Size) const {
  if (Off > kSize || Size > kSize - Off)
    throw EInternalError(FormatMessage("Zapis obiektu: pole %zu+%zu poza rekordem", Off, Size));
}

std::uint8_t ObjectSaveRecord::GetByte(std::size_t Off) const {
  CheckRange(Off, 1);
  return bytes_[Off];
}

void ObjectSaveRecord::SetByte(std::size_t Off, std::uint8_t V) {
  CheckRange(Off, 1);
  bytes_[Off] = V;
}

std::uint16_t ObjectSaveRecord::GetWord(std::size_t Off) const {
  CheckRange(Off, 2);
  return GetU16(bytes_.data() + Off);
}

void ObjectSaveRecord::SetWord(std::size_t Off, std::uint16_t V) {
  CheckRange(Off, 2);
  PutU16(bytes_.data() + Off, V);
}

std::uint32_t ObjectSaveRecord::GetLong(std::size_t Off) const {
  CheckRange(Off, 4);
  return GetU32(bytes_.data() + Off);
}

void ObjectSaveRecord::SetLong(std::size_t Off, std::uint32_t V) {
  CheckRange(Off, 4);
  PutU32(bytes_.data() + Off, V);
}

float ObjectSaveRecord::GetSingle(std::size_t Off) const { return std::bit_cast<float>(GetLong(Off)); }

void ObjectSaveRecord::SetSingle(std::size_t Off, float V) { SetLong(Off, std::bit_cast<std::uint32_t>(V)); }

double ObjectSaveRecord::GetDouble(std::size_t Off) const {
  CheckRange(Off, 8);
  return std::bit_cast<double>(GetU64(bytes_.data() + Off));
}

void ObjectSaveRecord::SetDouble(std::size_t Off, double V) {
  CheckRange(Off, 8);
  PutU64(bytes_.data() + Off, std::bit_cast<std::uint64_t>(V));
}

std::uint32_t ObjectSaveRecord::GetIndex() const { return GetLong(kRecIndex) & 0x07FFFFFF; }

void ObjectSaveRecord::SetIndex(std::uint32_t I) { SetLong(kRecIndex, I & 0x07FFFFFF); }

void ObjectSaveRecord::SetLineKind(std::uint8_t Kind, std::uint8_t Thickness) {
  if (Kind > kLineKindMask || Thickness > (kThicknessMask >> kThicknessShift))
    throw EInternalError(FormatMessage("Zapis obiektu: rodzaj %u, grubość %u", Kind, Thickness));
  bytes_[kRecKind] = static_cast<std::uint8_t>(Kind | (Thickness << kThicknessShift));
}

TPointRec ObjectSaveRecord::GetPoint1() const {
  return TPointRec{GetDouble(kRecP1X), GetDouble(kRecP1Y), GetSingle(kRecZ1)};
}

void ObjectSaveRecord::SetPoint1(const TPointRec& P) {
  SetDouble(kRecP1X, P.X);
  SetDouble(kRecP1Y, P.Y);
  SetSingle(kRecZ1, P.Z);
}

TPointRec ObjectSaveRecord::GetPoint2() const {
  return TPointRec{GetDouble(kRecP2X), GetDouble(kRecP2Y), GetSingle(kRecZ2)};
}

void ObjectSaveRecord::SetPoint2(const TPointRec& P) {
  SetDouble(kRecP2X, P.X);
  SetDouble(kRecP2Y, P.Y);
  SetSingle(kRecZ2, P.Z);
}

bool ObjectSaveRecord::MultiplierFits(double M) {
  if (!std::isfinite(M)) return false;
  const long double scaled = static_cast<long double>(M) * 1000.0L;
  if (scaled < -0.5L || scaled > 65535.5L) return false;
  const std::int64_t v = Round(scaled);
  return v >= 0 && v <= 0xFFFF;
}

TStoreResult ObjectSaveRecord::SetMultiplier(double M) {
  if (MultiplierFits(M)) {
    SetWord(kRecMultiplier, static_cast<std::uint16_t>(Round(static_cast<long double>(M) * 1000.0L)));
    return TStoreResult::Whole;
  }
  // Saturate rather than keep the low 16 bits: 70.0 must not come back as 4.464.
  SetWord(kRecMultiplier, (std::isnan(M) || M < 0.0) ? 0 : 0xFFFF);
  truncated_ = true;
  return TStoreResult::Truncated;
}

bool ObjectSaveRecord::IsSpecial() const {
  return GetStyleNumber() != 0 || (bytes_[kRecKind] & kThicknessMask) != 0;
}

TRealPoint ObjectSaveRecord::GetAnchor() const {
  return TRealPoint{GetDouble(kRecAnchorX), GetDouble(kRecAnchorY)};
}

void ObjectSaveRecord::SetAnchor(const TRealPoint& P) {
  SetDouble(kRecAnchorX, P.X);
  SetDouble(kRecAnchorY, P.Y);
}

std::string ObjectSaveRecord::GetText() const {
  const std::uint8_t length = bytes_[kRecText];
  if (length > kRecTextMax)
    throw EWarstwaError(FormatMessage("Uszkodzony zapis obiektu %u: długość tekstu %u ponad %zu",
                                      GetIndex(), length, kRecTextMax));
  const auto* first = reinterpret_cast<const char*>(bytes_.data() + kRecText + 1);
  return platform::Cp1250ToUtf8(std::string_view(first, length));
}

TStoreResult ObjectSaveRecord::SetText(const std::string& Text) {
  std::string bytes = platform::Utf8ToCp1250(Text);
  TStoreResult result = TStoreResult::Whole;
  if (bytes.size() > kRecTextMax) {
    bytes.resize(kRecTextMax);
    truncated_ = true;
    result = TStoreResult::Truncated;
  }
  std::fill(bytes_.begin() + kRecText, bytes_.begin() + kRecText + 1 + kRecTextMax, 0);
  bytes_[kRecText] = static_cast<std::uint8_t>(bytes.size());
  std::memcpy(bytes_.data() + kRecText + 1, bytes.data(), bytes.size());
  return result;
}

TStoreResult ObjectSaveRecord::SetFraction(const std::string& Numerator, const std::string& Denominator) {
  std::string text = Numerator;
  text.push_back('\0');
  text += Denominator;
  return SetText(text);
}

void ObjectSaveRecord::GetFraction(std::string& Numerator, std::string& Denominator) const {
  const std::string text = GetText();
  const std::size_t nul = text.find('\0');
  if (nul == std::string::npos) {
    Numerator = text;
    Denominator.clear();
  } else {
    Numerator = text.substr(0, nul);
    Denominator = text.substr(nul + 1);
  }
}

TSingleVector ObjectSaveRecord::GetRefOffset() const {
  return TSingleVector{GetSingle(kRecRefX), GetSingle(kRecRefY)};
}

void ObjectSaveRecord::SetRefOffset(const TSingleVector& D) {
  SetSingle(kRecRefX, D.X);
  SetSingle(kRecRefY, D.Y);
}

bool ObjectSaveRecord::TextFits(const std::string& Text, std::size_t MaxChars) {
  return platform::Cp1250Length(Text) <= MaxChars;
}

TRealPoint ObjectSaveRecord::FirstPoint() const {
  return TRealPoint{GetDouble(kRecP1X), GetDouble(kRecP1Y)};
}

TRealPoint ObjectSaveRecord::SecondPoint() const {
  return TRealPoint{GetDouble(kRecP2X), GetDouble(kRecP2Y)};
}

const char* RecordClassName(TRecordClass C) {
  switch (C) {
    case TRecordClass::None: return "";
    case TRecordClass::Punkt: return "TPunkt";
    case TRecordClass::DefSpecLinia: return "TDefSpecLinia";
    case TRecordClass::LiniaSpecjalna: return "TLiniaSpecjalna";
    case TRecordClass::DefSpecLuk: return "TDefSpecLuk";
    case TRecordClass::LukSpecjalny: return "TLukSpecjalny";
    case TRecordClass::DefSpecOkrag: return "TDefSpecOkrag";
    case TRecordClass::OkragSpecjalny: return "TOkragSpecjalny";
    case TRecordClass::NapisT: return "TNapisT";
    case TRecordClass::WysNapis: return "TWysNapis";
    case TRecordClass::WysKatNapis: return "TWysKatNapis";
    case TRecordClass::WysKatOdnNapis: return "TWysKatOdnNapis";
    case TRecordClass::LicznikMianownik: return "TLicznikMianownik";
    case TRecordClass::GrSymbol: return "TGrSymbol";
    case TRecordClass::WysKatSymbol: return "TWysKatSymbol";
  }
  return "";
}

TRecordClass ChooseLineRecordClass(const ObjectSaveRecord& Rec) {
  const bool special = Rec.IsSpecial();
  switch (Rec.GetLineKind()) {
    case kLineKindLine:
      if (SameRealPoint(Rec.FirstPoint(), Rec.SecondPoint())) return TRecordClass::Punkt;
      return special ? TRecordClass::LiniaSpecjalna : TRecordClass::DefSpecLinia;
    case kLineKindArc:
      return special ? TRecordClass::LukSpecjalny : TRecordClass::DefSpecLuk;
    case kLineKindCircle:
      return special ? TRecordClass::OkragSpecjalny : TRecordClass::DefSpecOkrag;
    default:
      return TRecordClass::None;
  }
}

TRecordClass ChooseTextRecordClass(const ObjectSaveRecord& Rec, const TTextSublayerState& Sublayer) {
  const std::uint8_t kind = Rec.GetKindByte();
  switch (kind) {
    case 1:
    case kTextKindRefText:
      return TRecordClass::WysKatOdnNapis;
    case kTextKindSymbol:
      if (Rec.GetHeight() != 0.0f || Rec.GetAngle() != 0.0f) return TRecordClass::WysKatSymbol;
      return TRecordClass::GrSymbol;
    case 0x10:
    case 0x11:
    case kTextKindFraction:
    case kTextKindRefFraction:
      return TRecordClass::LicznikMianownik;
    case 0:
    case kTextKindText: {
      if (Rec.GetAngle() != 0.0f) return TRecordClass::WysKatNapis;
      if (Rec.GetHeight() != 0.0f) return TRecordClass::WysNapis;
      const std::uint8_t j = Rec.GetTextFlags() & kTextFlagJustMask;
      if (j != 0 && !(Sublayer.ReadOnly && j == Sublayer.DefaultJustification))
        return TRecordClass::WysNapis;
      return TRecordClass::NapisT;
    }
    default:
      return TRecordClass::None;
  }
}

namespace {

bool FitsCoordinate(double V) { return std::isfinite(V) && std::fabs(V) <= kMaxRecordCoordinate; }

}  // namespace

bool RecordFitsLayer(const ObjectSaveRecord& Rec, bool LineLayer) {
  if (LineLayer) {
    if (ChooseLineRecordClass(Rec) == TRecordClass::None) return false;
    for (const std::size_t off : {kRecP1X, kRecP1Y, kRecP2X, kRecP2Y, kRecRadius})
      if (!FitsCoordinate(Rec.GetDouble(off))) return false;
    return std::isfinite(Rec.GetSingle(kRecZ1)) && std::isfinite(Rec.GetSingle(kRecZ2));
  }
  if (ChooseTextRecordClass(Rec, TTextSublayerState()) == TRecordClass::None) return false;
  if (!FitsCoordinate(Rec.GetDouble(kRecAnchorX)) || !FitsCoordinate(Rec.GetDouble(kRecAnchorY))) return false;
  if (Rec.GetByte(kRecText) > kRecTextMax) return false;
  if (!FitsCoordinate(Rec.GetSingle(kRecHeight)) || !std::isfinite(Rec.GetSingle(kRecAngle))) return false;
  return std::isfinite(Rec.GetSingle(kRecRefX)) && std::isfinite(Rec.GetSingle(kRecRefY));
}

void RegisterRecordClass(TRecordClass C, TRecordFactory Factory) {
  Registry()[ClassSlot(C)] = std::move(Factory);
}

void UnregisterRecordClass(TRecordClass C) { Registry()[ClassSlot(C)] = nullptr; }

bool IsRecordClassRegistered(TRecordClass C) { return static_cast<bool>(Registry()[ClassSlot(C)]); }

std::unique_ptr<TEGraphObj> CreateObjectFromRecord(TRecordClass C, const ObjectSaveRecord& Rec) {
  if (C == TRecordClass::None) return nullptr;
  const TRecordFactory& factory = Registry()[ClassSlot(C)];
  if (!factory) throw ENotImplemented(std::string(RecordClassName(C)) + ".CreateFromRecord");
  return factory(Rec);
}

std::unique_ptr<TEGraphObj> CreateLineObjectFromRecord(const ObjectSaveRecord& Rec) {
  return CreateObjectFromRecord(ChooseLineRecordClass(Rec), Rec);
}

std::unique_ptr<TEGraphObj> CreateTextObjectFromRecord(const ObjectSaveRecord& Rec,
                                                       const TTextSublayerState& Sublayer) {
  return CreateObjectFromRecord(ChooseTextRecordClass(Rec, Sublayer), Rec);
}
