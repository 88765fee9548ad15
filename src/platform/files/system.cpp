#include "platform/files/system.h"

#include <pwd.h>
#include <sched.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <vector>

#include "platform/files/paths.h"

namespace platform {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

// A field of the current user's entry in the account database; nothing
// when there is no entry or the field is missing.
std::optional<std::string> OwnAccountField(char* passwd::*field) {
  std::vector<char> buffer(16384);
  passwd entry;
  passwd* result = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 &&
      result != nullptr && result->*field != nullptr)
    return std::string(result->*field);
  return std::nullopt;
}

std::string HomeFolder() {
  std::string home = Env("HOME");
  if (!home.empty()) return home;
  return OwnAccountField(&passwd::pw_dir).value_or("/");
}

}  // namespace

std::string LoginName() {
  std::string name = Env("LOGNAME");
  if (!name.empty()) return name;
  return OwnAccountField(&passwd::pw_name).value_or(std::string());
}

std::string ProgramFolder() {
  std::vector<char> buffer(4096);
  for (;;) {
    ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < buffer.size())
      return ExtractFileDir(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
    buffer.resize(buffer.size() * 2);
  }
}

std::string SystemConfigFolder() {
  std::string dir = Env("TOLVIKA_SYSDIR");
  return dir.empty() ? std::string("/etc/tolvika") : dir;
}

std::string UserConfigFolder() {
  std::string base = Env("XDG_CONFIG_HOME");
  if (base.empty()) base = JoinPath(HomeFolder(), ".config");
  return JoinPath(base, "tolvika");
}

std::uint32_t TickCount() {
  timespec ts;
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  std::uint64_t ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000 +
                     static_cast<std::uint64_t>(ts.tv_nsec) / 1000000;
  return static_cast<std::uint32_t>(ms);
}

void Sleep(std::uint32_t ms) {
  if (ms == 0) {
    ::sched_yield();
    return;
  }
  timespec remaining{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000};
  while (::nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

LocalTime Now() {
  timespec ts;
  ::clock_gettime(CLOCK_REALTIME, &ts);
  tm parts{};
  ::localtime_r(&ts.tv_sec, &parts);
  LocalTime now;
  now.year = parts.tm_year + 1900;
  now.month = parts.tm_mon + 1;
  now.day = parts.tm_mday;
  now.hour = parts.tm_hour;
  now.minute = parts.tm_min;
  now.second = parts.tm_sec;
  now.millisecond = static_cast<int>(ts.tv_nsec / 1000000);
  return now;
}

}  // namespace platform
