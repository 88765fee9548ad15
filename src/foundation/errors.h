// The system's exceptions. Every error is an exception carrying a Polish
// message in UTF-8 (what()). The first group stands in for the framework's
// own exceptions (message base, input/output error, silent abort, conversion,
// out of memory, list index); the second is the program's error family.
//
// Silent errors (EAbort and its descendants ECanceled and EAbortDraw) end the
// work they interrupt; the top-level handler shows every other error and asks
// IsSilentError to tell them apart.
//
// Any thread may raise and catch these; they own nothing but their text.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

// Base of every exception of the program: a message text.
class Exception : public std::exception {
public:
  Exception() = default;
  explicit Exception(std::string message) : message_(std::move(message)) {}

  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const noexcept { return message_; }
  // Replaces the text, keeping the class: a handler that adds context to an
  // error catches it by reference, sets the new text and rethrows it with
  // "throw;".
  void SetMessage(std::string message) { message_ = std::move(message); }

private:
  std::string message_;
};

// Input/output error with an error code (0 when the raiser gives none).
class EInOutError : public Exception {
public:
  explicit EInOutError(std::string message, int errorCode = 0)
      : Exception(std::move(message)), ErrorCode(errorCode) {}

  int ErrorCode;
};

// Silent exception: ends the interrupted work without a message.
class EAbort : public Exception {
public:
  EAbort() = default;
  explicit EAbort(std::string message) : Exception(std::move(message)) {}
};

// A text that is not a number of the kind asked for.
class EConvertError : public Exception {
public:
  using Exception::Exception;
};

// A control or property used against its rules (a setting it refuses, a
// wrong owner or parent); the text says what was refused.
class EInvalidOperation : public Exception {
public:
  using Exception::Exception;
};

// A value outside the range a control can hold.
class ERangeError : public Exception {
public:
  using Exception::Exception;
};

// Memory or a fixed buffer cannot grow.
class EOutOfMemory : public Exception {
public:
  using Exception::Exception;
};

// An index outside 0..Count-1 given to a list or array.
class EListError : public Exception {
public:
  using Exception::Exception;
  // "Indeks listy poza zakresem (Index)".
  static EListError IndexOutOfBounds(long long index);
};

// Internal misuse or an impossible state; the message names the operation
// or the condition.
class EInternalError : public Exception {
public:
  using Exception::Exception;
};

// An operation of an abstract base that a descendant does not provide.
class ENotImplemented : public EInternalError {
public:
  // Name is the qualified operation, e.g. "TWarstwaFile.UpdateIndex"; the
  // message is "<Name> not implemented yet".
  explicit ENotImplemented(const std::string& name);
};

// A file the program needs cannot be opened. The message is the one given
// (a description and the file name); with an error code it is followed by the
// system's text for the code in parentheses. ErrorCode keeps the code (0 when
// none is given).
class EWindowsIOError : public EInOutError {
public:
  explicit EWindowsIOError(std::string message) : EInOutError(std::move(message), 0) {}
  EWindowsIOError(const std::string& message, std::uint32_t errorCode);
  // With the calling thread's last platform error (platform::LastError).
  static EWindowsIOError FromLastError(const std::string& message);
};

// The user cancelled a long operation. Silent.
class ECanceled : public EAbort {
public:
  ECanceled() = default;
};

// A drawing in progress was aborted. Silent.
class EAbortDraw : public ECanceled {
public:
  EAbortDraw() = default;
};

// Codes of the fixed messages of ETolvikaError.
enum class TolvikaErrorCode : std::uint8_t {
  ReadOnlyLayerActivate = 0,  // "Próba uaktywnienia warstwy tylko do odczytu"
  NoActiveLayer = 1,          // "Brak aktywnej warstwy"
  MenuBadLineName = 2,        // "Menu aktywności: Błędna nazwa linii specjalnej"
  MenuBadLineNumber = 3,      // "Menu aktywności: Błędny numer linii specjalnej"
  RemoveFromReadOnly = 4,     // "Usuwanie z warstwy tylko do odczytu"
  InvalidWhere = 5,           // "Invalid \"where\""
  PreviousLineZero = 6,       // "Poprzednia linia ma zerową długość"
  BaseLineComputation = 7,    // "Linia bazowa: Błąd w obliczeniach"
};

// Root of the program's own errors. Raised with a message (Code 0) or with a
// code 0..7 that selects a fixed message.
class ETolvikaError : public Exception {
public:
  explicit ETolvikaError(std::string message) : Exception(std::move(message)), Code(0) {}
  explicit ETolvikaError(TolvikaErrorCode code);
  // A code outside 0..7 gets the message "Błąd nr <code>" rather than
  // reading past the message table.
  explicit ETolvikaError(int code);

  // The fixed message of a code, or "Błąd nr <code>" outside the table.
  static std::string CodeMessage(int code);

  std::uint8_t Code;
};

// The program's general error.
class ETvError : public ETolvikaError {
public:
  using ETolvikaError::ETolvikaError;
};

// Layer errors.
class EWarstwaError : public ETolvikaError {
public:
  using ETolvikaError::ETolvikaError;
};

// Root of the printing errors.
class EPrintError : public ETolvikaError {
public:
  using ETolvikaError::ETolvikaError;
};

// Errors in a sheet-frame template.
class EFormatkaError : public EPrintError {
public:
  using EPrintError::EPrintError;
};

// A print job cannot be started.
class EBeginDocError : public EPrintError {
public:
  using EPrintError::EPrintError;
};

// A failed geometric edit of an object.
class EGrEditError : public ETolvikaError {
public:
  using ETolvikaError::ETolvikaError;
};

// A failed operation on a block.
class EBlockError : public ETolvikaError {
public:
  using ETolvikaError::ETolvikaError;
};

// A failed drawing call of the platform.
class EDrawError : public ETolvikaError {
public:
  using ETolvikaError::ETolvikaError;
};

// A digitizer driver cannot be found or loaded.
class EDriverError : public ETolvikaError {
public:
  using ETolvikaError::ETolvikaError;
};

// printf-style formatting of a message, for raising with a format and
// arguments: throw EDriverError(FormatMessage("Zła nazwa drivera: %s", n)).
std::string FormatMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

// True for the silent exceptions (EAbort and descendants), which the
// top-level handler does not show.
bool IsSilentError(const std::exception& error) noexcept;
