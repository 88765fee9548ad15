// One storage benchmark against SQLite in the same run: append, read and
// rewrite of fixed-size records in a record file (records.cpp), insert, exact
// find and ordered scan of keys in a B-tree index file (index.cpp). Every
// workload of the single-user mode runs first, then the shared mode with
// locks; at the end a table gives our time divided by SQLite's per operation.
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "common.h"
#include "platform/files/paths.h"

namespace storebench {

namespace {

struct Row {
  std::string name;  // "<store>/<mode>/<operation>"
  std::string note;
};

std::vector<Row>& Rows() {
  static std::vector<Row> rows;
  return rows;
}

std::filesystem::path& ScratchFolder() {
  static std::filesystem::path folder;
  return folder;
}

}  // namespace

std::string ScratchPath(const std::string& name) {
  std::filesystem::path& folder = ScratchFolder();
  if (folder.empty()) {
    // A new folder of its own, so that runs side by side never share files.
    std::random_device random;
    do {
      folder = platform::JoinPath(platform::TempFolder(), "tolvika_bench_" + std::to_string(random()));
    } while (!std::filesystem::create_directory(folder));
  }
  return (folder / name).string();
}

void RemoveScratch() {
  std::error_code ec;
  if (!ScratchFolder().empty()) std::filesystem::remove_all(ScratchFolder(), ec);
}

namespace {

// A "Vm...:  <n> kB" line of /proc/self/status, in KiB; 0 when absent.
long StatusKiB(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.compare(0, field.size(), field) == 0 && line.size() > field.size() && line[field.size()] == ':')
      return std::atol(line.c_str() + field.size() + 1);
  }
  return 0;
}

long& MemoryBase() {
  static long base = 0;
  return base;
}

}  // namespace

void MemoryStart() {
  std::ofstream("/proc/self/clear_refs") << "5";
  MemoryBase() = StatusKiB("VmRSS");
}

void MemoryReport(benchmark::State& state) {
  state.counters["peak_MiB"] = static_cast<double>(StatusKiB("VmHWM") - MemoryBase()) / 1024.0;
}

void RegisterPair(const std::string& store, Mode mode, const std::string& operation,
                  const std::string& note, int iterations, Workload ours, Workload sqlite,
                  Workload sqliteTable) {
  const std::string name = store + "/" + ModeName(mode) + "/" + operation;
  Rows().push_back({name, note});
  benchmark::RegisterBenchmark((name + "/ours").c_str(), std::move(ours))
      ->Iterations(iterations)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark((name + "/sqlite").c_str(), std::move(sqlite))
      ->Iterations(iterations)
      ->Unit(benchmark::kMillisecond);
  if (sqliteTable) {
    benchmark::RegisterBenchmark((name + "/sqlite_table").c_str(), std::move(sqliteTable))
        ->Iterations(iterations)
        ->Unit(benchmark::kMillisecond);
  }
}

void RatioTable::ReportRuns(const std::vector<Run>& runs) {
  ConsoleReporter::ReportRuns(runs);
  for (const Run& run : runs) {
    if (run.run_type == Run::RT_Iteration && !run.error_occurred)
      times_[run.run_name.function_name] = run.GetAdjustedRealTime();
  }
}

void RatioTable::Print() const {
  std::printf("\nour time / SQLite's time (ms per run); index rows: SQLite WITHOUT ROWID, then"
              " table + index\n");
  for (const Row& row : Rows()) {
    const auto ours = times_.find(row.name + "/ours");
    const auto theirs = times_.find(row.name + "/sqlite");
    if (ours == times_.end() || theirs == times_.end() || theirs->second <= 0) {
      std::printf("  %-34s %s\n", row.name.c_str(), "no result");
      continue;
    }
    std::printf("  %-34s %10.1f / %10.1f = %6.2f", row.name.c_str(), ours->second, theirs->second,
                ours->second / theirs->second);
    const auto table = times_.find(row.name + "/sqlite_table");
    if (table != times_.end() && table->second > 0)
      std::printf("   / %10.1f = %6.2f", table->second, ours->second / table->second);
    std::printf("   %s\n", row.note.c_str());
  }
}

}  // namespace storebench

int main(int argc, char** argv) {
  using storebench::Mode;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  for (const Mode mode : {Mode::SingleUser, Mode::Shared}) {
    storebench::RegisterRecordWorkloads(mode);
    storebench::RegisterIndexWorkloads(mode);
  }
  storebench::RatioTable table;
  benchmark::RunSpecifiedBenchmarks(&table);
  benchmark::Shutdown();
  table.Print();
  storebench::RemoveScratch();
  return 0;
}
