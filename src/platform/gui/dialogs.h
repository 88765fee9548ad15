// Message boxes, input boxes and the common dialogs (open, save, folder,
// colour, font, printer setup). Each waits for the user, or takes the
// scripted responder's answer (responder.h) in tests.
//
// GUI thread only. A dialog object owns only its settings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gui/controls.h"

namespace platform {

// Message box flags and results (the Windows values).
inline constexpr unsigned MB_OK = 0x0;
inline constexpr unsigned MB_OKCANCEL = 0x1;
inline constexpr unsigned MB_ABORTRETRYIGNORE = 0x2;
inline constexpr unsigned MB_YESNOCANCEL = 0x3;
inline constexpr unsigned MB_YESNO = 0x4;
inline constexpr unsigned MB_RETRYCANCEL = 0x5;
inline constexpr unsigned MB_ICONERROR = 0x10;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONWARNING = 0x30;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;
inline constexpr unsigned MB_DEFBUTTON2 = 0x100;
inline constexpr unsigned MB_DEFBUTTON3 = 0x200;
inline constexpr unsigned MB_TASKMODAL = 0x2000;
inline constexpr unsigned MB_SETFOREGROUND = 0x10000;
inline constexpr unsigned MB_TOPMOST = 0x40000;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// The buttons a message box with these flags offers, as ID... results.
std::vector<int> MessageBoxResults(unsigned flags);

// A message box: text, caption, buttons and icon by flags; returns the
// pressed button's ID... (IDCANCEL, or IDNO for Yes/No, when closed).
int MessageBox(const std::string& text, const std::string& caption, unsigned flags);

// The framework's message dialog: a caption by type ("Ostrzeżenie", "Błąd",
// "Informacja", "Potwierdzenie"; the program title for Custom) and buttons as
// a set of bits; returns a modal result (mrYes, mrOk, ...).
enum class TMsgDlgType { Warning, Error, Information, Confirmation, Custom };
using TMsgDlgButtons = unsigned;
inline constexpr TMsgDlgButtons mbYes = 0x01;
inline constexpr TMsgDlgButtons mbNo = 0x02;
inline constexpr TMsgDlgButtons mbOK = 0x04;
inline constexpr TMsgDlgButtons mbCancel = 0x08;
inline constexpr TMsgDlgButtons mbAbort = 0x10;
inline constexpr TMsgDlgButtons mbRetry = 0x20;
inline constexpr TMsgDlgButtons mbIgnore = 0x40;
inline constexpr TMsgDlgButtons mbYesNoCancel = mbYes | mbNo | mbCancel;
inline constexpr TMsgDlgButtons mbOKCancel = mbOK | mbCancel;
TModalResult MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons,
                        int helpContext = 0);
// A message with the program title as caption and an OK button.
void ShowMessage(const std::string& text);

// An input box: caption, prompt and the text to start with; the typed text
// when confirmed, defaultText when cancelled.
std::string InputBox(const std::string& caption, const std::string& prompt,
                     const std::string& defaultText);
// As InputBox; value is changed only when confirmed (then true).
bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value);

// Base of the common dialogs: Execute shows it and returns true when the
// user confirmed it.
class TCommonDialog : public TComponent {
 public:
  const std::string& Title() const { return title_; }
  void SetTitle(std::string title) { title_ = std::move(title); }
  bool Execute();

 protected:
  // Shows the real dialog; true when confirmed.
  virtual bool ExecuteNative() = 0;
  // The caption recorded for the responder.
  virtual std::string DefaultTitle() const = 0;
  // The caption shown: the title, or the default one when none is set.
  std::string Caption() const { return title_.empty() ? DefaultTitle() : title_; }

 private:
  friend class TScriptedResponder;
  std::string title_;
};

// Options of the file dialogs (bits).
inline constexpr unsigned ofOverwritePrompt = 0x01;
inline constexpr unsigned ofHideReadOnly = 0x02;
inline constexpr unsigned ofAllowMultiSelect = 0x04;
inline constexpr unsigned ofPathMustExist = 0x08;
inline constexpr unsigned ofFileMustExist = 0x10;

// File-open dialog. Filter: "Description|*.a;*.b|Other|*.*"; FilterIndex
// counts from 1.
class TOpenDialog : public TCommonDialog {
 public:
  const std::string& FileName() const { return fileName_; }
  void SetFileName(std::string name) { fileName_ = std::move(name); }
  const std::vector<std::string>& Files() const { return files_; }
  void SetFiles(std::vector<std::string> files) { files_ = std::move(files); }
  const std::string& Filter() const { return filter_; }
  void SetFilter(std::string filter) { filter_ = std::move(filter); }
  int FilterIndex() const { return filterIndex_; }
  void SetFilterIndex(int index) { filterIndex_ = index; }
  const std::string& InitialDir() const { return initialDir_; }
  void SetInitialDir(std::string dir) { initialDir_ = std::move(dir); }
  const std::string& DefaultExt() const { return defaultExt_; }
  void SetDefaultExt(std::string ext) { defaultExt_ = std::move(ext); }
  unsigned Options() const { return options_; }
  void SetOptions(unsigned options) { options_ = options; }

 protected:
  bool ExecuteNative() override;
  std::string DefaultTitle() const override { return "Otwórz"; }
  bool saving_ = false;

 private:
  std::string fileName_;
  std::vector<std::string> files_;
  std::string filter_;
  int filterIndex_ = 1;
  std::string initialDir_;
  std::string defaultExt_;
  unsigned options_ = ofHideReadOnly;
};

class TSaveDialog : public TOpenDialog {
 public:
  TSaveDialog() { saving_ = true; }

 protected:
  std::string DefaultTitle() const override { return "Zapisz jako"; }
};

class TFolderDialog : public TCommonDialog {
 public:
  const std::string& Directory() const { return directory_; }
  void SetDirectory(std::string dir) { directory_ = std::move(dir); }

 protected:
  bool ExecuteNative() override;
  std::string DefaultTitle() const override { return "Wybierz folder"; }

 private:
  std::string directory_;
};

class TColorDialog : public TCommonDialog {
 public:
  // 0x00BBGGRR.
  std::uint32_t Color() const { return color_; }
  void SetColor(std::uint32_t color) { color_ = color; }
  bool FullOpen() const { return fullOpen_; }
  void SetFullOpen(bool full) { fullOpen_ = full; }

 protected:
  bool ExecuteNative() override;
  std::string DefaultTitle() const override { return "Kolor"; }

 private:
  std::uint32_t color_ = 0;
  bool fullOpen_ = false;
};

// A font as the font dialog edits it.
struct TFontChoice {
  std::string name = "Arial";
  int size = 8;  // points
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  std::uint32_t color = 0;
};

class TFontDialog : public TCommonDialog {
 public:
  TFontChoice& Font() { return font_; }

 protected:
  bool ExecuteNative() override;
  std::string DefaultTitle() const override { return "Czcionka"; }

 private:
  TFontChoice font_;
};

enum class TPrinterOrientation { Portrait, Landscape };

// Printer setup: the printer, the orientation and the number of copies.
class TPrinterSetupDialog : public TCommonDialog {
 public:
  const std::string& PrinterName() const { return printerName_; }
  void SetPrinterName(std::string name) { printerName_ = std::move(name); }
  TPrinterOrientation Orientation() const { return orientation_; }
  void SetOrientation(TPrinterOrientation o) { orientation_ = o; }
  int Copies() const { return copies_; }
  void SetCopies(int copies) { copies_ = copies; }

 protected:
  bool ExecuteNative() override;
  std::string DefaultTitle() const override { return "Ustawienia wydruku"; }

 private:
  std::string printerName_;
  TPrinterOrientation orientation_ = TPrinterOrientation::Portrait;
  int copies_ = 1;
};

// The windowing system's filter text of a filter in the system's notation
// ("Opis|*.a;*.b" -> "Opis (*.a *.b)", entries joined by ";;").
std::string NativeFileFilter(const std::string& filter);

}  // namespace platform
