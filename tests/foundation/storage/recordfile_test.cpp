#include "foundation/storage/recordfile.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/peer_process.h"
#include "foundation/storage/btree.h"
#include "store_fixture.h"

namespace fs = std::filesystem;

namespace {

std::uint16_t U16At(const Bytes& bytes, std::size_t offset) { return GetU16(bytes.data() + offset); }

// A data record: status byte, then the payload byte repeated.
Bytes Record(std::uint16_t size, std::uint8_t payload, std::uint8_t status = DBRecInUse) {
  Bytes r(size, payload);
  r[0] = status;
  return r;
}

class RecordFileTest : public StoreFileTest {
 protected:
  // A closed non-shared file of Count records filled with payloads 1, 2, ...
  std::string MakeFilled(const std::string& name, std::uint16_t size, int count,
                         bool appendOnly = false) {
    TDataFile f;
    MakeFile(f, nullptr, PathOf(name), size, false, appendOnly);
    EXPECT_TRUE(f.IsOpen);
    for (int i = 1; i <= count; ++i) {
      Bytes r = Record(size, static_cast<std::uint8_t>(i));
      std::int32_t n = 0;
      AddRec(f, n, r.data());
      EXPECT_EQ(n, i);
    }
    CloseFile(f);
    return PathOf(name);
  }
};

// The second process: tests/foundation/storage/helpers/recpeer.cpp.
class Peer : public PeerProcess {
 public:
  Peer() : PeerProcess(HELPER_RECPEER) {}

  void Open(const std::string& path, int size, bool shared, bool appendOnly = false,
            bool exclusive = false, const std::string& expect = "ok 0") {
    ASSERT_EQ(Ask("multi 1"), "ok");
    ASSERT_EQ(Ask("open " + path + " " + std::to_string(size) + " " + (shared ? "1" : "0") + " " +
                  (appendOnly ? "1" : "0") + " " + (exclusive ? "1" : "0")),
              expect);
  }
};

// --- Layout ---------------------------------------------------------------

TEST_F(RecordFileTest, NewFileIsExactlyTheHeaderRecord) {
  const std::string path = PathOf("new.dat");
  WriteBytes(path, Bytes(100, 0xEE));  // an existing file is replaced
  TDataFile f;
  MakeFile(f, nullptr, path, 20, false, false);
  ASSERT_TRUE(f.IsOpen);
  EXPECT_EQ(DBErrorCode, 0);
  EXPECT_TRUE(DBOk);
  EXPECT_EQ(FileLen(f), 1);
  EXPECT_EQ(UsedRecs(f), 0);
  const Bytes expected = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 20, 0, 0, 0,
                          0,    0,    0,    0};
  EXPECT_EQ(ReadBytes(path), expected);
  EXPECT_EQ(CheckDataFileInvariants(f), "");
  CloseFile(f);
  EXPECT_EQ(ReadBytes(path), expected);
}

TEST_F(RecordFileTest, DeletedRecordsFormAStackOnDisk) {
  const std::string path = MakeFilled("stack.dat", 20, 8);
  TDataFile f;
  OpenFile(f, nullptr, path, 20, false, false, false);
  ASSERT_TRUE(f.IsOpen);
  DeleteRec(f, 5);
  DeleteRec(f, 7);
  EXPECT_EQ(CheckDataFileInvariants(f), "");
  EXPECT_EQ(UsedRecs(f), 6);
  Bytes bytes = ReadBytes(path);
  // Record 5: deleted, end of list. Record 7: deleted, next is 5.
  EXPECT_EQ(bytes[5 * 20], DBRecDeleted);
  EXPECT_EQ(I32At(bytes, 5 * 20 + 1), -1);
  EXPECT_EQ(bytes[7 * 20], DBRecDeleted);
  EXPECT_EQ(I32At(bytes, 7 * 20 + 1), 5);
  // A non-shared file keeps its header in memory until it is closed.
  EXPECT_EQ(I32At(bytes, 0), -1);
  CloseFile(f);
  bytes = ReadBytes(path);
  EXPECT_EQ(I32At(bytes, 0), 7);
  EXPECT_EQ(I32At(bytes, 4), 2);
  EXPECT_EQ(I32At(bytes, 8), 0);
  EXPECT_EQ(U16At(bytes, 12), 20);

  // Reopened from those bytes: the last deleted is the first reused.
  OpenFile(f, nullptr, path, 20, false, false, false);
  std::int32_t n = 0;
  Bytes r = Record(20, 0x41, 0xCC);
  AddRecInUse(f, n, r.data());
  EXPECT_EQ(n, 7);
  EXPECT_EQ(r[0], DBRecInUse);
  AddRecInUse(f, n, r.data());
  EXPECT_EQ(n, 5);
  AddRecInUse(f, n, r.data());
  EXPECT_EQ(n, 9);
  EXPECT_EQ(UsedRecs(f), 9);
  EXPECT_EQ(FileLen(f), 10);
  EXPECT_EQ(CheckDataFileInvariants(f), "");
  CloseFile(f);
}

TEST_F(RecordFileTest, HandMadeFileIsReadFieldByField) {
  // Header: free list 2 -> -1, one free record, record size 16, counter 0x1234.
  Bytes bytes = {0x02, 0, 0, 0, 0x01, 0, 0, 0, 0, 0, 0, 0, 16, 0, 0x34, 0x12};
  const Bytes rec1 = {0, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l', 'm', 'n', 'o'};
  Bytes rec2(16, 0x99);
  rec2[0] = DBRecDeleted;
  PatchI32(rec2, 1, -1);
  bytes.insert(bytes.end(), rec1.begin(), rec1.end());
  bytes.insert(bytes.end(), rec2.begin(), rec2.end());
  const std::string path = PathOf("hand.dat");
  WriteBytes(path, bytes);

  TDataFile f;
  OpenFile(f, nullptr, path, 16, false, false, false);
  ASSERT_TRUE(f.IsOpen);
  EXPECT_EQ(f.Header.FirstFree, 2);
  EXPECT_EQ(f.Header.FreeCount, 1);
  EXPECT_EQ(f.Header.ChangeCount, 0x1234);
  EXPECT_EQ(FileLen(f), 3);
  EXPECT_EQ(UsedRecs(f), 1);
  Bytes r(16);
  GetRec(f, 1, r.data());
  EXPECT_EQ(r, rec1);
  std::int32_t n = 0;
  AddRec(f, n, rec1.data());
  EXPECT_EQ(n, 2);
  CloseFile(f);
}

TEST_F(RecordFileTest, AppendOnlyFileNeverReusesDeletedRecords) {
  const std::string path = MakeFilled("append.dat", 20, 3, true);
  TDataFile f;
  OpenFile(f, nullptr, path, 20, false, true, false);
  DeleteRec(f, 2);
  EXPECT_EQ(UsedRecs(f), 2);
  std::int32_t n = 0;
  Bytes r = Record(20, 7, 0xAB);
  AddRec(f, n, r.data());
  EXPECT_EQ(n, 4);
  AddToFreeCount(f, 1);
  EXPECT_EQ(UsedRecs(f), 2);
  // Byte 0 is no status here: a record starting with 1 reads back unchanged.
  Bytes back(20);
  GetRec(f, 4, back.data());
  EXPECT_EQ(back, r);
  CloseFile(f);
}

TEST_F(RecordFileTest, BlockReadsWholeRecords) {
  const std::string path = MakeFilled("block.dat", 20, 5);
  TDataFile f;
  OpenFile(f, nullptr, path, 20, false, false, false);
  Bytes block(20 * 10);
  EXPECT_EQ(GetRecBlock(f, 2, 3, block.data()), 3);
  EXPECT_EQ(DBErrorCode, 0);
  EXPECT_EQ(block[20 + 1], 3);  // record 3's payload
  // Past the end: as many as there are.
  EXPECT_EQ(GetRecBlock(f, 4, 10, block.data()), 2);
  EXPECT_EQ(DBErrorCode, 0);
  EXPECT_EQ(GetRecBlock(f, 6, 10, block.data()), 0);
  EXPECT_EQ(DBErrorCode, DBErrRead);
  CloseFile(f);
  // A torn last record is reported and the whole ones are kept.
  Bytes bytes = ReadBytes(path);
  bytes.resize(bytes.size() - 5);
  WriteBytes(path, bytes);
  OpenFile(f, nullptr, path, 20, false, false, false);
  EXPECT_EQ(GetRecBlock(f, 1, 10, block.data()), 4);
  EXPECT_EQ(DBErrorCode, DBErrRead);
  CloseFile(f);
}

TEST_F(RecordFileTest, UserHeaderAreaFollowsTheEngineBytes) {
  const std::string path = MakeFilled("user.dat", 40, 1);
  TDataFile f;
  OpenFile(f, nullptr, path, 40, false, false, false);
  Bytes mine(24);
  for (std::size_t i = 0; i < mine.size(); ++i) mine[i] = static_cast<std::uint8_t>(0xA0 + i);
  WriteUserHeader(f, mine.data(), 24);
  EXPECT_EQ(DBErrorCode, 0);
  Bytes back(24, 0);
  ReadUserHeader(f, back.data(), 24);
  EXPECT_EQ(back, mine);
  CloseFile(f);
  const Bytes bytes = ReadBytes(path);
  EXPECT_EQ(Bytes(bytes.begin() + 16, bytes.begin() + 40), mine);
  EXPECT_EQ(I32At(bytes, 0), -1);  // the header update kept its 16 bytes

  OpenFile(f, nullptr, path, 40, false, false, false);
  try {
    ReadUserHeader(f, back.data(), 25);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "HeaderSize error");
  }
  DBErrorCode = 77;
  WriteUserHeader(f, nullptr, 24);
  EXPECT_EQ(DBErrorCode, 0);
  CloseFile(f);
  EXPECT_EQ(ReadBytes(path), bytes);
}

TEST_F(RecordFileTest, ParentWithParentIsRefused) {
  const std::string path = MakeFilled("anchor.dat", 20, 1);
  TDataFile anchor, inner, f;
  OpenFileShared(anchor, path, 20);
  OpenFileShared(inner, path, 20);
  inner.Parent = &anchor;
  try {
    MakeFile(f, &inner, PathOf("child.dat"), 20, true, false);
    ADD_FAILURE() << "no exception";
  } catch (const EParentError& e) {
    EXPECT_STREQ(e.what(), "Parent error");
  }
  EXPECT_FALSE(fs::exists(PathOf("child.dat")));
  EXPECT_THROW(OpenFile(f, &inner, path, 20, true, false, false), EParentError);
}

TEST_F(RecordFileTest, EraseFileClosesAndDeletes) {
  const std::string path = MakeFilled("erase.dat", 20, 2);
  TDataFile f;
  OpenFile(f, nullptr, path, 20, false, false, false);
  EraseFile(f);
  EXPECT_EQ(DBErrorCode, 0);
  EXPECT_FALSE(f.IsOpen);
  EXPECT_FALSE(fs::exists(path));
}

// --- Creates, opens and damaged files -----------------------------------

TEST_F(RecordFileTest, RecordSizeIsCheckedOnCreate) {
  struct Case {
    std::uint16_t size;
    std::uint16_t error;
  };
  for (const Case c : {Case{201, DBErrRecSizeHigh}, Case{15, DBErrRecSizeLow}, Case{0, DBErrRecSizeLow},
                       Case{16, 0}, Case{200, 0}}) {
    SCOPED_TRACE(c.size);
    const std::string path = PathOf("size" + std::to_string(c.size) + ".dat");
    TDataFile f;
    MakeFile(f, nullptr, path, c.size, false, false);
    EXPECT_EQ(DBErrorCode, c.error);
    EXPECT_EQ(f.IsOpen, c.error == 0);
    EXPECT_EQ(DBOk, c.error == 0);
    // A refused size creates nothing.
    EXPECT_EQ(fs::exists(path), c.error == 0);
    CloseFile(f);
    if (c.error == 0) {
      EXPECT_EQ(fs::file_size(path), c.size);
    }
  }
}

// The size used to be checked after the file was created, so a bad size
// emptied the file it was meant to replace.
TEST_F(RecordFileTest, BadSizeOverExistingFileLeavesItUnchanged) {
  const std::string data = PathOf("keep.dat");
  const std::string index = PathOf("keep.idx");
  const Bytes old(4000, 0x5A);
  WriteBytes(data, old);
  WriteBytes(index, old);
  for (const std::uint16_t size : {std::uint16_t{201}, std::uint16_t{15}}) {
    TDataFile f;
    MakeFile(f, nullptr, data, size, false, false);
    EXPECT_NE(DBErrorCode, 0);
    EXPECT_FALSE(DBOk);
    EXPECT_FALSE(f.IsOpen);
    CloseFile(f);
  }
  TIndexFile ix;
  MakeIndex(ix, nullptr, index, 36, false, false);
  EXPECT_EQ(DBErrorCode, DBErrKeyLength);
  EXPECT_FALSE(DBOk);
  EXPECT_FALSE(ix.IsOpen);
  CloseIndex(ix);
  EXPECT_EQ(ReadBytes(data), old);
  EXPECT_EQ(ReadBytes(index), old);
}

TEST_F(RecordFileTest, MissingFileGivesErrorTwo) {
  TDataFile f;
  OpenFile(f, nullptr, PathOf("none.dat"), 20, false, false, false);
  EXPECT_EQ(DBErrorCode, DBErrOpen);
  EXPECT_FALSE(DBOk);
  EXPECT_FALSE(f.IsOpen);
  MakeFile(f, nullptr, PathOf("no/such/folder.dat"), 20, false, false);
  EXPECT_EQ(DBErrorCode, DBErrOpen);
  EXPECT_FALSE(DBOk);
  EXPECT_FALSE(f.IsOpen);
}

// Damaged headers: a clear error word, the descriptor not open, and the file
// unchanged after the caller closes it.
TEST_F(RecordFileTest, DamagedHeaderIsAnErrorAndLeavesTheFileAlone) {
  const std::string good = MakeFilled("good.dat", 20, 3);
  const Bytes valid = ReadBytes(good);
  struct Case {
    const char* name;
    Bytes bytes;
    std::uint16_t error;
    bool dbOk;
  };
  Bytes otherSize = valid;
  otherSize[12] = 24;
  // The header record alone of a file of 16-byte records: shorter than one
  // record of the size asked, yet its header tells the sizes differ.
  Bytes smallerRecords(16, 0);
  std::fill(smallerRecords.begin(), smallerRecords.begin() + 4, 0xFF);
  smallerRecords[12] = 16;
  std::vector<Case> cases = {
      {"empty file", Bytes{}, DBErrRead, true},
      {"truncated header", Bytes(valid.begin(), valid.begin() + 10), DBErrRead, true},
      {"header record incomplete", Bytes(valid.begin(), valid.begin() + 18), DBErrRead, true},
      {"other record size", otherSize, DBErrRecSizeDiffers, true},
      {"smaller record size, header only", smallerRecords, DBErrRecSizeDiffers, true},
  };
  for (const bool shared : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (shared ? " shared" : ""));
      const std::string path = PathOf("damaged.dat");
      WriteBytes(path, c.bytes);
      TDataFile f;
      OpenFile(f, nullptr, path, 20, shared, false, false);
      EXPECT_EQ(DBErrorCode, c.error);
      EXPECT_EQ(DBOk, c.dbOk);
      EXPECT_FALSE(f.IsOpen);
      CloseFile(f);
      EXPECT_EQ(ReadBytes(path), c.bytes);
    }
  }
}

TEST_F(RecordFileTest, DamagedFreeListIsDroppedAndNothingOverwritten) {
  const std::string good = MakeFilled("list.dat", 20, 4);
  const Bytes valid = ReadBytes(good);
  auto withList = [&](std::int32_t head, std::uint8_t status, std::int32_t link) {
    Bytes b = valid;
    PatchI32(b, 0, head);
    PatchI32(b, 4, 1);
    b[2 * 20] = status;
    PatchI32(b, 2 * 20 + 1, link);
    return b;
  };
  struct Case {
    const char* name;
    Bytes bytes;
  };
  const std::vector<Case> cases = {
      {"head not marked deleted", withList(2, DBRecInUse, -1)},
      {"link beyond the end", withList(2, DBRecDeleted, 99)},
      {"negative link", withList(2, DBRecDeleted, -5)},
      {"link to the header record", withList(2, DBRecDeleted, 0)},
      {"link to itself", withList(2, DBRecDeleted, 2)},
      {"head beyond the end", withList(99, DBRecDeleted, -1)},
      {"head is the header record", withList(0, DBRecDeleted, -1)},
      {"negative head", withList(-7, DBRecDeleted, -1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = PathOf("list.dat");
    WriteBytes(path, c.bytes);
    TDataFile f;
    OpenFile(f, nullptr, path, 20, false, false, false);
    ASSERT_TRUE(f.IsOpen);
    std::int32_t n = 0;
    Bytes r = Record(20, 0x77);
    AddRec(f, n, r.data());
    EXPECT_EQ(n, 5);
    EXPECT_EQ(DBErrorCode, 0);
    EXPECT_EQ(f.Header.FirstFree, -1);
    AddRec(f, n, r.data());
    EXPECT_EQ(n, 6);
    CloseFile(f);
    const Bytes after = ReadBytes(path);
    EXPECT_EQ(Bytes(after.begin() + 16, after.begin() + 100), Bytes(c.bytes.begin() + 16, c.bytes.end()));
  }
}

// The engine once took any record number: one outside the file read or wrote
// somewhere else (record 0, or a 32-bit offset wrapped onto another record).
TEST_F(RecordFileTest, RecordNumberOutsideFileTouchesNothing) {
  // Record size 16: 268435458 * 16 wraps in 32 bits onto record 2.
  const std::int32_t wrapsToRecord2 = 268435458;
  for (const bool shared : {false, true}) {
    SCOPED_TRACE(shared ? "shared" : "not shared");
    DBMultiUser = shared;
    const std::string path = MakeFilled(shared ? "range_s.dat" : "range.dat", 16, 4);
    const Bytes before = ReadBytes(path);
    TDataFile f;
    OpenFile(f, nullptr, path, 16, shared, false, false);
    ASSERT_TRUE(f.IsOpen);
    Bytes r = Record(16, 0xEE);
    Bytes buffer(16 * 4, 0x55);
    for (const std::int32_t n : {-1, INT_MIN, 5, wrapsToRecord2, INT_MAX}) {
      SCOPED_TRACE(n);
      GetRec(f, n, buffer.data());
      EXPECT_EQ(DBErrorCode, DBErrRead);
      GetRecRaw(f, n, buffer.data());
      EXPECT_EQ(DBErrorCode, DBErrRead);
      EXPECT_EQ(GetRecBlock(f, n, 4, buffer.data()), 0);
      EXPECT_EQ(DBErrorCode, DBErrRead);
      EXPECT_EQ(buffer, Bytes(16 * 4, 0x55));
    }
    for (const std::int32_t n : {-1, INT_MIN, 0, 5, wrapsToRecord2, INT_MAX}) {
      SCOPED_TRACE(n);
      PutRec(f, n, r.data());
      EXPECT_EQ(DBErrorCode, DBErrWrite);
      PutRecInUse(f, n, r.data());
      EXPECT_EQ(DBErrorCode, DBErrWrite);
      DeleteRec(f, n);
      EXPECT_EQ(DBErrorCode, DBErrWrite);
    }
    EXPECT_EQ(f.Header.FirstFree, -1);
    EXPECT_EQ(FileLen(f), 5);
    CloseFile(f);
    Bytes after = ReadBytes(path);
    // A shared file counts its writer transactions, failed ones included.
    after[14] = before[14];
    after[15] = before[15];
    EXPECT_EQ(after, before);
  }
}

TEST_F(RecordFileTest, RecordAppendedThroughAnotherDescriptorIsInsideTheFile) {
  const std::string path = MakeFilled("two.dat", 20, 2);
  TDataFile a, b;
  OpenFile(a, nullptr, path, 20, false, false, false);
  OpenFile(b, nullptr, path, 20, false, false, false);
  std::int32_t n = 0;
  Bytes r = Record(20, 0x31);
  AddRec(a, n, r.data());
  ASSERT_EQ(n, 3);
  Bytes back(20);
  GetRec(b, 3, back.data());
  EXPECT_EQ(DBErrorCode, 0);
  EXPECT_EQ(back, r);
  PutRec(b, 3, Record(20, 0x32).data());
  EXPECT_EQ(DBErrorCode, 0);
  GetRec(b, 4, back.data());
  EXPECT_EQ(DBErrorCode, DBErrRead);
  CloseFile(b);
  CloseFile(a);
}

TEST_F(RecordFileTest, FailedWriteKeepsFreeListAndCount) {
  const std::string path = MakeFilled("failed.dat", 20, 4);
  TDataFile f;
  OpenFile(f, nullptr, path, 20, false, false, false);
  DeleteRec(f, 3);
  f.ReadOnly = true;  // every write now fails
  std::int32_t n = 0;
  Bytes r = Record(20, 1);
  AddRec(f, n, r.data());
  EXPECT_EQ(DBErrorCode, DBErrReadOnly);
  EXPECT_EQ(f.Header.FirstFree, 3);
  EXPECT_EQ(f.Header.FreeCount, 1);
  f.ReadOnly = false;
  AddRec(f, n, r.data());
  EXPECT_EQ(n, 3);
  AddRec(f, n, r.data());
  EXPECT_EQ(n, 5);
  EXPECT_EQ(CheckDataFileInvariants(f), "");
  CloseFile(f);
}

// A non-shared file keeps its header in memory; a process that ends without
// closing leaves the old header on disk. Reopening must never overwrite data.
TEST_F(RecordFileTest, StaleHeaderAfterCrashNeverCorruptsData) {
  const std::string path = MakeFilled("crash.dat", 20, 6);
  {
    TDataFile f;
    OpenFile(f, nullptr, path, 20, false, false, false);
    DeleteRec(f, 5);
    CloseFile(f);  // on disk: free list 5
  }
  Bytes kept = Record(20, 0xC5);
  {
    TDataFile f;
    OpenFile(f, nullptr, path, 20, false, false, false);
    std::int32_t n = 0;
    AddRecInUse(f, n, kept.data());
    ASSERT_EQ(n, 5);
    Bytes r = Record(20, 0xC7);
    AddRecInUse(f, n, r.data());
    ASSERT_EQ(n, 7);
    // Ends without CloseFile: the descriptor goes away as in a crash.
  }
  // A torn record after the last whole one.
  Bytes bytes = ReadBytes(path);
  ASSERT_EQ(I32At(bytes, 0), 5);
  bytes.insert(bytes.end(), {0x00, 0x11, 0x22});
  WriteBytes(path, bytes);

  TDataFile f;
  OpenFile(f, nullptr, path, 20, false, false, false);
  ASSERT_TRUE(f.IsOpen);
  EXPECT_EQ(FileLen(f), 8);  // counted from the file size
  std::int32_t n = 0;
  Bytes r = Record(20, 0xD1);
  AddRecInUse(f, n, r.data());
  EXPECT_EQ(n, 8);
  Bytes back(20);
  GetRec(f, 5, back.data());
  EXPECT_EQ(back, kept);
  GetRec(f, 7, back.data());
  EXPECT_EQ(back, Record(20, 0xC7));
  EXPECT_EQ(fs::file_size(path), 9u * 20);
  CloseFile(f);
}

// Being root, the test drops to "nobody" in a child to get a file it may only read.
TEST_F(RecordFileTest, ReadOnlyFileRefusesWrites) {
  const std::string path = MakeFilled("readonly.dat", 20, 2);
  const Bytes before = ReadBytes(path);
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  fs::permissions(scratch_.Path(), fs::perms::owner_all | fs::perms::group_read |
                                       fs::perms::group_exec | fs::perms::others_read |
                                       fs::perms::others_exec);
  auto run = [&]() -> int {
    TDataFile f;
    OpenFile(f, nullptr, path, 20, false, false, false);
    if (!f.IsOpen) return 1;
    if (!f.ReadOnly) return 2;
    Bytes r = Record(20, 0x33);
    PutRec(f, 1, r.data());
    if (DBErrorCode != DBErrReadOnly) return 3;
    std::int32_t n = 0;
    AddRec(f, n, r.data());
    if (DBErrorCode != DBErrReadOnly) return 4;
    WriteUserHeader(f, r.data(), 4);
    if (DBErrorCode != DBErrWrite) return 5;
    Bytes back(20);
    GetRec(f, 2, back.data());
    if (DBErrorCode != 0 || back[1] != 2) return 6;
    CloseFile(f);
    return 0;
  };
  if (::geteuid() == 0) {
    const pid_t child = ::fork();
    if (child == 0) {
      if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(10);
      ::_exit(run());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
  } else {
    EXPECT_EQ(run(), 0);
  }
  EXPECT_EQ(ReadBytes(path), before);
}

// --- Transactions -------------------------------------------------------

TEST_F(RecordFileTest, NestedHoldsLockOnceAndCountOnce) {
  DBMultiUser = true;
  const std::string path = MakeFilled("nested.dat", 40, 2);
  TDataFile f;
  OpenFile(f, nullptr, path, 40, true, false, false);
  ASSERT_TRUE(f.IsOpen);
  Peer peer;
  peer.Open(path, 40, true);
  const std::uint16_t start = U16At(ReadBytes(path), 14);

  LockDataFile(f, true, true);
  LockDataFile(f, true, true);
  EXPECT_EQ(f.LockDepth, 2);
  // The peer's writer hold waits until our outermost hold is closed.
  peer.Send("holdput 0 1 51");
  EXPECT_EQ(peer.Read(300), "timeout");
  Bytes r = Record(40, 0x21);
  PutRec(f, 2, r.data());
  LockDataFile(f, false, true);
  EXPECT_EQ(U16At(ReadBytes(path), 14), start);  // inner holds write nothing
  EXPECT_EQ(peer.Read(300), "timeout");
  LockDataFile(f, false, true);
  EXPECT_EQ(f.LockDepth, 0);
  EXPECT_EQ(peer.Read(), "ok");
  EXPECT_EQ(peer.Read(), "done 0");
  EXPECT_EQ(U16At(ReadBytes(path), 14), static_cast<std::uint16_t>(start + 2));

  // Reader holds never count.
  LockDataFile(f, true, false);
  GetRec(f, 1, r.data());
  EXPECT_EQ(r[1], 51);
  LockDataFile(f, false, false);
  EXPECT_EQ(U16At(ReadBytes(path), 14), static_cast<std::uint16_t>(start + 2));
  // A record operation outside a hold is its own transaction.
  PutRec(f, 2, r.data());
  EXPECT_EQ(U16At(ReadBytes(path), 14), static_cast<std::uint16_t>(start + 3));
  CloseFile(f);
}

TEST_F(RecordFileTest, WriterHoldExcludesAnotherWorkstation) {
  DBMultiUser = true;
  const std::string path = MakeFilled("excl.dat", 40, 2);
  TDataFile f;
  OpenFile(f, nullptr, path, 40, true, false, false);
  Peer peer;
  peer.Open(path, 40, true);
  // The peer holds the region as a writer and changes record 2 after 600 ms;
  // our read waits for it and sees the change.
  ASSERT_EQ(peer.Ask("holdput 600 2 51"), "ok");
  static std::vector<std::pair<bool, std::uint16_t>> cursor;
  cursor.clear();
  DBWaitCursor = [](bool show) { cursor.emplace_back(show, DBErrorCode); };
  Bytes r(40, 0);
  GetRec(f, 2, r.data());
  EXPECT_EQ(r[1], 51);
  EXPECT_EQ(DBErrorCode, 0);  // the wait code gave way to the read
  ASSERT_EQ(cursor.size(), 2u);
  EXPECT_TRUE(cursor[0].first);
  EXPECT_FALSE(cursor[1].first);
  EXPECT_EQ(cursor[1].second, DBErrDataWait);
  EXPECT_EQ(peer.Read(), "done 0");
  CloseFile(f);
}

TEST_F(RecordFileTest, HoldOfAnEndedWorkstationIsGone) {
  DBMultiUser = true;
  const std::string path = MakeFilled("ended.dat", 40, 2);
  TDataFile f;
  OpenFile(f, nullptr, path, 40, true, false, false);
  {
    Peer peer;
    peer.Open(path, 40, true);
    ASSERT_EQ(peer.Ask("hold 1"), "ok");
    ASSERT_EQ(peer.Ask("lockrec 2"), "ok 1 0");
  }  // the peer ends holding its transaction and its record lock
  Bytes r = Record(40, 0x44);
  PutRec(f, 2, r.data());
  EXPECT_EQ(DBErrorCode, 0);
  EXPECT_TRUE(LockRecord(f, 2));
  UnlockRecord(f, 2);
  CloseFile(f);
}

TEST_F(RecordFileTest, TwoWritersAppendWithoutLosingRecords) {
  DBMultiUser = true;
  const int each = 150;
  const std::string path = MakeFilled("writers.dat", 24, 0);
  TDataFile f;
  OpenFile(f, nullptr, path, 24, true, false, false);
  Peer peer;
  peer.Open(path, 24, true);
  peer.Send("addmany " + std::to_string(each) + " 2");
  for (int i = 0; i < each; ++i) {
    Bytes r = Record(24, 0x5A);
    PatchI32(r, 1, 1000000 + i);
    std::int32_t n = 0;
    AddRecInUse(f, n, r.data());
    ASSERT_EQ(DBErrorCode, 0);
  }
  EXPECT_EQ(peer.Read(), "done 0");
  LockDataFile(f, true, false);
  EXPECT_EQ(FileLen(f), 1 + 2 * each);
  EXPECT_EQ(f.Header.ChangeCount, 2 * each);
  LockDataFile(f, false, false);
  std::vector<int> seen(2 * each, 0);
  Bytes all(24 * 2 * each);
  ASSERT_EQ(GetRecBlock(f, 1, 2 * each, all.data()), 2 * each);
  for (int k = 0; k < 2 * each; ++k) {
    const std::int32_t v = I32At(all, k * 24 + 1);
    const int writer = v / 1000000, seq = v % 1000000;
    ASSERT_TRUE((writer == 1 || writer == 2) && seq < each) << v;
    ++seen[(writer - 1) * each + seq];
  }
  EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), 2 * each);
  CloseFile(f);
}

TEST_F(RecordFileTest, ChangeCounterShowsAnotherWritersTransaction) {
  DBMultiUser = true;
  const std::string path = MakeFilled("counter.dat", 20, 3);
  TDataFile f;
  OpenFile(f, nullptr, path, 20, true, false, false);
  const std::uint16_t seen = f.Header.ChangeCount;
  Peer peer;
  peer.Open(path, 20, true);
  ASSERT_EQ(peer.Ask("put 2 9"), "ok 0");
  EXPECT_EQ(f.Header.ChangeCount, seen);  // stale between holds
  LockDataFile(f, true, false);
  EXPECT_EQ(f.Header.ChangeCount, static_cast<std::uint16_t>(seen + 1));
  Bytes r(20);
  GetRec(f, 2, r.data());
  EXPECT_EQ(r[1], 9);
  LockDataFile(f, false, false);
  CloseFile(f);
}

TEST_F(RecordFileTest, AnchorServesSeveralFiles) {
  DBMultiUser = true;
  const std::string main = MakeFilled("main.dat", 40, 2);
  const std::string other = MakeFilled("other.dat", 20, 2);
  TDataFile anchor, a, b;
  OpenFileShared(anchor, main, 40);
  ASSERT_TRUE(anchor.IsOpen);
  OpenFile(a, &anchor, main, 40, true, false, false);
  OpenFile(b, &anchor, other, 20, true, false, false);
  ASSERT_TRUE(a.IsOpen && b.IsOpen);
  Peer peer;
  peer.Open(main, 40, true);

  LockDataFile(a, true, true);
  LockDataFile(b, true, true);
  EXPECT_EQ(anchor.LockDepth, 2);
  // Our region is held by the anchor: the peer's writer hold waits until
  // both of our holds are closed.
  peer.Send("holdput 0 1 66");
  EXPECT_EQ(peer.Read(300), "timeout");
  LockDataFile(a, false, true);
  EXPECT_EQ(anchor.LockDepth, 1);
  EXPECT_EQ(peer.Read(300), "timeout");
  LockDataFile(b, false, true);
  EXPECT_EQ(anchor.LockDepth, 0);
  EXPECT_EQ(peer.Read(), "ok");
  EXPECT_EQ(peer.Read(), "done 0");
  Bytes r(40);
  GetRec(a, 1, r.data());
  EXPECT_EQ(r[1], 66);
  CloseFile(a);
  CloseFile(b);
  CloseFileHandle(anchor);
}

// The user header lock overlaps the region: inside this process's own hold
// the transfer once waited for this process forever.
TEST_F(RecordFileTest, UserHeaderInsideOwnHoldDoesNotHang) {
  DBMultiUser = true;
  const std::string path = MakeFilled("ownhold.dat", 40, 1);
  TDataFile anchor, f;
  OpenFileShared(anchor, path, 40);
  OpenFile(f, &anchor, path, 40, true, false, false);
  const Bytes mine = {1, 2, 3, 4, 5, 6, 7, 8};
  for (const bool exclusive : {true, false}) {
    LockDataFile(f, true, exclusive);
    if (exclusive) WriteUserHeader(f, mine.data(), 8);
    EXPECT_EQ(DBErrorCode, 0);
    Bytes back(8);
    ReadUserHeader(f, back.data(), 8);
    EXPECT_EQ(back, mine);
    LockDataFile(f, false, exclusive);
  }
  CloseFile(f);
  CloseFileHandle(anchor);
}

// --- Record locks ------------------------------------------------------------

TEST_F(RecordFileTest, RecordLockedElsewhereReadsAsStatusTwo) {
  DBMultiUser = true;
  const std::string path = MakeFilled("status2.dat", 20, 4);
  const Bytes before = ReadBytes(path);
  TDataFile f;
  OpenFile(f, nullptr, path, 20, true, false, false);
  Peer peer;
  peer.Open(path, 20, true);
  ASSERT_EQ(peer.Ask("lockrec 3"), "ok 1 0");

  Bytes r(20, 0x77);
  GetRec(f, 3, r.data());
  EXPECT_EQ(DBErrorCode, 0);
  Bytes expected = Record(20, 3);
  expected[0] = DBRecLockedElsewhere;
  EXPECT_EQ(r, expected);
  r.assign(20, 0x77);
  GetRecRaw(f, 3, r.data());
  expected[0] = 0x77;
  EXPECT_EQ(r, expected);
  GetRec(f, 2, r.data());
  EXPECT_EQ(r, Record(20, 2));

  EXPECT_FALSE(LockRecord(f, 3));
  EXPECT_EQ(DBErrorCode, 33);  // lock violation
  Bytes w = Record(20, 0xEE);
  PutRec(f, 3, w.data());
  EXPECT_EQ(DBErrorCode, DBErrWrite);
  DeleteRec(f, 3);
  EXPECT_EQ(DBErrorCode, DBErrWrite);

  ASSERT_EQ(peer.Ask("unlockrec 3"), "ok 0");
  GetRec(f, 3, r.data());
  EXPECT_EQ(r, Record(20, 3));
  EXPECT_TRUE(LockRecord(f, 3));
  UnlockRecord(f, 3);
  EXPECT_TRUE(LockRecord(f, 3));
  UnlockRecord(f, 3);
  CloseFile(f);
  Bytes after = ReadBytes(path);
  after[14] = before[14];
  after[15] = before[15];
  EXPECT_EQ(after, before);
}

// Appends inside one writer hold ask once whether another workstation holds a
// lock past the file's end; a lock there (on a record number nobody should
// hold yet) still refuses those appends, and records that were in the file
// when the hold began are asked about one by one as before.
TEST_F(RecordFileTest, AppendsInAHoldStillMeetLocksPastTheEndAndOnOldRecords) {
  DBMultiUser = true;
  const std::string path = MakeFilled("appendlocks.dat", 20, 4);
  TDataFile f;
  OpenFile(f, nullptr, path, 20, true, false, false);
  Peer peer;
  peer.Open(path, 20, true);

  // No lock: a batch of appends in one hold, all stored.
  LockDataFile(f, true, true);
  for (int i = 0; i < 3; ++i) {
    Bytes w = Record(20, 40 + i);
    std::int32_t n = 0;
    AddRec(f, n, w.data());
    EXPECT_EQ(DBErrorCode, 0);
    EXPECT_EQ(n, 5 + i);
  }
  // A record that was there before the hold, locked meanwhile, is refused.
  ASSERT_EQ(peer.Ask("lockrec 2"), "ok 1 0");
  Bytes w = Record(20, 0xEE);
  PutRec(f, 2, w.data());
  EXPECT_EQ(DBErrorCode, DBErrWrite);
  LockDataFile(f, false, true);
  ASSERT_EQ(peer.Ask("unlockrec 2"), "ok 0");

  // A lock past the end: the next hold's appends there are refused and the
  // file keeps its length.
  ASSERT_EQ(peer.Ask("lockrec 9"), "ok 1 0");
  LockDataFile(f, true, true);
  std::int32_t n = 0;
  AddRec(f, n, w.data());  // record 8: not locked, stored
  EXPECT_EQ(DBErrorCode, 0);
  EXPECT_EQ(n, 8);
  AddRec(f, n, w.data());  // record 9: locked by the peer
  EXPECT_EQ(DBErrorCode, DBErrWrite);
  LockDataFile(f, false, true);
  EXPECT_EQ(FileLen(f), 9);
  ASSERT_EQ(peer.Ask("unlockrec 9"), "ok 0");
  EXPECT_EQ(CheckDataFileInvariants(f), "");
  Bytes r(20, 0);
  GetRec(f, 6, r.data());
  EXPECT_EQ(r, Record(20, 41));
  CloseFile(f);
}

TEST_F(RecordFileTest, RecordLockedElsewhereInAppendOnlyFileIsReadError) {
  DBMultiUser = true;
  const std::string path = MakeFilled("status2a.dat", 20, 4, true);
  TDataFile f;
  OpenFile(f, nullptr, path, 20, true, true, false);
  Peer peer;
  peer.Open(path, 20, true, true);
  ASSERT_EQ(peer.Ask("lockrec 3"), "ok 1 0");
  Bytes r(20, 0x77);
  GetRec(f, 3, r.data());
  EXPECT_EQ(DBErrorCode, DBErrRead);
  CloseFile(f);
}

TEST_F(RecordFileTest, SingleUserRecordLocksAlwaysSucceed) {
  const std::string path = MakeFilled("single.dat", 20, 4);
  TDataFile f;
  OpenFile(f, nullptr, path, 20, true, false, false);
  Peer peer;
  peer.Open(path, 20, true);
  ASSERT_EQ(peer.Ask("lockrec 2"), "ok 1 0");
  DBMultiUser = false;
  EXPECT_TRUE(LockRecord(f, 2));
  UnlockRecord(f, 2);
  DBMultiUser = true;
  EXPECT_FALSE(LockRecord(f, 2));
  CloseFile(f);
}

TEST_F(RecordFileTest, ExclusiveOpenShutsOutOtherOpeners) {
  const std::string path = MakeFilled("exclusive.dat", 20, 1);
  Peer peer;
  peer.Open(path, 20, false, false, true);
  TDataFile f;
  OpenFile(f, nullptr, path, 20, true, false, false);
  EXPECT_EQ(DBErrorCode, DBErrOpen);
  EXPECT_FALSE(DBOk);
  EXPECT_FALSE(f.IsOpen);
  ASSERT_EQ(peer.Ask("close"), "ok");

  OpenFile(f, nullptr, path, 20, false, false, true);
  ASSERT_TRUE(f.IsOpen);
  peer.Open(path, 20, true, false, false, "ok 2");
  CloseFile(f);
  peer.Open(path, 20, true);
}

}  // namespace
