// The gap between groups of controls on a toolbar: an etched line across the
// toolbar, or nothing when blank. It ends a group for the layout, so a
// floating toolbar wraps preferably after it, and a press on it drags the
// toolbar as a press on a free spot does.
//
// GUI thread only; owned by its form, placed only on a TToolbar.
#pragma once

#include "controls/toolbarbase.h"
#include "platform/gui/controls_custom.h"

class TToolbarSep : public platform::TCustomControl {
 public:
  TToolbarSep();

  bool Blank() const { return blank_; }
  void SetBlank(bool blank);
  // Length along the line in a horizontal dock or floating / in a vertical
  // dock (at least 1).
  int SizeHorz() const { return sizeHorz_; }
  void SetSizeHorz(int size);
  int SizeVert() const { return sizeVert_; }
  void SetSizeVert(int size);

  // Only a toolbar (or none) may hold a separator.
  void SetParent(platform::TWinControl* parent) override;
  // A hidden separator merges its groups: the toolbar lays out again.
  void SetVisible(bool visible) override;

 protected:
  void Paint() override;
  void MouseDown(platform::TMouseButton button, platform::TShiftState shift, int x, int y) override;

 private:
  bool blank_ = false;
  int sizeHorz_ = 6;
  int sizeVert_ = 6;
};
