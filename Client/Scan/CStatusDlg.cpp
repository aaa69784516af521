#include "Client/Scan/CStatusDlg.h"

#include <map>

#include "Client/Scan/FormatSizeKB.h"
#include "Client/Scan/IgnoreListFile.h"
#include "Client/Shell/CRegClientApp.h"
#include "Client/res/ScanPagesResource.h"
#include "Engine/ScanCategory.h"
#include "Framework/AnsiText.h"
#include "Framework/CDataExchange.h"

namespace
{
// One row of the grid: its category and its found, repaired and ignored labels.
struct StatisticsRow
{
    DWORD category;
    int found;
    int repaired;
    int ignored;
};
// Rows 13 and 14 are kept but not shown.
const StatisticsRow kRows[] = {
    {kScanActiveX, 1186, 1187, 1188},    {kScanUninstall, 1189, 1193, 1195}, {kScanFonts, 1190, 1201, 1202},
    {kScanSharedDlls, 1191, 1203, 1204}, {kScanAppPaths, 1192, 1205, 1206},  {kScanHelpFiles, 1194, 1207, 1208},
    {kScanStartup, 1196, 1209, 1210},    {kScanFilePaths, 1197, 1211, 1212}, {kScanShortcuts, 1198, 1213, 1214},
    {kScanEmptyKeys, 1199, 1215, 1216},  {kScanFileTypes, 1200, 1217, 1218}, {kScanServices, 1226, 1227, 1228},
    {kScanTypeLibs, 1223, 1224, 1225},   {kScanSoundEvents, 1229, 1230, 1231},
};
const size_t kVisibleRows = 12;

const int kRecycleBinFoundLabel = 1233;
const int kRecycleBinRepairedLabel = 1234;
const int kTempFilesFoundLabel = 1235;
const int kTempFilesRepairedLabel = 1236;
const int kTotalFoundLabel = 1219;
const int kTotalRepairedLabel = 1220;
const int kJunkTotalLabel = 1232;
const int kLastScanCaptionLabel = 1221;
const int kLastScanLabel = 1222;

const StatisticsRow* FindRow(DWORD category)
{
    for (const StatisticsRow& row : kRows)
        if (row.category == category)
            return &row;
    return nullptr;
}
}

CStatusDlg::CStatusDlg(CWnd* parent) : CBitmapDialog(IDD_STATUS_PAGE, parent)
{
    std::vector<int> ids;
    for (const StatisticsRow& row : kRows)
        ids.insert(ids.end(), {row.found, row.repaired, row.ignored});
    ids.insert(ids.end(), {kRecycleBinFoundLabel, kRecycleBinRepairedLabel, kTempFilesFoundLabel,
                           kTempFilesRepairedLabel, kTotalFoundLabel, kTotalRepairedLabel, kJunkTotalLabel,
                           kLastScanCaptionLabel, kLastScanLabel});
    for (int id : ids)
        m_labels.emplace_back(id, std::unique_ptr<CLabel>(new CLabel));
}

CStatusDlg::~CStatusDlg() = default;

LastResults CStatusDlg::StoredStatistics()
{
    return LastResults(*theApp.m_pIniDoc, theApp.GetSettingsStore().Location());
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
    SetLastScanText(theApp.m_settings.lastScan);
    theApp.GetSettingsStore().onLastScanStored = [this](const std::string& text) { SetLastScanText(text); };
    MoveWindow(183, 62, 509, 332);
    return TRUE;
}

void CStatusDlg::OnDestroy()
{
    theApp.GetSettingsStore().onLastScanStored = nullptr;
    CBitmapDialog::OnDestroy();
}

void CStatusDlg::StyleLabels()
{
    for (auto& label : m_labels)
        label.second->SetFontName("Verdana").SetFontSize(9).SetTransparent(true).SetTextColor(RGB(0, 0, 0));
    for (int id : {kTotalFoundLabel, kTotalRepairedLabel})
        Label(id)->SetFontName("Tahoma").SetFontSize(10).SetFontBold(true);
    Label(kJunkTotalLabel)->SetFontName("Tahoma").SetFontSize(10).SetFontBold(true).SetTextColor(RGB(35, 71, 0));
    Label(kLastScanCaptionLabel)->SetFontName("Tahoma").SetFontSize(12).SetTextColor(RGB(49, 58, 66));
    Label(kLastScanLabel)->SetFontName("Tahoma").SetFontSize(8).SetTextColor(RGB(68, 68, 68));
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
    CLabel* label = Label(id);
    if (label && label->GetSafeHwnd())
        label->SetText(text);
}

void CStatusDlg::SetLastScanText(const std::string& text)
{
    SetLabel(kLastScanLabel, text.empty() ? std::string("Never") : text);
}

void CStatusDlg::LoadLastResults()
{
    LastResults::StoredValues values;
    if (!StoredStatistics().ReadAll(values))
        return;
    for (const StatisticsRow& row : kRows)
    {
        SetLabel(row.found, values[LastResults::FoundName(row.category)].countText);
        SetLabel(row.repaired, values[LastResults::RepairedName(row.category)].countText);
    }
    SetLabel(kRecycleBinFoundLabel, FormatSizeKB(values[LastResults::kRecycleBinFound].sizeKB));
    SetLabel(kRecycleBinRepairedLabel, FormatSizeKB(values[LastResults::kRecycleBinRepaired].sizeKB));
    SetLabel(kTempFilesFoundLabel, FormatSizeKB(values[LastResults::kTempFilesFound].sizeKB));
    SetLabel(kTempFilesRepairedLabel, FormatSizeKB(values[LastResults::kTempFilesRepaired].sizeKB));
    SetLabel(kTotalFoundLabel, values[LastResults::kTotalFound].totalText);
    SetLabel(kTotalRepairedLabel, values[LastResults::kTotalRepaired].totalText);
    const double junk = values[LastResults::kJunkRunningTotal].sizeKB;
    m_junkRunningTotal = junk > 0 && junk < 4294967296.0 ? static_cast<DWORD>(junk) : 0;
    SetLabel(kJunkTotalLabel, FormatSizeKB(m_junkRunningTotal));
}

void CStatusDlg::RefreshIgnoredCounts()
{
    std::map<std::string, int> entries;
    if (CScanItemsInfo* store = theApp.m_pScanItems)
    {
        store->ReloadIgnoreList();
        store->GetIgnoreList(&entries);
    }
    std::map<DWORD, int> counts;
    for (const auto& entry : entries)
    {
        const std::string caption = AnsiText::Trimmed(IgnoreListFile::SplitKey(entry.first).category);
        for (const StatisticsRow& row : kRows)
            if (caption == FindScanCategory(row.category)->caption)
                ++counts[row.category];
    }
    for (const StatisticsRow& row : kRows)
        SetLabel(row.ignored, AnsiText::Format("%d", counts[row.category]));
}

void CStatusDlg::ResetLastCleaned()
{
    for (size_t i = 0; i < kVisibleRows; ++i)
        SetLabel(kRows[i].repaired, "0");
    for (int id : {kRecycleBinRepairedLabel, kTempFilesRepairedLabel, kTotalRepairedLabel})
        SetLabel(id, "0");
    StoredStatistics().ResetCleaned();
}

void CStatusDlg::ResetLastErrors()
{
    for (size_t i = 0; i < kVisibleRows; ++i)
        SetLabel(kRows[i].found, "0");
    SetLabel(kTotalFoundLabel, "0");
    StoredStatistics().ResetErrors();
}

void CStatusDlg::ShowFound(const LastResults::FoundStatistics& found)
{
    for (const auto& count : found.counts)
        if (const StatisticsRow* row = FindRow(count.first))
            SetLabel(row->found, AnsiText::Format("%d", count.second));
    SetLabel(kRecycleBinFoundLabel, FormatSizeKB(found.recycleBinKB));
    SetLabel(kTempFilesFoundLabel, FormatSizeKB(found.tempFilesKB));
    SetLabel(kTotalFoundLabel, AnsiText::Format("%d", found.total));
}

void CStatusDlg::ShowRepaired(const LastResults::RepairedStatistics& repaired)
{
    for (const auto& count : repaired.counts)
        if (const StatisticsRow* row = FindRow(count.first))
            SetLabel(row->repaired, AnsiText::Format("%d", count.second));
    SetLabel(kTotalRepairedLabel, AnsiText::Format("%u", repaired.total));
    SetLabel(kRecycleBinRepairedLabel, FormatSizeKB(repaired.recycleBinKB));
    SetLabel(kTempFilesRepairedLabel, FormatSizeKB(repaired.tempFilesKB));
    SetLabel(kJunkTotalLabel, FormatSizeKB(repaired.junkRunningTotal));
}
