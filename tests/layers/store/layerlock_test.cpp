#include <gtest/gtest.h>

#include "common/peer_process.h"
#include "foundation/threads/cancel.h"
#include "foundation/errors.h"
#include "platform/gui/application.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/modality.h"
#include "layer_fixture.h"

namespace {

// A lock wait that counts the checks and cancels at the first.
struct CancelAtOnce : ICancelCheck {
  explicit CancelAtOnce(int* checks) : checks_(checks) {}
  void CheckCanceled() override {
    ++*checks_;
    throw ECanceled();
  }
  int* checks_;
};

LayerLockWaitFactory CancelWait(int* made, int* checks) {
  return [made, checks](const std::string& layer) {
    EXPECT_EQ(layer, "blok----.--l");
    ++*made;
    return std::unique_ptr<ICancelCheck>(new CancelAtOnce(checks));
  };
}

}  // namespace

class LayerLockTest : public LayerTest {
protected:
  void SetUp() override {
    LayerTest::SetUp();
    file_ = NewLine("blok----.--l");
  }
  std::unique_ptr<TNewLinWarstwaFile> file_;
};

TEST_F(LayerLockTest, AReaderWaitsForAWriterAndAWriterForAReader) {
  PeerProcess peer(HELPER_LAYERPEER);
  OpenRW(*file_);
  peer.Send("open " + file_->Path() + " 0");
  EXPECT_EQ(peer.Read(400), "timeout");  // waits while the writer holds the file
  ASSERT_EQ(file_->Close(), 0);
  EXPECT_EQ(peer.Read(5000), "ok 0");

  peer.Send("open " + file_->Path() + " 0");  // a reader again
  EXPECT_EQ(peer.Read(), "ok 0");
  std::uint8_t mode = kOpenWrite;
  int made = 0, checks = 0;
  file_->SetLockWait(CancelWait(&made, &checks));
  EXPECT_THROW(file_->Open(mode), ECanceled);
  EXPECT_EQ(made, 1);
  EXPECT_FALSE(file_->IsOpen());
  EXPECT_EQ(peer.Ask("close"), "ok 0");
  OpenRW(*file_);  // the cancelled wait left nothing behind
  EXPECT_EQ(file_->AddRecord(LineRec(1, 1, 2, 2)), 1);
  ASSERT_EQ(file_->Close(), 0);
}

TEST_F(LayerLockTest, AWriterWaitsUntilTheReaderCloses) {
  PeerProcess peer(HELPER_LAYERPEER);
  OpenR(*file_);
  peer.Send("open " + file_->Path() + " 1");
  EXPECT_EQ(peer.Read(400), "timeout");
  ASSERT_EQ(file_->Close(), 0);
  EXPECT_EQ(peer.Read(5000), "ok 0");
  EXPECT_EQ(peer.Ask("add"), "ok 1");
  EXPECT_EQ(peer.Ask("close"), "ok 0");
}

TEST_F(LayerLockTest, SixtyFourReadersAndASixtyFifth) {
  std::vector<std::unique_ptr<TNewLinWarstwaFile>> readers;
  for (int i = 0; i < 64; ++i) {
    readers.push_back(std::make_unique<TNewLinWarstwaFile>(&base_, Dir(), "blok----.--l"));
    OpenR(*readers.back());
  }
  int made = 0, checks = 0;
  file_->SetLockWait(CancelWait(&made, &checks));
  std::uint8_t mode = kOpenRead;
  EXPECT_THROW(file_->Open(mode), ECanceled);
  EXPECT_EQ(made, 1);
  EXPECT_EQ(checks, 1);
  ASSERT_EQ(readers[17]->Close(), 0);
  EXPECT_EQ(file_->Open(mode), 0);  // a byte is free again
  EXPECT_EQ(made, 1);
  // A writer in another process waits for all 64.
  PeerProcess peer(HELPER_LAYERPEER);
  peer.Send("open " + file_->Path() + " 1");
  EXPECT_EQ(peer.Read(300), "timeout");
  ASSERT_EQ(file_->Close(), 0);
  for (auto& r : readers) r->Close();
  EXPECT_EQ(peer.Read(5000), "ok 0");
}

// The wait shows the cancel window naming the layer; its "Anuluj" ends the
// open with ECanceled and leaves no lock behind.
TEST_F(LayerLockTest, LockWaitsWentOnWithoutAWordAndCouldNotBeCancelled) {
  platform::EnsureApplication();
  struct ClickingWait : ICancelCheck {
    std::unique_ptr<TCancel> window;
    std::string* text;
    bool clicked = false;
    void CheckCanceled() override {
      window->CheckCanceled();
      if (window->Window() && !clicked) {
        *text = window->TextWindow()->Caption();
        platform::PostClick(*window->Button(), 5, 5);
        clicked = true;
      }
    }
  };
  std::string shown;
  file_->SetLockWait([&shown](const std::string& layer) {
    auto wait = std::make_unique<ClickingWait>();
    wait->window = MakeLayerLockWaitWindow(layer);
    wait->text = &shown;
    return std::unique_ptr<ICancelCheck>(std::move(wait));
  });
  PeerProcess peer(HELPER_LAYERPEER);
  ASSERT_EQ(peer.Ask("open " + file_->Path() + " 1"), "ok 0");
  std::uint8_t mode = kOpenRead;
  EXPECT_THROW(file_->Open(mode), ECanceled);
  EXPECT_EQ(shown, "Oczekiwanie na dostęp do warstwy blok----.--l");
  EXPECT_FALSE(file_->IsOpen());
  EXPECT_EQ(peer.Ask("close"), "ok 0");
  EXPECT_EQ(peer.Ask("open " + file_->Path() + " 1"), "ok 0");  // nothing left locked
  EXPECT_EQ(peer.Ask("close"), "ok 0");
}
