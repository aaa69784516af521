#include "Client/Scan/CRepairResultDlg.h"

#include "Client/Scan/ScanWorkflow.h"
#include "Client/res/ScanResultsResource.h"
#include "Framework/AnsiText.h"
#include "Framework/CDataExchange.h"

namespace
{
// The page's place in the main window.
const int kPageLeft = 183, kPageTop = 62, kPageWidth = 509, kPageHeight = 332;
const COLORREF kCaptionInk = RGB(64, 64, 64);
}

CRepairResultDlg::CRepairResultDlg(CWnd* parent) : CBitmapDialog(IDD_REPAIR_SUMMARY, parent)
{
    m_whiteBrush.CreateSolidBrush(RGB(255, 255, 255));
}

CRepairResultDlg::~CRepairResultDlg() = default;

void CRepairResultDlg::DoDataExchange(CDataExchange* dx)
{
    CBitmapDialog::DoDataExchange(dx);
    dx->Control(IDC_SUMMARY_HEADING, m_heading);
    dx->Control(IDC_SUMMARY_STATUS_CAPTION, m_statusCaption);
    dx->Control(IDC_SUMMARY_STATUS, m_status);
    dx->Control(IDC_SUMMARY_SCANNED_CAPTION, m_scannedCaption);
    dx->Control(IDC_SUMMARY_SCANNED, m_scanned);
    dx->Control(IDC_SUMMARY_FOUND_CAPTION, m_foundCaption);
    dx->Control(IDC_SUMMARY_FOUND, m_found);
    dx->Control(IDC_SUMMARY_REPAIRED_CAPTION, m_repairedCaption);
    dx->Control(IDC_SUMMARY_REPAIRED, m_repaired);
    dx->Control(IDC_SUMMARY_SKIPPED_CAPTION, m_skippedCaption);
    dx->Control(IDC_SUMMARY_SKIPPED, m_skipped);
    dx->Control(IDC_SUMMARY_TIME_CAPTION, m_timeCaption);
    dx->Control(IDC_SUMMARY_TIME, m_time);
    dx->Control(IDC_SUMMARY_FINISH, m_finishButton);
    dx->Control(IDC_SUMMARY_BACK, m_backButton);
    dx->Control(IDC_SUMMARY_RULE, m_rule);
}

BOOL CRepairResultDlg::OnInitDialog()
{
    CBitmapDialog::OnInitDialog();
    SetTransparentStatics(0);
    InitLabels();
    MoveWindow(kPageLeft, kPageTop, kPageWidth, kPageHeight, false);
    return TRUE;
}

void CRepairResultDlg::InitLabels()
{
    auto style = [](CLabel& label, int points, COLORREF ink) {
        label.SetFontName("Arial").SetFontSize(points).SetFontBold(true).SetTransparent(true).SetTextColor(ink);
    };
    style(m_heading, 12, RGB(36, 134, 36));
    style(m_status, 10, RGB(240, 0, 0));
    for (CLabel* caption : {&m_scannedCaption, &m_foundCaption, &m_repairedCaption, &m_skippedCaption, &m_timeCaption})
        style(*caption, 9, kCaptionInk);
    for (CLabel* number : {&m_scanned, &m_repaired, &m_skipped, &m_time})
        style(*number, 9, kCaptionInk);
    style(m_found, 9, RGB(245, 11, 11));
}

void CRepairResultDlg::ShowNumbers(int found, int skipped, int scanned, int repaired, const std::string& scanTime)
{
    m_found.SetText(AnsiText::Format("%d", found));
    m_skipped.SetText(AnsiText::Format("%d", skipped));
    m_scanned.SetText(AnsiText::Format("%d", scanned));
    m_repaired.SetText(AnsiText::Format("%d", repaired));
    m_time.SetText(scanTime);
    m_status.SetTextColor(RGB(89, 141, 234));
}

void CRepairResultDlg::OnFinish()
{
    if (m_workflow)
        m_workflow->ShowStep(kStepOptions);
    ShowWindow(SW_HIDE);
}

void CRepairResultDlg::OnBack()
{
    if (m_workflow)
        m_workflow->ShowStep(kStepResults);
    ShowWindow(SW_HIDE);
}

BOOL CRepairResultDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == BN_CLICKED)
    {
        switch (LOWORD(wParam))
        {
        case IDC_SUMMARY_FINISH: OnFinish(); return TRUE;
        case IDC_SUMMARY_BACK: OnBack(); return TRUE;
        default: break;
        }
    }
    return CBitmapDialog::OnCommand(wParam, lParam);
}

HBRUSH CRepairResultDlg::OnCtlColor(HDC dc, HWND control, UINT controlType)
{
    if (controlType != CTLCOLOR_DLG && controlType != CTLCOLOR_STATIC)
        return CBitmapDialog::OnCtlColor(dc, control, controlType);
    ::SetBkColor(dc, RGB(255, 255, 255));
    return m_whiteBrush.Get();
}
