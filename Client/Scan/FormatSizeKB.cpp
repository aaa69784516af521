#include "Client/Scan/FormatSizeKB.h"

#include "Framework/AnsiText.h"

std::string FormatSizeKB(double kb)
{
    const double kMB = 1024.0;
    const double kGB = 1048576.0;
    const double kTB = 1073741824.0;
    if (kb > kTB)
        return AnsiText::Format("%.2fTB", kb / kTB);
    if (kb > kGB)
        return AnsiText::Format("%.1fGB", kb / kGB);
    if (kb > kMB)
        return AnsiText::Format("%.0fMB", kb / kMB);
    return AnsiText::Format("%.0fKB", kb);
}
