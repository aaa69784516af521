#include "Framework/CommonControls.h"

#include "Framework/LateImports.h"

namespace
{
bool IsSystemClassName(const std::wstring& name)
{
    for (const wchar_t* system : {L"Button", L"Edit", L"Static", L"ListBox", L"ScrollBar", L"ComboBox"})
        if (::lstrcmpiW(name.c_str(), system) == 0)
            return true;
    return false;
}

bool InitialiseLibrary()
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), 0xFF};
    return LateImports::InitCommonControlsEx(&controls) != FALSE;
}
}

namespace CommonControls
{
void Ready()
{
    static const bool ready = InitialiseLibrary();
    (void)ready;
}

bool NeededBy(const DialogTemplateWalker::Template& dialogTemplate)
{
    const bool extended = DialogTemplateWalker::IsExtended(dialogTemplate);
    const int count = DialogTemplateWalker::ItemCount(dialogTemplate);
    size_t item = DialogTemplateWalker::FirstItem(dialogTemplate);
    for (int i = 0; i < count && item; ++i)
    {
        DialogTemplateWalker::Item read;
        if (!DialogTemplateWalker::ReadItem(dialogTemplate, item, extended, &read))
            return true;
        if (!read.classOrdinal && !IsSystemClassName(read.className))
            return true;
        item = DialogTemplateWalker::NextItem(dialogTemplate, item, extended);
    }
    return false;
}
}
