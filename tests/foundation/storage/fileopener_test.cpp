#include "foundation/storage/fileopener.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "foundation/users/users.h"
#include "platform/files/account.h"
#include "common/scratch_folder.h"

namespace fs = std::filesystem;

namespace {

// Stands in for the account switching: records what the opener asked.
class FakeSession : public platform::AccountSession {
 public:
  struct State {
    bool supported = true;
    std::uint32_t logonResult = 0;
    std::string loggedAccount;
    int impersonations = 0;
    int reverts = 0;
    int depth = 0;
    int maxDepth = 0;
  };
  explicit FakeSession(State& state) : s_(state) {}

  bool Supported() const override { return s_.supported; }
  std::uint32_t Logon(std::string_view account) override {
    Logoff();
    if (s_.logonResult != 0) return s_.logonResult;
    s_.loggedAccount = account;
    return 0;
  }
  void Logoff() override { s_.loggedAccount.clear(); }
  bool LoggedOn() const override { return !s_.loggedAccount.empty(); }
  bool Impersonate() override {
    if (!LoggedOn()) return false;
    ++s_.impersonations;
    s_.maxDepth = std::max(s_.maxDepth, ++s_.depth);
    return true;
  }
  void Revert() override {
    ++s_.reverts;
    --s_.depth;
  }

 private:
  State& s_;
};

TUserC::Record UserRecord(std::uint16_t id, const std::string& account) {
  TUserData data;
  data.Id = id;
  data.LogonName = "u" + std::to_string(id);
  data.AccountName = account;
  data.Rights = kRightLogon;
  return EncodeUserRecord(data);
}

class FileOpenerTest : public ::testing::Test {
 protected:
  static constexpr std::uint16_t kBound = 1;    // bound to "geodeta"
  static constexpr std::uint16_t kUnbound = 2;  // no bound account

  void SetUp() override {
    users_.Add(std::make_unique<TUserC>(UserRecord(kBound, "geodeta")));
    users_.Add(std::make_unique<TUserC>(UserRecord(kUnbound, "")));
  }

  std::unique_ptr<TFileOpener> MakeOpener() {
    return std::make_unique<TFileOpener>(users_, std::make_unique<FakeSession>(state_));
  }
  std::string Path(const std::string& name) const { return scratch_ / name; }
  std::string Marked(const std::string& name) const { return "*" + Path(name); }
  void Touch(const std::string& name, const std::string& text = "x") const { scratch_.Put(name, text); }

  ScratchFolder scratch_;
  TUserManager users_;
  FakeSession::State state_;
};

TEST(AccountMark, MarksAreTheFirstStar) {
  struct Case {
    const char* name;
    bool marked;
    const char* stripped;
    const char* added;
  };
  const Case cases[] = {
      {"", false, "", "*"},
      {"*", true, "", "*"},
      {"*a/b.dat", true, "a/b.dat", "*a/b.dat"},
      {"**x", true, "*x", "**x"},
      {"a*", false, "a*", "*a*"},
      {" *a", false, " *a", "* *a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(HasAccountMark(c.name), c.marked);
    EXPECT_EQ(StripAccountMark(c.name), c.stripped);
    EXPECT_EQ(AddAccountMark(c.name), c.added);
  }
}

TEST(AccountMark, StripAccountMarkKeepsLongNames) {
  // A long path cut to 300 characters would name another file.
  const std::string name = "*" + std::string(400, 'a');
  EXPECT_EQ(StripAccountMark(name), std::string(400, 'a'));
}

TEST_F(FileOpenerTest, WithoutAccountSupportMarkedNamesFail) {
  state_.supported = false;
  auto opener = MakeOpener();
  EXPECT_FALSE(opener->IsNT());
  opener->Logon(kBound);
  EXPECT_FALSE(opener->HasToken());
  EXPECT_EQ(opener->LastLogonError(), 0u);
  Touch("a.dat");

  EXPECT_FALSE(opener->FileOpen(Marked("a.dat"), fmOpenRead | fmShareDenyNone).IsOpen());
  EXPECT_FALSE(opener->FileCreate(Marked("b.dat")).IsOpen());
  EXPECT_FALSE(fs::exists(Path("b.dat")));
  EXPECT_FALSE(opener->FileExists(Marked("a.dat")));
  EXPECT_FALSE(opener->DeleteFile(Marked("a.dat")));
  EXPECT_FALSE(opener->RenameFile(Path("a.dat"), Marked("c.dat")));
  EXPECT_TRUE(fs::exists(Path("a.dat")));
  TSearchRec search;
  EXPECT_EQ(opener->FindFirst(Marked("*"), faAnyFile, search), kFindNotHandled);
  try {
    opener->MkDir(Marked("d"));
    FAIL() << "MkDir of a marked name must raise";
  } catch (const EInOutError& e) {
    EXPECT_STREQ(e.what(), "Nie można utworzyć katalogu");
  }
  TTextFile text(Marked("a.dat"));
  try {
    opener->ResetText(text);
    FAIL() << "ResetText of a marked name must raise";
  } catch (const EInOutError& e) {
    EXPECT_STREQ(e.what(), "Błąd podczas otwierania pliku");
  }
  TUntypedFile file(Marked("a.dat"));
  EXPECT_THROW(opener->RewriteFile(file, 4), EInOutError);
  EXPECT_EQ(state_.impersonations, 0);

  // Unmarked names are handled as usual.
  EXPECT_TRUE(opener->FileExists(Path("a.dat")));
  EXPECT_TRUE(opener->FileOpen(Path("a.dat"), fmOpenRead | fmShareDenyNone).IsOpen());
}

TEST_F(FileOpenerTest, GetTempFileNameFailureIsZero) {
  // Callers test for non-zero; a refused marked folder must not look like success.
  state_.supported = false;
  auto opener = MakeOpener();
  opener->Logon(kBound);
  std::string name = "unchanged";
  EXPECT_EQ(opener->GetTempFileName(Marked(""), "tmp", 0, name), 0u);
  EXPECT_EQ(name, "unchanged");
  EXPECT_TRUE(fs::is_empty(scratch_.Path()));
}

TEST_F(FileOpenerTest, FailedLogonRaisesAtEveryMarkedOperation) {
  state_.logonResult = 1326;
  auto opener = MakeOpener();
  opener->Logon(kBound);
  EXPECT_FALSE(opener->HasToken());
  EXPECT_EQ(opener->LastLogonError(), 1326u);
  Touch("a.dat");

  try {
    opener->FileExists(Marked("a.dat"));
    FAIL() << "expected ELogonUserFailed";
  } catch (const ELogonUserFailed& e) {
    const std::string message = e.what();
    EXPECT_EQ(message.rfind("Błąd numer 1326 podczas logowania użytkownika geodeta", 0), 0u) << message;
    EXPECT_NE(message.find("Nie ma w systemie konta"), std::string::npos) << message;
    EXPECT_EQ(e.ErrorCode, 1326u);
  }
  EXPECT_THROW(opener->FileOpen(Marked("a.dat"), fmOpenRead), ELogonUserFailed);
  EXPECT_THROW(opener->RenameFile(Marked("a.dat"), Path("b.dat")), ELogonUserFailed);
  EXPECT_THROW(opener->MkDir(Marked("d")), ELogonUserFailed);
  std::string name;
  EXPECT_THROW(opener->GetTempFileName(Marked(""), "t", 0, name), ELogonUserFailed);
  EXPECT_THROW(opener->Impersonate(), ELogonUserFailed);
  EXPECT_THROW(opener->Revert(), ELogonUserFailed);
  // Unmarked names are not affected.
  EXPECT_TRUE(opener->FileExists(Path("a.dat")));
  EXPECT_TRUE(opener->DeleteFile(Path("a.dat")));

  // The next logon clears the failure.
  opener->Logon(kUnbound);
  EXPECT_EQ(opener->LastLogonError(), 0u);
  EXPECT_FALSE(opener->FileExists(Marked("a.dat")));
}

TEST_F(FileOpenerTest, UserWithoutBoundAccount) {
  auto opener = MakeOpener();
  opener->Logon(kUnbound);
  ASSERT_NE(opener->User(), nullptr);
  EXPECT_EQ(opener->User()->Id(), kUnbound);
  EXPECT_FALSE(opener->HasToken());
  Touch("a.dat");
  EXPECT_FALSE(opener->FileExists(Marked("a.dat")));
  EXPECT_FALSE(opener->FileOpen(Marked("a.dat"), fmOpenRead | fmShareDenyNone).IsOpen());
  TTextFile text(Marked("a.dat"));
  EXPECT_THROW(opener->ResetText(text), EInOutError);
  opener->Impersonate();  // nothing to do
  opener->Revert();
  EXPECT_EQ(state_.impersonations, 0);

  // An id without a record is no user at all.
  opener->Logon(99);
  EXPECT_EQ(opener->User(), nullptr);
  EXPECT_FALSE(opener->FileExists(Marked("a.dat")));
}

TEST_F(FileOpenerTest, MarkedOperationsRunUnderTheAccountAndRevert) {
  auto opener = MakeOpener();
  opener->Logon(kBound);
  ASSERT_TRUE(opener->HasToken());
  EXPECT_EQ(state_.loggedAccount, "geodeta");

  platform::File created = opener->FileCreate(Marked("a.dat"));
  ASSERT_TRUE(created.IsOpen());
  created.Close();
  EXPECT_TRUE(fs::exists(Path("a.dat")));
  EXPECT_TRUE(opener->FileExists(Marked("a.dat")));
  EXPECT_TRUE(opener->FileOpen(Marked("a.dat"), fmOpenReadWrite | fmShareDenyNone).IsOpen());
  EXPECT_EQ(state_.impersonations, 3);
  EXPECT_EQ(state_.reverts, 3);
  EXPECT_EQ(state_.maxDepth, 1);

  // The account is given back also when the operation raises.
  TTextFile missing(Marked("missing.txt"));
  EXPECT_THROW(opener->ResetText(missing), EInOutError);
  EXPECT_EQ(missing.Name, Path("missing.txt")) << "the variable gets the unmarked name";
  EXPECT_EQ(state_.depth, 0);
  EXPECT_EQ(state_.impersonations, state_.reverts);

  opener->Impersonate();
  EXPECT_EQ(state_.depth, 1);
  opener->Revert();
  EXPECT_EQ(state_.depth, 0);

  // Unmarked names never take the account.
  const int before = state_.impersonations;
  EXPECT_TRUE(opener->FileExists(Path("a.dat")));
  EXPECT_EQ(state_.impersonations, before);
}

TEST_F(FileOpenerTest, RenameWithOnlyTheNewNameMarked) {
  auto opener = MakeOpener();
  opener->Logon(kBound);
  Touch("old.dat", "abc");
  EXPECT_TRUE(opener->RenameFile(Path("old.dat"), Marked("new.dat")));
  EXPECT_FALSE(fs::exists(Path("old.dat")));
  EXPECT_EQ(ScratchFolder::Get(Path("new.dat")), "abc");
  EXPECT_EQ(state_.impersonations, 1);
  EXPECT_EQ(state_.reverts, 1);
  EXPECT_TRUE(opener->RenameFile(Marked("new.dat"), Path("back.dat")));
  EXPECT_TRUE(fs::exists(Path("back.dat")));
}

TEST_F(FileOpenerTest, TempFileNames) {
  auto opener = MakeOpener();
  opener->Logon(kBound);
  std::string name;
  const std::uint32_t n = opener->GetTempFileName(Marked(""), "abcdef", 0, name);
  ASSERT_NE(n, 0u);
  ASSERT_TRUE(HasAccountMark(name)) << name;
  EXPECT_TRUE(fs::exists(StripAccountMark(name)));
  EXPECT_EQ(fs::path(StripAccountMark(name)).filename().string().rfind("abc", 0), 0u);
  EXPECT_TRUE(opener->DeleteFile(name));

  std::string plain;
  EXPECT_EQ(opener->GetTempFileName(scratch_.Path(), "x", 0x12AB, plain), 0x12ABu);
  EXPECT_EQ(plain, Path("x12AB.tmp"));
  EXPECT_FALSE(fs::exists(plain)) << "a given number only names the file";
}

TEST_F(FileOpenerTest, MkDirAndFailures) {
  auto opener = MakeOpener();
  opener->Logon(kBound);
  opener->MkDir(Marked("d"));
  EXPECT_TRUE(fs::is_directory(Path("d")));
  try {
    opener->MkDir(Path("d"));
    FAIL() << "an existing folder cannot be made again";
  } catch (const EInOutError& e) {
    EXPECT_STREQ(e.what(), "Nie można utworzyć katalogu");
    EXPECT_EQ(e.ErrorCode, static_cast<int>(platform::kErrorAlreadyExists));
  }
  EXPECT_THROW(opener->MkDir(Path("no/such")), EInOutError);
}

TEST_F(FileOpenerTest, FindFileIterator) {
  auto opener = MakeOpener();
  Touch("b.dat");
  Touch("a.dat");
  Touch("c.txt");
  fs::create_directory(Path("sub"));
  {
    TFindFileIterator none(*opener, Path("*.xyz"));
    std::string name = "x";
    EXPECT_FALSE(none.Next(name));
    EXPECT_FALSE(none.Next(name));
  }
  {
    TFindFileIterator dats(*opener, Path("*.dat"));
    std::vector<std::string> names;
    for (std::string name; dats.Next(name);) names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"a.dat", "b.dat"}));
  }
  {
    // Every entry, folders and "." and ".." included.
    TFindFileIterator all(*opener, Path("*"));
    std::vector<std::string> names;
    for (std::string name; all.Next(name);) names.push_back(name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".", "..", "a.dat", "b.dat", "c.txt", "sub"}));
  }
  {
    TFindFileIterator missing(*opener, Path("nothere/*"));
    std::string name;
    EXPECT_FALSE(missing.Next(name));
  }
  // Without the folder attribute folders are left out.
  TSearchRec search;
  std::vector<std::string> files;
  for (int r = opener->FindFirst(Path("*"), faArchive, search); r == 0; r = opener->FindNext(Path("*"), search))
    files.push_back(search.Name);
  TFileOpener::FindClose(search);
  EXPECT_EQ(files, (std::vector<std::string>{"a.dat", "b.dat", "c.txt"}));
  EXPECT_EQ(opener->FindFirst(Path("*.xyz"), faAnyFile, search), static_cast<int>(platform::kErrorFileNotFound));
}

TEST_F(FileOpenerTest, MarkedListingUnderTheAccount) {
  auto opener = MakeOpener();
  opener->Logon(kBound);
  Touch("a.dat");
  TFindFileIterator it(*opener, Marked("*.dat"));
  std::string name;
  ASSERT_TRUE(it.Next(name));
  EXPECT_EQ(name, "a.dat");
  EXPECT_FALSE(it.Next(name));
  EXPECT_EQ(state_.impersonations, 1);
  EXPECT_EQ(state_.depth, 0);
}

TEST_F(FileOpenerTest, TextFilesHoldCodePage1250Lines) {
  auto opener = MakeOpener();
  TTextFile out(Path("t.txt"));
  opener->RewriteText(out);
  out.WriteLn("Zażółć gęślą jaźń");
  out.Write("druga");
  out.WriteLn();
  out.Close();
  EXPECT_EQ(ScratchFolder::Get(Path("t.txt")), "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1\r\ndruga\r\n");

  scratch_.Put("u.txt", "one\ntwo\r\n\nlast");
  TTextFile in(Path("u.txt"));
  opener->ResetText(in);
  std::vector<std::string> lines;
  for (std::string line; in.ReadLn(line);) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "", "last"}));
  EXPECT_TRUE(in.Eof());
  in.Close();

  TTextFile missing(Path("none.txt"));
  try {
    opener->ResetText(missing);
    FAIL();
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode, static_cast<int>(platform::kErrorFileNotFound));
  }
}

TEST_F(FileOpenerTest, UntypedFilesAndSharing) {
  auto opener = MakeOpener();
  TUntypedFile out(Path("r.bin"));
  opener->RewriteFile(out, 4);
  out.BlockWrite("AAAABBBBCCCC", 3);
  EXPECT_EQ(out.FileSize(), 3);
  out.Close();

  TUntypedFile in(Path("r.bin"));
  in.FileMode = fmOpenRead | fmShareDenyNone;
  opener->ResetFile(in, 4);
  char buffer[16] = {};
  in.Seek(1);
  EXPECT_EQ(in.BlockRead(buffer, 4), 2u) << "two records left";
  EXPECT_EQ(std::string(buffer, 8), "BBBBCCCC");
  EXPECT_EQ(in.FilePos(), 3);

  // An exclusive open conflicts with any other; the code tells the sharing violation.
  platform::File exclusive = opener->FileOpen(Path("r.bin"), fmOpenReadWrite | fmShareExclusive);
  EXPECT_FALSE(exclusive.IsOpen()) << "a shared open is held";
  in.Close();
  exclusive = opener->FileOpen(Path("r.bin"), fmOpenReadWrite | fmShareExclusive);
  ASSERT_TRUE(exclusive.IsOpen());
  TUntypedFile second(Path("r.bin"));
  second.FileMode = fmOpenRead | fmShareDenyNone;
  try {
    opener->ResetFile(second, 4);
    FAIL();
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode, static_cast<int>(platform::kErrorSharingViolation));
  }
  EXPECT_FALSE(opener->FileOpen(Path("r.bin"), fmOpenRead | fmShareDenyWrite).IsOpen())
      << "an exclusive open denies reading too";
  exclusive.Close();
  platform::File a = opener->FileOpen(Path("r.bin"), fmOpenRead | fmShareDenyNone);
  platform::File b = opener->FileOpen(Path("r.bin"), fmOpenReadWrite | fmShareDenyNone);
  EXPECT_TRUE(a.IsOpen());
  EXPECT_TRUE(b.IsOpen());
}

// Deny-write and deny-read are share modes of their own, not deny-all: two
// readers that deny writing share a file, and keep a writer out.
TEST_F(FileOpenerTest, DenyWriteReadersShareTheFile) {
  auto opener = MakeOpener();
  opener->FileCreate(Path("r.bin")).Close();
  platform::File a = opener->FileOpen(Path("r.bin"), fmOpenRead | fmShareDenyWrite);
  platform::File b = opener->FileOpen(Path("r.bin"), fmOpenRead | fmShareDenyWrite);
  EXPECT_TRUE(a.IsOpen());
  EXPECT_TRUE(b.IsOpen());
  EXPECT_FALSE(opener->FileOpen(Path("r.bin"), fmOpenReadWrite | fmShareDenyNone).IsOpen());
  EXPECT_EQ(platform::LastError(), platform::kErrorSharingViolation);
  TUntypedFile reader(Path("r.bin"));
  reader.FileMode = fmOpenRead | fmShareDenyNone;
  opener->ResetFile(reader, 4);
  EXPECT_TRUE(reader.IsOpen()) << "a reader that denies nothing joins them";
  a.Close();
  b.Close();
  EXPECT_FALSE(opener->FileOpen(Path("r.bin"), fmOpenWrite | fmShareDenyRead).IsOpen())
      << "deny-read meets the reader still open";
  reader.Close();
  EXPECT_TRUE(opener->FileOpen(Path("r.bin"), fmOpenWrite | fmShareDenyRead).IsOpen());
}

// The real account switching. Root (as in CI) switches for real; any other
// user sees the refusal.

constexpr std::int64_t kNobodyUid = 65534;

TEST_F(FileOpenerTest, RealAccountOwnsWhatItCreates) {
  if (!platform::CanSwitchIdentity()) GTEST_SKIP() << "needs root or CAP_SETUID";
  if (platform::AccountNameOfUid(kNobodyUid) != "nobody") GTEST_SKIP() << "no account nobody";
  users_.Clear();
  users_.Add(std::make_unique<TUserC>(UserRecord(kBound, "nobody")));
  TFileOpener opener(users_);
  opener.Logon(kBound);
  ASSERT_TRUE(opener.HasToken()) << opener.LastLogonError();

  fs::permissions(scratch_.Path(), fs::perms::owner_all | fs::perms::others_exec | fs::perms::group_exec);
  fs::create_directory(Path("open"));
  fs::permissions(Path("open"), fs::perms::all);
  fs::create_directory(Path("closed"));
  fs::permissions(Path("closed"), fs::perms::owner_all);

  platform::File f = opener.FileCreate("*" + Path("open/a.dat"));
  ASSERT_TRUE(f.IsOpen());
  f.Close();
  EXPECT_EQ(platform::FileOwnerUid(Path("open/a.dat")), kNobodyUid);

  // The account cannot reach root's private folder, and the program's own
  // identity is back afterwards.
  EXPECT_FALSE(opener.FileCreate("*" + Path("closed/b.dat")).IsOpen());
  EXPECT_FALSE(fs::exists(Path("closed/b.dat")));
  EXPECT_THROW(opener.MkDir("*" + Path("closed/d")), EInOutError);
  platform::File own = opener.FileCreate(Path("closed/c.dat"));
  ASSERT_TRUE(own.IsOpen());
  EXPECT_EQ(platform::FileOwnerUid(Path("closed/c.dat")), static_cast<std::int64_t>(geteuid()));

  opener.Impersonate();
  platform::File g;
  g.Open(Path("open/b.dat"), platform::FileAccess::ReadWrite, platform::FileShare::DenyNone,
         platform::FileCreation::CreateAlways);
  opener.Revert();
  EXPECT_EQ(platform::FileOwnerUid(Path("open/b.dat")), kNobodyUid);
}

TEST_F(FileOpenerTest, RealUnknownAccountFailsLogon) {
  users_.Clear();
  users_.Add(std::make_unique<TUserC>(UserRecord(kBound, "brak_konta_x")));
  TFileOpener opener(users_);
  opener.Logon(kBound);
  EXPECT_FALSE(opener.HasToken());
  const std::uint32_t expected =
      platform::CanSwitchIdentity() ? platform::kErrorLogonFailure : platform::kErrorPrivilegeNotHeld;
  EXPECT_EQ(opener.LastLogonError(), expected);
  EXPECT_THROW(opener.FileExists("*" + Path("a")), ELogonUserFailed);
}

// Without the right to switch identity the bound account is refused with a
// message saying why, and nothing runs under the program's identity instead.
int CheckRefusedWithoutPrivilege(const std::string& dir) {
  if (geteuid() == 0) {
    if (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0) return 10;
  }
  if (platform::CanSwitchIdentity()) return 11;
  TUserManager users;
  users.Add(std::make_unique<TUserC>(UserRecord(1, "nobody")));
  TFileOpener opener(users);
  opener.Logon(1);
  if (opener.HasToken() || opener.LastLogonError() != platform::kErrorPrivilegeNotHeld) return 12;
  try {
    opener.FileExists("*" + dir + "/x");
    return 13;
  } catch (const ELogonUserFailed& e) {
    const std::string message = e.what();
    if (message.find("Błąd numer 1314 podczas logowania użytkownika nobody") != 0) return 14;
    if (message.find("CAP_SETUID") == std::string::npos) return 15;
  }
  return 0;
}

TEST_F(FileOpenerTest, RealLogonRefusedWithoutPrivilege) {
  if (geteuid() != 0 && platform::CanSwitchIdentity()) GTEST_SKIP() << "capabilities without root";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::string dir = scratch_.Path();
  EXPECT_EXIT(_exit(CheckRefusedWithoutPrivilege(dir)), ::testing::ExitedWithCode(0), "");
}

}  // namespace
