// The justification picker: chooses which of nine points of a text's box
// (codes laid out as the numeric keypad: 7 top left ... 3 bottom right)
// lies on the text's insertion point. It shows the sample word "Tekst" with
// a 3 x 3 grid of numbered cells and a cross at the chosen anchor; a click on
// a cell or its digit (main keyboard or keypad) chooses it.
//
// GUI thread only. Owned as any control.
#pragma once

#include <cstdint>

#include "platform/gui/controls_custom.h"

class TJustyfikacja : public platform::TCustomControl {
public:
  // Enabled, a tab stop, anchor 7, 100 x 50 pixels.
  TJustyfikacja();

  std::uint8_t Justyfikacja() const { return FJustyfikacja; }
  // A value outside 1..9 becomes 7. Never calls OnChange.
  void SetJustyfikacja(int Value);
  // The picker's own enabled flag: a disabled picker is grey, leaves the tab
  // order and ignores the mouse and the digit keys.
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) override;
  void SetBounds(int left, int top, int width, int height) override;

  // The cell under the mouse pointer, 0 when outside.
  std::uint8_t HotCell() const { return FHot; }
  // The cell at a point of the control (rows below the grid count as the
  // bottom row).
  int CellAt(int x, int y) const;

  // Called after the user changed the anchor.
  platform::TNotifyEvent OnChange;

protected:
  void Paint() override;
  void MouseDown(platform::TMouseButton button, platform::TShiftState shift, int x, int y) override;
  void MouseMove(platform::TShiftState shift, int x, int y) override;
  void MouseLeave() override;
  void KeyDown(std::uint16_t& key, platform::TShiftState shift) override;
  void DoEnter() override;
  void DoExit() override;

private:
  void Layout();
  void Change();
  void UserChoose(int Cell);

  int FRowHeight = 0;
  int FColumns[3] = {2, 0, 0};
  std::uint8_t FJustyfikacja = 7;
  std::uint8_t FHot = 0;
  bool FEnabled = true;
};
