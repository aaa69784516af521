#pragma once
// Contract of Quillomar.exe and qmsag.dll: shared by both binaries and frozen
// (a change breaks a program or engine built apart from the other). It passes
// standard-library types, so both must come from one build with one runtime.
#include "Engine/CAbstractTolvEngineInterface.h"

// The two exports of qmsag.dll (ordinals 1 and 2, undecorated names). The
// program binds them by name with GetProcAddress.
extern "C" {
typedef CAbstractTolvEngineInterface*(__cdecl* PFN_ENGINE_CREATE)();
typedef void(__cdecl* PFN_ENGINE_RELEASE)(CAbstractTolvEngineInterface* engine);
}

#define QM_ENGINE_LIBRARY "qmsag.dll"
#define QM_ENGINE_CREATE "Create"
#define QM_ENGINE_RELEASE "Release"
