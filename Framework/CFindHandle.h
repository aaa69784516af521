#pragma once
#include "Framework/CUniqueHandle.h"

// One FindFirstFile search, ended by FindClose.
using CFindHandle = CUniqueHandle<FreedByOrInvalid<&::FindClose>>;
