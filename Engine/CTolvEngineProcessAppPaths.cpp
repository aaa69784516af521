// Application-path scanner.
#include "Engine/CTolvEngineProcess.h"

#include "Client/Shell/CAbstractStatus.h"
#include "Engine/FileTests.h"
#include "Engine/FoundItemText.h"
#include "Engine/RegistryValueList.h"
#include "Engine/ScanCategory.h"
#include "Framework/AnsiText.h"
#include "Framework/CRegKey.h"

namespace
{
const char kMachineRootName[] = "HKEY_LOCAL_MACHINE";
const char kAppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
// Registered by Windows itself with a program that is not always installed.
const char kExemptApplication[] = "cmmgr32.exe";
const int kAppPathStatusThreshold = 3001;
}

void CTolvEngineProcess::ScanAppPaths()
{
    CRegKey appPaths;
    if (appPaths.Open(HKEY_LOCAL_MACHINE, kAppPathsKey, KEY_READ) != ERROR_SUCCESS)
        return;
    ForEachSubkeyName(appPaths.Get(), m_bRunning, [this](const std::string& name) {
        const std::string keyPath = std::string(kAppPathsKey) + "\\" + name;
        CRegKey application;
        if (application.Open(HKEY_LOCAL_MACHINE, keyPath.c_str(), KEY_READ) == ERROR_SUCCESS)
            CheckAppPathKey(application.Get(), keyPath, name);
        return true;
    });
}

void CTolvEngineProcess::CheckAppPathKey(HKEY key, const std::string& keyPath, const std::string& name)
{
    // All values are read before the key is judged: the registry promises
    // no order, and the "Path" value may come before the program.
    std::vector<AppPathValue> values;
    ForEachRegistryValue(key, m_bRunning, [&](const RegistryValueData& value) {
        values.push_back({value.name, value.Text()});
        ShowThrottledStatus(keyPath, "A", kAppPathStatusThreshold);
        return true;
    });
    const std::string lowerName = AnsiText::ToLower(name);
    if (!m_bRunning || lowerName == kExemptApplication || !IsRegisteredApplicationMissing(values))
        return;
    const std::string shownPath = std::string(kAppPathsKey) + "\\" + lowerName;
    ReportIfWritable(kMachineRootName, shownPath, FoundKeyText(kMachineRootName, shownPath), kScanAppPaths);
}

bool CTolvEngineProcess::IsRegisteredApplicationMissing(const std::vector<AppPathValue>& values)
{
    const AppPathValue* program = nullptr;
    const AppPathValue* folder = nullptr;
    for (const AppPathValue& value : values)
    {
        const std::string valueName = AnsiText::ToLower(value.name);
        if (valueName.empty())
            program = &value;
        else if (valueName == "path")
            folder = &value;
    }
    if (!program)
        return false;
    std::string text = AnsiText::ToLower(program->text);
    // A bare name is first the program in the "Path" folder.
    const std::string named = AnsiText::TrimmedLeft(AnsiText::TrimmedRight(AnsiText::Trimmed(text), "\""), "\"");
    if (folder && IsBareProgramName(named))
    {
        std::string found;
        switch (JudgeRegisteredProgram(*this, named, folder->text, found))
        {
        case kProgramFound:
            RememberReferencedPath(found);
            return false;
        case kProgramUnjudged:
            return false;
        default:
            break;
        }
    }
    if (LocateReferencedFile(text, *this) || FileExistsSecondChance(*this, text))
        return false;
    // A program with a folder of its own is missing whatever "Path" says.
    if (folder)
        return true;
    // Without "Path" only a key that holds nothing but its program is judged.
    return values.size() == 1;
}
