#pragma once
#include "Framework/CUniqueHandle.h"

// One block from GlobalAlloc, freed by GlobalFree (until a stream or the
// clipboard takes it over with Detach).
using CGlobalMemory = CUniqueHandle<FreedBy<HGLOBAL, &::GlobalFree>>;
