#include "Client/Scan/IncompleteScanLine.h"

#include "Framework/AnsiText.h"
#include "Framework/CClientDC.h"

namespace
{
// The engine's note: "Scan incomplete: <names> could not be checked to the end."
const std::string kNotePrefix = "Scan incomplete: ";
const std::string kNoteSuffix = " could not be checked to the end.";

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

int CountNames(const std::string& names)
{
    int count = 1;
    for (size_t at = names.find(", "); at != std::string::npos; at = names.find(", ", at + 2))
        ++count;
    return count;
}

// Whole words from the front of text, then "...", as many as fit.
std::string CutToFit(const std::string& text, const std::function<bool(const std::string&)>& fits)
{
    std::string cut = text;
    while (!cut.empty())
    {
        const size_t space = cut.find_last_of(' ');
        cut.resize(space == std::string::npos ? 0 : space);
        if (fits(cut + "..."))
            return cut + "...";
    }
    return "...";
}
}

const char* const IncompleteScanLine::kStoppedAtError = "Scan incomplete: it stopped at an error.";

std::string IncompleteScanLine::Fit(const std::string& note, const std::function<bool(const std::string&)>& fits)
{
    if (note.empty())
        return fits(kStoppedAtError) ? kStoppedAtError : CutToFit(kStoppedAtError, fits);
    if (fits(note))
        return note;
    if (note.compare(0, kNotePrefix.size(), kNotePrefix) == 0 && EndsWith(note, kNoteSuffix) &&
        note.size() > kNotePrefix.size() + kNoteSuffix.size())
    {
        const std::string names = note.substr(kNotePrefix.size(), note.size() - kNotePrefix.size() - kNoteSuffix.size());
        const std::string shorter = "Not checked to the end: " + names + ".";
        if (fits(shorter))
            return shorter;
        const int count = CountNames(names);
        const std::string counted =
            count == 1 ? shorter : AnsiText::Format("Scan incomplete: %d categories not checked to the end.", count);
        if (fits(counted))
            return counted;
        return CutToFit(counted, fits);
    }
    return CutToFit(note, fits);
}

std::string IncompleteScanLine::FitToWidth(const std::string& note, HFONT font, int width)
{
    CClientDC dc(NULL);
    const HDC hdc = dc;
    const HGDIOBJ old = font && hdc ? ::SelectObject(hdc, font) : NULL;
    const std::string line = Fit(note, [hdc, width](const std::string& text) {
        SIZE size = {};
        if (!hdc || !::GetTextExtentPoint32A(hdc, text.c_str(), static_cast<int>(text.size()), &size))
            return true;
        return size.cx <= width;
    });
    if (old)
        ::SelectObject(hdc, old);
    return line;
}
