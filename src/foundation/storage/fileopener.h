// The file opener: every shared store file is opened, created, found, deleted
// and renamed through it. A name that begins with the account mark "*" is
// handled under the local account bound to the current program user (see
// users.h), on the name without the mark; other names under the program's own
// identity. Failures are reported as the plain operations report them: an
// unopened File (platform::LastError set), false, a search code, 0, or an
// EInOutError for the folder, text-file and untyped-file variants.
//
// A marked name is never handled under the program's own identity: when the
// bound account cannot be taken the operation fails (ELogonUserFailed after a
// failed logon, the failure value when the user has no bound account).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "foundation/errors.h"
#include "platform/files/account.h"
#include "platform/files/files.h"

class TUserC;
class TUserManager;

// Mode word of TFileOpener::FileOpen: an access mode ORed with a sharing mode.
inline constexpr std::uint32_t fmOpenRead = 0x0000;
inline constexpr std::uint32_t fmOpenWrite = 0x0001;
inline constexpr std::uint32_t fmOpenReadWrite = 0x0002;
inline constexpr std::uint32_t fmShareCompat = 0x0000;  // taken as deny all
inline constexpr std::uint32_t fmShareExclusive = 0x0010;
inline constexpr std::uint32_t fmShareDenyWrite = 0x0020;
inline constexpr std::uint32_t fmShareDenyRead = 0x0030;
inline constexpr std::uint32_t fmShareDenyNone = 0x0040;

// Attributes of a search entry and of a search's filter.
inline constexpr int faReadOnly = 0x01;
inline constexpr int faHidden = 0x02;  // names beginning with '.' (not "." and "..")
inline constexpr int faSysFile = 0x04;
inline constexpr int faVolumeID = 0x08;
inline constexpr int faDirectory = 0x10;
inline constexpr int faArchive = 0x20;
inline constexpr int faAnyFile = 0x3F;

// Search results other than 0 (an entry found).
inline constexpr int kFindNoMoreFiles = 18;    // FindNext: the listing is exhausted
inline constexpr int kFindNotHandled = -1;     // a marked path that cannot be handled

// True when name is not empty and begins with "*".
bool HasAccountMark(std::string_view name);
// name without its mark when marked (the whole rest is kept), else name.
std::string StripAccountMark(std::string_view name);
// "*" + name unless name is marked already.
std::string AddAccountMark(std::string_view name);

// The bound account's logon failed. The message is "Błąd numer %d podczas
// logowania użytkownika %s" with the error code and the account name,
// followed on a second line by the reason.
class ELogonUserFailed : public Exception {
 public:
  ELogonUserFailed(std::uint32_t errorCode, const std::string& account);
  std::uint32_t ErrorCode;
};

// One entry of a folder listing and the listing's state. Filled by
// TFileOpener::FindFirst and FindNext; the caller owns it.
struct TSearchRec {
  std::string Name;        // without its folder
  int Attr = 0;            // fa... bits of the entry
  std::int64_t Size = 0;
  std::int64_t Time = 0;   // modification, seconds since 1970-01-01 UTC

  // The listing read by FindFirst, the filter and the next entry to hand out.
  std::vector<platform::FolderEntry> Entries;
  int Filter = 0;
  std::size_t Next = 0;
};

// A text file variable: the caller assigns Name, then opens it with
// TFileOpener::ResetText or RewriteText. Lines are code page 1250 on disk and
// UTF-8 in memory; written lines end with CR LF, read lines with LF, CR LF or
// the end of the file. One thread uses it at a time.
class TTextFile {
 public:
  TTextFile() = default;
  explicit TTextFile(std::string name) : Name(std::move(name)) {}
  // Writes what is still buffered (errors are lost here; call Close to see them).
  ~TTextFile();
  TTextFile(TTextFile&&) = default;
  TTextFile& operator=(TTextFile&&) = default;

  std::string Name;

  bool IsOpen() const { return file_.IsOpen(); }
  // Reads the next line into line; false at the end of the file.
  bool ReadLn(std::string& line);
  bool Eof();
  // Writes text (and a line end); an input/output failure raises EInOutError.
  void Write(std::string_view text);
  void WriteLn(std::string_view text = {});
  // Writes what is buffered and closes; a failure raises EInOutError.
  void Close();

 private:
  friend class TFileOpener;
  bool Fill();
  void FlushOut();

  platform::File file_;
  bool writing_ = false;
  std::uint64_t filePos_ = 0;
  std::string buffer_;     // read-ahead or pending output, code page 1250
  std::size_t bufferPos_ = 0;
};

// An untyped file variable of fixed-size records: the caller assigns Name
// (and FileMode for ResetFile), then opens it with TFileOpener::ResetFile or
// RewriteFile. Transfers raise EInOutError on failure. One thread at a time.
class TUntypedFile {
 public:
  TUntypedFile() = default;
  explicit TUntypedFile(std::string name) : Name(std::move(name)) {}

  std::string Name;
  // Access and sharing of ResetFile, as the FileOpen mode word.
  std::uint32_t FileMode = fmOpenReadWrite;

  bool IsOpen() const { return file_.IsOpen(); }
  std::uint32_t RecSize() const { return recSize_; }
  // Reads up to count records at the position; returns the records read.
  std::uint32_t BlockRead(void* buffer, std::uint32_t count);
  void BlockWrite(const void* buffer, std::uint32_t count);
  void Seek(std::int64_t record);
  std::int64_t FilePos() const { return pos_; }
  // Whole records in the file.
  std::int64_t FileSize() const;
  void Close();

 private:
  friend class TFileOpener;
  // Raises EInOutError when the file is not open.
  void CheckOpen() const;
  platform::File file_;
  std::uint32_t recSize_ = 128;
  std::int64_t pos_ = 0;
};

// The single process-wide opener (FileOpener()). It holds the logon of the
// account bound to the current program user from one Logon to the next;
// each marked operation takes that account for its own length only and
// returns to the program's identity on every path. Used from the GUI thread;
// the account applies to the calling thread. Owns its account session; the
// user manager it reads belongs to the program.
class TFileOpener {
 public:
  // users: where Logon finds the program user; session: the account
  // switching (the real one when none is given).
  explicit TFileOpener(TUserManager& users,
                       std::unique_ptr<platform::AccountSession> session = nullptr);
  ~TFileOpener();
  TFileOpener(const TFileOpener&) = delete;
  TFileOpener& operator=(const TFileOpener&) = delete;

  // Makes the program user with that id current and logs on to his bound
  // account. A failure is kept silently in LastLogonError and raised by the
  // first marked operation.
  void Logon(std::uint16_t userId);

  // Bracket for work another component does on files itself, under the
  // bound account: with a logon they switch to it and back; after a failed
  // logon they raise ELogonUserFailed; otherwise (no bound account, no
  // account support) nothing, and the work runs under the program's own
  // identity. Pair them.
  void Impersonate();
  void Revert();

  // Handle of the opened file; not open on failure (platform::LastError set).
  platform::File FileOpen(std::string_view name, std::uint32_t mode);
  // A new empty file opened read-write (an existing one is emptied).
  platform::File FileCreate(std::string_view name);
  bool FileExists(std::string_view name);
  bool DeleteFile(std::string_view name);
  // Under the account when either name is marked; both then without marks.
  bool RenameFile(std::string_view oldName, std::string_view newName);

  // path is a folder and a mask ("dir/*.dat"). 0 when an entry was found,
  // else the error code (kErrorFileNotFound when nothing matches,
  // kFindNoMoreFiles at the end), kFindNotHandled for a marked path that
  // cannot be handled.
  int FindFirst(std::string_view path, int attributes, TSearchRec& search);
  int FindNext(std::string_view path, TSearchRec& search);
  static void FindClose(TSearchRec& search);

  // Makes a temporary file in folder named from up to 3 characters of prefix
  // and a hex number: with unique 0 a new empty file with an unused number,
  // else only the name with that number. Returns the number, 0 on failure;
  // the name goes to buffer, with the mark when folder is marked.
  std::uint32_t GetTempFileName(std::string_view folder, std::string_view prefix,
                                std::uint32_t unique, std::string& buffer);

  // Creates a folder; a failure raises EInOutError.
  void MkDir(std::string_view name);

  // Open for reading or create for writing the file named in the variable; a
  // failure raises EInOutError whose ErrorCode is the platform error.
  void ResetText(TTextFile& file);
  void RewriteText(TTextFile& file);
  void ResetFile(TUntypedFile& file, std::uint32_t recSize = 128);
  void RewriteFile(TUntypedFile& file, std::uint32_t recSize = 128);

  // The opener's state, read-only.
  bool IsNT() const { return isNT_; }
  bool HasToken() const { return hasToken_; }
  std::uint32_t LastLogonError() const { return lastLogonError_; }
  // The program user of the last logon (looked up again in the manager).
  const TUserC* User() const;

 private:
  enum class Access { Own, Account, Refused, Failed };
  Access AccessFor(std::string_view name) const;
  [[noreturn]] void RaiseLogonFailed() const;
  std::string BoundAccount() const;
  // op(name) for an own name, op(name without its mark) under the bound
  // account for a marked one; a failed logon raises; nothing when refused.
  template <class Op>
  auto UnderAccess(std::string_view name, Op op)
      -> std::optional<std::invoke_result_t<Op&, std::string_view>>;
  enum class Variant { ResetText, RewriteText, ResetFile, RewriteFile };
  void OpenVariable(platform::File& file, std::string& name, Variant variant,
                    std::uint32_t fileMode);
  // The common part of ResetText/RewriteText and of ResetFile/RewriteFile.
  void OpenText(TTextFile& file, Variant variant);
  void OpenUntyped(TUntypedFile& file, std::uint32_t recSize, Variant variant);

  TUserManager& users_;
  std::unique_ptr<platform::AccountSession> session_;
  bool isNT_ = false;
  bool hasToken_ = false;
  std::uint32_t lastLogonError_ = 0;
  std::uint16_t userId_ = 0;
  bool hasUser_ = false;
  std::string account_;  // the bound account of the last logon
};

// The program's opener, bound to UserManager(); created on first use.
TFileOpener& FileOpener();

// Walks one folder listing through the opener (every attribute). The
// listing is read when it is created; destroying it closes the search.
class TFindFileIterator {
 public:
  explicit TFindFileIterator(std::string_view mask);
  TFindFileIterator(TFileOpener& opener, std::string_view mask);
  ~TFindFileIterator();
  TFindFileIterator(const TFindFileIterator&) = delete;
  TFindFileIterator& operator=(const TFindFileIterator&) = delete;

  // The next entry's name (without its folder); false when exhausted.
  bool Next(std::string& name);

 private:
  TFileOpener& opener_;
  TSearchRec search_;
  bool hasCurrent_ = false;
  std::string mask_;
};
