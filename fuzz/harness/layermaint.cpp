// Layer-file maintenance: a file of the input taken as a line or a text
// layer and put through the whole-file operations: more sublayer slots, the
// index rebuild, the purge of old archived states, moving and emptying a
// sublayer, removing the last one, the transformation in place and emptying
// the layer. Each must end normally or with an error of the store; and
// - more slots either leave the file byte for byte as it was (failure) or
//   keep every record readable under its number with the same content;
// - after the index rebuild every live record of the live scan whose first
//   point is a number is found by the rectangle scan over the whole plane;
// - an emptied layer reads no record.
//
// Input: one choice byte (bit 0 text layer, bits 1-2 slots to add less one,
// bits 3-4 source sublayer, bits 5-6 target sublayer, bit 7 empty the source
// instead of moving it), then the file.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "foundation/errors.h"
#include "foundation/storage/bytes.h"
#include "fuzz_common.h"
#include "layer_common.h"
#include "layers/store/bazai.h"
#include "layers/store/dberrors.h"
#include "layers/store/layerfiles.h"
#include "layers/store/layerformat.h"

namespace {

constexpr int kMaxReads = 20000;
constexpr int kProbe = 64;

// Records 1 to kProbe that read, by number, as their save-record bytes.
std::map<int, std::array<std::uint8_t, ObjectSaveRecord::kSize>> Probe(TNewTextLinWarstwaFile& f) {
  std::map<int, std::array<std::uint8_t, ObjectSaveRecord::kSize>> got;
  std::uint8_t mode = kOpenRead;
  try {
    if (f.Open(mode) != 0) return got;
    for (int n = 1; n <= kProbe; ++n) {
      ObjectSaveRecord rec;
      try {
        if (f.ReadRecordAt(n, rec) == 0) got[n] = rec.Bytes();
      } catch (const EDBError&) {
      }
    }
    f.Close();
  } catch (const EDBError&) {
  }
  return got;
}

// Numbers of the live scan (first point a number) and of the rectangle scan
// over the whole plane.
void Scans(TNewTextLinWarstwaFile& f, std::vector<std::uint32_t>& live, std::vector<std::uint32_t>& rect) {
  ObjectSaveRecord rec;
  int n = 0;
  for (int rc = f.ReadCurrent(rec); rc == 0 && n < kMaxReads; rc = f.ReadRecord(rec), ++n)
    // Text kinds 5 to 7 have no insertion point.
    if ((f.Kind() == layerfmt::kKindLine || (rec.GetByte(kRecKind) & 7) <= 4) && std::isfinite(rec.GetDouble(kRecP1X)) && std::isfinite(rec.GetDouble(kRecP1Y)) &&
        std::fabs(rec.GetDouble(kRecP1X)) < 1e300 && std::fabs(rec.GetDouble(kRecP1Y)) < 1e300)
      live.push_back(rec.GetLong(kRecIndex));
  n = 0;
  for (int rc = f.SeekFirst({-1e300, -1e300, 1e300, 1e300}, rec); rc == 0 && n < kMaxReads;
       rc = f.ReadNext(rec), ++n)
    rect.push_back(rec.GetLong(kRecIndex));
}

// A sized block of file at offset laid over its defaults, as the store reads
// it (the stored length word, at most size bytes).
template <std::size_t N>
void SizedBlock(const std::vector<std::uint8_t>& file, std::size_t offset, std::array<std::uint8_t, N>& block) {
  if (offset + 2 > file.size()) return;
  const std::size_t length = std::min<std::size_t>(GetU16(&file[offset]), N);
  for (std::size_t i = 2; i < length && offset + i < file.size(); ++i) block[i] = file[offset + i];
}

// Whether record n lies inside the file's structure: in one of the packets
// the descriptor counts and among its packet's used slots. Only those are
// records; a slot read by its number beyond them is not one, and whole-file
// operations rightly leave it out.
bool InStructure(const std::vector<std::uint8_t>& file, std::int64_t n, std::int64_t R) {
  using namespace layerfmt;
  Descriptor desc = DefaultDescriptor();
  SizedBlock(file, static_cast<std::size_t>(kDescriptorOffset), desc);
  const std::int64_t packet = (n - 1) / kRecordsPerPacket;
  if (n < 1 || packet >= GetU16(&desc[kDescPackets])) return false;
  const std::int64_t start = DataStart(desc[kDescSlots]) + packet * PacketSize(R);
  std::array<std::uint8_t, kPacketHeaderSize> raw{};
  SizedBlock(file, static_cast<std::size_t>(start), raw);
  PacketHeader h;
  h.count = GetU16(&raw[2]);
  h.flags = GetU32(&raw[4]);
  if ((h.flags & (kPacketCells | kPacketFull)) == (kPacketCells | kPacketFull)) h.count = kRecordsPerPacket;
  return (n - 1) % kRecordsPerPacket < h.Used();
}

template <class F>
bool Try(F f) {
  try {
    f();
    return true;
  } catch (const EDBError&) {
  } catch (const EInternalError&) {
  } catch (const EAccessViolation&) {
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SetDefaultLayerLockWait(nullptr);
  fuzz::Choices c(data, size);
  const std::uint8_t flags = c.Byte();
  const bool text = (flags & 1) != 0;
  const int add = ((flags >> 1) & 3) + 1;
  const int source = (flags >> 3) & 3;
  const int target = (flags >> 5) & 3;
  const bool clean = (flags & 0x80) != 0;
  const std::string name = text ? "fuzz----.--t" : "fuzz----.--l";
  const std::string path = fuzz::PutFile(name, c.Rest(), c.RestSize());
  FuzzBase base;
  std::unique_ptr<TNewTextLinWarstwaFile> f;
  if (text) f = std::make_unique<TNewTextWarstwaFile>(&base, fuzz::Scratch(), name);
  else f = std::make_unique<TNewLinWarstwaFile>(&base, fuzz::Scratch(), name);

  const auto before = Probe(*f);
  const std::vector<std::uint8_t> bytes = fuzz::ReadFile(path);
  if (Try([&] { f->AddPodwarstwaHeaderSpace(add); })) {
    const auto after = Probe(*f);
    for (const auto& [n, rec] : before) {
      if (!InStructure(bytes, n, f->RecordSize())) continue;
      const auto it = after.find(n);
      fuzz::Check(it != after.end() && it->second == rec, "a record changed with more slots");
    }
  } else {
    fuzz::Check(fuzz::ReadFile(path) == bytes, "failed slot addition changed the file");
  }
  fuzz::Check(!f->IsOpen(), "slot addition left the file open");

  if (Try([&] { f->UpdateIndex(); })) {
    std::uint8_t mode = kOpenRead;
    Try([&] {
      if (f->Open(mode) != 0) return;
      std::vector<std::uint32_t> live, rect;
      Scans(*f, live, rect);
      f->Close();
      if (live.size() < kMaxReads && rect.size() < kMaxReads) {
        std::size_t j = 0;
        for (std::uint32_t n : live) {
          while (j < rect.size() && rect[j] < n) ++j;
          fuzz::Check(j < rect.size() && rect[j] == n, "rebuilt index hides a live record");
        }
      }
    });
  }

  std::uint8_t mode = kOpenWrite;
  Try([&] {
    if (f->Open(mode) != 0) return;
    Try([&] { f->DeleteOldArch(0x50000000u); });
    Try([&] {
      if (clean) f->CleanPodwarstwa(source);
      else f->MovePodwarstwa(source, target);
    });
    Try([&] { f->DeleteLastPodwarstwa(); });
    Try([&] { f->DeleteOldArch(0); });
    f->Close();
  });
  if (f->IsOpen()) Try([&] { f->Close(); });

  TAffineMatrix m;
  m.a = 0.5, m.b = -0.25, m.c = 7, m.d = 0.25, m.e = 0.5, m.f = -3, m.s = 0.56;
  Try([&] { f->TransformWarstwa(m, ""); });
  fuzz::Check(!f->IsOpen(), "transformation left the file open");

  if (Try([&] { f->CleanWarstwa(""); })) {
    mode = kOpenRead;
    Try([&] {
      if (f->Open(mode) != 0) return;
      ObjectSaveRecord rec;
      fuzz::Check(f->ReadCurrent(rec) != 0, "emptied layer still has a record");
      f->Close();
    });
  }
  return 0;
}
