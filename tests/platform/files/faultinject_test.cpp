#include "platform/files/faultinject.h"

#include <string>

#include <gtest/gtest.h>

#include "platform/files/files.h"
#include "common/scratch_folder.h"

namespace {

using platform::FaultOp;
using platform::FaultPlan;
using platform::FaultScope;
using platform::File;

class FaultInjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    a_ = dir_.Put("a.dat", std::string(64, 'a'));
    b_ = dir_.Put("b.dat", std::string(64, 'b'));
    ASSERT_TRUE(fa_.Open(a_, platform::FileAccess::ReadWrite, platform::FileShare::DenyNone));
    ASSERT_TRUE(fb_.Open(b_, platform::FileAccess::ReadWrite, platform::FileShare::DenyNone));
  }
  void TearDown() override { platform::DisarmFault(); }

  ScratchFolder dir_;
  std::string a_, b_;
  File fa_, fb_;
};

// One fault: the n-th matching call fails and moves nothing, every other
// call works; handles of other paths are not counted.
TEST_F(FaultInjectTest, NthCallOfTheFilteredPathFailsOnce) {
  FaultScope fault(FaultPlan{FaultOp::Write, 2, false, "a.dat"});
  const char x = 'x';
  EXPECT_EQ(fb_.WriteAt(0, &x, 1), 1);
  EXPECT_EQ(fa_.WriteAt(0, &x, 1), 1);
  EXPECT_FALSE(platform::FaultStruck());
  EXPECT_EQ(fa_.WriteAt(1, &x, 1), -1);
  EXPECT_EQ(platform::LastError(), platform::kErrorDiskFull);
  EXPECT_TRUE(platform::FaultStruck());
  EXPECT_EQ(fa_.WriteAt(1, &x, 1), 1);
  char back[3] = {};
  EXPECT_EQ(fa_.ReadAt(0, back, 3), 3);
  EXPECT_EQ(std::string(back, 3), "xxa");
}

// A persistent fault fails every matching call until disarmed; an unlock
// fault still releases the range.
TEST_F(FaultInjectTest, PersistentFaultsAndUnlock) {
  {
    FaultScope fault(FaultPlan{FaultOp::Flush, 1, true, {}});
    EXPECT_FALSE(fa_.Flush());
    EXPECT_FALSE(fb_.Flush());
    EXPECT_EQ(platform::FaultCalls(), 2u);
  }
  EXPECT_TRUE(fa_.Flush());
  {
    FaultScope fault(FaultPlan{FaultOp::SetSize, 1, false, {}});
    EXPECT_FALSE(fa_.SetSize(10));
    EXPECT_EQ(fa_.Size(), 64);
  }
  ASSERT_TRUE(fa_.LockRange(5, 2));
  {
    FaultScope fault(FaultPlan{FaultOp::Unlock, 1, false, {}});
    EXPECT_FALSE(fa_.UnlockRange(5, 2));
  }
  EXPECT_FALSE(fb_.IsLockedByOther(5, 2));
  EXPECT_TRUE(fa_.LockRange(5, 2));
  char c = 0;
  {
    FaultScope fault(FaultPlan{FaultOp::Read, 1, false, {}});
    EXPECT_EQ(fa_.ReadAt(0, &c, 1), -1);
  }
  EXPECT_EQ(fa_.ReadAt(0, &c, 1), 1);
}

// A rename fault leaves both names as they were; the filter matches the old
// name.
TEST_F(FaultInjectTest, RenameFaultKeepsBothFiles) {
  const std::string c = dir_ / "c.dat";
  {
    FaultScope fault(FaultPlan{FaultOp::Rename, 1, false, "b.dat"});
    EXPECT_FALSE(platform::RenameFile(b_, a_));
    EXPECT_EQ(platform::LastError(), platform::kErrorAccessDenied);
    EXPECT_EQ(ScratchFolder::Get(a_), std::string(64, 'a'));
    EXPECT_EQ(ScratchFolder::Get(b_), std::string(64, 'b'));
  }
  EXPECT_TRUE(platform::RenameFile(b_, c));
  EXPECT_EQ(ScratchFolder::Get(c), std::string(64, 'b'));
}

// Block copies: whole blocks and a short tail arrive; a failed read or write
// stops the copy, says how far it got and keeps the failure's code; a source
// that ends early is a failure too.
TEST_F(FaultInjectTest, CopyFileBlocksChecksEveryTransfer) {
  std::string big(3 * platform::kCopyBlock + 100, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 251);
  const std::string src = dir_.Put("src.dat", big);
  File from, to;
  ASSERT_TRUE(from.Open(src, platform::FileAccess::Read, platform::FileShare::DenyNone));
  ASSERT_TRUE(to.Open(dir_ / "dst.dat", platform::FileAccess::ReadWrite, platform::FileShare::DenyNone,
                      platform::FileCreation::CreateAlways));
  std::uint64_t copied = 0;
  ASSERT_TRUE(platform::CopyFileBlocks(from, 10, to, 3, big.size() - 10, &copied));
  EXPECT_EQ(copied, big.size() - 10);
  ASSERT_TRUE(to.Close());
  EXPECT_EQ(ScratchFolder::Get(dir_ / "dst.dat"), std::string(3, '\0') + big.substr(10));

  ASSERT_TRUE(to.Open(dir_ / "dst.dat", platform::FileAccess::ReadWrite, platform::FileShare::DenyNone));
  {
    FaultScope fault(FaultPlan{FaultOp::Read, 2, false, "src.dat"});
    EXPECT_FALSE(platform::CopyFileBlocks(from, 0, to, 0, big.size(), &copied));
    EXPECT_EQ(platform::LastError(), platform::kErrorGeneralFailure);
    EXPECT_EQ(copied, platform::kCopyBlock);
  }
  {
    FaultScope fault(FaultPlan{FaultOp::Write, 3, false, "dst.dat"});
    EXPECT_FALSE(platform::CopyFileBlocks(from, 0, to, 0, big.size(), &copied));
    EXPECT_EQ(platform::LastError(), platform::kErrorDiskFull);
    EXPECT_EQ(copied, 2 * platform::kCopyBlock);
  }
  EXPECT_FALSE(platform::CopyFileBlocks(from, 0, to, 0, big.size() + 1, &copied));
  EXPECT_EQ(platform::LastError(), platform::kErrorHandleEof);
  EXPECT_EQ(copied, 3 * platform::kCopyBlock);
  EXPECT_TRUE(platform::CopyFileBlocks(from, 0, to, 0, 0, &copied));
  EXPECT_EQ(copied, 0u);
}

}  // namespace
