// Startup-item scanner (to come).
#include "Engine/CTolvEngineProcess.h"

void CTolvEngineProcess::ScanStartup() {}

