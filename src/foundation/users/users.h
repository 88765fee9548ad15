// Program users: who may log on, with which password, which rights each
// holds, under which name he is shown and which local account his marked
// files are handled under. The users file is shared by every workstation and
// read only by the program; TUsersFileEditor creates and edits it for the
// configuration windows.
//
// Users file (little-endian; docs/formats.md has the full table):
//   0   2  magic 0x4655 ("UF")
//   2   6  zero (not used)
//   8   4  check value: CRC-32 of every byte of the file but these four
//  12   2  record count n, at least 1
//  14   1  zero (not used)
//  15      n records of 205 bytes; the file may hold more whole records,
//          which are ignored
// User record (205 bytes):
//   0   2  user id
//   2   4  rights mask (one bit per right; bit 0 = may log on)
//   6   1  password form: 0 none set (no logon), 1 yescrypt "$y$j9T$"
//   7  11  zero (not used)
//  18  51  full name: length byte, up to 50 characters
//  69  16  logon name: length byte, up to 15 characters
//  85  21  bound account: length byte, up to 20 characters (empty: none)
// 106  32  object rights: bit (g mod 8) of byte (g div 8) set = rights group g
// 138  66  password hash: the salt and hash that follow "$y$j9T$" in the
//          crypt() string ("<22 salt>$<43 hash>"), zero when none is set
// 204   1  zero (not used)
// Texts are code page 1250. Passwords are never stored in plain or reversible
// form; the bound account's password is not stored at all (the account is
// taken by name, see platform/files/account.h).
//
// Invariants: 1. size = 15 + k * 205 with k >= n >= 1; 2. the check value
// matches; 3. every length byte fits its field; 4. the password form is 0
// or 1, and with 1 the hash field holds 66 characters of the crypt alphabet
// with '$' at 22; 5. no name holds a control character (below 0x20). A file
// that breaks one of them is damaged (kUsersFileDamaged).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/containers/object.h"
#include "foundation/containers/objlist.h"

inline constexpr std::uint16_t kUsersFileMagic = 0x4655;
inline constexpr std::size_t kUsersHeaderSize = 15;
inline constexpr std::size_t kUsersHeaderRead = 14;  // the part kept in TUserManager::Header
inline constexpr std::size_t kUserRecordSize = 205;

// Offsets in the user record.
inline constexpr std::size_t kUserIdOffset = 0;
inline constexpr std::size_t kUserRightsOffset = 2;
inline constexpr std::size_t kUserPasswordFormOffset = 6;
inline constexpr std::size_t kUserFullNameOffset = 18;
inline constexpr std::size_t kUserFullNameMax = 50;
inline constexpr std::size_t kUserLogonNameOffset = 69;
inline constexpr std::size_t kUserLogonNameMax = 15;
inline constexpr std::size_t kUserAccountOffset = 85;
inline constexpr std::size_t kUserAccountMax = 20;
inline constexpr std::size_t kUserObjectRightsOffset = 106;
inline constexpr std::size_t kUserObjectRightsSize = 32;
inline constexpr std::size_t kUserPasswordOffset = 138;
inline constexpr std::size_t kUserPasswordSize = 66;

// Password forms.
inline constexpr std::uint8_t kPasswordNone = 0;
inline constexpr std::uint8_t kPasswordYescrypt = 1;

// Error codes of the users file.
inline constexpr int kUsersOk = 0;
inline constexpr int kUsersFileMissing = 1;
inline constexpr int kUsersCannotCreate = 2;
inline constexpr int kUsersCannotOpen = 3;
inline constexpr int kUsersWrongFile = 4;
inline constexpr int kUsersModifiedByOther = 5;
inline constexpr int kUsersFileDamaged = 6;

// Ids answered before any record is looked up.
inline constexpr std::uint16_t kUserIdUnknown = 0;
inline constexpr std::uint16_t kUserIdOriginal = 0xFFFE;
inline constexpr std::uint16_t kUserIdConverter = 0xFFFF;

// The right to log on; the other masks belong to the operations testing them.
inline constexpr std::uint32_t kRightLogon = 0x1;

// The message of an error code of the users file; empty for 0 and codes
// above 6.
std::string UsersFileErrorText(int code);
// Shows the message of an error code in a message box with the stop icon and
// an empty caption; 0 and codes above 6 show nothing. GUI thread.
void ShowUsersFileError(int code);

// CRC-32 (polynomial 0xEDB88320) of a users file image: every byte but the
// check value at offset 8. The image must hold at least the header.
std::uint32_t UsersFileCheckValue(const std::vector<std::uint8_t>& image);

// One user: a copy of his 205-byte record, read through accessors.
class TUserC : public TObject {
 public:
  using Record = std::array<std::uint8_t, kUserRecordSize>;

  explicit TUserC(const Record& record) : record_(record) {}

  const Record& Bytes() const { return record_; }
  std::uint16_t Id() const;
  std::uint32_t Rights() const;
  std::string FullName() const;
  std::string LogonName() const;
  // The bound local account, empty when none.
  std::string AccountName() const;
  bool HasRight(std::uint32_t mask) const { return (Rights() & mask) != 0; }
  bool HasObjectRight(std::uint8_t group) const;
  // Whether password is the user's logon password (compared in constant
  // time); false when no password is set.
  bool CheckPassword(std::string_view password) const;

 private:
  Record record_;
};

// The program's list of users, in file order (owns its TUserC items). One
// instance, UserManager(), used from the GUI thread.
class TUserManager : public TObjList {
 public:
  TUserManager() = default;

  // The first 14 bytes of the file as read (also by a load that failed
  // after opening the file; zero past a short file's end).
  std::array<std::uint8_t, kUsersHeaderRead> Header{};
  // A load succeeded.
  bool Loaded = false;

  // Reads the users file and appends its users: kUsersOk, kUsersFileMissing,
  // kUsersCannotOpen, kUsersWrongFile or kUsersFileDamaged; never raises for
  // a bad file and appends nothing then.
  int Load(std::string_view fileName);

  TUserC* User(std::int32_t index) const { return ItemAs<TUserC>(index); }
  // The id of the first user with that logon name (case-sensitive), right 1
  // and that password; 0 when none.
  std::uint16_t CheckLogon(std::string_view name, std::string_view password) const;
  TUserC* FindUser(std::uint16_t id) const;
  std::string GetUserName(std::uint16_t id) const;
  // Ids without a record pass both tests.
  bool UserHasRight(std::uint16_t id, std::uint32_t mask) const;
  bool UserHasObjectRight(std::uint16_t id, std::uint8_t group) const;
};

// The program's user manager; created on first use, freed at program end.
TUserManager& UserManager();

// Where the users file is named: section "Logowanie", key "Użytkownicy" of
// "TvUsr.ini" in the machine-wide configuration folder; when that is empty,
// section "Różności", key "Użytkownicy" of the profile's ini file.
struct TUsersFileLocation {
  std::string FileName;       // empty when neither names one
  bool FromSwitchFile = false;  // named in TvUsr.ini
};
TUsersFileLocation FindUsersFile(std::string_view profileIni);

// Loads the users file named by FindUsersFile into UserManager(): the
// result of TUserManager::Load, or kUsersOk when no file is named (the
// program then runs without logon).
int LoadUsers(std::string_view profileIni);

// A user as the editor keeps him.
struct TUserData {
  std::uint16_t Id = 0;
  std::string FullName;
  std::string LogonName;
  std::string AccountName;
  std::uint32_t Rights = 0;
  std::array<std::uint8_t, kUserObjectRightsSize> ObjectRights{};
  // The stored hash field (66 characters), empty when no password is set.
  std::string PasswordHash;
};

// Creates and edits a users file: load (the same checks as the manager),
// change users in memory, save atomically. Editing calls raise ETvError with a
// Polish message for bad input and change nothing then. One thread.
class TUsersFileEditor {
 public:
  // Starts an empty list for a new file.
  void New();
  // kUsersOk, kUsersFileMissing, kUsersCannotOpen, kUsersWrongFile or
  // kUsersFileDamaged; on failure the editor is empty.
  int Load(std::string_view fileName);

  const std::vector<TUserData>& Users() const { return users_; }
  const TUserData* Find(std::uint16_t id) const;

  // Adds a user without password or rights. Ids 0, 65534 and 65535 are
  // reserved; ids and logon names must be unique; names must fit.
  void AddUser(std::uint16_t id, std::string_view logonName, std::string_view fullName);
  void DeleteUser(std::uint16_t id);
  void SetNames(std::uint16_t id, std::string_view logonName, std::string_view fullName);
  // Binds a local account by name (empty: none).
  void SetAccount(std::uint16_t id, std::string_view account);
  void SetPassword(std::uint16_t id, std::string_view password);
  void ClearPassword(std::uint16_t id);
  void SetRights(std::uint16_t id, std::uint32_t mask);
  void SetObjectRight(std::uint16_t id, std::uint8_t group, bool granted);

  // The file image of the current list (header and records).
  std::vector<std::uint8_t> Image() const;
  // Writes the file through a temporary file in its folder renamed over it:
  // kUsersOk; kUsersCannotCreate when it cannot be written (the old file is
  // unchanged); kUsersModifiedByOther when that file was loaded or saved here
  // last and has changed on disk since, or another editor is saving it now.
  int Save(std::string_view fileName);

 private:
  TUserData& Get(std::uint16_t id);
  std::vector<TUserData> users_;
  // The file last loaded or saved and its check value.
  bool haveBase_ = false;
  std::string basePath_;
  std::uint32_t baseCheck_ = 0;
};

// The record of a user (for tests and the editor).
TUserC::Record EncodeUserRecord(const TUserData& user);
