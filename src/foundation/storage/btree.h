// The B-tree index file: an ordered index beside a record file, mapping a text
// key to a record number. An index file is a record file whose records are
// pages of a B-tree of order 40; it shares the record file's header, free
// list, error word (DBErrorCode), success flag (DBOk), DBMultiUser switch and
// transaction holds, usually through the same lock anchor as its data file.
// The operations are free functions on a caller-owned descriptor (TIndexFile);
// a page cache of up to IndexCacheSlots pages (about 4 KiB each in memory,
// taken as they are first needed) is shared by every open index of the
// process. No guard: one thread (the GUI thread) uses the engine and the
// cache at a time.
//
// Page size P = 5 + 80 * (KeyLength + 9); page n at file offset n * P.
// Page 0 is the record file's header record (RootPage = root page, 0 when the
// tree is empty). Page layout (little-endian, K = KeyLength):
//
//   offset              size  field
//   0                   1     item count m, 1..80 in a page of the tree
//   1                   4     child page left of item 1, signed (0: a leaf)
//   5 + (i-1)*(K+9)     4     item i: record number, signed
//   +4                  4     item i: child page right of the item (0 in a leaf)
//   +8                  1+K   item i: key, length byte then code page 1250
//                             characters; bytes past the length are written 0
//   slots after item m are written 0 and are not significant
//
// Invariants (CheckInvariants verifies them):
//   1. all leaves are at the same depth, at most 6 levels;
//   2. the root holds 1..80 items, every other page 40..80;
//   3. a page with m items has m+1 children (all non-zero) or none;
//   4. keys ascend byte by byte (unsigned, shorter prefix first); with
//      duplicates, equal keys ascend by record number; each item is unique;
//      the subtree left of an item sorts before it, the right one after it;
//   5. key lengths are at most K;
//   6. every page 1..count-1 is either in the tree or on the free list, never
//      both; the free list holds FreeCount pages, except that the pages of a
//      dropped (damaged) list stay counted in FreeCount and are in neither.
// The full byte table is in docs/formats.md ("B-tree index file").
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/storage/recordfile.h"

// A page that cannot be part of a tree: item count outside 1..80, a key longer
// than the index's key length, or a tree deeper than six levels (a cycle).
inline constexpr std::uint16_t DBErrBadIndexPage = 1005;

inline constexpr int IndexMaxKeyLength = 35;
inline constexpr int IndexPageItems = 80;    // items a page can hold
inline constexpr int IndexMinItems = 40;     // items every page but the root holds
inline constexpr int IndexMaxDepth = 6;      // levels a tree can reach
inline constexpr int IndexCacheSlots = 16384;  // pages the process-wide cache may hold

// Page size in the file for a key length.
constexpr std::uint16_t IndexPageSize(int KeyLength) {
  return static_cast<std::uint16_t>(5 + IndexPageItems * (KeyLength + 9));
}
inline constexpr std::uint16_t IndexMaxPageSize = IndexPageSize(IndexMaxKeyLength);

// One item of a page in memory: a fixed slot whatever the key length.
struct TIndexItem {
  std::int32_t RecNo = 0;
  std::int32_t Child = 0;  // page right of the item, 0 in a leaf
  std::uint8_t KeyLen = 0;
  std::array<char, IndexMaxKeyLength> Key{};  // code page 1250; bytes past KeyLen not significant
};

// One page in memory. Items are numbered 1..Count as in the file; slot 0 is
// unused, so that ChildOf(0) is the left child.
struct TIndexPage {
  std::int32_t Count = 0;
  std::int32_t LeftChild = 0;
  std::array<TIndexItem, IndexPageItems + 1> Item{};

  std::int32_t ChildOf(int i) const { return i == 0 ? LeftChild : Item[i].Child; }
  void SetChildOf(int i, std::int32_t page) {
    if (i == 0) LeftChild = page; else Item[i].Child = page;
  }
};

// Page conversion between the packed file layout and memory. PageFromFile
// returns false (and leaves Page unspecified) when the page cannot be part of
// a tree: item count outside 1..80 or a key longer than KeyLength.
bool PageFromFile(const std::uint8_t* Buffer, int KeyLength, TIndexPage& Page);
void PageToFile(const TIndexPage& Page, int KeyLength, std::uint8_t* Buffer);

struct TIndexPathEntry {
  std::int32_t Page = 0;
  std::int32_t Item = 0;  // 0..80
};

// Descriptor of one open index: the record-file fields (RecSize = P), then the
// index's own. Owned by the caller; neither copyable nor movable because the
// page cache knows it by address. Destroying an index that was not closed drops
// its cached pages unwritten.
struct TIndexFile : TDataFile {
  TIndexFile() = default;
  ~TIndexFile();
  TIndexFile(const TIndexFile&) = delete;
  TIndexFile& operator=(const TIndexFile&) = delete;

  bool Duplicates = false;     // equal keys allowed, told apart by record number
  std::uint8_t KeyLength = 0;  // 0..35, fixed at creation
  std::int32_t Root = 0;       // root page, 0 for an empty tree
  std::int32_t PathDepth = 0;  // 0: no current position
  std::array<TIndexPathEntry, IndexMaxDepth + 1> Path{};  // entries 1..PathDepth
  std::int32_t CurrentRec = 0;  // record number of the current item
  // A hold found the index changed by another workstation while there was a
  // position; the next NextKey or PrevKey finds it again from Key and
  // CurrentRec, even inside a hold opened with LockIndexFile.
  bool PositionLost = false;
  // A page of this index could not be written back (when evicted for any
  // index's operation, or flushed): the error word, reported by this index's
  // next operation that has no error of its own, or by CloseIndex. The page
  // stays changed in the cache and is written at the next flush or eviction.
  std::uint16_t WriteError = 0;
  // Items stepped over since the last search or the first step from no
  // position; more than the pages can hold means pages under two parents.
  std::int64_t Steps = 0;
  // The item the last step returned, when the next step must move past it.
  bool StepKnown = false;
  std::int32_t StepPage = 0;   // where that item is: page and index
  std::int32_t StepIndex = 0;
  // Pages released by a change whose free mark could not be written: in
  // neither the tree nor the free list until the next flush marks them.
  std::vector<std::int32_t> PendingFree;
  // Outermost holds opened on a shared index: pages a scan read ahead in one
  // hold are used only in that hold.
  std::uint32_t HoldCount = 0;
};

// Keys are UTF-8 in memory and stored in code page 1250; they compare by their
// code-page bytes. A key longer than KeyLength code-page characters is cut in
// the caller's string before use.

void MakeIndex(TIndexFile& Index, TDataFile* Parent, const std::string& FileName,
               int KeyLength, bool Duplicates, bool Shared);
void OpenIndex(TIndexFile& Index, TDataFile* Parent, const std::string& FileName,
               int KeyLength, bool Duplicates, bool Shared);
void CloseIndex(TIndexFile& Index);
void EraseIndex(TIndexFile& Index);

// DBOk false when the item (with duplicates: the key with that record number)
// is already there; nothing changes then.
void AddKey(TIndexFile& Index, std::int32_t RecNo, std::string& Key);
// Removes Key (with duplicates: Key and RecNo); RecNo receives the record
// number the removed item held. DBOk false when there is no such item.
void DeleteKey(TIndexFile& Index, std::int32_t& RecNo, std::string& Key);
// Exact search; with duplicates the item with the lowest record number.
void FindKey(TIndexFile& Index, std::int32_t& RecNo, std::string& Key);
// First item whose key is equal to or greater than Key.
void SearchKey(TIndexFile& Index, std::int32_t& RecNo, std::string& Key);
// The item after (before) the current one; from no position the first (last).
// Key and CurrentRec must still describe the current item: they find it again
// when another workstation changed the index.
void NextKey(TIndexFile& Index, std::int32_t& RecNo, std::string& Key);
void PrevKey(TIndexFile& Index, std::int32_t& RecNo, std::string& Key);
// Opens (Lock true) or closes a transaction hold, reader or writer mode.
void LockIndexFile(TIndexFile& Index, bool Lock, bool Exclusive);

// Sets how many pages the process-wide cache may hold (IndexCacheSlots until
// changed; at least 8). Only while the cache holds no page, that is while no
// index is open: false, and nothing changed, otherwise.
bool SetIndexCachePages(int Pages);

// Walks the whole tree and the free list and returns the first broken
// invariant (page and reason), or an empty string. For tests and debugging;
// reads through the page cache inside a reader hold. With LeakedPages given,
// pages neither in the tree nor on the free list are counted there instead
// of breaking invariant 6: what a workstation killed inside its writer hold
// may leave (a page taken off the list but not yet linked, or released but
// not yet put on it), since the engine keeps no journal.
std::string CheckInvariants(TIndexFile& Index, std::int32_t* LeakedPages = nullptr);
