#include "layers/store/oldlayer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "foundation/errors.h"
#include "foundation/storage/bytes.h"
#include "foundation/storage/fileopener.h"
#include "foundation/text/datetime.h"
#include "foundation/text/numtext.h"
#include "layers/store/dberrors.h"
#include "layers/store/layerstats.h"
#include "objects/saverecord.h"
#include "platform/files/codepage.h"

using namespace oldfmt;

namespace {

// The buffer of the sequential reads holds whole records, at most 65535 bytes.
std::int64_t BufferRecords(std::int64_t recordSize) { return 65535 / recordSize; }

[[noreturn]] void RaiseRead(const std::string& path) {
  const std::uint32_t code = platform::LastError();
  throw EInOutError("Błąd odczytu pliku " + path + " (" + platform::ErrorText(code) + ")",
                    static_cast<int>(code));
}

bool Inside(const TLayerRect& r, double x, double y) {
  return r.X1 <= x && x <= r.X2 && r.Y1 <= y && y <= r.Y2;
}

std::string Utf8Of(std::string_view cp1250) { return platform::Cp1250ToUtf8(cp1250); }

}  // namespace

TTextLinWarstwaFile::TTextLinWarstwaFile(std::string directory, std::string fileName,
                                         std::int64_t recordSize, std::uint32_t recordCount)
    : TWarstwaFile(std::move(directory), std::move(fileName), recordSize),
      recordCount_(recordCount) {}

TTextLinWarstwaFile::~TTextLinWarstwaFile() = default;

int TTextLinWarstwaFile::Open(std::uint8_t& mode) {
  if (mode == kOpenWrite) return kDBAccess;
  if (mode == kOpenWriteIfPossible) mode = kOpenRead;
  if (open_) return kDBOk;
  file_ = FileOpener().FileOpen(Path(), fmOpenRead | fmShareDenyWrite);
  if (!file_.IsOpen())
    return platform::LastError() == platform::kErrorSharingViolation ? kDBAccess : kDBNothing;
  open_ = true;
  readOnly_ = true;
  return kDBOk;
}

int TTextLinWarstwaFile::Close() {
  if (!open_) return kDBNothing;
  EndRead();
  file_.Close();
  open_ = false;
  readOnly_ = false;
  return kDBOk;
}

void TTextLinWarstwaFile::RequireOpen() const {
  if (!open_) throw ENotOpen();
}

std::uint8_t TTextLinWarstwaFile::Sublayer(std::uint8_t stored) const {
  return stored > kSlots ? 0 : stored;
}

void TTextLinWarstwaFile::StartRead(Read kind) {
  read_ = kind;
  fillPos_ = kDataStart;
  bufFirst_ = 0;
  bufIndex_ = 0;
  bufCount_ = 0;
}

void TTextLinWarstwaFile::EndRead() {
  read_ = Read::None;
  buffer_.clear();
  buffer_.shrink_to_fit();
  bufIndex_ = bufCount_ = 0;
}

const std::uint8_t* TTextLinWarstwaFile::NextStored(std::int64_t& number) {
  for (;;) {
    if (bufIndex_ >= bufCount_) {
      const std::int64_t next = fillPos_ + bufCount_ * recSize_;
      bufFirst_ += bufCount_;
      fillPos_ = next;
      if (buffer_.empty()) buffer_.resize(static_cast<std::size_t>(BufferRecords(recSize_) * recSize_));
      const std::int64_t got = file_.ReadAt(static_cast<std::uint64_t>(next), buffer_.data(), buffer_.size());
      if (got < 0) {
        EndRead();
        RaiseRead(Path());
      }
      bufCount_ = got / recSize_;
      bufIndex_ = 0;
      if (bufCount_ == 0) {
        EndRead();
        return nullptr;
      }
    }
    const std::uint8_t* r = &buffer_[static_cast<std::size_t>(bufIndex_ * recSize_)];
    ++bufIndex_;
    if (r[0] != 0) continue;  // deleted
    number = bufFirst_ + bufIndex_;
    return r;
  }
}

int TTextLinWarstwaFile::SeekFirst(const TLayerRect& rect, ObjectSaveRecord& rec) {
  if (!open_) return kDBNotOpen;
  StartRead(Read::Rect);
  rect_ = rect;
  return ReadNext(rec);
}

int TTextLinWarstwaFile::ReadNext(ObjectSaveRecord& rec) {
  if (!open_ || read_ != Read::Rect) return kDBNothing;
  std::int64_t n = 0;
  while (const std::uint8_t* r = NextStored(n)) {
    if (!InRect(r, rect_)) continue;
    Decode(r, rec);
    rec.SetIndex(static_cast<std::uint32_t>(n));
    return kDBOk;
  }
  return kDBEnd;
}

int TTextLinWarstwaFile::ReadCurrent(ObjectSaveRecord& rec) {
  if (!open_) return kDBNotOpen;
  StartRead(Read::Plain);
  return ReadRecord(rec);
}

int TTextLinWarstwaFile::ReadRecord(ObjectSaveRecord& rec) {
  if (!open_ || read_ != Read::Plain) return kDBNothing;
  std::int64_t n = 0;
  const std::uint8_t* r = NextStored(n);
  if (r == nullptr) return kDBEnd;
  Decode(r, rec);
  rec.SetIndex(static_cast<std::uint32_t>(n));
  return kDBOk;
}

int TTextLinWarstwaFile::ReadRecordAt(std::int64_t n, ObjectSaveRecord& rec) {
  if (!open_) return kDBNothing;
  const std::int64_t count = (file_.Size() - kDataStart) / recSize_;
  if (n < 1 || n > count)
    throw EInOutError("Błąd odczytu pliku " + Path() + " (rekord " + std::to_string(n) +
                      " poza końcem pliku)");
  std::vector<std::uint8_t> r(static_cast<std::size_t>(recSize_));
  if (file_.ReadAt(static_cast<std::uint64_t>(kDataStart + (n - 1) * recSize_), r.data(), r.size()) !=
      recSize_)
    RaiseRead(Path());
  Decode(r.data(), rec);
  rec.SetIndex(static_cast<std::uint32_t>(n));
  return kDBOk;
}

Header TTextLinWarstwaFile::SlotHeader(int i) {
  Header h;
  if (ReadHeader(file_, i, fileName_, h) != 0) throw EDBWarstwaError("Błąd podczas odczytu nagłówka");
  return h;
}

void TTextLinWarstwaFile::ReadPodwarstwaHeader(TWarstwaHeader& h, int i) {
  RequireOpen();
  if (i < 0 || i >= kSlots) throw EDBWarstwaInvalidHIdx("Błędny numer podwarstwy");
  const Header o = SlotHeader(i);
  const bool line = Kind() == 1;
  h.Threshold = Real(&o[kHThreshold]);
  h.ShortName = Utf8Of(StoredString(&o[kHShortName], 10));
  h.FullName = Utf8Of(MazoviaToCp1250(StoredString(&o[kHDescription], 80)));
  h.Colour = StdColor(GetU16(&o[kHColour]));
  h.Live = static_cast<std::int32_t>(recordCount_);
  h.Archived = 0;
  std::uint32_t type = line ? (static_cast<std::uint32_t>(o[kHType]) << 4) | 1u : 0u;
  if (o[kHShown] != 0) type |= 4;
  if (!line) {
    if (Real(&o[kHSizeMultiplier]) != 0) type |= 0x100000;
    if (o[kHTextA] != 0) type |= 0x10000;
    if (o[kHTextB] != 0) type |= 0x20000;
    type |= static_cast<std::uint32_t>(o[kHTextBits]) << 18;
  }
  h.Type = type;
  if (line) {
    h.StyleMultiplier = 1.0f;
    h.StyleNumber = static_cast<std::uint16_t>(GetU16(&o[kHStyle]) + 1);
    h.ScreenWidth = o[kHScreenWidth];
    h.Width1 = ToSingle(Real(&o[kHWidth1]));
    h.Width2 = ToSingle(Real(&o[kHWidth2]));
  } else {
    const double m = Real(&o[kHSizeMultiplier]);
    h.SizeMultiplier = m == 0 ? 1.0f : ToSingle(m);
    h.Justification = o[kHJustification];
    h.Sizes = {0.5f, 1.0f, 2.0f, 5.0f};
  }
}

void TTextLinWarstwaFile::ReadWarstwaHeader(TMainWarstwaHeader& h) {
  RequireOpen();
  const Header o = SlotHeader(0);
  h.Kind = o[kHKind] == kOldKindLine ? 1 : 0;
  // The description and the highest sublayer as stored; only the full names
  // of the sublayer headers are recoded.
  h.Description = Utf8Of(StoredString(&o[kHDescription], 80));
  h.Highest = static_cast<std::uint8_t>(StoredHighest(o));
  h.Slots = kSlots;
  h.Reserved = o[kHLayerByte];
}

void TTextLinWarstwaFile::GetUserIDs(std::int64_t, TUserIDs& ids) {
  ids.Creator = 0;
  ids.Modifier = 0;
  ClearPackedDateTime(ids.Created);
  ClearPackedDateTime(ids.Modified);
}

void TTextLinWarstwaFile::UpdateIndex(ICancelCheck*) {}

void TTextLinWarstwaFile::Statystyka(TDBStatystykaList& list) {
  RequireOpen();
  ObjectSaveRecord rec;
  int rc = ReadCurrent(rec);
  if (rc != kDBOk) return;
  list.Resize(kSlots + 1);
  while (rc == kDBOk) {
    AddElementToStatistics(rec, list.Item(rec.GetSublayer()));
    rc = ReadRecord(rec);
  }
}

// ---- line files ----

void TLinWarstwaFile::Decode(const std::uint8_t* r, ObjectSaveRecord& rec) const {
  rec.Clear();
  const std::uint8_t kindByte = r[43];
  std::uint8_t kind = kindByte & 0x07;
  if (kindByte & 0x08) kind |= 0x10;
  rec.SetKindByte(kind);
  rec.SetSublayer(Sublayer(r[44]));
  rec.SetDouble(kRecP1X, Real(r + 1));
  rec.SetDouble(kRecP1Y, Real(r + 7));
  rec.SetDouble(kRecP2X, Real(r + 13));
  rec.SetDouble(kRecP2Y, Real(r + 19));
  const int nibble = kindByte >> 4;
  // The radius field is read for every kind (signed for arcs); with the
  // style nibble 15 its first four bytes are the style words as well.
  rec.SetRadius(Real(r + 25));
  if (nibble == 15) {
    rec.SetWord(kRecStyle, GetU16(r + 27));
    rec.SetWord(kRecMultiplier, GetU16(r + 25));
  } else {
    rec.SetWord(kRecStyle, static_cast<std::uint16_t>(nibble));
    rec.SetWord(kRecMultiplier, 1000);
  }
  rec.SetSingle(kRecZ1, ToSingle(Real(r + 31)));
  rec.SetSingle(kRecZ2, ToSingle(Real(r + 37)));
}

bool TLinWarstwaFile::InRect(const std::uint8_t* r, const TLayerRect& rect) const {
  return Inside(rect, Real(r + 1), Real(r + 7)) || Inside(rect, Real(r + 13), Real(r + 19));
}

void TLinWarstwaFile::AddElementToStatistics(const ObjectSaveRecord& rec, TDBStatystyka& item) const {
  int kind = rec.GetKindByte() & 0x07;
  const double x1 = rec.GetDouble(kRecP1X), y1 = rec.GetDouble(kRecP1Y);
  const double x2 = rec.GetDouble(kRecP2X), y2 = rec.GetDouble(kRecP2Y);
  const double r = rec.GetRadius();
  double length = 0;
  switch (kind) {
    case 0:
      if (x1 == x2 && y1 == y2) kind = 3;
      else length = std::hypot(x2 - x1, y2 - y1);
      break;
    case 1: length = ArcLength(std::hypot(x2 - x1, y2 - y1), r); break;
    case 2: length = 2.0 * std::numbers::pi * r; break;
    default: break;
  }
  item.Add(1u << kind, 0, length);
}

// ---- text files ----

void TTxtWarstwaFile::Decode(const std::uint8_t* r, ObjectSaveRecord& rec) const {
  rec.Clear();
  const double x = Real(r + 1), y = Real(r + 7);
  rec.SetDouble(kRecAnchorX, x);
  rec.SetDouble(kRecAnchorY, y);
  rec.SetSingle(kRecHeight, ToSingle(Real(r + 13)));
  rec.SetSingle(kRecAngle, ToSingle(Real(r + 19)));
  rec.SetTextFlags(r[25]);
  std::string text = StoredString(r + 26, kTextMax);
  std::uint8_t kind = kTextKindText;
  if (r[25] & kRefPointFlag) {
    kind = kTextKindRefText;
    // The text as its length byte gives it: characters 19 on share their
    // bytes with the reference point.
    text = MazoviaToCp1250(text);
    rec.SetSingle(kRecRefX, ToSingle(Real(r + 51) - x));
    rec.SetSingle(kRecRefY, ToSingle(Real(r + 45) - y));
  } else if (!text.empty() && static_cast<std::uint8_t>(text[0]) == kSymbolMark) {
    kind = kTextKindSymbol;
    text = text.substr(1);
  } else {
    text = MazoviaToCp1250(text);
  }
  rec.SetKindByte(kind);
  text = text.substr(0, kRecTextMax);
  rec.SetByte(kRecText, static_cast<std::uint8_t>(text.size()));
  for (std::size_t i = 0; i < text.size(); ++i)
    rec.SetByte(kRecText + 1 + i, static_cast<std::uint8_t>(text[i]));
  rec.SetSublayer(Sublayer(r[57]));
}

bool TTxtWarstwaFile::InRect(const std::uint8_t* r, const TLayerRect& rect) const {
  return Inside(rect, Real(r + 1), Real(r + 7));
}

void TTxtWarstwaFile::AddElementToStatistics(const ObjectSaveRecord& rec, TDBStatystyka& item) const {
  item.Add(1u << ((rec.GetKindByte() & 0x07) + 8), rec.GetTextFlags() & 0x0F, 0.0);
}
