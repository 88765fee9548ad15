// Files with Windows-like share modes and byte-range locks, and the file-system
// operations the system's file opener needs.
//
// Every call that fails returns false (or -1, or 0 where stated) and sets the
// calling thread's last-error code (LastError) to one of the kError constants
// below, which keep the meaning of the Windows codes of the same value, so the
// record engine can store them in its error word. A call that succeeds does not
// reset the code, except where stated. Every path argument goes through
// ResolvePath ('\' accepted, case-insensitive lookup).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

inline constexpr std::uint32_t kErrorSuccess = 0;
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorPathNotFound = 3;
inline constexpr std::uint32_t kErrorTooManyOpenFiles = 4;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorInvalidHandle = 6;
inline constexpr std::uint32_t kErrorGeneralFailure = 31;
inline constexpr std::uint32_t kErrorSharingViolation = 32;
inline constexpr std::uint32_t kErrorLockViolation = 33;
inline constexpr std::uint32_t kErrorHandleEof = 38;
inline constexpr std::uint32_t kErrorFileExists = 80;
inline constexpr std::uint32_t kErrorInvalidParameter = 87;
inline constexpr std::uint32_t kErrorDiskFull = 112;
inline constexpr std::uint32_t kErrorNotLocked = 158;
inline constexpr std::uint32_t kErrorAlreadyExists = 183;

// The calling thread's last-error code.
std::uint32_t LastError();
void SetLastError(std::uint32_t code);

// A Polish one-line text for an error code ("Nie znaleziono pliku", ...);
// unknown codes give "Błąd systemu numer <code>".
std::string ErrorText(std::uint32_t code);

enum class FileAccess { Read, Write, ReadWrite };

// What an open lets other opens of the file do, in this process or another,
// as on Windows: an open succeeds when its access is allowed by the share
// mode of every open already held and its own share mode allows the access of
// every one of them. Exclusive denies reading and writing, DenyWrite and
// DenyRead one of them, DenyNone neither. A conflicting open fails at once
// with kErrorSharingViolation; it waits only, and briefly, while another open
// of the same file is being decided.
enum class FileShare { Exclusive, DenyWrite, DenyRead, DenyNone };

enum class FileCreation {
  OpenExisting,  // fails with kErrorFileNotFound when the file is missing
  CreateAlways,  // creates, or empties an existing file once the share mode is granted
  CreateNew,     // fails with kErrorFileExists when the file exists
};

// An open file. Movable, not copyable; closing (or destroying) it releases its
// share mode and every byte-range lock it holds. Locks belong to the handle:
// two handles of one file conflict even inside one process. One thread uses a
// handle at a time.
class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens path (closing what this handle held before). Creating opens are
  // read-write whatever access says, except that Read is refused with
  // kErrorInvalidParameter.
  bool Open(std::string_view path, FileAccess access, FileShare share,
            FileCreation creation = FileCreation::OpenExisting);
  bool IsOpen() const { return fd_ >= 0; }
  // The resolved path the handle was opened with.
  const std::string& Path() const { return path_; }

  // Closes the handle; true when it was open and closed cleanly.
  bool Close();

  // Transfers size bytes at offset, repeating until all are moved. Return the
  // number of bytes moved, -1 when nothing could be moved because of an error.
  // A short read (end of file) sets kErrorHandleEof; a short write sets the
  // error that stopped it (kErrorDiskFull, ...).
  std::int64_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size);
  std::int64_t WriteAt(std::uint64_t offset, const void* buffer, std::size_t size);

  // Size in bytes, -1 on failure.
  std::int64_t Size() const;
  // Sets the end of the file (truncates or extends with zeros).
  bool SetSize(std::uint64_t size);
  // Writes the file's buffers to disk (fsync).
  bool Flush();

  // Byte-range locks, never waiting. Fails with kErrorLockViolation when
  // another handle (of this or another process) holds an overlapping byte, and
  // also when this handle itself holds a range overlapping the new one. A lock
  // of length 0 succeeds and locks nothing. Locks vanish with the handle and
  // with the process. A range must end at or below kLockLimit, else
  // kErrorInvalidParameter. A handle opened for reading only takes a shared
  // lock (all the system allows it): it keeps out the locks of handles that
  // may write, not those of other read-only handles.
  bool LockRange(std::uint64_t offset, std::uint64_t length);
  // Releases exactly a range this handle locked (same offset and length);
  // anything else fails with kErrorNotLocked.
  bool UnlockRange(std::uint64_t offset, std::uint64_t length);
  // True when another handle (of this or another process) holds a lock on any
  // byte of the range; the handle's own locks do not count, nor do the share
  // modes (only bytes below kLockLimit are asked about). False also when
  // the question cannot be asked (last error set, e.g. kErrorInvalidHandle).
  bool IsLockedByOther(std::uint64_t offset, std::uint64_t length = 1) const;

  // Byte-range locks lie below this offset (2^62, far beyond any data); the
  // share modes keep their marks above it.
  static constexpr std::uint64_t kLockLimit = std::uint64_t{1} << 62;

 private:
  struct Range {
    std::uint64_t offset;
    std::uint64_t length;
  };
  void Reset();

  int fd_ = -1;
  std::string path_;
  std::vector<Range> locked_;
};

// File-system operations by name.

// True when a regular file (not a folder) of that name exists.
bool FileExists(std::string_view path);
bool DirectoryExists(std::string_view path);
bool DeleteFile(std::string_view path);
// Renames or moves; an existing file at newPath is replaced in one step:
// whoever opens newPath finds either the old file or the new one, never
// none, also when the process dies at any point (rewrite a file by writing a
// temporary one in its folder, flushing it and renaming it over the file).
// Open handles of the replaced file keep reading the old file.
bool RenameFile(std::string_view oldPath, std::string_view newPath);
// Creates one folder; an existing one fails with kErrorAlreadyExists.
bool CreateDirectory(std::string_view path);
// Creates the folder and every missing folder above it; true when it exists
// afterwards.
bool ForceDirectories(std::string_view path);

// The block of CopyFileBlocks.
inline constexpr std::size_t kCopyBlock = 65536;

// Copies length bytes of from, starting at fromOffset, to to at toOffset, in
// blocks of kCopyBlock; every read and write is checked. False when a read
// or write fails or the source ends early (kErrorHandleEof), with the last
// error set and copied telling how many bytes reached the target.
bool CopyFileBlocks(File& from, std::uint64_t fromOffset, File& to, std::uint64_t toOffset,
                    std::uint64_t length, std::uint64_t* copied = nullptr);

// Size of a file in bytes, -1 on failure.
std::int64_t FileSizeByName(std::string_view path);
// Modification time of a file in seconds since 1970-01-01 UTC, -1 on failure.
std::int64_t FileModificationTime(std::string_view path);

struct FolderEntry {
  std::string name;  // without its folder
  bool isDirectory = false;
  std::int64_t size = 0;
  std::int64_t modified = 0;  // seconds since 1970-01-01 UTC
};

// True when name matches a mask of '*' (any run) and '?' (one character),
// case-insensitively; "*.*" matches every name, with or without a dot.
bool MatchesMask(std::string_view name, std::string_view mask);

// The entries of folder whose names match mask, in ordinal name order; "." and
// ".." are included when the mask matches them. False (entries empty) when the
// folder cannot be read; an empty result is not a failure.
bool ListFolder(std::string_view folder, std::string_view mask,
                std::vector<FolderEntry>& entries);

// Creates a new empty file named <prefix><4 hex digits>.tmp in folder without
// ever taking an existing name, and returns its unique number (1 to 65535)
// with the full name in name; 0 when no name could be made (last error set).
std::uint32_t MakeTempFile(std::string_view folder, std::string_view prefix,
                           std::string& name);

}  // namespace platform
