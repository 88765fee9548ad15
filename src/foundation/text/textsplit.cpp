#include "foundation/text/textsplit.h"

#include "foundation/containers/objlist.h"
#include "foundation/text/numtext.h"

void SplitText(std::string_view Text, TStrList& List, std::int32_t MinCount,
               bool DropTrailingEmpty) {
  List.Clear();
  std::size_t start = 0;
  std::size_t comma = Text.find(',');
  while (comma != std::string_view::npos) {
    List.Add(std::string(Text.substr(start, comma - start)));
    start = comma + 1;
    comma = Text.find(',', start);
  }
  if (start < Text.size()) {
    List.Add(std::string(Text.substr(start)));
  } else if (!DropTrailingEmpty && Text != ",") {
    List.Add(std::string());
  }
  while (List.Count() < MinCount) List.Add(std::string());
}

void SplitToStrings(std::string_view Text, std::vector<std::string>& Strings, char Quote,
                    std::int32_t MinCount) {
  Strings.clear();
  std::size_t start = 0;
  bool open = false;
  bool closed = false;
  for (std::size_t i = 0; i < Text.size(); ++i) {
    const char c = Text[i];
    if (c == Quote && !closed) {
      if (open) {
        Strings.emplace_back(Text.substr(start, i - start));
        closed = true;
        open = false;
      } else {
        start = i + 1;
        open = true;
      }
    } else if (c == ',' && !open) {
      if (closed) {
        closed = false;
      } else {
        Strings.emplace_back(Text.substr(start, i - start));
      }
      start = i + 1;
    }
  }
  if (start < Text.size() && !closed) Strings.emplace_back(Text.substr(start));
  while (static_cast<std::int64_t>(Strings.size()) < MinCount) Strings.emplace_back();
}

void StrToFontSpec(std::string_view Text, std::string& Name, std::int32_t& Size,
                   std::int32_t& Charset, std::int32_t& Field4, std::int32_t& Field5) {
  TStrList pieces;
  SplitText(Text, pieces, 5, true);
  auto number = [&pieces](std::int32_t index, std::int32_t fallback) {
    std::int32_t n = 0;
    return TryStrToInt(pieces.Get(index), n) ? n : fallback;
  };
  Name = pieces.Get(0).empty() ? "Courier New" : pieces.Get(0);
  Size = number(1, 10);
  Charset = number(2, 238);
  Field4 = number(3, 1);
  Field5 = number(4, 1);
}
