// The holder of the outline font a canvas draws Windows-font texts with.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "foundation/containers/object.h"
#include "platform/paint/gdi.h"

// One font per canvas: a face name, a height in device units, a rotation and
// the italic and underline styles; the font is built when first selected and
// kept until one of them changes. The requested height is the height of the
// letters above the base line: the face is measured once to find the cell
// height that gives it. The setters change nothing while the font is
// selected. Used by the thread drawing on the canvas; owned by the canvas.
class TWindowsFont : public TObject {
public:
  enum TStyleBit : std::uint8_t { wfUnderline = 0x01, wfItalic = 0x02 };

  TWindowsFont() = default;
  ~TWindowsFont() override;

  void SetUnderline(bool Value);
  void SetItalic(bool Value);
  void SetHeight(std::int32_t Value);
  // Tenths of a degree, counter-clockwise.
  void SetAngle(std::int32_t Value);
  void SetFaceName(const std::string& Value);

  // The first Select locks the canvas, builds the font when needed and puts
  // it into the canvas, keeping the canvas's font for Deselect; the canvas
  // is unlocked again when that fails. Every Select counts.
  void Select(platform::TCanvas& Canvas);
  // The last Deselect of a nesting puts the kept font back and unlocks the
  // canvas; without a Select it does nothing.
  void Deselect(platform::TCanvas& Canvas);
  // Drops the built font.
  void ReleaseHandle();

  // The cell height giving letters of Height above the base line, from the
  // face's metrics measured at any size (MulDiv rounding). A face with no
  // letter height gives Height itself.
  static std::int32_t CellHeightFor(std::int32_t Height, const platform::TTextMetric& Metric);

  bool HasHandle() const { return FHandle.has_value(); }
  // The built font; valid while HasHandle.
  const platform::TFont& Handle() const { return *FHandle; }
  std::int32_t SelectCount() const { return FSelectCount; }
  std::uint8_t Style() const { return FStyle; }
  std::int32_t Height() const { return FHeight; }
  std::int32_t CellHeight() const { return FCellHeight; }
  std::int32_t Angle() const { return FAngle; }
  const std::string& FaceName() const { return FFaceName; }

private:
  void Realize(platform::TCanvas& Canvas);
  void SetStyleBit(std::uint8_t Bit, bool Value);

  platform::TFont FOldFont;
  std::optional<platform::TFont> FHandle;
  std::int32_t FSelectCount = 0;
  std::uint8_t FStyle = 0;
  std::int32_t FHeight = 0;
  std::int32_t FCellHeight = 0;
  std::int32_t FAngle = 0;
  std::string FFaceName;
};
