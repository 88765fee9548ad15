#include "controls/toolbarpos.h"

#include <algorithm>
#include <vector>

#include "controls/dock.h"
#include "controls/floatwnd.h"
#include "controls/toolbar.h"
#include "platform/files/inifile.h"

using platform::TGdiRect;

namespace {

// Bounds of stored values: rows and positions far beyond any screen are
// damage, as are rectangles outside these coordinates.
constexpr std::int32_t kMaxRow = 1000;
constexpr std::int32_t kMaxCoordinate = 100000;
// A float window larger than this is damage too: it takes its own size.
constexpr std::int32_t kMaxExtent = 8192;

std::int32_t Bounded(std::int32_t v, std::int32_t limit) { return std::clamp(v, -limit, limit); }

bool IsEmpty(const TGdiRect& r) { return r.Right <= r.Left || r.Bottom <= r.Top; }

TDock* FindDock(platform::TComponent& form, const std::string& name) {
  for (int i = 0; i < form.ComponentCount(); ++i) {
    auto* dock = dynamic_cast<TDock*>(form.Components(i));
    if (dock != nullptr && dock->Name() == name) return dock;
  }
  return nullptr;
}

}  // namespace

void CustomSaveToolbarPositions(platform::TComponent& form, const TPositionWriteInt& writeInt,
                                const TPositionWriteString& writeString) {
  for (int i = 0; i < form.ComponentCount(); ++i) {
    auto* bar = dynamic_cast<TToolbar*>(form.Components(i));
    if (bar == nullptr) continue;
    const std::string& section = bar->Name();
    if (section.empty()) throw Exception("Name property not set");
    TDock* dock = bar->DockedTo();
    if (dock != nullptr && dock->Name().empty()) throw Exception("DockTo's Name property not set");
    writeInt(section, "Visible", bar->Visible() ? 1 : 0);
    if (dock != nullptr && !dock->AllowDrag()) continue;
    TGdiRect r = dock == nullptr ? bar->GetTrueBoundsRect() : bar->FloatRect();
    if (dock == nullptr || !IsEmpty(r)) {
      r = RemoveFloatingNCArea(r);
    } else {
      r = {};
    }
    writeString(section, "DockedTo", dock != nullptr ? dock->Name() : "nil");
    writeInt(section, "DockRow", bar->DockRow());
    writeInt(section, "DockPos", bar->DockPos());
    writeInt(section, "FloatLeft", r.Left);
    writeInt(section, "FloatTop", r.Top);
    writeInt(section, "FloatRight", r.Right);
    writeInt(section, "FloatBottom", r.Bottom);
    writeInt(section, "FloatRightX", bar->FloatRightX());
  }
}

void CustomLoadToolbarPositions(platform::TComponent& form, const TPositionReadInt& readInt,
                                const TPositionReadString& readString) {
  std::vector<TDock*> docks;
  for (int i = 0; i < form.ComponentCount(); ++i) {
    if (auto* dock = dynamic_cast<TDock*>(form.Components(i))) {
      dock->BeginArrange();
      docks.push_back(dock);
    }
  }
  auto finish = [&docks] {
    for (auto it = docks.rbegin(); it != docks.rend(); ++it) {
      (*it)->EndArrange();
      (*it)->ArrangeToolbars();
    }
  };
  try {
    for (int i = 0; i < form.ComponentCount(); ++i) {
      auto* bar = dynamic_cast<TToolbar*>(form.Components(i));
      if (bar == nullptr) continue;
      const std::string& section = bar->Name();
      if (section.empty()) throw Exception("Name property not set");
      bar->SetVisible(readInt(section, "Visible", bar->Visible() ? 1 : 0) != 0);
      std::string dockedTo = readString(section, "DockedTo", "");
      if (dockedTo.empty()) continue;
      TDock* dock = nullptr;
      if (dockedTo != "nil") {
        dock = FindDock(form, dockedTo);
        if (dock == nullptr || !dock->AllowDrag()) continue;
      }
      std::int32_t row = readInt(section, "DockRow", bar->DockRow());
      std::int32_t pos = readInt(section, "DockPos", bar->DockPos());
      TGdiRect r{Bounded(readInt(section, "FloatLeft", 0), kMaxCoordinate),
                 Bounded(readInt(section, "FloatTop", 0), kMaxCoordinate),
                 Bounded(readInt(section, "FloatRight", 0), kMaxCoordinate),
                 Bounded(readInt(section, "FloatBottom", 0), kMaxCoordinate)};
      std::int32_t wrap = std::clamp(readInt(section, "FloatRightX", 0), 0, kMaxCoordinate);
      // A row below 0 or far beyond any dock is damage: the first row, or
      // after the last.
      bar->dockRow_ = std::clamp(row, 0, kMaxRow);
      bar->dockPos_ = Bounded(pos, kMaxCoordinate);
      bar->SetFloatRightX(wrap);
      if (dock == nullptr) {
        r = AddFloatingNCArea(r);
        // A rectangle turned inside out: the toolbar takes its own size.
        bool damaged = IsEmpty(r) || r.Width() > kMaxExtent || r.Height() > kMaxExtent;
        bar->SetFloatRect(damaged ? TGdiRect{} : r);
        bar->SetDockedTo(nullptr);
        TGdiRect on = MoveOnScreen(bar->GetTrueBoundsRect());
        bar->SetTrueBounds(on.Left, on.Top, on.Width(), on.Height());
        bar->SetFloatRect(bar->GetTrueBoundsRect());
      } else {
        if (!IsEmpty(r) && r.Width() <= kMaxExtent && r.Height() <= kMaxExtent) {
          bar->SetFloatRect(AddFloatingNCArea(r));
        } else {
          bar->SetFloatRect({});
        }
        bar->SetDockedTo(dock);
      }
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

void LoadToolbarPositionsFromIni(platform::TComponent& form, const std::string& fileName) {
  platform::TIniFile ini(fileName);
  CustomLoadToolbarPositions(
      form,
      [&ini](std::string_view s, std::string_view k, std::int32_t d) {
        return ini.ReadInteger(s, k, d);
      },
      [&ini](std::string_view s, std::string_view k, std::string_view d) {
        return ini.ReadString(s, k, d);
      });
}

void SaveToolbarPositionsToIni(platform::TComponent& form, const std::string& fileName) {
  platform::TIniFile ini(fileName);
  CustomSaveToolbarPositions(
      form,
      [&ini](std::string_view s, std::string_view k, std::int32_t v) { ini.WriteInteger(s, k, v); },
      [&ini](std::string_view s, std::string_view k, std::string_view v) {
        ini.WriteString(s, k, v);
      });
  ini.UpdateFile();
}
