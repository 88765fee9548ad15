// Frontal-measure labels: the flags of the two windows, a segment's label
// the same whichever way the segment was entered, a segment of no length
// refused, the window's changes reaching the tool at once (a height that is
// no positive number used as 1.0, showing the window changing nothing), the
// small window placed inside the screen beside the click, shown on top with
// the pointer on its close button, left from the keyboard and the mouse with
// the picking tool going on, and a picking tool that goes while its window
// is open.
#include "objtools/czolowka.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "drawing/font_fixture.h"
#include "drawing/strokefont.h"
#include "objects/texts.h"
#include "platform/gui/application.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/dragframe.h"
#include "platform/gui/responder.h"
#include "common/scratch_folder.h"
#include "view/krzyzconf.h"
#include "view/latch_fixture.h"
#include "view/tool_fixture.h"

namespace {

using namespace platform;

// What a reported label showed.
struct Label {
  std::string text;
  double x = 0.0;
  double y = 0.0;
  float angle = 0.0f;
  int justification = 0;
  bool underline = false;
  float height = 0.0f;
};

Label Read(const TWysKatNapis& T) {
  return Label{T.Text, T.Position.X, T.Position.Y, T.Angle, T.GetJustyfikacja(), T.IsUnderline(), T.Height};
}

// Two labels are the same when their texts, anchors, justifications,
// underlines and heights are, and their angles give the same direction.
void ExpectSameLabel(const Label& A, const Label& B) {
  EXPECT_EQ(A.text, B.text);
  EXPECT_NEAR(A.x, B.x, 1e-9);
  EXPECT_NEAR(A.y, B.y, 1e-9);
  EXPECT_NEAR(std::cos(A.angle), std::cos(B.angle), 1e-6);
  EXPECT_NEAR(std::sin(A.angle), std::sin(B.angle), 1e-6);
  EXPECT_EQ(A.justification, B.justification);
  EXPECT_EQ(A.underline, B.underline);
  EXPECT_EQ(A.height, B.height);
}

// A stroke font of the characters "-" to "9", each a square outline of
// its cell, for the labels the tools draw.
std::string DigitFont() {
  FontSpec f;
  f.First = '-';
  f.Height = 16;
  f.A = 12;
  f.B = 0;
  f.D = -3;
  for (char c = '-'; c <= '9'; ++c) f.Glyphs.push_back({16, {{{0, 0}, {16, 0}, {16, 16}, {0, 16}, {0, 0}}}});
  return FontBytes(f);
}

// The tools on the stand-in view (tool_fixture.h) with the sound signal
// off and a font for the labels; every window is answered by the
// responder, and one nobody expects fails the test.
class CzolowkaTest : public ToolFixture {
protected:
  CzolowkaTest() : savedSignal(KrzyzConf().Signal), savedSnapType(KrzyzConf().SnapType) {
    KrzyzConf().Signal = false;
    folder.Put("litt.ch1", DigitFont());
    folder.Put("font.ch1", DigitFont());
    FontManager().SetFolder(folder.Path());
  }
  ~CzolowkaTest() override {
    FontManager().SetFolder("");
    KrzyzConf().Signal = savedSignal;
    KrzyzConf().SnapType = savedSnapType;
  }

  // A segment tool whose command keeps what each label showed and gives
  // the tool a fresh template, as the command does.
  TWysKatNapis* MakeTemplate(std::uint8_t Flags, float Height) {
    auto text = std::make_unique<TWysKatNapis>();
    text->Height = Height;
    text->SetCzolowka(TRealPoint{}, TRealPoint{0, 1}, 1.0, Flags);
    templates.push_back(std::move(text));
    return templates.back().get();
  }
  std::unique_ptr<TCzolowkaLineKrzyz> MakeLineTool(std::uint8_t Flags, float Height) {
    return std::make_unique<TCzolowkaLineKrzyz>(0, MakeTemplate(Flags, Height), nullptr, [=, this](TKrzyz* Sender) {
      auto* t = static_cast<TCzolowkaLineKrzyz*>(Sender);
      labels.push_back(Read(dynamic_cast<TWysKatNapis&>(*t->Template())));
      t->SetTemplate(MakeTemplate(Flags, Height));
      return false;
    });
  }

  // The next window is handed to Fill as the type it must be.
  template <class W>
  void OnWindow(std::function<void(W&)> Fill) {
    responder.AnswerForm([Fill](TForm& Form) {
      auto* w = dynamic_cast<W*>(&Form);
      ASSERT_NE(w, nullptr) << Form.Caption();
      Fill(*w);
    });
  }

  ScratchFolder folder;
  TScriptedResponder responder{[](const std::string& m) { ADD_FAILURE() << m; }};
  bool savedSignal;
  std::uint8_t savedSnapType;
  std::vector<std::unique_ptr<TWysKatNapis>> templates;
  std::vector<Label> labels;
};

// --- The flags of the windows ---------------------------------------------

template <class W>
void CheckFlags() {
  auto window = MakeForm<W>();
  struct Case {
    int position;
    bool wasy;
    bool underline;
    std::uint8_t flags;
  };
  const Case cases[] = {
      {0, false, false, 0x01}, {1, false, false, 0x02}, {2, false, false, 0x04},
      {1, true, true, 0x1A},   {0, true, false, 0x09},  {2, false, true, 0x14},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "position " << c.position << " wasy " << c.wasy << " underline "
                                    << c.underline);
    window->template Get<TRadioGroup>("Position").SetItemIndex(c.position);
    window->template Get<TCheckBox>("Wasy").SetChecked(c.wasy);
    window->template Get<TCheckBox>("Underline").SetChecked(c.underline);
    EXPECT_EQ(window->GetFlags(), c.flags);
    // And back: the controls of the flags give the flags again.
    window->SetFlags(0);
    window->SetFlags(c.flags);
    EXPECT_EQ(window->GetFlags(), c.flags);
  }
  // More than one position bit: above before on the line before below.
  const std::pair<std::uint8_t, int> positions[] = {{0x07, 0}, {0x06, 1}, {0x00, 2}, {0x18, 2}};
  for (const auto& [flags, item] : positions) {
    window->SetFlags(flags);
    EXPECT_EQ(window->template Get<TRadioGroup>("Position").ItemIndex(), item) << int(flags);
  }
}

TEST_F(CzolowkaTest, WindowsGiveTheFlagsOfTheirControls) {
  {
    SCOPED_TRACE("snapping window");
    CheckFlags<TCzolowkaDialog>();
  }
  {
    SCOPED_TRACE("small window");
    CheckFlags<TCzolowkaSimple>();
  }
  auto window = MakeForm<TCzolowkaSimple>();
  EXPECT_EQ(window->Caption(), "Czołówka");
  EXPECT_EQ(window->HelpContext(), 4451);
  const std::vector<std::string> items{"Nad linią", "Na linii", "Pod linią"};
  auto& position = window->Get<TRadioGroup>("Position");
  ASSERT_EQ(position.Items().Count(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(position.Items()[i], items[static_cast<std::size_t>(i)]);
  EXPECT_EQ(position.Caption(), "Pozycja");
  EXPECT_EQ(window->Get<TCheckBox>("Wasy").Caption(), "Wąsy");
  EXPECT_EQ(window->Get<TCheckBox>("Underline").Caption(), "Podkreślenie");
  EXPECT_EQ(window->Get<TLabel>("HeightLabel").Caption(), "Wysokość:");
  EXPECT_EQ(window->Get<TSpeedButton>("CloseSB").Hint(), "Zamknij");
  EXPECT_EQ(window->Get<TSpeedButton>("AbortSB").Hint(), "Anuluj");
  EXPECT_EQ(MakeForm<TCzolowkaDialog>()->Caption(), "Czołówka");
}

// --- The segment tool -----------------------------------------------------

TEST_F(CzolowkaTest, SegmentTakesFlagsAndHeightFromItsTemplate) {
  auto tool = MakeLineTool(0x1A, 2.5f);
  EXPECT_EQ(tool->Flags, 0x1A);
  EXPECT_EQ(tool->Height, 2.5f);
  EXPECT_EQ(tool->CompleteCount, 2);
  EXPECT_EQ(tool->RestartStage, 1);
  TWysKatNapis other;
  other.Height = 4.0f;
  other.SetCzolowka(TRealPoint{}, TRealPoint{0, 1}, 1.0, 0x04);
  tool->SetTemplate(&other);
  EXPECT_EQ(tool->Flags, 0x04);
  EXPECT_EQ(tool->Height, 4.0f);
  tool->SetTemplate(nullptr);
  EXPECT_EQ(tool->Flags, 0x04);
}

// The label stands at the segment's middle with its length; entered the
// other way round the segment gives the same label, across, along and
// aslant the screen.
TEST_F(CzolowkaTest, SegmentEnteredEitherWayGivesTheSameLabel) {
  struct Case {
    double x1, y1, x2, y2;
    std::uint8_t flags;
    const char* text;
  };
  const Case cases[] = {
      {50, 20, 50, 120, 0x1A, "-100.00-"},  // left to right on the screen
      {10, 60, 90, 60, 0x01, "80.00"},      // bottom to top
      {10, 20, 40, 60, 0x14, "50.00"},      // aslant
      {70, 30, 20, 150, 0x0A, "-130.00-"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<Label> both;
    for (bool reversed : {false, true}) {
      labels.clear();
      auto tool = MakeLineTool(c.flags, 2.0f);
      Activate(*tool, TRealPoint{5, 5});
      if (!reversed) {
        Click(*tool, c.x1, c.y1);
        Click(*tool, c.x2, c.y2);
      } else {
        Click(*tool, c.x2, c.y2);
        Click(*tool, c.x1, c.y1);
      }
      ASSERT_EQ(labels.size(), 1u);
      both.push_back(labels[0]);
      tool->Deactivate();
    }
    EXPECT_EQ(both[0].text, c.text);
    EXPECT_EQ(both[0].height, 2.0f);
    EXPECT_EQ(both[0].underline, (c.flags & 0x10) != 0);
    // Along the segment, at its middle moved across it only.
    const double dx = c.x2 - c.x1;
    const double dy = c.y2 - c.y1;
    const double along = (both[0].x - (c.x1 + c.x2) / 2) * dx + (both[0].y - (c.y1 + c.y2) / 2) * dy;
    EXPECT_NEAR(along, 0.0, 1e-9);
    // The text runs along the segment (an angle a points along (-sin a,
    // cos a) in X, Y).
    const double a = both[0].angle;
    EXPECT_NEAR(-std::sin(a) * dy - std::cos(a) * dx, 0.0, 1e-5 * std::hypot(dx, dy));
    ExpectSameLabel(both[0], both[1]);
  }
}

// The second point on the first gives no label; the tool waits for another
// second point, and the label drawn meanwhile follows the pointer.
TEST_F(CzolowkaTest, SegmentOfNoLengthIsRefused) {
  auto tool = MakeLineTool(0x02, 1.0f);
  Activate(*tool, TRealPoint{5, 5});
  Click(*tool, 30, 40);
  Click(*tool, 30, 40);
  EXPECT_TRUE(labels.empty());
  EXPECT_NE(tool->TKrzyz::Flags & TKrzyz::kPointRefused, 0);
  EXPECT_EQ(tool->Stage, 2);
  Move(*tool, 30, 90);
  EXPECT_EQ(dynamic_cast<TWysKatNapis&>(*tool->Template()).Text, "50.00");
  Click(*tool, 30, 90);
  ASSERT_EQ(labels.size(), 1u);
  EXPECT_EQ(labels[0].text, "50.00");
  ExpectBalanced(*tool);
}

// The segment is drawn under the label from the second point on, and the
// figures leave the screen clean.
TEST_F(CzolowkaTest, SegmentIsDrawnWithTheLabel) {
  auto tool = MakeLineTool(0x01, 1.0f);
  Activate(*tool, TRealPoint{5, 5});
  Click(*tool, 20, 20);
  Move(*tool, 20, 180);
  int along = 0;
  // The pen is dotted: about every other pixel.
  for (double y = 25; y <= 175; y += 1) along += Inverted(20, y) ? 1 : 0;
  EXPECT_GE(along, 60);
  ExpectBalanced(*tool);
  tool->Deactivate();
  EXPECT_EQ(Drawn(), 0);
}

// --- The snapping window ----------------------------------------------------

// Showing the window shows the tool's values and changes nothing on the
// tool; each change then reaches it at once, a height that is no positive
// number as 1.0, and the label is laid again.
TEST_F(CzolowkaTest, SnappingWindowAppliesItsChangesAtOnce) {
  auto tool = MakeLineTool(0x04, 2.345f);
  Activate(*tool, TRealPoint{5, 5});
  Click(*tool, 50, 20);
  Move(*tool, 50, 120);
  auto& text = dynamic_cast<TWysKatNapis&>(*tool->Template());
  ASSERT_EQ(text.Text, "100.00");
  OnWindow<TCzolowkaDialog>([&](TCzolowkaDialog& d) {
    EXPECT_EQ(d.Get<TEdit>("Height").Text(), "2.35");
    EXPECT_EQ(d.Get<TRadioGroup>("Position").ItemIndex(), 2);
    EXPECT_FALSE(d.Get<TCheckBox>("Wasy").Checked());
    EXPECT_EQ(tool->Height, 2.345f) << "showing the window changed the tool";
    // A tick: the flags go to the tool with the height it had, not the
    // rounded one shown.
    d.Get<TCheckBox>("Wasy").Click();
    EXPECT_EQ(tool->Flags, 0x0C);
    EXPECT_EQ(tool->Height, 2.345f);
    EXPECT_EQ(text.Text, "-100.00-");
    d.Get<TRadioGroup>("Position").UserSelect(1);
    d.Get<TCheckBox>("Underline").Click();
    EXPECT_EQ(tool->Flags, 0x1A);
    EXPECT_TRUE(text.IsUnderline());
    struct Case {
      const char* typed;
      float height;
    };
    const Case cases[] = {{"3", 3.0f}, {"abc", 1.0f}, {"", 1.0f},  {"0", 1.0f},
                          {"-2", 1.0f}, {"1e300", 1.0f}, {"0.25", 0.25f}};
    for (const Case& c : cases) {
      d.Get<TEdit>("Height").SetText(c.typed);
      EXPECT_EQ(tool->Height, c.height) << c.typed;
      EXPECT_EQ(text.Height, c.height) << c.typed;
    }
    d.Get<TButton>("SpeedButton2").Click();
  });
  RightClick(*tool);
  EXPECT_EQ(responder.Pending(), 0);
  Click(*tool, 50, 120);
  ASSERT_EQ(labels.size(), 1u);
  EXPECT_EQ(labels[0].height, 0.25f);
  EXPECT_EQ(labels[0].text, "-100.00-");
  ExpectBalanced(*tool);
}

// Typing in the height field: a comma is a point, letters do not go in;
// Tab goes from the label's row to the coordinates, Enter on to the next
// field; Escape aborts.
TEST_F(CzolowkaTest, SnappingWindowWorksFromTheKeyboard) {
  auto tool = MakeLineTool(0x01, 1.0f);
  Activate(*tool, TRealPoint{5, 5});
  std::vector<std::string> order;
  OnWindow<TCzolowkaDialog>([&](TCzolowkaDialog& d) {
    auto& height = d.Get<TEdit>("Height");
    height.SetFocus();
    height.SelectAll();
    height.SendText("1,5x");
    EXPECT_EQ(height.Text(), "1.5");
    EXPECT_EQ(tool->Height, 1.5f);
    d.Get<TCheckBox>("Wasy").SetFocus();
    for (int i = 0; i < 4; ++i) {
      auto* focused = dynamic_cast<TWinControl*>(d.ActiveControl());
      ASSERT_NE(focused, nullptr);
      focused->SendKey(VK_TAB);
      order.push_back(d.ActiveControl() != nullptr ? d.ActiveControl()->Name() : "");
    }
    height.SetFocus();
    height.SendKey(VK_RETURN);
    EXPECT_TRUE(d.Get<TEdit>("EditX").Focused());
    EXPECT_EQ(d.ModalResult(), mrNone);
    height.SendKey(VK_ESCAPE);
    EXPECT_EQ(d.ModalResult(), kLatchAbort);
  });
  RightClick(*tool);
  EXPECT_EQ(order, (std::vector<std::string>{"Underline", "Height", "EditX", "EditY"}));
}

// --- The small window --------------------------------------------------------

TEST_F(CzolowkaTest, SmallWindowOpensBesideThePointInsideTheScreen) {
  auto window = MakeForm<TCzolowkaSimple>();
  const int w = window->Width();
  const int h = window->Height();
  const int sw = SystemMetric(TSystemMetric::ScreenWidth);
  const int sh = SystemMetric(TSystemMetric::ScreenHeight);
  ASSERT_GT(sw, w + 40);
  ASSERT_GT(sh, h + 40);
  struct Case {
    int x, y, left, top;
  };
  const Case cases[] = {
      {100, 20, 110, 20},                       // right of the point
      {sw - w - 10, 20, sw - w, 20},            // just fits
      {sw - w - 9, 20, sw - w - 19 - w, 20},    // right edge 10 left of the point
      {sw - 5, 40, sw - 15 - w, 40},            // at the right edge
      {30, sh - 1, 40, sh - h},                 // bottom kept on the screen
      {sw - 1, sh - 1, sw - 11 - w, sh - h},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
    window->PlaceNear(c.x, c.y);
    EXPECT_EQ(window->Left(), c.left);
    EXPECT_EQ(window->Top(), c.top);
    EXPECT_EQ(window->Width(), w);
    EXPECT_EQ(window->Height(), h);
    EXPECT_LE(window->Left() + w, sw);
  }
}

// The right click opens the window beside the click, on top, with the
// pointer on "Zamknij"; it shows the tool's values without changing the
// tool; its changes reach the tool at once; it goes when it closes.
TEST_F(CzolowkaTest, SmallWindowShowsAndChangesThePickingTool) {
  auto tool = std::make_unique<TCzolowkaWskKrzyz>(0, nullptr);
  tool->Flags = 0x11;
  tool->Height = 2.345f;
  Activate(*tool, TRealPoint{5, 5});
  SetCursorPos(0, 0);
  OnWindow<TCzolowkaSimple>([&](TCzolowkaSimple& d) {
    EXPECT_EQ(tool->Dialog, &d);
    EXPECT_EQ(d.Tool, tool.get());
    EXPECT_GT(d.Left(), 300) << "opened right of the click";
    EXPECT_TRUE(d.TopMost());
    const TGdiPoint pointer = CursorPos();
    EXPECT_EQ(pointer, ClientToScreen(d.Get<TSpeedButton>("CloseSB"), 5, 5));
    EXPECT_EQ(d.Get<TEdit>("Height").Text(), "2.35");
    EXPECT_EQ(d.Get<TRadioGroup>("Position").ItemIndex(), 0);
    EXPECT_TRUE(d.Get<TCheckBox>("Underline").Checked());
    EXPECT_EQ(tool->Flags, 0x11);
    EXPECT_EQ(tool->Height, 2.345f);
    d.Get<TCheckBox>("Wasy").Click();
    EXPECT_EQ(tool->Flags, 0x19);
    EXPECT_EQ(tool->Height, 2.345f);
    d.Get<TEdit>("Height").SetText("abc");
    EXPECT_EQ(tool->Height, 1.0f);
    d.Get<TEdit>("Height").SetText("4");
    EXPECT_EQ(tool->Height, 4.0f);
    d.Get<TSpeedButton>("CloseSB").Click();
    EXPECT_EQ(d.ModalResult(), mrCancel);
  });
  EXPECT_EQ(RightClick(*tool, 300, 200), kRightNothing);
  EXPECT_EQ(tool->Dialog, nullptr);
  EXPECT_EQ(tool->Flags, 0x19);
  EXPECT_EQ(tool->Height, 4.0f);
}

// Tab runs through the four controls as they stand; the height field
// takes a number only (a comma as a point); Enter closes as "Zamknij".
TEST_F(CzolowkaTest, SmallWindowWorksFromTheKeyboard) {
  auto tool = std::make_unique<TCzolowkaWskKrzyz>(0, nullptr);
  Activate(*tool, TRealPoint{5, 5});
  std::vector<std::string> order;
  OnWindow<TCzolowkaSimple>([&](TCzolowkaSimple& d) {
    auto& height = d.Get<TEdit>("Height");
    EXPECT_TRUE(height.Focused());
    height.SelectAll();
    height.SendText("1,5x");
    EXPECT_EQ(height.Text(), "1.5");
    EXPECT_EQ(tool->Height, 1.5f);
    d.Get<TCheckBox>("Wasy").SetFocus();
    for (int i = 0; i < 4; ++i) {
      auto* focused = dynamic_cast<TWinControl*>(d.ActiveControl());
      ASSERT_NE(focused, nullptr);
      focused->SendKey(VK_TAB);
      order.push_back(d.ActiveControl() != nullptr ? d.ActiveControl()->Name() : "");
    }
    height.SetFocus();
    height.SendKey(VK_RETURN);
    EXPECT_EQ(d.ModalResult(), mrCancel);
  });
  EXPECT_EQ(RightClick(*tool), kRightNothing);
  EXPECT_EQ(order, (std::vector<std::string>{"Underline", "Height", "Position", "Wasy"}));
}

// A window whose tool goes while it is open tells no one when it goes.
TEST_F(CzolowkaTest, PickingToolGoingFirstUnlinksItsWindow) {
  auto tool = std::make_unique<TCzolowkaWskKrzyz>(0, nullptr);
  Activate(*tool, TRealPoint{5, 5});
  auto window = MakeForm<TCzolowkaSimple>();
  window->Tool = tool.get();
  tool->Dialog = window.get();
  tool.reset();
  EXPECT_EQ(window->Tool, nullptr);
  window.reset();
}

// --- The picking tool on a map view -------------------------------------------

// Each way of leaving the small window: Escape and "Anuluj" abort, "Zamknij"
// and Enter close; the picking tool stays the view's tool and picks the next
// click.
class CzolowkaViewTest : public LatchMapTest {};

TEST_F(CzolowkaViewTest, AbortingTheSmallWindowDoesNotEndThePickingTool) {
  struct Case {
    const char* title;
    std::function<void(TCzolowkaSimple&)> leave;
    int result;
  };
  const std::vector<Case> cases = {
      {"Escape", [](TCzolowkaSimple& d) { d.Get<TEdit>("Height").SendKey(VK_ESCAPE); }, mrAbort},
      {"Anuluj", [](TCzolowkaSimple& d) { d.Get<TSpeedButton>("AbortSB").Click(); }, mrAbort},
      {"right on Anuluj",
       [](TCzolowkaSimple& d) { d.Get<TSpeedButton>("AbortSB").MouseDownAt(TMouseButton::Right, 5, 5); }, mrAbort},
      {"Zamknij", [](TCzolowkaSimple& d) { d.Get<TSpeedButton>("CloseSB").Click(); }, mrCancel},
      {"Enter", [](TCzolowkaSimple& d) { d.Get<TEdit>("Height").SendKey(VK_RETURN); }, mrCancel},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    std::vector<TRealPoint> picks;
    auto owned = std::make_unique<TCzolowkaWskKrzyz>(0, [&](TKrzyz* Sender) {
      auto* t = static_cast<TCzolowkaWskKrzyz*>(Sender);
      picks.push_back(TRealPoint{t->X, t->Y});
      return false;
    });
    TCzolowkaWskKrzyz& tool = Install(std::move(owned));
    int result = -1;
    responder->AnswerForm([&](TForm& form) {
      auto& d = dynamic_cast<TCzolowkaSimple&>(form);
      d.Get<TCheckBox>("Wasy").Click();
      c.leave(d);
      result = d.ModalResult();
    });
    view->MouseDownAt(TMouseButton::Right, 40, 40);
    view->MouseUpAt(TMouseButton::Right, 40, 40);
    EXPECT_EQ(result, c.result);
    ASSERT_EQ(view->Krzyz(), &tool) << "the picking tool ended";
    EXPECT_EQ(tool.Dialog, nullptr);
    EXPECT_EQ(tool.Flags & 0x08, 0x08);
    tool.HandleMove(TRealPoint{50, 100});
    tool.HandleClick(TRealPoint{50, 100});
    ASSERT_EQ(view->Krzyz(), &tool);
    ASSERT_EQ(picks.size(), 1u);
    EXPECT_EQ(picks[0].X, 50);
    EXPECT_EQ(picks[0].Y, 100);
  }
  EXPECT_EQ(responder->Pending(), 0);
}

}  // namespace
