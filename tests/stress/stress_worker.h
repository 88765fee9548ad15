// The worker side of the stress run (stress_worker.cpp) and the pieces the
// driver shares with it. One thread per process.
#pragma once

#include <cstdint>
#include <string>

#include "stress_layout.h"

namespace stress {

// What the driver passes to one worker incarnation on its command line.
struct WorkerArgs {
  std::string Dir;           // folder of the store, the logs and the status file
  int Slot = 0;              // its slot in the status file
  std::uint32_t Inc = 0;     // incarnation number, unique in the run
  std::uint64_t Seed = 0;    // its random generator's seed
  std::int64_t DeadlineMs = 0;  // MonotonicMs() at which it stops
  WorkerOptions Options;
  std::string CrashAt;       // injected crash point of incarnation 0, or empty
  int CrashAfter = 1;        // ... at the n-th time the point is reached
};

// Milliseconds of the system-wide monotonic clock.
std::int64_t MonotonicMs();

// A log line: the text, " *", its checksum in 8 hex digits, a line end.
std::string LogLine(const std::string& text);

// Runs one worker; the process's exit code (0, or 3 after a fault).
int RunWorker(const WorkerArgs& args);

}  // namespace stress
