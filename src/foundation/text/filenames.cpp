#include "foundation/text/filenames.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <random>
#include <unordered_set>
#include <vector>

#include "foundation/errors.h"
#include "platform/files/codepage.h"
#include "platform/files/files.h"
#include "platform/files/paths.h"

namespace {

// Most candidates tried before giving up when the number range is large.
constexpr std::uint32_t kMaxTempNameTries = 1000;

std::mt19937& Random() {
  thread_local std::mt19937 generator{std::random_device{}()};
  return generator;
}

bool NameTaken(const std::string& name) {
  return platform::FileExists(name) || platform::DirectoryExists(name);
}

}  // namespace

std::string MakeTempFileName(std::string_view Prefix, std::string_view Ext) {
  std::string prefix(Prefix);
  if (platform::ExtractFileDir(prefix).empty()) {
    const std::string folder = platform::TempFolder();
    if (!folder.empty()) {
      if (!platform::DirectoryExists(folder)) platform::ForceDirectories(folder);
      prefix = platform::JoinPath(folder, prefix);
    }
  }

  // The number fills the name part up to 8 characters: 10^(8 - length)
  // candidates, a single one (0) for 8 characters or more.
  const std::size_t nameLength = platform::Cp1250Length(platform::ExtractFileName(prefix));
  std::uint32_t limit = 1;
  for (std::size_t k = nameLength; k < 8; ++k) limit *= 10;

  auto candidate = [&](std::uint32_t n) { return prefix + std::to_string(n) + std::string(Ext); };

  if (limit <= kMaxTempNameTries) {
    // Few candidates: try every one once, in random order.
    std::vector<std::uint32_t> numbers(limit);
    std::iota(numbers.begin(), numbers.end(), 0u);
    std::shuffle(numbers.begin(), numbers.end(), Random());
    for (std::uint32_t n : numbers) {
      std::string name = candidate(n);
      if (!NameTaken(name)) return name;
    }
  } else {
    std::uniform_int_distribution<std::uint32_t> pick(0, limit - 1);
    std::unordered_set<std::uint32_t> tried;
    while (tried.size() < kMaxTempNameTries) {
      const std::uint32_t n = pick(Random());
      if (!tried.insert(n).second) continue;
      std::string name = candidate(n);
      if (!NameTaken(name)) return name;
    }
  }
  throw EInOutError("Nie można utworzyć nazwy pliku tymczasowego: " + prefix + "*" + std::string(Ext));
}

std::string MakeTempFileNameIn(std::string_view Prefix) {
  std::string name;
  platform::MakeTempFile(platform::TempFolder(), Prefix, name);
  return name;
}

void StripOldLayerFileName(std::string& S) {
  const std::size_t dot = S.find('.');
  if (dot != std::string::npos) S.erase(dot, 1);
  if (!S.empty()) {
    // Step back over the continuation bytes of a last letter outside ASCII.
    std::size_t last = S.size() - 1;
    while (last > 0 && (static_cast<unsigned char>(S[last]) & 0xC0) == 0x80) --last;
    if (platform::Utf8CharLength(S, last) != S.size() - last) last = S.size() - 1;
    S.erase(last);
    while (!S.empty() && S.back() == '-') S.pop_back();
  }
  for (char& c : S) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
}

std::string OldLayerFileToName(std::string_view S) {
  std::string name(S);
  StripOldLayerFileName(name);
  return name;
}
