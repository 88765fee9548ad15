#include "layers/store/layerquery.h"

#include "foundation/storage/bytes.h"
#include "foundation/text/datetime.h"

using namespace layerfmt;

namespace {
bool Archived(const std::uint8_t* f) { return (GetU32(f) & kRecArchivedBit) != 0; }
bool Inside(const TLayerRect& r, double x, double y) {
  return r.X1 <= x && x <= r.X2 && r.Y1 <= y && y <= r.Y2;
}
}  // namespace

bool TWarQuery::Accept(const std::uint8_t*, int) const { return true; }
bool TWarQuery::AcceptElement(const ObjectSaveRecord&, int) const { return true; }

bool TStanNaDzienQuery::Accept(const std::uint8_t* f, int) const {
  const std::uint32_t created = GetU32(f + kRecCreated);
  const std::uint32_t modified = GetU32(f + kRecModified);
  if (Archived(f))
    return ComparePackedDateTime(Date, created) > 0 && ComparePackedDateTime(Date, modified) < 0;
  return ComparePackedDateTime(Date, modified) > 0;
}

bool TUserQuery::Accept(const std::uint8_t* f, int) const {
  if (Archived(f)) return GetU16(f + kRecCreator) == User;
  return GetU16(f + kRecModifier) != User;
}

bool ElementInRect(const ObjectSaveRecord& e, int kind, const TLayerRect& rect) {
  if (Inside(rect, e.GetDouble(kRecP1X), e.GetDouble(kRecP1Y))) return true;
  if (kind == kKindLine && (e.GetKindByte() & 0x7) != kLineKindCircle)
    return Inside(rect, e.GetDouble(kRecP2X), e.GetDouble(kRecP2Y));
  return false;
}

bool TStanNaDzienRectQuery::AcceptElement(const ObjectSaveRecord& e, int kind) const {
  return ElementInRect(e, kind, Rect);
}

bool TUserRectQuery::AcceptElement(const ObjectSaveRecord& e, int kind) const {
  return ElementInRect(e, kind, Rect);
}
