#include "support/FakeScanItems.h"

void FakeScanItems::Add(const std::string& text, DWORD category, bool excluded)
{
    Item item;
    item.text = text;
    item.category = category;
    item.excluded = excluded;
    items.push_back(item);
}

int FakeScanItems::AddFoundItem(const char* text, DWORD category, int, int)
{
    Add(text ? text : "", category);
    return 1;
}

bool FakeScanItems::HasItems(DWORD category)
{
    return GetItemCount(category) > 0;
}

int FakeScanItems::GetItemCount(DWORD category)
{
    int count = 0;
    for (const Item& item : items)
        if (item.category & category)
            ++count;
    return count;
}

DWORD FakeScanItems::GetFoundMask()
{
    DWORD mask = 0;
    for (const Item& item : items)
        mask |= item.category;
    return mask;
}

int FakeScanItems::GetItems(std::vector<const char*>* out, DWORD category)
{
    for (const Item& item : items)
        if (item.category & category)
            out->push_back(item.text.c_str());
    return static_cast<int>(out->size());
}

int FakeScanItems::MoveFirst()
{
    m_cursor = 0;
    return m_cursor < items.size() ? 1 : 0;
}

int FakeScanItems::MoveNext()
{
    if (m_cursor < items.size())
        ++m_cursor;
    return m_cursor < items.size() ? 1 : 0;
}

const char* FakeScanItems::GetCurrentText()
{
    return m_cursor < items.size() ? items[m_cursor].text.c_str() : nullptr;
}

DWORD FakeScanItems::GetCurrentCategory()
{
    return m_cursor < items.size() ? items[m_cursor].category : 0;
}

int FakeScanItems::IsCurrentItemExcluded()
{
    return m_cursor < items.size() && items[m_cursor].excluded ? 1 : 0;
}
