#include "layers/dialogs/sublayerdlg.h"

#include <algorithm>
#include <cmath>

#include "controls/justifypicker.h"
#include "controls/linepreview.h"
#include "foundation/text/numtext.h"
#include "objects/linestylelib.h"
#include "platform/gui/controls_custom.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/dialogs.h"
#include "platform/paint/gdi.h"
#include "platform/paint/gdiimage.h"

using namespace platform;

namespace {

constexpr char kErrorCaption[] = "Błąd";
constexpr int kFormWidth = 430;

TLabel* MakeLabel(TForm& form, TWinControl* parent, const char* caption, int left, int top,
                  TWinControl* focus = nullptr) {
  auto* l = form.Create<TLabel>(parent);
  l->SetBounds(left, top, 120, 16);
  l->SetCaption(caption);
  if (focus != nullptr) l->SetFocusControl(focus);
  return l;
}

TEdit* MakeEdit(TForm& form, TWinControl* parent, const char* name, int left, int top, int width,
                const char* text = "") {
  auto* e = form.Create<TEdit>(parent, name);
  e->SetBounds(left, top, width, 21);
  e->SetText(text);
  return e;
}

TComboBox* MakeList(TForm& form, TWinControl* parent, const char* name, int left, int top, int width,
                    std::vector<std::string> items) {
  auto* c = form.Create<TComboBox>(parent, name);
  c->SetStyle(TComboBoxStyle::DropDownList);
  c->SetBounds(left, top, width, 21);
  c->Items().Assign(items);
  c->SetItemIndex(0);
  return c;
}

// Round(V * 100) * 0.01 as text.
std::string TwoDecimals(double V) { return RealToTextSignificant(std::round(V * 100.0) * 0.01); }

}  // namespace

TChangePodwarstwaHeader::TChangePodwarstwaHeader(TViewBackgroundI* Background)
    : FBackground(Background) {
  SetCaption("Edycja nagłówka podwarstwy");
  SetBorderStyle(TFormBorderStyle::Dialog);
  SetPosition(TPosition::ScreenCenter);
  SetClientWidth(kFormWidth);

  Nazwa = MakeEdit(*this, this, "Nazwa", 130, 8, 120);
  Nazwa->SetMaxLength(13);
  MakeLabel(*this, this, "Nazwa podwarstwy", 8, 11, Nazwa);
  DlugaNazwa = MakeEdit(*this, this, "DlugaNazwa", 130, 34, 290);
  DlugaNazwa->SetMaxLength(79);
  MakeLabel(*this, this, "Pełna nazwa", 8, 37, DlugaNazwa);

  Preview = Create<TPanel>(this, "Preview");
  Preview->SetBounds(260, 60, 160, 40);
  Preview->SetBevelOuter(TBevelCut::Lowered);
  Preview->SetHint("Kliknij aby zmienić kolor");
  Preview->SetShowHint(true);
  // Tab reaches the colour panels; Space opens the colour dialog.
  Preview->SetTabStop(true);
  Preview->OnClick = [this](TComponent&) { ChooseKolor(); };
  PrintKolorE = Create<TPanel>(this, "PrintKolorE");
  PrintKolorE->SetBounds(260, 106, 160, 21);
  PrintKolorE->SetBevelOuter(TBevelCut::Lowered);
  PrintKolorE->SetHint("Kolor dla wyrysu. Kliknij aby zmienić");
  PrintKolorE->SetShowHint(true);
  PrintKolorE->SetTabStop(true);
  PrintKolorE->OnClick = [this](TComponent&) {
    TColorDialog dialog;
    dialog.SetColor(FPrintKolor);
    dialog.SetFullOpen(true);
    if (dialog.Execute()) SetPrintKolor(dialog.Color());
  };

  Visible = Create<TCheckBox>(this, "Visible");
  Visible->SetBounds(8, 62, 120, 17);
  Visible->SetCaption("Widoczna");
  NotClipCB = Create<TCheckBox>(this, "NotClipCB");
  NotClipCB->SetBounds(130, 62, 125, 17);
  NotClipCB->SetCaption("Nie podlega obc.");
  NotClipCB->SetHint("Warstwa nie podlega obcinaniu przez region");
  NotClipCB->SetShowHint(true);

  WarWysw = MakeEdit(*this, this, "WarWysw", 130, 84, 60, "0");
  MakeLabel(*this, this, "Warunek [m/piksel]", 8, 87, WarWysw);
  NumberKeys(*WarWysw);
  BitBtn2 = Create<TButton>(this, "BitBtn2");
  BitBtn2->SetBounds(194, 82, 60, 25);
  BitBtn2->SetCaption("Bieżący");
  BitBtn2->OnClick = [this](TComponent&) { SetWarunek(CurrentScale + 0.1); };
  Grubosc1E = MakeEdit(*this, this, "Grubosc1E", 130, 110, 60, "0");
  MakeLabel(*this, this, "Grubość [mm]", 8, 113, Grubosc1E);
  NumberKeys(*Grubosc1E);

  FExtraTop = 140;
  MovePodwarstwaBtn = Create<TButton>(this, "MovePodwarstwaBtn");
  MovePodwarstwaBtn->SetCaption("Przesuń");
  MovePodwarstwaBtn->SetHint("Przesuwa zawartość podwarstwy");
  MovePodwarstwaBtn->SetShowHint(true);
  MovePodwarstwaBtn->SetModalResult(kMoveContent);
  BitBtn4 = Create<TButton>(this, "BitBtn4");
  BitBtn4->SetCaption("Usuń zawartość");
  BitBtn4->SetHint("Usuń całą zawartość podwarstwy");
  BitBtn4->SetShowHint(true);
  BitBtn4->SetModalResult(kDeleteContent);
  BitBtn1 = Create<TBitBtn>(this, "BitBtn1");
  BitBtn1->SetKind(TBitBtnKind::OK);
  BitBtn1->OnClick = [this](TComponent&) {
    if (!CheckValues()) SetModalResult(mrNone);
  };
  Cancel = Create<TBitBtn>(this, "Cancel");
  Cancel->SetKind(TBitBtnKind::Cancel);
  Cancel->SetCaption("Anuluj");
  BitBtn3 = Create<TBitBtn>(this, "BitBtn3");
  BitBtn3->SetKind(TBitBtnKind::Help);
  BitBtn3->SetCaption("&Pomoc");

  PlaceButtons();
  // Closing without taking back what cannot be taken back is refused.
  OnCloseQuery = [this](TComponent&, bool& canClose) {
    if (ModalResult() == mrCancel && !Cancel->Enabled()) canClose = false;
  };

  if (FBackground != nullptr)
    FSubscription = FBackground->Subscribe([this] { RenewBackground(); });
  RenewBackground();
  SetActiveControl(Nazwa);
}

TChangePodwarstwaHeader::~TChangePodwarstwaHeader() {
  if (FBackground != nullptr) FBackground->Unsubscribe(FSubscription);
}

void TChangePodwarstwaHeader::PlaceButtons() {
  const int top = FExtraTop + 8;
  TButton* row[] = {MovePodwarstwaBtn, BitBtn4, BitBtn1, Cancel, BitBtn3};
  int left = 8;
  for (TButton* b : row) {
    b->SetBounds(left, top, 80, 25);
    left += 84;
  }
  SetClientHeight(top + 33);
}

void TChangePodwarstwaHeader::RenewBackground() {
  Preview->SetColor(FBackground != nullptr ? FBackground->KolorTla() : clWhite);
  UpdatePreview();
}

void TChangePodwarstwaHeader::SetKolor(std::uint32_t Value) {
  if (Value == FKolor) return;
  FKolor = Value;
  UpdatePreview();
}

void TChangePodwarstwaHeader::SetPrintKolor(std::uint32_t Value) {
  FPrintKolor = Value;
  PrintKolorE->SetColor(Value);
}

void TChangePodwarstwaHeader::SetWarunek(double Value) {
  FWarunek = Value;
  const double shown = std::floor(100.0 / Value + 0.5) * 0.01;
  WarWysw->SetText(Value != 0.0 && std::isfinite(shown) ? RealToTextSignificant(shown) : "0");
}

void TChangePodwarstwaHeader::SetGrubosc(float Value) {
  FGrubosc = Value;
  Grubosc1E->SetText(TwoDecimals(Value));
}

void TChangePodwarstwaHeader::AppendNumberToCaption(TControl& Control, int Number) {
  std::string text = Control.Caption();
  const std::size_t dash = text.find('-');
  if (dash != std::string::npos) text.erase(dash);
  // The blanks before the dash go with it: numbering the caption again keeps
  // one " - ", the gap does not widen at every call.
  while (!text.empty() && text.back() == ' ') text.pop_back();
  Control.SetCaption(text + " - " + std::to_string(Number));
}

void TChangePodwarstwaHeader::NumberKeys(TEdit& Edit) {
  Edit.OnKeyPress = [](TComponent&, char32_t& key) {
    if (key == U',') key = U'.';
    if (!(key >= U'0' && key <= U'9') && key != U'.' && key != 8) key = 0;
  };
}

bool TChangePodwarstwaHeader::ReadReal(TEdit& Edit, const char* Message, double& Value) {
  if (TryStrToReal(Edit.Text(), Value) && std::isfinite(Value)) return true;
  MessageBox(Message, kErrorCaption, MB_OK | MB_ICONERROR);
  Edit.SetFocus();
  SetActiveControl(&Edit);
  return false;
}

bool TChangePodwarstwaHeader::CheckCommon() {
  double condition = 0.0;
  if (!ReadReal(*WarWysw, "Warunek nie jest liczbą rzeczywistą", condition)) return false;
  FWarunek = condition != 0.0 ? 1.0 / condition : 0.0;
  double thickness = 0.0;
  if (!ReadReal(*Grubosc1E, "Grubość nie jest liczbą rzeczywistą", thickness)) return false;
  FGrubosc = static_cast<float>(thickness);
  return true;
}

bool TChangePodwarstwaHeader::CheckValues() { return CheckCommon(); }

void TChangePodwarstwaHeader::ChooseKolor() {
  TColorDialog dialog;
  dialog.SetColor(FKolor);
  dialog.SetFullOpen(true);
  if (dialog.Execute()) SetKolor(dialog.Color());
}

// Line sublayers.

TChangeLiniowaPodwarstwaHeader::TChangeLiniowaPodwarstwaHeader(TViewBackgroundI* Background,
                                                               const TLineManager* Library,
                                                               TKonfiguracja* Konfiguracja)
    : TChangePodwarstwaHeader(Background) {
  SetCaption("Edycja nagłówka podwarstwy liniowej");
  SetHelpContext(kHelpContext);
  const int top = FExtraTop;

  TypLiniGroup = Create<TGroupBox>(this, "TypLiniGroup");
  TypLiniGroup->SetBounds(8, top, 414, 76);
  TypLiniGroup->SetCaption("Typ linii");
  TypLini = Create<TComboBox>(TypLiniGroup, "TypLini");
  TypLini->SetSorted(true);
  TypLini->SetBounds(90, 18, 140, 21);
  (Library != nullptr ? *Library : LineManager()).FillStrings(TypLini->Items());
  MakeLabel(*this, TypLiniGroup, "Nazwa:", 8, 21, TypLini);
  GruboscCB = MakeList(*this, TypLiniGroup, "Grubosc", 90, 46, 90, {"cienka", "gruba"});
  MakeLabel(*this, TypLiniGroup, "Grubość ekranowa:", 8, 49, GruboscCB);
  mnoznik = MakeEdit(*this, TypLiniGroup, "mnoznik", 300, 18, 60, "1");
  MakeLabel(*this, TypLiniGroup, "Mnożnik:", 240, 21, mnoznik);
  NumberKeys(*mnoznik);
  CanChangeTypLini = Create<TCheckBox>(TypLiniGroup, "CanChangeTypLini");
  CanChangeTypLini->SetBounds(240, 48, 170, 17);
  CanChangeTypLini->SetCaption("Modyfikacja typu lini");
  CanChangeTypLini->SetVisible(false);

  JakZ = MakeList(*this, this, "JakZ", 130, top + 84, 120, {"brak", "obowiązkowa", "nieobowiązkowa"});
  MakeLabel(*this, this, "Współrzędna Z:", 8, top + 87, JakZ);
  MakeLabel(*this, this, "Grubość linii", 8, top + 113);
  Grubosc2E = MakeEdit(*this, this, "Grubosc2E", 130, top + 128, 60, "0");
  MakeLabel(*this, this, "cienkiej [mm]:", 8, top + 131, Grubosc2E);
  NumberKeys(*Grubosc2E);
  Grubosc3E = MakeEdit(*this, this, "Grubosc3E", 330, top + 128, 60, "0");
  MakeLabel(*this, this, "grubej [mm]:", 220, top + 131, Grubosc3E);
  NumberKeys(*Grubosc3E);
  FExtraTop = top + 156;

  Linia = Create<TSpecialLine>(Preview, "Linia", Library, Konfiguracja);
  Linia->SetBounds(4, 4, Preview->Width() - 8, Preview->Height() - 8);
  Linia->SetRealWidth(20.0);
  Linia->SetRealHeight(3.2);
  Linia->SetLineWidth(1);
  Linia->OnClick = [this](TComponent&) { ChooseKolor(); };

  TypLini->OnChange = [this](TComponent&) {
    if (!TypLini->Text().empty()) Linia->SetNazwa(TypLini->Text());
  };
  GruboscCB->OnChange = [this](TComponent&) { Linia->SetLineWidth(GetScreenWidth()); };
  UpdatePreview();
  PlaceButtons();
}

void TChangeLiniowaPodwarstwaHeader::UpdatePreview() {
  if (Linia != nullptr) Linia->SetKolor(Kolor());
}

void TChangeLiniowaPodwarstwaHeader::SetLineType(std::int32_t Number) {
  Linia->SetNumer(Number);
  TypLini->SetText(Linia->Nazwa());
}

void TChangeLiniowaPodwarstwaHeader::SetScreenWidth(int Code) {
  GruboscCB->SetItemIndex(Code == 0 || Code == 1 ? 0 : 1);
  Linia->SetLineWidth(GetScreenWidth());
}

void TChangeLiniowaPodwarstwaHeader::SetJakZ(int Index) { JakZ->SetItemIndex(Index); }

void TChangeLiniowaPodwarstwaHeader::SetMnoznik(float Value) {
  FMnoznik = Value;
  mnoznik->SetText(RealToTextSignificant(Value));
}

void TChangeLiniowaPodwarstwaHeader::SetGruboscCienka(float Value) {
  FGruboscCienka = Value;
  Grubosc2E->SetText(TwoDecimals(Value));
}

void TChangeLiniowaPodwarstwaHeader::SetGruboscGruba(float Value) {
  FGruboscGruba = Value;
  Grubosc3E->SetText(TwoDecimals(Value));
}

std::int32_t TChangeLiniowaPodwarstwaHeader::GetSpecialLineNumber() const { return Linia->Numer(); }

int TChangeLiniowaPodwarstwaHeader::GetScreenWidth() const {
  return GruboscCB->ItemIndex() == 1 ? 3 : 1;
}

int TChangeLiniowaPodwarstwaHeader::GetJakZ() const { return JakZ->ItemIndex(); }

// Stops at the first wrong field, the common ones included: one OK shows at
// most one error box.
bool TChangeLiniowaPodwarstwaHeader::CheckValues() {
  if (!CheckCommon()) return false;
  double multiplier = 0.0;
  if (!ReadReal(*mnoznik, "mnożnik nie jest liczbą rzeczywistą", multiplier)) return false;
  if (multiplier == 0.0) {
    MessageBox("mnożnik nie może być zerem", kErrorCaption, MB_OK | MB_ICONERROR);
    mnoznik->SetFocus();
    SetActiveControl(mnoznik);
    return false;
  }
  double thin = 0.0;
  if (!ReadReal(*Grubosc2E, "Grubość nie jest liczbą rzeczywistą", thin)) return false;
  double thick = 0.0;
  if (!ReadReal(*Grubosc3E, "Grubość nie jest liczbą rzeczywistą", thick)) return false;
  FMnoznik = static_cast<float>(multiplier);
  FGruboscCienka = static_cast<float>(thin);
  FGruboscGruba = static_cast<float>(thick);
  return true;
}

// Text sublayers.

TChangeTextowaPodwarstwaHeader::TChangeTextowaPodwarstwaHeader(TViewBackgroundI* Background,
                                                               const TLayerListI* Layers)
    : TChangePodwarstwaHeader(Background), FLayers(Layers) {
  SetCaption("Edycja nagłówka podwarstwy tekstowej");
  SetHelpContext(kHelpContext);
  NotClipCB->SetCaption("Nie podlega obcinaniu");
  NotClipCB->SetWidth(160);
  const int top = FExtraTop;

  Sample = Create<TPaintBox>(Preview, "Sample");
  Sample->SetBounds(4, 4, Preview->Width() - 8, Preview->Height() - 8);
  Sample->OnPaint = [this](TComponent&) { PaintSample(); };
  Sample->OnClick = [this](TComponent&) { ChooseKolor(); };

  Italic = Create<TCheckBox>(this, "Italic");
  Italic->SetBounds(8, top, 120, 17);
  Italic->SetCaption("Pochylony");
  Italic->OnClick = [this](TComponent&) { UpdatePreview(); };
  CzyKat = Create<TCheckBox>(this, "CzyKat");
  CzyKat->SetBounds(130, top, 120, 17);
  CzyKat->SetCaption("Pod kątem");
  WysokoscE = MakeEdit(*this, this, "Wysokosc", 130, top + 24, 60, "0");
  MakeLabel(*this, this, "Wysokość [mm]:", 8, top + 27, WysokoscE);
  NumberKeys(*WysokoscE);
  Zatrzask = MakeList(*this, this, "Zatrzask", 130, top + 50, 120, {"brak", "bezwarunkowy", "warunkowy"});
  MakeLabel(*this, this, "Zatrzask:", 8, top + 53, Zatrzask);

  MnoznikiGroup = Create<TGroupBox>(this, "MnoznikiGroup");
  MnoznikiGroup->SetBounds(8, top + 78, 250, 72);
  MnoznikiGroup->SetCaption("Mnożniki");
  const char* scales[] = {"1: 500", "1:1000", "1:2000", "1:5000"};
  const char* names[] = {"s500", "s1000", "s2000", "s5000"};
  const char* initial[] = {"0.5", "1", "2", "5"};
  TEdit** edits[] = {&s500, &s1000, &s2000, &s5000};
  for (int i = 0; i < 4; ++i) {
    *edits[i] = MakeEdit(*this, MnoznikiGroup, names[i], 8 + 60 * i, 40, 54, initial[i]);
    MakeLabel(*this, MnoznikiGroup, scales[i], 8 + 60 * i, 20, *edits[i]);
    NumberKeys(**edits[i]);
  }

  Justyfikacja1 = Create<TJustyfikacja>(this, "Justyfikacja1");
  Justyfikacja1->SetBounds(320, top + 24, 100, 50);
  MakeLabel(*this, this, "Justyfikacja:", 320, top + 4);
  Justyfikacja1->OnChange = [this](TComponent&) { FJustyfikacja = Justyfikacja1->Justyfikacja(); };
  HeightCantChange = Create<TCheckBox>(this, "HeightCantChange");
  HeightCantChange->SetBounds(266, top + 82, 156, 17);
  HeightCantChange->SetCaption("Stała wysokość");
  JustCantChange = Create<TCheckBox>(this, "JustCantChange");
  JustCantChange->SetBounds(266, top + 104, 156, 17);
  JustCantChange->SetCaption("Stała justyfikacja");
  AutoWidth = Create<TCheckBox>(this, "AutoWidth");
  AutoWidth->SetBounds(266, top + 126, 156, 17);
  AutoWidth->SetCaption("Automatyczna grubość");
  AutoWidth->OnClick = [this](TComponent&) { Grubosc1E->SetEnabled(!AutoWidth->Checked()); };

  Zaslania = Create<TGroupBox>(this, "Zaslania");
  Zaslania->SetBounds(8, top + 156, 414, 128);
  Zaslania->SetCaption("Zasłania");
  std::vector<std::string> layers{"Nic", "Wszystkie"};
  if (FLayers != nullptr)
    for (std::string& name : FLayers->LayerNames()) layers.push_back(std::move(name));
  ZasWarstwa = MakeList(*this, Zaslania, "ZasWarstwa", 90, 18, 150, layers);
  MakeLabel(*this, Zaslania, "Warstwę:", 8, 21, ZasWarstwa);
  ZasWarstwa->OnChange = [this](TComponent&) { LayerChosen(); };
  ZasPodwarstwa = Create<TListBox>(Zaslania, "ZasPodwarstwa");
  ZasPodwarstwa->SetBounds(90, 46, 150, 74);
  MakeLabel(*this, Zaslania, "Podwarstwy:", 8, 49, ZasPodwarstwa);
  ZasPodwL = MakeList(*this, Zaslania, "ZasPodwL", 306, 46, 100, {});
  ZasAdd = Create<TButton>(Zaslania, "ZasAdd");
  ZasAdd->SetBounds(246, 46, 54, 25);
  ZasAdd->SetCaption("Dodaj");
  ZasAdd->OnClick = [this](TComponent&) { AddMasked(); };
  ZasDel = Create<TButton>(Zaslania, "ZasDel");
  ZasDel->SetBounds(246, 76, 54, 25);
  ZasDel->SetCaption("Usuń");
  ZasDel->OnClick = [this](TComponent&) { DeleteMasked(); };
  EnableMasking(false);
  FExtraTop = top + 292;
  PlaceButtons();
}

void TChangeTextowaPodwarstwaHeader::UpdatePreview() {
  if (Sample != nullptr) Sample->Invalidate();
}

void TChangeTextowaPodwarstwaHeader::PaintSample() {
  TSurfaceCanvas surface(Sample->Surface());
  TCanvas& c = surface.Canvas();
  c.FillRect(TGdiRect{0, 0, Sample->Width(), Sample->Height()}, TBrush{Preview->Color()});
  TFont font;
  font.Name = "Arial";
  font.Height = std::max(Sample->Height() - 8, 1);
  font.Italic = GetItalic();
  font.Color = Kolor();
  c.SetFont(font);
  c.SetBkMode(TBkMode::Transparent);
  c.SetTextAlign(TA_CENTER | TA_TOP);
  c.TextOut(Sample->Width() / 2, 2, "Tekst");
}

void TChangeTextowaPodwarstwaHeader::SetJustyfikacja(int Value) {
  Justyfikacja1->SetJustyfikacja(Value);
  FJustyfikacja = Justyfikacja1->Justyfikacja();
}

void TChangeTextowaPodwarstwaHeader::SetWysokosc(float Value) {
  FWysokosc = Value;
  WysokoscE->SetText(RealToTextSignificant(Value));
}

void TChangeTextowaPodwarstwaHeader::SetMnozniki(const float (&Values)[4]) {
  TEdit* edits[] = {s500, s1000, s2000, s5000};
  for (int i = 0; i < 4; ++i) {
    FMnozniki[i] = Values[i];
    edits[i]->SetText(RealToTextSignificant(Values[i]));
  }
}

void TChangeTextowaPodwarstwaHeader::SetItalic(bool Value) {
  Italic->SetChecked(Value);
  UpdatePreview();
}

bool TChangeTextowaPodwarstwaHeader::GetItalic() const { return Italic->Checked(); }

void TChangeTextowaPodwarstwaHeader::SetCzyKat(bool Value) { CzyKat->SetChecked(Value); }

bool TChangeTextowaPodwarstwaHeader::GetCzyKat() const { return CzyKat->Checked(); }

void TChangeTextowaPodwarstwaHeader::SetZatrzask(int Index) { Zatrzask->SetItemIndex(Index); }

int TChangeTextowaPodwarstwaHeader::GetZatrzask() const { return Zatrzask->ItemIndex(); }

void TChangeTextowaPodwarstwaHeader::SetAutoWidth(bool Value) {
  AutoWidth->SetChecked(Value);
  Grubosc1E->SetEnabled(!Value);
}

bool TChangeTextowaPodwarstwaHeader::GetAutoWidth() const { return AutoWidth->Checked(); }

void TChangeTextowaPodwarstwaHeader::SetZasWarstwa(const std::string& Layer) {
  int index = 0;
  if (Layer == "*") {
    index = 1;
  } else if (!Layer.empty()) {
    index = -1;
    for (int i = 2; i < ZasWarstwa->Items().Count(); ++i)
      if (ZasWarstwa->Items()[i] == Layer) index = i;
    // A layer the list does not know is kept, not turned into "Nic".
    if (index < 0) index = ZasWarstwa->Items().Add(Layer);
  }
  ZasWarstwa->SetItemIndex(index);
  LayerChosen();
}

std::string TChangeTextowaPodwarstwaHeader::GetZasWarstwa() const {
  const int index = ZasWarstwa->ItemIndex();
  if (index <= 0) return {};
  if (index == 1) return "*";
  return ZasWarstwa->Items()[index];
}

void TChangeTextowaPodwarstwaHeader::EnableMasking(bool On) {
  ZasPodwarstwa->SetEnabled(On);
  ZasPodwL->SetEnabled(On);
  ZasAdd->SetEnabled(On);
  ZasDel->SetEnabled(On);
}

void TChangeTextowaPodwarstwaHeader::LayerChosen() {
  const int index = ZasWarstwa->ItemIndex();
  FSublayers.clear();
  ZasPodwarstwa->Items().Clear();
  if (index < 2) {
    ZasPodwL->Items().Clear();
    EnableMasking(false);
    return;
  }
  if (FLayers != nullptr) FSublayers = FLayers->Sublayers(ZasWarstwa->Items()[index]);
  std::vector<std::string> available{"Wszystkie"};
  for (const TSublayerEntry& s : FSublayers) available.push_back(s.Name);
  ZasPodwL->Items().Assign(available);
  ZasPodwL->SetItemIndex(0);
  EnableMasking(true);
  FillChosen();
}

void TChangeTextowaPodwarstwaHeader::FillChosen() {
  ZasPodwarstwa->Items().Clear();
  if (ZasWarstwa->ItemIndex() < 2) return;
  if (FZas.Count == 0) {
    ZasPodwarstwa->Items().Add("Wszystko");
    ZasPodwL->SetEnabled(false);
    ZasAdd->SetEnabled(false);
    return;
  }
  ZasPodwL->SetEnabled(true);
  ZasAdd->SetEnabled(true);
  for (int i = 0; i < FZas.Count; ++i) {
    for (const TSublayerEntry& s : FSublayers) {
      if (s.Number == FZas.Numbers[i]) {
        ZasPodwarstwa->Items().Add(s.Name, reinterpret_cast<void*>(static_cast<std::intptr_t>(s.Number)));
        break;
      }
    }
  }
}

void TChangeTextowaPodwarstwaHeader::SetZasPodwarstwy(const TZasloniecieRecord& Record) {
  FZas = Record;
  FZas.Count = std::min<std::uint8_t>(FZas.Count, TZasloniecieRecord::kMax);
  FillChosen();
}

void TChangeTextowaPodwarstwaHeader::AddMasked() {
  const int picked = ZasPodwL->ItemIndex();
  if (picked < 0 || ZasWarstwa->ItemIndex() < 2) return;
  if (picked == 0) {
    FZas.Count = 0;
    FillChosen();
    return;
  }
  const std::size_t at = static_cast<std::size_t>(picked - 1);
  if (at >= FSublayers.size()) return;
  const std::uint8_t number = FSublayers[at].Number;
  if (FZas.Count >= TZasloniecieRecord::kMax) return;
  for (int i = 0; i < FZas.Count; ++i)
    if (FZas.Numbers[i] == number) return;
  FZas.Numbers[FZas.Count++] = number;
  const int row = ZasPodwarstwa->Items().Add(FSublayers[at].Name,
                                             reinterpret_cast<void*>(static_cast<std::intptr_t>(number)));
  ZasPodwarstwa->SetItemIndex(row);
}

void TChangeTextowaPodwarstwaHeader::DeleteMasked() {
  const int row = ZasPodwarstwa->ItemIndex();
  if (row < 0) return;
  if (!ZasAdd->Enabled()) {
    // Leaving "Wszystko": the record's own numbers come back.
    ZasAdd->SetEnabled(true);
    ZasPodwL->SetEnabled(true);
    ZasPodwarstwa->Items().Clear();
    const std::uint8_t count = FZas.Count;
    FZas.Count = count;
    for (int i = 0; i < FZas.Count; ++i)
      for (const TSublayerEntry& s : FSublayers)
        if (s.Number == FZas.Numbers[i]) {
          ZasPodwarstwa->Items().Add(s.Name, reinterpret_cast<void*>(static_cast<std::intptr_t>(s.Number)));
          break;
        }
    return;
  }
  const auto number =
      static_cast<std::uint8_t>(reinterpret_cast<std::intptr_t>(ZasPodwarstwa->Items().Objects(row)));
  for (int i = 0; i < FZas.Count; ++i) {
    if (FZas.Numbers[i] == number) {
      FZas.Numbers[i] = FZas.Numbers[FZas.Count - 1];
      FZas.Numbers[FZas.Count - 1] = 0;
      --FZas.Count;
      break;
    }
  }
  ZasPodwarstwa->Items().Delete(row);
}

bool TChangeTextowaPodwarstwaHeader::CheckValues() {
  if (!CheckCommon()) return false;
  double height = 0.0;
  if (!ReadReal(*WysokoscE, "Wysokosc nie jest liczbą rzeczywistą", height)) return false;
  TEdit* edits[] = {s500, s1000, s2000, s5000};
  double values[4] = {};
  for (int i = 0; i < 4; ++i)
    if (!ReadReal(*edits[i], "Mnoznik nie jest liczbą rzeczywistą", values[i])) return false;
  FWysokosc = static_cast<float>(height);
  for (int i = 0; i < 4; ++i) FMnozniki[i] = static_cast<float>(values[i]);
  return true;
}
