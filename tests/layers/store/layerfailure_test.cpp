// Layer files when the disk says no: the platform's fault switch fails one
// read or write of a record operation, of Close, of Open or of a scan. The
// error reaches the caller, no lock is left behind, and the file, closed and
// opened again, still holds a consistent layout (packet counts matching the
// file's length, counters matching the records, a walkable free list) in
// which the operation either took place or did not, and records can be
// added to it.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

#include "foundation/errors.h"
#include "layer_fixture.h"
#include "layers/store/dberrors.h"
#include "layers/store/layerquery.h"
#include "layers/store/layerstats.h"
#include "platform/files/faultinject.h"

using namespace layerfmt;
using platform::FaultOp;
using platform::FaultPlan;
using platform::FaultScope;

namespace {

// Checks the layout invariants of a closed line file and answers its live
// records by number with their first X.
std::map<std::int64_t, double> CheckLineFile(const std::string& path) {
  std::map<std::int64_t, double> live;
  const Bytes b = ReadBytes(path);
  const std::int64_t R = kLineRecordSize;
  EXPECT_GE(b.size(), 512u);
  if (b.size() < 512) return live;
  const int slots = b[159];
  const int highest = b[158];
  const int packets = GetU16(&b[72]);
  std::int64_t end = DataStart(slots);
  std::int64_t used = 0;
  for (int p = 0; p < packets; ++p) {
    const std::int64_t start = DataStart(slots) + p * PacketSize(R);
    EXPECT_LE(start + kPacketOverhead, static_cast<std::int64_t>(b.size())) << "packet " << p;
    if (start + kPacketOverhead > static_cast<std::int64_t>(b.size())) return live;
    const std::uint16_t count = GetU16(&b[static_cast<std::size_t>(start + 2)]);
    const bool full = (GetU32(&b[static_cast<std::size_t>(start + 4)]) & kPacketFull) || count == 4096;
    if (p + 1 < packets) {
      EXPECT_TRUE(full) << "packet " << p << " is not the last and not full";
    }
    used = full ? 4096 : count;
    end = start + kPacketOverhead + used * R;
  }
  EXPECT_EQ(static_cast<std::int64_t>(b.size()), end) << "the file does not end at its last used slot";
  // Counters against the records.
  std::vector<std::pair<int, int>> counted(static_cast<std::size_t>(highest + 1));
  std::set<std::int64_t> freeSlots;
  const std::int64_t records = packets == 0 ? 0 : (packets - 1) * 4096 + used;
  for (std::int64_t n = 1; n <= records; ++n) {
    const std::size_t at = static_cast<std::size_t>(RecordAddress(n, slots, R));
    if (at + R > b.size()) break;
    const std::uint32_t state = GetU32(&b[at]);
    if ((state & kRecInUse) == 0) {
      freeSlots.insert(static_cast<std::int64_t>(at));
      continue;
    }
    const int sub = b[at + 16] > highest ? -1 : b[at + 16];
    if (state & kRecArchivedBit) {
      if (sub >= 0) ++counted[static_cast<std::size_t>(sub)].second;
    } else {
      if (sub >= 0) ++counted[static_cast<std::size_t>(sub)].first;
      live[n] = GetF64(&b[at + 24]);
    }
  }
  for (int i = 0; i <= highest; ++i) {
    const std::size_t at = static_cast<std::size_t>(SlotOffset(i) + kCountersOffset);
    EXPECT_EQ(GetI32(&b[at]), counted[static_cast<std::size_t>(i)].first) << "live count of " << i;
    EXPECT_EQ(GetI32(&b[at + 4]), counted[static_cast<std::size_t>(i)].second) << "archived count of " << i;
  }
  // The free list: free slots of the file, each once, as many as counted.
  std::set<std::int64_t> listed;
  for (std::int64_t at = GetU32(&b[162]); at != 0; at = GetU32(&b[static_cast<std::size_t>(at)])) {
    EXPECT_TRUE(freeSlots.count(at)) << "free list names a slot in use or outside the file: " << at;
    if (!freeSlots.count(at) || !listed.insert(at).second) break;
  }
  EXPECT_EQ(listed.size(), GetU32(&b[170]));
  return live;
}

// Gives the one packet of a small line file the index cells the rebuild
// would leave (extent 0 to 100 on both axes).
void IndexOnePacket(const std::string& path) {
  Bytes b = ReadBytes(path);
  const std::size_t start = 5632;
  const int count = GetU16(&b[start + 2]);
  PacketHeader h;
  h.count = static_cast<std::uint16_t>(count);
  h.flags = kPacketCells;
  h.dx = h.dy = 100;
  const auto raw = EncodePacketHeader(h);
  std::copy(raw.begin(), raw.end(), b.begin() + static_cast<std::ptrdiff_t>(start));
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* f = &b[start + kPacketOverhead + static_cast<std::size_t>(i) * 74];
    std::uint32_t e = 0;
    if ((GetU32(f) >> 30) == 2)
      e = LineCellUnclamped(GetF64(f + 24), 0, 100) | (LineCellUnclamped(GetF64(f + 32), 0, 100) << 8) |
          (static_cast<std::uint32_t>(LineCellUnclamped(GetF64(f + 44), 0, 100)) << 16) |
          (static_cast<std::uint32_t>(LineCellUnclamped(GetF64(f + 52), 0, 100)) << 24);
    else h.flags |= kPacketZeroCell;
    PutU32(&b[start + kPacketHeaderSlot + static_cast<std::size_t>(i) * 4], e);
  }
  PutU32(&b[start + 4], h.flags);
  PutU32(&b[74], GetU32(&b[74]) | kKindIndexValid);
  WriteBytes(path, b);
}

// A lock wait that gives up at once: an open that would have to wait
// raises ECanceled instead.
LayerLockWaitFactory NoWaiting() {
  struct Refuse : ICancelCheck {
    void CheckCanceled() override { throw ECanceled(); }
  };
  return [](const std::string&) { return std::unique_ptr<ICancelCheck>(new Refuse); };
}

}  // namespace

class LayerFailureTest : public LayerTest {
protected:
  // A line file of the given records in sublayers 0 and 1.
  std::unique_ptr<TNewLinWarstwaFile> Build(int records) {
    auto f = NewLine("awaria--.--l");
    OpenRW(*f);
    f->WritePodwarstwaHeader(TWarstwaHeader{}, 1);
    for (int i = 1; i <= records; ++i) f->AddRecord(LineRec(i, i, i + 1, i + 1, 0, i % 2));
    EXPECT_EQ(f->Close(), 0);
    return f;
  }
  // Opening for writing must not wait: no lock may be left by a failure.
  void ReopenRW(TNewTextLinWarstwaFile& f) {
    f.SetLockWait(NoWaiting());
    std::uint8_t mode = kOpenWrite;
    ASSERT_EQ(f.Open(mode), 0);
  }
};

// Each operation is run with its first, second, ... read or write failing
// until a run passes untouched by the fault.
TEST_F(LayerFailureTest, AFailedReadOrWriteOfARecordOperationLeavesAConsistentFile) {
  struct Case {
    const char* name;
    std::function<void(TNewLinWarstwaFile&)> prepare;  // on the closed file of 5 records
    std::function<void(TNewLinWarstwaFile&)> run;
  };
  auto freeRun = [this](TNewLinWarstwaFile& f) {
    // Records 2 and 3 made a free run of two.
    Bytes b = ReadBytes(f.Path());
    const auto at = [](int n) { return static_cast<std::size_t>(RecordAddress(n, 10, 74)); };
    for (int n : {2, 3}) {
      EXPECT_EQ(b[at(n) + 16], n % 2);
      std::fill(b.begin() + static_cast<std::ptrdiff_t>(at(n)), b.begin() + static_cast<std::ptrdiff_t>(at(n) + 74), 0);
    }
    PutU32(&b[at(2)], static_cast<std::uint32_t>(at(3)));
    PutU32(&b[at(2) + 4], 2);
    PutU32(&b[at(2) + 8], static_cast<std::uint32_t>(at(3)));
    PutU32(&b[at(3) + 4], 1);
    PutU32(&b[162], static_cast<std::uint32_t>(at(2)));
    PutU32(&b[170], 2);
    PutI32(&b[512 + 112], 1);   // sublayer 0 keeps record 4
    PutI32(&b[1024 + 112], 2);  // sublayer 1 keeps records 1 and 5
    WriteBytes(f.Path(), b);
  };
  const Case cases[] = {
      {"add to an empty file", nullptr,
       [](TNewLinWarstwaFile& f) { f.AddRecord(LineRec(50, 50, 51, 51)); }},
      {"add at the end", [](TNewLinWarstwaFile&) {},
       [](TNewLinWarstwaFile& f) { f.AddRecord(LineRec(50, 50, 51, 51, 0, 1)); }},
      {"add into a free run", freeRun,
       [](TNewLinWarstwaFile& f) { f.AddRecord(LineRec(50, 50, 51, 51)); }},
      {"add into a packet with cells", [](TNewLinWarstwaFile& f) { IndexOnePacket(f.Path()); },
       [](TNewLinWarstwaFile& f) { f.AddRecord(LineRec(50, 50, 51, 51)); }},
      {"rewrite", [](TNewLinWarstwaFile&) {},
       [](TNewLinWarstwaFile& f) {
         f.WriteRecord(4, LineRec(60, 60, 61, 61, 0, 1));
       }},
      {"rewrite into a free run with cells",
       [&](TNewLinWarstwaFile& f) {
         freeRun(f);
         IndexOnePacket(f.Path());
       },
       [](TNewLinWarstwaFile& f) {
         f.WriteRecord(4, LineRec(60, 60, 61, 61));
       }},
      {"archive with cells", [](TNewLinWarstwaFile& f) { IndexOnePacket(f.Path()); },
       [](TNewLinWarstwaFile& f) {
         f.MoveToArch(5, 0);
       }},
  };
  for (FaultOp op : {FaultOp::Write, FaultOp::Read}) {
    for (const Case& c : cases) {
      for (std::uint32_t nth = 1;; ++nth) {
        SCOPED_TRACE(std::string(c.name) + (op == FaultOp::Write ? ", write " : ", read ") +
                     std::to_string(nth));
        ASSERT_LT(nth, 40u) << "the fault never missed";
        std::unique_ptr<TNewLinWarstwaFile> f;
        if (c.prepare) {
          f = Build(5);
          c.prepare(*f);
        } else {
          f = NewLine("awaria--.--l");
        }
        const std::map<std::int64_t, double> before = CheckLineFile(f->Path());
        OpenRW(*f);
        bool failed = false;
        bool struck = false;
        {
          FaultScope fault(FaultPlan{op, nth, false, "awaria"});
          try {
            c.run(*f);
          } catch (const EDBError& e) {
            failed = true;
            // A refused write is named with the system's text.
            if (op == FaultOp::Write) {
              EXPECT_EQ(e.Message(), platform::ErrorText(platform::kErrorDiskFull));
            } else {
              EXPECT_FALSE(e.Message().empty());
            }
          }
          struck = platform::FaultStruck();
        }
        if (!struck) {
          EXPECT_FALSE(failed);
          ASSERT_EQ(f->Close(), 0);
          CheckLineFile(f->Path());
          platform::DeleteFile(f->Path());
          break;
        }
        EXPECT_TRUE(failed) << "a failed " << (op == FaultOp::Write ? "write" : "read") << " was not reported";
        ASSERT_EQ(f->Close(), 0);
        std::map<std::int64_t, double> after = CheckLineFile(f->Path());
        // A failed operation leaves the live records as they were: no
        // record added, the rewritten one in its old state, the archived
        // one live.
        EXPECT_EQ(after, before);
        // The file goes on: a record added now lands where the layout says.
        ReopenRW(*f);
        const std::int64_t added = f->AddRecord(LineRec(70, 70, 71, 71));
        ASSERT_EQ(f->Close(), 0);
        after = CheckLineFile(f->Path());
        EXPECT_EQ(after[added], 70.0);
        // The scans agree with the file.
        OpenR(*f);
        std::map<std::int64_t, double> scanned;
        ObjectSaveRecord rec;
        for (int rc = f->ReadCurrent(rec); rc == 0; rc = f->ReadRecord(rec))
          scanned[rec.GetLong(kRecIndex)] = rec.GetDouble(kRecP1X);
        EXPECT_EQ(scanned, after);
        std::map<std::int64_t, double> inWindow;
        for (int rc = f->SeekFirst({0, 0, 100, 100}, rec); rc == 0; rc = f->ReadNext(rec))
          inWindow[rec.GetLong(kRecIndex)] = rec.GetDouble(kRecP1X);
        EXPECT_EQ(inWindow, after);
        ASSERT_EQ(f->Close(), 0);
        platform::DeleteFile(f->Path());
      }
    }
  }
}

// A write-back that fails at Close reaches the caller; the file is closed
// all the same and its lock gone. An unlock that fails likewise.
TEST_F(LayerFailureTest, AFailedCloseIsReportedAndLeavesNoLock) {
  struct Case {
    const char* name;
    FaultOp op;
    std::uint32_t nth;
  };
  const Case cases[] = {
      {"packet header", FaultOp::Write, 1},
      {"descriptor", FaultOp::Write, 2},
      {"counters", FaultOp::Write, 3},
      {"unlock", FaultOp::Unlock, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto f = Build(3);
    OpenRW(*f);
    f->AddRecord(LineRec(9, 9, 9, 9));
    {
      FaultScope fault(FaultPlan{c.op, c.nth, false, "awaria"});
      EXPECT_THROW(f->Close(), EDBError);
      EXPECT_TRUE(platform::FaultStruck());
    }
    EXPECT_FALSE(f->IsOpen());
    TNewLinWarstwaFile other(&base_, Dir(), "awaria--.--l");
    ReopenRW(other);
    ASSERT_EQ(other.Close(), 0);
    platform::DeleteFile(f->Path());
  }
}

// A read that fails during a scan ends it with -1; the file stays open and
// a new scan reads it whole. Open and the reads by number raise.
TEST_F(LayerFailureTest, AFailedReadEndsTheScanAndKeepsTheFileOpen) {
  auto f = Build(5);
  const Bytes before = ReadBytes(f->Path());
  TNewLinWarstwaFile other(&base_, Dir(), "awaria--.--l");
  {
    FaultScope fault(FaultPlan{FaultOp::Read, 1, false, "awaria"});
    std::uint8_t mode = kOpenRead;
    try {
      f->Open(mode);
      ADD_FAILURE() << "opened";
    } catch (const EDBError& e) {
      EXPECT_EQ(e.Message(), platform::ErrorText(platform::kErrorGeneralFailure));
    }
    EXPECT_FALSE(f->IsOpen());
  }
  ReopenRW(other);  // the failed open left no lock
  ASSERT_EQ(other.Close(), 0);

  OpenR(*f);
  ObjectSaveRecord rec;
  TWarQuery all;
  using Start = std::function<int()>;
  using Next = std::function<int()>;
  const std::pair<Start, Next> scans[] = {
      {[&] { return f->ReadCurrent(rec); }, [&] { return f->ReadRecord(rec); }},
      {[&] { return f->SeekFirst({0, 0, 100, 100}, rec); }, [&] { return f->ReadNext(rec); }},
      {[&] { return f->SeekRecord(&all, rec); }, [&] { return f->ReadRecordAtSeek(rec); }},
  };
  for (const auto& [start, next] : scans) {
    {
      FaultScope fault(FaultPlan{FaultOp::Read, 1, true, "awaria"});
      EXPECT_EQ(start(), kDBNothing);
      EXPECT_EQ(next(), kDBNothing);
    }
    EXPECT_TRUE(f->IsOpen());
    int count = 0;
    for (int rc = start(); rc == 0; rc = next()) ++count;
    EXPECT_EQ(count, 5);
  }
  {
    FaultScope fault(FaultPlan{FaultOp::Read, 1, true, "awaria"});
    EXPECT_THROW(f->ReadRecordAt(2, rec), EDBRecordError);
    TDBStatystykaList stats(NoCancel());
    EXPECT_THROW(f->Statystyka(stats), EDBError);
  }
  EXPECT_EQ(f->ReadRecordAt(2, rec), 0);
  ASSERT_EQ(f->Close(), 0);
  EXPECT_EQ(ReadBytes(f->Path()), before);
}
