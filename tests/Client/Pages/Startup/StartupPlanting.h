#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

// What the startup tests plant and read back: Run values in the 64-bit view,
// Startup-folder files, shortcuts and the records of disabled items, all at
// the places the program itself uses.
namespace StartupPlanting
{
struct Value
{
    DWORD type = REG_SZ;
    std::string data;  // the bytes as stored
    bool operator==(const Value& other) const { return type == other.type && data == other.data; }
};

// Empties the Run keys, the records, both Startup folders and "pss".
void ClearAll();

bool SetValue(HKEY root, const std::string& key, const std::string& name, DWORD type, const std::string& data);
// A string value with its terminator, as Windows stores one.
bool SetText(HKEY root, const std::string& key, const std::string& name, const std::string& text,
             DWORD type = REG_SZ);
bool GetValue(HKEY root, const std::string& key, const std::string& name, Value& value);
bool CreateKey(HKEY root, const std::string& key);
bool DeleteKey(HKEY root, const std::string& key);
// Every value of a key by name.
std::map<std::string, Value> Values(HKEY root, const std::string& key);
std::vector<std::string> Subkeys(HKEY root, const std::string& key);
std::string RecordText(const char* recordsKey, const std::string& record, const char* name);

// The folder, made when missing; without a trailing "\".
std::string StartupFolder(bool common);
bool WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
bool Exists(const std::string& path);
bool MakeShortcut(const std::string& linkPath, const std::string& target, const std::string& arguments);
// Every file of a folder by name, with its bytes.
std::map<std::string, std::string> Files(const std::string& folder);
}
