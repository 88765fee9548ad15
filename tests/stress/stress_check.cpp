#include "stress_check.h"

#include <fstream>
#include <set>
#include <sstream>

#include "foundation/storage/btree.h"
#include "foundation/storage/recordfile.h"
#include "platform/files/paths.h"
#include "stress_layout.h"

namespace stress {

namespace {

struct Intent {
  std::uint64_t Seq = 0;
  std::string Op;
  std::int32_t Rec = -1;
  std::string OldP, OldG, NewP, NewG;
  std::uint32_t Inc = 0;
  bool Committed = false;
  std::string Misses;
};

struct Anomaly {
  std::int32_t Rec = 0;
  std::string Key;
  std::string What;
  std::uint32_t Inc = 0;
};

std::string Unfield(const std::string& s) { return s == "-" ? std::string() : s; }

// The text of a log line whose checksum holds, else false.
bool LineText(const std::string& line, std::string& text) {
  const auto star = line.rfind(" *");
  if (star == std::string::npos || line.size() != star + 10) return false;
  text = line.substr(0, star);
  char sum[16];
  std::snprintf(sum, sizeof sum, "%08x", Fnv(text.data(), text.size()));
  return line.compare(star + 2, 8, sum) == 0;
}

class Checker {
 public:
  Checker(const std::string& dir, std::uint32_t incarnations,
          const std::map<std::uint32_t, KilledWorker>& killed)
      : dir_(dir), incarnations_(incarnations), killed_(killed) {}

  CheckReport Run() {
    for (std::uint32_t inc = 0; inc < incarnations_; ++inc) ReadLog(inc);
    Classify();
    if (!OpenStore()) return report_;
    CheckFiles();
    ReadIndexes();
    ReadRecords();
    CheckIndexes();
    CheckAnomalies();
    DescribeKilled();
    CloseIndex(group_);
    CloseIndex(primary_);
    CloseFile(data_);
    CloseFileHandle(anchor_);
    return report_;
  }

 private:
  void Fault(const std::string& text) { report_.Faults.push_back(text); }
  void Remain(const std::string& text) { report_.Remains.push_back(text); }
  bool WasKilled(std::uint32_t inc) const { return killed_.count(inc) != 0; }

  void ReadLog(std::uint32_t inc) {
    std::ifstream in(platform::JoinPath(dir_, "log-" + std::to_string(inc) + ".txt"));
    std::string line;
    std::vector<std::string> lines;
    while (std::getline(in, line)) lines.push_back(line);
    // A killed worker's last line may be torn; nothing else may be.
    bool tornTail = false;
    if (in.eof() && !lines.empty()) {
      std::ifstream raw(platform::JoinPath(dir_, "log-" + std::to_string(inc) + ".txt"),
                        std::ios::binary | std::ios::ate);
      const auto size = static_cast<std::streamoff>(raw.tellg());
      if (size > 0) {
        raw.seekg(size - 1);
        tornTail = raw.get() != '\n';
      }
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
      std::string text;
      const bool last = i + 1 == lines.size();
      if (!LineText(lines[i], text) || (last && tornTail)) {
        if (last && WasKilled(inc))
          Remain("log of killed worker " + std::to_string(inc) + " ends in a torn line");
        else
          Fault("log " + std::to_string(inc) + " line " + std::to_string(i + 1) + " damaged");
        continue;
      }
      std::istringstream fields(text);
      std::string kind;
      fields >> kind;
      if (kind == "I") {
        Intent intent;
        intent.Inc = inc;
        fields >> intent.Seq >> intent.Op >> intent.Rec >> intent.OldP >> intent.OldG >>
            intent.NewP >> intent.NewG;
        intent.OldP = Unfield(intent.OldP);
        intent.OldG = Unfield(intent.OldG);
        intent.NewP = Unfield(intent.NewP);
        intent.NewG = Unfield(intent.NewG);
        if (intents_.count(intent.Seq) != 0)
          Fault("transaction number " + std::to_string(intent.Seq) + " taken twice (workers " +
                std::to_string(intents_[intent.Seq].Inc) + " and " + std::to_string(inc) + ")");
        intents_[intent.Seq] = intent;
      } else if (kind == "C") {
        std::uint64_t seq = 0;
        std::int32_t rec = -1;
        std::string misses;
        fields >> seq >> rec >> misses;
        auto it = intents_.find(seq);
        if (it == intents_.end() || it->second.Inc != inc) {
          Fault("commit of transaction " + std::to_string(seq) + " without its intent");
          continue;
        }
        it->second.Committed = true;
        it->second.Rec = rec;
        it->second.Misses = Unfield(misses);
      } else if (kind == "A") {
        Anomaly a;
        a.Inc = inc;
        fields >> a.Rec >> a.Key >> a.What;
        a.Key = Unfield(a.Key);
        anomalies_.push_back(a);
      } else if (kind == "E") {
        Fault("worker " + std::to_string(inc) + " logged a fault: " + text.substr(2));
      }
    }
  }

  void Classify() {
    for (auto& [seq, intent] : intents_) {
      if (intent.Committed) {
        ++report_.Committed;
        maxCommitted_ = seq;
        if (intent.Rec >= 0 && intent.Op != "hdr") events_[intent.Rec].push_back(seq);
        continue;
      }
      if (!WasKilled(intent.Inc)) {
        Fault("worker " + std::to_string(intent.Inc) + " was not killed but left transaction " +
              std::to_string(seq) + " without a commit line");
        continue;
      }
      killedSeqs_.insert(seq);
      if (intent.Rec >= 0) killedRecs_[intent.Rec].push_back(seq);
      for (const std::string* k : {&intent.OldP, &intent.NewP})
        if (!k->empty()) killedKeys_.insert(*k);
    }
  }

  bool OpenStore() {
    DBMultiUser = true;
    const std::string dataPath = platform::JoinPath(dir_, kDataName);
    OpenFileShared(anchor_, dataPath, kRecSize);
    OpenFile(data_, &anchor_, dataPath, kRecSize, true, false, false);
    if (!data_.IsOpen) {
      Fault("data file does not open: error " + std::to_string(DBErrorCode));
      return false;
    }
    OpenIndex(primary_, &anchor_, platform::JoinPath(dir_, kPrimaryName), kPrimaryKeyLength,
              false, true);
    OpenIndex(group_, &anchor_, platform::JoinPath(dir_, kGroupName), kGroupKeyLength, true, true);
    if (!primary_.IsOpen || !group_.IsOpen) {
      Fault("an index does not open: error " + std::to_string(DBErrorCode));
      return false;
    }
    return true;
  }

  void CheckFiles() {
    // No lock of any worker may outlive it.
    for (TDataFile* f : {static_cast<TDataFile*>(&data_), static_cast<TDataFile*>(&primary_),
                         static_cast<TDataFile*>(&group_)}) {
      const std::int64_t size = f->Handle.Size();
      if (size > 0 && f->Handle.IsLockedByOther(0, static_cast<std::uint64_t>(size) + 1))
        Fault(f->FileName + ": a lock was left behind");
    }
    LockDataFile(data_, true, false);
    const std::string dataProblem = CheckDataFileInvariants(data_);
    if (!dataProblem.empty()) Fault("data file: " + dataProblem);
    std::uint8_t header[kUserHeaderLength];
    ReadUserHeader(data_, header, kUserHeaderLength);
    std::uint64_t seq = 0;
    if (DBErrorCode != DBErrNone || !DecodeUserHeader(header, seq))
      Fault("user header unreadable or torn");
    else if (seq < maxCommitted_)
      Fault("user header names transaction " + std::to_string(seq) + ", the last committed is " +
            std::to_string(maxCommitted_));
    LockDataFile(data_, false, false);
    for (TIndexFile* ix : {&primary_, &group_}) {
      // Only a kill may leave pages out of both the tree and the free list.
      std::int32_t leaked = 0;
      const std::string problem = CheckInvariants(*ix, killed_.empty() ? nullptr : &leaked);
      if (!problem.empty()) Fault(ix->FileName + ": " + problem);
      if (leaked > 0)
        Remain(ix->FileName + ": " + std::to_string(leaked) +
               " page(s) left out of the tree and the free list by killed transactions (leaked)");
    }
    // Every writer hold raised the change counters (modulo 65536).
    const std::int64_t writers = static_cast<std::int64_t>(intents_.size());
    if (writers > 0 && writers % 65536 != 0) {
      if (data_.Header.ChangeCount == 0) Fault("data file's change counter never moved");
      LockIndexFile(primary_, true, false);
      LockIndexFile(group_, true, false);
      if (primary_.Header.ChangeCount == 0) Fault("primary index's change counter never moved");
      if (group_.Header.ChangeCount == 0) Fault("group index's change counter never moved");
      LockIndexFile(primary_, false, false);
      LockIndexFile(group_, false, false);
    }
  }

  using Entries = std::set<std::pair<std::string, std::int32_t>>;

  void Walk(TIndexFile& ix, Entries& into) {
    std::string key;
    std::int32_t rec = 0;
    LockIndexFile(ix, true, false);
    SearchKey(ix, rec, key);
    const std::size_t bound = static_cast<std::size_t>(ix.RecCount) * IndexPageItems + 1;
    while (DBOk && into.size() < bound) {
      if (!into.insert({key, rec}).second)
        Fault(ix.FileName + ": item " + key + "/" + std::to_string(rec) + " twice");
      NextKey(ix, rec, key);
    }
    if (DBErrorCode != DBErrNone) Fault(ix.FileName + ": walk ended with error " + std::to_string(DBErrorCode));
    LockIndexFile(ix, false, false);
  }

  void ReadIndexes() {
    Walk(primary_, primaryEntries_);
    Walk(group_, groupEntries_);
  }

  std::uint64_t LastCommitted(std::int32_t rec) const {
    auto it = events_.find(rec);
    return it == events_.end() ? 0 : it->second.back();
  }

  bool KilledAfter(std::int32_t rec, std::uint64_t after) const {
    auto it = killedRecs_.find(rec);
    if (it == killedRecs_.end()) return false;
    for (std::uint64_t s : it->second)
      if (s > after) return true;
    return false;
  }

  void ReadRecords() {
    LockDataFile(data_, true, false);
    // The free list, bounded by the record count.
    std::set<std::int32_t> freeList;
    std::uint8_t buffer[kRecSize];
    for (std::int32_t n = data_.Header.FirstFree; n != -1 && freeList.size() <= static_cast<std::size_t>(data_.RecCount);) {
      if (n < 1 || n >= data_.RecCount || !freeList.insert(n).second) break;
      GetRecRaw(data_, n, buffer);
      if (DBErrorCode != DBErrNone || buffer[0] != DBRecDeleted) break;
      n = static_cast<std::int32_t>(GetU32(buffer + 1));
    }
    for (std::int32_t rec = 1; rec < data_.RecCount; ++rec) {
      buffer[0] = 0xEE;
      GetRecRaw(data_, rec, buffer);
      if (DBErrorCode != DBErrNone) {
        Fault("record " + std::to_string(rec) + " unreadable");
        continue;
      }
      const std::uint64_t last = LastCommitted(rec);
      const bool killedAfter = KilledAfter(rec, last);
      const std::string where = "record " + std::to_string(rec);
      if (buffer[0] == DBRecInUse) {
        Content c;
        if (!DecodeRecord(buffer, c)) {
          Fault(where + " torn");
          continue;
        }
        contentSeq_[rec] = c.Seq;
        if (killedSeqs_.count(c.Seq) != 0) {
          remainRecs_.insert(rec);
          const Intent& k = intents_[c.Seq];
          Remain(where + " holds what killed transaction " + std::to_string(c.Seq) + " (" + k.Op +
                 ") wrote");
        } else if (killedAfter) {
          remainRecs_.insert(rec);
          Remain(where + " alive with transaction " + std::to_string(c.Seq) +
                 "'s content; a killed transaction on it came later");
        } else if (last == 0) {
          Fault(where + " alive with content of transaction " + std::to_string(c.Seq) +
                ", which never committed a write to it");
        } else if (intents_[last].Op == "del") {
          Fault(where + " deleted by transaction " + std::to_string(last) +
                " but alive with the content of " + std::to_string(c.Seq) + " (lost delete)");
        } else if (c.Seq != last) {
          Fault(where + " holds transaction " + std::to_string(c.Seq) +
                "'s content, its last writer was " + std::to_string(last) + " (lost update)");
        } else if (c.Primary != intents_[last].NewP || c.Group != intents_[last].NewG) {
          Fault(where + " keys " + c.Primary + "/" + c.Group + " differ from its last writer's");
        } else {
          ++report_.Alive;
          expectPrimary_.insert({c.Primary, rec});
          expectGroup_.insert({c.Group, rec});
        }
      } else if (buffer[0] == DBRecDeleted) {
        const bool listed = freeList.count(rec) != 0;
        if (killedAfter) {
          remainRecs_.insert(rec);
          if (!listed)
            Remain(where + " deleted by a killed transaction and left off the free list (leaked)");
        } else if (last == 0) {
          Fault(where + " deleted, but no committed transaction wrote it");
        } else if (intents_[last].Op != "del") {
          Fault(where + " written by transaction " + std::to_string(last) +
                " but found deleted (lost record)");
        } else if (!listed) {
          // Charged to a killed add below, or a fault.
          unlisted_.push_back({rec, last});
        } else {
          ++report_.Deleted;
        }
      } else {
        Fault(where + " has status byte " + std::to_string(buffer[0]));
      }
    }
    LockDataFile(data_, false, false);
    ChargeUnlistedToKilledAdds();
    // A record a committed transaction wrote lies inside the file.
    for (const auto& [rec, seqs] : events_)
      if (rec >= data_.RecCount)
        Fault("record " + std::to_string(rec) + " written by transaction " +
              std::to_string(seqs.back()) + " lies beyond the end of the file");
  }

  // A shared add takes the free list's head in the header before it writes
  // the record: an add killed in between leaves its record deleted and off
  // the list, where the last committed transaction on it is the delete that
  // put it there. Each such add (no record holds its content) explains one
  // record deleted before it began; the records no killed add explains were
  // lost from the list by the engine.
  void ChargeUnlistedToKilledAdds() {
    std::vector<std::uint64_t> adds;
    for (std::uint64_t s : killedSeqs_) {
      const Intent& k = intents_.at(s);
      if (k.Op != "add" || k.Rec >= 0) continue;
      bool written = false;
      for (const auto& [rec, seq] : contentSeq_) written = written || seq == s;
      if (!written) adds.push_back(s);
    }
    // Every add that may explain a record may explain all records deleted
    // earlier still, so taking the adds in order and giving each the latest
    // delete before it explains as many records as any other assignment.
    std::vector<bool> charged(unlisted_.size(), false);
    for (std::uint64_t add : adds) {
      std::size_t best = unlisted_.size();
      for (std::size_t i = 0; i < unlisted_.size(); ++i)
        if (!charged[i] && unlisted_[i].second < add &&
            (best == unlisted_.size() || unlisted_[i].second > unlisted_[best].second))
          best = i;
      if (best == unlisted_.size()) continue;
      charged[best] = true;
      Remain("record " + std::to_string(unlisted_[best].first) + " deleted by transaction " +
             std::to_string(unlisted_[best].second) + ", taken off the free list by killed add " +
             std::to_string(add) + " before it was written (leaked)");
    }
    for (std::size_t i = 0; i < unlisted_.size(); ++i)
      if (!charged[i])
        Fault("record " + std::to_string(unlisted_[i].first) + " deleted by transaction " +
              std::to_string(unlisted_[i].second) + " but neither on the free list nor reused");
  }

  // Whether a killed transaction names the item (key, rec) of an index.
  bool KilledNames(const std::string& key, std::int32_t rec, bool primary) const {
    if (remainRecs_.count(rec) != 0) return true;
    if (primary && killedKeys_.count(key) != 0) return true;
    auto it = killedRecs_.find(rec);
    if (it != killedRecs_.end())
      for (std::uint64_t s : it->second) {
        const Intent& k = intents_.at(s);
        if (primary ? (k.OldP == key || k.NewP == key) : (k.OldG == key || k.NewG == key))
          return true;
      }
    return false;
  }

  void CompareIndex(const char* name, const Entries& found, const Entries& expected, bool primary) {
    for (const auto& [key, rec] : found) {
      if (expected.count({key, rec}) != 0) continue;
      const std::string item = std::string(name) + " key " + key + " -> record " + std::to_string(rec);
      if (KilledNames(key, rec, primary))
        Remain(item + " left by a killed transaction");
      else
        Fault(item + " matches no alive record (stale index entry)");
    }
    for (const auto& [key, rec] : expected)
      if (found.count({key, rec}) == 0)
        Fault(std::string(name) + " key " + key + " of record " + std::to_string(rec) + " missing");
  }

  void CheckIndexes() {
    CompareIndex("primary", primaryEntries_, expectPrimary_, true);
    CompareIndex("group", groupEntries_, expectGroup_, false);
    // Keys a committed transaction found missing, or present already, must be
    // a killed one's doing.
    for (const auto& [seq, intent] : intents_) {
      if (!intent.Committed || intent.Misses.empty()) continue;
      if (KilledBefore(intent.Rec, intent.OldP, seq)) continue;
      Fault("transaction " + std::to_string(seq) + " (" + intent.Op + " of record " +
            std::to_string(intent.Rec) + ") found keys missing or present already (" + intent.Misses +
            ") that no killed transaction explains");
    }
  }

  bool KilledBefore(std::int32_t rec, const std::string& key, std::uint64_t seq) const {
    for (std::uint64_t s : killedSeqs_) {
      if (s >= seq) break;
      const Intent& k = intents_.at(s);
      if (k.Rec == rec || (!key.empty() && (k.NewP == key || k.OldP == key))) return true;
    }
    return false;
  }

  void CheckAnomalies() {
    // The same sighting repeats while the remains stay; each is listed once.
    std::map<std::string, int> seen;
    for (const Anomaly& a : anomalies_) {
      const std::string sighting = std::to_string(a.Rec) + " " + a.Key + " " + a.What;
      if (seen[sighting]++ > 0) continue;
      bool explained = remainRecs_.count(a.Rec) != 0 || killedRecs_.count(a.Rec) != 0 ||
                       (!a.Key.empty() && killedKeys_.count(a.Key) != 0);
      if (!explained)
        for (std::uint64_t s : killedSeqs_)
          if (intents_.at(s).Op == "add" && intents_.at(s).NewG == a.Key) explained = true;
      const std::string text = "a worker saw " + a.What + " (record " +
                               std::to_string(a.Rec) + ", key " + a.Key + ")";
      if (explained)
        Remain(text);
      else
        Fault(text + ", which no killed transaction explains");
    }
  }

  // One line per killed worker: what its last transaction left.
  void DescribeKilled() {
    for (const auto& [inc, killed] : killed_) {
      std::string text = "worker " + std::to_string(inc) + " killed " + killed.Where;
      const Intent* open = nullptr;
      for (std::uint64_t s : killedSeqs_)
        if (intents_.at(s).Inc == inc) open = &intents_.at(s);
      if (open == nullptr) {
        Remain(text + ": no transaction with writes under way");
        continue;
      }
      text += ": transaction " + std::to_string(open->Seq) + " (" + open->Op + ")";
      std::vector<std::int32_t> written;
      for (const auto& [rec, seq] : contentSeq_)
        if (seq == open->Seq) written.push_back(rec);
      for (std::int32_t rec : written) text += ", its record " + std::to_string(rec) + " written";
      if (written.empty() && open->Rec < 0 && open->Op == "add")
        text += ", no record holds its content";
      if (!open->NewP.empty()) {
        bool present = false;
        for (const auto& [key, rec] : primaryEntries_) present = present || key == open->NewP;
        text += present ? ", its new primary key in the index" : ", its new primary key absent";
      }
      if (!open->OldP.empty() && open->OldP != open->NewP) {
        bool present = false;
        for (const auto& [key, rec] : primaryEntries_) present = present || key == open->OldP;
        text += present ? ", the old primary key still in the index" : ", the old primary key gone";
      }
      Remain(text);
    }
  }

  std::string dir_;
  std::uint32_t incarnations_;
  const std::map<std::uint32_t, KilledWorker>& killed_;
  CheckReport report_;
  std::map<std::uint64_t, Intent> intents_;
  std::vector<Anomaly> anomalies_;
  std::uint64_t maxCommitted_ = 0;
  std::map<std::int32_t, std::vector<std::uint64_t>> events_;      // committed, ascending
  std::map<std::int32_t, std::vector<std::uint64_t>> killedRecs_;  // killed intents by record
  std::set<std::uint64_t> killedSeqs_;
  std::set<std::string> killedKeys_;
  std::set<std::int32_t> remainRecs_;
  std::map<std::int32_t, std::uint64_t> contentSeq_;
  // Deleted records off the free list: (record, the committed delete).
  std::vector<std::pair<std::int32_t, std::uint64_t>> unlisted_;
  Entries primaryEntries_, groupEntries_, expectPrimary_, expectGroup_;
  TDataFile anchor_;
  TDataFile data_;
  TIndexFile primary_;
  TIndexFile group_;
};

}  // namespace

CheckReport CheckStore(const std::string& Dir, std::uint32_t Incarnations,
                       const std::map<std::uint32_t, KilledWorker>& Killed) {
  return Checker(Dir, Incarnations, Killed).Run();
}

}  // namespace stress
