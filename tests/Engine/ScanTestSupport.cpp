#include "ScanTestSupport.h"

#include <aclapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include "Framework/AnsiText.h"
#include "Framework/CRegKey.h"
#include "support/TestRegistry.h"

RedirectionOff::RedirectionOff()
{
    m_off = TestEnv::IsWow64() && ::Wow64DisableWow64FsRedirection(&m_old);
}

RedirectionOff::~RedirectionOff()
{
    if (m_off)
        ::Wow64RevertWow64FsRedirection(m_old);
}

namespace ScanTest
{
std::string ShellFolder(int csidl)
{
    char buffer[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathA(NULL, csidl, NULL, SHGFP_TYPE_CURRENT, buffer)))
        return std::string();
    return buffer;
}

std::string WindowsFolder()
{
    char buffer[MAX_PATH] = {};
    ::GetWindowsDirectoryA(buffer, MAX_PATH);
    return buffer;
}

std::string ThirtyTwoBitSystemFolder()
{
    char buffer[MAX_PATH] = {};
    if (TestEnv::Is64BitWindows() && ::GetSystemWow64DirectoryA(buffer, MAX_PATH))
        return buffer;
    ::GetSystemDirectoryA(buffer, MAX_PATH);
    return buffer;
}

bool PlantFile(const std::string& path)
{
    const size_t slash = path.find_last_of('\\');
    if (slash != std::string::npos)
        ::SHCreateDirectoryExA(NULL, path.substr(0, slash).c_str(), nullptr);
    return TestEnv::WriteFile(path, "qm");
}

bool SetValue(HKEY root, const std::string& key, const std::string& name, const std::string& value, REGSAM view)
{
    CRegKey k;
    if (k.Create(root, key.c_str(), KEY_SET_VALUE | view) != ERROR_SUCCESS)
        return false;
    return k.SetString(name.c_str(), value) == ERROR_SUCCESS;
}

bool SetEmptyBinaryValue(HKEY root, const std::string& key, const std::string& name)
{
    CRegKey k;
    if (k.Create(root, key.c_str(), KEY_SET_VALUE) != ERROR_SUCCESS)
        return false;
    return ::RegSetValueExA(k.Get(), name.c_str(), 0, REG_BINARY, nullptr, 0) == ERROR_SUCCESS;
}

void ClearKey(HKEY root, const std::string& key, REGSAM view)
{
    CRegKey k;
    if (k.Open(root, key.c_str(), KEY_ALL_ACCESS | view) != ERROR_SUCCESS)
        return;
    char name[MAX_PATH];
    for (;;)
    {
        DWORD length = MAX_PATH;
        if (::RegEnumValueA(k.Get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (::RegDeleteValueA(k.Get(), name) != ERROR_SUCCESS)
            break;
    }
    while (::RegEnumKeyA(k.Get(), 0, name, MAX_PATH) == ERROR_SUCCESS)
        if (::SHDeleteKeyA(k.Get(), name) != ERROR_SUCCESS)
            break;
}

bool CreateKey(HKEY root, const std::string& key)
{
    CRegKey k;
    return k.Create(root, key.c_str(), KEY_READ) == ERROR_SUCCESS;
}

namespace
{
bool SetKeyAccess(HKEY root, const std::string& key, bool denySetValue)
{
    CRegKey k;
    if (k.Open(root, key.c_str(), READ_CONTROL | WRITE_DAC) != ERROR_SUCCESS)
        return false;
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    if (!::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone))
        return false;
    EXPLICIT_ACCESSA entries[2] = {};
    for (EXPLICIT_ACCESSA& entry : entries)
    {
        entry.grfInheritance = NO_INHERITANCE;
        entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
        entry.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
        entry.Trustee.ptstrName = static_cast<LPSTR>(everyone);
    }
    entries[0].grfAccessPermissions = KEY_SET_VALUE;
    entries[0].grfAccessMode = DENY_ACCESS;
    entries[1].grfAccessPermissions = KEY_ALL_ACCESS;
    entries[1].grfAccessMode = GRANT_ACCESS;
    PACL acl = nullptr;
    const ULONG count = denySetValue ? 2 : 1;
    EXPLICIT_ACCESSA* const first = denySetValue ? &entries[0] : &entries[1];
    bool ok = ::SetEntriesInAclA(count, first, nullptr, &acl) == ERROR_SUCCESS;
    if (ok)
        ok = ::SetSecurityInfo(k.Get(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                               nullptr, nullptr, acl, nullptr) == ERROR_SUCCESS;
    if (acl)
        ::LocalFree(acl);
    ::FreeSid(everyone);
    return ok;
}
}

bool DenySetValue(HKEY root, const std::string& key)
{
    return SetKeyAccess(root, key, true);
}

bool AllowEverything(HKEY root, const std::string& key)
{
    return SetKeyAccess(root, key, false);
}

std::vector<RecordingStatus::Call> RunScan(CTolvEngineProcess& job, RecordingStatus& status, DWORD mask)
{
    if (job.StartScan({"C:"}, mask, &status, 0) != 1)
    {
        ADD_FAILURE() << "the scan did not start";
        return {};
    }
    job.Resume();
    EXPECT_TRUE(status.WaitFinished());
    for (int i = 0; i < 1000 && job.GetThreadHandle(); ++i)
        ::Sleep(5);
    return status.Calls();
}

std::string Upper(std::string text)
{
    if (!text.empty())
        ::CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

std::string Lower(std::string text)
{
    return AnsiText::ToLower(text);
}
}
