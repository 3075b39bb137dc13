#pragma once
#include <CDgnImportDlg.h>
#include <CFxString.h>
#include <OdDb.h>
#include <ResBuf.h>

// The name of the block a converted design model becomes: "BASE_MODEL_UNIT", BASE being the DGN
// file's name up to its first dot and UNIT the model unit's short label.
CFxString makeBlockName(const CFxString& dgnPath, const CFxString& modelName, OdDb::UnitsValue modelUnit);

// The answers for the host's block insertion: the file, then the scale, the rotation (radians)
// and the point, each left out when it is to be specified later.
CFxString makeInsertCommand(const CFxString& dwgPath, const InsertPointChoice& point, const InsertValueChoice& rotation,
                            const InsertValueChoice& scale);

// The command as result buffers: one string buffer per ';'-separated piece, then an end buffer.
OdResBufPtr makeCommandChain(const CFxString& command);
