// One layer file of the current format as an object (layerformat.h gives
// the bytes): opening under the readers/writer lock of the header's lock
// area, three kinds of scan and the read by number, adding, rewriting and
// archiving records, and the layer and sublayer headers.
//
// The lock is taken by Open and held until Close: a read-only open holds one
// byte of the area, a read-write open all of it. A lock that cannot be had
// is tried again every second without limit; after the first failed try the
// object asks its wait hook for a cancel check (by default the cancel
// window naming the layer), and a cancel ends the open with ECanceled with
// nothing locked or written.
//
// Records are numbered from 1 in file order and keep their number: a
// rewrite archives the old state in another slot and writes the new state in
// place; a delete archives the record in place. The descriptor copy and the
// sublayer counters change in memory and reach the file at Close.
//
// The two concrete classes (layerfiles.h) give what depends on the record
// kind. One thread uses an object at a time; it takes no in-process lock.
// The object owns its file handle and scan buffer; the database (ILayerBase)
// and a running query filter belong to the caller.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "foundation/geometry/realgeom.h"
#include "foundation/threads/cancelcheck.h"
#include "layers/store/layerformat.h"
#include "layers/store/warstwafile.h"
#include "objects/saverecord.h"
#include "platform/files/files.h"

class ILayerBase;
class TWarQuery;
class TDBStatystyka;
class TDBStatystykaList;

// The rectangle of a scan: X1 <= X2, Y1 <= Y2, borders inside.
struct TLayerRect {
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
};

// The layer header as callers see it.
struct TMainWarstwaHeader {
  std::uint32_t Kind = 0;       // the descriptor's kind word
  std::string Description;      // UTF-8; at most 79 code-page characters kept
  std::uint8_t Highest = 0;     // highest sublayer number in use
  std::uint8_t Slots = 0;       // sublayer slots
  std::uint8_t Reserved = 0;
};

// A sublayer header in memory; the line part or the text part follows the
// file's kind.
struct TWarstwaHeader {
  std::uint32_t Type = 4;
  std::int32_t Live = 0;
  std::int32_t Archived = 0;
  std::uint32_t Colour = 0;
  std::uint32_t PrintColour = 0;
  double Threshold = 0;
  std::string ShortName;  // UTF-8, at most 13 code-page characters kept
  std::string FullName;   // UTF-8, at most 79
  float LineWidth = 0;
  // Line part.
  float StyleMultiplier = 1.0f;
  std::uint16_t StyleNumber = 1;
  std::uint8_t ScreenWidth = 0;
  float Width1 = 0;
  float Width2 = 0;
  // Text part.
  float SizeMultiplier = 1.0f;
  std::uint8_t Justification = 23;
  std::array<float, 4> Sizes{0.5f, 1.0f, 2.0f, 5.0f};
  std::string TextParam;  // UTF-8, at most 13
  std::uint32_t Param38 = 0;
  std::uint32_t Param42 = 0;
  std::uint16_t Param46 = 0;
  std::uint8_t Param48 = 0;
};

// Bytes 4 to 15 of a stored record.
struct TUserIDs {
  std::uint16_t Creator = 0;
  std::uint16_t Modifier = 0;
  std::uint32_t Created = 0;
  std::uint32_t Modified = 0;
};

// Open modes.
inline constexpr std::uint8_t kOpenRead = 0;
inline constexpr std::uint8_t kOpenWrite = 1;
inline constexpr std::uint8_t kOpenWriteIfPossible = 2;

// What a lock wait shows: made at the first failed try with the layer's
// file name, polled between tries (raising ECanceled ends the wait), freed
// when the wait ends.
using LayerLockWaitFactory = std::function<std::unique_ptr<ICancelCheck>(const std::string&)>;
// The hook of new objects: by default the cancel window (foundation/threads/cancel.h)
// that appears after half a second with "Oczekiwanie na dostęp do warstwy
// <file>". GUI thread; programs without windows set their own.
void SetDefaultLayerLockWait(LayerLockWaitFactory factory);
class TCancel;
// The cancel window of a lock wait on layer (the default hook's check).
std::unique_ptr<TCancel> MakeLayerLockWaitWindow(const std::string& layer);

class TNewTextLinWarstwaFile : public TWarstwaFile {
public:
  ~TNewTextLinWarstwaFile() override;
  TNewTextLinWarstwaFile(const TNewTextLinWarstwaFile&) = delete;
  TNewTextLinWarstwaFile& operator=(const TNewTextLinWarstwaFile&) = delete;

  void SetLockWait(LayerLockWaitFactory factory) { lockWait_ = std::move(factory); }

  // 0, or kDBAccess (modify right missing for mode 1, sharing refused);
  // mode 2 becomes 0 when only reading is possible. Other failures raise
  // EDBError with the system's text; ECanceled when a lock wait was
  // cancelled.
  int Open(std::uint8_t& mode) override;
  // 0, or kDBNothing when not open. A failed write-back raises EDBError
  // after the file was closed and its lock released.
  int Close() override;

  // Scans (0 with a record, kDBEnd at the end, kDBNothing without a scan or
  // after a read error, kDBNotOpen from a start on a closed file).
  int SeekFirst(const TLayerRect& rect, ObjectSaveRecord& rec) override;
  int ReadNext(ObjectSaveRecord& rec) override;
  int ReadCurrent(ObjectSaveRecord& rec) override;
  int ReadRecord(ObjectSaveRecord& rec) override;
  // The filter is the caller's and must outlive the scan.
  int SeekRecord(TWarQuery* query, ObjectSaveRecord& rec) override;
  int ReadRecordAtSeek(ObjectSaveRecord& rec) override;
  // 0, or kDBNothing when not open; a short read or a free slot raises
  // EDBRecordError.
  int ReadRecordAt(std::int64_t n, ObjectSaveRecord& rec) override;

  // The header of sublayer i as stored, its record counts included (the
  // counters kept in memory reach the file at Close); a sublayer above the
  // highest reads as the default header.
  void ReadPodwarstwaHeader(TWarstwaHeader& h, int i) override;
  // Writes the header of sublayer i (highest + 1 appends a sublayer); the
  // record counts the file holds stay as they are.
  void WritePodwarstwaHeader(const TWarstwaHeader& h, int i) override;
  void ReadWarstwaHeader(TMainWarstwaHeader& h) override;
  void WriteWarstwaHeader(const TMainWarstwaHeader& h) override;

  // The new record's number.
  std::int64_t AddRecord(const ObjectSaveRecord& rec) override;
  // R, the bytes written.
  int WriteRecord(std::int64_t n, const ObjectSaveRecord& rec) override;
  void MoveToArch(std::int64_t n, std::uint32_t ident) override;
  void GetUserIDs(std::int64_t n, TUserIDs& ids) override;
  // True when the last AddRecord or WriteRecord stored a text cut to its
  // kind's declared length.
  bool LastTextCut() const { return lastCut_; }

  // Repairs the stored sublayer headers and parameter blocks of sublayers 0
  // to the highest (colour high byte, widths above 1000, a zero multiplier)
  // and writes back only those the repair changed. A slot count of 0 (which
  // Open lets through for this repair) becomes (file length - 512) div 512,
  // at most 10, when the file's packets lie where that count puts them;
  // otherwise EDBError "Błędna struktura pliku" and nothing changes. Open
  // read-write.
  void FixHeader() override;

  // Counts the live records per sublayer into list (one item per sublayer
  // 0 to the highest); raises ECanceled through the list's cancel check.
  void Statystyka(TDBStatystykaList& list) override;

  // --- Whole-file maintenance (layermaint.cpp) ---
  // The operations on a closed file open it themselves with exclusive
  // sharing, which fails at once (no waiting) while anyone else has the file
  // open, and leave it closed; messages carry the full path and the system's
  // error number as the code. The operations on a file open for writing
  // change the descriptor and counters in memory (they reach the file at
  // Close) and raise ENotOpen / EAccessError otherwise.
  //
  // Closed file: rebuilds every packet's extent and cells, the sublayer
  // counters and the descriptor's index bit. cancel (may be none) is asked
  // between packets; a cancel leaves the index unused where it was unused
  // and the counters as they were. EAccessError (empty message) when open,
  // EDBError (empty message, the system's code) when the open fails.
  void UpdateIndex(ICancelCheck* cancel = nullptr) override;
  // Open for writing: archived records last modified before date become
  // free slots (0 purges nothing) and the free list and its runs are
  // rebuilt in file order. cancel is not asked (one pass over the file).
  void DeleteOldArch(std::uint32_t date, ICancelCheck* cancel = nullptr) override;
  // Closed file, database writable: the file is rewritten with count more
  // sublayer slots (at most 250 in all), every record count x 512 bytes
  // further on. The new file is written beside the layer file ("~" in place
  // of the last letter) and renamed over it; any failure leaves the layer
  // file as it was and removes the temporary file.
  void AddPodwarstwaHeaderSpace(int count) override;
  // Open for writing: every record of sublayer source gets sublayer target.
  void MovePodwarstwa(int source, int target) override;
  // Open for writing: the highest sublayer number decreases by one; refused
  // for sublayer 0 and for a sublayer that still counts records.
  void DeleteLastPodwarstwa() override;
  // Open for writing: every record of the sublayer, archive included, is
  // freed; the index is not used until the next UpdateIndex.
  void CleanPodwarstwa(int sublayer) override;
  // Closed file, database writable: the layer keeps its header and sublayer
  // headers and loses every record. With a backup folder the whole old file
  // is first copied there under its name (an existing file there refuses
  // the operation) and the emptied file then replaces the layer by rename.
  void CleanWarstwa(const std::string& backupDirectory) override;
  // Closed file. With an empty target folder the coordinates of every
  // record, archive included, are transformed in place and the index is
  // rebuilt (UpdateIndex with cancel). Otherwise (EAccessViolation "Brak
  // praw do eksportu" without the export right) a copy is written to the
  // target folder under the same name and transformed there; the source is
  // not changed, and a copy that failed is removed.
  void TransformWarstwa(const TAffineMatrix& m, const std::string& targetDirectory,
                        ICancelCheck* cancel = nullptr) override;

  // Counters of a sublayer as kept in memory (tests and statistics).
  std::pair<std::int32_t, std::int32_t> Counters(int i) const;

  // The kind-specific part (layerfiles.h).
  virtual bool EncodeRecord(const ObjectSaveRecord& rec, std::uint8_t* f) const = 0;
  // Writes the decoded fields of stored record f into the save record's
  // bytes s; no other byte is touched.
  virtual void DecodeInto(const std::uint8_t* f, std::uint8_t* s) const = 0;
  void DecodeRecord(const std::uint8_t* f, ObjectSaveRecord& rec) const;
  virtual std::uint32_t CellEntry(const std::uint8_t* f, const layerfmt::PacketHeader& p) const = 0;
  virtual void SetArchiveIdent(std::uint8_t* f, std::uint32_t ident) const = 0;
  // The point test of the rectangle scan on the stored record.
  virtual bool PointInRect(const std::uint8_t* f, const TLayerRect& r) const = 0;
  virtual void SetQueryCells(const TLayerRect& r, const layerfmt::PacketHeader& p) = 0;
  virtual bool EntryInQuery(std::uint32_t entry) const = 0;
  // The index rebuild's steps on one packet. records holds the packet's
  // slots as read from the file (R bytes each; fewer than 4096 at the end of
  // the file); only the packet's used slots that were read are looked at.
  // FillCells writes the cell entry of every used slot into cells: the
  // points of a live record quantised against p's extent with the unclamped
  // rule, 0 for any other record.
  virtual void FillCells(std::span<const std::uint8_t> records, std::span<std::uint32_t> cells,
                         const layerfmt::PacketHeader& p) const = 0;
  // Counts every used slot into its sublayer's counters (CountRecord); a
  // slot without an indexed point (free, archived) sets flag bit 2 of p; a
  // live record clears flag bit 3 and extends the minimum (p.x0, p.y0) and
  // max by its indexed points.
  virtual void AddToExtent(std::span<const std::uint8_t> records, layerfmt::PacketHeader& p,
                           TRealPoint& max) = 0;
  // Counts a record in use into the live or archived counter of its
  // sublayer; free slots and sublayers above the highest are not counted.
  void CountRecord(const std::uint8_t* f);
  virtual void AddToStatistics(const std::uint8_t* f, TDBStatystyka& item) const = 0;
  // Transforms the points, vectors, angles and radius of stored record f in
  // place (used by the whole-file transformation).
  virtual void TransformRecord(std::uint8_t* f, const TAffineMatrix& m) const = 0;
  // A closed object of the same class for another catalogue and file name,
  // with the same database.
  virtual std::unique_ptr<TNewTextLinWarstwaFile> CreateSame(const std::string& directory,
                                                             const std::string& fileName) const = 0;

protected:
  TNewTextLinWarstwaFile(ILayerBase* base, std::string directory, std::string fileName,
                         std::int64_t recordSize);
  ILayerBase* Base() const { return base_; }
  // Writes a new file (the kind's record size and blocks); raises
  // EDBWarstwaCreate / EDBWarstwaExist.
  static void CreateFile(const std::string& directory, const TMainWarstwaHeader& h,
                         const std::string& fileName, int kind);
  virtual void ReadParamBlock(TWarstwaHeader& h, int i) = 0;
  virtual void WriteParamBlock(const TWarstwaHeader& h, int i) = 0;
  // The number of a packet's used slots that records holds.
  std::size_t UsedSlots(std::span<const std::uint8_t> records,
                        const layerfmt::PacketHeader& p) const;

  platform::File file_;
  int slots_ = layerfmt::kMinSlots;
  layerfmt::Descriptor desc_{};

  // Helpers for the kind classes.
  void ReadExact(std::int64_t offset, void* buffer, std::size_t size);
  void WriteExact(std::int64_t offset, const void* buffer, std::size_t size);

private:
  struct WritePacket {
    std::int64_t start = 0;
    std::array<std::uint8_t, layerfmt::kPacketHeaderSize> raw{};
    layerfmt::PacketHeader header;  // extent as read (0 taken as 0.1)
    bool cells = false;
    bool headerChanged = false;
    bool tableChanged = false;
    bool tableLoaded = false;
    std::vector<std::uint32_t> table;
  };
  enum class Scan { None, Rect, Live, Query };
  enum class Reader { Cells, Occupied, Plain };

  void RequireOpen() const;
  void RequireWritable() const;
  void LockWait(bool exclusive);
  void ReleaseLock();
  std::int64_t Address(std::int64_t n) const;
  void ReadStored(std::int64_t n, std::uint8_t* f, const char* shortMsg, const char* freeMsg);
  virtual const char* ShortReadMessage() const = 0;
  virtual const char* FreeSlotMessage() const = 0;
  std::int64_t PlaceRecord(std::uint8_t* f);
  std::int64_t TakeFreeRecord();
  void WriteRecordAt(std::int64_t a, std::int64_t n, const std::uint8_t* f);
  void PositionWritePacket(std::int64_t a, std::int64_t n);
  void FreeWritePacket();
  void LoadCellTable();
  void SetEntry(std::int64_t slot, std::uint32_t e);
  // Reads and checks the magic and the descriptor into desc_ and slots_
  // (EDBError "Błędna struktura pliku" when they are not sound). With
  // noSlots a slot count of 0 passes (highest below 10): FixHeader repairs
  // it, and until then every record operation refuses the file.
  void ReadDescriptor(bool noSlots = false);
  // False while the slot count is 0: record addresses are unknown.
  bool SlotsKnown() const { return slots_ >= layerfmt::kMinSlots; }
  void RequireSlots() const;
  // Maintenance helpers (layermaint.cpp).
  bool OpenExclusive(bool write);
  void EndMaintenance(bool report);
  void WriteMaintDescriptor();
  std::int64_t MaintPacketStart(int packet) const;
  std::size_t ReadRecordArea(std::int64_t start, std::int64_t slots, std::vector<std::uint8_t>& area);
  void WriteRecordArea(std::int64_t start, const std::vector<std::uint8_t>& area, std::size_t slots);
  template <class Change>
  bool ChangeRecords(Change change);
  void TransformInPlace(const TAffineMatrix& m, ICancelCheck* cancel);
  std::string TempPath() const;
  void CountLive(int sublayer, int delta);
  void CountArchived(int sublayer, int delta);
  void KeepStoredCounters(layerfmt::SublayerHeader& s, int i);

  // Scans.
  void StartScan(Scan kind);
  void EndScan();
  int Refill(Reader reader);
  void DecodeNumbered(const std::uint8_t* f, std::int64_t n, ObjectSaveRecord& rec) const;
  int NextStored(ObjectSaveRecord& rec, Scan kind, Reader reader);
  bool RectMissesPacket(const layerfmt::PacketHeader& p) const;

  ILayerBase* base_;
  LayerLockWaitFactory lockWait_;
  bool indexInUse_ = false;
  bool descChanged_ = false;
  bool countersChanged_ = false;
  bool lastCut_ = false;
  std::int64_t lockState_ = 0;  // 0 none, -1 exclusive, else the byte held
  std::vector<std::pair<std::int32_t, std::int32_t>> counters_;
  std::unique_ptr<WritePacket> write_;

  Scan scan_ = Scan::None;
  TLayerRect rect_;
  TWarQuery* query_ = nullptr;
  std::vector<std::uint8_t> buffer_;
  std::int64_t bufIndex_ = 0;
  std::int64_t bufCount_ = 0;
  std::int64_t bufFirst_ = 1;    // record number of buffer record 0
  std::int64_t nextPacket_ = 0;  // packet the refill takes next
  bool packetOpen_ = false;      // a packet with cells is being read
  std::int64_t packetIndex_ = 0;
  std::int64_t packetUsed_ = 0;
  std::int64_t slot_ = 0;
  std::vector<std::uint8_t> candidate_;
  std::int64_t fileSize_ = 0;
};
