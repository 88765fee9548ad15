// Layer files of the previous format, written by the independent builder of
// tools/oldlayer.h and read through the old-format classes, the enumeration
// and the layer-file interface.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>

#include "foundation/errors.h"
#include "foundation/text/datetime.h"
#include "foundation/text/numtext.h"
#include "foundation/users/users.h"
#include "layer_fixture.h"
#include "layers/store/dberrors.h"
#include "layers/store/layerapi.h"
#include "layers/store/layerstats.h"
#include "layers/store/oldlayer.h"
#include "platform/files/codepage.h"
#include "tools/oldlayer.h"

namespace {

using oldlayer::Builder;
using oldlayer::Header;
using oldlayer::LineRecord;
using oldlayer::TextRecord;

template <class E, class F>
void ExpectRaise(F f, const std::string& message) {
  try {
    f();
    ADD_FAILURE() << "no exception";
  } catch (const E& e) {
    EXPECT_EQ(std::string(e.what()), message);
  }
}

Header LineHeader(std::uint8_t highest = 0) {
  Header h;
  h.kind = 1;
  h.highest = highest;
  return h;
}

Header TextHeader(std::uint8_t highest = 0) {
  Header h;
  h.kind = 2;
  h.highest = highest;
  return h;
}

LineRecord Line(double x1, double y1, double x2, double y2, std::uint8_t sublayer = 0) {
  LineRecord r;
  r.x1 = x1;
  r.y1 = y1;
  r.x2 = x2;
  r.y2 = y2;
  r.sublayer = sublayer;
  return r;
}

class OldLayerTest : public LayerTest {
protected:
  std::unique_ptr<TLinWarstwaFile> OpenLine(const Builder& b, const std::string& name = "DROGI---.--L",
                                            std::uint32_t count = 0) {
    EXPECT_TRUE(b.Write(PathOf(name)));
    auto f = std::make_unique<TLinWarstwaFile>(Dir(), name, count);
    std::uint8_t mode = kOpenRead;
    EXPECT_EQ(f->Open(mode), kDBOk);
    return f;
  }
  std::unique_ptr<TTxtWarstwaFile> OpenText(const Builder& b, const std::string& name = "OPISY---.--T") {
    EXPECT_TRUE(b.Write(PathOf(name)));
    auto f = std::make_unique<TTxtWarstwaFile>(Dir(), name, 0);
    std::uint8_t mode = kOpenRead;
    EXPECT_EQ(f->Open(mode), kDBOk);
    return f;
  }
  // Every live record of the plain read.
  static std::vector<ObjectSaveRecord> ReadAll(TWarstwaFile& f) {
    std::vector<ObjectSaveRecord> out;
    ObjectSaveRecord rec;
    int rc = f.ReadCurrent(rec);
    while (rc == kDBOk) {
      out.push_back(rec);
      rc = f.ReadRecord(rec);
    }
    EXPECT_EQ(rc, kDBEnd);
    return out;
  }
};

// The magic follows the last letter of the file name in either case; the
// header's fields are converted into the sublayer header.
TEST_F(OldLayerTest, LineHeaderConvertedWithTheMagicOfTheName) {
  Builder b(true);
  Header h = LineHeader(2);
  h.description = oldlayer::Mazovia("Drogi gminne żwirowe");
  h.colour = 4;
  h.value = 321;
  h.style = 5;
  h.screenWidth = 3;
  h.type = 2;
  h.width1 = 0.5;
  h.width2 = 0.75;
  h.shortName = "DG";
  h.threshold = 2500;
  h.layerByte = 9;
  b.SetSlot(0, h);
  b.SetSlot(1, LineHeader(2));
  b.SetSlot(2, LineHeader(2));
  for (const std::string name : {"DROGI---.--L", "DROGI---.--l"}) {
    auto f = OpenLine(b, name, 321);
    TWarstwaHeader s;
    s.PrintColour = 0x123456;
    s.LineWidth = 7.5f;
    f->ReadPodwarstwaHeader(s, 0);
    EXPECT_EQ(s.FullName, "Drogi gminne żwirowe");
    EXPECT_EQ(s.ShortName, "DG");
    EXPECT_EQ(s.Colour, StdColor(4));
    EXPECT_EQ(s.Threshold, 2500);
    EXPECT_EQ(s.Live, 321);
    EXPECT_EQ(s.Archived, 0);
    EXPECT_EQ(s.Type, (2u << 4) | 1u | 4u);
    EXPECT_EQ(s.StyleNumber, 6);
    EXPECT_EQ(s.ScreenWidth, 3);
    EXPECT_EQ(s.StyleMultiplier, 1.0f);
    EXPECT_EQ(s.Width1, 0.5f);
    EXPECT_EQ(s.Width2, 0.75f);
    // Not set by the old format: kept as the caller passed them.
    EXPECT_EQ(s.PrintColour, 0x123456u);
    EXPECT_EQ(s.LineWidth, 7.5f);
    TMainWarstwaHeader m;
    f->ReadWarstwaHeader(m);
    EXPECT_EQ(m.Kind, 1u);
    // The layer's description is taken as stored; only the full names of
    // the sublayers are recoded from Mazovia.
    EXPECT_EQ(m.Description, platform::Cp1250ToUtf8(oldlayer::Mazovia("Drogi gminne żwirowe")));
    EXPECT_NE(m.Description, "Drogi gminne żwirowe");
    EXPECT_EQ(m.Highest, 2);
    EXPECT_EQ(m.Slots, 10);
    EXPECT_EQ(m.Reserved, 9);
  }
}

// A header record whose stored length is 100 keeps the defaults for every
// field from offset 100 on, whatever the slot holds there.
TEST_F(OldLayerTest, StoredLengthOfOneHundredKeepsTheDefaults) {
  Builder b(false);
  Header h = TextHeader();
  h.length = 100;
  h.description = "Opisy";
  h.width1 = 9;
  h.justification = 2;
  h.shortName = "XX";
  h.textA = 1;
  h.sizeMultiplier = 3;
  h.threshold = 10;
  h.shown = 0;
  b.SetSlot(0, h);
  auto f = OpenText(b);
  TWarstwaHeader s;
  f->ReadPodwarstwaHeader(s, 0);
  EXPECT_EQ(s.FullName, "Opisy");  // below 100: read
  EXPECT_EQ(s.ShortName, "");
  EXPECT_EQ(s.Justification, 7);
  EXPECT_EQ(s.SizeMultiplier, 1.0f);
  EXPECT_EQ(s.Threshold, 0);
  EXPECT_EQ(s.Type, 4u);  // shown by default, no text options
  EXPECT_EQ(s.Sizes, (std::array<float, 4>{0.5f, 1.0f, 2.0f, 5.0f}));
}

TEST_F(OldLayerTest, TextHeaderFlags) {
  Builder b(false);
  Header h = TextHeader();
  h.sizeMultiplier = 1.5;
  h.textA = 1;
  h.textB = 1;
  h.textBits = 3;
  h.justification = 5;
  h.shown = 0;
  b.SetSlot(0, h);
  auto f = OpenText(b);
  TWarstwaHeader s;
  f->ReadPodwarstwaHeader(s, 0);
  EXPECT_EQ(s.Type, 0x100000u | 0x10000u | 0x20000u | (3u << 18));
  EXPECT_EQ(s.SizeMultiplier, 1.5f);
  EXPECT_EQ(s.Justification, 5);
}

// Ten slots: index 9 is read, 10 is refused; an unreadable slot and a file
// not open are errors of their own.
TEST_F(OldLayerTest, SublayerIndexNineReadTenRefused) {
  Builder b(true);
  b.SetSlot(0, LineHeader(9));
  for (int i = 1; i < 10; ++i) b.SetSlot(i, LineHeader(9));
  Header wrong = LineHeader();
  wrong.magic = 0x4DA5;
  b.SetSlot(4, wrong);
  auto f = OpenLine(b);
  TWarstwaHeader s;
  EXPECT_NO_THROW(f->ReadPodwarstwaHeader(s, 9));
  ExpectRaise<EDBWarstwaInvalidHIdx>([&] { f->ReadPodwarstwaHeader(s, 10); }, "Błędny numer podwarstwy");
  ExpectRaise<EDBWarstwaInvalidHIdx>([&] { f->ReadPodwarstwaHeader(s, -1); }, "Błędny numer podwarstwy");
  ExpectRaise<EDBWarstwaError>([&] { f->ReadPodwarstwaHeader(s, 4); }, "Błąd podczas odczytu nagłówka");
  f->Close();
  ExpectRaise<ENotOpen>([&] { f->ReadPodwarstwaHeader(s, 0); }, "Warstwa nie otwarta");
  TMainWarstwaHeader m;
  ExpectRaise<ENotOpen>([&] { f->ReadWarstwaHeader(m); }, "Warstwa nie otwarta");
}

TEST_F(OldLayerTest, LineRecordsDecoded) {
  Builder b(true);
  b.SetSlot(0, LineHeader(3));
  LineRecord arc = Line(1, 2, 3, 4, 3);
  arc.kind = 1;
  arc.radius = -2.5;
  arc.thick = true;
  arc.styleNibble = 6;
  arc.z1 = 100.5;
  arc.z2 = 101;
  b.Add(arc);
  LineRecord gone = Line(5, 5, 6, 6);
  gone.deleted = true;
  b.Add(gone);
  LineRecord styled = Line(10, 20, 30, 40, 1);
  styled.styleNibble = 15;
  styled.styleScale = 1500;
  styled.styleNumber = 42;
  b.Add(styled);
  LineRecord line = Line(7, 7, 8, 8, 2);
  line.radius = 12.75;  // a line keeps its radius field as well
  b.Add(line);
  auto f = OpenLine(b);
  const auto recs = ReadAll(*f);
  ASSERT_EQ(recs.size(), 3u);
  const ObjectSaveRecord& a = recs[0];
  EXPECT_EQ(a.GetIndex(), 1u);
  EXPECT_EQ(a.GetKindByte(), 0x11);
  EXPECT_EQ(a.GetSublayer(), 3);
  EXPECT_EQ(a.GetDouble(kRecP1X), 1);
  EXPECT_EQ(a.GetDouble(kRecP2Y), 4);
  EXPECT_EQ(a.GetRadius(), -2.5);
  EXPECT_EQ(a.GetSingle(kRecZ1), 100.5f);
  EXPECT_EQ(a.GetSingle(kRecZ2), 101.0f);
  EXPECT_EQ(a.GetStyleNumber(), 6);
  EXPECT_EQ(a.GetWord(kRecMultiplier), 1000);
  const ObjectSaveRecord& s = recs[1];
  EXPECT_EQ(s.GetIndex(), 3u);  // the deleted record keeps its number
  EXPECT_EQ(s.GetKindByte(), 0);
  EXPECT_EQ(s.GetStyleNumber(), 42);
  EXPECT_EQ(s.GetWord(kRecMultiplier), 1500);
  // The radius field is read for every kind; with the style nibble 15 its
  // bytes are the style words.
  const Bytes file = ReadBytes(PathOf("DROGI---.--L"));
  EXPECT_EQ(s.GetRadius(), oldfmt::Real(&file[5120 + 2 * 45 + 25]));
  EXPECT_EQ(recs[2].GetKindByte(), 0);
  EXPECT_EQ(recs[2].GetRadius(), 12.75);
  ObjectSaveRecord one;
  EXPECT_EQ(f->ReadRecordAt(3, one), kDBOk);
  EXPECT_EQ(one.Bytes(), s.Bytes());
  EXPECT_EQ(f->ReadRecordAt(4, one), kDBOk);
  EXPECT_EQ(one.GetRadius(), 12.75);
  EXPECT_THROW(f->ReadRecordAt(5, one), EInOutError);
  EXPECT_THROW(f->ReadRecordAt(0, one), EInOutError);
}

// A sublayer byte is read as sublayer 0 only above the file's ten slots: a
// record of a sublayer above the highest in use keeps its sublayer (it used
// to land in sublayer 0, and a conversion of the layer with it).
TEST_F(OldLayerTest, SublayerAboveTheTenSlotsReadsAsZero) {
  struct Case {
    std::uint8_t highest, stored, read;
  };
  const Case cases[] = {{4, 4, 4},  {1, 3, 3},   {4, 7, 7},  {9, 9, 9},
                        {0, 10, 10}, {9, 11, 0}, {0, 255, 0}};
  for (const Case& c : cases) {
    Builder b(true);
    b.SetSlot(0, LineHeader(c.highest));
    b.Add(Line(0, 0, 1, 1, c.stored));
    auto f = OpenLine(b);
    const auto recs = ReadAll(*f);
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(recs[0].GetSublayer(), c.read) << int(c.highest) << " " << int(c.stored);
  }
}

TEST_F(OldLayerTest, TextRecordsDecoded) {
  Builder b(false);
  b.SetSlot(0, TextHeader(1));
  TextRecord plain;
  plain.x = 100;
  plain.y = 200;
  plain.height = 2.5;
  plain.angle = 0.5;
  plain.flags = 5;
  plain.text = oldlayer::Mazovia("Łąka źródło ŻÓŁW");
  plain.sublayer = 1;
  b.Add(plain);
  TextRecord ref;
  ref.x = 1000;
  ref.y = 2000;
  ref.flags = 0x20 | 3;
  ref.text = oldlayer::Mazovia("Ściana");
  ref.refX = 1010.5;
  ref.refY = 1990;
  b.Add(ref);
  TextRecord symbol;
  symbol.x = 7;
  symbol.y = 8;
  symbol.text = std::string("\xFE") + "ZNAK\x86";
  b.Add(symbol);
  auto f = OpenText(b);
  const auto recs = ReadAll(*f);
  ASSERT_EQ(recs.size(), 3u);
  EXPECT_EQ(recs[0].GetKindByte(), kTextKindText);
  EXPECT_EQ(recs[0].GetText(), "Łąka źródło ŻÓŁW");
  EXPECT_EQ(recs[0].GetAnchor().X, 100);
  EXPECT_EQ(recs[0].GetHeight(), 2.5f);
  EXPECT_EQ(recs[0].GetAngle(), 0.5f);
  EXPECT_EQ(recs[0].GetTextFlags(), 5);
  EXPECT_EQ(recs[0].GetSublayer(), 1);
  EXPECT_EQ(recs[1].GetKindByte(), kTextKindRefText);
  EXPECT_EQ(recs[1].GetText(), "Ściana");
  EXPECT_EQ(recs[1].GetRefOffset().X, 10.5f);
  EXPECT_EQ(recs[1].GetRefOffset().Y, -10.0f);
  EXPECT_EQ(recs[2].GetKindByte(), kTextKindSymbol);
  // A symbol name is taken as stored: no letter is recoded.
  EXPECT_EQ(TextOf(recs[2]), "ZNAK\x86");
}

// A text with a reference point is read as its length byte gives it (cut to
// 47 like every text): characters 19 to 30 share their bytes with the
// point, which is read from them as well.
TEST_F(OldLayerTest, ReferenceTextReadToItsStoredLength) {
  Builder b(false);
  b.SetSlot(0, TextHeader());
  TextRecord ref;
  ref.flags = 0x20;
  ref.text = std::string(30, 'A');
  ref.refX = 5;
  ref.refY = 6;
  b.Add(ref);
  auto f = OpenText(b);
  const auto recs = ReadAll(*f);
  ASSERT_EQ(recs.size(), 1u);
  const Bytes file = ReadBytes(PathOf("OPISY---.--T"));
  const std::string stored(file.begin() + 5120 + 27, file.begin() + 5120 + 27 + 30);
  EXPECT_EQ(TextOf(recs[0]), oldfmt::MazoviaToCp1250(stored));
  EXPECT_EQ(TextOf(recs[0]).substr(0, 18), std::string(18, 'A'));
  EXPECT_EQ(recs[0].GetRefOffset().X, 5.0f);
}

TEST_F(OldLayerTest, RectangleReadTakesEitherPointOfALine) {
  Builder b(true);
  b.SetSlot(0, LineHeader());
  b.Add(Line(0, 0, 1, 1));      // 1: point 1 inside
  b.Add(Line(50, 50, 60, 60));  // 2: outside
  b.Add(Line(50, 50, 5, 5));    // 3: point 2 inside
  LineRecord gone = Line(2, 2, 3, 3);
  gone.deleted = true;
  b.Add(gone);                  // 4: deleted
  auto f = OpenLine(b);
  std::vector<std::uint32_t> numbers;
  ObjectSaveRecord rec;
  int rc = f->SeekFirst({-1, -1, 10, 10}, rec);
  while (rc == kDBOk) {
    numbers.push_back(rec.GetIndex());
    rc = f->ReadNext(rec);
  }
  EXPECT_EQ(rc, kDBEnd);
  EXPECT_EQ(numbers, (std::vector<std::uint32_t>{1, 3}));
  EXPECT_EQ(f->ReadNext(rec), kDBNothing);
  EXPECT_EQ(f->ReadRecord(rec), kDBNothing);
}

// More records than one buffer holds (65520 bytes: 1456 line records), and a
// piece of a record at the end, which is no record.
TEST_F(OldLayerTest, PlainReadAcrossBufferFillsEndsBeforeAPieceOfARecord) {
  Builder b(true);
  b.SetSlot(0, LineHeader());
  for (int i = 0; i < 3000; ++i) {
    LineRecord r = Line(i, i, i + 1, i + 1);
    r.deleted = i % 7 == 3;
    b.Add(r);
  }
  b.AddRaw(std::string(20, '\0'));
  auto f = OpenLine(b);
  const auto recs = ReadAll(*f);
  std::size_t expected = 0;
  for (int i = 0; i < 3000; ++i) {
    if (i % 7 == 3) continue;
    ASSERT_LT(expected, recs.size());
    EXPECT_EQ(recs[expected].GetIndex(), static_cast<std::uint32_t>(i + 1));
    EXPECT_EQ(recs[expected].GetDouble(kRecP1X), i);
    ++expected;
  }
  EXPECT_EQ(recs.size(), expected);
}

TEST_F(OldLayerTest, OpenModesAndOperationsOfTheReadOnlyFormat) {
  Builder b(true);
  b.SetSlot(0, LineHeader());
  b.Add(Line(0, 0, 1, 1));
  ASSERT_TRUE(b.Write(PathOf("DROGI---.--L")));
  TLinWarstwaFile f(Dir(), "DROGI---.--L");
  ObjectSaveRecord rec;
  EXPECT_EQ(f.ReadCurrent(rec), kDBNotOpen);
  EXPECT_EQ(f.SeekFirst({0, 0, 1, 1}, rec), kDBNotOpen);
  EXPECT_EQ(f.ReadRecordAt(1, rec), kDBNothing);
  EXPECT_EQ(f.Close(), kDBNothing);
  std::uint8_t mode = kOpenWrite;
  EXPECT_EQ(f.Open(mode), kDBAccess);
  EXPECT_FALSE(f.IsOpen());
  mode = kOpenWriteIfPossible;
  EXPECT_EQ(f.Open(mode), kDBOk);
  EXPECT_EQ(mode, kOpenRead);
  EXPECT_TRUE(f.IsReadOnly());
  EXPECT_EQ(f.Open(mode), kDBOk);  // twice is harmless
  EXPECT_EQ(f.SeekRecord(nullptr, rec), kDBNotImplemented);
  EXPECT_EQ(f.ReadRecordAtSeek(rec), kDBNotImplemented);
  ExpectRaise<ENotImplemented>([&] { f.WritePodwarstwaHeader(TWarstwaHeader(), 0); },
                               "TWarstwaFile.WritePodwarstwaHeader not implemented yet");
  ExpectRaise<ENotImplemented>([&] { f.AddRecord(rec); }, "TWarstwaFile.AddRecord not implemented yet");
  TUserIDs ids{1, 2, 3, 4};
  f.GetUserIDs(1, ids);
  EXPECT_EQ(ids.Creator, 0);
  EXPECT_EQ(ids.Modifier, 0);
  EXPECT_TRUE(IsPackedDateTimeEmpty(ids.Created));
  EXPECT_TRUE(IsPackedDateTimeEmpty(ids.Modified));
  EXPECT_EQ(f.Close(), kDBOk);
  EXPECT_EQ(f.Close(), kDBNothing);
  // A file missing: not a sharing violation.
  TLinWarstwaFile missing(Dir(), "BRAK----.--L");
  mode = kOpenRead;
  EXPECT_EQ(missing.Open(mode), kDBNothing);
}

TEST_F(OldLayerTest, StatisticsCountAZeroLengthLineAsAPoint) {
  Builder b(true);
  b.SetSlot(0, LineHeader(1));
  b.Add(Line(0, 0, 3, 4));
  b.Add(Line(2, 2, 2, 2, 1));
  LineRecord circle = Line(0, 0, 0, 0);
  circle.kind = 2;
  circle.radius = 1;
  b.Add(circle);
  LineRecord half = Line(-1, 0, 1, 0);
  half.kind = 1;
  half.radius = 1;
  b.Add(half);
  auto f = OpenLine(b);
  TDBStatystykaList list(NoCancel());
  f->Statystyka(list);
  ASSERT_EQ(list.Count(), 11);
  const TDBStatystyka& s0 = list.Item(0);
  const auto* lines = dynamic_cast<const TDBLiniowyStatystyka*>(s0.Find(1));
  ASSERT_NE(lines, nullptr);
  EXPECT_EQ(lines->Count, 1);
  EXPECT_DOUBLE_EQ(lines->Length, 5.0);
  const auto* circles = dynamic_cast<const TDBLiniowyStatystyka*>(s0.Find(4));
  ASSERT_NE(circles, nullptr);
  EXPECT_DOUBLE_EQ(circles->Length, 2 * std::numbers::pi);
  const auto* arcs = dynamic_cast<const TDBLiniowyStatystyka*>(s0.Find(2));
  ASSERT_NE(arcs, nullptr);
  EXPECT_DOUBLE_EQ(arcs->Length, std::numbers::pi);
  const auto* points = list.Item(1).Find(8);
  ASSERT_NE(points, nullptr);
  EXPECT_EQ(points->Count, 1);
}

// Files that are not old layer files: too short, a foreign magic, a count
// of sublayers beyond the slots. Reads fail with the format's errors and
// never read outside the file.
TEST_F(OldLayerTest, MalformedFilesGiveErrorsNotCrashes) {
  {
    std::ofstream(PathOf("KROTKI--.--L"), std::ios::binary) << std::string(5119, '\x97');
    TLinWarstwaFile f(Dir(), "KROTKI--.--L");
    std::uint8_t mode = kOpenRead;
    ASSERT_EQ(f.Open(mode), kDBOk);
    TMainWarstwaHeader m;
    ExpectRaise<EDBWarstwaError>([&] { f.ReadWarstwaHeader(m); }, "Błąd podczas odczytu nagłówka");
    ObjectSaveRecord rec;
    EXPECT_EQ(f.ReadCurrent(rec), kDBEnd);
  }
  {
    Builder b(true);
    Header h = LineHeader(200);
    h.length = 0xFFFF;
    b.SetSlot(0, h);
    b.Add(Line(0, 0, 1, 1, 150));
    auto f = OpenLine(b);
    TMainWarstwaHeader m;
    f->ReadWarstwaHeader(m);
    EXPECT_EQ(m.Highest, 200);  // as stored; the slots stay 10
    EXPECT_EQ(m.Slots, 10);
    TWarstwaHeader s;
    ExpectRaise<EDBWarstwaInvalidHIdx>([&] { f->ReadPodwarstwaHeader(s, 10); }, "Błędny numer podwarstwy");
    const auto recs = ReadAll(*f);
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(recs[0].GetSublayer(), 0);
  }
}

// --- Through the enumeration and the interface -------------------------------

class OldLayerApiTest : public OldLayerTest {
protected:
  void SetUp() override {
    OldLayerTest::SetUp();
    cat_ = PathOf("kat") + "/";
    std::filesystem::create_directories(cat_);
    std::ofstream(cat_ + "baza.cnf") << "7 L STARE\n8 T OPISY\n";
    std::ofstream(PathOf("baza.ini")) << "[baza]\nGmina=\n[Gmina]\nKat1=" << cat_ << "\n";
    store_ = std::make_unique<TLayerStore>(PathOf("baza.ini"));
  }
  void TearDown() override { store_.reset(); }
  std::string cat_;
  std::unique_ptr<TLayerStore> store_;
};

TEST_F(OldLayerApiTest, ListedReadAndRefusedForWriting) {
  Builder line(true);
  Header h = LineHeader(1);
  h.description = oldlayer::Mazovia("Stare drogi ąę");
  h.value = 2;
  line.SetSlot(0, h);
  line.SetSlot(1, LineHeader(1));
  line.Add(Line(1, 1, 2, 2, 1));
  line.Add(Line(3, 3, 4, 4));
  ASSERT_TRUE(line.Write(cat_ + "STARE---.--L"));
  Builder text(false);
  text.SetSlot(0, TextHeader());
  ASSERT_TRUE(text.Write(cat_ + "OPISY---.--T"));
  // Passed over: a sublayer count beyond the slots, and a short file.
  Builder bad(true);
  bad.SetSlot(0, LineHeader(10));
  ASSERT_TRUE(bad.Write(cat_ + "ZLE-----.--L"));
  std::ofstream(cat_ + "KROTKI--.--L") << "abc";

  TBaza* baza = DBInt::OpenBase(*store_, 1, "Gmina");
  std::map<std::string, TAllWarstwaHeader> entries;
  TAllWarstwaHeader e;
  for (int r = DBInt::GetWarstwyList(*store_, e, baza); r == kDBOk;
       r = DBInt::GetWzorceList(*store_, e, baza))
    entries[e.Name] = e;
  ASSERT_EQ(entries.size(), 2u);
  const TAllWarstwaHeader& s = entries["STARE"];
  EXPECT_EQ(s.Kind, 1);
  EXPECT_EQ(s.Description, "Stare drogi ąę");
  EXPECT_EQ(s.Highest, 1);
  EXPECT_EQ(s.Slots, 10);
  EXPECT_EQ(s.LayerNumber, 7);
  EXPECT_EQ(s.OldValue, 2u);
  EXPECT_EQ(entries["OPISY"].Kind, 0);
  EXPECT_EQ(entries["OPISY"].LayerNumber, 8);
  EXPECT_NE(dynamic_cast<TTxtWarstwaFile*>(entries["OPISY"].File), nullptr);

  TWarstwaFile* layer = s.File;
  ExpectRaise<EAccessError>([&] { DBInt::OpenWarstwa(*store_, layer, false); }, "DB: Błąd dostępu");
  EXPECT_EQ(DBInt::OpenWarstwa(*store_, layer, true), kDBOk);
  ObjectSaveRecord rec;
  EXPECT_EQ(DBInt::ReadCurrent(*store_, layer, rec), kDBOk);
  EXPECT_EQ(rec.GetSublayer(), 1);
  EXPECT_EQ(DBInt::ReadRecord(*store_, layer, rec), kDBOk);
  EXPECT_EQ(DBInt::ReadRecord(*store_, layer, rec), kDBEnd);
  EXPECT_EQ(DBInt::SeekRecord(*store_, layer, nullptr, rec), kDBNotImplemented);
  TWarstwaHeader sh;
  store_->ReadPodwarstwaHeader(layer, 1, sh);
  EXPECT_EQ(sh.Live, 2);
  EXPECT_THROW(store_->WriteRecord(layer, 1, rec), ENotImplemented);
  EXPECT_EQ(store_->GetWarstwaNumber(layer), 7);
  EXPECT_EQ(DBInt::CloseWarstwa(*store_, layer), kDBOk);
}

}  // namespace
