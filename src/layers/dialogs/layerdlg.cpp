#include "layers/dialogs/layerdlg.h"

#include "foundation/text/numtext.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/dialogs.h"

using namespace platform;

namespace {

constexpr char kErrorCaption[] = "Błąd";
constexpr std::size_t kNameLength = 10;

TLabel* MakeLabel(TForm& form, const char* caption, int left, int top, TWinControl* focus) {
  auto* l = form.Create<TLabel>(&form);
  l->SetBounds(left, top, 170, 16);
  l->SetCaption(caption);
  l->SetFocusControl(focus);
  return l;
}

// Characters in a UTF-8 text.
std::size_t Characters(const std::string& text) {
  std::size_t n = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

}  // namespace

TChangeWarstwaHeader::TChangeWarstwaHeader() {
  SetCaption("Edycja nagłówka warstwy");
  SetHelpContext(kHelpContext);
  SetBorderStyle(TFormBorderStyle::Dialog);
  SetPosition(TPosition::ScreenCenter);
  SetClientWidth(400);
  SetClientHeight(150);

  Name = Create<TEdit>(this, "Name");
  Name->SetBounds(150, 8, 100, 21);
  Name->SetMaxLength(11);
  MakeLabel(*this, "Nazwa warstwy:", 8, 11, Name);
  FullName = Create<TEdit>(this, "FullName");
  FullName->SetBounds(150, 36, 242, 21);
  MakeLabel(*this, "Pełna nazwa warstwy:", 8, 39, FullName);

  NewPodw = Create<TButton>(this, "NewPodw");
  NewPodw->SetBounds(8, 72, 124, 25);
  NewPodw->SetCaption("Dodaj podwarstwę");
  NewPodw->OnClick = [this](TComponent&) {
    // The addition cannot be taken back: from now on the dialog closes only
    // by OK or the delete buttons.
    if (Warstwa != nullptr && Warstwa->AddSublayer()) BitBtn2->SetEnabled(false);
  };
  BitBtn4 = Create<TButton>(this, "BitBtn4");
  BitBtn4->SetBounds(138, 72, 110, 25);
  BitBtn4->SetCaption("Usuń warstwę");
  BitBtn4->OnClick = [this](TComponent&) {
    const std::string name = Warstwa != nullptr ? Warstwa->LayerName() : Name->Text();
    if (MessageBox("Usunąć warstwę " + name + " razem z zawartością?", "Potwierdź",
                   MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES)
      SetModalResult(kDeleteLayer);
  };
  BitBtn5 = Create<TButton>(this, "BitBtn5");
  BitBtn5->SetBounds(254, 72, 138, 25);
  BitBtn5->SetCaption("Usuń ostatnią podwarstwę");
  BitBtn5->SetModalResult(kDeleteLastSublayer);

  BitBtn1 = Create<TBitBtn>(this, "BitBtn1");
  BitBtn1->SetKind(TBitBtnKind::OK);
  BitBtn1->SetBounds(60, 114, 80, 25);
  BitBtn1->OnClick = [this](TComponent&) {
    if (!Name->Text().empty()) return;
    SetModalResult(mrNone);
    MessageBox("Nazwa warstwy nie może być pusta", kErrorCaption, MB_OK);
    Name->SetFocus();
    SetActiveControl(Name);
  };
  BitBtn2 = Create<TBitBtn>(this, "BitBtn2");
  BitBtn2->SetKind(TBitBtnKind::Cancel);
  BitBtn2->SetCaption("Anuluj");
  BitBtn2->SetBounds(160, 114, 80, 25);
  BitBtn3 = Create<TBitBtn>(this, "BitBtn3");
  BitBtn3->SetKind(TBitBtnKind::Help);
  BitBtn3->SetCaption("&Pomoc");
  BitBtn3->SetBounds(260, 114, 80, 25);

  OnCloseQuery = [this](TComponent&, bool& canClose) {
    if (ModalResult() == mrCancel && !BitBtn2->Enabled()) canClose = false;
  };
  SetActiveControl(Name);
}

TNewWarstwa::TNewWarstwa() {
  SetCaption("Nowa warstwa");
  SetHelpContext(kHelpContext);
  SetBorderStyle(TFormBorderStyle::Dialog);
  SetPosition(TPosition::ScreenCenter);
  SetClientWidth(400);
  SetClientHeight(160);

  auto* dirLabel = Create<TLabel>(this);
  dirLabel->SetBounds(8, 8, 60, 16);
  dirLabel->SetCaption("Katalog:");
  DirName = Create<TLabel>(this, "DirName");
  DirName->SetBounds(80, 8, 312, 16);

  Name = Create<TComboBox>(this, "Name");
  Name->SetSorted(true);
  Name->SetBounds(200, 30, 120, 21);
  Name->OnKeyPress = [this](TComponent&, char32_t& key) {
    if (key >= 0x20 && Characters(Name->Text()) >= kNameLength) key = 0;
  };
  MakeLabel(*this, "Nazwa :", 8, 33, Name);
  DlugaNazwa = Create<TEdit>(this, "DlugaNazwa");
  DlugaNazwa->SetBounds(200, 58, 192, 21);
  MakeLabel(*this, "Pełna nazwa :", 8, 61, DlugaNazwa);
  MaxIloscPodwarstw = Create<TEdit>(this, "MaxIloscPodwarstw");
  MaxIloscPodwarstw->SetBounds(200, 86, 50, 21);
  MaxIloscPodwarstw->SetMaxLength(3);
  MaxIloscPodwarstw->SetText("10");
  MaxIloscPodwarstw->OnKeyPress = [](TComponent&, char32_t& key) {
    if (!(key >= U'0' && key <= U'9') && key != 8) key = 0;
  };
  MakeLabel(*this, "Maksymalna ilość podwarstw :", 8, 89, MaxIloscPodwarstw);

  auto kindButton = [this](const char* name, const char* caption, TModalResult result, int left) {
    auto* b = Create<TBitBtn>(this, name);
    b->SetBounds(left, 124, 84, 25);
    b->SetCaption(caption);
    b->SetModalResult(result);
    b->OnClick = [this](TComponent&) {
      if (!Check()) SetModalResult(mrNone);
    };
    return b;
  };
  BitBtn1 = kindButton("BitBtn1", "Liniowa", kLineLayer, 8);
  BitBtn1->SetDefault(true);
  BitBtn2 = kindButton("BitBtn2", "Tekstowa", kTextLayer, 100);
  CancelBtn = Create<TBitBtn>(this, "CancelBtn");
  CancelBtn->SetKind(TBitBtnKind::Cancel);
  CancelBtn->SetCaption("Anuluj");
  CancelBtn->SetBounds(212, 124, 84, 25);
  HelpBtn = Create<TBitBtn>(this, "HelpBtn");
  HelpBtn->SetKind(TBitBtnKind::Help);
  HelpBtn->SetCaption("&Pomoc");
  HelpBtn->SetBounds(304, 124, 84, 25);
  SetActiveControl(Name);
}

bool TNewWarstwa::Check() {
  const std::string name = Name->Text();
  if (name.empty() || name.find(' ') != std::string::npos) {
    MessageBox("Nazwa warstwy nie może być pusta ani zawierać spacji", kErrorCaption, MB_OK);
    Name->SetFocus();
    SetActiveControl(Name);
    return false;
  }
  std::int32_t count = 0;
  if (!TryStrToInt(MaxIloscPodwarstw->Text(), count)) {
    MaxIloscPodwarstw->SetFocus();
    SetActiveControl(MaxIloscPodwarstw);
    return false;
  }
  if (count > kMaxSublayers) {
    MessageBox("Liczba podwarstw większa od maksymalnej 250", kErrorCaption, MB_OK);
    MaxIloscPodwarstw->SetFocus();
    SetActiveControl(MaxIloscPodwarstw);
    return false;
  }
  // The edit takes digits only; a negative count pasted in is refused too.
  if (count < 0) {
    MaxIloscPodwarstw->SetFocus();
    SetActiveControl(MaxIloscPodwarstw);
    return false;
  }
  MaxIlosc = static_cast<std::uint8_t>(count);
  return true;
}

TMovePodwarstwaD::TMovePodwarstwaD() {
  SetCaption("Przesunięcie podwarstwy");
  SetBorderStyle(TFormBorderStyle::Dialog);
  SetPosition(TPosition::ScreenCenter);
  SetClientWidth(300);
  SetClientHeight(150);
  DestPodwarstwa = Create<TComboBox>(this, "DestPodwarstwa");
  DestPodwarstwa->SetStyle(TComboBoxStyle::DropDownList);
  DestPodwarstwa->SetBounds(8, 28, 284, 21);
  MakeLabel(*this, "Przesunąć aktualną podwarstwę na:", 8, 8, DestPodwarstwa)->SetWidth(284);
  auto* warning = Create<TLabel>(this);
  warning->SetBounds(8, 60, 284, 16);
  warning->SetCaption("Uwaga !");
  auto* warning2 = Create<TLabel>(this);
  warning2->SetBounds(8, 80, 284, 16);
  warning2->SetCaption("Cofnięcie operacji nie jest możliwe.");
  OKBtn = Create<TButton>(this, "OKBtn");
  OKBtn->SetBounds(60, 114, 80, 25);
  OKBtn->SetCaption("OK");
  OKBtn->SetDefault(true);
  OKBtn->SetModalResult(mrOk);
  CancelBtn = Create<TButton>(this, "CancelBtn");
  CancelBtn->SetBounds(160, 114, 80, 25);
  CancelBtn->SetCaption("Anuluj");
  CancelBtn->SetCancel(true);
  CancelBtn->SetModalResult(mrCancel);
  SetActiveControl(DestPodwarstwa);
}
