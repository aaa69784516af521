#include "support/TestRegistry.h"

#include <sddl.h>
#include <shlwapi.h>

#include "Framework/CHandle.h"
#include "Framework/CLocalMemory.h"
#include "Framework/CRegKey.h"
#include "Framework/Wow64.h"

namespace TestEnv
{
bool IsWow64()
{
    return Wow64::IsCurrentProcess();
}

bool Is64BitWindows()
{
    return Wow64::Is64BitWindows();
}

REGSAM OtherView()
{
    return Wow64::OtherView();
}

const char* Configuration()
{
    if (IsWow64())
        return "wow64";
    return Is64BitWindows() ? "win64" : "win32";
}

bool WriteNativeSystemFile(const std::string& name, const std::string& content)
{
    char system[MAX_PATH] = {};
    ::GetSystemDirectoryA(system, MAX_PATH);
    PVOID old = nullptr;
    const bool off = IsWow64() && ::Wow64DisableWow64FsRedirection(&old);
    const bool ok = WriteFile(std::string(system) + "\\" + name, content);
    if (off)
        ::Wow64RevertWow64FsRedirection(old);
    return ok;
}

bool WriteFile(const std::string& path, const std::string& content)
{
    CHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    return ::WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
           written == content.size();
}

std::string ReadFile(const std::string& path)
{
    CHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (file && ::ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

std::string SettingsValue(const std::string& iniPath, const char* name, const char* fallback)
{
    char value[256] = {};
    ::GetPrivateProfileStringA("SETTINGS", name, fallback, value, sizeof(value), iniPath.c_str());
    return value;
}

bool FileExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool AppendLine(const std::string& path, const std::string& line)
{
    CHandle file(::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    const std::string text = line + "\n";
    DWORD written = 0;
    const bool ok = ::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                    written == text.size();
    ::FlushFileBuffers(file.Get());
    return ok;
}

std::vector<std::string> NamesMatching(const std::string& pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found = {};
    const HANDLE search = ::FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(found.cFileName);
    while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return names;
}

STARTUPINFOA WithOurStandardHandles()
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    return startup;
}

STARTUPINFOA PlainStartup()
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    return startup;
}

StartedProcess StartProcess(const ProcessStart& start)
{
    // Wine now and then refuses to start a process with an internal error
    // while the machine is loaded (seen with programs copied a moment
    // before, in two runs of the suite side by side); the same call a
    // moment later starts it.
    const char* const program = start.program.empty() ? nullptr : start.program.c_str();
    const char* const folder = start.folder.empty() ? nullptr : start.folder.c_str();
    std::string environment = start.environment;
    void* const block = environment.empty() ? nullptr : &environment[0];
    STARTUPINFOA startup = start.startup;
    for (int attempt = 0;; ++attempt)
    {
        // CreateProcessA may write into the command line.
        std::string commandLine = start.commandLine;
        PROCESS_INFORMATION info = {};
        if (::CreateProcessA(program, &commandLine[0], nullptr, nullptr, start.inheritHandles, start.flags, block,
                             folder, &startup, &info))
        {
            StartedProcess started;
            started.started = true;
            started.process.Attach(info.hProcess);
            started.thread.Attach(info.hThread);
            started.id = info.dwProcessId;
            return started;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_INTERNAL_ERROR || attempt == 4)
        {
            ::SetLastError(error);
            return StartedProcess();
        }
        ::Sleep(250);
    }
}

std::string MakeScratchFolder(const std::string& name)
{
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "qmtest-" + name;
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\";
}

bool SetString(HKEY root, const std::string& key, const std::string& name, const std::string& value, DWORD type)
{
    CRegKey k;
    if (k.Create(root, key.c_str(), KEY_SET_VALUE) != ERROR_SUCCESS)
        return false;
    return k.SetString(name.c_str(), value, type) == ERROR_SUCCESS;
}

bool DeleteTree(HKEY root, const std::string& key)
{
    return ::SHDeleteKeyA(root, key.c_str()) == ERROR_SUCCESS;
}

bool ValueExists(HKEY root, const std::string& key, const std::string& name)
{
    CRegKey k;
    if (k.Open(root, key.c_str(), KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return false;
    return ::RegQueryValueExA(k.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool KeyExists(HKEY root, const std::string& key)
{
    CRegKey k;
    return k.Open(root, key.c_str(), KEY_READ) == ERROR_SUCCESS;
}

bool SetKeyAccess(HKEY root, const std::string& key, const char* dacl, REGSAM view)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(dacl, SDDL_REVISION_1, &descriptor, nullptr))
        return false;
    const CLocalMemory held(descriptor);
    CRegKey k;
    return k.Open(root, key.c_str(), WRITE_DAC | view) == ERROR_SUCCESS &&
           ::RegSetKeySecurity(k.Get(), DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
}

KeyAccess::KeyAccess(HKEY root, const std::string& key, const char* dacl, REGSAM view)
    : m_root(root), m_key(key), m_view(view)
{
    CRegKey k;
    if (k.Open(root, key.c_str(), READ_CONTROL | view) != ERROR_SUCCESS)
        return;
    DWORD size = 0;
    ::RegGetKeySecurity(k.Get(), DACL_SECURITY_INFORMATION, nullptr, &size);
    m_original.resize(size);
    if (size == 0 ||
        ::RegGetKeySecurity(k.Get(), DACL_SECURITY_INFORMATION, m_original.data(), &size) != ERROR_SUCCESS)
        return;
    m_applied = SetKeyAccess(root, key, dacl, view);
}

KeyAccess::~KeyAccess()
{
    CRegKey k;
    if (m_applied && k.Open(m_root, m_key.c_str(), WRITE_DAC | m_view) == ERROR_SUCCESS)
        ::RegSetKeySecurity(k.Get(), DACL_SECURITY_INFORMATION, m_original.data());
}
}
