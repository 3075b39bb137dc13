#pragma once
// Reading an ASCII DXF drawing (the writer's own output, and well-formed files of other writers).
#include "DbDatabase.h"

#include <OdStreamBuf.h>

namespace dxf {

// Reads the drawing into `db`, a database fresh from its constructor: the insertion units,
// layers, line types, text styles, block definitions and the model and paper space entities of
// the kinds the database has. Other sections, objects and entities are skipped. Text of AC1021
// and later is UTF-8, of earlier releases Windows-1252.
// Malformed input (truncated, not DXF, binary DXF, a value that is no number, a line longer than
// 64 KiB) raises OdError(eBadDxfFile); the stream's own errors pass through. Memory grows with
// the input, never with counts the input claims.
void readDrawing(OdStreamBuf& stream, OdDbDatabase& db);

// The same, into a new database.
OdDbDatabasePtr readDrawing(OdStreamBuf& stream);

} // namespace dxf
