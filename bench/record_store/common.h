// Shared by the storage benchmark's workloads: the two modes, the scratch
// folder for the files, and the table that divides our time by SQLite's for
// each operation. Everything runs on the benchmark's single thread.
#pragma once

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace storebench {

// Single-user: files not shared, DBMultiUser off; SQLite in exclusive
// locking mode. Shared: shared files with locks, DBMultiUser on; SQLite in
// its normal locking mode.
enum class Mode { SingleUser, Shared };

inline const char* ModeName(Mode mode) { return mode == Mode::SingleUser ? "single" : "shared"; }

// A file of this run's scratch folder under the temp folder (made on first
// use); RemoveScratch deletes the folder with all its files.
std::string ScratchPath(const std::string& name);
void RemoveScratch();

using Workload = std::function<void(benchmark::State&)>;

// Registers one operation on both engines, ours first, as
// "<store>/<mode>/<operation>/ours" and ".../sqlite", and gives it a row of
// the ratio table; note says what was measured ("200000 keys of 19 characters").
// A second SQLite variant, when given, runs as ".../sqlite_table" and gets a
// ratio of its own in the same row.
void RegisterPair(const std::string& store, Mode mode, const std::string& operation,
                  const std::string& note, int iterations, Workload ours, Workload sqlite,
                  Workload sqliteTable = nullptr);

// Peak memory of one workload: MemoryStart resets the process's peak resident
// size to what it holds now (Linux clear_refs) and notes it; MemoryReport sets
// the counter "peak_MiB" to the growth of the peak since then. Meaningful when
// the workload runs alone in its process (--benchmark_filter), since memory a
// workload before it freed may be reused without growing the process.
void MemoryStart();
void MemoryReport(benchmark::State& state);

// The two stores' workloads for one mode (records.cpp, index.cpp).
void RegisterRecordWorkloads(Mode mode);
void RegisterIndexWorkloads(Mode mode);

// The console report, keeping every run's real time per iteration; Print
// writes the ratio table after the run.
class RatioTable : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override;
  void Print() const;

 private:
  std::map<std::string, double> times_;
};

}  // namespace storebench
