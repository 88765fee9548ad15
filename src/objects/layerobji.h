// What the layer objects (lines, circles, arcs, texts, fractions, symbols,
// points) use of neighbours that live above the objects: the coordinate and
// angle formats of the cursor settings, and the values of the block-edit
// window that ApplyParams copies into every member of a block. The view and
// the block editor implement them; tests use fakes.
//
// GUI thread only: the objects ask them while filling the information window
// or applying a block edit, never while drawing.
#pragma once

#include <cstdint>
#include <string>

// The cursor settings' number formats.
class ICursorFormat {
 public:
  virtual ~ICursorFormat() = default;
  // A coordinate or length with the configured decimals.
  virtual std::string FormatCoord(double V) const = 0;
  // An angle given in radians, in the configured angle unit with two decimals.
  virtual std::string FormatAngle(double Radians) const = 0;
};

// The formats in use: the one set by SetCursorFormat, else a built-in one
// (coordinates with two decimals, angles in degrees with two decimals).
const ICursorFormat& CursorFormat();
// F is not owned and must outlive its use; nullptr goes back to the built-in.
void SetCursorFormat(const ICursorFormat* F);

// The block-edit window "Edycja bloku" as ApplyParams reads it. Each getter
// gives the value of one named control; the mask bits of viewi.h (kBlock...)
// say which of them the user asked to apply.
class TBlockE {
 public:
  virtual ~TBlockE() = default;
  // The text of the "TypLini" box (a line-style name).
  virtual std::string TypLiniText() const = 0;
  // The item index of the "Grubosc" box (0 default, 1 thin, 2 thick).
  virtual int GruboscIndex() const = 0;
  // The multiplier value.
  virtual double Multiplier() const = 0;
  // The height value (world units).
  virtual double Height() const = 0;
  // The angle value (radians).
  virtual double Angle() const = 0;
  // The value of the "Just" picker (1..9).
  virtual std::uint8_t Just() const = 0;
  // The text of the "Symbol" box.
  virtual std::string SymbolText() const = 0;
  // Whether "Underln" is checked.
  virtual bool Underln() const = 0;
  // Whether "Odn" is checked.
  virtual bool Odn() const = 0;
  // The text of the "Text" edit.
  virtual std::string Text() const = 0;
  // The text of the "Mianownik" edit.
  virtual std::string Mianownik() const = 0;
};
