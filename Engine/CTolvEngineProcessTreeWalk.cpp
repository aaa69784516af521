// Registry tree walk (to come).
#include "Engine/CTolvEngineProcess.h"

void CTolvEngineProcess::ScanUserHives() {}

void CTolvEngineProcess::ScanTypeLibHelpDirs() {}

void CTolvEngineProcess::ScanInterfaceTypeLibs() {}

