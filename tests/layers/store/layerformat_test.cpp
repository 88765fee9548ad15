#include <gtest/gtest.h>

#include <random>

#include "layer_fixture.h"
#include "layers/store/dberrors.h"
#include "layers/store/layerformat.h"

using namespace layerfmt;

TEST(LayerFormat, AddressesOfALineFileWithTenSlots) {
  EXPECT_EQ(DataStart(10), 5632);
  EXPECT_EQ(PacketSize(kLineRecordSize), 319536);
  EXPECT_EQ(PacketSize(kTextRecordSize), 401456);
  EXPECT_EQ(RecordAddress(1, 10, kLineRecordSize), 22064);
  EXPECT_EQ(RecordAddress(4096, 10, kLineRecordSize), 22064 + 4095 * 74);
  EXPECT_EQ(RecordAddress(4097, 10, kLineRecordSize), 5632 + 319536 + 16432);
  EXPECT_EQ(RecordNumberAt(5632, 10, kLineRecordSize), 1);
  EXPECT_EQ(RecordNumberAt(5632 + 319536 + 16432, 10, kLineRecordSize), 4097);
}

TEST(LayerFormat, AddressAndNumberAreInverseForRandomNumbers) {
  std::mt19937 rng(14);
  for (int i = 0; i < 2000; ++i) {
    const int slots = 10 + static_cast<int>(rng() % 241);
    const std::int64_t R = rng() % 2 ? kLineRecordSize : kTextRecordSize;
    const std::int64_t n = 1 + static_cast<std::int64_t>(rng() % 20000);
    const std::int64_t a = RecordAddress(n, slots, R);
    ASSERT_EQ(RecordNumberAt(a, slots, R), n);
    ASSERT_TRUE(IsRecordAddress(a, slots, R));
    ASSERT_FALSE(IsRecordAddress(a + 1, slots, R));
  }
  // Offsets inside a packet's header or table are no record addresses.
  EXPECT_FALSE(IsRecordAddress(5632 + 319536 + 100, 10, kLineRecordSize));
  EXPECT_FALSE(IsRecordAddress(0, 10, kLineRecordSize));
}

TEST(LayerFormat, CellsClampedAndUnclamped) {
  // Line cells against origin 0 and size 100.
  EXPECT_EQ(LineCell(-0.001, 0, 100), 1);
  EXPECT_EQ(LineCell(0, 0, 100), 2);
  EXPECT_EQ(LineCell(50, 0, 100), 128);
  EXPECT_EQ(LineCell(100, 0, 100), 254);
  EXPECT_EQ(LineCell(100.001, 0, 100), 255);
  EXPECT_EQ(LineCellUnclamped(100, 0, 100), 254);
  EXPECT_EQ(LineCellUnclamped(0, 0, 100), 2);
  EXPECT_EQ(LineCellUnclamped(37.5, 10, 100), static_cast<int>(27.5 * 252 / 100) + 2);
  // Text word cells.
  EXPECT_EQ(TextCell(-1, 0, 100), 1);
  EXPECT_EQ(TextCell(100, 0, 100), 65534);
  EXPECT_EQ(TextCell(101, 0, 100), 65535);
  EXPECT_EQ(TextCell(25, 0, 100), 16383 + 2);
  EXPECT_EQ(TextCellUnclamped(100, 0, 100), 65534);
  // A size that is not a number clamps rather than overflowing.
  EXPECT_EQ(LineCell(5, 0, std::nan("")), 1);
}

TEST(LayerFormat, HeaderChecksAndRepairs) {
  struct Case {
    const char* name;
    std::size_t offset;
    std::uint32_t bits;  // value written as u32 (type, colour) or float bits
    const char* error;   // nullptr: passes
    bool repairChanges;
  };
  auto f32 = [](float v) {
    std::uint32_t b;
    std::memcpy(&b, &v, 4);
    return b;
  };
  const Case cases[] = {
      {"type 1", kSubType, 5, nullptr, false},
      {"type 2", kSubType, 6, "Błąd w nagłówku podwarstwy. Zły typ warstwy", false},
      {"type 3", kSubType, 7, "Błąd w nagłówku podwarstwy. Zły typ warstwy", false},
      {"colour high byte", kSubColour, 0x01123456, "Błąd w nagłówku podwarstwy. Błedny kolor", true},
      {"width 1000.0", kSubWidth, f32(1000.0f), nullptr, false},
      {"width 1000.1", kSubWidth, f32(1000.1f),
       "Błąd w nagłówku podwarstwy. Grubość linii większa niż 1000", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SublayerHeader h = DefaultSublayerHeader();
    PutU32(&h[c.offset], c.bits);
    if (c.error) {
      try {
        CheckSublayerHeader(h);
        ADD_FAILURE() << "passed";
      } catch (const EDBWarstwaError& e) {
        EXPECT_STREQ(e.what(), c.error);
        EXPECT_EQ(e.Code, 0);
      }
    } else {
      EXPECT_NO_THROW(CheckSublayerHeader(h));
    }
    EXPECT_EQ(RepairSublayerHeader(h), c.repairChanges);
    if (c.offset == kSubColour) {
      EXPECT_EQ(GetU32(&h[kSubColour]), 0x123456u);
    }
    if (c.offset == kSubWidth) {
      EXPECT_EQ(GetF32(&h[kSubWidth]), 1000.0f);
    }
  }
  // A raised length word alone is no change.
  SublayerHeader shortHeader = DefaultSublayerHeader();
  PutU16(&shortHeader[0], 100);
  EXPECT_FALSE(RepairSublayerHeader(shortHeader));
  EXPECT_EQ(GetU16(&shortHeader[0]), 128);

  LineBlock line = DefaultLineBlock();
  PutF32(&line[13], 0.0f);
  EXPECT_THROW(CheckLineBlock(line), EDBWarstwaError);
  EXPECT_TRUE(RepairLineBlock(line));
  EXPECT_EQ(GetF32(&line[13]), 1.0f);
  PutF32(&line[8], 2000.0f);
  EXPECT_THROW(CheckLineBlock(line), EDBWarstwaError);
  EXPECT_TRUE(RepairLineBlock(line));
  EXPECT_EQ(GetF32(&line[8]), 1000.0f);

  TextBlock text = DefaultTextBlock();
  EXPECT_EQ(text[2], 23);
  EXPECT_EQ(GetF32(&text[20]), 5.0f);
  PutF32(&text[4], 0.0f);
  try {
    CheckTextBlock(text);
    ADD_FAILURE() << "passed";
  } catch (const EDBWarstwaError& e) {
    EXPECT_STREQ(e.what(), "Błąd w nagłówku podwarstwy.");
  }
  EXPECT_TRUE(RepairTextBlock(text));
  EXPECT_EQ(GetF32(&text[4]), 1.0f);
}

class SizedBlockTest : public LayerTest {};

TEST_F(SizedBlockTest, ShorterAndLongerStoredBlocks) {
  // A stored sublayer header of 100 bytes keeps the defaults of its tail; a
  // stored block of 200 bytes is read up to the reader's 128.
  Bytes bytes(400, 0xAB);
  PutU16(&bytes[0], 100);
  PutU16(&bytes[200], 200);
  PutU16(&bytes[300], 2);
  WriteBytes(PathOf("blocks"), bytes);
  platform::File f;
  ASSERT_TRUE(f.Open(PathOf("blocks"), platform::FileAccess::Read, platform::FileShare::DenyNone));

  SublayerHeader h = DefaultSublayerHeader();
  EXPECT_EQ(ReadSizedBlock(f, 0, h.data(), h.size()), 100);
  EXPECT_EQ(h[99], 0xAB);
  for (std::size_t i = 100; i < 128; ++i) ASSERT_EQ(h[i], 0) << i;

  h = DefaultSublayerHeader();
  EXPECT_EQ(ReadSizedBlock(f, 200, h.data(), h.size()), 128);
  EXPECT_EQ(h[127], 0xAB);

  // A length word of 2 reads nothing beyond it.
  LineBlock b = DefaultLineBlock();
  EXPECT_EQ(ReadSizedBlock(f, 300, b.data(), b.size()), 2);
  EXPECT_EQ(GetU16(&b[2]), 1);
  EXPECT_EQ(GetF32(&b[13]), 1.0f);

  // A block that promises more than the file holds is a read error.
  EXPECT_EQ(ReadSizedBlock(f, 390, h.data(), h.size()), -1);
}

TEST_F(SizedBlockTest, PacketHeaderZeroExtentReadAsATenth) {
  PacketHeader p;
  p.count = 0;
  p.flags = kPacketCells | kPacketFull;
  p.x0 = 5;
  p.dx = 0;
  p.dy = 0;
  const auto raw = EncodePacketHeader(p);
  Bytes bytes(raw.begin(), raw.end());
  bytes.resize(48, 0);
  WriteBytes(PathOf("packet"), bytes);
  platform::File f;
  ASSERT_TRUE(f.Open(PathOf("packet"), platform::FileAccess::Read, platform::FileShare::DenyNone));
  PacketHeader q;
  ASSERT_TRUE(ReadPacketHeader(f, 0, q));
  EXPECT_EQ(q.dx, 0.1);
  EXPECT_EQ(q.dy, 0.1);
  EXPECT_EQ(q.x0, 5);
  EXPECT_EQ(q.count, 4096);  // bits 0 and 1 set: full
}
