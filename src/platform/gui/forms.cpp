#include "platform/gui/forms.h"

#include <algorithm>
#include <memory>

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "platform/gui/application.h"
#include "platform/gui/controls_impl.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/controls_menus.h"
#include "platform/gui/responder.h"

namespace platform {

// The top-level window of a form: the menu bar (when the form has a menu)
// above the client area; the close box goes through the form's Close.
class TFormWindow : public QWidget {
 public:
  explicit TFormWindow(TForm* form) : QWidget(nullptr, Qt::Window), form_(form) {}
  std::function<void()> onResize;

 protected:
  void closeEvent(QCloseEvent* e) override {
    e->ignore();
    GuardCall([this] { form_->Close(); });
  }
  void resizeEvent(QResizeEvent*) override {
    if (onResize) onResize();
  }
  // Tab and Shift+Tab follow the screen order of the form's controls.
  bool focusNextPrevChild(bool next) override {
    std::vector<QWidget*> order = TabOrder(*form_);
    QWidget* focus = focusWidget();
    auto current = order.end();
    for (auto it = order.begin(); it != order.end(); ++it) {
      QWidget* w = *it;
      if (focus != nullptr && (focus == w || focus == w->focusProxy() || w->isAncestorOf(focus))) current = it;
    }
    if (order.empty() || current == order.end()) return QWidget::focusNextPrevChild(next);
    auto size = static_cast<std::ptrdiff_t>(order.size());
    auto index = (current - order.begin() + (next ? 1 : size - 1)) % size;
    order[static_cast<size_t>(index)]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
  }

 public:
  void MoveFocus(bool next) { focusNextPrevChild(next); }

 private:
  TForm* form_;
};

// The client area of an MDI frame: a control so that it takes the place the
// aligned controls leave.
class TMdiClient : public TWinControl {
 public:
  TMdiClient() {
    area_ = new QMdiArea;
    AttachWidget(*this, area_);
    SetAlign(TAlign::Client);
  }
  QMdiArea* Area() const { return area_; }

 private:
  QMdiArea* area_;
};

struct TFormImpl {
  TFormWindow* window = nullptr;  // owned through the control's widget
  QWidget* client = nullptr;
  QPointer<QMenuBar> menuBar;
  TMdiClient* mdiClient = nullptr;  // owned as a component of the form
  QPointer<QMdiSubWindow> subWindow;
  QEventLoop* loop = nullptr;
  int loopModalLevel = 0;  // the application's modal level while loop runs
};

namespace {

TForm* FormOf(QWidget* w) { return dynamic_cast<TForm*>(ControlOfWidget(w)); }

// The widget that carries a form's window state: its MDI sub-window when it
// has one, else its own window.
QWidget* StateWidget(const TFormImpl& form) {
  return form.subWindow ? static_cast<QWidget*>(form.subWindow.data()) : form.window;
}

QMdiArea* MdiAreaOf(const TForm* frame) {
  if (frame == nullptr || frame->FormStyle() != TFormStyle::MDIForm) return nullptr;
  for (int i = 0; i < frame->ComponentCount(); ++i)
    if (auto* c = dynamic_cast<TMdiClient*>(frame->Components(i))) return c->Area();
  return nullptr;
}

// Finds a visible, enabled button marked default (or cancel) on the form.
TButton* FindDialogButton(const TWinControl& parent, bool wantDefault) {
  for (int i = 0; i < parent.ControlCount(); ++i) {
    TControl* c = parent.Controls(i);
    if (!c->Visible() || !c->Enabled()) continue;
    if (auto* b = dynamic_cast<TButton*>(c)) {
      if (wantDefault ? b->Default() : b->Cancel()) return b;
    }
    if (auto* w = dynamic_cast<TWinControl*>(c)) {
      if (dynamic_cast<TForm*>(w) != nullptr) continue;
      if (TButton* b = FindDialogButton(*w, wantDefault)) return b;
    }
  }
  return nullptr;
}

}  // namespace

TForm::TForm() : form_(std::make_unique<TFormImpl>()) {
  form_->window = new TFormWindow(this);
  form_->client = new QWidget(form_->window);
  AttachWidget(*this, form_->window, form_->client);
  form_->window->onResize = [this] {
    LayoutWindow();
    if (OnResize) OnResize(*this);
  };
  form_->window->resize(400, 300);
  LayoutWindow();
  TControl::SetVisible(false);
}

TForm::~TForm() {
  if (OnDestroy) GuardCall([this] { OnDestroy(*this); });
  if (form_->loop != nullptr) form_->loop->quit();
  if (Application().MainForm() == this) Application().SetMainForm(nullptr);
  DestroyComponents();
  if (form_->subWindow) {
    // The sub-window holds the form's window; take it out before freeing it.
    form_->subWindow->setWidget(nullptr);
    delete form_->subWindow.data();
  }
}

void TForm::DoCreate() {
  if (created_) return;
  created_ = true;
  if (OnCreate) OnCreate(*this);
}

void TForm::CaptionChanged() {
  form_->window->setWindowTitle(ToQ(Caption()));
  if (form_->subWindow) form_->subWindow->setWindowTitle(ToQ(Caption()));
}

void TForm::LayoutWindow() {
  int w = form_->window->width();
  int h = form_->window->height();
  int top = 0;
  if (form_->menuBar) {
    int mh = form_->menuBar->sizeHint().height();
    form_->menuBar->setGeometry(0, 0, w, mh);
    top = mh;
  }
  QRect client(0, top, w, std::max(0, h - top));
  if (form_->client->geometry() != client) {
    form_->client->setGeometry(client);
    Realign();
  }
}

namespace {

// A form with a single, dialog or tool-window border keeps the size it was
// designed with: the user cannot resize it (and so cannot hide its buttons).
bool FixedBorder(TFormBorderStyle style) {
  return style == TFormBorderStyle::Single || style == TFormBorderStyle::Dialog ||
         style == TFormBorderStyle::ToolWindow;
}

void FitSizeLimits(QWidget* window, TFormBorderStyle style, QSize size) {
  if (FixedBorder(style)) {
    window->setFixedSize(size);
  } else {
    window->setMinimumSize(0, 0);
    window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
}

}  // namespace

namespace {

// The frame the window manager put around the last window it framed (none
// until one is): what a window about to be shown will get, in all
// likelihood, before its own frame is known.
QMargins& KnownFrameMargins() {
  static QMargins margins;
  return margins;
}

QRect WorkAreaOf(const QWidget* window) {
  QScreen* screen = window->screen() != nullptr ? window->screen() : QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

// The window, with Margins as its frame, inside the work area: no larger
// than the area, moved in where its frame reaches past an edge. A window
// placed by its frame's corner (move) keeps that corner where the window
// manager frames it.
void FitIntoWorkArea(QWidget* window, const QMargins& Margins, bool Fixed) {
  const QRect area = WorkAreaOf(window);
  const QSize room(std::max(1, area.width() - Margins.left() - Margins.right()),
                   std::max(1, area.height() - Margins.top() - Margins.bottom()));
  const QSize size = window->size().boundedTo(room);
  if (size != window->size()) {
    if (Fixed) window->setFixedSize(size);
    window->resize(size);
  }
  const QRect frame(window->geometry().topLeft() - QPoint(Margins.left(), Margins.top()),
                    size.grownBy(Margins));
  QPoint corner = frame.topLeft();
  corner.setX(std::clamp(corner.x(), area.left(), area.left() + area.width() - frame.width()));
  corner.setY(std::clamp(corner.y(), area.top(), area.top() + area.height() - frame.height()));
  if (corner != frame.topLeft()) window->move(corner);
}

}  // namespace

void TForm::SetBounds(int left, int top, int width, int height) {
  if (formStyle_ != TFormStyle::MDIChild)
    FitSizeLimits(form_->window, borderStyle_, QSize(std::max(0, width), std::max(0, height)));
  form_->window->setGeometry(left, top, std::max(0, width), std::max(0, height));
  LayoutWindow();
  Realign();
}

TGdiRect TForm::FrameBounds() const {
  const QRect frame = form_->window->frameGeometry();
  return {frame.left(), frame.top(), frame.left() + frame.width(), frame.top() + frame.height()};
}

int TForm::ClientWidth() const { return form_->client->width(); }
int TForm::ClientHeight() const { return form_->client->height(); }

void TForm::ApplyWindowFlags() {
  if (formStyle_ == TFormStyle::MDIChild) return;
  Qt::WindowFlags flags = Qt::Window;
  switch (borderStyle_) {
    case TFormBorderStyle::None: flags |= Qt::FramelessWindowHint; break;
    case TFormBorderStyle::Dialog: flags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint; break;
    case TFormBorderStyle::ToolWindow:
    case TFormBorderStyle::SizeToolWin: flags = Qt::Tool; break;
    default: break;
  }
  if (borderStyle_ != TFormBorderStyle::None) {
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (borderIcons_ & biSystemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if ((borderIcons_ & biMinimize) && borderStyle_ != TFormBorderStyle::Dialog)
      flags |= Qt::WindowMinimizeButtonHint;
    if ((borderIcons_ & biMaximize) && borderStyle_ != TFormBorderStyle::Dialog)
      flags |= Qt::WindowMaximizeButtonHint;
    if (borderIcons_ & biHelp) flags |= Qt::WindowContextHelpButtonHint;
  }
  if (topMost_) flags |= Qt::WindowStaysOnTopHint;
  bool wasVisible = form_->window->isVisible();
  QRect geometry = form_->window->geometry();
  form_->window->setWindowFlags(flags);
  FitSizeLimits(form_->window, borderStyle_, geometry.size());
  form_->window->setGeometry(geometry);
  if (wasVisible) form_->window->show();
}

void TForm::PlaceBeside(int x, int y) {
  const int width = Width();
  const int height = Height();
  const int screenWidth = SystemMetric(TSystemMetric::ScreenWidth);
  const int screenHeight = SystemMetric(TSystemMetric::ScreenHeight);
  int left = x + 10;
  if (left + width > screenWidth) left = x - 10 - width;
  int top = y;
  if (top + height > screenHeight) top = screenHeight - height;
  SetBounds(std::max(left, 0), std::max(top, 0), width, height);
}

void TForm::SetTopMost(bool topMost) {
  if (topMost == topMost_ || formStyle_ == TFormStyle::MDIChild) return;
  topMost_ = topMost;
  // The widget's flags are changed without re-creating its window (which
  // would hide it); the window itself only changes its layer.
  QWidget* w = form_->window;
  Qt::WindowFlags flags = w->windowFlags();
  flags.setFlag(Qt::WindowStaysOnTopHint, topMost);
  w->overrideWindowFlags(flags);
  if (QWindow* native = w->windowHandle()) native->setFlags(flags);
}

bool TForm::Resizable() const {
  const QWidget* w = form_->window;
  return w->minimumSize() != w->maximumSize();
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
  borderStyle_ = style;
  ApplyWindowFlags();
}

void TForm::SetBorderIcons(unsigned icons) {
  borderIcons_ = icons;
  ApplyWindowFlags();
}

void TForm::SetFormStyle(TFormStyle style) {
  if (style == formStyle_) return;
  formStyle_ = style;
  topMost_ = style == TFormStyle::StayOnTop;
  if (style == TFormStyle::MDIForm && form_->mdiClient == nullptr)
    form_->mdiClient = Create<TMdiClient>(this, "");
  ApplyWindowFlags();
}

TWindowState TForm::WindowState() const {
  QWidget* w = StateWidget(*form_);
  if (w->windowState() & Qt::WindowMinimized) return TWindowState::Minimized;
  if (w->windowState() & Qt::WindowMaximized) return TWindowState::Maximized;
  return TWindowState::Normal;
}

void TForm::SetWindowState(TWindowState state) {
  QWidget* w = StateWidget(*form_);
  Qt::WindowStates s = state == TWindowState::Minimized   ? Qt::WindowMinimized
                       : state == TWindowState::Maximized ? Qt::WindowMaximized
                                                          : Qt::WindowNoState;
  w->setWindowState(s);
}

void TForm::SetMenu(TMainMenu* menu) {
  menu_ = menu;
  if (form_->menuBar) {
    form_->menuBar->setParent(nullptr);
    form_->menuBar = nullptr;
  }
  if (menu != nullptr) {
    form_->menuBar = static_cast<QMenuBar*>(menu->NativeMenuBar());
    form_->menuBar->setParent(form_->window);
    form_->menuBar->show();
  }
  LayoutWindow();
}

TWinControl* TForm::ActiveControl() const {
  QWidget* focus = form_->window->focusWidget();
  if (focus == nullptr) return nullptr;
  return dynamic_cast<TWinControl*>(ControlOfWidget(focus));
}

void TForm::SetActiveControl(TWinControl* control) {
  if (control != nullptr) control->SetFocus();
}

void TForm::PlaceOnFirstShow() {
  if (shownOnce_) return;
  shownOnce_ = true;
  QWidget* w = form_->window;
  QRect area = QApplication::primaryScreen() != nullptr
                   ? QApplication::primaryScreen()->geometry()
                   : QRect(0, 0, 1024, 768);
  QRect over;
  if (position_ == TPosition::ScreenCenter) over = area;
  if (position_ == TPosition::MainFormCenter || position_ == TPosition::OwnerFormCenter) {
    TForm* main = Application().MainForm();
    over = main != nullptr && main != this ? main->Impl().widget->geometry() : area;
  }
  if (!over.isNull()) w->move(over.center() - QPoint(w->width() / 2, w->height() / 2));
}

void TForm::FitFramedWindow() {
  // The window manager frames a window after it is shown, and only then are
  // the frame's sides known: the fit is made again with them, once.
  QPointer<QWidget> window = form_->window;
  const bool fixed = FixedBorder(borderStyle_);
  if (QWindow* native = window->windowHandle(); native != nullptr && !native->frameMargins().isNull()) {
    FitIntoWorkArea(window, native->frameMargins(), fixed);
    return;
  }
  auto* timer = new QTimer(window);
  timer->setInterval(20);
  auto tries = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, timer, [window, fixed, timer, tries] {
    QWindow* native = window ? window->windowHandle() : nullptr;
    const bool framed = native != nullptr && !native->frameMargins().isNull();
    if (framed) {
      KnownFrameMargins() = native->frameMargins();
      FitIntoWorkArea(window, KnownFrameMargins(), fixed);
    }
    if (framed || ++*tries >= 50 || !window || !window->isVisible()) {
      timer->stop();
      timer->deleteLater();
    }
  });
  timer->start();
}

void TForm::ShowMdiChild() {
  QMdiArea* area = MdiAreaOf(Application().MainForm());
  if (area == nullptr) throw std::logic_error("Brak okna głównego MDI dla okna podrzędnego");
  if (!form_->subWindow) {
    QSize size = form_->window->size();
    form_->subWindow = area->addSubWindow(form_->window);
    form_->subWindow->setAttribute(Qt::WA_DeleteOnClose, false);
    form_->subWindow->setWindowTitle(ToQ(Caption()));
    form_->subWindow->resize(size);
  }
  form_->window->show();
  form_->subWindow->show();
  area->setActiveSubWindow(form_->subWindow);
}

void TForm::SetVisible(bool visible) {
  bool was = Visible();
  TControl::SetVisible(visible);
  if (visible) {
    if (formStyle_ == TFormStyle::MDIChild) {
      ShowMdiChild();
    } else {
      PlaceOnFirstShow();
      FitIntoWorkArea(form_->window, KnownFrameMargins(), FixedBorder(borderStyle_));
      form_->window->show();
      FitFramedWindow();
      if (!IsHeadless()) form_->window->raise();
      form_->window->activateWindow();
      // A form shown without a focused control starts at the first one in
      // its Tab order, as Tab would reach it.
      if (form_->window->focusWidget() == nullptr) {
        std::vector<QWidget*> order = TabOrder(*this);
        if (!order.empty()) order.front()->setFocus(Qt::TabFocusReason);
      }
    }
    LayoutWindow();
    if (!was) DoShow();
  } else {
    if (form_->subWindow) form_->subWindow->hide();
    form_->window->hide();
    if (was) DoHide();
  }
}

void TForm::DoShow() {
  if (OnShow) OnShow(*this);
}

void TForm::DoHide() {
  if (OnHide) OnHide(*this);
}

void TForm::DoClose(TCloseAction& action) {
  if (OnClose) OnClose(*this, action);
}

bool TForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(*this, canClose);
  return canClose;
}

void TForm::SetModalResult(TModalResult result) {
  modalResult_ = result;
  if (!modal_ || result == mrNone || form_->loop == nullptr) return;
  CheckModalResultLater();
}

void TForm::CheckModalResultLater() {
  // Checked once the handler that set it has returned: it may clear it. A
  // handler that opens a window of its own (the message box of a failed
  // check) runs that window's loop before it returns; while such a window is
  // open the check waits, so that it sees the result the handler leaves.
  const bool nested = Application().ModalLevel() > form_->loopModalLevel;
  QTimer::singleShot(nested ? 20 : 0, form_->window, [this] {
    if (!modal_ || modalResult_ == mrNone || form_->loop == nullptr) return;
    if (Application().ModalLevel() > form_->loopModalLevel) {
      CheckModalResultLater();
      return;
    }
    if (CloseModal()) form_->loop->quit();
  });
}

bool TForm::CloseModal() {
  TCloseAction action = TCloseAction::None;
  if (CloseQuery()) {
    action = TCloseAction::Hide;
    DoClose(action);
  }
  if (action == TCloseAction::None) {
    modalResult_ = mrNone;
    return false;
  }
  if (action == TCloseAction::Free) Release();
  return true;
}

TModalResult TForm::ShowModal() {
  if (modal_ || Visible()) throw std::logic_error("Nie można pokazać modalnie widocznego okna");
  modalResult_ = mrNone;
  modal_ = true;
  Application().EnterModal();
  struct Leave {
    TForm* form;
    ~Leave() {
      form->modal_ = false;
      Application().LeaveModal();
    }
  } leave{this};

  const TModalAnswer how = HowToAnswer();
  if (how == TModalAnswer::Default) {
    // No screen: the default button's result, as Enter would give, or
    // Cancel; the form's close handlers still have their say.
    TButton* button = FindDialogButton(*this, true);
    modalResult_ = button != nullptr && button->ModalResult() != mrNone ? button->ModalResult() : mrCancel;
    TellWithoutScreen(TModalKind::Form, Caption(), {},
                      button != nullptr && modalResult_ != mrCancel ? FromQ(StripAccelerator(button->Caption())) : "Anuluj");
    if (!CloseModal()) modalResult_ = mrCancel;
    return modalResult_;
  }
  if (how == TModalAnswer::Responder) {
    TModalResponder* responder = TModalResponder::Current();
    // Shown modally as for a user; an answer that raises leaves the form
    // closed, as a modal form ends.
    ShownModally shown(*this);
    responder->Record(TShownModal{TModalKind::Form, Caption(), {}, 0});
    for (;;) {
      auto answer = responder->Take(TModalKind::Form, Caption());
      if (!answer || answer->kind == TModalResponder::TAnswer::Kind::Cancel) {
        modalResult_ = mrCancel;
        break;
      }
      if (answer->kind == TModalResponder::TAnswer::Kind::FormLoop) {
        RunModalLoop(static_cast<std::uint32_t>(answer->result));
        if (modalResult_ == mrNone) {
          responder->Report("Okno modalne \"" + Caption() + "\" nie zamknęło się w czasie");
          modalResult_ = mrCancel;
        }
        break;
      }
      if (answer->fill) answer->fill(*this);
      else modalResult_ = answer->result;
      if (modalResult_ != mrNone && CloseModal()) break;
      if (responder->Pending() == 0) {
        responder->Report("Okno modalne \"" + Caption() + "\" zostało otwarte po ostatniej odpowiedzi");
        modalResult_ = mrCancel;
        break;
      }
    }
    return modalResult_;
  }

  {
    ShownModally shown(*this);
    RunModalLoop(0);
  }
  return modalResult_;
}

// The toolkit takes a window's modality into account only when the window
// is shown or hidden: set on a visible window it has no effect, and a
// window hidden after it was made plain again stays in the toolkit's list
// of modal windows, blocking the mouse and keys of every other window for
// good. So the modality is set before the window shows and taken back only
// after it has been hidden.
TForm::ShownModally::ShownModally(TForm& form) : form_(form) {
  form_.form_->window->setWindowModality(Qt::ApplicationModal);
  form_.SetVisible(true);
}

TForm::ShownModally::~ShownModally() {
  GuardCall([this] { form_.SetVisible(false); });
  form_.form_->window->setWindowModality(Qt::NonModal);
}

void TForm::RunModalLoop(std::uint32_t timeoutMs) {
  QEventLoop loop;
  form_->loop = &loop;
  form_->loopModalLevel = Application().ModalLevel();
  QTimer timeout;
  if (timeoutMs > 0) {
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    timeout.start(static_cast<int>(timeoutMs));
  }
  // A result set before the loop started (by OnShow) ends it at once.
  if (modalResult_ != mrNone) SetModalResult(modalResult_);
  loop.exec();
  form_->loop = nullptr;
}

void TForm::Close() {
  if (modal_) {
    SetModalResult(mrCancel);
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action =
      formStyle_ == TFormStyle::MDIChild ? TCloseAction::Minimize : TCloseAction::Hide;
  DoClose(action);
  if (action == TCloseAction::None) return;
  if (Application().MainForm() == this) {
    Application().Terminate();
    return;
  }
  switch (action) {
    case TCloseAction::Hide: SetVisible(false); break;
    case TCloseAction::Minimize: SetWindowState(TWindowState::Minimized); break;
    case TCloseAction::Free: Release(); break;
    default: break;
  }
}

void TForm::Release() {
  SetVisible(false);
  TComponent* owner = Owner();
  if (owner == nullptr) return;
  QueueCall([owner, this] { owner->RemoveComponent(this); });
}

int TForm::MDIChildCount() const {
  QMdiArea* area = MdiAreaOf(this);
  return area != nullptr ? static_cast<int>(area->subWindowList().size()) : 0;
}

TForm* TForm::MDIChildren(int i) const {
  QMdiArea* area = MdiAreaOf(this);
  if (area == nullptr) return nullptr;
  auto list = area->subWindowList(QMdiArea::StackingOrder);
  if (i < 0 || i >= list.size()) return nullptr;
  return FormOf(list[i]->widget());
}

TForm* TForm::ActiveMDIChild() const {
  QMdiArea* area = MdiAreaOf(this);
  if (area == nullptr) return nullptr;
  QMdiSubWindow* sub = area->activeSubWindow();
  if (sub == nullptr) sub = area->currentSubWindow();
  return sub != nullptr ? FormOf(sub->widget()) : nullptr;
}

void TForm::Cascade() {
  if (QMdiArea* area = MdiAreaOf(this)) area->cascadeSubWindows();
}

void TForm::Tile() {
  if (QMdiArea* area = MdiAreaOf(this)) area->tileSubWindows();
}

void TForm::Next() {
  if (QMdiArea* area = MdiAreaOf(this)) area->activateNextSubWindow();
}

void TForm::Previous() {
  if (QMdiArea* area = MdiAreaOf(this)) area->activatePreviousSubWindow();
}

bool TForm::DialogKey(std::uint16_t vk) {
  TButton* button = nullptr;
  if (vk == VK_RETURN) button = FindDialogButton(*this, true);
  if (vk == VK_ESCAPE) button = FindDialogButton(*this, false);
  if (button == nullptr) return false;
  button->Click();
  return true;
}

void TForm::FocusNextControl(bool forward) { form_->window->MoveFocus(forward); }

TComponent& ApplicationForms() {
  static auto* owner = new TComponent;  // freed by FreeApplicationForms or with the process
  return *owner;
}

void FreeApplicationForms() {
  TComponent& owner = ApplicationForms();
  while (owner.ComponentCount() > 0) owner.RemoveComponent(owner.Components(owner.ComponentCount() - 1));
}

TForm* ActiveForm() {
  QWidget* w = QApplication::activeWindow();
  return w != nullptr ? FormOf(w) : nullptr;
}

std::vector<TForm*> VisibleForms() {
  std::vector<TForm*> out;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (!w->isVisible()) continue;
    if (TForm* f = FormOf(w)) out.push_back(f);
  }
  return out;
}

}  // namespace platform
