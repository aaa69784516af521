#pragma once
#include <windows.h>
#include <wininet.h>

#include "Framework/CUniqueHandle.h"
#include "Framework/LateImports.h"

// One WinINet session, connection or request, closed by InternetCloseHandle.
using CInternetHandle = CUniqueHandle<FreedBy<HINTERNET, &LateImports::InternetCloseHandle>>;
