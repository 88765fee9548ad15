#include "foundation/storage/recordfile.h"

#include <chrono>
#include <cstring>
#include <exception>
#include <limits>
#include <random>
#include <thread>
#include <vector>

#include "foundation/storage/bytes.h"
#include "foundation/storage/fileopener.h"

std::uint16_t DBErrorCode = 0;
bool DBOk = true;
bool DBMultiUser = false;
void (*DBWaitCursor)(bool Show) = nullptr;
void (*DBHoldErrorBox)(const std::string& Text) = nullptr;

namespace {

// Set by a record read that had to skip the record's first byte because
// another workstation holds it.
bool gFirstByteLocked = false;

// Transfer buffer for free-list links (large enough for any index page).
std::vector<std::uint8_t>& TransferBuffer(std::size_t size) {
  static std::vector<std::uint8_t> buffer;
  if (buffer.size() < size) buffer.resize(size);
  return buffer;
}

constexpr auto kWaitTick = std::chrono::milliseconds(200);
constexpr auto kWaitPause = std::chrono::milliseconds(1);

TDataHeader DecodeHeader(const std::uint8_t* p) {
  TDataHeader h;
  h.FirstFree = GetI32(p + 0);
  h.FreeCount = GetI32(p + 4);
  h.RootPage = GetI32(p + 8);
  h.RecSize = GetU16(p + 12);
  h.ChangeCount = GetU16(p + 14);
  return h;
}

std::uint64_t RecordOffset(const TDataFile& File, std::int32_t RecNo) {
  return static_cast<std::uint64_t>(RecNo) * File.RecSize;
}

// Resets the descriptor for a create or open (closing a handle it held).
void ResetDescriptor(TDataFile& File) {
  File = TDataFile{};
}

void SetSizes(TDataFile& File, std::uint16_t RecSize) {
  File.RecSize = RecSize;
  File.RegionLength = RecSize >= DBHeaderSize ? RecSize - DBHeaderSize : 0;
}

void CheckParent(const TDataFile* Parent) {
  if (Parent != nullptr && Parent->Parent != nullptr) throw EParentError();
}

// Record size checks of the creates and opens.
void CheckRecSize(std::uint16_t RecSize) {
  if (RecSize > DBMaxRecSize)
    DBErrorCode = DBErrRecSizeHigh;
  else if (RecSize < DBMinRecSize)
    DBErrorCode = DBErrRecSizeLow;
}

// Opens read-write with the given sharing, else read-only; false when neither works.
bool OpenReadWriteOrRead(TDataFile& File, const std::string& FileName, bool Exclusive) {
  const std::uint32_t share = Exclusive ? fmShareExclusive : fmShareDenyNone;
  File.Handle = FileOpener().FileOpen(FileName, fmOpenReadWrite | share);
  if (File.Handle.IsOpen()) return true;
  File.Handle = FileOpener().FileOpen(FileName, fmOpenRead | share);
  if (File.Handle.IsOpen()) {
    File.ReadOnly = true;
    return true;
  }
  return false;
}

TDataFile& LockTarget(TDataFile& File) {
  return File.Parent != nullptr ? *File.Parent : File;
}

std::minstd_rand& ReaderRandom() {
  static std::minstd_rand generator{std::random_device{}()};
  return generator;
}

// Locks a range without waiting. A range held elsewhere is worth waiting for;
// any other failure (a handle that is not open) is not, and the hold then goes
// on without the lock rather than waiting forever.
bool TryLock(platform::File& Handle, std::uint64_t Offset, std::uint64_t Length) {
  if (Handle.LockRange(Offset, Length)) return true;
  return platform::LastError() != platform::kErrorLockViolation;
}

// One attempt to take the region of Target for File; never waits.
bool AcquireRegion(TDataFile& File, TDataFile& Target, bool Exclusive) {
  if (!DBMultiUser || !Target.Shared) return true;
  if (&Target != &File && Target.LockDepth > 0) {
    ++Target.LockDepth;
    return true;
  }
  // A record size of 16 leaves no region: nothing to lock.
  if (Target.RegionLength > 0) {
    if (Exclusive) {
      if (!TryLock(Target.Handle, DBHeaderSize, Target.RegionLength)) return false;
    } else {
      std::uniform_int_distribution<std::uint32_t> pick(0, Target.RegionLength - 1);
      const auto byte = static_cast<std::uint16_t>(DBHeaderSize + pick(ReaderRandom()));
      if (!TryLock(Target.Handle, byte, 1)) return false;
      Target.ReaderByte = byte;
    }
  }
  if (&Target != &File) Target.LockDepth = 1;
  return true;
}

// Releases the region; false (the platform error code in the last error)
// when the unlock failed.
bool ReleaseRegion(TDataFile& File, TDataFile& Target, bool Exclusive) {
  if (!DBMultiUser || !Target.Shared) return true;
  if (&Target != &File) {
    if (Target.LockDepth == 0) return true;
    --Target.LockDepth;
    if (Target.LockDepth > 0) return true;
  }
  if (Target.RegionLength == 0) return true;
  if (Exclusive) return Target.Handle.UnlockRange(DBHeaderSize, Target.RegionLength);
  return Target.Handle.UnlockRange(Target.ReaderByte, 1);
}

// The error word for a failed unlock: the platform's code, as record unlocks
// report it.
std::uint16_t UnlockFailureCode() {
  const std::uint32_t code = platform::LastError();
  return static_cast<std::uint16_t>(code != 0 ? code : platform::kErrorNotLocked);
}

// Shows the wait cursor for the length of a lock wait.
class WaitCursorScope {
 public:
  WaitCursorScope() {
    if (DBWaitCursor != nullptr) DBWaitCursor(true);
  }
  ~WaitCursorScope() {
    if (DBWaitCursor != nullptr) DBWaitCursor(false);
  }
  WaitCursorScope(const WaitCursorScope&) = delete;
  WaitCursorScope& operator=(const WaitCursorScope&) = delete;
};

// Repeats Attempt until it succeeds, showing the wait cursor and setting
// WaitCode (when not 0) after every further 200 ms. Never gives up; sleeps
// 1 ms between attempts, so that a long wait leaves the processor to others
// (the holder among them).
template <typename Attempt>
void WaitFor(Attempt attempt, std::uint16_t WaitCode) {
  if (attempt()) return;
  WaitCursorScope cursor;
  auto deadline = std::chrono::steady_clock::now() + kWaitTick;
  for (;;) {
    const auto now = std::chrono::steady_clock::now();
    if (now > deadline) {
      if (WaitCode != DBErrNone) DBErrorCode = WaitCode;
      deadline = now + kWaitTick;
    }
    std::this_thread::sleep_for(kWaitPause);
    if (attempt()) return;
  }
}

void ShowHoldError(const char* Text) {
  if (DBHoldErrorBox != nullptr) DBHoldErrorBox(Text);
}

// A record operation's own transaction, closed on every path. A failure of
// the close itself is passed on unless another exception is already on its way.
class HoldScope {
 public:
  HoldScope(TDataFile& File, bool Exclusive)
      : file_(File), exclusive_(Exclusive), uncaught_(std::uncaught_exceptions()) {
    usable_ = DBOpenHold(file_, exclusive_);
  }
  // False when the header could not be re-read: the operation must end at
  // once with the read error word the hold left.
  bool Usable() const { return usable_; }
  ~HoldScope() noexcept(false) {
    if (std::uncaught_exceptions() > uncaught_) {
      try {
        DBCloseHold(file_, exclusive_);
      } catch (...) {
      }
      return;
    }
    DBCloseHold(file_, exclusive_);
  }
  HoldScope(const HoldScope&) = delete;
  HoldScope& operator=(const HoldScope&) = delete;

 private:
  TDataFile& file_;
  bool exclusive_;
  int uncaught_;
  bool usable_ = true;
};

// Whether record RecNo lies in the file. RecCount answers for the usual case;
// a record beyond it is asked of the file itself, since another descriptor of
// this process may have appended it.
bool InsideFile(const TDataFile& File, std::int32_t RecNo) {
  if (RecNo < 0 || File.RecSize < DBMinRecSize) return false;
  if (RecNo < File.RecCount) return true;
  const std::int64_t size = File.Handle.Size();
  return size >= 0 && RecNo < size / File.RecSize;
}

// Whether RecNo was appended inside the outermost hold now open, past the
// file's length when the hold began, where no other workstation can have
// taken a record lock: it could not read the records or the header while
// this hold is open. Asked of the file once per hold (a lock placed past the
// end all the same is seen, and every record is then asked about again).
bool AppendedInHold(TDataFile& File, std::int32_t RecNo) {
  if (File.LockDepth == 0 || File.AppendFrom < 1 || RecNo < File.AppendFrom) return false;
  if (!File.AppendClear) {
    const std::uint64_t from = RecordOffset(File, File.AppendFrom);
    if (from >= platform::File::kLockLimit) return false;
    if (File.Handle.IsLockedByOther(from, platform::File::kLockLimit - from)) return false;
    File.AppendClear = true;
  }
  return true;
}

}  // namespace

bool DBReadRecord(TDataFile& File, std::int32_t RecNo, void* Buffer) {
  // A number outside the file reads nothing.
  if (!InsideFile(File, RecNo)) {
    DBErrorCode = DBErrRead;
    return false;
  }
  DBErrorCode = DBErrNone;
  gFirstByteLocked = false;
  const std::uint64_t offset = RecordOffset(File, RecNo);
  auto* bytes = static_cast<std::uint8_t*>(Buffer);
  const std::size_t size = RecNo == 0 ? DBHeaderSize : File.RecSize;
  // Another workstation's record lock covers the record's first byte; the
  // rest of the record stays readable unless the file is append-only.
  if (RecNo > 0 && File.Shared && File.Handle.IsLockedByOther(offset, 1)) {
    if (File.AppendOnly) {
      DBErrorCode = DBErrRead;
      return false;
    }
    if (File.Handle.ReadAt(offset + 1, bytes + 1, size - 1) != static_cast<std::int64_t>(size - 1)) {
      DBErrorCode = DBErrRead;
      return false;
    }
    gFirstByteLocked = true;
    return true;
  }
  if (File.Handle.ReadAt(offset, bytes, size) != static_cast<std::int64_t>(size)) {
    DBErrorCode = DBErrRead;
    return false;
  }
  return true;
}

std::int32_t DBReadRecords(TDataFile& File, std::int32_t RecNo, std::int32_t Count, void* Buffer) {
  if (RecNo < 1 || Count < 1 || !InsideFile(File, RecNo)) {
    DBErrorCode = DBErrRead;
    return 0;
  }
  gFirstByteLocked = false;
  const std::size_t size = static_cast<std::size_t>(Count) * File.RecSize;
  const std::int64_t read = File.Handle.ReadAt(RecordOffset(File, RecNo), Buffer, size);
  const std::int64_t whole = read < 0 ? 0 : read / File.RecSize;
  DBErrorCode = whole > 0 ? DBErrNone : DBErrRead;
  return static_cast<std::int32_t>(whole);
}

bool DBWriteRecord(TDataFile& File, std::int32_t RecNo, const void* Buffer) {
  if (File.ReadOnly) {
    DBErrorCode = DBErrReadOnly;
    return false;
  }
  // Record 0 is the header; a number outside the file writes nothing.
  if (RecNo < 1 || !InsideFile(File, RecNo)) {
    DBErrorCode = DBErrWrite;
    return false;
  }
  const std::uint64_t offset = RecordOffset(File, RecNo);
  // Another workstation's record lock refuses the write, as the lock is meant to.
  if (File.Shared && !AppendedInHold(File, RecNo) && File.Handle.IsLockedByOther(offset, File.RecSize)) {
    DBErrorCode = DBErrWrite;
    return false;
  }
  if (File.Handle.WriteAt(offset, Buffer, File.RecSize) != File.RecSize) {
    DBErrorCode = DBErrWrite;
    return false;
  }
  DBErrorCode = DBErrNone;
  return true;
}

bool DBReadHeader(TDataFile& File) {
  const std::int64_t size = File.Handle.Size();
  if (size < static_cast<std::int64_t>(DBHeaderSize) || File.RecSize < DBMinRecSize) {
    DBErrorCode = DBErrRead;
    return false;
  }
  std::uint8_t bytes[DBHeaderSize];
  if (File.Handle.ReadAt(0, bytes, DBHeaderSize) != DBHeaderSize) {
    DBErrorCode = DBErrRead;
    return false;
  }
  const TDataHeader header = DecodeHeader(bytes);
  // The whole header record must be there: a shorter file would take record 0
  // for the next appended record. A header of another record size is kept for
  // the opens to report as such (1003, 1004), however short the file.
  if (size < File.RecSize && header.RecSize == File.RecSize) {
    DBErrorCode = DBErrRead;
    return false;
  }
  File.Header = header;
  const std::int64_t count = size / File.RecSize;
  File.RecCount = count > std::numeric_limits<std::int32_t>::max()
                      ? std::numeric_limits<std::int32_t>::max()
                      : static_cast<std::int32_t>(count);
  DBErrorCode = DBErrNone;
  return true;
}

void DBEncodeHeader(const TDataHeader& Header, std::uint8_t* p) {
  PutI32(p + 0, Header.FirstFree);
  PutI32(p + 4, Header.FreeCount);
  PutI32(p + 8, Header.RootPage);
  PutU16(p + 12, Header.RecSize);
  PutU16(p + 14, Header.ChangeCount);
}

platform::File DBCreateFile(const std::string& FileName) {
  platform::File created = FileOpener().FileCreate(FileName);
  if (!created.IsOpen()) return created;
  created.Close();
  return FileOpener().FileOpen(FileName, fmOpenReadWrite | fmShareDenyNone);
}

void DBWriteNewHeaderRecord(TDataFile& File) {
  File.Header = TDataHeader{};
  File.Header.RecSize = File.RecSize;
  std::vector<std::uint8_t> record(File.RecSize, 0);
  DBEncodeHeader(File.Header, record.data());
  if (File.Handle.WriteAt(0, record.data(), File.RecSize) != File.RecSize) DBErrorCode = DBErrWrite;
  File.RecCount = 1;
}

bool DBWriteHeader(TDataFile& File) {
  if (File.ReadOnly) {
    DBErrorCode = DBErrReadOnly;
    return false;
  }
  std::uint8_t bytes[DBHeaderSize];
  DBEncodeHeader(File.Header, bytes);
  if (File.Handle.WriteAt(0, bytes, DBHeaderSize) != DBHeaderSize) {
    DBErrorCode = DBErrWrite;
    return false;
  }
  DBErrorCode = DBErrNone;
  return true;
}

namespace {

// A free count no list of this file can have: below 0 or above the number
// of records after the header.
bool FreeCountDamaged(const TDataFile& File) {
  return File.Header.FreeCount < 0 || File.Header.FreeCount > File.RecCount - 1;
}

std::int32_t AppendRecNo(TDataFile& File) {
  // A file of 2^31 - 1 records has no number left: the write that follows fails.
  if (File.RecCount == std::numeric_limits<std::int32_t>::max()) return -1;
  return File.RecCount++;
}

}  // namespace

std::int32_t DBNewRecNo(TDataFile& File, DBRecInUseTest InUse) {
  if (!File.AppendOnly && File.Header.FirstFree != -1) {
    const std::int32_t head = File.Header.FirstFree;
    // A list with a count outside 1 .. records - 1, whose head lies outside
    // the file, or whose head the owner still uses, is damaged.
    bool usable = File.Header.FreeCount >= 1 && !FreeCountDamaged(File) && head >= 1 &&
                  head < File.RecCount && (InUse == nullptr || !InUse(File, head));
    if (usable) {
      auto& buffer = TransferBuffer(File.RecSize);
      buffer[0] = DBRecInUse;
      // A head that cannot be read now (an input/output error, or a record
      // another workstation has locked) is not damage: this record is
      // appended and the list stays for the next one.
      if (!DBReadRecord(File, head, buffer.data()) || gFirstByteLocked) return AppendRecNo(File);
      const std::int32_t link = GetI32(buffer.data() + 1);
      usable = buffer[0] == DBRecDeleted &&
               (link == -1 || (link >= 1 && link < File.RecCount && link != head));
      if (usable) {
        File.Header.FirstFree = link;
        --File.Header.FreeCount;
        // In a shared file the header leaves the list before the caller
        // writes over the head: a process killed in between leaks that one
        // record instead of leaving a header that names a record in use.
        // A header that cannot be written keeps the list, and the caller
        // gets no record (-1, the write error word).
        if (File.Shared && File.LockDepth > 0 && !DBWriteHeader(File)) {
          File.Header.FirstFree = head;
          ++File.Header.FreeCount;
          return -1;
        }
        return head;
      }
    }
    // A damaged list is dropped; its records are not reused.
    File.Header.FirstFree = -1;
  }
  return AppendRecNo(File);
}

bool DBFreeRecord(TDataFile& File, std::int32_t RecNo) {
  // A damaged count means a damaged list: the record starts a new one.
  const bool restart = FreeCountDamaged(File);
  auto& buffer = TransferBuffer(File.RecSize);
  std::memset(buffer.data(), 0, File.RecSize);
  buffer[0] = DBRecDeleted;
  PutI32(buffer.data() + 1, restart ? -1 : File.Header.FirstFree);
  if (!DBWriteRecord(File, RecNo, buffer.data())) return false;
  const TDataHeader before = File.Header;
  File.Header.FirstFree = RecNo;
  File.Header.FreeCount = restart ? 1 : File.Header.FreeCount + 1;
  // In a shared file the header follows the free mark at once: a process
  // killed in between leaks this one record, off the list the header names.
  if (File.Shared && File.LockDepth > 0 && !DBWriteHeader(File)) {
    File.Header = before;
    return false;
  }
  return true;
}

bool DBFlush(TDataFile& File) {
  if (File.Handle.Flush()) return true;
  DBErrorCode = DBErrWrite;
  return false;
}

bool DBOpenHold(TDataFile& File, bool Exclusive, DBHoldKind Kind) {
  try {
    if (!File.Shared) return true;
    if (File.LockDepth > 0) {
      ++File.LockDepth;
      if (!File.HoldStale) return true;
      DBErrorCode = DBErrRead;
      return false;
    }
    TDataFile& target = LockTarget(File);
    const bool index = Kind == DBHoldKind::IndexFile;
    WaitFor([&] { return AcquireRegion(File, target, Exclusive); },
            index ? DBErrIndexWait : DBErrDataWait);
    File.LockDepth = 1;
    // Another workstation may have changed the file: without a fresh header
    // no operation may run in this hold (it would reuse a stale record count
    // and free list), and the closing writer hold writes no header.
    const TDataHeader mine = File.Header;
    File.HoldStale = !DBReadHeader(File);
    File.AppendFrom = File.HoldStale ? 0 : File.RecCount;
    File.AppendClear = false;
    if (File.HeaderPending && !File.HoldStale) {
      // Our last header never reached the file; it still holds when nobody
      // has written since (the file still shows the counter it had then).
      if (File.Header.ChangeCount == File.PendingFrom)
        File.Header = mine;
      else
        File.HeaderPending = false;
    }
    return !File.HoldStale;
  } catch (...) {
    ShowHoldError(Kind == DBHoldKind::IndexFile ? "Błąd: wejscie" : "Błąd: wejscie1");
    throw;
  }
}

void DBCloseHold(TDataFile& File, bool Exclusive, DBHoldKind Kind) {
  try {
    if (!File.Shared || File.LockDepth == 0) return;
    --File.LockDepth;
    if (File.LockDepth > 0) return;
    // The operation's own error word outlives the close; a failure of the
    // close is reported when the operation itself succeeded.
    const std::uint16_t before = DBErrorCode;
    std::uint16_t failure = DBErrNone;
    if (Exclusive && !File.HoldStale) {
      const bool wasPending = File.HeaderPending;
      ++File.Header.ChangeCount;
      File.HeaderPending = !DBWriteHeader(File);
      if (File.HeaderPending && !wasPending)
        File.PendingFrom = static_cast<std::uint16_t>(File.Header.ChangeCount - 1);
      if (File.HeaderPending || !DBFlush(File)) failure = DBErrorCode;
    }
    File.HoldStale = false;
    if (!ReleaseRegion(File, LockTarget(File), Exclusive) && failure == DBErrNone)
      failure = UnlockFailureCode();
    DBErrorCode = before != DBErrNone ? before : failure;
  } catch (...) {
    ShowHoldError(Kind == DBHoldKind::IndexFile ? "Błąd: wyjscie" : "Błąd: wyjscie1");
    throw;
  }
}

void MakeFile(TDataFile& File, TDataFile* Parent, const std::string& FileName,
              std::uint16_t RecSize, bool Shared, bool AppendOnly) {
  DBErrorCode = DBErrNone;
  ResetDescriptor(File);
  SetSizes(File, RecSize);
  File.AppendOnly = AppendOnly;
  File.FileName = FileName;
  CheckParent(Parent);
  File.Parent = Parent;

  // A bad size is refused before the file is touched: an existing file of
  // that name stays as it was.
  CheckRecSize(RecSize);
  if (DBErrorCode == DBErrNone) {
    File.Handle = DBCreateFile(FileName);
    if (!File.Handle.IsOpen()) DBErrorCode = DBErrOpen;
  }
  if (DBErrorCode == DBErrNone) DBWriteNewHeaderRecord(File);
  DBOk = DBErrorCode == DBErrNone;
  File.Shared = Shared;
  File.LockDepth = 0;
  File.IsOpen = DBErrorCode == DBErrNone;
}

void OpenFile(TDataFile& File, TDataFile* Parent, const std::string& FileName,
              std::uint16_t RecSize, bool Shared, bool AppendOnly, bool Exclusive) {
  DBErrorCode = DBErrNone;
  ResetDescriptor(File);
  SetSizes(File, RecSize);
  File.Shared = Shared;
  File.AppendOnly = AppendOnly;
  File.FileName = FileName;
  CheckParent(Parent);
  File.Parent = Parent;

  if (!OpenReadWriteOrRead(File, FileName, Exclusive)) DBErrorCode = DBErrOpen;
  DBOk = DBErrorCode == DBErrNone;
  if (File.Handle.IsOpen()) {
    CheckRecSize(RecSize);
    if (DBErrorCode == DBErrNone) {
      HoldScope hold(File, false);
      if (DBReadHeader(File) && File.Header.RecSize != RecSize)
        DBErrorCode = DBErrRecSizeDiffers;
    }
  }
  File.IsOpen = DBErrorCode == DBErrNone;
}

void OpenFileShared(TDataFile& File, const std::string& FileName, std::uint16_t RecSize) {
  DBErrorCode = DBErrNone;
  ResetDescriptor(File);
  SetSizes(File, RecSize);
  File.FileName = FileName;
  File.Shared = true;
  if (!OpenReadWriteOrRead(File, FileName, false)) DBErrorCode = DBErrOpen;
  DBOk = DBErrorCode == DBErrNone;
  if (File.Handle.IsOpen()) CheckRecSize(RecSize);
  File.IsOpen = DBErrorCode == DBErrNone;
}

void CloseFile(TDataFile& File) {
  std::uint16_t failure = DBErrNone;
  if (File.IsOpen && !File.Shared && File.Handle.IsOpen() && !File.ReadOnly &&
      !DBWriteHeader(File))
    failure = DBErrorCode;
  if (File.IsOpen && File.Shared && File.HeaderPending && File.LockDepth == 0) {
    // A header a writer hold could not write is tried once more.
    DBErrorCode = DBErrNone;
    if (DBOpenHold(File, true)) {
      DBCloseHold(File, true);
      failure = DBErrorCode;
    } else {
      failure = DBErrorCode;
      DBCloseHold(File, true);
    }
  }
  CloseFileHandle(File);
  // The header of a non-shared file reaches the disk only here: a failure to
  // write it is reported.
  DBErrorCode = failure;
}

void CloseFileHandle(TDataFile& File) {
  File.Handle.Close();
  File.IsOpen = false;
  File.LockDepth = 0;
  DBErrorCode = DBErrNone;
}

void EraseFile(TDataFile& File) {
  CloseFile(File);
  FileOpener().DeleteFile(File.FileName);
}

namespace {

enum class Transfer { Read, Write };

void TransferUserHeader(TDataFile& File, void* Buffer, std::uint32_t Length, Transfer Direction) {
  DBErrorCode = DBErrNone;
  if (std::uint64_t{Length} + DBHeaderSize > File.RecSize) throw Exception("HeaderSize error");
  if (Buffer == nullptr) return;
  // While this process holds the region of the file's lock target (the file
  // itself, or the anchor shared with its siblings, held through any of
  // them) the transfer is already covered, and the anchor's lock on the same
  // bytes would make this process wait for itself forever.
  const TDataFile& target = LockTarget(File);
  const bool ownHold = DBMultiUser && target.Shared && target.LockDepth > 0;
  if (Direction == Transfer::Write && File.ReadOnly) {
    DBErrorCode = DBErrWrite;
    return;
  }
  if (!ownHold) WaitFor([&] { return TryLock(File.Handle, DBHeaderSize, Length); }, DBErrNone);
  const std::int64_t moved = Direction == Transfer::Read
                                 ? File.Handle.ReadAt(DBHeaderSize, Buffer, Length)
                                 : File.Handle.WriteAt(DBHeaderSize, Buffer, Length);
  DBErrorCode = moved == static_cast<std::int64_t>(Length) ? DBErrNone : DBErrWrite;
  if (!ownHold && Length > 0 && !File.Handle.UnlockRange(DBHeaderSize, Length) &&
      DBErrorCode == DBErrNone)
    DBErrorCode = UnlockFailureCode();
}

}  // namespace

void ReadUserHeader(TDataFile& File, void* Buffer, std::uint32_t Length) {
  TransferUserHeader(File, Buffer, Length, Transfer::Read);
}

void WriteUserHeader(TDataFile& File, const void* Buffer, std::uint32_t Length) {
  TransferUserHeader(File, const_cast<void*>(Buffer), Length, Transfer::Write);
}

void AddRec(TDataFile& File, std::int32_t& RecNo, const void* Buffer) {
  HoldScope hold(File, true);
  if (!hold.Usable()) return;
  const TDataHeader header = File.Header;
  const std::int32_t count = File.RecCount;
  RecNo = DBNewRecNo(File);
  if (!DBWriteRecord(File, RecNo, Buffer)) {
    // Nothing was stored: the free list and the count stay as they were.
    File.Header = header;
    File.RecCount = count;
  }
}

void AddRecInUse(TDataFile& File, std::int32_t& RecNo, void* Buffer) {
  static_cast<std::uint8_t*>(Buffer)[0] = DBRecInUse;
  AddRec(File, RecNo, Buffer);
}

void DeleteRec(TDataFile& File, std::int32_t RecNo) {
  HoldScope hold(File, true);
  if (hold.Usable()) DBFreeRecord(File, RecNo);
}

void GetRec(TDataFile& File, std::int32_t RecNo, void* Buffer) {
  HoldScope hold(File, false);
  if (hold.Usable() && DBReadRecord(File, RecNo, Buffer) && File.Shared && gFirstByteLocked)
    static_cast<std::uint8_t*>(Buffer)[0] = DBRecLockedElsewhere;
}

void GetRecRaw(TDataFile& File, std::int32_t RecNo, void* Buffer) {
  HoldScope hold(File, false);
  if (hold.Usable()) DBReadRecord(File, RecNo, Buffer);
}

namespace {

// Records first .. first+count-1 of a block just read into Buffer, checked
// for other workstations' record locks as a single-record read checks them:
// in a file that is not append-only a locked record keeps the rest of its
// bytes and gets status 2 in byte 0; in an append-only file (where byte 0 is
// the owner's) the block ends before the locked record with error 100.
// Returns the number of records the caller may use.
std::int32_t MarkLockedRecords(TDataFile& File, std::int32_t first, std::int32_t count,
                               std::uint8_t* Buffer) {
  // Record 0 holds the lock region, whose bytes are locked by every
  // transaction: only data records are asked about.
  const std::int32_t from = first < 1 ? 1 : first;
  const std::int32_t end = first + count;
  if (from >= end) return count;
  const std::uint64_t offset = RecordOffset(File, from);
  // One question for the whole block; record by record only when it is yes.
  if (!File.Handle.IsLockedByOther(offset, RecordOffset(File, end) - offset)) return count;
  for (std::int32_t n = from; n < end; ++n) {
    if (!File.Handle.IsLockedByOther(RecordOffset(File, n), 1)) continue;
    if (File.AppendOnly) {
      DBErrorCode = DBErrRead;
      return n - first;
    }
    Buffer[static_cast<std::size_t>(n - first) * File.RecSize] = DBRecLockedElsewhere;
    gFirstByteLocked = true;
  }
  return count;
}

}  // namespace

std::int32_t GetRecBlock(TDataFile& File, std::int32_t RecNo, std::int32_t Count, void* Buffer) {
  HoldScope hold(File, false);
  if (!hold.Usable()) return 0;
  if (!InsideFile(File, RecNo)) {
    DBErrorCode = DBErrRead;
    return 0;
  }
  DBErrorCode = DBErrNone;
  gFirstByteLocked = false;
  if (Count <= 0) return 0;
  const std::size_t size = static_cast<std::size_t>(Count) * File.RecSize;
  const std::int64_t read = File.Handle.ReadAt(RecordOffset(File, RecNo), Buffer, size);
  if (read < 0) {
    DBErrorCode = DBErrRead;
    return 0;
  }
  if (read % File.RecSize != 0) DBErrorCode = DBErrRead;
  const auto whole = static_cast<std::int32_t>(read / File.RecSize);
  if (!File.Shared || whole == 0) return whole;
  return MarkLockedRecords(File, RecNo, whole, static_cast<std::uint8_t*>(Buffer));
}

void PutRec(TDataFile& File, std::int32_t RecNo, const void* Buffer) {
  HoldScope hold(File, true);
  if (hold.Usable()) DBWriteRecord(File, RecNo, Buffer);
}

void PutRecInUse(TDataFile& File, std::int32_t RecNo, void* Buffer) {
  static_cast<std::uint8_t*>(Buffer)[0] = DBRecInUse;
  PutRec(File, RecNo, Buffer);
}

std::int32_t FileLen(const TDataFile& File) {
  return File.RecCount;
}

std::int32_t UsedRecs(const TDataFile& File) {
  // A damaged free count cannot make the result negative or overflow.
  const std::int64_t used = std::int64_t{File.RecCount} - File.Header.FreeCount - 1;
  const std::int64_t most = File.RecCount > 0 ? File.RecCount - 1 : 0;
  return static_cast<std::int32_t>(used < 0 ? 0 : (used > most ? most : used));
}

void AddToFreeCount(TDataFile& File, std::int32_t N) {
  HoldScope hold(File, true);
  if (!hold.Usable()) return;
  const std::int64_t sum = std::int64_t{File.Header.FreeCount} + N;
  File.Header.FreeCount = static_cast<std::int32_t>(
      sum < std::numeric_limits<std::int32_t>::min()   ? std::numeric_limits<std::int32_t>::min()
      : sum > std::numeric_limits<std::int32_t>::max() ? std::numeric_limits<std::int32_t>::max()
                                                        : sum);
  DBErrorCode = DBErrNone;
}

void LockDataFile(TDataFile& File, bool Lock, bool Exclusive) {
  if (Lock)
    DBOpenHold(File, Exclusive);
  else
    DBCloseHold(File, Exclusive);
}

bool LockRecord(TDataFile& File, std::int32_t RecNo) {
  if (!DBMultiUser) return true;
  if (RecNo < 0) {
    DBErrorCode = static_cast<std::uint16_t>(platform::kErrorInvalidParameter);
    return false;
  }
  if (!File.Handle.LockRange(RecordOffset(File, RecNo), 1)) {
    DBErrorCode = static_cast<std::uint16_t>(platform::LastError());
    return false;
  }
  return true;
}

void UnlockRecord(TDataFile& File, std::int32_t RecNo) {
  if (!DBMultiUser) return;
  if (RecNo < 0 || !File.Handle.UnlockRange(RecordOffset(File, RecNo), 1))
    DBErrorCode = static_cast<std::uint16_t>(
        RecNo < 0 ? platform::kErrorInvalidParameter : platform::LastError());
}

std::string CheckDataFileInvariants(TDataFile& File) {
  const std::int64_t size = File.Handle.Size();
  if (size < 0) return "file size unknown";
  if (File.RecSize < DBMinRecSize || File.RecSize > DBMaxRecSize) return "record size out of range";
  if (size < File.RecSize) return "header record incomplete";
  if (size % File.RecSize != 0) return "file size not a whole number of records";
  if (size / File.RecSize != File.RecCount) return "record count differs from the file size";
  if (File.Header.RecSize != File.RecSize) return "header record size differs";
  const std::uint16_t error = DBErrorCode;
  std::vector<std::uint8_t> record(File.RecSize);
  std::vector<bool> seen(static_cast<std::size_t>(File.RecCount), false);
  std::int32_t length = 0;
  std::string broken;
  for (std::int32_t n = File.Header.FirstFree; n != -1 && broken.empty();) {
    if (n < 1 || n >= File.RecCount)
      broken = "free list leaves the file at " + std::to_string(n);
    else if (seen[static_cast<std::size_t>(n)])
      broken = "free list returns to record " + std::to_string(n);
    else if (File.Handle.ReadAt(RecordOffset(File, n), record.data(), File.RecSize) != File.RecSize)
      broken = "free record " + std::to_string(n) + " unreadable";
    else if (record[0] != DBRecDeleted)
      broken = "free record " + std::to_string(n) + " not marked deleted";
    else {
      seen[static_cast<std::size_t>(n)] = true;
      ++length;
      n = GetI32(record.data() + 1);
    }
  }
  DBErrorCode = error;
  // FreeCount counts the records put on the list. It equals the list's
  // length until a damaged list is dropped: the header then keeps its
  // count, and the dropped records stay counted (leaked, never reused). A
  // count outside 0 .. records - 1 is itself damage, sound only with an
  // empty list (dropped; the next delete starts a new list).
  const std::int32_t count = File.Header.FreeCount;
  if (broken.empty() && !File.AppendOnly &&
      (FreeCountDamaged(File) ? length != 0 : length > count))
    broken = "free count " + std::to_string(count) + " but " + std::to_string(length) +
             " records on the list";
  return broken;
}
