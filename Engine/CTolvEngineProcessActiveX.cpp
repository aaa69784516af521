// ActiveX scanner (to come).
#include "Engine/CTolvEngineProcess.h"

void CTolvEngineProcess::ScanActiveX() {}

