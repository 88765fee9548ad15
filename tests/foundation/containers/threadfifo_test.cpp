#include "foundation/containers/threadfifo.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

TEST(ThreadFIFOTest, FirstInFirstOutWithoutDuplicates) {
  TThreadFIFO fifo;
  int a = 0, b = 0;
  EXPECT_TRUE(fifo.IsEmpty());
  EXPECT_EQ(fifo.Pop(), nullptr);
  fifo.Push(&a);
  fifo.Push(&b);
  fifo.Push(&a);
  EXPECT_FALSE(fifo.IsEmpty());
  EXPECT_EQ(fifo.Pop(), &a);
  EXPECT_EQ(fifo.Pop(), &b);
  EXPECT_EQ(fifo.Pop(), nullptr);
  // Once popped, the same pointer may be queued again.
  fifo.Push(&a);
  EXPECT_EQ(fifo.Pop(), &a);
}

TEST(ThreadFIFOTest, ProducerAndConsumerThreadsLoseNothing) {
  constexpr int kItems = 20000;
  std::vector<int> items(kItems);
  TThreadFIFO fifo;
  std::thread producer([&] {
    for (int& item : items) fifo.Push(&item);
  });
  std::vector<int*> received;
  while (static_cast<int>(received.size()) < kItems) {
    if (void* item = fifo.Pop()) received.push_back(static_cast<int*>(item));
  }
  producer.join();
  EXPECT_TRUE(fifo.IsEmpty());
  for (int i = 0; i < kItems; ++i) ASSERT_EQ(received[static_cast<std::size_t>(i)], &items[static_cast<std::size_t>(i)]);
}

}  // namespace
