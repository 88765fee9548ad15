#include "platform/gui/dialogs.h"

#include <algorithm>

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include "platform/gui/application.h"
#include "platform/gui/controls_impl.h"
#include "platform/gui/responder.h"

namespace platform {
namespace {

// Counts a real modal window in the application's modal level.
struct TModalScope {
  TModalScope() { Application().EnterModal(); }
  ~TModalScope() { Application().LeaveModal(); }
};

QWidget* DialogParent() { return QApplication::activeWindow(); }

// The caption of a message box's button (with its accelerator).
const char* ButtonCaption(int id) {
  return id == IDOK       ? "OK"
         : id == IDCANCEL ? "Anuluj"
         : id == IDABORT  ? "&Przerwij"
         : id == IDRETRY  ? "&Ponów"
         : id == IDIGNORE ? "&Ignoruj"
         : id == IDYES    ? "&Tak"
                          : "&Nie";
}

}  // namespace

std::vector<int> MessageBoxResults(unsigned flags) {
  switch (flags & 0xF) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    default: return {IDOK};
  }
}

int MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
  std::vector<int> results = MessageBoxResults(flags);
  // Closing the box gives Cancel where it has one; No for Yes/No; else the
  // only button.
  int closed = std::find(results.begin(), results.end(), IDCANCEL) != results.end() ? IDCANCEL
               : (flags & 0xF) == MB_YESNO                                        ? IDNO
               : (flags & 0xF) == MB_ABORTRETRYIGNORE                             ? IDABORT
                                                                                  : IDOK;
  size_t def = (flags & MB_DEFBUTTON3) ? 2 : (flags & MB_DEFBUTTON2) ? 1 : 0;
  if (def >= results.size()) def = 0;
  const TModalAnswer how = HowToAnswer();
  if (how == TModalAnswer::Default) {
    TellWithoutScreen(TModalKind::MessageBox, caption, text,
                      FromQ(StripAccelerator(ButtonCaption(results[def]))));
    return results[def];
  }
  if (how == TModalAnswer::Responder) {
    TModalResponder* responder = TModalResponder::Current();
    responder->Record(TShownModal{TModalKind::MessageBox, caption, text, flags});
    auto answer = responder->Take(TModalKind::MessageBox, caption, text);
    if (!answer || answer->kind == TModalResponder::TAnswer::Kind::Cancel) return closed;
    if (std::find(results.begin(), results.end(), answer->result) == results.end()) {
      responder->Report("Okno komunikatu \"" + caption + "\" nie ma przycisku " +
                        std::to_string(answer->result));
      return closed;
    }
    return answer->result;
  }
  TModalScope scope;
  QMessageBox box(DialogParent());
  box.setWindowTitle(ToQ(caption));
  box.setText(ToQ(text));
  switch (flags & 0xF0) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
  }
  std::vector<std::pair<QPushButton*, int>> buttons;
  for (int id : results) {
    const char* label = ButtonCaption(id);
    QMessageBox::ButtonRole role = id == IDCANCEL || id == IDNO ? QMessageBox::RejectRole
                                                                : QMessageBox::AcceptRole;
    buttons.emplace_back(box.addButton(QString::fromUtf8(label), role), id);
  }
  if (def < buttons.size()) box.setDefaultButton(buttons[def].first);
  box.exec();
  for (const auto& [button, id] : buttons)
    if (box.clickedButton() == button) return id;
  return closed;
}

TModalResult MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int) {
  std::string caption;
  unsigned icon = 0;
  switch (type) {
    case TMsgDlgType::Warning: caption = "Ostrzeżenie"; icon = MB_ICONWARNING; break;
    case TMsgDlgType::Error: caption = "Błąd"; icon = MB_ICONERROR; break;
    case TMsgDlgType::Information: caption = "Informacja"; icon = MB_ICONINFORMATION; break;
    case TMsgDlgType::Confirmation: caption = "Potwierdzenie"; icon = MB_ICONQUESTION; break;
    case TMsgDlgType::Custom: caption = Application().Title(); break;
  }
  unsigned kind = MB_OK;
  if ((buttons & mbYes) && (buttons & mbNo)) kind = (buttons & mbCancel) ? MB_YESNOCANCEL : MB_YESNO;
  else if (buttons & mbAbort) kind = MB_ABORTRETRYIGNORE;
  else if ((buttons & mbRetry) && (buttons & mbCancel)) kind = MB_RETRYCANCEL;
  else if ((buttons & mbOK) && (buttons & mbCancel)) kind = MB_OKCANCEL;
  // Message box results and modal results share their numbers.
  return MessageBox(text, caption, kind | icon);
}

void ShowMessage(const std::string& text) { MessageBox(text, Application().Title(), MB_OK); }

bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
  const TModalAnswer how = HowToAnswer();
  if (how == TModalAnswer::Default) {
    // OK, the default button, with the text the box was given.
    TellWithoutScreen(TModalKind::InputBox, caption, prompt, "OK \"" + value + "\"");
    return true;
  }
  if (how == TModalAnswer::Responder) {
    TModalResponder* responder = TModalResponder::Current();
    responder->Record(TShownModal{TModalKind::InputBox, caption, prompt, 0});
    auto answer = responder->Take(TModalKind::InputBox, caption, prompt);
    if (!answer || answer->kind == TModalResponder::TAnswer::Kind::Cancel || !answer->text)
      return false;
    value = *answer->text;
    return true;
  }
  TModalScope scope;
  bool ok = false;
  QString text = QInputDialog::getText(DialogParent(), ToQ(caption), ToQ(prompt), QLineEdit::Normal,
                                       ToQ(value), &ok);
  if (ok) value = FromQ(text);
  return ok;
}

std::string InputBox(const std::string& caption, const std::string& prompt,
                     const std::string& defaultText) {
  std::string value = defaultText;
  InputQuery(caption, prompt, value);
  return value;
}

bool TCommonDialog::Execute() {
  std::string caption = Caption();
  const TModalAnswer how = HowToAnswer();
  if (how == TModalAnswer::Default) {
    TellWithoutScreen(TModalKind::Dialog, caption, {}, "Anuluj");
    return false;
  }
  if (how == TModalAnswer::Responder) {
    TModalResponder* responder = TModalResponder::Current();
    responder->Record(TShownModal{TModalKind::Dialog, caption, {}, 0});
    auto answer = responder->Take(TModalKind::Dialog, caption);
    if (!answer) return false;
    using K = TModalResponder::TAnswer::Kind;
    if (answer->kind == K::Cancel) return false;
    if (answer->kind == K::Dialog) return answer->dialog(*this);
    // A file name answer.
    if (auto* open = dynamic_cast<TOpenDialog*>(this)) {
      open->SetFileName(*answer->text);
      open->SetFiles({*answer->text});
      return true;
    }
    if (auto* folder = dynamic_cast<TFolderDialog*>(this)) {
      folder->SetDirectory(*answer->text);
      return true;
    }
    responder->Report("Odpowiedź nazwą pliku dla okna \"" + caption + "\"");
    return false;
  }
  TModalScope scope;
  return ExecuteNative();
}

std::string NativeFileFilter(const std::string& filter) {
  if (filter.empty()) return {};
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t bar = filter.find('|', start);
    parts.push_back(filter.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  std::string out;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    std::string description = parts[i];
    // A description that already names its patterns in parentheses keeps
    // only the words before them.
    if (!description.empty() && description.back() == ')') {
      size_t open = description.rfind('(');
      if (open != std::string::npos) description = description.substr(0, open);
      while (!description.empty() && description.back() == ' ') description.pop_back();
    }
    std::string patterns = parts[i + 1];
    std::replace(patterns.begin(), patterns.end(), ';', ' ');
    if (!out.empty()) out += ";;";
    out += description + " (" + patterns + ")";
  }
  return out;
}

bool TOpenDialog::ExecuteNative() {
  QFileDialog dialog(DialogParent(), ToQ(Caption()), ToQ(initialDir_));
  QStringList filters = ToQ(NativeFileFilter(filter_)).split(QStringLiteral(";;"), Qt::SkipEmptyParts);
  dialog.setNameFilters(filters);
  if (filterIndex_ >= 1 && filterIndex_ <= filters.size()) dialog.selectNameFilter(filters[filterIndex_ - 1]);
  dialog.setDefaultSuffix(ToQ(defaultExt_));
  if (!fileName_.empty()) dialog.selectFile(ToQ(fileName_));
  if (saving_) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!(options_ & ofOverwritePrompt)) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode((options_ & ofAllowMultiSelect) ? QFileDialog::ExistingFiles
                       : (options_ & ofFileMustExist)  ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
  }
  if (dialog.exec() != QDialog::Accepted) return false;
  files_.clear();
  for (const QString& f : dialog.selectedFiles()) files_.push_back(FromQ(f));
  fileName_ = files_.empty() ? std::string() : files_.front();
  filterIndex_ = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
  return !files_.empty();
}

bool TFolderDialog::ExecuteNative() {
  QString dir =
      QFileDialog::getExistingDirectory(DialogParent(), ToQ(Caption()), ToQ(directory_));
  if (dir.isEmpty()) return false;
  directory_ = FromQ(dir);
  return true;
}

bool TColorDialog::ExecuteNative() {
  QColor chosen = QColorDialog::getColor(ToQColor(color_), DialogParent(), ToQ(Caption()));
  if (!chosen.isValid()) return false;
  color_ = FromQColor(chosen);
  return true;
}

bool TFontDialog::ExecuteNative() {
  QFont initial(ToQ(font_.name), font_.size);
  initial.setBold(font_.bold);
  initial.setItalic(font_.italic);
  initial.setUnderline(font_.underline);
  initial.setStrikeOut(font_.strikeOut);
  bool ok = false;
  QFont font = QFontDialog::getFont(&ok, initial, DialogParent(), ToQ(Caption()));
  if (!ok) return false;
  font_.name = FromQ(font.family());
  font_.size = font.pointSize();
  font_.bold = font.bold();
  font_.italic = font.italic();
  font_.underline = font.underline();
  font_.strikeOut = font.strikeOut();
  return true;
}

bool TPrinterSetupDialog::ExecuteNative() {
  QPrinter printer;
  if (!printerName_.empty()) printer.setPrinterName(ToQ(printerName_));
  printer.setPageOrientation(orientation_ == TPrinterOrientation::Landscape ? QPageLayout::Landscape
                                                                            : QPageLayout::Portrait);
  printer.setCopyCount(copies_);
  QPrintDialog dialog(&printer, DialogParent());
  if (dialog.exec() != QDialog::Accepted) return false;
  printerName_ = FromQ(printer.printerName());
  orientation_ = printer.pageLayout().orientation() == QPageLayout::Landscape
                     ? TPrinterOrientation::Landscape
                     : TPrinterOrientation::Portrait;
  copies_ = printer.copyCount();
  return true;
}

}  // namespace platform
