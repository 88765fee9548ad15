// The snapping window "Zatrzask": the small always-on-top window a snapping
// tool (TLatchKrzyz) opens on a right click or a typed digit. In it the user
// chooses the snap mode (a right click on a snap button changes it and
// keeps the window open), applies a snap mode once, types a point in one of
// eight coordinate-entry modes (plain, relative, polar and base-line
// constructions), pastes coordinates, or manages the base line. The window
// only collects and checks input: it ends with a modal result and leaves its
// entry mode and values (A, B, Z) for the tool to read.
//
// Modal results: 1 OK (or ExtraModalResult), 2 close, 3 abort, 16 to 18
// base-line commands, 19 + mode for a one-time snap, descendants' own.
// Every error (a field that is not a number, a base-line check, an entry
// mode whose points are missing) is told in a message box, after the
// window has left the top layer, and keeps the window open.
// TLatchDialog3d shows the third coordinate. The parameter windows of the
// object tools derive from TLatchDialog and add entry mode 8 through the
// four virtual hooks.
//
// GUI thread only. The tool owns its window; the window's tool is not
// owned (the window tells it when it goes: ResetState).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/gui/forms.h"

class TBaseLine;
class TLatchKrzyz;
class TTvView;

// Modal results of the window.
inline constexpr int kLatchOk = 1;
inline constexpr int kLatchClose = 2;
inline constexpr int kLatchAbort = 3;
inline constexpr int kLatchBaseLineByPoints = 16;
inline constexpr int kLatchBaseLinePick = 17;
inline constexpr int kLatchBaseLineRemove = 18;
// 19 + snap mode 0..8: that snap mode applied once.
inline constexpr int kLatchSnapOnce = 19;

// Entry modes of the window.
inline constexpr std::uint8_t kEntryXY = 0;
inline constexpr std::uint8_t kEntryRelative = 1;
inline constexpr std::uint8_t kEntryAzimuth = 2;
inline constexpr std::uint8_t kEntryLastDirection = 3;
inline constexpr std::uint8_t kEntryOffsets = 4;
inline constexpr std::uint8_t kEntryDistances = 5;
inline constexpr std::uint8_t kEntryAngles = 6;
inline constexpr std::uint8_t kEntryPolar = 7;
inline constexpr std::uint8_t kEntryExtra = 8;

// The base-line window of a view: modal, ends with 16 (enter a base line by
// two points), 17 (point an existing line), 18 (remove the base line) or
// another result. The program's own window is installed by the parcel part;
// without one the answer is 0 (nothing chosen).
class TBaseLineDialogI {
public:
  virtual ~TBaseLineDialogI() = default;
  virtual int ShowModalFor(TTvView* View) = 0;
};
// Installs the window (the caller keeps ownership; null: none).
void SetBaseLineDialog(TBaseLineDialogI* Dialog);
TBaseLineDialogI* BaseLineDialog();

class TLatchDialog : public platform::TForm {
public:
  TLatchDialog();
  // Tells the bound tool (ResetState).
  ~TLatchDialog() override;

  // Binds Tool (null only forgets it); with a tool, the four base-line
  // entry buttons are enabled exactly when its view has a base line.
  void SetKrzyz(TLatchKrzyz* Tool);
  TLatchKrzyz* Krzyz() const { return tool_; }
  // Beside the screen point (x + 10, or x - 10 - width near the right
  // edge), top y kept inside the screen.
  void PlaceNear(int X, int Y);
  // The relative and azimuth buttons from index 1, the angle ones from 2.
  void EnableButtons(std::int32_t PointIndex);
  void ShowSnapMode(std::uint8_t Mode);
  void SetInputMode(std::uint8_t Mode);
  std::uint8_t InputMode() const { return inputMode_; }
  void SetFieldLabels(const std::string& First, const std::string& Second);
  // The first field's text := Text, focus on it, caret behind the text.
  void SetFirstFieldText(const std::string& Text);

  // Hooks of the parameter windows.
  virtual void EnableExtraControls(bool BaseLine) {}
  virtual bool ShowExtraMode() { return false; }
  virtual int ExtraModalResult() { return 1; }
  // True with Message when the extra mode's input is wrong.
  virtual bool CheckExtraInput(std::string& Message) { return false; }

  // The clipboard's numbers: two go to the X and Y fields (entry mode 0),
  // one to the focused field; no number changes nothing.
  void Paste();

  // Values read by OK (angles in radians).
  double A = 0.0;
  double B = 0.0;
  double Z = 0.0;

protected:
  // Moves the pointer onto "Anuluj" and puts the window on top.
  void DoShow() override;
  // Escape aborts (3); F9 pastes.
  void KeyDown(std::uint16_t& Key, platform::TShiftState Shift) override;
  // A right click on the window aborts (3).
  void MouseDown(platform::TMouseButton Button, platform::TShiftState Shift, int X, int Y) override;

  // The third coordinate from its field; false (after telling the user)
  // when it is not a number.
  bool ReadZ();
  // Leaves the top layer, shows Text as an error and puts the focus on
  // Field.
  void ShowError(const std::string& Text, platform::TWinControl& Field);
  // The base line of the bound tool's view, or null.
  TBaseLine* ToolBaseLine() const;
  void OkClick();
  void SnapMouseDown(platform::TComponent& Sender, platform::TMouseButton Button);
  void EntryClick(std::uint8_t Mode);
  void BaseLineClick();
  void EditKeyPress(char32_t& Key);
  // The third coordinate's row shown (label "Z:" and its field beside
  // narrower X and Y fields), the paste button hidden and OK in its place:
  // the layout of TLatchDialog3d, which the 3D parameter windows share.
  void ShowThirdCoordinate();

  TLatchKrzyz* tool_ = nullptr;
  std::uint8_t inputMode_ = 0;
  // Controls: see latchdialog.cpp.
  struct TControls;
  std::unique_ptr<TControls> c_;
};

// The same window with the third coordinate.
class TLatchDialog3d : public TLatchDialog {
public:
  TLatchDialog3d();
};
