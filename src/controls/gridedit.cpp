#include "controls/gridedit.h"

#include <algorithm>
#include <cstdio>

#include "controls/datagrid.h"
#include "foundation/text/datetime.h"
#include "foundation/text/numtext.h"
#include "platform/files/codepage.h"
#include "platform/files/system.h"
#include "platform/gui/dragframe.h"
#include "platform/gui/stringgrid.h"
#include "platform/gui/toolwindow.h"

using platform::TShiftState;

namespace {

bool LeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

bool ParseDate(const std::string& text, int& y, int& m, int& d) {
  int parts[3] = {0, 0, 0};
  int part = 0;
  int digits = 0;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      if (++digits > 4) return false;
      parts[part] = parts[part] * 10 + (c - '0');
    } else if ((c == '.' || c == '-' || c == '/') && digits > 0 && part < 2) {
      ++part;
      digits = 0;
    } else {
      return false;
    }
  }
  if (part != 2 || digits == 0) return false;
  y = parts[0];
  m = parts[1];
  d = parts[2];
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (y < 1 || m < 1 || m > 12 || d < 1) return false;
  const int limit = days[m - 1] + (m == 2 && LeapYear(y) ? 1 : 0);
  return d <= limit;
}

}  // namespace

bool CheckCellText(int format, const std::string& text, std::string& checked) {
  checked = text;
  if (format == static_cast<int>(TColumnFormat::cfNumber)) {
    double x = 0;
    return TryStrToReal(text, x);
  }
  if (format == static_cast<int>(TColumnFormat::cfDate)) {
    const std::string upper = platform::UpperCase(text.substr(0, platform::Utf8CharLength(text, 0)));
    if (!upper.empty() && std::string_view("NTHJD").find(upper) != std::string_view::npos &&
        upper.size() == 1) {
      TPackedDateTime now = 0;
      NowPackedDateTime(now);
      checked = PackedDateToStr(now);
      return true;
    }
    int y = 0, m = 0, d = 0;
    if (!ParseDate(text, y, m, d)) return false;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d.%02d.%02d", y, m, d);
    checked = buf;
    return true;
  }
  return true;
}

// --- TPopupListbox ---

void TPopupListbox::Search(char32_t ch, std::uint32_t ticks) {
  if (ch == 8 || ch == 27) {
    searchText_.clear();
    return;
  }
  if (ch < 32) return;
  if (ticks - lastTicks_ > 2000) searchText_.clear();
  lastTicks_ = ticks;
  if (platform::Cp1250Length(searchText_) < 32) searchText_ += platform::CodePointToUtf8(ch);
  const std::string wanted = platform::UpperCase(searchText_);
  for (int i = 0; i < Items().Count(); ++i) {
    if (platform::UpperCase(Items()[i]).rfind(wanted, 0) == 0) {
      SetItemIndex(i);
      break;
    }
  }
}

void TPopupListbox::KeyPress(char32_t& key) {
  Search(key, platform::TickCount());
  if (key >= 32) key = 0;
  TListBox::KeyPress(key);
}

void TPopupListbox::KeyDown(std::uint16_t& key, TShiftState shift) {
  if (editor_.DoDropDownKeys(key, shift)) {
    key = 0;
    return;
  }
  TListBox::KeyDown(key, shift);
}

void TPopupListbox::MouseUp(platform::TMouseButton button, TShiftState shift, int x, int y) {
  TListBox::MouseUp(button, shift, x, y);
  if (button != platform::TMouseButton::Left) return;
  editor_.CloseUp(x >= 0 && x < ClientWidth() && y >= 0 && y < ClientHeight());
}

// --- TDataGridInplaceEdit ---

TDataGridInplaceEdit::TDataGridInplaceEdit(TDataGrid& grid) : grid_(grid) {
  buttonWidth_ = platform::VerticalScrollBarWidth();
  SetVisible(false);
  OnChange = [this](platform::TComponent&) {
    if (!loading_) WriteCell(Text());
  };
}

TColumn* TDataGridInplaceEdit::CurrentColumn() const {
  const int col = grid_.Col();
  if (col < 0 || col >= grid_.Columns().Count()) return nullptr;
  return &grid_.Columns().Items(col);
}

void TDataGridInplaceEdit::WriteCell(const std::string& text) {
  if (grid_.Col() < 0 || grid_.Row() < 0) return;
  grid_.SetCells(grid_.Col(), grid_.Row(), text);
}

void TDataGridInplaceEdit::SetEditStyle(TEditStyle style) {
  editStyle_ = style;
  if (style == TEditStyle::esPickList && pickList_ == nullptr) {
    pickList_ = grid_.Create<TPopupListbox>(&grid_, "", *this);
    pickList_->SetVisible(false);
    // A window of its own above everything, so it may reach past the
    // grid's and the form's edges.
    platform::MakeTopmostPopup(*pickList_);
  }
  if (style != TEditStyle::esPickList) CloseUp(false);
}

void TDataGridInplaceEdit::UpdateContents() {
  TColumn* column = CurrentColumn();
  TEditStyle style = TEditStyle::esSimple;
  bool readOnly = false;
  if (column != nullptr) {
    if (column->ButtonStyle() == TColumnButtonStyle::cbsEllipsis) style = TEditStyle::esEllipsis;
    else if (column->ButtonStyle() == TColumnButtonStyle::cbsAuto && column->HasPickList() &&
             !column->ReadOnly())
      style = TEditStyle::esPickList;
    readOnly = column->ReadOnly() || (style == TEditStyle::esPickList && column->LimitToList);
  }
  SetEditStyle(style);
  SetReadOnly(readOnly);
  loading_ = true;
  SetEditMask(grid_.GetEditMask(grid_.Col(), grid_.Row()));
  SetText(grid_.Cells(grid_.Col(), grid_.Row()));
  loading_ = false;
  SetMaxLength(column != nullptr ? column->MaxLength : 0);
  SetModified(false);
  oldText_ = Text();
  ShowButton();
  Invalidate();
}

void TDataGridInplaceEdit::ShowButton() {
  platform::TEditButtonKind kind = platform::TEditButtonKind::None;
  if (editStyle_ == TEditStyle::esEllipsis) kind = platform::TEditButtonKind::Ellipsis;
  else if (editStyle_ == TEditStyle::esPickList) kind = platform::TEditButtonKind::DropDown;
  platform::SetEditButton(*this, kind, buttonWidth_, pressed_, pickList_ != nullptr);
}

bool TDataGridInplaceEdit::InButton(int x, int y) const {
  return editStyle_ != TEditStyle::esSimple && x >= Width() - buttonWidth_ && x < Width() && y >= 0 &&
         y < Height();
}

void TDataGridInplaceEdit::TrackButton(int x, int y) {
  const bool pressed = InButton(x, y);
  if (pressed == pressed_) return;
  pressed_ = pressed;
  ShowButton();
}

void TDataGridInplaceEdit::StopTracking() {
  if (!tracking_) return;
  TrackButton(-1, -1);
  tracking_ = false;
}

void TDataGridInplaceEdit::MoveToCell() {
  int x = 0;
  for (int c = 0; c < grid_.Col(); ++c) x += grid_.ColWidths(c) + 1;
  int y = 0;
  for (int r = 0; r < grid_.Row(); ++r) y += grid_.RowHeights(r) + 1;
  SetBounds(x, y, grid_.ColWidths(grid_.Col()), grid_.RowHeights(grid_.Row()));
  UpdateContents();
}

void TDataGridInplaceEdit::ButtonClick() {
  if (editStyle_ == TEditStyle::esEllipsis) {
    grid_.EditButtonClick();
  } else if (editStyle_ == TEditStyle::esPickList) {
    if (listVisible_) CloseUp(false);
    else DropDown();
  }
}

void TDataGridInplaceEdit::DropDown() {
  if (listVisible_ || editStyle_ != TEditStyle::esPickList || pickList_ == nullptr) return;
  TColumn* column = CurrentColumn();
  if (column == nullptr) return;
  pickList_->Items().Clear();
  for (const std::string& entry : column->PickList()) pickList_->Items().Add(entry);
  const int count = pickList_->Items().Count();
  const int rows = count >= static_cast<int>(column->DropDownRows)
                       ? static_cast<int>(column->DropDownRows)
                       : count;
  // The rows are as high as the platform's list draws them with the
  // program's font (16 pixels), so that every row shown is whole.
  const int itemHeight = 16;
  int index = 0;
  for (int i = 0; i < count; ++i) {
    if (pickList_->Items()[i] == Text()) {
      index = i;
      break;
    }
  }
  pickList_->SetItemIndex(count > 0 ? index : -1);
  const int height = itemHeight * rows + 4;
  pickList_->SetWidth(Width());
  // Wider when an entry's text is wider than the cell.
  int widest = 0;
  for (int i = 0; i < count; ++i)
    widest = std::max(widest, platform::ListTextWidth(*pickList_, pickList_->Items()[i]));
  if (widest > pickList_->ClientWidth()) pickList_->SetClientWidth(widest);
  const int width = pickList_->Width();
  // Below the editor, or above it when the list would pass the bottom of
  // the screen's work area (screen coordinates: the list is a window).
  const platform::TGdiPoint origin = platform::ClientToScreen(*this, 0, 0);
  int top = origin.Y + Height();
  if (top + height > platform::ScreenWorkArea().Bottom) top = origin.Y - height;
  pickList_->SetBounds(origin.X, top, width, height);
  pickList_->SetVisible(true);
  listVisible_ = true;
  Invalidate();
  SetFocus();
}

void TDataGridInplaceEdit::CloseUp(bool accept) {
  if (!listVisible_ || pickList_ == nullptr) return;
  const int index = pickList_->ItemIndex();
  pickList_->SetVisible(false);
  listVisible_ = false;
  listHasMouse_ = false;
  Invalidate();
  if (accept && index >= 0 && index < pickList_->Items().Count()) {
    const std::string entry = pickList_->Items()[index];
    loading_ = true;
    SetText(entry);
    loading_ = false;
    WriteCell(entry);
    SetModified(true);
  }
}

bool TDataGridInplaceEdit::DoDropDownKeys(std::uint16_t key, TShiftState shift) {
  if (editStyle_ != TEditStyle::esPickList) return false;
  const bool alt = (shift & platform::ssAlt) != 0;
  if ((key == platform::VK_UP || key == platform::VK_DOWN) && alt) {
    if (listVisible_) CloseUp(true);
    else DropDown();
    return true;
  }
  if ((key == platform::VK_RETURN || key == platform::VK_ESCAPE) && !alt && listVisible_) {
    CloseUp(key == platform::VK_RETURN);
    return true;
  }
  return false;
}

void TDataGridInplaceEdit::ValidateCell() {
  if (!Modified()) return;
  TColumn* column = CurrentColumn();
  const std::string text = grid_.Cells(grid_.Col(), grid_.Row());
  if (column != nullptr && !text.empty()) {
    std::string checked;
    if (CheckCellText(static_cast<int>(column->Format()), text, checked)) {
      if (checked != text) {
        WriteCell(checked);
        loading_ = true;
        SetText(checked);
        loading_ = false;
      }
    } else {
      platform::Beep();
      WriteCell(oldText_);
      loading_ = true;
      SetText(oldText_);
      loading_ = false;
      SetModified(false);
    }
  }
  if (grid_.OnUserChanged) grid_.OnUserChanged(*this);
}

void TDataGridInplaceEdit::KeyDown(std::uint16_t& key, TShiftState shift) {
  if (DoDropDownKeys(key, shift)) {
    key = 0;
    return;
  }
  if (listVisible_ && (key == platform::VK_UP || key == platform::VK_DOWN)) {
    // The arrows move in the open list.
    const int count = pickList_->Items().Count();
    int index = pickList_->ItemIndex() + (key == platform::VK_DOWN ? 1 : -1);
    if (index >= 0 && index < count) pickList_->SetItemIndex(index);
    key = 0;
    return;
  }
  if (editStyle_ == TEditStyle::esEllipsis && key == platform::VK_RETURN && shift == platform::ssCtrl) {
    grid_.EditButtonClick();
    key = 0;
    return;
  }
  if (key == platform::VK_RETURN && shift == 0) {
    // Enter selects the whole text, or takes the selection away.
    const int length = static_cast<int>(platform::Cp1250Length(Text()));
    if (SelStart() == 0 && SelLength() == length) SetSelection(length, 0);
    else SelectAll();
    key = 0;
    return;
  }
  if (key == platform::VK_ESCAPE) {
    // Esc gives up the change: the cell gets its old text back.
    WriteCell(oldText_);
    SetModified(false);
    grid_.HideEditor();
    grid_.SetFocus();
    key = 0;
    return;
  }
  switch (key) {
    case platform::VK_TAB:
    case platform::VK_PRIOR:
    case platform::VK_NEXT:
    case platform::VK_END:
    case platform::VK_HOME:
    case platform::VK_LEFT:
    case platform::VK_UP:
    case platform::VK_RIGHT:
    case platform::VK_DOWN:
      ValidateCell();
      break;
    default:
      break;
  }
  // Moves between cells go to the grid (which performs its row keys);
  // Left, Right, Home and End stay in the text.
  if (key == platform::VK_TAB || key == platform::VK_UP || key == platform::VK_DOWN ||
      key == platform::VK_PRIOR || key == platform::VK_NEXT) {
    const std::uint16_t pass = key;
    key = 0;
    SetModified(false);
    grid_.EditorNavigate(pass, shift);
    return;
  }
  TMaskEdit::KeyDown(key, shift);
}

void TDataGridInplaceEdit::KeyPress(char32_t& key) {
  if (key == 9 || key == 27) {
    key = 0;
    return;
  }
  TColumn* column = CurrentColumn();
  if (key >= 32 && ReadOnly() && editStyle_ == TEditStyle::esPickList && column != nullptr) {
    // A read-only pick list: the letter picks the first entry beginning
    // with it.
    const std::string typed = platform::UpperCase(platform::CodePointToUtf8(key));
    for (const std::string& entry : column->PickList()) {
      const std::string first = entry.substr(0, platform::Utf8CharLength(entry, 0));
      if (platform::UpperCase(first) == typed) {
        loading_ = true;
        SetText(entry);
        loading_ = false;
        WriteCell(entry);
        SetModified(true);
        break;
      }
    }
    key = 0;
    return;
  }
  TMaskEdit::KeyPress(key);
}

void TDataGridInplaceEdit::DoExit() {
  TMaskEdit::DoExit();
  CloseUp(false);
  ValidateCell();
}

void TDataGridInplaceEdit::MouseDown(platform::TMouseButton button, TShiftState shift, int x, int y) {
  const bool left = button == platform::TMouseButton::Left;
  const bool twice = (shift & platform::ssDouble) != 0;
  // The second press of a double-click on the button does nothing more.
  if (left && twice && InButton(x, y)) return;
  if (left && (InButton(x, y) || (twice && ReadOnly() && editStyle_ != TEditStyle::esSimple))) {
    if (editStyle_ == TEditStyle::esPickList && !listVisible_) {
      tracking_ = true;
      TrackButton(x, y);
    }
    ButtonClick();
  }
  TMaskEdit::MouseDown(button, shift, x, y);
}

void TDataGridInplaceEdit::MouseMove(TShiftState shift, int x, int y) {
  if (listHasMouse_ && listVisible_ && pickList_ != nullptr) {
    int lx = x, ly = y;
    platform::MousePointToScreen(*this, lx, ly);
    platform::ScreenToMousePoint(*pickList_, lx, ly);
    pickList_->MouseMoveTo(lx, ly, shift);
    return;
  }
  if (tracking_) {
    TrackButton(x, y);
    if (listVisible_ && pickList_ != nullptr) {
      int lx = x, ly = y;
      platform::MousePointToScreen(*this, lx, ly);
      platform::ScreenToMousePoint(*pickList_, lx, ly);
      if (lx >= 0 && ly >= 0 && lx < pickList_->ClientWidth() && ly < pickList_->ClientHeight()) {
        // Dragged from the button into the list: the press goes on there.
        StopTracking();
        listHasMouse_ = true;
        pickList_->MouseDownAt(platform::TMouseButton::Left, lx, ly);
        return;
      }
    }
  }
  TMaskEdit::MouseMove(shift, x, y);
}

void TDataGridInplaceEdit::MouseUp(platform::TMouseButton button, TShiftState shift, int x, int y) {
  StopTracking();
  if (listHasMouse_) {
    listHasMouse_ = false;
    if (listVisible_ && pickList_ != nullptr) {
      int lx = x, ly = y;
      platform::MousePointToScreen(*this, lx, ly);
      platform::ScreenToMousePoint(*pickList_, lx, ly);
      pickList_->MouseUpAt(button, lx, ly, shift);
    }
  }
  TMaskEdit::MouseUp(button, shift, x, y);
}
