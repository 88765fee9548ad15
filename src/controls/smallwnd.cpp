#include "controls/smallwnd.h"

#include "controls/progressbar.h"
#include "platform/gui/application.h"
#include "platform/gui/controls_std.h"
#include "platform/paint/gdiprint.h"

using namespace platform;

TProgressWnd::TProgressWnd(const std::string& Caption, std::int32_t Maximum) {
  SetBorderStyle(TFormBorderStyle::Dialog);
  SetBorderIcons(biSystemMenu);
  SetFormStyle(TFormStyle::StayOnTop);
  SetPosition(TPosition::ScreenCenter);
  SetClientWidth(300);
  SetClientHeight(41);
  Bar = Create<TNewProgressBar>(this, "Bar");
  Bar->SetBounds(8, 12, 284, 17);
  Reset(Caption, Maximum);
}

void TProgressWnd::Reset(const std::string& Caption, std::int32_t Maximum) {
  SetCaption(Caption);
  // The minimum first: a maximum below the old minimum is then accepted.
  Bar->SetMin(0);
  Bar->SetMax(Maximum);
}

TProgressAbortWnd::TProgressAbortWnd(const std::string& Caption, std::int32_t Maximum)
    : TProgressWnd(Caption, Maximum) {
  SetBorderIcons(0);
  SetClientHeight(76);
  AbortBtn = Create<TButton>(this, "AbortBtn");
  AbortBtn->SetBounds(112, 44, 75, 25);
  AbortBtn->SetCaption("Przerwij");
  AbortBtn->SetCancel(true);
  AbortBtn->OnClick = [this](TComponent&) { FAborted = true; };
}

void TProgressAbortWnd::Step(std::int32_t Position) {
  Bar->SetPosition(Position);
  Application().ProcessMessages();
}

TPrintingWnd::TPrintingWnd(TPrinter& Printer) : FPrinter(Printer) {
  SetCaption("Drukowanie...");
  SetBorderStyle(TFormBorderStyle::Dialog);
  SetFormStyle(TFormStyle::StayOnTop);
  SetPosition(TPosition::ScreenCenter);
  SetClientWidth(260);
  SetClientHeight(108);
  Panel = Create<TPanel>(this, "Panel");
  Panel->SetBounds(8, 8, 244, 57);
  Panel->SetBevelOuter(TBevelCut::Lowered);
  Title = Create<TLabel>(Panel, "Title");
  Title->SetBounds(4, 8, 236, 16);
  Title->SetAlignment(TAlignment::Center);
  Title->SetCaption(FPrinter.Title());
  Page = Create<TLabel>(Panel, "Page");
  Page->SetBounds(4, 32, 236, 16);
  Page->SetAlignment(TAlignment::Center);
  AbortBtn = Create<TButton>(this, "AbortBtn");
  AbortBtn->SetBounds(92, 75, 75, 25);
  AbortBtn->SetCaption("Przerwij");
  AbortBtn->SetCancel(true);
  AbortBtn->OnClick = [this](TComponent&) { FPrinter.Abort(); };
}

void TPrintingWnd::SetPage() {
  Page->SetCaption("Strona: " + std::to_string(FPrinter.PageNumber()));
  Page->Repaint();
}

TInputWnd::TInputWnd() {
  SetBorderStyle(TFormBorderStyle::Dialog);
  SetPosition(TPosition::ScreenCenter);
  SetClientWidth(300);
  SetClientHeight(92);
  LabelText = Create<TLabel>(this, "LabelText");
  LabelText->SetBounds(8, 8, 284, 16);
  Value = Create<TEdit>(this, "Value");
  Value->SetBounds(8, 26, 284, 21);
  LabelText->SetFocusControl(Value);
  OKBtn = Create<TButton>(this, "OKBtn");
  OKBtn->SetBounds(64, 58, 75, 25);
  OKBtn->SetCaption("OK");
  OKBtn->SetDefault(true);
  OKBtn->SetModalResult(mrOk);
  CancelBtn = Create<TButton>(this, "CancelBtn");
  CancelBtn->SetBounds(160, 58, 75, 25);
  CancelBtn->SetCaption("Anuluj");
  CancelBtn->SetCancel(true);
  CancelBtn->SetModalResult(mrCancel);
  SetActiveControl(Value);
}

bool TInputWnd::Run(const std::string& Caption, const std::string& Prompt, std::string& Text) {
  auto wnd = MakeForm<TInputWnd>();
  wnd->SetCaption(Caption);
  wnd->LabelText->SetCaption(Prompt);
  wnd->Value->SetText(Text);
  if (wnd->ShowModal() != mrOk) return false;
  Text = wnd->Value->Text();
  return true;
}

std::string TInputWnd::Execute(const std::string& Caption, const std::string& Prompt,
                               const std::string& Initial) {
  std::string text = Initial;
  return Run(Caption, Prompt, text) ? text : Initial;
}

bool TInputWnd::ExecuteOk(const std::string& Caption, const std::string& Prompt, std::string& Text) {
  std::string edited = Text;
  if (!Run(Caption, Prompt, edited)) return false;
  Text = std::move(edited);
  return true;
}

TYesNoAll::TYesNoAll() {
  SetCaption("Potwierdź");
  SetBorderStyle(TFormBorderStyle::Dialog);
  SetPosition(TPosition::ScreenCenter);
  SetClientWidth(330);
  SetClientHeight(128);
  Komunikat = Create<TLabel>(this, "Komunikat");
  Komunikat->SetBounds(8, 8, 314, 48);
  Komunikat->SetAlignment(TAlignment::Center);
  Komunikat->SetWordWrap(true);
  All = Create<TCheckBox>(this, "All");
  All->SetBounds(8, 64, 200, 17);
  All->SetCaption("Na wszystkie");
  auto button = [this](const char* name, const char* caption, TModalResult result, int left) {
    TButton* b = Create<TButton>(this, name);
    b->SetBounds(left, 94, 75, 25);
    b->SetCaption(caption);
    b->SetModalResult(result);
    return b;
  };
  YesBtn = button("YesBtn", "&Tak", mrYes, 44);
  YesBtn->SetDefault(true);
  NoBtn = button("NoBtn", "&Nie", mrNo, 128);
  CancelBtn = button("CancelBtn", "Anuluj", mrCancel, 212);
  CancelBtn->SetCancel(true);
  SetActiveControl(All);
}

void TYesNoAll::SetMessage(const std::string& Text) { Komunikat->SetCaption(Text); }

bool TYesNoAll::GetAll() const { return All->Checked(); }

TFixQuery::TFixQuery() {
  YesBtn->SetLeft(8);
  NoBtn->SetLeft(88);
  CancelBtn->SetLeft(168);
  FixBtn = Create<TButton>(this, "FixBtn");
  FixBtn->SetBounds(248, 94, 75, 25);
  FixBtn->SetCaption("&Popraw");
  FixBtn->SetModalResult(mrRetry);
}
