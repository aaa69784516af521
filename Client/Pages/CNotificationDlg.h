#pragma once
#include <string>

#include "Client/Controls/CBitmapDialog.h"
#include "Client/Controls/CLabel.h"
#include "Framework/CBitmap.h"
#include "Framework/CButton.h"
#include "Framework/CStatic.h"

// A small topmost pop-up telling the user that a named threat was blocked,
// with an offer to allow it next time. The creator fills in the threat's
// name and value and calls DoModal: 1 for "Allow", IDCANCEL for "OK".
class CNotificationDlg : public CBitmapDialog
{
public:
    static constexpr int kAllowed = 1;

    explicit CNotificationDlg(CWnd* parent = nullptr);
    ~CNotificationDlg() override;

    // "Threat '<name>'", a line break and "BLOCKED"; the name is shown as it is.
    static std::string MessageFor(const std::string& threatName);

    CBitmap m_bitmap;
    CLabel m_messageLabel;
    std::string m_strThreat;
    int m_nValue = 0;
    CButton m_allowButton;
    CButton m_okButton;
    CLabel m_hintLabel;
    CStatic m_heading;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    void OnAllow();
};
