#include "layers/store/layerfiles.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "foundation/storage/bytes.h"
#include "layers/store/dberrors.h"
#include "layers/store/layerstats.h"
#include "layers/store/rawfields.h"
#include "platform/files/codepage.h"

using namespace layerfmt;

namespace {

std::array<std::uint8_t, ObjectSaveRecord::kSize> BytesOf(const ObjectSaveRecord& rec) {
  return rec.Bytes();
}

// Flags word and sublayer byte of a decoded record.
void DecodeCommon(const std::uint8_t* f, std::uint8_t* s, int highest, std::uint8_t kindMask) {
  const std::uint32_t state = GetU32(f);
  s[0] = 0;
  s[1] = (state & kRecArchivedBit) ? kRecArchived : 0;
  s[2] = f[kRecSublayerByte] > highest ? 0 : f[kRecSublayerByte];
  s[3] = static_cast<std::uint8_t>(state & kindMask);
}

bool Inside(const TLayerRect& r, double x, double y) {
  return r.X1 <= x && x <= r.X2 && r.Y1 <= y && y <= r.Y2;
}

void TransformPointAt(std::uint8_t* f, int at, const TAffineMatrix& m) {
  const TRealPoint p = AffineTransformPoint(m, {GetF64(f + at), GetF64(f + at + 8)});
  PutF64(f + at, p.X);
  PutF64(f + at + 8, p.Y);
}

void TransformVectorAt(std::uint8_t* f, int at, const TAffineMatrix& m) {
  const TSingleVector v = AffineTransformVectorS(m, {GetF32(f + at), GetF32(f + at + 4)});
  PutF32(f + at, v.X);
  PutF32(f + at + 4, v.Y);
}

void TransformAngleAt(std::uint8_t* f, int at, const TAffineMatrix& m) {
  PutF32(f + at, static_cast<float>(TransformAngle(m, GetF32(f + at))));
}

bool Live(const std::uint8_t* f) {
  const std::uint32_t state = GetU32(f);
  return (state & kRecInUse) != 0 && (state & kRecArchivedBit) == 0;
}

// Widens the extent (minimum in the packet header, maximum beside it) by a
// point; a coordinate that is not a number widens nothing.
void Extend(PacketHeader& p, TRealPoint& max, double x, double y) {
  if (x < p.x0) p.x0 = x;
  if (y < p.y0) p.y0 = y;
  if (x > max.X) max.X = x;
  if (y > max.Y) max.Y = y;
}

}  // namespace

// ---- line files ----

std::unique_ptr<TNewLinWarstwaFile> TNewLinWarstwaFile::CreateNew(ILayerBase* base,
                                                                  const std::string& directory,
                                                                  const TMainWarstwaHeader& h,
                                                                  const std::string& fileName) {
  CreateFile(directory, h, fileName, kKindLine);
  return std::make_unique<TNewLinWarstwaFile>(base, directory, fileName);
}

bool TNewLinWarstwaFile::EncodeRecord(const ObjectSaveRecord& rec, std::uint8_t* f) const {
  const auto s = BytesOf(rec);
  std::memset(f, 0, static_cast<std::size_t>(kLineRecordSize));
  PutU32(f, (s[3] & 0x1Fu) | kRecInUse);
  f[16] = s[2];
  std::memcpy(f + 18, &s[60], 2);
  std::memcpy(f + 20, &s[8], 4);
  std::memcpy(f + 24, &s[12], 16);
  std::memcpy(f + 40, &s[52], 4);
  std::memcpy(f + 44, &s[28], 16);
  std::memcpy(f + 60, &s[56], 4);
  std::memcpy(f + 64, &s[44], 8);
  std::memcpy(f + 72, &s[62], 2);
  return false;
}

void TNewLinWarstwaFile::DecodeInto(const std::uint8_t* f, std::uint8_t* s) const {
  DecodeCommon(f, s, desc_[kDescHighest], 0x1F);
  std::memcpy(&s[60], f + 18, 2);
  std::memcpy(&s[8], f + 20, 4);
  std::memcpy(&s[12], f + 24, 16);
  std::memcpy(&s[52], f + 40, 4);
  std::memcpy(&s[28], f + 44, 16);
  std::memcpy(&s[56], f + 60, 4);
  std::memcpy(&s[44], f + 64, 8);
  std::memcpy(&s[62], f + 72, 2);
}

std::uint32_t TNewLinWarstwaFile::CellEntry(const std::uint8_t* f, const PacketHeader& p) const {
  if (!Live(f)) return 0;
  const std::uint32_t x1 = LineCell(GetF64(f + 24), p.x0, p.dx);
  const std::uint32_t y1 = LineCell(GetF64(f + 32), p.y0, p.dy);
  std::uint32_t e = x1 | (y1 << 8);
  if ((f[0] & 0x7) != kLineKindCircle) {
    e |= static_cast<std::uint32_t>(LineCell(GetF64(f + 44), p.x0, p.dx)) << 16;
    e |= static_cast<std::uint32_t>(LineCell(GetF64(f + 52), p.y0, p.dy)) << 24;
  }
  return e;
}

void TNewLinWarstwaFile::SetArchiveIdent(std::uint8_t* f, std::uint32_t ident) const {
  PutU32(f + 20, ident);
}

bool TNewLinWarstwaFile::PointInRect(const std::uint8_t* f, const TLayerRect& r) const {
  if (Inside(r, GetF64(f + 24), GetF64(f + 32))) return true;
  // A circle stores no second point (its field holds zeros): its centre
  // alone counts, as in its index cells and in the query filters, so that a
  // window around the origin does not find every circle of the layer.
  if ((f[0] & 0x7) == kLineKindCircle) return false;
  return Inside(r, GetF64(f + 44), GetF64(f + 52));
}

void TNewLinWarstwaFile::SetQueryCells(const TLayerRect& r, const PacketHeader& p) {
  query_[0] = LineCell(r.X1, p.x0, p.dx);
  query_[1] = LineCell(r.Y1, p.y0, p.dy);
  query_[2] = LineCell(r.X2, p.x0, p.dx);
  query_[3] = LineCell(r.Y2, p.y0, p.dy);
}

bool TNewLinWarstwaFile::EntryInQuery(std::uint32_t e) const {
  auto in = [&](std::uint8_t x, std::uint8_t y) {
    return query_[0] <= x && x <= query_[2] && query_[1] <= y && y <= query_[3];
  };
  return in(e & 0xFF, (e >> 8) & 0xFF) || in((e >> 16) & 0xFF, (e >> 24) & 0xFF);
}

void TNewLinWarstwaFile::FillCells(std::span<const std::uint8_t> records,
                                   std::span<std::uint32_t> cells, const PacketHeader& p) const {
  const std::size_t n = std::min(UsedSlots(records, p), cells.size());
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint8_t* f = &records[i * static_cast<std::size_t>(kLineRecordSize)];
    std::uint32_t e = 0;
    if (Live(f)) {
      e = LineCellUnclamped(GetF64(f + 24), p.x0, p.dx) |
          (static_cast<std::uint32_t>(LineCellUnclamped(GetF64(f + 32), p.y0, p.dy)) << 8);
      if ((f[0] & 0x7) != kLineKindCircle) {
        e |= static_cast<std::uint32_t>(LineCellUnclamped(GetF64(f + 44), p.x0, p.dx)) << 16;
        e |= static_cast<std::uint32_t>(LineCellUnclamped(GetF64(f + 52), p.y0, p.dy)) << 24;
      }
    }
    cells[i] = e;
  }
}

void TNewLinWarstwaFile::AddToExtent(std::span<const std::uint8_t> records, PacketHeader& p,
                                     TRealPoint& max) {
  const std::size_t n = UsedSlots(records, p);
  // Used slots the file does not hold get no cell.
  if (n < static_cast<std::size_t>(p.Used())) p.flags |= kPacketZeroCell;
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint8_t* f = &records[i * static_cast<std::size_t>(kLineRecordSize)];
    CountRecord(f);
    if (!Live(f)) {
      p.flags |= kPacketZeroCell;
      continue;
    }
    p.flags &= ~kPacketNoLive;
    Extend(p, max, GetF64(f + 24), GetF64(f + 32));
    if ((f[0] & 0x7) != kLineKindCircle) Extend(p, max, GetF64(f + 44), GetF64(f + 52));
  }
}

void TNewLinWarstwaFile::FixHeader() {
  TNewTextLinWarstwaFile::FixHeader();
  for (int i = 0; i <= desc_[kDescHighest]; ++i) {
    LineBlock b = DefaultLineBlock();
    const std::int64_t at = SlotOffset(i) + kParamBlockOffset;
    if (ReadSizedBlock(file_, at, b.data(), b.size()) < 0) throw EDBError(kBadFileStructure);
    if (RepairLineBlock(b)) WriteExact(at, b.data(), b.size());
  }
}

void TNewLinWarstwaFile::AddToStatistics(const std::uint8_t* f, TDBStatystyka& item) const {
  int k = f[0] & 0x7;
  const double x1 = GetF64(f + 24), y1 = GetF64(f + 32);
  const double x2 = GetF64(f + 44), y2 = GetF64(f + 52);
  const double r = GetF64(f + 64);
  double length = 0;
  switch (k) {
    case 0:
      if (x1 == x2 && y1 == y2) k = 3;
      else length = std::hypot(x2 - x1, y2 - y1);
      break;
    case 1: length = ArcLength(std::hypot(x2 - x1, y2 - y1), r); break;
    case 2: length = 2.0 * std::numbers::pi * r; break;
    default: break;
  }
  item.Add(1u << k, 0, length);
}

void TNewLinWarstwaFile::TransformRecord(std::uint8_t* f, const TAffineMatrix& m) const {
  const int k = f[0] & 0x7;
  TransformPointAt(f, 24, m);
  if (k == 3) return;
  if (k != kLineKindCircle) TransformPointAt(f, 44, m);
  if (k != 0) PutF64(f + 64, GetF64(f + 64) * m.s);
}

std::unique_ptr<TNewTextLinWarstwaFile> TNewLinWarstwaFile::CreateSame(
    const std::string& directory, const std::string& fileName) const {
  return std::make_unique<TNewLinWarstwaFile>(Base(), directory, fileName);
}

void TNewLinWarstwaFile::ReadParamBlock(TWarstwaHeader& h, int i) {
  LineBlock b = DefaultLineBlock();
  if (i <= desc_[kDescHighest]) {
    if (ReadSizedBlock(file_, SlotOffset(i) + kParamBlockOffset, b.data(), b.size()) < 0)
      throw EDBError(kBadFileStructure);
    CheckLineBlock(b);
  }
  h.StyleMultiplier = GetF32(&b[13]);
  h.StyleNumber = GetU16(&b[2]);
  h.ScreenWidth = b[12];
  h.Width1 = GetF32(&b[4]);
  h.Width2 = GetF32(&b[8]);
}

void TNewLinWarstwaFile::WriteParamBlock(const TWarstwaHeader& h, int i) {
  LineBlock b = DefaultLineBlock();
  if (ReadSizedBlock(file_, SlotOffset(i) + kParamBlockOffset, b.data(), b.size()) < 0)
    throw EDBError(kBadFileStructure);
  PutF32(&b[13], h.StyleMultiplier);
  PutU16(&b[2], h.StyleNumber);
  b[12] = h.ScreenWidth;
  PutF32(&b[4], h.Width1);
  PutF32(&b[8], h.Width2);
  RepairLineBlock(b);
  WriteExact(SlotOffset(i) + kParamBlockOffset, b.data(), b.size());
}

// ---- text files ----

namespace {
constexpr int kTextLength[5] = {34, 18, 47, 39, 25};
constexpr int kPointAt[5] = {60, 44, 73, 65, 51};
constexpr int kAngleAt[5] = {76, 60, 89, 81, 67};
constexpr int kFlagsAt[5] = {80, 64, 93, 85, 0};
constexpr std::size_t kSaveSecondX = 93;
constexpr std::size_t kSaveSecondY = 101;
constexpr std::size_t kSaveAngle2 = 109;
constexpr std::size_t kSaveByte113 = 113;
constexpr std::size_t kSaveVector = 114;
}  // namespace

int TNewTextWarstwaFile::TextLength(int kind) { return kind >= 0 && kind < 5 ? kTextLength[kind] : 0; }
int TNewTextWarstwaFile::PointOffset(int kind) { return kind >= 0 && kind < 5 ? kPointAt[kind] : 0; }

std::unique_ptr<TNewTextWarstwaFile> TNewTextWarstwaFile::CreateNew(ILayerBase* base,
                                                                    const std::string& directory,
                                                                    const TMainWarstwaHeader& h,
                                                                    const std::string& fileName) {
  CreateFile(directory, h, fileName, kKindText);
  return std::make_unique<TNewTextWarstwaFile>(base, directory, fileName);
}

bool TNewTextWarstwaFile::EncodeRecord(const ObjectSaveRecord& rec, std::uint8_t* f) const {
  const auto s = BytesOf(rec);
  std::memset(f, 0, static_cast<std::size_t>(kTextRecordSize));
  PutU32(f, (s[3] & 0x17u) | kRecInUse);
  f[16] = s[2];
  std::memcpy(f + 17, &s[8], 4);
  std::memcpy(f + 21, &s[76], 4);
  const int k = s[3] & 0x7;
  if (k > 4) return false;
  const int n = kTextLength[k];
  const int given = std::min<int>(s[28], 47);
  const int len = std::min(given, n);
  f[25] = static_cast<std::uint8_t>(len);
  std::memcpy(f + 26, &s[29], static_cast<std::size_t>(len));
  const int p = kPointAt[k];
  std::memcpy(f + p, &s[12], 16);
  std::memcpy(f + kAngleAt[k], &s[80], 4);
  if (k <= 3) f[kFlagsAt[k]] = s[84];
  auto offsets = [&](int at) {
    PutF32(f + at, static_cast<float>(GetF64(&s[kSaveSecondX]) - GetF64(&s[12])));
    PutF32(f + at + 4, static_cast<float>(GetF64(&s[kSaveSecondY]) - GetF64(&s[20])));
  };
  switch (k) {
    case 0:
      offsets(81);
      std::memcpy(f + 89, &s[kSaveAngle2], 4);
      f[93] = s[kSaveByte113];
      break;
    case 1:
      std::memcpy(f + 65, &s[85], 8);
      offsets(73);
      std::memcpy(f + 81, &s[kSaveAngle2], 4);
      f[85] = s[kSaveByte113];
      std::memcpy(f + 86, &s[kSaveVector], 8);
      break;
    case 3: std::memcpy(f + 86, &s[85], 8); break;
    default: break;
  }
  return given > len || s[28] > 47;
}

void TNewTextWarstwaFile::DecodeInto(const std::uint8_t* f, std::uint8_t* s) const {
  DecodeCommon(f, s, desc_[kDescHighest], 0x17);
  std::memcpy(&s[8], f + 17, 4);
  std::memcpy(&s[76], f + 21, 4);
  const int k = f[0] & 0x7;
  if (k <= 4) {
    const int len = std::min<int>(f[25], kTextLength[k]);
    std::memset(&s[28], 0, 48);
    s[28] = static_cast<std::uint8_t>(len);
    std::memcpy(&s[29], f + 26, static_cast<std::size_t>(len));
    const int p = kPointAt[k];
    std::memcpy(&s[12], f + p, 16);
    std::memcpy(&s[80], f + kAngleAt[k], 4);
    if (k <= 3) s[84] = f[kFlagsAt[k]];
    auto second = [&](int at) {
      PutF64(&s[kSaveSecondX], GetF64(f + p) + GetF32(f + at));
      PutF64(&s[kSaveSecondY], GetF64(f + p + 8) + GetF32(f + at + 4));
    };
    switch (k) {
      case 0:
        second(81);
        std::memcpy(&s[kSaveAngle2], f + 89, 4);
        s[kSaveByte113] = f[93];
        break;
      case 1:
        std::memcpy(&s[85], f + 65, 8);
        second(73);
        std::memcpy(&s[kSaveAngle2], f + 81, 4);
        s[kSaveByte113] = f[85];
        std::memcpy(&s[kSaveVector], f + 86, 8);
        break;
      case 3: std::memcpy(&s[85], f + 86, 8); break;
      default: break;
    }
  }
}

std::uint32_t TNewTextWarstwaFile::CellEntry(const std::uint8_t* f, const PacketHeader& p) const {
  const int k = f[0] & 0x7;
  if (!Live(f) || k > 4) return 0;
  const int at = kPointAt[k];
  return TextCell(GetF64(f + at), p.x0, p.dx) |
         (static_cast<std::uint32_t>(TextCell(GetF64(f + at + 8), p.y0, p.dy)) << 16);
}

void TNewTextWarstwaFile::SetArchiveIdent(std::uint8_t* f, std::uint32_t ident) const {
  PutU32(f + 17, ident);
}

bool TNewTextWarstwaFile::PointInRect(const std::uint8_t* f, const TLayerRect& r) const {
  const int k = f[0] & 0x7;
  if (k > 4) return false;
  return Inside(r, GetF64(f + kPointAt[k]), GetF64(f + kPointAt[k] + 8));
}

void TNewTextWarstwaFile::SetQueryCells(const TLayerRect& r, const PacketHeader& p) {
  query_[0] = TextCell(r.X1, p.x0, p.dx);
  query_[1] = TextCell(r.Y1, p.y0, p.dy);
  query_[2] = TextCell(r.X2, p.x0, p.dx);
  query_[3] = TextCell(r.Y2, p.y0, p.dy);
}

bool TNewTextWarstwaFile::EntryInQuery(std::uint32_t e) const {
  const std::uint16_t x = static_cast<std::uint16_t>(e & 0xFFFF);
  const std::uint16_t y = static_cast<std::uint16_t>(e >> 16);
  return query_[0] <= x && x <= query_[2] && query_[1] <= y && y <= query_[3];
}

void TNewTextWarstwaFile::FillCells(std::span<const std::uint8_t> records,
                                    std::span<std::uint32_t> cells, const PacketHeader& p) const {
  const std::size_t n = std::min(UsedSlots(records, p), cells.size());
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint8_t* f = &records[i * static_cast<std::size_t>(kTextRecordSize)];
    const int k = f[0] & 0x7;
    std::uint32_t e = 0;
    if (Live(f) && k <= 4) {
      const int at = kPointAt[k];
      e = TextCellUnclamped(GetF64(f + at), p.x0, p.dx) |
          (static_cast<std::uint32_t>(TextCellUnclamped(GetF64(f + at + 8), p.y0, p.dy)) << 16);
    }
    cells[i] = e;
  }
}

void TNewTextWarstwaFile::AddToExtent(std::span<const std::uint8_t> records, PacketHeader& p,
                                      TRealPoint& max) {
  const std::size_t n = UsedSlots(records, p);
  if (n < static_cast<std::size_t>(p.Used())) p.flags |= kPacketZeroCell;
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint8_t* f = &records[i * static_cast<std::size_t>(kTextRecordSize)];
    CountRecord(f);
    const int k = f[0] & 0x7;
    // Kinds 5 to 7 carry no insertion point: like free and archived
    // records they get a zero cell.
    if (!Live(f) || k > 4) {
      p.flags |= kPacketZeroCell;
      continue;
    }
    p.flags &= ~kPacketNoLive;
    Extend(p, max, GetF64(f + kPointAt[k]), GetF64(f + kPointAt[k] + 8));
  }
}

void TNewTextWarstwaFile::FixHeader() {
  TNewTextLinWarstwaFile::FixHeader();
  for (int i = 0; i <= desc_[kDescHighest]; ++i) {
    TextBlock b = DefaultTextBlock();
    const std::int64_t at = SlotOffset(i) + kParamBlockOffset;
    if (ReadSizedBlock(file_, at, b.data(), b.size()) < 0) throw EDBError(kBadFileStructure);
    if (RepairTextBlock(b)) WriteExact(at, b.data(), b.size());
  }
}

void TNewTextWarstwaFile::AddToStatistics(const std::uint8_t* f, TDBStatystyka& item) const {
  const int k = f[0] & 0x7;
  const int flags = k <= 3 ? f[kFlagsAt[k]] : 0;
  item.Add(1u << (k + 8), flags & 0x0F, 0.0);
}

void TNewTextWarstwaFile::TransformRecord(std::uint8_t* f, const TAffineMatrix& m) const {
  const int k = f[0] & 0x7;
  if (k > 4) return;
  TransformPointAt(f, kPointAt[k], m);
  TransformAngleAt(f, kAngleAt[k], m);
  switch (k) {
    case 0:
      TransformVectorAt(f, 81, m);
      TransformAngleAt(f, 89, m);
      break;
    case 1:
      TransformVectorAt(f, 65, m);
      TransformVectorAt(f, 73, m);
      TransformAngleAt(f, 81, m);
      TransformVectorAt(f, 86, m);
      break;
    case 3: TransformVectorAt(f, 86, m); break;
    default: break;
  }
}

std::unique_ptr<TNewTextLinWarstwaFile> TNewTextWarstwaFile::CreateSame(
    const std::string& directory, const std::string& fileName) const {
  return std::make_unique<TNewTextWarstwaFile>(Base(), directory, fileName);
}

void TNewTextWarstwaFile::ReadParamBlock(TWarstwaHeader& h, int i) {
  TextBlock b = DefaultTextBlock();
  if (i <= desc_[kDescHighest]) {
    if (ReadSizedBlock(file_, SlotOffset(i) + kParamBlockOffset, b.data(), b.size()) < 0)
      throw EDBError(kBadFileStructure);
    CheckTextBlock(b);
  }
  h.SizeMultiplier = GetF32(&b[4]);
  h.Justification = b[2];
  for (int j = 0; j < 4; ++j) h.Sizes[static_cast<std::size_t>(j)] = GetF32(&b[8 + 4 * j]);
  h.TextParam = platform::Cp1250ToUtf8(GetShortString(&b[24], 13));
  h.Param38 = GetU32(&b[38]);
  h.Param42 = GetU32(&b[42]);
  h.Param46 = GetU16(&b[46]);
  h.Param48 = b[48];
}

void TNewTextWarstwaFile::WriteParamBlock(const TWarstwaHeader& h, int i) {
  TextBlock b = DefaultTextBlock();
  if (ReadSizedBlock(file_, SlotOffset(i) + kParamBlockOffset, b.data(), b.size()) < 0)
    throw EDBError(kBadFileStructure);
  PutF32(&b[4], h.SizeMultiplier);
  b[2] = h.Justification;
  for (int j = 0; j < 4; ++j) PutF32(&b[8 + 4 * j], h.Sizes[static_cast<std::size_t>(j)]);
  PutShortString(&b[24], 13, platform::Utf8ToCp1250(h.TextParam));
  PutU32(&b[38], h.Param38);
  PutU32(&b[42], h.Param42);
  PutU16(&b[46], h.Param46);
  b[48] = h.Param48;
  RepairTextBlock(b);
  WriteExact(SlotOffset(i) + kParamBlockOffset, b.data(), b.size());
}
