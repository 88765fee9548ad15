// The values an activity-menu item sets for the new objects of a view's
// active line or text sublayer. Flags is the item's word of given
// parameters (bit = TActivityParam); a sublayer that becomes active or stops
// being active gets Flags 0, so no preset carries over to another sublayer.
//
// Plain data of one view (GUI thread). The style, symbol and generator are
// not owned: they belong to their libraries.
#pragma once

#include <cstdint>
#include <string>

class TGeneratorImp;
class TLine;
class TSymbol;

struct TLinePresets {
  std::uint32_t Flags = 0;
  float Scale = 0;
  const TLine* LineStyle = nullptr;
  std::uint16_t LineNumber = 0;
  std::uint8_t Width = 0;
  TGeneratorImp* Generator = nullptr;
};

struct TTextPresets {
  std::uint32_t Flags = 0;
  float Height = 0;
  float Angle = 0;  // degrees
  std::uint8_t Underline = 0;
  std::uint8_t Leader = 0;
  std::uint8_t Justification = 0;
  std::string Text;  // the text of new texts, or the symbol's name
  const TSymbol* Symbol = nullptr;
};
