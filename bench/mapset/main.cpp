// A large map set opened and drawn as the program does, against plain
// painting of its segments. The set: a synthetic map of 10 x 10 km with
// 1,000,000 segments of 1 to 30 m in one line layer file, 100,000 arcs in a
// second and 100,000 labels in a text layer file, one catalogue of a database
// set.
// It is written through the layer files once (not timed; kept between
// processes in TOLVIKA_MAPSET_DIR when that is given), then:
//
//   open        the set attached to a 1920 x 1080 map view (the view builds its
//               tree from the enumerated files) and every layer loaded whole,
//               as the load-all command does, then the first image at the full
//               extent (StartRedraw to the thread's end); counters: open_ms,
//               first_image_ms, objects, peak_MiB (the process's peak resident
//               size after the first open);
//   window      a window of 1 % of the map's area: the first redraw after the
//               open (time of the run) and a warm one (warm_ms);
//   full        a warm redraw at the full extent (counter full_warm_ms);
//   segments    the same with only the segments shown (the arcs' and the
//               labels' layers hidden), like for like with the plain painter,
//               and a window as large where the map has nothing (empty_window:
//               the cost of a redraw besides its objects);
//   raw         the plain painter (the platform canvas, one drawLines call)
//               on the same segments in device coordinates, made before
//               timing: every segment at the full extent (raw/full) and the
//               segments meeting the 1 % window (raw/window).
//
// Each case checks its result: the loaded object count, pixels drawn that
// are not the background, and the raw painter's segment count. At the end
// the program prints the ratios the targets speak of (medians of the runs of
// this process). Peak memory is meaningful with one case alone in its
// process: run `--benchmark_filter=open` and `--benchmark_filter=raw/full`
// separately for the two peaks.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "drawing/strokefont.h"
#include "drawing/windowdim.h"
#include "foundation/errors.h"
#include "foundation/settings/settings.h"
#include "layers/store/layerapi.h"
#include "layers/store/layerfile.h"
#include "layers/store/layerfiles.h"
#include "layers/tree/layertree.h"
#include "layers/tree/objectlist.h"
#include "layers/tree/sublayer.h"
#include "mkexamples/exampleset.h"
#include "objects/layerobjects.h"
#include "objects/linestylelib.h"
#include "objects/saverecord.h"
#include "objects/symbollib.h"
#include "platform/gui/application.h"
#include "platform/gui/messages.h"
#include "platform/paint/gdi.h"
#include "platform/paint/gdiimage.h"
#include "view/krzyzconf.h"
#include "view/tvview.h"
#include "view/viewcfg.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kSegments = 1'000'000;
constexpr int kArcs = 100'000;
constexpr int kLabels = 100'000;
constexpr double kSide = 10000.0;  // metres; X up (rows), Y to the right (columns)
constexpr std::uint32_t kBackground = 0xFFFFFF;
constexpr const char* kBaseName = "MapaTestowa";

// The full extent: the square map in the middle of a window of the image's
// shape. The 1 % window: a window of the same shape covering 1 % of the map's
// area, in the map's middle.
const TRealRect kFull{0, kSide / 2 - kSide * kWidth / kHeight / 2, kSide, kSide / 2 + kSide * kWidth / kHeight / 2};
const double kWinX = std::sqrt(kSide * kSide / 100 * kHeight / kWidth);
const double kWinY = kWinX * kWidth / kHeight;
const TRealRect kWindow{kSide / 2 - kWinX / 2, kSide / 2 - kWinY / 2, kSide / 2 + kWinX / 2, kSide / 2 + kWinY / 2};

struct TSeg {
  double X1, Y1, X2, Y2;
};

// The segments of the set, the same in every process (fixed seed).
std::vector<TSeg> MakeSegments() {
  std::mt19937_64 rng(20261211);
  std::uniform_real_distribution<double> at(0, kSide), len(1, 30), dir(0, 6.283185307179586);
  std::vector<TSeg> v(kSegments);
  for (TSeg& s : v) {
    s.X1 = at(rng);
    s.Y1 = at(rng);
    const double l = len(rng), a = dir(rng);
    s.X2 = std::clamp(s.X1 + l * std::cos(a), 0.0, kSide);
    s.Y2 = std::clamp(s.Y1 + l * std::sin(a), 0.0, kSide);
  }
  return v;
}

bool Meets(const TSeg& S, const TRealRect& W) {
  return std::max(S.X1, S.X2) >= W.Left && std::min(S.X1, S.X2) <= W.Right && std::max(S.Y1, S.Y2) >= W.Top &&
         std::min(S.Y1, S.Y2) <= W.Bottom;
}

// Kilobytes of a "Vm..." line of /proc/self/status; -1 when missing.
std::int64_t StatusKiB(const std::string& Key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(Key + ":", 0) == 0) return std::stoll(line.substr(Key.size() + 1));
  return -1;
}

double Median(std::vector<double> V) {
  if (V.empty()) return 0;
  std::sort(V.begin(), V.end());
  return V[V.size() / 2];
}

std::map<std::string, std::vector<double>> g_times;  // seconds per case

// The settings, the example set's libraries and fonts, and the map set on
// disk: made once per process.
class TEnv {
 public:
  TEnv() {
    const char* given = std::getenv("TOLVIKA_MAPSET_DIR");
    keep_ = given != nullptr && *given != '\0';
    folder_ = keep_ ? fs::path(given)
                    : fs::temp_directory_path() / ("tolvika-mapset-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder_);
    folder_ = fs::absolute(folder_);
    if (!fs::exists(folder_ / "tolvika.ini")) BuildExampleSet(folder_.string());
    saved_ = fs::current_path();
    fs::current_path(folder_);
    SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>("tolvika.ini"));
    FontManager().SetFolder(folder_.string());
    SetDefaultLayerLockWait(nullptr);
    SetLibraryErrorBox([](const std::string&) {});
    RegisterLayerObjectClasses();
    TTvViewCfg& cfg = TvViewCfgCreate();
    cfg.RozmiarX = kWidth;
    cfg.RozmiarY = kHeight;
    cfg.KolorTla = kBackground;
    KrzyzConf();
    if (!fs::exists(Catalogue() / "done")) WriteSet();
  }

  ~TEnv() {
    platform::PumpPostedMessages();
    FontManager().SetFolder("");
    ReleaseSymbolManager();
    ReleaseLineManager();
    FreeGlobalnaKonfiguracja();
    fs::current_path(saved_);
    std::error_code ec;
    if (!keep_) fs::remove_all(folder_, ec);
  }

  fs::path Catalogue() const { return folder_ / "mapa"; }
  std::string Ini() const { return (Catalogue() / "baza.ini").string(); }

 private:
  // The two layer files through the layer store's writer, and the database
  // set's ini naming their catalogue.
  void WriteSet() {
    fs::remove_all(Catalogue());
    fs::create_directories(Catalogue());
    const std::string dir = Catalogue().string() + "/";
    {
      TMainWarstwaHeader h;
      h.Kind = 1;
      TNewLinWarstwaFile::CreateNew(nullptr, dir, h, "linie---.--l");
      TNewLinWarstwaFile f(nullptr, dir, "linie---.--l");
      std::uint8_t mode = kOpenWrite;
      if (f.Open(mode) != 0) throw EInternalError("bench_mapset: line file not open");
      for (const TSeg& s : MakeSegments()) {
        ObjectSaveRecord r;
        r.SetLineKind(kLineKindLine);
        r.SetDouble(kRecP1X, s.X1);
        r.SetDouble(kRecP1Y, s.Y1);
        r.SetDouble(kRecP2X, s.X2);
        r.SetDouble(kRecP2Y, s.Y2);
        f.AddRecord(r);
      }
      if (f.Close() != 0) throw EInternalError("bench_mapset: line file not closed");
    }
    {
      // The arcs in a line layer of their own.
      TMainWarstwaHeader h;
      h.Kind = 1;
      TNewLinWarstwaFile::CreateNew(nullptr, dir, h, "lukow---.--l");
      TNewLinWarstwaFile f(nullptr, dir, "lukow---.--l");
      std::uint8_t mode = kOpenWrite;
      if (f.Open(mode) != 0) throw EInternalError("bench_mapset: arc file not open");
      std::mt19937_64 rng(7);
      std::uniform_real_distribution<double> at(20, kSide - 20), rad(2, 20), ang(0, 6.283);
      for (int i = 0; i < kArcs; ++i) {
        const double x = at(rng), y = at(rng), r = rad(rng), a = ang(rng), sweep = 0.5 + ang(rng) / 3;
        ObjectSaveRecord rec;
        rec.SetLineKind(kLineKindArc);
        rec.SetDouble(kRecP1X, x + r * std::cos(a));
        rec.SetDouble(kRecP1Y, y + r * std::sin(a));
        rec.SetDouble(kRecP2X, x + r * std::cos(a + sweep));
        rec.SetDouble(kRecP2Y, y + r * std::sin(a + sweep));
        rec.SetRadius(r);
        f.AddRecord(rec);
      }
      if (f.Close() != 0) throw EInternalError("bench_mapset: arc file not closed");
    }
    {
      TMainWarstwaHeader h;
      h.Kind = 0;
      TNewTextWarstwaFile::CreateNew(nullptr, dir, h, "opisy---.--t");
      TNewTextWarstwaFile f(nullptr, dir, "opisy---.--t");
      std::uint8_t mode = kOpenWrite;
      if (f.Open(mode) != 0) throw EInternalError("bench_mapset: text file not open");
      std::mt19937_64 rng(8);
      std::uniform_real_distribution<double> at(0, kSide), ang(0, 6.283);
      std::uniform_int_distribution<int> pick(0, 999);
      for (int i = 0; i < kLabels; ++i) {
        ObjectSaveRecord rec;
        rec.SetKindByte(kTextKindText);
        rec.SetAnchor(TRealPoint{at(rng), at(rng)});
        rec.SetText(std::to_string(pick(rng)) + "/" + std::to_string(pick(rng) % 20));
        rec.SetHeight(2.5f);
        rec.SetAngle(static_cast<float>(ang(rng)));
        f.AddRecord(rec);
      }
      if (f.Close() != 0) throw EInternalError("bench_mapset: text file not closed");
    }
    std::ofstream ini(Ini(), std::ios::trunc);
    ini << "[baza]\r\n" << kBaseName << '=' << kBaseName << "\r\n[" << kBaseName << "]\r\nKat1=" << dir
        << "\r\nKat1Wzr1=*\r\nKat1Nazwa=Mapa\r\n";
    ini.close();
    std::ofstream(Catalogue() / "done") << "1";
  }

  fs::path folder_;
  fs::path saved_;
  bool keep_ = false;
};

std::unique_ptr<TEnv> g_env;

TEnv& Env() {
  if (!g_env) g_env = std::make_unique<TEnv>();
  return *g_env;
}

// One opening of the set: a store, a view, the base attached and every
// layer loaded.
class TOpened {
 public:
  TOpened() {
    store_ = std::make_unique<TLayerStore>(Env().Ini());
    view_ = std::make_unique<TTvView>();
  }
  ~TOpened() {
    view_->WaitForRedraw(true);
    view_.reset();
    platform::PumpPostedMessages();
    store_.reset();
  }

  // Attaches the base and loads the layers (the view starts a redraw of the
  // empty tree when attached; it ends before the loading).
  void Open() {
    TBaza* base = DBInt::OpenBase(*store_, 0, kBaseName);
    view_->AttachBaza(store_.get(), base);
    Settle();
    LoadAll(*view_->Root());
  }

  void SetWindow(const TRealRect& W) {
    TWindowDim& d = *view_->Dims();
    d.X1 = W.Left;
    d.Y1 = W.Top;
    d.X2 = W.Right;
    d.Y2 = W.Bottom;
    d.SetDeviceSize(kWidth, kHeight);
  }

  double Redraw() {
    const Clock::time_point t0 = Clock::now();
    view_->StartRedraw();
    view_->WaitForRedraw(false);
    const double s = std::chrono::duration<double>(Clock::now() - t0).count();
    Settle();
    return s;
  }

  void Settle() {
    view_->WaitForRedraw(false);
    while (view_->RedrawCount() > 0) {
      platform::PumpPostedMessages();
      std::this_thread::yield();
    }
  }

  std::int64_t Objects() const { return CountObjects(*view_->Root()); }

  // Hides all but the segments (the arcs' and the labels' layers), for
  // the comparison with the plain painter on the same segments.
  void ShowOnlySegments() { HideAllButSegments(*view_->Root()); }

  std::int64_t DrawnPixels() const {
    const platform::TBitmap& image = *view_->BackBitmap();
    std::int64_t n = 0;
    for (int y = 0; y < image.Height(); ++y)
      for (int x = 0; x < image.Width(); ++x)
        if (image.Pixel(x, y) != kBackground) ++n;
    return n;
  }

  TTvView& View() { return *view_; }

 private:
  static void LoadAll(TWarstwaOgolna& Node) {
    if (auto* layer = dynamic_cast<TWarstwa*>(&Node)) {
      layer->SetVisible(true);
      layer->Load(nullptr, nullptr);
      return;
    }
    if (auto* group = dynamic_cast<TGrupaWarstw*>(&Node))
      for (int i = 0; i < group->GetCount(); ++i) LoadAll(*group->GetItem(i));
  }
  static void HideAllButSegments(TWarstwaOgolna& Node) {
    if (auto* layer = dynamic_cast<TWarstwa*>(&Node)) {
      if (layer->Kind != 1 || layer->Sublayer(0)->Objects() == nullptr ||
          layer->Sublayer(0)->Objects()->Count() != kSegments)
        layer->SetVisible(false);
      return;
    }
    if (auto* group = dynamic_cast<TGrupaWarstw*>(&Node))
      for (int i = 0; i < group->GetCount(); ++i) HideAllButSegments(*group->GetItem(i));
  }
  static std::int64_t CountObjects(TWarstwaOgolna& Node) {
    if (auto* sub = dynamic_cast<TPodwarstwa*>(&Node)) return sub->Objects() != nullptr ? sub->Objects()->Count() : 0;
    std::int64_t n = 0;
    if (auto* group = dynamic_cast<TGrupaWarstw*>(&Node))
      for (int i = 0; i < group->GetCount(); ++i) n += CountObjects(*group->GetItem(i));
    return n;
  }

  std::unique_ptr<TLayerStore> store_;
  std::unique_ptr<TTvView> view_;
};

constexpr std::int64_t kAllObjects = kSegments + kArcs + kLabels;

void CheckOpened(benchmark::State& State, TOpened& O) {
  if (O.Objects() != kAllObjects) State.SkipWithError("the set did not load whole");
}

void BM_Open(benchmark::State& State) {
  Env();
  static double peak = -1;
  for (auto _ : State) {
    State.PauseTiming();
    auto o = std::make_unique<TOpened>();
    o->SetWindow(kFull);
    State.ResumeTiming();
    const Clock::time_point t0 = Clock::now();
    o->Open();
    o->SetWindow(kFull);
    const double open = std::chrono::duration<double>(Clock::now() - t0).count();
    const double image = o->Redraw();
    State.SetIterationTime(open + image);
    State.PauseTiming();
    if (peak < 0) peak = static_cast<double>(StatusKiB("VmHWM")) / 1024.0;
    g_times["open"].push_back(open);
    g_times["first_image"].push_back(image);
    g_times["open+first_image"].push_back(open + image);
    CheckOpened(State, *o);
    State.counters["pixels"] = static_cast<double>(o->DrawnPixels());
    if (State.counters["pixels"] == 0) State.SkipWithError("nothing drawn");
    o.reset();
    State.ResumeTiming();
  }
  State.counters["peak_MiB"] = peak;
  State.counters["open_ms"] = Median(g_times["open"]) * 1e3;
  State.counters["first_image_ms"] = Median(g_times["first_image"]) * 1e3;
}

// The first redraw of the 1 % window after the open, then a warm one; and
// warm redraws of the full extent.
void BM_Window(benchmark::State& State) {
  Env();
  for (auto _ : State) {
    State.PauseTiming();
    auto o = std::make_unique<TOpened>();
    o->Open();
    CheckOpened(State, *o);
    o->SetWindow(kWindow);
    State.ResumeTiming();
    const double first = o->Redraw();
    State.SetIterationTime(first);
    State.PauseTiming();
    g_times["window_first"].push_back(first);
    g_times["window_warm"].push_back(o->Redraw());
    State.counters["pixels"] = static_cast<double>(o->DrawnPixels());
    if (State.counters["pixels"] == 0) State.SkipWithError("nothing drawn");
    o->SetWindow(kFull);
    o->Redraw();
    g_times["full_warm"].push_back(o->Redraw());
    o.reset();
    State.ResumeTiming();
  }
  State.counters["warm_ms"] = Median(g_times["window_warm"]) * 1e3;
  State.counters["full_warm_ms"] = Median(g_times["full_warm"]) * 1e3;
}

// The same with the segments alone shown, like for like with the plain
// painter: first redraw after the open and warm, the 1 % window and the
// full extent.
void BM_Segments(benchmark::State& State) {
  Env();
  for (auto _ : State) {
    State.PauseTiming();
    auto o = std::make_unique<TOpened>();
    o->Open();
    CheckOpened(State, *o);
    o->ShowOnlySegments();
    o->SetWindow(kWindow);
    State.ResumeTiming();
    const double first = o->Redraw();
    State.SetIterationTime(first);
    State.PauseTiming();
    g_times["segments_window_first"].push_back(first);
    g_times["segments_window_warm"].push_back(o->Redraw());
    State.counters["pixels"] = static_cast<double>(o->DrawnPixels());
    if (State.counters["pixels"] == 0) State.SkipWithError("nothing drawn");
    // A window as large where the map has nothing: what a redraw costs
    // besides finding and drawing the objects.
    o->SetWindow(TRealRect{kWindow.Left - 2 * kSide, kWindow.Top, kWindow.Right - 2 * kSide, kWindow.Bottom});
    g_times["empty_window"].push_back(o->Redraw());
    o->SetWindow(kFull);
    o->Redraw();
    g_times["segments_full_warm"].push_back(o->Redraw());
    o.reset();
    State.ResumeTiming();
  }
  State.counters["warm_ms"] = Median(g_times["segments_window_warm"]) * 1e3;
  State.counters["full_warm_ms"] = Median(g_times["segments_full_warm"]) * 1e3;
}

// The plain painter on the segments that meet the window, in the device
// coordinates the view's dimensions give them (made before timing).
void RawPainter(benchmark::State& State, const TRealRect& Window, const char* Name) {
  Env();
  TWindowDim dims;
  dims.X1 = Window.Left;
  dims.Y1 = Window.Top;
  dims.X2 = Window.Right;
  dims.Y2 = Window.Bottom;
  dims.SetDeviceSize(kWidth, kHeight);
  std::vector<platform::TGdiPoint> points;
  std::int64_t n = 0;
  {
    const std::vector<TSeg> segs = MakeSegments();
    for (const TSeg& s : segs) {
      if (!Meets(s, Window)) continue;
      const TPoint a = dims.WorldToDevicePt(TRealPoint{s.X1, s.Y1});
      const TPoint b = dims.WorldToDevicePt(TRealPoint{s.X2, s.Y2});
      points.push_back(platform::TGdiPoint{a.X, a.Y});
      points.push_back(platform::TGdiPoint{b.X, b.Y});
      ++n;
    }
  }
  const std::vector<std::int32_t> counts(static_cast<std::size_t>(n), 2);
  platform::TBitmap image(kWidth, kHeight, kBackground);
  platform::TPen pen;
  pen.Color = 0x202020;
  image.Canvas().SetPen(pen);
  for (auto _ : State) {
    const Clock::time_point t0 = Clock::now();
    platform::TCanvas& c = image.Canvas();
    {
      platform::TCanvasLock lock(c);
      platform::TBrush brush;
      brush.Color = kBackground;
      c.FillRect(platform::TGdiRect{0, 0, kWidth, kHeight}, brush);
      if (!c.PolyPolyline(points.data(), counts.data(), static_cast<int>(n))) State.SkipWithError("drawing failed");
    }
    const double s = std::chrono::duration<double>(Clock::now() - t0).count();
    State.SetIterationTime(s);
    g_times[Name].push_back(s);
  }
  std::int64_t pixels = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      if (image.Pixel(x, y) != kBackground) ++pixels;
  if (pixels == 0) State.SkipWithError("nothing drawn");
  State.counters["segments"] = static_cast<double>(n);
  State.counters["pixels"] = static_cast<double>(pixels);
  State.counters["peak_MiB"] = static_cast<double>(StatusKiB("VmHWM")) / 1024.0;
}

void BM_RawFull(benchmark::State& State) { RawPainter(State, kFull, "raw_full"); }
void BM_RawWindow(benchmark::State& State) { RawPainter(State, kWindow, "raw_window"); }

BENCHMARK(BM_Open)->Name("open")->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_Window)->Name("window")->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_Segments)->Name("segments")->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_RawFull)->Name("raw/full")->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_RawWindow)->Name("raw/window")->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

void Ratio(const char* What, const char* A, const char* B, const char* Target) {
  if (g_times[A].empty() || g_times[B].empty()) return;
  const double a = Median(g_times[A]), b = Median(g_times[B]);
  std::printf("%s: %.1f ms / %.1f ms = %.2f (%s)\n", What, a * 1e3, b * 1e3, a / b, Target);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  platform::EnsureApplication();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("Medians of the runs of this process:\n");
  for (const char* k : {"open", "first_image", "open+first_image", "window_first", "window_warm", "full_warm",
                        "segments_window_first", "segments_window_warm", "segments_full_warm", "empty_window", "raw_full",
                        "raw_window"})
    if (!g_times[k].empty()) std::printf("  %-18s %8.1f ms\n", k, Median(g_times[k]) * 1e3);
  Ratio("Segments, 1 % window, first redraw after the open / raw painter", "segments_window_first", "raw_window",
        "target at most 2");
  Ratio("Segments, 1 % window, warm / raw painter", "segments_window_warm", "raw_window", "target at most 2");
  Ratio("Segments, full extent, warm / raw painter", "segments_full_warm", "raw_full", "no slower than before");
  Ratio("Whole set, 1 % window, first redraw / raw painter on its segments", "window_first", "raw_window",
        "for information");
  Ratio("Whole set, full extent, warm / raw painter on its segments", "full_warm", "raw_full", "for information");
  g_env.reset();
  return 0;
}
