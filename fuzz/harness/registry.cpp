// Registry files: a registry file of the input walked as the program walks
// its keys (every key, its subkeys and values, as text and as integers),
// then a value written back. A damaged file is refused with
// ERegistryException and never written over; a value read can be written
// back and reads back unchanged, and writing it a second time gives the same
// file (save -> read -> save).
//
// Input: the registry file.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_common.h"
#include "platform/files/registry.h"

namespace {

constexpr int kMaxKeys = 2000;

struct Found {
  std::string Key;  // absolute path
  std::string Name;
  std::string Text;
  bool IsText = false;
};

// Walks the open key and everything below it.
void WalkKey(platform::TRegistry& reg, int& keys, Found& first) {
  if (++keys > kMaxKeys) return;
  (void)reg.HasSubKeys();
  for (const std::string& name : reg.GetValueNames()) {
    fuzz::Check(reg.ValueExists(name), "a listed value does not exist: " + name);
    try {
      const std::string text = reg.ReadString(name);
      if (first.Name.empty()) first = Found{"\\" + reg.CurrentPath(), name, text, true};
    } catch (const platform::ERegistryException&) {
      // not a text
    }
    try {
      (void)reg.ReadInteger(name);
    } catch (const platform::ERegistryException&) {
      // not an integer
    }
  }
  const std::string here = "\\" + reg.CurrentPath();
  for (const std::string& sub : reg.GetKeyNames()) {
    fuzz::Check(reg.KeyExists(sub), "a listed subkey does not exist: " + sub);
    if (!reg.OpenKey(sub, false)) fuzz::Fail("a listed subkey does not open: " + sub);
    WalkKey(reg, keys, first);
    fuzz::Check(reg.OpenKey(here, false), "the parent key does not open again: " + here);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz::PutFile("registry.reg", data, size);
  platform::TRegistry reg(path);
  int keys = 0;
  Found first;
  try {
    WalkKey(reg, keys, first);
  } catch (const platform::ERegistryException&) {
    // A damaged file: refused, and it must stay as it was.
    try {
      reg.CloseKey();
      if (reg.OpenKey("\\Fuzz", true)) reg.WriteString("Wartość", "x");
    } catch (const platform::ERegistryException&) {
    }
    fuzz::Check(fuzz::ReadFile(path) == std::vector<std::uint8_t>(data, data + size),
                "a damaged registry file was written over");
    return 0;
  }
  if (first.Name.empty()) return 0;

  try {
    fuzz::Check(reg.OpenKey(first.Key, false), "a walked key does not open: " + first.Key);
    reg.WriteString(first.Name, first.Text);
    fuzz::Check(reg.ReadString(first.Name) == first.Text,
                "a value written back reads back changed: " + first.Name);
    const std::vector<std::uint8_t> once = fuzz::ReadFile(path);
    reg.WriteString(first.Name, first.Text);
    fuzz::Check(fuzz::ReadFile(path) == once, "writing the same value again changed the file");
    platform::TRegistry reread(path);
    fuzz::Check(reread.OpenKey(first.Key, false), "a key written does not open after rereading");
    fuzz::Check(reread.ReadString(first.Name) == first.Text,
                "a value written back reads back changed after rereading: " + first.Name);
  } catch (const platform::ERegistryException& e) {
    fuzz::Fail(std::string("a value read cannot be written back: ") + e.what());
  }
  return 0;
}
