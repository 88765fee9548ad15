// Sublayers: the leaves of the layer tree that own graphic objects. A
// sublayer is one numbered sublayer of one layer file; it keeps its objects in
// an object list ordered by record number, draws and searches them, takes
// additions, insertions, replacements and deletions from the editing tools
// and the undo manager, remembers the stored objects deleted since the last
// save, and writes every change back on Save (new records, records
// rewritten over their archived old state, deleted objects archived). Its
// display properties come from the sublayer header. The line and text kinds
// add their header parameters, the class choice for stored records, the
// canvas preparation, the defaults of new objects and the header dialog.
//
// Threads: GUI thread, except Draw (the view's redraw thread), which holds the
// object list's lock for its loop; the changes take the same lock (see
// layers/tree/objectlist.h). The list object itself is made and dropped only under
// the sublayer's list lock, which Draw holds from its display test to the end
// of its loop, so Unload never frees a list a drawing is walking.
// Ownership: the sublayer owns its list (and through it the objects it alone
// holds), the deleted list, LastAdded when nothing else holds it, and its
// listeners' list; not its canvas.
//
// The layer file: a sublayer opens it only through its layer (OpenLayerFile)
// and closes it in every case, also after an error.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "layers/tree/layernode.h"
#include "objects/sublayeri.h"

class ObjectSaveRecord;
class IGrObjInfo;
class TChangePodwarstwaHeader;
class TGrObjDeletedList;
class TGrObjList;
class TLine;
class TNewObjectToolI;
class TWarstwa;
struct TWarstwaHeader;

// Called after an object was replaced (Old, New), deleted (Old, none), or
// when all objects were dropped (none, none). Data tells listeners apart.
struct TSublayerListener {
  std::function<void(TPodwarstwa& Sublayer, TEGraphObj* Old, TEGraphObj* New)> Call;
  const void* Data = nullptr;  // identifies the listener for removal
};

class TPodwarstwa : public TWarstwaImp, public IPodwarstwa {
 public:
  // A new empty sublayer; Name := the number in two characters.
  TPodwarstwa(TLayerStore* Store, TWarstwaFile* Handle, int Number, TRealCanvas* ViewCanvas);
  ~TPodwarstwa() override;

  // Reads its header from the open file (the layer opened it).
  void InitFromHeader(TWarstwaHeader& Header);

  std::uint32_t Colour = 0;
  std::uint32_t PrintColour = 0;
  double DisplayThreshold = 0;
  float LineThickness = 0;
  std::uint16_t Number = 0;
  TRealCanvas* ViewCanvas = nullptr;  // not owned
  std::uint32_t HeaderColour = 0;
  std::string FullName;
  TEGraphObj* LastAdded = nullptr;

  TGrObjList* Objects() const { return objects_.get(); }
  TGrObjDeletedList* Deleted() const { return deleted_.get(); }
  // The layer that owns this sublayer, or none.
  TWarstwa* Layer() const;

  // --- Object operations ---
  void AddObject(TEGraphObj* Obj) override;
  void InsertObject(TEGraphObj* Obj);
  void CreateNewFromRecord(const ObjectSaveRecord& Rec);
  void DeleteObject(TEGraphObj* Obj) { DeleteObjectEx(Obj, true); }
  void DeleteObjectEx(TEGraphObj* Obj, bool Notify);
  void ReplaceObject(TEGraphObj* Old, TEGraphObj* New);
  void ReplaceAtIndex(int Index, TEGraphObj* New) override;
  TEGraphObj* RestoreAtIndex(int Index, TEGraphObj* Obj);
  void ObjectChanged(TEGraphObj* Obj);
  int IndexOfObject(const TEGraphObj* Obj) const override;
  TEGraphObj* GetObjectAt(int Index) const;
  void AddChangeListener(const TSublayerListener& L);
  void RemoveChangeListener(const void* Data);
  void ResetSearchCache();

  // Loading (the layer calls them).
  void AddFromRecord(const ObjectSaveRecord& Rec);
  void MarkLoaded();
  // Makes the list (when there is none) with room for at least N objects.
  void ReserveObjects(int N);

  // --- IPodwarstwa ---
  int GetNumber() const override { return Number; }
  int GetSublayerCount() const override;
  void UpdateObject(TEGraphObj* Obj) override { ObjectChanged(Obj); }
  void PrepareCanvas(TRealCanvas& Canvas) override;

  // --- Node operations ---
  TRealRect GetObszar() override;
  std::uint32_t GetColor() const override { return Colour; }
  std::string GetIdent() const override;
  void Draw(TRealCanvas& Canvas) override;
  void SetVisibleAll(bool B) override { SetVisible(B); }
  void ShowInfo(TLayerInfo& Panel) override;
  bool IsEmpty() override;
  void Unload() override;
  std::string GetDescription() override;
  void Search(TDoSearch& S, TSearchHit& Hit) override;
  void SearchNumbered(TDoSearch& S, TSearchHit& Hit) override;
  void SearchPoint(TDoSearch& S, TSearchHit& Hit) override;
  void SearchField(TDoSearch& S, TSearchHit& Hit) override;
  void SearchFirst(TDoSearch& S, TSearchHit& Hit) override;
  void SearchMatching(TDoSearch& S, TSearchHit& Hit) override;
  void SearchNear(TDoSearch& S, TSearchHit& Hit) override;
  void SearchInRect(TDoSearch& S, TSearchHit& Hit) override;
  void FindByRecordNumber(std::int32_t LayerNumber, std::uint32_t Record, TSearchHit& Hit) override;
  // The value of the loaded object with that record number, else of the
  // record read from the file.
  void GetObjectValue(std::int32_t LayerNumber, std::uint32_t Record, TObjectValueResult& Value) override;
  // The two halves of GetObjectValue, for a layer that asks its loaded
  // sublayers first: the loaded object's value (false when not loaded), and
  // the record read from the file (the file opened read-only and closed).
  bool FindLoadedValue(std::uint32_t Record, TObjectValueResult& Value);
  void ReadValueFromFile(std::uint32_t Record, TObjectValueResult& Value);
  void Save() override;
  bool RestoreOriginal() override;
  bool SetColor(std::uint32_t C) override;
  bool SetDefaultColors() override;
  void UpdateIndex(TCancel* Cancel) override;
  std::int32_t GetLayerNumber() const override;
  void Describe(std::string& Out, std::uint8_t Option) override;

  // --- Further operations ---
  bool Is3D() const { return HasFlag(kNode3D); }
  // The display test; sets or clears kNodeDrawn.
  bool IsDrawable(TDrawParamsImp* Params);
  // The layer opens the file and adds sublayers others created meanwhile;
  // EInternalError "Layer hasn't owner" without a layer.
  void OpenLayerFile(bool ReadOnly);
  void CloseFile();
  void DescribeLocation(IGrObjInfo& Info, std::uint32_t Record);

  // --- The kinds ---
  virtual std::unique_ptr<TEGraphObj> CreateNewObject(const TEGraphObj& Prototype) = 0;
  virtual void ConfigureNewObjectTool(TNewObjectToolI& Tool) = 0;

  // Header dialogs, the common part.
  void EditHeaderCommon(TChangePodwarstwaHeader& Dialog, const TWarstwaHeader& Header);
  int ReadHeaderDialog(TChangePodwarstwaHeader& Dialog, TWarstwaHeader& Header);
  // Runs the move or delete-contents action of a modal result; answers the
  // result with bit 0x10 when nothing is to be written.
  int HeaderDialogAction(int ModalResult);
  int MoveContents();
  int ClearContents();

 protected:
  virtual void CreateObjectList();
  // Installs a new list under the list lock and tells the main window.
  void InstallObjectList(std::unique_ptr<TGrObjList> List);
  // Frees LastAdded when nothing else holds it.
  void DropLastAdded();
  void Notify(TEGraphObj* Old, TEGraphObj* New);
  // The searches' loops (sublayer.cpp): the nearest object by a measure, or
  // the last accepted candidate; FillHit makes Found this sublayer's hit.
  template <class Measure>
  void NearestSearch(TDoSearch& S, TSearchHit& Hit, bool Windowed, double Best, Measure Distance);
  template <class Test>
  void LastAcceptedSearch(TDoSearch& S, TSearchHit& Hit, bool Windowed, Test Candidate);
  template <class Visit>
  void ForEachSearched(TDoSearch& S, bool Windowed, Visit Each);
  void FillHit(TSearchHit& Hit, TEGraphObj* Found);
  // The node's tree item with Image as its image and selected image.
  platform::TTreeNode* AddTreeNodeWithImage(platform::TTreeView& Items, platform::TTreeNode* Parent, int Image);
  // The common canvas preparation of both kinds (no state saved).
  void PrepareCommon(TRealCanvas& Canvas);
  // Bounds := Obj's bounds when First, else their union with Obj's.
  void ExtendBounds(const TEGraphObj& Obj, bool First);
  // Closes the file after an error without hiding that error.
  void CloseAfterError() noexcept;
  // Reads this sublayer's header (the file opened read-only and closed).
  void ReadHeader(TWarstwaHeader& Header);
  // Writes it (the file opened for writing and closed).
  void WriteHeader(const TWarstwaHeader& Header);

  std::unique_ptr<TGrObjList> objects_;
  std::unique_ptr<TGrObjDeletedList> deleted_;
  std::vector<TSublayerListener> listeners_;
  // Guards objects_ (the pointer) against the redraw thread.
  std::mutex listLife_;
};

// "7" as " 7", 12 and 123 as they are: the number part of a sublayer's name.
std::string SublayerNumberText(int Number);

class TPodwarstwaLiniowa : public TPodwarstwa {
 public:
  TPodwarstwaLiniowa(TLayerStore* Store, TWarstwaFile* Handle, int Number, TRealCanvas* ViewCanvas);
  // From the stored header (the file is open).
  static std::unique_ptr<TPodwarstwaLiniowa> CreateFromHeader(TWarstwaHeader& Header, TLayerStore* Store,
                                                              TWarstwaFile* Handle, int Number,
                                                              TRealCanvas* ViewCanvas);

  std::uint8_t PenStyle = 0;
  const TLine* LineStyle = nullptr;
  std::uint8_t ScreenWidth = 0;
  std::uint8_t WidthMode = 0;
  float Multiplier = 0;
  float ThinWidth = 0, ThickWidth = 0;
  const TLine* HeaderLineStyle = nullptr;

  bool SetWidthMode(std::uint8_t Mode);
  // The pen style of a header's line style number: 0 for 0, 1 and above 4,
  // 2 for 2, 3 for 3, 1 for 4.
  static std::uint8_t PenStyleOf(std::uint16_t StyleNumber);
  // The library's style of that number, else the style of number 1.
  static const TLine* StyleOf(std::uint16_t StyleNumber);

  void PrepareCanvas(TRealCanvas& Canvas) override;
  platform::TTreeNode* AddTreeNode(platform::TTreeView& Items, platform::TTreeNode* Parent) override;
  void ShowInfo(TLayerInfo& Panel) override;
  int GetImageIndex() const override;
  std::uint32_t GetTypeMask() override;
  bool RestoreOriginal() override;
  bool SetLineType(const TLine* Style) override;
  int EditHeader(int Mode) override;
  std::unique_ptr<TEGraphObj> CreateObjectFromRecord(const ObjectSaveRecord& Rec) override;
  std::unique_ptr<TEGraphObj> CreateNewObject(const TEGraphObj& Prototype) override;
  void ConfigureNewObjectTool(TNewObjectToolI& Tool) override;
};

class TPodwarstwaTextowa : public TPodwarstwa {
 public:
  TPodwarstwaTextowa(TLayerStore* Store, TWarstwaFile* Handle, int Number, TRealCanvas* ViewCanvas);
  static std::unique_ptr<TPodwarstwaTextowa> CreateFromHeader(TWarstwaHeader& Header, TLayerStore* Store,
                                                              TWarstwaFile* Handle, int Number,
                                                              TRealCanvas* ViewCanvas);

  double Height = 0;
  std::uint8_t TextFlags = 0;  // bits: 0 justification free, 1 constant height,
                               // 2 at an angle, 3 italic, 4 automatic thickness
  std::uint8_t Justification = 7;
  std::array<float, 4> Multipliers{};
  std::uint8_t HeaderTextFlags = 0;
  std::uint8_t PlacedState = 0;
  std::string MaskedLayer;
  std::uint8_t MaskedCount = 0;
  std::uint8_t MaskedNumbers[10] = {};

  bool IsConstantHeight() const { return (TextFlags & 2) != 0; }
  bool IsJustificationFixed() const { return (TextFlags & 1) == 0; }
  bool IsItalic() const { return (TextFlags & 8) != 0; }

  void BuildClipTests(std::vector<std::unique_ptr<TClipBounds>>& List, TDrawParamsImp* Params);
  // The four save records of a text split for the drawing exchange export.
  void ExpandTextRecord(double Value, const ObjectSaveRecord& Rec, std::array<ObjectSaveRecord, 4>& Out);

  void PrepareCanvas(TRealCanvas& Canvas) override;
  platform::TTreeNode* AddTreeNode(platform::TTreeView& Items, platform::TTreeNode* Parent) override;
  void ShowInfo(TLayerInfo& Panel) override;
  int GetImageIndex() const override;
  std::uint32_t GetTypeMask() override;
  bool RestoreOriginal() override;
  bool SetItalic(bool B) override;
  void SearchFirst(TDoSearch& S, TSearchHit& Hit) override;
  void PrepareTextParams(TDrawParamsImp* Params) override;
  void CollectTexts(std::vector<std::unique_ptr<TClipBounds>>& List, TDrawParamsImp* Params) override;
  int EditHeader(int Mode) override;
  std::unique_ptr<TEGraphObj> CreateObjectFromRecord(const ObjectSaveRecord& Rec) override;
  std::unique_ptr<TEGraphObj> CreateNewObject(const TEGraphObj& Prototype) override;
  void ConfigureNewObjectTool(TNewObjectToolI& Tool) override;

 protected:
  void CreateObjectList() override;
};
