// Layer databases: one database set of "baza.ini" opened as a TBaza, and the
// walk over its catalogues that finds every layer file, reads its header
// only and makes its layer-file object, answering one TAllWarstwaHeader per
// layer file (or per catalogue without layer files).
//
// Section of a database set, N the catalogue number and M the mask number
// (both from 1 and consecutive): "KatN" the catalogue directory, "KatNWzrM"
// its file masks (none at all means "*.*"), "KatNNazwa" the display name
// (the key name "KatN" when empty), "KatNIdBazy" the database identifier,
// "KatNObjInterfKonf" the objects-interface configuration.
//
// One thread uses a TBaza and its enumeration at a time. The database owns
// every layer-file object and every catalogue directory text it ever made
// (an entry's pointers stay valid while the database lives); the entries
// are the caller's copies.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "layers/store/bazai.h"
#include "layers/store/layerdb.h"

class TWarstwaFile;
struct TMainWarstwaHeader;
namespace platform {
class File;
}
class TFindFileIterator;

// A layer file's path as the user is shown it in a message: the catalogue
// keys of "baza.ini" may separate folders with a backslash.
std::string ShownPath(std::string path);

// One entry of the layer enumeration.
struct TAllWarstwaHeader {
  // The layer-file object; none for an entry that stands for an empty
  // catalogue (its other fields than the catalogue's then mean nothing).
  TWarstwaFile* File = nullptr;
  // The catalogue directory, ending in a separator: one shared text per
  // catalogue, compared by reference (TBaza::HasCatalogue).
  const std::string* Directory = nullptr;
  std::string Name;         // from the file name, at most 10 characters
  std::string Description;  // the layer descriptor's description
  std::uint8_t Kind = 0;    // 0 text, 1 line (bits 0-1 of the kind word)
  std::uint8_t Highest = 0;
  std::uint8_t Slots = 0;
  std::string CatalogueName;
  std::string BaseId;
  std::string ObjInterfKonf;
  std::uint16_t LayerNumber = 0;  // from the catalogue's "baza.cnf"; 0 when absent
  std::uint32_t OldValue = 0;     // supplied by old-format files only
};

class TBaza;

// The walk over the catalogues of one section. Made by TBaza::FirstHeader.
class THeaderIteratorNew {
public:
  // Reads the section's lines and catalogue 1 and starts its first mask.
  // A catalogue key without a value raises EDBError.
  THeaderIteratorNew(TBaza& baza, std::vector<std::pair<std::string, std::string>> lines,
                     std::string iniPath);
  virtual ~THeaderIteratorNew();
  THeaderIteratorNew(const THeaderIteratorNew&) = delete;
  THeaderIteratorNew& operator=(const THeaderIteratorNew&) = delete;

  // 0 with the next entry in entry, kDBEnd when there is none.
  int Next(TAllWarstwaHeader& entry);

protected:
  // A file whose first bytes are not the current format's magic: the
  // reader of the previous format fills the entry from slot 0 and makes the
  // file's old-format object (0), or answers a negative value to pass the
  // file over (slot 0 unreadable, a highest sublayer beyond the slots).
  virtual int ReadOldHeader(platform::File& file, const std::string& fileName,
                            TAllWarstwaHeader& entry);

private:
  // 0 when the file gave an entry, negative when it is passed over; a
  // passed-over file that looks like a layer file is noted in the database
  // with Reason (PassOver).
  int ReadHeader(const std::string& fileName, TAllWarstwaHeader& entry);
  int PassOver(const std::string& fileName, bool hasMagic, const std::string& reason);
  const std::string* Value(std::string_view key) const;
  void ReadCatalogue(int n);
  void StartSearch(const std::string& mask);

  TBaza& baza_;
  std::vector<std::pair<std::string, std::string>> lines_;
  std::string iniPath_;
  int catalogue_ = 0;  // N of the catalogue being walked
  int mask_ = 1;       // M of its running mask
  const std::string* directory_ = nullptr;
  std::string catalogueName_, baseId_, objInterfKonf_;
  TNrWarstwaList numbers_;
  std::unique_ptr<TFindFileIterator> search_;
  bool noFileYet_ = true;
  bool ended_ = false;
};

// One open layer database: its user, its catalogues and layer-file objects.
class TBaza {
public:
  // iniPath: the profile's "baza.ini".
  TBaza(std::uint16_t user, std::string iniPath);
  ~TBaza();
  TBaza(const TBaza&) = delete;
  TBaza& operator=(const TBaza&) = delete;

  // The enumeration of section: 0 with an entry copied into entry, kDBEnd
  // when there is none, kDBNoCatalogue when the section has no "Kat1".
  // A new start drops the running walk; objects of an earlier walk stay.
  int FirstHeader(TAllWarstwaHeader& entry, const std::string& section);
  // 0 with the next entry, kDBEnd at the end (the walk is then dropped),
  // kDBNothing without a running walk.
  int NextHeader(TAllWarstwaHeader& entry);

  // Whether directory is one of the catalogue texts of the last walk (a
  // reference comparison).
  bool HasCatalogue(const std::string* directory) const;
  // The number of key in the "baza.cnf" of directory (0 when absent); the
  // list of one catalogue is kept until another is asked or it is released.
  std::int32_t GetLayerNumber(const std::string* directory, std::string_view key);
  void ReleaseNumberList();

  // Takes a layer-file object of the catalogue directory into this database.
  TWarstwaFile* AddFile(std::unique_ptr<TWarstwaFile> file,
                                  const std::string* directory);
  // Whether the object is one of this database's (of any walk).
  bool Owns(const TWarstwaFile* file) const;
  // The catalogue directory of one of this database's objects, or none.
  const std::string* DirectoryOf(const TWarstwaFile* file) const;
  // Sets the user whose number stamps records and whose rights apply.
  void SetUser(std::uint16_t user) { base_ = TUserLayerBase(user); }
  // Frees an object of this database (closing it first when open).
  void RemoveFile(TWarstwaFile* file);
  // The layer-file objects of the last walk, in the order found.
  const std::vector<TWarstwaFile*>& Files() const { return files_; }

  // What the last walk passed over, one message a file or catalogue, in
  // Polish and naming it: a missing catalogue folder, a layer file that
  // cannot be opened or whose header cannot be read. Cleared by FirstHeader.
  const std::vector<std::string>& PassedOver() const { return passedOver_; }
  void NotePassedOver(std::string message) { passedOver_.push_back(std::move(message)); }

  // A new shared catalogue text, kept while the database lives.
  const std::string* AddCatalogue(std::string directory);

  ILayerBase& Base() { return base_; }
  const std::string& IniPath() const { return iniPath_; }

private:
  TUserLayerBase base_;
  std::string iniPath_;
  std::vector<std::unique_ptr<std::string>> allCatalogues_;
  struct Owned {
    std::unique_ptr<TWarstwaFile> file;
    const std::string* directory;
  };
  std::vector<Owned> allFiles_;
  std::vector<const std::string*> catalogues_;
  std::vector<TWarstwaFile*> files_;
  std::unique_ptr<THeaderIteratorNew> iterator_;
  std::vector<std::string> passedOver_;
  const std::string* numbersOf_ = nullptr;
  TNrWarstwaList numbers_;
};
