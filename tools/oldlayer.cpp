#include "tools/oldlayer.h"

#include <algorithm>
#include <cstring>
#include <fstream>

#include "foundation/storage/real48.h"

namespace oldlayer {

namespace {

void U8(std::string& b, std::size_t at, std::uint8_t v) { b[at] = static_cast<char>(v); }
void U16(std::string& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>(v >> 8);
}
void U32(std::string& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void Real(std::string& b, std::size_t at, double v) {
  const TReal48Bytes r = DoubleToReal48(v);
  std::memcpy(&b[at], r.data(), r.size());
}
void Str(std::string& b, std::size_t at, std::size_t n, std::string_view s) {
  const std::size_t len = std::min(n, s.size());
  b[at] = static_cast<char>(len);
  std::memcpy(&b[at + 1], s.data(), len);
}

}  // namespace

std::string EncodeSlot(const Header& h, bool line) {
  std::string b(kSlotSize, '\0');
  U16(b, 0, h.magic ? *h.magic : (line ? 0x2697 : 0x4DA5));
  U16(b, 2, h.length);
  U8(b, 4, h.kind);
  Str(b, 16, 80, h.description);
  U16(b, 97, h.colour);
  U32(b, 219, h.value);
  U16(b, 225, h.style);
  U8(b, 227, h.screenWidth);
  Real(b, 228, h.sizeMultiplier);
  U8(b, 234, h.textA);
  U8(b, 235, h.layerByte);
  U8(b, 236, h.textB);
  U8(b, 318, h.shown);
  for (std::size_t i = 321; i < 329; ++i) U8(b, i, 1);
  Real(b, 329, h.lineWidth);
  U8(b, 335, h.byte335);
  U8(b, 337, 1);
  U8(b, 338, h.textBits);
  Real(b, 341, h.width1);
  Real(b, 347, h.width2);
  U8(b, 353, h.byte353);
  U8(b, 354, h.byte354);
  U8(b, 355, h.type);
  U8(b, 356, h.justification);
  U32(b, 357, 0xFFFFFFFFu);
  U8(b, 361, h.highest);
  Str(b, 362, 10, h.shortName);
  Real(b, 373, h.threshold);
  return b;
}

std::string EncodeLine(const LineRecord& r) {
  std::string b(kLineRecord, '\0');
  U8(b, 0, r.deleted ? 1 : 0);
  Real(b, 1, r.x1);
  Real(b, 7, r.y1);
  Real(b, 13, r.x2);
  Real(b, 19, r.y2);
  if (r.styleNibble == 15) {
    U16(b, 25, r.styleScale);
    U16(b, 27, r.styleNumber);
  } else {
    Real(b, 25, r.radius);
  }
  Real(b, 31, r.z1);
  Real(b, 37, r.z2);
  U8(b, 43, static_cast<std::uint8_t>((r.kind & 7) | (r.thick ? 8 : 0) | (r.styleNibble << 4)));
  U8(b, 44, r.sublayer);
  return b;
}

std::string EncodeText(const TextRecord& r) {
  std::string b(kTextRecord, '\0');
  U8(b, 0, r.deleted ? 1 : 0);
  Real(b, 1, r.x);
  Real(b, 7, r.y);
  Real(b, 13, r.height);
  Real(b, 19, r.angle);
  U8(b, 25, r.flags);
  Str(b, 26, 30, r.text);
  if (r.refY) Real(b, 45, *r.refY);
  if (r.refX) Real(b, 51, *r.refX);
  U8(b, 57, r.sublayer);
  return b;
}

std::string Mazovia(std::string_view utf8) {
  static constexpr std::string_view kLetters[18] = {"Ą", "Ć", "Ę", "Ł", "Ń", "Ó", "Ś", "Ź", "Ż",
                                                    "ą", "ć", "ę", "ł", "ń", "ó", "ś", "ź", "ż"};
  static constexpr unsigned char kBytes[18] = {0x8F, 0x95, 0x90, 0x9C, 0xA5, 0xA3, 0x98, 0xA0, 0xA1,
                                               0x86, 0x8D, 0x91, 0x92, 0xA4, 0xA2, 0x9E, 0xA6, 0xA7};
  std::string out;
  std::size_t i = 0;
  while (i < utf8.size()) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    bool found = false;
    for (int k = 0; k < 18; ++k) {
      if (utf8.substr(i, kLetters[k].size()) == kLetters[k]) {
        out += static_cast<char>(kBytes[k]);
        i += kLetters[k].size();
        found = true;
        break;
      }
    }
    if (found) continue;
    out += '?';
    ++i;
    while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) ++i;
  }
  return out;
}

std::string Builder::Bytes() const {
  std::string out;
  for (const std::string& s : slots_) {
    std::string slot = s.empty() ? std::string(kSlotSize, '\0') : s;
    slot.resize(kSlotSize, '\0');
    out += slot;
  }
  return out + records_;
}

bool Builder::Write(const std::string& path) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const std::string bytes = Bytes();
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

}  // namespace oldlayer
