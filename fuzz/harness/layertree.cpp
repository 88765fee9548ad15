// Layer files loaded into the layer tree: a file of the input put as the one
// line or text layer file of a catalogue of a small database set, the set
// opened through the layer store and the view's tree built from it (the
// sublayer headers read: style numbers, justification, masked layer,
// flags); then a small window loaded and the whole layer, every record
// routed to the sublayer of its sublayer byte and made an object; the root
// drawn under the abort watchdog, searched at a point, its nodes asked for
// their panel information, descriptions and bounds, a few record numbers
// looked up among the loaded objects and fetched from the file; and, when
// asked, a stored object deleted, one replaced, a new one added, the layer
// saved, unloaded and loaded again. Everything must end normally or with an
// error of the program (the store's included); and
// - a file the store opened before the save opens after it;
// - when the first load, the save and the reload ended without an error,
//   the reload holds as many objects as the first load plus the one added
//   less the one deleted.
//
// Input: one choice byte (bit 0 text layer, bit 1 edit and save, bits 2-7
// the small window's corner in world units, times three), then the file.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "common/defwrite.h"
#include "draw_common.h"
#include "drawing/strokefont.h"
#include "foundation/errors.h"
#include "foundation/settings/settings.h"
#include "fuzz_common.h"
#include "layers/store/dberrors.h"
#include "layers/store/layerapi.h"
#include "layers/store/layerfile.h"
#include "layers/tree/layertree.h"
#include "layers/tree/objectlist.h"
#include "layers/tree/searches.h"
#include "layers/tree/sublayer.h"
#include "layers/tree/treehost.h"
#include "objects/grobj.h"
#include "objects/defelements.h"
#include "objects/layerobjects.h"
#include "objects/linestylelib.h"
#include "objects/styledlines.h"
#include "objects/texts.h"
#include "platform/files/inifile.h"

namespace {

namespace fs = std::filesystem;

// The layer's number in "baza.cnf", whichever its kind.
constexpr std::int32_t kLayerNumber = 7;
// Record numbers looked up and fetched: the first ones, one past a packet,
// and far beyond any file.
constexpr std::uint32_t kRecords[] = {0, 1, 2, 3, 40, 99, 100, 101, 4096, 0x7FFFFFF, 0xFFFFFFFFu};

const std::string& CatalogueFolder() {
  static const std::string* folder = new std::string(fuzz::PathOf("kat"));
  return *folder;
}

// The catalogue's symbol library: "KRZ", a cross in a circle, and "DPI", a
// device symbol.
const std::string& SymbolLibrary() {
  using defwrite::Element;
  static const std::string* bytes = new std::string(defwrite::SymbolFile({
      {"KRZ",
       {2, 5, 8, 11},
       1.0,
       {Element(-1, 0, 1, 0, 0, kElemLine), Element(0, -1, 0, 1, 0, kElemLine),
        Element(0, 0, 0, 0, 1, kElemCircle), Element(-1, 1, 1, -1, 0, kElemBoundsRect)}},
      {"DPI", {-1, 1, 1, 1}, 1.0, {Element(-2, 0, 2, 0, 0, kElemLine), Element(0, 0, 0, 0, 2.5, kElemBoundsRound)}},
  }));
  return *bytes;
}

// The program's libraries: line style 20 (ticked dashes, a variant for
// 1:500) and 21 (a plain pen), and both stroke fonts with a glyph for every
// printable character, so that texts are built, drawn and hit.
void WriteLibraries() {
  using defwrite::Element;
  using defwrite::Section;
  std::string elements;
  elements += Element(0, 0, 0, 5, 0, kElemLine);
  elements += Element(-1, 0, 1, 0, 0, kElemLine);
  elements += Element(0, 1, 0, 1, 1, kElemCircle);
  const std::string none = defwrite::NoSection();
  std::string recs;
  recs += defwrite::LineRecord("KRES", 20, 1, -1, Section(2, 1, 0, 1, 0), Section(1, 1, 0, 10, 11),
                               Section(2, 1, 0, 1, 0));
  recs += defwrite::VariantRecord(500, -1, none, Section(3, 1, 0, 4, 2), none);
  recs += defwrite::LineRecord("PLOT", 21, 0, 2, none, none, none);
  fuzz::PutFile("linie.lin", defwrite::DefinitionFile(kLineStyleFileMagic, 3, recs, elements));
  defwrite::FontSpec font;
  font.First = 32;
  for (int ch = 32; ch < 256; ++ch)
    font.Glyphs.push_back({6, {{{0, 10}, {ch % 6, ch % 11}, {5, 10}}}});
  fuzz::PutFile("litt.ch1", defwrite::FontBytes(font));
  fuzz::PutFile("font.ch1", defwrite::FontBytes(font));
  platform::TIniFile settings(fuzz::PathOf("tolvika.ini"));
  settings.WriteString("Files", "LineDefs", fuzz::PathOf("linie.lin"));
  settings.WriteString("Files", "SymbolDefs", fuzz::PathOf("kat/znaki.sym"));
  settings.UpdateFile();
}

// The catalogue folder made anew with only its own files: whatever a
// previous input's save left there goes.
void MakeCatalogue() {
  std::error_code ec;
  fs::remove_all(CatalogueFolder(), ec);
  fs::create_directories(CatalogueFolder());
  fuzz::PutFile("kat/baza.cnf", "7 L FUZZ\r\n7 T FUZZ\r\n");
  fuzz::PutFile("kat/Katalog", "Nazwa=Katalog fuzz\r\nSymbole=znaki.sym\r\n");
  fuzz::PutFile("kat/znaki.sym", SymbolLibrary());
}

// Takes the information rows and drops them.
class TNullInfo final : public IGrObjInfo {
 public:
  void SetLabel(int, int, const std::string&) override {}
  void SetValue(int, int, const std::string&) override {}
};

template <class F>
bool Try(F f) {
  try {
    f();
    return true;
  } catch (const Exception&) {
    // an error of the store or of the tree: a damaged file refused
  }
  return false;
}

TWarstwa* FindLayer(TBazaWarstw& root) {
  for (int i = 0; i < root.GetCount(); ++i) {
    auto* c = dynamic_cast<TGrupaWarstw*>(root.GetItem(i));
    for (int j = 0; c != nullptr && j < c->GetCount(); ++j)
      if (auto* layer = dynamic_cast<TWarstwa*>(c->GetItem(j))) return layer;
  }
  return nullptr;
}

int ObjectCount(const TWarstwa& layer) {
  int n = 0;
  for (int i = 0; i < layer.GetCount(); ++i) {
    const TPodwarstwa* s = layer.Sublayer(i);
    if (s != nullptr && s->Objects() != nullptr) n += s->Objects()->Count();
  }
  return n;
}

// Every node's panel information, description and bounds.
void AskNodes(TBazaWarstw& root, TWarstwa& layer) {
  TLayerInfo info;
  Try([&] { root.ShowInfo(info); });
  Try([&] { layer.ShowInfo(info); });
  if (layer.Owner != nullptr) Try([&] { layer.Owner->ShowInfo(info); });
  TNullInfo rows;
  for (int i = 0; i < layer.GetCount(); ++i) {
    TPodwarstwa* s = layer.Sublayer(i);
    Try([&] { s->ShowInfo(info); });
    (void)s->GetObszar();
    (void)s->GetDescription();
    (void)s->GetTypeMask();
    Try([&] { s->DescribeLocation(rows, 1); });
  }
  std::string text;
  Try([&] { root.Describe(text, 0); });
  Try([&] { root.Describe(text, 1); });
  (void)root.GetObszar();
  (void)layer.GetObszar();
}

void Draw(TBazaWarstw& root) {
  fuzz::LayerCanvas layer(500);
  root.SetVisibleAll(true);
  fuzz::WatchedDrawing watch(*layer.canvas);
  Try([&] {
    root.Draw(*layer.canvas);
    layer.canvas->FlushLines();
  });
}

// The searches a view runs at a point: the nearest object, the nearest
// point, and the list of near objects.
void Search(TBazaWarstw& root, const TRealPoint& at) {
  const TRealPoint tolerance{5, 5};
  {
    TSubSetSearch s(at, tolerance, 0xFFFFFFFFu);
    Try([&] { s.Check(root); });
    if (s.Found()) (void)s.Hit.Object->GetBounds();
    s.ClearResult();
  }
  {
    TPSearch s(at, tolerance);
    Try([&] { s.Check(root); });
    s.ClearResult();
  }
  {
    TListSubSetSearch s(at, tolerance);
    try {
      s.Check(root);
    } catch (const ESearchListExceed&) {
      // the list is full: what it holds is used
    } catch (const Exception&) {
    }
    for (TEGraphObj* obj : s.Found) (void)obj->GetBounds();
  }
}

void LookUp(TBazaWarstw& root, TWarstwa& layer) {
  for (std::uint32_t record : kRecords) {
    TSearchHit hit;
    Try([&] { root.FindByRecordNumber(kLayerNumber, record, hit); });
    ClearSearchHit(hit);
    Try([&] { root.FetchObject(kLayerNumber, record, hit); });
    if (hit.Object != nullptr) (void)hit.Object->GetBounds();
    ClearSearchHit(hit);
    TObjectValueResult value;
    Try([&] { layer.GetObjectValue(kLayerNumber, record, value); });
  }
}

// The first sublayer that holds objects, else the first one.
TPodwarstwa* EditedSublayer(TWarstwa& layer) {
  for (int i = 0; i < layer.GetCount(); ++i) {
    TPodwarstwa* s = layer.Sublayer(i);
    if (s != nullptr && s->Objects() != nullptr && s->Objects()->Count() > 0) return s;
  }
  return layer.Sublayer(0);
}

// Deletes the last stored object, replaces the first by its copy and adds a
// new object; the change of the object count the save must keep.
int Edit(TWarstwa& layer, bool text) {
  TPodwarstwa* s = EditedSublayer(layer);
  if (s == nullptr || s->IsReadOnly()) return 0;
  int change = 0;
  TGrObjList* list = s->Objects();
  if (list != nullptr && list->Count() > 0) {
    TEGraphObj* last = list->Get(list->Count() - 1);
    if (last->GetIndex() != 0 && Try([&] { s->DeleteObject(last); })) --change;
  }
  list = s->Objects();
  if (list != nullptr && list->Count() > 0) {
    std::unique_ptr<TEGraphObj> copy = list->Get(0)->Clone();
    if (copy != nullptr) s->ReplaceAtIndex(0, copy.release());  // a valid index: it takes the copy
  }
  std::unique_ptr<TEGraphObj> added;
  if (text)
    added = std::make_unique<TWysKatNapis>(TRealPoint{30, 40}, "Fuzz", 2.5, 7, false, 0.0f);
  else
    added = std::make_unique<TLiniaSpecjalna>(TRealPoint{10, 10}, TRealPoint{50, 60}, nullptr, 1.0);
  s->AddObject(added.release());
  ++change;
  return change;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::UseOffscreenPlatform();
  SetDefaultLayerLockWait(nullptr);
  SetLibraryErrorBox([](const std::string&) {});
  SetSettingsMessageBox([](const std::string&, const std::string&) {});
  WriteLibraries();
  FontManager().SetFolder(fuzz::Scratch());
  SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(fuzz::PathOf("tolvika.ini")));
  RegisterLayerObjectClasses();
  platform::TIniFile ini(fuzz::PathOf("baza.ini"));
  ini.WriteString("baza", "Fuzz", "Baza fuzz");
  ini.WriteString("Fuzz", "Kat1", CatalogueFolder());
  ini.WriteString("Fuzz", "Kat1Nazwa", "Katalog");
  ini.UpdateFile();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Choices c(data, size);
  const std::uint8_t flags = c.Byte();
  const bool text = (flags & 1) != 0;
  const bool edit = (flags & 2) != 0;
  const double corner = (flags >> 2) * 3.0;
  MakeCatalogue();
  const std::string name = text ? "kat/FUZZ----.--t" : "kat/FUZZ----.--l";
  fuzz::PutFile(name, c.Rest(), c.RestSize());

  TLayerStore store(fuzz::PathOf("baza.ini"));
  TBaza* base = nullptr;
  std::unique_ptr<TBazaWarstw> root;
  if (!Try([&] {
        base = DBInt::OpenBase(store, 0, "Fuzz");
        root = BuildLayerTree(store, base, "Fuzz", nullptr);
      }))
    return 0;
  TWarstwa* layer = FindLayer(*root);
  if (layer == nullptr) return 0;

  Try([&] { layer->LoadInWindow(TRealRect{corner, corner, corner + 20, corner + 20}, nullptr); });
  const bool loaded = Try([&] { layer->Load(nullptr, nullptr); });
  const int before = ObjectCount(*layer);

  Draw(*root);
  Search(*root, TRealPoint{corner + 10, corner + 10});
  AskNodes(*root, *layer);
  LookUp(*root, *layer);

  if (edit) {
    int change = 0;
    const bool edited = Try([&] { change = Edit(*layer, text); });
    const bool saved = Try([&] { layer->Save(); });
    if (loaded && saved) {
      // The load opened the file before the save; it opens after it.
      bool opens = false;
      Try([&] {
        opens = DBInt::OpenWarstwa(store, layer->FileHandle, true) == kDBOk;
        DBInt::CloseWarstwa(store, layer->FileHandle);
      });
      fuzz::Check(opens, "the saved layer file does not open");
    }
    Try([&] { layer->Unload(); });
    fuzz::Check(ObjectCount(*layer) == 0, "objects left after the unload");
    const bool reloaded = Try([&] { layer->Load(nullptr, nullptr); });
    if (loaded && edited && saved && reloaded)
      fuzz::Check(ObjectCount(*layer) == before + change,
                  "reload holds " + std::to_string(ObjectCount(*layer)) + " objects, expected " +
                      std::to_string(before + change));
    Draw(*root);
    LookUp(*root, *layer);
  }
  root.reset();
  return 0;
}
