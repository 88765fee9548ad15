#include "layers/store/layerformat.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "foundation/storage/bytes.h"
#include "layers/store/dberrors.h"
#include "layers/store/rawfields.h"

namespace layerfmt {

std::int64_t RecordAddress(std::int64_t n, int slots, std::int64_t R) {
  const std::int64_t i = n - 1;
  return DataStart(slots) + (i / kRecordsPerPacket) * PacketSize(R) + kPacketOverhead +
         (i % kRecordsPerPacket) * R;
}

std::int64_t RecordNumberAt(std::int64_t offset, int slots, std::int64_t R) {
  const std::int64_t off = offset - kHeaderSize - kPacketOverhead - kSlotSize * slots;
  if (off <= 0) return 1;
  const std::int64_t P = PacketSize(R);
  return (off / P) * kRecordsPerPacket + (off % P) / R + 1;
}

bool IsRecordAddress(std::int64_t offset, int slots, std::int64_t R) {
  if (offset <= 0 || offset > kMaxFileSize) return false;
  return RecordAddress(RecordNumberAt(offset, slots, R), slots, R) == offset;
}

namespace {
// floor(steps * a / d) for finite 0 <= a <= d, d > 0, computed exactly: the
// mantissas as integers, so that no rounding can push a point across a cell
// border (a rounded quotient of the far edge came out above steps).
std::int64_t ExactSteps(double a, double d, std::uint32_t steps) {
  __extension__ typedef unsigned __int128 Wide;
  if (a <= 0.0) return 0;
  if (a >= d) return steps;
  int ea = 0, ed = 0;
  const double fa = std::frexp(a, &ea);  // a = fa * 2^ea, 0.5 <= fa < 1
  const double fd = std::frexp(d, &ed);
  const Wide ma = static_cast<std::uint64_t>(std::ldexp(fa, 53));
  const Wide md = static_cast<std::uint64_t>(std::ldexp(fd, 53));
  // a < d gives ea <= ed: steps * ma / (md * 2^(ed - ea)), below 1 once the
  // shift passes the 69 bits of the numerator.
  const int shift = ed - ea;
  if (shift > 70) return 0;
  return static_cast<std::int64_t>((ma * steps) / (md << shift));
}

// The cell of v against origin o and size d: low when v lies before the
// extent, high beyond it, else floor((v - o) * steps / d) + 2, exactly. The
// difference v - o is taken as the extent's size was (one subtraction in
// doubles), so the far edge gives steps + 2 whatever the extent. The same
// rule serves the cells written (the clamped and the unclamped form agree
// for points inside) and the cells of a query rectangle: a point on a
// rectangle's edge gets the edge's cell.
template <class T>
T Cell(double v, double o, double d, std::uint32_t steps, T low, T high) {
  const double a = v - o;
  if (d > 0.0 && std::isfinite(d) && std::isfinite(a)) {
    if (a < 0.0) return low;
    if (a > d) return high;
    return static_cast<T>(ExactSteps(a, d, steps) + 2);
  }
  // No usable extent (a damaged header) or a coordinate without a value:
  // the quotient decides, not a number counting as before the extent.
  const double t = a / d;
  if (!(t >= 0.0)) return low;
  if (t > 1.0) return high;
  return static_cast<T>(static_cast<std::int64_t>(t * steps) + 2);
}
}  // namespace

std::uint8_t LineCell(double v, double o, double d) {
  return Cell<std::uint8_t>(v, o, d, 252, 1, 255);
}
std::uint8_t LineCellUnclamped(double v, double o, double d) {
  return Cell<std::uint8_t>(v, o, d, 252, 1, 255);
}
std::uint16_t TextCell(double v, double o, double d) {
  return Cell<std::uint16_t>(v, o, d, 65532, 1, 65535);
}
std::uint16_t TextCellUnclamped(double v, double o, double d) {
  return Cell<std::uint16_t>(v, o, d, 65532, 1, 65535);
}

Descriptor DefaultDescriptor() {
  Descriptor d{};
  PutU16(&d[kDescLength], kDescriptorSize);
  d[kDescSlots] = kMinSlots;
  d[kDescReserved] = 2;
  return d;
}

SublayerHeader DefaultSublayerHeader() {
  SublayerHeader h{};
  PutU16(&h[kSubLength], kSublayerHeaderSize);
  PutU32(&h[kSubType], 4);
  return h;
}

LineBlock DefaultLineBlock() {
  LineBlock b{};
  PutU16(&b[0], kLineBlockSize);
  PutU16(&b[2], 1);
  PutF32(&b[13], 1.0f);
  return b;
}

TextBlock DefaultTextBlock() {
  TextBlock b{};
  PutU16(&b[0], kTextBlockSize);
  b[2] = 23;
  PutF32(&b[4], 1.0f);
  PutF32(&b[8], 0.5f);
  PutF32(&b[12], 1.0f);
  PutF32(&b[16], 2.0f);
  PutF32(&b[20], 5.0f);
  return b;
}

namespace {
constexpr float kMaxWidth = 1000.0f;
const char* const kBadType = "Błąd w nagłówku podwarstwy. Zły typ warstwy";
const char* const kBadColour = "Błąd w nagłówku podwarstwy. Błedny kolor";
const char* const kBadWidth = "Błąd w nagłówku podwarstwy. Grubość linii większa niż 1000";
const char* const kZeroMultiplier = "Błąd w nagłówku podwarstwy. Mnożnik zerowy";
const char* const kBadTextBlock = "Błąd w nagłówku podwarstwy.";
// A width that is not a number is refused and repaired like a large one.
bool TooWide(float w) { return !(w <= kMaxWidth); }
}  // namespace

void CheckSublayerHeader(const SublayerHeader& h) {
  if ((GetU32(&h[kSubType]) & 0x3) >= 2) throw EDBWarstwaError(kBadType);
  if (h[kSubColour + 3] != 0) throw EDBWarstwaError(kBadColour);
  if (TooWide(GetF32(&h[kSubWidth]))) throw EDBWarstwaError(kBadWidth);
}

bool RepairSublayerHeader(SublayerHeader& h) {
  bool changed = false;
  if (h[kSubColour + 3] != 0) {
    h[kSubColour + 3] = 0;
    changed = true;
  }
  if (TooWide(GetF32(&h[kSubWidth]))) {
    PutF32(&h[kSubWidth], kMaxWidth);
    changed = true;
  }
  if (GetU16(&h[kSubLength]) < kSublayerHeaderSize) PutU16(&h[kSubLength], kSublayerHeaderSize);
  return changed;
}

void CheckLineBlock(const LineBlock& b) {
  if (GetF32(&b[13]) == 0.0f) throw EDBWarstwaError(kZeroMultiplier);
  if (TooWide(GetF32(&b[4])) || TooWide(GetF32(&b[8]))) throw EDBWarstwaError(kBadWidth);
}

bool RepairLineBlock(LineBlock& b) {
  bool changed = false;
  if (GetF32(&b[13]) == 0.0f) {
    PutF32(&b[13], 1.0f);
    changed = true;
  }
  for (std::size_t at : {std::size_t{8}, std::size_t{4}}) {
    if (TooWide(GetF32(&b[at]))) {
      PutF32(&b[at], kMaxWidth);
      changed = true;
    }
  }
  if (GetU16(&b[0]) < kLineBlockSize) PutU16(&b[0], kLineBlockSize);
  return changed;
}

void CheckTextBlock(const TextBlock& b) {
  if (GetF32(&b[4]) == 0.0f) throw EDBWarstwaError(kBadTextBlock);
}

bool RepairTextBlock(TextBlock& b) {
  bool changed = false;
  if (GetF32(&b[4]) == 0.0f) {
    PutF32(&b[4], 1.0f);
    changed = true;
  }
  if (GetU16(&b[0]) < kTextBlockSize) PutU16(&b[0], kTextBlockSize);
  return changed;
}

std::int64_t ReadSizedBlock(platform::File& file, std::int64_t offset, std::uint8_t* block,
                            std::size_t size) {
  std::uint8_t length[2];
  if (file.ReadAt(static_cast<std::uint64_t>(offset), length, 2) != 2) return -1;
  std::memcpy(block, length, 2);
  const std::size_t stored = GetU16(length);
  const std::size_t take = std::min(stored, size);
  if (take <= 2) return 2;
  const std::size_t rest = take - 2;
  const std::int64_t got = file.ReadAt(static_cast<std::uint64_t>(offset) + 2, block + 2, rest);
  if (got != static_cast<std::int64_t>(rest)) return -1;
  return static_cast<std::int64_t>(take);
}

bool ReadPacketHeader(platform::File& file, std::int64_t offset, PacketHeader& h) {
  std::array<std::uint8_t, kPacketHeaderSize> b{};
  if (ReadSizedBlock(file, offset, b.data(), b.size()) < 0) return false;
  h.count = GetU16(&b[2]);
  h.flags = GetU32(&b[4]);
  h.x0 = GetF64(&b[8]);
  h.y0 = GetF64(&b[16]);
  h.dx = GetF64(&b[24]);
  h.dy = GetF64(&b[32]);
  if (h.dx == 0.0) h.dx = 0.1;
  if (h.dy == 0.0) h.dy = 0.1;
  if ((h.flags & (kPacketCells | kPacketFull)) == (kPacketCells | kPacketFull))
    h.count = kRecordsPerPacket;
  return true;
}

std::array<std::uint8_t, kPacketHeaderSize> EncodePacketHeader(const PacketHeader& h) {
  std::array<std::uint8_t, kPacketHeaderSize> b{};
  PutU16(&b[0], kPacketHeaderSize);
  PutU16(&b[2], h.count);
  PutU32(&b[4], h.flags);
  PutF64(&b[8], h.x0);
  PutF64(&b[16], h.y0);
  PutF64(&b[24], h.dx);
  PutF64(&b[32], h.dy);
  return b;
}

std::string GetShortString(const std::uint8_t* p, std::size_t n) {
  const std::size_t len = std::min<std::size_t>(p[0], n);
  return std::string(reinterpret_cast<const char*>(p + 1), len);
}

bool PutShortString(std::uint8_t* p, std::size_t n, std::string_view text) {
  const std::size_t len = std::min(text.size(), n);
  std::memset(p, 0, n + 1);
  p[0] = static_cast<std::uint8_t>(len);
  std::memcpy(p + 1, text.data(), len);
  return len < text.size();
}

}  // namespace layerfmt
