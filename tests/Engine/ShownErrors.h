#pragma once
#include <string>
#include <vector>

// The parse errors that the reader would have shown in a message box. The
// test program replaces the box with this record, so that no test waits for
// a click that never comes.
namespace ShownErrors
{
void Clear();
std::vector<std::string> Get();
}
