// The text, fraction and symbol edit tools on a map view with a text
// sublayer: the handle and cursor table, a text dragged by its body keeping
// its reference point, the rotation handles inert without angles, the
// reference handle, fraction typing, the completing click refused for what
// the layer file cannot keep, the display-settings subscription of the text
// tool and the factory's kinds.
#include "objtools/textedit.h"

#include <gtest/gtest.h>

#include <memory>
#include <numbers>
#include <string>
#include <typeinfo>
#include <vector>

#include "common/square_font.h"
#include "drawing/canvascfg.h"
#include "drawing/drawparams.h"
#include "drawing/strokefont.h"
#include "foundation/errors.h"
#include "layers/tree/sublayer.h"
#include "objects/activepoints.h"
#include "objects/fraction.h"
#include "objects/layerobjects.h"
#include "objects/styledcanvas.h"
#include "objects/symbol.h"
#include "objects/symbollib.h"
#include "objects/texts.h"
#include "objtools/objeditors.h"
#include "platform/gui/controls.h"
#include "view/small_map_fixture.h"

namespace {

constexpr double kPi = std::numbers::pi;

// The small map view (small_map_fixture.h) with a shown text sublayer
// "OPISY" and a font in which every character is a square.
class TextEditTest : public SmallMapTest {
protected:
  void SetUp() override {
    PutSquareFont(scratch_);
    SmallMapTest::SetUp();
    sub = AddLayer<TPodwarstwaTextowa>(0, "OPISY", [](TPodwarstwaTextowa& Texts) {
      // Texts at their own height whatever the scale.
      Texts.Multipliers = {1, 1, 1, 1};
    });
    ASSERT_NE(sub, nullptr);
  }

  void ReleaseMore() override {
    SetObjectEditors(nullptr);
    ReleaseSymbolManager();
    FontManager().SetFolder("");
  }

  // A text of height 20 at (40, 60) in the sublayer, with the reference
  // point (20, 150).
  template <class T = TWysKatOdnNapisW>
  T* AddText(const std::string& Text = "ABCD") {
    auto* t = new T();
    t->Position = TRealPoint{40, 60};
    t->Text = Text;
    t->Height = 20;
    t->NoReference = 0;
    t->SetRefPoint(TRealPoint{20, 150});
    sub->AddObject(t);
    return t;
  }

  // The edit tool of Kind on Obj as an object's EditKrzyz makes it, run on
  // the view; completed modifications are counted.
  TEditGraphObjKrzyz& Edit(TEditToolKind Kind, TEGraphObj& Obj, bool AnglesAllowed = true) {
    sub->TextFlags = AnglesAllowed ? 0x05 : 0x01;
    std::unique_ptr<TEditGraphObjKrzyz> tool = MakeTextEditTool(Kind, [this](TKrzyz*) {
      ++completed;
      return true;
    });
    tool->EditLayer = sub;
    tool->Sublayer = sub;
    tool->Params = view->GetCanvas()->CreateDrawParams();
    sub->PrepareTextParams(tool->Params.get());
    tool->SetTemplate(&Obj);
    sub->ConfigureNewObjectTool(*tool);
    Obj.SetKolor(0xFFFFFF);
    Obj.SetDefaultColor(true);
    TEditGraphObjKrzyz& t = *tool;
    view->SetKrzyz(std::move(tool));
    return t;
  }

  static void Move(TKrzyz& Tool, const TRealPoint& P) { Tool.HandleMove(P); }
  static void Click(TKrzyz& Tool, const TRealPoint& P) {
    Tool.HandleMove(P);
    Tool.HandleClick(P);
  }
  // Handle point K of the tool's overlay; the middle of the box for -1.
  static TRealPoint HandleAt(const TEditGraphObjKrzyz& Tool, int K) {
    const TActivePoints& h = *Tool.Handles;
    if (K >= 0) return h.Points[static_cast<std::size_t>(K)];
    return TRealPoint{(h.Points[0].X + h.Points[2].X) / 2.0, (h.Points[0].Y + h.Points[2].Y) / 2.0};
  }

  TPodwarstwaTextowa* sub = nullptr;
  int completed = 0;
};

TEST_F(TextEditTest, HandlesChooseCursorAndHintWhileHovering) {
  TWysKatOdnNapisW* text = AddText();
  auto& tool = static_cast<TEditText&>(Edit(TEditToolKind::Text, *text));
  ASSERT_NE(tool.Handles, nullptr);
  ASSERT_EQ(tool.Handles->Count, 7);
  struct Case {
    int point;  // handle point, -1 the middle of the box, -2 far away
    int handle;
    int cursor;
    const char* hint;
  };
  const Case cases[] = {
      {-1, 1, 1, "Modyfikacja tekstu, Położenie"},
      {0, 2, 1, "Modyfikacja tekstu, Położenie"},
      {2, 4, 1, "Modyfikacja tekstu, Położenie"},
      {4, 6, 2, "Modyfikacja tekstu, Obrót"},
      {5, 7, 2, "Modyfikacja tekstu, Obrót"},
      {6, 8, 4, "Modyfikacja tekstu, Odnośnik"},
      {-2, 0, 3, "Modyfikacja tekstu, "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.point);
    Move(tool, c.point == -2 ? TRealPoint{90, 10} : HandleAt(tool, c.point));
    EXPECT_EQ(tool.Handle, c.handle);
    EXPECT_EQ(tool.Cursor, c.cursor);
    EXPECT_EQ(tool.GetHint(), c.hint);
  }
  // A click away from every handle changes nothing.
  Click(tool, TRealPoint{90, 10});
  EXPECT_EQ(tool.Backup, nullptr);
  EXPECT_EQ(tool.Template(), text);
  EXPECT_EQ(completed, 0);
}

TEST_F(TextEditTest, BodyDragMovesTheAnchorAndKeepsTheReferencePoint) {
  TWysKatOdnNapisW* text = AddText();
  auto& tool = static_cast<TEditText&>(Edit(TEditToolKind::Text, *text));
  Click(tool, HandleAt(tool, -1));
  ASSERT_NE(tool.Backup, nullptr) << "picked inside the box";
  // The pointer jumps to the anchor.
  EXPECT_EQ(tool.CurrentEntry().X, 40);
  EXPECT_EQ(tool.CurrentEntry().Y, 60);
  Move(tool, TRealPoint{50, 80});
  EXPECT_EQ(tool.Cursor, -1) << "no cursor of its own while dragging";
  EXPECT_NE(tool.GetHint().find("Położenie. "), std::string::npos) << "the snap mode while dragging";
  Click(tool, TRealPoint{55, 90});
  EXPECT_EQ(completed, 1);
  EXPECT_EQ(tool.Template(), text);
  EXPECT_EQ(text->Position.X, 55);
  EXPECT_EQ(text->Position.Y, 90);
  EXPECT_FLOAT_EQ(static_cast<float>(text->GetRefPoint().X), 20);
  EXPECT_FLOAT_EQ(static_cast<float>(text->GetRefPoint().Y), 150);
  EXPECT_TRUE(text->IsChanged());
  // The handles followed the text.
  EXPECT_EQ(tool.Handles->Points[6].X, text->GetRefPoint().X);
}

TEST_F(TextEditTest, RotationHandlesTurnOnlyWithAnglesAllowed) {
  struct Case {
    bool allowed;
    int point;  // 4: start edge, turned away from the pointer; 5: far edge
    float angle;
  };
  const Case cases[] = {
      {true, 5, static_cast<float>(kPi / 2)},
      {true, 4, static_cast<float>(3 * kPi / 2)},
      {false, 5, 0.0f},
      {false, 4, 0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.allowed << "/" << c.point);
    completed = 0;
    TWysKatOdnNapisW* text = AddText();
    auto& tool = static_cast<TEditText&>(Edit(TEditToolKind::Text, *text, c.allowed));
    EXPECT_EQ(tool.IsAngleAllowed(), c.allowed);
    Click(tool, HandleAt(tool, c.point));
    ASSERT_NE(tool.Backup, nullptr);
    // Straight down the map from the anchor (towards -X).
    Click(tool, TRealPoint{10, 60});
    EXPECT_EQ(completed, 1);
    EXPECT_NEAR(text->Angle, c.angle, 1e-6);
    EXPECT_EQ(text->Position.X, 40) << "the anchor stays";
  }
}

TEST_F(TextEditTest, ReferenceHandleMovesOnlyTheReferencePoint) {
  TWysKatOdnNapisW* text = AddText();
  auto& tool = static_cast<TEditText&>(Edit(TEditToolKind::Text, *text));
  Click(tool, HandleAt(tool, 6));
  ASSERT_EQ(tool.Handle, 8);
  Click(tool, TRealPoint{80, 170});
  EXPECT_EQ(completed, 1);
  EXPECT_EQ(text->Position.X, 40);
  EXPECT_EQ(text->Position.Y, 60);
  EXPECT_FLOAT_EQ(static_cast<float>(text->GetRefPoint().X), 80);
  EXPECT_FLOAT_EQ(static_cast<float>(text->GetRefPoint().Y), 170);
}

TEST_F(TextEditTest, TextTheLayerFileCannotKeepIsRefusedAndTheDragGoesOn) {
  TWysKatOdnNapisW* text = AddText();
  auto& tool = static_cast<TEditText&>(Edit(TEditToolKind::Text, *text));
  Click(tool, HandleAt(tool, -1));
  ASSERT_NE(tool.Backup, nullptr);
  struct Case {
    std::string typed;
    bool accepted;
  };
  // With the reference point the layer file keeps 39 characters; typed
  // bars are unescaped and the class stays a plain text.
  const Case cases[] = {
      {std::string(40, 'x'), false},
      {"", false},
      {std::string(37, 'x') + "||", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    tool.SetText(c.typed);
    Click(tool, TRealPoint{50, 70});
    EXPECT_EQ(completed, c.accepted ? 1 : 0);
    if (!c.accepted) {
      EXPECT_NE(tool.Backup, nullptr) << "still dragging";
      EXPECT_EQ(text->Text, "ABCD") << "the object in the sublayer untouched";
    }
  }
  EXPECT_EQ(typeid(*text), typeid(TWysKatOdnNapisW));
  EXPECT_EQ(text->Text, std::string(37, 'x') + "|");
}

TEST_F(TextEditTest, FractionTypingSplitsAtTheFirstSingleBar) {
  struct Case {
    const char* typed;
    const char* numerator;
    const char* denominator;
    bool accepted;
  };
  const Case cases[] = {
      {"12", "", "12", false},
      {"12|", "12", "", false},
      {"|12", "", "12", false},
      {"a||b|c", "a|b", "c", true},
      {"125|3", "125", "3", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    completed = 0;
    auto* f = AddText<TLicznikMianownik>("1");
    f->Denominator = "2";
    auto& tool = static_cast<TEditLicznikMianownik&>(Edit(TEditToolKind::Fraction, *f));
    Click(tool, HandleAt(tool, -1));
    ASSERT_NE(tool.Backup, nullptr);
    tool.SetText(c.typed);
    auto* copy = dynamic_cast<TLicznikMianownik*>(tool.Template());
    ASSERT_NE(copy, nullptr) << "the template stays a fraction";
    EXPECT_EQ(copy->Text, c.numerator);
    EXPECT_EQ(copy->Denominator, c.denominator);
    Click(tool, TRealPoint{50, 70});
    EXPECT_EQ(completed, c.accepted ? 1 : 0);
    if (c.accepted) {
      EXPECT_EQ(f->Text, c.numerator);
      EXPECT_EQ(f->Denominator, c.denominator);
    }
  }
}

TEST_F(TextEditTest, SnappingWindowAndKeysOnlyWhileDragging) {
  TWysKatOdnNapisW* text = AddText();
  auto& tool = static_cast<TEditText&>(Edit(TEditToolKind::Text, *text));
  Move(tool, HandleAt(tool, -1));
  TRealPoint p = HandleAt(tool, -1);
  // Hovering: no window (the responder fails on any), no snapping key.
  EXPECT_EQ(tool.RightClick(p, TPoint{10, 10}), kRightNothing);
  EXPECT_EQ(tool.KeyDown(platform::VK_F2), kKeyNotHandled);
  EXPECT_EQ(tool.Backup, nullptr);

  Click(tool, HandleAt(tool, -1));
  ASSERT_NE(tool.Backup, nullptr);
  // Dragging: the text window opens at the right click (cancelled here) ...
  responder->AnswerForm(platform::mrCancel);
  EXPECT_EQ(tool.RightClick(p, TPoint{10, 10}), kRightNothing);
  EXPECT_EQ(responder->Shown().size(), 1u);
  EXPECT_NE(tool.Backup, nullptr);
  // ... and F2 takes the point under the pointer, completing the drag.
  Move(tool, TRealPoint{50, 70});
  EXPECT_NE(tool.KeyDown(platform::VK_F2), kKeyNotHandled);
  EXPECT_EQ(completed, 1);
  EXPECT_EQ(text->Position.X, 50);
  EXPECT_EQ(text->Position.Y, 70);
}

TEST_F(TextEditTest, TextToolFollowsTheDisplaySettingsOnlyWhileAttached) {
  TParametryConf* cfg = view->GetCanvas()->Cfg();
  const int before = cfg->SubscriptionCount();
  TWysKatOdnNapisW* text = AddText();
  Edit(TEditToolKind::Text, *text);
  EXPECT_EQ(cfg->SubscriptionCount(), before + 1);
  // A change of the settings recomputes the handles from the object.
  auto& tool = static_cast<TEditText&>(*view->Krzyz());
  tool.Handles->Points[6] = TRealPoint{0, 0};
  cfg->NotifyChanged();
  EXPECT_EQ(tool.Handles->Points[6].X, 20);
  EXPECT_EQ(tool.Handles->Points[6].Y, 150);
  view->ResetKrzyz();
  platform::PumpPostedMessages();
  view->FreeKrzyz();
  EXPECT_EQ(cfg->SubscriptionCount(), before);
}

// A symbol whose library lacks it has no handles of its own: the overlay is
// set by hand, handles left (40, 40), right (40, 80), top (60, 60) and
// bottom (20, 60) of the anchor (40, 60), the outline a square of 30 about it.
void SetSymbolHandles(TActivePoints& H) {
  const TRealPoint points[] = {{40, 40}, {40, 80}, {60, 60}, {20, 60},
                               {55, 45}, {55, 75}, {25, 75}, {25, 45}};
  for (int i = 0; i < 8; ++i) H.Points[static_cast<std::size_t>(i)] = points[i];
  H.Count = 4;
}

TEST_F(TextEditTest, SymbolHandlesMoveAndTurnOnlyWithAnglesAllowed) {
  struct Case {
    bool allowed;
    TRealPoint pick;
    int handle, cursor;
    const char* hint;
    TRealPoint position;  // after the drag to (10, 60)
    float angle;
  };
  const Case cases[] = {
      {true, {45, 65}, 1, 1, "Modyfikacja symbolu, Położenie", {10, 60}, 0.0f},
      {true, {40, 80}, 3, 1, "Modyfikacja symbolu, Położenie", {10, 60}, 0.0f},
      {true, {60, 60}, 4, 2, "Modyfikacja symbolu, Obrót", {40, 60}, static_cast<float>(3 * kPi / 2)},
      {true, {20, 60}, 5, 2, "Modyfikacja symbolu, Obrót", {40, 60}, static_cast<float>(kPi / 2)},
      {false, {60, 60}, 4, 2, "Modyfikacja symbolu, Obrót", {40, 60}, 0.0f},
      {false, {20, 60}, 5, 2, "Modyfikacja symbolu, Obrót", {40, 60}, 0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.allowed << "/" << c.handle);
    completed = 0;
    auto* symbol = new TWysKatSymbol();
    symbol->Position = TRealPoint{40, 60};
    symbol->Text = "BRAK";
    sub->AddObject(symbol);
    auto& tool = static_cast<TEditSymbol&>(Edit(TEditToolKind::Symbol, *symbol, c.allowed));
    ASSERT_NE(tool.Handles, nullptr);
    SetSymbolHandles(*tool.Handles);
    Move(tool, TRealPoint{90, 10});
    EXPECT_EQ(tool.Cursor, 3);
    Move(tool, c.pick);
    EXPECT_EQ(tool.Handle, c.handle);
    EXPECT_EQ(tool.Cursor, c.cursor);
    EXPECT_EQ(tool.GetHint(), c.hint);
    Click(tool, c.pick);
    ASSERT_NE(tool.Backup, nullptr);
    Click(tool, TRealPoint{10, 60});
    EXPECT_EQ(completed, 1);
    EXPECT_EQ(symbol->Position.X, c.position.X);
    EXPECT_EQ(symbol->Position.Y, c.position.Y);
    EXPECT_NEAR(symbol->Angle, c.angle, 1e-6);
  }
}

// The whole path: the text's own EditKrzyz through the registered editors,
// a body drag, and the text put back into the sublayer by the tool.
TEST_F(TextEditTest, TextEditKrzyzRunsThisToolThroughTheRegisteredEditors) {
  RegisterObjectEditors();
  sub->TextFlags = 0x05;
  for (bool fraction : {false, true}) {
    SCOPED_TRACE(fraction);
    TWysKatOdnNapisW* text = fraction ? AddText<TLicznikMianownik>("12") : AddText();
    if (fraction) static_cast<TLicznikMianownik*>(text)->Denominator = "3";
    TEditToolPtr made = text->EditKrzyz(sub, -1, *view->GetCanvas(), 0xFFFFFF);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(typeid(*made), fraction ? typeid(TEditLicznikMianownik) : typeid(TEditText));
    auto& tool = static_cast<TEditText&>(*made);
    EXPECT_TRUE(tool.IsAngleAllowed()) << "the sublayer's options";
    view->SetKrzyz(TakeEditTool(std::move(made)));
    Click(tool, HandleAt(tool, -1));
    Click(tool, TRealPoint{55, 90});
    EXPECT_EQ(tool.EditIndex(), -2) << "put back into the sublayer";
    EXPECT_EQ(text->Position.X, 55);
    EXPECT_EQ(text->Position.Y, 90);
    EXPECT_TRUE(text->IsChanged());
    EXPECT_GE(sub->IndexOfObject(text), 0);
  }
}

TEST(TextEditFactory, MakesTheToolOfEachTextKind) {
  EXPECT_EQ(typeid(*MakeTextEditTool(TEditToolKind::Text, {})), typeid(TEditText));
  EXPECT_EQ(typeid(*MakeTextEditTool(TEditToolKind::Fraction, {})), typeid(TEditLicznikMianownik));
  EXPECT_EQ(typeid(*MakeTextEditTool(TEditToolKind::Symbol, {})), typeid(TEditSymbol));
  EXPECT_THROW(MakeTextEditTool(TEditToolKind::Line, {}), EInternalError);
  // Edit tools hover first: no point taken, backspace above stage 1 only.
  auto tool = MakeTextEditTool(TEditToolKind::Text, {});
  EXPECT_EQ(tool->Stage, 0);
  EXPECT_EQ(tool->RestartStage, 1);
}

}  // namespace
