// What a repair counts as repaired: the findings that were there as it began
// and are gone when it ended, per category offered; asked before the repair
// on a worker that tells a window, and after it on the caller's thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Client/Scan/RepairedFindings.h"
#include "Engine/ScanCategory.h"
#include "support/TestRegistry.h"

namespace
{
const char kKey[] = "Software\\QmRepairedFindingsTest";
const UINT kNoted = WM_APP + 7;

std::string ValueText(const std::string& name)
{
    return std::string("HKEY_LOCAL_MACHINE\\") + kKey + kItemValueSeparator + name;
}

// Waits for the worker's message to the window; false when it did not come.
bool WaitForNoted(HWND window)
{
    const DWORD start = ::GetTickCount();
    MSG message;
    while (!::PeekMessageA(&message, window, kNoted, kNoted, PM_REMOVE))
    {
        if (::GetTickCount() - start > 20000)
            return false;
        ::Sleep(10);
    }
    return true;
}
}

TEST(RepairedFindings, OnlyWhatWasThereBeforeAndIsGoneAfterCounts)
{
    TestEnv::DeleteTree(HKEY_LOCAL_MACHINE, kKey);
    for (const char* name : {"a.dll", "b.dll", "refused.dll"})
        ASSERT_TRUE(TestEnv::SetString(HKEY_LOCAL_MACHINE, kKey, name, "1"));
    const HWND window = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, static_cast<HWND>(NULL));

    RepairedFindings findings;
    findings.AddCategory(kScanSharedDlls);
    findings.AddCategory(kScanFonts);
    for (const char* name : {"a.dll", "b.dll", "refused.dll", "never-there.dll"})
        findings.AddFinding(ValueText(name), kScanSharedDlls);
    ASSERT_TRUE(findings.NotePresentBeforeOnWorker(window, kNoted));
    ASSERT_TRUE(WaitForNoted(window)) << "the worker never told the window";

    // The repair deletes two; one delete is refused.
    TestEnv::SetString(HKEY_LOCAL_MACHINE, kKey, "never-there.dll", "1");
    ::RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kKey, "a.dll");
    ::RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kKey, "b.dll");
    ::RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kKey, "never-there.dll");
    findings.NoteGoneAfter();

    const RepairedFindings::Counts counts = findings.CountRepaired(false);
    EXPECT_EQ(counts.total, 2);
    EXPECT_EQ(counts.repaired.at(kScanSharedDlls), 2);
    EXPECT_EQ(counts.repaired.at(kScanFonts), 0) << "a category on offer without a repaired finding";
    EXPECT_EQ(counts.repaired.size(), 2u);

    // A refused repair repaired nothing, whatever the registry says.
    const RepairedFindings::Counts refused = findings.CountRepaired(true);
    EXPECT_EQ(refused.total, 0);
    EXPECT_EQ(refused.repaired.at(kScanSharedDlls), 0);

    // The next repair starts from an empty list.
    findings.Clear();
    EXPECT_EQ(findings.Size(), 0u);
    EXPECT_TRUE(findings.CountRepaired(false).repaired.empty());
    ::DestroyWindow(window);
    TestEnv::DeleteTree(HKEY_LOCAL_MACHINE, kKey);
}

TEST(RepairedFindings, ALookStillRunningIsStoppedWhenTheListGoes)
{
    const HWND window = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, static_cast<HWND>(NULL));
    {
        RepairedFindings findings;
        for (int i = 0; i < 50000; ++i)
            findings.AddFinding(ValueText("gone" + std::to_string(i) + ".dll"), kScanSharedDlls);
        ASSERT_TRUE(findings.NotePresentBeforeOnWorker(window, kNoted));
    }
    // The worker stopped before its end: it told the window all the same,
    // and nothing of the list is touched after it went.
    EXPECT_TRUE(WaitForNoted(window));
    ::DestroyWindow(window);
}
