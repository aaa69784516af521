#include "Framework/CDialog.h"

#include "Framework/CDataExchange.h"
#include "Framework/CWinApp.h"
#include "Framework/CallbackGuard.h"
#include "Framework/CommonControls.h"


namespace
{
// The dialog whose window is being made on this thread; the dialog procedure
// binds it to the window at the window's first dialog message.
thread_local CDialog* t_dialogBeingCreated = nullptr;

HWND TopLevelOf(HWND hwnd)
{
    while (hwnd && (::GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD))
        hwnd = ::GetParent(hwnd);
    return hwnd;
}
}

CDialog::CDialog(UINT templateId, CWnd* parent) : m_pParentWnd(parent), m_templateId(templateId) {}

CDialog::~CDialog()
{
    if (m_hWnd)
        CWnd::DestroyWindow();
}

HWND CDialog::CreateFromTemplate(const DialogTemplateWalker::Template& dialogTemplate, HWND parent)
{
    if (CommonControls::NeededBy(dialogTemplate))
        CommonControls::Ready();
    CDialog* outer = t_dialogBeingCreated;
    t_dialogBeingCreated = this;
    HWND hwnd = ::CreateDialogIndirectParamA(CWinApp::ResourceInstance(),
                                             reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data), parent,
                                             &CDialog::StaticDialogProc, reinterpret_cast<LPARAM>(this));
    t_dialogBeingCreated = outer;
    if (!hwnd && m_hWnd)
        Detach();
    return hwnd;
}

INT_PTR CALLBACK CDialog::StaticDialogProc(HWND hwnd, UINT message, WPARAM, LPARAM)
{
    auto* dialog = static_cast<CDialog*>(FromHandle(hwnd));
    if (!dialog && t_dialogBeingCreated)
    {
        // The first message the dialog procedure sees (WM_SETFONT or
        // WM_INITDIALOG): from here on the window's messages reach the object.
        dialog = t_dialogBeingCreated;
        t_dialogBeingCreated = nullptr;
        dialog->Attach(hwnd);
        dialog->m_oldProc = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWndProc)));
    }
    INT_PTR result = FALSE;
    if (dialog && message == WM_INITDIALOG)
        CallbackGuard::Run("dialog set-up", [&] { result = dialog->OnInitDialog(); });
    return result;
}

INT_PTR CDialog::DoModal()
{
    const DialogTemplateWalker::Template dialogTemplate =
        DialogTemplateWalker::Load(CWinApp::ResourceInstance(), static_cast<int>(m_templateId));
    if (!dialogTemplate.data || m_hWnd)
        return -1;

    HWND parent = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : NULL;
    if (!parent && CWinApp::Get() && CWinApp::Get()->GetMainWnd())
        parent = CWinApp::Get()->GetMainWnd()->GetSafeHwnd();
    if (!parent)
        parent = ::GetActiveWindow();
    const HWND owner = TopLevelOf(parent);
    const bool disableOwner = owner && ::IsWindowEnabled(owner);
    if (disableOwner)
        ::EnableWindow(owner, FALSE);

    m_modal = true;
    m_endModal = false;
    m_modalResult = -1;
    const HWND hwnd = CreateFromTemplate(dialogTemplate, owner);
    if (hwnd && !m_endModal)
    {
        ::ShowWindow(hwnd, SW_SHOW);
        RunModalLoop();
    }

    // The owner is enabled again before the dialog goes, so that it, not some
    // other program, becomes the active window.
    if (disableOwner)
        ::EnableWindow(owner, TRUE);
    if (owner && hwnd && ::GetActiveWindow() == hwnd)
        ::SetActiveWindow(owner);
    if (m_hWnd)
        CWnd::DestroyWindow();
    m_modal = false;
    return hwnd ? m_modalResult : -1;
}

void CDialog::RunModalLoop()
{
    while (!m_endModal && m_hWnd)
    {
        MSG msg{};
        const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0)
        {
            // WM_QUIT belongs to the loop outside this dialog.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1)
            break;
        CWinApp* app = CWinApp::Get();
        const BOOL taken = app ? app->PreTranslateMessage(&msg) : CWnd::WalkPreTranslateTree(NULL, &msg);
        if (!taken)
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

bool CDialog::Create(UINT templateId, CWnd* parent)
{
    if (m_hWnd)
        return false;
    if (templateId)
        m_templateId = templateId;
    if (parent)
        m_pParentWnd = parent;
    const DialogTemplateWalker::Template dialogTemplate =
        DialogTemplateWalker::Load(CWinApp::ResourceInstance(), static_cast<int>(m_templateId));
    if (!dialogTemplate.data)
        return false;
    m_modal = false;
    return CreateFromTemplate(dialogTemplate, m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : NULL) != NULL;
}

void CDialog::EndDialog(int result)
{
    if (m_modal)
    {
        m_modalResult = result;
        m_endModal = true;
        // Wakes the modal loop when the call came from outside a message.
        if (m_hWnd)
            ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
    }
    else if (m_hWnd)
        ::ShowWindow(m_hWnd, SW_HIDE);
}

bool CDialog::UpdateData(bool save)
{
    if (!m_hWnd)
        return false;
    CDataExchange dx(this, save);
    DoDataExchange(&dx);
    return true;
}

BOOL CDialog::PreTranslateMessage(MSG* msg)
{
    if (!m_hWnd || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST)
        return FALSE;
    if (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd))
        return FALSE;
    return ::IsDialogMessageA(m_hWnd, msg);
}

std::string CDialog::GetDlgItemText(int id) const
{
    return GetText(::GetDlgItem(m_hWnd, id));
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(false);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK()
{
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    switch (LOWORD(wParam))
    {
    case IDOK:
        OnOK();
        return TRUE;
    case IDCANCEL:
        OnCancel();
        return TRUE;
    default:
        return FALSE;
    }
}
