#include "Client/Scan/ListFile.h"

#include <new>

#include "Framework/CBinaryFile.h"

namespace ListFile
{
Status Read(const std::string& path, std::string& text)
{
    text.clear();
    try
    {
        if (CBinaryFile::Read(path, text, CBinaryFile::kReadCreating))
            return Status::kDone;
    }
    catch (const std::bad_alloc&)
    {
        // Larger than the memory the program can have: not honoured, and
        // the caller says so.
    }
    text.clear();
    text.shrink_to_fit();
    return Status::kFailed;
}

bool HoldsMoreFrom(const std::string& text, size_t position)
{
    for (size_t at = position; at < text.size(); ++at)
        if (!IsBlank(text[at]))
            return true;
    return false;
}
}
