// The scans of a layer file: the rectangle scan (cell-guided), the live scan
// (occupied runs), the query scan (every slot) and the statistics count.
#include <algorithm>
#include <cstring>

#include "foundation/storage/bytes.h"
#include "layers/store/dberrors.h"
#include "layers/store/layerfile.h"
#include "layers/store/layerquery.h"
#include "layers/store/layerstats.h"

using namespace layerfmt;

namespace {
// The look-ahead window of the cell-guided reads: a gap of fewer than this
// many non-candidates between two candidates is read through rather than
// skipped.
constexpr std::int64_t kLookAhead = 16;
// The bits of a record's state word that the format never sets (it holds
// the kind in bits 0-4 and the state in bits 30-31): a slot with any of them
// is damaged, not a record.
constexpr std::uint32_t kRecStrayBits = 0x3FFFFFE0u;
}  // namespace

void TNewTextLinWarstwaFile::StartScan(Scan kind) {
  scan_ = kind;
  buffer_.resize(static_cast<std::size_t>(kRecordsPerPacket * recSize_));
  bufIndex_ = bufCount_ = 0;
  bufFirst_ = 1;
  nextPacket_ = 0;
  packetOpen_ = false;
  fileSize_ = file_.Size();
  damagedRecords_ = 0;
}

void TNewTextLinWarstwaFile::EndScan() {
  scan_ = Scan::None;
  query_ = nullptr;
  packetOpen_ = false;
  bufIndex_ = bufCount_ = 0;
  std::vector<std::uint8_t>().swap(buffer_);
  candidate_.clear();
}

void TNewTextLinWarstwaFile::DecodeRecord(const std::uint8_t* f, ObjectSaveRecord& rec) const {
  auto s = rec.Bytes();
  DecodeInto(f, s.data());
  rec = ObjectSaveRecord::FromBytes(s);
}

bool TNewTextLinWarstwaFile::RectMissesPacket(const PacketHeader& p) const {
  // An overlap of zero width or height is no miss: the exact point test
  // decides, as it does when the index is not in use. A coordinate lies in
  // the extent when 0 <= v - o <= d with the difference taken as the cells
  // take it: o + d itself may round below the far edge of the points, and a
  // rectangle on that edge then looked as if it missed the packet.
  auto misses = [](double low, double high, double o, double d) {
    return !(high - o >= 0.0) || !(low - o <= d);
  };
  return misses(rect_.X1, rect_.X2, p.x0, p.dx) || misses(rect_.Y1, rect_.Y2, p.y0, p.dy);
}

// Fills the buffer with the next run of slots: answers the records read, 0
// at the end, -1 on a read error.
int TNewTextLinWarstwaFile::Refill(Reader reader) {
  if (!SlotsKnown()) return -1;  // no record address is known yet
  const std::int64_t P = PacketSize(recSize_);
  const std::int64_t base = DataStart(slots_);
  for (;;) {
    if (!packetOpen_) {
      const std::int64_t start = base + nextPacket_ * P;
      if (fileSize_ < 0) return -1;
      if (start >= fileSize_) return 0;
      packetIndex_ = nextPacket_;
      ++nextPacket_;
      bool whole = true;
      if (reader != Reader::Plain && indexInUse_) {
        PacketHeader p;
        if (!ReadPacketHeader(file_, start, p)) return -1;
        if ((p.flags & kPacketCells) != 0) {
          bool passOver = (p.flags & kPacketNoLive) != 0;
          if (reader == Reader::Cells && !passOver)
            passOver = RectMissesPacket(p) && (p.flags & kPacketOutside) == 0;
          if (passOver) {
            if (!p.Full()) return 0;
            continue;
          }
          if (reader == Reader::Cells || (p.flags & kPacketZeroCell) != 0) {
            whole = false;
            packetUsed_ = p.Used();
            std::vector<std::uint8_t> cells(static_cast<std::size_t>(packetUsed_ * 4));
            if (!cells.empty() &&
                file_.ReadAt(static_cast<std::uint64_t>(start + kPacketHeaderSlot), cells.data(),
                             cells.size()) != static_cast<std::int64_t>(cells.size()))
              return -1;
            if (reader == Reader::Cells) SetQueryCells(rect_, p);
            candidate_.assign(static_cast<std::size_t>(packetUsed_), 0);
            for (std::int64_t i = 0; i < packetUsed_; ++i) {
              const std::uint32_t e = GetU32(&cells[static_cast<std::size_t>(i * 4)]);
              candidate_[static_cast<std::size_t>(i)] =
                  e != 0 && (reader == Reader::Occupied || EntryInQuery(e));
            }
            slot_ = 0;
            packetOpen_ = true;
          }
        }
      }
      if (whole) {
        const std::int64_t got =
            file_.ReadAt(static_cast<std::uint64_t>(start + kPacketOverhead), buffer_.data(),
                         static_cast<std::size_t>(kRecordsPerPacket * recSize_));
        if (got < 0) return -1;
        bufFirst_ = packetIndex_ * kRecordsPerPacket + 1;
        bufIndex_ = 0;
        bufCount_ = got / recSize_;
        if (bufCount_ == 0) return 0;
        return static_cast<int>(bufCount_);
      }
    }
    // A packet with cells, read through a look-ahead window over the next
    // 16 slots (fewer at the end of the used slots): the slots before the
    // window's first candidate are passed over while further slots remain to
    // shift in; the run then goes on while a candidate lies in the window,
    // so a gap of fewer than 16 non-candidates is read through; once the
    // packet's slots are used up, the slots still in the window join the
    // run. Records read through are tested exactly like the candidates.
    if (slot_ >= packetUsed_) {
      // Only a full packet has a packet after it.
      if (packetUsed_ < kRecordsPerPacket) return 0;
      packetOpen_ = false;
      continue;
    }
    auto cand = [&](std::int64_t i) { return candidate_[static_cast<std::size_t>(i)] != 0; };
    auto remain = [&] { return slot_ + kLookAhead < packetUsed_; };
    auto windowHolds = [&] {
      const std::int64_t end = std::min(slot_ + kLookAhead, packetUsed_);
      for (std::int64_t i = slot_; i < end; ++i)
        if (cand(i)) return true;
      return false;
    };
    while (remain() && !cand(slot_)) ++slot_;
    if (!windowHolds()) {
      slot_ = packetUsed_;
      continue;
    }
    const std::int64_t first = slot_;
    while (remain() && windowHolds()) ++slot_;
    if (!remain()) slot_ = packetUsed_;
    const std::int64_t run = slot_ - first;
    const std::int64_t at = base + packetIndex_ * P + kPacketOverhead + first * recSize_;
    const std::int64_t got = file_.ReadAt(static_cast<std::uint64_t>(at), buffer_.data(),
                                          static_cast<std::size_t>(run * recSize_));
    if (got < 0) return -1;
    bufFirst_ = packetIndex_ * kRecordsPerPacket + first + 1;
    bufIndex_ = 0;
    bufCount_ = got / recSize_;
    if (bufCount_ == 0) return 0;
    return static_cast<int>(bufCount_);
  }
}

void TNewTextLinWarstwaFile::DecodeNumbered(const std::uint8_t* f, std::int64_t n,
                                            ObjectSaveRecord& rec) const {
  auto s = rec.Bytes();
  DecodeInto(f, s.data());
  PutU32(&s[kRecIndex], static_cast<std::uint32_t>(n));
  rec = ObjectSaveRecord::FromBytes(s);
}

int TNewTextLinWarstwaFile::NextStored(ObjectSaveRecord& rec, Scan kind, Reader reader) {
  if (!open_ || scan_ != kind) return kDBNothing;
  for (;;) {
    if (bufIndex_ >= bufCount_) {
      const int got = Refill(reader);
      if (got <= 0) {
        EndScan();
        return got < 0 ? kDBNothing : kDBEnd;
      }
    }
    const std::uint8_t* f = &buffer_[static_cast<std::size_t>(bufIndex_ * recSize_)];
    const std::int64_t n = bufFirst_ + bufIndex_;
    ++bufIndex_;
    const std::uint32_t state = GetU32(f);
    if ((state & kRecInUse) == 0) continue;
    if ((state & kRecStrayBits) != 0) {
      ++damagedRecords_;
      continue;
    }
    if (kind == Scan::Query) {
      if (query_ && !query_->Accept(f, Kind())) continue;
      DecodeNumbered(f, n, rec);
      if (query_ && !query_->AcceptElement(rec, Kind())) continue;
      return kDBOk;
    }
    if (state & kRecArchivedBit) continue;
    if (kind == Scan::Rect && !PointInRect(f, rect_)) continue;
    DecodeNumbered(f, n, rec);
    return kDBOk;
  }
}

int TNewTextLinWarstwaFile::SeekFirst(const TLayerRect& rect, ObjectSaveRecord& rec) {
  if (!open_) return kDBNotOpen;
  StartScan(Scan::Rect);
  rect_ = rect;
  return ReadNext(rec);
}

int TNewTextLinWarstwaFile::ReadNext(ObjectSaveRecord& rec) {
  return NextStored(rec, Scan::Rect, Reader::Cells);
}

int TNewTextLinWarstwaFile::ReadCurrent(ObjectSaveRecord& rec) {
  if (!open_) return kDBNotOpen;
  StartScan(Scan::Live);
  return ReadRecord(rec);
}

int TNewTextLinWarstwaFile::ReadRecord(ObjectSaveRecord& rec) {
  return NextStored(rec, Scan::Live, Reader::Occupied);
}

int TNewTextLinWarstwaFile::SeekRecord(TWarQuery* query, ObjectSaveRecord& rec) {
  RequireOpen();
  StartScan(Scan::Query);
  query_ = query;
  return ReadRecordAtSeek(rec);
}

int TNewTextLinWarstwaFile::ReadRecordAtSeek(ObjectSaveRecord& rec) {
  return NextStored(rec, Scan::Query, Reader::Plain);
}

int TNewTextLinWarstwaFile::ReadRecordAt(std::int64_t n, ObjectSaveRecord& rec) {
  if (!open_) return kDBNothing;
  EndScan();
  std::vector<std::uint8_t> f(static_cast<std::size_t>(recSize_));
  ReadStored(n, f.data(), ShortReadMessage(), FreeSlotMessage());
  DecodeNumbered(f.data(), n, rec);
  return kDBOk;
}

void TNewTextLinWarstwaFile::Statystyka(TDBStatystykaList& list) {
  RequireOpen();
  const int highest = desc_[kDescHighest];
  list.Resize(highest + 1);
  StartScan(Scan::Live);
  try {
    for (;;) {
      if (bufIndex_ >= bufCount_) {
        const int got = Refill(Reader::Occupied);
        if (got < 0) throw EDBError(kBadFileStructure);
        if (got == 0) break;
      }
      const std::uint8_t* f = &buffer_[static_cast<std::size_t>(bufIndex_ * recSize_)];
      ++bufIndex_;
      const std::uint32_t state = GetU32(f);
      if ((state & kRecInUse) == 0 || (state & kRecArchivedBit) != 0) continue;
      const int sub = f[kRecSublayerByte] > highest ? 0 : f[kRecSublayerByte];
      AddToStatistics(f, list.Item(sub));
    }
  } catch (...) {
    EndScan();
    throw;
  }
  EndScan();
}
