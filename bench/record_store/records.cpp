// Record file workloads: append, read and rewrite of 1,000,000 records of 109
// bytes in a record file and in an SQLite table (one table, prepared
// statements, one transaction for appends and rewrites).
//
// In the shared mode appends and rewrites run inside one writer hold, as a
// caller's batch does (a writer hold of its own per record would flush the
// file each time), while every read is its own reader transaction: a region
// byte locked and released and the header re-read per record. SQLite's reads
// are likewise one statement each, each its own read transaction, and its
// shared mode keeps its normal durability. The single-user record file never
// flushes to disk (only a shared writer hold does), so single-user SQLite runs
// with exclusive locking, no syncs and its journal in memory.
//
// Every result is checked: each record read back must hold the bytes written,
// and the error word is looked at before the close (which clears it).
//
// TOLVIKA_BENCH_RECORDS overrides the record count (for a quick run).
#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common.h"
#include "foundation/storage/recordfile.h"

namespace storebench {

namespace {

constexpr std::uint16_t kRecSize = 109;

enum class Op { Append, Read, Rewrite };

const char* OpName(Op o) { return o == Op::Append ? "append" : o == Op::Read ? "read" : "rewrite"; }

int RecordCount() {
  const char* text = std::getenv("TOLVIKA_BENCH_RECORDS");
  const int n = text != nullptr ? std::atoi(text) : 0;
  return n > 0 ? n : 1000000;
}

void FillRecord(std::vector<std::uint8_t>& r, std::int32_t n, std::uint8_t salt) {
  for (std::size_t i = 0; i < r.size(); ++i) r[i] = static_cast<std::uint8_t>(n * 31 + i + salt);
  r[0] = DBRecInUse;
}

std::string RecordFileName(Mode m) { return ScratchPath(std::string("records_") + ModeName(m) + ".dat"); }
std::string SqliteName(Mode m) { return ScratchPath(std::string("records_") + ModeName(m) + ".sqlite"); }

void RunRecordFile(benchmark::State& state, Mode mode, Op op) {
  const int count = RecordCount();
  const bool shared = mode == Mode::Shared;
  DBMultiUser = shared;
  std::vector<std::uint8_t> r(kRecSize);
  std::vector<std::uint8_t> expected(kRecSize);
  MemoryStart();
  for (auto _ : state) {
    state.PauseTiming();
    TDataFile file;
    if (op == Op::Append)
      MakeFile(file, nullptr, RecordFileName(mode), kRecSize, shared, false);
    else
      OpenFile(file, nullptr, RecordFileName(mode), kRecSize, shared, false, false);
    if (!file.IsOpen) {
      state.SkipWithError("record file not open");
      break;
    }
    state.ResumeTiming();
    std::int32_t wrong = 0;
    switch (op) {
      case Op::Append:
        LockDataFile(file, true, true);
        for (std::int32_t n = 1; n <= count; ++n) {
          FillRecord(r, n, 0);
          std::int32_t recNo = 0;
          AddRec(file, recNo, r.data());
          wrong += !DBOk || recNo != n;
        }
        LockDataFile(file, false, true);
        break;
      case Op::Read:
        for (std::int32_t n = 1; n <= count; ++n) {
          GetRec(file, n, r.data());
          // The records as the last append or rewrite left them.
          FillRecord(expected, n, 0);
          const bool asAppended = r == expected;
          FillRecord(expected, n, 1);
          wrong += !DBOk || (!asAppended && r != expected);
        }
        break;
      case Op::Rewrite:
        LockDataFile(file, true, true);
        for (std::int32_t n = 1; n <= count; ++n) {
          FillRecord(r, n, 1);
          PutRec(file, n, r.data());
          wrong += !DBOk;
        }
        LockDataFile(file, false, true);
        break;
    }
    const std::uint16_t error = DBErrorCode;
    CloseFile(file);
    if (error != 0 || DBErrorCode != 0 || wrong != 0) {
      state.SkipWithError("record file error or wrong record");
      break;
    }
  }
  state.counters["records"] = count;
  MemoryReport(state);
}

bool Exec(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

void RunSqlite(benchmark::State& state, Mode mode, Op op) {
  const int count = RecordCount();
  std::vector<std::uint8_t> r(kRecSize);
  std::vector<std::uint8_t> expected(kRecSize);
  MemoryStart();
  for (auto _ : state) {
    state.PauseTiming();
    if (op == Op::Append) std::remove(SqliteName(mode).c_str());
    sqlite3* db = nullptr;
    if (sqlite3_open(SqliteName(mode).c_str(), &db) != SQLITE_OK) {
      state.SkipWithError("sqlite not open");
      sqlite3_close(db);
      break;
    }
    if (mode == Mode::SingleUser &&
        !Exec(db, "PRAGMA locking_mode=EXCLUSIVE; PRAGMA synchronous=OFF; PRAGMA journal_mode=MEMORY")) {
      state.SkipWithError("sqlite pragmas refused");
      sqlite3_close(db);
      break;
    }
    if (op == Op::Append) Exec(db, "CREATE TABLE rec(id INTEGER PRIMARY KEY, data BLOB NOT NULL)");
    const char* sql = op == Op::Append ? "INSERT INTO rec(id, data) VALUES(?1, ?2)"
                      : op == Op::Read ? "SELECT data FROM rec WHERE id = ?1"
                                       : "UPDATE rec SET data = ?2 WHERE id = ?1";
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    state.ResumeTiming();
    const bool batch = op != Op::Read;
    std::int32_t wrong = 0;
    if (batch) wrong += !Exec(db, "BEGIN");
    for (std::int32_t n = 1; n <= count; ++n) {
      sqlite3_bind_int(stmt, 1, n);
      if (batch) {
        FillRecord(r, n, op == Op::Append ? 0 : 1);
        sqlite3_bind_blob(stmt, 2, r.data(), kRecSize, SQLITE_STATIC);
      }
      const int rc = sqlite3_step(stmt);
      if (batch) {
        wrong += rc != SQLITE_DONE || sqlite3_changes(db) != 1;
      } else if (rc != SQLITE_ROW || sqlite3_column_bytes(stmt, 0) != kRecSize) {
        ++wrong;
      } else {
        const auto* got = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt, 0));
        FillRecord(expected, n, 0);
        const bool asAppended = std::equal(expected.begin(), expected.end(), got);
        FillRecord(expected, n, 1);
        wrong += !asAppended && !std::equal(expected.begin(), expected.end(), got);
      }
      sqlite3_reset(stmt);
    }
    if (batch) wrong += !Exec(db, "COMMIT");
    sqlite3_finalize(stmt);
    wrong += sqlite3_close(db) != SQLITE_OK;
    if (wrong != 0) {
      state.SkipWithError("sqlite error or wrong record");
      break;
    }
  }
  state.counters["records"] = count;
  MemoryReport(state);
}

}  // namespace

void RegisterRecordWorkloads(Mode mode) {
  const std::string note =
      std::to_string(RecordCount()) + " records of " + std::to_string(kRecSize) + " bytes";
  for (const Op op : {Op::Append, Op::Read, Op::Rewrite}) {
    RegisterPair(
        "records", mode, OpName(op), note, 1,
        [mode, op](benchmark::State& s) { RunRecordFile(s, mode, op); },
        [mode, op](benchmark::State& s) { RunSqlite(s, mode, op); });
  }
}

}  // namespace storebench
