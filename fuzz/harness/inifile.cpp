// Ini files: a settings file of the input read as the settings groups read
// theirs (every section, key and value, as text, integer and truth value),
// then a few values written back. A value read from the file can be written
// back, and reads back unchanged; the keys not written keep their values.
//
// Input: the ini file.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_common.h"
#include "platform/files/inifile.h"

namespace {

// Every write replaces the file; a few are enough to see one fail.
constexpr int kWritesBack = 4;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz::PutFile("tolvika.ini", data, size);
  platform::TIniFile ini(path);

  std::vector<std::pair<std::string, std::string>> keys;  // section, key
  std::map<std::pair<std::string, std::string>, std::string> values;
  for (const std::string& section : ini.ReadSections()) {
    fuzz::Check(ini.SectionExists(section), "a listed section does not exist: " + section);
    (void)ini.ReadSectionValues(section);
    for (const std::string& key : ini.ReadSection(section)) {
      fuzz::Check(ini.ValueExists(section, key), "a listed key does not exist: " + key);
      const std::string value = ini.ReadString(section, key, "\x01");
      (void)ini.ReadInteger(section, key, -1);
      (void)ini.ReadBool(section, key, false);
      keys.emplace_back(section, key);
      values.emplace(std::make_pair(section, key), value);
    }
  }

  int written = 0;
  for (const auto& [section, key] : keys) {
    if (written == kWritesBack) break;
    const std::string value = ini.ReadString(section, key, "\x01");
    try {
      ini.WriteString(section, key, value);
    } catch (const platform::EIniFileError& e) {
      fuzz::Fail("a value read cannot be written back: [" + section + "] " + key + ": " + e.what());
    }
    ++written;
    fuzz::Check(ini.ReadString(section, key, "\x01") == value,
                "a value written back reads back changed: [" + section + "] " + key);
  }
  if (written > 0) {
    // The other keys keep what they held, read afresh from the file.
    platform::TIniFile reread(path);
    for (const auto& [name, value] : values) {
      if (reread.ReadString(name.first, name.second, "\x01") == value) continue;
      // A key that occurs twice reads as its first occurrence either way.
      fuzz::Fail("writing back changed another key: [" + name.first + "] " + name.second);
    }
  }
  return 0;
}
