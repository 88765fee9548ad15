#include "controls/gridcolumns.h"

#include <algorithm>

#include "controls/datagrid.h"

// --- TColumnTitle ---

std::string TColumnTitle::Caption() const {
  return (column_.assigned_ & cvTitleCaption) ? caption_ : std::string();
}

void TColumnTitle::SetCaption(const std::string& caption) {
  if ((column_.assigned_ & cvTitleCaption) && caption == caption_) return;
  caption_ = caption;
  column_.assigned_ |= cvTitleCaption;
  column_.Changed();
}

TTextAlignment TColumnTitle::Alignment() const {
  return (column_.assigned_ & cvTitleAlignment) ? alignment_ : TTextAlignment::taLeftJustify;
}

void TColumnTitle::SetAlignment(TTextAlignment alignment) {
  if ((column_.assigned_ & cvTitleAlignment) && alignment == alignment_) return;
  alignment_ = alignment;
  column_.assigned_ |= cvTitleAlignment;
  column_.Changed();
}

platform::TFont TColumnTitle::Font() const {
  if (column_.assigned_ & cvTitleFont) return font_;
  TDataGrid* grid = column_.Grid();
  return grid != nullptr ? grid->Font() : column_.Font();
}

void TColumnTitle::SetFont(const platform::TFont& font) {
  font_ = font;
  column_.assigned_ |= cvTitleFont;
  column_.Changed();
}

void TColumnTitle::RestoreDefaults() {
  column_.assigned_ &= static_cast<std::uint16_t>(~kColumnTitleValues);
  caption_.clear();
  font_ = platform::TFont();
  alignment_ = TTextAlignment::taLeftJustify;
  column_.Changed();
}

void TColumnTitle::Assign(const TColumnTitle& source) {
  const std::uint16_t given = source.column_.assigned_;
  if (given & cvTitleAlignment) SetAlignment(source.alignment_);
  if (given & cvTitleCaption) SetCaption(source.caption_);
  if (given & cvTitleFont) SetFont(source.font_);
}

// --- TColumn ---

TColumn::TColumn(TDataGridColumns& collection) : collection_(collection), title_(*this) {}

TColumn::~TColumn() = default;

TDataGrid* TColumn::Grid() const { return collection_.Grid(); }

int TColumn::Index() const {
  for (int i = 0; i < collection_.Count(); ++i) {
    if (&collection_.Items(i) == this) return i;
  }
  return -1;
}

void TColumn::Changed() { collection_.Update(*this); }

std::uint32_t TColumn::Color() const {
  if (assigned_ & cvColor) return color_;
  TDataGrid* grid = Grid();
  return grid != nullptr ? grid->Color() : kColumnWindowColor;
}

void TColumn::SetColor(std::uint32_t color) {
  if ((assigned_ & cvColor) && color == color_) return;
  color_ = color;
  assigned_ |= cvColor;
  Changed();
}

platform::TFont TColumn::Font() const {
  if (assigned_ & cvFont) return font_;
  TDataGrid* grid = Grid();
  return grid != nullptr ? grid->Font() : font_;
}

void TColumn::SetFont(const platform::TFont& font) {
  font_ = font;
  assigned_ |= cvFont;
  Changed();
}

TTextAlignment TColumn::Alignment() const {
  return (assigned_ & cvAlignment) ? alignment_ : TTextAlignment::taLeftJustify;
}

void TColumn::SetAlignment(TTextAlignment alignment) {
  if ((assigned_ & cvAlignment) && alignment == alignment_) return;
  alignment_ = alignment;
  assigned_ |= cvAlignment;
  Changed();
}

bool TColumn::ReadOnly() const {
  if (assigned_ & cvReadOnly) return readOnly_;
  TDataGrid* grid = Grid();
  return grid == nullptr || (grid->Options() & platform::goEditing) == 0;
}

void TColumn::SetReadOnly(bool readOnly) {
  if ((assigned_ & cvReadOnly) && readOnly == readOnly_) return;
  readOnly_ = readOnly;
  assigned_ |= cvReadOnly;
  Changed();
}

void TColumn::SetButtonStyle(TColumnButtonStyle style) {
  if (style == buttonStyle_) return;
  buttonStyle_ = style;
  Changed();
}

void TColumn::SetFormat(TColumnFormat format) {
  if (format == format_) return;
  format_ = format;
  displayMask_.clear();
  Changed();
}

void TColumn::SetDisplayMask(std::string mask) {
  displayMask_ = std::move(mask);
  Changed();
}

std::vector<std::string>& TColumn::PickList() {
  if (!pickList_) pickList_ = std::make_unique<std::vector<std::string>>();
  return *pickList_;
}

void TColumn::SetPopupMenu(platform::TPopupMenu* menu) {
  TDataGrid* grid = Grid();
  if (popupMenu_ != nullptr && grid != nullptr) {
    // Other columns may still show the old menu.
    bool shared = false;
    for (int i = 0; i < collection_.Count(); ++i) {
      const TColumn& c = collection_.Items(i);
      if (&c != this && c.popupMenu_ == popupMenu_) shared = true;
    }
    if (!shared) popupMenu_->RemoveFreeNotification(grid);
  }
  popupMenu_ = menu;
  if (menu != nullptr && grid != nullptr) menu->FreeNotification(grid);
}

std::vector<std::string> TColumn::StoredProperties() const {
  std::vector<std::string> out;
  if (!EditMask.empty()) out.push_back("EditMask");
  if (MaxLength != 0) out.push_back("MaxLength");
  if (LimitToList) out.push_back("LimitToList");
  if ((assigned_ & cvAlignment) && alignment_ != TTextAlignment::taLeftJustify) out.push_back("Alignment");
  if (buttonStyle_ != TColumnButtonStyle::cbsAuto) out.push_back("ButtonStyle");
  if (format_ != TColumnFormat::cfString) out.push_back("Format");
  if (assigned_ & cvColor) {
    TDataGrid* grid = Grid();
    const std::uint32_t def = grid != nullptr ? grid->Color() : kColumnWindowColor;
    if (color_ != def) out.push_back("Color");
  }
  if (DropDownRows != 7) out.push_back("DropDownRows");
  if (assigned_ & cvFont) out.push_back("Font");
  if (HasPickList()) out.push_back("PickList");
  if (popupMenu_ != nullptr) out.push_back("PopupMenu");
  if (assigned_ & cvReadOnly) {
    TDataGrid* grid = Grid();
    const bool def = grid == nullptr || (grid->Options() & platform::goEditing) == 0;
    if (readOnly_ != def) out.push_back("ReadOnly");
  }
  if (!displayMask_.empty()) out.push_back("DisplayMask");
  return out;
}

void TColumn::RestoreDefaults() {
  title_.RestoreDefaults();
  assigned_ = 0;
  font_ = platform::TFont();
  pickList_.reset();
  buttonStyle_ = TColumnButtonStyle::cbsAuto;
  Changed();
}

void TColumn::Assign(const TColumn& source) {
  if (&source == this) return;
  RestoreDefaults();
  if (source.assigned_ & cvColor) SetColor(source.color_);
  if (source.assigned_ & cvFont) SetFont(source.font_);
  if (source.assigned_ & cvAlignment) SetAlignment(source.alignment_);
  if (source.assigned_ & cvReadOnly) SetReadOnly(source.readOnly_);
  title_.Assign(source.title_);
  DropDownRows = source.DropDownRows;
  SetButtonStyle(source.buttonStyle_);
  if (source.pickList_) PickList() = *source.pickList_;
  SetPopupMenu(source.popupMenu_);
}

// --- TDataGridColumns ---

TDataGridColumns::~TDataGridColumns() {
  for (auto& c : items_) c->SetPopupMenu(nullptr);
}

TColumn& TDataGridColumns::Add() {
  items_.push_back(std::make_unique<TColumn>(*this));
  TColumn& column = *items_.back();
  column.internalCol_ = Count() - 1;
  if (grid_ != nullptr) grid_->ColumnsChanged();
  return column;
}

void TDataGridColumns::Resize(int count) {
  if (count < 0) count = 0;
  while (Count() > count) {
    items_.back()->SetPopupMenu(nullptr);
    items_.pop_back();
  }
  while (Count() < count) {
    items_.push_back(std::make_unique<TColumn>(*this));
    items_.back()->internalCol_ = Count() - 1;
  }
}

void TDataGridColumns::Move(int from, int to) {
  if (from < 0 || from >= Count() || to < 0 || to >= Count() || from == to) return;
  auto column = std::move(items_[static_cast<std::size_t>(from)]);
  items_.erase(items_.begin() + from);
  items_.insert(items_.begin() + to, std::move(column));
}

void TDataGridColumns::Assign(const TDataGridColumns& source) {
  if (&source == this) return;
  Resize(0);
  for (int i = 0; i < source.Count(); ++i) {
    items_.push_back(std::make_unique<TColumn>(*this));
    items_.back()->internalCol_ = i;
    items_.back()->Assign(source.Items(i));
  }
  if (grid_ != nullptr) grid_->ColumnsChanged();
}

void TDataGridColumns::Update(TColumn& /*column*/) {
  if (grid_ != nullptr) grid_->Invalidate();
}

void TDataGridColumns::ForgetPopupMenu(const platform::TComponent& menu) {
  for (auto& c : items_) {
    if (c->popupMenu_ == &menu) c->popupMenu_ = nullptr;
  }
}
