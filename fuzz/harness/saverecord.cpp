// Object save records: a 122-byte record of the input read through every
// field, its class chosen for the line layer and for the text layer, and,
// for every class with a registered factory, an object made from it and
// saved again. What an object writes keeps the record's invariants, and
// save -> read -> save gives the same bytes.
//
// The layer objects register their classes (RegisterLayerObjectClasses), so
// every loader of a layer object (lines, circles, arcs and their special
// kinds, points, texts, referenced texts, fractions, symbols) is fuzzed here;
// each object made is also asked for its bounds, handles and information
// rows. The smallest concrete plain line, circle and arc below stand in for
// any class nothing claims.
//
// Input: one choice byte (bit 0 a read-only text sublayer, bits 4-7 its
// default justification), then the record (cut or padded with zeros to 122
// bytes).
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "foundation/errors.h"
#include "foundation/settings/settings.h"
#include "fuzz_common.h"
#include "objects/circle.h"
#include "objects/grobj.h"
#include "objects/linear.h"
#include "objects/activepoints.h"
#include "objects/layerobjects.h"
#include "objects/saverecord.h"
#include "objects/symbollib.h"

namespace {

class TFuzzLinia : public TNELinia {
 public:
  using TNELinia::TNELinia;
  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TFuzzLinia>(); }
};

class TFuzzOkrag : public TNEOkrag {
 public:
  using TNEOkrag::TNEOkrag;
  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TFuzzOkrag>(); }
};

class TFuzzLuk : public TNELuk {
 public:
  using TNELuk::TNELuk;
  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TFuzzLuk>(); }
};

// Takes the information rows and drops them.
class TNullInfo final : public IGrObjInfo {
 public:
  void SetLabel(int, int, const std::string&) override {}
  void SetValue(int, int, const std::string&) override {}
};

template <class T>
void RegisterUnclaimed(TRecordClass C) {
  if (!IsRecordClassRegistered(C))
    RegisterRecordClass(C, [](const ObjectSaveRecord& Rec) { return std::make_unique<T>(Rec); });
}

void ReadEveryField(const ObjectSaveRecord& rec) {
  for (std::size_t off = 0; off + 8 <= ObjectSaveRecord::kSize; off += 3) {
    (void)rec.GetByte(off);
    (void)rec.GetWord(off);
    (void)rec.GetLong(off);
    (void)rec.GetSingle(off);
    (void)rec.GetDouble(off);
  }
  (void)rec.GetIndex();
  (void)rec.GetIdentifier();
  (void)rec.GetSublayerWithin(7);
  (void)rec.GetThickness();
  (void)rec.GetPoint1();
  (void)rec.GetPoint2();
  (void)rec.GetMultiplier();
  (void)rec.IsSpecial();
  (void)rec.GetAnchor();
  (void)rec.GetRefOffset();
  (void)rec.FirstPoint();
  (void)rec.SecondPoint();
  try {
    const std::string text = rec.GetText();
    std::string numerator, denominator;
    rec.GetFraction(numerator, denominator);
    ObjectSaveRecord copy;
    fuzz::Check(copy.SetText(text) == TStoreResult::Whole, "a stored text does not fit again");
    fuzz::Check(copy.GetText() == text, "a stored text does not read back");
  } catch (const Exception&) {
    // A length byte above 47: a damaged record, refused.
  }
}

// What an object writes keeps the record's invariants.
void CheckWritten(const ObjectSaveRecord& rec, const char* className) {
  const std::string who = std::string(" written by ") + className;
  fuzz::Check(rec.GetByte(0) == 0 && rec.GetByte(2) == 0, "reserved or sublayer byte set" + who);
  fuzz::Check(rec.GetFlags() == 0 || rec.GetFlags() == kRecArchived, "record flags" + who);
  fuzz::Check((rec.GetLong(kRecIndex) >> 27) == 0, "index bits 27-31 set" + who);
}

void SaveReadSave(TRecordClass cls, const ObjectSaveRecord& rec) {
  if (cls == TRecordClass::None || !IsRecordClassRegistered(cls)) return;
  const char* name = RecordClassName(cls);
  std::unique_ptr<TEGraphObj> obj;
  try {
    obj = CreateObjectFromRecord(cls, rec);
  } catch (const Exception&) {
    return;  // the class refuses the record with its own error
  }
  fuzz::Check(obj != nullptr, std::string("no object made for ") + name);
  (void)obj->GetBounds();
  (void)obj->GetStartPoint3();
  (void)obj->GetEndPoint3();
  TNullInfo info;
  obj->FillInfo(info);
  try {
    TActivePoints points(nullptr);
    obj->GetSnapPoints(points, nullptr);
    fuzz::Check(points.Count >= 0 && points.Count <= IActivePoints::kMaxPoints, "handle count out of range");
    (void)obj->GetBoundsFor(nullptr);
  } catch (const Exception&) {
    // No stroke font here: texts that measure themselves refuse with its error.
  }
  ObjectSaveRecord once;
  obj->SaveToRecord(once);
  CheckWritten(once, name);
  std::unique_ptr<TEGraphObj> again = CreateObjectFromRecord(cls, once);
  fuzz::Check(again != nullptr, std::string("no object made again for ") + name);
  ObjectSaveRecord twice;
  again->SaveToRecord(twice);
  // An archived object writes its archive bit as bit 31 of the identifier;
  // the reader drops it and takes the archive state from the record flags,
  // which the saving sublayer sets. Everything else must come back.
  once.SetIdentifier(once.GetIdentifier() & 0x7FFFFFFFu);
  twice.SetIdentifier(twice.GetIdentifier() & 0x7FFFFFFFu);
  fuzz::Check(once.Bytes() == twice.Bytes(), std::string("save -> read -> save changed the record of ") + name);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetLibraryErrorBox([](const std::string&) {});
  // Loading a special line or a symbol asks the program's libraries, which
  // read the settings: keep their file in the scratch folder, not the
  // working folder.
  SetSettingsMessageBox([](const std::string&, const std::string&) {});
  SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(fuzz::PathOf("tolvika.ini")));
  RegisterLayerObjectClasses();
  RegisterUnclaimed<TFuzzLinia>(TRecordClass::DefSpecLinia);
  RegisterUnclaimed<TFuzzOkrag>(TRecordClass::DefSpecOkrag);
  RegisterUnclaimed<TFuzzLuk>(TRecordClass::DefSpecLuk);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Choices c(data, size);
  const std::uint8_t choice = c.Byte();
  std::array<std::uint8_t, ObjectSaveRecord::kSize> bytes{};
  for (std::size_t i = 0; i < bytes.size() && i < c.RestSize(); ++i) bytes[i] = c.Rest()[i];
  const ObjectSaveRecord rec = ObjectSaveRecord::FromBytes(std::span<const std::uint8_t>(bytes));
  fuzz::Check(rec.Bytes() == bytes, "a record read from bytes holds other bytes");

  ReadEveryField(rec);
  const TTextSublayerState sublayer{(choice & 1) != 0, static_cast<std::uint8_t>(choice >> 4)};
  SaveReadSave(ChooseLineRecordClass(rec), rec);
  SaveReadSave(ChooseTextRecordClass(rec, sublayer), rec);
  return 0;
}
