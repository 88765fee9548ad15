// Conversion of old-format layer files (written by tools/oldlayer.h) into
// current-format files, checked byte by byte and through the current
// format's own reader.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "foundation/errors.h"
#include "layer_fixture.h"
#include "layers/store/dberrors.h"
#include "layers/store/layerconv.h"
#include "layers/store/layerstats.h"
#include "layers/store/oldlayer.h"
#include "platform/files/faultinject.h"
#include "tools/oldlayer.h"

namespace {

using namespace layerfmt;
using oldlayer::Builder;
using oldlayer::Header;

class Progress : public IConversionProgress {
public:
  void SetMax(std::int32_t m) override { max = m; }
  void SetPosition(std::int32_t p) override { position = p; }
  void CheckCanceled() override {
    if (++checks == cancelAt) throw ECanceled();
  }
  std::int32_t max = -1, position = -1;
  int checks = 0;
  int cancelAt = -1;
};

Header OldHeader(std::uint8_t kind, std::uint8_t highest) {
  Header h;
  h.kind = kind;
  h.highest = highest;
  return h;
}

oldlayer::LineRecord OldLine(double x, double y, std::uint8_t sublayer = 0) {
  oldlayer::LineRecord r;
  r.x1 = x;
  r.y1 = y;
  r.x2 = x + 1;
  r.y2 = y + 2;
  r.sublayer = sublayer;
  return r;
}

class LayerConvTest : public LayerTest {
protected:
  TConversionResult Convert(const Builder& b, const std::string& from = "STARE---.--L",
                            const std::string& to = "NOWE----.--l") {
    EXPECT_TRUE(b.Write(PathOf(from)));
    return ConvertLayerFile(PathOf(from), PathOf(to), progress_);
  }
  std::unique_ptr<TNewTextLinWarstwaFile> OpenNew(bool line, const std::string& name = "NOWE----.--l") {
    std::unique_ptr<TNewTextLinWarstwaFile> f;
    if (line) f = std::make_unique<TNewLinWarstwaFile>(&base_, Dir(), name);
    else f = std::make_unique<TNewTextWarstwaFile>(&base_, Dir(), name);
    std::uint8_t mode = kOpenWrite;
    EXPECT_EQ(f->Open(mode), kDBOk);
    return f;
  }
  Progress progress_;
};

// The smallest old file: the header and the slots, no packet.
TEST_F(LayerConvTest, EmptyOldFileGivesHeaderAndSlotsOnly) {
  Builder b(true);
  Header h = OldHeader(1, 0);
  h.description = oldlayer::Mazovia("Drogi ąść");
  b.SetSlot(0, h);
  const TConversionResult r = Convert(b);
  EXPECT_EQ(r.Records, 0);
  const Bytes bytes = ReadBytes(PathOf("NOWE----.--l"));
  ASSERT_EQ(bytes.size(), 512u + 10 * 512u);
  EXPECT_EQ(std::memcmp(bytes.data(), "TV_1", 4), 0);
  EXPECT_EQ(GetU16(&bytes[4]), 64);
  const std::uint8_t* d = &bytes[kDescriptorOffset];
  EXPECT_EQ(GetU16(d + kDescLength), 104);
  EXPECT_EQ(GetU16(d + kDescPackets), 0);
  EXPECT_EQ(GetU32(d + kDescKind), 1u);
  EXPECT_EQ(d[kDescSlots], 10);
  EXPECT_EQ(d[kDescReserved], 2);
  EXPECT_EQ(GetU32(d + kDescAdded), 0u);
  EXPECT_EQ(progress_.max, 5120);
  auto f = OpenNew(true);
  TMainWarstwaHeader m;
  f->ReadWarstwaHeader(m);
  EXPECT_EQ(m.Description, "Drogi ąść");
  ObjectSaveRecord rec;
  EXPECT_EQ(f->ReadCurrent(rec), kDBEnd);
}

// 4097 records fill one packet and open a second; deleted records 3, 4, 5
// and 9 become the free list 3 -> 4 -> 5 -> 9 with the run 3..5 marked in
// record 3; the current format's reader then reads every live record with
// its old number, and takes the free records first for new ones.
TEST_F(LayerConvTest, FourThousandNinetySevenRecordsTwoPacketsAndTheFreeRuns) {
  Builder b(true);
  b.SetSlot(0, OldHeader(1, 2));
  b.SetSlot(1, OldHeader(1, 2));
  b.SetSlot(2, OldHeader(1, 2));
  for (int n = 1; n <= 4097; ++n) {
    oldlayer::LineRecord r = OldLine(n % 100, n / 100, static_cast<std::uint8_t>(n % 3));
    r.deleted = n == 3 || n == 4 || n == 5 || n == 9;
    b.Add(r);
  }
  const TConversionResult r = Convert(b);
  EXPECT_EQ(r.Records, 4097);
  EXPECT_EQ(r.Deleted, 4);
  const Bytes bytes = ReadBytes(PathOf("NOWE----.--l"));
  const std::int64_t R = kLineRecordSize;
  ASSERT_EQ(static_cast<std::int64_t>(bytes.size()), DataStart(10) + 2 * kPacketOverhead + 4097 * R);
  const std::uint8_t* d = &bytes[kDescriptorOffset];
  EXPECT_EQ(GetU16(d + kDescPackets), 2);
  EXPECT_EQ(GetU32(d + kDescAdded), 4097u);
  EXPECT_EQ(GetU32(d + kDescFreeCount), 4u);
  const auto addr = [&](std::int64_t n) { return RecordAddress(n, 10, R); };
  EXPECT_EQ(GetU32(d + kDescFreeHead), static_cast<std::uint32_t>(addr(3)));
  const std::uint8_t* p1 = &bytes[static_cast<std::size_t>(DataStart(10))];
  EXPECT_EQ(GetU16(p1), 40);
  EXPECT_EQ(GetU16(p1 + 2), 0);
  EXPECT_EQ(GetU32(p1 + 4), kPacketFull);
  const std::uint8_t* p2 = &bytes[static_cast<std::size_t>(DataStart(10) + PacketSize(R))];
  EXPECT_EQ(GetU16(p2 + 2), 1);
  EXPECT_EQ(GetU32(p2 + 4), 0u);
  const auto at = [&](std::int64_t n) { return &bytes[static_cast<std::size_t>(addr(n))]; };
  EXPECT_EQ(GetU32(at(3)), static_cast<std::uint32_t>(addr(4)));
  EXPECT_EQ(GetU32(at(3) + 4), 3u);
  EXPECT_EQ(GetU32(at(3) + 8), static_cast<std::uint32_t>(addr(5)));
  EXPECT_EQ(GetU32(at(4)), static_cast<std::uint32_t>(addr(5)));
  EXPECT_EQ(GetU32(at(5)), static_cast<std::uint32_t>(addr(9)));
  EXPECT_EQ(GetU32(at(9)), 0u);
  EXPECT_EQ(GetU32(at(9) + 4), 1u);
  EXPECT_EQ(GetU16(at(1) + 4), kConverterUser);
  EXPECT_EQ(GetU16(at(1) + 6), kConverterUser);

  // The old reader and the current reader see the same records.
  TLinWarstwaFile old(Dir(), "STARE---.--L");
  std::uint8_t mode = kOpenRead;
  ASSERT_EQ(old.Open(mode), kDBOk);
  auto f = OpenNew(true);
  ObjectSaveRecord a, c;
  int ra = old.ReadCurrent(a), rc = f->ReadCurrent(c);
  int live = 0;
  while (ra == kDBOk && rc == kDBOk) {
    ++live;
    EXPECT_EQ(c.GetIndex(), a.GetIndex());
    EXPECT_EQ(c.GetDouble(kRecP1X), a.GetDouble(kRecP1X));
    EXPECT_EQ(c.GetDouble(kRecP2Y), a.GetDouble(kRecP2Y));
    EXPECT_EQ(c.GetSublayer(), a.GetSublayer());
    EXPECT_EQ(c.GetKindByte(), a.GetKindByte());
    ra = old.ReadRecord(a);
    rc = f->ReadRecord(c);
  }
  EXPECT_EQ(ra, kDBEnd);
  EXPECT_EQ(rc, kDBEnd);
  EXPECT_EQ(live, 4093);
  // Counters per sublayer, a rectangle scan against the old reader's.
  const auto counters = f->Counters(0);
  EXPECT_EQ(counters.first + f->Counters(1).first + f->Counters(2).first, 4093);
  std::vector<std::uint32_t> oldHits, newHits;
  for (int rr = old.SeekFirst({10, 5, 20, 30}, a); rr == kDBOk; rr = old.ReadNext(a))
    oldHits.push_back(a.GetIndex());
  for (int rr = f->SeekFirst({10, 5, 20, 30}, c); rr == kDBOk; rr = f->ReadNext(c))
    newHits.push_back(c.GetIndex());
  EXPECT_FALSE(oldHits.empty());
  EXPECT_EQ(newHits, oldHits);
  EXPECT_EQ(f->ReadRecordAt(4097, c), kDBOk);
  TUserIDs ids;
  f->GetUserIDs(1, ids);
  EXPECT_EQ(ids.Creator, kConverterUser);
  EXPECT_NE(ids.Created, 0u);
  TDBStatystykaList stats(NoCancel());
  EXPECT_NO_THROW(f->Statystyka(stats));
  // New records take the free ones first.
  EXPECT_EQ(f->AddRecord(LineRec(1, 1, 2, 2)), 3);
  EXPECT_EQ(f->AddRecord(LineRec(1, 1, 2, 2)), 4);
  EXPECT_EQ(f->Close(), kDBOk);
}

// A record's sublayer above the highest sublayer in use lands, and counts,
// in sublayer 0.
TEST_F(LayerConvTest, SublayerAboveTheHighestCountsForSublayerZero) {
  Builder b(true);
  b.SetSlot(0, OldHeader(1, 4));
  for (int i = 1; i <= 4; ++i) b.SetSlot(i, OldHeader(1, 4));
  b.Add(OldLine(0, 0, 7));
  b.Add(OldLine(0, 0, 4));
  b.Add(OldLine(0, 0, 10));
  Convert(b);
  const Bytes bytes = ReadBytes(PathOf("NOWE----.--l"));
  EXPECT_EQ(GetI32(&bytes[static_cast<std::size_t>(SlotOffset(0) + kSubLive)]), 2);
  EXPECT_EQ(GetI32(&bytes[static_cast<std::size_t>(SlotOffset(4) + kSubLive)]), 1);
  EXPECT_EQ(bytes[static_cast<std::size_t>(RecordAddress(1, 10, kLineRecordSize) + kRecSublayerByte)], 0);
}

TEST_F(LayerConvTest, SublayerHeadersAndAnUnreadableSlotWithDefaults) {
  Builder b(true);
  Header h = OldHeader(1, 3);
  h.style = 4;
  h.width1 = 0.5;
  h.width2 = 5000;  // above what the current format takes
  h.lineWidth = 0.35;
  h.screenWidth = 2;
  h.colour = 2;
  h.shortName = oldlayer::Mazovia("Łąki");
  h.description = oldlayer::Mazovia("Łąki i pastwiska");
  h.threshold = 500;
  b.SetSlot(0, h);
  b.SetSlot(1, OldHeader(1, 3));
  Header bad = OldHeader(1, 3);
  bad.magic = 0x1234;
  bad.style = 9;
  b.SetSlot(2, bad);
  b.SetSlot(3, OldHeader(1, 3));
  Convert(b);
  auto f = OpenNew(true);
  TWarstwaHeader s;
  f->ReadPodwarstwaHeader(s, 0);
  EXPECT_EQ(s.ShortName, "Łąki");
  EXPECT_EQ(s.FullName, "Łąki i pastwiska");
  EXPECT_EQ(s.StyleNumber, 5);
  EXPECT_EQ(s.Width1, 0.5f);
  EXPECT_EQ(s.Width2, 1000.0f);
  EXPECT_EQ(s.ScreenWidth, 2);
  EXPECT_FLOAT_EQ(s.LineWidth, 0.35f);
  EXPECT_EQ(s.Threshold, 500);
  EXPECT_EQ(s.Type, 1u | 4u);
  // The slot that could not be read is written from the defaults, not from
  // the slot before it.
  TWarstwaHeader two;
  f->ReadPodwarstwaHeader(two, 2);
  EXPECT_EQ(two.StyleNumber, 1);
  EXPECT_EQ(two.Width1, 0.25f);
  EXPECT_EQ(two.FullName, "");
  EXPECT_EQ(two.Type, 1u | 4u);
}

// Texts: Mazovia letters recoded; a text with a reference point keeps 18
// characters and its point as offsets; a symbol name keeps 25 characters
// as stored; each cut text is counted.
TEST_F(LayerConvTest, TextsRecodedCutAndCounted) {
  Builder b(false);
  b.SetSlot(0, OldHeader(2, 0));
  oldlayer::TextRecord plain;
  plain.x = 10;
  plain.y = 20;
  plain.height = 1.5;
  plain.flags = 3;
  plain.text = oldlayer::Mazovia("Zażółć gęślą jaźń") + std::string(13, 'x');  // 30 characters
  b.Add(plain);
  oldlayer::TextRecord ref;
  ref.x = 100;
  ref.y = 200;
  ref.flags = 0x20;
  ref.text = std::string(18, 'R');
  ref.refX = 110;
  ref.refY = 190;
  b.Add(ref);
  oldlayer::TextRecord longRef = ref;
  longRef.text = std::string(30, 'L');  // the point overwrites 19 to 30
  b.Add(longRef);
  oldlayer::TextRecord symbol;
  symbol.text = "\xFE" + std::string(29, 'S');
  b.Add(symbol);
  const TConversionResult r = Convert(b, "OPISY---.--T", "NOWE----.--t");
  EXPECT_EQ(r.CutTexts, 2);
  auto f = OpenNew(false, "NOWE----.--t");
  ObjectSaveRecord rec;
  ASSERT_EQ(f->ReadRecordAt(1, rec), kDBOk);
  EXPECT_EQ(rec.GetText(), "Zażółć gęślą jaźń" + std::string(13, 'x'));
  EXPECT_EQ(rec.GetAnchor().X, 10);
  EXPECT_EQ(rec.GetHeight(), 1.5f);
  EXPECT_EQ(rec.GetTextFlags(), 3);
  ASSERT_EQ(f->ReadRecordAt(2, rec), kDBOk);
  EXPECT_EQ(rec.GetKindByte() & 7, 1);
  EXPECT_EQ(rec.GetText(), std::string(18, 'R'));
  EXPECT_EQ(rec.GetRefOffset().X, 10.0f);
  EXPECT_EQ(rec.GetRefOffset().Y, -10.0f);
  ASSERT_EQ(f->ReadRecordAt(4, rec), kDBOk);
  EXPECT_EQ(rec.GetKindByte() & 7, 4);
  EXPECT_EQ(rec.GetText(), std::string(25, 'S'));
}

// Files that are no old layer files are refused before anything is written.
TEST_F(LayerConvTest, MalformedSourcesRefusedWithNothingWritten) {
  struct Case {
    const char* what;
    std::function<void(Builder&)> make;
    const char* message;
  };
  const Case cases[] = {
      {"magic", [](Builder& b) { Header h = OldHeader(1, 0); h.magic = 0x4DA5; b.SetSlot(0, h); },
       "Błędny format warstwy"},
      {"sublayers", [](Builder& b) { b.SetSlot(0, OldHeader(1, 12)); },
       "Błędny format warstwy: numer podwarstwy 12 poza dziesięcioma podwarstwami"},
  };
  for (const Case& c : cases) {
    Builder b(true);
    c.make(b);
    try {
      Convert(b);
      ADD_FAILURE() << c.what;
    } catch (const EWarstwaFormat& e) {
      EXPECT_EQ(std::string(e.what()), c.message) << c.what;
    }
    EXPECT_FALSE(std::filesystem::exists(PathOf("NOWE----.--l"))) << c.what;
  }
  std::ofstream(PathOf("KROTKI--.--L")) << "abc";
  EXPECT_THROW(ConvertLayerFile(PathOf("KROTKI--.--L"), PathOf("NOWE----.--l"), progress_), EWarstwaFormat);
  try {
    ConvertLayerFile(PathOf("BRAK----.--L"), PathOf("NOWE----.--l"), progress_);
    ADD_FAILURE();
  } catch (const EWindowsIOError& e) {
    EXPECT_EQ(std::string(e.what()), "Brak pliku:" + PathOf("BRAK----.--L"));
  }
  EXPECT_FALSE(std::filesystem::exists(PathOf("NOWE----.--l")));
}

// A source that ends inside a record used to be refused whole: its whole
// records are converted, every one with its number, and the torn one is
// named in the result. Line and text files, a torn record of one byte and
// of all but one, and a tail that follows a deleted record.
TEST_F(LayerConvTest, TornLastRecordEndsTheConversionAfterTheWholeRecords) {
  struct Case {
    bool text;
    int tail;
  };
  for (const Case c : {Case{false, 1}, Case{false, 44}, Case{true, 57}}) {
    SCOPED_TRACE(std::to_string(c.text) + " " + std::to_string(c.tail));
    std::filesystem::remove(PathOf("NOWE----.--l"));
    Builder b(!c.text);
    b.SetSlot(0, OldHeader(c.text ? 2 : 1, 1));
    for (int i = 0; i < 6; ++i) {
      if (c.text) {
        oldlayer::TextRecord t;
        t.x = i;
        t.y = i;
        t.text = "T" + std::to_string(i);
        t.sublayer = static_cast<std::uint8_t>(i % 2);
        t.deleted = i == 5;
        b.Add(t);
      } else {
        oldlayer::LineRecord l = OldLine(i, i, static_cast<std::uint8_t>(i % 2));
        l.deleted = i == 5;
        b.Add(l);
      }
    }
    b.AddRaw(std::string(static_cast<std::size_t>(c.tail), '\x11'));
    const std::string from = c.text ? "STARE---.--T" : "STARE---.--L";
    const TConversionResult r = Convert(b, from);
    EXPECT_EQ(r.Records, 6);
    EXPECT_EQ(r.Deleted, 1);
    EXPECT_EQ(r.TornRecord, 7);
    EXPECT_EQ(r.TornBytes, c.tail);
    // The destination is a whole layer: one packet of six records, the last
    // one free, and the live counts of both sublayers.
    const Bytes d = ReadBytes(PathOf("NOWE----.--l"));
    const std::int64_t R = c.text ? kTextRecordSize : kLineRecordSize;
    ASSERT_EQ(static_cast<std::int64_t>(d.size()), DataStart(10) + kPacketOverhead + 6 * R);
    EXPECT_EQ(GetU16(&d[kDescriptorOffset + kDescPackets]), 1);
    EXPECT_EQ(GetU32(&d[kDescriptorOffset + kDescAdded]), 6u);
    EXPECT_EQ(GetU32(&d[kDescriptorOffset + kDescFreeCount]), 1u);
    EXPECT_EQ(GetU32(&d[kDescriptorOffset + kDescFreeHead]),
              static_cast<std::uint32_t>(DataStart(10) + kPacketOverhead + 5 * R));
    EXPECT_EQ(GetU16(&d[DataStart(10) + 2]), 6);
    EXPECT_EQ(GetI32(&d[SlotOffset(0) + kSubLive]), 3);
    EXPECT_EQ(GetI32(&d[SlotOffset(1) + kSubLive]), 2);
    std::unique_ptr<TNewTextLinWarstwaFile> f;
    if (c.text) f = std::make_unique<TNewTextWarstwaFile>(&base_, Dir(), "NOWE----.--l");
    else f = std::make_unique<TNewLinWarstwaFile>(&base_, Dir(), "NOWE----.--l");
    OpenR(*f);
    ObjectSaveRecord rec;
    std::vector<std::uint32_t> numbers;
    for (int rc = f->ReadCurrent(rec); rc == kDBOk; rc = f->ReadRecord(rec)) {
      numbers.push_back(rec.GetIndex());
      EXPECT_EQ(rec.GetSublayer(), (rec.GetIndex() - 1) % 2);
    }
    EXPECT_EQ(numbers, (std::vector<std::uint32_t>{1, 2, 3, 4, 5}));
    ASSERT_EQ(f->Close(), 0);
  }
}

TEST_F(LayerConvTest, AnExistingDestinationIsNeverOverwritten) {
  Builder b(true);
  b.SetSlot(0, OldHeader(1, 0));
  std::ofstream(PathOf("NOWE----.--l")) << "moje";
  EXPECT_THROW(Convert(b), EWindowsIOError);
  EXPECT_EQ(ReadBytes(PathOf("NOWE----.--l")), (Bytes{'m', 'o', 'j', 'e'}));
}

// A write that fails and a cancel both leave no half-written layer.
TEST_F(LayerConvTest, FailedOrCancelledConversionDeletesTheDestination) {
  Builder b(true);
  b.SetSlot(0, OldHeader(1, 0));
  for (int i = 0; i < 5000; ++i) b.Add(OldLine(i, i));
  {
    platform::FaultScope fault({platform::FaultOp::Write, 1, false, "NOWE"});
    EXPECT_THROW(Convert(b), EInOutError);
    EXPECT_TRUE(platform::FaultStruck());
  }
  EXPECT_FALSE(std::filesystem::exists(PathOf("NOWE----.--l")));
  progress_.cancelAt = 3000;
  EXPECT_THROW(Convert(b), ECanceled);
  EXPECT_FALSE(std::filesystem::exists(PathOf("NOWE----.--l")));
  progress_.cancelAt = -1;
  EXPECT_EQ(Convert(b).Records, 5000);
  EXPECT_GT(progress_.position, 5120 + 4000 * 45);
}

}  // namespace
