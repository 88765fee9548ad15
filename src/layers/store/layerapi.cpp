#include "layers/store/layerapi.h"

#include <algorithm>

#include "foundation/errors.h"
#include "foundation/storage/fileopener.h"
#include "foundation/text/filenames.h"
#include "foundation/text/textutil.h"
#include "layers/store/dberrors.h"
#include "layers/store/layerfiles.h"
#include "platform/files/codepage.h"
#include "platform/files/inifile.h"

namespace {

constexpr const char* kBazaSection = "baza";

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// A layer name becomes a file name in its catalogue: a path separator would
// put the file elsewhere.
bool IsFileNameSafe(std::string_view name) {
  return name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

bool LessText(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const char x = UpperAscii(a[i]), y = UpperAscii(b[i]);
    if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
  }
  return a.size() < b.size();
}

}  // namespace

TLayerStore::TLayerStore(std::string iniPath) : iniPath_(std::move(iniPath)) {}

TLayerStore::~TLayerStore() = default;

std::string TLayerStore::MakeFileName(std::string_view name, int kind) {
  // Counted in characters, as the name is stored in code page 1250: a
  // Polish letter is one character of the twelve, and a cut never splits one.
  static constexpr std::string_view kPad = "--------.--";
  const std::size_t length = platform::Cp1250Length(name);
  std::string out;
  if (length <= 8) {
    out = std::string(name) + std::string(kPad.substr(length));
  } else {
    const std::string head = platform::TruncateCp1250(name, 8);
    const std::string tail = platform::TruncateCp1250(name.substr(head.size()), 2);
    out = head + "." + tail;
    if (length == 9) out += '-';
  }
  out += kind == 0 ? 't' : 'l';
  return out;
}

// --- Databases ---------------------------------------------------------------

int TLayerStore::InitBases(TBazaDat& dat) {
  platform::TIniFile ini(iniPath_);
  baseNames_ = ini.ReadSection(kBazaSection);
  basePos_ = -1;
  listing_ = true;
  return ReloadBases(dat);
}

int TLayerStore::ReloadBases(TBazaDat& dat) {
  if (!listing_) return kDBNothing;
  ++basePos_;
  if (basePos_ < 0 || static_cast<std::size_t>(basePos_) >= baseNames_.size()) {
    listing_ = false;
    baseNames_.clear();
    return kDBEnd;
  }
  dat.Name = baseNames_[static_cast<std::size_t>(basePos_)];
  GetBaseNames(dat.Name, dat.Caption);
  return kDBOk;
}

void TLayerStore::GetBaseNames(const std::string& name, std::string& caption) {
  platform::TIniFile ini(iniPath_);
  caption = ini.ReadString(kBazaSection, name, "");
  if (caption.empty()) caption = name;
}

int TLayerStore::OpenBase(std::uint16_t user, const std::string& name, TBaza*& handle) {
  platform::TIniFile ini(iniPath_);
  if (StringsIndexOf(ini.ReadSection(kBazaSection), name, -1) < 0) return kDBUnknownBase;
  auto at = std::upper_bound(bases_.begin(), bases_.end(), name,
                             [](const std::string& n, const auto& line) {
                               return LessText(n, line.first);
                             });
  at = bases_.insert(at, {name, std::make_unique<TBaza>(user, iniPath_)});
  handle = at->second.get();
  return static_cast<int>(at - bases_.begin());
}

TBaza* TLayerStore::FindBase(const TBaza* handle) const {
  for (const auto& line : bases_)
    if (line.second.get() == handle) return line.second.get();
  return nullptr;
}

void TLayerStore::GetBaseName(TBaza* handle, std::string& name) {
  for (const auto& line : bases_) {
    if (line.second.get() == handle) {
      name = line.first;
      return;
    }
  }
  throw EInvalidHandle("");
}

int TLayerStore::CloseBase(TBaza* handle) {
  const auto it = std::find_if(bases_.begin(), bases_.end(),
                               [handle](const auto& line) { return line.second.get() == handle; });
  if (it == bases_.end()) return kDBNoBase;
  std::unique_ptr<TBaza> closing = std::move(it->second);
  bases_.erase(it);
  closing.reset();
  return kDBOk;
}

int TLayerStore::SetWarstwaFlags(TBaza* handle, std::uint16_t user) {
  TBaza* base = FindBase(handle);
  if (base == nullptr) return kDBNoBase;
  base->SetUser(user);
  return kDBOk;
}

int TLayerStore::GetWarstwyList(TAllWarstwaHeader& entry, TBaza* handle) {
  for (const auto& line : bases_)
    if (line.second.get() == handle) return handle->FirstHeader(entry, line.first);
  return kDBNoBase;
}

int TLayerStore::GetWzorceList(TAllWarstwaHeader& entry, TBaza* handle) {
  TBaza* base = FindBase(handle);
  if (base == nullptr) return kDBNoBase;
  return base->NextHeader(entry);
}

std::vector<std::string> TLayerStore::PassedOver(TBaza* handle) const {
  const TBaza* base = FindBase(handle);
  return base != nullptr ? base->PassedOver() : std::vector<std::string>();
}

void TLayerStore::OpenSymbols(const std::string* catalogue, std::string& fileName) {
  for (const auto& line : bases_) {
    if (line.second->HasCatalogue(catalogue)) {
      fileName = ReadKatalogSymbols(*catalogue);
      return;
    }
  }
  throw EInternalError("TBazaList.ReadKatalogHeader");
}

TNewTextLinWarstwaFile* TLayerStore::CreateWarstwa(const std::string* catalogue,
                                                   const std::string& name,
                                                   const TMainWarstwaHeader& h) {
  for (const auto& line : bases_) {
    TBaza& base = *line.second;
    if (!base.HasCatalogue(catalogue)) continue;
    if (base.Base().IsReadOnly()) throw EAccessViolation("Baza tylko do odczytu");
    const int kind = h.Kind == 0 ? 0 : 1;
    const std::string fileName = MakeFileName(name, kind);
    if (!IsFileNameSafe(name))
      throw EDBWarstwaCreate(FormatMessage("Nie można utworzyć pliku %s", fileName.c_str()));
    std::unique_ptr<TNewTextLinWarstwaFile> file;
    if (kind == 0)
      file = TNewTextWarstwaFile::CreateNew(&base.Base(), *catalogue, h, fileName);
    else
      file = TNewLinWarstwaFile::CreateNew(&base.Base(), *catalogue, h, fileName);
    TNewTextLinWarstwaFile* raw = file.get();
    base.AddFile(std::move(file), catalogue);
    return raw;
  }
  return nullptr;
}

void TLayerStore::ReleaseNumberLists() {
  for (const auto& line : bases_) line.second->ReleaseNumberList();
}

// --- Layer files -------------------------------------------------------------

TBaza* TLayerStore::Owner(const TWarstwaFile* layer) const {
  if (layer == nullptr) return nullptr;
  for (const auto& line : bases_)
    if (line.second->Owns(layer)) return line.second.get();
  return nullptr;
}

int TLayerStore::Check(const TWarstwaFile* layer) const {
  if (bases_.empty()) return kDBNoBase;
  return Owner(layer) != nullptr ? kDBOk : kDBBadHandle;
}

TBaza& TLayerStore::Require(const TWarstwaFile* layer) const {
  if (bases_.empty()) throw ENotLoggedIn();
  TBaza* base = Owner(layer);
  if (base == nullptr) throw EInvalidHandle("Błędny uchwyt");
  return *base;
}

int TLayerStore::OpenWarstwa(TWarstwaFile* layer, bool readOnly) {
  std::uint8_t mode = readOnly ? kOpenRead : kOpenWrite;
  return OpenWarstwa2(layer, mode);
}

int TLayerStore::OpenWarstwa2(TWarstwaFile* layer, std::uint8_t& mode) {
  if (const int c = Check(layer); c != kDBOk) return c;
  return layer->Open(mode);
}

int TLayerStore::CloseWarstwa(TWarstwaFile* layer) {
  if (const int c = Check(layer); c != kDBOk) return c;
  return layer->Close();
}

int TLayerStore::SeekFirst(TWarstwaFile* layer, TLayerRect rect, ObjectSaveRecord& rec) {
  if (const int c = Check(layer); c != kDBOk) return c;
  return layer->SeekFirst(rect, rec);
}

int TLayerStore::ReadNext(TWarstwaFile* layer, ObjectSaveRecord& rec) {
  if (const int c = Check(layer); c != kDBOk) return c;
  return layer->ReadNext(rec);
}

int TLayerStore::ReadCurrent(TWarstwaFile* layer, ObjectSaveRecord& rec) {
  if (const int c = Check(layer); c != kDBOk) return c;
  return layer->ReadCurrent(rec);
}

int TLayerStore::ReadRecord(TWarstwaFile* layer, ObjectSaveRecord& rec) {
  if (const int c = Check(layer); c != kDBOk) return c;
  return layer->ReadRecord(rec);
}

int TLayerStore::SeekRecord(TWarstwaFile* layer, TWarQuery* query, ObjectSaveRecord& rec) {
  if (const int c = Check(layer); c != kDBOk) return c;
  return layer->SeekRecord(query, rec);
}

int TLayerStore::ReadRecordAtSeek(TWarstwaFile* layer, ObjectSaveRecord& rec) {
  if (const int c = Check(layer); c != kDBOk) return c;
  return layer->ReadRecordAtSeek(rec);
}

int TLayerStore::ReadRecordAt(TWarstwaFile* layer, std::int64_t n, ObjectSaveRecord& rec) {
  if (const int c = Check(layer); c != kDBOk) return c;
  return layer->ReadRecordAt(n, rec);
}

void TLayerStore::ReadPodwarstwaHeader(TWarstwaFile* layer, int i, TWarstwaHeader& h) {
  Require(layer);
  layer->ReadPodwarstwaHeader(h, i);
}

void TLayerStore::WritePodwarstwaHeader(TWarstwaFile* layer, int i,
                                        const TWarstwaHeader& h) {
  Require(layer);
  layer->WritePodwarstwaHeader(h, i);
}

void TLayerStore::ReadWarstwaHeader(TWarstwaFile* layer, TMainWarstwaHeader& h) {
  Require(layer);
  layer->ReadWarstwaHeader(h);
}

void TLayerStore::WriteWarstwaHeader(TWarstwaFile* layer, const TMainWarstwaHeader& h) {
  Require(layer);
  layer->WriteWarstwaHeader(h);
}

void TLayerStore::WriteRecord(TWarstwaFile* layer, std::int64_t n,
                              const ObjectSaveRecord& rec) {
  Require(layer);
  layer->WriteRecord(n, rec);
}

std::int64_t TLayerStore::AddRecord(TWarstwaFile* layer, const ObjectSaveRecord& rec) {
  Require(layer);
  return layer->AddRecord(rec);
}

void TLayerStore::MoveToArch(TWarstwaFile* layer, std::int64_t n, std::uint32_t ident) {
  Require(layer);
  layer->MoveToArch(n, ident);
}

void TLayerStore::FixHeader(TWarstwaFile* layer) {
  Require(layer);
  layer->FixHeader();
}

void TLayerStore::GetUserIDs(TWarstwaFile* layer, std::int64_t n, TUserIDs& ids) {
  Require(layer);
  layer->GetUserIDs(n, ids);
}

void TLayerStore::Statystyka(TWarstwaFile* layer, TDBStatystykaList& list) {
  Require(layer);
  layer->Statystyka(list);
}

void TLayerStore::DeleteWarstwa(TWarstwaFile* layer) {
  TBaza& base = Require(layer);
  if (base.Base().IsReadOnly()) throw EAccessViolation("Warstwa tylko do odczytu");
  if (layer->IsOpen()) throw EInternalError("Warstwa otwarta");
  const std::string path = layer->Path();
  // A file that stays on disk must keep its object: the layer is not gone.
  if (!FileOpener().DeleteFile(path))
    throw EDBWarstwaError(FormatMessage("Nie można usunąć pliku %s", path.c_str()));
  base.RemoveFile(layer);
}

void TLayerStore::RenameWarstwa(TWarstwaFile* layer, const std::string& name) {
  TBaza& base = Require(layer);
  if (base.Base().IsReadOnly()) throw EAccessViolation("Warstwa tylko do odczytu");
  if (layer->IsOpen()) throw EInternalError("Warstwa otwarta");
  const std::string old = layer->FileName();
  if (!IsFileNameSafe(name)) throw EDBWarstwaError("Zmiana nazwy nie powiodła się");
  // The kind letter is the last character of both names.
  std::string fresh = MakeFileName(name, 0);
  if (!old.empty()) fresh.back() = old.back();
  if (fresh == old) return;
  const std::string* directory = base.DirectoryOf(layer);
  const std::string dir = directory != nullptr ? *directory : std::string();
  // The system's rename replaces an existing file: another layer of that
  // name would be lost, so the rename is refused.
  if (FileOpener().FileExists(dir + fresh) || !FileOpener().RenameFile(dir + old, dir + fresh))
    throw EDBWarstwaError("Zmiana nazwy nie powiodła się");
  layer->SetFileName(fresh);
}

std::int32_t TLayerStore::GetWarstwaNumber(TWarstwaFile* layer) {
  TBaza& base = Require(layer);
  const std::string key = LayerNumberKey(layer->Kind(), OldLayerFileToName(layer->FileName()));
  return base.GetLayerNumber(base.DirectoryOf(layer), key);
}

// --- Whole-file maintenance --------------------------------------------------

void TLayerStore::UpdateIndex(TWarstwaFile* layer, ICancelCheck* cancel) {
  if (bases_.empty()) throw ENotLoggedIn("");
  Require(layer);
  layer->UpdateIndex(cancel);
}

void TLayerStore::DeleteOldArch(TWarstwaFile* layer, std::uint32_t date,
                                ICancelCheck* cancel) {
  Require(layer);
  layer->DeleteOldArch(date, cancel);
}

void TLayerStore::AddPodwarstwaHeaderSpace(TWarstwaFile* layer, int count) {
  Require(layer);
  layer->AddPodwarstwaHeaderSpace(count);
}

void TLayerStore::MovePodwarstwa(TWarstwaFile* layer, int source, int target) {
  Require(layer);
  if (target >= 0) layer->MovePodwarstwa(source, target);
  else layer->CleanPodwarstwa(source);
}

void TLayerStore::DeleteLastPodwarstwa(TWarstwaFile* layer) {
  Require(layer);
  layer->DeleteLastPodwarstwa();
}

void TLayerStore::CleanWarstwa(TWarstwaFile* layer, const std::string& backupDirectory) {
  Require(layer);
  layer->CleanWarstwa(backupDirectory);
}

void TLayerStore::TransformWarstwa(TWarstwaFile* layer, const TAffineMatrix& m,
                                   const std::string& target, ICancelCheck* cancel) {
  Require(layer);
  if (target.empty()) throw EInternalError("DBDll.TransformWarstwa");
  layer->TransformWarstwa(m, target, cancel);
}

// --- Checked calls -----------------------------------------------------------

namespace DBInt {

namespace {
int Checked(int code) {
  CheckDBResult(code);
  return code;
}
}  // namespace

int InitBases(TLayerStore& s, TBazaDat& dat) { return Checked(s.InitBases(dat)); }
int ReloadBases(TLayerStore& s, TBazaDat& dat) { return Checked(s.ReloadBases(dat)); }
TBaza* OpenBase(TLayerStore& s, std::uint16_t user, const std::string& name) {
  TBaza* handle = nullptr;
  Checked(s.OpenBase(user, name, handle));
  return handle;
}
std::string GetBaseName(TLayerStore& s, TBaza* handle) {
  std::string name;
  s.GetBaseName(handle, name);
  if (name.empty()) CheckDBResult(kDBNoBase);
  return name;
}
int CloseBase(TLayerStore& s, TBaza* handle) { return Checked(s.CloseBase(handle)); }
int GetWarstwyList(TLayerStore& s, TAllWarstwaHeader& entry, TBaza* handle) {
  return Checked(s.GetWarstwyList(entry, handle));
}
int GetWzorceList(TLayerStore& s, TAllWarstwaHeader& entry, TBaza* handle) {
  return Checked(s.GetWzorceList(entry, handle));
}
int OpenWarstwa(TLayerStore& s, TWarstwaFile* layer, bool readOnly) {
  return Checked(s.OpenWarstwa(layer, readOnly));
}
int OpenWarstwa2(TLayerStore& s, TWarstwaFile* layer, std::uint8_t& mode) {
  return Checked(s.OpenWarstwa2(layer, mode));
}
int CloseWarstwa(TLayerStore& s, TWarstwaFile* layer) {
  return Checked(s.CloseWarstwa(layer));
}
int SeekFirst(TLayerStore& s, TWarstwaFile* layer, TLayerRect rect, ObjectSaveRecord& rec) {
  return Checked(s.SeekFirst(layer, rect, rec));
}
int ReadNext(TLayerStore& s, TWarstwaFile* layer, ObjectSaveRecord& rec) {
  return Checked(s.ReadNext(layer, rec));
}
int ReadCurrent(TLayerStore& s, TWarstwaFile* layer, ObjectSaveRecord& rec) {
  return Checked(s.ReadCurrent(layer, rec));
}
int ReadRecord(TLayerStore& s, TWarstwaFile* layer, ObjectSaveRecord& rec) {
  return Checked(s.ReadRecord(layer, rec));
}
int SeekRecord(TLayerStore& s, TWarstwaFile* layer, TWarQuery* query,
               ObjectSaveRecord& rec) {
  return Checked(s.SeekRecord(layer, query, rec));
}
int ReadRecordAtSeek(TLayerStore& s, TWarstwaFile* layer, ObjectSaveRecord& rec) {
  return Checked(s.ReadRecordAtSeek(layer, rec));
}
int ReadRecordAt(TLayerStore& s, TWarstwaFile* layer, std::int64_t n,
                 ObjectSaveRecord& rec) {
  return Checked(s.ReadRecordAt(layer, n, rec));
}

void UpdateIndex(TLayerStore& s, TWarstwaFile* layer, ICancelCheck* cancel) {
  s.UpdateIndex(layer, cancel);
}
void DeleteOldArch(TLayerStore& s, TWarstwaFile* layer, std::uint32_t date,
                   ICancelCheck* cancel) {
  s.DeleteOldArch(layer, date, cancel);
}
void AddPodwarstwaHeaderSpace(TLayerStore& s, TWarstwaFile* layer, int count) {
  s.AddPodwarstwaHeaderSpace(layer, count);
}
void MovePodwarstwa(TLayerStore& s, TWarstwaFile* layer, int source, int target) {
  s.MovePodwarstwa(layer, source, target);
}
void DeleteLastPodwarstwa(TLayerStore& s, TWarstwaFile* layer) {
  s.DeleteLastPodwarstwa(layer);
}
void CleanWarstwa(TLayerStore& s, TWarstwaFile* layer, const std::string& backupDirectory) {
  s.CleanWarstwa(layer, backupDirectory);
}
void TransformWarstwa(TLayerStore& s, TWarstwaFile* layer, const TAffineMatrix& m,
                      const std::string& target, ICancelCheck* cancel) {
  s.TransformWarstwa(layer, m, target, cancel);
}

}  // namespace DBInt
