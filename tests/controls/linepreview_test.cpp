#include "controls/linepreview.h"

#include <memory>

#include <gtest/gtest.h>

#include "foundation/settings/settings.h"
#include "objects/linestylelib.h"
#include "platform/gui/forms.h"
#include "platform/gui/dialogs.h"
#include "platform/paint/gdi.h"
#include "platform/gui/responder.h"

namespace {

using namespace platform;

// Counts the repaints the control asks for.
class CountingLine : public TSpecialLine {
public:
  using TSpecialLine::TSpecialLine;
  void Invalidate() override {
    ++invalidations;
    TSpecialLine::Invalidate();
  }
  int invalidations = 0;
};

// The built-in styles without those numbered in Missing (no file read).
std::unique_ptr<TLineManager> Library(std::initializer_list<int> Missing = {}) {
  std::unique_ptr<TLineManager> lib;
  {
    // The box about the missing style file is answered here.
    platform::TScriptedResponder quiet([](const std::string&) {});
    quiet.AnswerMessageBox(platform::IDOK);
    lib = TLineManager::CreateFromFile("");
  }
  for (int n : Missing) {
    for (int i = 0; i < lib->Count(); ++i) {
      if (lib->Line(i)->Number == n) {
        lib->Delete(i);
        break;
      }
    }
  }
  return lib;
}

struct SpecialLineTest : ::testing::Test {
  void Make(std::initializer_list<int> Missing = {}) {
    lib = Library(Missing);
    form = MakeForm<TForm>();
    line = form->Create<CountingLine>(form.get(), "Linia", lib.get(), &konf);
    line->SetColor(clWhite);
  }
  // Whether any pixel of the middle rows in the column x has the colour.
  bool StrokeAt(int x, TColor colour) {
    line->PaintNow();
    for (int y = line->Height() / 2 - 1; y <= line->Height() / 2; ++y)
      if (line->PixelAt(x, y) == colour) return true;
    return false;
  }
  TKonfiguracja konf;
  std::unique_ptr<TLineManager> lib;
  std::unique_ptr<TForm> form;
  CountingLine* line = nullptr;
};

TEST_F(SpecialLineTest, FreshControlIs50By10OverA10By10World) {
  Make();
  EXPECT_EQ(line->Width(), 50);
  EXPECT_EQ(line->Height(), 10);
  EXPECT_DOUBLE_EQ(line->RealWidth(), 10.0);
  EXPECT_DOUBLE_EQ(line->RealHeight(), 10.0);
  EXPECT_FALSE(line->TabStop());
}

TEST_F(SpecialLineTest, WidthBelow4Becomes4AndEqualValuesDoNotRepaint) {
  Make();
  line->SetRealWidth(1.5);
  EXPECT_DOUBLE_EQ(line->RealWidth(), 4.0);
  const int before = line->invalidations;
  line->SetRealWidth(4.0);
  line->SetRealHeight(10.0);
  line->SetKolor(line->Kolor());
  line->SetLineWidth(line->LineWidth());
  line->SetNumer(line->Numer());
  EXPECT_EQ(line->invalidations, before);
  line->SetRealHeight(0.0);
  EXPECT_DOUBLE_EQ(line->RealHeight(), 0.0);
  EXPECT_GT(line->invalidations, before);
}

TEST_F(SpecialLineTest, UnknownNumberIsAPlainStrokeNamedByTheNumber) {
  Make({7});
  line->SetKolor(clRed);
  line->SetNumer(7);
  EXPECT_EQ(line->LineDef(), nullptr);
  EXPECT_EQ(line->Nazwa(), "7");
  // 256 has the low byte 0: a solid plain stroke from 2 to 8 world units.
  line->SetNumer(256);
  EXPECT_EQ(line->Nazwa(), "256");
  for (int x = 12; x <= 38; x += 2) EXPECT_TRUE(StrokeAt(x, clRed)) << x;
  EXPECT_FALSE(StrokeAt(4, clRed));
  EXPECT_FALSE(StrokeAt(46, clRed));
  EXPECT_EQ(line->PixelAt(25, 1), clWhite);
}

TEST_F(SpecialLineTest, StyleIsDrawnInTheColourAndNamed) {
  Make();
  line->SetKolor(clBlue);
  line->SetNumer(1);
  ASSERT_NE(line->LineDef(), nullptr);
  EXPECT_EQ(line->Nazwa(), lib->GetLine(1)->Name);
  EXPECT_TRUE(StrokeAt(25, clBlue));
}

TEST_F(SpecialLineTest, UnknownNameBindsStyle1AndTheOwnNameDoesNothing) {
  Make();
  line->SetNumer(3);
  line->SetNazwa("NIEMA");
  EXPECT_EQ(line->Numer(), 1);
  EXPECT_EQ(line->LineDef(), lib->GetLine(1));
  const int before = line->invalidations;
  line->SetNazwa(lib->GetLine(1)->Name);
  EXPECT_EQ(line->invalidations, before);
}

// With neither the name nor style 1 in the library the control keeps its
// number and goes on drawing it, instead of binding nothing.
TEST_F(SpecialLineTest, UnknownNameWithoutStyle1LeftNoStyleToDraw) {
  Make({1});
  line->SetKolor(clRed);
  line->SetNumer(256);
  line->SetNazwa("NIEMA");
  EXPECT_EQ(line->Numer(), 256);
  EXPECT_EQ(line->Nazwa(), "256");
  EXPECT_TRUE(StrokeAt(25, clRed));
}

}  // namespace
