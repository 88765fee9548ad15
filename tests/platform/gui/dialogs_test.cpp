#include "platform/gui/dialogs.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gui/application.h"
#include "platform/gui/responder.h"

namespace {

using namespace platform;

void Fail(const std::string& failure) { ADD_FAILURE() << failure; }

TEST(DialogsTest, MessageBoxTakesTheAnswerAndIsRecorded) {
  TScriptedResponder responder(Fail);
  responder.AnswerMessageBox(IDNO);
  EXPECT_EQ(MessageBox("Zapisać zmiany?", "Pytanie", MB_YESNOCANCEL | MB_ICONQUESTION), IDNO);
  ASSERT_EQ(responder.Shown().size(), 1u);
  const TShownModal& shown = responder.Shown()[0];
  EXPECT_EQ(shown.kind, TModalKind::MessageBox);
  EXPECT_EQ(shown.caption, "Pytanie");
  EXPECT_EQ(shown.text, "Zapisać zmiany?");
  EXPECT_EQ(shown.flags, MB_YESNOCANCEL | MB_ICONQUESTION);
}

TEST(DialogsTest, CancellingAMessageBoxGivesWhatItsCloseBoxGives) {
  TScriptedResponder responder(Fail);
  struct Case {
    unsigned flags;
    int closed;
  } cases[] = {{MB_OK, IDOK},          {MB_OKCANCEL, IDCANCEL}, {MB_YESNO, IDNO},
               {MB_YESNOCANCEL, IDCANCEL}, {MB_RETRYCANCEL, IDCANCEL}, {MB_ABORTRETRYIGNORE, IDABORT}};
  for (const auto& c : cases) {
    responder.AnswerCancel();
    EXPECT_EQ(MessageBox("t", "c", c.flags), c.closed) << c.flags;
  }
}

TEST(DialogsTest, AnAnswerTheBoxDoesNotOfferIsReported) {
  std::vector<std::string> failures;
  TScriptedResponder responder([&](const std::string& f) { failures.push_back(f); });
  responder.AnswerMessageBox(IDYES);
  EXPECT_EQ(MessageBox("Problem podczas zapisu", "Informacja", MB_OK), IDOK);
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("Informacja"), std::string::npos);
}

TEST(DialogsTest, MessageDlgCaptionsAndResults) {
  TScriptedResponder responder(Fail);
  responder.AnswerMessageBox(IDYES);
  responder.AnswerMessageBox(IDOK);
  responder.AnswerMessageBox(IDCANCEL);
  responder.AnswerMessageBox(IDOK);
  EXPECT_EQ(MessageDlg("Usunąć?", TMsgDlgType::Confirmation, mbYes | mbNo), mrYes);
  EXPECT_EQ(MessageDlg("Uwaga", TMsgDlgType::Warning, mbOK), mrOk);
  EXPECT_EQ(MessageDlg("Dalej?", TMsgDlgType::Information, mbOKCancel), mrCancel);
  Application().SetTitle("Tolvika");
  ShowMessage("Koniec");
  ASSERT_EQ(responder.Shown().size(), 4u);
  EXPECT_EQ(responder.Shown()[0].caption, "Potwierdzenie");
  EXPECT_EQ(responder.Shown()[0].flags, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(responder.Shown()[1].caption, "Ostrzeżenie");
  EXPECT_EQ(responder.Shown()[2].flags, MB_OKCANCEL | MB_ICONINFORMATION);
  EXPECT_EQ(responder.Shown()[3].caption, "Tolvika");
}

TEST(DialogsTest, ExceptionBoxShowsTheTextUnderTheProgramTitle) {
  TScriptedResponder responder(Fail);
  responder.AnswerMessageBox(IDOK);
  Application().SetTitle("Tolvika");
  Application().ShowException(std::runtime_error("Nie można otworzyć pliku"));
  ASSERT_EQ(responder.Shown().size(), 1u);
  EXPECT_EQ(responder.Shown()[0].caption, "Tolvika");
  EXPECT_EQ(responder.Shown()[0].text, "Nie można otworzyć pliku");
  EXPECT_EQ(responder.Shown()[0].flags, MB_OK | MB_ICONERROR);
}

TEST(DialogsTest, InputBoxConfirmedOrCancelled) {
  TScriptedResponder responder(Fail);
  responder.AnswerInputBox("Formatka_A");
  responder.AnswerInputBox(std::nullopt);
  responder.AnswerCancel();
  EXPECT_EQ(InputBox("Zmiana identyfikatora formatki", "Podaj nowy identyfikator", "Formatka_1"),
            "Formatka_A");
  EXPECT_EQ(InputBox("Zmiana identyfikatora formatki", "Podaj nowy identyfikator", "Formatka_1"),
            "Formatka_1");
  std::string value = "stare";
  EXPECT_FALSE(InputQuery("Nazwa", "Podaj nazwę", value));
  EXPECT_EQ(value, "stare");
  EXPECT_EQ(responder.Shown()[0].text, "Podaj nowy identyfikator");
}

TEST(DialogsTest, CommonDialogsTakeFileNamesAndFilledValues) {
  TScriptedResponder responder(Fail);
  TOpenDialog open;
  open.SetFilter("Definicje symboli|*.sym|Wszystkie pliki|*.*");
  responder.AnswerFileName("/dane/symbole.sym");
  ASSERT_TRUE(open.Execute());
  EXPECT_EQ(open.FileName(), "/dane/symbole.sym");
  EXPECT_EQ(open.Files(), std::vector<std::string>{"/dane/symbole.sym"});

  TColorDialog color;
  color.SetColor(0x00112233);
  responder.AnswerDialog([](TCommonDialog& d) {
    auto& c = dynamic_cast<TColorDialog&>(d);
    EXPECT_EQ(c.Color(), 0x00112233u);
    c.SetColor(0x000000FF);
    return true;
  });
  ASSERT_TRUE(color.Execute());
  EXPECT_EQ(color.Color(), 0x000000FFu);

  TSaveDialog save;
  save.SetFileName("mapa.war");
  responder.AnswerCancel();
  EXPECT_FALSE(save.Execute());
  EXPECT_EQ(save.FileName(), "mapa.war");

  TFolderDialog folder;
  responder.AnswerFileName("/dane");
  ASSERT_TRUE(folder.Execute());
  EXPECT_EQ(folder.Directory(), "/dane");
  EXPECT_EQ(responder.Shown()[0].caption, "Otwórz");
  EXPECT_EQ(responder.Shown()[2].caption, "Zapisz jako");
}

TEST(DialogsTest, AFileNameForAColourDialogIsReported) {
  std::vector<std::string> failures;
  TScriptedResponder responder([&](const std::string& f) { failures.push_back(f); });
  TColorDialog color;
  color.SetTitle("Kolor okna");
  responder.AnswerFileName("/x");
  EXPECT_FALSE(color.Execute());
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("Kolor okna"), std::string::npos);
}

TEST(DialogsTest, FileFiltersInTheWindowingSystemsNotation) {
  struct Case {
    const char* filter;
    const char* native;
  } cases[] = {
      {"Wszystkie pliki|*.*", "Wszystkie pliki (*.*)"},
      {"Definicje linii|*.lin|Wszystkie pliki|*.*", "Definicje linii (*.lin);;Wszystkie pliki (*.*)"},
      {"Formatka (*.for)|*.for|Interfejs (*.exe, *.bat)|*.exe;*.bat",
       "Formatka (*.for);;Interfejs (*.exe *.bat)"},
      {"", ""},
      {"Bez wzorca", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(NativeFileFilter(c.filter), c.native) << c.filter;
}

TEST(ResponderTest, LeftoverAnswersAreReportedWhenTheResponderEnds) {
  std::vector<std::string> failures;
  {
    TScriptedResponder responder([&](const std::string& f) { failures.push_back(f); });
    responder.AnswerMessageBox(IDOK);
    responder.AnswerInputBox("x");
  }
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("2"), std::string::npos);
}

TEST(ResponderTest, TheNewestResponderAnswers) {
  TScriptedResponder outer(Fail);
  outer.AnswerMessageBox(IDYES);
  {
    TScriptedResponder inner(Fail);
    inner.AnswerMessageBox(IDNO);
    EXPECT_EQ(TScriptedResponder::Current(), &inner);
    EXPECT_EQ(MessageBox("?", "Pytanie", MB_YESNO), IDNO);
  }
  EXPECT_EQ(TScriptedResponder::Current(), &outer);
  EXPECT_EQ(MessageBox("?", "Pytanie", MB_YESNO), IDYES);
}

// Without a screen and without a responder (the program run with no
// display) a modal window never waits and never ends the program: it says
// on stderr what it would have asked and takes its default answer.
TEST(NoScreenTest, AModalWindowWithoutAResponderTakesItsDefaultAnswer) {
  EnsureApplication();
  ASSERT_TRUE(IsHeadless());
  ASSERT_EQ(TScriptedResponder::Current(), nullptr);
  const int before = MessageBoxesWithoutScreen();
  struct Case {
    unsigned flags;
    int answer;
  } cases[] = {{MB_OK, IDOK}, {MB_YESNO, IDYES}, {MB_YESNO | MB_DEFBUTTON2, IDNO},
               {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL}, {MB_OK | MB_DEFBUTTON3, IDOK}};
  for (const Case& c : cases) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBox("Plik tylko do odczytu", "Informacja", c.flags), c.answer) << c.flags;
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("\"Informacja\": Plik tylko do odczytu"), std::string::npos) << said;
  }
  EXPECT_EQ(MessageBoxesWithoutScreen(), before + 5);

  testing::internal::CaptureStderr();
  std::string value = "Formatka_1";
  EXPECT_TRUE(InputQuery("Zmiana identyfikatora formatki", "Podaj nowy identyfikator", value));
  EXPECT_EQ(value, "Formatka_1");
  TColorDialog colour;
  colour.SetColor(0x123456);
  EXPECT_FALSE(colour.Execute());
  EXPECT_EQ(colour.Color(), 0x123456u);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("Zmiana identyfikatora formatki"), std::string::npos) << said;
  EXPECT_EQ(MessageBoxesWithoutScreen(), before + 5);
}

// The standard dialogs of the toolkit speak Polish, as every other window.
TEST(StandardDialogsTest, ShowPolishTexts) {
  struct Case {
    const char* context;
    const char* source;
    const char* polish;
  } cases[] = {{"QColorDialog", "&Basic colors", "&Kolory podstawowe"},
               {"QFileDialog", "Look in:", "Szukaj w:"},
               {"QPlatformTheme", "Cancel", "Anuluj"}};
  for (const Case& c : cases) EXPECT_EQ(ToolkitText(c.context, c.source), c.polish) << c.source;
}

}  // namespace
