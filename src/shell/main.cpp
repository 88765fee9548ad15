// Start-up of the editor: the profile is chosen, the global configuration is
// bound to its settings file and the settings groups that exist are
// registered. Until the application shell exists, the program then opens
// the layer database set it had open last (or the first one the profile's
// database-configuration file names) in a plain map window and runs until
// that window closes; the settings window is one of the window's commands.
// The groups are written to the settings file when the configuration is
// freed at the end.
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>

#include "drawing/canvascfg.h"
#include "foundation/settings/printcfg.h"
#include "foundation/settings/profile.h"
#include "foundation/settings/settings.h"
#include "foundation/storage/dbfeedback.h"
#include "layers/store/layerapi.h"
#include "objects/layerobjects.h"
#include "objects/libcfg.h"
#include "objtools/genlibrary.h"
#include "objtools/objeditors.h"
#include "platform/gui/application.h"
#include "platform/gui/forms.h"
#include "platform/gui/responder.h"
#include "shell/mapwindow.h"
#include "view/krzyzconf.h"
#include "view/viewcfg.h"

namespace {

// The map window over the database set of BazaFile, shown until it closes;
// without a screen the set is opened (and drawn) all the same, and the
// window is not shown. A set that cannot be opened is reported and the
// window stays empty.
void RunMapWindow(const std::string& BazaFile) {
  RegisterLayerObjectClasses();
  // The store outlives the window: the view closes its set when it goes.
  TLayerStore store(BazaFile);
  std::unique_ptr<TMapWindow> window = platform::MakeForm<TMapWindow>();
  try {
    const std::string name = ChooseBase(store, TvViewCfg().LastBase);
    if (name.empty()) {
      std::fprintf(stderr, "Plik \"%s\" nie wymienia żadnej bazy warstw: okno mapy będzie puste.\n",
                   BazaFile.c_str());
    } else {
      window->OpenBase(store, name);
    }
  } catch (const std::exception& error) {
    platform::Application().ShowException(error);
  }
  if (platform::IsHeadless()) {
    std::fprintf(stderr, "Brak ekranu: okno mapy nie zostanie pokazane.\n");
    return;
  }
  // The map window is the program's main window, shown as any window (not
  // modally: the windows it opens beside it, such as floating tool windows,
  // take the mouse as well); closing it ends the message loop.
  platform::TApplication& application = platform::Application();
  application.SetMainForm(window.get());
  window->Show();
  application.Run();
  application.SetMainForm(nullptr);
  window->Hide();
}

int Run() {
  platform::EnsureApplication();
  InstallDBFeedback();
  ChooseProfile();

  TGlobalnaKonfiguracja& konfiguracja = GlobalnaKonfiguracja();
  konfiguracja.GetGroup(std::make_unique<TCanvasCfg>());
  PrintConf();
  SymbolLineManagerCfg();
  TvViewCfgCreate();
  KrzyzConf();
  // The activity menu's items find their generators in the generator library.
  RegisterGeneratorLookup();
  // The objects' edit tools and edit dialogs.
  RegisterObjectEditors();

  // Cancelling the profile choice ends the program here.
  if (!platform::Application().Terminated()) RunMapWindow(ChooseProfile().BazaFile);
  FreeGlobalnaKonfiguracja();
  ClearProfile();
  // Without a screen every message box answered itself: the program could
  // not tell the user something (the settings not saved, say).
  return platform::MessageBoxesWithoutScreen() > 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::printf("Tolvika %s - edytor map katastralnych\n", TOLVIKA_VERSION);
  if (argc > 1 && std::strcmp(argv[1], "--version") == 0) return 0;
  try {
    return Run();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    if (!platform::IsHeadless()) platform::Application().ShowException(error);
    FreeGlobalnaKonfiguracja();
    return 1;
  }
}
