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
  Run(std::size_t count, std::size_t window,
      const std::function<void(std::size_t, unsigned, std::string&)>& make)
      : m_count(count), m_window(window), m_make(make), m_texts(window), m_ready(window, 0)
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
        std::string& text = m_texts[item % m_window];
        text.clear();
        m_make(item, worker, text);
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

  // The text of `item` once it is made; null when the run stopped.
  const std::string* await(std::size_t item)
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [&] { return m_stop || m_ready[item % m_window] == item + 1; });
    return m_stop ? nullptr : &m_texts[item % m_window];
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
  const std::function<void(std::size_t, unsigned, std::string&)>& m_make;
  std::vector<std::string> m_texts; // slot item % window
  std::vector<std::size_t> m_ready; // per slot: the item whose text it holds, plus one
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::size_t m_next = 0, m_taken = 0;
  bool m_stop = false;
  std::exception_ptr m_error;
};

} // namespace

void parallelInOrder(std::size_t count, unsigned workers, std::size_t window,
                     const std::function<void(std::size_t, unsigned, std::string&)>& make,
                     const std::function<void(const std::string&)>& take)
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
    std::string text;
    for (std::size_t item = 0; item < count; ++item) {
      text.clear();
      make(item, 0, text);
      take(text);
    }
    return;
  }
  try {
    for (std::size_t item = 0; item < count; ++item) {
      const std::string* text = run.await(item);
      if (!text)
        break;
      take(*text);
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
