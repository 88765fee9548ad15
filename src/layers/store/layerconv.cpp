#include "layers/store/layerconv.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "foundation/storage/bytes.h"
#include "foundation/text/datetime.h"
#include "foundation/storage/fileopener.h"
#include "foundation/text/numtext.h"
#include "layers/store/layerformat.h"
#include "layers/store/rawfields.h"
#include "layers/store/oldformat.h"

using namespace oldfmt;

namespace {

constexpr std::size_t kFlushAt = 64 * 1024;
constexpr float kMaxWidth = 1000.0f;

std::int32_t Clamp32(std::int64_t v) {
  return static_cast<std::int32_t>(std::min<std::int64_t>(v, std::numeric_limits<std::int32_t>::max()));
}

// Stores bytes as string[n] at p; true when they were cut.
bool PutString(std::uint8_t* p, std::size_t n, std::string_view bytes) {
  const std::size_t len = std::min(n, bytes.size());
  p[0] = static_cast<std::uint8_t>(len);
  std::memcpy(p + 1, bytes.data(), len);
  return bytes.size() > n;
}

// Widths above what the current format accepts are kept at its limit.
float Width(const std::uint8_t* real) { return std::min(ToSingle(Real(real)), kMaxWidth); }

}  // namespace

TKonwersjaWarstwy::TKonwersjaWarstwy(const std::string& source, const std::string& destination,
                                     IConversionProgress& progress)
    : progress_(progress), sourcePath_(source), destPath_(destination) {
  progress_.CheckCanceled();
  source_ = FileOpener().FileOpen(source, fmOpenRead | fmShareDenyNone);
  if (!source_.IsOpen()) throw EWindowsIOError("Brak pliku:" + source);
  sourceSize_ = source_.Size();
  std::size_t slash = source.find_last_of("/\\");
  const std::string name = slash == std::string::npos ? source : source.substr(slash + 1);
  Header h;
  if (ReadHeader(source_, 0, name, h) != 0) throw EWarstwaFormat(kBadLayerFormat);
  highest_ = StoredHighest(h);
  if (highest_ >= kSlots)
    throw EWarstwaFormat(std::string(kBadLayerFormat) + ": numer podwarstwy " +
                         std::to_string(highest_) + " poza dziesięcioma podwarstwami");
  slot0_.assign(h.begin(), h.end());
  text_ = h[kHKind] != kOldKindLine;
  oldSize_ = text_ ? kTextRecordSize : kLineRecordSize;
  newSize_ = text_ ? layerfmt::kTextRecordSize : layerfmt::kLineRecordSize;
  // A piece of a record at the end (a copy or a save cut short) is no
  // record: the whole ones before it are converted and the run reports it.
  const std::int64_t records = (sourceSize_ - kDataStart) / oldSize_;
  if ((sourceSize_ - kDataStart) % oldSize_ != 0) {
    result_.TornRecord = records + 1;
    result_.TornBytes = (sourceSize_ - kDataStart) % oldSize_;
  }
  const std::int64_t packets = (records + layerfmt::kRecordsPerPacket - 1) / layerfmt::kRecordsPerPacket;
  if (layerfmt::DataStart(kSlots) + packets * layerfmt::kPacketOverhead + records * newSize_ >
      layerfmt::kMaxFileSize)
    throw EWarstwaFormat(std::string(kBadLayerFormat) + ": warstwa za duża do konwersji");
  if (!dest_.Open(destination, platform::FileAccess::ReadWrite, platform::FileShare::Exclusive,
                  platform::FileCreation::CreateNew))
    throw EWindowsIOError("Nie można utworzyć pliku " + destination, platform::LastError());
  created_ = true;
}

TKonwersjaWarstwy::~TKonwersjaWarstwy() {
  source_.Close();
  if (!created_) return;
  dest_.Close();
  // Half a layer is no layer: what was written goes.
  if (!finished_) platform::DeleteFile(destPath_);
}

void TKonwersjaWarstwy::RaiseWrite() {
  const std::uint32_t code = platform::LastError();
  throw EInOutError("Błąd zapisu pliku " + destPath_ + " (" + platform::ErrorText(code) + ")",
                    static_cast<int>(code));
}

void TKonwersjaWarstwy::Write(const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  pending_.insert(pending_.end(), p, p + size);
  pos_ += static_cast<std::int64_t>(size);
  if (pending_.size() >= kFlushAt) Flush();
}

void TKonwersjaWarstwy::Patch(std::int64_t offset, const void* data, std::size_t size) {
  if (offset >= pendingAt_) {
    std::memcpy(&pending_[static_cast<std::size_t>(offset - pendingAt_)], data, size);
    return;
  }
  if (dest_.WriteAt(static_cast<std::uint64_t>(offset), data, size) != static_cast<std::int64_t>(size))
    RaiseWrite();
}

void TKonwersjaWarstwy::Flush() {
  if (!pending_.empty() &&
      dest_.WriteAt(static_cast<std::uint64_t>(pendingAt_), pending_.data(), pending_.size()) !=
          static_cast<std::int64_t>(pending_.size()))
    RaiseWrite();
  pendingAt_ += static_cast<std::int64_t>(pending_.size());
  pending_.clear();
}

TConversionResult TKonwersjaWarstwy::Run() {
  using namespace layerfmt;
  NowPackedDateTime(stamp_);
  progress_.SetMax(Clamp32(sourceSize_));
  progress_.SetPosition(0);

  std::uint8_t header[kHeaderSize] = {};
  std::memcpy(header, kMagic, 4);
  PutU16(header + 4, kMagicWord);
  std::uint8_t* d = header + kDescriptorOffset;
  PutU16(d + kDescLength, static_cast<std::uint16_t>(kDescriptorSize));
  PutU32(d + kDescKind, text_ ? kKindText : kKindLine);
  PutString(d + kDescText, 79, MazoviaToCp1250(StoredString(&slot0_[kHDescription], 80)));
  d[kDescHighest] = static_cast<std::uint8_t>(highest_);
  d[kDescSlots] = kSlots;
  d[kDescReserved] = 2;
  Write(header, sizeof header);

  const std::size_t slash = sourcePath_.find_last_of("/\\");
  const std::string name = slash == std::string::npos ? sourcePath_ : sourcePath_.substr(slash + 1);
  WriteSlot(slot0_.data());
  for (int i = 1; i < kSlots; ++i) {
    if (i > highest_) {
      const std::uint8_t zero[layerfmt::kSlotSize] = {};
      Write(zero, sizeof zero);
      continue;
    }
    Header h;
    // A slot that cannot be read gets the defaults of a header record.
    if (ReadHeader(source_, i, name, h) != 0) h = DefaultHeader();
    WriteSlot(h.data());
  }

  std::vector<std::uint8_t> buffer(static_cast<std::size_t>((65535 / oldSize_) * oldSize_));
  std::int64_t at = kDataStart;
  const std::int64_t end = sourceSize_ - result_.TornBytes;  // the end of the whole records
  while (at < end) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(
        static_cast<std::int64_t>(buffer.size()), end - at));
    if (source_.ReadAt(static_cast<std::uint64_t>(at), buffer.data(), want) != static_cast<std::int64_t>(want)) {
      const std::uint32_t code = platform::LastError();
      throw EInOutError("Błąd odczytu pliku " + sourcePath_ + " (" + platform::ErrorText(code) + ")",
                        static_cast<int>(code));
    }
    for (std::size_t off = 0; off + static_cast<std::size_t>(oldSize_) <= want;
         off += static_cast<std::size_t>(oldSize_)) {
      progress_.SetPosition(Clamp32(at + static_cast<std::int64_t>(off)));
      ConvertRecord(&buffer[off]);
    }
    at += static_cast<std::int64_t>(want);
  }
  Finish();
  return result_;
}

void TKonwersjaWarstwy::WriteSlot(const std::uint8_t* o) {
  using namespace layerfmt;
  std::uint8_t s[layerfmt::kSlotSize] = {};
  const std::uint32_t kind = text_ ? kKindText : kKindLine;
  std::uint32_t flags = kind | (static_cast<std::uint32_t>(o[kHShown]) << 2) |
                        (static_cast<std::uint32_t>(o[kHByte335]) << 3);
  const double sizeMultiplier = Real(&o[kHSizeMultiplier]);
  if (text_) {
    flags |= (static_cast<std::uint32_t>(o[kHTextBits] & 3) << 18) |
             (static_cast<std::uint32_t>(o[kHTextA]) << 16) | (static_cast<std::uint32_t>(o[kHTextB]) << 17);
    if (sizeMultiplier != 0) flags |= 0x100000;
  } else {
    flags |= (static_cast<std::uint32_t>(o[kHByte354] & 3) << 16) |
             (static_cast<std::uint32_t>(o[kHByte353]) << 18);
  }
  PutU16(s + kSubLength, static_cast<std::uint16_t>(kSublayerHeaderSize));
  PutU32(s + kSubType, flags);
  PutString(s + kSubShortName, 13, MazoviaToCp1250(StoredString(&o[kHShortName], 10)));
  PutString(s + kSubFullName, 79, MazoviaToCp1250(StoredString(&o[kHDescription], 80)));
  PutU32(s + kSubColour, StdColor(GetU16(&o[kHColour])));
  PutF64(s + kSubThreshold, Real(&o[kHThreshold]));
  PutF32(s + kSubWidth, Width(&o[kHLineWidth]));
  std::uint8_t* b = s + kParamBlockOffset;
  if (text_) {
    PutU16(b, static_cast<std::uint16_t>(kTextBlockSize));
    b[2] = o[kHJustification];
    PutF32(b + 4, sizeMultiplier == 0 ? 1.0f : ToSingle(sizeMultiplier));
    PutF32(b + 8, 0.5f);
    PutF32(b + 12, 1.0f);
    PutF32(b + 16, 2.0f);
    PutF32(b + 20, 5.0f);
  } else {
    PutU16(b, static_cast<std::uint16_t>(kLineBlockSize));
    PutU16(b + 2, static_cast<std::uint16_t>(GetU16(&o[kHStyle]) + 1));
    PutF32(b + 4, Width(&o[kHWidth1]));
    PutF32(b + 8, Width(&o[kHWidth2]));
    b[12] = o[kHScreenWidth];
    PutF32(b + 13, 1.0f);
  }
  Write(s, sizeof s);
}

void TKonwersjaWarstwy::ConvertRecord(const std::uint8_t* r) {
  using namespace layerfmt;
  progress_.CheckCanceled();
  ++result_.Records;
  if (++inPacket_ > kRecordsPerPacket) {
    ++packets_;
    packetAt_ = pos_;
    std::vector<std::uint8_t> head(static_cast<std::size_t>(kPacketOverhead), 0);
    PutU16(head.data(), static_cast<std::uint16_t>(kPacketHeaderSize));
    PutU32(head.data() + 4, kPacketFull);
    Write(head.data(), head.size());
    inPacket_ = 1;
  }
  std::vector<std::uint8_t> f(static_cast<std::size_t>(newSize_), 0);
  if (r[0] != 0) {
    FreeRecord(f.data());
  } else {
    if (text_) TextRecord(r, f.data());
    else LineRecord(r, f.data());
    ++live_[f[kRecSublayerByte]];
  }
  Write(f.data(), f.size());
}

void TKonwersjaWarstwy::LineRecord(const std::uint8_t* r, std::uint8_t* f) {
  const std::uint8_t kindByte = r[43];
  const int kind = kindByte & 7;
  const int nibble = kindByte >> 4;
  PutU32(f, static_cast<std::uint32_t>(kind) | ((kindByte & 8) ? 0x10u : 0u) | layerfmt::kRecInUse);
  PutU16(f + 4, kConverterUser);
  PutU16(f + 6, kConverterUser);
  PutU32(f + 8, stamp_);
  PutU32(f + 12, stamp_);
  f[16] = r[44] > highest_ ? 0 : r[44];
  PutU16(f + 18, static_cast<std::uint16_t>(nibble));
  PutU16(f + 72, 1000);
  if (kind == 0 && nibble == 15) {
    PutU16(f + 18, GetU16(r + 27));
    PutU16(f + 72, GetU16(r + 25));
  }
  PutF64(f + 24, Real(r + 1));
  PutF64(f + 32, Real(r + 7));
  PutF32(f + 40, ToSingle(Real(r + 31)));
  if (kind == 0 || kind == 1) {
    PutF64(f + 44, Real(r + 13));
    PutF64(f + 52, Real(r + 19));
    PutF32(f + 60, ToSingle(Real(r + 37)));
  }
  if (kind == 1 || kind == 2) PutF64(f + 64, Real(r + 25));
}

void TKonwersjaWarstwy::TextRecord(const std::uint8_t* r, std::uint8_t* f) {
  const double x = Real(r + 1), y = Real(r + 7);
  const std::string text = StoredString(r + 26, kTextMax);
  std::uint32_t kind = 0;
  if (r[25] & kRefPointFlag) kind = 1;
  else if (!text.empty() && static_cast<std::uint8_t>(text[0]) == kSymbolMark) kind = 4;
  PutU32(f, kind | layerfmt::kRecInUse);
  PutU16(f + 4, kConverterUser);
  PutU16(f + 6, kConverterUser);
  PutU32(f + 8, stamp_);
  PutU32(f + 12, stamp_);
  f[16] = r[57] > highest_ ? 0 : r[57];
  PutF32(f + 21, ToSingle(Real(r + 13)));
  const float angle = ToSingle(Real(r + 19));
  switch (kind) {
    case 0:
      PutString(f + 25, 34, MazoviaToCp1250(text));
      PutF64(f + 60, x);
      PutF64(f + 68, y);
      PutF32(f + 76, angle);
      f[80] = r[25];
      break;
    case 1:
      if (PutString(f + 25, kRefTextMax, MazoviaToCp1250(text))) ++result_.CutTexts;
      PutF64(f + 44, x);
      PutF64(f + 52, y);
      PutF32(f + 60, angle);
      f[64] = r[25];
      PutF32(f + 65, ToSingle(Real(r + 51) - x));
      PutF32(f + 69, ToSingle(Real(r + 45) - y));
      break;
    default:
      if (PutString(f + 25, 25, text.substr(1))) ++result_.CutTexts;
      PutF64(f + 51, x);
      PutF64(f + 59, y);
      PutF32(f + 67, angle);
      break;
  }
}

void TKonwersjaWarstwy::FreeRecord(std::uint8_t* f) {
  ++result_.Deleted;
  const std::int64_t p = pos_;
  if (firstFree_ == 0) {
    firstFree_ = lastFree_ = runStart_ = p;
  } else {
    if (p != lastFree_ + newSize_) {
      if (lastFree_ > runStart_) {
        std::uint8_t run[8];
        PutU32(run, static_cast<std::uint32_t>((lastFree_ - runStart_) / newSize_ + 1));
        PutU32(run + 4, static_cast<std::uint32_t>(lastFree_));
        Patch(runStart_ + 4, run, sizeof run);
      }
      runStart_ = p;
    }
    std::uint8_t next[4];
    PutU32(next, static_cast<std::uint32_t>(p));
    Patch(lastFree_, next, sizeof next);
    lastFree_ = p;
  }
  PutU32(f + 4, 1);
}

void TKonwersjaWarstwy::Finish() {
  using namespace layerfmt;
  progress_.CheckCanceled();
  std::uint8_t d[kDescriptorSize];
  Flush();
  if (dest_.ReadAt(kDescriptorOffset, d, sizeof d) != static_cast<std::int64_t>(sizeof d)) RaiseWrite();
  PutU16(d + kDescPackets, static_cast<std::uint16_t>(packets_));
  PutU32(d + kDescFreeHead, static_cast<std::uint32_t>(firstFree_));
  PutU32(d + kDescAdded, static_cast<std::uint32_t>(result_.Records));
  PutU32(d + kDescFreeCount, static_cast<std::uint32_t>(result_.Deleted));
  Patch(kDescriptorOffset, d, sizeof d);
  for (int i = 0; i <= highest_; ++i) {
    std::uint8_t live[4];
    PutI32(live, live_[i]);
    Patch(SlotOffset(i) + kSubLive, live, sizeof live);
  }
  if (packets_ > 0 && inPacket_ < kRecordsPerPacket) {
    std::uint8_t head[8];
    PutU16(head, static_cast<std::uint16_t>(kPacketHeaderSize));
    PutU16(head + 2, static_cast<std::uint16_t>(inPacket_));
    PutU32(head + 4, 0);
    Patch(packetAt_, head, sizeof head);
  }
  if (!dest_.Flush()) RaiseWrite();
  if (!dest_.Close()) RaiseWrite();
  finished_ = true;
}

TConversionResult ConvertLayerFile(const std::string& source, const std::string& destination,
                                   IConversionProgress& progress) {
  TKonwersjaWarstwy converter(source, destination, progress);
  return converter.Run();
}
