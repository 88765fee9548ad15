// A fresh empty folder under the temp folder for one test, removed with
// everything in it when the test ends.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/files/paths.h"

class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = platform::JoinPath(platform::TempFolder(), "tolvika-test-XXXXXX");
    if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return platform::JoinPath(path_, name); }

  // Writes bytes to a file of the folder, replacing it.
  std::string Put(const std::string& name, const std::string& bytes) const {
    std::string file = *this / name;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
    return file;
  }
  // The bytes of a file ("" when missing).
  static std::string Get(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  std::string path_;
};
