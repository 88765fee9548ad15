// The settings dialogs as the settings groups see them.
//
// TConfigDialogBase is what a configuration shows and hands to every group's
// ToDialog and FromDialog; the real forms derive from it. A group finds the
// page it fills by asking the dialog for that page's interface
// (dynamic_cast); a dialog without the page is left alone.
// TPrintPageI is the print page (sheet frames and the two print switches).
//
// GUI thread only. The configuration that shows a dialog owns it.
#pragma once

#include <vector>

#include "foundation/settings/printcfg.h"

class TConfigDialogBase {
public:
  virtual ~TConfigDialogBase() = default;

  // Shows the dialog modally; true when the user confirmed it (OK).
  virtual bool ExecuteModal() = 0;
};

// The print page: the identifier list (prnFormatkaId) with the entry of each
// identifier, the path edit (prnFormatkaName) and the check boxes
// DetailPreviewCB and ForceArcDACB.
class TPrintPageI {
public:
  virtual ~TPrintPageI() = default;

  // The identifiers with their entries; the page owns them until they are
  // taken back, and edits them in place (an item may have no entry while the
  // page is open).
  virtual void SetFormatki(std::vector<TFormatkaItem> Items) = 0;
  // The identifiers with their entries as the page holds them now (the path
  // edit already stored into the selected entry); the page keeps none.
  virtual std::vector<TFormatkaItem> TakeFormatki() = 0;
  // Selects the identifier at Index and shows its path in the path edit.
  virtual void SelectFormatka(int Index) = 0;

  virtual bool DetailPreviewChecked() const = 0;
  virtual void SetDetailPreviewChecked(bool Checked) = 0;
  // "Rozkładać łuki i okręgi na odcinki".
  virtual bool ForceArcDAChecked() const = 0;
  virtual void SetForceArcDAChecked(bool Checked) = 0;
};
