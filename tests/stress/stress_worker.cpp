// One worker process of the stress run: a workstation on the shared store.
// It opens the data file and both indexes on a lock anchor, as a database
// does, and runs random transactions until its deadline, each inside one
// reader or writer hold over the anchor. What it commits goes to its own log
// (see stress_layout.h); a fault it sees ends it with exit code 3 and a line
// on standard error.
#include "stress_worker.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "foundation/storage/btree.h"
#include "foundation/storage/recordfile.h"
#include "platform/files/faultinject.h"
#include "platform/files/files.h"
#include "platform/files/paths.h"

namespace stress {

std::int64_t MonotonicMs() {
  timespec t{};
  ::clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<std::int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

std::string LogLine(const std::string& text) {
  char sum[16];
  std::snprintf(sum, sizeof sum, " *%08x\n", Fnv(text.data(), text.size()));
  return text + sum;
}

namespace {

// The engine's lock-wait words are progress reports, not failures.
bool Failed(std::uint16_t code) {
  return code != DBErrNone && code != DBErrIndexWait && code != DBErrDataWait;
}

std::string Field(const std::string& s) { return s.empty() ? "-" : s; }

class Worker {
 public:
  Worker(const WorkerArgs& args, Slot* slot)
      : args_(args), slot_(slot), rng_(args.Seed) {}

  int Run() {
    if (!Open()) return 3;
    while (MonotonicMs() < args_.DeadlineMs) {
      const std::int32_t unlock = pendingUnlock_;
      const int pick = static_cast<int>(rng_() % 100);
      if (pick < 40 || (editRec_ >= 0 && editCountdown_ <= 0))
        WriterTransaction();
      else
        ReaderTransaction();
      slot_->Phase = kIdle;
      if (unlock >= 0) {
        UnlockRecord(data_, unlock);
        Expect("UnlockRecord after deleting");
        if (pendingUnlock_ == unlock) pendingUnlock_ = -1;
      }
    }
    if (pendingUnlock_ >= 0) {
      UnlockRecord(data_, pendingUnlock_);
      Expect("UnlockRecord after deleting");
    }
    if (editRec_ >= 0) {
      UnlockRecord(data_, editRec_);
      Expect("UnlockRecord at the end");
    }
    CloseIndex(group_);
    CloseIndex(primary_);
    CloseFile(data_);
    CloseFileHandle(anchor_);
    ::close(log_);
    return 0;
  }

 private:
  bool Open() {
    const std::string log = platform::JoinPath(args_.Dir, "log-" + std::to_string(args_.Inc) + ".txt");
    log_ = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (log_ < 0) {
      std::fprintf(stderr, "worker %u: cannot open its log\n", args_.Inc);
      return false;
    }
    DBMultiUser = true;
    const std::string dataPath = platform::JoinPath(args_.Dir, kDataName);
    OpenFileShared(anchor_, dataPath, kRecSize);
    Expect("OpenFileShared");
    OpenFile(data_, &anchor_, dataPath, kRecSize, true, false, false);
    Expect("OpenFile");
    OpenIndex(primary_, &anchor_, platform::JoinPath(args_.Dir, kPrimaryName), kPrimaryKeyLength,
              false, true);
    Expect("OpenIndex primary");
    OpenIndex(group_, &anchor_, platform::JoinPath(args_.Dir, kGroupName), kGroupKeyLength, true,
              true);
    Expect("OpenIndex group");
    return true;
  }

  [[noreturn]] void Fault(const std::string& what) {
    const std::string text = "E " + what + " (error word " + std::to_string(DBErrorCode) + ")";
    Log(text);
    std::fprintf(stderr, "worker %u (seed %" PRIu64 "): %s\n", args_.Inc, args_.Seed, text.c_str());
    std::fflush(stderr);
    ::_exit(3);
  }

  void Expect(const std::string& what) {
    slot_->Step = slot_->Step + 1;
    if (Failed(DBErrorCode)) Fault(what + " failed");
  }

  void Log(const std::string& text) {
    const std::string line = LogLine(text);
    if (::write(log_, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
      std::fprintf(stderr, "worker %u: log write failed\n", args_.Inc);
      ::_exit(3);
    }
  }

  void Anomaly(std::int32_t rec, const std::string& key, const std::string& what) {
    Log("A " + std::to_string(rec) + " " + Field(key) + " " + what);
  }

  // The injected crash of a regression run: the worker kills itself at the
  // named point of its transaction, holding whatever it holds.
  void CrashPoint(const char* point) {
    if (CrashDue(point)) ::raise(SIGKILL);
  }

  // Whether this arrival at the named point is the one to crash at.
  bool CrashDue(const char* point) {
    if (args_.CrashAt.empty() || args_.CrashAt != point || args_.Inc != 0) return false;
    return ++crashSeen_ >= args_.CrashAfter;
  }

  // AddRecInUse that, at the crash point add-head-taken, dies inside the
  // engine after the header has taken the free list's head and before the
  // record is written over it: the second write to the data file (the
  // header is the first) is made to fail, and the worker kills itself
  // before it can put anything right. A head that could not be taken (it
  // was locked, so the record was appended) leaves the crash for the next
  // reusing add.
  void AddRecordOrCrash(std::int32_t& rec, std::uint8_t* record, bool reuse) {
    const bool crash = reuse && CrashDue("add-head-taken");
    if (crash)
      platform::ArmFault({platform::FaultOp::Write, 2, false, kDataName});
    AddRecInUse(data_, rec, record);
    if (crash) {
      const bool struck = platform::FaultStruck();
      platform::DisarmFault();
      if (struck) ::raise(SIGKILL);
      --crashSeen_;
    }
  }

  // Holds over the anchor, taken as a database takes them: the data file,
  // then each index; released in the same order.
  void Begin(bool writer) {
    slot_->Phase = kOpeningHold;
    slot_->Step = 0;
    LockDataFile(data_, true, writer);
    Expect("LockDataFile");
    LockIndexFile(primary_, true, writer);
    Expect("LockIndexFile primary");
    LockIndexFile(group_, true, writer);
    Expect("LockIndexFile group");
    slot_->Phase = writer ? kWriterHoldChoosing : kReaderHold;
  }

  void End(bool writer) {
    slot_->Phase = kClosingHold;
    LockDataFile(data_, false, writer);
    Expect("closing the data file's hold");
    LockIndexFile(primary_, false, writer);
    Expect("closing the primary index's hold");
    LockIndexFile(group_, false, writer);
    Expect("closing the group index's hold");
    slot_->Phase = kAfterHold;
  }

  std::string ProbeKey() {
    const auto inc = static_cast<std::uint32_t>(rng_() % (args_.Inc + 1));
    return PrimaryKey(inc, static_cast<std::uint32_t>(rng_() % 4000));
  }

  std::string NewPrimaryKey() { return PrimaryKey(args_.Inc, counter_++); }
  std::string NewGroupKey() { return GroupKey(static_cast<int>(rng_() % kGroups)); }

  // Reads record rec; false (after noting it) when it is deleted or not the
  // record key names. Locked elsewhere: Locked is set and the rest is read.
  bool ReadRecord(std::int32_t rec, const std::string& key, Content& c, bool& locked) {
    std::uint8_t buffer[kRecSize];
    GetRec(data_, rec, buffer);
    Expect("GetRec");
    locked = buffer[0] == DBRecLockedElsewhere;
    if (buffer[0] == DBRecDeleted) {
      Anomaly(rec, key, "key-names-a-deleted-record");
      return false;
    }
    if (buffer[0] != DBRecInUse && !locked) Fault("record " + std::to_string(rec) + " has status " + std::to_string(buffer[0]));
    if (!DecodeRecord(buffer, c)) Fault("torn record " + std::to_string(rec));
    if (!key.empty() && c.Primary != key && c.Group != key) {
      Anomaly(rec, key, "key-names-a-record-holding-" + c.Primary);
      return false;
    }
    return true;
  }

  // A record to change, found through the primary index: in use, not locked
  // by another workstation, holding the key that found it.
  bool ChooseTarget(std::int32_t& rec, Content& c) {
    for (int attempt = 0; attempt < 4; ++attempt) {
      std::string key = ProbeKey();
      SearchKey(primary_, rec, key);
      Expect("SearchKey");
      if (!DBOk) {
        key.clear();
        SearchKey(primary_, rec, key);
        Expect("SearchKey from the start");
        if (!DBOk) return false;
      }
      if (rec == editRec_) continue;
      bool locked = false;
      if (!ReadRecord(rec, key, c, locked) || locked) continue;
      if (c.Primary != key) continue;
      return true;
    }
    return false;
  }

  void Intent(std::uint64_t seq, const char* op, std::int32_t rec, const Content& before,
              const Content& after) {
    slot_->Phase = kWriterHoldChanging;
    Log("I " + std::to_string(seq) + " " + op + " " + std::to_string(rec) + " " +
        Field(before.Primary) + " " + Field(before.Group) + " " + Field(after.Primary) + " " +
        Field(after.Group));
  }

  void AddKeyOrFault(TIndexFile& index, std::int32_t rec, std::string key, const char* what) {
    AddKey(index, rec, key);
    Expect(what);
    if (!DBOk) Fault(std::string(what) + " refused " + key);
  }

  // Adds (key, rec) to the group index. The item can already be there when a
  // killed transaction left it behind on a record since deleted and reused:
  // noted in misses for the end check to explain.
  void AddGroupKey(std::int32_t rec, std::string key, std::string& misses) {
    AddKey(group_, rec, key);
    Expect("AddKey group");
    if (!DBOk) misses += 'G';
  }

  // Removes (key, rec); a key that is not there is noted in misses.
  void DeleteKeyNoting(TIndexFile& index, std::int32_t rec, std::string key, char tag,
                       std::string& misses) {
    std::int32_t found = rec;
    // A released page goes on the free list, or (shared) waits for the
    // flush that ends the hold.
    const auto released = [&] { return index.Header.FreeCount + index.PendingFree.size(); };
    const auto freePages = released();
    DeleteKey(index, found, key);
    Expect("DeleteKey");
    if (released() > freePages) CrashPoint("page-released");
    if (!DBOk)
      misses += tag;
    else if (found != rec)
      Fault("DeleteKey of " + key + " removed the key of record " + std::to_string(found) +
            " instead of " + std::to_string(rec));
  }

  void WriterTransaction() {
    Begin(true);
    std::uint8_t header[kUserHeaderLength];
    ReadUserHeader(data_, header, kUserHeaderLength);
    Expect("ReadUserHeader");
    std::uint64_t seq = 0;
    if (!DecodeUserHeader(header, seq)) Fault("torn user header");
    if (seq < lastHeaderSeq_) Fault("user header went back from " + std::to_string(lastHeaderSeq_));
    const std::uint64_t mine = seq + 1;
    lastHeaderSeq_ = mine;

    // Choose the change before the first write.
    enum class Op { Add, Put, Delete, Header, Edit } op = Op::Header;
    std::int32_t rec = -1;
    Content before;
    if (editRec_ >= 0 && editCountdown_ <= 0) {
      op = Op::Edit;
      rec = editRec_;
      bool locked = false;
      if (!ReadRecord(rec, editKey_, before, locked) || locked)
        Fault("record " + std::to_string(rec) + " changed while this worker held its lock");
    } else {
      const int used = UsedRecs(data_);
      const int pick = static_cast<int>(rng_() % 100);
      int add = 35, put = 35, del = 25;
      if (used < args_.Options.Population * 4 / 5) add = 60, put = 25, del = 10;
      if (used > args_.Options.Population * 6 / 5) add = 15, put = 30, del = 50;
      if (pick < add) op = Op::Add;
      else if (pick < add + put) op = Op::Put;
      else if (pick < add + put + del) op = Op::Delete;
      if ((op == Op::Put || op == Op::Delete) && !ChooseTarget(rec, before)) {
        op = Op::Header;
        rec = -1;
      }
    }
    if (editCountdown_ > 0) --editCountdown_;

    slot_->Phase = kWriterHoldChanging;
    EncodeUserHeader(mine, args_.Inc, header);
    WriteUserHeader(data_, header, kUserHeaderLength);
    Expect("WriteUserHeader");

    std::string misses;
    bool unlockAfter = false;
    Content after{mine, args_.Inc, "", ""};
    std::uint8_t record[kRecSize];
    switch (op) {
      case Op::Header:
        Intent(mine, "hdr", -1, Content{}, Content{});
        break;
      case Op::Add: {
        after.Primary = NewPrimaryKey();
        after.Group = NewGroupKey();
        Intent(mine, "add", -1, Content{}, after);
        EncodeRecord(after, record);
        const bool reuse = data_.Header.FirstFree != -1;
        AddRecordOrCrash(rec, record, reuse);
        Expect("AddRecInUse");
        if (reuse) CrashPoint("add-reused");
        AddKeyOrFault(primary_, rec, after.Primary, "AddKey primary");
        CrashPoint("add-keyed");
        AddGroupKey(rec, after.Group, misses);
        break;
      }
      case Op::Edit:
        if (args_.Options.DeleteLocked && rng_() % 2 == 0) {
          Intent(mine, "del", rec, before, Content{});
          DeleteKeyNoting(primary_, rec, before.Primary, 'p', misses);
          DeleteKeyNoting(group_, rec, before.Group, 'g', misses);
          DeleteRec(data_, rec);
          Expect("DeleteRec of a record this worker holds locked");
          unlockAfter = true;
          break;
        }
        [[fallthrough]];
      case Op::Put:
        after.Primary = rng_() % 2 == 0 ? NewPrimaryKey() : before.Primary;
        after.Group = rng_() % 2 == 0 ? NewGroupKey() : before.Group;
        Intent(mine, op == Op::Edit ? "edit" : "put", rec, before, after);
        EncodeRecord(after, record);
        PutRec(data_, rec, record);
        Expect("PutRec");
        DeleteKeyNoting(primary_, rec, before.Primary, 'p', misses);
        AddKeyOrFault(primary_, rec, after.Primary, "AddKey primary");
        DeleteKeyNoting(group_, rec, before.Group, 'g', misses);
        AddGroupKey(rec, after.Group, misses);
        if (op == Op::Edit) {
          UnlockRecord(data_, rec);
          Expect("UnlockRecord");
        }
        break;
      case Op::Delete:
        Intent(mine, "del", rec, before, Content{});
        DeleteKeyNoting(primary_, rec, before.Primary, 'p', misses);
        DeleteKeyNoting(group_, rec, before.Group, 'g', misses);
        DeleteRec(data_, rec);
        Expect("DeleteRec");
        CrashPoint("deleted");
        break;
    }
    End(true);
    if (op == Op::Edit) {
      // A deleted record stays locked until the next transaction has run.
      if (unlockAfter) pendingUnlock_ = rec;
      editRec_ = -1;
    }
    Log("C " + std::to_string(mine) + " " + std::to_string(rec) + " " + Field(misses));
    slot_->Writers = slot_->Writers + 1;
  }

  void ReaderTransaction() {
    const int pick = static_cast<int>(rng_() % 100);
    if (args_.Options.SiblingHeader && pick < 5) {
      SiblingHeaderRead();
      slot_->Readers = slot_->Readers + 1;
      return;
    }
    Begin(false);
    if (pick < 40)
      FindByKey();
    else if (pick < 70)
      ScanGroup();
    else if (pick < 82)
      ReadBlock();
    else if (pick < 90)
      ReadHeader();
    else if (editRec_ < 0)
      StartEdit();
    End(false);
    slot_->Readers = slot_->Readers + 1;
  }

  void FindByKey() {
    std::string key = ProbeKey();
    std::int32_t rec = 0;
    SearchKey(primary_, rec, key);
    Expect("SearchKey");
    if (!DBOk) return;
    std::string exact = key;
    std::int32_t again = 0;
    FindKey(primary_, again, exact);
    Expect("FindKey");
    if (!DBOk || again != rec)
      Fault("FindKey of " + key + " gave record " + std::to_string(again) + ", SearchKey " +
            std::to_string(rec));
    Content c;
    bool locked = false;
    ReadRecord(rec, key, c, locked);
  }

  void ScanGroup() {
    std::string key = NewGroupKey();
    std::int32_t rec = 0;
    SearchKey(group_, rec, key);
    Expect("SearchKey group");
    std::string lastKey;
    std::int32_t lastRec = -1;
    for (int i = 0; i < 40 && DBOk; ++i) {
      if (lastRec >= 0 && (key < lastKey || (key == lastKey && rec <= lastRec)))
        Fault("group scan went back from " + lastKey + "/" + std::to_string(lastRec) + " to " +
              key + "/" + std::to_string(rec));
      Content c;
      bool locked = false;
      ReadRecord(rec, key, c, locked);
      lastKey = key;
      lastRec = rec;
      NextKey(group_, rec, key);
      Expect("NextKey group");
    }
  }

  void ReadBlock() {
    const std::int32_t count = FileLen(data_);
    if (count < 2) return;
    const std::int32_t first = 1 + static_cast<std::int32_t>(rng_() % static_cast<std::uint32_t>(count - 1));
    std::uint8_t block[32 * kRecSize];
    const std::int32_t n = GetRecBlock(data_, first, 32, block);
    Expect("GetRecBlock");
    for (std::int32_t i = 0; i < n; ++i) {
      const std::uint8_t* r = block + i * kRecSize;
      Content c;
      if (r[0] == DBRecDeleted) continue;
      // A record another worker has locked comes back marked, as GetRec marks
      // it; under --delete-locked it may be a deleted record whose lock its
      // deleter still holds, so its bytes are not a record's.
      if (r[0] == DBRecLockedElsewhere) continue;
      if (r[0] != DBRecInUse) Fault("block read: record " + std::to_string(first + i) + " has status " + std::to_string(r[0]));
      if (!DecodeRecord(r, c)) Fault("block read: torn record " + std::to_string(first + i));
    }
  }

  void ReadHeader() {
    std::uint8_t header[kUserHeaderLength];
    ReadUserHeader(data_, header, kUserHeaderLength);
    Expect("ReadUserHeader");
    std::uint64_t seq = 0;
    if (!DecodeUserHeader(header, seq)) Fault("torn user header");
    if (seq < lastHeaderSeq_) Fault("user header went back from " + std::to_string(lastHeaderSeq_));
    lastHeaderSeq_ = seq;
  }

  // The start of an edit: a record locked for this workstation, rewritten by
  // a writer transaction a few transactions later.
  void StartEdit() {
    std::int32_t rec = 0;
    Content c;
    if (!ChooseTarget(rec, c)) return;
    if (!LockRecord(data_, rec)) {
      if (DBErrorCode != platform::kErrorLockViolation) Fault("LockRecord");
      DBErrorCode = DBErrNone;
      return;
    }
    slot_->Step = slot_->Step + 1;
    editRec_ = rec;
    editKey_ = c.Primary;
    editCountdown_ = 1 + static_cast<int>(rng_() % 4);
  }

  // The user header read inside a hold opened on an index only (the anchor
  // is held, the data file's own descriptor holds nothing).
  void SiblingHeaderRead() {
    slot_->Phase = kOpeningHold;
    slot_->Step = 0;
    LockIndexFile(primary_, true, false);
    Expect("LockIndexFile primary");
    slot_->Phase = kReaderHold;
    ReadHeader();
    slot_->Phase = kClosingHold;
    LockIndexFile(primary_, false, false);
    Expect("closing the primary index's hold");
  }

  const WorkerArgs& args_;
  Slot* slot_;
  std::mt19937_64 rng_;
  int log_ = -1;
  TDataFile anchor_;
  TDataFile data_;
  TIndexFile primary_;
  TIndexFile group_;
  std::uint32_t counter_ = 0;
  std::uint64_t lastHeaderSeq_ = 0;
  std::int32_t editRec_ = -1;
  std::int32_t pendingUnlock_ = -1;  // deleted while locked, unlocked after the next transaction
  std::string editKey_;
  int editCountdown_ = 0;
  int crashSeen_ = 0;
};

}  // namespace

int RunWorker(const WorkerArgs& args) {
  const std::string statusPath = platform::JoinPath(args.Dir, kStatusName);
  const int fd = ::open(statusPath.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return 3;
  void* map = ::mmap(nullptr, sizeof(Slot) * static_cast<std::size_t>(args.Slot + 1),
                     PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  ::close(fd);
  if (map == MAP_FAILED) return 3;
  Slot* slot = static_cast<Slot*>(map) + args.Slot;
  int result = 0;
  {
    Worker worker(args, slot);
    result = worker.Run();
  }
  ::munmap(map, sizeof(Slot) * static_cast<std::size_t>(args.Slot + 1));
  return result;
}

}  // namespace stress
