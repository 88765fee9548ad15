#include "foundation/geometry/topology.h"

#include <cmath>
#include <functional>
#include <utility>

#include "foundation/errors.h"

namespace {

TRealPoint XY(const TPointRec& P) { return TRealPoint{P.X, P.Y}; }

// Unsigned address order, the same on every platform.
int CompareAddresses(const void* A, const void* B) {
  if (std::less<const void*>()(A, B)) return -1;
  return std::less<const void*>()(B, A) ? 1 : 0;
}

const TDCPunkt* AsPoint(const void* Key) {
  return static_cast<const TDCPunkt*>(static_cast<const TObject*>(Key));
}

}  // namespace

TDCPunktPrzeciecia::TDCPunktPrzeciecia(const TPointRec& P, TDCOdcinek* SegA, TDCOdcinek* SegB)
    : TDCPunkt(P) {
  if (std::less<const void*>()(SegB, SegA)) std::swap(SegA, SegB);
  Segment = SegA;
  Segment2 = SegB;
  Kind = dcCrossing;
  Dist1 = SegA->DistanceFromStart(P);
  Dist2 = SegB->DistanceFromStart(P);
  SegA->AddCrossing(this);
  try {
    SegB->AddCrossing(this);
  } catch (...) {
    SegA->RemoveCrossing(this);
    throw;
  }
}

TDCPunktPrzeciecia::~TDCPunktPrzeciecia() {
  if (Segment != nullptr) Segment->RemoveCrossing(this);
  if (Segment2 != nullptr) Segment2->RemoveCrossing(this);
}

int TDCPunktList::Compare(const void* key1, const void* key2) const {
  const TDCPunkt* a = AsPoint(key1);
  const TDCPunkt* b = AsPoint(key2);
  if (const int c = CompareRealPoints(XY(a->Point), XY(b->Point)); c != 0) return c;
  if (const int c = CompareAddresses(a->Segment, b->Segment); c != 0) return c;
  return CompareAddresses(a->Segment2, b->Segment2);
}

TDCPunktyPrzecieciaList::TDCPunktyPrzecieciaList(const TDCOdcinek* Owner) : Owner(Owner) {
  Duplicates = true;
}

TDCPunktyPrzecieciaList::~TDCPunktyPrzecieciaList() { Clear(); }

const void* TDCPunktyPrzecieciaList::KeyOf(const TObject* item) const {
  const auto* crossing = static_cast<const TDCPunktPrzeciecia*>(item);
  return crossing->Segment == Owner ? &crossing->Dist1 : &crossing->Dist2;
}

int TDCPunktyPrzecieciaList::Compare(const void* key1, const void* key2) const {
  const float a = *static_cast<const float*>(key1);
  const float b = *static_cast<const float*>(key2);
  if (a < b) return -1;
  return a > b ? 1 : 0;
}

void TDCPunktyPrzecieciaList::FreeItem(void*) {}

TDCOdcinek::TDCOdcinek(std::unique_ptr<TDCPunkt> A, std::unique_ptr<TDCPunkt> B) {
  const bool swap = A->Point.X > B->Point.X || (A->Point.X == B->Point.X && A->Point.Y > B->Point.Y);
  if (swap) std::swap(A, B);
  ownedStart_ = std::move(A);
  ownedEnd_ = std::move(B);
  StartPoint = ownedStart_.get();
  EndPoint = ownedEnd_.get();
  StartPoint->Segment = this;
  StartPoint->Kind = dcStart;
  EndPoint->Segment = this;
  EndPoint->Kind = dcEnd;
  Length = DistanceFromStart(EndPoint->Point);
}

TDCOdcinek::~TDCOdcinek() {
  // Crossings that outlive their segment must not reach back to it.
  if (Crossings) {
    for (std::int32_t i = 0; i < Crossings->Count(); ++i) {
      TDCPunktPrzeciecia* crossing = Crossings->Crossing(i);
      if (crossing->Segment == this) crossing->Segment = nullptr;
      if (crossing->Segment2 == this) crossing->Segment2 = nullptr;
    }
  }
}

int TDCOdcinek::Intersect(TDCOdcinek& Other, TPointRec& P1, TPointRec& P2) {
  return Other.IntersectSegment(*this, P1, P2);
}

int TDCOdcinek::IntersectSegment(TDCOdcinek& Seg, TPointRec& P1, TPointRec&) {
  const TPointRec& start = StartPoint->Point;
  const TPointRec& end = EndPoint->Point;
  const TRealPoint origin = XY(start);
  const TLineABC own = LineABC(XY(start), XY(end), origin);
  const TLineABC other = LineABC(XY(Seg.StartPoint->Point), XY(Seg.EndPoint->Point), origin);
  TRealPoint crossing;
  if (IntersectLinesABC(own, other, crossing) != lcCrossing) return 0;
  TPointRec p{crossing.X + origin.X, crossing.Y + origin.Y, 0.0f};
  if (!InBox(p) || !Seg.InBox(p)) return 0;
  const double dx = end.X - start.X;
  const double t = dx != 0 ? (p.X - start.X) / dx : (p.Y - start.Y) / (end.Y - start.Y);
  p.Z = static_cast<float>(start.Z + (static_cast<double>(end.Z) - start.Z) * t);
  P1 = p;
  return 1;
}

double TDCOdcinek::YAt(double X) const {
  const TPointRec& s = StartPoint->Point;
  const TPointRec& e = EndPoint->Point;
  if (e.X == s.X) return s.Y;
  return (e.Y - s.Y) / (e.X - s.X) * (X - s.X) + s.Y;
}

double TDCOdcinek::Slope() const {
  const TPointRec& s = StartPoint->Point;
  const TPointRec& e = EndPoint->Point;
  if (e.X == s.X) return 0;
  return (e.Y - s.Y) / (e.X - s.X);
}

float TDCOdcinek::DistanceFromStart(const TPointRec& P) const {
  const double dx = P.X - StartPoint->Point.X;
  const double dy = P.Y - StartPoint->Point.Y;
  return static_cast<float>(std::sqrt(dx * dx + dy * dy));
}

bool TDCOdcinek::InBox(const TPointRec& P) const {
  const TPointRec& s = StartPoint->Point;
  const TPointRec& e = EndPoint->Point;
  if (P.X < s.X || P.X > e.X) return false;
  return s.Y <= e.Y ? s.Y <= P.Y && P.Y <= e.Y : e.Y <= P.Y && P.Y <= s.Y;
}

std::array<std::unique_ptr<TDCPunkt>, 2> TDCOdcinek::ReleaseEnds() {
  return {std::move(ownedStart_), std::move(ownedEnd_)};
}

void TDCOdcinek::AddCrossing(TDCPunktPrzeciecia* Crossing) {
  if (!Crossings) Crossings = std::make_unique<TDCPunktyPrzecieciaList>(this);
  Crossings->Add(Crossing);
}

void TDCOdcinek::RemoveCrossing(TDCPunktPrzeciecia* Crossing) {
  if (!Crossings) return;
  const std::int32_t index = Crossings->IndexOf(Crossing);
  if (index >= 0) Crossings->Delete(index);
}

TDCPunktHash::TDCPunktHash(std::int32_t Capacity, double Tolerance)
    : THashList(Capacity), CellSize(2 * Tolerance / 3) {}

std::int32_t TDCPunktHash::HashPosition(double X, double Y) const {
  const double a = std::trunc(X / CellSize);
  const double b = std::trunc(Y / CellSize);
  const double v = std::fabs(a * b);
  double significand = 1;
  if (v > 0 && std::isfinite(v)) {
    int exponent = 0;
    significand = 2 * std::frexp(v, &exponent);  // v = M * 2^E, 1 <= M < 2
  }
  const auto h = static_cast<std::uint32_t>(significand * 1048576);
  state_ = h;
  return static_cast<std::int32_t>(h % static_cast<std::uint32_t>(Size()));
}

std::int32_t TDCPunktHash::Hash(void* Key) const {
  const TPointRec& p = static_cast<TDCPunkt*>(Key)->Point;
  return HashPosition(p.X, p.Y);
}

std::int32_t TDCPunktHash::NextProbe(void*, std::int32_t Index) const {
  state_ = state_ * 6364136223846793005u + 1442695040888963407u;
  const auto size = static_cast<std::uint64_t>(Size());
  const auto step = static_cast<std::int32_t>((state_ >> 33) % size);
  return static_cast<std::int32_t>((static_cast<std::uint64_t>(Index) + step) % size);
}

std::int32_t TDCPunktHash::FindNear(const TPointRec& P, std::vector<TDCPunkt*>& Found) {
  const double tolerance = 1.5 * CellSize;
  std::int32_t found = 0;
  for (int dx = -1; dx <= 1; ++dx) {
    for (int dy = -1; dy <= 1; ++dy) {
      std::int32_t slot = HashPosition(P.X + dx * CellSize, P.Y + dy * CellSize);
      // A probe sequence ends at an empty slot; Size steps bound it in a
      // table that has none.
      for (std::int32_t step = 0; step < Size(); ++step) {
        void* item = GetSlot(slot);
        if (item == nullptr) break;
        if (item != kTaken) {
          auto* point = static_cast<TDCPunkt*>(item);
          if (std::fabs(point->Point.X - P.X) < tolerance &&
              std::fabs(point->Point.Y - P.Y) < tolerance) {
            Found.push_back(point);
            *SlotAddress(slot) = kTaken;
            ++found;
          }
        }
        slot = NextProbe(nullptr, slot);
      }
    }
  }
  return found;
}

TCrossingLines::~TCrossingLines() {
  // Crossings unregister from their segments, so the points go first.
  Points.Clear();
  Segments.Clear();
  CrossingPoints.reset();
}

void TCrossingLines::AddLine(ITopologySource& Obj) {
  TTopologySegments segments;
  Obj.CreateTopologySegments(segments, Tolerance);
  for (std::unique_ptr<TDCOdcinek>& segment : segments) {
    if (!segment) break;
    TDCOdcinek* added = segment.get();
    Segments.Add(std::move(segment));
    for (std::unique_ptr<TDCPunkt>& end : added->ReleaseEnds()) Points.TObjList::Add(std::move(end));
  }
}

void TCrossingLines::FreeCrossings() {
  CrossingPoints.reset();
  for (std::int32_t i = Points.Count() - 1; i >= 0; --i)
    if (Points.Point(i)->Kind == dcCrossing) Points.Delete(i);
}

void TCrossingLines::Compute(ICancelCheck& Cancel) {
  FreeCrossings();
  const std::int32_t count = Segments.Count();
  for (std::int32_t i = 0; i < count; ++i) {
    TDCOdcinek* first = Segment(i);
    for (std::int32_t j = i + 1; j < count; ++j) {
      TDCOdcinek* second = Segment(j);
      Cancel.CheckCanceled();
      if (first->EndPoint->Point.X < second->StartPoint->Point.X ||
          second->EndPoint->Point.X < first->StartPoint->Point.X)
        continue;
      Cancel.CheckCanceled();
      TPointRec p[2];
      const int found = first->Intersect(*second, p[0], p[1]);
      for (int k = 0; k < found && k < 2; ++k) {
        auto crossing = std::make_unique<TDCPunktPrzeciecia>(p[k], k == 0 ? first : second,
                                                             k == 0 ? second : first);
        TDCPunktPrzeciecia* added = crossing.get();
        Points.TObjList::Add(std::move(crossing));
        if (!CrossingPoints) CrossingPoints = std::make_unique<TList>();
        CrossingPoints->Add(added);
      }
    }
  }
}

void TCrossingLines::MergeCrossings(ICancelCheck& Cancel) {
  // Nothing lies within a tolerance of 0 (and cells of size 0 cannot hash).
  if (!CrossingPoints || CrossingPoints->Count() == 0 || !(Tolerance > 0)) return;
  TDCPunktHash hash(2 * CrossingPoints->Count(), Tolerance);
  for (std::int32_t i = 0; i < CrossingPoints->Count(); ++i)
    if (hash.Add(Crossing(i)) < 0) throw EInternalError("TDCPunktHash: brak wolnej szczeliny");

  std::vector<TDCPunkt*> found;
  for (std::int32_t slot = 0; slot < hash.Size(); ++slot) {
    void* item = hash.GetSlot(slot);
    if (item == nullptr || item == TDCPunktHash::kTaken) continue;
    Cancel.CheckCanceled();
    *hash.SlotAddress(slot) = TDCPunktHash::kTaken;
    auto* crossing = static_cast<TDCPunkt*>(item);
    found.clear();
    const std::int32_t n = hash.FindNear(crossing->Point, found);
    if (n == 0) continue;
    long double x = crossing->Point.X, y = crossing->Point.Y, z = crossing->Point.Z;
    for (const TDCPunkt* p : found) {
      x += p->Point.X;
      y += p->Point.Y;
      z += p->Point.Z;
    }
    const TPointRec mean{static_cast<double>(x / (n + 1)), static_cast<double>(y / (n + 1)),
                         static_cast<float>(z / (n + 1))};
    crossing->Point = mean;
    for (TDCPunkt* p : found) p->Point = mean;
  }
}
