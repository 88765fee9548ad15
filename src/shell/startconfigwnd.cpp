#include "shell/startconfigwnd.h"

using namespace platform;

void TStartConfigWnd::FormCreate() {
  TConfigDialogI::FormCreate();
  SetBounds(0, 0, 448, 540);
  Pages->SetBounds(0, 0, 440, 452);
  Pages->Show();
  WyswietlanieP->SetParent(WyswietlanieS);
  Obiekty->SetParent(WyswietlanieS);
  WyswietlanieS->SetCaption("Wyświetlanie");
  OknoS->SetCaption("Okno");
  OgolneS->SetCaption("Warstwy");
  InneS->SetCaption("Definicje");
  PrintS->SetCaption("Wydruk");
  for (TTabSheet* sheet : {ObiektyS, Digitizer, DigitizerKeys}) sheet->SetTabVisible(false);
  for (TPanel* panel : {WyswietlanieP, Obiekty, OknoP, OgolneP, InneP, PrintP}) panel->Show();
  Pages->SetActivePage(WyswietlanieS);
  for (TBitBtn* button : {BitBtn1, BitBtn2}) button->SetTop(464);
}
