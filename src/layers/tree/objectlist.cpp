#include "layers/tree/objectlist.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "drawing/canvascfg.h"
#include "drawing/drawparams.h"
#include "drawing/windowdim.h"
#include "foundation/errors.h"
#include "objects/grobj.h"

namespace {

using Guard = std::lock_guard<std::recursive_mutex>;

constexpr int kCellSpan = 252;  // inner cells 2..254 cover the frame
constexpr std::uint8_t kCellBelow = 1;
constexpr std::uint8_t kCellAbove = 255;
constexpr std::int32_t kDefaultFastDisplaySize = 8;
constexpr std::int32_t kDefaultFastDisplayCount = 8;

bool IsEdgeCell(int C) { return C == kCellBelow || C == kCellAbove; }

void CheckIndex(int Index, int Limit) {
  if (Index < 0 || Index > Limit) throw EListError::IndexOutOfBounds(Index);
}

void CheckObject(const TEGraphObj* Obj, const char* Operation) {
  if (Obj == nullptr) throw EInternalError(std::string(Operation) + ": brak obiektu");
}

// 1 left of, 2 right of, 4 below, 8 above the query cells.
int OutCode(int X, int Y, const std::uint8_t* Q) {
  int code = 0;
  if (X < Q[0]) code |= 1;
  if (X > Q[2]) code |= 2;
  if (Y < Q[1]) code |= 4;
  if (Y > Q[3]) code |= 8;
  return code;
}

bool IntervalsMeet(int Lo1, int Hi1, int Lo2, int Hi2) {
  return std::max(Lo1, Lo2) <= std::min(Hi1, Hi2);
}

std::int64_t DeviceLength(std::int32_t Pixels) { return std::llabs(static_cast<std::int64_t>(Pixels)); }

// The growth rule without a step: a quarter more above 64 entries, 16 more
// above 8, else 4 more.
std::int64_t DefaultGrowth(std::int64_t Cap) {
  if (Cap > 64) return Cap + Cap / 4;
  if (Cap > 8) return Cap + 16;
  return Cap + 4;
}

int ClampCapacity(std::int64_t N) {
  return static_cast<int>(std::min<std::int64_t>(N, std::numeric_limits<int>::max()));
}

}  // namespace

// --- TGraphObjList ---

TGraphObjList::TGraphObjList() = default;

// The entries are only released here: FreeItem is abstract at this level, so
// the classes that own their objects clear the list in their own destructor.
TGraphObjList::~TGraphObjList() = default;

std::uint8_t TGraphObjList::CellOf(double T) {
  // Not a number counts as below, as in the cell tables of the layer file.
  if (!(T >= 0.0)) return kCellBelow;
  if (T > 1.0) return kCellAbove;
  return static_cast<std::uint8_t>(static_cast<int>(T * kCellSpan) + 2);
}

void TGraphObjList::Grow() {
  const std::int64_t cap = Capacity();
  // A step that is not positive would shrink the array: the default rule.
  SetCapacity(ClampCapacity(delta_ > 0 ? cap + delta_ : DefaultGrowth(cap)));
}

void TGraphObjList::UpdateCells(int Index) {
  Guard g(lock_);
  ComputeCells(Index);
  if (gridBuilt_) GridMoved(Index);
}

void TGraphObjList::ComputeCells(int Index) {
  TGrObjEntry& e = items_[static_cast<std::size_t>(Index)];
  std::uint8_t c[4];
  if (e.Obj->IsStraightLine()) {
    const TRealPoint s = e.Obj->GetStartPoint();
    const TRealPoint t = e.Obj->GetEndPoint();
    c[0] = CellOf((s.X - x0_) / dx_);
    c[1] = CellOf((s.Y - y0_) / dy_);
    c[2] = CellOf((t.X - x0_) / dx_);
    c[3] = CellOf((t.Y - y0_) / dy_);
  } else {
    const TRealRect b = e.Obj->GetBounds();
    c[0] = CellOf(((b.Left + b.Right) * 0.5 - x0_) / dx_);
    c[1] = CellOf(((b.Top + b.Bottom) * 0.5 - y0_) / dy_);
    c[2] = 0;
    c[3] = CellOf(std::max(b.Right - b.Left, b.Bottom - b.Top) / minSize_);
  }
  std::copy(c, c + 4, e.Cells);
}

TRealRect TGraphObjList::GetItemBounds(int Index) const {
  return items_[static_cast<std::size_t>(Index)].Obj->GetBounds();
}

int TGraphObjList::Add(TEGraphObj* Obj) {
  Guard g(lock_);
  const int index = count_;
  Insert(index, Obj);
  return index;
}

void TGraphObjList::SetCapacity(int N) {
  Guard g(lock_);
  if (N < count_) throw EListError("Pojemność listy poza zakresem (" + std::to_string(N) + ")");
  if (N == Capacity()) return;
  std::vector<TGrObjEntry> resized(static_cast<std::size_t>(N));
  std::copy_n(items_.begin(), count_, resized.begin());
  items_.swap(resized);
}

TEGraphObj* TGraphObjList::Get(int Index) const { return Entry(Index).Obj; }

const TGrObjEntry& TGraphObjList::Entry(int Index) const {
  CheckIndex(Index, count_ - 1);
  return items_[static_cast<std::size_t>(Index)];
}

void TGraphObjList::Put(int Index, TEGraphObj* Obj) {
  Guard g(lock_);
  CheckIndex(Index, count_ - 1);
  CheckObject(Obj, "TGraphObjList.Put");
  TGrObjEntry& e = items_[static_cast<std::size_t>(Index)];
  TEGraphObj* old = e.Obj;
  e.Obj = Obj;
  if (cellsDeferred_) return;
  try {
    ComputeCells(Index);
  } catch (...) {
    e.Obj = old;
    throw;
  }
  if (gridBuilt_) GridMoved(Index);
}

void TGraphObjList::Insert(int Index, TEGraphObj* Obj) {
  Guard g(lock_);
  CheckIndex(Index, count_);
  CheckObject(Obj, "TGraphObjList.Insert");
  if (count_ == Capacity()) Grow();
  // A growth rule that gave nothing must not let the entry land past the array.
  if (count_ == Capacity()) {
    if (count_ == std::numeric_limits<int>::max()) throw EOutOfMemory("Lista obiektów jest pełna");
    SetCapacity(count_ + 1);
  }
  const auto at = items_.begin() + Index;
  std::move_backward(at, items_.begin() + count_, items_.begin() + count_ + 1);
  *at = TGrObjEntry{Obj, {0, 0, 0, 0}, kWideBucket};
  ++count_;
  // Loading: the cells come once the frame is known.
  if (cellsDeferred_) return;
  try {
    ComputeCells(Index);
  } catch (...) {
    std::move(items_.begin() + Index + 1, items_.begin() + count_, items_.begin() + Index);
    --count_;
    items_[static_cast<std::size_t>(count_)] = TGrObjEntry{};
    throw;
  }
  if (gridBuilt_) GridInserted(Index);
}

void TGraphObjList::Delete(int Index) {
  Guard g(lock_);
  CheckIndex(Index, count_ - 1);
  if (gridBuilt_) GridDeleted(Index, items_[static_cast<std::size_t>(Index)].Bucket);
  std::move(items_.begin() + Index + 1, items_.begin() + count_, items_.begin() + Index);
  --count_;
  items_[static_cast<std::size_t>(count_)] = TGrObjEntry{};
}

int TGraphObjList::IndexOf(const TEGraphObj* Obj) const {
  for (int i = 0; i < count_; ++i)
    if (items_[static_cast<std::size_t>(i)].Obj == Obj) return i;
  return -1;
}

int TGraphObjList::Remove(const TEGraphObj* Obj) {
  Guard g(lock_);
  for (int i = count_ - 1; i >= 0; --i) {
    if (items_[static_cast<std::size_t>(i)].Obj == Obj) {
      Delete(i);
      return i;
    }
  }
  return -1;
}

void TGraphObjList::Clear() {
  Guard g(lock_);
  // The entries leave the list before their objects are freed, so no object
  // being freed is still reachable through the list.
  std::vector<TGrObjEntry> old;
  old.swap(items_);
  const int n = count_;
  count_ = 0;
  Reset();
  for (int i = n - 1; i >= 0; --i) FreeItem(old[static_cast<std::size_t>(i)].Obj);
}

void TGraphObjList::Reset() {
  Guard g(lock_);
  count_ = 0;
  x0_ = 0.0;
  y0_ = 0.0;
  dx_ = 1.0;
  dy_ = 1.0;
  minSize_ = 1.0;
  cellsDeferred_ = false;
  framedWithParams_ = false;
  DropGrid();
  std::vector<TGrObjEntry>().swap(items_);
}

void TGraphObjList::Reframe() {
  Guard g(lock_);
  if (count_ == 0) {
    cellsDeferred_ = false;
    return;
  }
  TRealRect frame = GetItemBounds(0);
  for (int i = 1; i < count_; ++i) frame = UnionRealRect(frame, GetItemBounds(i));
  SetFrame(frame);
}

void TGraphObjList::DeferCells() {
  Guard g(lock_);
  cellsDeferred_ = true;
  DropGrid();
}

void TGraphObjList::FrameTo(const TRealRect& Bounds) {
  Guard g(lock_);
  if (count_ == 0) {
    cellsDeferred_ = false;
    return;
  }
  SetFrame(Bounds);
}

void TGraphObjList::SetFrame(const TRealRect& frame) {
  // The grid follows the cells: dropped while they change, built again after.
  DropGrid();
  const double w = frame.Right - frame.Left;
  const double h = frame.Bottom - frame.Top;
  // A frame without width or height (objects on one line, a single point)
  // still needs a positive size to divide by.
  x0_ = std::isfinite(frame.Left) ? frame.Left : 0.0;
  y0_ = std::isfinite(frame.Top) ? frame.Top : 0.0;
  dx_ = w > 0.0 && std::isfinite(w) ? w : 0.1;
  dy_ = h > 0.0 && std::isfinite(h) ? h : 0.1;
  minSize_ = dx_ < dy_ ? dx_ : dy_;
  for (int i = 0; i < count_; ++i) ComputeCells(i);
  framedWithParams_ = params_ != nullptr;
  cellsDeferred_ = false;
  if (count_ >= kGridMinCount) BuildGrid();
}

void TGraphObjList::CheckFrame(const TRealRect& Bounds) {
  Guard g(lock_);
  if (Bounds.Right - Bounds.Left < dx_ * 0.5 || Bounds.Bottom - Bounds.Top < dy_ * 0.5) Reframe();
}

void TGraphObjList::InvalidateFrame() {
  Guard g(lock_);
  outsideHits_ = std::numeric_limits<std::int32_t>::max();
}

void TGraphObjList::BeginQuery(const TRealRect& Window, TDrawParamsImp* Params) {
  lock_.lock();
  try {
    params_ = Params;
    // A list still loading has no cells yet: it is framed now.
    if (count_ / 2 < outsideHits_ || cellsDeferred_ || (Params != nullptr && NeedsParamFrame())) Reframe();
    if (!gridBuilt_ && count_ >= kGridMinCount) BuildGrid();
    query_[0] = CellOf((Window.Left - x0_) / dx_);
    query_[1] = CellOf((Window.Top - y0_) / dy_);
    query_[2] = CellOf((Window.Right - x0_) / dx_);
    query_[3] = CellOf((Window.Bottom - y0_) / dy_);
    outsideHits_ = 0;
    GatherCandidates();
  } catch (...) {
    // The caller's EndQuery never runs when the query did not begin.
    params_ = nullptr;
    lock_.unlock();
    throw;
  }
}

void TGraphObjList::EndQuery() {
  params_ = nullptr;
  queryAll_ = true;
  candidates_.clear();
  std::vector<std::uint8_t>().swap(grid_);
  nx_ = ny_ = cellW_ = cellH_ = 0;
  lock_.unlock();
}

bool TGraphObjList::InQueryWindow(int Index) {
  const std::uint8_t* c = Entry(Index).Cells;
  const auto countHit = [this] {
    if (outsideHits_ < std::numeric_limits<std::int32_t>::max()) ++outsideHits_;
  };
  if (c[2] == 0) {
    if (IsEdgeCell(c[0]) || IsEdgeCell(c[1])) countHit();
    const int r = c[3];
    return IntervalsMeet(c[1] - r, c[1] + r, query_[1], query_[3]) &&
           IntervalsMeet(c[0] - r, c[0] + r, query_[0], query_[2]);
  }
  bool inside = true;
  if (c[0] != 0) inside = (OutCode(c[0], c[1], query_) & OutCode(c[2], c[3], query_)) == 0;
  if (IsEdgeCell(c[0]) || IsEdgeCell(c[1])) countHit();
  return inside;
}

void TGraphObjList::PrepareDensity() {
  Guard g(lock_);
  std::vector<std::uint8_t>().swap(grid_);
  nx_ = ny_ = cellW_ = cellH_ = 0;
  const TNullCanvasCfg* cfg = params_ != nullptr ? params_->Cfg() : nullptr;
  maxPerCell_ = cfg != nullptr ? cfg->FastDisplayCount : kDefaultFastDisplayCount;
  enabled_ = cfg != nullptr ? cfg->FastDisplay : true;
  // Printing never thins: the paper shows every object.
  if (!enabled_ || params_ == nullptr || params_->IsPrinting()) return;
  cellPixels_ = cfg != nullptr ? cfg->FastDisplaySize : kDefaultFastDisplaySize;
  const TWindowDim* dims = params_->Dims();
  if (dims == nullptr || cellPixels_ <= 0) return;
  TPoint device;
  try {
    // Device x comes from world Y and device y from world X.
    device = dims->WorldDeltaToDevice(TRealPoint{dx_, dy_});
  } catch (const Exception&) {
    return;
  }
  const std::int64_t lenX = DeviceLength(device.Y);
  const std::int64_t lenY = DeviceLength(device.X);
  const std::int64_t span = static_cast<std::int64_t>(kCellSpan) * cellPixels_;
  const std::int64_t w = lenX != 0 ? span / lenX : 0;
  const std::int64_t h = lenY != 0 ? span / lenY : 0;
  if (w <= 0 || h <= 0) return;
  cellW_ = static_cast<std::int32_t>(std::min<std::int64_t>(w, kCellSpan + 1));
  cellH_ = static_cast<std::int32_t>(std::min<std::int64_t>(h, kCellSpan + 1));
  nx_ = kCellSpan / cellW_ + 1;
  ny_ = kCellSpan / cellH_ + 1;
  grid_.assign(static_cast<std::size_t>(nx_) * static_cast<std::size_t>(ny_), 0);
}

bool TGraphObjList::DensityAccept(int Index) {
  const std::uint8_t* c = Entry(Index).Cells;
  if (grid_.empty()) return true;
  if (c[2] == 0) {
    if (c[0] <= kCellBelow || c[1] <= kCellBelow || c[0] == kCellAbove || c[1] == kCellAbove)
      return true;
    if (c[3] - 2 > cellW_ || c[3] - 2 > cellH_) return true;
  } else {
    for (int i = 0; i < 4; ++i)
      if (c[i] <= kCellBelow || c[i] == kCellAbove) return true;
    if (std::abs(c[2] - c[0]) >= cellW_ || std::abs(c[3] - c[1]) >= cellH_) return true;
  }
  const int gx = (c[0] - 2) / cellW_;
  const int gy = (c[1] - 2) / cellH_;
  std::uint8_t& counter = grid_[static_cast<std::size_t>(gx + gy * nx_)];
  if (counter >= maxPerCell_) return false;
  // A byte counter stops at 255: a larger setting then draws everything.
  if (counter < std::numeric_limits<std::uint8_t>::max()) ++counter;
  return true;
}

// --- The bucket grid ---

namespace {

constexpr int kBucketCells = 4;  // inner cells per bucket each way
constexpr int kLastBucket = 63;
constexpr int kMaxSpan = 8;  // a larger entry goes to the wide bucket

int BucketColumn(int Cell) {
  const int b = (std::clamp(Cell, 2, 254) - 2) / kBucketCells;
  return std::min(b, kLastBucket);
}

}  // namespace

std::uint32_t TGraphObjList::BucketOf(const std::uint8_t* C) {
  int lx, hx, ly, hy;
  if (C[2] == 0) {
    // Centre form: the box of the size cell about the centre.
    if (IsEdgeCell(C[0]) || IsEdgeCell(C[1]) || C[0] == 0) return kWideBucket;
    const int r = C[3];
    lx = C[0] - r;
    hx = C[0] + r;
    ly = C[1] - r;
    hy = C[1] + r;
  } else {
    // Line form: the box of the two end cells. Without a start cell the
    // entry is in every window.
    if (C[0] == 0) return kWideBucket;
    for (int i = 0; i < 4; ++i)
      if (IsEdgeCell(C[i])) return kWideBucket;
    lx = std::min(C[0], C[2]);
    hx = std::max(C[0], C[2]);
    ly = std::min(C[1], C[3]);
    hy = std::max(C[1], C[3]);
  }
  if (hx - lx > kMaxSpan || hy - ly > kMaxSpan) return kWideBucket;
  // The largest span decides how far below its window a query looks.
  gridSpan_ = std::max({gridSpan_, hx - lx, hy - ly});
  return static_cast<std::uint32_t>(BucketColumn(lx) + BucketColumn(ly) * kGridSide);
}

void TGraphObjList::DropGrid() {
  gridBuilt_ = false;
  gridSpan_ = 0;
  std::vector<std::vector<std::int32_t>>().swap(buckets_);
}

void TGraphObjList::BuildGrid() {
  DropGrid();
  if (cellsDeferred_) return;
  std::vector<std::vector<std::int32_t>> buckets(kWideBucket + 1);
  // Counted first, so that each bucket is allocated once.
  std::vector<std::int32_t> sizes(kWideBucket + 1, 0);
  for (int i = 0; i < count_; ++i) {
    TGrObjEntry& e = items_[static_cast<std::size_t>(i)];
    e.Bucket = BucketOf(e.Cells);
    ++sizes[e.Bucket];
  }
  for (std::uint32_t b = 0; b <= kWideBucket; ++b) buckets[b].reserve(static_cast<std::size_t>(sizes[b]));
  for (int i = 0; i < count_; ++i) buckets[items_[static_cast<std::size_t>(i)].Bucket].push_back(i);
  buckets_.swap(buckets);
  gridBuilt_ = true;
}

void TGraphObjList::GridInserted(int Index) {
  TGrObjEntry& e = items_[static_cast<std::size_t>(Index)];
  e.Bucket = BucketOf(e.Cells);
  if (Index < count_ - 1) {
    for (std::vector<std::int32_t>& b : buckets_) {
      auto it = std::lower_bound(b.begin(), b.end(), Index);
      for (; it != b.end(); ++it) ++*it;
    }
  }
  std::vector<std::int32_t>& b = buckets_[e.Bucket];
  b.insert(std::lower_bound(b.begin(), b.end(), Index), Index);
}

void TGraphObjList::GridDeleted(int Index, std::uint32_t Bucket) {
  std::vector<std::int32_t>& own = buckets_[Bucket];
  const auto at = std::lower_bound(own.begin(), own.end(), Index);
  if (at == own.end() || *at != Index) {
    // The grid lost track of the entry: built again from the cells.
    DropGrid();
    return;
  }
  own.erase(at);
  if (Index < count_ - 1) {
    for (std::vector<std::int32_t>& b : buckets_) {
      auto it = std::upper_bound(b.begin(), b.end(), Index);
      for (; it != b.end(); ++it) --*it;
    }
  }
}

void TGraphObjList::GridMoved(int Index) {
  TGrObjEntry& e = items_[static_cast<std::size_t>(Index)];
  const std::uint32_t next = BucketOf(e.Cells);
  if (next == e.Bucket) return;
  std::vector<std::int32_t>& from = buckets_[e.Bucket];
  const auto at = std::lower_bound(from.begin(), from.end(), Index);
  if (at == from.end() || *at != Index) {
    DropGrid();
    return;
  }
  from.erase(at);
  std::vector<std::int32_t>& to = buckets_[next];
  to.insert(std::lower_bound(to.begin(), to.end(), Index), Index);
  e.Bucket = next;
}

void TGraphObjList::GatherCandidates() {
  queryAll_ = true;
  candidates_.clear();
  if (!gridBuilt_) return;
  // An entry meets the window only when its box's lower corner lies at most
  // the largest span below the window's lower cells.
  const int lx = query_[0] - gridSpan_, hx = query_[2];
  const int ly = query_[1] - gridSpan_, hy = query_[3];
  const bool inner = hx >= 2 && hy >= 2 && lx <= 254 && ly <= 254 && lx <= hx && ly <= hy;
  std::size_t total = buckets_[kWideBucket].size();
  const int bx0 = BucketColumn(lx), bx1 = BucketColumn(hx);
  const int by0 = BucketColumn(ly), by1 = BucketColumn(hy);
  if (inner) {
    for (int by = by0; by <= by1; ++by)
      for (int bx = bx0; bx <= bx1; ++bx) total += buckets_[static_cast<std::size_t>(bx + by * kGridSide)].size();
  }
  // A window over much of the list is walked whole: cheaper than sorting.
  if (total * 4 > static_cast<std::size_t>(count_)) return;
  queryAll_ = false;
  candidates_.reserve(total);
  const std::vector<std::int32_t>& wide = buckets_[kWideBucket];
  candidates_.insert(candidates_.end(), wide.begin(), wide.end());
  if (inner) {
    for (int by = by0; by <= by1; ++by)
      for (int bx = bx0; bx <= bx1; ++bx) {
        const std::vector<std::int32_t>& b = buckets_[static_cast<std::size_t>(bx + by * kGridSide)];
        candidates_.insert(candidates_.end(), b.begin(), b.end());
      }
  }
  std::sort(candidates_.begin(), candidates_.end());
}

// --- TGraphSortedList ---

int TGraphSortedList::Add(TEGraphObj* Obj) {
  Guard g(lock_);
  CheckObject(Obj, "TGraphSortedList.Add");
  int index = 0;
  const bool found = Find(GetKey(Obj), index);
  if (!found || AllowDuplicates) {
    Insert(index, Obj);
    return index;
  }
  FreeItem(Obj);
  return -1;
}

std::uint32_t TGraphSortedList::GetKey(const TEGraphObj* Obj) const {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(Obj));
}

bool TGraphSortedList::Find(std::uint32_t Key, int& Index) const {
  int lo = 0;
  int hi = count_ - 1;
  bool found = false;
  while (lo <= hi) {
    const int mid = lo + (hi - lo) / 2;
    const int c = Compare(GetKey(items_[static_cast<std::size_t>(mid)].Obj), Key);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) found = true;
    }
  }
  Index = lo;
  return found;
}

void TGraphSortedList::Sort() {
  Guard g(lock_);
  if (count_ < 2) return;

  // Stable, so that objects of equal key (new ones, record number 0) keep
  // the order in which they were drawn.
  std::stable_sort(items_.begin(), items_.begin() + count_,
                   [this](const TGrObjEntry& A, const TGrObjEntry& B) {
                     return Compare(GetKey(A.Obj), GetKey(B.Obj)) < 0;
                   });
  // The positions moved: the next query makes the grid again.
  DropGrid();
}

// --- TGrObjList ---

TGrObjList::~TGrObjList() { Clear(); }

void TGrObjList::Grow() {
  const std::int64_t cap = Capacity();
  std::int64_t next = delta_ > cap ? cap * 2 : cap + delta_;
  // Doubling an empty array, or a step that is not positive, would not grow
  // at all: the rule without a step takes over then.
  if (next <= cap) next = DefaultGrowth(cap);
  SetCapacity(ClampCapacity(next));
}

void TGrObjList::FreeItem(TEGraphObj* Obj) {
  TEGraphObj::UnmarkInList(Obj);
  FreeGraphObj(Obj);
}

std::uint32_t TGrObjList::GetKey(const TEGraphObj* Obj) const { return Obj->GetIndex(); }

int TGrObjList::Compare(std::uint32_t A, std::uint32_t B) const {
  if (A < B) return -1;
  if (A > B) return 1;
  return 0;
}

// --- TTxtGrObjList ---

void TTxtGrObjList::ComputeCells(int Index) {
  TGrObjEntry& e = items_[static_cast<std::size_t>(Index)];
  std::uint8_t c[4];
  if (params_ != nullptr && !e.Obj->HasDPISymbol()) {
    const TRealRect b = e.Obj->GetBoundsFor(params_);
    c[0] = CellOf(((b.Left + b.Right) * 0.5 - x0_) / dx_);
    c[1] = CellOf(((b.Top + b.Bottom) * 0.5 - y0_) / dy_);
    c[2] = 0;
    c[3] = CellOf(std::max(b.Right - b.Left, b.Bottom - b.Top) * 0.5 / minSize_);
  } else {
    // Without parameters the extent of a text is unknown: its start point
    // with the largest size, so that it is never left out.
    const TRealPoint s = e.Obj->GetStartPoint();
    c[0] = CellOf((s.X - x0_) / dx_);
    c[1] = CellOf((s.Y - y0_) / dy_);
    c[2] = 0;
    c[3] = kCellAbove;
  }
  std::copy(c, c + 4, e.Cells);
}

TRealRect TTxtGrObjList::GetItemBounds(int Index) const {
  const TEGraphObj* obj = items_[static_cast<std::size_t>(Index)].Obj;
  return params_ != nullptr ? obj->GetBoundsFor(params_) : obj->GetBounds();
}

// --- TGrObjDeletedList ---

TGrObjDeletedList::~TGrObjDeletedList() { Clear(); }

void TGrObjDeletedList::Delete(int Index) {
  CheckIndex(Index, Count() - 1);
  items_.erase(items_.begin() + Index);
}

void TGrObjDeletedList::Clear() {
  std::vector<TEGraphObj*> old;
  old.swap(items_);
  items_.reserve(64);
  for (auto it = old.rbegin(); it != old.rend(); ++it) {
    TEGraphObj::UnmarkInList(*it);
    FreeGraphObj(*it);
  }
}
