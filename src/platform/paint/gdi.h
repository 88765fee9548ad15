// Painting: a device context with the framework canvas's pen, brush and font,
// its lock, and the Windows drawing calls the drawing engine makes (lines and
// poly-polylines, arcs, ellipses, rectangles, polygons, text, regions and
// clipping, raster operations, blits of bitmaps).
//
// Coordinates are device units (pixels or printer dots), y downwards. As on
// Windows, a line leaves out its last pixel, and rectangles and ellipses leave
// out the right and bottom edge of their box. Colours are 0x00BBGGRR. Texts
// are UTF-8.
//
// The drawing calls return false on failure and set the calling thread's
// last-error code (platform::LastError, files.h) to kErrorInvalidParameter,
// kErrorInvalidHandle (a finished target) or kErrorGeneralFailure.
//
// A canvas is created for one target (gdiimage.h: a bitmap or a window
// surface; gdiprint.h: a printer or a metafile) and must not outlive it. One
// thread draws on a canvas at a time: a thread that shares a canvas with
// another holds its lock (Lock/Unlock or TCanvasLock) around each call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

using TColor = std::uint32_t;  // 0x00BBGGRR

inline constexpr TColor RGB(unsigned r, unsigned g, unsigned b) {
  return (r & 0xFFu) | ((g & 0xFFu) << 8) | ((b & 0xFFu) << 16);
}
inline constexpr unsigned GetRValue(TColor c) { return c & 0xFFu; }
inline constexpr unsigned GetGValue(TColor c) { return (c >> 8) & 0xFFu; }
inline constexpr unsigned GetBValue(TColor c) { return (c >> 16) & 0xFFu; }

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clBlue = 0xFF0000;

struct TGdiPoint {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  friend bool operator==(const TGdiPoint&, const TGdiPoint&) = default;
};

// Left and top inside, right and bottom outside.
struct TGdiRect {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = 0;
  std::int32_t Bottom = 0;
  std::int32_t Width() const { return Right - Left; }
  std::int32_t Height() const { return Bottom - Top; }
  friend bool operator==(const TGdiRect&, const TGdiRect&) = default;
};

// Pen styles by the numbers the drawing engine stores.
enum TPenStyle : std::uint8_t {
  psSolid = 0,
  psDash = 1,
  psDot = 2,
  psDashDot = 3,
  psDashDotDot = 4,
  psClear = 5,
  psInsideFrame = 6,
};

// Pen modes (the raster operation of pen and brush) by the framework's
// numbers. They act on bitmaps and window surfaces and are recorded by
// metafiles; a printer draws every mode except pmNop as pmCopy (pmBlack and
// pmWhite in black and white).
enum TPenMode : std::uint8_t {
  pmBlack = 0,
  pmWhite = 1,
  pmNop = 2,
  pmNot = 3,
  pmCopy = 4,
  pmNotCopy = 5,
  pmMergePenNot = 6,
  pmMaskPenNot = 7,
  pmMergeNotPen = 8,
  pmMaskNotPen = 9,
  pmMerge = 10,
  pmNotMerge = 11,
  pmMask = 12,
  pmNotMask = 13,
  pmXor = 14,
  pmNotXor = 15,
};

// A pen wider than one pixel draws solid whatever its style says (dashes are
// for one-pixel pens only), with round ends and joins, as on Windows.
struct TPen {
  TColor Color = clBlack;
  TPenStyle Style = psSolid;
  std::int32_t Width = 1;
  TPenMode Mode = pmCopy;
  friend bool operator==(const TPen&, const TPen&) = default;
};

enum TBrushStyle : std::uint8_t {
  bsSolid = 0,
  bsClear = 1,
  bsHorizontal = 2,
  bsVertical = 3,
  bsFDiagonal = 4,  // "\"
  bsBDiagonal = 5,  // "/"
  bsCross = 6,
  bsDiagCross = 7,
  bsPattern = 8,  // Pattern below
};

// A pattern brush: 8 rows of 8 pixels, bit 7 of a row leftmost. A set bit is
// painted in the brush colour, a clear bit in the background colour when the
// background mode is opaque (else left as it is), as a monochrome pattern
// brush of Windows is.
struct TBrush {
  TColor Color = clWhite;
  TBrushStyle Style = bsSolid;
  std::uint8_t Pattern[8] = {};
  friend bool operator==(const TBrush&, const TBrush&) = default;
};

inline constexpr std::uint8_t DEFAULT_CHARSET = 1;
inline constexpr std::uint8_t EASTEUROPE_CHARSET = 238;

// A font by face name. Height < 0 is the character height (the letters
// without the internal leading), > 0 the cell height, 0 a default of 16
// pixels. Escapement in tenths of a degree, counter-clockwise, turns the text
// about its reference point. Weight 0 is normal (400), 700 bold. Faces Linux
// lacks map to their metric twins ("Arial" -> "Liberation Sans", "Times New
// Roman" -> "Liberation Serif", "Courier New" -> "Liberation Mono").
struct TFont {
  std::string Name = "Arial";
  std::int32_t Height = 0;
  std::int32_t Escapement = 0;
  std::int32_t Weight = 0;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  std::uint8_t CharSet = EASTEUROPE_CHARSET;
  TColor Color = clBlack;  // the text colour (SetTextColor)
  friend bool operator==(const TFont&, const TFont&) = default;
};

// The face actually used for a face name.
std::string ResolveFaceName(std::string_view faceName);

// Text metrics of the selected font, in device units, as GetTextMetrics gives.
struct TTextMetric {
  std::int32_t tmHeight = 0;  // ascent + descent
  std::int32_t tmAscent = 0;
  std::int32_t tmDescent = 0;
  std::int32_t tmInternalLeading = 0;  // tmHeight - character height
  std::int32_t tmExternalLeading = 0;
  std::int32_t tmAveCharWidth = 0;
  std::int32_t tmMaxCharWidth = 0;
  std::int32_t tmWeight = 0;
  bool tmItalic = false;
  bool tmUnderlined = false;
  bool tmStruckOut = false;
  std::uint8_t tmCharSet = 0;
};

// Text alignment flags (SetTextAlign): one horizontal and one vertical.
inline constexpr std::uint32_t TA_LEFT = 0;
inline constexpr std::uint32_t TA_RIGHT = 2;
inline constexpr std::uint32_t TA_CENTER = 6;
inline constexpr std::uint32_t TA_TOP = 0;
inline constexpr std::uint32_t TA_BOTTOM = 8;
inline constexpr std::uint32_t TA_BASELINE = 24;

enum class TBkMode { Transparent = 1, Opaque = 2 };
enum class TFillMode { Alternate = 1, Winding = 2 };

// Raster operations of the blits (the Windows ternary codes).
inline constexpr std::uint32_t SRCCOPY = 0x00CC0020;
inline constexpr std::uint32_t SRCPAINT = 0x00EE0086;     // S | D
inline constexpr std::uint32_t SRCAND = 0x008800C6;       // S & D
inline constexpr std::uint32_t SRCINVERT = 0x00660046;    // S ^ D
inline constexpr std::uint32_t SRCERASE = 0x00440328;     // S & ~D
inline constexpr std::uint32_t NOTSRCCOPY = 0x00330008;   // ~S
inline constexpr std::uint32_t NOTSRCERASE = 0x001100A6;  // ~(S | D)
inline constexpr std::uint32_t MERGEPAINT = 0x00BB0226;   // ~S | D
inline constexpr std::uint32_t PATCOPY = 0x00F00021;      // brush
inline constexpr std::uint32_t PATINVERT = 0x005A0049;    // brush ^ D
inline constexpr std::uint32_t DSTINVERT = 0x00550009;    // ~D
inline constexpr std::uint32_t BLACKNESS = 0x00000042;
inline constexpr std::uint32_t WHITENESS = 0x00FF0062;

// Region combination modes (CombineRgn).
enum class TRegionMode { And = 1, Or = 2, Xor = 3, Diff = 4, Copy = 5 };

// A set of device pixels. Value type; any thread.
class TRegion {
 public:
  TRegion();  // empty
  ~TRegion();
  TRegion(const TRegion& other);
  TRegion& operator=(const TRegion& other);

  static TRegion Rect(const TGdiRect& r);
  // The ellipse in the box (right and bottom outside).
  static TRegion Ellipse(const TGdiRect& box);
  static TRegion Polygon(const TGdiPoint* points, int count, TFillMode mode);

  // *this := a (mode) b; Copy takes a.
  void Combine(const TRegion& a, const TRegion& b, TRegionMode mode);
  void Offset(int dx, int dy);
  bool IsEmpty() const;
  bool Contains(int x, int y) const;
  // The smallest rectangle holding the region (all zero when empty).
  TGdiRect Box() const;
  friend bool operator==(const TRegion& a, const TRegion& b);

 private:
  friend class TCanvas;
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Pixel rows handed to StretchDIBits: 1, 8, 24 or 32 bits a pixel, rows padded
// to 4 bytes, bottom-up when Height > 0 and top-down when Height < 0, 24 and
// 32 bits as blue, green, red (, unused) bytes, 1 and 8 bits as indexes into
// Palette.
struct TDibInfo {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::uint16_t BitCount = 24;
  std::vector<TColor> Palette;
};

class TBitmap;

// A device context with its selected pen, brush and font (the framework's
// canvas). Made by the targets' factories (gdiimage.h, gdiprint.h); not
// copyable. Drawing calls need no lock when one thread owns the canvas.
class TCanvas {
 public:
  ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  // The canvas lock: recursive, held by a thread around drawing on a canvas
  // that another thread draws on too.
  void Lock() { lock_.lock(); }
  void Unlock() { lock_.unlock(); }
  bool TryLock() { return lock_.try_lock(); }

  // Size of the drawing area in device units, and device units per inch.
  int Width() const;
  int Height() const;
  int DpiX() const;
  int DpiY() const;

  const TPen& Pen() const { return pen_; }
  void SetPen(const TPen& pen);
  const TBrush& Brush() const { return brush_; }
  void SetBrush(const TBrush& brush);
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& font);
  void SetTextColor(TColor color);
  TColor TextColor() const { return font_.Color; }

  // Background of dash gaps, hatch and pattern gaps and text cells.
  void SetBkMode(TBkMode mode);
  TBkMode BkMode() const { return bkMode_; }
  void SetBkColor(TColor color);
  TColor BkColor() const { return bkColor_; }
  void SetTextAlign(std::uint32_t flags);
  std::uint32_t TextAlign() const { return textAlign_; }
  void SetBrushOrigin(int x, int y);

  // Lines with the pen. A line covers its first pixel, not its last.
  void MoveTo(int x, int y);
  bool LineTo(int x, int y);
  TGdiPoint PenPos() const { return penPos_; }
  bool Polyline(const TGdiPoint* points, int count);
  // counts[i] points (at least 2 each) for each of parts polylines.
  bool PolyPolyline(const TGdiPoint* points, const std::int32_t* counts, int parts);
  // The arc of the ellipse in box, counter-clockwise from the ray through
  // start to the ray through end (both from the box's centre); equal rays
  // give the whole ellipse.
  bool Arc(const TGdiRect& box, TGdiPoint start, TGdiPoint end);

  // Filled figures: outlined with the pen, filled with the brush.
  bool Rectangle(const TGdiRect& r);
  bool Ellipse(const TGdiRect& box);
  bool Polygon(const TGdiPoint* points, int count, TFillMode mode = TFillMode::Alternate);
  bool PolyPolygon(const TGdiPoint* points, const std::int32_t* counts, int parts,
                   TFillMode mode = TFillMode::Alternate);
  // Fills with the brush, no outline, whatever the pen mode.
  bool FillRect(const TGdiRect& r, const TBrush& brush);
  bool FillRegion(const TRegion& region, const TBrush& brush);
  // Inverts the pixels of the region.
  bool InvertRegion(const TRegion& region);

  // Pixels (with pmCopy). GetPixel answers 0xFFFFFFFF where nothing can be
  // read (printers, metafiles, outside the area).
  bool SetPixel(int x, int y, TColor color);
  TColor GetPixel(int x, int y) const;

  // Text in the selected font and text colour at the reference point (x, y),
  // aligned by TextAlign, turned by the font's escapement. Text ignores the
  // pen mode.
  bool TextOut(int x, int y, std::string_view text);
  TTextMetric GetTextMetrics() const;
  // Width and height (tmHeight) of a text in the selected font, unturned.
  TGdiPoint TextExtent(std::string_view text) const;

  // Clipping: none, a region, or the current clip narrowed or cut.
  void SelectClipRegion(const TRegion* region);
  void IntersectClipRect(const TGdiRect& r);
  void ExcludeClipRect(const TGdiRect& r);
  // The clip's bounding box, or the whole area when nothing clips.
  TGdiRect ClipBox() const;

  // Blits from a canvas that can be read (a bitmap's or a window surface's)
  // with a raster operation; a different destination size stretches.
  bool BitBlt(int x, int y, int w, int h, const TCanvas& src, int sx, int sy,
              std::uint32_t rop = SRCCOPY);
  bool StretchBlt(int x, int y, int w, int h, const TCanvas& src, int sx, int sy, int sw, int sh,
                  std::uint32_t rop = SRCCOPY);
  // bits holds size bytes; too few for the rows the header names fail.
  bool StretchDIBits(int x, int y, int w, int h, int sx, int sy, int sw, int sh, const void* bits,
                     std::size_t size, const TDibInfo& info, std::uint32_t rop = SRCCOPY);
  // Draws a bitmap, stretched to the rectangle.
  bool StretchDraw(const TGdiRect& r, const TBitmap& bitmap, std::uint32_t rop = SRCCOPY);

  // Cancels output still pending on the device (a print job's page); drawing
  // goes on afterwards. Any thread.
  bool CancelDC();

  struct Impl;
  // For the targets: the canvas over a target's painter state.
  explicit TCanvas(std::unique_ptr<Impl> impl);
  Impl& Internal() const { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
  std::recursive_mutex lock_;
  TPen pen_;
  TBrush brush_;
  TFont font_;
  TBkMode bkMode_ = TBkMode::Opaque;
  TColor bkColor_ = clWhite;
  std::uint32_t textAlign_ = TA_LEFT | TA_TOP;
  TGdiPoint penPos_;
};

// Holds a canvas's lock for a scope.
class TCanvasLock {
 public:
  explicit TCanvasLock(TCanvas& canvas) : canvas_(canvas) { canvas_.Lock(); }
  ~TCanvasLock() { canvas_.Unlock(); }
  TCanvasLock(const TCanvasLock&) = delete;
  TCanvasLock& operator=(const TCanvasLock&) = delete;

 private:
  TCanvas& canvas_;
};

}  // namespace platform
