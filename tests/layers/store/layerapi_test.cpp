#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "foundation/errors.h"
#include "foundation/geometry/realgeom.h"
#include "foundation/threads/cancelcheck.h"
#include "foundation/users/users.h"
#include "layer_fixture.h"
#include "layers/store/dberrors.h"
#include "layers/store/layerapi.h"
#include "layers/store/layerstats.h"
#include "platform/files/codepage.h"

namespace {

// A registry over a "baza.ini" with two database sets: "Gmina" with one
// catalogue holding a line layer and a text layer, and "Pusta" without
// catalogues.
class LayerApiTest : public LayerTest {
protected:
  void SetUp() override {
    LayerTest::SetUp();
    std::filesystem::create_directories(PathOf("kat"));
    cat_ = PathOf("kat") + "/";
    TMainWarstwaHeader h;
    h.Kind = 1;
    h.Slots = 10;
    TNewLinWarstwaFile::CreateNew(&base_, cat_, h, "DROGI---.--l");
    h.Kind = 0;
    TNewTextWarstwaFile::CreateNew(&base_, cat_, h, "OPISY---.--t");
    Write(cat_ + "baza.cnf", "12 L DROGI\n4 T OPISY\n");
    Write(cat_ + "Katalog", "Symbole=znaki.sym\n");
    Write(PathOf("baza.ini"), "[baza]\nGmina=Gmina Wiejska\nPusta=\n[Gmina]\nKat1=" + cat_ +
                                  "\n[Pusta]\nX=1\n");
    store_ = std::make_unique<TLayerStore>(PathOf("baza.ini"));
  }
  void TearDown() override {
    store_.reset();
    UserManager().Load(PathOf("brak.dat"));  // back to running without logon
  }
  static void Write(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
  }
  // Opens "Gmina" for user and walks it: the layer handles by name.
  TBaza* Open(std::uint16_t user, TWarstwaFile*& drogi, TWarstwaFile*& opisy) {
    TBaza* baza = DBInt::OpenBase(*store_, user, "Gmina");
    TAllWarstwaHeader e;
    for (int r = DBInt::GetWarstwyList(*store_, e, baza); r == kDBOk;
         r = DBInt::GetWzorceList(*store_, e, baza)) {
      if (e.Name == "DROGI") drogi = e.File;
      if (e.Name == "OPISY") opisy = e.File;
    }
    return baza;
  }
  // Users 5 (no rights) and 6 (modify and export) in the program's manager.
  void LoadUsers() {
    TUsersFileEditor editor;
    editor.New();
    editor.AddUser(5, "czytelnik", "Czytelnik");
    editor.AddUser(6, "geodeta", "Geodeta");
    editor.SetRights(6, kRightModifyLayers | kRightExport);
    ASSERT_EQ(editor.Save(PathOf("users.dat")), kUsersOk);
    ASSERT_EQ(UserManager().Load(PathOf("users.dat")), kUsersOk);
  }

  std::string cat_;
  std::unique_ptr<TLayerStore> store_;
};

template <class E, class F>
void ExpectRaise(F f, const std::string& message) {
  try {
    f();
    ADD_FAILURE() << "no exception";
  } catch (const E& e) {
    EXPECT_EQ(std::string(e.what()), message);
  }
}

}  // namespace

TEST(LayerFileName, MadeFromTheLayerNameAndKind) {
  struct Case {
    const char* name;
    int kind;
    const char* file;
  };
  const Case cases[] = {
      {"ABC", 1, "ABC-----.--l"},       {"ABCDEFGHI", 0, "ABCDEFGH.I-t"},
      {"ABCDEFGHIJKL", 0, "ABCDEFGH.IJt"}, {"ABCDEFGH", 1, "ABCDEFGH.--l"},
      {"ABCDEFGHIJ", 1, "ABCDEFGH.IJl"},   {"", 0, "--------.--t"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TLayerStore::MakeFileName(c.name, c.kind), c.file);
    EXPECT_EQ(TLayerStore::MakeFileName(c.name, c.kind).size(), 12u);
  }
}

TEST_F(LayerApiTest, NoDatabaseOpenAnswersMinusFourOrRaisesNotLoggedIn) {
  TNewLinWarstwaFile stray(&base_, cat_, "DROGI---.--l");
  ObjectSaveRecord rec;
  std::uint8_t mode = kOpenRead;
  EXPECT_EQ(store_->OpenWarstwa(&stray, true), kDBNoBase);
  EXPECT_EQ(store_->OpenWarstwa2(&stray, mode), kDBNoBase);
  EXPECT_EQ(store_->CloseWarstwa(&stray), kDBNoBase);
  EXPECT_EQ(store_->ReadCurrent(&stray, rec), kDBNoBase);
  EXPECT_EQ(store_->ReadRecordAt(&stray, 1, rec), kDBNoBase);
  TMainWarstwaHeader h;
  ExpectRaise<ENotLoggedIn>([&] { store_->ReadWarstwaHeader(&stray, h); }, "Nie wlogowany");
  ExpectRaise<ENotLoggedIn>([&] { store_->RenameWarstwa(&stray, "X"); }, "Nie wlogowany");
  ExpectRaise<ENotLoggedIn>([&] { DBInt::OpenWarstwa(*store_, &stray, true); },
                            "DB: Nie wlogowany");
  EXPECT_FALSE(stray.IsOpen());
}

TEST_F(LayerApiTest, ForeignHandleAnswersMinusSix) {
  TWarstwaFile *drogi = nullptr, *opisy = nullptr;
  Open(0, drogi, opisy);
  ASSERT_NE(drogi, nullptr);
  TNewLinWarstwaFile stray(&base_, cat_, "DROGI---.--l");
  EXPECT_EQ(store_->OpenWarstwa(&stray, true), kDBBadHandle);
  EXPECT_EQ(store_->CloseWarstwa(nullptr), kDBBadHandle);
  ExpectRaise<EInvalidHandle>([&] { DBInt::OpenWarstwa(*store_, &stray, true); },
                              "DB: Błędny uchwyt");
  TMainWarstwaHeader h;
  EXPECT_THROW(store_->ReadWarstwaHeader(&stray, h), EInvalidHandle);
  EXPECT_FALSE(stray.IsOpen());
  // The registered handle works through the same entries.
  EXPECT_EQ(DBInt::OpenWarstwa(*store_, drogi, true), kDBOk);
  store_->ReadWarstwaHeader(drogi, h);
  EXPECT_EQ(h.Kind & 3, 1u);
  ObjectSaveRecord rec;
  EXPECT_EQ(DBInt::ReadCurrent(*store_, drogi, rec), kDBEnd);  // empty layer: no raise
  EXPECT_EQ(DBInt::CloseWarstwa(*store_, drogi), kDBOk);
}

TEST_F(LayerApiTest, DatabaseSetsAndDatabaseEntries) {
  TBazaDat dat;
  EXPECT_EQ(store_->ReloadBases(dat), kDBNothing);
  ExpectRaise<EDBError>([&] { DBInt::ReloadBases(*store_, dat); }, "DB: Błąd: -1");
  ASSERT_EQ(DBInt::InitBases(*store_, dat), kDBOk);
  EXPECT_EQ(dat.Name, "Gmina");
  EXPECT_EQ(dat.Caption, "Gmina Wiejska");
  ASSERT_EQ(DBInt::ReloadBases(*store_, dat), kDBOk);
  EXPECT_EQ(dat.Caption, "Pusta");
  EXPECT_EQ(DBInt::ReloadBases(*store_, dat), kDBEnd);
  EXPECT_EQ(store_->ReloadBases(dat), kDBNothing);

  TBaza* none = nullptr;
  EXPECT_EQ(store_->OpenBase(1, "Brak", none), kDBUnknownBase);
  ExpectRaise<EBadBaseId>([&] { DBInt::OpenBase(*store_, 1, "Brak"); },
                          "DB: Błędny identyfikator bazy");
  TBaza* pusta = DBInt::OpenBase(*store_, 1, "Pusta");
  TBaza* gmina = DBInt::OpenBase(*store_, 1, "gmina");  // key names ignore letter case
  TBaza* again = nullptr;
  EXPECT_EQ(store_->OpenBase(1, "Gmina", again), 1);     // after the equal name
  EXPECT_NE(again, gmina);
  EXPECT_EQ(DBInt::GetBaseName(*store_, pusta), "Pusta");
  TAllWarstwaHeader e;
  EXPECT_EQ(DBInt::GetWarstwyList(*store_, e, pusta), kDBNoCatalogue);
  EXPECT_EQ(DBInt::GetWarstwyList(*store_, e, gmina), kDBOk);
  std::string symbols;
  store_->OpenSymbols(e.Directory, symbols);
  EXPECT_EQ(symbols, "znaki.sym");
  EXPECT_THROW(store_->OpenSymbols(&cat_, symbols), EInternalError);
  EXPECT_EQ(DBInt::CloseBase(*store_, pusta), kDBOk);
  ExpectRaise<ENotLoggedIn>([&] { DBInt::CloseBase(*store_, pusta); }, "DB: Nie wlogowany");
  std::string name;
  ExpectRaise<EInvalidHandle>([&] { store_->GetBaseName(pusta, name); }, "");
  EXPECT_EQ(store_->BaseCount(), 2u);
}

TEST_F(LayerApiTest, CreateInACatalogueOfAnOpenDatabase) {
  TWarstwaFile *drogi = nullptr, *opisy = nullptr;
  TBaza* baza = Open(0, drogi, opisy);
  TAllWarstwaHeader e;
  ASSERT_EQ(DBInt::GetWarstwyList(*store_, e, baza), kDBOk);
  TMainWarstwaHeader h;
  h.Kind = 1;
  h.Slots = 10;
  TNewTextLinWarstwaFile* rzeki = store_->CreateWarstwa(e.Directory, "RZEKI", h);
  ASSERT_NE(rzeki, nullptr);
  EXPECT_EQ(rzeki->FileName(), "RZEKI---.--l");
  EXPECT_TRUE(std::filesystem::exists(cat_ + "RZEKI---.--l"));
  EXPECT_EQ(store_->OpenWarstwa(rzeki, false), kDBOk);
  EXPECT_EQ(store_->CloseWarstwa(rzeki), kDBOk);
  // A directory text that no open database holds creates nothing.
  EXPECT_EQ(store_->CreateWarstwa(&cat_, "INNE", h), nullptr);
  EXPECT_FALSE(std::filesystem::exists(cat_ + "INNE----.--l"));
}

TEST_F(LayerApiTest, RenameKeepsTheKindLetterAndTheNumberFollows) {
  TWarstwaFile *drogi = nullptr, *opisy = nullptr;
  Open(0, drogi, opisy);
  EXPECT_EQ(store_->GetWarstwaNumber(drogi), 12);
  EXPECT_EQ(store_->GetWarstwaNumber(opisy), 4);
  store_->RenameWarstwa(drogi, "ulice");
  EXPECT_EQ(drogi->FileName(), "ulice---.--l");
  EXPECT_TRUE(std::filesystem::exists(cat_ + "ulice---.--l"));
  EXPECT_FALSE(std::filesystem::exists(cat_ + "DROGI---.--l"));
  EXPECT_EQ(store_->GetWarstwaNumber(drogi), 0);
  store_->RenameWarstwa(opisy, "DROGI");
  EXPECT_EQ(opisy->FileName(), "DROGI---.--t");
  EXPECT_EQ(store_->OpenWarstwa(opisy, true), kDBOk);
  EXPECT_EQ(store_->CloseWarstwa(opisy), kDBOk);
}

TEST_F(LayerApiTest, RenameOntoAnExistingLayerKeepsThatLayer) {
  TWarstwaFile *drogi = nullptr, *opisy = nullptr;
  Open(0, drogi, opisy);
  TMainWarstwaHeader h;
  h.Kind = 1;
  h.Slots = 10;
  TNewLinWarstwaFile::CreateNew(&base_, cat_, h, "RZEKI---.--l");
  const Bytes before = ReadBytes(cat_ + "RZEKI---.--l");
  ExpectRaise<EDBWarstwaError>([&] { store_->RenameWarstwa(drogi, "RZEKI"); },
                               "Zmiana nazwy nie powiodła się");
  EXPECT_EQ(drogi->FileName(), "DROGI---.--l");
  EXPECT_TRUE(std::filesystem::exists(cat_ + "DROGI---.--l"));
  EXPECT_EQ(ReadBytes(cat_ + "RZEKI---.--l"), before);
}

TEST_F(LayerApiTest, DeleteAndRenameRefusedWhileOpenOrReadOnly) {
  LoadUsers();
  TWarstwaFile *drogi = nullptr, *opisy = nullptr;
  Open(6, drogi, opisy);
  ASSERT_EQ(store_->OpenWarstwa(drogi, false), kDBOk);
  ExpectRaise<EInternalError>([&] { store_->DeleteWarstwa(drogi); }, "Warstwa otwarta");
  ExpectRaise<EInternalError>([&] { store_->RenameWarstwa(drogi, "X"); }, "Warstwa otwarta");
  ASSERT_EQ(store_->CloseWarstwa(drogi), kDBOk);

  TWarstwaFile *rDrogi = nullptr, *rOpisy = nullptr;
  TBaza* reader = Open(5, rDrogi, rOpisy);
  ExpectRaise<EAccessViolation>([&] { store_->DeleteWarstwa(rDrogi); },
                                "Warstwa tylko do odczytu");
  ExpectRaise<EAccessViolation>([&] { store_->RenameWarstwa(rDrogi, "X"); },
                                "Warstwa tylko do odczytu");
  ExpectRaise<EAccessError>([&] { DBInt::OpenWarstwa(*store_, rDrogi, false); },
                            "DB: Błąd dostępu");
  std::uint8_t mode = kOpenWriteIfPossible;
  EXPECT_EQ(store_->OpenWarstwa2(rDrogi, mode), kDBOk);
  EXPECT_EQ(mode, kOpenRead);
  EXPECT_EQ(store_->CloseWarstwa(rDrogi), kDBOk);
  TAllWarstwaHeader e;
  ASSERT_EQ(DBInt::GetWarstwyList(*store_, e, reader), kDBOk);
  TMainWarstwaHeader h;
  h.Kind = 1;
  ExpectRaise<EAccessViolation>([&] { store_->CreateWarstwa(e.Directory, "NOWA", h); },
                                "Baza tylko do odczytu");
  // The same user given the modify right through his record may delete.
  EXPECT_EQ(store_->SetWarstwaFlags(reader, 6), kDBOk);
  store_->DeleteWarstwa(rDrogi);
  EXPECT_FALSE(std::filesystem::exists(cat_ + "DROGI---.--l"));
}

TEST_F(LayerApiTest, WithoutLogonLayersMayBeChanged) {
  TWarstwaFile *drogi = nullptr, *opisy = nullptr;
  Open(7, drogi, opisy);  // no users file: every user id passes
  EXPECT_EQ(store_->OpenWarstwa(drogi, false), kDBOk);
  EXPECT_EQ(store_->CloseWarstwa(drogi), kDBOk);
  store_->DeleteWarstwa(opisy);
  EXPECT_FALSE(std::filesystem::exists(cat_ + "OPISY---.--t"));
  EXPECT_EQ(store_->OpenWarstwa(opisy, true), kDBBadHandle);
}

TEST_F(LayerApiTest, DeleteOfAFileThatCannotGoKeepsTheLayer) {
  TWarstwaFile *drogi = nullptr, *opisy = nullptr;
  Open(0, drogi, opisy);
  std::filesystem::remove(cat_ + "DROGI---.--l");
  std::filesystem::create_directories(cat_ + "DROGI---.--l");  // a folder will not delete as a file
  EXPECT_THROW(store_->DeleteWarstwa(drogi), EDBWarstwaError);
  EXPECT_EQ(store_->GetWarstwaNumber(drogi), 12);  // the handle is still valid
}

// Layer names with Polish letters: the twelve characters are counted as the
// name is stored (one byte a letter), and no cut splits a letter.
TEST(LayerFileName, PolishLettersCountAsOneCharacter) {
  struct Case {
    const char* name;
    int kind;
    const char* file;
  };
  const Case cases[] = {
      {"ŁĄKI", 1, "ŁĄKI----.--l"},
      {"ŻÓŁTEPOLA", 0, "ŻÓŁTEPOL.A-t"},
      {"ABCDEFGŁ", 1, "ABCDEFGŁ.--l"},
      {"ABCDEFGHŁĘKI", 1, "ABCDEFGH.ŁĘl"},
      {"ŹRÓDŁA_RZEK", 0, "ŹRÓDŁA_R.ZEt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TLayerStore::MakeFileName(c.name, c.kind), c.file);
  }
}

TEST_F(LayerApiTest, PolishLayerNamesRoundTripThroughTheCatalogue) {
  Write(cat_ + "baza.cnf", platform::Utf8ToCp1250("12 L DROGI\n4 T OPISY\n9 L ŻÓŁTEPOLA\n"));
  TWarstwaFile *drogi = nullptr, *opisy = nullptr;
  TBaza* baza = Open(0, drogi, opisy);
  TAllWarstwaHeader e;
  ASSERT_EQ(DBInt::GetWarstwyList(*store_, e, baza), kDBOk);
  TMainWarstwaHeader h;
  h.Kind = 1;
  h.Slots = 10;
  ASSERT_NE(store_->CreateWarstwa(e.Directory, "ŻÓŁTEPOLA", h), nullptr);
  EXPECT_TRUE(std::filesystem::exists(cat_ + "ŻÓŁTEPOL.A-l"));
  TWarstwaFile* pola = nullptr;
  for (int r = DBInt::GetWarstwyList(*store_, e, baza); r == kDBOk;
       r = DBInt::GetWzorceList(*store_, e, baza)) {
    if (e.Name == "ŻÓŁTEPOLA") pola = e.File;
  }
  ASSERT_NE(pola, nullptr);  // the whole name, not ten bytes of it
  EXPECT_EQ(store_->GetWarstwaNumber(pola), 9);
  // A rename keeps the kind letter however many bytes the name takes.
  store_->RenameWarstwa(pola, "ŁĄKI");
  EXPECT_EQ(pola->FileName(), "ŁĄKI----.--l");
  EXPECT_TRUE(std::filesystem::exists(cat_ + "ŁĄKI----.--l"));
  EXPECT_EQ(store_->OpenWarstwa(pola, true), kDBOk);
  EXPECT_EQ(store_->CloseWarstwa(pola), kDBOk);
}

// A layer name is a file name in its catalogue: a path separator in it
// would create or move the file elsewhere.
TEST_F(LayerApiTest, NamesWithAPathSeparatorAreRefused) {
  TWarstwaFile *drogi = nullptr, *opisy = nullptr;
  TBaza* baza = Open(0, drogi, opisy);
  TAllWarstwaHeader e;
  ASSERT_EQ(DBInt::GetWarstwyList(*store_, e, baza), kDBOk);
  TMainWarstwaHeader h;
  h.Kind = 1;
  h.Slots = 10;
  for (const char* name : {"../X", "A/B", "..\\X"}) {
    SCOPED_TRACE(name);
    EXPECT_THROW(store_->CreateWarstwa(e.Directory, name, h), EDBWarstwaCreate);
    ExpectRaise<EDBWarstwaError>([&] { store_->RenameWarstwa(e.File, name); },
                                 "Zmiana nazwy nie powiodła się");
  }
  EXPECT_TRUE(std::filesystem::exists(cat_ + e.File->FileName()));
  EXPECT_FALSE(std::filesystem::exists(PathOf("X-------.--l")));
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& f : std::filesystem::directory_iterator(cat_)) ++files;
  EXPECT_EQ(files, 4u);  // the two layers, "baza.cnf" and "Katalog"
}

// A logged-on user gets exactly the rights of his record, each right on its
// own; an id without a record (the program run without logon) may modify
// and export even while a users file is loaded.
TEST_F(LayerApiTest, EachRightOfTheUserRecordAppliesOnItsOwn) {
  TUsersFileEditor editor;
  editor.New();
  editor.AddUser(11, "zadne", "Bez praw");
  editor.AddUser(12, "zmiany", "Zmiany");
  editor.SetRights(12, kRightModifyLayers);
  editor.AddUser(13, "eksport", "Eksport");
  editor.SetRights(13, kRightExport);
  editor.AddUser(14, "oba", "Oba");
  editor.SetRights(14, kRightModifyLayers | kRightExport);
  ASSERT_EQ(editor.Save(PathOf("users.dat")), kUsersOk);
  ASSERT_EQ(UserManager().Load(PathOf("users.dat")), kUsersOk);
  struct Case {
    std::uint16_t user;
    bool modify;
    bool exports;
  };
  const Case cases[] = {
      {11, false, false}, {12, true, false}, {13, false, true}, {14, true, true}, {99, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.user);
    TWarstwaFile *drogi = nullptr, *opisy = nullptr;
    TBaza* baza = Open(c.user, drogi, opisy);
    ASSERT_NE(drogi, nullptr);
    EXPECT_EQ(store_->OpenWarstwa(drogi, false), c.modify ? kDBOk : kDBAccess);
    store_->CloseWarstwa(drogi);
    std::uint8_t mode = kOpenWriteIfPossible;
    EXPECT_EQ(store_->OpenWarstwa2(drogi, mode), kDBOk);
    EXPECT_EQ(mode, c.modify ? kOpenWriteIfPossible : kOpenRead);
    EXPECT_EQ(store_->CloseWarstwa(drogi), kDBOk);

    TAllWarstwaHeader e;
    ASSERT_EQ(DBInt::GetWarstwyList(*store_, e, baza), kDBOk);
    TMainWarstwaHeader h;
    h.Kind = 0;
    h.Slots = 10;
    const std::string name = "N" + std::to_string(c.user);
    if (c.modify) {
      EXPECT_NE(store_->CreateWarstwa(e.Directory, name, h), nullptr);
    } else {
      ExpectRaise<EAccessViolation>([&] { store_->CreateWarstwa(e.Directory, name, h); },
                                    "Baza tylko do odczytu");
    }
    EXPECT_EQ(std::filesystem::exists(cat_ + TLayerStore::MakeFileName(name, 0)), c.modify);

    const std::string out = PathOf("eksport" + std::to_string(c.user));
    std::filesystem::create_directories(out);
    if (c.exports) {
      DBInt::TransformWarstwa(*store_, drogi, TAffineMatrix{}, out, nullptr);
      EXPECT_TRUE(std::filesystem::exists(out + "/DROGI---.--l"));
    } else {
      ExpectRaise<EAccessViolation>(
          [&] { DBInt::TransformWarstwa(*store_, drogi, TAffineMatrix{}, out, nullptr); },
          "Brak praw do eksportu");
      EXPECT_TRUE(std::filesystem::is_empty(out));
    }
    EXPECT_EQ(DBInt::CloseBase(*store_, baza), kDBOk);
  }
}

// The checked reads pass the end of a read back as -2 and raise for a read
// that is not running.
TEST_F(LayerApiTest, CheckedReadsEndWithoutRaising) {
  TWarstwaFile *drogi = nullptr, *opisy = nullptr;
  Open(0, drogi, opisy);
  ASSERT_EQ(DBInt::OpenWarstwa(*store_, drogi, false), kDBOk);
  store_->AddRecord(drogi, LineRec(1, 1, 2, 2));
  store_->AddRecord(drogi, LineRec(50, 50, 60, 60));
  ObjectSaveRecord rec;
  EXPECT_EQ(DBInt::SeekFirst(*store_, drogi, TLayerRect{0, 0, 10, 10}, rec), kDBOk);
  EXPECT_EQ(rec.GetLong(kRecIndex), 1);
  EXPECT_EQ(DBInt::ReadNext(*store_, drogi, rec), kDBEnd);
  ExpectRaise<EDBError>([&] { DBInt::ReadNext(*store_, drogi, rec); }, "DB: Błąd: -1");
  EXPECT_EQ(DBInt::CloseWarstwa(*store_, drogi), kDBOk);
  ExpectRaise<ENotOpen>([&] { DBInt::SeekFirst(*store_, drogi, TLayerRect{0, 0, 10, 10}, rec); },
                        "DB: Warstwa nie otwarta");
}

namespace {
// A file class that implements nothing but its kind.
class BareWarstwaFile : public TWarstwaFile {
public:
  explicit BareWarstwaFile(const std::string& dir) : TWarstwaFile(dir, "GOLA----.--l", 1) {}
  int Kind() const override { return 1; }
};
}  // namespace

// What a file class does not implement answers -8 (which the checked calls
// pass back) or raises ENotImplemented naming the operation; an export the
// class cannot do raises rather than seeming done.
TEST_F(LayerApiTest, OperationsAFileClassLacks) {
  BareWarstwaFile f(cat_);
  ObjectSaveRecord rec;
  std::uint8_t mode = kOpenRead;
  EXPECT_EQ(f.Open(mode), kDBNotImplemented);
  EXPECT_EQ(f.Close(), kDBNotImplemented);
  EXPECT_EQ(f.SeekFirst(TLayerRect{}, rec), kDBNotImplemented);
  EXPECT_EQ(f.ReadNext(rec), kDBNotImplemented);
  EXPECT_EQ(f.ReadCurrent(rec), kDBNotImplemented);
  EXPECT_EQ(f.ReadRecord(rec), kDBNotImplemented);
  EXPECT_EQ(f.SeekRecord(nullptr, rec), kDBNotImplemented);
  EXPECT_EQ(f.ReadRecordAtSeek(rec), kDBNotImplemented);
  EXPECT_EQ(f.ReadRecordAt(1, rec), kDBNotImplemented);
  EXPECT_NO_THROW(CheckDBResult(f.ReadCurrent(rec)));
  TWarstwaHeader sh;
  TMainWarstwaHeader mh;
  TUserIDs ids;
  TDBStatystykaList stats(NoCancel());
  const std::pair<const char*, std::function<void()>> raising[] = {
      {"TWarstwaFile.UpdateIndex", [&] { f.UpdateIndex(); }},
      {"TWarstwaFile.ReadPodwarstwaHeader", [&] { f.ReadPodwarstwaHeader(sh, 0); }},
      {"TWarstwaFile.WritePodwarstwaHeader", [&] { f.WritePodwarstwaHeader(sh, 0); }},
      {"TWarstwaFile.ReadWarstwaHeader", [&] { f.ReadWarstwaHeader(mh); }},
      {"TWarstwaFile.WriteWarstwaHeader", [&] { f.WriteWarstwaHeader(mh); }},
      {"TWarstwaFile.WriteRecord", [&] { f.WriteRecord(1, rec); }},
      {"TWarstwaFile.AddRecord", [&] { f.AddRecord(rec); }},
      {"TWarstwaFile.MoveToArch", [&] { f.MoveToArch(1, 0); }},
      {"TWarstwaFile.FixHeader", [&] { f.FixHeader(); }},
      {"TWarstwaFile.GetUserIDs", [&] { f.GetUserIDs(1, ids); }},
      {"TWarstwaFile.Statystyka", [&] { f.Statystyka(stats); }},
      {"TWarstwaFile.DeleteOldArch", [&] { f.DeleteOldArch(0); }},
      {"TWarstwaFile.AddPodwarstwaHeaderSpace", [&] { f.AddPodwarstwaHeaderSpace(1); }},
      {"TWarstwaFile.MovePodwarstwa", [&] { f.MovePodwarstwa(0, 1); }},
      {"TWarstwaFile.DeleteLastPodwarstwa", [&] { f.DeleteLastPodwarstwa(); }},
      {"TWarstwaFile.CleanPodwarstwa", [&] { f.CleanPodwarstwa(0); }},
      {"TWarstwaFile.CleanWarstwa", [&] { f.CleanWarstwa(""); }},
      {"TWarstwaFile.TransformWarstwa", [&] { f.TransformWarstwa(TAffineMatrix{}, PathOf("x")); }},
  };
  for (const auto& [text, call] : raising) {
    SCOPED_TRACE(text);
    ExpectRaise<ENotImplemented>(call, std::string(text) + " not implemented yet");
  }
}
