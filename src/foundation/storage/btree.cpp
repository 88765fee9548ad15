#include "foundation/storage/btree.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

#include "foundation/storage/bytes.h"
#include "foundation/storage/fileopener.h"
#include "platform/files/codepage.h"

namespace {

// Raised inside an operation when a page cannot be read or cannot be part of a
// tree; the error word is already set. Caught at the operation's boundary.
struct PageFault {};

[[noreturn]] void Damaged() {
  DBErrorCode = DBErrBadIndexPage;
  throw PageFault{};
}

// One page of the process-wide cache.
struct CacheSlot {
  TIndexPage Page;
  TIndexFile* Owner = nullptr;
  std::int32_t PageNo = 0;
  bool Dirty = false;
  // Read ahead by a scan and not asked for yet: perhaps not a page of the
  // tree (a free page), and in a shared index good only in the hold that
  // read it (HoldCount then).
  bool Ahead = false;
  std::uint32_t Hold = 0;
};

// Where each cached page is: an open-addressed table of (index, page) ->
// slot with linear probing, at least twice as many entries as pages cached,
// so that a lookup reads one or two neighbouring entries. It starts small
// and doubles as the cache fills, so that a process using a few pages does
// not clear a table for the whole cache.
class SlotTable {
 public:
  void Reset(int /*capacity*/) {
    entries_.assign(kFirstSize, Entry{});
    mask_ = kFirstSize - 1;
    count_ = 0;
  }
  bool Empty() const { return count_ == 0; }
  // The slot of page n of owner, or -1.
  int Find(const void* owner, std::int32_t n) const {
    for (std::size_t i = Home(owner, n);; i = (i + 1) & mask_) {
      const Entry& e = entries_[i];
      if (e.Owner == nullptr) return -1;
      if (e.Owner == owner && e.PageNo == n) return e.Slot;
    }
  }
  void Put(const void* owner, std::int32_t n, int slot) {
    if ((count_ + 1) * 2 > entries_.size()) Grow();
    std::size_t i = Home(owner, n);
    while (entries_[i].Owner != nullptr && !(entries_[i].Owner == owner && entries_[i].PageNo == n))
      i = (i + 1) & mask_;
    if (entries_[i].Owner == nullptr) ++count_;
    entries_[i] = {owner, n, slot};
  }
  // Removes an entry, moving later entries of its run back into the gap so
  // that every entry stays reachable from its home.
  void Remove(const void* owner, std::int32_t n) {
    std::size_t i = Home(owner, n);
    while (!(entries_[i].Owner == owner && entries_[i].PageNo == n)) {
      if (entries_[i].Owner == nullptr) return;
      i = (i + 1) & mask_;
    }
    --count_;
    std::size_t gap = i;
    for (std::size_t j = (gap + 1) & mask_; entries_[j].Owner != nullptr; j = (j + 1) & mask_) {
      const std::size_t home = Home(entries_[j].Owner, entries_[j].PageNo);
      // Entry j may move to the gap when its home is not between them.
      if (((j - home) & mask_) >= ((j - gap) & mask_)) {
        entries_[gap] = entries_[j];
        gap = j;
      }
    }
    entries_[gap] = Entry{};
  }

 private:
  struct Entry {
    const void* Owner = nullptr;
    std::int32_t PageNo = 0;
    int Slot = 0;
  };
  static constexpr std::size_t kFirstSize = 256;

  // Twice the entries, every entry put again from its new home.
  void Grow() {
    std::vector<Entry> old(entries_.size() * 2, Entry{});
    old.swap(entries_);
    mask_ = entries_.size() - 1;
    for (const Entry& e : old) {
      if (e.Owner == nullptr) continue;
      std::size_t i = Home(e.Owner, e.PageNo);
      while (entries_[i].Owner != nullptr) i = (i + 1) & mask_;
      entries_[i] = e;
    }
  }
  std::size_t Home(const void* owner, std::int32_t n) const {
    std::uint64_t h = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(owner)) ^
                      (static_cast<std::uint64_t>(static_cast<std::uint32_t>(n)) << 20);
    h ^= static_cast<std::uint32_t>(n);
    h *= 0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>(h >> 32) & mask_;
  }
  std::vector<Entry> entries_;
  std::size_t mask_ = 0;
  std::size_t count_ = 0;
};

// The page cache shared by every index of the process: up to Capacity slots,
// made as they are first needed (their storage reserved at once, so that a
// slot never moves while a step refers to it), a table from (index, page) to
// slot, and the order of use, a doubly linked list from the least to the
// most recently used.
struct PageCache {
  int Capacity = IndexCacheSlots;
  std::vector<CacheSlot> Slots;
  std::vector<int> Prev;
  std::vector<int> Next;
  int Oldest = -1;
  int Newest = -1;
  SlotTable Where;
  // Slots emptied without being taken for another page (an index closed, a
  // page released): used again before a new slot is made, so that their
  // memory is not left idle while new memory is touched.
  std::vector<int> Empty;

  void Reset(int capacity) {
    Capacity = capacity;
    Slots = std::vector<CacheSlot>();
    Slots.reserve(static_cast<std::size_t>(capacity));
    Prev.clear();
    Next.clear();
    Oldest = Newest = -1;
    Where.Reset(capacity);
    Empty.clear();
  }
  PageCache() { Reset(IndexCacheSlots); }
};

// Made on first use and never destroyed, so that an index destroyed at the
// end of the process still finds it; read on every step, hence a plain
// pointer rather than a guarded local.
PageCache* gCache = nullptr;

inline PageCache& Cache() {
  if (gCache == nullptr) [[unlikely]]
    gCache = new PageCache;
  return *gCache;
}

// Page transfer buffer in the file layout.
std::array<std::uint8_t, IndexMaxPageSize>& PageBuffer() {
  static std::array<std::uint8_t, IndexMaxPageSize> buffer;
  return buffer;
}

// Moves a slot to the most recently used end.
void Touch(int slot) {
  PageCache& c = Cache();
  if (c.Newest == slot) return;
  const int before = c.Prev[slot];
  const int after = c.Next[slot];
  if (before >= 0) c.Next[before] = after; else c.Oldest = after;
  c.Prev[after] = before;
  c.Prev[slot] = c.Newest;
  c.Next[slot] = -1;
  c.Next[c.Newest] = slot;
  c.Newest = slot;
}

// The changes of the running AddKey or DeleteKey: the cached pages it
// changed as they were before, and the header, record count and root it
// started from, so that an operation that fails part way leaves the cache as
// it found it. Pages it releases are put on the free list only when it
// succeeds. Its pages are pinned: no eviction writes them while it runs.
struct ChangeJournal {
  struct Saved {
    int Slot = 0;
    bool Fresh = false;  // a new page of this operation: forgotten on undo
    bool Dirty = false;
    TIndexPage Page;
  };
  TIndexFile* Index = nullptr;  // null: no change running
  std::vector<Saved> Pages;     // capacity kept from one operation to the next
  std::vector<std::int32_t> Released;
  TDataHeader Header;
  std::int32_t RecCount = 0;
  std::int32_t Root = 0;

  bool Pinned(int slot) const {
    for (const Saved& saved : Pages)
      if (saved.Slot == slot) return true;
    return false;
  }
};

ChangeJournal& Journal() {
  static ChangeJournal journal;
  return journal;
}

int SlotIndex(const CacheSlot& s) { return static_cast<int>(&s - Cache().Slots.data()); }

// Writes a changed page. A page that cannot be written stays changed in the
// cache, and the failure is remembered on its own index, to be reported by
// that index's next operation or its close, whoever's operation caused the
// write.
bool WriteSlot(CacheSlot& s) {
  PageToFile(s.Page, s.Owner->KeyLength, PageBuffer().data());
  if (!DBWriteRecord(*s.Owner, s.PageNo, PageBuffer().data())) {
    if (s.Owner->WriteError == DBErrNone) s.Owner->WriteError = DBErrorCode;
    return false;
  }
  s.Dirty = false;
  return true;
}

// Empties a slot, writing nothing; it is kept for the next page needed.
void Forget(CacheSlot& s) {
  if (s.Owner != nullptr) {
    Cache().Where.Remove(s.Owner, s.PageNo);
    Cache().Empty.push_back(SlotIndex(s));
  }
  s.Owner = nullptr;
  s.Dirty = false;
  s.Ahead = false;
}

// Gives an empty slot page n of ix.
void Place(CacheSlot& s, TIndexFile& ix, std::int32_t n) {
  s.Owner = &ix;
  s.PageNo = n;
  s.Ahead = false;
  Cache().Where.Put(&ix, n, SlotIndex(s));
}

// The slot holding page n of ix, or null.
CacheSlot* Find(const TIndexFile& ix, std::int32_t n) {
  PageCache& cache = Cache();
  const int slot = cache.Where.Find(&ix, n);
  return slot < 0 ? nullptr : &cache.Slots[static_cast<std::size_t>(slot)];
}

// Slots an eviction never takes: the most recently used ones, which the
// running step may still refer to.
constexpr int kKeptNewest = 4;

// A slot that can be had without evicting a page (an emptied one or one not
// made yet), or null.
CacheSlot* SpareSlot() {
  PageCache& cache = Cache();
  // An emptied slot first (one taken by an eviction meanwhile has an owner
  // again, or is empty and taken below all the same).
  const ChangeJournal& journal = Journal();
  while (!cache.Empty.empty()) {
    const int slot = cache.Empty.back();
    cache.Empty.pop_back();
    CacheSlot& s = cache.Slots[static_cast<std::size_t>(slot)];
    if (s.Owner == nullptr && (journal.Index == nullptr || !journal.Pinned(slot))) return &s;
  }
  if (static_cast<int>(cache.Slots.size()) >= cache.Capacity) return nullptr;
  // A slot not made yet: linked in as the most recently used.
  const int slot = static_cast<int>(cache.Slots.size());
  cache.Slots.emplace_back();
  cache.Prev.push_back(cache.Newest);
  cache.Next.push_back(-1);
  if (cache.Newest >= 0) cache.Next[cache.Newest] = slot; else cache.Oldest = slot;
  cache.Newest = slot;
  return &cache.Slots.back();
}

// Empties a slot for another page: the least recently used one that is free,
// unchanged or written back now. A changed page is passed over when its
// write fails, when the running change has pinned it, or when it belongs to a
// shared index outside that index's hold (its write would not be covered by
// the index's lock). The error word is the caller's own afterwards; when no
// slot can be had the caller's step fails with 101.
CacheSlot& TakeSlot() {
  if (CacheSlot* spare = SpareSlot()) return *spare;
  PageCache& cache = Cache();
  const ChangeJournal& journal = Journal();
  const std::uint16_t error = DBErrorCode;
  int slot = cache.Oldest;
  for (int tried = 0; tried < cache.Capacity - kKeptNewest && slot >= 0; ++tried, slot = cache.Next[slot]) {
    CacheSlot& s = cache.Slots[slot];
    if (journal.Index != nullptr && journal.Pinned(slot)) continue;
    if (s.Owner != nullptr && s.Dirty) {
      if (s.Owner->Shared && s.Owner->LockDepth == 0) continue;
      const bool written = WriteSlot(s);
      DBErrorCode = error;
      if (!written) continue;
    }
    Forget(s);
    if (!cache.Empty.empty() && cache.Empty.back() == slot) cache.Empty.pop_back();
    return s;
  }
  DBErrorCode = DBErrWrite;
  throw PageFault{};
}

// Bytes a scan reads at once when it reads ahead.
constexpr std::size_t kReadAheadBytes = 64 * 1024;

std::vector<std::uint8_t>& BlockBuffer() {
  static std::vector<std::uint8_t> buffer(kReadAheadBytes);
  return buffer;
}

// Reads page n into slot s. With ahead, the aligned block of pages around it
// comes in the same read, and those of its pages not cached yet go into
// spare slots, marked as read ahead (nothing is evicted for them; the slot
// of page n is the caller's to place and touch last). A page read ahead that
// cannot be part of a tree is left out: it is read again, and judged, when
// asked for.
void ReadPage(TIndexFile& ix, std::int32_t n, CacheSlot& s, bool ahead) {
  const std::int32_t perBlock = static_cast<std::int32_t>(kReadAheadBytes / ix.RecSize);
  if (!ahead || perBlock < 2) {
    if (DBReadRecords(ix, n, 1, PageBuffer().data()) != 1) {
      DBErrorCode = DBErrRead;
      throw PageFault{};
    }
    if (!PageFromFile(PageBuffer().data(), ix.KeyLength, s.Page)) Damaged();
    return;
  }
  std::int32_t first = n / perBlock * perBlock;
  if (first < 1) first = 1;
  const std::int32_t count = std::min(perBlock, ix.RecCount - first);
  std::uint8_t* block = BlockBuffer().data();
  const std::int32_t got = DBReadRecords(ix, first, count, block);
  if (got <= n - first) {
    DBErrorCode = DBErrRead;
    throw PageFault{};
  }
  if (!PageFromFile(block + static_cast<std::size_t>(n - first) * ix.RecSize, ix.KeyLength, s.Page))
    Damaged();
  // The asked page is placed first, so that the spare slots never take it.
  Place(s, ix, n);
  s.Dirty = false;
  for (std::int32_t m = first; m < first + got; ++m) {
    if (m == n || Find(ix, m) != nullptr) continue;
    CacheSlot* spare = SpareSlot();
    if (spare == nullptr) break;
    if (!PageFromFile(block + static_cast<std::size_t>(m - first) * ix.RecSize, ix.KeyLength,
                      spare->Page)) {
      Cache().Empty.push_back(SlotIndex(*spare));
      continue;
    }
    Place(*spare, ix, m);
    spare->Dirty = false;
    spare->Ahead = true;
    spare->Hold = ix.HoldCount;
    Touch(SlotIndex(*spare));
  }
}

// Whether a scan may read ahead: in a single-user index, or in a shared one
// inside a hold its caller opened, where the pages read stay as they are
// for the steps that follow; and only into spare slots.
bool MayReadAhead(const TIndexFile& ix) {
  if (ix.Shared && ix.LockDepth < 2) return false;
  const PageCache& cache = Cache();
  return !cache.Empty.empty() || static_cast<int>(cache.Slots.size()) < cache.Capacity;
}

// Page n of an index, read into the cache when absent. A number outside the
// file reads nothing (error 100); a page that cannot be in a tree gives 1005.
// With ahead (a scan's step) the pages around it may come in the same read.
CacheSlot& GetSlot(TIndexFile& ix, std::int32_t n, bool ahead = false) {
  // A step asks for the page it used last again and again: the most recently
  // used slot is looked at before the table.
  PageCache& cache = Cache();
  if (cache.Newest >= 0) {
    CacheSlot& newest = cache.Slots[static_cast<std::size_t>(cache.Newest)];
    if (newest.Owner == &ix && newest.PageNo == n && !newest.Ahead) return newest;
  }
  if (CacheSlot* cached = Find(ix, n)) {
    if (cached->Ahead) {
      // Read in an earlier hold of a shared index: the file may have
      // changed since, so it is read again.
      if (cached->Hold != ix.HoldCount) ReadPage(ix, n, *cached, false);
      cached->Ahead = false;
    }
    Touch(SlotIndex(*cached));
    return *cached;
  }
  if (n < 1 || n >= ix.RecCount) {
    DBErrorCode = DBErrRead;
    throw PageFault{};
  }
  CacheSlot& s = TakeSlot();
  if (ahead && MayReadAhead(ix)) {
    ReadPage(ix, n, s, true);
  } else {
    ReadPage(ix, n, s, false);
    Place(s, ix, n);
    s.Dirty = false;
  }
  Touch(SlotIndex(s));
  return s;
}

const TIndexPage& GetPage(TIndexFile& ix, std::int32_t n, bool ahead = false) {
  return GetSlot(ix, n, ahead).Page;
}

// Page n of an index, about to be changed by the running operation: its
// content before the change is kept for an undo.
CacheSlot& ChangeSlot(TIndexFile& ix, std::int32_t n) {
  CacheSlot& s = GetSlot(ix, n);
  ChangeJournal& journal = Journal();
  if (journal.Index == &ix) {
    const int slot = SlotIndex(s);
    if (!journal.Pinned(slot)) {
      journal.Pages.emplace_back();
      ChangeJournal::Saved& saved = journal.Pages.back();
      saved.Slot = slot;
      saved.Dirty = s.Dirty;
      saved.Page.Count = s.Page.Count;
      saved.Page.LeftChild = s.Page.LeftChild;
      for (int i = 1; i <= s.Page.Count && i <= IndexPageItems; ++i)
        saved.Page.Item[i] = s.Page.Item[i];
    }
  }
  return s;
}

// Whether the free list of an index names a page of its tree: the root, or a
// page in the cache (every cached page of an index is a page of its tree).
// A page of one item looks like a free page on disk, and only the root may
// hold one item.
bool PageOfTree(const TDataFile& file, std::int32_t n) {
  const auto& ix = static_cast<const TIndexFile&>(file);
  if (n == ix.Root) return true;
  const CacheSlot* s = Find(ix, n);
  return s != nullptr && !s->Ahead;
}

// A new page for an index, from the free list or appended; cleared, marked
// changed, filled by the caller.
CacheSlot& NewPage(TIndexFile& ix) {
  CacheSlot& s = TakeSlot();
  const std::int32_t n = DBNewRecNo(ix, PageOfTree);
  if (n < 1) {
    DBErrorCode = DBErrWrite;
    throw PageFault{};
  }
  // Never cached (a free page is in no tree); a stale copy would shadow it.
  if (CacheSlot* stale = Find(ix, n)) Forget(*stale);
  s.Page = TIndexPage{};
  Place(s, ix, n);
  s.Dirty = true;
  const int slot = SlotIndex(s);
  Touch(slot);
  ChangeJournal& journal = Journal();
  if (journal.Index == &ix) {
    journal.Pages.emplace_back();
    journal.Pages.back().Slot = slot;
    journal.Pages.back().Fresh = true;
  }
  return s;
}

// Puts a page on the free list and forgets its cached copy; inside a change,
// once the change has succeeded.
void ReleasePage(TIndexFile& ix, std::int32_t n) {
  ChangeJournal& journal = Journal();
  if (journal.Index == &ix) {
    journal.Released.push_back(n);
    return;
  }
  DBFreeRecord(ix, n);
  if (CacheSlot* s = Find(ix, n)) Forget(*s);
}

// Starts recording the changes of an operation on ix.
void BeginChange(TIndexFile& ix) {
  ChangeJournal& journal = Journal();
  journal.Index = &ix;
  journal.Pages.clear();
  journal.Released.clear();
  journal.Header = ix.Header;
  journal.RecCount = ix.RecCount;
  journal.Root = ix.Root;
}

// Puts the pages an earlier change released but could not mark free on the
// free list; the first failure, or 0. Those still failing stay pending.
std::uint16_t FreePendingPages(TIndexFile& ix) {
  std::uint16_t failure = DBErrNone;
  std::size_t kept = 0;
  for (const std::int32_t n : ix.PendingFree) {
    if (DBFreeRecord(ix, n)) {
      // A copy read ahead meanwhile is not what the file holds now.
      if (CacheSlot* s = Find(ix, n)) Forget(*s);
      continue;
    }
    if (failure == DBErrNone) failure = DBErrorCode;
    ix.PendingFree[kept++] = n;
  }
  ix.PendingFree.resize(kept);
  return failure;
}

// Ends a change that succeeded: the pages it released go on the free list.
// A page whose free mark cannot be written is reported and stays pending
// (in neither the tree nor the list, never reused) for the next flush.
void CommitChange(TIndexFile& ix) {
  ChangeJournal& journal = Journal();
  journal.Index = nullptr;
  journal.Pages.clear();
  std::uint16_t failure = DBErrNone;
  for (const std::int32_t n : journal.Released) {
    if (ix.Shared) {
      // In a shared index the free marks wait for the flush that ends the
      // writer hold, after the pages that stop naming these ones: a process
      // killed before then leaks them instead of leaving a parent on disk
      // that names a free page.
      if (CacheSlot* s = Find(ix, n)) Forget(*s);
      ix.PendingFree.push_back(n);
      continue;
    }
    ReleasePage(ix, n);
    if (DBErrorCode == DBErrNone) continue;
    if (failure == DBErrNone) failure = DBErrorCode;
    ix.PendingFree.push_back(n);
  }
  journal.Released.clear();
  DBErrorCode = failure;
}

// Ends a change that failed part way: every page it changed is as before,
// its new pages are forgotten, and the header, record count and root are
// those it started from.
void UndoChange(TIndexFile& ix) {
  ChangeJournal& journal = Journal();
  if (journal.Index != &ix) return;
  PageCache& cache = Cache();
  for (auto it = journal.Pages.rbegin(); it != journal.Pages.rend(); ++it) {
    CacheSlot& s = cache.Slots[it->Slot];
    if (it->Fresh) {
      Forget(s);
      continue;
    }
    s.Page.Count = it->Page.Count;
    s.Page.LeftChild = it->Page.LeftChild;
    for (int i = 1; i <= it->Page.Count && i <= IndexPageItems; ++i)
      s.Page.Item[i] = it->Page.Item[i];
    s.Dirty = it->Dirty;
  }
  ix.Header = journal.Header;
  ix.RecCount = journal.RecCount;
  ix.Root = journal.Root;
  journal.Index = nullptr;
  journal.Pages.clear();
  journal.Released.clear();
}

// Forgets every cached page of an index and its pending releases, writing
// nothing.
void DropIndex(TIndexFile& ix) {
  for (CacheSlot& s : Cache().Slots)
    if (s.Owner == &ix) Forget(s);
  ix.PendingFree.clear();
}

bool HasChangedPages(const TIndexFile& ix) {
  if (!ix.PendingFree.empty()) return true;
  for (const CacheSlot& s : Cache().Slots)
    if (s.Owner == &ix && s.Dirty) return true;
  return false;
}

// Writes every changed page of an index (they stay cached) and puts the root
// into the header. Returns the first write error, or 0; a page that could not
// be written stays changed, for the next flush.
std::uint16_t FlushIndex(TIndexFile& ix) {
  // The pages of the tree first, then the free marks of the pages they no
  // longer name (a header written with a mark names the new root).
  std::uint16_t failure = DBErrNone;
  for (CacheSlot& s : Cache().Slots)
    if (s.Owner == &ix && s.Dirty && !WriteSlot(s) && failure == DBErrNone) failure = DBErrorCode;
  ix.Header.RootPage = ix.Root;
  if (failure == DBErrNone && !ix.PendingFree.empty()) failure = FreePendingPages(ix);
  // Reported here, so not again by the index's next operation.
  if (failure != DBErrNone) ix.WriteError = DBErrNone;
  return failure;
}

// Keys in code-page bytes.

struct KeyRef {
  const char* Chars;
  int Length;
};

int CompareKeys(KeyRef a, KeyRef b) {
  const int n = a.Length < b.Length ? a.Length : b.Length;
  if (n > 0) {
    const int c = std::memcmp(a.Chars, b.Chars, static_cast<std::size_t>(n));
    if (c != 0) return c;
  }
  return a.Length - b.Length;
}

KeyRef KeyOf(const TIndexItem& item) { return {item.Key.data(), item.KeyLen}; }
KeyRef KeyOf(const std::string& key) { return {key.data(), static_cast<int>(key.size())}; }

// The searched item against item i: the key, then with duplicates the record
// number.
int CompareItem(const TIndexFile& ix, const std::string& key, std::int32_t rec,
                const TIndexItem& item) {
  const int c = CompareKeys(KeyOf(key), KeyOf(item));
  if (c != 0 || !ix.Duplicates) return c;
  return rec < item.RecNo ? -1 : (rec > item.RecNo ? 1 : 0);
}

struct Bisection {
  int L;
  int R;
  int K;
  bool Found() const { return L - R > 1; }
};

// Binary search of a page: R ends on the greatest item below the searched one
// (0 when none); an equal item is item K.
Bisection Bisect(const TIndexFile& ix, const TIndexPage& page, const std::string& key,
                 std::int32_t rec) {
  // Only a page being emptied inside an operation has no item; none is ever
  // searched.
  if (page.Count < 1) Damaged();
  Bisection b{1, page.Count, 0};
  do {
    b.K = (b.L + b.R) / 2;
    const int c = CompareItem(ix, key, rec, page.Item[b.K]);
    if (c <= 0) b.R = b.K - 1;
    if (c >= 0) b.L = b.K + 1;
  } while (b.R >= b.L);
  return b;
}

TIndexItem MakeItem(std::int32_t rec, const std::string& key) {
  TIndexItem item;
  item.RecNo = rec;
  item.KeyLen = static_cast<std::uint8_t>(key.size());
  std::memcpy(item.Key.data(), key.data(), key.size());
  return item;
}

// Whether bytes are all ASCII, eight at a time.
bool AsciiBytes(const char* p, std::size_t n) {
  std::uint64_t high = 0;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, p + i, 8);
    high |= word;
  }
  for (; i < n; ++i) high |= static_cast<unsigned char>(p[i]);
  return (high & 0x8080808080808080ull) == 0;
}

bool Ascii(const std::string& text) { return AsciiBytes(text.data(), text.size()); }

// A key in code-page bytes back in UTF-8 for the caller; ASCII is the same in
// both and only copied.
void KeyToUtf8(const char* cp, std::size_t n, std::string& key) {
  if (AsciiBytes(cp, n))
    key.assign(cp, n);
  else
    key = platform::Cp1250ToUtf8(std::string(cp, n));
}

void KeyToUtf8(const TIndexItem& item, std::string& key) {
  KeyToUtf8(item.Key.data(), item.KeyLen, key);
}

// The caller's UTF-8 key in code-page bytes, cut to the key length; a cut key
// is also cut in the caller's string.
std::string PrepareKey(const TIndexFile& ix, std::string& key) {
  if (Ascii(key)) {
    if (key.size() > ix.KeyLength) key.resize(ix.KeyLength);
    return key;
  }
  std::string cp = platform::Utf8ToCp1250(key);
  if (cp.size() > ix.KeyLength) {
    cp.resize(ix.KeyLength);
    key = platform::Cp1250ToUtf8(cp);
  }
  return cp;
}

// The same for the key of an operation, in a buffer kept from one operation
// to the next (one thread only; an operation runs no other inside it), so
// that a plain ASCII key costs a copy and no allocation.
const std::string& OperationKey(const TIndexFile& ix, std::string& key) {
  static std::string prepared;
  if (Ascii(key)) {
    if (key.size() > ix.KeyLength) key.resize(ix.KeyLength);
    prepared.assign(key);
  } else {
    prepared = PrepareKey(ix, key);
  }
  return prepared;
}

// A new scan starts: no step taken yet.
void ForgetSteps(TIndexFile& ix) {
  ix.Steps = 0;
  ix.StepKnown = false;
}

void EnterPath(TIndexFile& ix, std::int32_t page, std::int32_t item) {
  if (ix.PathDepth >= IndexMaxDepth) Damaged();
  ++ix.PathDepth;
  ix.Path[ix.PathDepth] = {page, item};
}

// Searching and stepping, without holds of their own.

// Positions on the item equal to (key, rec), or on the greatest item below it
// (no position when there is none). rec counts only with duplicates.
bool SearchCore(TIndexFile& ix, const std::string& key, std::int32_t rec, std::int32_t& recNo) {
  DBOk = false;
  ix.PathDepth = 0;
  ForgetSteps(ix);
  std::int32_t p = ix.Root;
  bool found = false;
  while (p != 0 && !found) {
    EnterPath(ix, p, 0);
    const TIndexPage& page = GetPage(ix, p);
    Bisection b = Bisect(ix, page, key, rec);
    if (b.Found()) {
      recNo = page.Item[b.K].RecNo;
      b.R = b.K;
      DBOk = true;
      found = true;
    }
    p = page.ChildOf(b.R);
    ix.Path[ix.PathDepth].Item = b.R;
  }
  if (!found && ix.PathDepth > 0) {
    while (ix.PathDepth > 1 && ix.Path[ix.PathDepth].Item == 0) --ix.PathDepth;
    if (ix.Path[ix.PathDepth].Item == 0) ix.PathDepth = 0;
  }
  return found;
}

// Checks a step that crossed into another page: it must also have moved past
// the item the last step returned; a page met again under another parent
// returns items out of order.
[[gnu::noinline]] void CheckCrossing(TIndexFile& ix, bool forward, const TIndexItem& item) {
  const TIndexPage& last = GetPage(ix, ix.StepPage);
  if (ix.StepIndex < 1 || ix.StepIndex > last.Count) Damaged();
  const TIndexItem& before = last.Item[ix.StepIndex];
  int c = CompareKeys(KeyOf(item), KeyOf(before));
  if (c == 0 && ix.Duplicates)
    c = item.RecNo < before.RecNo ? -1 : (item.RecNo > before.RecNo ? 1 : 0);
  if (forward ? c <= 0 : c >= 0) Damaged();
}

// Counts one more step of a scan in one direction (forward counts up,
// backward down; a turn starts again). A tree holds at most 80 items a page:
// a scan that steps past more items than that meets pages under two parents
// (a damaged file whose walk would never end in practice).
inline void CountStep(TIndexFile& ix, bool forward, std::int32_t pageNo, std::int32_t index,
                      const TIndexItem& item) {
  // Within one page the next slot follows; only a step into another page
  // is compared with the item before.
  if (ix.StepKnown && (pageNo != ix.StepPage || index != ix.StepIndex + (forward ? 1 : -1)))
    CheckCrossing(ix, forward, item);
  ix.StepPage = pageNo;
  ix.StepIndex = index;
  ix.StepKnown = true;
  if ((ix.Steps < 0) == forward) ix.Steps = 0;
  ix.Steps += forward ? 1 : -1;
  const std::int64_t most = std::int64_t{ix.RecCount > 1 ? ix.RecCount - 1 : 0} * IndexPageItems;
  if ((ix.Steps < 0 ? -ix.Steps : ix.Steps) > most) Damaged();
}

// Moves to the item after the current one (from no position: the first) and
// returns it (valid until the next page is read), or null when there is none.
// With ahead (a scan's step) the pages it descends to may be read ahead.
const TIndexItem* NextCore(TIndexFile& ix, std::int32_t& recNo, bool ahead = false) {
  if (ix.PathDepth > 0) {
    // The common step: within a leaf, to its next item.
    TIndexPathEntry& at = ix.Path[ix.PathDepth];
    const TIndexPage& page = GetPage(ix, at.Page);
    if (at.Item >= 0 && at.Item < page.Count && page.ChildOf(at.Item) == 0) {
      ++at.Item;
      const TIndexItem& item = page.Item[at.Item];
      recNo = item.RecNo;
      CountStep(ix, true, at.Page, at.Item, item);
      DBOk = true;
      ix.CurrentRec = recNo;
      return &item;
    }
  }
  if (ix.PathDepth == 0) ForgetSteps(ix);
  std::int32_t p = ix.Root;
  if (ix.PathDepth > 0) {
    const TIndexPathEntry& at = ix.Path[ix.PathDepth];
    p = GetPage(ix, at.Page).ChildOf(at.Item);
  }
  while (p != 0) {
    EnterPath(ix, p, 0);
    p = GetPage(ix, p, ahead).LeftChild;
  }
  const TIndexItem* found = nullptr;
  if (ix.PathDepth > 0) {
    while (ix.PathDepth > 1 &&
           ix.Path[ix.PathDepth].Item >= GetPage(ix, ix.Path[ix.PathDepth].Page).Count)
      --ix.PathDepth;
    TIndexPathEntry& at = ix.Path[ix.PathDepth];
    const TIndexPage& page = GetPage(ix, at.Page);
    if (at.Item < page.Count) {
      ++at.Item;
      found = &page.Item[at.Item];
      recNo = found->RecNo;
      CountStep(ix, true, at.Page, at.Item, *found);
    } else {
      ix.PathDepth = 0;
    }
  }
  DBOk = ix.PathDepth > 0;
  ix.CurrentRec = recNo;
  return DBOk ? found : nullptr;
}

// Moves to the item before the current one (from no position: the last) and
// returns it (valid until the next page is read), or null when there is none.
const TIndexItem* PrevCore(TIndexFile& ix, std::int32_t& recNo, bool ahead = false) {
  if (ix.PathDepth == 0) ForgetSteps(ix);
  std::int32_t p = ix.Root;
  if (ix.PathDepth > 0) {
    TIndexPathEntry& at = ix.Path[ix.PathDepth];
    if (at.Item > 0) --at.Item;
    p = GetPage(ix, at.Page).ChildOf(at.Item);
  }
  while (p != 0) {
    const TIndexPage& page = GetPage(ix, p, ahead);
    const std::int32_t m = page.Count;
    const std::int32_t next = page.ChildOf(m);
    EnterPath(ix, p, m);
    p = next;
  }
  const TIndexItem* found = nullptr;
  if (ix.PathDepth > 0) {
    while (ix.PathDepth > 1 && ix.Path[ix.PathDepth].Item == 0) --ix.PathDepth;
    const TIndexPathEntry& at = ix.Path[ix.PathDepth];
    if (at.Item > 0) {
      found = &GetPage(ix, at.Page).Item[at.Item];
      recNo = found->RecNo;
      CountStep(ix, false, at.Page, at.Item, *found);
    } else {
      ix.PathDepth = 0;
    }
  }
  DBOk = ix.PathDepth > 0;
  ix.CurrentRec = recNo;
  return DBOk ? found : nullptr;
}

// Finds the caller's position again after another workstation changed the
// index: on the caller's item when it is still there; otherwise between its
// neighbours, so that the step that follows returns the first item after it
// (Forward) or the last item before it.
void Reposition(TIndexFile& ix, const std::string& key, bool Forward) {
  std::int32_t rec = 0;
  if (SearchCore(ix, key, ix.CurrentRec, rec)) {
    ix.CurrentRec = rec;
    return;
  }
  if (!Forward) {
    // From the greatest item below to the first one above it, so that the
    // backward step returns the item below.
    const std::int32_t current = ix.CurrentRec;
    NextCore(ix, rec);
    ix.CurrentRec = current;
  }
}

// Transaction holds of an index.

enum class Step { None, Forward, Backward };

// Opens a hold. The outermost hold of a shared index re-reads the header and
// the root; when another workstation wrote the index meanwhile, the cached
// pages are dropped and the position is marked lost.
// False when the header could not be re-read (error 100): nothing may run.
bool OpenIndexHold(TIndexFile& ix, bool exclusive) {
  if (!ix.Shared) return true;
  const bool outermost = ix.LockDepth == 0;
  if (outermost) ++ix.HoldCount;
  const std::uint16_t seen = ix.Header.ChangeCount;
  const std::int32_t known = ix.RecCount;
  if (!DBOpenHold(ix, exclusive, DBHoldKind::IndexFile)) return false;
  if (!outermost) return true;
  ix.Root = ix.Header.RootPage;
  // Pages an earlier hold appended but could not write are still ours to
  // write when nobody else has written since: the file is shorter than them.
  if (ix.Header.ChangeCount == seen && known > ix.RecCount && HasChangedPages(ix))
    ix.RecCount = known;
  if (ix.Header.ChangeCount != seen) {
    DropIndex(ix);
    if (ix.PathDepth > 0) ix.PositionLost = true;
    ix.PathDepth = 0;
  }
  return true;
}

// Closes a hold; the outermost writer hold first writes the changed pages and
// the root. The operation's error word outlives a successful close.
void CloseIndexHold(TIndexFile& ix, bool exclusive) {
  if (!ix.Shared) {
    ix.LockDepth = 0;
    return;
  }
  if (ix.LockDepth == 0) return;
  const std::uint16_t before = DBErrorCode;
  std::uint16_t failure = DBErrNone;
  if (ix.LockDepth == 1 && exclusive && !ix.HoldStale) failure = FlushIndex(ix);
  DBErrorCode = DBErrNone;
  DBCloseHold(ix, exclusive, DBHoldKind::IndexFile);
  // The operation's own error first, then a page that could not be written,
  // then a failure of the close itself.
  if (before != DBErrNone)
    DBErrorCode = before;
  else if (failure != DBErrNone)
    DBErrorCode = failure;
}

// Reports a write failure remembered on the index (a page of it that could
// not be written back, whoever's operation evicted it) when the operation
// has no error of its own.
void ReportWriteError(TIndexFile& ix) {
  if (ix.WriteError == DBErrNone || DBErrorCode != DBErrNone) return;
  DBErrorCode = ix.WriteError;
  ix.WriteError = DBErrNone;
}

// Runs one operation inside its own hold, closed on every path (key: the
// caller's UTF-8 key of a step, where it starts from when the position was
// lost). A page fault ends the operation with DBOk false and no position; the
// error word tells why.
// A writer operation (AddKey, DeleteKey) that fails part way is undone in
// the cache, so nothing of it is ever written.
template <typename Body>
void RunInHold(TIndexFile& ix, bool exclusive, Step step, const std::string* key, Body body) {
  if (!OpenIndexHold(ix, exclusive)) {
    DBOk = false;
    CloseIndexHold(ix, exclusive);
    return;
  }
  if (step == Step::None) ix.PositionLost = false;
  try {
    if (exclusive) BeginChange(ix);
    try {
      if (step != Step::None && ix.PositionLost) {
        ix.PositionLost = false;
        // The caller's key in code-page bytes (cut on a copy).
        std::string current = *key;
        Reposition(ix, PrepareKey(ix, current), step == Step::Forward);
      }
      body();
      if (exclusive) CommitChange(ix);
    } catch (const PageFault&) {
      if (exclusive) UndoChange(ix);
      DBOk = false;
      ix.PathDepth = 0;
    }
  } catch (...) {
    if (exclusive) UndoChange(ix);
    CloseIndexHold(ix, exclusive);
    throw;
  }
  CloseIndexHold(ix, exclusive);
  ReportWriteError(ix);
}

// An operation asked of a descriptor that is not open, or a change asked of a
// read-only index: refused with the error word, nothing done.
bool Refused(const TIndexFile& ix, bool change) {
  if (!ix.IsOpen) {
    DBErrorCode = DBErrOpen;
  } else if (change && ix.ReadOnly) {
    DBErrorCode = DBErrReadOnly;
  } else {
    return false;
  }
  DBOk = false;
  return true;
}

// Insertion.

// Inserts (key, rec) below page p; true when an item is passed up in `up`.
bool InsertInto(TIndexFile& ix, std::int32_t p, const std::string& key, std::int32_t rec,
                TIndexItem& up, int depth) {
  if (p == 0) {
    up = MakeItem(rec, key);
    return true;
  }
  if (depth > IndexMaxDepth) Damaged();
  int R = 0;
  std::int32_t child = 0;
  {
    const TIndexPage& page = GetPage(ix, p);
    const Bisection b = Bisect(ix, page, key, rec);
    if (b.Found()) {
      DBOk = false;
      return false;
    }
    R = b.R;
    child = page.ChildOf(R);
  }
  TIndexItem u;
  if (!InsertInto(ix, child, key, rec, u, depth + 1)) return false;

  // An item put into a page with room is the last change of the operation:
  // nothing can fail after it, so it needs no undo record.
  CacheSlot& as = GetSlot(ix, p);
  if (as.Page.Count < IndexPageItems) {
    TIndexPage& a = as.Page;
    for (int i = a.Count; i > R; --i) a.Item[i + 1] = a.Item[i];
    a.Item[R + 1] = u;
    ++a.Count;
    as.Dirty = true;
    return false;
  }
  // Split: both pages keep 40 items and the median goes up.
  CacheSlot& bs = NewPage(ix);
  CacheSlot& as2 = ChangeSlot(ix, p);
  TIndexPage& a = as2.Page;
  TIndexPage& b = bs.Page;
  TIndexItem median;
  if (R <= IndexMinItems) {
    if (R == IndexMinItems) {
      median = u;
    } else {
      median = a.Item[IndexMinItems];
      for (int i = IndexMinItems - 1; i > R; --i) a.Item[i + 1] = a.Item[i];
      a.Item[R + 1] = u;
    }
    for (int i = 1; i <= IndexMinItems; ++i) b.Item[i] = a.Item[i + IndexMinItems];
  } else {
    const int r = R - IndexMinItems;
    median = a.Item[IndexMinItems + 1];
    for (int i = 1; i <= r - 1; ++i) b.Item[i] = a.Item[i + IndexMinItems + 1];
    b.Item[r] = u;
    for (int i = r + 1; i <= IndexMinItems; ++i) b.Item[i] = a.Item[i + IndexMinItems];
  }
  a.Count = IndexMinItems;
  b.Count = IndexMinItems;
  b.LeftChild = median.Child;
  median.Child = bs.PageNo;
  up = median;
  as2.Dirty = true;
  bs.Dirty = true;
  return true;
}

// Deletion.

// Repairs page a (one item short) below page c, s being the index in c of the
// item whose right child a is (0: the left child). True when c now underflows.
bool Underflow(TIndexFile& ix, std::int32_t c, std::int32_t a, int s) {
  CacheSlot* cs = &ChangeSlot(ix, c);
  const int mc = cs->Page.Count;
  if (s < 0 || s > mc) Damaged();
  if (s < mc) {
    // The right sibling lends items, or is merged into a.
    ++s;
    const std::int32_t b = cs->Page.Item[s].Child;
    if (b == a || b == c || a == c) Damaged();
    CacheSlot& bs = ChangeSlot(ix, b);
    CacheSlot& as = ChangeSlot(ix, a);
    cs = &ChangeSlot(ix, c);
    TIndexPage& A = as.Page;
    TIndexPage& B = bs.Page;
    TIndexPage& C = cs->Page;
    const int ma = A.Count;
    int mb = B.Count;
    const int k = (mb - ma) / 2;
    if (ma + 1 > IndexPageItems || (k <= 0 && ma + 1 + mb > IndexPageItems)) Damaged();
    A.Item[ma + 1] = C.Item[s];
    A.Item[ma + 1].Child = B.LeftChild;
    cs->Dirty = true;
    as.Dirty = true;
    if (k > 0) {
      for (int i = 1; i <= k - 1; ++i) A.Item[ma + 1 + i] = B.Item[i];
      C.Item[s] = B.Item[k];
      C.Item[s].Child = b;
      B.LeftChild = B.Item[k].Child;
      mb -= k;
      for (int i = 1; i <= mb; ++i) B.Item[i] = B.Item[i + k];
      B.Count = mb;
      A.Count = ma + k;
      bs.Dirty = true;
      return false;
    }
    for (int i = 1; i <= mb; ++i) A.Item[ma + 1 + i] = B.Item[i];
    for (int i = s; i <= mc - 1; ++i) C.Item[i] = C.Item[i + 1];
    A.Count = ma + 1 + mb;
    C.Count = mc - 1;
    const bool h = C.Count < IndexMinItems;
    ReleasePage(ix, b);
    return h;
  }
  // Only a left sibling: it lends items, or a is merged into it.
  if (s < 1) Damaged();
  const std::int32_t b = s == 1 ? cs->Page.LeftChild : cs->Page.Item[s - 1].Child;
  if (b == a || b == c || a == c) Damaged();
  CacheSlot& bs = ChangeSlot(ix, b);
  CacheSlot& as = ChangeSlot(ix, a);
  cs = &ChangeSlot(ix, c);
  TIndexPage& A = as.Page;
  TIndexPage& B = bs.Page;
  TIndexPage& C = cs->Page;
  const int ma = A.Count;
  int mb = B.Count + 1;
  const int k = (mb - ma - 1) / 2;
  if (k <= 0 && mb + ma > IndexPageItems) Damaged();
  cs->Dirty = true;
  bs.Dirty = true;
  if (k > 0) {
    for (int i = ma; i >= 1; --i) A.Item[i + k] = A.Item[i];
    A.Item[k] = C.Item[s];
    A.Item[k].Child = A.LeftChild;
    mb -= k;
    for (int i = k - 1; i >= 1; --i) A.Item[i] = B.Item[i + mb];
    A.LeftChild = B.Item[mb].Child;
    C.Item[s] = B.Item[mb];
    C.Item[s].Child = a;
    B.Count = mb - 1;
    A.Count = ma + k;
    as.Dirty = true;
    return false;
  }
  B.Item[mb] = C.Item[s];
  B.Item[mb].Child = A.LeftChild;
  for (int i = 1; i <= ma; ++i) B.Item[i + mb] = A.Item[i];
  B.Count = mb + ma;
  C.Count = mc - 1;
  const bool h = C.Count < IndexMinItems;
  ReleasePage(ix, a);
  return h;
}

// Replaces item k of page a by its predecessor, the last item of the rightmost
// leaf below page p. True when a page below a underflows.
bool ReplaceByPredecessor(TIndexFile& ix, std::int32_t a, int k, std::int32_t p, int depth) {
  if (depth > IndexMaxDepth) Damaged();
  int m = 0;
  std::int32_t q = 0;
  {
    const TIndexPage& page = GetPage(ix, p);
    m = page.Count;
    if (m < 1) Damaged();
    q = page.Item[m].Child;
  }
  if (q != 0) {
    bool h = ReplaceByPredecessor(ix, a, k, q, depth + 1);
    if (h) h = Underflow(ix, p, q, m);
    return h;
  }
  if (p == a) Damaged();
  CacheSlot& as = ChangeSlot(ix, a);
  CacheSlot& ps = ChangeSlot(ix, p);
  TIndexPage& P = ps.Page;
  P.Item[m].Child = as.Page.Item[k].Child;
  as.Page.Item[k] = P.Item[m];
  P.Count = m - 1;
  ps.Dirty = true;
  as.Dirty = true;
  return P.Count < IndexMinItems;
}

// Deletes (key, rec) below page a; rec receives the removed item's record
// number. True when page a underflows.
bool DeleteFrom(TIndexFile& ix, std::int32_t a, const std::string& key, std::int32_t& rec,
                int depth) {
  if (a == 0) {
    DBOk = false;
    return false;
  }
  if (depth > IndexMaxDepth) Damaged();
  Bisection b{};
  std::int32_t q = 0;
  {
    const TIndexPage& page = GetPage(ix, a);
    b = Bisect(ix, page, key, rec);
    q = page.ChildOf(b.R);
    if (b.Found()) rec = page.Item[b.K].RecNo;
  }
  if (b.Found()) {
    if (q == 0) {
      // A removal that leaves the leaf full enough is the last change of
      // the operation and needs no undo record; one that underflows is
      // followed by reads of siblings, which may fail.
      CacheSlot& leaf = GetSlot(ix, a);
      CacheSlot& as = leaf.Page.Count - 1 < IndexMinItems ? ChangeSlot(ix, a) : leaf;
      TIndexPage& page = as.Page;
      for (int i = b.K; i < page.Count; ++i) page.Item[i] = page.Item[i + 1];
      --page.Count;
      as.Dirty = true;
      return page.Count < IndexMinItems;
    }
    bool h = ReplaceByPredecessor(ix, a, b.K, q, depth + 1);
    if (h) h = Underflow(ix, a, q, b.R);
    return h;
  }
  bool h = DeleteFrom(ix, q, key, rec, depth + 1);
  if (h) h = Underflow(ix, a, q, b.R);
  return h;
}

// Invariant walk.

struct TreeWalk {
  TIndexFile& ix;
  std::set<std::int32_t> pages;
  int leafDepth = 0;
  std::string problem;
  std::int32_t* leaked = nullptr;  // counts unlinked pages instead of failing

  std::string PageText(std::int32_t p) { return "strona " + std::to_string(p) + ": "; }

  bool Fail(std::int32_t p, const std::string& why) {
    if (problem.empty()) problem = PageText(p) + why;
    return false;
  }

  // Items of the subtree must lie strictly between lo and hi (when given).
  bool Walk(std::int32_t p, int depth, const TIndexItem* lo, const TIndexItem* hi) {
    if (depth > IndexMaxDepth) return Fail(p, "drzewo głębsze niż 6 poziomów");
    if (!pages.insert(p).second) return Fail(p, "strona występuje w drzewie dwa razy");
    const TIndexPage page = GetPage(ix, p);
    const int minItems = depth == 1 ? 1 : IndexMinItems;
    if (page.Count < minItems || page.Count > IndexPageItems)
      return Fail(p, "liczba pozycji " + std::to_string(page.Count) + " poza zakresem");
    const bool leaf = page.LeftChild == 0;
    for (int i = 1; i <= page.Count; ++i) {
      const TIndexItem& item = page.Item[i];
      if (item.KeyLen > ix.KeyLength) return Fail(p, "klucz dłuższy niż długość klucza");
      if ((item.Child == 0) != leaf) return Fail(p, "liść z potomkiem lub strona bez potomka");
      const TIndexItem* before = i == 1 ? lo : &page.Item[i - 1];
      if (before != nullptr && Order(*before, item) >= 0)
        return Fail(p, "pozycja " + std::to_string(i) + " nie po poprzedniej");
      if (hi != nullptr && Order(item, *hi) >= 0)
        return Fail(p, "pozycja " + std::to_string(i) + " nie przed ograniczeniem z góry");
    }
    if (leaf) {
      if (leafDepth == 0) leafDepth = depth;
      if (leafDepth != depth) return Fail(p, "liście na różnych głębokościach");
      return true;
    }
    for (int i = 0; i <= page.Count; ++i) {
      const TIndexItem* left = i == 0 ? lo : &page.Item[i];
      const TIndexItem* right = i == page.Count ? hi : &page.Item[i + 1];
      if (!Walk(page.ChildOf(i), depth + 1, left, right)) return false;
    }
    return true;
  }

  int Order(const TIndexItem& x, const TIndexItem& y) const {
    const int c = CompareKeys(KeyOf(x), KeyOf(y));
    if (c != 0 || !ix.Duplicates) return c;
    return x.RecNo < y.RecNo ? -1 : (x.RecNo > y.RecNo ? 1 : 0);
  }

  // The free list: pages marked deleted, inside the file, outside the tree,
  // FreeCount of them; together with the tree they make up the whole file.
  bool WalkFreeList() {
    std::vector<std::uint8_t> buffer(ix.RecSize);
    std::set<std::int32_t> free;
    for (std::int32_t n = ix.Header.FirstFree; n != -1;) {
      if (n < 1 || n >= ix.RecCount) return Fail(n, "wolna strona poza plikiem");
      if (pages.count(n) != 0) return Fail(n, "wolna strona jest w drzewie");
      if (!free.insert(n).second) return Fail(n, "lista wolnych stron zapętlona");
      if (!DBReadRecord(ix, n, buffer.data())) return Fail(n, "wolna strona nieczytelna");
      if (buffer[0] != DBRecDeleted) return Fail(n, "wolna strona bez znacznika");
      n = GetI32(buffer.data() + 1);
    }
    // FreeCount equals the list's length until a damaged list is dropped:
    // the header keeps its count, and the dropped pages stay counted there,
    // leaked (neither in the tree nor on the list). A count outside
    // 0 .. pages - 1 is damage, sound only with an empty (dropped) list.
    const std::int64_t listed = static_cast<std::int64_t>(free.size());
    const std::int64_t count = ix.Header.FreeCount;
    const bool countDamaged = count < 0 || count > std::int64_t{ix.RecCount} - 1;
    if (countDamaged ? listed != 0 : listed > count)
      return Fail(ix.Header.FirstFree, "liczba wolnych stron niezgodna z nagłówkiem");
    const std::int64_t dropped = countDamaged ? 0 : count - listed;
    const std::int64_t unlinked =
        ix.RecCount - 1 - static_cast<std::int64_t>(free.size() + pages.size());
    if (unlinked < 0 || (unlinked > dropped && leaked == nullptr))
      return Fail(0, "strony ani w drzewie, ani na liście wolnych");
    if (leaked != nullptr) *leaked = static_cast<std::int32_t>(unlinked);
    return true;
  }
};

}  // namespace

bool PageFromFile(const std::uint8_t* Buffer, int KeyLength, TIndexPage& Page) {
  const int m = Buffer[0];
  if (m < 1 || m > IndexPageItems) return false;
  Page.Count = m;
  Page.LeftChild = GetI32(Buffer + 1);
  for (int i = 1; i <= m; ++i) {
    const std::uint8_t* slot = Buffer + 5 + (i - 1) * (KeyLength + 9);
    TIndexItem& item = Page.Item[i];
    const int length = slot[8];
    if (length > KeyLength) return false;
    item.RecNo = GetI32(slot);
    item.Child = GetI32(slot + 4);
    item.KeyLen = static_cast<std::uint8_t>(length);
    std::memcpy(item.Key.data(), slot + 9, static_cast<std::size_t>(length));
  }
  return true;
}

void PageToFile(const TIndexPage& Page, int KeyLength, std::uint8_t* Buffer) {
  std::memset(Buffer, 0, IndexPageSize(KeyLength));
  Buffer[0] = static_cast<std::uint8_t>(Page.Count);
  PutI32(Buffer + 1, Page.LeftChild);
  for (int i = 1; i <= Page.Count; ++i) {
    std::uint8_t* slot = Buffer + 5 + (i - 1) * (KeyLength + 9);
    const TIndexItem& item = Page.Item[i];
    PutI32(slot, item.RecNo);
    PutI32(slot + 4, item.Child);
    slot[8] = item.KeyLen;
    std::memcpy(slot + 9, item.Key.data(), item.KeyLen);
  }
}

TIndexFile::~TIndexFile() { DropIndex(*this); }

namespace {

// Resets an index descriptor for a create or open.
void ResetIndex(TIndexFile& ix) {
  DropIndex(ix);
  static_cast<TDataFile&>(ix) = TDataFile{};
  ix.Duplicates = false;
  ix.KeyLength = 0;
  ix.Root = 0;
  ix.PathDepth = 0;
  ix.Path = {};
  ix.CurrentRec = 0;
  ix.PositionLost = false;
  ix.WriteError = DBErrNone;
  ix.Steps = 0;
  ix.StepKnown = false;
}

// Starts a create or open: a reset descriptor with the parent, the name and
// the page size of the key length. False when the key length is out of range
// (the page size is then that of the longest key).
bool PrepareIndex(TIndexFile& ix, TDataFile* parent, const std::string& fileName, int keyLength) {
  DBErrorCode = DBErrNone;
  ResetIndex(ix);
  const bool lengthOk = keyLength >= 0 && keyLength <= IndexMaxKeyLength;
  const std::uint16_t size = IndexPageSize(lengthOk ? keyLength : IndexMaxKeyLength);
  if (parent != nullptr && parent->Parent != nullptr) throw EParentError();
  ix.Parent = parent;
  ix.RecSize = size;
  ix.RegionLength = size - DBHeaderSize;
  ix.FileName = fileName;
  return lengthOk;
}

enum class HandleOutcome { NotOpen, BadKeyLength, Usable };

// Sets the error word and DBOk after the handle of a create or open was
// opened: DBErrOpen when it did not open; DBErrKeyLength, with the handle
// closed again, when the key length is out of range.
HandleOutcome CheckHandle(TIndexFile& ix, bool lengthOk) {
  if (!ix.Handle.IsOpen()) {
    DBErrorCode = DBErrOpen;
    DBOk = false;
    return HandleOutcome::NotOpen;
  }
  DBOk = true;
  if (!lengthOk) {
    DBErrorCode = DBErrKeyLength;
    ix.Handle.Close();
    return HandleOutcome::BadKeyLength;
  }
  return HandleOutcome::Usable;
}

}  // namespace

void MakeIndex(TIndexFile& Index, TDataFile* Parent, const std::string& FileName,
               int KeyLength, bool Duplicates, bool Shared) {
  const bool lengthOk = PrepareIndex(Index, Parent, FileName, KeyLength);
  // A bad key length is refused before the file is touched: an existing file
  // of that name stays as it was.
  if (!lengthOk) {
    DBErrorCode = DBErrKeyLength;
    DBOk = false;
    return;
  }
  Index.Handle = DBCreateFile(FileName);
  const HandleOutcome outcome = CheckHandle(Index, lengthOk);
  if (outcome == HandleOutcome::NotOpen) return;
  if (outcome == HandleOutcome::Usable) DBWriteNewHeaderRecord(Index);
  Index.Duplicates = Duplicates;
  Index.KeyLength = static_cast<std::uint8_t>(lengthOk ? KeyLength : 0);
  Index.Shared = Shared;
  Index.IsOpen = DBErrorCode == DBErrNone;
  DBOk = Index.IsOpen;
}

void OpenIndex(TIndexFile& Index, TDataFile* Parent, const std::string& FileName,
               int KeyLength, bool Duplicates, bool Shared) {
  const bool lengthOk = PrepareIndex(Index, Parent, FileName, KeyLength);
  const std::uint16_t size = Index.RecSize;
  Index.Shared = Shared;
  Index.Handle = FileOpener().FileOpen(FileName, fmOpenReadWrite | fmShareDenyNone);
  if (!Index.Handle.IsOpen() && Shared) {
    Index.Handle = FileOpener().FileOpen(FileName, fmOpenRead | fmShareDenyNone);
    Index.ReadOnly = Index.Handle.IsOpen();
  }
  if (CheckHandle(Index, lengthOk) != HandleOutcome::Usable) return;
  DBOpenHold(Index, false, DBHoldKind::IndexFile);
  if (DBReadHeader(Index)) {
    if (Index.Header.RecSize != size) {
      DBErrorCode = DBErrPageSizeDiffers;
    } else {
      Index.Duplicates = Duplicates;
      Index.KeyLength = static_cast<std::uint8_t>(KeyLength);
      Index.Root = Index.Header.RootPage;
      Index.PathDepth = 0;
    }
  }
  const std::uint16_t outcome = DBErrorCode;
  DBCloseHold(Index, false, DBHoldKind::IndexFile);
  DBErrorCode = outcome;
  if (outcome != DBErrNone) Index.Handle.Close();
  Index.IsOpen = outcome == DBErrNone;
}

void CloseIndex(TIndexFile& Index) {
  std::uint16_t failure = DBErrNone;
  if (Index.IsOpen && !Index.Shared) {
    failure = FlushIndex(Index);
  } else if (Index.IsOpen && HasChangedPages(Index) && Index.LockDepth == 0) {
    // Pages a writer hold could not write are tried once more, in a writer
    // hold of their own (dropped unwritten when another workstation has
    // written the index since).
    DBErrorCode = DBErrNone;
    failure = OpenIndexHold(Index, true) ? FlushIndex(Index) : DBErrorCode;
    DBErrorCode = failure;
    CloseIndexHold(Index, true);
    failure = DBErrorCode;
  }
  const std::uint16_t remembered = Index.WriteError;
  DropIndex(Index);
  CloseFile(Index);
  Index.PathDepth = 0;
  Index.WriteError = DBErrNone;
  // A page that could not be written, now or when it was evicted before, is
  // reported, not hidden by the close.
  if (failure == DBErrNone) failure = DBErrorCode;
  if (failure == DBErrNone) failure = remembered;
  DBErrorCode = failure;
}

void EraseIndex(TIndexFile& Index) {
  DropIndex(Index);
  EraseFile(Index);
  Index.PathDepth = 0;
}

void AddKey(TIndexFile& Index, std::int32_t RecNo, std::string& Key) {
  DBErrorCode = DBErrNone;
  if (Refused(Index, true)) return;
  const std::string& key = OperationKey(Index, Key);
  RunInHold(Index, true, Step::None, nullptr, [&] {
    DBOk = true;
    TIndexItem up;
    if (InsertInto(Index, Index.Root, key, RecNo, up, 1)) {
      CacheSlot& root = NewPage(Index);
      root.Page.Count = 1;
      root.Page.LeftChild = Index.Root;
      root.Page.Item[1] = up;
      Index.Root = root.PageNo;
    }
  });
  Index.PathDepth = 0;
  Index.PositionLost = false;
  Index.CurrentRec = RecNo;
}

void DeleteKey(TIndexFile& Index, std::int32_t& RecNo, std::string& Key) {
  DBErrorCode = DBErrNone;
  if (Refused(Index, true)) return;
  const std::string& key = OperationKey(Index, Key);
  RunInHold(Index, true, Step::None, nullptr, [&] {
    DBOk = true;
    std::int32_t rec = RecNo;
    const bool h = DeleteFrom(Index, Index.Root, key, rec, 1);
    if (DBOk) RecNo = rec;
    if (h && Index.Root != 0 && GetPage(Index, Index.Root).Count == 0) {
      const std::int32_t old = Index.Root;
      Index.Root = GetPage(Index, old).LeftChild;
      ReleasePage(Index, old);
    }
  });
  Index.PathDepth = 0;
  Index.PositionLost = false;
}

void FindKey(TIndexFile& Index, std::int32_t& RecNo, std::string& Key) {
  DBErrorCode = DBErrNone;
  if (Refused(Index, false)) return;
  const std::string& key = OperationKey(Index, Key);
  RunInHold(Index, false, Step::None, nullptr, [&] {
    if (!SearchCore(Index, key, 0, RecNo) && Index.Duplicates) {
      if (const TIndexItem* found = NextCore(Index, RecNo)) {
        DBOk = CompareKeys(KeyOf(*found), KeyOf(key)) == 0;
        KeyToUtf8(*found, Key);
      }
    }
    Index.CurrentRec = RecNo;
  });
}

void SearchKey(TIndexFile& Index, std::int32_t& RecNo, std::string& Key) {
  DBErrorCode = DBErrNone;
  if (Refused(Index, false)) return;
  const std::string& key = OperationKey(Index, Key);
  RunInHold(Index, false, Step::None, nullptr, [&] {
    if (!SearchCore(Index, key, 0, RecNo)) {
      if (const TIndexItem* found = NextCore(Index, RecNo)) KeyToUtf8(*found, Key);
    }
    Index.CurrentRec = RecNo;
  });
}

namespace {

// One step of NextKey or PrevKey; Key is the caller's current key, where the
// step starts from when the position was lost.
void StepKey(TIndexFile& Index, std::int32_t& RecNo, std::string& Key, Step step) {
  DBErrorCode = DBErrNone;
  if (Refused(Index, false)) return;
  RunInHold(Index, false, step, &Key, [&] {
    const TIndexItem* found =
        step == Step::Forward ? NextCore(Index, RecNo, true) : PrevCore(Index, RecNo, true);
    if (found != nullptr) KeyToUtf8(*found, Key);
  });
}

}  // namespace

void NextKey(TIndexFile& Index, std::int32_t& RecNo, std::string& Key) {
  StepKey(Index, RecNo, Key, Step::Forward);
}

void PrevKey(TIndexFile& Index, std::int32_t& RecNo, std::string& Key) {
  StepKey(Index, RecNo, Key, Step::Backward);
}

void LockIndexFile(TIndexFile& Index, bool Lock, bool Exclusive) {
  if (Lock)
    OpenIndexHold(Index, Exclusive);
  else
    CloseIndexHold(Index, Exclusive);
}

bool SetIndexCachePages(int Pages) {
  PageCache& cache = Cache();
  if (Pages < 8 || !cache.Where.Empty()) return false;
  cache.Reset(Pages);
  return true;
}

std::string CheckInvariants(TIndexFile& Index, std::int32_t* LeakedPages) {
  if (!Index.IsOpen) return "indeks nie jest otwarty";
  const std::uint16_t error = DBErrorCode;
  const bool ok = DBOk;
  if (LeakedPages != nullptr) *LeakedPages = 0;
  TreeWalk walk{Index, {}, 0, {}, LeakedPages};
  OpenIndexHold(Index, false);
  try {
    if (Index.Root == 0 || walk.Walk(Index.Root, 1, nullptr, nullptr)) walk.WalkFreeList();
  } catch (const PageFault&) {
    walk.problem = "strona nieczytelna, błąd " + std::to_string(DBErrorCode);
  }
  CloseIndexHold(Index, false);
  DBErrorCode = error;
  DBOk = ok;
  return walk.problem;
}
