#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <random>
#include <set>
#include <span>

#include "foundation/text/datetime.h"
#include "layer_fixture.h"
#include "layers/store/dberrors.h"
#include "layers/store/layerquery.h"

using namespace layerfmt;

namespace {

// Builds the index cells of every packet of a closed file by hand, as the
// index rebuild leaves them: the extent of the live records' points, the
// unclamped cells, the packet flags and the descriptor's index bit.
void IndexByHand(const std::string& path, bool line) {
  Bytes b = ReadBytes(path);
  const std::int64_t R = line ? kLineRecordSize : kTextRecordSize;
  const int slots = b[159];
  const int packets = GetU16(&b[72]);
  for (int p = 0; p < packets; ++p) {
    const std::size_t start = static_cast<std::size_t>(DataStart(slots) + p * PacketSize(R));
    const int count = GetU16(&b[start + 2]) ? GetU16(&b[start + 2]) : 4096;
    struct Pt { double x, y; };
    auto pointsOf = [&](const std::uint8_t* f) {
      std::vector<Pt> pts;
      if (line) {
        pts.push_back({GetF64(f + 24), GetF64(f + 32)});
        if ((f[0] & 7) != 2) pts.push_back({GetF64(f + 44), GetF64(f + 52)});
      } else {
        const int at = TNewTextWarstwaFile::PointOffset(f[0] & 7);
        pts.push_back({GetF64(f + at), GetF64(f + at + 8)});
      }
      return pts;
    };
    auto live = [](const std::uint8_t* f) { return (GetU32(f) >> 30) == 2; };
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    bool anyZero = false, anyLive = false;
    for (int i = 0; i < count; ++i) {
      const std::uint8_t* f = &b[start + kPacketOverhead + i * R];
      if (!live(f)) {
        anyZero = true;
        continue;
      }
      anyLive = true;
      for (const Pt& q : pointsOf(f)) {
        x0 = std::min(x0, q.x), y0 = std::min(y0, q.y);
        x1 = std::max(x1, q.x), y1 = std::max(y1, q.y);
      }
    }
    PacketHeader h;
    h.count = static_cast<std::uint16_t>(count == 4096 ? 0 : count);
    h.flags = kPacketCells | (count == 4096 ? kPacketFull : 0) | (anyZero ? kPacketZeroCell : 0) |
              (anyLive ? 0 : kPacketNoLive);
    if (anyLive) h.x0 = x0, h.y0 = y0, h.dx = x1 - x0, h.dy = y1 - y0;
    const auto raw = EncodePacketHeader(h);
    std::copy(raw.begin(), raw.end(), b.begin() + static_cast<std::ptrdiff_t>(start));
    const double dx = h.dx == 0 ? 0.1 : h.dx, dy = h.dy == 0 ? 0.1 : h.dy;
    for (int i = 0; i < count; ++i) {
      const std::uint8_t* f = &b[start + kPacketOverhead + i * R];
      std::uint32_t e = 0;
      if (live(f)) {
        const auto pts = pointsOf(f);
        if (line) {
          e = LineCellUnclamped(pts[0].x, h.x0, dx) | (LineCellUnclamped(pts[0].y, h.y0, dy) << 8);
          if (pts.size() > 1)
            e |= (static_cast<std::uint32_t>(LineCellUnclamped(pts[1].x, h.x0, dx)) << 16) |
                 (static_cast<std::uint32_t>(LineCellUnclamped(pts[1].y, h.y0, dy)) << 24);
        } else {
          e = TextCellUnclamped(pts[0].x, h.x0, dx) |
              (static_cast<std::uint32_t>(TextCellUnclamped(pts[0].y, h.y0, dy)) << 16);
        }
      }
      PutU32(&b[start + kPacketHeaderSlot + i * 4], e);
    }
  }
  PutU32(&b[74], GetU32(&b[74]) | kKindIndexValid);
  WriteBytes(path, b);
}

// Builds the index cells of every packet of a closed file through the file
// object's own steps, as the index rebuild runs them: the extent and flags
// from AddToExtent, an empty packet's extent of 0.1, a zero size made 0.01,
// then the cells from FillCells.
void IndexByFileObject(TNewTextLinWarstwaFile& f) {
  std::uint8_t mode = kOpenRead;
  ASSERT_EQ(f.Open(mode), 0);
  Bytes b = ReadBytes(f.Path());
  const std::int64_t R = f.RecordSize();
  const int slots = b[159];
  const int packets = GetU16(&b[72]);
  for (int n = 0; n < packets; ++n) {
    const std::size_t start = static_cast<std::size_t>(DataStart(slots) + n * PacketSize(R));
    ASSERT_LE(start + kPacketOverhead, b.size());
    PacketHeader p;
    p.count = GetU16(&b[start + 2]);
    p.flags = GetU32(&b[start + 4]);
    if (p.flags & kPacketFull) p.count = 4096;
    if (p.count == 4096) p.flags |= kPacketFull;
    // Only the full bit survives: flags left by earlier cells must not help.
    p.flags = (p.flags & kPacketFull) | kPacketNoLive;
    p.x0 = p.y0 = 1.7e308;
    TRealPoint max{-1.7e308, -1.7e308};
    const std::size_t from = start + kPacketOverhead;
    const std::size_t size = std::min<std::size_t>(static_cast<std::size_t>(4096 * R), b.size() - from);
    const std::span<const std::uint8_t> records(&b[from], size);
    f.AddToExtent(records, p, max);
    if (p.flags & kPacketNoLive) {
      p.x0 = p.y0 = 0;
      p.dx = p.dy = 0.1;
    } else {
      p.dx = max.X - p.x0 == 0 ? 0.01 : max.X - p.x0;
      p.dy = max.Y - p.y0 == 0 ? 0.01 : max.Y - p.y0;
    }
    std::vector<std::uint32_t> cells(4096, 0);
    f.FillCells(records, cells, p);
    p.flags |= kPacketCells;
    const auto raw = EncodePacketHeader(p);
    std::copy(raw.begin(), raw.end(), b.begin() + static_cast<std::ptrdiff_t>(start));
    for (int i = 0; i < p.count; ++i) PutU32(&b[start + kPacketHeaderSlot + i * 4], cells[i]);
  }
  ASSERT_EQ(f.Close(), 0);
  PutU32(&b[74], GetU32(&b[74]) | kKindIndexValid);
  WriteBytes(f.Path(), b);
}

std::vector<std::uint32_t> RectScan(TNewTextLinWarstwaFile& f, const TLayerRect& r) {
  std::vector<std::uint32_t> got;
  ObjectSaveRecord rec;
  for (int rc = f.SeekFirst(r, rec); rc == 0; rc = f.ReadNext(rec)) got.push_back(rec.GetLong(kRecIndex));
  return got;
}

std::vector<std::uint32_t> LiveScan(TNewTextLinWarstwaFile& f) {
  std::vector<std::uint32_t> got;
  ObjectSaveRecord rec;
  int rc = f.ReadCurrent(rec);
  for (; rc == 0; rc = f.ReadRecord(rec)) got.push_back(rec.GetLong(kRecIndex));
  EXPECT_EQ(rc, kDBEnd);
  EXPECT_EQ(f.ReadRecord(rec), kDBNothing);  // after the end
  return got;
}

bool In(const TLayerRect& r, double x, double y) {
  return r.X1 <= x && x <= r.X2 && r.Y1 <= y && y <= r.Y2;
}

}  // namespace

class LayerScanTest : public LayerTest {};

// Random files, random rectangles (a third of zero width or height): the
// rectangle scan delivers exactly the live records with a point inside, in
// file order, whether or not the index cells are in use, and whether the
// cells were made by hand or by the file object's own cell steps.
TEST_F(LayerScanTest, RectangleScanEqualsBruteForceWithAndWithoutCells) {
  std::mt19937 rng(1402);
  std::uniform_real_distribution<double> coord(0, 1000);
  for (int round = 0; round < 3; ++round) {
    auto lines = NewLine("l" + std::to_string(round) + "------.--l");
    auto texts = NewText("t" + std::to_string(round) + "------.--t");
    struct Obj { double x1, y1, x2, y2; int kind; bool live; };
    std::vector<Obj> lineObjs, textObjs;
    OpenRW(*lines);
    OpenRW(*texts);
    const int n = 1500 + round * 1500;
    for (int i = 0; i < n; ++i) {
      // Points on a coarse grid so that rectangles often meet them on a border.
      const double x1 = std::round(coord(rng) / 10) * 10, y1 = std::round(coord(rng) / 10) * 10;
      const int kind = static_cast<int>(rng() % 4);
      // A circle's second point is not indexed; these circles keep it on the centre.
      const double x2 = kind == 2 ? x1 : x1 + std::round(coord(rng) / 100) * 10;
      const double y2 = kind == 2 ? y1 : y1 + 20;
      lines->AddRecord(LineRec(x1, y1, x2, y2, static_cast<std::uint8_t>(kind)));
      lineObjs.push_back({x1, y1, x2, y2, kind, true});
      const int tkind = static_cast<int>(rng() % 5);
      texts->AddRecord(TextRec(x1, y1, "abc", static_cast<std::uint8_t>(tkind)));
      textObjs.push_back({x1, y1, x1, y1, tkind, true});
    }
    for (int i = 0; i < n / 5; ++i) {
      const int k = 1 + static_cast<int>(rng() % n);
      if (!lineObjs[k - 1].live) continue;
      lines->MoveToArch(k, 0);
      texts->MoveToArch(k, 0);
      lineObjs[k - 1].live = textObjs[k - 1].live = false;
    }
    ASSERT_EQ(lines->Close(), 0);
    ASSERT_EQ(texts->Close(), 0);

    std::vector<TLayerRect> rects;
    for (int i = 0; i < 30; ++i) {
      double a = std::round(coord(rng) / 10) * 10, b = std::round(coord(rng) / 10) * 10;
      double c = std::round(coord(rng) / 10) * 10, d = std::round(coord(rng) / 10) * 10;
      if (i % 3 == 1) c = a;  // zero width
      if (i % 3 == 2) d = b;  // zero height
      rects.push_back({std::min(a, c), std::min(b, d), std::max(a, c), std::max(b, d)});
    }
    auto expect = [&](const std::vector<Obj>& objs, const TLayerRect& r, bool line) {
      std::vector<std::uint32_t> want;
      for (std::size_t i = 0; i < objs.size(); ++i) {
        const Obj& o = objs[i];
        if (o.live && (In(r, o.x1, o.y1) || (line && In(r, o.x2, o.y2))))
          want.push_back(static_cast<std::uint32_t>(i + 1));
      }
      return want;
    };
    for (int indexed = 0; indexed < 3; ++indexed) {
      SCOPED_TRACE(indexed == 0 ? "no index" : indexed == 1 ? "cells by hand" : "cells by FillCells");
      if (indexed == 1) {
        IndexByHand(lines->Path(), true);
        IndexByHand(texts->Path(), false);
      }
      if (indexed == 2) {
        IndexByFileObject(*lines);
        IndexByFileObject(*texts);
      }
      OpenR(*lines);
      OpenR(*texts);
      for (const TLayerRect& r : rects) {
        ASSERT_EQ(RectScan(*lines, r), expect(lineObjs, r, true))
            << r.X1 << " " << r.Y1 << " " << r.X2 << " " << r.Y2;
        ASSERT_EQ(RectScan(*texts, r), expect(textObjs, r, false));
      }
      std::vector<std::uint32_t> live;
      for (std::size_t i = 0; i < lineObjs.size(); ++i)
        if (lineObjs[i].live) live.push_back(static_cast<std::uint32_t>(i + 1));
      EXPECT_EQ(LiveScan(*lines), live);
      EXPECT_EQ(LiveScan(*texts), live);
      ASSERT_EQ(lines->Close(), 0);
      ASSERT_EQ(texts->Close(), 0);
    }
  }
}

// The zero-width mend: a vertical line through records that lie on it finds
// them in a packet with cells, as it does without the index.
TEST_F(LayerScanTest, ZeroWidthRectangleMissedRecordsInPacketsWithCells) {
  auto f = NewLine();
  OpenRW(*f);
  f->AddRecord(LineRec(0, 0, 10, 10));
  f->AddRecord(LineRec(5, 2, 5, 3));
  f->AddRecord(LineRec(10, 0, 10, 1));
  ASSERT_EQ(f->Close(), 0);
  const TLayerRect vertical{5, 0, 5, 10};
  const TLayerRect edge{10, 0, 10, 10};  // touches the packet extent on its edge
  OpenR(*f);
  EXPECT_EQ(RectScan(*f, vertical), (std::vector<std::uint32_t>{2}));
  EXPECT_EQ(RectScan(*f, edge), (std::vector<std::uint32_t>{1, 3}));
  ASSERT_EQ(f->Close(), 0);
  IndexByHand(f->Path(), true);
  OpenR(*f);
  EXPECT_EQ(RectScan(*f, vertical), (std::vector<std::uint32_t>{2}));
  EXPECT_EQ(RectScan(*f, edge), (std::vector<std::uint32_t>{1, 3}));
}

// Live records 1, 10 and 40 of 100 used slots whose other slots are
// archived: delivered with their numbers through the cell-guided runs.
TEST_F(LayerScanTest, RunReaderExampleOfRecordsOneTenAndForty) {
  auto f = NewLine();
  OpenRW(*f);
  for (int i = 1; i <= 100; ++i) f->AddRecord(LineRec(i, i, i, i));
  for (int i = 1; i <= 100; ++i)
    if (i != 1 && i != 10 && i != 40) f->MoveToArch(i, 0);
  ASSERT_EQ(f->Close(), 0);
  IndexByHand(f->Path(), true);
  OpenR(*f);
  EXPECT_EQ(RectScan(*f, {0, 0, 100, 100}), (std::vector<std::uint32_t>{1, 10, 40}));
  EXPECT_EQ(RectScan(*f, {9, 9, 40, 40}), (std::vector<std::uint32_t>{10, 40}));
  EXPECT_EQ(LiveScan(*f), (std::vector<std::uint32_t>{1, 10, 40}));
}

// A packet that is passed over and not full ends the scan: records a hand
// edit placed behind it are not reached.
TEST_F(LayerScanTest, PassingOverAPacketThatIsNotFullEndsTheScan) {
  auto f = NewLine();
  OpenRW(*f);
  for (int i = 1; i <= 5; ++i) f->AddRecord(LineRec(i, i, i, i));
  ASSERT_EQ(f->Close(), 0);
  IndexByHand(f->Path(), true);
  // Mark the packet as holding no live record: the live scan passes over it.
  Bytes b = ReadBytes(f->Path());
  PutU32(&b[5632 + 4], GetU32(&b[5632 + 4]) | kPacketNoLive);
  // A second packet behind a packet that is not full.
  b.resize(static_cast<std::size_t>(5632 + PacketSize(74) + kPacketOverhead + 74), 0);
  const std::size_t second = static_cast<std::size_t>(5632 + PacketSize(74));
  PutU16(&b[second], 40);
  PutU16(&b[second + 2], 1);
  PutU32(&b[second + kPacketOverhead], 0x80000000u);
  WriteBytes(f->Path(), b);
  OpenR(*f);
  EXPECT_EQ(LiveScan(*f), std::vector<std::uint32_t>{});
}

TEST_F(LayerScanTest, QueryScanOffersArchivedRecordsToTheFilter) {
  auto f = NewLine();
  OpenRW(*f);
  for (int i = 1; i <= 3; ++i) f->AddRecord(LineRec(i, i, i, i));
  f->MoveToArch(2, 0);
  ASSERT_EQ(f->Close(), 0);
  OpenR(*f);
  EXPECT_EQ(LiveScan(*f), (std::vector<std::uint32_t>{1, 3}));
  TWarQuery all;
  std::vector<std::uint32_t> got;
  ObjectSaveRecord rec;
  for (int rc = f->SeekRecord(&all, rec); rc == 0; rc = f->ReadRecordAtSeek(rec))
    got.push_back(rec.GetLong(kRecIndex));
  EXPECT_EQ(got, (std::vector<std::uint32_t>{1, 2, 3}));
  EXPECT_EQ(f->ReadRecordAtSeek(rec), kDBNothing);
  ASSERT_EQ(f->ReadRecordAt(2, rec), 0);
  EXPECT_TRUE(rec.IsArchived());
}

TEST(LayerQuery, FiltersTable) {
  TPackedDateTime d0 = 0, d1 = 0, d2 = 0;
  TDateTimeRec t{};
  t.Year = 2020, t.Month = 5, t.Day = 7, t.Hour = 8, t.Minute = 0, t.Second = 0;
  PackDateTime(d0, t);
  t.Second = 2;
  PackDateTime(d1, t);
  t.Second = 4;
  PackDateTime(d2, t);
  auto stored = [](bool archived, std::uint16_t creator, std::uint16_t modifier,
                   std::uint32_t created, std::uint32_t modified) {
    Bytes f(74, 0);
    PutU32(f.data(), 0x80000000u | (archived ? 0x40000000u : 0));
    PutU16(&f[4], creator);
    PutU16(&f[6], modifier);
    PutU32(&f[8], created);
    PutU32(&f[12], modified);
    return f;
  };
  struct Case {
    const char* name;
    const TWarQuery& q;
    Bytes f;
    bool accepted;
  };
  const TStanNaDzienQuery onD1(d1);
  const TUserQuery user7(7), original(65534);
  const Case cases[] = {
      {"live modified at the date", onD1, stored(false, 1, 1, d0, d1), false},
      {"live modified before", onD1, stored(false, 1, 1, d0, d0), true},
      {"live modified after", onD1, stored(false, 1, 1, d0, d2), false},
      {"archived created at the date", onD1, stored(true, 1, 1, d1, d2), false},
      {"archived spanning the date", onD1, stored(true, 1, 1, d0, d2), true},
      {"archived ending at the date", onD1, stored(true, 1, 1, d0, d1), false},
      {"user: live modified by 7", user7, stored(false, 3, 7, d0, d0), false},
      {"user: live modified by 8", user7, stored(false, 7, 8, d0, d0), true},
      {"user: archived created by 7", user7, stored(true, 7, 9, d0, d0), true},
      {"user: archived created by 8", user7, stored(true, 8, 7, d0, d0), false},
      {"original: live changed by another", original, stored(false, 65534, 3, d0, d0), true},
      {"original: live untouched", original, stored(false, 65534, 65534, d0, d0), false},
      {"original: its archived first state", original, stored(true, 65534, 3, d0, d0), true},
  };
  for (const Case& c : cases) EXPECT_EQ(c.q.Accept(c.f.data(), 1), c.accepted) << c.name;

  const TLayerRect r{0, 0, 10, 10};
  const TUserRectQuery q(7, r);
  EXPECT_TRUE(q.AcceptElement(LineRec(5, 5, 50, 50), 1));
  EXPECT_TRUE(q.AcceptElement(LineRec(50, 50, 5, 5), 1));      // second point in a line layer
  EXPECT_FALSE(q.AcceptElement(LineRec(50, 50, 5, 5, 2), 1));  // circle: centre only
  EXPECT_FALSE(q.AcceptElement(LineRec(50, 50, 5, 5), 0));     // text layer: point 1 only
  EXPECT_TRUE(q.AcceptElement(LineRec(10, 0, 50, 50), 1));     // border inside
  const TStanNaDzienRectQuery s(d1, r);
  EXPECT_TRUE(s.AcceptElement(TextRec(1, 1, "x"), 0));
  EXPECT_FALSE(s.AcceptElement(TextRec(11, 1, "x"), 0));
}

// ---- cells at the far edge of an extent ----

// The index rebuild computed a coordinate's cell as (v - o) x 252 / d in
// doubles: for some extents the far edge came out above 252 and got cell
// 255 while a query rectangle ending there got 254, so the record was no
// candidate. The far edge gets 254 (65534) for every extent, and every point
// inside gets the same cell by the rebuild's rule as by the query's.
TEST(LayerCells, FarEdgeOfEveryExtentGetsTheLastInsideCell) {
  struct Extent {
    double o, max;
  };
  std::vector<Extent> extents = {{292.116, 1451.152}, {-161.759, 755.19}, {-45.03, -45.03 + 1e-9},
                                 {0, 1e-300},         {-1e6, 1e6},        {5e15, 5e15 + 2}};
  std::mt19937 rng(37);
  std::uniform_real_distribution<double> coord(-2000, 2000);
  for (int i = 0; i < 20000; ++i) {
    const double a = std::round(coord(rng) * 1000) / 1000, b = std::round(coord(rng) * 1000) / 1000;
    if (a != b) extents.push_back({std::min(a, b), std::max(a, b)});
  }
  int mismatched = 0;
  for (const Extent& e : extents) {
    const double d = e.max - e.o;
    ASSERT_EQ(LineCellUnclamped(e.max, e.o, d), 254) << e.o << " " << e.max;
    ASSERT_EQ(LineCell(e.max, e.o, d), 254) << e.o << " " << e.max;
    ASSERT_EQ(TextCellUnclamped(e.max, e.o, d), 65534) << e.o << " " << e.max;
    ASSERT_EQ(TextCell(e.max, e.o, d), 65534) << e.o << " " << e.max;
    ASSERT_EQ(LineCellUnclamped(e.o, e.o, d), 2);
    ASSERT_EQ(TextCell(e.o, e.o, d), 2);
    ASSERT_GE(LineCell(std::nextafter(e.max, 1e308), e.o, d), 254);
    ASSERT_EQ(LineCell(std::nextafter(e.o, -1e308), e.o, d), 1);
    const double v = e.o + (e.max - e.o) * std::uniform_real_distribution<double>(0, 1)(rng);
    if (LineCell(v, e.o, d) != LineCellUnclamped(v, e.o, d) ||
        TextCell(v, e.o, d) != TextCellUnclamped(v, e.o, d))
      ++mismatched;
  }
  EXPECT_EQ(mismatched, 0);
  // Exact quotients on a cell border stay on it; just below stays below.
  EXPECT_EQ(LineCell(0.5, 0, 1), 128);
  EXPECT_EQ(LineCell(std::nextafter(0.5, 0.0), 0, 1), 127);
  EXPECT_EQ(TextCell(3, 0, 4), 49151);
  // Before, beyond and without a usable extent.
  EXPECT_EQ(LineCell(-1, 0, 10), 1);
  EXPECT_EQ(LineCell(11, 0, 10), 255);
  EXPECT_EQ(LineCell(std::nan(""), 0, 10), 1);
  EXPECT_EQ(TextCell(1e308, -1e308, 10), 65535);
  EXPECT_EQ(LineCell(5, 0, std::numeric_limits<double>::infinity()), 2);
}

// The file of the report: two records, the rebuild, and a rectangle whose
// corner is exactly the far end of the second record.
TEST_F(LayerScanTest, RebuiltIndexFindsTheRecordAtTheFarEdge) {
  auto f = NewLine();
  OpenRW(*f);
  f->AddRecord(LineRec(292.116, -45.03, 292.116, -45.03));
  f->AddRecord(LineRec(1451.152, -161.759, 452.07, 755.19));
  ASSERT_EQ(f->Close(), 0);
  f->UpdateIndex();
  const Bytes b = ReadBytes(f->Path());
  EXPECT_EQ(b[static_cast<std::size_t>(5632 + kPacketHeaderSlot + 4)], 254);  // X of record 2's first point
  EXPECT_EQ(GetU32(&b[5632 + 4]) & kPacketOutside, 0u);
  OpenR(*f);
  EXPECT_EQ(RectScan(*f, {1400.0, -200.0, 1451.152, -100.0}), std::vector<std::uint32_t>{2});
  ASSERT_EQ(f->Close(), 0);
}

// Two hundred small random files of both kinds, rebuilt: the rectangle scan
// over the exact extent of the records, over each point alone and over
// rectangles with an edge exactly on a point finds what a plain test of
// every record finds.
TEST_F(LayerScanTest, RebuiltFilesAgreeWithAPlainScanOverExtentsAndExactEdges) {
  std::mt19937 rng(2037);
  std::uniform_real_distribution<double> coord(-1000, 2000);
  auto value = [&] { return std::round(coord(rng) * 1000) / 1000; };
  int missed = 0;
  for (int file = 0; file < 200; ++file) {
    const bool line = file % 2 == 0;
    const std::string name = "r" + std::to_string(file) + (line ? "-----.--l" : "-----.--t");
    std::unique_ptr<TNewTextLinWarstwaFile> f;
    if (line) f = NewLine(name);
    else f = NewText(name);
    struct Pt {
      double x, y;
    };
    std::vector<std::vector<Pt>> objs;
    OpenRW(*f);
    const int n = 2 + static_cast<int>(rng() % 7);
    for (int i = 0; i < n; ++i) {
      const double x = value(), y = value();
      if (line) {
        const double x2 = rng() % 3 == 0 ? x : value(), y2 = rng() % 3 == 0 ? y : value();
        f->AddRecord(LineRec(x, y, x2, y2));
        objs.push_back({{x, y}, {x2, y2}});
      } else {
        f->AddRecord(TextRec(x, y, "t"));
        objs.push_back({{x, y}});
      }
    }
    ASSERT_EQ(f->Close(), 0);
    f->UpdateIndex();
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (const auto& o : objs)
      for (const Pt& p : o) {
        x0 = std::min(x0, p.x), y0 = std::min(y0, p.y);
        x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
      }
    std::vector<TLayerRect> rects = {{x0, y0, x1, y1}};
    for (const auto& o : objs)
      for (const Pt& p : o) {
        rects.push_back({p.x, p.y, p.x, p.y});
        rects.push_back({x0, y0, p.x, p.y});
        rects.push_back({p.x, p.y, x1, y1});
        rects.push_back({p.x, y0, x1, p.y});
      }
    OpenR(*f);
    for (const TLayerRect& r : rects) {
      std::vector<std::uint32_t> want;
      for (std::size_t k = 0; k < objs.size(); ++k)
        if (std::any_of(objs[k].begin(), objs[k].end(), [&](const Pt& p) { return In(r, p.x, p.y); }))
          want.push_back(static_cast<std::uint32_t>(k + 1));
      const std::vector<std::uint32_t> got = RectScan(*f, r);
      if (got != want) ++missed;
      EXPECT_EQ(got, want) << name << ": " << r.X1 << " " << r.Y1 << " " << r.X2 << " " << r.Y2;
    }
    ASSERT_EQ(f->Close(), 0);
    if (missed > 5) break;
  }
  EXPECT_EQ(missed, 0);
}

// ---- the look-ahead window of the cell-guided reads ----

// Live records whose cells say "no candidate" (stale cells, made by hand as
// zero entries) are read through when the 16-slot window still covers them:
// before the first candidate once no further slot can enter the window, and
// after the last candidate once the packet's slots are used up. The reads
// used to stop at the candidates. A gap in the middle is passed over.
TEST_F(LayerScanTest, LookAheadWindowReadsThroughTheSlotsItStillCovers) {
  struct Case {
    const char* what;
    int used;
    std::vector<int> candidates;  // slots (from 0) that keep their cells
    std::vector<std::uint32_t> delivered;
  };
  auto range = [](std::uint32_t from, std::uint32_t to) {
    std::vector<std::uint32_t> v;
    for (std::uint32_t i = from; i <= to; ++i) v.push_back(i);
    return v;
  };
  const Case cases[] = {
      {"last slot only", 20, {19}, range(5, 20)},
      {"one candidate in the last sixteen", 20, {10}, range(5, 20)},
      {"candidate late in a longer packet", 40, {30}, range(25, 40)},
      {"first slot only", 20, {0}, {1}},
      {"early candidate, the rest passed over", 40, {5}, {6}},
      {"two candidates, a gap of fifteen read through", 40, {2, 18}, range(3, 19)},
      {"two candidates, a gap of sixteen passed over", 60, {2, 19}, {3, 20}},
      {"no candidate", 20, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(PathOf("okno-----.-l"));
    auto f = NewLine("okno-----.-l");
    OpenRW(*f);
    for (int i = 1; i <= c.used; ++i) f->AddRecord(LineRec(i, i, i, i));
    ASSERT_EQ(f->Close(), 0);
    IndexByHand(f->Path(), true);
    Bytes b = ReadBytes(f->Path());
    const std::size_t start = 5632;
    for (int i = 0; i < c.used; ++i)
      if (std::find(c.candidates.begin(), c.candidates.end(), i) == c.candidates.end())
        PutU32(&b[start + kPacketHeaderSlot + static_cast<std::size_t>(i) * 4], 0);
    PutU32(&b[start + 4], GetU32(&b[start + 4]) | kPacketZeroCell);
    WriteBytes(f->Path(), b);
    OpenR(*f);
    EXPECT_EQ(RectScan(*f, {0, 0, 1000, 1000}), c.delivered);
    EXPECT_EQ(LiveScan(*f), c.delivered);
    ASSERT_EQ(f->Close(), 0);
  }
}
