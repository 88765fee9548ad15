// Whole-file maintenance of a layer file: the index rebuild, the purge of
// old archived states with the rebuild of the free list, more sublayer
// slots, moving, emptying and removing sublayers, emptying the layer and
// transforming its coordinates in place or into an exported copy.
//
// A file is read as hostile: packet counts come from the descriptor and are
// bounded by it, every packet must lie below the 2 GiB limit of 32-bit
// offsets, and record areas are read up to the packet's used slots or the
// end of the file, whichever comes first.
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "foundation/errors.h"
#include "foundation/storage/bytes.h"
#include "foundation/storage/fileopener.h"
#include "foundation/text/datetime.h"
#include "layers/store/bazai.h"
#include "layers/store/dberrors.h"
#include "layers/store/layerfile.h"

using namespace layerfmt;

namespace {

constexpr double kNoExtent = 1.7e308;

template <class F>
class ScopeExit {
public:
  explicit ScopeExit(F f) : f_(std::move(f)) {}
  ~ScopeExit() {
    if (active_) f_();
  }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  void Release() { active_ = false; }

private:
  F f_;
  bool active_ = true;
};

[[noreturn]] void RaiseFileError(const char* format, const std::string& path, std::uint32_t code) {
  throw EDBWarstwaError(FormatMessage(format, path.c_str()), static_cast<int>(code));
}

std::string WithSlash(std::string dir) {
  if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += '/';
  return dir;
}

bool InUse(const std::uint8_t* f) { return (GetU32(f) & kRecInUse) != 0; }
bool Archived(const std::uint8_t* f) { return (GetU32(f) & kRecArchivedBit) != 0; }

// Removes a file this operation made and failed to finish; the failure that
// got here is what the caller reports.
void Discard(const std::string& path) { FileOpener().DeleteFile(path); }

}  // namespace

// ---- helpers ----

bool TNewTextLinWarstwaFile::OpenExclusive(bool write) {
  platform::File f =
      FileOpener().FileOpen(Path(), (write ? fmOpenReadWrite : fmOpenRead) | fmShareExclusive);
  if (!f.IsOpen()) return false;
  EndScan();
  file_ = std::move(f);
  open_ = true;
  readOnly_ = !write;
  lockState_ = 0;
  descChanged_ = countersChanged_ = false;
  return true;
}

void TNewTextLinWarstwaFile::EndMaintenance(bool report) {
  std::string failure;
  int code = 0;
  try {
    ReleaseLock();
  } catch (const EDBError& e) {
    failure = e.Message();
    code = e.Code;
  }
  if (file_.IsOpen() && !file_.Close() && failure.empty()) {
    code = static_cast<int>(platform::LastError());
    failure = platform::ErrorText(platform::LastError());
  }
  EndScan();
  open_ = readOnly_ = false;
  indexInUse_ = false;
  descChanged_ = countersChanged_ = false;
  counters_.clear();
  if (report && !failure.empty()) throw EDBError(failure, code);
}

void TNewTextLinWarstwaFile::WriteMaintDescriptor() {
  if (GetU16(&desc_[kDescLength]) < kDescriptorSize) PutU16(&desc_[kDescLength], kDescriptorSize);
  WriteExact(kDescriptorOffset, desc_.data(), desc_.size());
}

std::int64_t TNewTextLinWarstwaFile::MaintPacketStart(int packet) const {
  RequireSlots();
  const std::int64_t start = DataStart(slots_) + packet * PacketSize(recSize_);
  if (start + kPacketOverhead > kMaxFileSize) throw EDBError(kBadFileStructure);
  return start;
}

std::size_t TNewTextLinWarstwaFile::ReadRecordArea(std::int64_t start, std::int64_t slots,
                                                   std::vector<std::uint8_t>& area) {
  area.resize(static_cast<std::size_t>(kRecordsPerPacket * recSize_));
  slots = std::clamp<std::int64_t>(slots, 0, kRecordsPerPacket);
  const std::size_t size = static_cast<std::size_t>(slots * recSize_);
  if (size == 0) return 0;
  const std::int64_t got =
      file_.ReadAt(static_cast<std::uint64_t>(start + kPacketOverhead), area.data(), size);
  // A short read is the end of the file; anything else is a failure.
  if (got < 0 || (got < static_cast<std::int64_t>(size) &&
                  platform::LastError() != platform::kErrorHandleEof))
    throw EDBError::FromSystem(platform::LastError());
  return static_cast<std::size_t>(got / recSize_);
}

void TNewTextLinWarstwaFile::WriteRecordArea(std::int64_t start, const std::vector<std::uint8_t>& area,
                                             std::size_t slots) {
  if (slots) WriteExact(start + kPacketOverhead, area.data(), slots * static_cast<std::size_t>(recSize_));
}

// Offers every used slot of every packet to change(f) in file order; a
// packet where change answered true for a slot is written back. True when
// anything changed.
template <class Change>
bool TNewTextLinWarstwaFile::ChangeRecords(Change change) {
  const int packets = GetU16(&desc_[kDescPackets]);
  std::vector<std::uint8_t> area;
  bool any = false;
  for (int p = 0; p < packets; ++p) {
    const std::int64_t start = MaintPacketStart(p);
    PacketHeader h;
    if (!ReadPacketHeader(file_, start, h)) throw EDBError(kBadFileStructure);
    const std::size_t n = ReadRecordArea(start, h.Used(), area);
    bool changed = false;
    for (std::size_t i = 0; i < n; ++i)
      if (change(&area[i * static_cast<std::size_t>(recSize_)])) changed = true;
    if (changed) WriteRecordArea(start, area, n);
    any = any || changed;
  }
  return any;
}

std::string TNewTextLinWarstwaFile::TempPath() const {
  return directory_ + fileName_.substr(0, std::min<std::size_t>(fileName_.size(), 11)) + "~";
}

// ---- the index rebuild ----

void TNewTextLinWarstwaFile::UpdateIndex(ICancelCheck* cancel) {
  if (open_) throw EAccessError("");
  if (!OpenExclusive(true)) throw EDBError("", static_cast<int>(platform::LastError()));
  ScopeExit cleanup([this] { EndMaintenance(false); });
  ReadDescriptor();
  LockWait(true);
  ReadDescriptor();
  counters_.assign(static_cast<std::size_t>(desc_[kDescHighest]) + 1, {0, 0});

  const std::int64_t fileSize = file_.Size();
  if (fileSize < 0) throw EDBError::FromSystem(platform::LastError());
  const int packets = GetU16(&desc_[kDescPackets]);
  std::vector<std::uint8_t> area;
  std::vector<std::uint32_t> cells(static_cast<std::size_t>(kRecordsPerPacket));
  std::vector<std::uint8_t> cellBytes(static_cast<std::size_t>(kCellTableSize));
  for (int p = 0; p < packets; ++p) {
    if (cancel) cancel->CheckCanceled();
    const std::int64_t start = MaintPacketStart(p);
    // The header and the cell table are rewritten in place: they must be
    // in the file.
    if (start + kPacketOverhead > fileSize) throw EDBError(kBadFileStructure);
    std::array<std::uint8_t, kPacketHeaderSize> raw{};
    if (ReadSizedBlock(file_, start, raw.data(), raw.size()) < 0) throw EDBError(kBadFileStructure);
    PacketHeader h;
    h.count = GetU16(&raw[2]);
    h.flags = GetU32(&raw[4]);
    if (h.flags & kPacketFull) h.count = static_cast<std::uint16_t>(kRecordsPerPacket);
    if (h.count >= kRecordsPerPacket) {
      h.count = static_cast<std::uint16_t>(kRecordsPerPacket);
      h.flags |= kPacketFull;
    }
    const std::size_t n = ReadRecordArea(start, kRecordsPerPacket, area);
    const std::span<const std::uint8_t> records(area.data(), n * static_cast<std::size_t>(recSize_));
    // The old flags stay but for bit 2 (found again below) and bit 3 (set
    // until a live record clears it); bit 0 follows with the cells.
    h.flags = (h.flags & ~kPacketZeroCell) | kPacketNoLive;
    h.x0 = h.y0 = kNoExtent;
    TRealPoint max{-kNoExtent, -kNoExtent};
    AddToExtent(records, h, max);
    if (h.flags & kPacketNoLive) {
      h.x0 = h.y0 = 0;
      h.dx = h.dy = 0.1;
    } else {
      h.dx = max.X - h.x0;
      h.dy = max.Y - h.y0;
      if (h.dx == 0) h.dx = 0.01;
      if (h.dy == 0) h.dy = 0.01;
    }
    std::fill(cells.begin(), cells.end(), 0u);
    FillCells(records, cells, h);
    h.flags |= kPacketCells;
    const auto header = EncodePacketHeader(h);
    WriteExact(start, header.data(), header.size());
    for (std::size_t i = 0; i < h.count; ++i) PutU32(&cellBytes[i * 4], cells[i]);
    if (h.count) WriteExact(start + kPacketHeaderSlot, cellBytes.data(), h.count * std::size_t{4});
  }
  PutU32(&desc_[kDescKind], GetU32(&desc_[kDescKind]) | kKindIndexValid);
  PutU32(&desc_[kDescAdded], 0);
  WriteMaintDescriptor();
  for (std::size_t i = 0; i < counters_.size(); ++i) {
    std::uint8_t c[8];
    PutI32(c, counters_[i].first);
    PutI32(c + 4, counters_[i].second);
    WriteExact(SlotOffset(static_cast<int>(i)) + kCountersOffset, c, 8);
  }
  cleanup.Release();
  EndMaintenance(true);
}

// ---- the purge of old archived states and the free list ----

void TNewTextLinWarstwaFile::DeleteOldArch(std::uint32_t date, ICancelCheck*) {
  RequireWritable();
  EndScan();
  FreeWritePacket();
  const std::size_t R = static_cast<std::size_t>(recSize_);
  const int packets = GetU16(&desc_[kDescPackets]);
  std::uint32_t head = 0, freeCount = 0;
  std::int64_t pending = 0;  // the last free slot of an earlier packet
  std::vector<std::uint8_t> area;
  for (int p = 0; p < packets; ++p) {
    const std::int64_t start = MaintPacketStart(p);
    PacketHeader h;
    if (!ReadPacketHeader(file_, start, h)) throw EDBError(kBadFileStructure);
    const std::size_t n = ReadRecordArea(start, h.Used(), area);
    auto address = [&](std::size_t i) {
      return static_cast<std::uint32_t>(start + kPacketOverhead + static_cast<std::int64_t>(i * R));
    };
    std::int64_t runStart = -1, previous = -1;
    auto closeRun = [&] {
      if (runStart < 0 || previous - runStart < 1) return;
      std::uint8_t* first = &area[static_cast<std::size_t>(runStart) * R];
      PutU32(first + 4, static_cast<std::uint32_t>(previous - runStart + 1));
      PutU32(first + 8, address(static_cast<std::size_t>(previous)));
    };
    for (std::size_t i = 0; i < n; ++i) {
      std::uint8_t* f = &area[i * R];
      if (InUse(f) && (!Archived(f) || ComparePackedDateTime(GetU32(f + kRecModified), date) >= 0))
        continue;
      if (InUse(f)) CountArchived(f[kRecSublayerByte], -1);
      const std::uint32_t a = address(i);
      if (head == 0) {
        head = a;
      } else if (previous < 0) {
        std::uint8_t link[4];
        PutU32(link, a);
        WriteExact(pending, link, sizeof link);
      } else {
        PutU32(&area[static_cast<std::size_t>(previous) * R], a);
      }
      if (previous < 0 || static_cast<std::size_t>(previous) + 1 != i) {
        closeRun();
        runStart = static_cast<std::int64_t>(i);
      }
      std::memset(f, 0, R);
      PutU32(f + 4, 1);
      previous = static_cast<std::int64_t>(i);
      ++freeCount;
    }
    closeRun();
    if (previous >= 0) {
      pending = address(static_cast<std::size_t>(previous));
      WriteRecordArea(start, area, n);
    }
  }
  PutU32(&desc_[kDescFreeHead], head);
  PutU32(&desc_[kDescFreeCount], freeCount);
  descChanged_ = true;
}

// ---- sublayers ----

void TNewTextLinWarstwaFile::MovePodwarstwa(int source, int target) {
  RequireWritable();
  const int highest = desc_[kDescHighest];
  if (source < 0 || target < 0 || source > highest || target > highest)
    throw EDBWarstwaError("Błędny numer podwarstwy");
  if (source == target) return;
  EndScan();
  FreeWritePacket();
  ChangeRecords([&](std::uint8_t* f) {
    if (!InUse(f) || f[kRecSublayerByte] != source) return false;
    f[kRecSublayerByte] = static_cast<std::uint8_t>(target);
    if (Archived(f)) {
      CountArchived(source, -1);
      CountArchived(target, 1);
    } else {
      CountLive(source, -1);
      CountLive(target, 1);
    }
    return true;
  });
}

void TNewTextLinWarstwaFile::DeleteLastPodwarstwa() {
  RequireWritable();
  const int highest = desc_[kDescHighest];
  if (highest == 0) throw EDBWarstwaError("Próba usunięcia zerowej podwarstwy");
  const auto [live, archived] = Counters(highest);
  if (live != 0 || archived != 0) throw EDBWarstwaError("Próba usunięcia niepustej podwarstwy");
  desc_[kDescHighest] = static_cast<std::uint8_t>(highest - 1);
  descChanged_ = true;
  if (static_cast<int>(counters_.size()) > highest) counters_.resize(static_cast<std::size_t>(highest));
}

void TNewTextLinWarstwaFile::CleanPodwarstwa(int sublayer) {
  RequireWritable();
  if (sublayer < 0 || sublayer > desc_[kDescHighest]) throw EDBWarstwaError("Błędny numer podwarstwy");
  EndScan();
  FreeWritePacket();
  const bool freed = ChangeRecords([&](std::uint8_t* f) {
    if (!InUse(f) || f[kRecSublayerByte] != sublayer) return false;
    PutU32(f, 0);
    return true;
  });
  if (!freed) return;
  if (sublayer < static_cast<int>(counters_.size())) counters_[static_cast<std::size_t>(sublayer)] = {0, 0};
  countersChanged_ = true;
  // The freed records' cells are stale until the index is rebuilt.
  PutU32(&desc_[kDescKind], GetU32(&desc_[kDescKind]) & ~kKindIndexValid);
  indexInUse_ = false;
  descChanged_ = true;
  DeleteOldArch(0);
}

// ---- emptying the layer ----

void TNewTextLinWarstwaFile::CleanWarstwa(const std::string& backupDirectory) {
  if (base_ && base_->IsReadOnly()) throw EAccessViolation("Warstwa tylko do odczytu");
  if (open_) throw EInternalError("Warstwa otwarta");
  const std::string path = Path();
  // No byte lock: the exclusive sharing keeps every other opener out.
  if (!OpenExclusive(true)) RaiseFileError("Nie można otworzyć pliku %s", path, platform::LastError());
  ScopeExit cleanup([this] { EndMaintenance(false); });
  ReadDescriptor();

  // With a backup folder the old file goes there whole first; a backup
  // already there is never replaced.
  std::string backup;
  if (!backupDirectory.empty()) {
    backup = WithSlash(backupDirectory) + fileName_;
    if (FileOpener().FileExists(backup))
      RaiseFileError("Nie można utworzyć kopii %s", backup, platform::kErrorAlreadyExists);
    const std::int64_t size = file_.Size();
    if (size < 0) throw EDBError::FromSystem(platform::LastError());
    platform::File copy = FileOpener().FileCreate(backup);
    if (!copy.IsOpen()) RaiseFileError("Nie można utworzyć kopii %s", backup, platform::LastError());
    const bool copied =
        platform::CopyFileBlocks(file_, 0, copy, 0, static_cast<std::uint64_t>(size)) && copy.Flush();
    const std::uint32_t code = platform::LastError();
    const bool closed = copy.Close();
    if (!copied || !closed) {
      const std::uint32_t reported = copied ? platform::LastError() : code;
      Discard(backup);
      RaiseFileError("Nie można utworzyć kopii %s", backup, reported);
    }
  }

  // The emptied layer: the header block and the slots with no packets, no
  // free list, no added records and zero counters. It is written beside the
  // layer and renamed over it, so a failure at any point leaves the layer
  // file whole (and removes a backup made for nothing).
  std::vector<std::uint8_t> blocks(static_cast<std::size_t>(DataStart(slots_)));
  ReadExact(0, blocks.data(), blocks.size());
  PutU16(&blocks[kDescriptorOffset + kDescPackets], 0);
  PutU32(&blocks[kDescriptorOffset + kDescFreeHead], 0);
  PutU32(&blocks[kDescriptorOffset + kDescFreeCount], 0);
  PutU32(&blocks[kDescriptorOffset + kDescAdded], 0);
  // Without a backup the counters of the sublayers in use (0 to the
  // highest) are cleared and a slot above keeps its bytes (a sublayer taken
  // again gets a fresh header); with a backup those of every slot.
  const int cleared = backupDirectory.empty() ? desc_[kDescHighest] + 1 : slots_;
  for (int i = 0; i < cleared; ++i)
    std::memset(&blocks[static_cast<std::size_t>(SlotOffset(i) + kCountersOffset)], 0, 8);
  const std::string temp = TempPath();
  auto failNew = [&](std::uint32_t code) {
    Discard(temp);
    if (!backup.empty()) Discard(backup);
    RaiseFileError("Nie można utworzyć pliku %s", path, code);
  };
  {
    platform::File fresh = FileOpener().FileCreate(temp);
    if (!fresh.IsOpen()) failNew(platform::LastError());
    const bool written = fresh.WriteAt(0, blocks.data(), blocks.size()) ==
                             static_cast<std::int64_t>(blocks.size()) &&
                         fresh.Flush();
    const std::uint32_t code = platform::LastError();
    const bool closed = fresh.Close();
    if (!written || !closed) failNew(written ? platform::LastError() : code);
  }
  // Renamed while the old file is still held exclusively: no one can open
  // the layer between the copy and its replacement.
  if (!FileOpener().RenameFile(temp, path)) failNew(platform::LastError());
  // The handle left belongs to the replaced file; releasing it cannot lose
  // anything.
  cleanup.Release();
  EndMaintenance(false);
}

// ---- more sublayer slots ----

void TNewTextLinWarstwaFile::AddPodwarstwaHeaderSpace(int count) {
  if (base_ && base_->IsReadOnly()) throw EAccessViolation("Warstwa tylko do odczytu");
  if (open_) throw EInternalError("Warstwa otwarta");
  if (count < 0)
    throw EDBWarstwaError(FormatMessage("Błędna liczba dodawanych podwarstw (%d)", count));
  const std::string path = Path();
  if (!OpenExclusive(true)) RaiseFileError("Nie można otworzyć pliku %s", path, platform::LastError());
  ScopeExit cleanup([this] { EndMaintenance(false); });
  LockWait(true);
  ReadDescriptor();
  std::vector<std::uint8_t> header(static_cast<std::size_t>(kHeaderSize));
  ReadExact(0, header.data(), header.size());
  const int oldSlots = slots_;
  const int newSlots = oldSlots + count;
  if (newSlots > kMaxSlots)
    throw EDBWarstwaError(FormatMessage("Liczba podwarstw (%d) większa od maksymalnej (%d)", newSlots,
                                        kMaxSlots),
                          2);
  const std::int64_t size = file_.Size();
  if (size < DataStart(oldSlots)) throw EDBError(kBadFileStructure);
  if (size + count * kSlotSize > kMaxFileSize) throw EDBError(kBadFileStructure);

  const std::string temp = TempPath();
  platform::File out = FileOpener().FileCreate(temp);
  if (!out.IsOpen())
    RaiseFileError("Nie można utworzyć tymczasowego pliku %s", temp, platform::LastError());
  header[kDescriptorOffset + kDescSlots] = static_cast<std::uint8_t>(newSlots);
  // Every record moves: the old free list would point into the middle of
  // records. The copy starts with an empty one, rebuilt below.
  PutU32(&header[kDescriptorOffset + kDescFreeHead], 0);
  PutU32(&header[kDescriptorOffset + kDescFreeCount], 0);
  const std::vector<std::uint8_t> zeros(static_cast<std::size_t>(count * kSlotSize), 0);
  const auto oldData = static_cast<std::uint64_t>(DataStart(oldSlots));
  const auto newData = static_cast<std::uint64_t>(DataStart(newSlots));
  const bool copied =
      out.WriteAt(0, header.data(), header.size()) == static_cast<std::int64_t>(header.size()) &&
      platform::CopyFileBlocks(file_, kHeaderSize, out, kHeaderSize, oldData - kHeaderSize) &&
      (zeros.empty() ||
       out.WriteAt(oldData, zeros.data(), zeros.size()) == static_cast<std::int64_t>(zeros.size())) &&
      platform::CopyFileBlocks(file_, oldData, out, newData, static_cast<std::uint64_t>(size) - oldData) &&
      out.Flush();
  const std::uint32_t copyCode = platform::LastError();
  const bool closed = out.Close();
  if (!copied || !closed) {
    const std::uint32_t code = copied ? platform::LastError() : copyCode;
    Discard(temp);
    throw EDBWarstwaError(
        FormatMessage("Nie można skopiować pliku %s do pliku tymczasowego %s: %s", path.c_str(),
                      temp.c_str(), platform::ErrorText(code).c_str()),
        static_cast<int>(code));
  }
  // The copy's free list is rebuilt for the new offsets before it takes the
  // layer's place, so that nothing can fail once the layer is replaced.
  try {
    std::unique_ptr<TNewTextLinWarstwaFile> copy = CreateSame(directory_, temp.substr(directory_.size()));
    copy->SetLockWait(lockWait_);
    std::uint8_t mode = kOpenWrite;
    if (const int rc = copy->Open(mode); rc != kDBOk) CheckDBResult(rc);
    try {
      copy->DeleteOldArch(0);
    } catch (...) {
      try {
        copy->Close();
      } catch (const EDBError&) {
        // The first failure is the one reported.
      }
      throw;
    }
    copy->Close();
  } catch (...) {
    Discard(temp);
    throw;
  }
  // The copy takes the layer's place in one step, while the layer is still
  // held exclusively; a failed rename leaves the layer as it was.
  if (!FileOpener().RenameFile(temp, path)) {
    const std::uint32_t code = platform::LastError();
    Discard(temp);
    throw EDBWarstwaError(FormatMessage("Nie można zastąpić pliku %s plikiem tymczasowym %s: %s",
                                        path.c_str(), temp.c_str(), platform::ErrorText(code).c_str()),
                          static_cast<int>(code));
  }
  // The handle left belongs to the replaced file; releasing it cannot lose
  // anything.
  cleanup.Release();
  EndMaintenance(false);
}

// ---- transformation ----

void TNewTextLinWarstwaFile::TransformInPlace(const TAffineMatrix& m, ICancelCheck* cancel) {
  const std::string path = Path();
  if (!OpenExclusive(true)) RaiseFileError("Nie można otworzyć pliku %s", path, platform::LastError());
  {
    ScopeExit cleanup([this] { EndMaintenance(false); });
    LockWait(true);
    ReadDescriptor();
    const int packets = GetU16(&desc_[kDescPackets]);
    std::vector<std::uint8_t> area;
    const std::size_t R = static_cast<std::size_t>(recSize_);
    for (int p = 0; p < packets; ++p) {
      const std::int64_t start = MaintPacketStart(p);
      std::array<std::uint8_t, kPacketHeaderSize> raw{};
      if (ReadSizedBlock(file_, start, raw.data(), raw.size()) < 0) throw EDBError(kBadFileStructure);
      std::uint16_t count = GetU16(&raw[2]);
      std::uint32_t flags = GetU32(&raw[4]);
      if (flags & kPacketFull) count = static_cast<std::uint16_t>(kRecordsPerPacket);
      if (count >= kRecordsPerPacket) {
        count = static_cast<std::uint16_t>(kRecordsPerPacket);
        flags |= kPacketFull;
      }
      flags &= ~kPacketCells;  // the cells no longer match the points
      const std::size_t n = ReadRecordArea(start, count, area);
      for (std::size_t i = 0; i < n; ++i)
        if (InUse(&area[i * R])) TransformRecord(&area[i * R], m);
      PutU16(&raw[0], kPacketHeaderSize);
      PutU16(&raw[2], count);
      PutU32(&raw[4], flags);
      WriteExact(start, raw.data(), raw.size());
      WriteRecordArea(start, area, n);
    }
    PutU32(&desc_[kDescKind], GetU32(&desc_[kDescKind]) & ~kKindIndexValid);
    WriteMaintDescriptor();
    cleanup.Release();
    EndMaintenance(true);
  }
  UpdateIndex(cancel);
}

void TNewTextLinWarstwaFile::TransformWarstwa(const TAffineMatrix& m, const std::string& targetDirectory,
                                              ICancelCheck* cancel) {
  if (open_) throw EInternalError("Warstwa otwarta");
  if (targetDirectory.empty()) {
    TransformInPlace(m, cancel);
    return;
  }
  if (base_ && !base_->CanExport()) throw EAccessViolation("Brak praw do eksportu");
  const std::string path = Path();
  platform::File source = FileOpener().FileOpen(path, fmOpenRead | fmShareDenyNone);
  if (!source.IsOpen()) RaiseFileError("Nie można otworzyć pliku %s", path, platform::LastError());
  const std::string target = WithSlash(targetDirectory) + fileName_;
  {
    EndScan();
    file_ = std::move(source);
    open_ = readOnly_ = true;
    lockState_ = 0;
    ScopeExit cleanup([this] { EndMaintenance(false); });
    // A shared lock: waits for a writer to close and lets readers work.
    LockWait(false);
    platform::File copy = FileOpener().FileCreate(target);
    if (!copy.IsOpen()) {
      throw EDBWarstwaCreate(FormatMessage("Nie można utworzyć pliku %s", target.c_str()),
                             static_cast<int>(platform::LastError()));
    }
    const std::int64_t size = file_.Size();
    const bool copied = size >= 0 &&
                        platform::CopyFileBlocks(file_, 0, copy, 0, static_cast<std::uint64_t>(size)) &&
                        copy.Flush();
    const std::uint32_t copyCode = platform::LastError();
    const bool closed = copy.Close();
    if (!copied || !closed) {
      const std::uint32_t code = copied ? platform::LastError() : copyCode;
      Discard(target);
      throw EDBWarstwaError(FormatMessage("Nie można skopiować pliku %s do %s: %s", path.c_str(),
                                          target.c_str(), platform::ErrorText(code).c_str()),
                            static_cast<int>(code));
    }
    cleanup.Release();
    EndMaintenance(true);
  }
  // A copy that could not be transformed whole is of no use to anyone.
  std::unique_ptr<TNewTextLinWarstwaFile> exported = CreateSame(targetDirectory, fileName_);
  exported->SetLockWait(lockWait_);
  try {
    exported->TransformWarstwa(m, std::string(), cancel);
  } catch (...) {
    exported.reset();
    Discard(target);
    throw;
  }
}
