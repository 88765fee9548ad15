// Code-page conversion at the file boundary. The input read as code page 1250
// bytes must survive the way through UTF-8 unchanged; read as UTF-8 (as texts
// typed or converted arrive) it converts, measures, cuts, compares and changes
// case without reading past its end, and what it converts to comes back the
// same.
//
// Input: any bytes.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_common.h"
#include "platform/files/codepage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  using namespace platform;

  // Code page 1250 -> UTF-8 -> code page 1250 is the identity.
  const std::string utf8 = Cp1250ToUtf8(bytes);
  fuzz::Check(Utf8ToCp1250(utf8) == bytes, "code page 1250 -> UTF-8 -> code page 1250 changed the text");
  fuzz::Check(Cp1250Length(utf8) == size, "the UTF-8 form measures differently from its bytes");
  for (std::size_t i = 0; i < size; ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    const int back = UnicodeToCp1250(Cp1250ToUnicode(b));
    fuzz::Check(back == b, "a code-page byte does not map back: " + std::to_string(b));
    (void)UpperCp1250(b);
    (void)LowerCp1250(b);
  }
  fuzz::Check(UpperCase(UpperCase(utf8)) == UpperCase(utf8), "upper case is not stable");
  fuzz::Check(SameText(utf8, LowerCase(utf8)), "a text differs from its lower case ignoring case");

  // The input as UTF-8, valid or not.
  const std::string cp = Utf8ToCp1250(bytes);
  fuzz::Check(Cp1250Length(bytes) == cp.size(), "the measure of a UTF-8 text differs from its conversion");
  fuzz::Check(Utf8ToCp1250(Cp1250ToUtf8(cp)) == cp, "a converted text does not convert back");
  std::size_t chars = 0;
  for (std::size_t i = 0; i < size;) {
    const std::size_t n = Utf8CharLength(bytes, i);
    fuzz::Check(n >= 1 && i + n <= size, "a character runs past the end of the text");
    i += n;
    ++chars;
  }
  fuzz::Check(chars == cp.size(), "characters counted differ from code-page bytes");
  for (std::size_t max : {std::size_t{0}, std::size_t{1}, size / 2, size}) {
    const std::string cut = TruncateCp1250(bytes, max);
    fuzz::Check(cut.size() <= size && bytes.substr(0, cut.size()) == cut, "a cut text is no prefix");
    fuzz::Check(Cp1250Length(cut) <= max, "a cut text does not fit");
  }
  const std::string_view half = bytes.substr(0, size / 2);
  const int order = CompareOrdinal(bytes, half);
  fuzz::Check((order > 0) == (CompareOrdinal(half, bytes) < 0), "ordinal comparison is not antisymmetric");
  (void)CompareText(bytes, half);
  (void)UpperCase(bytes);
  (void)LowerCase(bytes);
  return 0;
}
