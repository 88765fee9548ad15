// The upper levels of the layer tree. A layer (TWarstwa) stands for one layer
// file: a group whose children are the file's sublayers in number order, all
// of the file's kind. It opens its file for each operation and closes it in
// every case (adding first the sublayers others created meanwhile), reads the
// whole file or a window of it into its sublayers, fetches single records,
// renames the file, edits its header, adds a sublayer or deletes the last one,
// deletes the whole layer, and hands index rebuilding, archive purging,
// cleaning and transformation to the layer-file interface. A catalogue
// (TKatalogWarstw) groups the layers of one catalogue directory, owns its
// symbol library and creates new layer files; the root (TBazaWarstw) is the
// top node of one map view.
//
// Threads: GUI thread only; the redraw thread reaches these nodes through the
// groups' Draw. Ownership: as groups (layernode.h); a catalogue owns its
// symbol library; the layer-file handles belong to the layer store.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "layers/tree/layernode.h"

class ObjectSaveRecord;
class TBaza;
class TDBStatystykaList;
class TSymbolManager;
struct TAllWarstwaHeader;
class TDBStatystyka;
struct TMainWarstwaHeader;
class TPodwarstwa;

class TWarstwa : public TGrupaWarstw {
 public:
  // A layer just created in its catalogue: one sublayer numbered 0, visible.
  TWarstwa(TLayerStore* Store, TWarstwaFile* Handle, const TMainWarstwaHeader& Header, const std::string& Name,
           TRealCanvas* ViewCanvas);
  // A layer of an existing file, from its enumeration entry.
  static std::unique_ptr<TWarstwa> CreateFromHeader(TLayerStore* Store, const TAllWarstwaHeader& Entry,
                                                    TRealCanvas* ViewCanvas);
  ~TWarstwa() override;

  std::uint8_t Kind = 0;  // 0 text, 1 line
  std::uint16_t LayerNumber = 0;
  std::string Description;

  // Spaces become "_", an empty name "-".
  static std::string NameFromText(const std::string& Text);

  std::uint32_t GetColor() const override;
  void ShowInfo(TLayerInfo& Panel) override;
  int GetImageIndex() const override;
  std::uint32_t GetTypeMaskEx() override;
  std::uint32_t GetTypeMask() override;
  void Load(TWarQuery* Filter, TCancel* Cancel) override;
  void LoadInWindow(const TRealRect& Window, TCancel* Cancel) override;
  // The group's unload; a layer whose file can only be opened read-only
  // stays read-only (with its sublayers) after a historical load is dropped.
  void Unload() override;
  void SearchNumbered(TDoSearch& S, TSearchHit& Hit) override;
  void FindByRecordNumber(std::int32_t LayerNumber, std::uint32_t Record, TSearchHit& Hit) override;
  void FetchObject(std::int32_t LayerNumber, std::uint32_t Record, TSearchHit& Hit) override;
  TWarstwaOgolna* FindByNumber(std::int32_t LayerNumber) override;
  void GetObjectValue(std::int32_t LayerNumber, std::uint32_t Record, TObjectValueResult& Value) override;
  int EditHeader(int Mode) override;
  void UpdateIndex(TCancel* Cancel) override;
  void DeleteOldArch(std::uint32_t Date, TCancel* Cancel) override;
  std::string GetPrefixedName() const override;
  std::int32_t GetLayerNumber() const override { return LayerNumber; }
  void Describe(std::string& Out, std::uint8_t Option) override;
  void Transform(const TAffineMatrix& M, const std::string& Target, TCancel* Cancel) override;
  void BeginWalk() override;
  void EndWalk() override;

  // Opens the file (read-only or for writing) and adds the sublayers others
  // created meanwhile. The caller closes the file.
  // A failure after the open (reading the header or a new sublayer's
  // header) closes the file and passes on.
  void OpenAndSync(bool ReadOnly);
  // To the sublayer of the record's sublayer byte; a number the layer lacks
  // goes to sublayer 0.
  void AddRecordToSublayer(const ObjectSaveRecord& Rec);
  // Child Index as a sublayer; none outside the children.
  TPodwarstwa* Sublayer(int Index) const;
  // Answers the redraw level.
  int AddSublayer();
  // EditHeader answers kRedrawAll after "Usuń warstwę": the layer has freed
  // itself by then and its caller must not touch it again.
  // The statistics entry of one sublayer (read once, dropped on change).
  const TDBStatystyka* GetFileStatistics(int Sublayer, TCancel* Cancel);
  void DropStatistics();
  // Unloads, rewrites the file without its archive (Backup: the folder for a
  // copy, empty for none); answers IsShown as it was.
  bool Clean(const std::string& Backup);
  void RefreshNumber();
  // What the last load (whole or of a window) could not take from the file,
  // in Polish, naming the file and the layer: the damaged records it passed
  // over (their values cannot be held by the layer, or their slot is not a
  // record), a read error that ended it early, and for a whole load fewer
  // live objects than the sublayer headers count (a cut file). Empty when the
  // file read whole.
  const std::string& LoadDamage() const { return loadDamage_; }

 private:
  class TStatisticsCancel;
  TWarstwa(TLayerStore* Store, TWarstwaFile* Handle, const std::string& Name);
  // Opens the file, hands every record Read gives (first: the start of the
  // scan) to its sublayer until the end or a cancel, marks the sublayers
  // loaded (before the close, or after it) and closes the file in every case.
  // Records whose values the layer cannot hold are passed over and counted;
  // LoadDamage tells what was passed over. Expected: the live records the
  // headers count (a whole load), or -1.
  void ReadIntoSublayers(TCancel* Cancel, bool MarkBeforeClose,
                         const std::function<int(ObjectSaveRecord&, bool)>& Read,
                         const std::int64_t* Expected = nullptr);
  // The live records the sublayer headers count; the file is open.
  std::int64_t StoredLiveRecords();
  void MarkSublayersLoaded();
  // Before a whole load: every empty sublayer's list gets room for the live
  // records its header counts, all of them bounded by what the file can
  // hold, so that a large sublayer is not copied into ever larger arrays
  // while it loads. Only a hint: a header that cannot be read is skipped.
  void ReserveForWholeLoad();
  // Loaded, bounds, shown state, the walk's mark, the owners' bounds.
  void FinishLoad();

  std::unique_ptr<TDBStatystykaList> statistics_;
  // The cancel check the statistics list keeps (it outlives the caller's).
  std::unique_ptr<TStatisticsCancel> statisticsCancel_;
  // The file could only be opened read-only when the layer was built.
  bool fileReadOnly_ = false;
  std::string loadDamage_;
};

class TKatalogWarstw : public TGrupaWarstw {
 public:
  TKatalogWarstw(TLayerStore* Store, const std::string& Name, const std::string* Catalogue,
                 const std::string& DatabaseId, const std::string& ObjectsConfig, TRealCanvas* ViewCanvas);
  ~TKatalogWarstw() override;

  const std::string* Catalogue = nullptr;  // the directory, shared text of the store
  TRealCanvas* ViewCanvas = nullptr;
  std::string DatabaseId;
  std::string ObjectsConfig;
  std::string SymbolFileName;
  TSymbolManager* Symbols() const { return symbols_.get(); }

  void LoadSymbols();
  std::string GetDirectory() const;
  void UpdateLayers();

  void Draw(TRealCanvas& Canvas) override;
  void ShowInfo(TLayerInfo& Panel) override;
  int GetImageIndex() const override;
  std::uint32_t GetTypeMask() override;
  std::uint32_t GetTypeMaskEx() override;
  void CollectLayers(std::vector<TWarstwaOgolna*>& List) override;
  int EditHeader(int Mode) override;
  void Describe(std::string& Out, std::uint8_t Option) override;
  void SelectSymbols() override;
  void Transform(const TAffineMatrix& M, const std::string& Target, TCancel* Cancel) override;
  void ChildActivated(bool B) override;

 private:
  std::unique_ptr<TSymbolManager> symbols_;
};

class TBazaWarstw : public TGrupaWarstw {
 public:
  explicit TBazaWarstw(const std::string& Name);

  int GetImageIndex() const override;
  platform::TTreeNode* AddTreeNode(platform::TTreeView& Items, platform::TTreeNode* Parent) override;
  bool CanCollapse() override;
};

// Builds a view's tree: a root named Name with one catalogue per catalogue
// display name of the database's enumeration and one layer per layer file.
std::unique_ptr<TBazaWarstw> BuildLayerTree(TLayerStore& Store, TBaza* Database, const std::string& Name,
                                            TRealCanvas* ViewCanvas);
