#include <gtest/gtest.h>

#include "foundation/text/datetime.h"
#include "layer_fixture.h"
#include "layers/store/dberrors.h"

using namespace layerfmt;

class LayerFileTest : public LayerTest {};

TEST_F(LayerFileTest, NewFileLayout) {
  auto f = NewLine("nowa----.--l", 4);
  const Bytes b = ReadBytes(PathOf("nowa----.--l"));
  ASSERT_EQ(b.size(), 5632u);  // 4 slots asked: 10 made
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "TV_1");
  EXPECT_EQ(GetU16(&b[4]), 64);
  EXPECT_EQ(GetU16(&b[70]), 104);
  EXPECT_EQ(GetU16(&b[72]), 0);
  EXPECT_EQ(GetU32(&b[74]), 1u);
  EXPECT_EQ(b[158], 0);
  EXPECT_EQ(b[159], 10);
  EXPECT_EQ(b[160], 2);
  EXPECT_EQ(GetU16(&b[512]), 128);
  EXPECT_EQ(GetU32(&b[514]), 5u);  // visible, line kind
  EXPECT_EQ(GetU16(&b[512 + 341]), 17);
  EXPECT_EQ(GetU16(&b[512 + 343]), 1);
  EXPECT_EQ(GetF32(&b[512 + 354]), 1.0f);
  for (std::size_t i = 1024; i < b.size(); ++i) ASSERT_EQ(b[i], 0) << i;

  auto t = NewText("nowa----.--t");
  const Bytes tb = ReadBytes(PathOf("nowa----.--t"));
  EXPECT_EQ(GetU32(&tb[514]), 4u);
  EXPECT_EQ(GetU16(&tb[512 + 341]), 49);
  EXPECT_EQ(tb[512 + 343], 23);
}

TEST_F(LayerFileTest, CreateNewRefusesTooManySlotsAndExistingFiles) {
  try {
    NewLine("duzo----.--l", 251);
    ADD_FAILURE();
  } catch (const EDBWarstwaCreate& e) {
    EXPECT_STREQ(e.what(), "Liczba podwarstw (251) większa od maksymalnej (250)");
    EXPECT_EQ(e.Code, 2);
  }
  EXPECT_FALSE(platform::FileExists(PathOf("duzo----.--l")));
  NewLine("jest----.--l");
  try {
    NewLine("jest----.--l");
    ADD_FAILURE();
  } catch (const EDBWarstwaExist& e) {
    EXPECT_STREQ(e.what(), "Warstwa jest----.--l istnieje");
    EXPECT_EQ(e.Code, 1);
  }
  // The catalogue folder is made with its parents.
  TMainWarstwaHeader h;
  h.Kind = 1;
  TNewLinWarstwaFile::CreateNew(&base_, Dir() + "a/b/", h, "gleb----.--l");
  EXPECT_TRUE(platform::FileExists(Dir() + "a/b/gleb----.--l"));
}

TEST_F(LayerFileTest, AddRecordNumbersAndPackets) {
  auto f = NewLine();
  OpenRW(*f);
  EXPECT_EQ(f->AddRecord(LineRec(1, 2, 3, 4)), 1);
  for (int i = 2; i <= 4096; ++i) ASSERT_EQ(f->AddRecord(LineRec(i, i, i, i)), i);
  EXPECT_EQ(f->AddRecord(LineRec(5, 5, 6, 6)), 4097);
  EXPECT_EQ(f->Counters(0).first, 4097);
  ASSERT_EQ(f->Close(), 0);
  const Bytes b = ReadBytes(f->Path());
  EXPECT_EQ(b.size(), static_cast<std::size_t>(5632 + 319536 + 16432 + 74));
  EXPECT_EQ(GetU16(&b[72]), 2);              // packets
  EXPECT_EQ(GetU32(&b[166]), 4097u);         // added records
  EXPECT_EQ(GetI32(&b[512 + 112]), 4097);    // live count written at Close
  EXPECT_EQ(GetU16(&b[5632 + 2]), 4096);     // first packet's count
  EXPECT_EQ(GetU16(&b[5632 + 319536 + 2]), 1);
  const std::size_t r1 = 22064;
  EXPECT_EQ(GetU32(&b[r1]), 0x80000000u);
  EXPECT_EQ(GetU16(&b[r1 + 4]), 7);
  EXPECT_EQ(GetU16(&b[r1 + 6]), 7);
  EXPECT_EQ(GetU32(&b[r1 + 20]), 1234u);
  EXPECT_EQ(GetF64(&b[r1 + 24]), 1.0);
  EXPECT_EQ(GetF64(&b[r1 + 52]), 4.0);

  OpenR(*f);
  ObjectSaveRecord r;
  ASSERT_EQ(f->ReadRecordAt(4097, r), 0);
  EXPECT_EQ(r.GetLong(kRecIndex), 4097u);
  EXPECT_EQ(r.GetDouble(kRecP2X), 6.0);
  EXPECT_EQ(r.GetIdentifier(), 1234u);
}

TEST_F(LayerFileTest, WriteRecordArchivesTheOldStateAndMoveToArch) {
  auto f = NewLine();
  OpenRW(*f);
  for (int i = 1; i <= 5; ++i) f->AddRecord(LineRec(i, 0, i, 1));
  ASSERT_EQ(f->Close(), 0);
  TUserIDs before;
  OpenR(*f);
  f->GetUserIDs(5, before);
  ASSERT_EQ(f->Close(), 0);

  base_.user = 9;
  OpenRW(*f);
  EXPECT_EQ(f->WriteRecord(5, LineRec(50, 0, 50, 1)), 74);
  TUserIDs now, archived;
  f->GetUserIDs(5, now);
  f->GetUserIDs(6, archived);
  EXPECT_EQ(now.Creator, 7);
  EXPECT_EQ(now.Modifier, 9);
  EXPECT_EQ(now.Created, before.Created);
  EXPECT_EQ(archived.Creator, 7);
  EXPECT_EQ(archived.Modifier, 9);
  EXPECT_EQ(archived.Created, before.Created);
  ObjectSaveRecord r;
  ASSERT_EQ(f->ReadRecordAt(5, r), 0);
  EXPECT_EQ(r.GetDouble(kRecP1X), 50.0);
  EXPECT_FALSE(r.IsArchived());
  ASSERT_EQ(f->ReadRecordAt(6, r), 0);
  EXPECT_TRUE(r.IsArchived());
  EXPECT_EQ(r.GetDouble(kRecP1X), 5.0);
  EXPECT_EQ(f->Counters(0), std::make_pair(5, 1));

  f->MoveToArch(3, 777);
  ASSERT_EQ(f->ReadRecordAt(3, r), 0);
  EXPECT_TRUE(r.IsArchived());
  EXPECT_EQ(r.GetIdentifier(), 777u);
  EXPECT_EQ(f->Counters(0), std::make_pair(4, 2));
  ASSERT_EQ(f->Close(), 0);
  const Bytes b = ReadBytes(f->Path());
  EXPECT_EQ(GetI32(&b[512 + 112]), 4);
  EXPECT_EQ(GetI32(&b[512 + 116]), 2);
}

TEST_F(LayerFileTest, WriteRecordToAnotherSublayerLeftTheLiveCountsDrifting) {
  auto f = NewLine();
  OpenRW(*f);
  f->WritePodwarstwaHeader(TWarstwaHeader{}, 1);
  f->AddRecord(LineRec(1, 1, 2, 2, 0, 0));
  f->WriteRecord(1, LineRec(1, 1, 2, 2, 0, 1));
  EXPECT_EQ(f->Counters(0), std::make_pair(0, 1));
  EXPECT_EQ(f->Counters(1), std::make_pair(1, 0));
  ASSERT_EQ(f->Close(), 0);
  OpenR(*f);
  TWarstwaHeader h;
  f->ReadPodwarstwaHeader(h, 1);
  EXPECT_EQ(h.Live, 1);
}

TEST_F(LayerFileTest, FreeSlotsAreReusedAndABrokenFreeListDropped) {
  auto f = NewLine();
  OpenRW(*f);
  for (int i = 1; i <= 6; ++i) f->AddRecord(LineRec(i, 0, i, 1));
  ASSERT_EQ(f->Close(), 0);
  // Records 2, 3 and 5 become free: a run of two (2-3) and a single one.
  Bytes b = ReadBytes(f->Path());
  const auto at = [](int n) { return static_cast<std::size_t>(RecordAddress(n, 10, 74)); };
  for (int n : {2, 3, 5}) std::fill(b.begin() + at(n), b.begin() + at(n) + 74, 0);
  PutU32(&b[at(2)], static_cast<std::uint32_t>(at(3)));
  PutU32(&b[at(2) + 4], 2);
  PutU32(&b[at(2) + 8], static_cast<std::uint32_t>(at(3)));
  PutU32(&b[at(3)], static_cast<std::uint32_t>(at(5)));
  PutU32(&b[at(3) + 4], 1);
  PutU32(&b[at(5) + 4], 1);
  PutU32(&b[162], static_cast<std::uint32_t>(at(2)));
  PutU32(&b[170], 3);
  WriteBytes(f->Path(), b);

  OpenRW(*f);
  EXPECT_EQ(f->AddRecord(LineRec(20, 0, 20, 1)), 2);
  EXPECT_EQ(f->AddRecord(LineRec(30, 0, 30, 1)), 3);
  ASSERT_EQ(f->Close(), 0);
  b = ReadBytes(f->Path());
  EXPECT_EQ(GetU32(&b[162]), at(5));
  EXPECT_EQ(GetU32(&b[170]), 1u);

  // A head that points at a record in use: the list is dropped, the record appended.
  PutU32(&b[162], static_cast<std::uint32_t>(at(1)));
  WriteBytes(f->Path(), b);
  OpenRW(*f);
  EXPECT_EQ(f->AddRecord(LineRec(40, 0, 40, 1)), 7);
  ASSERT_EQ(f->Close(), 0);
  b = ReadBytes(f->Path());
  EXPECT_EQ(GetU32(&b[162]), 0u);
  EXPECT_EQ(GetU32(&b[170]), 0u);
  // A run whose next record is in use, and a head beyond the end of the
  // file, are dropped likewise: nothing is written into them.
  PutU32(&b[162], static_cast<std::uint32_t>(at(5)));
  PutU32(&b[170], 1);
  std::fill(b.begin() + at(5), b.begin() + at(5) + 74, 0);
  PutU32(&b[at(5)], static_cast<std::uint32_t>(at(6)));
  PutU32(&b[at(5) + 4], 2);
  WriteBytes(f->Path(), b);
  OpenRW(*f);
  EXPECT_EQ(f->AddRecord(LineRec(45, 0, 45, 1)), 8);
  ASSERT_EQ(f->Close(), 0);
  Bytes after = ReadBytes(f->Path());
  EXPECT_TRUE(std::equal(b.begin() + at(6), b.begin() + at(6) + 74, after.begin() + at(6)));
  b = after;
  PutU32(&b[162], static_cast<std::uint32_t>(RecordAddress(40, 10, 74)));
  WriteBytes(f->Path(), b);
  OpenRW(*f);
  EXPECT_EQ(f->AddRecord(LineRec(46, 0, 46, 1)), 9);
  ASSERT_EQ(f->Close(), 0);
  b = ReadBytes(f->Path());
  EXPECT_EQ(b.size(), static_cast<std::size_t>(RecordAddress(10, 10, 74)));
  // A head that is no record address at all is dropped likewise.
  PutU32(&b[162], 100);
  WriteBytes(f->Path(), b);
  OpenRW(*f);
  EXPECT_EQ(f->AddRecord(LineRec(50, 0, 50, 1)), 10);
  ASSERT_EQ(f->Close(), 0);
}

TEST_F(LayerFileTest, SublayerHeaders) {
  auto f = NewLine();
  OpenRW(*f);
  TWarstwaHeader h;
  f->ReadPodwarstwaHeader(h, 5);  // above the highest: defaults
  EXPECT_EQ(h.Type, 4u);
  EXPECT_EQ(h.StyleNumber, 1);
  EXPECT_THROW(f->ReadPodwarstwaHeader(h, 10), EDBWarstwaInvalidHIdx);
  try {
    f->WritePodwarstwaHeader(h, 2);
    ADD_FAILURE();
  } catch (const EDBError& e) {
    EXPECT_STREQ(e.what(), "Błędny numer podwarstwy");
  }
  h.ShortName = "Drogi";
  h.FullName = "Drogi gminne";
  h.Colour = 0x01FF0000;  // repaired to RGB
  h.LineWidth = 2000;
  h.StyleMultiplier = 0;
  h.Width1 = 0.35f;
  f->WritePodwarstwaHeader(h, 1);
  TMainWarstwaHeader m;
  f->ReadWarstwaHeader(m);
  EXPECT_EQ(m.Highest, 1);
  m.Description = "Opis warstwy żółw";
  m.Reserved = 9;
  f->WriteWarstwaHeader(m);
  ASSERT_EQ(f->Close(), 0);

  OpenR(*f);
  TWarstwaHeader g;
  f->ReadPodwarstwaHeader(g, 1);
  EXPECT_EQ(g.ShortName, "Drogi");
  EXPECT_EQ(g.FullName, "Drogi gminne");
  EXPECT_EQ(g.Colour, 0xFF0000u);
  EXPECT_EQ(g.LineWidth, 1000.0f);
  EXPECT_EQ(g.StyleMultiplier, 1.0f);
  EXPECT_EQ(g.Width1, 0.35f);
  f->ReadWarstwaHeader(m);
  EXPECT_EQ(m.Description, "Opis warstwy żółw");
  EXPECT_EQ(m.Reserved, 9);
  EXPECT_EQ(m.Slots, 10);
}

TEST_F(LayerFileTest, RefusalsOfClosedReadOnlyAndUnrightedFiles) {
  auto f = NewLine();
  ObjectSaveRecord r;
  EXPECT_THROW(f->AddRecord(LineRec(0, 0, 1, 1)), ENotOpen);
  EXPECT_EQ(f->ReadCurrent(r), kDBNotOpen);
  EXPECT_EQ(f->SeekFirst(TLayerRect{}, r), kDBNotOpen);
  EXPECT_EQ(f->ReadRecordAt(1, r), kDBNothing);
  EXPECT_THROW(f->SeekRecord(nullptr, r), ENotOpen);
  EXPECT_EQ(f->Close(), kDBNothing);
  OpenR(*f);
  try {
    f->AddRecord(LineRec(0, 0, 1, 1));
    ADD_FAILURE();
  } catch (const EAccessError& e) {
    EXPECT_STREQ(e.what(), "Błąd dostępu");
  }
  // Asked for writing while open for reading: reopened read-write.
  OpenRW(*f);
  EXPECT_FALSE(f->IsReadOnly());
  EXPECT_EQ(f->AddRecord(LineRec(0, 0, 1, 1)), 1);
  ASSERT_EQ(f->Close(), 0);
  try {
    OpenR(*f);
    f->ReadRecordAt(2, r);
    ADD_FAILURE();
  } catch (const EDBRecordError& e) {
    EXPECT_STREQ(e.what(), "DBDll: Błąd (Adres: 2, Warstwa linie-----.-l)");
  }
  ASSERT_EQ(f->Close(), 0);

  const Bytes before = ReadBytes(f->Path());
  base_.readOnly = true;
  std::uint8_t mode = kOpenWrite;
  EXPECT_EQ(f->Open(mode), kDBAccess);
  EXPECT_FALSE(f->IsOpen());
  mode = kOpenWriteIfPossible;
  EXPECT_EQ(f->Open(mode), 0);
  EXPECT_EQ(mode, kOpenRead);
  EXPECT_TRUE(f->IsReadOnly());
  ASSERT_EQ(f->Close(), 0);
  EXPECT_EQ(ReadBytes(f->Path()), before);
}

TEST_F(LayerFileTest, DamagedFilesGiveAClearErrorAndStayUnchanged) {
  auto f = NewLine();
  OpenRW(*f);
  for (int i = 1; i <= 3; ++i) f->AddRecord(LineRec(i, 0, i, 1));
  ASSERT_EQ(f->Close(), 0);
  const Bytes good = ReadBytes(f->Path());
  struct Case {
    const char* name;
    std::function<void(Bytes&)> damage;
    bool failsAtOpen;
  };
  const Case cases[] = {
      {"packet count 2 for one packet", [](Bytes& b) { PutU16(&b[72], 2); }, false},
      {"packet count 0 with a packet", [](Bytes& b) { PutU16(&b[72], 0); }, false},
      {"truncated record", [](Bytes& b) { b.resize(b.size() - 30); }, false},
      {"file ends in the cell table", [](Bytes& b) { b.resize(5632 + 1000); }, false},
      {"slot count 9", [](Bytes& b) { b[159] = 9; }, true},
      {"highest above the slots", [](Bytes& b) { b[158] = 10; }, true},
      {"bad magic", [](Bytes& b) { b[0] = 'X'; }, true},
      {"descriptor longer than the file", [](Bytes& b) { b.resize(80); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes bad = good;
    c.damage(bad);
    WriteBytes(f->Path(), bad);
    std::uint8_t mode = kOpenWrite;
    if (c.failsAtOpen) {
      EXPECT_THROW(f->Open(mode), EDBError);
      EXPECT_FALSE(f->IsOpen());
    } else {
      ASSERT_EQ(f->Open(mode), 0);
      try {
        f->AddRecord(LineRec(9, 9, 9, 9));
        ADD_FAILURE() << "added";
      } catch (const EDBError& e) {
        EXPECT_STREQ(e.what(), "Błędna struktura pliku");
      }
      ObjectSaveRecord r;
      int got = f->ReadCurrent(r);
      for (int i = 0; i < 10 && got == 0; ++i) got = f->ReadRecord(r);
      EXPECT_NE(got, 0);
      f->Close();
    }
    EXPECT_EQ(ReadBytes(f->Path()), bad);
  }
}

TEST_F(LayerFileTest, ShortDescriptorReadsItsTailAsDefaultsAndIsWrittenWhole) {
  auto f = NewLine();
  Bytes b = ReadBytes(f->Path());
  PutU16(&b[70], 90);
  PutU32(&b[162], 0x7777);  // beyond the stored 90 bytes: not the free-list head
  PutU32(&b[166], 55);
  PutU32(&b[170], 9);
  WriteBytes(f->Path(), b);
  OpenRW(*f);
  EXPECT_EQ(f->AddRecord(LineRec(1, 1, 2, 2)), 1);
  ASSERT_EQ(f->Close(), 0);
  b = ReadBytes(f->Path());
  EXPECT_EQ(GetU16(&b[70]), 104);
  EXPECT_EQ(GetU32(&b[162]), 0u);
  EXPECT_EQ(GetU32(&b[166]), 1u);
  EXPECT_EQ(GetU32(&b[170]), 0u);
}

TEST_F(LayerFileTest, RewritingOrArchivingAFreeSlotWouldBreakTheFreeList) {
  auto f = NewLine();
  OpenRW(*f);
  for (int i = 1; i <= 3; ++i) f->AddRecord(LineRec(i, 0, i, 1));
  ASSERT_EQ(f->Close(), 0);
  Bytes b = ReadBytes(f->Path());
  const std::size_t at2 = static_cast<std::size_t>(RecordAddress(2, 10, 74));
  std::fill(b.begin() + at2, b.begin() + at2 + 74, 0);
  PutU32(&b[at2 + 4], 1);
  PutU32(&b[162], static_cast<std::uint32_t>(at2));
  PutU32(&b[170], 1);
  WriteBytes(f->Path(), b);
  OpenRW(*f);
  EXPECT_THROW(f->WriteRecord(2, LineRec(9, 9, 9, 9)), EDBRecordError);
  try {
    f->MoveToArch(2, 0);
    ADD_FAILURE();
  } catch (const EDBRecordError& e) {
    EXPECT_STREQ(e.what(), "DBDll: Błąd 1 (Adres: 2, Warstwa linie-----.-l)");
  }
  EXPECT_THROW(f->MoveToArch(99, 0), EDBRecordError);
  EXPECT_THROW(f->WriteRecord(std::int64_t{1} << 62, LineRec(9, 9, 9, 9)), EDBRecordError);
  ASSERT_EQ(f->Close(), 0);
  EXPECT_EQ(ReadBytes(f->Path()), b);
}

TEST_F(LayerFileTest, OpenFailuresGiveTheAccessCodeOrTheSystemsText) {
  auto f = NewLine();
  // Whole-file maintenance holds the file exclusively: a sharing conflict.
  platform::File exclusive;
  ASSERT_TRUE(exclusive.Open(f->Path(), platform::FileAccess::ReadWrite, platform::FileShare::Exclusive));
  std::uint8_t mode = kOpenRead;
  EXPECT_EQ(f->Open(mode), kDBAccess);
  EXPECT_FALSE(f->IsOpen());
  ASSERT_TRUE(exclusive.Close());

  TNewLinWarstwaFile missing(&base_, Dir(), "brak----.--l");
  try {
    missing.Open(mode);
    ADD_FAILURE();
  } catch (const EDBError& e) {
    EXPECT_EQ(e.Message(), platform::ErrorText(platform::kErrorFileNotFound));
    EXPECT_EQ(e.Code, static_cast<int>(platform::kErrorFileNotFound));
  }
}
