// Segment topology and line crossings: finds where the lines of a set of
// graphic objects cross one another, so that a block of lines can be cut and
// joined at its crossings.
//
// Each object gives straight topology segments (a line gives itself,
// lengthened by the tolerance at both ends so that lines that almost meet
// cross); every pair of segments whose X ranges overlap is intersected; every
// crossing becomes a point registered on both segments, ordered along each by
// its distance from the segment's start; MergeCrossings then moves crossings
// within the tolerance of one another to their common mean.
//
// Ownership: the collector TCrossingLines owns every topology point (segment
// ends and crossings, in Points) and every segment (in Segments). A segment's
// Crossings list owns nothing. One thread at a time (the thread doing the
// work polls the cancel check).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/containers/hashlist.h"
#include "foundation/containers/list.h"
#include "foundation/containers/objlist.h"
#include "foundation/containers/sortedlist.h"
#include "foundation/geometry/realgeom.h"
#include "foundation/threads/cancelcheck.h"

class TDCOdcinek;
class ITopologySource;

// Kind of a topology point.
enum : std::uint8_t {
  dcStart = 0,     // start of its segment
  dcEnd = 1,       // end of its segment
  dcCrossing = 2,  // crossing of two segments
};

// A topology point: a segment end or (as TDCPunktPrzeciecia) a crossing.
class TDCPunkt : public TObject {
public:
  explicit TDCPunkt(const TPointRec& P) : Point(P) {}

  TPointRec Point;
  // The segment this point is an end of; for a crossing its first segment.
  TDCOdcinek* Segment = nullptr;
  // For a crossing its second segment, else nil.
  TDCOdcinek* Segment2 = nullptr;
  std::uint8_t Kind = dcStart;
};

// A crossing of two segments, registered in the Crossings list of both for
// its lifetime.
class TDCPunktPrzeciecia : public TDCPunkt {
public:
  // Segment and Segment2 take SegA and SegB with the lower address first, so
  // a pair has one order whichever way it was found.
  TDCPunktPrzeciecia(const TPointRec& P, TDCOdcinek* SegA, TDCOdcinek* SegB);
  ~TDCPunktPrzeciecia() override;

  // Distance of the crossing from the start of Seg (Dist1 for Segment, else
  // Dist2).
  float ParamOn(const TDCOdcinek* Seg) const { return Seg == Segment ? Dist1 : Dist2; }

  float Dist1 = 0;  // from the start of Segment
  float Dist2 = 0;  // from the start of Segment2
};

// Topology points, ordered (by Sort) by position, then by Segment and
// Segment2 as unsigned addresses. Owns its points.
class TDCPunktList : public TSortedList {
public:
  int Compare(const void* key1, const void* key2) const override;
  TDCPunkt* Point(std::int32_t index) const { return ItemAs<TDCPunkt>(index); }
};

// The crossings of one segment in order along it (equal distances allowed).
// Owns nothing.
class TDCPunktyPrzecieciaList : public TSortedList {
public:
  explicit TDCPunktyPrzecieciaList(const TDCOdcinek* Owner);
  ~TDCPunktyPrzecieciaList() override;

  // The key of a crossing: its distance from the owner's start.
  const void* KeyOf(const TObject* item) const override;
  int Compare(const void* key1, const void* key2) const override;
  TDCPunktPrzeciecia* Crossing(std::int32_t index) const {
    return ItemAs<TDCPunktPrzeciecia>(index);
  }

  const TDCOdcinek* Owner;

protected:
  void FreeItem(void* item) override;
};

// A straight topology segment. Its start is the end with the smaller X (the
// smaller Y when both X are equal).
class TDCOdcinek : public TObject {
public:
  // Takes the two ends (in any order) and owns them until the collector takes
  // them over through ReleaseEnds.
  TDCOdcinek(std::unique_ptr<TDCPunkt> A, std::unique_ptr<TDCPunkt> B);
  ~TDCOdcinek() override;

  // Other.IntersectSegment(this, P1, P2).
  virtual int Intersect(TDCOdcinek& Other, TPointRec& P1, TPointRec& P2);
  // 0, or 1 with the crossing in P1 (its height taken on this segment).
  virtual int IntersectSegment(TDCOdcinek& Seg, TPointRec& P1, TPointRec& P2);
  // Y of the segment's line at X; Start.Y when the segment has no X extent.
  virtual double YAt(double X) const;
  // dY/dX; 0 when the segment has no X extent.
  virtual double Slope() const;
  virtual float DistanceFromStart(const TPointRec& P) const;

  // Start.X <= P.X <= End.X and P.Y between the ends' Y, borders included.
  bool InBox(const TPointRec& P) const;

  // Hands the ownership of both ends to the caller (StartPoint and EndPoint
  // stay valid as long as the caller keeps them).
  std::array<std::unique_ptr<TDCPunkt>, 2> ReleaseEnds();

  float Length = 0;
  // The crossings on this segment, created with the first one.
  std::unique_ptr<TDCPunktyPrzecieciaList> Crossings;
  TDCPunkt* StartPoint = nullptr;
  TDCPunkt* EndPoint = nullptr;
  // The graphic object the segment was made from (set by that object).
  ITopologySource* Source = nullptr;

private:
  friend class TDCPunktPrzeciecia;
  void AddCrossing(TDCPunktPrzeciecia* Crossing);
  void RemoveCrossing(TDCPunktPrzeciecia* Crossing);

  std::unique_ptr<TDCPunkt> ownedStart_;
  std::unique_ptr<TDCPunkt> ownedEnd_;
};

// Up to four segments of one object; the first empty entry ends them.
using TTopologySegments = std::array<std::unique_ptr<TDCOdcinek>, 4>;

// What a graphic object offers the crossing collector: its topology segments.
class ITopologySource {
public:
  virtual ~ITopologySource() = default;
  // Fills Segs with the object's segments, lengthened by Ext at both ends;
  // Segs[0] empty when the object gives none.
  virtual void CreateTopologySegments(TTopologySegments& Segs, double Ext) = 0;
};

// Spatial hash of topology points for MergeCrossings. Does not own the
// points. Found points are marked in their slot with kTaken, so that each is
// found at most once and probe sequences stay intact.
class TDCPunktHash : public THashList {
public:
  TDCPunktHash(std::int32_t Capacity, double Tolerance);

  // The mark of a slot whose point was already found.
  static inline void* const kTaken = reinterpret_cast<void*>(std::uintptr_t{1});

  // Slot of the point's cell; reseeds the probe sequence.
  std::int32_t Hash(void* Key) const override;
  // (Index + R) mod Size with R the next number of the sequence Hash seeded.
  std::int32_t NextProbe(void* Key, std::int32_t Index) const override;
  // Moves the points within 1.5 cells of P in both axes, searched in P's cell
  // and its eight neighbours, from the table to Found; returns how many.
  std::int32_t FindNear(const TPointRec& P, std::vector<TDCPunkt*>& Found);

  double CellSize;

private:
  std::int32_t HashPosition(double X, double Y) const;
  // Probe generator, owned so that nothing else draws from it between a Hash
  // and the probes that follow.
  mutable std::uint64_t state_ = 0;
};

// The crossing collector: AddLine for every object of the set, then Compute,
// optionally MergeCrossings; then walk CrossingPoints and each segment's
// Crossings, and free the collector.
class TCrossingLines : public TObject {
public:
  TCrossingLines() = default;
  ~TCrossingLines() override;

  // Takes the object's segments and their ends.
  void AddLine(ITopologySource& Obj);
  // Finds every crossing of every pair of segments; polls Cancel between
  // pairs (ECanceled leaves the crossings found so far in the collector).
  // The crossings of an earlier run are freed first.
  void Compute(ICancelCheck& Cancel = NoCancel());
  // Moves crossings within Tolerance of one another to their common mean.
  void MergeCrossings(ICancelCheck& Cancel = NoCancel());

  TDCOdcinek* Segment(std::int32_t index) const { return Segments.ItemAs<TDCOdcinek>(index); }
  TDCPunktPrzeciecia* Crossing(std::int32_t index) const {
    return static_cast<TDCPunktPrzeciecia*>(CrossingPoints->Get(index));
  }

  // Owns every topology point.
  TDCPunktList Points;
  // Owns every segment.
  TObjList Segments;
  // The crossings of the last Compute (not owned); nil when it found none.
  std::unique_ptr<TList> CrossingPoints;
  // The lengthening of the segments and the merge distance.
  double Tolerance = 0;

private:
  void FreeCrossings();
};
