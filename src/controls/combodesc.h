// A combo box whose drop-down shows a longer description of each item while
// the field receives the short item (a class number in the field, "1 -
// Osnowa klasy I" in the list). The drop-down is a list of its own, Width2
// pixels wide, opened below the combo box (above it when it would pass the
// bottom of the window) by its button, Alt+Down, F4 or DropDown. Arrow keys in it put
// the selected item into the field at once; the mouse only highlights until
// a click; Enter and Esc put the selected item in and close; leaving it
// closes it and changes nothing.
//
// GUI thread only. The combo box owns its drop-down list; it is placed on
// the combo box's form.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/gui/controls_std.h"

class TMyComboBox;

// The drop-down list of a TMyComboBox.
class TDescListBox : public platform::TListBox {
 public:
  explicit TDescListBox(TMyComboBox& combo);

 protected:
  void KeyDown(std::uint16_t& key, platform::TShiftState shift) override;
  void MouseMove(platform::TShiftState shift, int x, int y) override;
  void MouseUp(platform::TMouseButton button, platform::TShiftState shift, int x, int y) override;
  void DoExit() override;

 private:
  TMyComboBox& combo_;
};

class TMyComboBox : public platform::TComboBox {
 public:
  TMyComboBox();
  ~TMyComboBox() override;

  bool HorzScrollBar = false;
  std::int32_t Width2 = 50;
  // Descriptions; description i belongs to item i.
  std::vector<std::string> Items2;
  // When set, gives the text of a row instead of Items2.
  std::function<std::string(std::int32_t item)> OnRestItem;

  // Appends the item and its description.
  void AddItemValue(const std::string& item, const std::string& description);

  // Opens the drop-down (OnDropDown first).
  void DropDown();
  void CloseUp();
  bool DroppedDown() const;
  // The text the drop-down shows for a row.
  std::string RowText(int row) const;
  // Pixels per row of the drop-down.
  int ItemHeight() const { return 16; }
  // The drop-down list, or null before the first opening.
  TDescListBox* List() const { return list_; }
  bool MouseFlag() const { return mouseFlag_; }

  platform::TNotifyEvent OnDropDown;

 protected:
  void KeyDown(std::uint16_t& key, platform::TShiftState shift) override;
  // A click on the drop-down button opens the described list, not the
  // toolkit's list of short items.
  bool DropDownRequested() override;
  void Notification(platform::TComponent& freed) override;

 private:
  friend class TDescListBox;
  // The list's selection changed: from the keyboard it fills the field.
  void SelectionMoved();
  void TakeSelected();

  TDescListBox* list_ = nullptr;
  bool mouseFlag_ = false;
};
