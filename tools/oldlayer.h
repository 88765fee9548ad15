// A builder of layer files of the previous format, for tests, fuzz seeds and
// the example data set; the program itself only reads that format. The
// bytes are laid out here from the format's own description (see "Old layer
// files" in docs/formats.md), without the program's reader, so that the
// reader is checked against an independent writer.
//
// Texts are given as the bytes the file stores (Mazovia letters); Mazovia()
// turns a UTF-8 text into them.
//
// Plain values; any thread may use its own builder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace oldlayer {

inline constexpr int kSlots = 10;
inline constexpr std::size_t kSlotSize = 512;
inline constexpr std::size_t kLineRecord = 45;
inline constexpr std::size_t kTextRecord = 58;

// One sublayer header record; every field is written, the stored length
// word tells the reader how many bytes count.
struct Header {
  std::optional<std::uint16_t> magic;  // default: that of the file's kind
  std::uint16_t length = 379;
  std::uint8_t kind = 1;               // slot 0: 1 line, 2 text
  std::string description;             // stored bytes, at most 80
  std::uint16_t colour = 0;
  std::uint32_t value = 0;
  std::uint16_t style = 0;
  std::uint8_t screenWidth = 0;
  double sizeMultiplier = 0;
  std::uint8_t textA = 0;
  std::uint8_t layerByte = 0;
  std::uint8_t textB = 0;
  std::uint8_t shown = 1;
  double lineWidth = 0.25;
  std::uint8_t byte335 = 0;
  std::uint8_t textBits = 0;
  double width1 = 0.25;
  double width2 = 0.25;
  std::uint8_t byte353 = 0;
  std::uint8_t byte354 = 0;
  std::uint8_t type = 0;
  std::uint8_t justification = 7;
  std::uint8_t highest = 0;
  std::string shortName;               // stored bytes, at most 10
  double threshold = 0;
};

struct LineRecord {
  bool deleted = false;
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  double radius = 0;                   // not written when styleNibble is 15
  double z1 = 0, z2 = 0;
  std::uint8_t kind = 0;               // 0 line, 1 arc, 2 circle
  bool thick = false;
  std::uint8_t styleNibble = 0;
  std::uint16_t styleScale = 1000;     // with styleNibble 15
  std::uint16_t styleNumber = 0;       // with styleNibble 15
  std::uint8_t sublayer = 0;
};

struct TextRecord {
  bool deleted = false;
  double x = 0, y = 0, height = 1, angle = 0;
  std::uint8_t flags = 0;              // 0x20: with a reference point
  std::string text;                    // stored bytes, at most 30 (18 with a reference point)
  std::optional<double> refX, refY;    // written with flag 0x20
  std::uint8_t sublayer = 0;
};

// The 512 bytes of a slot holding h (magic by line unless h.magic is set).
std::string EncodeSlot(const Header& h, bool line);
std::string EncodeLine(const LineRecord& r);
std::string EncodeText(const TextRecord& r);
// A UTF-8 text as stored: the Polish letters in Mazovia, other characters
// below 128 as they are, anything else '?'.
std::string Mazovia(std::string_view utf8);

class Builder {
public:
  explicit Builder(bool line) : line_(line) {}
  bool Line() const { return line_; }
  // Slots never set are written as zeros (no magic: unreadable).
  void SetSlot(int i, const Header& h) { slots_[static_cast<std::size_t>(i)] = EncodeSlot(h, line_); }
  void SetRawSlot(int i, std::string bytes) { slots_[static_cast<std::size_t>(i)] = std::move(bytes); }
  void Add(const LineRecord& r) { records_ += EncodeLine(r); }
  void Add(const TextRecord& r) { records_ += EncodeText(r); }
  // Raw bytes after the records (a cut record, junk).
  void AddRaw(std::string_view bytes) { records_ += bytes; }
  std::string Bytes() const;
  // Writes the file; false when it cannot be written whole.
  bool Write(const std::string& path) const;

private:
  bool line_;
  std::string slots_[kSlots];
  std::string records_;
};

}  // namespace oldlayer
