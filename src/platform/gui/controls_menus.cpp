#include "platform/gui/controls_menus.h"

#include <algorithm>
#include <optional>

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QWindow>

#include "platform/gui/application.h"
#include "platform/gui/controls_impl.h"
#include "platform/gui/controls_input.h"
#include "platform/gui/responder.h"

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
  // A separator carries no text: some styles draw a separator's text as a
  // section title, which would show the "-" itself.
  impl_->action->setSeparator(IsLine());
  impl_->action->setText(IsLine() ? QString() : ToQ(caption_));
}

std::string TMenuItem::ShownText() const { return FromQ(impl_->action->text()); }

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
  QMetaObject::Connection closing;  // aboutToHide -> OnClose
};

namespace {

bool InMenu(const QWidget* w) {
  for (; w != nullptr; w = w->parentWidget())
    if (qobject_cast<const QMenu*>(w) != nullptr) return true;
  return false;
}

// Watches the mouse presses of the whole program while a menu waited for is
// open. A press outside every open menu closes them; the windowing system
// may hand such a press on to the window under it afterwards, which this
// filter does itself instead (the same on every platform): presses inside
// keepOut are dropped, others are posted to their window once the menu has
// hidden. Presses and double clicks that reach other windows inside keepOut
// while the menu runs are dropped too.
class ModalMenuFilter : public QObject {
 public:
  ModalMenuFilter(QMenu& root, const TGdiRect* keepOut) : root_(&root) {
    if (keepOut != nullptr) keepOut_ = QRect(keepOut->Left, keepOut->Top, keepOut->Width(), keepOut->Height());
    QObject::connect(&root, &QMenu::aboutToHide, this, [this] { Replay(); });
  }

  bool eventFilter(QObject* receiver, QEvent* e) override {
    if (e->type() != QEvent::MouseButtonPress && e->type() != QEvent::MouseButtonDblClick) return false;
    auto* w = qobject_cast<QWidget*>(receiver);
    if (w == nullptr) return false;
    auto* me = static_cast<QMouseEvent*>(e);
    const QPoint global = me->globalPosition().toPoint();
    if (!InMenu(w)) return keepOut_.contains(global);
    QWidget* under = QApplication::widgetAt(global);
    if (InMenu(under)) return false;
    // The press closes the menus: no replay by the windowing system.
    w->window()->setAttribute(Qt::WA_NoMouseReplay);
    if (root_) root_->setAttribute(Qt::WA_NoMouseReplay);
    pending_.reset();
    if (e->type() == QEvent::MouseButtonPress && under != nullptr && !keepOut_.contains(global) &&
        under->window()->windowHandle() != nullptr) {
      pending_ = Press{under->window()->windowHandle(), global, me->button(), me->buttons(), me->modifiers()};
    }
    return false;
  }

 private:
  struct Press {
    QPointer<QWindow> window;
    QPoint global;
    Qt::MouseButton button;
    Qt::MouseButtons buttons;
    Qt::KeyboardModifiers modifiers;
  };

  void Replay() {
    if (!pending_ || !pending_->window) return;
    const Press& p = *pending_;
    const QPointF local = p.window->mapFromGlobal(QPointF(p.global));
    auto* press = new QMouseEvent(QEvent::MouseButtonPress, local, local, QPointF(p.global), p.button,
                                  p.buttons, p.modifiers);
    QCoreApplication::postEvent(p.window.data(), press);
    pending_.reset();
  }

  QPointer<QMenu> root_;
  QRect keepOut_;
  std::optional<Press> pending_;
};

}  // namespace

TPopupMenu::TPopupMenu() : menu_(std::make_unique<Menu>()) {
  SetRootContainer(&menu_->menu);
  menu_->closing = QObject::connect(&menu_->menu, &QMenu::aboutToHide, [this] { Closed(); });
}

void TPopupMenu::Closed() {
  if (OnClose) GuardCall([this] { OnClose(*this); });
}

TPopupMenu::~TPopupMenu() {
  // A menu freed while open closes without telling anyone.
  QObject::disconnect(menu_->closing);
  life_.reset();
  Items().Clear();
}

void TPopupMenu::PlaceAt(int x, int y, int& left, int& top) const {
  const int width = menu_->menu.sizeHint().width();
  left = alignment_ == TPopupAlignment::paRight    ? x - width
         : alignment_ == TPopupAlignment::paCenter ? x - width / 2
                                                   : x;
  top = y;
}

void TPopupMenu::Popup(int x, int y) {
  if (OnPopup) OnPopup(*this);
  int left = 0, top = 0;
  PlaceAt(x, y, left, top);
  menu_->menu.popup(QPoint(left, top));
}

void TPopupMenu::PopupModal(int x, int y, const TGdiRect* keepOut) {
  std::weak_ptr<char> life = life_;
  if (OnPopup) OnPopup(*this);
  if (life.expired()) return;
  const TModalAnswer how = HowToAnswer();
  if (how == TModalAnswer::Default) {
    TellWithoutScreen(TModalKind::Menu, Name(), {}, "zamknięte bez wyboru");
    Closed();
    return;
  }
  std::uint32_t timeoutMs = 0;
  TModalResponder* responder = nullptr;
  if (how == TModalAnswer::Responder) {
    responder = TModalResponder::Current();
    responder->Record(TShownModal{TModalKind::Menu, Name(), {}, 0});
    auto answer = responder->Take(TModalKind::Menu, Name());
    if (!answer || answer->kind != TModalResponder::TAnswer::Kind::MenuLoop) {
      Closed();
      return;
    }
    timeoutMs = static_cast<std::uint32_t>(answer->result);
  }
  int left = 0, top = 0;
  PlaceAt(x, y, left, top);
  QPointer<QMenu> menu = &menu_->menu;
  ModalMenuFilter filter(*menu, keepOut);
  QTimer timeout;
  bool timedOut = false;
  if (timeoutMs > 0) {
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, [&] {
      timedOut = true;
      if (menu) menu->close();
    });
    timeout.start(static_cast<int>(timeoutMs));
  }
  qApp->installEventFilter(&filter);
  menu->exec(QPoint(left, top));
  qApp->removeEventFilter(&filter);
  if (timedOut && responder == TModalResponder::Current() && responder != nullptr)
    responder->Report("Menu podręczne \"" + (life.expired() ? std::string() : Name()) +
                      "\" nie zamknęło się w czasie");
}

bool TPopupMenu::Showing() const { return menu_->menu.isVisible(); }

TGdiRect TPopupMenu::ScreenBounds() const {
  const QRect r = menu_->menu.geometry();
  return TGdiRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

}  // namespace platform
