#pragma once
#include <windows.h>

#include <functional>
#include <string>

// The one line the scan progress page gives an incomplete scan, under the
// item being scanned. The engine names the categories it could not check to
// the end; a failure its own guard caught names none, and the line then
// says only that the scan stopped. The line never runs past its width: a
// long list of names is said shorter, as a count at the last.
class IncompleteScanLine
{
public:
    // fits: whether a text fits the line.
    static std::string Fit(const std::string& note, const std::function<bool(const std::string&)>& fits);
    // Fit for a line of width pixels drawn with font.
    static std::string FitToWidth(const std::string& note, HFONT font, int width);

    static const char* const kStoppedAtError;
};
