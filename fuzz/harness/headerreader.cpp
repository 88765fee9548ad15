// Header files read by TTextHeaderReader: the whole header of the input is
// read, then every key it holds is looked up as text, integer and real. A
// bad file raises the reader's own errors and nothing else.
//
// Input: the header file.
#include <cstdint>
#include <string>

#include "foundation/errors.h"
#include "foundation/storage/headerreader.h"
#include "fuzz_common.h"
#include "platform/files/codepage.h"

namespace {

constexpr std::size_t kMaxLookups = 500;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz::PutFile("naglowek.txt", data, size);
  try {
    TTextHeaderReader reader(path);
    // The keys are what stands before '=' on each line, as the program
    // would ask for them.
    const std::string text = platform::Cp1250ToUtf8(
        std::string_view(reinterpret_cast<const char*>(data), size));
    std::size_t lookups = 0;
    for (std::size_t start = 0; start < text.size() && lookups < kMaxLookups; ++lookups) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      const std::string line = text.substr(start, end - start);
      start = end + 1;
      const std::size_t eq = line.find('=');
      const std::string key = eq == std::string::npos ? line : line.substr(0, eq);
      std::string value;
      const bool present = reader.GetValue(key, value);
      std::int32_t n = 0;
      double x = 0;
      try {
        fuzz::Check(reader.GetInt(key, n) == present, "GetInt and GetValue disagree: " + key);
      } catch (const EConvertError&) {
        fuzz::Check(present, "GetInt raised for an absent key: " + key);
      }
      try {
        fuzz::Check(reader.GetReal(key, x) == present, "GetReal and GetValue disagree: " + key);
      } catch (const EConvertError&) {
        fuzz::Check(present, "GetReal raised for an absent key: " + key);
      }
    }
  } catch (const EConvertError&) {
    fuzz::Fail("the constructor raised a conversion error");
  } catch (const Exception&) {
    // "Błąd w pliku" and the like: the reader's own refusal.
  }
  return 0;
}
