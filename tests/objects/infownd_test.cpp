// The object information window: label and value cells, their appearance,
// rows appended on demand, and the rows the layer objects write.
#include "objects/infownd.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "layer_fixture.h"
#include "objects/layerline.h"
#include "objects/fraction.h"
#include "objects/point.h"
#include "objects/styledlines.h"
#include "objects/symbol.h"
#include "objects/texts.h"

namespace {

class InfoWindow : public LayerObjectsFixture {
 protected:
  std::unique_ptr<TGrObjInfo> w = platform::MakeForm<TGrObjInfo>();
  std::string Row(int I) { return w->Info().Line(I); }
};

TEST_F(InfoWindow, CellsAsTheCommandAndTheObjectsWriteThem) {
  struct Op {
    bool Label;
    int Row, Col;
    const char* Text;
  };
  const struct {
    const char* Name;
    std::vector<Op> Ops;
    int Row;
    const char* Want;
  } cases[] = {
      {"value at column 2 of an empty window", {{false, 0, 2, "Linia"}}, 0, "\tLinia"},
      {"created row",
       {{true, 4, 0, "Utworzył"}, {true, 4, 2, "data"}, {false, 4, 1, "jan"}, {false, 4, 2, "2026-12-10"}},
       4,
       "Utworzył:\tjan\tdata:\t2026-12-10"},
      {"archived row keeps the rest",
       {{true, 5, 0, "Modyfikował"}, {false, 5, 1, "jan"}, {true, 5, 2, "data"}, {false, 5, 2, "d"},
        {true, 5, 1, "Usunął"}},
       5,
       "Usunął:\tjan\tdata:\td"},
      {"value beyond the last column is appended", {{true, 1, 0, "A"}, {false, 1, 1, "x"}, {false, 1, 3, "z"}},
       1,
       "A:\txz"},
      {"value replaces the old value only",
       {{true, 2, 0, "X"}, {false, 2, 1, "1"}, {true, 2, 2, "Y"}, {false, 2, 2, "2"}, {false, 2, 1, "100"}},
       2,
       "X:\t100\tY:\t2"},
      {"label at column 3 of an empty row", {{true, 3, 3, "Z"}}, 3, "\t\tZ:\t"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    w = platform::MakeForm<TGrObjInfo>();
    for (const Op& o : c.Ops) {
      if (o.Label)
        w->SetLabel(o.Row, o.Col, o.Text);
      else
        w->SetValue(o.Row, o.Col, o.Text);
    }
    EXPECT_EQ(Row(c.Row), c.Want);
  }
}

TEST_F(InfoWindow, RowsAreAppendedOnDemandAndCellsGetTheirAppearance) {
  w->SetLabel(10, 0, "Promień");
  EXPECT_EQ(w->Info().LineCount(), 11);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(Row(i), "");
  w->SetValue(10, 1, "12.5");
  EXPECT_EQ(Row(10), "Promień:\t12.5");
  // "Promień:" blue and regular, the value black and bold.
  for (int pos : {0, 6, 7}) {
    EXPECT_EQ(w->Info().ColorInLine(10, pos), TGrObjInfo::kLabelColour) << pos;
    EXPECT_FALSE(w->Info().BoldInLine(10, pos)) << pos;
  }
  for (int pos : {9, 12}) {
    EXPECT_EQ(w->Info().ColorInLine(10, pos), TGrObjInfo::kValueColour) << pos;
    EXPECT_TRUE(w->Info().BoldInLine(10, pos)) << pos;
  }
  EXPECT_EQ(w->Info().TabStopsPoints(), (std::vector<double>{52, 110, 170}));
  // Every row carries the stops, the appended ones too.
  for (int row : {0, 5, 10}) {
    const std::vector<double> stops = w->Info().TabStopsPointsInLine(row);
    ASSERT_EQ(stops.size(), 3u) << row;
    EXPECT_NEAR(stops[0], 52, 0.01);
    EXPECT_NEAR(stops[1], 110, 0.01);
    EXPECT_NEAR(stops[2], 170, 0.01);
  }
}

TEST_F(InfoWindow, ShowingPutsTheCaretAtTheStart) {
  w->SetLabel(3, 0, "Tekst");
  w->SetValue(3, 1, "abc");
  w->Info().ReplaceInLine(0, 0, 0, "x");
  w->Show();
  EXPECT_EQ(w->Info().CaretPosition(), 0);
  w->SetVisible(false);
}

TEST_F(InfoWindow, WindowIsADialogWithAnOkButton) {
  EXPECT_EQ(w->Caption(), "Informacja");
  EXPECT_FALSE(w->Info().WordWrap());
  EXPECT_FALSE(w->Info().TabStop());
  EXPECT_TRUE(w->Ok().Default());
  // Enter and Esc both close it with OK.
  EXPECT_TRUE(w->DialogKey(platform::VK_ESCAPE));
  EXPECT_EQ(w->ModalResult(), platform::mrOk);
  w->SetModalResult(platform::mrNone);
  EXPECT_TRUE(w->DialogKey(platform::VK_RETURN));
  EXPECT_EQ(w->ModalResult(), platform::mrOk);
  EXPECT_FALSE(w->Resizable());
}

TEST_F(InfoWindow, ObjectsFillTheirRows) {
  TDefSpecLinia line(TRealPoint{1, 2}, TRealPoint{3, 4});
  line.FillInfo(*w);
  EXPECT_EQ(Row(0), "\tLinia");
  EXPECT_EQ(Row(5), "Modyfikował:\t");
  EXPECT_EQ(Row(8), "Współrzędne punktów końcowych linii:\t");
  EXPECT_EQ(Row(9), "P1 X:\t1.000\tY:\t2.000\tZ:\t0.000");

  w = platform::MakeForm<TGrObjInfo>();
  TWysKatNapis text(TRealPoint{1, 2}, "I", 0, 7, true, 0.0f);
  text.FillInfo(*w);
  EXPECT_EQ(Row(0), "\tTekst");
  EXPECT_EQ(Row(10), "Wysokość:\tDomyślna\tKąt:\t0.00rad");
  EXPECT_EQ(Row(11), "Justyfikacja:\tlewa,górna\tStyl:\tPodkreślenie");

  w = platform::MakeForm<TGrObjInfo>();
  TPunkt p(TRealPoint{1, 2});
  p.FillInfo(*w);
  EXPECT_EQ(Row(9), "X:\t1.000\tY:\t2.000\tZ:\t0.000");
}

TEST_F(InfoWindow, RowsOfTheOtherClassesThroughTheCells) {
  const auto rows = [&](const TEGraphObj& Obj) {
    w = platform::MakeForm<TGrObjInfo>();
    Obj.FillInfo(*w);
  };
  TOkragSpecjalny circle(TPointRec{1, 2, 3}, 4);
  circle.Style.InitStyle(nullptr, 0.1234, 2);
  rows(circle);
  EXPECT_EQ(Row(0), "\tOkrąg");
  EXPECT_EQ(Row(9), "X:\t1.000\tY:\t2.000\tZ:\t3.000");
  EXPECT_EQ(Row(10), "Promień:\t4.000");
  EXPECT_EQ(Row(11), "Typ linii:\tDomyślny");
  EXPECT_EQ(Row(12), "Grubość:\tGruba\tMnożnik:\t0.123");

  rows(TLuk(TPointRec{0, 0, 0}, TPointRec{0, 10, 0}, -13));
  EXPECT_EQ(Row(0), "\tŁuk");
  EXPECT_EQ(Row(10), "P2 X:\t0.000\tY:\t10.000\tZ:\t0.000");
  EXPECT_EQ(Row(11), "Współrzędne środka łuku:\t");
  EXPECT_EQ(Row(13), "Promień:\t13.000");

  rows(TWysKatOdnNapis(TRealPoint{1, 2}, "I", 2.5, 5, false, 0.0f, TRealPoint{4, 5}));
  EXPECT_EQ(Row(8), "Tekst:\tI");
  EXPECT_EQ(Row(10), "Wysokość:\t2.5\tKąt:\t0.00rad");
  EXPECT_EQ(Row(11), "Justyfikacja:\tśrodkowa,środkowa\tStyl:\t---");
  EXPECT_EQ(Row(12), "Współrzędne odnośnika:\t");
  EXPECT_EQ(Row(13), "X:\t4.000\tY:\t5.000");

  rows(TLicznikMianownik(TRealPoint{1, 2}, "125", "3", 0, 7, false, 0.0f));
  EXPECT_EQ(Row(0), "\tUłamek");
  EXPECT_EQ(Row(8), "Licznik:\t125\tMianownik:\t3");
  EXPECT_EQ(Row(12), "");

  TWysKatSymbol symbol;
  symbol.Position = TRealPoint{7, 8};
  symbol.Text = "KAMIEN";
  symbol.Height = 1.5f;
  rows(symbol);
  EXPECT_EQ(Row(0), "\tSymbol");
  EXPECT_EQ(Row(8), "Nazwa:\tKAMIEN");
  EXPECT_EQ(Row(9), "X:\t7.000\tY:\t8.000");
  EXPECT_EQ(Row(10), "Wysokość:\t1.5\tKąt:\t0.00rad");
  EXPECT_EQ(w->Info().LineCount(), 11);
}

}  // namespace
