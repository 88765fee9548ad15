#include "foundation/settings/printcfg.h"

#include <exception>

#include "foundation/settings/configdialogi.h"
#include "platform/files/codepage.h"
#include "platform/files/inifile.h"

namespace {

constexpr char kSectionFormatki[] = "Formatki";
constexpr char kSectionInne[] = "Inne";
constexpr char kKeyDetailPreview[] = "Dokładny podgląd";
constexpr char kKeyWindowsArcs[] = "Luki i okregi Windows";

std::vector<TFormatkaItem> CopyItems(const std::vector<TFormatkaItem>& items) {
  std::vector<TFormatkaItem> copy;
  copy.reserve(items.size());
  for (const TFormatkaItem& item : items)
    copy.push_back({item.Id, std::make_unique<TFormatkaPath>(item.Entry ? item.Entry->Path : "")});
  return copy;
}

}  // namespace

TPrintConf::TPrintConf(const TPrintConf& Source)
    : TParametryConf(Source),
      Formatki(CopyItems(Source.Formatki)),
      DetailPreview(Source.DetailPreview),
      SplitArcs(Source.SplitArcs) {}

std::unique_ptr<TParametryConf> TPrintConf::Clone() const { return std::make_unique<TPrintConf>(*this); }

void TPrintConf::Read(const platform::TIniFile& Ini) {
  Formatki.clear();
  for (std::string& id : Ini.ReadSection(kSectionFormatki)) {
    std::string path = Ini.ReadString(kSectionFormatki, id, "");
    Formatki.push_back({std::move(id), std::make_unique<TFormatkaPath>(std::move(path))});
  }
  DetailPreview = Ini.ReadBool(kSectionInne, kKeyDetailPreview, true);
  SplitArcs = !Ini.ReadBool(kSectionInne, kKeyWindowsArcs, true);
}

void TPrintConf::Write(platform::TIniFile& Ini) const {
  TWriteSteps steps;
  // A sheet frame deleted on the print page must not come back from the
  // file at the next start.
  steps.Run([&] {
    for (const std::string& key : Ini.ReadSection(kSectionFormatki))
      if (IndexOfFormatka(key) < 0) Ini.DeleteKey(kSectionFormatki, key);
  });
  for (const TFormatkaItem& item : Formatki)
    steps.Run([&] { Ini.WriteString(kSectionFormatki, item.Id, item.Entry ? item.Entry->Path : ""); });
  steps.Run([&] { Ini.WriteBool(kSectionInne, kKeyDetailPreview, DetailPreview); });
  steps.Run([&] { Ini.WriteBool("inne", kKeyWindowsArcs, !SplitArcs); });
  steps.Finish();
}

void TPrintConf::ToDialog(TConfigDialogBase& Dialog) const {
  auto* page = dynamic_cast<TPrintPageI*>(&Dialog);
  if (!page) return;
  // Copies: path edits and new identifiers reach the group only through
  // FromDialog, so cancelling the dialog leaves every entry as it was.
  page->SetFormatki(CopyItems(Formatki));
  if (!Formatki.empty()) page->SelectFormatka(0);
  page->SetDetailPreviewChecked(DetailPreview);
  page->SetForceArcDAChecked(SplitArcs);
}

void TPrintConf::FromDialog(TConfigDialogBase& Dialog) {
  auto* page = dynamic_cast<TPrintPageI*>(&Dialog);
  if (!page) return;
  std::vector<TFormatkaItem> items = page->TakeFormatki();
  for (TFormatkaItem& item : items)
    if (!item.Entry) item.Entry = std::make_unique<TFormatkaPath>("");
  Formatki = std::move(items);
  DetailPreview = page->DetailPreviewChecked();
  SplitArcs = page->ForceArcDAChecked();
}

int TPrintConf::IndexOfFormatka(std::string_view Id) const {
  for (std::size_t i = 0; i < Formatki.size(); ++i)
    if (platform::SameText(Formatki[i].Id, Id)) return static_cast<int>(i);
  return -1;
}

TPrintConf& PrintConf() {
  TGlobalnaKonfiguracja& global = GlobalnaKonfiguracja();
  if (TPrintConf* group = global.FindGroup<TPrintConf>()) return *group;
  return *global.GetGroup(std::make_unique<TPrintConf>());
}
