// The conversion window: a list of old-format layer files and a target
// directory, converted one after another on a worker thread behind the
// modal progress window (caption "Konwersja"). A file that is no old layer
// file, or whose target name is taken twice over (the name and "x_" and the
// name), is skipped; the skipped files, the texts the conversion had to cut
// and the files that end inside a record (converted up to their last whole
// record) are listed when the run ends. A missing source or a failed write ends
// the run with its message.
//
// TConvDialog: GUI thread only; whoever makes it owns it; it owns its
// controls and dialogs. TConvThread: made by the dialog's "Konwersja"
// button and started as a progress thread (it frees itself); it reads the
// dialog's list only through synchronised calls and touches no window
// otherwise.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "foundation/threads/cancel.h"
#include "layers/store/layerconv.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"

namespace platform {
class TButton;
class TEdit;
class TLabel;
class TListBox;
}  // namespace platform

class TConvDialog : public platform::TForm {
public:
  TConvDialog();
  ~TConvDialog() override;

  platform::TLabel* Label1 = nullptr;
  platform::TListBox* FileList = nullptr;
  platform::TLabel* Label2 = nullptr;
  platform::TEdit* OutDir = nullptr;
  platform::TButton* BitBtn1 = nullptr;  // "Dodaj..."
  platform::TButton* BitBtn2 = nullptr;  // "Usuń"
  platform::TButton* BitBtn3 = nullptr;  // "Przeglądaj..."
  platform::TButton* BitBtn4 = nullptr;  // "Konwersja"
  platform::TButton* BitBtn5 = nullptr;  // "Zamknij"
  std::unique_ptr<platform::TOpenDialog> OpenDialog;
  std::unique_ptr<platform::TFolderDialog> BrowseDialog;

private:
  void AddFiles();
  void RemoveSelected();
  void Browse();
  void Convert();
};

class TConvThread : public TProgressThread {
public:
  // The files are items 0..count-1 of the dialog's list; outDir is used as
  // given (it ends with a separator when the browse button set it).
  TConvThread(TConvDialog& dialog, int count, std::string outDir);

  // What the run left for its report; any thread (guarded).
  std::vector<std::string> Skipped() const;
  std::vector<std::string> CutTexts() const;
  std::vector<std::string> TornFiles() const;
  int Converted() const;

  // The report of a run: the skipped files, the files with cut texts and
  // the files whose last record was torn; empty when there is nothing to
  // tell.
  static std::string Report(const std::vector<std::string>& skipped,
                            const std::vector<std::string>& cut,
                            const std::vector<std::string>& torn = {});

protected:
  void Run() override;

private:
  class Progress : public IConversionProgress {
  public:
    explicit Progress(TConvThread& thread) : thread_(thread) {}
    void SetMax(std::int32_t max) override { thread_.SetMax(max); }
    void SetPosition(std::int32_t position) override { thread_.SetPosition(position); }
    void CheckCanceled() override { thread_.CheckCanceled(); }

  private:
    TConvThread& thread_;
  };
  void ConvertOne(const std::string& source, Progress& progress);
  void ShowReport();

  std::string fileName_;  // the file being converted
  int index_ = 0;
  TConvDialog& dialog_;
  int count_;
  std::string outDir_;

  mutable std::mutex mutex_;
  std::vector<std::string> skipped_;
  std::vector<std::string> cut_;
  std::vector<std::string> torn_;
  int converted_ = 0;
};
