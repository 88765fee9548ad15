#include "objects/saverecord.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "foundation/errors.h"
#include "objects/grobj.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Little-endian images of the values the cases use, typed by hand.
const Bytes kD1 = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};     // 1.0
const Bytes kD2 = {0, 0, 0, 0, 0, 0, 0x00, 0x40};     // 2.0
const Bytes kD4 = {0, 0, 0, 0, 0, 0, 0x10, 0x40};     // 4.0
const Bytes kD5 = {0, 0, 0, 0, 0, 0, 0x14, 0x40};     // 5.0
const Bytes kD2_5 = {0, 0, 0, 0, 0, 0, 0x04, 0x40};   // 2.5
const Bytes kD10 = {0, 0, 0, 0, 0, 0, 0x24, 0x40};    // 10.0
const Bytes kD20 = {0, 0, 0, 0, 0, 0, 0x34, 0x40};    // 20.0
const Bytes kDm3 = {0, 0, 0, 0, 0, 0, 0x08, 0xC0};    // -3.0
const Bytes kS3 = {0, 0, 0x40, 0x40};                 // 3.0f
const Bytes kS6 = {0, 0, 0xC0, 0x40};                 // 6.0f
const Bytes kS2 = {0, 0, 0x00, 0x40};                 // 2.0f
const Bytes kS0_5 = {0, 0, 0x00, 0x3F};               // 0.5f
const Bytes kS1_5 = {0, 0, 0xC0, 0x3F};               // 1.5f
const Bytes kSm1 = {0, 0, 0x80, 0xBF};                // -1.0f

struct Put {
  std::size_t Off;
  Bytes Data;
};

// A 122-byte image: zeros except the given fields.
std::array<std::uint8_t, ObjectSaveRecord::kSize> Image(std::initializer_list<Put> Fields) {
  std::array<std::uint8_t, ObjectSaveRecord::kSize> image{};
  for (const Put& f : Fields)
    for (std::size_t i = 0; i < f.Data.size(); ++i) image.at(f.Off + i) = f.Data[i];
  return image;
}

ObjectSaveRecord FromImage(const std::array<std::uint8_t, ObjectSaveRecord::kSize>& Image) {
  return ObjectSaveRecord::FromBytes(Image);
}

struct LayoutCase {
  const char* Name;
  std::function<void(ObjectSaveRecord&)> Write;
  std::array<std::uint8_t, ObjectSaveRecord::kSize> Expected;
  std::function<void(const ObjectSaveRecord&)> CheckRead;
};

std::vector<LayoutCase> LayoutCases() {
  return {
      {"line",
       [](ObjectSaveRecord& r) {
         r.SetIndex(5);
         r.SetIdentifier(0x80000009);
         r.SetLineKind(kLineKindLine);
         r.SetPoint1(TPointRec{1, 2, 3});
         r.SetPoint2(TPointRec{4, 5, 6});
       },
       Image({{4, {5, 0, 0, 0}}, {8, {9, 0, 0, 0x80}}, {12, kD1}, {20, kD2}, {28, kD4}, {36, kD5},
              {52, kS3}, {56, kS6}}),
       [](const ObjectSaveRecord& r) {
         EXPECT_EQ(r.GetIndex(), 5u);
         EXPECT_EQ(r.GetIdentifier(), 0x80000009u);
         EXPECT_EQ(r.GetLineKind(), kLineKindLine);
         EXPECT_EQ(r.GetPoint1(), (TPointRec{1, 2, 3}));
         EXPECT_EQ(r.GetPoint2(), (TPointRec{4, 5, 6}));
         EXPECT_EQ(r.GetRadius(), 0.0);
         EXPECT_FALSE(r.IsSpecial());
       }},
      {"special line",
       [](ObjectSaveRecord& r) {
         r.SetLineKind(kLineKindLine, kThicknessThick);
         r.SetPoint1(TPointRec{1, 2, 0});
         r.SetPoint2(TPointRec{4, 5, 0});
         r.SetStyleNumber(7);
         EXPECT_EQ(r.SetMultiplier(1.5), TStoreResult::Whole);
       },
       Image({{3, {0x10}}, {12, kD1}, {20, kD2}, {28, kD4}, {36, kD5}, {60, {7, 0}}, {62, {0xDC, 0x05}}}),
       [](const ObjectSaveRecord& r) {
         EXPECT_EQ(r.GetLineKind(), kLineKindLine);
         EXPECT_EQ(r.GetThickness(), kThicknessThick);
         EXPECT_EQ(r.GetStyleNumber(), 7);
         EXPECT_DOUBLE_EQ(r.GetMultiplier(), 1.5);
         EXPECT_TRUE(r.IsSpecial());
       }},
      {"arc",
       [](ObjectSaveRecord& r) {
         r.SetLineKind(kLineKindArc);
         r.SetPoint1(TPointRec{1, 2, 3});
         r.SetPoint2(TPointRec{4, 5, 6});
         r.SetRadius(-3.0);
       },
       Image({{3, {1}}, {12, kD1}, {20, kD2}, {28, kD4}, {36, kD5}, {44, kDm3}, {52, kS3}, {56, kS6}}),
       [](const ObjectSaveRecord& r) {
         EXPECT_EQ(r.GetLineKind(), kLineKindArc);
         EXPECT_EQ(r.GetRadius(), -3.0);
         EXPECT_EQ(r.GetPoint2(), (TPointRec{4, 5, 6}));
       }},
      {"circle",
       [](ObjectSaveRecord& r) {
         r.SetLineKind(kLineKindCircle);
         r.SetPoint1(TPointRec{10, 20, 0});
         r.SetRadius(2.5);
       },
       Image({{3, {2}}, {12, kD10}, {20, kD20}, {44, kD2_5}}),
       [](const ObjectSaveRecord& r) {
         EXPECT_EQ(r.GetLineKind(), kLineKindCircle);
         EXPECT_EQ(r.GetPoint1(), (TPointRec{10, 20, 0}));
         EXPECT_EQ(r.GetRadius(), 2.5);
       }},
      {"point",
       [](ObjectSaveRecord& r) {
         r.SetPoint1(TPointRec{10, 20, 3});
         r.SetPoint2(TPointRec{10, 20, 0});
       },
       Image({{12, kD10}, {20, kD20}, {28, kD10}, {36, kD20}, {52, kS3}}),
       [](const ObjectSaveRecord& r) {
         EXPECT_EQ(r.GetPoint1(), (TPointRec{10, 20, 3}));
         EXPECT_EQ(r.SecondPoint(), (TRealPoint{10, 20}));
       }},
      {"text",
       [](ObjectSaveRecord& r) {
         r.SetKindByte(kTextKindText);
         r.SetAnchor(TRealPoint{1, 2});
         EXPECT_EQ(r.SetText("Łódź"), TStoreResult::Whole);
         r.SetHeight(2.0f);
         r.SetAngle(0.5f);
         r.SetTextFlags(0x15);
       },
       Image({{3, {2}}, {12, kD1}, {20, kD2}, {28, {4, 0xA3, 0xF3, 0x64, 0x9F}}, {76, kS2}, {80, kS0_5},
              {84, {0x15}}}),
       [](const ObjectSaveRecord& r) {
         EXPECT_EQ(r.GetAnchor(), (TRealPoint{1, 2}));
         EXPECT_EQ(r.GetText(), "Łódź");
         EXPECT_EQ(r.GetHeight(), 2.0f);
         EXPECT_EQ(r.GetAngle(), 0.5f);
         EXPECT_EQ(r.GetTextFlags(), 0x15);
       }},
      {"referenced text",
       [](ObjectSaveRecord& r) {
         r.SetKindByte(kTextKindRefText);
         r.SetAnchor(TRealPoint{1, 2});
         EXPECT_EQ(r.SetText("AB"), TStoreResult::Whole);
         r.SetHeight(2.0f);
         r.SetTextFlags(7);
         r.SetRefOffset(TSingleVector{1.5f, -1.0f});
       },
       Image({{3, {3}}, {12, kD1}, {20, kD2}, {28, {2, 'A', 'B'}}, {76, kS2}, {84, {7}}, {85, kS1_5},
              {89, kSm1}}),
       [](const ObjectSaveRecord& r) {
         EXPECT_EQ(r.GetText(), "AB");
         EXPECT_EQ(r.GetRefOffset().X, 1.5f);
         EXPECT_EQ(r.GetRefOffset().Y, -1.0f);
       }},
      {"symbol",
       [](ObjectSaveRecord& r) {
         r.SetKindByte(kTextKindSymbol);
         r.SetAnchor(TRealPoint{10, 20});
         EXPECT_EQ(r.SetText("S1"), TStoreResult::Whole);
         r.SetHeight(2.0f);
         r.SetAngle(0.5f);
       },
       Image({{3, {4}}, {12, kD10}, {20, kD20}, {28, {2, 'S', '1'}}, {76, kS2}, {80, kS0_5}}),
       [](const ObjectSaveRecord& r) {
         EXPECT_EQ(r.GetText(), "S1");
         EXPECT_EQ(r.GetAnchor(), (TRealPoint{10, 20}));
       }},
      {"fraction",
       [](ObjectSaveRecord& r) {
         r.SetKindByte(kTextKindFraction);
         r.SetAnchor(TRealPoint{1, 2});
         EXPECT_EQ(r.SetFraction("12", "345"), TStoreResult::Whole);
       },
       Image({{3, {0x12}}, {12, kD1}, {20, kD2}, {28, {6, '1', '2', 0, '3', '4', '5'}}}),
       [](const ObjectSaveRecord& r) {
         std::string num, den;
         r.GetFraction(num, den);
         EXPECT_EQ(num, "12");
         EXPECT_EQ(den, "345");
       }},
  };
}

TEST(ObjectSaveRecordLayout, WritesEveryKindByteForByte) {
  for (const LayoutCase& c : LayoutCases()) {
    SCOPED_TRACE(c.Name);
    ObjectSaveRecord rec;
    c.Write(rec);
    EXPECT_EQ(rec.Bytes(), c.Expected);
    EXPECT_FALSE(rec.Truncated());
  }
}

TEST(ObjectSaveRecordLayout, ReadsEveryKindFromHandMadeBytes) {
  for (const LayoutCase& c : LayoutCases()) {
    SCOPED_TRACE(c.Name);
    c.CheckRead(FromImage(c.Expected));
  }
}

TEST(ObjectSaveRecordLayout, CommonPartAndClipRecord) {
  ObjectSaveRecord rec = FromImage(Image({{1, {0x20}}, {2, {3}}, {3, {0x12}}, {4, {0xFF, 0xFF, 0xFF, 0xFF}},
                                          {12, kD1}, {20, kD2}, {28, kD4}, {36, kD5}}));
  EXPECT_TRUE(rec.IsArchived());
  EXPECT_EQ(rec.GetIndex(), 0x07FFFFFFu);  // bits 27-31 are not part of the index
  EXPECT_EQ(rec.GetSublayerWithin(3), 3);
  EXPECT_EQ(rec.GetSublayerWithin(2), 0);  // above the layer's sublayer count
  const IClipRecord& clip = rec;
  EXPECT_EQ(clip.Kind(), 2);  // low three bits of the kind byte
  EXPECT_EQ(clip.FirstPoint(), (TRealPoint{1, 2}));
  EXPECT_EQ(clip.SecondPoint(), (TRealPoint{4, 5}));

  rec.SetIndex(0xFFFFFFFF);
  EXPECT_EQ(rec.GetLong(kRecIndex), 0x07FFFFFFu);
}

TEST(ObjectSaveRecordLayout, RejectsBadSizesAndOffsets) {
  const std::vector<std::uint8_t> shortRecord(121, 0);
  EXPECT_THROW(ObjectSaveRecord::FromBytes(shortRecord), EInternalError);
  ObjectSaveRecord rec;
  EXPECT_THROW(rec.GetDouble(115), EInternalError);
  EXPECT_THROW(rec.SetWord(121, 1), EInternalError);
  EXPECT_NO_THROW(rec.SetByte(121, 1));
  EXPECT_THROW(rec.SetLineKind(8), EInternalError);
  EXPECT_THROW(rec.SetLineKind(0, 4), EInternalError);
}

TEST(ObjectSaveRecordLayout, FractionWithoutNulIsAllNumerator) {
  ObjectSaveRecord rec = FromImage(Image({{3, {0x13}}, {28, {3, 'a', 'b', 'c'}}}));
  std::string num = "x", den = "y";
  rec.GetFraction(num, den);
  EXPECT_EQ(num, "abc");
  EXPECT_EQ(den, "");
}

TEST(ObjectSaveRecordLayout, ClearZeroesEverything) {
  ObjectSaveRecord rec = FromImage(Image({{0, Bytes(122, 0xEE)}}));
  rec.Clear();
  EXPECT_EQ(rec.Bytes(), (std::array<std::uint8_t, ObjectSaveRecord::kSize>{}));
}

// A text longer than the field used to be cut without telling anyone.
TEST(ObjectSaveRecordTruncation, LongTextIsCutVisibly) {
  ObjectSaveRecord rec;
  const std::string sixty(60, 'x');
  EXPECT_FALSE(ObjectSaveRecord::TextFits(sixty));
  EXPECT_EQ(rec.SetText(sixty), TStoreResult::Truncated);
  EXPECT_TRUE(rec.Truncated());
  EXPECT_EQ(rec.GetByte(kRecText), 47);
  EXPECT_EQ(rec.GetText(), std::string(47, 'x'));
  EXPECT_EQ(rec.GetByte(kRecHeight), 0);  // nothing spills past the field

  // The report stays until the record is cleared, also over a later fitting text.
  EXPECT_EQ(rec.SetText("ok"), TStoreResult::Whole);
  EXPECT_TRUE(rec.Truncated());
  rec.Clear();
  EXPECT_FALSE(rec.Truncated());
}

TEST(ObjectSaveRecordTruncation, FieldWidthCountsCodePageCharacters) {
  // 47 Polish letters are 94 UTF-8 bytes but 47 code-page characters: they fit.
  std::string polish;
  for (int i = 0; i < 47; ++i) polish += "ą";
  ObjectSaveRecord rec;
  EXPECT_TRUE(ObjectSaveRecord::TextFits(polish));
  EXPECT_EQ(rec.SetText(polish), TStoreResult::Whole);
  EXPECT_EQ(rec.GetText(), polish);
  EXPECT_FALSE(ObjectSaveRecord::TextFits(polish + "ą"));
  EXPECT_TRUE(ObjectSaveRecord::TextFits(std::string(39, 'a'), kLayerRefTextMax));
  EXPECT_FALSE(ObjectSaveRecord::TextFits(std::string(26, 'a'), kLayerSymbolNameMax));
}

TEST(ObjectSaveRecordTruncation, LongFractionIsCutVisibly) {
  ObjectSaveRecord rec;
  EXPECT_EQ(rec.SetFraction(std::string(30, '1'), std::string(30, '2')), TStoreResult::Truncated);
  EXPECT_TRUE(rec.Truncated());
  std::string num, den;
  rec.GetFraction(num, den);
  EXPECT_EQ(num, std::string(30, '1'));
  EXPECT_EQ(den, std::string(16, '2'));
}

// A multiplier above 65.535 used to keep the low 16 bits of the rounded
// product, so 70 came back as 4.464.
TEST(ObjectSaveRecordTruncation, OversizedMultiplierSaturatesInsteadOfWrapping) {
  struct Case {
    double Value;
    TStoreResult Result;
    std::uint16_t Stored;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {0.0, TStoreResult::Whole, 0},          {1.5, TStoreResult::Whole, 1500},
      {1.2344, TStoreResult::Whole, 1234},    {0.0004, TStoreResult::Whole, 0},
      {65.535, TStoreResult::Whole, 65535},   {65.5354, TStoreResult::Whole, 65535},
      {65.536, TStoreResult::Truncated, 65535}, {70.0, TStoreResult::Truncated, 65535},
      {1e30, TStoreResult::Truncated, 65535}, {-1.0, TStoreResult::Truncated, 0},
      {nan, TStoreResult::Truncated, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Value);
    ObjectSaveRecord rec;
    EXPECT_EQ(rec.SetMultiplier(c.Value), c.Result);
    EXPECT_EQ(rec.GetWord(kRecMultiplier), c.Stored);
    EXPECT_EQ(rec.Truncated(), c.Result == TStoreResult::Truncated);
    EXPECT_EQ(ObjectSaveRecord::MultiplierFits(c.Value), c.Result == TStoreResult::Whole);
  }
}

// A length byte above 47 would read the text past its field (up to 255 bytes
// from offset 28, beyond the record's end).
TEST(ObjectSaveRecordDamage, DamagedTextLengthIsAnError) {
  for (std::uint8_t length : {std::uint8_t{48}, std::uint8_t{255}}) {
    ObjectSaveRecord rec = FromImage(Image({{3, {2}}, {28, {length}}}));
    EXPECT_THROW(rec.GetText(), EWarstwaError);
    std::string num, den;
    EXPECT_THROW(rec.GetFraction(num, den), EWarstwaError);
  }
}

ObjectSaveRecord LineRecord(std::uint8_t KindByte, TRealPoint P2, std::uint16_t Style = 0,
                            std::uint16_t Multiplier = 0) {
  ObjectSaveRecord rec;
  rec.SetKindByte(KindByte);
  rec.SetPoint1(TPointRec{1, 2, 0});
  rec.SetPoint2(TPointRec{P2.X, P2.Y, 0});
  rec.SetStyleNumber(Style);
  rec.SetWord(kRecMultiplier, Multiplier);
  return rec;
}

TEST(ObjectSaveRecordClassChoice, LineLayer) {
  const TRealPoint other{4, 5}, same{1, 2};
  struct Case {
    const char* Name;
    ObjectSaveRecord Rec;
    TRecordClass Expected;
  };
  const Case cases[] = {
      {"plain line", LineRecord(0, other), TRecordClass::DefSpecLinia},
      {"styled line", LineRecord(0, other, 7), TRecordClass::LiniaSpecjalna},
      {"thin line", LineRecord(0x08, other), TRecordClass::LiniaSpecjalna},
      {"multiplier alone", LineRecord(0, other, 0, 1500), TRecordClass::DefSpecLinia},
      {"point", LineRecord(0, same), TRecordClass::Punkt},
      {"styled point", LineRecord(0, same, 7), TRecordClass::Punkt},
      {"plain arc", LineRecord(1, other), TRecordClass::DefSpecLuk},
      {"thick arc", LineRecord(0x11, other), TRecordClass::LukSpecjalny},
      {"plain circle", LineRecord(2, other), TRecordClass::DefSpecOkrag},
      {"styled circle", LineRecord(2, other, 3), TRecordClass::OkragSpecjalny},
      {"kind 3", LineRecord(3, other), TRecordClass::None},
      {"kind 7", LineRecord(7, other, 7), TRecordClass::None},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(ChooseLineRecordClass(c.Rec), c.Expected);
  }
}

ObjectSaveRecord TextRecord(std::uint8_t Kind, float Height, float Angle, std::uint8_t Flags) {
  ObjectSaveRecord rec;
  rec.SetKindByte(Kind);
  rec.SetHeight(Height);
  rec.SetAngle(Angle);
  rec.SetTextFlags(Flags);
  return rec;
}

TEST(ObjectSaveRecordClassChoice, TextLayer) {
  const TTextSublayerState writable{false, 5};
  const TTextSublayerState readOnly{true, 5};
  struct Case {
    const char* Name;
    ObjectSaveRecord Rec;
    TTextSublayerState Sublayer;
    TRecordClass Expected;
  };
  const Case cases[] = {
      {"referenced text", TextRecord(3, 0, 0, 0), writable, TRecordClass::WysKatOdnNapis},
      {"old referenced text", TextRecord(1, 0, 0, 0), writable, TRecordClass::WysKatOdnNapis},
      {"plain symbol", TextRecord(4, 0, 0, 0), writable, TRecordClass::GrSymbol},
      {"symbol with height", TextRecord(4, 2, 0, 0), writable, TRecordClass::WysKatSymbol},
      {"symbol with angle", TextRecord(4, 0, 0.5f, 0), writable, TRecordClass::WysKatSymbol},
      {"fraction", TextRecord(0x12, 0, 0, 0), writable, TRecordClass::LicznikMianownik},
      {"referenced fraction", TextRecord(0x13, 0, 0, 0), writable, TRecordClass::LicznikMianownik},
      {"old fractions", TextRecord(0x10, 0, 0, 0), writable, TRecordClass::LicznikMianownik},
      {"old fraction with reference", TextRecord(0x11, 0, 0, 0), writable, TRecordClass::LicznikMianownik},
      {"bare text", TextRecord(2, 0, 0, 0), writable, TRecordClass::NapisT},
      {"old bare text", TextRecord(0, 0, 0, 0), writable, TRecordClass::NapisT},
      {"angled text", TextRecord(2, 0, 0.5f, 0), writable, TRecordClass::WysKatNapis},
      {"text with height", TextRecord(2, 2, 0, 0), writable, TRecordClass::WysNapis},
      {"justified, underlined", TextRecord(2, 0, 0, 0x15), writable, TRecordClass::WysNapis},
      {"default justification, read-only", TextRecord(2, 0, 0, 0x15), readOnly, TRecordClass::NapisT},
      {"other justification, read-only", TextRecord(2, 0, 0, 0x17), readOnly, TRecordClass::WysNapis},
      {"underline only", TextRecord(2, 0, 0, 0x10), writable, TRecordClass::NapisT},
      {"kind 5", TextRecord(5, 0, 0, 0), writable, TRecordClass::None},
      {"kind 15", TextRecord(15, 0, 0, 0), writable, TRecordClass::None},
      {"kind 20", TextRecord(20, 0, 0, 0), writable, TRecordClass::None},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(ChooseTextRecordClass(c.Rec, c.Sublayer), c.Expected);
  }
}

// Keeps the record it was made from, for the registry tests.
class TRecordedObj : public TEGraphObj {
 public:
  TRecordedObj() = default;
  explicit TRecordedObj(const ObjectSaveRecord& Rec) : TEGraphObj(Rec), Anchor(Rec.GetAnchor()) {}
  TRealPoint Anchor;
  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TRecordedObj>(); }
  void Draw(TRealCanvas&) const override {}
  void Transform(const TAffineMatrix&) override {}
  void Move(const TRealPoint&) override {}
  TRealRect GetBounds() const override { return TRealRect{}; }
};

class ObjectSaveRecordRegistry : public ::testing::Test {
 protected:
  void TearDown() override {
    UnregisterRecordClass(TRecordClass::DefSpecLinia);
    UnregisterRecordClass(TRecordClass::NapisT);
  }
};

TEST_F(ObjectSaveRecordRegistry, ChosenClassBuildsTheObject) {
  int calls = 0;
  RegisterRecordClass(TRecordClass::DefSpecLinia, [&](const ObjectSaveRecord& Rec) {
    ++calls;
    return std::make_unique<TRecordedObj>(Rec);
  });
  ObjectSaveRecord rec = LineRecord(0, TRealPoint{4, 5});
  rec.SetIndex(12);
  rec.SetFlags(kRecArchived);
  std::unique_ptr<TEGraphObj> obj = CreateLineObjectFromRecord(rec);
  ASSERT_NE(obj, nullptr);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(obj->GetIndex(), 12u);
  EXPECT_TRUE(obj->IsArchived());
  EXPECT_TRUE(obj->IsUnowned());
  EXPECT_EQ(static_cast<TRecordedObj&>(*obj).Anchor, (TRealPoint{1, 2}));

  // A kind without a class gives no object, without asking any factory.
  EXPECT_EQ(CreateLineObjectFromRecord(LineRecord(5, TRealPoint{4, 5})), nullptr);
  EXPECT_EQ(CreateTextObjectFromRecord(TextRecord(9, 0, 0, 0), TTextSublayerState{}), nullptr);
  EXPECT_EQ(calls, 1);
}

TEST_F(ObjectSaveRecordRegistry, UnregisteredClassIsReportedNotSkipped) {
  ASSERT_FALSE(IsRecordClassRegistered(TRecordClass::NapisT));
  try {
    CreateTextObjectFromRecord(TextRecord(2, 0, 0, 0), TTextSublayerState{});
    FAIL() << "no error";
  } catch (const ENotImplemented& e) {
    EXPECT_NE(std::string(e.what()).find("TNapisT"), std::string::npos);
  }
  RegisterRecordClass(TRecordClass::NapisT, [](const ObjectSaveRecord& Rec) {
    return std::make_unique<TRecordedObj>(Rec);
  });
  EXPECT_TRUE(IsRecordClassRegistered(TRecordClass::NapisT));
  EXPECT_NE(CreateTextObjectFromRecord(TextRecord(2, 0, 0, 0), TTextSublayerState{}), nullptr);
}

// The base part: what TEGraphObj writes and reads.
TEST(ObjectSaveRecordBasePart, WritesIndexAndIdentifierOverAnOldRecord) {
  TRecordedObj obj;
  obj.SetIndexChanged(0x123);
  obj.MarkInList();
  obj.IdentWord = 0x80000009;  // the archived bit goes into the identifier unchanged
  obj.SetKolor(0xABCDEF);
  ObjectSaveRecord rec = FromImage(Image({{0, Bytes(122, 0xEE)}}));
  obj.SaveToRecord(rec);
  EXPECT_EQ(rec.Bytes(), Image({{4, {0x23, 0x01, 0, 0}}, {8, {9, 0, 0, 0x80}}}));
}

TEST(ObjectSaveRecordBasePart, ReadsIndexIdentifierAndArchivedFlag) {
  // Identifier bit 31 is ignored: the archived state comes from byte 1.
  TRecordedObj loaded(FromImage(Image({{4, {0xFF, 0xFF, 0xFF, 0xFF}}, {8, {9, 0, 0, 0x80}}})));
  EXPECT_EQ(loaded.IndexWord, 0x07FFFFFFu);
  EXPECT_FALSE(loaded.IsChanged());
  EXPECT_TRUE(loaded.IsUnowned());
  EXPECT_FALSE(loaded.IsArchived());
  EXPECT_EQ(loaded.GetIdent(), 9u);
  EXPECT_EQ(loaded.ColourWord, 0x01000000u);

  TRecordedObj archived(FromImage(Image({{1, {0x20}}, {4, {5, 0, 0, 0}}, {8, {9, 0, 0, 0}}})));
  EXPECT_TRUE(archived.IsArchived());
  EXPECT_EQ(archived.GetIdent(), 9u);
  EXPECT_EQ(archived.GetIndex(), 5u);
}

// A record read from a damaged layer file: values the layer cannot hold make
// it damaged; the largest sound values do not.
TEST(RecordFitsLayer, ValuesTheLayerCannotHoldMakeTheRecordDamaged) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const auto line = [] {
    ObjectSaveRecord r;
    r.SetLineKind(kLineKindLine);
    r.SetPoint1(TPointRec{5601200.0, 5823500.0, 0.0f});
    r.SetPoint2(TPointRec{5601210.0, 5823510.0, 0.0f});
    return r;
  };
  const auto text = [] {
    ObjectSaveRecord r;
    r.SetKindByte(kTextKindText);
    r.SetAnchor(TRealPoint{5601200.0, 5823500.0});
    r.SetText("12/3");
    r.SetHeight(2.5f);
    return r;
  };
  struct Case {
    const char* name;
    bool lineLayer;
    std::function<void(ObjectSaveRecord&)> change;
    bool fits;
  };
  const Case cases[] = {
      {"a sound line", true, [](ObjectSaveRecord&) {}, true},
      {"a line at the largest coordinate", true, [](ObjectSaveRecord& r) { r.SetDouble(kRecP2X, -kMaxRecordCoordinate); }, true},
      {"a line beyond it", true, [](ObjectSaveRecord& r) { r.SetDouble(kRecP2X, 1.0001e8); }, false},
      {"a line with a NaN", true, [&](ObjectSaveRecord& r) { r.SetDouble(kRecP1Y, nan); }, false},
      {"a circle of infinite radius", true,
       [&](ObjectSaveRecord& r) {
         r.SetLineKind(kLineKindCircle);
         r.SetRadius(inf);
       },
       false},
      {"a Z that is no number", true, [&](ObjectSaveRecord& r) { r.SetSingle(kRecZ2, static_cast<float>(nan)); }, false},
      {"a line kind without a class", true, [](ObjectSaveRecord& r) { r.SetLineKind(5); }, false},
      {"a sound text", false, [](ObjectSaveRecord&) {}, true},
      {"a text anchor beyond the largest coordinate", false, [](ObjectSaveRecord& r) { r.SetDouble(kRecAnchorX, 3e300); }, false},
      {"a text length byte beyond its field", false, [](ObjectSaveRecord& r) { r.SetByte(kRecText, 48); }, false},
      {"a text height of infinity", false, [&](ObjectSaveRecord& r) { r.SetHeight(static_cast<float>(inf)); }, false},
      {"a text angle that is no number", false, [&](ObjectSaveRecord& r) { r.SetAngle(static_cast<float>(nan)); }, false},
      {"a text kind without a class", false, [](ObjectSaveRecord& r) { r.SetKindByte(7); }, false},
  };
  for (const Case& c : cases) {
    ObjectSaveRecord r = c.lineLayer ? line() : text();
    c.change(r);
    EXPECT_EQ(RecordFitsLayer(r, c.lineLayer), c.fits) << c.name;
  }
}

}  // namespace
