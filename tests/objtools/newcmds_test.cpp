// The view's new-object commands on a real view with a line and a text
// sublayer: objects stored one after the other by one command, each drawn at
// once with its undo operation and the survey document's number; the pending
// operation posted by the line commands; commands refused without their
// sublayer and ended when it is released meanwhile; the tool's end freeing
// its template; the text placement switch kept by the sublayer; and the
// czołówka picked on a line.
#include "objtools/newcmds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "drawing/canvascfg.h"
#include "drawing/font_fixture.h"
#include "drawing/strokefont.h"
#include "foundation/errors.h"
#include "foundation/settings/settings.h"
#include "layers/store/layerfile.h"
#include "layers/tree/layertree.h"
#include "layers/tree/objectlist.h"
#include "layers/tree/sublayer.h"
#include "layers/tree/treehost.h"
#include "layers/tree/undo.h"
#include "objects/layerline.h"
#include "objects/layerobji.h"
#include "objects/linestylelib.h"
#include "objects/styledcanvas.h"
#include "objects/styledlines.h"
#include "objects/symbol.h"
#include "objects/symbollib.h"
#include "objects/texts.h"
#include "objtools/czolowka.h"
#include "objtools/linetools.h"
#include "objtools/textsymtools.h"
#include "platform/gui/application.h"
#include "platform/gui/dialogs.h"
#include "platform/paint/gdi.h"
#include "platform/paint/gdiimage.h"
#include "platform/gui/messages.h"
#include "platform/gui/responder.h"
#include "common/scratch_folder.h"
#include "ui/activityrecord.h"
#include "view/krzyz.h"
#include "view/newtools.h"
#include "view/tvview.h"
#include "view/viewcfg.h"
#include "view/viewhost.h"

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 100;
constexpr platform::TColor kBackground = 0x00E0E0E0;
constexpr platform::TColor kBlue = platform::clBlue;

class Operation : public TDeferredOperation {
 public:
  void Run() override {}
};

class FakeDocument : public TViewDocumentI {
 public:
  void PostDeferred(std::unique_ptr<TDeferredOperation> Op) override { posted.push_back(std::move(Op)); }
  std::vector<std::unique_ptr<TDeferredOperation>> posted;
};

// The survey document's number; with refuse set the user cancels the
// choice of a document.
class SurveyServices : public TViewServicesI {
 public:
  std::uint32_t ActiveSurveyDocument() override {
    if (refuse) throw EAbort();
    return document;
  }
  std::uint32_t document = 0;
  bool refuse = false;
};

using Command = void (*)(TTvView&);

// A view of 200 x 100 pixels, one pixel a world unit, X up: world (X, Y) is
// pixel (Y, 100 - X). Catalogue "Katalog" with the line layer "LINIE"
// (sublayer 0 drawn in blue with the plain style, active) and the text
// layer "OPISY" (sublayer 0, active). Every message box is answered by the
// responder; an unexpected one fails the test.
class NewCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::EnsureApplication();
    SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(scratch_ / "tolvika.ini"));
    TTvViewCfg& cfg = TvViewCfgCreate();
    cfg.RozmiarX = kWidth;
    cfg.RozmiarY = kHeight;
    cfg.KolorTla = kBackground;
    responder_ = std::make_unique<platform::TScriptedResponder>([](const std::string& m) { ADD_FAILURE() << m; });
    SetLibraryErrorBox([](const std::string&) {});
    // A one-glyph stroke font for the texts drawn.
    FontSpec font;
    font.First = 'I';
    font.Glyphs = {{8, {{{4, 0}, {4, 10}}}}};
    scratch_.Put("litt.ch1", FontBytes(font));
    scratch_.Put("font.ch1", FontBytes(font));
    FontManager().SetFolder(scratch_.Path());
    SetKrzyzErrorDisplay([this](const std::string& Text) { toolErrors_.push_back(Text); });
    SetViewServices(&services_);
    view_ = std::make_unique<TTvView>(&document_);
    TWindowDim& d = *view_->Dims();
    d.X1 = 0;
    d.Y1 = 0;
    d.X2 = kHeight;
    d.Y2 = kWidth;
    d.SetDeviceSize(kWidth, kHeight);

    TDefRealCanvas* canvas = view_->GetCanvas();
    auto catalogue = std::make_unique<TKatalogWarstw>(nullptr, "Katalog", nullptr, "", "", canvas);
    TKatalogWarstw* cat = catalogue.get();
    view_->Root()->AddChild(std::move(catalogue));
    lines_ = static_cast<TPodwarstwaLiniowa*>(AddLayer(*cat, "LINIE", true)->Sublayer(0));
    texts_ = static_cast<TPodwarstwaTextowa*>(AddLayer(*cat, "OPISY", false)->Sublayer(0));
    lines_->Colour = kBlue;
    lines_->LineStyle = LineManager().GetLine(1);
    texts_->Height = 2.5;
    for (TPodwarstwa* s : {static_cast<TPodwarstwa*>(lines_), static_cast<TPodwarstwa*>(texts_)}) {
      s->MarkLoaded();
      s->SetVisible(true);
      s->SetFlag(kNodeDrawn);
    }
    view_->SetActivePodwarstwa(lines_);
    view_->SetActivePodwarstwa(texts_);
    ASSERT_EQ(view_->RedrawCount(), 0);
  }

  void TearDown() override {
    // A command still running ends as the user would end it: its template
    // goes with it.
    if (view_) view_->ResetKrzyz();
    // Errors of the tools that no test expected.
    for (const std::string& e : toolErrors_) ADD_FAILURE() << e;
    view_.reset();
    platform::PumpPostedMessages();
    SetViewServices(nullptr);
    SetKrzyzErrorDisplay(nullptr);
    FontManager().SetFolder("");
    ReleaseSymbolManager();
    ReleaseLineManager();
    SetLibraryErrorBox(nullptr);
    responder_.reset();
    FreeGlobalnaKonfiguracja();
  }

  TWarstwa* AddLayer(TKatalogWarstw& Catalogue, const std::string& Name, bool Lines) {
    TMainWarstwaHeader header;
    header.Kind = Lines ? 1 : 0;
    auto layer = std::make_unique<TWarstwa>(nullptr, nullptr, header, Name, view_->GetCanvas());
    layer->SetVisible(true);
    TWarstwa* p = layer.get();
    Catalogue.AddChild(std::move(layer));
    return p;
  }

  TNewGraphObjKrzyz* Tool() const { return dynamic_cast<TNewGraphObjKrzyz*>(view_->Krzyz()); }
  template <class T>
  T* Template() const {
    TNewGraphObjKrzyz* tool = Tool();
    return tool != nullptr ? dynamic_cast<T*>(tool->Template()) : nullptr;
  }
  // The tool's object completed as the tool reports it; true when the
  // command ended.
  bool Complete() { return view_->Krzyz()->Fire(true, TRealPoint{}); }
  // The special line's template drawn from A to B and completed.
  bool DrawLine(const TRealPoint& A, const TRealPoint& B) {
    auto* line = Template<TLiniaSpecjalna>();
    EXPECT_NE(line, nullptr);
    if (line == nullptr) return true;
    line->P1 = TPointRec{A.X, A.Y, 0};
    line->P2 = TPointRec{B.X, B.Y, 0};
    return Complete();
  }
  // The pixel of the view's image after a repaint (without the tool's
  // figures, which the control shows over it).
  platform::TColor Drawn(int X, int Y) {
    view_->PaintNow();
    return view_->BackBitmap()->Pixel(X, Y);
  }

  // The sublayer's list is made with its first object.
  static int Count(TPodwarstwa* Sublayer) {
    return Sublayer->Objects() != nullptr ? Sublayer->Objects()->Count() : 0;
  }
  static TEGraphObj* Last(TPodwarstwa* Sublayer) {
    return Count(Sublayer) == 0 ? nullptr : Sublayer->GetObjectAt(Count(Sublayer) - 1);
  }
  TUndoOperationItem* UndoAt(std::int32_t Index) const {
    return dynamic_cast<TUndoOperationItem*>(view_->GetUndoManager()->Operation(Index));
  }

  ScratchFolder scratch_;
  std::unique_ptr<platform::TScriptedResponder> responder_;
  std::vector<std::string> toolErrors_;
  FakeDocument document_;
  SurveyServices services_;
  std::unique_ptr<TTvView> view_;
  TPodwarstwaLiniowa* lines_ = nullptr;
  TPodwarstwaTextowa* texts_ = nullptr;
};

// --- Lines and circles ---------------------------------------------------------

TEST_F(NewCommandsTest, ThreeLinesOfOneCommandAreStoredDrawnAndUndoable) {
  struct Segment {
    TRealPoint a, b;
  };
  struct Case {
    const char* name;
    Command command;
    std::vector<TRealPoint> clicks;
    std::vector<Segment> lines;
  };
  // Pixel (Y, 100 - X): rows 80, 60 and 40 from column 20 to 180; the
  // chain of the closed line runs along row 80, up column 180 and back
  // along row 40. A closed line is stored by the same completion as an
  // open one.
  const Case cases[] = {
      {"open",
       CmdNewSpecialLinia,
       {{20, 20}, {20, 180}, {40, 20}, {40, 180}, {60, 20}, {60, 180}},
       {{{20, 20}, {20, 180}}, {{40, 20}, {40, 180}}, {{60, 20}, {60, 180}}}},
      {"closed",
       CmdNewSpecialLiniaLoop,
       {{20, 20}, {20, 180}, {60, 180}, {60, 20}},
       {{{20, 20}, {20, 180}}, {{20, 180}, {60, 180}}, {{60, 180}, {60, 20}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int before = Count(lines_);
    const std::int32_t undoBefore = view_->GetUndoManager()->Count();
    c.command(*view_);
    TKrzyz* tool = view_->Krzyz();
    ASSERT_NE(Tool(), nullptr);
    EXPECT_EQ(Tool()->Sublayer, lines_);

    std::size_t stored = 0;
    for (const TRealPoint& p : c.clicks) {
      tool->HandleMove(p);
      EXPECT_FALSE(tool->HandleClick(p));
      if (Count(lines_) == before + static_cast<int>(stored) + 1) {
        // Drawn at once: the view shows it without a redraw.
        const Segment& l = c.lines[stored];
        const TRealPoint mid{(l.a.X + l.b.X) / 2, (l.a.Y + l.b.Y) / 2};
        EXPECT_EQ(Drawn(static_cast<int>(mid.Y), 100 - static_cast<int>(mid.X)), kBlue) << stored;
        ++stored;
      }
    }
    // No full redraw was started or put off.
    EXPECT_EQ(view_->RedrawCount(), 0);
    EXPECT_FALSE(view_->RedrawPending());

    ASSERT_EQ(Count(lines_), before + 3);
    ASSERT_EQ(view_->GetUndoManager()->Count(), undoBefore + 3);
    for (int i = 0; i < 3; ++i) {
      SCOPED_TRACE(i);
      auto* line = dynamic_cast<TLiniaSpecjalna*>(lines_->GetObjectAt(before + i));
      ASSERT_NE(line, nullptr);
      EXPECT_EQ(line->GetStartPoint(), c.lines[i].a);
      EXPECT_EQ(line->GetEndPoint(), c.lines[i].b);
      TUndoOperationItem* op = UndoAt(undoBefore + i);
      ASSERT_NE(op, nullptr);
      EXPECT_EQ(op->GetName(), "Dodanie");
      EXPECT_EQ(op->Kind, kUndoAdd);
      EXPECT_EQ(op->NewObject(), line);
      EXPECT_EQ(op->OldObject(), nullptr);
      EXPECT_EQ(op->Sublayer(), lines_);
    }
    // The tool goes on with a fresh template of its own.
    EXPECT_EQ(view_->Krzyz(), tool);
    TLiniaSpecjalna* next = Template<TLiniaSpecjalna>();
    ASSERT_NE(next, nullptr);
    EXPECT_LT(lines_->IndexOfObject(next), 0);
    view_->ResetKrzyz();
  }
  // Undo takes the lines back out of the sublayer.
  const int stored = Count(lines_);
  view_->GetUndoManager()->Undo(1);
  EXPECT_EQ(Count(lines_), stored - 1);
}

TEST_F(NewCommandsTest, PendingOperationIsPostedAfterTheNextLineOnly) {
  struct Case {
    const char* name;
    Command command;
    bool circle;
    bool posted;
  };
  const Case cases[] = {
      {"special line", CmdNewSpecialLinia, false, true},
      {"closed special line", CmdNewSpecialLiniaLoop, false, true},
      {"circle: kept", CmdNewOkrag, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    document_.posted.clear();
    c.command(*view_);
    auto pending = std::make_unique<Operation>();
    Operation* op = pending.get();
    view_->PendingOperation = std::move(pending);
    if (c.circle) {
      auto* circle = Template<TOkragSpecjalny>();
      ASSERT_NE(circle, nullptr);
      circle->Centre = TPointRec{50, 100, 0};
      circle->Radius = 20;
      EXPECT_FALSE(Complete());
      EXPECT_EQ(Last(lines_), circle);
      // The next template is a circle again.
      EXPECT_NE(Template<TOkragSpecjalny>(), nullptr);
    } else {
      EXPECT_FALSE(DrawLine(TRealPoint{30, 20}, TRealPoint{30, 180}));
    }
    if (c.posted) {
      ASSERT_EQ(document_.posted.size(), 1u);
      EXPECT_EQ(document_.posted[0].get(), op);
      EXPECT_EQ(view_->PendingOperation, nullptr);
    } else {
      EXPECT_TRUE(document_.posted.empty());
      EXPECT_EQ(view_->PendingOperation.get(), op);
    }
    view_->ResetKrzyz();
  }
}

TEST_F(NewCommandsTest, LinePresetsGoIntoEveryTemplate) {
  view_->LinePresets.Flags = ActivityBit(apSkala);
  view_->LinePresets.Scale = 2.5f;
  CmdNewSpecialLinia(*view_);
  ASSERT_NE(Template<TLiniaSpecjalna>(), nullptr);
  EXPECT_FLOAT_EQ(Template<TLiniaSpecjalna>()->Style.Multiplier, 2.5f);
  EXPECT_FALSE(DrawLine(TRealPoint{30, 20}, TRealPoint{30, 180}));
  EXPECT_FLOAT_EQ(Template<TLiniaSpecjalna>()->Style.Multiplier, 2.5f);
}

// --- Identifiers ---------------------------------------------------------------

TEST_F(NewCommandsTest, EveryNewObjectCarriesTheSurveyDocumentNumber) {
  // The line the picked czołówka is made for.
  lines_->AddObject(new TLinia(TRealPoint{10, 20}, TRealPoint{10, 180}));
  for (std::uint32_t document : {0u, 37u}) {
    SCOPED_TRACE(document);
    services_.document = document;
    struct Case {
      const char* name;
      std::function<void()> make;
      TPodwarstwa* sublayer;
    };
    const Case cases[] = {
        {"line", [&] { CmdNewSpecialLinia(*view_); DrawLine({30, 20}, {30, 180}); }, lines_},
        {"circle",
         [&] {
           CmdNewOkrag(*view_);
           Template<TOkragSpecjalny>()->Radius = 5;
           Complete();
         },
         lines_},
        {"text", [&] { CmdNewText(*view_); Template<TNapis>()->Text = "A"; Complete(); }, texts_},
        {"symbol", [&] { CmdNewSymbol(*view_); Complete(); }, texts_},
        {"czołówka along a segment", [&] { CmdAddCzolowka(*view_); Complete(); }, texts_},
        {"czołówka picked", [&] { CmdPickCzolowka(*view_); view_->Krzyz()->HandleClick({10, 100}); }, texts_},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      const int before = Count(c.sublayer);
      c.make();
      ASSERT_EQ(Count(c.sublayer), before + 1);
      EXPECT_EQ(Last(c.sublayer)->GetIdent(), document);
      view_->ResetKrzyz();
    }
  }
}

// The view lets go of a tool whose completion raised without finishing it:
// the template the command still held must not be left behind.
// A view closed while a command runs ends the command, which frees its
// template and its pending operation (the leak check of the sanitized build
// catches a template left behind).
TEST_F(NewCommandsTest, ClosingTheViewEndsTheRunningCommand) {
  CmdNewSpecialLinia(*view_);
  ASSERT_NE(Tool(), nullptr);
  ASSERT_NE(Tool()->Template(), nullptr);
  view_.reset();
  platform::PumpPostedMessages();
}

TEST_F(NewCommandsTest, ErrorInsideACompletionEndsTheCommandAndFreesItsTemplate) {
  lines_->AddObject(new TLinia(TRealPoint{10, 20}, TRealPoint{10, 180}));
  const int lines = Count(lines_);
  const int texts = Count(texts_);
  services_.refuse = true;
  struct Case {
    const char* name;
    Command command;
  };
  const Case cases[] = {
      {"special line", CmdNewSpecialLinia},     {"closed special line", CmdNewSpecialLiniaLoop},
      {"circle", CmdNewOkrag},                  {"text", CmdNewText},
      {"symbol", CmdNewSymbol},                 {"czołówka along a segment", CmdAddCzolowka},
      {"picked czołówka", CmdPickCzolowka},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.command(*view_);
    const bool ended =
        c.command == CmdPickCzolowka ? view_->Krzyz()->HandleClick(TRealPoint{10, 100}) : Complete();
    EXPECT_TRUE(ended);
    if (Tool() != nullptr) {
      EXPECT_EQ(Tool()->Template(), nullptr);
    }
    view_->ResetKrzyz();
  }
  // Nothing stored, nothing to undo; a cancelled choice is no error.
  EXPECT_EQ(Count(lines_), lines);
  EXPECT_EQ(Count(texts_), texts);
  EXPECT_EQ(view_->GetUndoManager()->Count(), 0);
  EXPECT_TRUE(toolErrors_.empty());
}

// --- No sublayer ---------------------------------------------------------------

struct CommandCase {
  const char* name;
  Command command;
  bool text;  // needs the text sublayer, else the line sublayer
};
const CommandCase kCommands[] = {
    {"special line", CmdNewSpecialLinia, false},
    {"closed special line", CmdNewSpecialLiniaLoop, false},
    {"circle", CmdNewOkrag, false},
    {"text", CmdNewText, true},
    {"symbol", CmdNewSymbol, true},
    {"czołówka along a segment", CmdAddCzolowka, true},
    {"picked czołówka", CmdPickCzolowka, true},
};

TEST_F(NewCommandsTest, CommandWithoutItsSublayerIsRefusedAndInstallsNothing) {
  for (const CommandCase& c : kCommands) {
    SCOPED_TRACE(c.name);
    view_->SetActivePodwarstwa(lines_);
    view_->SetActivePodwarstwa(texts_);
    // The other kind stays active: it does not stand in.
    view_->ReleaseActiveWarstwa(c.text ? static_cast<TPodwarstwa*>(texts_) : static_cast<TPodwarstwa*>(lines_));
    TKrzyz* idle = view_->Krzyz();
    try {
      c.command(*view_);
      ADD_FAILURE() << "not refused";
    } catch (const ETolvikaError& e) {
      EXPECT_STREQ(e.what(), "Brak aktywnej warstwy");
      EXPECT_EQ(e.Code, static_cast<std::uint8_t>(TolvikaErrorCode::NoActiveLayer));
    }
    EXPECT_EQ(view_->Krzyz(), idle);
  }
}

TEST_F(NewCommandsTest, SublayerReleasedDuringTheCommandEndsIt) {
  for (const CommandCase& c : kCommands) {
    SCOPED_TRACE(c.name);
    view_->SetActivePodwarstwa(lines_);
    view_->SetActivePodwarstwa(texts_);
    c.command(*view_);
    TPodwarstwa* sublayer = c.text ? static_cast<TPodwarstwa*>(texts_) : static_cast<TPodwarstwa*>(lines_);
    const int before = Count(sublayer);
    const std::int32_t undoBefore = view_->GetUndoManager()->Count();
    const std::size_t boxesBefore = responder_->Shown().size();
    toolErrors_.clear();
    view_->ReleaseActiveWarstwa(sublayer);
    const bool czolowka = c.command == CmdAddCzolowka || c.command == CmdPickCzolowka;
    if (!czolowka) responder_->AnswerMessageBox(platform::IDOK);

    const bool ended = c.command == CmdPickCzolowka ? view_->Krzyz()->HandleClick(TRealPoint{10, 100}) : Complete();
    EXPECT_TRUE(ended);
    if (czolowka) {
      // The error of the tool, no box.
      EXPECT_EQ(responder_->Shown().size(), boxesBefore);
      ASSERT_EQ(toolErrors_.size(), 1u);
      EXPECT_EQ(toolErrors_[0], std::string(kKrzyzErrorPrefix) + "Brak aktywnej warstwy");
    } else {
      ASSERT_EQ(responder_->Shown().size(), boxesBefore + 1);
      const platform::TShownModal& box = responder_->Shown().back();
      EXPECT_EQ(box.kind, platform::TModalKind::MessageBox);
      EXPECT_EQ(box.caption, "Blad");
      EXPECT_EQ(box.text, "Brak aktywnej warstwy");
      EXPECT_EQ(box.flags, platform::MB_OK);
      EXPECT_TRUE(toolErrors_.empty());
    }
    toolErrors_.clear();
    // Nothing stored; the unfinished object is gone with the tool's template.
    EXPECT_EQ(Count(sublayer), before);
    EXPECT_EQ(view_->GetUndoManager()->Count(), undoBefore);
    if (Tool() != nullptr) {
      EXPECT_EQ(Tool()->Template(), nullptr);
    }
    view_->ResetKrzyz();
  }
}

// --- The end of the tool -------------------------------------------------------

TEST_F(NewCommandsTest, EscapeEndsTheCommandWithoutTemplateOrPendingOperation) {
  for (const CommandCase& c : kCommands) {
    SCOPED_TRACE(c.name);
    document_.posted.clear();
    c.command(*view_);
    TKrzyz* tool = view_->Krzyz();
    view_->PendingOperation = std::make_unique<Operation>();
    const int lines = Count(lines_);
    const int texts = Count(texts_);
    view_->SendKey(platform::VK_ESCAPE);
    EXPECT_NE(view_->Krzyz(), tool);
    EXPECT_EQ(Count(lines_), lines);
    EXPECT_EQ(Count(texts_), texts);
    // The picking tool has no end handler: its own text template goes with
    // it, the pending operation stays for the next new element.
    if (c.command == CmdPickCzolowka) {
      EXPECT_NE(view_->PendingOperation, nullptr);
    } else {
      EXPECT_EQ(view_->PendingOperation, nullptr);
    }
    EXPECT_TRUE(document_.posted.empty());
    view_->PendingOperation.reset();
  }
}

// --- Texts and symbols ---------------------------------------------------------

TEST_F(NewCommandsTest, TextsAndSymbolsTakePresetsAndLeaveThePlacementInTheSublayer) {
  struct Case {
    const char* name;
    Command command;
    bool symbol;
    std::uint8_t placedBefore;
    bool presetAngle;  // the presets give the angle
    bool userSwitch;   // the user turns the placement switch over
    bool angled;       // the tool's switch at the start
    std::uint8_t placedAfter;
  };
  const Case cases[] = {
      {"text, remembered placement", CmdNewText, false, 1, false, false, true, 1},
      {"text, preset angle switches it off", CmdNewText, false, 1, true, false, false, 0},
      {"text, switched by the user", CmdNewText, false, 0, false, true, false, 1},
      {"symbol, remembered placement", CmdNewSymbol, true, 1, false, false, true, 1},
      {"symbol, preset angle", CmdNewSymbol, true, 1, true, false, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    texts_->PlacedState = c.placedBefore;
    texts_->TextFlags |= 4;  // at an angle
    view_->TextPresets.Flags = ActivityBit(apWysokosc) | (c.presetAngle ? ActivityBit(apKat) : 0);
    view_->TextPresets.Height = 4;
    view_->TextPresets.Angle = 90;
    c.command(*view_);
    auto* tool = dynamic_cast<TEditNewTextSymbol*>(view_->Krzyz());
    ASSERT_NE(tool, nullptr);
    EXPECT_EQ(tool->Sublayer, texts_);
    EXPECT_EQ(tool->Angled, c.angled);
    if (c.userSwitch) tool->SetAngled(!tool->Angled);

    TEGraphObj* first = tool->Template();
    if (c.symbol) {
      auto* s = dynamic_cast<TWysKatSymbol*>(first);
      ASSERT_NE(s, nullptr);
      EXPECT_FLOAT_EQ(s->Height, 4);
    } else {
      auto* t = dynamic_cast<TWysKatOdnNapisW*>(first);
      ASSERT_NE(t, nullptr);
      EXPECT_FLOAT_EQ(t->Height, 4);
      t->Text = "12";
    }
    EXPECT_FALSE(Complete());
    EXPECT_EQ(Last(texts_), first);
    EXPECT_EQ(texts_->PlacedState, c.placedAfter);
    TUndoOperationItem* op = UndoAt(view_->GetUndoManager()->Count() - 1);
    ASSERT_NE(op, nullptr);
    EXPECT_EQ(op->GetName(), "Dodanie");
    EXPECT_EQ(op->NewObject(), first);
    // The next template: the same class, the presets again.
    TEGraphObj* next = tool->Template();
    ASSERT_NE(next, nullptr);
    EXPECT_NE(next, first);
    EXPECT_EQ(typeid(*next), typeid(*first));
    if (c.symbol)
      EXPECT_FLOAT_EQ(dynamic_cast<TWysKatSymbol&>(*next).Height, 4);
    else
      EXPECT_FLOAT_EQ(dynamic_cast<TWysNapis&>(*next).Height, 4);
    view_->ResetKrzyz();
  }
}

// --- Czołówki ------------------------------------------------------------------

TEST_F(NewCommandsTest, CzolowkaAlongASegmentIsStoredAsItsOwnOperation) {
  CmdAddCzolowka(*view_);
  auto* tool = dynamic_cast<TCzolowkaLineKrzyz*>(view_->Krzyz());
  ASSERT_NE(tool, nullptr);
  // The segment from (30, 30) to (30, 70), entered by two clicks.
  for (const TRealPoint& p : {TRealPoint{30, 30}, TRealPoint{30, 70}}) {
    tool->HandleMove(p);
    EXPECT_FALSE(tool->HandleClick(p));
  }
  ASSERT_EQ(Count(texts_), 1);
  auto* first = dynamic_cast<TWysKatNapis*>(Last(texts_));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Text, CursorFormat().FormatCoord(40));
  TUndoOperationItem* op = UndoAt(view_->GetUndoManager()->Count() - 1);
  ASSERT_NE(op, nullptr);
  EXPECT_EQ(op->GetName(), "Dodanie czołówki");
  EXPECT_EQ(op->Sublayer(), texts_);
  EXPECT_EQ(view_->Krzyz(), tool);
  auto* next = Template<TWysKatNapis>();
  ASSERT_NE(next, nullptr);
  EXPECT_NE(next, first);
}

TEST_F(NewCommandsTest, PickedCzolowkaStandsAtTheMiddleAlongTheLineWithItsLength) {
  // From (10, 20) to (40, 60): length 50, middle (25, 40).
  auto* line = new TLinia(TRealPoint{10, 20}, TRealPoint{40, 60});
  lines_->AddObject(line);
  CmdPickCzolowka(*view_);
  auto* tool = dynamic_cast<TCzolowkaWskKrzyz*>(view_->Krzyz());
  ASSERT_NE(tool, nullptr);
  EXPECT_EQ(tool->Hint(), "Wskaż czołówkę");
  // The kept height is the sublayer's text height.
  EXPECT_FLOAT_EQ(tool->Height, 2.5f);
  const int texts = Count(texts_);
  const std::int32_t undo = view_->GetUndoManager()->Count();

  // Far from every line: nothing added, the tool goes on.
  EXPECT_FALSE(tool->HandleClick(TRealPoint{90, 190}));
  EXPECT_EQ(Count(texts_), texts);
  EXPECT_EQ(view_->GetUndoManager()->Count(), undo);
  EXPECT_EQ(view_->Krzyz(), tool);

  // On the line, twice: two labels, the second from the fresh template.
  for (int i = 1; i <= 2; ++i) {
    SCOPED_TRACE(i);
    EXPECT_FALSE(tool->HandleClick(TRealPoint{25, 40}));
    ASSERT_EQ(Count(texts_), texts + i);
    auto* text = dynamic_cast<TWysKatNapis*>(Last(texts_));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->Text, CursorFormat().FormatCoord(50));
    EXPECT_FLOAT_EQ(text->Height, 2.5f);
    // Along the line (either way round): the baseline of angle A runs
    // (-sin A, cos A), angles turning from +Y away from +X ...
    const double bx = -std::sin(text->Angle), by = std::cos(text->Angle);
    EXPECT_NEAR(bx * 40 - by * 30, 0, 1e-5);
    // ... at its middle, moved off it across by a fifth of the height at most.
    const double dx = text->Position.X - 25, dy = text->Position.Y - 40;
    EXPECT_NEAR((dx * 30 + dy * 40) / 50, 0, 1e-6);
    EXPECT_LE(std::hypot(dx, dy), 0.2 * 2.5 + 1e-6);
    TUndoOperationItem* op = UndoAt(view_->GetUndoManager()->Count() - 1);
    ASSERT_NE(op, nullptr);
    EXPECT_EQ(op->GetName(), "Dodanie czołówki");
    EXPECT_EQ(op->NewObject(), text);
    // The line itself is untouched and not taken by the search.
    EXPECT_GE(lines_->IndexOfObject(line), 0);
  }
}

}  // namespace
