#include "platform/files/files.h"

#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <new>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/peer_process.h"
#include "common/scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using platform::File;
using platform::FileAccess;
using platform::FileCreation;
using platform::FileShare;

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override { path_ = dir_.Put("dane.dat", std::string(256, 'a')); }
  bool OpenIt(File& file, FileShare share, FileAccess access = FileAccess::ReadWrite) {
    return file.Open(path_, access, share);
  }
  ScratchFolder dir_;
  std::string path_;
};

TEST_F(FilesTest, MissingFilesAndFoldersGiveTheirCodes) {
  File file;
  EXPECT_FALSE(file.Open(dir_ / "brak.dat", FileAccess::Read, FileShare::DenyNone));
  EXPECT_EQ(platform::LastError(), platform::kErrorFileNotFound);
  EXPECT_FALSE(file.Open(dir_ / "brak/plik.dat", FileAccess::Read, FileShare::DenyNone));
  EXPECT_EQ(platform::LastError(), platform::kErrorPathNotFound);
  EXPECT_FALSE(file.Open(dir_.Path(), FileAccess::Read, FileShare::DenyNone));
  EXPECT_EQ(platform::LastError(), platform::kErrorAccessDenied);
  EXPECT_FALSE(file.IsOpen());
}

TEST_F(FilesTest, CreationModes) {
  File file;
  EXPECT_FALSE(file.Open(path_, FileAccess::ReadWrite, FileShare::DenyNone, FileCreation::CreateNew));
  EXPECT_EQ(platform::LastError(), platform::kErrorFileExists);
  EXPECT_EQ(ScratchFolder::Get(path_).size(), 256u);

  ASSERT_TRUE(file.Open(path_, FileAccess::ReadWrite, FileShare::DenyNone, FileCreation::CreateAlways));
  EXPECT_EQ(file.Size(), 0);

  File fresh;
  ASSERT_TRUE(fresh.Open(dir_ / "nowy.dat", FileAccess::ReadWrite, FileShare::Exclusive,
                         FileCreation::CreateNew));
  EXPECT_TRUE(platform::FileExists(dir_ / "nowy.dat"));
}

TEST_F(FilesTest, CreateAlwaysDoesNotEmptyAFileHeldExclusivelyByAnother) {
  PeerProcess peer(HELPER_LOCKPEER);
  ASSERT_EQ(peer.Ask("open " + path_ + " ex"), "ok");
  File file;
  EXPECT_FALSE(file.Open(path_, FileAccess::ReadWrite, FileShare::DenyNone, FileCreation::CreateAlways));
  EXPECT_EQ(platform::LastError(), platform::kErrorSharingViolation);
  EXPECT_EQ(ScratchFolder::Get(path_), std::string(256, 'a'));
}

TEST_F(FilesTest, TransfersAtOffsetsAndReportsShortReads) {
  File file;
  ASSERT_TRUE(OpenIt(file, FileShare::DenyNone));
  EXPECT_EQ(file.WriteAt(10, "xyz", 3), 3);
  char buffer[8] = {};
  EXPECT_EQ(file.ReadAt(9, buffer, 5), 5);
  EXPECT_EQ(std::string(buffer, 5), "axyza");

  platform::SetLastError(0);
  EXPECT_EQ(file.ReadAt(250, buffer, 8), 6);
  EXPECT_EQ(platform::LastError(), platform::kErrorHandleEof);
  EXPECT_EQ(file.ReadAt(1000, buffer, 8), 0);

  EXPECT_EQ(file.WriteAt(300, "k", 1), 1);
  EXPECT_EQ(file.Size(), 301);
  EXPECT_TRUE(file.SetSize(100));
  EXPECT_EQ(file.Size(), 100);
  EXPECT_TRUE(file.Flush());
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(ScratchFolder::Get(path_), std::string(10, 'a') + "xyz" + std::string(87, 'a'));

  EXPECT_EQ(file.ReadAt(0, buffer, 1), -1);
  EXPECT_EQ(platform::LastError(), platform::kErrorInvalidHandle);
  EXPECT_FALSE(file.Close());
}

TEST_F(FilesTest, WriteToAReadOnlyHandleFails) {
  File file;
  ASSERT_TRUE(OpenIt(file, FileShare::DenyNone, FileAccess::Read));
  EXPECT_EQ(file.WriteAt(0, "x", 1), -1);
  EXPECT_EQ(platform::LastError(), platform::kErrorInvalidHandle);
  EXPECT_EQ(ScratchFolder::Get(path_)[0], 'a');
}

TEST_F(FilesTest, ReadOnlyFileRefusesReadWriteAccess) {
  ::chmod(dir_.Path().c_str(), 0755);
  ::chmod(path_.c_str(), 0444);
  // File permissions bind only an unprivileged user: open as one.
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
    File file;
    if (file.Open(path_, FileAccess::ReadWrite, FileShare::DenyNone)) ::_exit(1);
    if (platform::LastError() != platform::kErrorAccessDenied) ::_exit(2);
    ::_exit(file.Open(path_, FileAccess::Read, FileShare::DenyNone) ? 0 : 4);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(FilesTest, ShareModesBetweenHandlesOfOneProcess) {
  struct Case {
    FileShare first, second;
    bool secondOpens;
  };
  const Case cases[] = {
      {FileShare::DenyNone, FileShare::DenyNone, true},
      {FileShare::DenyNone, FileShare::Exclusive, false},
      {FileShare::Exclusive, FileShare::DenyNone, false},
      {FileShare::Exclusive, FileShare::Exclusive, false},
  };
  for (const Case& c : cases) {
    File a, b;
    ASSERT_TRUE(OpenIt(a, c.first));
    EXPECT_EQ(OpenIt(b, c.second, FileAccess::Read), c.secondOpens);
    if (!c.secondOpens) {
      EXPECT_EQ(platform::LastError(), platform::kErrorSharingViolation);
    }
  }
  File a;
  ASSERT_TRUE(OpenIt(a, FileShare::Exclusive));
  a.Close();
  File b;
  EXPECT_TRUE(OpenIt(b, FileShare::Exclusive));
}

TEST_F(FilesTest, ShareModesBetweenProcesses) {
  PeerProcess peer(HELPER_LOCKPEER);
  ASSERT_EQ(peer.Ask("open " + path_ + " sh"), "ok");
  File shared, exclusive;
  EXPECT_TRUE(OpenIt(shared, FileShare::DenyNone));
  EXPECT_FALSE(OpenIt(exclusive, FileShare::Exclusive));
  EXPECT_EQ(platform::LastError(), platform::kErrorSharingViolation);
  shared.Close();

  ASSERT_EQ(peer.Ask("close"), "ok");
  ASSERT_TRUE(OpenIt(exclusive, FileShare::Exclusive));
  EXPECT_EQ(peer.Ask("open " + path_ + " sh"), "fail 32");
  EXPECT_EQ(peer.Ask("open " + path_ + " ex"), "fail 32");
  exclusive.Close();
  EXPECT_EQ(peer.Ask("open " + path_ + " ex"), "ok");

  peer.Kill();
  EXPECT_TRUE(OpenIt(exclusive, FileShare::Exclusive));
}

// The whole share-mode table: every open of access read, write or both and
// of share mode deny all, deny write, deny read or deny none, held by one
// handle, against every such open by another. The second open succeeds when
// its access is allowed by the first one's share mode and its share mode
// allows the first one's access.
struct ShareOpen {
  FileAccess access;
  FileShare share;
  const char* peerWords;  // the same open as the peer process spells it
};

const ShareOpen kShareOpens[] = {
    {FileAccess::Read, FileShare::Exclusive, "ex r"},
    {FileAccess::Read, FileShare::DenyWrite, "dw r"},
    {FileAccess::Read, FileShare::DenyRead, "dr r"},
    {FileAccess::Read, FileShare::DenyNone, "sh r"},
    {FileAccess::Write, FileShare::Exclusive, "ex w"},
    {FileAccess::Write, FileShare::DenyWrite, "dw w"},
    {FileAccess::Write, FileShare::DenyRead, "dr w"},
    {FileAccess::Write, FileShare::DenyNone, "sh w"},
    {FileAccess::ReadWrite, FileShare::Exclusive, "ex rw"},
    {FileAccess::ReadWrite, FileShare::DenyWrite, "dw rw"},
    {FileAccess::ReadWrite, FileShare::DenyRead, "dr rw"},
    {FileAccess::ReadWrite, FileShare::DenyNone, "sh rw"},
};

// Row: the open held; column: the open tried next, in the order above;
// '1' where the second open succeeds.
const char* const kShareTable[] = {
    "............",  // read, deny all
    ".1.1........",  // read, deny write
    ".....1.1....",  // read, deny read
    ".1.1.1.1.1.1",  // read, deny none
    "............",  // write, deny all
    "..11........",  // write, deny write
    "......11....",  // write, deny read
    "..11..11..11",  // write, deny none
    "............",  // read-write, deny all
    "...1........",  // read-write, deny write
    ".......1....",  // read-write, deny read
    "...1...1...1",  // read-write, deny none
};

TEST_F(FilesTest, ShareModeTableBetweenHandlesOfOneProcess) {
  for (std::size_t held = 0; held < std::size(kShareOpens); ++held) {
    for (std::size_t next = 0; next < std::size(kShareOpens); ++next) {
      SCOPED_TRACE(std::string(kShareOpens[held].peerWords) + " then " + kShareOpens[next].peerWords);
      const bool opens = kShareTable[held][next] == '1';
      File first, second;
      ASSERT_TRUE(OpenIt(first, kShareOpens[held].share, kShareOpens[held].access));
      EXPECT_EQ(OpenIt(second, kShareOpens[next].share, kShareOpens[next].access), opens);
      if (!opens) {
        EXPECT_EQ(platform::LastError(), platform::kErrorSharingViolation);
      }
    }
  }
}

TEST_F(FilesTest, ShareModeTableBetweenProcesses) {
  PeerProcess peer(HELPER_LOCKPEER);
  for (std::size_t held = 0; held < std::size(kShareOpens); ++held) {
    for (std::size_t next = 0; next < std::size(kShareOpens); ++next) {
      SCOPED_TRACE(std::string(kShareOpens[held].peerWords) + " then " + kShareOpens[next].peerWords);
      const bool opens = kShareTable[held][next] == '1';
      // The other process holds the file, this one tries; then the other way round.
      ASSERT_EQ(peer.Ask("open " + path_ + " " + kShareOpens[held].peerWords), "ok");
      File mine;
      EXPECT_EQ(OpenIt(mine, kShareOpens[next].share, kShareOpens[next].access), opens);
      if (!opens) {
        EXPECT_EQ(platform::LastError(), platform::kErrorSharingViolation);
      }
      mine.Close();
      ASSERT_EQ(peer.Ask("close"), "ok");

      ASSERT_TRUE(OpenIt(mine, kShareOpens[held].share, kShareOpens[held].access));
      EXPECT_EQ(peer.Ask("open " + path_ + " " + kShareOpens[next].peerWords),
                opens ? "ok" : "fail 32");
      ASSERT_EQ(peer.Ask("close"), "ok");
    }
  }
}

// Two readers that deny writing share the file; a writer is kept out until
// both are gone, also when the last one ends by dying.
TEST_F(FilesTest, ReadersDenyingWriteShareTheFileAndKeepWritersOut) {
  PeerProcess peer(HELPER_LOCKPEER);
  ASSERT_EQ(peer.Ask("open " + path_ + " dw r"), "ok");
  File reader, writer;
  ASSERT_TRUE(OpenIt(reader, FileShare::DenyWrite, FileAccess::Read));
  EXPECT_FALSE(OpenIt(writer, FileShare::DenyNone, FileAccess::Write));
  reader.Close();
  EXPECT_FALSE(OpenIt(writer, FileShare::DenyNone, FileAccess::Write));
  EXPECT_FALSE(writer.Open(path_, FileAccess::ReadWrite, FileShare::DenyNone,
                           FileCreation::CreateAlways));
  EXPECT_EQ(platform::LastError(), platform::kErrorSharingViolation);
  EXPECT_EQ(ScratchFolder::Get(path_), std::string(256, 'a')) << "nothing emptied";
  peer.Kill();
  EXPECT_TRUE(OpenIt(writer, FileShare::DenyNone, FileAccess::Write));
}

// The marks of the share modes are not byte-range locks: asking about any
// range of data never reports them, and no lock can reach them.
TEST_F(FilesTest, ShareModeMarksAreNotByteRangeLocks) {
  PeerProcess peer(HELPER_LOCKPEER);
  ASSERT_EQ(peer.Ask("open " + path_ + " dw r"), "ok");
  File file;
  ASSERT_TRUE(OpenIt(file, FileShare::DenyWrite, FileAccess::Read));
  const std::uint64_t limit = File::kLockLimit;
  platform::SetLastError(0);
  EXPECT_FALSE(file.IsLockedByOther(0, std::numeric_limits<std::int64_t>::max()));
  EXPECT_FALSE(file.IsLockedByOther(limit, 1u << 20));
  EXPECT_EQ(platform::LastError(), 0u);
  EXPECT_FALSE(file.LockRange(limit - 1, 2));
  EXPECT_EQ(platform::LastError(), platform::kErrorInvalidParameter);
  EXPECT_EQ(peer.Ask("locked 0 9223372036854775807"), "no");
}

// Conflicting opens racing from two processes never hold the file at once.
// Each holder counts itself in a counter both processes share and checks
// that it is alone; the outcome does not depend on who wins which race.
TEST_F(FilesTest, ConflictingOpensRacingNeverBothSucceed) {
  void* shared = ::mmap(nullptr, sizeof(std::atomic<int>) * 2, PROT_READ | PROT_WRITE,
                        MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(shared, MAP_FAILED);
  auto* holders = new (shared) std::atomic<int>(0);
  auto* overlaps = new (static_cast<std::atomic<int>*>(shared) + 1) std::atomic<int>(0);
  auto run = [&](FileAccess access, FileShare share) {
    for (int i = 0; i < 5000; ++i) {
      File file;
      if (!OpenIt(file, share, access)) continue;
      if (holders->fetch_add(1) != 0) overlaps->fetch_add(1);
      holders->fetch_sub(1);
    }
  };
  pid_t pid = ::fork();
  if (pid == 0) {
    run(FileAccess::Read, FileShare::DenyWrite);
    ::_exit(0);
  }
  run(FileAccess::Write, FileShare::DenyRead);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(overlaps->load(), 0);
  ::munmap(shared, sizeof(std::atomic<int>) * 2);
}

TEST_F(FilesTest, LocksBelongToTheHandle) {
  File a, b;
  ASSERT_TRUE(OpenIt(a, FileShare::DenyNone));
  ASSERT_TRUE(OpenIt(b, FileShare::DenyNone));
  ASSERT_TRUE(a.LockRange(16, 10));
  EXPECT_FALSE(b.LockRange(25, 1));
  EXPECT_EQ(platform::LastError(), platform::kErrorLockViolation);
  EXPECT_TRUE(b.LockRange(26, 1));
  EXPECT_TRUE(b.IsLockedByOther(20));
  EXPECT_FALSE(a.IsLockedByOther(20)) << "own locks do not count";
  EXPECT_TRUE(a.IsLockedByOther(0, 100));
  EXPECT_FALSE(a.IsLockedByOther(27, 100));

  a.Close();
  EXPECT_FALSE(b.IsLockedByOther(20));
  EXPECT_TRUE(b.LockRange(16, 10));
}

// A handle opened for reading only could take no lock at all, so a reader
// of a store it may not write read without keeping writers out.
TEST_F(FilesTest, ReadOnlyHandleTakesLocksThatKeepWritersOut) {
  PeerProcess peer(HELPER_LOCKPEER);
  ASSERT_EQ(peer.Ask("open " + path_ + " sh r"), "ok");
  ASSERT_EQ(peer.Ask("lock 16 10"), "ok");
  File reader, writer;
  ASSERT_TRUE(OpenIt(reader, FileShare::DenyNone, FileAccess::Read));
  ASSERT_TRUE(OpenIt(writer, FileShare::DenyNone));
  EXPECT_FALSE(writer.LockRange(20, 1));
  EXPECT_EQ(platform::LastError(), platform::kErrorLockViolation);
  EXPECT_TRUE(writer.IsLockedByOther(25));
  EXPECT_TRUE(reader.LockRange(30, 5));
  EXPECT_FALSE(writer.LockRange(16, 100));
  EXPECT_EQ(peer.Ask("locked 30 1"), "yes");
  EXPECT_TRUE(reader.UnlockRange(30, 5));
  EXPECT_EQ(peer.Ask("unlock 16 10"), "ok");
  ASSERT_TRUE(writer.LockRange(16, 100));
  EXPECT_FALSE(reader.LockRange(50, 1)) << "the writer's lock keeps the reader out";
  EXPECT_EQ(platform::LastError(), platform::kErrorLockViolation);
}

TEST_F(FilesTest, OverlappingLockOfTheSameHandleFailsInsteadOfMerging) {
  File a, b;
  ASSERT_TRUE(OpenIt(a, FileShare::DenyNone));
  ASSERT_TRUE(OpenIt(b, FileShare::DenyNone));
  ASSERT_TRUE(a.LockRange(16, 10));
  EXPECT_FALSE(a.LockRange(20, 10));
  EXPECT_EQ(platform::LastError(), platform::kErrorLockViolation);
  EXPECT_FALSE(a.LockRange(16, 10));
  // The refused lock took nothing: bytes 26 to 29 stay free, and releasing the
  // first range frees all of it.
  EXPECT_TRUE(b.LockRange(26, 4));
  ASSERT_TRUE(a.UnlockRange(16, 10));
  EXPECT_TRUE(b.LockRange(16, 10));
}

TEST_F(FilesTest, UnlockTakesExactlyAHeldRange) {
  File a, b;
  ASSERT_TRUE(OpenIt(a, FileShare::DenyNone));
  ASSERT_TRUE(OpenIt(b, FileShare::DenyNone));
  ASSERT_TRUE(a.LockRange(16, 10));
  ASSERT_TRUE(a.LockRange(40, 1));
  for (auto [offset, length] : {std::pair{16, 5}, {17, 9}, {16, 11}, {41, 1}}) {
    EXPECT_FALSE(a.UnlockRange(offset, length)) << offset << "+" << length;
    EXPECT_EQ(platform::LastError(), platform::kErrorNotLocked);
  }
  EXPECT_FALSE(b.UnlockRange(16, 10)) << "another handle's lock";
  EXPECT_TRUE(b.IsLockedByOther(16, 10));
  EXPECT_TRUE(a.UnlockRange(40, 1));
  EXPECT_FALSE(a.UnlockRange(40, 1));
  EXPECT_TRUE(b.IsLockedByOther(16));
  EXPECT_FALSE(b.IsLockedByOther(40));
}

TEST_F(FilesTest, ZeroLengthLockLocksNothing) {
  File a, b;
  ASSERT_TRUE(OpenIt(a, FileShare::DenyNone));
  ASSERT_TRUE(OpenIt(b, FileShare::DenyNone));
  EXPECT_TRUE(a.LockRange(16, 0));
  EXPECT_TRUE(b.LockRange(16, 1000));
  EXPECT_TRUE(a.UnlockRange(16, 0));
}

TEST_F(FilesTest, MovedHandleKeepsItsLocks) {
  File a, b;
  ASSERT_TRUE(OpenIt(a, FileShare::DenyNone));
  ASSERT_TRUE(OpenIt(b, FileShare::DenyNone));
  ASSERT_TRUE(a.LockRange(100, 1));
  File moved = std::move(a);
  EXPECT_FALSE(a.IsOpen());
  EXPECT_TRUE(b.IsLockedByOther(100));
  EXPECT_FALSE(moved.LockRange(100, 1));
  EXPECT_TRUE(moved.UnlockRange(100, 1));
  EXPECT_FALSE(b.IsLockedByOther(100));
}

TEST_F(FilesTest, LocksBetweenProcesses) {
  PeerProcess peer(HELPER_LOCKPEER);
  ASSERT_EQ(peer.Ask("open " + path_ + " sh"), "ok");
  ASSERT_EQ(peer.Ask("lock 100 1"), "ok");
  File file;
  ASSERT_TRUE(OpenIt(file, FileShare::DenyNone));
  EXPECT_TRUE(file.IsLockedByOther(100));
  EXPECT_FALSE(file.IsLockedByOther(99));
  EXPECT_FALSE(file.IsLockedByOther(101));
  EXPECT_FALSE(file.LockRange(16, 100));
  EXPECT_EQ(platform::LastError(), platform::kErrorLockViolation);
  EXPECT_TRUE(file.LockRange(16, 84));

  EXPECT_EQ(peer.Ask("lock 50 1"), "fail 33");
  EXPECT_EQ(peer.Ask("locked 50 1"), "yes");
  EXPECT_EQ(peer.Ask("locked 100 1"), "no");
  EXPECT_EQ(peer.Ask("unlock 100 1"), "ok");
  EXPECT_FALSE(file.IsLockedByOther(100));
  EXPECT_TRUE(file.LockRange(100, 1));
}

TEST_F(FilesTest, LocksVanishWhenTheHolderDies) {
  PeerProcess peer(HELPER_LOCKPEER);
  ASSERT_EQ(peer.Ask("open " + path_ + " sh"), "ok");
  ASSERT_EQ(peer.Ask("lock 16 240"), "ok");
  File file;
  ASSERT_TRUE(OpenIt(file, FileShare::DenyNone));
  ASSERT_TRUE(file.IsLockedByOther(200));
  peer.Kill();
  EXPECT_FALSE(file.IsLockedByOther(16, 240));
  EXPECT_TRUE(file.LockRange(16, 240));
}

TEST_F(FilesTest, NamesAreResolvedCaseInsensitively) {
  fs::create_directories(dir_ / "Baza");
  dir_.Put("Baza/Punkty.DAT", "12345");
  std::string odd = dir_ / "baza\\punkty.dat";
  EXPECT_TRUE(platform::FileExists(odd));
  EXPECT_EQ(platform::FileSizeByName(odd), 5);
  File file;
  ASSERT_TRUE(file.Open(odd, FileAccess::Read, FileShare::DenyNone));
  EXPECT_EQ(file.Path(), dir_ / "Baza/Punkty.DAT");
  file.Close();
  EXPECT_TRUE(platform::RenameFile(odd, dir_ / "BAZA\\Nowe.dat"));
  EXPECT_TRUE(fs::exists(dir_ / "Baza/Nowe.dat"));
  EXPECT_TRUE(platform::DeleteFile(dir_ / "baza/nowe.DAT"));
  EXPECT_FALSE(fs::exists(dir_ / "Baza/Nowe.dat"));
}

TEST_F(FilesTest, FileSystemOperations) {
  EXPECT_TRUE(platform::FileExists(path_));
  EXPECT_FALSE(platform::FileExists(dir_.Path())) << "a folder is not a file";
  EXPECT_TRUE(platform::DirectoryExists(dir_.Path()));
  EXPECT_FALSE(platform::DirectoryExists(path_));

  std::string other = dir_.Put("inny.dat", "b");
  EXPECT_TRUE(platform::RenameFile(other, path_)) << "moves over an existing file";
  EXPECT_EQ(ScratchFolder::Get(path_), "b");
  EXPECT_FALSE(platform::RenameFile(other, path_));
  EXPECT_EQ(platform::LastError(), platform::kErrorFileNotFound);

  EXPECT_TRUE(platform::CreateDirectory(dir_ / "kat"));
  EXPECT_FALSE(platform::CreateDirectory(dir_ / "kat"));
  EXPECT_EQ(platform::LastError(), platform::kErrorAlreadyExists);
  EXPECT_FALSE(platform::CreateDirectory(dir_ / "brak/kat"));
  EXPECT_EQ(platform::LastError(), platform::kErrorPathNotFound);
  EXPECT_TRUE(platform::ForceDirectories(dir_ / "a/b/c"));
  EXPECT_TRUE(platform::ForceDirectories(dir_ / "A/B"));
  EXPECT_TRUE(fs::is_directory(dir_ / "a/b/c"));
  EXPECT_FALSE(platform::ForceDirectories(path_ + "/x"));

  EXPECT_FALSE(platform::DeleteFile(dir_ / "kat")) << "folders are not deleted as files";
  EXPECT_TRUE(platform::DeleteFile(path_));
  EXPECT_FALSE(platform::DeleteFile(path_));
  EXPECT_EQ(platform::LastError(), platform::kErrorFileNotFound);
  EXPECT_EQ(platform::FileSizeByName(path_), -1);
  EXPECT_EQ(platform::FileModificationTime(path_), -1);
}

TEST_F(FilesTest, ModificationTimeByName) {
  fs::last_write_time(path_, fs::file_time_type::clock::now() - std::chrono::hours(48));
  std::int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
  std::int64_t mtime = platform::FileModificationTime(path_);
  EXPECT_NEAR(static_cast<double>(now - mtime), 48 * 3600.0, 5.0);
}

TEST(FileMaskTest, MatchesCaseInsensitivelyWithWildcards) {
  struct Case {
    const char* name;
    const char* mask;
    bool matches;
  };
  const Case cases[] = {
      {"PUNKTY.DAT", "*.dat", true},     {"punkty.dat", "P*.D?T", true},
      {"punkty", "*.*", true},           {"punkty", "*.", false},
      {"ŁĄKA.txt", "łąka.*", true},      {"Łąka.txt", "?ąka.txt", true},
      {"łąka.txt", "????????", true},   {"a.dat.bak", "*.dat", false},
      {"łąka.txt", "?????????", false}, {"abc", "a*c*", true},
      {"abc", "*b", false},
      {"", "*", true},                   {"x", "", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(platform::MatchesMask(c.name, c.mask), c.matches) << c.name << " / " << c.mask;
}

TEST_F(FilesTest, ListsAFolderInNameOrder) {
  fs::create_directories(dir_ / "Podkat.dat");
  dir_.Put("b.DAT", "12");
  dir_.Put("a.txt", "");
  std::vector<platform::FolderEntry> entries;
  ASSERT_TRUE(platform::ListFolder(dir_.Path(), "*.dat", entries));
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "Podkat.dat");
  EXPECT_TRUE(entries[0].isDirectory);
  EXPECT_EQ(entries[1].name, "b.DAT");
  EXPECT_EQ(entries[1].size, 2);
  EXPECT_FALSE(entries[1].isDirectory);
  EXPECT_EQ(entries[2].name, "dane.dat");

  ASSERT_TRUE(platform::ListFolder(dir_.Path(), "*", entries));
  std::set<std::string> names;
  for (const auto& e : entries) names.insert(e.name);
  EXPECT_EQ(names, (std::set<std::string>{".", "..", "Podkat.dat", "a.txt", "b.DAT", "dane.dat"}));

  EXPECT_TRUE(platform::ListFolder(dir_.Path(), "*.xyz", entries));
  EXPECT_TRUE(entries.empty());
  EXPECT_FALSE(platform::ListFolder(dir_ / "brak", "*", entries));
  EXPECT_EQ(platform::LastError(), platform::kErrorPathNotFound);
}

TEST_F(FilesTest, TempFileNamesAreNewFiles) {
  std::string first, second;
  std::uint32_t a = platform::MakeTempFile(dir_.Path(), "tv", first);
  std::uint32_t b = platform::MakeTempFile(dir_.Path(), "tv", second);
  ASSERT_NE(a, 0u);
  ASSERT_NE(b, 0u);
  EXPECT_NE(first, second);
  char expected[16];
  std::snprintf(expected, sizeof expected, "tv%04X.tmp", a);
  EXPECT_EQ(first, dir_ / expected);
  EXPECT_TRUE(fs::is_regular_file(first));
  EXPECT_EQ(fs::file_size(first), 0u);

  std::string none;
  EXPECT_EQ(platform::MakeTempFile(dir_ / "brak", "tv", none), 0u);
  EXPECT_EQ(platform::LastError(), platform::kErrorPathNotFound);
  EXPECT_TRUE(none.empty());
}

TEST(FileErrorTextTest, PolishTextsForCodes) {
  EXPECT_EQ(platform::ErrorText(platform::kErrorFileNotFound), "Nie znaleziono pliku");
  EXPECT_EQ(platform::ErrorText(platform::kErrorSharingViolation),
            "Plik jest używany przez inny proces");
  EXPECT_EQ(platform::ErrorText(9999), "Błąd systemu numer 9999");
}

}  // namespace
