#pragma once
#include <cstddef>
#include <string>

// The update check's rules on the wire, apart from the network: the query
// address, the reply, which addresses may be opened, and where a download
// lands. The updater's worker does the network work with these.
namespace UpdateProtocol
{
// The reply is a letter and an address; anything longer is not a reply.
constexpr size_t kMaxReplyBytes = 4096;
// WinINet reads in chunks of at most this many bytes.
constexpr unsigned kChunkBytes = 4095;

// What the query tells the server besides the version.
struct QueryFacts
{
    unsigned runCount = 0;
    bool portable = true;
    bool startupScan = false;       // "Run scan on windows startup" ticked
    bool scheduleDisabled = false;  // "Disable Schedule" ticked
    bool silent = false;
};

enum class ReplyKind
{
    UpToDate,    // "n"
    NewVersion,  // "y" and the download address
    Unreadable,  // anything else
};

// The product name, " v " and the program version.
std::string UserAgent();
// The program version without its dots ("0931010").
std::string VersionDigits();

// Root, path and script of the update server: the product's configuration,
// or the address a test put in its place.
std::string ServerAddress();
// For tests only: an empty address gives the configured one back.
void SetServerAddressForTests(const std::string& address);

std::string QueryAddress(const std::string& server, const QueryFacts& facts);

// Reads a reply body; for a new version, address receives the download
// address (lower case, "<br>" removed, trimmed, cut at an early ";" or after
// the first ".exe", ".zip" when portable). The address may come out empty.
ReplyKind ParseReply(const std::string& body, bool portable, std::string& address);

// Only plain web addresses are ever opened or downloaded.
bool IsWebAddress(const std::string& address);

// The installer's path for a unique temporary file name: only its final
// ".tmp" becomes ".exe"; a name without that ending gets ".exe" appended.
std::string InstallerPathFor(const std::string& tempFile);
}
