// The registry of the current user: a tree of keys holding named string and
// integer values, kept in one file under the user's configuration folder
// (UserConfigFolder()/registry.reg) or in a file named by the caller.
//
// Key paths are written with '\': a path that starts with '\' is absolute,
// any other is relative to the open key ("\Software\Varnox\Tolvika 3",
// "Porządek warstw"). Key and value names compare case-insensitively (Polish
// letters included) and keep the case they were created with; subkeys list in
// name order, values in the order they were made.
//
// The file holds code page 1250, one "[path]" line per key followed by its
// values, '"name"="text"' or '"name"=dword:XXXXXXXX' (text escapes \\, \",
// \r, \n). Every read sees the file as it is on disk. Every change re-reads
// the file under a lock that other processes respect, then writes the whole
// tree to a temporary file and renames it over the old one, so a failed write
// leaves the file as it was. A damaged file is never written over: reads and
// writes throw ERegistryException naming the file and line.
//
// One thread uses an object at a time. The object owns only its cache.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/textfile.h"

namespace platform {

class ERegistryException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TRegistry {
 public:
  // The current user's registry.
  TRegistry();
  // The registry kept in fileName.
  explicit TRegistry(std::string_view fileName);
  ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  const std::string& FileName() const { return fileName_; }

  // Opens key (creating it and every missing key above it when canCreate);
  // false, with the open key unchanged, when it does not exist or a name is
  // empty or holds a control character.
  bool OpenKey(std::string_view key, bool canCreate);
  // Opens the subkey of the open key whose name is Name taken whole: a name
  // holding '\' (or '/', or a control character) stays one key and never
  // becomes a nested path (see KeyName). Otherwise as OpenKey.
  bool OpenSubKey(std::string_view name, bool canCreate);
  bool SubKeyExists(std::string_view name) const;
  // The key name that stands for Name in a path: '%' and the characters a
  // key name cannot hold ('\' and control characters) become "%XX" (two
  // upper-case hex digits); every other name is itself, so the keys written
  // before stay where they were.
  static std::string KeyName(std::string_view name);
  // Back at the root; the open key of a new object is the root.
  void CloseKey();
  // The open key's path without the leading '\' ("" at the root).
  std::string CurrentPath() const;

  bool KeyExists(std::string_view key) const;
  bool ValueExists(std::string_view name) const;
  bool HasSubKeys() const;
  // Names of the open key's subkeys and values.
  std::vector<std::string> GetKeyNames() const;
  std::vector<std::string> GetValueNames() const;

  // "" when the value is missing; a value that is not text throws.
  std::string ReadString(std::string_view name) const;
  // A missing value or one that is not an integer throws.
  std::int32_t ReadInteger(std::string_view name) const;
  bool ReadBool(std::string_view name) const { return ReadInteger(name) != 0; }

  // Writes (replacing a value of any type) into the open key; throws when the
  // key no longer exists, the name is not allowed or the file cannot be
  // written.
  void WriteString(std::string_view name, std::string_view value);
  void WriteInteger(std::string_view name, std::int32_t value);
  void WriteBool(std::string_view name, bool value) { WriteInteger(name, value ? 1 : 0); }

  // Removes a value of the open key; false when it is missing.
  bool DeleteValue(std::string_view name);
  // Removes a key that has no subkeys (as the Windows registry does); false
  // when it is missing, has subkeys or is the root.
  bool DeleteKey(std::string_view key);
  // Removes a key with everything below it; false when it is missing or the
  // root.
  bool DeleteKeyTree(std::string_view key);

  struct Key;

 private:
  // The components of key resolved against the open key; false for a name
  // that is not allowed.
  bool Resolve(std::string_view key, std::vector<std::string>& path) const;
  void Load() const;
  void Save() const;
  const Key* Find(const std::vector<std::string>& path) const;
  Key* Find(const std::vector<std::string>& path);
  // Runs change on a freshly read tree under the file lock and saves it when
  // change returns true; the result of change.
  template <typename Change>
  bool Modify(Change change);
  // Sets the value in the open key (made when missing), under Modify; a
  // missing open key throws.
  void WriteValue(std::string_view name, bool integer, std::string_view text,
                  std::int32_t number);

  std::string fileName_;
  std::vector<std::string> current_;
  mutable std::unique_ptr<Key> root_;
  mutable bool loaded_ = false;
  mutable FileStamp stamp_;
};

}  // namespace platform
