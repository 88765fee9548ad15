#include "platform/files/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <utility>

#include "platform/files/codepage.h"
#include "platform/files/files.h"
#include "platform/files/paths.h"
#include "platform/files/system.h"
#include "platform/files/textfile.h"

namespace platform {

namespace {

constexpr std::string_view kHeader = "Tolvika Registry 1";
constexpr std::string_view kDword = "dword:";

bool ValidName(std::string_view name, bool key) {
  if (key && name.empty()) return false;
  for (unsigned char c : name)
    if (c < 0x20 || (key && c == '\\')) return false;
  return true;
}

// True when the text survives the trip through code page 1250.
bool Representable(std::string_view utf8) { return Cp1250ToUtf8(Utf8ToCp1250(utf8)) == utf8; }

std::string Escape(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  for (char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        out += c;
    }
  }
  return out;
}

[[noreturn]] void ThrowDamaged(const std::string& path, int line, const std::string& reason) {
  throw ERegistryException("Uszkodzony plik rejestru " + path + ", wiersz " + std::to_string(line) +
                           ": " + reason);
}

[[noreturn]] void ThrowWriteError(const std::string& path, std::uint32_t code) {
  throw ERegistryException("Błąd zapisu rejestru " + path + ": " + ErrorText(code));
}

// Reads a quoted, escaped text starting at text[pos] == '"'; pos ends after
// the closing quote. False when it is not well formed.
bool ReadQuoted(std::string_view text, std::size_t& pos, std::string& out) {
  if (pos >= text.size() || text[pos] != '"') return false;
  out.clear();
  for (++pos; pos < text.size(); ++pos) {
    char c = text[pos];
    if (c == '"') {
      ++pos;
      return true;
    }
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++pos >= text.size()) return false;
    switch (text[pos]) {
      case '\\':
        out += '\\';
        break;
      case '"':
        out += '"';
        break;
      case 'r':
        out += '\r';
        break;
      case 'n':
        out += '\n';
        break;
      default:
        return false;
    }
  }
  return false;
}

// Holds an exclusive lock on the registry's lock file for a change.
class FileLock {
 public:
  explicit FileLock(const std::string& registryPath) {
    std::string lockPath = registryPath + ".lock";
    fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0)
      ThrowWriteError(registryPath, errno == EACCES ? kErrorAccessDenied : kErrorPathNotFound);
    int locked;
    while ((locked = ::flock(fd_, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (locked != 0) {
      // Without the lock another process's change could be lost: no change.
      ::close(fd_);
      ThrowWriteError(registryPath, kErrorLockViolation);
    }
  }
  // Closing the lock file's only descriptor releases the lock; an explicit
  // unlock could fail and leave nothing to do about it in a destructor.
  ~FileLock() { ::close(fd_); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  int fd_ = -1;
};

}  // namespace

struct TRegistry::Key {
  struct Value {
    std::string name;
    bool integer = false;
    std::string text;
    std::int32_t number = 0;
  };
  std::string name;
  std::vector<Value> values;
  std::vector<std::unique_ptr<Key>> subkeys;  // in CompareText order of names

  Key* Child(std::string_view child) const {
    for (const auto& k : subkeys)
      if (SameText(k->name, child)) return k.get();
    return nullptr;
  }
  Key* AddChild(std::string_view child) {
    if (Key* existing = Child(child)) return existing;
    auto key = std::make_unique<Key>();
    key->name = std::string(child);
    auto at = std::find_if(subkeys.begin(), subkeys.end(),
                           [&](const auto& k) { return CompareText(k->name, child) > 0; });
    return subkeys.insert(at, std::move(key))->get();
  }
  // The value of that name, made (empty, as text) when there is none.
  Value& AddValue(std::string_view valueName) {
    if (Value* existing = FindValue(valueName)) return *existing;
    values.emplace_back();
    values.back().name = std::string(valueName);
    return values.back();
  }
  Value* FindValue(std::string_view valueName) {
    for (Value& v : values)
      if (SameText(v.name, valueName)) return &v;
    return nullptr;
  }
  const Value* FindValue(std::string_view valueName) const {
    return const_cast<Key*>(this)->FindValue(valueName);
  }
};

TRegistry::TRegistry() : TRegistry(JoinPath(UserConfigFolder(), "registry.reg")) {}

TRegistry::TRegistry(std::string_view fileName)
    : fileName_(fileName), root_(std::make_unique<Key>()) {}

TRegistry::~TRegistry() = default;

void TRegistry::Load() const {
  std::string path = ResolvePath(fileName_);
  const FileStamp stamp = StampOf(path);
  if (loaded_ && stamp == stamp_) return;

  std::string bytes;
  if (stamp.size > 0) {
    File file;
    if (!file.Open(path, FileAccess::Read, FileShare::DenyNone))
      throw ERegistryException("Błąd odczytu rejestru " + path + ": " + ErrorText(LastError()));
    bytes.resize(static_cast<std::size_t>(stamp.size));
    std::int64_t got = file.ReadAt(0, bytes.data(), bytes.size());
    if (got < 0)
      throw ERegistryException("Błąd odczytu rejestru " + path + ": " + ErrorText(LastError()));
    bytes.resize(static_cast<std::size_t>(got));
  }

  auto root = std::make_unique<Key>();
  Key* key = nullptr;
  bool header = false;
  int lineNo = 0;
  for (std::string_view raw : SplitLines(bytes)) {
    ++lineNo;
    std::string line = Cp1250ToUtf8(raw);
    if (line.empty()) continue;
    if (!header) {
      if (line != kHeader) ThrowDamaged(path, lineNo, "brak nagłówka");
      header = true;
      continue;
    }
    if (line.front() == '[') {
      if (line.back() != ']') ThrowDamaged(path, lineNo, "niezamknięta nazwa klucza");
      std::string_view inner = std::string_view(line).substr(1, line.size() - 2);
      key = root.get();
      while (!inner.empty()) {
        std::size_t cut = inner.find('\\');
        std::string_view part = inner.substr(0, cut);
        if (!ValidName(part, true)) ThrowDamaged(path, lineNo, "błędna nazwa klucza");
        key = key->AddChild(part);
        inner = cut == std::string_view::npos ? std::string_view() : inner.substr(cut + 1);
        if (cut != std::string_view::npos && inner.empty())
          ThrowDamaged(path, lineNo, "błędna nazwa klucza");
      }
      continue;
    }
    if (key == nullptr) ThrowDamaged(path, lineNo, "wartość poza kluczem");
    Key::Value value;
    std::size_t pos = 0;
    // A name the writer refuses (a control character) is damage as well:
    // read, it could never be written back.
    if (!ReadQuoted(line, pos, value.name) || pos >= line.size() || line[pos] != '=' ||
        !ValidName(value.name, false))
      ThrowDamaged(path, lineNo, "błędna nazwa wartości");
    ++pos;
    std::string_view rest = std::string_view(line).substr(pos);
    if (rest.substr(0, kDword.size()) == kDword) {
      std::string_view digits = rest.substr(kDword.size());
      if (digits.size() != 8 || !std::all_of(digits.begin(), digits.end(), [](char c) {
            return std::isxdigit(static_cast<unsigned char>(c));
          }))
        ThrowDamaged(path, lineNo, "błędna liczba");
      value.integer = true;
      value.number = static_cast<std::int32_t>(std::stoul(std::string(digits), nullptr, 16));
    } else {
      if (!ReadQuoted(line, pos, value.text) || pos != line.size())
        ThrowDamaged(path, lineNo, "błędny tekst wartości");
    }
    if (Key::Value* old = key->FindValue(value.name))
      *old = std::move(value);
    else
      key->values.push_back(std::move(value));
  }
  if (!bytes.empty() && !header) ThrowDamaged(path, 1, "brak nagłówka");

  root_ = std::move(root);
  loaded_ = true;
  stamp_ = stamp;
}

void TRegistry::Save() const {
  std::string path = ResolvePath(fileName_);
  std::string text(kHeader);
  text += "\r\n";
  std::vector<std::pair<std::string, const Key*>> stack;
  stack.emplace_back("", root_.get());
  while (!stack.empty()) {
    auto [keyPath, key] = stack.back();
    stack.pop_back();
    if (key != root_.get() || !key->values.empty()) {
      text += "[" + keyPath + "]\r\n";
      for (const Key::Value& v : key->values) {
        text += '"';
        text += Escape(v.name);
        text += "\"=";
        if (v.integer) {
          char digits[9];
          std::snprintf(digits, sizeof digits, "%08x", static_cast<std::uint32_t>(v.number));
          text += std::string(kDword) + digits;
        } else {
          text += '"';
          text += Escape(v.text);
          text += '"';
        }
        text += "\r\n";
      }
    }
    for (auto it = key->subkeys.rbegin(); it != key->subkeys.rend(); ++it)
      stack.emplace_back(keyPath.empty() ? (*it)->name : keyPath + "\\" + (*it)->name, it->get());
  }
  std::string bytes = Utf8ToCp1250(text);

  std::uint32_t code = 0;
  if (!ReplaceFileContent(path, bytes, "~reg", std::nullopt, code)) ThrowWriteError(path, code);
  // The next read takes the new file's stamp.
  loaded_ = false;
}

template <typename Change>
bool TRegistry::Modify(Change change) {
  std::string path = ResolvePath(fileName_);
  std::string folder = ExtractFileDir(path);
  if (!folder.empty() && !ForceDirectories(folder)) ThrowWriteError(path, LastError());
  FileLock lock(path);
  Load();
  if (!change()) return false;
  Save();
  return true;
}

bool TRegistry::Resolve(std::string_view key, std::vector<std::string>& path) const {
  path.clear();
  if (key.empty() || key.front() != '\\') path = current_;
  while (!key.empty()) {
    std::size_t cut = key.find('\\');
    std::string_view part = key.substr(0, cut);
    key = cut == std::string_view::npos ? std::string_view() : key.substr(cut + 1);
    if (part.empty()) continue;
    if (!ValidName(part, true)) return false;
    path.emplace_back(part);
  }
  return true;
}

const TRegistry::Key* TRegistry::Find(const std::vector<std::string>& path) const {
  Load();
  const Key* key = root_.get();
  for (const std::string& part : path) {
    key = key->Child(part);
    if (key == nullptr) return nullptr;
  }
  return key;
}

TRegistry::Key* TRegistry::Find(const std::vector<std::string>& path) {
  return const_cast<Key*>(std::as_const(*this).Find(path));
}

bool TRegistry::OpenKey(std::string_view key, bool canCreate) {
  std::vector<std::string> path;
  if (!Resolve(key, path)) return false;
  const Key* found = Find(path);
  if (found == nullptr) {
    if (!canCreate) return false;
    for (const std::string& part : path)
      if (!Representable(part))
        throw ERegistryException("Nazwy klucza rejestru nie można zapisać: " + part);
    Modify([&] {
      Key* k = root_.get();
      for (const std::string& part : path) k = k->AddChild(part);
      return true;
    });
    found = Find(path);
    if (found == nullptr) return false;
  }
  // Keep the names as stored.
  current_.clear();
  const Key* k = root_.get();
  for (const std::string& part : path) {
    k = k->Child(part);
    current_.push_back(k->name);
  }
  return true;
}

std::string TRegistry::KeyName(std::string_view name) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(name.size());
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || c == '\\' || c == '%') {
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 0x0F];
    } else {
      out += c;
    }
  }
  return out;
}

bool TRegistry::OpenSubKey(std::string_view name, bool canCreate) {
  if (name.empty()) return false;
  return OpenKey(KeyName(name), canCreate);
}

bool TRegistry::SubKeyExists(std::string_view name) const {
  return !name.empty() && KeyExists(KeyName(name));
}

void TRegistry::CloseKey() { current_.clear(); }

std::string TRegistry::CurrentPath() const {
  std::string path;
  for (const std::string& part : current_) {
    if (!path.empty()) path += '\\';
    path += part;
  }
  return path;
}

bool TRegistry::KeyExists(std::string_view key) const {
  std::vector<std::string> path;
  return Resolve(key, path) && Find(path) != nullptr;
}

bool TRegistry::ValueExists(std::string_view name) const {
  const Key* key = Find(current_);
  return key != nullptr && key->FindValue(name) != nullptr;
}

bool TRegistry::HasSubKeys() const {
  const Key* key = Find(current_);
  return key != nullptr && !key->subkeys.empty();
}

std::vector<std::string> TRegistry::GetKeyNames() const {
  std::vector<std::string> names;
  if (const Key* key = Find(current_))
    for (const auto& k : key->subkeys) names.push_back(k->name);
  return names;
}

std::vector<std::string> TRegistry::GetValueNames() const {
  std::vector<std::string> names;
  if (const Key* key = Find(current_))
    for (const Key::Value& v : key->values) names.push_back(v.name);
  return names;
}

std::string TRegistry::ReadString(std::string_view name) const {
  const Key* key = Find(current_);
  const Key::Value* value = key != nullptr ? key->FindValue(name) : nullptr;
  if (value == nullptr) return {};
  if (value->integer)
    throw ERegistryException("Nieprawidłowy typ danych wartości '" + std::string(name) + "'");
  return value->text;
}

std::int32_t TRegistry::ReadInteger(std::string_view name) const {
  const Key* key = Find(current_);
  const Key::Value* value = key != nullptr ? key->FindValue(name) : nullptr;
  if (value == nullptr)
    throw ERegistryException("Brak wartości '" + std::string(name) + "' w rejestrze");
  if (!value->integer)
    throw ERegistryException("Nieprawidłowy typ danych wartości '" + std::string(name) + "'");
  return value->number;
}

namespace {

void CheckValueName(std::string_view name) {
  if (!ValidName(name, false) || !Representable(name))
    throw ERegistryException("Niedozwolona nazwa wartości rejestru '" + std::string(name) + "'");
}

}  // namespace

void TRegistry::WriteString(std::string_view name, std::string_view value) {
  CheckValueName(name);
  if (!Representable(value))
    throw ERegistryException("Wartości '" + std::string(name) +
                             "' nie można zapisać w stronie kodowej 1250");
  WriteValue(name, false, value, 0);
}

void TRegistry::WriteInteger(std::string_view name, std::int32_t value) {
  CheckValueName(name);
  WriteValue(name, true, {}, value);
}

void TRegistry::WriteValue(std::string_view name, bool integer, std::string_view text,
                           std::int32_t number) {
  bool done = Modify([&] {
    Key* key = Find(current_);
    if (key == nullptr) return false;
    Key::Value& v = key->AddValue(name);
    v.integer = integer;
    v.text = std::string(text);
    v.number = number;
    return true;
  });
  if (!done) throw ERegistryException("Klucz rejestru " + CurrentPath() + " nie istnieje");
}

bool TRegistry::DeleteValue(std::string_view name) {
  const Key* key = Find(current_);
  if (key == nullptr || key->FindValue(name) == nullptr) return false;
  return Modify([&] {
    Key* k = Find(current_);
    if (k == nullptr) return false;
    auto it = std::find_if(k->values.begin(), k->values.end(),
                           [&](const Key::Value& v) { return SameText(v.name, name); });
    if (it == k->values.end()) return false;
    k->values.erase(it);
    return true;
  });
}

namespace {

// Removes the last component of path from its parent; with tree false only a
// key without subkeys.
template <typename FindFn>
bool RemoveKey(FindFn find, const std::vector<std::string>& path, bool tree) {
  if (path.empty()) return false;
  std::vector<std::string> parentPath(path.begin(), path.end() - 1);
  auto* parent = find(parentPath);
  if (parent == nullptr) return false;
  auto it = std::find_if(parent->subkeys.begin(), parent->subkeys.end(),
                         [&](const auto& k) { return SameText(k->name, path.back()); });
  if (it == parent->subkeys.end()) return false;
  if (!tree && !(*it)->subkeys.empty()) return false;
  parent->subkeys.erase(it);
  return true;
}

}  // namespace

bool TRegistry::DeleteKey(std::string_view key) {
  std::vector<std::string> path;
  if (!Resolve(key, path) || path.empty()) return false;
  const Key* found = Find(path);
  if (found == nullptr || !found->subkeys.empty()) return false;
  return Modify([&] {
    return RemoveKey([this](const std::vector<std::string>& p) { return Find(p); }, path, false);
  });
}

bool TRegistry::DeleteKeyTree(std::string_view key) {
  std::vector<std::string> path;
  if (!Resolve(key, path) || path.empty() || Find(path) == nullptr) return false;
  return Modify([&] {
    return RemoveKey([this](const std::vector<std::string>& p) { return Find(p); }, path, true);
  });
}

}  // namespace platform
