// The glyph of a toolbar button: a strip of 1 to 5 images of equal width
// (up, disabled, down, exclusive, hot), the state images made from it on
// first need and kept in image lists shared by every glyph of the same image
// size (TGlyphList, TGlyphCache), the disabled image embossed when the strip
// has none of its own, and the layout of glyph, caption and drop-down arrow
// in a button's face.
//
// GUI thread only. A glyph owns its strip; the cache owns the lists; a glyph
// holds slots of one list and gives them back on Invalidate.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/toolbarbase.h"
#include "platform/paint/gdiimage.h"
#include "platform/paint/imagelist.h"

enum class TButtonState { bsUp = 0, bsDisabled = 1, bsDown = 2, bsExclusive = 3, bsMouseIn = 4 };
enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// An image list whose slots are handed out and given back; a freed slot is
// reused before the list grows.
class TGlyphList {
 public:
  TGlyphList(int width, int height) : list_(width, height) {}
  int Width() const { return list_.Width(); }
  int Height() const { return list_.Height(); }
  int Count() const { return count_; }
  int AddMasked(const platform::TBitmap& image, platform::TColor maskColor);
  int Add(const platform::TBitmap& image, const platform::TBitmap& mask);
  void Delete(int slot);
  bool Draw(platform::TCanvas& canvas, int slot, int x, int y) const {
    return list_.Draw(canvas, slot, x, y);
  }
  platform::TColor Pixel(int slot, int x, int y) const { return list_.Pixel(slot, x, y); }

 private:
  int AllocateIndex();
  platform::TImageList list_;
  std::vector<bool> used_;
  int count_ = 0;
};

// The lists of all glyphs, one per image size.
class TGlyphCache {
 public:
  TGlyphList* GetList(int width, int height);
  // Frees the list when no slot of it is used.
  void ReturnList(TGlyphList* list);
  bool Empty() const { return lists_.empty(); }
  int ListCount() const { return static_cast<int>(lists_.size()); }

 private:
  std::vector<std::unique_ptr<TGlyphList>> lists_;
};

// The program's cache (nullptr while no glyph exists).
TGlyphCache* GlyphCache();

struct TButtonLayoutResult {
  platform::TGdiPoint Glyph;
  platform::TGdiPoint Arrow;
  platform::TGdiRect Text;
};

class TButtonGlyph {
 public:
  TButtonGlyph();
  ~TButtonGlyph();
  TButtonGlyph(const TButtonGlyph&) = delete;
  TButtonGlyph& operator=(const TButtonGlyph&) = delete;

  // The strip (nullptr when empty).
  const platform::TBitmap* Strip() const { return strip_.get(); }
  // Takes a copy of the bitmap (nullptr empties the strip). A width that is
  // an exact multiple of the height gives that many images (more than 5
  // count as one).
  void SetGlyph(const platform::TBitmap* bitmap);
  int NumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(int n);
  // Pixels of this colour are not drawn: the strip's bottom-left pixel.
  platform::TColor TransparentColor() const { return transparentColor_; }
  bool OldDisabledStyle() const { return oldDisabledStyle_; }
  void SetOldDisabledStyle(bool old);
  std::function<void()> OnChange;

  // Drops the state images made so far.
  void Invalidate();
  // The slot of the state's image in List(), made when missing; -1 for an
  // empty strip.
  int CreateButtonGlyph(TButtonState state);
  TGlyphList* List() const { return list_; }

  TButtonLayoutResult CalcButtonLayout(platform::TCanvas& canvas, const platform::TGdiRect& client,
                                       platform::TGdiPoint offset, bool showGlyph, bool showCaption,
                                       const std::string& caption, bool wordWrap,
                                       TButtonLayout layout, int margin, int spacing,
                                       bool showArrow) const;
  void DrawButtonGlyph(platform::TCanvas& canvas, platform::TGdiPoint at, TButtonState state);
  static void DrawButtonText(platform::TCanvas& canvas, const std::string& caption,
                             const platform::TGdiRect& r, bool wordWrap, TButtonState state);
  static void DrawButtonDropArrow(platform::TCanvas& canvas, int x, int y, TButtonState state);
  // Everything in order; returns the text rectangle.
  platform::TGdiRect Draw(platform::TCanvas& canvas, const platform::TGdiRect& client,
                          platform::TGdiPoint offset, bool showGlyph, bool showCaption,
                          const std::string& caption, bool wordWrap, TButtonLayout layout,
                          int margin, int spacing, bool showArrow, TButtonState state);

 private:
  void Changed();

  std::unique_ptr<platform::TBitmap> strip_;
  int numGlyphs_ = 1;
  platform::TColor transparentColor_ = 0x008080;  // olive
  bool oldDisabledStyle_ = false;
  int indexes_[5] = {-1, -1, -1, -1, -1};
  TGlyphList* list_ = nullptr;
};

// Lines of a caption broken at spaces to fit width (one line without word
// wrap).
std::vector<std::string> WrapCaption(platform::TCanvas& canvas, const std::string& caption,
                                     int width, bool wordWrap);
