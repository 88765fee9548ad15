// The pen the graphic objects ask for, kept apart from the platform pen, and
// the polyline buffer a canvas collects device segments in.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "foundation/containers/object.h"
#include "foundation/containers/vectorlist.h"

namespace platform {
class TCanvas;
}

// Colour word codes above the 24 colour bits (0x00BBGGRR).
inline constexpr std::uint32_t kDefaultColorBit = 0x1000000;  // the sublayer's colour
inline constexpr std::uint32_t kSpecialColorBits = 0x6000000; // the special colour

// Pen state of one canvas: mode, resolved colour, style and width, a saved
// state the canvas restores after each object, and the thick-line rule.
// Every real change calls OnChange, with which the owning canvas draws its
// buffer and then sets the platform pen. Used by the thread drawing on its
// canvas; owned by the canvas.
class TPenI : public TObject {
public:
  using TChangeEvent = std::function<void(TPenI* Sender)>;
  // Asked before a width above one pixel is taken; true allows it.
  using TThickLineTest = std::function<bool()>;

  // Stores the values as given (no colour resolution, no width test) and
  // saves them. An unset ThickLineTest allows every width.
  TPenI(std::uint8_t Mode, std::uint32_t Color, std::uint8_t Style, std::int32_t Width,
        TThickLineTest ThickLineTest);

  // Resolves C: bits 25 and 26 both set give SpecialColor, else bit 24 gives
  // SavedColor, else C itself; a different result is stored and announced.
  virtual void SetColor(std::uint32_t C);
  // 0 gives the saved width, 1 one pixel, 2 three pixels; an index outside
  // the table gives one pixel.
  virtual void SetWidthByIndex(int I);
  // Base: nothing (the print pen keeps a width per index).
  virtual void SetIndexedWidth(int I, int W);

  void SetMode(std::uint8_t M);
  void SetStyle(std::uint8_t S);
  // A width above 1 that ThickLineTest refuses becomes 1.
  void SetWidth(std::int32_t W);
  void SaveState();
  // Mode, style and width from the saved state; the colour stays.
  void RestoreState();
  void Changed();
  // Black when a colour byte is above 128, else white.
  void SetContrastColor();

  std::uint8_t Mode() const { return FMode; }
  std::uint32_t Color() const { return FColor; }
  std::uint8_t Style() const { return FStyle; }
  std::int32_t Width() const { return FWidth; }
  std::uint8_t SavedMode() const { return FSavedMode; }
  std::uint32_t SavedColor() const { return FSavedColor; }
  std::uint8_t SavedStyle() const { return FSavedStyle; }
  std::int32_t SavedWidth() const { return FSavedWidth; }
  bool ThickLinesAllowed() const { return !FThickLineTest || FThickLineTest(); }

  TChangeEvent OnChange;
  // What the special colour code stands for; the map view sets it to its
  // background colour.
  std::uint32_t SpecialColor = 0;

private:
  std::uint8_t FMode;
  std::uint32_t FColor;
  std::uint8_t FStyle;
  std::int32_t FWidth;
  std::uint8_t FSavedMode = 0;
  std::uint32_t FSavedColor = 0;
  std::uint8_t FSavedStyle = 0;
  std::int32_t FSavedWidth = 0;
  TThickLineTest FThickLineTest;
};

// The polyline buffer of a canvas: the integer polyline list bound to one
// platform canvas, drawn with one poly-polyline call and emptied when full.
// Used by the thread drawing on the canvas; the canvas is not owned.
class TListaWektorow : public TVectorList {
public:
  // The canvases pass (5120, 0, 0): a fixed buffer of 5120 points.
  TListaWektorow(platform::TCanvas* Canvas, std::int32_t InitialCapacity, std::int32_t Step,
                 std::int32_t MaxPoints);
  TListaWektorow(const TListaWektorow& Source) = default;

  // A copy on the same canvas.
  std::unique_ptr<TVectorList> Clone() const override;
  // Draws every part with one poly-polyline call under the canvas's lock;
  // keeps the contents. A failing call raises EDrawError "PolyPolyLine
  // error <code>". Nothing is drawn when the buffer is empty.
  void Flush();
  // Draws (when there is a part) and empties. When drawing fails the error
  // passes on and the buffer keeps its contents.
  void Overflow() override;

  platform::TCanvas* Canvas() const { return FCanvas; }
  // The contents stay and are drawn on C from now on.
  void SetCanvas(platform::TCanvas* C) { FCanvas = C; }

private:
  platform::TCanvas* FCanvas;
};
