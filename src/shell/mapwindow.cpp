#include "shell/mapwindow.h"

#include <exception>

#include "foundation/errors.h"
#include "foundation/geometry/realgeom.h"
#include "layers/tree/layertree.h"
#include "foundation/settings/settings.h"
#include "layers/store/dberrors.h"
#include "layers/store/layerapi.h"
#include "layers/store/layerenum.h"
#include "layers/store/warstwafile.h"
#include "layers/tree/treehost.h"
#include "objtools/newcmds.h"
#include "platform/gui/application.h"
#include "platform/files/codepage.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/messages.h"
#include "platform/gui/toolwindow.h"
#include "shell/startconfigwnd.h"
#include "shell/sublayerchoice.h"
#include "view/tvview.h"
#include "view/viewcfg.h"

using namespace platform;

namespace {

constexpr char kCaption[] = "Tolvika";
constexpr char kCaptionSeparator[] = " - ";

}  // namespace

TMapWindow::TMapWindow() : alive_(std::make_shared<std::atomic<bool>>(true)) {
  SetCaption(kCaption);
  const TGdiRect area = ScreenWorkArea();
  SetBounds(area.Left, area.Top, area.Width(), area.Height());

  MainMenu = Create<TMainMenu>(nullptr, "MainMenu");
  MapaItem = MainMenu->Items().Add("&Mapa");
  AddCommands(*MapaItem);
  RysujItem = MainMenu->Items().Add("&Rysuj");
  AddDrawingCommands(*RysujItem);
  SetMenu(MainMenu);
  SkalaMenu = Create<TPopupMenu>(nullptr, "SkalaPopUp");
  AddCommands(SkalaMenu->Items());

  Box = Create<TScrollBox>(this, "Box");
  Box->SetAlign(TAlign::Client);

  // The view's size is the image's, from the view settings; the box
  // scrolls over it.
  view_ = std::make_unique<TTvView>(this);
  view_->Start(Box);
  SetActiveControl(view_.get());
  TvViewCfg().AddChangeHandler(TConfNotify(this, &TMapWindow::ViewCfgChanged));
}

TMapWindow::~TMapWindow() {
  alive_->store(false);
  TvViewCfg().RemoveChangeHandler(TConfNotify(this, &TMapWindow::ViewCfgChanged));
  // The view (and with it every redraw thread) goes before its box.
  view_.reset();
}

void TMapWindow::AddCommands(TMenuItem& Menu) {
  Menu.Add("&Przerysuj")->OnClick = [this](TComponent&) { RedrawClick(); };
  Menu.Add("-");
  Menu.Add("&Cała mapa")->OnClick = [this](TComponent&) { view_->ZoomAll(); };
  Menu.Add("Po&większ okno")->OnClick = [this](TComponent&) { view_->CmdZoomIn(); };
  Menu.Add("Powiększ (ce&lownik)")->OnClick = [this](TComponent&) { view_->CmdZoomInCrosshair(); };
  Menu.Add("Po&mniejsz okno")->OnClick = [this](TComponent&) { view_->CmdZoomOut(); };
  Menu.Add("P&rzesuń okno")->OnClick = [this](TComponent&) { view_->CmdPan(); };
  Menu.Add("Poprzednie &okno")->OnClick = [this](TComponent&) { view_->RestoreWindow(); };
  Menu.Add("-");
  Menu.Add("&Konfiguracja...")->OnClick = [this](TComponent&) { ConfigClick(); };
  Menu.Add("-");
  Menu.Add("&Zamknij")->OnClick = [this](TComponent&) { CloseClick(); };
}

void TMapWindow::AddDrawingCommands(TMenuItem& Menu) {
  Menu.Add("&Aktywna podwarstwa...")->OnClick = [this](TComponent&) { ChooseActiveSublayer(*view_); };
  Menu.Add("-");
  const struct {
    const char* caption;
    void (*command)(TTvView&);
  } commands[] = {
      {"&Linia", CmdNewSpecialLinia},         {"Li&nia ciągła", CmdNewSpecialLiniaLoop},
      {"&Okrąg", CmdNewOkrag},                {"&Tekst", CmdNewText},
      {"&Symbol", CmdNewSymbol},              {"&Czołówka", CmdAddCzolowka},
      {"Wskaż czo&łówkę", CmdPickCzolowka},
  };
  for (const auto& c : commands) {
    void (*command)(TTvView&) = c.command;
    Menu.Add(c.caption)->OnClick = [this, command](TComponent&) { RunCommand(command); };
  }
  Menu.Add("-");
  Menu.Add("&Zapisz")->OnClick = [this](TComponent&) { SaveClick(); };
}

void TMapWindow::RunCommand(void (*Command)(TTvView&)) {
  try {
    Command(*view_);
  } catch (const std::exception& error) {
    Application().ShowException(error);
  }
  SetActiveControl(view_.get());
}

void TMapWindow::SaveClick() {
  try {
    view_->SaveActiveWarstwy();
  } catch (const std::exception& error) {
    Application().ShowException(error);
  }
}

void TMapWindow::OpenBase(TLayerStore& Store, const std::string& Name) {
  TBaza* base = DBInt::OpenBase(Store, LayerTreeHost().LoggedUser, Name);
  loadProblems_.clear();
  bool complete = true;
  try {
    view_->AttachBaza(&Store, base);
  } catch (const EAbort&) {
    // "Anuluj": the layers read so far stay, without a redraw.
    complete = false;
  }
  SetCaption(std::string(kCaption) + kCaptionSeparator + view_->Baza());
  // What the walk over the catalogues passed over: missing folders, files
  // that cannot be opened or whose header cannot be read.
  loadProblems_ = Store.PassedOver(base);
  // On a screen the user answered the question naming each of these.
  if (IsHeadless())
    loadProblems_.insert(loadProblems_.end(), view_->LayersLeftOut.begin(), view_->LayersLeftOut.end());
  if (complete) {
    // The order the layers had when this set was last shown.
    view_->LoadLayerOrder();
    LoadAndFit();
  }
  CenterScrollBars();
  if (!loadProblems_.empty()) {
    std::string text = "Nie wszystkie warstwy bazy " + view_->Baza() + " zostały wczytane w całości:\n";
    for (const std::string& line : loadProblems_) text += "\n" + line;
    MessageBox(text, kDamageCaption, MB_OK | MB_ICONWARNING);
  }
}

void TMapWindow::LoadAndFit() {
  // The redraw the attaching started stops first: no thread may draw the
  // tree while its layers are read and its extent is worked out.
  view_->WaitForRedraw(true);
  LoadLayers(*view_->Root());
  // The fit starts a redraw when it changes the window; the loaded layers
  // are drawn in any case.
  const TWindowDim& dims = *view_->Dims();
  const TRealRect before = RealRect(dims.X1, dims.Y1, dims.X2, dims.Y2);
  view_->ZoomAllOnce();
  if (RealRect(dims.X1, dims.Y1, dims.X2, dims.Y2) == before) view_->StartRedraw();
}

void TMapWindow::LoadLayers(TGrupaWarstw& Group) {
  for (int i = 0; i < Group.GetCount(); ++i) {
    TWarstwaOgolna* node = Group.GetItem(i);
    if (auto* layer = dynamic_cast<TWarstwa*>(node)) {
      // A layer that cannot be read is named and left out, one whose
      // damaged records were passed over is named and shown; the others
      // load. The user is told once, after the whole set (OpenBase).
      try {
        layer->Load(nullptr, nullptr);
        layer->SetVisible(true);
        if (!layer->LoadDamage().empty()) loadProblems_.push_back(layer->LoadDamage());
      } catch (const std::exception& error) {
        const std::string path = layer->FileHandle != nullptr ? ShownPath(layer->FileHandle->Path()) : std::string();
        loadProblems_.push_back("Plik " + path + " (warstwa " + layer->Name + "): " + error.what() +
                                " - odczyt warstwy przerwany");
      }
    } else if (auto* group = dynamic_cast<TGrupaWarstw*>(node)) {
      LoadLayers(*group);
    }
  }
}

void TMapWindow::CenterScrollBars() {
  const int x = (view_->Width() - Box->VisibleWidth()) / 2;
  const int y = (view_->Height() - Box->VisibleHeight()) / 2;
  Box->ScrollTo(x > 0 ? x : 0, y > 0 ? y : 0);
}

TViewDocumentI::TScrollBarState TMapWindow::HorzScrollBar() { return {view_->Width(), Box->HorzPosition()}; }

TViewDocumentI::TScrollBarState TMapWindow::VertScrollBar() { return {view_->Height(), Box->VertPosition()}; }

void TMapWindow::SetHorzScrollPosition(int Position) { Box->ScrollTo(Position, Box->VertPosition()); }

void TMapWindow::SetVertScrollPosition(int Position) { Box->ScrollTo(Box->HorzPosition(), Position); }

int TMapWindow::VisibleWidth() { return Box->VisibleWidth(); }

int TMapWindow::VisibleHeight() { return Box->VisibleHeight(); }

void TMapWindow::SuspendDrawing() { Box->SuspendDrawing(); }

void TMapWindow::ResumeDrawing() { Box->ResumeDrawing(); }

void TMapWindow::RedrawClick() { view_->StartRedraw(); }

void TMapWindow::ConfigClick() {
  try {
    GlobalnaKonfiguracja().ShowDialog([] { return MakeForm<TStartConfigWnd>(); });
  } catch (const std::exception& error) {
    Application().ShowException(error);
  }
  if (view_->CanFocus()) view_->SetFocus();
}

void TMapWindow::CloseClick() { Close(); }

bool TMapWindow::CloseQuery() {
  if (!TForm::CloseQuery()) return false;
  try {
    if (!view_->QuerySaveAll()) return false;
  } catch (const std::exception& error) {
    // The changes that could not be written stay in the window.
    Application().ShowException(error);
    return false;
  }
  view_->ResetKrzyz();
  return true;
}

void TMapWindow::ViewCfgChanged(TParametryConf*) {
  // The view hears the change too, maybe after this window: the box is
  // refitted to the view's new size once every subscriber has run.
  QueueCall([this, alive = alive_] {
    if (alive->load()) Box->ScrollTo(Box->HorzPosition(), Box->VertPosition());
  });
}

std::string ChooseBase(TLayerStore& Store, const std::string& LastBase) {
  std::string first;
  std::string last;
  TBazaDat dat;
  // The listing runs to its end, so that the store is left without one.
  for (int rc = DBInt::InitBases(Store, dat); rc == kDBOk; rc = DBInt::ReloadBases(Store, dat)) {
    if (last.empty() && !LastBase.empty() && SameText(dat.Name, LastBase)) last = dat.Name;
    if (first.empty()) first = dat.Name;
  }
  return last.empty() ? first : last;
}
