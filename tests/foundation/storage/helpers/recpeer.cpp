// Second process for the record-file tests: another workstation on the same
// file. Reads one command a line from stdin, runs it on its own descriptor and
// answers one line on stdout ("ok ..." or "done ..."). Commands:
//   multi <0|1>                          DBMultiUser
//   open <path> <recsize> <shared> <appendonly> <exclusive>   -> ok <error word>
//   close                                -> ok
//   lockrec <n>                          -> ok <result 0|1> <error word>
//   unlockrec <n>                        -> ok <error word>
//   hold <exclusive>                     -> ok            (LockDataFile open)
//   release <exclusive>                  -> ok            (LockDataFile close)
//   holdput <ms> <n> <byte>  writer hold, "ok", waits ms, PutRecInUse of record
//                            n filled with byte, releases, "done <error word>"
//   addmany <count> <tag>    AddRecInUse count records whose bytes 1-4 hold
//                            tag * 1000000 + sequence -> done <error word>
//   put <n> <byte>                       -> ok <error word>
//   writeuh <length> <byte>  WriteUserHeader of length bytes filled with
//                            byte, once its lock is granted -> done <error word>
//   quit
#include <chrono>
#include <cstdint>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "foundation/storage/bytes.h"
#include "foundation/storage/recordfile.h"
#include "peer_loop.h"

namespace {

void Fill(std::vector<std::uint8_t>& record, std::uint8_t byte) {
  for (auto& b : record) b = byte;
}

}  // namespace

int main() {
  TDataFile file;
  std::vector<std::uint8_t> record;
  return RunPeerLoop([&](const std::string& command, std::istringstream& in) {
    if (command == "open") {
      std::string path;
      int recSize = 0, shared = 0, appendOnly = 0, exclusive = 0;
      in >> path >> recSize >> shared >> appendOnly >> exclusive;
      OpenFile(file, nullptr, path, static_cast<std::uint16_t>(recSize), shared != 0,
               appendOnly != 0, exclusive != 0);
      record.assign(static_cast<std::size_t>(recSize), 0);
      std::cout << "ok " << DBErrorCode << std::endl;
    } else if (command == "close") {
      CloseFile(file);
      std::cout << "ok" << std::endl;
    } else if (command == "lockrec") {
      std::int32_t n = 0;
      in >> n;
      const bool locked = LockRecord(file, n);
      std::cout << "ok " << (locked ? 1 : 0) << ' ' << DBErrorCode << std::endl;
    } else if (command == "unlockrec") {
      std::int32_t n = 0;
      in >> n;
      DBErrorCode = 0;
      UnlockRecord(file, n);
      std::cout << "ok " << DBErrorCode << std::endl;
    } else if (command == "hold" || command == "release") {
      int exclusive = 0;
      in >> exclusive;
      LockDataFile(file, command == "hold", exclusive != 0);
      std::cout << "ok" << std::endl;
    } else if (command == "holdput") {
      int ms = 0, byte = 0;
      std::int32_t n = 0;
      in >> ms >> n >> byte;
      LockDataFile(file, true, true);
      std::cout << "ok" << std::endl;
      std::this_thread::sleep_for(std::chrono::milliseconds(ms));
      Fill(record, static_cast<std::uint8_t>(byte));
      PutRecInUse(file, n, record.data());
      const std::uint16_t error = DBErrorCode;
      LockDataFile(file, false, true);
      std::cout << "done " << error << std::endl;
    } else if (command == "addmany") {
      int count = 0, tag = 0;
      in >> count >> tag;
      std::uint16_t error = 0;
      for (int i = 0; i < count && error == 0; ++i) {
        Fill(record, 0x5A);
        const std::uint32_t value = static_cast<std::uint32_t>(tag * 1000000 + i);
        PutU32(record.data() + 1, value);
        std::int32_t recNo = 0;
        AddRecInUse(file, recNo, record.data());
        error = DBErrorCode;
      }
      std::cout << "done " << error << std::endl;
    } else if (command == "writeuh") {
      int length = 0, byte = 0;
      in >> length >> byte;
      std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length), static_cast<std::uint8_t>(byte));
      WriteUserHeader(file, bytes.data(), static_cast<std::uint32_t>(length));
      std::cout << "done " << DBErrorCode << std::endl;
    } else if (command == "put") {
      int byte = 0;
      std::int32_t n = 0;
      in >> n >> byte;
      Fill(record, static_cast<std::uint8_t>(byte));
      PutRecInUse(file, n, record.data());
      std::cout << "ok " << DBErrorCode << std::endl;
    } else {
      return false;
    }
    return true;
  });
}
