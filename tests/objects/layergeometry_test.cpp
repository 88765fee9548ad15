// Handles and snap points, hit tests, intersections, frontal-measure labels
// and the information rows of the layer objects.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <typeindex>
#include <typeinfo>

#include "drawing/dim_fixture.h"
#include "layer_fixture.h"
#include "objects/activepoints.h"
#include "objects/clipbounds.h"
#include "objects/fraction.h"
#include "objects/layerline.h"
#include "objects/point.h"
#include "objects/styledlines.h"
#include "objects/symbol.h"
#include "objects/styledcanvas.h"
#include "objects/texts.h"
#include "platform/paint/gdiimage.h"

namespace {

class LayerGeometry : public LayerObjectsFixture {
 protected:
  // One pixel a world unit: the handle box is 15 x 15 units.
  TWindowDim dims = MakeDim(0, 0, 1000, 1000, 1000, 1000);
};

void ExpectPoints(const TActivePoints& A, std::initializer_list<TRealPoint> Want, double Eps = 1e-9) {
  ASSERT_EQ(A.Count, static_cast<int>(Want.size()));
  int i = 0;
  for (const TRealPoint& w : Want) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(A.Points[i].X, w.X, Eps);
    EXPECT_NEAR(A.Points[i].Y, w.Y, Eps);
    ++i;
  }
}

TRealPoint FontToWorld(const TAffineMatrix& T, double U, double V) {
  return TRealPoint{T.a * U + T.b * V + T.c, T.d * U + T.e * V + T.f};
}

TEST_F(LayerGeometry, SnapPointsOfLinesCirclesAndArcs) {
  TActivePoints a(&dims);
  TDefSpecLinia(TRealPoint{1, 2}, TRealPoint{3, 4}).GetSnapPoints(a, nullptr);
  ExpectPoints(a, {{1, 2}, {3, 4}});
  TActivePoints c(&dims);
  TOkrag(TPointRec{10, 10, 0}, 2).GetSnapPoints(c, nullptr);
  ExpectPoints(c, {{10, 10}, {10, 8}, {10, 12}, {12, 10}});
  TActivePoints l(&dims);
  TLuk(TPointRec{0, 0, 0}, TPointRec{0, 10, 0}, 13).GetSnapPoints(l, nullptr);
  ExpectPoints(l, {{0, 0}, {-1, 5}, {0, 10}}, 1e-4);
  TActivePoints p(&dims);
  TPunkt(TRealPoint{4, 5}).GetSnapPoints(p, nullptr);
  ExpectPoints(p, {{4, 5}});
}

TEST_F(LayerGeometry, HandleHitsLowerIndexFirstAndBordersCount) {
  TActivePoints a(&dims);
  a.SetPoint(0, TRealPoint{0, 0});
  a.SetPoint(1, TRealPoint{5, 0});
  EXPECT_EQ(a.HitTest(TRealPoint{3, 0}), 2);     // both boxes: index 0 wins
  EXPECT_EQ(a.HitTest(TRealPoint{12.5, 0}), 3);  // on the border of handle 1
  EXPECT_EQ(a.HitTest(TRealPoint{12.6, 0}), 0);
  TActivePoints none(&dims);
  EXPECT_EQ(none.HitTest(TRealPoint{0, 0}), 0);
  TNapisActivePoints empty(&dims);
  EXPECT_EQ(empty.HitTest(TRealPoint{0, 0}), 0);
}

TEST_F(LayerGeometry, OutlineRayCountsVerticesByTheHigherEnd) {
  TNapisActivePoints t(&dims);
  // A diamond: vertices at Y -100, 0, 100 and 0.
  t.SetPoint(0, TRealPoint{-100, 0});
  t.SetPoint(1, TRealPoint{0, 100});
  t.SetPoint(2, TRealPoint{100, 0});
  t.SetPoint(3, TRealPoint{0, -100});
  EXPECT_EQ(t.HitTest(TRealPoint{20, 10}), 1);
  EXPECT_EQ(t.HitTest(TRealPoint{-98, 0}), 2);   // a handle inside the outline
  EXPECT_EQ(t.HitTest(TRealPoint{-150, 0}), 0);  // through two side vertices: once each
  EXPECT_EQ(t.HitTest(TRealPoint{-50, 100}), 0); // through the highest vertex: twice
  EXPECT_EQ(t.HitTest(TRealPoint{70, 70}), 0);
  TSymbolActivePoints s(&dims);
  for (int i = 0; i < 4; ++i) s.SetPoint(4 + i, t.Points[i]);
  s.SetCount(4);
  EXPECT_EQ(s.HitTest(TRealPoint{20, 10}), 1);

  const TAffineMatrix shift{1, 0, 1000, 0, 1, 0, 1};
  TBlockActivePoints b(&dims, shift);
  for (int i = 0; i < 4; ++i) b.SetPoint(i, t.Points[i]);
  EXPECT_EQ(b.HitTest(TRealPoint{1020, 10}), 1);
  EXPECT_EQ(b.HitTest(TRealPoint{900, 0}), 2);
  EXPECT_EQ(b.HitTest(TRealPoint{20, 10}), 0);
}

TEST_F(LayerGeometry, TextHandlesAreTheBoxTheMidpointsAndTheReference) {
  TDrawParams params(nullptr, &dims);
  params.Size = 10;
  TWysKatOdnNapisW t(TRealPoint{100, 100}, "II", 10, 7, false, 0.0f, TRealPoint{50, 300});
  TActivePoints a(&dims);
  t.GetSnapPoints(a, &params);
  ASSERT_EQ(a.Count, 6);
  const TRealPoint* p = a.Points.data();
  EXPECT_NEAR(p[2].X - p[1].X, p[3].X - p[0].X, 1e-9);
  EXPECT_NEAR(p[2].Y - p[1].Y, p[3].Y - p[0].Y, 1e-9);
  EXPECT_NEAR(p[4].X, (p[0].X + p[3].X) / 2, 1e-9);
  EXPECT_NEAR(p[5].Y, (p[1].Y + p[2].Y) / 2, 1e-9);
  // Upright text: the baseline edge runs along +Y.
  EXPECT_GT(p[1].Y, p[0].Y);
  t.NoReference = 0;
  TActivePoints r(&dims);
  t.GetSnapPoints(r, &params);
  ASSERT_EQ(r.Count, 7);
  EXPECT_EQ(r.Points[6], (TRealPoint{50, 300}));
  // The handle set of a text hits inside its box (ten pixels a unit here).
  TWindowDim fine = MakeDim(0, 0, 1000, 1000, 10000, 10000);
  TDrawParams fineParams(nullptr, &fine);
  fineParams.Size = 10;
  const auto set = t.CreateActivePoints(fineParams);
  EXPECT_EQ(set->HitTest(TRealPoint{(p[0].X + p[2].X) / 2, (p[0].Y + p[2].Y) / 2}), 1);
}

TEST_F(LayerGeometry, SymbolHandlesForRoundAndRectangularBounds) {
  TSymbol sym;
  sym.Extent = 4;
  TDrawParams params(nullptr, &dims);
  params.Size = 2;
  const double s = params.GetSymbolSize(sym);
  ASSERT_GT(s, 0);
  sym.BoundsKind = TSymbolBoundsKind::Round;
  sym.Bounds = TRealRect{0, 0, 1, 0};  // centre (0, 0), radius 1
  TWysKatSymbol w(TRealPoint{50, 60}, &sym, 0, 0.0f);
  TSymbolActivePoints a(&dims);
  w.GetSnapPoints(a, &params);
  EXPECT_EQ(a.Count, 4);
  EXPECT_NEAR(a.Points[0].X, 50 - s, 1e-9);
  EXPECT_NEAR(a.Points[3].Y, 60 + s, 1e-9);
  EXPECT_NEAR(a.Points[4].X, 50 + s, 1e-9);
  EXPECT_NEAR(a.Points[4].Y, 60 - s, 1e-9);
  a.SetCount(8);
  a.SetCount(4);
  EXPECT_EQ(a.HitTest(TRealPoint{50 + 0.1 * s, 60}), 2);  // on handle 0's box
  const auto circle = w.CreateOutline(&params);
  const auto* cb = dynamic_cast<const TSymbolCircleBounds*>(circle.get());
  ASSERT_NE(cb, nullptr);
  EXPECT_NEAR(cb->Radius, s, 1e-9);

  sym.BoundsKind = TSymbolBoundsKind::Rectangle;
  sym.Bounds = TRealRect{-1, -2, 3, 4};
  TSymbolActivePoints r(&dims);
  w.GetSnapPoints(r, &params);
  EXPECT_NEAR(r.Points[0].X, 50 - s, 1e-9);     // (Left, midY)
  EXPECT_NEAR(r.Points[0].Y, 60 + s, 1e-9);
  EXPECT_NEAR(r.Points[5].X, 50 + 3 * s, 1e-9);  // (Right, Bottom)
  EXPECT_NEAR(r.Points[5].Y, 60 + 4 * s, 1e-9);
  EXPECT_NE(dynamic_cast<TTextBounds*>(w.CreateOutline(&params).get()), nullptr);
  // Turned a quarter: (Right, Bottom) goes to (-Bottom, Right) about the anchor.
  w.Angle = static_cast<float>(std::numbers::pi / 2);
  TSymbolActivePoints q(&dims);
  w.GetSnapPoints(q, &params);
  EXPECT_NEAR(q.Points[5].X, 50 - 4 * s, 1e-5);
  EXPECT_NEAR(q.Points[5].Y, 60 + 3 * s, 1e-5);

  sym.BoundsKind = TSymbolBoundsKind::Computed;
  EXPECT_EQ(w.CreateOutline(&params), nullptr);
  TSymbolActivePoints c(&dims);
  w.GetSnapPoints(c, &params);
  EXPECT_EQ(c.Count, 4);
  w.Symbol = nullptr;
  TSymbolActivePoints n(&dims);
  w.GetSnapPoints(n, &params);
  EXPECT_EQ(n.Count, 0);
}

TEST_F(LayerGeometry, IntersectionsOfLinesAndCircles) {
  const TDefSpecLinia horizontal(TRealPoint{0, 0}, TRealPoint{1, 0});
  const TDefSpecLinia vertical(TRealPoint{5, -1}, TRealPoint{5, 1});
  const TDefSpecLinia parallel(TRealPoint{0, 1}, TRealPoint{1, 1});
  const TDefSpecLinia y3(TRealPoint{0, 3}, TRealPoint{10, 3});
  const TDefSpecLinia diagonal(TRealPoint{-10, -10}, TRealPoint{10, 10});
  const TDefSpecOkrag c4(TPointRec{4, 0, 0}, 5);
  const TDefSpecOkrag c0(TPointRec{0, 0, 0}, 5);
  const TDefSpecOkrag c6(TPointRec{6, 0, 0}, 5);
  const TDefSpecOkrag small0(TPointRec{0, 0, 0}, 1);
  const TDefSpecOkrag small5(TPointRec{5, 0, 0}, 1);
  const TDefSpecOkrag inner(TPointRec{0, 0, 0}, 2);
  const TPunkt point(TRealPoint{0, 0});
  const struct {
    const char* Name;
    const TEGraphObj* A;
    const TEGraphObj* B;
    TRealPoint O;
    bool Found;
    TRealPoint Q;
    double D2;
  } cases[] = {
      {"lines beyond the segment", &horizontal, &vertical, {4, 0}, true, {5, 0}, 1},
      {"parallel lines", &horizontal, &parallel, {0, 0}, false, {}, 0},
      {"constant-Y line and circle", &y3, &c4, {0, 0}, true, {0, 3}, 9},
      {"circle and constant-Y line", &c4, &y3, {0, 0}, true, {0, 3}, 9},
      {"diagonal and circle", &diagonal, &c0, {3, 3}, true, {3.5355339, 3.5355339}, 0.5735931},
      {"two circles", &c0, &c6, {3, 5}, true, {3, 4}, 1},
      {"concentric circles", &c0, &inner, {0, 0}, false, {}, 0},
      {"circles too far apart", &small0, &small5, {0, 0}, false, {}, 0},
      {"not a linear object", &point, &c0, {0, 0}, false, {}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    double d2 = -1;
    TRealPoint q{-99, -99};
    ASSERT_EQ(IntersectObjects(*c.A, *c.B, c.O, d2, q), c.Found);
    if (!c.Found) {
      EXPECT_EQ(d2, -1);  // nothing written
      continue;
    }
    EXPECT_NEAR(q.X, c.Q.X, 1e-6);
    EXPECT_NEAR(q.Y, c.Q.Y, 1e-6);
    EXPECT_NEAR(d2, c.D2, 1e-6);
  }
}

TEST_F(LayerGeometry, ArcIsTakenAsItsFullCircle) {
  // The arc from (0, 5) to (5, 0) about the origin (a quarter on the right of
  // its chord); the line X = -3 meets only the undrawn part of its circle.
  const TDefSpecLuk arc(TPointRec{0, 5, 0}, TPointRec{5, 0, 0}, 5);
  const TDefSpecLinia line(TRealPoint{-3, -10}, TRealPoint{-3, 10});
  double d2 = 0;
  TRealPoint q;
  ASSERT_TRUE(IntersectObjects(line, arc, TRealPoint{-3, -5}, d2, q));
  EXPECT_NEAR(q.X, -3, 1e-6);
  EXPECT_NEAR(std::fabs(q.Y), 4, 1e-4);
}

TEST_F(LayerGeometry, DegenerateLineCrossesNothingInsteadOfANotANumber) {
  const TDefSpecLinia dot(TRealPoint{1, 1}, TRealPoint{1, 1});
  const TDefSpecOkrag circle(TPointRec{0, 0, 0}, 5);
  const TDefSpecLinia line(TRealPoint{0, 0}, TRealPoint{10, 0});
  double d2 = -1;
  TRealPoint q{-99, -99};
  EXPECT_FALSE(IntersectObjects(dot, circle, TRealPoint{0, 0}, d2, q));
  EXPECT_FALSE(IntersectObjects(circle, dot, TRealPoint{0, 0}, d2, q));
  EXPECT_FALSE(IntersectObjects(dot, line, TRealPoint{0, 0}, d2, q));
  EXPECT_EQ(d2, -1);
  EXPECT_EQ(q, (TRealPoint{-99, -99}));
}

TEST_F(LayerGeometry, TextHitTestFindsStrokesAndTheReferenceLine) {
  TDrawParams params(nullptr, &dims);
  params.Size = 10;
  const TRealPoint at{100, 100};
  // The second "I" of "II": its stroke at V = 12 font units.
  TDrawParams placed(params);
  const auto m = placed.MeasureText("II");
  const TAffineMatrix t = placed.GetTextTransform(*m, at, 0);
  const TRealPoint second = FontToWorld(t, -5, 12);
  const TRealPoint tol{0.3, 0.3};
  double d = -1;
  EXPECT_TRUE(TextHitTest("II", at, 7, false, false, TRealPoint{}, second, tol, params, d));
  EXPECT_LT(d, 0.3);
  // The same object built again with one "I": the second stroke is gone.
  EXPECT_FALSE(TextHitTest("I", at, 7, false, false, TRealPoint{}, second, tol, params, d));

  // Only the reference line is hit: a hit with the line's distance.
  const TRealPoint ref{100, 400};
  TWysKatOdnNapis text(at, "I", 10, 7, false, 0.0f, ref);
  TAuxLines lines;
  text.GetAuxLines(&params, lines);
  ASSERT_NE(lines[2], nullptr);
  const TRealPoint a = lines[2]->GetStartPoint();
  const TRealPoint b = lines[2]->GetEndPoint();
  const TRealPoint mid{(a.X + b.X) / 2 + 0.1, (a.Y + b.Y) / 2};
  TWysKatNapis plain(at, "I", 10, 7, false, 0.0f);
  EXPECT_FALSE(plain.HitDistance(mid, tol, &params, d));
  d = -1;
  EXPECT_TRUE(TextHitTest("I", at, 7, false, true, ref, mid, tol, params, d));
  EXPECT_GT(d, 0);
  EXPECT_LT(d, 0.3);
}

TEST_F(LayerGeometry, QuickRejectionTreatsTouchingAsOutside) {
  TDrawParams params(nullptr, &dims);
  params.Size = 1;
  const double s = params.GetSize() * 2;  // half extent along X
  const double r = 2 * s;                 // (n + 1) * s along Y for one character
  TNapis plain(TRealPoint{0, 0}, "I");
  double d = 0;
  const TRealPoint tol{0.5, 0.5};
  EXPECT_FALSE(plain.HitDistance(TRealPoint{s + 0.5, 0}, tol, &params, d));
  EXPECT_FALSE(plain.HitDistance(TRealPoint{0, -r - 0.5}, tol, &params, d));
  // An angled text uses (n + 1) * s on both axes: the same X is not rejected
  // at once (the strokes decide).
  TWysKatNapis angled(TRealPoint{0, 0}, "I", 0, 7, false, 0.0f);
  EXPECT_FALSE(angled.HitDistance(TRealPoint{r + 0.5, 0}, tol, &params, d));
}

TEST_F(LayerGeometry, FrontalMeasureLabel) {
  TWysKatNapis a, b, z;
  for (TWysKatNapis* t : {&a, &b, &z}) t->Height = 10;
  a.SetCzolowka(TRealPoint{0, 0}, TRealPoint{-3, 4}, 12.5, 0x01 | 0x10);
  b.SetCzolowka(TRealPoint{0, 0}, TRealPoint{3, -4}, 12.5, 0x01 | 0x10);
  EXPECT_EQ(a.Position, b.Position);
  EXPECT_EQ(a.Angle, b.Angle);
  EXPECT_EQ(a.Text, "12.500");
  EXPECT_EQ(a.GetJustyfikacja(), 2);
  EXPECT_NEAR(std::hypot(a.Position.X, a.Position.Y), 2.0, 1e-9);  // a fifth of the height
  EXPECT_NEAR(a.Position.X * 3 - a.Position.Y * 4, 0.0, 1e-9);    // across the segment
  EXPECT_EQ(a.GetCzolowkaFlags(), 0x11);
  EXPECT_LE(a.Angle, 2 * std::numbers::pi);
  // Segments along either axis entered either way: one label each, the
  // angle below a full turn.
  for (const TRealPoint d : {TRealPoint{5, 0}, TRealPoint{0, 5}}) {
    TWysKatNapis there, back;
    for (TWysKatNapis* t : {&there, &back}) t->Height = 10;
    there.SetCzolowka(TRealPoint{0, 0}, d, 5, 0x01);
    back.SetCzolowka(TRealPoint{0, 0}, TRealPoint{-d.X, -d.Y}, 5, 0x01);
    EXPECT_EQ(there.Angle, back.Angle) << d.X << " " << d.Y;
    EXPECT_LT(back.Angle, 2 * std::numbers::pi - 1e-3) << d.X << " " << d.Y;
  }

  z.SetCzolowka(TRealPoint{7, 8}, TRealPoint{0, 0}, 3, 0x08);
  EXPECT_EQ(z.Position, (TRealPoint{7, 8}));
  EXPECT_EQ(z.Text, "-3.000-");
  EXPECT_EQ(z.GetCzolowkaFlags(), 0x04 | 0x08);
  z.Text = "-";
  z.SetJustyfikacja(5);
  EXPECT_EQ(z.GetCzolowkaFlags(), 0x02 | 0x08);
}

TEST_F(LayerGeometry, BoundsOfTextsAndPoints) {
  const TNapis plain(TRealPoint{10, 10}, "abc");
  EXPECT_EQ(plain.GetBounds(), (TRealRect{4, 4, 16, 16}));
  const TWysNapis zero(TRealPoint{10, 10}, "abc", 0, 7, false);
  EXPECT_EQ(zero.GetBounds(), (TRealRect{10, 10, 10, 10}));
  TDrawParams params(nullptr, &dims);
  params.Size = 3;
  EXPECT_EQ(zero.GetBoundsFor(&params), (TRealRect{10, 10, 10, 10}));
  const TWysKatOdnNapis ref(TRealPoint{10, 10}, "a", 1, 7, false, 0.0f, TRealPoint{50, -20});
  const TRealRect rb = ref.GetBoundsFor(&params);
  EXPECT_TRUE(RealRectContainsPoint(rb, TRealPoint{50, -20}));
  const TPunkt p(TRealPoint{1, 2});
  EXPECT_NEAR(p.GetBounds().Right - p.GetBounds().Left, 0.2, 1e-12);
  EXPECT_FALSE(IsEmptyRealRect(p.GetBounds()));
}

TEST_F(LayerGeometry, SameGeometryOfTextsAndPoints) {
  EXPECT_FALSE(TNapisT(TRealPoint{}, "Ab").SameGeometry(TNapisT(TRealPoint{}, "ab")));
  TPunkt a(TRealPoint{1, 2}), b(TRealPoint{1, 2});
  b.Position.Z = 9;
  EXPECT_TRUE(a.SameGeometry(b));
  TLicznikMianownik f1(TRealPoint{}, "1", "2", 1, 7, false, 0), f2(TRealPoint{}, "1", "3", 1, 7, false, 0);
  EXPECT_FALSE(f1.SameGeometry(f2));
}

TEST_F(LayerGeometry, ReferencedTextMovesItsReferenceButTransformDoesNotTurnIt) {
  TWysKatOdnNapis t(TRealPoint{0, 0}, "I", 1, 7, false, 0.0f, TRealPoint{0, 10});
  t.Move(TRealPoint{5, 5});
  EXPECT_EQ(t.GetRefPoint(), (TRealPoint{5, 15}));
  const TAffineMatrix quarter{0, -1, 0, 1, 0, 0, 1};
  t.Transform(quarter);
  EXPECT_EQ(t.GetRefPoint().X - t.Position.X, 0);
  EXPECT_EQ(t.GetRefPoint().Y - t.Position.Y, 10);
  EXPECT_GE(t.Angle, 0.0f);
}

// The block-edit window with fixed values.
class TFakeBlockE final : public TBlockE {
 public:
  std::string TypLiniText() const override { return "NIEMA"; }
  int GruboscIndex() const override { return 2; }
  double Multiplier() const override { return 1.5; }
  double Height() const override { return 4; }
  double Angle() const override { return 0.25; }
  std::uint8_t Just() const override { return 3; }
  std::string SymbolText() const override { return "BRAK"; }
  bool Underln() const override { return true; }
  bool Odn() const override { return true; }
  std::string Text() const override { return "nowy"; }
  std::string Mianownik() const override { return "9"; }
};

TEST_F(LayerGeometry, ApplyParamsCopiesOnlyTheMaskedValues) {
  const TFakeBlockE dialog;
  TLiniaSpecjalna line(TRealPoint{}, TRealPoint{1, 1}, nullptr, 0.5);
  line.IndexWord = 0;
  EXPECT_EQ(line.ApplyParams(0, dialog), 0);
  EXPECT_FALSE(line.IsChanged());
  EXPECT_EQ(line.ApplyParams(2, dialog), 1);
  EXPECT_EQ(line.Style.Thickness, 2);
  EXPECT_EQ(line.Style.Multiplier, 0.5f);
  EXPECT_TRUE(line.IsChanged());

  TLicznikMianownik f(TRealPoint{}, "1", "2", 1, 7, false, 0);
  EXPECT_EQ(f.ApplyParams(0x0400 | 0x0100 | 0x0020, dialog), 1);
  EXPECT_EQ(f.Denominator, "9");
  EXPECT_TRUE(f.HasReference());
  EXPECT_EQ(f.GetJustyfikacja(), 3);
  EXPECT_EQ(f.Text, "1");

  TWysKatSymbol s;
  EXPECT_EQ(s.ApplyParams(0x0040, dialog), 1);
  EXPECT_EQ(s.Text, "BRAK");
  EXPECT_EQ(s.Symbol, nullptr);
}

TEST_F(LayerGeometry, InformationRowsOfEachClass) {
  TRecordingInfo line;
  TDefSpecLinia(TRealPoint{1, 2}, TRealPoint{3, 4}).FillInfo(line);
  EXPECT_EQ(line.Value(0, 2), "Linia");
  EXPECT_EQ(line.Label(8, 0), "Współrzędne punktów końcowych linii");
  EXPECT_EQ(line.Label(10, 0), "P2 X");
  EXPECT_EQ(line.Value(10, 2), "4.000");
  EXPECT_EQ(line.Label(5, 1), "Modyfikował");

  TRecordingInfo arc;
  TLukSpecjalny a(TPointRec{0, 0, 0}, TPointRec{0, 10, 0}, -13);
  a.Style.Multiplier = 0.1234f;
  a.FillInfo(arc);
  EXPECT_EQ(arc.Value(0, 2), "Łuk");
  EXPECT_EQ(arc.Value(13, 1), "13.000");
  EXPECT_EQ(arc.Label(14, 0), "Typ linii");
  EXPECT_EQ(arc.Value(14, 1), "Domyślny");
  EXPECT_EQ(arc.Label(14, 2), "<none>");
  EXPECT_EQ(arc.Value(15, 1), "Domyślna");
  EXPECT_EQ(arc.Value(15, 2), "0.123");

  TRecordingInfo circle;
  TOkragSpecjalny c(TPointRec{1, 2, 0}, 3);
  c.Style.Thickness = 2;
  c.FillInfo(circle);
  EXPECT_EQ(circle.Value(0, 2), "Okrąg");
  EXPECT_EQ(circle.Value(10, 1), "3.000");
  EXPECT_EQ(circle.Value(12, 1), "Gruba");
  EXPECT_EQ(circle.Value(12, 2), "Domyślny");

  TRecordingInfo text;
  TWysKatOdnNapisW t(TRealPoint{1, 2}, "I", 2.5, 7, true, 0.5f, TRealPoint{});
  t.SetOverline(true);
  t.FillInfo(text);
  EXPECT_EQ(text.Value(0, 2), "Tekst");
  EXPECT_EQ(text.Value(10, 1), "2.5");
  EXPECT_EQ(text.Value(10, 2), "0.50rad");
  EXPECT_EQ(text.Value(11, 1), "lewa,górna");
  EXPECT_EQ(text.Value(11, 2), "Nadkreślenie");
  EXPECT_EQ(text.Value(12, 0), "");
  EXPECT_EQ(text.Label(12, 0), "<none>");

  TRecordingInfo frac;
  TLicznikMianownik f(TRealPoint{}, "125", "3", 0, 3, false, 0);
  f.FillInfo(frac);
  EXPECT_EQ(frac.Value(0, 2), "Ułamek");
  EXPECT_EQ(frac.Value(8, 1), "125");
  EXPECT_EQ(frac.Label(8, 2), "Mianownik");
  EXPECT_EQ(frac.Value(8, 2), "3");
  EXPECT_EQ(frac.Value(10, 1), "Domyślna");
  EXPECT_EQ(frac.Value(11, 1), "prawa,dolna");

  TRecordingInfo sym;
  TGrSymbol s;
  s.Text = "KAMIEN";
  s.FillInfo(sym);
  EXPECT_EQ(sym.Value(0, 2), "Symbol");
  EXPECT_EQ(sym.Value(8, 1), "KAMIEN");
  EXPECT_EQ(sym.Value(10, 2), "0");

  TRecordingInfo pt;
  TPunkt p(TRealPoint{1, 2});
  p.Position.Z = 3;
  p.FillInfo(pt);
  EXPECT_EQ(pt.Value(0, 2), "Punkt");
  EXPECT_EQ(pt.Label(8, 0), "Współrzędne");
  EXPECT_EQ(pt.Value(9, 3), "3.000");
}

TEST_F(LayerGeometry, CapabilitiesOfEachClass) {
  const struct {
    const char* Name;
    std::unique_ptr<TEGraphObj> Obj;
    std::uint16_t Want;
  } cases[] = {
      {"plain line", std::make_unique<TLinia>(), 0x0800},
      {"plain circle", std::make_unique<TOkrag>(), 0x0800},
      {"style-following line", std::make_unique<TDefSpecLinia>(), 0x0807},
      {"style-following circle", std::make_unique<TDefSpecOkrag>(), 0x0807},
      {"style-following arc", std::make_unique<TDefSpecLuk>(), 0x0807},
      {"special arc", std::make_unique<TLukSpecjalny>(), 0x0807},
      {"text", std::make_unique<TNapis>(), 0x0BB8},
      {"text of the edit class", std::make_unique<TWysKatOdnNapisW>(), 0x0BB8},
      {"symbol", std::make_unique<TWysKatSymbol>(), 0x0BF8},
      {"fraction", std::make_unique<TLicznikMianownik>(), 0x0FB8},
      {"point", std::make_unique<TPunkt>(), 0x0800},
  };
  for (const auto& c : cases) EXPECT_EQ(c.Obj->GetCapabilities(), c.Want) << c.Name;
}

TEST_F(LayerGeometry, ExtendedClassesKeepEveryField) {
  TSymbol sym;
  TLinia line(TRealPoint{1, 2}, TRealPoint{3, 4});
  const auto special = line.ToExtendedClass();
  ASSERT_EQ(std::type_index(typeid(*special)), std::type_index(typeid(TLiniaSpecjalna)));
  EXPECT_EQ(static_cast<TLiniaSpecjalna&>(*special).P2, (TPointRec{3, 4, 0}));
  EXPECT_EQ(static_cast<TLiniaSpecjalna&>(*special).Style.LineDef, nullptr);
  EXPECT_EQ(std::type_index(typeid(*TDefSpecOkrag().ToExtendedClass())), std::type_index(typeid(TOkragSpecjalny)));
  EXPECT_EQ(std::type_index(typeid(*TLuk().ToExtendedClass())), std::type_index(typeid(TLukSpecjalny)));

  // A special object is already the richest of its family: a clone.
  TOkragSpecjalny circle(TPointRec{1, 1, 0}, 2);
  circle.Style.InitStyle(nullptr, 1.5, 2);
  const auto circleCopy = circle.ToExtendedClass();
  EXPECT_TRUE(circleCopy->SameGeometry(circle));
  EXPECT_EQ(circle.ExtendedCopyOrNil(), nullptr);

  TWysNapis text(TRealPoint{5, 6}, "I", 2.5, 3, true);
  const auto widest = text.ToExtendedClass();
  const auto* w = dynamic_cast<const TWysKatOdnNapisW*>(widest.get());
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->Text, "I");
  EXPECT_EQ(w->Position, (TRealPoint{5, 6}));
  EXPECT_EQ(w->Height, 2.5f);
  EXPECT_EQ(w->Flags, 0x13);
  EXPECT_FALSE(w->HasReference());
  EXPECT_EQ(w->ExtendedCopyOrNil(), nullptr);

  TLicznikMianownik fraction(TRealPoint{}, "12", "3", 1, 7, false, 0.5f);
  const auto fractionCopy = fraction.ToExtendedClass();
  EXPECT_EQ(dynamic_cast<const TLicznikMianownik&>(*fractionCopy).Denominator, "3");
  EXPECT_TRUE(fractionCopy->SameGeometry(fraction));

  TGrSymbol symbol(TRealPoint{7, 8}, &sym);
  symbol.Text = "KRZ";
  const auto turned = symbol.ToExtendedClass();
  const auto* t = dynamic_cast<const TWysKatSymbol*>(turned.get());
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->Symbol, &sym);  // the copy shares the library's symbol
  EXPECT_EQ(t->Text, "KRZ");
  EXPECT_EQ(t->Position, (TRealPoint{7, 8}));
}

TEST_F(LayerGeometry, HandleSetsDrawDotsAndWhiteSquaresAndTurnTheirHalfSize) {
  TWindowDim view;
  view.SetWorldRect(TRealRect{0, 0, 100, 100});
  view.SetDeviceSize(100, 100);
  platform::TBitmap picture(100, 100);
  TNoDefRealCanvas canvas(&picture.Canvas(), &view, nullptr);
  TActivePoints handles(&view);
  handles.SetPoint(0, TRealPoint{50, 30});
  const TAffineMatrix identity{1, 0, 0, 0, 1, 0, 1};
  TBlockActivePoints block(&view, identity);
  block.SetPoint(0, TRealPoint{50, 70});
  handles.Draw(canvas);
  block.Draw(canvas);
  canvas.FlushLines();
  const TPoint h = view.WorldToDevicePt(TRealPoint{50, 30});
  const TPoint b = view.WorldToDevicePt(TRealPoint{50, 70});
  EXPECT_EQ(picture.Pixel(h.X, h.Y), 0x000000u);             // the black dot
  EXPECT_EQ(picture.Pixel(h.X - 2, h.Y - 2), 0xFFFFFFu);     // under the white square
  EXPECT_EQ(picture.Pixel(b.X, b.Y), 0x000000u);
  EXPECT_EQ(picture.Pixel(b.X - 2, b.Y - 2), 0x000000u);     // a block's handles are dots only

  // Half the 15-pixel box, turned with the view: one pixel a unit here.
  TRealPoint s;
  handles.HalfHandleSize(s);
  EXPECT_NEAR(std::fabs(s.X), 7.5, 1e-9);
  EXPECT_NEAR(std::fabs(s.Y), 7.5, 1e-9);
  view.SetAngle(std::numbers::pi / 4);
  handles.HalfHandleSize(s);
  EXPECT_NEAR(std::hypot(s.X, s.Y), 7.5 * std::sqrt(2.0), 1e-9);
  EXPECT_NEAR(std::min(std::fabs(s.X), std::fabs(s.Y)), 0.0, 1e-9);
  TActivePoints detached(nullptr);
  detached.HalfHandleSize(s);
  EXPECT_EQ(s, (TRealPoint{0, 0}));
}

TEST_F(LayerGeometry, StyleAndReferenceInformationRows) {
  UseProgramLibraries();
  TRecordingInfo styled;
  TLiniaSpecjalna line(TRealPoint{}, TRealPoint{1, 1}, LineManager().GetLine(20), 2.0);
  line.Style.Thickness = 1;
  line.FillInfo(styled);
  EXPECT_EQ(styled.Label(11, 0), "Typ linii");
  EXPECT_EQ(styled.Value(11, 1), "KRES");
  EXPECT_EQ(styled.Label(11, 2), "Nr");
  EXPECT_EQ(styled.Value(11, 2), "20");
  EXPECT_EQ(styled.Label(12, 0), "Grubość");
  EXPECT_EQ(styled.Value(12, 1), "Cienka");
  EXPECT_EQ(styled.Label(12, 2), "Mnożnik");
  EXPECT_EQ(styled.Value(12, 2), "2");

  TRecordingInfo referenced;
  TWysKatOdnNapis text(TRealPoint{1, 2}, "I", 0, 7, false, 0.0f, TRealPoint{4, 5});
  text.FillInfo(referenced);
  EXPECT_EQ(referenced.Label(12, 0), "Współrzędne odnośnika");
  EXPECT_EQ(referenced.Label(13, 0), "X");
  EXPECT_EQ(referenced.Value(13, 1), "4.000");
  EXPECT_EQ(referenced.Label(13, 2), "Y");
  EXPECT_EQ(referenced.Value(13, 2), "5.000");
}

TEST_F(LayerGeometry, FractionAuxiliaryTextsAndHitOnTheDenominator) {
  TDrawParams params(nullptr, &dims);
  params.Size = 10;
  const TRealPoint at{100, 100};
  TLicznikMianownik fraction(at, "I", "II", 10, 7, true, 0.0f);
  TAuxLines lines;
  fraction.GetAuxLines(&params, lines);
  ASSERT_NE(lines[0], nullptr);
  ASSERT_NE(lines[1], nullptr);
  EXPECT_EQ(lines[2], nullptr);  // no reference
  EXPECT_NE(lines[3], nullptr);  // underlined
  const auto* upper = dynamic_cast<const TWysKatNapis*>(lines[0].get());
  const auto* lower = dynamic_cast<const TWysKatNapis*>(lines[1].get());
  ASSERT_NE(upper, nullptr);
  ASSERT_NE(lower, nullptr);
  EXPECT_EQ(upper->Text, "I");
  EXPECT_EQ(lower->Text, "II");
  EXPECT_EQ(upper->GetJustyfikacja(), 7);
  EXPECT_FALSE(upper->IsUnderline());
  // The denominator sits below the numerator (X grows upwards), on the same
  // start along the line.
  EXPECT_LT(lower->Position.X, upper->Position.X);
  EXPECT_NEAR(lower->Position.Y, upper->Position.Y, 1e-9);

  // The fraction's strokes include the denominator's: a point on the second
  // "I" of the denominator hits the fraction, not a text of the numerator.
  TDrawParams placed(params);
  placed.SetJustification(7);
  const auto m = placed.MeasureText("II");
  const TRealPoint onDenominator = FontToWorld(placed.GetTextTransform(*m, lower->Position, 0), -5, 12);
  const TRealPoint tol{0.3, 0.3};
  double d = -1;
  ASSERT_TRUE(lower->HitDistance(onDenominator, tol, &params, d));
  EXPECT_TRUE(fraction.HitDistance(onDenominator, tol, &params, d));
  EXPECT_FALSE(TWysKatNapis(at, "I", 10, 7, true, 0.0f).HitDistance(onDenominator, tol, &params, d));

  // With a reference the third entry is the reference line.
  fraction.NoReference = 0;
  fraction.SetRefPoint(TRealPoint{0, 100});
  fraction.GetAuxLines(&params, lines);
  EXPECT_NE(lines[2], nullptr);
}

TEST_F(LayerGeometry, TextHitTestOnCanvasUsesTheGivenSizeAndLeavesTheCanvas) {
  TWindowDim view = MakeDim(0, 0, 1000, 1000, 1000, 1000);
  platform::TBitmap picture(10, 10);
  TNoDefRealCanvas canvas(&picture.Canvas(), &view, nullptr);
  const double sizeBefore = canvas.Size;
  TDrawParams params(nullptr, &dims);
  params.Size = 10;
  const TRealPoint at{100, 100};
  TDrawParams placed(params);
  const auto m = placed.MeasureText("II");
  const TRealPoint second = FontToWorld(placed.GetTextTransform(*m, at, 0), -5, 12);
  const TRealPoint tol{0.3, 0.3};
  const TScaleAnchors anchors{0.5f, 1.0f, 2.0f, 5.0f};
  double d = -1;
  EXPECT_TRUE(TextHitTestOnCanvas("II", at, 7, 10, false, false, false, TRealPoint{}, second, tol, canvas,
                                  anchors, d));
  EXPECT_FALSE(TextHitTestOnCanvas("I", at, 7, 10, false, false, false, TRealPoint{}, second, tol, canvas,
                                   anchors, d));
  EXPECT_EQ(canvas.Size, sizeBefore);
}

TEST_F(LayerGeometry, QuickRejectionDecidesBeforeTheStrokes) {
  // A font whose "I" reaches far above and below the line, so that its
  // stroke crosses the border of the rejection box.
  ScratchFolder tall;
  FontSpec f;
  f.First = 'I';
  f.Glyphs = {{8, {{{4, -100}, {4, 100}}}}};
  tall.Put("litt.ch1", FontBytes(f));
  tall.Put("font.ch1", FontBytes(f));
  FontManager().SetFolder(tall.Path());

  TDrawParams params(nullptr, &dims);
  params.Size = 1;
  const double s = params.GetSize() * 2;  // the half extent along X
  TNapis plain(TRealPoint{0, 0}, "I");
  TDrawParams placed(params);
  const auto m = placed.MeasureText("I");
  const TRealPoint stroke = FontToWorld(placed.GetTextTransform(*m, plain.Position, 0), 0, 4);
  const TRealPoint tol{0.5, 0.5};
  double d = 0;
  // The tolerance box touches the border from outside: rejected although
  // the stroke runs through it.
  EXPECT_FALSE(plain.HitDistance(TRealPoint{s + 0.5, stroke.Y}, tol, &params, d));
  EXPECT_FALSE(plain.HitDistance(TRealPoint{-s - 0.5, stroke.Y}, tol, &params, d));
  // Overlapping the box by a little: the strokes decide, and hit.
  EXPECT_TRUE(plain.HitDistance(TRealPoint{s + 0.49, stroke.Y}, tol, &params, d));
  EXPECT_TRUE(plain.HitDistance(TRealPoint{-s - 0.49, stroke.Y}, tol, &params, d));
  // An angled text rejects only at (n + 1) * s: the same point hits.
  TWysKatNapis angled(TRealPoint{0, 0}, "I", 0, 0, false, 0.0f);
  EXPECT_TRUE(angled.HitDistance(TRealPoint{s + 0.5, stroke.Y}, tol, &params, d));
  EXPECT_FALSE(angled.HitDistance(TRealPoint{2 * s + 0.5, stroke.Y}, tol, &params, d));
}

TEST_F(LayerGeometry, TextOutlineIsTheHandleBox) {
  TDrawParams params(nullptr, &dims);
  params.Size = 4;
  // Turned a quarter and justified to the middle: the box of the handles
  // (corner C, C + U, C + U + V, C + V) is the occlusion box (C + V, U, -V).
  TWysKatOdnNapisW text(TRealPoint{100, 100}, "II", 10, 5, true, static_cast<float>(std::numbers::pi / 2),
                        TRealPoint{});
  TActivePoints handles(&dims);
  text.GetSnapPoints(handles, &params);
  const auto outline = text.CreateOutline(&params);
  const auto* box = dynamic_cast<const TTextBounds*>(outline.get());
  ASSERT_NE(box, nullptr);
  const TRealPoint* p = handles.Points.data();
  EXPECT_NEAR(box->Box.O.X, p[3].X, 1e-9);
  EXPECT_NEAR(box->Box.O.Y, p[3].Y, 1e-9);
  EXPECT_NEAR(box->Box.O.X + box->Box.A.X, p[2].X, 1e-9);
  EXPECT_NEAR(box->Box.O.Y + box->Box.A.Y, p[2].Y, 1e-9);
  EXPECT_NEAR(box->Box.O.X + box->Box.B.X, p[0].X, 1e-9);
  EXPECT_NEAR(box->Box.O.Y + box->Box.B.Y, p[0].Y, 1e-9);
  // The box holds the anchor's strokes: it is not degenerate and turned with
  // the text (its baseline edge runs along X now).
  EXPECT_GT(std::fabs(box->Box.A.X), std::fabs(box->Box.A.Y));
}

}  // namespace
