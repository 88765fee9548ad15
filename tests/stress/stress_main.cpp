// The multi-process stress run of the shared record store.
//
//   stress_store [--seconds S] [--workers N] [--kills K] [--seed B]
//                [--population P] [--kill-in any|safe] [--dir D] [--keep]
//                [--sibling-header] [--delete-locked]
//                [--crash-at add-reused|add-head-taken|add-keyed|deleted|page-released]
//                [--crash-after N] [--stall S]
//
// Creates a data file and two indexes (primary keys, and group keys with
// duplicates) in a fresh folder, starts N worker processes on them (this same
// program, "worker" mode, see stress_worker.cpp) for S seconds, kills K of
// them at random moments while they are inside a hold (SIGKILL) and starts a
// new one in each place, then checks the store against the workers' logs
// (stress_check.cpp). Prints the base seed first: every worker's seed and the
// driver's kill plan follow from it, so a run can be repeated with --seed
// (the interleaving of the workers is the scheduler's and differs).
//
// --kill-in safe kills only in reader holds and in writer holds before their
// first write. The workers' mix includes a user-header read inside a hold
// opened on an index alone (--sibling-header, the default, is still taken);
// --delete-locked lets an edit delete the record it holds
// locked and unlock it after its next transaction; --crash-at makes the first
// worker kill itself at that point of a transaction (the N-th time it gets
// there). --stall sets how long no transaction may end before the run counts
// as hung (20 s).
//
// What a kill leaves behind. The engine keeps no journal: each file of a
// transaction reaches the disk when its own hold closes (the data file first,
// then each index, as a database closes them), so a worker killed among its
// writes can leave a record without its keys, keys without their record, a
// record rewritten while the index still holds its old keys, a deleted record
// left off the free list (leaked), and a torn last line in its log. The end
// check lists these as remains of killed transactions and holds everything
// else exactly. Remains that break a file are faults: see the regression runs
// in CMakeLists.txt. The engine orders its writes so that a kill leaks at
// most the records or index pages of its own transaction and never leaves a
// free list or a header naming something in use.
//
// Exit code 0 when the check finds no fault, 1 otherwise, 2 for bad arguments.
// The folder is removed after a clean run unless --keep or --dir is given.
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "foundation/storage/btree.h"
#include "foundation/storage/recordfile.h"
#include "platform/files/paths.h"
#include "stress_check.h"
#include "stress_worker.h"

namespace stress {
namespace {

struct DriverOptions {
  double Seconds = 4;
  int Workers = 8;
  int Kills = -1;  // -1: one every 3 seconds
  std::uint64_t Seed = 0;
  bool SeedGiven = false;
  bool SafeKills = false;
  std::string Dir;
  bool Keep = false;
  WorkerOptions Worker;
  std::string CrashAt;
  int CrashAfter = 1;
  int StallSeconds = 20;
};

std::uint64_t Mix(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

std::uint64_t WorkerSeed(std::uint64_t base, std::uint32_t inc) { return Mix(base ^ Mix(inc + 1)); }

bool ParseOptions(int argc, char** argv, DriverOptions& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    const char* v = nullptr;
    if (a == "--keep") o.Keep = true;
    else if (a == "--sibling-header") o.Worker.SiblingHeader = true;
    else if (a == "--delete-locked") o.Worker.DeleteLocked = true;
    else if ((v = value()) == nullptr) return false;
    else if (a == "--seconds") o.Seconds = std::atof(v);
    else if (a == "--workers") o.Workers = std::atoi(v);
    else if (a == "--kills") o.Kills = std::atoi(v);
    else if (a == "--seed") o.Seed = std::strtoull(v, nullptr, 10), o.SeedGiven = true;
    else if (a == "--population") o.Worker.Population = std::atoi(v);
    else if (a == "--kill-in") o.SafeKills = std::string(v) == "safe";
    else if (a == "--dir") o.Dir = v;
    else if (a == "--crash-at") o.CrashAt = v;
    else if (a == "--crash-after") o.CrashAfter = std::atoi(v);
    else if (a == "--stall") o.StallSeconds = std::atoi(v);
    else return false;
  }
  return o.Seconds > 0 && o.Workers >= 1 && o.Workers <= 64;
}

std::string SelfPath() {
  char path[4096];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return {};
  path[n] = 0;
  return path;
}

class Driver {
  struct KillPlan {
    std::int64_t At;
    int Slot;
    int DelayUs;
  };

 public:
  explicit Driver(const DriverOptions& o) : o_(o), rng_(Mix(o.Seed)) {}

  int Run() {
    if (!Prepare()) return 1;
    start_ = MonotonicMs();
    deadline_ = start_ + static_cast<std::int64_t>(o_.Seconds * 1000);
    for (int s = 0; s < o_.Workers; ++s) Spawn(s);
    PlanKills();
    const bool finished = Supervise();
    const std::int64_t elapsed = MonotonicMs() - start_;
    std::int64_t readers = 0, writers = 0;
    for (int s = 0; s < o_.Workers; ++s) {
      readers += slots_[s].Readers;
      writers += slots_[s].Writers;
    }
    CheckReport report;
    if (finished) report = CheckStore(dir_, nextInc_, killed_);
    for (const std::string& f : faults_) report.Faults.push_back(f);
    Print(report, readers, writers, elapsed);
    ::munmap(slots_, sizeof(Slot) * static_cast<std::size_t>(o_.Workers));
    const bool clean = report.Faults.empty();
    if (clean && !o_.Keep && o_.Dir.empty()) {
      std::error_code ec;
      std::filesystem::remove_all(dir_, ec);
    } else {
      std::printf("files kept in %s\n", dir_.c_str());
    }
    return clean ? 0 : 1;
  }

 private:
  bool Prepare() {
    self_ = SelfPath();
    if (!o_.Dir.empty()) {
      dir_ = o_.Dir;
      std::filesystem::create_directories(dir_);
    } else {
      std::string pattern = platform::JoinPath(platform::TempFolder(), "tolvika-stress-XXXXXX");
      if (::mkdtemp(pattern.data()) == nullptr) return false;
      dir_ = pattern;
    }
    TDataFile data;
    MakeFile(data, nullptr, platform::JoinPath(dir_, kDataName), kRecSize, false, false);
    const bool dataMade = data.IsOpen;
    CloseFile(data);
    TIndexFile primary, group;
    MakeIndex(primary, nullptr, platform::JoinPath(dir_, kPrimaryName), kPrimaryKeyLength, false, false);
    const bool primaryMade = primary.IsOpen;
    CloseIndex(primary);
    MakeIndex(group, nullptr, platform::JoinPath(dir_, kGroupName), kGroupKeyLength, true, false);
    const bool groupMade = group.IsOpen;
    CloseIndex(group);
    if (!dataMade || !primaryMade || !groupMade) {
      std::fprintf(stderr, "cannot create the store in %s\n", dir_.c_str());
      return false;
    }
    const std::string statusPath = platform::JoinPath(dir_, kStatusName);
    const int fd = ::open(statusPath.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const std::size_t size = sizeof(Slot) * static_cast<std::size_t>(o_.Workers);
    if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0) return false;
    void* map = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    if (map == MAP_FAILED) return false;
    slots_ = static_cast<Slot*>(map);
    std::memset(map, 0, size);
    return true;
  }

  void Spawn(int s) {
    const std::uint32_t inc = nextInc_++;
    const std::uint64_t seed = WorkerSeed(o_.Seed, inc);
    slots_[s].Inc = static_cast<std::int32_t>(inc);
    slots_[s].Phase = kIdle;
    std::vector<std::string> args = {self_, "worker", dir_, std::to_string(s), std::to_string(inc),
                                     std::to_string(seed), std::to_string(deadline_),
                                     std::to_string(o_.Worker.Population),
                                     o_.Worker.SiblingHeader ? "1" : "0",
                                     o_.Worker.DeleteLocked ? "1" : "0",
                                     o_.CrashAt.empty() ? "-" : o_.CrashAt,
                                     std::to_string(o_.CrashAfter)};
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = ::fork();
    if (pid == 0) {
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(self_.c_str(), argv.data());
      ::_exit(127);
    }
    slots_[s].Pid = pid;
    pidSlot_[pid] = s;
    pidInc_[pid] = inc;
  }

  void PlanKills() {
    int kills = o_.Kills >= 0 ? o_.Kills : static_cast<int>(o_.Seconds / 3);
    std::uniform_real_distribution<double> when(0.15, 0.85);
    for (int k = 0; k < kills; ++k)
      plan_.push_back({start_ + static_cast<std::int64_t>(when(rng_) * o_.Seconds * 1000),
                       static_cast<int>(rng_() % static_cast<std::uint64_t>(o_.Workers)),
                       static_cast<int>(rng_() % 3000)});
    std::sort(plan_.begin(), plan_.end(), [](const KillPlan& a, const KillPlan& b) { return a.At < b.At; });
  }

  bool InsideHold(std::int32_t phase) const {
    if (o_.SafeKills) return phase == kReaderHold || phase == kWriterHoldChoosing;
    return phase == kReaderHold || phase == kWriterHoldChoosing || phase == kWriterHoldChanging ||
           phase == kClosingHold;
  }

  // Kills the worker of a slot at the first moment, DelayUs microseconds
  // after the planned time or later, that finds it inside a hold. The worker
  // is stopped at moments up to a millisecond apart and its phase read while
  // it stands still, so that it dies where the driver saw it; a worker found
  // outside a hold goes on.
  void Kill(const KillPlan& k) {
    Slot& slot = slots_[k.Slot];
    const pid_t pid = slot.Pid;
    if (pid <= 0) return;
    std::this_thread::sleep_for(std::chrono::microseconds(k.DelayUs));
    const std::int64_t giveUp = MonotonicMs() + 5000;
    bool done = false;
    while (!done && MonotonicMs() < giveUp) {
      int status = 0;
      if (::kill(pid, SIGSTOP) != 0 || ::waitpid(pid, &status, WUNTRACED) != pid) return;
      if (!WIFSTOPPED(status)) {  // it ended on its own meanwhile
        Ended(pid, status);
        return;
      }
      if (InsideHold(slot.Phase)) {
        ::kill(pid, SIGKILL);
        done = true;
      } else {
        ::kill(pid, SIGCONT);
        std::this_thread::sleep_for(std::chrono::microseconds(rng_() % 1000));
      }
    }
    if (!done) {
      std::printf("no kill: worker %d was not inside a hold within 5 s (%s)\n", slot.Inc,
                  PhaseName(slot.Phase));
      return;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    // The worker is gone: its last published phase is where it died.
    const std::int32_t phase = slot.Phase;
    const std::int32_t step = slot.Step;
    const std::uint32_t inc = pidInc_[pid];
    pidSlot_.erase(pid);
    slot.Pid = 0;
    KilledWorker killed;
    killed.Inc = inc;
    killed.Where = std::string(PhaseName(phase)) + ", after " + std::to_string(step) +
                   " engine calls of its transaction";
    killed_[inc] = killed;
    std::printf("killed worker %u in slot %d, %s\n", inc, k.Slot, killed.Where.c_str());
    if (deadline_ - MonotonicMs() > 300) Spawn(k.Slot);
  }

  // Notes a worker that ended by itself: cleanly, by its injected crash, or
  // with a fault.
  void Ended(pid_t pid, int status) {
    auto it = pidSlot_.find(pid);
    if (it == pidSlot_.end()) return;
    const int s = it->second;
    const std::uint32_t inc = pidInc_[pid];
    pidSlot_.erase(it);
    slots_[s].Pid = 0;
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL && !o_.CrashAt.empty() && inc == 0) {
      killed_[inc] = KilledWorker{inc, std::string("by itself at ") + o_.CrashAt + ", " +
                                           PhaseName(slots_[s].Phase)};
      std::printf("worker %u killed itself at %s\n", inc, o_.CrashAt.c_str());
      if (deadline_ - MonotonicMs() > 300) Spawn(s);
    } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      faults_.push_back("worker " + std::to_string(inc) + " ended with " +
                        (WIFEXITED(status) ? "exit code " + std::to_string(WEXITSTATUS(status))
                                           : "signal " + std::to_string(WTERMSIG(status))));
    }
  }

  // Reaps ended workers; true when all ended, false after a stall.
  bool Supervise() {
    std::size_t next = 0;
    std::int64_t lastProgress = MonotonicMs();
    std::int64_t lastCount = -1;
    for (;;) {
      int status = 0;
      pid_t pid;
      while ((pid = ::waitpid(-1, &status, WNOHANG)) > 0) {
        Ended(pid, status);
      }
      if (pidSlot_.empty() && MonotonicMs() >= deadline_) return true;
      const std::int64_t now = MonotonicMs();
      if (next < plan_.size() && now >= plan_[next].At) {
        Kill(plan_[next]);
        ++next;
        continue;
      }
      std::int64_t count = 0;
      for (int s = 0; s < o_.Workers; ++s) count += slots_[s].Readers + slots_[s].Writers;
      if (count != lastCount) {
        lastCount = count;
        lastProgress = now;
      } else if (!pidSlot_.empty() && now - lastProgress > o_.StallSeconds * 1000) {
        std::string where;
        for (int s = 0; s < o_.Workers; ++s)
          if (slots_[s].Pid > 0)
            where += "\n  worker " + std::to_string(slots_[s].Inc) + ": " + PhaseName(slots_[s].Phase) +
                     ", engine call " + std::to_string(slots_[s].Step);
        faults_.push_back("no transaction ended for " + std::to_string(o_.StallSeconds) +
                          " s (a hang):" + where);
        for (const auto& [p, s] : pidSlot_) ::kill(p, SIGKILL);
        while (::waitpid(-1, &status, 0) > 0) {
        }
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }

  void Print(const CheckReport& r, std::int64_t readers, std::int64_t writers, std::int64_t ms) {
    const double seconds = static_cast<double>(ms) / 1000.0;
    std::printf("%" PRId64 " transactions in %.1f s (%" PRId64 " reader, %" PRId64
                " writer): %.0f per second\n",
                readers + writers, seconds, readers, writers,
                static_cast<double>(readers + writers) / seconds);
    std::printf("end check: %" PRId64 " writer transactions committed, %" PRId64
                " records alive as their last writer left them, %" PRId64
                " deleted on the free list\n",
                r.Committed, r.Alive, r.Deleted);
    if (!r.Remains.empty()) {
      std::printf("remains of killed transactions (%zu):\n", r.Remains.size());
      for (const std::string& s : r.Remains) std::printf("  %s\n", s.c_str());
    }
    if (!r.Faults.empty()) {
      std::printf("FAULTS (%zu), seed %" PRIu64 ":\n", r.Faults.size(), o_.Seed);
      for (const std::string& s : r.Faults) std::printf("  %s\n", s.c_str());
    } else {
      std::printf("no faults\n");
    }
  }

  DriverOptions o_;
  std::mt19937_64 rng_;
  std::string self_;
  std::string dir_;
  Slot* slots_ = nullptr;
  std::int64_t start_ = 0;
  std::int64_t deadline_ = 0;
  std::uint32_t nextInc_ = 0;
  std::map<pid_t, int> pidSlot_;
  std::map<pid_t, std::uint32_t> pidInc_;
  std::vector<KillPlan> plan_;
  std::map<std::uint32_t, KilledWorker> killed_;
  std::vector<std::string> faults_;
};

int WorkerMain(int argc, char** argv) {
  if (argc != 12) return 2;
  static WorkerArgs args;
  args.Dir = argv[2];
  args.Slot = std::atoi(argv[3]);
  args.Inc = static_cast<std::uint32_t>(std::strtoul(argv[4], nullptr, 10));
  args.Seed = std::strtoull(argv[5], nullptr, 10);
  args.DeadlineMs = std::strtoll(argv[6], nullptr, 10);
  args.Options.Population = std::atoi(argv[7]);
  args.Options.SiblingHeader = std::string(argv[8]) == "1";
  args.Options.DeleteLocked = std::string(argv[9]) == "1";
  args.CrashAt = std::string(argv[10]) == "-" ? std::string() : std::string(argv[10]);
  args.CrashAfter = std::atoi(argv[11]);
  return RunWorker(args);
}

}  // namespace
}  // namespace stress

int main(int argc, char** argv) {
  if (argc >= 2 && std::string(argv[1]) == "worker") return stress::WorkerMain(argc, argv);
  stress::DriverOptions options;
  if (!stress::ParseOptions(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: %s [--seconds S] [--workers N] [--kills K] [--seed B] [--population P]\n"
                 "          [--kill-in any|safe] [--dir D] [--keep] [--sibling-header]\n"
                 "          [--delete-locked] [--crash-at POINT] [--crash-after N] [--stall S]\n",
                 argv[0]);
    return 2;
  }
  if (!options.SeedGiven) options.Seed = std::random_device{}() * 65536ull + std::random_device{}();
  std::printf("stress run: seed %" PRIu64 ", %d workers, %.0f s\n", options.Seed, options.Workers,
              options.Seconds);
  std::fflush(stdout);
  return stress::Driver(options).Run();
}
