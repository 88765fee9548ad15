// The text splitters of the line-oriented files: comma pieces, quoted
// fields, font specifications, blank-separated fields with their numbers, and
// the tokenizer in both modes. Nothing may read past the line or loop
// without end; conversions either give a value or raise EConvertError.
//
// Input: one choice byte (the quoting character and the least count), then
// the line.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/containers/objlist.h"
#include "foundation/errors.h"
#include "foundation/text/splitline.h"
#include "foundation/text/textsplit.h"
#include "foundation/text/tokenizer.h"
#include "fuzz_common.h"

namespace {

void Tokens(TTokenizer& t) {
  std::string token;
  double x = 0;
  std::int32_t n = 0;
  // Every call consumes a token or ends the line.
  for (int i = 0; i < 10000; ++i) {
    std::string rest;
    (void)t.Rest(rest);
    bool more = false;
    switch (i % 4) {
      case 0: more = t.NextToken(token); break;
      case 1: more = t.NextReal(x) || t.Pos != -1; break;
      case 2: more = t.NextRealComma(x) || t.Pos != -1; break;
      default: more = t.NextInt(n) || t.Pos != -1; break;
    }
    if (!more) return;
  }
  fuzz::Fail("the tokenizer gave more tokens than the line has characters");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Choices c(data, size);
  const std::uint8_t choice = c.Byte();
  const char quote = (choice & 1) ? '\'' : '"';
  const std::int32_t minCount = choice >> 4;
  const std::string line(reinterpret_cast<const char*>(c.Rest()), c.RestSize());
  if (line.size() > 4000) return 0;  // the tokenizer's bound below

  TStrList pieces;
  SplitText(line, pieces, minCount, (choice & 2) != 0);
  fuzz::Check(pieces.Count() >= minCount, "SplitText gave fewer pieces than asked for");
  std::vector<std::string> fields;
  SplitToStrings(line, fields, quote, minCount);
  fuzz::Check(static_cast<std::int32_t>(fields.size()) >= minCount,
              "SplitToStrings gave fewer fields than asked for");
  std::string name;
  std::int32_t fontSize = 0, charset = 0, f4 = 0, f5 = 0;
  StrToFontSpec(line, name, fontSize, charset, f4, f5);

  TSplitLine split(line);
  for (std::int32_t i = 0; i < split.Count(); ++i) {
    const std::string text = split.GetText(i);
    fuzz::Check(text.size() <= line.size(), "a field is longer than its line");
    try {
      (void)split.GetInt(i);
    } catch (const EConvertError&) {
    }
    try {
      (void)split.GetReal(i);
    } catch (const EConvertError&) {
    }
  }

  TTokenizer words;
  words.Init(line);
  Tokens(words);
  TTokenizer runs;
  runs.InitEx(line);
  Tokens(runs);
  for (std::int32_t start : {-1, 0, 1, 2, static_cast<std::int32_t>(line.size())})
    (void)FindCharInSet(line, start, BlankChars());
  return 0;
}
