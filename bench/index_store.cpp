// Insert, exact find and ordered scan of 200,000 keys of 19 characters in a
// B-tree index file, and the same on SQLite (one table with an index, prepared
// statements, one transaction for the inserts) in the same run. Single-user
// mode first (a non-shared index; SQLite in exclusive locking mode without
// syncs), then shared mode with locks (DBMultiUser on, every find and scan
// step in its own reader hold; SQLite in its normal locking mode, every find
// in its own read transaction). At the end it prints our time divided by
// SQLite's for each operation.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "foundation/btree.h"

namespace fs = std::filesystem;

namespace {

constexpr int kKeys = 200000;
constexpr int kKeyLength = 19;

struct Data {
  std::vector<std::string> keys;   // in insertion (random) order
  std::vector<std::string> probe;  // the same keys in another random order
  fs::path dir;
};

Data& Shared() {
  static Data data = [] {
    Data d;
    std::mt19937_64 rng(20261210);
    std::set<std::string> seen;
    while (static_cast<int>(d.keys.size()) < kKeys) {
      char text[32];
      std::snprintf(text, sizeof text, "%019llu",
                    static_cast<unsigned long long>(rng() % 10000000000000000000ull));
      if (seen.insert(text).second) d.keys.emplace_back(text);
    }
    d.probe = d.keys;
    std::shuffle(d.probe.begin(), d.probe.end(), rng);
    d.dir = fs::temp_directory_path() / ("tolvika_bench_" + std::to_string(::getpid()));
    fs::create_directories(d.dir);
    return d;
  }();
  return data;
}

enum class Mode { Single, Shared };

const char* ModeName(Mode mode) { return mode == Mode::Single ? "single" : "shared"; }

std::string IndexPath(Mode mode) { return (Shared().dir / (std::string(ModeName(mode)) + ".idx")).string(); }
std::string SqlitePath(Mode mode) { return (Shared().dir / (std::string(ModeName(mode)) + ".db")).string(); }

// Our index file.

void OpenOurs(TIndexFile& ix, Mode mode) {
  DBMultiUser = mode == Mode::Shared;
  OpenIndex(ix, nullptr, IndexPath(mode), kKeyLength, false, mode == Mode::Shared);
}

void OursInsert(benchmark::State& state, Mode mode) {
  for (auto _ : state) {
    DBMultiUser = mode == Mode::Shared;
    TIndexFile ix;
    MakeIndex(ix, nullptr, IndexPath(mode), kKeyLength, false, mode == Mode::Shared);
    // One writer transaction, as SQLite's inserts run in one.
    LockIndexFile(ix, true, true);
    std::int32_t rec = 0;
    for (const std::string& k : Shared().keys) {
      std::string key = k;
      AddKey(ix, ++rec, key);
      if (!DBOk) state.SkipWithError("AddKey failed");
    }
    LockIndexFile(ix, false, true);
    CloseIndex(ix);
  }
  state.SetItemsProcessed(state.iterations() * kKeys);
}

void OursFind(benchmark::State& state, Mode mode) {
  TIndexFile ix;
  OpenOurs(ix, mode);
  for (auto _ : state) {
    std::string key;
    std::int32_t rec = 0;
    for (const std::string& k : Shared().probe) {
      key = k;
      FindKey(ix, rec, key);
      if (!DBOk) state.SkipWithError("FindKey failed");
    }
    benchmark::DoNotOptimize(rec);
  }
  CloseIndex(ix);
  state.SetItemsProcessed(state.iterations() * kKeys);
}

void OursScan(benchmark::State& state, Mode mode) {
  TIndexFile ix;
  OpenOurs(ix, mode);
  for (auto _ : state) {
    ix.PathDepth = 0;
    std::string key;
    std::int32_t rec = 0;
    int count = 0;
    for (NextKey(ix, rec, key); DBOk; NextKey(ix, rec, key)) ++count;
    if (count != kKeys) state.SkipWithError("scan lost keys");
  }
  CloseIndex(ix);
  state.SetItemsProcessed(state.iterations() * kKeys);
}

// SQLite.

sqlite3* OpenSqlite(Mode mode) {
  sqlite3* db = nullptr;
  sqlite3_open(SqlitePath(mode).c_str(), &db);
  if (mode == Mode::Single) {
    sqlite3_exec(db, "PRAGMA locking_mode=EXCLUSIVE; PRAGMA synchronous=OFF; PRAGMA journal_mode=MEMORY;",
                 nullptr, nullptr, nullptr);
  }
  return db;
}

void SqliteInsert(benchmark::State& state, Mode mode) {
  for (auto _ : state) {
    fs::remove(SqlitePath(mode));
    sqlite3* db = OpenSqlite(mode);
    sqlite3_exec(db, "CREATE TABLE t(k TEXT NOT NULL, r INTEGER NOT NULL); CREATE INDEX tk ON t(k);",
                 nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO t(k, r) VALUES(?, ?)", -1, &insert, nullptr);
    int rec = 0;
    for (const std::string& k : Shared().keys) {
      sqlite3_bind_text(insert, 1, k.data(), static_cast<int>(k.size()), SQLITE_STATIC);
      sqlite3_bind_int(insert, 2, ++rec);
      if (sqlite3_step(insert) != SQLITE_DONE) state.SkipWithError("INSERT failed");
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  state.SetItemsProcessed(state.iterations() * kKeys);
}

void SqliteFind(benchmark::State& state, Mode mode) {
  sqlite3* db = OpenSqlite(mode);
  sqlite3_stmt* find = nullptr;
  sqlite3_prepare_v2(db, "SELECT r FROM t WHERE k = ?", -1, &find, nullptr);
  for (auto _ : state) {
    int rec = 0;
    for (const std::string& k : Shared().probe) {
      sqlite3_bind_text(find, 1, k.data(), static_cast<int>(k.size()), SQLITE_STATIC);
      if (sqlite3_step(find) != SQLITE_ROW) state.SkipWithError("SELECT failed");
      rec = sqlite3_column_int(find, 0);
      sqlite3_reset(find);
    }
    benchmark::DoNotOptimize(rec);
  }
  sqlite3_finalize(find);
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * kKeys);
}

void SqliteScan(benchmark::State& state, Mode mode) {
  sqlite3* db = OpenSqlite(mode);
  sqlite3_stmt* scan = nullptr;
  sqlite3_prepare_v2(db, "SELECT k, r FROM t ORDER BY k", -1, &scan, nullptr);
  for (auto _ : state) {
    int count = 0;
    while (sqlite3_step(scan) == SQLITE_ROW) {
      benchmark::DoNotOptimize(sqlite3_column_text(scan, 0));
      ++count;
    }
    sqlite3_reset(scan);
    if (count != kKeys) state.SkipWithError("scan lost rows");
  }
  sqlite3_finalize(scan);
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * kKeys);
}

// Keeps every run's real time by name, for the ratios printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration) times[run.run_name.function_name] = run.GetAdjustedRealTime();
  }
  std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Shared();
  const char* operations[] = {"insert", "find", "scan"};
  void (*ours[])(benchmark::State&, Mode) = {OursInsert, OursFind, OursScan};
  void (*theirs[])(benchmark::State&, Mode) = {SqliteInsert, SqliteFind, SqliteScan};
  for (Mode mode : {Mode::Single, Mode::Shared}) {
    for (int op = 0; op < 3; ++op) {
      const std::string suffix = std::string(operations[op]) + "/" + ModeName(mode);
      benchmark::RegisterBenchmark(("index_" + suffix).c_str(), ours[op], mode)
          ->Unit(benchmark::kMillisecond)
          ->Iterations(op == 0 ? 1 : 3);
      benchmark::RegisterBenchmark(("sqlite_" + suffix).c_str(), theirs[op], mode)
          ->Unit(benchmark::kMillisecond)
          ->Iterations(op == 0 ? 1 : 3);
    }
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nour time / SQLite's time\n");
  for (Mode mode : {Mode::Single, Mode::Shared}) {
    for (const char* op : operations) {
      const std::string suffix = std::string(op) + "/" + ModeName(mode);
      const auto a = reporter.times.find("index_" + suffix);
      const auto b = reporter.times.find("sqlite_" + suffix);
      if (a != reporter.times.end() && b != reporter.times.end() && b->second > 0)
        std::printf("  %-14s %6.2f\n", suffix.c_str(), a->second / b->second);
    }
  }
  std::error_code ec;
  fs::remove_all(Shared().dir, ec);
  benchmark::Shutdown();
  return 0;
}
