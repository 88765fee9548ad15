// Result codes and the exception family of the layer-file store.
//
// About half of the layer-file operations answer with an integer: 0 or more
// is success, a negative value one of the codes below. The others raise the
// EDBError family themselves. The checked calls of the layer-file interface
// turn the codes into these exceptions with messages beginning "DB: ".
//
// Plain values; any thread.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/errors.h"

// Result codes of the layer-file operations.
inline constexpr int kDBOk = 0;
inline constexpr int kDBNothing = -1;         // nothing to continue (no scan, read error)
inline constexpr int kDBEnd = -2;             // end of an enumeration or a read
inline constexpr int kDBUnknownBase = -3;     // unknown database name
inline constexpr int kDBNoBase = -4;          // no database open or unknown database handle
inline constexpr int kDBAccess = -5;          // access refused
inline constexpr int kDBBadHandle = -6;       // unknown layer handle
inline constexpr int kDBNotOpen = -7;         // layer file not open
inline constexpr int kDBNotImplemented = -8;  // operation not implemented by the file class
inline constexpr int kDBNoCatalogue = -10;    // database without a catalogue

// Root of the store's errors; Code is 0 unless the raiser gives one.
class EDBError : public Exception {
public:
  explicit EDBError(std::string message, int code = 0)
      : Exception(std::move(message)), Code(code) {}
  // The platform's Polish text for a system error code, with that code.
  static EDBError FromSystem(std::uint32_t systemCode);
  // The format filled with the arguments, with the given code.
  static EDBError CreateCode(int code, const char* format, ...)
      __attribute__((format(printf, 2, 3)));
  int Code;
};

class EDBBaseError : public EDBError {
public:
  using EDBError::EDBError;
};
class EBadBaseId : public EDBBaseError {
public:
  using EDBBaseError::EDBBaseError;
};
class ENotLoggedIn : public EDBBaseError {
public:
  ENotLoggedIn() : EDBBaseError("Nie wlogowany") {}
  using EDBBaseError::EDBBaseError;
};
class EInvalidHandle : public EDBBaseError {
public:
  using EDBBaseError::EDBBaseError;
};

// Errors of one layer file.
class EDBWarstwaError : public EDBError {
public:
  using EDBError::EDBError;
};
class EDBWarstwaCreate : public EDBWarstwaError {
public:
  using EDBWarstwaError::EDBWarstwaError;
};
class EDBWarstwaExist : public EDBWarstwaCreate {
public:
  using EDBWarstwaCreate::EDBWarstwaCreate;
};
class EDBWarstwaInvalidHIdx : public EDBWarstwaError {
public:
  using EDBWarstwaError::EDBWarstwaError;
};
class EAccessError : public EDBWarstwaError {
public:
  EAccessError() : EDBWarstwaError("Błąd dostępu") {}
  using EDBWarstwaError::EDBWarstwaError;
};
class ENotOpen : public EDBWarstwaError {
public:
  ENotOpen() : EDBWarstwaError("Warstwa nie otwarta") {}
  using EDBWarstwaError::EDBWarstwaError;
};

// A refused change of a read-only database or layer, or an export without
// the right.
class EAccessViolation : public Exception {
public:
  using Exception::Exception;
};

// A record that cannot be read by its number.
class EDBRecordError : public EDBError {
public:
  using EDBError::EDBError;
};

// "Błędna struktura pliku": the packets of a file do not match its header.
inline constexpr const char* kBadFileStructure = "Błędna struktura pliku";

// The check of every checked layer-file call: 0 or more, kDBEnd,
// kDBNotImplemented and kDBNoCatalogue pass; every other code raises its
// exception with a message beginning "DB: ":
//   -3 EBadBaseId "DB: Błędny identyfikator bazy"
//   -4 ENotLoggedIn "DB: Nie wlogowany"
//   -5 EAccessError "DB: Błąd dostępu"
//   -6 EInvalidHandle "DB: Błędny uchwyt"
//   -7 ENotOpen "DB: Warstwa nie otwarta"
//   -1, -9 and below -10: EDBError "DB: Błąd: <code>" carrying the code.
void CheckDBResult(int code);
