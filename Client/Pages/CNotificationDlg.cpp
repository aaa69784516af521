#include "Client/Pages/CNotificationDlg.h"

#include "Client/Shell/PageShell.h"
#include "Client/res/PopupResource.h"
#include "Framework/AnsiText.h"
#include "Framework/CDataExchange.h"

CNotificationDlg::CNotificationDlg(CWnd* parent) : CBitmapDialog(IDD_THREAT_POPUP, parent) {}

CNotificationDlg::~CNotificationDlg() = default;

std::string CNotificationDlg::MessageFor(const std::string& threatName)
{
    // The line break is LF CR, in that order.
    return AnsiText::Format("Threat '%s'\n\rBLOCKED", threatName.c_str());
}

void CNotificationDlg::DoDataExchange(CDataExchange* dx)
{
    CBitmapDialog::DoDataExchange(dx);
    dx->Control(IDC_POPUP_MESSAGE, m_messageLabel);
    dx->Control(IDC_POPUP_ALLOW, m_allowButton);
    dx->Control(IDCANCEL, m_okButton);
    dx->Control(IDC_POPUP_HINT, m_hintLabel);
    dx->Control(IDC_POPUP_HEADING, m_heading);
}

BOOL CNotificationDlg::OnInitDialog()
{
    CBitmapDialog::OnInitDialog();
    SetBitmap(IDB_POPUP_BACKGROUND);
    SetWindowText(ProgramShell().ProductTitle());
    EnableClientDrag(1);
    m_messageLabel.SetFontName("Arial").SetFontSize(9).SetFontBold(true).SetTransparent(true).SetTextColor(
        RGB(0x40, 0x40, 0x40));
    m_hintLabel.SetFontName("Arial").SetFontSize(8).SetFontBold(true).SetTransparent(true).SetTextColor(
        RGB(0x40, 0x40, 0x40));
    m_messageLabel.SetText(MessageFor(m_strThreat));
    ::SetForegroundWindow(m_hWnd);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return TRUE;
}

BOOL CNotificationDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == IDC_POPUP_ALLOW && HIWORD(wParam) == BN_CLICKED)
    {
        OnAllow();
        return TRUE;
    }
    return CBitmapDialog::OnCommand(wParam, lParam);
}

void CNotificationDlg::OnAllow()
{
    EndDialog(kAllowed);
}
