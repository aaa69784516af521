#include "Engine/FileLookup.h"

#include "Engine/FileTests.h"

bool IsPathUnjudged(const CTolvEngineProcess& job, const std::string& path)
{
    return HoldsUnexpandedVariable(path) || IsOnUnjudgedRoot(job, path);
}
