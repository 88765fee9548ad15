// Index workloads: insert, exact find and ordered scan of 200,000 keys of 19
// characters in a B-tree index file and in SQLite (one table with an index,
// prepared statements, one transaction for the inserts). In the single-user
// mode SQLite also runs without syncs and with its journal in memory; in the
// shared mode every find and scan step of ours is its own reader hold, and
// every SQLite find its own read transaction.
#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "common.h"
#include "foundation/btree.h"

namespace storebench {

namespace {

constexpr int kKeys = 200000;
constexpr int kKeyLength = 19;

struct Keys {
  std::vector<std::string> inserted;  // in insertion (random) order
  std::vector<std::string> probe;     // the same keys in another random order
};

const Keys& TheKeys() {
  static const Keys keys = [] {
    Keys k;
    std::mt19937_64 rng(20261210);
    std::set<std::string> seen;
    while (static_cast<int>(k.inserted.size()) < kKeys) {
      char text[32];
      std::snprintf(text, sizeof text, "%019llu",
                    static_cast<unsigned long long>(rng() % 10000000000000000000ull));
      if (seen.insert(text).second) k.inserted.emplace_back(text);
    }
    k.probe = k.inserted;
    std::shuffle(k.probe.begin(), k.probe.end(), rng);
    return k;
  }();
  return keys;
}

std::string IndexPath(Mode mode) { return ScratchPath(std::string("keys_") + ModeName(mode) + ".idx"); }
std::string SqlitePath(Mode mode) { return ScratchPath(std::string("keys_") + ModeName(mode) + ".db"); }

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
    for (const std::string& k : TheKeys().inserted) {
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
    for (const std::string& k : TheKeys().probe) {
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
  if (mode == Mode::SingleUser) {
    sqlite3_exec(db, "PRAGMA locking_mode=EXCLUSIVE; PRAGMA synchronous=OFF; PRAGMA journal_mode=MEMORY;",
                 nullptr, nullptr, nullptr);
  }
  return db;
}

void SqliteInsert(benchmark::State& state, Mode mode) {
  for (auto _ : state) {
    std::remove(SqlitePath(mode).c_str());
    sqlite3* db = OpenSqlite(mode);
    sqlite3_exec(db, "CREATE TABLE t(k TEXT NOT NULL, r INTEGER NOT NULL); CREATE INDEX tk ON t(k);",
                 nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO t(k, r) VALUES(?, ?)", -1, &insert, nullptr);
    int rec = 0;
    for (const std::string& k : TheKeys().inserted) {
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
    for (const std::string& k : TheKeys().probe) {
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

}  // namespace

void RegisterIndexWorkloads(Mode mode) {
  using Body = void (*)(benchmark::State&, Mode);
  struct Operation {
    const char* name;
    int iterations;
    Body ours;
    Body sqlite;
  };
  static const Operation operations[] = {{"insert", 1, OursInsert, SqliteInsert},
                                         {"find", 3, OursFind, SqliteFind},
                                         {"scan", 3, OursScan, SqliteScan}};
  const std::string note =
      std::to_string(kKeys) + " keys of " + std::to_string(kKeyLength) + " characters";
  for (const Operation& op : operations) {
    RegisterPair(
        "index", mode, op.name, note, op.iterations,
        [mode, body = op.ours](benchmark::State& s) { body(s, mode); },
        [mode, body = op.sqlite](benchmark::State& s) { body(s, mode); });
  }
}

}  // namespace storebench
