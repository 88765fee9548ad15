#include "layers/store/dberrors.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "platform/files/files.h"

EDBError EDBError::FromSystem(std::uint32_t systemCode) {
  return EDBError(platform::ErrorText(systemCode), static_cast<int>(systemCode));
}

EDBError EDBError::CreateCode(int code, const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text;
  if (n > 0) {
    std::vector<char> buffer(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, again);
    text.assign(buffer.data(), static_cast<std::size_t>(n));
  }
  va_end(again);
  return EDBError(std::move(text), code);
}

void CheckDBResult(int code) {
  if (code >= 0) return;
  switch (code) {
    case kDBEnd:
    case kDBNotImplemented:
    case kDBNoCatalogue:
      return;
    case kDBUnknownBase:
      throw EBadBaseId("DB: Błędny identyfikator bazy");
    case kDBNoBase:
      throw ENotLoggedIn("DB: Nie wlogowany");
    case kDBAccess:
      throw EAccessError("DB: Błąd dostępu");
    case kDBBadHandle:
      throw EInvalidHandle("DB: Błędny uchwyt");
    case kDBNotOpen:
      throw ENotOpen("DB: Warstwa nie otwarta");
    default:
      throw EDBError::CreateCode(code, "DB: Błąd: %d", code);
  }
}
