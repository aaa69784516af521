// File-association scanner (to come).
#include "Engine/CTolvEngineProcess.h"

void CTolvEngineProcess::ScanFileTypes() {}

