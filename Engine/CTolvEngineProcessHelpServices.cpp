// Help-file and service scanners.
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
const char kHtmlHelpClassesKey[] = "SOFTWARE\\Microsoft\\HTMLHelp\\2.0\\LocalReg\\CLSID";
const char kInprocServer[] = "InprocServer32";
const char kWindowsHelpKey[] = "SOFTWARE\\Microsoft\\Windows\\Help";
const char kHtmlHelpKey[] = "SOFTWARE\\Microsoft\\Windows\\HTML Help";
const char kServicesKey[] = "SYSTEM\\CurrentControlSet\\Services";
const int kServiceStatusThreshold = 3001;

bool Contains(const std::string& text, const char* part)
{
    return text.find(part) != std::string::npos;
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// Service programs are often written in the kernel's own path forms: the
// Windows folder as "\SystemRoot\" and a plain path behind "\??\".
std::string WithoutNtPathPrefix(const std::string& path)
{
    static const char kSystemRoot[] = "\\systemroot\\";
    static const char kDosDevices[] = "\\??\\";
    if (StartsWith(path, kSystemRoot))
    {
        char windows[MAX_PATH] = {};
        ::GetWindowsDirectoryA(windows, MAX_PATH);
        return AnsiText::TrimmedRight(windows, "\\") + "\\" + path.substr(sizeof(kSystemRoot) - 1);
    }
    if (StartsWith(path, kDosDevices))
        return path.substr(sizeof(kDosDevices) - 1);
    return path;
}
}

void CTolvEngineProcess::ScanHelpFiles()
{
    // Each list is looked at only when the one before it could be opened.
    if (ScanHtmlHelpServers() && ScanHelpFileList(kWindowsHelpKey))
        ScanHelpFileList(kHtmlHelpKey);
}

bool CTolvEngineProcess::ScanHtmlHelpServers()
{
    CRegKey classes;
    if (classes.Open(HKEY_LOCAL_MACHINE, kHtmlHelpClassesKey, KEY_READ) != ERROR_SUCCESS)
        return false;
    ForEachSubkeyName(classes.Get(), m_bRunning, [this](const std::string& name) {
        const std::string classKey = std::string(kHtmlHelpClassesKey) + "\\" + name;
        const std::string serverKey = classKey + "\\" + kInprocServer;
        CRegKey server;
        if (server.Open(HKEY_LOCAL_MACHINE, serverKey.c_str(), KEY_READ) != ERROR_SUCCESS)
            return true;
        bool reported = false;
        ForEachRegistryValue(server.Get(), m_bRunning, [&](const RegistryValueData& value) {
            std::string path = AnsiText::ToLower(value.Text());
            // One finding names the class key, however many of its values are stale.
            if (!reported && (Contains(path, ".dll") || Contains(path, ".ocx")) &&
                !LocateReferencedFile(path, *this) && !FileExistsSecondChance(*this, path))
            {
                ReportIfWritable(kMachineRootName, classKey, FoundKeyText(kMachineRootName, classKey), kScanHelpFiles);
                reported = true;
            }
            m_pStatus->SetStatusText(serverKey.c_str(), "H");
            return true;
        });
        return true;
    });
    return true;
}

bool CTolvEngineProcess::ScanHelpFileList(const char* keyPath)
{
    CRegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, keyPath, KEY_READ) != ERROR_SUCCESS)
        return false;
    ForEachRegistryValue(key.Get(), m_bRunning, [&](const RegistryValueData& value) {
        // The name is the help file, the data the folder it was installed to.
        const std::string name = AnsiText::ToLower(value.name);
        std::string path = AnsiText::TrimmedRight(AnsiText::ToLower(value.Text()), "\\") + "\\" + name;
        if (!LocateReferencedFile(path, *this) && !FileExistsSecondChance(*this, path))
            ReportIfWritable(kMachineRootName, keyPath, FoundValueText(kMachineRootName, keyPath, name),
                             kScanHelpFiles);
        m_pStatus->SetStatusText((std::string(keyPath) + "\\" + name).c_str(), "H");
        return true;
    });
    return true;
}

void CTolvEngineProcess::ScanServices()
{
    CRegKey services;
    if (services.Open(HKEY_LOCAL_MACHINE, kServicesKey, KEY_READ) != ERROR_SUCCESS)
        return;
    ForEachSubkeyName(services.Get(), m_bRunning, [this](const std::string& name) {
        CheckServiceKey(std::string(kServicesKey) + "\\" + name);
        return true;
    });
}

void CTolvEngineProcess::CheckServiceKey(const std::string& serviceKeyPath)
{
    CRegKey service;
    if (service.Open(HKEY_LOCAL_MACHINE, serviceKeyPath.c_str(), KEY_READ) != ERROR_SUCCESS)
        return;
    ForEachRegistryValue(service.Get(), m_bRunning, [&](const RegistryValueData& value) {
        std::string path = AnsiText::Trimmed(AnsiText::ToLower(value.Text()), "\"");
        // Only a program file is judged: a driver's image path names no ".exe".
        if (AnsiText::ToLower(value.name) == "imagepath" && CutAfterProgramExtension(path))
        {
            path = WithoutNtPathPrefix(path);
            if (!LocateReferencedFile(path, *this) && !FileExistsSecondChance(*this, path))
                ReportIfWritable(kMachineRootName, serviceKeyPath, FoundKeyText(kMachineRootName, serviceKeyPath),
                                 kScanServices);
        }
        ShowThrottledStatus(serviceKeyPath, "V", kServiceStatusThreshold);
        return true;
    });
}
