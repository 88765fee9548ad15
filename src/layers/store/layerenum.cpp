#include "layers/store/layerenum.h"

#include <algorithm>
#include <cstring>

#include "foundation/storage/bytes.h"
#include "foundation/errors.h"
#include "foundation/storage/fileopener.h"
#include "foundation/text/filenames.h"
#include "layers/store/dberrors.h"
#include "layers/store/layerfiles.h"
#include "layers/store/layerformat.h"
#include "layers/store/oldformat.h"
#include "layers/store/oldlayer.h"
#include "platform/files/codepage.h"
#include "platform/files/files.h"
#include "platform/files/inifile.h"

namespace {

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  return true;
}

std::string Key(int n, const char* suffix = "", int m = 0) {
  std::string key = "Kat" + std::to_string(n) + suffix;
  if (m > 0) key += std::to_string(m);
  return key;
}

// The lines of a section as key and value, in file order.
std::vector<std::pair<std::string, std::string>> SectionLines(const platform::TIniFile& ini,
                                                              const std::string& section) {
  std::vector<std::pair<std::string, std::string>> lines;
  for (const std::string& line : ini.ReadSectionValues(section)) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    lines.emplace_back(line.substr(0, eq), line.substr(eq + 1));
  }
  return lines;
}

// The shape of a layer file's name: eight characters, a dot and three (the
// last the kind letter). A catalogue's masks may select other files too
// ("*.*" takes notes.txt); only files of this shape, or that begin with the
// current format's magic, are reported when they cannot be read.
bool LayerFileShape(const std::string& name) {
  int chars = 0;
  int dotAt = -1;
  for (const char c : name) {
    if ((static_cast<unsigned char>(c) & 0xC0) == 0x80) continue;  // inside a UTF-8 letter
    if (c == '.' && dotAt < 0) dotAt = chars;
    ++chars;
  }
  return chars == 12 && dotAt == 8;
}

constexpr char kLayerPassedOver[] = " - warstwa pominięta";

}  // namespace

std::string ShownPath(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

// --- The walk over the catalogues ------------------------------------------

THeaderIteratorNew::THeaderIteratorNew(TBaza& baza,
                                       std::vector<std::pair<std::string, std::string>> lines,
                                       std::string iniPath)
    : baza_(baza), lines_(std::move(lines)), iniPath_(std::move(iniPath)) {
  ReadCatalogue(1);
  const std::string* first = Value(Key(1, "Wzr", 1));
  StartSearch(first != nullptr && !first->empty() ? *first : "*.*");
}

THeaderIteratorNew::~THeaderIteratorNew() = default;

const std::string* THeaderIteratorNew::Value(std::string_view key) const {
  for (const auto& [k, v] : lines_)
    if (SameTextAscii(k, key)) return &v;
  return nullptr;
}

void THeaderIteratorNew::ReadCatalogue(int n) {
  const std::string key = Key(n);
  const std::string* dir = Value(key);
  if (dir == nullptr || dir->empty())
    throw EDBError("Błędna pozycja w pliku '" + iniPath_ + "': " + key);
  std::string directory = *dir;
  if (directory.back() != '/' && directory.back() != '\\') directory += '/';
  catalogue_ = n;
  directory_ = baza_.AddCatalogue(std::move(directory));
  const std::string* name = Value(Key(n, "Nazwa"));
  catalogueName_ = name != nullptr && !name->empty() ? *name : key;
  const std::string* id = Value(Key(n, "IdBazy"));
  baseId_ = id != nullptr ? *id : std::string();
  const std::string* conf = Value(Key(n, "ObjInterfKonf"));
  objInterfKonf_ = conf != nullptr ? *conf : std::string();
  numbers_ = TNrWarstwaList::Read(*directory_ + "baza.cnf");
  noFileYet_ = true;
  // The catalogue stays in the tree, empty; the user is told why.
  if (!platform::DirectoryExists(*directory_))
    baza_.NotePassedOver("Brak katalogu " + ShownPath(*directory_) + " (" + key + " \"" + catalogueName_ +
                         "\"): jego warstwy nie zostały wczytane");
  mask_ = 1;
}

void THeaderIteratorNew::StartSearch(const std::string& mask) {
  search_.reset();
  search_ = std::make_unique<TFindFileIterator>(*directory_ + mask);
}

int THeaderIteratorNew::Next(TAllWarstwaHeader& entry) {
  if (ended_) return kDBEnd;
  for (;;) {
    std::string name;
    while (search_ && search_->Next(name)) {
      if (name.empty()) continue;
      const char last = UpperAscii(name.back());
      if (last != 'L' && last != 'T') continue;
      if (ReadHeader(name, entry) == 0) {
        noFileYet_ = false;
        return kDBOk;
      }
    }
    search_.reset();
    ++mask_;
    const std::string* mask = Value(Key(catalogue_, "Wzr", mask_));
    if (mask != nullptr && !mask->empty()) {
      StartSearch(*mask);
      continue;
    }
    const bool emptyEntry = noFileYet_;
    if (emptyEntry) {
      entry = TAllWarstwaHeader();
      entry.Directory = directory_;
      entry.CatalogueName = catalogueName_;
      entry.BaseId = baseId_;
      entry.ObjInterfKonf = objInterfKonf_;
    }
    if (Value(Key(catalogue_ + 1)) == nullptr) {
      ended_ = true;
      return emptyEntry ? kDBOk : kDBEnd;
    }
    ReadCatalogue(catalogue_ + 1);
    const std::string* first = Value(Key(catalogue_, "Wzr", 1));
    StartSearch(first != nullptr && !first->empty() ? *first : "*.*");
    if (emptyEntry) return kDBOk;
  }
}

int THeaderIteratorNew::ReadOldHeader(platform::File& file, const std::string& fileName,
                                      TAllWarstwaHeader& entry) {
  oldfmt::Header h;
  if (oldfmt::ReadHeader(file, 0, fileName, h) != 0) return kDBNothing;
  // A highest sublayer beyond the ten slots is no layer file of that format.
  if (oldfmt::StoredHighest(h) >= oldfmt::kSlots) return kDBNothing;
  const int kind = h[oldfmt::kHKind] == oldfmt::kOldKindLine ? layerfmt::kKindLine : layerfmt::kKindText;
  entry.Name = platform::TruncateCp1250(OldLayerFileToName(fileName), 10);
  entry.Description = platform::Cp1250ToUtf8(
      oldfmt::MazoviaToCp1250(oldfmt::StoredString(&h[oldfmt::kHDescription], 80)));
  entry.Kind = static_cast<std::uint8_t>(kind);
  entry.Highest = static_cast<std::uint8_t>(oldfmt::StoredHighest(h));
  entry.Slots = oldfmt::kSlots;
  entry.LayerNumber = static_cast<std::uint16_t>(numbers_.Number(LayerNumberKey(kind, entry.Name)));
  entry.OldValue = GetU32(&h[oldfmt::kHValue]);
  std::unique_ptr<TWarstwaFile> object;
  if (kind == layerfmt::kKindLine)
    object = std::make_unique<TLinWarstwaFile>(*directory_, fileName, entry.OldValue);
  else
    object = std::make_unique<TTxtWarstwaFile>(*directory_, fileName, entry.OldValue);
  entry.File = baza_.AddFile(std::move(object), directory_);
  return kDBOk;
}

int THeaderIteratorNew::ReadHeader(const std::string& fileName, TAllWarstwaHeader& entry) {
  using namespace layerfmt;
  const std::string path = *directory_ + fileName;
  int kind = 0;
  {
    platform::File file = FileOpener().FileOpen(path, fmOpenRead | fmShareDenyNone);
    if (!file.IsOpen())
      return PassOver(fileName, false, FormatMessage("Nie można otworzyć pliku %s", ShownPath(path).c_str()));
    std::uint8_t head[6];
    if (file.ReadAt(0, head, sizeof head) != static_cast<std::int64_t>(sizeof head) ||
        std::memcmp(head, kMagic, 4) != 0) {
      TAllWarstwaHeader old;
      old.Directory = directory_;
      old.CatalogueName = catalogueName_;
      old.BaseId = baseId_;
      old.ObjInterfKonf = objInterfKonf_;
      if (ReadOldHeader(file, fileName, old) != 0)
        return PassOver(fileName, false, ShownPath(path) + ": Błąd podczas odczytu nagłówka");
      entry = std::move(old);
      return kDBOk;
    }
    Descriptor d = DefaultDescriptor();
    if (ReadSizedBlock(file, kDescriptorOffset, d.data(), d.size()) < 0)
      return PassOver(fileName, true, ShownPath(path) + ": " + kBadFileStructure);
    kind = static_cast<int>(GetU32(&d[kDescKind]) & 3);
  }
  // The object reads the descriptor again under the shared lock, so that a
  // writer of another workstation is waited for.
  std::unique_ptr<TNewTextLinWarstwaFile> object;
  if (kind == kKindLine)
    object = std::make_unique<TNewLinWarstwaFile>(&baza_.Base(), *directory_, fileName);
  else
    object = std::make_unique<TNewTextWarstwaFile>(&baza_.Base(), *directory_, fileName);
  TMainWarstwaHeader h;
  try {
    std::uint8_t mode = kOpenRead;
    if (object->Open(mode) != kDBOk)
      return PassOver(fileName, true, FormatMessage("Nie można otworzyć pliku %s", ShownPath(path).c_str()));
    object->ReadWarstwaHeader(h);
    object->Close();
  } catch (const EDBError& e) {
    return PassOver(fileName, true, ShownPath(path) + ": " + e.Message());
  } catch (const EInOutError& e) {
    return PassOver(fileName, true, ShownPath(path) + ": " + e.Message());
  }
  TAllWarstwaHeader e;
  e.Directory = directory_;
  e.Name = platform::TruncateCp1250(OldLayerFileToName(fileName), 10);
  e.Description = h.Description;
  e.Kind = static_cast<std::uint8_t>(kind);
  e.Highest = h.Highest;
  e.Slots = h.Slots;
  e.CatalogueName = catalogueName_;
  e.BaseId = baseId_;
  e.ObjInterfKonf = objInterfKonf_;
  e.LayerNumber = static_cast<std::uint16_t>(numbers_.Number(LayerNumberKey(kind, e.Name)));
  e.File = baza_.AddFile(std::move(object), directory_);
  entry = std::move(e);
  return kDBOk;
}

int THeaderIteratorNew::PassOver(const std::string& fileName, bool hasMagic, const std::string& reason) {
  if (hasMagic || LayerFileShape(fileName)) baza_.NotePassedOver(reason + kLayerPassedOver);
  return kDBNothing;
}

// --- The database ------------------------------------------------------------

TBaza::TBaza(std::uint16_t user, std::string iniPath) : base_(user), iniPath_(std::move(iniPath)) {}

TBaza::~TBaza() {
  iterator_.reset();
  for (auto& owned : allFiles_) {
    if (owned.file->IsOpen()) {
      try {
        owned.file->Close();
      } catch (const Exception&) {
        // Freeing cannot report; a failed write-back was already lost here.
      }
    }
  }
}

int TBaza::FirstHeader(TAllWarstwaHeader& entry, const std::string& section) {
  platform::TIniFile ini(iniPath_);
  if (ini.ReadString(section, "Kat1", "").empty()) return kDBNoCatalogue;
  iterator_.reset();
  catalogues_.clear();
  files_.clear();
  passedOver_.clear();
  iterator_ = std::make_unique<THeaderIteratorNew>(*this, SectionLines(ini, section), iniPath_);
  return NextHeader(entry);
}

int TBaza::NextHeader(TAllWarstwaHeader& entry) {
  if (!iterator_) return kDBNothing;
  const int result = iterator_->Next(entry);
  if (result != kDBOk) iterator_.reset();
  return result;
}

bool TBaza::HasCatalogue(const std::string* directory) const {
  return std::find(catalogues_.begin(), catalogues_.end(), directory) != catalogues_.end();
}

std::int32_t TBaza::GetLayerNumber(const std::string* directory, std::string_view key) {
  if (directory == nullptr) return 0;
  if (numbersOf_ != directory) {
    numbers_ = TNrWarstwaList::Read(*directory + "baza.cnf");
    numbersOf_ = directory;
  }
  return numbers_.Number(key);
}

void TBaza::ReleaseNumberList() {
  numbers_ = TNrWarstwaList();
  numbersOf_ = nullptr;
}

TWarstwaFile* TBaza::AddFile(std::unique_ptr<TWarstwaFile> file,
                                       const std::string* directory) {
  TWarstwaFile* raw = file.get();
  allFiles_.push_back(Owned{std::move(file), directory});
  files_.push_back(raw);
  return raw;
}

bool TBaza::Owns(const TWarstwaFile* file) const {
  return DirectoryOf(file) != nullptr;
}

const std::string* TBaza::DirectoryOf(const TWarstwaFile* file) const {
  for (const Owned& owned : allFiles_)
    if (owned.file.get() == file) return owned.directory;
  return nullptr;
}

void TBaza::RemoveFile(TWarstwaFile* file) {
  files_.erase(std::remove(files_.begin(), files_.end(), file), files_.end());
  const auto it = std::find_if(allFiles_.begin(), allFiles_.end(),
                               [file](const Owned& f) { return f.file.get() == file; });
  if (it == allFiles_.end()) return;
  std::unique_ptr<TWarstwaFile> owned = std::move(it->file);
  allFiles_.erase(it);
  if (owned->IsOpen()) owned->Close();
}

const std::string* TBaza::AddCatalogue(std::string directory) {
  allCatalogues_.push_back(std::make_unique<std::string>(std::move(directory)));
  catalogues_.push_back(allCatalogues_.back().get());
  return allCatalogues_.back().get();
}
