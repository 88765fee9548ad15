// The conversion window and its worker, driven by the scripted responder:
// the run goes on a worker thread behind the progress window while the test
// serves the GUI thread.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "layers/store/layer_fixture.h"
#include "layers/dialogs/convdlg.h"
#include "layers/store/dberrors.h"
#include "platform/gui/application.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/keys.h"
#include "platform/gui/responder.h"
#include "tools/oldlayer.h"

namespace {

using namespace platform;
using namespace std::chrono_literals;

template <class Pred>
bool PumpUntil(Pred done, std::chrono::milliseconds limit = 10000ms) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    Application().ProcessMessages();
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

void PumpFor(std::chrono::milliseconds time) {
  const auto end = std::chrono::steady_clock::now() + time;
  while (std::chrono::steady_clock::now() < end) {
    Application().ProcessMessages();
    std::this_thread::sleep_for(2ms);
  }
}

class ConvDialogTest : public LayerTest {
protected:
  void SetUp() override {
    LayerTest::SetUp();
    EnsureApplication();
    std::filesystem::create_directories(PathOf("src"));
    std::filesystem::create_directories(PathOf("out"));
    dlg_ = MakeForm<TConvDialog>();
  }
  void TearDown() override {
    dlg_.reset();
    PumpFor(50ms);  // the finished worker frees itself on the GUI thread
  }
  std::string Src(const std::string& name) const { return PathOf("src") + "/" + name; }
  std::string Out(const std::string& name) const { return PathOf("out") + "/" + name; }
  void OldLine(const std::string& name, int records) {
    oldlayer::Builder b(true);
    oldlayer::Header h;
    h.kind = 1;
    b.SetSlot(0, h);
    for (int i = 0; i < records; ++i) {
      oldlayer::LineRecord r;
      r.x1 = i;
      r.x2 = i + 1;
      b.Add(r);
    }
    ASSERT_TRUE(b.Write(Src(name)));
  }
  // Answers the progress window: serves the GUI thread until the worker
  // ends it, then checks the caption and the last progress text.
  void AnswerProgress(std::string lastText) {
    responder_.AnswerForm(
        [lastText](TForm& form) {
          EXPECT_TRUE(PumpUntil([&] { return form.ModalResult() != mrNone; }));
          EXPECT_EQ(form.Get<TLabel>("Text").Caption(), lastText);
        },
        "Konwersja");
  }
  void Run(const std::vector<std::string>& files) {
    for (const std::string& f : files) dlg_->FileList->Items().Add(f);
    dlg_->OutDir->SetText(PathOf("out") + "/");
    dlg_->BitBtn4->Click();
  }

  TScriptedResponder responder_{[](const std::string& m) { ADD_FAILURE() << m; }};
  std::unique_ptr<TConvDialog> dlg_;
};

TEST_F(ConvDialogTest, WindowTextsDialogsAndKeys) {
  EXPECT_EQ(dlg_->Caption(), "Konwersja");
  EXPECT_EQ(dlg_->Label1->Caption(), "&Wybrane pliki");
  EXPECT_EQ(dlg_->Label1->FocusControl(), dlg_->FileList);
  EXPECT_EQ(dlg_->Label2->FocusControl(), dlg_->OutDir);
  EXPECT_TRUE(dlg_->FileList->MultiSelect());
  EXPECT_EQ(dlg_->OpenDialog->Filter(), "Warstwy tekstowe|*.??t|Warstwy liniowe|*.??l|Warstwy|*.??t;*.??l");
  EXPECT_EQ(dlg_->OpenDialog->FilterIndex(), 3);
  EXPECT_NE(dlg_->OpenDialog->Options() & ofAllowMultiSelect, 0u);
  EXPECT_TRUE(dlg_->BitBtn4->Default());
  EXPECT_EQ(dlg_->ActiveControl(), dlg_->FileList);
  // Escape closes the window.
  responder_.AnswerForm([&](TForm&) { dlg_->FileList->SendKey(VK_ESCAPE); });
  EXPECT_EQ(dlg_->ShowModal(), mrCancel);
}

TEST_F(ConvDialogTest, AddRemoveAndBrowse) {
  responder_.AnswerDialog([](TCommonDialog& d) {
    static_cast<TOpenDialog&>(d).SetFiles({"/a/A.--l", "/a/B.--t", "/a/C.--l", "/a/D.--t"});
    return true;
  });
  dlg_->BitBtn1->Click();
  ASSERT_EQ(dlg_->FileList->Items().Count(), 4);
  dlg_->FileList->SetItemIndex(1);
  dlg_->FileList->SetSelected(1, true);
  dlg_->FileList->SetSelected(2, true);
  dlg_->BitBtn2->Click();
  EXPECT_EQ(dlg_->FileList->Items().ToVector(), (std::vector<std::string>{"/a/A.--l", "/a/D.--t"}));
  EXPECT_EQ(dlg_->FileList->ItemIndex(), 1);  // the old current index, now D
  responder_.AnswerCancel();
  dlg_->BitBtn1->Click();
  EXPECT_EQ(dlg_->FileList->Items().Count(), 2);
  responder_.AnswerFileName("/dane/nowe");
  dlg_->BitBtn3->Click();
  EXPECT_EQ(dlg_->OutDir->Text(), "/dane/nowe/");
}

// A target name taken gets "x_"; a file that is no old layer file is
// skipped and the next one converted; the skipped files are listed at the
// end; the list is empty afterwards.
TEST_F(ConvDialogTest, RunOnTheWorkerSkipsAndReports) {
  OldLine("A.--l", 3);
  std::ofstream(Src("B.--l")) << std::string(6000, 'x');
  OldLine("C.--l", 4097);
  std::ofstream(Out("A.--l")) << "tu byl plik";
  AnswerProgress("Konwertuję " + Src("C.--l") + " na " + Out("C.--l"));
  responder_.AnswerMessageBox(IDOK);
  Run({Src("A.--l"), Src("B.--l"), Src("C.--l")});
  EXPECT_EQ(dlg_->FileList->Items().Count(), 0);
  EXPECT_EQ(ReadBytes(Out("A.--l")).size(), 11u);  // untouched
  EXPECT_TRUE(std::filesystem::exists(Out("x_A.--l")));
  EXPECT_FALSE(std::filesystem::exists(Out("B.--l")));
  EXPECT_TRUE(std::filesystem::exists(Out("C.--l")));
  ASSERT_EQ(responder_.Shown().size(), 2u);
  EXPECT_EQ(responder_.Shown()[0].kind, TModalKind::Form);
  EXPECT_EQ(responder_.Shown()[1].text, "Pominięte pliki:\n" + Src("B.--l") + " - Błędny format warstwy");
  // The converted file is a line layer of the current format.
  TNewLinWarstwaFile f(&base_, PathOf("out"), "C.--l");
  std::uint8_t mode = kOpenRead;
  ASSERT_EQ(f.Open(mode), kDBOk);
  TMainWarstwaHeader m;
  f.ReadWarstwaHeader(m);
  EXPECT_EQ(m.Kind, 1u);
  f.Close();
}

// A file that ends inside a record used to be skipped whole as no layer
// file: its whole records are converted and the report names the file and
// the torn record; the next file is converted as well.
TEST_F(ConvDialogTest, TornLastRecordIsConvertedAndReported) {
  OldLine("A.--l", 3);
  {
    std::ofstream tail(Src("A.--l"), std::ios::binary | std::ios::app);
    tail << std::string(10, '\x01');
  }
  OldLine("C.--l", 2);
  AnswerProgress("Konwertuję " + Src("C.--l") + " na " + Out("C.--l"));
  responder_.AnswerMessageBox(IDOK);
  Run({Src("A.--l"), Src("C.--l")});
  ASSERT_EQ(responder_.Shown().size(), 2u);
  EXPECT_EQ(responder_.Shown()[1].text,
            "Pliki kończące się niepełnym rekordem (przekształcone do ostatniego pełnego):\n" +
                Src("A.--l") + " - rekord 4 niepełny");
  EXPECT_TRUE(std::filesystem::exists(Out("C.--l")));
  TNewLinWarstwaFile f(&base_, PathOf("out"), "A.--l");
  std::uint8_t mode = kOpenRead;
  ASSERT_EQ(f.Open(mode), kDBOk);
  ObjectSaveRecord rec;
  int live = 0;
  for (int rc = f.ReadCurrent(rec); rc == kDBOk; rc = f.ReadRecord(rec)) ++live;
  EXPECT_EQ(live, 3);
  f.Close();
}

// Both the name and "x_" and the name exist: nothing is overwritten, the
// file is reported.
TEST_F(ConvDialogTest, ExistingXTargetIsNeverOverwritten) {
  OldLine("A.--l", 1);
  std::ofstream(Out("A.--l")) << "pierwszy";
  std::ofstream(Out("x_A.--l")) << "drugi";
  AnswerProgress("");
  responder_.AnswerMessageBox(IDOK);
  Run({Src("A.--l")});
  EXPECT_EQ(ReadBytes(Out("x_A.--l")).size(), 5u);
  ASSERT_EQ(responder_.Shown().size(), 2u);
  EXPECT_EQ(responder_.Shown()[1].text,
            "Pominięte pliki:\n" + Src("A.--l") + " - plik " + Out("x_A.--l") + " już istnieje");
}

// A missing source ends the run with its message; the files after it are
// not converted.
TEST_F(ConvDialogTest, MissingSourceEndsTheRun) {
  OldLine("C.--l", 1);
  AnswerProgress("Konwertuję " + Src("BRAK.--l") + " na " + Out("BRAK.--l"));
  responder_.AnswerMessageBox(IDOK);
  Run({Src("BRAK.--l"), Src("C.--l")});
  ASSERT_EQ(responder_.Shown().size(), 2u);
  EXPECT_EQ(responder_.Shown()[1].text, "Brak pliku:" + Src("BRAK.--l"));
  EXPECT_FALSE(std::filesystem::exists(Out("C.--l")));
  EXPECT_EQ(dlg_->FileList->Items().Count(), 0);
}

TEST(ConvThreadReport, ListsSkippedFilesAndCutTexts) {
  EXPECT_EQ(TConvThread::Report({}, {}), "");
  EXPECT_EQ(TConvThread::Report({"a - x"}, {"b - 2"}),
            "Pominięte pliki:\na - x\n\nSkrócone teksty (z punktem odniesienia do 18 znaków, nazwy "
            "symboli do 25):\nb - 2");
  EXPECT_EQ(TConvThread::Report({}, {}, {"c - rekord 9 niepełny"}),
            "Pliki kończące się niepełnym rekordem (przekształcone do ostatniego pełnego):\nc - "
            "rekord 9 niepełny");
}

}  // namespace
