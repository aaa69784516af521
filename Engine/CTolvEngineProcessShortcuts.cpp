// Shortcut and junk-file scan (to come).
#include "Engine/CTolvEngineProcess.h"

void CTolvEngineProcess::ScanFolderForShortcuts(const std::string&, int) {}

