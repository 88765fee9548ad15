#include "objects/libcfg.h"

#include "platform/files/inifile.h"
#include "platform/files/paths.h"
#include "platform/files/system.h"

namespace {

constexpr char kSection[] = "Files";
constexpr char kKeyLineDefs[] = "LineDefs";
constexpr char kKeySymbolDefs[] = "SymbolDefs";
constexpr char kKeyGeneratorFile[] = "Generatory";
constexpr char kKeyFromBases[] = "Z baz";

}  // namespace

TSymbolLineManagerCfg::TSymbolLineManagerCfg(const TSymbolLineManagerCfg& Source)
    : TParametryConf(Source),
      LineDefs(Source.LineDefs),
      SymbolDefs(Source.SymbolDefs),
      GeneratorFile(Source.GeneratorFile),
      FromBases(Source.FromBases) {}

std::unique_ptr<TParametryConf> TSymbolLineManagerCfg::Clone() const {
  return std::make_unique<TSymbolLineManagerCfg>(*this);
}

void TSymbolLineManagerCfg::Read(const platform::TIniFile& Ini) {
  LineDefs = Ini.ReadString(kSection, kKeyLineDefs, kDefaultLineDefs);
  SymbolDefs = Ini.ReadString(kSection, kKeySymbolDefs, kDefaultSymbolDefs);
  GeneratorFile = Ini.ReadString(kSection, kKeyGeneratorFile, kDefaultGeneratorFile);
  FromBases = Ini.ReadBool(kSection, kKeyFromBases, true);
}

void TSymbolLineManagerCfg::Write(platform::TIniFile& Ini) const {
  Ini.WriteString(kSection, kKeyLineDefs, LineDefs);
  Ini.WriteString(kSection, kKeySymbolDefs, SymbolDefs);
  Ini.WriteString(kSection, kKeyGeneratorFile, GeneratorFile);
  Ini.WriteBool(kSection, kKeyFromBases, FromBases);
}

void TSymbolLineManagerCfg::ToDialog(TConfigDialogBase& Dialog) const {
  auto* page = dynamic_cast<TLibraryPageI*>(&Dialog);
  if (!page) return;
  page->SetLineDefsText(LineDefs);
  page->SetSymbolDefsText(SymbolDefs);
  page->SetGeneratorFileText(GeneratorFile);
  page->SetLocalEnabledChecked(FromBases);
}

void TSymbolLineManagerCfg::FromDialog(TConfigDialogBase& Dialog) {
  auto* page = dynamic_cast<TLibraryPageI*>(&Dialog);
  if (!page) return;
  std::string lineDefs = page->LineDefsText();
  std::string symbolDefs = page->SymbolDefsText();
  std::string generatorFile = page->GeneratorFileText();
  FromBases = page->LocalEnabledChecked();
  if (lineDefs == LineDefs && symbolDefs == SymbolDefs && generatorFile == GeneratorFile) return;
  LineDefs = std::move(lineDefs);
  SymbolDefs = std::move(symbolDefs);
  GeneratorFile = std::move(generatorFile);
  NotifyChanged();
}

TSymbolLineManagerCfg& SymbolLineManagerCfg() {
  TGlobalnaKonfiguracja& global = GlobalnaKonfiguracja();
  if (auto* group = global.FindGroup<TSymbolLineManagerCfg>()) return *group;
  return *global.GetGroup(std::make_unique<TSymbolLineManagerCfg>());
}

std::string LibraryFilePath(const std::string& Name) {
  if (!platform::ExtractFileDir(platform::NormalizeSeparators(Name)).empty()) return Name;
  return platform::JoinPath(platform::ProgramFolder(), Name);
}
