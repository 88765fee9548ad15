// Layer files of the previous format (oldformat.h gives the bytes), opened
// read-only through the layer-file interface: the plain and the rectangle
// read, the read by record number, the layer and sublayer headers and the
// statistics. Opening for writing answers kDBAccess; the write operations
// and the query read keep the answers of TWarstwaFile (not implemented).
// TLinWarstwaFile reads line layers, TTxtWarstwaFile text layers.
//
// Records are decoded into object save records: texts recoded from the
// Mazovia letters to code page 1250, the reference point of a text kept as
// offsets from its anchor, and a sublayer byte above the number of sublayer
// slots (10) read as sublayer 0. The layer header gives the description and
// the highest sublayer in use as stored.
//
// One thread uses an object at a time. It owns its file handle and its read
// buffer; the database that made it (TBaza) owns it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "layers/store/layerfile.h"
#include "layers/store/oldformat.h"
#include "layers/store/warstwafile.h"

class TDBStatystyka;

class TTextLinWarstwaFile : public TWarstwaFile {
public:
  ~TTextLinWarstwaFile() override;

  // Mode kOpenWrite: kDBAccess; kOpenWriteIfPossible becomes kOpenRead.
  // 0 when opened (or already open), kDBAccess on a sharing violation,
  // kDBNothing on any other failure.
  int Open(std::uint8_t& mode) override;
  // 0, or kDBNothing when not open.
  int Close() override;
  // kDBNotOpen when not open; then as ReadNext / ReadRecord.
  int SeekFirst(const TLayerRect& rect, ObjectSaveRecord& rec) override;
  // 0 with the next live record inside the rectangle, kDBEnd at the end,
  // kDBNothing without a running rectangle read.
  int ReadNext(ObjectSaveRecord& rec) override;
  int ReadCurrent(ObjectSaveRecord& rec) override;
  // 0 with the next live record, kDBEnd at the end (a piece of a record at
  // the end of the file is no record), kDBNothing without a running read.
  int ReadRecord(ObjectSaveRecord& rec) override;
  // kDBNothing when not open; a number outside the file raises EInOutError.
  int ReadRecordAt(std::int64_t n, ObjectSaveRecord& rec) override;

  // ENotOpen when not open; EDBWarstwaInvalidHIdx "Błędny numer
  // podwarstwy" for an index outside 0..9; EDBWarstwaError "Błąd podczas
  // odczytu nagłówka" when the slot cannot be read. The print colour and
  // the line width are left as given.
  void ReadPodwarstwaHeader(TWarstwaHeader& h, int i) override;
  void ReadWarstwaHeader(TMainWarstwaHeader& h) override;
  // Old records carry no stamps: both users 0, both dates empty.
  void GetUserIDs(std::int64_t n, TUserIDs& ids) override;
  // Counts every live record into list (sublayers 0 to 10); ENotOpen when
  // not open; raises ECanceled through the list's cancel check.
  void Statystyka(TDBStatystykaList& list) override;
  // An old file keeps no index: nothing to rebuild.
  void UpdateIndex(ICancelCheck* cancel = nullptr) override;

protected:
  // recordCount: the layer value of the enumeration, reported as every
  // sublayer's live count.
  TTextLinWarstwaFile(std::string directory, std::string fileName, std::int64_t recordSize,
                      std::uint32_t recordCount);
  // Decodes stored record r (live) into rec; the number is set by the caller.
  virtual void Decode(const std::uint8_t* r, ObjectSaveRecord& rec) const = 0;
  virtual bool InRect(const std::uint8_t* r, const TLayerRect& rect) const = 0;
  virtual void AddElementToStatistics(const ObjectSaveRecord& rec, TDBStatystyka& item) const = 0;
  // The sublayer of a record's sublayer byte: 0 above the file's ten slots
  // (a byte of 10 stays 10, as the statistics count it).
  std::uint8_t Sublayer(std::uint8_t stored) const;

private:
  enum class Read { None, Plain, Rect };
  void RequireOpen() const;
  oldfmt::Header SlotHeader(int i);
  void StartRead(Read kind);
  void EndRead();
  // The next live stored record of the running read, or nullptr at the end.
  const std::uint8_t* NextStored(std::int64_t& number);

  platform::File file_;
  std::uint32_t recordCount_;
  Read read_ = Read::None;
  TLayerRect rect_;
  std::vector<std::uint8_t> buffer_;
  std::int64_t bufIndex_ = 0;
  std::int64_t bufCount_ = 0;
  std::int64_t fillPos_ = 0;     // file position of the last fill
  std::int64_t bufFirst_ = 0;    // number of the buffer's first record minus one
};

class TLinWarstwaFile final : public TTextLinWarstwaFile {
public:
  TLinWarstwaFile(std::string directory, std::string fileName, std::uint32_t recordCount = 0)
      : TTextLinWarstwaFile(std::move(directory), std::move(fileName), oldfmt::kLineRecordSize,
                            recordCount) {}
  int Kind() const override { return 1; }

protected:
  void Decode(const std::uint8_t* r, ObjectSaveRecord& rec) const override;
  bool InRect(const std::uint8_t* r, const TLayerRect& rect) const override;
  void AddElementToStatistics(const ObjectSaveRecord& rec, TDBStatystyka& item) const override;
};

class TTxtWarstwaFile final : public TTextLinWarstwaFile {
public:
  TTxtWarstwaFile(std::string directory, std::string fileName, std::uint32_t recordCount = 0)
      : TTextLinWarstwaFile(std::move(directory), std::move(fileName), oldfmt::kTextRecordSize,
                            recordCount) {}
  int Kind() const override { return 0; }

protected:
  void Decode(const std::uint8_t* r, ObjectSaveRecord& rec) const override;
  bool InRect(const std::uint8_t* r, const TLayerRect& rect) const override;
  void AddElementToStatistics(const ObjectSaveRecord& rec, TDBStatystyka& item) const override;
};
