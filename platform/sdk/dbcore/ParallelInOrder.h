#pragma once
#include <cstddef>
#include <functional>

namespace dxf {

// Makes results on several threads and hands them on in order on the calling thread:
// make(item, worker) makes the result of item 0..count-1 on one of `workers` threads, take(item)
// gets them in item order, and no more than `window` items are made ahead of the one taken, so
// the caller may keep each result in slot item % window and memory stays bounded however many
// items there are. The first exception from either side stops the run and is raised again once
// every thread has ended. With no workers, or none that could start, the calling thread makes
// the results itself.
void parallelInOrder(std::size_t count, unsigned workers, std::size_t window,
                     const std::function<void(std::size_t item, unsigned worker)>& make,
                     const std::function<void(std::size_t item)>& take);

} // namespace dxf
