// Toolbar positions: a settings file of the input read into a form with four
// docks (one forbidding dragging) and four toolbars, as the main form reads
// its toolbars at start. Afterwards every dock's rows are numbered from 0
// without gaps, no toolbar overlaps the one before it in its row, and saving
// then loading the result again changes nothing.
//
// Input: the ini file.
#include <cstdint>
#include <memory>
#include <string>

#include "controls/dock.h"
#include "controls/toolbar.h"
#include "controls/toolbarbutton.h"
#include "controls/toolbarpos.h"
#include "controls/toolbarsep.h"
#include "fuzz_common.h"
#include "platform/files/inifile.h"
#include "platform/gui/forms.h"

namespace {

struct Form {
  std::unique_ptr<platform::TForm> form = platform::MakeForm<platform::TForm>();
  TDock* docks[4] = {};
  TToolbar* bars[4] = {};

  Form() {
    form->SetBounds(0, 0, 500, 400);
    const char* dockNames[] = {"DockTop", "DockBottom", "DockLeft", "DockLocked"};
    TDockPosition positions[] = {TDockPosition::dpTop, TDockPosition::dpBottom,
                                 TDockPosition::dpLeft, TDockPosition::dpRight};
    for (int i = 0; i < 4; ++i) {
      docks[i] = form->Create<TDock>(nullptr, dockNames[i]);
      docks[i]->SetPosition(positions[i]);
      docks[i]->SetParent(form.get());
    }
    docks[3]->SetAllowDrag(false);
    const char* barNames[] = {"Standard", "Edycja", "Pomiar", "Stale"};
    for (int i = 0; i < 4; ++i) {
      bars[i] = form->Create<TToolbar>(nullptr, barNames[i]);
      bars[i]->SetDockedTo(i == 2 ? nullptr : docks[i == 3 ? 3 : 0]);
      for (int k = 0; k < 4; ++k) {
        if (k == 2) {
          form->Create<TToolbarSep>(bars[i]);
        } else {
          form->Create<TToolbarButton>(bars[i]);
        }
      }
    }
  }
};

void CheckDocks(Form& f) {
  for (TDock* dock : f.docks) {
    int highest = dock->GetHighestRow();
    for (int row = 0; row <= highest; ++row) {
      int end = 0;
      bool used = false;
      for (TToolbar* bar : dock->DockList()) {
        if (bar->DockRow() != row) continue;
        used = true;
        fuzz::Check(bar->DockPos() >= end, "toolbars overlap in " + dock->Name());
        end = bar->DockPos() + (dock->Horizontal() ? bar->Width() : bar->Height());
      }
      fuzz::Check(used, "an empty row is left in " + dock->Name());
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Form* shared = new Form;  // lives to process end, as the main form does
  Form& f = *shared;
  const std::string path = fuzz::PutFile("tolvika.ini", data, size);
  LoadToolbarPositionsFromIni(*f.form, path);
  CheckDocks(f);
  const std::string first = fuzz::PathOf("first.ini");
  const std::string second = fuzz::PathOf("second.ini");
  std::filesystem::remove(first);
  std::filesystem::remove(second);
  SaveToolbarPositionsToIni(*f.form, first);
  LoadToolbarPositionsFromIni(*f.form, first);
  CheckDocks(f);
  SaveToolbarPositionsToIni(*f.form, second);
  platform::TIniFile a(first);
  platform::TIniFile b(second);
  for (TToolbar* bar : f.bars) {
    fuzz::Check(a.ReadSectionValues(bar->Name()) == b.ReadSectionValues(bar->Name()),
                "a saved position does not load back as saved: " + bar->Name());
  }
  return 0;
}
