#include "ShownErrors.h"

#include <mutex>

#include "Engine/CXmlReader.h"

namespace
{
std::mutex g_mutex;
std::vector<std::string> g_shown;

void Record(const std::string& message)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_shown.push_back(message);
}

struct InstallDisplay
{
    InstallDisplay() { CXmlReader::SetErrorDisplay(&Record); }
};
InstallDisplay g_installDisplay;
}

namespace ShownErrors
{
void Clear()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_shown.clear();
}

std::vector<std::string> Get()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_shown;
}
}
