// Record files: a file of the input opened as the program opens its data
// files (single-user or shared, append-only or not, with or without a lock
// anchor), every record read singly and in blocks, then a few changes made
// by the engine itself and the file reopened. A file whose invariants held
// when it was opened must hold them after the changes and after reopening,
// and must give back what was written.
//
// Input: one choice byte (bit 0 shared, bit 1 append-only, bit 2 lock
// anchor, bit 3 exclusive open, bits 4-7 a record to delete), then the file.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/storage/bytes.h"
#include "foundation/storage/recordfile.h"
#include "fuzz_common.h"
#include "store_common.h"

namespace {

constexpr std::int32_t kMaxWalk = 4096;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Choices c(data, size);
  const std::uint8_t flags = c.Byte();
  const bool shared = (flags & 1) != 0;
  const bool appendOnly = (flags & 2) != 0;
  const bool withAnchor = (flags & 4) != 0;
  const bool exclusive = (flags & 8) != 0;
  const std::string path = fuzz::PutFile("data.dat", c.Rest(), c.RestSize());
  // The program knows its record size; taking it from the file lets the
  // fuzzer past the size check.
  std::uint16_t recSize = c.RestSize() >= 14 ? GetU16(c.Rest() + 12) : 16;
  if (recSize < DBMinRecSize || recSize > DBMaxRecSize) recSize = 16;

  fuzz::ResetEngine(shared);
  TDataFile anchor;
  TDataFile* parent = nullptr;
  if (withAnchor) {
    OpenFileShared(anchor, path, recSize);
    if (anchor.IsOpen) parent = &anchor;
  }
  TDataFile f;
  // An exclusive open would be refused beside the anchor's own handle.
  OpenFile(f, parent, path, recSize, shared, appendOnly, exclusive && !withAnchor);
  if (!f.IsOpen) {
    CloseFileHandle(anchor);
    fuzz::ResetEngine(false);
    return 0;
  }
  const std::string before = CheckDataFileInvariants(f);
  const bool clean = before.empty();

  // Read everything, as a scan of the file does.
  std::vector<std::uint8_t> record(recSize);
  const std::int32_t count = f.RecCount;
  for (std::int32_t r = 0; r <= count && r < kMaxWalk; ++r) {
    GetRec(f, r, record.data());
    GetRecRaw(f, r, record.data());
  }
  const std::int32_t block = count < kMaxWalk ? count : kMaxWalk;
  std::vector<std::uint8_t> blockBuffer(static_cast<std::size_t>(block) * recSize + recSize);
  for (std::int32_t from = 1; from < count && from < kMaxWalk; from += 1000)
    GetRecBlock(f, from, 1000 < block ? 1000 : block, blockBuffer.data());
  (void)UsedRecs(f);
  (void)FileLen(f);
  std::vector<std::uint8_t> userHeader(f.RegionLength);
  ReadUserHeader(f, userHeader.data(), f.RegionLength);

  // The engine's own changes, in one writer transaction.
  fuzz::ResetEngine(shared);
  LockDataFile(f, true, true);
  if (clean) fuzz::Check(DBOk, fuzz::Describe("writer hold on a clean file"));
  std::vector<std::uint8_t> first(recSize, 0x41), second(recSize, 0x42), third(recSize, 0x43);
  first[0] = second[0] = third[0] = DBRecInUse;
  std::int32_t a = 0, b = 0, d = 0;
  AddRec(f, a, first.data());
  if (clean) fuzz::Check(DBOk, fuzz::Describe("AddRec on a clean file"));
  AddRec(f, b, second.data());
  if (clean) fuzz::Check(DBOk, fuzz::Describe("second AddRec on a clean file"));
  if (!appendOnly) {
    // Deletes a record the file holds in use, as its owner would.
    const std::int32_t victim = 1 + (flags >> 4);
    if (victim < f.RecCount && victim != a && victim != b) {
      GetRec(f, victim, record.data());
      if (DBOk && record[0] == DBRecInUse) DeleteRec(f, victim);
    }
    DeleteRec(f, a);
    if (clean) fuzz::Check(DBOk, fuzz::Describe("DeleteRec on a clean file"));
  }
  AddRec(f, d, third.data());
  if (clean) fuzz::Check(DBOk, fuzz::Describe("AddRec after DeleteRec on a clean file"));
  second[1] = 0x44;
  PutRec(f, b, second.data());
  if (clean) fuzz::Check(DBOk, fuzz::Describe("PutRec on a clean file"));
  LockDataFile(f, false, true);
  if (clean) fuzz::Check(DBOk, fuzz::Describe("closing the writer hold on a clean file"));
  std::fill(userHeader.begin(), userHeader.end(), std::uint8_t{0x5A});
  WriteUserHeader(f, userHeader.data(), f.RegionLength);

  if (clean) {
    const std::string after = CheckDataFileInvariants(f);
    fuzz::Check(after.empty(), "invariants broken by the engine's changes: " + after);
  }
  CloseFile(f);

  fuzz::ResetEngine(shared);
  TDataFile again;
  OpenFile(again, parent, path, recSize, shared, appendOnly, false);
  if (clean) {
    fuzz::Check(again.IsOpen, fuzz::Describe("reopening a file the engine wrote"));
    const std::string reopened = CheckDataFileInvariants(again);
    fuzz::Check(reopened.empty(), "invariants broken after reopening: " + reopened);
    GetRecRaw(again, b, record.data());
    fuzz::Check(DBOk && record == second, "record put before closing reads back changed");
    GetRecRaw(again, d, record.data());
    fuzz::Check(DBOk && record == third, "record added before closing reads back changed");
    std::vector<std::uint8_t> header(again.RegionLength);
    ReadUserHeader(again, header.data(), again.RegionLength);
    fuzz::Check(header == userHeader, "user header written before closing reads back changed");
  }
  CloseFile(again);
  CloseFileHandle(anchor);
  fuzz::ResetEngine(false);
  return 0;
}
