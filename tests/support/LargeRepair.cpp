#include "support/LargeRepair.h"

#include <functional>

#include "Client/res/ScanResultsResource.h"
#include "Client/res/ShellResource.h"
#include "Framework/CRegKey.h"
#include "support/ProgramDriver.h"
#include "support/TestRegistry.h"

namespace LargeRepair
{
namespace
{
const int kKeysPerGroup = 500;

std::string EntryPath(const std::string& key, int index)
{
    return key + "\\G" + std::to_string(index / kKeysPerGroup) + "\\Entry" + std::to_string(index % kKeysPerGroup);
}

bool PlantKeys(const std::string& key, int count, const char* valueName, const std::function<std::string(int)>& data)
{
    for (int i = 0; i < count; ++i)
    {
        CRegKey entry;
        if (entry.Create(HKEY_CURRENT_USER, EntryPath(key, i).c_str(), KEY_SET_VALUE) != ERROR_SUCCESS)
            return false;
        const std::string value = data(i);
        if (::RegSetValueExA(entry.Get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>(value.size() + 1)) != ERROR_SUCCESS)
            return false;
    }
    return true;
}
}

bool PlantDeadReferences(const std::string& key, int count)
{
    return PlantKeys(key, count, "Target", [](int index) {
        return "c:\\program files\\qm gone vendor\\gone" + std::to_string(index) + ".exe";
    });
}

int DeadReferencesLeft(const std::string& key, int count)
{
    int left = 0;
    for (int i = 0; i < count; ++i)
        left += TestEnv::ValueExists(HKEY_CURRENT_USER, EntryPath(key, i), "Target") ? 1 : 0;
    return left;
}

bool PlantLiveKeys(const std::string& key, int count)
{
    char windows[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string notepad = std::string(windows) + "\\notepad.exe";
    return PlantKeys(key, count, "Path", [&notepad](int) { return notepad; });
}

bool WriteSettings(const std::string& programFolder)
{
    return TestEnv::WriteFile(programFolder + "qmsettings.ini", "[SETTINGS]\r\nFirstRun=0\r\nLastSelectedScanTypes=" +
                                                                    std::to_string(kCategory) + "\r\n");
}

bool RepairAndWaitForHome(HWND mainWindow, DWORD milliseconds)
{
    if (!ProgramDriver::ClickWhenUsable(mainWindow, IDC_REPAIR_BUTTON))
        return false;
    // The home page's own button is disabled while that page is on show.
    return ProgramDriver::WaitFor(milliseconds,
                                  [mainWindow] { return !::IsWindowEnabled(::GetDlgItem(mainWindow, IDC_HOME_BUTTON)); });
}
}
