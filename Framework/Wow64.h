#pragma once

// Whether this 32-bit process runs on 64-bit Windows. The call is looked up
// by name: it does not exist before Windows XP SP2, where the answer is no.
namespace Wow64
{
bool IsCurrentProcess();
}
