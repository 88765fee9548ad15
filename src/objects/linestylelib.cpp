#include "objects/linestylelib.h"

#include <cmath>
#include <numbers>
#include <utility>

#include "drawing/realcanvas.h"
#include "foundation/errors.h"
#include "foundation/geometry/rounding.h"
#include "foundation/storage/bytes.h"
#include "foundation/storage/real48.h"
#include "objects/grobj.h"
#include "objects/libcfg.h"
#include "platform/files/codepage.h"
#include "platform/gui/controls_strings.h"

namespace {

constexpr char kMissingFileMessage[] = "Brak pliku z liniami:";
constexpr char kBadFileMessage[] = "Błąd w pliku definicji linii";
constexpr char kBadLineMessage[] = "Błąd w definicji linii: ";

constexpr std::uint8_t kVariantMarker = 0xFF;
// Above this many middle copies a count is not rounded (it would not fit).
constexpr double kMaxCopies = 4.0e18;
constexpr std::size_t kNameFieldSize = 13;

// Upper-cases the letters a to z only, as style names are stored and looked up.
std::string AsciiUpper(std::string_view Text) {
  std::string result(Text);
  for (char& c : result) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return result;
}

// The style-file mode byte: below 10 as stored, m >= 10 as (m - 10) with bit 3.
std::uint8_t DecodeMode(std::uint8_t Stored) {
  const auto m = static_cast<std::int8_t>(Stored);
  if (m < 10) return Stored;
  return static_cast<std::uint8_t>((m - 10) | kSectionRepeatOnce);
}

bool IsVariantRecord(const std::uint8_t* Rec) {
  return Rec[0] == kVariantMarker && Rec[1] == kVariantMarker;
}

// A line-style file checked against its outer layout.
TDefinitionFile ReadLineFile(const std::string& FileName) {
  return ReadDefinitionFile(FileName, kLineStyleFileMagic, kLineRecordSize, kMissingFileMessage,
                            kBadFileMessage);
}

// A section of a record, or null when its count is not above 0. Refuses a
// range outside the element table.
std::unique_ptr<TLineSection> ReadSection(const TDefinitionFile& Image, const std::uint8_t* Sec,
                                          const std::string& Name) {
  const std::int32_t first = GetI32(Sec);
  const std::int16_t count = GetI16(Sec + 4);
  if (count <= 0) return nullptr;
  const std::int64_t from = static_cast<std::int64_t>(first) - 1;
  if (from < 0 || from + count > Image.ElementCount) throw ETvError(kBadLineMessage + Name);
  auto section = std::make_unique<TLineSection>();
  section->StartPos = Real48ToDouble(Sec + 6);
  section->EndPos = Real48ToDouble(Sec + 12);
  section->Mode = DecodeMode(Sec[18]);
  // A section runs forwards over a sane length; elements far out of range
  // would make drawing plan endless copies or turns.
  if (!DefinitionValueInRange(section->StartPos) || !DefinitionValueInRange(section->EndPos) ||
      section->EndPos < section->StartPos)
    throw ETvError(kBadLineMessage + Name);
  for (std::int64_t i = from; i < from + count; ++i) {
    TElementRecord rec = ReadElementRecord(Image.Element(i));
    if (rec.Type <= kElemCircle && !ElementRecordInRange(rec))
      throw ETvError(kBadLineMessage + Name);
    rec.Y1 -= section->StartPos;
    rec.Y2 -= section->StartPos;
    section->AddElementFromRecord(rec);
  }
  return section;
}

void ReadSections(const TDefinitionFile& Image, const std::uint8_t* Rec, const std::string& Name,
                  TLineImp& Def) {
  Def.StartSection = ReadSection(Image, Rec + kLineRecStartSection, Name);
  Def.MiddleSection = ReadSection(Image, Rec + kLineRecMiddleSection, Name);
  Def.EndSection = ReadSection(Image, Rec + kLineRecEndSection, Name);
}

std::string ReadName(const std::uint8_t* Rec) {
  const std::size_t length = std::min<std::size_t>(Rec[0], kNameFieldSize - 1);
  const std::string stored(reinterpret_cast<const char*>(Rec + 1), length);
  return AsciiUpper(platform::Cp1250ToUtf8(stored));
}

// Builds the style of record I; advances I over the variant records it takes.
std::unique_ptr<TLine> ReadLine(const TDefinitionFile& Image, std::size_t& I) {
  const std::uint8_t* rec = Image.Record(I);
  auto line = std::make_unique<TLine>();
  line->Name = ReadName(rec);
  line->Number = GetU16(rec + kLineRecNumber);
  ReadSections(Image, rec, line->Name, *line);
  const auto pen = static_cast<std::int8_t>(rec[kLineRecPenStyle]);
  if (pen < 0) {
    line->Flags |= kLineNoPenStyle;
    line->PenStyle = 0;
  } else {
    line->PenStyle = static_cast<std::uint8_t>(pen);
  }
  const std::uint16_t variants = GetU16(rec + kLineRecVariantCount);
  for (std::uint16_t v = 0; v < variants; ++v) {
    if (I + 1 >= Image.RecordCount || !IsVariantRecord(Image.Record(I + 1))) break;
    ++I;
    const std::uint8_t* variantRec = Image.Record(I);
    auto variant = std::make_unique<TLineImp>();
    ReadSections(Image, variantRec, line->Name, *variant);
    switch (GetU16(variantRec + kLineRecVariantDenominator)) {
      case 500: line->Variant500 = std::move(variant); break;
      case 2000: line->Variant2000 = std::move(variant); break;
      case 5000: line->Variant5000 = std::move(variant); break;
      default: break;
    }
  }
  if (!line->HasSections()) {
    if ((line->Flags & kLineNoPenStyle) != 0) throw ETvError(kBadLineMessage + line->Name);
    line->Flags |= kLinePlain;
  }
  return line;
}

// Across-and-along placement of a section with origin O on direction U.
TAffineMatrix PlaceAlong(const TStretchPair& Pair, double S, const TRealPoint& U,
                         const TRealPoint& O) {
  const double a = Pair.A * S;
  const double b = Pair.B * S;
  TAffineMatrix m;
  m.a = a * U.Y;
  m.b = b * U.X;
  m.c = O.X;
  m.d = -a * U.X;
  m.e = b * U.Y;
  m.f = O.Y;
  m.s = a;
  return m;
}

// The scale of a section laid onto a circle.
TAffineMatrix BendScale(const TStretchPair& Pair, double S) {
  TAffineMatrix m;
  m.a = Pair.A * S;
  m.e = Pair.B * S;
  m.s = Pair.A * S;
  return m;
}

double ScaledLength(const TLineSection* Section, double S) {
  return Section ? Section->Length() * S : 0.0;
}

bool IsStretchable(const TLineSection* Section) { return Section && Section->Mode != 0; }

// The fitting shared by segments and arcs: how many middle copies and the
// stretch factor p, given the length L and the scaled section lengths.
struct TFit {
  double p = 1.0;
  int ModeOverride = -1;
  std::int64_t n = 0;
};

TFit FitSections(const TLineImp& Def, double L, double Ls, double Le, double Lm) {
  TFit fit;
  if (Ls + Le >= L) {
    fit.p = L / (Ls + Le);
    fit.ModeOverride = kSectionStretchAlong;
    return fit;
  }
  if (Lm == 0.0) return fit;
  // A middle section too short to count its copies is not repeated.
  const double copies = (L - Ls - Le) / Lm;
  if (!(std::fabs(copies) < kMaxCopies)) return fit;
  fit.n = Round(copies);
  if (fit.n == 0 && (Def.MiddleSection->Mode & kSectionRepeatOnce) != 0) fit.n = 1;
  if (fit.n < 0) fit.n = 0;
  const int k = (IsStretchable(Def.StartSection.get()) ? 1 : 0) +
                (IsStretchable(Def.EndSection.get()) ? 2 : 0);
  const double covered = static_cast<double>(fit.n) * Lm;
  double T = 0.0;
  double room = 0.0;
  switch (k) {
    case 0: T = covered; room = L - Ls - Le; break;
    case 1: T = covered + Ls; room = L - Le; break;
    case 2: T = covered + Le; room = L - Ls; break;
    default: T = Ls + Le + covered; room = L; break;
  }
  if (T != 0.0) fit.p = room / T;
  return fit;
}

TRealPoint Offset(const TRealPoint& P, const TRealPoint& U, double Distance) {
  return TRealPoint{P.X + U.X * Distance, P.Y + U.Y * Distance};
}

// The section copies of a plan, or more than kMaxSectionCopies when that is
// exceeded.
template <class TPlacement>
std::int64_t PlannedCopies(const std::vector<TPlacement>& Plan) {
  std::int64_t copies = 0;
  for (const TPlacement& placement : Plan) {
    if (placement.Copies > kMaxSectionCopies - copies) return kMaxSectionCopies + 1;
    copies += placement.Copies;
  }
  return copies;
}

bool DrawPlacements(TRealCanvas& Canvas, const std::vector<TSectionPlacement>& Plan) {
  if (PlannedCopies(Plan) > kMaxSectionCopies) return false;
  for (const TSectionPlacement& placement : Plan) {
    TAffineMatrix m = placement.M;
    for (std::int64_t i = 0; i < placement.Copies; ++i) {
      Canvas.TestAbort();
      m.c = placement.M.c + static_cast<double>(i) * placement.Step.X;
      m.f = placement.M.f + static_cast<double>(i) * placement.Step.Y;
      placement.Section->DrawTransformed(Canvas, m);
    }
  }
  return true;
}

bool DrawBent(TRealCanvas& Canvas, const TRealPoint& Centre, double R,
              const std::vector<TBentPlacement>& Plan) {
  if (PlannedCopies(Plan) > kMaxSectionCopies) return false;
  for (const TBentPlacement& placement : Plan) {
    Canvas.TestAbort();
    auto copy = TLineSection::CreateCopy(*placement.Section);
    TransformGraphObjList(*copy, placement.Scale);
    for (std::int32_t i = 0; i < copy->Count(); ++i) {
      copy->Element(i)->BendAroundCircle(R, placement.BendAngle);
    }
    copy->DrawMoved(Canvas, Centre);
    for (std::int64_t i = 1; i < placement.Copies; ++i) {
      Canvas.TestAbort();
      const double angle = static_cast<double>(i) * placement.StepAngle;
      TAffineMatrix m;
      m.a = std::cos(angle);
      m.b = -std::sin(angle);
      m.c = Centre.X;
      m.d = std::sin(angle);
      m.e = std::cos(angle);
      m.f = Centre.Y;
      m.s = 1.0;
      copy->DrawTransformed(Canvas, m);
    }
  }
  return true;
}

// Element record of a built-in dash: an axis line from Y = 0 to Y = To.
TElementRecord AxisDash(double To) {
  TElementRecord rec;
  rec.Type = 0;
  rec.Y2 = To;
  return rec;
}

struct TBuiltInStyle {
  const char* Name;
  std::uint8_t PenStyle;
  double Middle;      // section length, 0: none
  double MiddleDash;  // dash 0 to this
  double End;
  double EndDash;
};

constexpr TBuiltInStyle kBuiltInStyles[] = {
    {"1", 0, 0, 0, 0, 0},   {"2", 1, 3, 2, 2, 2},     {"3", 1, 2, 1, 1, 1},
    {"4", 1, 5, 3, 3, 3},   {"5", 0, 0, 0, 0, 0},     {"6", 0, 0, 0, 0, 0},
    {"7", 0, 4, 3, 3, 3},   {"8", 1, 1, 0.5, 0.5, 0.5}, {"9", 2, 0, 0, 0, 0},
    {"10", 2, 0, 0, 0, 0},  {"11", 1, 6, 5, 5, 5},    {"12", 3, 0, 0, 0, 0},
    {"13", 4, 0, 0, 0, 0},  {"14", 5, 0, 0, 0, 0},
};

std::unique_ptr<TLineSection> BuiltInSection(double Length, double Dash) {
  if (Length == 0.0) return nullptr;
  auto section = std::make_unique<TLineSection>();
  section->Mode = kSectionStretchAlong;
  section->EndPos = Length;
  section->AddElementFromRecord(AxisDash(Dash));
  return section;
}

// Set when the program-wide library is freed at exit, when the settings
// group may already be gone: the libraries then leave it alone.
bool g_exiting = false;

// The program-wide library and the one retired by the last settings change.
struct TLineManagerHolder {
  ~TLineManagerHolder() { g_exiting = true; }
  std::unique_ptr<TLineManager> Current;
  std::unique_ptr<TLineManager> Retired;
};

TLineManagerHolder& Holder() {
  static TLineManagerHolder holder;
  return holder;
}

}  // namespace

std::unique_ptr<TLineSection> TLineSection::CreateCopy(const TLineSection& Source) {
  auto copy = std::make_unique<TLineSection>();
  copy->Mode = Source.Mode;
  copy->StartPos = Source.StartPos;
  copy->EndPos = Source.EndPos;
  copy->CloneElementsFrom(Source);
  return copy;
}

std::unique_ptr<TSymbolImp> TLineSection::Clone() const { return CreateCopy(*this); }

TStretchPair SectionPair(const TLineSection* Section, int ModeOverride, double p) {
  if (!Section && ModeOverride == -1) return {};
  const int mode = ModeOverride != -1 ? ModeOverride : Section->Mode;
  switch (mode & kSectionStretchMask) {
    case kSectionStretchBoth: return {p, p};
    case kSectionStretchAlong: return {1.0, p};
    default: return {};
  }
}

TLineImp::~TLineImp() = default;

double TLineImp::GetPatternLength() const { return MiddleSection ? MiddleSection->Length() : 0.0; }

std::vector<TSectionPlacement> TLineImp::PlanSegment(const TRealPoint& P1, const TRealPoint& P2,
                                                     double S) const {
  std::vector<TSectionPlacement> plan;
  const double dx = P2.X - P1.X;
  const double dy = P2.Y - P1.Y;
  const double L = std::hypot(dx, dy);
  // A zero-length segment has no direction to lay sections along.
  if (!(L > 0.0) || !std::isfinite(L)) return plan;
  const TRealPoint u{dx / L, dy / L};
  const double Ls = ScaledLength(StartSection.get(), S);
  const double Le = ScaledLength(EndSection.get(), S);
  const double Lm = ScaledLength(MiddleSection.get(), S);
  const TFit fit = FitSections(*this, L, Ls, Le, Lm);
  if (fit.n > 0) {
    const double startAlong = SectionPair(StartSection.get(), fit.ModeOverride, fit.p).B;
    const TRealPoint first = Offset(P1, u, StartSection ? Ls * startAlong : 0.0);
    const TStretchPair pair = SectionPair(MiddleSection.get(), -1, fit.p);
    plan.push_back({MiddleSection.get(), PlaceAlong(pair, S, u, first), fit.n,
                    Offset(TRealPoint{}, u, Lm * fit.p)});
  }
  if (StartSection) {
    const TStretchPair pair = SectionPair(StartSection.get(), fit.ModeOverride, fit.p);
    plan.push_back({StartSection.get(), PlaceAlong(pair, S, u, P1), 1, TRealPoint{}});
  }
  if (EndSection) {
    const TStretchPair pair = SectionPair(EndSection.get(), fit.ModeOverride, fit.p);
    plan.push_back(
        {EndSection.get(), PlaceAlong(pair, S, u, Offset(P2, u, -Le * pair.B)), 1, TRealPoint{}});
  }
  return plan;
}

std::vector<TBentPlacement> TLineImp::PlanCircle(double R, double S) const {
  std::vector<TBentPlacement> plan;
  if (!MiddleSection || !(R > 0.0)) return plan;
  const double C = 2.0 * std::numbers::pi * R;
  const double Lm = MiddleSection->Length() * S;
  if (!(Lm > 0.0)) return plan;
  if (!(C / Lm < kMaxCopies)) return plan;
  std::int64_t n = Round(C / Lm);
  if (n == 0 && (MiddleSection->Mode & kSectionRepeatOnce) != 0) n = 1;
  if (n <= 0) return plan;
  const double p = C / (static_cast<double>(n) * Lm);
  TBentPlacement placement;
  placement.Section = MiddleSection.get();
  placement.Scale = BendScale(SectionPair(MiddleSection.get(), -1, p), S);
  placement.BendAngle = 0.0;
  placement.Copies = n;
  placement.StepAngle = Lm * p / R;
  plan.push_back(placement);
  return plan;
}

std::vector<TBentPlacement> TLineImp::PlanArc(double R, double A0, double Sweep, double S) const {
  std::vector<TBentPlacement> plan;
  const double L = R * Sweep;
  if (!(R > 0.0) || !(L > 0.0) || !std::isfinite(L)) return plan;
  const double Ls = ScaledLength(StartSection.get(), S);
  const double Le = ScaledLength(EndSection.get(), S);
  const double Lm = ScaledLength(MiddleSection.get(), S);
  const TFit fit = FitSections(*this, L, Ls, Le, Lm);
  if (fit.n > 0) {
    const double startAlong =
        StartSection ? SectionPair(StartSection.get(), fit.ModeOverride, fit.p).B : fit.p;
    TBentPlacement middle;
    middle.Section = MiddleSection.get();
    middle.Scale = BendScale(SectionPair(MiddleSection.get(), -1, fit.p), S);
    middle.BendAngle = A0 + Ls * startAlong / R;
    middle.Copies = fit.n;
    middle.StepAngle = Lm * fit.p / R;
    plan.push_back(middle);
  }
  if (StartSection) {
    TBentPlacement start;
    start.Section = StartSection.get();
    start.Scale = BendScale(SectionPair(StartSection.get(), fit.ModeOverride, fit.p), S);
    start.BendAngle = A0;
    plan.push_back(start);
  }
  if (EndSection) {
    const TStretchPair pair = SectionPair(EndSection.get(), fit.ModeOverride, fit.p);
    TBentPlacement end;
    end.Section = EndSection.get();
    end.Scale = BendScale(pair, S);
    end.BendAngle = A0 + Sweep - Le * pair.B / R;
    plan.push_back(end);
  }
  return plan;
}

bool TLineImp::DrawSegment(TRealCanvas& Canvas, const TRealPoint& P1, const TRealPoint& P2,
                           double S) const {
  return DrawPlacements(Canvas, PlanSegment(P1, P2, S));
}

bool TLineImp::DrawCircle(TRealCanvas& Canvas, const TRealPoint& Centre, double R,
                          double S) const {
  return DrawBent(Canvas, Centre, R, PlanCircle(R, S));
}

bool TLineImp::DrawArc(TRealCanvas& Canvas, const TRealPoint& Centre, double R, double A0,
                       double Sweep, double S) const {
  return DrawBent(Canvas, Centre, R, PlanArc(R, A0, Sweep, S));
}

TLine::~TLine() = default;

const TLineImp& TLine::DefinitionFor(double ScaleDenominator) const {
  const TLineImp* variant = nullptr;
  if (ScaleDenominator < kScaleBand1) {
    variant = Variant500.get();
  } else if (ScaleDenominator < kScaleBand2) {
    variant = nullptr;
  } else if (ScaleDenominator < kScaleBand3) {
    variant = Variant2000.get();
  } else {
    variant = Variant5000.get();
  }
  return variant ? *variant : *this;
}

std::optional<std::vector<float>> TLine::GetDXFPattern(std::int32_t ScaleDenominator) const {
  if (IsPlain()) {
    switch (PenStyle) {
      case 1: return std::vector<float>{1, -1};
      case 2: return std::vector<float>{0, -1};
      case 3: return std::vector<float>{1, -1, 0, -1};
      case 4: return std::vector<float>{1, -1, 0, -1, 0, -1};
      case 5:
      case 6: return std::vector<float>{1};
      default: return std::vector<float>{};
    }
  }
  const TLineImp& def = DefinitionFor(ScaleDenominator);

  const TLineSection* middle = def.MiddleSection.get();
  if (!middle) return std::nullopt;
  const double factor = ScaleDenominator / 1000.0;
  TDXFLine boundaries;
  for (std::int32_t i = 0; i < middle->Count(); ++i) {
    float a = 0;
    float b = 0;
    if (middle->ItemAs<TEGraphObj>(i)->GetDashInterval(a, b)) boundaries.AddInterval(a, b);
  }
  if (boundaries.Count() == 0) return std::nullopt;
  // Element positions are relative to the section's start, so the section
  // runs from 0 to its length.
  const auto start = 0.0f;
  const auto end = static_cast<float>(middle->Length());
  if (boundaries.PositionAt(0) > start) boundaries.InsertBoundary(0, start, TDashBoundary::End);
  if (boundaries.PositionAt(boundaries.Count() - 1) < end) {
    boundaries.InsertBoundary(boundaries.Count(), end, TDashBoundary::Start);
  }
  if (boundaries.Count() == 2 && boundaries.KindAt(0) == TDashBoundary::Start) {
    return std::vector<float>{};
  }
  std::vector<float> pattern;
  for (std::int32_t i = 0; i + 1 < boundaries.Count(); ++i) {
    const TDashBoundary kind = boundaries.KindAt(i);
    const auto distance =
        static_cast<float>((boundaries.PositionAt(i + 1) - boundaries.PositionAt(i)) * factor);
    if (kind == TDashBoundary::Dot) pattern.push_back(0.0f);
    pattern.push_back(kind == TDashBoundary::Start ? distance : -distance);
  }
  return pattern;
}

int TDXFLine::Compare(void* Key1, void* Key2) const {
  const float a = TParamsL::ParamOf(Key1);
  const float b = TParamsL::ParamOf(Key2);
  return a < b ? -1 : (a > b ? 1 : 0);
}

void TDXFLine::InsertBoundary(std::int32_t Index, float Position, TDashBoundary Kind) {
  Insert(Index, TPointerPair{TParamsL::ParamKey(Position),
                             reinterpret_cast<void*>(static_cast<std::intptr_t>(Kind))});
}

float TDXFLine::PositionAt(std::int32_t Index) const { return TParamsL::ParamOf(GetFirst(Index)); }

TDashBoundary TDXFLine::KindAt(std::int32_t Index) const {
  return static_cast<TDashBoundary>(reinterpret_cast<std::intptr_t>(GetItem(Index).Second));
}

std::int32_t TDXFLine::InsertionPlace(float Position) const {
  std::int32_t index = 0;
  Find(TParamsL::ParamKey(Position), index);
  return index;
}

void TDXFLine::AddInterval(float A, float B) {
  const std::int32_t ia = InsertionPlace(A);
  const std::int32_t ib = InsertionPlace(B);
  const auto startsBefore = [this](std::int32_t I) {
    return I > 0 && KindAt(I - 1) == TDashBoundary::Start;
  };
  if (ia == ib) {
    if (startsBefore(ia)) return;  // inside a dash
    if (A == B) {
      InsertBoundary(ia, A, TDashBoundary::Dot);
    } else {
      InsertBoundary(ia, A, TDashBoundary::Start);
      InsertBoundary(ia + 1, B, TDashBoundary::End);
    }
    return;
  }
  const bool needStart = !startsBefore(ia);
  const bool needEnd = !startsBefore(ib);
  for (std::int32_t i = ib - 1; i >= ia; --i) Delete(i);
  std::int32_t at = ia;
  if (needStart) InsertBoundary(at++, A, TDashBoundary::Start);
  if (needEnd) InsertBoundary(at, B, TDashBoundary::End);
}

TLineManager::TLineManager(std::unique_ptr<TLineManager> Previous)
    : Previous(std::move(Previous)) {
  subscribedTo_ = &SymbolLineManagerCfg();
  subscribedTo_->AddChangeHandler(TConfNotify(this, &TLineManager::SettingsChanged));
  LoadFromFile(LineDefsFileName());
  AddBuiltInStyles();
}

TLineManager::~TLineManager() {
  Unsubscribe();
  Previous.reset();
  Clear();
}

std::unique_ptr<TLineManager> TLineManager::CreateFromFile(const std::string& FileName) {
  std::unique_ptr<TLineManager> manager(new TLineManager());
  manager->LoadFromFile(FileName);
  manager->AddBuiltInStyles();
  return manager;
}

void TLineManager::Unsubscribe() {
  if (!subscribedTo_ || g_exiting) return;
  subscribedTo_->RemoveChangeHandler(TConfNotify(this, &TLineManager::SettingsChanged));
  subscribedTo_ = nullptr;
}

const void* TLineManager::KeyOf(const TObject* Item) const {
  return &static_cast<const TLine*>(Item)->Number;
}

int TLineManager::Compare(const void* Key1, const void* Key2) const {
  const auto a = *static_cast<const std::uint16_t*>(Key1);
  const auto b = *static_cast<const std::uint16_t*>(Key2);
  return a < b ? -1 : (a > b ? 1 : 0);
}

bool TLineManager::AddLine(std::unique_ptr<TLine> Line) {
  return TSortedList::Add(std::move(Line)) >= 0;
}

TLine* TLineManager::GetLine(std::uint16_t Number) const {
  std::int32_t index = 0;
  return Find(&Number, index) ? Line(index) : nullptr;
}

TLine* TLineManager::GetLineByName(std::string_view Name) const {
  const std::string key = AsciiUpper(Name);
  for (std::int32_t i = 0; i < Count(); ++i) {
    if (Line(i)->Name == key) return Line(i);
  }
  return nullptr;
}

void TLineManager::FillStrings(platform::TStrings& Strings) const {
  for (std::int32_t i = 0; i < Count(); ++i) Strings.Add(Line(i)->Name, Line(i));
}

void TLineManager::LoadFromFile(const std::string& FileName) {
  try {
    const TDefinitionFile image = ReadLineFile(FileName);
    for (std::size_t i = 0; i < image.RecordCount; ++i) {
      if (IsVariantRecord(image.Record(i))) continue;
      AddLine(ReadLine(image, i));
    }
  } catch (const EWindowsIOError& error) {
    ShowLibraryError(error);
  } catch (const ETvError& error) {
    ShowLibraryError(error);
  }
}

void TLineManager::AddBuiltInStyles() {
  std::uint16_t number = 0;
  for (const TBuiltInStyle& style : kBuiltInStyles) {
    auto line = std::make_unique<TLine>();
    line->Name = style.Name;
    line->Number = ++number;
    line->PenStyle = style.PenStyle;
    line->MiddleSection = BuiltInSection(style.Middle, style.MiddleDash);
    line->EndSection = BuiltInSection(style.End, style.EndDash);
    if (!line->HasSections()) line->Flags |= kLinePlain;
    AddLine(std::move(line));
  }
}

void TLineManager::SettingsChanged(TParametryConf* Sender) {
  TLineManagerHolder& holder = Holder();
  if (holder.Current.get() == this) holder.Retired = std::move(holder.Current);
  Unsubscribe();
}

std::string LineDefsFileName() { return LibraryFilePath(SymbolLineManagerCfg().LineDefs); }

TLineManager& LineManager() {
  TLineManagerHolder& holder = Holder();
  if (!holder.Current) {
    holder.Current = std::make_unique<TLineManager>(std::move(holder.Retired));
  }
  return *holder.Current;
}

void ReleaseLineManager() {
  TLineManagerHolder& holder = Holder();
  holder.Current.reset();
  holder.Retired.reset();
}
