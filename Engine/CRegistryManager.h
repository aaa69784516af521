#pragma once
#include <windows.h>

#include <atomic>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Framework/CRegKey.h"

class CAbstractScanItemsInfo;
class CAbstractStatus;
class CXmlWriter;
class XmlElement;

// One value of a key as a backup file holds it.
struct KeyValueRecord
{
    std::string name;     // "(Default)" for the unnamed value
    std::string text;     // the value text of the file
    std::string typeName; // the "type" attribute; empty when it is left out
};

// One level of the restore's key stack.
struct KeyStackEntry
{
    std::string name;
    CRegKey key;
    bool skipped = false;  // left out of the restore, with all below it
    bool reported = false; // told as not restored
};

// Copies registry keys into a backup file and writes such a file back. Runs
// on the engine's job thread; the window thread only cancels (Cancel).
class CRegistryManager
{
public:
    explicit CRegistryManager(CAbstractStatus* status);
    virtual ~CRegistryManager();

    CRegistryManager(const CRegistryManager&) = delete;
    CRegistryManager& operator=(const CRegistryManager&) = delete;

    // All five roots. 1 when the walk ran to its end and the file was
    // written whole; 0 when it was cancelled or the file could not be
    // created or written (HasWriteFailed tells which). Under WOW64 the roots
    // are read through the 64-bit view, and the file says so.
    int BackupRegistry(const std::string& path);
    // The keys of the store's selected findings, in the program's own view,
    // each once: a key inside another that is saved is not saved again.
    // Results as BackupRegistry.
    int BackupKeys(CAbstractScanItemsInfo* items, const std::string& path);
    // 1 when the whole file was read back and every key and value written;
    // 0 when it cannot be opened, is not exactly as the writer makes it (a
    // parse error, handed to the status sink with its line; then nothing at
    // all is written), or a key or value could not be written or spelt in
    // the ANSI code page (that one is left out, never written with "?", and
    // its key handed to the sink as not restored). A key that must be
    // volatile because its parent is comes back volatile.
    int RestoreRegistry(const std::string& path);
    // 1 when the key is deleted or does not exist; 0 otherwise, and always
    // for paths that name a root or a key the scanners only walk through.
    int DeleteKeyPath(const std::string& keyPath);
    // Root, key path, last backslash, value name. 1 when the value was deleted.
    int DeleteValue(const std::string& valuePath);
    // 1 when the key can be opened for reading.
    int KeyExists(const std::string& keyPath);

    // Ends a running backup at its next key; also one that has yet to start.
    void Cancel();
    bool HasWriteFailed() const { return m_bWriteFailed; }

    // Go flag: 1 while a backup runs; a backup stops walking when it drops.
    std::atomic<int> m_bGo{0};

private:
    // Starts an operation unless a cancel came first.
    void BeginOperation();
    int FinishBackup(CXmlWriter& writer);
    // true when the key's chain was written whole.
    bool ExportKeyPath(CXmlWriter& writer, const std::string& keyPath, REGSAM view);
    // The keys of the store's selected findings, each once, outer keys first.
    std::vector<std::string> FindingKeys(CAbstractScanItemsInfo* items);
    // One chain for each key, but none for a key inside one written before:
    // that chain holds it whole.
    void ExportFindingKeys(CXmlWriter& writer, const std::vector<std::string>& keys);
    // false ends the whole walk (cancel, or the file failed).
    bool ExportKey(CXmlWriter& writer, const std::string& name, HKEY key, REGSAM view, int depth);
    void ExportValues(CXmlWriter& writer, HKEY key);
    // A subkey that is a link to another key of the registry.
    static bool IsLinkIntoTheRegistry(HKEY parent, const std::string& name, REGSAM view);
    bool EnumValue(HKEY key, DWORD index, DWORD& type, DWORD& length, LONG& rc);
    bool EnumSubkey(HKEY key, DWORD index, std::string& name, LONG& rc);
    bool WriteKeyElement(CXmlWriter& writer, const std::string& name, bool empty);
    // A "v" element of the value described in m_text and m_typeName; the
    // empty name is the unnamed value, "(Default)".
    bool WriteValueElement(CXmlWriter& writer, const char* name, size_t nameLength);
    // Replaces each component of a finding's key path by the name the
    // registry stores, as far as the keys open, level by level: for keys
    // whose full name does not tell (links, redirected views).
    void SpellByLevels(HKEY root, std::vector<std::string>& components);
    void LearnSubkeySpellings(HKEY key, const std::string& keyText);


    static int DeleteKeyTree(HKEY parent, const std::string& name);

    CAbstractStatus* m_pStatus;
    std::atomic<int> m_bCancelled{0};
    bool m_bWriteFailed = false;
    bool m_bSkipLinks = false;
    // The file holds the native view of a 64-bit Windows: its roots are
    // spelt so that a program that knows no view mark restores nothing.
    bool m_bNativeViewMark = false;

    // Reused for every key and value of a walk, so that the memory of a
    // backup does not grow with the registry.
    std::vector<char> m_nameBuffer;
    std::vector<BYTE> m_dataBuffer;
    std::vector<char> m_subkeyBuffer;
    std::string m_text;
    std::string m_typeName;
    std::unique_ptr<XmlElement> m_keyElement;
    std::string m_line;
    // The stored names of the subkeys a partial backup looked at, by their
    // lower-cased key text; and the keys whose subkeys are all known.
    std::map<std::string, std::string> m_spelling;
    std::set<std::string> m_spelledParents;
};
