#pragma once

// What the registry tree walk checks in every key it reaches.
enum RegistryWalkMode
{
    kWalkUserHives = 1,       // text values of the user hives that name a missing file
    kWalkTypeLibHelpDirs = 2, // HELPDIR keys of the type libraries that hold nothing
    kWalkClassReferences = 3, // "CLSID" subkeys whose class is not registered
};
