#include "DxfPieces.h"

#include "ParallelInOrder.h"

#include <RxObjectImpl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace dxf {

namespace {

// What a GroupWriter hands on is appended to a string.
class StringSink : public OdStreamBuf {
public:
  std::string* target = nullptr;
  void putBytes(const void* buffer, OdUInt32 numBytes) override
  {
    target->append(static_cast<const char*>(buffer), numBytes);
  }
  OdUInt32 getBytes(void*, OdUInt32) override { return 0; }
  bool isEof() override { return true; }
  OdUInt64 tell() override { return target ? target->size() : 0; }
  OdUInt64 length() override { return tell(); }
};

} // namespace

unsigned workerCount()
{
  return std::min(std::thread::hardware_concurrency(), 8u);
}

// Pieces are written into buffers of their own on every core and handed to the file in their
// order, a few held at a time; one or two pieces go straight out.
void PieceWriter::write(size_t count, const std::function<void(size_t, GroupWriter&)>& writePiece)
{
  const unsigned workers = workerCount();
  if (count <= 2 || workers < 2) {
    for (size_t piece = 0; piece < count; ++piece)
      writePiece(piece, m_out);
    return;
  }
  // A piece is written into its slot's buffer and handed on from there; only what outgrows the
  // buffer goes through a string first.
  struct Slot {
    std::string overflow;
    OdStaticRxObject<StringSink> sink;
    std::unique_ptr<GroupWriter> out;
  };
  const size_t window = 2 * workers + 2;
  std::vector<Slot> slots(window);
  const auto make = [&](size_t piece, unsigned) {
    Slot& slot = slots[piece % window];
    if (!slot.out) {
      slot.sink.target = &slot.overflow;
      slot.out = std::make_unique<GroupWriter>(slot.sink, m_precision);
    }
    slot.overflow.clear();
    writePiece(piece, *slot.out);
  };
  m_out.flush();
  parallelInOrder(count, workers, window, make, [&](size_t piece) {
    Slot& slot = slots[piece % window];
    if (!slot.overflow.empty())
      m_stream.putBytes(slot.overflow.data(), static_cast<OdUInt32>(slot.overflow.size()));
    slot.out->flushTo(m_stream);
  });
}

} // namespace dxf
