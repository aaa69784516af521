// The program reaches the engine only through qmsag.dll's two exports.
#include <windows.h>

#include <gtest/gtest.h>

#include "Engine/CAbstractProcess.h"
#include "Engine/EngineExports.h"
#include "Framework/CHandle.h"
#include "support/RecordingStatus.h"

namespace
{
class EngineLibrary : public testing::Test
{
protected:
    void SetUp() override
    {
        m_module = ::LoadLibraryA(QM_ENGINE_LIBRARY);
        ASSERT_NE(m_module, nullptr) << "LoadLibrary error " << ::GetLastError();
        m_create = reinterpret_cast<PFN_ENGINE_CREATE>(
            reinterpret_cast<void*>(::GetProcAddress(m_module, QM_ENGINE_CREATE)));
        m_release = reinterpret_cast<PFN_ENGINE_RELEASE>(
            reinterpret_cast<void*>(::GetProcAddress(m_module, QM_ENGINE_RELEASE)));
        ASSERT_NE(m_create, nullptr);
        ASSERT_NE(m_release, nullptr);
    }
    void TearDown() override
    {
        if (m_module)
            ::FreeLibrary(m_module);
    }

    HMODULE m_module = nullptr;
    PFN_ENGINE_CREATE m_create = nullptr;
    PFN_ENGINE_RELEASE m_release = nullptr;
};
}

TEST_F(EngineLibrary, ExportsAreFoundByNameAndByOrdinal)
{
    EXPECT_EQ(reinterpret_cast<void*>(::GetProcAddress(m_module, MAKEINTRESOURCEA(1))),
              reinterpret_cast<void*>(m_create));
    EXPECT_EQ(reinterpret_cast<void*>(::GetProcAddress(m_module, MAKEINTRESOURCEA(2))),
              reinterpret_cast<void*>(m_release));
    EXPECT_EQ(::GetProcAddress(m_module, MAKEINTRESOURCEA(3)), nullptr);
}

TEST_F(EngineLibrary, ReleaseAndDestroyAcceptNull)
{
    m_release(nullptr);
    CAbstractTolvEngineInterface* engine = m_create();
    ASSERT_NE(engine, nullptr);
    engine->DestroyEngineProcess(nullptr);
    m_release(engine);
}

TEST_F(EngineLibrary, JobObjectFromTheLibraryRunsAScan)
{
    CAbstractTolvEngineInterface* engine = m_create();
    ASSERT_NE(engine, nullptr);
    for (int constructor = 1; constructor <= 2; ++constructor)
    {
        CAbstractProcess* process =
            constructor == 1 ? engine->CreateEngineProcess() : engine->CreateEngineProcess2();
        ASSERT_NE(process, nullptr);
        RecordingStatus status;
        ASSERT_EQ(process->StartScan({}, 0, &status, 0), 1);
        EXPECT_EQ(process->GetJobType(), kJobScan);
        EXPECT_TRUE(process->Resume());
        ASSERT_TRUE(status.WaitFinished());
        ::WaitForSingleObject(process->GetThreadHandle(), 5000);
        EXPECT_EQ(status.StatusCodes(),
                  (std::vector<std::string>{"X", "U", "N", "D", "A", "H", "S", "R", "C", "E", "F", "V", "Scanning"}));
        EXPECT_EQ(status.Result(), 0);
        engine->DestroyEngineProcess(process);
    }
    m_release(engine);
}

TEST(EngineLibraryRelease, LibraryFreedRightAfterTheReleaseOfAStoppedJob)
{
    // The program's exit: stop, give the job object back, release the
    // interface and free the library at once. The job thread must never run
    // on in the freed library or in the freed job object.
    for (int round = 0; round < 20; ++round)
    {
        SCOPED_TRACE(round);
        HMODULE module = ::LoadLibraryA(QM_ENGINE_LIBRARY);
        ASSERT_NE(module, nullptr);
        const PFN_ENGINE_CREATE create = reinterpret_cast<PFN_ENGINE_CREATE>(
            reinterpret_cast<void*>(::GetProcAddress(module, QM_ENGINE_CREATE)));
        const PFN_ENGINE_RELEASE release = reinterpret_cast<PFN_ENGINE_RELEASE>(
            reinterpret_cast<void*>(::GetProcAddress(module, QM_ENGINE_RELEASE)));
        ASSERT_NE(create, nullptr);
        ASSERT_NE(release, nullptr);
        CAbstractTolvEngineInterface* engine = create();
        ASSERT_NE(engine, nullptr);
        CAbstractProcess* process = engine->CreateEngineProcess();
        ASSERT_NE(process, nullptr);

        RecordingStatus status;
        const CHandle scanning(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
        status.onCall = [&](const RecordingStatus::Call& call) {
            if (call.op == "status" && !call.text.empty())
                ::SetEvent(scanning.Get());
        };
        ASSERT_EQ(process->StartScan({"C:"}, 0xFFFFFFFF, &status, 0), 1);
        process->Resume();
        // The thread is inside a scanner, in the library's code.
        EXPECT_EQ(::WaitForSingleObject(scanning.Get(), 60000), static_cast<DWORD>(WAIT_OBJECT_0));
        process->Stop(1);
        engine->DestroyEngineProcess(process);
        release(engine);
        ::FreeLibrary(module);
        // Nothing holds the library any more: it is gone, and the job ended.
        EXPECT_EQ(::GetModuleHandleA(QM_ENGINE_LIBRARY), nullptr);
        const size_t calls = status.Calls().size();
        ASSERT_GT(calls, 0u);
        EXPECT_EQ(status.Calls().back().op, "finished");
        ::Sleep(20);
        EXPECT_EQ(status.Calls().size(), calls);
    }
}
