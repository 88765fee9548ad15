// The background redraw of a map view against drawing the same tree straight
// onto the view's canvas. An in-memory tree of 1,000,000 elements (lines,
// special lines, arcs, circles, points, texts and symbols over twenty
// sublayers, with the example set's symbol and line-style libraries and
// stroke fonts) is shown in a 1920 x 1080 view on the offscreen platform.
// The elements have the sizes of a large-scale map (metres) and lie more
// densely in forty built-up areas than between them.
//
// Timed, each with fast display on and off:
//   - a full redraw at the full extent, from StartRedraw to the thread's end;
//   - the same tree drawn straight onto the view's canvas by this thread
//     (the image filled first, as the redraw thread does);
//   - a full redraw of a window of a tenth of each side placed where it
//     holds about 1 % of the elements;
// then a full redraw of a window as large where there is nothing (what a
// redraw costs besides drawing), and the delay from a second StartRedraw,
// given while the first thread draws, to the new thread's first drawing.
//
// Each case checks what it drew: the pixels of the image that differ from
// the background are counted, the threaded image must equal the direct one,
// and the window reports how many elements it holds. At the end the program
// prints the ratios the targets speak of. The tree is built once per
// process.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "drawing/canvascfg.h"
#include "drawing/strokefont.h"
#include "foundation/errors.h"
#include "foundation/settings/settings.h"
#include "layers/store/layerfile.h"
#include "layers/tree/layertree.h"
#include "layers/tree/objectlist.h"
#include "layers/tree/sublayer.h"
#include "mkexamples/exampleset.h"
#include "objects/layerobjects.h"
#include "objects/linestylelib.h"
#include "objects/saverecord.h"
#include "objects/styledcanvas.h"
#include "objects/symbollib.h"
#include "platform/gui/application.h"
#include "platform/gui/messages.h"
#include "platform/paint/gdiimage.h"
#include "view/krzyzconf.h"
#include "view/tvview.h"
#include "view/viewcfg.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kElements = 1'000'000;
// World units are metres: X up (the image's 1080 rows), Y to the right
// (1920 columns); at the full extent one pixel is ten metres.
constexpr double kWorldX = 10800.0;
constexpr double kWorldY = 19200.0;
// The small window: a tenth of each side, placed where it holds about 1 %
// of the elements (the map is denser in its built-up areas).
constexpr double kWindowX = kWorldX / 10;
constexpr double kWindowY = kWorldY / 10;
// Built-up areas: this share of the elements lies in kClusters areas of
// about kClusterSpread metres; the rest is spread evenly.
constexpr double kClustered = 0.6;
constexpr int kClusters = 40;
constexpr double kClusterSpread = 400.0;
constexpr std::uint32_t kBackground = 0xFFFFFF;

// The sublayers: how many elements of which kind each holds.
enum class TKind { Line, SpecialLine, Arc, Circle, Point, Text, Symbol };
struct TSublayerPlan {
  TKind Kind;
  int Count;
};
constexpr TSublayerPlan kPlan[] = {
    {TKind::Line, 50'000},        {TKind::Line, 50'000},        {TKind::Line, 50'000},
    {TKind::Line, 50'000},        {TKind::Line, 50'000},        {TKind::Line, 50'000},
    {TKind::Line, 50'000},        {TKind::Line, 50'000},        {TKind::SpecialLine, 50'000},
    {TKind::SpecialLine, 50'000}, {TKind::Arc, 50'000},         {TKind::Arc, 50'000},
    {TKind::Circle, 50'000},      {TKind::Circle, 50'000},      {TKind::Point, 50'000},
    {TKind::Point, 50'000},       {TKind::Text, 50'000},        {TKind::Text, 50'000},
    {TKind::Symbol, 50'000},      {TKind::Symbol, 50'000},
};
// Line styles and symbols of the example set's libraries.
constexpr std::uint16_t kStyles[] = {20, 21, 22, 23, 24, 25};
const char* const kSymbols[] = {"DRZEWO", "DRZEWO_IGL", "SLUP", "HYDRANT", "STUDNIA", "PKT_OSN", "KAPLICZKA"};

// Best times of the cases, for the summary (seconds).
std::map<std::string, double> g_best;

void KeepBest(const std::string& Name, double Seconds) {
  auto it = g_best.find(Name);
  if (it == g_best.end() || Seconds < it->second) g_best[Name] = Seconds;
}

// A node drawn first in every full redraw: it notes when a thread first
// reached it after being armed.
class TProbe : public TWarstwaOgolna {
public:
  void Draw(TRealCanvas&) override {
    if (armed.exchange(false)) {
      hit = Clock::now();
      hits.fetch_add(1);
    }
  }
  TRealRect GetObszar() override { return TRealRect{0, 0, 1, 1}; }
  bool IsVisible() const override { return true; }
  bool IsLoaded() const override { return true; }
  bool IsShown() const override { return true; }
  void SetVisibleAll(bool) override {}
  void AddObject(TEGraphObj*) override {}

  std::atomic<bool> armed{false};
  std::atomic<int> hits{0};
  Clock::time_point hit;
};

// Where the elements lie: the centres of the built-up areas.
struct TLayout {
  std::vector<TRealPoint> Centres;
  explicit TLayout(std::mt19937_64& Rng) {
    std::uniform_real_distribution<double> x(1000, kWorldX - 1000), y(1000, kWorldY - 1000);
    for (int i = 0; i < kClusters; ++i) Centres.push_back(TRealPoint{x(Rng), y(Rng)});
  }
  TRealPoint Place(std::mt19937_64& Rng) const {
    std::uniform_real_distribution<double> u(0, 1), x(0, kWorldX), y(0, kWorldY);
    if (u(Rng) >= kClustered) return TRealPoint{x(Rng), y(Rng)};
    std::normal_distribution<double> spread(0, kClusterSpread);
    const TRealPoint& c = Centres[static_cast<std::size_t>(u(Rng) * kClusters) % Centres.size()];
    return TRealPoint{std::clamp(c.X + spread(Rng), 0.0, kWorldX), std::clamp(c.Y + spread(Rng), 0.0, kWorldY)};
  }
};

// One element about P: segments of up to 50 m each way, radii of 1 to
// 20 m, texts 3 m high (sizes of a large-scale map).
ObjectSaveRecord Record(TKind Kind, const TRealPoint& P, std::mt19937_64& Rng) {
  std::uniform_real_distribution<double> d(-50, 50), r(1, 20), a(0, 6.283);
  std::uniform_int_distribution<int> pick(0, 1 << 20);
  ObjectSaveRecord rec;
  const double x1 = P.X, y1 = P.Y;
  switch (Kind) {
    case TKind::Line:
    case TKind::SpecialLine:
    case TKind::Point: {
      rec.SetLineKind(kLineKindLine);
      rec.SetDouble(kRecP1X, x1);
      rec.SetDouble(kRecP1Y, y1);
      const bool point = Kind == TKind::Point;
      rec.SetDouble(kRecP2X, point ? x1 : x1 + d(Rng));
      rec.SetDouble(kRecP2Y, point ? y1 : y1 + d(Rng));
      if (Kind == TKind::SpecialLine) rec.SetStyleNumber(kStyles[pick(Rng) % std::size(kStyles)]);
      break;
    }
    case TKind::Arc: {
      rec.SetLineKind(kLineKindArc);
      const double radius = r(Rng);
      const double start = a(Rng), sweep = 0.5 + a(Rng) / 3;
      rec.SetDouble(kRecP1X, x1 + radius * std::cos(start));
      rec.SetDouble(kRecP1Y, y1 + radius * std::sin(start));
      rec.SetDouble(kRecP2X, x1 + radius * std::cos(start + sweep));
      rec.SetDouble(kRecP2Y, y1 + radius * std::sin(start + sweep));
      rec.SetRadius(radius);
      break;
    }
    case TKind::Circle:
      rec.SetLineKind(kLineKindCircle);
      rec.SetDouble(kRecP1X, x1);
      rec.SetDouble(kRecP1Y, y1);
      rec.SetRadius(r(Rng));
      break;
    case TKind::Text:
      rec.SetKindByte(kTextKindText);
      rec.SetAnchor(TRealPoint{x1, y1});
      rec.SetText("Dz. " + std::to_string(pick(Rng) % 1000) + "/" + std::to_string(pick(Rng) % 20));
      rec.SetHeight(3.0f);
      rec.SetAngle(static_cast<float>(a(Rng)));
      break;
    case TKind::Symbol:
      rec.SetKindByte(kTextKindSymbol);
      rec.SetAnchor(TRealPoint{x1, y1});
      rec.SetText(kSymbols[pick(Rng) % std::size(kSymbols)]);
      break;
  }
  return rec;
}

// The program's settings over the example set, the view and its tree, made
// once for the whole run.
class TBench {
public:
  TBench() {
    folder_ = fs::temp_directory_path() / ("tolvika-redraw-bench-" + std::to_string(std::random_device{}()));
    BuildExampleSet(folder_.string());
    saved_ = fs::current_path();
    fs::current_path(folder_);
    SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>("tolvika.ini"));
    FontManager().SetFolder(folder_.string());
    RegisterLayerObjectClasses();
    TTvViewCfg& cfg = TvViewCfgCreate();
    cfg.RozmiarX = kWidth;
    cfg.RozmiarY = kHeight;
    cfg.KolorTla = kBackground;
    KrzyzConf();

    view_ = std::make_unique<TTvView>();
    canvas_ = view_->GetCanvas();
    BuildTree();
    FullExtent();
  }

  ~TBench() {
    view_.reset();
    platform::PumpPostedMessages();
    FontManager().SetFolder("");
    ReleaseSymbolManager();
    ReleaseLineManager();
    FreeGlobalnaKonfiguracja();
    fs::current_path(saved_);
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }

  TTvView& View() { return *view_; }
  TDefRealCanvas& Canvas() { return *canvas_; }
  TProbe& Probe() { return *probe_; }
  int Objects() const { return objects_; }

  void FullExtent() { SetWindow(0, 0, kWorldX, kWorldY); }
  void SmallWindow() { SetWindow(window_.Left, window_.Top, window_.Right, window_.Bottom); }
  // A window of the same size where the tree has nothing: what a redraw
  // costs besides drawing.
  void EmptyWindow() { SetWindow(-3 * kWindowX, -3 * kWindowY, -2 * kWindowX, -2 * kWindowY); }
  int WindowElements() const { return windowElements_; }
  void SetFastDisplay(bool On) {
    view_->LocalConfig()->FindGroup<TCanvasCfg>()->FastDisplay = On;
  }

  // Ends every thread and takes their end notices.
  void Settle() {
    view_->WaitForRedraw(false);
    while (view_->RedrawCount() > 0) {
      platform::PumpPostedMessages();
      std::this_thread::yield();
    }
  }

  // Pixels of the image that are not the background.
  std::int64_t DrawnPixels() const {
    const platform::TBitmap& image = *view_->BackBitmap();
    std::int64_t n = 0;
    for (int y = 0; y < image.Height(); ++y)
      for (int x = 0; x < image.Width(); ++x)
        if (image.Pixel(x, y) != kBackground) ++n;
    return n;
  }

  // The tree straight onto the view's canvas on this thread, the image
  // filled first.
  void DrawDirect() {
    platform::TCanvas& c = view_->BackBitmap()->Canvas();
    {
      platform::TCanvasLock lock(c);
      platform::TBrush brush;
      brush.Color = kBackground;
      c.FillRect(platform::TGdiRect{0, 0, kWidth, kHeight}, brush);
    }
    canvas_->ApplyPen();
    canvas_->ClearLines();
    view_->Root()->Draw(*canvas_);
    canvas_->FlushLines();
  }

private:
  void SetWindow(double X1, double Y1, double X2, double Y2) {
    TWindowDim& d = *view_->Dims();
    d.X1 = X1;
    d.Y1 = Y1;
    d.X2 = X2;
    d.Y2 = Y2;
    d.SetDeviceSize(kWidth, kHeight);
  }

  void BuildTree() {
    TBazaWarstw& root = *view_->Root();
    auto probe = std::make_unique<TProbe>();
    probe->Name = " ";
    probe_ = probe.get();
    root.AddChild(std::move(probe));
    auto catalogue = std::make_unique<TKatalogWarstw>(nullptr, "Katalog", nullptr, "", "", canvas_);
    TKatalogWarstw* cat = catalogue.get();
    root.AddChild(std::move(catalogue));

    TMainWarstwaHeader lineHeader;
    lineHeader.Kind = 1;
    TMainWarstwaHeader textHeader;
    textHeader.Kind = 0;
    auto lines = std::make_unique<TWarstwa>(nullptr, nullptr, lineHeader, "LINIE", canvas_);
    auto texts = std::make_unique<TWarstwa>(nullptr, nullptr, textHeader, "OPISY", canvas_);
    TWarstwa* lineLayer = lines.get();
    TWarstwa* textLayer = texts.get();
    cat->AddChild(std::move(lines));
    cat->AddChild(std::move(texts));

    std::mt19937_64 rng(20261218);
    const TLayout layout(rng);
    std::vector<TRealPoint> places;
    places.reserve(kElements);
    int lineNumber = 0, textNumber = 0;
    std::uint32_t colour = 0x202020;
    for (const TSublayerPlan& plan : kPlan) {
      const bool text = plan.Kind == TKind::Text || plan.Kind == TKind::Symbol;
      TWarstwa& layer = text ? *textLayer : *lineLayer;
      int& number = text ? textNumber : lineNumber;
      TPodwarstwa* sub = nullptr;
      if (number == 0) {
        sub = layer.Sublayer(0);
      } else {
        std::unique_ptr<TPodwarstwa> made;
        if (text)
          made = std::make_unique<TPodwarstwaTextowa>(nullptr, nullptr, number, canvas_);
        else
          made = std::make_unique<TPodwarstwaLiniowa>(nullptr, nullptr, number, canvas_);
        sub = made.get();
        layer.AddChild(std::move(made));
      }
      ++number;
      sub->Colour = colour;
      colour = (colour * 7 + 0x101010) & 0x7F7F7F;
      sub->ReserveObjects(plan.Count);
      for (int i = 0; i < plan.Count; ++i) {
        places.push_back(layout.Place(rng));
        std::unique_ptr<TEGraphObj> obj = sub->CreateObjectFromRecord(Record(plan.Kind, places.back(), rng));
        if (!obj) throw EInternalError("bench_redraw: no object for a record");
        sub->AddObject(obj.release());
        ++objects_;
      }
      sub->MarkLoaded();
      sub->SetVisible(true);
    }
    lineLayer->SetVisible(true);
    textLayer->SetVisible(true);
    PlaceWindow(places);
  }

  // The window position, on a grid of a twentieth of the world, whose count
  // of elements comes nearest to 1 %.
  void PlaceWindow(const std::vector<TRealPoint>& Places) {
    constexpr int kSteps = 20;
    const int goal = kElements / 100;
    bool first = true;
    for (int i = 0; i <= kSteps - 2; ++i) {
      for (int j = 0; j <= kSteps - 2; ++j) {
        const TRealRect w{i * kWorldX / kSteps, j * kWorldY / kSteps, i * kWorldX / kSteps + kWindowX,
                          j * kWorldY / kSteps + kWindowY};
        int n = 0;
        for (const TRealPoint& p : Places)
          if (p.X >= w.Left && p.X < w.Right && p.Y >= w.Top && p.Y < w.Bottom) ++n;
        if (first || std::abs(n - goal) < std::abs(windowElements_ - goal)) {
          first = false;
          window_ = w;
          windowElements_ = n;
        }
      }
    }
  }

  fs::path folder_;
  fs::path saved_;
  std::unique_ptr<TTvView> view_;
  TDefRealCanvas* canvas_ = nullptr;
  TProbe* probe_ = nullptr;
  int objects_ = 0;
  TRealRect window_{};
  int windowElements_ = 0;
};

std::unique_ptr<TBench> g_bench;

TBench& Bench() {
  if (!g_bench) g_bench = std::make_unique<TBench>();
  return *g_bench;
}

// The image of the last direct drawing at the full extent, per fast-display
// setting, to compare the threaded one with.
std::map<bool, std::unique_ptr<platform::TBitmap>> g_direct;

void CopyImage(const platform::TBitmap& From, platform::TBitmap& To) {
  To.Canvas().BitBlt(0, 0, From.Width(), From.Height(), const_cast<platform::TBitmap&>(From).Canvas(), 0, 0);
}

void BM_DirectDraw(benchmark::State& State) {
  TBench& b = Bench();
  const bool fast = State.range(0) != 0;
  b.Settle();
  b.FullExtent();
  b.SetFastDisplay(fast);
  for (auto _ : State) {
    const Clock::time_point t0 = Clock::now();
    b.DrawDirect();
    const double s = std::chrono::duration<double>(Clock::now() - t0).count();
    State.SetIterationTime(s);
    KeepBest(std::string("direct/") + (fast ? "fast" : "slow"), s);
  }
  State.counters["pixels"] = static_cast<double>(b.DrawnPixels());
  State.counters["objects"] = b.Objects();
  auto& image = g_direct[fast];
  if (!image) image = std::make_unique<platform::TBitmap>(kWidth, kHeight);
  CopyImage(*b.View().BackBitmap(), *image);
}

enum class TWindow { Full, Small, Empty };

void FullRedraw(benchmark::State& State, TWindow Which) {
  TBench& b = Bench();
  const bool fast = State.range(0) != 0;
  b.Settle();
  switch (Which) {
    case TWindow::Full: b.FullExtent(); break;
    case TWindow::Small: b.SmallWindow(); break;
    case TWindow::Empty: b.EmptyWindow(); break;
  }
  const char* name = Which == TWindow::Full ? "full/" : Which == TWindow::Small ? "window/" : "empty/";
  b.SetFastDisplay(fast);
  for (auto _ : State) {
    const Clock::time_point t0 = Clock::now();
    b.View().StartRedraw();
    b.View().WaitForRedraw(false);
    const double s = std::chrono::duration<double>(Clock::now() - t0).count();
    State.SetIterationTime(s);
    KeepBest(std::string(name) + (fast ? "fast" : "slow"), s);
    b.Settle();
  }
  State.counters["pixels"] = static_cast<double>(b.DrawnPixels());
  if (Which == TWindow::Small) State.counters["elements_in_window"] = b.WindowElements();
  if (Which == TWindow::Full) {
    auto it = g_direct.find(fast);
    if (it != g_direct.end())
      State.counters["same_as_direct"] = b.View().BackBitmap()->SameAs(*it->second) ? 1 : 0;
  }
  b.FullExtent();
}

void BM_FullRedraw(benchmark::State& State) { FullRedraw(State, TWindow::Full); }
void BM_WindowRedraw(benchmark::State& State) { FullRedraw(State, TWindow::Small); }
void BM_EmptyWindowRedraw(benchmark::State& State) { FullRedraw(State, TWindow::Empty); }

// A second StartRedraw while the first thread draws the full extent: the
// time until the new thread reaches the first node of the tree.
void BM_RestartDelay(benchmark::State& State) {
  TBench& b = Bench();
  b.Settle();
  b.FullExtent();
  b.SetFastDisplay(false);
  TProbe& probe = b.Probe();
  for (auto _ : State) {
    probe.armed = true;
    const int before = probe.hits.load();
    b.View().StartRedraw();
    // The first thread is well into the tree before the second is asked for.
    while (probe.hits.load() == before) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    probe.armed = true;
    const Clock::time_point t0 = Clock::now();
    b.View().StartRedraw();
    while (probe.hits.load() == before + 1) std::this_thread::yield();
    const double s = std::chrono::duration<double>(probe.hit - t0).count();
    State.SetIterationTime(s);
    KeepBest("restart", s);
    b.Settle();
  }
  State.counters["pixels"] = static_cast<double>(b.DrawnPixels());
}

BENCHMARK(BM_DirectDraw)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_FullRedraw)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_WindowRedraw)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_EmptyWindowRedraw)->Arg(0)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_RestartDelay)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

void Ratio(const char* What, const std::string& A, const std::string& B, const char* Target) {
  if (!g_best.count(A) || !g_best.count(B)) return;
  std::printf("%s: %.1f ms / %.1f ms = %.3f (%s)\n", What, g_best[A] * 1e3, g_best[B] * 1e3,
              g_best[A] / g_best[B], Target);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  platform::EnsureApplication();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  g_direct.clear();
  g_bench.reset();
  Ratio("Full redraw / direct, fast display off", "full/slow", "direct/slow", "target at most 2");
  Ratio("Full redraw / direct, fast display on", "full/fast", "direct/fast", "no target");
  Ratio("1 % window / full extent, fast display off", "window/slow", "full/slow", "target at most 0.05");
  Ratio("1 % window / full extent, fast display on", "window/fast", "full/fast", "target at most 0.05");
  Ratio("Empty window / full extent, fast display off", "empty/slow", "full/slow", "the part that is not drawing");
  if (g_best.count("restart"))
    std::printf("New redraw started after %.1f ms (target at most 50 ms)\n", g_best["restart"] * 1e3);
  return 0;
}
