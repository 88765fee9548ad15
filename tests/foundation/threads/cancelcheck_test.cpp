#include "foundation/threads/cancelcheck.h"

#include <thread>

#include <gtest/gtest.h>

#include "foundation/errors.h"

TEST(CancelCheck, FlagRaisesOnlyOnceCancelled) {
  TCancelFlag flag;
  EXPECT_NO_THROW(flag.CheckCanceled());
  EXPECT_NO_THROW(NoCancel().CheckCanceled());
  std::thread([&] { flag.Cancel(); }).join();  // from another thread
  EXPECT_TRUE(flag.Canceled());
  EXPECT_THROW(flag.CheckCanceled(), ECanceled);
}
