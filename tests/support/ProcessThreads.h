#pragma once
#include <filesystem>
#include <iterator>

// The threads of this process, as the system counts them.
inline int processThreads()
{
  const std::filesystem::directory_iterator tasks("/proc/self/task");
  return int(std::distance(begin(tasks), end(tasks)));
}
