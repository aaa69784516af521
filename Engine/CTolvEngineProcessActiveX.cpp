// ActiveX scanner: in-process servers whose library is gone; then, from the
// set of registered classes it gathers, references to unregistered classes.
#include "Engine/CTolvEngineProcess.h"

#include "Client/Shell/CAbstractStatus.h"
#include "Engine/FileTests.h"
#include "Engine/FoundItemText.h"
#include "Engine/RegistryValueList.h"
#include "Engine/RegistryWalkMode.h"
#include "Engine/ScanCategory.h"
#include "Framework/AnsiText.h"
#include "Framework/CRegKey.h"

namespace
{
const char kClassesRootName[] = "HKEY_CLASSES_ROOT";
const char kClassesKey[] = "CLSID";
const char kInprocServer[] = "InprocServer32";
const char kClassMark[] = "CLSID";
const int kActiveXStatusThreshold = 101;

bool NamesClass(const std::string& name)
{
    return name.find('{') != std::string::npos;
}
}

void CTolvEngineProcess::ScanActiveX()
{
    m_clsidMap.clear();
    {
        // A 32-bit scan on 64-bit Windows also knows the classes of the
        // native view, so references to them are not taken for stale.
        CRegKey native;
        if (m_bWow64 &&
            native.Open(HKEY_CLASSES_ROOT, kClassesKey, KEY_READ | KEY_WOW64_64KEY) == ERROR_SUCCESS)
        {
            ForEachSubkeyName(native.Get(), m_bRunning, [this](const std::string& name) {
                if (NamesClass(name))
                    m_clsidMap.emplace(AnsiText::ToLower(name), kClassMark);
                return true;
            });
            native.Close();
        }

        CRegKey classes;
        if (classes.Open(HKEY_CLASSES_ROOT, kClassesKey, KEY_READ) != ERROR_SUCCESS)
            return;
        ForEachSubkeyName(classes.Get(), m_bRunning, [this](const std::string& enumerated) {
            std::string name = enumerated;
            if (NamesClass(name))
            {
                AnsiText::MakeLower(name);
                m_clsidMap.emplace(name, kClassMark);
            }
            const std::string classKey = std::string(kClassesKey) + "\\" + name;
            const std::string serverKey = classKey + "\\" + kInprocServer;
            CRegKey server;
            if (server.Open(HKEY_CLASSES_ROOT, serverKey.c_str(), KEY_READ) != ERROR_SUCCESS)
                return true;
            ForEachRegistryValue(server.Get(), m_bRunning, [&](const RegistryValueData& value) {
                // Only the server's own library is judged, not its named settings.
                if (!value.name.empty())
                    return true;
                std::string path = AnsiText::ToLower(value.Text());
                if ((path.find(".dll") != std::string::npos || path.find(".ocx") != std::string::npos) &&
                    !LocateReferencedFile(path, *this) && !FileExistsSecondChance(*this, path))
                    ReportIfWritable(kClassesRootName, classKey, FoundKeyText(kClassesRootName, classKey),
                                     kScanActiveX);
                ShowThrottledStatus(serverKey, "X", kActiveXStatusThreshold);
                return true;
            });
            return true;
        });
    }
    m_nStatusThrottle = kStatusThrottleStart;
    WalkRegistryTree(kClassesRootName, "", kWalkClassReferences);
}
