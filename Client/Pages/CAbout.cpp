#include "Client/Pages/CAbout.h"

#include "Client/res/AboutResource.h"
#include "Framework/CDataExchange.h"

CAbout::CAbout(CWnd* parent) : CBitmapDialog(IDD_ABOUT, parent) {}

CAbout::~CAbout() = default;

void CAbout::DoDataExchange(CDataExchange* dx)
{
    CBitmapDialog::DoDataExchange(dx);
    dx->Control(IDC_ABOUT_VERSION, m_versionLabel);
    dx->Control(IDC_ABOUT_NOTICE, m_noticeLabel);
}

BOOL CAbout::OnInitDialog()
{
    CBitmapDialog::OnInitDialog();
    SetBitmap(IDB_ABOUT_BACKGROUND);
    m_versionLabel.SetFontName("Calibri").SetFontSize(9).SetTransparent(true).SetTextColor(RGB(0x40, 0x40, 0x40));
    m_noticeLabel.SetFontName("Calibri").SetFontSize(10).SetFontBold(true).SetTransparent(true).SetTextColor(
        RGB(0, 0, 0));
    ::SetWindowPos(m_hWnd, NULL, kPageLeft, kPageTop, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}
