#pragma once
#include "Framework/CUniqueHandle.h"

// One icon loaded or made for its owner (not a shared one from LoadIcon),
// destroyed by DestroyIcon.
using CIcon = CUniqueHandle<FreedBy<HICON, &::DestroyIcon>>;
