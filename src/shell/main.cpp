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
#include "shell/configdialog.h"

namespace {

// The configuration window of this stage: the pages of the groups that
// exist (display with objects, definition files, print), as tabs. The main
// settings window of the shell takes its place.
class TStartConfigWnd : public TConfigDialogI {
protected:
  void FormCreate() override {
    TConfigDialogI::FormCreate();
    SetBounds(0, 0, 448, 540);
    Pages->SetBounds(0, 0, 440, 452);
    Pages->Show();
    WyswietlanieP->SetParent(WyswietlanieS);
    Obiekty->SetParent(WyswietlanieS);
    WyswietlanieS->SetCaption("Wyświetlanie");
    InneS->SetCaption("Definicje");
    PrintS->SetCaption("Wydruk");
    for (platform::TTabSheet* sheet : {ObiektyS, OknoS, OgolneS, Digitizer, DigitizerKeys})
      sheet->SetTabVisible(false);
    for (platform::TPanel* panel : {WyswietlanieP, Obiekty, InneP, PrintP}) panel->Show();
    Pages->SetActivePage(WyswietlanieS);
    for (platform::TBitBtn* button : {BitBtn1, BitBtn2}) button->SetTop(464);
  }
};

int Run() {
  platform::EnsureApplication();
  InstallDBFeedback();
  ChooseProfile();

  TGlobalnaKonfiguracja& konfiguracja = GlobalnaKonfiguracja();
  konfiguracja.GetGroup(std::make_unique<TCanvasCfg>());
  PrintConf();
  SymbolLineManagerCfg();

  // Cancelling the profile choice ends the program here.
  if (!platform::Application().Terminated()) {
    if (platform::IsHeadless()) {
      std::printf("Brak ekranu: okno konfiguracji nie zostanie pokazane.\n");
    } else {
      konfiguracja.ShowDialog([] { return platform::MakeForm<TStartConfigWnd>(); });
    }
  }
  FreeGlobalnaKonfiguracja();
  ClearProfile();
  return 0;
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
