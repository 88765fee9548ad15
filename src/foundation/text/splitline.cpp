#include "foundation/text/splitline.h"

#include "foundation/containers/itemarray.h"
#include "foundation/errors.h"
#include "foundation/text/numtext.h"

TSplitLine::TSplitLine(std::string line) : line_(std::move(line)) {
  const std::size_t len = line_.size();
  std::size_t i = 0;
  while (i < len) {
    while (i < len && line_[i] == ' ') ++i;
    // Trailing blanks after a field still make one more, empty field.
    // A quoted field runs to the closing quote, any other to the next blank.
    const bool quoted = i < len && line_[i] == '"';
    const std::size_t start = quoted ? i + 1 : i;
    std::size_t end = line_.find(quoted ? '"' : ' ', start);
    if (end == std::string::npos) end = len;
    fields_.push_back(Field{start, end - start});
    i = end + 1;
  }
}

const TSplitLine::Field& TSplitLine::At(std::int32_t index) const {
  CheckItemIndex(index, Count() - 1);
  return fields_[static_cast<std::size_t>(index)];
}

std::string TSplitLine::GetText(std::int32_t index) const {
  const Field& f = At(index);
  return line_.substr(f.Start, f.Length);
}

std::int32_t TSplitLine::GetInt(std::int32_t index) const {
  const std::string text = GetText(index);
  std::int32_t value = 0;
  if (!TryStrToInt(text, value)) throw EConvertError("Błąd konwersji: " + text);
  return value;
}

double TSplitLine::GetReal(std::int32_t index) const {
  double value = 0;
  if (!TryStrToReal(GetText(index), value)) throw EConvertError("Błąd konwersji");
  return value;
}
