#pragma once
#include <windows.h>

#include <string>

#include "Engine/EngineExports.h"
#include "Framework/CModule.h"

// The engine library, bound by name at start-up and kept for the whole run.
// Both are empty when nothing is bound.
extern CAbstractTolvEngineInterface* g_pEngine;
extern CModule g_hEngineModule;

namespace EngineBinding
{
// Loads the library and asks it for its interface, into the two globals.
// Returns true when both are there; otherwise error is the load's Windows
// error code, or 0 when the library loaded but gave no interface.
bool Bind(const char* library, DWORD& error);
// The export "Create" called by name; NULL when the export is missing.
CAbstractTolvEngineInterface* CallCreate(HMODULE module);
// The export "Release" called by name with the interface.
void CallRelease(HMODULE module, CAbstractTolvEngineInterface* engine);
// What the user is told when Bind fails.
std::string FailureText(DWORD error);
}
