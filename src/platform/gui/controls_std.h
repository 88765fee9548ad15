// The standard controls: label, edits, memo, rich edit, buttons, check and
// radio buttons, radio group, group box, panel, bevel, combo and list boxes,
// progress bar, page control with tab sheets, scroll box, status bar, image
// and splitter. Each is a thin class over a window of the windowing system
// with the properties and events the system uses.
//
// Changing a value in code fires the same events as the system's framework
// did: an edit's OnChange on every change of its text, a check box's OnClick
// when Checked changes; selecting in a combo or list box from code fires
// nothing (UserSelect does what a user's choice does).
//
// GUI thread only; ownership as for every control (controls.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/gui/controls.h"
#include "platform/gui/controls_strings.h"

namespace platform {

class TLabel : public TControl {
 public:
  TLabel();
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool wrap);
  // The control an accelerator of the caption focuses ("&Skala": Alt+S);
  // without one the caption shows no accelerator.
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* control);

 protected:
  void CaptionChanged() override;

 private:
  TAlignment alignment_ = TAlignment::LeftJustify;
  bool wordWrap_ = false;
  TWinControl* focusControl_ = nullptr;
};

// Base of the one-line edits.
class TCustomEdit : public TWinControl {
 public:
  std::string Text() const;
  void SetText(std::string_view text);
  int MaxLength() const;
  void SetMaxLength(int length);
  bool ReadOnly() const;
  void SetReadOnly(bool readOnly);
  // A password character hides what is typed (0: shown).
  void SetPasswordChar(char32_t ch);
  void SelectAll();
  int SelStart() const;
  int SelLength() const;
  void SetSelection(int start, int length);
  bool Modified() const { return modified_; }
  void SetModified(bool modified) { modified_ = modified; }

  TNotifyEvent OnChange;

 protected:
  TCustomEdit() = default;
  void AttachEdit();

 private:
  bool modified_ = false;
};

// The plain edit.
class TEdit : public TCustomEdit {
 public:
  TEdit();
};

// An edit with an input mask in the system's notation ("!99999;1; ": '0'
// digit required, '9' digit optional, 'L'/'l' letter, 'A'/'a' letter or
// digit, 'C'/'c' any character, '#' digit or sign, '>' '<' case, '\' a
// literal; after ';' whether literals are kept and the blank character).
class TMaskEdit : public TCustomEdit {
 public:
  TMaskEdit();
  const std::string& EditMask() const { return mask_; }
  void SetEditMask(std::string mask);

 private:
  std::string mask_;
};

class TMemo : public TWinControl {
 public:
  TMemo();
  // The lines as shown now; changes to the list show at once.
  TStrings& Lines();
  std::string Text() const;
  void SetText(std::string_view text);
  bool ReadOnly() const;
  void SetReadOnly(bool readOnly);
  bool WordWrap() const;
  void SetWordWrap(bool wrap);
  void Clear() { SetText(""); }

  TNotifyEvent OnChange;

 private:
  TStrings lines_;
  bool syncing_ = false;
};

// Text with coloured and bold runs and tab stops, read-only by default.
class TRichEdit : public TWinControl {
 public:
  TRichEdit();
  void Clear();
  // Appends text (which may hold "\n" and "\t") in color (0x00BBGGRR).
  void AddText(std::string_view text, std::uint32_t color = 0, bool bold = false);
  // Tab stops in pixels from the left edge, ascending.
  void SetTabStops(const std::vector<int>& stops);
  std::vector<int> TabStops() const { return tabStops_; }
  std::string Text() const;
  std::vector<std::string> Lines() const;
  // The colour and weight of the character at position pos of Text()
  // (counted in characters, line ends as one).
  std::uint32_t ColorAt(int pos) const;
  bool BoldAt(int pos) const;
  bool ReadOnly() const;
  void SetReadOnly(bool readOnly);

 private:
  std::vector<int> tabStops_;
};

class TButton : public TWinControl {
 public:
  TButton();
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult result) { modalResult_ = result; }
  // Enter anywhere on the form clicks the default button; Esc the cancel one.
  bool Default() const { return default_; }
  void SetDefault(bool isDefault);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool isCancel) { cancel_ = isCancel; }
  // Sets the form's modal result to ModalResult, then runs OnClick.
  void Click() override;

 protected:
  void CaptionChanged() override;

 private:
  TModalResult modalResult_ = mrNone;
  bool default_ = false;
  bool cancel_ = false;
};

enum class TBitBtnKind { Custom, OK, Cancel, Help, Yes, No, Close, Abort, Retry, Ignore, All };

// A button of a kind: the kind gives its standard caption, modal result and
// default or cancel role; the Close kind closes the form.
class TBitBtn : public TButton {
 public:
  TBitBtn() = default;
  TBitBtnKind Kind() const { return kind_; }
  void SetKind(TBitBtnKind kind);
  void Click() override;

 private:
  TBitBtnKind kind_ = TBitBtnKind::Custom;
};

// A flat button; buttons of one GroupIndex (> 0) on one parent stay down
// one at a time.
class TSpeedButton : public TControl {
 public:
  TSpeedButton();
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int index);
  bool Down() const;
  void SetDown(bool down);
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool allow) { allowAllUp_ = allow; }
  void SetFlat(bool flat);
  void Click() override;

 protected:
  void CaptionChanged() override;

 private:
  int groupIndex_ = 0;
  bool allowAllUp_ = false;
  bool down_ = false;
};

enum class TCheckBoxState { Unchecked, Checked, Grayed };

class TCheckBox : public TWinControl {
 public:
  TCheckBox();
  bool Checked() const { return State() == TCheckBoxState::Checked; }
  // Fires OnClick when the state changes.
  void SetChecked(bool checked) { SetState(checked ? TCheckBoxState::Checked : TCheckBoxState::Unchecked); }
  TCheckBoxState State() const;
  void SetState(TCheckBoxState state);
  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool allow) { allowGrayed_ = allow; }
  // Toggles as a user's click does (and so fires OnClick).
  void Click() override;

 protected:
  void CaptionChanged() override;

 private:
  bool allowGrayed_ = false;
};

// Radio buttons on one parent exclude one another.
class TRadioButton : public TWinControl {
 public:
  TRadioButton();
  bool Checked() const;
  // Checking fires OnClick (and unchecks the others on the parent).
  void SetChecked(bool checked);
  void Click() override;

 protected:
  void CaptionChanged() override;
};

class TGroupBox : public TWinControl {
 public:
  TGroupBox();

 protected:
  void CaptionChanged() override;
};

// A group box of radio buttons made from Items; ItemIndex is the checked
// one (-1 for none). OnClick fires when the user checks one, or when
// ItemIndex changes in code.
class TRadioGroup : public TWinControl {
 public:
  TRadioGroup();
  ~TRadioGroup() override;
  TStrings& Items() { return items_; }
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int index);
  int Columns() const { return columns_; }
  void SetColumns(int columns);
  // What a user's click on button index does.
  void UserSelect(int index);

 protected:
  void CaptionChanged() override;

 private:
  void Rebuild();
  void Arrange();
  TStrings items_;
  int itemIndex_ = -1;
  int columns_ = 1;
};

enum class TBevelCut { None, Lowered, Raised };

// A panel: a container with a bevel and a centred caption.
class TPanel : public TWinControl {
 public:
  TPanel();
  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut cut);
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut cut);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);

 protected:
  void CaptionChanged() override;
  // A panel the Tab key stops at (SetTabStop) shows a frame while it has
  // the focus, and the space bar clicks it.
  void KeyDown(std::uint16_t& key, TShiftState shift) override;
  void DoEnter() override;
  void DoExit() override;

 private:
  void UpdateFrame();
  TBevelCut bevelOuter_ = TBevelCut::Raised;
  TBevelCut bevelInner_ = TBevelCut::None;
  TAlignment alignment_ = TAlignment::Center;
};

enum class TBevelShape { Box, Frame, TopLine, BottomLine, LeftLine, RightLine, Spacer };
enum class TBevelStyle { Lowered, Raised };

class TBevel : public TControl {
 public:
  TBevel();
  TBevelShape Shape() const { return shape_; }
  void SetShape(TBevelShape shape);
  TBevelStyle Style() const { return style_; }
  void SetStyle(TBevelStyle style);

 private:
  void UpdateFrame();
  TBevelShape shape_ = TBevelShape::Box;
  TBevelStyle style_ = TBevelStyle::Lowered;
};

enum class TComboBoxStyle { DropDown, DropDownList };

class TComboBox : public TWinControl {
 public:
  TComboBox();
  ~TComboBox() override;
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle style);
  TStrings& Items() { return items_; }
  int ItemIndex() const;
  // Selects in code: fires no event.
  void SetItemIndex(int index);
  // The edit text (the selected item's text for a drop-down list).
  std::string Text() const;
  void SetText(std::string_view text);
  int DropDownCount() const;
  void SetDropDownCount(int count);
  bool Sorted() const { return items_.Sorted(); }
  void SetSorted(bool sorted) { items_.SetSorted(sorted); }

  // What a user's choice of item index does: select, OnChange, OnClick.
  void UserSelect(int index);

  TNotifyEvent OnChange;

 protected:
  // The user asked for the drop-down list (its button, Alt+Down, F4): true
  // when the control showed a list of its own, so the toolkit's stays shut.
  virtual bool DropDownRequested() { return false; }

 private:
  friend struct TComboBoxAccess;
  void Sync(TStrings::TChange change, int index);
  TStrings items_;
  TComboBoxStyle style_ = TComboBoxStyle::DropDown;
  bool syncing_ = false;
};

class TListBox : public TWinControl {
 public:
  TListBox();
  ~TListBox() override;
  TStrings& Items() { return items_; }
  int ItemIndex() const;
  // Selects in code: fires no event.
  void SetItemIndex(int index);
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool multi);
  bool Selected(int index) const;
  void SetSelected(int index, bool selected);
  int SelCount() const;
  bool Sorted() const { return items_.Sorted(); }
  void SetSorted(bool sorted) { items_.SetSorted(sorted); }
  int TopIndex() const;

  // What a user's click on item index does: select it, OnClick.
  void UserSelect(int index);

 private:
  void Sync(TStrings::TChange change, int index);
  TStrings items_;
  bool multiSelect_ = false;
  bool syncing_ = false;
};

class TProgressBar : public TWinControl {
 public:
  TProgressBar();
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  void SetMin(int min);
  void SetMax(int max);
  // Kept within Min..Max.
  void SetPosition(int position);
  void SetRange(int min, int max);
  int Step() const { return step_; }
  void SetStep(int step) { step_ = step; }
  void StepIt() { SetPosition(position_ + step_); }
  void StepBy(int delta) { SetPosition(position_ + delta); }

 private:
  void Update();
  int min_ = 0;
  int max_ = 100;
  int position_ = 0;
  int step_ = 10;
};

class TPageControl;

// A page of a page control: place it on the page control (its parent), and
// the controls of the page on it.
class TTabSheet : public TWinControl {
 public:
  TTabSheet();
  TPageControl* PageControl() const;
  bool TabVisible() const { return tabVisible_; }
  void SetTabVisible(bool visible);
  // Position among the page control's pages.
  int PageIndex() const;

 protected:
  void CaptionChanged() override;

 private:
  bool tabVisible_ = true;
};

class TPageControl : public TWinControl {
 public:
  TPageControl();
  int PageCount() const { return static_cast<int>(pages_.size()); }
  TTabSheet* Pages(int i) const { return pages_.at(static_cast<size_t>(i)); }
  TTabSheet* ActivePage() const;
  // In code: fires no event.
  void SetActivePage(TTabSheet* page);
  int ActivePageIndex() const;
  void SetActivePageIndex(int index);
  // What a user's click on the tab of page index does: OnChanging (which
  // may refuse), then the change and OnChange.
  void UserSelectPage(int index);

  TNotifyEvent OnChange;
  std::function<void(TComponent& sender, bool& allowChange)> OnChanging;

 protected:
  void ChildAdded(TControl& child) override;
  void ChildRemoved(TControl& child) override;

 private:
  friend class TTabSheet;
  void UpdateTab(TTabSheet& page);
  std::vector<TTabSheet*> pages_;
  bool syncing_ = false;
};

// A container whose contents scroll when they do not fit.
class TScrollBox : public TWinControl {
 public:
  TScrollBox();
  // The scroll position of the contents.
  int HorzPosition() const;
  int VertPosition() const;
  void ScrollTo(int x, int y);
  // The size of the part of the contents in view, without the scroll bars
  // (the client size is the contents').
  int VisibleWidth() const;
  int VisibleHeight() const;

 protected:
  void ChildAdded(TControl& child) override;

 private:
  friend struct TScrollBoxAccess;
  void FitContents();
};

// A status bar along the bottom of its parent: one simple text, or panels
// of given widths.
class TStatusBar : public TWinControl {
 public:
  TStatusBar();
  int PanelCount() const { return static_cast<int>(panelWidths_.size()); }
  // Appends a panel width pixels wide; returns its index.
  int AddPanel(int width, std::string text = {});
  std::string PanelText(int i) const;
  void SetPanelText(int i, std::string_view text);
  int PanelWidth(int i) const { return panelWidths_.at(static_cast<size_t>(i)); }
  bool SimplePanel() const { return simplePanel_; }
  void SetSimplePanel(bool simple);
  const std::string& SimpleText() const { return simpleText_; }
  void SetSimpleText(std::string text);

 private:
  void Arrange();
  std::vector<int> panelWidths_;
  bool simplePanel_ = false;
  std::string simpleText_;
};

// A picture from a file (any format the windowing system reads).
class TImage : public TControl {
 public:
  TImage();
  // False (and the picture unchanged) when the file cannot be read.
  bool LoadFromFile(const std::string& path);
  void Clear();
  bool Empty() const;
  int PictureWidth() const;
  int PictureHeight() const;
  bool Stretch() const { return stretch_; }
  void SetStretch(bool stretch);
  bool Center() const { return center_; }
  void SetCenter(bool center);

 private:
  void UpdateView();
  bool stretch_ = false;
  bool center_ = false;
};

// A bar between aligned controls: dragging it resizes the control it is
// aligned against (the one placed before it on the same side).
class TSplitter : public TControl {
 public:
  TSplitter();
  int MinSize() const { return minSize_; }
  void SetMinSize(int size) { minSize_ = size; }
  TNotifyEvent OnMoved;

 protected:
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  TControl* Neighbour() const;
  int minSize_ = 30;
  bool dragging_ = false;
  int start_ = 0;
  int startSize_ = 0;
};

}  // namespace platform
