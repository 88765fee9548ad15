#include "layers/dialogs/convdlg.h"

#include "foundation/storage/fileopener.h"
#include "platform/files/files.h"
#include "platform/gui/controls_std.h"

using namespace platform;

namespace {

std::string FileNameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

// --- The window --------------------------------------------------------------

TConvDialog::TConvDialog() {
  SetCaption("Konwersja");
  SetBorderStyle(TFormBorderStyle::Dialog);
  SetPosition(TPosition::ScreenCenter);
  SetClientWidth(460);
  SetClientHeight(300);

  // Created in the order of the screen: the tab order follows it.
  Label1 = Create<TLabel>(this, "Label1");
  Label1->SetBounds(8, 8, 200, 16);
  Label1->SetCaption("&Wybrane pliki");
  FileList = Create<TListBox>(this, "FileList");
  FileList->SetBounds(8, 26, 340, 200);
  FileList->SetMultiSelect(true);
  Label1->SetFocusControl(FileList);
  BitBtn1 = Create<TButton>(this, "BitBtn1");
  BitBtn1->SetBounds(358, 26, 94, 25);
  BitBtn1->SetCaption("&Dodaj...");
  BitBtn1->OnClick = [this](TComponent&) { AddFiles(); };
  BitBtn2 = Create<TButton>(this, "BitBtn2");
  BitBtn2->SetBounds(358, 58, 94, 25);
  BitBtn2->SetCaption("&Usuń");
  BitBtn2->OnClick = [this](TComponent&) { RemoveSelected(); };
  Label2 = Create<TLabel>(this, "Label2");
  Label2->SetBounds(8, 234, 200, 16);
  Label2->SetCaption("Katalog do&celowy");
  OutDir = Create<TEdit>(this, "OutDir");
  OutDir->SetBounds(8, 252, 340, 21);
  Label2->SetFocusControl(OutDir);
  BitBtn3 = Create<TButton>(this, "BitBtn3");
  BitBtn3->SetBounds(358, 250, 94, 25);
  BitBtn3->SetCaption("&Przeglądaj...");
  BitBtn3->OnClick = [this](TComponent&) { Browse(); };
  BitBtn4 = Create<TButton>(this, "BitBtn4");
  BitBtn4->SetBounds(358, 160, 94, 25);
  BitBtn4->SetCaption("&Konwersja");
  BitBtn4->SetDefault(true);
  BitBtn4->OnClick = [this](TComponent&) { Convert(); };
  BitBtn5 = Create<TButton>(this, "BitBtn5");
  BitBtn5->SetBounds(358, 192, 94, 25);
  BitBtn5->SetCaption("&Zamknij");
  BitBtn5->SetCancel(true);
  BitBtn5->SetModalResult(mrCancel);

  OpenDialog = std::make_unique<TOpenDialog>();
  OpenDialog->SetOptions(OpenDialog->Options() | ofAllowMultiSelect | ofFileMustExist);
  OpenDialog->SetFilter("Warstwy tekstowe|*.??t|Warstwy liniowe|*.??l|Warstwy|*.??t;*.??l");
  OpenDialog->SetFilterIndex(3);
  BrowseDialog = std::make_unique<TFolderDialog>();
  SetActiveControl(FileList);
}

TConvDialog::~TConvDialog() = default;

void TConvDialog::AddFiles() {
  if (!OpenDialog->Execute()) return;
  for (const std::string& file : OpenDialog->Files()) FileList->Items().Add(file);
}

void TConvDialog::RemoveSelected() {
  const int current = FileList->ItemIndex();
  if (current < 0) return;
  for (int i = FileList->Items().Count() - 1; i >= 0; --i)
    if (FileList->Selected(i)) FileList->Items().Delete(i);
  if (current < FileList->Items().Count()) {
    FileList->SetItemIndex(current);
    FileList->SetSelected(current, true);
  }
}

void TConvDialog::Browse() {
  if (!OutDir->Text().empty()) BrowseDialog->SetDirectory(OutDir->Text());
  if (!BrowseDialog->Execute()) return;
  std::string dir = BrowseDialog->Directory();
  if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += '/';
  OutDir->SetText(dir);
}

void TConvDialog::Convert() {
  {
    auto thread = TProgressThread::Start(
        std::make_unique<TConvThread>(*this, FileList->Items().Count(), OutDir->Text()));
    thread->ShowWindow("Konwersja");
  }
  FileList->Items().Clear();
}

// --- The worker --------------------------------------------------------------

TConvThread::TConvThread(TConvDialog& dialog, int count, std::string outDir)
    : dialog_(dialog), count_(count), outDir_(std::move(outDir)) {}

std::vector<std::string> TConvThread::Skipped() const {
  std::lock_guard lock(mutex_);
  return skipped_;
}

std::vector<std::string> TConvThread::CutTexts() const {
  std::lock_guard lock(mutex_);
  return cut_;
}

std::vector<std::string> TConvThread::TornFiles() const {
  std::lock_guard lock(mutex_);
  return torn_;
}

int TConvThread::Converted() const {
  std::lock_guard lock(mutex_);
  return converted_;
}

std::string TConvThread::Report(const std::vector<std::string>& skipped,
                                const std::vector<std::string>& cut,
                                const std::vector<std::string>& torn) {
  std::string text;
  if (!skipped.empty()) {
    text += "Pominięte pliki:";
    for (const std::string& s : skipped) text += "\n" + s;
  }
  if (!cut.empty()) {
    if (!text.empty()) text += "\n\n";
    text += "Skrócone teksty (z punktem odniesienia do 18 znaków, nazwy symboli do 25):";
    for (const std::string& s : cut) text += "\n" + s;
  }
  if (!torn.empty()) {
    if (!text.empty()) text += "\n\n";
    text += "Pliki kończące się niepełnym rekordem (przekształcone do ostatniego pełnego):";
    for (const std::string& s : torn) text += "\n" + s;
  }
  return text;
}

void TConvThread::Run() {
  Progress progress(*this);
  // The report comes also when an error or a cancel ends the run.
  struct Report {
    TConvThread& thread;
    ~Report() {
      try {
        thread.ShowReport();
      } catch (...) {
        // The report is lost; the run's own error still reaches the user.
      }
    }
  } report{*this};
  for (index_ = 0; index_ < count_; ++index_) {
    CheckCanceled();
    std::string source;
    Synchronize([&] {
      // After a cancel the window may go before this thread ends: the flag
      // is set on the GUI thread before the progress window returns.
      if (Canceled()) return;
      if (index_ < dialog_.FileList->Items().Count()) source = dialog_.FileList->Items()[index_];
    });
    CheckCanceled();
    if (source.empty()) continue;
    ConvertOne(source, progress);
  }
}

void TConvThread::ConvertOne(const std::string& source, Progress& progress) {
  fileName_ = source;
  const std::string name = FileNameOf(source);
  std::string target = outDir_ + name;
  if (FileOpener().FileExists(target)) {
    target = outDir_ + "x_" + name;
    // Both names taken: the file already there stays as it is.
    if (FileOpener().FileExists(target)) {
      std::lock_guard lock(mutex_);
      skipped_.push_back(source + " - plik " + target + " już istnieje");
      return;
    }
  }
  SetText("Konwertuję " + source + " na " + target);
  try {
    const TConversionResult r = ConvertLayerFile(source, target, progress);
    std::lock_guard lock(mutex_);
    ++converted_;
    if (r.CutTexts > 0)
      cut_.push_back(target + " - " + std::to_string(r.CutTexts));
    if (r.TornRecord > 0)
      torn_.push_back(source + " - rekord " + std::to_string(r.TornRecord) + " niepełny");
  } catch (const EWarstwaFormat& e) {
    std::lock_guard lock(mutex_);
    skipped_.push_back(source + " - " + e.what());
  }
}

void TConvThread::ShowReport() {
  const std::string text = Report(Skipped(), CutTexts(), TornFiles());
  if (text.empty()) return;
  Synchronize([&] { MessageBox(text, "Konwersja", MB_OK | MB_ICONWARNING); });
}
