// The reader of the user-menu files: both kinds, the header, imported icons,
// popups, items and their action lines, and every error code with its text.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/files/codepage.h"
#include "common/scratch_folder.h"
#include "ui/usermenu.h"

namespace {

// A BMP file image of w x h pixels, 24 bits, every pixel of one colour.
std::vector<std::uint8_t> MakeBmp(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  const int rowBytes = (w * 3 + 3) / 4 * 4;
  const std::uint32_t pixels = static_cast<std::uint32_t>(rowBytes * h);
  const std::uint32_t fileSize = 54 + pixels;
  std::vector<std::uint8_t> out;
  auto u16 = [&](std::uint32_t v) { out.push_back(v & 255); out.push_back((v >> 8) & 255); };
  auto u32 = [&](std::uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
  out.push_back('B'); out.push_back('M');
  u32(fileSize); u32(0); u32(54);
  u32(40); u32(static_cast<std::uint32_t>(w)); u32(static_cast<std::uint32_t>(h));
  u16(1); u16(24); u32(0); u32(pixels); u32(2835); u32(2835); u32(0); u32(0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) { out.push_back(b); out.push_back(g); out.push_back(r); }
    for (int p = w * 3; p < rowBytes; ++p) out.push_back(0);
  }
  return out;
}

// The bytes as an icon block's data lines, 25 to a line.
std::string HexLines(const std::vector<std::uint8_t>& bytes) {
  std::string out;
  char hex[4];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(hex, sizeof hex, "%02X ", bytes[i]);
    out += hex;
    if (i % 25 == 24 || i + 1 == bytes.size()) out += "\r\n";
  }
  return out;
}

class MenuFile : public ::testing::Test {
 protected:
  // Writes the UTF-8 text as code page 1250 with CR LF line ends.
  std::string Write(const std::string& text, const std::string& name = "menu.mnu") {
    std::string crlf;
    for (char c : text) {
      if (c == '\n') crlf += '\r';
      crlf += c;
    }
    return folder.Put(name, platform::Utf8ToCp1250(crlf));
  }
  template <class Menu>
  std::unique_ptr<Menu> Load(const std::string& text, bool editMode = false) {
    auto menu = std::make_unique<Menu>();
    menu->LoadFromFile(Write(text), editMode);
    return menu;
  }
  ScratchFolder folder;
};

TEST_F(MenuFile, KindLineAloneGivesAnEmptyMenu) {
  auto menu = Load<TVMenu>("1 anything after the kind\n");
  EXPECT_EQ(menu->ErrorCode, 0);
  EXPECT_TRUE(menu->Popups.empty());
  EXPECT_EQ(menu->Margin, 2);
  EXPECT_EQ(menu->SizeH, -1);
  EXPECT_EQ(menu->SizeV, -1);
  EXPECT_EQ(MenuErrorText(*menu), "");
}

TEST_F(MenuFile, MissingFileIsNoErrorInEditModeOnly) {
  TVMenu run;
  run.LoadFromFile(folder / "none.mnu", false);
  EXPECT_EQ(run.ErrorCode, 10);
  EXPECT_EQ(MenuErrorText(run), "Brak pliku z menu");
  TAMenu edit;
  edit.LoadFromFile(folder / "none.mnu", true);
  EXPECT_EQ(edit.ErrorCode, 0);
  EXPECT_TRUE(edit.Popups.empty());
}

TEST_F(MenuFile, HeaderKeysInAnyCaseAndABlankBeforeTheEqualsSignIgnored) {
  auto menu = Load<TAMenu>("2\nmargines=5\nROZMIAR h=40\nRozmiar V =7\nno equals sign\nInny=1\n****\n");
  EXPECT_EQ(menu->ErrorCode, 0);
  EXPECT_EQ(menu->Margin, 5);
  EXPECT_EQ(menu->SizeH, 40);
  EXPECT_EQ(menu->SizeV, -1);
}

TEST_F(MenuFile, VisibilityMenuWithPopupsSubmenusAndNextItems) {
  auto menu = Load<TVMenu>(
      "  1\n\n"
      "Margines=3\n"
      "****\n"
      "Pod,podmenu,\n"
      "ignored line\n"
      "**\n"
      "Pokaz_drogi,,,\n"
      "   w l Drogi 3\n"
      "**\n"
      "-\n"
      "**\n"
      "|\n"
      "****\n"
      "Glowne,,\n"
      "**\n"
      "__,,POD,\n"
      "**\n"
      "Klawisze,,,pokaz_DROGI\n"
      "m  ^F1 abc   \n"
      "**\n"
      "Ukryj,,,\n"
      "n t \\Kat\\Warstwa\n");
  ASSERT_EQ(menu->ErrorCode, 0) << MenuErrorText(*menu);
  ASSERT_EQ(menu->Popups.size(), 2u);
  const TAVMenuPopup& sub = *menu->Popups[0];
  EXPECT_TRUE(sub.IsSubmenu);
  EXPECT_EQ(sub.Name, "Pod");
  ASSERT_EQ(sub.Items.size(), 3u);
  EXPECT_EQ(sub.Items[0]->Name, "Pokaz drogi");
  EXPECT_EQ(sub.Items[1]->Name, "-");
  EXPECT_EQ(sub.Items[2]->Name, "|");
  auto* first = dynamic_cast<TVMenuItem*>(sub.Items[0].get());
  ASSERT_NE(first, nullptr);
  ASSERT_EQ(first->Actions->size(), 1u);
  EXPECT_EQ((*first->Actions)[0]->Action, vaShow);
  EXPECT_EQ((*first->Actions)[0]->LayerKind, vkLine);
  EXPECT_EQ((*first->Actions)[0]->Path, "*\\DROGI\\3");

  const TAVMenuPopup& main = *menu->Popups[1];
  EXPECT_FALSE(main.IsSubmenu);
  ASSERT_EQ(main.Items.size(), 3u);
  EXPECT_EQ(main.Items[0]->Name, "");  // only blanks
  EXPECT_EQ(main.Items[0]->Submenu, &sub);
  EXPECT_EQ(dynamic_cast<TVMenuItem*>(main.Items[0].get())->Actions, nullptr);
  EXPECT_EQ(main.Items[1]->NextItem, sub.Items[0].get());
  EXPECT_EQ(main.Items[1]->NextItemName, "pokaz_DROGI");
  auto* keys = dynamic_cast<TVMenuItem*>(main.Items[1].get());
  ASSERT_EQ(keys->Actions->size(), 1u);
  EXPECT_EQ((*keys->Actions)[0]->Action, vaKeys);
  EXPECT_EQ((*keys->Actions)[0]->Path, "^F1 abc");
  auto* hide = dynamic_cast<TVMenuItem*>(main.Items[2].get());
  EXPECT_EQ((*hide->Actions)[0]->Action, vaHide);
  EXPECT_EQ((*hide->Actions)[0]->Path, "KAT\\WARSTWA");
}

TEST_F(MenuFile, ActivityMenuFillsTheRecordAndTheGivenSet) {
  const std::string symbolMark = platform::Cp1250ToUtf8("\xFE");
  auto menu = Load<TAMenu>(
      "2\n****\nRysuj,,\n**\nLinia,,,\n"
      "typ=1\nWARSTWA=drogi\nTYP LINII=$10\nGRUBOSC=2\nNAZWA LINII=kreska\nSKALA=1.5\n"
      "WYSOKOSC=2.5\nKAT=-30\nPODKRESLENIE=t\nODNOSNIK=N\nJUSTYFIKACJA=5\nWSTAW=T\n"
      "GENERATOR=Gen a\nODSTEP=0.25\nKATALOG=Kat 1\nTEKST=Ala ma kota\n"
      "**\nSymbol,,,\nTYP=2\nWARSTWA=opisy\nPODWARSTWA=4\nTEKST=" + symbolMark + "drzewo\n");
  ASSERT_EQ(menu->ErrorCode, 0) << MenuErrorText(*menu);
  auto* a = dynamic_cast<TAMenuItem*>(menu->Popups[0]->Items[0].get());
  ASSERT_NE(a, nullptr);
  const TActivityRecord& r = a->Record;
  EXPECT_EQ(r.Typ, 1);
  EXPECT_EQ(r.Warstwa, "DROGI");
  EXPECT_EQ(r.Podwarstwa, 0);  // not given: set to 0 by the check
  EXPECT_EQ(r.TypLinii, 16);
  EXPECT_EQ(r.Grubosc, 2);
  EXPECT_EQ(r.NazwaLinii, "KRESKA");
  EXPECT_FLOAT_EQ(r.Skala, 1.5f);
  EXPECT_FLOAT_EQ(r.Wysokosc, 2.5f);
  EXPECT_FLOAT_EQ(r.Kat, -30.f);
  EXPECT_TRUE(r.Podkreslenie);
  EXPECT_FALSE(r.Odnosnik);
  EXPECT_EQ(r.Justyfikacja, 5);
  EXPECT_TRUE(r.Wstaw);
  EXPECT_EQ(r.Generator, "Gen a");
  EXPECT_FLOAT_EQ(r.Odstep, 0.25f);
  EXPECT_EQ(r.Katalog, "Kat 1");
  EXPECT_EQ(r.Tekst, "Ala ma kota");
  EXPECT_EQ(a->Given, (1u << kActivityParamCount) - 1 - ActivityBit(apSymbol));

  auto* s = dynamic_cast<TAMenuItem*>(menu->Popups[0]->Items[1].get());
  EXPECT_EQ(s->Record.Symbol, "DRZEWO");
  EXPECT_EQ(s->Record.Tekst, "");
  EXPECT_EQ(s->Record.Podwarstwa, 4);
  EXPECT_TRUE(s->Given & ActivityBit(apSymbol));
  EXPECT_FALSE(s->Given & ActivityBit(apTekst));
}

TEST_F(MenuFile, ValuesAreCutAtTwoHundredCharacters) {
  const std::string longName(250, 'a');
  const std::string longPath(230, 'x');
  auto act = Load<TAMenu>("2\n****\nP,,\n**\nI,,,\nTYP=1\nWARSTWA=" + longName + "\n");
  ASSERT_EQ(act->ErrorCode, 0);
  EXPECT_EQ(dynamic_cast<TAMenuItem*>(act->Popups[0]->Items[0].get())->Record.Warstwa,
            std::string(200, 'A'));
  auto vis = Load<TVMenu>("1\n****\nP,,\n**\nI,,,\nc * " + longPath + "\n");
  ASSERT_EQ(vis->ErrorCode, 0);
  EXPECT_EQ((*dynamic_cast<TVMenuItem*>(vis->Popups[0]->Items[0].get())->Actions)[0]->Path,
            std::string(200, 'X'));
  // Characters, not bytes: Polish letters count once.
  auto pl = Load<TAMenu>("2\n****\nP,,\n**\nI,,,\nTYP=1\nWARSTWA=x\nTEKST=" + std::string(10, 'b') +
                         [] { std::string s; for (int i = 0; i < 200; ++i) s += "ą"; return s; }() + "\n");
  ASSERT_EQ(pl->ErrorCode, 0);
  const std::string& t = dynamic_cast<TAMenuItem*>(pl->Popups[0]->Items[0].get())->Record.Tekst;
  EXPECT_EQ(t.substr(0, 10), std::string(10, 'b'));
  EXPECT_EQ(t.size(), 10u + 190u * 2u);
}

TEST_F(MenuFile, NamesComparedWithoutCaseOfAsciiLettersOnly) {
  EXPECT_TRUE(SameMenuName("Drogi Gminne", "dROGI gMINNE"));
  EXPECT_FALSE(SameMenuName("Łąki", "łąki"));
  EXPECT_FALSE(SameMenuName("Łąki", "ŁĄKI"));
  auto ok = Load<TVMenu>("1\n****\nŁąki,,\n**\nA,,,\nw l x\n**\nB,,,a\nw l y\n");
  EXPECT_EQ(ok->ErrorCode, 0);
  auto bad = Load<TVMenu>("1\n****\nP,,\n**\nŁąka,,,\nw l x\n**\nB,,,łąka\nw l y\n");
  EXPECT_EQ(bad->ErrorCode, 18);
}

TEST_F(MenuFile, PathNormalisation) {
  struct Case {
    std::uint8_t kind;
    const char* path;
    bool edit;
    const char* expected;
  } cases[] = {
      {vkLine, "Drogi 3", false, "*\\DROGI\\3"},
      {vkLine, "Drogi  3", true, "*\\Drogi\\3"},
      {vkLine, "Drogi gminne", false, "*\\DROGI GMINNE"},
      {vkText, "\\Kat/Opisy", false, "KAT\\OPISY"},
      {vkText, "*\\Opisy 2", false, "*\\OPISY 2"},
      {vkMainBase, "obręby", false, "GŁÓWNA BAZA\\OBRĘBY"},
      {vkMainBase, "Główna baza\\x", false, "GŁÓWNA BAZA\\X"},
      {vkMainBase, "\\główna baza\\x", false, "GŁÓWNA BAZA\\X"},
      {vkExtraBase, "a", true, "Dodatkowe działki\\a"},
      {vkContours, "a", false, "KONTURY KLASYFIKACYJNE\\A"},
      {vkHatches, "a", false, "SZRAFURY\\A"},
      {vkRasters, "a", false, "RASTRY\\A"},
      {vkSheets, "a", false, "PODZIAŁ SEKCYJNY\\A"},
      {vkAll, "\\x/y", false, "X\\Y"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NormaliseMenuPath(c.kind, c.path, c.edit), c.expected) << c.path;
  }
}

TEST_F(MenuFile, ImportedIconBlockDecodesToAnImage) {
  const auto bmp = MakeBmp(3, 2, 255, 0, 0);
  const std::string text = "1\nIkona=pierwsza\n" + HexLines(bmp) + "  ikona_koniec  \n" +
                           "Ikona=\nMargines=4\n****\nP,,*PIERWSZA\n**\nI,,,\nw l a\n";
  auto run = Load<TVMenu>(text);
  ASSERT_EQ(run->ErrorCode, 0) << MenuErrorText(*run);
  ASSERT_EQ(run->InBitmaps.size(), 1u);
  const TInBitmap& icon = *run->InBitmaps[0];
  ASSERT_NE(icon.Bitmap(), nullptr);
  EXPECT_EQ(icon.Bitmap()->Width(), 3);
  EXPECT_EQ(icon.Bitmap()->Height(), 2);
  EXPECT_EQ(icon.Bitmap()->Pixel(1, 1) & 0xFFFFFF, 0x0000FFu);  // red as 0x00BBGGRR
  EXPECT_TRUE(icon.Data().empty());
  EXPECT_EQ(icon.DisplayName(), "<zaimportowana>");
  EXPECT_EQ(icon.FileRef(), "*pierwsza");
  EXPECT_EQ(run->Margin, 4);
  EXPECT_EQ(run->Popups[0]->Icon, &icon);

  auto edit = Load<TVMenu>(text, true);
  ASSERT_EQ(edit->ErrorCode, 0);
  EXPECT_EQ(edit->InBitmaps[0]->Data(), bmp);
  std::string written;
  edit->InBitmaps[0]->SaveToFile(written);
  EXPECT_EQ(written, HexLines(bmp));
}

TEST_F(MenuFile, IconBlockWithAValueAboveAByteIsDroppedSilently) {
  auto menu = Load<TVMenu>("1\nIkona=x\n42 4D 100 00\nMargines=6\nIkona_Koniec\nRozmiar H=9\n****\n");
  EXPECT_EQ(menu->ErrorCode, 0);
  EXPECT_TRUE(menu->InBitmaps.empty());
  EXPECT_EQ(menu->Margin, 6);
  EXPECT_EQ(menu->SizeH, 9);
}

TEST_F(MenuFile, IconBlockOfDamagedImageGivesConversionError) {
  auto menu = Load<TVMenu>("1\nIkona=x\n42 4D 00 01 02\nIkona_Koniec\n****\n");
  EXPECT_EQ(menu->ErrorCode, 8);
  EXPECT_TRUE(menu->InBitmaps.empty());
  EXPECT_EQ(MenuErrorText(*menu), "Błąd konwersji.\r\nLinia: Ikona=x");
}

TEST_F(MenuFile, OutsideIconsAreSharedAndAMissingFileGivesNone) {
  TVMenu menu;
  menu.LoadFromFile(Write("1\n****\nP,,brak.bmp\n**\nI,,,\nw l a\n"), false);
  EXPECT_EQ(menu.ErrorCode, 0);
  EXPECT_EQ(menu.Popups[0]->Icon, nullptr);
}

TEST_F(MenuFile, TheImageOfAnAbandonedBlockIsNotKept) {
  auto menu = Load<TVMenu>("1\nIkona=a\nFF\n****\nP,,*a\n");
  EXPECT_EQ(menu->ErrorCode, 0);
  EXPECT_TRUE(menu->InBitmaps.empty());
  // The "****" line was data of the block: no popups follow the header.
  EXPECT_TRUE(menu->Popups.empty());
}

struct ErrorCase {
  int kind;
  const char* text;
  int code;
  const char* message;
};

TEST_F(MenuFile, EveryErrorCodeWithItsMessageAndContext) {
  const ErrorCase cases[] = {
      {1, "1\n****\nS,podmenu,\n**\nA,,,\nw l a\n****\nG,,\n**\nB,,S,\nw l b\n", 1,
       "Nie można definiować akcji dla pozycji wyświetlającej podmenu.\r\nLinia: w l b"},
      {2, "2\n****\nS,PODMENU,\n**\nA,,,\nTYP=1\nWARSTWA=a\n****\nG,,\n**\nB,,s,\nTYP=1\n", 1,
       "Nie można definiować akcji dla pozycji wyświetlającej podmenu.\r\nLinia: TYP=1"},
      {1, "1\n****\nP,,\n**\nA,,,\n\t,x\n", 3,
       "Nieznana akcja (dopuszczalne: w, n, k, o, p, c, v, m).\r\nLinia: ,x"},
      {1, "1\n****\nP,,\n**\nA,,,\nwl a\n", 3,
       "Nieznana akcja (dopuszczalne: w, n, k, o, p, c, v, m).\r\nLinia: wl a"},
      {1, "1\n****\nP,,\n**\nA,,,\nx l a\n", 3,
       "Nieznana akcja (dopuszczalne: w, n, k, o, p, c, v, m).\r\nLinia: x l a"},
      {1, "1\n****\nP,,\n**\nA,,,\nw\n", 4, "Nie zdefiniowano typu warstwy.\r\nLinia: w"},
      {1, "1\n****\nP,,\n**\nA,,,\nw q a\n", 5,
       "Nieznany typ warstwy (dopuszczalne: l, t, d, k, e, s, r, g, *).\r\nLinia: w q a"},
      {1, "1\n****\nP,,\n**\nA,,,\nw ll a\n", 5,
       "Nieznany typ warstwy (dopuszczalne: l, t, d, k, e, s, r, g, *).\r\nLinia: w ll a"},
      {1, "1\n****\nP,,\n**\nA,,,\nw l\n", 6,
       "Nie zdefiniowano ścieżki do elementów, których dotyczy akcja.\r\nLinia: w l"},
      {1, "1\n****\nP,,\n**\nA,,,\nm\n", 6,
       "Nie zdefiniowano ścieżki do elementów, których dotyczy akcja.\r\nLinia: m"},
      {2, "2\n****\nP,,\n**\nA,,,\nTYP 1\n", 7,
       "Niepoprawna postać akcji (format: <identyfikator>=<wartość>).\r\nLinia: TYP 1"},
      {1, "1\nMargines=dwa\n****\n", 8, "Błąd konwersji.\r\nLinia: Margines=dwa"},
      {2, "2\n****\nP,,\n**\nA,,,\nWSTAW=TT\n", 8, "Błąd konwersji.\r\nLinia: WSTAW=TT"},
      {2, "2\n****\nP,,\n**\nA,,,\nSKALA=1,5\n", 8, "Błąd konwersji.\r\nLinia: SKALA=1,5"},
      {2, "2\n****\nP,,\n**\nA,,,\nTYP =1\n", 9, "Nieznany identyfikator.\r\nLinia: TYP =1"},
      {1, "2\n", 11,
       "Niepoprawna wartość określająca rodzaj menu (dopuszczalne: 1 - menu widoczności, 2 - "
       "menu aktywności)."},
      {2, "Menu\n2\n", 11,
       "Niepoprawna wartość określająca rodzaj menu (dopuszczalne: 1 - menu widoczności, 2 - "
       "menu aktywności)."},
      {1, "1\n****\nG,,\n**\nB,,Pozniej,\nw l a\n****\nPozniej,podmenu,\n", 12,
       "Odwołanie do niezdefiniowanego wcześniej podmenu.\r\nLinia: B,,Pozniej,"},
      {1, "1\n****\nZwykly,,\n**\nA,,,\nw l a\n****\nG,,\n**\nB,,Zwykly,\n", 12,
       "Odwołanie do niezdefiniowanego wcześniej podmenu.\r\nLinia: B,,Zwykly,"},
      {1, "1\n****\nS,podmenu,\n**\nA,,S,\n", 13,
       "Odwołanie do podmenu z wnętrza podmenu.\r\nMenu: S"},
      {2, "2\n****\nP,,\n**\nA,,,\nWARSTWA=a\n", 15,
       "Nie zdefiniowano typu warstwy.\r\nPozycja menu: A"},
      {2, "2\n****\nP,,\n**\nMoja pozycja,,,\nTYP=1\n**\nB,,,\n", 16,
       "Nie zdefiniowano nazwy warstwy.\r\nPozycja menu: Moja pozycja"},
      {2, "2\n****\nP,,\n**\nOstatnia,,,\nTYP=1\n", 16,
       "Nie zdefiniowano nazwy warstwy.\r\nPozycja menu: Ostatnia"},
      {2, "2\n****\nP,,\n**\nNic,,,\n****\n", 16,
       "Nie zdefiniowano nazwy warstwy.\r\nPozycja menu: Nic"},
      {1, "1\n****\nS,podmenu,\n**\nA,,,\nw l a\n****\nG,,\n**\nB,,Nieznane,A\n", 17,
       "Podmenu nie może mieć przypisanej akcji łańcuchowej.\r\nLinia: B,,Nieznane,A"},
      {1, "1\n****\nP,,\n**\nA,,,Brak\n", 18,
       "Odwołanie do niezdefiniowanej wcześniej akcji.\r\nLinia: A,,,Brak"},
      {1, "1\n****\nS,podmenu,\n**\nA,,,\nw l a\n****\nG,,\n**\nB,,S,\n**\nC,,,b\n", 18,
       "Odwołanie do niezdefiniowanej wcześniej akcji.\r\nLinia: C,,,b"},
  };
  for (const ErrorCase& c : cases) {
    std::unique_ptr<TAVMenu> menu;
    if (c.kind == 1) menu = std::make_unique<TVMenu>();
    else menu = std::make_unique<TAMenu>();
    menu->LoadFromFile(Write(c.text), false);
    EXPECT_EQ(menu->ErrorCode, c.code) << c.text;
    EXPECT_EQ(MenuErrorText(*menu), c.message) << c.text;
  }
}

TEST_F(MenuFile, ReleasedIconLeavesNoDanglingLink) {
  const auto bmp = MakeBmp(2, 2, 0, 0, 255);
  auto menu = Load<TVMenu>("1\nIkona=a\n" + HexLines(bmp) + "Ikona_Koniec\n****\nP,,*a\n**\nI,*a,,\nw l x\n");
  ASSERT_EQ(menu->ErrorCode, 0);
  TMenuBitmap* icon = menu->InBitmaps[0].get();
  menu->ReleaseBitmap(icon);  // two users: kept
  ASSERT_EQ(menu->InBitmaps.size(), 1u);
  menu->Popups[0]->Icon = nullptr;
  menu->ReleaseBitmap(icon);  // one user left: freed, and the user forgets it
  EXPECT_TRUE(menu->InBitmaps.empty());
  EXPECT_EQ(menu->Popups[0]->Items[0]->Icon, nullptr);
}

TEST_F(MenuFile, ActionCodeTwoComesFromAnEmptyActionLine) {
  // The reader never hands over an empty line; the code is the item's own.
  TVMenuItem item("A", nullptr, nullptr, nullptr);
  EXPECT_EQ(item.AddActionLine("", false), 2);
  EXPECT_EQ(item.AddActionLine(" \t ", false), 2);
  TAVMenuPopup sub("S", true);
  TVMenuItem opener("B", &sub, nullptr, nullptr);
  EXPECT_EQ(opener.AddActionLine("w l a", false), 1);
}

TEST_F(MenuFile, WhatWasBuiltBeforeAFaultStays) {
  auto menu = Load<TVMenu>("1\n****\nP,,\n**\nA,,,\nw l a\n**\nB,,,\nzz\n**\nC,,,\n");
  EXPECT_EQ(menu->ErrorCode, 3);
  ASSERT_EQ(menu->Popups.size(), 1u);
  EXPECT_EQ(menu->Popups[0]->Items.size(), 2u);
}

TEST_F(MenuFile, SeparatorAndColumnItemsOfAnActivityMenuNeedNoLayer) {
  auto menu = Load<TAMenu>("2\n****\nP,,\n**\n-,,,\n**\n|,,,\n**\nA,,,\nTYP=2\nWARSTWA=x\n");
  EXPECT_EQ(menu->ErrorCode, 0) << MenuErrorText(*menu);
  EXPECT_EQ(menu->Popups[0]->Items.size(), 3u);
}

}  // namespace
