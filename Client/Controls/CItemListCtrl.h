#pragma once
#include <string>

#include "Framework/CImageList.h"
#include "Framework/CListCtrl.h"

// Sent to the notify window when a row's check icon is clicked; wParam is the
// row's item data.
constexpr UINT WM_LISTCHECK = WM_USER + 555;

// The report-view list of the ignore-list, backup, startup and scanning
// pages: three column presets, an image list, and WM_LISTCHECK when a row's
// check-box icon is clicked. It does not sort.
class CItemListCtrl : public CListCtrl
{
public:
    CItemListCtrl& SetNotifyWindow(HWND window)
    {
        m_notifyWindow = window;
        return *this;
    }
    HWND GetNotifyWindow() const { return m_notifyWindow; }

    void InitImageLists();
    void InsertIgnoreListColumns();
    void InsertBackupColumns();
    void InsertStartupColumns(std::string name, std::string path, std::string location, std::string status);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    void OnStateIconClick(POINT point);

    HWND m_notifyWindow = NULL;
    CImageList m_images;
};
