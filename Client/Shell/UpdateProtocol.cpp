#include "Client/Shell/UpdateProtocol.h"

#include "Client/Shell/ProductInfo.h"
#include "Framework/AnsiText.h"

namespace UpdateProtocol
{
namespace
{
// A ";" this early ends the address; a later one is taken as part of it.
const size_t kLastSeparatorPosition = 75;

std::string g_serverForTests;

bool StartsWithNoCase(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size() && AnsiText::CompareNoCase(text.substr(0, prefix.size()), prefix) == 0;
}
}

std::string UserAgent()
{
    return std::string(QM_PRODUCT_NAME) + " v " + QM_PROGRAM_VERSION;
}

std::string VersionDigits()
{
    std::string digits;
    for (const char* c = QM_PROGRAM_VERSION; *c; ++c)
        if (*c != '.')
            digits += *c;
    return digits;
}

std::string ServerAddress()
{
    if (!g_serverForTests.empty())
        return g_serverForTests;
    return std::string(QM_UPDATE_SERVER_ROOT) + QM_UPDATE_SERVER_PATH + QM_UPDATE_SERVER_SCRIPT;
}

void SetServerAddressForTests(const std::string& address)
{
    g_serverForTests = address;
}

std::string QueryAddress(const std::string& server, const QueryFacts& facts)
{
    return server + "?version=" + VersionDigits() + AnsiText::Format("&cv=%u", facts.runCount) +
           (facts.portable ? "&apptype=portable" : "&apptype=installer") + (facts.startupScan ? "&sp=1" : "&sp=0") +
           (facts.silent ? "&su=1" : "&su=0") + (facts.scheduleDisabled ? "&ss=0" : "&ss=1");
}

ReplyKind ParseReply(const std::string& body, bool portable, std::string& address)
{
    address.clear();
    if (body.empty())
        return ReplyKind::Unreadable;
    if (body[0] == 'n')
        return ReplyKind::UpToDate;
    if (body[0] != 'y')
        return ReplyKind::Unreadable;

    std::string rest = AnsiText::ToLower(body.substr(1));
    AnsiText::ReplaceAll(rest, "<br>", "");
    rest = AnsiText::Trimmed(rest, " \t\r\n\v\f");
    const size_t separator = rest.find(';');
    const size_t extension = rest.find(portable ? ".zip" : ".exe");
    if (separator != std::string::npos && separator <= kLastSeparatorPosition)
        rest.erase(separator);
    else if (extension != std::string::npos)
        rest.erase(extension + 4);
    address = rest;
    return ReplyKind::NewVersion;
}

bool IsWebAddress(const std::string& address)
{
    for (const std::string scheme : {"http://", "https://"})
        if (address.size() > scheme.size() && StartsWithNoCase(address, scheme))
            return true;
    return false;
}

std::string InstallerPathFor(const std::string& tempFile)
{
    const std::string ending = ".tmp";
    if (tempFile.size() >= ending.size() &&
        AnsiText::CompareNoCase(tempFile.substr(tempFile.size() - ending.size()), ending) == 0)
        return tempFile.substr(0, tempFile.size() - ending.size()) + ".exe";
    return tempFile + ".exe";
}
}
