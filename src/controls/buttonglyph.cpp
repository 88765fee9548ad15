#include "controls/buttonglyph.h"

#include <algorithm>

using platform::TBitmap;
using platform::TCanvas;
using platform::TColor;
using platform::TGdiPoint;
using platform::TGdiRect;

namespace {

constexpr TColor kWhite = 0xFFFFFF;
constexpr TColor kGrey = 0x808080;
constexpr TColor kLightGrey = 0xC0C0C0;
constexpr int kMaxGlyphs = 5;

std::unique_ptr<TGlyphCache>& CacheHolder() {
  static std::unique_ptr<TGlyphCache> cache;
  return cache;
}

// The caption as shown: "&&" is one ampersand, a single "&" marks the
// accelerator and is left out.
std::string Shown(const std::string& caption) {
  std::string out;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&') {
      if (i + 1 < caption.size() && caption[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += caption[i];
  }
  return out;
}

}  // namespace

TGlyphCache* GlyphCache() { return CacheHolder().get(); }

int TGlyphList::AllocateIndex() {
  for (size_t i = 0; i < used_.size(); ++i) {
    if (!used_[i]) {
      used_[i] = true;
      return static_cast<int>(i);
    }
  }
  used_.push_back(true);
  return static_cast<int>(used_.size()) - 1;
}

int TGlyphList::AddMasked(const TBitmap& image, TColor maskColor) {
  int slot = AllocateIndex();
  bool ok = slot < list_.Count() ? list_.ReplaceMasked(slot, image, maskColor)
                                 : list_.AddMasked(image, maskColor) == slot;
  if (!ok) {
    used_[static_cast<size_t>(slot)] = false;
    throw EInvalidOperation("Nieprawidłowy rozmiar obrazu");
  }
  ++count_;
  return slot;
}

int TGlyphList::Add(const TBitmap& image, const TBitmap& mask) {
  int slot = AllocateIndex();
  bool ok = slot < list_.Count() ? list_.Replace(slot, image, mask)
                                 : list_.Add(image, mask) == slot;
  if (!ok) {
    used_[static_cast<size_t>(slot)] = false;
    throw EInvalidOperation("Nieprawidłowy rozmiar obrazu");
  }
  ++count_;
  return slot;
}

void TGlyphList::Delete(int slot) {
  if (slot < 0 || slot >= static_cast<int>(used_.size()) || !used_[static_cast<size_t>(slot)]) {
    return;
  }
  used_[static_cast<size_t>(slot)] = false;
  --count_;
}

TGlyphList* TGlyphCache::GetList(int width, int height) {
  for (auto it = lists_.rbegin(); it != lists_.rend(); ++it) {
    if ((*it)->Width() == width && (*it)->Height() == height) return it->get();
  }
  lists_.push_back(std::make_unique<TGlyphList>(width, height));
  return lists_.back().get();
}

void TGlyphCache::ReturnList(TGlyphList* list) {
  if (list == nullptr || list->Count() != 0) return;
  lists_.erase(std::remove_if(lists_.begin(), lists_.end(),
                              [list](const auto& l) { return l.get() == list; }),
               lists_.end());
}

TButtonGlyph::TButtonGlyph() {
  if (!CacheHolder()) CacheHolder() = std::make_unique<TGlyphCache>();
}

TButtonGlyph::~TButtonGlyph() {
  OnChange = nullptr;
  Invalidate();
  if (CacheHolder() && CacheHolder()->Empty()) CacheHolder().reset();
}

void TButtonGlyph::Changed() {
  if (strip_) transparentColor_ = strip_->Pixel(0, strip_->Height() - 1);
  Invalidate();
  if (OnChange) OnChange();
}

void TButtonGlyph::SetGlyph(const TBitmap* bitmap) {
  Invalidate();
  if (bitmap == nullptr) {
    strip_.reset();
    if (OnChange) OnChange();
    return;
  }
  strip_ = std::make_unique<TBitmap>(bitmap->Width(), bitmap->Height());
  strip_->Canvas().BitBlt(0, 0, bitmap->Width(), bitmap->Height(),
                          const_cast<TBitmap*>(bitmap)->Canvas(), 0, 0);
  if (bitmap->Height() > 0) {
    transparentColor_ = strip_->Pixel(0, strip_->Height() - 1);
    if (bitmap->Width() % bitmap->Height() == 0) {
      int n = bitmap->Width() / bitmap->Height();
      if (n > kMaxGlyphs) n = 1;
      SetNumGlyphs(n);
    }
  }
  Changed();
}

void TButtonGlyph::SetNumGlyphs(int n) {
  if (n == numGlyphs_ || n <= 0) return;
  Invalidate();
  numGlyphs_ = std::min(n, kMaxGlyphs);
  Changed();
}

void TButtonGlyph::SetOldDisabledStyle(bool old) {
  oldDisabledStyle_ = old;
  Invalidate();
}

void TButtonGlyph::Invalidate() {
  for (int& index : indexes_) {
    if (index != -1 && list_ != nullptr) list_->Delete(index);
    index = -1;
  }
  if (CacheHolder()) CacheHolder()->ReturnList(list_);
  list_ = nullptr;
}

int TButtonGlyph::CreateButtonGlyph(TButtonState state) {
  if (state != TButtonState::bsDisabled && static_cast<int>(state) >= numGlyphs_) {
    state = TButtonState::bsUp;
  }
  int& index = indexes_[static_cast<int>(state)];
  if (index != -1) return index;
  if (!strip_ || strip_->Width() == 0 || strip_->Height() == 0) return -1;
  int cellW = strip_->Width() / numGlyphs_;
  int cellH = strip_->Height();
  if (cellW <= 0) return -1;
  int iw = cellW + 1;
  int ih = cellH + 1;
  if (!CacheHolder()) CacheHolder() = std::make_unique<TGlyphCache>();
  if (list_ == nullptr) list_ = CacheHolder()->GetList(iw, ih);
  int k = static_cast<int>(state);
  if (k >= numGlyphs_) k = 0;
  int sx = k * cellW;
  TBitmap work(iw, ih, clBtnFace);
  if (state != TButtonState::bsDisabled) {
    work.Canvas().FillRect({0, 0, iw, ih}, platform::TBrush{transparentColor_});
    work.Canvas().BitBlt(0, 0, cellW, cellH, strip_->Canvas(), sx, 0);
    index = list_->AddMasked(work, transparentColor_);
    return index;
  }
  if (numGlyphs_ > 1) {
    // The strip's own disabled image, white and grey recoloured.
    TBitmap mask(iw, ih, platform::clBlack);
    work.Canvas().FillRect({0, 0, iw, ih}, platform::TBrush{transparentColor_});
    for (int y = 0; y < ih; ++y) {
      for (int x = 0; x < iw; ++x) {
        TColor c = (x < cellW && y < cellH) ? strip_->Pixel(sx + x, y) : transparentColor_;
        if (x < cellW && y < cellH) {
          if (c == kWhite) {
            work.Canvas().SetPixel(x, y, clBtnHighlight);
          } else if (c == kGrey) {
            work.Canvas().SetPixel(x, y, clBtnShadow);
          } else {
            work.Canvas().SetPixel(x, y, c);
          }
        }
        if (c == transparentColor_) mask.Canvas().SetPixel(x, y, kWhite);
      }
    }
    index = list_->Add(work, mask);
    return index;
  }
  // One image: the shape embossed, highlight one pixel right and down with
  // the shadow on top of it.
  std::vector<bool> shape(static_cast<size_t>(iw * ih), false);
  for (int y = 0; y < cellH; ++y) {
    for (int x = 0; x < cellW; ++x) {
      TColor c = strip_->Pixel(sx + x, y);
      bool set = oldDisabledStyle_ ? c == platform::clBlack
                                   : c != transparentColor_ && c != kWhite && c != kLightGrey;
      shape[static_cast<size_t>(y * iw + x)] = set;
    }
  }
  work.Canvas().FillRect({0, 0, iw, ih}, platform::TBrush{clBtnFace});
  for (int y = 0; y < ih; ++y) {
    for (int x = 0; x < iw; ++x) {
      if (!shape[static_cast<size_t>(y * iw + x)]) continue;
      if (x + 1 < iw && y + 1 < ih) work.Canvas().SetPixel(x + 1, y + 1, clBtnHighlight);
    }
  }
  for (int y = 0; y < ih; ++y) {
    for (int x = 0; x < iw; ++x) {
      if (shape[static_cast<size_t>(y * iw + x)]) work.Canvas().SetPixel(x, y, clBtnShadow);
    }
  }
  index = list_->AddMasked(work, clBtnFace);
  return index;
}

void TButtonGlyph::DrawButtonGlyph(TCanvas& canvas, TGdiPoint at, TButtonState state) {
  if (!strip_ || strip_->Width() == 0 || strip_->Height() == 0) return;
  int slot = CreateButtonGlyph(state);
  if (slot >= 0 && list_ != nullptr) list_->Draw(canvas, slot, at.X, at.Y);
}

std::vector<std::string> WrapCaption(TCanvas& canvas, const std::string& caption, int width,
                                     bool wordWrap) {
  std::string text = Shown(caption);
  if (!wordWrap) return {text};
  std::vector<std::string> lines;
  std::string line;
  size_t i = 0;
  while (i < text.size()) {
    size_t next = text.find(' ', i);
    std::string word = text.substr(i, next == std::string::npos ? std::string::npos : next - i);
    std::string trial = line.empty() ? word : line + " " + word;
    if (!line.empty() && canvas.TextExtent(trial).X > width) {
      lines.push_back(line);
      line = word;
    } else {
      line = trial;
    }
    if (next == std::string::npos) break;
    i = next + 1;
  }
  if (!line.empty() || lines.empty()) lines.push_back(line);
  return lines;
}

TButtonLayoutResult TButtonGlyph::CalcButtonLayout(TCanvas& canvas, const TGdiRect& client,
                                                   TGdiPoint offset, bool showGlyph,
                                                   bool showCaption, const std::string& caption,
                                                   bool wordWrap, TButtonLayout layout, int margin,
                                                   int spacing, bool showArrow) const {
  TGdiPoint c{client.Width(), client.Height()};
  TGdiPoint g{0, 0};
  if (showGlyph && strip_) g = {strip_->Width() / numGlyphs_, strip_->Height()};
  TGdiPoint a = showArrow ? TGdiPoint{9, 3} : TGdiPoint{0, 0};
  bool gZero = g.X == 0 || g.Y == 0;
  bool h = layout == TButtonLayout::blGlyphLeft || layout == TButtonLayout::blGlyphRight;
  if (!h && gZero) {
    layout = TButtonLayout::blGlyphLeft;
    h = true;
  }
  TGdiPoint t{0, 0};
  if (showCaption && !caption.empty()) {
    int width = c.X;
    if (h) width -= a.X;
    if (wordWrap) {
      if (h && !gZero) {
        width -= g.X + (spacing == -1 ? 4 : spacing);
        int m = margin != -1 ? margin : spacing != -1 ? spacing : 4;
        width -= 2 * m;
      } else {
        width -= 2 * 4;
      }
    }
    std::vector<std::string> lines = WrapCaption(canvas, caption, width, wordWrap);
    int lineHeight = canvas.GetTextMetrics().tmHeight;
    for (const std::string& line : lines) t.X = std::max(t.X, canvas.TextExtent(line).X);
    t.Y = lineHeight * static_cast<int>(lines.size());
  }
  TGdiPoint gp{0, 0};
  TGdiPoint ap{0, 0};
  TGdiPoint tp{0, 0};
  if (h) {
    gp.Y = (c.Y - g.Y + 1) / 2;
    tp.Y = (c.Y - t.Y + 1) / 2;
  } else {
    gp.X = (c.X - g.X - a.X + 1) / 2;
    tp.X = (c.X - t.X + 1) / 2;
    ap.X = gZero ? tp.X + t.X : gp.X + g.X;
  }
  if (t.X == 0 || t.Y == 0 || gZero) spacing = 0;
  if (margin == -1 && spacing == -1) {
    TGdiPoint total{g.X + t.X + a.X, g.Y + t.Y};
    margin = h ? (c.X - total.X) / 3 : (c.Y - total.Y) / 3;
    spacing = margin;
  } else if (margin == -1) {
    TGdiPoint total{g.X + spacing + t.X + a.X, g.Y + spacing + t.Y};
    margin = h ? (c.X - total.X + 1) / 2 : (c.Y - total.Y + 1) / 2;
  } else if (spacing == -1) {
    TGdiPoint room{c.X - (margin + g.X + a.X), c.Y - (margin + g.Y)};
    spacing = h ? (room.X - t.X) / 2 : (room.Y - t.Y) / 2;
  }
  switch (layout) {
    case TButtonLayout::blGlyphLeft:
      gp.X = margin;
      tp.X = gp.X + g.X + spacing;
      ap.X = tp.X + t.X;
      break;
    case TButtonLayout::blGlyphRight:
      ap.X = c.X - margin - a.X;
      gp.X = ap.X - g.X;
      tp.X = gp.X - spacing - t.X;
      break;
    case TButtonLayout::blGlyphTop:
      gp.Y = margin;
      tp.Y = gp.Y + g.Y + spacing;
      break;
    case TButtonLayout::blGlyphBottom:
      gp.Y = c.Y - margin - g.Y;
      tp.Y = gp.Y - spacing - t.Y;
      break;
  }
  ap.Y = gZero ? tp.Y + (t.Y - a.Y) / 2 : gp.Y + (g.Y - a.Y) / 2;
  int dx = client.Left + offset.X;
  int dy = client.Top + offset.Y;
  TButtonLayoutResult r;
  r.Glyph = {gp.X + dx, gp.Y + dy};
  r.Arrow = {ap.X + dx, ap.Y + dy};
  r.Text = {tp.X + dx, tp.Y + dy, tp.X + dx + t.X, tp.Y + dy + t.Y};
  return r;
}

void TButtonGlyph::DrawButtonText(TCanvas& canvas, const std::string& caption, const TGdiRect& r,
                                  bool wordWrap, TButtonState state) {
  std::vector<std::string> lines = WrapCaption(canvas, caption, r.Width(), wordWrap);
  int lineHeight = canvas.GetTextMetrics().tmHeight;
  canvas.SetBkMode(platform::TBkMode::Transparent);
  canvas.SetTextAlign(platform::TA_LEFT | platform::TA_TOP);
  int top = r.Top + (r.Height() - lineHeight * static_cast<int>(lines.size())) / 2;
  auto drawAt = [&](int dx, int dy, TColor color) {
    canvas.SetTextColor(color);
    int y = top + dy;
    for (const std::string& line : lines) {
      int x = r.Left + (r.Width() - canvas.TextExtent(line).X) / 2 + dx;
      canvas.TextOut(x, y, line);
      y += lineHeight;
    }
  };
  TColor own = canvas.TextColor();
  if (state == TButtonState::bsDisabled) {
    drawAt(1, 1, clBtnHighlight);
    drawAt(0, 0, clBtnShadow);
    canvas.SetTextColor(own);
  } else {
    drawAt(0, 0, own);
  }
}

void TButtonGlyph::DrawButtonDropArrow(TCanvas& canvas, int x, int y, TButtonState state) {
  auto triangle = [&canvas](int x0, int y0, TColor color) {
    platform::TPen pen;
    pen.Color = color;
    canvas.SetPen(pen);
    canvas.SetBrush(platform::TBrush{color});
    platform::TGdiPoint points[3] = {{x0 + 4, y0}, {x0 + 8, y0}, {x0 + 6, y0 + 2}};
    canvas.Polygon(points, 3);
  };
  if (state == TButtonState::bsDisabled) {
    triangle(x + 1, y + 1, clBtnHighlight);
    triangle(x, y, clBtnShadow);
  } else {
    triangle(x, y, canvas.TextColor());
  }
}

TGdiRect TButtonGlyph::Draw(TCanvas& canvas, const TGdiRect& client, TGdiPoint offset,
                            bool showGlyph, bool showCaption, const std::string& caption,
                            bool wordWrap, TButtonLayout layout, int margin, int spacing,
                            bool showArrow, TButtonState state) {
  TButtonLayoutResult r = CalcButtonLayout(canvas, client, offset, showGlyph, showCaption, caption,
                                           wordWrap, layout, margin, spacing, showArrow);
  if (showGlyph) DrawButtonGlyph(canvas, r.Glyph, state);
  if (showCaption && !caption.empty()) DrawButtonText(canvas, caption, r.Text, wordWrap, state);
  if (showArrow) DrawButtonDropArrow(canvas, r.Arrow.X, r.Arrow.Y, state);
  return r.Text;
}
