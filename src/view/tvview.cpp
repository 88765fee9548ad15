#include "view/tvview.h"

#include <algorithm>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "controls/smallwnd.h"
#include "controls/toolbarbutton.h"
#include "drawing/canvascfg.h"
#include "foundation/errors.h"
#include "foundation/settings/settings.h"
#include "layers/store/dberrors.h"
#include "layers/store/layerapi.h"
#include "layers/store/layerenum.h"
#include "layers/store/warstwafile.h"
#include "layers/tree/layertree.h"
#include "layers/tree/sublayer.h"
#include "layers/tree/treehost.h"
#include "layers/tree/undo.h"
#include "objects/styledcanvas.h"
#include "platform/files/registry.h"
#include "platform/gui/application.h"
#include "platform/gui/controls_menus.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/dragframe.h"
#include "platform/gui/messages.h"
#include "platform/paint/gdiimage.h"
#include "view/hinttools.h"
#include "view/krzyzconf.h"
#include "view/pointtools.h"
#include "view/redraw.h"
#include "view/search.h"
#include "view/viewcfg.h"

namespace {

// The world window of a view without data, and after a base was loaded.
constexpr double kWorldExtent = 15000000.0;

// Half the side of the square a pointer's picture takes, in pixels.
constexpr std::int32_t kPointerPictureHalf = 16;

constexpr std::int32_t kKeyModifiers = kKeyCtrl | kKeyShift | kKeyAltGr;

// The program's own mouse cursors 1 to 4: 1 moving (arrows four ways),
// 2 turning (a round arrow), 3 picking inside (an arrow with a small box),
// 4 taking a vertex (a small box on a cross).
void RegisterViewCursors() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  platform::RegisterCursor(1, {{
                                   "       X        ",
                                   "      X.X       ",
                                   "     X...X      ",
                                   "    XXX.XXX     ",
                                   "   X  X.X  X    ",
                                   "  XX  X.X  XX   ",
                                   " X.XXXX.XXXX.X  ",
                                   "X.............X ",
                                   " X.XXXX.XXXX.X  ",
                                   "  XX  X.X  XX   ",
                                   "   X  X.X  X    ",
                                   "    XXX.XXX     ",
                                   "     X...X      ",
                                   "      X.X       ",
                                   "       X        ",
                                   "                ",
                               },
                               7, 7});
  platform::RegisterCursor(2, {{
                                   "     XXXXX      ",
                                   "   XX.....XX    ",
                                   "  X..XXXXX..X   ",
                                   " X.XX     XX.X  ",
                                   " X.X       X.X  ",
                                   "X.X         X.X ",
                                   "X.X         X.X ",
                                   "X.X    X    X.X ",
                                   "X.X         X.X ",
                                   "X.X       XXX.XX",
                                   " X.X      X....X",
                                   " X.XX      X..X ",
                                   "  X..XX     XX  ",
                                   "   XX..X        ",
                                   "     XX         ",
                                   "                ",
                               },
                               7, 7});
  platform::RegisterCursor(3, {{
                                   "X               ",
                                   "XX              ",
                                   "X.X             ",
                                   "X..X            ",
                                   "X...X           ",
                                   "X....X          ",
                                   "X.....X         ",
                                   "X......X        ",
                                   "X....XXXX       ",
                                   "X.X..X          ",
                                   "XX X..X  XXXXXX ",
                                   "X  X..X  X....X ",
                                   "    X..X X....X ",
                                   "    X..X X....X ",
                                   "     XX  XXXXXX ",
                                   "                ",
                               },
                               0, 0});
  platform::RegisterCursor(4, {{
                                   "       X        ",
                                   "       X        ",
                                   "       X        ",
                                   "       X        ",
                                   "     XXXXX      ",
                                   "     X...X      ",
                                   "XXXXXX...XXXXXX ",
                                   "     X...X      ",
                                   "     XXXXX      ",
                                   "       X        ",
                                   "       X        ",
                                   "       X        ",
                                   "       X        ",
                                   "                ",
                                   "                ",
                                   "                ",
                               },
                               7, 6});
}

// Whether a tool of the chain is inside its point callback.
bool ChainBusy(const TKrzyz* Tool) {
  for (const TKrzyz* t = Tool; t != nullptr; t = t->Nested.get())
    if (t->IsBusy()) return true;
  return false;
}

}  // namespace

// --- Construction and destruction -------------------------------------------

TTvView::TTvView(TViewDocumentI* Document) : document_(Document) {
  if (document_ == nullptr) {
    nullDocument_ = std::make_unique<TViewDocumentI>();
    document_ = nullDocument_.get();
  }
  alive_ = std::make_shared<std::atomic<bool>>(true);
  search_ = std::make_unique<TSearch>(this);
  RegisterViewCursors();
  // The image covers the whole control: nothing is erased before a paint.
  SetOpaque(true);
  SetTabStop(true);

  krzyz_ = std::make_unique<TKrzyz>(status_, nullptr);
  dims_ = std::make_unique<TWindowDim>(static_cast<TClientAreaControl*>(this));
  root_ = std::make_unique<TBazaWarstw>(std::string());

  if (auto item = ViewServices().CreateRectMarker(*this)) {
    rectMarker_ = item.get();
    PaintItems.push_back(std::move(item));
  }
  if (auto item = ViewServices().CreatePolygonMarker(*this)) {
    polygonMarker_ = item.get();
    PaintItems.push_back(std::move(item));
  }
  ViewServices().CreateViewMarkers(*this, ViewMarkers);

  State = kEditMode;
  localConfig_ = std::make_unique<TLokalnaKonfiguracja>();
  localConfig_->GetGroup(std::make_unique<TCanvasCfg>());
  krzyzConf_ = localConfig_->GetGroup(std::make_unique<TKrzyzConf>(::KrzyzConf()));
  SnapType = krzyzConf_->SnapType;

  dims_->X1 = 0.0;
  dims_->Y1 = 0.0;
  dims_->X2 = kWorldExtent;
  dims_->Y2 = kWorldExtent;
  TTvViewCfg& viewCfg = TvViewCfg();
  SetBufferSize(viewCfg.RozmiarX, viewCfg.RozmiarY);
  // Subscribed last: nothing above can leave a subscription behind.
  viewCfg.AddChangeHandler(TConfNotify(this, &TTvView::ViewCfgChanged));
}

TTvView::~TTvView() {
  destroying_ = true;
  ReleaseToolButton();
  // The running tool ends as when it is cancelled: its command frees what it
  // holds (a creation command its template) in its end handler.
  if (krzyz_) krzyz_->Finish();

  // Every redraw thread ends before anything it may touch goes. Only the
  // newest is held here; each thread waits for its predecessor before its
  // own end, so the newest's end means the whole chain has ended.
  if (redrawThread_) {
    WaitForRedraw(true);
    platform::WaitForEventPumpingPaint(redrawThread_->EndedEvent());
    redrawThread_.reset();
    platform::Application().SetScreenCursor(platform::crDefault);
  }
  // Queued end notices and repaint requests of the threads find the view gone.
  alive_->store(false);

  undo_.reset();
  rectMarker_ = nullptr;
  polygonMarker_ = nullptr;
  overlayPainter_ = nullptr;
  PaintItems.clear();
  // The markers and the measurement window go while the view is whole.
  ViewMarkers.clear();
  measureDialog_.reset();
  TvViewCfg().RemoveChangeHandler(TConfNotify(this, &TTvView::ViewCfgChanged));
  ViewServices().FreePlugins(*this);
  krzyz_.reset();
  parked_.clear();

  ViewServices().RemoveViewBlocks(*this);
  FreeTree();

  if (canvas_) canvas_->RemoveCfgHandler(TConfNotify(this, &TTvView::CanvasCfgChanged));
  // The canvases go before the image and the surface they draw on.
  canvas_.reset();
  xorCanvas_.reset();
  xorSurface_.reset();
  backBitmap_.reset();
  dims_.reset();
  krzyzConf_ = nullptr;
  localConfig_.reset();

  if (store_ != nullptr && baseHandle_ != nullptr) {
    TBaza* base = std::exchange(baseHandle_, nullptr);
    try {
      DBInt::CloseBase(*store_, base);
    } catch (...) {
      // The view goes anyway; the user hears why the base did not close.
      try {
        platform::Application().HandleException(std::current_exception());
      } catch (...) {
      }
    }
  }
}

void TTvView::Start(platform::TWinControl* AParent) {
  SetParent(AParent);
  if (krzyz_ && krzyz_->View == nullptr) {
    TRealPoint point;
    GetMousePoint(point);
    krzyz_->Activate(this, GetXorCanvas(), point);
  }
  ViewServices().LoadPlugins(*this, Document().LayersMenuItem());
}

void TTvView::SetBaza(const std::string& Name) { throw EInternalError("TTvView.SetBaza"); }

void TTvView::SetStatus(std::uint32_t Value) {
  status_ = Value;
  if (krzyz_) krzyz_->SetStatus(Value);
}

// --- The layer base ----------------------------------------------------------

void TTvView::FreeTree() {
  // A registry that cannot be written costs only the saved order: the tree
  // is freed all the same, and the user is told unless the view is going.
  try {
    SaveLayerOrder();
  } catch (const platform::ERegistryException& e) {
    if (!destroying_) platform::ShowMessage(std::string("Nie zapisano porządku warstw: ") + e.what());
  }
  topGroup_.reset();
  root_.reset();
}

void TTvView::AttachBaza(TLayerStore* Store, TBaza* Base) {
  if (Store == nullptr || Base == nullptr) throw EInternalError("TTvView.AttachBaza");
  ResetKrzyz();
  ActiveNode = nullptr;
  ActiveLine = nullptr;
  ActiveText = nullptr;

  // A redraw thread may be drawing the old tree: it is stopped and waited
  // for before any of the tree, the undo history or the base goes.
  WaitForRedraw(true);
  undo_.reset();
  ViewServices().RemoveViewBlocks(*this);
  ViewServices().ResetPlugins(*this);
  FreeTree();
  // Never without a root, whatever fails below.
  root_ = std::make_unique<TBazaWarstw>(std::string());
  baza_.clear();
  LayersLeftOut.clear();
  // The old tree is gone before its base closes: nothing is left that
  // refers to the base's layer files. The same base attached again stays
  // open and is read anew.
  TBaza* old = std::exchange(baseHandle_, nullptr);
  if (store_ != nullptr && old != nullptr && !(store_ == Store && old == Base)) DBInt::CloseBase(*store_, old);

  // A handle the store does not know is refused before the view takes it.
  std::string name = DBInt::GetBaseName(*Store, Base);
  store_ = Store;
  baseHandle_ = Base;
  baza_ = std::move(name);
  TvViewCfg().LastBase = baza_;
  root_ = std::make_unique<TBazaWarstw>(baza_);

  LoadLayers();  // "Anuluj" leaves here with EAbort: no groups, no notice, no redraw
  CreateLayerGroups();
  PostMainFormNotify(0);
  StartRedraw();
}

void TTvView::LoadLayers() {
  if (store_ == nullptr || baseHandle_ == nullptr) return;
  TLayerStore& store = *store_;
  TAllWarstwaHeader entry;
  const std::string* directory = nullptr;
  TKatalogWarstw* catalogue = nullptr;
  int answerForAll = platform::mrNone;
  for (int rc = DBInt::GetWarstwyList(store, entry, baseHandle_); rc == kDBOk;
       rc = DBInt::GetWzorceList(store, entry, baseHandle_)) {
    if (catalogue == nullptr || entry.Directory != directory) {
      directory = entry.Directory;
      catalogue = nullptr;
      for (int i = 0; i < root_->GetCount() && catalogue == nullptr; ++i) {
        auto* c = dynamic_cast<TKatalogWarstw*>(root_->GetItem(i));
        if (c != nullptr && c->Catalogue == entry.Directory) catalogue = c;
      }
      if (catalogue == nullptr) {
        auto made = std::make_unique<TKatalogWarstw>(&store, entry.CatalogueName, entry.Directory, entry.BaseId,
                                                     entry.ObjInterfKonf, GetCanvas());
        catalogue = made.get();
        root_->AddChild(std::move(made));
      }
    }
    if (entry.File == nullptr) continue;
    // "&Nie": what was loaded stays, the window is left as it was.
    if (!LoadLayer(*catalogue, entry, answerForAll)) return;
  }
  State &= static_cast<std::uint8_t>(~kFitted);
  dims_->FitWindow(RealRect(0.0, 0.0, kWorldExtent, kWorldExtent));
}

namespace {

// The layer file of an entry as the user is shown it.
std::string LayerFilePath(const TAllWarstwaHeader& Entry) {
  return Entry.File != nullptr ? ShownPath(Entry.File->Path()) : std::string();
}

}  // namespace

bool TTvView::LoadLayer(TGrupaWarstw& Catalogue, const TAllWarstwaHeader& Entry, int& AnswerForAll) {
  // Set after a repair: a layer that fails again is not repaired in a loop.
  bool afterRepair = false;
  for (;;) {
    std::string failure;
    try {
      Catalogue.AddChild(TWarstwa::CreateFromHeader(store_, Entry, GetCanvas()));
      return true;
    } catch (const EDBWarstwaError& e) {
      failure = e.Message();
    }
    bool retry = false;
    while (!retry) {
      int answer;
      if (AnswerForAll != platform::mrNone) {
        // "Na wszystkie": the same answer without asking; a layer that the
        // repair did not mend is skipped.
        answer = afterRepair ? platform::mrYes : AnswerForAll;
      } else {
        auto query = platform::MakeForm<TFixQuery>();
        query->SetMessage(failure + " Kontynuować wczytywanie warstw?");
        answer = query->ShowModal();
        if (query->GetAll() && (answer == platform::mrYes || answer == platform::mrRetry)) AnswerForAll = answer;
      }
      afterRepair = false;
      switch (answer) {
        case platform::mrYes:
          LayersLeftOut.push_back("Plik " + LayerFilePath(Entry) + ": " + failure + " - warstwa pominięta");
          return true;
        case platform::mrNo:
          return false;
        case platform::mrRetry:
          afterRepair = true;
          // A repair that fails is a failure of this layer: its error is
          // what the next question shows.
          retry = RepairLayer(Entry.File, failure);
          break;
        default:
          throw EAbort();
      }
    }
  }
}

bool TTvView::RepairLayer(TWarstwaFile* File, std::string& Failure) {
  TLayerStore& store = *store_;
  try {
    DBInt::OpenWarstwa(store, File, false);
  } catch (const EAbort&) {
    throw;
  } catch (const std::exception& e) {
    Failure = e.what();
    return false;
  }
  try {
    store.FixHeader(File);
  } catch (const EAbort&) {
    throw;
  } catch (const std::exception& e) {
    Failure = e.what();
    // The repair's error is the one to show; a failing close adds nothing.
    try {
      DBInt::CloseWarstwa(store, File);
    } catch (...) {
    }
    return false;
  }
  try {
    DBInt::CloseWarstwa(store, File);
  } catch (const EAbort&) {
    throw;
  } catch (const std::exception& e) {
    Failure = e.what();
    return false;
  }
  return true;
}

// --- Tools -------------------------------------------------------------------

void TTvView::SetKrzyz(std::unique_ptr<TKrzyz> Tool) {
  if (!Tool) {
    ResetKrzyz();
    return;
  }
  if (krzyz_) krzyz_->Finish();
  FreeKrzyz();
  krzyz_ = std::move(Tool);
  TRealPoint point;
  GetMousePoint(point);
  krzyz_->Activate(this, GetXorCanvas(), point);
}

void TTvView::FreeKrzyz() {
  // Parked tools whose callbacks have returned go now; one still inside its
  // callback (modal windows nest) stays until a later replacement.
  std::vector<std::unique_ptr<TKrzyz>> done;
  for (auto it = parked_.begin(); it != parked_.end();) {
    if (ChainBusy(it->get())) {
      ++it;
    } else {
      done.push_back(std::move(*it));
      it = parked_.erase(it);
    }
  }
  std::unique_ptr<TKrzyz> current = std::move(krzyz_);
  // A command that installs a new tool from inside its own callback keeps
  // running on a live object.
  if (current && ChainBusy(current.get())) parked_.push_back(std::move(current));
}

void TTvView::SetDefaultKrzyz() {
  if (krzyz_) FreeKrzyz();
  krzyz_ = std::make_unique<TNullKrzyz>(status_, [this](TKrzyz* Sender) { return DefaultPoint(Sender); },
                                        Document().SkalaPopUp());
  TRealPoint point;
  GetMousePoint(point);
  krzyz_->Activate(this, GetXorCanvas(), point);
}

void TTvView::ResetKrzyz() {
  if (krzyz_) krzyz_->Finish();
  FreeKrzyz();
  SetDefaultKrzyz();
}

void TTvView::CancelKrzyz() {
  GuardToolStep([this] {
    if (krzyz_ && krzyz_->HandleBackspace()) {
      FreeKrzyz();
      SetDefaultKrzyz();
    }
  });
}

void TTvView::StartPointKrzyz(TKrzyzPointEvent OnPoint, TKrzyzFinishEvent OnFinish) {
  auto tool = std::make_unique<TWskKoloKrzyz>(status_, std::move(OnPoint));
  tool->OnFinish = std::move(OnFinish);
  SetKrzyz(std::move(tool));
  Document().FocusMainForm();
  if (CanFocus()) SetFocus();
}

void TTvView::ReleaseToolButton() {
  if (krzyz_) krzyz_->UpdateButton(false);
}

void TTvView::EndToolAfterError() {
  if (krzyz_) krzyz_->Finish();
  FreeKrzyz();
  SetDefaultKrzyz();
}

// An error in a step of the current tool ends the tool: an abort silently,
// anything else shown with the tool-error prefix; the default tool takes its
// place.
template <class F>
void TTvView::GuardToolStep(F&& Step) {
  try {
    Step();
    return;
  } catch (const EAbort&) {
  } catch (const std::exception& e) {
    ShowKrzyzError(std::string(kKrzyzErrorPrefix) + e.what());
  }
  EndToolAfterError();
}

// --- Pointer -----------------------------------------------------------------

void TTvView::ClientToWorld(const TPoint& ClientPoint, TRealPoint& Point) {
  if ((State & kStoredPoint) != 0) {
    Point = storedPoint_;
    State &= static_cast<std::uint8_t>(~kStoredPoint);
    return;
  }
  Point = dims_->DeviceToWorldPt(ClientPoint);
}

void TTvView::GetMousePoint(TRealPoint& Point) {
  if ((State & kExternalPointer) != 0) {
    Point = ExternalPoint;
    return;
  }
  const platform::TGdiPoint screen = platform::CursorPos();
  const platform::TGdiPoint client = platform::ScreenToClient(*this, screen.X, screen.Y);
  ClientToWorld(TPoint{client.X, client.Y}, Point);
}

void TTvView::MoveCursorTo(const TRealPoint& Point) {
  // Where the display refuses to move the pointer, the stored point still
  // hands the tool exactly Point.
  storedPoint_ = Point;
  State |= kStoredPoint;
  const TPoint device = dims_->WorldToDevicePt(Point);
  const platform::TGdiPoint screen = platform::ClientToScreen(*this, device.X, device.Y);
  platform::SetCursorPos(screen.X, screen.Y);
}

void TTvView::SetExternalPointer(bool On) {
  if (On) {
    State |= kExternalPointer;
    if (krzyz_) krzyz_->ShowMarkerInner();
  } else {
    State &= static_cast<std::uint8_t>(~kExternalPointer);
  }
  // The pointer's picture, painted at the external point, comes or goes.
  InvalidateAround(ExternalPoint, TPoint{kPointerPictureHalf, kPointerPictureHalf});
}

// --- Layer tree and services --------------------------------------------------

void TTvView::AddWarstwa(std::unique_ptr<TWarstwaOgolna> Node) {
  if (Node) root_->AddChild(std::move(Node));
}

std::unique_ptr<TWarstwaOgolna> TTvView::RemoveWarstwa(TWarstwaOgolna* Node) {
  if (Node == nullptr || Node->Owner != root_.get()) return nullptr;
  // The caller frees the branch: the active sublayers and the panel's node
  // inside it are let go first, so that nothing keeps pointing into it.
  const auto inside = [Node](const TWarstwaOgolna* N) {
    for (; N != nullptr; N = N->Owner)
      if (N == Node) return true;
    return false;
  };
  if (ActiveLine != nullptr && inside(ActiveLine)) ReleaseActiveWarstwa(ActiveLine);
  if (ActiveText != nullptr && inside(ActiveText)) ReleaseActiveWarstwa(ActiveText);
  if (ActiveNode != nullptr && inside(ActiveNode)) ActiveNode = nullptr;
  return root_->RemoveChild(Node);
}

bool TTvView::HasLayers() const { return !root_->IsEmpty(); }

void TTvView::CollectLayers(std::vector<TWarstwaOgolna*>& List) { root_->CollectLayers(List); }

TGrupaWarstw* TTvView::TopGroup() {
  // A redraw thread takes the group when it starts: one running now draws
  // without a group made meanwhile, the next one with it.
  if (!topGroup_) topGroup_ = std::make_unique<TGrupaWarstw>(std::string());
  return topGroup_.get();
}

TUndoManager* TTvView::GetUndoManager() {
  if (!undo_) undo_ = std::make_unique<TUndoManager>();
  return undo_.get();
}

void TTvView::CenterScrollBars() { Document().CenterScrollBars(); }

void TTvView::ChildNotify() { Document().ChildNotify(); }

// --- Mouse ---------------------------------------------------------------------

void TTvView::PointerMove(const TRealPoint& Point) {
  ShowRasterValueAt(Point);
  GuardToolStep([&] {
    if (krzyz_) krzyz_->HandleMove(Point);
  });
}

void TTvView::PointerClick(const TRealPoint& Point) {
  GuardToolStep([&] {
    // The command is complete; the tool is not finished (its callback did
    // that work).
    if (krzyz_ && krzyz_->HandleClick(Point)) {
      FreeKrzyz();
      SetDefaultKrzyz();
    }
  });
}

void TTvView::MouseMove(platform::TShiftState Shift, int X, int Y) {
  platform::TCustomControl::MouseMove(Shift, X, Y);
  if ((State & kExternalPointer) != 0) return;
  TRealPoint point;
  ClientToWorld(TPoint{X, Y}, point);
  PointerMove(point);
}

void TTvView::MouseDown(platform::TMouseButton Button, platform::TShiftState Shift, int X, int Y) {
  platform::TCustomControl::MouseDown(Button, Shift, X, Y);
  if (CanFocus()) SetFocus();
  switch (Button) {
    case platform::TMouseButton::Left:
      if ((State & (kRightClick | kExternalPointer)) == 0) {
        TRealPoint point;
        ClientToWorld(TPoint{X, Y}, point);
        PointerClick(point);
      }
      break;
    case platform::TMouseButton::Right:
      RightClick(X, Y);
      break;
    default:
      break;
  }
}

void TTvView::RightClick(int X, int Y) {
  if (CanFocus()) SetFocus();
  State |= kRightClick;
  // A menu command may close the view while its menu is open.
  const std::shared_ptr<std::atomic<bool>> alive = alive_;
  struct TClear {
    TTvView& View;
    const std::shared_ptr<std::atomic<bool>>& Alive;
    ~TClear() {
      if (Alive->load()) View.State &= static_cast<std::uint8_t>(~(kRightClick | kPopupOpen));
    }
  } clear{*this, alive};

  const platform::TGdiPoint screen = platform::ClientToScreen(*this, X, Y);
  TRealPoint point;
  ClientToWorld(TPoint{X, Y}, point);
  std::int32_t code = kRightNothing;
  GuardToolStep([&] {
    if (krzyz_) code = krzyz_->HandleRightClick(point, TPoint{screen.X, screen.Y});
  });

  bool takeBack = code == kRightBackspace;
  if (code == kRightDefault) {
    if (OnToolPopup) {
      OnToolPopup(screen.X, screen.Y, krzyz_.get());
      if (!alive->load()) return;
    } else if (PopupMenu != nullptr) {
      State |= kPopupOpen;
      // The click that closes the menu over the view reaches no tool.
      const platform::TGdiPoint origin = platform::ClientToScreen(*this, 0, 0);
      const platform::TGdiRect keepOut{origin.X, origin.Y, origin.X + Width(), origin.Y + Height()};
      PopupMenu->PopupModal(screen.X, screen.Y, &keepOut);
      if (!alive->load()) return;
      State &= static_cast<std::uint8_t>(~kPopupOpen);
    } else {
      takeBack = true;
    }
  } else if (code == kRightEnd) {
    FreeKrzyz();
    SetDefaultKrzyz();
  }
  if (takeBack) {
    GuardToolStep([&] {
      if (krzyz_ && krzyz_->HandleBackspace()) {
        FreeKrzyz();
        SetDefaultKrzyz();
      }
    });
  }
  if (code != kRightKeepMouse) platform::SetCursorPos(screen.X, screen.Y);
}

void TTvView::MouseEnter() {
  if ((State & kExternalPointer) == 0 && krzyz_) krzyz_->ShowMarkerInner();
}

void TTvView::MouseLeave() {
  if ((State & (kRightClick | kExternalPointer)) == 0 && krzyz_) krzyz_->HideMarkerInner();
}

// --- Keys ----------------------------------------------------------------------

bool TTvView::HandleKeyCode(std::int32_t Key) {
  if ((Key & kKeyModifiers) == 0) {
    switch (Key) {
      case platform::VK_ESCAPE:
        CancelKrzyz();
        return true;
      case platform::VK_PRIOR:
        ZoomByStep(-1);
        return true;
      case platform::VK_NEXT:
        ZoomByStep(1);
        return true;
      case platform::VK_LEFT:
        ScrollHorz(1);
        return true;
      case platform::VK_RIGHT:
        ScrollHorz(-1);
        return true;
      case platform::VK_UP:
        ScrollVert(-1);
        return true;
      case platform::VK_DOWN:
        ScrollVert(1);
        return true;
      default:
        break;
    }
  }
  if (Key == (platform::VK_F5 | kKeyCtrl)) {
    RestoreWindow();
    return true;
  }
  std::int32_t result = kKeyNotHandled;
  GuardToolStep([&] {
    if (!krzyz_) return;
    result = krzyz_->HandleKey(Key);
    if (result == kKeyHandledEnd) {
      FreeKrzyz();
      SetDefaultKrzyz();
    }
  });
  return result != kKeyNotHandled;
}

void TTvView::KeyDown(std::uint16_t& Key, platform::TShiftState Shift) {
  std::int32_t code = Key;
  if ((Shift & platform::ssCtrl) != 0) code |= kKeyCtrl;
  if ((Shift & platform::ssShift) != 0) code |= kKeyShift;
  if ((Shift & platform::ssAltGr) != 0) code |= kKeyAltGr;
  if (HandleKeyCode(code)) {
    Key = 0;
    return;
  }
  platform::TCustomControl::KeyDown(Key, Shift);
}

// --- Messages ------------------------------------------------------------------

void TTvView::PressToolButton() {
  if (auto* speed = dynamic_cast<platform::TSpeedButton*>(ToolButton)) {
    // The button's click toggles a grouped button and runs its handler.
    if (speed->Enabled() && speed->Visible()) speed->Click();
  } else if (auto* button = dynamic_cast<TToolbarButton*>(ToolButton)) {
    button->Click();
  }
}

void TTvView::DrainPluginMessages(std::uintptr_t WParam, std::intptr_t LParam) {
  std::vector<platform::TPostedMessage> batch{{WParam, LParam}};
  std::vector<platform::TPostedMessage> queued = platform::TakePostedMessages(Handle(), kMsgPluginRequest);
  batch.insert(batch.end(), queued.begin(), queued.end());

  std::vector<std::intptr_t> handled;
  std::size_t next = 0;
  // What this drain does not handle stays queued, in its order.
  auto requeue = [&] {
    for (; next < batch.size(); ++next)
      platform::PostMessage(Handle(), kMsgPluginRequest, batch[next].wParam, batch[next].lParam);
  };
  try {
    while (next < batch.size()) {
      const platform::TPostedMessage message = batch[next++];
      if (message.lParam == 0) {
        // One full redraw covers every request still queued.
        StartRedraw();
        return;
      }
      if (std::find(handled.begin(), handled.end(), message.lParam) != handled.end()) continue;
      handled.push_back(message.lParam);
      ViewServices().HandlePluginMessage(*this, message.lParam, message.wParam);
      if (static_cast<int>(handled.size()) >= kPluginDrainLimit) break;
    }
  } catch (...) {
    requeue();
    throw;
  }
  requeue();
}

std::intptr_t TTvView::HandleMessage(std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam) {
  switch (Msg) {
    case kMsgPressToolButton:
      PressToolButton();
      return 0;
    case kMsgPluginRequest:
      DrainPluginMessages(WParam, LParam);
      return 0;
    default:
      return platform::TCustomControl::HandleMessage(Msg, WParam, LParam);
  }
}
