// Font, shared-DLL, installer-folder and uninstall scanners (to come).
#include "Engine/CTolvEngineProcess.h"

void CTolvEngineProcess::ScanFonts() {}

void CTolvEngineProcess::ScanSharedDlls() {}

void CTolvEngineProcess::ScanInstallerFolders() {}

void CTolvEngineProcess::ScanUninstall(const std::string&) {}

