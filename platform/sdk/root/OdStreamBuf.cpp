#include "OdStreamBuf.h"

ODRX_DEFINE_MEMBERS(OdStreamBuf, OdRxObject)
