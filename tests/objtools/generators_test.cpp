// The generators: the transformations of the drawings fitted between the
// points, the shapes the embankments, stairs and terraces compute, the
// line-count question asked once per shape, and the objects a shape becomes
// as one undo group in a line sublayer.
#include "objtools/generators.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/defwrite.h"
#include "foundation/errors.h"
#include "foundation/settings/settings.h"
#include "layers/tree/sublayer.h"
#include "objects/genelements.h"
#include "objects/libcfg.h"
#include "objects/linestylelib.h"
#include "objects/styledlines.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/responder.h"
#include "common/scratch_folder.h"

namespace {

constexpr double kEps = 1e-12;

struct Seg {
  double X1, Y1, X2, Y2;
};

// The straight elements of a generator in its local frame, in list order.
std::vector<Seg> Lines(const TGeneratorImp& G) {
  std::vector<Seg> out;
  for (std::int32_t i = 0; i < G.Count(); ++i) {
    const auto* l = dynamic_cast<const TNELinia*>(G.Element(i));
    if (l == nullptr) {
      ADD_FAILURE() << "element " << i << " is not a line";
      continue;
    }
    out.push_back({l->P1.X, l->P1.Y, l->P2.X, l->P2.Y});
  }
  return out;
}

void ExpectMatrix(const TAffineMatrix& M, const std::array<double, 7>& V, const std::string& Where) {
  SCOPED_TRACE(Where);
  EXPECT_NEAR(M.a, V[0], kEps);
  EXPECT_NEAR(M.b, V[1], kEps);
  EXPECT_NEAR(M.c, V[2], kEps);
  EXPECT_NEAR(M.d, V[3], kEps);
  EXPECT_NEAR(M.e, V[4], kEps);
  EXPECT_NEAR(M.f, V[5], kEps);
  EXPECT_NEAR(M.s, V[6], kEps);
}

TRealPoint Apply(const TAffineMatrix& M, double X, double Y) {
  return TRealPoint{M.a * X + M.b * Y + M.c, M.d * X + M.e * Y + M.f};
}

// --- File-defined generators: their transformations -------------------------

struct TransformCase {
  const char* name;
  std::function<std::unique_ptr<TGeneratorImp>()> make;
  TRealPoint p1, p2;
  std::optional<TRealPoint> p3;
  std::array<double, 7> m;  // a, b, c, d, e, f, s
};

const TransformCase kTransformCases[] = {
    // A base of 5 laid onto a segment of 10.
    {"StretchedIsTwiceAsLongAsWideAsDefined", [] { return std::make_unique<TGenerator>("G", 0.2); },
     {0, 0}, {0, 10}, std::nullopt, {1, 0, 0, 0, 2, 0, 2}},
    {"TwoPointIsDoubled", [] { return std::make_unique<TGenerator2P>("G", 0.2); },
     {0, 0}, {0, 10}, std::nullopt, {2, 0, 0, 0, 2, 0, 2}},
    // Width 1.5 laid onto P3 at 3 across.
    {"ThreePointReachesTheThirdPoint", [] { return std::make_unique<TGenerator3P>("G", 0.2, 1 / 1.5); },
     {0, 0}, {0, 10}, TRealPoint{3, 0}, {2, 0, 0, 0, 2, 0, 2}},
    {"ThreePointWithoutTheThirdPointIsStretched",
     [] { return std::make_unique<TGenerator3P>("G", 0.2, 1 / 1.5); }, {0, 0}, {0, 10}, std::nullopt,
     {1, 0, 0, 0, 2, 0, 2}},
    // Turned a quarter: the base along +X, placed at P1.
    {"StretchedTurned", [] { return std::make_unique<TGenerator>("G", 0.5); }, {1, 2}, {5, 2}, std::nullopt,
     {0, 2, 1, -1, 0, 2, 2}},
    {"OnePointOnlyMoves", [] { return std::make_unique<TGenerator1P>("G"); }, {7, 8}, {100, -3},
     std::nullopt, {1, 0, 7, 0, 1, 8, 1}},
    {"NotScaledOnlyTurns", [] { return std::make_unique<TGenerator2PNS>("G"); }, {1, 1}, {4, 5}, std::nullopt,
     {0.8, 0.6, 1, -0.6, 0.8, 1, 1}},
    {"NotScaledWithEqualPointsIsIdentityAtP1", [] { return std::make_unique<TGenerator2PNS>("G"); }, {3, 4},
     {3, 4}, std::nullopt, {1, 0, 3, 0, 1, 4, 1}},
    {"StretchedWithEqualPointsHasNoDivisionByZero", [] { return std::make_unique<TGenerator>("G", 0.2); },
     {3, 4}, {3, 4}, std::nullopt, {0, 0, 3, 0, 0, 4, 0}},
    {"ThreePointWithEqualBasePointsHasNoDivisionByZero",
     [] { return std::make_unique<TGenerator3P>("G", 0.2, 1.0); }, {3, 4}, {3, 4}, TRealPoint{5, 4},
     {0, 0, 3, 0, 0, 4, 1}},
};

TEST(GeneratorTransform, MatricesOfTheFileDefinedGenerators) {
  for (const TransformCase& c : kTransformCases) {
    std::unique_ptr<TGeneratorImp> g = c.make();
    TAffineMatrix m;
    m.s = 99;
    const TRealPoint* p3 = c.p3 ? &*c.p3 : nullptr;
    g->ComputeTransform(c.p1, c.p2, p3, m, nullptr);
    ExpectMatrix(m, c.m, c.name);
  }
}

TEST(GeneratorTransform, ThreePointDefinitionWidthPointLandsOnP3) {
  // Definition: origin (1, 1), base end (1, 6), width point (2.5, 1).
  TGenerator3P g("G", 1 / 5.0, 1 / 1.5);
  TAffineMatrix m;
  const TRealPoint p3{3, 0};
  g.ComputeTransform({0, 0}, {0, 10}, &p3, m, nullptr);
  const TRealPoint w = Apply(m, 1.5, 0);  // relative to the origin
  EXPECT_NEAR(w.X, 3, kEps);
  EXPECT_NEAR(w.Y, 0, kEps);
  const TRealPoint b = Apply(m, 0, 5);
  EXPECT_NEAR(b.X, 0, kEps);
  EXPECT_NEAR(b.Y, 10, kEps);
}

TEST(GeneratorTransform, PointCountsAndSpacingOfEachClass) {
  struct Row {
    std::unique_ptr<TGeneratorImp> g;
    int points;
    bool spacing;
  };
  Row rows[] = {
      {std::make_unique<TGenerator>("A", 1), 2, false},        {std::make_unique<TGenerator2P>("A", 1), 2, false},
      {std::make_unique<TGenerator3P>("A", 1, 1), 3, false},   {std::make_unique<TGenerator1P>("A"), 1, false},
      {std::make_unique<TGenerator2PNS>("A"), 2, false},       {std::make_unique<TSkarpaGenerator>(), 4, true},
      {std::make_unique<TSkarpaUmocniona>(), 4, true},         {std::make_unique<TSkarpaNieumocniona>(), 4, true},
      {std::make_unique<TSchodyGenerator>(), 3, true},         {std::make_unique<TTarasGenerator>(), 3, true},
      {std::make_unique<TTaras2Generator>(), 3, true},
  };
  for (Row& r : rows) {
    SCOPED_TRACE(r.g->Name);
    EXPECT_EQ(r.g->GetPointCount(), r.points);
    EXPECT_EQ(r.g->HasSpacing(), r.spacing);
  }
  GeneratorContext ctx{1, 500};
  TGenerator plain("A", 1);
  plain.SetSpacing(ctx, 3);
  EXPECT_EQ(plain.GetSpacing(ctx), 0);
}

// --- Computed generators --------------------------------------------------------

// Every test that may ask has a responder; a question nobody expects fails.
// The embankments' edges take their styles from the program's line-style
// library, on settings of a scratch folder.
class ComputedGeneratorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(folder / "tolvika.ini"));
    SymbolLineManagerCfg().LineDefs = folder / "brak.lin";
    SetLibraryErrorBox([](const std::string&) {});
  }
  void TearDown() override {
    ReleaseLineManager();
    SetLibraryErrorBox(nullptr);
    FreeGlobalnaKonfiguracja();
  }
  int Questions() const { return static_cast<int>(responder.Shown().size()); }

  ScratchFolder folder;
  platform::TScriptedResponder responder{[](const std::string& m) { ADD_FAILURE() << m; }};
  GeneratorContext ctx{1, 1000};
};

TEST_F(ComputedGeneratorTest, EqualPointsMapEverythingOntoP1AndKeepTheElements) {
  TSkarpaGenerator skarpa;
  TSchodyGenerator schody;
  schody.Spacing = 0.5;
  TTarasGenerator taras;
  taras.Spacing = 0.5;
  for (TGeneratorImp* g : std::initializer_list<TGeneratorImp*>{&skarpa, &schody, &taras}) {
    SCOPED_TRACE(g->Name);
    TAffineMatrix m;
    g->ComputeTransform({0, 0}, {0, 10}, nullptr, m, nullptr);
    const std::int32_t before = g->Count();
    ASSERT_GT(before, 0);
    g->ComputeTransform({4, 5}, {4, 5}, nullptr, m, nullptr);
    EXPECT_EQ(g->Count(), before);
    const TRealPoint p = Apply(m, 3, 7);
    EXPECT_EQ(p.X, 4);
    EXPECT_EQ(p.Y, 5);
  }
}

TEST_F(ComputedGeneratorTest, EmbankmentFromTheTopEdgeAlone) {
  TSkarpaGenerator g;
  TAffineMatrix m;
  g.ComputeTransform({0, 0}, {0, 10}, nullptr, m, nullptr);
  // Frame: y along P1 -> P2, x towards (-D.Y, D.X) / L.
  ExpectMatrix(m, {-1, 0, 0, 0, 1, 0, 1}, "frame");
  EXPECT_DOUBLE_EQ(g.ComputedSpacing, 0.5);

  const std::vector<Seg> lines = Lines(g);
  ASSERT_EQ(lines.size(), 20u);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    SCOPED_TRACE(i);
    const double t = 0.5 * static_cast<double>(i);
    EXPECT_EQ(lines[i].X1, 0);
    EXPECT_DOUBLE_EQ(lines[i].Y1, t);
    EXPECT_DOUBLE_EQ(lines[i].Y2, t);
    if (i == 0) {
      EXPECT_EQ(lines[i].X2, 0);  // the first one has no length
    } else if (t >= 1 && t <= 9) {
      EXPECT_DOUBLE_EQ(lines[i].X2, i % 2 == 0 ? -1.0 : -0.5);
    } else {
      // Beyond the bottom edge the lines end on the sides A-C and B-E.
      EXPECT_LT(lines[i].X2, 0);
      EXPECT_GT(lines[i].X2, -1);
    }
  }
  // The plain embankment has no edges.
  g.AdoptDefaultSpacing(ctx);
  EXPECT_DOUBLE_EQ(g.GetSpacing(ctx), 0.5);
  g.SetSpacing(ctx, 2);
  g.AdoptDefaultSpacing(ctx);
  EXPECT_EQ(g.Spacing, 2);
}

TEST_F(ComputedGeneratorTest, EmbankmentBottomEndsAreOrderedAndOnOneSide) {
  // P3 near P1 and P4 far from it, on opposite sides of the top edge: the
  // ends are exchanged and both lie on P3's side (+x here).
  TSkarpaUmocniona g;
  g.Spacing = 1;
  TAffineMatrix m;
  const TRealPoint p3{-2, 2}, p4{3, 8};  // x(P3) = 2, x(P4) = -3
  g.ComputeTransform({0, 0}, {0, 10}, &p3, m, &p4);
  // Last four elements: side A-C, side B-E, top, bottom C-E.
  ASSERT_GE(g.Count(), 4);
  const auto* sideA = dynamic_cast<const TNELinia*>(g.Element(g.Count() - 4));
  const auto* sideB = dynamic_cast<const TNELinia*>(g.Element(g.Count() - 3));
  const auto* bottom = dynamic_cast<const TNELinia*>(g.Element(g.Count() - 1));
  ASSERT_TRUE(sideA && sideB && bottom);
  // P3 gives (2, 2), P4 (3, 8) once turned to P3's side; C is the end
  // nearer to P1.
  EXPECT_EQ(sideA->P2, (TPointRec{2, 2, 0}));
  EXPECT_EQ(sideB->P2, (TPointRec{3, 8, 0}));
  EXPECT_EQ(bottom->P1, (TPointRec{2, 2, 0}));
  EXPECT_EQ(bottom->P2, (TPointRec{3, 8, 0}));
}

TEST_F(ComputedGeneratorTest, LineCountQuestionIsAskedOnlyAboveTenThousand) {
  TSkarpaGenerator g;
  g.Spacing = 1;
  TAffineMatrix m;
  g.ComputeTransform({0, 0}, {0, 10000}, nullptr, m, nullptr);
  EXPECT_EQ(Questions(), 0);
  EXPECT_EQ(g.Count(), 10000);

  responder.AnswerMessageBox(platform::IDYES);
  g.ComputeTransform({0, 0}, {0, 20000}, nullptr, m, nullptr);
  ASSERT_EQ(Questions(), 1);
  EXPECT_EQ(responder.Shown()[0].caption, "Potwierdzenie");
  EXPECT_EQ(responder.Shown()[0].text, kEmbankmentQuestion);
  // Yes and No, No the default.
  EXPECT_EQ(responder.Shown()[0].flags & 0xF, platform::MB_YESNO);
  EXPECT_TRUE(responder.Shown()[0].flags & platform::MB_DEFBUTTON2);
  EXPECT_EQ(g.Count(), 20000);

  // The mouse moves on: the same shape is not asked about again.
  g.ComputeTransform({0, 0}, {0, 20001}, nullptr, m, nullptr);
  EXPECT_EQ(Questions(), 1);
}

TEST_F(ComputedGeneratorTest, RefusedShapeKeepsThePreviousOneAndIsAskedOnceUntilItChanges) {
  TSkarpaGenerator g;
  g.Spacing = 1;
  TAffineMatrix m;
  g.ComputeTransform({0, 0}, {0, 100}, nullptr, m, nullptr);
  const TAffineMatrix shown = m;
  ASSERT_EQ(g.Count(), 100);

  responder.AnswerMessageBox(platform::IDNO);
  EXPECT_THROW(g.ComputeTransform({0, 0}, {30000, 0}, nullptr, m, nullptr), EAbort);
  EXPECT_EQ(Questions(), 1);
  // Moves over the same shape: no question, still refused, nothing changes.
  EXPECT_THROW(g.ComputeTransform({0, 0}, {30001, 0}, nullptr, m, nullptr), EAbort);
  EXPECT_EQ(Questions(), 1);
  EXPECT_EQ(g.Count(), 100);
  ExpectMatrix(m, {shown.a, shown.b, shown.c, shown.d, shown.e, shown.f, shown.s}, "kept");

  // A point added, the spacing changed, or the tool starting over: asked anew.
  const TRealPoint p3{-1, 15000};
  responder.AnswerMessageBox(platform::IDNO);
  EXPECT_THROW(g.ComputeTransform({0, 0}, {0, 30000}, &p3, m, nullptr), EAbort);
  EXPECT_EQ(Questions(), 2);
  g.SetSpacing(ctx, 0.9);
  responder.AnswerMessageBox(platform::IDNO);
  EXPECT_THROW(g.ComputeTransform({0, 0}, {0, 30000}, &p3, m, nullptr), EAbort);
  EXPECT_EQ(Questions(), 3);
  g.NewShape();
  responder.AnswerMessageBox(platform::IDYES);
  g.ComputeTransform({0, 0}, {0, 30000}, &p3, m, nullptr);
  EXPECT_EQ(Questions(), 4);
  EXPECT_GT(g.Count(), 30000);
}

TEST_F(ComputedGeneratorTest, StairsAskAboutTheirTreadsOnce) {
  TSchodyGenerator g;
  g.Spacing = 0.001;
  TAffineMatrix m;
  const TRealPoint p3{-10, 5};  // W = 10: 10000 treads
  g.ComputeTransform({0, 0}, {0, 10}, &p3, m, nullptr);
  EXPECT_EQ(Questions(), 0);
  const TRealPoint wider{-10.5, 5};
  responder.AnswerMessageBox(platform::IDNO);
  EXPECT_THROW(g.ComputeTransform({0, 0}, {0, 10}, &wider, m, nullptr), EAbort);
  EXPECT_THROW(g.ComputeTransform({0, 0}, {0, 11}, &wider, m, nullptr), EAbort);
  ASSERT_EQ(Questions(), 1);
  EXPECT_EQ(responder.Shown()[0].text, kStairsQuestion);
}

TEST_F(ComputedGeneratorTest, StairsDefaultSpacingFollowsTheScale) {
  struct Row {
    std::int32_t scale;
    double spacing;
  };
  for (const Row& r : {Row{500, 0.5}, Row{1000, 0.7}, Row{750, 0.525}, Row{749, 0.749}}) {
    SCOPED_TRACE(r.scale);
    const GeneratorContext c{1, r.scale};
    TSchodyGenerator viaGet;
    EXPECT_DOUBLE_EQ(viaGet.GetSpacing(c), r.spacing);
    TSchodyGenerator viaSet;
    viaSet.SetSpacing(c, 0);
    EXPECT_DOUBLE_EQ(viaSet.Spacing, r.spacing);
    TTarasGenerator viaAdopt;  // terraces take the stairs' default
    viaAdopt.AdoptDefaultSpacing(c);
    EXPECT_DOUBLE_EQ(viaAdopt.Spacing, r.spacing);
  }
  TSchodyGenerator kept;
  kept.SetSpacing(ctx, 0.3);
  kept.AdoptDefaultSpacing(ctx);
  EXPECT_EQ(kept.GetSpacing(ctx), 0.3);
}

TEST_F(ComputedGeneratorTest, StairsTreadsFromTheFarSide) {
  TSchodyGenerator g;
  g.Spacing = 0.7;
  TAffineMatrix m;
  const TRealPoint p3{-2, 3};  // W = 2 on the +x side
  g.ComputeTransform({0, 0}, {0, 4}, &p3, m, nullptr);
  const std::vector<Seg> lines = Lines(g);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].X1, 0);
  EXPECT_EQ(lines[0].X2, 2);
  EXPECT_EQ(lines[0].Y1, 0);
  EXPECT_EQ(lines[1].Y1, 4);
  EXPECT_EQ(lines[1].X2, 2);
  const double treads[] = {2, 1.3, 0.6};
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(lines[2 + i].X1, treads[i], kEps);
    EXPECT_NEAR(lines[2 + i].X2, treads[i], kEps);
    EXPECT_EQ(lines[2 + i].Y1, 0);
    EXPECT_EQ(lines[2 + i].Y2, 4);
  }
  // P3 on the other side: the frame turns over, the stairs follow P3.
  const TRealPoint other{2, 3};
  g.ComputeTransform({0, 0}, {0, 4}, &other, m, nullptr);
  const TRealPoint far = Apply(m, 2, 0);
  EXPECT_NEAR(far.X, 2, kEps);
  EXPECT_NEAR(far.Y, 0, kEps);
}

TEST_F(ComputedGeneratorTest, SpacingThatCannotEndIsBounded) {
  // A spacing below zero counts by its size; one that is not a number makes
  // only the end lines; a tiny confirmed one makes at most a million lines.
  TSchodyGenerator g;
  TAffineMatrix m;
  const TRealPoint p3{-2, 3};
  g.Spacing = -0.7;
  g.ComputeTransform({0, 0}, {0, 4}, &p3, m, nullptr);
  EXPECT_EQ(g.Count(), 5);
  g.Spacing = std::nan("");
  g.ComputeTransform({0, 0}, {0, 4}, &p3, m, nullptr);
  EXPECT_EQ(g.Count(), 2);
  g.Spacing = 1e-9;
  responder.AnswerMessageBox(platform::IDYES);
  g.ComputeTransform({0, 0}, {0, 4}, &p3, m, nullptr);
  EXPECT_LE(g.Count(), 1000002);
  EXPECT_GE(g.Count(), 999999);
}

TEST_F(ComputedGeneratorTest, TerracesOutlineAndInset) {
  TTarasGenerator taras1;
  TTaras2Generator taras2;
  taras1.Spacing = taras2.Spacing = 0.5;
  TAffineMatrix m;
  const TRealPoint p3{-3, 1};  // W = 3, L = 10
  taras1.ComputeTransform({0, 0}, {0, 10}, &p3, m, nullptr);
  taras2.ComputeTransform({0, 0}, {0, 10}, &p3, m, nullptr);
  EXPECT_EQ(Lines(taras1).size(), 8u);
  const std::vector<Seg> open = Lines(taras2);
  ASSERT_EQ(open.size(), 6u);
  for (const Seg& s : open) EXPECT_FALSE(s.X1 == 0 && s.X2 == 0) << "a line along P1 -> P2";
  // The inner outline meets the base line.
  EXPECT_EQ(open[3].X1, 0);
  EXPECT_EQ(open[3].Y1, 0.5);
  EXPECT_EQ(open[5].X2, 0);
  EXPECT_EQ(open[5].Y2, 9.5);
  EXPECT_EQ(Questions(), 0);
}

// --- Objects of a shape --------------------------------------------------------

class GeneratedObjectsTest : public ComputedGeneratorTest {
 protected:
  void UseLineStyles(const std::string& Bytes) {
    SymbolLineManagerCfg().LineDefs = folder.Put("style.lin", Bytes);
    ReleaseLineManager();
  }
  static std::string Style(const std::string& Name, std::uint16_t Number) {
    return defwrite::LineRecord(Name, Number, 0, 0, defwrite::NoSection(), defwrite::NoSection(),
                                defwrite::NoSection());
  }
};

TEST_F(GeneratedObjectsTest, ReinforcedEmbankmentBecomesOneUndoGroupOfStyledObjects) {
  struct Row {
    const char* name;
    std::string styles;
    std::uint16_t top, bottom;
  };
  const Row rows[] = {
      {"NamedStyles",
       defwrite::DefinitionFile(kLineStyleFileMagic, 2, Style("WSG", 40) + Style("WSD", 41), ""), 40, 41},
      // Without the names: the styles numbered 1 and 2.
      {"NumberedStyles", defwrite::DefinitionFile(kLineStyleFileMagic, 0, "", ""), 1, 2},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    UseLineStyles(r.styles);
    TSkarpaUmocniona g;
    TAffineMatrix m;
    g.ComputeTransform({100, 200}, {100, 210}, nullptr, m, nullptr);
    std::unique_ptr<TGeneratedObjList> list = g.CreateObjects(m, 77);
    EXPECT_EQ(list->GetName(), "Generator SKARPA_U");
    ASSERT_EQ(list->Count(), 24);  // 20 hatch lines, 2 sides, top, bottom
    for (std::int32_t i = 0; i < list->Count(); ++i) {
      SCOPED_TRACE(i);
      TEGraphObj* o = list->Item(i)->NewObject();
      EXPECT_EQ(list->Item(i)->Kind, kUndoAdd);
      EXPECT_EQ(list->Item(i)->Sublayer(), nullptr);
      EXPECT_EQ(o->GetIdent(), 77u);
      if (i < 22) {
        EXPECT_EQ(typeid(*o), typeid(TDefSpecLinia));
      }
    }
    auto* top = dynamic_cast<TLiniaSpecjalna*>(list->Item(22)->NewObject());
    auto* bottom = dynamic_cast<TLiniaSpecjalna*>(list->Item(23)->NewObject());
    ASSERT_TRUE(top && bottom);
    ASSERT_TRUE(top->Style.LineDef && bottom->Style.LineDef);
    EXPECT_EQ(top->Style.LineDef->Number, r.top);
    EXPECT_EQ(bottom->Style.LineDef->Number, r.bottom);
    EXPECT_EQ(top->Style.Multiplier, 1.0f);
    EXPECT_EQ(top->Style.Thickness, 0);
    // The top edge lies on P1 -> P2 in map coordinates.
    EXPECT_EQ(top->P1, (TPointRec{100, 200, 0}));
    EXPECT_EQ(top->P2, (TPointRec{100, 210, 0}));
    // The generator's own elements are left as they were.
    EXPECT_EQ(typeid(*g.Element(0)), typeid(TGLinia));
  }
}

TEST_F(GeneratedObjectsTest, GroupIsAddedToASublayerAndUndoneAsOneStep) {
  UseLineStyles(defwrite::DefinitionFile(kLineStyleFileMagic, 0, "", ""));
  TPodwarstwaLiniowa sublayer(nullptr, nullptr, 1, nullptr);
  TUndoManager undo;
  TSkarpaNieumocniona g;
  TAffineMatrix m;
  g.ComputeTransform({0, 0}, {0, 10}, nullptr, m, nullptr);
  std::unique_ptr<TGeneratedObjList> list = g.CreateObjects(m, 5);
  TGeneratedObjList* group = list.get();
  group->AddToSublayer(sublayer);
  for (std::int32_t i = 0; i < group->Count(); ++i) {
    EXPECT_EQ(group->Item(i)->Sublayer(), &sublayer);
    EXPECT_EQ(sublayer.IndexOfObject(group->Item(i)->NewObject()), i);
  }
  undo.Add(std::move(list));
  EXPECT_EQ(undo.GetUndoName(), "Generator SKARPA_N");

  undo.Undo(1);
  for (std::int32_t i = 0; i < group->Count(); ++i) EXPECT_EQ(sublayer.IndexOfObject(group->Item(i)->NewObject()), -1);
  undo.Redo(1);
  for (std::int32_t i = 0; i < group->Count(); ++i) EXPECT_GE(sublayer.IndexOfObject(group->Item(i)->NewObject()), 0);
}

TEST_F(GeneratedObjectsTest, DefinitionElementsBecomeTransformedStyledObjects) {
  TGenerator2P g("PLOT", 0.5);
  TElementRecord line{0, 0, 0, 2, 0, kElemLine};
  TElementRecord circle{1, 1, 0, 0, 0.5, kElemCircle};
  TElementRecord arc{0, 0, 0, 2, 1, kElemArc};
  const TElementRecord recs[] = {line, circle, arc};
  g.AddElementRecords(recs, 0, TRealPoint{0, 0}, 3);
  TAffineMatrix m;
  g.ComputeTransform({10, 10}, {10, 14}, nullptr, m, nullptr);  // doubled
  std::unique_ptr<TGeneratedObjList> list = g.CreateObjects(m, 9);
  ASSERT_EQ(list->Count(), 3);
  auto* l = dynamic_cast<TDefSpecLinia*>(list->Item(0)->NewObject());
  auto* c = dynamic_cast<TDefSpecOkrag*>(list->Item(1)->NewObject());
  auto* a = dynamic_cast<TDefSpecLuk*>(list->Item(2)->NewObject());
  ASSERT_TRUE(l && c && a);
  EXPECT_EQ(l->P2, (TPointRec{10, 14, 0}));
  EXPECT_DOUBLE_EQ(c->Radius, 1.0);
  EXPECT_EQ(list->GetName(), "Generator PLOT");
  // An item without its sublayer refuses to replay rather than crash.
  EXPECT_THROW(list->Undo(), EInternalError);
}

}  // namespace
