// Index workloads: insert, exact find and ordered scan of 10^4, 10^5 and 10^6
// keys of 19 characters in a B-tree index file and in SQLite, twice over on
// SQLite's side: a WITHOUT ROWID table keyed by (key, record number), one
// B-tree as ours, and a plain table with a separate index on the key.
//
// The files are built before timing (the first time a workload needs them);
// every result is checked: a find must return each key's record number, a
// scan every key once in ascending order. A wrong answer fails the benchmark.
//
// Single-user: our index not shared; SQLite with exclusive locking, no syncs
// and its journal in memory (our single-user mode never syncs). Shared: our
// index shared with locks, every find and every scan step its own reader hold
// unless the caller opens one; SQLite in its normal locking and durability
// mode, every statement outside BEGIN its own transaction. Inserts run in one
// writer hold on our side and one transaction on SQLite's.
//
// TOLVIKA_BENCH_MAX_KEYS leaves out the sizes above it (for a quick run).
#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <tuple>
#include <string>
#include <vector>

#include "common.h"
#include "foundation/storage/btree.h"

namespace storebench {

namespace {

constexpr int kKeyLength = 19;

struct Keys {
  std::vector<std::string> inserted;  // in insertion (random) order; key i has record i+1
  std::vector<std::int32_t> probe;    // indexes into inserted, in another random order
};

const Keys& TheKeys(int count) {
  static std::map<int, std::unique_ptr<Keys>> made;
  std::unique_ptr<Keys>& slot = made[count];
  if (!slot) {
    slot = std::make_unique<Keys>();
    Keys& k = *slot;
    std::mt19937_64 rng(20261210 + count);
    std::set<std::string> seen;
    k.inserted.reserve(count);
    while (static_cast<int>(k.inserted.size()) < count) {
      char text[32];
      std::snprintf(text, sizeof text, "%019llu",
                    static_cast<unsigned long long>(rng() % 10000000000000000000ull));
      if (seen.insert(text).second) k.inserted.emplace_back(text);
    }
    k.probe.resize(count);
    for (int i = 0; i < count; ++i) k.probe[i] = i;
    std::shuffle(k.probe.begin(), k.probe.end(), rng);
  }
  return *slot;
}

enum class Table { WithoutRowid, Indexed };

const char* TableName(Table t) { return t == Table::WithoutRowid ? "norowid" : "table"; }

std::string IndexPath(Mode mode, int count, bool scratch) {
  return ScratchPath(std::string("keys_") + ModeName(mode) + "_" + std::to_string(count) +
                     (scratch ? "_new" : "") + ".idx");
}
std::string SqlitePath(Mode mode, Table table, int count, bool scratch) {
  return ScratchPath(std::string("keys_") + ModeName(mode) + "_" + TableName(table) + "_" +
                     std::to_string(count) + (scratch ? "_new" : "") + ".db");
}

// Our index file.

// Makes an index of every key in one writer hold; the error word of the
// inserts and of the close, or 0.
std::uint16_t BuildOurs(Mode mode, const std::string& path, int count) {
  DBMultiUser = mode == Mode::Shared;
  TIndexFile ix;
  MakeIndex(ix, nullptr, path, kKeyLength, false, mode == Mode::Shared);
  if (!ix.IsOpen) return DBErrorCode != 0 ? DBErrorCode : 1;
  LockIndexFile(ix, true, true);
  std::uint16_t error = DBErrorCode;
  std::int32_t rec = 0;
  std::string key;
  for (const std::string& k : TheKeys(count).inserted) {
    key = k;
    AddKey(ix, ++rec, key);
    if (!DBOk || DBErrorCode != 0) {
      error = DBErrorCode != 0 ? DBErrorCode : 1;
      break;
    }
  }
  LockIndexFile(ix, false, true);
  if (error == 0) error = DBErrorCode;
  CloseIndex(ix);
  if (error == 0) error = DBErrorCode;
  return error;
}

// The index of the find and scan workloads, built once before the first.
bool OursReady(Mode mode, int count) {
  static std::map<std::pair<Mode, int>, bool> built;
  auto it = built.find({mode, count});
  if (it == built.end())
    it = built.emplace(std::make_pair(mode, count), BuildOurs(mode, IndexPath(mode, count, false), count) == 0).first;
  return it->second;
}

void OursInsert(benchmark::State& state, Mode mode, int count) {
  TheKeys(count);
  MemoryStart();
  for (auto _ : state) {
    state.PauseTiming();
    std::remove(IndexPath(mode, count, true).c_str());
    state.ResumeTiming();
    if (BuildOurs(mode, IndexPath(mode, count, true), count) != 0) {
      state.SkipWithError("AddKey failed");
      break;
    }
  }
  // The file as inserted holds every key in order.
  DBMultiUser = mode == Mode::Shared;
  TIndexFile ix;
  OpenIndex(ix, nullptr, IndexPath(mode, count, true), kKeyLength, false, mode == Mode::Shared);
  if (ix.IsOpen && CheckInvariants(ix) != "") state.SkipWithError("index damaged by the inserts");
  CloseIndex(ix);
  state.SetItemsProcessed(state.iterations() * count);
  MemoryReport(state);
}

bool OpenOurs(benchmark::State& state, TIndexFile& ix, Mode mode, int count) {
  if (!OursReady(mode, count)) {
    state.SkipWithError("index not built");
    return false;
  }
  DBMultiUser = mode == Mode::Shared;
  OpenIndex(ix, nullptr, IndexPath(mode, count, false), kKeyLength, false, mode == Mode::Shared);
  if (!ix.IsOpen) {
    state.SkipWithError("index not open");
    return false;
  }
  return true;
}

void OursFind(benchmark::State& state, Mode mode, int count) {
  const Keys& keys = TheKeys(count);
  MemoryStart();
  TIndexFile ix;
  if (!OpenOurs(state, ix, mode, count)) return;
  std::string key;
  for (auto _ : state) {
    int found = 0;
    for (const std::int32_t i : keys.probe) {
      key = keys.inserted[i];
      std::int32_t rec = 0;
      FindKey(ix, rec, key);
      found += DBOk && rec == i + 1;
    }
    if (found != count || DBErrorCode != 0) {
      state.SkipWithError("find missed keys");
      break;
    }
  }
  CloseIndex(ix);
  state.SetItemsProcessed(state.iterations() * count);
  MemoryReport(state);
}

// Ordered scan; with oneHold inside one reader hold, else every step its own.
void OursScan(benchmark::State& state, Mode mode, int count, bool oneHold) {
  TheKeys(count);
  MemoryStart();
  TIndexFile ix;
  if (!OpenOurs(state, ix, mode, count)) return;
  std::string key;
  std::string last;
  for (auto _ : state) {
    if (oneHold) LockIndexFile(ix, true, false);
    ix.PathDepth = 0;
    std::int32_t rec = 0;
    int count_seen = 0;
    bool ordered = true;
    last.clear();
    for (NextKey(ix, rec, key); DBOk; NextKey(ix, rec, key)) {
      ordered = ordered && (count_seen == 0 || last < key);
      last = key;
      ++count_seen;
    }
    const std::uint16_t error = DBErrorCode;
    if (oneHold) LockIndexFile(ix, false, false);
    if (count_seen != count || !ordered || error != 0 || DBErrorCode != 0) {
      state.SkipWithError("scan lost keys or order");
      break;
    }
  }
  CloseIndex(ix);
  state.SetItemsProcessed(state.iterations() * count);
  MemoryReport(state);
}

// SQLite.

sqlite3* OpenSqlite(const std::string& path, Mode mode) {
  sqlite3* db = nullptr;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
    sqlite3_close(db);
    return nullptr;
  }
  if (mode == Mode::SingleUser &&
      sqlite3_exec(db, "PRAGMA locking_mode=EXCLUSIVE; PRAGMA synchronous=OFF; PRAGMA journal_mode=MEMORY;",
                   nullptr, nullptr, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return nullptr;
  }
  return db;
}

bool BuildSqlite(Mode mode, Table table, const std::string& path, int count) {
  std::remove(path.c_str());
  sqlite3* db = OpenSqlite(path, mode);
  if (db == nullptr) return false;
  const char* schema =
      table == Table::WithoutRowid
          ? "CREATE TABLE t(k TEXT NOT NULL, r INTEGER NOT NULL, PRIMARY KEY(k, r)) WITHOUT ROWID"
          : "CREATE TABLE t(k TEXT NOT NULL, r INTEGER NOT NULL); CREATE INDEX tk ON t(k)";
  bool ok = sqlite3_exec(db, schema, nullptr, nullptr, nullptr) == SQLITE_OK &&
            sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_stmt* insert = nullptr;
  ok = ok && sqlite3_prepare_v2(db, "INSERT INTO t(k, r) VALUES(?, ?)", -1, &insert, nullptr) == SQLITE_OK;
  int rec = 0;
  for (const std::string& k : TheKeys(count).inserted) {
    if (!ok) break;
    sqlite3_bind_text(insert, 1, k.data(), static_cast<int>(k.size()), SQLITE_STATIC);
    sqlite3_bind_int(insert, 2, ++rec);
    ok = sqlite3_step(insert) == SQLITE_DONE;
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
  return sqlite3_close(db) == SQLITE_OK && ok;
}

bool SqliteReady(Mode mode, Table table, int count) {
  static std::map<std::tuple<Mode, Table, int>, bool> built;
  const auto which = std::make_tuple(mode, table, count);
  auto it = built.find(which);
  if (it == built.end())
    it = built.emplace(which, BuildSqlite(mode, table, SqlitePath(mode, table, count, false), count)).first;
  return it->second;
}

void SqliteInsert(benchmark::State& state, Mode mode, Table table, int count) {
  TheKeys(count);
  MemoryStart();
  for (auto _ : state) {
    if (!BuildSqlite(mode, table, SqlitePath(mode, table, count, true), count)) {
      state.SkipWithError("INSERT failed");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * count);
  MemoryReport(state);
}

sqlite3* OpenBuilt(benchmark::State& state, Mode mode, Table table, int count) {
  TheKeys(count);
  MemoryStart();
  sqlite3* db = SqliteReady(mode, table, count) ? OpenSqlite(SqlitePath(mode, table, count, false), mode)
                                                : nullptr;
  if (db == nullptr) state.SkipWithError("database not built");
  return db;
}

void SqliteFind(benchmark::State& state, Mode mode, Table table, int count) {
  const Keys& keys = TheKeys(count);
  sqlite3* db = OpenBuilt(state, mode, table, count);
  if (db == nullptr) return;
  sqlite3_stmt* find = nullptr;
  sqlite3_prepare_v2(db, "SELECT r FROM t WHERE k = ?", -1, &find, nullptr);
  for (auto _ : state) {
    int found = 0;
    for (const std::int32_t i : keys.probe) {
      const std::string& k = keys.inserted[i];
      sqlite3_bind_text(find, 1, k.data(), static_cast<int>(k.size()), SQLITE_STATIC);
      if (sqlite3_step(find) == SQLITE_ROW) found += sqlite3_column_int(find, 0) == i + 1;
      sqlite3_reset(find);
    }
    if (found != count) {
      state.SkipWithError("SELECT missed keys");
      break;
    }
  }
  sqlite3_finalize(find);
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * count);
  MemoryReport(state);
}

// Ordered scan as one statement: one read transaction.
void SqliteScan(benchmark::State& state, Mode mode, Table table, int count) {
  sqlite3* db = OpenBuilt(state, mode, table, count);
  if (db == nullptr) return;
  sqlite3_stmt* scan = nullptr;
  sqlite3_prepare_v2(db, "SELECT k, r FROM t ORDER BY k", -1, &scan, nullptr);
  std::string key;
  std::string last;
  for (auto _ : state) {
    int seen = 0;
    bool ordered = true;
    int rc;
    while ((rc = sqlite3_step(scan)) == SQLITE_ROW) {
      key.assign(reinterpret_cast<const char*>(sqlite3_column_text(scan, 0)),
                 static_cast<std::size_t>(sqlite3_column_bytes(scan, 0)));
      ordered = ordered && (seen == 0 || last < key);
      last = key;
      ++seen;
    }
    sqlite3_reset(scan);
    if (rc != SQLITE_DONE || seen != count || !ordered) {
      state.SkipWithError("scan lost rows or order");
      break;
    }
  }
  sqlite3_finalize(scan);
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * count);
  MemoryReport(state);
}

// Ordered scan one row per statement, every step its own transaction, as
// our scan with a hold per step: the first row after the last one returned.
void SqliteScanSteps(benchmark::State& state, Mode mode, Table table, int count) {
  sqlite3* db = OpenBuilt(state, mode, table, count);
  if (db == nullptr) return;
  sqlite3_stmt* first = nullptr;
  sqlite3_stmt* next = nullptr;
  sqlite3_prepare_v2(db, "SELECT k, r FROM t ORDER BY k, r LIMIT 1", -1, &first, nullptr);
  sqlite3_prepare_v2(db, "SELECT k, r FROM t WHERE k > ?1 OR (k = ?1 AND r > ?2) ORDER BY k, r LIMIT 1",
                     -1, &next, nullptr);
  std::string key;
  std::string last;
  for (auto _ : state) {
    int seen = 0;
    bool ordered = true;
    int rec = 0;
    sqlite3_stmt* step = first;
    while (sqlite3_step(step) == SQLITE_ROW) {
      key.assign(reinterpret_cast<const char*>(sqlite3_column_text(step, 0)),
                 static_cast<std::size_t>(sqlite3_column_bytes(step, 0)));
      rec = sqlite3_column_int(step, 1);
      sqlite3_reset(step);
      ordered = ordered && (seen == 0 || last < key);
      last = key;
      ++seen;
      step = next;
      sqlite3_bind_text(next, 1, last.data(), static_cast<int>(last.size()), SQLITE_STATIC);
      sqlite3_bind_int(next, 2, rec);
    }
    sqlite3_reset(step);
    if (seen != count || !ordered) {
      state.SkipWithError("scan lost rows or order");
      break;
    }
  }
  sqlite3_finalize(first);
  sqlite3_finalize(next);
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * count);
  MemoryReport(state);
}

int MaxKeys() {
  const char* text = std::getenv("TOLVIKA_BENCH_MAX_KEYS");
  const int n = text != nullptr ? std::atoi(text) : 0;
  return n > 0 ? n : 1000000;
}

}  // namespace

void RegisterIndexWorkloads(Mode mode) {
  for (const int count : {10000, 100000, 1000000}) {
    if (count > MaxKeys()) continue;
    const std::string note = std::to_string(count) + " keys of " + std::to_string(kKeyLength) + " characters";
    const std::string size = "/" + std::to_string(count);
    const int repeat = count >= 1000000 ? 1 : 3;
    auto pair = [&](const char* operation, int iterations, auto ours, auto sqlite) {
      RegisterPair(
          "index", mode, std::string(operation) + size, note, iterations,
          [=](benchmark::State& s) { ours(s, mode, count); },
          [=](benchmark::State& s) { sqlite(s, mode, Table::WithoutRowid, count); },
          [=](benchmark::State& s) { sqlite(s, mode, Table::Indexed, count); });
    };
    pair("insert", 1, OursInsert, SqliteInsert);
    pair("find", repeat, OursFind, SqliteFind);
    pair("scan", repeat, [](benchmark::State& s, Mode m, int n) { OursScan(s, m, n, true); }, SqliteScan);
    if (mode == Mode::Shared)
      pair("scan-steps", 1, [](benchmark::State& s, Mode m, int n) { OursScan(s, m, n, false); },
           SqliteScanSteps);
  }
}

}  // namespace storebench
