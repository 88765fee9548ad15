#include "platform/files/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <limits>
#include <random>
#include <thread>

#include "platform/files/codepage.h"
#include "platform/files/faultinject.h"
#include "platform/files/paths.h"

namespace platform {
namespace {

thread_local std::uint32_t t_lastError = kErrorSuccess;

bool Fail(std::uint32_t code) {
  t_lastError = code;
  return false;
}

// A missing name is "file not found" when its folder exists, else "path not
// found", as Windows tells the two apart.
std::uint32_t MissingCode(const std::string& path) {
  std::string dir = ExtractFileDir(path);
  if (dir.empty()) return kErrorFileNotFound;
  struct stat st;
  if (::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return kErrorFileNotFound;
  return kErrorPathNotFound;
}

std::uint32_t CodeFromErrno(int err, const std::string& path = {}) {
  switch (err) {
    case ENOENT: return path.empty() ? kErrorFileNotFound : MissingCode(path);
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY: return kErrorAccessDenied;
    case EEXIST:
    case ENOTEMPTY: return kErrorFileExists;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return kErrorDiskFull;
    case EBADF: return kErrorInvalidHandle;
    case EINVAL:
    case ENAMETOOLONG: return kErrorInvalidParameter;
    case EMFILE:
    case ENFILE: return kErrorTooManyOpenFiles;
    default: return kErrorGeneralFailure;
  }
}

bool FailErrno(const std::string& path = {}) { return Fail(CodeFromErrno(errno, path)); }

constexpr std::uint64_t kMaxOffset = static_cast<std::uint64_t>(std::numeric_limits<off_t>::max());

bool RangeValid(std::uint64_t offset, std::uint64_t length) {
  return offset <= kMaxOffset && length <= kMaxOffset - offset;
}

bool Overlaps(std::uint64_t aOffset, std::uint64_t aLength, std::uint64_t bOffset,
              std::uint64_t bLength) {
  return aOffset < bOffset + bLength && bOffset < aOffset + aLength;
}

struct flock MakeLock(short type, std::uint64_t offset, std::uint64_t length) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = static_cast<off_t>(offset);
  lock.l_len = static_cast<off_t>(length);
  lock.l_pid = 0;
  return lock;
}

// Share modes. An open marks what it does (reads, writes) and what it denies
// (reading, writing) with open-file-description locks above File::kLockLimit,
// so the marks belong to its handle and vanish with the handle and with the
// process, and byte-range locks on data never meet them. Each kind of mark has
// a band of its own; a handle puts each of its marks at one random slot of
// the kind's band, and asks whether another handle holds any byte of a band.
// The kernel lets a handle take read locks only when it may read and write
// locks only when it may write: a handle that may read marks with read locks
// (which never conflict with each other), a write-only one with write locks
// (whose slots differ but by a rare chance, then taken again elsewhere).
//
// Two conflicting opens must never both succeed, so an open first posts
// intent marks, then looks for conflicting intents of opens still being
// decided (and backs off briefly when it finds one), then for conflicting
// marks of the opens that hold the file (a sharing violation), and only then
// turns its intents into held marks, dropping the intents last. Of two
// conflicting opens that overlap in time, the later to look sees the other's
// intent or its held mark.
enum ShareMark { kMarkReads, kMarkWrites, kMarkDeniesRead, kMarkDeniesWrite, kMarkKinds };

constexpr std::uint64_t kMarkBand = std::uint64_t{1} << 40;
constexpr std::uint64_t kMarkSlots = std::uint64_t{1} << 32;
constexpr std::uint64_t kIntentArea = File::kLockLimit;
constexpr std::uint64_t kHeldArea = File::kLockLimit + kMarkKinds * kMarkBand;
static_assert(kHeldArea + kMarkKinds * kMarkBand - 1 <= kMaxOffset);

// The mark whose holder an open with the given mark conflicts with.
ShareMark Opposite(int mark) {
  switch (mark) {
    case kMarkReads: return kMarkDeniesRead;
    case kMarkWrites: return kMarkDeniesWrite;
    case kMarkDeniesRead: return kMarkReads;
    default: return kMarkWrites;
  }
}

// 0, or the errno of a failed non-waiting lock or unlock.
int SetLock(int fd, short type, std::uint64_t offset, std::uint64_t length) {
  struct flock lock = MakeLock(type, offset, length);
  while (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
    if (errno != EINTR) return errno;
  }
  return 0;
}

// 1 when a handle other than fd holds a lock on a byte of the range, 0 when
// none does, -errno when the question failed.
int HeldByOther(int fd, std::uint64_t offset, std::uint64_t length) {
  struct flock lock = MakeLock(F_WRLCK, offset, length);
  if (::fcntl(fd, F_OFD_GETLK, &lock) != 0) return -errno;
  return lock.l_type != F_UNLCK ? 1 : 0;
}

enum class ShareStep { Granted, Busy, Violation, Failed };

// One attempt to take the marks of fd at slot; never waits. Drops whatever it
// took unless it grants. Failed leaves the error code in code.
ShareStep TryShareMarks(int fd, short type, const bool (&marks)[kMarkKinds],
                        std::uint64_t slot, std::uint32_t& code) {
  // Each step answers 0 when done, 1 when it met another handle's mark,
  // -errno when it failed.
  auto place = [&](std::uint64_t area) {
    for (int mark = 0; mark < kMarkKinds; ++mark) {
      if (!marks[mark]) continue;
      if (int err = SetLock(fd, type, area + mark * kMarkBand + slot, 1))
        return err == EAGAIN || err == EACCES ? 1 : -err;
    }
    return 0;
  };
  auto look = [&](std::uint64_t area) {
    for (int mark = 0; mark < kMarkKinds; ++mark) {
      if (!marks[mark]) continue;
      if (int held = HeldByOther(fd, area + Opposite(mark) * kMarkBand, kMarkSlots)) return held;
    }
    return 0;
  };
  auto stop = [&](int answer, ShareStep onMark) {
    const int err = SetLock(fd, F_UNLCK, kIntentArea, 2 * kMarkKinds * kMarkBand);
    if (answer > 0 && err == 0) return onMark;
    code = CodeFromErrno(answer < 0 ? -answer : err);
    return ShareStep::Failed;
  };

  int answer = place(kIntentArea);
  if (answer == 0) answer = look(kIntentArea);
  if (answer != 0) return stop(answer, ShareStep::Busy);
  if ((answer = look(kHeldArea)) != 0) return stop(answer, ShareStep::Violation);
  if ((answer = place(kHeldArea)) != 0) return stop(answer, ShareStep::Busy);
  if (int err = SetLock(fd, F_UNLCK, kIntentArea, kMarkKinds * kMarkBand)) {
    return stop(-err, ShareStep::Failed);
  }
  return ShareStep::Granted;
}

// Takes the share mode of a new open of fd, which may read when reads is set
// and write when writes is; kErrorSuccess or the error code. Waits only while
// another open of the file is being decided, and at most about two seconds
// (a process stopped in the middle of an open).
std::uint32_t TakeShareMode(int fd, bool reads, bool writes, FileShare share) {
  const bool marks[kMarkKinds] = {
      reads, writes, share == FileShare::Exclusive || share == FileShare::DenyRead,
      share == FileShare::Exclusive || share == FileShare::DenyWrite};
  const short type = reads ? F_RDLCK : F_WRLCK;
  thread_local std::minstd_rand random{std::random_device{}()};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  for (;;) {
    std::uint32_t code = kErrorSuccess;
    const std::uint64_t slot =
        std::uniform_int_distribution<std::uint64_t>(0, kMarkSlots - 1)(random);
    switch (TryShareMarks(fd, type, marks, slot, code)) {
      case ShareStep::Granted: return kErrorSuccess;
      case ShareStep::Violation: return kErrorSharingViolation;
      case ShareStep::Failed: return code;
      case ShareStep::Busy: break;
    }
    if (std::chrono::steady_clock::now() >= deadline) return kErrorSharingViolation;
    std::this_thread::sleep_for(std::chrono::microseconds(
        std::uniform_int_distribution<int>(50, 1000)(random)));
  }
}

// Upper-cased code-page bytes of a name, so that '?' stands for one character.
std::string MaskForm(std::string_view text) { return Utf8ToCp1250(UpperCase(text)); }

bool MatchBytes(std::string_view name, std::string_view mask) {
  std::size_t n = 0, m = 0;
  std::size_t starMask = std::string_view::npos, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || mask[m] == name[n])) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starName = n;
    } else if (starMask != std::string_view::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

}  // namespace

std::uint32_t LastError() { return t_lastError; }
void SetLastError(std::uint32_t code) { t_lastError = code; }

std::string ErrorText(std::uint32_t code) {
  switch (code) {
    case kErrorSuccess: return "Operacja zakończona pomyślnie";
    case kErrorFileNotFound: return "Nie znaleziono pliku";
    case kErrorPathNotFound: return "Nie znaleziono ścieżki";
    case kErrorTooManyOpenFiles: return "Zbyt wiele otwartych plików";
    case kErrorAccessDenied: return "Odmowa dostępu";
    case kErrorInvalidHandle: return "Nieprawidłowy uchwyt pliku";
    case kErrorGeneralFailure: return "Błąd ogólny operacji na pliku";
    case kErrorSharingViolation: return "Plik jest używany przez inny proces";
    case kErrorLockViolation: return "Fragment pliku jest zablokowany przez inny proces";
    case kErrorHandleEof: return "Osiągnięto koniec pliku";
    case kErrorFileExists: return "Plik już istnieje";
    case kErrorInvalidParameter: return "Nieprawidłowy parametr";
    case kErrorDiskFull: return "Brak miejsca na dysku";
    case kErrorNotLocked: return "Fragment pliku nie był zablokowany";
    case kErrorAlreadyExists: return "Katalog już istnieje";
    default: return "Błąd systemu numer " + std::to_string(code);
  }
}

File::~File() { Reset(); }

File::File(File&& other) noexcept
    : fd_(other.fd_), path_(std::move(other.path_)), locked_(std::move(other.locked_)) {
  other.fd_ = -1;
  other.locked_.clear();
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Reset();
    fd_ = other.fd_;
    path_ = std::move(other.path_);
    locked_ = std::move(other.locked_);
    other.fd_ = -1;
    other.locked_.clear();
  }
  return *this;
}

void File::Reset() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  path_.clear();
  locked_.clear();
}

bool File::Open(std::string_view path, FileAccess access, FileShare share,
                FileCreation creation) {
  Reset();
  if (creation != FileCreation::OpenExisting && access == FileAccess::Read)
    return Fail(kErrorInvalidParameter);
  std::string resolved = ResolvePath(path);
  if (resolved.empty()) return Fail(kErrorPathNotFound);

  int flags = O_CLOEXEC;
  switch (creation) {
    case FileCreation::OpenExisting:
      flags |= access == FileAccess::Read    ? O_RDONLY
               : access == FileAccess::Write ? O_WRONLY
                                             : O_RDWR;
      break;
    // Never O_TRUNC: the file is emptied only once the share mode is granted,
    // so a failed create cannot destroy a file another opener holds.
    case FileCreation::CreateAlways: flags |= O_RDWR | O_CREAT; break;
    case FileCreation::CreateNew: flags |= O_RDWR | O_CREAT | O_EXCL; break;
  }
  int fd = ::open(resolved.c_str(), flags, 0666);
  if (fd < 0) return FailErrno(resolved);

  struct stat st;
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return Fail(kErrorAccessDenied);
  }
  // A creating open may read and write whatever access says.
  const bool created = creation != FileCreation::OpenExisting;
  const bool reads = created || access != FileAccess::Write;
  const bool writes = created || access != FileAccess::Read;
  if (std::uint32_t code = TakeShareMode(fd, reads, writes, share);
      code != kErrorSuccess) {
    ::close(fd);
    // A new file this call made but may not use stays, as Windows leaves it.
    return Fail(code);
  }
  if (creation == FileCreation::CreateAlways && ::ftruncate(fd, 0) != 0) {
    int err = errno;
    ::close(fd);
    return Fail(CodeFromErrno(err));
  }
  fd_ = fd;
  path_ = std::move(resolved);
  return true;
}

bool File::Close() {
  if (fd_ < 0) return Fail(kErrorInvalidHandle);
  int fd = fd_;
  fd_ = -1;
  path_.clear();
  locked_.clear();
  if (::close(fd) != 0) return FailErrno();
  return true;
}

namespace {

// Repeats step(done) -- one pread or pwrite of the bytes from done on --
// until size bytes have moved. A step that moves nothing stops with
// stopCode; an error gives -1 when nothing moved, else the count so far.
template <class Step>
std::int64_t TransferAll(std::size_t size, std::uint32_t stopCode, const Step& step) {
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = step(done);
    if (n < 0) {
      if (errno == EINTR) continue;
      FailErrno();
      return done == 0 ? -1 : static_cast<std::int64_t>(done);
    }
    if (n == 0) {
      Fail(stopCode);
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  return static_cast<std::int64_t>(done);
}

}  // namespace

std::int64_t File::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) {
  if (fd_ < 0) return Fail(kErrorInvalidHandle), -1;
  if (!RangeValid(offset, size)) return Fail(kErrorInvalidParameter), -1;
  if (ShouldFail(FaultOp::Read, path_)) return Fail(kErrorGeneralFailure), -1;
  auto* bytes = static_cast<char*>(buffer);
  return TransferAll(size, kErrorHandleEof, [&](std::size_t done) {
    return ::pread(fd_, bytes + done, size - done, static_cast<off_t>(offset + done));
  });
}

std::int64_t File::WriteAt(std::uint64_t offset, const void* buffer, std::size_t size) {
  if (fd_ < 0) return Fail(kErrorInvalidHandle), -1;
  if (!RangeValid(offset, size)) return Fail(kErrorInvalidParameter), -1;
  if (ShouldFail(FaultOp::Write, path_)) return Fail(kErrorDiskFull), -1;
  const auto* bytes = static_cast<const char*>(buffer);
  return TransferAll(size, kErrorDiskFull, [&](std::size_t done) {
    return ::pwrite(fd_, bytes + done, size - done, static_cast<off_t>(offset + done));
  });
}

std::int64_t File::Size() const {
  if (fd_ < 0) return Fail(kErrorInvalidHandle), -1;
  struct stat st;
  if (::fstat(fd_, &st) != 0) return FailErrno(), -1;
  return st.st_size;
}

bool File::SetSize(std::uint64_t size) {
  if (fd_ < 0) return Fail(kErrorInvalidHandle);
  if (size > kMaxOffset) return Fail(kErrorInvalidParameter);
  if (ShouldFail(FaultOp::SetSize, path_)) return Fail(kErrorDiskFull);
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) return FailErrno();
  return true;
}

bool File::Flush() {
  if (fd_ < 0) return Fail(kErrorInvalidHandle);
  if (ShouldFail(FaultOp::Flush, path_)) return Fail(kErrorGeneralFailure);
  if (::fsync(fd_) != 0) return FailErrno();
  return true;
}

bool File::LockRange(std::uint64_t offset, std::uint64_t length) {
  if (fd_ < 0) return Fail(kErrorInvalidHandle);
  // The share modes' marks lie above the limit.
  if (offset > kLockLimit || length > kLockLimit - offset) return Fail(kErrorInvalidParameter);
  // A zero length would mean "to the end of the file" to the kernel.
  if (length == 0) return true;
  // The kernel would merge an overlapping lock of the same handle silently.
  for (const Range& held : locked_)
    if (Overlaps(held.offset, held.length, offset, length)) return Fail(kErrorLockViolation);
  // On a handle that may only read the kernel takes shared locks only.
  const int flags = ::fcntl(fd_, F_GETFL);
  if (flags < 0) return FailErrno();
  struct flock lock =
      MakeLock((flags & O_ACCMODE) == O_RDONLY ? F_RDLCK : F_WRLCK, offset, length);
  if (::fcntl(fd_, F_OFD_SETLK, &lock) != 0) {
    if (errno == EAGAIN || errno == EACCES) return Fail(kErrorLockViolation);
    return FailErrno();
  }
  locked_.push_back({offset, length});
  return true;
}

bool File::UnlockRange(std::uint64_t offset, std::uint64_t length) {
  if (fd_ < 0) return Fail(kErrorInvalidHandle);
  if (length == 0) return true;
  auto it = std::find_if(locked_.begin(), locked_.end(), [&](const Range& held) {
    return held.offset == offset && held.length == length;
  });
  if (it == locked_.end()) return Fail(kErrorNotLocked);
  struct flock lock = MakeLock(F_UNLCK, offset, length);
  if (::fcntl(fd_, F_OFD_SETLK, &lock) != 0) return FailErrno();
  locked_.erase(it);
  if (ShouldFail(FaultOp::Unlock, path_)) return Fail(kErrorGeneralFailure);
  return true;
}

bool File::IsLockedByOther(std::uint64_t offset, std::uint64_t length) const {
  if (fd_ < 0) return Fail(kErrorInvalidHandle);
  if (!RangeValid(offset, length)) return Fail(kErrorInvalidParameter);
  // Nothing above the limit is a byte-range lock: the share modes' marks are.
  if (offset >= kLockLimit) return false;
  length = std::min(length, kLockLimit - offset);
  if (length == 0) return false;
  struct flock lock = MakeLock(F_WRLCK, offset, length);
  if (::fcntl(fd_, F_OFD_GETLK, &lock) != 0) return FailErrno();
  return lock.l_type != F_UNLCK;
}

bool FileExists(std::string_view path) {
  struct stat st;
  std::string resolved = ResolvePath(path);
  if (::stat(resolved.c_str(), &st) != 0) return FailErrno(resolved);
  if (!S_ISREG(st.st_mode)) return Fail(kErrorFileNotFound);
  return true;
}

bool DirectoryExists(std::string_view path) {
  struct stat st;
  std::string resolved = ResolvePath(path);
  if (::stat(resolved.c_str(), &st) != 0) return FailErrno(resolved);
  if (!S_ISDIR(st.st_mode)) return Fail(kErrorPathNotFound);
  return true;
}

bool DeleteFile(std::string_view path) {
  std::string resolved = ResolvePath(path);
  struct stat st;
  if (::lstat(resolved.c_str(), &st) != 0) return FailErrno(resolved);
  if (S_ISDIR(st.st_mode)) return Fail(kErrorAccessDenied);
  if (::unlink(resolved.c_str()) != 0) return FailErrno(resolved);
  return true;
}

bool RenameFile(std::string_view oldPath, std::string_view newPath) {
  std::string from = ResolvePath(oldPath);
  std::string to = ResolvePath(newPath);
  if (ShouldFail(FaultOp::Rename, from)) return Fail(kErrorAccessDenied);
  if (::rename(from.c_str(), to.c_str()) != 0) {
    int err = errno;
    struct stat st;
    return Fail(CodeFromErrno(err, ::lstat(from.c_str(), &st) == 0 ? to : from));
  }
  return true;
}

bool CreateDirectory(std::string_view path) {
  std::string resolved = ResolvePath(path);
  if (::mkdir(resolved.c_str(), 0777) != 0) {
    if (errno == EEXIST) return Fail(kErrorAlreadyExists);
    return FailErrno(resolved);
  }
  return true;
}

bool ForceDirectories(std::string_view path) {
  std::string resolved = ResolvePath(path);
  if (resolved.empty()) return Fail(kErrorPathNotFound);
  struct stat st;
  if (::stat(resolved.c_str(), &st) == 0)
    return S_ISDIR(st.st_mode) ? true : Fail(kErrorFileExists);
  std::string parent = ExtractFileDir(resolved);
  if (!parent.empty() && parent != resolved && !ForceDirectories(parent)) return false;
  if (::mkdir(resolved.c_str(), 0777) != 0 && errno != EEXIST) return FailErrno(resolved);
  return true;
}

bool CopyFileBlocks(File& from, std::uint64_t fromOffset, File& to, std::uint64_t toOffset,
                    std::uint64_t length, std::uint64_t* copied) {
  std::vector<char> block(std::min<std::uint64_t>(kCopyBlock, std::max<std::uint64_t>(length, 1)));
  std::uint64_t done = 0;
  bool ok = true;
  while (done < length) {
    const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), length - done));
    const std::int64_t got = from.ReadAt(fromOffset + done, block.data(), size);
    if (got != static_cast<std::int64_t>(size)) {
      // A short read sets kErrorHandleEof, a failed one its own code; the
      // bytes of a short read are not written.
      ok = false;
      break;
    }
    const std::int64_t put = to.WriteAt(toOffset + done, block.data(), size);
    if (put != static_cast<std::int64_t>(size)) {
      if (put > 0) done += static_cast<std::uint64_t>(put);
      ok = false;
      break;
    }
    done += size;
  }
  if (copied != nullptr) *copied = done;
  return ok;
}

std::int64_t FileSizeByName(std::string_view path) {
  std::string resolved = ResolvePath(path);
  struct stat st;
  if (::stat(resolved.c_str(), &st) != 0) return FailErrno(resolved), -1;
  return st.st_size;
}

std::int64_t FileModificationTime(std::string_view path) {
  std::string resolved = ResolvePath(path);
  struct stat st;
  if (::stat(resolved.c_str(), &st) != 0) return FailErrno(resolved), -1;
  return st.st_mtime;
}

bool MatchesMask(std::string_view name, std::string_view mask) {
  if (mask == "*.*") return true;
  return MatchBytes(MaskForm(name), MaskForm(mask));
}

bool ListFolder(std::string_view folder, std::string_view mask,
                std::vector<FolderEntry>& entries) {
  entries.clear();
  std::string resolved = ResolvePath(folder);
  if (resolved.empty()) resolved.assign(1, '.');
  DIR* dir = ::opendir(resolved.c_str());
  if (dir == nullptr) return errno == ENOENT ? Fail(kErrorPathNotFound) : FailErrno(resolved);
  std::string maskForm = MaskForm(mask);
  bool all = mask == "*.*";
  while (const dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    if (!all && !MatchBytes(MaskForm(name), maskForm)) continue;
    FolderEntry item;
    item.name = name;
    struct stat st;
    if (::stat(JoinPath(resolved, name).c_str(), &st) == 0) {
      item.isDirectory = S_ISDIR(st.st_mode);
      item.size = S_ISDIR(st.st_mode) ? 0 : st.st_size;
      item.modified = st.st_mtime;
    }
    entries.push_back(std::move(item));
  }
  ::closedir(dir);
  std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
    return CompareOrdinal(a.name, b.name) < 0;
  });
  return true;
}

std::uint32_t MakeTempFile(std::string_view folder, std::string_view prefix, std::string& name) {
  name.clear();
  std::string resolved = ResolvePath(folder);
  constexpr std::uint32_t kNumbers = 0xFFFF;
  std::uint32_t start = std::random_device{}() % kNumbers;
  for (std::uint32_t i = 0; i < kNumbers; ++i) {
    std::uint32_t unique = (start + i) % kNumbers + 1;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%04X.tmp", static_cast<unsigned>(unique));
    std::string candidate = JoinPath(resolved, std::string(prefix) + suffix);
    int fd = ::open(candidate.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      name = candidate;
      return unique;
    }
    if (errno != EEXIST) {
      FailErrno(candidate);
      return 0;
    }
  }
  Fail(kErrorFileExists);
  return 0;
}

}  // namespace platform
