// The settings window of the start-up: the pages of the settings groups that
// exist so far (display with the objects' colours and the cursor settings,
// the map window, the layers' auto-save, definition files, print) as tabs of one fixed-size dialog with OK and Anuluj below them. The main
// settings window of the application shell takes its place once it exists.
//
// GUI thread only; whoever makes the window owns it.
#pragma once

#include "shell/configdialog.h"

class TStartConfigWnd : public TConfigDialogI {
protected:
  void FormCreate() override;
};
