#include "RegistryTree.h"

#include <shlwapi.h>

#include <cstdio>

namespace RegistryTree
{
namespace
{
std::vector<std::string> SplitPath(const std::string& path)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size())
    {
        const size_t slash = path.find('\\', start);
        const size_t end = slash == std::string::npos ? path.size() : slash;
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    return parts;
}

bool OpenPath(HKEY root, const std::string& path, REGSAM access, CRegKey& key)
{
    CRegKey current(root);
    for (const std::string& part : SplitPath(path))
    {
        CRegKey next;
        if (next.Open(current.Get(), part.c_str(), access) != ERROR_SUCCESS)
            return false;
        current = std::move(next);
    }
    key = std::move(current);
    return true;
}

void ReadKey(HKEY key, Key& tree, REGSAM view)
{
    std::vector<char> name(512);
    std::vector<BYTE> data(512);
    for (DWORD index = 0;; ++index)
    {
        DWORD nameSize = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = 0;
        const LONG rc = ::RegEnumValueA(key, index, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize);
        if (rc == ERROR_MORE_DATA)
        {
            name.resize(name.size() * 2);
            data.resize(std::max<size_t>(data.size() * 2, dataSize + 1));
            --index;
            continue;
        }
        if (rc != ERROR_SUCCESS)
            break;
        Value& value = tree.values[std::string(name.data(), nameSize)];
        value.type = type;
        value.data.assign(reinterpret_cast<const char*>(data.data()), dataSize);
    }
    for (DWORD index = 0;; ++index)
    {
        DWORD nameSize = static_cast<DWORD>(name.size());
        const LONG rc = ::RegEnumKeyExA(key, index, name.data(), &nameSize, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA)
        {
            name.resize(name.size() * 2);
            --index;
            continue;
        }
        if (rc != ERROR_SUCCESS)
            break;
        const std::string subkeyName(name.data(), nameSize);
        Key& subtree = tree.subkeys[subkeyName];
        CRegKey subkey;
        if (subkey.Open(key, subkeyName.c_str(), KEY_READ | view) == ERROR_SUCCESS)
            ReadKey(subkey.Get(), subtree, view);
    }
}

std::string Printable(const std::string& bytes)
{
    std::string text;
    for (const unsigned char c : bytes)
    {
        char hex[4];
        std::snprintf(hex, sizeof(hex), "%02x ", c);
        text += hex;
    }
    return text;
}

std::string Shorten(const std::string& path)
{
    return path.size() > 120 ? "..." + path.substr(path.size() - 100) : path;
}
}

bool Read(HKEY root, const std::string& path, Key& tree, REGSAM view)
{
    tree = Key();
    CRegKey key;
    if (!OpenPath(root, path, KEY_READ | view, key))
        return false;
    ReadKey(key.Get(), tree, view);
    return true;
}

bool CreateRelative(HKEY parent, const std::string& name, CRegKey& key, REGSAM view)
{
    return key.Create(parent, name.c_str(), KEY_ALL_ACCESS | view) == ERROR_SUCCESS;
}

bool Create(HKEY root, const std::string& path, CRegKey& key, REGSAM view)
{
    CRegKey current(root);
    for (const std::string& part : SplitPath(path))
    {
        CRegKey next;
        if (!CreateRelative(current.Get(), part, next, view))
            return false;
        current = std::move(next);
    }
    key = std::move(current);
    return true;
}

bool Set(HKEY key, const std::string& name, DWORD type, const std::string& data)
{
    static const BYTE none = 0;
    return ::RegSetValueExA(key, name.c_str(), 0, type,
                            data.empty() ? &none : reinterpret_cast<const BYTE*>(data.data()),
                            static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

namespace
{
bool PlantKey(HKEY key, const Key& tree, REGSAM view)
{
    for (const auto& value : tree.values)
        if (!Set(key, value.first, value.second.type, value.second.data))
            return false;
    for (const auto& subtree : tree.subkeys)
    {
        CRegKey subkey;
        if (!CreateRelative(key, subtree.first, subkey, view) || !PlantKey(subkey.Get(), subtree.second, view))
            return false;
    }
    return true;
}
}

bool Plant(HKEY root, const std::string& path, const Key& tree, REGSAM view)
{
    CRegKey key;
    return Create(root, path, key, view) && PlantKey(key.Get(), tree, view);
}

std::vector<std::string> Differences(const Key& expected, const Key& actual, const std::string& where)
{
    std::vector<std::string> found;
    for (const auto& value : expected.values)
    {
        const auto other = actual.values.find(value.first);
        if (other == actual.values.end())
            found.push_back(Shorten(where) + " value '" + value.first + "' missing");
        else if (!(other->second == value.second))
            found.push_back(Shorten(where) + " value '" + value.first + "': type " +
                            std::to_string(value.second.type) + " [" + Printable(value.second.data) + "] became type " +
                            std::to_string(other->second.type) + " [" + Printable(other->second.data) + "]");
    }
    for (const auto& value : actual.values)
        if (!expected.values.count(value.first))
            found.push_back(Shorten(where) + " value '" + value.first + "' is new");
    for (const auto& subtree : expected.subkeys)
    {
        const auto other = actual.subkeys.find(subtree.first);
        if (other == actual.subkeys.end())
            found.push_back(Shorten(where + "\\" + subtree.first) + " missing");
        else
        {
            const std::vector<std::string> inner = Differences(subtree.second, other->second, where + "\\" + subtree.first);
            found.insert(found.end(), inner.begin(), inner.end());
        }
    }
    for (const auto& subtree : actual.subkeys)
        if (!expected.subkeys.count(subtree.first))
            found.push_back(Shorten(where + "\\" + subtree.first) + " is new");
    return found;
}

bool Exists(HKEY root, const std::string& path, REGSAM view)
{
    CRegKey key;
    return OpenPath(root, path, KEY_READ | view, key);
}

bool ValueExists(HKEY root, const std::string& path, const std::string& name, REGSAM view)
{
    CRegKey key;
    return OpenPath(root, path, KEY_READ | view, key) &&
           ::RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool Delete(HKEY root, const std::string& path, REGSAM view)
{
    const size_t slash = path.rfind('\\');
    CRegKey parent;
    if (!OpenPath(root, slash == std::string::npos ? std::string() : path.substr(0, slash), KEY_ALL_ACCESS | view,
                  parent))
        return false;
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return ::SHDeleteKeyA(parent.Get(), name.c_str()) == ERROR_SUCCESS;
}

std::string ReadFile(const std::string& path)
{
    std::string content;
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return content;
    std::vector<char> buffer(65536);
    DWORD got = 0;
    while (::ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) && got)
        content.append(buffer.data(), got);
    ::CloseHandle(file);
    return content;
}

std::string Sz(const std::string& text)
{
    return text + std::string(1, '\0');
}
}
