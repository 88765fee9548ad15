#include "objects/infownd.h"

namespace {

std::u32string Decode(const std::string& S) {
  std::u32string out;
  for (std::size_t i = 0; i < S.size();) {
    const auto c = static_cast<unsigned char>(S[i]);
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : 0;
    char32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
    ++i;
    for (int k = 0; k < extra && i < S.size(); ++k, ++i) cp = (cp << 6) | (static_cast<unsigned char>(S[i]) & 0x3F);
    out.push_back(cp);
  }
  return out;
}

int Chars(const std::string& S) { return static_cast<int>(Decode(S).size()); }

std::string Tabs(int Col) { return std::string(Col > 1 ? static_cast<std::size_t>(Col - 1) : 0, '\t'); }

}  // namespace

TGrObjInfo::TGrObjInfo() {
  SetCaption("Informacja");
  SetBorderStyle(platform::TFormBorderStyle::Dialog);
  SetBounds(0, 0, 409, 285);
  info_ = Create<platform::TCellRichEdit>(this, "Info");
  info_->SetBounds(0, 0, 409, 249);
  info_->SetWordWrap(false);
  info_->SetTabStop(false);
  ok_ = Create<platform::TBitBtn>(this, "BitBtn1");
  ok_->SetKind(platform::TBitBtnKind::OK);
  // Esc closes the window as Enter does: it shows, it asks nothing.
  ok_->SetCancel(true);
  ok_->SetBounds(167, 254, 75, 25);
  SetTabStops();
}

void TGrObjInfo::SetTabStops() { info_->SetTabStopsPoints({52.0, 110.0, 170.0}); }

void TGrObjInfo::DoShow() {
  info_->CaretToStart();
  platform::TForm::DoShow();
}

std::optional<std::size_t> TGrObjInfo::FindColumn(const std::u32string& Line, int Col) {
  if (Col <= 1) return 0;
  int ended = 0;
  for (std::size_t i = 0; i < Line.size(); ++i) {
    if (Line[i] != U'\t') continue;
    if (i == 0 || Line[i - 1] != U':') {
      ++ended;
      if (ended == Col - 1) return i + 1;
    }
  }
  return std::nullopt;
}

std::u32string TGrObjInfo::EnsureRow(int Row) {
  while (info_->LineCount() < Row + 1) info_->AppendLine();
  return Decode(info_->Line(Row));
}

void TGrObjInfo::SetLabel(int Row, int Col, const std::string& Text) {
  if (Row < 0) return;
  const std::u32string line = EnsureRow(Row);
  int start;
  if (Col == 0 || line.empty()) {
    info_->ReplaceInLine(Row, 0, static_cast<int>(line.size()), Tabs(Col) + Text + ":\t");
    start = Col > 1 ? Col - 1 : 0;
    SetTabStops();
  } else if (const std::optional<std::size_t> q = FindColumn(line, Col); !q) {
    info_->ReplaceInLine(Row, static_cast<int>(line.size()), 0, "\t" + Text + ":\t");
    start = static_cast<int>(line.size()) + 1;
  } else {
    const std::size_t colon = line.find(U':', *q);
    const std::size_t end = colon == std::u32string::npos ? *q : colon;
    info_->ReplaceInLine(Row, static_cast<int>(*q), static_cast<int>(end - *q), Text);
    start = static_cast<int>(*q);
  }
  info_->FormatRange(Row, start, Chars(Text) + 1, kLabelColour, false);
}

void TGrObjInfo::SetValue(int Row, int Col, const std::string& Text) {
  if (Row < 0) return;
  const std::u32string line = EnsureRow(Row);
  int start;
  if (Col == 0 || line.empty()) {
    info_->ReplaceInLine(Row, 0, static_cast<int>(line.size()), Tabs(Col) + Text);
    start = Col > 1 ? Col - 1 : 0;
  } else if (const std::optional<std::size_t> q = FindColumn(line, Col); !q) {
    start = static_cast<int>(line.size());
    info_->ReplaceInLine(Row, start, 0, Text);
  } else {
    const std::size_t colon = line.find(U':', *q);
    const std::size_t from = std::min(colon == std::u32string::npos ? *q : colon + 2, line.size());
    std::size_t to = line.find(U'\t', from);
    if (to == std::u32string::npos) to = line.size();
    info_->ReplaceInLine(Row, static_cast<int>(from), static_cast<int>(to - from), Text);
    start = static_cast<int>(from);
  }
  info_->FormatRange(Row, start, Chars(Text), kValueColour, true);
}
