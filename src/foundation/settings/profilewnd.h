// The profile window: offers the profiles (the folders under "users") when
// none is named after the user, and lets the user take one.
//
// GUI thread only. Whoever makes the window owns it; the window owns its
// controls.
#pragma once

#include <string>
#include <vector>

#include "platform/gui/forms.h"

namespace platform {
class TButton;
class TLabel;
class TListBox;
}  // namespace platform

class TProfileWnd : public platform::TForm {
 public:
  TProfileWnd();

  platform::TLabel* Label1 = nullptr;
  // The profile names.
  platform::TListBox* List = nullptr;
  platform::TButton* OKBtn = nullptr;
  platform::TButton* CancelBtn = nullptr;
};

// Shows the profile window modally over Names with the first one selected;
// returns the index taken with OK, or -1 when the window was closed in any
// other way. The window is freed before it returns.
int ShowProfileWnd(const std::vector<std::string>& Names);
