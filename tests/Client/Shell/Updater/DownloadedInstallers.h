#pragma once
#include <set>
#include <string>

// The full paths of the "qmu*.exe" files in the temporary folder: the
// installers that downloads left behind.
std::set<std::string> DownloadedInstallers();
