#include "Client/Shell/ExplorerContextMenu.h"

#include "Framework/AnsiText.h"
#include "Framework/CRegKey.h"

const char* const ExplorerContextMenu::kShellKeys[2] = {"*\\shell", "Folder\\shell"};

namespace
{
const char* const kCommandKey = "\\command";
}

ExplorerContextMenu::ExplorerContextMenu(HKEY root, const std::string& productName, const std::string& programPath)
    : m_root(root), m_productName(productName), m_programPath(programPath)
{
}

std::string ExplorerContextMenu::MenuKey(const char* shellKey) const
{
    return AnsiText::Format("%s\\%s", shellKey, m_productName.c_str());
}

std::string ExplorerContextMenu::CommandLine() const
{
    return AnsiText::Format("%s%s%s", "\"", m_programPath.c_str(), "\" \"%1\"");
}

void ExplorerContextMenu::Register() const
{
    for (const char* shellKey : kShellKeys)
        RegisterUnder(shellKey);
}

void ExplorerContextMenu::Unregister() const
{
    for (const char* shellKey : kShellKeys)
        UnregisterUnder(shellKey);
}

void ExplorerContextMenu::RegisterUnder(const char* shellKey) const
{
    const std::string menuKey = MenuKey(shellKey);
    {
        CRegKey menu;
        if (menu.Create(m_root, menuKey.c_str(), KEY_ALL_ACCESS) != ERROR_SUCCESS ||
            menu.SetStringUnterminated("", "Scan with " + m_productName) != ERROR_SUCCESS)
            return;
    }
    CRegKey command;
    if (command.Create(m_root, (menuKey + kCommandKey).c_str(), KEY_ALL_ACCESS) == ERROR_SUCCESS)
        command.SetStringUnterminated("", CommandLine());
}

void ExplorerContextMenu::UnregisterUnder(const char* shellKey) const
{
    // The menu key goes too when its command is already gone, so nothing of
    // ours stays behind; a key that holds anything else than our command is
    // not ours to delete, and the deletion then fails by itself.
    const std::string menuKey = MenuKey(shellKey);
    CRegKey::DeleteKey(m_root, (menuKey + kCommandKey).c_str());
    CRegKey::DeleteKey(m_root, menuKey.c_str());
}
