// The view and cursor settings: a settings file of the input read by both
// groups as the global configuration reads them at start. Afterwards every
// value lies in its range, coordinates and angles format without failing,
// and writing both groups into a new file and reading that file again gives
// the same values.
//
// Input: the ini file.
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>

#include "foundation/geometry/realgeom.h"
#include "fuzz_common.h"
#include "platform/files/inifile.h"
#include "view/krzyzconf.h"
#include "view/viewcfg.h"

namespace {

void CheckCursor(const TKrzyzConf& c) {
  fuzz::Check(c.CelownikW >= 0 && c.CelownikW <= 10000 && c.CelownikH >= 0 && c.CelownikH <= 10000,
              "a sight size out of its range");
  fuzz::Check(c.SnapType <= 8, "a snap type out of its range");
  fuzz::Check(c.FullAngle == 360.0 || c.FullAngle == 400.0, "an angle unit neither degrees nor grads");
  fuzz::Check(std::isfinite(c.CelownikWmm) && std::isfinite(c.CelownikHmm), "a millimetre size not finite");
  for (long double value : {0.0L, -1.5L, 5501234.567L, 1e300L}) {
    const std::string text = c.FormatCoord(value);
    fuzz::Check(!text.empty() && text.find(' ') == std::string::npos, "a coordinate text empty or with blanks");
    const std::size_t point = text.find('.');
    const std::int32_t decimals = c.Decimals < 0 ? 0 : c.Decimals > 20 ? 20 : c.Decimals;
    const std::size_t digits = point == std::string::npos ? 0 : text.size() - point - 1;
    fuzz::Check(digits == static_cast<std::size_t>(decimals), "a coordinate text with other decimals: " + text);
  }
  for (long double angle : {0.0L, 1.0L, -3.5L, 1e20L}) (void)c.FormatAngle(angle);
}

void CheckView(const TTvViewCfg& v) {
  fuzz::Check(v.RozmiarX > 0 && v.RozmiarY > 0, "an image size below 1");
  fuzz::Check(v.AutoSize || (v.RozmiarX <= 99999 && v.RozmiarY <= 99999), "an image size beyond 99999");
  fuzz::Check(v.RefreshInterval > 0, "a repaint interval below 1 ms");
  fuzz::Check(v.AutoSaveInterval >= 0 && v.AutoSaveInterval % 60000 == 0, "an auto-save interval not in minutes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz::PutFile("tolvika.ini", data, size);
  TKrzyzConf cursor;
  TTvViewCfg view;
  {
    platform::TIniFile ini(path);
    cursor.Read(ini);
    view.Read(ini);
  }
  CheckCursor(cursor);
  CheckView(view);

  const std::string copy = fuzz::PathOf("copy.ini");
  std::filesystem::remove(copy);
  {
    platform::TIniFile ini(copy);
    cursor.Write(ini);
    view.Write(ini);  // a value read from a file can always be written back
    ini.UpdateFile();
  }
  TKrzyzConf cursor2;
  TTvViewCfg view2;
  {
    platform::TIniFile ini(copy);
    cursor2.Read(ini);
    view2.Read(ini);
  }
  fuzz::Check(cursor2.CelownikW == cursor.CelownikW && cursor2.CelownikH == cursor.CelownikH &&
                  cursor2.RysujKrzyz == cursor.RysujKrzyz && cursor2.Signal == cursor.Signal &&
                  cursor2.Speaker == cursor.Speaker && cursor2.ActivePriority == cursor.ActivePriority &&
                  cursor2.SnapType == cursor.SnapType,
              "the cursor settings do not read back as written");
  fuzz::Check(FloatToText(cursor2.CelownikWmm) == FloatToText(cursor.CelownikWmm) &&
                  FloatToText(cursor2.CelownikHmm) == FloatToText(cursor.CelownikHmm),
              "a millimetre size does not read back as written");
  fuzz::Check(view2.KolorTla == view.KolorTla && view2.AutoSize == view.AutoSize &&
                  view2.RefreshInterval == view.RefreshInterval && view2.LastBase == view.LastBase &&
                  view2.AutoSaveInterval == view.AutoSaveInterval && view2.AreaOnActive == view.AreaOnActive,
              "the view settings do not read back as written");
  fuzz::Check(view.AutoSize || (view2.RozmiarX == view.RozmiarX && view2.RozmiarY == view.RozmiarY),
              "an image size does not read back as written");
  return 0;
}
