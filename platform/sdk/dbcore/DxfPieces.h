#pragma once
// Parts of a section written side by side on every core and handed to the file in their order.
#include "DxfGroupWriter.h"

#include <functional>

namespace dxf {

// The BLOCKS and ENTITIES sections are written in pieces of about this many entities, side by
// side on every core when there are several.
constexpr size_t kPieceSize = 1024;

// How many threads write pieces or tally them.
unsigned workerCount();

class PieceWriter {
public:
  // out: the writer of the stream, through which pieces go when they are few.
  PieceWriter(OdStreamBuf& stream, GroupWriter& out, int precision) : m_stream(stream), m_out(out), m_precision(precision) {}

  // Calls writePiece(piece, out) for pieces 0 to count - 1, and the stream gets what each wrote in
  // their order.
  void write(size_t count, const std::function<void(size_t, GroupWriter&)>& writePiece);

private:
  OdStreamBuf& m_stream;
  GroupWriter& m_out;
  const int m_precision;
};

} // namespace dxf
