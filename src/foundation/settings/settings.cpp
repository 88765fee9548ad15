#include "foundation/settings/settings.h"

#include <utility>

#include "foundation/errors.h"
#include "foundation/settings/configdialogi.h"
#include "foundation/settings/profile.h"
#include "platform/files/inifile.h"
#include "platform/gui/dialogs.h"

namespace {

TSettingsMessageBox& MessageBoxSlot() {
  static TSettingsMessageBox box;
  return box;
}

void ShowSettingsMessage(const std::string& text, const std::string& caption) {
  try {
    if (MessageBoxSlot()) {
      MessageBoxSlot()(text, caption);
    } else {
      platform::MessageBox(text, caption, platform::MB_OK);
    }
  } catch (...) {
    // Showing the message is the last thing a failed save does; a failure
    // here must not end the program's orderly exit.
  }
}

std::unique_ptr<TGlobalnaKonfiguracja>& GlobalSlot() {
  // The message box is made first so that it outlives the configuration,
  // whose freeing may still need it.
  MessageBoxSlot();
  static std::unique_ptr<TGlobalnaKonfiguracja> global;
  return global;
}

}  // namespace

void SetSettingsMessageBox(TSettingsMessageBox Box) { MessageBoxSlot() = std::move(Box); }

// TParametryConf

TParametryConf::TParametryConf(const TParametryConf& /*Source*/) : TObject() {}

TParametryConf::~TParametryConf() {
  // Iteratively, so a long chain cannot exhaust the stack.
  while (Chain) Chain = std::move(Chain->Next);
}

void TParametryConf::BeforeAssign(TParametryConf* /*Source*/) {}

bool TParametryConf::AssignFrom(TParametryConf* /*Source*/) { return false; }

std::unique_ptr<TParametryConf> TParametryConf::Clone() const {
  if (typeid(*this) != typeid(TParametryConf))
    throw EInternalError(std::string("Clone not overridden in settings group ") +
                         typeid(*this).name());
  return std::make_unique<TParametryConf>(*this);
}

void TParametryConf::Read(const platform::TIniFile& /*Ini*/) {}

void TParametryConf::Write(platform::TIniFile& /*Ini*/) const {}

void TParametryConf::ToDialog(TConfigDialogBase& /*Dialog*/) const {}

void TParametryConf::FromDialog(TConfigDialogBase& /*Dialog*/) {}

void TParametryConf::AfterDialog() {}

void TParametryConf::AddChangeHandler(const TConfNotify& Changed, const TConfNotify& Changing) {
  if (!Changed) throw EInternalError("TParametryConf.AddChangeHandler: Changed not set");
  if (!FirstChanged) {
    FirstChanged = Changed;
    FirstChanging = Changing;
    return;
  }
  auto node = std::make_unique<Node>();
  node->Changed = Changed;
  node->Changing = Changing;
  node->Next = std::move(Chain);
  Chain = std::move(node);
}

void TParametryConf::RemoveChangeHandler(const TConfNotify& Changed) {
  if (!FirstChanged) return;
  // A subscription already removed during this notification is passed over,
  // so that a pair added twice and removed twice is gone both times.
  if (FirstLive() && SameMethod(FirstChanged, Changed)) {
    if (Flags & kNotifying) {
      Flags |= kFirstRemoved;
    } else {
      Promote();
    }
    return;
  }
  for (std::unique_ptr<Node>* link = &Chain; *link; link = &(*link)->Next) {
    Node* node = link->get();
    if (node->Removed || !SameMethod(node->Changed, Changed)) continue;
    if (Flags & kNotifying) {
      node->Removed = true;
      Flags |= kChainRemoved;
    } else {
      *link = std::move(node->Next);
    }
    return;
  }
}

void TParametryConf::NotifyChanging() { Notify(false); }

void TParametryConf::NotifyChanged() { Notify(true); }

void TParametryConf::Notify(bool Changed) {
  // Only the outermost notification clears the flag and purges, so a nested
  // one cannot free nodes under the walk of the outer one.
  struct Scope {
    TParametryConf& group;
    bool outer;
    ~Scope() {
      if (!outer) return;
      group.Flags &= static_cast<std::uint8_t>(~kNotifying);
      group.Purge();
    }
  } scope{*this, (Flags & kNotifying) == 0};
  Flags |= kNotifying;

  // Nodes added from now on go in front of this head, where this walk does
  // not see them; removed ones stay linked until the purge and are skipped.
  Node* head = Chain.get();
  if (FirstLive()) {
    TConfNotify call = Changed ? FirstChanged : FirstChanging;
    if (call) call(this);
  }
  for (Node* node = head; node; node = node->Next.get()) {
    if (node->Removed) continue;
    TConfNotify call = Changed ? node->Changed : node->Changing;
    if (call) call(this);
  }
}

void TParametryConf::Purge() {
  if (Flags & kChainRemoved) {
    std::unique_ptr<Node>* link = &Chain;
    while (*link) {
      if ((*link)->Removed) {
        *link = std::move((*link)->Next);
      } else {
        link = &(*link)->Next;
      }
    }
    Flags &= static_cast<std::uint8_t>(~kChainRemoved);
  }
  if (Flags & kFirstRemoved) {
    Promote();
    Flags &= static_cast<std::uint8_t>(~kFirstRemoved);
  }
}

void TParametryConf::Promote() {
  if (Chain) {
    FirstChanged = Chain->Changed;
    FirstChanging = Chain->Changing;
    Chain = std::move(Chain->Next);
  } else {
    FirstChanged = TConfNotify();
    FirstChanging = TConfNotify();
  }
}

void TParametryConf::GlobalChanging(TParametryConf* Sender) {
  NotifyChanging();
  BeforeAssign(Sender);
}

void TParametryConf::GlobalChanged(TParametryConf* Sender) {
  if (AssignFrom(Sender)) NotifyChanged();
}

void TParametryConf::CopySubscriptionsTo(TParametryConf& Dest) const {
  if (FirstLive()) Dest.AddChangeHandler(FirstChanged, FirstChanging);
  for (const Node* node = Chain.get(); node; node = node->Next.get())
    if (!node->Removed) Dest.AddChangeHandler(node->Changed, node->Changing);
}

int TParametryConf::SubscriptionCount() const {
  int count = FirstLive() ? 1 : 0;
  for (const Node* node = Chain.get(); node; node = node->Next.get())
    if (!node->Removed) ++count;
  return count;
}

// TKonfiguracja

TKonfiguracja::~TKonfiguracja() = default;

void TKonfiguracja::GroupAdded(TParametryConf* /*Group*/) {}

TParametryConf* TKonfiguracja::FindOwn(const std::type_info& GroupClass) const {
  for (std::int32_t i = 0; i < Groups.Count(); ++i) {
    TParametryConf* group = Group(i);
    if (typeid(*group) == GroupClass) return group;
  }
  return nullptr;
}

TParametryConf* TKonfiguracja::GetGroup(std::unique_ptr<TParametryConf> Prototype) {
  if (!Prototype) throw EInternalError("TKonfiguracja.GetGroup: no prototype");
  const TParametryConf& proto = *Prototype;
  if (TParametryConf* found = FindOwn(typeid(proto))) {
    Prototype->CopySubscriptionsTo(*found);
    return found;
  }
  TParametryConf* group = Prototype.get();
  Groups.Add(std::move(Prototype));
  GroupAdded(group);
  return group;
}

TParametryConf* TKonfiguracja::FindGroup(const std::type_info& GroupClass) const {
  return FindOwn(GroupClass);
}

bool TKonfiguracja::ShowDialog(const TConfigDialogClass& FormClass) {
  std::unique_ptr<TConfigDialogBase> dialog = FormClass();
  if (!dialog) throw EInternalError("TKonfiguracja.ShowDialog: no dialog");
  for (std::int32_t i = 0; i < Count(); ++i) Group(i)->ToDialog(*dialog);
  const bool confirmed = dialog->ExecuteModal();
  if (confirmed)
    for (std::int32_t i = 0; i < Count(); ++i) Group(i)->FromDialog(*dialog);
  for (std::int32_t i = 0; i < Count(); ++i) Group(i)->AfterDialog();
  return confirmed;
}

// TGlobalnaKonfiguracja

TGlobalnaKonfiguracja::TGlobalnaKonfiguracja() : TGlobalnaKonfiguracja(ChooseProfile().IniFile) {}

TGlobalnaKonfiguracja::TGlobalnaKonfiguracja(std::string_view IniFileName)
    : ini_(std::make_unique<platform::TIniFile>(IniFileName)) {}

TGlobalnaKonfiguracja::~TGlobalnaKonfiguracja() {
  Save();
  ini_.reset();
}

void TGlobalnaKonfiguracja::GroupAdded(TParametryConf* Group) { Group->Read(*ini_); }

void TGlobalnaKonfiguracja::Save() {
  // Every group gets its chance: one that cannot be written does not cost
  // the settings of the groups after it.
  bool failed = false;
  for (std::int32_t i = 0; i < Count(); ++i) {
    try {
      Group(i)->Write(*ini_);
    } catch (...) {
      failed = true;
    }
  }
  try {
    ini_->UpdateFile();
  } catch (...) {
    failed = true;
  }
  if (failed)
    ShowSettingsMessage(
        "Problem podczas zapisu do pliku " + ini_->FileName() + ". Np. Plik tylko do odczytu.",
        "Informacja");
}

// TLokalnaKonfiguracja

TLokalnaKonfiguracja::TLokalnaKonfiguracja() : TLokalnaKonfiguracja(GlobalnaKonfiguracja()) {}

TLokalnaKonfiguracja::TLokalnaKonfiguracja(TKonfiguracja& Global) : global_(&Global) {}

TLokalnaKonfiguracja::~TLokalnaKonfiguracja() {
  for (std::int32_t i = 0; i < Count(); ++i) {
    TParametryConf* local = Group(i);
    if (TParametryConf* global = global_->FindGroup(typeid(*local)))
      global->RemoveChangeHandler(TConfNotify(local, &TParametryConf::GlobalChanged));
  }
}

TParametryConf* TLokalnaKonfiguracja::GetGroup(std::unique_ptr<TParametryConf> Prototype) {
  if (!Prototype) throw EInternalError("TLokalnaKonfiguracja.GetGroup: no prototype");
  const TParametryConf& proto = *Prototype;
  const std::type_info& groupClass = typeid(proto);
  if (TParametryConf* own = FindOwn(groupClass)) {
    Prototype->CopySubscriptionsTo(*own);
    return own;
  }
  TParametryConf* global = global_->FindGroup(groupClass);
  std::unique_ptr<TParametryConf> local;
  if (!global) {
    global = global_->GetGroup(Prototype->Clone());
    local = std::move(Prototype);
    // The global group has just been read from the settings file; the copy
    // starts with those values rather than the prototype's defaults.
    local->AssignFrom(global);
  } else {
    local = global->Clone();
    Prototype->CopySubscriptionsTo(*local);
    Prototype.reset();
  }
  TParametryConf* result = TKonfiguracja::GetGroup(std::move(local));
  global->AddChangeHandler(TConfNotify(result, &TParametryConf::GlobalChanged),
                           TConfNotify(result, &TParametryConf::GlobalChanging));
  return result;
}

TParametryConf* TLokalnaKonfiguracja::FindGroup(const std::type_info& GroupClass) const {
  if (TParametryConf* own = FindOwn(GroupClass)) return own;
  return global_->FindGroup(GroupClass);
}

// The global configuration

TGlobalnaKonfiguracja& GlobalnaKonfiguracja() {
  std::unique_ptr<TGlobalnaKonfiguracja>& global = GlobalSlot();
  if (!global) global = std::make_unique<TGlobalnaKonfiguracja>();
  return *global;
}

void FreeGlobalnaKonfiguracja() { GlobalSlot().reset(); }

void SetGlobalnaKonfiguracja(std::unique_ptr<TGlobalnaKonfiguracja> Konfiguracja) {
  // The old one is freed (and saved) before the new one takes its place.
  GlobalSlot().reset();
  GlobalSlot() = std::move(Konfiguracja);
}
