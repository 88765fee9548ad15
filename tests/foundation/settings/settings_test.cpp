#include "foundation/settings/settings.h"

#include <sys/stat.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/settings/configdialogi.h"
#include "foundation/errors.h"
#include "platform/files/inifile.h"
#include "common/scratch_folder.h"

namespace {

// A dialog with one value field, the way a real page holds a control.
class FakeDialog : public TConfigDialogBase {
public:
  explicit FakeDialog(bool confirm, bool* freed = nullptr) : confirm_(confirm), freed_(freed) {}
  ~FakeDialog() override {
    if (freed_) *freed_ = true;
  }
  bool ExecuteModal() override {
    Value += Edit;
    return confirm_;
  }
  int Value = 0;  // what the group put there, plus the user's edit
  int Edit = 0;

private:
  bool confirm_;
  bool* freed_;
};

// A group with one number in section "Test" and a log of what was done to it.
class TTestConf : public TParametryConf {
public:
  TTestConf() = default;
  TTestConf(const TTestConf& Source) : TParametryConf(Source), Value(Source.Value), Name(Source.Name) {}
  std::unique_ptr<TParametryConf> Clone() const override { return std::make_unique<TTestConf>(*this); }

  bool AssignFrom(TParametryConf* Source) override {
    auto* source = static_cast<TTestConf*>(Source);
    const bool changed = source->Value != Value;
    Value = source->Value;
    Name = source->Name;
    return changed;
  }
  void Read(const platform::TIniFile& Ini) override {
    ++Reads;
    Value = Ini.ReadInteger("Test", "Wartość", 7);
    Name = Ini.ReadString("Test", "Nazwa", "brak");
  }
  void Write(platform::TIniFile& Ini) const override {
    if (FailWrite) throw platform::EIniFileError("zapis nieudany");
    Ini.WriteInteger("Test", "Wartość", Value);
    Ini.WriteString("Test", "Nazwa", Name);
  }
  void ToDialog(TConfigDialogBase& Dialog) const override {
    if (FailToDialog) throw std::runtime_error("strona nieznana");
    Log->push_back("To" + Tag);
    static_cast<FakeDialog&>(Dialog).Value = Value;
  }
  void FromDialog(TConfigDialogBase& Dialog) override {
    Log->push_back("From" + Tag);
    const int value = static_cast<FakeDialog&>(Dialog).Value;
    if (value == Value) return;
    NotifyChanging();
    Value = value;
    NotifyChanged();
  }
  void AfterDialog() override { Log->push_back("After" + Tag); }

  int Value = 0;
  std::string Name;
  int Reads = 0;
  bool FailWrite = false;
  bool FailToDialog = false;
  std::string Tag = "A";
  std::vector<std::string>* Log = &ownLog;

private:
  std::vector<std::string> ownLog;
};

class TDerivedConf : public TTestConf {
public:
  std::unique_ptr<TParametryConf> Clone() const override { return std::make_unique<TDerivedConf>(*this); }
};

class TOtherConf : public TTestConf {
public:
  TOtherConf() { Tag = "B"; }
  std::unique_ptr<TParametryConf> Clone() const override { return std::make_unique<TOtherConf>(*this); }
  void Read(const platform::TIniFile& Ini) override { Value = Ini.ReadInteger("Inny", "Wartość", 3); }
  void Write(platform::TIniFile& Ini) const override { Ini.WriteInteger("Inny", "Wartość", Value); }
};

// A subscriber that records its calls in a shared log under its name.
struct Listener {
  std::string name;
  std::vector<std::string>* log;
  std::function<void(TParametryConf*)> onChanged;

  void Changed(TParametryConf* /*Sender*/) {
    log->push_back(name);
    if (onChanged) onChanged(nullptr);
  }
  void Changing(TParametryConf* /*Sender*/) { log->push_back(name + "?"); }
  TConfNotify OnChanged() { return TConfNotify(this, &Listener::Changed); }
  TConfNotify OnChanging() { return TConfNotify(this, &Listener::Changing); }
};

class SubscriptionTest : public ::testing::Test {
protected:
  Listener& Make(const std::string& name) {
    listeners.push_back(std::make_unique<Listener>(Listener{name, &log, {}}));
    return *listeners.back();
  }
  // A listener whose change handler is subscribed at once.
  Listener& Subscribed(const std::string& name) {
    Listener& l = Make(name);
    group.AddChangeHandler(l.OnChanged());
    return l;
  }
  std::vector<std::string> Notified() {
    log.clear();
    group.NotifyChanged();
    return log;
  }

  TTestConf group;
  std::vector<std::string> log;
  std::vector<std::unique_ptr<Listener>> listeners;
};

using Names = std::vector<std::string>;

TEST_F(SubscriptionTest, FirstThenChainFromNewestAndChangingOnlyWhereSet) {
  Listener& a = Make("a");
  Listener& b = Make("b");
  Listener& c = Make("c");
  group.AddChangeHandler(a.OnChanged(), a.OnChanging());
  group.AddChangeHandler(b.OnChanged());
  group.AddChangeHandler(c.OnChanged(), c.OnChanging());
  group.AddChangeHandler(c.OnChanged(), c.OnChanging());  // twice: called twice
  EXPECT_EQ(Notified(), (Names{"a", "c", "c", "b"}));
  log.clear();
  group.NotifyChanging();
  EXPECT_EQ(log, (Names{"a?", "c?", "c?"}));
  EXPECT_THROW(group.AddChangeHandler(TConfNotify()), EInternalError);
}

TEST_F(SubscriptionTest, RemovalOutsideNotification) {
  Listener& a = Subscribed("a");
  Listener& b = Subscribed("b");
  Listener& c = Subscribed("c");
  Listener& stranger = Make("x");

  group.RemoveChangeHandler(stranger.OnChanged());
  EXPECT_EQ(Notified(), (Names{"a", "c", "b"}));

  // The newest chained subscription takes the first place.
  group.RemoveChangeHandler(a.OnChanged());
  EXPECT_EQ(Notified(), (Names{"c", "b"}));
  group.RemoveChangeHandler(b.OnChanged());
  group.RemoveChangeHandler(c.OnChanged());
  EXPECT_EQ(group.SubscriptionCount(), 0);
  EXPECT_EQ(Notified(), Names{});
  group.AddChangeHandler(b.OnChanged());
  EXPECT_EQ(Notified(), Names{"b"});
}

TEST_F(SubscriptionTest, SelfRemovalDuringNotificationWaitsForItsEnd) {
  Listener& a = Subscribed("a");
  Subscribed("b");
  Listener& c = Subscribed("c");
  Listener& d = Make("d");
  // a leaves and d joins during one notification; d goes to the head of the
  // chain, which the running walk no longer sees.
  a.onChanged = [&](TParametryConf*) {
    group.RemoveChangeHandler(a.OnChanged());
    group.AddChangeHandler(d.OnChanged());
  };
  c.onChanged = [&](TParametryConf*) { group.RemoveChangeHandler(c.OnChanged()); };
  EXPECT_EQ(Notified(), (Names{"a", "c", "b"}));
  a.onChanged = nullptr;
  // a's place went to the chain's head after the purge: d.
  EXPECT_EQ(Notified(), (Names{"d", "b"}));
  EXPECT_EQ(group.SubscriptionCount(), 2);
}

TEST_F(SubscriptionTest, SubscriberRemovedDuringNotificationIsNotCalledLater) {
  Subscribed("a");
  Listener& b = Subscribed("b");
  Listener& c = Subscribed("c");
  // c (called before b) frees b: b must not be called by this walk either.
  c.onChanged = [&](TParametryConf*) { group.RemoveChangeHandler(b.OnChanged()); };
  EXPECT_EQ(Notified(), (Names{"a", "c"}));
  EXPECT_EQ(Notified(), (Names{"a", "c"}));
}

TEST_F(SubscriptionTest, PairAddedTwiceAndRemovedTwiceDuringNotificationIsGone) {
  Listener& a = Make("a");
  Listener& b = Make("b");
  group.AddChangeHandler(a.OnChanged());
  group.AddChangeHandler(a.OnChanged());
  group.AddChangeHandler(b.OnChanged());
  b.onChanged = [&](TParametryConf*) {
    group.RemoveChangeHandler(a.OnChanged());
    group.RemoveChangeHandler(a.OnChanged());
  };
  EXPECT_EQ(Notified(), (Names{"a", "b"}));
  EXPECT_EQ(group.SubscriptionCount(), 1);
  EXPECT_EQ(Notified(), (Names{"b"}));
}

TEST_F(SubscriptionTest, NotificationThatThrowsStillEndsAndPurges) {
  Listener& a = Subscribed("a");
  Listener& b = Subscribed("b");
  b.onChanged = [&](TParametryConf*) {
    group.RemoveChangeHandler(a.OnChanged());
    throw std::runtime_error("subscriber failed");
  };
  EXPECT_THROW(group.NotifyChanged(), std::runtime_error);
  b.onChanged = nullptr;
  // The removal took effect and a later removal is not deferred any more.
  EXPECT_EQ(Notified(), (Names{"b"}));
  group.RemoveChangeHandler(b.OnChanged());
  EXPECT_EQ(group.SubscriptionCount(), 0);
}

TEST_F(SubscriptionTest, NestedNotificationDoesNotFreeNodesUnderTheOuterWalk) {
  Subscribed("a");
  Subscribed("b");
  Listener& c = Subscribed("c");
  bool nested = false;
  c.onChanged = [&](TParametryConf*) {
    group.RemoveChangeHandler(c.OnChanged());
    if (!nested) {
      nested = true;
      group.NotifyChanged();
    }
  };
  EXPECT_EQ(Notified(), (Names{"a", "c", "a", "b", "b"}));
  EXPECT_EQ(Notified(), (Names{"a", "b"}));
}

TEST(ParametryConfTest, CloneCopiesValuesNotSubscriptions) {
  TTestConf group;
  group.Value = 5;
  Listener l{"l", nullptr, {}};
  group.AddChangeHandler(l.OnChanged());
  std::unique_ptr<TParametryConf> copy = group.Clone();
  ASSERT_EQ(typeid(*copy), typeid(TTestConf));
  EXPECT_EQ(static_cast<TTestConf&>(*copy).Value, 5);
  EXPECT_EQ(copy->SubscriptionCount(), 0);

  // A descendant that forgot Clone gets an error, not a copy of the base.
  class TNoClone : public TParametryConf {};
  TNoClone noClone;
  EXPECT_THROW(noClone.Clone(), EInternalError);
}

class KonfiguracjaTest : public ::testing::Test {
protected:
  void SetUp() override { SetSettingsMessageBox([this](const std::string& text, const std::string& caption) {
      boxes.push_back(caption + ": " + text);
    });
  }
  void TearDown() override { SetSettingsMessageBox(nullptr); }

  std::string IniPath() const { return folder / "tolvika.ini"; }

  ScratchFolder folder;
  std::vector<std::string> boxes;
};

TEST_F(KonfiguracjaTest, GroupIsReadOnceAndASecondPrototypeOnlyAddsItsSubscription) {
  // Section and key names in other letter case, values in code page 1250.
  folder.Put("tolvika.ini", "[TEST]\r\nwarto\x8c\xc6=12\r\nNazwa=\xa3\xf3\x64\x9f\r\n");
  TGlobalnaKonfiguracja global(IniPath());
  auto first = std::make_unique<TTestConf>();
  TTestConf* registered = global.GetGroup(std::move(first));
  EXPECT_EQ(registered->Reads, 1);
  EXPECT_EQ(registered->Value, 12);
  EXPECT_EQ(registered->Name, "Łódź");

  std::vector<std::string> log;
  Listener l{"l", &log, {}};
  auto second = std::make_unique<TTestConf>();
  second->AddChangeHandler(l.OnChanged());
  EXPECT_EQ(global.GetGroup(std::move(second)), registered);
  EXPECT_EQ(registered->Reads, 1);
  EXPECT_EQ(global.Count(), 1);
  registered->NotifyChanged();
  EXPECT_EQ(log, Names{"l"});
  registered->RemoveChangeHandler(l.OnChanged());

  EXPECT_EQ(global.FindGroup<TTestConf>(), registered);
  EXPECT_EQ(global.FindGroup<TDerivedConf>(), nullptr);
  global.GetGroup(std::make_unique<TDerivedConf>());
  EXPECT_EQ(global.FindGroup<TTestConf>(), registered);
  EXPECT_NE(global.FindGroup<TDerivedConf>(), nullptr);
  EXPECT_EQ(global.FindGroup(typeid(TParametryConf)), nullptr);
}

TEST_F(KonfiguracjaTest, AbsentOrBadValuesReadAsDefaults) {
  folder.Put("tolvika.ini", "[Test]\r\nWartość=12x\r\n");
  TGlobalnaKonfiguracja global(IniPath());
  TTestConf* group = global.GetGroup(std::make_unique<TTestConf>());
  EXPECT_EQ(group->Value, 7);
  EXPECT_EQ(group->Name, "brak");
}

TEST_F(KonfiguracjaTest, FreeingTheGlobalConfigurationWritesEveryGroupInCodePage1250) {
  {
    TGlobalnaKonfiguracja global(IniPath());
    TTestConf* group = global.GetGroup(std::make_unique<TTestConf>());
    group->Value = 42;
    group->Name = "Żółw";
    global.GetGroup(std::make_unique<TOtherConf>())->Value = 9;
  }
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(ScratchFolder::Get(IniPath()),
            "[Test]\r\nWarto\x9c\xe6=42\r\nNazwa=\xaf\xf3\xb3w\r\n\r\n[Inny]\r\nWarto\x9c\xe6=9\r\n");
}

TEST_F(KonfiguracjaTest, WriteFailureStillWritesLaterGroupsAndShowsOneBox) {
  {
    TGlobalnaKonfiguracja global(IniPath());
    TTestConf* failing = global.GetGroup(std::make_unique<TTestConf>());
    failing->FailWrite = true;
    global.GetGroup(std::make_unique<TOtherConf>())->Value = 9;
  }
  EXPECT_EQ(boxes, Names{"Informacja: Problem podczas zapisu do pliku " + IniPath() +
                         ". Np. Plik tylko do odczytu."});
  platform::TIniFile ini(IniPath());
  EXPECT_EQ(ini.ReadInteger("Inny", "Wartość", 0), 9);
}

TEST_F(KonfiguracjaTest, UnwritableSettingsFileGivesExactlyOneBox) {
  const std::string path = folder / "brak/tolvika.ini";
  {
    TGlobalnaKonfiguracja global(path);
    global.GetGroup(std::make_unique<TTestConf>());
    global.GetGroup(std::make_unique<TOtherConf>());
  }
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Informacja: Problem podczas zapisu do pliku " + path + ". Np. Plik tylko do odczytu.");
}

// A text and a number, built piece by piece (Numbered("k", i) draws a
// false overlap warning from g++ 12 in release builds).
std::string Numbered(const char* text, int i) {
  std::string result = text;
  result += std::to_string(i);
  return result;
}

// A group with many keys, as the program writes about two hundred at its end.
class TManyConf : public TTestConf {
public:
  std::unique_ptr<TParametryConf> Clone() const override { return std::make_unique<TManyConf>(*this); }
  void Read(const platform::TIniFile&) override {}
  void Write(platform::TIniFile& Ini) const override {
    for (int i = 0; i < 200; ++i) Ini.WriteInteger("Wiele", Numbered("k", i), Value + i);
  }
};

// Every key written used to replace and flush the whole settings file.
TEST_F(KonfiguracjaTest, SaveReplacesTheSettingsFileOnceForAllItsKeys) {
  {
    TGlobalnaKonfiguracja global(IniPath());
    global.GetGroup(std::make_unique<TManyConf>())->Value = 1000;
    global.GetGroup(std::make_unique<TOtherConf>())->Value = 9;
    global.Save();
    EXPECT_EQ(global.Ini().FileReplacements(), 1u);
    platform::TIniFile reader(IniPath());
    for (int i = 0; i < 200; ++i) EXPECT_EQ(reader.ReadInteger("Wiele", Numbered("k", i), 0), 1000 + i);
    EXPECT_EQ(reader.ReadInteger("Inny", "Wartość", 0), 9);
    global.Save();  // nothing changed since: the file is left alone
    EXPECT_EQ(global.Ini().FileReplacements(), 1u);
  }
  EXPECT_TRUE(boxes.empty());
}

TEST_F(KonfiguracjaTest, FailedReplacementOfTheFileIsReportedOnce) {
  folder.Put("tolvika.ini", "[Test]\r\nWartość=12\r\n");
  ::chmod(IniPath().c_str(), 0444);
  {
    TGlobalnaKonfiguracja global(IniPath());
    global.GetGroup(std::make_unique<TTestConf>())->Value = 13;
    global.Save();
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(global.Ini().FileReplacements(), 0u);
  }
  EXPECT_EQ(boxes.size(), 2u);  // the save at the end tries again and says so again
  EXPECT_EQ(ScratchFolder::Get(IniPath()), "[Test]\r\nWartość=12\r\n");
  ::chmod(IniPath().c_str(), 0644);
}

// A value read with a stray carriage return ("\r\r\n" line ends) was refused
// when written back: the box came up at every end, the number read as its
// default and was written so, and the keys after it were not written.
TEST_F(KonfiguracjaTest, StrayCarriageReturnsInTheSettingsFileDoNotStopTheSave) {
  folder.Put("tolvika.ini", "[Test]\r\nWarto\x9c\xe6=12\r\r\nNazwa=\xa3\xf3\x64\x9f\r\r\n");
  {
    TGlobalnaKonfiguracja global(IniPath());
    TTestConf* group = global.GetGroup(std::make_unique<TTestConf>());
    EXPECT_EQ(group->Value, 12);
    EXPECT_EQ(group->Name, "Łódź");
    global.GetGroup(std::make_unique<TOtherConf>())->Value = 4;
  }
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(ScratchFolder::Get(IniPath()),
            "[Test]\r\nWarto\x9c\xe6=12\r\nNazwa=\xa3\xf3\x64\x9f\r\n\r\n[Inny]\r\nWarto\x9c\xe6=4\r\n");
}

TEST_F(KonfiguracjaTest, ShowDialogFillsTakesBackOnOkAndAlwaysEnds) {
  TGlobalnaKonfiguracja global(IniPath());
  std::vector<std::string> log;
  TTestConf* a = global.GetGroup(std::make_unique<TTestConf>());
  TOtherConf* b = global.GetGroup(std::make_unique<TOtherConf>());
  a->Log = &log;
  b->Log = &log;

  bool freed = false;
  EXPECT_FALSE(global.ShowDialog([&] { return std::make_unique<FakeDialog>(false, &freed); }));
  EXPECT_TRUE(freed);
  EXPECT_EQ(log, (Names{"ToA", "ToB", "AfterA", "AfterB"}));

  log.clear();
  EXPECT_TRUE(global.ShowDialog([&] { return std::make_unique<FakeDialog>(true); }));
  EXPECT_EQ(log, (Names{"ToA", "ToB", "FromA", "FromB", "AfterA", "AfterB"}));

  // A group that fails while filling the dialog: the dialog is still freed.
  freed = false;
  b->FailToDialog = true;
  EXPECT_THROW(global.ShowDialog([&] { return std::make_unique<FakeDialog>(true, &freed); }),
               std::runtime_error);
  EXPECT_TRUE(freed);
}

class LokalnaKonfiguracjaTest : public KonfiguracjaTest {};

TEST_F(LokalnaKonfiguracjaTest, LocalCopyMadeBeforeTheGlobalGroupTakesTheFileValues) {
  folder.Put("tolvika.ini", "[Test]\r\nWarto\x9c\xe6=12\r\n");
  TGlobalnaKonfiguracja global(IniPath());
  TLokalnaKonfiguracja local(global);
  auto prototype = std::make_unique<TTestConf>();
  prototype->Value = 1;
  TTestConf* raw = prototype.get();
  TTestConf* copy = local.GetGroup(std::move(prototype));
  EXPECT_EQ(copy, raw);
  EXPECT_EQ(copy->Value, 12);

  auto* original = global.FindGroup<TTestConf>();
  ASSERT_NE(original, nullptr);
  EXPECT_NE(original, copy);
  EXPECT_EQ(original->Value, 12);
  EXPECT_EQ(original->Reads, 1);
  EXPECT_EQ(local.FindGroup<TTestConf>(), copy);
  // A class the view has no copy of is answered by the global group itself.
  TOtherConf* other = global.GetGroup(std::make_unique<TOtherConf>());
  EXPECT_EQ(local.FindGroup<TOtherConf>(), other);
  EXPECT_EQ(local.FindGroup<TDerivedConf>(), nullptr);
}

TEST_F(LokalnaKonfiguracjaTest, CopyFollowsTheGlobalGroupChangedThroughTheDialog) {
  TGlobalnaKonfiguracja global(IniPath());
  TTestConf* original = global.GetGroup(std::make_unique<TTestConf>());
  original->Value = 5;
  TLokalnaKonfiguracja local(global);
  std::vector<std::string> log;
  Listener view{"view", &log, {}};
  auto prototype = std::make_unique<TTestConf>();
  prototype->AddChangeHandler(view.OnChanged(), view.OnChanging());
  TTestConf* copy = local.GetGroup(std::move(prototype));
  EXPECT_EQ(copy->Value, 5);  // the current global values

  auto edited = [](int edit) {
    return [edit] {
      auto dialog = std::make_unique<FakeDialog>(true);
      dialog->Edit = edit;
      return dialog;
    };
  };
  ASSERT_TRUE(global.ShowDialog(edited(3)));
  EXPECT_EQ(original->Value, 8);
  EXPECT_EQ(copy->Value, 8);
  EXPECT_EQ(log, (Names{"view?", "view"}));

  // Asking again gives the same copy and adds the new subscriber to it.
  Listener second{"second", &log, {}};
  auto again = std::make_unique<TTestConf>();
  again->AddChangeHandler(second.OnChanged());
  EXPECT_EQ(local.GetGroup(std::move(again)), copy);

  // A change the copy reports as none: its subscribers hear only Changing.
  log.clear();
  original->NotifyChanging();
  original->NotifyChanged();
  EXPECT_EQ(log, (Names{"view?"}));
  copy->RemoveChangeHandler(view.OnChanged());
  copy->RemoveChangeHandler(second.OnChanged());
}

TEST_F(LokalnaKonfiguracjaTest, FreeingTheLocalConfigurationUnsubscribesItsCopies) {
  TGlobalnaKonfiguracja global(IniPath());
  TTestConf* original = global.GetGroup(std::make_unique<TTestConf>());
  {
    TLokalnaKonfiguracja one(global);
    TLokalnaKonfiguracja two(global);
    one.GetGroup(std::make_unique<TTestConf>());
    two.GetGroup(std::make_unique<TTestConf>());
    EXPECT_EQ(original->SubscriptionCount(), 2);
  }
  EXPECT_EQ(original->SubscriptionCount(), 0);
  original->NotifyChanged();
}

TEST_F(LokalnaKonfiguracjaTest, ViewFreedDuringTheGlobalNotificationIsNotCalled) {
  TGlobalnaKonfiguracja global(IniPath());
  TTestConf* original = global.GetGroup(std::make_unique<TTestConf>());
  // The first subscriber closes the view, whose copy (subscribed after it)
  // must not be called once freed.
  std::vector<std::string> log;
  Listener closer{"closer", &log, {}};
  std::unique_ptr<TLokalnaKonfiguracja> view;
  closer.onChanged = [&](TParametryConf*) { view.reset(); };
  original->AddChangeHandler(closer.OnChanged());
  view = std::make_unique<TLokalnaKonfiguracja>(global);
  view->GetGroup(std::make_unique<TTestConf>());
  original->Value = 1;
  original->NotifyChanged();
  EXPECT_EQ(log, Names{"closer"});
  EXPECT_EQ(original->SubscriptionCount(), 1);
  original->RemoveChangeHandler(closer.OnChanged());
}

}  // namespace
