#pragma once
#include <windows.h>
#include <objbase.h>

#include "Framework/CUniqueHandle.h"

// Memory that a COM call hands out (a PIDL, a string ...), freed by
// CoTaskMemFree.
template <class T>
using CComTaskMem = CUniqueHandle<FreedBy<T*, &::CoTaskMemFree>>;
