// What the writing operations leave in a packet that keeps index cells, and
// the parts of the text files the line tests do not reach: the text
// parameter block, the errors of a read by number and the identifier an
// archived text record takes; the checks of stored blocks on reading; the
// point test of a circle in the rectangle scan.
#include <gtest/gtest.h>

#include "layer_fixture.h"
#include "layers/store/dberrors.h"

using namespace layerfmt;

namespace {

std::uint32_t CellsOf(double x1, double y1, double x2, double y2) {
  return LineCell(x1, 0, 100) | (LineCell(y1, 0, 100) << 8) |
         (static_cast<std::uint32_t>(LineCell(x2, 0, 100)) << 16) |
         (static_cast<std::uint32_t>(LineCell(y2, 0, 100)) << 24);
}

}  // namespace

class LayerWriterTest : public LayerTest {};

// The packet of records 1 to 3 keeps cells against the extent 0..100. An
// added record gets its clamped cells, one outside the extent sets flag bit
// 4, archiving gives cell entry 0 and flag bit 2, a rewrite gives the new
// state's cells and its archived copy 0. The rectangle scan still finds the
// record outside the extent.
TEST_F(LayerWriterTest, WritesKeepTheCellsOfAPacketWithCells) {
  auto f = NewLine();
  OpenRW(*f);
  f->AddRecord(LineRec(0, 0, 10, 10));
  f->AddRecord(LineRec(50, 50, 60, 60));
  f->AddRecord(LineRec(100, 100, 90, 90));
  ASSERT_EQ(f->Close(), 0);
  Bytes b = ReadBytes(f->Path());
  const std::size_t start = 5632;
  PacketHeader h;
  h.count = 3;
  h.flags = kPacketCells;
  h.dx = h.dy = 100;
  const auto raw = EncodePacketHeader(h);
  std::copy(raw.begin(), raw.end(), b.begin() + static_cast<std::ptrdiff_t>(start));
  PutU32(&b[start + 48], CellsOf(0, 0, 10, 10));
  PutU32(&b[start + 52], CellsOf(50, 50, 60, 60));
  PutU32(&b[start + 56], CellsOf(100, 100, 90, 90));
  PutU32(&b[74], GetU32(&b[74]) | kKindIndexValid);
  WriteBytes(f->Path(), b);

  OpenRW(*f);
  EXPECT_EQ(f->AddRecord(LineRec(20, 20, 30, 30)), 4);
  EXPECT_EQ(f->AddRecord(LineRec(150, 50, 50, 50)), 5);  // first point beyond the extent
  f->MoveToArch(2, 0);
  EXPECT_EQ(f->WriteRecord(1, LineRec(40, 40, 41, 41)), 74);  // old state to slot 6
  ASSERT_EQ(f->Close(), 0);
  b = ReadBytes(f->Path());
  EXPECT_EQ(GetU16(&b[start + 2]), 6);
  const std::uint32_t flags = GetU32(&b[start + 4]);
  EXPECT_EQ(flags & (kPacketCells | kPacketZeroCell | kPacketNoLive | kPacketOutside),
            kPacketCells | kPacketZeroCell | kPacketOutside);
  EXPECT_EQ(GetF64(&b[start + 24]), 100.0);  // the extent is not changed by writes
  const std::uint32_t want[6] = {CellsOf(40, 40, 41, 41), 0, CellsOf(100, 100, 90, 90),
                                 CellsOf(20, 20, 30, 30), CellsOf(150, 50, 50, 50), 0};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(GetU32(&b[start + 48 + 4 * static_cast<std::size_t>(i)]), want[i]) << i;
  EXPECT_EQ(want[4] & 0xFF, 255u);

  OpenR(*f);
  std::vector<std::uint32_t> got;
  ObjectSaveRecord rec;
  for (int rc = f->SeekFirst({140, 40, 160, 60}, rec); rc == 0; rc = f->ReadNext(rec))
    got.push_back(rec.GetLong(kRecIndex));
  EXPECT_EQ(got, (std::vector<std::uint32_t>{5}));
  got.clear();
  for (int rc = f->SeekFirst({35, 35, 55, 55}, rec); rc == 0; rc = f->ReadNext(rec))
    got.push_back(rec.GetLong(kRecIndex));
  EXPECT_EQ(got, (std::vector<std::uint32_t>{1, 5}));  // 2 is archived
}

TEST_F(LayerWriterTest, TextSublayerHeaderKeepsItsTextPart) {
  auto f = NewText();
  OpenRW(*f);
  TWarstwaHeader h;
  h.ShortName = "Opisy";
  h.SizeMultiplier = 0;  // repaired to 1
  h.Justification = 7;
  h.Sizes = {1.5f, 2.5f, 3.5f, 4.5f};
  h.TextParam = "Łódź";
  h.Param38 = 0x11223344;
  h.Param42 = 0x55667788;
  h.Param46 = 0x99AA;
  h.Param48 = 0xBB;
  f->WritePodwarstwaHeader(h, 1);
  ASSERT_EQ(f->Close(), 0);
  const Bytes b = ReadBytes(f->Path());
  const std::size_t at = 1024 + 341;
  EXPECT_EQ(GetU16(&b[at]), 49);
  EXPECT_EQ(b[at + 2], 7);
  EXPECT_EQ(GetF32(&b[at + 4]), 1.0f);
  EXPECT_EQ(GetF32(&b[at + 20]), 4.5f);
  EXPECT_EQ(b[at + 24], 4);  // code page 1250: one byte a letter
  EXPECT_EQ(GetU32(&b[at + 38]), 0x11223344u);
  EXPECT_EQ(GetU32(&b[at + 42]), 0x55667788u);
  EXPECT_EQ(GetU16(&b[at + 46]), 0x99AA);
  EXPECT_EQ(b[at + 48], 0xBB);

  OpenR(*f);
  TWarstwaHeader g;
  f->ReadPodwarstwaHeader(g, 1);
  EXPECT_EQ(g.ShortName, "Opisy");
  EXPECT_EQ(g.SizeMultiplier, 1.0f);
  EXPECT_EQ(g.Justification, 7);
  EXPECT_EQ(g.Sizes, h.Sizes);
  EXPECT_EQ(g.TextParam, "Łódź");
  EXPECT_EQ(g.Param38, h.Param38);
  EXPECT_EQ(g.Param42, h.Param42);
  EXPECT_EQ(g.Param46, h.Param46);
  EXPECT_EQ(g.Param48, h.Param48);
  // Sublayers above the highest read as the defaults of a text sublayer.
  f->ReadPodwarstwaHeader(g, 4);
  EXPECT_EQ(g.Justification, 23);
  EXPECT_EQ(g.Sizes, (std::array<float, 4>{0.5f, 1.0f, 2.0f, 5.0f}));
}

// Stored blocks that fail their check refuse the read of the header with
// the check's message; nothing is written.
TEST_F(LayerWriterTest, BadStoredBlocksRefuseTheHeaderRead) {
  struct Case {
    const char* name;
    bool text;
    std::size_t offset;  // in slot 0
    std::uint32_t value;
    const char* error;
  };
  const Case cases[] = {
      {"line: type 2", false, 2, 6, "Błąd w nagłówku podwarstwy. Zły typ warstwy"},
      {"line: colour high byte", false, 100, 0x01000000, "Błąd w nagłówku podwarstwy. Błedny kolor"},
      {"line: zero multiplier", false, 341 + 13, 0, "Błąd w nagłówku podwarstwy. Mnożnik zerowy"},
      {"line: second width 1000.5", false, 341 + 8, 0x447A2000,
       "Błąd w nagłówku podwarstwy. Grubość linii większa niż 1000"},
      {"text: zero multiplier", true, 341 + 4, 0, "Błąd w nagłówku podwarstwy."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<TNewTextLinWarstwaFile> f;
    if (c.text) f = NewText(std::string("t") + std::to_string(&c - cases) + "------.--t");
    else f = NewLine(std::string("l") + std::to_string(&c - cases) + "------.--l");
    Bytes b = ReadBytes(f->Path());
    PutU32(&b[512 + c.offset], c.value);
    WriteBytes(f->Path(), b);
    OpenR(*f);
    TWarstwaHeader h;
    try {
      f->ReadPodwarstwaHeader(h, 0);
      ADD_FAILURE() << "read";
    } catch (const EDBWarstwaError& e) {
      EXPECT_STREQ(e.what(), c.error);
      EXPECT_EQ(e.Code, 0);
    }
    ASSERT_EQ(f->Close(), 0);
    EXPECT_EQ(ReadBytes(f->Path()), b);
  }
}

TEST_F(LayerWriterTest, TextRecordsByNumberAndArchivedIdentifier) {
  auto f = NewText();
  OpenRW(*f);
  f->AddRecord(TextRec(1, 1, "a"));
  f->AddRecord(TextRec(2, 2, "b"));
  f->MoveToArch(2, 4321);
  ASSERT_EQ(f->Close(), 0);
  Bytes b = ReadBytes(f->Path());
  const std::size_t at2 = static_cast<std::size_t>(RecordAddress(2, 10, 94));
  EXPECT_EQ(GetU32(&b[at2 + 17]), 4321u);
  EXPECT_EQ(GetU32(&b[at2]) >> 30, 3u);  // in use, archived
  // Record 1 becomes a free slot (a list of one).
  const std::size_t at1 = static_cast<std::size_t>(RecordAddress(1, 10, 94));
  std::fill(b.begin() + static_cast<std::ptrdiff_t>(at1), b.begin() + static_cast<std::ptrdiff_t>(at1 + 94), 0);
  PutU32(&b[at1 + 4], 1);
  PutU32(&b[162], static_cast<std::uint32_t>(at1));
  PutU32(&b[170], 1);
  WriteBytes(f->Path(), b);
  OpenR(*f);
  ObjectSaveRecord r;
  ASSERT_EQ(f->ReadRecordAt(2, r), 0);
  EXPECT_TRUE(r.IsArchived());
  EXPECT_EQ(r.GetIdentifier(), 4321u);
  const std::pair<std::int64_t, const char*> errors[] = {
      {1, "DBDll: Błąd 3 (Adres: 1, Warstwa teksty----.-t)"},
      {3, "DBDll: Błąd 2 (Adres: 3, Warstwa teksty----.-t)"},
  };
  for (const auto& [n, message] : errors) {
    try {
      f->ReadRecordAt(n, r);
      ADD_FAILURE() << n;
    } catch (const EDBRecordError& e) {
      EXPECT_STREQ(e.what(), message);
    }
  }
}

// A circle's save record holds zeros where other kinds keep their second
// point. The rectangle scan tests its centre only, with the index cells in
// use or not: a window around the origin found every circle of the layer
// when the cells were not in use, and none with them.
TEST_F(LayerWriterTest, RectangleScanTestsTheCentreOfACircleOnly) {
  auto f = NewLine();
  OpenRW(*f);
  ObjectSaveRecord circle = LineRec(50, 50, 0, 0, kLineKindCircle, 0, 5);
  f->AddRecord(circle);
  f->AddRecord(LineRec(2, 2, 20, 20));
  f->AddRecord(LineRec(30, 30, 3, 3));  // a segment is found by either end
  ASSERT_EQ(f->Close(), 0);
  auto scan = [&](const TLayerRect& r) {
    std::vector<std::uint32_t> got;
    ObjectSaveRecord rec;
    for (int rc = f->SeekFirst(r, rec); rc == 0; rc = f->ReadNext(rec)) got.push_back(rec.GetLong(kRecIndex));
    return got;
  };
  for (bool cells : {false, true}) {
    SCOPED_TRACE(cells ? "cells in use" : "no index");
    if (cells) {
      Bytes b = ReadBytes(f->Path());
      PacketHeader h;
      h.count = 3;
      h.flags = kPacketCells;
      h.dx = h.dy = 100;
      const auto raw = EncodePacketHeader(h);
      std::copy(raw.begin(), raw.end(), b.begin() + 5632);
      PutU32(&b[5632 + 48], CellsOf(50, 50, 0, 0) & 0xFFFF);
      PutU32(&b[5632 + 52], CellsOf(2, 2, 20, 20));
      PutU32(&b[5632 + 56], CellsOf(30, 30, 3, 3));
      PutU32(&b[74], GetU32(&b[74]) | kKindIndexValid);
      WriteBytes(f->Path(), b);
    }
    OpenR(*f);
    EXPECT_EQ(scan({-1, -1, 5, 5}), (std::vector<std::uint32_t>{2, 3}));
    EXPECT_EQ(scan({45, 45, 55, 55}), (std::vector<std::uint32_t>{1}));
    ASSERT_EQ(f->Close(), 0);
  }
}

// The counters follow what the file holds: archiving an archived record
// moves nothing, and rewriting one makes it live again beside its archived
// copy.
TEST_F(LayerWriterTest, CountersOfArchivedRecordsArchivedOrRewrittenAgain) {
  auto f = NewLine();
  OpenRW(*f);
  f->WritePodwarstwaHeader(TWarstwaHeader{}, 1);
  f->AddRecord(LineRec(1, 1, 2, 2, 0, 0));
  f->AddRecord(LineRec(3, 3, 4, 4, 0, 0));
  f->MoveToArch(1, 0);
  f->MoveToArch(1, 0);
  EXPECT_EQ(f->Counters(0), std::make_pair(1, 1));
  f->WriteRecord(1, LineRec(5, 5, 6, 6, 0, 1));
  EXPECT_EQ(f->Counters(0), std::make_pair(1, 1));  // record 1's old state, now a copy in slot 3
  EXPECT_EQ(f->Counters(1), std::make_pair(1, 0));
  ASSERT_EQ(f->Close(), 0);
  const Bytes b = ReadBytes(f->Path());
  EXPECT_EQ(GetU32(&b[static_cast<std::size_t>(RecordAddress(1, 10, 74))]) >> 30, 2u);
  EXPECT_EQ(GetU32(&b[static_cast<std::size_t>(RecordAddress(3, 10, 74))]) >> 30, 3u);
  EXPECT_EQ(GetI32(&b[512 + 112]), 1);
  EXPECT_EQ(GetI32(&b[512 + 116]), 1);
  EXPECT_EQ(GetI32(&b[1024 + 112]), 1);
  EXPECT_EQ(GetI32(&b[1024 + 116]), 0);
}
