#include "foundation/storage/fileopener.h"

#include <cstdio>

#include "foundation/users/users.h"
#include "platform/files/codepage.h"
#include "platform/files/paths.h"

namespace {

constexpr char kAccountMark = '*';
constexpr std::size_t kTextChunk = 65536;

const char* const kOpenFailed = "Błąd podczas otwierania pliku";
const char* const kMkDirFailed = "Nie można utworzyć katalogu";

platform::FileAccess AccessOfMode(std::uint32_t mode) {
  switch (mode & 0x3) {
    case fmOpenWrite:
      return platform::FileAccess::Write;
    case fmOpenReadWrite:
      return platform::FileAccess::ReadWrite;
    default:
      return platform::FileAccess::Read;
  }
}

// The compatibility mode and sharing values beyond deny-none deny all.
platform::FileShare ShareOfMode(std::uint32_t mode) {
  switch (mode & 0xF0) {
    case fmShareDenyWrite:
      return platform::FileShare::DenyWrite;
    case fmShareDenyRead:
      return platform::FileShare::DenyRead;
    case fmShareDenyNone:
      return platform::FileShare::DenyNone;
    default:
      return platform::FileShare::Exclusive;
  }
}

// The calling thread under the bound account for the life of the scope.
class AccountScope {
 public:
  AccountScope(platform::AccountSession& session, const std::string& account)
      : session_(session) {
    if (!session_.Impersonate()) throw ELogonUserFailed(platform::LastError(), account);
  }
  ~AccountScope() { session_.Revert(); }
  AccountScope(const AccountScope&) = delete;
  AccountScope& operator=(const AccountScope&) = delete;

 private:
  platform::AccountSession& session_;
};

[[noreturn]] void RaiseOpenFailed(const std::string& name) {
  const std::uint32_t code = platform::LastError();
  throw EInOutError(std::string(kOpenFailed) + " " + name + ": " + platform::ErrorText(code),
                    static_cast<int>(code));
}

}  // namespace

bool HasAccountMark(std::string_view name) {
  return !name.empty() && name.front() == kAccountMark;
}

std::string StripAccountMark(std::string_view name) {
  if (HasAccountMark(name)) name.remove_prefix(1);
  return std::string(name);
}

std::string AddAccountMark(std::string_view name) {
  if (HasAccountMark(name)) return std::string(name);
  std::string marked(1, kAccountMark);
  marked += name;
  return marked;
}

ELogonUserFailed::ELogonUserFailed(std::uint32_t errorCode, const std::string& account)
    : Exception(FormatMessage("Błąd numer %d podczas logowania użytkownika %s",
                              static_cast<int>(errorCode), account.c_str()) +
                "\n" + platform::LogonErrorText(errorCode)),
      ErrorCode(errorCode) {}

// TTextFile

TTextFile::~TTextFile() {
  if (writing_ && file_.IsOpen() && bufferPos_ < buffer_.size()) {
    try {
      FlushOut();
    } catch (const EInOutError&) {
    }
  }
}

bool TTextFile::Fill() {
  if (bufferPos_ < buffer_.size()) return true;
  buffer_.resize(kTextChunk);
  const std::int64_t n = file_.ReadAt(filePos_, buffer_.data(), buffer_.size());
  if (n < 0) {
    buffer_.clear();
    bufferPos_ = 0;
    throw EInOutError("Błąd odczytu pliku " + Name, static_cast<int>(platform::LastError()));
  }
  buffer_.resize(static_cast<std::size_t>(n));
  bufferPos_ = 0;
  filePos_ += static_cast<std::uint64_t>(n);
  return n > 0;
}

bool TTextFile::Eof() {
  if (!file_.IsOpen() || writing_) return true;
  return !Fill();
}

bool TTextFile::ReadLn(std::string& line) {
  line.clear();
  if (!file_.IsOpen() || writing_) return false;
  if (!Fill()) return false;
  std::string raw;
  while (true) {
    const std::size_t lf = buffer_.find('\n', bufferPos_);
    if (lf != std::string::npos) {
      raw.append(buffer_, bufferPos_, lf - bufferPos_);
      bufferPos_ = lf + 1;
      break;
    }
    raw.append(buffer_, bufferPos_, std::string::npos);
    bufferPos_ = buffer_.size();
    if (!Fill()) break;
  }
  if (!raw.empty() && raw.back() == '\r') raw.pop_back();
  line = platform::Cp1250ToUtf8(raw);
  return true;
}

void TTextFile::FlushOut() {
  const std::size_t size = buffer_.size() - bufferPos_;
  if (size == 0) return;
  const std::int64_t n = file_.WriteAt(filePos_, buffer_.data() + bufferPos_, size);
  if (n != static_cast<std::int64_t>(size)) {
    throw EInOutError("Błąd zapisu pliku " + Name, static_cast<int>(platform::LastError()));
  }
  filePos_ += size;
  buffer_.clear();
  bufferPos_ = 0;
}

void TTextFile::Write(std::string_view text) {
  if (!file_.IsOpen() || !writing_)
    throw EInOutError("Plik nie jest otwarty do zapisu: " + Name,
                      static_cast<int>(platform::kErrorInvalidHandle));
  buffer_ += platform::Utf8ToCp1250(text);
  if (buffer_.size() >= kTextChunk) FlushOut();
}

void TTextFile::WriteLn(std::string_view text) {
  Write(text);
  buffer_ += "\r\n";
  if (buffer_.size() >= kTextChunk) FlushOut();
}

void TTextFile::Close() {
  if (!file_.IsOpen()) return;
  if (writing_) {
    try {
      FlushOut();
    } catch (...) {
      file_.Close();
      throw;
    }
  }
  const bool closed = file_.Close();
  buffer_.clear();
  bufferPos_ = 0;
  if (!closed && writing_)
    throw EInOutError("Błąd zapisu pliku " + Name, static_cast<int>(platform::LastError()));
}

// TUntypedFile

void TUntypedFile::CheckOpen() const {
  if (!file_.IsOpen())
    throw EInOutError("Plik nie jest otwarty: " + Name,
                      static_cast<int>(platform::kErrorInvalidHandle));
}

std::uint32_t TUntypedFile::BlockRead(void* buffer, std::uint32_t count) {
  CheckOpen();
  const std::uint64_t size = static_cast<std::uint64_t>(count) * recSize_;
  const std::int64_t n =
      file_.ReadAt(static_cast<std::uint64_t>(pos_) * recSize_, buffer, static_cast<std::size_t>(size));
  if (n < 0) throw EInOutError("Błąd odczytu pliku " + Name, static_cast<int>(platform::LastError()));
  const std::uint32_t records = static_cast<std::uint32_t>(static_cast<std::uint64_t>(n) / recSize_);
  pos_ += records;
  return records;
}

void TUntypedFile::BlockWrite(const void* buffer, std::uint32_t count) {
  CheckOpen();
  const std::uint64_t size = static_cast<std::uint64_t>(count) * recSize_;
  const std::int64_t n =
      file_.WriteAt(static_cast<std::uint64_t>(pos_) * recSize_, buffer, static_cast<std::size_t>(size));
  if (n != static_cast<std::int64_t>(size))
    throw EInOutError("Błąd zapisu pliku " + Name, static_cast<int>(platform::LastError()));
  pos_ += count;
}

void TUntypedFile::Seek(std::int64_t record) {
  if (!file_.IsOpen() || record < 0)
    throw EInOutError("Błędna pozycja w pliku " + Name,
                      static_cast<int>(platform::kErrorInvalidParameter));
  pos_ = record;
}

std::int64_t TUntypedFile::FileSize() const {
  const std::int64_t size = file_.Size();
  if (size < 0) throw EInOutError("Błąd odczytu pliku " + Name, static_cast<int>(platform::LastError()));
  return size / recSize_;
}

void TUntypedFile::Close() {
  if (file_.IsOpen()) file_.Close();
  pos_ = 0;
}

// TFileOpener

TFileOpener::TFileOpener(TUserManager& users, std::unique_ptr<platform::AccountSession> session)
    : users_(users), session_(session ? std::move(session) : platform::MakeAccountSession()) {
  isNT_ = session_->Supported();
}

TFileOpener::~TFileOpener() { session_->Logoff(); }

const TUserC* TFileOpener::User() const {
  return hasUser_ ? users_.FindUser(userId_) : nullptr;
}

void TFileOpener::Logon(std::uint16_t userId) {
  const TUserC* user = users_.FindUser(userId);
  hasUser_ = user != nullptr;
  userId_ = userId;
  session_->Logoff();
  hasToken_ = false;
  lastLogonError_ = 0;
  account_.clear();
  if (!isNT_ || user == nullptr) return;
  account_ = user->AccountName();
  if (account_.empty()) return;
  const std::uint32_t code = session_->Logon(account_);
  if (code == 0 && session_->LoggedOn()) {
    hasToken_ = true;
  } else {
    lastLogonError_ = code != 0 ? code : platform::kErrorLogonFailure;
  }
}

TFileOpener::Access TFileOpener::AccessFor(std::string_view name) const {
  if (!HasAccountMark(name)) return Access::Own;
  if (!isNT_) {
    platform::SetLastError(platform::kErrorPrivilegeNotHeld);
    return Access::Refused;
  }
  if (hasToken_) return Access::Account;
  if (lastLogonError_ != 0) return Access::Failed;
  platform::SetLastError(platform::kErrorAccessDenied);
  return Access::Refused;
}

void TFileOpener::RaiseLogonFailed() const { throw ELogonUserFailed(lastLogonError_, account_); }

void TFileOpener::Impersonate() {
  if (hasToken_) {
    if (!session_->Impersonate()) throw ELogonUserFailed(platform::LastError(), account_);
  } else if (lastLogonError_ != 0) {
    RaiseLogonFailed();
  }
}

void TFileOpener::Revert() {
  if (hasToken_) {
    session_->Revert();
  } else if (lastLogonError_ != 0) {
    RaiseLogonFailed();
  }
}

// The one place that decides how a name is reached: an own name as it is, a
// marked one without its mark under the bound account; a failed logon is
// raised, a refused name gives nothing.
template <class Op>
auto TFileOpener::UnderAccess(std::string_view name, Op op)
    -> std::optional<std::invoke_result_t<Op&, std::string_view>> {
  switch (AccessFor(name)) {
    case Access::Own:
      return op(name);
    case Access::Account: {
      AccountScope scope(*session_, account_);
      return op(StripAccountMark(name));
    }
    case Access::Failed:
      RaiseLogonFailed();
    case Access::Refused:
      break;
  }
  return std::nullopt;
}

platform::File TFileOpener::FileOpen(std::string_view name, std::uint32_t mode) {
  auto file = UnderAccess(name, [mode](std::string_view path) {
    platform::File opened;
    opened.Open(path, AccessOfMode(mode), ShareOfMode(mode));
    return opened;
  });
  return file ? std::move(*file) : platform::File();
}

platform::File TFileOpener::FileCreate(std::string_view name) {
  auto file = UnderAccess(name, [](std::string_view path) {
    platform::File created;
    created.Open(path, platform::FileAccess::ReadWrite, platform::FileShare::Exclusive,
                 platform::FileCreation::CreateAlways);
    return created;
  });
  return file ? std::move(*file) : platform::File();
}

bool TFileOpener::FileExists(std::string_view name) {
  return UnderAccess(name, [](std::string_view path) { return platform::FileExists(path); })
      .value_or(false);
}

bool TFileOpener::DeleteFile(std::string_view name) {
  return UnderAccess(name, [](std::string_view path) { return platform::DeleteFile(path); })
      .value_or(false);
}

bool TFileOpener::RenameFile(std::string_view oldName, std::string_view newName) {
  // Either name marked puts both under the account; unmarked names pass the
  // stripping unchanged.
  const bool marked = HasAccountMark(oldName) || HasAccountMark(newName);
  return UnderAccess(marked ? std::string_view("*") : std::string_view(),
                     [&](std::string_view) {
                       return platform::RenameFile(StripAccountMark(oldName),
                                                   StripAccountMark(newName));
                     })
      .value_or(false);
}

namespace {

int AttrOf(const platform::FolderEntry& entry) {
  int attr = entry.isDirectory ? faDirectory : faArchive;
  if (entry.name.size() > 1 && entry.name.front() == '.' && entry.name != "..") attr |= faHidden;
  return attr;
}

// Hands out the next entry the filter admits: 0, or kFindNoMoreFiles.
int TakeNext(TSearchRec& search) {
  while (search.Next < search.Entries.size()) {
    const platform::FolderEntry& entry = search.Entries[search.Next++];
    const int attr = AttrOf(entry);
    if ((attr & faDirectory) && !(search.Filter & faDirectory)) continue;
    if ((attr & faHidden) && !(search.Filter & faHidden)) continue;
    search.Name = entry.name;
    search.Attr = attr;
    search.Size = entry.size;
    search.Time = entry.modified;
    return 0;
  }
  return kFindNoMoreFiles;
}

int ListInto(std::string_view path, int attributes, TSearchRec& search) {
  TFileOpener::FindClose(search);
  search.Filter = attributes;
  std::string folder = platform::ExtractFileDir(path);
  if (folder.empty()) folder.assign(1, '.');
  const std::string mask = platform::ExtractFileName(path);
  if (!platform::ListFolder(folder, mask, search.Entries)) {
    const std::uint32_t code = platform::LastError();
    return code != 0 ? static_cast<int>(code) : static_cast<int>(platform::kErrorPathNotFound);
  }
  const int result = TakeNext(search);
  return result == 0 ? 0 : static_cast<int>(platform::kErrorFileNotFound);
}

}  // namespace

int TFileOpener::FindFirst(std::string_view path, int attributes, TSearchRec& search) {
  const auto found = UnderAccess(
      path, [&](std::string_view unmarked) { return ListInto(unmarked, attributes, search); });
  if (found) return *found;
  FindClose(search);
  return kFindNotHandled;
}

int TFileOpener::FindNext(std::string_view path, TSearchRec& search) {
  // The listing was read whole by FindFirst; a marked search still needs the
  // account it was made under.
  switch (AccessFor(path)) {
    case Access::Own:
    case Access::Account:
      return TakeNext(search);
    case Access::Failed:
      RaiseLogonFailed();
    case Access::Refused:
      break;
  }
  return kFindNotHandled;
}

void TFileOpener::FindClose(TSearchRec& search) {
  search.Entries.clear();
  search.Next = 0;
  search.Name.clear();
  search.Attr = 0;
  search.Size = 0;
  search.Time = 0;
}

namespace {

std::uint32_t MakeTempName(std::string_view folder, std::string_view prefix, std::uint32_t unique,
                           std::string& name) {
  const std::string pre = platform::TruncateCp1250(prefix, 3);
  if (unique == 0) return platform::MakeTempFile(folder, pre, name);
  const std::uint32_t number = unique & 0xFFFF;
  if (number == 0) {
    platform::SetLastError(platform::kErrorInvalidParameter);
    return 0;
  }
  char hex[8];
  std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(number));
  name = platform::JoinPath(folder, pre + hex + ".tmp");
  return number;
}

}  // namespace

std::uint32_t TFileOpener::GetTempFileName(std::string_view folder, std::string_view prefix,
                                           std::uint32_t unique, std::string& buffer) {
  std::string name;
  const std::uint32_t number =
      UnderAccess(folder, [&](std::string_view unmarked) {
        return MakeTempName(unmarked, prefix, unique, name);
      }).value_or(0);
  if (number != 0 && HasAccountMark(folder)) name = AddAccountMark(name);
  // Failure is 0 on every path, so callers that test for non-zero never take
  // a refused marked folder for success.
  if (number != 0) buffer = std::move(name);
  return number;
}

void TFileOpener::MkDir(std::string_view name) {
  const bool made =
      UnderAccess(name, [](std::string_view path) { return platform::CreateDirectory(path); })
          .value_or(false);
  if (!made) throw EInOutError(kMkDirFailed, static_cast<int>(platform::LastError()));
}

// Opens the file of a file variable; shared by the four variants. The
// variable keeps the name without its mark.
void TFileOpener::OpenVariable(platform::File& file, std::string& name, Variant variant,
                               std::uint32_t fileMode) {
  const auto opened = UnderAccess(name, [&](std::string_view path) {
    name = std::string(path);
    bool ok = false;
    switch (variant) {
      case Variant::ResetText:
        ok = file.Open(name, platform::FileAccess::Read, platform::FileShare::DenyNone);
        break;
      case Variant::RewriteText:
        ok = file.Open(name, platform::FileAccess::Write, platform::FileShare::Exclusive,
                       platform::FileCreation::CreateAlways);
        break;
      case Variant::ResetFile:
        ok = file.Open(name, AccessOfMode(fileMode), ShareOfMode(fileMode));
        break;
      case Variant::RewriteFile:
        ok = file.Open(name, platform::FileAccess::ReadWrite, ShareOfMode(fileMode),
                       platform::FileCreation::CreateAlways);
        break;
    }
    if (!ok) RaiseOpenFailed(name);
    return true;
  });
  if (!opened) throw EInOutError(kOpenFailed, static_cast<int>(platform::LastError()));
}

void TFileOpener::OpenText(TTextFile& file, Variant variant) {
  file.Close();
  OpenVariable(file.file_, file.Name, variant, 0);
  file.writing_ = variant == Variant::RewriteText;
  file.filePos_ = 0;
  file.buffer_.clear();
  file.bufferPos_ = 0;
}

void TFileOpener::OpenUntyped(TUntypedFile& file, std::uint32_t recSize, Variant variant) {
  if (recSize == 0)
    throw EInOutError(kOpenFailed, static_cast<int>(platform::kErrorInvalidParameter));
  file.Close();
  OpenVariable(file.file_, file.Name, variant, file.FileMode);
  file.recSize_ = recSize;
  file.pos_ = 0;
}

void TFileOpener::ResetText(TTextFile& file) { OpenText(file, Variant::ResetText); }

void TFileOpener::RewriteText(TTextFile& file) { OpenText(file, Variant::RewriteText); }

void TFileOpener::ResetFile(TUntypedFile& file, std::uint32_t recSize) {
  OpenUntyped(file, recSize, Variant::ResetFile);
}

void TFileOpener::RewriteFile(TUntypedFile& file, std::uint32_t recSize) {
  OpenUntyped(file, recSize, Variant::RewriteFile);
}

TFileOpener& FileOpener() {
  static TFileOpener opener(UserManager());
  return opener;
}

// TFindFileIterator

TFindFileIterator::TFindFileIterator(std::string_view mask)
    : TFindFileIterator(FileOpener(), mask) {}

TFindFileIterator::TFindFileIterator(TFileOpener& opener, std::string_view mask)
    : opener_(opener), mask_(mask) {
  hasCurrent_ = opener_.FindFirst(mask_, faAnyFile, search_) == 0;
}

TFindFileIterator::~TFindFileIterator() { TFileOpener::FindClose(search_); }

bool TFindFileIterator::Next(std::string& name) {
  if (!hasCurrent_) return false;
  name = search_.Name;
  hasCurrent_ = opener_.FindNext(mask_, search_) == 0;
  return true;
}
