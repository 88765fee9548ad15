#include "platform/gui/controls_std.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>

#include "platform/gui/application.h"
#include "platform/gui/controls_impl.h"
#include "platform/gui/forms.h"

namespace platform {
namespace {

// A widget of class Base that reports its resizes.
template <class Base>
class TResizing : public Base {
 public:
  using Base::Base;
  std::function<void()> onResize;

 protected:
  void resizeEvent(QResizeEvent* e) override {
    Base::resizeEvent(e);
    if (onResize) onResize();
  }
};

// The tabs of a page control: Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PgDn and
// Ctrl+PgUp step through the pages whose tabs are shown (and enabled) only;
// a hidden page is never shown by the keyboard.
class TPageTabs : public QTabWidget {
 protected:
  void keyPressEvent(QKeyEvent* e) override {
    const bool ctrl = (e->modifiers() & Qt::ControlModifier) != 0;
    const int key = e->key();
    const bool tab = key == Qt::Key_Tab || key == Qt::Key_Backtab;
    const bool page = key == Qt::Key_PageUp || key == Qt::Key_PageDown;
    if (!ctrl || (!tab && !page)) {
      QTabWidget::keyPressEvent(e);
      return;
    }
    const int n = count();
    const bool back = key == Qt::Key_Backtab || key == Qt::Key_PageUp ||
                      (tab && (e->modifiers() & Qt::ShiftModifier));
    int index = currentIndex();
    for (int pass = 0; pass < n; ++pass) {
      index = (index + (back ? n - 1 : 1)) % n;
      if (isTabVisible(index) && isTabEnabled(index)) {
        setCurrentIndex(index);
        break;
      }
    }
    e->accept();
  }
};

// Clears a radio button; an exclusive one cannot be cleared while exclusive.
void Uncheck(QRadioButton* button) {
  button->setAutoExclusive(false);
  button->setChecked(false);
  button->setAutoExclusive(true);
}

Qt::Alignment ToQAlign(TAlignment a) {
  switch (a) {
    case TAlignment::RightJustify: return Qt::AlignRight;
    case TAlignment::Center: return Qt::AlignHCenter;
    default: return Qt::AlignLeft;
  }
}

// The system's mask notation -> the windowing system's input mask.
QString ToQMask(const std::string& mask) {
  if (mask.empty()) return {};
  std::string body = mask;
  char blank = '_';
  auto semi = body.find(';');
  if (semi != std::string::npos) {
    std::string rest = body.substr(semi + 1);
    body = body.substr(0, semi);
    auto semi2 = rest.find(';');
    if (semi2 != std::string::npos && semi2 + 1 < rest.size()) blank = rest[semi2 + 1];
  }
  std::string out;
  for (size_t i = 0; i < body.size(); ++i) {
    char c = body[i];
    switch (c) {
      case '!': break;
      case '0': out += '9'; break;
      case '9': out += '0'; break;
      case 'L': out += 'A'; break;
      case 'l': out += 'a'; break;
      case 'A': out += 'N'; break;
      case 'a': out += 'n'; break;
      case 'C': out += 'X'; break;
      case 'c': out += 'x'; break;
      case '#': out += '#'; break;
      case '>': out += '>'; break;
      case '<':
        if (i + 1 < body.size() && body[i + 1] == '>') {
          out += '!';
          ++i;
        } else {
          out += '<';
        }
        break;
      case '\\':
        if (i + 1 < body.size()) {
          out += '\\';
          out += body[++i];
        }
        break;
      case '_': out += ' '; break;
      default:
        if (std::string_view("ANXaxnDdHhBb9#").find(c) != std::string_view::npos) out += '\\';
        out += c;
        break;
    }
  }
  out += ';';
  out += blank;
  return ToQ(out);
}

}  // namespace

TLabel::TLabel() {
  auto* label = new QLabel;
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  AttachWidget(*this, label);
  Impl().clickOnRelease = true;
  SetBounds(0, 0, 65, 13);
}

void TLabel::CaptionChanged() {
  auto* label = As<QLabel>(*this);
  // A label with a control to focus keeps its "&": the toolkit underlines
  // the letter and moves the focus on Alt and that letter.
  label->setText(focusControl_ != nullptr ? ToQ(Caption()) : StripAccelerator(Caption()));
}

void TLabel::SetFocusControl(TWinControl* control) {
  focusControl_ = control;
  As<QLabel>(*this)->setBuddy(control != nullptr ? control->Impl().widget.data() : nullptr);
  CaptionChanged();
}

void TLabel::SetAlignment(TAlignment alignment) {
  alignment_ = alignment;
  As<QLabel>(*this)->setAlignment(ToQAlign(alignment) | Qt::AlignTop);
}

void TLabel::SetWordWrap(bool wrap) {
  wordWrap_ = wrap;
  As<QLabel>(*this)->setWordWrap(wrap);
}

void TCustomEdit::AttachEdit() {
  auto* edit = new QLineEdit;
  AttachWidget(*this, edit);
  QObject::connect(edit, &QLineEdit::textEdited, [this](const QString&) { modified_ = true; });
  QObject::connect(edit, &QLineEdit::textChanged, [this](const QString&) {
    if (OnChange) GuardCall([this] { OnChange(*this); });
  });
  SetBounds(0, 0, 121, 21);
}

std::string TCustomEdit::Text() const { return FromQ(As<QLineEdit>(*this)->text()); }

void TCustomEdit::SetText(std::string_view text) {
  RunFromCode([&] { As<QLineEdit>(*this)->setText(ToQ(text)); });
}

int TCustomEdit::MaxLength() const {
  int max = As<QLineEdit>(*this)->maxLength();
  return max == 32767 ? 0 : max;
}

void TCustomEdit::SetMaxLength(int length) {
  As<QLineEdit>(*this)->setMaxLength(length > 0 ? length : 32767);
}

bool TCustomEdit::ReadOnly() const { return As<QLineEdit>(*this)->isReadOnly(); }
void TCustomEdit::SetReadOnly(bool readOnly) { As<QLineEdit>(*this)->setReadOnly(readOnly); }

void TCustomEdit::SetPasswordChar(char32_t ch) {
  As<QLineEdit>(*this)->setEchoMode(ch == 0 ? QLineEdit::Normal : QLineEdit::Password);
}

void TCustomEdit::SelectAll() { As<QLineEdit>(*this)->selectAll(); }

int TCustomEdit::SelStart() const {
  auto* e = As<QLineEdit>(*this);
  return e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
}

int TCustomEdit::SelLength() const {
  return static_cast<int>(As<QLineEdit>(*this)->selectedText().size());
}

void TCustomEdit::SetSelection(int start, int length) { As<QLineEdit>(*this)->setSelection(start, length); }

TEdit::TEdit() { AttachEdit(); }

TMaskEdit::TMaskEdit() { AttachEdit(); }

void TMaskEdit::SetEditMask(std::string mask) {
  mask_ = std::move(mask);
  As<QLineEdit>(*this)->setInputMask(ToQMask(mask_));
}

TMemo::TMemo() {
  auto* edit = new QPlainTextEdit;
  AttachWidget(*this, edit);
  Impl().wantsReturn = true;
  QObject::connect(edit, &QPlainTextEdit::textChanged, [this] {
    if (!syncing_ && OnChange) GuardCall([this] { OnChange(*this); });
  });
  lines_.OnChangeInternal = [this](TStrings::TChange, int) {
    if (syncing_) return;
    QStringList list;
    for (const auto& line : lines_.ToVector()) list << ToQ(line);
    As<QPlainTextEdit>(*this)->setPlainText(list.join('\n'));
  };
  SetBounds(0, 0, 185, 89);
}

TStrings& TMemo::Lines() {
  syncing_ = true;
  QString text = As<QPlainTextEdit>(*this)->toPlainText();
  if (text.isEmpty()) lines_.Clear();
  else lines_.SetText(FromQ(text));
  syncing_ = false;
  return lines_;
}

std::string TMemo::Text() const {
  QString text = As<QPlainTextEdit>(*this)->toPlainText();
  return FromQ(text.replace('\n', QStringLiteral("\r\n")));
}

void TMemo::SetText(std::string_view text) {
  QString q = ToQ(text);
  q.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  RunFromCode([&] { As<QPlainTextEdit>(*this)->setPlainText(q); });
}

bool TMemo::ReadOnly() const { return As<QPlainTextEdit>(*this)->isReadOnly(); }
void TMemo::SetReadOnly(bool readOnly) { As<QPlainTextEdit>(*this)->setReadOnly(readOnly); }

bool TMemo::WordWrap() const {
  return As<QPlainTextEdit>(*this)->lineWrapMode() != QPlainTextEdit::NoWrap;
}

void TMemo::SetWordWrap(bool wrap) {
  As<QPlainTextEdit>(*this)->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth
                                                  : QPlainTextEdit::NoWrap);
}

TRichEdit::TRichEdit() {
  auto* edit = new QTextEdit;
  edit->setReadOnly(true);
  edit->setAcceptRichText(false);
  AttachWidget(*this, edit);
  Impl().wantsReturn = true;
  SetBounds(0, 0, 185, 89);
}

void TRichEdit::Clear() { As<QTextEdit>(*this)->clear(); }

void TRichEdit::AddText(std::string_view text, std::uint32_t color, bool bold) {
  auto* edit = As<QTextEdit>(*this);
  QTextCursor cursor(edit->document());
  cursor.movePosition(QTextCursor::End);
  QTextCharFormat format;
  format.setForeground(ToQColor(color));
  format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
  cursor.insertText(ToQ(text), format);
}

void TRichEdit::SetTabStops(const std::vector<int>& stops) {
  tabStops_ = stops;
  auto* doc = As<QTextEdit>(*this)->document();
  QTextOption option = doc->defaultTextOption();
  QList<QTextOption::Tab> tabs;
  for (int stop : stops) tabs.append(QTextOption::Tab(stop, QTextOption::LeftTab));
  option.setTabs(tabs);
  doc->setDefaultTextOption(option);
  // Blocks already written keep their own format: give them the stops too.
  QTextCursor cursor(doc);
  cursor.select(QTextCursor::Document);
  QTextBlockFormat block;
  block.setTabPositions(tabs);
  cursor.mergeBlockFormat(block);
}

std::string TRichEdit::Text() const { return FromQ(As<QTextEdit>(*this)->toPlainText()); }

std::vector<std::string> TRichEdit::Lines() const {
  std::vector<std::string> out;
  for (const QString& line : As<QTextEdit>(*this)->toPlainText().split('\n')) out.push_back(FromQ(line));
  return out;
}

std::uint32_t TRichEdit::ColorAt(int pos) const {
  QTextCursor cursor(As<QTextEdit>(*this)->document());
  cursor.setPosition(pos + 1);
  return FromQColor(cursor.charFormat().foreground().color());
}

bool TRichEdit::BoldAt(int pos) const {
  QTextCursor cursor(As<QTextEdit>(*this)->document());
  cursor.setPosition(pos + 1);
  return cursor.charFormat().fontWeight() >= QFont::Bold;
}

bool TRichEdit::ReadOnly() const { return As<QTextEdit>(*this)->isReadOnly(); }
void TRichEdit::SetReadOnly(bool readOnly) { As<QTextEdit>(*this)->setReadOnly(readOnly); }

TButton::TButton() {
  auto* button = new QPushButton;
  button->setAutoDefault(false);
  // A press of another mouse button than the left stays with the button
  // (the toolkit's button would hand it on to the window behind it).
  button->setAttribute(Qt::WA_NoMousePropagation);
  AttachWidget(*this, button);
  QObject::connect(button, &QPushButton::clicked, [this] { GuardCall([this] { Click(); }); });
  SetBounds(0, 0, 75, 25);
}

void TButton::CaptionChanged() { As<QPushButton>(*this)->setText(ToQ(Caption())); }

void TButton::SetDefault(bool isDefault) {
  default_ = isDefault;
  As<QPushButton>(*this)->setDefault(isDefault);
}

void TButton::Click() {
  if (TForm* form = ParentForm()) form->SetModalResult(modalResult_);
  TControl::Click();
}

void TBitBtn::SetKind(TBitBtnKind kind) {
  kind_ = kind;
  struct Standard {
    const char* caption;
    TModalResult result;
    bool isDefault;
    bool isCancel;
  };
  Standard s{"", mrNone, false, false};
  switch (kind) {
    case TBitBtnKind::Custom: return;
    case TBitBtnKind::OK: s = {"OK", mrOk, true, false}; break;
    case TBitBtnKind::Cancel: s = {"Anuluj", mrCancel, false, true}; break;
    case TBitBtnKind::Help: s = {"Pomoc", mrNone, false, false}; break;
    case TBitBtnKind::Yes: s = {"&Tak", mrYes, true, false}; break;
    case TBitBtnKind::No: s = {"&Nie", mrNo, false, true}; break;
    case TBitBtnKind::Close: s = {"&Zamknij", mrNone, false, false}; break;
    case TBitBtnKind::Abort: s = {"Przerwij", mrAbort, false, true}; break;
    case TBitBtnKind::Retry: s = {"&Ponów", mrRetry, false, false}; break;
    case TBitBtnKind::Ignore: s = {"&Ignoruj", mrIgnore, false, false}; break;
    case TBitBtnKind::All: s = {"&Wszystkie", mrAll, false, false}; break;
  }
  SetCaption(s.caption);
  SetModalResult(s.result);
  SetDefault(s.isDefault);
  SetCancel(s.isCancel);
}

void TBitBtn::Click() {
  if (kind_ == TBitBtnKind::Close) {
    if (TForm* form = ParentForm()) {
      form->Close();
      return;
    }
  }
  TButton::Click();
}

TSpeedButton::TSpeedButton() {
  auto* button = new QToolButton;
  button->setAutoRaise(true);
  button->setAttribute(Qt::WA_NoMousePropagation);
  AttachWidget(*this, button);
  QObject::connect(button, &QToolButton::clicked, [this] { GuardCall([this] { Click(); }); });
  SetBounds(0, 0, 25, 25);
}

void TSpeedButton::CaptionChanged() { As<QToolButton>(*this)->setText(ToQ(Caption())); }

void TSpeedButton::SetGroupIndex(int index) {
  groupIndex_ = index;
  As<QToolButton>(*this)->setCheckable(index > 0);
  As<QToolButton>(*this)->setChecked(down_);
}

bool TSpeedButton::Down() const { return down_; }

void TSpeedButton::SetDown(bool down) {
  if (groupIndex_ == 0) down = false;
  down_ = down;
  As<QToolButton>(*this)->setChecked(down);
  if (!down || Parent() == nullptr) return;
  for (int i = 0; i < Parent()->ControlCount(); ++i) {
    auto* other = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
    if (other != nullptr && other != this && other->groupIndex_ == groupIndex_ && other->down_) {
      other->down_ = false;
      As<QToolButton>(*other)->setChecked(false);
    }
  }
}

void TSpeedButton::Click() {
  if (groupIndex_ > 0) {
    if (!down_) SetDown(true);
    else if (allowAllUp_) SetDown(false);
    else As<QToolButton>(*this)->setChecked(true);
  }
  TControl::Click();
}

void TSpeedButton::SetFlat(bool flat) { As<QToolButton>(*this)->setAutoRaise(flat); }

TCheckBox::TCheckBox() {
  auto* box = new QCheckBox;
  AttachWidget(*this, box);
  QObject::connect(box, &QCheckBox::stateChanged, [this](int) {
    GuardCall([this] { TControl::Click(); });
  });
  SetBounds(0, 0, 97, 17);
}

void TCheckBox::CaptionChanged() { As<QCheckBox>(*this)->setText(ToQ(Caption())); }

TCheckBoxState TCheckBox::State() const {
  switch (As<QCheckBox>(*this)->checkState()) {
    case Qt::Checked: return TCheckBoxState::Checked;
    case Qt::PartiallyChecked: return TCheckBoxState::Grayed;
    default: return TCheckBoxState::Unchecked;
  }
}

void TCheckBox::SetState(TCheckBoxState state) {
  auto* box = As<QCheckBox>(*this);
  if (state == TCheckBoxState::Grayed) box->setTristate(true);
  RunFromCode([&] {
    box->setCheckState(state == TCheckBoxState::Checked  ? Qt::Checked
                       : state == TCheckBoxState::Grayed ? Qt::PartiallyChecked
                                                         : Qt::Unchecked);
  });
}

void TCheckBox::Click() {
  switch (State()) {
    case TCheckBoxState::Unchecked: SetState(TCheckBoxState::Checked); break;
    case TCheckBoxState::Checked:
      SetState(allowGrayed_ ? TCheckBoxState::Grayed : TCheckBoxState::Unchecked);
      break;
    case TCheckBoxState::Grayed: SetState(TCheckBoxState::Unchecked); break;
  }
}

TRadioButton::TRadioButton() {
  auto* button = new QRadioButton;
  AttachWidget(*this, button);
  QObject::connect(button, &QRadioButton::toggled, [this](bool on) {
    if (on) GuardCall([this] { TControl::Click(); });
  });
  SetBounds(0, 0, 113, 17);
}

void TRadioButton::CaptionChanged() { As<QRadioButton>(*this)->setText(ToQ(Caption())); }
bool TRadioButton::Checked() const { return As<QRadioButton>(*this)->isChecked(); }

void TRadioButton::SetChecked(bool checked) {
  auto* button = As<QRadioButton>(*this);
  if (checked) {
    RunFromCode([&] { button->setChecked(true); });
    return;
  }
  Uncheck(button);
}

void TRadioButton::Click() { SetChecked(true); }

TGroupBox::TGroupBox() {
  AttachWidget(*this, new QGroupBox);
  SetBounds(0, 0, 185, 105);
}

void TGroupBox::CaptionChanged() { As<QGroupBox>(*this)->setTitle(ToQ(Caption())); }

TRadioGroup::TRadioGroup() {
  auto* box = new TResizing<QGroupBox>;
  box->onResize = [this] { Arrange(); };
  AttachWidget(*this, box);
  items_.OnChangeInternal = [this](TStrings::TChange, int) { Rebuild(); };
  SetBounds(0, 0, 185, 105);
}

TRadioGroup::~TRadioGroup() { items_.OnChangeInternal = nullptr; }

void TRadioGroup::CaptionChanged() { As<QGroupBox>(*this)->setTitle(ToQ(Caption())); }

void TRadioGroup::Rebuild() {
  auto* box = As<QGroupBox>(*this);
  for (QRadioButton* b : box->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly)) delete b;
  for (int i = 0; i < items_.Count(); ++i) {
    auto* b = new QRadioButton(ToQ(items_[i]), box);
    b->setChecked(i == itemIndex_);
    b->show();
    QObject::connect(b, &QRadioButton::toggled, [this, i](bool on) {
      if (!on || itemIndex_ == i) return;
      itemIndex_ = i;
      GuardCall([this] { TControl::Click(); });
    });
  }
  if (itemIndex_ >= items_.Count()) itemIndex_ = -1;
  Arrange();
}

void TRadioGroup::Arrange() {
  auto* box = As<QGroupBox>(*this);
  auto buttons = box->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
  if (buttons.isEmpty()) return;
  int columns = std::max(1, columns_);
  int rows = static_cast<int>((buttons.size() + columns - 1) / columns);
  const int top = 16;
  int colWidth = std::max(1, (box->width() - 16) / columns);
  int rowHeight = std::max(1, (box->height() - top - 4) / rows);
  for (int i = 0; i < buttons.size(); ++i) {
    int col = i / rows;
    int row = i % rows;
    buttons[i]->setGeometry(8 + col * colWidth, top + row * rowHeight, colWidth, std::min(rowHeight, 20));
  }
}

void TRadioGroup::SetItemIndex(int index) {
  if (index < -1 || index >= items_.Count()) index = -1;
  auto buttons = As<QGroupBox>(*this)->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
  if (index < 0) {
    itemIndex_ = -1;
    for (QRadioButton* b : buttons) Uncheck(b);
    return;
  }
  RunFromCode([&] { buttons[index]->setChecked(true); });
}

void TRadioGroup::SetColumns(int columns) {
  columns_ = std::max(1, columns);
  Arrange();
}

void TRadioGroup::UserSelect(int index) { SetItemIndex(index); }

TPanel::TPanel() {
  auto* frame = new TResizing<QFrame>;
  auto* label = new QLabel(frame);
  label->setAlignment(Qt::AlignCenter);
  label->setObjectName("caption");
  label->setAttribute(Qt::WA_TransparentForMouseEvents);
  frame->onResize = [frame, label] { label->setGeometry(frame->rect()); };
  AttachWidget(*this, frame);
  Impl().clickOnRelease = true;
  UpdateFrame();
  SetBounds(0, 0, 185, 41);
}

void TPanel::CaptionChanged() {
  As<QFrame>(*this)->findChild<QLabel*>("caption")->setText(StripAccelerator(Caption()));
}

void TPanel::KeyDown(std::uint16_t& key, TShiftState shift) {
  TWinControl::KeyDown(key, shift);
  if (key == VK_SPACE && shift == 0 && TabStop()) {
    key = 0;
    Click();
  }
}

void TPanel::DoEnter() {
  UpdateFrame();
  TWinControl::DoEnter();
}

void TPanel::DoExit() {
  UpdateFrame();
  TWinControl::DoExit();
}

void TPanel::UpdateFrame() {
  auto* frame = As<QFrame>(*this);
  if (frame->hasFocus()) {
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setLineWidth(2);
    return;
  }
  frame->setLineWidth(1);
  TBevelCut cut = bevelOuter_ != TBevelCut::None ? bevelOuter_ : bevelInner_;
  if (cut == TBevelCut::None) frame->setFrameStyle(QFrame::NoFrame);
  else frame->setFrameStyle(QFrame::Panel | (cut == TBevelCut::Raised ? QFrame::Raised : QFrame::Sunken));
}

void TPanel::SetBevelOuter(TBevelCut cut) {
  bevelOuter_ = cut;
  UpdateFrame();
}

void TPanel::SetBevelInner(TBevelCut cut) {
  bevelInner_ = cut;
  UpdateFrame();
}

void TPanel::SetAlignment(TAlignment alignment) {
  alignment_ = alignment;
  As<QFrame>(*this)->findChild<QLabel*>("caption")->setAlignment(ToQAlign(alignment) | Qt::AlignVCenter);
}

TBevel::TBevel() {
  auto* frame = new QFrame;
  frame->setAttribute(Qt::WA_TransparentForMouseEvents);
  AttachWidget(*this, frame);
  UpdateFrame();
  SetBounds(0, 0, 50, 50);
}

void TBevel::UpdateFrame() {
  auto* frame = As<QFrame>(*this);
  int shape = QFrame::Box;
  switch (shape_) {
    case TBevelShape::Box: shape = QFrame::Box; break;
    case TBevelShape::Frame: shape = QFrame::StyledPanel; break;
    case TBevelShape::TopLine:
    case TBevelShape::BottomLine: shape = QFrame::HLine; break;
    case TBevelShape::LeftLine:
    case TBevelShape::RightLine: shape = QFrame::VLine; break;
    case TBevelShape::Spacer: shape = QFrame::NoFrame; break;
  }
  frame->setFrameStyle(shape | (style_ == TBevelStyle::Raised ? QFrame::Raised : QFrame::Sunken));
}

void TBevel::SetShape(TBevelShape shape) {
  shape_ = shape;
  UpdateFrame();
}

void TBevel::SetStyle(TBevelStyle style) {
  style_ = style;
  UpdateFrame();
}

struct TComboBoxAccess {
  static bool DropDownRequested(TComboBox& combo) { return combo.DropDownRequested(); }
};

namespace {

// The toolkit's combo box, asking its control before it opens its own list.
class ComboWidget : public QComboBox {
 public:
  explicit ComboWidget(TComboBox& owner) : owner_(owner) {}

  void showPopup() override {
    bool own = false;
    GuardCall([&] { own = TComboBoxAccess::DropDownRequested(owner_); });
    if (!own) QComboBox::showPopup();
  }

 private:
  TComboBox& owner_;
};

}  // namespace

TComboBox::TComboBox() {
  auto* combo = new ComboWidget(*this);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  AttachWidget(*this, combo);
  QObject::connect(combo, &QComboBox::activated, [this](int) {
    if (syncing_) return;
    GuardCall([this] {
      TControl::Click();
      if (OnChange) OnChange(*this);
    });
  });
  QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, [this](const QString&) {
    if (!syncing_ && OnChange) GuardCall([this] { OnChange(*this); });
  });
  items_.OnChangeInternal = [this](TStrings::TChange change, int index) { Sync(change, index); };
  SetBounds(0, 0, 145, 21);
}

TComboBox::~TComboBox() { items_.OnChangeInternal = nullptr; }

void TComboBox::Sync(TStrings::TChange change, int index) {
  auto* combo = As<QComboBox>(*this);
  syncing_ = true;
  int oldIndex = combo->currentIndex();
  QString oldText = combo->currentText();
  switch (change) {
    case TStrings::TChange::Inserted: combo->insertItem(index, ToQ(items_[index])); break;
    case TStrings::TChange::Deleted: combo->removeItem(index); break;
    case TStrings::TChange::Changed: combo->setItemText(index, ToQ(items_[index])); break;
    case TStrings::TChange::Cleared:
    case TStrings::TChange::Reset:
      combo->clear();
      for (int i = 0; i < items_.Count(); ++i) combo->addItem(ToQ(items_[i]));
      oldIndex = -1;
      break;
  }
  // Adding items never selects one by itself.
  if (change == TStrings::TChange::Inserted && oldIndex == -1) {
    combo->setCurrentIndex(-1);
    if (combo->isEditable()) combo->setEditText(oldText);
  }
  if (change == TStrings::TChange::Cleared || change == TStrings::TChange::Reset) {
    combo->setCurrentIndex(-1);
    if (combo->isEditable() && change == TStrings::TChange::Reset) combo->setEditText(oldText);
  }
  syncing_ = false;
}

void TComboBox::SetStyle(TComboBoxStyle style) {
  style_ = style;
  auto* combo = As<QComboBox>(*this);
  syncing_ = true;
  int index = combo->currentIndex();
  QLineEdit* before = combo->lineEdit();
  combo->setEditable(style == TComboBoxStyle::DropDown);
  if (combo->isEditable() && combo->lineEdit() != before) {
    combo->setInsertPolicy(QComboBox::NoInsert);
    QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, [this](const QString&) {
      if (!syncing_ && OnChange) GuardCall([this] { OnChange(*this); });
    });
  }
  combo->setCurrentIndex(index);
  syncing_ = false;
}

int TComboBox::ItemIndex() const { return As<QComboBox>(*this)->currentIndex(); }

void TComboBox::SetItemIndex(int index) {
  syncing_ = true;
  As<QComboBox>(*this)->setCurrentIndex(index >= 0 && index < items_.Count() ? index : -1);
  syncing_ = false;
}

std::string TComboBox::Text() const { return FromQ(As<QComboBox>(*this)->currentText()); }

void TComboBox::SetText(std::string_view text) {
  auto* combo = As<QComboBox>(*this);
  syncing_ = true;
  if (combo->isEditable()) {
    int found = combo->findText(ToQ(text), Qt::MatchFixedString);
    combo->setCurrentIndex(found);
    combo->setEditText(ToQ(text));
  } else {
    combo->setCurrentIndex(items_.IndexOf(text));
  }
  syncing_ = false;
}

int TComboBox::DropDownCount() const { return As<QComboBox>(*this)->maxVisibleItems(); }
void TComboBox::SetDropDownCount(int count) { As<QComboBox>(*this)->setMaxVisibleItems(count); }

void TComboBox::UserSelect(int index) {
  SetItemIndex(index);
  TControl::Click();
  if (OnChange) OnChange(*this);
}

TListBox::TListBox() {
  auto* list = new QListWidget;
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  AttachWidget(*this, list);
  QObject::connect(list, &QListWidget::currentRowChanged, [this](int) {
    if (!syncing_) GuardCall([this] { TControl::Click(); });
  });
  items_.OnChangeInternal = [this](TStrings::TChange change, int index) { Sync(change, index); };
  SetBounds(0, 0, 121, 97);
}

TListBox::~TListBox() { items_.OnChangeInternal = nullptr; }

void TListBox::Sync(TStrings::TChange change, int index) {
  auto* list = As<QListWidget>(*this);
  syncing_ = true;
  switch (change) {
    case TStrings::TChange::Inserted: list->insertItem(index, ToQ(items_[index])); break;
    case TStrings::TChange::Deleted: delete list->takeItem(index); break;
    case TStrings::TChange::Changed: list->item(index)->setText(ToQ(items_[index])); break;
    case TStrings::TChange::Cleared:
    case TStrings::TChange::Reset:
      list->clear();
      for (int i = 0; i < items_.Count(); ++i) list->addItem(ToQ(items_[i]));
      list->setCurrentRow(-1);
      break;
  }
  syncing_ = false;
}

int TListBox::ItemIndex() const { return As<QListWidget>(*this)->currentRow(); }

void TListBox::SetItemIndex(int index) {
  auto* list = As<QListWidget>(*this);
  syncing_ = true;
  if (index < 0 || index >= items_.Count()) {
    list->setCurrentRow(-1);
    list->clearSelection();
  } else {
    list->setCurrentRow(index);
  }
  syncing_ = false;
}

void TListBox::SetMultiSelect(bool multi) {
  multiSelect_ = multi;
  As<QListWidget>(*this)->setSelectionMode(multi ? QAbstractItemView::ExtendedSelection
                                                 : QAbstractItemView::SingleSelection);
}

bool TListBox::Selected(int index) const {
  QListWidgetItem* item = As<QListWidget>(*this)->item(index);
  if (item == nullptr) throw std::out_of_range("Indeks listy poza zakresem (" + std::to_string(index) + ")");
  return item->isSelected();
}

void TListBox::SetSelected(int index, bool selected) {
  QListWidgetItem* item = As<QListWidget>(*this)->item(index);
  if (item == nullptr) throw std::out_of_range("Indeks listy poza zakresem (" + std::to_string(index) + ")");
  syncing_ = true;
  item->setSelected(selected);
  syncing_ = false;
}

int TListBox::SelCount() const {
  return static_cast<int>(As<QListWidget>(*this)->selectedItems().size());
}

int TListBox::TopIndex() const {
  auto* list = As<QListWidget>(*this);
  QListWidgetItem* item = list->itemAt(1, 1);
  return item != nullptr ? list->row(item) : 0;
}

void TListBox::UserSelect(int index) {
  SetItemIndex(index);
  TControl::Click();
}

TProgressBar::TProgressBar() {
  auto* bar = new QProgressBar;
  bar->setTextVisible(false);
  AttachWidget(*this, bar);
  Update();
  SetBounds(0, 0, 150, 16);
}

void TProgressBar::Update() {
  auto* bar = As<QProgressBar>(*this);
  bar->setRange(min_, std::max(min_, max_));
  bar->setValue(position_);
}

void TProgressBar::SetMin(int min) { SetRange(min, max_); }
void TProgressBar::SetMax(int max) { SetRange(min_, max); }

void TProgressBar::SetRange(int min, int max) {
  min_ = min;
  max_ = max;
  position_ = std::clamp(position_, min_, std::max(min_, max_));
  Update();
}

void TProgressBar::SetPosition(int position) {
  position_ = std::clamp(position, min_, std::max(min_, max_));
  Update();
}

TTabSheet::TTabSheet() { AttachWidget(*this, new QWidget); }

TPageControl* TTabSheet::PageControl() const { return dynamic_cast<TPageControl*>(Parent()); }

void TTabSheet::SetTabVisible(bool visible) {
  tabVisible_ = visible;
  if (TPageControl* pc = PageControl()) pc->UpdateTab(*this);
}

int TTabSheet::PageIndex() const {
  TPageControl* pc = PageControl();
  if (pc == nullptr) return -1;
  auto it = std::find(pc->pages_.begin(), pc->pages_.end(), this);
  return static_cast<int>(it - pc->pages_.begin());
}

void TTabSheet::CaptionChanged() {
  if (TPageControl* pc = PageControl()) pc->UpdateTab(*this);
}

TPageControl::TPageControl() {
  auto* tabs = new TPageTabs;
  AttachWidget(*this, tabs);
  QObject::connect(tabs, &QTabWidget::currentChanged, [this](int) {
    if (!syncing_ && OnChange) GuardCall([this] { OnChange(*this); });
  });
  SetBounds(0, 0, 289, 193);
}

void TPageControl::ChildAdded(TControl& child) {
  auto* page = dynamic_cast<TTabSheet*>(&child);
  if (page == nullptr) return;
  pages_.push_back(page);
  syncing_ = true;
  auto* tabs = As<QTabWidget>(*this);
  int index = tabs->addTab(page->Impl().widget, StripAccelerator(page->Caption()));
  tabs->setTabVisible(index, page->TabVisible());
  syncing_ = false;
}

void TPageControl::ChildRemoved(TControl& child) {
  auto it = std::find(pages_.begin(), pages_.end(), &child);
  if (it == pages_.end()) return;
  pages_.erase(it);
  syncing_ = true;
  auto* tabs = As<QTabWidget>(*this);
  if (QWidget* w = child.Impl().widget.data()) {
    int index = tabs->indexOf(w);
    if (index >= 0) tabs->removeTab(index);
  }
  syncing_ = false;
}

void TPageControl::UpdateTab(TTabSheet& page) {
  auto* tabs = As<QTabWidget>(*this);
  int index = tabs->indexOf(page.Impl().widget);
  if (index < 0) return;
  syncing_ = true;
  tabs->setTabText(index, StripAccelerator(page.Caption()));
  tabs->setTabVisible(index, page.TabVisible());
  syncing_ = false;
}

TTabSheet* TPageControl::ActivePage() const {
  QWidget* current = As<QTabWidget>(*this)->currentWidget();
  for (TTabSheet* page : pages_)
    if (page->Impl().widget.data() == current) return page;
  return nullptr;
}

void TPageControl::SetActivePage(TTabSheet* page) {
  if (page == nullptr || page->PageControl() != this) return;
  syncing_ = true;
  As<QTabWidget>(*this)->setCurrentWidget(page->Impl().widget);
  syncing_ = false;
}

int TPageControl::ActivePageIndex() const {
  TTabSheet* page = ActivePage();
  return page != nullptr ? page->PageIndex() : -1;
}

void TPageControl::SetActivePageIndex(int index) {
  if (index >= 0 && index < PageCount()) SetActivePage(pages_[static_cast<size_t>(index)]);
}

void TPageControl::UserSelectPage(int index) {
  if (index < 0 || index >= PageCount() || index == ActivePageIndex()) return;
  bool allow = true;
  if (OnChanging) OnChanging(*this, allow);
  if (!allow) return;
  SetActivePageIndex(index);
  if (OnChange) OnChange(*this);
}

TScrollBox::TScrollBox() {
  auto* area = new QScrollArea;
  auto* inner = new QWidget;
  area->setWidget(inner);
  area->setWidgetResizable(false);
  AttachWidget(*this, area, inner);
  SetBounds(0, 0, 185, 41);
}

void TScrollBox::FitContents() {
  auto* area = As<QScrollArea>(*this);
  QWidget* inner = Impl().client.data();
  QRect bounds(0, 0, area->viewport()->width(), area->viewport()->height());
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->Visible() && c->Align() == TAlign::None)
      bounds = bounds.united(QRect(c->Left(), c->Top(), c->Width(), c->Height()));
  }
  inner->resize(bounds.width(), bounds.height());
}

void TScrollBox::ChildAdded(TControl&) { FitContents(); }

int TScrollBox::HorzPosition() const { return As<QScrollArea>(*this)->horizontalScrollBar()->value(); }
int TScrollBox::VertPosition() const { return As<QScrollArea>(*this)->verticalScrollBar()->value(); }

int TScrollBox::VisibleWidth() const { return As<QScrollArea>(*this)->viewport()->width(); }
int TScrollBox::VisibleHeight() const { return As<QScrollArea>(*this)->viewport()->height(); }

void TScrollBox::ScrollTo(int x, int y) {
  FitContents();
  auto* area = As<QScrollArea>(*this);
  area->horizontalScrollBar()->setValue(x);
  area->verticalScrollBar()->setValue(y);
}

TStatusBar::TStatusBar() {
  auto* bar = new TResizing<QFrame>;
  bar->onResize = [this] { Arrange(); };
  auto* simple = new QLabel(bar);
  simple->setObjectName("simple");
  simple->hide();
  AttachWidget(*this, bar);
  SetBounds(0, 0, 200, 19);
  SetAlign(TAlign::Bottom);
}

int TStatusBar::AddPanel(int width, std::string text) {
  auto* bar = As<QFrame>(*this);
  auto* label = new QLabel(ToQ(text), bar);
  label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  label->setObjectName("panel");
  panelWidths_.push_back(width);
  Arrange();
  return PanelCount() - 1;
}

namespace {

// The label of a status bar's panel i; out_of_range when there is none.
QLabel* PanelLabel(const TStatusBar& bar, int i) {
  auto labels = As<QFrame>(bar)->findChildren<QLabel*>("panel", Qt::FindDirectChildrenOnly);
  if (i < 0 || i >= labels.size())
    throw std::out_of_range("Indeks panelu poza zakresem (" + std::to_string(i) + ")");
  return labels[i];
}

}  // namespace

std::string TStatusBar::PanelText(int i) const { return FromQ(PanelLabel(*this, i)->text()); }

void TStatusBar::SetPanelText(int i, std::string_view text) {
  PanelLabel(*this, i)->setText(ToQ(text));
}

void TStatusBar::SetSimplePanel(bool simple) {
  simplePanel_ = simple;
  Arrange();
}

void TStatusBar::SetSimpleText(std::string text) {
  simpleText_ = std::move(text);
  As<QFrame>(*this)->findChild<QLabel*>("simple")->setText(ToQ(simpleText_));
}

void TStatusBar::Arrange() {
  auto* bar = As<QFrame>(*this);
  auto* simple = bar->findChild<QLabel*>("simple");
  simple->setGeometry(2, 2, std::max(0, bar->width() - 4), std::max(0, bar->height() - 4));
  simple->setVisible(simplePanel_);
  auto labels = bar->findChildren<QLabel*>("panel", Qt::FindDirectChildrenOnly);
  int x = 0;
  for (int i = 0; i < labels.size(); ++i) {
    bool last = i == labels.size() - 1;
    int w = last ? std::max(panelWidths_[i], bar->width() - x) : panelWidths_[i];
    labels[i]->setGeometry(x, 2, w, std::max(0, bar->height() - 2));
    labels[i]->setVisible(!simplePanel_);
    x += w + 2;
  }
}

TImage::TImage() {
  auto* label = new QLabel;
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  AttachWidget(*this, label);
  Impl().clickOnRelease = true;
  SetBounds(0, 0, 105, 105);
}

bool TImage::LoadFromFile(const std::string& path) {
  QPixmap pixmap;
  if (!pixmap.load(ToQ(path))) return false;
  As<QLabel>(*this)->setPixmap(pixmap);
  return true;
}

void TImage::Clear() { As<QLabel>(*this)->clear(); }
bool TImage::Empty() const { return As<QLabel>(*this)->pixmap().isNull(); }
int TImage::PictureWidth() const { return As<QLabel>(*this)->pixmap().width(); }
int TImage::PictureHeight() const { return As<QLabel>(*this)->pixmap().height(); }

void TImage::SetStretch(bool stretch) {
  stretch_ = stretch;
  UpdateView();
}

void TImage::SetCenter(bool center) {
  center_ = center;
  UpdateView();
}

void TImage::UpdateView() {
  auto* label = As<QLabel>(*this);
  label->setScaledContents(stretch_);
  label->setAlignment(center_ ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignTop));
}

TSplitter::TSplitter() {
  auto* frame = new QFrame;
  AttachWidget(*this, frame);
  SetBounds(0, 0, 3, 100);
  SetAlign(TAlign::Left);
  SetCursor(crHSplit);
}

TControl* TSplitter::Neighbour() const {
  TWinControl* parent = Parent();
  if (parent == nullptr) return nullptr;
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (c == this || c->Align() != Align() || !c->Visible()) continue;
    switch (Align()) {
      case TAlign::Left: if (c->Left() + c->Width() == Left()) return c; break;
      case TAlign::Right: if (Left() + Width() == c->Left()) return c; break;
      case TAlign::Top: if (c->Top() + c->Height() == Top()) return c; break;
      case TAlign::Bottom: if (Top() + Height() == c->Top()) return c; break;
      default: break;
    }
  }
  return nullptr;
}

void TSplitter::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TControl::MouseDown(button, shift, x, y);
  TControl* n = Neighbour();
  if (button != TMouseButton::Left || n == nullptr) return;
  bool horizontal = Align() == TAlign::Left || Align() == TAlign::Right;
  dragging_ = true;
  start_ = horizontal ? x + Left() : y + Top();
  startSize_ = horizontal ? n->Width() : n->Height();
}

void TSplitter::MouseMove(TShiftState shift, int x, int y) {
  TControl::MouseMove(shift, x, y);
  TControl* n = Neighbour();
  if (!dragging_ || n == nullptr) return;
  bool horizontal = Align() == TAlign::Left || Align() == TAlign::Right;
  int delta = (horizontal ? x + Left() : y + Top()) - start_;
  if (Align() == TAlign::Right || Align() == TAlign::Bottom) delta = -delta;
  int size = std::max(minSize_, startSize_ + delta);
  if (horizontal) n->SetWidth(size);
  else n->SetHeight(size);
}

void TSplitter::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TControl::MouseUp(button, shift, x, y);
  if (!dragging_) return;
  MouseMove(shift, x, y);
  dragging_ = false;
  if (OnMoved) OnMoved(*this);
}

}  // namespace platform
