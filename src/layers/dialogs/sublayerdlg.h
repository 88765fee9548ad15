// The dialogs that edit the header of one sublayer: the common part
// (TChangePodwarstwaHeader) and its kinds for line sublayers
// (TChangeLiniowaPodwarstwaHeader) and text sublayers
// (TChangeTextowaPodwarstwaHeader). The sublayer's header-editing operation
// fills a dialog through the setters, shows it modally and reads the values
// back; the dialogs only show, check and hold values.
//
// Modal results: mrOk (values checked and held), mrCancel, kMoveContent and
// kDeleteContent (the sublayer is to move or delete its content).
//
// Two links reach higher folders through the interfaces below: the sample
// panel's background follows the view setting "KolorTla", and the masking
// lists of the text dialog show the layers and their sublayers.
//
// GUI thread only. Whoever makes a dialog owns it; the dialog owns its
// controls. The background source and the layer list are not owned and must
// outlive the dialog.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/gui/forms.h"

namespace platform {
class TBitBtn;
class TButton;
class TCheckBox;
class TComboBox;
class TEdit;
class TGroupBox;
class TLabel;
class TListBox;
class TPaintBox;
class TPanel;
}  // namespace platform

class TJustyfikacja;
class TKonfiguracja;
class TLineManager;
class TSpecialLine;

// The view's background colour (the view setting "KolorTla") and the
// notification of changes of the view settings.
class TViewBackgroundI {
public:
  virtual ~TViewBackgroundI() = default;
  virtual std::uint32_t KolorTla() const = 0;
  // Changed runs after every change of the view settings until the returned
  // token is given to Unsubscribe.
  virtual int Subscribe(std::function<void()> Changed) = 0;
  virtual void Unsubscribe(int Token) = 0;
};

// A sublayer as the masking lists show it.
struct TSublayerEntry {
  std::uint8_t Number = 0;
  std::string Name;
};

// The layers (by name) and the sublayers of each, for the masking lists.
class TLayerListI {
public:
  virtual ~TLayerListI() = default;
  virtual std::vector<std::string> LayerNames() const = 0;
  virtual std::vector<TSublayerEntry> Sublayers(const std::string& Layer) const = 0;
};

// The masked sublayers of a text sublayer: Count numbers (0: all
// sublayers), at most 10. 11 bytes as stored in the header.
struct TZasloniecieRecord {
  static constexpr int kMax = 10;
  std::uint8_t Count = 0;
  std::uint8_t Numbers[kMax] = {};
  friend bool operator==(const TZasloniecieRecord&, const TZasloniecieRecord&) = default;
};

class TChangePodwarstwaHeader : public platform::TForm {
public:
  static constexpr platform::TModalResult kMoveContent = 15;
  static constexpr platform::TModalResult kDeleteContent = 16;

  // Background: the view's background colour source, or none (white).
  explicit TChangePodwarstwaHeader(TViewBackgroundI* Background = nullptr);
  ~TChangePodwarstwaHeader() override;

  // Stores the colour and renews the sample when it differs.
  void SetKolor(std::uint32_t Value);
  std::uint32_t Kolor() const { return FKolor; }
  void SetPrintKolor(std::uint32_t Value);
  std::uint32_t PrintKolor() const { return FPrintKolor; }
  // The stored condition; shown as its inverse to two decimals ("0" for 0).
  void SetWarunek(double Value);
  double Warunek() const { return FWarunek; }
  // Print thickness in millimetres, shown to two decimals.
  void SetGrubosc(float Value);
  float Grubosc() const { return FGrubosc; }
  // The view's current scale, set by the caller; "Bieżący" takes it.
  double CurrentScale = 0.0;

  // Puts " - " and Number after the text of Control's caption, or after its
  // part before the first "-".
  static void AppendNumberToCaption(platform::TControl& Control, int Number);

  platform::TEdit* Nazwa = nullptr;
  platform::TEdit* DlugaNazwa = nullptr;
  platform::TPanel* Preview = nullptr;
  platform::TPanel* PrintKolorE = nullptr;
  platform::TCheckBox* Visible = nullptr;
  platform::TCheckBox* NotClipCB = nullptr;
  platform::TEdit* WarWysw = nullptr;
  platform::TButton* BitBtn2 = nullptr;
  platform::TEdit* Grubosc1E = nullptr;
  platform::TButton* MovePodwarstwaBtn = nullptr;
  platform::TButton* BitBtn4 = nullptr;
  platform::TBitBtn* BitBtn1 = nullptr;
  platform::TBitBtn* Cancel = nullptr;
  platform::TBitBtn* BitBtn3 = nullptr;

protected:
  // Shows the colour on the kind's sample; nothing here.
  virtual void UpdatePreview() {}
  // The checks of OK; false when a field was wrong (its message shown and
  // the focus given to it).
  virtual bool CheckValues();
  // The common checks.
  bool CheckCommon();
  // Reads Edit as a real number into Value; a wrong text shows Message
  // ("Błąd", stop icon), focuses the edit and gives false.
  bool ReadReal(platform::TEdit& Edit, const char* Message, double& Value);
  // Lets through digits, "." (also typed as ",") and backspace only.
  static void NumberKeys(platform::TEdit& Edit);
  // Opens the colour dialog on Kolor; a new colour is stored and shown.
  void ChooseKolor();

  // Puts the button row below FExtraTop, where the kind's controls end.
  void PlaceButtons();
  // Where the kind's controls start, then end.
  int FExtraTop = 0;

private:
  void RenewBackground();

  TViewBackgroundI* FBackground;
  int FSubscription = 0;
  std::uint32_t FKolor = 0;
  std::uint32_t FPrintKolor = 0;
  double FWarunek = 0.0;
  float FGrubosc = 0.0f;
};

class TChangeLiniowaPodwarstwaHeader : public TChangePodwarstwaHeader {
public:
  static constexpr int kHelpContext = 417;

  // Library: the line styles listed and drawn (the program-wide library
  // when null); Konfiguracja: the sample's display settings (the global
  // configuration when null).
  explicit TChangeLiniowaPodwarstwaHeader(TViewBackgroundI* Background = nullptr,
                                          const TLineManager* Library = nullptr,
                                          TKonfiguracja* Konfiguracja = nullptr);

  void SetLineType(std::int32_t Number);
  // 0 or 1: "cienka", else "gruba".
  void SetScreenWidth(int Code);
  void SetJakZ(int Index);
  void SetMnoznik(float Value);
  void SetGruboscCienka(float Value);
  void SetGruboscGruba(float Value);
  std::int32_t GetSpecialLineNumber() const;
  // 1 for "cienka", 3 for "gruba".
  int GetScreenWidth() const;
  int GetJakZ() const;
  float Mnoznik() const { return FMnoznik; }
  float GruboscCienka() const { return FGruboscCienka; }
  float GruboscGruba() const { return FGruboscGruba; }

  platform::TGroupBox* TypLiniGroup = nullptr;
  platform::TComboBox* TypLini = nullptr;
  platform::TComboBox* GruboscCB = nullptr;
  platform::TEdit* mnoznik = nullptr;
  platform::TCheckBox* CanChangeTypLini = nullptr;
  platform::TComboBox* JakZ = nullptr;
  platform::TEdit* Grubosc2E = nullptr;
  platform::TEdit* Grubosc3E = nullptr;
  TSpecialLine* Linia = nullptr;

protected:
  void UpdatePreview() override;
  bool CheckValues() override;

private:
  float FMnoznik = 1.0f;
  float FGruboscCienka = 0.0f;
  float FGruboscGruba = 0.0f;
};

class TChangeTextowaPodwarstwaHeader : public TChangePodwarstwaHeader {
public:
  static constexpr int kHelpContext = 418;

  explicit TChangeTextowaPodwarstwaHeader(TViewBackgroundI* Background = nullptr,
                                          const TLayerListI* Layers = nullptr);

  void SetJustyfikacja(int Value);
  std::uint8_t Justyfikacja() const { return FJustyfikacja; }
  void SetWysokosc(float Value);
  float Wysokosc() const { return FWysokosc; }
  // 1:500, 1:1000, 1:2000, 1:5000.
  void SetMnozniki(const float (&Values)[4]);
  const float* Mnozniki() const { return FMnozniki; }
  void SetItalic(bool Value);
  bool GetItalic() const;
  void SetCzyKat(bool Value);
  bool GetCzyKat() const;
  void SetZatrzask(int Index);
  int GetZatrzask() const;
  void SetAutoWidth(bool Value);
  bool GetAutoWidth() const;
  // "" selects "Nic", "*" "Wszystkie", another text that layer.
  void SetZasWarstwa(const std::string& Layer);
  std::string GetZasWarstwa() const;
  // A count above 10 is taken as 10.
  void SetZasPodwarstwy(const TZasloniecieRecord& Record);
  const TZasloniecieRecord& ZasloniecieRecord() const { return FZas; }

  platform::TCheckBox* Italic = nullptr;
  platform::TCheckBox* CzyKat = nullptr;
  platform::TEdit* WysokoscE = nullptr;
  platform::TComboBox* Zatrzask = nullptr;
  platform::TGroupBox* MnoznikiGroup = nullptr;
  platform::TEdit* s500 = nullptr;
  platform::TEdit* s1000 = nullptr;
  platform::TEdit* s2000 = nullptr;
  platform::TEdit* s5000 = nullptr;
  TJustyfikacja* Justyfikacja1 = nullptr;
  platform::TCheckBox* HeightCantChange = nullptr;
  platform::TCheckBox* JustCantChange = nullptr;
  platform::TCheckBox* AutoWidth = nullptr;
  platform::TGroupBox* Zaslania = nullptr;
  platform::TComboBox* ZasWarstwa = nullptr;
  platform::TListBox* ZasPodwarstwa = nullptr;
  platform::TComboBox* ZasPodwL = nullptr;
  platform::TButton* ZasAdd = nullptr;
  platform::TButton* ZasDel = nullptr;
  platform::TPaintBox* Sample = nullptr;

protected:
  void UpdatePreview() override;
  bool CheckValues() override;

private:
  void LayerChosen();
  void EnableMasking(bool On);
  // The chosen list from the record ("Wszystko" for count 0).
  void FillChosen();
  void AddMasked();
  void DeleteMasked();
  void PaintSample();

  const TLayerListI* FLayers;
  std::vector<TSublayerEntry> FSublayers;
  TZasloniecieRecord FZas;
  std::uint8_t FJustyfikacja = 7;
  float FWysokosc = 0.0f;
  float FMnozniki[4] = {0.5f, 1.0f, 2.0f, 5.0f};
};
