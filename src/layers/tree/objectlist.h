// The object list of a sublayer: a growable array of entries, each pairing a
// graphic object with four one-byte cells that place it in a coarse frame
// over the whole list, so that a drawing or a search compares bytes before it
// asks any object. Drawing also thins small objects crowding one screen cell
// (fast display). TGrObjList keeps its entries in record-number order, so a
// stored object is found by bisection; TTxtGrObjList takes its cells from the
// text extents under the running query's drawing parameters.
// TGrObjDeletedList holds the stored objects deleted since the last save.
//
// A list of many entries keeps a bucket grid over its cells, so that a query
// of a small window looks only at the entries that can lie in it: the inner
// cells form 64 x 64 buckets of 4 cells each way; an entry whose cell box
// spans at most 8 cells each way sits in the bucket of its box's lower
// corner, every other one (edge cells, large objects, lines without a start
// cell) in the wide bucket that every query looks at. A query takes the
// buckets under its window widened below by the largest span in the grid. Each bucket holds its entries'
// positions in ascending order. Every change of the entry array keeps the
// grid exact (an insert or a delete moves the positions after it); re-framing
// and sorting build it again. A query walks its candidates in list order, and
// InQueryWindow decides as before, so a query sees the same entries, in the
// same order, with the same edge count, as a walk over the whole list.
//
// Cell of a coordinate, t = (x - X0) / DX (or (y - Y0) / DY): 1 below the
// frame, 255 above it, trunc(t * 252) + 2 inside (2 to 254). The line form
// (IsStraightLine) holds the cells of the start and end point; the centre
// form the cells of the bounds' centre, 0, and a size cell.
//
// Threads: the GUI thread changes a list; the view's redraw thread draws it.
// One recursive lock per list guards both: a query (BeginQuery .. EndQuery,
// or TListQuery) holds it for its whole loop, and every change of the entry
// array (add, insert, put, delete, remove, clear, sort, re-framing) takes it,
// so a change waits for a running drawing and a drawing never meets an array
// that moves; the grid and the query's candidates change only under the same
// lock. The list owns its objects through FreeItem.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "foundation/geometry/realgeom.h"

class TEGraphObj;
class TDrawParamsImp;

struct TGrObjEntry {
  TEGraphObj* Obj = nullptr;
  std::uint8_t Cells[4] = {0, 0, 0, 0};
  // The grid bucket the entry sits in while the list keeps a grid.
  std::uint32_t Bucket = 0;
};

class TGraphObjList {
 public:
  TGraphObjList();
  // Releases the array only: FreeItem is abstract here, so a class that
  // owns its objects clears the list in its own destructor.
  virtual ~TGraphObjList();
  TGraphObjList(const TGraphObjList&) = delete;
  TGraphObjList& operator=(const TGraphObjList&) = delete;

  // --- Virtual operations ---
  // Enlarges the capacity by the growth rule of the class. Base: Delta
  // above 0 adds Delta; otherwise a quarter more above 64 entries, 16 more
  // above 8, else 4 more.
  virtual void Grow();
  // Recomputes the cells of entry Index and its place in the grid.
  void UpdateCells(int Index);
  virtual TRealRect GetItemBounds(int Index) const;
  // Lets go of Obj (taken out of the list already).
  virtual void FreeItem(TEGraphObj* Obj) = 0;
  // Appends (the base) or inserts in key order (sorted lists); the index, or
  // -1 when a sorted list refused Obj and freed it. Obj must not be null
  // (EInternalError). When adding fails with an error, Obj stays the
  // caller's.
  virtual int Add(TEGraphObj* Obj);

  // --- Entries ---
  int Count() const { return count_; }
  int Capacity() const { return static_cast<int>(items_.size()); }
  // Below Count: EListError "Pojemność listy poza zakresem (N)".
  void SetCapacity(int N);
  // 0: the default growth rule.
  void SetDelta(int D) { delta_ = D; }
  int Delta() const { return delta_; }
  // Indexes outside 0..Count-1 raise EListError (Insert takes 0..Count).
  TEGraphObj* Get(int Index) const;
  const TGrObjEntry& Entry(int Index) const;
  // Replaces the object of an entry and recomputes its cells (the old object
  // is not freed).
  void Put(int Index, TEGraphObj* Obj);
  void Insert(int Index, TEGraphObj* Obj);
  // Removes the entry without freeing its object.
  void Delete(int Index);
  // First entry from the start holding Obj, -1.
  int IndexOf(const TEGraphObj* Obj) const;
  // Searches from the end, deletes the entry; its index or -1.
  int Remove(const TEGraphObj* Obj);
  // FreeItem of every object, then Reset.
  void Clear();
  // Count 0, frame (0, 0, 1, 1), capacity 0.
  void Reset();

  // --- Frame and queries ---
  void Reframe();
  // Loading: the entries added from now on get no cells (Insert leaves them
  // zero) until FrameTo gives the list its frame, or a query re-frames it.
  void DeferCells();
  bool CellsDeferred() const { return cellsDeferred_; }
  // Frames the list to Bounds (the union of its objects' bounds, known to
  // the loader) and computes every entry's cells once.
  void FrameTo(const TRealRect& Bounds);
  // Re-frames when Bounds is narrower or lower than half the frame.
  void CheckFrame(const TRealRect& Bounds);
  // The next query re-frames.
  void InvalidateFrame();
  // Takes the lock; re-frames when more than half of the entries looked at
  // since the last query lay on the frame's edge; sets the query cells. When
  // re-framing fails, the lock is left again before the error passes on.
  void BeginQuery(const TRealRect& Window, TDrawParamsImp* Params);
  // Drops the parameters and the density grid, leaves the lock.
  void EndQuery();
  bool InQueryWindow(int Index);
  // The entries the running query may find, in list order: QueryCount of
  // them, the k-th at position QueryIndex(k). Every entry for which
  // InQueryWindow holds is among them.
  int QueryCount() const { return queryAll_ ? count_ : static_cast<int>(candidates_.size()); }
  int QueryIndex(int K) const { return queryAll_ ? K : candidates_[static_cast<std::size_t>(K)]; }
  // Whether the list keeps its grid now (for tests).
  bool HasGrid() const { return gridBuilt_; }
  // Lists below this count keep no grid.
  static constexpr int kGridMinCount = 4096;
  // Fast display: the density grid of the running drawing.
  void PrepareDensity();
  bool DensityAccept(int Index);

  // The cell of T = (x - X0) / DX; not a number gives 1.
  static std::uint8_t CellOf(double T);

  // The frame, for tests and the sublayer.
  double X0() const { return x0_; }
  double Y0() const { return y0_; }
  double DX() const { return dx_; }
  double DY() const { return dy_; }
  double MinSize() const { return minSize_; }
  std::int32_t OutsideHits() const { return outsideHits_; }
  // The drawing parameters of the running query, or none.
  TDrawParamsImp* Params() const { return params_; }

  // The list's lock (recursive): queries and changes take it. Count, Get,
  // IndexOf and Find read without it: the GUI thread, the only one that
  // changes the list, may call them at any time; any other thread only
  // inside a query.
  std::recursive_mutex& Lock() const { return lock_; }

 protected:
  // Computes the cells of entry Index from its object under the frame.
  virtual void ComputeCells(int Index);
  // Sets the frame from the bounds of all objects.
  void SetFrame(const TRealRect& Frame);
  // Whether a query with drawing parameters must re-frame first (a list
  // whose cells depend on the parameters and were made without them).
  virtual bool NeedsParamFrame() const { return false; }
  bool framedWithParams_ = false;

  std::vector<TGrObjEntry> items_;  // capacity = size()
  int count_ = 0;
  int delta_ = 0;
  double x0_ = 0, y0_ = 0, dx_ = 1.0, dy_ = 1.0, minSize_ = 1.0;
  std::uint8_t query_[4] = {0, 0, 0, 0};
  std::int32_t outsideHits_ = 0;
  TDrawParamsImp* params_ = nullptr;
  // Density grid of the running drawing.
  std::vector<std::uint8_t> grid_;
  std::int32_t nx_ = 0, ny_ = 0, cellW_ = 0, cellH_ = 0, cellPixels_ = 0;
  bool enabled_ = false;
  std::int32_t maxPerCell_ = 0;
  mutable std::recursive_mutex lock_;

  // Drops the grid (the next query builds it again).
  void DropGrid();

 private:
  static constexpr int kGridSide = 64;
  static constexpr std::uint32_t kWideBucket = kGridSide * kGridSide;
  // The bucket of an entry with cells C (widens gridSpan_ as needed).
  std::uint32_t BucketOf(const std::uint8_t* C);
  void BuildGrid();
  // Entry Index joined the array (positions from Index on moved up one).
  void GridInserted(int Index);
  // Entry Index (in bucket B) is leaving the array.
  void GridDeleted(int Index, std::uint32_t B);
  // Entry Index got new cells.
  void GridMoved(int Index);
  void GatherCandidates();

  bool cellsDeferred_ = false;
  bool gridBuilt_ = false;
  int gridSpan_ = 0;  // the largest cell span of an entry in a grid bucket
  std::vector<std::vector<std::int32_t>> buckets_;
  bool queryAll_ = true;
  std::vector<std::int32_t> candidates_;
};

// Holds a query of a list for one scope (BeginQuery .. EndQuery).
class TListQuery {
 public:
  TListQuery(TGraphObjList& List, const TRealRect& Window, TDrawParamsImp* Params) : list_(List) {
    list_.BeginQuery(Window, Params);
  }
  ~TListQuery() { list_.EndQuery(); }
  TListQuery(const TListQuery&) = delete;
  TListQuery& operator=(const TListQuery&) = delete;

 private:
  TGraphObjList& list_;
};

class TGraphSortedList : public TGraphObjList {
 public:
  bool AllowDuplicates = false;

  // Sorted insert; a key already present without AllowDuplicates frees Obj
  // (FreeItem) and answers -1.
  int Add(TEGraphObj* Obj) override;
  virtual std::uint32_t GetKey(const TEGraphObj* Obj) const;
  virtual int Compare(std::uint32_t A, std::uint32_t B) const = 0;
  // Bisection: Index is the first entry whose key is not below Key.
  bool Find(std::uint32_t Key, int& Index) const;
  // Quicksort by key (after objects were appended unsorted).
  void Sort();
};

// The list of a sublayer: key is the record number (0 for a new object).
class TGrObjList : public TGraphSortedList {
 public:
  TGrObjList() = default;
  // Clear: every object is let go through FreeItem.
  ~TGrObjList() override;
  // Doubles while Delta exceeds the capacity, then adds Delta; where that
  // gives nothing (an empty array, Delta 0) it grows as the base does
  // without a step.
  void Grow() override;
  // UnmarkInList, then FreeGraphObj.
  void FreeItem(TEGraphObj* Obj) override;
  std::uint32_t GetKey(const TEGraphObj* Obj) const override;
  int Compare(std::uint32_t A, std::uint32_t B) const override;
};

// The list of a text sublayer: cells and bounds from the text extents under
// the running query's parameters.
class TTxtGrObjList : public TGrObjList {
 public:
  TRealRect GetItemBounds(int Index) const override;

 protected:
  void ComputeCells(int Index) override;
  // A list framed without parameters (a load) holds the largest size for
  // every text: the first query with parameters frames it to the extents.
  bool NeedsParamFrame() const override { return !framedWithParams_; }
};

// Stored objects deleted since the last save; owns them as TGrObjList does.
class TGrObjDeletedList {
 public:
  TGrObjDeletedList() { items_.reserve(64); }
  ~TGrObjDeletedList();
  TGrObjDeletedList(const TGrObjDeletedList&) = delete;
  TGrObjDeletedList& operator=(const TGrObjDeletedList&) = delete;

  int Count() const { return static_cast<int>(items_.size()); }
  TEGraphObj* Get(int Index) const { return items_.at(static_cast<std::size_t>(Index)); }
  void Add(TEGraphObj* Obj) { items_.push_back(Obj); }
  // Takes the entry out without freeing its object.
  void Delete(int Index);
  // Frees every object (unless something else holds it), then empties.
  void Clear();

 private:
  std::vector<TEGraphObj*> items_;
};
