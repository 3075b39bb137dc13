#pragma once
#include "OdaCommon.h"

#include <atomic>
#include <functional>
#include <memory>

// Tells the SDK which threads run SDK work. Besides the count and the four procedures it keeps a
// record of what was registered, so a caller can prove that every registration was undone.
class ThreadsCounter {
public:
  enum ThreadAttributes : unsigned { kNoAttributes = 0, kAllAttributes = 0xFFFFFFFFu };

  ThreadsCounter();
  ~ThreadsCounter();

  // Atomic changes of the number of threads doing SDK work.
  int increase() { return m_count.fetch_add(1, std::memory_order_acq_rel) + 1; }
  int decrease() { return m_count.fetch_sub(1, std::memory_order_acq_rel) - 1; }
  int count() const { return m_count.load(std::memory_order_acquire); }

  void increaseProc(unsigned nThreads, const unsigned* aThreads, unsigned attributes);
  void decreaseProc(unsigned nThreads, const unsigned* aThreads);
  void startThreadProc(unsigned threadId);
  void stopThreadProc(unsigned threadId);

  // What the host does when a thread starts SDK work, run by startThreadProc on that thread once
  // the start is recorded; none until one is set, and an empty one removes it.
  void setStartThreadReaction(std::function<void(unsigned threadId)> reaction);

  // Threads registered with increaseProc and not yet with decreaseProc (counting repeats).
  unsigned registeredThreads() const;
  // Threads between startThreadProc and stopThreadProc.
  unsigned startedThreads() const;
  // Attributes of the most recent registration of threadId; kNoAttributes if it has none.
  unsigned attributesOf(unsigned threadId) const;
  // Calls that undid something never done (a stop without start, a decrease without increase).
  unsigned mismatches() const;
  // Nothing registered, nothing started, count zero and no mismatch.
  bool isBalanced() const;

private:
  std::atomic<int> m_count{0};
  struct Record;
  std::unique_ptr<Record> m_record;
};

ThreadsCounter& odThreadsCounter();
unsigned odGetCurrentThreadId();
