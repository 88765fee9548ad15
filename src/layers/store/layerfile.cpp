#include "layers/store/layerfile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "foundation/storage/bytes.h"
#include "foundation/storage/fileopener.h"
#include "foundation/text/datetime.h"
#include "foundation/threads/cancel.h"
#include "layers/store/bazai.h"
#include "layers/store/dberrors.h"
#include "layers/store/rawfields.h"
#include "platform/files/codepage.h"
#include "platform/files/lockarea.h"

using namespace layerfmt;

namespace {

constexpr std::chrono::milliseconds kLockRetry{1000};
constexpr std::chrono::milliseconds kLockPoll{50};

LayerLockWaitFactory& DefaultLockWait() {
  static LayerLockWaitFactory factory = [](const std::string& layer) {
    return std::unique_ptr<ICancelCheck>(MakeLayerLockWaitWindow(layer));
  };
  return factory;
}

const platform::LockArea kArea{kLockAreaOffset, kLockAreaLength};

std::uint32_t NowStamp() {
  TPackedDateTime d = 0;
  NowPackedDateTime(d);
  return d;
}

}  // namespace

std::unique_ptr<TCancel> MakeLayerLockWaitWindow(const std::string& layer) {
  // Half a second of waiting passes unseen; then the window names the layer.
  auto cancel = std::make_unique<TCancel>(500, "Tolvika");
  cancel->SetMessage("Oczekiwanie na dostęp do warstwy " + layer);
  return cancel;
}

void SetDefaultLayerLockWait(LayerLockWaitFactory factory) {
  DefaultLockWait() = std::move(factory);
}

TNewTextLinWarstwaFile::TNewTextLinWarstwaFile(ILayerBase* base, std::string directory,
                                               std::string fileName, std::int64_t recordSize)
    : TWarstwaFile(std::move(directory), std::move(fileName), recordSize),
      base_(base),
      lockWait_(DefaultLockWait()) {
}

TNewTextLinWarstwaFile::~TNewTextLinWarstwaFile() {
  try {
    Close();
  } catch (...) {
    // A destructor cannot report; callers close explicitly to learn of it.
  }
}

void TNewTextLinWarstwaFile::RequireOpen() const {
  if (!open_) throw ENotOpen();
}

void TNewTextLinWarstwaFile::RequireWritable() const {
  RequireOpen();
  if (readOnly_) throw EAccessError();
}

void TNewTextLinWarstwaFile::ReadExact(std::int64_t offset, void* buffer, std::size_t size) {
  if (offset < 0) throw EDBError(kBadFileStructure);
  const std::int64_t got = file_.ReadAt(static_cast<std::uint64_t>(offset), buffer, size);
  // A refused read gives the system's text; a file too short, its structure.
  if (got < 0) throw EDBError::FromSystem(platform::LastError());
  if (got != static_cast<std::int64_t>(size)) throw EDBError(kBadFileStructure);
}

void TNewTextLinWarstwaFile::WriteExact(std::int64_t offset, const void* buffer,
                                        std::size_t size) {
  if (offset < 0 || offset + static_cast<std::int64_t>(size) > kMaxFileSize)
    throw EDBError(kBadFileStructure);
  if (file_.WriteAt(static_cast<std::uint64_t>(offset), buffer, size) !=
      static_cast<std::int64_t>(size))
    throw EDBError::FromSystem(platform::LastError());
}

void TNewTextLinWarstwaFile::LockWait(bool exclusive) {
  std::unique_ptr<ICancelCheck> wait;
  for (;;) {
    if (exclusive) {
      if (platform::TryLockAreaExclusive(file_, kArea)) {
        lockState_ = -1;
        return;
      }
    } else {
      std::uint64_t held = 0;
      if (platform::TryLockAreaShared(file_, kArea, held)) {
        lockState_ = static_cast<std::int64_t>(held);
        return;
      }
    }
    if (platform::LastError() != platform::kErrorLockViolation)
      throw EDBError::FromSystem(platform::LastError());
    if (!wait && lockWait_) wait = lockWait_(fileName_);
    const auto until = std::chrono::steady_clock::now() + kLockRetry;
    while (std::chrono::steady_clock::now() < until) {
      if (wait) wait->CheckCanceled();
      std::this_thread::sleep_for(kLockPoll);
    }
    if (wait) wait->CheckCanceled();
  }
}

void TNewTextLinWarstwaFile::ReleaseLock() {
  bool ok = true;
  if (lockState_ == -1) ok = file_.UnlockRange(kLockAreaOffset, kLockAreaLength);
  else if (lockState_ > 0) ok = file_.UnlockRange(static_cast<std::uint64_t>(lockState_), 1);
  lockState_ = 0;
  if (!ok) throw EDBError::FromSystem(platform::LastError());
}

void TNewTextLinWarstwaFile::ReadDescriptor(bool noSlots) {
  std::uint8_t head[6];
  ReadExact(0, head, sizeof head);
  if (std::memcmp(head, kMagic, 4) != 0) throw EDBError(kBadFileStructure);
  desc_ = DefaultDescriptor();
  if (ReadSizedBlock(file_, kDescriptorOffset, desc_.data(), desc_.size()) < 0)
    throw EDBError(kBadFileStructure);
  slots_ = desc_[kDescSlots];
  if (noSlots && slots_ == 0 && desc_[kDescHighest] < kMinSlots) return;
  if (slots_ < kMinSlots || slots_ > kMaxSlots || desc_[kDescHighest] >= slots_)
    throw EDBError(kBadFileStructure);
}

void TNewTextLinWarstwaFile::RequireSlots() const {
  if (!SlotsKnown()) throw EDBError(kBadFileStructure);
}

int TNewTextLinWarstwaFile::Open(std::uint8_t& mode) {
  if (base_ && base_->IsReadOnly()) {
    if (mode == kOpenWrite) return kDBAccess;
    if (mode == kOpenWriteIfPossible) mode = kOpenRead;
  }
  if (open_) {
    if (mode == kOpenRead || !readOnly_) return kDBOk;
    Close();
  }
  const std::string path = Path();
  platform::File f;
  bool readOnly = mode == kOpenRead;
  f = FileOpener().FileOpen(path, (readOnly ? fmOpenRead : fmOpenReadWrite) | fmShareDenyNone);
  if (!f.IsOpen() && mode == kOpenWriteIfPossible) {
    f = FileOpener().FileOpen(path, fmOpenRead | fmShareDenyNone);
    if (f.IsOpen()) {
      mode = kOpenRead;
      readOnly = true;
    }
  }
  if (!f.IsOpen()) {
    const std::uint32_t code = platform::LastError();
    if (code == platform::kErrorSharingViolation) return kDBAccess;
    throw EDBError::FromSystem(code);
  }
  file_ = std::move(f);
  readOnly_ = readOnly;
  try {
    LockWait(!readOnly);
    ReadDescriptor(true);
    indexInUse_ = (GetU32(&desc_[kDescKind]) & kKindIndexValid) != 0;
    descChanged_ = countersChanged_ = false;
    counters_.clear();
    for (int i = 0; i <= desc_[kDescHighest]; ++i) {
      std::uint8_t c[8];
      ReadExact(SlotOffset(i) + kCountersOffset, c, 8);
      counters_.emplace_back(std::max(0, GetI32(c)), std::max(0, GetI32(c + 4)));
    }
  } catch (...) {
    lockState_ = 0;
    file_.Close();  // the locks vanish with the handle
    throw;
  }
  open_ = true;
  return kDBOk;
}

int TNewTextLinWarstwaFile::Close() {
  if (!open_) return kDBNothing;
  EndScan();
  std::string failure;
  int code = 0;
  auto attempt = [&](auto&& step) {
    try {
      step();
    } catch (const EDBError& e) {
      if (failure.empty()) {
        failure = e.Message();
        code = e.Code;
      }
    }
  };
  attempt([&] { FreeWritePacket(); });
  write_.reset();
  if (!readOnly_) {
    if (descChanged_) {
      // A descriptor read shorter is written whole, so that its tail (free
      // list, counts) is read back next time instead of the defaults.
      if (GetU16(&desc_[kDescLength]) < kDescriptorSize) PutU16(&desc_[kDescLength], kDescriptorSize);
      attempt([&] { WriteExact(kDescriptorOffset, desc_.data(), desc_.size()); });
    }
    if (countersChanged_) {
      for (std::size_t i = 0; i < counters_.size(); ++i) {
        attempt([&] {
          std::uint8_t c[8];
          PutI32(c, std::max(0, counters_[i].first));
          PutI32(c + 4, std::max(0, counters_[i].second));
          WriteExact(SlotOffset(static_cast<int>(i)) + kCountersOffset, c, 8);
        });
      }
    }
  }
  counters_.clear();
  attempt([&] { ReleaseLock(); });
  if (!file_.Close() && failure.empty()) {
    failure = platform::ErrorText(platform::LastError());
    code = static_cast<int>(platform::LastError());
  }
  open_ = false;
  descChanged_ = countersChanged_ = false;
  if (!failure.empty()) throw EDBError(failure, code);
  return kDBOk;
}

std::int64_t TNewTextLinWarstwaFile::Address(std::int64_t n) const {
  return RecordAddress(n, slots_, recSize_);
}

void TNewTextLinWarstwaFile::ReadStored(std::int64_t n, std::uint8_t* f, const char* shortMsg,
                                        const char* freeMsg) {
  RequireSlots();
  char text[256];
  const std::int64_t a = n >= 1 && n <= kMaxFileSize / recSize_ ? Address(n) : -1;
  if (a < 0 || a + recSize_ > kMaxFileSize ||
      file_.ReadAt(static_cast<std::uint64_t>(a), f, static_cast<std::size_t>(recSize_)) !=
          recSize_) {
    std::snprintf(text, sizeof text, shortMsg, static_cast<int>(n), fileName_.c_str());
    throw EDBRecordError(text);
  }
  if ((GetU32(f) & kRecInUse) == 0) {
    std::snprintf(text, sizeof text, freeMsg, static_cast<int>(n), fileName_.c_str());
    throw EDBRecordError(text);
  }
}

void TNewTextLinWarstwaFile::CountLive(int sublayer, int delta) {
  if (sublayer < 0 || sublayer >= static_cast<int>(counters_.size())) return;
  counters_[sublayer].first += delta;
  countersChanged_ = true;
}

void TNewTextLinWarstwaFile::CountArchived(int sublayer, int delta) {
  if (sublayer < 0 || sublayer >= static_cast<int>(counters_.size())) return;
  counters_[sublayer].second += delta;
  countersChanged_ = true;
}

std::pair<std::int32_t, std::int32_t> TNewTextLinWarstwaFile::Counters(int i) const {
  if (i < 0 || i >= static_cast<int>(counters_.size())) return {0, 0};
  return counters_[i];
}

void TNewTextLinWarstwaFile::FreeWritePacket() {
  if (!write_) return;
  std::unique_ptr<WritePacket> w = std::move(write_);
  if (w->headerChanged) {
    // Only the count and the flags change; the stored extent stays as it is.
    PutU16(&w->raw[2], w->header.count);
    PutU32(&w->raw[4], w->header.flags);
    WriteExact(w->start, w->raw.data(), w->raw.size());
  }
  if (w->tableChanged) {
    const std::size_t count = static_cast<std::size_t>(std::min<std::int64_t>(w->header.count, kRecordsPerPacket));
    std::vector<std::uint8_t> bytes(count * 4);
    for (std::size_t i = 0; i < count; ++i) PutU32(&bytes[i * 4], w->table[i]);
    if (count) WriteExact(w->start + kPacketHeaderSlot, bytes.data(), bytes.size());
  }
}

void TNewTextLinWarstwaFile::PositionWritePacket(std::int64_t a, std::int64_t n) {
  if (write_) {
    const std::int64_t rel = a - write_->start;
    if (rel >= kPacketOverhead && rel < PacketSize(recSize_)) return;
    if (rel >= 0 && rel < kPacketOverhead) throw EDBError(kBadFileStructure);
    FreeWritePacket();
  }
  const std::int64_t start = DataStart(slots_) + ((n - 1) / kRecordsPerPacket) * PacketSize(recSize_);
  const std::int64_t size = file_.Size();
  if (size < 0) throw EDBError::FromSystem(platform::LastError());
  const int packets = GetU16(&desc_[kDescPackets]);
  if (packets != 0 && (start > size || (start < size && size < start + kPacketOverhead)))
    throw EDBError(kBadFileStructure);
  auto w = std::make_unique<WritePacket>();
  w->start = start;
  if (start >= size) {
    // A new packet at the end: header of length 40, the rest and the table zero.
    if (start != size) throw EDBError(kBadFileStructure);
    std::vector<std::uint8_t> zero(static_cast<std::size_t>(kPacketOverhead), 0);
    PutU16(zero.data(), kPacketHeaderSize);
    try {
      WriteExact(start, zero.data(), zero.size());
    } catch (...) {
      // A packet written in part would leave the file ending inside it.
      file_.SetSize(static_cast<std::uint64_t>(start));
      throw;
    }
    PutU16(&desc_[kDescPackets], static_cast<std::uint16_t>(packets + 1));
    descChanged_ = true;
    PutU16(w->raw.data(), kPacketHeaderSize);
    w->header = PacketHeader{};
    w->header.dx = w->header.dy = 0.1;
  } else {
    // Beyond the counted packets the file does not match its header.
    if ((start - DataStart(slots_)) / PacketSize(recSize_) >= packets)
      throw EDBError(kBadFileStructure);
    if (file_.ReadAt(static_cast<std::uint64_t>(start), w->raw.data(), w->raw.size()) !=
            static_cast<std::int64_t>(w->raw.size()) ||
        !ReadPacketHeader(file_, start, w->header))
      throw EDBError(kBadFileStructure);
    w->cells = indexInUse_ && (w->header.flags & kPacketCells) != 0;
  }
  write_ = std::move(w);
}

void TNewTextLinWarstwaFile::LoadCellTable() {
  WritePacket& w = *write_;
  if (w.tableLoaded) return;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(kCellTableSize));
  ReadExact(w.start + kPacketHeaderSlot, bytes.data(), bytes.size());
  w.table.assign(kRecordsPerPacket, 0);
  for (std::int64_t i = 0; i < kRecordsPerPacket; ++i) w.table[i] = GetU32(&bytes[i * 4]);
  w.tableLoaded = true;
}

void TNewTextLinWarstwaFile::SetEntry(std::int64_t slot, std::uint32_t e) {
  WritePacket& w = *write_;
  auto load = [&] { LoadCellTable(); };
  auto note = [&] {
    if (e == 0) {
      w.header.flags |= kPacketZeroCell;
    } else {
      w.header.flags &= ~kPacketNoLive;
      for (int b = 0; b < 4; ++b) {
        const std::uint8_t v = static_cast<std::uint8_t>(e >> (8 * b));
        if (v == 1 || v == 255) w.header.flags |= kPacketOutside;
      }
    }
    w.headerChanged = true;
  };
  if (slot >= w.header.count) {
    if (w.cells) {
      load();
      w.table[std::min<std::int64_t>(w.header.count, kRecordsPerPacket - 1)] = e;
      note();
      w.tableChanged = true;
    }
    w.header.count = static_cast<std::uint16_t>(w.header.count + 1);
    w.headerChanged = true;
  } else if (w.cells) {
    load();
    if (w.table[slot] != e) {
      w.table[slot] = e;
      note();
      w.tableChanged = true;
    }
  }
}

void TNewTextLinWarstwaFile::WriteRecordAt(std::int64_t a, std::int64_t n, const std::uint8_t* f) {
  PositionWritePacket(a, n);
  const std::uint32_t e = indexInUse_ && write_->cells ? CellEntry(f, write_->header) : 0;
  // The packet's count and cells change only once the record is written, so
  // that a failed read or write leaves them matching the file; the cell
  // table is read first for the same reason.
  if (write_->cells) LoadCellTable();
  WriteExact(a, f, static_cast<std::size_t>(recSize_));
  SetEntry((n - 1) % kRecordsPerPacket, e);
}

std::int64_t TNewTextLinWarstwaFile::TakeFreeRecord() {
  const std::int64_t h = GetU32(&desc_[kDescFreeHead]);
  if (h == 0) return 0;
  std::uint8_t head[12];
  auto drop = [&] {
    PutU32(&desc_[kDescFreeHead], 0);
    PutU32(&desc_[kDescFreeCount], 0);
    descChanged_ = true;
    return std::int64_t{0};
  };
  const std::int64_t size = file_.Size();
  // A free record lies inside the file and is not in use.
  auto usable = [&](std::int64_t at) {
    return IsRecordAddress(at, slots_, recSize_) && at + recSize_ <= size;
  };
  // A read the disk refuses is reported; only what the file holds decides
  // that the list is broken.
  auto read12 = [&](std::int64_t at, std::uint8_t* into) {
    const std::int64_t got = file_.ReadAt(static_cast<std::uint64_t>(at), into, 12);
    if (got < 0) throw EDBError::FromSystem(platform::LastError());
    return got == 12;
  };
  if (!usable(h) || !read12(h, head) || (GetU32(head) & kRecInUse) != 0) return drop();
  const std::int64_t next = GetU32(head);
  const std::uint32_t run = GetU32(head + 4);
  if (next != 0 && !usable(next)) return drop();
  if (run > 1 && next != 0) {
    std::uint8_t following[12];
    if (!read12(next, following) || (GetU32(following) & kRecInUse) != 0) return drop();
    PutU32(following + 4, run - 1);
    std::memcpy(following + 8, head + 8, 4);
    WriteExact(next, following, 12);
  }
  PutU32(&desc_[kDescFreeHead], static_cast<std::uint32_t>(next));
  const std::uint32_t freeCount = GetU32(&desc_[kDescFreeCount]);
  PutU32(&desc_[kDescFreeCount], freeCount > 0 ? freeCount - 1 : 0);
  descChanged_ = true;
  return h;
}

std::int64_t TNewTextLinWarstwaFile::PlaceRecord(std::uint8_t* f) {
  RequireSlots();
  // A record that cannot be written gives its free slot back to the list.
  std::uint8_t freeHead[4], freeCount[4];
  std::memcpy(freeHead, &desc_[kDescFreeHead], 4);
  std::memcpy(freeCount, &desc_[kDescFreeCount], 4);
  std::int64_t a = TakeFreeRecord();
  const bool fromList = a != 0;
  if (a == 0) {
    // The end of the file is the end of the last used slot of the last packet.
    const int packets = GetU16(&desc_[kDescPackets]);
    if (packets == 0) {
      a = DataStart(slots_);
    } else {
      const std::int64_t last = DataStart(slots_) + (packets - 1) * PacketSize(recSize_);
      PacketHeader p;
      if (write_ && write_->start == last) p = write_->header;
      else if (!ReadPacketHeader(file_, last, p)) throw EDBError(kBadFileStructure);
      a = p.Full() ? last + PacketSize(recSize_) : last + kPacketOverhead + p.count * recSize_;
      // A last packet read from the file must end the file (a held write
      // packet was checked when it was taken).
      if (!p.Full() && !(write_ && write_->start == last) && file_.Size() != a)
        throw EDBError(kBadFileStructure);
    }
  }
  const std::int64_t n = RecordNumberAt(a, slots_, recSize_);
  a = Address(n);
  if (a + recSize_ > kMaxFileSize) throw EDBError(kBadFileStructure);
  try {
    WriteRecordAt(a, n, f);
  } catch (...) {
    if (fromList) {
      std::memcpy(&desc_[kDescFreeHead], freeHead, 4);
      std::memcpy(&desc_[kDescFreeCount], freeCount, 4);
    }
    throw;
  }
  const int sub = f[kRecSublayerByte];
  if (GetU32(f) & kRecArchivedBit) {
    CountArchived(sub, 1);
  } else {
    PutU32(&desc_[kDescAdded], GetU32(&desc_[kDescAdded]) + 1);
    descChanged_ = true;
    CountLive(sub, 1);
  }
  return n;
}

std::int64_t TNewTextLinWarstwaFile::AddRecord(const ObjectSaveRecord& rec) {
  RequireWritable();
  EndScan();
  std::vector<std::uint8_t> f(static_cast<std::size_t>(recSize_), 0);
  lastCut_ = EncodeRecord(rec, f.data());
  const std::uint16_t user = base_ ? base_->UserNumber() : 0;
  const std::uint32_t now = NowStamp();
  PutU16(&f[kRecCreator], user);
  PutU16(&f[kRecModifier], user);
  PutU32(&f[kRecCreated], now);
  PutU32(&f[kRecModified], now);
  return PlaceRecord(f.data());
}

int TNewTextLinWarstwaFile::WriteRecord(std::int64_t n, const ObjectSaveRecord& rec) {
  RequireWritable();
  EndScan();
  std::vector<std::uint8_t> old(static_cast<std::size_t>(recSize_));
  ReadStored(n, old.data(), ShortReadMessage(), FreeSlotMessage());
  const std::int64_t a = Address(n);
  const std::uint16_t user = base_ ? base_->UserNumber() : 0;
  const std::uint32_t now = NowStamp();
  std::vector<std::uint8_t> f(static_cast<std::size_t>(recSize_), 0);
  lastCut_ = EncodeRecord(rec, f.data());
  const bool oldLive = (GetU32(old.data()) & kRecArchivedBit) == 0;
  const int oldSub = old[kRecSublayerByte];
  std::memcpy(&f[kRecCreator], &old[kRecCreator], 2);
  std::memcpy(&f[kRecCreated], &old[kRecCreated], 4);
  PutU16(&f[kRecModifier], user);
  PutU32(&f[kRecModified], now);
  PutU16(&old[kRecModifier], user);
  PutU32(&old[kRecModified], now);
  PutU32(old.data(), GetU32(old.data()) | kRecArchivedBit);
  PlaceRecord(old.data());
  WriteRecordAt(a, n, f.data());
  // The counters follow what the file holds. The live record may now
  // belong to another sublayer: its live count moves, so that a sublayer
  // that received a record is never taken for empty (DeleteLastPodwarstwa
  // would drop it, and its records would read as sublayer 0 and come back
  // in the next sublayer of that number). A rewritten archived record is
  // live again: its count moves from the archived ones of its old sublayer
  // to the live ones of its new one.
  if (!oldLive) {
    CountArchived(oldSub, -1);
    CountLive(f[kRecSublayerByte], 1);
  } else if (oldSub != f[kRecSublayerByte]) {
    CountLive(oldSub, -1);
    CountLive(f[kRecSublayerByte], 1);
  }
  return static_cast<int>(recSize_);
}

void TNewTextLinWarstwaFile::MoveToArch(std::int64_t n, std::uint32_t ident) {
  RequireWritable();
  EndScan();
  std::vector<std::uint8_t> f(static_cast<std::size_t>(recSize_));
  ReadStored(n, f.data(), ShortReadMessage(), FreeSlotMessage());
  const bool wasLive = (GetU32(f.data()) & kRecArchivedBit) == 0;
  PutU16(&f[kRecModifier], base_ ? base_->UserNumber() : 0);
  PutU32(&f[kRecModified], NowStamp());
  PutU32(f.data(), GetU32(f.data()) | kRecArchivedBit);
  SetArchiveIdent(f.data(), ident);
  WriteRecordAt(Address(n), n, f.data());
  if (wasLive) {
    CountLive(f[kRecSublayerByte], -1);
    CountArchived(f[kRecSublayerByte], 1);
  }
}

void TNewTextLinWarstwaFile::GetUserIDs(std::int64_t n, TUserIDs& ids) {
  RequireOpen();
  EndScan();
  RequireSlots();
  std::uint8_t b[12];
  const std::int64_t a = n >= 1 && n <= kMaxFileSize / recSize_ ? Address(n) : -1;
  if (a < 0 || a > kMaxFileSize) throw EDBError(kBadFileStructure);
  ReadExact(a + 4, b, 12);
  ids.Creator = GetU16(b);
  ids.Modifier = GetU16(b + 2);
  ids.Created = GetU32(b + 4);
  ids.Modified = GetU32(b + 8);
}

void TNewTextLinWarstwaFile::ReadPodwarstwaHeader(TWarstwaHeader& h, int i) {
  RequireOpen();
  EndScan();
  if (i < 0 || i >= slots_)
    throw EDBWarstwaInvalidHIdx("Numer podwarstwy większy od maksymalnej liczby podwarstw");
  SublayerHeader s = DefaultSublayerHeader();
  if (i <= desc_[kDescHighest]) {
    if (ReadSizedBlock(file_, SlotOffset(i), s.data(), s.size()) < 0)
      throw EDBError(kBadFileStructure);
    CheckSublayerHeader(s);
  }
  // The counts as the stored header holds them: the counters kept in
  // memory reach the file at Close.
  h.Type = GetU32(&s[kSubType]);
  h.Live = GetI32(&s[kSubLive]);
  h.Archived = GetI32(&s[kSubArchived]);
  h.Colour = GetU32(&s[kSubColour]);
  h.PrintColour = GetU32(&s[kSubPrintColour]);
  h.Threshold = GetF64(&s[kSubThreshold]);
  h.ShortName = platform::Cp1250ToUtf8(GetShortString(&s[kSubShortName], 13));
  h.FullName = platform::Cp1250ToUtf8(GetShortString(&s[kSubFullName], 79));
  h.LineWidth = GetF32(&s[kSubWidth]);
  ReadParamBlock(h, i);
}

void TNewTextLinWarstwaFile::WritePodwarstwaHeader(const TWarstwaHeader& h, int i) {
  RequireWritable();
  EndScan();
  const int highest = desc_[kDescHighest];
  if (i < 0 || i >= slots_ || i > highest + 1) throw EDBError("Błędny numer podwarstwy");
  SublayerHeader s = DefaultSublayerHeader();
  if (i <= highest) {
    if (ReadSizedBlock(file_, SlotOffset(i), s.data(), s.size()) < 0)
      throw EDBError(kBadFileStructure);
  } else {
    desc_[kDescHighest] = static_cast<std::uint8_t>(i);
    descChanged_ = true;
    counters_.emplace_back(0, 0);
  }
  PutU32(&s[kSubType], h.Type);
  PutU32(&s[kSubColour], h.Colour);
  PutU32(&s[kSubPrintColour], h.PrintColour);
  PutF64(&s[kSubThreshold], h.Threshold);
  PutShortString(&s[kSubShortName], 13, platform::Utf8ToCp1250(h.ShortName));
  PutShortString(&s[kSubFullName], 79, platform::Utf8ToCp1250(h.FullName));
  PutF32(&s[kSubWidth], h.LineWidth);
  RepairSublayerHeader(s);
  if (i <= highest) KeepStoredCounters(s, i);
  WriteExact(SlotOffset(i), s.data(), s.size());
  WriteParamBlock(h, i);
}

void TNewTextLinWarstwaFile::ReadWarstwaHeader(TMainWarstwaHeader& h) {
  RequireOpen();
  h.Kind = GetU32(&desc_[kDescKind]);
  h.Description = platform::Cp1250ToUtf8(GetShortString(&desc_[kDescText], 79));
  h.Highest = desc_[kDescHighest];
  h.Slots = desc_[kDescSlots];
  h.Reserved = desc_[kDescReserved];
}

void TNewTextLinWarstwaFile::WriteWarstwaHeader(const TMainWarstwaHeader& h) {
  RequireWritable();
  PutShortString(&desc_[kDescText], 79, platform::Utf8ToCp1250(h.Description));
  desc_[kDescReserved] = h.Reserved;
  descChanged_ = true;
}

void TNewTextLinWarstwaFile::CreateFile(const std::string& directory, const TMainWarstwaHeader& h,
                                        const std::string& fileName, int kind) {
  if (h.Slots > kMaxSlots) {
    char text[128];
    std::snprintf(text, sizeof text, "Liczba podwarstw (%d) większa od maksymalnej (%d)",
                  static_cast<int>(h.Slots), kMaxSlots);
    throw EDBWarstwaCreate(text, 2);
  }
  std::string dir = directory;
  if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += '/';
  if (!dir.empty() && !platform::DirectoryExists(dir) && !platform::ForceDirectories(dir))
    throw EDBWarstwaCreate("Nie można utworzyć pliku " + dir + fileName,
                           static_cast<int>(platform::LastError()));
  const std::string path = dir + fileName;
  if (platform::FileExists(path) || platform::DirectoryExists(path))
    throw EDBWarstwaExist("Warstwa " + fileName + " istnieje", 1);
  platform::File f = FileOpener().FileCreate(path);
  if (!f.IsOpen())
    throw EDBWarstwaCreate("Nie można utworzyć pliku " + path,
                           static_cast<int>(platform::LastError()));
  const int slots = std::max<int>(h.Slots, kMinSlots);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(DataStart(slots)), 0);
  std::memcpy(bytes.data(), kMagic, 4);
  PutU16(&bytes[4], kMagicWord);
  Descriptor d = DefaultDescriptor();
  PutU32(&d[kDescKind], h.Kind & kKindMask);
  PutShortString(&d[kDescText], 79, platform::Utf8ToCp1250(h.Description));
  d[kDescSlots] = static_cast<std::uint8_t>(slots);
  std::memcpy(&bytes[kDescriptorOffset], d.data(), d.size());
  SublayerHeader s = DefaultSublayerHeader();
  PutU32(&s[kSubType], (GetU32(&s[kSubType]) & ~0x3u) | static_cast<std::uint32_t>(kind));
  std::memcpy(&bytes[SlotOffset(0)], s.data(), s.size());
  if (kind == kKindText) {
    const TextBlock b = DefaultTextBlock();
    std::memcpy(&bytes[SlotOffset(0) + kParamBlockOffset], b.data(), b.size());
  } else {
    const LineBlock b = DefaultLineBlock();
    std::memcpy(&bytes[SlotOffset(0) + kParamBlockOffset], b.data(), b.size());
  }
  const bool written = f.WriteAt(0, bytes.data(), bytes.size()) ==
                       static_cast<std::int64_t>(bytes.size());
  const std::uint32_t code = platform::LastError();
  const bool closed = f.Close();
  if (!written || !closed) {
    platform::DeleteFile(path);
    throw EDBWarstwaCreate("Nie można utworzyć pliku " + path, static_cast<int>(code));
  }
}

void TNewTextLinWarstwaFile::KeepStoredCounters(SublayerHeader& s, int i) {
  // A header rewritten keeps the counts the file holds; the counters kept
  // in memory follow at Close. They are taken from their bytes, as Open
  // takes them: a header whose stored length is too short to hold them
  // reads them as 0, and writing those zeros would lose the counts.
  ReadExact(SlotOffset(i) + kCountersOffset, &s[kSubLive], 8);
}

void TNewTextLinWarstwaFile::CountRecord(const std::uint8_t* f) {
  const std::uint32_t state = GetU32(f);
  if ((state & kRecInUse) == 0) return;
  const int sub = f[kRecSublayerByte];
  if (sub > desc_[kDescHighest]) return;
  if (state & kRecArchivedBit) CountArchived(sub, 1);
  else CountLive(sub, 1);
}

std::size_t TNewTextLinWarstwaFile::UsedSlots(std::span<const std::uint8_t> records,
                                              const PacketHeader& p) const {
  const std::size_t read = records.size() / static_cast<std::size_t>(recSize_);
  return std::min(read, static_cast<std::size_t>(p.Used()));
}

void TNewTextLinWarstwaFile::FixHeader() {
  RequireWritable();
  EndScan();
  if (desc_[kDescSlots] == 0) {
    const std::int64_t size = file_.Size();
    if (size < 0) throw EDBError::FromSystem(platform::LastError());
    const int slots = static_cast<int>(std::min<std::int64_t>((size - kHeaderSize) / kSlotSize, kMinSlots));
    // The count is taken only when the packets lie where it puts them: a
    // wrong count would send every record write elsewhere.
    const int packets = GetU16(&desc_[kDescPackets]);
    bool fits = slots == kMinSlots;
    if (fits && packets == 0) {
      fits = size == DataStart(slots);
    } else if (fits) {
      const std::int64_t last = DataStart(slots) + (packets - 1) * PacketSize(recSize_);
      const std::int64_t records = size - last - kPacketOverhead;
      fits = records >= 0 && records <= kRecordsPerPacket * recSize_ && records % recSize_ == 0;
    }
    if (!fits) throw EDBError(kBadFileStructure);
    desc_[kDescSlots] = static_cast<std::uint8_t>(slots);
    slots_ = slots;
    descChanged_ = true;
  }
  for (int i = 0; i <= desc_[kDescHighest]; ++i) {
    SublayerHeader s = DefaultSublayerHeader();
    if (ReadSizedBlock(file_, SlotOffset(i), s.data(), s.size()) < 0)
      throw EDBError(kBadFileStructure);
    if (!RepairSublayerHeader(s)) continue;
    KeepStoredCounters(s, i);
    WriteExact(SlotOffset(i), s.data(), s.size());
  }
}
