// Frontal-measure labels ("czołówki"): a length written along a measured
// segment of the map, an angled text (TWysKatNapis::SetCzolowka) placed at
// the segment's middle above, on or below it, optionally underlined and
// optionally between two dashes ("wąsy").
//
// Flags of a label, one byte:
//   0x01 above the line, 0x02 on the line, 0x04 below the line;
//   0x08 whiskers (the value between two "-"); 0x10 underline.
//
// TCzolowkaLineKrzyz: the user enters the two ends of the segment with
// snapping; from the second point on the label (and the segment) follows the
// pointer; the completing point reports the label (OnPoint). A segment of no
// length is refused (sound signal; the point may be entered again): its
// label would show 0 in no direction. The snapping window is
// TCzolowkaDialog, the snapping window with the label's position, whiskers,
// underline and height; every change in it applies to the tool at once.
//
// TCzolowkaWskKrzyz: the user points at an existing line (the command
// searches it at the tool's point X, Y within the sight, GetCelownikSize,
// and makes the label for it with the tool's Flags and Height); a right click
// opens the small window TCzolowkaSimple with the same four controls. The
// window is left with "Zamknij" (Enter) or aborted with "Anuluj" (Escape, a
// right click); either way the picking tool goes on: a picking tool has no
// point to take back, and taking back on it would end it.
//
// A height that is not a positive number (typed "abc", cleared, negative,
// beyond the text's range) gives the tools 1.0. Showing a window does not
// change the tool: the height field shows the tool's height rounded to the
// coordinate format, but only the user's edits set it back.
//
// TRightDialog is the base of the small window: modal, opened to the right
// of a screen point (to its left near the right edge of the screen), the
// pointer onto its close button and the window on top when shown.
//
// GUI thread only. The template belongs to the command (view/newtools.h);
// the snapping tool owns its window; the picking tool owns its small window
// while it is shown (TCzolowkaWskKrzyz::Dialog). A window's tool is not
// owned: the window tells the tool when it goes, and a tool that goes first
// clears the window's link to it.
#pragma once

#include <cstdint>
#include <memory>

#include "view/latchdialog.h"
#include "view/newtools.h"
#include "view/pointtools.h"

namespace platform {
class TCheckBox;
class TEdit;
class TLabel;
class TRadioGroup;
class TSpeedButton;
}  // namespace platform

class TCzolowkaDialog;
class TCzolowkaSimple;

// The four controls both windows share: "Pozycja" (Position: "Nad linią",
// "Na linii", "Pod linią"), "Wąsy" (Wasy), "Podkreślenie" (Underline) and
// "Wysokość:" (Height, a number field).
struct TCzolowkaFields {
  // Made on Form at its place in the window: the group at (Left, Top), the
  // check boxes and the height to its right.
  void Make(platform::TForm& Form, int Left, int Top, bool HeightBelow);
  // 0x01, 0x02 or 0x04 by the position, | 0x10 underline, | 0x08 whiskers.
  std::uint8_t GetFlags() const;
  // The position, whiskers and underline of F (0x01 before 0x02 before the
  // rest).
  void SetFlags(std::uint8_t F);
  // The field shows H formatted as a coordinate.
  void ShowHeight(double H);
  // The field read as a number; 0 when it is not one.
  double ReadHeight() const;

  platform::TRadioGroup* Position = nullptr;
  platform::TCheckBox* Wasy = nullptr;
  platform::TCheckBox* Underline = nullptr;
  platform::TLabel* HeightLabel = nullptr;
  platform::TEdit* Height = nullptr;
};

// Label flags.
inline constexpr std::uint8_t kCzolowkaAbove = 0x01;
inline constexpr std::uint8_t kCzolowkaOnLine = 0x02;
inline constexpr std::uint8_t kCzolowkaBelow = 0x04;
inline constexpr std::uint8_t kCzolowkaWasy = 0x08;
inline constexpr std::uint8_t kCzolowkaUnderline = 0x10;

// The height a tool takes from a window's height: 1.0 unless it is a
// positive number the text can keep.
float CzolowkaToolHeight(double Height);

// The segment tool. Its template is a TWysKatNapis (other templates are
// left alone).
class TCzolowkaLineKrzyz : public TNewGraphObjKrzyz {
public:
  // Complete at 2 points, restart at 1; Flags and Height from a TWysKatNapis
  // template.
  TCzolowkaLineKrzyz(std::uint32_t Status, TEGraphObj* Template, TWarstwaOgolna* Sublayer,
                     TKrzyzPointEvent OnPoint);

  // --- TNewGraphObjKrzyz ---
  // The inherited SetTemplate; Flags and Height from a TWysKatNapis.
  void SetTemplate(TEGraphObj* Object) override;
  // From the second point on: the template's height := Height, and the label
  // of the segment from the previous to the current entry with Flags.
  void UpdateTemplate() override;
  // The segment under the label.
  void DrawExtra() override;
  // False for a segment of no length.
  bool CompleteObject() override;
  // --- TLatchKrzyz ---
  // A TCzolowkaDialog.
  std::unique_ptr<TLatchDialog> CreateDialog() override;

  // The window's flags and height (CzolowkaToolHeight) into the tool; the
  // label is laid again with the cursor figure off the screen. Nothing
  // without a TCzolowkaDialog.
  void ApplyDialog();

  // The label flags (this tool's own: they hide the tool flags of TKrzyz,
  // which stay TKrzyz::Flags).
  std::uint8_t Flags = 0;
  // The text height in world units.
  float Height = 0.0f;
};

// The tool a TRightDialog belongs to.
class TRightDialogTool {
public:
  // The window is going (its destructor).
  virtual void DialogClosed() = 0;

protected:
  ~TRightDialogTool() = default;
};

// The picking tool.
class TCzolowkaWskKrzyz : public TWskKoloKrzyz, public TRightDialogTool {
public:
  TCzolowkaWskKrzyz(std::uint32_t Status, TKrzyzPointEvent OnPoint);
  // Clears the window's link to the tool, then deactivates.
  ~TCzolowkaWskKrzyz() override;

  // Unless the window is shown already: a TCzolowkaSimple at ScreenPoint,
  // shown modally; the tool goes on (kRightNothing) whether the window was
  // closed or aborted.
  std::int32_t RightClick(TRealPoint& Point, const TPoint& ScreenPoint) override;
  // The figures off the screen, then the hint tool's Detach.
  void Detach() override;
  // Dialog := null.
  void DialogClosed() override;
  // The window's flags and height (CzolowkaToolHeight) into the tool;
  // nothing without a window.
  void ApplyDialog();

  // The label flags (hide TKrzyz::Flags, as in TCzolowkaLineKrzyz).
  std::uint8_t Flags = 0;
  float Height = 0.0f;
  // The small window while it is shown (owned by RightClick meanwhile).
  TCzolowkaSimple* Dialog = nullptr;
};

// The snapping window of TCzolowkaLineKrzyz ("Czołówka"): the row of the
// label's position ("Pozycja"), "Wąsy", "Podkreślenie" and "Wysokość:"
// above the snapping window's controls.
class TCzolowkaDialog : public TLatchDialog {
public:
  TCzolowkaDialog();

  std::uint8_t GetFlags() const { return fields_.GetFlags(); }
  void SetFlags(std::uint8_t F) { fields_.SetFlags(F); }
  // TextHeight := H; the field shows H formatted as a coordinate.
  void SetHeight(double H);

  // The height field read as a number (0 when it is not one).
  double TextHeight = 0.0;
  // True while the window shows the tool's values.
  bool Loading = false;

protected:
  // The snapping window's DoShow, then the tool's height and flags.
  void DoShow() override;

private:
  // Unless Loading: the tool's ApplyDialog (a TCzolowkaLineKrzyz only).
  void PositionClick();
  void HeightChange();

  TCzolowkaFields fields_;
};

// A small modal window with two flat buttons: "Zamknij" (CloseSB, result
// mrCancel when CanClose) and "Anuluj" (AbortSB, result mrAbort, also a
// right button on it or on the window, and Escape); Enter closes as
// "Zamknij".
class TRightDialog : public platform::TForm {
public:
  TRightDialog();
  // Tells Tool (DialogClosed).
  ~TRightDialog() override;

  // X + 10 beside the screen point; when the window would pass the right
  // edge of the screen, X - 10 - width; the bottom kept on the screen.
  void PlaceNear(int X, int Y);
  // Whether "Zamknij" may close the window. Base: true.
  virtual bool CanClose() { return true; }

  // The tool the window belongs to, or null.
  TRightDialogTool* Tool = nullptr;

protected:
  // The pointer onto (5, 5) of CloseSB, the window on top.
  void DoShow() override;
  void KeyDown(std::uint16_t& Key, platform::TShiftState Shift) override;
  void MouseDown(platform::TMouseButton Button, platform::TShiftState Shift, int X, int Y) override;

  void CloseClick();

  platform::TSpeedButton* closeSB_ = nullptr;
  platform::TSpeedButton* abortSB_ = nullptr;
};

// The small window of TCzolowkaWskKrzyz ("Czołówka").
class TCzolowkaSimple : public TRightDialog {
public:
  TCzolowkaSimple();

  std::uint8_t GetFlags() const { return fields_.GetFlags(); }
  void SetFlags(std::uint8_t F) { fields_.SetFlags(F); }
  // TextHeight := H; the field shows H formatted as a coordinate.
  void SetHeight(double H);

  double TextHeight = 0.0;
  bool Loading = false;

protected:
  // The base's DoShow, then the tool's height and flags.
  void DoShow() override;

private:
  TCzolowkaWskKrzyz* CzolowkaTool() const;
  void PositionClick();
  void HeightChange();

  TCzolowkaFields fields_;
};
