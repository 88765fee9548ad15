// Generated elements become the layer objects that draw in their sublayer's
// style, keeping their geometry and identifier.
#include "objects/genelements.h"

#include <gtest/gtest.h>

#include <memory>

#include "objects/layerline.h"

namespace {

TElementRecord Rec(double X1, double Y1, double X2, double Y2, double R, std::uint8_t Type) {
  TElementRecord rec;
  rec.X1 = X1;
  rec.Y1 = Y1;
  rec.X2 = X2;
  rec.Y2 = Y2;
  rec.R = R;
  rec.Type = Type;
  return rec;
}

TEST(GeneratedElements, BaseCopyIsTheSublayerStyledObjectWithTheSameGeometryAndIdent) {
  TGLinia line(Rec(1, 2, 3, 4, 0, kElemLine));
  TGOkrag circle(Rec(5, 6, 0, 0, 7, kElemCircle));
  TGLuk arc(Rec(1, 1, 3, 1, -2, kElemArc));
  line.SetIdent(11);
  circle.SetIdent(12);
  arc.SetIdent(13);

  const std::unique_ptr<TEGraphObj> l = line.CreateBaseCopy();
  const std::unique_ptr<TEGraphObj> c = circle.CreateBaseCopy();
  const std::unique_ptr<TEGraphObj> a = arc.CreateBaseCopy();

  // Exactly the plain styled classes: not the elements, not special lines.
  EXPECT_EQ(typeid(*l), typeid(TDefSpecLinia));
  EXPECT_EQ(typeid(*c), typeid(TDefSpecOkrag));
  EXPECT_EQ(typeid(*a), typeid(TDefSpecLuk));

  const auto& ll = static_cast<const TDefSpecLinia&>(*l);
  EXPECT_EQ(ll.P1, (TPointRec{1, 2, 0}));
  EXPECT_EQ(ll.P2, (TPointRec{3, 4, 0}));
  const auto& cc = static_cast<const TDefSpecOkrag&>(*c);
  EXPECT_EQ(cc.Centre, (TPointRec{5, 6, 0}));
  EXPECT_EQ(cc.Radius, 7);
  const auto& aa = static_cast<const TDefSpecLuk&>(*a);
  EXPECT_EQ(aa.P1, (TPointRec{1, 1, 0}));
  EXPECT_EQ(aa.P2, (TPointRec{3, 1, 0}));
  EXPECT_EQ(aa.Radius, -2);

  EXPECT_EQ(l->GetIdent(), 11u);
  EXPECT_EQ(c->GetIdent(), 12u);
  EXPECT_EQ(a->GetIdent(), 13u);
  // New layer objects: never stored, owned by nobody yet.
  for (const TEGraphObj* o : {l.get(), c.get(), a.get()}) {
    EXPECT_EQ(o->GetIndex(), 0u);
    EXPECT_TRUE(o->IsUnowned());
  }
}

TEST(GeneratedElements, ClonesStayGeneratedElements) {
  TGLinia line(TRealPoint{0, 0}, TRealPoint{0, 5});
  const std::unique_ptr<TEGraphObj> copy = line.Clone();
  EXPECT_EQ(typeid(*copy), typeid(TGLinia));
  EXPECT_EQ(static_cast<const TGLinia&>(*copy).P2, (TPointRec{0, 5, 0}));
  EXPECT_EQ(typeid(*TGOkrag().Clone()), typeid(TGOkrag));
  EXPECT_EQ(typeid(*TGLuk().Clone()), typeid(TGLuk));
}

}  // namespace
