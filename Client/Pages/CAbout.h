#pragma once
#include "Client/Controls/CBitmapDialog.h"
#include "Client/Controls/CLabel.h"

// The About page of the main window: the program's version and the maker's
// notice, as the template has them. It has no commands and no state.
class CAbout : public CBitmapDialog
{
public:
    explicit CAbout(CWnd* parent = nullptr);
    ~CAbout() override;

    // Where every page of the main window sits, in its client pixels.
    static constexpr int kPageLeft = 183;
    static constexpr int kPageTop = 62;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

private:
    CLabel m_versionLabel;
    CLabel m_noticeLabel;
};
