// Second process for the layer-file lock tests: another workstation on the
// same layer file. Reads one command a line from stdin and answers one line:
//   open <path> <mode>   opens the line file (waiting for its lock) -> ok <result>
//   close                                                         -> ok <result>
//   add                  adds one line record                     -> ok <number>
//   sublayer <n> <name>  writes sublayer header n with that name  -> ok 0
//   quit
// Errors answer "error <message>".
#include <iostream>
#include <sstream>
#include <string>

#include "layers/store/layerfiles.h"

int main() {
  SetDefaultLayerLockWait(nullptr);
  std::unique_ptr<TNewLinWarstwaFile> file;
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream in(line);
    std::string command;
    in >> command;
    if (command == "quit") break;
    try {
      if (command == "open") {
        std::string path;
        int mode = 0;
        in >> path >> mode;
        const auto slash = path.find_last_of('/');
        file = std::make_unique<TNewLinWarstwaFile>(nullptr, path.substr(0, slash + 1),
                                                    path.substr(slash + 1));
        std::uint8_t m = static_cast<std::uint8_t>(mode);
        std::cout << "ok " << file->Open(m) << std::endl;
      } else if (command == "close") {
        std::cout << "ok " << (file ? file->Close() : -1) << std::endl;
      } else if (command == "add") {
        ObjectSaveRecord r;
        std::cout << "ok " << file->AddRecord(r) << std::endl;
      } else if (command == "sublayer") {
        int n = 0;
        TWarstwaHeader h;
        in >> n >> h.ShortName;
        file->WritePodwarstwaHeader(h, n);
        std::cout << "ok 0" << std::endl;
      } else {
        std::cout << "error unknown command" << std::endl;
      }
    } catch (const std::exception& e) {
      std::cout << "error " << e.what() << std::endl;
    }
  }
  return 0;
}
