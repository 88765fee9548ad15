// Running file operations under another local account. Linux has no
// per-thread logon; the closest sound substitute is the calling thread's
// file-system identity (fsuid, fsgid and supplementary groups), which the
// kernel uses for every access check on a path. Switching it needs root or
// CAP_SETUID and CAP_SETGID; without them a logon fails with
// kErrorPrivilegeNotHeld and nothing runs under a borrowed identity.
//
// An account is found by name only: its password cannot be checked here
// (that would need PAM), so no password is taken.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Logon failures, with the meaning of the Windows codes of the same value.
inline constexpr std::uint32_t kErrorPrivilegeNotHeld = 1314;  // may not switch identity
inline constexpr std::uint32_t kErrorLogonFailure = 1326;      // no such account

// A Polish sentence saying why a logon failed (for the codes above and the
// other platform error codes).
std::string LogonErrorText(std::uint32_t code);

// The logon of one account and the switching of the calling thread to it.
// A session belongs to one owner; Impersonate and Revert act on the calling
// thread only and nest (each Revert returns to the identity the matching
// Impersonate found). The base is abstract so that tests can stand in a fake.
class AccountSession {
 public:
  virtual ~AccountSession() = default;

  // True where the process may ever run operations under another account.
  virtual bool Supported() const = 0;
  // Drops a held logon, then logs on to account: 0 on success, else an error
  // code (kErrorLogonFailure, kErrorPrivilegeNotHeld).
  virtual std::uint32_t Logon(std::string_view account) = 0;
  // Drops a held logon.
  virtual void Logoff() = 0;
  virtual bool LoggedOn() const = 0;
  // Switches the calling thread to the logged-on account; false (the thread
  // unchanged, last error set) when there is no logon or the switch fails.
  virtual bool Impersonate() = 0;
  // Returns the calling thread to the identity before the matching
  // Impersonate; nothing when none is active.
  virtual void Revert() = 0;
};

// The real session over the thread's file-system identity.
std::unique_ptr<AccountSession> MakeAccountSession();

// True when this process may switch its file-system identity (root or the
// capabilities CAP_SETUID and CAP_SETGID).
bool CanSwitchIdentity();

// The account name of a user id ("" when unknown); for checks of owners.
std::string AccountNameOfUid(std::uint32_t uid);
// Owner user id of a file, or -1 when it cannot be read.
std::int64_t FileOwnerUid(std::string_view path);

}  // namespace platform
