// Shared by the second-process programs of the two-process tests: reads one
// command a line from stdin and answers one line on stdout. "multi <0|1>"
// sets DBMultiUser and answers "ok"; "quit" (or the end of input) ends the
// loop; every other command goes to the program's handler, which answers it
// and returns false for a command it does not know.
#pragma once

#include <functional>
#include <iostream>
#include <sstream>
#include <string>

#include "foundation/storage/recordfile.h"

using PeerCommand = std::function<bool(const std::string& command, std::istringstream& in)>;

inline int RunPeerLoop(const PeerCommand& handle) {
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream in(line);
    std::string command;
    in >> command;
    if (command == "quit") break;
    if (command == "multi") {
      int on = 0;
      in >> on;
      DBMultiUser = on != 0;
      std::cout << "ok" << std::endl;
    } else if (!handle(command, in)) {
      std::cout << "error unknown command" << std::endl;
    }
  }
  return 0;
}
