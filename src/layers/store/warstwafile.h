// One layer file as an object with a fixed table of operations, whatever its
// format: the current format (layerfile.h) and the previous one, read only
// (oldlayer.h), implement it. A pointer to it is the layer handle of the
// layer-file interface (layerapi.h).
//
// The operations that answer a code return 0 or more on success and a code
// of dberrors.h otherwise; the base answers kDBNotImplemented for each. The
// operations that raise, raise ENotImplemented ("TWarstwaFile.<operation>")
// in the base.
//
// One thread uses an object at a time; it takes no in-process lock. The
// object owns its file handle and read buffer; the database that owns the
// object (TBaza) frees it.
#pragma once

#include <cstdint>
#include <string>

class ICancelCheck;
class ObjectSaveRecord;
struct TAffineMatrix;
class TWarQuery;
class TDBStatystykaList;
struct TLayerRect;
struct TMainWarstwaHeader;
struct TWarstwaHeader;
struct TUserIDs;

class TWarstwaFile {
public:
  virtual ~TWarstwaFile();
  TWarstwaFile(const TWarstwaFile&) = delete;
  TWarstwaFile& operator=(const TWarstwaFile&) = delete;

  // The size of one stored record in bytes.
  std::int64_t RecordSize() const { return recSize_; }
  // 0 text layer, 1 line layer.
  virtual int Kind() const = 0;
  const std::string& FileName() const { return fileName_; }
  // The name after the file was renamed on disk (closed files only).
  void SetFileName(std::string fileName) { fileName_ = std::move(fileName); }
  // The catalogue directory, ending in a separator.
  const std::string& Directory() const { return directory_; }
  std::string Path() const { return directory_ + fileName_; }
  bool IsOpen() const { return open_; }
  bool IsReadOnly() const { return readOnly_; }

  // Open modes of layerfile.h (kOpenRead, kOpenWrite, kOpenWriteIfPossible).
  virtual int Open(std::uint8_t& mode);
  virtual int Close();
  // The rectangle read, the plain read of every live record, the query
  // read and the read by record number.
  virtual int SeekFirst(const TLayerRect& rect, ObjectSaveRecord& rec);
  virtual int ReadNext(ObjectSaveRecord& rec);
  virtual int ReadCurrent(ObjectSaveRecord& rec);
  virtual int ReadRecord(ObjectSaveRecord& rec);
  virtual int SeekRecord(TWarQuery* query, ObjectSaveRecord& rec);
  virtual int ReadRecordAtSeek(ObjectSaveRecord& rec);
  virtual int ReadRecordAt(std::int64_t n, ObjectSaveRecord& rec);

  virtual void ReadPodwarstwaHeader(TWarstwaHeader& h, int i);
  virtual void WritePodwarstwaHeader(const TWarstwaHeader& h, int i);
  virtual void ReadWarstwaHeader(TMainWarstwaHeader& h);
  virtual void WriteWarstwaHeader(const TMainWarstwaHeader& h);
  virtual std::int64_t AddRecord(const ObjectSaveRecord& rec);
  virtual int WriteRecord(std::int64_t n, const ObjectSaveRecord& rec);
  virtual void MoveToArch(std::int64_t n, std::uint32_t ident);
  virtual void FixHeader();
  virtual void GetUserIDs(std::int64_t n, TUserIDs& ids);
  virtual void Statystyka(TDBStatystykaList& list);
  // Whole-file maintenance (layerfile.h says what each does).
  virtual void UpdateIndex(ICancelCheck* cancel = nullptr);
  virtual void DeleteOldArch(std::uint32_t date, ICancelCheck* cancel = nullptr);
  virtual void AddPodwarstwaHeaderSpace(int count);
  virtual void MovePodwarstwa(int source, int target);
  virtual void DeleteLastPodwarstwa();
  virtual void CleanPodwarstwa(int sublayer);
  virtual void CleanWarstwa(const std::string& backupDirectory);
  virtual void TransformWarstwa(const TAffineMatrix& m, const std::string& targetDirectory,
                                ICancelCheck* cancel = nullptr);

  // The records of the running or last scan that were passed over because
  // the format cannot hold them (a damaged slot); a new scan starts at 0.
  std::int64_t DamagedRecords() const { return damagedRecords_; }

protected:
  // directory gets a trailing separator when it lacks one.
  TWarstwaFile(std::string directory, std::string fileName, std::int64_t recordSize);

  std::string directory_;
  std::string fileName_;
  std::int64_t recSize_;
  bool open_ = false;
  bool readOnly_ = false;
  std::int64_t damagedRecords_ = 0;
};
