// The update check's rules apart from the network: the query, the reply's
// cuts, the addresses that may be opened and the installer's file name.
#include <gtest/gtest.h>

#include "Client/Shell/UpdateProtocol.h"

using namespace UpdateProtocol;

TEST(UpdateRules, TheQueryReportsVersionRunsModeAndSettings)
{
    QueryFacts facts;
    facts.runCount = 4294967295u;
    facts.portable = true;
    facts.startupScan = true;
    facts.scheduleDisabled = true;
    facts.silent = true;
    EXPECT_EQ(QueryAddress("http://u/s.php", facts),
              "http://u/s.php?version=0931010&cv=4294967295&apptype=portable&sp=1&su=1&ss=0");
    EXPECT_EQ(UserAgent(), "Quillomar v 0.9.3.1010");
}

TEST(UpdateRules, TheConfiguredServerIsAReservedNameUntilATestReplacesIt)
{
    const std::string configured = ServerAddress();
    EXPECT_EQ(configured, "http://update.quillomar.invalid/quillomar/check.php");
    SetServerAddressForTests("http://127.0.0.1:9/x.php");
    EXPECT_EQ(ServerAddress(), "http://127.0.0.1:9/x.php");
    SetServerAddressForTests("");
    EXPECT_EQ(ServerAddress(), configured);
}

TEST(UpdateRules, RepliesAreReadByTheirFirstLetterOnly)
{
    std::string address = "left over";
    EXPECT_EQ(ParseReply("n", false, address), ReplyKind::UpToDate);
    EXPECT_EQ(address, "");
    EXPECT_EQ(ParseReply("no, y", false, address), ReplyKind::UpToDate);
    EXPECT_EQ(ParseReply("N", false, address), ReplyKind::Unreadable);
    EXPECT_EQ(ParseReply(" y http://a/b.exe", false, address), ReplyKind::Unreadable);
    EXPECT_EQ(ParseReply("", false, address), ReplyKind::Unreadable);
    EXPECT_EQ(ParseReply(std::string("\0y", 2), false, address), ReplyKind::Unreadable);
}

TEST(UpdateRules, TheAddressIsCutAtAnEarlySeparatorOrAfterTheFirstExtension)
{
    std::string address;
    EXPECT_EQ(ParseReply("y<br> HTTP://Host/A.exe<BR>\r\n", false, address), ReplyKind::NewVersion);
    EXPECT_EQ(address, "http://host/a.exe");
    ParseReply("yhttp://h/setup.exe.exe/more", false, address);
    EXPECT_EQ(address, "http://h/setup.exe");
    ParseReply("yhttp://h/a.exe;b.exe", false, address);
    EXPECT_EQ(address, "http://h/a.exe");
    ParseReply("y;http://h/a.exe", false, address);
    EXPECT_EQ(address, "");

    // A ";" at position 75 still cuts; at 76 it is passed over for ".exe".
    const std::string at75 = "http://h/" + std::string(66, 'x');
    ParseReply("y" + at75 + ";.exe", false, address);
    EXPECT_EQ(address, at75);
    const std::string at76 = at75 + "x";
    ParseReply("y" + at76 + ";q.exe!", false, address);
    EXPECT_EQ(address, at76 + ";q.exe");

    // Portable mode looks for ".zip"; without any extension the whole rest stays.
    ParseReply("yhttp://h/a.exe/b.zip?x", true, address);
    EXPECT_EQ(address, "http://h/a.exe/b.zip");
    ParseReply("yhttp://h/page", false, address);
    EXPECT_EQ(address, "http://h/page");
}

TEST(UpdateRules, OnlyWebAddressesMayBeOpened)
{
    EXPECT_TRUE(IsWebAddress("http://h/a.exe"));
    EXPECT_TRUE(IsWebAddress("HTTPS://h/a.exe"));
    for (const char* other : {"http://", "ftp://h/a.exe", "file:///c:/a.exe", "c:\\a.exe", "\\\\server\\a.exe",
                              " http://h/a.exe", "javascript:alert(1)", "httpx://h", ""})
        EXPECT_FALSE(IsWebAddress(other)) << other;
}

TEST(UpdateRules, OnlyTheFinalTmpOfTheTemporaryNameBecomesExe)
{
    EXPECT_EQ(InstallerPathFor("C:\\Temp\\qmu1A2.tmp"), "C:\\Temp\\qmu1A2.exe");
    EXPECT_EQ(InstallerPathFor("C:\\a.tmp\\b.tmp\\qmu3.TMP"), "C:\\a.tmp\\b.tmp\\qmu3.exe");
    EXPECT_EQ(InstallerPathFor("C:\\a.tmp\\qmu4"), "C:\\a.tmp\\qmu4.exe");
}
