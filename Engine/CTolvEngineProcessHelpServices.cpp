// Help-file and service scanners (to come).
#include "Engine/CTolvEngineProcess.h"

void CTolvEngineProcess::ScanHelpFiles() {}

void CTolvEngineProcess::ScanServices() {}

