// The classes behind the factories and runners of objdialogs.h: the
// parameter windows of the object tools and the modal edit dialogs of the
// objects. Controls keep the names by which tests and the help find them.
//
// Parameter windows add four rows below the snapping controls (29 pixels
// each) and talk to their tool through ILineToolParams / ITextToolParams at
// every change; the tool hides its figures, applies the value and shows
// them again. A window filled from its tool (DoShow) sets nothing back on
// the tool: a text that is not the one shown before does not echo into it.
//
// The edit dialogs are filled by their runner, checked on OK (a wrong field
// is told in a "Błąd" box, gets the focus and the dialog stays open) and
// read back by the runner after OK.
//
// GUI thread only. A window belongs to whoever made it (the tool or the
// runner); the bound tool is not owned.
#pragma once

#include <cstdint>
#include <string>

#include "objtools/objdialogs.h"
#include "platform/gui/forms.h"

class THistoryEdit;
class TJustyfikacja;
class TSpecialLine;
namespace platform {
class TBitBtn;
class TCheckBox;
class TComboBox;
class TEdit;
class TLabel;
class TPanel;
class TSpeedButton;
}  // namespace platform

// --- Parameter windows ------------------------------------------------------

// Special lines and closed lines: style, thickness, multiplier, fixed length
// and the extra commands arc (108), close (109), close with a right angle
// (110) and close by two distances (entry mode 8, 111).
class TLiniaSpecjalnaD : public TLatchDialog {
public:
  TLiniaSpecjalnaD();

  // Mode 8: "Zamknij do czołówek" down, fields "C1:" and "C2:".
  bool ShowExtraMode() override;
  // 111 in mode 8, else OK.
  int ExtraModalResult() override;
  // The loop tool's check of the two distances.
  bool CheckExtraInput(std::string& Message) override;

  // The bound tool's parameters, null without such a tool.
  ILineToolParams* LineTool() const;

protected:
  void DoShow() override;
  // Shows the tool's style and fixed length (nothing goes back to the tool).
  virtual void ShowToolValues();
  // The window ends above the fourth row (its "Długość:" row hidden).
  void EndAboveFourthRow();
  // The extra command buttons off (arc window).
  void HideCommandButtons();

  platform::TLabel* typLiniLabel_ = nullptr;
  platform::TComboBox* typLini_ = nullptr;
  platform::TLabel* gruboscLabel_ = nullptr;
  platform::TComboBox* grubosc_ = nullptr;
  platform::TLabel* mnoznikLabel_ = nullptr;
  platform::TComboBox* mnoznik_ = nullptr;
  platform::TLabel* dlugoscLabel_ = nullptr;
  THistoryEdit* pDlugosc_ = nullptr;
  platform::TSpeedButton* speedButton4_ = nullptr;
  platform::TSpeedButton* speedButton5_ = nullptr;
  platform::TSpeedButton* speedButton6_ = nullptr;
  platform::TSpeedButton* closeCSB_ = nullptr;
  bool loading_ = false;

private:
  void FormCreate();
  void TypLiniChange();
  void GruboscChange();
  void MnoznikChange();
  void DlugoscChange();
};

// A single special line: adds parallel lines by two offsets from the base
// line (entry mode 8, 112); no closing commands.
class TLiniaSpecjalnaSingleD : public TLiniaSpecjalnaD {
public:
  TLiniaSpecjalnaSingleD();
  // "Odłożenie równoległe" only with a base line on the view.
  void EnableExtraControls(bool BaseLine) override;
  // Mode 8: "Odłożenie równoległe" down, fields "Lewo:" and "Prawo:"; not
  // without a base line (the window falls back to mode 0).
  bool ShowExtraMode() override;
  int ExtraModalResult() override;
  bool CheckExtraInput(std::string& Message) override { return false; }

protected:
  platform::TSpeedButton* sbOdR_ = nullptr;
};

// A three-point arc: style rows only.
class TLukSpecjalnyD : public TLiniaSpecjalnaD {
public:
  TLukSpecjalnyD();
};

// A circle: the three modes as buttons (tags 0..2).
class TOkragSpecjalnyD : public TLiniaSpecjalnaD {
public:
  TOkragSpecjalnyD();

protected:
  void ShowToolValues() override;

private:
  void ModeClick(platform::TSpeedButton& Button);
};

// The line edit tool: the dragged end onto the base line (108).
class TLiniaModifyD : public TLatchDialog {
public:
  TLiniaModifyD();
  void EnableExtraControls(bool BaseLine) override;

protected:
  platform::TSpeedButton* toBaseLineSB_ = nullptr;
};

// The 3D forms: the third coordinate shown.
class TLiniaSpecjalna3dD : public TLiniaSpecjalnaD {
public:
  TLiniaSpecjalna3dD();
};
class TLiniaSpecjalnaSingle3dD : public TLiniaSpecjalnaSingleD {
public:
  TLiniaSpecjalnaSingle3dD();
};
class TLukSpecjalny3dD : public TLukSpecjalnyD {
public:
  TLukSpecjalny3dD();
};
class TOkragSpecjalny3dD : public TOkragSpecjalnyD {
public:
  TOkragSpecjalny3dD();
};
class TLiniaModify3dD : public TLiniaModifyD {
public:
  TLiniaModify3dD();
};

// Texts and symbols: the angle switch, the height and the angle in the
// cursor settings' angle unit.
class TNapisSymbolD : public TLatchDialog {
public:
  TNapisSymbolD();
  ITextToolParams* TextTool() const;

protected:
  void DoShow() override;
  // Fills the fields from the tool (nothing goes back to it).
  virtual void ShowToolValues();
  // The top of a descendant's own controls, below the angle and height.
  static constexpr int kOwnTop = 197;

  platform::TCheckBox* kat_ = nullptr;
  platform::TLabel* katWLabel_ = nullptr;
  platform::TEdit* katW_ = nullptr;
  platform::TLabel* hghtLabel_ = nullptr;
  platform::TEdit* hght_ = nullptr;
  bool loading_ = false;
};

class TNapisD : public TNapisSymbolD {
public:
  TNapisD();

protected:
  void ShowToolValues() override;
  // The text field gets the focus at each opening (a digit typed to open
  // the window puts it into the first coordinate instead).
  void DoHide() override;

private:
  void OdnClick();

  TJustyfikacja* just_ = nullptr;
  platform::TCheckBox* odn_ = nullptr;
  platform::TCheckBox* underln_ = nullptr;
  platform::TEdit* text_ = nullptr;
};

class TSymbolD : public TNapisSymbolD {
public:
  TSymbolD();

protected:
  void ShowToolValues() override;

private:
  platform::TLabel* symbolLabel_ = nullptr;
  platform::TComboBox* symbol_ = nullptr;
};

// --- Modal edit dialogs -----------------------------------------------------

// Height and angle (radians) of a text or symbol; OK reads both fields and
// asks Validate.
class TNapisSymbolEditD : public platform::TForm {
public:
  TNapisSymbolEditD();

  void SetHeight(float H);
  // Shown unrounded in the angle unit.
  void SetAngle(float A);

  float Height = 0.0f;
  float Angle = 0.0f;  // radians

protected:
  // The descendant's fields: true when they may be taken; otherwise the
  // dialog has told the user and stays open.
  virtual bool Validate() { return true; }
  // "Błąd" box with Text, focus on Field.
  void ShowError(const std::string& Text, platform::TWinControl& Field);
  // Puts OK and "Anuluj" below Top and ends the window after them.
  void PlaceButtons(int Top);
  void OkClick();

  platform::TLabel* hghtLabel_ = nullptr;
  platform::TEdit* hght_ = nullptr;
  platform::TLabel* katWLabel_ = nullptr;
  platform::TEdit* katW_ = nullptr;
  platform::TBitBtn* bitBtn1_ = nullptr;
  platform::TBitBtn* bitBtn2_ = nullptr;
};

class TNapisEditD : public TNapisSymbolEditD {
public:
  TNapisEditD();
  virtual void Load(const TTextEditValues& V);
  virtual void Store(TTextEditValues& V) const;

protected:
  // Not empty and within what the layer file keeps.
  bool Validate() override;
  // The most characters the layer file keeps for the text as ticked.
  std::size_t StoredLimit() const;

  TJustyfikacja* just_ = nullptr;
  platform::TCheckBox* odn_ = nullptr;
  platform::TCheckBox* underln_ = nullptr;
  platform::TLabel* textLabel_ = nullptr;
  platform::TEdit* text_ = nullptr;
};

class TUlamekEditD : public TNapisEditD {
public:
  TUlamekEditD();
  // The denominator as well.
  void Load(const TTextEditValues& V) override;
  void Store(TTextEditValues& V) const override;

protected:
  // Neither part empty (the numerator told first), and the pair with its
  // separator within what the layer file keeps.
  bool Validate() override;

private:
  platform::TLabel* mianownikLabel_ = nullptr;
  platform::TEdit* mianownik_ = nullptr;
};

class TSymbolEditD : public TNapisSymbolEditD {
public:
  TSymbolEditD();
  void Load(const TSymbolEditValues& V);
  void Store(TSymbolEditValues& V) const;

protected:
  // The name within what the layer file keeps.
  bool Validate() override;

private:
  platform::TLabel* symbolLabel_ = nullptr;
  platform::TComboBox* symbol_ = nullptr;
};

// A line's style, thickness and multiplier with a preview of the style.
class TLiniaEditD : public platform::TForm {
public:
  TLiniaEditD();
  void Load(const TLineStyleEditValues& V);
  void Store(TLineStyleEditValues& V) const;
  void SetMultiplier(float M);

  float Multiplier = 0.0f;
  const TLine* SublayerLineDef = nullptr;
  bool SublayerThick = false;

private:
  void FormCreate();
  void GruboscChange();
  void TypLiniChange();
  void OkClick();

  platform::TLabel* typLiniLabel_ = nullptr;
  platform::TComboBox* typLini_ = nullptr;
  platform::TLabel* gruboscLabel_ = nullptr;
  platform::TComboBox* grubosc_ = nullptr;
  platform::TLabel* mnoznikLabel_ = nullptr;
  platform::TComboBox* mnoznik_ = nullptr;
  platform::TPanel* panel_ = nullptr;
  TSpecialLine* linia_ = nullptr;
  platform::TBitBtn* bitBtn1_ = nullptr;
  platform::TBitBtn* bitBtn2_ = nullptr;
};
