// Loading layer files: a line file and a text file of 1,000,000 records each
// are built with AddRecord (the rate is reported), then the live scan with
// decoding into save records, and a rectangle scan of a window holding about
// 1 % of the records (the index cells not in use), are timed against a plain
// sequential read of the same file's bytes in the same run, page cache warm.
//
// Then the index: the same files (records in random order) and a second pair
// written tile by tile, as layers are digitized area by area, get their index
// rebuilt (UpdateIndex), and rectangle scans of windows holding 1 % and
// 0.01 % of the records run with the index in use. Each reports the bytes it
// read (the process's read counter, /proc/self/io "rchar", around one pass)
// and their share of the file.
//
// Then the layer tree: the first line and text file, enumerated as the one
// catalogue of a database set, are loaded whole into their layer node (every
// record made into its object in its sublayer's list) and by the 1 % window
// (LoadInWindow, index in use after the rebuild above), each pass unloaded
// again outside the timing. The whole load also reports the growth of the
// process's peak resident size per object over the first load (clear_refs
// resets the peak first)
// and the heap bytes the loaded layer holds per object (mallinfo2).
// Single thread.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "layers/store/layerapi.h"
#include "layers/store/layerfiles.h"
#include "layers/tree/layertree.h"
#include "layers/tree/objectlist.h"
#include "layers/tree/sublayer.h"
#include "foundation/settings/settings.h"
#include "objects/layerobjects.h"
#include "objects/symbollib.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRecords = 1000000;
constexpr double kWorld = 10000.0;
// A square of a tenth of the world's side holds about 1 % of the points.
const TLayerRect kWindow{4500, 4500, 5500, 5500};
// A square of a hundredth of the side: about 0.01 %.
const TLayerRect kSmallWindow{4950, 4950, 5050, 5050};
// Tiled files: 16 x 16 tiles of 625 x 625, written one after the other row
// by row, each holding its share of the records in random places.
constexpr int kTiles = 16;

// Bytes the process has read through system calls so far (page cache hits
// included); -1 when the counter cannot be read.
std::int64_t BytesReadSoFar() {
  std::ifstream io("/proc/self/io");
  std::string key;
  std::int64_t value = 0;
  while (io >> key >> value)
    if (key == "rchar:") return value;
  return -1;
}

fs::path Scratch() {
  static const fs::path folder = [] {
    fs::path p = fs::temp_directory_path() / ("tolvika-layer-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(p);
    return p;
  }();
  return folder;
}

std::string LayerName(bool text, bool tiled) {
  return std::string(tiled ? "tiles" : "bench") + "---.--" + (text ? "t" : "l");
}

std::unique_ptr<TNewTextLinWarstwaFile> OpenLayer(bool text, bool tiled = false) {
  const std::string dir = Scratch().string() + "/";
  std::unique_ptr<TNewTextLinWarstwaFile> f;
  if (text) f = std::make_unique<TNewTextWarstwaFile>(nullptr, dir, LayerName(text, tiled));
  else f = std::make_unique<TNewLinWarstwaFile>(nullptr, dir, LayerName(text, tiled));
  return f;
}

// Record i of kRecords: anywhere in the world, or in tile i's share.
ObjectSaveRecord Record(bool text, std::mt19937& rng, bool tiled = false, int i = 0) {
  double x, y;
  if (tiled) {
    const double side = kWorld / kTiles;
    const int tile = static_cast<int>(static_cast<std::int64_t>(i) * kTiles * kTiles / kRecords);
    std::uniform_real_distribution<double> inTile(0, side);
    x = (tile % kTiles) * side + inTile(rng);
    y = (tile / kTiles) * side + inTile(rng);
  } else {
    std::uniform_real_distribution<double> coord(0, kWorld);
    x = coord(rng);
    y = coord(rng);
  }
  ObjectSaveRecord r;
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

void BuildFile(benchmark::State& state, bool text, bool tiled) {
  for (auto _ : state) {
    const std::string name = LayerName(text, tiled);
    fs::remove(Scratch() / name);
    TMainWarstwaHeader h;
    h.Kind = text ? 0 : 1;
    if (text) TNewTextWarstwaFile::CreateNew(nullptr, Scratch().string() + "/", h, name);
    else TNewLinWarstwaFile::CreateNew(nullptr, Scratch().string() + "/", h, name);
    auto f = OpenLayer(text, tiled);
    std::uint8_t mode = kOpenWrite;
    if (f->Open(mode) != 0) state.SkipWithError("open failed");
    std::mt19937 rng(14);
    for (int i = 0; i < kRecords; ++i) f->AddRecord(Record(text, rng, tiled, i));
    f->Close();
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

void Build(benchmark::State& state, bool text) { BuildFile(state, text, false); }

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

void UpdateIndex(benchmark::State& state, bool text, bool tiled) {
  auto f = OpenLayer(text, tiled);
  std::int64_t bytes = 0;
  for (auto _ : state) {
    const std::int64_t before = BytesReadSoFar();
    try {
      f->UpdateIndex();
    } catch (const std::exception& e) {
      state.SkipWithError(e.what());
      break;
    }
    bytes = BytesReadSoFar() - before;
  }
  state.counters["bytes_read"] = static_cast<double>(bytes);
  state.SetItemsProcessed(state.iterations() * kRecords);
}

// A rectangle scan with the index in use: time, records found, bytes read
// in one pass and their share of the file in per cent.
void IndexedScan(benchmark::State& state, bool text, bool tiled, TLayerRect window) {
  auto f = OpenLayer(text, tiled);
  std::uint8_t mode = kOpenRead;
  f->Open(mode);
  std::int64_t n = 0, bytes = 0;
  for (auto _ : state) {
    ObjectSaveRecord rec;
    n = 0;
    const std::int64_t before = BytesReadSoFar();
    for (int rc = f->SeekFirst(window, rec); rc == 0; rc = f->ReadNext(rec)) ++n;
    bytes = BytesReadSoFar() - before;
  }
  f->Close();
  const double size = static_cast<double>(fs::file_size(Scratch() / LayerName(text, tiled)));
  state.counters["found"] = static_cast<double>(n);
  state.counters["bytes_read"] = static_cast<double>(bytes);
  state.counters["read_pct"] = 100.0 * static_cast<double>(bytes) / size;
}

// Kilobytes of a "Vm..." line of /proc/self/status; -1 when missing.
std::int64_t StatusKiB(const std::string& key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(key + ":", 0) == 0) return std::stoll(line.substr(key.size() + 1));
  return -1;
}

// The scratch folder as a database set of one catalogue holding the two
// random files, and the view's tree built from it.
struct TTreeEnv {
  TTreeEnv() {
    const std::string dir = Scratch().string() + "/";
    std::ofstream ini(dir + "baza.ini", std::ios::trunc);
    ini << "[baza]\r\nBench=Bench\r\n[Bench]\r\nKat1=" << dir << "\r\nKat1Wzr1=bench*\r\n"
        << "Kat1Nazwa=Bench\r\n";
    ini.close();
    store = std::make_unique<TLayerStore>(dir + "baza.ini");
    baza = DBInt::OpenBase(*store, 0, "Bench");
    root = BuildLayerTree(*store, baza, "Bench", nullptr);
  }
  TWarstwa* Layer(bool text) const {
    for (int i = 0; i < root->GetCount(); ++i) {
      auto* c = dynamic_cast<TGrupaWarstw*>(root->GetItem(i));
      for (int j = 0; c != nullptr && j < c->GetCount(); ++j) {
        auto* l = dynamic_cast<TWarstwa*>(c->GetItem(j));
        if (l != nullptr && l->Kind == (text ? 0 : 1)) return l;
      }
    }
    return nullptr;
  }
  std::unique_ptr<TLayerStore> store;
  TBaza* baza = nullptr;
  std::unique_ptr<TBazaWarstw> root;
};

TTreeEnv& TreeEnv() {
  static TTreeEnv env;
  return env;
}

std::int64_t ObjectsOf(const TWarstwa& layer) {
  std::int64_t n = 0;
  for (int i = 0; i < layer.GetCount(); ++i)
    if (TGrObjList* list = layer.Sublayer(i)->Objects()) n += list->Count();
  return n;
}

void TreeLoad(benchmark::State& state, bool text) {
  TWarstwa* layer = TreeEnv().Layer(text);
  if (layer == nullptr) {
    state.SkipWithError("no layer");
    return;
  }
  // Peak memory of one load, outside the timing. The peak is taken at the
  // first call only: the framework calls this function more than once, and
  // after the first load the allocator keeps the freed memory, so a later
  // load would not raise the resident size.
  static double firstPeak[2] = {-2, -2};
  {
    std::ofstream("/proc/self/clear_refs") << "5";
    const std::int64_t before = StatusKiB("VmRSS");
    const struct mallinfo2 heapBefore = mallinfo2();
    layer->Load(nullptr, nullptr);
    const std::int64_t peak = StatusKiB("VmHWM");
    const struct mallinfo2 heapAfter = mallinfo2();
    if (ObjectsOf(*layer) != kRecords) state.SkipWithError("tree load lost records");
    if (firstPeak[text] == -2) firstPeak[text] = before >= 0 && peak >= 0 ? (peak - before) * 1024.0 / kRecords : -1;
    state.counters["peak_bytes_per_object"] = firstPeak[text];
    state.counters["heap_bytes_per_object"] =
        (static_cast<double>(heapAfter.uordblks + heapAfter.hblkhd) -
         static_cast<double>(heapBefore.uordblks + heapBefore.hblkhd)) / kRecords;
    layer->Unload();
  }
  for (auto _ : state) {
    layer->Load(nullptr, nullptr);
    state.PauseTiming();
    if (ObjectsOf(*layer) != kRecords) state.SkipWithError("tree load lost records");
    layer->Unload();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

void TreeLoadInWindow(benchmark::State& state, bool text) {
  TWarstwa* layer = TreeEnv().Layer(text);
  if (layer == nullptr) {
    state.SkipWithError("no layer");
    return;
  }
  std::int64_t n = 0;
  for (auto _ : state) {
    layer->LoadInWindow(TRealRect{kWindow.X1, kWindow.Y1, kWindow.X2, kWindow.Y2}, nullptr);
    state.PauseTiming();
    n = ObjectsOf(*layer);
    layer->Unload();
    state.ResumeTiming();
  }
  state.counters["found"] = static_cast<double>(n);
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
  // The indexed part comes after: the scans above keep the index unused.
  for (bool text : {false, true}) {
    const std::string kind = text ? "text" : "line";
    benchmark::RegisterBenchmark(("build_tiled/" + kind).c_str(), BuildFile, text, true)
        ->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
  }
  for (bool tiled : {false, true}) {
    for (bool text : {false, true}) {
      const std::string kind = std::string(text ? "text" : "line") + (tiled ? "/tiled" : "/random");
      benchmark::RegisterBenchmark(("update_index/" + kind).c_str(), UpdateIndex, text, tiled)
          ->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
      benchmark::RegisterBenchmark(("indexed_scan_1pct/" + kind).c_str(), IndexedScan, text, tiled, kWindow)
          ->Unit(benchmark::kMillisecond)->UseRealTime();
      benchmark::RegisterBenchmark(("indexed_scan_0.01pct/" + kind).c_str(), IndexedScan, text, tiled,
                                   kSmallWindow)
          ->Unit(benchmark::kMicrosecond)->UseRealTime();
    }
  }
  // The layer tree over the random files (their index rebuilt above).
  SetLibraryErrorBox([](const std::string&) {});
  SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>((Scratch() / "tolvika.ini").string()));
  RegisterLayerObjectClasses();
  for (bool text : {false, true}) {
    const std::string kind = text ? "text" : "line";
    benchmark::RegisterBenchmark(("tree_load/" + kind).c_str(), TreeLoad, text)
        ->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark(("tree_load_window_1pct/" + kind).c_str(), TreeLoadInWindow, text)
        ->Unit(benchmark::kMillisecond)->UseRealTime();
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (fs::exists(Scratch() / "baza.ini")) TreeEnv().root.reset();
  ReleaseSymbolManager();
  FreeGlobalnaKonfiguracja();
  std::error_code ec;
  fs::remove_all(Scratch(), ec);
  return 0;
}
