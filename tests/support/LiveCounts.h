#pragma once
#include <OdAlloc.h>
#include <OdError.h>
#include <RxObject.h>
#include <ThreadsCounter.h>

#include <gtest/gtest.h>

#include <functional>

// The code of the SDK error `action` raises; eOk when it raises none.
inline OdResult errorOf(const std::function<void()>& action)
{
  try {
    action();
  } catch (const OdError& e) {
    return e.code();
  }
  return eOk;
}

// Fixture base: every test must leave as many SDK objects and heap blocks alive as it found, and
// every thread registration with the SDK undone.
class LiveCountsTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    m_objects = odrxLiveObjectCount();
    m_blocks = odrxLiveBlockCount();
  }
  void TearDown() override
  {
    EXPECT_EQ(odrxLiveObjectCount(), m_objects) << "SDK objects left alive";
    EXPECT_EQ(odrxLiveBlockCount(), m_blocks) << "SDK heap blocks left allocated";
    EXPECT_TRUE(odThreadsCounter().isBalanced()) << "an SDK thread registration left open";
  }

private:
  long m_objects = 0;
  long m_blocks = 0;
};
