// Application-path scanner (to come).
#include "Engine/CTolvEngineProcess.h"

void CTolvEngineProcess::ScanAppPaths() {}

