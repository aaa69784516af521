// The updater's worker against a server on the loopback address: what each
// reply leads to, which messages the user sees (silent and not), what is
// downloaded and what would be started. Nothing is really started: the
// shell's open call is recorded instead.
// The loopback server needs winsock2.h, which must come before windows.h.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Client/Shell/UpdateJob.h"
#include "Client/Shell/UpdateProtocol.h"
#include "Client/Shell/UpdateWorker.h"
#include "Framework/ShellCalls.h"
#include "DownloadedInstallers.h"
#include "LoopbackHttpServer.h"

namespace
{
const char* const kUpToDate = "You are already running latest version of Quillomar";
const char* const kNoServer = "Error connecting to update server, please make sure you are connected to the internet";
const char* const kUnreadable =
    "Communication error while checking for software update, please make sure you are connected to the internet";
const char* const kNewVersion = "A new version of Quillomar is available, Do you want to download it";
const char* const kDownloadFailed = "An error occurred while downloading updates, check your internet connection";
const char* const kInstallQuestion =
    "Do you want to install the downloaded updates.\r\nIf you select Yes, Quillomar will exit and update installer "
    "will be launched.";

std::vector<std::string> g_opened;

HINSTANCE WINAPI RecordOpen(HWND, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, INT show)
{
    g_opened.push_back(std::string(verb) + " " + file + (show == SW_SHOWNORMAL ? "" : " (not shown normally)"));
    return reinterpret_cast<HINSTANCE>(42);
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string Installer(size_t size)
{
    std::string body;
    for (size_t i = 0; i < size; ++i)
        body += static_cast<char>('A' + i % 23);
    return body;
}

struct Outcome
{
    std::vector<std::string> messages;
    std::vector<std::string> opened;
    bool closeRequested = false;
    bool exitRequested = false;
};

class UpdateWorkerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.IsRunning());
        UpdateProtocol::SetServerAddressForTests(m_server.Address("/quillomar/check.php"));
        g_opened.clear();
        m_previousOpen = ShellCalls::SetExecute(&RecordOpen);
    }
    void TearDown() override
    {
        ShellCalls::SetExecute(m_previousOpen);
        UpdateProtocol::SetServerAddressForTests("");
        for (const std::string& file : DownloadedInstallers())
            ::DeleteFileA(file.c_str());
    }

    // Runs the worker's whole road here, answering its questions in turn.
    Outcome Run(bool silent, bool portable, std::vector<int> answers = {})
    {
        UpdateProtocol::QueryFacts facts;
        facts.silent = silent;
        facts.portable = portable;
        facts.runCount = 7;
        auto job = std::make_shared<UpdateJob>(facts, portable);
        Outcome outcome;
        job->SetMessageBox([&](const std::string& text, UINT type) {
            outcome.messages.push_back(text);
            EXPECT_EQ(type & MB_ICONMASK, 0u) << "the updater's boxes have no icon";
            if (answers.empty())
                return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
            const int answer = answers.front();
            answers.erase(answers.begin());
            return answer;
        });
        UpdateWorker(job).Run();
        outcome.opened = g_opened;
        outcome.closeRequested = job->IsCloseRequested();
        outcome.exitRequested = job->IsExitRequested();
        return outcome;
    }

    void AnswerCheck(const std::string& body) { m_server.AnswerText("/quillomar/check.php", body); }

    LoopbackHttpServer m_server;
    ShellCalls::ExecuteFunction m_previousOpen = nullptr;
};

TEST_F(UpdateWorkerTest, UpToDateIsToldEvenInASilentCheck)
{
    AnswerCheck("n");
    for (bool silent : {false, true})
    {
        const Outcome outcome = Run(silent, false);
        EXPECT_EQ(outcome.messages, std::vector<std::string>{kUpToDate});
        EXPECT_TRUE(outcome.closeRequested);
        EXPECT_TRUE(outcome.opened.empty());
    }
    const std::vector<std::string> requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], "/quillomar/check.php?version=0931010&cv=7&apptype=installer&sp=0&su=0&ss=1");
    EXPECT_EQ(requests[1], "/quillomar/check.php?version=0931010&cv=7&apptype=installer&sp=0&su=1&ss=1");
}

TEST_F(UpdateWorkerTest, NewVersionIsDownloadedWholeAndItsInstallerStarted)
{
    const std::string installer = Installer(3 * 4095 + 17);
    m_server.AnswerText("/files/setup.exe", installer);
    // Upper case, a line break tag and what follows the ".exe" are cut away.
    AnswerCheck("y " + m_server.Address("/files/Setup.EXE") + "<br>?mirror=2 and more\r\n");

    const Outcome outcome = Run(false, false, {IDYES, IDYES});
    EXPECT_EQ(outcome.messages, (std::vector<std::string>{kNewVersion, kInstallQuestion}));
    EXPECT_TRUE(outcome.exitRequested);
    EXPECT_FALSE(outcome.closeRequested);
    ASSERT_EQ(outcome.opened.size(), 1u);
    const std::string path = outcome.opened[0].substr(5);
    EXPECT_EQ(outcome.opened[0].substr(0, 5), "open ");
    EXPECT_EQ(path.substr(path.size() - 4), ".exe");
    EXPECT_EQ(path.find(".tmp"), std::string::npos);
    EXPECT_EQ(ReadWholeFile(path), installer);
    EXPECT_EQ(m_server.Requests().back(), "/files/setup.exe");
}

TEST_F(UpdateWorkerTest, AnsweringNoLeavesEverythingAsItWas)
{
    m_server.AnswerText("/files/setup.exe", Installer(100));
    AnswerCheck("y" + m_server.Address("/files/setup.exe"));
    Outcome outcome = Run(false, false, {IDNO});
    EXPECT_EQ(outcome.messages, std::vector<std::string>{kNewVersion});
    EXPECT_TRUE(outcome.closeRequested);
    EXPECT_EQ(m_server.Requests().size(), 1u) << "nothing downloaded";

    // Downloaded, but not installed: the file stays, nothing is started.
    outcome = Run(false, false, {IDYES, IDNO});
    EXPECT_EQ(outcome.messages, (std::vector<std::string>{kNewVersion, kInstallQuestion}));
    EXPECT_TRUE(outcome.closeRequested);
    EXPECT_FALSE(outcome.exitRequested);
    EXPECT_TRUE(outcome.opened.empty());
    EXPECT_EQ(DownloadedInstallers().size(), 1u);
}

TEST_F(UpdateWorkerTest, PortableModeOpensTheAddressCutAtItsSeparator)
{
    AnswerCheck("y" + m_server.Address("/files/quillomar.zip") + ";checksum=abc");
    Outcome outcome = Run(false, true, {IDYES});
    EXPECT_EQ(outcome.messages, std::vector<std::string>{kNewVersion});
    EXPECT_EQ(outcome.opened, std::vector<std::string>{"open " + m_server.Address("/files/quillomar.zip")});
    EXPECT_TRUE(outcome.closeRequested);
    EXPECT_EQ(m_server.Requests().back().substr(0, 20), "/quillomar/check.php") << "no download in portable mode";

    // A separator after position 75 is part of the address; the ".zip" cut holds.
    const std::string longAddress = m_server.Address("/files/" + std::string(80, 'q') + ".zip");
    AnswerCheck("y" + longAddress + "x;tail");
    g_opened.clear();
    outcome = Run(false, true, {IDYES});
    EXPECT_EQ(outcome.opened, std::vector<std::string>{"open " + longAddress});
}

TEST_F(UpdateWorkerTest, AnEmptyAddressClosesWithoutAsking)
{
    for (const std::string& reply : {std::string("y;") + m_server.Address("/files/setup.exe"), std::string("y   "),
                                     "y" + std::string(5000, ' ') + m_server.Address("/files/setup.exe")})
    {
        AnswerCheck(reply);
        const Outcome outcome = Run(false, false);
        EXPECT_TRUE(outcome.messages.empty()) << reply.substr(0, 40);
        EXPECT_TRUE(outcome.closeRequested);
        EXPECT_TRUE(outcome.opened.empty());
    }
}

TEST_F(UpdateWorkerTest, UnusableRepliesAreACommunicationErrorUnlessSilent)
{
    // Garbage, an empty body, an upper-case letter, and addresses that are
    // not web addresses.
    for (const std::string& reply : {std::string("<html>busy</html>"), std::string(), std::string("Y http://x/a.exe"),
                                     std::string("y file:///c:/windows/notepad.exe"), std::string("yc:\\setup.exe")})
    {
        AnswerCheck(reply);
        Outcome outcome = Run(false, false, {IDYES, IDYES});
        EXPECT_EQ(outcome.messages, std::vector<std::string>{kUnreadable}) << reply;
        EXPECT_TRUE(outcome.closeRequested);
        EXPECT_TRUE(outcome.opened.empty());
        outcome = Run(true, false, {IDYES, IDYES});
        EXPECT_TRUE(outcome.messages.empty()) << reply;
        EXPECT_TRUE(outcome.closeRequested);
    }
}

TEST_F(UpdateWorkerTest, AServerThatFailsIsAConnectionErrorUnlessSilent)
{
    // No script at the address (an error page), and a server that hangs up
    // before it answers.
    UpdateProtocol::SetServerAddressForTests(m_server.Address("/elsewhere.php"));
    Outcome outcome = Run(false, false);
    EXPECT_EQ(outcome.messages, std::vector<std::string>{kNoServer});
    EXPECT_TRUE(Run(true, false).messages.empty());

    LoopbackHttpServer::Reply hangUp;
    hangUp.answer = false;
    m_server.Answer("/elsewhere.php", hangUp);
    outcome = Run(false, false);
    EXPECT_EQ(outcome.messages, std::vector<std::string>{kNoServer});
    EXPECT_TRUE(outcome.closeRequested);
    EXPECT_TRUE(Run(true, false).messages.empty());

    // A server that closes after its headers sends an empty reply.
    LoopbackHttpServer::Reply early;
    early.body = "n";
    early.announced = 50;
    early.sendBytes = 0;
    m_server.Answer("/elsewhere.php", early);
    EXPECT_EQ(Run(false, false).messages, std::vector<std::string>{kUnreadable});
}

TEST_F(UpdateWorkerTest, AnIncompleteDownloadIsDeletedAndNeverStarted)
{
    const std::set<std::string> before = DownloadedInstallers();
    LoopbackHttpServer::Reply shortFile;
    shortFile.body = Installer(20000);
    shortFile.sendBytes = 9000;
    m_server.Answer("/files/setup.exe", shortFile);
    AnswerCheck("y" + m_server.Address("/files/setup.exe"));

    Outcome outcome = Run(true, false, {IDYES, IDYES});
    EXPECT_EQ(outcome.messages, (std::vector<std::string>{kNewVersion, kDownloadFailed}));
    EXPECT_TRUE(outcome.closeRequested);
    EXPECT_TRUE(outcome.opened.empty());
    EXPECT_EQ(DownloadedInstallers(), before);

    // Nor is an error page or an empty file taken for an installer.
    LoopbackHttpServer::Reply errorPage;
    errorPage.status = 500;
    errorPage.body = "MZ pretending";
    m_server.Answer("/files/setup.exe", errorPage);
    outcome = Run(false, false, {IDYES, IDYES});
    EXPECT_EQ(outcome.messages, (std::vector<std::string>{kNewVersion, kDownloadFailed}));
    m_server.AnswerText("/files/setup.exe", "");
    outcome = Run(false, false, {IDYES, IDYES});
    EXPECT_EQ(outcome.messages, (std::vector<std::string>{kNewVersion, kDownloadFailed}));
    EXPECT_TRUE(outcome.opened.empty());
    EXPECT_EQ(DownloadedInstallers(), before);
}
}
