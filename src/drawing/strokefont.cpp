#include "drawing/strokefont.h"

#include <cstdlib>

#include "foundation/errors.h"
#include "foundation/storage/bytes.h"
#include "platform/files/codepage.h"
#include "platform/files/files.h"
#include "platform/files/paths.h"
#include "platform/files/system.h"

namespace {

constexpr const char* kNoFontFile = "Brak pliku z fontem:";
constexpr std::size_t kHeaderSize = 16;
constexpr std::size_t kRecordHeadSize = 5;

// Reads the font file as a sequence of bytes; every read is checked against
// the end, so a short or damaged file ends in Refuse, never past the data.
class TFontReader {
public:
  TFontReader(const std::vector<std::uint8_t>& Data, const std::string& FileName)
      : data_(Data), fileName_(FileName) {}

  [[noreturn]] void Refuse() const { throw EWindowsIOError(kNoFontFile + fileName_); }

  void Need(std::size_t Count) const {
    if (Count > data_.size() - pos_) Refuse();
  }
  std::uint8_t Byte() {
    Need(1);
    return data_[pos_++];
  }
  std::uint16_t Word() {
    Need(2);
    const std::uint16_t w = GetU16(data_.data() + pos_);
    pos_ += 2;
    return w;
  }
  void Skip(std::size_t Count) {
    Need(Count);
    pos_ += Count;
  }
  std::size_t Pos() const { return pos_; }
  const std::uint8_t* At(std::size_t Offset) const { return data_.data() + Offset; }

private:
  const std::vector<std::uint8_t>& data_;
  const std::string& fileName_;
  std::size_t pos_ = 0;
};

std::vector<std::uint8_t> ReadFontFile(const std::string& FileName) {
  platform::File file;
  if (!file.Open(FileName, platform::FileAccess::Read, platform::FileShare::DenyNone))
    throw EWindowsIOError(kNoFontFile + FileName);
  const std::int64_t size = file.Size();
  if (size < 0) throw EWindowsIOError(kNoFontFile + FileName);
  std::vector<std::uint8_t> data(static_cast<std::size_t>(size));
  if (size > 0 && file.ReadAt(0, data.data(), data.size()) != size)
    throw EWindowsIOError(kNoFontFile + FileName);
  return data;
}

}  // namespace

TStrokeFont::TStrokeFont(std::uint16_t Number, const std::string& FileName) : FontNumber(Number) {
  const std::vector<std::uint8_t> data = ReadFontFile(FileName);
  TFontReader in(data, FileName);
  in.Need(kHeaderSize);
  in.Skip(4);
  FirstChar = in.Byte();
  const std::uint16_t count = in.Word();
  CellHeight = in.Byte();
  MetricA = in.Byte();
  MetricB = in.Byte();
  Descent = static_cast<std::int8_t>(in.Byte());
  Descent2 = Descent;
  in.Skip(5);
  if (count == 0 || CellHeight == 0) in.Refuse();
  Leading = MetricA + MetricB - Descent;
  Aspect = 0xC28F;

  for (std::uint16_t i = 0; i < count; ++i) {
    auto c = std::make_unique<TStrokeChar>();
    in.Need(kRecordHeadSize);
    c->AdvanceWidth = in.Byte();
    c->PartCount = in.Word();
    c->PointCount = in.Word();
    if (c->PartCount > 0) {
      in.Need(c->PartCount + 2u * c->PointCount);
      const std::uint8_t* sizes = in.At(in.Pos());
      c->PartSizes.assign(sizes, sizes + c->PartCount);
      in.Skip(c->PartCount);
      const std::uint8_t* points = in.At(in.Pos());
      c->Points.resize(2u * c->PointCount);
      for (std::size_t k = 0; k < c->Points.size(); ++k)
        c->Points[k] = static_cast<std::int8_t>(points[k]);
      in.Skip(2u * c->PointCount);

      std::size_t first = 0;
      for (std::uint8_t n : c->PartSizes) {
        if (first + n > c->PointCount) in.Refuse();
        for (std::size_t k = first + 1; n >= 2 && k < first + n; ++k)
          c->strokes_.AddLine(c->Points[2 * (k - 1)], c->Points[2 * (k - 1) + 1],
                              c->Points[2 * k], c->Points[2 * k + 1]);
        first += n;
      }
    }
    Add(std::move(c));
  }
}

const TStrokeChar& TStrokeFont::GetChar(std::uint8_t Code) const {
  const int index = static_cast<int>(Code) - FirstChar;
  if (index < 0 || index >= Count()) return *ItemAs<TStrokeChar>(0);
  return *ItemAs<TStrokeChar>(index);
}

std::unique_ptr<TVectorList> TVectorChar::Clone() const {
  return std::make_unique<TVectorChar>(*this);
}

void TVectorChar::AddRuleLine(bool AtTop) {
  const std::int32_t y = AtTop ? TopOffset : BaseOffset;
  AddLine(0, y, Width, y);
}

TFontManager::TFontManager(std::string Folder) : folder_(std::move(Folder)) {}

TFontManager::~TFontManager() { Clear(); }

void TFontManager::SetFolder(const std::string& Folder) {
  std::lock_guard guard(lock_);
  folder_ = Folder;
  littFont_.reset();
  Clear();
}

std::string TFontManager::FilePath(const char* Name) const {
  return platform::JoinPath(folder_.empty() ? platform::ProgramFolder() : folder_, Name);
}

void TFontManager::EnsureFont(const TStrokeFontChoice& Font) {
  std::lock_guard guard(lock_);
  ActiveFont(Font);
}

const TStrokeFont& TFontManager::ActiveFont(const TStrokeFontChoice& Font) {
  if (!Font.Second && !littFont_)
    littFont_ = std::make_unique<TStrokeFont>(Font.Number, FilePath("litt.ch1"));
  const TStrokeFont* numbered = nullptr;
  for (std::int32_t i = 0; i < Count() && numbered == nullptr; ++i) {
    const TStrokeFont* font = ItemAs<TStrokeFont>(i);
    if (font->FontNumber == Font.Number) numbered = font;
  }
  if (numbered == nullptr) {
    auto font = std::make_unique<TStrokeFont>(Font.Number, FilePath("font.ch1"));
    numbered = font.get();
    Add(std::move(font));
  }
  return Font.Second ? *numbered : *littFont_;
}

std::unique_ptr<TVectorChar> TFontManager::Build(const TStrokeFontChoice& Font,
                                                 std::string_view Text, bool Strokes) {
  std::lock_guard guard(lock_);
  const TStrokeFont& font = ActiveFont(Font);
  const std::string codes = platform::Utf8ToCp1250(Text);
  const std::int32_t capacity = Strokes ? static_cast<std::int32_t>(codes.size()) * 8 : 0;
  auto result = std::make_unique<TVectorChar>(capacity, 16, 0);
  std::int32_t x = 0;
  for (char code : codes) {
    const TStrokeChar& c = font.GetChar(static_cast<std::uint8_t>(code));
    if (Strokes && c.Strokes().PointCount() > 0) result->AppendOffset(c.Strokes(), TPoint{x, 0});
    x += c.AdvanceWidth;
  }
  const std::int32_t h = font.CellHeight;
  result->Height = h;
  result->LineHeight = h;
  result->Width = x;
  result->Depth = h - font.Descent;
  result->BaseOffset = h - font.Descent2;
  result->TopOffset = h - font.Leading;
  result->WidthFactor = font.Aspect / 65536.0;
  return result;
}

std::unique_ptr<TVectorChar> TFontManager::BuildText(const TStrokeFontChoice& Font,
                                                     std::string_view Text) {
  return Build(Font, Text, true);
}

std::unique_ptr<TVectorChar> TFontManager::MeasureText(const TStrokeFontChoice& Font,
                                                       std::string_view Text) {
  return Build(Font, Text, false);
}

std::unique_ptr<TVectorChar> TFontManager::Fraction(const TStrokeFontChoice& Font,
                                                    std::string_view Upper,
                                                    std::string_view Lower, bool Strokes) {
  std::lock_guard guard(lock_);
  std::unique_ptr<TVectorChar> u = Build(Font, Upper, Strokes);
  const std::unique_ptr<TVectorChar> l = Build(Font, Lower, Strokes);
  if (l->Width > u->Width) u->Width = l->Width;
  if (l->PointCount() > 0) u->AppendOffset(*l, TPoint{0, u->BaseOffset - l->TopOffset});
  u->Depth = std::abs(u->TopOffset) + u->Depth + u->BaseOffset;
  u->Height = (std::abs(u->TopOffset) + u->Height) * 2;
  return u;
}

std::unique_ptr<TVectorChar> TFontManager::BuildFraction(const TStrokeFontChoice& Font,
                                                         std::string_view Upper,
                                                         std::string_view Lower) {
  return Fraction(Font, Upper, Lower, true);
}

std::unique_ptr<TVectorChar> TFontManager::MeasureFraction(const TStrokeFontChoice& Font,
                                                           std::string_view Upper,
                                                           std::string_view Lower) {
  return Fraction(Font, Upper, Lower, false);
}

TPoint TFontManager::Extent(const TStrokeFontChoice& Font, std::string_view Text) {
  std::lock_guard guard(lock_);
  const TStrokeFont& font = ActiveFont(Font);
  std::int64_t sum = 0;
  for (char code : platform::Utf8ToCp1250(Text))
    sum += font.GetChar(static_cast<std::uint8_t>(code)).AdvanceWidth;
  return TPoint{static_cast<std::int32_t>((sum * font.Aspect) >> 16),
                static_cast<std::int32_t>(font.MetricA - font.Descent)};
}

TPoint TFontManager::TextExtent(const TStrokeFontChoice& Font, std::string_view Text) {
  return Extent(Font, Text);
}

TPoint TFontManager::FractionExtent(const TStrokeFontChoice& Font, std::string_view Upper,
                                    std::string_view Lower) {
  std::lock_guard guard(lock_);
  const TPoint e1 = Extent(Font, Upper);
  const TPoint e2 = Extent(Font, Lower);
  return TPoint{e1.X > e2.X ? e1.X : e2.X, e1.Y + e2.Y};
}

std::int32_t TFontManager::GetHeight(const TStrokeFontChoice& Font) {
  std::lock_guard guard(lock_);
  return ActiveFont(Font).CellHeight;
}

TFontManager& FontManager() {
  static TFontManager manager;
  return manager;
}

bool StrokeTextDistance(const TVectorList& Strokes, const TRealPoint& P, const TRealPoint& Tol,
                        const TAffineMatrix& M, IStrokeSegmentHit& Segment, double& D) {
  D = 1.7e308;
  bool hit = false;
  if (Strokes.PointCount() < 2) return false;
  std::int32_t first = 0;
  for (std::int32_t part = 0; part < Strokes.PartCount(); ++part) {
    const std::int32_t n = Strokes.Part(part);
    for (std::int32_t k = first + 1; k < first + n; ++k) {
      const TPoint a = Strokes.Point(k - 1);
      const TPoint b = Strokes.Point(k);
      // M is a text matrix: it takes (U, V) = (-y, x), U upwards and V along
      // the text, as the strokes are drawn.
      const TRealPoint wa = AffineTransformPoint(M, TRealPoint{-double(a.Y), double(a.X)});
      const TRealPoint wb = AffineTransformPoint(M, TRealPoint{-double(b.Y), double(b.X)});
      double d = 0.0;
      if (Segment.SegmentHitDistance(wa, wb, P, Tol, d) && d < D) {
        D = d;
        hit = true;
      }
    }
    first += n;
  }
  return hit;
}
