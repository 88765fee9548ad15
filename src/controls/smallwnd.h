// The small windows every part of the program uses: progress windows (one
// with an abort button), the printing window, a one-line input dialog and a
// yes/no/cancel question with "Na wszystkie" (and a variant with an answer
// for correcting).
//
// GUI thread only. Whoever makes a window owns it; each window owns its
// controls. TPrintingWnd does not own the printer it shows.
#pragma once

#include <string>

#include "platform/gui/forms.h"

namespace platform {
class TBitBtn;
class TButton;
class TCheckBox;
class TEdit;
class TLabel;
class TPanel;
class TPrinter;
}  // namespace platform

class TNewProgressBar;

// A progress window: always on top, centred, a bar of 0..Maximum.
class TProgressWnd : public platform::TForm {
public:
  TProgressWnd(const std::string& Caption, std::int32_t Maximum);
  // The next phase of the same work: new caption, bar 0..Maximum (the
  // position is the caller's to set).
  void Reset(const std::string& Caption, std::int32_t Maximum);

  TNewProgressBar* Bar = nullptr;
};

// A progress window with "Przerwij": the caller calls Step between pieces
// of work and polls Aborted.
class TProgressAbortWnd : public TProgressWnd {
public:
  TProgressAbortWnd(const std::string& Caption, std::int32_t Maximum);
  // Bar position := Position, then the pending window messages are handled,
  // so that a click on "Przerwij" is seen.
  void Step(std::int32_t Position);
  bool Aborted() const { return FAborted; }

  platform::TButton* AbortBtn = nullptr;

private:
  bool FAborted = false;
};

// Shows the title and page of the printer's current job; "Przerwij" (also
// Esc) aborts the job.
class TPrintingWnd : public platform::TForm {
public:
  explicit TPrintingWnd(platform::TPrinter& Printer);
  // "Strona: " and the printer's current page number, painted at once.
  void SetPage();

  platform::TPanel* Panel = nullptr;
  platform::TLabel* Title = nullptr;
  platform::TLabel* Page = nullptr;
  platform::TButton* AbortBtn = nullptr;

private:
  platform::TPrinter& FPrinter;
};

// A one-line input dialog.
class TInputWnd : public platform::TForm {
public:
  TInputWnd();
  // The edited text after OK, else Initial (also when the edit changed).
  static std::string Execute(const std::string& Caption, const std::string& Prompt,
                             const std::string& Initial);
  // True after OK, and only then Text becomes the edited text.
  static bool ExecuteOk(const std::string& Caption, const std::string& Prompt, std::string& Text);

  platform::TLabel* LabelText = nullptr;
  platform::TEdit* Value = nullptr;
  platform::TButton* OKBtn = nullptr;
  platform::TButton* CancelBtn = nullptr;

private:
  // Shows the dialog; true after OK, with Text the edited text.
  static bool Run(const std::string& Caption, const std::string& Prompt, std::string& Text);
};

// "Potwierdź": a question answered Yes (mrYes), No (mrNo) or Cancel
// (mrCancel); "Na wszystkie" asks for the same answer in the remaining cases.
class TYesNoAll : public platform::TForm {
public:
  TYesNoAll();
  void SetMessage(const std::string& Text);
  bool GetAll() const;

  platform::TLabel* Komunikat = nullptr;
  platform::TCheckBox* All = nullptr;
  platform::TButton* YesBtn = nullptr;
  platform::TButton* NoBtn = nullptr;
  platform::TButton* CancelBtn = nullptr;
};

// The question with a fourth answer, "&Popraw" (mrRetry).
class TFixQuery : public TYesNoAll {
public:
  TFixQuery();

  platform::TButton* FixBtn = nullptr;
};
