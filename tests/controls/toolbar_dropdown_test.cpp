// Drop-down buttons with their menus open: the mouse goes through the
// windowing system (ScreenMouse), and the menu runs its own loop while the
// test's queued calls act as the user.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gui/controls_menus.h"
#include "platform/gui/dragframe.h"
#include "platform/gui/messages.h"
#include "platform/gui/modality.h"
#include "platform/gui/responder.h"
#include "toolbar_fixture.h"

namespace {

using platform::TGdiPoint;
using platform::TGdiRect;
using platform::TPopupAlignment;
using platform::TScreenMouse;
using platform::TScriptedResponder;

void Fail(const std::string& failure) { ADD_FAILURE() << failure; }

TToolbarButton* Button(TToolbar* bar, int i) {
  return dynamic_cast<TToolbarButton*>(bar->OrderList()[static_cast<size_t>(i)]);
}

TGdiRect OnScreen(platform::TControl& control) {
  TGdiPoint corner = platform::ClientToScreen(control, 0, 0);
  return {corner.X, corner.Y, corner.X + control.Width(), corner.Y + control.Height()};
}

class DropdownButtons : public ToolbarForm {
 protected:
  void SetUp() override {
    ToolbarForm::SetUp();
    menu = form->Create<platform::TPopupMenu>(nullptr, "Menu");
    menu->Items().Add("Pierwsza");
    menu->Items().Add("Druga pozycja menu");
    menu->OnPopup = [this](platform::TComponent&) { ++popups; };
  }

  // Presses and releases the left button over the middle of control, as a
  // user does; returns when everything that caused has run.
  static void ClickOnScreen(platform::TControl& control) {
    TGdiRect r = OnScreen(control);
    platform::ScreenMouse(TScreenMouse::Press, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    platform::ScreenMouse(TScreenMouse::Release, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    platform::Application().ProcessMessages();
  }

  platform::TPopupMenu* menu = nullptr;
  int popups = 0;
};

// While the menu is open the button looks pressed; the click (or double
// click) that closes the menu over the button ends there and does not open
// the menu again, while a press on another button closing it still reaches
// that button.
TEST_F(DropdownButtons, ClickThatClosesTheMenuOverItsButtonDoesNotReopenIt) {
  struct Case {
    const char* name;
    TScreenMouse closing;
    bool onOther;  // the closing click lands on the neighbouring button
  } cases[] = {
      {"click over the button", TScreenMouse::Press, false},
      {"double click over the button", TScreenMouse::DoubleClick, false},
      {"click on another button", TScreenMouse::Press, true},
  };
  TToolbar* bar = MakeBar("A", MakeDock("DockTop", TDockPosition::dpTop), "xx");
  TToolbarButton* drop = Button(bar, 0);
  TToolbarButton* other = Button(bar, 1);
  drop->SetDropdownMenu(menu);
  int otherClicks = 0;
  other->OnClick = [&](platform::TComponent&) { ++otherClicks; };
  form->Show();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    popups = 0;
    otherClicks = 0;
    TScriptedResponder responder(Fail);
    responder.AnswerMenuByLoop();
    bool shownPressed = false;
    TGdiRect target = OnScreen(c.onOther ? static_cast<platform::TControl&>(*other) : *drop);
    const int x = (target.Left + target.Right) / 2, y = (target.Top + target.Bottom) / 2;
    platform::QueueCall([&] {
      shownPressed = menu->Showing() && drop->State() == TButtonState::bsDown;
      platform::ScreenMouse(c.closing, x, y);
      if (c.closing == TScreenMouse::Press) {
        platform::QueueCall([x, y] { platform::ScreenMouse(TScreenMouse::Release, x, y); });
      }
    });
    ClickOnScreen(*drop);
    platform::Application().ProcessMessages();
    EXPECT_TRUE(shownPressed);
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(responder.Shown().size(), 1u);
    EXPECT_FALSE(menu->Showing());
    EXPECT_EQ(drop->State(), TButtonState::bsUp);
    EXPECT_EQ(otherClicks, c.onOther ? 1 : 0);
  }
  // With the menu closed, a click on the button opens it again.
  TScriptedResponder responder(Fail);
  responder.AnswerCancel();
  popups = 0;
  ClickOnScreen(*drop);
  EXPECT_EQ(popups, 1);
}

// The menu opens below the button in a horizontal dock, beside it in a left
// dock and to its left in a right dock (right-aligned there); the menu's own
// alignment comes back afterwards.
TEST_F(DropdownButtons, MenuStandsBesideTheButtonAsItsDockAsks) {
  struct Case {
    TDockPosition position;
    const char* name;
  } cases[] = {{TDockPosition::dpTop, "DockTop"},
               {TDockPosition::dpLeft, "DockLeft"},
               {TDockPosition::dpRight, "DockRight"}};
  std::vector<TToolbarButton*> buttons;
  for (const Case& c : cases) {
    TToolbarButton* b = Button(MakeBar(std::string("Bar") + c.name, MakeDock(c.name, c.position), "x"), 0);
    b->SetDropdownMenu(menu);
    buttons.push_back(b);
  }
  form->Show();
  // A press on the form's empty middle closes the menu.
  TGdiRect whole = OnScreen(*form);
  const int emptyX = (whole.Left + whole.Right) / 2, emptyY = (whole.Top + whole.Bottom) / 2;
  for (size_t i = 0; i < buttons.size(); ++i) {
    SCOPED_TRACE(cases[i].name);
    menu->SetAlignment(TPopupAlignment::paCenter);
    TScriptedResponder responder(Fail);
    responder.AnswerMenuByLoop();
    TGdiRect shown;
    platform::QueueCall([&] {
      shown = menu->ScreenBounds();
      platform::ScreenMouse(TScreenMouse::Press, emptyX, emptyY);
      platform::QueueCall([&] { platform::ScreenMouse(TScreenMouse::Release, emptyX, emptyY); });
    });
    ClickOnScreen(*buttons[i]);
    TGdiRect button = OnScreen(*buttons[i]);
    ASSERT_GT(shown.Width(), 0);
    switch (cases[i].position) {
      case TDockPosition::dpLeft:
        EXPECT_EQ(shown.Left, button.Right);
        EXPECT_EQ(shown.Top, button.Top);
        break;
      case TDockPosition::dpRight:
        EXPECT_EQ(shown.Right, button.Left);
        EXPECT_EQ(shown.Top, button.Top);
        break;
      default:
        EXPECT_EQ(shown.Left, button.Left);
        EXPECT_EQ(shown.Top, button.Bottom);
    }
    EXPECT_EQ(menu->Alignment(), TPopupAlignment::paCenter);
  }
}

// A menu freed while a button still names it is forgotten by the button.
TEST_F(DropdownButtons, ButtonForgetsAMenuFreedFirst) {
  TToolbar* bar = MakeBar("A", nullptr, "x");
  TToolbarButton* b = Button(bar, 0);
  auto own = std::make_unique<platform::TPopupMenu>();
  b->SetDropdownMenu(own.get());
  own.reset();
  EXPECT_EQ(b->DropdownMenu(), nullptr);
  int clicks = 0;
  b->OnClick = [&](platform::TComponent&) { ++clicks; };
  b->ClickAt(5, 5);
  EXPECT_EQ(clicks, 1);
}

}  // namespace
