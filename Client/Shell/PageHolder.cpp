#include "Client/Shell/PageHolder.h"

#include "Framework/CWnd.h"

PageHolder::PageHolder(CWnd* page) : m_page(page), m_tried(true)
{
}

PageHolder::PageHolder(CWnd* page, Maker make) : m_page(page), m_make(std::move(make))
{
}

CWnd* PageHolder::Window()
{
    if (!m_tried)
    {
        // Set first: whatever the maker does may ask for the page again.
        m_tried = true;
        if (m_make && !m_make())
            return nullptr;
    }
    return MadeWindow();
}

CWnd* PageHolder::MadeWindow() const
{
    return m_page && m_page->GetSafeHwnd() ? m_page : nullptr;
}
