// Menus: main menus (the bar under a form's caption), pop-up menus and their
// items. An item with items of its own opens a submenu; the caption "-"
// makes a separator. Items are components: an item made by Add(caption) is
// owned by its parent item; one made elsewhere (Create on a form) is owned
// there and only shown here.
//
// GUI thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/controls.h"
#include "platform/paint/gdi.h"

namespace platform {

struct TMenuItemImpl;

// Shortcut = virtual-key code plus these bits.
inline constexpr std::uint16_t scShift = 0x2000;
inline constexpr std::uint16_t scCtrl = 0x4000;
inline constexpr std::uint16_t scAlt = 0x8000;

class TMenuItem : public TComponent {
 public:
  TMenuItem();
  ~TMenuItem() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  // The item is a separator line (caption "-").
  bool IsLine() const { return caption_ == "-"; }
  // The text the menu shows on the item: the caption, none on a separator.
  std::string ShownText() const;
  bool Checked() const { return checked_; }
  // Checking a radio item unchecks the radio items of its group on its menu.
  void SetChecked(bool checked);
  bool RadioItem() const { return radioItem_; }
  void SetRadioItem(bool radio) { radioItem_ = radio; }
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int index) { groupIndex_ = index; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  std::uint16_t ShortCut() const { return shortCut_; }
  void SetShortCut(std::uint16_t shortCut);
  const std::string& Hint() const { return hint_; }
  void SetHint(std::string hint) { hint_ = std::move(hint); }

  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int i) const { return items_.at(static_cast<size_t>(i)); }
  TMenuItem* Parent() const { return parent_; }
  int IndexOf(const TMenuItem* item) const;
  // Shows item (not owned) at the end / at index.
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  // Makes a new item owned by this one, shown at the end.
  TMenuItem* Add(std::string caption);
  // Takes item index off the menu (and frees it when this item owns it).
  void Delete(int index);
  void Clear();

  TNotifyEvent OnClick;
  // What choosing the item does: OnClick.
  void Click();

  // The Qt side (platform .cpp files only).
  TMenuItemImpl& Impl() const { return *impl_; }

 private:
  friend class TMenu;
  void Detach(TMenuItem* item);
  void* SubmenuContainer();

  std::unique_ptr<TMenuItemImpl> impl_;
  std::string caption_;
  std::string hint_;
  bool checked_ = false;
  bool radioItem_ = false;
  int groupIndex_ = 0;
  bool enabled_ = true;
  bool visible_ = true;
  std::uint16_t shortCut_ = 0;
  std::vector<TMenuItem*> items_;
  TMenuItem* parent_ = nullptr;
};

// Base of the two menus: a root item whose items are the menu's.
class TMenu : public TComponent {
 public:
  ~TMenu() override;
  TMenuItem& Items() { return *root_; }

 protected:
  TMenu();
  // Makes the root's items go into container (a QMenuBar* or QMenu*).
  void SetRootContainer(void* container);

 private:
  std::unique_ptr<TMenuItem> root_;
};

class TMainMenu : public TMenu {
 public:
  TMainMenu();
  ~TMainMenu() override;
  // The menu bar (a QMenuBar*) the form shows.
  void* NativeMenuBar() const;

 private:
  struct Bar;
  std::unique_ptr<Bar> bar_;
};

// Where a pop-up menu stands against the point it opens at: its left edge,
// its right edge or its middle there (its top always there).
enum class TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TMenu {
 public:
  TPopupMenu();
  ~TPopupMenu() override;
  TPopupAlignment Alignment() const { return alignment_; }
  void SetAlignment(TPopupAlignment alignment) { alignment_ = alignment; }
  // Opens the menu at screen point (x, y) after OnPopup; returns at once.
  void Popup(int x, int y);
  // Opens the menu at screen point (x, y) after OnPopup and returns when it
  // has closed; the program's events run meanwhile. A mouse press or double
  // click inside the screen rectangle keepOut, made while the menu is open
  // (the one that closes it included), reaches no window: the click that
  // closes a menu over the control that opened it does not open it again.
  // A press elsewhere that closes the menu goes on to the window under it.
  // Without a screen and a test responder the menu is not shown (stderr
  // says so) and the call returns at once.
  void PopupModal(int x, int y, const TGdiRect* keepOut = nullptr);
  // Whether the menu is shown now.
  bool Showing() const;
  // Where the menu stands (or stood when last shown), in screen pixels.
  TGdiRect ScreenBounds() const;
  TNotifyEvent OnPopup;
  // The menu closed, an item chosen (before that item's OnClick) or none;
  // once for every Popup and PopupModal, also for one not shown for want of
  // a screen.
  TNotifyEvent OnClose;

 private:
  struct Menu;
  // The menu's top-left corner for a menu opening at (x, y).
  void PlaceAt(int x, int y, int& left, int& top) const;
  // Calls OnClose.
  void Closed();

  std::unique_ptr<Menu> menu_;
  TPopupAlignment alignment_ = TPopupAlignment::paLeft;
  // Expires when the menu is freed (also while PopupModal waits).
  std::shared_ptr<char> life_ = std::make_shared<char>();
};

}  // namespace platform
