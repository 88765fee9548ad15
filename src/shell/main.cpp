// Start-up of the editor: the profile is chosen, the global configuration is
// bound to its settings file and the settings groups that exist are
// registered. Until the application shell exists, the program then shows the
// configuration dialog on those groups; the groups are written to the
// settings file when the configuration is freed at the end.
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>

#include "drawing/canvascfg.h"
#include "foundation/dbfeedback.h"
#include "foundation/printcfg.h"
#include "foundation/profile.h"
#include "foundation/settings.h"
#include "objects/libcfg.h"
#include "platform/application.h"
#include "platform/forms.h"
#include "platform/responder.h"
#include "shell/startconfigwnd.h"
#include "view/krzyzconf.h"
#include "view/viewcfg.h"

namespace {

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

  // Cancelling the profile choice ends the program here.
  if (!platform::Application().Terminated()) {
    if (platform::IsHeadless()) {
      std::fprintf(stderr, "Brak ekranu: okno konfiguracji nie zostanie pokazane.\n");
    } else {
      konfiguracja.ShowDialog([] { return platform::MakeForm<TStartConfigWnd>(); });
    }
  }
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
