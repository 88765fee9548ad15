#include "foundation/text/textutil.h"

#include "platform/files/codepage.h"

std::string ReplaceChar(std::string_view S, char32_t From, char32_t To) {
  const std::string from = platform::CodePointToUtf8(From);
  const std::string to = platform::CodePointToUtf8(To);
  std::string out;
  out.reserve(S.size());
  std::size_t i = 0;
  while (i < S.size()) {
    const std::size_t length = platform::Utf8CharLength(S, i);
    const std::string_view ch = S.substr(i, length);
    if (ch == from) {
      out += to;
    } else {
      out += ch;
    }
    i += length;
  }
  return out;
}

std::string RemoveFirstSemicolon(std::string_view S, std::int32_t& P) {
  const std::size_t at = S.find(';');
  if (at == std::string_view::npos) {
    P = -1;
    return std::string(S);
  }
  P = static_cast<std::int32_t>(platform::Cp1250Length(S.substr(0, at)));
  std::string out(S.substr(0, at));
  out += S.substr(at + 1);
  return out;
}

std::string AddBackslash(std::string_view Path) {
  std::string out(Path);
  if (!out.empty() && out.back() != '\\' && out.back() != '/') out += '\\';
  return out;
}

std::int32_t StringsIndexOf(const std::vector<std::string>& Strings, std::string_view S,
                            std::int32_t Default) {
  for (std::size_t i = 0; i < Strings.size(); ++i) {
    if (platform::SameText(Strings[i], S)) return static_cast<std::int32_t>(i);
  }
  return Default;
}

std::string StringsGetDef(std::int32_t Index, const std::vector<std::string>& Strings,
                          std::string_view Default) {
  if (Index < 0 || static_cast<std::size_t>(Index) >= Strings.size()) return std::string(Default);
  return Strings[static_cast<std::size_t>(Index)];
}

bool SameTextPrefix(std::string_view A, std::string_view B, std::int32_t MinLen) {
  const std::size_t length = platform::Cp1250Length(A);
  if (static_cast<std::int64_t>(length) < MinLen) return false;
  if (platform::Cp1250Length(B) < length) return false;
  return platform::SameText(A, platform::TruncateCp1250(B, length));
}

std::string_view TrimBlanks(std::string_view S) {
  const auto first = S.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return S.substr(first, S.find_last_not_of(" \t") - first + 1);
}

std::string PadRight(std::string_view S, std::size_t Width) {
  const std::size_t n = platform::Cp1250Length(S);
  std::string out(S);
  if (n < Width) out.append(Width - n, ' ');
  return out;
}
