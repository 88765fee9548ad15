// A form with docks and toolbars for the toolbar tests, and a picture of a
// form made from the controls' own surfaces.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "controls/dock.h"
#include "controls/floatwnd.h"
#include "controls/toolbar.h"
#include "controls/toolbarbutton.h"
#include "controls/toolbarsep.h"
#include "platform/gui/application.h"
#include "platform/gui/forms.h"
#include "platform/paint/gdiimage.h"

class ToolbarForm : public ::testing::Test {
 protected:
  // The application counts as active (no window of the tests has the
  // activation), as for a user working in it.
  void SetUp() override {
    platform::TActivationWatch::Simulate(true);
    form = platform::MakeForm<platform::TForm>();
    form->SetBounds(100, 100, 400, 300);
  }
  void TearDown() override {
    form.reset();
    platform::TActivationWatch::EndSimulation();
  }

  TDock* MakeDock(const std::string& name, TDockPosition position) {
    auto* dock = form->Create<TDock>(nullptr, name);
    dock->SetPosition(position);
    dock->SetParent(form.get());
    return dock;
  }
  // A toolbar of buttons of 23 by 22 pixels, "|" in the pattern a separator,
  // docked into dock (floating when nullptr).
  TToolbar* MakeBar(const std::string& name, TDock* dock, const std::string& pattern,
                    int row = 0, int pos = 0) {
    auto* bar = form->Create<TToolbar>(nullptr, name);
    bar->SetDockRow(row);
    bar->SetDockPos(pos);
    bar->SetDockedTo(dock);
    for (char c : pattern) {
      if (c == '|') {
        form->Create<TToolbarSep>(bar);
      } else {
        form->Create<TToolbarButton>(bar);
      }
    }
    return bar;
  }

  std::unique_ptr<platform::TForm> form;
};

// Copies what the control and the controls on it show into bitmap, with the
// control's corner at (x, y); hidden controls on it are left out (the
// control itself is drawn as if shown).
inline void RenderControl(platform::TBitmap& bitmap, platform::TControl& control, int x, int y) {
  if (auto* custom = dynamic_cast<platform::TCustomControl*>(&control)) {
    custom->PaintNow();
    for (int py = 0; py < custom->Height(); ++py) {
      for (int px = 0; px < custom->Width(); ++px) {
        bitmap.Canvas().SetPixel(x + px, y + py, custom->PixelAt(px, py));
      }
    }
  }
  if (auto* win = dynamic_cast<platform::TWinControl*>(&control)) {
    for (int i = 0; i < win->ControlCount(); ++i) {
      platform::TControl* child = win->Controls(i);
      if (!child->Visible()) continue;
      RenderControl(bitmap, *child, x + child->Left(), y + child->Top());
    }
  }
}
