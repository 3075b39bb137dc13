#pragma once
#include "Chain.h"

#include <DbHatch.h>

#include <vector>

namespace dgn {

// The solid hatch over the inside of closed loops, their arcs as arc edges; null when the loops
// do not lie in one plane, which a hatch needs.
OdDbHatchPtr solidHatch(const std::vector<ChainRun>& loops);
// The solid hatch over the inside of a whole ellipse or circle.
OdDbHatchPtr solidHatch(const Conic& closed);

} // namespace dgn
