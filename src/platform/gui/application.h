// The application object: title, hints, modal state, the message pump,
// cursors and screen facts. The windowing system is started once, on first
// use (EnsureApplication), so tests need no main of their own; without a
// display it runs on the offscreen platform.
//
// Everything here belongs to the GUI thread (the thread that first called
// EnsureApplication), except where a function says otherwise.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace platform {

class TForm;

// Creates the windowing system once (idempotent). When neither DISPLAY nor
// WAYLAND_DISPLAY is set and QT_QPA_PLATFORM is not chosen, the offscreen
// platform is used. Call it on the thread that is to be the GUI thread.
void EnsureApplication();

// True on the GUI thread. Any thread may call it.
bool IsGuiThread();

// True when the windowing system runs without a screen (offscreen or
// minimal platform), as in tests.
bool IsHeadless();

// Standard cursors by the numbers the system uses; the program's own cursors
// take positive numbers (RegisterCursor).
enum TCursor : int {
  crDefault = 0,
  crNone = -1,
  crArrow = -2,
  crCross = -3,
  crIBeam = -4,
  crSizeNESW = -6,
  crSizeNS = -7,
  crSizeNWSE = -8,
  crSizeWE = -9,
  crUpArrow = -10,
  crHourGlass = -11,
  crDrag = -12,
  crNoDrop = -13,
  crHSplit = -14,
  crVSplit = -15,
  crMultiDrag = -16,
  crSQLWait = -17,
  crNo = -18,
  crAppStart = -19,
  crHelp = -20,
  crHandPoint = -21,
  crSizeAll = -22,
};

// A cursor picture of the program's own: rows of equal length, 'X' black,
// '.' white, ' ' transparent; the hot spot in pixels from the top left.
struct TCursorShape {
  std::vector<std::string> rows;
  int hotX = 0;
  int hotY = 0;
};

// Registers (or replaces) the program's own cursor under number (> 0).
// Throws std::invalid_argument for a number <= 0 or an empty or ragged shape.
void RegisterCursor(int number, const TCursorShape& shape);
// True when number is a standard cursor or a registered one.
bool CursorExists(int number);

// The hot spot of a cursor's picture, in pixels from its top left (where a
// picture of the cursor drawn by the program must be placed against the
// pointed position).
struct TCursorHotSpot {
  int x = 0;
  int y = 0;
  friend bool operator==(const TCursorHotSpot&, const TCursorHotSpot&) = default;
};
// A registered cursor's own hot spot. The standard pictures are 32 by 32
// pixels: the pointing ones (arrow, drag, no-drop, app start, help, none)
// point with their top left pixel, the up arrow and the hand at the middle
// of the top row, the others (cross, I-beam, sizes, waits, split, no) at the
// centre. A number that is neither, as it is shown as the arrow, answers the
// arrow's.
TCursorHotSpot CursorHotSpot(int number);

// Metrics the system's own windows are laid out with.
enum class TSystemMetric {
  ScreenWidth,
  ScreenHeight,
  CaptionHeight,
  FrameWidth,
  FrameHeight,
};
int SystemMetric(TSystemMetric metric);
// Horizontal and vertical dialog base units (average character width and
// character height of the standard font).
struct TDialogUnits {
  int x = 0;
  int y = 0;
};
TDialogUnits DialogBaseUnits();

// The windowing system's own text for source in context (the texts of its
// standard dialogs, such as "QColorDialog" / "&Basic colors"), as the user
// sees it: in Polish where the toolkit's Polish texts are installed.
std::string ToolkitText(const char* context, const char* source);

// The single application object (TApplication), made on first use.
class TApplication {
 public:
  // The program title (the caption of the standard message boxes).
  const std::string& Title() const { return title_; }
  void SetTitle(std::string title) { title_ = std::move(title); }

  // The long hint of the control under the mouse; setting it calls OnHint.
  const std::string& Hint() const { return hint_; }
  void SetHint(std::string hint);
  std::function<void()> OnHint;
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool show) { showHint_ = show; }

  // Delivers every pending window event, timer tick and posted message, then
  // returns. Safe to call from a handler (it does not recurse into a handler
  // already running for the same message).
  void ProcessMessages();
  // Runs the message loop until Terminate (or the main form closes). After a
  // Terminate made before it, Run delivers what is pending and returns.
  void Run();
  // Asks the message loop to end; Run returns once the loop sees it. The
  // request stays for the rest of the run.
  void Terminate();
  bool Terminated() const { return terminated_; }

  // The main form: closing it ends Run. Not owned.
  TForm* MainForm() const { return mainForm_; }
  void SetMainForm(TForm* form) { mainForm_ = form; }

  // How many modal windows (forms, message boxes, dialogs) are open now.
  int ModalLevel() const { return modalLevel_; }
  // Kept by the modal windows themselves.
  void EnterModal() { ++modalLevel_; }
  void LeaveModal() { --modalLevel_; }

  // Brings the active window of the program to the front.
  void BringToFront();

  // The standard error box: the exception's text, the program title as the
  // caption, the error icon and an OK button.
  void ShowException(const std::exception& error);
  // Takes the exceptions that leave event handlers, in place of
  // ShowException (the program uses it to keep its silent errors silent).
  std::function<void(const std::exception& error)> OnException;
  // Shows an exception that left an event handler (OnException, or
  // ShowException); one that is not a std::exception gets a general text.
  void HandleException(std::exception_ptr error);
  // Message box with the Windows flag and result codes (see dialogs.h).
  int MessageBox(const std::string& text, const std::string& caption, unsigned flags);

  // The screen cursor: crDefault lets each control show its own; any other
  // value overrides every window (the hourglass during long work).
  int ScreenCursor() const { return screenCursor_; }
  void SetScreenCursor(int cursor);

 private:
  friend TApplication& Application();
  TApplication() = default;

  std::string title_ = "Tolvika";
  std::string hint_;
  bool showHint_ = true;
  bool terminated_ = false;
  TForm* mainForm_ = nullptr;
  int modalLevel_ = 0;
  int screenCursor_ = crDefault;
};

// The application object; creates the windowing system on first use.
TApplication& Application();

}  // namespace platform
