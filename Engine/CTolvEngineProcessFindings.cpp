// What every scanner does with a finding and with a path it found present.
#include "Engine/CTolvEngineProcess.h"

#include "Client/Shell/CAbstractStatus.h"
#include "Engine/FileTests.h"

void CTolvEngineProcess::ReportIfWritable(const std::string& rootName, const std::string& keyPath,
                                          const std::string& text, DWORD category)
{
    // A key the user may not change cannot be repaired: it is left out.
    if (IsKeyWritable(rootName, keyPath))
        m_pStatus->OnItemFound(text.c_str(), category, 0, 0);
}

void CTolvEngineProcess::RememberReferencedPath(const std::string& path)
{
    // A scheduled run keeps what it found; only drives are walked later.
    if (m_nScanOption == 1)
        m_folders.insert(path);
}
