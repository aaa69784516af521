#include "Client/Scan/CStatusDlg.h"

#include <iterator>
#include <map>
#include <memory>
#include <string_view>

#include "Client/Scan/CScanItemsInfo.h"
#include "Client/Scan/ClientCategories.h"
#include "Client/Scan/FormatSizeKB.h"
#include "Client/Scan/IgnoreListFile.h"
#include "Client/Shell/PageShell.h"
#include "Client/Shell/SettingsStore.h"
#include "Client/res/ScanPagesResource.h"
#include "Engine/ScanCategory.h"
#include "Framework/AnsiText.h"
#include "Framework/CDataExchange.h"

namespace
{
// The twelve scanned categories' rows are shown; the other two are kept
// hidden in the template.
const int kSizeAndTotalLabels[] = {IDC_HOME_RECYCLE_BIN_FOUND, IDC_HOME_RECYCLE_BIN_REPAIRED, IDC_HOME_TEMP_FILES_FOUND,
                                   IDC_HOME_TEMP_FILES_REPAIRED, IDC_HOME_TOTAL_FOUND,        IDC_HOME_TOTAL_REPAIRED,
                                   IDC_HOME_JUNK_TOTAL,          IDC_HOME_LAST_SCAN_CAPTION,   IDC_HOME_LAST_SCAN};

// A label draws itself and the page behind it as its text changes: tens of
// them, drawn one by one, would hold the window that long. The page's
// operations change the labels' texts undrawn; as an operation ends the page
// on show and all its labels are marked to be drawn anew, which the window
// does as it gets to it, the page first and then each label.
class LabelsDrawnOnce
{
public:
    explicit LabelsDrawnOnce(CWnd& page) : m_page(page) {}
    ~LabelsDrawnOnce()
    {
        if (m_page.GetSafeHwnd() && m_page.IsWindowVisible())
            m_page.RedrawWindow(nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
    LabelsDrawnOnce(const LabelsDrawnOnce&) = delete;
    LabelsDrawnOnce& operator=(const LabelsDrawnOnce&) = delete;

private:
    CWnd& m_page;
};

// A caption as the home page compares it: without blanks and line ends
// around it.
std::string_view TrimmedView(std::string_view text)
{
    const char blanks[] = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return std::string_view();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}
}

CStatusDlg::CStatusDlg(CWnd* parent) : CBitmapDialog(IDD_STATUS_PAGE, parent)
{
    std::vector<int> ids;
    for (const ClientCategory& row : kClientCategories)
        ids.insert(ids.end(), {row.homeFound, row.homeRepaired, row.homeIgnored});
    ids.insert(ids.end(), std::begin(kSizeAndTotalLabels), std::end(kSizeAndTotalLabels));
    for (int id : ids)
        m_labels.emplace_back(id, std::unique_ptr<CLabel>(new CLabel));
}

CStatusDlg::~CStatusDlg() = default;

LastResults CStatusDlg::StoredStatistics()
{
    return LastResults(ProgramShell().Settings().Document(), ProgramShell().Settings().Location());
}

void CStatusDlg::DoDataExchange(CDataExchange* dx)
{
    CBitmapDialog::DoDataExchange(dx);
    for (auto& label : m_labels)
        dx->Control(label.first, *label.second);
}

BOOL CStatusDlg::OnInitDialog()
{
    CBitmapDialog::OnInitDialog();
    SetBitmap(IDB_STATUS_BACKGROUND);
    StyleLabels();
    SetLastScanText(ProgramShell().Settings().Record().lastScan);
    ProgramShell().Settings().onLastScanStored = [this](const std::string& text) { SetLastScanText(text); };
    MoveWindow(183, 62, 509, 332);
    return TRUE;
}

void CStatusDlg::OnDestroy()
{
    ProgramShell().Settings().onLastScanStored = nullptr;
    CBitmapDialog::OnDestroy();
}

void CStatusDlg::StyleLabels()
{
    for (auto& label : m_labels)
        label.second->SetFontName("Verdana").SetFontSize(9).SetTransparent(true).SetTextColor(RGB(0, 0, 0));
    for (int id : {IDC_HOME_TOTAL_FOUND, IDC_HOME_TOTAL_REPAIRED})
        Label(id)->SetFontName("Tahoma").SetFontSize(10).SetFontBold(true);
    Label(IDC_HOME_JUNK_TOTAL)->SetFontName("Tahoma").SetFontSize(10).SetFontBold(true).SetTextColor(RGB(35, 71, 0));
    Label(IDC_HOME_LAST_SCAN_CAPTION)->SetFontName("Tahoma").SetFontSize(12).SetTextColor(RGB(49, 58, 66));
    Label(IDC_HOME_LAST_SCAN)->SetFontName("Tahoma").SetFontSize(8).SetTextColor(RGB(68, 68, 68));
}

CLabel* CStatusDlg::Label(int id) const
{
    for (const auto& label : m_labels)
        if (label.first == id)
            return label.second.get();
    return nullptr;
}

void CStatusDlg::SetLabel(int id, const std::string& text) const
{
    // Every operation of the page changes many labels: they are drawn once,
    // together, as it ends (see LabelsDrawnOnce).
    CLabel* label = Label(id);
    if (label && label->GetSafeHwnd())
        label->SetTextUndrawn(text);
}

void CStatusDlg::SetLastScanText(const std::string& text)
{
    const LabelsDrawnOnce drawing(*this);
    SetLabel(IDC_HOME_LAST_SCAN, text.empty() ? std::string("Never") : text);
}

void CStatusDlg::LoadLastResults()
{
    const LabelsDrawnOnce drawing(*this);
    LastResults::StoredValues values;
    if (!StoredStatistics().ReadAll(values))
        return;
    for (const ClientCategory& row : kClientCategories)
    {
        SetLabel(row.homeFound, values[LastResults::FoundName(row.bit)].countText);
        SetLabel(row.homeRepaired, values[LastResults::RepairedName(row.bit)].countText);
    }
    SetLabel(IDC_HOME_RECYCLE_BIN_FOUND, FormatSizeKB(values[LastResults::kRecycleBinFound].sizeKB));
    SetLabel(IDC_HOME_RECYCLE_BIN_REPAIRED, FormatSizeKB(values[LastResults::kRecycleBinRepaired].sizeKB));
    SetLabel(IDC_HOME_TEMP_FILES_FOUND, FormatSizeKB(values[LastResults::kTempFilesFound].sizeKB));
    SetLabel(IDC_HOME_TEMP_FILES_REPAIRED, FormatSizeKB(values[LastResults::kTempFilesRepaired].sizeKB));
    SetLabel(IDC_HOME_TOTAL_FOUND, values[LastResults::kTotalFound].totalText);
    SetLabel(IDC_HOME_TOTAL_REPAIRED, values[LastResults::kTotalRepaired].totalText);
    const double junk = values[LastResults::kJunkRunningTotal].sizeKB;
    m_junkRunningTotal = junk > 0 && junk < 4294967296.0 ? static_cast<DWORD>(junk) : 0;
    SetLabel(IDC_HOME_JUNK_TOTAL, FormatSizeKB(m_junkRunningTotal));
}

void CStatusDlg::RefreshIgnoredCounts()
{
    const LabelsDrawnOnce drawing(*this);
    std::map<DWORD, int> counts;
    if (CScanItemsInfo* store = ProgramShell().ResultsStore())
    {
        // Counted in the list as read, without a copy: a list of hundreds
        // of thousands of entries is counted in a few milliseconds, and read
        // again only when the file changed.
        store->ReloadIgnoreList();
        const std::shared_ptr<const IgnoreListSnapshot> list = store->IgnoreEntries();
        for (size_t i = 0; i < list->EntryCount(); ++i)
        {
            const std::string_view caption = TrimmedView(list->EntryCategory(i));
            for (const ClientCategory& row : kClientCategories)
                if (caption == row.Shared().caption)
                    ++counts[row.bit];
        }
    }
    for (const ClientCategory& row : kClientCategories)
        SetLabel(row.homeIgnored, AnsiText::Format("%d", counts[row.bit]));
}

void CStatusDlg::ResetLastCleaned()
{
    const LabelsDrawnOnce drawing(*this);
    for (const ClientCategory& row : kClientCategories)
        if (row.IsScanned())
            SetLabel(row.homeRepaired, "0");
    for (int id : {IDC_HOME_RECYCLE_BIN_REPAIRED, IDC_HOME_TEMP_FILES_REPAIRED, IDC_HOME_TOTAL_REPAIRED})
        SetLabel(id, "0");
    StoredStatistics().ResetCleaned();
}

void CStatusDlg::ResetLastErrors()
{
    const LabelsDrawnOnce drawing(*this);
    for (const ClientCategory& row : kClientCategories)
        if (row.IsScanned())
            SetLabel(row.homeFound, "0");
    SetLabel(IDC_HOME_TOTAL_FOUND, "0");
    StoredStatistics().ResetErrors();
}

void CStatusDlg::ShowFound(const LastResults::FoundStatistics& found)
{
    const LabelsDrawnOnce drawing(*this);
    for (const auto& count : found.counts)
        if (const ClientCategory* row = FindClientCategory(count.first))
            SetLabel(row->homeFound, AnsiText::Format("%d", count.second));
    SetLabel(IDC_HOME_RECYCLE_BIN_FOUND, FormatSizeKB(found.recycleBinKB));
    SetLabel(IDC_HOME_TEMP_FILES_FOUND, FormatSizeKB(found.tempFilesKB));
    SetLabel(IDC_HOME_TOTAL_FOUND, AnsiText::Format("%d", found.total));
}

void CStatusDlg::ShowRepaired(const LastResults::RepairedStatistics& repaired)
{
    const LabelsDrawnOnce drawing(*this);
    for (const auto& count : repaired.counts)
        if (const ClientCategory* row = FindClientCategory(count.first))
            SetLabel(row->homeRepaired, AnsiText::Format("%d", count.second));
    SetLabel(IDC_HOME_TOTAL_REPAIRED, AnsiText::Format("%u", repaired.total));
    SetLabel(IDC_HOME_RECYCLE_BIN_REPAIRED, FormatSizeKB(repaired.recycleBinKB));
    SetLabel(IDC_HOME_TEMP_FILES_REPAIRED, FormatSizeKB(repaired.tempFilesKB));
    SetLabel(IDC_HOME_JUNK_TOTAL, FormatSizeKB(repaired.junkRunningTotal));
}
