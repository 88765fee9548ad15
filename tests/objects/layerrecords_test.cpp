// Save records of the layer objects against hand-made bytes, both ways, and
// the stored-layout checks of texts, fractions, symbols and multipliers.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <typeindex>
#include <typeinfo>
#include <vector>

#include "layer_fixture.h"
#include "objects/fraction.h"
#include "objects/layerline.h"
#include "objects/point.h"
#include "objects/styledlines.h"
#include "objects/symbol.h"
#include "objects/clipbounds.h"
#include "objects/texts.h"

namespace {

class LayerRecords : public LayerObjectsFixture {};

ObjectSaveRecord Saved(const TEGraphObj& Obj) {
  ObjectSaveRecord r;
  Obj.SaveToRecord(r);
  return r;
}

TEST_F(LayerRecords, SpecialLineStoresThicknessAndMultiplierInThousandths) {
  TLiniaSpecjalna line(TRealPoint{1, 2}, TRealPoint{3, 4}, nullptr, 0.1234);
  line.Style.Thickness = 2;
  const ObjectSaveRecord r = Saved(line);
  HandRecord want;
  want.Byte(3, 0x10).Double(12, 1).Double(20, 2).Double(28, 3).Double(36, 4).Word(62, 123);
  EXPECT_EQ(r.Bytes(), want.b);
  EXPECT_FALSE(r.Truncated());

  // Back: 123 thousandths, thickness 2, a style number the library lacks
  // gives the default style.
  want.Word(60, 999);
  const auto back = CreateLineObjectFromRecord(want.Record());
  const auto* special = dynamic_cast<const TLiniaSpecjalna*>(back.get());
  ASSERT_NE(special, nullptr);
  EXPECT_FLOAT_EQ(special->Style.Multiplier, 0.123f);
  EXPECT_EQ(special->Style.Thickness, 2);
  EXPECT_EQ(special->Style.LineDef, nullptr);
  EXPECT_EQ(special->P2, (TPointRec{3, 4, 0}));
}

TEST_F(LayerRecords, StyleKeepsOtherKindBitsAndTheStyleWordWithoutLineDef) {
  TSpecStyle s;
  s.InitStyle(nullptr, 0.0, 2);
  HandRecord r;
  r.Byte(3, 0xEF).Word(60, 0x1234).Word(62, 0x7777);
  ObjectSaveRecord rec = r.Record();
  EXPECT_EQ(s.SaveStyle(rec), TStoreResult::Whole);
  EXPECT_EQ(rec.GetKindByte(), 0xF7);  // bits 3-4 := 10b, the rest kept
  EXPECT_EQ(rec.GetStyleNumber(), 0x1234);
  EXPECT_EQ(rec.GetWord(62), 0);  // multiplier 0: the default
}

TEST_F(LayerRecords, MultiplierThatDoesNotFitIsReportedNotWrapped) {
  TOkragSpecjalny circle(TPointRec{0, 0, 0}, 5);
  circle.Style.Multiplier = 70.0f;
  EXPECT_FALSE(circle.Style.MultiplierFits());
  const ObjectSaveRecord r = Saved(circle);
  EXPECT_TRUE(r.Truncated());
  EXPECT_EQ(r.GetWord(62), 0xFFFF);
  circle.Style.Multiplier = 65.535f;
  EXPECT_TRUE(circle.Style.MultiplierFits());
  EXPECT_FALSE(Saved(circle).Truncated());
}

TEST_F(LayerRecords, SpecialCircleAndArcReloadAsSpecialOnes) {
  TLukSpecjalny arc(TPointRec{0, 0, 1}, TPointRec{0, 10, 2}, -13);
  arc.Style.Thickness = 1;
  arc.Style.Multiplier = 2.5f;
  const auto back = CreateLineObjectFromRecord(Saved(arc));
  ASSERT_NE(dynamic_cast<TLukSpecjalny*>(back.get()), nullptr);
  EXPECT_TRUE(back->SameGeometry(arc));
  EXPECT_EQ(Saved(arc).GetKindByte(), 0x09);

  TDefSpecOkrag plain(TPointRec{1, 2, 0}, 3);
  const auto plainBack = CreateLineObjectFromRecord(Saved(plain));
  EXPECT_NE(dynamic_cast<TDefSpecOkrag*>(plainBack.get()), nullptr);
  EXPECT_EQ(dynamic_cast<TOkragSpecjalny*>(plainBack.get()), nullptr);
}

TEST_F(LayerRecords, PointIsAZeroLengthLineAndReloadsAsAPointWithItsZ) {
  TPunkt p(TRealPoint{5, 6});
  p.Position.Z = 7.5f;
  const ObjectSaveRecord r = Saved(p);
  HandRecord want;
  want.Double(12, 5).Double(20, 6).Double(28, 5).Double(36, 6).Single(52, 7.5f);
  EXPECT_EQ(r.Bytes(), want.b);
  const auto back = CreateLineObjectFromRecord(r);
  const auto* q = dynamic_cast<const TPunkt*>(back.get());
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(q->Position, (TPointRec{5, 6, 7.5f}));
  // A line whose ends were made equal reloads as a point too.
  const auto line = CreateLineObjectFromRecord(Saved(TDefSpecLinia(TRealPoint{1, 1}, TRealPoint{1, 1})));
  EXPECT_NE(dynamic_cast<TPunkt*>(line.get()), nullptr);
}

TEST_F(LayerRecords, AngledTextWritesEveryField) {
  TWysKatNapis t(TRealPoint{10, 20}, "IIs", 2.5, 0x47, true, 0.5f);
  HandRecord want;
  want.Byte(3, 2).Double(12, 10).Double(20, 20).Text(28, "IIs").Single(76, 2.5f).Single(80, 0.5f).Byte(84, 0x57);
  EXPECT_EQ(Saved(t).Bytes(), want.b);
  const auto back = CreateTextObjectFromRecord(want.Record(), TTextSublayerState{});
  EXPECT_TRUE(back->SameGeometry(t));
}

TEST_F(LayerRecords, LoadingClearsFlagBits0x20And0x80AndRepairsTheJustification) {
  const struct {
    std::uint8_t Stored;
    std::uint8_t Loaded;
  } cases[] = {{0xAF, 0x07}, {0x00, 0x07}, {0x5A, 0x57}, {0x25, 0x05}, {0x93, 0x13}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Stored));
    HandRecord r;
    r.Byte(3, 2).Text(28, "I").Single(76, 1.0f).Byte(84, c.Stored);
    const TWysNapis t(r.Record());
    EXPECT_EQ(t.Flags, c.Loaded);
  }
}

TEST_F(LayerRecords, TextOfTheEditClassSavesKind2Or3AndAlwaysItsOffset) {
  TWysKatOdnNapisW t;
  t.Position = TRealPoint{1, 1};
  t.Text = "I";
  t.SetRefPoint(TRealPoint{4, 5});
  ObjectSaveRecord r = Saved(t);
  EXPECT_EQ(r.GetKindByte(), 2);
  EXPECT_FLOAT_EQ(r.GetRefOffset().X, 3.0f);
  t.NoReference = 0;
  r = Saved(t);
  EXPECT_EQ(r.GetKindByte(), 3);
  const auto back = CreateTextObjectFromRecord(r, TTextSublayerState{});
  const auto* ref = dynamic_cast<const TWysKatOdnNapis*>(back.get());
  ASSERT_NE(ref, nullptr);
  EXPECT_EQ(ref->GetRefPoint(), (TRealPoint{4, 5}));
}

TEST_F(LayerRecords, FractionStoresNumeratorSeparatorDenominator) {
  TLicznikMianownik f(TRealPoint{0, 0}, "12", "3", 1.0, 7, false, 0.0f);
  ObjectSaveRecord r = Saved(f);
  HandRecord want;
  want.Byte(3, 0x12).Text(28, std::string("12\0" "3", 4)).Single(76, 1.0f).Byte(84, 7);
  EXPECT_EQ(r.Bytes(), want.b);
  f.NoReference = 0;
  EXPECT_EQ(Saved(f).GetKindByte(), 0x13);

  const TLicznikMianownik one(want.Record());
  EXPECT_EQ(one.Text, "12");
  EXPECT_EQ(one.Denominator, "3");
  EXPECT_FALSE(one.HasReference());

  HandRecord two;
  two.Byte(3, 0x13).Text(28, std::string("12\0" "3 \0" "4", 7));
  const TLicznikMianownik t(two.Record());
  EXPECT_EQ(t.Text, "12");
  EXPECT_EQ(t.Denominator, std::string("3 \0" "4", 4));
  EXPECT_TRUE(t.HasReference());
  EXPECT_EQ(t.GetValue().Text, std::string("12|3 \0" "4", 7));
}

TEST_F(LayerRecords, TooLongTextsAreReportedAndRefusedByTheLayoutTest) {
  const std::string t47(47, 'I');
  const std::string t48(48, 'I');
  TWysNapis fits(TRealPoint{}, t47, 1, 7, false);
  EXPECT_TRUE(fits.FitsStoredLayout());
  EXPECT_FALSE(Saved(fits).Truncated());
  TWysNapis cut(TRealPoint{}, t48, 1, 7, false);
  EXPECT_FALSE(cut.FitsStoredLayout());
  const ObjectSaveRecord r = Saved(cut);
  EXPECT_TRUE(r.Truncated());
  EXPECT_EQ(TWysNapis(r).Text, t47);

  // A text with a reference point: 39 in the layer file.
  TWysKatOdnNapisW ref;
  ref.Text = std::string(40, 'I');
  EXPECT_TRUE(ref.FitsStoredLayout());
  ref.NoReference = 0;
  EXPECT_FALSE(ref.FitsStoredLayout());

  // Fraction: numerator, separator and denominator together.
  TLicznikMianownik f(TRealPoint{}, std::string(45, '1'), "2", 1, 7, false, 0);
  EXPECT_TRUE(f.FitsStoredLayout());
  f.Denominator = "23";
  EXPECT_FALSE(f.FitsStoredLayout());
  f.Text = std::string(47, '1');
  const ObjectSaveRecord fr = Saved(f);
  EXPECT_TRUE(fr.Truncated());
  const TLicznikMianownik back(fr);
  EXPECT_EQ(back.Text, std::string(47, '1'));
  EXPECT_EQ(back.Denominator, "");

  // Symbol names: 25.
  TGrSymbol s;
  s.Text = std::string(25, 'S');
  EXPECT_TRUE(s.FitsStoredLayout());
  s.Text += "S";
  EXPECT_FALSE(s.FitsStoredLayout());
}

TEST_F(LayerRecords, SymbolTheLibraryLacksLoadsWithoutSymbolAndSavesUnchanged) {
  HandRecord r;
  r.Byte(3, 4).Double(12, 7).Double(20, 8).Text(28, "BRAK").Single(76, 2.0f).Single(80, 1.5f);
  const auto obj = CreateTextObjectFromRecord(r.Record(), TTextSublayerState{});
  const auto* s = dynamic_cast<const TWysKatSymbol*>(obj.get());
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->Symbol, nullptr);
  EXPECT_EQ(s->GetText(), "BRAK");
  EXPECT_EQ(Saved(*s).Bytes(), r.b);
  EXPECT_EQ(s->CreateOutline(nullptr), nullptr);

  // Height and angle 0 save a record that loads as the plain symbol.
  TWysKatSymbol flat;
  flat.Text = "BRAK";
  const auto plain = CreateTextObjectFromRecord(Saved(flat), TTextSublayerState{});
  EXPECT_NE(dynamic_cast<TGrSymbol*>(plain.get()), nullptr);
  EXPECT_EQ(dynamic_cast<TWysKatSymbol*>(plain.get()), nullptr);
}

// Every class not written by hand above, both ways: the object writes the
// hand-made bytes, and the bytes load as an object of that class with the
// same geometry. Styles and symbols come from the program's libraries.
TEST_F(LayerRecords, EveryClassAgainstHandMadeBytes) {
  UseProgramLibraries();
  const TLine* kres = LineManager().GetLine(20);
  TSymbol* krz = SymbolManager().GetSymbolByName("KRZ");
  ASSERT_NE(kres, nullptr);
  ASSERT_NE(krz, nullptr);

  auto specialLine = std::make_unique<TLiniaSpecjalna>(TRealPoint{1, 2}, TRealPoint{3, 4}, kres, 1.5);
  specialLine->Style.Thickness = 1;
  auto specialCircle = std::make_unique<TOkragSpecjalny>(TPointRec{5, 6, 0.5f}, 7);
  specialCircle->Style.InitStyle(kres, 0.25, 2);
  auto specialArc = std::make_unique<TLukSpecjalny>(TPointRec{0, 0, 1}, TPointRec{0, 10, 2}, -13);
  specialArc->Style.InitStyle(kres, 0, 0);
  auto plainArc = std::make_unique<TDefSpecLuk>(TPointRec{0, 0, 0}, TPointRec{0, 10, 0}, 13);
  auto plainCircle = std::make_unique<TDefSpecOkrag>(TPointRec{5, 6, 0}, 7);

  struct Case {
    const char* Name;
    std::unique_ptr<TEGraphObj> Object;
    HandRecord Bytes;
    bool TextLayer;
  };
  std::vector<Case> cases;
  cases.push_back({"special line with a style", std::move(specialLine),
                   HandRecord().Byte(3, 0x08).Double(12, 1).Double(20, 2).Double(28, 3).Double(36, 4)
                       .Word(60, 20).Word(62, 1500),
                   false});
  cases.push_back({"special circle", std::move(specialCircle),
                   HandRecord().Byte(3, 0x12).Double(12, 5).Double(20, 6).Double(44, 7).Single(52, 0.5f)
                       .Word(60, 20).Word(62, 250),
                   false});
  cases.push_back({"special arc with the style alone", std::move(specialArc),
                   HandRecord().Byte(3, 0x01).Double(20, 0).Double(28, 0).Double(36, 10).Double(44, -13)
                       .Single(52, 1).Single(56, 2).Word(60, 20),
                   false});
  cases.push_back({"style-following arc", std::move(plainArc),
                   HandRecord().Byte(3, 0x01).Double(36, 10).Double(44, 13), false});
  cases.push_back({"style-following circle", std::move(plainCircle),
                   HandRecord().Byte(3, 0x02).Double(12, 5).Double(20, 6).Double(44, 7), false});
  cases.push_back({"text that keeps the sublayer's height", std::make_unique<TNapisT>(TRealPoint{10, 20}, "II"),
                   HandRecord().Byte(3, 2).Double(12, 10).Double(20, 20).Text(28, "II"), true});
  cases.push_back({"text with a height",
                   std::make_unique<TWysNapis>(TRealPoint{10, 20}, "I", 2.5, 5, true),
                   HandRecord().Byte(3, 2).Double(12, 10).Double(20, 20).Text(28, "I").Single(76, 2.5f)
                       .Byte(84, 0x15),
                   true});
  cases.push_back({"referenced text",
                   std::make_unique<TWysKatOdnNapis>(TRealPoint{10, 20}, "I", 0, 0x47, false, 0.25f,
                                                     TRealPoint{6.5, 26}),
                   HandRecord().Byte(3, 3).Double(12, 10).Double(20, 20).Text(28, "I").Single(80, 0.25f)
                       .Byte(84, 0x47).Single(85, -3.5f).Single(89, 6.0f),
                   true});
  cases.push_back({"symbol of the library", std::make_unique<TGrSymbol>(TRealPoint{7, 8}, krz),
                   HandRecord().Byte(3, 4).Double(12, 7).Double(20, 8).Text(28, "KRZ"), true});
  cases.push_back({"turned symbol of the library",
                   std::make_unique<TWysKatSymbol>(TRealPoint{7, 8}, krz, 0, 1.5f),
                   HandRecord().Byte(3, 4).Double(12, 7).Double(20, 8).Text(28, "KRZ").Single(80, 1.5f), true});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const ObjectSaveRecord written = Saved(*c.Object);
    EXPECT_EQ(written.Bytes(), c.Bytes.b);
    EXPECT_FALSE(written.Truncated());
    const std::unique_ptr<TEGraphObj> back = c.TextLayer
                                                 ? CreateTextObjectFromRecord(c.Bytes.Record(), TTextSublayerState{})
                                                 : CreateLineObjectFromRecord(c.Bytes.Record());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(std::type_index(typeid(*back)), std::type_index(typeid(*c.Object)));
    EXPECT_TRUE(back->SameGeometry(*c.Object));
    EXPECT_EQ(Saved(*back).Bytes(), c.Bytes.b);
  }
  const auto ref = CreateTextObjectFromRecord(cases[7].Bytes.Record(), TTextSublayerState{});
  EXPECT_EQ(dynamic_cast<const TWysKatOdnNapis&>(*ref).GetRefPoint(), (TRealPoint{6.5, 26}));
  const auto sym = CreateTextObjectFromRecord(cases[8].Bytes.Record(), TTextSublayerState{});
  EXPECT_EQ(dynamic_cast<const TGrSymbol&>(*sym).Symbol, krz);
}

}  // namespace
