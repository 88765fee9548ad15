// Sublayers: the objects they hold (with the owner bits), saving to the layer
// file, loading records into classes, canvas preparation, drawing, searches,
// the header dialogs, new-object defaults and the print masking of lines.
#include "layers/tree/sublayer.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <filesystem>
#include <map>
#include <fstream>
#include <memory>
#include <string>
#include <chrono>
#include <thread>
#include <vector>

#include "drawing/canvascfg.h"
#include "drawing/font_fixture.h"
#include "drawing/strokefont.h"
#include "foundation/errors.h"
#include "foundation/settings/settings.h"
#include "foundation/users/users.h"
#include "layers/store/layer_fixture.h"
#include "layers/store/dberrors.h"
#include "layers/store/layerapi.h"
#include "layers/dialogs/layerdlg.h"
#include "layers/tree/layertree.h"
#include "layers/tree/objectlist.h"
#include "layers/dialogs/sublayerdlg.h"
#include "layers/tree/treehost.h"
#include "objects/clipbounds.h"
#include "objects/fraction.h"
#include "objects/layerline.h"
#include "objects/layerobjects.h"
#include "objects/linestylelib.h"
#include "objects/point.h"
#include "objects/styledcanvas.h"
#include "objects/styledlines.h"
#include "objects/symbol.h"
#include "objects/symbollib.h"
#include "objects/texts.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/dialogs.h"
#include "platform/files/faultinject.h"
#include "platform/paint/gdiimage.h"
#include "platform/gui/responder.h"
#include "common/scratch_folder.h"

namespace {

using namespace platform;

void Fail(const std::string& failure) { ADD_FAILURE() << failure; }

// The program's libraries for one test: record classes registered, the
// built-in line styles (no style file, its box kept quiet) and a one-glyph
// stroke font; all released afterwards.
struct TestLibraries {
  TestLibraries() {
    SetLibraryErrorBox([](const std::string&) {});
    FontSpec f;
    f.First = 'I';
    f.Glyphs = {{8, {{{4, 0}, {4, 10}}}}};
    folder.Put("litt.ch1", FontBytes(f));
    folder.Put("font.ch1", FontBytes(f));
    FontManager().SetFolder(folder.Path());
    RegisterLayerObjectClasses();
    LineManager();
  }
  ~TestLibraries() {
    FontManager().SetFolder("");
    ReleaseSymbolManager();
    ReleaseLineManager();
    SetLibraryErrorBox(nullptr);
    FreeGlobalnaKonfiguracja();
  }
  ScratchFolder folder;
};

// A straight line that counts its instances and records how it was drawn.
class TProbe : public TDefSpecLinia {
 public:
  TProbe() { ++Alive; }
  TProbe(const TRealPoint& A, const TRealPoint& B) : TDefSpecLinia(A, B) { ++Alive; }
  ~TProbe() override { --Alive; }

  static inline int Alive = 0;
  // The pen colour at each Draw.
  static inline std::vector<std::uint32_t> Drawn;
  bool Simple = true;
  bool Throw = false;

  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TProbe>(); }
  bool IsSimpleDraw() const override { return Simple; }
  void Draw(TRealCanvas& Canvas) const override {
    Drawn.push_back(Canvas.Pen->Color());
    if (Throw) throw EWarstwaError("rysowanie przerwane");
  }
};

// Counts the saves and restores of the layer's drawing state.
class TRecordingCanvas : public TDefRealCanvas {
 public:
  using TDefRealCanvas::TDefRealCanvas;
  int Saves = 0;
  int Restores = 0;
  std::uint32_t ColourAtSave = 0;
  void SaveCanvasState() override {
    ++Saves;
    ColourAtSave = Pen->Color();
    TDefRealCanvas::SaveCanvasState();
  }
  void RestoreCanvasState() override {
    ++Restores;
    TDefRealCanvas::RestoreCanvasState();
  }
};

// A view canvas over a 200 x 200 window on world (0, 0) - (100, 100).
struct ViewCanvas {
  ViewCanvas() {
    dims.SetWorldRect(TRealRect{0, 0, 100, 100});
    dims.SetDeviceSize(200, 200);
    cfg = konf.GetGroup(std::make_unique<TCanvasCfg>());
  }
  TWindowDim dims;
  TKonfiguracja konf;
  TCanvasCfg* cfg = nullptr;
  TBitmap bitmap{200, 200};
  TRecordingCanvas canvas{&bitmap.Canvas(), konf, &dims};
};

// The record of a line from (x1, y1) to (x2, y2) with a style number.
ObjectSaveRecord StyledLineRec(double x1, double y1, double x2, double y2, std::uint8_t kind,
                               std::uint16_t style) {
  ObjectSaveRecord r = LineRec(x1, y1, x2, y2, kind, 0, kind == 0 ? 0 : 5);
  r.SetStyleNumber(style);
  return r;
}

ObjectSaveRecord TextRecord(std::uint8_t kind, float height, float angle, std::uint8_t flags) {
  ObjectSaveRecord r = TextRec(10, 10, "AB", kind, 0, flags);
  r.SetHeight(height);
  r.SetAngle(angle);
  return r;
}

// The print masking records which kind was made and for which layer.
class FakeClips : public TClipFactoryI {
 public:
  struct Made {
    std::string kind;
    std::string layer;
    int outlines = 0;
    int count = 0;
  };
  std::vector<Made> made;
  std::unique_ptr<TClipBounds> MakeClipAll(TPodwarstwaTextowa&,
                                           std::vector<std::unique_ptr<TClipBounds>> Outlines) override {
    made.push_back({"all", "", static_cast<int>(Outlines.size()), 0});
    return std::make_unique<TTextBounds>();
  }
  std::unique_ptr<TClipBounds> MakeLayerClip(TPodwarstwaTextowa&, TWarstwa& Layer) override {
    made.push_back({"layer", Layer.Name, 0, 0});
    return std::make_unique<TTextBounds>();
  }
  std::unique_ptr<TClipBounds> MakeSublayerClip(TPodwarstwaTextowa&, std::uint8_t Count,
                                                const std::uint8_t (&)[10], TWarstwa& Layer) override {
    made.push_back({"sublayers", Layer.Name, 0, Count});
    return std::make_unique<TTextBounds>();
  }
};

class FakeTool : public TNewObjectToolI {
 public:
  void SetZOption(bool On) override { z = On; }
  void SetCounting(bool On) override { counting = On; }
  void SetPlaced(std::uint8_t State) override { placed = State; }
  void SetMayChangeHeight(bool On) override { height = On; }
  void SetMayChangeJustification(bool On) override { justification = On; }
  int z = -1, counting = -1, placed = -1, height = -1, justification = -1;
};

// --- Sublayers on their own (no layer file) ---------------------------------

class SublayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TProbe::Alive = 0;
    TProbe::Drawn.clear();
    line.SetVisible(true);
    line.Colour = 0x000044;
  }
  // A stored line: record number n, marked unchanged.
  static TProbe* Stored(std::uint32_t n, double x = 10) {
    auto* p = new TProbe(TRealPoint{x, 10}, TRealPoint{x, 20});
    p->SetIndexUnchanged(n);
    return p;
  }

  TestLibraries libraries;
  ViewCanvas view;
  TPodwarstwaLiniowa line{nullptr, nullptr, 3, &view.canvas};
};

TEST_F(SublayerTest, NameIsTheNumberInTwoPlaces) {
  EXPECT_EQ(line.Name, " 3");
  EXPECT_EQ(SublayerNumberText(7) + " Drogi", " 7 Drogi");
  EXPECT_EQ(SublayerNumberText(12), "12");
  EXPECT_EQ(SublayerNumberText(123), "123");
  EXPECT_EQ(line.GetIdent(), "3");
  EXPECT_EQ(line.GetTypeMask(), 0xAu);
  TPodwarstwaTextowa text(nullptr, nullptr, 0, nullptr);
  EXPECT_EQ(text.GetTypeMask(), 0x9u);
}

TEST_F(SublayerTest, AddingToAnUnloadedSublayerLoadsAndShowsItAndKeepsTheLastAdded) {
  ASSERT_FALSE(line.IsLoaded());
  auto* a = new TProbe(TRealPoint{1, 2}, TRealPoint{3, 4});
  line.AddObject(a);
  EXPECT_TRUE(line.IsLoaded());
  EXPECT_TRUE(line.IsShown());
  EXPECT_TRUE(line.IsChanged());
  EXPECT_TRUE(line.NodeState.GetModified());
  EXPECT_EQ(line.LastAdded, a);
  EXPECT_NE(a->IndexWord & kIndexInList, 0u);
  EXPECT_EQ(line.GetObszar(), (TRealRect{1, 2, 3, 4}));

  auto* b = new TProbe(TRealPoint{5, 6}, TRealPoint{7, 8});
  line.AddObject(b);
  EXPECT_EQ(line.LastAdded, b);
  EXPECT_EQ(line.Objects()->Count(), 2);
  EXPECT_EQ(line.GetObszar(), (TRealRect{1, 2, 7, 8}));
}

TEST_F(SublayerTest, DeletingANewObjectFreesItAndAStoredOneWaitsInTheDeletedList) {
  auto* fresh = new TProbe(TRealPoint{1, 1}, TRealPoint{2, 2});
  line.AddObject(fresh);
  TProbe* stored = Stored(5);
  line.InsertObject(stored);
  ASSERT_EQ(TProbe::Alive, 2);

  line.DeleteObject(fresh);
  EXPECT_EQ(TProbe::Alive, 2);  // LastAdded became a copy of it
  ASSERT_NE(line.LastAdded, nullptr);
  EXPECT_NE(line.LastAdded, fresh);
  EXPECT_TRUE(line.LastAdded->IsUnowned());

  line.DeleteObject(stored);
  EXPECT_EQ(line.Objects()->Count(), 0);
  ASSERT_NE(line.Deleted(), nullptr);
  ASSERT_EQ(line.Deleted()->Count(), 1);
  EXPECT_EQ(line.Deleted()->Get(0), stored);
  EXPECT_TRUE(line.HasFlag(kNodeBoundsStale));
  EXPECT_EQ(line.GetObszar(), TRealRect{});
  EXPECT_FALSE(line.HasFlag(kNodeBoundsStale));

  // Undo of the deletion takes it out of the deleted list again.
  line.InsertObject(stored);
  EXPECT_EQ(line.Deleted()->Count(), 0);
  EXPECT_EQ(line.IndexOfObject(stored), 0);
  EXPECT_TRUE(stored->IsChanged());

  // An object not in the list: nothing happens.
  TProbe outside(TRealPoint{}, TRealPoint{1, 1});
  line.DeleteObject(&outside);
  EXPECT_EQ(line.Objects()->Count(), 1);
}

TEST_F(SublayerTest, ReadOnlySublayerRefusesDeletion) {
  TProbe* stored = Stored(1);
  line.InsertObject(stored);
  line.SetFlag(kNodeReadOnly);
  try {
    line.DeleteObject(stored);
    ADD_FAILURE() << "no exception";
  } catch (const EWarstwaError& e) {
    EXPECT_STREQ(e.what(), "Usuwanie z warstwy tylko do odczytu");
  }
  EXPECT_EQ(line.IndexOfObject(stored), 0);
}

TEST_F(SublayerTest, ReplacingKeepsTheRecordNumberFreesTheOldUnlessHeldAndTellsListeners) {
  TProbe* old = Stored(9);
  line.InsertObject(old);
  std::vector<std::pair<TEGraphObj*, TEGraphObj*>> told;
  line.AddChangeListener({[&](TPodwarstwa&, TEGraphObj* o, TEGraphObj* n) { told.emplace_back(o, n); }, this});
  line.AddChangeListener({[&](TPodwarstwa&, TEGraphObj* o, TEGraphObj* n) { told.emplace_back(o, n); }, this});

  // The undo manager holds the old state: it survives the replacement.
  old->MarkUndoRef(false);
  auto* repl = new TProbe(TRealPoint{50, 50}, TRealPoint{60, 60});
  line.ReplaceObject(old, repl);
  ASSERT_EQ(told.size(), 1u);  // the listener was added once
  EXPECT_EQ(told[0].first, old);
  EXPECT_EQ(told[0].second, repl);
  EXPECT_EQ(repl->GetIndex(), 9u);
  EXPECT_TRUE(repl->IsChanged());
  EXPECT_NE(repl->IndexWord & kIndexInList, 0u);
  EXPECT_EQ(old->IndexWord & kIndexInList, 0u);
  EXPECT_EQ(TProbe::Alive, 2);
  TEGraphObj::UnmarkUndoRef(old, false);
  FreeGraphObj(old);
  EXPECT_EQ(TProbe::Alive, 1);

  // Nothing else holds it: freed by the replacement.
  auto* third = new TProbe(TRealPoint{1, 1}, TRealPoint{2, 2});
  line.ReplaceAtIndex(0, third);
  EXPECT_EQ(TProbe::Alive, 1);
  EXPECT_EQ(line.GetObjectAt(0), third);
  EXPECT_EQ(third->GetIndex(), 9u);

  // An object that is not there.
  TProbe stranger(TRealPoint{}, TRealPoint{1, 1});
  TProbe unused;
  try {
    line.ReplaceObject(&stranger, &unused);
    ADD_FAILURE() << "no exception";
  } catch (const EWarstwaError& e) {
    EXPECT_STREQ(e.what(), "Invalid \"where\"");
  }
  line.RemoveChangeListener(this);
  line.ReplaceAtIndex(0, new TProbe(TRealPoint{3, 3}, TRealPoint{4, 4}));
  EXPECT_EQ(told.size(), 2u);
}

TEST_F(SublayerTest, RestoringGivesBackTheOldObjectAndLeavesTheFlags) {
  TProbe* current = Stored(4);
  line.InsertObject(current);
  line.ClearFlag(kNodeChanged);
  line.NodeState.SetModified(false);
  auto* before = new TProbe(TRealPoint{0, 0}, TRealPoint{1, 1});
  before->MarkChanged();
  TEGraphObj* out = line.RestoreAtIndex(0, before);
  EXPECT_EQ(out, current);
  EXPECT_EQ(current->IndexWord & kIndexInList, 0u);
  EXPECT_EQ(before->GetIndex(), 4u);
  EXPECT_FALSE(before->IsChanged());
  EXPECT_FALSE(line.IsChanged());
  EXPECT_FALSE(line.NodeState.GetModified());
  EXPECT_EQ(TProbe::Alive, 2);
  FreeGraphObj(out);
}

TEST_F(SublayerTest, PuttingBackADuplicateRecordLetsGoOfItWithoutTouchingIt) {
  line.InsertObject(Stored(3));
  // A second object with record number 3 that nothing else holds: the list
  // refuses and frees it; the sublayer must not use it afterwards.
  line.InsertObject(Stored(3, 40));
  EXPECT_EQ(line.Objects()->Count(), 1);
  EXPECT_EQ(TProbe::Alive, 1);
  EXPECT_EQ(line.GetObszar(), (TRealRect{10, 10, 10, 20}));
}

TEST_F(SublayerTest, LoadingSkipsRecordsAlreadyThereAndKindsWithoutAClass) {
  ObjectSaveRecord r = LineRec(1, 1, 5, 5);
  r.SetIndex(7);
  line.AddFromRecord(r);
  line.AddFromRecord(r);
  ObjectSaveRecord other = LineRec(2, 2, 3, 3, 5);  // kind 5: no object
  other.SetIndex(8);
  line.AddFromRecord(other);
  ObjectSaveRecord first = LineRec(-1, -1, 0, 0);
  first.SetIndex(2);
  line.AddFromRecord(first);
  ASSERT_EQ(line.Objects()->Count(), 2);
  EXPECT_EQ(line.GetObjectAt(0)->GetIndex(), 2u);
  EXPECT_EQ(line.GetObjectAt(1)->GetIndex(), 7u);
  EXPECT_EQ(line.Bounds, (TRealRect{-1, -1, 5, 5}));
  EXPECT_FALSE(line.IsChanged());
  // Cells wait for the end of the load, which frames the list to the bounds read.
  EXPECT_TRUE(line.Objects()->CellsDeferred());
  line.MarkLoaded();
  EXPECT_TRUE(line.IsShown());
  EXPECT_FALSE(line.Objects()->CellsDeferred());
  EXPECT_EQ(line.Objects()->X0(), -1.0);
  EXPECT_EQ(line.Objects()->DX(), 6.0);

  TSearchHit hit;
  line.FindByRecordNumber(0, 7, hit);
  EXPECT_EQ(hit.Sublayer, &line);
  EXPECT_EQ(hit.Object, line.GetObjectAt(1));
  line.FindByRecordNumber(0, 5, hit);
  EXPECT_EQ(hit.Sublayer, nullptr);
  TObjectValueResult value;
  EXPECT_TRUE(line.FindLoadedValue(7, value));
  EXPECT_TRUE(value.Found);
}

TEST_F(SublayerTest, UnloadDropsObjectsListenersHearAndHistoricalStateEnds) {
  line.AddObject(new TProbe(TRealPoint{1, 1}, TRealPoint{2, 2}));
  TProbe* stored = Stored(6);
  line.InsertObject(stored);
  line.DeleteObject(stored);
  line.SetFlag(kNodeHistorical | kNodeReadOnly);
  int cleared = 0;
  line.AddChangeListener({[&](TPodwarstwa&, TEGraphObj* o, TEGraphObj* n) {
                            if (o == nullptr && n == nullptr) ++cleared;
                          },
                          this});
  line.Unload();
  EXPECT_EQ(cleared, 1);
  EXPECT_EQ(TProbe::Alive, 0);
  EXPECT_EQ(line.LastAdded, nullptr);
  EXPECT_EQ(line.Objects(), nullptr);
  // The deletions go with the other unsaved changes.
  EXPECT_EQ(line.Deleted(), nullptr);
  EXPECT_FALSE(line.HasFlag(kNodeHistorical | kNodeReadOnly | kNodeLoaded | kNodeChanged | kNodeShown));
  EXPECT_TRUE(line.IsEmpty());
  EXPECT_EQ(line.Bounds, TRealRect{});
}

TEST_F(SublayerTest, DescriptionsAndThePanel) {
  TPodwarstwaTextowa text(nullptr, nullptr, 7, nullptr);
  text.Name = " 7 Drogi";
  text.FullName = "Drogi gminne";
  std::string out;
  text.Describe(out, 0);
  EXPECT_EQ(out, "    7 Drogi      Drogi gminne\n");
  EXPECT_EQ(text.GetDescription(), " ( 7 Drogi)");

  TLayerInfo info;
  text.TextFlags = 8;
  text.Colour = 0x123456;
  text.ShowInfo(info);
  EXPECT_EQ(info.FullName, "Drogi gminne");
  EXPECT_EQ(info.I1c, "");
  EXPECT_EQ(info.Page, TLayerInfo::TPage::Texts);
  EXPECT_TRUE(info.Italic);
  EXPECT_EQ(info.FontColour, 0x123456u);
  EXPECT_TRUE(info.EditEnabled);

  line.AddObject(new TProbe(TRealPoint{1, 1}, TRealPoint{2, 2}));
  line.WidthMode = 2;
  line.SetFlag(kNodeReadOnly);
  TLayerInfo lineInfo;
  line.ShowInfo(lineInfo);
  EXPECT_EQ(lineInfo.I1c, "Ilość odczytanych elementów");
  EXPECT_EQ(lineInfo.I1v, "1");
  EXPECT_EQ(lineInfo.Page, TLayerInfo::TPage::Lines);
  EXPECT_EQ(lineInfo.SampleWidth, 3);
  EXPECT_EQ(lineInfo.WidthMode, 2);
  EXPECT_FALSE(lineInfo.EditEnabled);
  EXPECT_EQ(line.GetImageIndex(), 8);
  EXPECT_EQ(text.GetImageIndex(), 1);
}

// --- Canvas preparation and drawing ------------------------------------------

TEST_F(SublayerTest, LinePreparationSetsPenStyleAndWidthThenSavesTheState) {
  line.PenStyle = 3;
  line.ScreenWidth = 1;
  line.Multiplier = 2.5f;
  line.LineStyle = LineManager().GetLine(1);
  struct Case {
    std::uint8_t mode;
    int width;
  };
  for (const Case& c : {Case{0, 1}, Case{1, 1}, Case{2, 3}}) {
    SCOPED_TRACE(c.mode);
    line.SetWidthMode(c.mode);
    const int saves = view.canvas.Saves;
    line.PrepareCanvas(view.canvas);
    EXPECT_EQ(view.canvas.Pen->Width(), c.width);
    EXPECT_EQ(view.canvas.Pen->Mode(), 4);
    EXPECT_EQ(view.canvas.Pen->Color(), 0x000044u);
    EXPECT_EQ(view.canvas.CurrentLineStyle, line.LineStyle);
    EXPECT_DOUBLE_EQ(view.canvas.LineStyleFactor, 2.5);
    EXPECT_EQ(view.canvas.Saves, saves + 1);
    EXPECT_EQ(view.canvas.Pen->SavedWidth(), c.width);
  }
  EXPECT_FALSE(line.SetWidthMode(2));
  EXPECT_TRUE(line.SetWidthMode(0));
}

TEST_F(SublayerTest, TextPreparationLocksWhatTheSublayerFixes) {
  TPodwarstwaTextowa text(nullptr, nullptr, 0, &view.canvas);
  text.Height = 2.5;
  text.Justification = 3;
  text.Multipliers = {1, 2, 3, 4};
  text.Colour = 0x00AA00;
  text.TextFlags = 2 | 8 | 16;  // constant height, italic, automatic thickness; upright, justification fixed
  view.canvas.SetDrawOption(doSizeLocked, true);
  view.canvas.Size = 9;
  text.PrepareCanvas(view.canvas);
  EXPECT_DOUBLE_EQ(view.canvas.Size, 2.5);  // the old lock did not keep the old size
  EXPECT_EQ(view.canvas.Justification, 3);
  EXPECT_NE(view.canvas.Flags & dfItalic, 0);
  EXPECT_NE(view.canvas.Flags & dfTextPen, 0);
  EXPECT_TRUE(view.canvas.GetDrawOption(doSizeLocked));
  EXPECT_TRUE(view.canvas.GetDrawOption(doUpright));
  EXPECT_TRUE(view.canvas.GetDrawOption(doJustificationLocked));
  EXPECT_EQ(view.canvas.ScaleAnchors, (TScaleAnchors{1, 2, 3, 4}));
  EXPECT_EQ(view.canvas.Pen->Width(), 1);
  EXPECT_EQ(view.canvas.Pen->Style(), 0);
  EXPECT_EQ(view.canvas.Pen->Color(), 0x00AA00u);
  EXPECT_EQ(view.canvas.Saves, 1);
  // The locks hold: a text cannot change the size the sublayer fixed.
  view.canvas.SetSize(7);
  EXPECT_DOUBLE_EQ(view.canvas.Size, 2.5);

  // Justification free, at an angle, size free.
  text.TextFlags = 1 | 4;
  TDrawParams params;
  text.PrepareTextParams(&params);
  EXPECT_FALSE(params.GetDrawOption(doSizeLocked));
  EXPECT_FALSE(params.GetDrawOption(doUpright));
  EXPECT_FALSE(params.GetDrawOption(doJustificationLocked));
  EXPECT_DOUBLE_EQ(params.Size, 2.5);
  EXPECT_EQ(params.ScaleAnchors, (TScaleAnchors{1, 2, 3, 4}));
  EXPECT_DOUBLE_EQ(params.SavedParams.Size, 2.5);
  text.PrepareTextParams(nullptr);
}

TEST_F(SublayerTest, DrawWithLayerPreparesThenForcesTheColour) {
  TProbe obj(TRealPoint{1, 1}, TRealPoint{2, 2});
  obj.DrawWithLayer(line, view.canvas, -1);
  EXPECT_EQ(view.canvas.Saves, 1);  // the sublayer's own preparation
  EXPECT_EQ(view.canvas.Pen->Color(), 0x000044u);
  EXPECT_EQ(TProbe::Drawn, (std::vector<std::uint32_t>{0x000044}));

  obj.DrawWithLayer(line, view.canvas, 0x00FF0000);
  EXPECT_EQ(view.canvas.Saves, 3);
  EXPECT_EQ(view.canvas.ColourAtSave, 0x00FF0000u);  // saved after the forced colour
  EXPECT_EQ(TProbe::Drawn.size(), 2u);
}

TEST_F(SublayerTest, DrawRestoresTheStateForSimpleObjectsAndAlwaysEndsTheQuery) {
  auto* simple = new TProbe(TRealPoint{10, 10}, TRealPoint{20, 20});
  auto* own = new TProbe(TRealPoint{30, 30}, TRealPoint{40, 40});
  own->Simple = false;
  auto* away = new TProbe(TRealPoint{500, 500}, TRealPoint{600, 600});
  line.AddObject(simple);
  line.AddObject(own);
  line.AddObject(away);
  line.ResetSearchCache();  // the frame takes in the objects at the next query
  view.canvas.SetDrawOption(doUpright, true);
  line.Draw(view.canvas);
  EXPECT_TRUE(line.HasFlag(kNodeDrawn));
  EXPECT_EQ(TProbe::Drawn.size(), 2u);  // the far one is outside the window
  EXPECT_EQ(view.canvas.Restores, 1);
  EXPECT_EQ(view.canvas.Options, 0);  // cleared after a complete drawing

  // A failing object: the error passes, the list is not left locked.
  own->Throw = true;
  EXPECT_THROW(line.Draw(view.canvas), EWarstwaError);
  bool locked = true;
  std::thread other([&] {
    locked = !line.Objects()->Lock().try_lock();
    if (!locked) line.Objects()->Lock().unlock();
  });
  other.join();
  EXPECT_FALSE(locked);
}

// The view's redraw thread draws the sublayer again and again while the GUI
// thread adds, replaces, changes, deletes and unloads: no drawing meets a
// freed object or list (the sanitizers watch; scripts/test runs this suite
// under ThreadSanitizer too).
class RedrawConcurrencySublayer : public SublayerTest {};

TEST_F(RedrawConcurrencySublayer, RedrawThreadMeetsEveryKindOfChange) {
  for (int i = 0; i < 20; ++i) line.AddObject(new TProbe(TRealPoint{1.0 * i, 1}, TRealPoint{1.0 * i, 9}));
  std::atomic<bool> stop{false};
  std::atomic<long> drawings{0};
  std::thread drawer([&] {
    while (!stop) {
      line.Draw(view.canvas);
      ++drawings;
    }
  });
  // The changes start once the drawing thread runs and go on until it has
  // drawn a few times, so that a busy machine cannot let it miss them all.
  for (int wait = 0; drawings.load() == 0 && wait < 10000; ++wait) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  for (int round = 0; round < 300 || (drawings.load() < 5 && round < 100000); ++round) {
    const double x = round % 90;
    line.AddObject(new TProbe(TRealPoint{x, x}, TRealPoint{x + 1, x + 1}));
    line.ReplaceAtIndex(0, new TProbe(TRealPoint{x, 0}, TRealPoint{x, 5}));
    line.ObjectChanged(line.GetObjectAt(1));
    line.DeleteObject(line.GetObjectAt(line.Objects()->Count() - 1));
    if (round % 50 == 49) {
      line.Unload();
      line.AddObject(new TProbe(TRealPoint{1, 1}, TRealPoint{2, 2}));
    }
  }
  stop = true;
  drawer.join();
  EXPECT_GT(drawings.load(), 0);
  line.Unload();
  FreeGraphObj(line.LastAdded);
  EXPECT_EQ(TProbe::Alive, 0);
}

TEST_F(SublayerTest, NotDrawnAtThisScaleIsNeitherDrawnNorFound) {
  line.AddObject(new TProbe(TRealPoint{10, 10}, TRealPoint{20, 20}));
  view.cfg->DynamicDisplay = true;
  line.DisplayThreshold = 1000;  // far more pixels per unit than the view has
  line.SetFlag(kNodeDrawn);
  line.Draw(view.canvas);
  EXPECT_TRUE(TProbe::Drawn.empty());
  EXPECT_FALSE(line.HasFlag(kNodeDrawn));
  TDoSearch search(TRealPoint{15, 15}, TRealPoint{2, 2});
  TSearchHit hit;
  line.Search(search, hit);
  EXPECT_EQ(hit.Sublayer, nullptr);
  line.SearchInRect(search, hit);
  EXPECT_EQ(hit.Sublayer, nullptr);

  line.DisplayThreshold = 0;
  line.Draw(view.canvas);
  ASSERT_TRUE(line.HasFlag(kNodeDrawn));
  line.Search(search, hit);
  EXPECT_EQ(hit.Sublayer, &line);
  EXPECT_EQ(hit.TypeMask, 0xAu);
  EXPECT_LT(hit.Distance, 1.0);
}

TEST_F(SublayerTest, SearchTakesTheStrictlyNearestAcceptedObject) {
  auto* a = new TProbe(TRealPoint{10, 10}, TRealPoint{10, 30});
  auto* b = new TProbe(TRealPoint{12, 10}, TRealPoint{12, 30});
  auto* c = new TProbe(TRealPoint{8, 10}, TRealPoint{8, 30});  // as near as b
  line.AddObject(a);
  line.AddObject(b);
  line.AddObject(c);
  line.Draw(view.canvas);
  TDoSearch search(TRealPoint{10.9, 20}, TRealPoint{5, 5});
  TSearchHit hit;
  line.Search(search, hit);
  EXPECT_EQ(hit.Object, a);
  line.SearchPoint(search, hit);
  EXPECT_EQ(hit.Object, a);
  line.SearchNear(search, hit);
  EXPECT_EQ(hit.Object, c);  // the last one near
  line.SearchMatching(search, hit);
  EXPECT_EQ(hit.Object, c);

  TDoSearch equal(TRealPoint{10, 20}, TRealPoint{5, 5});
  line.DeleteObject(a);
  line.Search(equal, hit);
  EXPECT_EQ(hit.Object, b);  // the earlier of two at the same distance
}

TEST_F(SublayerTest, TextSearchFirstNeedsTheShownFlagOnly) {
  TPodwarstwaTextowa text(nullptr, nullptr, 0, &view.canvas);
  text.SetVisible(true);
  auto* t = new TWysNapis(TRealPoint{50, 50}, "A", 2, 7, false);
  text.AddObject(t);
  TDoSearch search(TRealPoint{0, 0}, TRealPoint{1, 1});
  TSearchHit hit;
  text.SearchFirst(search, hit);  // not drawn yet, but shown
  EXPECT_EQ(hit.Sublayer, &text);
  EXPECT_EQ(hit.Object, t);
  EXPECT_EQ(hit.TypeMask, 0x9u);
  line.SearchFirst(search, hit);
  EXPECT_EQ(hit.Sublayer, nullptr);
  text.SetVisible(false);
  text.SearchFirst(search, hit);
  EXPECT_EQ(hit.Sublayer, nullptr);
}

// --- Records to classes, new objects and tools --------------------------------

TEST_F(SublayerTest, LineRecordsBecomeTheirClasses) {
  struct Case {
    const char* name;
    ObjectSaveRecord rec;
    const std::type_info* cls;
  };
  const Case cases[] = {
      {"coinciding points with a style: a point", StyledLineRec(5, 5, 5, 5, 0, 7), &typeid(TPunkt)},
      {"plain line", StyledLineRec(0, 0, 5, 5, 0, 0), &typeid(TDefSpecLinia)},
      {"styled line", StyledLineRec(0, 0, 5, 5, 0, 7), &typeid(TLiniaSpecjalna)},
      {"thick line", StyledLineRec(0, 0, 5, 5, 0x10, 0), &typeid(TLiniaSpecjalna)},
      {"plain arc", StyledLineRec(0, 0, 5, 5, 1, 0), &typeid(TDefSpecLuk)},
      {"styled arc", StyledLineRec(0, 0, 5, 5, 1, 3), &typeid(TLukSpecjalny)},
      {"plain circle", StyledLineRec(0, 0, 0, 0, 2, 0), &typeid(TDefSpecOkrag)},
      {"styled circle", StyledLineRec(0, 0, 0, 0, 2, 4), &typeid(TOkragSpecjalny)},
      {"kind 3", StyledLineRec(0, 0, 5, 5, 3, 0), nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<TEGraphObj> obj = line.CreateObjectFromRecord(c.rec);
    if (c.cls == nullptr) {
      EXPECT_EQ(obj, nullptr);
    } else {
      ASSERT_NE(obj, nullptr);
      EXPECT_EQ(typeid(*obj), *c.cls);
    }
  }
}

TEST_F(SublayerTest, TextRecordsBecomeTheirClasses) {
  struct Case {
    const char* name;
    ObjectSaveRecord rec;
    bool readOnly;
    const std::type_info* cls;
  };
  const Case cases[] = {
      {"no height, angle or justification", TextRecord(2, 0, 0, 0), false, &typeid(TNapisT)},
      {"kind 0 reads as kind 2", TextRecord(0, 0, 0, 0), false, &typeid(TNapisT)},
      {"justification 5", TextRecord(2, 0, 0, 5), false, &typeid(TWysNapis)},
      {"the sublayer's justification, read-only", TextRecord(2, 0, 0, 5), true, &typeid(TNapisT)},
      {"another justification, read-only", TextRecord(2, 0, 0, 4), true, &typeid(TWysNapis)},
      {"a height", TextRecord(2, 2, 0, 0), false, &typeid(TWysNapis)},
      {"an angle", TextRecord(2, 0, 0.5f, 5), true, &typeid(TWysKatNapis)},
      {"referenced text", TextRecord(3, 0, 0, 0), false, &typeid(TWysKatOdnNapis)},
      {"symbol", TextRecord(4, 0, 0, 0), false, &typeid(TGrSymbol)},
      {"symbol with a height", TextRecord(4, 1, 0, 0), false, &typeid(TWysKatSymbol)},
      {"symbol with an angle", TextRecord(4, 0, 1, 0), false, &typeid(TWysKatSymbol)},
      {"fraction", TextRecord(0x12, 0, 0, 0), false, &typeid(TLicznikMianownik)},
      {"kind 5", TextRecord(5, 0, 0, 0), false, nullptr},
      {"kind 20", TextRecord(20, 0, 0, 0), false, nullptr},
  };
  TPodwarstwaTextowa text(nullptr, nullptr, 0, nullptr);
  text.Justification = 5;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    text.SetFlag(kNodeReadOnly, c.readOnly);
    std::unique_ptr<TEGraphObj> obj = text.CreateObjectFromRecord(c.rec);
    if (c.cls == nullptr) {
      EXPECT_EQ(obj, nullptr);
    } else {
      ASSERT_NE(obj, nullptr);
      EXPECT_EQ(typeid(*obj), *c.cls);
    }
  }
}

TEST_F(SublayerTest, NewLinesRepeatTheLastOneOfTheirClassOrItsStyle) {
  const TDefSpecLinia plain;
  const TLiniaSpecjalna special;
  // Nothing added yet: a fresh object.
  EXPECT_EQ(typeid(*line.CreateNewObject(plain)), typeid(TDefSpecLinia));

  const TLine* style = LineManager().GetLine(3);
  auto* last = new TLiniaSpecjalna(TRealPoint{1, 1}, TRealPoint{2, 2}, style, 1.5);
  line.AddObject(last);
  // A descendant of the class: a copy of the last one.
  std::unique_ptr<TEGraphObj> copy = line.CreateNewObject(plain);
  ASSERT_EQ(typeid(*copy), typeid(TLiniaSpecjalna));
  EXPECT_EQ(static_cast<TLiniaSpecjalna&>(*copy).Style.LineDef, style);
  // Another class: fresh, with the last one's style.
  std::unique_ptr<TEGraphObj> arc = line.CreateNewObject(TLukSpecjalny());
  ASSERT_EQ(typeid(*arc), typeid(TLukSpecjalny));
  EXPECT_EQ(static_cast<TLukSpecjalny&>(*arc).Style.LineDef, style);
  EXPECT_DOUBLE_EQ(static_cast<TLukSpecjalny&>(*arc).Style.Multiplier, 1.5);

  // After a point: fresh.
  line.AddObject(new TPunkt(TRealPoint{3, 3}));
  std::unique_ptr<TEGraphObj> fresh = line.CreateNewObject(special);
  ASSERT_EQ(typeid(*fresh), typeid(TLiniaSpecjalna));
  EXPECT_EQ(static_cast<TLiniaSpecjalna&>(*fresh).Style.LineDef, nullptr);

  FakeTool tool;
  line.ConfigureNewObjectTool(tool);
  EXPECT_EQ(tool.z, 0);
  line.SetFlag(kNode3D);
  line.ConfigureNewObjectTool(tool);
  EXPECT_EQ(tool.z, 1);
}

TEST_F(SublayerTest, NewTextsTakeTheSublayersFixedValues) {
  TPodwarstwaTextowa text(nullptr, nullptr, 0, nullptr);
  text.Height = 3;
  text.Justification = 9;
  text.TextFlags = 2;  // constant height, upright, justification fixed
  std::unique_ptr<TEGraphObj> first = text.CreateNewObject(TWysNapis());
  ASSERT_EQ(typeid(*first), typeid(TWysNapis));
  EXPECT_FLOAT_EQ(static_cast<TWysNapis&>(*first).Height, 3);
  EXPECT_EQ(static_cast<TWysNapis&>(*first).GetJustyfikacja(), 9);

  auto* symbol = new TWysKatSymbol();
  symbol->Height = 8;
  symbol->Angle = 1;
  text.AddObject(symbol);
  // A symbol repeats the last symbol, with the sublayer's height and no angle.
  std::unique_ptr<TEGraphObj> next = text.CreateNewObject(TGrSymbol());
  ASSERT_EQ(typeid(*next), typeid(TWysKatSymbol));
  EXPECT_FLOAT_EQ(static_cast<TWysKatSymbol&>(*next).Height, 3);
  EXPECT_FLOAT_EQ(static_cast<TWysKatSymbol&>(*next).Angle, 0);

  auto* angled = new TWysKatNapis(TRealPoint{1, 1}, "X", 5, 1, false, 0.7f);
  text.AddObject(angled);
  text.TextFlags = 1 | 4;  // justification free, at an angle, height free
  // A plain, high or angled text starts fresh.
  std::unique_ptr<TEGraphObj> high = text.CreateNewObject(TWysNapis());
  ASSERT_EQ(typeid(*high), typeid(TWysNapis));
  EXPECT_FLOAT_EQ(static_cast<TWysNapis&>(*high).Height, 0);
  std::unique_ptr<TEGraphObj> again = text.CreateNewObject(TWysKatNapis());
  EXPECT_FLOAT_EQ(static_cast<TWysKatNapis&>(*again).Angle, 0);
  // A referenced text repeats the last referenced text.
  auto* ref = new TWysKatOdnNapis();
  ref->Angle = 0.3f;
  text.AddObject(ref);
  std::unique_ptr<TEGraphObj> refCopy = text.CreateNewObject(TWysKatOdnNapis());
  ASSERT_EQ(typeid(*refCopy), typeid(TWysKatOdnNapis));
  EXPECT_FLOAT_EQ(static_cast<TWysKatOdnNapis&>(*refCopy).Angle, 0.3f);

  FakeTool tool;
  text.PlacedState = 5;
  text.ConfigureNewObjectTool(tool);
  EXPECT_EQ(tool.counting, 1);
  EXPECT_EQ(tool.placed, 5);
  EXPECT_EQ(tool.height, 1);
  EXPECT_EQ(tool.justification, 1);
}

TEST_F(SublayerTest, RestoringTheOriginalReportsWhatChanged) {
  line.HeaderColour = 0x44;
  line.HeaderLineStyle = LineManager().GetLine(1);
  line.LineStyle = line.HeaderLineStyle;
  EXPECT_FALSE(line.RestoreOriginal());
  EXPECT_TRUE(line.SetWidthMode(2));
  EXPECT_TRUE(line.RestoreOriginal());
  EXPECT_EQ(line.WidthMode, 0);
  EXPECT_TRUE(line.SetLineType(LineManager().GetLine(2)));
  EXPECT_FALSE(line.SetLineType(LineManager().GetLine(2)));
  EXPECT_TRUE(line.SetColor(0x99));
  EXPECT_TRUE(line.RestoreOriginal());
  EXPECT_EQ(line.Colour, 0x44u);
  EXPECT_EQ(line.LineStyle, line.HeaderLineStyle);

  TPodwarstwaTextowa text(nullptr, nullptr, 0, nullptr);
  EXPECT_TRUE(text.SetItalic(true));
  EXPECT_FALSE(text.SetItalic(true));
  EXPECT_TRUE(text.RestoreOriginal());
  EXPECT_FALSE(text.IsItalic());
}

TEST_F(SublayerTest, PenStyleOfTheHeaderStyleNumber) {
  const std::pair<int, int> cases[] = {{0, 0}, {1, 0}, {2, 2}, {3, 3}, {4, 1}, {5, 0}, {7, 0}, {300, 0}};
  for (auto [number, pen] : cases) EXPECT_EQ(TPodwarstwaLiniowa::PenStyleOf(number), pen) << number;
  EXPECT_EQ(TPodwarstwaLiniowa::StyleOf(60000), LineManager().GetLine(1));
  EXPECT_EQ(TPodwarstwaLiniowa::StyleOf(2), LineManager().GetLine(2));
}

TEST_F(SublayerTest, TextOfARecordSplitsIntoFourPlacesForTheExport) {
  TPodwarstwaTextowa text(nullptr, nullptr, 0, &view.canvas);
  std::array<ObjectSaveRecord, 4> out;
  out[0].SetByte(3, 9);
  ObjectSaveRecord plain = TextRecord(2, 2, 0, 0x45);  // overline and justification 5
  text.ExpandTextRecord(1000, plain, out);
  EXPECT_EQ(out[0].Bytes(), ObjectSaveRecord().Bytes());
  EXPECT_EQ(out[1].Bytes(), ObjectSaveRecord().Bytes());
  EXPECT_EQ(TextOf(out[2]), "AB");
  EXPECT_EQ(out[2].GetTextFlags(), 5);  // only the justification is kept
  EXPECT_EQ(out[3].Bytes(), ObjectSaveRecord().Bytes());

  // Underlined: the underline goes to the second place.
  ObjectSaveRecord underlined = TextRecord(2, 2, 0, 0x15);
  text.ExpandTextRecord(1000, underlined, out);
  EXPECT_EQ(TextOf(out[2]), "AB");
  EXPECT_NE(out[1].Bytes(), ObjectSaveRecord().Bytes());

  text.ExpandTextRecord(1000, TextRecord(9, 0, 0, 0), out);  // no class
  for (const ObjectSaveRecord& r : out) EXPECT_EQ(r.Bytes(), ObjectSaveRecord().Bytes());
}

// --- In a layer tree over layer files ------------------------------------------

// A catalogue "kat" with the line layer DROGI (sublayers 0 to 7), the text
// layer OPISY (sublayers 0 and 1) and the line layer RZEKI (one sublayer).
class SublayerFileTest : public LayerTest {
 protected:
  void SetUp() override {
    LayerTest::SetUp();
    TProbe::Alive = 0;
    std::filesystem::create_directories(PathOf("kat"));
    cat_ = PathOf("kat") + "/";

    std::vector<TWarstwaHeader> lines(8);
    for (int i = 0; i < 8; ++i) lines[i].ShortName = "L" + std::to_string(i);
    lines[0].ShortName = "Osie";
    lines[0].StyleNumber = 2;
    lines[0].Colour = 0x0000FF;
    lines[0].Type = 4 | 0x10;
    lines[1].StyleNumber = 7;
    lines[1].Type = 0;
    lines[2].StyleNumber = 9999;
    lines[3].Type = 4 | (1u << 16);
    lines[3].ScreenWidth = 3;
    lines[3].StyleMultiplier = 2;
    lines[3].Width1 = 0.2f;
    lines[3].Width2 = 0.5f;
    lines[7].ShortName = "Drogi";
    lines[7].FullName = "Drogi gminne";
    MakeFile(1, "DROGI---.--l", lines);

    std::vector<TWarstwaHeader> texts(3);
    texts[0].ShortName = "Opisy";
    texts[0].Justification = 0;
    texts[0].SizeMultiplier = 2.5f;
    texts[0].Type = 4 | (1u << 16) | (1u << 20);
    texts[0].Sizes = {1, 2, 3, 4};
    texts[0].TextParam = "RZEKI";
    texts[0].Param38 = 2 | (4u << 8) | (6u << 16);
    texts[1].Justification = 12 + 16;
    texts[1].TextParam = "*";
    texts[2].Justification = 23;
    MakeFile(0, "OPISY---.--t", texts);
    MakeFile(1, "RZEKI---.--l", std::vector<TWarstwaHeader>(1));

    Write(cat_ + "baza.cnf", "12 L DROGI\n4 T OPISY\n13 L RZEKI\n");
    Write(PathOf("baza.ini"), "[baza]\nGmina=Gmina\n[Gmina]\nKat1=" + cat_ + "\n");
    store_ = std::make_unique<TLayerStore>(PathOf("baza.ini"));
    baza_ = DBInt::OpenBase(*store_, 7, "Gmina");
    root_ = BuildLayerTree(*store_, baza_, "Baza", &view.canvas);
    ASSERT_EQ(root_->GetCount(), 1);
    catalogue_ = dynamic_cast<TGrupaWarstw*>(root_->GetItem(0));
    for (int i = 0; i < catalogue_->GetCount(); ++i) {
      auto* layer = dynamic_cast<TWarstwa*>(catalogue_->GetItem(i));
      if (layer->Name == "DROGI") drogi_ = layer;
      if (layer->Name == "OPISY") opisy_ = layer;
      if (layer->Name == "RZEKI") rzeki_ = layer;
    }
    ASSERT_NE(drogi_, nullptr);
    ASSERT_NE(opisy_, nullptr);
    ASSERT_NE(rzeki_, nullptr);
    ASSERT_EQ(drogi_->GetCount(), 8);
  }
  void TearDown() override {
    LayerTreeHost().Clips = nullptr;
    root_.reset();
    store_.reset();
  }

  void MakeFile(int kind, const std::string& name, const std::vector<TWarstwaHeader>& headers) {
    TMainWarstwaHeader h;
    h.Kind = static_cast<std::uint32_t>(kind);
    h.Slots = 10;
    std::unique_ptr<TNewTextLinWarstwaFile> f;
    if (kind == 1)
      f = TNewLinWarstwaFile::CreateNew(&base_, cat_, h, name);
    else
      f = TNewTextWarstwaFile::CreateNew(&base_, cat_, h, name);
    OpenRW(*f);
    for (std::size_t i = 0; i < headers.size(); ++i) f->WritePodwarstwaHeader(headers[i], static_cast<int>(i));
    ASSERT_EQ(f->Close(), 0);
  }
  static void Write(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
  }

  TPodwarstwaLiniowa& Line(int n) { return dynamic_cast<TPodwarstwaLiniowa&>(*drogi_->GetItem(n)); }
  TPodwarstwaTextowa& Text(int n) { return dynamic_cast<TPodwarstwaTextowa&>(*opisy_->GetItem(n)); }

  // The stored record n of a layer (open read-only and closed again).
  ObjectSaveRecord Stored(TWarstwa& layer, std::int64_t n) {
    ObjectSaveRecord rec;
    DBInt::OpenWarstwa(*store_, layer.FileHandle, true);
    const int rc = DBInt::ReadRecordAt(*store_, layer.FileHandle, n, rec);
    DBInt::CloseWarstwa(*store_, layer.FileHandle);
    EXPECT_EQ(rc, 0);
    return rec;
  }
  TWarstwaHeader HeaderOf(TWarstwa& layer, int n) {
    TWarstwaHeader h;
    DBInt::OpenWarstwa(*store_, layer.FileHandle, true);
    store_->ReadPodwarstwaHeader(layer.FileHandle, n, h);
    DBInt::CloseWarstwa(*store_, layer.FileHandle);
    return h;
  }
  // Live and archived records of sublayer n as the file counts them.
  std::pair<std::int32_t, std::int32_t> Counts(TWarstwa& layer, int n) {
    const TWarstwaHeader h = HeaderOf(layer, n);
    return {h.Live, h.Archived};
  }
  // True when the file can be opened for writing now (nobody holds it).
  bool FileClosed(TWarstwa& layer) {
    try {
      DBInt::OpenWarstwa(*store_, layer.FileHandle, false);
    } catch (const std::exception&) {
      return false;
    }
    DBInt::CloseWarstwa(*store_, layer.FileHandle);
    return true;
  }

  TestLibraries libraries;
  std::string cat_;
  ViewCanvas view;
  std::unique_ptr<TLayerStore> store_;
  TBaza* baza_ = nullptr;
  std::unique_ptr<TBazaWarstw> root_;
  TGrupaWarstw* catalogue_ = nullptr;
  TWarstwa* drogi_ = nullptr;
  TWarstwa* opisy_ = nullptr;
  TWarstwa* rzeki_ = nullptr;
};

TEST_F(SublayerFileTest, HeadersGiveNamesColoursStylesAndTextParameters) {
  TPodwarstwaLiniowa& osie = Line(0);
  EXPECT_EQ(osie.Name, " 0 Osie");
  EXPECT_EQ(Line(7).Name, " 7 Drogi");
  EXPECT_EQ(Line(7).FullName, "Drogi gminne");
  EXPECT_EQ(osie.Colour, 0x0000FFu);
  EXPECT_EQ(osie.HeaderColour, 0x0000FFu);
  EXPECT_TRUE(osie.IsVisible());
  EXPECT_TRUE(osie.HasFlag(kNodeNotClipped));
  EXPECT_FALSE(Line(1).IsVisible());
  EXPECT_EQ(osie.PenStyle, 2);
  EXPECT_EQ(osie.LineStyle, LineManager().GetLine(2));
  EXPECT_EQ(Line(1).PenStyle, 0);
  // A style number missing from the library: style 1.
  EXPECT_EQ(Line(2).LineStyle, LineManager().GetLine(1));
  EXPECT_EQ(Line(2).HeaderLineStyle, LineManager().GetLine(1));
  EXPECT_TRUE(Line(3).Is3D());
  EXPECT_FALSE(osie.Is3D());
  EXPECT_EQ(Line(3).ScreenWidth, 3);
  EXPECT_FLOAT_EQ(Line(3).Multiplier, 2);
  EXPECT_FLOAT_EQ(Line(3).ThinWidth, 0.2f);
  EXPECT_FLOAT_EQ(Line(3).ThickWidth, 0.5f);
  EXPECT_EQ(osie.GetLayerNumber(), 12);
  EXPECT_EQ(osie.GetDescription(), "DROGI ( 0 Osie)");

  TPodwarstwaTextowa& opisy = Text(0);
  EXPECT_DOUBLE_EQ(opisy.Height, 2.5);
  EXPECT_EQ(opisy.Justification, 7);  // 0 reads as 7
  EXPECT_EQ(opisy.TextFlags, 2 | 8);  // constant height, italic, justification fixed
  EXPECT_EQ(opisy.HeaderTextFlags, opisy.TextFlags);
  EXPECT_EQ(opisy.Multipliers, (std::array<float, 4>{1, 2, 3, 4}));
  EXPECT_EQ(opisy.MaskedLayer, "RZEKI");
  EXPECT_EQ(opisy.MaskedCount, 2);
  EXPECT_EQ(opisy.MaskedNumbers[0], 4);
  EXPECT_EQ(opisy.MaskedNumbers[1], 6);
  EXPECT_EQ(Text(1).Justification, 7);  // 12 reads as 7
  EXPECT_EQ(Text(1).TextFlags, 1);      // justification free
  EXPECT_EQ(opisy_->GetItem(2) != nullptr ? Text(2).Justification : 0, 7);
}

TEST_F(SublayerFileTest, SaveWritesNewRewrittenAndArchivedRecords) {
  TPodwarstwaLiniowa& s = Line(7);
  auto* a = new TDefSpecLinia(TRealPoint{1, 1}, TRealPoint{2, 2});
  auto* b = new TDefSpecLinia(TRealPoint{3, 3}, TRealPoint{4, 4});
  s.AddObject(a);
  s.AddObject(b);
  s.Save();
  EXPECT_EQ(a->GetIndex(), 1u);
  EXPECT_EQ(b->GetIndex(), 2u);
  EXPECT_FALSE(a->IsChanged());
  EXPECT_FALSE(s.IsChanged());
  EXPECT_FALSE(s.NodeState.GetModified());
  EXPECT_EQ(Stored(*drogi_, 1).GetSublayer(), 7);
  EXPECT_DOUBLE_EQ(Stored(*drogi_, 2).GetPoint1().X, 3);
  EXPECT_EQ(Counts(*drogi_, 7), std::make_pair(2, 0));
  EXPECT_TRUE(FileClosed(*drogi_));

  // Replace a, delete b, add c.
  auto* a2 = new TDefSpecLinia(TRealPoint{10, 10}, TRealPoint{20, 20});
  s.ReplaceObject(a, a2);
  s.DeleteObject(b);
  auto* c = new TDefSpecLinia(TRealPoint{5, 5}, TRealPoint{6, 6});
  s.AddObject(c);
  s.Save();
  EXPECT_EQ(a2->GetIndex(), 1u);
  EXPECT_DOUBLE_EQ(Stored(*drogi_, 1).GetPoint1().X, 10);
  EXPECT_FALSE(Stored(*drogi_, 1).IsArchived());
  EXPECT_TRUE(Stored(*drogi_, 2).IsArchived());
  EXPECT_EQ(s.Deleted(), nullptr);
  // The old state of a went to a record of its own.
  EXPECT_EQ(Counts(*drogi_, 7), std::make_pair(2, 2));
  // The list is in record order again.
  ASSERT_EQ(s.Objects()->Count(), 2);
  EXPECT_LT(s.GetObjectAt(0)->GetIndex(), s.GetObjectAt(1)->GetIndex());

  // Only a deletion: opened, archived, closed, flag cleared.
  const std::uint32_t cIndex = c->GetIndex();
  s.DeleteObject(c);
  ASSERT_TRUE(s.IsChanged());
  s.Save();
  EXPECT_FALSE(s.IsChanged());
  EXPECT_TRUE(Stored(*drogi_, cIndex).IsArchived());
  EXPECT_EQ(Counts(*drogi_, 7), std::make_pair(1, 3));
}

TEST_F(SublayerFileTest, SaveWithNothingToDoDoesNotOpenTheFile) {
  TPodwarstwaLiniowa& s = Line(0);
  s.Save();  // no list at all
  s.AddObject(new TDefSpecLinia(TRealPoint{1, 1}, TRealPoint{2, 2}));
  s.Save();
  // Every read of the file fails from here on: an open would fail.
  FaultScope fault(FaultPlan{FaultOp::Read, 1, true, "DROGI"});
  s.SetFlag(kNodeChanged);
  s.Save();
  EXPECT_FALSE(s.IsChanged());
  EXPECT_FALSE(FaultStruck());
}

TEST_F(SublayerFileTest, UndoneDeletionIsNeitherArchivedNorRewritten) {
  TPodwarstwaLiniowa& s = Line(0);
  auto* a = new TDefSpecLinia(TRealPoint{1, 1}, TRealPoint{2, 2});
  s.AddObject(a);
  s.Save();
  s.DeleteObject(a);
  a->MarkUndoRef(true);
  s.InsertObject(a);  // the undo puts it back, marked changed
  a->SetIndexUnchanged(a->GetIndex());
  TEGraphObj::UnmarkUndoRef(a, true);
  s.Save();
  EXPECT_EQ(Counts(*drogi_, 0), std::make_pair(1, 0));
  EXPECT_FALSE(Stored(*drogi_, 1).IsArchived());
}

TEST_F(SublayerFileTest, SaveFailingHalfWayKeepsTheFlagClosesTheFileAndWritesTheRestLater) {
  TPodwarstwaLiniowa& s = Line(1);
  s.AddObject(new TDefSpecLinia(TRealPoint{0, 0}, TRealPoint{1, 1}));
  s.Save();  // record 1; the packet exists from now on
  auto* a = new TDefSpecLinia(TRealPoint{1, 1}, TRealPoint{2, 2});
  auto* b = new TDefSpecLinia(TRealPoint{3, 3}, TRealPoint{4, 4});
  auto* c = new TDefSpecLinia(TRealPoint{5, 5}, TRealPoint{6, 6});
  s.AddObject(a);
  s.AddObject(b);
  s.AddObject(c);
  {
    // The record of a is written, the one of b is not.
    FaultScope fault(FaultPlan{FaultOp::Write, 2, false, "DROGI"});
    EXPECT_ANY_THROW(s.Save());
    EXPECT_TRUE(FaultStruck());
  }
  EXPECT_TRUE(s.IsChanged());
  EXPECT_TRUE(s.NodeState.GetModified());
  EXPECT_EQ(a->GetIndex(), 2u);
  EXPECT_FALSE(a->IsChanged());
  EXPECT_EQ(b->GetIndex(), 0u);
  EXPECT_TRUE(b->IsChanged());
  EXPECT_TRUE(FileClosed(*drogi_));
  EXPECT_EQ(Counts(*drogi_, 1), std::make_pair(2, 0));

  s.Save();
  EXPECT_FALSE(s.IsChanged());
  EXPECT_EQ(b->GetIndex(), 3u);
  EXPECT_EQ(c->GetIndex(), 4u);
  EXPECT_EQ(Counts(*drogi_, 1), std::make_pair(4, 0));
  EXPECT_DOUBLE_EQ(Stored(*drogi_, 2).GetPoint1().X, 1);
  EXPECT_DOUBLE_EQ(Stored(*drogi_, 4).GetPoint1().X, 5);
}

TEST_F(SublayerFileTest, ValuesComeFromTheLoadedObjectOrTheFile) {
  TPodwarstwaTextowa& s = Text(0);
  auto* t = new TWysNapis(TRealPoint{1, 1}, "12.5", 2, 7, false);
  s.AddObject(t);
  s.Save();
  t->Text = "W pamięci";
  TObjectValueResult value;
  s.GetObjectValue(4, 1, value);
  ASSERT_TRUE(value.Found);
  EXPECT_EQ(value.Value.Text, "W pamięci");
  s.Unload();
  s.GetObjectValue(4, 1, value);
  ASSERT_TRUE(value.Found);
  EXPECT_EQ(value.Value.Text, "12.5");
  EXPECT_TRUE(FileClosed(*opisy_));
}

TEST_F(SublayerFileTest, LocationNamesCatalogueLayerSublayerAndUsers) {
  struct Info : IGrObjInfo {
    std::map<std::pair<int, int>, std::string> labels, values;
    void SetLabel(int r, int c, const std::string& t) override { labels[{r, c}] = t; }
    void SetValue(int r, int c, const std::string& t) override { values[{r, c}] = t; }
  } info;
  TPodwarstwaLiniowa& s = Line(7);
  s.AddObject(new TDefSpecLinia(TRealPoint{1, 1}, TRealPoint{2, 2}));
  s.Save();
  s.DescribeLocation(info, 1);
  EXPECT_EQ(info.labels[std::make_pair(2, 1)], "Katalog");
  EXPECT_EQ(info.values[std::make_pair(2, 1)], catalogue_->Name);
  EXPECT_EQ(info.values[std::make_pair(3, 1)], "DROGI");
  EXPECT_EQ(info.labels[std::make_pair(3, 2)], "Podwarstwa");
  EXPECT_EQ(info.values[std::make_pair(3, 2)], " 7 Drogi");
  EXPECT_EQ(info.labels[std::make_pair(4, 1)], "Utworzył");
  EXPECT_FALSE(info.values[std::make_pair(4, 2)].empty());  // the creation date
  EXPECT_FALSE(info.values[std::make_pair(5, 2)].empty());
  EXPECT_TRUE(FileClosed(*drogi_));
}

TEST_F(SublayerFileTest, SublayerWithoutALayerCannotOpenTheFile) {
  TPodwarstwaLiniowa alone(store_.get(), drogi_->FileHandle, 0, nullptr);
  alone.AddObject(new TDefSpecLinia(TRealPoint{1, 1}, TRealPoint{2, 2}));
  try {
    alone.Save();
    ADD_FAILURE() << "no exception";
  } catch (const EInternalError& e) {
    EXPECT_STREQ(e.what(), "Layer hasn't owner");
  }
  TPodwarstwaTextowa text(store_.get(), opisy_->FileHandle, 0, nullptr);
  try {
    text.EditHeader(0);
    ADD_FAILURE() << "no exception";
  } catch (const EInternalError& e) {
    EXPECT_STREQ(e.what(), "TPodwarstwaTextowa.EditHeader: Owner=nil");
  }
}

// --- Header dialogs through the responder -------------------------------------

TEST_F(SublayerFileTest, LineHeaderDialogOkWritesTheHeader) {
  TPodwarstwaLiniowa& s = Line(0);
  TScriptedResponder responder(Fail);
  responder.AnswerForm([](TForm& form) {
    auto& d = dynamic_cast<TChangeLiniowaPodwarstwaHeader&>(form);
    EXPECT_EQ(d.Nazwa->Text(), "Osie");
    EXPECT_TRUE(d.Cancel->Enabled());
    EXPECT_EQ(d.Caption(), "Edycja nagłówka podwarstwy liniowej - 0");
    d.Nazwa->SetText("Osie nowe");
    d.DlugaNazwa->SetText("Osie jezdni");
    d.SetLineType(7);
    d.BitBtn1->Click();
  });
  EXPECT_EQ(s.EditHeader(0), kRedrawAll);  // another style asks for the whole view
  EXPECT_EQ(s.Name, " 0 Osie nowe");
  EXPECT_EQ(s.FullName, "Osie jezdni");
  EXPECT_EQ(s.LineStyle, LineManager().GetLine(7));
  EXPECT_EQ(s.HeaderLineStyle, s.LineStyle);
  EXPECT_EQ(s.PenStyle, 0);  // the pattern follows the new number
  const TWarstwaHeader h = HeaderOf(*drogi_, 0);
  EXPECT_EQ(h.ShortName, "Osie nowe");
  EXPECT_EQ(h.FullName, "Osie jezdni");
  EXPECT_EQ(h.StyleNumber, 7);
  EXPECT_EQ(h.Colour, 0x0000FFu);
  EXPECT_TRUE(FileClosed(*drogi_));
}

TEST_F(SublayerFileTest, HeaderDialogCancelledOrReadOnlyWritesNothing) {
  TPodwarstwaLiniowa& s = Line(0);
  {
    TScriptedResponder responder(Fail);
    responder.AnswerForm([](TForm& form) {
      auto& d = dynamic_cast<TChangePodwarstwaHeader&>(form);
      d.Nazwa->SetText("Inna");
      d.Cancel->Click();
    });
    EXPECT_EQ(s.EditHeader(0), 0);
  }
  EXPECT_EQ(s.Name, " 0 Osie");
  EXPECT_EQ(HeaderOf(*drogi_, 0).ShortName, "Osie");
  s.SetFlag(kNodeReadOnly);
  TScriptedResponder none(Fail);  // no dialog may show
  EXPECT_EQ(s.EditHeader(0), 0);
}

TEST_F(SublayerFileTest, NewSublayerDialogCannotBeCancelled) {
  TScriptedResponder responder(Fail);
  responder.AnswerForm([](TForm& form) {
    auto& d = dynamic_cast<TChangeTextowaPodwarstwaHeader&>(form);
    EXPECT_FALSE(d.Cancel->Enabled());
    EXPECT_FALSE(d.MovePodwarstwaBtn->Enabled());
    EXPECT_FALSE(d.BitBtn4->Enabled());
    d.BitBtn1->Click();
  });
  EXPECT_EQ(Text(1).EditHeader(1), kRedrawNone);
}

TEST_F(SublayerFileTest, ChangingOnlyTheTextHeightRedrawsAllAndReframes) {
  TPodwarstwaTextowa& s = Text(0);
  s.AddObject(new TWysNapis(TRealPoint{1, 1}, "A", 2, 7, false));
  s.Objects()->Reframe();
  ASSERT_NE(s.Objects()->OutsideHits(), 2147483647);
  TScriptedResponder responder(Fail);
  responder.AnswerForm([](TForm& form) {
    auto& d = dynamic_cast<TChangeTextowaPodwarstwaHeader&>(form);
    EXPECT_EQ(d.GetZasWarstwa(), "RZEKI");
    EXPECT_EQ(d.ZasloniecieRecord().Count, 2);
    EXPECT_TRUE(d.HeightCantChange->Checked());
    EXPECT_TRUE(d.JustCantChange->Checked());
    d.WysokoscE->SetText("4");
    d.BitBtn1->Click();
  });
  EXPECT_EQ(s.EditHeader(0), kRedrawAll);
  EXPECT_DOUBLE_EQ(s.Height, 4);
  EXPECT_EQ(s.Objects()->OutsideHits(), 2147483647);
  const TWarstwaHeader h = HeaderOf(*opisy_, 0);
  EXPECT_FLOAT_EQ(h.SizeMultiplier, 4);
  EXPECT_EQ(h.Justification, 7);  // fixed: bit 4 clear
  EXPECT_EQ(h.TextParam, "RZEKI");
  EXPECT_EQ(h.Param38 & 0xFFFFFF, 2u | (4u << 8) | (6u << 16));
  EXPECT_EQ(h.Type & (0x3Fu << 16), (1u << 16) | (1u << 20));
}

TEST_F(SublayerFileTest, MoveButtonMovesTheContentIncludingUnsavedObjects) {
  TPodwarstwaLiniowa& s = Line(0);
  s.AddObject(new TDefSpecLinia(TRealPoint{1, 1}, TRealPoint{2, 2}));
  s.Save();
  s.AddObject(new TDefSpecLinia(TRealPoint{3, 3}, TRealPoint{4, 4}));  // not saved
  TScriptedResponder responder(Fail);
  responder.AnswerForm(TChangePodwarstwaHeader::kMoveContent);
  responder.AnswerForm([](TForm& form) {
    auto& d = dynamic_cast<TMovePodwarstwaD&>(form);
    EXPECT_EQ(d.DestPodwarstwa->ItemIndex(), 0);
    EXPECT_EQ(d.DestPodwarstwa->Items().Count(), 8);
    d.DestPodwarstwa->SetItemIndex(5);
    d.SetModalResult(mrOk);
  });
  EXPECT_EQ(s.EditHeader(0), kRedrawAll);
  EXPECT_FALSE(s.IsLoaded());
  EXPECT_EQ(s.Objects(), nullptr);
  EXPECT_EQ(Counts(*drogi_, 0), std::make_pair(0, 0));
  EXPECT_EQ(Counts(*drogi_, 5), std::make_pair(2, 0));
  EXPECT_TRUE(FileClosed(*drogi_));
}

TEST_F(SublayerFileTest, MoveInALayerOfOneSublayerOnlyInforms) {
  auto& s = dynamic_cast<TPodwarstwaLiniowa&>(*rzeki_->GetItem(0));
  TScriptedResponder responder(Fail);
  responder.AnswerForm(TChangePodwarstwaHeader::kMoveContent);
  responder.AnswerMessageBox(IDOK);
  EXPECT_EQ(s.EditHeader(0), 0);
  ASSERT_EQ(responder.Shown().size(), 2u);
  EXPECT_EQ(responder.Shown()[1].text, "Warstwa nie ma innych podwarstw.");
  EXPECT_EQ(responder.Shown()[1].caption, "Informacja");
}

TEST_F(SublayerFileTest, ClearButtonEmptiesTheSublayerAfterTheQuestion) {
  TPodwarstwaLiniowa& s = Line(7);
  s.AddObject(new TDefSpecLinia(TRealPoint{1, 1}, TRealPoint{2, 2}));
  s.AddObject(new TDefSpecLinia(TRealPoint{1, 1}, TRealPoint{3, 3}));
  s.Save();
  s.DeleteObject(s.GetObjectAt(1));
  s.Save();
  ASSERT_EQ(Counts(*drogi_, 7), std::make_pair(1, 1));
  {
    TScriptedResponder responder(Fail);
    responder.AnswerForm(TChangePodwarstwaHeader::kDeleteContent);
    responder.AnswerMessageBox(IDCANCEL);
    EXPECT_EQ(s.EditHeader(0), 0);
    EXPECT_EQ(Counts(*drogi_, 7), std::make_pair(1, 1));
  }
  TScriptedResponder responder(Fail);
  responder.AnswerForm(TChangePodwarstwaHeader::kDeleteContent);
  responder.AnswerMessageBox(IDOK);
  EXPECT_EQ(s.EditHeader(0), kRedrawNode);
  ASSERT_EQ(responder.Shown().size(), 2u);
  EXPECT_EQ(responder.Shown()[1].caption, "Potwierdź");
  EXPECT_EQ(responder.Shown()[1].text,
            "Uwaga !\nZawartość podwarstwy łącznie z archiwum zostanie usunięta. Nie będzie można cofnąć tej "
            "operacji.");
  EXPECT_EQ(Counts(*drogi_, 7), std::make_pair(0, 0));
  EXPECT_EQ(s.Objects(), nullptr);
  EXPECT_TRUE(FileClosed(*drogi_));
}

// --- Print masking ----------------------------------------------------------------

TEST_F(SublayerFileTest, TextsMaskTheLinesOfTheLayerTheyName) {
  FakeClips clips;
  TPodwarstwaTextowa& named = Text(0);  // RZEKI, sublayers 4 and 6
  TPodwarstwaTextowa& all = Text(1);    // "*"
  std::vector<std::unique_ptr<TClipBounds>> list;
  named.BuildClipTests(list, nullptr);  // no factory installed: nothing
  EXPECT_TRUE(list.empty());

  LayerTreeHost().Clips = &clips;
  named.BuildClipTests(list, nullptr);
  all.AddObject(new TWysNapis(TRealPoint{1, 1}, "A", 2, 7, false));
  all.AddObject(new TWysNapis(TRealPoint{5, 5}, "B", 2, 7, false));
  TDrawParams params;
  all.BuildClipTests(list, &params);
  named.MaskedCount = 0;
  named.BuildClipTests(list, nullptr);
  named.MaskedLayer = "OPISY";  // a text layer masks nothing
  named.BuildClipTests(list, nullptr);
  named.MaskedLayer = "BRAK";
  named.BuildClipTests(list, nullptr);
  named.MaskedLayer.clear();
  named.BuildClipTests(list, nullptr);
  ASSERT_EQ(clips.made.size(), 3u);
  EXPECT_EQ(clips.made[0].kind, "sublayers");
  EXPECT_EQ(clips.made[0].layer, "RZEKI");
  EXPECT_EQ(clips.made[0].count, 2);
  EXPECT_EQ(clips.made[1].kind, "all");
  EXPECT_EQ(clips.made[1].outlines, 2);
  EXPECT_EQ(clips.made[2].kind, "layer");
  EXPECT_EQ(clips.made[2].layer, "RZEKI");
  EXPECT_EQ(list.size(), 3u);
}

}  // namespace
