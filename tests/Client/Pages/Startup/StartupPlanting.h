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

// Gives a key (in the view the program uses) the access an SDDL DACL
// describes for everyone, as a user without rights to it would meet it, and
// puts the key's own DACL back when it ends.
class KeyAccess
{
public:
    KeyAccess(HKEY root, const std::string& key, const char* dacl);
    ~KeyAccess();
    KeyAccess(const KeyAccess&) = delete;
    KeyAccess& operator=(const KeyAccess&) = delete;
    bool Applied() const { return m_applied; }

    // Reading only; the test may still put the DACL back.
    static constexpr const char* kReadOnly = "D:P(A;;KRWD;;;WD)";

private:
    HKEY m_root;
    std::string m_key;
    std::vector<BYTE> m_original;
    bool m_applied = false;
};

// The folder, made when missing; without a trailing "\".
std::string StartupFolder(bool common);
bool WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
bool Exists(const std::string& path);
bool MakeShortcut(const std::string& linkPath, const std::string& target, const std::string& arguments);
// Every file of a folder by name, with its bytes.
std::map<std::string, std::string> Files(const std::string& folder);
}
