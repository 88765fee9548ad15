// The column descriptions of the data grid (TDataGrid): each grid column has
// a TColumn with its colour, font, alignment, read-only flag, title, edit
// mask, value format, display mask, pick list, button style and popup menu.
// Colour, font, alignment, read-only and the title's caption, alignment and
// font follow the grid until they are set: a column remembers which were
// set (AssignedValues) and can forget them again (RestoreDefaults).
//
// GUI thread only. The collection belongs to its grid and owns its columns;
// a column owns its title and pick list. The popup menu is not owned: the
// column forgets it when it is freed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/controls_menus.h"
#include "platform/paint/gdi.h"

class TDataGrid;
class TDataGridColumns;
class TColumn;

enum class TColumnFormat { cfString, cfNumber, cfDate };
enum class TColumnButtonStyle { cbsAuto, cbsEllipsis, cbsNone };
enum class TTextAlignment { taLeftJustify, taRightJustify, taCenter };

// Bits of TColumn::AssignedValues.
enum TColumnValue : std::uint16_t {
  cvColor = 1 << 0,
  cvFont = 1 << 2,
  cvAlignment = 1 << 3,
  cvReadOnly = 1 << 4,
  cvTitleCaption = 1 << 6,
  cvTitleAlignment = 1 << 7,
  cvTitleFont = 1 << 8,
};
inline constexpr std::uint16_t kColumnTitleValues = (1 << 5) | cvTitleCaption | cvTitleAlignment | cvTitleFont;

// The colour of a column without a grid (the window colour).
inline constexpr std::uint32_t kColumnWindowColor = 0x00FFFFFF;

class TColumnTitle {
 public:
  explicit TColumnTitle(TColumn& column) : column_(column) {}

  std::string Caption() const;
  void SetCaption(const std::string& caption);
  TTextAlignment Alignment() const;
  void SetAlignment(TTextAlignment alignment);
  platform::TFont Font() const;
  void SetFont(const platform::TFont& font);

  // Forgets the caption, alignment and font set.
  void RestoreDefaults();
  // Copies what was set in the source's column.
  void Assign(const TColumnTitle& source);

 private:
  TColumn& column_;
  std::string caption_;
  platform::TFont font_;
  TTextAlignment alignment_ = TTextAlignment::taLeftJustify;
};

class TColumn {
 public:
  // A new column appended to the collection (the grid gets one more column).
  explicit TColumn(TDataGridColumns& collection);
  ~TColumn();
  TColumn(const TColumn&) = delete;
  TColumn& operator=(const TColumn&) = delete;

  TDataGrid* Grid() const;
  int Index() const;

  std::uint32_t Color() const;
  void SetColor(std::uint32_t color);
  platform::TFont Font() const;
  void SetFont(const platform::TFont& font);
  TTextAlignment Alignment() const;
  void SetAlignment(TTextAlignment alignment);
  // True unless the grid's options hold goEditing; true without a grid.
  bool ReadOnly() const;
  void SetReadOnly(bool readOnly);

  TColumnButtonStyle ButtonStyle() const { return buttonStyle_; }
  void SetButtonStyle(TColumnButtonStyle style);
  // Changing the format empties the display mask.
  TColumnFormat Format() const { return format_; }
  void SetFormat(TColumnFormat format);
  const std::string& DisplayMask() const { return displayMask_; }
  void SetDisplayMask(std::string mask);

  std::string EditMask;
  std::int32_t MaxLength = 0;
  bool LimitToList = false;
  std::uint32_t DropDownRows = 7;

  // The pick list (made empty on first use).
  std::vector<std::string>& PickList();
  bool HasPickList() const { return pickList_ != nullptr && !pickList_->empty(); }
  void FreePickList() { pickList_.reset(); }

  platform::TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(platform::TPopupMenu* menu);

  TColumnTitle& Title() { return title_; }
  const TColumnTitle& Title() const { return title_; }
  std::uint16_t AssignedValues() const { return assigned_; }
  // The index at creation (not updated when columns move).
  std::int32_t InternalCol() const { return internalCol_; }

  // The names of the properties a form would store for the column: those set
  // and different from their defaults.
  std::vector<std::string> StoredProperties() const;

  void RestoreDefaults();
  // Copies colour, font, alignment and read-only where set in the source,
  // the title, drop-down rows, button style, pick list and popup menu.
  void Assign(const TColumn& source);

 private:
  friend class TColumnTitle;
  friend class TDataGridColumns;
  void Changed();

  TDataGridColumns& collection_;
  std::uint32_t color_ = kColumnWindowColor;
  TColumnFormat format_ = TColumnFormat::cfString;
  std::string displayMask_;
  TColumnTitle title_;
  platform::TFont font_;
  std::unique_ptr<std::vector<std::string>> pickList_;
  platform::TPopupMenu* popupMenu_ = nullptr;
  TColumnButtonStyle buttonStyle_ = TColumnButtonStyle::cbsAuto;
  TTextAlignment alignment_ = TTextAlignment::taLeftJustify;
  bool readOnly_ = false;
  std::uint16_t assigned_ = 0;
  std::int32_t internalCol_ = -1;
};

class TDataGridColumns {
 public:
  explicit TDataGridColumns(TDataGrid* grid) : grid_(grid) {}
  ~TDataGridColumns();

  TDataGrid* Grid() const { return grid_; }
  int Count() const { return static_cast<int>(items_.size()); }
  TColumn& Items(int i) const { return *items_.at(static_cast<std::size_t>(i)); }
  // A new last column; the grid's ColCount follows.
  TColumn& Add();
  // Frees the columns from index count on, or appends columns up to count,
  // without touching the grid.
  void Resize(int count);
  // Moves the column at from to index to.
  void Move(int from, int to);
  // A copy of the source's columns (as Assign of each).
  void Assign(const TDataGridColumns& source);
  // After any change of a column: the grid repaints.
  void Update(TColumn& column);
  // The popup menu is being freed: every column forgets it.
  void ForgetPopupMenu(const platform::TComponent& menu);

 private:
  friend class TColumn;
  TDataGrid* grid_;
  std::vector<std::unique_ptr<TColumn>> items_;
};
