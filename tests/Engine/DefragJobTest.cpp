// The hive compaction job as the defragmentation page runs it: an analysis
// start, then a swap start, on the job object.
#include <windows.h>

#include <stdexcept>
#include <gtest/gtest.h>

#include "Engine/CTolvEngineProcess.h"
#include "Engine/DefragResult.h"
#include "Framework/CRegKey.h"
#include "PlantedHives.h"
#include "support/RecordingStatus.h"
#include "support/TestRegistry.h"

namespace
{
const int kOsCodeSavingWithoutAccessList = 5;

class TestProcess : public CTolvEngineProcess
{
public:
    CRegistryDefrag& Defrag() { return m_defrag; }
};

int RunDefrag(TestProcess& process, RecordingStatus& status, int replace, int osCode = kOsCodeSavingWithoutAccessList)
{
    status.Reset();
    EXPECT_EQ(process.StartDefrag(replace, &status, osCode), 1);
    process.Resume();
    EXPECT_TRUE(status.WaitFinished());
    for (int i = 0; i < 1000 && process.GetThreadHandle(); ++i)
        ::Sleep(5);
    return status.Result();
}

int CountSteps(const RecordingStatus& status)
{
    int steps = 0;
    for (const RecordingStatus::Call& call : status.Calls())
        steps += call.op == "progress" && call.value == 1;
    return steps;
}

std::vector<std::string> Ops(const RecordingStatus& status)
{
    std::vector<std::string> ops;
    for (const RecordingStatus::Call& call : status.Calls())
        ops.push_back(call.op + (call.op == "progress" ? std::to_string(call.value) : ""));
    return ops;
}

class DefragJob : public testing::Test
{
protected:
    DefragJob() : hives(testing::UnitTest::GetInstance()->current_test_info()->name())
    {
        process.Defrag().SetRoots(hives.Roots());
    }
    PlantedHives hives;
    TestProcess process;
    RecordingStatus status;
};
}

TEST_F(DefragJob, AnalysisWorthCompactingReportsTheGainAndLeavesTheCopies)
{
    const DWORD machineFile = hives.AddHive(HKEY_LOCAL_MACHINE, "QmDefragA", 25);
    const DWORD userFile = hives.AddHive(HKEY_USERS, "QmDefragU", 25);
    const DWORD copies = hives.SavedSize(HKEY_LOCAL_MACHINE, "QmDefragA") + hives.SavedSize(HKEY_USERS, "QmDefragU");

    EXPECT_EQ(RunDefrag(process, status, 0), kDefragWorthCompacting);
    const std::vector<std::string> expected = {"progress0", "progress1", "progress1", "progress1", "progress1",
                                               "found",     "defrag",    "progress2", "status",    "finished"};
    EXPECT_EQ(Ops(status), expected);
    const RecordingStatus::Call found = status.Calls()[5];
    EXPECT_EQ(found.text, "");
    EXPECT_EQ(found.value, 25);
    EXPECT_EQ(found.first, 0);
    EXPECT_EQ(found.second, 0);
    EXPECT_EQ(status.Calls()[6].value, kDefragWorthCompacting);

    EXPECT_EQ(process.Defrag().OldTotal(), machineFile + userFile);
    EXPECT_EQ(process.Defrag().NewTotal(), copies);
    EXPECT_EQ(process.Defrag().WorkFolder(), WindowsWorkFolder());
    EXPECT_EQ(FilesIn(WindowsWorkFolder()), (std::set<std::string>{"LM_QmDefragA", "USERS_QmDefragU"}));
    EXPECT_TRUE(FilesIn(WindowsWorkFolder() + "\\Backup").empty());
    std::set<std::string> files;
    for (const HiveEntry& hive : process.Defrag().Hives())
        files.insert(hive.hiveFile);
    EXPECT_EQ(files, (std::set<std::string>{"c:\\windows\\temp\\qmhives\\qmdefraga",
                                            "c:\\windows\\temp\\qmhives\\qmdefragu"}));
}

TEST_F(DefragJob, MoreThanFourPercentIsWorthIt)
{
    for (DWORD gain : {5u, 4u, 0u})
    {
        SCOPED_TRACE(gain);
        PlantedHives one("Gain" + std::to_string(gain));
        process.Defrag().SetRoots(one.Roots());
        one.AddHive(HKEY_LOCAL_MACHINE, "QmDefragGain", gain);
        EXPECT_EQ(RunDefrag(process, status, 0), gain == 5 ? kDefragWorthCompacting : kDefragNothingToGain);
        EXPECT_EQ(status.Findings().size(), gain == 5 ? 1u : 0u);
        EXPECT_EQ(FilesIn(WindowsWorkFolder()), std::set<std::string>{"LM_QmDefragGain"});
    }
}

TEST_F(DefragJob, OnlyHivesWithACopyCountTowardsTheGain)
{
    const DWORD savedFile = hives.AddHive(HKEY_LOCAL_MACHINE, "QmDefragSmall", 2);
    // Large files whose hives give no copy: a key that cannot be saved under
    // its name, a hive no longer loaded, and one under neither root.
    hives.AddKey(HKEY_LOCAL_MACHINE, "QmDefrag|Bad");
    hives.List("\\REGISTRY\\MACHINE\\QmDefrag|Bad", hives.AddFile("bad", 4000000));
    hives.List("\\REGISTRY\\MACHINE\\QmDefragUnloaded", hives.AddFile("unloaded", 4000000));
    hives.List("\\REGISTRY\\A\\QmDefragApp", hives.AddFile("app", 4000000));

    EXPECT_EQ(RunDefrag(process, status, 0), kDefragNothingToGain);
    EXPECT_TRUE(status.Findings().empty());
    EXPECT_EQ(process.Defrag().OldTotal(), savedFile);
    EXPECT_EQ(process.Defrag().Hives().size(), 4u);
    for (const HiveEntry& hive : process.Defrag().Hives())
        EXPECT_EQ(hive.root, hive.keyName == "QmDefragApp" ? HKEY(NULL) : HKEY_LOCAL_MACHINE) << hive.keyName;
    EXPECT_EQ(FilesIn(WindowsWorkFolder()), std::set<std::string>{"LM_QmDefragSmall"});
}

TEST_F(DefragJob, FailuresGiveTheirResult)
{
    // The hive list itself is missing.
    DefragRoots noList = hives.Roots();
    noList.hiveListKey += "\\missing";
    process.Defrag().SetRoots(noList);
    EXPECT_EQ(RunDefrag(process, status, 0), kDefragHiveListFailed);
    EXPECT_EQ(CountSteps(status), 0);

    // Nothing listed, then only a hive that cannot be saved.
    process.Defrag().SetRoots(hives.Roots());
    EXPECT_EQ(RunDefrag(process, status, 0), kDefragCompactionFailed);
    hives.AddKey(HKEY_LOCAL_MACHINE, "QmDefrag|Bad");
    hives.List("\\REGISTRY\\MACHINE\\QmDefrag|Bad", hives.AddFile("bad", 4000000));
    EXPECT_EQ(RunDefrag(process, status, 0), kDefragCompactionFailed);
    EXPECT_EQ(status.Calls()[CountSteps(status) + 1].op, "defrag");
    EXPECT_TRUE(FilesIn(WindowsWorkFolder()).empty());
}

TEST_F(DefragJob, SavingWithTheHiveFileAccessListLeavesNoCopyWhenRefused)
{
    hives.AddHive(HKEY_LOCAL_MACHINE, "QmDefragDacl", 25);
    const int result = RunDefrag(process, status, 0, 6);
    // Wine refuses any access list given to the save (error 1305).
    if (result == kDefragCompactionFailed)
        EXPECT_TRUE(FilesIn(WindowsWorkFolder()).empty());
    else
        EXPECT_EQ(result, kDefragWorthCompacting);
}

TEST_F(DefragJob, ListingSkipsEmptyValuesAndFindsDevicePaths)
{
    char device[512] = {};
    ASSERT_TRUE(::QueryDosDeviceA("C:", device, sizeof(device)));
    hives.AddKey(HKEY_LOCAL_MACHINE, "QmDefragDev");
    hives.AddFile("QmDefragDev", 1000000);
    hives.List("\\REGISTRY\\MACHINE\\QmDefragDev", std::string(device) + "\\Windows\\Temp\\QmHives\\QmDefragDev");
    hives.List("\\REGISTRY\\MACHINE\\QmDefragEmpty", "", 0);
    hives.List("\\REGISTRY\\MACHINE\\QmDefragMissing", "c:\\windows\\temp\\qmhives\\missing");

    EXPECT_EQ(RunDefrag(process, status, 0), kDefragWorthCompacting);
    // Two listed values with data, one hive saved.
    EXPECT_EQ(CountSteps(status), 3);
    ASSERT_EQ(process.Defrag().Hives().size(), 1u);
    EXPECT_EQ(process.Defrag().Hives()[0].hiveFile, "c:\\windows\\temp\\qmhives\\qmdefragdev");
    EXPECT_EQ(process.Defrag().Hives()[0].keyName, "QmDefragDev");
}

TEST_F(DefragJob, ProgramReadsTheSystemHiveList)
{
    TestProcess untouched;
    const char systemList[] = "SYSTEM\\CurrentControlSet\\Control\\hivelist";
    hives.AddKey(HKEY_LOCAL_MACHINE, "QmDefragSys");
    const std::string file = hives.AddFile("QmDefragSys", 1000000);
    CRegKey list;
    ASSERT_EQ(list.Open(HKEY_LOCAL_MACHINE, systemList, KEY_SET_VALUE | NativeView()), ERROR_SUCCESS);
    ASSERT_EQ(list.SetString("\\REGISTRY\\MACHINE\\QmDefragSys", file), ERROR_SUCCESS);
    EXPECT_EQ(RunDefrag(untouched, status, 0), kDefragWorthCompacting);
    list.DeleteValue("\\REGISTRY\\MACHINE\\QmDefragSys");
    EXPECT_EQ(FilesIn(WindowsWorkFolder()).count("LM_QmDefragSys"), 1u);
}

TEST_F(DefragJob, SwapRegistersAFreshCopyOfEachHive)
{
    hives.AddHive(HKEY_LOCAL_MACHINE, "QmDefragSwap", 25);
    ASSERT_EQ(RunDefrag(process, status, 0), kDefragWorthCompacting);
    // A change made between the analysis and the swap must reach the copy.
    hives.AddValue(HKEY_LOCAL_MACHINE, "QmDefragSwap", "AddedAfterAnalysis", 16);
    const std::string stale = WindowsWorkFolder() + "\\Backup\\LM_QmDefragSwap";
    ASSERT_TRUE(TestEnv::WriteFile(stale, "stale"));

    EXPECT_EQ(RunDefrag(process, status, 1), kDefragSwapped);
    EXPECT_EQ(CountSteps(status), 1);
    EXPECT_NE(ReadWholeFile(WindowsWorkFolder() + "\\LM_QmDefragSwap").find("AddedAfterAnalysis"), std::string::npos);
    EXPECT_NE(ReadWholeFile(stale), "stale");
    EXPECT_EQ(status.Calls()[status.Calls().size() - 4].value, kDefragSwapped);
}

TEST_F(DefragJob, SwapWithNothingToSwapGivesThree)
{
    EXPECT_EQ(RunDefrag(process, status, 1), kDefragSwapFailed);

    hives.AddHive(HKEY_LOCAL_MACHINE, "QmDefragGone", 25);
    ASSERT_EQ(RunDefrag(process, status, 0), kDefragWorthCompacting);
    // The hive went away since the analysis: its old copy is not swapped in.
    ASSERT_TRUE(TestEnv::DeleteTree(HKEY_LOCAL_MACHINE, "QmDefragGone"));
    EXPECT_EQ(RunDefrag(process, status, 1), kDefragSwapFailed);

    hives.AddHive(HKEY_LOCAL_MACHINE, "QmDefragNoCopy", 25);
    ASSERT_EQ(RunDefrag(process, status, 0), kDefragWorthCompacting);
    CRegistryDefrag::PurgeFolder(WindowsWorkFolder());
    EXPECT_EQ(RunDefrag(process, status, 1), kDefragSwapFailed);

    PlantedHives even("Even");
    process.Defrag().SetRoots(even.Roots());
    even.AddHive(HKEY_LOCAL_MACHINE, "QmDefragEven", 0);
    ASSERT_EQ(RunDefrag(process, status, 0), kDefragNothingToGain);
    EXPECT_EQ(RunDefrag(process, status, 1), kDefragSwapFailed);
}

TEST_F(DefragJob, ExceptionsGiveZeroBeforeTheListAndFiveAfter)
{
    hives.AddHive(HKEY_LOCAL_MACHINE, "QmDefragThrow", 25);
    struct Case
    {
        int replace;
        int throwAtStep;
        int result;
    };
    for (const Case& c : {Case{0, 1, kDefragFailedBeforeHiveList}, Case{0, 2, kDefragFailedAfterHiveList},
                          Case{1, 1, kDefragFailedBeforeHiveList}})
    {
        SCOPED_TRACE(c.throwAtStep + 10 * c.replace);
        if (c.replace)
        {
            status.onCall = nullptr;
            ASSERT_EQ(RunDefrag(process, status, 0), kDefragWorthCompacting);
        }
        int steps = 0;
        status.onCall = [&](const RecordingStatus::Call& call) {
            if (call.op == "progress" && call.value == 1 && ++steps == c.throwAtStep)
                throw std::runtime_error("sink failed");
        };
        EXPECT_EQ(RunDefrag(process, status, c.replace), c.result);
        EXPECT_EQ(Ops(status)[Ops(status).size() - 4], "defrag");
    }
    status.onCall = nullptr;
}
