// The program's plain map window, until the application shell exists: one
// map view of one layer database set in a scrolling box, a menu "&Mapa"
// and the view's right-click menu (redraw, the whole set, the zoom and pan
// commands, the previous window, the settings window, close). The view's
// own keys zoom (Page Up, Page Down), move (the arrows) and go back to the
// previous window (Ctrl+F5). A menu "&Rysuj" chooses the active line and
// text sublayers from the layer tree, starts the drawing commands on them
// and saves their changes.
// The caption is "Tolvika - " and the database set's name.
//
// GUI thread only. The window owns its view (freed first, so that every
// redraw thread has ended before the box it sits in goes) and its menus;
// the layer store is the caller's and must outlive the window, since the
// view closes its database set when it goes.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/controls_menus.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/forms.h"
#include "view/viewhost.h"

class TGrupaWarstw;
class TLayerStore;
class TParametryConf;
class TTvView;

class TMapWindow : public platform::TForm, public TViewDocumentI {
public:
  TMapWindow();
  ~TMapWindow() override;

  // Opens the database set Name of Store and attaches it to the view; the
  // caption names it, every layer is read and the view shows the whole set.
  // "Anuluj" in the question about a damaged layer leaves the layers
  // attached so far, unread (no exception); any other failure of the set
  // raises. What could not be read is told once, in one message box
  // (kDamageCaption) listing a line for each file or catalogue (LoadProblems):
  // a missing catalogue folder, a layer file that cannot be opened, whose
  // header cannot be read or whose reading fails (left out), the damaged
  // records passed over in a layer and a layer file cut short; the other
  // layers are read and drawn as ever. Without a screen the layers the
  // damage question left out are listed too, since no one saw the question.
  void OpenBase(TLayerStore& Store, const std::string& Name);
  // The lines of the last OpenBase's message about what could not be read;
  // empty when the whole set was read.
  const std::vector<std::string>& LoadProblems() const { return loadProblems_; }
  static constexpr const char* kDamageCaption = "Uszkodzone warstwy";

  TTvView& View() const { return *view_; }

  // Closing ("Zamknij", the window's close box, the end of its modal run)
  // asks about every changed layer whether to save it; "Anuluj" keeps the
  // window open, and so does a layer that could not be written (the
  // failure is shown). When it may close, the view's tool is reset.
  bool CloseQuery() override;

  // The map-document window of the view: the box's scroll bars over it.
  void CenterScrollBars() override;
  platform::TPopupMenu* SkalaPopUp() override { return SkalaMenu; }
  TScrollBarState HorzScrollBar() override;
  TScrollBarState VertScrollBar() override;
  void SetHorzScrollPosition(int Position) override;
  void SetVertScrollPosition(int Position) override;
  int VisibleWidth() override;
  int VisibleHeight() override;
  void SuspendDrawing() override;
  void ResumeDrawing() override;

  platform::TScrollBox* Box;
  platform::TMainMenu* MainMenu;
  platform::TMenuItem* MapaItem;
  // "&Rysuj": the choice of the active sublayers, the drawing commands on
  // them and the saving of their changes.
  platform::TMenuItem* RysujItem;
  // The right-click menu of the idle tool; its items do what the menu
  // "&Mapa" does.
  platform::TPopupMenu* SkalaMenu;

protected:
  // "Przerysuj": the whole map drawn again.
  void RedrawClick();
  // "Konfiguracja...": the program's settings window over the global
  // configuration; a failure of a settings group is shown, the window
  // stays.
  void ConfigClick();
  // "Zamknij".
  void CloseClick();
  // A drawing command on the view; its refusal ("Brak aktywnej warstwy") is
  // shown and the view keeps the focus.
  void RunCommand(void (*Command)(TTvView&));
  // "Zapisz": the active sublayers' changes written to their layer files; a
  // failure is shown.
  void SaveClick();

private:
  // The view changed its size with the settings: the box is refitted once
  // the change has reached the view.
  void ViewCfgChanged(TParametryConf* Sender);
  // Until the program has commands that load layers: every layer of the
  // set read whole and shown, and the view's window fitted to them once
  // (drawn anew in any case).
  void LoadAndFit();
  void LoadLayers(TGrupaWarstw& Group);
  void AddDrawingCommands(platform::TMenuItem& Menu);
  // Adds the three commands to Menu.
  void AddCommands(platform::TMenuItem& Menu);

  std::unique_ptr<TTvView> view_;
  std::vector<std::string> loadProblems_;
  std::shared_ptr<std::atomic<bool>> alive_;
};

// The database set to open from the database-configuration file of Store:
// LastBase when the file still names it, else the first one it names; empty
// when it names none.
std::string ChooseBase(TLayerStore& Store, const std::string& LastBase);
