// Settings groups and the configurations that hold them.
//
// TParametryConf is the base of every settings group: it reads and writes
// itself in the profile's settings file, fills its page of a settings dialog
// and takes it back, copies itself, and tells its subscribers when it
// changes. TKonfiguracja holds at most one group of each class.
// TGlobalnaKonfiguracja is bound to the settings file of the chosen profile:
// a group is read when it is first registered and every group is written when
// the configuration is freed. TLokalnaKonfiguracja (one per map view) holds
// clones of global groups, each subscribed to its global group so that it
// follows every change.
//
// Only the GUI thread uses groups and configurations; notifications are
// synchronous calls on that thread.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <typeinfo>

#include "foundation/containers/method.h"
#include "foundation/containers/object.h"
#include "foundation/containers/objlist.h"

namespace platform {
class TIniFile;
}
class TConfigDialogBase;
class TParametryConf;

// A change notification: called with the group that sends it (Sender).
using TConfNotify = TMethod<TParametryConf*>;

// Base of every settings group. A descendant adds its values, copies them in
// its copy constructor (the copying Create) and overrides Clone, Read, Write
// and the dialog operations it needs. Subscriptions are never copied.
// The group owns the nodes of its subscription chain, not the subscribers;
// a subscriber removes its subscription before it is freed.
class TParametryConf : public TObject {
public:
  TParametryConf() = default;
  // The copying constructor: starts with no subscriptions; a descendant
  // copies Source's values after this part.
  TParametryConf(const TParametryConf& Source);
  TParametryConf& operator=(const TParametryConf&) = delete;
  // Frees the chain without calling anyone.
  ~TParametryConf() override;

  // Called on a local copy before the global group changes. Base: nothing.
  virtual void BeforeAssign(TParametryConf* Source);
  // Called on a local copy after the global group changed: copies Source's
  // values and returns whether anything that matters to the copy's users
  // changed. Base: copies nothing and returns false.
  virtual bool AssignFrom(TParametryConf* Source);
  // A new group of the same class with the same values. Base: a plain
  // TParametryConf; a descendant that does not override it gets an
  // EInternalError rather than a copy of the wrong class.
  virtual std::unique_ptr<TParametryConf> Clone() const;
  // Reads the values from the sections the group names itself. Base: nothing.
  virtual void Read(const platform::TIniFile& Ini);
  // Writes them. Base: nothing.
  virtual void Write(platform::TIniFile& Ini) const;
  // Fills the group's controls on a settings dialog. Base: nothing.
  virtual void ToDialog(TConfigDialogBase& Dialog) const;
  // Takes them back after the user confirmed the dialog. Base: nothing.
  virtual void FromDialog(TConfigDialogBase& Dialog);
  // Called after the dialog closed, confirmed or not. Base: nothing.
  virtual void AfterDialog();

  // Subscribes. Changed must be set (else EInternalError), Changing may
  // be unset. Adding the same pair twice makes it called twice.
  void AddChangeHandler(const TConfNotify& Changed, const TConfNotify& Changing = {});
  // Unsubscribes the first subscription whose Changed equals the argument
  // and which is not already removed; nothing when there is none. During a
  // notification the subscription is taken out when the notification ends,
  // and it is not called again meanwhile.
  void RemoveChangeHandler(const TConfNotify& Changed);
  // Call every subscription's Changing (resp. Changed) with Sender = this:
  // the first subscription, then the chained ones from the newest to the
  // oldest.
  void NotifyChanging();
  void NotifyChanged();

  // What a local copy subscribes on its global group: GlobalChanging
  // notifies the copy's own subscribers, then BeforeAssign(Sender);
  // GlobalChanged notifies them when AssignFrom(Sender) reports a change.
  void GlobalChanging(TParametryConf* Sender);
  void GlobalChanged(TParametryConf* Sender);

  // Adds every live subscription of this group to Dest (first, then the
  // chain from its head); this group keeps its own.
  void CopySubscriptionsTo(TParametryConf& Dest) const;
  // Number of live subscriptions (removed ones not counted).
  int SubscriptionCount() const;

private:
  struct Node {
    TConfNotify Changed;
    TConfNotify Changing;
    std::unique_ptr<Node> Next;
    bool Removed = false;
  };
  enum : std::uint8_t {
    kNotifying = 0x01,      // a notification is being sent
    kFirstRemoved = 0x02,   // the first subscription was removed meanwhile
    kChainRemoved = 0x04,   // a chained subscription was marked removed
  };

  void Notify(bool Changed);
  void Purge();
  // The first subscription's place is taken by the chain's head (or emptied).
  void Promote();
  // Whether the first subscription is set and not removed meanwhile.
  bool FirstLive() const { return FirstChanged && (Flags & kFirstRemoved) == 0; }

  std::uint8_t Flags = 0;
  TConfNotify FirstChanged;
  TConfNotify FirstChanging;
  std::unique_ptr<Node> Chain;
};

// The steps of a group's Write: each step runs even when an earlier one
// failed, so that one value the file cannot hold does not cost the others;
// Finish raises the first error afterwards.
class TWriteSteps {
public:
  template <class Step>
  void Run(Step&& step) {
    try {
      step();
    } catch (...) {
      if (!firstError_) firstError_ = std::current_exception();
    }
  }
  void Finish() const {
    if (firstError_) std::rethrow_exception(firstError_);
  }

private:
  std::exception_ptr firstError_;
};

// A maker of a settings dialog (the dialog "class" ShowDialog creates).
using TConfigDialogClass = std::function<std::unique_ptr<TConfigDialogBase>()>;

// A set of settings groups, at most one of each class, owned in registration
// order and freed with the configuration.
class TKonfiguracja : public TObject {
public:
  TKonfiguracja() = default;
  TKonfiguracja(const TKonfiguracja&) = delete;
  TKonfiguracja& operator=(const TKonfiguracja&) = delete;
  ~TKonfiguracja() override;

  // Called after a group was appended. Base: nothing.
  virtual void GroupAdded(TParametryConf* Group);
  // Registers Prototype, or, when a group of exactly its class is there
  // already, moves Prototype's subscriptions to that group and frees
  // Prototype. Use the returned group from then on.
  virtual TParametryConf* GetGroup(std::unique_ptr<TParametryConf> Prototype);
  // The first group whose class is exactly GroupClass, or null.
  virtual TParametryConf* FindGroup(const std::type_info& GroupClass) const;

  template <class T>
  T* GetGroup(std::unique_ptr<T> Prototype) {
    return static_cast<T*>(GetGroup(std::unique_ptr<TParametryConf>(std::move(Prototype))));
  }
  template <class T>
  T* FindGroup() const {
    return static_cast<T*>(FindGroup(typeid(T)));
  }

  // Shows a modal settings dialog made by FormClass over every group: each
  // group fills it, takes it back when it was confirmed, and hears
  // AfterDialog either way. True when confirmed. The dialog is freed on
  // every path.
  bool ShowDialog(const TConfigDialogClass& FormClass);

  std::int32_t Count() const { return Groups.Count(); }
  TParametryConf* Group(std::int32_t Index) const { return Groups.ItemAs<TParametryConf>(Index); }

protected:
  // The group of exactly that class in this configuration's own list.
  TParametryConf* FindOwn(const std::type_info& GroupClass) const;

  TObjList Groups;
};

// The global configuration, bound to the settings file of the profile. It
// owns its ini file object and its groups; freeing it saves every group.
class TGlobalnaKonfiguracja : public TKonfiguracja {
public:
  // On the settings file of the chosen profile (ChooseProfile).
  TGlobalnaKonfiguracja();
  explicit TGlobalnaKonfiguracja(std::string_view IniFileName);
  // Saves, frees the ini file object, then the groups.
  ~TGlobalnaKonfiguracja() override;

  // Reads the new group from the settings file.
  void GroupAdded(TParametryConf* Group) override;
  // Writes every group into the ini file object, then the file once. A group
  // whose writing fails does not stop the others, and the file is written
  // with what the others wrote; one message box tells the user when a group
  // or the file failed. Never raises.
  void Save();

  platform::TIniFile& Ini() const { return *ini_; }

private:
  std::unique_ptr<platform::TIniFile> ini_;
};

// A view's local configuration: its groups are copies of global groups that
// take over every change of them. It owns its groups; the global
// configuration must outlive it.
class TLokalnaKonfiguracja : public TKonfiguracja {
public:
  // Bound to GlobalnaKonfiguracja().
  TLokalnaKonfiguracja();
  explicit TLokalnaKonfiguracja(TKonfiguracja& Global);
  // Unsubscribes every local group from its global group, then frees them.
  ~TLokalnaKonfiguracja() override;

  using TKonfiguracja::FindGroup;
  using TKonfiguracja::GetGroup;
  // The local copy of Prototype's class, made and subscribed on first use.
  // When the global configuration has no group of that class, a clone of
  // Prototype is registered there (and read) and Prototype becomes the copy,
  // taking over the values read (AssignFrom).
  TParametryConf* GetGroup(std::unique_ptr<TParametryConf> Prototype) override;
  // The local group of that class, else the global group itself, else null.
  TParametryConf* FindGroup(const std::type_info& GroupClass) const override;

private:
  TKonfiguracja* global_;
};

// The single global configuration, created on first use (which chooses the
// profile). GUI thread.
TGlobalnaKonfiguracja& GlobalnaKonfiguracja();
// The program's final clean-up: frees the global configuration, which saves
// every group. Nothing when there is none.
void FreeGlobalnaKonfiguracja();
// Puts Konfiguracja in place of the global configuration, freeing (and so
// saving) the one there; for start-up code and tests.
void SetGlobalnaKonfiguracja(std::unique_ptr<TGlobalnaKonfiguracja> Konfiguracja);

// How the settings code shows an information box (OK button, no icon).
// Unset (the default): the platform's message box. The shell must free the
// global configuration (FreeGlobalnaKonfiguracja) while the windowing system
// still runs, since a failed save shows this box.
using TSettingsMessageBox = std::function<void(const std::string& Text, const std::string& Caption)>;
void SetSettingsMessageBox(TSettingsMessageBox Box);
