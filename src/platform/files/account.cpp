#include "platform/files/account.h"

#include <grp.h>
#include <linux/capability.h>
#include <pwd.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/files/files.h"
#include "platform/files/paths.h"

namespace platform {

namespace {

// The file-system identity of one thread.
struct FsIdentity {
  uid_t uid = 0;
  gid_t gid = 0;
  std::vector<gid_t> groups;
};

// Identities to return to, innermost last; per thread, because the identity
// switched is the calling thread's.
thread_local std::vector<FsIdentity> savedIdentities;

FsIdentity CurrentIdentity() {
  FsIdentity id;
  // An invalid id changes nothing and returns the current one.
  id.uid = static_cast<uid_t>(setfsuid(static_cast<uid_t>(-1)));
  id.gid = static_cast<gid_t>(setfsgid(static_cast<gid_t>(-1)));
  int n = getgroups(0, nullptr);
  if (n > 0) {
    id.groups.resize(static_cast<std::size_t>(n));
    n = getgroups(n, id.groups.data());
    id.groups.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  }
  return id;
}

// The raw call sets the calling thread's groups only (the C library's
// setgroups would change every thread of the process).
bool SetThreadGroups(const std::vector<gid_t>& groups) {
  return syscall(SYS_setgroups, groups.size(), groups.data()) == 0;
}

// Sets the thread's identity, user id last on the way in (the groups need the
// capabilities that a non-root fsuid would not drop, but keep the order safe).
bool ApplyIdentity(const FsIdentity& id) {
  if (!SetThreadGroups(id.groups)) return false;
  setfsgid(id.gid);
  if (static_cast<gid_t>(setfsgid(static_cast<gid_t>(-1))) != id.gid) return false;
  setfsuid(id.uid);
  return static_cast<uid_t>(setfsuid(static_cast<uid_t>(-1))) == id.uid;
}

// Back to a saved identity: the user id first, which gives back the
// file-system capabilities of root before the groups are set.
void RestoreIdentity(const FsIdentity& id) {
  setfsuid(id.uid);
  setfsgid(id.gid);
  SetThreadGroups(id.groups);
}

class FsAccountSession final : public AccountSession {
 public:
  ~FsAccountSession() override { Logoff(); }

  bool Supported() const override { return true; }

  std::uint32_t Logon(std::string_view account) override {
    Logoff();
    if (!CanSwitchIdentity()) {
      SetLastError(kErrorPrivilegeNotHeld);
      return kErrorPrivilegeNotHeld;
    }
    std::string name(account);
    struct passwd pw {};
    struct passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (name.empty() || getpwnam_r(name.c_str(), &pw, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr) {
      SetLastError(kErrorLogonFailure);
      return kErrorLogonFailure;
    }
    FsIdentity id;
    id.uid = pw.pw_uid;
    id.gid = pw.pw_gid;
    int count = 32;
    for (int attempt = 0; attempt < 8; ++attempt) {
      id.groups.resize(static_cast<std::size_t>(count));
      int n = count;
      if (getgrouplist(name.c_str(), pw.pw_gid, id.groups.data(), &n) >= 0) {
        id.groups.resize(static_cast<std::size_t>(n));
        break;
      }
      count = n > count ? n : count * 2;
      id.groups.clear();
    }
    if (id.groups.empty()) id.groups.push_back(pw.pw_gid);
    token_ = std::move(id);
    loggedOn_ = true;
    return 0;
  }

  void Logoff() override {
    loggedOn_ = false;
    token_ = FsIdentity{};
  }

  bool LoggedOn() const override { return loggedOn_; }

  bool Impersonate() override {
    if (!loggedOn_) {
      SetLastError(kErrorLogonFailure);
      return false;
    }
    FsIdentity saved = CurrentIdentity();
    if (!ApplyIdentity(token_)) {
      RestoreIdentity(saved);
      SetLastError(kErrorPrivilegeNotHeld);
      return false;
    }
    savedIdentities.push_back(std::move(saved));
    return true;
  }

  void Revert() override {
    if (savedIdentities.empty()) return;
    RestoreIdentity(savedIdentities.back());
    savedIdentities.pop_back();
  }

 private:
  bool loggedOn_ = false;
  FsIdentity token_;
};

}  // namespace

std::string LogonErrorText(std::uint32_t code) {
  switch (code) {
    case kErrorPrivilegeNotHeld:
      return "Program nie ma uprawnień do pracy na innym koncie systemu "
             "(potrzebne konto root lub uprawnienia CAP_SETUID i CAP_SETGID)";
    case kErrorLogonFailure:
      return "Nie ma w systemie konta o tej nazwie";
    default:
      return ErrorText(code);
  }
}

std::unique_ptr<AccountSession> MakeAccountSession() {
  return std::make_unique<FsAccountSession>();
}

bool CanSwitchIdentity() {
  __user_cap_header_struct header{};
  header.version = _LINUX_CAPABILITY_VERSION_3;
  header.pid = 0;
  __user_cap_data_struct data[2]{};
  if (syscall(SYS_capget, &header, data) != 0) return false;
  const std::uint32_t needed = (1u << CAP_SETUID) | (1u << CAP_SETGID);
  return (data[0].effective & needed) == needed;
}

std::string AccountNameOfUid(std::uint32_t uid) {
  struct passwd pw {};
  struct passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (getpwuid_r(static_cast<uid_t>(uid), &pw, buffer.data(), buffer.size(), &found) != 0 ||
      found == nullptr)
    return {};
  return pw.pw_name;
}

std::int64_t FileOwnerUid(std::string_view path) {
  struct stat st {};
  if (stat(ResolvePath(path).c_str(), &st) != 0) return -1;
  return st.st_uid;
}

}  // namespace platform
