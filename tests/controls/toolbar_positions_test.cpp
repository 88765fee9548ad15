#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../common/scratch_folder.h"
#include "controls/toolbarpos.h"
#include "platform/files/faultinject.h"
#include "platform/files/inifile.h"
#include "toolbar_fixture.h"

namespace {

using platform::TGdiRect;

class ToolbarPositions : public ToolbarForm {
 protected:
  void MakeFourDocks() {
    top = MakeDock("DockTop", TDockPosition::dpTop);
    bottom = MakeDock("DockBottom", TDockPosition::dpBottom);
    left = MakeDock("DockLeft", TDockPosition::dpLeft);
    right = MakeDock("DockRight", TDockPosition::dpRight);
  }
  std::vector<std::string> Lines(const std::string& file, const std::string& section) {
    platform::TIniFile ini(file);
    return ini.ReadSectionValues(section);
  }
  ScratchFolder folder;
  TDock* top = nullptr;
  TDock* bottom = nullptr;
  TDock* left = nullptr;
  TDock* right = nullptr;
};

TEST_F(ToolbarPositions, SaveWritesTheKeysInOrderAndLoadRestoresThePlaces) {
  MakeFourDocks();
  TToolbar* a = MakeBar("Standard", top, "xx", 0, 0);
  TToolbar* b = MakeBar("Edycja", top, "xx", 1, 30);
  TToolbar* c = MakeBar("Warstwy", bottom, "x|x", 0, 0);
  TToolbar* d = MakeBar("Narzedzia", left, "xxx", 0, 5);
  TToolbar* e = MakeBar("Widok", right, "x", 0, 0);
  TToolbar* f = MakeBar("Pomiar", nullptr, "xx|xx");
  f->SetFloatRightX(4 + 2 * 23 + 4);
  f->ArrangeControls();
  TGdiRect window = f->GetTrueBoundsRect();
  f->SetTrueBounds(120, 140, window.Width(), window.Height());
  e->SetVisible(false);
  std::string file = folder / "tolvika.ini";
  SaveToolbarPositionsToIni(*form, file);

  EXPECT_EQ(Lines(file, "Edycja"),
            (std::vector<std::string>{"Visible=1", "DockedTo=DockTop", "DockRow=1", "DockPos=30",
                                      "FloatLeft=0", "FloatTop=0", "FloatRight=0",
                                      "FloatBottom=0", "FloatRightX=0"}));
  EXPECT_EQ(Lines(file, "Widok")[0], "Visible=0");
  EXPECT_EQ(Lines(file, "Widok")[1], "DockedTo=DockRight");
  int b3 = platform::TToolWindow::FrameBorder();
  int cap = platform::TToolWindow::CaptionHeight();
  EXPECT_EQ(Lines(file, "Pomiar"),
            (std::vector<std::string>{
                "Visible=1", "DockedTo=nil", "DockRow=0", "DockPos=0",
                "FloatLeft=" + std::to_string(120 + b3), "FloatTop=140",
                "FloatRight=" + std::to_string(120 + window.Width() - b3),
                "FloatBottom=" + std::to_string(140 + window.Height() - 2 * b3 - cap),
                "FloatRightX=54"}));

  // Everything moved elsewhere, then loaded back.
  a->SetDockedTo(bottom);
  b->SetDockedTo(nullptr);
  c->SetDockedTo(left);
  d->SetDockedTo(top);
  e->SetVisible(true);
  f->SetFloatRightX(0);
  f->SetDockedTo(right);
  LoadToolbarPositionsFromIni(*form, file);
  EXPECT_EQ(a->DockedTo(), top);
  EXPECT_EQ(b->DockedTo(), top);
  EXPECT_EQ(b->DockRow(), 1);
  EXPECT_EQ(b->DockPos(), 30);
  EXPECT_EQ(c->DockedTo(), bottom);
  EXPECT_EQ(d->DockedTo(), left);
  EXPECT_EQ(d->DockPos(), 5);
  EXPECT_EQ(e->DockedTo(), right);
  EXPECT_FALSE(e->Visible());
  EXPECT_EQ(f->DockedTo(), nullptr);
  EXPECT_EQ(f->FloatRightX(), 54);
  EXPECT_EQ(f->GetTrueBoundsRect(), (TGdiRect{120, 140, 120 + window.Width(), 140 + window.Height()}));
  // Saving again gives the same file.
  std::string again = folder / "again.ini";
  SaveToolbarPositionsToIni(*form, again);
  for (const char* s : {"Standard", "Edycja", "Warstwy", "Narzedzia", "Widok", "Pomiar"}) {
    EXPECT_EQ(Lines(file, s), Lines(again, s)) << s;
  }
}

TEST_F(ToolbarPositions, MissingSectionsUnknownDocksAndDamagedValuesAreIgnored) {
  MakeFourDocks();
  TDock* locked = MakeDock("DockLocked", TDockPosition::dpTop);
  locked->SetAllowDrag(false);
  TToolbar* a = MakeBar("A", top, "xx", 0, 0);
  TToolbar* b = MakeBar("B", top, "xx", 0, 100);
  TToolbar* c = MakeBar("C", top, "xx", 0, 200);
  TToolbar* d = MakeBar("D", bottom, "xx", 0, 0);
  TToolbar* e = MakeBar("E", bottom, "xx", 0, 100);
  MakeBar("F", bottom, "xx", 0, 200);
  std::string file = folder.Put("tolvika.ini",
                                "[A]\r\nVisible=0\r\n"
                                "[B]\r\nVisible=1\r\nDockedTo=DockNieMa\r\nDockRow=3\r\n"
                                "[C]\r\nDockedTo=DockLocked\r\nDockRow=2\r\n"
                                "[D]\r\nDockedTo=DockBottom\r\nDockRow=abc\r\nDockPos=99999999999\r\n"
                                "[E]\r\nDockedTo=DockBottom\r\nDockRow=-2147483648\r\nDockPos=-5\r\n");
  LoadToolbarPositionsFromIni(*form, file);
  EXPECT_FALSE(a->Visible());
  EXPECT_EQ(a->DockedTo(), top);
  EXPECT_EQ(b->DockedTo(), top);
  EXPECT_EQ(b->DockPos(), 100);  // a gap left by A stays
  EXPECT_EQ(c->DockedTo(), top);
  EXPECT_EQ(c->DockRow(), 0);
  // Not a number: the current value; a position beyond 32 bits likewise.
  EXPECT_EQ(d->DockedTo(), bottom);
  EXPECT_EQ(d->DockRow(), 0);
  EXPECT_EQ(e->DockRow(), 0);
  EXPECT_GE(e->DockPos(), 0);
  EXPECT_EQ(bottom->Height(), 26);
}

TEST_F(ToolbarPositions, RowsZeroAndFourComeBackAsZeroAndOne) {
  MakeFourDocks();
  TToolbar* a = MakeBar("A", top, "x");
  TToolbar* b = MakeBar("B", top, "x");
  std::string file = folder.Put("tolvika.ini",
                                "[A]\nDockedTo=DockTop\nDockRow=0\nDockPos=0\n"
                                "[B]\nDockedTo=DockTop\nDockRow=4\nDockPos=0\n");
  LoadToolbarPositionsFromIni(*form, file);
  EXPECT_EQ(a->DockRow(), 0);
  EXPECT_EQ(b->DockRow(), 1);
  EXPECT_EQ(top->Height(), 52);
}

TEST_F(ToolbarPositions, NilWithZeroRectangleFloatsAtTheWorkAreaCorner) {
  MakeFourDocks();
  TToolbar* a = MakeBar("A", top, "xx");
  std::string file = folder.Put("tolvika.ini",
                                "[A]\nDockedTo=nil\nFloatLeft=0\nFloatTop=0\nFloatRight=0\n"
                                "FloatBottom=0\nFloatRightX=0\n");
  LoadToolbarPositionsFromIni(*form, file);
  EXPECT_EQ(a->DockedTo(), nullptr);
  TGdiRect area = platform::ScreenWorkArea();
  TGdiRect r = a->GetTrueBoundsRect();
  EXPECT_EQ(r.Left, area.Left);
  EXPECT_EQ(r.Top, area.Top);
  EXPECT_EQ(a->ClientWidth(), 4 + 46 + 4);
}

// Section names are written in code page 1250; a save the disk refuses
// raises and leaves the file as it was.
TEST_F(ToolbarPositions, PolishNamesInCodePage1250AndAFailedSaveChangesNothing) {
  MakeFourDocks();
  TToolbar* a = MakeBar("Narzędzia", top, "xx", 0, 0);
  std::string file = folder / "tolvika.ini";
  SaveToolbarPositionsToIni(*form, file);
  std::string before = ScratchFolder::Get(file);
  EXPECT_NE(before.find("[Narz\xEA" "dzia]"), std::string::npos);
  EXPECT_EQ(Lines(file, "Narzędzia")[1], "DockedTo=DockTop");
  a->SetDockedTo(bottom);
  {
    platform::FaultScope fault({platform::FaultOp::Write, 1, true, {}});
    EXPECT_THROW(SaveToolbarPositionsToIni(*form, file), platform::EIniFileError);
  }
  EXPECT_EQ(ScratchFolder::Get(file), before);
  // Loading the old file puts the toolbar back.
  LoadToolbarPositionsFromIni(*form, file);
  EXPECT_EQ(a->DockedTo(), top);
}

// While the application is inactive a float window is hidden, never moved:
// the saved place is the real one.
TEST_F(ToolbarPositions, FloatingToolbarSavedWhileInactiveKeepsItsPlace) {
  MakeFourDocks();
  TToolbar* f = MakeBar("Pomiar", nullptr, "xx");
  TGdiRect window = f->GetTrueBoundsRect();
  f->SetTrueBounds(150, 160, window.Width(), window.Height());
  platform::TActivationWatch::Simulate(false);
  EXPECT_FALSE(f->FloatWindow()->Visible());
  std::string file = folder / "tolvika.ini";
  SaveToolbarPositionsToIni(*form, file);
  int b = platform::TToolWindow::FrameBorder();
  EXPECT_EQ(Lines(file, "Pomiar")[4], "FloatLeft=" + std::to_string(150 + b));
  EXPECT_EQ(Lines(file, "Pomiar")[5], "FloatTop=160");
}

TEST_F(ToolbarPositions, UnnamedToolbarOrDockIsRefused) {
  TDock* unnamed = MakeDock("", TDockPosition::dpTop);
  MakeBar("A", unnamed, "x");
  std::vector<std::string> written;
  auto writeInt = [&](std::string_view s, std::string_view k, std::int32_t) {
    written.push_back(std::string(s) + "." + std::string(k));
  };
  auto writeString = [&](std::string_view s, std::string_view k, std::string_view) {
    written.push_back(std::string(s) + "." + std::string(k));
  };
  try {
    CustomSaveToolbarPositions(*form, writeInt, writeString);
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "DockTo's Name property not set");
  }
  EXPECT_TRUE(written.empty());
}

}  // namespace
