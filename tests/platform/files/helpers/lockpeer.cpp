// A second process for the file-sharing tests. It reads one command a line on
// stdin and answers one line on stdout:
//   open <path> <share> [<access>] -> ok | fail <code>  (existing file)
//       share: ex (deny all), dw (deny write), dr (deny read), sh (deny none);
//       access: r, w or rw (the default)
//   lock <offset> <len>   -> ok | fail <code>
//   unlock <offset> <len> -> ok | fail <code>
//   locked <offset> <len> -> yes | no             (held by another opener?)
//   close                 -> ok
// It ends at end of input, leaving the kernel to drop what it holds.
#include <cstdint>
#include <iostream>
#include <sstream>
#include <string>

#include "platform/files/files.h"

namespace {

std::string Result(bool ok) {
  return ok ? "ok" : "fail " + std::to_string(platform::LastError());
}

platform::FileShare ShareOf(const std::string& word) {
  if (word == "ex") return platform::FileShare::Exclusive;
  if (word == "dw") return platform::FileShare::DenyWrite;
  if (word == "dr") return platform::FileShare::DenyRead;
  return platform::FileShare::DenyNone;
}

platform::FileAccess AccessOf(const std::string& word) {
  if (word == "r") return platform::FileAccess::Read;
  if (word == "w") return platform::FileAccess::Write;
  return platform::FileAccess::ReadWrite;
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
      std::string path, share, access;
      in >> path >> share >> access;
      reply = Result(file.Open(path, AccessOf(access), ShareOf(share)));
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
