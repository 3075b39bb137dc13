#include <ThreadsCounter.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {
// What a worker thread does with the SDK as it starts, and undoes as it ends.
void registerCurrentThread()
{
  const unsigned id = odGetCurrentThreadId();
  odThreadsCounter().increase();
  odThreadsCounter().increaseProc(1, &id, ThreadsCounter::kAllAttributes);
  odThreadsCounter().startThreadProc(id);
}
void unregisterCurrentThread()
{
  const unsigned id = odGetCurrentThreadId();
  odThreadsCounter().stopThreadProc(id);
  odThreadsCounter().decrease();
  odThreadsCounter().decreaseProc(1, &id);
}
} // namespace

TEST(ThreadsCounterTest, RecordsRegistrationsNestedOrNotUntilTheyAreUndoneInOrder)
{
  ThreadsCounter& counter = odThreadsCounter();
  ASSERT_TRUE(counter.isBalanced());
  registerCurrentThread();
  EXPECT_EQ(counter.count(), 1);
  EXPECT_EQ(counter.startedThreads(), 1u);
  EXPECT_EQ(counter.attributesOf(odGetCurrentThreadId()), 0xFFFFFFFFu);
  registerCurrentThread();
  unregisterCurrentThread();
  EXPECT_EQ(counter.registeredThreads(), 1u);
  EXPECT_FALSE(counter.isBalanced());
  unregisterCurrentThread();
  EXPECT_TRUE(counter.isBalanced());
  EXPECT_EQ(counter.attributesOf(odGetCurrentThreadId()), 0u);
}

TEST(ThreadsCounterTest, ThreadsHaveDistinctIdsAndBalanceConcurrently)
{
  ThreadsCounter& counter = odThreadsCounter();
  std::vector<unsigned> ids(8);
  std::vector<std::thread> threads;
  for (unsigned& id : ids)
    threads.emplace_back([&id] {
      id = odGetCurrentThreadId();
      for (int i = 0; i < 1000; ++i) {
        registerCurrentThread();
        unregisterCurrentThread();
      }
    });
  for (std::thread& t : threads)
    t.join();
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(std::unique(ids.begin(), ids.end()), ids.end());
  EXPECT_TRUE(counter.isBalanced());
}

TEST(ThreadsCounterTest, UndoingWhatWasNeverDoneIsAMismatch)
{
  // In a child process: the mismatch would stay in this process's counter for good.
  EXPECT_EXIT(
    {
      ThreadsCounter& counter = odThreadsCounter();
      const unsigned id = odGetCurrentThreadId();
      counter.stopThreadProc(id);
      counter.decreaseProc(1, &id);
      std::exit(counter.mismatches() == 2 && !counter.isBalanced() ? 0 : 1);
    },
    ::testing::ExitedWithCode(0), "");
}
