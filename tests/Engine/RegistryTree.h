#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "Framework/CRegKey.h"

// Whole registry trees as tests plant and compare them. Every key is opened
// relative to its parent, so trees deeper than one call may name work too.
namespace RegistryTree
{
struct Value
{
    DWORD type = REG_NONE;
    std::string data;
    bool operator==(const Value& other) const { return type == other.type && data == other.data; }
};

struct Key
{
    std::map<std::string, Value> values;
    std::map<std::string, Key> subkeys;
};

// root\path with every value and subkey, or false when it does not open.
bool Read(HKEY root, const std::string& path, Key& tree, REGSAM view = 0);
// Creates root\path level by level (backslash-separated) and leaves it open.
bool Create(HKEY root, const std::string& path, CRegKey& key, REGSAM view = 0);
bool CreateRelative(HKEY parent, const std::string& name, CRegKey& key, REGSAM view = 0);
bool Set(HKEY key, const std::string& name, DWORD type, const std::string& data);
bool Plant(HKEY root, const std::string& path, const Key& tree, REGSAM view = 0);
// Every difference, one line each, "" when the trees agree.
std::vector<std::string> Differences(const Key& expected, const Key& actual, const std::string& where = "");
bool Exists(HKEY root, const std::string& path, REGSAM view = 0);
bool ValueExists(HKEY root, const std::string& path, const std::string& name, REGSAM view = 0);
bool Delete(HKEY root, const std::string& path, REGSAM view = 0);
// The whole content of a file; empty when it cannot be read.
std::string ReadFile(const std::string& path);
// Bytes of a text, with or without its terminator.
std::string Sz(const std::string& text);
}
