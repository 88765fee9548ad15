// Where every toolbar of a form lies (dock, row and position, or its place
// and wrap width when it floats) and whether it is shown, kept in an ini
// file: one section per toolbar, named after the toolbar's Name.
//
// Keys, in the order written: "Visible" (1/0), "DockedTo" (the dock's Name,
// "nil" when floating), "DockRow", "DockPos", "FloatLeft", "FloatTop",
// "FloatRight", "FloatBottom" (the float rectangle without the window's
// frame and caption, so the place does not depend on their metrics) and
// "FloatRightX" (the wrap width, 0 = one line). A toolbar in a dock that
// forbids dragging keeps only "Visible".
//
// Loading treats the file as hostile: a dock the form lacks (or that
// forbids dragging) is ignored, numbers that are not numbers give the
// defaults, and rows, positions and rectangles are bounded before use.
//
// GUI thread only. Nothing is kept between calls.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace platform {
class TComponent;
}

using TPositionReadInt =
    std::function<std::int32_t(std::string_view section, std::string_view key, std::int32_t def)>;
using TPositionReadString = std::function<std::string(std::string_view section,
                                                      std::string_view key, std::string_view def)>;
using TPositionWriteInt =
    std::function<void(std::string_view section, std::string_view key, std::int32_t value)>;
using TPositionWriteString =
    std::function<void(std::string_view section, std::string_view key, std::string_view value)>;

// Through callbacks (any store). A toolbar without a Name, or a docked one
// whose dock has none, raises Exception.
void CustomLoadToolbarPositions(platform::TComponent& form, const TPositionReadInt& readInt,
                                const TPositionReadString& readString);
void CustomSaveToolbarPositions(platform::TComponent& form, const TPositionWriteInt& writeInt,
                                const TPositionWriteString& writeString);

// Through an ini file (TIniFile). Saving writes the file and raises when it
// cannot be written (EIniFileError).
void LoadToolbarPositionsFromIni(platform::TComponent& form, const std::string& fileName);
void SaveToolbarPositionsToIni(platform::TComponent& form, const std::string& fileName);
