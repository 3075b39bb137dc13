#pragma once
// Writing a drawing as ASCII DXF, release AC1032. OdDbDatabase::writeFile is the public door;
// GroupWriter is the emitter underneath.
#include "DbDatabase.h"
#include "DxfGroupWriter.h"

namespace dxf {

// Writes the whole drawing to the stream.
void writeDrawing(const OdDbDatabase& db, OdStreamBuf& stream, int precision);

} // namespace dxf
