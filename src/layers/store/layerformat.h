// The layer file: one layer of vector data (line objects or text objects) of
// up to 250 sublayers, the archived earlier states of its objects, the
// sublayer headers and a coarse spatial index, shared by several workstations
// under byte-range locks on its header. All integers little-endian; string[n]
// is a length byte and n bytes of code page 1250; f32/f64 IEEE.
//
// Layout (S sublayer slots, P packets, R record size: 74 line, 94 text):
//   off                  size                     content
//   0                    512                      header block
//   512                  512 x S                  sublayer slots 0..S-1
//   512 + 512 x S        P x (16432 + 4096 x R)   packets 0..P-1
//
// Header block: 0 "TV_1"; 4 u16 64; 6..69 lock area (never written);
// 70 layer descriptor (104); 174..511 zero.
// Layer descriptor (offsets within it): 0 u16 length 104; 2 u16 packet count;
// 4 u32 kind word (bits 0-1 kind 0 text / 1 line, bit 2 index valid);
// 8 string[79] description; 88 u8 highest sublayer in use; 89 u8 slot count
// S (10..250); 90 u8 reserved (2); 91 zero; 92 u32 free-list head; 96 u32
// added-record count; 100 u32 free record count.
// Sublayer slot i at 512 + 512 i: 0 stored header (128); 341 parameter block
// (17 line, 49 text); the rest zero.
// Stored sublayer header: 0 u16 length 128; 2 u32 type and flags (bits 0-1
// kind, bit 2 visible); 6 string[13]; 20 string[79]; 100 u32 colour (high
// byte 0); 104 f64 threshold; 112 i32 live count; 116 i32 archived count;
// 120 f32 line width (<= 1000); 124 u32 print colour.
// Packet: 48-byte header (0 u16 length 40; 2 u16 count; 4 u32 flags; 8 f64
// X0; 16 f64 Y0; 24 f64 DX; 32 f64 DY), 4096 cells of 4 bytes, 4096 record
// slots. Packet flags: bit 0 cells kept; bit 1 full; bit 2 a used slot has a
// zero cell; bit 3 no used slot has a non-zero cell; bit 4 a cell may lie
// outside the extent.
// Record n (from 1) lies in packet (n-1) div 4096 at slot (n-1) mod 4096.
// Common record part: 0 u32 kind (bits 0-4), bit 30 archived, bit 31 in use;
// 4 u16 creator; 6 u16 modifier; 8 packed creation; 12 packed modification;
// 16 u8 sublayer. Free record: 0 u32 next free offset; 4 u32 run length;
// 8 u32 offset of the run's last record (runs of more than one), rest zero.
//
// Invariants:
//   1. 10 <= S <= 250; highest sublayer < S.
//   2. Only the last packet is partly used; its count is the slots used; the
//      file ends at the last used slot of the last packet.
//   3. Offsets are 32-bit signed: the file stays below 2^31 bytes.
//   4. Cells are meaningful only while packet bit 0 and descriptor bit 2 hold.
//
// Plain functions and values; any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/files/files.h"

namespace layerfmt {

inline constexpr char kMagic[4] = {'T', 'V', '_', '1'};
inline constexpr std::uint16_t kMagicWord = 64;
inline constexpr std::int64_t kHeaderSize = 512;
inline constexpr std::int64_t kSlotSize = 512;
inline constexpr std::uint64_t kLockAreaOffset = 6;
inline constexpr std::uint64_t kLockAreaLength = 64;
inline constexpr std::int64_t kDescriptorOffset = 70;
inline constexpr std::size_t kDescriptorSize = 104;
inline constexpr std::size_t kSublayerHeaderSize = 128;
inline constexpr std::size_t kLineBlockSize = 17;
inline constexpr std::size_t kTextBlockSize = 49;
inline constexpr std::int64_t kParamBlockOffset = 341;
inline constexpr std::int64_t kCountersOffset = 112;
inline constexpr std::size_t kPacketHeaderSize = 40;
inline constexpr std::int64_t kPacketHeaderSlot = 48;
inline constexpr std::int64_t kRecordsPerPacket = 4096;
inline constexpr std::int64_t kCellTableSize = 4 * kRecordsPerPacket;
inline constexpr std::int64_t kPacketOverhead = kPacketHeaderSlot + kCellTableSize;  // 16432
inline constexpr std::int64_t kLineRecordSize = 74;
inline constexpr std::int64_t kTextRecordSize = 94;
inline constexpr int kMinSlots = 10;
inline constexpr int kMaxSlots = 250;
inline constexpr std::int64_t kMaxFileSize = 0x7FFFFFFF;

// Descriptor offsets.
inline constexpr std::size_t kDescLength = 0;
inline constexpr std::size_t kDescPackets = 2;
inline constexpr std::size_t kDescKind = 4;
inline constexpr std::size_t kDescText = 8;
inline constexpr std::size_t kDescHighest = 88;
inline constexpr std::size_t kDescSlots = 89;
inline constexpr std::size_t kDescReserved = 90;
inline constexpr std::size_t kDescFreeHead = 92;
inline constexpr std::size_t kDescAdded = 96;
inline constexpr std::size_t kDescFreeCount = 100;
inline constexpr std::uint32_t kKindMask = 0x3;
inline constexpr std::uint32_t kKindIndexValid = 0x4;
inline constexpr int kKindText = 0;
inline constexpr int kKindLine = 1;

// Sublayer header offsets.
inline constexpr std::size_t kSubLength = 0;
inline constexpr std::size_t kSubType = 2;
inline constexpr std::size_t kSubShortName = 6;
inline constexpr std::size_t kSubFullName = 20;
inline constexpr std::size_t kSubColour = 100;
inline constexpr std::size_t kSubThreshold = 104;
inline constexpr std::size_t kSubLive = 112;
inline constexpr std::size_t kSubArchived = 116;
inline constexpr std::size_t kSubWidth = 120;
inline constexpr std::size_t kSubPrintColour = 124;

// Packet flags.
inline constexpr std::uint32_t kPacketCells = 0x1;
inline constexpr std::uint32_t kPacketFull = 0x2;
inline constexpr std::uint32_t kPacketZeroCell = 0x4;
inline constexpr std::uint32_t kPacketNoLive = 0x8;
inline constexpr std::uint32_t kPacketOutside = 0x10;

// Record state bits of the first word.
inline constexpr std::uint32_t kRecInUse = 0x80000000u;
inline constexpr std::uint32_t kRecArchivedBit = 0x40000000u;
inline constexpr std::size_t kRecCreator = 4;
inline constexpr std::size_t kRecModifier = 6;
inline constexpr std::size_t kRecCreated = 8;
inline constexpr std::size_t kRecModified = 12;
inline constexpr std::size_t kRecSublayerByte = 16;

using Descriptor = std::array<std::uint8_t, kDescriptorSize>;
using SublayerHeader = std::array<std::uint8_t, kSublayerHeaderSize>;
using LineBlock = std::array<std::uint8_t, kLineBlockSize>;
using TextBlock = std::array<std::uint8_t, kTextBlockSize>;

inline std::int64_t PacketSize(std::int64_t R) { return kPacketOverhead + kRecordsPerPacket * R; }
inline std::int64_t DataStart(int slots) { return kHeaderSize + kSlotSize * slots; }
inline std::int64_t SlotOffset(int i) { return kHeaderSize + kSlotSize * i; }

// File offset of record n (n >= 1).
std::int64_t RecordAddress(std::int64_t n, int slots, std::int64_t R);
// Record number of a file offset (1 for offsets at or before record 1).
std::int64_t RecordNumberAt(std::int64_t offset, int slots, std::int64_t R);
// True when offset is exactly the address of a record.
bool IsRecordAddress(std::int64_t offset, int slots, std::int64_t R);

// Index cells of a coordinate v against origin o and size d: 1 before the
// extent, 255 (65535) beyond it, else floor((v - o) x 252 / d) + 2 (65532
// for texts) computed exactly, so the far edge of an extent computed as
// max - o gives 254 (65534) and a point on a query rectangle's edge gets
// the edge's cell. The unclamped forms, used for points known to lie inside
// an extent just computed, give the same cells.
std::uint8_t LineCell(double v, double o, double d);           // 1, 2..254, 255
std::uint8_t LineCellUnclamped(double v, double o, double d);  // for points inside
std::uint16_t TextCell(double v, double o, double d);          // 1, 2..65534, 65535
std::uint16_t TextCellUnclamped(double v, double o, double d);

// Defaults, checks and repairs of the sized blocks. The checks raise
// EDBWarstwaError with the first failed check; the repairs never raise and
// answer whether a value other than the length word changed.
Descriptor DefaultDescriptor();
SublayerHeader DefaultSublayerHeader();
LineBlock DefaultLineBlock();
TextBlock DefaultTextBlock();
void CheckSublayerHeader(const SublayerHeader& h);
bool RepairSublayerHeader(SublayerHeader& h);
void CheckLineBlock(const LineBlock& b);
bool RepairLineBlock(LineBlock& b);
void CheckTextBlock(const TextBlock& b);
bool RepairTextBlock(TextBlock& b);

// Reads a sized block at offset over what block holds: the stored length L,
// then min(L, size) - 2 further bytes when that is more than 0. Answers the
// bytes read, or -1 when the file could not give the length word or the
// bytes it promises (the block then keeps its defaults beyond what came).
std::int64_t ReadSizedBlock(platform::File& file, std::int64_t offset, std::uint8_t* block,
                            std::size_t size);

// A packet header as read: a stored extent size 0 is taken as 0.1, and a
// header with bits 0 and 1 both set counts 4096 slots.
struct PacketHeader {
  std::uint16_t count = 0;
  std::uint32_t flags = 0;
  double x0 = 0, y0 = 0, dx = 0, dy = 0;
  bool Full() const { return (flags & kPacketFull) != 0 || count >= kRecordsPerPacket; }
  std::int64_t Used() const { return Full() ? kRecordsPerPacket : count; }
};
// Reads the header of the packet starting at offset; false on a read error
// or a file that ends inside it.
bool ReadPacketHeader(platform::File& file, std::int64_t offset, PacketHeader& h);
// The 40 stored bytes of a header as the writer keeps them (extent as is).
std::array<std::uint8_t, kPacketHeaderSize> EncodePacketHeader(const PacketHeader& h);

// Fixed-width string fields: string[n] at p.
std::string GetShortString(const std::uint8_t* p, std::size_t n);
// Stores text (code page 1250 bytes) cut to n; true when it was cut.
bool PutShortString(std::uint8_t* p, std::size_t n, std::string_view text);

}  // namespace layerfmt
