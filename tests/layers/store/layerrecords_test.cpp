#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "foundation/errors.h"
#include "foundation/threads/cancelcheck.h"
#include "layer_fixture.h"
#include "layers/store/layerstats.h"

using namespace layerfmt;

class LayerRecordsTest : public LayerTest {};

TEST_F(LayerRecordsTest, LineRecordLayoutAndRoundTrip) {
  auto f = NewLine();
  ObjectSaveRecord r = LineRec(1.5, 2.5, 3.5, 4.5, 0x09, 0, -7.25);  // arc, thickness 1
  r.SetSingle(kRecZ1, 11.0f);
  r.SetSingle(kRecZ2, 12.0f);
  r.SetWord(kRecStyle, 0x1234);
  r.SetWord(kRecMultiplier, 0x5678);
  Bytes b(74, 0xEE);
  EXPECT_FALSE(f->EncodeRecord(r, b.data()));
  EXPECT_EQ(GetU32(&b[0]), 0x80000009u);
  EXPECT_EQ(b[16], 0);
  EXPECT_EQ(b[17], 0);
  EXPECT_EQ(GetU16(&b[18]), 0x1234);
  EXPECT_EQ(GetU32(&b[20]), 1234u);
  EXPECT_EQ(GetF64(&b[24]), 1.5);
  EXPECT_EQ(GetF64(&b[32]), 2.5);
  EXPECT_EQ(GetF32(&b[40]), 11.0f);
  EXPECT_EQ(GetF64(&b[44]), 3.5);
  EXPECT_EQ(GetF64(&b[52]), 4.5);
  EXPECT_EQ(GetF32(&b[60]), 12.0f);
  EXPECT_EQ(GetF64(&b[64]), -7.25);
  EXPECT_EQ(GetU16(&b[72]), 0x5678);
  ObjectSaveRecord back;
  f->DecodeRecord(b.data(), back);
  EXPECT_EQ(back.Bytes(), r.Bytes());

  // Archived: flags word 0x2000; a sublayer above the highest reads as 0.
  PutU32(&b[0], GetU32(&b[0]) | kRecArchivedBit);
  b[16] = 3;
  f->DecodeRecord(b.data(), back);
  EXPECT_EQ(back.GetWord(0), 0x2000);
  EXPECT_EQ(back.GetSublayer(), 0);
}

TEST_F(LayerRecordsTest, TextKindsLayoutAndCuts) {
  auto f = NewText();
  struct Case {
    int kind;
    int length;
    int point;
    int angle;
    int flags;  // -1: none
  };
  const Case cases[] = {
      {0, 34, 60, 76, 80}, {1, 18, 44, 60, 64}, {2, 47, 73, 89, 93}, {3, 39, 65, 81, 85}, {4, 25, 51, 67, -1},
  };
  const std::string longText(47, 'x');
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    ObjectSaveRecord r = TextRec(100.5, 200.25, longText, static_cast<std::uint8_t>(c.kind), 0, 0x15);
    r.SetDouble(93, 103.5);   // second point
    r.SetDouble(101, 199.25);
    r.SetSingle(109, 0.5f);
    r.SetByte(113, 0x42);
    r.SetSingle(kRecRefX, 1.5f);
    r.SetSingle(kRecRefY, 2.5f);
    r.SetSingle(114, 3.5f);
    r.SetSingle(118, 4.5f);
    Bytes b(94, 0xEE);
    EXPECT_EQ(f->EncodeRecord(r, b.data()), c.length < 47);
    EXPECT_EQ(b[25], c.length);
    EXPECT_EQ(GetU32(&b[17]), 1234u);
    EXPECT_EQ(GetF32(&b[21]), 2.5f);
    EXPECT_EQ(GetF64(&b[static_cast<std::size_t>(c.point)]), 100.5);
    EXPECT_EQ(GetF64(&b[static_cast<std::size_t>(c.point + 8)]), 200.25);
    EXPECT_EQ(GetF32(&b[static_cast<std::size_t>(c.angle)]), 0.25f);
    if (c.flags >= 0) {
      EXPECT_EQ(b[static_cast<std::size_t>(c.flags)], 0x15);
    }
    if (c.kind == 0) {
      EXPECT_EQ(GetF32(&b[81]), 3.0f);
      EXPECT_EQ(GetF32(&b[85]), -1.0f);
      EXPECT_EQ(b[93], 0x42);
    }
    if (c.kind == 1) {
      EXPECT_EQ(GetF32(&b[65]), 1.5f);
      EXPECT_EQ(GetF32(&b[73]), 3.0f);
      EXPECT_EQ(b[85], 0x42);
      EXPECT_EQ(GetF32(&b[90]), 4.5f);
    }
    if (c.kind == 4) {
      for (std::size_t i = 71; i < 94; ++i) ASSERT_EQ(b[i], 0) << i;
    }
    ObjectSaveRecord back;
    f->DecodeRecord(b.data(), back);
    EXPECT_EQ(TextOf(back), longText.substr(0, static_cast<std::size_t>(c.length)));
    EXPECT_EQ(back.GetDouble(kRecAnchorX), 100.5);
    if (c.flags >= 0) {
      EXPECT_EQ(back.GetByte(kRecTextFlags), 0x15);
    }
    if (c.kind <= 1) {
      EXPECT_EQ(back.GetDouble(93), 103.5);
    }
  }
  // Bit 3 of the kind is dropped, bit 4 kept.
  ObjectSaveRecord r = TextRec(0, 0, "a", 0x1A);
  Bytes b(94, 0);
  f->EncodeRecord(r, b.data());
  EXPECT_EQ(GetU32(&b[0]) & 0x1F, 0x12u);
}

TEST_F(LayerRecordsTest, AddRecordReportsACutText) {
  auto f = NewText();
  OpenRW(*f);
  f->AddRecord(TextRec(0, 0, std::string(25, 'a'), 1));
  EXPECT_TRUE(f->LastTextCut());
  f->AddRecord(TextRec(0, 0, std::string(18, 'a'), 1));
  EXPECT_FALSE(f->LastTextCut());
  ObjectSaveRecord r;
  ASSERT_EQ(f->ReadRecordAt(1, r), 0);
  EXPECT_EQ(TextOf(r), std::string(18, 'a'));
}

TEST(LayerStats, ArcLengths) {
  const double pi = std::numbers::pi;
  EXPECT_NEAR(ArcLength(5, 5), 5 * pi / 3, 1e-12);
  EXPECT_NEAR(ArcLength(5, -5), 5 * 5 * pi / 3, 1e-12);
  EXPECT_NEAR(ArcLength(10, 5), 5 * pi, 1e-12);
  EXPECT_NEAR(ArcLength(10, -5), 5 * pi, 1e-12);
  EXPECT_NEAR(ArcLength(30, 5), 5 * pi, 1e-12);   // chord longer than the diameter
  EXPECT_NEAR(ArcLength(30, -5), 5 * pi, 1e-12);
  const double r = 4, c = 3;
  EXPECT_NEAR(ArcLength(c, -r), r * (2 * pi - 2 * std::asin(c / (2 * r))), 1e-12);
}

TEST_F(LayerRecordsTest, StatisticsOfLineAndTextFiles) {
  auto lines = NewLine();
  OpenRW(*lines);
  lines->WritePodwarstwaHeader(TWarstwaHeader{}, 1);
  lines->AddRecord(LineRec(0, 0, 3, 4));               // line, length 5
  lines->AddRecord(LineRec(1, 1, 1, 1));               // zero length: a point
  lines->AddRecord(LineRec(0, 0, 0, 10, 1, 0, 5));     // half circle arc
  lines->AddRecord(LineRec(0, 0, 0, 0, 2, 1, 1));      // circle in sublayer 1
  lines->AddRecord(LineRec(0, 0, 3, 4));
  lines->MoveToArch(5, 0);                             // archived: not counted
  ASSERT_EQ(lines->Close(), 0);
  OpenR(*lines);
  TDBStatystykaList list(NoCancel());
  lines->Statystyka(list);
  ASSERT_EQ(list.Count(), 2);
  const auto* line = dynamic_cast<const TDBLiniowyStatystyka*>(list.Item(0).Find(1));
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->Count, 1);
  EXPECT_DOUBLE_EQ(line->Length, 5);
  ASSERT_NE(list.Item(0).Find(8), nullptr);
  EXPECT_EQ(list.Item(0).Find(8)->Count, 1);
  const auto* arc = dynamic_cast<const TDBLiniowyStatystyka*>(list.Item(0).Find(2));
  ASSERT_NE(arc, nullptr);
  EXPECT_NEAR(arc->Length, 5 * std::numbers::pi, 1e-9);
  const auto* circle = dynamic_cast<const TDBLiniowyStatystyka*>(list.Item(1).Find(4));
  ASSERT_NE(circle, nullptr);
  EXPECT_NEAR(circle->Length, 2 * std::numbers::pi, 1e-9);

  auto texts = NewText();
  OpenRW(*texts);
  texts->AddRecord(TextRec(0, 0, "a", 0, 0, 0));
  texts->AddRecord(TextRec(0, 0, "b", 1, 0, 12));
  texts->AddRecord(TextRec(0, 0, "c", 2, 0, 0x35));  // justification 5
  texts->AddRecord(TextRec(0, 0, "d", 3, 0, 9));
  texts->AddRecord(TextRec(0, 0, "e", 4, 0, 3));     // symbol: no justification
  ASSERT_EQ(texts->Close(), 0);
  OpenR(*texts);
  TDBStatystykaList tl(NoCancel());
  texts->Statystyka(tl);
  const auto* t = dynamic_cast<const TDBTextStatystyka*>(tl.Item(0).Find(0x100));
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->Count, 4);  // kinds 0 to 3 in one item
  std::array<std::int32_t, 9> want{};
  want[4] = 1;
  want[8] = 1;
  EXPECT_EQ(t->Justifications, want);
  ASSERT_NE(tl.Item(0).Find(0x1000), nullptr);
  EXPECT_EQ(tl.Item(0).Find(0x1000)->Count, 1);

  // Merging a list with a symbol item into one without it appends the item.
  TDBStatystyka other(NoCancel());
  other.Merge(tl.Item(0));
  other.Merge(tl.Item(0));
  ASSERT_NE(other.Find(0x1000), nullptr);
  EXPECT_EQ(other.Find(0x1000)->Count, 2);
  EXPECT_EQ(dynamic_cast<const TDBTextStatystyka*>(other.Find(0x100))->Justifications[4], 2);
}

TEST(LayerStats, StatisticsCheckTheCancel) {
  TCancelFlag cancel;
  TDBStatystyka s(cancel);
  s.Add(1, 0, 2);
  cancel.Cancel();
  EXPECT_THROW(s.Add(1, 0, 2), ECanceled);
}

TEST_F(LayerRecordsTest, TransformRecordOfLinesAndTexts) {
  auto lines = NewLine();
  TAffineMatrix m;
  m.a = 2, m.c = 10, m.e = 2, m.f = -5, m.s = 2;
  ObjectSaveRecord circle = LineRec(1, 1, 7, 7, 2, 0, 5);
  circle.SetSingle(kRecZ1, 3.0f);
  Bytes b(74, 0);
  lines->EncodeRecord(circle, b.data());
  lines->TransformRecord(b.data(), m);
  EXPECT_EQ(GetF64(&b[24]), 12.0);
  EXPECT_EQ(GetF64(&b[32]), -3.0);
  EXPECT_EQ(GetF64(&b[44]), 7.0);  // a circle's second point is not moved
  EXPECT_EQ(GetF64(&b[64]), 10.0);
  EXPECT_EQ(GetF32(&b[40]), 3.0f);
  lines->EncodeRecord(LineRec(1, 1, 2, 2, 0, 0, 5), b.data());
  lines->TransformRecord(b.data(), m);
  EXPECT_EQ(GetF64(&b[44]), 14.0);
  EXPECT_EQ(GetF64(&b[64]), 5.0);  // a segment's radius stays

  auto texts = NewText();
  auto same = texts->CreateSame(Dir() + "inny/", "kopia---.--t");
  EXPECT_EQ(same->Kind(), kKindText);
  EXPECT_EQ(same->RecordSize(), 94);
  EXPECT_EQ(same->Path(), Dir() + "inny/kopia---.--t");
  ObjectSaveRecord t = TextRec(1, 1, "abc", 1);
  t.SetSingle(kRecRefX, 1.0f);
  t.SetSingle(kRecRefY, 0.5f);
  Bytes tb(94, 0);
  texts->EncodeRecord(t, tb.data());
  texts->TransformRecord(tb.data(), m);
  EXPECT_EQ(GetF64(&tb[44]), 12.0);
  EXPECT_EQ(GetF32(&tb[65]), 2.0f);  // a vector: the linear part only
  EXPECT_EQ(GetF32(&tb[69]), 1.0f);
  EXPECT_FLOAT_EQ(GetF32(&tb[60]), static_cast<float>(TransformAngle(m, 0.25)));
}
