#include "controls/combodesc.h"

#include "platform/gui/forms.h"
#include "platform/gui/stringgrid.h"

using platform::TShiftState;

namespace {
constexpr std::uint16_t kVkF4 = 0x73;
}  // namespace

// --- TDescListBox ---

TDescListBox::TDescListBox(TMyComboBox& combo) : combo_(combo) {
  platform::SetMouseTracking(*this, true);
}

void TDescListBox::KeyDown(std::uint16_t& key, TShiftState shift) {
  combo_.mouseFlag_ = false;
  if (key == platform::VK_RETURN || key == platform::VK_ESCAPE) {
    combo_.TakeSelected();
    combo_.CloseUp();
    key = 0;
    return;
  }
  if (key == platform::VK_UP || key == platform::VK_DOWN) {
    const int index = ItemIndex() + (key == platform::VK_DOWN ? 1 : -1);
    if (index >= 0 && index < Items().Count()) SetItemIndex(index);
    combo_.SelectionMoved();
    key = 0;
    return;
  }
  TListBox::KeyDown(key, shift);
}

void TDescListBox::MouseMove(TShiftState shift, int x, int y) {
  TListBox::MouseMove(shift, x, y);
  // The last pixels above the bottom edge select nothing.
  if (y >= ClientHeight() - 6 || y < 0) return;
  const int row = y / combo_.ItemHeight();
  if (row < Items().Count()) {
    SetItemIndex(row);
    combo_.mouseFlag_ = true;
  }
}

void TDescListBox::MouseUp(platform::TMouseButton button, TShiftState shift, int x, int y) {
  TListBox::MouseUp(button, shift, x, y);
  combo_.TakeSelected();
  combo_.CloseUp();
}

void TDescListBox::DoExit() {
  TListBox::DoExit();
  combo_.CloseUp();
}

// --- TMyComboBox ---

TMyComboBox::TMyComboBox() = default;

TMyComboBox::~TMyComboBox() {
  // The list stands on the form; it goes with the combo box.
  if (list_ != nullptr && list_->Owner() != nullptr) {
    auto owned = list_->Owner()->RemoveComponent(list_);
    list_ = nullptr;
  }
}

void TMyComboBox::Notification(platform::TComponent& freed) {
  TComboBox::Notification(freed);
  if (&freed == list_) list_ = nullptr;
}

void TMyComboBox::AddItemValue(const std::string& item, const std::string& description) {
  Items().Add(item);
  // Keeps the descriptions aligned with the items.
  Items2.resize(static_cast<std::size_t>(Items().Count() - 1));
  Items2.push_back(description);
}

std::string TMyComboBox::RowText(int row) const {
  if (OnRestItem) return OnRestItem(row);
  if (row >= 0 && row < static_cast<int>(Items2.size())) return Items2[static_cast<std::size_t>(row)];
  auto& items = const_cast<TMyComboBox*>(this)->Items();
  return row >= 0 && row < items.Count() ? items[row] : std::string();
}

void TMyComboBox::DropDown() {
  if (OnDropDown) OnDropDown(*this);
  platform::TForm* form = ParentForm();
  if (form == nullptr) return;
  if (list_ == nullptr) {
    list_ = form->Create<TDescListBox>(form, "", *this);
    list_->FreeNotification(this);
  }
  const int count = Items().Count();
  const int rows = count < DropDownCount() ? count : DropDownCount();
  list_->Items().Clear();
  for (int i = 0; i < count; ++i) list_->Items().Add(RowText(i));
  list_->SetItemIndex(-1);
  mouseFlag_ = false;
  // The combo box's bottom-left corner on the form.
  int x = Left();
  int y = Top() + Height();
  for (platform::TWinControl* p = Parent(); p != nullptr && p != form; p = p->Parent()) {
    x += p->Left();
    y += p->Top();
  }
  const int height = ItemHeight() * rows + 5 + (HorzScrollBar ? 20 : 0);
  if (y + height > form->ClientHeight()) y -= height + Height();
  list_->SetColor(0x00FFFF00);  // aqua
  list_->SetBounds(x, y, Width2, height);
  list_->SetVisible(true);
  list_->BringToFront();
  list_->SetFocus();
}

void TMyComboBox::CloseUp() {
  if (list_ != nullptr && list_->Visible()) list_->SetVisible(false);
}

bool TMyComboBox::DroppedDown() const { return list_ != nullptr && list_->Visible(); }

void TMyComboBox::SelectionMoved() {
  const int index = list_->ItemIndex();
  if (index >= 0 && !mouseFlag_ && index < Items().Count()) SetText(Items()[index]);
}

void TMyComboBox::TakeSelected() {
  const int index = list_ != nullptr ? list_->ItemIndex() : -1;
  if (index >= 0 && index < Items().Count()) SetText(Items()[index]);
}

void TMyComboBox::KeyDown(std::uint16_t& key, TShiftState shift) {
  if ((key == platform::VK_DOWN && (shift & platform::ssAlt) != 0) || key == kVkF4) {
    DropDown();
    key = 0;
    return;
  }
  TComboBox::KeyDown(key, shift);
}

bool TMyComboBox::DropDownRequested() {
  DropDown();
  // Without a form there is no place for the list: the toolkit's opens.
  return DroppedDown();
}
