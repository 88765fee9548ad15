#include "foundation/geometry/clip.h"

TRealRect TClip::GetBounds() const { return TRealRect{}; }

bool TClip::ContainsPoint(const TRealPoint&) const { return false; }

bool TClip::AcceptsRecord(const IClipRecord&, std::uint32_t) const { return false; }

bool TRectClip::ContainsPoint(const TRealPoint& P) const { return RealRectContainsPoint(Rect, P); }

bool TRectClip::AcceptsRecord(const IClipRecord&, std::uint32_t) const { return true; }

TPolygonClip::TPolygonClip(std::unique_ptr<TRealPolygon> Polygon) { SetPolygon(std::move(Polygon)); }

void TPolygonClip::SetPolygon(std::unique_ptr<TRealPolygon> Polygon) {
  polygon_ = std::move(Polygon);
  if (polygon_) polygon_->RecalcBounds();
}

TRealRect TPolygonClip::GetBounds() const { return polygon_ ? polygon_->Bounds : TRealRect{}; }

bool TPolygonClip::ContainsPoint(const TRealPoint& P) const {
  return polygon_ && polygon_->ContainsPoint(P);
}

bool TPolygonClip::AcceptsRecord(const IClipRecord& Rec, std::uint32_t Options) const {
  if (ContainsPoint(Rec.FirstPoint())) return true;
  return (Options & kClipSecondPoint) != 0 && Rec.Kind() != kClipRecordCircle &&
         ContainsPoint(Rec.SecondPoint());
}

bool ClipContains(const TClip& Clip, const TRealPoint& P) { return Clip.ContainsPoint(P); }
