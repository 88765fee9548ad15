// Whole-file maintenance of layer files: the index rebuild, the purge of old
// archived states, more sublayer slots, moving, emptying and removing
// sublayers, emptying and transforming the layer, their failure paths, and
// the exclusive opens against a second process.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>

#include "common/peer_process.h"
#include "foundation/errors.h"
#include "foundation/text/datetime.h"
#include "foundation/users/users.h"
#include "layer_fixture.h"
#include "layers/store/dberrors.h"
#include "layers/store/layerapi.h"
#include "platform/files/faultinject.h"

using namespace layerfmt;

namespace {

constexpr std::size_t kDesc = kDescriptorOffset;

std::int64_t Addr(std::int64_t n, int slots = 10, std::int64_t R = kLineRecordSize) {
  return RecordAddress(n, slots, R);
}

PacketHeader PacketAt(const Bytes& b, int p, int slots = 10, std::int64_t R = kLineRecordSize) {
  const std::size_t at = static_cast<std::size_t>(DataStart(slots) + p * PacketSize(R));
  PacketHeader h;
  h.count = GetU16(&b[at + 2]);
  h.flags = GetU32(&b[at + 4]);
  h.x0 = GetF64(&b[at + 8]);
  h.y0 = GetF64(&b[at + 16]);
  h.dx = GetF64(&b[at + 24]);
  h.dy = GetF64(&b[at + 32]);
  return h;
}

std::uint32_t Date(int second) {
  TDateTimeRec t{};
  t.Year = 2021, t.Month = 3, t.Day = 4, t.Hour = 10, t.Minute = 0, t.Second = second;
  TPackedDateTime d = 0;
  PackDateTime(d, t);
  return d;
}

// Sets the last modification of stored record n of a closed line file.
void SetModified(const std::string& path, std::int64_t n, std::uint32_t date) {
  Bytes b = ReadBytes(path);
  PutU32(&b[static_cast<std::size_t>(Addr(n)) + kRecModified], date);
  WriteBytes(path, b);
}

std::vector<std::uint32_t> RectScan(TNewTextLinWarstwaFile& f, const TLayerRect& r) {
  std::vector<std::uint32_t> got;
  ObjectSaveRecord rec;
  int rc = f.SeekFirst(r, rec);
  for (; rc == 0; rc = f.ReadNext(rec)) got.push_back(rec.GetLong(kRecIndex));
  EXPECT_EQ(rc, kDBEnd);
  return got;
}

bool In(const TLayerRect& r, double x, double y) {
  return r.X1 <= x && x <= r.X2 && r.Y1 <= y && y <= r.Y2;
}

template <class E, class F>
void ExpectRaise(F f, const std::string& message, int code = -1000) {
  try {
    f();
    ADD_FAILURE() << "no exception, expected: " << message;
  } catch (const E& e) {
    EXPECT_EQ(std::string(e.what()), message);
    if constexpr (std::is_base_of_v<EDBError, E>) {
      if (code != -1000) {
        EXPECT_EQ(e.Code, code);
      }
    }
  }
}

struct NoExportBase : TestBase {
  bool CanExport() const override { return false; }
};

}  // namespace

class LayerMaintTest : public LayerTest {
protected:
  void TearDown() override { platform::DisarmFault(); }
  // Sublayers 0 to highest exist in f (open for writing).
  static void AddSublayers(TNewTextLinWarstwaFile& f, int highest) {
    TWarstwaHeader h;
    for (int i = 1; i <= highest; ++i) {
      h.ShortName = "p" + std::to_string(i);
      f.WritePodwarstwaHeader(h, i);
    }
  }
  // The temporary file of a rewrite: the name's first 11 characters and "~".
  std::string TempOf(const TNewTextLinWarstwaFile& f) const {
    return PathOf(f.FileName().substr(0, 11) + "~");
  }
  static std::pair<int, int> StoredCounters(const Bytes& b, int i) {
    const std::size_t at = static_cast<std::size_t>(SlotOffset(i) + kCountersOffset);
    return {GetI32(&b[at]), GetI32(&b[at + 4])};
  }
};

// ---- UpdateIndex ----

// A last packet of archived records only gets the empty extent and flag
// bit 3; a packet whose live records lie on one vertical line gets a width
// of 0.01; the counters are recounted from the records whatever the headers
// said; rectangle scans then use the cells and find what they should.
TEST_F(LayerMaintTest, UpdateIndexRecountsCountersAndExtents) {
  auto f = NewLine();
  OpenRW(*f);
  AddSublayers(*f, 2);
  for (int i = 1; i <= 4096; ++i)
    f->AddRecord(LineRec(5, i, 5, i + 0.5, 0, static_cast<std::uint8_t>(i % 3)));
  for (int i = 1; i <= 5; ++i) f->AddRecord(LineRec(100 + i, 100, 100 + i, 101));
  for (int i = 4097; i <= 4101; ++i) f->MoveToArch(i, 0);
  for (int i = 1; i <= 30; ++i) f->MoveToArch(i, 0);
  ASSERT_EQ(f->Close(), 0);
  // Counters and the added-record count made wrong by hand.
  Bytes b = ReadBytes(f->Path());
  for (int i = 0; i <= 2; ++i) {
    PutI32(&b[static_cast<std::size_t>(SlotOffset(i) + kCountersOffset)], 999);
    PutI32(&b[static_cast<std::size_t>(SlotOffset(i) + kCountersOffset + 4)], -3);
  }
  WriteBytes(f->Path(), b);

  f->UpdateIndex();
  EXPECT_FALSE(f->IsOpen());
  b = ReadBytes(f->Path());
  EXPECT_NE(GetU32(&b[kDesc + kDescKind]) & kKindIndexValid, 0u);
  EXPECT_EQ(GetU32(&b[kDesc + kDescAdded]), 0u);
  // Sublayer i % 3: live 1..4096 minus the 30 archived, plus the 5 archived
  // of packet 1 in sublayer 0.
  int live[3] = {}, archived[3] = {};
  for (int i = 1; i <= 4096; ++i) {
    if (i <= 30) ++archived[i % 3];
    else ++live[i % 3];
  }
  archived[0] += 5;
  for (int i = 0; i <= 2; ++i)
    EXPECT_EQ(StoredCounters(b, i), std::make_pair(live[i], archived[i])) << "sublayer " << i;

  const PacketHeader p0 = PacketAt(b, 0);
  EXPECT_EQ(p0.count, 4096);
  EXPECT_EQ(p0.flags, kPacketCells | kPacketFull | kPacketZeroCell);
  EXPECT_EQ(p0.x0, 5);
  EXPECT_EQ(p0.y0, 31);
  EXPECT_DOUBLE_EQ(p0.dx, 0.01);
  EXPECT_DOUBLE_EQ(p0.dy, 4096.5 - 31);
  const PacketHeader p1 = PacketAt(b, 1);
  EXPECT_EQ(p1.count, 5);
  EXPECT_EQ(p1.flags, kPacketCells | kPacketNoLive | kPacketZeroCell);
  EXPECT_EQ(p1.x0, 0);
  EXPECT_EQ(p1.y0, 0);
  EXPECT_EQ(p1.dx, 0.1);
  EXPECT_EQ(p1.dy, 0.1);
  // The archived records keep cell 0, the live ones the cell of x = 5.
  const std::size_t cells = static_cast<std::size_t>(DataStart(10) + kPacketHeaderSlot);
  EXPECT_EQ(GetU32(&b[cells]), 0u);
  EXPECT_EQ(GetU32(&b[cells + 4 * 30]) & 0xFF, 2u);

  OpenR(*f);
  EXPECT_EQ(RectScan(*f, {100, 100, 110, 110}), std::vector<std::uint32_t>{});
  EXPECT_EQ(RectScan(*f, {5, 40, 5, 41.5}), (std::vector<std::uint32_t>{40, 41}));
  EXPECT_EQ(f->Counters(0), std::make_pair(live[0], archived[0]));
}

// Random line and text files with archived records: after the rebuild, and
// after more records are added and archived with the rebuilt index in use,
// every rectangle scan (a third of zero width or height) equals the
// brute-force filter of the records written.
TEST_F(LayerMaintTest, RectangleScansAfterTheRebuildEqualBruteForce) {
  std::mt19937 rng(123);
  std::uniform_real_distribution<double> coord(0, 1000);
  auto grid = [&] { return std::round(coord(rng) / 10) * 10; };
  for (int round = 0; round < 2; ++round) {
    std::unique_ptr<TNewTextLinWarstwaFile> files[2] = {
        NewLine("m" + std::to_string(round) + "------.--l"),
        NewText("m" + std::to_string(round) + "------.--t")};
    struct Obj {
      double x1, y1, x2, y2;
      bool live;
    };
    std::vector<Obj> objs;
    auto add = [&](int n) {
      for (auto& f : files) OpenRW(*f);
      for (int i = 0; i < n; ++i) {
        const double x = grid(), y = grid();
        const int kind = static_cast<int>(rng() % 4);
        const double x2 = kind == 2 ? x : x + 10 * static_cast<int>(rng() % 5);
        const double y2 = kind == 2 ? y : y + 20;
        files[0]->AddRecord(LineRec(x, y, x2, y2, static_cast<std::uint8_t>(kind)));
        files[1]->AddRecord(TextRec(x, y, "ab", static_cast<std::uint8_t>(rng() % 5)));
        objs.push_back({x, y, x2, y2, true});
      }
      for (int i = 0; i < n / 4; ++i) {
        const std::size_t k = rng() % objs.size();
        if (!objs[k].live) continue;
        for (auto& f : files) f->MoveToArch(static_cast<std::int64_t>(k + 1), 0);
        objs[k].live = false;
      }
      for (auto& f : files) ASSERT_EQ(f->Close(), 0);
    };
    auto check = [&](const char* stage) {
      SCOPED_TRACE(stage);
      for (int kind = 0; kind < 2; ++kind) {
        auto& f = *files[kind];
        OpenR(f);
        for (int i = 0; i < 40; ++i) {
          double a = grid(), c = grid(), y1 = grid(), y2 = grid();
          if (i % 3 == 1) c = a;
          if (i % 3 == 2) y2 = y1;
          const TLayerRect r{std::min(a, c), std::min(y1, y2), std::max(a, c), std::max(y1, y2)};
          std::vector<std::uint32_t> want;
          for (std::size_t k = 0; k < objs.size(); ++k) {
            const Obj& o = objs[k];
            if (o.live && (In(r, o.x1, o.y1) || (kind == 0 && In(r, o.x2, o.y2))))
              want.push_back(static_cast<std::uint32_t>(k + 1));
          }
          ASSERT_EQ(RectScan(f, r), want) << r.X1 << " " << r.Y1 << " " << r.X2 << " " << r.Y2;
        }
        ASSERT_EQ(f.Close(), 0);
      }
    };
    add(3000 + 2500 * round);
    for (auto& f : files) f->UpdateIndex();
    check("rebuilt");
    add(1500);
    check("added with the index in use");
  }
}

TEST_F(LayerMaintTest, UpdateIndexRefusesAnOpenFileAndAnotherOpener) {
  auto f = NewLine();
  OpenRW(*f);
  f->AddRecord(LineRec(1, 1, 2, 2));
  ExpectRaise<EAccessError>([&] { f->UpdateIndex(); }, "");
  ASSERT_EQ(f->Close(), 0);
  const Bytes before = ReadBytes(f->Path());
  TNewLinWarstwaFile other(&base_, Dir(), f->FileName());
  OpenR(other);
  ExpectRaise<EDBError>([&] { f->UpdateIndex(); }, "",
                        static_cast<int>(platform::kErrorSharingViolation));
  EXPECT_FALSE(f->IsOpen());
  ASSERT_EQ(other.Close(), 0);
  EXPECT_EQ(ReadBytes(f->Path()), before);
  f->UpdateIndex();  // nothing left behind
}

// A cancel between packets leaves the index unused and the counters as
// they were.
TEST_F(LayerMaintTest, UpdateIndexCancelledBetweenPackets) {
  auto f = NewLine();
  OpenRW(*f);
  for (int i = 1; i <= 4097; ++i) f->AddRecord(LineRec(i, i, i, i));
  ASSERT_EQ(f->Close(), 0);
  struct CancelSecond : ICancelCheck {
    int calls = 0;
    void CheckCanceled() override {
      if (++calls == 2) throw ECanceled();
    }
  } cancel;
  EXPECT_THROW(f->UpdateIndex(&cancel), ECanceled);
  EXPECT_FALSE(f->IsOpen());
  const Bytes b = ReadBytes(f->Path());
  EXPECT_EQ(GetU32(&b[kDesc + kDescKind]) & kKindIndexValid, 0u);
  EXPECT_EQ(StoredCounters(b, 0), std::make_pair(4097, 0));
  OpenR(*f);
  EXPECT_EQ(RectScan(*f, {4097, 4097, 5000, 5000}), std::vector<std::uint32_t>{4097});
}

// ---- DeleteOldArch ----

// Records 3, 4, 5 and 9 archived before the date are freed, records
// archived at and after it kept; the free slots form the runs (3, 4, 5) and
// (9) chained 3, 4, 5, 9; new records take them in file order.
TEST_F(LayerMaintTest, DeleteOldArchKeepsRecordsModifiedAtTheDateAndRebuildsRuns) {
  auto f = NewLine();
  OpenRW(*f);
  AddSublayers(*f, 1);
  for (int i = 1; i <= 10; ++i) f->AddRecord(LineRec(i, i, i, i, 0, static_cast<std::uint8_t>(i % 2)));
  for (int n : {3, 4, 5, 7, 8, 9}) f->MoveToArch(n, 0);
  ASSERT_EQ(f->Close(), 0);
  const std::uint32_t D = Date(20);
  for (int n : {3, 4, 5, 9}) SetModified(f->Path(), n, Date(18));
  SetModified(f->Path(), 7, D);
  SetModified(f->Path(), 8, Date(22));

  OpenRW(*f);
  f->DeleteOldArch(D);
  EXPECT_EQ(f->Counters(0), std::make_pair(3, 1));  // 2, 6, 10 live; 8 kept; 4 purged
  EXPECT_EQ(f->Counters(1), std::make_pair(1, 1));  // 1 live; 7 kept; 3, 5, 9 purged
  ASSERT_EQ(f->Close(), 0);
  const Bytes b = ReadBytes(f->Path());
  EXPECT_EQ(GetU32(&b[kDesc + kDescFreeHead]), Addr(3));
  EXPECT_EQ(GetU32(&b[kDesc + kDescFreeCount]), 4u);
  auto slot = [&](int n) { return &b[static_cast<std::size_t>(Addr(n))]; };
  EXPECT_EQ(GetU32(slot(3)), Addr(4));
  EXPECT_EQ(GetU32(slot(3) + 4), 3u);
  EXPECT_EQ(GetU32(slot(3) + 8), Addr(5));
  EXPECT_EQ(GetU32(slot(4)), Addr(5));
  EXPECT_EQ(GetU32(slot(5)), Addr(9));
  EXPECT_EQ(GetU32(slot(9)), 0u);
  EXPECT_EQ(GetU32(slot(9) + 4), 1u);
  EXPECT_EQ(GetU32(slot(9) + 8), 0u);
  EXPECT_TRUE(std::all_of(slot(9) + 12, slot(9) + kLineRecordSize, [](std::uint8_t c) { return c == 0; }));
  EXPECT_NE(GetU32(slot(7)) & kRecInUse, 0u);
  EXPECT_NE(GetU32(slot(8)) & kRecInUse, 0u);

  OpenRW(*f);
  EXPECT_EQ(f->AddRecord(LineRec(50, 50, 50, 50)), 3);
  EXPECT_EQ(f->AddRecord(LineRec(51, 51, 51, 51)), 4);
  ASSERT_EQ(f->Close(), 0);
}

// A free slot closing one packet links on to the first free slot of the
// next; a date of 0 purges nothing and only rebuilds a lost free list.
TEST_F(LayerMaintTest, DeleteOldArchLinksAcrossPacketsAndZeroDateOnlyRebuilds) {
  auto f = NewLine();
  OpenRW(*f);
  for (int i = 1; i <= 4100; ++i) f->AddRecord(LineRec(1, 1, 1, 1));
  f->MoveToArch(4095, 0);
  f->MoveToArch(4096, 0);
  f->MoveToArch(4099, 0);
  f->DeleteOldArch(0xFFFFFFFFu);
  ASSERT_EQ(f->Close(), 0);
  Bytes b = ReadBytes(f->Path());
  EXPECT_EQ(GetU32(&b[kDesc + kDescFreeHead]), Addr(4095));
  EXPECT_EQ(GetU32(&b[static_cast<std::size_t>(Addr(4095))]), Addr(4096));
  EXPECT_EQ(GetU32(&b[static_cast<std::size_t>(Addr(4095)) + 4]), 2u);
  EXPECT_EQ(GetU32(&b[static_cast<std::size_t>(Addr(4096))]), Addr(4099));
  EXPECT_EQ(GetU32(&b[kDesc + kDescFreeCount]), 3u);

  // The list lost by hand; the slots stay free.
  PutU32(&b[kDesc + kDescFreeHead], 0);
  PutU32(&b[kDesc + kDescFreeCount], 0);
  WriteBytes(f->Path(), b);
  OpenRW(*f);
  f->DeleteOldArch(0);
  EXPECT_EQ(f->Counters(0), std::make_pair(4097, 0));
  ASSERT_EQ(f->Close(), 0);
  const Bytes after = ReadBytes(f->Path());
  EXPECT_EQ(GetU32(&after[kDesc + kDescFreeHead]), Addr(4095));
  EXPECT_EQ(GetU32(&after[kDesc + kDescFreeCount]), 3u);
  OpenRW(*f);
  EXPECT_EQ(f->AddRecord(LineRec(2, 2, 2, 2)), 4095);
  ASSERT_EQ(f->Close(), 0);
}

TEST_F(LayerMaintTest, OpenFileOperationsRefuseClosedAndReadOnlyFiles) {
  auto f = NewLine();
  ExpectRaise<ENotOpen>([&] { f->DeleteOldArch(0); }, "Warstwa nie otwarta");
  ExpectRaise<ENotOpen>([&] { f->MovePodwarstwa(0, 0); }, "Warstwa nie otwarta");
  ExpectRaise<ENotOpen>([&] { f->DeleteLastPodwarstwa(); }, "Warstwa nie otwarta");
  ExpectRaise<ENotOpen>([&] { f->CleanPodwarstwa(0); }, "Warstwa nie otwarta");
  OpenR(*f);
  ExpectRaise<EAccessError>([&] { f->DeleteOldArch(0); }, "Błąd dostępu");
  ExpectRaise<EAccessError>([&] { f->MovePodwarstwa(0, 0); }, "Błąd dostępu");
  ExpectRaise<EAccessError>([&] { f->DeleteLastPodwarstwa(); }, "Błąd dostępu");
  ExpectRaise<EAccessError>([&] { f->CleanPodwarstwa(0); }, "Błąd dostępu");
  ASSERT_EQ(f->Close(), 0);
}

// ---- AddPodwarstwaHeaderSpace ----

// Five more slots: every record 2,560 bytes further on with the same
// number, the new slots zero, the free list rebuilt for the new offsets.
TEST_F(LayerMaintTest, AddPodwarstwaHeaderSpaceMovesEveryRecord) {
  auto f = NewLine();
  OpenRW(*f);
  AddSublayers(*f, 3);
  for (int i = 1; i <= 4100; ++i) f->AddRecord(LineRec(i, -i, i + 1, 0, 0, static_cast<std::uint8_t>(i % 4)));
  f->MoveToArch(2, 0);
  f->MoveToArch(4098, 0);
  f->DeleteOldArch(0xFFFFFFFFu);  // slots 2 and 4098 free
  ASSERT_EQ(f->Close(), 0);
  const Bytes before = ReadBytes(f->Path());

  f->AddPodwarstwaHeaderSpace(5);
  EXPECT_FALSE(f->IsOpen());
  EXPECT_FALSE(std::filesystem::exists(TempOf(*f)));
  const Bytes after = ReadBytes(f->Path());
  ASSERT_EQ(after.size(), before.size() + 2560);
  // The header block changes in the slot count and the rebuilt free list.
  Bytes header(before.begin(), before.begin() + 512);
  header[kDesc + kDescSlots] = 15;
  std::copy_n(after.begin() + kDesc + kDescFreeHead, 4, header.begin() + kDesc + kDescFreeHead);
  std::copy_n(after.begin() + kDesc + kDescFreeCount, 4, header.begin() + kDesc + kDescFreeCount);
  EXPECT_TRUE(std::equal(header.begin(), header.end(), after.begin()));
  EXPECT_TRUE(std::equal(before.begin() + 512, before.begin() + 5632, after.begin() + 512));
  EXPECT_TRUE(std::all_of(after.begin() + 5632, after.begin() + 5632 + 2560, [](std::uint8_t c) { return c == 0; }));
  // Records and cells unchanged, only further on; the free list now points
  // at the new places.
  for (std::int64_t n : {1, 3, 4096, 4097, 4100}) {
    const auto* was = &before[static_cast<std::size_t>(Addr(n))];
    const auto* now = &after[static_cast<std::size_t>(Addr(n, 15))];
    EXPECT_TRUE(std::equal(was, was + kLineRecordSize, now)) << n;
    EXPECT_EQ(Addr(n, 15), Addr(n) + 2560);
  }
  EXPECT_EQ(GetU32(&after[kDesc + kDescFreeHead]), Addr(2, 15));
  EXPECT_EQ(GetU32(&after[static_cast<std::size_t>(Addr(2, 15))]), Addr(4098, 15));
  EXPECT_EQ(GetU32(&after[kDesc + kDescFreeCount]), 2u);

  OpenRW(*f);
  ObjectSaveRecord rec;
  ASSERT_EQ(f->ReadRecordAt(4097, rec), 0);
  EXPECT_EQ(rec.GetDouble(kRecP1X), 4097);
  EXPECT_EQ(rec.GetSublayer(), 1);
  EXPECT_EQ(f->AddRecord(LineRec(9, 9, 9, 9)), 2);
  EXPECT_EQ(f->AddRecord(LineRec(9, 9, 9, 9)), 4098);
  TWarstwaHeader h;
  f->ReadPodwarstwaHeader(h, 14);  // the new slots exist
  ASSERT_EQ(f->Close(), 0);
}

TEST_F(LayerMaintTest, AddPodwarstwaHeaderSpaceRefusals) {
  auto f = NewLine("duza----.--l", 248);
  OpenRW(*f);
  f->AddRecord(LineRec(1, 1, 2, 2));
  ASSERT_EQ(f->Close(), 0);
  const Bytes before = ReadBytes(f->Path());
  ExpectRaise<EDBWarstwaError>([&] { f->AddPodwarstwaHeaderSpace(3); },
                               "Liczba podwarstw (251) większa od maksymalnej (250)", 2);
  ExpectRaise<EDBWarstwaError>([&] { f->AddPodwarstwaHeaderSpace(-1); },
                               "Błędna liczba dodawanych podwarstw (-1)");
  EXPECT_EQ(ReadBytes(f->Path()), before);
  EXPECT_FALSE(std::filesystem::exists(TempOf(*f)));
  EXPECT_FALSE(f->IsOpen());

  OpenR(*f);
  ExpectRaise<EInternalError>([&] { f->AddPodwarstwaHeaderSpace(1); }, "Warstwa otwarta");
  ASSERT_EQ(f->Close(), 0);
  base_.readOnly = true;
  ExpectRaise<EAccessViolation>([&] { f->AddPodwarstwaHeaderSpace(1); }, "Warstwa tylko do odczytu");
  base_.readOnly = false;
  TNewLinWarstwaFile other(&base_, Dir(), f->FileName());
  OpenR(other);
  ExpectRaise<EDBWarstwaError>([&] { f->AddPodwarstwaHeaderSpace(1); },
                               "Nie można otworzyć pliku " + f->Path(),
                               static_cast<int>(platform::kErrorSharingViolation));
  ASSERT_EQ(other.Close(), 0);
  f->AddPodwarstwaHeaderSpace(2);
  EXPECT_EQ(ReadBytes(f->Path())[kDesc + kDescSlots], 250);
}

// The mend: the layer file was deleted before the temporary file took its
// name, and a failed copy went unreported. Every failure of the copy or of
// the rename now raises and leaves the layer file as it was, without the
// temporary file.
TEST_F(LayerMaintTest, AddPodwarstwaHeaderSpaceFailuresKeepTheLayer) {
  auto f = NewLine();
  OpenRW(*f);
  for (int i = 1; i <= 5000; ++i) f->AddRecord(LineRec(i, i, i, i));
  ASSERT_EQ(f->Close(), 0);
  const Bytes before = ReadBytes(f->Path());
  const std::string temp = TempOf(*f);
  struct Case {
    const char* name;
    platform::FaultPlan plan;
    const char* start;
  };
  const Case cases[] = {
      {"header write", {platform::FaultOp::Write, 1, false, "~"}, "Nie można skopiować pliku "},
      {"block write", {platform::FaultOp::Write, 4, false, "~"}, "Nie można skopiować pliku "},
      {"block read", {platform::FaultOp::Read, 7, false, "-.-l"}, "Nie można skopiować pliku "},
      {"flush", {platform::FaultOp::Flush, 1, false, "~"}, "Nie można skopiować pliku "},
      {"rename", {platform::FaultOp::Rename, 1, false, "~"}, "Nie można zastąpić pliku "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::FaultScope fault(c.plan);
    try {
      f->AddPodwarstwaHeaderSpace(5);
      ADD_FAILURE() << "no exception";
    } catch (const EDBWarstwaError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.start + f->Path(), 0), 0u) << e.what();
      EXPECT_NE(e.Code, 0);
    }
    EXPECT_TRUE(platform::FaultStruck());
    EXPECT_FALSE(f->IsOpen());
    EXPECT_EQ(ReadBytes(f->Path()), before);
    EXPECT_FALSE(std::filesystem::exists(temp));
  }
  {
    // The copy's own free-list rebuild fails before it replaces the layer.
    platform::FaultScope fault({platform::FaultOp::Read, 1, false, "~"});
    EXPECT_THROW(f->AddPodwarstwaHeaderSpace(5), EDBError);
    EXPECT_TRUE(platform::FaultStruck());
  }
  EXPECT_EQ(ReadBytes(f->Path()), before);
  EXPECT_FALSE(std::filesystem::exists(temp));
  OpenRW(*f);  // nothing left locked or open
  ASSERT_EQ(f->Close(), 0);
}

// ---- sublayers ----

TEST_F(LayerMaintTest, MovePodwarstwaMovesRecordsAndCounts) {
  auto f = NewLine();
  OpenRW(*f);
  AddSublayers(*f, 5);
  for (int i = 1; i <= 12; ++i) f->AddRecord(LineRec(i, i, i, i, 0, static_cast<std::uint8_t>(i % 3 + 1)));
  f->MoveToArch(2, 0);  // sublayer 3
  f->MoveToArch(5, 0);  // sublayer 3
  const Bytes before = ReadBytes(f->Path());
  f->MovePodwarstwa(2, 2);
  EXPECT_EQ(ReadBytes(f->Path()), before);
  ExpectRaise<EDBWarstwaError>([&] { f->MovePodwarstwa(2, 7); }, "Błędny numer podwarstwy");
  ExpectRaise<EDBWarstwaError>([&] { f->MovePodwarstwa(7, 2); }, "Błędny numer podwarstwy");
  ExpectRaise<EDBWarstwaError>([&] { f->MovePodwarstwa(-1, 2); }, "Błędny numer podwarstwy");
  EXPECT_EQ(f->Counters(3), std::make_pair(2, 2));
  f->MovePodwarstwa(3, 5);
  EXPECT_EQ(f->Counters(3), std::make_pair(0, 0));
  EXPECT_EQ(f->Counters(5), std::make_pair(2, 2));
  ASSERT_EQ(f->Close(), 0);
  OpenR(*f);
  ObjectSaveRecord rec;
  for (int i = 1; i <= 12; ++i) {
    ASSERT_EQ(f->ReadRecordAt(i, rec), 0);
    EXPECT_EQ(rec.GetSublayer(), i % 3 + 1 == 3 ? 5 : i % 3 + 1) << i;
  }
  TWarstwaHeader h;
  f->ReadPodwarstwaHeader(h, 5);
  EXPECT_EQ(h.Live, 2);
  EXPECT_EQ(h.Archived, 2);
  f->ReadPodwarstwaHeader(h, 3);
  EXPECT_EQ(h.ShortName, "p3");  // headers stay
  ASSERT_EQ(f->Close(), 0);
}

TEST_F(LayerMaintTest, DeleteLastPodwarstwaRefusesZeroAndNonEmpty) {
  auto f = NewLine();
  OpenRW(*f);
  ExpectRaise<EDBWarstwaError>([&] { f->DeleteLastPodwarstwa(); }, "Próba usunięcia zerowej podwarstwy");
  AddSublayers(*f, 2);
  f->AddRecord(LineRec(1, 1, 1, 1, 0, 2));
  f->MoveToArch(1, 0);  // only an archived record is left in sublayer 2
  ExpectRaise<EDBWarstwaError>([&] { f->DeleteLastPodwarstwa(); }, "Próba usunięcia niepustej podwarstwy");
  f->MovePodwarstwa(2, 0);
  f->DeleteLastPodwarstwa();
  ASSERT_EQ(f->Close(), 0);
  const Bytes b = ReadBytes(f->Path());
  EXPECT_EQ(b[kDesc + kDescHighest], 1);
  EXPECT_EQ(GetShortString(&b[static_cast<std::size_t>(SlotOffset(2) + kSubShortName)], 13), "p2");
  OpenRW(*f);
  TMainWarstwaHeader mh;
  f->ReadWarstwaHeader(mh);
  EXPECT_EQ(mh.Highest, 1);
  ASSERT_EQ(f->Close(), 0);
}

// Emptying a sublayer frees its live and archived records, zeroes its
// counters, links the freed slots and stops the index from being used until
// it is rebuilt.
TEST_F(LayerMaintTest, CleanPodwarstwaFreesRecordsAndDropsTheIndex) {
  auto f = NewLine();
  OpenRW(*f);
  AddSublayers(*f, 2);
  for (int i = 1; i <= 9; ++i) f->AddRecord(LineRec(i, i, i, i, 0, static_cast<std::uint8_t>(i % 3)));
  f->MoveToArch(1, 0);
  ASSERT_EQ(f->Close(), 0);
  f->UpdateIndex();
  OpenRW(*f);
  ExpectRaise<EDBWarstwaError>([&] { f->CleanPodwarstwa(3); }, "Błędny numer podwarstwy");
  ExpectRaise<EDBWarstwaError>([&] { f->CleanPodwarstwa(-1); }, "Błędny numer podwarstwy");
  f->CleanPodwarstwa(1);  // records 1 (archived), 4, 7
  EXPECT_EQ(f->Counters(1), std::make_pair(0, 0));
  EXPECT_EQ(f->Counters(2), std::make_pair(3, 0));
  ASSERT_EQ(f->Close(), 0);
  Bytes b = ReadBytes(f->Path());
  EXPECT_EQ(GetU32(&b[kDesc + kDescKind]) & kKindIndexValid, 0u);
  EXPECT_EQ(GetU32(&b[kDesc + kDescFreeHead]), Addr(1));
  EXPECT_EQ(GetU32(&b[kDesc + kDescFreeCount]), 3u);
  EXPECT_EQ(GetU32(&b[static_cast<std::size_t>(Addr(1))]), Addr(4));
  EXPECT_EQ(GetU32(&b[static_cast<std::size_t>(Addr(4))]), Addr(7));
  EXPECT_EQ(StoredCounters(b, 1), std::make_pair(0, 0));
  OpenR(*f);
  EXPECT_EQ(RectScan(*f, {0, 0, 10, 10}), (std::vector<std::uint32_t>{2, 3, 5, 6, 8, 9}));
  ASSERT_EQ(f->Close(), 0);
  f->UpdateIndex();
  OpenR(*f);
  EXPECT_EQ(RectScan(*f, {0, 0, 4, 4}), (std::vector<std::uint32_t>{2, 3}));
  ASSERT_EQ(f->Close(), 0);
}

// ---- counters and flags as the file keeps them ----

// The sublayer header read during a session gives the counts the file
// holds, not those kept in memory (they reach the file at Close); a header
// written keeps the stored counts byte for byte (a negative one too) instead
// of writing the counts in memory.
TEST_F(LayerMaintTest, SublayerHeadersReadAndKeepTheStoredCounts) {
  auto f = NewLine();
  OpenRW(*f);
  AddSublayers(*f, 1);
  for (int i = 1; i <= 3; ++i) f->AddRecord(LineRec(i, i, i, i));
  f->MoveToArch(1, 0);
  TWarstwaHeader h;
  f->ReadPodwarstwaHeader(h, 0);
  EXPECT_EQ(h.Live, 0);
  EXPECT_EQ(h.Archived, 0);
  h.ShortName = "Osie";
  f->WritePodwarstwaHeader(h, 0);
  EXPECT_EQ(StoredCounters(ReadBytes(f->Path()), 0), std::make_pair(0, 0));
  EXPECT_EQ(f->Counters(0), std::make_pair(2, 1));
  ASSERT_EQ(f->Close(), 0);
  EXPECT_EQ(StoredCounters(ReadBytes(f->Path()), 0), std::make_pair(2, 1));
  // A header rewritten in a session that counted nothing keeps its bytes.
  Bytes b = ReadBytes(f->Path());
  PutI32(&b[static_cast<std::size_t>(SlotOffset(1) + kCountersOffset)], -5);
  PutI32(&b[static_cast<std::size_t>(SlotOffset(1) + kCountersOffset + 4)], 9);
  WriteBytes(f->Path(), b);
  OpenRW(*f);
  f->ReadPodwarstwaHeader(h, 1);
  EXPECT_EQ(h.Live, -5);
  EXPECT_EQ(h.Archived, 9);
  EXPECT_EQ(f->Counters(1), std::make_pair(0, 9));
  h.ShortName = "Inne";
  f->WritePodwarstwaHeader(h, 1);
  f->ReadPodwarstwaHeader(h, 0);
  EXPECT_EQ(h.Live, 2);
  ASSERT_EQ(f->Close(), 0);
  b = ReadBytes(f->Path());
  EXPECT_EQ(StoredCounters(b, 1), std::make_pair(-5, 9));
  EXPECT_EQ(GetShortString(&b[static_cast<std::size_t>(SlotOffset(1) + kSubShortName)], 13), "Inne");
}

// A rewrite moves the live count to the sublayer the record now names (the
// counters follow the file): a sublayer that received a record is never
// taken for empty, and one whose record left it can go.
TEST_F(LayerMaintTest, RewriteIntoAnotherSublayerKeepsDeleteLastPodwarstwaSafe) {
  auto f = NewLine();
  OpenRW(*f);
  AddSublayers(*f, 2);
  f->AddRecord(LineRec(1, 1, 1, 1, 0, 0));
  f->WriteRecord(1, LineRec(1, 1, 1, 1, 0, 2));
  EXPECT_EQ(f->Counters(2), std::make_pair(1, 0));
  ExpectRaise<EDBWarstwaError>([&] { f->DeleteLastPodwarstwa(); }, "Próba usunięcia niepustej podwarstwy");
  f->WriteRecord(1, LineRec(1, 1, 1, 1, 0, 1));
  EXPECT_EQ(f->Counters(1), std::make_pair(1, 0));
  EXPECT_EQ(f->Counters(2), std::make_pair(0, 1));  // the state it left, archived there
  f->MovePodwarstwa(2, 0);
  f->DeleteLastPodwarstwa();
  ASSERT_EQ(f->Close(), 0);
  OpenR(*f);
  ObjectSaveRecord rec;
  ASSERT_EQ(f->ReadRecordAt(1, rec), 0);
  EXPECT_EQ(rec.GetSublayer(), 1);
  ASSERT_EQ(f->Close(), 0);
}

// The rebuild keeps a packet's old flags but for bit 2 (found again) and
// bit 3 (cleared by a live record), and sets bit 0; it used to keep only
// the full bit.
TEST_F(LayerMaintTest, UpdateIndexKeepsThePacketFlagsItDoesNotRecompute) {
  struct Case {
    std::uint32_t stored;
    bool archived;  // the packet also holds an archived record
    std::uint32_t rebuilt;
  };
  const Case cases[] = {
      {0, false, kPacketCells},
      {kPacketZeroCell | kPacketNoLive, false, kPacketCells},
      {kPacketOutside | 0x20, false, kPacketCells | kPacketOutside | 0x20},
      {0x80000000u | kPacketCells, true, 0x80000000u | kPacketCells | kPacketZeroCell},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    std::filesystem::remove(PathOf("flagi-----.l"));
    auto f = NewLine("flagi-----.l");
    OpenRW(*f);
    for (int i = 1; i <= 3; ++i) f->AddRecord(LineRec(i, i, i, i));
    if (c.archived) f->MoveToArch(2, 0);
    ASSERT_EQ(f->Close(), 0);
    Bytes b = ReadBytes(f->Path());
    PutU32(&b[5632 + 4], c.stored);
    WriteBytes(f->Path(), b);
    f->UpdateIndex();
    b = ReadBytes(f->Path());
    EXPECT_EQ(GetU32(&b[5632 + 4]), c.rebuilt);
    EXPECT_EQ(GetU16(&b[5632 + 2]), 3);
  }
}

// ---- a slot count of 0 ----

// A descriptor whose slot count is 0 used to be refused by Open, so the
// repair of FixHeader never ran. The file opens; until the repair every
// record operation refuses it; the repair takes (length - 512) div 512, at
// most 10, and the records are then where they were. A count the packets
// do not fit (the file had 15 slots) is refused and nothing changes.
TEST_F(LayerMaintTest, SlotCountOfZeroOpensAndFixHeaderRepairsIt) {
  auto f = NewLine();
  OpenRW(*f);
  AddSublayers(*f, 1);
  for (int i = 1; i <= 5; ++i) f->AddRecord(LineRec(i, i, i, i, 0, static_cast<std::uint8_t>(i % 2)));
  ASSERT_EQ(f->Close(), 0);
  const Bytes good = ReadBytes(f->Path());
  Bytes b = good;
  b[kDesc + kDescSlots] = 0;
  WriteBytes(f->Path(), b);
  OpenRW(*f);
  TMainWarstwaHeader m;
  f->ReadWarstwaHeader(m);
  EXPECT_EQ(m.Slots, 0);
  EXPECT_EQ(m.Highest, 1);
  ObjectSaveRecord rec;
  ExpectRaise<EDBError>([&] { f->ReadRecordAt(1, rec); }, "Błędna struktura pliku");
  ExpectRaise<EDBError>([&] { f->AddRecord(LineRec(9, 9, 9, 9)); }, "Błędna struktura pliku");
  ExpectRaise<EDBError>([&] { f->WriteRecord(1, LineRec(9, 9, 9, 9)); }, "Błędna struktura pliku");
  ExpectRaise<EDBError>([&] { f->MoveToArch(1, 0); }, "Błędna struktura pliku");
  EXPECT_EQ(f->ReadCurrent(rec), kDBNothing);
  EXPECT_EQ(f->SeekFirst({0, 0, 10, 10}, rec), kDBNothing);
  EXPECT_EQ(ReadBytes(f->Path()), b);
  f->FixHeader();
  ASSERT_EQ(f->Close(), 0);
  EXPECT_EQ(ReadBytes(f->Path()), good);
  OpenR(*f);
  EXPECT_EQ(RectScan(*f, {0, 0, 10, 10}), (std::vector<std::uint32_t>{1, 2, 3, 4, 5}));
  ASSERT_EQ(f->ReadRecordAt(4, rec), 0);
  EXPECT_EQ(rec.GetSublayer(), 0);
  ASSERT_EQ(f->Close(), 0);

  // A new file of 10 slots without packets, and one of 15 slots.
  for (const int slots : {10, 15}) {
    SCOPED_TRACE(slots);
    auto g = NewLine("zero" + std::to_string(slots) + "----.l", slots);
    OpenRW(*g);
    g->AddRecord(LineRec(1, 1, 1, 1));
    ASSERT_EQ(g->Close(), 0);
    Bytes z = ReadBytes(g->Path());
    z[kDesc + kDescSlots] = 0;
    WriteBytes(g->Path(), z);
    OpenRW(*g);
    if (slots == 10) {
      g->FixHeader();
    } else {
      ExpectRaise<EDBError>([&] { g->FixHeader(); }, "Błędna struktura pliku");
    }
    ASSERT_EQ(g->Close(), 0);
    const Bytes after = ReadBytes(g->Path());
    EXPECT_EQ(after[kDesc + kDescSlots], slots == 10 ? 10 : 0);
    z[kDesc + kDescSlots] = static_cast<std::uint8_t>(slots == 10 ? 10 : 0);
    EXPECT_EQ(after, z);
  }
}

// ---- CleanWarstwa ----

TEST_F(LayerMaintTest, CleanWarstwaWithAndWithoutBackup) {
  for (bool backup : {false, true}) {
    SCOPED_TRACE(backup ? "backup" : "no backup");
    auto f = NewLine(backup ? "kopia-----.l" : "pusta-----.l", 12);
    OpenRW(*f);
    AddSublayers(*f, 2);
    TMainWarstwaHeader mh;
    mh.Description = "Działki";
    f->WriteWarstwaHeader(mh);
    for (int i = 1; i <= 4200; ++i) f->AddRecord(LineRec(i, i, i, i, 0, static_cast<std::uint8_t>(i % 3)));
    f->MoveToArch(3, 0);
    f->DeleteOldArch(0xFFFFFFFFu);
    ASSERT_EQ(f->Close(), 0);
    // Slot 5, above the highest sublayer, holds counts of its own.
    Bytes held = ReadBytes(f->Path());
    PutI32(&held[static_cast<std::size_t>(SlotOffset(5) + kCountersOffset)], 7);
    PutI32(&held[static_cast<std::size_t>(SlotOffset(5) + kCountersOffset + 4)], 2);
    WriteBytes(f->Path(), held);
    const Bytes before = ReadBytes(f->Path());
    std::string dir;
    if (backup) {
      dir = PathOf("zapas");
      std::filesystem::create_directories(dir);
    }
    f->CleanWarstwa(dir);
    EXPECT_FALSE(f->IsOpen());
    const Bytes after = ReadBytes(f->Path());
    ASSERT_EQ(after.size(), 512u + 512u * 12);
    EXPECT_EQ(GetU16(&after[kDesc + kDescPackets]), 0);
    EXPECT_EQ(GetU32(&after[kDesc + kDescFreeHead]), 0u);
    EXPECT_EQ(GetU32(&after[kDesc + kDescFreeCount]), 0u);
    EXPECT_EQ(GetU32(&after[kDesc + kDescAdded]), 0u);
    for (int i = 0; i <= 2; ++i) EXPECT_EQ(StoredCounters(after, i), std::make_pair(0, 0));
    // Everything else of the header and the slots stays.
    Bytes expected(before.begin(), before.begin() + static_cast<std::ptrdiff_t>(after.size()));
    PutU16(&expected[kDesc + kDescPackets], 0);
    PutU32(&expected[kDesc + kDescFreeHead], 0);
    PutU32(&expected[kDesc + kDescFreeCount], 0);
    PutU32(&expected[kDesc + kDescAdded], 0);
    // Without a backup the counters of sublayers 0 to the highest are
    // cleared (every slot's were); with one, those of every slot.
    for (int i = 0; i < (backup ? 12 : 3); ++i)
      std::fill_n(expected.begin() + SlotOffset(i) + kCountersOffset, 8, std::uint8_t{0});
    EXPECT_EQ(StoredCounters(after, 5), backup ? std::make_pair(0, 0) : std::make_pair(7, 2));
    EXPECT_EQ(after, expected);
    if (backup) {
      EXPECT_EQ(ReadBytes(dir + "/" + f->FileName()), before);
      EXPECT_FALSE(std::filesystem::exists(TempOf(*f)));
    }
    OpenRW(*f);
    f->ReadWarstwaHeader(mh);
    EXPECT_EQ(mh.Description, "Działki");
    EXPECT_EQ(mh.Highest, 2);
    EXPECT_EQ(f->AddRecord(LineRec(1, 1, 1, 1)), 1);
    ObjectSaveRecord rec;
    EXPECT_EQ(f->ReadCurrent(rec), 0);
    EXPECT_EQ(f->ReadRecord(rec), kDBEnd);
    ASSERT_EQ(f->Close(), 0);
  }
}

// A backup already in the folder is never replaced; a failed copy into the
// backup folder leaves the layer and no partial copy; the refusals of a
// read-only database and an open file.
TEST_F(LayerMaintTest, CleanWarstwaRefusalsAndFailuresKeepTheLayer) {
  auto f = NewLine();
  OpenRW(*f);
  for (int i = 1; i <= 3000; ++i) f->AddRecord(LineRec(i, i, i, i));
  ASSERT_EQ(f->Close(), 0);
  const Bytes before = ReadBytes(f->Path());
  const std::string dir = PathOf("zapas");
  std::filesystem::create_directories(dir);
  const std::string backup = dir + "/" + f->FileName();

  {
    platform::FaultScope fault({platform::FaultOp::Write, 2, false, "zapas"});
    ExpectRaise<EDBWarstwaError>([&] { f->CleanWarstwa(dir); }, "Nie można utworzyć kopii " + backup,
                                 static_cast<int>(platform::kErrorDiskFull));
  }
  EXPECT_EQ(ReadBytes(f->Path()), before);
  EXPECT_FALSE(std::filesystem::exists(backup));
  {
    platform::FaultScope fault({platform::FaultOp::Rename, 1, false, "~"});
    ExpectRaise<EDBWarstwaError>([&] { f->CleanWarstwa(dir); }, "Nie można utworzyć pliku " + f->Path());
  }
  EXPECT_EQ(ReadBytes(f->Path()), before);
  EXPECT_FALSE(std::filesystem::exists(backup));
  EXPECT_FALSE(std::filesystem::exists(TempOf(*f)));
  {
    platform::FaultScope fault({platform::FaultOp::Write, 1, false, "~"});
    ExpectRaise<EDBWarstwaError>([&] { f->CleanWarstwa(""); }, "Nie można utworzyć pliku " + f->Path(),
                                 static_cast<int>(platform::kErrorDiskFull));
  }
  EXPECT_EQ(ReadBytes(f->Path()), before);
  EXPECT_FALSE(std::filesystem::exists(TempOf(*f)));
  EXPECT_FALSE(f->IsOpen());

  WriteBytes(backup, Bytes{1, 2, 3});
  ExpectRaise<EDBWarstwaError>([&] { f->CleanWarstwa(dir); }, "Nie można utworzyć kopii " + backup,
                               static_cast<int>(platform::kErrorAlreadyExists));
  EXPECT_EQ(ReadBytes(backup), (Bytes{1, 2, 3}));
  EXPECT_EQ(ReadBytes(f->Path()), before);

  ExpectRaise<EDBWarstwaError>([&] { f->CleanWarstwa(PathOf("brak")); },
                               "Nie można utworzyć kopii " + PathOf("brak") + "/" + f->FileName());
  OpenR(*f);
  ExpectRaise<EInternalError>([&] { f->CleanWarstwa(""); }, "Warstwa otwarta");
  ASSERT_EQ(f->Close(), 0);
  base_.readOnly = true;
  ExpectRaise<EAccessViolation>([&] { f->CleanWarstwa(""); }, "Warstwa tylko do odczytu");
  base_.readOnly = false;
  EXPECT_EQ(ReadBytes(f->Path()), before);
}

// ---- TransformWarstwa ----

TEST_F(LayerMaintTest, TransformInPlaceTransformsArchiveTooAndRebuildsTheIndex) {
  auto f = NewLine();
  auto t = NewText();
  OpenRW(*f);
  OpenRW(*t);
  for (int i = 1; i <= 4100; ++i) {
    f->AddRecord(LineRec(i, 0, i, 1, static_cast<std::uint8_t>(i % 2), 0, 2));
    t->AddRecord(TextRec(i, 0, "x"));
  }
  f->MoveToArch(7, 0);
  t->MoveToArch(7, 0);
  ASSERT_EQ(f->Close(), 0);
  ASSERT_EQ(t->Close(), 0);
  TAffineMatrix m;  // x' = 2x + 1000, y' = 2y + 500
  m.a = 2, m.c = 1000, m.e = 2, m.f = 500, m.s = 2;
  f->TransformWarstwa(m, "");
  t->TransformWarstwa(m, "");
  EXPECT_FALSE(f->IsOpen());
  for (auto* file : {static_cast<TNewTextLinWarstwaFile*>(f.get()), static_cast<TNewTextLinWarstwaFile*>(t.get())}) {
    const Bytes b = ReadBytes(file->Path());
    EXPECT_NE(GetU32(&b[kDesc + kDescKind]) & kKindIndexValid, 0u);
    const PacketHeader p0 = PacketAt(b, 0, 10, file->RecordSize());
    EXPECT_NE(p0.flags & kPacketCells, 0u);
    EXPECT_EQ(p0.x0, 1002);
    OpenR(*file);
    ObjectSaveRecord rec;
    ASSERT_EQ(file->ReadRecordAt(7, rec), 0);  // archived records too
    EXPECT_TRUE(rec.IsArchived());
    EXPECT_EQ(rec.GetDouble(kRecP1X), 1014);
    EXPECT_EQ(rec.GetDouble(kRecP1Y), 500);
    ASSERT_EQ(file->ReadRecordAt(4100, rec), 0);
    EXPECT_EQ(rec.GetDouble(kRecP1X), 9200);
    EXPECT_EQ(RectScan(*file, {1011, 499, 1016, 501}), (std::vector<std::uint32_t>{6, 8}));
    ASSERT_EQ(file->Close(), 0);
  }
  OpenR(*f);
  ObjectSaveRecord rec;
  ASSERT_EQ(f->ReadRecordAt(3, rec), 0);  // an arc: the radius doubles
  EXPECT_EQ(rec.GetDouble(kRecRadius), 4);
  EXPECT_EQ(rec.GetDouble(kRecP2Y), 502);
  ASSERT_EQ(f->Close(), 0);
  OpenR(*f);
  ExpectRaise<EInternalError>([&] { f->TransformWarstwa(m, ""); }, "Warstwa otwarta");
  ASSERT_EQ(f->Close(), 0);
}

// Export: a transformed copy in the target folder, the source unchanged;
// refused without the export right with nothing created; never over the
// source itself; a copy that failed is removed.
TEST_F(LayerMaintTest, TransformExportWritesATransformedCopyOnly) {
  auto f = NewLine();
  OpenRW(*f);
  for (int i = 1; i <= 50; ++i) f->AddRecord(LineRec(i, i, i, i));
  ASSERT_EQ(f->Close(), 0);
  const Bytes before = ReadBytes(f->Path());
  TAffineMatrix m;
  m.c = 100;
  const std::string out = PathOf("eksport");
  std::filesystem::create_directories(out);
  f->TransformWarstwa(m, out);
  EXPECT_EQ(ReadBytes(f->Path()), before);
  TNewLinWarstwaFile copy(&base_, out, f->FileName());
  OpenR(copy);
  ObjectSaveRecord rec;
  ASSERT_EQ(copy.ReadRecordAt(50, rec), 0);
  EXPECT_EQ(rec.GetDouble(kRecP1X), 150);
  EXPECT_EQ(RectScan(copy, {101, 0, 103, 100}), (std::vector<std::uint32_t>{1, 2, 3}));
  ASSERT_EQ(copy.Close(), 0);

  NoExportBase noExport;
  TNewLinWarstwaFile unrighted(&noExport, Dir(), f->FileName());
  const std::string out2 = PathOf("eksport2");
  std::filesystem::create_directories(out2);
  ExpectRaise<EAccessViolation>([&] { unrighted.TransformWarstwa(m, out2); }, "Brak praw do eksportu");
  EXPECT_TRUE(std::filesystem::is_empty(out2));
  // In place it is not an export.
  unrighted.TransformWarstwa(m, "");
  EXPECT_NE(ReadBytes(f->Path()), before);
  WriteBytes(f->Path(), before);

  ExpectRaise<EDBWarstwaCreate>([&] { f->TransformWarstwa(m, Dir()); },
                                "Nie można utworzyć pliku " + f->Path());
  EXPECT_EQ(ReadBytes(f->Path()), before);
  {
    platform::FaultScope fault({platform::FaultOp::Write, 1, false, "eksport2"});
    EXPECT_THROW(f->TransformWarstwa(m, out2), EDBWarstwaError);
  }
  EXPECT_TRUE(std::filesystem::is_empty(out2));
  EXPECT_EQ(ReadBytes(f->Path()), before);
}

// ---- two processes ----

// While another process reads the layer, every exclusive maintenance open
// fails at once with the sharing violation; afterwards they work.
TEST_F(LayerMaintTest, ExclusiveOpensFailAtOnceWhileAnotherProcessReads) {
  auto f = NewLine("wspolna---.l");
  OpenRW(*f);
  for (int i = 1; i <= 10; ++i) f->AddRecord(LineRec(i, i, i, i));
  ASSERT_EQ(f->Close(), 0);
  const Bytes before = ReadBytes(f->Path());
  PeerProcess peer(HELPER_LAYERPEER);
  ASSERT_EQ(peer.Ask("open " + f->Path() + " 0"), "ok 0");
  const int sharing = static_cast<int>(platform::kErrorSharingViolation);
  const std::string cannot = "Nie można otworzyć pliku " + f->Path();
  ExpectRaise<EDBError>([&] { f->UpdateIndex(); }, "", sharing);
  ExpectRaise<EDBWarstwaError>([&] { f->AddPodwarstwaHeaderSpace(1); }, cannot, sharing);
  ExpectRaise<EDBWarstwaError>([&] { f->CleanWarstwa(""); }, cannot, sharing);
  ExpectRaise<EDBWarstwaError>([&] { f->TransformWarstwa(TAffineMatrix{}, ""); }, cannot, sharing);
  EXPECT_FALSE(f->IsOpen());
  EXPECT_EQ(ReadBytes(f->Path()), before);
  EXPECT_EQ(peer.Ask("close"), "ok 0");
  f->UpdateIndex();
  f->AddPodwarstwaHeaderSpace(1);
  // Nothing is left held.
  EXPECT_EQ(peer.Ask("open " + f->Path() + " 0"), "ok 0");
  EXPECT_EQ(peer.Ask("close"), "ok 0");
}

// ---- the interface entries ----

namespace {

class LayerMaintApiTest : public LayerTest {
protected:
  void SetUp() override {
    LayerTest::SetUp();
    std::filesystem::create_directories(PathOf("kat"));
    cat_ = PathOf("kat") + "/";
    TMainWarstwaHeader h;
    h.Kind = 1;
    h.Slots = 10;
    TNewLinWarstwaFile::CreateNew(&base_, cat_, h, "DROGI---.--l");
    std::ofstream(PathOf("baza.ini")) << "[baza]\nGmina=Gmina\n[Gmina]\nKat1=" << cat_ << "\n";
    store_ = std::make_unique<TLayerStore>(PathOf("baza.ini"));
  }
  void TearDown() override {
    store_.reset();
    UserManager().Load(PathOf("brak.dat"));
  }
  TNewTextLinWarstwaFile* Open(std::uint16_t user) {
    TBaza* baza = DBInt::OpenBase(*store_, user, "Gmina");
    TAllWarstwaHeader e;
    TNewTextLinWarstwaFile* drogi = nullptr;
    for (int r = DBInt::GetWarstwyList(*store_, e, baza); r == kDBOk;
         r = DBInt::GetWzorceList(*store_, e, baza))
      if (e.Name == "DROGI") drogi = dynamic_cast<TNewTextLinWarstwaFile*>(e.File);
    return drogi;
  }
  std::string cat_;
  std::unique_ptr<TLayerStore> store_;
};

}  // namespace

TEST_F(LayerMaintApiTest, EntriesForwardAndRefuse) {
  TNewLinWarstwaFile stray(&base_, cat_, "DROGI---.--l");
  ExpectRaise<ENotLoggedIn>([&] { DBInt::UpdateIndex(*store_, &stray, nullptr); }, "");
  ExpectRaise<ENotLoggedIn>([&] { DBInt::CleanWarstwa(*store_, &stray, ""); }, "Nie wlogowany");
  ExpectRaise<ENotLoggedIn>([&] { DBInt::MovePodwarstwa(*store_, &stray, 0, -1); }, "Nie wlogowany");

  TNewTextLinWarstwaFile* drogi = Open(0);
  ASSERT_NE(drogi, nullptr);
  EXPECT_THROW(DBInt::UpdateIndex(*store_, &stray, nullptr), EInvalidHandle);
  ASSERT_EQ(DBInt::OpenWarstwa(*store_, drogi, false), kDBOk);
  TWarstwaHeader h;
  store_->WritePodwarstwaHeader(drogi, 1, h);
  for (int i = 1; i <= 6; ++i) store_->AddRecord(drogi, LineRec(i, i, i, i, 0, static_cast<std::uint8_t>(i % 2)));
  store_->MoveToArch(drogi, 1, 0);
  // Target -1 empties the source sublayer, archive included.
  DBInt::MovePodwarstwa(*store_, drogi, 1, -1);
  EXPECT_EQ(drogi->Counters(1), std::make_pair(0, 0));
  EXPECT_EQ(drogi->Counters(0), std::make_pair(3, 0));
  DBInt::MovePodwarstwa(*store_, drogi, 0, 1);
  EXPECT_EQ(drogi->Counters(1), std::make_pair(3, 0));
  DBInt::DeleteOldArch(*store_, drogi, 0, nullptr);
  ASSERT_EQ(DBInt::CloseWarstwa(*store_, drogi), kDBOk);
  DBInt::UpdateIndex(*store_, drogi, nullptr);
  DBInt::AddPodwarstwaHeaderSpace(*store_, drogi, 10);
  ExpectRaise<EInternalError>([&] { DBInt::TransformWarstwa(*store_, drogi, TAffineMatrix{}, "", nullptr); },
                              "DBDll.TransformWarstwa");
  const std::string out = PathOf("eksport");
  std::filesystem::create_directories(out);
  DBInt::TransformWarstwa(*store_, drogi, TAffineMatrix{}, out, nullptr);
  EXPECT_TRUE(std::filesystem::exists(out + "/DROGI---.--l"));
  DBInt::CleanWarstwa(*store_, drogi, "");
  EXPECT_EQ(std::filesystem::file_size(drogi->Path()), 512u + 512u * 20);
}

// A logged-on user gets the rights of his record: without them no export
// and no rewriting of the layer.
TEST_F(LayerMaintApiTest, RightsOfTheLoggedOnUser) {
  TUsersFileEditor editor;
  editor.New();
  editor.AddUser(5, "czytelnik", "Czytelnik");
  ASSERT_EQ(editor.Save(PathOf("users.dat")), kUsersOk);
  ASSERT_EQ(UserManager().Load(PathOf("users.dat")), kUsersOk);
  TNewTextLinWarstwaFile* drogi = Open(5);
  ASSERT_NE(drogi, nullptr);
  const std::string out = PathOf("eksport");
  std::filesystem::create_directories(out);
  ExpectRaise<EAccessViolation>([&] { DBInt::TransformWarstwa(*store_, drogi, TAffineMatrix{}, out, nullptr); },
                                "Brak praw do eksportu");
  ExpectRaise<EAccessViolation>([&] { DBInt::CleanWarstwa(*store_, drogi, ""); }, "Warstwa tylko do odczytu");
  ExpectRaise<EAccessViolation>([&] { DBInt::AddPodwarstwaHeaderSpace(*store_, drogi, 1); },
                                "Warstwa tylko do odczytu");
  EXPECT_TRUE(std::filesystem::is_empty(out));
}
