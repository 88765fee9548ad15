#include "foundation/text/tokenizer.h"

#include <algorithm>

#include "foundation/text/numtext.h"
#include "platform/files/codepage.h"

namespace {

constexpr std::int32_t kRestMaxLength = 200;

// FindCharInSet on a text of code-page bytes.
std::int32_t FindInCodes(std::string_view codes, std::int32_t start, const TCharSet& set) {
  if (start < 1) start = 1;
  const auto length = static_cast<std::int32_t>(codes.size());
  if (start > length) return -1;
  for (std::int32_t i = start; i <= length; ++i) {
    if (set.test(static_cast<unsigned char>(codes[static_cast<std::size_t>(i - 1)]))) return i;
  }
  return length + 1;
}

}  // namespace

const TCharSet& WordChars() {
  static const TCharSet set = [] {
    TCharSet s;
    for (unsigned char c : std::string_view("\"(*,-?_")) s.set(c);
    for (int c = '0'; c <= '9'; ++c) s.set(c);
    for (int c = 'A'; c <= 'Z'; ++c) s.set(c);
    for (int c = 'a'; c <= 'z'; ++c) s.set(c);
    // Polish letters of code page 1250 and of the Mazovia code page.
    for (int c : {0x86, 0x8C, 0x8D, 0x8F, 0x90, 0x91, 0x92, 0x95, 0x98, 0x9C, 0x9E, 0x9F,
                  0xAF, 0xB3, 0xB9, 0xBF, 0xC6, 0xCA, 0xD1, 0xD3, 0xE6, 0xEA, 0xF1, 0xF3}) {
      s.set(c);
    }
    for (int c = 0xA0; c <= 0xA7; ++c) s.set(c);
    return s;
  }();
  return set;
}

const TCharSet& BlankChars() {
  static const TCharSet set = [] {
    TCharSet s;
    s.set('\t');
    s.set(' ');
    return s;
  }();
  return set;
}

std::int32_t FindCharInSet(std::string_view S, std::int32_t Start, const TCharSet& CharSet) {
  return FindInCodes(platform::Utf8ToCp1250(S), Start, CharSet);
}

void TTokenizer::Start(std::string_view Line) {
  line_.assign(Line);
  codes_.clear();
  offsets_.clear();
  std::size_t i = 0;
  while (i < line_.size()) {
    const std::size_t length = platform::Utf8CharLength(line_, i);
    offsets_.push_back(i);
    codes_ += platform::Utf8ToCp1250(std::string_view(line_).substr(i, length));
    i += length;
  }
  offsets_.push_back(line_.size());
  Pos = 1;
  Separators = BlankChars();
}

void TTokenizer::Init(std::string_view Line) {
  Start(Line);
  TokenChars = WordChars();
}

void TTokenizer::InitEx(std::string_view Line) {
  Start(Line);
  TokenChars = ~BlankChars();
}

std::string TTokenizer::Slice(std::int32_t From, std::int32_t To) const {
  const std::size_t begin = offsets_[static_cast<std::size_t>(From - 1)];
  const std::size_t end = offsets_[static_cast<std::size_t>(To - 1)];
  return line_.substr(begin, end - begin);
}

bool TTokenizer::NextToken(std::string& Token) {
  if (Pos < 0) return false;
  const auto length = static_cast<std::int32_t>(codes_.size());
  const std::int32_t start = FindInCodes(codes_, Pos, TokenChars);
  if (start < 0 || start > length) {
    Pos = -1;
    return false;
  }
  const std::int32_t stop = FindInCodes(codes_, start, Separators);
  Token = Slice(start, stop);
  Pos = stop;
  return true;
}

bool TTokenizer::NextReal(double& X) {
  std::string token;
  return NextToken(token) && TryStrToReal(token, X);
}

bool TTokenizer::NextRealComma(double& X) {
  std::string token;
  if (!NextToken(token)) return false;
  std::replace(token.begin(), token.end(), ',', '.');
  return TryStrToReal(token, X);
}

bool TTokenizer::NextInt(std::int32_t& N) {
  std::string token;
  return NextToken(token) && TryStrToInt(token, N);
}

bool TTokenizer::Rest(std::string& Text) const {
  if (Pos < 0) return false;
  const auto length = static_cast<std::int32_t>(codes_.size());
  const std::int32_t start = FindInCodes(codes_, Pos, ~Separators);
  if (start < 0 || start > length) return false;
  Text = Slice(start, std::min(length + 1, start + kRestMaxLength));
  return true;
}
