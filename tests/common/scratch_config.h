// The current user's configuration folder (XDG_CONFIG_HOME, where the
// registry file lives) made a scratch folder for a whole test program and
// removed afterwards: every map view saves its layer order into the
// registry when its tree goes, and a test never writes into the home
// folder. A test program registers it once:
//   ::testing::AddGlobalTestEnvironment(new ScratchConfigEnvironment)
// at namespace scope. Test thread only.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

class ScratchConfigEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    char pattern[] = "/tmp/tolvika-config-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
      ADD_FAILURE() << "no scratch configuration folder";
      return;
    }
    folder_ = pattern;
    ::setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
  }
  void TearDown() override {
    if (folder_.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }

 private:
  std::string folder_;
};
