#include "RxVariant.h"

ODRX_DEFINE_MEMBERS(OdRxVariant, OdRxObject)
