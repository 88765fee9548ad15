// The multi-process stress run of the shared record store: what its files
// hold, what its workers log, and the option set passed from the driver to
// each worker. Shared by the driver (stress_main.cpp), the workers
// (stress_worker.cpp) and the end check (stress_check.cpp); one thread per
// process uses all of it.
//
// The store is the shape of a database: one data file of 64-byte records and
// two indexes beside it (primary keys without duplicates, group keys with
// duplicates), all anchored on a second descriptor of the data file.
//
// Data record (R = 64; byte 0 is the engine's status byte):
//
//   offset  size  field
//   0       1     status: 0 in use, 1 deleted (bytes 1-4 then the free link)
//   8       8     seq: number of the writer transaction that wrote it
//   16      4     incarnation of the worker that wrote it
//   20      1+11  primary key (length byte, characters)
//   32      1+7   group key (length byte, characters)
//   40      20    filler, a function of seq: two writers' bytes cannot mix
//   60      4     checksum (FNV-1a) of bytes 8..59
//
// User header of the data file (48 bytes at file offset 16), rewritten by
// every writer transaction:
//
//   0       8     seq of the last writer transaction (0 when created)
//   8       4     incarnation of its worker
//   12      32    filler, a function of seq
//   44      4     checksum of bytes 0..43
//
// Every writer transaction takes seq = header seq + 1 inside its writer hold,
// so seq numbers order all writer transactions that reached their first write.
//
// Log of one worker incarnation (log-<incarnation>.txt), one line per event,
// each line written with a single write() and closed by " *<checksum>":
//   I <seq> <op> <rec> <oldP> <oldG> <newP> <newG>   intent, inside the hold,
//                                                      before the first change
//   C <seq> <rec> <misses>                            committed, after the hold
//                                                      was released
//   A <rec> <key> <what>                              something seen that only a
//                                                      killed transaction explains
// "-" stands for an absent field; rec is -1 for an add before its record is
// chosen. Misses name the keys a committed transaction found otherwise than
// it expected: p or g, a key to delete that was not there; G, a group item to
// add that was there already. A line without its checksum is the torn tail of a killed worker.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace stress {

inline constexpr std::uint16_t kRecSize = 64;
inline constexpr int kPrimaryKeyLength = 11;
inline constexpr int kGroupKeyLength = 4;
inline constexpr std::uint32_t kUserHeaderLength = 48;
inline constexpr int kGroups = 64;

inline constexpr const char* kDataName = "store.dat";
inline constexpr const char* kPrimaryName = "primary.idx";
inline constexpr const char* kGroupName = "group.idx";
inline constexpr const char* kStatusName = "status.bin";

// Record field offsets.
inline constexpr int kSeqAt = 8;
inline constexpr int kIncAt = 16;
inline constexpr int kPrimaryAt = 20;
inline constexpr int kGroupAt = 32;
inline constexpr int kFillerAt = 40;
inline constexpr int kRecordSumAt = 60;

inline std::uint32_t Fnv(const void* data, std::size_t size, std::uint32_t h = 2166136261u) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  for (std::size_t i = 0; i < size; ++i) {
    h ^= p[i];
    h *= 16777619u;
  }
  return h;
}

inline void PutU64(std::uint8_t* p, std::uint64_t v) { std::memcpy(p, &v, 8); }
inline std::uint64_t GetU64(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}
inline void PutU32(std::uint8_t* p, std::uint32_t v) { std::memcpy(p, &v, 4); }
inline std::uint32_t GetU32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

inline void Fill(std::uint8_t* p, int size, std::uint64_t seq) {
  std::uint64_t x = seq * 0x9E3779B97F4A7C15ull + 1;
  for (int i = 0; i < size; ++i) {
    x ^= x >> 29;
    x *= 0xBF58476D1CE4E5B9ull;
    p[i] = static_cast<std::uint8_t>(x >> 56);
  }
}

inline bool FillMatches(const std::uint8_t* p, int size, std::uint64_t seq) {
  std::uint8_t expected[64];
  Fill(expected, size, seq);
  return std::memcmp(p, expected, static_cast<std::size_t>(size)) == 0;
}

// The content of one record as the workers write it.
struct Content {
  std::uint64_t Seq = 0;
  std::uint32_t Inc = 0;
  std::string Primary;
  std::string Group;
};

inline void PutKey(std::uint8_t* p, const std::string& key, int room) {
  const int n = static_cast<int>(key.size()) < room ? static_cast<int>(key.size()) : room;
  p[0] = static_cast<std::uint8_t>(n);
  std::memcpy(p + 1, key.data(), static_cast<std::size_t>(n));
}

inline void EncodeRecord(const Content& c, std::uint8_t* r) {
  std::memset(r, 0, kRecSize);
  PutU64(r + kSeqAt, c.Seq);
  PutU32(r + kIncAt, c.Inc);
  PutKey(r + kPrimaryAt, c.Primary, kPrimaryKeyLength);
  PutKey(r + kGroupAt, c.Group, 7);
  Fill(r + kFillerAt, kRecordSumAt - kFillerAt, c.Seq);
  PutU32(r + kRecordSumAt, Fnv(r + kSeqAt, kRecordSumAt - kSeqAt));
}

// False when the bytes are not one writer's record (torn or foreign).
inline bool DecodeRecord(const std::uint8_t* r, Content& c) {
  if (GetU32(r + kRecordSumAt) != Fnv(r + kSeqAt, kRecordSumAt - kSeqAt)) return false;
  c.Seq = GetU64(r + kSeqAt);
  c.Inc = GetU32(r + kIncAt);
  if (r[kPrimaryAt] > kPrimaryKeyLength || r[kGroupAt] > 7) return false;
  c.Primary.assign(reinterpret_cast<const char*>(r + kPrimaryAt + 1), r[kPrimaryAt]);
  c.Group.assign(reinterpret_cast<const char*>(r + kGroupAt + 1), r[kGroupAt]);
  return FillMatches(r + kFillerAt, kRecordSumAt - kFillerAt, c.Seq);
}

inline void EncodeUserHeader(std::uint64_t seq, std::uint32_t inc, std::uint8_t* h) {
  std::memset(h, 0, kUserHeaderLength);
  PutU64(h, seq);
  PutU32(h + 8, inc);
  Fill(h + 12, 32, seq);
  PutU32(h + 44, Fnv(h, 44));
}

// False when the header is neither all zero (new file) nor one writer's bytes.
inline bool DecodeUserHeader(const std::uint8_t* h, std::uint64_t& seq) {
  bool zero = true;
  for (std::uint32_t i = 0; i < kUserHeaderLength; ++i) zero = zero && h[i] == 0;
  if (zero) {
    seq = 0;
    return true;
  }
  if (GetU32(h + 44) != Fnv(h, 44)) return false;
  seq = GetU64(h);
  return FillMatches(h + 12, 32, seq);
}

inline std::string PrimaryKey(std::uint32_t inc, std::uint32_t n) {
  char text[16];
  std::snprintf(text, sizeof text, "P%04u%06u", inc % 10000, n % 1000000);
  return text;
}

inline std::string GroupKey(int g) {
  char text[8];
  std::snprintf(text, sizeof text, "G%02d", g % 100);
  return text;
}

// Where a worker stands, published in the shared status file for the driver.
enum Phase : std::int32_t {
  kIdle = 0,
  kOpeningHold = 1,
  kReaderHold = 2,
  kWriterHoldChoosing = 3,
  kWriterHoldChanging = 4,
  kClosingHold = 5,
  kAfterHold = 6,
};

inline const char* PhaseName(std::int32_t p) {
  switch (p) {
    case kIdle: return "idle";
    case kOpeningHold: return "opening a hold";
    case kReaderHold: return "in a reader hold";
    case kWriterHoldChoosing: return "in a writer hold, before its first write";
    case kWriterHoldChanging: return "in a writer hold, writing";
    case kClosingHold: return "closing the holds";
    case kAfterHold: return "after the holds, before the commit line";
  }
  return "?";
}

// One worker slot of the shared status file (mapped by the driver and by the
// worker in the slot). Plain words written by one process, read by the other.
struct Slot {
  volatile std::int32_t Pid;
  volatile std::int32_t Inc;
  volatile std::int32_t Phase;
  volatile std::int32_t Step;     // engine call number inside the transaction
  volatile std::int64_t Readers;  // reader transactions ended
  volatile std::int64_t Writers;  // writer transactions ended
};

// Workload switches the driver passes to every worker.
struct WorkerOptions {
  int Population = 2000;        // records the workload keeps about alive
  bool SiblingHeader = true;    // user header read inside a hold opened on an index only
  bool DeleteLocked = false;    // delete a record while holding its lock, unlock afterwards
};

}  // namespace stress
