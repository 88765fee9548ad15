// The layer-file interface: everything outside the layer-file store reaches
// layer databases and layer files through one registry object, addressed
// by database handles (TBaza*), catalogue handles (the shared directory
// text of a catalogue) and layer handles (TWarstwaFile*: a layer file of
// the current format, or one of the old format that is only read).
//
// Entries that answer a code return 0 or more on success and a result code
// of dberrors.h otherwise; they answer kDBNoBase while no database is open.
// The other entries raise the store's exceptions themselves, ENotLoggedIn
// ("Nie wlogowany") while no database is open. The checked calls (DBInt)
// pass every code through CheckDBResult.
//
// One thread uses the registry at a time (it takes no lock). The registry
// owns its databases; a database owns its layer-file objects. A layer
// handle stays valid until DeleteWarstwa or the closing of its database.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "layers/store/layerenum.h"
#include "layers/store/layerfile.h"

struct TBazaDat {
  std::string Name;
  std::string Caption;  // the key's value, or the name when the value is empty
};

class TLayerStore {
public:
  // iniPath: the profile's "baza.ini" (section "baza" names the database
  // sets, one section each).
  explicit TLayerStore(std::string iniPath);
  ~TLayerStore();
  TLayerStore(const TLayerStore&) = delete;
  TLayerStore& operator=(const TLayerStore&) = delete;

  // The file name of layer name of kind (0 text, 1 line): the name padded
  // with "--------.--" (or cut to 8 characters, ".", characters 9 and 10),
  // then "t" or "l"; always 12 characters (a Polish letter counts as one,
  // as in code page 1250).
  static std::string MakeFileName(std::string_view name, int kind);

  // --- Databases ---
  // The database sets of section "baza": 0 with the first, kDBEnd when none.
  int InitBases(TBazaDat& dat);
  // 0 with the next, kDBEnd at the end, kDBNothing when no listing runs.
  int ReloadBases(TBazaDat& dat);
  void GetBaseNames(const std::string& name, std::string& caption);
  // kDBUnknownBase when section "baza" has no key name; else the new
  // database in handle and its registry index.
  int OpenBase(std::uint16_t user, const std::string& name, TBaza*& handle);
  // Raises EInvalidHandle (empty message) for an unknown handle.
  void GetBaseName(TBaza* handle, std::string& name);
  int CloseBase(TBaza* handle);
  int SetWarstwaFlags(TBaza* handle, std::uint16_t user);
  int GetWarstwyList(TAllWarstwaHeader& entry, TBaza* handle);
  int GetWzorceList(TAllWarstwaHeader& entry, TBaza* handle);
  // What the last enumeration of the database passed over (TBaza::PassedOver);
  // empty for an unknown handle.
  std::vector<std::string> PassedOver(TBaza* handle) const;
  // The symbol library of a catalogue; EInternalError when no open
  // database holds the catalogue.
  void OpenSymbols(const std::string* catalogue, std::string& fileName);
  // A new closed layer file in the catalogue of an open database; none when
  // no open database holds the catalogue. EAccessViolation "Baza tylko do
  // odczytu" when the database is read-only for its user; EDBWarstwaCreate
  // for a name holding a path separator.
  TNewTextLinWarstwaFile* CreateWarstwa(const std::string* catalogue, const std::string& name,
                                        const TMainWarstwaHeader& h);
  void ReleaseNumberLists();

  // --- Layer files: codes ---
  int OpenWarstwa(TWarstwaFile* layer, bool readOnly);
  int OpenWarstwa2(TWarstwaFile* layer, std::uint8_t& mode);
  int CloseWarstwa(TWarstwaFile* layer);
  int SeekFirst(TWarstwaFile* layer, TLayerRect rect, ObjectSaveRecord& rec);
  int ReadNext(TWarstwaFile* layer, ObjectSaveRecord& rec);
  int ReadCurrent(TWarstwaFile* layer, ObjectSaveRecord& rec);
  int ReadRecord(TWarstwaFile* layer, ObjectSaveRecord& rec);
  int SeekRecord(TWarstwaFile* layer, TWarQuery* query, ObjectSaveRecord& rec);
  int ReadRecordAtSeek(TWarstwaFile* layer, ObjectSaveRecord& rec);
  int ReadRecordAt(TWarstwaFile* layer, std::int64_t n, ObjectSaveRecord& rec);

  // --- Layer files: raising (EInvalidHandle for a handle not registered) ---
  void ReadPodwarstwaHeader(TWarstwaFile* layer, int i, TWarstwaHeader& h);
  void WritePodwarstwaHeader(TWarstwaFile* layer, int i, const TWarstwaHeader& h);
  void ReadWarstwaHeader(TWarstwaFile* layer, TMainWarstwaHeader& h);
  void WriteWarstwaHeader(TWarstwaFile* layer, const TMainWarstwaHeader& h);
  void WriteRecord(TWarstwaFile* layer, std::int64_t n, const ObjectSaveRecord& rec);
  std::int64_t AddRecord(TWarstwaFile* layer, const ObjectSaveRecord& rec);
  void MoveToArch(TWarstwaFile* layer, std::int64_t n, std::uint32_t ident);
  void FixHeader(TWarstwaFile* layer);
  void GetUserIDs(TWarstwaFile* layer, std::int64_t n, TUserIDs& ids);
  void Statystyka(TWarstwaFile* layer, TDBStatystykaList& list);
  // Deletes the layer file and frees its object. Refused with
  // EAccessViolation "Warstwa tylko do odczytu" for a read-only database,
  // EInternalError "Warstwa otwarta" while open; a file that cannot be
  // deleted raises EDBWarstwaError and the object stays.
  void DeleteWarstwa(TWarstwaFile* layer);
  // Renames the file to MakeFileName(name) keeping its kind letter; the same
  // refusals; EDBWarstwaError "Zmiana nazwy nie powiodła się" on failure,
  // for a name holding a path separator and when a file of the new name
  // exists.
  void RenameWarstwa(TWarstwaFile* layer, const std::string& name);
  // The layer's number in its catalogue's "baza.cnf", 0 when not listed.
  std::int32_t GetWarstwaNumber(TWarstwaFile* layer);

  // --- Whole-file maintenance: raising (layerfile.h tells what each does) ---
  // UpdateIndex raises ENotLoggedIn with an empty message while no database
  // is open; the others as every raising entry.
  void UpdateIndex(TWarstwaFile* layer, ICancelCheck* cancel);
  void DeleteOldArch(TWarstwaFile* layer, std::uint32_t date, ICancelCheck* cancel);
  void AddPodwarstwaHeaderSpace(TWarstwaFile* layer, int count);
  // A target of 0 or more moves the source sublayer's records there; a
  // target below 0 empties the source sublayer, archive included.
  void MovePodwarstwa(TWarstwaFile* layer, int source, int target);
  void DeleteLastPodwarstwa(TWarstwaFile* layer);
  void CleanWarstwa(TWarstwaFile* layer, const std::string& backupDirectory);
  // Writes a transformed copy into target; an empty target raises
  // EInternalError "DBDll.TransformWarstwa" (the interface transforms no
  // layer in place).
  void TransformWarstwa(TWarstwaFile* layer, const TAffineMatrix& m,
                        const std::string& target, ICancelCheck* cancel);

  // The databases open now.
  std::size_t BaseCount() const { return bases_.size(); }

private:
  TBaza* FindBase(const TBaza* handle) const;
  // The database of a registered object, or none.
  TBaza* Owner(const TWarstwaFile* layer) const;
  // The prologue of a raising entry.
  TBaza& Require(const TWarstwaFile* layer) const;
  // The prologue of an entry that answers a code: kDBOk or the code.
  int Check(const TWarstwaFile* layer) const;

  std::string iniPath_;
  // Sorted by name, names may repeat.
  std::vector<std::pair<std::string, std::unique_ptr<TBaza>>> bases_;
  std::vector<std::string> baseNames_;
  int basePos_ = -1;
  bool listing_ = false;
};

// The checked calls: each calls its entry and passes the code through
// CheckDBResult (success, kDBEnd, kDBNotImplemented and kDBNoCatalogue come
// back to the caller); the raising entries are called directly.
namespace DBInt {
int InitBases(TLayerStore& s, TBazaDat& dat);
int ReloadBases(TLayerStore& s, TBazaDat& dat);
TBaza* OpenBase(TLayerStore& s, std::uint16_t user, const std::string& name);
std::string GetBaseName(TLayerStore& s, TBaza* handle);
int CloseBase(TLayerStore& s, TBaza* handle);
int GetWarstwyList(TLayerStore& s, TAllWarstwaHeader& entry, TBaza* handle);
int GetWzorceList(TLayerStore& s, TAllWarstwaHeader& entry, TBaza* handle);
int OpenWarstwa(TLayerStore& s, TWarstwaFile* layer, bool readOnly);
int OpenWarstwa2(TLayerStore& s, TWarstwaFile* layer, std::uint8_t& mode);
int CloseWarstwa(TLayerStore& s, TWarstwaFile* layer);
int SeekFirst(TLayerStore& s, TWarstwaFile* layer, TLayerRect rect, ObjectSaveRecord& rec);
int ReadNext(TLayerStore& s, TWarstwaFile* layer, ObjectSaveRecord& rec);
int ReadCurrent(TLayerStore& s, TWarstwaFile* layer, ObjectSaveRecord& rec);
int ReadRecord(TLayerStore& s, TWarstwaFile* layer, ObjectSaveRecord& rec);
int SeekRecord(TLayerStore& s, TWarstwaFile* layer, TWarQuery* query,
               ObjectSaveRecord& rec);
int ReadRecordAtSeek(TLayerStore& s, TWarstwaFile* layer, ObjectSaveRecord& rec);
int ReadRecordAt(TLayerStore& s, TWarstwaFile* layer, std::int64_t n,
                 ObjectSaveRecord& rec);
// Forwarding: the maintenance entries raise themselves.
void UpdateIndex(TLayerStore& s, TWarstwaFile* layer, ICancelCheck* cancel);
void DeleteOldArch(TLayerStore& s, TWarstwaFile* layer, std::uint32_t date,
                   ICancelCheck* cancel);
void AddPodwarstwaHeaderSpace(TLayerStore& s, TWarstwaFile* layer, int count);
void MovePodwarstwa(TLayerStore& s, TWarstwaFile* layer, int source, int target);
void DeleteLastPodwarstwa(TLayerStore& s, TWarstwaFile* layer);
void CleanWarstwa(TLayerStore& s, TWarstwaFile* layer, const std::string& backupDirectory);
void TransformWarstwa(TLayerStore& s, TWarstwaFile* layer, const TAffineMatrix& m,
                      const std::string& target, ICancelCheck* cancel);
}  // namespace DBInt
