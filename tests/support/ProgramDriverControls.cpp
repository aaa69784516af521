// The driver's hands: clicks on controls a user could click, and the rows of
// list and tree views read from the other process's memory.
#include "support/ProgramDriver.h"

#include <algorithm>
#include <cstring>

#include <gtest/gtest.h>

namespace ProgramDriver
{
namespace
{
struct ControlSearch
{
    int id;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK MatchControl(HWND child, LPARAM context)
{
    ControlSearch* search = reinterpret_cast<ControlSearch*>(context);
    if (::GetDlgCtrlID(child) != search->id)
        return TRUE;
    if (search->visibleOnly && !::IsWindowVisible(child))
        return TRUE;
    search->found = child;
    return FALSE;
}

HWND SearchControl(HWND window, int id, bool visibleOnly)
{
    ControlSearch search{id, visibleOnly, NULL};
    if (window)
        ::EnumChildWindows(window, &MatchControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

POINT CentreOf(HWND control)
{
    RECT client = {};
    ::GetClientRect(control, &client);
    return POINT{(client.left + client.right) / 2, (client.top + client.bottom) / 2};
}

// One block of memory in the process that owns a window, for the messages
// whose arguments point at memory (list and tree items). Freed on scope exit.
class RemoteBuffer
{
public:
    RemoteBuffer(HWND window, size_t size) : m_size(size)
    {
        DWORD processId = 0;
        ::GetWindowThreadProcessId(window, &processId);
        m_process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
        if (m_process)
            m_remote = ::VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBuffer()
    {
        if (m_remote)
            ::VirtualFreeEx(m_process, m_remote, 0, MEM_RELEASE);
        if (m_process)
            ::CloseHandle(m_process);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    bool IsValid() const { return m_remote != nullptr; }
    char* Address(size_t offset = 0) const { return static_cast<char*>(m_remote) + offset; }
    LPARAM Param(size_t offset = 0) const { return reinterpret_cast<LPARAM>(Address(offset)); }

    bool Write(size_t offset, const void* data, size_t size) const
    {
        SIZE_T done = 0;
        return offset + size <= m_size &&
               ::WriteProcessMemory(m_process, Address(offset), data, size, &done) && done == size;
    }
    bool Read(size_t offset, void* data, size_t size) const
    {
        SIZE_T done = 0;
        return offset + size <= m_size &&
               ::ReadProcessMemory(m_process, Address(offset), data, size, &done) && done == size;
    }

private:
    HANDLE m_process = NULL;
    void* m_remote = nullptr;
    size_t m_size;
};

LRESULT SendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result))
        return 0;
    return static_cast<LRESULT>(result);
}

void NotifyParent(HWND control, WORD code)
{
    const HWND parent = ::GetParent(control);
    ::PostMessageA(parent, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), code), reinterpret_cast<LPARAM>(control));
}

const size_t kTextSize = 4096;
}

HWND FindControl(HWND window, int id)
{
    return SearchControl(window, id, false);
}

bool IsUsable(HWND control)
{
    if (!control || !::IsWindow(control) || !::IsWindowEnabled(control))
        return false;
    for (HWND window = control; window; window = ::GetAncestor(window, GA_PARENT))
    {
        if (window == ::GetDesktopWindow())
            break;
        if (!(::GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE))
            return false;
    }
    return true;
}

HWND FindVisibleControl(HWND window, int id)
{
    // IsWindowVisible holds only when every ancestor is shown too.
    return SearchControl(window, id, true);
}

HWND WaitForUsable(HWND window, int id, DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    MessageBoxWatch boxes(processId);
    for (;;)
    {
        const HWND control = FindVisibleControl(window, id);
        if (IsUsable(control))
            return control;
        const std::string box = boxes.AnswerLingering();
        if (!box.empty())
        {
            ADD_FAILURE() << "while waiting for control " << id << " to be usable, a message box stayed on show"
                          << " and was answered: " << box;
            return NULL;
        }
        if (::GetTickCount() - start > milliseconds || !::IsWindow(window))
            return NULL;
        ::Sleep(50);
    }
}

void PointCursorAt(HWND control, POINT point)
{
    // A skinned button drawn while held down asks where the cursor really
    // is, as it must for a user who drags off it: a press far from the
    // cursor is let go by any paint that comes between it and its release.
    // The cursor goes where a user's would be.
    POINT screen = point;
    if (::ClientToScreen(control, &screen))
        ::SetCursorPos(screen.x, screen.y);
}

bool ClickAt(HWND control, POINT point)
{
    PointCursorAt(control, point);
    const LPARAM at = MAKELPARAM(point.x, point.y);
    return ::PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at) && ::PostMessageA(control, WM_LBUTTONUP, 0, at);
}

bool DoubleClickAt(HWND control, POINT point)
{
    const LPARAM at = MAKELPARAM(point.x, point.y);
    return ClickAt(control, point) && ::PostMessageA(control, WM_LBUTTONDBLCLK, MK_LBUTTON, at) &&
           ::PostMessageA(control, WM_LBUTTONUP, 0, at);
}

bool ClickWhenUsable(HWND window, int id, DWORD milliseconds)
{
    const HWND control = WaitForUsable(window, id, milliseconds);
    return control && ClickAt(control, CentreOf(control));
}

bool SetControlText(HWND control, const std::string& text)
{
    if (!control || !SendWithin(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())))
        return false;
    NotifyParent(control, EN_CHANGE);
    return true;
}

bool ComboSelect(HWND combo, int index)
{
    if (!combo || SendWithin(combo, CB_SETCURSEL, index, 0) != index)
        return false;
    NotifyParent(combo, CBN_SELCHANGE);
    return true;
}

bool DateTimeSet(HWND picker, const SYSTEMTIME& time)
{
    RemoteBuffer buffer(picker, sizeof(NMDATETIMECHANGE));
    if (!buffer.IsValid() || !buffer.Write(0, &time, sizeof(time)) ||
        !SendWithin(picker, DTM_SETSYSTEMTIME, GDT_VALID, buffer.Param()))
        return false;
    // The page learns of the change as it would from a user's edit.
    NMDATETIMECHANGE change = {};
    change.nmhdr.hwndFrom = picker;
    change.nmhdr.idFrom = ::GetDlgCtrlID(picker);
    change.nmhdr.code = DTN_DATETIMECHANGE;
    change.dwFlags = GDT_VALID;
    change.st = time;
    if (!buffer.Write(0, &change, sizeof(change)))
        return false;
    SendWithin(::GetParent(picker), WM_NOTIFY, change.nmhdr.idFrom, buffer.Param());
    return true;
}

bool DateTimeGet(HWND picker, SYSTEMTIME* time)
{
    RemoteBuffer buffer(picker, sizeof(SYSTEMTIME));
    return buffer.IsValid() && SendWithin(picker, DTM_GETSYSTEMTIME, 0, buffer.Param()) == GDT_VALID &&
           buffer.Read(0, time, sizeof(*time));
}

namespace
{
HWND FindMessageBoxWith(DWORD processId, const std::string& textPart)
{
    for (HWND window : VisibleWindowsOf(processId))
        if (IsMessageBox(window) && MessageBoxText(window).find(textPart) != std::string::npos)
            return window;
    return NULL;
}
}

HWND WaitForMessageBoxWith(DWORD processId, const std::string& textPart, DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    for (;;)
    {
        if (const HWND box = FindMessageBoxWith(processId, textPart))
            return box;
        if (::GetTickCount() - start > milliseconds)
            return NULL;
        // Another box may be on show: let it be and look again.
        ::Sleep(100);
    }
}

bool AnswerMessageBox(HWND box, int buttonId)
{
    const HWND button = ::GetDlgItem(box, buttonId);
    if (!button)
        return false;
    return ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button)) != 0;
}

int ListRowCount(HWND list)
{
    return static_cast<int>(SendWithin(list, LVM_GETITEMCOUNT, 0, 0));
}

int ListColumnCount(HWND list)
{
    const HWND header = reinterpret_cast<HWND>(SendWithin(list, LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(SendWithin(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
}

std::string ListCellText(HWND list, int row, int column)
{
    RemoteBuffer buffer(list, sizeof(LVITEMA) + kTextSize);
    if (!buffer.IsValid())
        return std::string();
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = buffer.Address(sizeof(LVITEMA));
    item.cchTextMax = kTextSize;
    if (!buffer.Write(0, &item, sizeof(item)))
        return std::string();
    const LRESULT length = SendWithin(list, LVM_GETITEMTEXTA, row, buffer.Param());
    std::string text(static_cast<size_t>(std::max<LRESULT>(length, 0)), '\0');
    if (length > 0 && !buffer.Read(sizeof(LVITEMA), &text[0], text.size()))
        return std::string();
    return text;
}

std::vector<std::vector<std::string>> ListRows(HWND list)
{
    std::vector<std::vector<std::string>> rows;
    const int columns = ListColumnCount(list);
    const int count = ListRowCount(list);
    for (int row = 0; row < count; ++row)
    {
        std::vector<std::string> cells;
        for (int column = 0; column < columns; ++column)
            cells.push_back(ListCellText(list, row, column));
        rows.push_back(cells);
    }
    return rows;
}

bool ListSetItemState(HWND list, int row, UINT state, UINT mask)
{
    RemoteBuffer buffer(list, sizeof(LVITEMA));
    LVITEMA item = {};
    item.state = state;
    item.stateMask = mask;
    return buffer.IsValid() && buffer.Write(0, &item, sizeof(item)) &&
           SendWithin(list, LVM_SETITEMSTATE, row, buffer.Param()) != 0;
}

UINT ListGetItemState(HWND list, int row, UINT mask)
{
    return static_cast<UINT>(SendWithin(list, LVM_GETITEMSTATE, row, mask));
}

bool ListIsChecked(HWND list, int row)
{
    return ((ListGetItemState(list, row, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

bool ListItemRect(HWND list, int row, int code, RECT* rect)
{
    RemoteBuffer buffer(list, sizeof(RECT));
    RECT request = {};
    request.left = code;
    return buffer.IsValid() && buffer.Write(0, &request, sizeof(request)) &&
           SendWithin(list, LVM_GETITEMRECT, row, buffer.Param()) && buffer.Read(0, rect, sizeof(*rect));
}

bool ListSelectRow(HWND list, int row)
{
    SendWithin(list, LVM_ENSUREVISIBLE, row, FALSE);
    RECT rect = {};
    if (!ListItemRect(list, row, LVIR_LABEL, &rect))
        return false;
    return ClickAt(list, POINT{rect.left + 2, (rect.top + rect.bottom) / 2});
}

bool ListSelectRowAndWait(HWND list, int row, DWORD milliseconds)
{
    if (!ListSelectRow(list, row))
        return false;
    const DWORD start = ::GetTickCount();
    while (!(ListGetItemState(list, row, LVIS_SELECTED) & LVIS_SELECTED))
    {
        if (::GetTickCount() - start > milliseconds)
            return false;
        ::Sleep(20);
    }
    return true;
}

namespace
{
bool ReadTreeItem(HWND tree, HTREEITEM handle, TreeRow* row)
{
    RemoteBuffer buffer(tree, sizeof(TVITEMA) + kTextSize);
    if (!buffer.IsValid())
        return false;
    TVITEMA item = {};
    item.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_STATE;
    item.hItem = handle;
    item.stateMask = TVIS_STATEIMAGEMASK | TVIS_EXPANDED;
    item.pszText = buffer.Address(sizeof(TVITEMA));
    item.cchTextMax = kTextSize;
    if (!buffer.Write(0, &item, sizeof(item)) || !SendWithin(tree, TVM_GETITEMA, 0, buffer.Param()) ||
        !buffer.Read(0, &item, sizeof(item)))
        return false;
    std::vector<char> text(kTextSize, '\0');
    if (!buffer.Read(sizeof(TVITEMA), text.data(), text.size()))
        return false;
    text.back() = '\0';
    row->item = handle;
    row->text = text.data();
    row->stateImage = (item.state & TVIS_STATEIMAGEMASK) >> 12;
    row->expanded = (item.state & TVIS_EXPANDED) != 0;
    return true;
}

HTREEITEM NextItem(HWND tree, HTREEITEM item, UINT code)
{
    return reinterpret_cast<HTREEITEM>(SendWithin(tree, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
}

void CollectTree(HWND tree, HTREEITEM first, int depth, std::vector<TreeRow>* rows)
{
    for (HTREEITEM item = first; item; item = NextItem(tree, item, TVGN_NEXT))
    {
        TreeRow row;
        if (!ReadTreeItem(tree, item, &row))
            return;
        row.depth = depth;
        rows->push_back(row);
        CollectTree(tree, NextItem(tree, item, TVGN_CHILD), depth + 1, rows);
    }
}

HTREEITEM HitTestTree(HWND tree, POINT point, UINT* flags)
{
    RemoteBuffer buffer(tree, sizeof(TVHITTESTINFO));
    TVHITTESTINFO info = {};
    info.pt = point;
    if (!buffer.IsValid() || !buffer.Write(0, &info, sizeof(info)))
        return NULL;
    SendWithin(tree, TVM_HITTEST, 0, buffer.Param());
    if (!buffer.Read(0, &info, sizeof(info)))
        return NULL;
    *flags = info.flags;
    return info.hItem;
}
}

std::vector<TreeRow> TreeRows(HWND tree)
{
    std::vector<TreeRow> rows;
    CollectTree(tree, NextItem(tree, NULL, TVGN_ROOT), 0, &rows);
    return rows;
}

bool TreeItemRect(HWND tree, HTREEITEM item, bool textOnly, RECT* rect)
{
    RemoteBuffer buffer(tree, sizeof(RECT));
    RECT request = {};
    std::memcpy(&request, &item, sizeof(item));
    return buffer.IsValid() && buffer.Write(0, &request, sizeof(request)) &&
           SendWithin(tree, TVM_GETITEMRECT, textOnly ? TRUE : FALSE, buffer.Param()) &&
           buffer.Read(0, rect, sizeof(*rect));
}

bool TreeClickCheckBox(HWND tree, HTREEITEM item)
{
    SendWithin(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    // A label wider than the tree is scrolled into view past its check box;
    // back to the left edge (Wine's tree ignores SB_LEFT).
    SendWithin(tree, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
    RECT label = {};
    if (!TreeItemRect(tree, item, true, &label))
        return false;
    const int y = (label.top + label.bottom) / 2;
    // The state image sits left of the label; find it by hit-testing as the
    // tree itself will when the click arrives, and click its middle.
    int right = -1;
    int left = -1;
    for (int x = label.left - 1; x >= 0; --x)
    {
        UINT flags = 0;
        const bool onIcon = HitTestTree(tree, POINT{x, y}, &flags) == item && (flags & TVHT_ONITEMSTATEICON);
        if (onIcon && right < 0)
            right = x;
        if (onIcon)
            left = x;
        else if (right >= 0)
            break;
    }
    return right >= 0 && ClickAt(tree, POINT{(left + right) / 2, y});
}

bool TreeSelect(HWND tree, HTREEITEM item)
{
    SendWithin(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    return SendWithin(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)) != 0;
}
}
