// The record file: a file of fixed-size records whose record 0 is a header,
// shared between workstations through byte-range locks held for the length of
// one transaction. The engine is a set of free operations on a caller-owned
// descriptor (TDataFile); each operation reports through the process-wide error
// word DBErrorCode and success flag DBOk and never raises for an input/output
// failure. The engine has no guard of its own: one thread (the GUI thread) uses
// it at a time. The caller owns the descriptor and every buffer it passes.
//
// Layout (little-endian; R = record size, 16 to 200; record n at n*R):
//
//   offset in record 0  size  field
//   0                   4     FirstFree: signed, most recently deleted record
//                             still on the free list, -1 when the list is empty
//   4                   4     FreeCount: signed
//   8                   4     RootPage: signed (index files; 0 in data files)
//   12                  2     RecSize: unsigned, R
//   14                  2     ChangeCount: unsigned, +1 (mod 65536) at the end
//                             of every writer transaction on a shared file
//   16                  R-16  user header area (ReadUserHeader/WriteUserHeader),
//                             zero when created; also the lock region
//
// Data records 1, 2, ... belong to the owner of the file. Unless the file is
// append-only, byte 0 of a data record is its status (0 in use, 1 deleted);
// a deleted record holds the next deleted record in bytes 1-4 (signed, -1 ends
// the list). Invariants:
//   1. the record count is the file size div R, the header record included;
//   2. the free list is a stack of records 1..count-1 with byte 0 = 1, ending
//      in -1, and FreeCount counts the records put on it: its length until a
//      damaged list is dropped, whose records then stay counted (leaked);
//   3. the engine writes bytes 16.. of record 0 only when it creates the file
//      and through WriteUserHeader; header updates write bytes 0-15.
// The full byte table and the error words are in docs/formats.md ("Record file").
#pragma once

#include <cstdint>
#include <string>

#include "foundation/errors.h"
#include "platform/files/files.h"

// Error word values.
inline constexpr std::uint16_t DBErrNone = 0;
inline constexpr std::uint16_t DBErrOpen = 2;             // creating or opening failed
inline constexpr std::uint16_t DBErrRead = 100;           // seek or read failed or was short
inline constexpr std::uint16_t DBErrWrite = 101;          // seek or write failed or was short
inline constexpr std::uint16_t DBErrIndexWait = 150;      // an index lock wait lasted another 200 ms
inline constexpr std::uint16_t DBErrDataWait = 151;       // a data-file lock wait lasted another 200 ms
inline constexpr std::uint16_t DBErrReadOnly = 254;       // write asked of a read-only file
inline constexpr std::uint16_t DBErrRecSizeHigh = 1000;   // record size above 200
inline constexpr std::uint16_t DBErrRecSizeLow = 1001;    // record size below 16
inline constexpr std::uint16_t DBErrKeyLength = 1002;     // key length above 35 (index files)
inline constexpr std::uint16_t DBErrRecSizeDiffers = 1003;   // header's record size differs
inline constexpr std::uint16_t DBErrPageSizeDiffers = 1004;  // header's page size differs (index files)

inline constexpr std::uint16_t DBMinRecSize = 16;
inline constexpr std::uint16_t DBMaxRecSize = 200;
// Bytes of record 0 that the engine owns.
inline constexpr std::uint32_t DBHeaderSize = 16;

// Status byte of a data record (byte 0) in files that are not append-only.
inline constexpr std::uint8_t DBRecInUse = 0;
inline constexpr std::uint8_t DBRecDeleted = 1;
// What GetRec puts in byte 0 when another workstation holds the record's lock.
inline constexpr std::uint8_t DBRecLockedElsewhere = 2;

// Process-wide state of the engine: error word of the last operation (0 at
// start), success flag (true at start), and the switch that enables byte-range
// locks (false at start; the databases opened for several workstations set it).
extern std::uint16_t DBErrorCode;
extern bool DBOk;
extern bool DBMultiUser;

// Optional hooks of the user interface, null by default. DBWaitCursor is
// called with true when a lock wait begins (show the "CR_DBLOCK" cursor) and
// with false when it ends (restore the previous one). DBHoldErrorBox shows a
// message box with an empty caption and the given text when an exception
// passes through the opening or closing of a transaction hold.
extern void (*DBWaitCursor)(bool Show);
extern void (*DBHoldErrorBox)(const std::string& Text);

// The 16 header bytes of record 0.
struct TDataHeader {
  std::int32_t FirstFree = -1;
  std::int32_t FreeCount = 0;
  std::int32_t RootPage = 0;
  std::uint16_t RecSize = 0;
  std::uint16_t ChangeCount = 0;
};

// Descriptor of one open record file, a plain record owned by the caller and
// passed to every operation. Every create and open resets it (closing a handle
// it still held). Movable, not copyable: it owns its file handle.
struct TDataFile {
  platform::File Handle;  // not open when the open failed
  TDataHeader Header;     // as last read from or written to record 0
  std::int32_t RecCount = 0;  // records in the file, header record included
  std::uint16_t RecSize = 0;
  bool Shared = false;         // transactions take region locks and re-read the header
  std::uint16_t LockDepth = 0; // open holds of this process (anchor: of all its files)
  bool ReadOnly = false;
  TDataFile* Parent = nullptr;  // lock anchor, or null; not owned
  bool AppendOnly = false;      // deleted records are never reused; byte 0 is no status
  std::uint16_t ReaderByte = 0; // file offset of the byte held in reader mode
  std::string FileName;
  bool IsOpen = false;          // the last create or open ended with error word 0
  std::uint32_t RegionLength = 0;  // RecSize - 16
  // The outermost hold could not re-read the header: every operation inside
  // it ends with error 100, and its close writes no header.
  bool HoldStale = false;
  // The closing writer hold could not write the header: Header holds what
  // the file should say. The next outermost hold keeps it when no other
  // workstation has written the file since, and its closing writer hold (or
  // CloseFile) writes it.
  bool HeaderPending = false;
  std::uint16_t PendingFrom = 0;  // the file's ChangeCount when that write failed
  // Records from AppendFrom on were appended inside the outermost hold now
  // open (RecCount when it began); AppendClear: no other workstation held a
  // record lock at or past AppendFrom when this hold first wrote there.
  std::int32_t AppendFrom = 0;
  bool AppendClear = false;
};

// Raised by the creates and opens when the lock anchor given has an anchor itself.
class EParentError : public Exception {
 public:
  EParentError() : Exception("Parent error") {}
};

// Files.
void MakeFile(TDataFile& File, TDataFile* Parent, const std::string& FileName,
              std::uint16_t RecSize, bool Shared, bool AppendOnly);
void OpenFile(TDataFile& File, TDataFile* Parent, const std::string& FileName,
              std::uint16_t RecSize, bool Shared, bool AppendOnly, bool Exclusive);
// A second descriptor on a file, used only as the lock anchor of others.
void OpenFileShared(TDataFile& File, const std::string& FileName, std::uint16_t RecSize);
void CloseFile(TDataFile& File);
void CloseFileHandle(TDataFile& File);
void EraseFile(TDataFile& File);

// Transfer the first Length bytes of the user header area (file offsets 16 to
// 16+Length-1). Raise Exception("HeaderSize error") when Length + 16 exceeds
// the record size; a null Buffer does nothing.
void ReadUserHeader(TDataFile& File, void* Buffer, std::uint32_t Length);
void WriteUserHeader(TDataFile& File, const void* Buffer, std::uint32_t Length);

// Records. Buffers hold at least RecSize bytes. A record number outside the
// file reads or writes nothing and sets the read or write error word.
void AddRec(TDataFile& File, std::int32_t& RecNo, const void* Buffer);
void AddRecInUse(TDataFile& File, std::int32_t& RecNo, void* Buffer);
void DeleteRec(TDataFile& File, std::int32_t RecNo);
// In a shared file byte 0 of Buffer becomes 2 when another workstation holds
// the record's lock (the rest of the record is read).
void GetRec(TDataFile& File, std::int32_t RecNo, void* Buffer);
void GetRecRaw(TDataFile& File, std::int32_t RecNo, void* Buffer);
// Reads up to Count records from RecNo in one transfer; returns how many whole
// records were read. Records another workstation has locked are checked as
// GetRec checks them: byte 0 becomes 2 in a shared file; in a shared
// append-only file the block ends before the first locked record, error 100.
std::int32_t GetRecBlock(TDataFile& File, std::int32_t RecNo, std::int32_t Count, void* Buffer);
void PutRec(TDataFile& File, std::int32_t RecNo, const void* Buffer);
void PutRecInUse(TDataFile& File, std::int32_t RecNo, void* Buffer);
std::int32_t FileLen(const TDataFile& File);
std::int32_t UsedRecs(const TDataFile& File);
void AddToFreeCount(TDataFile& File, std::int32_t N);

// Locks.
void LockDataFile(TDataFile& File, bool Lock, bool Exclusive);
bool LockRecord(TDataFile& File, std::int32_t RecNo);
void UnlockRecord(TDataFile& File, std::int32_t RecNo);

// The engine's steps, for the index file built on it (no hold of their own;
// each sets the error word as the operations above do).

// How a hold waits for its region: data files sleep 0 ms between attempts and
// show 151; index files retry at once and show 150.
enum class DBHoldKind { DataFile, IndexFile };

// Opens a transaction hold (see LockDataFile); the outermost hold of a shared
// file re-reads the header and RecCount. False (error 100, HoldStale set) when
// that re-read failed, or when the hold this one nests in had failed so: the
// caller's operation must then do nothing. Lock waits never end without the
// lock; they sleep 1 ms between attempts.
bool DBOpenHold(TDataFile& File, bool Exclusive, DBHoldKind Kind = DBHoldKind::DataFile);
// Closes a hold; the outermost writer hold of a shared file raises
// ChangeCount, writes the header, flushes the file and releases the region.
// The error word the operation left stays; when it was 0, a failed header
// write or flush gives 101 and a failed unlock the platform's error code.
void DBCloseHold(TDataFile& File, bool Exclusive, DBHoldKind Kind = DBHoldKind::DataFile);
// Reads record RecNo (16 bytes for record 0, RecSize bytes otherwise);
// false with error 100 when RecNo is outside the file or the read fails.
bool DBReadRecord(TDataFile& File, std::int32_t RecNo, void* Buffer);
// Reads up to Count whole records from RecNo (1 or above) in one transfer,
// as far as the file goes, and returns how many; no record-lock check (for
// the pages of an index, which no workstation record-locks). 0 with error
// 100 when none could be read.
std::int32_t DBReadRecords(TDataFile& File, std::int32_t RecNo, std::int32_t Count, void* Buffer);
// Writes record RecNo (1 .. RecCount-1) of RecSize bytes; false with error 254
// (read-only) or 101 (outside the file, a failed write, or another
// workstation's lock on the record). A record appended inside the hold now
// open is past what any other workstation has seen: the lock question is
// asked once per hold for all of them (one question for the part of the file
// past its length at the hold's start), not per record.
bool DBWriteRecord(TDataFile& File, std::int32_t RecNo, const void* Buffer);
// Reads the 16 header bytes into Header and sets RecCount from the file size.
bool DBReadHeader(TDataFile& File);
// Writes the 16 header bytes from Header.
bool DBWriteHeader(TDataFile& File);
// Puts Header as the 16 header bytes at p.
void DBEncodeHeader(const TDataHeader& Header, std::uint8_t* p);
// Creates FileName empty (or empties it) and opens it read-write, shared with
// everyone; the handle is not open when either step failed.
platform::File DBCreateFile(const std::string& FileName);
// Starts a new file on File's open handle: a fresh header for File.RecSize
// as record 0, the rest of that record zero, and RecCount 1. A failed write
// sets error 101.
void DBWriteNewHeaderRecord(TDataFile& File);
// Asked by DBNewRecNo whether the owner of the file still uses a record the
// free list names (an index: a page of its tree); such a list is damaged.
using DBRecInUseTest = bool (*)(const TDataFile& File, std::int32_t RecNo);
// Chooses the number of a new record (free list, else append) and updates
// Header and RecCount; the caller writes the record. A damaged list (a count
// outside 1 .. RecCount-1, a head outside the file, not marked deleted or in
// use by the owner, a bad link) is dropped; a head that cannot be read now
// (input/output error, locked by another workstation) makes this one record
// an append and keeps the list. -1 when the file has no record number left.
// Inside a hold on a shared file the header is written as soon as the head
// leaves the list (before the caller writes over it); -1 with error 101 when
// that write fails (the list is kept).
std::int32_t DBNewRecNo(TDataFile& File, DBRecInUseTest InUse = nullptr);
// Puts record RecNo on the free list (DeleteRec without a hold). A damaged
// free count restarts the list with this record alone. Inside a hold on a
// shared file the header is written right after the free mark; false with
// error 101 (the header in memory put back, the record leaked) when either
// write fails.
bool DBFreeRecord(TDataFile& File, std::int32_t RecNo);
// Writes the file's buffers to disk; false with error 101 when that fails.
bool DBFlush(TDataFile& File);

// Checks the invariants of the file against its descriptor (header in memory,
// records on disk) and returns what is broken, or an empty text. For tests
// and diagnostics; reads the file, takes no hold.
std::string CheckDataFileInvariants(TDataFile& File);
