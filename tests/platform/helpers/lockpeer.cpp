// A second process for the file-sharing tests. It reads one command a line on
// stdin and answers one line on stdout:
//   open <path> <ex|sh>   -> ok | fail <code>     (read-write, existing file)
//   lock <offset> <len>   -> ok | fail <code>
//   unlock <offset> <len> -> ok | fail <code>
//   locked <offset> <len> -> yes | no             (held by another opener?)
//   close                 -> ok
// It ends at end of input, leaving the kernel to drop what it holds.
#include <cstdint>
#include <iostream>
#include <sstream>
#include <string>

#include "platform/files.h"

namespace {

std::string Result(bool ok) {
  return ok ? "ok" : "fail " + std::to_string(platform::LastError());
}

}  // namespace

int main() {
  platform::File file;
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream in(line);
    std::string command;
    in >> command;
    std::string reply;
    if (command == "open") {
      std::string path, share;
      in >> path >> share;
      reply = Result(file.Open(path, platform::FileAccess::ReadWrite,
                               share == "ex" ? platform::FileShare::Exclusive
                                             : platform::FileShare::DenyNone));
    } else if (command == "lock" || command == "unlock" || command == "locked") {
      std::uint64_t offset = 0, length = 0;
      in >> offset >> length;
      if (command == "lock") reply = Result(file.LockRange(offset, length));
      else if (command == "unlock") reply = Result(file.UnlockRange(offset, length));
      else reply = file.IsLockedByOther(offset, length) ? "yes" : "no";
    } else if (command == "close") {
      file.Close();
      reply = "ok";
    } else {
      reply = "fail unknown command";
    }
    std::cout << reply << std::endl;
  }
  return 0;
}
