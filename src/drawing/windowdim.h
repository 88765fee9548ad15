// Window dimensions: the mapping between world coordinates (geodetic: X up,
// Y to the right) and device pixels (x to the right, y downwards) of one
// drawing surface. Pixel results round to the nearest integer, halves to the
// even neighbour, and saturate at the 32-bit range.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

#include "foundation/containers/object.h"
#include "foundation/geometry/intpoint.h"
#include "foundation/geometry/realgeom.h"

// V clamped to the 32-bit range, as pixel coordinates saturate.
inline std::int32_t SaturateInt32(std::int64_t V) {
  constexpr std::int64_t kLo = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kHi = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::clamp(V, kLo, kHi));
}

// The window control whose client area TWindowDim::FitWindow fills. The view
// and the preview controls implement it over their platform control; tests
// use a fake. Read on the GUI thread only.
class TClientAreaControl {
public:
  virtual ~TClientAreaControl() = default;
  virtual int ClientWidth() const = 0;
  virtual int ClientHeight() const = 0;
};

// The visible world rectangle of one output, its two scales, the device size
// and an optional rotation of the map image; converts points, vectors,
// lengths and rectangles both ways.
//
// ScaleX (pixels per world unit along world X) is the vertical scale, ScaleY
// the horizontal one. A positive angle turns the image clockwise on the
// device; when rotated, the window is enlarged so that it covers the whole
// turned device, and conversions turn about the window's centre.
//
// The owner (a view, a preview control, a print job) changes it on the GUI
// thread only; while a redraw runs, the canvases only read it, and every
// const operation is safe from several threads at once. The control is not
// owned.
class TWindowDim : public TObject {
public:
  explicit TWindowDim(TClientAreaControl* Control = nullptr);

  // The visible world rectangle: (X1, Y1) the lower left corner, (X2, Y2)
  // the upper right one.
  double X1 = 0.0;
  double Y1 = 0.0;
  double X2 = 100.0;
  double Y2 = 100.0;
  // Device pixels per world unit along world X (vertical) and Y (horizontal);
  // 0 until the first sizing.
  double ScaleX = 0.0;
  double ScaleY = 0.0;
  // Device size in pixels.
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  TClientAreaControl* Control = nullptr;
  // The smallest world extent the window may take (UpdateMinExtent).
  double MinExtent = 0.0;

  double Angle() const { return FAngle; }
  bool Rotated() const { return FRotated; }

  // The device object the dimensions belong to; none here.
  virtual TObject* GetDevice() const;
  // Shows R as large as possible in the control's client area, two pixels
  // inside its border. False and the window unchanged when R is empty, below
  // MinExtent, not finite, when there is no usable client area, or when the
  // result is the current window (the scales are then already stored).
  virtual bool FitWindow(const TRealRect& R);
  virtual TRealPoint DeviceToWorldPt(const TPoint& D) const;
  virtual TPoint WorldToDevicePt(const TRealPoint& P) const;
  // Stores both scales and moves the upper right corner so that the window
  // fills the device.
  virtual void SetScales(double NewScaleX, double NewScaleY);

  // Takes R as the window without fitting it to the device's proportions
  // (the two scales may differ). False and no change when R is empty, not
  // finite, below MinExtent, above 1e12 or the current window.
  bool SetWorldRect(const TRealRect& R);
  // Enlarges (Factor above 1) or reduces (below 1) the window about its
  // centre; a factor that would leave the allowed extents is ignored.
  void Zoom(double Factor);
  void Offset(double DX, double DY);
  // Radians. When a rotation starts, the window is enlarged by its diagonal
  // ratio so that it covers the turned device; ending it does not shrink it.
  void SetAngle(double A);
  // The device was resized: keeps the lower left corner and the scales. The
  // first sizing fits the current window into the control.
  void SetClientSize(std::int32_t W, std::int32_t H);
  // Stores the size and derives both scales from the current window.
  void SetDeviceSize(std::int32_t W, std::int32_t H);
  void UpdateMinExtent();

  // Positions, rotation honoured. Real device points hold device x in X and
  // device y in Y.
  TRealPoint WorldToDeviceReal(const TRealPoint& P) const;
  TRealPoint DeviceToWorldReal(const TRealPoint& D) const;

  // Per-axis sizes in pixels of a world vector turned by the angle:
  // (Round(V'.Y * ScaleY), Round(V'.X * ScaleX)), no sign change, so a world
  // vector pointing up gives a positive device y.
  TPoint WorldVectorToDevice(const TRealPoint& V) const;
  // The same without rotation.
  TPoint WorldDeltaToDevice(const TRealPoint& V) const;
  TRealPoint WorldDeltaToDeviceReal(const TRealPoint& V) const;
  // (D.y / ScaleX, D.x / ScaleY), turned back by the angle when rotated.
  TRealPoint DeviceVectorToWorld(const TPoint& D) const;
  // (D.y / ScaleX, D.x / ScaleY), never rotated.
  TRealPoint DeviceToWorldSize(const TPoint& D) const;
  std::int32_t WorldLengthToPixels(double L) const;
  // The mean number of pixels per world unit.
  double GetScale() const;
  // Out := In turned by Dir * angle, Dir being +1 (world to device) or -1.
  void Rotate(const TExtPoint& In, int Dir, TExtPoint& Out) const;
  // sqrt(A^2 + B^2) divided by the smaller of A and B (by A when equal): the
  // factor by which a window of sides A and B must grow to cover itself turned.
  static double DiagonalRatio(double A, double B);

  // Borders count as inside.
  bool PointInWindow(const TRealPoint& P) const;
  // The overlap is strictly positive both ways: touching is not visible.
  bool RectVisible(const TRealRect& R) const;
  bool RectInWindow(const TRealRect& R) const;
  // The window lies strictly inside R.
  bool RectCoversWindow(const TRealRect& R) const;

  // R given by its lower left and upper right corners as seen on the device:
  // the rectangle whose corners are those corners of R as the (possibly
  // rotated) device shows it, in world coordinates.
  TRealRect ViewAlignedRect(const TRealRect& R) const;
  // The upper left corner of R as the (possibly rotated) device shows it.
  TRealPoint GetTopLeft(const TRealRect& R) const;

  // B * C > A * D (strict).
  static bool ProductGreater(double A, double B, double C, double D);
  // True when P1-P2 and Q1-Q2 cross; a point exactly on the other segment's
  // line counts as lying on its non-positive side.
  static bool SegmentsCross(const TRealPoint& P1, const TRealPoint& P2, const TRealPoint& Q1,
                            const TRealPoint& Q2);

protected:
  // Derived dimensions change the angle through SetAngle, which keeps the
  // flag and the cached sine and cosine in step.
  double FAngle = 0.0;
  bool FRotated = false;
  long double FSinA = 0.0L;
  long double FCosA = 1.0L;

private:
  TRealPoint WindowCentre() const;
  // The world extent the device covers at the scales (X by Height, Y by
  // Width), grown to cover the turned device when rotated.
  TRealPoint DeviceExtent() const;
};

// A fixed mapping without a window, used to draw elements of a fixed physical
// size at a given device point: world (0, 0) falls onto Origin, world X up.
// Never rotated; every finite point lies in its window. Created and freed by
// the canvas of one drawing operation, on the thread that draws.
class TDPIWindowDim : public TWindowDim {
public:
  TDPIWindowDim(const TWindowDim& Source, double NewScaleX, double NewScaleY, const TPoint& Origin);

  std::int32_t OriginX = 0;
  std::int32_t OriginY = 0;

  // Does nothing: false.
  bool FitWindow(const TRealRect& R) override;
  TRealPoint DeviceToWorldPt(const TPoint& D) const override;
  TPoint WorldToDevicePt(const TRealPoint& P) const override;
  // Stores both scales and nothing else.
  void SetScales(double NewScaleX, double NewScaleY) override;
};
