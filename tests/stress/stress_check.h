// The end check of the stress run: reads every worker's log and the store
// after all workers have ended, and holds the files to what the logs say.
// Runs in the driver process, one thread, with no worker alive.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace stress {

struct KilledWorker {
  std::uint32_t Inc = 0;
  std::string Where;  // what the driver saw it doing when it was killed
};

struct CheckReport {
  std::vector<std::string> Faults;   // anything the logs and kills do not explain
  std::vector<std::string> Remains;  // left by killed transactions, as the engine allows
  std::int64_t Committed = 0;        // writer transactions with a commit line
  std::int64_t Alive = 0;            // records alive with their last writer's content
  std::int64_t Deleted = 0;          // deleted records on the free list
};

// Checks the store in Dir against the logs of incarnations 0 .. Incarnations-1.
CheckReport CheckStore(const std::string& Dir, std::uint32_t Incarnations,
                       const std::map<std::uint32_t, KilledWorker>& Killed);

}  // namespace stress
