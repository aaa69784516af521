#include "Framework/CWnd.h"

#include "Framework/CCriticalSection.h"
#include "Framework/CWinApp.h"
#include "Framework/CallbackGuard.h"

#include <new>
#include <unordered_map>
#include <vector>

const char* const kFrameworkWindowClass = "FrameworkWindow";

namespace
{
// Which object owns which window. Every message of every window of ours
// looks its object up here, so the table lives in the process's own memory:
// a window property would cost a round trip to the window server per
// message. Windows are made and subclassed on any thread, hence the lock.
class WindowObjects
{
public:
    // Never destroyed: window objects of static lifetime let go of their
    // windows while the process's statics are being destroyed.
    static WindowObjects& Get()
    {
        alignas(WindowObjects) static unsigned char storage[sizeof(WindowObjects)];
        static WindowObjects* const table = new (storage) WindowObjects;
        return *table;
    }

    CWnd* Find(HWND hwnd)
    {
        CCriticalSectionLock lock(m_lock);
        const auto found = m_objects.find(hwnd);
        return found == m_objects.end() ? nullptr : found->second;
    }
    void Add(HWND hwnd, CWnd* object)
    {
        CCriticalSectionLock lock(m_lock);
        m_objects[hwnd] = object;
    }
    // Only the window's own object takes its entry away.
    void Remove(HWND hwnd, const CWnd* object)
    {
        CCriticalSectionLock lock(m_lock);
        const auto found = m_objects.find(hwnd);
        if (found != m_objects.end() && found->second == object)
            m_objects.erase(found);
    }

private:
    WindowObjects() = default;

    CCriticalSection m_lock;
    std::unordered_map<HWND, CWnd*> m_objects;
};

POINT PointFromLParam(LPARAM lParam)
{
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

bool IsControlColorMessage(UINT message)
{
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

// A child window whose client area is the whole window has nothing outside
// it to paint, yet the default frame painting takes a window device
// context for it, on every first paint of every control; a page of a few
// dozen controls pays that in its start.
bool IsFramelessChild(HWND hwnd)
{
    if (!(::GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD))
        return false;
    RECT window{}, client{};
    if (!::GetWindowRect(hwnd, &window) || !::GetClientRect(hwnd, &client))
        return false;
    return window.right - window.left == client.right && window.bottom - window.top == client.bottom;
}
}

CWnd::~CWnd()
{
    if (!m_hWnd)
        return;
    if (m_ownsWindow)
        DestroyWindow();
    else
        UnsubclassWindow();
}

CWnd* CWnd::FromHandle(HWND hwnd)
{
    if (!hwnd)
        return nullptr;
    return WindowObjects::Get().Find(hwnd);
}

void CWnd::Attach(HWND hwnd)
{
    m_hWnd = hwnd;
    WindowObjects::Get().Add(hwnd, this);
}

void CWnd::Detach()
{
    if (m_hWnd)
        WindowObjects::Get().Remove(m_hWnd, this);
    m_hWnd = NULL;
    m_oldProc = nullptr;
    m_ownsWindow = false;
}

void CWnd::RegisterFrameworkClass()
{
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof(existing);
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    if (::GetClassInfoExA(instance, kFrameworkWindowClass, &existing))
        return;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = StaticWndProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFrameworkWindowClass;
    ::RegisterClassExA(&wc);
}

bool CWnd::CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, const RECT& rect,
                    HWND parent, UINT id)
{
    if (m_hWnd)
        return false;
    const HMENU menuOrId = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    if (!className)
    {
        RegisterFrameworkClass();
        // Attached on WM_NCCREATE from the creation parameter, so the object
        // sees every message of its own window.
        HWND hwnd = ::CreateWindowExA(exStyle, kFrameworkWindowClass, title ? title : "", style, rect.left,
                                      rect.top, rect.right - rect.left, rect.bottom - rect.top, parent, menuOrId,
                                      ::GetModuleHandleA(nullptr), this);
        if (!hwnd)
            return false;
        m_ownsWindow = true;
        return true;
    }
    HWND hwnd = ::CreateWindowExA(exStyle, className, title ? title : "", style, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, parent, menuOrId,
                                  ::GetModuleHandleA(nullptr), nullptr);
    if (!hwnd)
        return false;
    if (!SubclassWindow(hwnd))
    {
        ::DestroyWindow(hwnd);
        return false;
    }
    m_ownsWindow = true;
    return true;
}

bool CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return false;
    // WM_NCDESTROY detaches the object.
    HWND hwnd = m_hWnd;
    const bool destroyed = ::DestroyWindow(hwnd) != FALSE;
    if (m_hWnd == hwnd && !::IsWindow(hwnd))
        Detach();
    return destroyed;
}

bool CWnd::SubclassWindow(HWND hwnd)
{
    if (m_hWnd || !hwnd || FromHandle(hwnd))
        return false;
    Attach(hwnd);
    PreSubclassWindow();
    m_oldProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWndProc)));
    if (!m_oldProc)
    {
        Detach();
        return false;
    }
    return true;
}

bool CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    if (!parent || !parent->m_hWnd)
        return false;
    HWND item = ::GetDlgItem(parent->m_hWnd, static_cast<int>(id));
    return item && SubclassWindow(item);
}

HWND CWnd::UnsubclassWindow()
{
    HWND hwnd = m_hWnd;
    if (!hwnd)
        return NULL;
    if (m_oldProc && ::IsWindow(hwnd) &&
        reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hwnd, GWLP_WNDPROC)) == &CWnd::StaticWndProc)
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_oldProc));
    Detach();
    return hwnd;
}

LRESULT CALLBACK CWnd::StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = FromHandle(hwnd);
    if (!wnd && message == WM_NCCREATE)
    {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        wnd = static_cast<CWnd*>(create->lpCreateParams);
        if (wnd)
        {
            wnd->Attach(hwnd);
            wnd->m_oldProc = ::DefWindowProcA;
        }
    }
    if (!wnd)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    return wnd->Dispatch(message, wParam, lParam);
}

LRESULT CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    const CurrentMessage current{message, wParam, lParam};
    const CurrentMessage* outer = m_current;
    m_current = &current;
    LRESULT result = 0;
    if (!CallbackGuard::Run("window message", [&] { result = WindowProc(message, wParam, lParam); }))
        result = AnswerAfterFailure(message);
    m_current = outer;
    if (message == WM_NCDESTROY)
    {
        // The window is gone: give it its procedure back and let go of it.
        UnsubclassWindow();
        PostNcDestroy();
    }
    return result;
}

LRESULT CWnd::AnswerAfterFailure(UINT message)
{
    switch (message)
    {
    case WM_PAINT:
        // Left invalid, the window would be sent WM_PAINT again at once.
        ::ValidateRect(m_hWnd, nullptr);
        return 0;
    case WM_NCCREATE:
        return FALSE;  // the window is not made
    case WM_CREATE:
        return -1;
    default:
        return 0;
    }
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_oldProc)
        return ::CallWindowProcA(m_oldProc, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    if (!m_current)
        return 0;
    return DefWindowProc(m_current->message, m_current->wParam, m_current->lParam);
}

bool CWnd::ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    HWND child = NULL;
    switch (message)
    {
    case WM_COMMAND:
        child = reinterpret_cast<HWND>(lParam);
        break;
    case WM_NOTIFY:
        child = reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
        break;
    case WM_DRAWITEM:
    {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlType != ODT_MENU)
            child = item->hwndItem;
        break;
    }
    default:
        return false;
    }
    CWnd* object = child && child != m_hWnd ? FromHandle(child) : nullptr;
    return object && object->OnChildNotify(message, wParam, lParam, result);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT reflected = 0;
    if (ReflectToChild(message, wParam, lParam, &reflected))
        return reflected;

    if (IsControlColorMessage(message))
        return reinterpret_cast<LRESULT>(OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                                                    message - WM_CTLCOLORMSGBOX));
    switch (message)
    {
    case WM_COMMAND:
        return OnCommand(wParam, lParam) ? 0 : Default();
    case WM_NOTIFY:
    {
        LRESULT result = 0;
        return OnNotify(wParam, lParam, &result) ? result : Default();
    }
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
    case WM_LBUTTONDOWN:
        OnLButtonDown(static_cast<UINT>(wParam), PointFromLParam(lParam));
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp(static_cast<UINT>(wParam), PointFromLParam(lParam));
        return 0;
    case WM_LBUTTONDBLCLK:
        OnLButtonDblClk(static_cast<UINT>(wParam), PointFromLParam(lParam));
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(static_cast<UINT>(wParam), PointFromLParam(lParam));
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_KILLFOCUS:
        OnKillFocus(reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_SETCURSOR:
        return OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam));
    case WM_SHOWWINDOW:
        OnShowWindow(static_cast<BOOL>(wParam), static_cast<UINT>(lParam));
        return 0;
    case WM_SYSCOLORCHANGE:
        OnSysColorChange();
        return 0;
    case WM_DRAWITEM:
        OnDrawItem(static_cast<int>(wParam), reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_NCPAINT:
        return IsFramelessChild(m_hWnd) ? 0 : Default();
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    default:
        return Default();
    }
}

bool CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return false; }
BOOL CWnd::OnCommand(WPARAM, LPARAM) { return FALSE; }
BOOL CWnd::OnNotify(WPARAM, LPARAM, LRESULT*) { return FALSE; }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(HDC) { return static_cast<BOOL>(Default()); }
HBRUSH CWnd::OnCtlColor(HDC, HWND, UINT) { return reinterpret_cast<HBRUSH>(Default()); }
void CWnd::OnLButtonDown(UINT, POINT) { Default(); }
void CWnd::OnLButtonUp(UINT, POINT) { Default(); }
void CWnd::OnLButtonDblClk(UINT, POINT) { Default(); }
void CWnd::OnMouseMove(UINT, POINT) { Default(); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKillFocus(HWND) { Default(); }
BOOL CWnd::OnSetCursor(HWND, UINT, UINT) { return static_cast<BOOL>(Default()); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
void CWnd::OnSysColorChange() { Default(); }
void CWnd::OnDrawItem(int, DRAWITEMSTRUCT*) { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnDestroy() { Default(); }

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CWnd::WalkPreTranslateTree(HWND top, MSG* msg)
{
    for (HWND hwnd = msg->hwnd; hwnd; hwnd = ::GetParent(hwnd))
    {
        if (CWnd* wnd = FromHandle(hwnd))
        {
            if (wnd->PreTranslateMessage(msg))
                return TRUE;
        }
        if (hwnd == top || !(::GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD))
            break;
    }
    return FALSE;
}

std::string CWnd::GetText(HWND hwnd)
{
    const int length = hwnd ? ::GetWindowTextLengthA(hwnd) : 0;
    if (length <= 0)
        return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    const int copied = ::GetWindowTextA(hwnd, buffer.data(), length + 1);
    return std::string(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

void CWnd::SetWindowText(const std::string& text)
{
    ::SetWindowTextA(m_hWnd, text.c_str());
}

bool CWnd::ModifyStyle(DWORD remove, DWORD add, UINT frameFlags)
{
    const DWORD style = GetStyle();
    const DWORD changed = (style & ~remove) | add;
    if (changed == style)
        return false;
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(changed));
    if (frameFlags)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | frameFlags);
    return true;
}

bool CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT frameFlags)
{
    const DWORD style = GetExStyle();
    const DWORD changed = (style & ~remove) | add;
    if (changed == style)
        return false;
    ::SetWindowLongPtrA(m_hWnd, GWL_EXSTYLE, static_cast<LONG_PTR>(changed));
    if (frameFlags)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | frameFlags);
    return true;
}

RECT CWnd::GetClientRect() const
{
    RECT rect{};
    ::GetClientRect(m_hWnd, &rect);
    return rect;
}

RECT CWnd::GetWindowRect() const
{
    RECT rect{};
    ::GetWindowRect(m_hWnd, &rect);
    return rect;
}

bool CWnd::MoveWindow(int x, int y, int width, int height, bool repaint)
{
    return ::MoveWindow(m_hWnd, x, y, width, height, repaint) != FALSE;
}

bool CWnd::SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    return ::SetWindowPos(m_hWnd, insertAfter, x, y, cx, cy, flags) != FALSE;
}

int CWnd::MessageBox(const char* text, const char* caption, UINT type) const
{
    return ::MessageBoxA(m_hWnd, text, caption ? caption : CWinApp::ProductName(), type);
}
