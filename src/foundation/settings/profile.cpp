#include "foundation/settings/profile.h"

#include "foundation/settings/profilewnd.h"
#include "platform/files/files.h"
#include "platform/files/paths.h"
#include "platform/files/system.h"
#include "platform/gui/application.h"

namespace {

constexpr char kIniFileName[] = "tolvika.ini";
constexpr char kBazaFileName[] = "baza.ini";
constexpr char kUsersFolder[] = "users";

TProfile& StoredProfile() {
  static TProfile profile;
  return profile;
}

TProfile ProfileIn(const std::string& folder) {
  return {platform::JoinPath(folder, kIniFileName), platform::JoinPath(folder, kBazaFileName)};
}

// The sub-folders of usersDir, in the order the listing gives them.
std::vector<std::string> ProfileNames(const std::string& usersDir) {
  std::vector<platform::FolderEntry> entries;
  std::vector<std::string> names;
  if (!platform::ListFolder(usersDir, "*.*", entries)) return names;
  for (const platform::FolderEntry& entry : entries)
    if (entry.isDirectory && entry.name != "." && entry.name != "..") names.push_back(entry.name);
  return names;
}

}  // namespace

TProfileEnvironment& ProfileEnvironment() {
  static TProfileEnvironment environment;
  return environment;
}

TProfile ChooseProfileIn(const TProfileEnvironment& Environment) {
  TProfile profile{kIniFileName, kBazaFileName};
  const std::string programFolder =
      Environment.ProgramFolder.empty() ? platform::ProgramFolder() : Environment.ProgramFolder;
  const std::string usersDir = platform::ResolvePath(platform::JoinPath(programFolder, kUsersFolder));
  if (!platform::DirectoryExists(usersDir)) return profile;

  // An empty name would name "users" itself, which is no profile.
  const std::string userName = Environment.UseLoginName ? platform::LoginName() : Environment.UserName;
  if (!userName.empty()) {
    // Resolved, so a folder in another letter case is named as it is on disk.
    const std::string own = platform::ResolvePath(platform::JoinPath(usersDir, userName));
    if (platform::DirectoryExists(own)) return ProfileIn(own);
  }

  const std::vector<std::string> names = ProfileNames(usersDir);
  if (names.empty()) return profile;
  int taken = 0;
  if (names.size() > 1) {
    taken = Environment.PickProfile ? Environment.PickProfile(names) : ShowProfileWnd(names);
    if (taken < 0 || taken >= static_cast<int>(names.size())) {
      if (Environment.Terminate) {
        Environment.Terminate();
      } else {
        platform::Application().Terminate();
      }
      return profile;
    }
  }
  return ProfileIn(platform::JoinPath(usersDir, names[static_cast<std::size_t>(taken)]));
}

TProfile ChooseProfile() {
  TProfile& stored = StoredProfile();
  if (stored.IniFile.empty()) stored = ChooseProfileIn(ProfileEnvironment());
  return stored;
}

void ClearProfile() { StoredProfile() = TProfile(); }
