#include "ShownErrors.h"

#include "Client/Shell/CAbstractStatus.h"
#include "Engine/CRegistryManager.h"

namespace
{
std::vector<std::string> StatusTexts(const RecordingStatus& status, const char* code)
{
    std::vector<std::string> texts;
    for (const RecordingStatus::Call& call : status.Calls())
        if (call.op == "status" && call.code == code)
            texts.push_back(call.text);
    return texts;
}
}

namespace ShownErrors
{
std::vector<std::string> Messages(const RecordingStatus& status)
{
    return StatusTexts(status, kStatusCodeMessage);
}

std::vector<std::string> NotRestored(const RecordingStatus& status)
{
    return StatusTexts(status, kStatusCodeNotRestored);
}
}
