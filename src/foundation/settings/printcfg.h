// The print settings group: the sheet frames known to the program, each an
// identifier bound to the file that draws it (a template "*.for" or a
// program "*.exe", "*.bat"), and two switches of the print output.
//
// Ini sections of the profile's settings file:
//   [Formatki]  <identifier>=<path>           one key per sheet frame
//   [Inne]      Dokładny podgląd=1|0           DetailPreview (default 1)
//               Luki i okregi Windows=1|0      not SplitArcs (default 1)
//
// GUI thread only. The group owns its entries; the print page of the
// settings dialog works on copies, which the group adopts only when the
// dialog is confirmed.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/containers/object.h"
#include "foundation/settings/settings.h"

// The file of one sheet frame.
class TFormatkaPath : public TObject {
public:
  explicit TFormatkaPath(std::string Path) : Path(std::move(Path)) {}

  std::string Path;
};

// One sheet frame: its identifier and its entry (null only while the print
// page has it).
struct TFormatkaItem {
  std::string Id;
  std::unique_ptr<TFormatkaPath> Entry;
};

class TPrintConf : public TParametryConf {
public:
  // An empty list and both switches off, until Read.
  TPrintConf() = default;
  // Source's identifiers, each with a new entry of the same path, and its
  // switches.
  TPrintConf(const TPrintConf& Source);

  std::unique_ptr<TParametryConf> Clone() const override;
  void Read(const platform::TIniFile& Ini) override;
  // Writes every entry and both switches, and removes the keys of sheet
  // frames that are no longer in the list. An entry that cannot be written
  // does not stop the rest; the first error is raised after them.
  void Write(platform::TIniFile& Ini) const override;
  // Hands the print page copies of the entries and sets its check boxes.
  void ToDialog(TConfigDialogBase& Dialog) const override;
  // Takes the page's entries (and the ones it made for new identifiers) and
  // switches.
  void FromDialog(TConfigDialogBase& Dialog) override;

  // The index of an identifier (letter case ignored, as the settings file
  // does), -1 when absent.
  int IndexOfFormatka(std::string_view Id) const;

  std::vector<TFormatkaItem> Formatki;
  bool DetailPreview = false;
  // Arcs and circles are printed as segments.
  bool SplitArcs = false;
};

// The print settings group of the global configuration, registered (and so
// read from the settings file) on the first call.
TPrintConf& PrintConf();
