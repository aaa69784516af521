// Hive compaction job (to come).
#include "Engine/CTolvEngineProcess.h"

int CTolvEngineProcess::DefragRegistry() { return 0; }

