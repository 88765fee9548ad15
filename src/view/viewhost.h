// What a map view needs of the windows and services around it, reached
// through small interfaces so that the view stands before they exist: the
// map-document window that owns it, the main window, the markers and blocks,
// the plug-in layer containers, the survey-document service and the paint
// items drawn over the map. Every interface has a null implementation that
// does nothing, which a view uses until its owner installs a real one.
//
// GUI thread only. The view does not own the document, the main window or
// the services; it owns its paint items, its view markers and its
// measurement window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/containers/object.h"
#include "foundation/geometry/realgeom.h"

namespace platform {
class TMenuItem;
class TPopupMenu;
}  // namespace platform
class TDefRealCanvas;
class TTvView;
class TWindowDim;

// A deferred operation a view hands to its document window (message 1025).
class TDeferredOperation : public TObject {
public:
  virtual void Run() = 0;
};

// The map-document window that owns a view.
class TViewDocumentI {
public:
  virtual ~TViewDocumentI() = default;
  // Centres the scroll bars over the view.
  virtual void CenterScrollBars() {}
  // Updates the menus after the view's state changed.
  virtual void ChildNotify() {}
  // The window's caption (the view names its base and active sublayers).
  virtual void SetDocumentCaption(const std::string& Caption) {}
  // The context menu of the idle tool ("SkalaPopUp"); none by default.
  virtual platform::TPopupMenu* SkalaPopUp() { return nullptr; }
  // The layer menu item ("Warstwy1", "&Warstwy") of the plug-in layers.
  virtual platform::TMenuItem* LayersMenuItem() { return nullptr; }
  // Message 1025: the window runs Operation later. Base: frees it.
  virtual void PostDeferred(std::unique_ptr<TDeferredOperation> Operation) {}
  // Focuses the main form (before the view takes the focus).
  virtual void FocusMainForm() {}

  // The window's scroll bars over the view: Range is the extent scrolled
  // over (the view's size), Position the first pixel shown. None (0, 0)
  // by default.
  struct TScrollBarState {
    int Range = 0;
    int Position = 0;
  };
  virtual TScrollBarState HorzScrollBar() { return {}; }
  virtual TScrollBarState VertScrollBar() { return {}; }
  virtual void SetHorzScrollPosition(int Position) {}
  virtual void SetVertScrollPosition(int Position) {}
  // The size in pixels of the window's area that shows the view; 0 when
  // the window does not know it (the view then counts itself whole).
  virtual int VisibleWidth() { return 0; }
  virtual int VisibleHeight() { return 0; }
  // The window stops drawing while the view changes its window, and draws
  // again once every suspension is resumed.
  virtual void SuspendDrawing() {}
  virtual void ResumeDrawing() {}
};

// A paint item: something light painted over the map (markers, overlays).
class TPaintItem : public TObject {
public:
  virtual bool Visible() const { return false; }
  virtual void Paint(TDefRealCanvas& Canvas) {}
  // A marker item becomes the main window's current one (its view's window
  // became the active one). Base: nothing.
  virtual void MakeCurrent() {}
};

// The paint-in-paint overlay: a paint item with a visible flag and the
// world rectangle it covers. The commands that make one set both; the view
// owns it once it is installed.
class TOverlayPainter : public TPaintItem {
public:
  bool Visible() const override { return Shown; }
  bool Shown = false;
  TRealRect Rect{};
};

// One of a view's numbered point markers: the points marked on this view.
class TViewMarkerI {
public:
  virtual ~TViewMarkerI() = default;
  virtual void Clear() {}
  virtual void AddPoint(double X, double Y) {}
  // Marks the points inside the view's window as the ones shown.
  virtual void SelectVisible(const TWindowDim& Window) {}
  virtual void ResetVisible() {}
  virtual void MakeCurrent() {}
  // A command of the marker's menu (Tag says which).
  virtual void Command(std::int32_t Tag) {}
};

// The modal window that shows one measurement.
class TMeasureDialogI {
public:
  virtual ~TMeasureDialogI() = default;
  // The measured values, in this order: the sum of the lengths so far, the
  // corrected length of the last segment, its extents along X and Y.
  virtual void SetValues(double Sum, double Distance, double DX, double DY) {}
  // Shows the window modally; its modal result.
  virtual int ShowModal() { return 0; }
};

// The neighbours that have per-view state: the four view markers, the
// rectangle and polygon markers, the blocks and the plug-in containers.
class TViewServicesI {
public:
  virtual ~TViewServicesI() = default;
  // The rectangle and polygon markers of a new view (null: none).
  virtual std::unique_ptr<TPaintItem> CreateRectMarker(TTvView& View) { return nullptr; }
  virtual std::unique_ptr<TPaintItem> CreatePolygonMarker(TTvView& View) { return nullptr; }
  // The view's blocks leave the block manager.
  virtual void RemoveViewBlocks(TTvView& View) {}
  // Plug-in layer containers: loaded at Start, reset when a base is
  // attached, asked to handle message 1033.
  virtual void LoadPlugins(TTvView& View, platform::TMenuItem* LayersItem) {}
  virtual void ResetPlugins(TTvView& View) {}
  virtual void FreePlugins(TTvView& View) {}
  virtual void HandlePluginMessage(TTvView& View, std::intptr_t Container, std::uintptr_t Request) {}
  // The number of the active survey document (0: none).
  virtual std::uint32_t ActiveSurveyDocument() { return 0; }
  // The view's numbered point markers, one per marker, in marker order.
  virtual void CreateViewMarkers(TTvView& View, std::vector<std::unique_ptr<TViewMarkerI>>& Markers) {}
  // The view's measurement window (null: none, nothing is shown).
  virtual std::unique_ptr<TMeasureDialogI> CreateMeasureDialog(TTvView& View) { return nullptr; }
  // The view's window on the world changed: its view markers thin their
  // points to the new window.
  virtual void ThinViewMarkers(TTvView& View) {}
  // The main form's scale ruler shows the scale of a view whose window
  // changed, in device pixels per metre along the screen's horizontal axis.
  virtual void ShowRulerScale(double PixelsPerMetre) {}
};

// The services every view uses; a null set until the program installs its
// own (not owned; must outlive the views).
TViewServicesI& ViewServices();
void SetViewServices(TViewServicesI* Services);
