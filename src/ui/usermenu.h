// User menus: the visibility menu (kind 1, TVMenu) and the activity menu
// (kind 2, TAMenu) read from a ".mnu" text file, with their popups, items,
// actions and icons. What a click on an item does is run through the
// TUserMenuTarget interface, which the map view implements.
//
// GUI thread only. A menu owns its popups, its icons and (through the
// popups) its items; an item owns its actions. Links between objects (an
// item's submenu, next item and icon, a popup's icon) do not own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/paint/gdiimage.h"
#include "ui/activityrecord.h"

class TAVMenu;
class TAVMenuPopup;
class TAVMenuItemBase;
class TVItem;

// Error codes of reading a menu file (0: no error).
enum TMenuError : std::int32_t {
  meNone = 0,
  meActionOnSubmenu = 1,
  meNoAction = 2,
  meUnknownAction = 3,
  meNoLayerKind = 4,
  meUnknownLayerKind = 5,
  meNoPath = 6,
  meBadActivityLine = 7,
  meConversion = 8,
  meUnknownIdentifier = 9,
  meNoFile = 10,
  meBadKind = 11,
  meUnknownSubmenu = 12,
  meSubmenuInItself = 13,
  meNoLayerType = 15,
  meNoLayerName = 16,
  meSubmenuWithNext = 17,
  meUnknownNextItem = 18,
};

// Values copied from a menu file are cut to this many characters.
inline constexpr std::size_t kMenuValueLimit = 200;

// The first limit characters of a UTF-8 text.
std::string CutMenuValue(std::string_view s, std::size_t limit);
// An integer of a menu file: signed decimal, or hexadecimal after a "$";
// false when the text is no integer of 32 bits.
bool MenuStrToInt(std::string_view s, std::int32_t& n);

// Names of popups and items, and identifiers of imported icons, are equal
// when they differ only in the case of the letters A to Z.
bool SameMenuName(std::string_view a, std::string_view b);

// What running a menu item does to the program; the map view implements it.
class TUserMenuTarget {
 public:
  virtual ~TUserMenuTarget() = default;
  // One visibility action on the layer nodes its path selects, or (action 7)
  // the keystroke sequence typed into the program.
  virtual void RunVisibilityAction(const TVItem& action) = 0;
  // Makes the record's sublayer the active one with its given parameters;
  // next (may be null) runs afterwards.
  virtual void ExecuteMenuCommand(std::uint32_t given, const TActivityRecord& record,
                                  TAVMenuItemBase* next) = 0;
};

// An icon of a menu: its identifier or file name and the bitmap.
class TMenuBitmap {
 public:
  TMenuBitmap(std::string name, std::unique_ptr<platform::TBitmap> bitmap);
  virtual ~TMenuBitmap();
  TMenuBitmap(const TMenuBitmap&) = delete;
  TMenuBitmap& operator=(const TMenuBitmap&) = delete;

  virtual std::string DisplayName() const = 0;
  virtual bool IsImported() const { return false; }
  // Appends what the icon keeps to the text of a menu file being written.
  virtual void SaveToFile(std::string& /*out*/) const {}
  // The icon field as the menu file writes it.
  virtual std::string FileRef() const = 0;

  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  platform::TBitmap* Bitmap() const { return bitmap_.get(); }

 private:
  std::string name_;
  std::unique_ptr<platform::TBitmap> bitmap_;
};

// An icon imported into the menu file (a block of hexadecimal bytes).
class TInBitmap : public TMenuBitmap {
 public:
  TInBitmap(std::string identifier, std::unique_ptr<platform::TBitmap> bitmap,
            std::vector<std::uint8_t> data);
  std::string DisplayName() const override { return "<zaimportowana>"; }
  bool IsImported() const override { return true; }
  // The kept bytes, 25 a line, each as two upper-case hexadecimal digits and
  // a blank, every line ended by CR LF.
  void SaveToFile(std::string& out) const override;
  std::string FileRef() const override { return "*" + Name(); }
  // The bytes the icon was read from (kept in edit mode only).
  const std::vector<std::uint8_t>& Data() const { return data_; }

 private:
  std::vector<std::uint8_t> data_;
};

// An icon from a bitmap file beside the menu file.
class TOutBitmap : public TMenuBitmap {
 public:
  using TMenuBitmap::TMenuBitmap;
  std::string DisplayName() const override { return Name(); }
  std::string FileRef() const override { return Name(); }
};

class TAVMenuPopup {
 public:
  TAVMenuPopup(std::string name, bool submenu);
  ~TAVMenuPopup();

  std::string Name;
  TMenuBitmap* Icon = nullptr;
  bool IsSubmenu = false;
  std::vector<std::unique_ptr<TAVMenuItemBase>> Items;
};

class TAVMenuItemBase {
 public:
  TAVMenuItemBase(std::string name, TAVMenuPopup* submenu, TMenuBitmap* icon,
                  TAVMenuItemBase* next);
  virtual ~TAVMenuItemBase();
  TAVMenuItemBase(const TAVMenuItemBase&) = delete;
  TAVMenuItemBase& operator=(const TAVMenuItemBase&) = delete;

  // Adds one action line of the menu file; returns an error code (0: taken).
  virtual std::int32_t AddActionLine(std::string_view line, bool editMode) = 0;
  // Checks the finished item; returns an error code.
  virtual std::int32_t Check() { return meNone; }
  // Runs the item on the target.
  virtual void Execute(TUserMenuTarget& target) = 0;

  std::string Name;
  TAVMenuPopup* Submenu = nullptr;
  TAVMenuItemBase* NextItem = nullptr;
  std::string NextItemName;  // as written
  TMenuBitmap* Icon = nullptr;
};

// Action codes of visibility actions ("W", "N", "K", "O", "P", "C", "V", "M").
enum TVAction : std::uint8_t {
  vaShow = 0, vaHide = 1, vaUnload = 2, vaLoadRect = 3,
  vaLoadExtent = 4, vaLoadWhole = 5, vaShowRedraw = 6, vaKeys = 7,
};
// Layer-kind codes ("*", "L", "T", "D", "E", "K", "S", "R", "G").
enum TVLayerKind : std::uint8_t {
  vkAll = 0, vkLine = 1, vkText = 2, vkMainBase = 3, vkExtraBase = 4,
  vkContours = 5, vkHatches = 6, vkRasters = 7, vkSheets = 8,
};

// One visibility action.
class TVItem {
 public:
  // An action from its parts; the path is normalised (the keystroke text of
  // action 7 is kept as given).
  TVItem(std::uint8_t action, std::uint8_t layerKind, std::string_view path, bool editMode);

  std::uint8_t Action = 0;
  std::uint8_t LayerKind = 0;
  std::string Path;  // or the keystroke text of action 7
};

// The normalised form of a visibility path (see the menu file notes in
// docs/formats.md).
std::string NormaliseMenuPath(std::uint8_t layerKind, std::string_view path, bool editMode);

class TVMenuItem : public TAVMenuItemBase {
 public:
  TVMenuItem(std::string name, TAVMenuPopup* submenu, TMenuBitmap* icon, TAVMenuItemBase* next);
  std::int32_t AddActionLine(std::string_view line, bool editMode) override;
  void Execute(TUserMenuTarget& target) override;

  // Null when the item opens a submenu.
  std::unique_ptr<std::vector<std::unique_ptr<TVItem>>> Actions;
};

class TAMenuItem : public TAVMenuItemBase {
 public:
  using TAVMenuItemBase::TAVMenuItemBase;
  std::int32_t AddActionLine(std::string_view line, bool editMode) override;
  std::int32_t Check() override;
  void Execute(TUserMenuTarget& target) override;

  std::uint32_t Given = 0;  // bit = TActivityParam
  TActivityRecord Record;
};

class TAVMenu {
 public:
  virtual ~TAVMenu();
  TAVMenu(const TAVMenu&) = delete;
  TAVMenu& operator=(const TAVMenu&) = delete;

  // A new item of the menu's kind.
  virtual std::unique_ptr<TAVMenuItemBase> CreateItem(std::string name, TAVMenuPopup* submenu,
                                                      TMenuBitmap* icon,
                                                      TAVMenuItemBase* next) = 0;
  // The item to run when a layer database of that name was attached to a
  // map view, or null.
  virtual TAVMenuItemBase* GetAutoStartItem(std::string_view name);

  // Fills the empty menu from the file. Faults of the file are left in
  // ErrorCode and ErrorContext; in edit mode a file that cannot be opened is
  // no error. Raises ETvError only when an icon file exists but is no
  // readable bitmap.
  void LoadFromFile(const std::string& fileName, bool editMode);

  // The outside icon of that file name from the menu's folder, reused when
  // the list has it; null for an empty name or a missing file.
  TMenuBitmap* AddBitmap(std::string_view fileName);
  // A new imported icon with an empty identifier read from a picture file;
  // null when the file cannot be read.
  TMenuBitmap* ImportBitmap(const std::string& fileName);
  // Frees the icon when fewer than two popups and items use it.
  void ReleaseBitmap(TMenuBitmap* icon);

  std::string Folder;
  std::int32_t Kind = 0;
  std::vector<std::unique_ptr<TAVMenuPopup>> Popups;
  std::int32_t Margin = 2;
  std::int32_t SizeH = -1;
  std::int32_t SizeV = -1;
  std::vector<std::unique_ptr<TInBitmap>> InBitmaps;
  std::vector<std::unique_ptr<TOutBitmap>> OutBitmaps;
  std::string ErrorContext;
  std::int32_t ErrorCode = meNone;

 protected:
  explicit TAVMenu(std::int32_t kind);

 private:
  bool Fail(std::int32_t code, std::string_view context);
  class Reader;
};

class TVMenu : public TAVMenu {
 public:
  TVMenu() : TAVMenu(1) {}
  std::unique_ptr<TAVMenuItemBase> CreateItem(std::string name, TAVMenuPopup* submenu,
                                              TMenuBitmap* icon, TAVMenuItemBase* next) override;
};

class TAMenu : public TAVMenu {
 public:
  TAMenu() : TAVMenu(2) {}
  std::unique_ptr<TAVMenuItemBase> CreateItem(std::string name, TAVMenuPopup* submenu,
                                              TMenuBitmap* icon, TAVMenuItemBase* next) override;
};

// The message for the menu's error code, with its context where it has one.
std::string MenuErrorText(const TAVMenu& menu);
