#include "foundation/settings/profilewnd.h"

#include "platform/gui/controls_std.h"

using namespace platform;

TProfileWnd::TProfileWnd() {
  SetCaption("Profile użytkownika");
  SetBorderStyle(TFormBorderStyle::Dialog);
  SetPosition(TPosition::ScreenCenter);
  SetClientWidth(217);
  SetClientHeight(226);

  Label1 = Create<TLabel>(this, "Label1");
  Label1->SetBounds(8, 8, 201, 13);
  Label1->SetCaption("Wybierz profil:");

  List = Create<TListBox>(this, "List");
  List->SetBounds(8, 26, 201, 153);

  OKBtn = Create<TButton>(this, "OKBtn");
  OKBtn->SetBounds(24, 192, 75, 25);
  OKBtn->SetCaption("OK");
  OKBtn->SetDefault(true);
  OKBtn->SetModalResult(mrOk);
  // A list with nothing selected names no profile: the window stays open.
  OKBtn->OnClick = [this](TComponent&) {
    if (List->ItemIndex() < 0) SetModalResult(mrNone);
  };

  CancelBtn = Create<TButton>(this, "CancelBtn");
  CancelBtn->SetBounds(118, 192, 75, 25);
  CancelBtn->SetCaption("Anuluj");
  CancelBtn->SetCancel(true);
  CancelBtn->SetModalResult(mrCancel);
}

int ShowProfileWnd(const std::vector<std::string>& Names) {
  auto window = MakeForm<TProfileWnd>();
  window->List->Items().Assign(Names);
  window->List->SetItemIndex(0);
  window->SetActiveControl(window->List);
  if (window->ShowModal() != mrOk) return -1;
  return window->List->ItemIndex();
}
