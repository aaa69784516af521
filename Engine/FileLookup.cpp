#include "Engine/FileLookup.h"

#include "Engine/FileTests.h"

bool IsPathUnjudged(const std::string& path)
{
    return HoldsUnexpandedVariable(path) || IsOnUnjudgedRoot(path);
}
