// B-tree index files: an index of the input opened beside a fresh data file
// as the program opens its indexes (single-user or shared, keys unique or
// duplicated, with the data file as lock anchor or without), walked forwards
// and backwards, searched for every key found, then changed by the engine
// (keys added and deleted in a writer transaction) and reopened. An index
// whose invariants held when it was opened must hold them after the changes
// and after reopening, and must hold exactly the keys it was given.
//
// Input: one choice byte (bit 0 shared, bit 1 duplicates, bit 2 lock anchor,
// bits 3-7 the key length when the header's page size names none), then the
// index file.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "foundation/storage/btree.h"
#include "foundation/storage/bytes.h"
#include "foundation/storage/recordfile.h"
#include "fuzz_common.h"
#include "store_common.h"

namespace {

// Steps of a walk; an index of a fuzz input holds far fewer items.
constexpr std::int32_t kMaxSteps = 50000;
constexpr std::size_t kKeptItems = 64;

struct Walk {
  std::int32_t Items = 0;
  bool Complete = false;  // ended at the last item, not at the step limit
  std::vector<std::pair<std::string, std::int32_t>> First;
};

Walk WalkForward(TIndexFile& ix) {
  Walk w;
  ix.PathDepth = 0;  // no current position: NextKey starts at the first item
  std::string key;
  std::int32_t rec = 0;
  for (std::int32_t step = 0; step < kMaxSteps; ++step) {
    NextKey(ix, rec, key);
    if (!DBOk) {
      w.Complete = true;
      break;
    }
    ++w.Items;
    if (w.First.size() < kKeptItems) w.First.emplace_back(key, rec);
  }
  return w;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Choices c(data, size);
  const std::uint8_t flags = c.Byte();
  const bool shared = (flags & 1) != 0;
  const bool duplicates = (flags & 2) != 0;
  const bool withAnchor = (flags & 4) != 0;
  const std::string path = fuzz::PutFile("data.idx", c.Rest(), c.RestSize());
  // The program knows its key length; taking it from the header's page size
  // lets the fuzzer past the size check.
  int keyLength = (flags >> 3) > IndexMaxKeyLength ? IndexMaxKeyLength : (flags >> 3);
  if (c.RestSize() >= 14) {
    const int pageSize = GetU16(c.Rest() + 12);
    const int k = (pageSize - 5) / IndexPageItems - 9;
    if (k >= 0 && k <= IndexMaxKeyLength && IndexPageSize(k) == pageSize) keyLength = k;
  }

  fuzz::ResetEngine(shared);
  TDataFile dataFile;
  TDataFile* parent = nullptr;
  if (withAnchor) {
    MakeFile(dataFile, nullptr, fuzz::PathOf("data.dat"), 20, shared, false);
    if (dataFile.IsOpen) parent = &dataFile;
  }
  {
    TIndexFile ix;
    OpenIndex(ix, parent, path, keyLength, duplicates, shared);
    if (!ix.IsOpen) {
      CloseFile(dataFile);
      fuzz::ResetEngine(false);
      return 0;
    }
    const std::string before = CheckInvariants(ix);
    const bool clean = before.empty();

    fuzz::ResetEngine(shared);
    const Walk walk = WalkForward(ix);
    std::string key;
    std::int32_t rec = 0;
    ix.PathDepth = 0;
    for (int step = 0; step < 100; ++step) {
      PrevKey(ix, rec, key);
      if (!DBOk) break;
    }
    for (const auto& [k, r] : walk.First) {
      std::string probe = k;
      std::int32_t found = 0;
      FindKey(ix, found, probe);
      if (clean) fuzz::Check(DBOk, fuzz::Describe("FindKey of a key the walk met"));
      probe = k;
      SearchKey(ix, found, probe);
    }
    if (clean) fuzz::Check(walk.Complete, "walk of a clean index did not end");

    // The engine's own changes, in one writer transaction.
    fuzz::ResetEngine(shared);
    LockIndexFile(ix, true, true);
    if (clean) fuzz::Check(DBOk, fuzz::Describe("writer hold on a clean index"));
    std::int32_t added = 0, deleted = 0;
    for (int i = 0; i < 3; ++i) {
      std::string k = "FZ" + std::to_string(i) + std::string(i * 5, 'x');
      AddKey(ix, 1000 + i, k);
      if (DBOk) ++added;
      else if (clean) fuzz::Check(DBErrorCode == 0, fuzz::Describe("AddKey on a clean index"));
    }
    for (std::size_t i = 0; i < walk.First.size() && i < 4; i += 2) {
      std::string k = walk.First[i].first;
      std::int32_t r = walk.First[i].second;
      DeleteKey(ix, r, k);
      if (DBOk) ++deleted;
      else if (clean) fuzz::Fail(fuzz::Describe("DeleteKey of a key the walk met"));
    }
    LockIndexFile(ix, false, true);
    if (clean) {
      fuzz::Check(DBOk, fuzz::Describe("closing the writer hold on a clean index"));
      const std::string after = CheckInvariants(ix);
      fuzz::Check(after.empty(), "invariants broken by the engine's changes: " + after);
    }
    fuzz::ResetEngine(shared);
    CloseIndex(ix);
    if (clean) fuzz::Check(DBOk, fuzz::Describe("CloseIndex of a clean index"));

    fuzz::ResetEngine(shared);
    TIndexFile again;
    OpenIndex(again, parent, path, keyLength, duplicates, shared);
    if (clean) {
      fuzz::Check(again.IsOpen, fuzz::Describe("reopening an index the engine wrote"));
      const std::string reopened = CheckInvariants(again);
      fuzz::Check(reopened.empty(), "invariants broken after reopening: " + reopened);
      const Walk after = WalkForward(again);
      fuzz::Check(after.Complete && after.Items == walk.Items + added - deleted,
                  "the reopened index holds " + std::to_string(after.Items) + " items, not " +
                      std::to_string(walk.Items + added - deleted));
    }
    CloseIndex(again);
  }
  CloseFile(dataFile);
  fuzz::ResetEngine(false);
  return 0;
}
