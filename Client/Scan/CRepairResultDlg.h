#pragma once
#include <string>

#include "Client/Controls/CBitmapDialog.h"
#include "Client/Controls/CLabel.h"
#include "Framework/CBrush.h"
#include "Framework/CButton.h"
#include "Framework/CStatic.h"

class ScanWorkflow;

// The "Scan Summary" page: the numbers of the last scan and repair (items
// scanned, found, repaired, skipped, the scanning time) under a status line.
// The results page writes them; the scan road's step switch shows the page.
class CRepairResultDlg : public CBitmapDialog
{
public:
    explicit CRepairResultDlg(CWnd* parent = nullptr);
    ~CRepairResultDlg() override;

    void ShowNumbers(int found, int skipped, int scanned, int repaired, const std::string& scanTime);
    void SetWorkflow(ScanWorkflow* workflow) { m_workflow = workflow; }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT controlType) override;

private:
    void InitLabels();
    void OnFinish();
    void OnBack();

    CBrush m_whiteBrush;
    CLabel m_heading;
    CLabel m_statusCaption;
    CLabel m_status;
    CLabel m_scannedCaption, m_scanned;
    CLabel m_foundCaption, m_found;
    CLabel m_repairedCaption, m_repaired;
    CLabel m_skippedCaption, m_skipped;
    CLabel m_timeCaption, m_time;
    CButton m_finishButton;
    CButton m_backButton;
    CStatic m_rule;
    ScanWorkflow* m_workflow = nullptr;
};
