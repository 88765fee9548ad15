#include "platform/faultinject.h"

#include <string>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "scratch_folder.h"

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

}  // namespace
