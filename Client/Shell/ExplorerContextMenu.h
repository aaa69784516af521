#pragma once
#include <windows.h>

#include <string>

// The "Scan with <product>" entries on Explorer's context menu of every file
// and folder: a verb key named after the product under "*\shell" and
// "Folder\shell", whose command starts the program with the chosen path.
// Nothing is reported; without write access the entries are simply not
// made or not removed.
class ExplorerContextMenu
{
public:
    // The program and the tests build it the same way: the classes root,
    // the product name and the program's own file.
    ExplorerContextMenu(HKEY root, const std::string& productName, const std::string& programPath);

    void Register() const;
    // Removes our verb and nothing else under either shell key.
    void Unregister() const;

    // The menu key under a shell key ("*\shell\Quillomar").
    std::string MenuKey(const char* shellKey) const;
    // The quoted program path, a blank and the quoted "%1".
    std::string CommandLine() const;

    static const char* const kShellKeys[2];

private:
    void RegisterUnder(const char* shellKey) const;
    void UnregisterUnder(const char* shellKey) const;

    HKEY m_root;
    std::string m_productName;
    std::string m_programPath;
};
