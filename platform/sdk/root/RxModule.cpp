#include "RxModule.h"

ODRX_DEFINE_MEMBERS(OdRxModule, OdRxObject)
