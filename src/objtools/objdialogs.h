// The parameter windows of the object tools and the modal edit dialogs of
// the objects.
//
// The parameter windows are snapping windows (view/latchdialog.h) with the
// tool's own fields beside the coordinates: the line windows (style,
// multiplier, thickness and the extra commands: arc, closing a loop,
// parallel lines, a point onto the base line), the circle window (its three
// modes), the text window and the symbol window. A window finds what it
// shows and changes on its tool through ILineToolParams or ITextToolParams
// (by dynamic_cast on the window's tool), so the windows need none of the
// tool classes. Every change applies to the tool at once; each setter of
// the interfaces takes the tool's figures off the screen, changes the one
// value and shows them again. Filling a window from its tool calls no
// setter. A text that is not a number (or a multiplier the layer file cannot
// keep) changes nothing.
//
// The modal edit dialogs change a line's style, a text, a fraction or a
// symbol; they refuse what the layer file cannot keep.
//
// GUI thread only. The tool owns its window; the window's tool is not
// owned.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "objects/edittoolsi.h"
#include "view/latchdialog.h"

struct TSpecStyle;

// The extra results of the line windows (DoExtraResult of the tools).
inline constexpr int kExtraArc = 108;          // special lines: arc mode
inline constexpr int kExtraToBaseLine = 108;   // line edit: the dragged end onto the base line
inline constexpr int kExtraCloseLoop = 109;
inline constexpr int kExtraCloseSquare = 110;
inline constexpr int kExtraCloseDistances = 111;
inline constexpr int kExtraParallel = 112;

// What a line, circle or arc window shows and changes on its tool.
class ILineToolParams {
public:
  virtual ~ILineToolParams() = default;
  // The template's own style; nullptr when it has none.
  virtual TSpecStyle* TemplateStyle() = 0;
  // Fn changes the template's style with the template off the screen.
  virtual void ChangeStyle(const std::function<void(TSpecStyle&)>& Fn) = 0;
  // The sublayer's style and thickness ("domyślny").
  virtual const TLine* SublayerLineDef() = 0;
  virtual bool SublayerThick() = 0;
  // Lines: the fixed length (0: none).
  virtual bool HasFixedLength() const { return false; }
  virtual double FixedLength() const { return 0.0; }
  virtual void SetFixedLength(double L) {}
  // Circles: the mode 0..2; -1 for the other tools.
  virtual int CircleMode() const { return -1; }
  virtual void SetCircleMode(int Mode) {}
  // Loops: the check of the two closing distances; "" when they may be used.
  virtual std::string CheckCloseDistances(double C1, double C2) { return {}; }
};

// What the text and symbol windows show and change on their tool.
class ITextToolParams {
public:
  virtual ~ITextToolParams() = default;
  virtual bool IsAngled() const = 0;
  virtual void SetAngled(bool On) = 0;
  virtual bool IsAngleAllowed() const = 0;
  virtual bool IsHeightAllowed() const = 0;
  virtual bool IsJustificationAllowed() const = 0;
  virtual float GetHeight() = 0;
  virtual void SetHeight(float Height) = 0;
  // Radians.
  virtual float GetAngle() = 0;
  virtual void SetAngle(float Angle) = 0;
  // Texts (the template off the screen while it changes).
  virtual std::uint8_t GetJustification() { return 7; }
  virtual void SetJustification(std::uint8_t Justification) {}
  virtual bool GetUnderline() { return false; }
  virtual void SetUnderline(bool On) {}
  virtual bool GetReference() { return false; }
  virtual void SetReference(bool On) {}
  // The typed text; a fraction as numerator "|" denominator.
  virtual std::string GetEditText() { return {}; }
  virtual void SetText(const std::string& Text) {}
  // Symbols.
  virtual std::string GetSymbolName() { return {}; }
  virtual void SetSymbolName(const std::string& Name) {}
};

// The line windows.
enum class TLineWindow : std::uint8_t {
  Loop,    // TLiniaSpecjalnaD: special lines and closed lines
  Single,  // TLiniaSpecjalnaSingleD
  Arc,     // TLukSpecjalnyD
  Circle,  // TOkragSpecjalnyD
  Modify,  // TLiniaModifyD: the line edit tool
};
std::unique_ptr<TLatchDialog> MakeLineWindow(TLineWindow Kind, bool ThreeD);
// TNapisD, TSymbolD (the symbol names of the sublayer's library).
std::unique_ptr<TLatchDialog> MakeNapisD();
std::unique_ptr<TLatchDialog> MakeSymbolD();

// The modal edit dialogs; true on OK with V holding the accepted fields.
bool RunLiniaEditD(TLineStyleEditValues& V);
bool RunNapisEditD(bool Fraction, TTextEditValues& V);
bool RunSymbolEditD(TSymbolEditValues& V);
