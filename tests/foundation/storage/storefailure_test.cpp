// Record and index files when the disk says no (the platform's fault switch
// fails one read, write, flush or unlock on purpose), when another
// workstation holds what an operation needs, and when the file itself is
// damaged. After each failure: the error word reaches the caller that asked,
// and the file, closed and opened again, passes its invariant checks holding
// the state before or after the operation, never a mixture.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "common/peer_process.h"
#include "foundation/storage/btree.h"
#include "foundation/storage/recordfile.h"
#include "platform/files/faultinject.h"
#include "store_fixture.h"

using platform::FaultOp;
using platform::FaultPlan;
using platform::FaultScope;

namespace {

std::string Key(int i) {
  char text[8];
  std::snprintf(text, sizeof text, "k%03d", i);
  return text;
}

std::vector<std::string> Items(int from, int to) {
  std::vector<std::string> items;
  for (int i = from; i <= to; ++i) items.push_back(Key(i) + "/" + std::to_string(i));
  return items;
}

// Page n of an index image.
std::size_t PageOffset(int keyLength, std::int32_t n) {
  return static_cast<std::size_t>(n) * IndexPageSize(keyLength);
}

class StoreFailureTest : public StoreFileTest {
 protected:
  void TearDown() override {
    platform::DisarmFault();
    StoreFileTest::TearDown();
  }

  // A closed index of key length 4 holding k001 .. k<count>, record i for key i.
  std::string MakeKeys(const std::string& name, int count, bool shared = false) {
    TIndexFile ix;
    MakeIndex(ix, nullptr, PathOf(name), 4, false, shared);
    EXPECT_TRUE(ix.IsOpen);
    for (int i = 1; i <= count; ++i) {
      std::string k = Key(i);
      AddKey(ix, i, k);
      EXPECT_TRUE(DBOk);
    }
    CloseIndex(ix);
    EXPECT_EQ(DBErrorCode, 0);
    return PathOf(name);
  }

  // A closed data file of 40-byte records 1 .. count (payload byte i).
  std::string MakeRecords(const std::string& name, int count) {
    TDataFile f;
    MakeFile(f, nullptr, PathOf(name), 40, false, false);
    for (int i = 1; i <= count; ++i) {
      Bytes r(40, static_cast<std::uint8_t>(i));
      r[0] = DBRecInUse;
      std::int32_t n = 0;
      AddRec(f, n, r.data());
    }
    CloseFile(f);
    return PathOf(name);
  }
};

// The second process of the record-file tests (tests/foundation/storage/helpers/recpeer.cpp).
class RecPeer : public PeerProcess {
 public:
  RecPeer() : PeerProcess(HELPER_RECPEER) {}
  void Open(const std::string& path, int size, bool appendOnly = false) {
    ASSERT_EQ(Ask("multi 1"), "ok");
    const std::string flags = std::string(" 1 ") + (appendOnly ? "1" : "0") + " 0";
    ASSERT_EQ(Ask("open " + path + " " + std::to_string(size) + flags), "ok 0");
  }
};

// --- Write-back of cached index pages ------------------------------------------

// A page of index A evicted for index B's operation used to be dropped as
// written when its write failed: B got the error word, A's keys were lost and
// CloseIndex(A) said nothing.
TEST_F(StoreFailureTest, FailedWriteBackStaysWithItsOwnIndex) {
  // A cache of 80 pages, so that a few thousand keys of B evict A's pages.
  struct SmallCache {
    SmallCache() { EXPECT_TRUE(SetIndexCachePages(80)); }
    ~SmallCache() { SetIndexCachePages(IndexCacheSlots); }
  } smallCache;
  for (const bool reportedByClose : {false, true}) {
    SCOPED_TRACE(reportedByClose ? "reported by the close" : "reported by the next operation");
    const std::string pathA = PathOf(reportedByClose ? "a2.idx" : "a1.idx");
    TIndexFile a;
    MakeIndex(a, nullptr, pathA, 8, false, false);
    for (int i = 1; i <= 400; ++i) {
      std::string k = Key(i);
      AddKey(a, i, k);
      ASSERT_TRUE(DBOk);
    }
    {
      FaultScope fault(FaultPlan{FaultOp::Write, 1, true, pathA});
      // Enough pages of B to push every page of A out of the cache.
      TIndexFile b;
      MakeIndex(b, nullptr, PathOf(reportedByClose ? "b2.idx" : "b1.idx"), 35, false, false);
      for (int i = 1; i <= 6000; ++i) {
        std::string k = Key(i) + std::string(30, 'x');
        AddKey(b, i, k);
        ASSERT_TRUE(DBOk) << i;
        ASSERT_EQ(DBErrorCode, 0) << "charged to the other index at key " << i;
      }
      EXPECT_TRUE(platform::FaultStruck());
      CloseIndex(b);
      EXPECT_EQ(DBErrorCode, 0);
    }
    if (!reportedByClose) {
      std::int32_t rec = 0;
      std::string k = Key(7);
      FindKey(a, rec, k);
      EXPECT_EQ(DBErrorCode, DBErrWrite);
      EXPECT_TRUE(DBOk);
      EXPECT_EQ(rec, 7);
      k = Key(8);
      FindKey(a, rec, k);
      EXPECT_EQ(DBErrorCode, 0) << "reported once";
      CloseIndex(a);
      EXPECT_EQ(DBErrorCode, 0);
    } else {
      CloseIndex(a);
      EXPECT_EQ(DBErrorCode, DBErrWrite);
    }
    // The pages stayed in the cache and reached the file at the close.
    OpenIndex(a, nullptr, pathA, 8, false, false);
    ASSERT_TRUE(a.IsOpen);
    EXPECT_EQ(CheckInvariants(a), "");
    EXPECT_EQ(ScanIndex(a), Items(1, 400));
    CloseIndex(a);
  }
}

// --- Every write and flush of an operation failed in turn -----------------------

struct SweepCase {
  const char* name;
  bool index;  // an index file (key sets compared), else a data file (bytes compared)
  std::function<std::string()> base;  // makes the file, returns its path
  std::function<void(const std::string&)> operation;   // opens, runs, leaves it open
  std::function<void()> close;
};

// Bytes of a data file with the change counter masked: a failed writer
// transaction still counts.
Bytes Masked(Bytes bytes) {
  if (bytes.size() >= 16) bytes[14] = bytes[15] = 0;
  return bytes;
}

TEST_F(StoreFailureTest, EveryWriteAndFlushFailedInTurnLeavesOldOrNewState) {
  DBMultiUser = true;
  TIndexFile ix;
  TDataFile file;
  auto openIndex = [&](const std::string& path) { OpenIndex(ix, nullptr, path, 4, false, true); };
  auto openData = [&](const std::string& path) {
    OpenFile(file, nullptr, path, 40, true, false, false);
  };
  const std::vector<SweepCase> cases = {
      {"insert that splits the root", true,
       [this] { return MakeKeys("split.idx", 80, true); },
       [&](const std::string& path) {
         openIndex(path);
         std::string k = Key(81);
         AddKey(ix, 81, k);
       },
       [&] { CloseIndex(ix); }},
      {"insert that splits a leaf", true,
       [this] { return MakeKeys("split2.idx", 160, true); },
       [&](const std::string& path) {
         openIndex(path);
         std::string k = Key(161);
         AddKey(ix, 161, k);
       },
       [&] { CloseIndex(ix); }},
      {"delete that merges and releases the root", true,
       [this] { return MakeKeys("merge.idx", 81, true); },
       [&](const std::string& path) {
         openIndex(path);
         std::int32_t rec = 0;
         std::string k = Key(1);
         DeleteKey(ix, rec, k);
       },
       [&] { CloseIndex(ix); }},
      {"AddRec reusing the free list", false,
       [this] {
         const std::string path = MakeRecords("reuse.dat", 6);
         TDataFile f;
         OpenFile(f, nullptr, path, 40, false, false, false);
         DeleteRec(f, 2);
         DeleteRec(f, 5);
         CloseFile(f);
         return path;
       },
       [&](const std::string& path) {
         openData(path);
         Bytes r(40, 0xAB);
         r[0] = DBRecInUse;
         std::int32_t n = 0;
         AddRec(file, n, r.data());
       },
       [&] { CloseFile(file); }},
      {"shared append", false, [this] { return MakeRecords("append.dat", 3); },
       [&](const std::string& path) {
         openData(path);
         Bytes r(40, 0xCD);
         r[0] = DBRecInUse;
         std::int32_t n = 0;
         AddRec(file, n, r.data());
       },
       [&] { CloseFile(file); }},
  };

  for (const SweepCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = c.base();
    const Bytes oldImage = ReadBytes(path);
    // What the file holds after the operation when nothing fails.
    c.operation(path);
    ASSERT_EQ(DBErrorCode, 0);
    c.close();
    const Bytes newImage = ReadBytes(path);
    std::vector<std::string> oldKeys, newKeys;
    if (c.index) {
      WriteBytes(path, oldImage);
      openIndex(path);
      oldKeys = ScanIndex(ix);
      CloseIndex(ix);
      WriteBytes(path, newImage);
      openIndex(path);
      newKeys = ScanIndex(ix);
      CloseIndex(ix);
      ASSERT_NE(oldKeys, newKeys);
    }

    for (const FaultOp op : {FaultOp::Write, FaultOp::Flush}) {
      for (std::uint32_t n = 1;; ++n) {
        SCOPED_TRACE((op == FaultOp::Write ? "write " : "flush ") + std::to_string(n));
        WriteBytes(path, oldImage);
        bool struck = false;
        {
          FaultScope fault(FaultPlan{op, n, false, path});
          c.operation(path);
          struck = platform::FaultStruck();
        }
        const std::uint16_t error = DBErrorCode;
        if (!struck) {
          EXPECT_EQ(error, 0);
          c.close();
          // Every operation here writes at least a record or page and the header.
          if (op == FaultOp::Write) {
            EXPECT_GE(n, 3u);
          }
          break;
        }
        // The operation that met the failure reports it.
        EXPECT_EQ(error, DBErrWrite);
        // What could not be written is kept and written at the close.
        c.close();
        EXPECT_EQ(DBErrorCode, 0);
        if (c.index) {
          openIndex(path);
          ASSERT_TRUE(ix.IsOpen);
          EXPECT_EQ(CheckInvariants(ix), "");
          const std::vector<std::string> keys = ScanIndex(ix);
          EXPECT_TRUE(keys == oldKeys || keys == newKeys) << keys.size() << " keys";
          CloseIndex(ix);
        } else {
          openData(path);
          ASSERT_TRUE(file.IsOpen);
          EXPECT_EQ(CheckDataFileInvariants(file), "");
          CloseFile(file);
          const Bytes image = Masked(ReadBytes(path));
          EXPECT_TRUE(image == Masked(oldImage) || image == Masked(newImage));
        }
      }
    }
  }
}

// --- Shared transactions ---------------------------------------------------------

// A failed re-read of the header at the start of a shared transaction was
// ignored: the operation then ran on a stale record count and free list.
TEST_F(StoreFailureTest, FailedHeaderReReadEndsTheOperation) {
  const std::string data = MakeRecords("stale.dat", 3);
  const std::string index = MakeKeys("stale.idx", 10, true);
  const Bytes dataBefore = ReadBytes(data);
  const Bytes indexBefore = ReadBytes(index);
  TDataFile f;
  OpenFile(f, nullptr, data, 40, true, false, false);
  TIndexFile ix;
  OpenIndex(ix, nullptr, index, 4, false, true);
  Bytes r(40, 0x11);
  r[0] = DBRecInUse;
  {
    FaultScope fault(FaultPlan{FaultOp::Read, 1, false, data});
    std::int32_t n = 0;
    AddRec(f, n, r.data());
    EXPECT_EQ(DBErrorCode, DBErrRead);
  }
  {
    // Inside a caller's hold whose re-read failed, nothing runs either.
    FaultScope fault(FaultPlan{FaultOp::Read, 1, false, data});
    LockDataFile(f, true, true);
    PutRec(f, 1, r.data());
    EXPECT_EQ(DBErrorCode, DBErrRead);
    LockDataFile(f, false, true);
  }
  {
    FaultScope fault(FaultPlan{FaultOp::Read, 1, false, index});
    std::string k = Key(50);
    AddKey(ix, 50, k);
    EXPECT_EQ(DBErrorCode, DBErrRead);
    EXPECT_FALSE(DBOk);
  }
  CloseFile(f);
  CloseIndex(ix);
  EXPECT_EQ(ReadBytes(data), dataBefore);
  EXPECT_EQ(ReadBytes(index), indexBefore);
}

// A failed flush to disk and a failed unlock used to be dropped.
TEST_F(StoreFailureTest, FailedFlushAndUnlockAreReported) {
  DBMultiUser = true;
  const std::string data = MakeRecords("flush.dat", 3);
  TDataFile f;
  OpenFile(f, nullptr, data, 40, true, false, false);
  Bytes r(40, 0x22);
  r[0] = DBRecInUse;
  {
    FaultScope fault(FaultPlan{FaultOp::Flush, 1, false, data});
    PutRec(f, 1, r.data());
    EXPECT_EQ(DBErrorCode, DBErrWrite);
  }
  {
    FaultScope fault(FaultPlan{FaultOp::Unlock, 1, false, data});
    GetRec(f, 1, r.data());
    EXPECT_EQ(DBErrorCode, platform::kErrorGeneralFailure);
  }
  {
    FaultScope fault(FaultPlan{FaultOp::Unlock, 1, false, data});
    WriteUserHeader(f, r.data(), 4);
    EXPECT_EQ(DBErrorCode, platform::kErrorGeneralFailure);
  }
  // Nothing stayed locked: the next transactions go through.
  PutRec(f, 2, r.data());
  EXPECT_EQ(DBErrorCode, 0);
  CloseFile(f);
  EXPECT_EQ(DBErrorCode, 0);
}

// The user header of the main file read or written inside a transaction
// opened on a sibling that shares the lock anchor used to wait for this
// process's own lock forever.
TEST_F(StoreFailureTest, UserHeaderInsideTransactionOnSiblingOfTheAnchor) {
  DBMultiUser = true;
  const std::string main = MakeRecords("main.dat", 2);
  const std::string sibling = MakeRecords("sibling.dat", 2);
  TDataFile anchor, m, s;
  OpenFileShared(anchor, main, 40);
  OpenFile(m, &anchor, main, 40, true, false, false);
  OpenFile(s, &anchor, sibling, 40, true, false, false);
  ASSERT_TRUE(anchor.IsOpen && m.IsOpen && s.IsOpen);
  RecPeer peer;
  peer.Open(main, 40);

  const Bytes mine = {1, 2, 3, 4, 5, 6, 7, 8};
  for (const bool exclusive : {true, false}) {
    SCOPED_TRACE(exclusive ? "writer" : "reader");
    LockDataFile(s, true, exclusive);
    if (exclusive) {
      // The other workstation's transfer waits for our transaction.
      peer.Send("writeuh 8 99");
      EXPECT_EQ(peer.Read(300), "timeout");
      WriteUserHeader(m, mine.data(), 8);
      EXPECT_EQ(DBErrorCode, 0);
    }
    Bytes back(8);
    ReadUserHeader(m, back.data(), 8);
    EXPECT_EQ(DBErrorCode, 0);
    EXPECT_EQ(back, mine);
    LockDataFile(s, false, exclusive);
    if (exclusive) {
      EXPECT_EQ(peer.Read(), "done 0");
      Bytes theirs(8);
      ReadUserHeader(m, theirs.data(), 8);
      EXPECT_EQ(theirs, Bytes(8, 99));
      WriteUserHeader(m, mine.data(), 8);
    }
  }
  CloseFile(m);
  CloseFile(s);
  CloseFileHandle(anchor);
}

// --- Free lists --------------------------------------------------------------------

// A free-list head locked by another workstation was taken for damage: the
// list was dropped for good while FreeCount stayed.
TEST_F(StoreFailureTest, LockedFreeListHeadKeepsTheList) {
  DBMultiUser = true;
  const std::string path = MakeRecords("lockedhead.dat", 5);
  TDataFile f;
  OpenFile(f, nullptr, path, 40, true, false, false);
  DeleteRec(f, 3);
  DeleteRec(f, 2);
  RecPeer peer;
  peer.Open(path, 40);
  ASSERT_EQ(peer.Ask("lockrec 2"), "ok 1 0");

  Bytes r(40, 0x33);
  r[0] = DBRecInUse;
  std::int32_t n = 0;
  AddRec(f, n, r.data());
  EXPECT_EQ(DBErrorCode, 0);
  EXPECT_EQ(n, 6);  // appended once
  EXPECT_EQ(f.Header.FirstFree, 2);
  EXPECT_EQ(f.Header.FreeCount, 2);
  EXPECT_EQ(CheckDataFileInvariants(f), "");

  ASSERT_EQ(peer.Ask("unlockrec 2"), "ok 0");
  AddRec(f, n, r.data());
  EXPECT_EQ(n, 2);
  AddRec(f, n, r.data());
  EXPECT_EQ(n, 3);
  EXPECT_EQ(CheckDataFileInvariants(f), "");
  CloseFile(f);
}

// --- A workstation killed inside its writer hold ----------------------------------

// Runs work in a child process that then kills itself (SIGKILL) before
// closing anything: its holds end as a killed workstation's do, with the
// writes made so far on disk and nothing more.
void KilledInsideHold(const std::function<void()>& work) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    work();
    ::kill(::getpid(), SIGKILL);
    ::_exit(99);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGKILL);
}

// An AddRec that took the free list's head wrote the record at once and the
// header only when the hold closed: killed in between, the header on disk
// named a record in use, the next AddRec dropped the list and FreeCount went
// on counting it.
TEST_F(StoreFailureTest, FreeListSurvivesKillAfterReusingAdd) {
  DBMultiUser = true;
  const std::string path = MakeRecords("killreuse.dat", 6);
  {
    TDataFile f;
    OpenFile(f, nullptr, path, 40, false, false, false);
    DeleteRec(f, 2);
    DeleteRec(f, 5);  // the list: 5, 2
    CloseFile(f);
  }
  Bytes r(40, 0xAB);
  r[0] = DBRecInUse;
  KilledInsideHold([&] {
    TDataFile f;
    OpenFile(f, nullptr, path, 40, true, false, false);
    LockDataFile(f, true, true);
    std::int32_t n = 0;
    AddRec(f, n, r.data());
    if (n != 5) ::_exit(1);
  });

  TDataFile f;
  OpenFile(f, nullptr, path, 40, true, false, false);
  ASSERT_TRUE(f.IsOpen);
  EXPECT_EQ(CheckDataFileInvariants(f), "");
  Bytes back(40);
  GetRec(f, 5, back.data());
  EXPECT_EQ(back, r);  // what the killed transaction wrote stays
  std::int32_t n = 0;
  AddRec(f, n, r.data());
  EXPECT_EQ(n, 2);
  AddRec(f, n, r.data());
  EXPECT_EQ(n, 7);
  EXPECT_EQ(f.Header.FreeCount, 0);
  EXPECT_EQ(CheckDataFileInvariants(f), "");
  // A delete killed in its hold leaves the record on the list the header names.
  KilledInsideHold([&] {
    TDataFile g;
    OpenFile(g, nullptr, path, 40, true, false, false);
    LockDataFile(g, true, true);
    DeleteRec(g, 3);
    DeleteRec(g, 4);
  });
  CloseFile(f);
  OpenFile(f, nullptr, path, 40, true, false, false);
  EXPECT_EQ(CheckDataFileInvariants(f), "");
  EXPECT_EQ(f.Header.FreeCount, 2);
  EXPECT_EQ(f.Header.FirstFree, 4);
  CloseFile(f);
}

// A DeleteKey that released a page wrote the page's free mark at once while
// the pages that stopped naming it stayed changed in the cache until the
// hold closed: killed in between, the tree on disk named a free page.
TEST_F(StoreFailureTest, IndexTreeSurvivesKillAfterPageRelease) {
  DBMultiUser = true;
  struct Case {
    const char* name;
    int keys;     // k001 .. k<keys>
    int deleted;  // k001 .. k<deleted> deleted inside the killed hold
  };
  const Case cases[] = {
      {"the root released", 81, 1},
      {"leaves merged", 240, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = MakeKeys(std::string("killrelease") + std::to_string(c.keys) + ".idx",
                                      c.keys, true);
    KilledInsideHold([&] {
      TIndexFile ix;
      OpenIndex(ix, nullptr, path, 4, false, true);
      LockIndexFile(ix, true, true);
      const std::int32_t free = ix.Header.FreeCount;
      for (int i = 1; i <= c.deleted; ++i) {
        std::int32_t rec = i;
        std::string k = Key(i);
        DeleteKey(ix, rec, k);
        if (!DBOk) ::_exit(1);
      }
      // The operation released pages (they wait for the flush).
      if (ix.PendingFree.empty() && ix.Header.FreeCount == free) ::_exit(2);
    });
    TIndexFile ix;
    OpenIndex(ix, nullptr, path, 4, false, true);
    ASSERT_TRUE(ix.IsOpen);
    EXPECT_EQ(CheckInvariants(ix), "");
    EXPECT_EQ(ScanIndex(ix), Items(1, c.keys));
    // The index goes on: the same deletes, done, leave the rest.
    for (int i = 1; i <= c.deleted; ++i) {
      std::int32_t rec = i;
      std::string k = Key(i);
      DeleteKey(ix, rec, k);
      EXPECT_TRUE(DBOk);
    }
    EXPECT_EQ(CheckInvariants(ix), "");
    EXPECT_EQ(ScanIndex(ix), Items(c.deleted + 1, c.keys));
    CloseIndex(ix);
    EXPECT_EQ(DBErrorCode, 0);
  }
}

// FreeCount was never checked: values near the integer limits overflowed in
// UsedRecs, in taking a record off the list and in putting one on.
TEST_F(StoreFailureTest, FreeCountOutsideItsRangeIsDamage) {
  for (const std::int32_t count : {INT32_MAX, INT32_MIN, -1, 8}) {
    SCOPED_TRACE(count);
    const std::string path = MakeRecords("count.dat", 6);
    TDataFile f;
    OpenFile(f, nullptr, path, 40, false, false, false);
    DeleteRec(f, 4);
    CloseFile(f);
    Bytes image = ReadBytes(path);
    PatchI32(image, 4, count);
    WriteBytes(path, image);

    OpenFile(f, nullptr, path, 40, false, false, false);
    const std::int32_t used = UsedRecs(f);
    EXPECT_GE(used, 0);
    EXPECT_LE(used, 6);
    EXPECT_NE(CheckDataFileInvariants(f), "");
    Bytes r(40, 0x44);
    r[0] = DBRecInUse;
    std::int32_t n = 0;
    AddRec(f, n, r.data());
    EXPECT_EQ(n, 7);  // the list is dropped, record 4 stays deleted
    DeleteRec(f, 5);  // and a new list starts
    EXPECT_EQ(f.Header.FirstFree, 5);
    EXPECT_EQ(f.Header.FreeCount, 1);
    EXPECT_EQ(CheckDataFileInvariants(f), "");
    AddToFreeCount(f, INT32_MAX);
    AddToFreeCount(f, INT32_MAX);
    EXPECT_EQ(f.Header.FreeCount, INT32_MAX);
    EXPECT_EQ(UsedRecs(f), 0);
    CloseFile(f);
  }

  // An index with a free page and a count at either limit: splits take new
  // pages, no key is lost or invented.
  for (const std::int32_t count : {INT32_MAX, INT32_MIN}) {
    SCOPED_TRACE(count);
    const std::string path = MakeKeys("count.idx", 81);
    TIndexFile ix;
    OpenIndex(ix, nullptr, path, 4, false, false);
    for (int i = 1; i <= 40; ++i) {
      std::int32_t rec = 0;
      std::string k = Key(i);
      DeleteKey(ix, rec, k);
    }
    CloseIndex(ix);
    Bytes image = ReadBytes(path);
    ASSERT_NE(I32At(image, 0), -1);
    PatchI32(image, 4, count);
    WriteBytes(path, image);
    OpenIndex(ix, nullptr, path, 4, false, false);
    EXPECT_NE(CheckInvariants(ix), "");
    for (int i = 1; i <= 40; ++i) {
      std::string k = Key(i);
      AddKey(ix, i, k);
      ASSERT_TRUE(DBOk);
      ASSERT_EQ(DBErrorCode, 0);
    }
    for (int i = 82; i <= 300; ++i) {
      std::string k = Key(i);
      AddKey(ix, i, k);
      ASSERT_TRUE(DBOk);
    }
    EXPECT_EQ(ScanIndex(ix), Items(1, 300));
    CloseIndex(ix);
  }
}

// A damaged free list is dropped and the header keeps its FreeCount: the
// dropped records (pages) stay counted, leaked, and the engine's own checks
// called that sound state broken. They still catch a list longer than its
// count and a damaged count with a list.
TEST_F(StoreFailureTest, DroppedFreeListKeepsItsCountAndPassesTheChecks) {
  {
    const std::string path = MakeRecords("drop.dat", 6);
    TDataFile f;
    OpenFile(f, nullptr, path, 40, false, false, false);
    DeleteRec(f, 2);
    DeleteRec(f, 5);
    CloseFile(f);
    Bytes image = ReadBytes(path);
    ASSERT_EQ(I32At(image, 0), 5);
    image[5 * 40] = DBRecInUse;  // the head is no free record any more
    WriteBytes(path, image);
    OpenFile(f, nullptr, path, 40, false, false, false);
    EXPECT_NE(CheckDataFileInvariants(f), "");
    Bytes r(40, 0x44);
    r[0] = DBRecInUse;
    std::int32_t n = 0;
    AddRec(f, n, r.data());
    EXPECT_EQ(n, 7);
    EXPECT_EQ(f.Header.FirstFree, -1);
    EXPECT_EQ(f.Header.FreeCount, 2);
    EXPECT_EQ(CheckDataFileInvariants(f), "");
    DeleteRec(f, 3);
    EXPECT_EQ(f.Header.FreeCount, 3);
    EXPECT_EQ(CheckDataFileInvariants(f), "");
    f.Header.FreeCount = 0;  // fewer than the list holds
    EXPECT_NE(CheckDataFileInvariants(f), "");
    f.Header.FreeCount = 100;  // a damaged count with a list
    EXPECT_NE(CheckDataFileInvariants(f), "");
    f.Header.FirstFree = -1;  // the same count once the list is dropped
    EXPECT_EQ(CheckDataFileInvariants(f), "");
    CloseFile(f);
  }
  {
    const std::string path = MakeKeys("drop.idx", 81);
    TIndexFile ix;
    OpenIndex(ix, nullptr, path, 4, false, false);
    for (int i = 1; i <= 40; ++i) {
      std::int32_t rec = 0;
      std::string k = Key(i);
      DeleteKey(ix, rec, k);
    }
    CloseIndex(ix);
    Bytes image = ReadBytes(path);
    const std::int32_t head = I32At(image, 0);
    const std::int32_t count = I32At(image, 4);
    ASSERT_NE(head, -1);
    ASSERT_GE(count, 1);
    image[PageOffset(4, head)] = DBRecInUse;
    WriteBytes(path, image);
    OpenIndex(ix, nullptr, path, 4, false, false);
    EXPECT_NE(CheckInvariants(ix), "");
    for (int i = 82; i <= 400; ++i) {  // splits take new pages: the list is dropped
      std::string k = Key(i);
      AddKey(ix, i, k);
      ASSERT_TRUE(DBOk);
    }
    EXPECT_EQ(ix.Header.FirstFree, -1);
    EXPECT_EQ(ix.Header.FreeCount, count);
    EXPECT_EQ(CheckInvariants(ix), "");
    std::int32_t leaked = -1;
    EXPECT_EQ(CheckInvariants(ix, &leaked), "");
    EXPECT_EQ(leaked, count);
    EXPECT_EQ(ScanIndex(ix), Items(41, 400));
    ix.Header.FreeCount = count - 1;  // a leaked page the header does not count
    EXPECT_NE(CheckInvariants(ix), "");
    ix.Header.FreeCount = count;
    CloseIndex(ix);
  }
}

// --- Damaged index files -------------------------------------------------------------

// The root page of a tree that has just split holds one item, so on disk it
// looks like a free page: a header whose free list named it let the next
// split take a page of the tree, and keys vanished.
TEST_F(StoreFailureTest, FreeListNamingTheRootIsNeverReused) {
  const std::string path = MakeKeys("freeroot.idx", 81);
  Bytes image = ReadBytes(path);
  const std::int32_t root = I32At(image, 8);
  ASSERT_EQ(image[PageOffset(4, root)], 1);
  PatchI32(image, 0, root);
  PatchI32(image, 4, 1);
  WriteBytes(path, image);

  TIndexFile ix;
  OpenIndex(ix, nullptr, path, 4, false, false);
  ASSERT_TRUE(ix.IsOpen);
  EXPECT_NE(CheckInvariants(ix), "");
  for (int i = 82; i <= 400; ++i) {
    std::string k = Key(i);
    AddKey(ix, i, k);
    ASSERT_TRUE(DBOk) << i;
    ASSERT_EQ(DBErrorCode, 0);
  }
  EXPECT_EQ(ScanIndex(ix), Items(1, 400));
  CloseIndex(ix);
  OpenIndex(ix, nullptr, path, 4, false, false);
  EXPECT_EQ(ScanIndex(ix), Items(1, 400));
  CloseIndex(ix);
}

// A page out of both the tree and the free list is what a workstation killed
// in its writer hold may leave: a fault for the plain check, counted as a
// leak when the caller allows it; a page on both is never allowed.
TEST_F(StoreFailureTest, LeakedPageIsCountedWhenAllowedAndAFaultOtherwise) {
  const std::string path = MakeKeys("leaked.idx", 81);
  Bytes image = ReadBytes(path);
  image.resize(image.size() + IndexPageSize(4), 0);  // one page appended, linked nowhere
  WriteBytes(path, image);

  TIndexFile ix;
  OpenIndex(ix, nullptr, path, 4, false, false);
  ASSERT_TRUE(ix.IsOpen);
  EXPECT_NE(CheckInvariants(ix), "");
  std::int32_t leaked = -1;
  EXPECT_EQ(CheckInvariants(ix, &leaked), "");
  EXPECT_EQ(leaked, 1);
  EXPECT_EQ(ScanIndex(ix), Items(1, 81));
  CloseIndex(ix);

  // The free list naming a page of the tree stays damage with leaks allowed.
  Bytes named = ReadBytes(path);
  PatchI32(named, 0, I32At(named, 8));
  PatchI32(named, 4, 1);
  WriteBytes(path, named);
  OpenIndex(ix, nullptr, path, 4, false, false);
  EXPECT_NE(CheckInvariants(ix, &leaked), "");
  CloseIndex(ix);
}

// A page under two parents passed every check made on reading, and a walk
// returned its keys again and again (exponentially many with a chain).
TEST_F(StoreFailureTest, PageUnderTwoParentsEndsTheScanWith1005) {
  const std::string path = MakeKeys("twoparents.idx", 81);
  Bytes image = ReadBytes(path);
  const std::int32_t root = I32At(image, 8);
  const std::size_t rootAt = PageOffset(4, root);
  const std::int32_t left = I32At(image, rootAt + 1);
  PatchI32(image, rootAt + 5 + 4, left);  // item 1's right child: the left leaf again
  WriteBytes(path, image);

  TIndexFile ix;
  OpenIndex(ix, nullptr, path, 4, false, false);
  ASSERT_TRUE(ix.IsOpen);
  EXPECT_NE(CheckInvariants(ix), "");
  for (const bool forward : {true, false}) {
    SCOPED_TRACE(forward ? "forward" : "backward");
    ix.PathDepth = 0;
    std::int32_t rec = 0;
    std::string key;
    std::set<std::string> seen;
    int steps = 0;
    for (;;) {
      if (forward)
        NextKey(ix, rec, key);
      else
        PrevKey(ix, rec, key);
      if (!DBOk) break;
      EXPECT_TRUE(seen.insert(key).second) << key << " returned twice";
      ASSERT_LT(++steps, 200);
    }
    EXPECT_EQ(DBErrorCode, DBErrBadIndexPage);
  }
  CloseIndex(ix);
  EXPECT_EQ(ReadBytes(path), image);
}

// A DeleteKey that met a damaged sibling used to write its half-done change
// (the key gone, a page of 39 items), and the next DeleteKey on the same
// descriptor read item -1 of a page left with no items.
TEST_F(StoreFailureTest, DamagedSiblingMetByDeleteKeyWritesNothing) {
  for (const bool shared : {false, true}) {
    SCOPED_TRACE(shared ? "shared" : "not shared");
    const std::string path = MakeKeys(shared ? "sib2.idx" : "sib1.idx", 81, shared);
    Bytes image = ReadBytes(path);
    const std::int32_t root = I32At(image, 8);
    const std::int32_t right = I32At(image, PageOffset(4, root) + 5 + 4);
    image[PageOffset(4, right)] = 0;  // an item count no page can have
    WriteBytes(path, image);

    TIndexFile ix;
    OpenIndex(ix, nullptr, path, 4, false, shared);
    ASSERT_TRUE(ix.IsOpen);
    for (const int victim : {1, 2}) {
      std::int32_t rec = 0;
      std::string k = Key(victim);
      DeleteKey(ix, rec, k);
      EXPECT_FALSE(DBOk);
      EXPECT_EQ(DBErrorCode, DBErrBadIndexPage);
    }
    // The keys are still there, in the cache as in the file.
    for (const int present : {1, 2, 40}) {
      std::int32_t rec = 0;
      std::string k = Key(present);
      FindKey(ix, rec, k);
      EXPECT_TRUE(DBOk);
      EXPECT_EQ(rec, present);
    }
    CloseIndex(ix);
    EXPECT_EQ(DBErrorCode, 0);
    Bytes after = ReadBytes(path);
    if (shared) after[14] = image[14], after[15] = image[15];
    EXPECT_EQ(after, image);
  }
}

// --- Record locks and block reads ----------------------------------------------------

// A block read handed out records another workstation had locked as ordinary
// records, where a single-record read marks them with status 2.
TEST_F(StoreFailureTest, BlockReadMarksRecordsLockedElsewhere) {
  DBMultiUser = true;
  for (const bool appendOnly : {false, true}) {
    SCOPED_TRACE(appendOnly ? "append-only" : "reused records");
    const std::string path = MakeRecords(appendOnly ? "block2.dat" : "block1.dat", 6);
    TDataFile f;
    OpenFile(f, nullptr, path, 40, true, appendOnly, false);
    RecPeer peer;
    peer.Open(path, 40, appendOnly);
    ASSERT_EQ(peer.Ask("lockrec 3"), "ok 1 0");
    ASSERT_EQ(peer.Ask("lockrec 5"), "ok 1 0");
    Bytes block(6 * 40, 0xEE);
    const std::int32_t got = GetRecBlock(f, 1, 6, block.data());
    if (!appendOnly) {
      EXPECT_EQ(got, 6);
      EXPECT_EQ(DBErrorCode, 0);
      for (int n = 1; n <= 6; ++n) {
        EXPECT_EQ(block[(n - 1) * 40], n == 3 || n == 5 ? DBRecLockedElsewhere : DBRecInUse) << n;
        EXPECT_EQ(block[(n - 1) * 40 + 1], n) << n;
      }
    } else {
      // Byte 0 is the owner's: the block ends before the first locked record.
      EXPECT_EQ(got, 2);
      EXPECT_EQ(DBErrorCode, DBErrRead);
    }
    ASSERT_EQ(peer.Ask("unlockrec 3"), "ok 0");
    ASSERT_EQ(peer.Ask("unlockrec 5"), "ok 0");
    EXPECT_EQ(GetRecBlock(f, 1, 6, block.data()), 6);
    EXPECT_EQ(block[2 * 40], DBRecInUse);
    CloseFile(f);
  }
}

}  // namespace
