#pragma once
#include <string>
#include <vector>

#include "support/RecordingStatus.h"

// What a restore handed its status sink for the page to show the user once
// the job is done: its messages (a parse error with its line) and the keys
// it could not write. The engine itself shows nothing.
namespace ShownErrors
{
std::vector<std::string> Messages(const RecordingStatus& status);
std::vector<std::string> NotRestored(const RecordingStatus& status);
}
