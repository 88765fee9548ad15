// The small dialogs of the layer and catalogue operations: the layer header
// (TChangeWarstwaHeader), a new layer (TNewWarstwa) and the destination of a
// sublayer's moved content (TMovePodwarstwaD). They check what the user typed
// and give a result code; the layer operations do the work.
//
// GUI thread only. Whoever makes a dialog owns it; the dialog owns its
// controls. The layer link of the header dialog is not owned and must
// outlive the dialog.
#pragma once

#include <cstdint>
#include <string>

#include "platform/gui/forms.h"

namespace platform {
class TBitBtn;
class TButton;
class TComboBox;
class TEdit;
class TLabel;
}  // namespace platform

// What the layer header dialog needs of the layer it edits; the layer tree
// binds it to the layer.
class TWarstwaLinkI {
public:
  virtual ~TWarstwaLinkI() = default;
  virtual std::string LayerName() const = 0;
  // Adds one sublayer of the layer's kind at once; true when one was added.
  virtual bool AddSublayer() = 0;
};

class TChangeWarstwaHeader : public platform::TForm {
public:
  static constexpr int kHelpContext = 416;
  static constexpr platform::TModalResult kDeleteLayer = 6;
  static constexpr platform::TModalResult kDeleteLastSublayer = 7;

  TChangeWarstwaHeader();

  // The layer edited (not owned), set before the dialog is shown.
  TWarstwaLinkI* Warstwa = nullptr;

  platform::TEdit* Name = nullptr;
  platform::TEdit* FullName = nullptr;
  platform::TBitBtn* BitBtn1 = nullptr;
  platform::TBitBtn* BitBtn2 = nullptr;
  platform::TBitBtn* BitBtn3 = nullptr;
  platform::TButton* NewPodw = nullptr;
  platform::TButton* BitBtn4 = nullptr;
  platform::TButton* BitBtn5 = nullptr;
};

class TNewWarstwa : public platform::TForm {
public:
  static constexpr int kHelpContext = 415;
  static constexpr platform::TModalResult kLineLayer = 9;
  static constexpr platform::TModalResult kTextLayer = 10;
  static constexpr int kMaxSublayers = 250;

  TNewWarstwa();

  // The maximum number of sublayers, held after "Liniowa" or "Tekstowa".
  std::uint8_t MaxIlosc = 0;

  platform::TLabel* DirName = nullptr;
  platform::TComboBox* Name = nullptr;
  platform::TEdit* DlugaNazwa = nullptr;
  platform::TEdit* MaxIloscPodwarstw = nullptr;
  platform::TBitBtn* BitBtn1 = nullptr;
  platform::TBitBtn* BitBtn2 = nullptr;
  platform::TBitBtn* CancelBtn = nullptr;
  platform::TBitBtn* HelpBtn = nullptr;

private:
  // The checks of both kind buttons; false keeps the dialog open.
  bool Check();
};

// The caller fills DestPodwarstwa and reads the chosen entry after OK.
class TMovePodwarstwaD : public platform::TForm {
public:
  TMovePodwarstwaD();

  platform::TComboBox* DestPodwarstwa = nullptr;
  platform::TButton* OKBtn = nullptr;
  platform::TButton* CancelBtn = nullptr;
};
