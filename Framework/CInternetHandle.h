#pragma once
#include <windows.h>
#include <wininet.h>

#include "Framework/CUniqueHandle.h"

// One WinINet session, connection or request, closed by InternetCloseHandle
// (link wininet).
using CInternetHandle = CUniqueHandle<FreedBy<HINTERNET, &::InternetCloseHandle>>;
