// Layer files: a file of the input opened as a line or a text layer, its
// layer and sublayer headers read, every record read by number, the three
// scans run to their end (the rectangle scan over a whole and a small
// window), the statistics counted, the index rebuild's cell steps run over
// every packet; then, when asked, the headers repaired, a record added,
// rewritten and archived, and the file reopened. The reads must end with a
// result code or an error of the store; a record that the store added must
// read back as written.
//
// Input: one choice byte (bit 0 text layer, bit 1 write, bits 2-7 the small
// window's corner in tenths of the unit), then the file.
#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "foundation/errors.h"
#include "foundation/storage/bytes.h"
#include "foundation/threads/cancelcheck.h"
#include "fuzz_common.h"
#include "layer_common.h"
#include "layers/store/bazai.h"
#include "layers/store/dberrors.h"
#include "layers/store/layerfiles.h"
#include "layers/store/layerquery.h"
#include "layers/store/layerstats.h"

namespace {

constexpr int kMaxReads = 20000;

int Drain(TNewTextLinWarstwaFile& f, int first, int (TNewTextLinWarstwaFile::*next)(ObjectSaveRecord&),
          ObjectSaveRecord& rec) {
  int n = 0;
  int rc = first;
  while (rc == 0 && n < kMaxReads) {
    ++n;
    rc = (f.*next)(rec);
  }
  fuzz::Check(rc == 0 || rc == kDBEnd || rc == kDBNothing, "scan ended with an unknown code");
  return n;
}

void ReadAll(TNewTextLinWarstwaFile& f, double corner) {
  ObjectSaveRecord rec;
  TMainWarstwaHeader main;
  f.ReadWarstwaHeader(main);
  for (int i = 0; i <= main.Slots; ++i) {
    TWarstwaHeader h;
    try {
      f.ReadPodwarstwaHeader(h, i);
    } catch (const EDBError&) {
    }
  }
  for (int n = 1; n <= 64; ++n) {
    try {
      f.ReadRecordAt(n, rec);
    } catch (const EDBError&) {
    }
  }
  Drain(f, f.ReadCurrent(rec), &TNewTextLinWarstwaFile::ReadRecord, rec);
  Drain(f, f.SeekFirst({-1e300, -1e300, 1e300, 1e300}, rec), &TNewTextLinWarstwaFile::ReadNext, rec);
  Drain(f, f.SeekFirst({corner, corner, corner + 1, corner}, rec), &TNewTextLinWarstwaFile::ReadNext, rec);
  TStanNaDzienRectQuery query(0x50000000u, {0, 0, 100, 100});
  Drain(f, f.SeekRecord(&query, rec), &TNewTextLinWarstwaFile::ReadRecordAtSeek, rec);
  TDBStatystykaList stats(NoCancel());
  try {
    f.Statystyka(stats);
  } catch (const EDBError&) {
  }
}

// The extent and cells of every packet the bytes hold, as the index rebuild
// makes them: a live line record's first point always gets cells.
void CellSteps(TNewTextLinWarstwaFile& f, const std::uint8_t* data, std::size_t size) {
  using namespace layerfmt;
  if (size < static_cast<std::size_t>(kHeaderSize)) return;
  const int slots = std::clamp<int>(data[kDescriptorOffset + kDescSlots], kMinSlots, kMaxSlots);
  const std::int64_t R = f.RecordSize();
  std::vector<std::uint32_t> cells(kRecordsPerPacket);
  for (std::int64_t start = DataStart(slots); start + kPacketOverhead <= static_cast<std::int64_t>(size);
       start += PacketSize(R)) {
    PacketHeader p;
    p.count = static_cast<std::uint16_t>(data[start + 2] | (data[start + 3] << 8));
    p.flags = kPacketNoLive;
    p.x0 = p.y0 = 1.7e308;
    TRealPoint max{-1.7e308, -1.7e308};
    const std::size_t from = static_cast<std::size_t>(start + kPacketOverhead);
    const std::span<const std::uint8_t> records(data + from, std::min<std::size_t>(
        static_cast<std::size_t>(kRecordsPerPacket * R), size - from));
    f.AddToExtent(records, p, max);
    p.dx = p.flags & kPacketNoLive ? 0.1 : (max.X - p.x0 == 0 ? 0.01 : max.X - p.x0);
    p.dy = p.flags & kPacketNoLive ? 0.1 : (max.Y - p.y0 == 0 ? 0.01 : max.Y - p.y0);
    std::fill(cells.begin(), cells.end(), 0u);
    f.FillCells(records, cells, p);
    if (f.Kind() == kKindLine) {
      const std::size_t used = std::min<std::size_t>(records.size() / static_cast<std::size_t>(R),
                                                     static_cast<std::size_t>(p.Used()));
      for (std::size_t i = 0; i < used; ++i) {
        const std::uint32_t state = GetU32(&records[i * static_cast<std::size_t>(R)]);
        if ((state >> 30) == 2) fuzz::Check((cells[i] & 0xFFFF) != 0, "live record without cells");
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SetDefaultLayerLockWait(nullptr);
  fuzz::Choices c(data, size);
  const std::uint8_t flags = c.Byte();
  const bool text = (flags & 1) != 0;
  const bool write = (flags & 2) != 0;
  const double corner = (flags >> 2) / 10.0;
  const std::string name = text ? "fuzz----.--t" : "fuzz----.--l";
  fuzz::PutFile(name, c.Rest(), c.RestSize());
  FuzzBase base;
  std::unique_ptr<TNewTextLinWarstwaFile> f;
  if (text) f = std::make_unique<TNewTextWarstwaFile>(&base, fuzz::Scratch(), name);
  else f = std::make_unique<TNewLinWarstwaFile>(&base, fuzz::Scratch(), name);
  std::uint8_t mode = write ? kOpenWrite : kOpenRead;
  try {
    if (f->Open(mode) != 0) return 0;
  } catch (const EDBError&) {
    return 0;
  }
  try {
    ReadAll(*f, corner);
  } catch (const EDBError&) {
  }
  CellSteps(*f, c.Rest(), c.RestSize());
  if (write) {
    try {
      f->FixHeader();
    } catch (const EDBError&) {
    }
    ObjectSaveRecord rec;
    rec.SetKindByte(text ? 2 : 0);
    rec.SetDouble(kRecP1X, 12.5);
    rec.SetByte(kRecText, 1);
    rec.SetByte(kRecText + 1, 'x');
    try {
      const std::int64_t n = f->AddRecord(rec);
      ObjectSaveRecord back;
      fuzz::Check(f->ReadRecordAt(n, back) == 0, "added record unreadable");
      fuzz::Check(back.GetDouble(kRecP1X) == 12.5, "added record reads back changed");
      f->WriteRecord(n, rec);
      f->MoveToArch(n, 5);
    } catch (const EDBError&) {
    }
  }
  try {
    f->Close();
  } catch (const EDBError&) {
    return 0;
  }
  mode = kOpenRead;
  try {
    if (f->Open(mode) == 0) {
      ReadAll(*f, corner);
      f->Close();
    }
  } catch (const EDBError&) {
  }
  return 0;
}
