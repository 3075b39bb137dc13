#pragma once
#include <atomic>
#include <cstdint>

namespace dgn {

// How far a conversion has read its file, for a client that shows it from another thread while the
// conversion runs. Updated now and then, not for every element.
struct ConversionProgress {
  std::atomic<uint64_t> elements{0}; // read so far
  std::atomic<uint64_t> bytes{0};    // of the file, read so far
};

} // namespace dgn
