#include "foundation/users/users.h"

#include <crypt.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "foundation/errors.h"
#include "foundation/storage/bytes.h"
#include "platform/files/codepage.h"
#include "platform/files/files.h"
#include "platform/files/inifile.h"
#include "platform/files/paths.h"
#include "platform/files/system.h"
#include "platform/gui/dialogs.h"

namespace {

// The crypt() setting every stored hash follows: yescrypt at cost 5.
constexpr std::string_view kHashSetting = "$y$j9T$";
constexpr unsigned long kHashCost = 5;
constexpr std::size_t kSaltLength = 22;
constexpr std::size_t kHashLength = kHashSetting.size() + kUserPasswordSize;  // 73

constexpr std::size_t kCheckOffset = 8;
constexpr std::size_t kCountOffset = 12;
constexpr std::size_t kChunk = 65536;

class Crc32 {
 public:
  Crc32() {
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table_[i] = c;
    }
  }
  void Add(const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) crc_ = table_[(crc_ ^ data[i]) & 0xFF] ^ (crc_ >> 8);
  }
  std::uint32_t Value() const { return crc_ ^ 0xFFFFFFFFu; }

 private:
  std::uint32_t table_[256];
  std::uint32_t crc_ = 0xFFFFFFFFu;
};

// A length-prefixed field: the text in UTF-8.
std::string ShortString(const TUserC::Record& r, std::size_t offset) {
  const std::size_t length = r[offset];
  return platform::Cp1250ToUtf8(
      std::string_view(reinterpret_cast<const char*>(r.data() + offset + 1), length));
}

bool IsCryptChar(std::uint8_t c) {
  return c == '.' || c == '/' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
         (c >= 'a' && c <= 'z');
}

bool ValidHashField(const std::uint8_t* p) {
  for (std::size_t i = 0; i < kUserPasswordSize; ++i) {
    if (i == kSaltLength ? p[i] != '$' : !IsCryptChar(p[i])) return false;
  }
  return true;
}

// Whether the code-page bytes of a name are free of control characters,
// which the editor never writes into a name.
bool NameCharsAllowed(const std::uint8_t* text, std::size_t length) {
  return std::none_of(text, text + length, [](std::uint8_t c) { return c < 0x20; });
}

// A name field: its length fits, and it holds what the editor would write.
bool ValidNameField(const TUserC::Record& r, std::size_t offset, std::size_t max) {
  return r[offset] <= max && NameCharsAllowed(r.data() + offset + 1, r[offset]);
}

// Invariants 4 to 7 of one record: a loaded record can always be saved again.
bool ValidRecord(const TUserC::Record& r) {
  if (!ValidNameField(r, kUserFullNameOffset, kUserFullNameMax)) return false;
  if (!ValidNameField(r, kUserLogonNameOffset, kUserLogonNameMax)) return false;
  if (r[kUserLogonNameOffset] == 0) return false;  // the editor refuses an empty logon name
  if (!ValidNameField(r, kUserAccountOffset, kUserAccountMax)) return false;
  switch (r[kUserPasswordFormOffset]) {
    case kPasswordNone:
      return true;
    case kPasswordYescrypt:
      return ValidHashField(r.data() + kUserPasswordOffset);
    default:
      return false;
  }
}

// Reads and checks a users file; the records on success. Never raises.
int ReadUsersFile(std::string_view fileName, std::array<std::uint8_t, kUsersHeaderRead>& header,
                  std::vector<TUserC::Record>& records, std::uint32_t* checkValue = nullptr) {
  records.clear();
  if (!platform::FileExists(fileName)) return kUsersFileMissing;
  platform::File file;
  if (!file.Open(fileName, platform::FileAccess::Read, platform::FileShare::DenyNone))
    return kUsersCannotOpen;

  std::array<std::uint8_t, kUsersHeaderSize> head{};
  const std::int64_t got = file.ReadAt(0, head.data(), kUsersHeaderRead);
  std::copy_n(head.begin(), kUsersHeaderRead, header.begin());
  if (got < 2 || GetU16(head.data()) != kUsersFileMagic) return kUsersWrongFile;

  const std::int64_t size = file.Size();
  if (size < static_cast<std::int64_t>(kUsersHeaderSize) ||
      (size - static_cast<std::int64_t>(kUsersHeaderSize)) % kUserRecordSize != 0)
    return kUsersFileDamaged;
  const std::int64_t k = (size - static_cast<std::int64_t>(kUsersHeaderSize)) / kUserRecordSize;
  const std::uint16_t n = GetU16(head.data() + kCountOffset);
  if (n == 0 || k < n) return kUsersFileDamaged;

  // The check value covers every byte but itself, records past the n-th too.
  std::vector<std::uint8_t> kept;
  kept.reserve(kUsersHeaderSize + static_cast<std::size_t>(n) * kUserRecordSize);
  Crc32 crc;
  std::vector<std::uint8_t> chunk(kChunk);
  for (std::uint64_t offset = 0; offset < static_cast<std::uint64_t>(size);) {
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, static_cast<std::uint64_t>(size) - offset));
    if (file.ReadAt(offset, chunk.data(), want) != static_cast<std::int64_t>(want))
      return kUsersFileDamaged;
    for (std::size_t i = 0; i < want; ++i) {
      const std::uint64_t at = offset + i;
      if (at >= kCheckOffset && at < kCheckOffset + 4) continue;
      crc.Add(&chunk[i], 1);
    }
    const std::size_t keepLimit = kUsersHeaderSize + static_cast<std::size_t>(n) * kUserRecordSize;
    if (offset < keepLimit) {
      const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(want, keepLimit - offset));
      kept.insert(kept.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(take));
    }
    offset += want;
  }
  if (crc.Value() != GetU32(head.data() + kCheckOffset)) return kUsersFileDamaged;

  records.resize(n);
  std::vector<bool> seen(0x10000, false);  // numbers taken: the editor finds a user by it
  for (std::size_t i = 0; i < n; ++i) {
    std::copy_n(kept.begin() + static_cast<std::ptrdiff_t>(kUsersHeaderSize + i * kUserRecordSize),
                kUserRecordSize, records[i].begin());
    const std::uint16_t id = GetU16(records[i].data() + kUserIdOffset);
    if (!ValidRecord(records[i]) || seen[id]) {
      records.clear();
      return kUsersFileDamaged;
    }
    seen[id] = true;
  }
  if (checkValue) *checkValue = crc.Value();
  return kUsersOk;
}

// The crypt() output of password under setting, empty on failure.
std::string Crypt(std::string_view password, const std::string& setting) {
  auto data = std::make_unique<crypt_data>();
  std::memset(data.get(), 0, sizeof(crypt_data));
  const std::string pass(password);
  const char* out = crypt_rn(pass.c_str(), setting.c_str(), data.get(), sizeof(crypt_data));
  std::string result = out ? out : "";
  std::memset(data.get(), 0, sizeof(crypt_data));
  return result;
}

bool ConstantTimeEqual(std::string_view a, std::string_view b) {
  unsigned diff = a.size() == b.size() ? 0u : 1u;
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) diff |= static_cast<unsigned char>(a[i]) ^ static_cast<unsigned char>(b[i]);
  return diff == 0;
}

// Checks a name for a field and gives its code-page form.
std::string FieldText(std::string_view text, std::size_t max, const char* what) {
  const std::string cp = platform::Utf8ToCp1250(text);
  if (platform::Cp1250ToUtf8(cp) != text)
    throw ETvError(FormatMessage("%s zawiera znaki, których nie można zapisać w pliku z użytkownikami",
                                 what));
  if (cp.size() > max)
    throw ETvError(FormatMessage("%s jest za długa (najwyżej %zu znaków)", what, max));
  if (!NameCharsAllowed(reinterpret_cast<const std::uint8_t*>(cp.data()), cp.size()))
    throw ETvError(FormatMessage("%s zawiera niedozwolone znaki", what));
  return cp;
}

void PutShortString(TUserC::Record& r, std::size_t offset, const std::string& cp) {
  r[offset] = static_cast<std::uint8_t>(cp.size());
  std::memcpy(r.data() + offset + 1, cp.data(), cp.size());
}

}  // namespace

std::string UsersFileErrorText(int code) {
  switch (code) {
    case kUsersFileMissing:
      return "Brak pliku z użytkownikami";
    case kUsersCannotCreate:
      return "Nie można utworzyć pliku z użytkownikami";
    case kUsersCannotOpen:
      return "Nie można otworzyć pliku z użytkownikami";
    case kUsersWrongFile:
      return "Niewłaściwy plik z użytkownikami";
    case kUsersModifiedByOther:
      return "Plik z użytkownikami jest aktualnie modyfikowany przez inną osobę";
    case kUsersFileDamaged:
      return "Plik z użytkownikami uległ zniszczeniu";
    default:
      return {};
  }
}

void ShowUsersFileError(int code) {
  const std::string text = UsersFileErrorText(code);
  if (text.empty()) return;
  platform::MessageBox(text, "", platform::MB_OK | platform::MB_ICONERROR);
}

std::uint32_t UsersFileCheckValue(const std::vector<std::uint8_t>& image) {
  Crc32 crc;
  const std::size_t split = std::min(image.size(), kCheckOffset);
  crc.Add(image.data(), split);
  if (image.size() > kCheckOffset + 4)
    crc.Add(image.data() + kCheckOffset + 4, image.size() - kCheckOffset - 4);
  return crc.Value();
}

// TUserC

std::uint16_t TUserC::Id() const { return GetU16(record_.data() + kUserIdOffset); }
std::uint32_t TUserC::Rights() const { return GetU32(record_.data() + kUserRightsOffset); }
std::string TUserC::FullName() const { return ShortString(record_, kUserFullNameOffset); }
std::string TUserC::LogonName() const { return ShortString(record_, kUserLogonNameOffset); }
std::string TUserC::AccountName() const { return ShortString(record_, kUserAccountOffset); }

bool TUserC::HasObjectRight(std::uint8_t group) const {
  return (record_[kUserObjectRightsOffset + group / 8] >> (group % 8)) & 1;
}

bool TUserC::CheckPassword(std::string_view password) const {
  if (record_[kUserPasswordFormOffset] != kPasswordYescrypt) return false;
  const std::string_view stored(reinterpret_cast<const char*>(record_.data() + kUserPasswordOffset),
                                kUserPasswordSize);
  const std::string setting = std::string(kHashSetting) + std::string(stored.substr(0, kSaltLength));
  const std::string computed = Crypt(password, setting);
  if (computed.size() != kHashLength) return false;
  return ConstantTimeEqual(std::string_view(computed).substr(kHashSetting.size()), stored);
}

// TUserManager

int TUserManager::Load(std::string_view fileName) {
  std::vector<TUserC::Record> records;
  std::array<std::uint8_t, kUsersHeaderRead> header{};
  const int code = ReadUsersFile(fileName, header, records);
  if (code != kUsersFileMissing && code != kUsersCannotOpen) Header = header;
  if (code != kUsersOk) return code;
  for (const TUserC::Record& r : records) Add(std::make_unique<TUserC>(r));
  Loaded = true;
  return kUsersOk;
}

std::uint16_t TUserManager::CheckLogon(std::string_view name, std::string_view password) const {
  for (std::int32_t i = 0; i < Count(); ++i) {
    const TUserC* user = User(i);
    if (user->LogonName() != name) continue;
    if (!user->HasRight(kRightLogon)) continue;
    if (user->CheckPassword(password)) return user->Id();
  }
  return 0;
}

TUserC* TUserManager::FindUser(std::uint16_t id) const {
  for (std::int32_t i = 0; i < Count(); ++i) {
    if (User(i)->Id() == id) return User(i);
  }
  return nullptr;
}

std::string TUserManager::GetUserName(std::uint16_t id) const {
  switch (id) {
    case kUserIdUnknown:
      return "Użytkownik nieznany";
    case kUserIdOriginal:
      return "Użytkownik pierwotny";
    case kUserIdConverter:
      return "Konwerter";
    default:
      break;
  }
  const TUserC* user = FindUser(id);
  if (!user) return {};
  std::string name = user->FullName();
  return name.empty() ? user->LogonName() : name;
}

bool TUserManager::UserHasRight(std::uint16_t id, std::uint32_t mask) const {
  const TUserC* user = FindUser(id);
  return user == nullptr || user->HasRight(mask);
}

bool TUserManager::UserHasObjectRight(std::uint16_t id, std::uint8_t group) const {
  const TUserC* user = FindUser(id);
  return user == nullptr || user->HasObjectRight(group);
}

TUserManager& UserManager() {
  static TUserManager manager;
  return manager;
}

TUsersFileLocation FindUsersFile(std::string_view profileIni) {
  TUsersFileLocation location;
  const platform::TIniFile switchFile(platform::JoinPath(platform::SystemConfigFolder(), "TvUsr.ini"));
  location.FileName = switchFile.ReadString("Logowanie", "Użytkownicy", "");
  if (!location.FileName.empty()) {
    location.FromSwitchFile = true;
    return location;
  }
  const platform::TIniFile profile(profileIni);
  location.FileName = profile.ReadString("Różności", "Użytkownicy", "");
  return location;
}

int LoadUsers(std::string_view profileIni) {
  const TUsersFileLocation location = FindUsersFile(profileIni);
  if (location.FileName.empty()) return kUsersOk;
  return UserManager().Load(location.FileName);
}

// Records and the editor

TUserC::Record EncodeUserRecord(const TUserData& user) {
  TUserC::Record r{};
  PutU16(r.data() + kUserIdOffset, user.Id);
  PutU32(r.data() + kUserRightsOffset, user.Rights);
  PutShortString(r, kUserFullNameOffset, FieldText(user.FullName, kUserFullNameMax, "Pełna nazwa"));
  PutShortString(r, kUserLogonNameOffset,
                 FieldText(user.LogonName, kUserLogonNameMax, "Nazwa użytkownika"));
  PutShortString(r, kUserAccountOffset, FieldText(user.AccountName, kUserAccountMax, "Nazwa konta"));
  std::copy(user.ObjectRights.begin(), user.ObjectRights.end(), r.begin() + kUserObjectRightsOffset);
  if (!user.PasswordHash.empty()) {
    if (user.PasswordHash.size() != kUserPasswordSize ||
        !ValidHashField(reinterpret_cast<const std::uint8_t*>(user.PasswordHash.data())))
      throw EInternalError("EncodeUserRecord: niewłaściwy skrót hasła");
    r[kUserPasswordFormOffset] = kPasswordYescrypt;
    std::memcpy(r.data() + kUserPasswordOffset, user.PasswordHash.data(), kUserPasswordSize);
  }
  return r;
}

void TUsersFileEditor::New() {
  users_.clear();
  haveBase_ = false;
  basePath_.clear();
  baseCheck_ = 0;
}

int TUsersFileEditor::Load(std::string_view fileName) {
  New();
  std::vector<TUserC::Record> records;
  std::array<std::uint8_t, kUsersHeaderRead> header{};
  std::uint32_t check = 0;
  const int code = ReadUsersFile(fileName, header, records, &check);
  if (code != kUsersOk) return code;
  for (const TUserC::Record& r : records) {
    const TUserC user(r);
    TUserData data;
    data.Id = user.Id();
    data.FullName = user.FullName();
    data.LogonName = user.LogonName();
    data.AccountName = user.AccountName();
    data.Rights = user.Rights();
    std::copy_n(r.begin() + kUserObjectRightsOffset, kUserObjectRightsSize, data.ObjectRights.begin());
    if (r[kUserPasswordFormOffset] == kPasswordYescrypt)
      data.PasswordHash.assign(reinterpret_cast<const char*>(r.data() + kUserPasswordOffset),
                               kUserPasswordSize);
    users_.push_back(std::move(data));
  }
  haveBase_ = true;
  basePath_ = platform::ResolvePath(fileName);
  baseCheck_ = check;
  return kUsersOk;
}

const TUserData* TUsersFileEditor::Find(std::uint16_t id) const {
  for (const TUserData& u : users_) {
    if (u.Id == id) return &u;
  }
  return nullptr;
}

TUserData& TUsersFileEditor::Get(std::uint16_t id) {
  for (TUserData& u : users_) {
    if (u.Id == id) return u;
  }
  throw ETvError(FormatMessage("Brak użytkownika o numerze %u", static_cast<unsigned>(id)));
}

void TUsersFileEditor::AddUser(std::uint16_t id, std::string_view logonName, std::string_view fullName) {
  if (id == kUserIdUnknown || id == kUserIdOriginal || id == kUserIdConverter)
    throw ETvError(FormatMessage("Numer użytkownika %u jest zastrzeżony", static_cast<unsigned>(id)));
  if (Find(id)) throw ETvError(FormatMessage("Użytkownik o numerze %u już istnieje", static_cast<unsigned>(id)));
  if (users_.size() >= 0xFFFF) throw ETvError("Za dużo użytkowników");
  TUserData user;
  user.Id = id;
  users_.push_back(user);
  try {
    SetNames(id, logonName, fullName);
  } catch (...) {
    users_.pop_back();
    throw;
  }
}

void TUsersFileEditor::DeleteUser(std::uint16_t id) {
  Get(id);
  users_.erase(std::remove_if(users_.begin(), users_.end(),
                              [id](const TUserData& u) { return u.Id == id; }),
               users_.end());
}

void TUsersFileEditor::SetNames(std::uint16_t id, std::string_view logonName, std::string_view fullName) {
  TUserData& user = Get(id);
  if (logonName.empty()) throw ETvError("Nazwa użytkownika nie może być pusta");
  FieldText(logonName, kUserLogonNameMax, "Nazwa użytkownika");
  FieldText(fullName, kUserFullNameMax, "Pełna nazwa");
  for (const TUserData& other : users_) {
    if (other.Id != id && other.LogonName == logonName)
      throw ETvError("Użytkownik o tej nazwie już istnieje");
  }
  user.LogonName = logonName;
  user.FullName = fullName;
}

void TUsersFileEditor::SetAccount(std::uint16_t id, std::string_view account) {
  TUserData& user = Get(id);
  FieldText(account, kUserAccountMax, "Nazwa konta");
  user.AccountName = account;
}

void TUsersFileEditor::SetPassword(std::uint16_t id, std::string_view password) {
  TUserData& user = Get(id);
  char setting[CRYPT_GENSALT_OUTPUT_SIZE];
  if (!crypt_gensalt_rn("$y$", kHashCost, nullptr, 0, setting, sizeof setting) ||
      std::string_view(setting).substr(0, kHashSetting.size()) != kHashSetting)
    throw ETvError("Nie można zaszyfrować hasła");
  const std::string hash = Crypt(password, setting);
  if (hash.size() != kHashLength || std::string_view(hash).substr(0, kHashSetting.size()) != kHashSetting)
    throw ETvError("Nie można zaszyfrować hasła");
  user.PasswordHash = hash.substr(kHashSetting.size());
}

void TUsersFileEditor::ClearPassword(std::uint16_t id) { Get(id).PasswordHash.clear(); }

void TUsersFileEditor::SetRights(std::uint16_t id, std::uint32_t mask) { Get(id).Rights = mask; }

void TUsersFileEditor::SetObjectRight(std::uint16_t id, std::uint8_t group, bool granted) {
  std::uint8_t& byte = Get(id).ObjectRights[group / 8];
  const std::uint8_t bit = static_cast<std::uint8_t>(1u << (group % 8));
  byte = granted ? static_cast<std::uint8_t>(byte | bit) : static_cast<std::uint8_t>(byte & ~bit);
}

std::vector<std::uint8_t> TUsersFileEditor::Image() const {
  if (users_.empty()) throw ETvError("Plik z użytkownikami musi zawierać co najmniej jednego użytkownika");
  std::vector<std::uint8_t> image(kUsersHeaderSize + users_.size() * kUserRecordSize, 0);
  PutU16(image.data(), kUsersFileMagic);
  PutU16(image.data() + kCountOffset, static_cast<std::uint16_t>(users_.size()));
  for (std::size_t i = 0; i < users_.size(); ++i) {
    const TUserC::Record r = EncodeUserRecord(users_[i]);
    std::copy(r.begin(), r.end(), image.begin() + static_cast<std::ptrdiff_t>(kUsersHeaderSize + i * kUserRecordSize));
  }
  PutU32(image.data() + kCheckOffset, UsersFileCheckValue(image));
  return image;
}

int TUsersFileEditor::Save(std::string_view fileName) {
  const std::vector<std::uint8_t> image = Image();
  const std::string path = platform::ResolvePath(fileName);

  // A lock on the first byte of the file on disk keeps two editors apart;
  // readers are not held up by it.
  const bool checkBase = haveBase_ && basePath_ == path;
  platform::File guard;
  if (guard.Open(path, platform::FileAccess::ReadWrite, platform::FileShare::DenyNone)) {
    if (!guard.LockRange(0, 1)) return kUsersModifiedByOther;
    if (checkBase) {
      std::array<std::uint8_t, kUsersHeaderRead> header{};
      std::vector<TUserC::Record> records;
      std::uint32_t check = 0;
      if (ReadUsersFile(path, header, records, &check) != kUsersOk || check != baseCheck_)
        return kUsersModifiedByOther;
    }
  } else if (checkBase) {
    return kUsersModifiedByOther;
  }

  std::string folder = platform::ExtractFileDir(path);
  if (folder.empty()) folder.assign(1, '.');
  std::string temp;
  if (platform::MakeTempFile(folder, "usr", temp) == 0) return kUsersCannotCreate;
  platform::File out;
  const bool written =
      out.Open(temp, platform::FileAccess::ReadWrite, platform::FileShare::Exclusive) &&
      out.WriteAt(0, image.data(), image.size()) == static_cast<std::int64_t>(image.size()) &&
      out.Flush() && out.Close();
  if (!written || !platform::RenameFile(temp, path)) {
    out.Close();
    platform::DeleteFile(temp);
    return kUsersCannotCreate;
  }
  haveBase_ = true;
  basePath_ = path;
  baseCheck_ = UsersFileCheckValue(image);
  return kUsersOk;
}
