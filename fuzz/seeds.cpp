// Writes the seed corpora of the fuzz harnesses: fuzz_seeds FOLDER makes
// FOLDER/<harness>/ and fills it with files written by the program's own
// writers (the record and index engine, the users file editor, the ini and
// registry writers, the save record's setters). The symbol, line-style and
// stroke-font files have no writer in the program; they are composed here
// field by field after their layouts in the headers (tools/common/defwrite.h). Every seed of a harness
// that takes choice bytes starts with them.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/defwrite.h"
#include "controls/dock.h"
#include "controls/toolbar.h"
#include "controls/toolbarbutton.h"
#include "controls/toolbarpos.h"
#include "controls/toolbarsep.h"
#include "foundation/storage/btree.h"
#include "foundation/storage/bytes.h"
#include "foundation/storage/recordfile.h"
#include "foundation/settings/settings.h"
#include "foundation/users/users.h"
#include "layers/store/layerfiles.h"
#include "objects/defelements.h"
#include "objects/linestylelib.h"
#include "objects/fraction.h"
#include "objects/point.h"
#include "objects/saverecord.h"
#include "objects/styledlines.h"
#include "objects/symbol.h"
#include "objects/texts.h"
#include "objects/symbollib.h"
#include "platform/files/codepage.h"
#include "platform/gui/forms.h"
#include "platform/files/inifile.h"
#include "platform/files/registry.h"
#include "tools/oldlayer.h"
#include "ui/usermenu.h"
#include "view/krzyzconf.h"
#include "view/viewcfg.h"

namespace {

namespace fs = std::filesystem;

fs::path gOut;
fs::path gWork;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Seed(const std::string& harness, const std::string& name, const std::string& bytes) {
  const fs::path folder = gOut / harness;
  fs::create_directories(folder);
  std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out) {
    std::fprintf(stderr, "fuzz_seeds: cannot write %s/%s\n", harness.c_str(), name.c_str());
    std::exit(1);
  }
}

std::string Work(const std::string& name) {
  fs::remove(gWork / name);
  return (gWork / name).string();
}

void Require(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "fuzz_seeds: %s failed (error word %u)\n", what, DBErrorCode);
    std::exit(1);
  }
}

// --- Record and index files ------------------------------------------------

// Choice byte: bit 0 shared, bit 1 append-only, bit 2 lock anchor.
void RecordFiles() {
  struct Case {
    std::uint8_t Choice;
    std::uint16_t RecSize;
    int Records;
    int Deleted;
  } cases[] = {{0x00, 20, 0, 0}, {0x10, 20, 12, 3}, {0x05, 40, 30, 5}, {0x02, 16, 25, 0}, {0x24, 200, 6, 2}};
  int n = 0;
  for (const Case& c : cases) {
    const bool shared = (c.Choice & 1) != 0, appendOnly = (c.Choice & 2) != 0;
    DBMultiUser = shared;
    TDataFile f;
    const std::string path = Work("seed.dat");
    MakeFile(f, nullptr, path, c.RecSize, shared, appendOnly);
    Require(f.IsOpen, "MakeFile");
    std::vector<std::uint8_t> rec(c.RecSize);
    for (int i = 0; i < c.Records; ++i) {
      for (std::size_t b = 0; b < rec.size(); ++b) rec[b] = static_cast<std::uint8_t>(i * 7 + b);
      rec[0] = DBRecInUse;
      std::int32_t no = 0;
      AddRec(f, no, rec.data());
      Require(DBOk, "AddRec");
    }
    for (int i = 0; i < c.Deleted; ++i) {
      DeleteRec(f, 2 + 3 * i);
      Require(DBOk, "DeleteRec");
    }
    std::vector<std::uint8_t> header(f.RegionLength, 0x11);
    WriteUserHeader(f, header.data(), f.RegionLength);
    CloseFile(f);
    DBMultiUser = false;
    Seed("recordfile", "seed-" + std::to_string(n++), std::string(1, static_cast<char>(c.Choice)) + ReadAll(path));
  }
}

// Choice byte: bit 0 shared, bit 1 duplicates, bit 2 lock anchor.
void IndexFiles() {
  struct Case {
    std::uint8_t Choice;
    int KeyLength;
    int Keys;
    int Deleted;
  } cases[] = {{0x00, 4, 0, 0}, {0x04, 10, 12, 2}, {0x02, 6, 100, 10}, {0x05, 8, 250, 120}, {0x02, 1, 30, 0}};
  int n = 0;
  for (const Case& c : cases) {
    const bool shared = (c.Choice & 1) != 0, duplicates = (c.Choice & 2) != 0;
    DBMultiUser = shared;
    const std::string path = Work("seed.idx");
    {
      TIndexFile ix;
      MakeIndex(ix, nullptr, path, c.KeyLength, duplicates, shared);
      Require(ix.IsOpen, "MakeIndex");
      for (int i = 0; i < c.Keys; ++i) {
        // Polish letters sort by their code-page bytes; duplicates repeat keys.
        std::string key = (i % 3 == 0 ? "Łąka" : i % 3 == 1 ? "dom" : "Ż") + std::to_string(duplicates ? i % 7 : i);
        AddKey(ix, i + 1, key);
        Require(DBOk, "AddKey");
      }
      for (int i = 0; i < c.Deleted; ++i) {
        std::string key = (i % 3 == 0 ? "Łąka" : i % 3 == 1 ? "dom" : "Ż") + std::to_string(duplicates ? i % 7 : i);
        std::int32_t rec = i + 1;
        DeleteKey(ix, rec, key);
        Require(DBOk, "DeleteKey");
      }
      CloseIndex(ix);
      Require(DBOk, "CloseIndex");
    }
    DBMultiUser = false;
    Seed("indexfile", "seed-" + std::to_string(n++), std::string(1, static_cast<char>(c.Choice)) + ReadAll(path));
  }
}

// --- Users, ini and registry files -----------------------------------------

void UsersFiles() {
  TUsersFileEditor editor;
  editor.New();
  editor.AddUser(1, "admin", "Administrator systemu");
  editor.SetRights(1, 0xFFFFFFFFu);
  const std::string one = Work("one.usr");
  Require(editor.Save(one) == kUsersOk, "users Save");
  // Choice byte 1: the harness fixes the check value of a mutated file.
  Seed("users", "seed-0", "\x01" + ReadAll(one));

  editor.AddUser(2, "jkowalski", "Jan Kowalski");
  editor.SetAccount(2, "kowalski");
  editor.SetRights(2, kRightLogon | 0x30);
  editor.SetObjectRight(2, 0, true);
  editor.SetObjectRight(2, 255, true);
  editor.SetPassword(2, "tajne hasło");
  editor.AddUser(300, "żółw", "Źdźbło Łąkowe");
  const std::string three = Work("three.usr");
  Require(editor.Save(three) == kUsersOk, "users Save");
  Seed("users", "seed-1", "\x01" + ReadAll(three));
  Seed("users", "seed-2", std::string(1, '\0') + ReadAll(three));
}

void IniFiles() {
  const std::string path = Work("seed.ini");
  {
    platform::TIniFile ini(path);
    ini.WriteString("Różności", "Użytkownicy", "\\\\serwer\\dane\\uzytk.dat");
    ini.WriteInteger("Ekran", "Kroj", 2);
    ini.WriteInteger("Ekran", "Skala", 1000);
    ini.WriteBool("Ekran", "Pełny", true);
    ini.WriteString("Pliki", "SymbolDefs", "symbole.sym");
    ini.WriteString("Pliki", "LineDefs", "  linie.lin  ");
    ini.WriteString("Pliki", "Pusty", "");
  }
  Seed("inifile", "seed-0", ReadAll(path));
  // Comments, a line before the first section and lines without '=' are
  // kept by the reader; the writer makes none of them.
  Seed("inifile", "seed-1",
       "; ustawienia\r\nbez sekcji=1\r\n[Ekran]\r\nKroj=$1F\r\nSkala=0x10\r\nlinia bez znaku\r\n"
       "[ekran]\r\nKroj=3\r\n[Inne]\nA = b = c\n");
}

void RegistryFiles() {
  const std::string path = Work("seed.reg");
  {
    platform::TRegistry reg(path);
    Require(reg.OpenKey("\\Software\\Varnox\\Tolvika 3", true), "OpenKey");
    reg.WriteString("Ścieżka", "C:\\Mapy\\\"cytat\"\r\nnowa linia");
    reg.WriteInteger("Okno", -17);
    reg.WriteBool("Pełny ekran", true);
    Require(reg.OpenKey("Porządek warstw", true), "OpenKey");
    reg.WriteString("1", "drogi");
    reg.WriteString("2", "");
    Require(reg.OpenKey("\\Software\\Inne", true), "OpenKey");
    reg.WriteInteger("Liczba", 0x7FFFFFFF);
  }
  Seed("registry", "seed-0", ReadAll(path));

  // The layer order as the view saves it, with a key name escaped and a
  // value of the wrong type.
  const std::string order = Work("order.reg");
  {
    platform::TRegistry reg(order);
    Require(reg.OpenKey("\\Software\\Varnox\\Tolvika Demo\\Porządek warstw\\Przyklad", true), "OpenKey");
    reg.WriteInteger("Default", 0x7FFFFFFF);
    Require(reg.OpenSubKey("Mapa", true), "OpenSubKey");
    reg.WriteInteger("Default", 1);
    Require(reg.OpenSubKey("l-Stare\\Domy", true), "OpenSubKey");
    reg.WriteInteger("Default", 0);
    Require(reg.OpenKey("\\Software\\Varnox\\Tolvika Demo\\Porządek warstw\\Przyklad\\Inne", true), "OpenKey");
    reg.WriteString("Default", "zero");
    Require(reg.OpenSubKey("t-100%", true), "OpenSubKey");
    reg.WriteInteger("Default", -3);
  }
  Seed("layerorder", "seed-0", ReadAll(order));
}

// --- Texts -----------------------------------------------------------------

void Texts() {
  std::string every;
  for (int b = 0; b < 256; ++b) every.push_back(static_cast<char>(b));
  Seed("codepage", "seed-0", every);
  Seed("codepage", "seed-1", platform::Utf8ToCp1250("Zażółć gęślą jaźń ZAŻÓŁĆ GĘŚLĄ JAŹŃ"));
  Seed("codepage", "seed-2", "Zażółć gęślą jaźń – „cytat” € ✓");

  // Choice byte: bit 0 quote ', bit 1 drop a trailing empty piece, bits 4-7
  // the least count.
  Seed("textsplit", "seed-0", std::string("\x30") + "a,b,\"c,d\",e,,");
  Seed("textsplit", "seed-1", std::string("\x01") + "Arial,10,238,1,0");
  Seed("textsplit", "seed-2", std::string("\x00", 1) + "12 -3.5e2 \"ab cd\" x\t,7 1,5 Łódź");
  Seed("textsplit", "seed-3", std::string("\x02") + "'x, y' ,'unterminated");

  // Header files have no writer in the program: "key = value" lines up to "**".
  Seed("headerreader", "seed-0",
       platform::Utf8ToCp1250("Nazwa = Mapa zasadnicza\r\nSkala = 1000\r\nX0 = 5500000.25\r\n"
                              "Układ = 2000/18\r\n** koniec nagłówka\r\nreszta pliku\r\n"));
  Seed("headerreader", "seed-1", "a=1\nA=2\nb = -2147483648\nc = 1e308\n");
}

// --- Save records ------------------------------------------------------------

// Choice byte: bit 0 read-only text sublayer, bits 4-7 its default justification.
void SaveRecords() {
  int n = 0;
  auto put = [&](std::uint8_t choice, const ObjectSaveRecord& rec) {
    const auto& b = rec.Bytes();
    Seed("saverecord", "seed-" + std::to_string(n++),
         std::string(1, static_cast<char>(choice)) + std::string(b.begin(), b.end()));
  };
  ObjectSaveRecord line;
  line.SetLineKind(kLineKindLine, kThicknessThick);
  line.SetIndex(12345);
  line.SetIdentifier(77);
  line.SetPoint1(TPointRec{5500000.5, 4500000.25, 101.5f});
  line.SetPoint2(TPointRec{5500010.0, 4500003.0, 99.0f});
  line.SetStyleNumber(20);
  line.SetMultiplier(1.5);
  put(0, line);

  ObjectSaveRecord arc;
  arc.SetFlags(kRecArchived);
  arc.SetLineKind(kLineKindArc);
  arc.SetPoint1(TPointRec{0, 10, 0});
  arc.SetPoint2(TPointRec{10, 0, 0});
  arc.SetRadius(-10);
  put(0, arc);

  ObjectSaveRecord circle;
  circle.SetLineKind(kLineKindCircle, kThicknessThin);
  circle.SetPoint1(TPointRec{100, 200, 3});
  circle.SetRadius(25);
  put(0, circle);

  ObjectSaveRecord text;
  text.SetKindByte(kTextKindRefText);
  text.SetAnchor(TRealPoint{10, 20});
  text.SetText("Działka 123/4");
  text.SetHeight(2.5f);
  text.SetAngle(0.5f);
  text.SetTextFlags(static_cast<std::uint8_t>(3 | kTextFlagUnderline));
  text.SetRefOffset(TSingleVector{1.5f, -2.0f});
  put(0x71, text);

  ObjectSaveRecord symbol;
  symbol.SetKindByte(kTextKindSymbol);
  symbol.SetAnchor(TRealPoint{1, 2});
  symbol.SetText("KRZ");
  symbol.SetHeight(1);
  put(0x70, symbol);

  ObjectSaveRecord fraction;
  fraction.SetKindByte(kTextKindRefFraction);
  fraction.SetFraction("123", "45");
  fraction.SetHeight(3);
  put(0x70, fraction);
}

// --- Definition files (no writer in the program) -----------------------------

using defwrite::Element;
using defwrite::Section;

void SymbolFiles() {
  // "KRZ": a cross in a circle with a rectangular bound; "DPI": a device
  // symbol with a halo, a line and an arc and a round bound.
  const std::vector<defwrite::SymbolDef> symbols = {
      {"KRZ",
       {2, 5, 8, 11},
       1.0,
       {Element(-1, 0, 1, 0, 0, kElemLine), Element(0, -1, 0, 1, 0, kElemLine),
        Element(0, 0, 0, 0, 1, kElemCircle), Element(-1, 1, 1, -1, 0, 8)}},
      {"dpi",
       {-1, 1, 1, 1},
       1.0,
       {Element(-2, 0, 2, 0, 0, kElemLine), Element(0, 2, 2, 0, 2, kElemArc),
        Element(0, 0, 0, 0, 2.5, 9)}},
  };
  Seed("symbollib", "seed-0", defwrite::SymbolFile(symbols));
}

void GeneratorFiles() {
  // One generator of each file kind over three elements (a line, an arc and
  // a circle); the two choice bytes first: two points, a segment of 10.
  std::string headers;
  for (std::uint8_t type = 1; type <= 5; ++type)
    headers += defwrite::GeneratorHeader("GEN" + std::to_string(type), 1, 3, type, {1, 1}, {1, 6}, {2.5, 1});
  const std::string elements = Element(1, 1, 1, 6, 0, kElemLine) + Element(1, 1, 2, 3, 1, kElemArc) +
                               Element(1.5, 3, 0, 0, 0.5, kElemCircle);
  const std::string file = defwrite::DefinitionFile(defwrite::kGeneratorMagic, 5, headers, elements);
  Seed("generators", "seed-0", std::string("\0\x0A", 2) + file);
  Seed("generators", "seed-1", std::string("\x02\x0A", 2) + file);
}

void LineStyleFiles() {
  // Style 20 "KRES": dashes of 5 in a pattern of 10 with a tick at each
  // end; a variant for 1:500; style 21 "PLOT" plain with pen style 2.
  std::string recs, elements;
  elements += Element(0, 0, 0, 5, 0, kElemLine);   // 1: dash
  elements += Element(-1, 0, 1, 0, 0, kElemLine);  // 2: tick
  elements += Element(0, 1, 0, 1, 1, kElemCircle); // 3: ring
  const std::string none = defwrite::NoSection();
  recs += defwrite::LineRecord("KRES", 20, 1, -1, Section(2, 1, 0, 1, 0), Section(1, 1, 0, 10, 11),
                               Section(2, 1, 0, 1, 0));
  recs += defwrite::VariantRecord(500, -1, none, Section(3, 1, 0, 4, 2), none);
  recs += defwrite::LineRecord("PLOT", 21, 0, 2, none, none, none);
  Seed("linestylelib", "seed-0", defwrite::DefinitionFile(kLineStyleFileMagic, 3, recs, elements));
}

void StrokeFonts() {
  // Characters from 'A' on: 'A' two parts, 'B' one part, 'C' none.
  defwrite::FontSpec font;
  font.Glyphs = {
      {8, {{{0, 10}, {4, 0}, {8, 10}}, {{2, 5}, {6, 5}}}},
      {7, {{{0, 0}, {0, 10}, {6, 8}, {0, 5}, {6, 2}, {0, 0}}}},
      {4, {}},
  };
  Seed("strokefont", "seed-0", defwrite::FontBytes(font));
}

// --- Layer objects: records written by each class ---------------------------

void LayerObjectRecords() {
  int n = 0;
  auto put = [&](std::uint8_t choice, const TEGraphObj& obj) {
    ObjectSaveRecord rec;
    obj.SaveToRecord(rec);
    const auto& b = rec.Bytes();
    Seed("saverecord", "layer-" + std::to_string(n++),
         std::string(1, static_cast<char>(choice)) + std::string(b.begin(), b.end()));
  };
  TLiniaSpecjalna line(TRealPoint{10, 20}, TRealPoint{30, 40}, nullptr, 0.1234);
  line.Style.Thickness = 2;
  put(0, line);
  TOkragSpecjalny circle(TPointRec{1, 2, 3}, 4);
  circle.Style.Multiplier = 2.5f;
  put(0, circle);
  put(0, TLukSpecjalny(TPointRec{0, 0, 0}, TPointRec{0, 10, 0}, -13));
  TPunkt point(TRealPoint{5, 6});
  point.Position.Z = 7.5f;
  put(0, point);
  put(0x70, TWysKatNapis(TRealPoint{1, 2}, "Łąka 12", 2.5, 0x47, true, 0.5f));
  put(0x71, TWysKatOdnNapis(TRealPoint{1, 2}, "123/4", 1, 3, false, 0.0f, TRealPoint{5, 5}));
  TLicznikMianownik fraction(TRealPoint{1, 2}, "125", "3", 2, 7, false, 0.25f);
  fraction.NoReference = 0;
  put(0x70, fraction);
  TWysKatSymbol symbol;
  symbol.Text = "BRAK";
  symbol.Height = 2;
  symbol.Angle = 1;
  put(0x70, symbol);
}


// Layer files written by the layer store: a line and a text layer with a
// second sublayer, live, rewritten and archived records of every kind, and a
// copy of the line layer whose descriptor and packet say the index cells are
// kept. Choice byte: bit 0 text, bit 1 write.
void LayerFiles() {
  SetDefaultLayerLockWait(nullptr);
  const std::string dir = gWork.string() + "/";
  for (int text = 0; text < 2; ++text) {
    const std::string name = text ? "seed----.--t" : "seed----.--l";
    fs::remove(gWork / name);
    TMainWarstwaHeader h;
    h.Kind = text ? 0 : 1;
    h.Description = "Warstwa ziarno";
    std::unique_ptr<TNewTextLinWarstwaFile> f;
    if (text) f = TNewTextWarstwaFile::CreateNew(nullptr, dir, h, name);
    else f = TNewLinWarstwaFile::CreateNew(nullptr, dir, h, name);
    std::uint8_t mode = kOpenWrite;
    if (f->Open(mode) != 0) {
      std::fprintf(stderr, "fuzz_seeds: layer open failed\n");
      std::exit(1);
    }
    TWarstwaHeader sub;
    sub.ShortName = "Druga";
    f->WritePodwarstwaHeader(sub, 1);
    for (int i = 0; i < 40; ++i) {
      ObjectSaveRecord r;
      r.SetKindByte(static_cast<std::uint8_t>(i % (text ? 5 : 4)));
      r.SetSublayer(static_cast<std::uint8_t>(i % 2));
      r.SetDouble(kRecP1X, i * 2.5);
      r.SetDouble(kRecP1Y, 100 - i);
      r.SetDouble(kRecP2X, i * 3.0);
      r.SetDouble(kRecP2Y, 50 + i);
      r.SetDouble(kRecRadius, i % 3 ? 4.0 : -4.0);
      if (text) {
        r.SetByte(kRecText, 3);
        r.SetByte(kRecText + 1, 'a');
        r.SetByte(kRecText + 2, 'b');
        r.SetByte(kRecText + 3, 'c');
        r.SetByte(kRecTextFlags, static_cast<std::uint8_t>(i % 10));
      }
      f->AddRecord(r);
    }
    ObjectSaveRecord r;
    f->WriteRecord(3, r);
    f->MoveToArch(7, 9);
    f->Close();
    const std::string bytes = ReadAll(gWork / name);
    Seed("layerfile", text ? "text-read" : "line-read", std::string(1, static_cast<char>(text)) + bytes);
    Seed("layerfile", text ? "text-write" : "line-write",
         std::string(1, static_cast<char>(text | 2)) + bytes);
    // Maintenance: three slots more, sublayer 1 moved to 0 or emptied.
    Seed("layermaint", text ? "text-move" : "line-move", std::string(1, static_cast<char>(text | 0x0C)) + bytes);
    Seed("layermaint", text ? "text-clean" : "line-clean",
         std::string(1, static_cast<char>(text | 0x8C)) + bytes);
    if (!text) {
      std::string indexed = bytes;
      indexed[74] = static_cast<char>(indexed[74] | 4);
      const std::size_t packet = 512 + 512 * 10;
      indexed[packet + 4] = 0x5;  // cells kept, a zero cell
      indexed[packet + 24 + 7] = 0x40;  // DX 2.0
      indexed[packet + 32 + 7] = 0x40;  // DY 2.0
      for (int i = 0; i < 40; ++i) indexed[packet + 48 + 4 * i] = static_cast<char>(2 + i);
      Seed("layerfile", "line-indexed", std::string(1, '\x00') + indexed);
    }
  }
}

// Layer files for the tree: a line layer of three sublayers (line styles 1,
// 3 and 20, one 3-D, one with a display threshold) and a text layer of two
// (a free and a fixed justification, constant height, italic, a masked
// layer with two numbers), their records written by the objects
// themselves, spread along the diagonal of the harness's world 0..200; one record rewritten
// and one archived. Choice byte: bit 0 text, bit 1 edit and save, bits 2-7
// the small window's corner (here 9 units).
void LayerTreeFiles() {
  SetDefaultLayerLockWait(nullptr);
  // The objects ask the program's libraries, which read the settings: keep
  // their file in the work folder, not the current one.
  SetLibraryErrorBox([](const std::string&) {});
  SetSettingsMessageBox([](const std::string&, const std::string&) {});
  SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>((gWork / "tolvika.ini").string()));
  const std::string dir = gWork.string() + "/";
  for (int text = 0; text < 2; ++text) {
    const std::string name = text ? "tree----.--t" : "tree----.--l";
    fs::remove(gWork / name);
    TMainWarstwaHeader h;
    h.Kind = text ? 0 : 1;
    h.Description = text ? "Opisy drzewa" : "Linie drzewa";
    std::unique_ptr<TNewTextLinWarstwaFile> f;
    if (text) f = TNewTextWarstwaFile::CreateNew(nullptr, dir, h, name);
    else f = TNewLinWarstwaFile::CreateNew(nullptr, dir, h, name);
    std::uint8_t mode = kOpenWrite;
    if (f->Open(mode) != 0) {
      std::fprintf(stderr, "fuzz_seeds: tree layer open failed\n");
      std::exit(1);
    }
    const int sublayers = text ? 2 : 3;
    for (int i = 0; i < sublayers; ++i) {
      TWarstwaHeader sub;
      sub.Type = 4u | static_cast<std::uint32_t>(h.Kind);
      sub.ShortName = "Pod" + std::to_string(i);
      sub.FullName = "Podwarstwa numer " + std::to_string(i);
      sub.Colour = 0x0000FFu << (8 * i);
      sub.PrintColour = sub.Colour;
      if (text) {
        sub.Justification = static_cast<std::uint8_t>(i == 0 ? 7 : 0x10 | 5);
        if (i == 1) {
          sub.Type |= (1u << 20) | (1u << 16) | (1u << 21);
          sub.SizeMultiplier = 2.5f;
          sub.TextParam = "TREE";
          sub.Param38 = 2u | (3u << 8) | (9u << 16);  // two masked sublayers, 3 and 9
        }
      } else {
        const std::uint16_t styles[] = {1, 3, 20};
        sub.StyleNumber = styles[i];
        sub.StyleMultiplier = 1.5f;
        sub.Width1 = 0.1f;
        sub.Width2 = 0.5f;
        if (i == 1) sub.Type |= 1u << 16;
        if (i == 2) sub.Threshold = 2000;
      }
      f->WritePodwarstwaHeader(sub, i);
    }
    auto add = [&](const TEGraphObj& obj, int sub) {
      ObjectSaveRecord r;
      obj.SaveToRecord(r);
      r.SetSublayer(static_cast<std::uint8_t>(sub));
      f->AddRecord(r);
    };
    for (int i = 0; i < 24; ++i) {
      const double x = 5 + 7.5 * i, y = 5 + 7 * i;
      const int sub = i % sublayers;
      if (text) {
        switch (i % 4) {
          case 0: add(TWysKatNapis(TRealPoint{x, y}, "Działka " + std::to_string(i), 2.5, 7, i % 8 == 0, 0.3f), sub); break;
          case 1: add(TWysKatOdnNapis(TRealPoint{x, y}, "12/" + std::to_string(i), 2, 3, false, 0.0f,
                                      TRealPoint{x + 4, y - 4}), sub); break;
          case 2: add(TLicznikMianownik(TRealPoint{x, y}, "125", std::to_string(i), 2, 7, false, 0.0f), sub); break;
          default: {
            TWysKatSymbol symbol;
            symbol.Text = "KRZ";
            symbol.Height = 2;
            symbol.Position = TRealPoint{x, y};
            add(symbol, sub);
          }
        }
      } else {
        switch (i % 4) {
          case 0: add(TLiniaSpecjalna(TRealPoint{x, y}, TRealPoint{x + 20, y - 15}, nullptr, 1.0), sub); break;
          case 1: add(TOkragSpecjalny(TPointRec{x, y, 1.5f}, 4 + i % 3), sub); break;
          case 2: add(TLukSpecjalny(TPointRec{x, y, 0}, TPointRec{x + 10, y, 0}, i % 3 ? 7 : -7), sub); break;
          default: add(TPunkt(TRealPoint{x, y}), sub);
        }
      }
    }
    ObjectSaveRecord r;
    f->ReadRecordAt(5, r);
    f->WriteRecord(5, r);
    f->MoveToArch(9, 9);
    f->Close();
    const std::string bytes = ReadAll(gWork / name);
    const char base = static_cast<char>(text | (3 << 2));
    Seed("layertree", text ? "text-read" : "line-read", std::string(1, base) + bytes);
    Seed("layertree", text ? "text-edit" : "line-edit", std::string(1, static_cast<char>(base | 2)) + bytes);
  }
  ReleaseLineManager();
  ReleaseSymbolManager();
  FreeGlobalnaKonfiguracja();
  SetSettingsMessageBox(nullptr);
  SetLibraryErrorBox(nullptr);
}
}  // namespace

namespace {

// --- User-menu files ---------------------------------------------------------

// The menu files are composed as text; the icon block's data lines come from
// the imported icon's own writer. Choice byte: bit 0 activity menu, bit 1
// edit mode.
void MenuFiles() {
  // A 2 x 2 BMP file image, 24 bits.
  std::string bmp = "BM";
  const auto u32 = [&bmp](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bmp.push_back(static_cast<char>((v >> (8 * i)) & 255));
  };
  const auto u16 = [&bmp](std::uint16_t v) {
    bmp.push_back(static_cast<char>(v & 255));
    bmp.push_back(static_cast<char>(v >> 8));
  };
  u32(54 + 16); u32(0); u32(54);
  u32(40); u32(2); u32(2); u16(1); u16(24); u32(0); u32(16); u32(2835); u32(2835); u32(0); u32(0);
  for (int row = 0; row < 2; ++row) bmp += std::string("\x00\x00\xFF\x00\xFF\x00\x00\x00", 8);
  TInBitmap icon("ik", nullptr, std::vector<std::uint8_t>(bmp.begin(), bmp.end()));
  std::string block;
  icon.SaveToFile(block);

  const std::string visibility =
      "1\r\nMargines=3\r\nRozmiar H=40\r\nIkona=ik\r\n" + block +
      "Ikona_Koniec\r\n****\r\nPod,podmenu,\r\n**\r\nDrogi,*ik,,\r\nw l Drogi 3\r\n"
      "c d obreby\r\n**\r\n-\r\n**\r\n|\r\n****\r\nGlowne,,*IK\r\n**\r\nOtworz,,Pod,\r\n"
      "**\r\nKlawisze,,,Drogi\r\nm ^F1\r\nn t \\Kat\\Opisy\r\nk s *\r\n";
  const std::string activity =
      "2\r\nMargines=2\r\n****\r\nRysuj,,\r\n**\r\nLinia,,,\r\nTYP=1\r\nWARSTWA=drogi\r\n"
      "PODWARSTWA=2\r\nTYP LINII=$10\r\nGRUBOSC=1\r\nSKALA=1.5\r\nWSTAW=T\r\n"
      "GENERATOR=g\r\nODSTEP=0.5\r\nKATALOG=k\r\n**\r\nTekst,,,Linia\r\nTYP=2\r\n"
      "WARSTWA=opisy\r\nWYSOKOSC=2\r\nKAT=30\r\nPODKRESLENIE=n\r\nODNOSNIK=t\r\n"
      "JUSTYFIKACJA=5\r\nTEKST=Ala\r\nSYMBOL=drzewo\r\nNAZWA LINII=kreska\r\n";
  Seed("menufile", "seed-0", std::string(1, '\0') + visibility);
  Seed("menufile", "seed-1", std::string(1, '\2') + visibility);
  Seed("menufile", "seed-2", std::string(1, '\1') + activity);
  Seed("menufile", "seed-3", std::string(1, '\3') + platform::Utf8ToCp1250(activity));
}

// Toolbar positions as the main form saves them: docked in two docks and
// floating, one hidden.
void ToolbarPositionFiles() {
  auto form = platform::MakeForm<platform::TForm>();
  form->SetBounds(0, 0, 500, 400);
  auto* top = form->Create<TDock>(nullptr, "DockTop");
  top->SetParent(form.get());
  auto* bottom = form->Create<TDock>(nullptr, "DockBottom");
  bottom->SetPosition(TDockPosition::dpBottom);
  bottom->SetParent(form.get());
  const char* names[] = {"Standard", "Edycja", "Pomiar"};
  TDock* docks[] = {top, bottom, nullptr};
  for (int i = 0; i < 3; ++i) {
    auto* bar = form->Create<TToolbar>(nullptr, names[i]);
    bar->SetDockRow(i);
    bar->SetDockedTo(docks[i]);
    form->Create<TToolbarButton>(bar);
    form->Create<TToolbarSep>(bar);
    form->Create<TToolbarButton>(bar);
  }
  form->Get<TToolbar>("Edycja").SetVisible(false);
  const std::string path = Work("toolbars.ini");
  SaveToolbarPositionsToIni(*form, path);
  Seed("toolbarpos", "seed-0", ReadAll(path));
}

// --- View and cursor settings ----------------------------------------------

// Written by the two groups, then the keys only read (the decimals and the
// angle unit) and a file of values no setting can have.
void ViewSettingsFiles() {
  const std::string path = Work("view.ini");
  {
    platform::TIniFile ini(path);
    TKrzyzConf cursor;
    cursor.CelownikWmm = 2.5;
    cursor.SnapType = 3;
    cursor.Write(ini);
    TTvViewCfg view;
    view.RozmiarX = 1024;
    view.RozmiarY = 700;
    view.KolorTla = 0x00FF80;
    view.LastBase = "Gmina Łódź";
    view.Write(ini);
    ini.WriteInteger("Dzialki", "Ilość cyfr po przecinku", 3);
    ini.WriteBool("Działki", "Stopnie", false);
  }
  Seed("viewsettings", "seed-0", ReadAll(path));
  Seed("viewsettings", "seed-1",
       "[Krzyz]\r\nCelownikW=-4\r\nTyp zatrzasku=300\r\n[Digitizer]\r\nCelownikWmm=1e999\r\n"
       "[Dzialki]\r\nIlo\x9c\xe6 cyfr po przecinku=2000000000\r\n"
       "[Okno]\r\nKolorTla=zielony\r\nRozmiarX=100000\r\nRozmiarY=0\r\nInterwal odswierzania=-1\r\n"
       "[Inne]\r\nInterwa\xb3 automatycznego zachowywania=99999999\r\n");
}

// --- Catalogue files of a layer database ----------------------------------

// "baza.cnf" has no writer in the program: number, kind letter and name lines.
void CatalogueNumberFiles() {
  Seed("bazacnf", "seed-0", "12 L ROADS\r\n  7 t roads \r\n\r\n3 L RZEKI\r\n12 L ROADS\r\n");
  Seed("bazacnf", "seed-1", "Nazwa=Katalog 1\r\nSymbole=znaki.sym\r\n");
  Seed("bazacnf", "seed-2", "1 T\tA\n-2147483648 L MIN\n2147483647 T MAX\n9 ABC\n");
  Seed("bazacnf", "seed-3", platform::Utf8ToCp1250("5 L DZIAŁKI\r\nx L ZŁE\r\n"));
}

}  // namespace

// --- Old-format layer files --------------------------------------------------

// Written by the builder of old-format files (the program has no writer of
// that format). Choice byte: bit 0 text layer.
void OldLayerFiles() {
  using namespace oldlayer;
  {
    Builder b(true);
    Header h;
    h.kind = 1;
    h.highest = 2;
    h.description = Mazovia("Drogi żwirowe");
    h.value = 5;
    b.SetSlot(0, h);
    b.SetSlot(1, h);
    Header shortHeader = h;
    shortHeader.length = 100;
    b.SetSlot(2, shortHeader);
    for (int i = 0; i < 40; ++i) {
      LineRecord r;
      r.x1 = i;
      r.y1 = i * 0.5;
      r.x2 = i + 3;
      r.y2 = 2;
      r.kind = static_cast<std::uint8_t>(i % 3);
      r.radius = i % 2 ? 4 : -4;
      r.thick = i % 5 == 0;
      r.styleNibble = i % 7 == 0 ? 15 : static_cast<std::uint8_t>(i % 4);
      r.sublayer = static_cast<std::uint8_t>(i % 12);
      r.deleted = i % 6 == 1;
      b.Add(r);
    }
    Seed("oldlayer", "line", std::string(1, '\x00') + b.Bytes());
    b.AddRaw("cut");
    Seed("oldlayer", "line-cut", std::string(1, '\x06') + b.Bytes());
  }
  {
    Builder b(false);
    Header h;
    h.kind = 2;
    h.highest = 1;
    h.sizeMultiplier = 1.5;
    b.SetSlot(0, h);
    b.SetSlot(1, h);
    for (int i = 0; i < 30; ++i) {
      TextRecord r;
      r.x = i;
      r.y = -i;
      r.height = 2;
      r.flags = static_cast<std::uint8_t>(i % 3 == 1 ? 0x20 | 5 : 3);
      if (i % 3 == 1) {
        r.text = Mazovia("Punkt ąę");
        r.refX = i + 1.5;
        r.refY = -i - 2.5;
      } else if (i % 3 == 2) {
        r.text = "\xFE" "SYMBOL";
      } else {
        r.text = Mazovia("Łąka nr ") + std::to_string(i);
      }
      r.sublayer = static_cast<std::uint8_t>(i % 3);
      r.deleted = i % 8 == 3;
      b.Add(r);
    }
    Seed("oldlayer", "text", std::string(1, '\x01') + b.Bytes());
  }
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
    return 2;
  }
  gOut = argv[1];
  gWork = gOut / ".work";
  fs::remove_all(gWork);
  fs::create_directories(gWork);
  RecordFiles();
  IndexFiles();
  UsersFiles();
  IniFiles();
  RegistryFiles();
  Texts();
  SaveRecords();
  SymbolFiles();
  GeneratorFiles();
  LineStyleFiles();
  StrokeFonts();
  LayerObjectRecords();
  LayerFiles();
  LayerTreeFiles();
  OldLayerFiles();
  MenuFiles();
  ToolbarPositionFiles();
  CatalogueNumberFiles();
  ViewSettingsFiles();
  fs::remove_all(gWork);
  return 0;
}
