#include "platform/controls_menus.h"

#include <algorithm>

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

#include "platform/application.h"
#include "platform/controls_impl.h"
#include "platform/controls_input.h"

namespace platform {

struct TMenuItemImpl {
  std::unique_ptr<QAction> action;
  std::unique_ptr<QMenu> submenu;
  QPointer<QWidget> container;  // where this item's items go (submenu, bar, pop-up)
};

TMenuItem::TMenuItem() : impl_(std::make_unique<TMenuItemImpl>()) {
  EnsureApplication();
  impl_->action = std::make_unique<QAction>();
  QObject::connect(impl_->action.get(), &QAction::triggered, [this] { GuardCall([this] { Click(); }); });
}

TMenuItem::~TMenuItem() {
  for (TMenuItem* child : items_) {
    child->parent_ = nullptr;
    if (impl_->container) impl_->container->removeAction(child->impl_->action.get());
  }
  items_.clear();
  if (parent_ != nullptr) parent_->Detach(this);
  DestroyComponents();
  impl_->action->setMenu(nullptr);
}

void TMenuItem::Detach(TMenuItem* item) {
  items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
  if (impl_->container) impl_->container->removeAction(item->impl_->action.get());
  item->parent_ = nullptr;
}

void TMenuItem::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  impl_->action->setSeparator(caption_ == "-");
  impl_->action->setText(ToQ(caption_));
}

void TMenuItem::SetChecked(bool checked) {
  checked_ = checked;
  impl_->action->setCheckable(checked || impl_->action->isCheckable());
  impl_->action->setChecked(checked);
  if (!checked || !radioItem_ || parent_ == nullptr) return;
  for (TMenuItem* sibling : parent_->items_) {
    if (sibling != this && sibling->radioItem_ && sibling->groupIndex_ == groupIndex_ && sibling->checked_) {
      sibling->checked_ = false;
      sibling->impl_->action->setChecked(false);
    }
  }
}

void TMenuItem::SetEnabled(bool enabled) {
  enabled_ = enabled;
  impl_->action->setEnabled(enabled);
}

void TMenuItem::SetVisible(bool visible) {
  visible_ = visible;
  impl_->action->setVisible(visible);
}

void TMenuItem::SetShortCut(std::uint16_t shortCut) {
  shortCut_ = shortCut;
  if (shortCut == 0) {
    impl_->action->setShortcut(QKeySequence());
    return;
  }
  int key = QtKeyFromVk(shortCut & 0xFF);
  TShiftState shift = 0;
  if (shortCut & scShift) shift |= ssShift;
  if (shortCut & scCtrl) shift |= ssCtrl;
  if (shortCut & scAlt) shift |= ssAlt;
  impl_->action->setShortcut(QKeySequence(QKeyCombination(QtModifiers(shift), Qt::Key(key))));
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void* TMenuItem::SubmenuContainer() {
  if (!impl_->container) {
    impl_->submenu = std::make_unique<QMenu>();
    impl_->action->setMenu(impl_->submenu.get());
    impl_->container = impl_->submenu.get();
  }
  return impl_->container.data();
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (index < 0 || index > Count())
    throw std::out_of_range("Indeks menu poza zakresem (" + std::to_string(index) + ")");
  if (item->parent_ != nullptr) item->parent_->Detach(item);
  auto* container = static_cast<QWidget*>(SubmenuContainer());
  QAction* before = index < Count() ? items_[static_cast<size_t>(index)]->impl_->action.get() : nullptr;
  container->insertAction(before, item->impl_->action.get());
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
}

TMenuItem* TMenuItem::Add(std::string caption) {
  auto* item = InsertComponent(std::make_unique<TMenuItem>());
  item->SetCaption(std::move(caption));
  Add(item);
  return item;
}

void TMenuItem::Delete(int index) {
  TMenuItem* item = Items(index);
  Detach(item);
  RemoveComponent(item);  // frees it when owned here
}

void TMenuItem::Clear() {
  while (Count() > 0) Delete(Count() - 1);
}

void TMenuItem::Click() {
  if (!enabled_) return;
  if (OnClick) OnClick(*this);
}

TMenu::TMenu() : root_(std::make_unique<TMenuItem>()) {}

TMenu::~TMenu() { root_.reset(); }

void TMenu::SetRootContainer(void* container) {
  root_->impl_->container = static_cast<QWidget*>(container);
}

struct TMainMenu::Bar {
  QPointer<QMenuBar> bar;
};

TMainMenu::TMainMenu() : bar_(std::make_unique<Bar>()) {
  bar_->bar = new QMenuBar;  // freed here, or with the form's window that shows it
  SetRootContainer(bar_->bar.data());
}

TMainMenu::~TMainMenu() {
  Items().Clear();
  delete bar_->bar.data();
}

void* TMainMenu::NativeMenuBar() const { return bar_->bar.data(); }

struct TPopupMenu::Menu {
  QMenu menu;
};

TPopupMenu::TPopupMenu() : menu_(std::make_unique<Menu>()) { SetRootContainer(&menu_->menu); }

TPopupMenu::~TPopupMenu() { Items().Clear(); }

void TPopupMenu::Popup(int x, int y) {
  if (OnPopup) OnPopup(*this);
  menu_->menu.popup(QPoint(x, y));
}

}  // namespace platform
