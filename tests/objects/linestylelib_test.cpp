#include "objects/linestylelib.h"

#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/errors.h"
#include "foundation/storage/real48.h"
#include "objects/grobj.h"
#include "objects/libcfg.h"
#include "platform/files/codepage.h"
#include "drawing/dim_fixture.h"
#include "drawing/realcanvas.h"
#include "drawing/windowdim.h"
#include "platform/gui/controls_strings.h"
#include "platform/paint/gdiimage.h"
#include "common/scratch_folder.h"
#include "platform/files/system.h"

namespace {

// Hand-made line-style files.

struct Elem {
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0, R = 0;
  std::uint8_t Type = 0;
};

struct Sec {
  std::int32_t First = 0;
  std::int16_t Count = 0;
  double Start = 0, End = 0;
  std::int8_t Mode = 0;
};

void PutU16(std::string& Out, std::size_t At, std::uint16_t V) {
  Out[At] = static_cast<char>(V & 0xFF);
  Out[At + 1] = static_cast<char>(V >> 8);
}

void PutI32(std::string& Out, std::size_t At, std::int32_t V) {
  const auto u = static_cast<std::uint32_t>(V);
  for (int i = 0; i < 4; ++i) Out[At + i] = static_cast<char>((u >> (8 * i)) & 0xFF);
}

void PutReal(std::string& Out, std::size_t At, double V) {
  const TReal48Bytes bytes = DoubleToReal48(V);
  for (int i = 0; i < 6; ++i) Out[At + i] = static_cast<char>(bytes[i]);
}

void PutSection(std::string& Rec, std::size_t At, const Sec& S) {
  PutI32(Rec, At, S.First);
  PutU16(Rec, At + 4, static_cast<std::uint16_t>(S.Count));
  PutReal(Rec, At + 6, S.Start);
  PutReal(Rec, At + 12, S.End);
  Rec[At + 18] = static_cast<char>(S.Mode);
}

std::string StyleRecord(const std::string& Name, std::uint16_t Number, std::int8_t Pen,
                        Sec Start = {}, Sec Middle = {}, Sec End = {},
                        std::uint16_t Variants = 0) {
  std::string rec(93, '\0');
  const std::string cp = platform::Utf8ToCp1250(Name);
  rec[0] = static_cast<char>(cp.size());
  rec.replace(1, cp.size(), cp);
  PutU16(rec, 13, Number);
  PutU16(rec, 15, Variants);
  rec[35] = static_cast<char>(Pen);
  PutSection(rec, 36, Start);
  PutSection(rec, 55, Middle);
  PutSection(rec, 74, End);
  return rec;
}

std::string VariantRecord(std::uint16_t Denominator, Sec Start = {}, Sec Middle = {},
                          Sec End = {}) {
  std::string rec(93, '\0');
  rec[0] = rec[1] = static_cast<char>(0xFF);
  PutU16(rec, 2, Denominator);
  PutSection(rec, 36, Start);
  PutSection(rec, 55, Middle);
  PutSection(rec, 74, End);
  return rec;
}

std::string ElementRecord(const Elem& E) {
  std::string rec(32, '\0');
  PutReal(rec, 1, E.X1);
  PutReal(rec, 7, E.Y1);
  PutReal(rec, 13, E.X2);
  PutReal(rec, 19, E.Y2);
  PutReal(rec, 25, E.R);
  rec[31] = static_cast<char>(E.Type);
  return rec;
}

std::string LineFile(const std::vector<std::string>& Records, const std::vector<Elem>& Elements,
                     std::uint16_t Magic = kLineStyleFileMagic) {
  std::string out(6, '\0');
  PutU16(out, 0, Magic);
  PutU16(out, 2, static_cast<std::uint16_t>(Records.size()));
  PutU16(out, 4, static_cast<std::uint16_t>(6 + 93 * Records.size()));
  for (const std::string& r : Records) out += r;
  for (const Elem& e : Elements) out += ElementRecord(e);
  return out;
}

// An axis dash from Y = A to Y = B.
Elem Dash(double A, double B) { return Elem{0, A, 0, B, 0, 0}; }

// Captures what the library error box would show.
class LineStyleLibTest : public ::testing::Test {
protected:
  void SetUp() override {
    SetLibraryErrorBox([this](const std::string& Text) { shown.push_back(Text); });
  }
  void TearDown() override {
    ReleaseLineManager();
    SetLibraryErrorBox(nullptr);
    FreeGlobalnaKonfiguracja();
  }

  std::unique_ptr<TLineManager> Load(const std::string& Bytes) {
    return TLineManager::CreateFromFile(folder.Put("nk1l.lin", Bytes));
  }

  // A file whose style 60 is good and whose style 61 is refused: the message
  // is shown once, style 60 stays and loading stops at style 61.
  void ExpectSecondStyleRefused(const std::string& Bytes, const std::string& Message) {
    shown.clear();
    auto lib = Load(Bytes);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], Message);
    EXPECT_NE(lib->GetLine(60), nullptr);
    EXPECT_EQ(lib->GetLine(61), nullptr);
    EXPECT_EQ(lib->GetLine(62), nullptr) << "loading stops at the refused style";
  }

  ScratchFolder folder;
  std::vector<std::string> shown;
};

// A section with one axis dash from 0 to Dash, Length long, starting at 0.
std::unique_ptr<TLineSection> AxisSection(double Length, double DashEnd, std::uint8_t Mode) {
  auto section = std::make_unique<TLineSection>();
  section->Mode = Mode;
  section->EndPos = Length;
  TElementRecord rec;
  rec.Type = 0;
  rec.Y2 = DashEnd;
  section->AddElementFromRecord(rec);
  return section;
}

TEST_F(LineStyleLibTest, LoadsStylesSectionsAndElementsFromTheirBytes) {
  // Style 20 "kres": start section elements 1-1 (start 1 to 2, mode 1),
  // middle 2-3 (from 0.5 to 3.5, stored mode 12), no end. Style 21 plain.
  const std::string bytes = LineFile(
      {StyleRecord("kres", 20, -1, Sec{1, 1, 1.0, 2.0, 1}, Sec{2, 3, 0.5, 3.5, 12}),
       StyleRecord("ciągła", 21, 3)},
      {Dash(1.0, 1.5), Dash(0.5, 2.5), Elem{0, 0, 0, 0, 0, 8}, Elem{0.5, 3.0, 0, 0, 0.25, 2}});
  auto lib = Load(bytes);
  EXPECT_TRUE(shown.empty());

  TLine* kres = lib->GetLine(20);
  ASSERT_NE(kres, nullptr);
  EXPECT_EQ(kres->Name, "KRES");
  EXPECT_EQ(kres->Flags, kLineNoPenStyle);
  EXPECT_EQ(kres->PenStyle, 0);
  ASSERT_TRUE(kres->StartSection && kres->MiddleSection);
  EXPECT_FALSE(kres->EndSection);
  EXPECT_EQ(kres->StartSection->Mode, 1);
  EXPECT_EQ(kres->MiddleSection->Mode, kSectionStretchAlong | kSectionRepeatOnce);
  EXPECT_DOUBLE_EQ(kres->MiddleSection->Length(), 3.0);
  EXPECT_DOUBLE_EQ(kres->GetPatternLength(), 3.0);
  // Element Y values are kept relative to the section's start; the type-8
  // record is skipped.
  ASSERT_EQ(kres->StartSection->Count(), 1);
  EXPECT_DOUBLE_EQ(kres->StartSection->ItemAs<TEGraphObj>(0)->GetStartPoint().Y, 0.0);
  EXPECT_DOUBLE_EQ(kres->StartSection->ItemAs<TEGraphObj>(0)->GetEndPoint().Y, 0.5);
  ASSERT_EQ(kres->MiddleSection->Count(), 2);
  EXPECT_DOUBLE_EQ(kres->MiddleSection->ItemAs<TEGraphObj>(0)->GetEndPoint().Y, 2.0);
  float a = 0, b = 0;
  EXPECT_FALSE(kres->MiddleSection->ItemAs<TEGraphObj>(1)->GetDashInterval(a, b));

  TLine* plain = lib->GetLine(21);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->Name, "CIąGłA");  // only a to z are upper-cased
  EXPECT_TRUE(plain->IsPlain());
  EXPECT_EQ(plain->PenStyle, 3);
}

TEST_F(LineStyleLibTest, BuiltInStylesCompleteTheFileAndYieldToIt) {
  auto lib = Load(LineFile({StyleRecord("mój", 2, 0, {}, Sec{1, 1, 0, 4, 2})}, {Dash(0, 1)}));
  EXPECT_EQ(lib->Count(), 14);
  EXPECT_EQ(lib->GetLine(2)->Name, "MóJ");
  for (std::uint16_t n = 1; n <= 14; ++n) ASSERT_NE(lib->GetLine(n), nullptr) << n;
  EXPECT_EQ(lib->GetLine(15), nullptr);
  EXPECT_EQ(lib->GetLine(0), nullptr);

  const TLine* seven = lib->GetLine(7);
  EXPECT_EQ(seven->Name, "7");
  EXPECT_FALSE(seven->IsPlain());
  EXPECT_FALSE(seven->StartSection);
  EXPECT_DOUBLE_EQ(seven->MiddleSection->Length(), 4.0);
  EXPECT_DOUBLE_EQ(seven->EndSection->Length(), 3.0);
  EXPECT_EQ(seven->MiddleSection->Mode, kSectionStretchAlong);
  EXPECT_TRUE(lib->GetLine(14)->IsPlain());
  EXPECT_EQ(lib->GetLine(14)->PenStyle, 5);
  EXPECT_EQ(lib->GetLine(13)->PenStyle, 4);
}

TEST_F(LineStyleLibTest, FirstStyleOfANumberStays) {
  auto lib = Load(LineFile({StyleRecord("A", 30, 0), StyleRecord("B", 30, 1)}, {}));
  EXPECT_EQ(lib->GetLine(30)->Name, "A");
  EXPECT_EQ(lib->Count(), 15);
}

TEST_F(LineStyleLibTest, VariantsFollowTheirStyleByDenominator) {
  const Sec mid{1, 1, 0, 2, 2};
  auto lib = Load(LineFile({StyleRecord("W", 40, 0, {}, mid, {}, 4), VariantRecord(500, {}, mid),
                            VariantRecord(1000, {}, mid), VariantRecord(5000, {}, mid),
                            StyleRecord("Z", 41, 0, {}, {}, {}, 3), VariantRecord(2000, {}, mid)},
                           {Dash(0, 1)}));
  TLine* w = lib->GetLine(40);
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->Variant500);
  EXPECT_FALSE(w->Variant2000);  // 1000 is discarded
  EXPECT_TRUE(w->Variant5000);
  // The variant count runs past the last record: Z takes the one there is.
  TLine* z = lib->GetLine(41);
  ASSERT_NE(z, nullptr);
  EXPECT_TRUE(z->Variant2000);
  EXPECT_TRUE(z->IsPlain()) << "the style's own record decides";
  EXPECT_TRUE(shown.empty());

  struct Case {
    double Denominator;
    const TLineImp* Expected;
  } cases[] = {{749, w->Variant500.get()}, {750, w},  {1499, w},
               {1500, w},                  {3499, w}, {3500, w->Variant5000.get()}};
  for (const Case& c : cases) EXPECT_EQ(&w->DefinitionFor(c.Denominator), c.Expected) << c.Denominator;
}

TEST_F(LineStyleLibTest, NamesMatchIgnoringCaseOfLettersAToZOnly) {
  auto lib = Load(LineFile({StyleRecord("łąka", 50, 0), StyleRecord("Rów", 51, 0)}, {}));
  EXPECT_EQ(lib->GetLineByName("ŁĄKA"), nullptr);
  EXPECT_EQ(lib->GetLineByName("łąKa"), lib->GetLine(50));
  EXPECT_EQ(lib->GetLineByName("rów"), lib->GetLine(51));
  EXPECT_EQ(lib->GetLineByName("RÓW"), nullptr);
  EXPECT_EQ(lib->GetLineByName("7"), lib->GetLine(7));

  platform::TStrings strings;
  strings.Add("Domyślny");
  lib->FillStrings(strings);
  ASSERT_EQ(strings.Count(), 17);
  EXPECT_EQ(strings[0], "Domyślny");
  EXPECT_EQ(strings[1], "1");
  EXPECT_EQ(strings[15], "łąKA");
  EXPECT_EQ(strings.Objects(16), lib->GetLine(51));
}

// Damaged files: the Part's message is shown once, the styles read before the
// damage and the built-in styles stay, nothing is read past the data.
TEST_F(LineStyleLibTest, DamagedFilesShowTheirMessageAndKeepWhatWasLoaded) {
  const std::string good = StyleRecord("DOBRA", 60, 0, {}, Sec{1, 1, 0, 2, 2});
  const std::vector<Elem> elems{Dash(0, 1)};
  std::string badMagic = LineFile({good}, elems, 0x2310);
  std::string shortHeader = LineFile({good}, elems).substr(0, 4);
  std::string recordsCut = LineFile({good, good}, elems).substr(0, 6 + 93 + 50);
  std::string elementsPastEnd = LineFile({good}, elems);
  PutU16(elementsPastEnd, 4, static_cast<std::uint16_t>(elementsPastEnd.size() + 1));

  struct Case {
    const char* What;
    std::string Bytes;
    std::string Message;
    bool KeepsDobra;
  } cases[] = {
      {"wrong magic", badMagic, "Błąd w pliku definicji linii", false},
      {"short header", shortHeader, "Błąd w pliku definicji linii", false},
      {"records cut", recordsCut, "Błąd w pliku definicji linii", false},
      {"element table past the end", elementsPastEnd, "Błąd w pliku definicji linii", false},
      {"no sections and no pen style", LineFile({good, StyleRecord("pusta", 61, -1)}, elems),
       "Błąd w definicji linii: PUSTA", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    shown.clear();
    auto lib = Load(c.Bytes);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], c.Message);
    EXPECT_EQ(lib->GetLine(60) != nullptr, c.KeepsDobra);
    EXPECT_EQ(lib->GetLine(61), nullptr);
    EXPECT_NE(lib->GetLine(1), nullptr);
  }
}

// Element indexes and counts come from the file: a section reaching outside
// the element table refuses its style, never reads past the table.
TEST_F(LineStyleLibTest, OutOfRangeElementIndexesAreRefused) {
  const std::string good = StyleRecord("DOBRA", 60, 0, {}, Sec{1, 1, 0, 2, 2});
  const std::vector<Elem> elems{Dash(0, 1)};
  struct Case {
    const char* What;
    std::string Bytes;
    std::string Message;
  } cases[] = {
      {"first element 0",
       LineFile({good, StyleRecord("ZŁA", 61, 0, {}, Sec{0, 1, 0, 2, 2})}, elems),
       "Błąd w definicji linii: ZŁA"},
      {"negative first element",
       LineFile({good, StyleRecord("X", 61, 0, Sec{-5, 2, 0, 1, 0})}, elems),
       "Błąd w definicji linii: X"},
      {"range past the table",
       LineFile({good, StyleRecord("Y", 61, 0, {}, {}, Sec{1, 2, 0, 1, 0}),
                 StyleRecord("PO", 62, 0)},
                elems),
       "Błąd w definicji linii: Y"},
      {"huge first element",
       LineFile({good, StyleRecord("Q", 61, 0, {}, Sec{0x7FFFFFFF, 0x7FFF, 0, 1, 0})}, elems),
       "Błąd w definicji linii: Q"},
      {"variant past the table",
       LineFile({good, StyleRecord("V", 61, 0, {}, {}, {}, 1),
                 VariantRecord(500, Sec{2, 1, 0, 1, 0})},
                elems),
       "Błąd w definicji linii: V"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    ExpectSecondStyleRefused(c.Bytes, c.Message);
  }
}

TEST_F(LineStyleLibTest, MissingFileNamesTheFileAndLeavesTheBuiltInStyles) {
  const std::string name = folder / "brak.lin";
  auto lib = TLineManager::CreateFromFile(name);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], "Brak pliku z liniami:" + name);
  EXPECT_EQ(lib->Count(), 14);
}

TEST_F(LineStyleLibTest, EmptyFileLoadsOnlyTheBuiltInStyles) {
  auto lib = Load(LineFile({}, {}));
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(lib->Count(), 14);
}

TEST_F(LineStyleLibTest, ProgramLibraryIsRetiredByAChangedFileNameAndOwnsTheOldOne) {
  SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(folder / "tolvika.ini"));
  const std::string first = folder.Put("a.lin", LineFile({StyleRecord("PIERWSZA", 70, 0)}, {}));
  const std::string second = folder.Put("b.lin", LineFile({StyleRecord("DRUGA", 71, 0)}, {}));
  SymbolLineManagerCfg().LineDefs = first;

  TLineManager* old = &LineManager();
  EXPECT_EQ(&LineManager(), old);
  TLine* kept = old->GetLine(70);
  ASSERT_NE(kept, nullptr);

  SymbolLineManagerCfg().LineDefs = second;
  SymbolLineManagerCfg().NotifyChanged();
  EXPECT_EQ(SymbolLineManagerCfg().SubscriptionCount(), 0);
  TLineManager& fresh = LineManager();
  EXPECT_NE(fresh.GetLine(71), nullptr);
  EXPECT_EQ(fresh.GetLine(70), nullptr);
  EXPECT_EQ(fresh.Previous.get(), old);
  EXPECT_EQ(kept->Name, "PIERWSZA");  // still alive, owned through Previous
  EXPECT_TRUE(shown.empty());
}

TEST_F(LineStyleLibTest, FileNameWithoutFolderIsTakenFromTheProgramFolder) {
  SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(folder / "tolvika.ini"));
  SymbolLineManagerCfg().LineDefs = "nk1l.lin";
  EXPECT_EQ(LineDefsFileName(), platform::JoinPath(platform::ProgramFolder(), "nk1l.lin"));
  SymbolLineManagerCfg().LineDefs = "c:\\dane\\x.lin";
  EXPECT_EQ(LineDefsFileName(), "c:\\dane\\x.lin");
}

// Fitting sections onto segments. The origin of a placement is (c, f); the
// along factor B' of its matrix shows as the length of column (b, e).

double AlongFactor(const TAffineMatrix& M) { return std::hypot(M.b, M.e); }

TEST(LineStyleFit, MiddleCopiesAreRoundedAndStretched) {
  TLineImp def;
  def.MiddleSection = AxisSection(3, 2, kSectionStretchAlong);
  // Segment of 7.5 along +Y: n = round(2.5) = 2, p = 1.25.
  auto plan = def.PlanSegment({0, 0}, {0, 7.5}, 1.0);
  ASSERT_EQ(plan.size(), 1u);
  EXPECT_EQ(plan[0].Copies, 2);
  EXPECT_DOUBLE_EQ(plan[0].M.f, 0.0);
  EXPECT_DOUBLE_EQ(plan[0].Step.Y, 3.75);
  EXPECT_DOUBLE_EQ(plan[0].Step.X, 0.0);
  EXPECT_DOUBLE_EQ(AlongFactor(plan[0].M), 1.25);
  EXPECT_DOUBLE_EQ(plan[0].M.s, 1.0);  // mode 2 leaves the across factor alone

  // Style scale 2 doubles the section: 7.5 / 6 rounds to 1.
  plan = def.PlanSegment({0, 0}, {7.5, 0}, 2.0);
  ASSERT_EQ(plan.size(), 1u);
  EXPECT_EQ(plan[0].Copies, 1);
  EXPECT_DOUBLE_EQ(AlongFactor(plan[0].M), 2.0 * 1.25);

  // n rounds to 0: nothing without bit 3, one full-length copy with it.
  EXPECT_TRUE(def.PlanSegment({0, 0}, {1.4, 0}, 1.0).empty());
  def.MiddleSection->Mode |= kSectionRepeatOnce;
  plan = def.PlanSegment({0, 0}, {1.4, 0}, 1.0);
  ASSERT_EQ(plan.size(), 1u);
  EXPECT_EQ(plan[0].Copies, 1);
  EXPECT_DOUBLE_EQ(AlongFactor(plan[0].M), 1.4 / 3);
}

TEST(LineStyleFit, StartAndEndAreSqueezedWhenTheSegmentIsShort) {
  TLineImp def;
  def.StartSection = AxisSection(2, 1, kSectionStretchNone);
  def.MiddleSection = AxisSection(1, 1, kSectionStretchAlong);
  def.EndSection = AxisSection(3, 1, kSectionStretchNone);
  struct Case {
    double L;
    double Squeeze;
  } cases[] = {{5.0, 1.0}, {2.5, 0.5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.L);
    auto plan = def.PlanSegment({10, 10}, {10 + c.L, 10}, 1.0);
    ASSERT_EQ(plan.size(), 2u) << "no middle copies";
    EXPECT_EQ(plan[0].Section, def.StartSection.get());
    EXPECT_DOUBLE_EQ(AlongFactor(plan[0].M), c.Squeeze);
    EXPECT_DOUBLE_EQ(plan[0].M.s, 1.0);
    EXPECT_EQ(plan[1].Section, def.EndSection.get());
    EXPECT_DOUBLE_EQ(AlongFactor(plan[1].M), c.Squeeze);
    EXPECT_DOUBLE_EQ(plan[1].M.c, 10 + c.L - 3 * c.Squeeze);
  }
}

TEST(LineStyleFit, StretchableEndsShareTheSlack) {
  TLineImp def;
  def.StartSection = AxisSection(1, 1, kSectionStretchBoth);
  def.MiddleSection = AxisSection(2, 1, kSectionStretchAlong);
  def.EndSection = AxisSection(1, 1, kSectionStretchNone);
  // L = 7.4: n = round(5.4 / 2) = 3, k = 1, T = 6 + 1, p = (7.4 - 1) / 7.
  auto plan = def.PlanSegment({0, 0}, {0, 7.4}, 1.0);
  const double p = 6.4 / 7;
  ASSERT_EQ(plan.size(), 3u);
  EXPECT_EQ(plan[0].Copies, 3);
  EXPECT_NEAR(plan[0].M.f, p, 1e-12);  // the first copy after the stretched start
  EXPECT_NEAR(plan[0].Step.Y, 2 * p, 1e-12);
  EXPECT_EQ(plan[1].Section, def.StartSection.get());
  EXPECT_NEAR(plan[1].M.s, p, 1e-12);  // mode 1 stretches across too
  EXPECT_NEAR(plan[2].M.f, 6.4, 1e-12);
  EXPECT_NEAR(plan[0].M.f + 3 * plan[0].Step.Y, plan[2].M.f, 1e-12)
      << "the copies end where the end starts";
}

TEST(LineStyleFit, ZeroLengthSegmentDrawsNothing) {
  TLineImp def;
  def.StartSection = AxisSection(1, 1, kSectionStretchAlong);
  def.MiddleSection = AxisSection(2, 1, kSectionStretchAlong);
  EXPECT_TRUE(def.PlanSegment({5, 5}, {5, 5}, 1.0).empty());
  EXPECT_TRUE(def.PlanArc(10, 0.3, 0.0, 1.0).empty());
}

TEST(LineStyleFit, CircleTakesWholeMiddleCopies) {
  TLineImp def;
  def.MiddleSection = AxisSection(2, 1, kSectionStretchAlong);
  auto plan = def.PlanCircle(1.0, 1.0);
  ASSERT_EQ(plan.size(), 1u);
  const double p = 2 * std::numbers::pi / 6;
  EXPECT_EQ(plan[0].Copies, 3);
  EXPECT_DOUBLE_EQ(plan[0].Scale.e, p);
  EXPECT_DOUBLE_EQ(plan[0].Scale.a, 1.0);
  EXPECT_DOUBLE_EQ(plan[0].StepAngle, 2 * std::numbers::pi / 3);

  // Without a middle section, or with one of zero length, nothing is drawn.
  TLineImp none;
  none.StartSection = AxisSection(1, 1, 0);
  EXPECT_TRUE(none.PlanCircle(1.0, 1.0).empty());
  def.MiddleSection->EndPos = 0;
  EXPECT_TRUE(def.PlanCircle(1.0, 1.0).empty());
  def.MiddleSection->EndPos = 2;
  EXPECT_TRUE(def.PlanCircle(0.0, 1.0).empty());
}

TEST(LineStyleFit, ArcPlacesSectionsByAngle) {
  TLineImp def;
  def.StartSection = AxisSection(1, 1, kSectionStretchNone);
  def.MiddleSection = AxisSection(2, 1, kSectionStretchAlong);
  def.EndSection = AxisSection(1, 1, kSectionStretchNone);
  // R = 10, sweep 0.8: L = 8, n = round(6 / 2) = 3, p = 1.
  auto plan = def.PlanArc(10.0, 0.5, 0.8, 1.0);
  ASSERT_EQ(plan.size(), 3u);
  EXPECT_EQ(plan[0].Copies, 3);
  EXPECT_DOUBLE_EQ(plan[0].BendAngle, 0.5 + 0.1);
  EXPECT_DOUBLE_EQ(plan[0].StepAngle, 0.2);
  EXPECT_DOUBLE_EQ(plan[1].BendAngle, 0.5);
  EXPECT_DOUBLE_EQ(plan[2].BendAngle, 0.5 + 0.8 - 0.1);
  // Too short an arc squeezes start and end along it.
  plan = def.PlanArc(10.0, 0.0, 0.1, 1.0);
  ASSERT_EQ(plan.size(), 2u);
  EXPECT_DOUBLE_EQ(plan[1].Scale.e, 0.5);
  EXPECT_DOUBLE_EQ(plan[1].BendAngle, 0.1 - 0.05);
}

// DXF dash patterns.

TEST(LineStyleDXF, PlainStylesGiveTheirPenPattern) {
  struct Case {
    std::uint8_t Pen;
    std::vector<float> Pattern;
  } cases[] = {{0, {}},
               {1, {1, -1}},
               {2, {0, -1}},
               {3, {1, -1, 0, -1}},
               {4, {1, -1, 0, -1, 0, -1}},
               {5, {1}},
               {6, {1}}};
  for (const Case& c : cases) {
    TLine line;
    line.Flags = kLinePlain;
    line.PenStyle = c.Pen;
    auto pattern = line.GetDXFPattern(2000);
    ASSERT_TRUE(pattern.has_value());
    EXPECT_EQ(*pattern, c.Pattern) << int(c.Pen);
  }
}

TEST(LineStyleDXF, MiddleSectionAxisGivesDashesAndGaps) {
  TLine line;
  EXPECT_FALSE(line.GetDXFPattern(1000).has_value()) << "no middle section";

  line.MiddleSection = AxisSection(3, 2, kSectionStretchAlong);
  EXPECT_EQ(*line.GetDXFPattern(1000), (std::vector<float>{2, -1}));
  EXPECT_EQ(*line.GetDXFPattern(2000), (std::vector<float>{4, -2}));

  line.MiddleSection = AxisSection(3, 3, kSectionStretchAlong);
  EXPECT_EQ(*line.GetDXFPattern(1000), std::vector<float>{}) << "continuous";

  // A dash 1-2 and a dot (circle on the axis) at 2.5 in a section of 3.
  line.MiddleSection = AxisSection(3, 0, kSectionStretchAlong);
  line.MiddleSection->Clear();
  TElementRecord dash;
  dash.Y1 = 1;
  dash.Y2 = 2;
  line.MiddleSection->AddElementFromRecord(dash);
  TElementRecord dot;
  dot.Type = 2;
  dot.Y1 = 2.5;
  dot.R = 0.1;
  line.MiddleSection->AddElementFromRecord(dot);
  TElementRecord across;  // not on the axis: ignored
  across.X1 = 1;
  across.X2 = 1;
  across.Y2 = 3;
  line.MiddleSection->AddElementFromRecord(across);
  EXPECT_EQ(*line.GetDXFPattern(1000), (std::vector<float>{-1, 1, -0.5f, 0, -0.5f}));
}

TEST(LineStyleDXF, OverlappingDashesMerge) {
  TDXFLine b;
  b.AddInterval(0, 1);
  b.AddInterval(2, 3);
  b.AddInterval(0.5, 2.5);  // joins both
  ASSERT_EQ(b.Count(), 2);
  EXPECT_EQ(b.KindAt(0), TDashBoundary::Start);
  EXPECT_FLOAT_EQ(b.PositionAt(0), 0);
  EXPECT_EQ(b.KindAt(1), TDashBoundary::End);
  EXPECT_FLOAT_EQ(b.PositionAt(1), 3);
  b.AddInterval(1, 1.5);  // inside a dash
  b.AddInterval(2, 2);    // a dot inside a dash
  EXPECT_EQ(b.Count(), 2);
  b.AddInterval(4, 4);
  ASSERT_EQ(b.Count(), 3);
  EXPECT_EQ(b.KindAt(2), TDashBoundary::Dot);
}

TEST(LineStyleDXF, PatternUsesTheVariantOfTheScale) {
  TLine line;
  line.MiddleSection = AxisSection(3, 2, kSectionStretchAlong);
  line.Variant500 = std::make_unique<TLineImp>();
  line.Variant500->MiddleSection = AxisSection(2, 1, kSectionStretchAlong);
  EXPECT_EQ(&line.DefinitionFor(5000), &line) << "no 1:5000 variant";
  EXPECT_EQ(*line.GetDXFPattern(500), (std::vector<float>{0.5f, -0.5f}));
  EXPECT_EQ(*line.GetDXFPattern(1000), (std::vector<float>{2, -1}));
  EXPECT_EQ(*line.GetDXFPattern(5000), (std::vector<float>{10, -5}));
}

// The section's elements are relative to its start, so a section that starts
// at 1 still gives a pattern as long as the section.
TEST(LineStyleDXF, SectionNotStartingAtZeroKeepsItsPeriod) {
  TLine line;
  line.MiddleSection = AxisSection(3, 2, kSectionStretchAlong);
  line.MiddleSection->StartPos = 1;
  line.MiddleSection->EndPos = 4;
  EXPECT_EQ(*line.GetDXFPattern(1000), (std::vector<float>{2, -1}));
}

// Drawing through a canvas that records the world segments it is given.

// Sections whose positions or elements are far beyond any real style would
// make drawing plan endless copies or turns; they refuse their style.
TEST_F(LineStyleLibTest, HostileSectionsAreRefused) {
  const std::string good = StyleRecord("DOBRA", 60, 0, {}, Sec{1, 1, 0, 2, 2});
  const std::vector<Elem> elems{Dash(0, 1), Dash(0, 1e30), Elem{0, 0, 0, 0, -1e12, 1}};
  struct Case {
    const char* What;
    std::string Bytes;
    std::string Message;
  } cases[] = {
      {"axis element from Y 0 to 1e30",
       LineFile({good, StyleRecord("OS", 61, -1, {}, Sec{2, 1, 0, 2, 2}), StyleRecord("PO", 62, 0)},
                elems),
       "Błąd w definicji linii: OS"},
      {"arc of radius -1e12",
       LineFile({good, StyleRecord("LUK", 61, -1, {}, Sec{3, 1, 0, 2, 2})}, elems),
       "Błąd w definicji linii: LUK"},
      {"start section of negative length",
       LineFile({good, StyleRecord("START", 61, -1, Sec{1, 1, 0, -5, 0}, Sec{1, 1, 0, 2, 2})},
                elems),
       "Błąd w definicji linii: START"},
      {"end section of negative length",
       LineFile({good, StyleRecord("KONIEC", 61, -1, {}, Sec{1, 1, 0, 2, 2}, Sec{1, 1, 3, 1, 0})},
                elems),
       "Błąd w definicji linii: KONIEC"},
      {"section 1e20 along the line",
       LineFile({good, StyleRecord("DALEKO", 61, -1, {}, Sec{1, 1, 1e20, 1e20 + 5, 2})}, elems),
       "Błąd w definicji linii: DALEKO"},
      {"variant with a negative middle",
       LineFile({good, StyleRecord("W", 61, -1, {}, Sec{1, 1, 0, 2, 2}, {}, 1),
                 VariantRecord(500, {}, Sec{1, 1, 2, 0, 2})},
                elems),
       "Błąd w definicji linii: W"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    ExpectSecondStyleRefused(c.Bytes, c.Message);
  }
}

class RecordingCanvas : public TRealCanvas {
public:
  RecordingCanvas(platform::TCanvas* C, TWindowDim* D) : TRealCanvas(C, D, nullptr) {}
  void Line(double X1, double Y1, double X2, double Y2) override {
    Segments.push_back({TRealPoint{X1, Y1}, TRealPoint{X2, Y2}});
  }
  std::vector<std::array<TRealPoint, 2>> Segments;
};

class LineStyleDrawTest : public ::testing::Test {
protected:
  LineStyleDrawTest()
      : bitmap(100, 100), dim(MakeDim(-50, -50, 50, 50, 100, 100)), canvas(&bitmap.Canvas(), &dim) {
    lib = TLineManager::CreateFromFile(folder.Put("nk1l.lin", LineFile({}, {})));
  }

  ScratchFolder folder;
  platform::TBitmap bitmap;
  TWindowDim dim;
  RecordingCanvas canvas;
  std::unique_ptr<TLineManager> lib;
};

TEST_F(LineStyleDrawTest, SegmentGetsEvenlyStretchedDashes) {
  // Style "2": middle 3 (dash 0-2), end 2 (dash 0-2). On a segment of 10:
  // n = round(8 / 3) = 3, the end stretches too: p = 10 / 11.
  lib->GetLine(2)->DrawSegment(canvas, {0, 0}, {0, 10}, 1.0);
  const double p = 10.0 / 11;
  const double starts[] = {0, 3 * p, 6 * p, 9 * p};
  ASSERT_EQ(canvas.Segments.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(canvas.Segments[i][0].X, 0, 1e-12);
    EXPECT_NEAR(canvas.Segments[i][0].Y, starts[i], 1e-12);
    EXPECT_NEAR(canvas.Segments[i][1].Y, starts[i] + 2 * p, 1e-12);
  }
  canvas.Segments.clear();
  lib->GetLine(2)->DrawSegment(canvas, {3, 3}, {3, 3}, 1.0);
  EXPECT_TRUE(canvas.Segments.empty());
}

TEST_F(LineStyleDrawTest, CircleDashesAreBentOntoIt) {
  // Style "7": middle 4 (dash 0-3). A circle of length 16 takes 4 copies.
  const double R = 8 / std::numbers::pi;
  const TRealPoint centre{5, -5};
  lib->GetLine(7)->DrawCircle(canvas, centre, R, 1.0);
  ASSERT_FALSE(canvas.Segments.empty());
  for (const auto& seg : canvas.Segments) {
    for (const TRealPoint& q : seg) {
      const double dx = q.X - centre.X;
      const double dy = q.Y - centre.Y;
      EXPECT_NEAR(std::hypot(dx, dy), R, 1e-9);
      // Along the circle, every point lies on a dash: 0 to 3 of each 4.
      double along = std::atan2(dy, dx) * R;
      along = std::fmod(along + 16, 4.0);
      EXPECT_TRUE(along <= 3 + 1e-9 || along >= 4 - 1e-9) << along;
    }
  }
}

TEST_F(LineStyleDrawTest, ArcKeepsItsEndDashAtItsEnd) {
  // Style "7" on a half circle of length 8: one middle copy and the end
  // section, both stretched by p = 8 / 7 (T = 4 + 3).
  const double R = 8 / std::numbers::pi;
  lib->GetLine(7)->DrawArc(canvas, {0, 0}, R, 0.0, std::numbers::pi, 1.0);
  const double dash = 3 * 8.0 / 7;
  ASSERT_FALSE(canvas.Segments.empty());
  double first = 1e9, last = -1e9;
  for (const auto& seg : canvas.Segments) {
    for (const TRealPoint& q : seg) {
      const double along = std::atan2(q.Y, q.X) * R;
      first = std::min(first, along);
      last = std::max(last, along);
      EXPECT_TRUE(along <= dash + 1e-9 || along >= 8 - dash - 1e-9) << along;
    }
  }
  EXPECT_NEAR(first, 0, 1e-9);
  EXPECT_NEAR(last, 8, 1e-9);
}

// A style held in memory (as a damaged library might hold it) with one
// middle section: an axis dash 0 to DashEnd over Length, in Mode.
std::unique_ptr<TLine> MemoryStyle(double Length, double DashEnd, std::uint8_t Mode) {
  auto style = std::make_unique<TLine>();
  style->MiddleSection = AxisSection(Length, DashEnd, Mode);
  return style;
}

TEST_F(LineStyleDrawTest, TooManyCopiesDrawNothingAndLeaveThePlainLineToTheCaller) {
  // A pattern of 1e-6 on a segment of 10: ten million copies.
  const auto fine = MemoryStyle(1e-6, 5e-7, kSectionStretchAlong);
  EXPECT_FALSE(fine->DrawSegment(canvas, {0, 0}, {0, 10}, 1.0));
  EXPECT_FALSE(fine->DrawCircle(canvas, {0, 0}, 10, 1.0));
  EXPECT_FALSE(fine->DrawArc(canvas, {0, 0}, 10, 0, 1, 1.0));
  EXPECT_TRUE(canvas.Segments.empty());
  // A start section of negative length asks for copies beyond the segment.
  auto negative = MemoryStyle(1e-3, 5e-4, kSectionStretchAlong);
  negative->StartSection = AxisSection(1, 1, kSectionStretchNone);
  negative->StartSection->EndPos = -1e9;
  EXPECT_FALSE(negative->DrawSegment(canvas, {0, 0}, {0, 10}, 1.0));
  EXPECT_TRUE(canvas.Segments.empty());
  // Up to the cap the copies are drawn.
  const auto coarse = MemoryStyle(1e-3, 5e-4, kSectionStretchAlong);
  EXPECT_TRUE(coarse->DrawSegment(canvas, {0, 0}, {0, 10}, 1.0));
  EXPECT_EQ(canvas.Segments.size(), 10000u);
}

TEST_F(LineStyleDrawTest, AxisElementLongerThanTheCircleSteppedThroughEndlessTurns) {
  // A dash of 1e30 laid once, unstretched, onto a circle or an arc of radius
  // 1: the bent element asks for 1.6e29 turns; it is drawn as one.
  const auto style = MemoryStyle(1e30, 1e30, kSectionRepeatOnce | kSectionStretchNone);
  for (bool circle : {true, false}) {
    SCOPED_TRACE(circle ? "circle" : "arc");
    canvas.Segments.clear();
    EXPECT_TRUE(circle ? style->DrawCircle(canvas, {0, 0}, 1.0, 1.0)
                       : style->DrawArc(canvas, {0, 0}, 1.0, 0.0, 0.5, 1.0));
    ASSERT_FALSE(canvas.Segments.empty());
    EXPECT_LE(canvas.Segments.size(), 1000u);
    for (const auto& seg : canvas.Segments)
      for (const TRealPoint& q : seg) EXPECT_NEAR(std::hypot(q.X, q.Y), 1.0, 1e-9);
  }
}

TEST_F(LineStyleDrawTest, AbortEndsTheCopiesOfAStyle) {
  const auto style = MemoryStyle(1e-3, 5e-4, kSectionStretchAlong);
  canvas.SetAbort(true);
  EXPECT_THROW(style->DrawSegment(canvas, {0, 0}, {0, 10}, 1.0), EAbortDraw);
  EXPECT_THROW(style->DrawCircle(canvas, {0, 0}, 1, 1.0), EAbortDraw);
  EXPECT_TRUE(canvas.Segments.empty());
}

}  // namespace
