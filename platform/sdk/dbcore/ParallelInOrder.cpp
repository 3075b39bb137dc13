#include "ParallelInOrder.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace dxf {

namespace {

class Run {
public:
  Run(std::size_t count, std::size_t window, const std::function<void(std::size_t, unsigned)>& make)
      : m_count(count), m_window(window), m_make(make), m_ready(window, 0)
  {
  }

  // Claims items while the window has room for them.
  void work(unsigned worker)
  {
    for (;;) {
      std::size_t item;
      {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return m_stop || m_next >= m_count || m_next < m_taken + m_window; });
        if (m_stop || m_next >= m_count)
          return;
        item = m_next++;
      }
      try {
        m_make(item, worker);
      } catch (...) {
        fail(std::current_exception());
        return;
      }
      {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_ready[item % m_window] = item + 1;
      }
      m_changed.notify_all();
    }
  }

  // Waits until `item` is made; false when the run stopped.
  bool await(std::size_t item)
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [&] { return m_stop || m_ready[item % m_window] == item + 1; });
    return !m_stop;
  }

  void taken()
  {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      ++m_taken;
    }
    m_changed.notify_all();
  }

  void fail(std::exception_ptr error)
  {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (!m_error)
        m_error = error;
      m_stop = true;
    }
    m_changed.notify_all();
  }

  std::exception_ptr error() const { return m_error; }

private:
  const std::size_t m_count, m_window;
  const std::function<void(std::size_t, unsigned)>& m_make;
  std::vector<std::size_t> m_ready; // per slot item % window: the item made there, plus one
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::size_t m_next = 0, m_taken = 0;
  bool m_stop = false;
  std::exception_ptr m_error;
};

} // namespace

void parallelInOrder(std::size_t count, unsigned workers, std::size_t window,
                     const std::function<void(std::size_t, unsigned)>& make,
                     const std::function<void(std::size_t)>& take)
{
  if (window == 0)
    window = 1;
  Run run(count, window, make);
  std::vector<std::thread> threads;
  for (unsigned worker = 0; worker < workers; ++worker) {
    try {
      threads.emplace_back([&run, worker] { run.work(worker); });
    } catch (const std::system_error&) {
      break; // the ones that started do the work
    }
  }
  if (threads.empty()) {
    for (std::size_t item = 0; item < count; ++item) {
      make(item, 0);
      take(item);
    }
    return;
  }
  try {
    for (std::size_t item = 0; item < count && run.await(item); ++item) {
      take(item);
      run.taken();
    }
  } catch (...) {
    run.fail(std::current_exception());
  }
  for (std::thread& thread : threads)
    thread.join();
  if (run.error())
    std::rethrow_exception(run.error());
}

} // namespace dxf
