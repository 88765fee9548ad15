// The canvases that are drawn on: the styled canvas of the layers (line
// styles and symbols), the default canvas of map views and previews (display
// settings from a configuration, the layer's drawing state saved and restored
// around each object), the XOR canvas of the cursor tools and the device
// canvas of symbols of fixed physical size.
#pragma once

#include <cstdint>
#include <memory>

#include "drawing/drawparams.h"
#include "drawing/realcanvas.h"
#include "drawing/windowdim.h"
#include "foundation/geometry/intpoint.h"
#include "foundation/geometry/realgeom.h"
#include "foundation/settings/settings.h"
#include "foundation/text/numtext.h"

class TLine;
class TLineImp;

// The real canvas with what the layers need: text size anchors of the map
// scales, the layer's current line style, straight lines, circles and arcs
// decorated with line styles, and symbols.
//
// One thread draws at a time (as the real canvas). The line styles and
// symbols belong to their libraries; the canvas only points at them and only
// reads them: the style variant of its scale and the device canvas of a
// fixed-size symbol are chosen and made per call, so canvases on different
// threads may draw with the same library at once.
class TNoDefRealCanvas : public TRealCanvas {
public:
  // LineStyleFactor 1, no current style, anchors (0.5, 1, 2, 5).
  TNoDefRealCanvas(platform::TCanvas* ACanvas, TWindowDim* Dims, TNullCanvasCfg* Cfg);

  // Raster text: the world length of 8 pixels; else Size times the scale
  // factor.
  double GetSize() const override;
  // The anchors interpolated at Cfg.Skala when texts follow the scale, else 1.
  double GetScaleFactor() const override;
  void SetScaleAnchors(const TScaleAnchors& A) override;
  // S becomes the current style; none is ignored.
  void SetStyleSource(const TLine* S) override;
  // A device canvas over this canvas (MakeDeviceCanvas).
  std::unique_ptr<TRealCanvas> CreateDeviceCanvas(const TRealPoint& P) override;
  // Symbol must be a TSymbol of the symbol library (else EInternalError).
  void DrawSymbol(TObject* Symbol, const TRealPoint& P, double Angle) override;
  // Without a style: dotted pen and a plain line.
  void StyledLine(double X1, double Y1, double X2, double Y2, const TLine* Style) override;
  // Without a current style: a plain line with the pen unchanged.
  void StyledLineCurrent(double X1, double Y1, double X2, double Y2) override;
  void StyledCircle(const TRealPoint& Centre, const TLine* Style, double R) override;
  void StyledCircleCurrent(const TRealPoint& Centre, double R) override;
  // R is signed; the arc is drawn with |R|.
  void StyledArc(const TRealEnds& Ends, const TRealPoint& Centre, const TLine* Style,
                 double R) override;
  void StyledArcCurrent(const TRealEnds& Ends, const TRealPoint& Centre, double R) override;
  // No current style: dotted; a style drawn plainly: its pen style; any
  // other style leaves the pen.
  void ApplyCurrentStylePen() override;
  // Whether styles with a pen style are drawn as plain lines in that pen
  // style: true unless GetKroj is 2 (precise display), which decorates them.
  virtual bool UsesSimpleLineStyles() const;

  // Text size factors for the scales 1:500, 1:1000, 1:2000 and 1:5000.
  TScaleAnchors ScaleAnchors{0.5f, 1.0f, 2.0f, 5.0f};

protected:
  // True when Style is drawn as a plain line in its own pen style.
  bool DrawnPlainly(const TLine& Style) const;
  // The style scale: LineStyleFactor, times GetCfgScale when lines follow
  // the scale.
  double StyleScale() const;
  // The definition of Style drawn at the configured scale (Cfg.Skala); the
  // style itself is only read.
  const TLineImp& StyleDefinition(const TLine& Style) const;
  // True when the definition's pattern at style scale S is shorter than two
  // pixels.
  bool PatternTooShort(const TLineImp& Definition, double S) const;
  // Dotted for a style without a pen style, else its pen style.
  void SetFallbackPen(const TLine& Style);

private:
  void StyledSegment(const TRealPoint& P1, const TRealPoint& P2, const TLine& Style);
  void StyledCircleWith(const TRealPoint& Centre, const TLine& Style, double R);
  void StyledArcWith(const TRealEnds& Ends, const TRealPoint& Centre, const TLine& Style, double R);
};

// The canvas of a map view and of every preview: display settings from a
// configuration and the layer's drawing state saved after preparing a
// sublayer and restored after each of its objects. The settings group belongs
// to the configuration, which must outlive the canvas.
class TDefRealCanvas : public TNoDefRealCanvas {
public:
  // The display settings are Konfiguracja's group of class TCanvasCfg (made
  // there when missing).
  TDefRealCanvas(platform::TCanvas* ACanvas, TKonfiguracja& Konfiguracja, TWindowDim* Dims);

  // The text parameters, the style factor, the current style and the pen's
  // mode, style and width; sets the clean bit. Options are not saved.
  void SaveCanvasState() override;
  // Brings the saved state back. With the clean bit set only parameters
  // changed behind it (justification, font number) are put back, with no
  // platform call.
  void RestoreCanvasState() override;
  // None brings back the saved style; another style is stored (clearing the
  // clean bit) when it differs from the current one.
  void SetStyleSource(const TLine* S) override;
  // The real canvas's parameters with the canvas's anchors.
  std::unique_ptr<TDrawParams> CreateDrawParams() override;

  // Subscribes to and unsubscribes from the change notification of the
  // canvas's display settings.
  void AddCfgHandler(const TConfNotify& Changed, const TConfNotify& Changing = {});
  void RemoveCfgHandler(const TConfNotify& Changed);

  struct TSavedCanvasParams {
    std::uint16_t FontNumber = 0;
    double Size = 1.0;
    std::uint8_t Flags = 0;
    std::uint8_t Justification = 7;
  };
  TSavedCanvasParams SavedCanvasParams;
  double SavedLineStyleFactor = 1.0;
  const TLine* SavedLineStyle = nullptr;

private:
  bool ParamsAsSaved() const;
  void PutSavedParamsBack();
};

// The canvas of the cursor tools: every figure inverts the pixels under it,
// so drawing it a second time removes it.
class TXORCanvas : public TDefRealCanvas {
public:
  // The platform pen inverts from the first figure on.
  TXORCanvas(platform::TCanvas* ACanvas, TKonfiguracja& Konfiguracja, TWindowDim* Dims);

  // The real canvas's pen, then the platform pen mode := invert.
  void ApplyPen() override;
};

// A temporary canvas that draws elements of a fixed physical size into
// another canvas's buffer: one unit is one millimetre on the device, world X
// up and Y to the right from a device point. It lives for one drawing of a
// fixed-size symbol, on the source's thread. It owns its dimensions; the
// platform canvas, settings, buffer and pen are the source's own (the source
// must outlive it and is not drawn on meanwhile).
class TDPIRealCanvas : public TRealCanvas {
public:
  TDPIRealCanvas(TRealCanvas& Source, const TPoint& Origin, double ScaleX, double ScaleY);

  // Both ends to device pixels, clipped only to the window widened by a
  // margin far beyond any pen (so that far-away elements cannot overflow
  // device coordinates); one pixel when they fall on one, else the source's
  // thick-segment step, which tests the source's abort flag. No end marks;
  // a segment with an end that is not finite draws nothing.
  void Line(double X1, double Y1, double X2, double Y2) override;

  TRealCanvas& SourceCanvas;

private:
  std::unique_ptr<TDPIWindowDim> ownDims_;
};

// The device canvas of Canvas at the world point P: its origin is P's device
// point, its scales Canvas's dots per millimetre.
std::unique_ptr<TDPIRealCanvas> MakeDeviceCanvas(TRealCanvas& Canvas, const TRealPoint& P);
