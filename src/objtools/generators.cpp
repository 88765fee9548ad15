#include "objtools/generators.h"

#include <cmath>
#include <utility>

#include "foundation/errors.h"
#include "layers/tree/sublayer.h"
#include "objects/genelements.h"
#include "objects/linestylelib.h"
#include "objects/styledlines.h"
#include "platform/gui/dialogs.h"

namespace {

// A / B, or 0 when B is 0.
double Quotient(double A, double B) { return B == 0.0 ? 0.0 : A / B; }

// The frame of the computed generators: y along P1 -> P2 and x along
// (-D.Y, D.X) / L, with the point's coordinates in it.
struct TSegmentFrame {
  TRealPoint P1;
  TRealPoint D;
  double L = 0.0;

  TSegmentFrame(const TRealPoint& A, const TRealPoint& B) : P1(A), D{B.X - A.X, B.Y - A.Y} {
    L = std::hypot(D.X, D.Y);
  }
  double X(const TRealPoint& Q) const { return ((Q.Y - P1.Y) * D.X - (Q.X - P1.X) * D.Y) / L; }
  double Y(const TRealPoint& Q) const { return ((Q.X - P1.X) * D.X + (Q.Y - P1.Y) * D.Y) / L; }
  // Two equal points: everything onto P1.
  TAffineMatrix Degenerate(const TAffineMatrix& Old) const {
    TAffineMatrix m = Old;
    m.a = -D.Y;
    m.b = D.X;
    m.c = P1.X;
    m.d = D.X;
    m.e = D.Y;
    m.f = P1.Y;
    return m;
  }
  // The frame's matrix; the linear scale is left as it was.
  TAffineMatrix Matrix(const TAffineMatrix& Old) const {
    TAffineMatrix m = Old;
    m.a = -D.Y / L;
    m.b = D.X / L;
    m.c = P1.X;
    m.d = D.X / L;
    m.e = D.Y / L;
    m.f = P1.Y;
    return m;
  }
};

}  // namespace

// --- TGeneratedObjItem, TGeneratedObjList ---

TGeneratedObjItem::TGeneratedObjItem(TEGraphObj* Obj) : TUndoOperationItem(kUndoAdd, nullptr, Obj, TSublayerLater{}) {}

TGeneratedObjList::TGeneratedObjList(const std::string& GeneratorName)
    : TBlockUndoOperation("Generator " + GeneratorName) {}

void TGeneratedObjList::AddToSublayer(TPodwarstwa& Sublayer) {
  for (std::int32_t i = 0; i < Count(); ++i) {
    TGeneratedObjItem* item = Item(i);
    item->SetSublayer(&Sublayer);
    Sublayer.AddObject(item->NewObject());
  }
}

// --- TGeneratorImp ---

std::unique_ptr<TEGraphObj> TGeneratorImp::CreateElementFromRecord(const TElementRecord& Rec) const {
  switch (Rec.Type) {
    case kElemLine:
      return std::make_unique<TGLinia>(Rec);
    case kElemArc:
      return std::make_unique<TGLuk>(Rec);
    case kElemCircle:
      return std::make_unique<TGOkrag>(Rec);
    default:
      throw EInternalError(kInvalidElementType);
  }
}

int TGeneratorImp::GetPointCount() const { return 2; }

std::unique_ptr<TGeneratedObjList> TGeneratorImp::CreateObjects(const TAffineMatrix& M, std::uint32_t OperatId) const {
  auto list = std::make_unique<TGeneratedObjList>(Name);
  for (std::int32_t i = 0; i < Count(); ++i) {
    std::unique_ptr<TEGraphObj> obj = Element(i)->CreateBaseCopy();
    obj->SetIdent(OperatId);
    obj->Transform(M);
    auto item = std::make_unique<TGeneratedObjItem>(obj.get());
    // The item holds the object through its owner bit from here on.
    obj.release();
    list->Add(std::move(item));
  }
  return list;
}

double TGeneratorImp::GetSpacing(const GeneratorContext&) { return 0.0; }
void TGeneratorImp::SetSpacing(const GeneratorContext&, double) {}
void TGeneratorImp::AdoptDefaultSpacing(const GeneratorContext&) {}
bool TGeneratorImp::HasSpacing() const { return false; }

void TGeneratorImp::ConfirmLineCount(double Lines, const char* Text, bool P3Given, bool P4Given, double Spacing) {
  if (!(Lines > kLineCountQuestionLimit)) return;
  const bool sameShape = question_.Asked && question_.P3Given == P3Given && question_.P4Given == P4Given &&
                         question_.Spacing == Spacing;
  if (!sameShape) {
    const int answer = platform::MessageBox(
        Text, kLineCountCaption, platform::MB_YESNO | platform::MB_ICONQUESTION | platform::MB_DEFBUTTON2);
    question_ = TQuestion{true, answer == platform::IDYES, P3Given, P4Given, Spacing};
  }
  if (!question_.Accepted) throw EAbort();
}

// --- File-defined generators ---

void TGenerator::ComputeTransform(const TRealPoint& P1, const TRealPoint& P2, const TRealPoint*, TAffineMatrix& M,
                                  const TRealPoint*) {
  const TRealPoint d{P2.X - P1.X, P2.Y - P1.Y};
  const double l = std::hypot(d.X, d.Y);
  M.a = Quotient(d.Y, l);
  M.b = Scale * d.X;
  M.c = P1.X;
  M.d = Quotient(-d.X, l);
  M.e = Scale * d.Y;
  M.f = P1.Y;
  M.s = l * Scale;
}

void TGenerator2P::ComputeTransform(const TRealPoint& P1, const TRealPoint& P2, const TRealPoint*, TAffineMatrix& M,
                                    const TRealPoint*) {
  const TRealPoint d{P2.X - P1.X, P2.Y - P1.Y};
  M.a = Scale * d.Y;
  M.b = Scale * d.X;
  M.c = P1.X;
  M.d = -Scale * d.X;
  M.e = Scale * d.Y;
  M.f = P1.Y;
  M.s = std::hypot(d.X, d.Y) * Scale;
}

int TGenerator3P::GetPointCount() const { return 3; }

void TGenerator3P::ComputeTransform(const TRealPoint& P1, const TRealPoint& P2, const TRealPoint* P3,
                                    TAffineMatrix& M, const TRealPoint* P4) {
  if (P3 == nullptr) {
    TGenerator::ComputeTransform(P1, P2, P3, M, P4);
    return;
  }
  const TRealPoint d{P2.X - P1.X, P2.Y - P1.Y};
  const double l = std::hypot(d.X, d.Y);
  // The signed distance of P3 from the line P1P2, divided by L and by the
  // definition's width (nothing across when P1 = P2).
  const double k =
      Quotient((P3->Y - P1.Y) * d.X + (P1.X - P3->X) * d.Y, d.X * d.X + d.Y * d.Y) * Scale3;
  M.a = -k * d.Y;
  M.b = Scale * d.X;
  M.c = P1.X;
  M.d = k * d.X;
  M.e = Scale * d.Y;
  M.f = P1.Y;
  M.s = (std::hypot(P3->X - P1.X, P3->Y - P1.Y) * Scale3 + l * Scale) / 2.0;
}

int TGenerator1P::GetPointCount() const { return 1; }

void TGenerator1P::ComputeTransform(const TRealPoint& P1, const TRealPoint&, const TRealPoint*, TAffineMatrix& M,
                                    const TRealPoint*) {
  M = TAffineMatrix{1.0, 0.0, P1.X, 0.0, 1.0, P1.Y, 1.0};
}

void TGenerator2PNS::ComputeTransform(const TRealPoint& P1, const TRealPoint& P2, const TRealPoint*,
                                      TAffineMatrix& M, const TRealPoint*) {
  const TRealPoint d{P2.X - P1.X, P2.Y - P1.Y};
  const double l = std::hypot(d.X, d.Y);
  M.a = l == 0.0 ? 1.0 : d.Y / l;
  M.b = Quotient(d.X, l);
  M.c = P1.X;
  M.d = Quotient(-d.X, l);
  M.e = l == 0.0 ? 1.0 : d.Y / l;
  M.f = P1.Y;
  M.s = 1.0;
}

// --- Embankments ---

int TSkarpaGenerator::GetPointCount() const { return 4; }

void TSkarpaGenerator::ComputeTransform(const TRealPoint& P1, const TRealPoint& P2, const TRealPoint* P3,
                                        TAffineMatrix& M, const TRealPoint* P4) {
  const TSegmentFrame frame(P1, P2);
  const double L = frame.L;
  if (L == 0.0) {
    // A shape always starts from two equal points.
    NewShape();
    M = frame.Degenerate(M);
    return;
  }

  // The bottom edge's ends: the far one from P3, the near one from P4, both
  // on the same side of the top edge; C is the one nearer to P1.
  double x3 = -1.0, y3 = L - 1.0;
  if (P3 != nullptr) {
    x3 = frame.X(*P3);
    y3 = frame.Y(*P3);
  }
  double x4 = 1.0, y4 = 1.0;
  if (P4 != nullptr) {
    x4 = std::fabs(frame.X(*P4));
    y4 = frame.Y(*P4);
  }
  if (!(x3 > 0.0)) x4 = -x4;
  if (y4 > y3) {
    std::swap(x3, x4);
    std::swap(y3, y4);
  }

  double s = Spacing;
  if (!(s >= 1e-14)) s = std::fabs(x3 + x4) * 0.25;
  if (L * 1e-6 > s) s = 1.0;

  ConfirmLineCount(L / s, kEmbankmentQuestion, P3 != nullptr, P4 != nullptr, Spacing);
  ComputedSpacing = s;
  M = frame.Matrix(M);
  // A confirmed shape stays within the bound of lines.
  if (L / s > kMaxGeneratedLines) s = L / kMaxGeneratedLines;

  // The boundary opposite the top edge at t along it, and the midline
  // between the two.
  const auto bound = [&](double t) {
    if (t < y4) return x4 * Quotient(t, y4);
    if (t > y3) return x3 * Quotient(t - L, y3 - L);
    return x4 + (t - y4) * Quotient(x3 - x4, y3 - y4);
  };
  const auto mid = [&](double t) { return x4 / 2.0 + (t - y4 / 2.0) * Quotient(x3 - x4, L + y3 - y4); };

  Clear();
  for (std::int64_t i = 0;; ++i) {
    const double t = static_cast<double>(i) * s;
    if (!(t < L)) break;
    const double b = bound(t);
    double end = b;
    if (i % 2 == 1) {
      const double m = mid(t);
      if (std::fabs(b) > std::fabs(m)) end = m;
    }
    Add(std::make_unique<TGLinia>(TRealPoint{0.0, t}, TRealPoint{end, t}));
  }
  const TRealPoint a{0.0, 0.0}, bTop{0.0, L}, c{x4, y4}, e{x3, y3};
  AddSideEdge(a, c);
  AddSideEdge(bTop, e);
  AddTopEdge(a, bTop);
  AddBottomEdge(c, e);
}

double TSkarpaGenerator::GetSpacing(const GeneratorContext&) { return Spacing; }

void TSkarpaGenerator::SetSpacing(const GeneratorContext&, double D) { Spacing = D; }

void TSkarpaGenerator::AdoptDefaultSpacing(const GeneratorContext&) {
  if (Spacing == 0.0) Spacing = ComputedSpacing;
}

bool TSkarpaGenerator::HasSpacing() const { return true; }

void TSkarpaGenerator::AddTopEdge(const TRealPoint&, const TRealPoint&) {}
void TSkarpaGenerator::AddBottomEdge(const TRealPoint&, const TRealPoint&) {}
void TSkarpaGenerator::AddSideEdge(const TRealPoint&, const TRealPoint&) {}

void TSkarpaGenerator::AddStyledEdge(const TRealPoint& A, const TRealPoint& B, const char* StyleName,
                                     std::uint16_t Number) {
  const TLineManager& styles = LineManager();
  const TLine* style = styles.GetLineByName(StyleName);
  if (style == nullptr) style = styles.GetLine(Number);
  Add(std::make_unique<TLiniaSpecjalna>(A, B, style, 1.0));
}

void TSkarpaUmocniona::AddTopEdge(const TRealPoint& A, const TRealPoint& B) { AddStyledEdge(A, B, "WSG", 1); }

void TSkarpaUmocniona::AddBottomEdge(const TRealPoint& C, const TRealPoint& D) { AddStyledEdge(C, D, "WSD", 2); }

void TSkarpaUmocniona::AddSideEdge(const TRealPoint& P, const TRealPoint& Q) { Add(std::make_unique<TGLinia>(P, Q)); }

void TSkarpaNieumocniona::AddTopEdge(const TRealPoint& A, const TRealPoint& B) { AddStyledEdge(A, B, "WSQ", 2); }

// --- Stairs and terraces ---

int TSchodyGenerator::GetPointCount() const { return 3; }

bool TSchodyGenerator::PrepareFrame(const TRealPoint& P1, const TRealPoint& P2, const TRealPoint* P3,
                                    TAffineMatrix& M, double& L, double& W) {
  const TSegmentFrame frame(P1, P2);
  L = frame.L;
  if (L == 0.0) {
    NewShape();
    M = frame.Degenerate(M);
    return false;
  }
  M = frame.Matrix(M);
  if (Spacing == 0.0) return false;
  W = P3 != nullptr ? frame.X(*P3) : 1.0;
  if (W < 0.0) {
    // The shape goes to P3's side.
    W = -W;
    M.a = -M.a;
    M.d = -M.d;
  }
  return true;
}

void TSchodyGenerator::ComputeTransform(const TRealPoint& P1, const TRealPoint& P2, const TRealPoint* P3,
                                        TAffineMatrix& M, const TRealPoint*) {
  TAffineMatrix m = M;
  double L = 0.0, W = 0.0;
  if (!PrepareFrame(P1, P2, P3, m, L, W)) {
    M = m;
    return;
  }
  // A spacing the user typed below zero counts by its size; one that is not
  // a number makes no treads.
  double s = std::fabs(Spacing);
  ConfirmLineCount(W / s, kStairsQuestion, P3 != nullptr, false, Spacing);
  M = m;
  if (W / s > kMaxGeneratedLines) s = W / kMaxGeneratedLines;

  Clear();
  Add(std::make_unique<TGLinia>(TRealPoint{0.0, 0.0}, TRealPoint{W, 0.0}));
  Add(std::make_unique<TGLinia>(TRealPoint{0.0, L}, TRealPoint{W, L}));
  for (std::int64_t i = 0;; ++i) {
    const double x = W - static_cast<double>(i) * s;
    if (!(x > 0.0)) break;
    Add(std::make_unique<TGLinia>(TRealPoint{x, 0.0}, TRealPoint{x, L}));
  }
}

double TSchodyGenerator::GetSpacing(const GeneratorContext& Ctx) {
  if (Spacing == 0.0) SetDefaultSpacing(Ctx.Scale);
  return Spacing;
}

void TSchodyGenerator::SetSpacing(const GeneratorContext& Ctx, double D) {
  Spacing = D;
  if (D == 0.0) SetDefaultSpacing(Ctx.Scale);
}

void TSchodyGenerator::AdoptDefaultSpacing(const GeneratorContext& Ctx) {
  if (Spacing == 0.0) SetDefaultSpacing(Ctx.Scale);
}

bool TSchodyGenerator::HasSpacing() const { return true; }

void TSchodyGenerator::SetDefaultSpacing(std::int32_t Scale) {
  Spacing = Scale < 750 ? Scale * 0.001 : Scale * 0.7 * 0.001;
}

void TTarasGenerator::ComputeTransform(const TRealPoint& P1, const TRealPoint& P2, const TRealPoint* P3,
                                       TAffineMatrix& M, const TRealPoint*) {
  double L = 0.0, W = 0.0;
  if (!PrepareFrame(P1, P2, P3, M, L, W)) return;
  Clear();
  BuildCell(L, W);
}

namespace {

// Lines through the corners in order.
void AddPath(TSymbolImp& Elements, std::initializer_list<TRealPoint> Corners) {
  const TRealPoint* previous = nullptr;
  for (const TRealPoint& p : Corners) {
    if (previous != nullptr) Elements.Add(std::make_unique<TGLinia>(*previous, p));
    previous = &p;
  }
}

}  // namespace

void TTarasGenerator::BuildCell(double L, double W) {
  const double s = Spacing;
  AddPath(*this, {{0, 0}, {W, 0}, {W, L}, {0, L}, {0, 0}});
  AddPath(*this, {{s, s}, {W - s, s}, {W - s, L - s}, {s, L - s}, {s, s}});
}

void TTaras2Generator::BuildCell(double L, double W) {
  const double s = Spacing;
  AddPath(*this, {{0, 0}, {W, 0}, {W, L}, {0, L}});
  AddPath(*this, {{0, s}, {W - s, s}, {W - s, L - s}, {0, L - s}});
}
