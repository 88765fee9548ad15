// Reader of header files: lines of "key = value" in code page 1250, up to a
// line starting with "**" or the end of the file. The whole header is read by
// the constructor; lookups ignore letter case and the first occurrence of a
// key wins. The object owns its texts; one thread at a time.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class TTextHeaderReader {
 public:
  // Raises Exception "Nie można otworzyć pliku: <FileName>" when the file
  // cannot be opened, and "Błąd w pliku: <FileName>\r\nLinia: <line>" for a
  // line without "=".
  explicit TTextHeaderReader(std::string_view FileName);

  // False when the key is absent.
  bool GetValue(std::string_view Key, std::string& Value) const;
  // False, N untouched, when the key is absent; a value that is no decimal
  // integer raises EConvertError "Błąd konwersji: <Key>".
  bool GetInt(std::string_view Key, std::int32_t& N) const;
  // False, X untouched, when the key is absent; a value that is no number
  // raises EConvertError "Błąd konwersji: <value>".
  bool GetReal(std::string_view Key, double& X) const;

 private:
  struct KeyLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
  };

  // Each key carries the index of its value in Values.
  std::map<std::string, std::size_t, KeyLess> Keys;
  // The values in file order.
  std::vector<std::string> Values;
};
