// Drawing parameters: what a text or a symbol needs besides its own geometry
// (display settings, window dimensions, stroke font number, size, text
// flags, justification and the options a layer can lock). They size texts
// and symbols for the configured map scale, build and measure stroke texts
// through the font manager and place stroke texts in world coordinates.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "drawing/canvascfg.h"
#include "drawing/strokefont.h"
#include "drawing/windowdim.h"
#include "foundation/containers/interfacedobject.h"
#include "foundation/geometry/realgeom.h"
#include "foundation/text/numtext.h"

// Steps of a justification in the keypad layout (7 8 9 top, 4 5 6 middle,
// 1 2 3 bottom): H half text widths from the left edge, V half text heights
// from the top edge. A value outside 1..9 counts as 7 (top left).
struct TJustificationSteps {
  int H = 0;
  int V = 0;
  friend bool operator==(const TJustificationSteps&, const TJustificationSteps&) = default;
};
TJustificationSteps JustificationSteps(int J);

// A symbol whose size depends on the map scale; the symbol library
// implements it.
class ISymbolScaleSize {
public:
  // The size for the scale 1:Denominator.
  virtual double SizeForScale(double Denominator) const = 0;

protected:
  ~ISymbolScaleSize() = default;
};

// Text flags (Flags).
enum TDrawFlag : std::uint8_t {
  dfUnderline = 0x01,  // rule line
  dfOverline = 0x02,   // the rule line at the top; also the leader anchor
  dfItalic = 0x04,
  dfTextPen = 0x08,    // the canvas calls its text-pen hook
};
// tan 15 degrees: the slant of italic stroke text.
inline constexpr double kItalicSlant = 0.2679491924311;

// Options a layer can lock (Options), by bit number for SetDrawOption.
enum TDrawOption : int {
  doSizeLocked = 0,
  doUpright = 1,
  doJustificationLocked = 2,
  doClearAll = 3,  // not a flag: clearing it clears every option
};

// The root of the drawing parameters; every canvas derives from it too.
// Cfg is owned exactly when its class is TNullCanvasCfg itself; a TCanvasCfg
// belongs to its configuration and Dims to its view. One thread at a time
// (the one drawing with them); the creator frees them.
class TDrawParamsImp : public TSimpleInterfacedObject {
public:
  // Justification 7, Size 1. Cfg null or a plain TNullCanvasCfg gives the
  // parameters a TNullCanvasCfg of their own (a copy of the given one), any
  // other group is shared. Dims may be null for parameters that only
  // measure.
  explicit TDrawParamsImp(TNullCanvasCfg* Cfg = nullptr, TWindowDim* Dims = nullptr);
  // Shares Source's group unless it is a TNullCanvasCfg (then a copy of its
  // own) and its dimensions; copies font number, size, flags, justification
  // and options.
  TDrawParamsImp(const TDrawParamsImp& Source);
  TDrawParamsImp& operator=(const TDrawParamsImp&) = delete;
  ~TDrawParamsImp() override;

  // Copies like the copying constructor, dropping an own group first.
  void Assign(const TDrawParamsImp& Source);

  // Cfg.Kroj.
  virtual std::uint8_t GetKroj() const;
  // Size.
  virtual double GetSize() const;
  virtual void SetUnderline(bool B);
  virtual void SetItalic(bool B);
  // The global font manager with the font of these parameters: FontNumber,
  // and the second font when GetKroj is 2. The manager itself is not changed.
  virtual TStrokeFontUse GetStrokeFont() const;
  // 1.0.
  virtual double GetScaleFactor() const;
  virtual void SetOverline(bool B);
  // Cfg.GetScale (Skala * 0.001).
  virtual double GetCfgScale() const;
  // (Cfg.DpmX, Cfg.DpmY).
  virtual std::array<double, 2> GetDPM() const;
  // Nothing here.
  virtual void SaveState();
  virtual void RestoreState();
  // True when dynamic display is off, T is 0 or there is no view; otherwise
  // when the view shows more than T pixels per world unit.
  virtual bool PassesThreshold(float T) const;
  // False here; the print canvas answers true.
  virtual bool IsPrinting() const;

  // Size := S unless the size is locked.
  void SetSize(double S);
  // Stores J unless the justification is locked.
  void SetJustification(std::uint8_t J);
  // Sets or clears bit N of Options; N = doClearAll cleared clears them all,
  // set does nothing; N above 7 does nothing.
  void SetDrawOption(int N, bool On);
  // Bit N of Options; false for N outside 0..7.
  bool GetDrawOption(int N) const;
  void SetTextPen(bool B);
  // Dims.Angle when the view is rotated, else 0.
  double GetViewAngle() const;
  bool GetMarkTextOrigin() const;
  // The symbol's size for Cfg.Skala when symbols follow the scale, else Size.
  double GetSymbolSize(const ISymbolScaleSize& Symbol) const;

  // Stroke texts (the caller owns every result); font loading errors pass on.
  std::unique_ptr<TVectorChar> BuildText(std::string_view Text) const;
  std::unique_ptr<TVectorChar> BuildFraction(std::string_view Upper, std::string_view Lower) const;
  // The same with the rule line when the underline flag is set.
  std::unique_ptr<TVectorChar> BuildTextRuled(std::string_view Text) const;
  std::unique_ptr<TVectorChar> BuildFractionRuled(std::string_view Upper,
                                                  std::string_view Lower) const;
  std::unique_ptr<TVectorChar> MeasureText(std::string_view Text) const;
  std::unique_ptr<TVectorChar> MeasureFraction(std::string_view Upper,
                                               std::string_view Lower) const;
  // World extent of a text: X its height (vertical), Y its length.
  TRealPoint TextSize(std::string_view Text) const;
  // The font-unit point a leader line starts from: [0] the width when Mode
  // is 3, or when Mode is not 2 and the text is right-justified, else 0;
  // [1] TopOffset with the overline flag, else BaseOffset.
  std::array<std::int32_t, 2> GetTextAnchorOffsets(const TVectorChar& Strokes,
                                                   std::uint8_t Mode) const;

  TNullCanvasCfg* Cfg() const { return FCfg; }
  TWindowDim* Dims() const { return FDims; }
  void SetDims(TWindowDim* Dims) { FDims = Dims; }

  // The stroke font number handed to the font manager.
  std::uint16_t FontNumber = 0;
  // Requested text height or symbol size in world units.
  double Size = 1.0;
  // TDrawFlag bits.
  std::uint8_t Flags = 0;
  // 1..9, keypad layout.
  std::uint8_t Justification = 7;
  // Bits by TDrawOption.
  std::uint8_t Options = 0;

protected:
  // The world length of 8 pixels along X: the height of raster text.
  double RasterTextSize() const;
  // The size of texts that follow the scale anchors: raster text
  // RasterTextSize, else Size times GetScaleFactor.
  double AnchoredSize() const;
  // Anchors interpolated at Cfg.Skala when texts follow the scale, else 1.
  double AnchoredScaleFactor(const TScaleAnchors& Anchors) const;

private:
  void TakeCfg(TNullCanvasCfg* Cfg);

  TNullCanvasCfg* FCfg = nullptr;
  std::unique_ptr<TNullCanvasCfg> FOwnCfg;
  TWindowDim* FDims = nullptr;
};

// Adds the text size anchors of the map scales and a saved state.
class TSimpleDrawParams : public TDrawParamsImp {
public:
  explicit TSimpleDrawParams(TNullCanvasCfg* Cfg = nullptr, TWindowDim* Dims = nullptr);
  // As TDrawParamsImp's; the anchors and saved state too when Source is a
  // TSimpleDrawParams.
  explicit TSimpleDrawParams(const TDrawParamsImp& Source);
  TSimpleDrawParams(const TSimpleDrawParams& Source);

  // Raster text: the world length of 8 pixels along X; else Size times the
  // scale factor.
  double GetSize() const override;
  // The anchors interpolated at Cfg.Skala when texts follow the scale, else 1.
  double GetScaleFactor() const override;
  void SaveState() override;
  void RestoreState() override;
  // The matrix that places the font points (U, V) = (-y, x) of Strokes with
  // the justification's anchor on Origin, along the azimuth Angle.
  virtual TAffineMatrix GetTextTransform(const TVectorChar& Strokes, const TRealPoint& Origin,
                                         float Angle) const;

  struct TSavedParams {
    std::uint16_t FontNumber = 0;
    double Size = 1.0;
    std::uint8_t Flags = 0;
    std::uint8_t Justification = 7;
    std::uint8_t Options = 0;
  };

  // Size factors for the scales 1:500, 1:1000, 1:2000 and 1:5000.
  TScaleAnchors ScaleAnchors{};
  TSavedParams SavedParams;
  TScaleAnchors SavedAnchors{};

protected:
  // The transform with the upright angle taken as UprightAngle.
  TAffineMatrix TextTransform(const TVectorChar& Strokes, const TRealPoint& Origin, float Angle,
                              double UprightAngle) const;
};

// The parameters canvases hand out and graphic objects measure texts with.
class TDrawParams : public TSimpleDrawParams {
public:
  using TSimpleDrawParams::TSimpleDrawParams;
};

// Parameters of a rotated view: upright texts stay upright on the device.
class TSkrDrawParams : public TDrawParams {
public:
  using TDrawParams::TDrawParams;
  TAffineMatrix GetTextTransform(const TVectorChar& Strokes, const TRealPoint& Origin,
                                 float Angle) const override;
};

// Parameters of a DXF export at a scale of its own.
class TDXFDrawParams : public TDrawParams {
public:
  using TDrawParams::TDrawParams;
  // The anchors interpolated at ScaleCode.
  double GetScaleFactor() const override;
  // ScaleCode * 0.001.
  double GetCfgScale() const override;

  // Scale denominator of the export; the text sublayer sets it.
  std::int32_t ScaleCode = 0;
};
