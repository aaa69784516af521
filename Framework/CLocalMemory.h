#pragma once
#include "Framework/CUniqueHandle.h"

// One block from LocalAlloc, or one that a system call allocated that way
// for its caller (a security descriptor, a formatted message), freed by
// LocalFree.
using CLocalMemory = CUniqueHandle<FreedBy<HLOCAL, &::LocalFree>>;
