// What the user sees of the record and index engine's lock waits and hold
// errors: the "CR_DBLOCK" cursor while a lock is awaited (the wait never
// gives up, so without it a long wait looks like a frozen program), and a
// message box with an empty caption when an error passes through the
// opening or closing of a transaction hold. InstallDBFeedback sets the
// engine's hooks (DBWaitCursor, DBHoldErrorBox, recordfile.h) to these; the
// program calls it once at start-up.
//
// The hooks act only on the GUI thread: called from a worker thread they do
// nothing (the error still passes on to the worker's own handling). Nothing
// is owned.
#pragma once

#include "platform/gui/application.h"

// The number of the "CR_DBLOCK" cursor in the screen's cursor table, apart
// from the program's tool cursors 1 to 11.
inline constexpr int crDbLock = 100;

// The picture of the "CR_DBLOCK" cursor: an arrow with a padlock.
const platform::TCursorShape& DBLockCursorShape();

// Registers the "CR_DBLOCK" cursor and sets DBWaitCursor and DBHoldErrorBox.
// GUI thread, after the application object exists.
void InstallDBFeedback();
