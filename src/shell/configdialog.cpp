#include "shell/configdialog.h"

#include <cmath>
#include <string_view>
#include <tuple>
#include <utility>

#include "foundation/errors.h"
#include "foundation/geometry/rounding.h"
#include "foundation/text/textutil.h"
#include "objects/symbollib.h"
#include "platform/files/files.h"

using namespace platform;

namespace {

constexpr char32_t kBackspace = 0x08;
constexpr double kMillimetresPerInch = 25.4;

const char* const kThickLineNotReal = "Warunek wyświetlania grubych linii nie jest liczbą rzeczywistą";
const char* const kScreenDpmNotReal = "Rozdzielczość ekranu nie jest liczbą rzeczywistą";
const char* const kBadNumber = "Niepoprawna liczba";
// The ranges the drawing can work with: a scale denominator of 0 makes every
// scaled text and symbol vanish, a resolution of 0 divides by nothing.
constexpr std::int32_t kMinSkala = 1;
constexpr std::int32_t kMaxSkala = 1000000;
const char* const kBadSkala = "Skala musi być liczbą całkowitą od 1 do 1000000";
constexpr double kMinScreenDpi = 1.0;
constexpr double kMaxScreenDpi = 25400.0;
const char* const kBadScreenDpi = "Rozdzielczość ekranu musi leżeć w przedziale od 1 do 25400 DPI";
// The libraries' own messages for a file they cannot open.
const char* const kNoSymbolFile = "Brak pliku z symbolami:";
const char* const kNoLineFile = "Brak pliku z liniami:";
const char* const kNoGeneratorFile = "Brak pliku z generatorami:";
const char* const kErrorCaption = "Błąd";
const char* const kAllFilesFilter = "|Wszystkie pliki|*.*";
const char* const kFramePrefix = "Formatka_";
const char* const kBadFrameId = "Niepoprawny identyfikator formatki";
const char* const kFrameIdTaken = "Identyfikator formatki już istnieje";

TDigitizerDriverLister& DriverLister() {
  static TDigitizerDriverLister lister;
  return lister;
}

// Hundredths rounded to the nearest whole hundredth, as text ("75", "10",
// "0.33"). A value too large for the rounding is shown unrounded rather than
// failing the dialog; one that is not a number shows nothing.
std::string HundredthsText(double Hundredths) {
  if (!std::isfinite(Hundredths)) return "";
  if (std::fabs(Hundredths) >= 9.0e15) return FloatToText(Hundredths * 0.01);
  return FloatToText(static_cast<double>(Round(Hundredths)) * 0.01);
}

TLabel* MakeLabel(TComponent& Owner, TWinControl* Parent, const std::string& Name,
                  const std::string& Caption, int X, int Y) {
  auto* label = Owner.Create<TLabel>(Parent, Name);
  label->SetCaption(Caption);
  label->SetBounds(X, Y, 8 * static_cast<int>(Caption.size()) / 2 + 40, 16);
  return label;
}

template <class T>
T* MakeControl(TComponent& Owner, TWinControl* Parent, const std::string& Name,
               const std::string& Caption, int X, int Y, int W, int H) {
  auto* control = Owner.Create<T>(Parent, Name);
  if (!Caption.empty()) control->SetCaption(Caption);
  control->SetBounds(X, Y, W, H);
  return control;
}

TEdit* MakeEdit(TComponent& Owner, TWinControl* Parent, const std::string& Name, int X, int Y,
                int W, const std::string& DesignText = {}) {
  auto* edit = Owner.Create<TEdit>(Parent, Name);
  edit->SetBounds(X, Y, W, 21);
  if (!DesignText.empty()) edit->SetText(DesignText);
  return edit;
}

TPanel* MakePanel(TComponent& Owner, TWinControl* Parent, const std::string& Name, int W, int H) {
  auto* panel = Owner.Create<TPanel>(Parent, Name);
  panel->SetBevelOuter(TBevelCut::None);
  panel->SetBounds(0, 0, W, H);
  return panel;
}

TTabSheet* MakeSheet(TComponent& Owner, TPageControl* Pages, const std::string& Name) {
  return Owner.Create<TTabSheet>(Pages, Name);
}

void GiveHint(TControl& Control, const std::string& Hint) {
  Control.SetHint(Hint);
  Control.SetShowHint(true);
}

}  // namespace

void SetDigitizerDriverLister(TDigitizerDriverLister Lister) { DriverLister() = std::move(Lister); }

// TConfigDialog

TConfigDialog::TConfigDialog() {
  SetCaption("Ustawienia");
  SetHelpContext(kHelpContext);
  SetBorderStyle(TFormBorderStyle::Dialog);
  SetPosition(TPosition::ScreenCenter);
  SetBounds(0, 0, 440, 520);

  Pages = Create<TPageControl>(this, "Pages");
  Pages->SetBounds(0, 0, 440, 440);
  Pages->Hide();
  WyswietlanieS = MakeSheet(*this, Pages, "WyswietlanieS");
  ObiektyS = MakeSheet(*this, Pages, "ObiektyS");

  WyswietlanieP = MakePanel(*this, WyswietlanieS, "WyswietlanieP", 440, 380);
  TPanel* p = WyswietlanieP;

  auto* wyswTekst = MakeControl<TGroupBox>(*this, p, "WyswTekstuG", "Wyświetlanie tekstu", 8, 4, 136, 92);
  WTR = MakeControl<TRadioButton>(*this, wyswTekst, "WTR", "&Rastrowe", 10, 18, 116, 20);
  WTW = MakeControl<TRadioButton>(*this, wyswTekst, "WTW", "&Wektorowe", 10, 40, 116, 20);
  WTP = MakeControl<TRadioButton>(*this, wyswTekst, "WTP", "&Precyzyjne", 10, 62, 116, 20);

  auto* skalowac = MakeControl<TGroupBox>(*this, p, "SkalowacG", "Skalować", 152, 4, 120, 92);
  WsText = MakeControl<TCheckBox>(*this, skalowac, "WsText", "&Teksty", 10, 18, 100, 20);
  WsLine = MakeControl<TCheckBox>(*this, skalowac, "WsLine", "&Linie", 10, 40, 100, 20);
  WsSymbol = MakeControl<TCheckBox>(*this, skalowac, "WsSymbol", "S&ymbole", 10, 62, 100, 20);

  TLabel* skalaL = MakeLabel(*this, p, "SkalaL", "&Skala", 284, 12);
  MakeLabel(*this, p, "SkalaPrefixL", "1:", 284, 38);
  WsSkala = MakeControl<TComboBox>(*this, p, "WsSkala", "", 300, 34, 110, 24);
  skalaL->SetFocusControl(WsSkala);
  for (const char* scale : {"250", "500", "1000", "2000", "5000", "10000"}) WsSkala->Items().Add(scale);
  WsSkala->OnKeyPress = WsSkalaKeyPress;

  WyrKolorG = MakeControl<TGroupBox>(*this, p, "WyrKolorG", "Wyróżniające kolory", 8, 100, 200, 52);
  MakeLabel(*this, WyrKolorG, "WyrC3L", "Wybrany element:", 10, 22);
  WyrC3 = MakeControl<TPanel>(*this, WyrKolorG, "WyrC3", "", 140, 18, 48, 24);
  WyrC3->OnClick = [this](TComponent& Sender) { WyrC1Click(Sender); };

  auto* wyswietlac = MakeControl<TGroupBox>(*this, p, "WyswietlacG", "Wyświetlać", 216, 100, 200, 70);
  MarkTextOrigin = MakeControl<TCheckBox>(*this, wyswietlac, "MarkTextOrigin", "P&unkt wstawienia", 10, 18, 180, 20);
  GiveHint(*MarkTextOrigin, "Punkt wstawienia tekstu");
  MarkLineEnds = MakeControl<TCheckBox>(*this, wyswietlac, "MarkLineEnds", "&Końce odcinków", 10, 42, 180, 20);

  DymWysw = MakeControl<TCheckBox>(*this, p, "DymWysw", "Dy&namiczne wyświetlanie", 8, 176, 200, 20);
  DynWyswGL = MakeControl<TCheckBox>(*this, p, "DynWyswGL", "Dyn. wyświ&etlanie grubych linii", 8, 198, 220, 20);
  WindowsThickLinesCB = MakeControl<TCheckBox>(*this, p, "WindowsThickLinesCB", "&Grube linie windows", 8, 220, 200, 20);
  GiveHint(*WindowsThickLinesCB,
          "Grube linie zostaną wyświetlone procedurą Windows. Uwaga: Wyświetlanie może przebiegać wolniej");
  DrCFlagCB = MakeControl<TCheckBox>(*this, p, "DrCFlagCB", "Szybkie wyświetlanie", 8, 242, 200, 20);
  GiveHint(*DrCFlagCB, "Szybkie wyświetlanie dużych obszarów");
  ActPrio = MakeControl<TCheckBox>(*this, p, "ActPrio", "Priorytet warstwy &aktywnej", 8, 264, 220, 20);

  WarWyswL = MakeLabel(*this, p, "WarWyswL", "Warunek wyśw&ietlania grubych linii:", 8, 292);
  WarWysw = MakeEdit(*this, p, "WarWysw", 240, 288, 80);
  WarWysw->OnKeyPress = WarWyswKeyPress;
  WarWyswL->SetFocusControl(WarWysw);

  RozdzielczoscL = MakeLabel(*this, p, "RozdzielczoscL", "Rozdzielczość ekranu", 8, 322);
  GiveHint(*RozdzielczoscL, "Rozdzielczość ekranu - DPI");
  MakeLabel(*this, p, "ScreenDPMXL", "X:", 8, 346);
  ScreenDPMX = MakeEdit(*this, p, "ScreenDPMX", 28, 342, 70);
  MakeLabel(*this, p, "ScreenDPMYL", "Y:", 110, 346);
  ScreenDPMY = MakeEdit(*this, p, "ScreenDPMY", 130, 342, 70);
  for (TEdit* edit : {ScreenDPMX, ScreenDPMY}) {
    edit->OnKeyPress = WarWyswKeyPress;
    GiveHint(*edit, "Rozdzielczość ekranu - DPI");
  }

  Obiekty = MakePanel(*this, ObiektyS, "Obiekty", 440, 40);
  Obiekty->SetTop(380);
  MakeLabel(*this, Obiekty, "WyrC1L", "Wybrany obiekt:", 16, 10);
  WyrC1 = MakeControl<TPanel>(*this, Obiekty, "WyrC1", "", 130, 6, 48, 24);
  MakeLabel(*this, Obiekty, "WyrC2L", "Wybrany podobiekt:", 216, 10);
  WyrC2 = MakeControl<TPanel>(*this, Obiekty, "WyrC2", "", 340, 6, 48, 24);
  for (TPanel* panel : {WyrC1, WyrC2}) panel->OnClick = [this](TComponent& Sender) { WyrC1Click(Sender); };
  // The colour panels take the focus too: Tab reaches them and the space
  // bar opens the colour dialog.
  for (TPanel* panel : {WyrC1, WyrC2, WyrC3}) panel->SetTabStop(true);

  BitBtn1 = MakeControl<TBitBtn>(*this, this, "BitBtn1", "", 110, 440, 90, 28);
  BitBtn1->SetKind(TBitBtnKind::OK);
  BitBtn1->OnClick = [this](TComponent&) { BitBtn1Click(); };
  BitBtn2 = MakeControl<TBitBtn>(*this, this, "BitBtn2", "", 210, 440, 90, 28);
  BitBtn2->SetKind(TBitBtnKind::Cancel);
  BitBtn2->SetCaption("Anuluj");
  HelpLocCfg = MakeControl<TBitBtn>(*this, this, "HelpLocCfg", "", 310, 440, 90, 28);
  HelpLocCfg->SetKind(TBitBtnKind::Help);
  HelpLocCfg->SetCaption("Pomoc");

  ColorD = Create<TColorDialog>(nullptr, "ColorD");
  ColorD->SetFullOpen(true);

  OnCreate = [this](TComponent&) { FormCreate(); };
}

bool TConfigDialog::ExecuteModal() { return ShowModal() == mrOk; }

void TConfigDialog::FormCreate() {
  WyswietlanieP->SetParent(this);
  Obiekty->SetParent(this);
}

void TConfigDialog::SetSingleValue(float V) {
  thickLineCondition_ = V;
  WarWysw->SetText(V == 0.0f ? std::string("1") : HundredthsText(100.0 / V));
}

void TConfigDialog::SetRealPair(const TRealPoint& P) {
  screenDpm_ = P;
  ScreenDPMX->SetText(HundredthsText(100.0 * kMillimetresPerInch * P.X));
  ScreenDPMY->SetText(HundredthsText(100.0 * kMillimetresPerInch * P.Y));
}

void TConfigDialog::RefuseField(TWinControl& Edit, const std::string& Text) {
  MessageBox(Text, kErrorCaption, MB_OK);
  // A field on a sheet of a page control: that sheet is brought to the
  // front, so that the focus lands where the user can see it.
  for (TWinControl* up = Edit.Parent(); up != nullptr; up = up->Parent()) {
    auto* sheet = dynamic_cast<TTabSheet*>(up);
    if (sheet == nullptr || sheet->PageControl() == nullptr) continue;
    sheet->PageControl()->SetActivePage(sheet);
  }
  Edit.SetFocus();
  SetModalResult(mrNone);
}

void TConfigDialog::BitBtn1Click() {
  std::int32_t skala = 0;
  if (!TryStrToInt(TrimBlanks(WsSkala->Text()), skala) || skala < kMinSkala || skala > kMaxSkala) {
    RefuseField(*WsSkala, kBadSkala);
    return;
  }
  double value = 0.0;
  if (!TryStrToReal(WarWysw->Text(), value)) {
    RefuseField(*WarWysw, kThickLineNotReal);
    return;
  }
  thickLineCondition_ = value == 0.0 ? 1.0f : static_cast<float>(1.0 / value);
  for (auto [edit, field] : {std::pair{ScreenDPMX, &screenDpm_.X}, std::pair{ScreenDPMY, &screenDpm_.Y}}) {
    if (!TryStrToReal(edit->Text(), value)) {
      RefuseField(*edit, kScreenDpmNotReal);
      return;
    }
    if (!(value >= kMinScreenDpi && value <= kMaxScreenDpi)) {
      RefuseField(*edit, kBadScreenDpi);
      return;
    }
    *field = value / kMillimetresPerInch;
  }
}

void TConfigDialog::WsSkalaKeyPress(TComponent&, char32_t& Key) {
  if (Key != kBackspace && !(Key >= U'0' && Key <= U'9')) Key = 0;
}

void TConfigDialog::WarWyswKeyPress(TComponent&, char32_t& Key) {
  if (Key != kBackspace && Key != U'.' && !(Key >= U'0' && Key <= U'9')) Key = 0;
}

void TConfigDialog::WyrC1Click(TComponent& Sender) {
  auto& panel = dynamic_cast<TControl&>(Sender);
  ColorD->SetColor(panel.Color());
  if (ColorD->Execute()) panel.SetColor(ColorD->Color());
}

TCheckBox* TConfigDialog::CheckBoxOf(TDisplayCheck Box) const {
  switch (Box) {
    case dcWsText: return WsText;
    case dcWsLine: return WsLine;
    case dcWsSymbol: return WsSymbol;
    case dcDymWysw: return DymWysw;
    case dcMarkTextOrigin: return MarkTextOrigin;
    case dcMarkLineEnds: return MarkLineEnds;
    case dcDynWyswGL: return DynWyswGL;
    case dcWindowsThickLines: return WindowsThickLinesCB;
    case dcDrCFlagCB: return DrCFlagCB;
    default: return nullptr;
  }
}

bool TConfigDialog::Checked(TDisplayCheck Box) const {
  switch (Box) {
    case dcWTR: return WTR->Checked();
    case dcWTW: return WTW->Checked();
    case dcWTP: return WTP->Checked();
    default: break;
  }
  TCheckBox* box = CheckBoxOf(Box);
  if (box == nullptr) throw EInternalError("TConfigDialog: nieznane pole wyboru");
  return box->Checked();
}

void TConfigDialog::SetChecked(TDisplayCheck Box, bool Value) {
  switch (Box) {
    case dcWTR: WTR->SetChecked(Value); return;
    case dcWTW: WTW->SetChecked(Value); return;
    case dcWTP: WTP->SetChecked(Value); return;
    default: break;
  }
  TCheckBox* box = CheckBoxOf(Box);
  if (box == nullptr) throw EInternalError("TConfigDialog: nieznane pole wyboru");
  box->SetChecked(Value);
}

std::string TConfigDialog::SkalaText() const { return WsSkala->Text(); }

void TConfigDialog::SetSkalaText(const std::string& Text) { WsSkala->SetText(Text); }

std::uint32_t TConfigDialog::PanelColor(int N) const {
  switch (N) {
    case 1: return WyrC1->Color();
    case 2: return WyrC2->Color();
    case 3: return WyrC3->Color();
    default: throw EInternalError(FormatMessage("TConfigDialog: kolor %d poza zakresem", N));
  }
}

void TConfigDialog::SetPanelColor(int N, std::uint32_t Color) {
  switch (N) {
    case 1: WyrC1->SetColor(Color); return;
    case 2: WyrC2->SetColor(Color); return;
    case 3: WyrC3->SetColor(Color); return;
    default: throw EInternalError(FormatMessage("TConfigDialog: kolor %d poza zakresem", N));
  }
}

void TConfigDialog::GetScreenDpm(double& X, double& Y) const {
  X = screenDpm_.X;
  Y = screenDpm_.Y;
}

// TConfigDialogI

TConfigDialogI::TConfigDialogI() {
  SetCaption("Konfiguracja");
  SetHelpContext(kHelpContext);
  SetBorderIcons(biSystemMenu);
  HelpLocCfg->Hide();

  // Shorter labels of the display panel.
  WarWyswL->SetCaption("Warunek wyśw grubych linii:");
  DynWyswGL->SetCaption("Dyn. wyśw. grubych linii");
  WindowsThickLinesCB->SetCaption("Grube linie Windows");
  WyrKolorG->SetCaption("Wyróżniający kolor");

  TPanel* p = WyswietlanieP;
  auto* celownik = MakeControl<TGroupBox>(*this, p, "CelownikG", "Celownik", 240, 176, 176, 76);
  MakeLabel(*this, celownik, "CelownikWL", "Szerokość: ", 10, 22);
  CelownikWE = MakeEdit(*this, celownik, "CelownikWE", 96, 18, 64);
  MakeLabel(*this, celownik, "CelownikHL", "Wysokość:", 10, 48);
  CelownikHE = MakeEdit(*this, celownik, "CelownikHE", 96, 44, 64);
  for (TEdit* edit : {CelownikWE, CelownikHE}) edit->OnKeyPress = WsSkalaKeyPress;
  AreaActPrio = MakeControl<TCheckBox>(*this, p, "AreaActPrio", "Powierzchnia-aktywna war", 240, 264, 190, 20);
  GiveHint(*AreaActPrio, "Pomiar powierzchni uwzględnia przełącznik 'Operacje na warstwie aktywnej'");
  auto* katy = MakeControl<TGroupBox>(*this, p, "MiaraKatowG", "Miara kątów", 216, 316, 200, 46);
  KatStopnie = MakeControl<TRadioButton>(*this, katy, "KatStopnie", "st&opnie", 10, 18, 86, 20);
  KatGrady = MakeControl<TRadioButton>(*this, katy, "KatGrady", "gra&dy", 104, 18, 86, 20);
  KatStopnie->SetChecked(true);

  // Window panel.
  OknoS = MakeSheet(*this, Pages, "OknoS");
  OknoS->SetHelpContext(kOknoHelpContext);
  OknoP = MakePanel(*this, OknoS, "OknoP", 440, 200);
  auto* rozmiar = MakeControl<TGroupBox>(*this, OknoP, "RozmiarG", "Rozmiar", 8, 4, 200, 106);
  MakeLabel(*this, rozmiar, "WndSizeXL", "X:", 10, 22);
  WndSizeX = MakeControl<TMaskEdit>(*this, rozmiar, "WndSizeX", "", 30, 18, 70, 21);
  MakeLabel(*this, rozmiar, "WndSizeYL", "Y:", 10, 48);
  WndSizeY = MakeControl<TMaskEdit>(*this, rozmiar, "WndSizeY", "", 30, 44, 70, 21);
  for (TMaskEdit* edit : {WndSizeX, WndSizeY}) edit->SetEditMask("!99999;1; ");
  WndSDefault = MakeControl<TCheckBox>(*this, rozmiar, "WndSDefault", "Domyślny", 10, 74, 120, 20);
  WndSDefault->OnClick = [this](TComponent&) { WndSDefaultClick(); };
  auto* kolor = MakeControl<TGroupBox>(*this, OknoP, "KolorG", "Kolor", 216, 4, 200, 106);
  WndKolor = MakeControl<TPanel>(*this, kolor, "WndKolor", "Kolor", 10, 18, 100, 40);
  WndKolor->OnClick = [this](TComponent&) { WndKolorClick(); };
  WndKolor->SetTabStop(true);
  WndKDefault = MakeControl<TCheckBox>(*this, kolor, "WndKDefault", "Domyślny", 10, 74, 120, 20);
  WndKDefault->OnClick = [this](TComponent&) { WndKDefaultClick(); };

  // General panel.
  OgolneS = MakeSheet(*this, Pages, "OgolneS");
  OgolneS->SetHelpContext(kOgolneHelpContext);
  OgolneP = MakePanel(*this, OgolneS, "OgolneP", 440, 60);
  MakeLabel(*this, OgolneP, "AutoSaveIntervalL", "Automatyczny zapis warstw [minuty]:", 8, 12);
  AutoSaveInterval = MakeEdit(*this, OgolneP, "AutoSaveInterval", 270, 8, 60);
  AutoSaveInterval->OnKeyPress = WsSkalaKeyPress;

  // Other panel.
  InneS = MakeSheet(*this, Pages, "InneS");
  InneS->SetHelpContext(kInneHelpContext);
  InneP = MakePanel(*this, InneS, "InneP", 440, 200);
  MakeLabel(*this, InneP, "SymbolDefsL", "Definicje symboli:", 8, 12);
  SymbolDefs = MakeEdit(*this, InneP, "SymbolDefs", 150, 8, 190, "Definicje symboli|*.sym");
  SymbolDefsChange = MakeControl<TButton>(*this, InneP, "SymbolDefsChange", "Zmień", 348, 6, 70, 25);
  MakeLabel(*this, InneP, "LineDefsL", "Definicje linii:", 8, 44);
  LineDefs = MakeEdit(*this, InneP, "LineDefs", 150, 40, 190, "Definicje linii|*.lin");
  LineDefsChange = MakeControl<TButton>(*this, InneP, "LineDefsChange", "Zmień", 348, 38, 70, 25);
  MakeLabel(*this, InneP, "GeneratorFileL", "Definicje generatorów:", 8, 76);
  GeneratorFile = MakeEdit(*this, InneP, "GeneratorFile", 150, 72, 190, "Definicje generatorów|*.gen");
  GenerDefsChange = MakeControl<TButton>(*this, InneP, "GenerDefsChange", "Zmień", 348, 70, 70, 25);
  LocalEnabledCB = MakeControl<TCheckBox>(*this, InneP, "LocalEnabledCB", "Definicje z baz", 8, 106, 200, 20);

  // Print panel.
  PrintS = MakeSheet(*this, Pages, "PrintS");
  PrintP = MakePanel(*this, PrintS, "PrintP", 440, 200);
  MakeLabel(*this, PrintP, "prnFormatkaIdL", "Identyfikator", 8, 12);
  prnFormatkaId = MakeControl<TComboBox>(*this, PrintP, "prnFormatkaId", "", 130, 8, 200, 24);
  prnFormatkaId->SetStyle(TComboBoxStyle::DropDownList);
  prnFormatkaId->OnChange = [this](TComponent&) { prnFormatkaIdChange(); };
  MakeLabel(*this, PrintP, "prnFormatkaNameL", "Formatka/Interfejs", 8, 44);
  prnFormatkaName = MakeEdit(*this, PrintP, "prnFormatkaName", 130, 40, 200,
                             "Formatka (*.for)|*.for|Interfejs (*.exe, *.bat)|*.exe;*.bat");
  FormatkaNameChange = MakeControl<TButton>(*this, PrintP, "FormatkaNameChange", "Zmień", 338, 38, 70, 25);
  Button1 = MakeControl<TButton>(*this, PrintP, "Button1", "Dodaj", 130, 72, 70, 25);
  Button1->OnClick = [this](TComponent&) { Button1Click(); };
  Button2 = MakeControl<TButton>(*this, PrintP, "Button2", "Usuń", 206, 72, 70, 25);
  Button2->OnClick = [this](TComponent&) { Button2Click(); };
  Button3 = MakeControl<TButton>(*this, PrintP, "Button3", "Zmień", 282, 72, 70, 25);
  Button3->OnClick = [this](TComponent&) { Button3Click(); };
  DetailPreviewCB = MakeControl<TCheckBox>(*this, PrintP, "DetailPreviewCB", "Dokładny podgląd", 8, 108, 300, 20);
  ForceArcDACB = MakeControl<TCheckBox>(*this, PrintP, "ForceArcDACB", "Rozkładać łuki i okręgi na odcinki",
                                        8, 132, 300, 20);

  // Digitizer panel.
  Digitizer = MakeSheet(*this, Pages, "Digitizer");
  Digitizer->SetHelpContext(kDigitizerHelpContext);
  DigitizerP = MakePanel(*this, Digitizer, "DigitizerP", 440, 200);
  MakeLabel(*this, DigitizerP, "DriverDL", "Driver:", 8, 12);
  DriverD = MakeControl<TComboBox>(*this, DigitizerP, "DriverD", "", 70, 8, 260, 24);
  DriverD->SetStyle(TComboBoxStyle::DropDownList);
  MakeLabel(*this, DigitizerP, "COMDL", "Port:", 8, 44);
  COMD = MakeControl<TComboBox>(*this, DigitizerP, "COMD", "", 70, 40, 100, 24);
  COMD->SetStyle(TComboBoxStyle::DropDownList);
  for (const char* port : {"COM1", "COM2", "COM3", "COM4"}) COMD->Items().Add(port);
  MakeLabel(*this, DigitizerP, "CelownikRL", "Celownik: ", 8, 76);
  MakeLabel(*this, DigitizerP, "XRealCelownikL", "X:", 80, 76);
  XRealCelownikE = MakeEdit(*this, DigitizerP, "XRealCelownikE", 100, 72, 70);
  MakeLabel(*this, DigitizerP, "YRealCelownikL", "Y:", 180, 76);
  YRealCelownikE = MakeEdit(*this, DigitizerP, "YRealCelownikE", 200, 72, 70);
  MakeLabel(*this, DigitizerP, "CelownikML", "[m]", 278, 76);
  for (TEdit* edit : {XRealCelownikE, YRealCelownikE}) edit->OnKeyPress = WarWyswKeyPress;
  ScreenSaveD = MakeControl<TCheckBox>(*this, DigitizerP, "ScreenSaveD", "Wygaszacz ekranu", 8, 106, 200, 20);
  SoundD = MakeControl<TCheckBox>(*this, DigitizerP, "SoundD", "Dźwięk", 8, 130, 200, 20);

  // Digitizer keys panel.
  DigitizerKeys = MakeSheet(*this, Pages, "DigitizerKeys");
  DigitizerKeys->SetHelpContext(kDigitizerKeysHelpContext);
  DigitizerkeysP = MakePanel(*this, DigitizerKeys, "DigitizerkeysP", 440, 380);
  MakeLabel(*this, DigitizerkeysP, "KeysDL", "Przyciski:", 8, 8);
  KeysD = MakeControl<TStringGrid>(*this, DigitizerkeysP, "KeysD", "", 8, 28, 420, 340);
  KeysD->SetColCount(2);
  KeysD->SetRowCount(16);
  KeysD->SetFixedCols(1);
  KeysD->SetFixedRows(1);
  KeysD->SetOptions(goEditing);

  OpenDialog = Create<TOpenDialog>(nullptr, "OpenDialog");
  OpenDialog->SetFilter("Wszystkie pliki|*.*");
}

void TConfigDialogI::FormCreate() {
  TConfigDialog::FormCreate();

  // A plain edit's design text is its open-file filter; masked edits keep
  // theirs.
  for (int i = 0; i < ComponentCount(); ++i) {
    auto* edit = dynamic_cast<TEdit*>(Components(i));
    if (edit == nullptr) continue;
    const std::string text = edit->Text();
    if (!text.empty()) {
      filters_[edit] = text;
      edit->SetText("");
    } else {
      filters_.erase(edit);
    }
  }

  changeEdits_[SymbolDefsChange] = SymbolDefs;
  changeEdits_[LineDefsChange] = LineDefs;
  changeEdits_[GenerDefsChange] = GeneratorFile;
  changeEdits_[FormatkaNameChange] = prnFormatkaName;
  for (TButton* button : {SymbolDefsChange, LineDefsChange, GenerDefsChange, FormatkaNameChange})
    button->OnClick = [this](TComponent& Sender) { ChangeOpenBtnClick(Sender); };

  std::vector<TDigitizerDriver> drivers;
  if (DriverLister()) {
    try {
      DriverLister()(drivers);
    } catch (const EDriverError&) {
      // No drivers: the list stays as far as it got.
    }
  }
  drivers_ = std::move(drivers);
  for (TDigitizerDriver& driver : drivers_) DriverD->Items().Add(driver.Description, &driver.FileName);

  KeysD->SetCells(0, 0, "Przycisk");
  KeysD->SetCells(1, 0, "Akcja");
  for (int row = 1; row < KeysD->RowCount(); ++row) KeysD->SetCells(0, row, std::to_string(row + 1));

  currentFrame_ = -1;

  // The groups of the numbers below fill them; until one does, they show
  // the value fields' zeros, so that OK does not refuse a field nobody
  // filled.
  ShowIntValue(0);
  ShowIntPair(TIntPair{});
  ShowRealPair(TRealPoint{});
  SetSizeTexts("0", "0");

  for (TPanel* panel : {WyswietlanieP, Obiekty, OknoP, OgolneP, InneP, PrintP, DigitizerP, DigitizerkeysP})
    panel->Hide();
}

void TConfigDialogI::ShowIntValue(std::int32_t V) {
  autoSave_ = V;
  AutoSaveInterval->SetText(std::to_string(V));
}

void TConfigDialogI::ShowIntPair(const TIntPair& P) {
  crosshairSize_ = P;
  CelownikWE->SetText(std::to_string(P.X));
  CelownikHE->SetText(std::to_string(P.Y));
}

void TConfigDialogI::ShowRealPair(const TRealPoint& P) {
  digitizerCrosshair_ = P;
  XRealCelownikE->SetText(FloatToText(P.X));
  YRealCelownikE->SetText(FloatToText(P.Y));
}

std::string TConfigDialogI::DriverFileName(int Index) const {
  if (Index < 0 || Index >= DriverD->Items().Count()) return "";
  const auto* name = static_cast<const std::string*>(DriverD->Items().Objects(Index));
  return name != nullptr ? *name : std::string();
}

std::string TConfigDialogI::FilterOf(const TCustomEdit& Edit) const {
  auto found = filters_.find(&Edit);
  return found != filters_.end() ? found->second : std::string();
}

void TConfigDialogI::BitBtn1Click() {
  TConfigDialog::BitBtn1Click();

  std::int32_t number = 0;
  if (!TryStrToInt(AutoSaveInterval->Text(), number)) {
    RefuseField(*AutoSaveInterval, kBadNumber);
    return;
  }
  autoSave_ = number;
  for (auto [edit, field] : {std::pair{CelownikWE, &crosshairSize_.X}, std::pair{CelownikHE, &crosshairSize_.Y}}) {
    if (!TryStrToInt(edit->Text(), number)) {
      RefuseField(*edit, kBadNumber);
      return;
    }
    *field = number;
  }
  double value = 0.0;
  for (auto [edit, field] :
       {std::pair{XRealCelownikE, &digitizerCrosshair_.X}, std::pair{YRealCelownikE, &digitizerCrosshair_.Y}}) {
    if (!TryStrToReal(edit->Text(), value)) {
      RefuseField(*edit, kBadNumber);
      return;
    }
    *field = value;
  }
  // The window sizes, unless the work area is chosen: a size field left
  // without digits is refused here rather than failing the settings group
  // after the dialog has closed.
  if (!WndSDefault->Checked()) {
    for (TMaskEdit* edit : {WndSizeX, WndSizeY}) {
      const std::string whole = edit->Text();
      std::string_view text = whole;
      while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
      if (!TryStrToInt(text, number)) {
        RefuseField(*edit, kBadNumber);
        return;
      }
    }
  }

  // A definition file the user has just named must open, as its library
  // will open it; one left as it was shown is not checked again (it was
  // reported when its library was read). The message is the library's own:
  // the text with the file's name right after its colon.
  for (auto [edit, shown, message] : {std::tuple{SymbolDefs, &shownSymbolDefs_, kNoSymbolFile},
                                      std::tuple{LineDefs, &shownLineDefs_, kNoLineFile},
                                      std::tuple{GeneratorFile, &shownGeneratorFile_, kNoGeneratorFile}}) {
    const std::string name = edit->Text();
    if (name == *shown) continue;
    File file;
    if (name.empty() || !file.Open(LibraryFilePath(name), FileAccess::Read, FileShare::DenyNone)) {
      RefuseField(*edit, std::string(message).append(name));
      return;
    }
  }

  currentFrame_ = prnFormatkaId->ItemIndex();
  StoreFramePath();
}

void TConfigDialogI::AutoSaveIntervalKeyPress(TComponent& Sender, char32_t& Key) { WsSkalaKeyPress(Sender, Key); }

void TConfigDialogI::ChangeOpenBtnClick(TComponent& Sender) {
  auto bound = changeEdits_.find(&Sender);
  if (bound == changeEdits_.end()) return;
  TEdit& edit = *bound->second;
  OpenDialog->SetFileName(edit.Text());
  OpenDialog->SetFilter(FilterOf(edit) + kAllFilesFilter);
  if (OpenDialog->Execute()) edit.SetText(OpenDialog->FileName());
}

void TConfigDialogI::WndSDefaultClick() {
  const bool own = !WndSDefault->Checked();
  WndSizeX->SetEnabled(own);
  WndSizeY->SetEnabled(own);
}

void TConfigDialogI::WndKDefaultClick() { WndKolor->SetEnabled(!WndKDefault->Checked()); }

void TConfigDialogI::WndKolorClick() { WyrC1Click(*WndKolor); }

TFormatkaPath* TConfigDialogI::EntryAt(int Index) const {
  return static_cast<TFormatkaPath*>(prnFormatkaId->Items().Objects(Index));
}

void TConfigDialogI::StoreFramePath() {
  TStrings& items = prnFormatkaId->Items();
  if (currentFrame_ < 0 || currentFrame_ >= items.Count()) return;
  if (TFormatkaPath* entry = EntryAt(currentFrame_)) {
    entry->Path = prnFormatkaName->Text();
    return;
  }
  frameEntries_.push_back(std::make_unique<TFormatkaPath>(prnFormatkaName->Text()));
  items.SetObject(currentFrame_, frameEntries_.back().get());
}

void TConfigDialogI::prnFormatkaIdChange() {
  StoreFramePath();
  currentFrame_ = prnFormatkaId->ItemIndex();
  const TFormatkaPath* entry = currentFrame_ >= 0 ? EntryAt(currentFrame_) : nullptr;
  prnFormatkaName->SetText(entry != nullptr ? entry->Path : std::string());
}

void TConfigDialogI::Button1Click() {
  TStrings& items = prnFormatkaId->Items();
  std::string id;
  for (int n = 1;; ++n) {
    id = kFramePrefix + std::to_string(n);
    if (items.IndexOf(id) < 0) break;
  }
  prnFormatkaId->SetItemIndex(items.Add(id));
  prnFormatkaIdChange();
  prnFormatkaName->SetText("");
}

void TConfigDialogI::Button2Click() {
  TStrings& items = prnFormatkaId->Items();
  const int index = prnFormatkaId->ItemIndex();
  // Nothing selected (an empty list, say): nothing to delete.
  if (index < 0 || index >= items.Count()) return;
  items.Delete(index);
  prnFormatkaId->SetItemIndex(index < items.Count() ? index : items.Count() - 1);
  currentFrame_ = -1;
  prnFormatkaIdChange();
}

void TConfigDialogI::Button3Click() {
  const int index = prnFormatkaId->ItemIndex();
  if (index < 0) return;
  TStrings& items = prnFormatkaId->Items();
  std::string id = items.Strings(index);
  if (!InputQuery("Zmiana identyfikatora formatki", "Podaj nowy identyfikator", id)) return;
  // The identifier is a key of the settings file: one the file cannot hold,
  // or one that another frame has (letter case ignored, as the file does),
  // would lose a sheet frame when the settings are saved.
  id = std::string(TrimBlanks(id));
  if (id.empty() || id.find('=') != std::string::npos || id.front() == '[' || id.front() == ';') {
    MessageBox(kBadFrameId, kErrorCaption, MB_OK);
    return;
  }
  const int other = items.IndexOf(id);
  if (other >= 0 && other != index) {
    MessageBox(kFrameIdTaken, kErrorCaption, MB_OK);
    return;
  }
  items.SetString(index, id);
  prnFormatkaId->SetItemIndex(index);
}

void TConfigDialogI::SetFormatki(std::vector<TFormatkaItem> Items) {
  prnFormatkaId->Items().Clear();
  frameEntries_.clear();
  for (TFormatkaItem& item : Items) {
    TFormatkaPath* entry = item.Entry.get();
    if (item.Entry) frameEntries_.push_back(std::move(item.Entry));
    prnFormatkaId->Items().Add(item.Id, entry);
  }
  currentFrame_ = -1;
  prnFormatkaName->SetText("");
}

std::vector<TFormatkaItem> TConfigDialogI::TakeFormatki() {
  currentFrame_ = prnFormatkaId->ItemIndex();
  StoreFramePath();
  TStrings& items = prnFormatkaId->Items();
  std::vector<TFormatkaItem> taken;
  taken.reserve(static_cast<std::size_t>(items.Count()));
  for (int i = 0; i < items.Count(); ++i) {
    TFormatkaItem item;
    item.Id = items.Strings(i);
    for (auto& owned : frameEntries_)
      if (owned && owned.get() == items.Objects(i)) item.Entry = std::move(owned);
    taken.push_back(std::move(item));
  }
  items.Clear();
  frameEntries_.clear();
  currentFrame_ = -1;
  prnFormatkaName->SetText("");
  return taken;
}

void TConfigDialogI::SelectFormatka(int Index) {
  prnFormatkaId->SetItemIndex(Index);
  prnFormatkaIdChange();
}

bool TConfigDialogI::DetailPreviewChecked() const { return DetailPreviewCB->Checked(); }
void TConfigDialogI::SetDetailPreviewChecked(bool Checked) { DetailPreviewCB->SetChecked(Checked); }
bool TConfigDialogI::ForceArcDAChecked() const { return ForceArcDACB->Checked(); }
void TConfigDialogI::SetForceArcDAChecked(bool Checked) { ForceArcDACB->SetChecked(Checked); }

std::string TConfigDialogI::LineDefsText() const { return LineDefs->Text(); }
void TConfigDialogI::SetLineDefsText(const std::string& Text) {
  shownLineDefs_ = Text;
  LineDefs->SetText(Text);
}
std::string TConfigDialogI::SymbolDefsText() const { return SymbolDefs->Text(); }
void TConfigDialogI::SetSymbolDefsText(const std::string& Text) {
  shownSymbolDefs_ = Text;
  SymbolDefs->SetText(Text);
}
std::string TConfigDialogI::GeneratorFileText() const { return GeneratorFile->Text(); }
void TConfigDialogI::SetGeneratorFileText(const std::string& Text) {
  shownGeneratorFile_ = Text;
  GeneratorFile->SetText(Text);
}
bool TConfigDialogI::LocalEnabledChecked() const { return LocalEnabledCB->Checked(); }
void TConfigDialogI::SetLocalEnabledChecked(bool Checked) { LocalEnabledCB->SetChecked(Checked); }

void TConfigDialogI::ShowCelownik(std::int32_t W, std::int32_t H) { ShowIntPair(MakeIntPair(W, H)); }

void TConfigDialogI::GetCelownik(std::int32_t& W, std::int32_t& H) const {
  W = crosshairSize_.X;
  H = crosshairSize_.Y;
}

void TConfigDialogI::ShowCelownikMm(double W, double H) { ShowRealPair(TRealPoint{W, H}); }

void TConfigDialogI::GetCelownikMm(double& W, double& H) const {
  W = digitizerCrosshair_.X;
  H = digitizerCrosshair_.Y;
}

bool TConfigDialogI::DegreesChecked() const { return KatStopnie->Checked(); }

void TConfigDialogI::SetDegreesChecked(bool Degrees) { (Degrees ? KatStopnie : KatGrady)->SetChecked(true); }

bool TConfigDialogI::ActivePriorityChecked() const { return ActPrio->Checked(); }
void TConfigDialogI::SetActivePriorityChecked(bool Checked) { ActPrio->SetChecked(Checked); }

std::string TConfigDialogI::SizeXText() const { return WndSizeX->Text(); }
std::string TConfigDialogI::SizeYText() const { return WndSizeY->Text(); }

void TConfigDialogI::SetSizeTexts(const std::string& X, const std::string& Y) {
  WndSizeX->SetText(X);
  WndSizeY->SetText(Y);
}

bool TConfigDialogI::SizeDefaultChecked() const { return WndSDefault->Checked(); }

void TConfigDialogI::SetSizeDefaultChecked(bool Checked) {
  WndSDefault->SetChecked(Checked);
  WndSDefaultClick();
}

bool TConfigDialogI::ColorDefaultChecked() const { return WndKDefault->Checked(); }

void TConfigDialogI::SetColorDefaultChecked(bool Checked) {
  WndKDefault->SetChecked(Checked);
  WndKDefaultClick();
}

std::uint32_t TConfigDialogI::BackgroundColor() const { return WndKolor->Color(); }
void TConfigDialogI::SetBackgroundColor(std::uint32_t Color) { WndKolor->SetColor(Color); }
std::int32_t TConfigDialogI::AutoSaveMinutes() const { return autoSave_; }
void TConfigDialogI::SetAutoSaveMinutes(std::int32_t Minutes) { ShowIntValue(Minutes); }
bool TConfigDialogI::AreaActiveChecked() const { return AreaActPrio->Checked(); }
void TConfigDialogI::SetAreaActiveChecked(bool Checked) { AreaActPrio->SetChecked(Checked); }
