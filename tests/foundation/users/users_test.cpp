#include "foundation/users/users.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

#include "foundation/errors.h"
#include "foundation/storage/bytes.h"
#include "platform/files/codepage.h"
#include "platform/files/inifile.h"
#include "platform/gui/application.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/responder.h"
#include "foundation/storage/store_fixture.h"

namespace fs = std::filesystem;

namespace {

// The header's user count and check value, in place.
void SetCount(Bytes& b, std::uint16_t n) { PutU16(b.data() + 12, n); }
void Reseal(Bytes& b) { PutU32(b.data() + 8, UsersFileCheckValue(b)); }

class UsersTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return scratch_ / name; }

  // A hand-made file: header with count n and the given records, the check
  // value computed over the result.
  static Bytes MakeFile(std::uint16_t n, const std::vector<TUserC::Record>& records) {
    Bytes image(15, 0);
    image[0] = 0x55;
    image[1] = 0x46;
    SetCount(image, n);
    for (const auto& r : records) image.insert(image.end(), r.begin(), r.end());
    Reseal(image);
    return image;
  }

  // A record made by hand: id, rights and the logon name.
  static TUserC::Record RawRecord(std::uint16_t id, std::uint32_t rights, const std::string& logon,
                                  const std::string& fullName = {}) {
    TUserC::Record r{};
    PutU16(r.data(), id);
    PutU32(r.data() + 2, rights);
    r[18] = static_cast<std::uint8_t>(fullName.size());
    std::copy(fullName.begin(), fullName.end(), r.begin() + 19);
    r[69] = static_cast<std::uint8_t>(logon.size());
    std::copy(logon.begin(), logon.end(), r.begin() + 70);
    return r;
  }

  ScratchFolder scratch_;
};

TEST_F(UsersTest, RecordBytesMatchTheLayout) {
  TUserData user;
  user.Id = 0x1234;
  user.Rights = 0x04010003;
  user.FullName = "Łukasz Żak";
  user.LogonName = "lzak";
  user.AccountName = "geodeta";
  user.ObjectRights[0] = 0x81;
  user.ObjectRights[31] = 0x80;
  const TUserC::Record r = EncodeUserRecord(user);

  EXPECT_EQ(r[0], 0x34);
  EXPECT_EQ(r[1], 0x12);
  EXPECT_EQ((Bytes{r[2], r[3], r[4], r[5]}), (Bytes{0x03, 0x00, 0x01, 0x04}));
  EXPECT_EQ(r[6], 0) << "no password set";
  const Bytes fullName = {10, 0xA3, 'u', 'k', 'a', 's', 'z', ' ', 0xAF, 'a', 'k'};
  EXPECT_EQ(Bytes(r.begin() + 18, r.begin() + 29), fullName) << "length byte, then code page 1250";
  EXPECT_EQ(Bytes(r.begin() + 69, r.begin() + 74), (Bytes{4, 'l', 'z', 'a', 'k'}));
  EXPECT_EQ(Bytes(r.begin() + 85, r.begin() + 93), (Bytes{7, 'g', 'e', 'o', 'd', 'e', 't', 'a'}));
  EXPECT_EQ(r[106], 0x81);
  EXPECT_EQ(r[137], 0x80);
  EXPECT_TRUE(std::all_of(r.begin() + 138, r.end(), [](std::uint8_t b) { return b == 0; }));

  const TUserC back(r);
  EXPECT_EQ(back.Id(), 0x1234);
  EXPECT_EQ(back.Rights(), 0x04010003u);
  EXPECT_EQ(back.FullName(), "Łukasz Żak");
  EXPECT_EQ(back.LogonName(), "lzak");
  EXPECT_EQ(back.AccountName(), "geodeta");
  EXPECT_TRUE(back.HasObjectRight(0));
  EXPECT_FALSE(back.HasObjectRight(1));
  EXPECT_TRUE(back.HasObjectRight(7));
  EXPECT_TRUE(back.HasObjectRight(255));
  EXPECT_FALSE(back.HasObjectRight(254));
}

TEST_F(UsersTest, HeaderBytesAndCheckValue) {
  // The check value skips bytes 8 to 11: "12345678" ???? "9" is CRC-32("123456789").
  Bytes probe = {'1', '2', '3', '4', '5', '6', '7', '8', 0xEE, 0xEE, 0xEE, 0xEE, '9'};
  EXPECT_EQ(UsersFileCheckValue(probe), 0xCBF43926u);

  TUsersFileEditor editor;
  editor.New();
  editor.AddUser(7, "anna", "Anna Nowak");
  editor.AddUser(8, "jan", "");
  const Bytes image = editor.Image();
  ASSERT_EQ(image.size(), 15u + 2 * 205);
  EXPECT_EQ((Bytes(image.begin(), image.begin() + 8)), (Bytes{0x55, 0x46, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(image[12], 2);
  EXPECT_EQ(image[13], 0);
  EXPECT_EQ(image[14], 0);
  EXPECT_EQ(GetU32(image.data() + 8), UsersFileCheckValue(image));
  EXPECT_EQ(image[15], 7);
  EXPECT_EQ(image[15 + 205], 8);
}

TEST_F(UsersTest, LoadsHandMadeFile) {
  const std::string path = Path("users.dat");
  WriteBytes(path, MakeFile(2, {RawRecord(5, 1, "ewa", "Ewa Lis"), RawRecord(9, 0x10000, "ola")}));
  TUserManager users;
  ASSERT_EQ(users.Load(path), kUsersOk);
  EXPECT_TRUE(users.Loaded);
  ASSERT_EQ(users.Count(), 2);
  EXPECT_EQ(users.User(0)->Id(), 5);
  EXPECT_EQ(users.User(1)->LogonName(), "ola");
  EXPECT_EQ(users.Header[0], 0x55);
  EXPECT_EQ(users.Header[12], 2);
}

// Each case damages a valid three-record file whose header says 2.
struct DamageCase {
  const char* what;
  void (*damage)(Bytes& image);
  int expected;
  std::int32_t users;
};

const DamageCase kDamageCases[] = {
    {"count 2 of 3 records", [](Bytes&) {}, kUsersOk, 2},
    {"count 3 of 3 records", [](Bytes& b) { SetCount(b, 3); Reseal(b); }, kUsersOk, 3},
    {"count 4 of 3 records", [](Bytes& b) { SetCount(b, 4); Reseal(b); }, kUsersFileDamaged, 0},
    {"count 0", [](Bytes& b) { SetCount(b, 0); Reseal(b); }, kUsersFileDamaged, 0},
    {"wrong magic", [](Bytes& b) { b[0] = 0x46; b[1] = 0x55; }, kUsersWrongFile, 0},
    {"wrong check value", [](Bytes& b) { b[8] ^= 1; }, kUsersFileDamaged, 0},
    {"a name byte changed", [](Bytes& b) { b[15 + 70] = 'X'; }, kUsersFileDamaged, 0},
    {"an ignored record changed", [](Bytes& b) { b[15 + 2 * 205 + 100] = 1; }, kUsersFileDamaged, 0},
    {"truncated inside a record", [](Bytes& b) { b.resize(b.size() - 1); }, kUsersFileDamaged, 0},
    {"truncated to the header", [](Bytes& b) { b.resize(15); }, kUsersFileDamaged, 0},
    {"shorter than the header", [](Bytes& b) { b.resize(14); }, kUsersFileDamaged, 0},
    {"one byte", [](Bytes& b) { b.resize(1); }, kUsersWrongFile, 0},
    {"empty", [](Bytes& b) { b.clear(); }, kUsersWrongFile, 0},
    {"logon name longer than its field",
     [](Bytes& b) { b[15 + 69] = 16; Reseal(b); }, kUsersFileDamaged, 0},
    {"full name longer than its field",
     [](Bytes& b) { b[15 + 18] = 51; Reseal(b); }, kUsersFileDamaged, 0},
    {"account longer than its field",
     [](Bytes& b) { b[15 + 205 + 85] = 21; Reseal(b); }, kUsersFileDamaged, 0},
    {"unknown password form", [](Bytes& b) { b[15 + 6] = 2; Reseal(b); }, kUsersFileDamaged, 0},
    {"password form without a hash", [](Bytes& b) { b[15 + 6] = 1; Reseal(b); }, kUsersFileDamaged, 0},
    // A record the editor would refuse to write loaded, and the editor could
    // never save the file again.
    {"control character in a logon name",
     [](Bytes& b) { b[15 + 205 + 70] = '\t'; Reseal(b); }, kUsersFileDamaged, 0},
    {"carriage return in a full name",
     [](Bytes& b) { b[15 + 18] = 2; b[15 + 19] = 'x'; b[15 + 20] = '\r'; Reseal(b); }, kUsersFileDamaged, 0},
    {"control character in an account",
     [](Bytes& b) { b[15 + 85] = 1; b[15 + 86] = 0x1F; Reseal(b); }, kUsersFileDamaged, 0},
    {"control character past a name's length counts for nothing",
     [](Bytes& b) { b[15 + 71] = '\n'; Reseal(b); }, kUsersOk, 2},
    {"C1 code of code page 1250 in a name",
     [](Bytes& b) { b[15 + 70] = 0x81; Reseal(b); }, kUsersOk, 2},
    {"empty logon name", [](Bytes& b) { b[15 + 69] = 0; Reseal(b); }, kUsersFileDamaged, 0},
    // The editor finds a user by his number: two users cannot share one.
    {"two records with one number", [](Bytes& b) { b[15 + 205] = 1; Reseal(b); }, kUsersFileDamaged, 0},
    {"an ignored record repeating a number", [](Bytes& b) { b[15 + 2 * 205] = 1; Reseal(b); }, kUsersOk, 2},
};

TEST_F(UsersTest, DamagedFilesGiveTheirCodeAndNoUsers) {
  const std::string path = Path("users.dat");
  for (const DamageCase& c : kDamageCases) {
    SCOPED_TRACE(c.what);
    Bytes image = MakeFile(2, {RawRecord(1, 1, "a"), RawRecord(2, 1, "b"), RawRecord(3, 1, "c")});
    c.damage(image);
    WriteBytes(path, image);
    TUserManager users;
    EXPECT_EQ(users.Load(path), c.expected);
    EXPECT_EQ(users.Count(), c.users);
    EXPECT_EQ(users.Loaded, c.expected == kUsersOk);
  }
}

TEST_F(UsersTest, EditorRefusesToLoadARecordItCouldNotSaveAgain) {
  const std::string path = Path("users.dat");
  TUserC::Record bad = RawRecord(2, 1, "be\x07ta");
  WriteBytes(path, MakeFile(2, {RawRecord(1, 1, "adam"), bad}));
  const Bytes before = ReadBytes(path);
  TUsersFileEditor editor;
  EXPECT_EQ(editor.Load(path), kUsersFileDamaged);
  EXPECT_TRUE(editor.Users().empty());
  EXPECT_EQ(UsersFileErrorText(kUsersFileDamaged), "Plik z użytkownikami uległ zniszczeniu");
  EXPECT_EQ(ReadBytes(path), before);

  // Every file that loads can be written back byte for byte.
  WriteBytes(path, MakeFile(2, {RawRecord(1, 1, "adam", "Adam \xA3" "ak"), RawRecord(2, 1, "\x81x")}));
  ASSERT_EQ(editor.Load(path), kUsersOk);
  EXPECT_EQ(editor.Image(), ReadBytes(path));
}

TEST_F(UsersTest, MissingFileAndMessages) {
  TUserManager users;
  EXPECT_EQ(users.Load(Path("none.dat")), kUsersFileMissing);
  EXPECT_FALSE(users.Loaded);
  EXPECT_EQ(UsersFileErrorText(0), "");
  EXPECT_EQ(UsersFileErrorText(1), "Brak pliku z użytkownikami");
  EXPECT_EQ(UsersFileErrorText(2), "Nie można utworzyć pliku z użytkownikami");
  EXPECT_EQ(UsersFileErrorText(3), "Nie można otworzyć pliku z użytkownikami");
  EXPECT_EQ(UsersFileErrorText(4), "Niewłaściwy plik z użytkownikami");
  EXPECT_EQ(UsersFileErrorText(5), "Plik z użytkownikami jest aktualnie modyfikowany przez inną osobę");
  EXPECT_EQ(UsersFileErrorText(6), "Plik z użytkownikami uległ zniszczeniu");
  EXPECT_EQ(UsersFileErrorText(7), "");
}

TEST_F(UsersTest, ShowUsersFileErrorUsesTheStopIconAndAnEmptyCaption) {
  platform::EnsureApplication();
  platform::TScriptedResponder responder([](const std::string& m) { ADD_FAILURE() << m; });
  for (int code = -1; code <= 7; ++code) {
    if (code >= 1 && code <= 6) responder.AnswerMessageBox(platform::IDOK);
    ShowUsersFileError(code);
  }
  ASSERT_EQ(responder.Shown().size(), 6u) << "0, 7 and -1 show nothing";
  for (int code = 1; code <= 6; ++code) {
    const platform::TShownModal& shown = responder.Shown()[code - 1];
    EXPECT_EQ(shown.text, UsersFileErrorText(code));
    EXPECT_EQ(shown.caption, "");
    EXPECT_EQ(shown.flags & 0xF0, platform::MB_ICONERROR);
    EXPECT_EQ(shown.flags & 0xF, platform::MB_OK);
  }
}

// Header holds the first 14 bytes as read, also when the load then fails.
TEST_F(UsersTest, HeaderHoldsTheBytesReadAlsoWhenTheLoadFails) {
  const std::string path = Path("users.dat");
  struct Case {
    const char* what;
    void (*damage)(Bytes&);
    int expected;
  };
  const Case cases[] = {
      {"wrong magic", [](Bytes& b) { b[0] = 0x46; b[1] = 0x55; }, kUsersWrongFile},
      {"count above the records", [](Bytes& b) { b[12] = 9; }, kUsersFileDamaged},
      {"wrong check value", [](Bytes& b) { b[8] ^= 1; }, kUsersFileDamaged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes image = MakeFile(1, {RawRecord(1, 1, "a")});
    c.damage(image);
    WriteBytes(path, image);
    TUserManager users;
    EXPECT_EQ(users.Load(path), c.expected);
    EXPECT_EQ(Bytes(users.Header.begin(), users.Header.end()), Bytes(image.begin(), image.begin() + 14));
  }
}

TEST_F(UsersTest, NamesOfIds) {
  const std::string path = Path("users.dat");
  WriteBytes(path, MakeFile(3, {RawRecord(65535, 1, "konw", "Ktoś"), RawRecord(4, 1, "jan", "Jan Kos"),
                                RawRecord(6, 1, "ola", "")}));
  TUserManager users;
  ASSERT_EQ(users.Load(path), kUsersOk);
  EXPECT_EQ(users.GetUserName(0), "Użytkownik nieznany");
  EXPECT_EQ(users.GetUserName(65534), "Użytkownik pierwotny");
  EXPECT_EQ(users.GetUserName(65535), "Konwerter") << "even with a record of that id";
  EXPECT_EQ(users.GetUserName(4), "Jan Kos");
  EXPECT_EQ(users.GetUserName(6), "ola") << "logon name when the full name is empty";
  EXPECT_EQ(users.GetUserName(5), "");
  EXPECT_EQ(users.FindUser(5), nullptr);
  EXPECT_EQ(users.FindUser(4)->LogonName(), "jan");
}

TEST_F(UsersTest, RightsBits) {
  const std::string path = Path("users.dat");
  TUsersFileEditor editor;
  editor.New();
  editor.AddUser(3, "kasia", "");
  editor.SetRights(3, 0x1 | 0x100 | 0x40000 | 0x4000000);
  editor.SetObjectRight(3, 0, true);
  editor.SetObjectRight(3, 200, true);
  editor.SetObjectRight(3, 255, true);
  editor.SetObjectRight(3, 255, false);
  ASSERT_EQ(editor.Save(path), kUsersOk);

  TUserManager users;
  ASSERT_EQ(users.Load(path), kUsersOk);
  for (std::uint32_t mask : {0x1u, 0x100u, 0x40000u, 0x4000000u}) EXPECT_TRUE(users.UserHasRight(3, mask)) << mask;
  for (std::uint32_t mask : {0x2u, 0x4u, 0x200u, 0x1000u, 0x10000u, 0x20000u, 0x1000000u, 0x2000000u})
    EXPECT_FALSE(users.UserHasRight(3, mask)) << mask;
  EXPECT_TRUE(users.UserHasObjectRight(3, 0));
  EXPECT_TRUE(users.UserHasObjectRight(3, 200));
  EXPECT_FALSE(users.UserHasObjectRight(3, 1));
  EXPECT_FALSE(users.UserHasObjectRight(3, 255));
  // An id without a record passes both tests.
  EXPECT_TRUE(users.UserHasRight(0, 0x10000));
  EXPECT_TRUE(users.UserHasRight(77, 0x2));
  EXPECT_TRUE(users.UserHasObjectRight(77, 5));
}

TEST_F(UsersTest, LogonCheck) {
  const std::string path = Path("users.dat");
  TUsersFileEditor editor;
  editor.New();
  editor.AddUser(10, "marek", "Marek bez logowania");
  editor.SetPassword(10, "tajne");  // right 1 missing
  editor.AddUser(11, "ewa", "");
  editor.SetRights(11, kRightLogon);
  editor.SetPassword(11, "Hasło1");
  editor.AddUser(12, "bez", "");
  editor.SetRights(12, kRightLogon);  // no password set
  ASSERT_EQ(editor.Save(path), kUsersOk);

  const Bytes image = ReadBytes(path);
  const std::string text(image.begin(), image.end());
  EXPECT_EQ(text.find("tajne"), std::string::npos) << "no password in plain form";
  EXPECT_EQ(text.find(platform::Utf8ToCp1250("Hasło1")), std::string::npos);
  EXPECT_EQ(image[15 + 6], kPasswordYescrypt);

  TUserManager users;
  ASSERT_EQ(users.Load(path), kUsersOk);
  EXPECT_EQ(users.CheckLogon("ewa", "Hasło1"), 11);
  EXPECT_EQ(users.CheckLogon("ewa", "hasło1"), 0);
  EXPECT_EQ(users.CheckLogon("ewa", "Hasło"), 0);
  EXPECT_EQ(users.CheckLogon("ewa", ""), 0);
  EXPECT_EQ(users.CheckLogon("Ewa", "Hasło1"), 0) << "names are case-sensitive";
  EXPECT_EQ(users.CheckLogon("marek", "tajne"), 0) << "right 1 missing";
  EXPECT_EQ(users.CheckLogon("bez", ""), 0) << "no password set";
}

TEST_F(UsersTest, LogonSearchGoesOnPastARefusedUser) {
  // Two records with one logon name (made by hand, the editor refuses it):
  // the first lacks right 1, the second has it.
  TUsersFileEditor editor;
  editor.New();
  editor.AddUser(20, "x", "");
  editor.SetPassword(20, "pw");
  const Bytes single = editor.Image();
  TUserC::Record first{}, second{};
  std::copy_n(single.begin() + 15, 205, first.begin());
  second = first;
  second[0] = 21;
  second[2] = 1;  // right 1
  const std::string path = Path("users.dat");
  WriteBytes(path, MakeFile(2, {first, second}));
  TUserManager users;
  ASSERT_EQ(users.Load(path), kUsersOk);
  EXPECT_EQ(users.CheckLogon("x", "pw"), 21);
}

TEST_F(UsersTest, EditorRefusesBadInputAndChangesNothing) {
  TUsersFileEditor editor;
  editor.New();
  editor.AddUser(1, "adam", "Adam");
  EXPECT_THROW(editor.AddUser(0, "a", ""), ETvError);
  EXPECT_THROW(editor.AddUser(65534, "a", ""), ETvError);
  EXPECT_THROW(editor.AddUser(65535, "a", ""), ETvError);
  EXPECT_THROW(editor.AddUser(1, "inny", ""), ETvError) << "duplicate id";
  EXPECT_THROW(editor.AddUser(2, "adam", ""), ETvError) << "duplicate logon name";
  EXPECT_THROW(editor.AddUser(2, "", ""), ETvError);
  EXPECT_THROW(editor.AddUser(2, "abcdefghijklmnop", ""), ETvError) << "16 characters";
  EXPECT_THROW(editor.AddUser(2, "a", std::string(51, 'x')), ETvError);
  EXPECT_THROW(editor.AddUser(2, "a€b\xE2\x82", ""), ETvError) << "not code page 1250";
  EXPECT_THROW(editor.AddUser(2, "日本", ""), ETvError);
  EXPECT_THROW(editor.SetAccount(1, std::string(21, 'k')), ETvError);
  EXPECT_THROW(editor.SetRights(9, 1), ETvError) << "no such user";
  ASSERT_EQ(editor.Users().size(), 1u);
  EXPECT_EQ(editor.Users()[0].LogonName, "adam");
  EXPECT_EQ(editor.Users()[0].AccountName, "");

  editor.AddUser(2, "ąęśćźżółń123456", std::string(50, 'x'));  // 15 code-page bytes fit
  editor.DeleteUser(1);
  ASSERT_EQ(editor.Users().size(), 1u);
  editor.DeleteUser(2);
  EXPECT_THROW(editor.Image(), ETvError) << "a file holds at least one user";
}

TEST_F(UsersTest, EditorRoundTripAndAtomicSave) {
  const std::string path = Path("users.dat");
  TUsersFileEditor editor;
  editor.New();
  editor.AddUser(1, "adam", "Adam Ślęzak");
  editor.SetAccount(1, "nobody");
  editor.SetRights(1, 0x10001);
  editor.AddUser(2, "beata", "");
  ASSERT_EQ(editor.Save(path), kUsersOk);
  const Bytes first = ReadBytes(path);

  TUsersFileEditor again;
  ASSERT_EQ(again.Load(path), kUsersOk);
  ASSERT_EQ(again.Users().size(), 2u);
  EXPECT_EQ(again.Users()[0].FullName, "Adam Ślęzak");
  EXPECT_EQ(again.Users()[0].AccountName, "nobody");
  EXPECT_EQ(again.Image(), first) << "load and image give the same bytes";

  again.SetRights(2, 0x2);
  ASSERT_EQ(again.Save(path), kUsersOk);
  TUserManager users;
  ASSERT_EQ(users.Load(path), kUsersOk);
  EXPECT_TRUE(users.UserHasRight(2, 0x2));
  // No temporary file is left beside it.
  int entries = 0;
  for (const auto& e : fs::directory_iterator(scratch_.Path())) entries += e.is_regular_file() ? 1 : 0;
  EXPECT_EQ(entries, 1);

  EXPECT_EQ(editor.Save(Path("no/such/folder/users.dat")), kUsersCannotCreate);
}

TEST_F(UsersTest, SaveRefusesAFileChangedByAnotherEditor) {
  const std::string path = Path("users.dat");
  TUsersFileEditor setup;
  setup.New();
  setup.AddUser(1, "adam", "");
  ASSERT_EQ(setup.Save(path), kUsersOk);

  TUsersFileEditor a, b;
  ASSERT_EQ(a.Load(path), kUsersOk);
  ASSERT_EQ(b.Load(path), kUsersOk);
  a.AddUser(2, "beata", "");
  ASSERT_EQ(a.Save(path), kUsersOk);
  b.AddUser(3, "cezary", "");
  const Bytes before = ReadBytes(path);
  EXPECT_EQ(b.Save(path), kUsersModifiedByOther);
  EXPECT_EQ(ReadBytes(path), before);
  // a saves again on top of its own save.
  a.SetRights(2, 1);
  EXPECT_EQ(a.Save(path), kUsersOk);
}

TEST_F(UsersTest, UsersFileNamedBySwitchFileElseProfile) {
  const std::string sysDir = Path("sys");
  fs::create_directory(sysDir);
  const char* old = getenv("TOLVIKA_SYSDIR");
  const std::string saved = old ? old : "";
  setenv("TOLVIKA_SYSDIR", sysDir.c_str(), 1);

  const std::string profile = Path("tolvika.ini");
  platform::TIniFile(profile).WriteString("Różności", "Użytkownicy", Path("profil.dat"));
  TUsersFileLocation location = FindUsersFile(profile);
  EXPECT_EQ(location.FileName, Path("profil.dat"));
  EXPECT_FALSE(location.FromSwitchFile);

  platform::TIniFile(sysDir + "/TvUsr.ini").WriteString("Logowanie", "Użytkownicy", Path("wspolny.dat"));
  location = FindUsersFile(profile);
  EXPECT_EQ(location.FileName, Path("wspolny.dat"));
  EXPECT_TRUE(location.FromSwitchFile);

  if (old) setenv("TOLVIKA_SYSDIR", saved.c_str(), 1); else unsetenv("TOLVIKA_SYSDIR");
}

}  // namespace
