// The map view: the window control that shows one map document. It owns the
// layer tree of one layer database, the off-screen image the tree is drawn
// into by background redraw threads, the canvases, its window on the world,
// the current cursor tool (every command is one), its undo manager and its
// local copies of the display and cursor settings. Paint only copies the
// image and paints the light things over it: paint items, markers and the
// tool's XOR figures. Mouse, keys and messages go to the current tool.
//
// The view and its tools live on the GUI thread. A redraw thread (redraw.h)
// draws the tree on Canvas into BackBitmap; the GUI thread never draws on
// Canvas while a thread may (WaitForRedraw first) and never frees the tree
// while one draws. Calls from a redraw thread to the GUI thread are queued,
// never waited for. The view owns its tree, tools, canvases, image, undo
// manager, dimensions and local configuration; the document window, the
// layer store and the popup menu are not owned.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "drawing/windowdim.h"
#include "foundation/geometry/realgeom.h"
#include "view/krzyz.h"
#include "view/presets.h"
#include "view/viewhost.h"
#include "view/viewimp.h"

namespace platform {
class TBitmap;
class TPopupMenu;
class TSurfaceCanvas;
class TTreeView;
}  // namespace platform
class TBaza;
class TBazaWarstw;
class TDefRealCanvas;
class TGrupaWarstw;
class TKatalogWarstw;
class TKrzyzConf;
class TSearch;
struct TActivityRecord;
class TLayerStore;
class TLokalnaKonfiguracja;
class TParametryConf;
class TPodwarstwa;
class TPodwarstwaLiniowa;
class TPodwarstwaTextowa;
class TUndoManager;
class TWarstwaOgolna;
class TEGraphObj;
class IScaleCorrection;
class TRedrawThread;
class TWarstwaFile;
struct TAllWarstwaHeader;

// Messages of the view.
inline constexpr std::uint32_t kMsgPressToolButton = 1031;  // WM_USER + 7
inline constexpr std::uint32_t kMsgPluginRequest = 1033;    // WM_USER + 9
// Containers handled in one drain of message 1033 at most.
inline constexpr int kPluginDrainLimit = 16;
// A full redraw asked for while more than this many threads live is
// remembered and started when one ends.
inline constexpr int kMaxRedrawThreads = 9;

// A graphic object with its sublayer (what RedrawPodwarstwa draws).
struct TGrObjItem {
  TEGraphObj* Object = nullptr;
  TWarstwaOgolna* Sublayer = nullptr;
};

class TTvView : public TTvViewImp, public TClientAreaControl {
public:
  // State bits.
  static constexpr std::uint8_t kRightClick = 0x01;
  static constexpr std::uint8_t kRedrawing = 0x02;
  static constexpr std::uint8_t kFitted = 0x04;
  static constexpr std::uint8_t kPopupOpen = 0x08;
  static constexpr std::uint8_t kEditMode = 0x10;
  static constexpr std::uint8_t kSurveyMode = 0x20;
  static constexpr std::uint8_t kStoredPoint = 0x40;
  static constexpr std::uint8_t kExternalPointer = 0x80;

  // Document: the owning window (null: a null document).
  explicit TTvView(TViewDocumentI* Document = nullptr);
  // Stops and waits for every redraw thread before anything is freed.
  ~TTvView() override;

  // --- Lifecycle ---
  // Parent set once; activates the current tool; loads the plug-ins.
  void Start(platform::TWinControl* AParent);
  // Stops the redraw and waits for it, frees the old tree and closes the
  // previous database (not when Base is that database again), loads the
  // layers of Base and starts a redraw. An abort ("Anuluj") leaves the
  // layers read so far and starts no redraw.
  void AttachBaza(TLayerStore* Store, TBaza* Base);
  // The layers the last AttachBaza left out after the user (or, without a
  // screen, the question's default) chose to go on without them: the
  // question's text for each, which names the layer.
  std::vector<std::string> LayersLeftOut;
  // "TTvView.SetBaza" (EInternalError): the name is read-only.
  void SetBaza(const std::string& Name);
  const std::string& Baza() const { return baza_; }
  TBaza* BaseHandle() const { return baseHandle_; }
  TLayerStore* Store() const { return store_; }

  std::uint32_t Status() const { return status_; }
  void SetStatus(std::uint32_t Value);

  // --- Tools ---
  void SetKrzyz(std::unique_ptr<TKrzyz> Tool);
  void ResetKrzyz();
  void SetDefaultKrzyz();
  void CancelKrzyz();
  void FreeKrzyz();
  void StartPointKrzyz(TKrzyzPointEvent OnPoint, TKrzyzFinishEvent OnFinish);
  void ReleaseToolButton();
  TKrzyz* Krzyz() const { return krzyz_.get(); }
  // The newest tool replaced while it was still inside its callback (null
  // when none is parked).
  TKrzyz* ParkedKrzyz() const { return parked_.empty() ? nullptr : parked_.back().get(); }

  // --- Pointer ---
  void GetPointerPos(TRealPoint& Point) override { GetMousePoint(Point); }
  void GetMousePoint(TRealPoint& Point);
  void ClientToWorld(const TPoint& ClientPoint, TRealPoint& Point);
  void MoveCursorTo(const TRealPoint& Point);
  void SetExternalPointer(bool On);
  TRealPoint ExternalPoint;

  // --- Layer tree and services ---
  void AddWarstwa(std::unique_ptr<TWarstwaOgolna> Node);
  std::unique_ptr<TWarstwaOgolna> RemoveWarstwa(TWarstwaOgolna* Node);
  bool HasLayers() const;
  void CollectLayers(std::vector<TWarstwaOgolna*>& List);
  TBazaWarstw* Root() const { return root_.get(); }
  TGrupaWarstw* TopGroup();
  TUndoManager* GetUndoManager();
  TDefRealCanvas* GetCanvas();
  TXORCanvas* GetXorCanvas();
  void CenterScrollBars();
  void ChildNotify();

  // Gives the tree's catalogues and layers the order saved in the registry
  // (nothing when none was saved).
  void LoadLayerOrder();
  // The registry file of the layer order; empty: the current user's.
  std::string LayerOrderRegistry;

  // --- Redraw and painting (redraw.cpp) ---
  void StartRedraw();
  void QueueRedraw(TWarstwaOgolna* Node);
  bool WaitForRedraw(bool Stop);
  void RedrawPodwarstwa(const TGrObjItem& Item);
  void InvalidateAll();
  void InvalidateWorldRect(const TRealRect& R, const TPoint& Margin);
  void InvalidateAround(const TRealPoint& Point, const TPoint& Half);
  void SetBufferSize(std::int32_t Width, std::int32_t Height);
  platform::TBitmap* BackBitmap() const { return backBitmap_.get(); }
  // Redraw threads alive (started and not yet ended).
  int RedrawCount() const { return redrawCount_; }
  // A full redraw was asked for while the limit of threads lived.
  bool RedrawPending() const { return redrawPending_; }

  // --- Hooks of the cadastral view and the later commands ---
  virtual void ShowRasterValueAt(const TRealPoint& Point) {}
  virtual void CreateLayerGroups() {}
  virtual void FreeLayerGroups() {}
  virtual void ListActiveObjectElements() {}
  virtual void SearchLot() {}
  virtual void SearchPoint() {}
  virtual void SearchControlPoints() {}
  virtual void SearchByInterface() {}
  virtual void ZoomToTypedArea(TRealRect& R) { R = TRealRect{}; }
  virtual void PickSection(TRealRect& R) { R = TRealRect{}; }
  // May the element at list Index of layer LayerNumber in Catalogue be
  // deleted? (A cadastral view keeps the elements of its objects.)
  virtual bool ElementIsFree(TKatalogWarstw* Catalogue, std::int32_t LayerNumber, std::int32_t Index) {
    return true;
  }
  virtual bool LayerHasObjects() { return false; }
  // The idle tool's point handler (element editing). Base: nothing, false.
  virtual bool DefaultPoint(TKrzyz* Sender) { return false; }

  // --- Window on the world ---
  // (viewwindow.cpp) Every change below remembers the window before it in
  // PreviousWindow (SetWindow and ApplyWindow leave that to their callers),
  // starts a full redraw and then thins the view markers, shows the new
  // scale on the ruler and moves the current tool to the pointer. The
  // tool's figures are hidden and a running redraw is stopped and waited
  // for before the window changes.

  // Shows R (normalised) as large as fits the control; true when the
  // window changed (empty, too small or unchanged rectangles are refused).
  bool SetWindow(const TRealRect& R);
  // Shows exactly R (normalised); refused like SetWindow, and above the
  // largest extent.
  bool ApplyWindow(const TRealRect& R);
  // SetWindow and CenterScrollBars while the document window's drawing is
  // suspended.
  bool SetWindowLocked(const TRealRect& R);
  // Window size times Factor about its centre (above 1 shows more); 1, 0,
  // negative and non-finite factors change nothing.
  void Zoom(double Factor);
  // Zoom by 1.6 to the power Step, then the scroll bars centred (Page Down
  // is 1, Page Up -1).
  virtual void ZoomByStep(int Step);
  // Moves the map content by the world vector (DX, DY).
  void Pan(double DX, double DY);
  // Arrow keys (left 1, right -1; down 1, up -1): the first press scrolls
  // the document window to its edge, the next ones move the window on the
  // world by a third of the visible width (height).
  virtual void ScrollHorz(int Step);
  virtual void ScrollVert(int Step);
  // The union of the root's children's extents (all zero when all empty).
  void GetDataExtent(TRealRect& R);
  // Fits the window to the data; an all-empty tree changes nothing.
  void ZoomAll();
  // ZoomAll the first time after a base was attached: true when it ran.
  bool ZoomAllOnce();
  // Swaps the window with PreviousWindow (Ctrl+F5).
  virtual void RestoreWindow();
  // The zoom and pan commands: nested tools of the current tool, so that
  // the command in progress goes on after them.
  void CmdZoomIn();
  void CmdPan();
  void CmdZoomInCrosshair();
  void CmdZoomOut();
  // The crosshair zoom ratio of R, running from the crosshair centre to the
  // dragged corner: the smaller of the visible half-window's world extents
  // divided by R's extents on each axis; 0 for a flat R.
  double ClipRectToWindow(const TRealRect& R);
  // The ratio the crosshair zoom takes for the centred rectangle R.
  double ZoomRatioFor(const TRealRect& R) override;

private:
  void AfterWindowChange();
  // Before the window changes: hides the figures of every tool of the
  // chain (they would be left behind) and stops and waits for the redraw
  // (its threads read the window); true when a redraw was running.
  bool PrepareWindowChange();
  // SetWindow (Fit: the window fitted to the control's proportions) and
  // ApplyWindow (as given).
  bool ChangeWindow(const TRealRect& R, bool Fit);
  // A change was refused: a redraw stopped for it starts again, the tool's
  // figures come back.
  void KeepWindow(bool RedrawStopped);
  // The size of the part of the view the document window shows (the whole
  // view when the window reports none).
  int VisibleWidth();
  int VisibleHeight();
  // The crosshair zoom's point callback: In zooms in, else out.
  bool CrosshairZoom(TKrzyz* Sender, bool In);
  void StartWindowTool(std::unique_ptr<TKrzyz> Tool);

public:

  // TClientAreaControl.
  int ClientWidth() const override { return platform::TCustomControl::ClientWidth(); }
  int ClientHeight() const override { return platform::TCustomControl::ClientHeight(); }

  std::string User;
  std::string Password;
  TWindowDim* Dims() const { return dims_.get(); }
  std::uint8_t State = kEditMode;
  TLokalnaKonfiguracja* LocalConfig() const { return localConfig_.get(); }
  TKrzyzConf* KrzyzConf() const { return krzyzConf_; }
  std::uint8_t SnapType = 0;
  TWarstwaOgolna* ActiveNode = nullptr;
  TPodwarstwaLiniowa* ActiveLine = nullptr;
  TPodwarstwaTextowa* ActiveText = nullptr;
  platform::TPopupMenu* PopupMenu = nullptr;
  // Asked before PopupMenu: (screen x, screen y, tool).
  std::function<void(int X, int Y, TKrzyz* Tool)> OnToolPopup;
  platform::TComponent* ToolButton = nullptr;
  std::vector<std::unique_ptr<TPaintItem>> PaintItems;
  TRealRect PreviousWindow;
  std::uint8_t AreaScope = 0;
  TViewDocumentI& Document() const { return *document_; }

protected:
  void Paint() override;
  void MouseDown(platform::TMouseButton Button, platform::TShiftState Shift, int X, int Y) override;
  void MouseMove(platform::TShiftState Shift, int X, int Y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void KeyDown(std::uint16_t& Key, platform::TShiftState Shift) override;
  std::intptr_t HandleMessage(std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam) override;

  // Walks the database's layer files into the root, asking about damaged
  // ones (TFixQuery). Raises EAbort for "Anuluj".
  virtual void LoadLayers();

private:
  friend class TRedrawThread;
  // Redraw (redraw.cpp).
  void RedrawThreadDone(TRedrawThread* Sender);
  // Before the display settings change: no thread may draw with them then.
  void CanvasCfgChanging(TParametryConf* Sender);
  void CanvasCfgChanged(TParametryConf* Sender);
  void ViewCfgChanged(TParametryConf* Sender);
  void ClearBackBitmap();
  // Pointer steps; an error in the tool ends it.
  void PointerMove(const TRealPoint& Point);
  void PointerClick(const TRealPoint& Point);
  void RightClick(int X, int Y);
  // True when the key was handled (the framework does not see it).
  bool HandleKeyCode(std::int32_t Key);
  // Message 1031: the current command's button is pressed.
  void PressToolButton();
  // An error in a step of the current tool ends the tool (see tvview.cpp).
  template <class F>
  void GuardToolStep(F&& Step);
  void EndToolAfterError();
  // LoadLayers: one layer of the enumeration, asking about a damaged one.
  // False when the user stops the loading ("&Nie").
  bool LoadLayer(TGrupaWarstw& Catalogue, const TAllWarstwaHeader& Entry, int& AnswerForAll);
  // Repairs a layer file's header (opened for writing, fixed, closed);
  // false with the error's text when any step failed.
  bool RepairLayer(TWarstwaFile* File, std::string& Failure);
  void DrainPluginMessages(std::uintptr_t WParam, std::intptr_t LParam);
  // Writes the order of the tree's layers into the registry (before the
  // tree is freed); registry failures throw platform::ERegistryException.
  void SaveLayerOrder();
  // Resets every sublayer's cached search index (the display settings it
  // was built with changed).
  void InvalidateLayerIndexes();
  void FreeTree();

  TViewDocumentI* document_;
  std::unique_ptr<TViewDocumentI> nullDocument_;
  std::unique_ptr<TKrzyz> krzyz_;
  // Replaced tools still inside their callbacks, oldest first; each is
  // freed at the first replacement after its callback has returned.
  std::vector<std::unique_ptr<TKrzyz>> parked_;
  TRealPoint storedPoint_;
  std::unique_ptr<TWindowDim> dims_;
  std::string baza_;
  TLayerStore* store_ = nullptr;
  TBaza* baseHandle_ = nullptr;
  std::unique_ptr<platform::TBitmap> backBitmap_;
  std::unique_ptr<TBazaWarstw> root_;
  std::unique_ptr<TGrupaWarstw> topGroup_;
  std::uint32_t status_ = 0;
  std::unique_ptr<TLokalnaKonfiguracja> localConfig_;
  TKrzyzConf* krzyzConf_ = nullptr;
  std::unique_ptr<TDefRealCanvas> canvas_;
  std::unique_ptr<platform::TSurfaceCanvas> xorSurface_;
  std::unique_ptr<TXORCanvas> xorCanvas_;
  std::unique_ptr<TUndoManager> undo_;
  // The two marker items; PaintItems owns them.
  TPaintItem* rectMarker_ = nullptr;
  TPaintItem* polygonMarker_ = nullptr;
  // The newest redraw thread; older ones are held by their successors.
  std::shared_ptr<TRedrawThread> redrawThread_;
  int redrawCount_ = 0;
  bool redrawPending_ = false;
  // The background colour as 0x00BBGGRR, resolved on the GUI thread; the
  // redraw thread fills the image with it.
  std::atomic<std::uint32_t> backColor_{0xFFFFFF};
  // The canvas's hold flag as paint sees it while threads draw: taken from
  // the canvas when the first thread starts, cleared by the thread that
  // clears the canvas's flag (paint must not read the canvas's state word
  // while a thread writes it).
  std::atomic<bool> backHold_{false};
  // Queued calls of redraw threads check it before they touch the view.
  std::shared_ptr<std::atomic<bool>> alive_;
  bool destroying_ = false;

  // --- Active sublayers and overlays ---
  // The active line and text sublayers are what the drawing and editing
  // commands work on (ActiveLine, ActiveText above); every change of them
  // is posted to the main window (kMsgMainFormNotify, kMainFormActiveChanged).
public:
  static constexpr std::uintptr_t kMainFormActiveChanged = 2;

  // Makes Sub the active line or text sublayer by its kind (a node of any
  // other kind is not kept, but the caption and the notice still follow);
  // null releases both. A read-only Sub raises ETolvikaError and changes
  // nothing; the sublayer already active posts nothing. A hidden sublayer
  // is made visible and drawn alone.
  void SetActivePodwarstwa(TWarstwaOgolna* Sub);
  // Sub stops being active; nothing when it is not.
  void ReleaseActiveWarstwa(TWarstwaOgolna* Sub);
  // The layer panel's selected node, remembered before the panel clears its
  // tree (the tree's items are detached from the nodes here).
  void SetActiveWarstwa(TWarstwaOgolna* Node);
  // The whole tree into Tree, the active node's item (else the root's)
  // selected.
  void FillLayerTree(platform::TTreeView& Tree);
  // The root's children whose type mask shares a bit with Mask, each a top
  // level item with its subtree.
  void FillLayerTreeByType(platform::TTreeView& Tree, std::uint32_t Mask);
  // The document window's caption: the root's name and the active
  // sublayers' descriptions.
  void UpdateCaption();
  // The kinds of object the active sublayers take (read-only ones left out).
  std::uint32_t ActiveTypeMask();
  // Writes the active sublayers' changes to their layer files. A failure
  // of the line sublayer does not keep the text sublayer from saving; the
  // first failure is raised afterwards.
  void SaveActiveWarstwy();
  // Before the view's document closes: asks about every changed layer
  // whether to save it ("Warstwa X została zmieniona. Zachować?") and saves
  // those the user wants. False when the user cancelled (the document
  // stays); a layer that cannot be written raises, so that the caller keeps
  // the document open rather than lose its changes.
  bool QuerySaveAll();

  // The overlay: the view owns Painter from here and frees the previous one.
  void SetPaintInPaint(std::unique_ptr<TOverlayPainter> Painter);
  TOverlayPainter* OverlayPainter() const { return overlayPainter_; }
  bool OverlayVisible() const;
  void SetOverlayVisible(bool Visible);
  void InvalidateOverlay();

  // The view's own marker is the last of ViewMarkers.
  void ClearLastViewMarker();
  void AddToLastViewMarker(double X, double Y);
  void ShowLastViewMarker();
  // The document window became the active one.
  void MakeMarkersCurrent();
  // A marker-menu command for the marker at Index (out of range: nothing).
  void ViewMarkerCommand(std::int32_t Index, std::int32_t Tag);

  // Shows a measurement modally: the sum, the corrected length of D (a
  // segment from P), |D.X| and |D.Y|. True when the window was cancelled.
  bool ShowMeasureResult(const TRealPoint& P, const TRealPoint& D, double Sum);

  TLinePresets LinePresets;
  TTextPresets TextPresets;
  // The numbered point markers of this view, one per marker.
  std::vector<std::unique_ptr<TViewMarkerI>> ViewMarkers;
  // The scale correction of measured lengths (none: uncorrected; not owned).
  const IScaleCorrection* DistanceParam = nullptr;

  // --- Searches (search.cpp) ---
  // The view's search object (made with the view).
  TSearch& Search() const { return *search_; }
  // Discards the whole undo history (a new manager is made on next use) and
  // tells the main window (kMsgMainFormNotify, wParam 4).
  void ClearUndo();
  // Presses the current command's button again (posts message 1031 to the
  // view) when there is one.
  void RepeatToolButton();
  // Activates the sublayer an activity-menu item names and fills the
  // presets of its kind from the item. Options is the item's set of given
  // parameters: with the catalogue given (0x20000) only that catalogue is
  // looked in; with "WSTAW" given (0x2000) Deferred is kept for the next new
  // element (PendingOperation), else it is posted to the document window at
  // once. A sublayer not found is reported ("... nie została znaleziona")
  // and Deferred is kept. A creation tool at work starts again.
  void FindAndActivatePodwarstwa(std::uint32_t Options, const TActivityRecord& Item,
                                 std::unique_ptr<TDeferredOperation> Deferred);
  // The sublayer at Path (Kind 1: a text sublayer, else a line one); an
  // empty path gives the active one. None when not found.
  TWarstwaOgolna* FindWarstwaByPath(int Kind, const std::string& Path);
  // A deferred operation left for the next new element (owned until it is
  // posted, then the receiver's).
  std::unique_ptr<TDeferredOperation> PendingOperation;

private:
  void PostActiveChanged();
  // The overlay painter; PaintItems owns it.
  TOverlayPainter* overlayPainter_ = nullptr;
  std::unique_ptr<TMeasureDialogI> measureDialog_;
  std::unique_ptr<TSearch> search_;
};
