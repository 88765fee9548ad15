// Layers, catalogues and the root on the example database set: the tree a
// view builds, whole and windowed loads, historical loads, a walk over the
// sublayers, fetched objects, sublayers added by another process, new layer
// files, added and deleted sublayers, deleted layers, header edits, and the
// read-only cases.
#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/peer_process.h"
#include "foundation/threads/cancel.h"
#include "foundation/text/datetime.h"
#include "layers/store/dberrors.h"
#include "layers/dialogs/layerdlg.h"
#include "layers/store/layerquery.h"
#include "layers/store/layerstats.h"
#include "layers/dialogs/sublayerdlg.h"
#include "layers/tree/tree_fixture.h"
#include "platform/gui/controls_grids.h"
#include "platform/gui/controls_std.h"
#include "platform/files/paths.h"
#include "platform/files/faultinject.h"
#include "platform/gui/responder.h"

namespace {

namespace fs = std::filesystem;
using platform::TForm;
using platform::TScriptedResponder;

void Fail(const std::string& failure) { ADD_FAILURE() << failure; }

// The sheet of the example set, with a margin.
const TRealRect kSheet{5601100, 5823400, 5602000, 5824100};

TPackedDateTime Date(int year, int month, int day) {
  TPackedDateTime d = 0;
  PackDateTime(d, TDateTimeRec{static_cast<std::uint16_t>(year), static_cast<std::uint16_t>(month),
                               static_cast<std::uint16_t>(day), 12, 0, 0});
  return d;
}

// Loads every node it visits (a sublayer hands the load to its layer).
class TLoadEvery : public TUpdateWarstwa {
 public:
  TLoadEvery() : TUpdateWarstwa(0) {}
  void Update(TWarstwaOgolna& Node) override {
    Node.Load(nullptr, nullptr);
    ++Visited;
  }
  int Visited = 0;
};

// Read calls made on files whose path holds Name while F runs.
template <class F>
std::uint32_t ReadsOf(const std::string& name, F f) {
  platform::FaultScope count({platform::FaultOp::Read, 1000000000u, false, name});
  f();
  return platform::FaultCalls();
}

using LayerTreeTest = ExampleTreeTest;

// The full path of a layer's file.
std::string PathOf(const TWarstwa& layer) {
  return platform::NormalizeSeparators(fs::current_path().string() + "/" + layer.FileHandle->Path());
}

// Another process (another workstation) writes sublayer Number named Name
// into the layer's file.
void AddSublayerFromPeer(const TWarstwa& layer, int number, const std::string& name) {
  PeerProcess peer(HELPER_LAYERPEER);
  ASSERT_EQ(peer.Ask("open " + PathOf(layer) + " 1"), "ok 0");
  ASSERT_EQ(peer.Ask("sublayer " + std::to_string(number) + " " + name), "ok 0");
  ASSERT_EQ(peer.Ask("close"), "ok 0");
}

TEST_F(LayerTreeTest, BuildsOneCatalogueADisplayNameAndOneLayerAFile) {
  EXPECT_EQ(root_->Name, "Przyklad");
  ASSERT_EQ(root_->GetCount(), 2);
  TKatalogWarstw* ewid = Catalogue("Ewidencja");
  TKatalogWarstw* syt = Catalogue("Sytuacja");
  ASSERT_NE(ewid, nullptr);
  ASSERT_NE(syt, nullptr);
  EXPECT_EQ(ewid->GetCount(), 4);
  EXPECT_EQ(syt->GetCount(), 5);
  EXPECT_EQ(platform::NormalizeSeparators(ewid->GetDirectory()), "mapa/ewid/");
  // Loaded and visible from the start; its layers load on demand.
  EXPECT_TRUE(ewid->HasFlag(kNodeLoaded));
  EXPECT_TRUE(ewid->IsVisible());

  struct Expected {
    const char* name;
    int kind;
    int number;
  };
  for (const Expected& e : {Expected{"DZIALKI", 1, 1}, Expected{"BUDYNKI", 1, 2}, Expected{"PUNKTY", 1, 3},
                            Expected{"NUMERY", 0, 4}, Expected{"DROGI", 1, 11}, Expected{"SYTUACJA", 1, 12},
                            Expected{"UZBROJ", 1, 13}, Expected{"OPISY", 0, 14}}) {
    SCOPED_TRACE(e.name);
    TWarstwa* layer = Layer(e.name);
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(layer->Kind, e.kind);
    EXPECT_EQ(layer->LayerNumber, e.number);
    EXPECT_FALSE(layer->Description.empty());
    EXPECT_FALSE(layer->IsReadOnly());
    EXPECT_FALSE(layer->IsLoaded());
    EXPECT_FALSE(layer->FileHandle->IsOpen());
    // One child a stored sublayer, in number order, all of the layer's kind.
    EXPECT_EQ(layer->GetCount(), FileHeader(*layer).Highest + 1);
    for (int i = 0; i < layer->GetCount(); ++i) {
      EXPECT_EQ(layer->Sublayer(i)->Number, i);
      EXPECT_EQ(dynamic_cast<TPodwarstwaLiniowa*>(layer->Sublayer(i)) != nullptr, e.kind == 1);
    }
    EXPECT_EQ(layer->GetPrefixedName(), std::string(e.kind == 1 ? "l-" : "t-") + e.name);
  }
  // The layer of the previous format is only read.
  TWarstwa* old = Layer("GRANICE");
  ASSERT_NE(old, nullptr);
  EXPECT_TRUE(old->IsReadOnly());
  for (int i = 0; i < old->GetCount(); ++i) EXPECT_TRUE(old->Sublayer(i)->IsReadOnly());
  EXPECT_EQ(old->EditHeader(0), 0);
  EXPECT_TRUE(Errors.empty()) << Errors.front();
}

TEST_F(LayerTreeTest, ImagesTypeMasksAndNumberedLayers) {
  EXPECT_EQ(root_->GetImageIndex(), 10);
  TKatalogWarstw* syt = Catalogue("Sytuacja");
  EXPECT_EQ(syt->GetImageIndex(), 9);
  TWarstwa* line = Layer("SYTUACJA");  // number 12
  EXPECT_EQ(line->GetTypeMask(), 0x16u);
  line->LayerNumber = 0;
  EXPECT_EQ(line->GetTypeMask(), 0x12u);
  TWarstwa* text = Layer("OPISY");
  text->LayerNumber = 0;
  EXPECT_EQ(text->GetTypeMask(), 0x11u);
  text->LayerNumber = 14;
  EXPECT_EQ(text->GetTypeMask(), 0x15u);
  // The extended mask never carries the number bit; a ticked layer adds bit 31.
  EXPECT_EQ(text->GetTypeMaskEx() & 0x1Fu, 0x11u);
  text->NodeState.SetTicked(true);
  EXPECT_EQ(text->GetTypeMaskEx(), 0x80000011u);
  EXPECT_EQ(syt->GetTypeMask() & 0x18u, 0x18u);
  EXPECT_EQ(syt->GetTypeMask() & 0x3u, 0x3u);

  // Images: 5 line, 1 text, + 2 loaded, + 1 visible.
  const int visible = line->IsVisible() ? 1 : 0;
  EXPECT_EQ(line->GetImageIndex(), 5 + visible);
  line->Load(nullptr, nullptr);
  EXPECT_EQ(line->GetImageIndex(), 7 + (line->IsVisible() ? 1 : 0));
  text->SetVisible(false);
  EXPECT_EQ(text->GetImageIndex(), 1);

  // FindByNumber answers the layer of that number.
  EXPECT_EQ(root_->FindByNumber(11), Layer("DROGI"));
  EXPECT_EQ(Layer("DROGI")->FindByNumber(12), nullptr);

  // The catalogues with numbered layers, each once.
  std::vector<TWarstwaOgolna*> list;
  root_->CollectLayers(list);
  root_->CollectLayers(list);
  EXPECT_EQ(list, (std::vector<TWarstwaOgolna*>{Catalogue("Ewidencja"), syt}));
  for (int i = 0; i < syt->GetCount(); ++i)
    if (auto* l = dynamic_cast<TWarstwa*>(syt->GetItem(i))) l->LayerNumber = 0;
  list.clear();
  syt->CollectLayers(list);
  EXPECT_TRUE(list.empty());
}

TEST_F(LayerTreeTest, NamesWithSpacesAndEmptyNames) {
  struct Case {
    const char* text;
    const char* name;
  };
  for (const Case& c : {Case{"DROGI", "DROGI"}, Case{"NOWA WAR", "NOWA_WAR"}, Case{" a  b ", "_a__b_"},
                        Case{"", "-"}, Case{"ŁĄKI ŹRÓDŁA", "ŁĄKI_ŹRÓDŁA"}})
    EXPECT_EQ(TWarstwa::NameFromText(c.text), c.name) << c.text;
}

TEST_F(LayerTreeTest, LoadsAWholeLayerAndExtendsTheBoundsUpTheTree) {
  TWarstwa* drogi = Layer("DROGI");
  const int live = LiveRecords(*drogi);
  ASSERT_GT(live, 0);
  TCancel cancel(100000, "Wczytywanie");
  drogi->Load(nullptr, &cancel);
  EXPECT_EQ(cancel.Message(), "DROGI");
  EXPECT_EQ(ObjectCount(*drogi), live);
  EXPECT_TRUE(drogi->IsLoaded());
  EXPECT_FALSE(drogi->FileHandle->IsOpen());
  EXPECT_FALSE(drogi->HasFlag(kNodeFileOpen));
  for (int i = 0; i < drogi->GetCount(); ++i) EXPECT_TRUE(drogi->Sublayer(i)->IsLoaded()) << i;
  // Every object lies on the sheet, and so do the bounds of the layer, its
  // catalogue and the root.
  const TRealRect b = drogi->GetObszar();
  EXPECT_FALSE(IsEmptyRealRect(b));
  EXPECT_GE(b.Left, kSheet.Left);
  EXPECT_LE(b.Right, kSheet.Right);
  EXPECT_GE(b.Top, kSheet.Top);
  EXPECT_LE(b.Bottom, kSheet.Bottom);
  for (TWarstwaImp* up : {static_cast<TWarstwaImp*>(Catalogue("Sytuacja")), static_cast<TWarstwaImp*>(root_.get())}) {
    const TRealRect u = up->Bounds;
    EXPECT_LE(u.Left, b.Left);
    EXPECT_GE(u.Right, b.Right);
    EXPECT_TRUE(up->IsLoaded());
  }
  // Records keep their numbers, each once.
  std::vector<std::uint32_t> numbers = RecordNumbers(*drogi);
  std::sort(numbers.begin(), numbers.end());
  EXPECT_EQ(std::adjacent_find(numbers.begin(), numbers.end()), numbers.end());
  EXPECT_GT(numbers.front(), 0u);

  drogi->Unload();
  EXPECT_EQ(ObjectCount(*drogi), 0);
  EXPECT_FALSE(drogi->IsLoaded());
}

TEST_F(LayerTreeTest, OverlappingWindowsLoadEveryRecordOnce) {
  TWarstwa* syt = Layer("SYTUACJA");
  const int live = LiveRecords(*syt);
  const double midX = (kSheet.Left + kSheet.Right) / 2;
  syt->SetVisible(false);
  syt->LoadInWindow(TRealRect{kSheet.Left, kSheet.Top, midX + 100, kSheet.Bottom}, nullptr);
  EXPECT_TRUE(syt->IsVisible());  // a windowed load shows the layer
  const int firstWindow = ObjectCount(*syt);
  EXPECT_GT(firstWindow, 0);
  EXPECT_LT(firstWindow, live);
  EXPECT_FALSE(syt->FileHandle->IsOpen());
  syt->LoadInWindow(TRealRect{midX - 100, kSheet.Top, kSheet.Right, kSheet.Bottom}, nullptr);
  std::vector<std::uint32_t> numbers = RecordNumbers(*syt);
  std::sort(numbers.begin(), numbers.end());
  EXPECT_EQ(std::adjacent_find(numbers.begin(), numbers.end()), numbers.end());
  EXPECT_EQ(static_cast<int>(numbers.size()), live);
  // Again over the whole sheet: nothing new.
  syt->LoadInWindow(kSheet, nullptr);
  EXPECT_EQ(ObjectCount(*syt), live);
  EXPECT_TRUE(syt->IsLoaded());
}

TEST_F(LayerTreeTest, ACancelledLoadKeepsWhatWasReadAndClosesTheFile) {
  TWarstwa* dz = Layer("DZIALKI");
  TCancel cancel(100000, "Wczytywanie");
  cancel.SetCanceled();
  dz->Load(nullptr, &cancel);
  EXPECT_LE(ObjectCount(*dz), 1);
  EXPECT_TRUE(dz->IsLoaded());
  for (int i = 0; i < dz->GetCount(); ++i) EXPECT_TRUE(dz->Sublayer(i)->IsLoaded());
  EXPECT_FALSE(dz->FileHandle->IsOpen());
  EXPECT_FALSE(dz->HasFlag(kNodeFileOpen));
}

TEST_F(LayerTreeTest, AHistoricalLoadIsReadOnlyUntilUnloaded) {
  TWarstwa* budynki = Layer("BUDYNKI");
  TStanNaDzienQuery query(Date(2030, 1, 1));
  budynki->Load(&query, nullptr);
  EXPECT_GT(ObjectCount(*budynki), 0);
  EXPECT_TRUE(budynki->IsReadOnly());
  EXPECT_TRUE(budynki->HasFlag(kNodeHistorical));
  for (int i = 0; i < budynki->GetCount(); ++i) {
    EXPECT_TRUE(budynki->Sublayer(i)->IsReadOnly());
    EXPECT_TRUE(budynki->Sublayer(i)->HasFlag(kNodeHistorical));
  }
  EXPECT_EQ(budynki->EditHeader(0), 0);
  budynki->Unload();
  EXPECT_FALSE(budynki->IsReadOnly());
  EXPECT_FALSE(budynki->HasFlag(kNodeHistorical));
  for (int i = 0; i < budynki->GetCount(); ++i) {
    EXPECT_FALSE(budynki->Sublayer(i)->IsReadOnly());
    EXPECT_FALSE(budynki->Sublayer(i)->HasFlag(kNodeHistorical));
  }
}

// A layer that is read-only because of its file stays so after a
// historical load is dropped.
TEST_F(LayerTreeTest, ReadOnlyFileStaysReadOnlyAfterAHistoricalLoad) {
  LoadUsers();
  Open(5);
  TWarstwa* budynki = Layer("BUDYNKI");
  TStanNaDzienQuery query(Date(2030, 1, 1));
  budynki->Load(&query, nullptr);
  budynki->Unload();
  EXPECT_TRUE(budynki->IsReadOnly());
  EXPECT_FALSE(budynki->HasFlag(kNodeHistorical));
  for (int i = 0; i < budynki->GetCount(); ++i) EXPECT_TRUE(budynki->Sublayer(i)->IsReadOnly());
}

TEST_F(LayerTreeTest, AFileOnlyReadableGivesAReadOnlyLayerWithoutHeaderDialog) {
  LoadUsers();
  Open(5);
  TScriptedResponder responder(Fail);  // no dialog may show
  for (const char* name : {"DROGI", "OPISY"}) {
    TWarstwa* layer = Layer(name);
    EXPECT_TRUE(layer->IsReadOnly()) << name;
    for (int i = 0; i < layer->GetCount(); ++i) EXPECT_TRUE(layer->Sublayer(i)->IsReadOnly());
    EXPECT_EQ(layer->EditHeader(0), 0);
    TLayerInfo info;
    layer->ShowInfo(info);
    EXPECT_FALSE(info.EditEnabled);
  }
  EXPECT_TRUE(responder.Shown().empty());
}

TEST_F(LayerTreeTest, AWalkThatLoadsEverySublayerReadsTheFileOnce) {
  TWarstwa* uzbroj = Layer("UZBROJ");
  ASSERT_GT(uzbroj->GetCount(), 1);
  const std::string file = uzbroj->FileHandle->FileName();
  const std::uint32_t once = ReadsOf(file, [&] { uzbroj->Load(nullptr, nullptr); });
  const int objects = ObjectCount(*uzbroj);
  uzbroj->Unload();
  TLoadEvery walker;
  const std::uint32_t walked = ReadsOf(file, [&] { uzbroj->Walk(walker); });
  EXPECT_EQ(walker.Visited, uzbroj->GetCount());
  EXPECT_EQ(walked, once);
  EXPECT_EQ(ObjectCount(*uzbroj), objects);
  EXPECT_FALSE(uzbroj->HasFlag(kNodeWalking));
  // A second walk reads it again.
  uzbroj->Unload();
  EXPECT_EQ(ReadsOf(file, [&] { uzbroj->Walk(walker); }), once);
}

TEST_F(LayerTreeTest, AFetchedObjectBelongsToItsHitAndAListedOneToItsList) {
  TWarstwa* dz = Layer("DZIALKI");
  // A record number of the file and its sublayer.
  ASSERT_EQ(DBInt::OpenWarstwa(*store_, dz->FileHandle, true), kDBOk);
  ObjectSaveRecord rec;
  ASSERT_EQ(DBInt::ReadCurrent(*store_, dz->FileHandle, rec), kDBOk);
  DBInt::CloseWarstwa(*store_, dz->FileHandle);
  const std::uint32_t record = rec.GetIndex();

  TSearchHit hit;
  dz->FetchObject(2, record, hit);  // another layer's number
  EXPECT_EQ(hit.Sublayer, nullptr);
  dz->FetchObject(1, record, hit);
  ASSERT_NE(hit.Object, nullptr);
  EXPECT_EQ(hit.Sublayer, dz->Sublayer(rec.GetSublayer()));
  EXPECT_EQ(hit.Object->GetIndex(), record);
  EXPECT_TRUE(hit.Object->IsUnowned());
  EXPECT_FALSE(dz->FileHandle->IsOpen());
  EXPECT_FALSE(dz->HasFlag(kNodeFileOpen));
  ClearSearchHit(hit);  // frees the object (the leak check sees it otherwise)
  EXPECT_EQ(hit.Object, nullptr);

  // Through the root, which asks its catalogues.
  root_->FetchObject(1, record, hit);
  ASSERT_NE(hit.Object, nullptr);
  ClearSearchHit(hit);

  dz->Load(nullptr, nullptr);
  dz->FetchObject(1, record, hit);
  ASSERT_NE(hit.Object, nullptr);
  EXPECT_FALSE(hit.Object->IsUnowned());
  TSearchHit listed;
  dz->FindByRecordNumber(1, record, listed);
  EXPECT_EQ(listed.Object, hit.Object);
  ClearSearchHit(hit);  // a listed object stays
  EXPECT_EQ(dz->Sublayer(rec.GetSublayer())->IndexOfObject(listed.Object) >= 0, true);
  dz->FindByRecordNumber(3, record, listed);
  EXPECT_EQ(listed.Sublayer, nullptr);
}

TEST_F(LayerTreeTest, ObjectValuesFromLoadedObjectsOrFromTheFile) {
  TWarstwa* numery = Layer("NUMERY");
  ASSERT_EQ(DBInt::OpenWarstwa(*store_, numery->FileHandle, true), kDBOk);
  ObjectSaveRecord rec;
  ASSERT_EQ(DBInt::ReadCurrent(*store_, numery->FileHandle, rec), kDBOk);
  DBInt::CloseWarstwa(*store_, numery->FileHandle);

  TObjectValueResult fromFile;
  numery->GetObjectValue(4, rec.GetIndex(), fromFile);
  EXPECT_TRUE(fromFile.Found);
  EXPECT_FALSE(numery->FileHandle->IsOpen());
  numery->Load(nullptr, nullptr);
  TObjectValueResult loaded;
  numery->GetObjectValue(4, rec.GetIndex(), loaded);
  EXPECT_TRUE(loaded.Found);
  EXPECT_EQ(loaded.Value.Text, fromFile.Value.Text);
  EXPECT_EQ(loaded.Value.Number, fromFile.Value.Number);
  TObjectValueResult other;
  numery->GetObjectValue(5, rec.GetIndex(), other);
  EXPECT_FALSE(other.Found);
}

// A record naming a sublayer the layer lacks goes to sublayer 0 rather than
// past the children.
TEST_F(LayerTreeTest, ARecordOfAnUnknownSublayerGoesToSublayerZero) {
  TWarstwa* drogi = Layer("DROGI");
  const int count = drogi->GetCount();
  for (int sublayer : {count, 200, 255}) {
    ObjectSaveRecord r;
    r.SetKindByte(0);
    r.SetSublayer(static_cast<std::uint8_t>(sublayer));
    r.SetDouble(kRecP1X, 5601500);
    r.SetDouble(kRecP1Y, 5823600);
    r.SetDouble(kRecP2X, 5601510);
    r.SetDouble(kRecP2Y, 5823610);
    r.SetIndex(static_cast<std::uint32_t>(900000 + sublayer));
    r.SetIdentifier(77);
    drogi->AddRecordToSublayer(r);
  }
  drogi->Sublayer(0)->MarkLoaded();
  EXPECT_EQ(drogi->Sublayer(0)->Objects()->Count(), 3);
  for (int i = 1; i < count; ++i) EXPECT_EQ(drogi->Sublayer(i)->Objects(), nullptr) << i;
  EXPECT_EQ(drogi->GetCount(), count);
}

// A sublayer written into the file by another workstation after the tree
// was built joins the layer at its next use of the file.
TEST_F(LayerTreeTest, ASublayerAddedByAnotherProcessAppearsAtTheNextOpen) {
  TWarstwa* drogi = Layer("DROGI");
  const int count = drogi->GetCount();
  ASSERT_NO_FATAL_FAILURE(AddSublayerFromPeer(*drogi, count, "Obce"));
  EXPECT_EQ(drogi->GetCount(), count);
  drogi->Load(nullptr, nullptr);
  ASSERT_EQ(drogi->GetCount(), count + 1);
  TPodwarstwa* added = drogi->Sublayer(count);
  EXPECT_NE(dynamic_cast<TPodwarstwaLiniowa*>(added), nullptr);
  EXPECT_EQ(added->Number, count);
  EXPECT_NE(added->Name.find("Obce"), std::string::npos) << added->Name;
  EXPECT_EQ(added->Owner, drogi);
  EXPECT_FALSE(drogi->FileHandle->IsOpen());
}

// A failing read of a new sublayer's header while the file is opened closes
// the file and reaches the caller (not a later "not open").
TEST_F(LayerTreeTest, AFailedHeaderReadClosesTheFileAndPassesOn) {
  TWarstwa* drogi = Layer("DROGI");
  const int count = drogi->GetCount();
  ASSERT_NO_FATAL_FAILURE(AddSublayerFromPeer(*drogi, count, "Obce"));
  const std::string file = drogi->FileHandle->FileName();
  const std::uint32_t openReads = ReadsOf(file, [&] {
    ASSERT_EQ(DBInt::OpenWarstwa(*store_, drogi->FileHandle, true), kDBOk);
    DBInt::CloseWarstwa(*store_, drogi->FileHandle);
  });
  {
    platform::FaultScope fault({platform::FaultOp::Read, openReads + 1, false, file});
    EXPECT_THROW(drogi->OpenAndSync(true), EDBError);
    EXPECT_TRUE(platform::FaultStruck());
  }
  EXPECT_FALSE(drogi->FileHandle->IsOpen());
  EXPECT_EQ(drogi->GetCount(), count);
  {
    platform::FaultScope fault({platform::FaultOp::Read, openReads + 1, false, file});
    EXPECT_THROW(drogi->Load(nullptr, nullptr), EDBError);
  }
  EXPECT_FALSE(drogi->FileHandle->IsOpen());
  EXPECT_FALSE(drogi->HasFlag(kNodeFileOpen));
  // Without the fault the next use works and adds the sublayer.
  drogi->Load(nullptr, nullptr);
  EXPECT_EQ(drogi->GetCount(), count + 1);
  EXPECT_FALSE(drogi->FileHandle->IsOpen());
}

// A damaged sublayer header while the tree is built names the layer and the
// sublayer; the file is closed.
TEST_F(LayerTreeTest, ADamagedSublayerHeaderNamesLayerAndSublayer) {
  TAllWarstwaHeader entry;
  TWarstwaFile* file = nullptr;
  for (int r = DBInt::GetWarstwyList(*store_, entry, baza_); r == kDBOk;
       r = DBInt::GetWzorceList(*store_, entry, baza_))
    if (entry.Name == "UZBROJ") break;
  ASSERT_EQ(entry.Name, "UZBROJ");
  file = entry.File;
  ASSERT_GE(entry.Highest, 1);
  // Narrow the header list so that sublayer Highest + 1 is past the slots.
  entry.Highest = static_cast<std::uint8_t>(entry.Slots);
  try {
    TWarstwa::CreateFromHeader(store_.get(), entry, nullptr);
    ADD_FAILURE() << "no error";
  } catch (const EDBWarstwaInvalidHIdx& e) {
    EXPECT_NE(std::string(e.what()).find(" Warstwa:UZBROJ, Podwarstwa:" + std::to_string(entry.Slots)),
              std::string::npos)
        << e.what();
  }
  EXPECT_FALSE(file->IsOpen());
}

TEST_F(LayerTreeTest, ANewLayerFileIsUpperCaseWithOneSublayerSetUpAtOnce) {
  TKatalogWarstw* ewid = Catalogue("Ewidencja");
  const int before = ewid->GetCount();
  TScriptedResponder responder(Fail);
  responder.AnswerForm([&](TForm& form) {
    auto& d = dynamic_cast<TNewWarstwa&>(form);
    EXPECT_EQ(d.DirName->Caption(), "Ewidencja");
    EXPECT_EQ(d.Name->Items().Count(), before);
    d.Name->SetText("nowa");
    d.DlugaNazwa->SetText("Nowa warstwa próbna");
    d.BitBtn1->Click();  // "Liniowa"
  });
  responder.AnswerForm([&](TForm& form) {
    auto& d = dynamic_cast<TChangePodwarstwaHeader&>(form);
    EXPECT_FALSE(d.Cancel->Enabled());  // the first sublayer must be set up
    d.Nazwa->SetText("Osie");
    d.BitBtn1->Click();
  });
  EXPECT_EQ(ewid->EditHeader(0), kRedrawNode);
  EXPECT_EQ(responder.Pending(), 0);
  ASSERT_EQ(ewid->GetCount(), before + 1);
  TWarstwa* nowa = Layer("NOWA");
  ASSERT_NE(nowa, nullptr);
  EXPECT_EQ(nowa->Kind, 1);
  EXPECT_EQ(nowa->Description, "Nowa warstwa próbna");
  ASSERT_EQ(nowa->GetCount(), 1);
  EXPECT_NE(dynamic_cast<TPodwarstwaLiniowa*>(nowa->Sublayer(0)), nullptr);
  EXPECT_EQ(nowa->Sublayer(0)->Number, 0);
  EXPECT_TRUE(nowa->IsVisible());
  EXPECT_EQ(nowa->FileHandle->FileName(), TLayerStore::MakeFileName("NOWA", 1));
  EXPECT_TRUE(fs::exists(set_ + "/mapa/ewid/" + TLayerStore::MakeFileName("NOWA", 1)));
  const TMainWarstwaHeader h = FileHeader(*nowa);
  EXPECT_EQ(h.Slots, 10);
  EXPECT_EQ(h.Highest, 0);
  EXPECT_EQ(h.Description, "Nowa warstwa próbna");
  // The next view of the database sees it.
  Open(0);
  ASSERT_NE(Layer("NOWA"), nullptr);
  EXPECT_NE(Layer("NOWA")->Sublayer(0)->Name.find("Osie"), std::string::npos);

  // A cancelled dialog creates nothing.
  TScriptedResponder cancel(Fail);
  cancel.AnswerForm(platform::mrCancel);
  EXPECT_EQ(Catalogue("Ewidencja")->EditHeader(0), kRedrawNone);
  EXPECT_EQ(Catalogue("Ewidencja")->GetCount(), before + 1);
}

// Adding the eleventh sublayer to a file of ten slots gives the file ten
// more and shows the dialog again.
TEST_F(LayerTreeTest, TheEleventhSublayerExtendsTheFileByTenSlots) {
  TKatalogWarstw* syt = Catalogue("Sytuacja");
  TMainWarstwaHeader h;
  h.Kind = 0;
  h.Description = "Dziesięć";
  h.Slots = 10;
  TWarstwaFile* file = store_->CreateWarstwa(syt->Catalogue, "DZIESIEC", h);
  ASSERT_NE(file, nullptr);
  syt->AddChild(std::make_unique<TWarstwa>(store_.get(), file, h, "DZIESIEC", nullptr));
  TWarstwa* layer = Layer("DZIESIEC");
  ASSERT_NE(layer, nullptr);
  TScriptedResponder responder(Fail);
  auto answerOk = [&](int number) {
    responder.AnswerForm([number](TForm& form) {
      auto& d = dynamic_cast<TChangePodwarstwaHeader&>(form);
      d.Nazwa->SetText("P" + std::to_string(number));
      d.BitBtn1->Click();
    });
  };
  for (int n = 1; n < 10; ++n) {
    answerOk(n);
    EXPECT_NE(layer->AddSublayer(), 0);
  }
  ASSERT_EQ(layer->GetCount(), 10);
  EXPECT_EQ(FileHeader(*layer).Slots, 10);
  const std::size_t shown = responder.Shown().size();
  answerOk(10);
  EXPECT_NE(layer->AddSublayer(), 0);
  EXPECT_EQ(responder.Shown().size(), shown + 1);
  ASSERT_EQ(layer->GetCount(), 11);
  const TMainWarstwaHeader after = FileHeader(*layer);
  EXPECT_EQ(after.Slots, 20);
  EXPECT_EQ(after.Highest, 10);
  EXPECT_NE(layer->Sublayer(10)->Name.find("P10"), std::string::npos);
  // A cancelled dialog adds nothing.
  responder.AnswerForm(platform::mrCancel);
  EXPECT_EQ(layer->AddSublayer(), 0);
  EXPECT_EQ(layer->GetCount(), 11);
  EXPECT_EQ(FileHeader(*layer).Highest, 10);
}

TEST_F(LayerTreeTest, DeletingTheActiveLayerOrSublayerIsRefused) {
  TWarstwa* drogi = Layer("DROGI");
  TScriptedResponder responder(Fail);
  // Two sublayers at least, the last one active.
  ASSERT_GT(drogi->GetCount(), 1);
  drogi->SetActive(true);
  ASSERT_TRUE(drogi->IsActive());
  responder.AnswerForm(TChangeWarstwaHeader::kDeleteLayer);
  try {
    drogi->EditHeader(0);
    ADD_FAILURE() << "no error";
  } catch (const EWarstwaError& e) {
    EXPECT_STREQ(e.what(), "Próba usunięcia aktywnej warstwy");
  }
  EXPECT_TRUE(fs::exists(PathOf(*drogi)));
  EXPECT_EQ(Layer("DROGI"), drogi);

  drogi->SetActive(false);
  const int count = drogi->GetCount();
  drogi->Sublayer(count - 1)->NodeState.SetActive(true);
  responder.AnswerForm(TChangeWarstwaHeader::kDeleteLastSublayer);
  try {
    drogi->EditHeader(0);
    ADD_FAILURE() << "no error";
  } catch (const EWarstwaError& e) {
    EXPECT_STREQ(e.what(), "Próba usunięcia aktywnej podwarstwy");
  }
  EXPECT_EQ(drogi->GetCount(), count);
  EXPECT_EQ(FileHeader(*drogi).Highest, count - 1);
}

TEST_F(LayerTreeTest, DeletingTheLastSublayerAndTheWholeLayer) {
  TKatalogWarstw* syt = Catalogue("Sytuacja");
  TMainWarstwaHeader h;
  h.Kind = 1;
  h.Slots = 10;
  TWarstwaFile* file = store_->CreateWarstwa(syt->Catalogue, "DOUSUNIECIA", h);
  ASSERT_NE(file, nullptr);
  syt->AddChild(std::make_unique<TWarstwa>(store_.get(), file, h, "DOUSUNIEC", nullptr));
  TWarstwa* layer = Layer("DOUSUNIEC");
  ASSERT_NE(layer, nullptr);
  TScriptedResponder responder(Fail);
  responder.AnswerForm([](TForm& form) { dynamic_cast<TChangePodwarstwaHeader&>(form).BitBtn1->Click(); });
  ASSERT_NE(layer->AddSublayer(), 0);
  ASSERT_EQ(layer->GetCount(), 2);

  responder.AnswerForm(TChangeWarstwaHeader::kDeleteLastSublayer);
  EXPECT_EQ(layer->EditHeader(0), kRedrawNode);
  EXPECT_EQ(layer->GetCount(), 1);
  EXPECT_EQ(FileHeader(*layer).Highest, 0);
  EXPECT_FALSE(layer->FileHandle->IsOpen());

  // The whole layer: the file goes, the node frees itself (the address
  // checker reports any later use of it) and the view redraws everything.
  const std::string path = PathOf(*layer);
  const int before = syt->GetCount();
  responder.AnswerForm(TChangeWarstwaHeader::kDeleteLayer);
  EXPECT_EQ(layer->EditHeader(0), kRedrawAll);
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ(syt->GetCount(), before - 1);
  EXPECT_EQ(Layer("DOUSUNIEC"), nullptr);
}

TEST_F(LayerTreeTest, TheHeaderDialogRenamesAndDescribesTheLayer) {
  TWarstwa* opisy = Layer("OPISY");
  platform::TTreeView view;
  root_->AddTreeNode(view, nullptr);
  TScriptedResponder responder(Fail);
  responder.AnswerForm([&](TForm& form) {
    auto& d = dynamic_cast<TChangeWarstwaHeader&>(form);
    EXPECT_EQ(d.Name->Text(), "OPISY");
    EXPECT_EQ(d.FullName->Text(), opisy->Description);
    EXPECT_TRUE(d.NewPodw->Enabled());
    d.Name->SetText("NAPISY");
    d.FullName->SetText("Napisy sytuacji");
    d.BitBtn1->Click();
  });
  EXPECT_EQ(opisy->EditHeader(0), 1);
  EXPECT_EQ(opisy->Name, "NAPISY");
  EXPECT_EQ(opisy->Description, "Napisy sytuacji");
  ASSERT_NE(opisy->GetTreeNode(), nullptr);
  EXPECT_EQ(opisy->GetTreeNode()->Text(), "NAPISY");
  EXPECT_EQ(opisy->FileHandle->FileName(), TLayerStore::MakeFileName("NAPISY", 0));
  EXPECT_EQ(FileHeader(*opisy).Description, "Napisy sytuacji");
  EXPECT_FALSE(opisy->FileHandle->IsOpen());
  // Cancelled: nothing changes.
  responder.AnswerForm(platform::mrCancel);
  EXPECT_EQ(opisy->EditHeader(0), 0);
  EXPECT_EQ(opisy->Name, "NAPISY");
  root_->DetachTreeNode();
}

TEST_F(LayerTreeTest, TheRootStaysExpandedAndCannotCollapse) {
  platform::TTreeView view;
  platform::TTreeNode* item = root_->AddTreeNode(view, nullptr);
  ASSERT_NE(item, nullptr);
  EXPECT_TRUE(item->Expanded());
  EXPECT_EQ(item->Count(), 2);
  EXPECT_FALSE(Catalogue("Ewidencja")->GetTreeNode()->Expanded());  // not recursively
  EXPECT_FALSE(root_->CanCollapse());
  EXPECT_TRUE(Catalogue("Ewidencja")->CanCollapse());
  EXPECT_TRUE(Layer("DROGI")->CanCollapse());
  root_->DetachTreeNode();
}

TEST_F(LayerTreeTest, PanelInformationAndTheTransformRight) {
  LoadUsers();
  TWarstwa* drogi = Layer("DROGI");
  TKatalogWarstw* syt = Catalogue("Sytuacja");
  for (std::uint16_t user : {5, 6}) {
    SCOPED_TRACE(user);
    LayerTreeHost().LoggedUser = user;
    TLayerInfo info;
    drogi->ShowInfo(info);
    EXPECT_EQ(info.FullName, drogi->Description);
    EXPECT_TRUE(info.EditEnabled);
    EXPECT_EQ(info.I2c, "Ilość podwarstw");
    EXPECT_EQ(info.I2v, std::to_string(drogi->GetCount()));
    EXPECT_EQ(info.TransformEnabled, user == 6);
    TLayerInfo cat;
    syt->ShowInfo(cat);
    EXPECT_EQ(cat.FullName, "Sytuacja");
    EXPECT_EQ(cat.I1c, "Ilość warstw");
    EXPECT_EQ(cat.I1v, "5");
    EXPECT_EQ(cat.I2c, "Symbole");
    EXPECT_EQ(cat.I2v, ".\\nk1.sym");
    EXPECT_TRUE(cat.EditEnabled);
    EXPECT_EQ(cat.TransformEnabled, user == 6);
  }
  EXPECT_EQ(drogi->GetColor(), drogi->Sublayer(0)->GetColor());
}

TEST_F(LayerTreeTest, CatalogueSymbolLibrariesAreSelectedAndForgotten) {
  TKatalogWarstw* ewid = Catalogue("Ewidencja");
  ASSERT_NE(ewid->Symbols(), nullptr);
  EXPECT_EQ(ewid->SymbolFileName, ".\\nk1.sym");
  EXPECT_EQ(ewid->Symbols()->Symbols.size(), 7u);
  // Loading a layer selects its catalogue's library.
  Layer("PUNKTY")->Load(nullptr, nullptr);
  EXPECT_EQ(SymbolManager().CatalogueLibrary, ewid->Symbols());
  Catalogue("Sytuacja")->ChildActivated(true);
  EXPECT_EQ(SymbolManager().CatalogueLibrary, Catalogue("Sytuacja")->Symbols());
  // Freeing the tree leaves no pointer to a freed library behind.
  root_.reset();
  EXPECT_EQ(SymbolManager().CatalogueLibrary, nullptr);
  EXPECT_TRUE(Errors.empty()) << Errors.front();
}

TEST_F(LayerTreeTest, DescriptionsStatisticsAndMaintenance) {
  TWarstwa* drogi = Layer("DROGI");
  std::string text;
  Catalogue("Sytuacja")->Describe(text, 0);
  EXPECT_EQ(text.rfind("\nKatalog: Sytuacja\n", 0), 0u) << text;
  const std::string line = "\nWarstwa liniowa : DROGI        " + drogi->Description + "\n";
  EXPECT_NE(text.find(line), std::string::npos) << text;
  std::string opisy;
  Layer("OPISY")->Describe(opisy, 0);
  EXPECT_EQ(opisy.rfind("\nWarstwa tekstowa: OPISY        ", 0), 0u) << opisy;

  // Statistics: one entry per sublayer, read once.
  const TDBStatystyka* s0 = drogi->GetFileStatistics(0, nullptr);
  ASSERT_NE(s0, nullptr);
  EXPECT_EQ(drogi->GetFileStatistics(0, nullptr), s0);
  EXPECT_EQ(drogi->GetFileStatistics(drogi->GetCount() + 5, nullptr), nullptr);
  EXPECT_FALSE(drogi->FileHandle->IsOpen());

  // Transformation needs a target; the index rebuild and the purge of old
  // archive go to the file.
  EXPECT_THROW(drogi->Transform(TAffineMatrix{}, "", nullptr), EInternalError);
  EXPECT_NO_THROW(drogi->UpdateIndex(nullptr));
  EXPECT_NO_THROW(drogi->DeleteOldArch(Date(2000, 1, 1), nullptr));
  EXPECT_FALSE(drogi->FileHandle->IsOpen());
  const std::string target = scratch_ / "przeksztalcone";
  fs::create_directories(target);
  TAffineMatrix shift;
  shift.c = 100;
  drogi->Transform(shift, target + "/", nullptr);
  EXPECT_TRUE(fs::exists(target + "/" + drogi->FileHandle->FileName()));

  // Cleaning: unloaded, the file rewritten without its records, answers the
  // shown state before; the statistics are read anew.
  drogi->Load(nullptr, nullptr);
  const bool shown = drogi->IsShown();
  EXPECT_EQ(drogi->Clean(""), shown);
  EXPECT_FALSE(drogi->IsLoaded());
  EXPECT_EQ(ObjectCount(*drogi), 0);
  EXPECT_EQ(LiveRecords(*drogi), 0);
  EXPECT_EQ(FileHeader(*drogi).Highest + 1, drogi->GetCount());

  // The number comes back from the catalogue's list.
  drogi->LayerNumber = 0;
  Catalogue("Sytuacja")->UpdateLayers();
  EXPECT_EQ(drogi->LayerNumber, 11);
}

}  // namespace
