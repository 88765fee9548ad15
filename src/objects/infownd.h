// The object information window "Informacja": a read-only rich-text box in
// which every line is a row of label and value cells, written by (row,
// column) so that the view, the sublayer and the object each fill their own
// rows. A label cell is its text, ":" and a tab; a value cell is its text. A
// tab right after a colon belongs to its label, any other tab separates
// columns; column 1 is the first pair of a row, column 0 its start.
// Labels are blue and regular, values black and bold; paragraph tab stops at
// 52, 110 and 170 points.
//
// GUI thread only. The window owns its controls; whoever makes it frees it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "objects/grobj.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/forms.h"
#include "platform/gui/richedit.h"

class TGrObjInfo : public platform::TForm, public IGrObjInfo {
 public:
  // Label colour (blue, 0x00BBGGRR) and value colour.
  static constexpr std::uint32_t kLabelColour = 0xFF0000;
  static constexpr std::uint32_t kValueColour = 0x000000;

  // Caption "Informacja", client 409 x 285, fixed border, the box over the
  // top 249 pixels and the OK button below. Made through platform::MakeForm.
  TGrObjInfo();

  void SetLabel(int Row, int Col, const std::string& Text) override;
  void SetValue(int Row, int Col, const std::string& Text) override;

  platform::TCellRichEdit& Info() { return *info_; }
  platform::TBitBtn& Ok() { return *ok_; }

  // The character position in Line where column Col starts, or none.
  static std::optional<std::size_t> FindColumn(const std::u32string& Line, int Col);

 protected:
  void DoShow() override;

 private:
  // Lines appended until the box has Row + 1 lines; the line as characters.
  std::u32string EnsureRow(int Row);
  void SetTabStops();

  platform::TCellRichEdit* info_ = nullptr;
  platform::TBitBtn* ok_ = nullptr;
};
