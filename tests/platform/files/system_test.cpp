#include "platform/files/system.h"

#include <stdlib.h>

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace {

// Sets an environment variable for one scope and puts the old value back.
class EnvOverride {
 public:
  EnvOverride(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) ::setenv(name, value, 1);
    else ::unsetenv(name);
  }
  ~EnvOverride() {
    if (old_) ::setenv(name_, old_->c_str(), 1);
    else ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(SystemTest, ConfigurationFolders) {
  {
    EnvOverride sysdir("TOLVIKA_SYSDIR", "/srv/tolvika");
    EXPECT_EQ(platform::SystemConfigFolder(), "/srv/tolvika");
  }
  {
    EnvOverride sysdir("TOLVIKA_SYSDIR", nullptr);
    EXPECT_EQ(platform::SystemConfigFolder(), "/etc/tolvika");
  }
  {
    EnvOverride xdg("XDG_CONFIG_HOME", "/home/k/cfg");
    EXPECT_EQ(platform::UserConfigFolder(), "/home/k/cfg/tolvika");
  }
  {
    EnvOverride xdg("XDG_CONFIG_HOME", nullptr);
    EnvOverride home("HOME", "/home/k");
    EXPECT_EQ(platform::UserConfigFolder(), "/home/k/.config/tolvika");
  }
}

TEST(SystemTest, LoginName) {
  {
    EnvOverride logname("LOGNAME", "geodeta");
    EXPECT_EQ(platform::LoginName(), "geodeta");
  }
  EnvOverride logname("LOGNAME", nullptr);
  EXPECT_FALSE(platform::LoginName().empty()) << "taken from the password database";
}

TEST(SystemTest, ProgramFolderHoldsThisProgram) {
  std::string folder = platform::ProgramFolder();
  EXPECT_TRUE(std::filesystem::is_regular_file(folder + "/test_platform")) << folder;
}

TEST(SystemTest, TickCountAdvancesAcrossASleep) {
  std::uint32_t start = platform::TickCount();
  platform::Sleep(30);
  std::uint32_t elapsed = platform::TickCount() - start;
  EXPECT_GE(elapsed, 30u);
  platform::Sleep(0);
}

TEST(SystemTest, NowIsTheLocalTime) {
  std::time_t before = std::time(nullptr);
  platform::LocalTime now = platform::Now();
  std::time_t after = std::time(nullptr);
  std::tm expected{}, later{};
  ::localtime_r(&before, &expected);
  ::localtime_r(&after, &later);
  if (expected.tm_hour != later.tm_hour) GTEST_SKIP() << "the hour changed meanwhile";
  EXPECT_EQ(now.year, expected.tm_year + 1900);
  EXPECT_EQ(now.month, expected.tm_mon + 1);
  EXPECT_EQ(now.day, expected.tm_mday);
  EXPECT_EQ(now.hour, expected.tm_hour);
  EXPECT_GE(now.millisecond, 0);
  EXPECT_LE(now.millisecond, 999);
}

}  // namespace
