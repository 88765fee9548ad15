// Where synthetic key events can go: the keyboard target of this program.
// GUI thread only.
#pragma once

namespace platform {

// True when a window of this program would take synthetic key events now:
// a control has the keyboard focus or one of its windows is active. False
// when the keyboard belongs to another application (or none at all).
bool ProgramHasKeyboardTarget();

}  // namespace platform
