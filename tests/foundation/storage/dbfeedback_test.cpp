#include "foundation/storage/dbfeedback.h"

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/storage/recordfile.h"
#include "platform/gui/application.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/responder.h"
#include "store_fixture.h"
#include "common/peer_process.h"

namespace {

class DBFeedbackTest : public ::testing::Test {
protected:
  void SetUp() override {
    platform::EnsureApplication();
    InstallDBFeedback();
  }
  void TearDown() override {
    DBWaitCursor = nullptr;
    DBHoldErrorBox = nullptr;
    platform::Application().SetScreenCursor(platform::crDefault);
  }

  platform::TScriptedResponder responder_{[](const std::string& m) { ADD_FAILURE() << m; }};
};

// Lock waits used to show nothing: nobody set the engine's hooks, so a wait
// that never ended looked like a frozen program.
TEST_F(DBFeedbackTest, LockWaitShowsTheLockCursorAndPutsBackTheOneBefore) {
  ASSERT_NE(DBWaitCursor, nullptr);
  EXPECT_TRUE(platform::CursorExists(crDbLock));
  platform::TApplication& app = platform::Application();
  app.SetScreenCursor(platform::crHourGlass);  // long work around the wait
  DBWaitCursor(true);
  EXPECT_EQ(app.ScreenCursor(), crDbLock);
  DBWaitCursor(true);  // a wait inside the wait
  DBWaitCursor(false);
  EXPECT_EQ(app.ScreenCursor(), crDbLock);
  DBWaitCursor(false);
  EXPECT_EQ(app.ScreenCursor(), platform::crHourGlass);
  DBWaitCursor(false);  // an end without a beginning changes nothing
  EXPECT_EQ(app.ScreenCursor(), platform::crHourGlass);
}

TEST_F(DBFeedbackTest, HoldErrorShowsTheTextWithAnEmptyCaptionAndOk) {
  ASSERT_NE(DBHoldErrorBox, nullptr);
  responder_.AnswerMessageBox(platform::IDOK);
  DBHoldErrorBox("Błąd: wejscie1");
  ASSERT_EQ(responder_.Shown().size(), 1u);
  const platform::TShownModal& box = responder_.Shown()[0];
  EXPECT_EQ(box.kind, platform::TModalKind::MessageBox);
  EXPECT_EQ(box.caption, "");
  EXPECT_EQ(box.text, "Błąd: wejscie1");
  EXPECT_EQ(box.flags, platform::MB_OK);
}

TEST_F(DBFeedbackTest, WorkerThreadWaitsAndErrorsLeaveTheWindowsAlone) {
  platform::TApplication& app = platform::Application();
  std::thread worker([] {
    DBWaitCursor(true);
    DBHoldErrorBox("Błąd: wyjscie");
    DBWaitCursor(false);
  });
  worker.join();
  EXPECT_EQ(app.ScreenCursor(), platform::crDefault);
  EXPECT_TRUE(responder_.Shown().empty());
}

// The engine's own wait, on a record file whose region another workstation
// holds for a while: the lock cursor is up while it waits and the cursor of
// before is back once the region is granted.
TEST_F(DBFeedbackTest, EngineLockWaitShowsTheLockCursor) {
  ScratchFolder scratch;
  const std::string path = scratch / "czekanie.dat";
  DBMultiUser = true;
  TDataFile f;
  MakeFile(f, nullptr, path, 40, true, false);
  ASSERT_TRUE(f.IsOpen);
  Bytes r(40, 0);
  std::int32_t n = 0;
  AddRec(f, n, r.data());
  ASSERT_EQ(n, 1);

  PeerProcess peer(HELPER_RECPEER);
  ASSERT_EQ(peer.Ask("multi 1"), "ok");
  ASSERT_EQ(peer.Ask("open " + path + " 40 1 0 0"), "ok 0");
  ASSERT_EQ(peer.Ask("holdput 300 1 51"), "ok");

  // The installed hook, watched: the screen cursor after each of its calls.
  static void (*installed)(bool) = nullptr;
  static std::vector<int> seen;
  installed = DBWaitCursor;
  seen.clear();
  DBWaitCursor = [](bool show) {
    installed(show);
    seen.push_back(platform::Application().ScreenCursor());
  };
  platform::Application().SetScreenCursor(platform::crHourGlass);
  GetRec(f, 1, r.data());
  EXPECT_EQ(r[1], 51);
  EXPECT_EQ(seen, (std::vector<int>{crDbLock, platform::crHourGlass}));
  EXPECT_EQ(peer.Read(), "done 0");
  CloseFile(f);
  DBMultiUser = false;
}

}  // namespace
