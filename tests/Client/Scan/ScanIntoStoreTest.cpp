// A real scan on the engine's job thread whose sink hands every finding to
// the store, as the scan progress page does.
#include <windows.h>

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "Client/Scan/CScanItemsInfo.h"
#include "Engine/CTolvEngineProcess.h"
#include "Engine/ScanCategory.h"
#include "Client/Scan/StoreTestFolder.h"
#include "support/RecordingStatus.h"
#include "support/TestRegistry.h"

namespace
{
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunFindingPrefix[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\xac";

class StoreFeedingStatus : public RecordingStatus
{
public:
    explicit StoreFeedingStatus(CAbstractScanItemsInfo& store) : m_store(store) {}
    void OnItemFound(const char* text, DWORD category, int firstValue, int secondValue) override
    {
        RecordingStatus::OnItemFound(text, category, firstValue, secondValue);
        m_store.AddFoundItem(text, category, firstValue, secondValue);
    }

private:
    CAbstractScanItemsInfo& m_store;
};

std::vector<std::string> StoredTexts(CAbstractScanItemsInfo& store, DWORD category)
{
    std::vector<const char*> texts;
    store.GetItems(&texts, category);
    return std::vector<std::string>(texts.begin(), texts.end());
}
}

TEST(ScanIntoStore, StoreHoldsWhatTheScannerReportedMinusTheIgnored)
{
    if (!RunInOwnFolder())
        return;
    const std::vector<std::string> dead = {"QmStoreDeadA", "QmStoreDeadB", "QmStoreDeadC"};
    ASSERT_TRUE(TestEnv::SetString(HKEY_CURRENT_USER, kRunKey, dead[0], "\"c:\\qm-missing\\a.exe\" /quiet"));
    ASSERT_TRUE(TestEnv::SetString(HKEY_CURRENT_USER, kRunKey, dead[1], "c:\\qm-missing\\b.exe"));
    ASSERT_TRUE(TestEnv::SetString(HKEY_CURRENT_USER, kRunKey, dead[2], "C:\\QM-MISSING\\C.EXE -x"));
    const std::string ignored = kRunFindingPrefix + dead[1];
    PlantIgnoreList(ignored + "^Windows Startup Items^0;\r\n");

    CScanItemsInfo store;
    store.AddFoundItem("left over from the last scan", kScanStartup, 0, 0);
    store.Clear();
    StoreFeedingStatus status(store);
    CTolvEngineProcess process;
    ASSERT_EQ(process.StartScan({"C:"}, kScanStartup, &status, 0), 1);
    ASSERT_TRUE(process.Resume());
    ASSERT_TRUE(status.WaitFinished());
    for (int i = 0; i < 1000 && process.GetThreadHandle(); ++i)
        ::Sleep(5);
    for (const std::string& name : dead)
        ::RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, name.c_str());

    const std::vector<std::string> reported = status.Findings();
    ASSERT_FALSE(reported.empty());
    std::vector<std::string> expected;
    for (const std::string& text : reported)
        if (text != ignored)
            expected.push_back(text);
    EXPECT_EQ(StoredTexts(store, kScanStartup), expected);
    std::vector<std::string> walked;
    for (int more = store.MoveFirst(); more; more = store.MoveNext())
        walked.push_back(store.GetCurrentText());
    EXPECT_EQ(walked, expected);
    for (const std::string& name : dead)
        EXPECT_EQ(std::count(reported.begin(), reported.end(), kRunFindingPrefix + name), 1) << name;
    EXPECT_EQ(std::count(walked.begin(), walked.end(), ignored), 0);
    EXPECT_EQ(store.GetFoundMask(), static_cast<DWORD>(kScanStartup));
}
