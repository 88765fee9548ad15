// The library settings group: the names of the three definition files the
// drawing libraries read (symbols, line styles, generators) and the switch
// "Z baz" that lets the active layer catalogue answer symbol lookups.
//
// Ini section of the profile's settings file:
//   [Files]  LineDefs=<file>     LineDefs       (default "nk1l.lin")
//            SymbolDefs=<file>   SymbolDefs     (default "nk1.sym")
//            Generatory=<file>   GeneratorFile  (default "k1g.gen")
//            Z baz=1|0           FromBases      (default 1)
//
// A name without a folder is looked up in the program folder by the
// libraries. The symbol, line-style and generator libraries subscribe to the
// group's change notification: a changed file name retires them, and their
// next use reads the new file. The switch alone sends no notification, since
// it is read at every symbol lookup.
//
// GUI thread only. The global configuration owns the global group.
#pragma once

#include <memory>
#include <string>

#include "foundation/settings/configdialogi.h"
#include "foundation/settings/settings.h"

// The page of the settings dialog with the definition files: the edits
// LineDefs, SymbolDefs and GeneratorFile and the check box LocalEnabledCB
// ("Definicje z baz"). The settings dialog implements it.
class TLibraryPageI {
public:
  virtual ~TLibraryPageI() = default;

  virtual std::string LineDefsText() const = 0;
  virtual void SetLineDefsText(const std::string& Text) = 0;
  virtual std::string SymbolDefsText() const = 0;
  virtual void SetSymbolDefsText(const std::string& Text) = 0;
  virtual std::string GeneratorFileText() const = 0;
  virtual void SetGeneratorFileText(const std::string& Text) = 0;
  virtual bool LocalEnabledChecked() const = 0;
  virtual void SetLocalEnabledChecked(bool Checked) = 0;
};

class TSymbolLineManagerCfg : public TParametryConf {
public:
  static constexpr char kDefaultLineDefs[] = "nk1l.lin";
  static constexpr char kDefaultSymbolDefs[] = "nk1.sym";
  static constexpr char kDefaultGeneratorFile[] = "k1g.gen";

  TSymbolLineManagerCfg() = default;
  TSymbolLineManagerCfg(const TSymbolLineManagerCfg& Source);

  std::unique_ptr<TParametryConf> Clone() const override;
  // The four keys of "Files", each with its default when absent.
  void Read(const platform::TIniFile& Ini) override;
  // The four keys, in the order LineDefs, SymbolDefs, Generatory, Z baz.
  void Write(platform::TIniFile& Ini) const override;
  // Fills the library page; a dialog without it is left alone.
  void ToDialog(TConfigDialogBase& Dialog) const override;
  // Takes the page back. A changed file name stores all three names and
  // notifies the subscribers; the switch is stored without a notification.
  void FromDialog(TConfigDialogBase& Dialog) override;

  std::string LineDefs = kDefaultLineDefs;
  std::string SymbolDefs = kDefaultSymbolDefs;
  std::string GeneratorFile = kDefaultGeneratorFile;
  bool FromBases = true;
};

// The library settings group of the global configuration, registered (and so
// read from the settings file) on the first call.
TSymbolLineManagerCfg& SymbolLineManagerCfg();

// The path a library reads a definition file Name from: Name as written when
// it names a folder, else Name in the program folder.
std::string LibraryFilePath(const std::string& Name);
