// The scripted responder: answers modal windows in tests so that none ever
// waits for a user. While a TScriptedResponder exists, every message box,
// input box, common dialog and modal form takes the next queued answer
// instead of showing itself and waiting; each one shown is recorded (kind,
// caption, text, flags) for the test to check.
//
// A modal window with no answer queued (or an answer of another kind) is a
// failure: it goes to the responder's reporter with the window's caption and
// the window is cancelled. Answers left over when the responder ends are
// reported too. The default reporter writes to stderr and aborts the test
// program; tests pass [](const std::string& m) { ADD_FAILURE() << m; } to
// fail only the test at hand.
//
// The responder is test machinery: its code (tests/common/responder.cpp) is
// linked into the test programs only. The program has the pointer to the
// current responder, which nothing sets there, and the windows reach a
// responder only through its virtual Take and Report. Without one, a modal
// window on a screenless platform (offscreen or minimal) does not wait for
// a user who cannot see it: it says on stderr what it would have asked and
// takes its default answer (see TModalAnswer).
//
// GUI thread only; responders nest (the newest answers).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class TForm;
class TCommonDialog;

enum class TModalKind { MessageBox, InputBox, Form, Dialog, Menu };
// The kind in words, for messages ("okno komunikatu", ...).
const char* ModalKindName(TModalKind kind);

struct TShownModal {
  TModalKind kind = TModalKind::MessageBox;
  std::string caption;
  std::string text;    // message box text, input box prompt
  unsigned flags = 0;  // message box flags
};

// What the modal windows see of a responder: the answers queued, the
// windows shown, and the two calls they make. Its only kind is the tests'
// TScriptedResponder below.
class TModalResponder {
 public:
  virtual ~TModalResponder();

  // One queued answer.
  struct TAnswer {
    enum class Kind { MessageBox, InputBox, Form, FormLoop, Dialog, FileName, MenuLoop, Cancel } kind;
    int result = 0;
    std::optional<std::string> text;
    std::function<void(TForm&)> fill;
    std::function<bool(TCommonDialog&)> dialog;
    std::string expectedCaption;
  };

  // Every modal window shown while the responder existed, in order.
  const std::vector<TShownModal>& Shown() const { return shown_; }
  // Answers not yet used.
  int Pending() const { return static_cast<int>(answers_.size()); }

  // The newest responder, or nullptr (always in the program).
  static TModalResponder* Current() { return current_; }

  // Used by the modal windows themselves.
  void Record(TShownModal shown) { shown_.push_back(std::move(shown)); }
  // The next answer when it fits kind (Cancel fits every kind); otherwise a
  // reported failure and nullopt (the caller cancels).
  virtual std::optional<TAnswer> Take(TModalKind kind, const std::string& caption,
                                      const std::string& text = {}) = 0;
  virtual void Report(const std::string& failure) = 0;

 protected:
  TModalResponder() = default;
  TModalResponder(const TModalResponder&) = delete;
  TModalResponder& operator=(const TModalResponder&) = delete;

  static TModalResponder* current_;
  std::vector<TAnswer> answers_;
  std::vector<TShownModal> shown_;
};

// The scripted responder of the tests (its code is linked into the test
// programs only).
class TScriptedResponder : public TModalResponder {
 public:
  using TReporter = std::function<void(const std::string& failure)>;

  explicit TScriptedResponder(TReporter reporter = {});
  ~TScriptedResponder() override;

  // A message box returns result (IDOK, IDYES, ...).
  void AnswerMessageBox(int result);
  // An input box is confirmed with text, or cancelled (nullopt).
  void AnswerInputBox(std::optional<std::string> text);
  // A modal form ends with result, as if a button with it was pressed.
  void AnswerForm(int modalResult);
  // A modal form is handed to fill: it sets controls and clicks buttons as
  // a user would. The form ends when fill leaves a modal result set (and
  // the form agrees to close); when it stays open, the next answer (which
  // must be for a form as well) goes on with it. expectedCaption, when not
  // empty, must equal the form's caption.
  void AnswerForm(std::function<void(TForm& form)> fill, std::string expectedCaption = {});
  // A modal form runs its real modal loop until a timer, a posted message or
  // a synchronised call sets its modal result; after timeoutMs it is
  // reported and cancelled.
  void AnswerFormByLoop(std::uint32_t timeoutMs = 5000);
  // A common dialog is handed to fn, which sets its result fields (file
  // name, colour, ...) and returns true to confirm.
  void AnswerDialog(std::function<bool(TCommonDialog& dialog)> fn);
  // A file or folder dialog is confirmed with path.
  void AnswerFileName(std::string path);
  // A pop-up menu waited for (TPopupMenu::PopupModal) is shown and runs its
  // real loop until the events the test queues close it; after timeoutMs it
  // is reported and closed.
  void AnswerMenuByLoop(std::uint32_t timeoutMs = 5000);
  // Any modal window is cancelled (IDCANCEL, mrCancel, not confirmed; a
  // menu closes without a choice).
  void AnswerCancel();

  // The newest responder, or nullptr.
  static TScriptedResponder* Current() { return static_cast<TScriptedResponder*>(current_); }

  std::optional<TAnswer> Take(TModalKind kind, const std::string& caption,
                              const std::string& text = {}) override;
  void Report(const std::string& failure) override;

 private:
  TReporter reporter_;
  TModalResponder* previous_ = nullptr;
};

// For the modal windows: who answers one now. User: it is shown and waits.
// Responder: the current responder answers. Default: there is no screen
// and no responder; the window takes its default answer (a message box its
// default button, a modal form its default button's result or Cancel, an
// input box its OK with the text it was given, a common dialog Cancel) and
// tells it with TellWithoutScreen.
enum class TModalAnswer { User, Responder, Default };
TModalAnswer HowToAnswer();

// Writes to stderr what a window would have asked and what it answered by
// itself: "Brak ekranu: <kind> "<caption>": <text> - odpowiedź: <answer>".
void TellWithoutScreen(TModalKind kind, const std::string& caption, const std::string& text,
                       const std::string& answer);
// How many message boxes answered themselves that way in this run: each is
// something the program had to tell the user and could not (the program
// ends with a non-zero exit code then). Any thread may call it.
int MessageBoxesWithoutScreen();

}  // namespace platform
