// What the record-file and index harnesses share: a clean engine state
// before each input, and a failure text that carries the engine's error word.
#pragma once

#include <string>

#include "foundation/storage/recordfile.h"

namespace fuzz {

inline void ResetEngine(bool multiUser) {
  DBMultiUser = multiUser;
  DBErrorCode = 0;
  DBOk = true;
}

inline std::string Describe(const char* step) {
  return std::string(step) + " (error word " + std::to_string(DBErrorCode) + ")";
}

}  // namespace fuzz
