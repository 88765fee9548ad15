#include "layers/store/oldformat.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "foundation/storage/bytes.h"
#include "foundation/storage/real48.h"
#include "foundation/text/filenames.h"
#include "foundation/text/polishletters.h"
#include "platform/files/codepage.h"

namespace oldfmt {

Header DefaultHeader() {
  Header h{};
  PutU16(&h[kHLength], static_cast<std::uint16_t>(kHeaderMax));
  h[kHShown] = 1;
  for (std::size_t i = 321; i < 329; ++i) h[i] = 1;
  WriteReal48(&h[kHLineWidth], 0.25);
  h[337] = 1;
  WriteReal48(&h[kHWidth1], 0.25);
  WriteReal48(&h[kHWidth2], 0.25);
  h[kHJustification] = 7;
  PutU32(&h[357], 0xFFFFFFFFu);
  return h;
}

bool IsLineName(std::string_view fileName) {
  return !fileName.empty() && (fileName.back() == 'L' || fileName.back() == 'l');
}

std::uint16_t MagicFor(std::string_view fileName) {
  return IsLineName(fileName) ? kLineMagic : kTextMagic;
}

int ReadHeader(platform::File& file, int slot, std::string_view fileName, Header& h) {
  if (slot < 0 || slot >= kSlots) return 2;
  const std::int64_t size = file.Size();
  if (size < kDataStart) return 2;
  const std::uint64_t at = static_cast<std::uint64_t>(slot * kSlotSize);
  std::uint8_t head[4];
  if (file.ReadAt(at, head, sizeof head) != static_cast<std::int64_t>(sizeof head)) return 2;
  if (GetU16(head) != MagicFor(fileName)) return 2;
  Header read = DefaultHeader();
  std::memcpy(read.data(), head, sizeof head);
  const std::size_t stored = std::min<std::size_t>(GetU16(head + 2), kHeaderMax);
  if (stored > 4) {
    const std::size_t n = stored - 4;
    if (file.ReadAt(at + 4, &read[4], n) != static_cast<std::int64_t>(n)) return 2;
  }
  const std::string name = platform::Utf8ToCp1250(OldLayerFileToName(fileName)).substr(0, 10);
  std::memset(&read[kHName], 0, 11);
  read[kHName] = static_cast<std::uint8_t>(name.size());
  std::memcpy(&read[kHName + 1], name.data(), name.size());
  h = read;
  return 0;
}

std::string StoredString(const std::uint8_t* p, std::size_t n) {
  const std::size_t len = std::min<std::size_t>(p[0], n);
  return std::string(reinterpret_cast<const char*>(p + 1), len);
}

std::string MazoviaToCp1250(std::string_view bytes) {
  std::array<unsigned char, 256> table{};
  for (int c = 0; c < 256; ++c) table[static_cast<std::size_t>(c)] = static_cast<unsigned char>(c);
  for (int i = 0; i < kPolishLetterCount; ++i)
    table[PolishLetterByte(pcMazovia, i)] = PolishLetterByte(pcCp1250, i);
  std::string out(bytes);
  for (char& c : out) c = static_cast<char>(table[static_cast<unsigned char>(c)]);
  return out;
}

double Real(const std::uint8_t* p) { return Real48ToDouble(p); }

float ToSingle(double v) {
  constexpr double kMax = std::numeric_limits<float>::max();
  if (v != v) return 0.0f;
  return static_cast<float>(std::clamp(v, -kMax, kMax));
}

}  // namespace oldfmt
