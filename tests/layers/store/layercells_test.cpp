// The index rebuild's steps of the line and text files (cells and extent of
// a packet, the recount of the sublayer counters) and the repair of the
// stored sublayer headers and parameter blocks.
#include <gtest/gtest.h>

#include <cstring>

#include "layer_fixture.h"
#include "layers/store/dberrors.h"

using namespace layerfmt;

namespace {

constexpr std::uint32_t kLive = kRecInUse;
constexpr std::uint32_t kArch = kRecInUse | kRecArchivedBit;
constexpr std::uint32_t kFree = 0;
constexpr std::uint32_t kUntouched = 0xDEADBEEFu;

// A stored record of the file's kind with the given state bits.
Bytes Stored(const TNewTextLinWarstwaFile& f, const ObjectSaveRecord& rec, std::uint32_t state) {
  Bytes b(static_cast<std::size_t>(f.RecordSize()), 0);
  f.EncodeRecord(rec, b.data());
  PutU32(b.data(), (GetU32(b.data()) & 0x1Fu) | state);
  if (state == kFree) PutU32(b.data(), 0);
  return b;
}

Bytes Joined(const std::vector<Bytes>& records) {
  Bytes all;
  for (const Bytes& r : records) all.insert(all.end(), r.begin(), r.end());
  return all;
}

std::uint32_t LineEntry(int x1, int y1, int x2, int y2) {
  return static_cast<std::uint32_t>(x1 | (y1 << 8) | (x2 << 16)) | (static_cast<std::uint32_t>(y2) << 24);
}

std::uint32_t TextEntry(int x, int y) {
  return static_cast<std::uint32_t>(x) | (static_cast<std::uint32_t>(y) << 16);
}

PacketHeader EmptyExtent(std::uint16_t count) {
  PacketHeader p;
  p.count = count;
  p.flags = kPacketNoLive;
  p.x0 = p.y0 = 1.7e308;
  return p;
}

}  // namespace

class LayerCellsTest : public LayerTest {};

// Line packets: byte cells of the live records with the unclamped rule (the
// far edge of the extent gives 254); a circle leaves its last two bytes 0;
// archived and free slots get 0; slots beyond the count or beyond the bytes
// read are not touched.
TEST_F(LayerCellsTest, FillCellsOfLinePackets) {
  auto f = NewLine();
  PacketHeader p;
  p.x0 = 100, p.y0 = 50, p.dx = 100, p.dy = 50;
  struct Case {
    const char* name;
    Bytes record;
    std::uint32_t entry;
  };
  const Case cases[] = {
      {"live line corner to far corner", Stored(*f, LineRec(100, 50, 200, 100), kLive), LineEntry(2, 2, 254, 254)},
      {"live arc in the middle", Stored(*f, LineRec(150, 75, 125, 62.5, 1), kLive), LineEntry(128, 128, 65, 65)},
      {"live circle", Stored(*f, LineRec(150, 75, 200, 100, 2, 0, 5), kLive), LineEntry(128, 128, 0, 0)},
      {"live point", Stored(*f, LineRec(200, 50, 200, 50, 3), kLive), LineEntry(254, 2, 254, 2)},
      {"archived line", Stored(*f, LineRec(150, 75, 150, 75), kArch), 0},
      {"free slot", Stored(*f, LineRec(150, 75, 150, 75), kFree), 0},
  };
  std::vector<Bytes> records;
  for (const Case& c : cases) records.push_back(c.record);
  records.push_back(Stored(*f, LineRec(150, 75, 150, 75), kLive));  // beyond the count
  const Bytes all = Joined(records);
  p.count = static_cast<std::uint16_t>(std::size(cases));
  std::vector<std::uint32_t> cells(kRecordsPerPacket, kUntouched);
  f->FillCells(all, cells, p);
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(cells[i], cases[i].entry) << cases[i].name << std::hex << " got " << cells[i];
  EXPECT_EQ(cells[std::size(cases)], kUntouched);

  // A packet whose count promises more slots than the file held.
  std::vector<std::uint32_t> shortCells(kRecordsPerPacket, kUntouched);
  p.count = 4000;
  f->FillCells(std::span(all).first(2 * 74 + 30), shortCells, p);
  EXPECT_EQ(shortCells[0], cases[0].entry);
  EXPECT_EQ(shortCells[1], cases[1].entry);
  EXPECT_EQ(shortCells[2], kUntouched);
}

// Text packets: word cells of the insertion point of each text kind; kinds
// 5 to 7, archived and free records get 0.
TEST_F(LayerCellsTest, FillCellsOfTextPackets) {
  auto f = NewText();
  PacketHeader p;
  p.x0 = -10, p.y0 = 0, p.dx = 20, p.dy = 8;
  struct Case {
    const char* name;
    Bytes record;
    std::uint32_t entry;
  };
  auto text = [&](double x, double y, std::uint8_t kind, std::uint32_t state) {
    ObjectSaveRecord r = TextRec(x, y, "abc", kind);
    // The second point of kinds 0 and 1 is no indexed point.
    r.SetDouble(93, 1000);
    r.SetDouble(101, 1000);
    return Stored(*f, r, state);
  };
  const Case cases[] = {
      {"kind 0 at the origin", text(-10, 0, 0, kLive), TextEntry(2, 2)},
      {"kind 1 at the far corner", text(10, 8, 1, kLive), TextEntry(65534, 65534)},
      {"kind 2 in the middle", text(0, 4, 2, kLive), TextEntry(32768, 32768)},
      {"kind 3 at a quarter", text(-5, 2, 3, kLive), TextEntry(16385, 16385)},
      {"kind 4 symbol", text(10, 0, 4, kLive), TextEntry(65534, 2)},
      {"kind 5 has no point", text(0, 4, 5, kLive), 0},
      {"archived", text(0, 4, 2, kArch), 0},
      {"free", text(0, 4, 2, kFree), 0},
  };
  std::vector<Bytes> records;
  for (const Case& c : cases) records.push_back(c.record);
  const Bytes all = Joined(records);
  p.count = static_cast<std::uint16_t>(std::size(cases));
  std::vector<std::uint32_t> cells(kRecordsPerPacket, kUntouched);
  f->FillCells(all, cells, p);
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(cells[i], cases[i].entry) << cases[i].name << std::hex << " got " << cells[i];
  EXPECT_EQ(cells[std::size(cases)], kUntouched);
}

// The extent and flags of a line packet and the recount: every record in use
// is counted (live or archived) in its sublayer unless its sublayer is above
// the highest; only live records widen the extent, a circle by its centre.
TEST_F(LayerCellsTest, AddToExtentOfLinePackets) {
  auto f = NewLine();
  OpenRW(*f);
  TWarstwaHeader h;
  h.Type = 5;
  f->WritePodwarstwaHeader(h, 1);
  f->WritePodwarstwaHeader(h, 2);  // highest 2
  const std::vector<Bytes> records = {
      Stored(*f, LineRec(1, 2, 3, 4, 0, 0), kLive),
      Stored(*f, LineRec(10, -5, 900, 900, 2, 1, 5), kLive),  // circle: centre only
      Stored(*f, LineRec(-100, -100, 500, 500, 0, 1), kArch),
      Stored(*f, LineRec(-200, -200, 600, 600, 0, 1), kFree),
      Stored(*f, LineRec(20, 30, 20, 30, 3, 5), kLive),       // above the highest
      Stored(*f, LineRec(-300, -300, 700, 700, 0, 2), kArch),
      Stored(*f, LineRec(-400, -400, 800, 800, 0, 7), kArch),  // above the highest
  };
  const Bytes all = Joined(records);
  PacketHeader p = EmptyExtent(static_cast<std::uint16_t>(records.size()));
  TRealPoint max{-1.7e308, -1.7e308};
  f->AddToExtent(all, p, max);
  EXPECT_EQ(p.x0, 1);
  EXPECT_EQ(p.y0, -5);
  EXPECT_EQ(max.X, 20);
  EXPECT_EQ(max.Y, 30);
  EXPECT_EQ(p.flags, kPacketZeroCell);
  EXPECT_EQ(f->Counters(0), std::make_pair(1, 0));
  EXPECT_EQ(f->Counters(1), std::make_pair(1, 1));
  EXPECT_EQ(f->Counters(2), std::make_pair(0, 1));

  struct Case {
    const char* name;
    std::vector<std::uint32_t> states;
    std::uint32_t flags;
  };
  const Case cases[] = {
      {"all live", {kLive, kLive}, 0},
      {"all archived", {kArch, kArch}, kPacketNoLive | kPacketZeroCell},
      {"live and free", {kFree, kLive}, kPacketZeroCell},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Bytes> rs;
    for (std::uint32_t s : c.states) rs.push_back(Stored(*f, LineRec(7, 8, 9, 10), s));
    PacketHeader q = EmptyExtent(static_cast<std::uint16_t>(rs.size()));
    TRealPoint m{-1.7e308, -1.7e308};
    f->AddToExtent(Joined(rs), q, m);
    EXPECT_EQ(q.flags, c.flags);
    const bool live = (c.flags & kPacketNoLive) == 0;
    EXPECT_EQ(q.x0, live ? 7 : 1.7e308);
    EXPECT_EQ(m.Y, live ? 10 : -1.7e308);
  }
  // Used slots the file does not hold leave a slot without a cell.
  PacketHeader q = EmptyExtent(3);
  TRealPoint m{-1.7e308, -1.7e308};
  f->AddToExtent(Stored(*f, LineRec(7, 8, 9, 10), kLive), q, m);
  EXPECT_EQ(q.flags, kPacketZeroCell);
}

// Text packets widen the extent by the insertion point of the kind only.
TEST_F(LayerCellsTest, AddToExtentOfTextPackets) {
  auto f = NewText();
  OpenRW(*f);
  TWarstwaHeader h;
  h.Type = 4;
  f->WritePodwarstwaHeader(h, 1);
  auto text = [&](double x, double y, std::uint8_t kind, std::uint8_t sub, std::uint32_t state) {
    ObjectSaveRecord r = TextRec(x, y, "abc", kind, sub);
    r.SetDouble(93, 1000);
    r.SetDouble(101, -1000);
    return Stored(*f, r, state);
  };
  const std::vector<Bytes> records = {
      text(5, 6, 0, 0, kLive),    text(-1, 7, 4, 1, kLive), text(-50, -50, 2, 1, kArch),
      text(50, 50, 3, 3, kLive),  // above the highest: not counted, but indexed
      text(-60, 60, 5, 0, kLive),  // no insertion point
  };
  PacketHeader p = EmptyExtent(static_cast<std::uint16_t>(records.size()));
  TRealPoint max{-1.7e308, -1.7e308};
  f->AddToExtent(Joined(records), p, max);
  EXPECT_EQ(p.x0, -1);
  EXPECT_EQ(p.y0, 6);
  EXPECT_EQ(max.X, 50);
  EXPECT_EQ(max.Y, 50);
  EXPECT_EQ(p.flags, kPacketZeroCell);
  EXPECT_EQ(f->Counters(0), std::make_pair(2, 0));
  EXPECT_EQ(f->Counters(1), std::make_pair(1, 1));
}

class LayerFixHeaderTest : public LayerTest {};

// Bad headers and parameter blocks of every sublayer in use are repaired and
// written back; good ones, sublayers above the highest and everything else
// in the file keep their bytes.
TEST_F(LayerFixHeaderTest, RepairsBadBlocksOfEverySlotAndLeavesGoodOnes) {
  auto f32 = [](Bytes& b, std::size_t at, float v) { PutF32(&b[at], v); };
  for (bool line : {true, false}) {
    SCOPED_TRACE(line ? "line file" : "text file");
    std::unique_ptr<TNewTextLinWarstwaFile> f;
    if (line) f = NewLine("napr-----.-l");
    else f = NewText("napr-----.-t");
    OpenRW(*f);
    TWarstwaHeader h;
    h.Type = line ? 5 : 4;
    for (int i = 1; i <= 4; ++i) f->WritePodwarstwaHeader(h, i);  // highest 4
    ASSERT_EQ(f->Close(), 0);

    Bytes b = ReadBytes(f->Path());
    auto slot = [](int i) { return static_cast<std::size_t>(SlotOffset(i)); };
    const std::size_t block = static_cast<std::size_t>(kParamBlockOffset);
    // Sublayer 0: colour high byte; its block is good.
    b[slot(0) + kSubColour + 3] = 1;
    // Sublayer 1: too wide; its block bad.
    f32(b, slot(1) + kSubWidth, 1500.0f);
    if (line) f32(b, slot(1) + block + 13, 0.0f);
    else f32(b, slot(1) + block + 4, 0.0f);
    // Sublayer 2: good header; block bad (line: second width; text: multiplier).
    if (line) f32(b, slot(2) + block + 8, 2000.0f);
    else f32(b, slot(2) + block + 4, 0.0f);
    // Sublayer 3: good, with short stored lengths that need no other repair.
    PutU16(&b[slot(3)], 120);
    PutU16(&b[slot(3) + block], line ? 15 : 40);
    // Sublayer 4: exactly the limits.
    f32(b, slot(4) + kSubWidth, 1000.0f);
    if (line) f32(b, slot(4) + block + 4, 1000.0f);
    // Sublayer 5, above the highest: bad, not looked at.
    b[slot(5) + kSubColour + 3] = 9;
    f32(b, slot(5) + kSubWidth, 5000.0f);
    WriteBytes(f->Path(), b);

    OpenRW(*f);
    TWarstwaHeader got;
    EXPECT_THROW(f->ReadPodwarstwaHeader(got, 1), EDBWarstwaError);
    f->FixHeader();
    for (int i = 0; i <= 4; ++i) EXPECT_NO_THROW(f->ReadPodwarstwaHeader(got, i)) << i;
    ASSERT_EQ(f->Close(), 0);

    Bytes want = b;
    want[slot(0) + kSubColour + 3] = 0;
    f32(want, slot(1) + kSubWidth, 1000.0f);
    if (line) {
      f32(want, slot(1) + block + 13, 1.0f);
      f32(want, slot(2) + block + 8, 1000.0f);
    } else {
      f32(want, slot(1) + block + 4, 1.0f);
      f32(want, slot(2) + block + 4, 1.0f);
    }
    EXPECT_EQ(ReadBytes(f->Path()), want);
  }
}

TEST_F(LayerFixHeaderTest, NeedsAFileOpenForWriting) {
  auto f = NewLine();
  EXPECT_THROW(f->FixHeader(), ENotOpen);
  OpenR(*f);
  EXPECT_THROW(f->FixHeader(), EAccessError);
}

// A stored header shorter than the counts reads them as 0; writing the
// repaired header back must not put those zeros over the counts in the file.
TEST_F(LayerFixHeaderTest, FixHeaderOfAShortHeaderKeepsTheRecordCounts) {
  auto f = NewLine();
  OpenRW(*f);
  for (int i = 0; i < 3; ++i) f->AddRecord(LineRec(i, i, i, i));
  f->MoveToArch(2, 0);
  ASSERT_EQ(f->Close(), 0);
  Bytes b = ReadBytes(f->Path());
  PutU16(&b[512], 108);   // colour read, counts not
  b[512 + kSubColour + 3] = 4;
  WriteBytes(f->Path(), b);
  OpenRW(*f);
  f->FixHeader();
  ASSERT_EQ(f->Close(), 0);
  b = ReadBytes(f->Path());
  EXPECT_EQ(b[512 + kSubColour + 3], 0);
  EXPECT_EQ(GetI32(&b[512 + kSubLive]), 2);
  EXPECT_EQ(GetI32(&b[512 + kSubArchived]), 1);
}

// The same with a sublayer header written by the dialogs: the counts of a
// short stored header were replaced by zeros that stayed in the file.
TEST_F(LayerFixHeaderTest, SublayerHeaderWriteOverAShortStoredHeaderZeroedTheCounts) {
  auto f = NewLine();
  OpenRW(*f);
  for (int i = 0; i < 4; ++i) f->AddRecord(LineRec(i, i, i, i));
  f->MoveToArch(1, 0);
  ASSERT_EQ(f->Close(), 0);
  Bytes b = ReadBytes(f->Path());
  PutU16(&b[512], 100);
  WriteBytes(f->Path(), b);
  OpenRW(*f);
  TWarstwaHeader h;
  f->ReadPodwarstwaHeader(h, 0);
  EXPECT_EQ(h.Live, 0);  // a stored header too short for its counts reads them as 0
  h.ShortName = "Granice";
  f->WritePodwarstwaHeader(h, 0);
  ASSERT_EQ(f->Close(), 0);
  b = ReadBytes(f->Path());
  EXPECT_EQ(GetU16(&b[512]), 128);
  EXPECT_EQ(GetI32(&b[512 + kSubLive]), 3);
  EXPECT_EQ(GetI32(&b[512 + kSubArchived]), 1);
  OpenR(*f);
  f->ReadPodwarstwaHeader(h, 0);
  EXPECT_EQ(h.ShortName, "Granice");
  EXPECT_EQ(h.Archived, 1);
}
