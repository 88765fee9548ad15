// What every fuzz harness shares: a scratch folder of its own process for the
// files a reader opens, the input written there as a file, a failed oracle
// reported as a crash, and a small reader of the harness's choice bytes.
// One thread: libFuzzer calls the harness from its own thread only.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/paths.h"

namespace fuzz {

// The process's scratch folder under the temp folder (TMPDIR), made on first
// use and removed when the process ends normally. A crashing process leaves
// it behind; the fuzz scripts point TMPDIR into build/fuzz/ and empty it.
inline const std::string& Scratch() {
  // On the heap and never freed, so that the exit handler still finds it.
  static const std::string* folder = [] {
    std::string pattern = platform::JoinPath(platform::TempFolder(), "tolvika-fuzz-XXXXXX");
    if (::mkdtemp(pattern.data()) == nullptr) {
      std::perror("mkdtemp");
      std::abort();
    }
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(Scratch(), ec);
    });
    return new std::string(pattern);
  }();
  return *folder;
}

inline std::string PathOf(std::string_view name) { return platform::JoinPath(Scratch(), name); }

// Writes bytes to a file of the scratch folder, replacing it; its path.
inline std::string PutFile(std::string_view name, const std::uint8_t* data, std::size_t size) {
  const std::string path = PathOf(name);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  if (!out) {
    std::perror(path.c_str());
    std::abort();
  }
  return path;
}

inline std::string PutFile(std::string_view name, std::string_view bytes) {
  return PutFile(name, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

inline std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void RemoveFile(std::string_view name) {
  std::error_code ec;
  std::filesystem::remove(PathOf(name), ec);
}

// A broken oracle: the message on standard error, then a crash that libFuzzer
// keeps as a finding with its input.
[[noreturn]] inline void Fail(const std::string& message) {
  std::fprintf(stderr, "ORACLE FAILED: %s\n", message.c_str());
  std::fflush(stderr);
  std::abort();
}

inline void Check(bool condition, const std::string& message) {
  if (!condition) Fail(message);
}

// Takes the harness's choices from the front of the input; past its end
// every value is 0.
class Choices {
 public:
  Choices(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::uint16_t Word() {
    const std::uint16_t lo = Byte();
    return static_cast<std::uint16_t>(lo | (Byte() << 8));
  }
  // The bytes not taken.
  const std::uint8_t* Rest() const { return data_ + pos_; }
  std::size_t RestSize() const { return size_ - pos_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

}  // namespace fuzz
