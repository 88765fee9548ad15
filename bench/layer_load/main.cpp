// Loading layer files: a line file and a text file of 1,000,000 records each
// are built with AddRecord (the rate is reported), then the live scan with
// decoding into save records, and a rectangle scan of a window holding about
// 1 % of the records (the index cells not in use), are timed against a plain
// sequential read of the same file's bytes in the same run, page cache warm.
// Single thread.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "layers/layerfiles.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRecords = 1000000;
constexpr double kWorld = 10000.0;
// A square of a tenth of the world's side holds about 1 % of the points.
const TLayerRect kWindow{4500, 4500, 5500, 5500};

fs::path Scratch() {
  static const fs::path folder = [] {
    fs::path p = fs::temp_directory_path() / ("tolvika-layer-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(p);
    return p;
  }();
  return folder;
}

std::unique_ptr<TNewTextLinWarstwaFile> OpenLayer(bool text) {
  const std::string dir = Scratch().string() + "/";
  std::unique_ptr<TNewTextLinWarstwaFile> f;
  if (text) f = std::make_unique<TNewTextWarstwaFile>(nullptr, dir, "bench---.--t");
  else f = std::make_unique<TNewLinWarstwaFile>(nullptr, dir, "bench---.--l");
  return f;
}

ObjectSaveRecord Record(bool text, std::mt19937& rng) {
  std::uniform_real_distribution<double> coord(0, kWorld);
  ObjectSaveRecord r;
  const double x = coord(rng), y = coord(rng);
  r.SetDouble(kRecP1X, x);
  r.SetDouble(kRecP1Y, y);
  if (text) {
    r.SetKindByte(2);
    r.SetByte(kRecText, 8);
    for (int i = 0; i < 8; ++i) r.SetByte(kRecText + 1 + i, static_cast<std::uint8_t>('a' + i));
    r.SetSingle(kRecHeight, 2.0f);
    r.SetByte(kRecTextFlags, 5);
  } else {
    r.SetDouble(kRecP2X, x + 3);
    r.SetDouble(kRecP2Y, y + 4);
  }
  r.SetIdentifier(rng());
  return r;
}

void Build(benchmark::State& state, bool text) {
  for (auto _ : state) {
    const std::string name = text ? "bench---.--t" : "bench---.--l";
    fs::remove(Scratch() / name);
    TMainWarstwaHeader h;
    h.Kind = text ? 0 : 1;
    if (text) TNewTextWarstwaFile::CreateNew(nullptr, Scratch().string() + "/", h, name);
    else TNewLinWarstwaFile::CreateNew(nullptr, Scratch().string() + "/", h, name);
    auto f = OpenLayer(text);
    std::uint8_t mode = kOpenWrite;
    if (f->Open(mode) != 0) state.SkipWithError("open failed");
    std::mt19937 rng(14);
    for (int i = 0; i < kRecords; ++i) f->AddRecord(Record(text, rng));
    f->Close();
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

void PlainRead(benchmark::State& state, bool text) {
  auto f = OpenLayer(text);
  std::vector<std::uint8_t> buffer(1 << 20);
  for (auto _ : state) {
    platform::File file;
    file.Open(f->Path(), platform::FileAccess::Read, platform::FileShare::DenyNone);
    std::uint64_t at = 0;
    for (;;) {
      const std::int64_t got = file.ReadAt(at, buffer.data(), buffer.size());
      if (got <= 0) break;
      at += static_cast<std::uint64_t>(got);
      benchmark::DoNotOptimize(buffer.data());
    }
    state.counters["bytes"] = static_cast<double>(at);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

void LiveScan(benchmark::State& state, bool text) {
  auto f = OpenLayer(text);
  std::uint8_t mode = kOpenRead;
  f->Open(mode);
  for (auto _ : state) {
    ObjectSaveRecord rec;
    std::int64_t n = 0;
    for (int rc = f->ReadCurrent(rec); rc == 0; rc = f->ReadRecord(rec)) ++n;
    if (n != kRecords) state.SkipWithError("live scan lost records");
  }
  f->Close();
  state.SetItemsProcessed(state.iterations() * kRecords);
}

void RectScan(benchmark::State& state, bool text) {
  auto f = OpenLayer(text);
  std::uint8_t mode = kOpenRead;
  f->Open(mode);
  std::int64_t n = 0;
  for (auto _ : state) {
    ObjectSaveRecord rec;
    n = 0;
    for (int rc = f->SeekFirst(kWindow, rec); rc == 0; rc = f->ReadNext(rec)) ++n;
  }
  f->Close();
  state.counters["found"] = static_cast<double>(n);
  state.SetItemsProcessed(state.iterations() * kRecords);
}

}  // namespace

int main(int argc, char** argv) {
  SetDefaultLayerLockWait(nullptr);
  benchmark::Initialize(&argc, argv);
  for (bool text : {false, true}) {
    const std::string kind = text ? "text" : "line";
    benchmark::RegisterBenchmark(("build/" + kind).c_str(), Build, text)
        ->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark(("plain_read/" + kind).c_str(), PlainRead, text)
        ->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark(("live_scan/" + kind).c_str(), LiveScan, text)
        ->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark(("rect_scan_1pct/" + kind).c_str(), RectScan, text)
        ->Unit(benchmark::kMillisecond)->UseRealTime();
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  fs::remove_all(Scratch(), ec);
  return 0;
}
