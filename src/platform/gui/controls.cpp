#include "platform/gui/controls.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QObject>
#include <QRadioButton>

#include "platform/gui/application.h"
#include "platform/files/codepage.h"
#include "platform/gui/controls_impl.h"
#include "platform/gui/controls_input.h"
#include "platform/gui/forms.h"
#include "platform/gui/controls_menus.h"
#include "platform/gui/controls_std.h"

namespace platform {

namespace {

std::unordered_map<QWidget*, TControl*>& WidgetMap() {
  static auto* map = new std::unordered_map<QWidget*, TControl*>;  // lives to process end
  return *map;
}

std::string ShortHint(const std::string& hint) {
  auto bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(0, bar);
}

std::string LongHint(const std::string& hint) {
  auto bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

TMouseButton ButtonOf(Qt::MouseButton b) {
  if (b == Qt::RightButton) return TMouseButton::Right;
  if (b == Qt::MiddleButton) return TMouseButton::Middle;
  return TMouseButton::Left;
}

TShiftState MouseShift(const QMouseEvent* e) {
  TShiftState s = ShiftFromQt(e->modifiers());
  if (e->buttons() & Qt::LeftButton) s |= ssLeft;
  if (e->buttons() & Qt::RightButton) s |= ssRight;
  if (e->buttons() & Qt::MiddleButton) s |= ssMiddle;
  return s;
}

// The focus goes to an open popup (a menu, the list of a combo box) or comes
// back from it as the popup closes.
bool PopupFocusChange(const QFocusEvent& e) {
  if (e.reason() == Qt::PopupFocusReason) return true;
  QWidget* popup = QApplication::activePopupWidget();
  QWidget* focus = QApplication::focusWidget();
  return popup != nullptr && focus != nullptr && focus->window() == popup;
}

}  // namespace

// Calls the protected handlers of controls from the event filter.
struct TControlEvents {
  static bool Filter(TControl& c, QObject* obj, QEvent* e);
};

// The event filter on every control's widget.
class TControlFilter : public QObject {
 public:
  explicit TControlFilter(TControl* control) : control_(control) {}
  bool eventFilter(QObject* obj, QEvent* e) override {
    bool handled = false;
    GuardCall([&] { handled = TControlEvents::Filter(*control_, obj, e); });
    return handled;
  }

 private:
  TControl* control_;
};

bool TControlEvents::Filter(TControl& c, QObject* obj, QEvent* e) {
  auto* win = dynamic_cast<TWinControl*>(&c);
  TControlImpl& impl = c.Impl();
  switch (e->type()) {
    case QEvent::MouseButtonPress: {
      auto* me = static_cast<QMouseEvent*>(e);
      QPoint p = me->position().toPoint();
      c.MouseDown(ButtonOf(me->button()), MouseShift(me), p.x(), p.y());
      return false;
    }
    case QEvent::MouseButtonRelease: {
      auto* me = static_cast<QMouseEvent*>(e);
      QPoint p = me->position().toPoint();
      c.MouseUp(ButtonOf(me->button()), MouseShift(me), p.x(), p.y());
      if (impl.clickOnRelease && me->button() == Qt::LeftButton && c.Enabled()) {
        auto* w = static_cast<QWidget*>(obj);
        if (w->rect().contains(p)) c.Click();
      }
      return false;
    }
    case QEvent::MouseButtonDblClick: {
      auto* me = static_cast<QMouseEvent*>(e);
      QPoint p = me->position().toPoint();
      c.MouseDown(ButtonOf(me->button()), MouseShift(me) | ssDouble, p.x(), p.y());
      if (me->button() == Qt::LeftButton) c.DblClick();
      return false;
    }
    case QEvent::MouseMove: {
      auto* me = static_cast<QMouseEvent*>(e);
      QPoint p = me->position().toPoint();
      c.MouseMove(MouseShift(me), p.x(), p.y());
      return false;
    }
    case QEvent::ContextMenu:
      if (c.PopupMenu() != nullptr) {
        auto* ce = static_cast<QContextMenuEvent*>(e);
        c.PopupMenu()->Popup(ce->globalPos().x(), ce->globalPos().y());
        return true;
      }
      return false;
    case QEvent::Enter:
      if (!c.Hint().empty()) Application().SetHint(LongHint(c.Hint()));
      if (obj == impl.widget.data()) c.MouseEnter();
      return false;
    case QEvent::Leave:
      if (!c.Hint().empty()) Application().SetHint("");
      if (obj == impl.widget.data()) c.MouseLeave();
      return false;
    case QEvent::Resize:
      if (win != nullptr && obj == impl.client.data()) win->Realign();
      return false;
    // A popup (a menu, the list of a combo box) takes the keyboard while it
    // is open and gives it back when it closes: the control is neither left
    // nor entered, so a history edit does not file its text as its own list
    // opens.
    case QEvent::FocusIn:
      if (win != nullptr && obj == impl.widget.data() && !PopupFocusChange(*static_cast<QFocusEvent*>(e)))
        win->DoEnter();
      return false;
    case QEvent::FocusOut:
      // The program's window lost the keyboard: a key held now is let go
      // where this program does not see it.
      if (static_cast<QFocusEvent*>(e)->reason() == Qt::ActiveWindowFocusReason) ForgetRightAlt();
      if (win != nullptr && obj == impl.widget.data() && !PopupFocusChange(*static_cast<QFocusEvent*>(e)))
        win->DoExit();
      return false;
    case QEvent::KeyPress: {
      if (win == nullptr) return false;
      auto* ke = static_cast<QKeyEvent*>(e);
      if (IsReplayedKey(ke)) return false;
      TrackRightAlt(ke);
      TShiftState shift = KeyShiftFromQt(ke);
      std::uint16_t vk = VkFromQtKeyEvent(ke->key(), ke->modifiers());
      TForm* form = c.ParentForm();
      bool preview = form != nullptr && form != &c && form->KeyPreview();
      // The dialog keys of a control go to the form's handler before anyone
      // sees them as keys; it may take them. (A key the control leaves goes
      // on to the form's own window: that is not a second dialog key.)
      const bool dialogKey = vk == VK_TAB || (!impl.wantsReturn && (vk == VK_RETURN || vk == VK_ESCAPE));
      if (dialogKey && form != nullptr && form != &c && form->OnDialogKey) {
        std::uint16_t key = vk;
        form->OnDialogKey(*form, key, shift);
        if (key == 0) return true;
      }
      if (vk != 0) {
        std::uint16_t key = vk;
        if (preview) form->KeyDown(key, shift);
        if (key != 0) win->KeyDown(key, shift);
        if (key == 0) return true;
      }
      // Tab, and Enter and Esc outside controls that keep them, move the
      // focus or press the dialog's buttons: they never reach a key-press
      // filter, which could only drop them and trap the user in the field.
      const bool navigation = vk == VK_TAB || (!impl.wantsReturn && (vk == VK_RETURN || vk == VK_ESCAPE));
      QString text = ke->text();
      if (!navigation && !text.isEmpty() && !(ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        char32_t typed = text.toUcs4().value(0);
        char32_t key = typed;
        if (preview) form->KeyPress(key);
        if (key != 0) win->KeyPress(key);
        if (key == 0) return true;
        if (key != typed) {
          ReplayKey(static_cast<QWidget*>(obj), key);
          return true;
        }
      }
      // Enter on a focused button presses that button, elsewhere the default
      // one; Esc the cancel one.
      if (vk == VK_RETURN && dynamic_cast<TButton*>(&c) != nullptr) {
        c.Click();
        return true;
      }
      if (form != nullptr && !impl.wantsReturn && (vk == VK_RETURN || vk == VK_ESCAPE))
        return form->DialogKey(vk);
      return false;
    }
    case QEvent::KeyRelease: {
      if (win == nullptr) return false;
      auto* ke = static_cast<QKeyEvent*>(e);
      TShiftState shift = KeyShiftFromQt(ke);
      TrackRightAlt(ke);
      std::uint16_t key = VkFromQtKeyEvent(ke->key(), ke->modifiers());
      if (key == 0) return false;
      TForm* form = c.ParentForm();
      if (form != nullptr && form != &c && form->KeyPreview()) form->KeyUp(key, shift);
      if (key != 0) win->KeyUp(key, shift);
      return key == 0;
    }
    default:
      return false;
  }
}

void AttachWidget(TControl& control, QWidget* widget, QWidget* client) {
  TControlImpl& impl = control.Impl();
  impl.widget = widget;
  impl.client = client != nullptr ? client : widget;
  auto* filter = new TControlFilter(&control);  // freed by ~TControl
  impl.filter = filter;
  widget->installEventFilter(filter);
  if (impl.client != widget) impl.client->installEventFilter(filter);
  if (auto* area = qobject_cast<QAbstractScrollArea*>(widget)) area->viewport()->installEventFilter(filter);
  impl.attached = widget;
  WidgetMap()[widget] = &control;
}

void InstallControlFilter(TControl& control, QWidget* inner) {
  if (control.Impl().filter != nullptr) inner->installEventFilter(control.Impl().filter);
}

TControl* ControlOfWidget(QWidget* widget) {
  auto& map = WidgetMap();
  for (QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
    auto it = map.find(w);
    if (it != map.end()) return it->second;
  }
  return nullptr;
}

TComponent::~TComponent() {
  for (TComponent* w : std::exchange(watchers_, {})) {
    std::erase(w->watching_, this);
    w->Notification(*this);
  }
  DestroyComponents();
  for (TComponent* c : std::exchange(watching_, {})) std::erase(c->watchers_, this);
}

void TComponent::FreeNotification(TComponent* watcher) {
  if (watcher == nullptr || watcher == this) return;
  if (std::find(watchers_.begin(), watchers_.end(), watcher) != watchers_.end()) return;
  watchers_.push_back(watcher);
  watcher->watching_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* watcher) {
  if (watcher == nullptr) return;
  std::erase(watchers_, watcher);
  std::erase(watcher->watching_, this);
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    std::unique_ptr<TComponent> last = std::move(components_.back());
    components_.pop_back();
    last.reset();
  }
}

void TComponent::Adopt(std::unique_ptr<TComponent> component) {
  if (component->owner_ != nullptr) throw std::logic_error("Komponent ma już właściciela");
  component->owner_ = this;
  components_.push_back(std::move(component));
}

std::unique_ptr<TComponent> TComponent::RemoveComponent(TComponent* component) {
  auto it = std::find_if(components_.begin(), components_.end(),
                         [&](const auto& c) { return c.get() == component; });
  if (it == components_.end()) return nullptr;
  std::unique_ptr<TComponent> out = std::move(*it);
  components_.erase(it);
  out->owner_ = nullptr;
  return out;
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (const auto& c : components_)
    if (SameText(c->Name(), name)) return c.get();
  return nullptr;
}

void TComponent::ThrowMissing(std::string_view name) const {
  throw std::out_of_range("Brak komponentu \"" + std::string(name) + "\" w \"" + name_ + "\"");
}

TControl::TControl() : impl_(std::make_unique<TControlImpl>()) { EnsureApplication(); }

TControl::~TControl() {
  DestroyComponents();
  if (parent_ != nullptr) {
    auto& siblings = parent_->controls_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    parent_->ChildRemoved(*this);
    parent_ = nullptr;
  }
  // The entry goes even when the widget went first (with a parent widget),
  // so that a new widget at the same address is not taken for this control.
  auto entry = WidgetMap().find(impl_->attached);
  if (entry != WidgetMap().end() && entry->second == this) WidgetMap().erase(entry);
  QWidget* w = impl_->widget.data();
  if (w != nullptr) {
    w->blockSignals(true);
    for (QWidget* child : w->findChildren<QWidget*>()) child->blockSignals(true);
    w->removeEventFilter(impl_->filter);
    delete w;
  }
  delete impl_->filter;
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent == this) throw std::logic_error("Kontrolka nie może być swoim rodzicem");
  if (parent_ != nullptr) {
    auto& siblings = parent_->controls_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    parent_->ChildRemoved(*this);
    if (align_ != TAlign::None) parent_->Realign();
  }
  parent_ = parent;
  QWidget* w = impl_->widget.data();
  if (w != nullptr) {
    QRect geometry = w->geometry();
    w->setParent(parent != nullptr ? parent->Impl().client.data() : nullptr);
    w->setGeometry(geometry);
    if (parent != nullptr) w->setVisible(visible_);
  }
  if (parent != nullptr) {
    parent->controls_.push_back(this);
    parent->ChildAdded(*this);
    if (align_ != TAlign::None) parent->Realign();
  }
}

TForm* TControl::ParentForm() const {
  const TControl* c = this;
  while (c != nullptr) {
    if (auto* form = dynamic_cast<const TForm*>(c)) return const_cast<TForm*>(form);
    c = c->parent_;
  }
  return nullptr;
}

int TControl::Left() const { return impl_->widget ? impl_->widget->x() : 0; }
int TControl::Top() const { return impl_->widget ? impl_->widget->y() : 0; }
int TControl::Width() const { return impl_->widget ? impl_->widget->width() : 0; }
int TControl::Height() const { return impl_->widget ? impl_->widget->height() : 0; }

int TControl::ClientWidth() const { return impl_->client ? impl_->client->width() : 0; }
int TControl::ClientHeight() const { return impl_->client ? impl_->client->height() : 0; }

void TControl::SetClientWidth(int w) { SetWidth(Width() - ClientWidth() + w); }
void TControl::SetClientHeight(int h) { SetHeight(Height() - ClientHeight() + h); }

void TControl::SetBounds(int left, int top, int width, int height) {
  QWidget* w = impl_->widget.data();
  if (w == nullptr) return;
  w->setGeometry(left, top, std::max(0, width), std::max(0, height));
  if (auto* win = dynamic_cast<TWinControl*>(this)) win->Realign();
  if (parent_ != nullptr && align_ != TAlign::None) parent_->Realign();
}

void TControl::SetVisible(bool visible) {
  visible_ = visible;
  QWidget* w = impl_->widget.data();
  if (w != nullptr && parent_ != nullptr) w->setVisible(visible);
  if (parent_ != nullptr && align_ != TAlign::None) parent_->Realign();
}

bool TControl::Showing() const { return impl_->widget && impl_->widget->isVisible(); }

void TControl::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (impl_->widget) impl_->widget->setEnabled(enabled);
}

void TControl::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  CaptionChanged();
}

void TControl::SetHint(std::string hint) {
  hint_ = std::move(hint);
  if (impl_->widget) impl_->widget->setToolTip(showHint_ ? ToQ(ShortHint(hint_)) : QString());
}

void TControl::SetShowHint(bool show) {
  showHint_ = show;
  SetHint(hint_);
}

void TControl::SetAlign(TAlign align) {
  align_ = align;
  if (parent_ != nullptr) parent_->Realign();
}

void TControl::SetCursor(int cursor) {
  cursor_ = cursor;
  if (!impl_->widget) return;
  if (cursor == crDefault) impl_->widget->unsetCursor();
  else impl_->widget->setCursor(ToQCursor(cursor));
}

void TControl::SetColor(std::uint32_t color) {
  color_ = color;
  QWidget* w = impl_->widget.data();
  if (w == nullptr) return;
  if (color == clDefault) {
    w->setAutoFillBackground(false);
    w->setPalette(QPalette());
    return;
  }
  QPalette palette = w->palette();
  palette.setColor(QPalette::Window, ToQColor(color));
  palette.setColor(QPalette::Button, ToQColor(color));
  w->setPalette(palette);
  w->setAutoFillBackground(true);
}

void TControl::Click() {
  if (OnClick) OnClick(*this);
}

void TControl::Invalidate() {
  if (impl_->widget) impl_->widget->update();
}

void TControl::Repaint() {
  if (impl_->widget) impl_->widget->repaint();
}

void TControl::BringToFront() {
  if (impl_->widget) impl_->widget->raise();
}

void TControl::SendToBack() {
  if (impl_->widget) impl_->widget->lower();
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(*this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(*this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(*this, shift, x, y);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(*this);
}

namespace {

QWidget* MouseTarget(TControl& c) {
  QWidget* w = c.Impl().widget.data();
  if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) return area->viewport();
  return w;
}

void SendMouse(TControl& c, QEvent::Type type, TMouseButton button, int x, int y, TShiftState shift) {
  QWidget* w = MouseTarget(c);
  if (w == nullptr) return;
  Qt::MouseButton b = button == TMouseButton::Right    ? Qt::RightButton
                      : button == TMouseButton::Middle ? Qt::MiddleButton
                                                       : Qt::LeftButton;
  Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(b);
  if (type == QEvent::MouseMove) {
    b = Qt::NoButton;
    held = Qt::NoButton;
    if (shift & ssLeft) held |= Qt::LeftButton;
    if (shift & ssRight) held |= Qt::RightButton;
    if (shift & ssMiddle) held |= Qt::MiddleButton;
  }
  QPointF local(x, y);
  QMouseEvent event(type, local, w->mapToGlobal(local), b, held, QtModifiers(shift));
  QApplication::sendEvent(w, &event);
}

}  // namespace

void TControl::MouseDownAt(TMouseButton button, int x, int y, TShiftState shift) {
  SendMouse(*this, QEvent::MouseButtonPress, button, x, y, shift);
}

void TControl::MouseUpAt(TMouseButton button, int x, int y, TShiftState shift) {
  SendMouse(*this, QEvent::MouseButtonRelease, button, x, y, shift);
}

void TControl::MouseMoveTo(int x, int y, TShiftState shift) {
  SendMouse(*this, QEvent::MouseMove, TMouseButton::Left, x, y, shift);
}

void TControl::MouseEnterNow() {
  QEnterEvent enter(QPointF(0, 0), QPointF(0, 0), QPointF(0, 0));
  QApplication::sendEvent(Impl().widget.data(), &enter);
}

void TControl::MouseLeaveNow() {
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(Impl().widget.data(), &leave);
}

void TControl::ClickAt(int x, int y) {
  MouseDownAt(TMouseButton::Left, x, y);
  MouseUpAt(TMouseButton::Left, x, y);
}

void TControl::DblClickAt(int x, int y) {
  ClickAt(x, y);
  SendMouse(*this, QEvent::MouseButtonDblClick, TMouseButton::Left, x, y, 0);
  MouseUpAt(TMouseButton::Left, x, y);
}

TWinControl::~TWinControl() {
  DestroyComponents();
  // The controls still placed here go with it, freed through their owners;
  // one without an owner keeps its window, taken off this one.
  while (!controls_.empty()) {
    TControl* child = controls_.back();
    if (child->Owner() != nullptr) {
      child->Owner()->RemoveComponent(child);
      continue;
    }
    controls_.pop_back();
    child->parent_ = nullptr;
    if (QWidget* w = child->Impl().widget.data()) {
      w->hide();
      w->setParent(nullptr);
    }
  }
  if (handle_ != 0) UnregisterWindow(handle_);
}

HWND TWinControl::Handle() {
  if (handle_ == 0) {
    handle_ = RegisterWindow([this](std::uint32_t msg, std::uintptr_t w, std::intptr_t l) {
      return HandleMessage(msg, w, l);
    });
  }
  return handle_;
}

std::intptr_t TWinControl::HandleMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
  return OnMessage ? OnMessage(msg, wParam, lParam) : 0;
}

bool TWinControl::Focused() const {
  QWidget* w = Impl().widget.data();
  if (w == nullptr) return false;
  QWidget* focus = w->window()->focusWidget();
  return focus != nullptr && (focus == w || focus->focusProxy() == w || w->isAncestorOf(focus));
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c != nullptr; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}

void TWinControl::SetFocus() {
  QWidget* w = Impl().widget.data();
  if (w == nullptr) return;
  w->setFocus(Qt::OtherFocusReason);
  SetLastFocused(w);
}

bool TWinControl::TabStop() const {
  QWidget* w = Impl().widget.data();
  return w != nullptr && (w->focusPolicy() & Qt::TabFocus) != 0;
}

void TWinControl::SetTabStop(bool tabStop) {
  QWidget* w = Impl().widget.data();
  if (w == nullptr) return;
  w->setFocusPolicy(tabStop ? Qt::StrongFocus : (w->focusPolicy() & Qt::ClickFocus ? Qt::ClickFocus : Qt::NoFocus));
}

namespace {

// A radio button that Tab passes over: unchecked while another button of
// its group (the auto-exclusive buttons of the same parent) is checked.
bool PassedRadio(QWidget* w) {
  auto* radio = qobject_cast<QRadioButton*>(w);
  if (radio == nullptr || radio->isChecked() || !radio->autoExclusive() || radio->parentWidget() == nullptr)
    return false;
  for (QRadioButton* other : radio->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly))
    if (other != radio && other->autoExclusive() && other->isChecked() && other->isVisible() && other->isEnabled())
      return true;
  return false;
}

// The controls of parent that can hold the focus or controls, in reading
// order: rows from the top, each row from the left. A control whose top lies
// in the upper half of the row's first (topmost) control belongs to that
// row, so that an edit and the button beside it, a few pixels higher, read
// as one line.
std::vector<TWinControl*> ReadingOrder(const TWinControl& parent) {
  std::vector<TWinControl*> children;
  for (int i = 0; i < parent.ControlCount(); ++i) {
    auto* win = dynamic_cast<TWinControl*>(parent.Controls(i));
    if (win != nullptr && dynamic_cast<TForm*>(win) == nullptr) children.push_back(win);
  }
  std::stable_sort(children.begin(), children.end(),
                   [](const TControl* a, const TControl* b) { return a->Top() < b->Top(); });
  auto row = children.begin();
  while (row != children.end()) {
    const int limit = (*row)->Top() + std::max(1, (*row)->Height() / 2);
    auto end = std::find_if(row, children.end(), [&](const TControl* c) { return c->Top() >= limit; });
    std::stable_sort(row, end, [](const TControl* a, const TControl* b) { return a->Left() < b->Left(); });
    row = end;
  }
  return children;
}

void CollectTabOrder(const TWinControl& parent, std::vector<QWidget*>& out) {
  for (TWinControl* win : ReadingOrder(parent)) {
    QWidget* w = win->Impl().widget.data();
    if (w == nullptr) continue;
    if (w->focusPolicy() & Qt::TabFocus) out.push_back(w);
    // Buttons a control makes itself (the items of a radio group).
    for (QAbstractButton* inner : w->findChildren<QAbstractButton*>())
      if (ControlOfWidget(inner) == win && (inner->focusPolicy() & Qt::TabFocus)) out.push_back(inner);
    CollectTabOrder(*win, out);
  }
}

}  // namespace

std::vector<QWidget*> TabOrder(const TWinControl& parent) {
  std::vector<QWidget*> all;
  CollectTabOrder(parent, all);
  std::vector<QWidget*> out;
  for (QWidget* w : all)
    if (w->isVisible() && w->isEnabled() && !PassedRadio(w)) out.push_back(w);
  return out;
}

void TWinControl::Realign() {
  QWidget* client = Impl().client.data();
  if (client == nullptr) return;
  QRect r(0, 0, client->width(), client->height());
  static const TAlign order[] = {TAlign::Top, TAlign::Bottom, TAlign::Left, TAlign::Right,
                                 TAlign::Client};
  for (TAlign pass : order) {
    for (TControl* child : controls_) {
      if (child->Align() != pass || !child->Visible()) continue;
      QWidget* w = child->Impl().widget.data();
      if (w == nullptr) continue;
      QRect g;
      switch (pass) {
        case TAlign::Top:
          g = QRect(r.left(), r.top(), r.width(), w->height());
          r.setTop(r.top() + w->height());
          break;
        case TAlign::Bottom:
          g = QRect(r.left(), r.bottom() + 1 - w->height(), r.width(), w->height());
          r.setBottom(r.bottom() - w->height());
          break;
        case TAlign::Left:
          g = QRect(r.left(), r.top(), w->width(), r.height());
          r.setLeft(r.left() + w->width());
          break;
        case TAlign::Right:
          g = QRect(r.right() + 1 - w->width(), r.top(), w->width(), r.height());
          r.setRight(r.right() - w->width());
          break;
        default:
          g = r;
          break;
      }
      g.setWidth(std::max(0, g.width()));
      g.setHeight(std::max(0, g.height()));
      if (w->geometry() != g) {
        w->setGeometry(g);
        if (auto* win = dynamic_cast<TWinControl*>(child)) win->Realign();
      }
    }
  }
}

void TWinControl::SuspendDrawing() {
  if (drawingSuspended_++ == 0 && Impl().widget) Impl().widget->setUpdatesEnabled(false);
}

void TWinControl::ResumeDrawing() {
  if (drawingSuspended_ == 0) return;
  // Enabling updates again repaints the whole widget.
  if (--drawingSuspended_ == 0 && Impl().widget) Impl().widget->setUpdatesEnabled(true);
}

void TWinControl::KeyDown(std::uint16_t& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(*this, key, shift);
}

void TWinControl::KeyUp(std::uint16_t& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(*this, key, shift);
}

void TWinControl::KeyPress(char32_t& key) {
  if (OnKeyPress) OnKeyPress(*this, key);
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(*this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(*this);
}

void TWinControl::SendChar(char32_t ch) {
  QWidget* w = Impl().widget.data();
  if (w == nullptr) return;
  SendCharTo(w, ch);
}

void TWinControl::SendText(std::string_view utf8) {
  for (char32_t ch : ToQ(utf8).toUcs4()) SendChar(ch);
}

void TWinControl::SendKey(std::uint16_t vk, TShiftState shift) {
  QWidget* w = Impl().widget.data();
  if (w == nullptr) return;
  SendVkTo(w, vk, shift, true);
  SendVkTo(w, vk, shift, false);
}

void TWinControl::SendKeyDown(std::uint16_t vk, TShiftState shift) {
  if (QWidget* w = Impl().widget.data()) SendVkTo(w, vk, shift, true);
}

void TWinControl::SendKeyUp(std::uint16_t vk, TShiftState shift) {
  if (QWidget* w = Impl().widget.data()) SendVkTo(w, vk, shift, false);
}

}  // namespace platform
