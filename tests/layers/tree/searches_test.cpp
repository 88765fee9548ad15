// The kinds of search over the layer tree, run from the root of small trees
// built in memory: the type filter, the omitted and the reference object,
// the class filter and the named range, the numbered-layer object searches
// with their path and callback, the list search with its limit and its
// copies of unowned objects, and the order among equally near objects.
#include "layers/tree/searches.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <type_traits>
#include <vector>

#include "foundation/threads/cancel.h"
#include "layers/store/layerfile.h"
#include "layers/tree/layertree.h"
#include "layers/tree/objectlist.h"
#include "layers/tree/sublayer.h"
#include "layers/tree/undo.h"
#include "objects/defelements.h"
#include "objects/layerline.h"
#include "objects/symbol.h"
#include "objects/symbollib.h"

namespace {

static_assert(std::is_base_of_v<EAbort, ESearchListExceed>, "a list overflow ends the walk as a silent abort");

// Every search looks around (0, 50) within 10 units each way. The objects
// are vertical lines from (x, 50) to (x, 100), so both an object's distance
// from the point and the distance of its nearest end are |x|.
const TRealPoint kPoint{0, 50};
const TRealPoint kTolerance{10, 10};
constexpr std::uint32_t kLinesAndTexts = kMaskLine | kMaskText;

// A layer made on the fly by a plug-in: no object list, one object made for
// each near search and freed right after it was offered.
class TPluginNode : public TWarstwaImp {
 public:
  TPluginNode() {
    Name = "Wtyczka";
    SetFlag(kNodeLoaded | kNodeVisible | kNodeShown);
  }
  void Draw(TRealCanvas&) override {}
  void SetVisibleAll(bool) override {}
  void AddObject(TEGraphObj*) override {}
  void SearchNear(TDoSearch& S, TSearchHit& Hit) override {
    Hit.Sublayer = nullptr;
    TLinia made(TRealPoint{1, 0}, TRealPoint{1, 100});
    Offered = &made;
    S.Accept(&made);
  }
  const TEGraphObj* Offered = nullptr;
};

class SearchTreeTest : public ::testing::Test {
 protected:
  SearchTreeTest() : root(std::make_unique<TBazaWarstw>("Mapa")) {}

  TKatalogWarstw* AddCatalogue(const std::string& name) {
    auto c = std::make_unique<TKatalogWarstw>(nullptr, name, nullptr, "", "", nullptr);
    TKatalogWarstw* p = c.get();
    root->AddChild(std::move(c));
    return p;
  }

  // A layer of Sublayers visible sublayers (numbered from 0), not loaded.
  static TWarstwa* AddLayer(TGrupaWarstw& parent, const std::string& name, bool line, std::uint16_t number,
                            int sublayers = 1) {
    TMainWarstwaHeader header;
    header.Kind = line ? 1 : 0;
    auto layer = std::make_unique<TWarstwa>(nullptr, nullptr, header, name, nullptr);
    layer->LayerNumber = number;
    for (int n = 1; n < sublayers; ++n) {
      std::unique_ptr<TPodwarstwa> s;
      if (line)
        s = std::make_unique<TPodwarstwaLiniowa>(nullptr, nullptr, n, nullptr);
      else
        s = std::make_unique<TPodwarstwaTextowa>(nullptr, nullptr, n, nullptr);
      s->SetVisible(true);
      layer->AddChild(std::move(s));
    }
    TWarstwa* p = layer.get();
    parent.AddChild(std::move(layer));
    return p;
  }

  // The line from (x, 50) up in the sublayer, with a record number; the sublayer
  // counts as drawn at the current scale.
  static TLinia* Put(TPodwarstwa& sublayer, double x, std::uint32_t record = 0) {
    auto* obj = new TLinia(TRealPoint{x, 50}, TRealPoint{x, 100});
    obj->SetIndexUnchanged(record);
    sublayer.AddObject(obj);
    sublayer.SetFlag(kNodeDrawn);
    return obj;
  }

  // Runs S from the root, as the map view does.
  void Run(TDoSearch& S) { S.Check(*root); }

  std::unique_ptr<TBazaWarstw> root;
};

// --- The type filter -----------------------------------------------------------

TEST_F(SearchTreeTest, TypeMaskChoosesTheNodesSearched) {
  TKatalogWarstw* cat = AddCatalogue("Ewidencja");
  TPodwarstwa* lines = AddLayer(*cat, "DZIALKI", true, 1)->Sublayer(0);
  TPodwarstwa* texts = AddLayer(*cat, "NUMERY", false, 4)->Sublayer(0);
  TLinia* line = Put(*lines, 3);
  TLinia* inText = Put(*texts, 2);
  ASSERT_TRUE(root->IsShown());

  struct Case {
    const char* name;
    std::uint32_t mask;
    TEGraphObj* expected;
  };
  for (const Case& c : {Case{"nothing", 0, nullptr}, Case{"lines", kMaskLine, line},
                        Case{"texts", kMaskText, inText}, Case{"both", kLinesAndTexts, inText},
                        Case{"other kinds only", kMaskOtherKinds, nullptr}}) {
    SCOPED_TRACE(c.name);
    for (int kind = 0; kind < 2; ++kind) {
      std::unique_ptr<TSubSetSearch> s;
      if (kind == 0)
        s = std::make_unique<TSubSetSearch>(kPoint, kTolerance, c.mask);
      else
        s = std::make_unique<TPSubSetSearch>(kPoint, kTolerance, c.mask);
      Run(*s);
      EXPECT_EQ(s->Hit.Object, c.expected) << "kind " << kind;
      EXPECT_EQ(s->Found(), c.expected != nullptr);
      if (c.expected != nullptr) {
        EXPECT_EQ(s->Hit.Sublayer, c.expected == line ? lines : texts);
      }
    }
  }
}

TEST_F(SearchTreeTest, FieldSearchReachesObjectsOutsideTheRectangle) {
  TKatalogWarstw* cat = AddCatalogue("Ewidencja");
  TPodwarstwa* lines = AddLayer(*cat, "DZIALKI", true, 1)->Sublayer(0);
  // Horizontal lines above the point, far beyond the tolerance.
  auto* high = new TLinia(TRealPoint{-100, 400}, TRealPoint{100, 400});
  auto* low = new TLinia(TRealPoint{-100, 200}, TRealPoint{100, 200});
  auto* aside = new TLinia(TRealPoint{50, 100}, TRealPoint{150, 100});  // not above the point
  for (TLinia* l : {high, low, aside}) lines->AddObject(l);
  lines->SetFlag(kNodeDrawn);

  TFieldSubSetSearch field(kPoint, kTolerance, kMaskLine);
  Run(field);
  EXPECT_EQ(field.Hit.Object, low);
  EXPECT_DOUBLE_EQ(field.Hit.Distance, 150);

  TFieldSubSetSearch filtered(kPoint, kTolerance, kMaskText);
  Run(filtered);
  EXPECT_FALSE(filtered.Found());

  TSubSetSearch near(kPoint, kTolerance, kMaskLine);
  Run(near);
  EXPECT_FALSE(near.Found());
}

// --- Omitted and reference objects ------------------------------------------------

TEST_F(SearchTreeTest, OmittedObjectIsNeverTheHitEvenWhenNearest) {
  TKatalogWarstw* cat = AddCatalogue("Ewidencja");
  TPodwarstwa* lines = AddLayer(*cat, "DZIALKI", true, 1, 2)->Sublayer(0);
  TPodwarstwa* other = dynamic_cast<TWarstwa*>(cat->GetItem(0))->Sublayer(1);
  TLinia* nearest = Put(*lines, 0);
  TLinia* next = Put(*other, 4);

  {
    TSubSetSearchOm s(kPoint, kTolerance, kMaskLine, nearest);
    Run(s);
    EXPECT_EQ(s.Hit.Object, next);
  }
  {
    TPSubSetSearchOm s(kPoint, kTolerance, kMaskLine, nearest);
    Run(s);
    EXPECT_EQ(s.Hit.Object, next);
  }
  {
    TSubSetSearchOm s(kPoint, kTolerance, kMaskLine, nullptr);
    Run(s);
    EXPECT_EQ(s.Hit.Object, nearest);
  }
  // The omitted object alone near the point: no hit.
  other->DeleteObject(next);
  TSubSetSearchOm alone(kPoint, kTolerance, kMaskLine, nearest);
  Run(alone);
  EXPECT_FALSE(alone.Found());
}

TEST_F(SearchTreeTest, TheSameSearchFindsAnotherObjectWithTheReferenceGeometry) {
  TKatalogWarstw* cat = AddCatalogue("Ewidencja");
  TPodwarstwa* lines = AddLayer(*cat, "DZIALKI", true, 1)->Sublayer(0);
  Put(*lines, 1);                             // nearer, another geometry
  TLinia* reference = Put(*lines, 3);
  TLinia* twin = Put(*lines, 3);              // the same line again

  TPSubSetSearchTheSame s(kPoint, kTolerance, kMaskLine, reference);
  Run(s);
  EXPECT_EQ(s.Hit.Object, twin);

  // A reference that is not in the tree finds the objects like it.
  TLinia outside(TRealPoint{1, 50}, TRealPoint{1, 100});
  TPSubSetSearchTheSame t(kPoint, kTolerance, kMaskLine, &outside);
  Run(t);
  ASSERT_TRUE(t.Found());
  EXPECT_TRUE(t.Hit.Object->SameGeometry(outside));

  // Nothing else like the reference: no hit, not the reference itself.
  lines->DeleteObject(twin);
  TPSubSetSearchTheSame u(kPoint, kTolerance, kMaskLine, reference);
  Run(u);
  EXPECT_FALSE(u.Found());
  TPSubSetSearchTheSame none(kPoint, kTolerance, kMaskLine, nullptr);
  Run(none);
  EXPECT_FALSE(none.Found());
}

// --- Class filter and the named range ----------------------------------------------

TEST_F(SearchTreeTest, ClassSearchTakesObjectsOfTheClassAndItsDescendants) {
  TKatalogWarstw* cat = AddCatalogue("Ewidencja");
  TPodwarstwa* lines = AddLayer(*cat, "DZIALKI", true, 1)->Sublayer(0);
  auto* styled = new TDefSpecLinia(TRealPoint{1, 0}, TRealPoint{1, 100});
  lines->AddObject(styled);
  TLinia* plain = Put(*lines, 2);
  auto* circle = new TOkrag(TPointRec{8, 50, 0}, 4);  // 4 from the point
  lines->AddObject(circle);

  struct Case {
    const char* name;
    TObjectClass cls;
    TEGraphObj* expected;
  };
  for (const Case& c : {Case{"a class and its descendants", ObjectClass<TLinia>(), styled},
                        Case{"a base class", ObjectClass<TNELinia>(), styled},
                        Case{"the descendant only", ObjectClass<TDefSpecLinia>(), styled},
                        Case{"circles", ObjectClass<TOkrag>(), circle},
                        Case{"any object", ObjectClass<TEGraphObj>(), styled},
                        Case{"no class", TObjectClass{}, nullptr}}) {
    SCOPED_TRACE(c.name);
    TTypSubSetSearch s(kPoint, kTolerance, kMaskLine, c.cls);
    Run(s);
    EXPECT_EQ(s.Hit.Object, c.expected);
  }
  // A class that only the farther plain line has, once the styled one is gone.
  lines->DeleteObject(styled);
  TTypSubSetSearch s(kPoint, kTolerance, kMaskLine, ObjectClass<TLinia>());
  Run(s);
  EXPECT_EQ(s.Hit.Object, plain);
  TTypSubSetSearch masked(kPoint, kTolerance, kMaskText, ObjectClass<TLinia>());
  Run(masked);
  EXPECT_FALSE(masked.Found());
}

TEST_F(SearchTreeTest, RangeSearchStaysInTheExactlyNamedLayer) {
  TKatalogWarstw* ewid = AddCatalogue("Ewidencja");
  TWarstwa* dzialki = AddLayer(*ewid, "DZIALKI", true, 1, 5);
  TKatalogWarstw* szkice = AddCatalogue("Szkice");
  TWarstwa* lower = AddLayer(*szkice, "dzialki", true, 0);
  // Sublayer n of DZIALKI holds the line x = n + 1; the other layer the
  // nearest of all.
  std::vector<TLinia*> byNumber;
  for (int n = 0; n < 5; ++n) byNumber.push_back(Put(*dzialki->Sublayer(n), n + 1));
  TLinia* inLower = Put(*lower->Sublayer(0), 0.5);

  struct Case {
    const char* start;
    std::int32_t number;
    TEGraphObj* expected;
  };
  for (const Case& c : {Case{"DZIALKI", -1, byNumber[0]}, Case{"DZIALKI", 3, byNumber[3]},
                        Case{"DZIALKI", 0, byNumber[0]}, Case{"DZIALKI", 7, nullptr},
                        Case{"dzialki", -1, inLower}, Case{"Dzialki", -1, nullptr}, Case{"DZIAL", -1, nullptr},
                        Case{"DZIALKI ", -1, nullptr}, Case{"", -1, nullptr},
                        Case{"Ewidencja", -1, byNumber[0]}, Case{"Szkice", -1, inLower},
                        Case{"Mapa", -1, inLower}}) {
    SCOPED_TRACE(std::string("\"") + c.start + "\" " + std::to_string(c.number));
    TRangeTypSubSetSearch s(kPoint, kTolerance, kMaskLine, ObjectClass<TLinia>(), c.start, c.number);
    Run(s);
    EXPECT_EQ(s.Hit.Object, c.expected);
    EXPECT_FALSE(s.InRange);
  }

  // The class and the type filter still apply inside the range.
  TRangeTypSubSetSearch circles(kPoint, kTolerance, kMaskLine, ObjectClass<TOkrag>(), "DZIALKI", -1);
  Run(circles);
  EXPECT_FALSE(circles.Found());
  TRangeTypSubSetSearch texts(kPoint, kTolerance, kMaskText, ObjectClass<TLinia>(), "DZIALKI", -1);
  Run(texts);
  EXPECT_FALSE(texts.Found());
}

// --- Object searches in numbered layers ------------------------------------------------

TEST_F(SearchTreeTest, ObjectSearchEntersOnlyNumberedLayers) {
  TKatalogWarstw* ewid = AddCatalogue("Ewidencja");
  TWarstwa* numbered = AddLayer(*ewid, "DZIALKI", true, 1, 2);
  TWarstwa* plain = AddLayer(*ewid, "ROBOCZA", true, 0);
  TKatalogWarstw* szkice = AddCatalogue("Szkice");
  TWarstwa* sketch = AddLayer(*szkice, "SZKIC", true, 0);
  Put(*plain->Sublayer(0), 0);
  Put(*sketch->Sublayer(0), 0.5);
  TLinia* second = Put(*numbered->Sublayer(1), 2);  // every sublayer of the layer is searched
  TLinia* first = Put(*numbered->Sublayer(0), 3);

  TObiektSearch s(kPoint, kTolerance);
  Run(s);
  EXPECT_EQ(s.Hit.Object, second);
  EXPECT_EQ(s.Hit.Sublayer, numbered->Sublayer(1));
  EXPECT_FALSE(s.InLayer);

  numbered->Sublayer(1)->DeleteObject(second);
  TObiektSearch t(kPoint, kTolerance);
  Run(t);
  EXPECT_EQ(t.Hit.Object, first);
}

TEST_F(SearchTreeTest, ObjectSearchInATreeWithoutNumberedLayersFindsNothing) {
  TKatalogWarstw* szkice = AddCatalogue("Szkice");
  Put(*AddLayer(*szkice, "SZKIC", true, 0)->Sublayer(0), 0);
  Put(*AddLayer(*szkice, "OPISY", false, 0)->Sublayer(0), 1);

  TObiektSearch s(kPoint, kTolerance);
  Run(s);
  EXPECT_FALSE(s.Found());
  int calls = 0;
  TCheckObiektSearch c(kPoint, kTolerance, [&](const TObiektPath&) { return ++calls, true; });
  Run(c);
  EXPECT_FALSE(c.Found());
  EXPECT_EQ(calls, 0);
}

TEST_F(SearchTreeTest, ObjectSearchRecordsThePathOfTheNodesItEnters) {
  TKatalogWarstw* ewid = AddCatalogue("Ewidencja");
  TWarstwa* layer = AddLayer(*ewid, "DZIALKI", true, 7, 3);
  Put(*layer->Sublayer(2), 1, 44);

  TJObiektSearch s(kPoint, kTolerance);
  Run(s);
  ASSERT_TRUE(s.Found());
  EXPECT_EQ(s.ObiektPath.Catalogue, ewid);
  EXPECT_EQ(s.ObiektPath.Layer, layer);
  EXPECT_EQ(s.ObiektPath.LayerNumber, 7);
  EXPECT_EQ(s.ObiektPath.SublayerNumber, 2);
  EXPECT_EQ(s.ObiektPath.Index, 0u);  // only the checking search records the object

  // The widest layer number stays positive.
  layer->LayerNumber = 65535;
  TJObiektSearch w(kPoint, kTolerance);
  Run(w);
  EXPECT_EQ(w.ObiektPath.LayerNumber, 65535);
}

TEST_F(SearchTreeTest, CheckCallbackSeesThePathOfEachObjectAndDecides) {
  TKatalogWarstw* ewid = AddCatalogue("Ewidencja");
  TWarstwa* dzialki = AddLayer(*ewid, "DZIALKI", true, 1, 2);
  TWarstwa* budynki = AddLayer(*ewid, "BUDYNKI", true, 2);
  TLinia* nearest = Put(*dzialki->Sublayer(1), 1, 11);
  TLinia* middle = Put(*budynki->Sublayer(0), 2, 21);
  Put(*dzialki->Sublayer(0), 30, 12);  // not near

  using Seen = std::tuple<TKatalogWarstw*, TWarstwa*, std::int32_t, std::int32_t, std::uint32_t>;
  std::vector<Seen> seen;
  auto record = [&](const TObiektPath& p) {
    seen.emplace_back(p.Catalogue, p.Layer, p.LayerNumber, p.SublayerNumber, p.Index);
    return p.Index != 11;  // refuses the nearest object
  };
  TCheckObiektSearch s(kPoint, kTolerance, record);
  Run(s);
  EXPECT_EQ(s.Hit.Object, middle);
  // Children in name order: BUDYNKI before DZIALKI.
  EXPECT_EQ(seen, (std::vector<Seen>{Seen{ewid, budynki, 2, 0, 21}, Seen{ewid, dzialki, 1, 1, 11}}));

  TCheckObiektSearch all(kPoint, kTolerance, [](const TObiektPath&) { return true; });
  Run(all);
  EXPECT_EQ(all.Hit.Object, nearest);
  TCheckObiektSearch none(kPoint, kTolerance, [](const TObiektPath&) { return false; });
  Run(none);
  EXPECT_FALSE(none.Found());
  TCheckObiektSearch noCallback(kPoint, kTolerance, nullptr);
  Run(noCallback);
  EXPECT_EQ(noCallback.Hit.Object, nearest);

  // The field variant asks the same callback.
  auto* above = new TLinia(TRealPoint{-5, 80}, TRealPoint{5, 80});
  above->SetIndexUnchanged(13);
  dzialki->Sublayer(0)->AddObject(above);
  seen.clear();
  TFieldObiektSearch field(kPoint, kTolerance, record);
  Run(field);
  EXPECT_EQ(field.Hit.Object, above);
  EXPECT_EQ(seen.back(), (Seen{ewid, dzialki, 1, 0, 13}));
}

// --- The list search ------------------------------------------------------------------

TEST_F(SearchTreeTest, ListSearchStopsAfterListingOneOverItsLimit) {
  TKatalogWarstw* ewid = AddCatalogue("Ewidencja");
  TWarstwa* layer = AddLayer(*ewid, "DZIALKI", true, 1, 2);
  std::vector<TLinia*> objects;
  for (int i = 0; i < 100; ++i) objects.push_back(Put(*layer->Sublayer(0), i * 0.01));
  for (int i = 0; i < 100; ++i) objects.push_back(Put(*layer->Sublayer(1), i * 0.01));

  TListSubSetSearch s(kPoint, kTolerance);
  EXPECT_EQ(s.SearchMask, 0xD342u);
  EXPECT_THROW(Run(s), ESearchListExceed);
  // The caller goes on with the objects listed so far, the 129th among them.
  ASSERT_EQ(s.Found.size(), 129u);
  for (std::size_t i = 0; i < s.Found.size(); ++i) EXPECT_EQ(s.Found[i], objects[i]) << i;
  EXPECT_EQ(s.Hit.Sublayer, nullptr);
  // The walk let go of the object lists on its way out: another thread
  // (the redraw) can take their locks.
  for (int n = 0; n < 2; ++n) {
    bool free = false;
    std::thread other([&] {
      std::recursive_mutex& lock = layer->Sublayer(n)->Objects()->Lock();
      free = lock.try_lock();
      if (free) lock.unlock();
    });
    other.join();
    EXPECT_TRUE(free) << "sublayer " << n;
  }
}

TEST_F(SearchTreeTest, ListSearchAtItsLimitEndsNormallyWithoutAHit) {
  TKatalogWarstw* ewid = AddCatalogue("Ewidencja");
  TWarstwa* layer = AddLayer(*ewid, "DZIALKI", true, 1);
  for (int i = 0; i < 128; ++i) Put(*layer->Sublayer(0), i * 0.01);
  Put(*layer->Sublayer(0), 50);  // not near
  // Text sublayers take no part in intersections.
  Put(*AddLayer(*ewid, "NUMERY", false, 4)->Sublayer(0), 0);

  TListSubSetSearch s(kPoint, kTolerance);
  EXPECT_NO_THROW(Run(s));
  EXPECT_EQ(s.Found.size(), 128u);
  EXPECT_EQ(s.Hit.Sublayer, nullptr);
  EXPECT_EQ(s.Hit.Object, nullptr);
}

TEST_F(SearchTreeTest, ListSearchLeavesOutTheOmittedObject) {
  TKatalogWarstw* ewid = AddCatalogue("Ewidencja");
  TPodwarstwa* lines = AddLayer(*ewid, "DZIALKI", true, 1)->Sublayer(0);
  TLinia* a = Put(*lines, 0);
  TLinia* edited = Put(*lines, 1);
  TLinia* b = Put(*lines, 2);

  TListSubSetSearchOm s(kPoint, kTolerance, edited);
  Run(s);
  EXPECT_EQ(s.Found, (std::vector<TEGraphObj*>{a, b}));
  EXPECT_EQ(s.Hit.Sublayer, nullptr);
}

TEST_F(SearchTreeTest, ListSearchKeepsACopyOfAnObjectMadeOnTheFly) {
  auto node = std::make_unique<TPluginNode>();
  TPluginNode* plugin = node.get();
  root->AddChild(std::move(node));
  root->SetFlag(kNodeShown);
  TPodwarstwa* lines = AddLayer(*AddCatalogue("Ewidencja"), "DZIALKI", true, 1)->Sublayer(0);
  TLinia* stored = Put(*lines, 2);

  {
    TListSubSetSearch s(kPoint, kTolerance);
    Run(s);
    ASSERT_EQ(s.Found.size(), 2u);
    EXPECT_EQ(s.Found[0], stored);
    TEGraphObj* copy = s.Found[1];
    EXPECT_NE(copy, plugin->Offered);  // that one is gone with the call
    EXPECT_TRUE(copy->IsUnowned());
    EXPECT_TRUE(copy->SameGeometry(TLinia(TRealPoint{1, 0}, TRealPoint{1, 100})));
  }
  // The copy went with the search (the leak checker would say otherwise);
  // the sublayer's object stays its own.
  ASSERT_EQ(lines->Objects()->Count(), 1);
  EXPECT_EQ(lines->Objects()->Get(0), stored);
  EXPECT_FALSE(stored->IsUnowned());
}

// --- Equally near objects ----------------------------------------------------------------

TEST_F(SearchTreeTest, EqualDistancesGiveTheFirstInListAndWalkOrder) {
  TKatalogWarstw* ewid = AddCatalogue("Ewidencja");
  TWarstwa* layer = AddLayer(*ewid, "DZIALKI", true, 1, 2);
  TLinia* first = Put(*layer->Sublayer(0), 2);
  Put(*layer->Sublayer(0), -2);
  Put(*layer->Sublayer(1), 2);  // the same distance in the next sublayer

  std::vector<std::pair<const char*, std::unique_ptr<TDoSearch>>> kinds;
  kinds.emplace_back("nearest", std::make_unique<TSubSetSearch>(kPoint, kTolerance, kMaskLine));
  kinds.emplace_back("nearest point", std::make_unique<TPSubSetSearch>(kPoint, kTolerance, kMaskLine));
  kinds.emplace_back("point over all", std::make_unique<TPSearch>(kPoint, kTolerance));
  kinds.emplace_back("object", std::make_unique<TObiektSearch>(kPoint, kTolerance));
  kinds.emplace_back("class", std::make_unique<TTypSubSetSearch>(kPoint, kTolerance, kMaskLine,
                                                                   ObjectClass<TLinia>()));
  for (auto& [name, s] : kinds) {
    SCOPED_TRACE(name);
    Run(*s);
    EXPECT_EQ(s->Hit.Object, first);
    EXPECT_DOUBLE_EQ(s->Hit.Distance, 2);
  }
}


// A search the view gave no drawing parameters meets a symbol of the
// library: its hit test takes the view as not turned instead of reaching
// for a view that is not there.
TEST_F(SearchTreeTest, ASearchWithoutDrawingParametersHitsALibrarySymbol) {
  TSymbolHeader header;
  header.Sizes = {1, 1, 1, 1};
  header.Extent = 1;
  header.First = 1;
  header.Count = 2;
  const std::vector<TElementRecord> elements = {TElementRecord{-1, 0, 1, 0, 0, kElemLine},
                                                TElementRecord{0, -1, 0, 1, 0, kElemLine}};
  TSymbol symbol(header, elements);
  TPodwarstwa* texts = AddLayer(*AddCatalogue("Sytuacja"), "ZNAKI", false, 5)->Sublayer(0);
  auto* placed = new TWysKatSymbol(kPoint, &symbol, 0, 0.0f);
  texts->AddObject(placed);
  texts->SetFlag(kNodeDrawn);
  TSubSetSearch s(kPoint, kTolerance, kMaskText);
  ASSERT_EQ(s.DrawParams, nullptr);
  Run(s);
  EXPECT_EQ(s.Hit.Object, placed);
}

// --- Deleting what meets a window ------------------------------------------------

// A catalogue with the numbered line layer "DZIALKI" (two sublayers) and
// the unnumbered layer "NUMERY"; the objects at 3, 8 and -5 of the line
// layer and at 2 of the other meet the window, the one at 30 does not.
class DeleteInWindowTest : public SearchTreeTest {
 protected:
  void SetUp() override {
    cat = AddCatalogue("Ewidencja");
    TWarstwa* lines = AddLayer(*cat, "DZIALKI", true, 1, 2);
    first = lines->Sublayer(0);
    second = lines->Sublayer(1);
    other = AddLayer(*cat, "NUMERY", true, 0)->Sublayer(0);
    at3 = Put(*first, 3, 11);
    at8 = Put(*first, 8, 12);
    outside = Put(*first, 30, 14);
    atMinus5 = Put(*second, -5, 13);
    at2 = Put(*other, 2);
    for (TEGraphObj* obj : {at3, at8, outside, atMinus5, at2}) obj->SetIdent(7);
  }

  // The objects the group deleted, in its order.
  static std::vector<TEGraphObj*> Deleted(const TBlockUndoOperation& group) {
    std::vector<TEGraphObj*> objects;
    for (int i = 0; i < group.Count(); ++i)
      objects.push_back(static_cast<TUndoOperationItem*>(group.Member(i))->OldObject());
    return objects;
  }
  static int Count(TPodwarstwa* sublayer) { return sublayer->Objects()->Count(); }

  TKatalogWarstw* cat = nullptr;
  TPodwarstwa* first = nullptr;
  TPodwarstwa* second = nullptr;
  TPodwarstwa* other = nullptr;
  TLinia *at3 = nullptr, *at8 = nullptr, *outside = nullptr, *atMinus5 = nullptr, *at2 = nullptr;
};

TEST_F(DeleteInWindowTest, DeletesWhatMeetsTheWindowStampedAndUndoable) {
  TBlockUndoOperation group("Usuwanie");
  TDeleteObjsInWindow s(kPoint, kTolerance, &group, 42, nullptr);
  Run(s);
  EXPECT_FALSE(s.Found());
  // Each sublayer's objects from its last to its first, in tree order.
  EXPECT_EQ(Deleted(group), (std::vector<TEGraphObj*>{at8, at3, atMinus5, at2}));
  EXPECT_EQ(s.Deleted, 4);
  for (int i = 0; i < group.Count(); ++i) {
    auto* item = static_cast<TUndoOperationItem*>(group.Member(i));
    EXPECT_EQ(item->Kind, kUndoDelete);
    EXPECT_EQ(item->OldIdent(), 7u) << i;
    EXPECT_EQ(item->OldObject()->GetIdent(), 42u) << i;
  }
  EXPECT_EQ(Count(first), 1);
  EXPECT_EQ(first->Objects()->Get(0), outside);
  EXPECT_EQ(Count(second), 0);
  EXPECT_EQ(Count(other), 0);

  // Undoing the group puts every object back.
  group.Undo();
  EXPECT_EQ(Count(first), 3);
  EXPECT_EQ(Count(second), 1);
  EXPECT_EQ(Count(other), 1);
}

TEST_F(DeleteInWindowTest, ObjectsOfNumberedLayersGoOnlyWhenFree) {
  TBlockUndoOperation group("Usuwanie");
  std::vector<std::tuple<TKatalogWarstw*, std::int32_t, std::int32_t>> asked;
  TDeleteObjsInWindow s(kPoint, kTolerance, &group, 0,
                        [&](TKatalogWarstw* c, std::int32_t layer, std::int32_t index) {
                          asked.emplace_back(c, layer, index);
                          return index != 12;  // the object at 8 belongs to an object
                        });
  Run(s);
  // Layer 0 is never asked about.
  EXPECT_EQ(asked, (std::vector<std::tuple<TKatalogWarstw*, std::int32_t, std::int32_t>>{
                       {cat, 1, 12}, {cat, 1, 11}, {cat, 1, 13}}));
  EXPECT_EQ(Deleted(group), (std::vector<TEGraphObj*>{at3, atMinus5, at2}));
  ASSERT_EQ(Count(first), 2);
  EXPECT_GE(first->Objects()->IndexOf(at8), 0);
}

TEST_F(DeleteInWindowTest, ReadOnlySublayerIsLeftAloneAndTheWalkGoesOn) {
  second->SetFlag(kNodeReadOnly);
  TBlockUndoOperation group("Usuwanie");
  TDeleteObjsInWindow s(kPoint, kTolerance, &group, 0, nullptr);
  EXPECT_NO_THROW(Run(s));
  EXPECT_EQ(Deleted(group), (std::vector<TEGraphObj*>{at8, at3, at2}));
  EXPECT_EQ(Count(second), 1);
}

TEST_F(DeleteInWindowTest, CancelEndsTheWalkKeepingTheDeletionsMade) {
  TCancel cancel(60000, "Wyszukiwanie");
  TBlockUndoOperation group("Usuwanie");
  TDeleteObjsInWindow s(kPoint, kTolerance, &group, 0, [&](TKatalogWarstw*, std::int32_t, std::int32_t) {
    cancel.SetCanceled();  // the user cancels while the first object goes
    return true;
  });
  s.Cancel = &cancel;
  EXPECT_THROW(Run(s), ECanceled);
  EXPECT_EQ(Deleted(group), (std::vector<TEGraphObj*>{at8}));
  EXPECT_EQ(Count(first), 2);
  EXPECT_EQ(Count(second), 1);
  EXPECT_EQ(Count(other), 1);
}

}  // namespace
