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
#include "Framework/Wow64.h"

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
        // On a 64-bit Windows the scan also knows the classes of the other
        // view, so references to them are not taken for stale.
        CRegKey other;
        if (m_bWow64 && Wow64::OtherView() &&
            other.Open(HKEY_CLASSES_ROOT, kClassesKey, KEY_READ | Wow64::OtherView()) == ERROR_SUCCESS)
        {
            ForEachSubkeyName(other.Get(), m_bRunning, [this](const std::string& name) {
                if (NamesClass(name))
                    m_clsidMap.emplace(AnsiText::ToLower(name), kClassMark);
                return true;
            });
            other.Close();
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
