#pragma once
#include "Framework/CUniqueHandle.h"

// One library loaded by LoadLibrary, freed by FreeLibrary.
using CModule = CUniqueHandle<FreedBy<HMODULE, &::FreeLibrary>>;
