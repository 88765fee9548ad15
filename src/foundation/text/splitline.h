// A text line split into blank-separated fields. A field in double quotes
// may hold blanks (the quotes are not part of it); only the blank separates,
// tabs belong to fields. The object keeps the line and the start and length
// of every field. One thread at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TSplitLine {
public:
  explicit TSplitLine(std::string line);

  std::int32_t Count() const { return static_cast<std::int32_t>(fields_.size()); }
  const std::string& Line() const { return line_; }

  std::string GetText(std::int32_t index) const;
  // Raises EConvertError "Błąd konwersji: <field>" when the field is not a
  // 32-bit integer.
  std::int32_t GetInt(std::int32_t index) const;
  // Decimal point, optional exponent; raises EConvertError "Błąd konwersji"
  // when the field is not a number.
  double GetReal(std::int32_t index) const;

private:
  struct Field {
    std::size_t Start;  // 0-based
    std::size_t Length;
  };
  const Field& At(std::int32_t index) const;

  std::string line_;
  std::vector<Field> fields_;
};
