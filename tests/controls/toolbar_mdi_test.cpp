// Toolbars owned by MDI children and the forms a button may become hot on.
#include <memory>

#include <gtest/gtest.h>

#include "toolbar_fixture.h"

namespace {

using platform::TForm;
using platform::TFormStyle;
using platform::TWindowState;

TToolbarButton* Button(TToolbar* bar, int i) {
  return dynamic_cast<TToolbarButton*>(bar->OrderList()[static_cast<size_t>(i)]);
}

// The fixture's form as the application's main form and MDI frame, with one
// MDI child (not shown yet).
class ToolbarMdi : public ToolbarForm {
 protected:
  void SetUp() override {
    ToolbarForm::SetUp();
    form->SetFormStyle(TFormStyle::MDIForm);
    platform::Application().SetMainForm(form.get());
    child = platform::MakeForm<TForm>();
    child->SetFormStyle(TFormStyle::MDIChild);
    child->SetBounds(10, 10, 200, 150);
  }
  void TearDown() override {
    child.reset();
    platform::Application().SetMainForm(nullptr);
    ToolbarForm::TearDown();
  }
  // A floating toolbar of two buttons owned by the child.
  TToolbar* ChildBar(const std::string& name) {
    auto* bar = child->Create<TToolbar>(nullptr, name);
    bar->SetDockedTo(nullptr);
    child->Create<TToolbarButton>(bar);
    child->Create<TToolbarButton>(bar);
    return bar;
  }

  std::unique_ptr<TForm> child;
};

TEST_F(ToolbarMdi, TopFormOfAnMDIChildsToolbarIsItsFrame) {
  TToolbar* bar = ChildBar("C");
  EXPECT_EQ(bar->TopForm(), form.get());  // not shown yet: the main form
  form->Show();
  child->Show();
  EXPECT_EQ(GetMDIParentOrSelf(child.get()), form.get());
  EXPECT_EQ(bar->TopForm(), form.get());
  TToolbar* own = MakeBar("F", nullptr, "x");
  EXPECT_EQ(own->TopForm(), form.get());
  EXPECT_EQ(GetMDIParentOrSelf(nullptr), nullptr);
  auto plain = platform::MakeForm<TForm>();
  EXPECT_EQ(GetMDIParentOrSelf(plain.get()), plain.get());
}

// The child's float windows are hidden while the child is hidden or
// minimised (or the frame is told to hide them) and come back with it.
TEST_F(ToolbarMdi, FloatWindowFollowsItsMDIChild) {
  TToolbar* bar = ChildBar("C");
  TFloatWindow* w = bar->FloatWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(w->Visible());  // the child is not shown yet
  form->Show();
  child->Show();
  EXPECT_TRUE(w->Visible());
  child->Hide();
  EXPECT_FALSE(w->Visible());
  EXPECT_TRUE(w->Wanted());
  child->Show();
  EXPECT_TRUE(w->Visible());
  child->SetWindowState(TWindowState::Minimized);
  EXPECT_FALSE(w->Visible());
  child->SetWindowState(TWindowState::Normal);
  EXPECT_TRUE(w->Visible());
  // The frame's update reaches its children's toolbars.
  UpdateFloatingToolbarsVisibility(*form, false);
  EXPECT_FALSE(w->Visible());
  UpdateFloatingToolbarsVisibility(*form, true);
  EXPECT_TRUE(w->Visible());
  // Docked, the toolbar is never held back.
  TDock* dock = child->Create<TDock>(nullptr, "D");
  dock->SetParent(child.get());
  bar->SetDockedTo(dock);
  child->Hide();
  EXPECT_FALSE(w->Parked());
  child->Show();
  bar->SetDockedTo(nullptr);
  EXPECT_TRUE(w->Visible());
}

// The watches on the child's window and on the frame end with the toolbar:
// their later moves, hiding and minimising reach nothing of it.
TEST_F(ToolbarMdi, ChildWatchOutlivingItsToolbar) {
  int before = platform::TWindowPosWatch::Count();
  TToolbar* bar = ChildBar("C");
  TToolbar* other = ChildBar("D");
  // Each toolbar watches its owner (the child) and its top form (the frame).
  EXPECT_EQ(platform::TWindowPosWatch::Count(), before + 4);
  form->Show();
  child->Show();
  child->RemoveComponent(bar);  // freed here
  EXPECT_EQ(platform::TWindowPosWatch::Count(), before + 2);
  child->Hide();
  EXPECT_FALSE(other->FloatWindow()->Visible());
  child->Show();
  EXPECT_TRUE(other->FloatWindow()->Visible());
  child->RemoveComponent(other);
  EXPECT_EQ(platform::TWindowPosWatch::Count(), before);
  child->SetBounds(20, 20, 180, 120);
  child->SetWindowState(TWindowState::Minimized);
  child->SetWindowState(TWindowState::Normal);
  child->Hide();
  form->SetBounds(5, 5, 400, 300);
  form->Hide();
  form->Show();
  // A toolbar of a form that is no MDI child watches only its top form.
  MakeBar("F", nullptr, "x");
  EXPECT_EQ(platform::TWindowPosWatch::Count(), before + 1);
}

// A toolbar floating over its own (plain) form is hidden with the form and
// shown again with it, and while the form is minimised.
TEST_F(ToolbarForm, FloatWindowFollowsItsTopForm) {
  TToolbar* bar = MakeBar("F", nullptr, "xx");
  TFloatWindow* w = bar->FloatWindow();
  ASSERT_NE(w, nullptr);
  form->Show();
  EXPECT_TRUE(w->Visible());
  form->Hide();
  EXPECT_FALSE(w->Visible());
  EXPECT_TRUE(w->Wanted());
  form->Show();
  EXPECT_TRUE(w->Visible());
  form->SetWindowState(TWindowState::Minimized);
  EXPECT_FALSE(w->Visible());
  form->SetWindowState(TWindowState::Normal);
  EXPECT_TRUE(w->Visible());
}

TEST_F(ToolbarMdi, ButtonIsNotHotWhileTheApplicationIsInactive) {
  TToolbar* bar = MakeBar("A", MakeDock("DockTop", TDockPosition::dpTop), "x");
  TToolbarButton* b = Button(bar, 0);
  platform::TActivationWatch::Simulate(false);
  b->MouseMoveTo(5, 5);
  EXPECT_FALSE(b->MouseInControl());
  EXPECT_EQ(TToolbarButton::HotButton(), nullptr);
  platform::TActivationWatch::Simulate(true);
  b->MouseMoveTo(6, 6);
  EXPECT_TRUE(b->MouseInControl());
}

// With another form of the program active, the buttons of the frame, of its
// MDI child and of their floating toolbars stay cold; with the frame active
// they all become hot.
TEST_F(ToolbarMdi, ButtonIsNotHotWhenAnotherFormIsActive) {
  TToolbar* docked = MakeBar("A", MakeDock("DockTop", TDockPosition::dpTop), "x");
  TToolbar* floating = ChildBar("C");
  TDock* childDock = child->Create<TDock>(nullptr, "D");
  childDock->SetParent(child.get());
  auto* childDocked = child->Create<TToolbar>(nullptr, "E");
  childDocked->SetDockedTo(childDock);
  child->Create<TToolbarButton>(childDocked);
  form->Show();
  child->Show();
  auto other = platform::MakeForm<TForm>();
  other->Show();
  platform::Application().ProcessMessages();
  if (platform::ActiveForm() != other.get()) GTEST_SKIP() << "no window activation here";
  EXPECT_EQ(GetActiveTopForm(), other.get());
  for (TToolbar* bar : {docked, floating, childDocked}) {
    TToolbarButton* b = Button(bar, 0);
    b->MouseMoveTo(5, 5);
    EXPECT_FALSE(b->MouseInControl()) << bar->Name();
  }
  form->Show();
  platform::Application().ProcessMessages();
  ASSERT_EQ(GetActiveTopForm(), form.get());
  for (TToolbar* bar : {docked, floating, childDocked}) {
    TToolbarButton* b = Button(bar, 0);
    b->MouseMoveTo(5, 5);
    EXPECT_TRUE(b->MouseInControl()) << bar->Name();
  }
}

}  // namespace
