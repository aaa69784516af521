#include "Client/Scan/ListFile.h"

#include <windows.h>

#include "Framework/AnsiText.h"
#include "Framework/CBinaryFile.h"

namespace ListFile
{
bool SizeOf(const std::string& path, unsigned long long& bytes)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    bytes = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

bool IsTooLarge(const std::string& path)
{
    unsigned long long bytes = 0;
    return SizeOf(path, bytes) && bytes > kMaxBytes;
}

Status Read(const std::string& path, std::string& text)
{
    text.clear();
    if (IsTooLarge(path))
        return Status::kTooLarge;
    if (!CBinaryFile::Read(path, text, CBinaryFile::kReadCreating))
        return Status::kFailed;
    // It may have grown since its size was asked.
    if (text.size() > kMaxBytes)
    {
        text.clear();
        return Status::kTooLarge;
    }
    return Status::kDone;
}

std::string TooLargeMessage(const char* listName, const std::string& path, const char* consequence)
{
    unsigned long long bytes = 0;
    SizeOf(path, bytes);
    const double megabytes = static_cast<double>(bytes) / (1024.0 * 1024.0);
    return AnsiText::Format("The %s file \"%s\" is %.1f MB, too large to be a list (at most %u MB are read), so "
                            "it was not read. %s",
                            listName, path.c_str(), megabytes, static_cast<unsigned>(kMaxBytes >> 20), consequence);
}
}
