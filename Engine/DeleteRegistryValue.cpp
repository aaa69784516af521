#include "Engine/DeleteRegistryValue.h"

#include "Engine/RegistryKeyPath.h"
#include "Engine/ScanCategory.h"
#include "Framework/AnsiText.h"
#include "Framework/CRegKey.h"

int DeleteRegistryValue(std::string text)
{
    try
    {
        const size_t slash = text.find('\\');
        if (slash == std::string::npos || slash == 0)
            return 0;
        const HKEY root = RegistryKeyPath::RootFromName(text.substr(0, slash));
        const std::string rest = text.substr(slash + 1);
        const size_t separator = rest.find(kItemValueSeparator);
        if (!root || separator == std::string::npos || separator == 0)
            return 0;
        const std::string valueName = rest.substr(separator + 1);
        // The scan's write test asked for no more than setting values; full
        // control would be refused on keys the scan rightly reported.
        CRegKey key;
        if (RegistryKeyPath::OpenPath(root, rest.substr(0, separator), KEY_SET_VALUE | KEY_QUERY_VALUE, 0, key) !=
            ERROR_SUCCESS)
            return 0;
        // Only a value that is really gone counts: a refused delete, or a
        // value that was not there, is no repair.
        if (key.DeleteValue(valueName.c_str()) == ERROR_SUCCESS)
            return 1;
        if (AnsiText::ToLower(valueName) != "(default)")
            return 0;
        return ::RegSetValueA(key.Get(), nullptr, REG_SZ, "", 0) == ERROR_SUCCESS ? 1 : 0;
    }
    catch (...)
    {
        return 0;
    }
}

bool NamesRegistryValue(const std::string& text)
{
    const size_t slash = text.find('\\');
    if (slash == std::string::npos || slash == 0)
        return false;
    const size_t separator = text.find(kItemValueSeparator, slash + 1);
    return separator != std::string::npos && separator > slash + 1;
}
