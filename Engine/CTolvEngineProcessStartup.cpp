// Startup-item scanner: Run values whose program is gone and Start-menu order
// records of folders that exist nowhere any more.
#include "Engine/CTolvEngineProcess.h"

#include "Client/Shell/CAbstractStatus.h"
#include "Engine/FileTests.h"
#include "Engine/FoundItemText.h"
#include "Engine/PathVariables.h"
#include "Engine/RegistryValueList.h"
#include "Engine/ScanCategory.h"
#include "Framework/AnsiText.h"
#include "Framework/CRegKey.h"

#include <vector>

namespace
{
const char kStartupLetter[] = "S";
const char kCurrentUser[] = "HKEY_CURRENT_USER";
const char kLocalMachine[] = "HKEY_LOCAL_MACHINE";

const char* const kMenuOrderKeys[] = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu2\\Programs",
};

// The program a Run command names: surrounding quotes, apostrophes and
// backslashes go, the text is lower-cased. A network path keeps its "\\".
std::string StartupProgramPath(const std::string& command)
{
    std::string path = AnsiText::Trimmed(command, "\"");
    path = AnsiText::Trimmed(path, "'");
    path = AnsiText::TrimmedRight(path, "\\");
    if (path.compare(0, 2, "\\\\") != 0)
        path = AnsiText::TrimmedLeft(path, "\\");
    AnsiText::MakeLower(path);
    return path;
}

bool IsStartupProgramMissing(const CTolvEngineProcess& job, const std::string& command)
{
    std::string path = StartupProgramPath(command);
    if (path.empty())
        return true;
    // A command that starts no program file (a library, a script) is left alone.
    if (!CutAfterProgramExtension(path))
        return false;
    if (LocateReferencedFile(path, job))
        return false;
    return FileExistsSecondChance(job, path) == 0;
}

// The folders a Start-menu folder of that name could stand for.
bool IsMenuFolderGone(const CTolvEngineProcess& job, const std::string& name)
{
    const char* const tokens[] = {"%ProgramFiles%",    "%CommonProgramFiles%", "%CommonPrograms%",
                                  "%CommonStartMenu%", "%CommonStartup%",      "%StartMenu%",
                                  "%Startup%"};
    std::vector<std::string> folders;
    for (const char* token : tokens)
    {
        std::string folder = token;
        ExpandPathVariables(folder, job);
        folders.push_back(folder);
    }
    const std::string programFiles = folders[0];
    const std::string commonProgramFiles = folders[1];
    folders.push_back(folders[5] + "\\Programs");

    for (const std::string& folder : folders)
        if (FindsFileOrFolder(folder + "\\" + name))
            return false;
    return !FileExistsSecondChance(job, programFiles + "\\" + name) &&
           !FileExistsSecondChance(job, commonProgramFiles + "\\" + name);
}
}

void CTolvEngineProcess::ScanStartup()
{
    const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const char kRunOnce[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
    const char kRunOnceEx[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";
    m_startupKeys.clear();
    m_startupKeys.push_back({kRun, 0, HKEY_CURRENT_USER});
    m_startupKeys.push_back({kRunOnce, 0, HKEY_CURRENT_USER});
    m_startupKeys.push_back({kRun, 0, HKEY_LOCAL_MACHINE});
    m_startupKeys.push_back({kRunOnce, 0, HKEY_LOCAL_MACHINE});
    m_startupKeys.push_back({kRunOnceEx, 0, HKEY_LOCAL_MACHINE});

    for (const StartupKey& entry : m_startupKeys)
    {
        if (!m_bRunning)
            break;
        CheckStartupKeyValues(entry.root, entry.path);
    }
    for (const char* keyPath : kMenuOrderKeys)
        CheckMenuOrderKey(keyPath);
}

void CTolvEngineProcess::CheckStartupKeyValues(HKEY root, std::string keyPath)
{
    if (!root || keyPath.empty())
        return;
    // No view flag: the keys are read as this program sees them.
    CRegKey key;
    if (key.Open(root, keyPath.c_str(), KEY_READ) != ERROR_SUCCESS)
        return;
    const std::string rootName = root == HKEY_CURRENT_USER ? kCurrentUser : kLocalMachine;
    ForEachRegistryValue(key.Get(), m_bRunning, [&](const RegistryValueData& value) {
        if (IsStartupProgramMissing(*this, value.Text()) && IsKeyWritable(rootName, keyPath))
            m_pStatus->OnItemFound(FoundValueText(rootName, keyPath, value.name).c_str(), kScanStartup, 0, 0);
        m_pStatus->SetStatusText(keyPath.c_str(), kStartupLetter);
        return true;
    });
}

void CTolvEngineProcess::CheckMenuOrderKey(const std::string& keyPath)
{
    CRegKey key;
    if (key.Open(HKEY_CURRENT_USER, keyPath.c_str(), KEY_READ) != ERROR_SUCCESS)
        return;
    ForEachSubkeyName(key.Get(), m_bRunning, [&](const std::string& name) {
        const std::string keyText = keyPath + "\\" + name;
        m_pStatus->SetStatusText(keyText.c_str(), kStartupLetter);
        if (IsMenuFolderGone(*this, name) && IsKeyWritable(kCurrentUser, keyText))
            m_pStatus->OnItemFound(FoundKeyText(kCurrentUser, keyText).c_str(), kScanStartup, 0, 0);
        return true;
    });
}
