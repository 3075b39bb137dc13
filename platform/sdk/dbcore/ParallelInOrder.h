#pragma once
#include <cstddef>
#include <functional>
#include <string>

namespace dxf {

// Makes texts on several threads and hands them on in order on the calling thread: make(item,
// worker, text) fills `text` for item 0..count-1 on one of `workers` threads, take(text) gets them
// in item order, and no more than `window` texts are held at a time, so memory stays bounded
// however many items there are. The first exception from either side stops the run and is raised
// again once every thread has ended. With no workers, or none that could start, the calling
// thread makes the texts itself.
void parallelInOrder(std::size_t count, unsigned workers, std::size_t window,
                     const std::function<void(std::size_t item, unsigned worker, std::string& text)>& make,
                     const std::function<void(const std::string& text)>& take);

} // namespace dxf
