#include "foundation/storage/dbfeedback.h"

#include <string>

#include "foundation/storage/recordfile.h"
#include "platform/gui/dialogs.h"

namespace {

// Lock waits do not nest in practice (one thread, one wait at a time), but a
// hold error box shown inside a wait must not lose the cursor to restore.
int waitDepth = 0;
int cursorBefore = platform::crDefault;

void ShowWaitCursor(bool Show) {
  if (!platform::IsGuiThread()) return;
  platform::TApplication& app = platform::Application();
  if (Show) {
    if (waitDepth++ == 0) {
      cursorBefore = app.ScreenCursor();
      app.SetScreenCursor(crDbLock);
    }
  } else if (waitDepth > 0 && --waitDepth == 0) {
    app.SetScreenCursor(cursorBefore);
  }
}

void ShowHoldErrorBox(const std::string& Text) {
  if (!platform::IsGuiThread()) return;
  platform::MessageBox(Text, "", platform::MB_OK);
}

}  // namespace

const platform::TCursorShape& DBLockCursorShape() {
  static const platform::TCursorShape shape{
      {
          "X                   ",
          "XX                  ",
          "X.X                 ",
          "X..X                ",
          "X...X               ",
          "X....X              ",
          "X.....X             ",
          "X......X            ",
          "X.......X           ",
          "X........X          ",
          "X.....XXXXX         ",
          "X..X..X             ",
          "X.X X..X   XXXX     ",
          "XX  X..X  X....X    ",
          "X    X..X X.XX.X    ",
          "     X..X X.X X.X   ",
          "      XX XXXXXXXXX  ",
          "         X.......X  ",
          "         X...X...X  ",
          "         X...X...X  ",
          "         X.......X  ",
          "         XXXXXXXXX  ",
      },
      0,
      0};
  return shape;
}

void InstallDBFeedback() {
  platform::RegisterCursor(crDbLock, DBLockCursorShape());
  DBWaitCursor = ShowWaitCursor;
  DBHoldErrorBox = ShowHoldErrorBox;
}
