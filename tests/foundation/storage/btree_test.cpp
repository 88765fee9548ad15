#include "foundation/storage/btree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/peer_process.h"
#include "store_fixture.h"

namespace fs = std::filesystem;

namespace {

// Page n of an index file image, in memory layout.
TIndexPage PageAt(const Bytes& file, int keyLength, std::int32_t n) {
  TIndexPage page;
  const std::size_t size = IndexPageSize(keyLength);
  EXPECT_GE(file.size(), (n + 1) * size);
  EXPECT_TRUE(PageFromFile(file.data() + n * size, keyLength, page)) << "page " << n;
  return page;
}

std::string KeyText(const TIndexItem& item) { return std::string(item.Key.data(), item.KeyLen); }

std::vector<std::string> KeysOf(const TIndexPage& page) {
  std::vector<std::string> keys;
  for (int i = 1; i <= page.Count; ++i) keys.push_back(KeyText(page.Item[i]));
  return keys;
}

std::string Numbered(int i) {
  char text[8];
  std::snprintf(text, sizeof text, "k%03d", i);
  return text;
}

std::vector<std::string> NumberedRange(int from, int to) {
  std::vector<std::string> keys;
  for (int i = from; i <= to; ++i) keys.push_back(Numbered(i));
  return keys;
}

class BTreeTest : public StoreFileTest {
 protected:
  void Add(TIndexFile& ix, std::int32_t rec, std::string key) {
    AddKey(ix, rec, key);
    ASSERT_TRUE(DBOk) << key << " " << rec << " error " << DBErrorCode;
  }
  void Delete(TIndexFile& ix, std::int32_t rec, std::string key) {
    DeleteKey(ix, rec, key);
    ASSERT_TRUE(DBOk) << key << " " << rec << " error " << DBErrorCode;
  }
  std::vector<std::string> Scan(TIndexFile& ix) { return ScanIndex(ix); }
  // Closes a non-shared index, returns its file image and opens it again.
  Bytes Snapshot(TIndexFile& ix, int keyLength, bool duplicates) {
    const std::string name = ix.FileName;
    CloseIndex(ix);
    Bytes image = ReadBytes(name);
    OpenIndex(ix, nullptr, name, keyLength, duplicates, false);
    EXPECT_TRUE(ix.IsOpen);
    return image;
  }
};

// --- Page layout ------------------------------------------------------------

TEST_F(BTreeTest, PageSizeFollowsKeyLength) {
  EXPECT_EQ(IndexPageSize(35), 3525);
  EXPECT_EQ(IndexPageSize(19), 2245);
  EXPECT_EQ(IndexPageSize(4), 1045);
}

TEST_F(BTreeTest, WritesExactBytesOfHeaderAndPage) {
  const std::string path = PathOf("exact.idx");
  {
    TIndexFile ix;
    MakeIndex(ix, nullptr, path, 4, false, false);
    ASSERT_TRUE(ix.IsOpen);
    Add(ix, 7, "AB");
    Add(ix, 3, "C");
    Add(ix, 1000, "ABCD");
    CloseIndex(ix);
    EXPECT_EQ(DBErrorCode, 0);
  }
  Bytes expected(2 * 1045, 0);
  const Bytes header = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 1, 0, 0, 0, 0x15, 0x04, 0, 0};
  std::copy(header.begin(), header.end(), expected.begin());
  const Bytes page = {3,    0,    0, 0, 0,                                     // count, left child
                      7,    0,    0, 0, 0, 0, 0, 0, 2, 'A', 'B', 0,   0,       // AB / 7
                      0xE8, 0x03, 0, 0, 0, 0, 0, 0, 4, 'A', 'B', 'C', 'D',     // ABCD / 1000
                      3,    0,    0, 0, 0, 0, 0, 0, 1, 'C', 0,   0,   0};      // C / 3
  std::copy(page.begin(), page.end(), expected.begin() + 1045);
  EXPECT_EQ(ReadBytes(path), expected);
}

TEST_F(BTreeTest, ReadsHandMadeFile) {
  // Key length 2: page size 885. Root page 1 holds "Zą" (code page 1250 bytes
  // 'Z', 0xB9) with record -2, and the byte after its key is not significant.
  Bytes file(2 * 885, 0);
  PatchI32(file, 0, -1);
  PatchI32(file, 8, 1);
  PutU16(file.data() + 12, 885);
  const Bytes page = {1, 0, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 1, 'Z', 0x77};
  std::copy(page.begin(), page.end(), file.begin() + 885);
  const std::string path = PathOf("hand.idx");
  WriteBytes(path, file);

  TIndexPage memory;
  ASSERT_TRUE(PageFromFile(file.data() + 885, 2, memory));
  EXPECT_EQ(memory.Count, 1);
  EXPECT_EQ(memory.Item[1].RecNo, -2);
  EXPECT_EQ(KeyText(memory.Item[1]), "Z");

  file[885 + 13] = 2;
  file[885 + 15] = static_cast<char>(0xB9);
  WriteBytes(path, file);
  TIndexFile ix;
  OpenIndex(ix, nullptr, path, 2, false, false);
  ASSERT_TRUE(ix.IsOpen);
  std::int32_t rec = 0;
  std::string key = "Zą";
  FindKey(ix, rec, key);
  EXPECT_TRUE(DBOk);
  EXPECT_EQ(rec, -2);
  CloseIndex(ix);
  EXPECT_EQ(ReadBytes(path), file);
}

TEST_F(BTreeTest, KeysOrderByCodePageBytes) {
  // 'Ś' is 0x8C and 'ą' 0xB9 in code page 1250, the other way round in UTF-8.
  TIndexFile ix;
  MakeIndex(ix, nullptr, PathOf("cp.idx"), 5, false, false);
  Add(ix, 1, "ą");
  Add(ix, 2, "Ś");
  Add(ix, 3, "z");
  Add(ix, 4, "Z");
  EXPECT_EQ(Scan(ix), (std::vector<std::string>{"Z/4", "z/3", "Ś/2", "ą/1"}));
  CloseIndex(ix);
}

// --- Searching and stepping ---------------------------------------------------

TEST_F(BTreeTest, EmptyIndexFindsNothing) {
  TIndexFile ix;
  MakeIndex(ix, nullptr, PathOf("empty.idx"), 10, true, false);
  std::int32_t rec = 5;
  std::string key = "A";
  SearchKey(ix, rec, key);
  EXPECT_FALSE(DBOk);
  FindKey(ix, rec, key);
  EXPECT_FALSE(DBOk);
  NextKey(ix, rec, key);
  EXPECT_FALSE(DBOk);
  PrevKey(ix, rec, key);
  EXPECT_FALSE(DBOk);
  EXPECT_EQ(key, "A");
  EXPECT_EQ(CheckInvariants(ix), "");
  CloseIndex(ix);
}

TEST_F(BTreeTest, StepsFromNoPositionAndPastEitherEnd) {
  TIndexFile ix;
  MakeIndex(ix, nullptr, PathOf("steps.idx"), 10, false, false);
  for (const char* k : {"b", "d", "a", "c"}) Add(ix, k[0], k);
  std::int32_t rec = 0;
  std::string key;
  NextKey(ix, rec, key);
  EXPECT_TRUE(DBOk);
  EXPECT_EQ(key, "a");
  PrevKey(ix, rec, key);
  EXPECT_FALSE(DBOk);  // before the start: position cleared
  PrevKey(ix, rec, key);
  EXPECT_TRUE(DBOk);
  EXPECT_EQ(key, "d");
  NextKey(ix, rec, key);
  EXPECT_FALSE(DBOk);

  key = "bb";
  SearchKey(ix, rec, key);
  EXPECT_TRUE(DBOk);
  EXPECT_EQ(key, "c");
  EXPECT_EQ(rec, 'c');
  key = "e";
  SearchKey(ix, rec, key);
  EXPECT_FALSE(DBOk);
  CloseIndex(ix);
}

TEST_F(BTreeTest, DuplicatesOrderByRecordNumber) {
  TIndexFile ix;
  MakeIndex(ix, nullptr, PathOf("dup.idx"), 10, true, false);
  Add(ix, 9, "K");
  Add(ix, 3, "K");
  Add(ix, 5, "K");
  Add(ix, 1, "M");
  std::string key = "K";
  AddKey(ix, 5, key);
  EXPECT_FALSE(DBOk);  // the same item

  std::int32_t rec = 0;
  FindKey(ix, rec, key);
  EXPECT_TRUE(DBOk);
  EXPECT_EQ(rec, 3);
  NextKey(ix, rec, key);
  EXPECT_EQ(rec, 5);
  NextKey(ix, rec, key);
  EXPECT_EQ(rec, 9);

  // An absent key leaves the next greater key and its record.
  key = "L";
  FindKey(ix, rec, key);
  EXPECT_FALSE(DBOk);
  EXPECT_EQ(key, "M");
  EXPECT_EQ(rec, 1);

  rec = 7;
  key = "K";
  DeleteKey(ix, rec, key);
  EXPECT_FALSE(DBOk);
  rec = 5;
  DeleteKey(ix, rec, key);
  EXPECT_TRUE(DBOk);
  EXPECT_EQ(Scan(ix), (std::vector<std::string>{"K/3", "K/9", "M/1"}));
  CloseIndex(ix);
}

TEST_F(BTreeTest, UniqueKeysKeepFirstRecordAndDeleteReturnsIt) {
  TIndexFile ix;
  MakeIndex(ix, nullptr, PathOf("unique.idx"), 10, false, false);
  Add(ix, 4, "A");
  std::string key = "A";
  AddKey(ix, 8, key);
  EXPECT_FALSE(DBOk);
  std::int32_t rec = 0;
  FindKey(ix, rec, key);
  EXPECT_EQ(rec, 4);
  rec = 99;
  DeleteKey(ix, rec, key);
  EXPECT_TRUE(DBOk);
  EXPECT_EQ(rec, 4);
  CloseIndex(ix);
}

TEST_F(BTreeTest, LongKeyIsCutInTheCallersString) {
  TIndexFile ix;
  MakeIndex(ix, nullptr, PathOf("cut.idx"), 4, false, false);
  std::string key = "ABCDEF";
  AddKey(ix, 1, key);
  EXPECT_TRUE(DBOk);
  EXPECT_EQ(key, "ABCD");
  std::int32_t rec = 0;
  key = "ABCDXY";
  FindKey(ix, rec, key);
  EXPECT_TRUE(DBOk);
  EXPECT_EQ(key, "ABCD");
  key = "ŁÓDŹ-X";  // cut by code-page characters, not UTF-8 bytes
  AddKey(ix, 2, key);
  EXPECT_EQ(key, "ŁÓDŹ");
  key = "ABCDZZ";
  DeleteKey(ix, rec, key);
  EXPECT_TRUE(DBOk);
  EXPECT_EQ(Scan(ix), (std::vector<std::string>{"ŁÓDŹ/2"}));
  CloseIndex(ix);
}

// --- Splits, borrows and merges -----------------------------------------------

TEST_F(BTreeTest, EightyFirstKeySplitsTheRoot) {
  TIndexFile ix;
  MakeIndex(ix, nullptr, PathOf("split.idx"), 5, false, false);
  std::vector<int> order(81);
  for (int i = 0; i < 81; ++i) order[i] = i + 1;
  std::shuffle(order.begin(), order.end(), std::mt19937(7));
  for (int i : order) Add(ix, i, Numbered(i));
  EXPECT_EQ(CheckInvariants(ix), "");

  const Bytes file = Snapshot(ix, 5, false);
  const std::int32_t root = I32At(file, 8);
  const TIndexPage r = PageAt(file, 5, root);
  ASSERT_EQ(r.Count, 1);
  EXPECT_EQ(KeyText(r.Item[1]), "k041");
  EXPECT_EQ(KeysOf(PageAt(file, 5, r.LeftChild)), NumberedRange(1, 40));
  EXPECT_EQ(KeysOf(PageAt(file, 5, r.Item[1].Child)), NumberedRange(42, 81));
  CloseIndex(ix);
}

TEST_F(BTreeTest, LeafBorrowsFromRightSiblingThenMerges) {
  TIndexFile ix;
  MakeIndex(ix, nullptr, PathOf("borrow.idx"), 5, false, false);
  for (int i = 1; i <= 82; ++i) Add(ix, i, Numbered(i));  // leaves 40 and 41
  Delete(ix, 0, Numbered(1));
  EXPECT_EQ(CheckInvariants(ix), "");
  Bytes file = Snapshot(ix, 5, false);
  TIndexPage root = PageAt(file, 5, I32At(file, 8));
  ASSERT_EQ(root.Count, 1);
  EXPECT_EQ(KeyText(root.Item[1]), "k042");
  EXPECT_EQ(KeysOf(PageAt(file, 5, root.LeftChild)), NumberedRange(2, 41));
  EXPECT_EQ(KeysOf(PageAt(file, 5, root.Item[1].Child)), NumberedRange(43, 82));

  // A sibling of exactly 40 is merged: 80 items, the root page is released.
  const std::int32_t oldRoot = I32At(file, 8);
  const std::int32_t right = root.Item[1].Child;
  const std::int32_t left = root.LeftChild;
  Delete(ix, 0, Numbered(2));
  EXPECT_EQ(CheckInvariants(ix), "");
  file = Snapshot(ix, 5, false);
  EXPECT_EQ(I32At(file, 8), left);
  EXPECT_EQ(KeysOf(PageAt(file, 5, left)), NumberedRange(3, 82));
  EXPECT_EQ(I32At(file, 0), oldRoot);  // free list: old root, then the right leaf
  EXPECT_EQ(I32At(file, 4), 2);
  EXPECT_EQ(file[oldRoot * IndexPageSize(5)], DBRecDeleted);
  EXPECT_EQ(I32At(file, oldRoot * IndexPageSize(5) + 1), right);
  CloseIndex(ix);
}

TEST_F(BTreeTest, RightmostLeafBorrowsFromLeftSiblingThenMerges) {
  TIndexFile ix;
  MakeIndex(ix, nullptr, PathOf("left.idx"), 5, false, false);
  for (int i = 1; i <= 82; ++i) Add(ix, i, Numbered(i));
  Add(ix, 0, Numbered(0));  // left leaf 41 (k000..k040), right leaf 41
  Delete(ix, 0, Numbered(82));
  Delete(ix, 0, Numbered(81));  // right leaf 39: borrows one from the left
  EXPECT_EQ(CheckInvariants(ix), "");
  Bytes file = Snapshot(ix, 5, false);
  TIndexPage root = PageAt(file, 5, I32At(file, 8));
  ASSERT_EQ(root.Count, 1);
  EXPECT_EQ(KeyText(root.Item[1]), "k040");
  EXPECT_EQ(KeysOf(PageAt(file, 5, root.LeftChild)), NumberedRange(0, 39));
  EXPECT_EQ(KeysOf(PageAt(file, 5, root.Item[1].Child)), NumberedRange(41, 80));

  Delete(ix, 0, Numbered(80));  // right leaf 39, left exactly 40: merged into the left
  EXPECT_EQ(CheckInvariants(ix), "");
  file = Snapshot(ix, 5, false);
  EXPECT_EQ(I32At(file, 8), root.LeftChild);
  EXPECT_EQ(KeysOf(PageAt(file, 5, root.LeftChild)), NumberedRange(0, 79));
  CloseIndex(ix);
}

TEST_F(BTreeTest, DeletingLastKeyReleasesRootForReuse) {
  TIndexFile ix;
  MakeIndex(ix, nullptr, PathOf("last.idx"), 5, false, false);
  Add(ix, 1, "a");
  Delete(ix, 0, "a");
  EXPECT_EQ(ix.Root, 0);
  EXPECT_EQ(ix.Header.FirstFree, 1);
  EXPECT_EQ(ix.Header.FreeCount, 1);
  EXPECT_EQ(CheckInvariants(ix), "");
  Add(ix, 2, "b");
  EXPECT_EQ(ix.Root, 1);
  EXPECT_EQ(ix.RecCount, 2);
  EXPECT_EQ(ix.Header.FirstFree, -1);
  EXPECT_EQ(ix.Header.FreeCount, 0);
  CloseIndex(ix);
  EXPECT_EQ(fs::file_size(PathOf("last.idx")), 2u * IndexPageSize(5));
}

// --- Model check -----------------------------------------------------------------

// Random inserts and deletes of keys with duplicates against an ordered set of
// (key, record) pairs; a second index without duplicates shares the page cache.
TEST_F(BTreeTest, RandomChangesMatchOrderedModel) {
  // A cache of 80 pages: the two trees outgrow it, so pages of both are
  // evicted and read back throughout.
  struct SmallCache {
    SmallCache() { EXPECT_TRUE(SetIndexCachePages(80)); }
    ~SmallCache() { SetIndexCachePages(IndexCacheSlots); }
  } smallCache;
  constexpr int kOps = 200000;
  TIndexFile ix;
  TIndexFile other;
  MakeIndex(ix, nullptr, PathOf("model.idx"), 6, true, false);
  MakeIndex(other, nullptr, PathOf("other.idx"), 12, false, false);
  std::set<std::pair<std::string, std::int32_t>> model;
  std::set<std::string> otherModel;
  std::mt19937 rng(20261210);
  for (int op = 1; op <= kOps; ++op) {
    std::string key = std::to_string(rng() % 3000);
    std::int32_t rec = static_cast<std::int32_t>(rng() % 20) + 1;
    const bool insert = rng() % 10 < 6;
    const bool present = model.count({key, rec}) != 0;
    if (insert) {
      AddKey(ix, rec, key);
      ASSERT_EQ(DBOk, !present) << "op " << op;
      model.insert({key, rec});
    } else {
      DeleteKey(ix, rec, key);
      ASSERT_EQ(DBOk, present) << "op " << op;
      model.erase({key, rec});
    }
    ASSERT_EQ(DBErrorCode, 0) << "op " << op;
    if (op % 3 == 0) {
      std::string okey = key + "-" + std::to_string(rec);
      const bool known = otherModel.count(okey) != 0;
      if (insert) {
        AddKey(other, rec, okey);
        ASSERT_EQ(DBOk, !known);
        otherModel.insert(okey);
      } else {
        std::int32_t r = 0;
        DeleteKey(other, r, okey);
        ASSERT_EQ(DBOk, known);
        otherModel.erase(okey);
      }
    }
    if (op % 5 == 0) {
      std::string probe = std::to_string(rng() % 3100);
      std::int32_t found = 0;
      SearchKey(ix, found, probe);
      const auto it = model.lower_bound({probe, INT32_MIN});
      ASSERT_EQ(DBOk, it != model.end());
      if (DBOk) {
        ASSERT_EQ(probe, it->first);
        ASSERT_EQ(found, it->second);
      }
    }
    if (op % 100000 == 0) {
      ASSERT_EQ(CheckInvariants(ix), "") << "op " << op;
      ASSERT_EQ(CheckInvariants(other), "") << "op " << op;
    }
  }

  // Next and previous from every position.
  std::vector<std::pair<std::string, std::int32_t>> items(model.begin(), model.end());
  ix.PathDepth = 0;
  std::int32_t rec = 0;
  std::string key;
  int maxDepth = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    NextKey(ix, rec, key);
    ASSERT_TRUE(DBOk) << i;
    ASSERT_EQ(std::make_pair(key, rec), items[i]) << i;
    maxDepth = std::max(maxDepth, ix.PathDepth);
    PrevKey(ix, rec, key);
    ASSERT_EQ(DBOk, i > 0) << i;
    if (i > 0) {
      ASSERT_EQ(std::make_pair(key, rec), items[i - 1]) << i;
      NextKey(ix, rec, key);
    } else {
      NextKey(ix, rec, key);  // from no position: the first item again
    }
    ASSERT_EQ(std::make_pair(key, rec), items[i]) << i;
  }
  NextKey(ix, rec, key);
  EXPECT_FALSE(DBOk);
  // A tree of n items with pages of at least 40 has at most
  // 1 + log41((n + 1) / 2) levels.
  const double n = static_cast<double>(items.size());
  EXPECT_LE(maxDepth, 1 + static_cast<int>(std::log((n + 1) / 2) / std::log(41.0)));
  EXPECT_GE(maxDepth, 3);

  // Everything reaches the file: reopen and scan both ways.
  CloseIndex(ix);
  ASSERT_EQ(DBErrorCode, 0);
  OpenIndex(ix, nullptr, PathOf("model.idx"), 6, true, false);
  ASSERT_TRUE(ix.IsOpen);
  EXPECT_EQ(CheckInvariants(ix), "");
  std::size_t count = 0;
  for (PrevKey(ix, rec, key); DBOk; PrevKey(ix, rec, key), ++count)
    ASSERT_EQ(std::make_pair(key, rec), items[items.size() - 1 - count]);
  EXPECT_EQ(count, items.size());
  CloseIndex(ix);
  CloseIndex(other);
  OpenIndex(other, nullptr, PathOf("other.idx"), 12, false, false);
  EXPECT_EQ(CheckInvariants(other), "");
  const std::vector<std::string> scanned = Scan(other);
  ASSERT_EQ(scanned.size(), otherModel.size());
  std::size_t i = 0;
  for (const std::string& k : otherModel) {
    EXPECT_EQ(scanned[i].substr(0, scanned[i].find('/')), k);
    ++i;
  }
  CloseIndex(other);
}

// --- Damaged files -------------------------------------------------------------

TEST_F(BTreeTest, WrongPageSizeGives1004AndLeavesFileAlone) {
  const std::string path = PathOf("size.idx");
  TIndexFile ix;
  MakeIndex(ix, nullptr, path, 10, false, false);
  Add(ix, 1, "a");
  CloseIndex(ix);
  const Bytes before = ReadBytes(path);

  // Key length 35 asks for pages longer than the whole file: still 1004.
  for (const int length : {11, 35}) {
    SCOPED_TRACE(length);
    OpenIndex(ix, nullptr, path, length, false, false);
    EXPECT_EQ(DBErrorCode, DBErrPageSizeDiffers);
    EXPECT_FALSE(ix.IsOpen);
    std::int32_t rec = 0;
    std::string key = "a";
    FindKey(ix, rec, key);
    EXPECT_FALSE(DBOk);
    CloseIndex(ix);
    EXPECT_EQ(ReadBytes(path), before);
  }

  OpenIndex(ix, nullptr, path, 36, false, false);
  EXPECT_EQ(DBErrorCode, DBErrKeyLength);
  EXPECT_FALSE(ix.IsOpen);
  MakeIndex(ix, nullptr, PathOf("long.idx"), 36, false, false);
  EXPECT_EQ(DBErrorCode, DBErrKeyLength);
  EXPECT_FALSE(ix.IsOpen);
  EXPECT_FALSE(fs::exists(PathOf("long.idx")));

  WriteBytes(PathOf("short.idx"), Bytes(10, 0));
  OpenIndex(ix, nullptr, PathOf("short.idx"), 10, false, false);
  EXPECT_EQ(DBErrorCode, DBErrRead);
  EXPECT_FALSE(ix.IsOpen);
}

// Page numbers and item counts read from the file are checked before use: a
// damaged page ends the operation with DBOk false and the error word, and
// nothing is written.
TEST_F(BTreeTest, DamagedPageGivesErrorWordNotCrash) {
  constexpr int kLength = 5;
  constexpr std::size_t kPage = IndexPageSize(kLength);
  struct Case {
    const char* what;
    std::size_t offset;
    std::int32_t value;
    bool word;  // a 32-bit field, else one byte
    std::uint16_t error;
  };
  const Case cases[] = {
      {"item count 0", kPage + 0, 0, false, DBErrBadIndexPage},
      {"item count 81", kPage + 0, 81, false, DBErrBadIndexPage},
      {"item count 255", kPage + 0, 255, false, DBErrBadIndexPage},
      {"key length above the index's", kPage + 5 + 8, 6, false, DBErrBadIndexPage},
      {"root page outside the file", 8, 7, true, DBErrRead},
      {"negative root page", 8, -3, true, DBErrRead},
      {"child page outside the file", kPage + 1, 99, true, DBErrRead},
      {"child page is the page itself", kPage + 1, 1, true, DBErrBadIndexPage},
  };
  const std::string path = PathOf("damaged.idx");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    {
      TIndexFile ix;
      MakeIndex(ix, nullptr, path, kLength, false, false);
      for (const char* k : {"m", "n", "o"}) Add(ix, k[0], k);
      CloseIndex(ix);
    }
    Bytes file = ReadBytes(path);
    if (c.word)
      PatchI32(file, c.offset, c.value);
    else
      file[c.offset] = static_cast<std::uint8_t>(c.value);
    WriteBytes(path, file);

    TIndexFile ix;
    OpenIndex(ix, nullptr, path, kLength, false, false);
    ASSERT_TRUE(ix.IsOpen);
    std::int32_t rec = 0;
    std::string key = "a";
    FindKey(ix, rec, key);
    EXPECT_FALSE(DBOk);
    EXPECT_EQ(DBErrorCode, c.error);
    NextKey(ix, rec, key);
    EXPECT_FALSE(DBOk);
    EXPECT_EQ(DBErrorCode, c.error);
    key = "a";
    AddKey(ix, 1, key);
    EXPECT_FALSE(DBOk);
    EXPECT_EQ(DBErrorCode, c.error);
    DeleteKey(ix, rec, key);
    EXPECT_FALSE(DBOk);
    EXPECT_EQ(DBErrorCode, c.error);
    EXPECT_NE(CheckInvariants(ix), "");
    CloseIndex(ix);
    EXPECT_EQ(ReadBytes(path), file);
  }
}

TEST_F(BTreeTest, FreeListHeadOutsideFileIsDropped) {
  const std::string path = PathOf("free.idx");
  TIndexFile ix;
  MakeIndex(ix, nullptr, path, 4, false, false);
  CloseIndex(ix);
  Bytes file = ReadBytes(path);
  PatchI32(file, 0, 500);
  PatchI32(file, 4, 1);
  WriteBytes(path, file);
  OpenIndex(ix, nullptr, path, 4, false, false);
  Add(ix, 1, "a");
  EXPECT_EQ(ix.Root, 1);
  CloseIndex(ix);
  EXPECT_EQ(fs::file_size(path), 2u * 1045);
}

// A change asked of an index opened for reading only used to change the cached
// pages and report success, and the change was lost at eviction.
TEST_F(BTreeTest, ChangeOfReadOnlyIndexIsRefused) {
  TIndexFile ix;
  MakeIndex(ix, nullptr, PathOf("ro.idx"), 4, false, false);
  Add(ix, 1, "a");
  ix.ReadOnly = true;
  std::string key = "b";
  AddKey(ix, 2, key);
  EXPECT_FALSE(DBOk);
  EXPECT_EQ(DBErrorCode, DBErrReadOnly);
  std::int32_t rec = 0;
  key = "a";
  DeleteKey(ix, rec, key);
  EXPECT_FALSE(DBOk);
  EXPECT_EQ(DBErrorCode, DBErrReadOnly);
  ix.ReadOnly = false;
  EXPECT_EQ(Scan(ix), (std::vector<std::string>{"a/1"}));
  CloseIndex(ix);
}

// --- Another writer on a shared index ------------------------------------------

class BTreeSharedTest : public BTreeTest {
 protected:
  void SetUp() override {
    BTreeTest::SetUp();
    path_ = PathOf("shared.idx");
    MakeIndex(a_, nullptr, path_, 8, duplicates_, true);
    ASSERT_TRUE(a_.IsOpen);
    for (const char* k : {"a", "b", "c", "d", "e"}) Add(a_, k[0], k);
    OpenIndex(b_, nullptr, path_, 8, duplicates_, true);
    ASSERT_TRUE(b_.IsOpen);
  }
  void TearDown() override {
    CloseIndex(a_);
    CloseIndex(b_);
    BTreeTest::TearDown();
  }
  // Positions a_ on key, as a scan that has just returned it.
  void At(const char* k) {
    key_ = k;
    FindKey(a_, rec_, key_);
    ASSERT_TRUE(DBOk);
  }

  bool duplicates_ = false;
  std::string path_;
  TIndexFile a_;
  TIndexFile b_;
  std::int32_t rec_ = 0;
  std::string key_;
};

TEST_F(BTreeSharedTest, NextKeyContinuesAfterKeysAddedElsewhere) {
  At("c");
  Add(b_, 100, "ca");
  Add(b_, 101, "cb");
  NextKey(a_, rec_, key_);
  EXPECT_TRUE(DBOk);
  EXPECT_EQ(key_, "ca");
  NextKey(a_, rec_, key_);
  EXPECT_EQ(key_, "cb");
  NextKey(a_, rec_, key_);
  EXPECT_EQ(key_, "d");
}

TEST_F(BTreeSharedTest, FindKeySeesKeyAddedElsewhere) {
  key_ = "x";
  FindKey(a_, rec_, key_);
  EXPECT_FALSE(DBOk);
  Add(b_, 7, "x");
  key_ = "x";
  FindKey(a_, rec_, key_);
  EXPECT_TRUE(DBOk);
  EXPECT_EQ(rec_, 7);
}

// Finding the position again used to land on the item after a deleted current
// item, and the step then skipped it.
TEST_F(BTreeSharedTest, NextKeyAfterCurrentKeyDeletedElsewhereSkipsNothing) {
  At("c");
  Delete(b_, 0, "c");
  NextKey(a_, rec_, key_);
  EXPECT_TRUE(DBOk);
  EXPECT_EQ(key_, "d");
}

TEST_F(BTreeSharedTest, PrevKeyAfterCurrentKeyDeletedElsewhere) {
  At("c");
  Delete(b_, 0, "c");
  PrevKey(a_, rec_, key_);
  EXPECT_TRUE(DBOk);
  EXPECT_EQ(key_, "b");
}

// With the last key deleted elsewhere the repositioning found no position, and
// the step started again from the first key: a scan never ended.
TEST_F(BTreeSharedTest, NextKeyAfterLastKeyDeletedElsewhereEndsInsteadOfRestarting) {
  At("e");
  Delete(b_, 0, "e");
  NextKey(a_, rec_, key_);
  EXPECT_FALSE(DBOk);
}

// A hold opened with LockIndexFile dropped the position without finding it
// again, so the next step restarted from the first key.
TEST_F(BTreeSharedTest, NextKeyInsideLockIndexFileHoldKeepsPosition) {
  At("c");
  Add(b_, 100, "ca");
  LockIndexFile(a_, true, false);
  NextKey(a_, rec_, key_);
  EXPECT_TRUE(DBOk);
  EXPECT_EQ(key_, "ca");
  NextKey(a_, rec_, key_);
  EXPECT_EQ(key_, "d");
  LockIndexFile(a_, false, false);
}

TEST_F(BTreeSharedTest, WriterHoldRaisesChangeCounterOnce) {
  const std::uint16_t before = a_.Header.ChangeCount;
  LockIndexFile(a_, true, true);
  Add(a_, 10, "f");
  Add(a_, 11, "g");
  LockIndexFile(a_, false, true);
  EXPECT_EQ(a_.Header.ChangeCount, static_cast<std::uint16_t>(before + 1));
  EXPECT_EQ(CheckInvariants(b_), "");
  EXPECT_EQ(Scan(b_).size(), 7u);
}

class BTreeSharedDupTest : public BTreeSharedTest {
 protected:
  void SetUp() override {
    duplicates_ = true;
    BTreeSharedTest::SetUp();
    for (std::int32_t r : {3, 5, 9}) Add(a_, r, "k");
  }
};

TEST_F(BTreeSharedDupTest, NextKeyAfterDuplicateDeletedElsewhereReturnsNextRecord) {
  At("k");
  NextKey(a_, rec_, key_);
  ASSERT_EQ(rec_, 5);
  Delete(b_, 5, "k");
  NextKey(a_, rec_, key_);
  EXPECT_TRUE(DBOk);
  EXPECT_EQ(key_, "k");
  EXPECT_EQ(rec_, 9);
}

// One writer hold on the common lock anchor covers a record and its key.
TEST_F(BTreeTest, IndexAnchoredOnDataFileSharesItsHold) {
  DBMultiUser = true;
  const std::string dataPath = PathOf("points.dat");
  TDataFile data;
  MakeFile(data, nullptr, dataPath, 32, true, false);
  CloseFile(data);
  TDataFile anchor;
  OpenFileShared(anchor, dataPath, 32);
  ASSERT_TRUE(anchor.IsOpen);
  OpenFile(data, &anchor, dataPath, 32, true, false, false);
  ASSERT_TRUE(data.IsOpen);
  TIndexFile ix;
  EXPECT_THROW(MakeIndex(ix, &data, PathOf("bad.idx"), 8, false, true), EParentError);
  MakeIndex(ix, &anchor, PathOf("points.idx"), 8, false, true);
  ASSERT_TRUE(ix.IsOpen);

  LockDataFile(data, true, true);
  EXPECT_EQ(anchor.LockDepth, 1);
  std::vector<std::uint8_t> record(32, 0x41);
  std::int32_t rec = 0;
  AddRecInUse(data, rec, record.data());
  Add(ix, rec, "P1");
  std::string key = "P1";
  std::int32_t found = 0;
  FindKey(ix, found, key);
  EXPECT_EQ(found, rec);
  LockDataFile(data, false, true);
  EXPECT_EQ(anchor.LockDepth, 0);

  TIndexFile other;
  OpenIndex(other, &anchor, PathOf("points.idx"), 8, false, true);
  found = 0;
  FindKey(other, found, key);
  EXPECT_TRUE(DBOk);
  EXPECT_EQ(found, rec);
  CloseIndex(other);
  CloseIndex(ix);
  CloseFile(data);
  CloseFileHandle(anchor);
}

// --- Two processes ---------------------------------------------------------------

// The second process: tests/foundation/storage/helpers/idxpeer.cpp.
class IndexPeer : public PeerProcess {
 public:
  IndexPeer() : PeerProcess(HELPER_IDXPEER) {}
};

TEST_F(BTreeTest, PeerProcessChangeIsSeenThroughPageCache) {
  DBMultiUser = true;
  const std::string path = PathOf("peer.idx");
  TIndexFile ix;
  MakeIndex(ix, nullptr, path, 8, false, true);
  LockIndexFile(ix, true, true);
  for (int i = 1; i <= 300; ++i) Add(ix, i, Numbered(i));
  LockIndexFile(ix, false, true);
  std::int32_t rec = 0;
  std::string key = Numbered(150);
  FindKey(ix, rec, key);  // the path to k150 is now cached
  ASSERT_TRUE(DBOk);

  IndexPeer peer;
  ASSERT_EQ(peer.Ask("multi 1"), "ok");
  ASSERT_EQ(peer.Ask("open " + path + " 8 0 1"), "ok 0");
  ASSERT_EQ(peer.Ask("add 1500 k150a"), "ok 1 0");
  ASSERT_EQ(peer.Ask("del 0 k151"), "ok 1 151 0");
  ASSERT_EQ(peer.Ask("close"), "ok");

  NextKey(ix, rec, key);
  EXPECT_TRUE(DBOk);
  EXPECT_EQ(key, "k150a");
  EXPECT_EQ(rec, 1500);
  NextKey(ix, rec, key);
  EXPECT_EQ(key, "k152");
  key = "k151";
  FindKey(ix, rec, key);
  EXPECT_FALSE(DBOk);
  EXPECT_EQ(CheckInvariants(ix), "");

  // And the other way round: the peer sees this process's change.
  Add(ix, 7000, "k999");
  ASSERT_EQ(peer.Ask("open " + path + " 8 0 1"), "ok 0");
  EXPECT_EQ(peer.Ask("find k999"), "ok 1 7000");
  CloseIndex(ix);
}

// --- Scans reading ahead ----------------------------------------------------

// A scan reads the pages around a page it needs in the same read. Pages of a
// shared index read so in one hold are not used in a later one: there the
// page is read again, as a page never read would be (here a page a
// workstation killed in its writer hold rewrote without raising the change
// counter). In a single-user index free pages read so are not taken for
// pages of the tree: the free list is used, not dropped as damaged.
TEST_F(BTreeTest, PagesReadAheadFollowTheFile) {
  for (const bool shared : {true, false}) {
    SCOPED_TRACE(shared ? "shared" : "single-user");
    DBMultiUser = shared;
    const std::string path = PathOf(shared ? "ahead2.idx" : "ahead1.idx");
    TIndexFile ix;
    MakeIndex(ix, nullptr, path, 8, false, shared);
    LockIndexFile(ix, true, true);
    for (int i = 100; i <= 999; ++i) Add(ix, i, Numbered(i));
    LockIndexFile(ix, false, true);
    if (!shared)
      for (int i = 300; i <= 799; ++i) Delete(ix, 0, Numbered(i));
    CloseIndex(ix);
    ASSERT_EQ(DBErrorCode, 0);
    OpenIndex(ix, nullptr, path, 8, false, shared);
    ASSERT_TRUE(ix.IsOpen);

    if (shared) {
      // The first steps in one hold read the whole small file.
      std::int32_t rec = 0;
      std::string key;
      LockIndexFile(ix, true, false);
      NextKey(ix, rec, key);
      LockIndexFile(ix, false, false);
      ASSERT_EQ(key, "k100");
      // Key k900 becomes k900x on disk, the counter left as it was.
      Bytes image = ReadBytes(path);
      const std::size_t size = IndexPageSize(8);
      bool patched = false;
      for (std::size_t page = 1; page * size < image.size() && !patched; ++page) {
        for (int i = 0; i < image[page * size] && !patched; ++i) {
          std::uint8_t* slot = image.data() + page * size + 5 + i * 17;
          if (slot[8] == 4 && std::memcmp(slot + 9, "k900", 4) == 0 && I32At(image, page * size + 1) == 0) {
            slot[8] = 5;
            slot[13] = 'x';
            patched = true;
          }
        }
      }
      ASSERT_TRUE(patched);
      WriteBytes(path, image);
      const std::vector<std::string> items = Scan(ix);
      EXPECT_EQ(items.size(), 900u);
      EXPECT_NE(std::find(items.begin(), items.end(), "k900x/900"), items.end());
    } else {
      const std::int32_t pages = ix.RecCount;
      const std::int32_t free = ix.Header.FreeCount;
      ASSERT_GT(free, 3);
      EXPECT_EQ(Scan(ix).size(), 400u);
      for (int i = 300; i <= 399; ++i) Add(ix, i, Numbered(i));
      EXPECT_LT(ix.Header.FreeCount, free);
      EXPECT_EQ(ix.RecCount, pages);
      EXPECT_EQ(CheckInvariants(ix), "");
    }
    CloseIndex(ix);
    EXPECT_EQ(DBErrorCode, 0);
  }
}

std::uint16_t gErrorWhenWaitEnded = 0;

TEST_F(BTreeTest, LockWaitShowsIndexWaitCode) {
  DBMultiUser = true;
  const std::string path = PathOf("wait.idx");
  TIndexFile ix;
  MakeIndex(ix, nullptr, path, 8, false, true);
  Add(ix, 1, "a");

  IndexPeer peer;
  ASSERT_EQ(peer.Ask("multi 1"), "ok");
  ASSERT_EQ(peer.Ask("open " + path + " 8 0 1"), "ok 0");
  // Timed from before the request, so that a slow scheduler between the
  // peer's answer and the add cannot shorten what the add is seen to wait.
  const auto start = std::chrono::steady_clock::now();
  peer.Send("holdfor 0 700");  // a reader keeps the writer out for 700 ms
  ASSERT_EQ(peer.Read(), "ok");

  gErrorWhenWaitEnded = 0;
  DBWaitCursor = [](bool show) {
    if (!show) gErrorWhenWaitEnded = DBErrorCode;
  };
  std::string key = "b";
  AddKey(ix, 2, key);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(DBOk);
  EXPECT_EQ(gErrorWhenWaitEnded, DBErrIndexWait);
  EXPECT_GE(waited, std::chrono::milliseconds(690));
  EXPECT_EQ(peer.Read(), "done");
  EXPECT_EQ(peer.Ask("find b"), "ok 1 2");
  CloseIndex(ix);
}

}  // namespace
