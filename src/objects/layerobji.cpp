#include "objects/layerobji.h"

#include <cstdio>
#include <numbers>

namespace {

class TBuiltinFormat final : public ICursorFormat {
 public:
  std::string FormatCoord(double V) const override {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", V);
    return buf;
  }
  std::string FormatAngle(double Radians) const override {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", Radians * 180.0 / std::numbers::pi);
    return buf;
  }
};

const TBuiltinFormat kBuiltin;
const ICursorFormat* gFormat = nullptr;

}  // namespace

const ICursorFormat& CursorFormat() { return gFormat ? *gFormat : kBuiltin; }

void SetCursorFormat(const ICursorFormat* F) { gFormat = F; }
