#include "mkexamples/exampleset.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <numbers>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "common/defwrite.h"
#include "foundation/text/datetime.h"
#include "layers/store/bazai.h"
#include "layers/store/layerapi.h"
#include "layers/store/layerfiles.h"
#include "layers/store/layerformat.h"
#include "objects/fraction.h"
#include "objects/layerline.h"
#include "objects/linestylelib.h"
#include "objects/point.h"
#include "objects/styledlines.h"
#include "objects/symbol.h"
#include "objects/texts.h"
#include "platform/files/codepage.h"
#include "platform/files/inifile.h"
#include "tools/oldlayer.h"

namespace {

namespace fs = std::filesystem;

// --- Plain helpers -------------------------------------------------------------

// A small deterministic generator (64-bit LCG, high bits), the same on every
// platform, unlike the standard distributions.
class Rng {
public:
  explicit Rng(std::uint64_t seed) : state_(seed) {}
  std::uint32_t Next() {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<std::uint32_t>(state_ >> 33);
  }
  // In [a, b).
  double Uniform(double a, double b) { return a + (b - a) * (Next() / 2147483648.0); }
  // In [a, b].
  int Int(int a, int b) { return a + static_cast<int>(Next() % static_cast<std::uint32_t>(b - a + 1)); }
  bool Chance(double p) { return Uniform(0, 1) < p; }

private:
  std::uint64_t state_;
};

// Local coordinates (metres east and north of the sheet's corner) to the
// grid of the map.
constexpr double kOriginX = 5601200.0;
constexpr double kOriginY = 5823500.0;

TRealPoint W(double u, double v) { return TRealPoint{kOriginX + u, kOriginY + v}; }
TPointRec W3(double u, double v, float z = 0.0f) { return TPointRec{kOriginX + u, kOriginY + v, z}; }

// Rounded to centimetres, as surveyed coordinates are.
double Cm(double v) { return std::round(v * 100.0) / 100.0; }

void WriteText(const fs::path& path, const std::string& utf8) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << platform::Utf8ToCp1250(utf8);
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

TPackedDateTime Date(int year, int month, int day, int hour, int minute) {
  TDateTimeRec r;
  r.Year = static_cast<std::uint16_t>(year);
  r.Month = static_cast<std::uint16_t>(month);
  r.Day = static_cast<std::uint16_t>(day);
  r.Hour = static_cast<std::uint16_t>(hour);
  r.Minute = static_cast<std::uint16_t>(minute);
  TPackedDateTime d = 0;
  PackDateTime(d, r);
  return d;
}

// The survey the map was made from and the later update, as the records'
// survey-document identifiers, users and dates.
constexpr std::uint32_t kSurveyOperat = 2019015;
constexpr std::uint32_t kUpdateOperat = 2023042;
constexpr std::uint16_t kSurveyUser = 1;
constexpr std::uint16_t kUpdateUser = 2;
const TPackedDateTime kSurveyDate = Date(2019, 5, 14, 9, 30);
const TPackedDateTime kUpdateDate = Date(2023, 10, 3, 13, 15);

// --- Definition files --------------------------------------------------------

using defwrite::Element;

// Line styles of the map (numbers above the built-in 1 to 14).
constexpr std::uint16_t kStyleKerb = 20;
constexpr std::uint16_t kStyleFence = 21;
constexpr std::uint16_t kStyleDitch = 22;
constexpr std::uint16_t kStylePrecinct = 23;
constexpr std::uint16_t kStyleAxis = 24;
constexpr std::uint16_t kStyleWater = 25;

std::string SymbolLibrary() {
  const std::string circle1 = Element(0, 0, 0, 0, 1, kElemCircle);
  const std::vector<defwrite::SymbolDef> symbols = {
      // Deciduous tree: a crown and its trunk.
      {"DRZEWO",
       {1.5, 3, 6, 15},
       1.0,
       {circle1, Element(0, 0, 0, 0, 0.15, kElemCircle), Element(0, 0, 0, 0, 1, kElemBoundsRound)}},
      // Conifer: a six-pointed star in a circle.
      {"DRZEWO_IGL",
       {1.5, 3, 6, 15},
       1.0,
       {circle1, Element(0, -1, 0, 1, 0, kElemLine), Element(-0.87, -0.5, 0.87, 0.5, 0, kElemLine),
        Element(-0.87, 0.5, 0.87, -0.5, 0, kElemLine), Element(0, 0, 0, 0, 1, kElemBoundsRound)}},
      // Overhead line pole.
      {"SLUP",
       {1, 2, 4, 10},
       1.0,
       {Element(0, 0, 0, 0, 0.5, kElemCircle), Element(-1, 0, -0.5, 0, 0, kElemLine),
        Element(0.5, 0, 1, 0, 0, kElemLine), Element(-1, 0.5, 1, -0.5, 0, kElemBoundsRect)}},
      {"HYDRANT",
       {1, 2, 4, 10},
       1.0,
       {Element(0, 0, 0, 0, 0.6, kElemCircle), Element(0, 0.6, 0, 1, 0, kElemLine),
        Element(-0.4, 1, 0.4, 1, 0, kElemLine), Element(-0.6, 1, 0.6, -0.6, 0, kElemBoundsRect)}},
      // Well: a circle in a square.
      {"STUDNIA",
       {1.5, 3, 6, 12},
       1.0,
       {Element(-1, -1, 1, -1, 0, kElemLine), Element(1, -1, 1, 1, 0, kElemLine),
        Element(1, 1, -1, 1, 0, kElemLine), Element(-1, 1, -1, -1, 0, kElemLine),
        Element(0, 0, 0, 0, 0.6, kElemCircle), Element(-1, 1, 1, -1, 0, kElemBoundsRect)}},
      // Survey control point: a triangle with its centre.
      {"PKT_OSN",
       {1.5, 3, 6, 12},
       1.0,
       {Element(-0.87, -0.5, 0.87, -0.5, 0, kElemLine), Element(0.87, -0.5, 0, 1, 0, kElemLine),
        Element(0, 1, -0.87, -0.5, 0, kElemLine), Element(0, 0, 0, 0, 0.12, kElemCircle),
        Element(0, 0, 0, 0, 1, kElemBoundsRound)}},
      // Wayside shrine: a cross on a rounded base.
      {"KAPLICZKA",
       {2, 4, 8, 16},
       1.0,
       {Element(0, -0.5, 0, 1, 0, kElemLine), Element(-0.4, 0.6, 0.4, 0.6, 0, kElemLine),
        Element(0.5, -0.5, -0.5, -0.5, 0.5, kElemArc), Element(-0.5, -1, 0.5, -1, 0, kElemLine),
        Element(-0.6, 1, 0.6, -1, 0, kElemBoundsRect)}},
  };
  return defwrite::SymbolFile(symbols);
}

std::string LineStyleLibrary() {
  using defwrite::LineRecord;
  using defwrite::NoSection;
  using defwrite::Section;
  std::string elements;
  std::int32_t count = 0;
  auto add = [&](double x1, double y1, double x2, double y2, double r, std::uint8_t type) {
    elements += Element(x1, y1, x2, y2, r, type);
    return ++count;
  };
  std::string recs;
  std::size_t records = 0;

  // Kerb: a continuous line with a short tick to the road side every 4 mm.
  const int kerb = add(0, 0, 0, 4, 0, kElemLine);
  add(0, 0, -0.6, 0, 0, kElemLine);
  recs += LineRecord("KRAWEZNIK", kStyleKerb, 0, -1, NoSection(), Section(kerb, 2, 0, 4, 11), NoSection());
  ++records;

  // Fence: a line with a tick every 5 mm, a post at each end; at 1:500 the
  // ticks come twice as often.
  const int fence = add(0, 0, 0, 5, 0, kElemLine);
  add(0, 2.5, 0.8, 2.5, 0, kElemLine);
  const int post = add(0, 0, 0, 0, 0.3, kElemCircle);
  const int fence500 = add(0, 0, 0, 2.5, 0, kElemLine);
  add(0, 1.25, 0.8, 1.25, 0, kElemLine);
  recs += LineRecord("OGRODZENIE", kStyleFence, 1, -1, Section(post, 1, 0, 0.3, 0),
                     Section(fence, 2, 0, 5, 11), Section(post, 1, 0, 0.3, 0));
  recs += defwrite::VariantRecord(500, -1, Section(post, 1, 0, 0.3, 0), Section(fence500, 2, 0, 2.5, 11),
                                  Section(post, 1, 0, 0.3, 0));
  records += 2;

  // Ditch: dashes of 3 mm with gaps of 1.5 mm.
  const int dash3 = add(0, 0, 0, 3, 0, kElemLine);
  recs += LineRecord("ROW", kStyleDitch, 0, -1, NoSection(), Section(dash3, 1, 0, 4.5, 11), NoSection());
  ++records;

  // Precinct boundary: dash and dot.
  const int dash4 = add(0, 0, 0, 4, 0, kElemLine);
  add(0, 5.5, 0, 5.5, 0.2, kElemCircle);
  recs += LineRecord("GRANICA_OBR", kStylePrecinct, 0, -1, NoSection(), Section(dash4, 2, 0, 7, 11),
                     NoSection());
  ++records;

  // Road axis: long dashes.
  const int dash6 = add(0, 0, 0, 6, 0, kElemLine);
  recs += LineRecord("OS_DROGI", kStyleAxis, 0, -1, NoSection(), Section(dash6, 1, 0, 9, 11), NoSection());
  ++records;

  // Water main: a plain dash-dot pen.
  recs += LineRecord("WODOCIAG", kStyleWater, 0, 3, NoSection(), NoSection(), NoSection());
  ++records;

  return defwrite::DefinitionFile(kLineStyleFileMagic, records, recs, elements);
}

// --- Stroke fonts --------------------------------------------------------------

// Glyph outlines: parts separated by '|', points "x,y" by blanks; a cell of
// 6 by 10 units, y downwards, the base line at 10.
defwrite::Glyph ParseGlyph(std::uint8_t advance, const std::string& text) {
  defwrite::Glyph g;
  g.Advance = advance;
  defwrite::TStroke part;
  std::size_t i = 0;
  while (i <= text.size()) {
    if (i == text.size() || text[i] == '|') {
      if (!part.empty()) g.Parts.push_back(part);
      part.clear();
      ++i;
      continue;
    }
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    std::size_t used = 0;
    const int x = std::stoi(text.substr(i), &used);
    i += used + 1;  // the comma
    const int y = std::stoi(text.substr(i), &used);
    i += used;
    part.emplace_back(x, y);
  }
  return g;
}

// The lower-case form of an upper-case outline: the same shape over the
// x-height (rows 4 to 10).
defwrite::Glyph Lower(defwrite::Glyph g) {
  for (auto& part : g.Parts)
    for (auto& [x, y] : part) y = 4 + static_cast<int>(std::lround(y * 0.6));
  return g;
}

defwrite::Glyph With(defwrite::Glyph g, const std::string& extra) {
  for (auto& part : ParseGlyph(0, extra).Parts) g.Parts.push_back(part);
  return g;
}

defwrite::FontSpec StrokeFont(std::uint8_t advance) {
  std::map<int, defwrite::Glyph> glyphs;
  const char* upper[26] = {
      "0,10 3,0 6,10|1,6 5,6",
      "0,10 0,0 4,0 6,1 6,4 4,5 0,5|4,5 6,6 6,9 4,10 0,10",
      "6,1 5,0 1,0 0,1 0,9 1,10 5,10 6,9",
      "0,0 0,10 4,10 6,8 6,2 4,0 0,0",
      "6,0 0,0 0,10 6,10|0,5 4,5",
      "6,0 0,0 0,10|0,5 4,5",
      "6,1 5,0 1,0 0,1 0,9 1,10 5,10 6,9 6,6 3,6",
      "0,0 0,10|6,0 6,10|0,5 6,5",
      "1,0 5,0|3,0 3,10|1,10 5,10",
      "6,0 6,9 5,10 1,10 0,9 0,7",
      "0,0 0,10|6,0 0,6|2,4 6,10",
      "0,0 0,10 6,10",
      "0,10 0,0 3,5 6,0 6,10",
      "0,10 0,0 6,10 6,0",
      "1,0 5,0 6,1 6,9 5,10 1,10 0,9 0,1 1,0",
      "0,10 0,0 5,0 6,1 6,4 5,5 0,5",
      "1,0 5,0 6,1 6,9 5,10 1,10 0,9 0,1 1,0|4,8 6,11",
      "0,10 0,0 5,0 6,1 6,4 5,5 0,5|3,5 6,10",
      "6,1 5,0 1,0 0,1 0,4 1,5 5,5 6,6 6,9 5,10 1,10 0,9",
      "0,0 6,0|3,0 3,10",
      "0,0 0,9 1,10 5,10 6,9 6,0",
      "0,0 3,10 6,0",
      "0,0 1,10 3,5 5,10 6,0",
      "0,0 6,10|6,0 0,10",
      "0,0 3,5 6,0|3,5 3,10",
      "0,0 6,0 0,10 6,10",
  };
  const char* digits[10] = {
      "1,0 5,0 6,1 6,9 5,10 1,10 0,9 0,1 1,0",
      "1,2 3,0 3,10|1,10 5,10",
      "0,1 1,0 5,0 6,1 6,4 0,10 6,10",
      "0,1 1,0 5,0 6,1 6,4 5,5 2,5|5,5 6,6 6,9 5,10 1,10 0,9",
      "5,10 5,0 0,7 6,7",
      "6,0 0,0 0,4 5,4 6,5 6,9 5,10 1,10 0,9",
      "5,0 2,0 0,2 0,9 1,10 5,10 6,9 6,6 5,5 0,5",
      "0,0 6,0 2,10",
      "1,0 5,0 6,1 6,4 5,5 1,5 0,4 0,1 1,0|1,5 0,6 0,9 1,10 5,10 6,9 6,6 5,5",
      "6,5 1,5 0,4 0,1 1,0 5,0 6,1 6,8 4,10 1,10",
  };
  for (int i = 0; i < 26; ++i) {
    glyphs['A' + i] = ParseGlyph(advance, upper[i]);
    glyphs['a' + i] = Lower(glyphs['A' + i]);
  }
  for (int i = 0; i < 10; ++i) glyphs['0' + i] = ParseGlyph(advance, digits[i]);
  glyphs[' '] = ParseGlyph(static_cast<std::uint8_t>(advance - 3), "");
  glyphs['.'] = ParseGlyph(3, "0,9 1,9 1,10 0,10 0,9");
  glyphs[','] = ParseGlyph(3, "1,9 1,10 0,12");
  glyphs[':'] = ParseGlyph(3, "0,3 1,3 1,4 0,4 0,3|0,9 1,9 1,10 0,10 0,9");
  glyphs['-'] = ParseGlyph(6, "0,5 4,5");
  glyphs['/'] = ParseGlyph(7, "0,10 5,0");
  glyphs['('] = ParseGlyph(5, "3,0 1,2 1,8 3,10");
  glyphs[')'] = ParseGlyph(5, "0,0 2,2 2,8 0,10");

  // The Polish letters of code page 1250: the base letter with an acute, a
  // dot, an ogonek or a stroke.
  const std::string acute = "3,-1 5,-3", acuteLow = "3,3 5,1";
  const std::string dot = "3,-3 4,-3 4,-2 3,-2 3,-3", dotLow = "3,1 4,1 4,2 3,2 3,1";
  const std::string ogonek = "5,10 4,11 5,12 6,12";
  struct Polish {
    int upper, lower;
    char base;
    const std::string* mark;
    const std::string* markLow;
  };
  const Polish polish[] = {
      {0xA5, 0xB9, 'A', &ogonek, &ogonek}, {0xC6, 0xE6, 'C', &acute, &acuteLow},
      {0xCA, 0xEA, 'E', &ogonek, &ogonek}, {0xD1, 0xF1, 'N', &acute, &acuteLow},
      {0xD3, 0xF3, 'O', &acute, &acuteLow}, {0x8C, 0x9C, 'S', &acute, &acuteLow},
      {0x8F, 0x9F, 'Z', &acute, &acuteLow}, {0xAF, 0xBF, 'Z', &dot, &dotLow},
  };
  for (const Polish& p : polish) {
    glyphs[p.upper] = With(glyphs[p.base], *p.mark);
    glyphs[p.lower] = With(glyphs[p.base + 32], *p.markLow);
  }
  glyphs[0xA3] = With(glyphs['L'], "-1,6 3,3");
  glyphs[0xB3] = With(glyphs['l'], "-1,8 2,6");

  defwrite::FontSpec font;
  font.First = 32;
  font.Height = 10;
  font.A = 10;
  font.B = 1;
  font.D = -2;
  for (int code = 32; code <= 255; ++code) {
    auto it = glyphs.find(code);
    font.Glyphs.push_back(it != glyphs.end() ? it->second : ParseGlyph(advance, ""));
  }
  return font;
}

// --- Layer files -------------------------------------------------------------

// The database stand-in of the builder: one user with every right; the
// records' users and dates are set afterwards (LayerWriter::Close).
class BuilderBase : public ILayerBase {
public:
  std::uint16_t UserNumber() const override { return kSurveyUser; }
  bool IsReadOnly() const override { return false; }
  bool CanExport() const override { return true; }
};

struct Stamp {
  std::uint16_t Creator = kSurveyUser;
  std::uint16_t Modifier = kSurveyUser;
  TPackedDateTime Created = 0;
  TPackedDateTime Modified = 0;
};

// A sublayer as the builder describes it.
struct Sub {
  const char* Short;
  const char* Full;
  std::uint32_t Colour;
  std::uint16_t Style = 1;
  float Width = 0.0f;
  std::uint8_t Justification = 23;
  // Text sublayers: the height of a new text, in millimetres, and the size
  // of a symbol that has none of its own.
  float TextHeight = 1.0f;
};

// One new layer file, written through the layer store; afterwards the
// creators, modifiers and dates of its records are put in place of the
// builder's run, so that the output is the same on every run.
class LayerWriter {
public:
  LayerWriter(ILayerBase& base, const fs::path& dir, const std::string& name, int kind,
              const std::string& description, const std::vector<Sub>& subs)
      : kind_(kind) {
    TMainWarstwaHeader h;
    h.Kind = static_cast<std::uint32_t>(kind);
    h.Description = description;
    h.Slots = layerfmt::kMinSlots;
    const std::string fileName = TLayerStore::MakeFileName(name, kind);
    const std::string folder = dir.string() + "/";
    if (kind == layerfmt::kKindLine)
      file_ = TNewLinWarstwaFile::CreateNew(&base, folder, h, fileName);
    else
      file_ = TNewTextWarstwaFile::CreateNew(&base, folder, h, fileName);
    std::uint8_t mode = kOpenWrite;
    if (file_->Open(mode) != 0) throw std::runtime_error("cannot open " + file_->Path());
    for (std::size_t i = 0; i < subs.size(); ++i) {
      TWarstwaHeader s;
      s.Type = 4u | static_cast<std::uint32_t>(kind);
      s.ShortName = subs[i].Short;
      s.FullName = subs[i].Full;
      s.Colour = subs[i].Colour;
      s.PrintColour = subs[i].Colour;
      s.LineWidth = subs[i].Width;
      s.StyleNumber = subs[i].Style;
      s.Justification = subs[i].Justification;
      s.SizeMultiplier = subs[i].TextHeight;
      file_->WritePodwarstwaHeader(s, static_cast<int>(i));
    }
    sublayers_ = subs.size();
  }
  ~LayerWriter() {
    if (file_ && file_->IsOpen()) {
      try {
        file_->Close();
      } catch (...) {
      }
    }
  }

  // The new record of obj in sublayer sub, made by the survey.
  std::int64_t Add(const TEGraphObj& obj, int sub) {
    ObjectSaveRecord rec;
    Save(obj, sub, kSurveyOperat, rec);
    const std::int64_t n = file_->AddRecord(rec);
    if (file_->LastTextCut()) throw std::runtime_error("text cut in " + file_->Path());
    stamps_[n] = Stamp{kSurveyUser, kSurveyUser, kSurveyDate, kSurveyDate};
    count_ = std::max(count_, n);
    return n;
  }

  // Record n changed by the update: its earlier state goes to the archive.
  void Rewrite(std::int64_t n, const TEGraphObj& obj, int sub) {
    ObjectSaveRecord rec;
    Save(obj, sub, kUpdateOperat, rec);
    const Stamp before = stamps_.at(n);
    file_->WriteRecord(n, rec);
    // With no free slot the archived copy is appended.
    const std::int64_t copy = ++count_;
    ObjectSaveRecord check;
    if (file_->ReadRecordAt(copy, check) != 0 || !check.IsArchived())
      throw std::runtime_error("archived copy not where expected in " + file_->Path());
    stamps_[copy] = Stamp{before.Creator, kUpdateUser, before.Created, kUpdateDate};
    stamps_[n] = Stamp{before.Creator, kUpdateUser, before.Created, kUpdateDate};
    ++archived_;
  }

  // Record n deleted by the update (archived in place).
  void Remove(std::int64_t n) {
    file_->MoveToArch(n, kUpdateOperat);
    Stamp& s = stamps_.at(n);
    s.Modifier = kUpdateUser;
    s.Modified = kUpdateDate;
    ++archived_;
  }

  // Closes the file and sets the records' users and dates.
  void Close(TExampleSetSummary& summary) {
    TMainWarstwaHeader h;
    file_->ReadWarstwaHeader(h);
    const std::string path = file_->Path();
    if (file_->Close() != 0) throw std::runtime_error("cannot close " + path);
    std::fstream f(path, std::ios::binary | std::ios::in | std::ios::out);
    if (!f) throw std::runtime_error("cannot open " + path);
    for (const auto& [n, s] : stamps_) {
      std::uint8_t b[12];
      b[0] = static_cast<std::uint8_t>(s.Creator);
      b[1] = static_cast<std::uint8_t>(s.Creator >> 8);
      b[2] = static_cast<std::uint8_t>(s.Modifier);
      b[3] = static_cast<std::uint8_t>(s.Modifier >> 8);
      for (int i = 0; i < 4; ++i) {
        b[4 + i] = static_cast<std::uint8_t>(s.Created >> (8 * i));
        b[8 + i] = static_cast<std::uint8_t>(s.Modified >> (8 * i));
      }
      f.seekp(layerfmt::RecordAddress(n, h.Slots, file_->RecordSize()) +
              static_cast<std::int64_t>(layerfmt::kRecCreator));
      f.write(reinterpret_cast<const char*>(b), sizeof b);
    }
    f.close();
    if (!f) throw std::runtime_error("cannot set the record dates of " + path);
    summary.Layers += 1;
    summary.LiveRecords += static_cast<std::size_t>(count_ - archived_);
    summary.ArchivedRecords += static_cast<std::size_t>(archived_);
  }

  int Sublayers() const { return static_cast<int>(sublayers_); }

private:
  void Save(const TEGraphObj& obj, int sub, std::uint32_t operat, ObjectSaveRecord& rec) const {
    if (sub < 0 || static_cast<std::size_t>(sub) >= sublayers_)
      throw std::logic_error("no such sublayer");
    obj.SaveToRecord(rec);
    if (rec.Truncated()) throw std::runtime_error("a value does not fit its record");
    rec.SetSublayer(static_cast<std::uint8_t>(sub));
    rec.SetIdentifier(operat);
  }

  int kind_;
  std::unique_ptr<TNewTextLinWarstwaFile> file_;
  std::size_t sublayers_ = 0;
  std::map<std::int64_t, Stamp> stamps_;
  std::int64_t count_ = 0;
  std::int64_t archived_ = 0;
};

// Colours (0x00BBGGRR).
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kRed = 0x0000FF;
constexpr std::uint32_t kBlue = 0xFF0000;
constexpr std::uint32_t kGreen = 0x008000;
constexpr std::uint32_t kBrown = 0x004080;
constexpr std::uint32_t kGrey = 0x808080;
constexpr std::uint32_t kMagenta = 0x800080;

// Justification of texts: 1..9 as on a keypad turned upside down (7 left
// bottom, 5 centre).
constexpr std::uint8_t kCentre = 5;
constexpr std::uint8_t kLeftBottom = 7;

// --- The map -----------------------------------------------------------------

// Layout, in local metres: a main road (ul. Lipowa) from west to east with
// its kerbs at v = 236 and 244, a side road (ul. Polna) from south to north
// with its kerbs at u = 356 and 364; their road parcels reach 2 m beyond the
// kerbs. The four blocks between them are cut into strips across the main
// road; most strips are divided into a building plot at the road and a
// field behind it.
constexpr double kWidth = 720, kHeight = 480;
constexpr double kMainS = 234, kMainN = 246;  // road parcel of ul. Lipowa
constexpr double kSideW = 354, kSideE = 366;  // road parcel of ul. Polna
constexpr double kPlotDepth = 70;             // building plots, from the road

struct Block {
  double U0, U1;   // west and east edges
  double VRoad;    // edge at the main road
  double VBack;    // edge away from it
};

struct Strip {
  double U0, U1;
  bool Divided;
  int Number;
};

class MapBuilder {
public:
  MapBuilder(const fs::path& root, TExampleSetSummary& summary, const TLineManager& styles)
      : root_(root), summary_(summary), styles_(styles), rng_(20231003) {}

  void Build() {
    const fs::path ewid = root_ / "mapa" / "ewid";
    const fs::path syt = root_ / "mapa" / "sytuacja";
    fs::create_directories(ewid);
    fs::create_directories(syt);

    LayerWriter dzialki(base_, ewid, "DZIALKI", layerfmt::kKindLine, "Granice działek i obrębu",
                        {{"Działki", "Granice działek ewidencyjnych", kBlack},
                         {"Obręb", "Granica obrębu 0012 Nowa Wieś", kMagenta, kStylePrecinct, 0.5f}});
    LayerWriter budynki(base_, ewid, "BUDYNKI", layerfmt::kKindLine, "Budynki",
                        {{"Mieszkalne", "Budynki mieszkalne", kRed, 1, 0.35f},
                         {"Gospodarcze", "Budynki gospodarcze", kBrown, 1, 0.25f}});
    LayerWriter punkty(base_, ewid, "PUNKTY", layerfmt::kKindLine, "Punkty graniczne i pikiety",
                       {{"Graniczne", "Punkty graniczne", kBlack}, {"Pikiety", "Pikiety wysokościowe", kGrey}});
    LayerWriter numery(base_, ewid, "NUMERY", layerfmt::kKindText, "Numery działek, punktów i opisy budynków",
                       {{"Nr działek", "Numery działek ewidencyjnych", kBlack, 1, 0, kCentre, 2.0f},
                        {"Nr punktów", "Numery punktów granicznych", kBlack, 1, 0, kLeftBottom, 1.0f},
                        {"Budynki", "Opisy budynków", kRed, 1, 0, kCentre, 1.5f}});
    LayerWriter drogi(base_, syt, "DROGI", layerfmt::kKindLine, "Drogi: krawężniki i osie",
                      {{"Krawężniki", "Krawężniki jezdni", kBlack, kStyleKerb},
                       {"Osie", "Osie dróg", kGrey, kStyleAxis}});
    LayerWriter sytuacja(base_, syt, "SYTUACJA", layerfmt::kKindLine, "Ogrodzenia, rowy, staw",
                         {{"Ogrodzenia", "Ogrodzenia działek", kBlack, kStyleFence},
                          {"Rowy", "Rowy melioracyjne", kBlue, kStyleDitch},
                          {"Wody", "Staw", kBlue}});
    LayerWriter uzbroj(base_, syt, "UZBROJ", layerfmt::kKindLine, "Uzbrojenie terenu: wodociąg",
                       {{"Wodociąg", "Sieć wodociągowa", kBlue, kStyleWater},
                        {"Studzienki", "Studzienki i zasuwy", kBlue}});
    LayerWriter opisy(base_, syt, "OPISY", layerfmt::kKindText, "Nazwy ulic, symbole i opisy",
                      {{"Ulice", "Nazwy ulic", kBlack, 1, 0, kCentre, 2.5f},
                       {"Symbole", "Drzewa, słupy, hydranty, studnie", kGreen, 1, 0, kCentre, 1.0f},
                       {"Opisy", "Opisy użytków i obiektów", kBlack, 1, 0, kLeftBottom, 2.0f}});
    dzialki_ = &dzialki;
    budynki_ = &budynki;
    punkty_ = &punkty;
    numery_ = &numery;
    drogi_ = &drogi;
    sytuacja_ = &sytuacja;
    uzbroj_ = &uzbroj;
    opisy_ = &opisy;

    Precinct();
    Roads();
    const Block blocks[] = {
        {0, kSideW, kMainS, 0},           // south-west
        {kSideE, kWidth, kMainS, 0},      // south-east
        {0, kSideW, kMainN, kHeight},     // north-west
        {kSideE, kWidth, kMainN, kHeight} // north-east
    };
    for (const Block& b : blocks) Parcels(b);
    WaterMain();
    SpotHeights();
    Pond();
    Update();

    for (LayerWriter* w : {&dzialki, &budynki, &punkty, &numery, &drogi, &sytuacja, &uzbroj, &opisy})
      w->Close(summary_);
  }

private:
  const TLine* Style(std::uint16_t number) const {
    const TLine* line = styles_.GetLine(number);
    if (line == nullptr) throw std::logic_error("line style missing from the library");
    return line;
  }

  std::int64_t Segment(LayerWriter& w, int sub, double u0, double v0, double u1, double v1) {
    TDefSpecLinia line(W(Cm(u0), Cm(v0)), W(Cm(u1), Cm(v1)));
    return w.Add(line, sub);
  }

  std::int64_t Styled(LayerWriter& w, int sub, std::uint16_t style, double u0, double v0, double u1,
                      double v1, std::uint8_t thickness = 0) {
    TLiniaSpecjalna line(W(Cm(u0), Cm(v0)), W(Cm(u1), Cm(v1)), Style(style), 1.0);
    line.Style.Thickness = thickness;
    return w.Add(line, sub);
  }

  // A boundary point, numbered once however many parcels share it.
  void BoundaryPoint(double u, double v) {
    const auto key = std::make_pair(std::lround(u * 100), std::lround(v * 100));
    if (!points_.insert(key).second) return;
    if (points_.size() == 1) firstPoint_ = {u, v};
    TPunkt p(W(Cm(u), Cm(v)));
    p.Position.Z = static_cast<float>(Cm(Height(u, v)));
    punkty_->Add(p, 0);
    // The number beside the point, inside the sheet.
    const double du = u > kWidth - 1 ? -3.0 : 0.6, dv = v > kHeight - 1 ? -1.6 : 0.6;
    TWysKatNapis number(W(Cm(u + du), Cm(v + dv)), std::to_string(nextPoint_++), 1.0, kLeftBottom, false,
                        0.0f);
    numery_->Add(number, 1);
  }

  // A boundary line between two points, drawn once.
  void Boundary(double u0, double v0, double u1, double v1) {
    auto a = std::make_pair(std::lround(u0 * 100), std::lround(v0 * 100));
    auto b = std::make_pair(std::lround(u1 * 100), std::lround(v1 * 100));
    if (b < a) std::swap(a, b);
    if (!lines_.insert({a, b}).second) return;
    Segment(*dzialki_, 0, u0, v0, u1, v1);
    BoundaryPoint(u0, v0);
    BoundaryPoint(u1, v1);
  }

  // The terrain: a gentle slope to the south-east with a low hill.
  static double Height(double u, double v) {
    const double du = u - 520, dv = v - 390;
    return 182.0 - 0.012 * u + 0.008 * v + 3.5 * std::exp(-(du * du + dv * dv) / 9000.0);
  }

  void Precinct() {
    const double c[5][2] = {{0, 0}, {kWidth, 0}, {kWidth, kHeight}, {0, kHeight}, {0, 0}};
    for (int i = 0; i < 4; ++i) {
      // Cut into 60 m pieces, as the boundary was surveyed.
      const double du = c[i + 1][0] - c[i][0], dv = c[i + 1][1] - c[i][1];
      const double len = std::hypot(du, dv);
      const int pieces = static_cast<int>(std::ceil(len / 60));
      for (int k = 0; k < pieces; ++k)
        Segment(*dzialki_, 1, c[i][0] + du * k / pieces, c[i][1] + dv * k / pieces,
                c[i][0] + du * (k + 1) / pieces, c[i][1] + dv * (k + 1) / pieces);
    }
    TWysKatNapis name(W(40, 462), "Obręb 0012 Nowa Wieś", 4.0, kLeftBottom, false, 0.0f);
    opisy_->Add(name, 2);
    const double control[4][2] = {{8, 8}, {712, 8}, {712, 472}, {8, 472}};
    for (const auto& c : control) {
      TWysKatSymbol s;
      s.Position = W(c[0], c[1]);
      s.Text = "PKT_OSN";
      s.Height = 3.0f;
      opisy_->Add(s, 1);
    }
  }

  void Roads() {
    const double r = 6;  // kerb radius at the crossing
    const double mS = kMainS + 2, mN = kMainN - 2, sW = kSideW + 2, sE = kSideE - 2;
    // Kerbs of ul. Lipowa, in 20 m pieces, broken by the crossing's curves.
    auto kerbRun = [&](double u0, double u1, double v) {
      for (double u = u0; u < u1 - 0.01; u += 20) Styled(*drogi_, 0, kStyleKerb, u, v, std::min(u + 20, u1), v);
    };
    auto kerbRunNS = [&](double v0, double v1, double u) {
      for (double v = v0; v < v1 - 0.01; v += 20) Styled(*drogi_, 0, kStyleKerb, u, v, u, std::min(v + 20, v1));
    };
    kerbRun(0, sW - r, mS);
    kerbRun(sE + r, kWidth, mS);
    kerbRun(0, sW - r, mN);
    kerbRun(sE + r, kWidth, mN);
    kerbRunNS(0, mS - r, sW);
    kerbRunNS(0, mS - r, sE);
    kerbRunNS(mN + r, kHeight, sW);
    kerbRunNS(mN + r, kHeight, sE);
    // The four curves, drawn in the kerb style as special arcs.
    const double arcs[4][4] = {{sW - r, mS, sW, mS - r},
                               {sE, mS - r, sE + r, mS},
                               {sE + r, mN, sE, mN + r},
                               {sW, mN + r, sW - r, mN}};
    for (const auto& a : arcs) {
      TLukSpecjalny arc(W3(a[0], a[1]), W3(a[2], a[3]), r);
      arc.Style.InitStyle(Style(kStyleKerb), 1.0, 0);
      drogi_->Add(arc, 0);
    }
    // Axes.
    for (double u = 0; u < kWidth - 0.01; u += 40) Styled(*drogi_, 1, kStyleAxis, u, 240, u + 40, 240);
    for (double v = 0; v < kHeight - 0.01; v += 40) Styled(*drogi_, 1, kStyleAxis, 360, v, 360, v + 40);
    // Road parcel corners: rounded by arcs of radius 8 in the parcel layer.
    const double c = 8;
    const double corners[4][4] = {{kSideW - c, kMainS, kSideW, kMainS - c},
                                  {kSideE, kMainS - c, kSideE + c, kMainS},
                                  {kSideE + c, kMainN, kSideE, kMainN + c},
                                  {kSideW, kMainN + c, kSideW - c, kMainN}};
    for (const auto& a : corners) {
      TDefSpecLuk arc(W3(a[0], a[1]), W3(a[2], a[3]), c);
      dzialki_->Add(arc, 0);
      BoundaryPoint(a[0], a[1]);
      BoundaryPoint(a[2], a[3]);
    }
    // Street names along the roads.
    for (double u : {120.0, 560.0}) {
      TWysKatNapis name(W(u, 238.6), "ul. Lipowa", 2.5, kCentre, false, 0.0f);
      opisy_->Add(name, 0);
    }
    for (double v : {110.0, 380.0}) {
      TWysKatNapis name(W(361.4, v), "ul. Polna", 2.5, kCentre, false, static_cast<float>(std::numbers::pi / 2));
      opisy_->Add(name, 0);
    }
    // Poles along the north side of ul. Lipowa, hydrants by the water main.
    for (double u = 15; u < kWidth; u += 35) {
      if (std::fabs(u - 360) < 12) continue;
      TWysKatSymbol s;
      s.Position = W(Cm(u), 245.2);
      s.Text = "SLUP";
      opisy_->Add(s, 1);
    }
    for (double u = 60; u < kWidth; u += 120) {
      TWysKatSymbol s;
      s.Position = W(Cm(u), 235.0);
      s.Text = "HYDRANT";
      opisy_->Add(s, 1);
    }
  }

  void Parcels(const Block& b) {
    const bool north = b.VBack > b.VRoad;
    const double dir = north ? 1 : -1;
    const double vPlot = b.VRoad + dir * kPlotDepth;
    // Strips of 18 to 32 m; the last one takes what is left.
    std::vector<Strip> strips;
    for (double u = b.U0; u < b.U1 - 0.01;) {
      double w = Cm(rng_.Uniform(18, 32));
      if (b.U1 - (u + w) < 18) w = b.U1 - u;
      strips.push_back(Strip{u, u + w, rng_.Chance(0.8), nextParcel_++});
      u += w;
    }
    // The corner at the crossing is cut by the road parcel's arc.
    const bool crossingAtEast = b.U1 == kSideW;
    for (std::size_t i = 0; i < strips.size(); ++i) {
      const Strip& s = strips[i];
      const bool cornerEast = crossingAtEast && i + 1 == strips.size();
      const bool cornerWest = !crossingAtEast && i == 0;
      const double roadU0 = cornerWest ? s.U0 + 8 : s.U0;
      const double roadU1 = cornerEast ? s.U1 - 8 : s.U1;
      Boundary(roadU0, b.VRoad, roadU1, b.VRoad);
      Boundary(s.U0, cornerWest ? b.VRoad + dir * 8 : b.VRoad, s.U0, vPlot);
      Boundary(s.U1, cornerEast ? b.VRoad + dir * 8 : b.VRoad, s.U1, vPlot);
      Boundary(s.U0, vPlot, s.U0, b.VBack);
      Boundary(s.U1, vPlot, s.U1, b.VBack);
      Boundary(s.U0, b.VBack, s.U1, b.VBack);
      if (s.Divided) Boundary(s.U0, vPlot, s.U1, vPlot);
      const double um = (s.U0 + s.U1) / 2;
      if (s.Divided) {
        TLicznikMianownik front(W(Cm(um), Cm(b.VRoad + dir * 40)), std::to_string(s.Number), "1", 2.0, kCentre,
                                false, 0.0f);
        numery_->Add(front, 0);
        TLicznikMianownik back(W(Cm(um), Cm(vPlot + dir * 60)), std::to_string(s.Number), "2", 2.0, kCentre,
                               false, 0.0f);
        numery_->Add(back, 0);
        if (rng_.Chance(0.3)) Label(um, vPlot + dir * 30, rng_.Chance(0.5) ? "R" : "Ł");
      } else {
        TWysKatNapis number(W(Cm(um), Cm(b.VRoad + dir * 50)), std::to_string(s.Number), 2.0, kCentre, false,
                            0.0f);
        numeryPlain_.push_back(numery_->Add(number, 0));
        plainNumbers_.push_back({s.Number, W(Cm(um), Cm(b.VRoad + dir * 50))});
      }
      Plot(s, b, dir, vPlot);
      Field(s, b, dir, vPlot);
    }
  }

  // A land-use label ("R" arable, "Ł" meadow, "B" built-up) with the sign's
  // reference point.
  void Label(double u, double v, const std::string& text) {
    TWysKatOdnNapis label(W(Cm(u), Cm(v)), text, 2.0, kCentre, false, 0.0f, W(Cm(u + 3), Cm(v - 3)));
    opisy_->Add(label, 2);
  }

  // A rectangle of the building layer, turned by angle about its corner.
  std::vector<std::int64_t> Outline(int sub, double u, double v, double w, double d, double dir) {
    const double c[5][2] = {{u, v}, {u + w, v}, {u + w, v + dir * d}, {u, v + dir * d}, {u, v}};
    std::vector<std::int64_t> records;
    for (int i = 0; i < 4; ++i) records.push_back(Segment(*budynki_, sub, c[i][0], c[i][1], c[i + 1][0], c[i + 1][1]));
    return records;
  }

  void Plot(const Strip& s, const Block& b, double dir, double vPlot) {
    const double width = s.U1 - s.U0;
    // The house, set back 6 to 10 m from the road.
    const double hw = std::min(Cm(rng_.Uniform(9, 14)), width - 6);
    const double hd = Cm(rng_.Uniform(8, 12));
    const double hu = Cm(s.U0 + rng_.Uniform(3, width - hw - 3));
    const double hv = Cm(b.VRoad + dir * rng_.Uniform(6, 10));
    const auto house = Outline(0, hu, hv, hw, hd, dir);
    const int floors = rng_.Int(1, 2);
    TWysKatNapis desc(W(Cm(hu + hw / 2), Cm(hv + dir * hd / 2)), "mj" + std::to_string(floors), 1.5, kCentre,
                      false, 0.0f);
    houses_.push_back(House{house, numery_->Add(desc, 2)});
    // One or two farm buildings behind it.
    const int sheds = rng_.Int(0, 2);
    for (int k = 0; k < sheds; ++k) {
      const double sw = Cm(rng_.Uniform(5, std::min(12.0, width - 6)));
      const double sd = Cm(rng_.Uniform(4, 8));
      const double su = Cm(s.U0 + rng_.Uniform(3, width - sw - 3));
      const double sv = Cm(b.VRoad + dir * (24 + 16 * k + rng_.Uniform(0, 6)));
      Outline(1, su, sv, sw, sd, dir);
      TWysKatNapis g(W(Cm(su + sw / 2), Cm(sv + dir * sd / 2)), "g1", 1.2, kCentre, false, 0.0f);
      numery_->Add(g, 2);
    }
    // The fence along the road, half a metre inside the plot, with a gate.
    const double fv = b.VRoad + dir * 0.5;
    const double gate = Cm(s.U0 + width * rng_.Uniform(0.3, 0.6));
    Styled(*sytuacja_, 0, kStyleFence, s.U0 + 0.5, fv, gate, fv);
    Styled(*sytuacja_, 0, kStyleFence, gate + 4, fv, s.U1 - 0.5, fv);
    // Garden trees and sometimes a well.
    const int trees = rng_.Int(2, 7);
    for (int k = 0; k < trees; ++k) {
      TWysKatSymbol t;
      t.Position = W(Cm(s.U0 + rng_.Uniform(2, width - 2)), Cm(b.VRoad + dir * rng_.Uniform(40, kPlotDepth - 3)));
      t.Text = rng_.Chance(0.75) ? "DRZEWO" : "DRZEWO_IGL";
      opisy_->Add(t, 1);
    }
    if (rng_.Chance(0.25)) {
      const double wu = Cm(s.U0 + rng_.Uniform(3, width - 3)), wv = Cm(b.VRoad + dir * rng_.Uniform(20, 35));
      TWysKatSymbol w;
      w.Position = W(wu, wv);
      w.Text = "STUDNIA";
      opisy_->Add(w, 1);
      TDefSpecOkrag ring(W3(wu, wv), 0.75);
      uzbroj_->Add(ring, 1);
    }
    // The house's water connection from the main.
    const double cu = Cm(hu + hw / 2);
    const double mainV = dir > 0 ? 241.5 : 238.5;
    uzbroj_->Add(TDefSpecLinia(W(cu, mainV), W(cu, Cm(hv))), 0);
    (void)vPlot;
  }

  void Field(const Strip& s, const Block& b, double dir, double vPlot) {
    // Field boundaries meet a ditch along the back edge.
    Styled(*sytuacja_, 1, kStyleDitch, s.U0, b.VBack - dir * 1.5, s.U1, b.VBack - dir * 1.5);
    if (rng_.Chance(0.15)) {
      TWysKatSymbol k;
      k.Position = W(Cm(s.U0 + 3), Cm(vPlot + dir * 3));
      k.Text = "KAPLICZKA";
      k.Angle = 0.0f;
      opisy_->Add(k, 1);
    }
    // Orchard rows in some fields.
    if (rng_.Chance(0.3)) {
      const double depth = std::fabs(b.VBack - vPlot);
      for (double v = 8; v < depth - 6; v += 8)
        for (double u = s.U0 + 4; u < s.U1 - 3; u += 6) {
          TWysKatSymbol t;
          t.Position = W(Cm(u), Cm(vPlot + dir * v));
          t.Text = "DRZEWO";
          t.Height = 2.0f;
          opisy_->Add(t, 1);
        }
      TWysKatOdnNapis sad(W(Cm(s.U0 + 2), Cm(vPlot + dir * 4)), "sad", 2.0, kLeftBottom, false, 0.0f,
                          W(Cm(s.U0 + 6), Cm(vPlot + dir * 8)));
      opisy_->Add(sad, 2);
    }
  }

  void WaterMain() {
    // Along both sides of ul. Lipowa, in 20 m pipes; a manhole every 60 m.
    for (double v : {238.5, 241.5}) {
      for (double u = 0; u < kWidth - 0.01; u += 20) {
        TLiniaSpecjalna pipe(W(u, v), W(u + 20, v), Style(kStyleWater), 1.0);
        pipe.Style.Thickness = kThicknessThin;
        uzbroj_->Add(pipe, 0);
        if (std::fmod(u, 60) < 0.01) {
          TOkragSpecjalny manhole(W3(u, v), 0.6);
          manhole.Style.Thickness = kThicknessThick;
          uzbroj_->Add(manhole, 1);
        }
      }
    }
    TWysKatOdnNapis w(W(30, 231), "w 110", 1.5, kLeftBottom, false, 0.0f, W(30, 238.5));
    opisy_->Add(w, 2);
  }

  void SpotHeights() {
    // A grid of 8 m over the whole sheet, roads and buildings included, as
    // the levelling was made.
    for (double v = 4; v < kHeight; v += 8)
      for (double u = 4; u < kWidth; u += 8) {
        TPunkt p(W(Cm(u + rng_.Uniform(-0.8, 0.8)), Cm(v + rng_.Uniform(-0.8, 0.8))));
        p.Position.Z = static_cast<float>(Cm(Height(u, v)));
        punkty_->Add(p, 1);
      }
  }

  void Pond() {
    // A pond of four arcs in the south-east field, and the full circle of
    // a reservoir beside it.
    const double cu = 560, cv = 90, r = 12;
    const double p[5][2] = {{cu + r, cv}, {cu, cv + r * 0.7}, {cu - r, cv}, {cu, cv - r * 0.7}, {cu + r, cv}};
    for (int i = 0; i < 4; ++i) {
      TDefSpecLuk arc(W3(p[i][0], p[i][1]), W3(p[i + 1][0], p[i + 1][1]), r);
      sytuacja_->Add(arc, 2);
    }
    sytuacja_->Add(TDefSpecOkrag(W3(590, 90), 5), 2);
    TWysKatNapis name(W(560, 90), "staw", 2.0, kCentre, false, 0.0f);
    opisy_->Add(name, 2);
  }

  // The update of 2023: a house pulled down (its outline archived), a
  // parcel number turned into a fraction after a division, and a boundary
  // point whose height was measured again.
  void Update() {
    if (!houses_.empty()) {
      const House& gone = houses_[houses_.size() / 2];
      for (std::int64_t n : gone.Outline) budynki_->Remove(n);
      numery_->Remove(gone.Description);
    }
    if (!numeryPlain_.empty()) {
      const auto& [number, at] = plainNumbers_.front();
      TLicznikMianownik fraction(at, std::to_string(number), "3", 2.0, kCentre, false, 0.0f);
      numery_->Rewrite(numeryPlain_.front(), fraction, 0);
    }
    TPunkt p(W(Cm(firstPoint_.first), Cm(firstPoint_.second)));
    p.Position.Z = static_cast<float>(Cm(Height(firstPoint_.first, firstPoint_.second) + 0.12));
    punkty_->Rewrite(1, p, 0);
  }

  fs::path root_;
  TExampleSetSummary& summary_;
  const TLineManager& styles_;
  Rng rng_;
  BuilderBase base_;
  LayerWriter *dzialki_ = nullptr, *budynki_ = nullptr, *punkty_ = nullptr, *numery_ = nullptr;
  LayerWriter *drogi_ = nullptr, *sytuacja_ = nullptr, *uzbroj_ = nullptr, *opisy_ = nullptr;
  std::set<std::pair<long, long>> points_;
  std::set<std::pair<std::pair<long, long>, std::pair<long, long>>> lines_;
  std::pair<double, double> firstPoint_{0, 0};
  int nextPoint_ = 1;
  int nextParcel_ = 101;
  // The records of each house: its outline and its description.
  struct House {
    std::vector<std::int64_t> Outline;
    std::int64_t Description;
  };
  std::vector<House> houses_;
  std::vector<std::int64_t> numeryPlain_;
  std::vector<std::pair<int, TRealPoint>> plainNumbers_;
};

// --- Catalogue and settings files ---------------------------------------------

void CatalogueFiles(const fs::path& root) {
  WriteText(root / "mapa" / "ewid" / "baza.cnf", "1 L DZIALKI\r\n2 L BUDYNKI\r\n3 L PUNKTY\r\n4 T NUMERY\r\n");
  WriteText(root / "mapa" / "ewid" / "Katalog",
            "Nazwa=Ewidencja gruntów i budynków\r\nSymbole=.\\nk1.sym\r\n");
  WriteText(root / "mapa" / "sytuacja" / "baza.cnf",
            "11 L DROGI\r\n12 L SYTUACJA\r\n13 L UZBROJ\r\n14 T OPISY\r\n15 L GRANICE\r\n");
  WriteText(root / "mapa" / "sytuacja" / "Katalog",
            "Nazwa=Sytuacja i uzbrojenie terenu\r\nSymbole=.\\nk1.sym\r\n");
  // "Symbole" names a file of the catalogue's own folder: each catalogue
  // gets its copy of the library.
  for (const char* dir : {"ewid", "sytuacja"}) WriteBytes(root / "mapa" / dir / "nk1.sym", SymbolLibrary());
}

// One layer of the previous format, for the conversion window: the parcel
// boundaries of an older survey of the sheet's south-west corner, straight
// lines and two arcs, one of them deleted.
void OldFormatLayer(const fs::path& path, TExampleSetSummary& summary) {
  oldlayer::Builder b(true);
  oldlayer::Header h;
  h.description = oldlayer::Mazovia("Granice działek z operatu 1998 (stary format)");
  h.shortName = oldlayer::Mazovia("granice");
  h.colour = 4;
  const double x0 = 5601210, y0 = 5823510;
  int live = 0;
  for (int row = 0; row < 6; ++row) {
    for (int col = 0; col < 6; ++col) {
      const double x = x0 + col * 30.0, y = y0 + row * 25.0;
      b.Add(oldlayer::LineRecord{.x1 = x, .y1 = y, .x2 = x + 30.0, .y2 = y});
      b.Add(oldlayer::LineRecord{.x1 = x, .y1 = y, .x2 = x, .y2 = y + 25.0});
      live += 2;
    }
  }
  b.Add(oldlayer::LineRecord{.x1 = x0 + 180, .y1 = y0, .x2 = x0 + 180, .y2 = y0 + 150,
                             .radius = 120, .kind = 1});
  b.Add(oldlayer::LineRecord{.deleted = true, .x1 = x0, .y1 = y0 + 150, .x2 = x0 + 180,
                             .y2 = y0 + 150, .radius = -200, .kind = 1});
  ++live;
  h.value = static_cast<std::uint32_t>(live);  // the layer's live count
  b.SetSlot(0, h);
  if (!b.Write(path.string())) throw std::runtime_error("cannot write " + path.string());
  ++summary.Layers;
  summary.LiveRecords += static_cast<std::size_t>(live);
}

void BazaIni(const fs::path& path) {
  platform::TIniFile ini(path.string());
  ini.WriteString("baza", "Przyklad", "Obręb 0012 Nowa Wieś (przykład)");
  ini.WriteString("Przyklad", "Kat1", "mapa\\ewid");
  ini.WriteString("Przyklad", "Kat1Nazwa", "Ewidencja");
  ini.WriteString("Przyklad", "Kat1IdBazy", "EGIB-0012");
  ini.WriteString("Przyklad", "Kat2", "mapa\\sytuacja");
  ini.WriteString("Przyklad", "Kat2Nazwa", "Sytuacja");
  ini.WriteString("Przyklad", "Kat2IdBazy", "SYT-0012");
  ini.WriteString("Przyklad", "Kat2Wzr1", "*l");
  ini.WriteString("Przyklad", "Kat2Wzr2", "*t");
  ini.UpdateFile();
}

// The top-level entries the builder makes; none may exist beforehand.
const char* const kEntries[] = {"mapa", "nk1.sym", "nk1l.lin", "litt.ch1", "font.ch1", "baza.ini"};

}  // namespace

TExampleSetSummary BuildExampleSet(const std::string& Folder) {
  const fs::path folder(Folder);
  fs::create_directories(folder);
  for (const char* entry : kEntries)
    if (fs::exists(folder / entry))
      throw std::runtime_error((folder / entry).string() + " already exists; nothing was written");

  // Everything is made in a scratch folder inside Folder and moved in place
  // at the end ("baza.ini" last), so that a failure leaves no half set.
  const fs::path work = folder / ".mkexamples.tmp";
  fs::remove_all(work);
  fs::create_directories(work);
  // New files only: no other process holds them, no lock wait to show.
  SetDefaultLayerLockWait(nullptr);
  TExampleSetSummary summary;
  try {
    WriteBytes(work / "nk1.sym", SymbolLibrary());
    WriteBytes(work / "nk1l.lin", LineStyleLibrary());
    WriteBytes(work / "litt.ch1", defwrite::FontBytes(StrokeFont(8)));
    WriteBytes(work / "font.ch1", defwrite::FontBytes(StrokeFont(9)));

    // The special lines point at the styles of the library just written.
    std::string libraryError;
    SetLibraryErrorBox([&](const std::string& text) { libraryError = text; });
    const std::unique_ptr<TLineManager> styles = TLineManager::CreateFromFile((work / "nk1l.lin").string());
    SetLibraryErrorBox(nullptr);
    if (!libraryError.empty()) throw std::runtime_error("line styles: " + libraryError);

    MapBuilder(work, summary, *styles).Build();
    OldFormatLayer(work / "mapa" / "sytuacja" / "GRANICE-.--l", summary);
    CatalogueFiles(work);
    BazaIni(work / "baza.ini");
    for (const char* entry : kEntries) fs::rename(work / entry, folder / entry);
    fs::remove_all(work);
  } catch (...) {
    std::error_code ec;
    fs::remove_all(work, ec);
    throw;
  }

  // The settings point at the two libraries of the set; the file's other
  // keys and sections stay as they are.
  platform::TIniFile settings((folder / "tolvika.ini").string());
  settings.WriteString("Files", "LineDefs", ".\\nk1l.lin");
  settings.WriteString("Files", "SymbolDefs", ".\\nk1.sym");
  settings.UpdateFile();
  return summary;
}
