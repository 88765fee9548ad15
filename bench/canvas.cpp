// The real canvas against plain painting of the toolkit, on a 1920 x 1080
// image: 1,000,000 random short segments through TRealCanvas::Line and the
// same segments through QPainter::drawLines, then 100,000 arcs and 100,000
// stroke-font texts through the canvas. At the end it prints the canvas's
// time for the segments divided by the plain painter's.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QLine>
#include <QPainter>
#include <QPen>
#include <QVector>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "drawing/realcanvas.h"
#include "drawing/strokefont.h"
#include "drawing/windowdim.h"
#include "platform/paint/gdiimage.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kSegments = 1'000'000;
constexpr int kArcs = 100'000;
constexpr int kTexts = 100'000;
// Segments run up to this many pixels each way from their start, as the
// linework of a map does at a usual zoom.
constexpr double kReach = 32.0;

struct TSeg {
  double X1, Y1, X2, Y2;
};

// World coordinates equal device pixels: X up from the bottom edge, Y to the
// right.
const std::vector<TSeg>& Segments() {
  static const std::vector<TSeg> segs = [] {
    std::mt19937_64 rng(20261210);
    std::uniform_real_distribution<double> x(0, kHeight), y(0, kWidth), d(-kReach, kReach);
    std::vector<TSeg> v(kSegments);
    for (TSeg& s : v) {
      s.X1 = x(rng);
      s.Y1 = y(rng);
      s.X2 = std::clamp(s.X1 + d(rng), 0.0, double(kHeight));
      s.Y2 = std::clamp(s.Y1 + d(rng), 0.0, double(kWidth));
    }
    return v;
  }();
  return segs;
}

TWindowDim& Dims() {
  static TWindowDim dims = [] {
    TWindowDim w;
    w.SetWorldRect(TRealRect{0, 0, double(kHeight), double(kWidth)});
    w.SetDeviceSize(kWidth, kHeight);
    return w;
  }();
  return dims;
}

// Best seconds of one pass of each case, for the ratio printed at the end.
double g_canvasLines = std::numeric_limits<double>::infinity();
double g_plainLines = std::numeric_limits<double>::infinity();

template <class F>
void Timed(benchmark::State& State, double& Best, F&& Pass) {
  for (auto _ : State) {
    const auto t0 = std::chrono::steady_clock::now();
    Pass();
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    Best = std::min(Best, s);
  }
}

void BM_CanvasLines(benchmark::State& State) {
  platform::TBitmap image(kWidth, kHeight);
  TRealCanvas canvas(&image.Canvas(), &Dims(), nullptr);
  const std::vector<TSeg>& segs = Segments();
  Timed(State, g_canvasLines, [&] {
    for (const TSeg& s : segs) canvas.Line(s.X1, s.Y1, s.X2, s.Y2);
    canvas.FlushLines();
  });
  State.SetItemsProcessed(State.iterations() * kSegments);
}

void BM_PlainPainterLines(benchmark::State& State) {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  image.fill(Qt::white);
  QVector<QLine> lines;
  lines.reserve(kSegments);
  for (const TSeg& s : Segments()) {
    const TPoint a = Dims().WorldToDevicePt(TRealPoint{s.X1, s.Y1});
    const TPoint b = Dims().WorldToDevicePt(TRealPoint{s.X2, s.Y2});
    lines.push_back(QLine(a.X, a.Y, b.X, b.Y));
  }
  QPainter painter(&image);
  painter.setPen(QPen(Qt::black, 0));
  Timed(State, g_plainLines, [&] { painter.drawLines(lines); });
  State.SetItemsProcessed(State.iterations() * kSegments);
}

void BM_CanvasArcs(benchmark::State& State) {
  platform::TBitmap image(kWidth, kHeight);
  TRealCanvas canvas(&image.Canvas(), &Dims(), nullptr);
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> x(0, kHeight), y(0, kWidth), r(5, 60), a(0, 6.283);
  struct TArc {
    TRealEnds Ends;
    TRealPoint Centre;
    double R;
  };
  std::vector<TArc> arcs(kArcs);
  for (TArc& arc : arcs) {
    arc.Centre = TRealPoint{x(rng), y(rng)};
    arc.R = r(rng);
    const double a0 = a(rng), a1 = a(rng);
    arc.Ends = {
        TRealPoint{arc.Centre.X + arc.R * std::cos(a0), arc.Centre.Y + arc.R * std::sin(a0)},
        TRealPoint{arc.Centre.X + arc.R * std::cos(a1), arc.Centre.Y + arc.R * std::sin(a1)}};
  }
  for (auto _ : State) {
    for (const TArc& arc : arcs) canvas.Arc(arc.Ends, arc.Centre, arc.R);
    canvas.FlushLines();
  }
  State.SetItemsProcessed(State.iterations() * kArcs);
}

// A stroke font for the printable ASCII characters: each a box with a
// diagonal and a bar, 8 units wide and 10 high.
std::string FontBytes() {
  auto word = [](std::string& s, unsigned w) {
    s += char(w & 0xFF);
    s += char((w >> 8) & 0xFF);
  };
  std::string s = "FNT1";
  s += char(32);
  word(s, 95);
  s += char(10);
  s += char(7);
  s += char(2);
  s += char(-3);
  s += std::string(5, '\0');
  for (int c = 32; c < 127; ++c) {
    const int bar = c % 9 + 1;
    const std::vector<std::vector<int>> parts = {
        {0, 0, 6, 0, 6, 10, 0, 10, 0, 0}, {0, 10, 6, 0}, {0, bar, 6, bar}};
    s += char(8);
    unsigned points = 0;
    for (const auto& p : parts) points += unsigned(p.size() / 2);
    word(s, unsigned(parts.size()));
    word(s, points);
    for (const auto& p : parts) s += char(p.size() / 2);
    for (const auto& p : parts)
      for (int v : p) s += char(v);
  }
  return s;
}

void BM_CanvasTexts(benchmark::State& State) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() /
      ("tolvika-bench-fonts-" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(folder);
  for (const char* name : {"litt.ch1", "font.ch1"}) {
    std::ofstream out(folder / name, std::ios::binary);
    out << FontBytes();
  }
  FontManager().SetFolder(folder.string());
  platform::TBitmap image(kWidth, kHeight);
  TRealCanvas canvas(&image.Canvas(), &Dims(), nullptr);
  canvas.Size = 12;
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> x(20, kHeight), y(0, kWidth - 100), a(0, 6.283);
  struct TText {
    TRealPoint Origin;
    float Angle;
  };
  std::vector<TText> texts(kTexts);
  for (TText& t : texts) t = {TRealPoint{x(rng), y(rng)}, float(a(rng))};
  for (auto _ : State) {
    for (const TText& t : texts) canvas.VectorTextOutSimple("DZIALKA 123/4", t.Origin, t.Angle);
    canvas.FlushLines();
  }
  State.SetItemsProcessed(State.iterations() * kTexts);
  FontManager().SetFolder("");
  std::filesystem::remove_all(folder);
}

// Only the conversion of both ends of every segment to device pixels: the
// share of the canvas's time that the window dimensions take.
void BM_DeviceConversion(benchmark::State& State) {
  const std::vector<TSeg>& segs = Segments();
  for (auto _ : State) {
    for (const TSeg& s : segs) {
      benchmark::DoNotOptimize(Dims().WorldToDevicePt(TRealPoint{s.X1, s.Y1}));
      benchmark::DoNotOptimize(Dims().WorldToDevicePt(TRealPoint{s.X2, s.Y2}));
    }
  }
  State.SetItemsProcessed(State.iterations() * kSegments);
}

BENCHMARK(BM_CanvasLines)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainPainterLines)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DeviceConversion)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CanvasArcs)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CanvasTexts)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (g_canvasLines < std::numeric_limits<double>::infinity() &&
      g_plainLines < std::numeric_limits<double>::infinity())
    std::printf("Lines: canvas %.1f ms, plain painter %.1f ms, canvas / plain = %.2f\n",
                g_canvasLines * 1e3, g_plainLines * 1e3, g_canvasLines / g_plainLines);
  return 0;
}
