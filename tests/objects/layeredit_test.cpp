// The editing operations of the layer objects that need no edit tool: an
// edited object put back into its sublayer (ReinsertAtIndex), the modal edits
// of special lines, texts, fractions and symbols, and the conversion of a
// style-following line, a text or a symbol into the class it is edited in.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "drawing/dim_fixture.h"
#include "edit_fakes.h"
#include "foundation/errors.h"
#include "foundation/settings/settings.h"
#include "layer_fixture.h"
#include "objects/fraction.h"
#include "objects/layerline.h"
#include "objects/linestylelib.h"
#include "objects/point.h"
#include "objects/styledcanvas.h"
#include "objects/styledlines.h"
#include "objects/symbol.h"
#include "objects/texts.h"
#include "platform/paint/gdiimage.h"

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlue = 0xFF0000;

// A white 200 x 100 picture of world X 0..100 (up), Y 0..200 (right), and a
// sublayer holding three objects with record indexes 11, 12, 13.
class LayerEdit : public LayerObjectsFixture {
 protected:
  LayerEdit()
      : bitmap(200, 100), dim(MakeDim(0, 0, 100, 200, 200, 100)), canvas(&bitmap.Canvas(), konf, &dim) {}

  template <class T>
  T* Fill(std::unique_ptr<T> Middle) {
    sub.Add(std::make_unique<TLinia>(TRealPoint{1, 1}, TRealPoint{2, 2}), 11);
    T* m = sub.Add(std::move(Middle), 12);
    sub.Add(std::make_unique<TLinia>(TRealPoint{3, 3}, TRealPoint{4, 4}), 13);
    return m;
  }
  platform::TColor At(double X, double Y) const {
    return bitmap.Pixel(static_cast<int>(std::lround(Y)), static_cast<int>(std::lround(100 - X)));
  }

  platform::TBitmap bitmap;
  TWindowDim dim;
  TKonfiguracja konf;
  TDefRealCanvas canvas;
  TFakeSublayer sub;
};

// Every object class a line or text sublayer holds shares the one operation.
TEST_F(LayerEdit, ReinsertAtIndexPutsTheObjectBackOncePerRun) {
  struct Case {
    const char* Name;
    int EditIndex;
    int Replaced;
    int Updated;
  } cases[] = {
      {"at its index", 1, 1, 0},
      {"already listed", -1, 0, 1},
      {"already put back", -2, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TFakeSublayer s;
    s.Add(std::make_unique<TLinia>(TRealPoint{1, 1}, TRealPoint{2, 2}), 11);
    s.Add(std::make_unique<TLinia>(TRealPoint{1, 1}, TRealPoint{2, 2}), 12);
    auto* edited = new TPunkt(TRealPoint{5, 6});
    edited->SetIndexUnchanged(20);
    if (c.EditIndex != 1) s.AddObject(edited);
    TFakeEditSite site(&s, c.EditIndex);
    EXPECT_FALSE(edited->ReinsertAtIndex(site));
    EXPECT_FALSE(edited->ReinsertAtIndex(site));  // a second completed modification
    EXPECT_EQ(s.Replaced, c.Replaced);
    EXPECT_EQ(s.Updated, c.Updated);
    EXPECT_EQ(site.EditIndex(), -2);
    EXPECT_EQ(edited->IsChanged(), c.EditIndex != -2);
    if (c.EditIndex == 1) {
      EXPECT_EQ(s.At(1), edited);
      EXPECT_EQ(edited->GetIndex(), 12u);  // the identifier of the object it replaced
    }
  }
}

TEST_F(LayerEdit, ReinsertAtIndexWithoutSublayerChangesNothing) {
  TWysKatNapis text(TRealPoint{1, 2}, "I", 2, 7, false, 0);
  text.SetIndexUnchanged(5);
  TFakeEditSite site(nullptr, 3);
  EXPECT_FALSE(text.ReinsertAtIndex(site));
  EXPECT_EQ(site.EditIndex(), 3);
  EXPECT_FALSE(text.IsChanged());
}

// A special class that counts its objects, to see the converted copy freed.
class TCountedSpecial : public TLiniaSpecjalna {
 public:
  TCountedSpecial() { ++Alive; }
  ~TCountedSpecial() override { --Alive; }
  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TCountedSpecial>(); }
  static inline int Alive = 0;
};

TEST_F(LayerEdit, EditWithClassFreesARefusedCopyAndListsAnAcceptedOne) {
  TFakeEditors editors;
  TLinia* line = Fill(std::make_unique<TLinia>(TRealPoint{10, 20}, TRealPoint{30, 40}));
  const TCountedSpecial prototype;
  TCountedSpecial::Alive = 0;

  // Cancelled: nothing drawn, nothing changed, the copy is gone.
  EXPECT_FALSE(line->EditWithClass(&sub, 7, canvas, kWhite, prototype));
  EXPECT_EQ(TCountedSpecial::Alive, 0);
  EXPECT_EQ(sub.At(1), line);
  EXPECT_EQ(sub.Changes(), 0);
  EXPECT_EQ(sub.Prepared, 0);

  // Accepted: the copy replaces the line at its own index (7 is not used).
  editors.OnLineStyle = [](TLineStyleEditValues& V) {
    V.Thickness = 2;
    return true;
  };
  EXPECT_TRUE(line->EditWithClass(&sub, 7, canvas, kWhite, prototype));  // frees line
  EXPECT_EQ(TCountedSpecial::Alive, 1);
  auto* special = dynamic_cast<TCountedSpecial*>(sub.At(1));
  ASSERT_NE(special, nullptr);
  EXPECT_EQ(special->P1, (TPointRec{10, 20, 0}));
  EXPECT_EQ(special->P2, (TPointRec{30, 40, 0}));
  EXPECT_EQ(special->Style.Thickness, 2);
  EXPECT_EQ(sub.Replaced, 1);

  // A class without a modal edit refuses; its copy is freed as well.
  EXPECT_FALSE(special->EditWithClass(&sub, 1, canvas, kWhite, TPunkt()));
  EXPECT_EQ(sub.At(1), special);
}

TEST_F(LayerEdit, StyleFollowingObjectsTurnSpecialWhenTheDialogIsAccepted) {
  TFakeEditors editors;
  TLineStyleEditValues shown;
  auto styles = TLineManager::CreateFromFile(folder.Put("edit.lin", defbytes::DashAndSolidStyles()));
  const TLine* solid = styles->GetLine(21);
  ASSERT_NE(solid, nullptr);
  editors.OnLineStyle = [&](TLineStyleEditValues& V) {
    shown = V;
    V.LineDef = solid;
    V.Multiplier = 2.5f;
    V.Thickness = 1;
    return true;
  };
  struct Case {
    const char* Name;
    std::unique_ptr<TEGraphObj> Obj;
    bool (*IsSpecial)(const TEGraphObj*);
  };
  Case cases[3] = {
      {"line", std::make_unique<TDefSpecLinia>(TRealPoint{10, 20}, TRealPoint{30, 40}),
       [](const TEGraphObj* O) { return dynamic_cast<const TLiniaSpecjalna*>(O) != nullptr; }},
      {"circle", std::make_unique<TDefSpecOkrag>(TPointRec{50, 50, 0}, 5),
       [](const TEGraphObj* O) { return dynamic_cast<const TOkragSpecjalny*>(O) != nullptr; }},
      {"arc", std::make_unique<TDefSpecLuk>(TPointRec{0, 0, 0}, TPointRec{0, 10, 0}, 13),
       [](const TEGraphObj* O) { return dynamic_cast<const TLukSpecjalny*>(O) != nullptr; }},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TFakeSublayer s;
    s.Add(std::make_unique<TLinia>(TRealPoint{1, 1}, TRealPoint{2, 2}), 11);
    TEGraphObj* obj = s.Add(std::move(c.Obj), 12);
    std::unique_ptr<TEGraphObj> before = obj->Clone();
    shown = TLineStyleEditValues{};
    shown.Thickness = 9;
    EXPECT_TRUE(obj->Edit(&s, -1, canvas, kWhite));  // frees obj
    // The dialog showed the default style of a converted copy.
    EXPECT_EQ(shown.LineDef, nullptr);
    EXPECT_EQ(shown.Multiplier, 0.0f);
    EXPECT_EQ(shown.Thickness, 0);
    TEGraphObj* now = s.At(1);
    ASSERT_TRUE(c.IsSpecial(now));
    EXPECT_EQ(now->GetIndex(), 12u);
    EXPECT_TRUE(now->IsChanged());
    EXPECT_TRUE(static_cast<TLiniowyObj*>(now)->GetSpecParams() != nullptr);
    const TSpecStyle& st = *static_cast<TLiniowyObj*>(now)->GetSpecParams();
    EXPECT_EQ(st.LineDef, solid);
    EXPECT_EQ(st.Multiplier, 2.5f);
    EXPECT_EQ(st.Thickness, 1);
    EXPECT_EQ(now->GetStartPoint(), before->GetStartPoint());
    EXPECT_EQ(now->GetEndPoint(), before->GetEndPoint());
    EXPECT_EQ(s.Replaced, 1);
    EXPECT_EQ(s.Prepared, 2);  // erased and drawn again
  }
}

TEST_F(LayerEdit, CancelledStyleDialogLeavesTheFollowingLineInItsPlace) {
  TFakeEditors editors;
  auto* line = Fill(std::make_unique<TDefSpecLinia>(TRealPoint{10, 20}, TRealPoint{30, 40}));
  EXPECT_FALSE(line->Edit(&sub, 1, canvas, kWhite));
  EXPECT_EQ(editors.Dialogs, 1);
  EXPECT_EQ(sub.At(1), line);
  EXPECT_FALSE(line->IsChanged());
  EXPECT_EQ(sub.Changes(), 0);
  EXPECT_EQ(sub.Prepared, 0);
}

TEST_F(LayerEdit, SpecialLineDialogErasesTheOldPictureAndRedrawsTheNewStyle) {
  TFakeEditors editors;
  auto* line = Fill(std::make_unique<TLiniaSpecjalna>(TRealPoint{50, 20}, TRealPoint{50, 120}, nullptr, 0.0));
  line->Style.Thickness = 2;
  line->Style.Multiplier = 1.5f;
  line->DrawWithLayer(sub, canvas, -1);
  canvas.FlushLines();
  ASSERT_EQ(At(50, 70), kBlue);
  ASSERT_EQ(At(51, 70), kBlue);  // thick

  TLineStyleEditValues shown;
  editors.OnLineStyle = [&](TLineStyleEditValues& V) {
    shown = V;
    V.Thickness = 1;
    return true;
  };
  EXPECT_TRUE(line->Edit(&sub, -1, canvas, kWhite));
  canvas.FlushLines();
  EXPECT_EQ(shown.Thickness, 2);
  EXPECT_EQ(shown.Multiplier, 1.5f);
  EXPECT_EQ(line->Style.Thickness, 1);
  EXPECT_EQ(line->Style.Multiplier, 1.5f);
  EXPECT_EQ(At(50, 70), kBlue);
  EXPECT_EQ(At(51, 70), kWhite);  // the thick picture is erased
  EXPECT_TRUE(line->IsChanged());
  EXPECT_EQ(sub.Updated, 1);  // a negative index refreshes the entry
  EXPECT_EQ(sub.Replaced, 0);
  EXPECT_EQ(sub.At(1), line);
}

TEST_F(LayerEdit, EditingWithoutRegisteredEditorsRaisesAndChangesNothing) {
  TLinia* line = Fill(std::make_unique<TDefSpecLinia>(TRealPoint{10, 20}, TRealPoint{30, 40}));
  TWysNapis text(TRealPoint{1, 2}, "I", 2, 7, false);
  TGrSymbol symbol(TRealPoint{1, 2}, nullptr);
  EXPECT_THROW(line->Edit(&sub, 1, canvas, kWhite), ENotImplemented);
  EXPECT_THROW(text.Edit(&sub, 1, canvas, kWhite), ENotImplemented);
  EXPECT_THROW(symbol.Edit(&sub, 1, canvas, kWhite), ENotImplemented);
  EXPECT_EQ(sub.At(1), line);
  EXPECT_EQ(sub.Changes(), 0);
}

// Every text is edited as a TWysKatOdnNapisW: a referenced text shows its
// reference; any other gets a reference point one unit along +Y, used when
// the user turns the reference on.
TEST_F(LayerEdit, TextsAreEditedThroughTheEditClass) {
  struct Case {
    const char* Name;
    std::unique_ptr<TNapis> Text;
    bool Referenced;
    TRealPoint RefPoint;
  };
  Case cases[] = {
      {"plain", std::make_unique<TNapis>(TRealPoint{40, 50}, "I"), false, {40, 51}},
      {"common base", std::make_unique<TNapisT>(TRealPoint{40, 50}, "I"), false, {40, 51}},
      {"with height", std::make_unique<TWysNapis>(TRealPoint{40, 50}, "I", 3, 5, true), false, {40, 51}},
      {"angled", std::make_unique<TWysKatNapis>(TRealPoint{40, 50}, "I", 3, 5, true, 0.5f), false, {40, 51}},
      {"referenced",
       std::make_unique<TWysKatOdnNapis>(TRealPoint{40, 50}, "I", 3, 5, true, 0.5f, TRealPoint{30, 45}), true,
       {30, 45}},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TFakeEditors editors;
    TFakeSublayer s;
    s.Add(std::make_unique<TLinia>(TRealPoint{1, 1}, TRealPoint{2, 2}), 11);
    TNapis* text = s.Add(std::move(c.Text), 12);
    TTextEditValues shown;
    bool fraction = true;
    editors.OnText = [&](bool Fraction, TTextEditValues& V) {
      fraction = Fraction;
      shown = V;
      V.Reference = true;
      return true;
    };
    EXPECT_TRUE(text->Edit(&s, 5, canvas, kWhite));  // frees text
    EXPECT_FALSE(fraction);
    EXPECT_EQ(shown.Reference, c.Referenced);
    EXPECT_EQ(shown.Text, "I");
    auto* now = dynamic_cast<TWysKatOdnNapisW*>(s.At(1));
    ASSERT_NE(now, nullptr);
    EXPECT_EQ(now->NoReference, 0);
    EXPECT_EQ(now->GetRefPoint(), c.RefPoint);
    EXPECT_EQ(now->Position, (TRealPoint{40, 50}));
    EXPECT_EQ(now->GetIndex(), 12u);
    EXPECT_TRUE(now->IsChanged());
    EXPECT_EQ(s.Replaced, 1);
  }
}

TEST_F(LayerEdit, TextDialogShowsAndTakesEveryField) {
  TFakeEditors editors;
  auto* text = Fill(std::make_unique<TWysKatOdnNapis>(TRealPoint{40, 50}, "II", 3, 5, true, 0.5f,
                                                      TRealPoint{30, 45}));
  TTextEditValues shown;
  editors.OnText = [&](bool, TTextEditValues& V) {
    shown = V;
    V.Height = 4;
    V.Angle = 1.25f;
    V.Text = "I";
    V.Justification = 9;
    V.Reference = false;
    V.Underline = false;
    return true;
  };
  EXPECT_TRUE(text->Edit(&sub, -1, canvas, kWhite));
  EXPECT_EQ(shown.Height, 3.0f);
  EXPECT_EQ(shown.Angle, 0.5f);
  EXPECT_EQ(shown.Text, "II");
  EXPECT_EQ(shown.Justification, 5);
  EXPECT_TRUE(shown.Reference);
  EXPECT_TRUE(shown.Underline);
  auto* now = dynamic_cast<TWysKatOdnNapisW*>(sub.At(1));
  ASSERT_NE(now, nullptr);
  EXPECT_EQ(now->Height, 4.0f);
  EXPECT_EQ(now->Angle, 1.25f);
  EXPECT_EQ(now->Text, "I");
  EXPECT_EQ(now->GetJustyfikacja(), 9);
  EXPECT_EQ(now->NoReference, 1);
  EXPECT_FALSE(now->IsUnderline());
  // The copy was found by its own index and replaced the text there.
  EXPECT_EQ(sub.Replaced, 1);
  EXPECT_EQ(sub.Updated, 0);
  EXPECT_EQ(sub.Prepared, 2);
}

// An accepted copy that no list takes is freed and reported as no change.
TEST_F(LayerEdit, AcceptedCopyOfAnUnlistedObjectIsFreed) {
  TFakeEditors editors;
  editors.OnText = [](bool, TTextEditValues& V) {
    V.Text = "II";
    return true;
  };
  editors.OnLineStyle = [](TLineStyleEditValues&) { return true; };
  editors.OnSymbol = [](TSymbolEditValues&) { return true; };
  TWysNapis text(TRealPoint{40, 50}, "I", 3, 5, false);
  TDefSpecOkrag circle(TPointRec{50, 50, 0}, 5);
  TGrSymbol symbol(TRealPoint{40, 50}, nullptr);
  EXPECT_FALSE(text.Edit(nullptr, 1, canvas, kWhite));
  EXPECT_FALSE(text.Edit(&sub, 1, canvas, kWhite));
  EXPECT_FALSE(circle.Edit(&sub, 1, canvas, kWhite));
  EXPECT_FALSE(symbol.Edit(nullptr, -1, canvas, kWhite));
  EXPECT_EQ(editors.Dialogs, 4);
  EXPECT_EQ(text.Text, "I");
  EXPECT_EQ(sub.Replaced, 0);
}

TEST_F(LayerEdit, CancelledTextDialogFreesTheCopyAndDrawsNothing) {
  TFakeEditors editors;
  auto* text = Fill(std::make_unique<TWysNapis>(TRealPoint{40, 50}, "I", 3, 5, false));
  EXPECT_FALSE(text->Edit(&sub, 1, canvas, kWhite));
  EXPECT_EQ(editors.Dialogs, 1);
  EXPECT_EQ(sub.At(1), text);
  EXPECT_FALSE(text->IsChanged());
  EXPECT_EQ(sub.Changes(), 0);
  EXPECT_EQ(sub.Prepared, 0);
}

TEST_F(LayerEdit, EditClassTextAndFractionAreEditedInPlace) {
  TFakeEditors editors;
  auto* fraction = Fill(std::make_unique<TLicznikMianownik>(TRealPoint{40, 50}, "125", "3", 2, 7, false, 0));
  TTextEditValues shown;
  bool asFraction = false;
  editors.OnText = [&](bool Fraction, TTextEditValues& V) {
    asFraction = Fraction;
    shown = V;
    V.Text = "12";
    V.Denominator = "4";
    V.Underline = true;
    return true;
  };
  EXPECT_TRUE(fraction->Edit(&sub, 1, canvas, kWhite));
  EXPECT_TRUE(asFraction);
  EXPECT_EQ(shown.Text, "125");
  EXPECT_EQ(shown.Denominator, "3");
  EXPECT_FALSE(shown.Reference);
  EXPECT_EQ(sub.At(1), fraction);
  EXPECT_EQ(fraction->Text, "12");
  EXPECT_EQ(fraction->Denominator, "4");
  EXPECT_TRUE(fraction->IsUnderline());
  EXPECT_TRUE(fraction->IsChanged());
  EXPECT_EQ(fraction->GetIndex(), 12u);

  TWysKatOdnNapisW loose(TRealPoint{40, 50}, "I", 2, 7, false, 0, TRealPoint{40, 50});
  loose.SetIndexUnchanged(3);
  editors.OnText = [&](bool Fraction, TTextEditValues& V) {
    asFraction = Fraction;
    V.Text = "II";
    return true;
  };
  EXPECT_TRUE(loose.Edit(nullptr, -1, canvas, kWhite));
  EXPECT_FALSE(asFraction);
  EXPECT_EQ(loose.Text, "II");
  EXPECT_TRUE(loose.IsChanged());
}

TEST_F(LayerEdit, SymbolsAreEditedThroughTheTurnedClassAndLookedUpByName) {
  UseProgramLibraries();
  TSymbol* cross = SymbolManager().GetSymbolByName("KRZ");
  ASSERT_NE(cross, nullptr);
  struct Case {
    const char* Name;
    std::string NewName;
    TSymbol* Expected;
  } cases[] = {
      {"known name", "KRZ", cross},
      {"name the library lacks", "BRAK", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TFakeEditors editors;
    TFakeSublayer s;
    s.Add(std::make_unique<TLinia>(TRealPoint{1, 1}, TRealPoint{2, 2}), 11);
    TGrSymbol* symbol = s.Add(std::make_unique<TGrSymbol>(TRealPoint{40, 50}, cross), 12);
    TSymbolEditValues shown;
    editors.OnSymbol = [&](TSymbolEditValues& V) {
      shown = V;
      V.Name = c.NewName;
      V.Height = 6;
      V.Angle = 0.75f;
      return true;
    };
    EXPECT_TRUE(symbol->Edit(&s, -1, canvas, kWhite));  // frees symbol
    EXPECT_EQ(shown.Name, "KRZ");
    EXPECT_EQ(shown.Height, 0.0f);
    auto* now = dynamic_cast<TWysKatSymbol*>(s.At(1));
    ASSERT_NE(now, nullptr);
    EXPECT_EQ(now->Text, c.NewName);
    EXPECT_EQ(now->Symbol, c.Expected);
    EXPECT_EQ(now->Height, 6.0f);
    EXPECT_EQ(now->Angle, 0.75f);
    EXPECT_EQ(now->Position, (TRealPoint{40, 50}));
    EXPECT_EQ(now->GetIndex(), 12u);
    EXPECT_TRUE(now->IsChanged());
  }
}

TEST_F(LayerEdit, CancelledSymbolDialogChangesNothing) {
  TFakeEditors editors;
  auto* symbol = Fill(std::make_unique<TWysKatSymbol>(TRealPoint{40, 50}, nullptr, 2, 0.5f));
  symbol->Text = "BRAK";
  EXPECT_FALSE(symbol->Edit(&sub, 1, canvas, kWhite));
  EXPECT_EQ(editors.Dialogs, 1);
  EXPECT_EQ(sub.At(1), symbol);
  EXPECT_EQ(sub.Changes(), 0);
  EXPECT_EQ(sub.Prepared, 0);
}

}  // namespace
