#include "StartupPlanting.h"

#include <objbase.h>
#include <shlobj.h>

#include "Client/Pages/StartupLocations.h"
#include "Framework/CComPtr.h"
#include "Framework/CRegKey.h"

using StartupLocations::kView;

namespace StartupPlanting
{
namespace
{
void EmptyKey(HKEY root, const char* path)
{
    CRegKey key;
    if (key.Open(root, path, KEY_ALL_ACCESS | kView) == ERROR_SUCCESS)
        ::RegDeleteTreeA(key.Get(), nullptr);
}

void EmptyFolder(const std::string& folder)
{
    for (const auto& file : Files(folder))
    {
        const std::string path = folder + "\\" + file.first;
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(path.c_str());
    }
}
}

void ClearAll()
{
    for (const IdStringEntry& runKey : StartupLocations::RunKeys(true, 0))
        EmptyKey(StartupLocations::RunKeyRoot(runKey), runKey.text.c_str());
    EmptyKey(StartupLocations::RecordRoot(), StartupLocations::kConfigKey);
    EmptyFolder(StartupFolder(false));
    EmptyFolder(StartupFolder(true));
    std::string pss = StartupLocations::PssFolder();
    pss.pop_back();
    EmptyFolder(pss);
}

bool SetValue(HKEY root, const std::string& key, const std::string& name, DWORD type, const std::string& data)
{
    CRegKey k;
    if (k.Create(root, key.c_str(), KEY_ALL_ACCESS | kView) != ERROR_SUCCESS)
        return false;
    return ::RegSetValueExA(k.Get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                            static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

bool SetText(HKEY root, const std::string& key, const std::string& name, const std::string& text, DWORD type)
{
    return SetValue(root, key, name, type, text + '\0');
}

bool GetValue(HKEY root, const std::string& key, const std::string& name, Value& value)
{
    CRegKey k;
    if (k.Open(root, key.c_str(), KEY_READ | kView) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    if (::RegQueryValueExA(k.Get(), name.c_str(), nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    value.data.assign(size, '\0');
    return ::RegQueryValueExA(k.Get(), name.c_str(), nullptr, &value.type, reinterpret_cast<BYTE*>(&value.data[0]),
                              &size) == ERROR_SUCCESS;
}

bool CreateKey(HKEY root, const std::string& key)
{
    CRegKey k;
    return k.Create(root, key.c_str(), KEY_READ | kView) == ERROR_SUCCESS;
}

bool DeleteKey(HKEY root, const std::string& key)
{
    EmptyKey(root, key.c_str());
    typedef LONG(WINAPI * DeleteKeyEx)(HKEY, LPCSTR, REGSAM, DWORD);
    const DeleteKeyEx deleteKeyEx = reinterpret_cast<DeleteKeyEx>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("advapi32.dll"), "RegDeleteKeyExA")));
    if (deleteKeyEx)
        return deleteKeyEx(root, key.c_str(), kView, 0) == ERROR_SUCCESS;
    return ::RegDeleteKeyA(root, key.c_str()) == ERROR_SUCCESS;
}

std::map<std::string, Value> Values(HKEY root, const std::string& key)
{
    std::map<std::string, Value> values;
    CRegKey k;
    if (k.Open(root, key.c_str(), KEY_READ | kView) != ERROR_SUCCESS)
        return values;
    for (DWORD index = 0;; ++index)
    {
        char name[16384];
        DWORD length = sizeof(name);
        if (::RegEnumValueA(k.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        GetValue(root, key, name, values[name]);
    }
    return values;
}

std::vector<std::string> Subkeys(HKEY root, const std::string& key)
{
    std::vector<std::string> names;
    CRegKey k;
    if (k.Open(root, key.c_str(), KEY_READ | kView) != ERROR_SUCCESS)
        return names;
    char name[256];
    for (DWORD length = sizeof(name);
         ::RegEnumKeyExA(k.Get(), static_cast<DWORD>(names.size()), name, &length, nullptr, nullptr, nullptr,
                         nullptr) == ERROR_SUCCESS;
         length = sizeof(name))
        names.push_back(name);
    return names;
}

std::string RecordText(const char* recordsKey, const std::string& record, const char* name)
{
    Value value;
    if (!GetValue(StartupLocations::RecordRoot(), std::string(recordsKey) + "\\" + record, name, value))
        return "<missing>";
    return value.data.c_str();
}

std::string StartupFolder(bool common)
{
    char buffer[MAX_PATH] = {};
    ::SHGetSpecialFolderPathA(NULL, buffer, common ? CSIDL_COMMON_STARTUP : CSIDL_STARTUP, TRUE);
    return buffer;
}

bool WriteBytes(const std::string& path, const std::string& bytes)
{
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == bytes.size();
}

std::string ReadBytes(const std::string& path)
{
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string bytes(::GetFileSize(file, nullptr), '\0');
    DWORD got = 0;
    if (!bytes.empty())
        ::ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
    ::CloseHandle(file);
    return bytes.substr(0, got);
}

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MakeShortcut(const std::string& linkPath, const std::string& target, const std::string& arguments)
{
    CComPtr<IShellLinkA> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  link.ReceiveVoid())))
        return false;
    link->SetPath(target.c_str());
    link->SetArguments(arguments.c_str());
    CComPtr<IPersistFile> file;
    if (FAILED(link.QueryInterface(IID_IPersistFile, file)))
        return false;
    WCHAR widePath[MAX_PATH] = {};
    ::MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, widePath, MAX_PATH);
    return SUCCEEDED(file->Save(widePath, TRUE));
}

std::map<std::string, std::string> Files(const std::string& folder)
{
    std::map<std::string, std::string> files;
    WIN32_FIND_DATAA data = {};
    const HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
        return files;
    do
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files[data.cFileName] = ReadBytes(folder + "\\" + data.cFileName);
    while (::FindNextFileA(search, &data));
    ::FindClose(search);
    return files;
}
}
