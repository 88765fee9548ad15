// The users file: loaded by the program's user manager and by the editor of
// the configuration windows, every user read through every accessor. A file
// both accept must be writable again: each user's names and account can be
// set back as read, and save -> load -> save gives the same bytes.
//
// Input: one choice byte, then the users file. With bit 0 of the choice set
// the harness puts the right check value into the file first, so that the
// fuzzer reaches the records behind the check.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/errors.h"
#include "foundation/storage/bytes.h"
#include "foundation/users/users.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Choices c(data, size);
  const std::uint8_t choice = c.Byte();
  std::vector<std::uint8_t> file(c.Rest(), c.Rest() + c.RestSize());
  if ((choice & 1) != 0 && file.size() >= kUsersHeaderSize)
    PutU32(file.data() + 8, UsersFileCheckValue(file));
  const std::string path = fuzz::PutFile("users.dat", file.data(), file.size());

  TUserManager manager;
  const int loaded = manager.Load(path);
  if (loaded == kUsersOk) {
    for (std::int32_t i = 0; i < manager.Count(); ++i) {
      const TUserC* user = manager.User(i);
      (void)user->Rights();
      (void)user->FullName();
      (void)user->LogonName();
      (void)user->AccountName();
      for (int g = 0; g < 256; g += 7) (void)user->HasObjectRight(static_cast<std::uint8_t>(g));
      fuzz::Check(manager.FindUser(user->Id()) != nullptr || user->Id() == kUserIdUnknown,
                  "a loaded user is not found by his id");
      (void)manager.GetUserName(user->Id());
      (void)manager.UserHasRight(user->Id(), kRightLogon);
    }
  } else {
    fuzz::Check(manager.Count() == 0, "a refused users file left users behind");
  }

  TUsersFileEditor editor;
  const int edited = editor.Load(path);
  fuzz::Check((edited == kUsersOk) == (loaded == kUsersOk),
              "the editor and the user manager judge the file differently: " +
                  std::to_string(edited) + " and " + std::to_string(loaded));
  if (edited != kUsersOk) return 0;

  std::vector<std::uint8_t> image;
  try {
    image = editor.Image();
  } catch (const Exception& e) {
    fuzz::Fail("a users file the editor loaded cannot be written again: " + std::string(e.what()));
  }
  const std::vector<TUserData> users = editor.Users();
  for (const TUserData& u : users) {
    // A logon name may stand in two records (the logon check goes on past a
    // refused one); the editor refuses to make such a pair, so it is kept.
    const auto same = [&u](const TUserData& o) { return o.Id != u.Id && o.LogonName == u.LogonName; };
    if (std::any_of(users.begin(), users.end(), same)) continue;
    try {
      editor.SetNames(u.Id, u.LogonName, u.FullName);
      editor.SetAccount(u.Id, u.AccountName);
    } catch (const Exception& e) {
      fuzz::Fail("a user the editor loaded cannot be set back as read: " + std::string(e.what()));
    }
  }
  fuzz::Check(editor.Image() == image, "setting the users back as read changed the image");

  const std::string copy = fuzz::PathOf("users2.dat");
  fuzz::RemoveFile("users2.dat");
  fuzz::Check(editor.Save(copy) == kUsersOk, "a loaded users file cannot be saved");
  TUsersFileEditor reread;
  fuzz::Check(reread.Load(copy) == kUsersOk, "a saved users file does not load");
  fuzz::Check(reread.Image() == image, "save -> load -> save changed the users file");
  return 0;
}
