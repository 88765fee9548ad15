// Second process for the index-file tests: another workstation on the same
// index. Reads one command a line from stdin, runs it on its own descriptor and
// answers one line on stdout. Keys contain no blanks. Commands:
//   multi <0|1>                               DBMultiUser             -> ok
//   open <path> <keylen> <dup> <shared>                               -> ok <error word>
//   close                                                             -> ok
//   add <rec> <key>                                                   -> ok <DBOk> <error word>
//   del <rec> <key>                                                   -> ok <DBOk> <rec> <error word>
//   find <key>                                                        -> ok <DBOk> <rec>
//   holdfor <exclusive> <ms>   LockIndexFile hold, "ok", waits ms, closes the hold, "done"
//   quit
#include <chrono>
#include <cstdint>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "foundation/storage/btree.h"
#include "peer_loop.h"

int main() {
  TIndexFile index;
  return RunPeerLoop([&](const std::string& command, std::istringstream& in) {
    if (command == "open") {
      std::string path;
      int keyLength = 0, dup = 0, shared = 0;
      in >> path >> keyLength >> dup >> shared;
      OpenIndex(index, nullptr, path, keyLength, dup != 0, shared != 0);
      std::cout << "ok " << DBErrorCode << std::endl;
    } else if (command == "close") {
      CloseIndex(index);
      std::cout << "ok" << std::endl;
    } else if (command == "add") {
      std::int32_t rec = 0;
      std::string key;
      in >> rec >> key;
      AddKey(index, rec, key);
      std::cout << "ok " << DBOk << " " << DBErrorCode << std::endl;
    } else if (command == "del") {
      std::int32_t rec = 0;
      std::string key;
      in >> rec >> key;
      DeleteKey(index, rec, key);
      std::cout << "ok " << DBOk << " " << rec << " " << DBErrorCode << std::endl;
    } else if (command == "find") {
      std::int32_t rec = 0;
      std::string key;
      in >> key;
      FindKey(index, rec, key);
      std::cout << "ok " << DBOk << " " << rec << std::endl;
    } else if (command == "holdfor") {
      int exclusive = 0, ms = 0;
      in >> exclusive >> ms;
      LockIndexFile(index, true, exclusive != 0);
      std::cout << "ok" << std::endl;
      std::this_thread::sleep_for(std::chrono::milliseconds(ms));
      LockIndexFile(index, false, exclusive != 0);
      std::cout << "done" << std::endl;
    } else {
      return false;
    }
    return true;
  });
}
