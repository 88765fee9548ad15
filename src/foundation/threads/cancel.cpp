#include "foundation/threads/cancel.h"

#include <utility>

#include "foundation/errors.h"
#include "platform/gui/application.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/modality.h"

using platform::Application;

void TCancelImp::CheckCanceled() {
  if (Canceled()) throw ECanceled();
}

TCancel::TCancel(std::uint32_t delay, std::string caption)
    : delay_(delay), caption_(std::move(caption)), start_(std::chrono::steady_clock::now()) {
  Application().SetScreenCursor(platform::crHourGlass);
}

TCancel::~TCancel() {
  Application().SetScreenCursor(platform::crDefault);
  CloseWindow();
  Application().BringToFront();
}

void TCancel::SetMessage(std::string text) {
  message_ = std::move(text);
  if (text_ != nullptr) text_->SetCaption(message_);
}

void TCancel::HideWindow() {
  visible_ = false;
  if (window_) window_->Hide();
}

void TCancel::ShowWindow() {
  visible_ = true;
  if (window_) {
    window_->Show();
    window_->BringToFront();
  }
}

void TCancel::CheckCanceled() {
  if (Canceled()) {
    if (platform::IsGuiThread()) CloseWindow();
    throw ECanceled();
  }
  if (!platform::IsGuiThread()) return;
  auto now = std::chrono::steady_clock::now();
  if (now - lastServe_ < kServeInterval) return;
  lastServe_ = now;
  if (!window_) {
    if (windowDone_ || now - start_ < std::chrono::milliseconds(delay_)) return;
    CreateWindow();
  }
  if (visible_) pump_->Serve();
  if (Canceled()) {
    CloseWindow();
    throw ECanceled();
  }
}

// A small dialog of 100 x 50 dialog units in the middle of the screen: the
// message above, the button below.
void TCancel::CreateWindow() {
  using platform::TSystemMetric;
  platform::TDialogUnits units = platform::DialogBaseUnits();
  int width = units.x * 100 / 4;
  int height = units.y * 50 / 8;
  int captionHeight = platform::SystemMetric(TSystemMetric::CaptionHeight);
  int frameWidth = platform::SystemMetric(TSystemMetric::FrameWidth);
  int frameHeight = platform::SystemMetric(TSystemMetric::FrameHeight);
  int clientWidth = width - 2 * frameWidth;
  int clientHeight = height - captionHeight - 2 * frameHeight;

  auto form = platform::MakeForm<platform::TForm>();
  form->SetBorderStyle(platform::TFormBorderStyle::Dialog);
  form->SetBorderIcons(platform::biSystemMenu);
  form->SetCaption(caption_);
  form->SetLeft((platform::SystemMetric(TSystemMetric::ScreenWidth) - width) / 2);
  form->SetTop((platform::SystemMetric(TSystemMetric::ScreenHeight) - height) / 2);
  form->SetClientWidth(clientWidth);
  form->SetClientHeight(clientHeight);

  int buttonWidth = units.x * 28 / 4;
  int buttonHeight = units.y * 10 / 8;
  auto* button = form->Create<platform::TButton>(form.get(), "Cancel");
  button->SetCaption(kButtonCaption);
  button->SetCancel(true);
  button->SetBounds((width - buttonWidth) / 2, clientHeight - frameHeight - buttonHeight,
                    buttonWidth, buttonHeight);
  button->OnClick = [this](platform::TComponent&) {
    SetCanceled();
    if (window_) window_->Hide();
  };

  auto* text = form->Create<platform::TLabel>(form.get(), "Text");
  text->SetAlignment(platform::TAlignment::Center);
  text->SetWordWrap(true);
  text->SetBounds(frameWidth, frameHeight, clientWidth - 2 * frameWidth,
                  clientHeight - 3 * frameHeight - buttonHeight);
  text->SetCaption(message_);

  // The close box cancels as the button does.
  form->OnClose = [this](platform::TComponent&, platform::TCloseAction& action) {
    SetCanceled();
    action = platform::TCloseAction::Hide;
  };

  window_ = std::move(form);
  button_ = button;
  text_ = text;
  pump_ = std::make_unique<platform::TModalPump>(*window_);
  if (visible_) {
    window_->Show();
    window_->BringToFront();
  }
}

void TCancel::CloseWindow() {
  if (!window_) return;
  pump_.reset();
  button_ = nullptr;
  text_ = nullptr;
  window_.reset();
  windowDone_ = true;
}

void TSimpleThread::CheckCanceled() {
  if (Canceled() || Terminated()) throw ECanceled();
}

void TSimpleThread::Launch() {
  OnTerminate = [this](platform::TThread&) {
    ended_ = true;
    Ended();
    FreeWhenDone();
  };
  platform::TThread::Start();
}

void TSimpleThread::FreeWhenDone() {
  if (!ended_ || !CanFree() || freeQueued_) return;
  freeQueued_ = true;
  // Queued: the thread is still inside its termination notification here.
  platform::QueueCall([this] { std::unique_ptr<TSimpleThread> owner(this); });
}

void TSimpleThread::Execute() {
  try {
    Run();
  } catch (const std::exception& error) {
    if (IsSilentError(error)) return;
    Synchronize([&] { Application().ShowException(error); });
  } catch (...) {
    EInternalError unknown("Nieznany błąd w wątku roboczym");
    Synchronize([&] { Application().ShowException(unknown); });
  }
}

TProgressWindow::TProgressWindow() {
  using namespace platform;
  SetBorderStyle(TFormBorderStyle::Dialog);
  SetPosition(TPosition::ScreenCenter);
  SetCaption("ProgressWindow");
  SetClientWidth(320);
  SetClientHeight(154);

  Text = Create<TLabel>(this, "Text");
  Text->SetBounds(0, 8, 321, 69);
  Text->SetAlignment(TAlignment::Center);
  Text->SetWordWrap(true);

  Progress = Create<TProgressBar>(this, "Progress");
  Progress->SetBounds(12, 92, 297, 16);
  Progress->SetRange(0, 100);

  Cancel = Create<TButton>(this, "Cancel");
  Cancel->SetBounds(116, 116, 75, 25);
  Cancel->SetCaption(TCancel::kButtonCaption);
  Cancel->SetCancel(true);
  Cancel->SetModalResult(mrCancel);
}

TProgressThread::TProgressThread() : timer_(std::make_unique<platform::TTimer>()) {
  timer_->SetInterval(kTimerInterval);
  timer_->OnTimer = [this] {
    if (window_ != nullptr) window_->Progress->SetPosition(Position());
  };
}

TProgressThread::~TProgressThread() = default;

bool TProgressThread::TimerRunning() const { return timer_->Enabled(); }

void TProgressThread::ReleaseHold() {
  held_ = false;
  FreeWhenDone();
}

void TProgressThread::ShowWindow(const std::string& caption) {
  if (HasEnded()) return;
  auto window = platform::MakeForm<TProgressWindow>();
  window->SetCaption(caption);
  {
    std::lock_guard lock(mutex_);
    window->Text->SetCaption(text_);
    window->Progress->SetMax(max_);
    window->Progress->SetPosition(position_);
  }
  window->Cancel->OnClick = [this](platform::TComponent&) { CancelClick(); };
  window_ = window.get();
  shown_ = true;
  // The window is gone on every way out, a failing ShowModal included.
  struct Closed {
    TProgressThread& thread;
    ~Closed() {
      thread.shown_ = false;
      thread.window_ = nullptr;
      thread.timer_->SetEnabled(false);  // the ticks only serve the window
    }
  } closed{*this};
  window->ShowModal();
}

void TProgressThread::Ended() {
  timer_->SetEnabled(false);
  if (window_ != nullptr) window_->SetModalResult(platform::mrCancel);
}

void TProgressThread::CancelClick() {
  SetCanceled();
  Terminate();
  shown_ = false;
}

void TProgressThread::Push(const std::function<void(TProgressWindow&)>& fn) {
  ++pushed_;
  Synchronize([&] {
    if (window_ != nullptr) fn(*window_);
  });
}

void TProgressThread::SetText(const std::string& text) {
  {
    std::lock_guard lock(mutex_);
    if (text == text_) return;
    text_ = text;
  }
  if (shown_) Push([this](TProgressWindow& w) { w.Text->SetCaption(Text()); });
}

void TProgressThread::SetMax(std::int32_t max) {
  {
    std::lock_guard lock(mutex_);
    if (max == max_) return;
    max_ = max;
  }
  if (shown_) Push([this](TProgressWindow& w) { w.Progress->SetMax(Max()); });
}

void TProgressThread::SetPosition(std::int32_t position) {
  std::int32_t max;
  {
    std::lock_guard lock(mutex_);
    if (position == position_) return;
    position_ = position;
    max = max_;
  }
  if (shown_ && (position <= 0 || position >= max))
    Push([this](TProgressWindow& w) { w.Progress->SetPosition(Position()); });
}

std::string TProgressThread::Text() const {
  std::lock_guard lock(mutex_);
  return text_;
}

std::int32_t TProgressThread::Max() const {
  std::lock_guard lock(mutex_);
  return max_;
}

std::int32_t TProgressThread::Position() const {
  std::lock_guard lock(mutex_);
  return position_;
}
