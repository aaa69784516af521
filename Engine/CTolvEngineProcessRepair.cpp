// Repair, backup and restore jobs (to come).
#include "Engine/CTolvEngineProcess.h"

int CTolvEngineProcess::RepairAll() { return 0; }

int CTolvEngineProcess::BackupToFile(int) { return 0; }

int CTolvEngineProcess::RestoreBackup() { return 0; }

int CTolvEngineProcess::RestoreBackupNow(CAbstractStatus*, const char*) { return 0; }

