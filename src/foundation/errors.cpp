#include "foundation/errors.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "platform/files/files.h"

namespace {

// Fixed messages of ETolvikaError, by code.
constexpr const char* kCodeMessages[] = {
    "Próba uaktywnienia warstwy tylko do odczytu",
    "Brak aktywnej warstwy",
    "Menu aktywności: Błędna nazwa linii specjalnej",
    "Menu aktywności: Błędny numer linii specjalnej",
    "Usuwanie z warstwy tylko do odczytu",
    "Invalid \"where\"",
    "Poprzednia linia ma zerową długość",
    "Linia bazowa: Błąd w obliczeniach",
};
constexpr int kCodeCount = static_cast<int>(sizeof(kCodeMessages) / sizeof(kCodeMessages[0]));

}  // namespace

EListError EListError::IndexOutOfBounds(long long index) {
  return EListError("Indeks listy poza zakresem (" + std::to_string(index) + ")");
}

ENotImplemented::ENotImplemented(const std::string& name)
    : EInternalError(name + " not implemented yet") {}

EWindowsIOError::EWindowsIOError(const std::string& message, std::uint32_t errorCode)
    : EInOutError(message + " (" + platform::ErrorText(errorCode) + ")",
                  static_cast<int>(errorCode)) {}

EWindowsIOError EWindowsIOError::FromLastError(const std::string& message) {
  return EWindowsIOError(message, platform::LastError());
}

std::string ETolvikaError::CodeMessage(int code) {
  if (code >= 0 && code < kCodeCount) return kCodeMessages[code];
  return "Błąd nr " + std::to_string(code);
}

ETolvikaError::ETolvikaError(TolvikaErrorCode code)
    : ETolvikaError(static_cast<int>(code)) {}

ETolvikaError::ETolvikaError(int code)
    : Exception(CodeMessage(code)), Code(static_cast<std::uint8_t>(code)) {}

std::string FormatMessage(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text;
  if (length > 0) {
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    text.assign(buffer.data(), static_cast<std::size_t>(length));
  }
  va_end(args);
  return text;
}

bool IsSilentError(const std::exception& error) noexcept {
  return dynamic_cast<const EAbort*>(&error) != nullptr;
}
