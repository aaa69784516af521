#pragma once
#include <windows.h>

#include <string>

class CWnd;

// Moves values between a dialog's controls and its members. With save set the
// controls are read into the members, otherwise the members are shown. The
// first exchange of a control object subclasses the template's control into it.
class CDataExchange
{
public:
    CDataExchange(CWnd* dialog, bool save) : m_dialog(dialog), m_save(save) {}

    bool IsSaving() const { return m_save; }
    CWnd* GetDialog() const { return m_dialog; }

    // Binds control id of the template to the object; false when the dialog
    // has no such control.
    bool Control(int id, CWnd& control);
    // A check box or radio button as 0 / 1 (2 = indeterminate).
    void Check(int id, int& value);
    void Text(int id, std::string& value);
    void Text(int id, int& value);
    // The selected index of a combo box (-1 = none).
    void ComboIndex(int id, int& value);
    // The time of a date-and-time picker.
    void DateTime(int id, SYSTEMTIME& value);

private:
    HWND Item(int id) const;

    CWnd* m_dialog;
    bool m_save;
};
