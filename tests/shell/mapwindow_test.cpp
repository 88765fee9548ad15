#include "shell/mapwindow.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/example_set_folder.h"
#include "controls/smallwnd.h"
#include "drawing/strokefont.h"
#include "foundation/errors.h"
#include "foundation/settings/settings.h"
#include "layers/store/layerapi.h"
#include "layers/store/layerfile.h"
#include "layers/tree/layertree.h"
#include "layers/tree/objectlist.h"
#include "mkexamples/exampleset.h"
#include "objects/layerobjects.h"
#include "objects/linestylelib.h"
#include "objects/symbollib.h"
#include "platform/gui/application.h"
#include "platform/paint/gdiimage.h"
#include "platform/files/codepage.h"
#include "platform/files/inifile.h"
#include "platform/gui/responder.h"
#include "common/scratch_folder.h"
#include "layers/tree/sublayer.h"
#include "objtools/linetools.h"
#include "platform/gui/controls_grids.h"
#include "shell/startconfigwnd.h"
#include "shell/sublayerchoice.h"
#include "view/hinttools.h"
#include "view/krzyz.h"
#include "view/tvview.h"
#include "view/viewcfg.h"

// The program's map window: which database set it opens, its caption, its
// view in the scrolling box with the focus, the keys reaching the view, its
// two menus and their commands.

namespace {

using namespace platform;

void Fail(const std::string& failure) { ADD_FAILURE() << failure; }

TEST(ChooseBase, TheLastSetWhileTheFileNamesItElseTheFirst) {
  ScratchFolder folder;
  struct Case {
    const char* bazy;
    const char* last;
    const char* chosen;
  };
  const Case cases[] = {
      {"Pierwsza=Jeden\r\nDruga=Dwa\r\n", "Druga", "Druga"},
      {"Pierwsza=Jeden\r\nDruga=Dwa\r\n", "DRUGA", "Druga"},
      {"Pierwsza=Jeden\r\nDruga=Dwa\r\n", "", "Pierwsza"},
      {"Pierwsza=Jeden\r\nDruga=Dwa\r\n", "Usunięta", "Pierwsza"},
      {"", "Druga", ""},
  };
  for (const Case& c : cases) {
    const std::string ini = folder.Put("baza.ini", std::string("[baza]\r\n") + c.bazy);
    TLayerStore store(ini);
    EXPECT_EQ(ChooseBase(store, c.last), c.chosen) << c.last;
  }
  TLayerStore missing(folder / "brak.ini");
  EXPECT_EQ(ChooseBase(missing, "Druga"), "");
}

// A stand-in tool that counts the Escapes the view hands it and stays.
class EscapeCounter : public TKrzyz {
public:
  explicit EscapeCounter(int& Count) : TKrzyz(0, nullptr), count_(Count) {}
  std::int32_t Backspace() override {
    ++count_;
    return 1;
  }

private:
  int& count_;
};

class MapWindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    set_ = scratch_ / "set";
    exampleSet_.emplace(set_);
    {
      TIniFile ini("tolvika.ini");
      ini.WriteInteger("Okno", "RozmiarX", 300);
      ini.WriteInteger("Okno", "RozmiarY", 200);
      ini.UpdateFile();
    }
    SetLibraryErrorBox([this](const std::string& text) { errors.push_back(text); });
    SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>("tolvika.ini"));
    store = std::make_unique<TLayerStore>("baza.ini");
    window = MakeForm<TMapWindow>();
  }

  void TearDown() override {
    window.reset();
    store.reset();
    ReleaseSymbolManager();
    ReleaseLineManager();
    FreeGlobalnaKonfiguracja();
    SetLibraryErrorBox(nullptr);
    exampleSet_.reset();
  }

  static std::vector<std::string> Captions(TMenuItem& Menu) {
    std::vector<std::string> captions;
    for (int i = 0; i < Menu.Count(); ++i) captions.push_back(Menu.Items(i)->Caption());
    return captions;
  }
  static TMenuItem* Item(TMenuItem& Menu, const std::string& Caption) {
    for (int i = 0; i < Menu.Count(); ++i)
      if (Menu.Items(i)->Caption() == Caption) return Menu.Items(i);
    return nullptr;
  }

  ScratchFolder scratch_;
  std::string set_;
  std::optional<ExampleSetFolder> exampleSet_;
  std::vector<std::string> errors;
  std::unique_ptr<TLayerStore> store;
  std::unique_ptr<TMapWindow> window;
};

TEST_F(MapWindowTest, OpensTheSetInItsViewAndNamesIt) {
  EXPECT_EQ(window->Caption(), "Tolvika");
  window->OpenBase(*store, "Przyklad");
  EXPECT_EQ(window->Caption(), "Tolvika - Przyklad");
  TTvView& view = window->View();
  EXPECT_EQ(view.Baza(), "Przyklad");
  EXPECT_TRUE(view.HasLayers());
  EXPECT_EQ(TvViewCfg().LastBase, "Przyklad");
  // The view keeps the image's size inside the box, which scrolls over it.
  EXPECT_EQ(view.Parent(), window->Box);
  EXPECT_EQ(view.Width(), 300);
  EXPECT_EQ(view.Height(), 200);
  EXPECT_TRUE(errors.empty()) << errors.front();

  // The set drawn by the redraw thread: the image is not all background.
  view.WaitForRedraw(false);
  TBitmap& image = *view.BackBitmap();
  const std::uint32_t background = image.Pixel(0, 0);
  int drawn = 0;
  for (int y = 0; y < image.Height(); y += 2)
    for (int x = 0; x < image.Width(); x += 2) drawn += image.Pixel(x, y) != background;
  EXPECT_GT(drawn, 50);
}

TEST_F(MapWindowTest, UnknownSetRaisesAndTheWindowStaysEmpty) {
  EXPECT_THROW(window->OpenBase(*store, "Brak"), Exception);
  EXPECT_EQ(window->Caption(), "Tolvika");
  EXPECT_FALSE(window->View().HasLayers());
}

TEST_F(MapWindowTest, BothMenusHoldTheCommands) {
  const std::vector<std::string> commands = {"&Przerysuj",       "-",
                                             "&Cała mapa",        "Po&większ okno",
                                             "Powiększ (ce&lownik)", "Po&mniejsz okno",
                                             "P&rzesuń okno",     "Poprzednie &okno",
                                             "-",                 "&Konfiguracja...",
                                             "-",                 "&Zamknij"};
  ASSERT_EQ(window->MainMenu->Items().Count(), 2);
  EXPECT_EQ(window->MapaItem->Caption(), "&Mapa");
  EXPECT_EQ(window->RysujItem->Caption(), "&Rysuj");
  EXPECT_EQ(Captions(*window->RysujItem),
            (std::vector<std::string>{"&Aktywna podwarstwa...", "-", "&Linia", "Li&nia ciągła", "&Okrąg",
                                      "&Tekst", "&Symbol", "&Czołówka", "Wskaż czo&łówkę", "-", "&Zapisz"}));
  EXPECT_EQ(Captions(*window->MapaItem), commands);
  EXPECT_EQ(window->SkalaPopUp(), window->SkalaMenu);
  EXPECT_EQ(Captions(window->SkalaMenu->Items()), commands);
}

// The accelerator of a caption ("&Zapisz": "z"), in lower case; empty
// without one ("&&" is a plain ampersand).
std::string Accelerator(const std::string& Caption) {
  for (size_t i = 0; i + 1 < Caption.size(); ++i) {
    if (Caption[i] != '&') continue;
    if (Caption[i + 1] == '&') {
      ++i;
      continue;
    }
    // One UTF-8 character after the ampersand.
    size_t length = 1;
    while (i + 1 + length < Caption.size() && (static_cast<unsigned char>(Caption[i + 1 + length]) & 0xC0) == 0x80)
      ++length;
    return LowerCase(Caption.substr(i + 1, length));
  }
  return {};
}

// The clashes within one menu (the menu bar's titles, each menu, each
// submenu): two items that share an accelerator, named with Path.
std::vector<std::string> AcceleratorClashes(TMenuItem& Menu, const std::string& Path) {
  std::vector<std::string> clashes;
  std::map<std::string, std::string> taken;
  for (int i = 0; i < Menu.Count(); ++i) {
    TMenuItem& item = *Menu.Items(i);
    const std::string key = Accelerator(item.Caption());
    if (!key.empty()) {
      auto [at, fresh] = taken.emplace(key, item.Caption());
      if (!fresh) clashes.push_back(Path + ": " + at->second + " / " + item.Caption());
    }
    if (item.Count() > 0) {
      std::vector<std::string> inner = AcceleratorClashes(item, Path + " > " + item.Caption());
      clashes.insert(clashes.end(), inner.begin(), inner.end());
    }
  }
  return clashes;
}

TEST(MenuAccelerators, CaptionsGiveTheirLetterAndClashesAreFound) {
  const struct {
    const char* caption;
    const char* key;
  } cases[] = {{"&Zapisz", "z"}, {"Wskaż czo&łówkę", "ł"}, {"Li&nia ciągła", "n"},
               {"A && B", ""},   {"A && &B", "b"},         {"Bez skrótu", ""}};
  for (const auto& c : cases) EXPECT_EQ(Accelerator(c.caption), c.key) << c.caption;
  // A clash in a submenu, of letters that differ only in case; the same
  // letter in two different menus is none.
  TMenuItem menu;
  menu.Add("&Linia");
  TMenuItem* sub = menu.Add("&Podmenu");
  sub->Add("&Łuk");
  sub->Add("&Linia");
  sub->Add("Ś&ł");
  EXPECT_EQ(AcceleratorClashes(menu, "Test"), std::vector<std::string>{"Test > &Podmenu: &Łuk / Ś&ł"});
}

// Every menu of the program (the map window's menu bar, its menus and
// their submenus, and every pop-up menu it owns) gives each item a letter
// of its own, so that Alt and the letters reach every command.
TEST_F(MapWindowTest, EveryMenuHasDistinctAccelerators) {
  int menus = 0;
  for (int i = 0; i < window->ComponentCount(); ++i) {
    TComponent* component = window->Components(i);
    if (auto* bar = dynamic_cast<TMainMenu*>(component)) {
      EXPECT_EQ(AcceleratorClashes(bar->Items(), "menu bar"), std::vector<std::string>{});
      ++menus;
    } else if (auto* popup = dynamic_cast<TPopupMenu*>(component)) {
      EXPECT_EQ(AcceleratorClashes(popup->Items(), popup->Name()), std::vector<std::string>{});
      ++menus;
    }
  }
  EXPECT_EQ(menus, 2);
}

// Closing the window, by "Zamknij" or by its close box, asks about every
// changed layer whether to save it: "Anuluj" keeps the window open and the
// change, "Nie" closes without saving, "Tak" saves and closes. Nothing
// changed: no question.
TEST_F(MapWindowTest, ClosingAsksWhetherToSaveEveryChangedLayer) {
  window->OpenBase(*store, "Przyklad");
  TTvView& view = window->View();
  // The first layer of the set, one of its sublayers.
  std::function<TWarstwa*(TGrupaWarstw&)> firstLayer = [&](TGrupaWarstw& group) -> TWarstwa* {
    for (int i = 0; i < group.GetCount(); ++i) {
      if (auto* layer = dynamic_cast<TWarstwa*>(group.GetItem(i))) return layer;
      if (auto* inner = dynamic_cast<TGrupaWarstw*>(group.GetItem(i)))
        if (TWarstwa* found = firstLayer(*inner)) return found;
    }
    return nullptr;
  };
  TWarstwa* layer = firstLayer(*view.Root());
  ASSERT_NE(layer, nullptr);
  TPodwarstwa* sublayer = layer->Sublayer(0);
  ASSERT_NE(sublayer, nullptr);
  const std::string question = "Warstwa " + layer->Name + " została zmieniona. Zachować?";

  const auto answer = [&](TScriptedResponder& responder, platform::TButton* TYesNoAll::*button,
                          std::vector<std::string>& asked) {
    responder.AnswerForm(
        [button, &asked](TForm& form) {
          auto& query = dynamic_cast<TYesNoAll&>(form);
          asked.push_back(query.Komunikat->Caption());
          (query.*button)->Click();
        },
        "Potwierdź");
  };
  struct Case {
    const char* name;
    bool byCloseBox;
    bool changed;
    std::vector<platform::TButton* TYesNoAll::*> answers;  // Anuluj first keeps the window for one more close
    bool saved;
  };
  const Case cases[] = {
      {"Zamknij, Anuluj, then Nie", false, true, {&TYesNoAll::CancelBtn, &TYesNoAll::NoBtn}, false},
      {"close box, Anuluj, then Nie", true, true, {&TYesNoAll::CancelBtn, &TYesNoAll::NoBtn}, false},
      {"Zamknij, Tak", false, true, {&TYesNoAll::YesBtn}, true},
      {"nothing changed", false, false, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.changed) sublayer->SetFlag(kNodeChanged);
    TScriptedResponder responder(Fail);
    std::vector<std::string> asked;
    int closes = 0;
    const auto close = [&](TForm& form) {
      ++closes;
      if (c.byCloseBox) form.Close();
      else Item(*window->MapaItem, "&Zamknij")->Click();
    };
    responder.AnswerForm(close, "Tolvika - Przyklad");
    for (size_t i = 0; i < c.answers.size(); ++i) {
      answer(responder, c.answers[i], asked);
      // Cancelled: the window is still open and is closed once more.
      if (c.answers[i] == &TYesNoAll::CancelBtn)
        responder.AnswerForm(
            [&](TForm& form) {
              EXPECT_TRUE(form.Visible());
              EXPECT_TRUE(sublayer->IsChanged());
              close(form);
            },
            "Tolvika - Przyklad");
    }
    EXPECT_EQ(window->ShowModal(), mrCancel);
    EXPECT_EQ(responder.Pending(), 0);
    EXPECT_EQ(closes, static_cast<int>(c.answers.size() > 1 ? 2 : 1));
    EXPECT_EQ(asked, std::vector<std::string>(c.answers.size(), question));
    EXPECT_EQ(sublayer->IsChanged(), c.changed && !c.saved);
    sublayer->ClearFlag(kNodeChanged);
  }
}

// The set is fitted once when opened; the menu fits it again, starts the
// zoom tools and goes back to the previous window.
TEST_F(MapWindowTest, MenuFitsZoomsAndGoesBack) {
  window->OpenBase(*store, "Przyklad");
  TTvView& view = window->View();
  const auto current = [&] {
    const TWindowDim& d = *view.Dims();
    return RealRect(d.X1, d.Y1, d.X2, d.Y2);
  };
  EXPECT_NE(view.State & TTvView::kFitted, 0);
  const TRealRect fitted = current();
  EXPECT_LT(fitted.Right - fitted.Left, 15000000.0);
  view.Zoom(0.5);
  const TRealRect zoomed = current();
  Item(*window->MapaItem, "Poprzednie &okno")->Click();
  EXPECT_EQ(current(), fitted);
  Item(*window->MapaItem, "Poprzednie &okno")->Click();
  EXPECT_EQ(current(), zoomed);
  Item(window->SkalaMenu->Items(), "&Cała mapa")->Click();
  EXPECT_EQ(current(), fitted);
  // Opening the set again fits it again.
  view.Zoom(0.25);
  window->OpenBase(*store, "Przyklad");
  EXPECT_EQ(current(), fitted);
  struct Case {
    const char* caption;
    std::string hint;
  } cases[] = {{"Po&większ okno", "POWIĘKSZENIE OKNA"},
               {"Powiększ (ce&lownik)", "POWIĘKSZENIE OKNA (celownik)"},
               {"Po&mniejsz okno", "ZMNIEJSZENIE OKNA"},
               {"P&rzesuń okno", "PRZESUNIĘCIE OKNA"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    Item(*window->MapaItem, c.caption)->Click();
    auto* tool = dynamic_cast<THintKrzyz*>(view.Krzyz()->Nested.get());
    ASSERT_NE(tool, nullptr);
    EXPECT_EQ(tool->Hint(), c.hint);
    // Escape leaves it; the idle tool stays.
    view.CancelKrzyz();
    EXPECT_EQ(view.Krzyz()->Nested, nullptr);
  }
}

// The arrows scroll the box to its edge first, then move the map by a third
// of the box's visible width.
TEST_F(MapWindowTest, ArrowsScrollTheBoxToItsEdgeFirst) {
  window->OpenBase(*store, "Przyklad");
  window->Show();
  // A view larger than the box.
  TvViewCfg().RozmiarX = 3000;
  TvViewCfg().RozmiarY = 2500;
  TvViewCfg().NotifyChanged();
  Application().ProcessMessages();
  TTvView& view = window->View();
  ASSERT_LT(window->Box->VisibleWidth(), view.Width());
  window->Box->ScrollTo(20, 10);
  ASSERT_EQ(window->Box->HorzPosition(), 20);
  const double y1 = view.Dims()->Y1;
  view.ScrollHorz(1);
  EXPECT_EQ(window->Box->HorzPosition(), 0);
  EXPECT_EQ(view.Dims()->Y1, y1);
  view.ScrollHorz(1);
  EXPECT_NEAR((y1 - view.Dims()->Y1) * view.Dims()->ScaleY, window->Box->VisibleWidth() / 3, 1e-6);
  view.ScrollHorz(-1);
  EXPECT_EQ(window->Box->HorzPosition(), view.Width() - window->Box->VisibleWidth());
  view.ScrollVert(1);
  EXPECT_EQ(window->Box->VertPosition(), view.Height() - window->Box->VisibleHeight());
  view.ScrollVert(-1);
  EXPECT_EQ(window->Box->VertPosition(), 0);
  // Centring puts the middle of the view in the middle of what is visible.
  window->CenterScrollBars();
  EXPECT_EQ(window->Box->HorzPosition(), (view.Width() - window->Box->VisibleWidth()) / 2);
  EXPECT_EQ(window->Box->VertPosition(), (view.Height() - window->Box->VisibleHeight()) / 2);
}

// The view has the focus: Escape reaches its tool and the window stays;
// "Zamknij" closes it.
TEST_F(MapWindowTest, KeysReachTheViewAndZamknijCloses) {
  window->OpenBase(*store, "Przyklad");
  int escapes = 0;
  window->View().SetKrzyz(std::make_unique<EscapeCounter>(escapes));
  TScriptedResponder responder(Fail);
  responder.AnswerForm(
      [&](TForm& form) {
        EXPECT_EQ(form.ActiveControl(), &window->View());
        form.ActiveControl()->SendKey(VK_ESCAPE);
        form.ActiveControl()->SendKey(VK_ESCAPE);
        EXPECT_EQ(escapes, 2);
        EXPECT_EQ(form.ModalResult(), mrNone);
        Item(*window->MapaItem, "&Zamknij")->Click();
      },
      "Tolvika - Przyklad");
  EXPECT_EQ(window->ShowModal(), mrCancel);
}

// A responder that keeps the texts of the message boxes it answers.
class BoxTexts : public TScriptedResponder {
public:
  using TScriptedResponder::TScriptedResponder;
  std::optional<TAnswer> Take(TModalKind Kind, const std::string& Caption, const std::string& Text) override {
    if (Kind == TModalKind::MessageBox) Texts.push_back(Text);
    return TScriptedResponder::Take(Kind, Caption, Text);
  }
  std::vector<std::string> Texts;
};

// "Rysuj": a drawing command needs an active sublayer, which the window
// "Aktywna podwarstwa" chooses from the layer tree; the command then runs
// on the view.
TEST_F(MapWindowTest, RysujDrawsOnTheChosenSublayer) {
  window->OpenBase(*store, "Przyklad");
  TTvView& view = window->View();
  BoxTexts responder(Fail);
  responder.AnswerMessageBox(IDOK);
  Item(*window->RysujItem, "&Linia")->Click();
  ASSERT_EQ(responder.Texts.size(), 1u);
  EXPECT_NE(responder.Texts[0].find("Brak aktywnej warstwy"), std::string::npos) << responder.Texts[0];
  EXPECT_EQ(dynamic_cast<TEditNewSpecialLinia*>(view.Krzyz()), nullptr);

  // Escape changes nothing; OK on a line sublayer makes it active.
  responder.AnswerForm([](TForm& form) { form.Get<TButton>("CancelBtn").Click(); }, "Aktywna podwarstwa");
  Item(*window->RysujItem, "&Aktywna podwarstwa...")->Click();
  EXPECT_EQ(view.ActiveLine, nullptr);
  TPodwarstwaLiniowa* chosen = nullptr;
  responder.AnswerForm(
      [&](TForm& form) {
        auto& d = dynamic_cast<TSublayerChoiceD&>(form);
        for (int i = 0; i < d.Tree->Count() && chosen == nullptr; ++i) {
          auto* node = static_cast<TWarstwaOgolna*>(d.Tree->Items(i)->Data());
          chosen = dynamic_cast<TPodwarstwaLiniowa*>(node);
          if (chosen != nullptr) d.Tree->SetSelected(d.Tree->Items(i));
        }
        d.OKBtn->Click();
      },
      "Aktywna podwarstwa");
  Item(*window->RysujItem, "&Aktywna podwarstwa...")->Click();
  ASSERT_NE(chosen, nullptr);
  EXPECT_EQ(view.ActiveLine, chosen);

  Item(*window->RysujItem, "&Linia")->Click();
  auto* tool = dynamic_cast<TEditNewSpecialLinia*>(view.Krzyz());
  ASSERT_NE(tool, nullptr);
  EXPECT_EQ(tool->Sublayer, chosen);
  EXPECT_EQ(window->ActiveControl(), &view);
  EXPECT_EQ(responder.Texts.size(), 1u);
  view.ResetKrzyz();
}

// "Przerysuj" starts a redraw; closing the window while it runs waits for
// it.
TEST_F(MapWindowTest, PrzerysujRedrawsAndTheWindowClosesDuringARedraw) {
  window->OpenBase(*store, "Przyklad");
  window->View().WaitForRedraw(false);
  Item(window->SkalaMenu->Items(), "&Przerysuj")->Click();
  EXPECT_GE(window->View().RedrawCount(), 1);
  window.reset();
}

// "Konfiguracja..." shows the settings window over the global groups; a new
// image size reaches the view, and the box scrolls over the larger view.
TEST_F(MapWindowTest, KonfiguracjaChangesTheViewsSize) {
  window->OpenBase(*store, "Przyklad");
  window->Show();
  Application().ProcessMessages();
  window->Box->ScrollTo(100000, 100000);
  EXPECT_EQ(window->Box->HorzPosition(), 0);  // the view fits
  TScriptedResponder responder(Fail);
  responder.AnswerForm(
      [](TForm& form) {
        auto& d = dynamic_cast<TStartConfigWnd&>(form);
        EXPECT_EQ(d.WndSizeX->Text(), "300");
        d.WndSizeX->SetText("4000");
        d.WndSizeY->SetText("3000");
        d.BitBtn1->Click();
      },
      "Konfiguracja");
  Item(*window->MapaItem, "&Konfiguracja...")->Click();
  EXPECT_EQ(TvViewCfg().RozmiarX, 4000);
  EXPECT_EQ(window->View().Width(), 4000);
  EXPECT_EQ(window->View().Height(), 3000);
  EXPECT_EQ(window->ActiveControl(), &window->View());
  Application().ProcessMessages();
  window->Box->ScrollTo(100000, 100000);
  EXPECT_GT(window->Box->HorzPosition(), 0);
  EXPECT_GT(window->Box->VertPosition(), 0);
}

}  // namespace

// --- Damaged and missing layer files ------------------------------------------

namespace damaged {

namespace fs = std::filesystem;

// Answers every message box with OK and keeps its text, and goes on past the
// question about a layer whose header is refused ("Tak": without it).
class Answers : public TScriptedResponder {
public:
  using TScriptedResponder::TScriptedResponder;
  std::optional<TAnswer> Take(TModalKind Kind, const std::string& Caption, const std::string& Text) override {
    if (Kind == TModalKind::MessageBox) {
      Boxes.push_back({Caption, Text});
      return TAnswer{TAnswer::Kind::MessageBox, IDOK, {}, {}, {}, {}};
    }
    if (Kind == TModalKind::Form && Caption == "Potwierdź") {
      ++Questions;
      return TAnswer{TAnswer::Kind::Form, mrYes, {}, {}, {}, {}};
    }
    return TScriptedResponder::Take(Kind, Caption, Text);
  }
  std::vector<std::pair<std::string, std::string>> Boxes;
  int Questions = 0;
};

// What one opening of the set shows: the objects of every layer by name
// (absent: not in the tree), the extent of the whole set, the problems told.
struct TOpened {
  std::map<std::string, int> objects;
  TRealRect extent{};
  std::vector<std::string> problems;
};

int ObjectsOf(TWarstwa& Layer) {
  int n = 0;
  for (int i = 0; i < Layer.GetCount(); ++i)
    if (TPodwarstwa* s = Layer.Sublayer(i); s->Objects() != nullptr) n += s->Objects()->Count();
  return n;
}

void Collect(TGrupaWarstw& Group, std::map<std::string, int>& Objects) {
  for (int i = 0; i < Group.GetCount(); ++i) {
    if (auto* layer = dynamic_cast<TWarstwa*>(Group.GetItem(i))) Objects[layer->Name] = ObjectsOf(*layer);
    else if (auto* group = dynamic_cast<TGrupaWarstw*>(Group.GetItem(i))) Collect(*group, Objects);
  }
}

bool Within(const TRealRect& Inner, const TRealRect& Outer) {
  const auto lo = [](double a, double b) { return std::min(a, b); };
  const auto hi = [](double a, double b) { return std::max(a, b); };
  return lo(Inner.Left, Inner.Right) >= lo(Outer.Left, Outer.Right) &&
         hi(Inner.Left, Inner.Right) <= hi(Outer.Left, Outer.Right) &&
         lo(Inner.Top, Inner.Bottom) >= lo(Outer.Top, Outer.Bottom) &&
         hi(Inner.Top, Inner.Bottom) <= hi(Outer.Top, Outer.Bottom);
}

std::string Bytes(const fs::path& Path) { return ScratchFolder::Get(Path.string()); }
void PutBytes(const fs::path& Path, const std::string& Bytes) {
  std::ofstream out(Path, std::ios::binary | std::ios::trunc);
  out << Bytes;
}
// Count bytes from a fixed generator over Path from Offset.
void Scramble(const fs::path& Path, std::size_t Offset, std::size_t Count) {
  std::string b = Bytes(Path);
  ASSERT_LE(Offset + Count, b.size());
  std::mt19937 rng(36);
  for (std::size_t i = 0; i < Count; ++i) b[Offset + i] = static_cast<char>(rng() & 0xFF);
  PutBytes(Path, b);
}

const char kDamaged[] = "mapa/ewid/BUDYNKI-.--l";

struct TCase {
  const char* name;
  std::function<void()> damage;
  // What the one line of the report holds.
  std::vector<std::string> told;
  // The layers missing from the tree.
  std::vector<std::string> missing;
  // BUDYNKI keeps part of its objects.
  bool partial = false;
};

class DamagedSetTest : public MapWindowTest {
protected:
  TOpened Open(Answers& answers) {
    window = MakeForm<TMapWindow>();
    window->OpenBase(*store, "Przyklad");
    TOpened opened;
    Collect(*window->View().Root(), opened.objects);
    opened.extent = window->View().Root()->GetObszar();
    opened.problems = window->LoadProblems();
    EXPECT_EQ(answers.Boxes.size(), opened.problems.empty() ? 0u : 1u);
    return opened;
  }
};

TEST_F(DamagedSetTest, EveryDamagedFileIsToldOnceAndTheOtherLayersAreDrawn) {
  Answers intactAnswers(Fail);
  const TOpened intact = Open(intactAnswers);
  ASSERT_TRUE(intact.problems.empty()) << intact.problems.front();
  ASSERT_EQ(intact.objects.size(), 9u);
  const std::size_t size = fs::file_size(kDamaged);
  const std::string original = Bytes(kDamaged);

  const TCase cases[] = {
      {"cut to half", [&] { fs::resize_file(kDamaged, size / 2); },
       {"Plik mapa/ewid/BUDYNKI-.--l (warstwa BUDYNKI)", "wczytane obiekty: "}, {}, true},
      {"emptied", [&] { fs::resize_file(kDamaged, 0); },
       {"mapa/ewid/BUDYNKI-.--l: Błąd podczas odczytu nagłówka - warstwa pominięta"}, {"BUDYNKI"}},
      {"cut to 100 bytes", [&] { fs::resize_file(kDamaged, 100); },
       {"mapa/ewid/BUDYNKI-.--l: Błędna struktura pliku - warstwa pominięta"}, {"BUDYNKI"}},
      {"300 random bytes in the header", [&] { Scramble(kDamaged, 100, 300); },
       {"mapa/ewid/BUDYNKI-.--l", "warstwa pominięta"}, {"BUDYNKI"}},
      {"2000 random bytes in the middle", [&] { Scramble(kDamaged, size / 2, 2000); },
       {"Plik mapa/ewid/BUDYNKI-.--l (warstwa BUDYNKI)", "pominięte uszkodzone rekordy: "}, {}, true},
      {"a catalogue folder deleted", [&] { fs::remove_all("mapa/sytuacja"); },
       {"Brak katalogu mapa/sytuacja/ (Kat2 \"Sytuacja\"): jego warstwy nie zostały wczytane"},
       {"DROGI", "GRANICE", "OPISY", "SYTUACJA", "UZBROJ"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    fs::copy("mapa", "mapa.intact", fs::copy_options::recursive);
    c.damage();
    Answers answers(Fail);
    const TOpened damaged = Open(answers);

    // Told once, in one message box, naming the file and what was skipped.
    ASSERT_EQ(damaged.problems.size(), 1u);
    for (const std::string& part : c.told)
      EXPECT_NE(damaged.problems[0].find(part), std::string::npos) << damaged.problems[0];
    ASSERT_EQ(answers.Boxes.size(), 1u);
    EXPECT_EQ(answers.Boxes[0].first, TMapWindow::kDamageCaption);
    EXPECT_NE(answers.Boxes[0].second.find(damaged.problems[0]), std::string::npos);

    // The other layers hold what they hold in the intact set.
    for (const auto& [name, count] : intact.objects) {
      const bool gone = std::find(c.missing.begin(), c.missing.end(), name) != c.missing.end();
      if (gone) {
        EXPECT_EQ(damaged.objects.count(name), 0u) << name;
      } else if (name == "BUDYNKI" && c.partial) {
        ASSERT_EQ(damaged.objects.count(name), 1u);
        EXPECT_GT(damaged.objects.at(name), 0);
        EXPECT_LT(damaged.objects.at(name), count);
      } else {
        EXPECT_EQ(damaged.objects.count(name) ? damaged.objects.at(name) : -1, count) << name;
      }
    }
    // No damaged record stretches the extent of the set, and the set is
    // drawn after "Cała mapa".
    EXPECT_TRUE(Within(damaged.extent, intact.extent))
        << damaged.extent.Left << " " << damaged.extent.Top << " " << damaged.extent.Right << " "
        << damaged.extent.Bottom;
    Item(*window->MapaItem, "&Cała mapa")->Click();
    window->View().WaitForRedraw(false);
    TBitmap& image = *window->View().BackBitmap();
    const std::uint32_t background = image.Pixel(0, 0);
    int drawn = 0;
    for (int y = 0; y < image.Height(); y += 2)
      for (int x = 0; x < image.Width(); x += 2) drawn += image.Pixel(x, y) != background;
    EXPECT_GT(drawn, 50);

    window.reset();
    fs::remove_all("mapa");
    fs::rename("mapa.intact", "mapa");
    ASSERT_EQ(Bytes(kDamaged), original);
  }
}

// A file that the catalogue's masks select but that has not the shape of a
// layer file's name (a note beside the layers) is no damaged layer.
TEST_F(DamagedSetTest, ANoteBesideTheLayersIsNotReported) {
  PutBytes("mapa/ewid/notatki.txt", "Obręb 0012\r\n");
  Answers answers(Fail);
  const TOpened opened = Open(answers);
  EXPECT_TRUE(opened.problems.empty()) << opened.problems.front();
  EXPECT_EQ(opened.objects.size(), 9u);
}

}  // namespace damaged
