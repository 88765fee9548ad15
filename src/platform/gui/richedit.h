// The rich-text box that is written to by line and character position: lines
// appended on demand, a range of a line replaced, the colour and weight of a
// range set, paragraph tab stops given in points, the caret put at the start.
// The object information window builds its label and value cells on it.
//
// Positions count characters within one line (no line ends). GUI thread
// only; the form that holds the control owns it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gui/controls_std.h"

namespace platform {

class TCellRichEdit : public TRichEdit {
 public:
  TCellRichEdit();

  // At least 1: an empty box holds one empty line.
  int LineCount() const;
  // The text of line I (UTF-8); "" for a line that does not exist.
  std::string Line(int I) const;
  // Adds an empty line at the end.
  void AppendLine();
  // Replaces Count characters of line I from From with Text (UTF-8, no line
  // ends); positions beyond the line are clamped to its end. A line that
  // does not exist is left alone.
  void ReplaceInLine(int I, int From, int Count, std::string_view Text);
  // Colour (0x00BBGGRR) and bold weight of Count characters of line I from
  // From.
  void FormatRange(int I, int From, int Count, std::uint32_t Color, bool Bold);
  std::uint32_t ColorInLine(int I, int Pos) const;
  bool BoldInLine(int I, int Pos) const;
  // Left tab stops of every paragraph, in points from the left edge.
  void SetTabStopsPoints(const std::vector<double>& Points);
  std::vector<double> TabStopsPoints() const { return tabPoints_; }
  // The tab stops line I carries, in points (empty for a line that does not
  // exist or has none).
  std::vector<double> TabStopsPointsInLine(int I) const;
  // Caret at the start of the text, nothing selected.
  void CaretToStart();
  int CaretPosition() const;
  bool WordWrap() const;
  void SetWordWrap(bool Wrap);

 private:
  std::vector<double> tabPoints_;
};

}  // namespace platform
