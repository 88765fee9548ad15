// Old-format layer files: a file of the input opened as an old line or text
// layer, every sublayer header and the layer header read, records read by
// number, the plain read and two rectangle reads run to their end, the
// statistics counted; then the file converted into the current format and,
// when the conversion takes it, the result read by the current format's
// reader, which must find the same live records in the same order. The
// reads must end with a result code or an error of the store; the
// conversion with a result or an input/output error, never a file left
// behind after a failure.
//
// Input: one choice byte (bit 0 text layer, bits 1-7 the small window's
// corner in tenths of the unit), then the file.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/errors.h"
#include "foundation/threads/cancelcheck.h"
#include "fuzz_common.h"
#include "layer_common.h"
#include "layers/store/bazai.h"
#include "layers/store/dberrors.h"
#include "layers/store/layerconv.h"
#include "layers/store/layerfiles.h"
#include "layers/store/layerstats.h"
#include "layers/store/oldlayer.h"

namespace {

constexpr int kMaxReads = 20000;

class NoProgress : public IConversionProgress {
public:
  void SetMax(std::int32_t) override {}
  void SetPosition(std::int32_t) override {}
  void CheckCanceled() override {}
};

// The numbers of the live records of the plain read.
std::vector<std::uint32_t> Numbers(TWarstwaFile& f) {
  std::vector<std::uint32_t> out;
  ObjectSaveRecord rec;
  int rc = f.ReadCurrent(rec);
  while (rc == kDBOk && static_cast<int>(out.size()) < kMaxReads) {
    out.push_back(rec.GetIndex());
    rc = f.ReadRecord(rec);
  }
  fuzz::Check(rc == kDBOk || rc == kDBEnd, "plain read ended with an unknown code");
  return out;
}

void Drain(TWarstwaFile& f, const TLayerRect& r) {
  ObjectSaveRecord rec;
  int n = 0;
  int rc = f.SeekFirst(r, rec);
  while (rc == kDBOk && n++ < kMaxReads) rc = f.ReadNext(rec);
  fuzz::Check(rc == kDBOk || rc == kDBEnd, "rectangle read ended with an unknown code");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SetDefaultLayerLockWait(nullptr);
  fuzz::Choices c(data, size);
  const std::uint8_t flags = c.Byte();
  const bool text = (flags & 1) != 0;
  const double corner = (flags >> 1) / 10.0;
  const std::string name = text ? "STARE---.--t" : "STARE---.--l";
  fuzz::PutFile(name, c.Rest(), c.RestSize());
  std::unique_ptr<TTextLinWarstwaFile> f;
  if (text) f = std::make_unique<TTxtWarstwaFile>(fuzz::Scratch(), name, 7);
  else f = std::make_unique<TLinWarstwaFile>(fuzz::Scratch(), name, 7);
  std::uint8_t mode = kOpenRead;
  if (f->Open(mode) != kDBOk) return 0;
  std::vector<std::uint32_t> live;
  try {
    TMainWarstwaHeader m;
    try {
      f->ReadWarstwaHeader(m);
      fuzz::Check(m.Slots == 10, "header beyond the ten slots");
    } catch (const EDBError&) {
    }
    for (int i = -1; i <= 10; ++i) {
      TWarstwaHeader h;
      try {
        f->ReadPodwarstwaHeader(h, i);
      } catch (const EDBError&) {
      }
    }
    for (int n = 0; n <= 64; ++n) {
      ObjectSaveRecord rec;
      try {
        if (f->ReadRecordAt(n, rec) == kDBOk)
          fuzz::Check(rec.GetSublayer() <= 10, "sublayer beyond the ten slots");
      } catch (const EInOutError&) {
      }
    }
    live = Numbers(*f);
    Drain(*f, {-1e300, -1e300, 1e300, 1e300});
    Drain(*f, {corner, corner, corner + 1, corner});
    TDBStatystykaList stats(NoCancel());
    f->Statystyka(stats);
  } catch (const EInOutError&) {
  }
  f->Close();

  fuzz::RemoveFile("NOWE----.--l");
  const std::string target = fuzz::PathOf("NOWE----.--l");
  NoProgress progress;
  bool converted = false;
  try {
    ConvertLayerFile(fuzz::PathOf(name), target, progress);
    converted = true;
  } catch (const EInOutError&) {
    fuzz::Check(!std::filesystem::exists(target), "a failed conversion left its file");
  }
  if (!converted) return 0;
  FuzzBase base;
  // The converted file's kind follows the old header, not the name.
  const std::vector<std::uint8_t> bytes = fuzz::ReadFile(target);
  const bool newText = bytes.size() > 74 && (bytes[74] & 3) == 0;
  std::unique_ptr<TNewTextLinWarstwaFile> g;
  if (newText) g = std::make_unique<TNewTextWarstwaFile>(&base, fuzz::Scratch(), "NOWE----.--l");
  else g = std::make_unique<TNewLinWarstwaFile>(&base, fuzz::Scratch(), "NOWE----.--l");
  mode = kOpenRead;
  fuzz::Check(g->Open(mode) == kDBOk, "converted file does not open");
  try {
    TMainWarstwaHeader m;
    g->ReadWarstwaHeader(m);
    for (int i = 0; i <= m.Highest; ++i) {
      TWarstwaHeader h;
      g->ReadPodwarstwaHeader(h, i);
    }
  } catch (const EDBError& e) {
    fuzz::Fail(std::string("converted headers unreadable: ") + e.what());
  }
  // Same kind as the old reader's class: the same live records.
  const std::vector<std::uint32_t> again = Numbers(*g);
  if (newText == text && static_cast<int>(live.size()) < kMaxReads)
    fuzz::Check(again == live, "converted file holds other live records");
  g->Close();
  return 0;
}
