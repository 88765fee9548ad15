#include "objects/texts.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "drawing/realcanvas.h"
#include "objects/activepoints.h"
#include "objects/clipbounds.h"
#include "objects/edittoolsi.h"
#include "objects/layerline.h"
#include "objects/layerobji.h"
#include "objects/saverecord.h"
#include "objects/sublayeri.h"
#include "objects/viewi.h"

namespace {

// The straight segment test the stroke text asks for every stroke.
class TSegmentHit final : public IStrokeSegmentHit {
 public:
  bool SegmentHitDistance(const TRealPoint& A, const TRealPoint& B, const TRealPoint& P,
                          const TRealPoint& Tol, double& D) override {
    const TDefSpecLinia line(A, B);
    return line.HitDistance(P, Tol, nullptr, D);
  }
};

TRealPoint FontToWorld(const TAffineMatrix& T, double U, double V) {
  return TRealPoint{T.a * U + T.b * V + T.c, T.d * U + T.e * V + T.f};
}

std::string Coord(double V) { return CursorFormat().FormatCoord(V); }

TRealRect Square(const TRealPoint& P, double H) { return TRealRect{P.X - H, P.Y - H, P.X + H, P.Y + H}; }

const char* JustColumnName(int J) {
  switch (J % 3) {
    case 1:
      return "lewa";
    case 2:
      return "środkowa";
    default:
      return "prawa";
  }
}

const char* JustRowName(int J) {
  switch ((J - 1) / 3) {
    case 0:
      return "dolna";
    case 1:
      return "środkowa";
    default:
      return "górna";
  }
}

}  // namespace

std::unique_ptr<TSimpleDrawParams> CopyDrawParams(const TDrawParamsImp* Params) {
  if (Params == nullptr) return std::make_unique<TDrawParams>();
  if (dynamic_cast<const TSkrDrawParams*>(Params) != nullptr) return std::make_unique<TSkrDrawParams>(*Params);
  return std::make_unique<TDrawParams>(*Params);
}

std::size_t TextLength(const std::string& Text) {
  std::size_t n = 0;
  for (unsigned char c : Text)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

namespace {

// The temporary through which a text of a class other than the edit class is
// edited: a referenced text keeps its reference shown; any other gets a
// reference point one unit along +Y from the anchor, used when the user
// turns the reference on.
std::unique_ptr<TWysKatOdnNapisW> TextEditCopy(const TNapis& Text) {
  std::unique_ptr<TWysKatOdnNapisW> copy = Text.ConvertToClass<TWysKatOdnNapisW>();
  if (dynamic_cast<const TWysKatOdnNapis*>(&Text) != nullptr)
    copy->NoReference = 0;
  else
    copy->RefOffset = TSingleVector{0.0f, 1.0f};
  return copy;
}

}  // namespace

// TNapis.

TNapis::TNapis(const TRealPoint& Position, const std::string& Text) : Position(Position), Text(Text) {}

bool TNapis::Edit(IPodwarstwa* Sublayer, int, TRealCanvas& Canvas, std::int32_t EraseColour) {
  const int index = ListIndexOf(Sublayer, *this);
  return EditOwnedCopy(TextEditCopy(*this), Sublayer, index, Canvas, EraseColour);
}

TEditToolPtr TNapis::EditKrzyz(IPodwarstwa* Sublayer, int, TRealCanvas& Canvas, std::int32_t Colour) {
  const int index = ListIndexOf(Sublayer, *this);
  return TextEditCopy(*this).release()->CreateEditTool(Sublayer, index, Canvas, Colour, true);
}

TNapis::TNapis(const ObjectSaveRecord& Rec) : TLinTextObj(Rec), Position(Rec.GetAnchor()), Text(Rec.GetText()) {}

std::unique_ptr<TVectorChar> TNapis::MeasureText(const TDrawParamsImp& Params) const {
  return Params.MeasureText(Text);
}

bool TNapis::FitsStoredLayout() const { return ObjectSaveRecord::TextFits(Text, kRecTextMax); }

std::unique_ptr<TEGraphObj> TNapis::ToExtendedClass() const { return ConvertToClass<TWysKatOdnNapisW>(); }

void TNapis::PrepareParams(TDrawParamsImp&, bool) const {}

std::unique_ptr<TVectorChar> TNapis::BuildStrokes(const TDrawParamsImp& Params) const {
  return Params.BuildTextRuled(Text);
}

void TNapis::Draw(TRealCanvas& Canvas) const {
  ApplyColor(Canvas);
  Canvas.VectorTextOutSimple(Text, Position, 0.0f);
}

void TNapis::Transform(const TAffineMatrix& M) { Position = AffineTransformPoint(M, Position); }

void TNapis::Move(const TRealPoint& D) {
  Position.X += D.X;
  Position.Y += D.Y;
}

TRealRect TNapis::GetBounds() const { return Square(Position, 2.0 * static_cast<double>(BoundsLength())); }

TRealRect TNapis::GetBoundsFor(const TDrawParamsImp* Params) const {
  if (Params == nullptr) return GetBounds();
  return Square(Position, static_cast<double>(BoundsLength()) * Params->GetSize());
}

bool TNapis::IsNear(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp*) const {
  return RealRectContainsPoint(ToleranceBox(P, Tol), Position);
}

bool TNapis::TextPartHit(TSimpleDrawParams& Params, const TRealPoint& P, const TRealPoint& Tol, double& D,
                         bool& Placed, TAffineMatrix& T) const {
  Placed = false;
  const double s = Params.GetSize() * 2.0;
  const double r = static_cast<double>(BoundsLength() + 1) * s;
  const double hx = SquareRejection() ? r : s;
  const double hy = r;
  // Touching the box counts as outside.
  if (P.X + Tol.X <= Position.X - hx || P.X - Tol.X >= Position.X + hx) return false;
  if (P.Y + Tol.Y <= Position.Y - hy || P.Y - Tol.Y >= Position.Y + hy) return false;
  const std::unique_ptr<TVectorChar> strokes = BuildStrokes(Params);
  T = Params.GetTextTransform(*strokes, Position, TextAngle());
  Placed = true;
  TSegmentHit segment;
  double d = 1.7e308;
  const bool hit = StrokeTextDistance(*strokes, P, Tol, T, segment, d);
  if (hit) D = d;
  return hit;
}

bool TNapis::HitDistance(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp* Params,
                         double& D) const {
  const std::unique_ptr<TSimpleDrawParams> params = CopyDrawParams(Params);
  PrepareParams(*params, false);
  bool placed = false;
  TAffineMatrix t;
  return TextPartHit(*params, P, Tol, D, placed, t);
}

double TNapis::DistanceTo(const TRealPoint& P, const TDrawParamsImp*) const {
  return Hypot(P.X - Position.X, P.Y - Position.Y);
}

void TNapis::ProjectPoint(const TRealPoint&, const TDrawParamsImp*, TPointRec& Q) const {
  Q.X = Position.X;
  Q.Y = Position.Y;
}

void TNapis::DrawMarker(TRealCanvas& Canvas) const { Canvas.PointCross(Position); }

void TNapis::SaveToRecord(ObjectSaveRecord& Rec) const {
  TLinTextObj::SaveToRecord(Rec);
  Rec.SetKindByte(kTextKindText);
  Rec.SetAnchor(Position);
  Rec.SetText(Text);
}

std::unique_ptr<TActivePoints> TNapis::CreateActivePoints(TDrawParamsImp& Params) const {
  auto points = std::make_unique<TNapisActivePoints>(Params.Dims());
  GetSnapPoints(*points, &Params);
  return points;
}

void TNapis::FillTextInfo(IGrObjInfo& Info, const char* Kind, const char* TextLabel) const {
  TEGraphObj::FillInfo(Info);
  Info.SetValue(0, 2, Kind);
  Info.SetLabel(8, 0, TextLabel);
  Info.SetValue(8, 1, Text);
  Info.SetLabel(9, 0, "X");
  Info.SetValue(9, 1, Coord(Position.X));
  Info.SetLabel(9, 2, "Y");
  Info.SetValue(9, 2, Coord(Position.Y));
  Info.SetLabel(10, 0, "Wysokość");
  Info.SetValue(10, 1, "Domyślna");
  Info.SetLabel(10, 2, "Kąt");
  Info.SetValue(10, 2, "0");
}

void TNapis::FillInfo(IGrObjInfo& Info) const {
  FillTextInfo(Info, "Tekst", "Tekst");
  Info.SetLabel(11, 0, "Justyfikacja");
  Info.SetValue(11, 1, "Domyślna");
  Info.SetLabel(11, 2, "Styl");
  Info.SetValue(11, 2, "---");
}

TTextBox TNapis::ComputeTextBox(TSimpleDrawParams& Params) const {
  const std::unique_ptr<TVectorChar> m = MeasureText(Params);
  const TAffineMatrix t = Params.GetTextTransform(*m, Position, TextAngle());
  const double d = static_cast<double>(m->Height / 8);
  TTextBox box;
  box.C = TRealPoint{(d * t.a - d * t.b) * 0.5 + t.c, (d * t.d - d * t.e) * 0.5 + t.f};
  const double w = static_cast<double>(m->Width) + d;
  box.U = TRealPoint{w * t.b, w * t.e};
  const double h = static_cast<double>(m->Depth) + d;
  box.V = TRealPoint{-h * t.a, -h * t.d};
  return box;
}

std::unique_ptr<TClipBounds> TNapis::CreateOutline(const TDrawParamsImp* Params) const {
  const std::unique_ptr<TSimpleDrawParams> params = CopyDrawParams(Params);
  PrepareParams(*params, false);
  const TTextBox b = ComputeTextBox(*params);
  TOcclusionBox box;
  box.O = TRealPoint{b.C.X + b.V.X, b.C.Y + b.V.Y};
  box.A = b.U;
  box.B = TRealPoint{-b.V.X, -b.V.Y};
  return std::make_unique<TTextBounds>(box);
}

std::uint16_t TNapis::GetCapabilities() const {
  return static_cast<std::uint16_t>(TLinTextObj::GetCapabilities() | 0x03B8);
}

bool TNapis::SameGeometry(const TEGraphObj& Other) const {
  const auto* o = dynamic_cast<const TNapis*>(&Other);
  return TLinTextObj::SameGeometry(Other) && o != nullptr && o->Text == Text &&
         SameRealPoint(o->Position, Position);
}

void TNapis::CopyFieldsFrom(const TEGraphObj& Source) {
  TLinTextObj::CopyFieldsFrom(Source);
  if (const auto* s = dynamic_cast<const TNapis*>(&Source)) {
    Position = s->Position;
    Text = s->Text;
  }
}

// TWysNapis.

TWysNapis::TWysNapis(const TRealPoint& Position, const std::string& Text, double Height,
                     std::uint8_t Justification, bool Underline)
    : TNapisT(Position, Text), Height(static_cast<float>(Height)), Flags(Justification) {
  SetUnderline(Underline);
}

TWysNapis::TWysNapis(const ObjectSaveRecord& Rec) : TNapisT(Rec), Height(Rec.GetHeight()) {
  Flags = Rec.GetTextFlags() & kTextFlagReadMask;
  const int j = Flags & kTextFlagJustMask;
  if (j < 1 || j > 9) SetJustyfikacja(kDefaultJustification);
}

void TWysNapis::PrepareParams(TDrawParamsImp& Params, bool SizeZeroToo) const {
  Params.SetJustification(GetJustyfikacja());
  Params.SetUnderline(IsUnderline());
  Params.SetOverline(IsOverline());
  if (Height != 0.0f || SizeZeroToo) Params.SetSize(Height);
}

void TWysNapis::Draw(TRealCanvas& Canvas) const {
  ApplyColor(Canvas);
  PrepareParams(Canvas, false);
  Canvas.VectorTextOutSimple(Text, Position, TextAngle());
}

TRealRect TWysNapis::GetBounds() const {
  return Square(Position, static_cast<double>(BoundsLength()) * Height);
}

TRealRect TWysNapis::GetBoundsFor(const TDrawParamsImp* Params) const {
  const std::unique_ptr<TSimpleDrawParams> params = CopyDrawParams(Params);
  params->SetSize(Height);
  return Square(Position, static_cast<double>(BoundsLength()) * params->GetSize());
}

void TWysNapis::SaveToRecord(ObjectSaveRecord& Rec) const {
  TNapisT::SaveToRecord(Rec);
  Rec.SetHeight(Height);
  Rec.SetTextFlags(Flags);
}

void TWysNapis::FillInfo(IGrObjInfo& Info) const {
  TNapisT::FillInfo(Info);
  if (Height != 0.0f) Info.SetValue(10, 1, FloatToText(Height));
  const int j = GetJustyfikacja();
  Info.SetValue(11, 1, std::string(JustColumnName(j)) + "," + JustRowName(j));
  if (IsUnderline()) Info.SetValue(11, 2, "Podkreślenie");
  if (IsOverline()) Info.SetValue(11, 2, "Nadkreślenie");
}

std::unique_ptr<TDefSpecLinia> TWysNapis::UnderlineLine(const TVectorChar& Measure,
                                                        const TAffineMatrix& T) const {
  const double l = IsOverline() ? Measure.TopOffset : Measure.BaseOffset;
  return std::make_unique<TDefSpecLinia>(FontToWorld(T, -l, 0.0), FontToWorld(T, -l, Measure.Width));
}

void TWysNapis::GetAuxLines(const TDrawParamsImp* Params, TAuxLines& Lines) const {
  for (auto& l : Lines) l.reset();
  if (!IsUnderline()) return;
  const std::unique_ptr<TSimpleDrawParams> params = CopyDrawParams(Params);
  params->SetJustification(GetJustyfikacja());
  if (Height != 0.0f) params->SetSize(Height);
  const std::unique_ptr<TVectorChar> m = MeasureText(*params);
  Lines[3] = UnderlineLine(*m, params->GetTextTransform(*m, Position, TextAngle()));
}

bool TWysNapis::SameGeometry(const TEGraphObj& Other) const {
  const auto* o = dynamic_cast<const TWysNapis*>(&Other);
  return TNapisT::SameGeometry(Other) && o != nullptr && o->Height == Height && o->Flags == Flags;
}

void TWysNapis::CopyFieldsFrom(const TEGraphObj& Source) {
  TNapisT::CopyFieldsFrom(Source);
  if (const auto* s = dynamic_cast<const TWysNapis*>(&Source)) {
    Height = s->Height;
    Flags = s->Flags;
  }
}

// TWysKatNapis.

TWysKatNapis::TWysKatNapis(const TRealPoint& Position, const std::string& Text, double Height,
                           std::uint8_t Justification, bool Underline, float Angle)
    : TWysNapis(Position, Text, Height, Justification, Underline), Angle(Angle) {}

TWysKatNapis::TWysKatNapis(const ObjectSaveRecord& Rec) : TWysNapis(Rec), Angle(Rec.GetAngle()) {}

void TWysKatNapis::Draw(TRealCanvas& Canvas) const { TWysNapis::Draw(Canvas); }

void TWysKatNapis::Transform(const TAffineMatrix& M) {
  TWysNapis::Transform(M);
  double a = TransformAngle(M, Angle);
  if (a < 0.0) a += 2.0 * std::numbers::pi;
  Angle = static_cast<float>(a);
}

void TWysKatNapis::SaveToRecord(ObjectSaveRecord& Rec) const {
  TWysNapis::SaveToRecord(Rec);
  Rec.SetAngle(Angle);
}

void TWysKatNapis::FillInfo(IGrObjInfo& Info) const {
  TWysNapis::FillInfo(Info);
  Info.SetValue(10, 2, CursorFormat().FormatAngle(Angle));
}

bool TWysKatNapis::SameGeometry(const TEGraphObj& Other) const {
  const auto* o = dynamic_cast<const TWysKatNapis*>(&Other);
  return TWysNapis::SameGeometry(Other) && o != nullptr && o->Angle == Angle;
}

void TWysKatNapis::CopyFieldsFrom(const TEGraphObj& Source) {
  TWysNapis::CopyFieldsFrom(Source);
  if (const auto* s = dynamic_cast<const TWysKatNapis*>(&Source)) Angle = s->Angle;
}

void TWysKatNapis::SetCzolowka(const TRealPoint& Pos, const TRealPoint& Direction, double Distance,
                               std::uint8_t CzFlags) {
  double sign;
  if ((CzFlags & 1) != 0) {
    SetJustyfikacja(2);
    sign = 1.0;
  } else if ((CzFlags & 2) != 0) {
    SetJustyfikacja(5);
    sign = 0.0;
  } else {
    SetJustyfikacja(8);
    sign = -1.0;
  }
  SetUnderline((CzFlags & 0x10) != 0);
  Position = Pos;
  TRealPoint dir = Direction;
  if (dir.X < 0.0) dir = TRealPoint{-dir.X, -dir.Y};
  double a = static_cast<double>(ClockwiseAngle(dir.X, dir.Y));
  if (a > std::numbers::pi) a -= std::numbers::pi;
  if (a <= std::numbers::pi / 2.0)
    sign = -sign;
  else
    a += std::numbers::pi;
  // A direction reversed along X (Y of -0) comes out as a full turn: the
  // same label as at 0, and it is stored as 0.
  if (a >= 2.0 * std::numbers::pi) a -= 2.0 * std::numbers::pi;
  Angle = static_cast<float>(a);
  const double len = Hypot(dir.X, dir.Y);
  if (len != 0.0) {
    const double k = 0.2 * sign * Height / len;
    Position.X += dir.Y * k;
    Position.Y -= dir.X * k;
  }
  Text = CursorFormat().FormatCoord(Distance);
  if ((CzFlags & 8) != 0) Text = "-" + Text + "-";
}

std::uint8_t TWysKatNapis::GetCzolowkaFlags() const {
  const int j = GetJustyfikacja();
  std::uint8_t f = (j >= 1 && j <= 3) ? 1 : ((j >= 4 && j <= 6) ? 2 : 4);
  if (IsUnderline()) f |= 0x10;
  if (!Text.empty() && Text.front() == '-' && Text.back() == '-') f |= 8;
  return f;
}

// TWysKatOdnNapis.

TWysKatOdnNapis::TWysKatOdnNapis(const TRealPoint& Position, const std::string& Text, double Height,
                                 std::uint8_t Justification, bool Underline, float Angle,
                                 const TRealPoint& RefPoint)
    : TWysKatNapis(Position, Text, Height, Justification, Underline, Angle) {
  SetRefPoint(RefPoint);
}

TWysKatOdnNapis::TWysKatOdnNapis(const ObjectSaveRecord& Rec) : TWysKatNapis(Rec), RefOffset(Rec.GetRefOffset()) {}

bool TWysKatOdnNapis::FitsStoredLayout() const { return ObjectSaveRecord::TextFits(Text, kLayerRefTextMax); }

std::unique_ptr<TDefSpecLinia> TWysKatOdnNapis::MakeReferenceLine(const TVectorChar& Measure,
                                                                  const TAffineMatrix& T,
                                                                  const TDrawParamsImp& Params) const {
  const std::array<std::int32_t, 2> a = Params.GetTextAnchorOffsets(Measure, 1);
  return std::make_unique<TDefSpecLinia>(FontToWorld(T, -a[1], a[0]), GetRefPoint());
}

void TWysKatOdnNapis::Draw(TRealCanvas& Canvas) const {
  ApplyColor(Canvas);
  PrepareParams(Canvas, false);
  Canvas.VectorTextOut(Text, 1, Position, Angle, GetRefPoint());
}

TRealRect TWysKatOdnNapis::GetBoundsFor(const TDrawParamsImp* Params) const {
  const TRealRect square = TWysKatNapis::GetBoundsFor(Params);
  return UnionRealRect(square, RealRect(Position.X, Position.Y, GetRefPoint().X, GetRefPoint().Y));
}

bool TWysKatOdnNapis::HitDistance(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp* Params,
                                  double& D) const {
  const std::unique_ptr<TSimpleDrawParams> params = CopyDrawParams(Params);
  PrepareParams(*params, false);
  bool placed = false;
  TAffineMatrix t;
  double dt = 1.7e308;
  const bool hitT = TextPartHit(*params, P, Tol, dt, placed, t);
  const std::unique_ptr<TVectorChar> m = MeasureText(*params);
  if (!placed) t = params->GetTextTransform(*m, Position, Angle);
  const std::unique_ptr<TDefSpecLinia> ref = MakeReferenceLine(*m, t, *params);
  double dr = 1.7e308;
  const bool hitR = ref->HitDistance(P, Tol, params.get(), dr);
  if (hitT) {
    D = (hitR && dr < dt) ? dr : dt;
    return true;
  }
  if (hitR) D = dr;
  return hitR;
}

void TWysKatOdnNapis::SaveToRecord(ObjectSaveRecord& Rec) const {
  TWysKatNapis::SaveToRecord(Rec);
  Rec.SetKindByte(kTextKindRefText);
  Rec.SetRefOffset(RefOffset);
}

void TWysKatOdnNapis::FillInfo(IGrObjInfo& Info) const {
  TWysKatNapis::FillInfo(Info);
  const TRealPoint r = GetRefPoint();
  Info.SetLabel(12, 0, "Współrzędne odnośnika");
  Info.SetLabel(13, 0, "X");
  Info.SetValue(13, 1, Coord(r.X));
  Info.SetLabel(13, 2, "Y");
  Info.SetValue(13, 2, Coord(r.Y));
}

void TWysKatOdnNapis::GetAuxLines(const TDrawParamsImp* Params, TAuxLines& Lines) const {
  for (auto& l : Lines) l.reset();
  const std::unique_ptr<TSimpleDrawParams> params = CopyDrawParams(Params);
  params->SetJustification(GetJustyfikacja());
  if (Height != 0.0f) params->SetSize(Height);
  const std::unique_ptr<TVectorChar> m = MeasureText(*params);
  const TAffineMatrix t = params->GetTextTransform(*m, Position, Angle);
  if (IsUnderline()) Lines[3] = UnderlineLine(*m, t);
  params->SetOverline(IsOverline());
  Lines[2] = MakeReferenceLine(*m, t, *params);
}

void TWysKatOdnNapis::CopyFieldsFrom(const TEGraphObj& Source) {
  TWysKatNapis::CopyFieldsFrom(Source);
  if (const auto* s = dynamic_cast<const TWysKatOdnNapis*>(&Source)) RefOffset = s->RefOffset;
}

// TWysKatOdnNapisW.

TEditToolPtr TWysKatOdnNapisW::CreateEditTool(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas,
                                              std::int32_t Colour, bool OwnSelf) {
  return RequireObjectEditorsFor(OwnSelf ? this : nullptr, "TWysKatOdnNapisW.CreateEditTool")
      .MakeEditTool(TEditToolKind::Text, *this, Sublayer, Index, Canvas, Colour, OwnSelf);
}

TEditToolPtr TWysKatOdnNapisW::EditKrzyz(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas,
                                         std::int32_t Colour) {
  return CreateEditTool(Sublayer, Index, Canvas, Colour, false);
}

bool TWysKatOdnNapisW::Edit(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas, std::int32_t EraseColour) {
  return RunTextDialog(Sublayer, Index, Canvas, EraseColour, nullptr);
}

bool TWysKatOdnNapisW::RunTextDialog(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas,
                                     std::int32_t EraseColour, std::string* Denominator) {
  IObjectEditors& editors = RequireObjectEditors("TWysKatOdnNapisW.Edit");
  TTextEditValues v;
  v.Height = Height;
  v.Angle = Angle;
  v.Text = Text;
  if (Denominator != nullptr) v.Denominator = *Denominator;
  v.Justification = GetJustyfikacja();
  v.Reference = NoReference == 0;
  v.Underline = IsUnderline();
  if (!editors.EditText(Denominator != nullptr, v)) return false;
  ApplyModalEdit(*this, Sublayer, Index, Canvas, EraseColour, [&] {
    SetJustyfikacja(v.Justification);
    Angle = v.Angle;
    Height = v.Height;
    Text = v.Text;
    if (Denominator != nullptr) *Denominator = v.Denominator;
    NoReference = v.Reference ? 0 : 1;
    SetUnderline(v.Underline);
  });
  return true;
}

TWysKatOdnNapisW::TWysKatOdnNapisW(const ObjectSaveRecord& Rec)
    : TWysKatOdnNapis(Rec), NoReference((Rec.GetKindByte() & kTextKindRefBit) == 0 ? 1 : 0) {}

bool TWysKatOdnNapisW::FitsStoredLayout() const {
  return HasReference() ? TWysKatOdnNapis::FitsStoredLayout() : TNapis::FitsStoredLayout();
}

void TWysKatOdnNapisW::Draw(TRealCanvas& Canvas) const {
  if (HasReference())
    TWysKatOdnNapis::Draw(Canvas);
  else
    TWysKatNapis::Draw(Canvas);
}

TRealRect TWysKatOdnNapisW::GetBoundsFor(const TDrawParamsImp* Params) const {
  return HasReference() ? TWysKatOdnNapis::GetBoundsFor(Params) : TWysKatNapis::GetBoundsFor(Params);
}

bool TWysKatOdnNapisW::HitDistance(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp* Params,
                                   double& D) const {
  return HasReference() ? TWysKatOdnNapis::HitDistance(P, Tol, Params, D)
                        : TWysKatNapis::HitDistance(P, Tol, Params, D);
}

void TWysKatOdnNapisW::SaveToRecord(ObjectSaveRecord& Rec) const {
  TWysKatOdnNapis::SaveToRecord(Rec);
  Rec.SetKindByte(HasReference() ? kTextKindRefText : kTextKindText);
}

void TWysKatOdnNapisW::GetSnapPoints(IActivePoints& Points, const TDrawParamsImp* Params) const {
  const std::unique_ptr<TSimpleDrawParams> params = CopyDrawParams(Params);
  PrepareParams(*params, true);
  const TTextBox b = ComputeTextBox(*params);
  const TRealPoint p0 = b.C;
  const TRealPoint p1{b.C.X + b.U.X, b.C.Y + b.U.Y};
  const TRealPoint p2{p1.X + b.V.X, p1.Y + b.V.Y};
  const TRealPoint p3{b.C.X + b.V.X, b.C.Y + b.V.Y};
  Points.SetPoint(0, p0);
  Points.SetPoint(1, p1);
  Points.SetPoint(2, p2);
  Points.SetPoint(3, p3);
  Points.SetPoint(4, TRealPoint{(p0.X + p3.X) / 2.0, (p0.Y + p3.Y) / 2.0});
  Points.SetPoint(5, TRealPoint{(p1.X + p2.X) / 2.0, (p1.Y + p2.Y) / 2.0});
  if (HasReference()) {
    Points.SetPoint(6, GetRefPoint());
    Points.SetCount(7);
  } else {
    Points.SetCount(6);
  }
}

void TWysKatOdnNapisW::FillInfo(IGrObjInfo& Info) const {
  if (HasReference()) {
    TWysKatOdnNapis::FillInfo(Info);
    return;
  }
  TWysKatNapis::FillInfo(Info);
  // The reference rows stay, empty.
  Info.SetValue(12, 0, "");
  Info.SetValue(13, 0, "");
}

void TWysKatOdnNapisW::GetAuxLines(const TDrawParamsImp* Params, TAuxLines& Lines) const {
  if (HasReference())
    TWysKatOdnNapis::GetAuxLines(Params, Lines);
  else
    TWysKatNapis::GetAuxLines(Params, Lines);
}

bool TWysKatOdnNapisW::ApplyTextParams(std::uint16_t Mask, const TBlockE& Dialog) {
  bool any = false;
  if ((Mask & kBlockJust) != 0) {
    SetJustyfikacja(Dialog.Just());
    any = true;
  }
  if ((Mask & kBlockKat) != 0) {
    Angle = static_cast<float>(Dialog.Angle());
    any = true;
  }
  if ((Mask & kBlockHght) != 0) {
    Height = static_cast<float>(Dialog.Height());
    any = true;
  }
  if ((Mask & kBlockText) != 0) {
    Text = Dialog.Text();
    any = true;
  }
  if ((Mask & kBlockOdn) != 0) {
    NoReference = Dialog.Odn() ? 0 : 1;
    any = true;
  }
  if ((Mask & kBlockUnderln) != 0) {
    SetUnderline(Dialog.Underln());
    any = true;
  }
  return any;
}

int TWysKatOdnNapisW::ApplyParams(std::uint16_t Mask, const TBlockE& Dialog) {
  const bool any = ApplyTextParams(Mask, Dialog);
  if (any) MarkChanged();
  return any ? 1 : 0;
}

void TWysKatOdnNapisW::CopyFieldsFrom(const TEGraphObj& Source) {
  TWysKatOdnNapis::CopyFieldsFrom(Source);
  if (const auto* s = dynamic_cast<const TWysKatOdnNapisW*>(&Source)) NoReference = s->NoReference;
}
