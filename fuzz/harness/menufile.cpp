// The user-menu files: read into a visibility or an activity menu, in run or
// edit mode, and everything read walked as the toolbars do. Oracles: the
// error code is one of the reader's and its message is built; links point
// only backwards to objects of the menu (a submenu link to a submenu popup,
// a next item to an item that opens none); an imported icon kept in edit mode
// writes back the bytes it was read from and they decode again.
//
// Input: one choice byte (bit 0: activity menu; bit 1: edit mode), then the
// menu file.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "foundation/errors.h"
#include "fuzz_common.h"
#include "platform/paint/bmpdecode.h"
#include "ui/usermenu.h"

namespace {

class NullTarget : public TUserMenuTarget {
 public:
  void RunVisibilityAction(const TVItem& action) override { paths += action.Path.size(); }
  void ExecuteMenuCommand(std::uint32_t given, const TActivityRecord& record,
                          TAVMenuItemBase*) override {
    paths += given + record.Warstwa.size();
  }
  std::size_t paths = 0;
};

std::vector<std::uint8_t> ParseHex(const std::string& text) {
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i + 2 < text.size() + 1;) {
    if (text[i] == ' ' || text[i] == '\r' || text[i] == '\n') {
      ++i;
      continue;
    }
    out.push_back(static_cast<std::uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
    i += 2;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Choices c(data, size);
  const std::uint8_t choice = c.Byte();
  const bool activity = (choice & 1) != 0;
  const bool editMode = (choice & 2) != 0;
  const std::string path = fuzz::PutFile("menu.mnu", c.Rest(), c.RestSize());

  std::unique_ptr<TAVMenu> menu;
  if (activity) menu = std::make_unique<TAMenu>();
  else menu = std::make_unique<TVMenu>();
  try {
    menu->LoadFromFile(path, editMode);
  } catch (const ETvError&) {
    // An icon file that exists but is no bitmap: the one fault raised.
    return 0;
  }
  const std::int32_t code = menu->ErrorCode;
  fuzz::Check((code >= 0 && code <= 13) || (code >= 15 && code <= 18),
              "unknown menu error code " + std::to_string(code));
  fuzz::Check((code == 0) == MenuErrorText(*menu).empty(), "error text does not match the code");

  std::set<const TAVMenuPopup*> popupsSeen;
  std::set<const TAVMenuItemBase*> itemsSeen;
  NullTarget target;
  for (const auto& popup : menu->Popups) {
    popupsSeen.insert(popup.get());
    for (const auto& item : popup->Items) {
      if (item->Submenu != nullptr) {
        fuzz::Check(popupsSeen.count(item->Submenu) == 1 && item->Submenu->IsSubmenu,
                    "an item opens a popup that is no earlier submenu");
        fuzz::Check(item->NextItem == nullptr, "a submenu item has a next item");
      }
      if (item->NextItem != nullptr) {
        fuzz::Check(itemsSeen.count(item->NextItem) == 1 && item->NextItem->Submenu == nullptr,
                    "a next item is no earlier item");
      }
      itemsSeen.insert(item.get());
      (void)menu->GetAutoStartItem(item->Name);
      item->Execute(target);
    }
  }
  for (const auto& icon : menu->InBitmaps) {
    fuzz::Check(icon->Bitmap() != nullptr, "an imported icon without a bitmap");
    if (!editMode) continue;
    std::string written;
    icon->SaveToFile(written);
    const std::vector<std::uint8_t> back = ParseHex(written);
    fuzz::Check(back == icon->Data(), "an imported icon does not write back its bytes");
    fuzz::Check(platform::DecodeBmpImage(back.data(), back.size()) != nullptr,
                "the written bytes of an imported icon do not decode");
  }
  return 0;
}
