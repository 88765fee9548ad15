// The settings dialogs on which the settings groups are edited.
//
// TConfigDialog is the display dialog a view's local configuration shows: the
// display panel and the objects panel, with the value fields through which
// the display group passes the numbers that need converting. On OK the
// numbers are checked; a wrong one is named in a "Błąd" box, gets the focus
// and keeps the dialog open.
// TConfigDialogI adds the panels of every global group (window, general,
// other, print, digitizer, digitizer keys), each on a sheet of the hidden
// page control Pages and hidden until the window that derives from it (the
// main settings window) shows it. Groups without an interface of their own
// here address the controls by their component names (FindComponent).
//
// The dialogs hold no settings: each group fills its controls in ToDialog
// and takes them back in FromDialog. GUI thread only. A dialog owns its
// controls and the sheet-frame entries the print panel works on until a
// group takes them (TakeFormatki); whoever made the dialog owns it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "drawing/canvascfg.h"
#include "foundation/geometry/realgeom.h"
#include "foundation/settings/configdialogi.h"
#include "foundation/text/numtext.h"
#include "objects/libcfg.h"
#include "platform/gui/controls_grids.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "view/krzyzconf.h"
#include "view/viewcfg.h"

class TConfigDialog : public platform::TForm, public TConfigDialogBase, public TDisplayPageI {
public:
  static constexpr int kHelpContext = 742;

  TConfigDialog();

  // ShowModal; true when closed with OK.
  bool ExecuteModal() override;

  // ThickLineCondition := V; WarWysw shows its reciprocal to two decimals
  // ("1" for 0).
  void SetSingleValue(float V);
  // ScreenDpm := P (dots per millimetre); the edits show dots per inch to
  // two decimals.
  void SetRealPair(const TRealPoint& P);
  float SingleValue() const { return thickLineCondition_; }
  TRealPoint RealPair() const { return screenDpm_; }

  // The display page.
  bool Checked(TDisplayCheck Box) const override;
  void SetChecked(TDisplayCheck Box, bool Value) override;
  std::string SkalaText() const override;
  void SetSkalaText(const std::string& Text) override;
  std::uint32_t PanelColor(int N) const override;
  void SetPanelColor(int N, std::uint32_t Color) override;
  float ThickLineCondition() const override { return thickLineCondition_; }
  void SetThickLineCondition(float Value) override { SetSingleValue(Value); }
  void GetScreenDpm(double& X, double& Y) const override;
  void SetScreenDpm(double X, double Y) override { SetRealPair(TRealPoint{X, Y}); }

  platform::TBitBtn* BitBtn1;
  platform::TBitBtn* BitBtn2;
  platform::TBitBtn* HelpLocCfg;
  platform::TPageControl* Pages;
  platform::TTabSheet* WyswietlanieS;
  platform::TTabSheet* ObiektyS;
  // Display panel.
  platform::TPanel* WyswietlanieP;
  platform::TRadioButton* WTR;
  platform::TRadioButton* WTW;
  platform::TRadioButton* WTP;
  platform::TCheckBox* WsText;
  platform::TCheckBox* WsLine;
  platform::TCheckBox* WsSymbol;
  platform::TComboBox* WsSkala;
  platform::TPanel* WyrC3;
  platform::TCheckBox* DymWysw;
  platform::TCheckBox* DynWyswGL;
  platform::TCheckBox* WindowsThickLinesCB;
  platform::TCheckBox* DrCFlagCB;
  platform::TCheckBox* MarkTextOrigin;
  platform::TCheckBox* MarkLineEnds;
  platform::TCheckBox* ActPrio;
  platform::TEdit* WarWysw;
  platform::TEdit* ScreenDPMX;
  platform::TEdit* ScreenDPMY;
  // Objects panel.
  platform::TPanel* Obiekty;
  platform::TPanel* WyrC1;
  platform::TPanel* WyrC2;
  platform::TColorDialog* ColorD;

protected:
  // Moves the display and objects panels from their sheets onto the form.
  virtual void FormCreate();
  // OK: checks the scale (a whole number from 1 to 1000000), then WarWysw,
  // ScreenDPMX and ScreenDPMY into the value fields (a resolution from 1 to
  // 25400 dots per inch), and clears the modal result at the first that
  // fails, with the field's range in the message.
  virtual void BitBtn1Click();
  // Key filters: digits and backspace; digits, the point and backspace.
  static void WsSkalaKeyPress(platform::TComponent& Sender, char32_t& Key);
  static void WarWyswKeyPress(platform::TComponent& Sender, char32_t& Key);
  // A colour panel: the colour dialog starts with the panel's colour and, when
  // confirmed, gives the panel the chosen one.
  void WyrC1Click(platform::TComponent& Sender);

  // A "Błąd" box (OK only, no icon) over Text; Edit gets the focus (its
  // sheet of a page control brought to the front) and the modal result is
  // cleared.
  void RefuseField(platform::TWinControl& Edit, const std::string& Text);

  platform::TLabel* WarWyswL;
  platform::TLabel* RozdzielczoscL;
  platform::TGroupBox* WyrKolorG;

private:
  platform::TCheckBox* CheckBoxOf(TDisplayCheck Box) const;

  float thickLineCondition_ = 0.0f;
  TRealPoint screenDpm_;
};

// One digitizer driver: its description and the file of its library.
struct TDigitizerDriver {
  std::string Description;
  std::string FileName;
};
// Lists the digitizer drivers into Drivers; raises EDriverError when none is
// found (what was listed until then stays).
using TDigitizerDriverLister = std::function<void(std::vector<TDigitizerDriver>& Drivers)>;
// Set by the digitizer support; unset, the driver list stays empty.
void SetDigitizerDriverLister(TDigitizerDriverLister Lister);

class TConfigDialogI : public TConfigDialog,
                       public TPrintPageI,
                       public TLibraryPageI,
                       public TCursorPageI,
                       public TViewPageI {
public:
  static constexpr int kHelpContext = 643;
  static constexpr int kOknoHelpContext = 743;
  static constexpr int kOgolneHelpContext = 733;
  static constexpr int kInneHelpContext = 744;
  static constexpr int kDigitizerHelpContext = 7681;
  static constexpr int kDigitizerKeysHelpContext = 7682;

  TConfigDialogI();

  // AutoSave := V (minutes); AutoSaveInterval shows it.
  void ShowIntValue(std::int32_t V);
  // CrosshairSize := P; CelownikWE and CelownikHE show it.
  void ShowIntPair(const TIntPair& P);
  // DigitizerCrosshair := P (metres); XRealCelownikE and YRealCelownikE
  // show it.
  void ShowRealPair(const TRealPoint& P);
  std::int32_t AutoSave() const { return autoSave_; }
  TIntPair CrosshairSize() const { return crosshairSize_; }
  TRealPoint DigitizerCrosshair() const { return digitizerCrosshair_; }
  // The index of the sheet frame whose path the path edit shows, -1 none.
  int CurrentFrame() const { return currentFrame_; }
  // The library file of the driver at Index of DriverD ("" outside).
  std::string DriverFileName(int Index) const;
  // The open-file filter of a file edit ("" for others).
  std::string FilterOf(const platform::TCustomEdit& Edit) const;

  // The print page.
  void SetFormatki(std::vector<TFormatkaItem> Items) override;
  std::vector<TFormatkaItem> TakeFormatki() override;
  void SelectFormatka(int Index) override;
  bool DetailPreviewChecked() const override;
  void SetDetailPreviewChecked(bool Checked) override;
  bool ForceArcDAChecked() const override;
  void SetForceArcDAChecked(bool Checked) override;

  // The library page.
  std::string LineDefsText() const override;
  void SetLineDefsText(const std::string& Text) override;
  std::string SymbolDefsText() const override;
  void SetSymbolDefsText(const std::string& Text) override;
  std::string GeneratorFileText() const override;
  void SetGeneratorFileText(const std::string& Text) override;
  bool LocalEnabledChecked() const override;
  void SetLocalEnabledChecked(bool Checked) override;

  // The cursor page: the crosshair edits through the value fields (OK has
  // checked them), the angle unit and ActPrio.
  void ShowCelownik(std::int32_t W, std::int32_t H) override;
  void GetCelownik(std::int32_t& W, std::int32_t& H) const override;
  void ShowCelownikMm(double W, double H) override;
  void GetCelownikMm(double& W, double& H) const override;
  bool DegreesChecked() const override;
  void SetDegreesChecked(bool Degrees) override;
  bool ActivePriorityChecked() const override;
  void SetActivePriorityChecked(bool Checked) override;

  // The window and general panels, and AreaActPrio.
  std::string SizeXText() const override;
  std::string SizeYText() const override;
  void SetSizeTexts(const std::string& X, const std::string& Y) override;
  bool SizeDefaultChecked() const override;
  void SetSizeDefaultChecked(bool Checked) override;
  bool ColorDefaultChecked() const override;
  void SetColorDefaultChecked(bool Checked) override;
  std::uint32_t BackgroundColor() const override;
  void SetBackgroundColor(std::uint32_t Color) override;
  std::int32_t AutoSaveMinutes() const override;
  void SetAutoSaveMinutes(std::int32_t Minutes) override;
  bool AreaActiveChecked() const override;
  void SetAreaActiveChecked(bool Checked) override;

  // On the display panel.
  platform::TEdit* CelownikWE;
  platform::TEdit* CelownikHE;
  platform::TCheckBox* AreaActPrio;
  // The angle unit of the cursor tools (group "Miara kątów").
  platform::TRadioButton* KatStopnie;
  platform::TRadioButton* KatGrady;
  // Window panel.
  platform::TTabSheet* OknoS;
  platform::TPanel* OknoP;
  platform::TMaskEdit* WndSizeX;
  platform::TMaskEdit* WndSizeY;
  platform::TCheckBox* WndSDefault;
  platform::TPanel* WndKolor;
  platform::TCheckBox* WndKDefault;
  // General panel.
  platform::TTabSheet* OgolneS;
  platform::TPanel* OgolneP;
  platform::TEdit* AutoSaveInterval;
  // Other panel.
  platform::TTabSheet* InneS;
  platform::TPanel* InneP;
  platform::TEdit* SymbolDefs;
  platform::TEdit* LineDefs;
  platform::TEdit* GeneratorFile;
  platform::TButton* SymbolDefsChange;
  platform::TButton* LineDefsChange;
  platform::TButton* GenerDefsChange;
  platform::TCheckBox* LocalEnabledCB;
  // Print panel.
  platform::TTabSheet* PrintS;
  platform::TPanel* PrintP;
  platform::TComboBox* prnFormatkaId;
  platform::TEdit* prnFormatkaName;
  platform::TButton* FormatkaNameChange;
  platform::TButton* Button1;
  platform::TButton* Button2;
  platform::TButton* Button3;
  platform::TCheckBox* DetailPreviewCB;
  platform::TCheckBox* ForceArcDACB;
  // Digitizer panel.
  platform::TTabSheet* Digitizer;
  platform::TPanel* DigitizerP;
  platform::TComboBox* DriverD;
  platform::TComboBox* COMD;
  platform::TEdit* XRealCelownikE;
  platform::TEdit* YRealCelownikE;
  platform::TCheckBox* ScreenSaveD;
  platform::TCheckBox* SoundD;
  // Digitizer keys panel.
  platform::TTabSheet* DigitizerKeys;
  platform::TPanel* DigitizerkeysP;
  platform::TStringGrid* KeysD;
  platform::TOpenDialog* OpenDialog;

protected:
  // The inherited step; file filters from the plain edits' design texts;
  // the "Zmień" buttons bound to their edits; the driver list; the key grid.
  void FormCreate() override;
  // The inherited checks, then the general, crosshair and digitizer numbers,
  // (unless WndSDefault is checked) the window sizes and the definition
  // files changed since they were shown, which must open ("Brak pliku z
  // symbolami: " and the name); when they pass, the path edit is stored
  // into the selected sheet frame.
  void BitBtn1Click() override;
  // The digit filter of WsSkalaKeyPress, for derived windows that bind it.
  static void AutoSaveIntervalKeyPress(platform::TComponent& Sender, char32_t& Key);
  void ChangeOpenBtnClick(platform::TComponent& Sender);
  void WndSDefaultClick();
  void WndKDefaultClick();
  void WndKolorClick();
  // "Dodaj": the first free "Formatka_<N>", appended without a path and
  // selected.
  void Button1Click();
  // "Usuń": deletes the selected identifier; nothing when none is selected.
  void Button2Click();
  // "Zmień": renames the selected identifier through an input box; one the
  // settings file cannot hold, or one another frame has, is refused.
  void Button3Click();
  // Stores the path edit into the shown sheet frame, then shows the path of
  // the selected one.
  void prnFormatkaIdChange();

private:
  // The path edit's text into the entry at CurrentFrame.
  void StoreFramePath();
  TFormatkaPath* EntryAt(int Index) const;

  std::int32_t autoSave_ = 0;
  TIntPair crosshairSize_;
  TRealPoint digitizerCrosshair_;
  int currentFrame_ = -1;
  // The entries of the print panel (the combo box's items point into it).
  std::vector<std::unique_ptr<TFormatkaPath>> frameEntries_;
  std::vector<TDigitizerDriver> drivers_;
  std::map<const platform::TCustomEdit*, std::string> filters_;
  std::map<const platform::TComponent*, platform::TEdit*> changeEdits_;
  // The definition files as their group showed them.
  std::string shownSymbolDefs_;
  std::string shownLineDefs_;
  std::string shownGeneratorFile_;
};
