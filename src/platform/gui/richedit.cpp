#include "platform/gui/richedit.h"

#include <QFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextOption>

#include "platform/gui/controls_impl.h"

namespace platform {

namespace {

// A cursor selecting Count characters of block I from From (clamped); false
// when there is no such block.
bool SelectInBlock(QTextDocument* Doc, int I, int From, int Count, QTextCursor& Cursor) {
  const QTextBlock block = Doc->findBlockByNumber(I);
  if (!block.isValid()) return false;
  const int length = block.length() - 1;  // without the paragraph end
  const int from = std::clamp(From, 0, length);
  const int to = std::clamp(From + std::max(Count, 0), from, length);
  Cursor = QTextCursor(Doc);
  Cursor.setPosition(block.position() + from);
  Cursor.setPosition(block.position() + to, QTextCursor::KeepAnchor);
  return true;
}

}  // namespace

TCellRichEdit::TCellRichEdit() = default;

int TCellRichEdit::LineCount() const { return As<QTextEdit>(*this)->document()->blockCount(); }

std::string TCellRichEdit::Line(int I) const {
  const QTextBlock block = As<QTextEdit>(*this)->document()->findBlockByNumber(I);
  return block.isValid() ? FromQ(block.text()) : std::string();
}

void TCellRichEdit::AppendLine() {
  QTextCursor cursor(As<QTextEdit>(*this)->document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertBlock();
}

void TCellRichEdit::ReplaceInLine(int I, int From, int Count, std::string_view Text) {
  QTextCursor cursor;
  if (!SelectInBlock(As<QTextEdit>(*this)->document(), I, From, Count, cursor)) return;
  cursor.insertText(ToQ(Text));
}

void TCellRichEdit::FormatRange(int I, int From, int Count, std::uint32_t Color, bool Bold) {
  QTextCursor cursor;
  if (!SelectInBlock(As<QTextEdit>(*this)->document(), I, From, Count, cursor)) return;
  QTextCharFormat format;
  format.setForeground(ToQColor(Color));
  format.setFontWeight(Bold ? QFont::Bold : QFont::Normal);
  cursor.mergeCharFormat(format);
}

std::uint32_t TCellRichEdit::ColorInLine(int I, int Pos) const {
  QTextCursor cursor;
  if (!SelectInBlock(As<QTextEdit>(*this)->document(), I, Pos + 1, 0, cursor)) return 0;
  return FromQColor(cursor.charFormat().foreground().color());
}

bool TCellRichEdit::BoldInLine(int I, int Pos) const {
  QTextCursor cursor;
  if (!SelectInBlock(As<QTextEdit>(*this)->document(), I, Pos + 1, 0, cursor)) return false;
  return cursor.charFormat().fontWeight() >= QFont::Bold;
}

void TCellRichEdit::SetTabStopsPoints(const std::vector<double>& Points) {
  tabPoints_ = Points;
  auto* edit = As<QTextEdit>(*this);
  const double pixelsPerPoint = edit->logicalDpiX() / 72.0;
  QList<QTextOption::Tab> tabs;
  for (double p : Points) tabs.append(QTextOption::Tab(p * pixelsPerPoint, QTextOption::LeftTab));
  QTextDocument* doc = edit->document();
  QTextOption option = doc->defaultTextOption();
  option.setTabs(tabs);
  doc->setDefaultTextOption(option);
  QTextCursor cursor(doc);
  cursor.select(QTextCursor::Document);
  QTextBlockFormat block;
  block.setTabPositions(tabs);
  cursor.mergeBlockFormat(block);
}

std::vector<double> TCellRichEdit::TabStopsPointsInLine(int I) const {
  auto* edit = As<QTextEdit>(*this);
  const QTextBlock block = edit->document()->findBlockByNumber(I);
  std::vector<double> points;
  if (!block.isValid()) return points;
  const double pixelsPerPoint = edit->logicalDpiX() / 72.0;
  for (const QTextOption::Tab& tab : block.blockFormat().tabPositions())
    points.push_back(tab.position / pixelsPerPoint);
  return points;
}

void TCellRichEdit::CaretToStart() {
  auto* edit = As<QTextEdit>(*this);
  QTextCursor cursor(edit->document());
  cursor.movePosition(QTextCursor::Start);
  edit->setTextCursor(cursor);
}

int TCellRichEdit::CaretPosition() const { return As<QTextEdit>(*this)->textCursor().position(); }

bool TCellRichEdit::WordWrap() const { return As<QTextEdit>(*this)->lineWrapMode() != QTextEdit::NoWrap; }

void TCellRichEdit::SetWordWrap(bool Wrap) {
  As<QTextEdit>(*this)->setLineWrapMode(Wrap ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
}

}  // namespace platform
