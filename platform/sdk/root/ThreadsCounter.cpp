#include "ThreadsCounter.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <map>
#include <mutex>
#include <vector>

struct ThreadsCounter::Record {
  mutable std::mutex mutex;
  std::map<unsigned, std::vector<unsigned>> registrations; // thread -> attributes, innermost last
  std::map<unsigned, unsigned> started;                      // thread -> nesting depth
  unsigned mismatches = 0;
  std::function<void(unsigned)> startReaction;
};

ThreadsCounter::ThreadsCounter() : m_record(std::make_unique<Record>()) {}
ThreadsCounter::~ThreadsCounter() = default;

void ThreadsCounter::increaseProc(unsigned nThreads, const unsigned* aThreads, unsigned attributes)
{
  std::lock_guard<std::mutex> lock(m_record->mutex);
  for (unsigned i = 0; i < nThreads; ++i)
    m_record->registrations[aThreads[i]].push_back(attributes);
}

void ThreadsCounter::decreaseProc(unsigned nThreads, const unsigned* aThreads)
{
  std::lock_guard<std::mutex> lock(m_record->mutex);
  for (unsigned i = 0; i < nThreads; ++i) {
    auto it = m_record->registrations.find(aThreads[i]);
    if (it == m_record->registrations.end()) {
      ++m_record->mismatches;
      continue;
    }
    it->second.pop_back();
    if (it->second.empty())
      m_record->registrations.erase(it);
  }
}

void ThreadsCounter::startThreadProc(unsigned threadId)
{
  std::function<void(unsigned)> reaction;
  {
    std::lock_guard<std::mutex> lock(m_record->mutex);
    ++m_record->started[threadId];
    reaction = m_record->startReaction;
  }
  if (reaction)
    reaction(threadId);
}

void ThreadsCounter::setStartThreadReaction(std::function<void(unsigned threadId)> reaction)
{
  std::lock_guard<std::mutex> lock(m_record->mutex);
  m_record->startReaction = std::move(reaction);
}

void ThreadsCounter::stopThreadProc(unsigned threadId)
{
  std::lock_guard<std::mutex> lock(m_record->mutex);
  auto it = m_record->started.find(threadId);
  if (it == m_record->started.end()) {
    ++m_record->mismatches;
    return;
  }
  if (--it->second == 0)
    m_record->started.erase(it);
}

unsigned ThreadsCounter::registeredThreads() const
{
  std::lock_guard<std::mutex> lock(m_record->mutex);
  unsigned n = 0;
  for (const auto& r : m_record->registrations)
    n += static_cast<unsigned>(r.second.size());
  return n;
}

unsigned ThreadsCounter::startedThreads() const
{
  std::lock_guard<std::mutex> lock(m_record->mutex);
  unsigned n = 0;
  for (const auto& s : m_record->started)
    n += s.second;
  return n;
}

unsigned ThreadsCounter::attributesOf(unsigned threadId) const
{
  std::lock_guard<std::mutex> lock(m_record->mutex);
  auto it = m_record->registrations.find(threadId);
  return it == m_record->registrations.end() ? kNoAttributes : it->second.back();
}

unsigned ThreadsCounter::mismatches() const
{
  std::lock_guard<std::mutex> lock(m_record->mutex);
  return m_record->mismatches;
}

bool ThreadsCounter::isBalanced() const
{
  return count() == 0 && registeredThreads() == 0 && startedThreads() == 0 && mismatches() == 0;
}

ThreadsCounter& odThreadsCounter()
{
  static ThreadsCounter s_counter;
  return s_counter;
}

unsigned odGetCurrentThreadId()
{
  return static_cast<unsigned>(syscall(SYS_gettid));
}
