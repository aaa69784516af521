#pragma once
#include "Framework/CWnd.h"
#include "Framework/DialogTemplateWalker.h"

class CDataExchange;

// A dialog made from a dialog template in the program's resources, run
// modally (DoModal, with the framework's own message loop so that every
// message passes PreTranslateMessage first) or created modeless as a page
// (Create). The template's controls are bound to member objects in
// DoDataExchange, which OnInitDialog runs.
class CDialog : public CWnd
{
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Runs the dialog until EndDialog; the result given there, or -1 when the
    // template cannot be found or the window cannot be made.
    virtual INT_PTR DoModal();
    // A modeless dialog, a child page when the template says WS_CHILD.
    virtual bool Create(UINT templateId = 0, CWnd* parent = nullptr);
    // Ends a modal run with result; hides a modeless dialog.
    void EndDialog(int result);
    bool IsModal() const { return m_modal; }

    UINT GetTemplateId() const { return m_templateId; }

    // Data exchange: save = true reads the controls into the members.
    bool UpdateData(bool save = true);

    // Keyboard and mouse input for the dialog's windows goes through the
    // dialog manager (Tab, arrows, default and cancel buttons).
    BOOL PreTranslateMessage(MSG* msg) override;

    // Check boxes and radio buttons of the template.
    void CheckDlgButton(int id, UINT state) { ::CheckDlgButton(m_hWnd, id, state); }
    UINT IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }
    void SetDlgItemText(int id, const std::string& text) { ::SetDlgItemTextA(m_hWnd, id, text.c_str()); }
    std::string GetDlgItemText(int id) const;

protected:
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* dx);
    virtual void OnOK();
    virtual void OnCancel();
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK StaticDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND CreateFromTemplate(const DialogTemplateWalker::Template& dialogTemplate, HWND parent);
    void RunModalLoop();

    UINT m_templateId;
    bool m_modal = false;
    bool m_endModal = false;
    int m_modalResult = -1;
};
