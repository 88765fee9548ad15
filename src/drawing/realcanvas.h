// The real canvas: the drawing surface of graphic objects, layers, tools and
// printing. Figures are given in world coordinates, clipped to the window,
// converted to device pixels through the window dimensions, widened into
// parallel thin lines when the pen is thick, and collected in the polyline
// buffer, which goes to the platform canvas in one poly-polyline call when it
// is full, when the pen changes and when the owner calls FlushLines.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "drawing/drawparams.h"
#include "drawing/pen.h"
#include "drawing/strokefont.h"
#include "drawing/winfonts.h"
#include "foundation/containers/interfacedobject.h"
#include "foundation/geometry/intpoint.h"
#include "foundation/geometry/realgeom.h"
#include "foundation/text/numtext.h"
#include "platform/paint/gdi.h"

class TRealPointsList;
class TLine;  // a line style of the line-style library

// The two ends of an arc or a segment.
using TRealEnds = std::array<TRealPoint, 2>;

// Bits of TSimpleRealCanvas::State.
enum TCanvasStateBit : std::uint16_t {
  csClean = 0x0001,            // parameters and pen equal the last saved state
  csNoEndMarks = 0x0002,       // parts of texts, symbols, stepped arcs, styles
  csOcclusion = 0x0004,        // printing: occlusion active
  csThickEmulation = 0x0008,   // thick lines as parallel thin lines
  csOutputRestricted = 0x0010, // filled figures ask PointInOutputArea
  csOutputRestrictable = 0x0020,
  csDrawingSymbol = 0x0040,
  csDirectDrawing = 0x0080,    // the view's paint must not copy its back buffer
  csPrintOption = 0x0100,
};
// The platform's own arc and ellipse are used only while none of these is set.
inline constexpr std::uint16_t kPlatformArcBlockers =
    csOcclusion | csThickEmulation | csOutputRestricted | csPrintOption;

// Sets Bits of a canvas's State for a scope and gives them their earlier
// value back, also when drawing raises. The drawing thread's own object.
class TStateBits {
public:
  TStateBits(std::uint16_t& State, std::uint16_t Bits)
      : state_(State), bits_(Bits), before_(static_cast<std::uint16_t>(State & Bits)) {
    state_ |= bits_;
  }
  ~TStateBits() { state_ = static_cast<std::uint16_t>((state_ & ~bits_) | before_); }
  TStateBits(const TStateBits&) = delete;
  TStateBits& operator=(const TStateBits&) = delete;

private:
  std::uint16_t& state_;
  std::uint16_t bits_;
  std::uint16_t before_;
};

// Direction of (dX, dY) in [0, 2*pi): 0 along +X (up), pi/2 along +Y (right).
double Azimuth(double DX, double DY);

// The azimuths of the arc about Centre from Ends[0] to Ends[1],
// counter-clockwise on the device: Start, the azimuth of Ends[1], and Sweep
// in [0, 2*pi) towards Ends[0].
struct TArcAngles {
  double Start;
  double Sweep;
};
TArcAngles ArcAngles(const TRealEnds& Ends, const TRealPoint& Centre);

// Signalled while the canvas's abort flag is set; outside layer modules get it
// through the drawing interface and may poll it or wait on it. Any thread.
class TAbortEvent {
public:
  void Set();
  void Reset();
  bool IsSet() const;
  // True when signalled within Milliseconds.
  bool Wait(std::uint32_t Milliseconds) const;

private:
  mutable std::mutex lock_;
  mutable std::condition_variable signalled_;
  bool set_ = false;
};

// The simple real canvas: every primitive, marks and markers, the abort flag
// and (canvastext.cpp) the stroke and platform text output. It is also a set
// of drawing parameters: font number, size, flags, justification and options
// are set on the canvas before a text or symbol is drawn.
//
// One thread draws on a canvas at a time; every platform call that uses the
// device context runs under the platform canvas's lock. SetAbort may come from
// any thread. The canvas owns its buffer, pen, platform-font holder and abort
// event; the platform canvas, the dimensions and a TCanvasCfg are not owned.
// Lines and Pen point at the canvas's own buffer and pen, or at another
// canvas's after ShareBufferAndPen.
class TSimpleRealCanvas : public TDrawParamsImp {
public:
  // The drawing parameters with Cfg and Dims, a fixed buffer of 5120 points
  // on ACanvas and a pen made from the platform pen; the brush becomes hollow.
  // A descendant with a pen of its own replaces it with
  // ReplacePenState(CreatePenState()) in its constructor.
  TSimpleRealCanvas(platform::TCanvas* ACanvas, TWindowDim* Dims, TNullCanvasCfg* Cfg);
  // What is left in the buffer is not drawn.
  ~TSimpleRealCanvas() override;
  TSimpleRealCanvas(const TSimpleRealCanvas&) = delete;
  TSimpleRealCanvas& operator=(const TSimpleRealCanvas&) = delete;

  // Overridden drawing parameters: they also clear the clean bit when the
  // flag changes.
  void SetUnderline(bool B) override;
  void SetItalic(bool B) override;
  void SetOverline(bool B) override;

  // The operations below are the canvas's overridable drawing steps. Those
  // that only the styled canvases (objects/styledcanvas.h) can carry out,
  // because they need line styles, symbols or a layer's saved state, raise
  // ENotImplemented here: a plain canvas is instantiated on its own (texts,
  // tools, tests and the device canvas of fixed-size symbols), so they cannot
  // be pure virtual.

  // The arc of radius R around Centre from Ends[0] to Ends[1],
  // counter-clockwise on the device, with its end marks: the platform's own
  // arc when no state bit blocks it (kPlatformArcBlockers) and its box lies
  // in the window (below 3 pixels a segment or dot), else segments
  // (ArcSegments).
  virtual void Arc(const TRealEnds& Ends, const TRealPoint& Centre, double R);
  // The fixed-point matrix that takes the stroke-font units of Strokes to
  // device pixels for a text at Origin turned by Angle (canvastext.cpp).
  virtual TFixedMatrix GetTextDeviceTransform(const TVectorChar& Strokes, const TRealPoint& Origin,
                                              float Angle);
  // With Cfg.MarkTextOrigin, a small cross at P; otherwise nothing.
  virtual void DrawTextOriginMark(const TRealPoint& P);
  // With Cfg.MarkLineEnds, a small cross at the device point D; otherwise
  // nothing.
  virtual void DrawLineEndMark(const TPoint& D);
  // The platform ellipse in the device box of the world box Box.
  virtual void Circle(const TRealRect& Box);
  // The text-size factors of the map scales; raises ENotImplemented here.
  virtual void SetScaleAnchors(const TScaleAnchors& A);
  // Makes S the current line style; raises ENotImplemented here.
  virtual void SetStyleSource(const TLine* S);
  // A new pen state made from the platform pen, which asks ThickLinesAllowed
  // whether thick widths apply.
  virtual std::unique_ptr<TPenI> CreatePenState();
  // Sets or clears csThickEmulation and answers true: this canvas draws the
  // parallel thin lines of a thick pen itself.
  virtual bool SetThickEmulation(bool On);
  // Called before a text whose flags ask for the text pen (dfTextPen) is
  // drawn, to set that pen; nothing here.
  virtual void TextPenHook();
  // Whether filled figures may cover P while output is restricted
  // (csOutputRestricted); true here, printing narrows it.
  virtual bool PointInOutputArea(const TRealPoint& P);
  // Copies the pen state (colour, style, width, mode) to the platform pen.
  virtual void ApplyPen();
  // One world segment: tests the abort flag, clips to the window, buffers
  // it (a thick pen as parallel lines, a segment within one pixel as that
  // pixel) and, unless csNoEndMarks, marks its ends.
  virtual void Line(double X1, double Y1, double X2, double Y2);
  // Draws and empties the buffer; the owner calls it at the end of every
  // drawing job.
  virtual void FlushLines();
  // Empties the buffer without drawing.
  virtual void ClearLines();
  // A stroke text of the canvas's font and size at Origin turned by Angle,
  // justified and ruled by the text parameters, with the leader line to
  // ConnectTo that Mode asks for (canvastext.cpp). Texts are UTF-8.
  virtual void VectorTextOut(std::string_view Text, std::uint8_t Mode, const TRealPoint& Origin,
                             float Angle, const TRealPoint& ConnectTo);
  // The same for a fraction: Upper over Lower with a rule between.
  virtual void VectorFractionOut(const TRealPoint& Origin, std::string_view Upper,
                                 std::string_view Lower, float Angle, std::uint8_t Mode,
                                 const TRealPoint& ConnectTo);
  // A symbol of the symbol library at P turned by Angle; raises
  // ENotImplemented here.
  virtual void DrawSymbol(TObject* Symbol, const TRealPoint& P, double Angle);
  // A straight line decorated with Style; nothing here.
  virtual void StyledLine(double X1, double Y1, double X2, double Y2, const TLine* Style);
  // The same in the current line style, and circles and arcs decorated with
  // a given or the current style; each raises ENotImplemented here.
  virtual void StyledLineCurrent(double X1, double Y1, double X2, double Y2);
  virtual void StyledCircle(const TRealPoint& Centre, const TLine* Style, double R);
  virtual void StyledCircleCurrent(const TRealPoint& Centre, double R);
  virtual void StyledArc(const TRealEnds& Ends, const TRealPoint& Centre, const TLine* Style,
                         double R);
  virtual void StyledArcCurrent(const TRealEnds& Ends, const TRealPoint& Centre, double R);
  // Sets the pen style the current line style is drawn with plainly; raises
  // ENotImplemented here.
  virtual void ApplyCurrentStylePen();
  // Saves the text parameters, style and pen before a layer's objects and
  // puts them back after each; both raise ENotImplemented here.
  virtual void SaveCanvasState();
  virtual void RestoreCanvasState();
  // A TSkrDrawParams for a rotated view, else a TDrawParams, sharing the
  // canvas's settings and dimensions and copying its text parameters; the
  // caller owns it.
  virtual std::unique_ptr<TDrawParams> CreateDrawParams();
  // Printing: the three pen widths of the print settings, the choice among
  // them, and the occlusion of texts prepared over a layer tree (Root) and
  // brought up to date per sublayer. Root and Sublayer are layer nodes.
  // Nothing here.
  virtual void SetPrintPenWidths(const std::array<float, 3>& W);
  virtual void SelectPrintPen(int I);
  virtual void PrepareOcclusion(TObject* Root);
  virtual void UpdateOcclusion(TObject* Sublayer);

  // Life and pen.
  // C becomes the canvas of the canvas and of the buffer; null is ignored.
  void SetCanvas(platform::TCanvas* C);
  // Pen.SetColor(Cfg.GetHighlightColor(N)).
  void SetHighlightColor(int N);
  // Pen.SetColor of the special colour (the view's background).
  void SetSpecialColor();
  // Draws and empties the buffer, applies the pen, clears the clean bit.
  void FlushAndApplyPen();
  // True unless thick lines are dynamic and the view shows no more than
  // Cfg.ThickLineCondition pixels per world unit.
  bool ThickLinesAllowed() const;

  // Lines.
  void MoveTo(double X, double Y);
  void LineTo(double X, double Y);
  void FrameRect(double X1, double Y1, double X2, double Y2);
  // The closed outline of L's points.
  void PolygonOutline(const TRealPointsList& L);
  // No clipping, abort test or end marks.
  void LineDirect(double X1, double Y1, double X2, double Y2);
  // A segment, or one pixel when both ends fall on one; no clipping.
  void LineOrDot(const TRealEnds& Ends);
  // The device rectangle of the two corners as one closed part.
  void AddRectangle(double X1, double Y1, double X2, double Y2);
  void RectangleIfVisible(double X1, double Y1, double X2, double Y2);

  // Circles and arcs.
  // The arc from P1 to P2 with a signed radius (positive: at most half a
  // circle).
  void ArcByAngles(const TRealPoint& P1, const TRealPoint& P2, double R);
  void DrawCircle(const TRealPoint& Centre, double R);
  // Segments from the azimuth Start through Sweep radians.
  void ArcSegments(const TRealPoint& Centre, double R, double Start, double Sweep);
  // R given for 1:1000, scaled by GetCfgScale.
  void ScaledCircle(const TRealPoint& P, double R);
  // R in pixels.
  void CircleMark(std::int32_t R, const TRealPoint& P);

  // Marks and markers in device pixels around a world point.
  void DotMark(std::int32_t N, const TRealPoint& P);
  void SquareMark(const TRealPoint& P, std::int32_t N);
  void CrossMark(std::int32_t W, std::int32_t H, const TRealPoint& P);
  void RectMark(std::int32_t W, std::int32_t H, const TRealPoint& P);
  void CrossHair(const TRealPoint& P);
  void PointCross(const TRealPoint& P);

  // Text output (canvastext.cpp).
  // Draws prepared strokes and the leader line; Strokes is consumed.
  void DrawVectorString(std::unique_ptr<TVectorChar> Strokes, std::uint8_t Mode,
                        const TRealPoint& Origin, float Angle, const TRealPoint& ConnectTo);
  void VectorTextOutSimple(std::string_view Text, const TRealPoint& Origin, float Angle);
  // A label in the canvas's platform font, 10 high, in Color.
  void WinTextOut(std::string_view Text, std::uint32_t Color, const TRealPoint& P);
  // A text in a rotatable platform font of face FaceName.
  void WinTextOutRotated(const TRealPoint& Origin, std::string_view Text, float Angle,
                         const std::string& FaceName);

  // State.
  // Any thread. Setting it cancels pending platform output and signals
  // AbortEvent; the drawing thread leaves with EAbortDraw at its next test.
  void SetAbort(bool B);
  bool GetAbort() const { return Abort.load(std::memory_order_acquire); }
  // Raises EAbortDraw when the abort flag is set; the drawing thread's long
  // loops call it.
  void TestAbort() const;
  void SetStateBit7(bool B);
  bool GetStateBit7() const { return (State & csDirectDrawing) != 0; }
  // True clears bit 4; false sets it again when bit 5 is set.
  void SetOutputHold(bool B);
  // Stores S unless it equals Size or the size is locked; clears the clean bit.
  void SetSize(double S);

  std::uint16_t State = 0;
  platform::TCanvas* Canvas = nullptr;
  // The buffer and the pen drawn with; never null.
  TListaWektorow* Lines = nullptr;
  TPenI* Pen = nullptr;
  double CurrentX = 0.0;
  double CurrentY = 0.0;
  std::unique_ptr<TWindowsFont> WinFont;
  std::atomic<bool> Abort{false};
  std::unique_ptr<TAbortEvent> AbortEvent;
  double LineStyleFactor = 1.0;
  const TLine* CurrentLineStyle = nullptr;

protected:
  void ReplacePenState(std::unique_ptr<TPenI> NewPen);
  // From here on this canvas draws into Source's buffer with Source's pen
  // (whose change handler flushes that buffer), and frees its own. Source
  // must outlive this canvas.
  void ShareBufferAndPen(TSimpleRealCanvas& Source);
  TPoint Device(const TRealPoint& P) const;
  // The one-pixel step along P2 - P1: +1 when positive, else -1, with the
  // smaller step dropped when one direction dominates twice over.
  static TPoint PixelStep(const TRealPoint& P1, const TRealPoint& P2);
  // False when the circle's box is not visible or the window lies inside it.
  bool CircleShows(const TRealPoint& Centre, double R) const;
  // The parallel thin lines of a thick pen and the segment itself.
  void ThickSegment(TPoint D1, TPoint D2);
  // Canvas's own ThickSegment: its emulation bit, pen and buffer apply.
  static void ThickSegmentOn(TSimpleRealCanvas& Canvas, TPoint D1, TPoint D2) {
    Canvas.ThickSegment(D1, D2);
  }
  // The segment from D one pixel towards the direction of P2 - P1.
  void OnePixel(TPoint D, const TRealPoint& P1, const TRealPoint& P2);
  void AddCross(TPoint D);
  // The outline of the device rectangle with corners A and B.
  void AddFrame(TPoint A, TPoint B);
  // The hollow platform ellipse in the device box (D1, D2), under the lock.
  void PlatformEllipse(TPoint D1, TPoint D2);

private:
  void SetFlag(std::uint8_t Bit, bool B);

  std::unique_ptr<TListaWektorow> ownLines_;
  std::unique_ptr<TPenI> ownPen_;
};

// The ten canvas operations outside layer modules call, by position, on the
// view's canvas, after the three basic interface operations.
class IRealCanvas : public IInterface {
public:
  virtual void SetPenColor(std::uint32_t C) = 0;
  virtual void SetPenStyle(std::uint8_t S) = 0;
  virtual void SetPenWidth(std::int32_t W) = 0;
  virtual TAbortEvent* GetAbortEventHandle() = 0;
  virtual void SetSize(double S) = 0;
  virtual void Line(double X1, double Y1, double X2, double Y2) = 0;
  virtual void DrawCircle(const TRealPoint& Centre, double R) = 0;
  virtual void ArcByAngles(const TRealPoint& P1, const TRealPoint& P2, double R) = 0;
  virtual void DotMark(std::int32_t N, const TRealPoint& P) = 0;
  // Text is zero-terminated UTF-8.
  virtual void TextOut(const TRealPoint& Origin, const char* Text, float Angle, std::uint8_t Mode,
                       const TRealPoint& ConnectTo) = 0;

protected:
  ~IRealCanvas() = default;
};

// The real canvas: the simple canvas with the interface for layer modules.
// The interface lives as long as the canvas and forwards every call to it.
class TRealCanvas : public TSimpleRealCanvas {
public:
  TRealCanvas(platform::TCanvas* ACanvas, TWindowDim* Dims, TNullCanvasCfg* Cfg);

  IRealCanvas& Interface() { return interface_; }

  // The canvas a symbol of fixed device size is drawn through, anchored at
  // the device point of the world point P (one unit one millimetre on the
  // device); it draws into this canvas's buffer and lives for one symbol.
  // Each canvas answers for itself, so drawing threads share no hook. Here
  // it raises ENotImplemented: only the styled canvases draw symbols.
  virtual std::unique_ptr<TRealCanvas> CreateDeviceCanvas(const TRealPoint& P);

private:
  class TModuleInterface final : public IRealCanvas {
  public:
    explicit TModuleInterface(TRealCanvas& Owner) : owner_(Owner) {}
    std::int32_t QueryInterface(const TGUID& iid, void** obj) override;
    std::int32_t AddRef() override { return 0; }
    std::int32_t Release() override { return 0; }
    void SetPenColor(std::uint32_t C) override;
    void SetPenStyle(std::uint8_t S) override;
    void SetPenWidth(std::int32_t W) override;
    TAbortEvent* GetAbortEventHandle() override;
    void SetSize(double S) override;
    void Line(double X1, double Y1, double X2, double Y2) override;
    void DrawCircle(const TRealPoint& Centre, double R) override;
    void ArcByAngles(const TRealPoint& P1, const TRealPoint& P2, double R) override;
    void DotMark(std::int32_t N, const TRealPoint& P) override;
    void TextOut(const TRealPoint& Origin, const char* Text, float Angle, std::uint8_t Mode,
                 const TRealPoint& ConnectTo) override;

  private:
    TRealCanvas& owner_;
  };

  TModuleInterface interface_{*this};
};
