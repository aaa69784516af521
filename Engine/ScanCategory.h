#pragma once
// Contract of Quillomar.exe and qmsag.dll: shared by both binaries and frozen
// (a change breaks a program or engine built apart from the other). It passes
// standard-library types, so both must come from one build with one runtime.
#include <windows.h>

#include <cstddef>

// The category flags shared by the engine and the program: the scan mask, the
// category of each finding, the user's last selection and the repair action.
enum ScanCategory : DWORD
{
    kScanTypeLibs = 0x1,
    kScanSoundEvents = 0x2,
    kScanRecycleBin = 0x4,
    kScanTempFiles = 0x8,
    kScanStartup = 0x400,
    kScanFileTypes = 0x1000,
    kScanFonts = 0x2000,
    kScanActiveX = 0x4000,
    kScanShortcuts = 0x8000,
    kScanServices = 0x10000,
    kScanAppPaths = 0x40000,
    kScanSharedDlls = 0x80000,
    kScanUninstall = 0x100000,
    kScanHelpFiles = 0x200000,
    kScanFilePaths = 0x400000,
    kScanEmptyKeys = 0x800000,
};

// Two bits that name no category but still carry a repair action.
const DWORD kRepairKeyBitA = 0x800;
const DWORD kRepairKeyBitB = 0x20000;

enum RepairAction
{
    kRepairNone,
    kRepairDeleteKey,
    kRepairDeleteValue,
    kRepairDeleteValueElseKey,
    kRepairDeleteFile,
    kRepairEmptyRecycleBin,
    kRepairDeleteTempFile,
};

struct ScanCategoryInfo
{
    DWORD bit;
    const char* letter;  // status code; empty for the categories without one
    const char* caption; // as the program shows it
    const char* stem;    // forms "Last" + stem + "Err" / "Cln"
    RepairAction repair;
};

// The sixteen categories; the first twelve in the order the scan visits them.
// The file-path category's caption is the results page's; the progress page
// shows it as "File/Path References".
inline constexpr ScanCategoryInfo kScanCategories[] = {
    {kScanActiveX, "X", "ActiveX Objects", "ActX", kRepairDeleteKey},
    {kScanUninstall, "U", "Uninstall Entries", "Un", kRepairDeleteValueElseKey},
    {kScanFonts, "N", "Windows Fonts", "Font", kRepairDeleteValue},
    {kScanSharedDlls, "D", "Shared DLLs", "SHDll", kRepairDeleteValue},
    {kScanAppPaths, "A", "Application Paths", "AppPath", kRepairDeleteKey},
    {kScanHelpFiles, "H", "Help Files Information", "Hlp", kRepairDeleteValueElseKey},
    {kScanStartup, "S", "Windows Startup Items", "Startup", kRepairDeleteValueElseKey},
    {kScanFilePaths, "R", "File Path References", "FilePath", kRepairDeleteValueElseKey},
    {kScanShortcuts, "C", "Program Shortcuts", "ShortCut", kRepairDeleteFile},
    {kScanEmptyKeys, "E", "Empty Registry Keys", "EmKey", kRepairDeleteKey},
    {kScanFileTypes, "F", "File Associations", "FA", kRepairDeleteKey},
    {kScanServices, "V", "Windows Services", "Services", kRepairDeleteKey},
    {kScanTypeLibs, "", "Invalid Typelib", "InvTypeLib", kRepairDeleteKey},
    {kScanSoundEvents, "", "Sound & App Events", "SndAppEvnt", kRepairDeleteKey},
    {kScanRecycleBin, "", "Recycle Bin", "RecBin", kRepairEmptyRecycleBin},
    {kScanTempFiles, "", "Temp Files", "TmpFile", kRepairDeleteTempFile},
};

inline constexpr size_t kScanCategoryCount = sizeof(kScanCategories) / sizeof(kScanCategories[0]);
inline constexpr size_t kScannedCategoryCount = 12;

// The category with exactly this bit, or nullptr.
inline const ScanCategoryInfo* FindScanCategory(DWORD bit)
{
    for (const ScanCategoryInfo& info : kScanCategories)
        if (info.bit == bit)
            return &info;
    return nullptr;
}

// A value finding is the key text, this byte and the value name.
inline constexpr char kItemValueSeparator = '\xAC';
inline constexpr const char kItemValueSeparatorText[] = "\xAC";

// Joins an item text and its category caption where both name one item.
inline constexpr char kExclusionMarkSeparator = '^';

// Every scan starts each category with this in the status throttle, so the
// first item of a category is always shown.
inline constexpr int kStatusThrottleStart = 3002;
