// The system colours of the toolkit's palette, by the numbers of the system
// colour constants (the low byte of a colour value 0x800000NN).
//
// GUI thread (the palette belongs to the application object, which is made
// on first use).
#pragma once

#include <cstdint>

namespace platform {

// The numbers the program asks for.
inline constexpr int kSysColorWindow = 5;       // background of edits and lists
inline constexpr int kSysColorWindowText = 8;   // text on that background
inline constexpr int kSysColorButtonFace = 15;  // face of buttons and dialogs

// The colour (0x00BBGGRR) of system colour Index in the application's
// palette; black for a number without a colour here.
std::uint32_t SystemColor(int Index);

}  // namespace platform
