#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

#include "Engine/ScanCategory.h"

// What the program's pages show of one category, keyed by its bit. The
// letter, the caption that the ignore list and the home page recognise, and
// the stem of the statistics' names come from the table both binaries share.
struct ClientCategory
{
    DWORD bit;

    // Scan options page: the box, its hidden caption label and the string
    // that describes the category when the caption is hovered (0: none).
    int optionBox;
    int optionCaption;
    UINT optionDescription;

    // Scan progress page (0: the category has no row): the busy picture, the
    // mark, the counter, the caption shown while the row is scanned, whether
    // the row lies on the page's tinted band, the row's caption label (0:
    // none) and the page's colour behind the busy picture.
    int progressPicture;
    int progressMark;
    int progressCounter;
    const char* progressCaption;
    bool tinted;
    int progressLabel;
    COLORREF progressBackground;

    // Results page: the root's caption and the category's description, as
    // string-table ids or, where the id is 0, as texts; the root's image.
    UINT resultsCaptionId;
    const char* resultsCaption;
    UINT resultsDescriptionId;
    const char* resultsDescription;
    int resultsImage;

    // Home page: the found, repaired and ignored labels.
    int homeFound;
    int homeRepaired;
    int homeIgnored;

    const ScanCategoryInfo& Shared() const { return *FindScanCategory(bit); }
    // One of the twelve categories the scan visits: a box, a progress row,
    // a found value that every scan resets.
    bool IsScanned() const { return progressPicture != 0; }
};

// The fourteen categories a finding may be shown in, in the order of the
// results tree, which is also the order the statistics are read and
// written in. The twelve scanned ones among them keep the scan's order.
inline constexpr size_t kClientCategoryCount = 14;
extern const ClientCategory kClientCategories[kClientCategoryCount];

// The category with exactly this bit, or nullptr (the junk categories and
// any other bit).
const ClientCategory* FindClientCategory(DWORD bit);
// The category whose results caption this is, or nullptr.
const ClientCategory* FindClientCategoryByCaption(const std::string& caption);

// The results page's texts of a category, from the string table where it
// has them.
std::string ResultsCaptionOf(const ClientCategory& category);
std::string ResultsDescriptionOf(const ClientCategory& category);
