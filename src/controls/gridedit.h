// The cell editor of the data grid. Its kind follows the current cell's
// column: a plain editor, an editor with an ellipsis button that asks the
// grid's owner for a value (OnEditButtonClick), or an editor with a pick list
// that drops down below the cell (above it near the bottom of the screen) in
// a window of its own that stays on top.
// When the user leaves a changed cell the text is checked by the column's
// format (ValidateCell): a bad value beeps and the previous one comes back;
// every finished change is reported by the grid's OnUserChanged.
//
// GUI thread only. The grid owns the editor; the editor owns its pick list.
#pragma once

#include <cstdint>
#include <string>

#include "platform/gui/controls_std.h"

class TDataGrid;
class TColumn;
class TDataGridInplaceEdit;

enum class TEditStyle { esSimple, esEllipsis, esPickList };

// The drop-down list of a pick-list editor. Typing letters selects the first
// entry that starts with them; a pause of more than 2 seconds starts a new
// search.
class TPopupListbox : public platform::TListBox {
 public:
  explicit TPopupListbox(TDataGridInplaceEdit& editor) : editor_(editor) {}

  const std::string& SearchText() const { return searchText_; }
  // A typed character at the given tick count (milliseconds).
  void Search(char32_t ch, std::uint32_t ticks);

 protected:
  void KeyPress(char32_t& key) override;
  void KeyDown(std::uint16_t& key, platform::TShiftState shift) override;
  // A left release closes the list, taking the selected entry when the
  // release is inside the list.
  void MouseUp(platform::TMouseButton button, platform::TShiftState shift, int x, int y) override;

 private:
  TDataGridInplaceEdit& editor_;
  std::string searchText_;
  std::uint32_t lastTicks_ = 0;
};

class TDataGridInplaceEdit : public platform::TMaskEdit {
 public:
  explicit TDataGridInplaceEdit(TDataGrid& grid);

  TEditStyle EditStyle() const { return editStyle_; }
  // The width of the button at the right edge (that of a scroll bar).
  int ButtonWidth() const { return buttonWidth_; }
  bool ListVisible() const { return listVisible_; }
  // The button looks pressed: the mouse that opened the list is held over it.
  bool Pressed() const { return pressed_; }
  // The pick list, or null before the first pick-list cell.
  TPopupListbox* PickList() const { return pickList_; }
  // The text the cell had when the editor came to it.
  const std::string& OldText() const { return oldText_; }

  // Takes the current cell: its column's kind, read-only flag and maximum
  // length, and its text.
  void UpdateContents();
  // Places the editor over the current cell and loads it.
  void MoveToCell();

  // A press of the button: ellipsis asks the grid, a pick list opens or
  // closes.
  void ButtonClick();
  void DropDown();
  void CloseUp(bool accept);
  // Checks the changed text by the column's format; see the file comment.
  void ValidateCell();

 protected:
  void KeyDown(std::uint16_t& key, platform::TShiftState shift) override;
  void KeyPress(char32_t& key) override;
  void DoExit() override;
  // A left press in the button area at the right edge presses the button,
  // and so does a left double-click anywhere on a read-only editor with a
  // button; a double-click on the button itself is swallowed.
  void MouseDown(platform::TMouseButton button, platform::TShiftState shift, int x, int y) override;
  // While the press that opened the list is held, the button looks pressed
  // when the pointer is over it; the release ends that. Dragged into the
  // open list, the press goes on in the list (it selects there, and the
  // release there takes the entry).
  void MouseMove(platform::TShiftState shift, int x, int y) override;
  void MouseUp(platform::TMouseButton button, platform::TShiftState shift, int x, int y) override;

 private:
  friend class TPopupListbox;
  TColumn* CurrentColumn() const;
  void SetEditStyle(TEditStyle style);
  // Paints the button of the current style at the right edge.
  void ShowButton();
  bool InButton(int x, int y) const;
  void TrackButton(int x, int y);
  void StopTracking();
  // Alt+Up/Down, Enter and Esc of a pick list; true when consumed.
  bool DoDropDownKeys(std::uint16_t key, platform::TShiftState shift);
  void WriteCell(const std::string& text);

  TDataGrid& grid_;
  TPopupListbox* pickList_ = nullptr;
  TEditStyle editStyle_ = TEditStyle::esSimple;
  int buttonWidth_ = 16;
  bool listVisible_ = false;
  bool tracking_ = false;
  bool pressed_ = false;
  // The press dragged into the list: moves and the release go on to it.
  bool listHasMouse_ = false;
  bool loading_ = false;
  std::string oldText_;
};

// The checked form of a cell text by format: a number must convert whole
// (point as decimal separator, optional exponent); a date is "YYYY.MM.DD"
// (any of . - / between the parts) or, beginning with one of the letters N T
// H J D, today. False when the text does not pass.
bool CheckCellText(int format, const std::string& text, std::string& checked);
