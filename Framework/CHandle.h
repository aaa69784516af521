#pragma once
#include "Framework/CUniqueHandle.h"

// One kernel handle (thread, event, file, mapping ...), closed by CloseHandle.
// Both NULL and INVALID_HANDLE_VALUE mean "no handle".
using CHandle = CUniqueHandle<FreedByOrInvalid<&::CloseHandle>>;
