// Targets of painting that do not keep pixels: a printer (a print job page by
// page; without a printer name it writes a PDF file) and a metafile (drawing
// recorded in memory and played onto any canvas, as the print preview does).
#pragma once

#include <memory>
#include <string>

#include "platform/paint/gdi.h"

namespace platform {

struct TPrinterSettings {
  std::string PrinterName;  // an installed printer; empty: PDF into OutputFile
  std::string OutputFile;   // the PDF file (or a printer's print-to-file)
  std::string Title;        // the job's name
  double PaperWidthMm = 210.0;
  double PaperHeightMm = 297.0;
  bool Landscape = false;
  int Resolution = 300;  // dots per inch, the canvas's device units
  int Copies = 1;
};

// A print job. The canvas exists from BeginDoc to EndDoc or Abort; its origin
// is the paper's top left corner and its units are dots of Resolution. Raster
// operations do not reach a printer (see TPenMode). One thread at a time.
class TPrinter {
 public:
  explicit TPrinter(const TPrinterSettings& settings);
  // An unfinished job is aborted.
  ~TPrinter();
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  // Starts the job on the first page; false with LastError when the printer
  // or the output file cannot be opened, or a job runs already.
  bool BeginDoc();
  bool Printing() const;
  // The job's canvas; only while Printing.
  TCanvas& Canvas();
  // Ends the page and starts the next one.
  bool NewPage();
  int PageNumber() const { return page_; }
  // The job's name (TPrinterSettings::Title).
  const std::string& Title() const;
  // Ends the job; the output is complete when it returns true.
  bool EndDoc();
  // Ends the job without finishing it; a PDF file begun is deleted.
  void Abort();

  // The page in dots (paper size at Resolution, turned when Landscape).
  int PageWidth() const;
  int PageHeight() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  int page_ = 0;
};

// A recording of drawing calls with a frame size. Recording starts anew with
// BeginRecording and ends with EndRecording; Play draws the recording onto a
// canvas, raster operations included, pixel for pixel as the drawing itself
// would (glyphs of turned text may land a pixel apart). One thread at a time.
class TMetafile {
 public:
  TMetafile(int width, int height);
  ~TMetafile();
  TMetafile(const TMetafile&) = delete;
  TMetafile& operator=(const TMetafile&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }

  // The recording canvas (its size is the frame); earlier content is dropped.
  TCanvas& BeginRecording();
  void EndRecording();
  bool Recording() const;
  bool Empty() const;

  // Plays the recording with its origin at (x, y) of dest; false (with
  // LastError) while recording or when dest cannot be drawn on.
  bool Play(TCanvas& dest, int x, int y) const;
  // Plays it scaled so that its frame fills r.
  bool PlayStretched(TCanvas& dest, const TGdiRect& r) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace platform
